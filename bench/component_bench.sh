#!/usr/bin/env bash
# Per-call time of the Windows component under Wine against the Linux
# library, on the same texts in the same run:
#   - JScript, late bound (cscript, one object kept across calls);
#   - the C++ client, early bound (vtable) and through IDispatch::Invoke;
#   - the Linux library (vellumtrace_library_per_call, one loaded Dictionary);
#   - the Python module (bench/python_per_call.py), when build/python has it.
# The three take turns for several rounds; each figure is the fastest batch
# of all rounds (five batches a round, after a warm-up), so that a burst of
# load on the shared machine shows in no figure unless it lasted the whole
# run. The ratios are the component's time over the library's (xlib) and
# over the Python module's (xpy).
#
#   bench/component_bench.sh [--arch auto|i686|x86_64] [--seconds S] [--rounds N] [--profile]
#
# --profile adds, per text, the calls the DLL makes to the system in one
# Summarize (com_client profile). Needs the default build (with
# VELLUMTRACE_BUILD_BENCH) and the win32 build, as tests/wine/run.sh does;
# the DLL is chosen as there.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
arch=auto
seconds=1
rounds=3
profile=0
while [[ $# -gt 0 ]]; do
  case $1 in
    --arch) arch=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --profile) profile=1; shift ;;
    *) echo "usage: bench/component_bench.sh [--arch auto|i686|x86_64] [--seconds S] [--rounds N] [--profile]" >&2
       exit 2 ;;
  esac
done
die() { echo "component bench: $*" >&2; exit 1; }

yardstick=$root/build/bin/vellumtrace_library_per_call
[[ -x $yardstick ]] || die "no $yardstick: build the default preset's target vellumtrace_library_per_call"

if [[ $arch == auto ]]; then
  if [[ -x /usr/lib/wine/wine ]] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    arch=i686; why="this kernel runs 32-bit programs"
  else
    arch=x86_64; why="this kernel cannot run 32-bit programs: the 64-bit stand-in"
  fi
else
  why="chosen with --arch"
fi
case $arch in
  i686) build=$root/build-win32; wine_loader=/usr/lib/wine/wine ;;
  x86_64) build=$root/build-win64; wine_loader=/usr/lib/wine/wine64 ;;
  *) die "unknown --arch $arch" ;;
esac
if [[ $arch == x86_64 ]]; then
  # The stand-in is built here, as the Wine suite builds it.
  (cd "$root" && cmake --preset win64 >/dev/null && cmake --build --preset win64 -j2 >/dev/null)
fi
[[ -f $build/bin/Vellumtrace.dll && -f $build/bin/com_client.exe ]] ||
  die "no DLL or client in $build/bin: build it first"
echo "== component bench: the $arch DLL ($build/bin/Vellumtrace.dll), $why"

work=$build/wine-bench
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER=$wine_loader
wine() { "$wine_loader" "$@" </dev/null; }
stop_wine() { wineserver -k >/dev/null 2>&1 || true; }
trap stop_wine EXIT
winpath() { local p; p=$(realpath -m "$1"); printf 'Z:%s' "${p//\//\\}"; }

stop_wine
rm -rf "$work"
mkdir -p "$work/install/dic" "$work/texts"
wine wineboot --init >/dev/null 2>&1 || die "wineboot failed"
cp "$build/bin/Vellumtrace.dll" "$work/install/"
cp "$root/dic/en.xml" "$work/install/dic/"
wine regsvr32 /s "$(winpath "$work/install/Vellumtrace.dll")" >/dev/null 2>&1 || die "regsvr32 failed"
# The dictionary must be older than two seconds to be kept compiled.
touch -d '1 hour ago' "$work/install/dic/en.xml"

# The texts: 22 characters, a news article, and that article eight times.
cp "$root/bench/texts/tiny_22.txt" "$work/texts/tiny_22.txt"
cp "$root/bench/texts/news_article.txt" "$work/texts/news_article.txt"
for _ in 1 2 3 4 5 6 7 8; do cat "$root/bench/texts/news_article.txt"; done >"$work/texts/news_x8.txt"
names=(tiny_22.txt news_article.txt news_x8.txt)
utf8=() utf16=()
for name in "${names[@]}"; do
  iconv -f UTF-8 -t UTF-16LE "$work/texts/$name" >"$work/texts/$name.utf16"
  utf8+=("$work/texts/$name")
  utf16+=("$(winpath "$work/texts/$name.utf16")")
done

: >"$work/library.txt"; : >"$work/python.txt"; : >"$work/cpp.txt"; : >"$work/js.txt"
python_module=$(ls "$root"/build/python/vellumtrace/_vellumtrace*.so 2>/dev/null | head -n 1 || true)
for round in $(seq 1 "$rounds"); do
  echo "round $round of $rounds"
  "$yardstick" "$work/install/dic/en.xml" "$seconds" "${utf8[@]}" >>"$work/library.txt"
  if [[ -n $python_module ]]; then
    PYTHONPATH=$root/build/python /usr/bin/python3 "$root/bench/python_per_call.py" \
      "$work/install/dic/en.xml" "$seconds" "${utf8[@]}" >>"$work/python.txt"
  fi
  wine "$build/bin/com_client.exe" bench "$seconds" "${utf16[@]}" >>"$work/cpp.txt" 2>&1 ||
    die "com_client bench failed: $(cat "$work/cpp.txt")"
  wine cscript //nologo "$(winpath "$root/bench/component_bench.js")" "$seconds" "${utf16[@]}" \
    >>"$work/js.txt" 2>&1 || die "the JScript bench failed: $(cat "$work/js.txt")"
done

fastest() {  # file name column: the lowest figure of all rounds
  tr -d '\r' <"$1" | awk -v n="$2" -v c="$3" '
    ($2 == n || $2 == n ".utf16") && (best == "" || $c + 0 < best + 0) { best = $c }
    END { print best }'
}
printf '\n%-17s %6s | %8s %8s | %9s %6s %5s | %9s %6s %5s | %9s %6s\n' text units \
  "lib us" "py us" "JScript" xlib xpy "C++ early" xlib xpy "C++ Inv." xlib
for name in "${names[@]}"; do
  awk -v n="$name" -v u="$(fastest "$work/library.txt" "$name" 3)" \
    -v l="$(fastest "$work/library.txt" "$name" 4)" -v p="$(fastest "$work/python.txt" "$name" 4)" \
    -v j="$(fastest "$work/js.txt" "$name" 4)" \
    -v e="$(fastest "$work/cpp.txt" "$name" 4)" -v i="$(fastest "$work/cpp.txt" "$name" 5)" 'BEGIN {
    py = p == "" ? "n/a" : sprintf("%8.2f", p)
    jp = p == "" ? "n/a" : sprintf("%4.1fx", j / p)
    ep = p == "" ? "n/a" : sprintf("%4.1fx", e / p)
    printf "%-17s %6d | %8.2f %8s | %9.2f %5.1fx %5s | %9.2f %5.1fx %5s | %9.2f %5.1fx\n",
      n, u, l, py, j, j / l, jp, e, e / l, ep, i, i / l }'
done
echo "(microseconds per call, fastest batch of $rounds rounds; the $arch DLL)"

if [[ $profile -eq 1 ]]; then
  for name in "${names[@]}"; do
    echo
    wine "$build/bin/com_client.exe" profile "$(winpath "$work/texts/$name.utf16")" 200 | tr -d '\r'
  done
fi
stop_wine
echo "== component bench: the $arch DLL ($build/bin/Vellumtrace.dll), $why"
