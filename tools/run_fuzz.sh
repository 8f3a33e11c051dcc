#!/usr/bin/env bash
# Builds the fuzz preset and runs each fuzz target for SECONDS (default 60)
# on a fresh scratch corpus made from the seeds; fails on any crash, leak,
# timeout or broken invariant. Crashing inputs land in build-fuzz/artifacts/.
# Usage: tools/run_fuzz.sh [SECONDS] [TARGET...]   (targets: dictionary_loader
#        summary_run utf8_codec rouge; default all). Extra libFuzzer flags may
#        come in FUZZ_FLAGS, e.g. FUZZ_FLAGS="-jobs=4 -workers=4".
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[[ ${#targets[@]} -eq 0 ]] && targets=(dictionary_loader summary_run utf8_codec rouge)

cmake --preset fuzz -DVELLUMTRACE_WERROR=ON >/dev/null
cmake --build --preset fuzz -j"$(nproc)"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tools/make_fuzz_seeds.sh "$scratch/seeds"

# Whole runs need room for a dictionary and a text at the length bound
# (49,999 units, up to 3 bytes each), reached at once (-len_control=0).
declare -A flags=(
  [dictionary_loader]="-max_len=65536"
  [summary_run]="-max_len=200000 -len_control=0 -timeout=120"
  [utf8_codec]="-max_len=8192"
  [rouge]="-max_len=8192"
)

status=0
for target in "${targets[@]}"; do
  echo "== fuzzing $target for ${seconds}s"
  corpus="$scratch/corpus/$target"
  artifacts="build-fuzz/artifacts/$target"
  mkdir -p "$corpus" "$artifacts"
  cp "$scratch/seeds/$target"/* "$corpus/"
  # Inputs that once failed run first, every time.
  if compgen -G "fuzz/regressions/$target/*" >/dev/null; then
    cp fuzz/regressions/"$target"/* "$corpus/"
  fi
  # shellcheck disable=SC2086
  if ! nice -n 10 "build-fuzz/bin/${target}_fuzzer" ${flags[$target]} ${FUZZ_FLAGS:-} \
      -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts/" \
      "$corpus" 2> "$scratch/$target.log"; then
    tail -n 60 "$scratch/$target.log"
    echo "!! $target failed; the input is in $artifacts/" >&2
    status=1
  else
    grep -aE '^#[0-9]+' "$scratch/$target.log" | tail -n 1 || true
    grep -aE '^(Done|stat::peak_rss_mb)' "$scratch/$target.log" || true
  fi
done
exit "$status"
