#!/usr/bin/env bash
# Sets up, builds and summarises the bundled sample with the English
# dictionary (a fifth of the words, plain text).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" --target vellumtrace
build/bin/vellumtrace --language en --percent 20 samples/lighthouse.txt
echo
