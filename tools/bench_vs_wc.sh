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

# Wall seconds (to the microsecond: /usr/bin/time counts only hundredths,
# too coarse beside wc) and peak resident KiB of one command, its output
# discarded.
measure() {
  start=$(date +%s%N)
  /usr/bin/time -f '%M' -o "$work/t" "$@" > /dev/null 2> /dev/null || true
  stop=$(date +%s%N)
  echo "$(( (stop - start) / 1000 )) $(cat "$work/t")" | awk '{ printf "%.6f %s\n", $1 / 1e6, $2 }'
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
  if (w < 0.000001) w = 0.000001
  printf "runs: %d each\nvellumtrace median: %.4f s\nwc -w median: %.4f s\n", n, s, w
  printf "time ratio: %.1fx wc -w\npeak memory: %.1f MB = %.1fx the input bytes\n", s / w, p / 1024, p * 1024 / b
}'
