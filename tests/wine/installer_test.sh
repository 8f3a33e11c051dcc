#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh 64-bit prefix with 32-bit
# support (its own, inside the build tree):
#   - a silent install (/S): files, and the registration in each registry
#     view (the i686 DLL in the 32-bit view, the x86_64 DLL in the 64-bit
#     view, the same CLSID, ProgIDs and type library), the Add/Remove
#     Programs entry;
#   - the examples of docs/windows.md from a 32-bit host (SysWOW64's
#     cscript, the i686 early_bound.exe) and a 64-bit host (System32's
#     cscript, the x86_64 early_bound.exe): every result equal to the Linux
#     tool's, byte for byte (UTF-16);
#   - a silent uninstall: no file and no key of ours in either view.
# A kernel that runs no 32-bit programs cannot run the installer (a 32-bit
# program) nor 32-bit hosts: then the x86_64 DLL from the zip is registered
# by hand with the 64-bit regsvr32 and only the 64-bit half runs; the output
# says so.
#
#   tests/wine/installer_test.sh [--64-only]
#
# --64-only runs the half that a kernel without 32-bit programs runs, on any
# kernel.
#
# Needs the Linux build (build/bin/vellumtrace, or $VELLUMTRACE_LINUX_CLI)
# and the win32 build; builds build-win64 and the downloads
# (tools/make_windows_installer.sh) itself.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
started=$SECONDS
linux_cli=${VELLUMTRACE_LINUX_CLI:-$root/build/bin/vellumtrace}
source "$root/tests/wine/checks.sh"
die() { echo "installer test: $*" >&2; exit 1; }

wine64=/usr/lib/wine/wine64
wine32=/usr/lib/wine/wine
[[ -x $linux_cli ]] || die "no Linux tool at $linux_cli: build the default preset first"
[[ -x $wine64 ]] || die "no $wine64: install Wine (tools/install_deps.sh --win32)"
only64=false
case ${1:-} in
  --64-only) only64=true ;;
  "") ;;
  *) echo "usage: tests/wine/installer_test.sh [--64-only]" >&2; exit 2 ;;
esac
if $only64; then
  with32=false
  exercised="the x86_64 DLL only, registered by hand from the zip (--64-only)"
elif [[ -x $wine32 ]] && "$wine32" --version >/dev/null 2>&1; then
  with32=true
  exercised="the installer, the i686 DLL (32-bit view) and the x86_64 DLL (64-bit view)"
else
  with32=false
  exercised="the x86_64 DLL only, registered by hand from the zip: this kernel runs no 32-bit programs, so neither the installer nor the i686 DLL can run"
fi
echo "== installer test: $exercised"
# CI's summary repeats it from here.
mkdir -p "$root/build-win32"
echo "installer test: $exercised" >"$root/build-win32/installer-test-exercised.txt"

# ---- the downloads and the examples ----------------------------------------

