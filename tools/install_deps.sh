#!/usr/bin/env bash
# Installs the Debian packages the project needs. Usage:
#   tools/install_deps.sh                  the Linux build and benchmarks
#   tools/install_deps.sh --tests          also what the tests drive (pytest,
#                                          Dask, Chromium, clang's libFuzzer,
#                                          the Debian package tools and lintian)
#   tools/install_deps.sh --tests --win32  also the Windows cross builds, Wine,
#                                          makensis, and QEMU with debootstrap
#                                          for the 32-bit suite in a guest
# Runs as root on a fresh Debian 12; installs only what is missing.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

tests=false win32=false
for option in "$@"; do
  case "$option" in
    --tests) tests=true ;;
    --win32) win32=true ;;
    *) echo "usage: $0 [--tests] [--win32]" >&2; exit 2 ;;
  esac
done

packages=(cmake g++ make pkg-config libxml2-dev libcli11-dev libicu-dev
          libgtest-dev googletest libbenchmark-dev ca-certificates
          nlohmann-json3-dev pybind11-dev python3-dev libabsl-dev libxxhash-dev)
if $tests; then
  packages+=(libxml2-utils python3-pytest python3-dask python3-distributed dpkg-dev file time
             # pip install . and python3 -m build in a fresh virtual environment
             python3-venv python3-pip python3-build ccache
             # the Debian packages' check and the man page's render
             lintian groff-base
             # a fully static program: libxml2.a needs them, libxml2-dev does not bring them
             liblzma-dev zlib1g-dev
             # the HTML result in a real browser; the fuzz targets
             chromium clang-14 libclang-rt-14-dev llvm-14)
fi
if $win32; then
  # The 64-bit cross compiler and wine64 run the component tests where the
  # kernel cannot run 32-bit programs.
  packages+=(g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 mingw-w64-tools
             wine wine32:i386 wine64 xvfb xauth xdotool binutils
             # makensis, for the installer of both bitnesses
             nsis
             # Where the kernel runs no 32-bit programs, the 32-bit DLL's suite
             # runs in a Debian guest on QEMU's software CPU (tests/wine/qemu_guest.sh).
             qemu-system-x86 debootstrap debian-archive-keyring e2fsprogs)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

as_root=()
[[ $(id -u) -ne 0 ]] && as_root=(sudo)
if $win32 && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
# A mirror caught mid-sync fails one index now and then: try again, then go
# on with the lists that did arrive (the install below still fails loudly
# when a package is truly missing).
for attempt in 1 2 3; do
  "${as_root[@]}" apt-get update -q && break
  echo "install_deps: apt-get update failed (attempt $attempt of 3)" >&2
  [[ $attempt -lt 3 ]] && sleep 15
done
install=("${as_root[@]}" apt-get install -y -q --no-install-recommends)
# Without one architecture's security index, the two architectures of a
# Multi-Arch library can disagree on the version: the main suite's point
# release has both at one version.
"${install[@]}" "${missing[@]}" || "${install[@]}" -t bookworm "${missing[@]}"
