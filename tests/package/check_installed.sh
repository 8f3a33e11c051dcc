#!/usr/bin/env bash
# Checks an installed Vellumtrace the way a user meets it: the command on a
# sample, the man page, the exported symbols, a consumer built with
# find_package, one built with pkg-config, and the Python module. Every
# result must equal the installed command's.
#   tests/package/check_installed.sh PREFIX     (e.g. /usr)
set -euo pipefail
prefix=$(realpath "$1")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sample=$source_dir/samples/lighthouse.txt

fail() { echo "check_installed: $*" >&2; exit 1; }

"$prefix/bin/vellumtrace" "$sample" >"$work/command.txt"
[[ -s $work/command.txt ]] || fail "the command gave no summary"
gzip -dc "$prefix/share/man/man1/vellumtrace.1.gz" | grep -q "EXIT STATUS" || fail "no man page"
[[ -f $prefix/share/vellumtrace/dic/en.xml ]] || fail "no dictionaries"

library=$(find "$prefix/lib" -name 'libvellumtrace.so.1' | head -n 1)
[[ -n $library ]] || fail "no libvellumtrace.so.1"
libdir=$(dirname "$library")
[[ -f $libdir/libvellumtrace.a ]] || fail "no static library"
leaked=$(nm -D --defined-only "$library" | awk '{print $3}' | grep -v -i vellumtrace || true)
[[ -z $leaked ]] || fail "symbols beyond the public API are exported: $leaked"

# find_package, as the README shows it.
cmake -S "$source_dir/examples/consumer" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/cmake" >/dev/null
"$work/cmake/summarize" "$sample" 2>/dev/null | cmp - "$work/command.txt" ||
  fail "the find_package consumer differs from the command"

# pkg-config, with the README's command line.
mkdir -p "$work/pc/examples"
cp "$source_dir/examples/summarize.c" "$work/pc/examples/"
(cd "$work/pc" && PKG_CONFIG_PATH="$libdir/pkgconfig" sh "$source_dir/examples/build_with_pkg_config.sh")
LD_LIBRARY_PATH="$libdir" "$work/pc/summarize" "$sample" | cmp - "$work/command.txt" ||
  fail "the pkg-config consumer differs from the command"

# The Python module, from the prefix and nowhere else.
# It lands in the interpreter's own folder for the prefix (platlib), which
# for /usr/local is on Debian's python3's path.
# The Debian package puts it where Debian's python3 reads the modules of
# /usr (lib/python3/dist-packages).
platlib=$(/usr/bin/python3 -c 'import sys; print("lib/python%d.%d/dist-packages" % sys.version_info[:2])')
[[ -d $prefix/$platlib/vellumtrace ]] || platlib=lib/python3/dist-packages
(cd "$work" && PYTHONPATH="$prefix/$platlib" /usr/bin/python3 -c '
import sys, vellumtrace
assert vellumtrace.__file__.startswith(sys.argv[2]), vellumtrace.__file__
sys.stdout.write(vellumtrace.summarize(open(sys.argv[1], "rb").read()).text)
' "$sample" "$prefix") | cmp - "$work/command.txt" || fail "the Python module differs from the command"
echo "check_installed: $prefix serves the command, C++, C and Python"
