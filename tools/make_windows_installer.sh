#!/usr/bin/env bash
# Makes the Windows downloads from the two cross builds of the component:
#   Vellumtrace-<version>-setup.exe   the installer (makensis, from Debian's
#                                     nsis): both DLLs, each registered in its
#                                     own registry view, and an uninstaller
#   Vellumtrace-<version>-windows.zip both DLLs with their dic folders and
#                                     manifests, for registering by hand
#
#   tools/make_windows_installer.sh [--dll64-from FOLDER] [OUTPUT-FOLDER]
#
# OUTPUT-FOLDER is build-win32/dist by default. --dll64-from takes the x64
# Vellumtrace.dll from FOLDER instead (the installer test's broken DLL).
#
# Builds the i686 DLL in build-win32 (the win32 preset) and the x86_64 DLL in
# build-win64 (the same toolchain settings as tests/wine/run.sh) where they
# are not up to date.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dll64_dir=$root/build-win64/bin
if [[ ${1:-} == --dll64-from ]]; then
  dll64_dir=$(realpath "$2")
  shift 2
fi
out=$(realpath -m "${1:-build-win32/dist}")

command -v makensis >/dev/null || { echo "no makensis: tools/install_deps.sh --win32" >&2; exit 1; }

version=$(sed -n 's/^project(Vellumtrace VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
version4=$version
while [[ $(tr -cd . <<<"$version4" | wc -c) -lt 3 ]]; do version4+=.0; done

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
[[ -f build-win32/CMakeCache.txt ]] || cmake --preset win32 "${launcher[@]}" >/dev/null
cmake --build build-win32 -j2 --target Vellumtrace >/dev/null
[[ -f build-win64/CMakeCache.txt ]] || cmake --preset win64 "${launcher[@]}" >/dev/null
cmake --build build-win64 -j2 --target Vellumtrace >/dev/null

for dll in build-win32/bin/Vellumtrace.dll build-win64/bin/Vellumtrace.dll; do
  [[ -f $dll ]] || { echo "no $dll" >&2; exit 1; }
done

mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The dictionaries by name: the uninstaller removes exactly these.
dictionaries=$work/dictionaries.nsh
{
  echo '!macro InstallDictionaries'
  for f in dic/*.xml; do printf '  File "/oname=%s" "%s"\n' "${f##*/}" "$root/$f"; done
  echo '!macroend'
  echo '!macro RemoveDictionaries FOLDER'
  for f in dic/*.xml; do printf '  Delete "$INSTDIR\\${FOLDER}\\dic\\%s"\n' "${f##*/}"; done
  echo '!macroend'
} >"$dictionaries"

setup=$out/Vellumtrace-$version-setup.exe
makensis -V2 -DVERSION="$version" -DVERSION4="$version4" -DOUTFILE="$setup" \
  -DDLL32="$root/build-win32/bin" -DDLL64="$dll64_dir" \
  -DDICTIONARIES="$dictionaries" cmake/windows/installer.nsi

# The zip: x86\ and x64\, each a complete copy.
name=Vellumtrace-$version-windows
for pair in x86:build-win32 x64:build-win64; do
  folder=$work/$name/${pair%%:*} build=${pair#*:}
  mkdir -p "$folder/dic"
  cp "$build/bin/Vellumtrace.dll" "$build/bin/Vellumtrace.manifest" "$folder/"
  cp dic/*.xml "$folder/dic/"
done
cp docs/windows.md "$work/$name/"
rm -f "$out/$name.zip"
(cd "$work" && cmake -E tar cf "$out/$name.zip" --format=zip "$name")

echo "$setup ($(stat -c %s "$setup") bytes)"
echo "$out/$name.zip ($(stat -c %s "$out/$name.zip") bytes)"
