#!/usr/bin/env bash
# Static consumers of an installed tree that was moved after installation:
# the examples/summarize.c program linked with `pkg-config --static` (fully
# static), the same through the CMake package's static target, and a
# program linked to the shared library. Each must find the moved tree's
# dictionaries, relative to itself or to the library, or through
# VELLUMTRACE_DATA_DIR, and give the moved command's result.
#   tests/package/static_moved_prefix_test.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sample=$source_dir/samples/lighthouse.txt
fail() { echo "static_moved_prefix_test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/before/usr" >/dev/null
mv "$work/before" "$work/after"
prefix=$work/after/usr
data=$prefix/share/vellumtrace
libdir=$(dirname "$(find "$prefix" -name libvellumtrace.a | head -n 1)")
# The moved tree's English dictionary is another one, so a program that
# reads any other copy (the build tree's, one installed in /usr) differs.
cp "$data/dic/de.xml" "$data/dic/en.xml"
"$build/bin/vellumtrace" "$sample" >"$work/real_en.txt"
"$prefix/bin/vellumtrace" "$sample" >"$work/expected.txt" || fail "the moved command failed"
cmp -s "$work/real_en.txt" "$work/expected.txt" &&
  fail "the moved command did not read the moved dictionary"

export PKG_CONFIG_PATH=$libdir/pkgconfig
mkdir -p "$work/elsewhere"
# Fully static: pkg-config must name every library below ours, the C++
# runtime after all of them.
# shellcheck disable=SC2046
cc -std=c11 -static -o "$prefix/bin/summarize-static" "$source_dir/examples/summarize.c" \
  $(pkg-config --static --cflags --libs vellumtrace) 2>"$work/link.log" ||
  fail "pkg-config --static gives no working link line: $(cat "$work/link.log")"
readelf -d "$prefix/bin/summarize-static" | grep -q NEEDED && fail "summarize-static is not static"
cp "$prefix/bin/summarize-static" "$work/elsewhere/"
# shellcheck disable=SC2046
cc -std=c11 -o "$work/elsewhere/summarize-shared" "$source_dir/examples/summarize.c" \
  $(pkg-config --cflags --libs vellumtrace)
cmake -S "$source_dir/tests/package/static_consumer" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" \
  -DSUMMARIZE_C="$source_dir/examples/summarize.c" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/cmake" >"$work/cmake.log" 2>&1 || fail "CMake static consumer: $(cat "$work/cmake.log")"
readelf -d "$work/cmake/summarize" | grep -q libvellumtrace && fail "the CMake static target linked the shared library"
cp "$work/cmake/summarize" "$prefix/bin/summarize-cmake"

# program | environment | how it finds the dictionaries
cases=(
  "$prefix/bin/summarize-static|-|above itself, in the moved tree"
  "$prefix/bin/summarize-cmake|-|above itself, in the moved tree"
  "$work/elsewhere/summarize-static|VELLUMTRACE_DATA_DIR=$data|the environment"
  "$work/elsewhere/summarize-shared|LD_LIBRARY_PATH=$libdir|above the shared library"
  "$build/bin/vellumtrace|VELLUMTRACE_DATA_DIR=$data|the environment, the command too"
)
for row in "${cases[@]}"; do
  IFS='|' read -r program environment how <<<"$row"
  [[ $environment == - ]] && environment=
  # shellcheck disable=SC2086
  (cd "$work/elsewhere" && env $environment "$program" "$sample") >"$work/got.txt" 2>"$work/err.txt" ||
    fail "$program ($how): $(cat "$work/err.txt")"
  cmp -s "$work/got.txt" "$work/expected.txt" || fail "$program ($how) differs from the moved command"
done
echo "static_moved_prefix_test: ${#cases[@]} consumers of a moved prefix found its dictionaries"
