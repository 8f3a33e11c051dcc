#!/usr/bin/env bash
# Batch throughput: N news-size files summarised by one `vellumtrace
# --output-dir` process on 1 and on 2 cores, against a shell loop that
# starts one process per file (timed on a tenth of the files). Prints the
# rates in files per second and their ratios.
#   tools/bench_batch.sh [DOCS_DIR] [N]
# DOCS_DIR defaults to the English evaluation documents beside the checkout;
# its files are copied round-robin into a scratch folder (never committed).
set -euo pipefail
cd "$(dirname "$0")/.."
docs=${1:-../shared/eval/bbc_en_large/docs}
count=${2:-10000}
tool=build/bin/vellumtrace
[[ -x $tool ]] || { echo "build $tool first" >&2; exit 1; }
[[ -d $docs ]] || { echo "no documents in $docs" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mapfile -t sources < <(find "$docs" -maxdepth 1 -type f -name '*.txt' | sort)
mkdir -p "$scratch/in" "$scratch/loop_in"
for ((i = 0; i < count; i++)); do
  cp "${sources[i % ${#sources[@]}]}" "$scratch/in/$(printf 'doc%05d.txt' "$i")"
done
loop_count=$((count / 10))
for ((i = 0; i < loop_count; i++)); do cp "$scratch/in/$(printf 'doc%05d.txt' "$i")" "$scratch/loop_in/"; done

seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null; end=$(date +%s.%N); awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

mkdir -p "$scratch/out1" "$scratch/out2" "$scratch/outloop"
t1=$(seconds "$tool" --jobs 1 --output-dir "$scratch/out1" "$scratch/in")
t2=$(seconds "$tool" --jobs 2 --output-dir "$scratch/out2" "$scratch/in")
loop() { for f in "$scratch"/loop_in/*.txt; do "$tool" "$f" >"$scratch/outloop/$(basename "$f")"; done; }
tl=$(seconds loop)

r1=$(ratio "$count" "$t1"); r2=$(ratio "$count" "$t2"); rl=$(ratio "$loop_count" "$tl")
echo "files: $count (shell loop: $loop_count)"
echo "1 core:     $r1 files/s"
echo "2 cores:    $r2 files/s"
echo "shell loop: $rl files/s"
echo "2 cores / 1 core:     $(ratio "$r2" "$r1")"
echo "2 cores / shell loop: $(ratio "$r2" "$rl")"
cmp -s <(cd "$scratch/out1" && cat *) <(cd "$scratch/out2" && cat *) && echo "outputs: 1 and 2 cores identical"
