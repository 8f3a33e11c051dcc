"""The command over many files: batch results equal per-file results byte
for byte, JSON is strict and its byte ranges slice the input into exactly
the sentences of the text result, and a batch stopped by a signal, SIGKILL
or a full disk leaves no partial file, no temporary and says what was done;
names reach the terminal inert, folders are scanned as asked and a second
run resumes."""
import json
import os
import pathlib
import random
import shutil
import signal
import subprocess
import threading
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
    assert first == last and "summary" in first and first["file"] == str(good)
    assert failed["file"] == str(bad) and "not valid UTF-8" in failed["error"]
    assert str(bad) not in failed["error"] and "bad.txt" not in failed["error"]


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


SOURCES = [SOURCE / "samples" / "lighthouse.txt", SOURCE / "samples" / "bees.txt"]


def make_mixed(folder, count):
    """`count` files cycling over the samples; returns each name's source."""
    folder.mkdir()
    data = [p.read_bytes() for p in SOURCES]
    for i in range(count):
        (folder / f"doc{i:05d}.txt").write_bytes(data[i % len(data)])
    return {f"doc{i:05d}": i % len(data) for i in range(count)}


def assert_complete_and_clean(out, sources, fmt="html"):
    expected = [run("--format", fmt, p).stdout for p in SOURCES]
    names = os.listdir(out)
    assert [n for n in names if n.startswith(".")] == [], "debris left"
    assert sorted(names) == sorted(f"{stem}.{EXTENSIONS[fmt]}" for stem in sources)
    for stem, which in sources.items():
        assert (out / f"{stem}.{EXTENSIONS[fmt]}").read_bytes() == expected[which], stem


def dead_pid():
    child = subprocess.Popen(["true"])
    child.wait()
    return child.pid


@pytest.mark.parametrize("replacing", [False, True], ids=["fresh", "replacing"])
def test_sigkill_at_random_points_leaves_nothing_a_second_batch_cannot_finish(replacing, tmp_path):
    sources = make_mixed(tmp_path / "in", 3000)
    out = tmp_path / "out"
    args = ["--format", "html", "--jobs", "2", "--output-dir", out, tmp_path / "in"]
    if replacing:
        assert run(*args).returncode == 0
    chance = random.Random(19)
    for _ in range(3):
        batch = subprocess.Popen([TOOL, *map(str, args)], stderr=subprocess.DEVNULL)
        time.sleep(chance.uniform(0.05, 1.5))
        batch.kill()
        batch.wait()
        # What a batch killed while replacing a result may have left.
        (out / f".vellumtrace-{dead_pid()}-7.tmp").write_bytes(b"<html>half")
        again = run("--skip-existing", *args) if not replacing else run(*args)
        assert again.returncode == 0, again.stderr
        assert_complete_and_clean(out, sources)


@pytest.mark.parametrize("replacing", [False, True], ids=["fresh", "replacing"])
def test_two_batches_at_once_into_one_folder_both_succeed(replacing, tmp_path):
    sources = make_mixed(tmp_path / "in", 600)
    out = tmp_path / "out"
    args = [TOOL, "--format", "html", "--jobs", "1", "--output-dir", out, tmp_path / "in"]
    if replacing:
        assert run(*args[1:]).returncode == 0
    first = subprocess.Popen(args, stderr=subprocess.PIPE)
    time.sleep(0.3)
    second = subprocess.Popen(args, stderr=subprocess.PIPE)
    for batch in (first, second):
        _, err = batch.communicate(timeout=300)
        assert batch.returncode == 0, err
    assert_complete_and_clean(out, sources)


NAMES = [  # (name bytes, its shown form)
    (b"line\nvellumtrace: all good.txt", b"'in/line\\nvellumtrace: all good.txt'"),
    (b"esc\x1b[2J\x1b]0;owned\x07.txt", b"'in/esc\\x1B[2J\\x1B]0;owned\\x07.txt'"),
    (b"latin\xff\xfe.txt", b"'in/latin\\xFF\\xFE.txt'"),
]


