#!/usr/bin/env bash
# Builds the optimised native benchmarks and runs them:
#   scripts/bench.sh [extra Google Benchmark flags]
# Figures are medians of 5 repetitions; allocation counts come from a counting
# global operator new inside each benchmark program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset bench >/dev/null
cmake --build --preset bench --target bench_device bench_app_panel
for b in bench_device bench_app_panel; do
  exe=$(find build/bench -type f -name "$b" -perm -u+x | head -n 1)
  echo "=== $b"
  "$exe" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
done
