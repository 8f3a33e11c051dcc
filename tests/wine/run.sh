#!/usr/bin/env bash
# Tests the Windows component under Wine with real clients, in a fresh Wine
# prefix inside the build tree:
#   - regsvr32, and the registry it leaves, key for key (reg query);
#   - a JScript and a VBScript client (cscript, late binding) and the C++
#     client (early binding) summarising our samples and the golden cases:
#     every result must equal the Linux tool's byte for byte (UTF-16);
#   - the C++ client's checks: interfaces, class factory, unloading,
#     aggregation, argument checks, late binding, and the dumps read back
#     from the debug output (compared with the Linux tool's);
#   - the alert as a user sees it: a real dialog under Xvfb, closed with
#     xdotool;
#   - the dictionary folder from the registration, and from the DLL's own
#     folder once the registration is gone; regsvr32 /u;
#   - what hosts run into (host_client.exe, defaults.vbs): calls while the
#     alert is up, error objects, server locks, optional arguments, the
#     version resource, two copies, a removed type library key, REG_EXPAND_SZ
#     and %20 folders, per-user registration, registration-free use.
#
#   tests/wine/run.sh [--arch auto|i686|x86_64]
#
# Needs the Linux build (build/bin/vellumtrace, or $VELLUMTRACE_LINUX_CLI)
# and the win32 build (build-win32). With --arch auto (the default) the
# 32-bit DLL runs under 32-bit Wine. A kernel without 32-bit program support
# cannot run 32-bit Wine at all: then the 32-bit DLL is only checked without
# running it (exports, imports, resources), and the tests run on the same
# sources built as a 64-bit DLL (build-win64) under wine64.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD

arch=auto
while [[ $# -gt 0 ]]; do
  case $1 in
    --arch) arch=$2; shift 2 ;;
    *) echo "usage: tests/wine/run.sh [--arch auto|i686|x86_64]" >&2; exit 2 ;;
  esac
done

# ---- which DLL, and why: the suite's first and last line -----------------

runs_32bit_wine() { [[ -x /usr/lib/wine/wine ]] && /usr/lib/wine/wine --version >/dev/null 2>&1; }

if [[ -z ${VELLUMTRACE_EXERCISED:-} ]]; then
  case $arch in
    auto)
      if runs_32bit_wine; then
        arch=i686
        why="this kernel runs 32-bit programs"
      else
        arch=x86_64
        why="this kernel cannot run 32-bit programs, so the i686 DLL is only inspected"
      fi ;;
    *) why="--arch $arch was asked for" ;;
  esac
  case $arch in
    i686) what="the real i686 DLL (build-win32/bin/Vellumtrace.dll)" ;;
    x86_64) what="the x86_64 stand-in (build-win64/bin/Vellumtrace.dll), not the i686 DLL" ;;
    *) what="no DLL" ;;
  esac
  export VELLUMTRACE_EXERCISED="wine suite: $what, because $why"
  echo "== $VELLUMTRACE_EXERCISED"
  # CI's summary repeats it from here.
  mkdir -p "$root/build-win32"
  echo "$VELLUMTRACE_EXERCISED" >"$root/build-win32/wine-suite-exercised.txt"
fi

# Every dialog goes to a virtual display of our own.
if [[ -z ${VELLUMTRACE_UNDER_XVFB:-} ]]; then
  export VELLUMTRACE_UNDER_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --arch "$arch" </dev/null
fi

started=$SECONDS
linux_cli=${VELLUMTRACE_LINUX_CLI:-$root/build/bin/vellumtrace}
source "$root/tests/wine/checks.sh"
die() { echo "wine tests: $*" >&2; exit 1; }

# ---- which Wine, which DLL ---------------------------------------------

win32_build=$root/build-win32
case $arch in
  i686)
    build=$win32_build
    wine_loader=/usr/lib/wine/wine
    typelib_platform=win32 ;;
  x86_64)
    build=$root/build-win64
    wine_loader=/usr/lib/wine/wine64
    typelib_platform=win64 ;;
  *) die "unknown --arch $arch" ;;
esac
[[ -x $linux_cli ]] || die "no Linux tool at $linux_cli: build the default preset first"
[[ -x $wine_loader ]] || die "no $wine_loader: install Wine (tools/install_deps.sh --win32)"

work=$build/wine
export WINEPREFIX=$work/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINELOADER=$wine_loader
wine() { "$wine_loader" "$@" </dev/null; }
stop_wine() { wineserver -k >/dev/null 2>&1 || true; }
finish() { stop_wine; echo "== $VELLUMTRACE_EXERCISED"; }
trap finish EXIT

# Z:\ is the Unix root in every prefix.
winpath() { local p; p=$(realpath -m "$1"); printf 'Z:%s' "${p//\//\\}"; }