@pytest.mark.parametrize("name,shown", NAMES, ids=range(len(NAMES)))
def test_names_reach_messages_inert_and_json_as_strings(name, shown, tmp_path):
    folder = tmp_path / "in"
    folder.mkdir()
    path = os.path.join(bytes(folder), name)
    with open(path, "wb") as f:
        f.write(b"caf\xff")  # refused, so that the name is reported
    with open(os.path.join(bytes(folder), b"ok.txt"), "wb") as f:
        f.write((SOURCE / "samples" / "bees.txt").read_bytes())
    for args in (["--format", "json", "in"], ["--output-dir", "out", "in"]):
        done = subprocess.run([TOOL, *args], capture_output=True, cwd=tmp_path)
        assert done.returncode == 1
        err = done.stderr
        assert err.count(b"\n") == 2, err  # the failure and the closing line, nothing forged
        assert shown + b": not valid UTF-8" in err, err
        assert not any(b < 0x20 and b != 0x0A for b in err), err
        assert b"\xff" not in err, err
    records = [json.loads(line) for line in
               subprocess.run([TOOL, "--format", "json", "in"], capture_output=True,
                              cwd=tmp_path).stdout.decode("utf-8").splitlines()]
    by_file = {r["file"]: r for r in records}
    assert set(by_file) == {"in/ok.txt", (b"in/" + name).decode("utf-8", "replace")}
    assert "summary" in by_file.pop("in/ok.txt")
    assert list(by_file.values())[0]["error"].startswith("not valid UTF-8")


@pytest.mark.parametrize("stem_bytes,fmt,written", [
    (251, "text", True),    # 255 bytes with .txt: the longest legal name
    (251, "html", False),   # 256 bytes with .html: refused before anything starts
    (200, "html", True),
])
def test_any_legal_result_name_is_written_and_longer_ones_refused_up_front(
        stem_bytes, fmt, written, tmp_path):
    folder = tmp_path / "in"
    folder.mkdir()
    (folder / "short.txt").write_bytes((SOURCE / "samples" / "bees.txt").read_bytes())
    long_input = folder / ("l" * stem_bytes + ".txt")
    long_input.write_bytes((SOURCE / "samples" / "lighthouse.txt").read_bytes())
    out = tmp_path / "out"
    done = run("--format", fmt, "--output-dir", out, folder)
    result = out / f"{'l' * stem_bytes}.{EXTENSIONS[fmt]}"
    if written:
        assert done.returncode == 0, done.stderr
        assert result.read_bytes() == run("--format", fmt, long_input).stdout
        assert sorted(os.listdir(out)) == sorted([result.name, f"short.{EXTENSIONS[fmt]}"])
    else:
        assert done.returncode == 1
        err = done.stderr.decode()
        assert "255 bytes" in err and "l" * stem_bytes in err, err
        assert not out.exists(), "refused after it started"


def make_scan_folder(root):
    folder = root / "in"
    folder.mkdir()
    text = (SOURCE / "samples" / "bees.txt").read_bytes()
    for name in ("a.txt", "b.md", ".hidden.txt"):
        (folder / name).write_bytes(text)
    (folder / "sub").mkdir()
    os.mkfifo(folder / "pipe.txt")
    os.symlink("nowhere.txt", folder / "dangling.txt")
    return folder


@pytest.mark.parametrize("args,taken,said", [
    ([], ["a.txt", "b.md"], "skipped 3 entries that are not regular files: 'in/dangling.txt' "
                            "(dangling link), 'in/pipe.txt' (FIFO), 'in/sub' (folder)"),
    (["--include", "*.md"], ["b.md"], None),
    (["--include", "*.txt"], ["a.txt"], "skipped 2 entries"),
    (["--include", "*.md", "--include", "a*"], ["a.txt", "b.md"], None),
    (["--include", ".*"], [".hidden.txt"], None),
    (["--include", "*.md", "in/a.txt"], ["a.txt", "b.md"], None),  # named files are not filtered
])
def test_folder_scans_take_what_include_asks_and_say_what_they_skip(args, taken, said, tmp_path):
    make_scan_folder(tmp_path)
    done = run("--format", "json", *args, "in", cwd=tmp_path)
    assert done.returncode == 0, done.stderr
    files = [json.loads(line)["file"] for line in done.stdout.decode().splitlines()]
    assert sorted(os.path.basename(f) for f in files) == taken
    err = done.stderr.decode()
    assert (said in err) if said else err == "", err