echo "== Building the installer, the zip and the C++ example"
tools/make_windows_installer.sh "$root/build-win32/dist" | sed 's/^/    /'
version=$(sed -n 's/^project(Vellumtrace VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
setup=$root/build-win32/dist/Vellumtrace-$version-setup.exe
zip=$root/build-win32/dist/Vellumtrace-$version-windows.zip
cmake --build build-win32 -j2 --target early_bound >/dev/null
cmake --build build-win64 -j2 --target early_bound >/dev/null

# The zip: both copies, complete, each with its manifest.
unzipped=$root/build-win32/installer-test-zip
rm -rf "$unzipped" && mkdir -p "$unzipped"
cmake -E chdir "$unzipped" cmake -E tar xf "$zip"
for pair in x86:build-win32 x64:build-win64; do
  folder=$unzipped/Vellumtrace-$version-windows/${pair%%:*}
  expect "zip: ${pair%%:*}\\Vellumtrace.dll is the ${pair#*:} DLL" \
    cmp "$folder/Vellumtrace.dll" "${pair#*:}/bin/Vellumtrace.dll"
  expect "zip: ${pair%%:*}\\Vellumtrace.manifest" cmp "$folder/Vellumtrace.manifest" \
    "${pair#*:}/bin/Vellumtrace.manifest"
  expect "zip: ${pair%%:*}\\dic holds the dictionaries" diff -r dic "$folder/dic"
done

# ---- a fresh 64-bit prefix ---------------------------------------------------

work=$root/build-win32/installer-test
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# 32-bit processes start 64-bit ones (and back) through this loader.
$with32 && export WINELOADER=$wine32 || export WINELOADER=$wine64
stop_wine() { wineserver -k >/dev/null 2>&1 || true; }
finish() { stop_wine; echo "== installer test: $exercised"; }
trap finish EXIT
w64() { "$wine64" "$@" </dev/null; }
w32() { "$wine32" "$@" </dev/null; }
winpath() { local p; p=$(realpath -m "$1"); printf 'Z:%s' "${p//\//\\}"; }

stop_wine
rm -rf "$work"
mkdir -p "$work"/{in,expected,out}
w64 wineboot --init >/dev/null 2>&1 || die "wineboot failed"
[[ -d $WINEPREFIX/drive_c/windows/syswow64 ]] || ! $with32 || die "the prefix has no SysWOW64"

program_files=$WINEPREFIX/drive_c/"Program Files"
install_dir=$program_files/Vellumtrace
install_win='C:\Program Files\Vellumtrace'
clsid='{5B07C43F-9E2F-11D6-A417-00508B6E31C2}'
iid='{5B07C43E-9E2F-11D6-A417-00508B6E31C2}'
libid='{5B07C431-9E2F-11D6-A417-00508B6E31C2}'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vellumtrace'
classes='HKLM\Software\Classes'

# Registry look-ups in one view, 32 or 64: through the reg.exe of that
# bitness, which sees what a host of that bitness sees (keys that both views
# share, such as the ProgIDs, included). Without 32-bit programs, the 64-bit
# reg.exe with /reg:32.
reg() {  # view args...
  local view=$1; shift
  if [[ $view == 64 ]]; then w64 'C:\windows\system32\reg.exe' "$@"
  elif $with32; then w32 'C:\windows\syswow64\reg.exe' "$@"
  else w64 'C:\windows\system32\reg.exe' "$@" /reg:32
  fi
}
reg_has() { reg "$1" query "$2" >/dev/null 2>&1; }
reg_value() {  # view key [value]: the data of the value (default: the key's own)
  local select=(/ve) name='(Default)'
  [[ -n ${3:-} ]] && select=(/v "$3") name=$3
  reg "$1" query "$2" "${select[@]}" 2>/dev/null | tr -d '\r' |
    sed -n "s/^    $name    REG_[A-Z_]*    //p"
}
# Every key this product adds, in one view.
our_keys=("$classes\\CLSID\\$clsid" "$classes\\Vellumtrace.CSummarizer"
          "$classes\\Vellumtrace.CSummarizer.1" "$classes\\TypeLib\\$libid"
          "$classes\\Interface\\$iid" "$uninstall_key")

# ---- install -----------------------------------------------------------------

if $with32; then
  # An installer whose x64 DLL cannot be registered: exit code 2, and
  # nothing of it left behind.
  echo "== A failing registration undoes the installation"
  mkdir -p "$work/broken/dll"
  echo "not a DLL" >"$work/broken/dll/Vellumtrace.dll"
  tools/make_windows_installer.sh --dll64-from "$work/broken/dll" "$work/broken" >/dev/null
  status=0
  w32 "$(winpath "$work/broken/$(basename "$setup")")" /S >"$work/broken.log" 2>&1 || status=$?
  expect_eq "the installer exits 2" "$status" 2
  expect_not "no install folder is left" test -e "$install_dir"
  for view in 32 64; do
    left=()
    for key in "${our_keys[@]}"; do reg_has "$view" "$key" && left+=("$key"); done
    expect_eq "$view-bit view: none of our keys is left" "${left[*]}" ""
  done

  echo "== Silent install: $(basename "$setup")"
  status=0
  w32 "$(winpath "$setup")" /S >"$work/install.log" 2>&1 || status=$?
  expect_eq "the installer exits 0" "$status" 0
  views=(32 64)
else
  echo "== No installer (a 32-bit program): the zip's x64 folder, registered by hand"
  echo "SKIP - the installer and the 32-bit view: $($only64 && echo "--64-only" ||
    echo "this kernel runs no 32-bit programs")"
  mkdir -p "$install_dir"
  cp -r "$unzipped/Vellumtrace-$version-windows/x64" "$install_dir/"
  status=0
  w64 'C:\windows\system32\regsvr32.exe' /s "$install_win\\x64\\Vellumtrace.dll" || status=$?
  expect_eq "the 64-bit regsvr32 exits 0" "$status" 0
  views=(64)
