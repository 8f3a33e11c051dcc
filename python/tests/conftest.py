import os
import pathlib
import subprocess

import pytest

SOURCE_DIR = pathlib.Path(os.environ.get("VELLUMTRACE_SOURCE_DIR",
                                         pathlib.Path(__file__).resolve().parents[2])).resolve()


@pytest.fixture
def command():
    """Runs the vellumtrace command and returns its standard output."""
    def run(*args):
        return subprocess.run([os.environ["VELLUMTRACE_CLI"], *map(str, args)],
                              check=True, capture_output=True).stdout.decode("utf-8")
    return run


@pytest.fixture
def source_dir():
    return SOURCE_DIR