def test_a_named_fifo_is_read_as_a_stream(tmp_path):
    fifo = tmp_path / "producer"
    os.mkfifo(fifo)
    text = (SOURCE / "samples" / "bees.txt").read_bytes()
    writer = threading.Thread(target=fifo.write_bytes, args=(text,))
    writer.start()
    done = run("--format", "json", fifo, timeout=60)
    writer.join()
    assert done.returncode == 0, done.stderr
    assert done.stdout == run("--format", "json", SOURCE / "samples" / "bees.txt").stdout


@pytest.mark.parametrize("output_dir,status,said,listing", [
    # Under the input folder: never taken (scans do not descend), twice over.
    ("in/out", 0, None, ["bees.html", "lighthouse.html"]),
    ("in", 1, "the folder 'in' is the output folder", None),
    ("in/.", 1, "the folder 'in' is the output folder", None),
    (".", 0, None, ["bees.html", "in", "lighthouse.html"]),  # the input under the output
    ("missing/out", 1, "its parent 'missing' does not exist", None),
    ("new", 0, None, ["bees.html", "lighthouse.html"]),
])
def test_the_output_folder_is_never_an_input_and_only_its_last_level_is_made(
        output_dir, status, said, listing, tmp_path):
    folder = tmp_path / "in"
    folder.mkdir()
    for source in SOURCES:
        (folder / source.name).write_bytes(source.read_bytes())
    before = sorted(p.relative_to(tmp_path) for p in tmp_path.rglob("*"))
    for attempt in range(2):
        done = run("--format", "html", "--output-dir", output_dir, "in", cwd=tmp_path)
        assert done.returncode == status, done.stderr
        if said:
            assert said in done.stderr.decode()
            assert sorted(p.relative_to(tmp_path) for p in tmp_path.rglob("*")) == before
            continue
        assert done.stderr == b"", f"run {attempt + 1}: {done.stderr}"
        assert sorted(os.listdir(tmp_path / output_dir)) == listing


def test_skip_existing_redoes_only_what_is_missing_or_older(tmp_path):
    folder = tmp_path / "in"
    folder.mkdir()
    for i in range(4):
        (folder / f"t{i}.txt").write_bytes(SOURCES[i % 2].read_bytes())
    dictionary = tmp_path / "en.xml"
    shutil.copy(pathlib.Path(TOOL).parent / "dic" / "en.xml", dictionary)
    out = tmp_path / "out"
    args = ["--dictionary", dictionary, "--output-dir", out, "--skip-existing", folder]
    past = time.time() - 100
    for path in [dictionary, *folder.iterdir()]:
        os.utime(path, (past, past))
    assert run(*args).returncode == 0

    def age(path):  # a result older than its input
        os.utime(path, (past - 100, past - 100))

    def renew(path):  # a dictionary newer than every result
        now = time.time()
        os.utime(path, (now, now))

    cases = [  # (what changes, files redone)
        (lambda: None, 0),
        (lambda: age(out / "t1.txt"), 1),
        (lambda: (out / "t2.txt").unlink(), 1),
        (lambda: renew(dictionary), 4),
    ]
    for change, redone in cases:
        change()
        stamps = {p.name: p.stat().st_mtime_ns for p in out.iterdir()}
        done = run(*args)
        assert done.returncode == 0, done.stderr
        assert done.stderr.decode() == (
            f"vellumtrace: {redone} of 4 files done, {4 - redone} skipped as up to date\n"
            if redone < 4 else "")
        assert sum(stamps.get(p.name) != p.stat().st_mtime_ns for p in out.iterdir()) == redone
        assert_results = {p.name: p.read_bytes() for p in out.iterdir()}
        for i in range(4):
            assert assert_results[f"t{i}.txt"] == run("--dictionary", dictionary,
                                                      folder / f"t{i}.txt").stdout
    usage = run("--skip-existing", "--format", "json", folder)
    assert usage.returncode == 2 and "--skip-existing needs --output-dir" in usage.stderr.decode()
