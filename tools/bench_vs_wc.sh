#!/bin/sh
# Times `vellumtrace --max-length 0 FILE` against `wc -w FILE`, alternating,
# and prints the median time ratio and the summarizer's peak memory as a
# multiple of the file size.
#   tools/bench_vs_wc.sh FILE [RUNS] [BINARY]
# RUNS defaults to 5 (at least 5); BINARY to build/bin/vellumtrace.
set -eu
file=${1:?usage: tools/bench_vs_wc.sh FILE [RUNS] [BINARY]}
runs=${2:-5}
[ "$runs" -ge 5 ] || runs=5
binary=${3:-$(dirname "$0")/../build/bin/vellumtrace}
[ -x "$binary" ] || { echo "bench_vs_wc: no binary at $binary" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "bench_vs_wc: needs /usr/bin/time (Debian package 'time')" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

# Wall seconds and peak resident KiB of one command, its output discarded.
measure() {
  /usr/bin/time -f '%e %M' -o "$work/t" "$@" > /dev/null 2> /dev/null || true
  cat "$work/t"
}

i=0
while [ "$i" -lt "$runs" ]; do
  measure "$binary" --max-length 0 "$file" >> "$work/summarizer"
  measure wc -w "$file" >> "$work/wc"
  i=$((i + 1))
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
s=$(cut -d' ' -f1 "$work/summarizer" | median)
w=$(cut -d' ' -f1 "$work/wc" | median)
peak=$(cut -d' ' -f2 "$work/summarizer" | sort -n | tail -1)
size=$(wc -c < "$file")
awk -v s="$s" -v w="$w" -v p="$peak" -v b="$size" -v n="$runs" 'BEGIN {
  if (w < 0.01) w = 0.01
  printf "runs: %d each\nvellumtrace median: %.3f s\nwc -w median: %.3f s\n", n, s, w
  printf "time ratio: %.1fx wc -w\npeak memory: %.1f MB = %.1fx the input bytes\n", s / w, p / 1024, p * 1024 / b
}'