fi

dictionaries=$(cd dic && ls *.xml)
for folder in x86 x64; do
  [[ $folder == x86 ]] && ! $with32 && continue
  expect "$folder: Vellumtrace.dll installed" cmp "$install_dir/$folder/Vellumtrace.dll" \
    "$root/build-win$([[ $folder == x86 ]] && echo 32 || echo 64)/bin/Vellumtrace.dll"
  expect_eq "$folder: the dictionaries installed" "$(cd "$install_dir/$folder/dic" && ls)" "$dictionaries"
  expect "$folder: the dictionaries unchanged" diff -r "$root/dic" "$install_dir/$folder/dic"
done
$with32 && expect "the uninstaller installed" test -f "$install_dir/Uninstall.exe"

echo "== The registry in each view"
for view in "${views[@]}"; do
  folder=x64 platform=win64
  [[ $view == 32 ]] && folder=x86 platform=win32
  dll="$install_win\\$folder\\Vellumtrace.dll"
  expect_eq "$view-bit view: the class is served by the $folder DLL" \
    "$(reg_value "$view" "$classes\\CLSID\\$clsid\\InprocServer32")" "$dll"
  expect_eq "$view-bit view: ThreadingModel" \
    "$(reg_value "$view" "$classes\\CLSID\\$clsid\\InprocServer32" ThreadingModel)" Apartment
  expect_eq "$view-bit view: the ProgID names the class" \
    "$(reg_value "$view" "$classes\\Vellumtrace.CSummarizer.1\\CLSID")" "$clsid"
  expect_eq "$view-bit view: the version-independent ProgID names the class" \
    "$(reg_value "$view" "$classes\\Vellumtrace.CSummarizer\\CLSID")" "$clsid"
  expect_eq "$view-bit view: the $platform type library is the $folder DLL" \
    "$(reg_value "$view" "$classes\\TypeLib\\$libid\\1.0\\0\\$platform")" "$dll"
  # What a host of this bitness sees, for the log.
  echo "    $view-bit view: CLSID -> $(reg_value "$view" "$classes\\CLSID\\$clsid\\InprocServer32")," \
    "Vellumtrace.CSummarizer -> $(reg_value "$view" "$classes\\Vellumtrace.CSummarizer\\CLSID")," \
    "TypeLib 1.0\\0: $(reg "$view" query "$classes\\TypeLib\\$libid\\1.0\\0" 2>/dev/null |
      tr -d '\r' | sed -n 's/.*\\\(win[0-9]*\)$/\1/p' | tr '\n' ' ')"
done
if $with32; then
  expect_eq "Add/Remove Programs: the entry's name" \
    "$(reg_value 64 "$uninstall_key" DisplayName)" "Vellumtrace $version"
  expect_eq "Add/Remove Programs: the silent uninstall" \
    "$(reg_value 64 "$uninstall_key" QuietUninstallString)" "\"$install_win\\Uninstall.exe\" /S"
  expect_not "Add/Remove Programs: no second entry in the 32-bit view" \
    reg_has 32 "$uninstall_key"
fi

# ---- the examples from each host ----------------------------------------------

