#!/usr/bin/env bash
# Installs the Debian packages the project needs. Usage:
#   tools/install_deps.sh          Linux build, tests and benchmarks
#   tools/install_deps.sh --win32  also the 32-bit Windows cross build and Wine
# Runs as root on a fresh Debian 12; installs only what is missing.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

packages=(cmake g++ make pkg-config libxml2-dev libxml2-utils libcli11-dev libicu-dev
          libgtest-dev googletest libbenchmark-dev ca-certificates
          nlohmann-json3-dev pybind11-dev python3-dev python3-pytest python3-dask
          python3-distributed help2man dpkg-dev file libabsl-dev libxxhash-dev time
          # the HTML result in a real browser; the fuzz targets
          chromium clang-14 libclang-rt-14-dev llvm-14)
if [[ "${1:-}" == "--win32" ]]; then
  # The 64-bit cross compiler and wine64 run the component tests where the
  # kernel cannot run 32-bit programs.
  packages+=(g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 mingw-w64-tools
             wine wine32:i386 wine64 xvfb xauth xdotool binutils)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

as_root=()
[[ $(id -u) -ne 0 ]] && as_root=(sudo)
if [[ "${1:-}" == "--win32" ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
