#!/usr/bin/env bash
# Builds the Debian packages with CPack, checks what each one declares,
# runs lintian on them, and checks them installed.
#   tests/package/deb_test.sh BUILD_DIR            unpacked into a scratch root
#   tests/package/deb_test.sh BUILD_DIR --system   installed with apt-get (as
#       root, on a CI machine), checked, then removed again
# lintian must report no error, and every warning it reports must be one the
# README's "Accepted lintian warnings" lists, with its reason.
set -euo pipefail
build=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "deb_test: $*" >&2; exit 1; }

packages=(vellumtrace libvellumtrace1 vellumtrace-data libvellumtrace-dev)
grep -q '^VELLUMTRACE_BUILD_PYTHON:BOOL=OFF' "$build/CMakeCache.txt" || packages+=(python3-vellumtrace)
for p in "${packages[@]}"; do rm -f "$build/${p}"_*.deb; done
(cd "$build" && cpack -G DEB >"$scratch/cpack.log" 2>&1) || fail "cpack failed: $(cat "$scratch/cpack.log")"
declare -A deb
for p in "${packages[@]}"; do
  files=("$build/${p}"_*.deb)
  [[ -f ${files[0]} ]] || fail "cpack made no $p package"
  deb[$p]=${files[0]}
done
version=$(dpkg-deb --field "${deb[vellumtrace]}" Version)
head -n 1 "$source_dir/cmake/debian/changelog" | grep -qF "vellumtrace ($version)" ||
  fail "cmake/debian/changelog has no entry for $version on top"

# package | what Depends must hold (comma-separated) | what it must not
expectations=(
  "vellumtrace|libvellumtrace1 (= $version),vellumtrace-data (= $version),libc6 (|-dev"
  "libvellumtrace1|vellumtrace-data (= $version),libxml2 (,libstdc++6 (|-dev"
  "vellumtrace-data||lib"
  "libvellumtrace-dev|libvellumtrace1 (= $version),libxml2-dev,libabsl-dev|python"
)
if [[ -n ${deb[python3-vellumtrace]:-} ]]; then
  # The Python the module was built for, from its file name (cpython-311-...).
  module=$(dpkg-deb -c "${deb[python3-vellumtrace]}" | grep -o 'cpython-3[0-9]*' | head -n 1)
  py_minor=${module#cpython-3}
  py_bound="python3 (>= 3.$py_minor), python3 (<< 3.$((py_minor + 1)))"
  expectations+=("python3-vellumtrace|$py_bound,vellumtrace-data (= $version),libxml2 (|-dev")
fi
for row in "${expectations[@]}"; do
  IFS='|' read -r p wanted unwanted <<<"$row"
  depends=$(dpkg-deb --field "${deb[$p]}" Depends)
  IFS=',' read -ra items <<<"$wanted"
  for item in "${items[@]}"; do
    [[ $depends == *"$item"* ]] || fail "$p: Depends lacks '$item': $depends"
  done
  [[ $depends != *"$unwanted"* ]] || fail "$p: Depends has '$unwanted': $depends"
  contents=$(dpkg-deb -c "${deb[$p]}")
  for doc in copyright changelog.gz; do
    grep -q "/usr/share/doc/$p/$doc\$" <<<"$contents" || fail "$p has no /usr/share/doc/$p/$doc"
  done
done
dpkg-deb -c "${deb[vellumtrace]}" | grep -q '/usr/share/man/man1/vellumtrace.1.gz$' ||
  fail "vellumtrace has no compressed man page"

# lintian: no error; each warning accepted in the README.
command -v lintian >/dev/null || fail "lintian is not installed (tools/install_deps.sh --tests)"
lintian --fail-on error --pedantic "${deb[@]}" >"$scratch/lintian.txt" 2>&1 ||
  fail "lintian found errors: $(grep '^E:' "$scratch/lintian.txt" || cat "$scratch/lintian.txt")"
accepted=$(sed -n '/^### Accepted lintian warnings/,/^##/p' "$source_dir/README.md")
while read -r tag; do
  [[ -z $tag ]] && continue
  grep -qF "\`$tag\`" <<<"$accepted" ||
    fail "lintian warns '$tag', which the README does not accept: $(grep -F "$tag" "$scratch/lintian.txt")"
done <<<"$(awk '/^W: / { print $3 }' "$scratch/lintian.txt" | sort -u)"
echo "deb_test: lintian: $(grep -c '^E:' "$scratch/lintian.txt" || true) errors," \
  "$(grep -c '^W:' "$scratch/lintian.txt" || true) accepted warnings"

if [[ ${2:-} != --system ]]; then
  for p in "${packages[@]}"; do dpkg-deb -x "${deb[$p]}" "$scratch/root"; done
  "$here/check_installed.sh" "$scratch/root/usr"
  exit 0
fi

# Others may share dpkg on a developer machine.
apt() { if command -v flock >/dev/null; then flock /tmp/apt.lock apt-get "$@"; else apt-get "$@"; fi; }
export DEBIAN_FRONTEND=noninteractive
for p in "${packages[@]}"; do cp "${deb[$p]}" "$scratch/"; done
trap 'apt remove --purge -y -q "${packages[@]}" >/dev/null; rm -rf "$scratch"' EXIT
(cd "$scratch" && apt install -y -q ./*.deb >/dev/null)
"$here/check_installed.sh" /usr
# A static program anywhere finds the package's dictionaries in /usr/share.
mkdir "$scratch/static"
# shellcheck disable=SC2046
cc -std=c11 -static -o "$scratch/static/summarize" "$source_dir/examples/summarize.c" \
  $(pkg-config --static --cflags --libs vellumtrace) 2>/dev/null
(cd "$scratch/static" && ./summarize "$source_dir/samples/lighthouse.txt") | cmp - \
  <(/usr/bin/vellumtrace "$source_dir/samples/lighthouse.txt") ||
  fail "a static program outside /usr differs from the command"
echo "deb_test: installed, checked and removed ${packages[*]}"
