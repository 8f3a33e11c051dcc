#!/usr/bin/env bash
# Builds the Debian package with CPack and checks it installed.
#   tests/package/deb_test.sh BUILD_DIR            unpacked into a scratch root
#   tests/package/deb_test.sh BUILD_DIR --system   installed with apt-get (as
#       root, on a CI machine), checked, then removed again
set -euo pipefail
build=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

rm -f "$build"/vellumtrace_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/vellumtrace_*.deb)
[[ -f ${debs[0]} ]] || { echo "deb_test: cpack made no package" >&2; exit 1; }
deb=${debs[0]}
dpkg-deb --field "$deb" Depends | grep -q libxml2 || { echo "deb_test: no libxml2 dependency" >&2; exit 1; }

if [[ ${2:-} != --system ]]; then
  dpkg-deb -x "$deb" "$scratch"
  "$here/check_installed.sh" "$scratch/usr"
  exit 0
fi

# Others may share dpkg on a developer machine.
apt() { if command -v flock >/dev/null; then flock /tmp/apt.lock apt-get "$@"; else apt-get "$@"; fi; }
export DEBIAN_FRONTEND=noninteractive
cp "$deb" "$scratch/"
trap 'apt remove --purge -y -q vellumtrace >/dev/null; rm -rf "$scratch"' EXIT
(cd "$scratch" && apt install -y -q ./"$(basename "$deb")" >/dev/null)
"$here/check_installed.sh" /usr
