#!/usr/bin/env bash
# Rewrites tests/golden/*/result and dump with build/bin/vellumtrace.
# Review every change before committing it: the goldens are the contract.
set -euo pipefail
cd "$(dirname "$0")/.."
tool=build/bin/vellumtrace
for dir in tests/golden/*/; do
  percent=$(sed -n 's/^percent=//p' "$dir/options")
  format=$(sed -n 's/^format=//p' "$dir/options")
  status=0
  "$tool" --dictionary "$dir/dictionary.xml" --percent "${percent:-20}" \
    --format "${format:-text}" --debug-output "$dir/dump" --max-length 0 \
    "$dir/text.txt" > "$dir/result" 2>/dev/null || status=$?
  [[ $status -eq 0 || $status -eq 3 ]] || { echo "failed: $dir ($status)"; exit 1; }
done
echo "updated $(ls -d tests/golden/*/ | wc -l) cases"
