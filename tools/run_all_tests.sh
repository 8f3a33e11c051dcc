#!/usr/bin/env bash
# Sets up and runs every test: the Linux build (warnings as errors), the
# sanitizer build, and the Windows component under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh --win32
jobs=$(nproc)

echo "== Linux build and tests"
cmake --preset default -DVELLUMTRACE_WERROR=ON >/dev/null
cmake --build --preset default -j"$jobs"
ctest --preset default -j"$jobs"

echo "== Sanitizer build and tests"
cmake --preset asan -DVELLUMTRACE_WERROR=ON >/dev/null
cmake --build --preset asan -j"$jobs"
ctest --preset asan -j"$jobs"

if [[ -x tests/wine/run.sh ]]; then
  echo "== Windows component under Wine"
  cmake --preset win32 -DVELLUMTRACE_WERROR=ON >/dev/null
  cmake --build --preset win32 -j"$jobs"
  tests/wine/run.sh
fi
