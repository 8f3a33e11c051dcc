#!/usr/bin/env bash
# The one CI entry: sets up the machine, then runs every test: the Linux
# build (warnings as errors) with the install and package checks, the
# Debian package installed on this machine and removed again, the sanitizer
# builds, the Windows component under Wine (the 32-bit DLL, in a QEMU guest
# where this kernel runs no 32-bit programs), and a short run of every fuzz
# target.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh --tests --win32
jobs=$(nproc)

echo "== Linux build and tests"
cmake --preset ci >/dev/null
cmake --build --preset ci -j"$jobs"
ctest --preset ci -j"$jobs"

echo "== Debian package, installed with apt-get"
tests/package/deb_test.sh build --system

echo "== Sanitizer build and tests"
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"
ctest --preset asan -j"$jobs"

echo "== Windows component under Wine"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$jobs"
wine_status=0
# The real 32-bit DLL on every machine: on the host where its kernel runs
# 32-bit programs, otherwise in a Debian guest on QEMU whose kernel does
# (VELLUMTRACE_WINE_GUEST=1 takes that path anywhere). The guest fails
# loudly if it cannot run; the host's run (there the 64-bit stand-in and
# the installer's 64-bit half) is no substitute for it, only a complement.
ctest --preset win32 || wine_status=$?
if [[ ${VELLUMTRACE_WINE_GUEST:-0} == 1 ]] || ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "== host: $(cat build-win32/wine-suite-exercised.txt 2>/dev/null || echo 'wine suite: did not start')"
  tests/wine/qemu_guest.sh || wine_status=$?
fi
# Which DLL the suite ran, so that a stand-in run is not taken for the real one.
echo "== $(cat build-win32/wine-suite-exercised.txt 2>/dev/null || echo 'wine suite: did not start')"
echo "== $(cat build-win32/installer-test-exercised.txt 2>/dev/null || echo 'installer test: did not start')"
[[ $wine_status -eq 0 ]]

echo "== ThreadSanitizer: threads summarising at once"
cmake --preset tsan -DVELLUMTRACE_WERROR=ON >/dev/null
cmake --build --preset tsan -j"$jobs" --target vellumtrace_concurrency_tests
ctest --preset tsan

echo "== Fuzz smoke (60 s per target)"
tools/run_fuzz.sh 60