# Counts a client's "ok"/"not ok" lines through its closing RESULT line.
client_result() {  # name log status
  local name=$1 log=$2 status=$3 line
  line=$(tr -d '\r' <"$log" | grep -E '^RESULT pass=[0-9]+ fail=[0-9]+$' | tail -n 1 || true)
  tr -d '\r' <"$log" | grep -E '^not ok' | sed "s/^/    $name: /" || true
  if [[ -z $line ]]; then
    not_ok "$name" "no RESULT line (status $status):"
    sed 's/^/    /' "$log" | tail -n 20
    return
  fi
  local pass=${line#RESULT pass=}; pass=${pass%% *}
  local fail=${line##*fail=}
  if [[ $status -eq 0 && $fail -eq 0 && $pass -gt 0 ]]; then
    ok "$name ($pass checks)"
  else
    not_ok "$name" "$pass passed, $fail failed, status $status"
  fi
}

# ---- the 32-bit DLL, without running it -----------------------------------

check_win32_dll() {
  local dll=$win32_build/bin/Vellumtrace.dll dump
  if [[ ! -f $dll ]]; then
    not_ok "32-bit DLL built" "no $dll"
    return
  fi
  dump=$(i686-w64-mingw32-objdump -p "$dll")
  expect_eq "32-bit DLL is a PE32 i386 file" \
    "$(i686-w64-mingw32-objdump -f "$dll" | sed -n 's/.*file format //p')" "pei-i386"
  expect_eq "32-bit DLL exports the five entry points by name" \
    "$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\s*\[ *[0-9]*\] //p' | tr '\n' ' ')" \
    "DllCanUnloadNow DllGetClassObject DllInstall DllRegisterServer DllUnregisterServer "
  local imports
  imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
  expect_eq "32-bit DLL imports only system DLLs" "$imports" \
    "advapi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll user32.dll "
  expect "32-bit DLL carries the TYPELIB and REGISTRY resources" \
    bash -c "strings -e l '$dll' | grep -qx TYPELIB && strings -e l '$dll' | grep -qx REGISTRY"
  expect "32-bit DLL carries the registry script" grep -q "ForceRemove 'Programmable'" "$dll"
}

echo "== The 32-bit DLL"
check_win32_dll

if [[ $arch == x86_64 ]]; then
  echo "== Building the 64-bit variant in $build"
  (cd "$root" && cmake --preset win64 >/dev/null && cmake --build --preset win64 -j2 >/dev/null)
fi
[[ -f $build/bin/Vellumtrace.dll && -f $build/bin/com_client.exe ]] ||
  die "no DLL or client in $build/bin: build the win32 preset first"

# ---- a fresh prefix and an installed copy -------------------------------

echo "== Fresh Wine prefix in $WINEPREFIX"
stop_wine
rm -rf "$work"
mkdir -p "$work"/{in,expected,out/cpp,out/js,out/vbs}
wine wineboot --init >/dev/null 2>&1 || die "wineboot failed"

# A folder name with a quote and a blank: the registrar script must carry
# the path unchanged.
install_dir="$work/It's installed"
mkdir -p "$install_dir/dic"
cp "$build/bin/Vellumtrace.dll" "$install_dir/"
cp "$root"/dic/*.xml "$install_dir/dic/"
dll_win=$(winpath "$install_dir/Vellumtrace.dll")

# ---- the cases: our samples and the golden cases --------------------------

cases=$work/cases.txt
: >"$cases"
# Both sides read the very same dictionary file: the Linux tool is given
# the installed copy that the DLL reads.
add_case() {  # name lang percent format text-file
  local name=$1 lang=$2 percent=$3 format=$4 text=$5 html=0 status=0
  [[ $format == html ]] && html=1
  iconv -f UTF-8 -t UTF-16LE "$text" >"$work/in/$name.txt"
  "$linux_cli" --dictionary "$install_dir/dic/${lang:-en}.xml" --percent "$percent" \
    --format "$format" "$text" >"$work/expected/$name.utf8" 2>/dev/null || status=$?
  [[ $status -eq 0 ]] || die "the Linux tool failed ($status) on case $name"
  iconv -f UTF-8 -t UTF-16LE "$work/expected/$name.utf8" >"$work/expected/$name.txt"
  for client in cpp js vbs; do
    printf '%s|%s|%s|%s|%s|%s\n' "$name" "$lang" "$percent" "$html" \
      "$(winpath "$work/in/$name.txt")" "$(winpath "$work/out/$client/$name.txt")" \
      >>"$work/cases-$client.txt"
  done
  echo "$name" >>"$cases"
}

samples=$root/tests/wine/samples
add_case harbour_default_20_text "" 20 text "$samples/harbour_en.txt"
add_case harbour_default_50_html "" 50 html "$samples/harbour_en.txt"
add_case harbour_en_100_text en 100 text "$samples/harbour_en.txt"
add_case harbour_en_0_html en 0 html "$samples/harbour_en.txt"
add_case werkstatt_de_30_text de 30 text "$samples/werkstatt_de.txt"
add_case werkstatt_de_60_html de 60 html "$samples/werkstatt_de.txt"
for dir in "$root"/tests/golden/*/; do
  name=$(basename "$dir")
  [[ -f $dir/dictionary.xml && -f $dir/text.txt && -f $dir/options ]] || continue
  grep -q '^alerts=[1-9]' "$dir/options" && continue
  percent=$(sed -n 's/^percent=//p' "$dir/options")
  format=$(sed -n 's/^format=//p' "$dir/options")
  cp "$dir/dictionary.xml" "$install_dir/dic/golden_$name.xml"
  add_case "golden_$name" "golden_$name" "${percent:-20}" "${format:-text}" "$dir/text.txt"
done

# ---- registration ---------------------------------------------------------

clsid='{5B07C43F-9E2F-11D6-A417-00508B6E31C2}'
iid='{5B07C43E-9E2F-11D6-A417-00508B6E31C2}'
libid='{5B07C431-9E2F-11D6-A417-00508B6E31C2}'

# `reg query /s` of a key, without carriage returns and blank lines.
reg_tree() { wine reg query "$1" /s 2>/dev/null | tr -d '\r' | sed '/^$/d'; }
reg_has() { wine reg query "$1" >/dev/null 2>&1; }
reg_default() { wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/^    (Default)    REG_SZ    //p'; }
# The class's keys under CLASSES (the machine's or the user's), as reg
# query prints them after regsvr32 of $dll_win.
class_keys() {
  local C="$1\\CLSID\\$clsid"
  echo "$C
    (Default)    REG_SZ    CSummarizer Class
$C\\InprocServer32
    (Default)    REG_SZ    $dll_win
    ThreadingModel    REG_SZ    Apartment
$C\\ProgID
    (Default)    REG_SZ    Vellumtrace.CSummarizer.1
$C\\Programmable
$C\\TypeLib
    (Default)    REG_SZ    $libid
$C\\VersionIndependentProgID
    (Default)    REG_SZ    Vellumtrace.CSummarizer"
}

# The ProgID's keys under CLASSES: the versioned one (SUFFIX .1), or the
# version-independent one (SUFFIX empty) with its CurVer.
progid_keys() {  # classes suffix
  local P="$1\\Vellumtrace.CSummarizer$2"
  echo "$P
    (Default)    REG_SZ    CSummarizer Class
$P\\CLSID
    (Default)    REG_SZ    $clsid"
  [[ -n $2 ]] || echo "$P\\CurVer
    (Default)    REG_SZ    Vellumtrace.CSummarizer.1"
}

echo "== regsvr32"
status=0
wine regsvr32 "$dll_win" >"$work/regsvr32.log" 2>&1 || status=$?
expect_eq "regsvr32 succeeds" "$status" 0

expect_eq "the class registration, key for key" "$(reg_tree "HKCR\\CLSID\\$clsid")" \
  "$(class_keys HKEY_CLASSES_ROOT)"
expect_eq "the ProgID, key for key" "$(reg_tree 'HKCR\Vellumtrace.CSummarizer.1')" \
  "$(progid_keys HKEY_CLASSES_ROOT .1)"
expect_eq "the version-independent ProgID, key for key" \
  "$(reg_tree 'HKCR\Vellumtrace.CSummarizer')" "$(progid_keys HKEY_CLASSES_ROOT '')"
expect_eq "the type library is registered" \
  "$(reg_default "HKCR\\TypeLib\\$libid\\1.0")" "Vellumtrace 1.0 Type Library"
expect_eq "the type library's file" \
  "$(reg_default "HKCR\\TypeLib\\$libid\\1.0\\0\\$typelib_platform")" "$dll_win"
expect_eq "the interface is registered" "$(reg_default "HKCR\\Interface\\$iid")" "ICSummarizer"

# ---- the clients --------------------------------------------------------

compare_outputs() {  # client
  local client=$1 name mismatches=0 actual
  while read -r name; do
    actual=$work/out/$client/$name.txt
    # The script hosts' text files begin with a byte-order mark.
    if [[ -f $actual ]] && cmp -s <(tail -c +"$(bom_skip "$actual")" "$actual") \
                                  "$work/expected/$name.txt"; then
      continue
    fi
    mismatches=$((mismatches + 1))
    not_ok "$client: $name equals the Linux result" \
      "$(cmp <(tail -c +"$(bom_skip "$actual")" "$actual") "$work/expected/$name.txt" 2>&1 || true)"
  done <"$cases"
  [[ $mismatches -eq 0 ]] && ok "$client: $(wc -l <"$cases") results equal the Linux tool's"
}
bom_skip() { [[ -f $1 && $(head -c 2 "$1" | od -An -tx1 | tr -d ' ') == fffe ]] && echo 3 || echo 1; }

echo "== C++ client (early binding)"
status=0
wine "$build/bin/com_client.exe" cases "$(winpath "$work/cases-cpp.txt")" \
  >"$work/cpp-cases.log" 2>&1 || status=$?
client_result "C++ client summarises the cases" "$work/cpp-cases.log" "$status"
compare_outputs cpp

# A script client run by cscript (late binding): name, script extension.
script_client() {
  local status=0
  wine cscript //nologo "$(winpath "$root/tests/wine/clients/client.$2")" \
    "$(winpath "$work/cases-$2.txt")" >"$work/$2.log" 2>&1 || status=$?
  client_result "$1 client" "$work/$2.log" "$status"
  compare_outputs "$2"
}

echo "== JScript client (cscript, late binding)"
script_client JScript js

echo "== VBScript client (cscript, late binding)"
script_client VBScript vbs

echo "== C++ client checks"
checks_text=$samples/harbour_en.txt
iconv -f UTF-8 -t UTF-16LE "$checks_text" >"$work/in/checks.txt"
status=0
wine "$build/bin/com_client.exe" checks "$(winpath "$work/in/checks.txt")" \
  "$(winpath "$work/out/cpp/dumps.txt")" >"$work/cpp-checks.log" 2>&1 || status=$?
client_result "C++ client checks" "$work/cpp-checks.log" "$status"
"$linux_cli" --dictionary "$install_dir/dic/en.xml" --percent 50 --format html \
  --debug-output "$work/expected/dumps.utf8" "$checks_text" >/dev/null
# A debug-output viewer receives the text in the ANSI code page (1252 here).
iconv -f UTF-8 -t CP1252 "$work/expected/dumps.utf8" >"$work/expected/dumps.txt"
expect "the dumps read from the debug output equal the Linux tool's" \
  cmp "$work/out/cpp/dumps.txt" "$work/expected/dumps.txt"

# ---- dumps only where someone can see them ---------------------------------

# The DLL's own OutputDebugStringW calls, counted through its import table:
# none without a listener, one per fragment read with one, looked up afresh
# on every run.
echo "== Dumps only while a listener is there"
status=0
wine "$build/bin/com_client.exe" observers "$(winpath "$work/in/checks.txt")" \
  >"$work/cpp-observers.log" 2>&1 || status=$?
client_result "C++ client: the dumps follow the listener" "$work/cpp-observers.log" "$status"

# ---- a dictionary replaced by rename ---------------------------------------

# Dictionaries that split sentences differently, in pairs of the same size
# and time: once one is renamed over the other, the next run of the same
# process must read it, which only the file index can tell. Then the whole
# dic folder is swapped for a copy, and a rename inside the new folder must
# be seen as well.
echo "== A dictionary replaced by rename"
swap_text=$work/in/swap.utf8
printf 'The fish swims! The cat sleeps. The dog barks and the fish swims! The bird sings.' \
  >"$swap_text"
iconv -f UTF-8 -t UTF-16LE "$swap_text" >"$work/in/swap.txt"
swap_dictionary() {  # file breaks...
  local file=$1 item; shift
  { printf '<d><linebreak>'; for item; do printf '<i>%s</i>' "$item"; done
    printf '</linebreak><grader-tc><i>the</i></grader-tc></d>\n'; } >"$file"
}
swap_expected() {  # name dictionary
  "$linux_cli" --dictionary "$2" --percent 50 --format text "$swap_text" |
    iconv -f UTF-8 -t UTF-16LE >"$work/expected/swap-$1.txt"
}
swap_dictionary "$install_dir/dic/swap.xml" .
swap_dictionary "$work/swap_b.xml" '!'
swap_dictionary "$work/swap_c.xml" . '!'
swap_dictionary "$work/swap_d.xml" '!' '?'
# Old enough to be kept compiled; each pair the same time to the second.
touch -d '1 hour ago' "$install_dir/dic/swap.xml" "$work/swap_b.xml"
touch -d '2 hours ago' "$work/swap_c.xml" "$work/swap_d.xml"
swap_expected a "$install_dir/dic/swap.xml"
swap_expected b "$work/swap_b.xml"
swap_expected c "$work/swap_c.xml"
swap_expected d "$work/swap_d.xml"
swap_pairs_differ() {
  [[ $(stat -c %s "$install_dir/dic/swap.xml") == $(stat -c %s "$work/swap_b.xml") &&
     $(stat -c %s "$work/swap_c.xml") == $(stat -c %s "$work/swap_d.xml") ]] &&
    ! cmp -s "$work/expected/swap-a.txt" "$work/expected/swap-b.txt" &&
    ! cmp -s "$work/expected/swap-c.txt" "$work/expected/swap-d.txt"
}
expect "the dictionaries of each pair have the same size and give different results" \
  swap_pairs_differ
# The copy of the folder that takes the place of dic, with C as swap.xml.
cp -a "$install_dir/dic" "$install_dir/dic_new"
cp -p "$work/swap_c.xml" "$install_dir/dic_new/swap.xml"
status=0
wine "$build/bin/com_client.exe" replace "$(winpath "$work/in/swap.txt")" swap \
  "$(winpath "$work/out/cpp/swap-a.txt")" \
  "$(winpath "$work/swap_b.xml")" "$(winpath "$install_dir/dic/swap.xml")" \
  "$(winpath "$work/out/cpp/swap-b.txt")" \
  "$(winpath "$install_dir/dic")" "$(winpath "$install_dir/dic_old")" - \
  "$(winpath "$install_dir/dic_new")" "$(winpath "$install_dir/dic")" \
  "$(winpath "$work/out/cpp/swap-c.txt")" \
  "$(winpath "$work/swap_d.xml")" "$(winpath "$install_dir/dic/swap.xml")" \
  "$(winpath "$work/out/cpp/swap-d.txt")" \
  >"$work/cpp-replace.log" 2>&1 || status=$?
client_result "C++ client: runs between the renames" "$work/cpp-replace.log" "$status"
for step in "a:the run before reads the first dictionary" \
            "b:the run after a rename over it reads the new file" \
            "c:the run after the folder was swapped reads the new folder's file" \
            "d:the run after a rename in the new folder reads the new file"; do
  expect "${step#*:}" cmp "$work/out/cpp/swap-${step%%:*}.txt" "$work/expected/swap-${step%%:*}.txt"
done

# ---- the alert, as a user sees it ------------------------------------------

# One run of the C++ client whose dictionary cannot be read: a real dialog
# must appear, block Summarize until xdotool closes it, and be the only one.
alert_run() {  # name language dll-overrides
  local name=$1 language=$2 overrides=$3 log=$work/alert-$1.log client window= status=0
  # Either way the run goes on without rules.
  "$linux_cli" --dictionary "$work/no_such_dictionary.xml" --percent 100 --format text \
    "$checks_text" 2>/dev/null | iconv -f UTF-8 -t UTF-16LE >"$work/expected/alert-$name.txt" || true
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$overrides" "$wine_loader" "$build/bin/com_client.exe" alert \
    "$(winpath "$work/in/checks.txt")" "$(winpath "$work/out/cpp/alert-$name.txt")" "$language" \
    </dev/null >"$log" 2>&1 &
  client=$!
  for _ in $(seq 1 600); do
    window=$(xdotool search --name '^ZEV$' 2>/dev/null | head -n 1 || true)
    [[ -n $window ]] && break
    kill -0 "$client" 2>/dev/null || break
    sleep 0.1
  done
  if [[ -z $window ]]; then
    not_ok "$name: a dialog titled ZEV appears"
  else
    ok "$name: a dialog titled ZEV appears"
    sleep 2
    # The call is still blocked behind the dialog.
    if kill -0 "$client" 2>/dev/null && grep -q summarize-called "$log" &&
       ! grep -q summarize-returned "$log"; then
      ok "$name: the dialog blocks Summarize"
    else
      not_ok "$name: the dialog blocks Summarize"
    fi
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key --clearmodifiers Return
  fi
  for _ in $(seq 1 300); do kill -0 "$client" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$client" 2>/dev/null; then
    not_ok "$name: the client ends once the dialog is closed"
    kill "$client" 2>/dev/null || true
  fi
  wait "$client" || status=$?
  client_result "$name: one box with its text and OK button, Summarize S_OK" "$log" "$status"
  expect_eq "$name: no dialog is left" "$(xdotool search --name '^ZEV$' 2>/dev/null | wc -l)" 0
  expect "$name: the result equals the Linux tool's" \
    cmp "$work/out/cpp/alert-$name.txt" "$work/expected/alert-$name.txt"
}

echo "== The alert under Xvfb"
alert_run missing_dictionary no_such_language ""
# The reader's trace "d" would come between the client's two lines.
expect "missing_dictionary: no reader trace" \
  grep -qx 'summarize-returned' <(tr -d '\r' <"$work/alert-missing_dictionary.log")
# Without any XML reader class the document cannot be made: one "d", as
# the second parse is never tried.
alert_run no_xml_reader en "msxml3,msxml4,msxml6="
expect "no_xml_reader: the reader trace d, once" \
  grep -qx 'dsummarize-returned' <(tr -d '\r' <"$work/alert-no_xml_reader.log")

# ---- the alert where no one can see it --------------------------------------

# A client that moves to a window station of its own, as a service runs on
# one that is not visible: no box, the alert in the debug output, the call
# comes back with the same result as after a closed box.
echo "== The alert on a window station no one sees"
status=0
wine "$build/bin/com_client.exe" service "$(winpath "$work/in/checks.txt")" \
  "$(winpath "$work/out/cpp/service.txt")" no_such_language >"$work/service.log" 2>&1 || status=$?
client_result "service: no box, the alert in the debug output, Summarize S_OK" \
  "$work/service.log" "$status"
expect_eq "service: no dialog is left" "$(xdotool search --name '^ZEV$' 2>/dev/null | wc -l)" 0
expect "service: the result equals the Linux tool's" \
  cmp "$work/out/cpp/service.txt" "$work/expected/alert-missing_dictionary.txt"

# ---- the dictionary folder ------------------------------------------------

# Another copy whose en.xml is the German dictionary: loaded directly, it
# reads its own folder's dictionaries, whether or not another copy is
# registered.
echo "== The dictionary folder"
other_dir=$work/other
mkdir -p "$other_dir/dic"
cp "$build/bin/Vellumtrace.dll" "$other_dir/"
cp "$root/dic/de.xml" "$other_dir/dic/en.xml"
"$linux_cli" --dictionary "$install_dir/dic/en.xml" --percent 50 --format html "$checks_text" |
  iconv -f UTF-8 -t UTF-16LE >"$work/expected/registered.txt"
"$linux_cli" --dictionary "$other_dir/dic/en.xml" --percent 50 --format html "$checks_text" |
  iconv -f UTF-8 -t UTF-16LE >"$work/expected/own.txt"
run_direct() {  # output-name log
  local status=0
  wine "$build/bin/com_client.exe" direct "$(winpath "$other_dir/Vellumtrace.dll")" 50 1 \
    "$(winpath "$work/in/checks.txt")" "$(winpath "$work/out/cpp/$1.txt")" >"$2" 2>&1 || status=$?
  client_result "C++ client loads the DLL by path ($1)" "$2" "$status"
}
run_direct registered "$work/direct-registered.log"
expect "a side-by-side copy reads its own dictionaries, not the registered copy's" \
  cmp "$work/out/cpp/registered.txt" "$work/expected/own.txt"

echo "== regsvr32 /u"
status=0
wine regsvr32 /u "$dll_win" >"$work/regsvr32-u.log" 2>&1 || status=$?
expect_eq "regsvr32 /u succeeds" "$status" 0
expect "HKCR\\CLSID stays" reg_has 'HKCR\CLSID'
expect_not "the class key is gone" reg_has "HKCR\\CLSID\\$clsid"
expect_not "the version-independent ProgID is gone" reg_has 'HKCR\Vellumtrace.CSummarizer'
expect_not "the ProgID is gone" reg_has 'HKCR\Vellumtrace.CSummarizer.1'
expect_not "the type library is unregistered" reg_has "HKCR\\TypeLib\\$libid\\1.0"
status=0
wine regsvr32 /u "$dll_win" >>"$work/regsvr32-u.log" 2>&1 || status=$?
expect_eq "regsvr32 /u of an unregistered server succeeds" "$status" 0

run_direct own "$work/direct-own.log"
expect "without registration the DLL's own folder serves" \
  cmp "$work/out/cpp/own.txt" "$work/expected/own.txt"

# ---- what hosts run into ---------------------------------------------------

# Calls that arrive while the alert is up, error objects, server locks,
# optional arguments, the version resource, and registrations as they are
# found on real machines: two copies, a missing type library key,
# REG_EXPAND_SZ values, folder names that look like URL escapes, per-user
# registration.
host_client() {  # name log mode args...
  local name=$1 log=$2 status=0
  shift 2
  wine "$build/bin/host_client.exe" "$@" >"$log" 2>&1 || status=$?
  client_result "$name" "$log" "$status"
}
# Summarize(t) with its defaults from VBScript, and a failing call's Err.
defaults_client() {  # name output-name
  local status=0
  wine cscript //nologo "$(winpath "$root/tests/wine/clients/defaults.vbs")" \
    "$(winpath "$work/in/checks.txt")" "$(winpath "$work/out/vbs/$2.txt")" \
    >"$work/defaults-$2.log" 2>&1 || status=$?
  client_result "$1" "$work/defaults-$2.log" "$status"
  expect "$1: the result equals the Linux tool's at 20 percent, plain" \
    cmp <(tail -c +"$(bom_skip "$work/out/vbs/$2.txt")" "$work/out/vbs/$2.txt") \
        "$work/expected/defaults.txt"
}
"$linux_cli" --dictionary "$install_dir/dic/en.xml" --percent 20 --format text "$checks_text" |
  iconv -f UTF-8 -t UTF-16LE >"$work/expected/defaults.txt"
status=0
wine regsvr32 /s "$dll_win" >>"$work/regsvr32.log" 2>&1 || status=$?
expect_eq "regsvr32 again" "$status" 0

echo "== Calls while the alert is up"
iconv -f UTF-8 -t UTF-16LE "$samples/werkstatt_de.txt" >"$work/in/second.txt"
for text in harbour_en werkstatt_de; do
  "$linux_cli" --dictionary "$work/no_such_dictionary.xml" --percent 50 --format text \
    "$samples/$text.txt" 2>/dev/null | iconv -f UTF-8 -t UTF-16LE >"$work/expected/alert-$text.txt" || true
done
host_client "two threads of the multithreaded apartment, one object" "$work/reentrancy-mta.log" \
  reentrancy-mta "$(winpath "$work/in/checks.txt")" "$(winpath "$work/in/second.txt")" \
  "$(winpath "$work/out/cpp/reentrant-first.txt")" "$(winpath "$work/out/cpp/reentrant-later.txt")"
expect "the first call's result is its own text's" \
  cmp "$work/out/cpp/reentrant-first.txt" "$work/expected/alert-harbour_en.txt"
expect "a later call's result is its own text's" \
  cmp "$work/out/cpp/reentrant-later.txt" "$work/expected/alert-werkstatt_de.txt"
host_client "a host timer calls the object from the alert's message loop" \
  "$work/reentrancy-timer.log" reentrancy-timer "$(winpath "$work/in/checks.txt")" \
  "$(winpath "$work/in/second.txt")" "$(winpath "$work/out/cpp/reentrant-outer.txt")"
expect "the outer call's result is its own text's" \
  cmp "$work/out/cpp/reentrant-outer.txt" "$work/expected/alert-harbour_en.txt"

echo "== Error objects, server locks, defaults, version"
host_client "our error object on every failing call" "$work/errorinfo.log" \
  errorinfo "$(winpath "$work/in/checks.txt")"
host_client "an unbalanced LockServer(FALSE)" "$work/lockserver.log" \
  lockserver "$(winpath "$work/in/checks.txt")"
defaults_client "VBScript s.Summarize(t)" defaults
status=0
wine cscript //nologo "$(winpath "$root/tests/wine/clients/defaults.js")" \
  "$(winpath "$work/in/checks.txt")" "$(winpath "$work/out/js/defaults.txt")" \
  >"$work/defaults-js.log" 2>&1 || status=$?
client_result "JScript s.Summarize(t) and e.description" "$work/defaults-js.log" "$status"
expect "JScript s.Summarize(t): the result equals the Linux tool's at 20 percent, plain" \
  cmp <(tail -c +"$(bom_skip "$work/out/js/defaults.txt")" "$work/out/js/defaults.txt") \
      "$work/expected/defaults.txt"
project_version=$(sed -n 's/^project(Vellumtrace VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
while [[ $(tr -cd . <<<"$project_version" | wc -c) -lt 3 ]]; do project_version+=.0; done
host_client "the version resource is the project's ($project_version)" "$work/version.log" \
  version "$dll_win" "$project_version"

echo "== Two copies, one registered"
status=0
wine regsvr32 /u /s "$(winpath "$other_dir/Vellumtrace.dll")" >>"$work/regsvr32-u.log" 2>&1 || status=$?
expect_eq "regsvr32 /u of the unregistered copy" "$status" 0
expect_eq "the registered copy's class key stays" \
  "$(reg_default "HKCR\\CLSID\\$clsid\\InprocServer32")" "$dll_win"
expect_eq "the registered copy's type library stays" \
  "$(reg_default "HKCR\\TypeLib\\$libid\\1.0\\0\\$typelib_platform")" "$dll_win"
defaults_client "the registered copy still works" two-copies

echo "== The type library key removed"
wine regsvr32 /s "$dll_win" >>"$work/regsvr32.log" 2>&1 || true
wine reg delete "HKCR\\TypeLib\\$libid" /f >/dev/null 2>&1 || true
expect_not "the type library key is gone" reg_has "HKCR\\TypeLib\\$libid"
defaults_client "late binding without the type library key" no-typelib-key
status=0
wine regsvr32 /u /s "$dll_win" >>"$work/regsvr32-u.log" 2>&1 || status=$?
expect_eq "regsvr32 /u without the type library key" "$status" 0
expect_not "the class key is gone again" reg_has "HKCR\\CLSID\\$clsid"

echo "== A REG_EXPAND_SZ registration of a copy in a folder named Fifty%20Off"
fifty_dir="$work/Fifty%20Off"
mkdir -p "$fifty_dir/dic"
cp "$build/bin/Vellumtrace.dll" "$fifty_dir/"
cp "$root/dic/en.xml" "$fifty_dir/dic/"
status=0
wine regsvr32 /s "$(winpath "$fifty_dir/Vellumtrace.dll")" >>"$work/regsvr32.log" 2>&1 || status=$?
expect_eq "regsvr32 of the Fifty%20Off copy" "$status" 0
wine reg add "HKCR\\CLSID\\$clsid\\InprocServer32" /ve /t REG_EXPAND_SZ \
  /d '%VELLUMTRACE_TEST_ROOT%\Fifty%20Off\Vellumtrace.dll' /f >/dev/null 2>&1
"$linux_cli" --dictionary "$fifty_dir/dic/en.xml" --percent 50 --format text "$checks_text" |
  iconv -f UTF-8 -t UTF-16LE >"$work/expected/fifty.txt"
VELLUMTRACE_TEST_ROOT=$(winpath "$work") host_client "created through the REG_EXPAND_SZ value" \
  "$work/fifty.log" create "$(winpath "$work/in/checks.txt")" "$(winpath "$work/out/cpp/fifty.txt")"
expect "the Fifty%20Off copy reads its own dictionary" \
  cmp "$work/out/cpp/fifty.txt" "$work/expected/fifty.txt"
status=0
VELLUMTRACE_TEST_ROOT=$(winpath "$work") wine regsvr32 /u /s "$(winpath "$fifty_dir/Vellumtrace.dll")" \
  >>"$work/regsvr32-u.log" 2>&1 || status=$?
expect_eq "regsvr32 /u of the Fifty%20Off copy" "$status" 0
expect_not "its class key is gone" reg_has "HKCR\\CLSID\\$clsid"

echo "== Registration is all or nothing"
host_client "a failing type library step leaves no class keys" "$work/blocked.log" \
  blocked-registration "$dll_win"

echo "== Registration for the current user"
U="HKCU\\Software\\Classes"
status=0
wine regsvr32 /s /n /i:user "$dll_win" >>"$work/regsvr32.log" 2>&1 || status=$?
expect_eq "regsvr32 /n /i:user" "$status" 0
# The machine's keys, key for key, below the user's classes. (Wine's COM
# reads no per-user classes, so creation from a host is not tried here.)
expect_eq "the user's class registration, key for key" "$(reg_tree "$U\\CLSID\\$clsid")" \
  "$(class_keys "HKEY_CURRENT_USER\\Software\\Classes")"
expect_eq "the user's ProgIDs, key for key" \
  "$(reg_tree "$U\\Vellumtrace.CSummarizer.1"; reg_tree "$U\\Vellumtrace.CSummarizer")" \
  "$(progid_keys "HKEY_CURRENT_USER\\Software\\Classes" .1; progid_keys "HKEY_CURRENT_USER\\Software\\Classes" '')"
expect_eq "the type library is registered" \
  "$(reg_default "HKCR\\TypeLib\\$libid\\1.0\\0\\$typelib_platform")" "$dll_win"
expect_not "no class is registered for the machine" reg_has "HKLM\\Software\\Classes\\CLSID\\$clsid"
status=0
wine regsvr32 /s /u /n /i:user "$dll_win" >>"$work/regsvr32-u.log" 2>&1 || status=$?
expect_eq "regsvr32 /u /n /i:user" "$status" 0
for key in "CLSID\\$clsid" Vellumtrace.CSummarizer Vellumtrace.CSummarizer.1 "TypeLib\\$libid" \
           "Interface\\$iid"; do
  expect_not "no $key is left for the user" reg_has "$U\\$key"
  expect_not "no $key is left at all" reg_has "HKCR\\$key"
done

echo "== Registration-free, from a private folder named Private%20Copy"
private_dir="$work/Private%20Copy"
mkdir -p "$private_dir/dic"
cp "$build/bin/Vellumtrace.dll" "$build/bin/Vellumtrace.manifest" "$build/bin/host_client.exe" \
  "$private_dir/"
cp "$root/dic/de.xml" "$private_dir/dic/en.xml"
sed "s/version=\"[0-9.]*\"/version=\"$project_version\"/" "$root/examples/windows/host.exe.manifest" \
  >"$private_dir/host_client.exe.manifest"
[[ $arch == x86_64 ]] && sed -i 's/processorArchitecture="x86"/processorArchitecture="amd64"/' \
  "$private_dir/host_client.exe.manifest"
expect_not "nothing is registered" reg_has "HKCR\\CLSID\\$clsid"
"$linux_cli" --dictionary "$private_dir/dic/en.xml" --percent 50 --format text "$checks_text" |
  iconv -f UTF-8 -t UTF-16LE >"$work/expected/private.txt"
status=0
wine "$private_dir/host_client.exe" create "$(winpath "$work/in/checks.txt")" \
  "$(winpath "$work/out/cpp/private.txt")" >"$work/private.log" 2>&1 || status=$?
client_result "created through the manifests alone" "$work/private.log" "$status"
expect "the private copy reads its own dictionaries" \
  cmp "$work/out/cpp/private.txt" "$work/expected/private.txt"

stop_wine
echo "wine tests ($arch) took $((SECONDS - started)) s"
echo "wine: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
