#!/usr/bin/env bash
# pip install . and python3 -m build --wheel, offline, each into a fresh
# virtual environment: the installed package must import from there alone,
# carry its stubs and dictionaries, and summarise as the command does.
#   pip_install_test.sh SOURCE_DIR BUILD_DIR COMMAND [PYTHON]
# The module is compiled once, in BUILD_DIR/python-pip (kept between runs),
# through ccache when there is one.
set -euo pipefail
source_dir=$1 build_dir=$2 command=$3 python=${4:-/usr/bin/python3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VELLUMTRACE_BUILD_DIR=$build_dir/python-pip
if command -v ccache >/dev/null; then
  export VELLUMTRACE_CMAKE_ARGS="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
fi
export PIP_NO_INDEX=1 PIP_DISABLE_PIP_VERSION_CHECK=1
unset PYTHONPATH VELLUMTRACE_DATA_DIR

sample=$source_dir/samples/bees.txt
"$command" --percent 30 "$sample" > "$work/expected.txt"
languages=$(cd "$source_dir/dic" && ls *.xml | sed 's/\.xml$//' | paste -sd' ')

# Imports vellumtrace from the environment $1 (run from an empty folder, so
# the source tree cannot stand in) and checks it.
check() {
  mkdir -p "$work/run" && cd "$work/run"
  "$1/bin/python" - "$sample" "$work/actual.txt" "$1" "$languages" <<'PY'
import pathlib, sys
import vellumtrace
sample, actual, venv, languages = sys.argv[1:]
package = pathlib.Path(vellumtrace.__file__).parent
assert package.is_relative_to(pathlib.Path(venv).resolve()), package
for name in ("py.typed", "__init__.pyi", "share/vellumtrace/dic/en.xml"):
    assert (package / name).is_file(), name
assert vellumtrace.languages() == languages.split(), vellumtrace.languages()
text = pathlib.Path(sample).read_text("utf-8")
pathlib.Path(actual).write_text(vellumtrace.summarize(text, percent=30).text, "utf-8")
PY
  cmp "$work/expected.txt" "$work/actual.txt"
  cd "$work"
}

"$python" -m venv --system-site-packages "$work/pip"
"$work/pip/bin/python" -m pip install -q --no-build-isolation "$source_dir"
check "$work/pip"
echo "pip_install_test: pip install . gives the command's summary"

"$python" -m build --no-isolation --wheel --outdir "$work/dist" "$source_dir" > "$work/build.log" 2>&1 ||
  { cat "$work/build.log"; exit 1; }
"$python" -m venv --system-site-packages "$work/wheel"
"$work/wheel/bin/python" -m pip install -q "$work"/dist/vellumtrace-*.whl
check "$work/wheel"
echo "pip_install_test: the wheel of python3 -m build gives the command's summary"
