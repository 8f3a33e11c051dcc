#!/usr/bin/env bash
# The public library against the engine on one 2 KB article, in one run:
# prints each per-call time and the library's ratio to the engine's.
#   bench/library_vs_engine.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
"$build/bin/vellumtrace_bench" --benchmark_filter='Article2K' --benchmark_repetitions=7 \
  --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true --benchmark_format=json 2>/dev/null |
  python3 -c '
import json, sys
rows = {b["run_name"]: b["real_time"] for b in json.load(sys.stdin)["benchmarks"]
        if b.get("aggregate_name") == "median"}
engine = rows["BM_RunSummaryArticle2K"]
for name, t in rows.items():
    print(f"{name:32} {t:8.2f} us  {t / engine:5.2f}x the engine")
'
