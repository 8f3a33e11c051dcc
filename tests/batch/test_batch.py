"""The command over many files: batch results equal per-file results byte
for byte, JSON is strict and its byte ranges slice the input into exactly
the sentences of the text result, and a batch stopped by a signal or a full
disk leaves no partial file and says what was done."""
import json
import os
import pathlib
import signal
import subprocess
import time

import pytest

TOOL = os.environ["VELLUMTRACE_CLI"]
SOURCE = pathlib.Path(os.environ["VELLUMTRACE_SOURCE_DIR"])
EVAL = SOURCE.parent / "shared" / "eval"
EXTENSIONS = {"text": "txt", "html": "html", "json": "json"}


def run(*args, stdin=None, **kwargs):
    return subprocess.run([TOOL, *map(str, args)], input=stdin, capture_output=True, **kwargs)


def corpora():
    """The samples and golden texts always; the English evaluation sets when
    they lie beside the checkout (they are never copied into it)."""
    sets = [("samples", sorted((SOURCE / "samples").glob("*.txt")))]
    golden = sorted(p / "text.txt" for p in (SOURCE / "tests" / "golden").iterdir()
                    if (p / "text.txt").exists())
    sets.append(("golden", golden))
    for name in ("bbc_en", "bbc_en_large"):
        docs = sorted((EVAL / name / "docs").glob("*.txt"))
        if docs:
            sets.append((name, docs))
    return sets


def visible_files(folder):
    return sorted(p.name for p in folder.iterdir())


@pytest.mark.parametrize("name,files", corpora(), ids=[c[0] for c in corpora()])
def test_batch_equals_single_runs_and_json_slices_into_the_text_result(name, files, tmp_path):
    # The large set in text form only: its per-file runs are what take time.
    formats = ["text"] if name == "bbc_en_large" else ["text", "html", "json"]
    inputs = tmp_path / "in"
    inputs.mkdir()
    for f in files:  # unique names: golden texts are all text.txt
        (inputs / f"{f.parent.name}_{f.name}").write_bytes(f.read_bytes())
    for fmt in formats:
        out = tmp_path / fmt
        done = run("--format", fmt, "--percent", 30, "--output-dir", out, "--jobs", 2, inputs)
        assert done.returncode == 0, done.stderr
        for f in sorted(inputs.iterdir()):
            single = run("--format", fmt, "--percent", 30, f)
            assert single.returncode == 0, single.stderr
            assert (out / f"{f.stem}.{EXTENSIONS[fmt]}").read_bytes() == single.stdout, f
            if fmt != "json":
                continue
            summary = json.loads(single.stdout.decode("utf-8"), parse_constant=pytest.fail)
            data = f.read_bytes()
            chosen = [data[s["start"]:s["end"]] for s in summary["sentences"] if s["selected"]]
            words = b"".join(w + b" " for sentence in chosen for w in sentence.split())
            text = (tmp_path / "text" / f"{f.stem}.txt").read_bytes()
            # The single-space word closing every text follows its last sentence.
            assert text in (words, words + b"  "), f
            assert summary["summary"].encode("utf-8") == text


def test_json_lines_keep_input_order_and_report_failures_in_place(tmp_path):
    good = SOURCE / "samples" / "bees.txt"
    bad = tmp_path / "bad.txt"
    bad.write_bytes(b"caf\xff")
    lines = run("--format", "json", good, bad, good).stdout.decode().splitlines()
    assert len(lines) == 3
    first, failed, last = map(json.loads, lines)
    assert first == last and "summary" in first
    assert failed["file"] == str(bad) and "not valid UTF-8" in failed["error"]


def make_copies(folder, count, source=SOURCE / "samples" / "lighthouse.txt"):
    folder.mkdir()
    data = source.read_bytes()
    for i in range(count):
        (folder / f"doc{i:05d}.txt").write_bytes(data)
    return data


@pytest.mark.parametrize("sig", [signal.SIGINT, signal.SIGTERM])
def test_a_signal_stops_the_batch_with_only_whole_results(sig, tmp_path):
    make_copies(tmp_path / "in", 3000)
    expected = run("--format", "html", tmp_path / "in" / "doc00000.txt").stdout
    out = tmp_path / "out"
    batch = subprocess.Popen([TOOL, "--format", "html", "--jobs", "2", "--output-dir", out,
                              tmp_path / "in"], stderr=subprocess.PIPE)
    while not out.exists() or len(os.listdir(out)) < 50:
        time.sleep(0.01)
        assert batch.poll() is None, "the batch ended before the signal"
    batch.send_signal(sig)
    _, err = batch.communicate(timeout=60)
    assert batch.returncode == 128 + sig
    written = os.listdir(out)
    assert 0 < len(written) < 3000
    assert all(not n.startswith(".") for n in written), "a temporary file was left"
    assert all((out / n).read_bytes() == expected for n in written)
    said = err.decode()
    assert f"stopped by {sig.name}: {len(written)} of 3000 files done" in said, said


def test_a_full_disk_fails_the_files_that_do_not_fit_and_no_other(tmp_path):
    inputs = tmp_path / "in"
    inputs.mkdir()
    small = (SOURCE / "samples" / "bees.txt").read_bytes()
    (inputs / "small.txt").write_bytes(small)
    (inputs / "big.txt").write_bytes(small * 100)
    out = tmp_path / "out"
    out.mkdir()
    # A file-size limit of 64 KiB fails writes as a full disk does.
    done = subprocess.run(["bash", "-c", f'ulimit -f 64; exec "$0" "$@"', TOOL, "--format", "html",
                           "--max-length", "0", "--output-dir", out, inputs],
                          capture_output=True)
    assert done.returncode == 1
    assert visible_files(out) == ["small.html"]
    assert (out / "small.html").read_bytes() == run("--format", "html", inputs / "small.txt").stdout
    err = done.stderr.decode()
    assert "big.html" in err and "1 of 2 files done, 1 failed" in err, err


@pytest.mark.parametrize("args,message", [
    (["a.txt", "b.txt"], "several files need --output-dir"),
    (["--output-dir", "o", "-"], "not standard input"),
    (["--jobs", "0", "--format", "json", "a.txt"], "--jobs takes"),
    (["--format", "json", "--debug-output", "d.txt", "a.txt"], "--debug-output works"),
])
def test_usage_errors(args, message, tmp_path):
    done = run(*args, cwd=tmp_path)
    assert done.returncode == 2 and message in done.stderr.decode()