samples=$root/tests/wine/samples
expected() {  # name language percent sample
  "$linux_cli" --dictionary "$root/dic/$2.xml" --percent "$3" --format text "$samples/$4.txt" |
    iconv -f UTF-8 -t UTF-16LE >"$work/expected/$1.txt"
}
iconv -f UTF-8 -t UTF-16LE "$samples/harbour_en.txt" >"$work/in/harbour_en.txt"
iconv -f UTF-8 -t UTF-16LE "$samples/werkstatt_de.txt" >"$work/in/werkstatt_de.txt"
expected js en 30 harbour_en
expected vbs de 40 werkstatt_de
expected cpp en 50 harbour_en
# The script hosts' files begin with a byte-order mark.
without_bom() { if [[ $(head -c 2 "$1" | od -An -tx1 | tr -d ' ') == fffe ]]; then tail -c +3 "$1"; else cat "$1"; fi; }
same_result() { [[ -f $1 ]] && cmp -s <(without_bom "$1") "$2"; }

run_example() {  # bits name loader program args...
  local bits=$1 name=$2 loader=$3 status=0 log=$work/$1-$2.log out=$work/out/$1-$2.txt
  shift 3
  "$loader" "$@" "$out" </dev/null >"$log" 2>&1 || status=$?
  if [[ $status -eq 0 ]] && same_result "$out" "$work/expected/$name.txt"; then
    ok "$bits-bit host: $name example's result equals the Linux tool's"
  else
    not_ok "$bits-bit host: $name example's result equals the Linux tool's" \
      "status $status, $(tr -d '\r' <"$log" | head -n 3 | tr '\n' ' ')"
  fi
}
examples_from() {  # bits loader system-folder build
  local bits=$1 loader=$2 system=$3 build=$4
  echo "== The examples from a $bits-bit host (C:\\windows\\$system\\cscript.exe, $build/bin/early_bound.exe)"
  run_example "$bits" js "$loader" "C:\\windows\\$system\\cscript.exe" //nologo \
    "$(winpath examples/windows/summarize.js)" "$(winpath "$work/in/harbour_en.txt")" en 30
  run_example "$bits" vbs "$loader" "C:\\windows\\$system\\cscript.exe" //nologo \
    "$(winpath examples/windows/summarize.vbs)" "$(winpath "$work/in/werkstatt_de.txt")" de 40
  run_example "$bits" cpp "$loader" "$root/$build/bin/early_bound.exe" \
    "$(winpath "$work/in/harbour_en.txt")" en 50
}
if $with32; then
  examples_from 32 "$wine32" syswow64 build-win32
else
  echo "SKIP - the 32-bit host: $($only64 && echo "--64-only" ||
    echo "this kernel runs no 32-bit programs")"
fi
examples_from 64 "$wine64" system32 build-win64

# ---- uninstall ---------------------------------------------------------------

if $with32; then
  echo "== Silent uninstall"
  status=0
  # The uninstaller copies itself to a temporary folder and runs from there:
  # wait for every process of this prefix to end.
  w32 "$install_win\\Uninstall.exe" /S >"$work/uninstall.log" 2>&1 || status=$?
  expect_eq "the uninstaller exits 0" "$status" 0
  timeout 120 wineserver -w || not_ok "the uninstaller ends within two minutes"
else
  echo "== Unregistering by hand"
  status=0
  w64 'C:\windows\system32\regsvr32.exe' /s /u "$install_win\\x64\\Vellumtrace.dll" || status=$?
  expect_eq "the 64-bit regsvr32 /u exits 0" "$status" 0
  rm -rf "$install_dir"
fi
expect_not "no install folder is left" test -e "$install_dir"
expect "Program Files stays" test -d "$program_files"
expect "HKLM\\Software\\Classes\\CLSID stays" reg_has 64 "$classes\\CLSID"
# Each view as a host of its bitness sees it, and the 64-bit reg.exe's
# /reg:32 and /reg:64 besides.
raw_has() { w64 'C:\windows\system32\reg.exe' query "$2" "/reg:$1" >/dev/null 2>&1; }
for view in 32 64; do
  left=()
  for key in "${our_keys[@]}"; do
    reg_has "$view" "$key" && left+=("$key")
    raw_has "$view" "$key" && left+=("$key (/reg:$view)")
  done
  expect_eq "$view-bit view: none of our keys is left" "${left[*]}" ""
done

stop_wine
echo "installer test took $((SECONDS - started)) s"
echo "installer: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
