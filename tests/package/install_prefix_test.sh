#!/usr/bin/env bash
# `cmake --install` into a fresh prefix, then the user's checks on it.
#   tests/package/install_prefix_test.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix/usr" >/dev/null
"$(dirname "$0")/check_installed.sh" "$prefix/usr"
