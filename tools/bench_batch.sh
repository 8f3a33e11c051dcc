#!/usr/bin/env bash
# Batch throughput: N news-size files summarised by one `vellumtrace
# --output-dir` process on 1 and on 2 cores, against a shell loop that
# starts one process per file (timed on a tenth of the files). Prints the
# rates in files per second and their ratios.
#   tools/bench_batch.sh [DOCS_DIR] [N]
# With a third argument `rerun`: the second run into a full output folder,
# replacing every result and with --skip-existing, against copying the same
# files (cp -r) in the same run.
#   tools/bench_batch.sh DOCS_DIR 50000 rerun
# DOCS_DIR defaults to the English evaluation documents beside the checkout;
# its files are copied round-robin into a scratch folder (never committed).
set -euo pipefail
cd "$(dirname "$0")/.."
docs=${1:-../shared/eval/bbc_en_large/docs}
count=${2:-10000}
mode=${3:-}
tool=${VELLUMTRACE_TOOL:-build/bin/vellumtrace}  # another build to compare
[[ -x $tool ]] || { echo "build $tool first" >&2; exit 1; }
[[ -d $docs ]] || { echo "no documents in $docs" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mapfile -t sources < <(find "$docs" -maxdepth 1 -type f -name '*.txt' | sort)
mkdir -p "$scratch/in" "$scratch/loop_in"
loop_count=$((count / 10))
# One process writes them all: a cp per file would take minutes at 50,000.
/usr/bin/python3 - "$scratch" "$count" "$loop_count" "${sources[@]}" <<'PY'
import pathlib, sys
scratch, count, loop_count, sources = pathlib.Path(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3]), sys.argv[4:]
data = [pathlib.Path(s).read_bytes() for s in sources]
for i in range(count):
    name = f"doc{i:05d}.txt"
    (scratch / "in" / name).write_bytes(data[i % len(data)])
    if i < loop_count:
        (scratch / "loop_in" / name).write_bytes(data[i % len(data)])
PY

seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null; end=$(date +%s.%N); awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

if [[ $mode == rerun ]]; then
  sync
  tc=$(seconds cp -r "$scratch/in" "$scratch/copy")
  tf=$(seconds "$tool" --jobs 2 --output-dir "$scratch/out" "$scratch/in")
  tr=$(seconds "$tool" --jobs 2 --output-dir "$scratch/out" "$scratch/in")
  ts=$(seconds "$tool" --jobs 2 --skip-existing --output-dir "$scratch/out" "$scratch/in" 2>/dev/null)
  echo "files: $count, 2 threads (seconds, and as a multiple of cp -r of the inputs)"
  echo "cp -r:                         $tc s"
  echo "first run:                     $tf s  $(ratio "$tf" "$tc")x"
  echo "second run, every result redone: $tr s  $(ratio "$tr" "$tc")x"
  echo "second run, --skip-existing:   $ts s  $(ratio "$ts" "$tc")x"
  echo "--skip-existing / redone:      $(ratio "$ts" "$tr")"
  [[ $(ls -A "$scratch/out" | grep -c '^\.') == 0 ]] && echo "no temporaries left"
  exit 0
fi

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
