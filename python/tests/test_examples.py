"""The worked examples and the README's snippets, run as a user would."""
import json
import os
import re
import shutil
import subprocess
import sys


def test_dask_example_equals_the_command(source_dir, command, tmp_path):
    folder = tmp_path / "corpus"
    folder.mkdir()
    for sample in (source_dir / "samples").glob("*.txt"):
        shutil.copy(sample, folder)
    (folder / "unicode.txt").write_text("Größe zählt. 🐝 summt laut. Größe und Größe zählen.\n")
    (folder / "empty.txt").write_bytes(b"")
    run = subprocess.run([sys.executable, str(source_dir / "examples" / "dask_folder.py"),
                          str(folder), "30"], check=True, capture_output=True, env=os.environ)
    results = json.loads(run.stdout)
    assert sorted(results) == sorted(p.name for p in folder.iterdir())
    for name, summary in results.items():
        assert summary == command(folder / name, "--percent", 30), name


def test_readme_snippets_are_the_tested_examples(source_dir):
    readme = (source_dir / "README.md").read_text("utf-8")
    snippets = re.findall(r"<!-- (examples/\S+) -->\n```\w*\n(.*?)```", readme, re.S)
    assert {name for name, _ in snippets} >= {"examples/summarize.cpp", "examples/summarize.c",
                                             "examples/summarize.py"}
    for name, body in snippets:
        assert body == (source_dir / name).read_text("utf-8"), name


def test_python_example_runs(source_dir, command):
    sample = source_dir / "samples" / "bees.txt"
    run = subprocess.run([sys.executable, str(source_dir / "examples" / "summarize.py"),
                          str(sample)], check=True, capture_output=True)
    assert run.stdout.decode("utf-8") == command(sample)
    assert b"keywords:" in run.stderr
