#!/usr/bin/env bash
# Sets up and runs every test: the Linux build (warnings as errors), the
# sanitizer builds, the Windows component under Wine, and a short run of
# every fuzz target.
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

echo "== ThreadSanitizer: threads summarising at once"
cmake --preset tsan -DVELLUMTRACE_WERROR=ON >/dev/null
cmake --build --preset tsan -j"$jobs" --target vellumtrace_concurrency_tests
ctest --preset tsan

if command -v clang++-14 >/dev/null; then
  echo "== Fuzz smoke (60 s per target)"
  tools/run_fuzz.sh 60
fi
