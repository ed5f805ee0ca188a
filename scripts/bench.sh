#!/usr/bin/env bash
# Builds the optimised native benchmarks and runs them, then the round trip of
# a request under Wine (tests/e2e/bench_requests.py, into docs/figures.md):
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

# A request's round trip under Wine (a second process, the channel alone, a
# bare SendMessageTimeout): the windows build, into docs/figures.md.
# BENCH_WINE=0 leaves it out; BENCH_ROUNDS, BENCH_PROCESS_ROUNDS shorten it.
if [ "${BENCH_WINE:-1}" != 0 ]; then
  echo "=== request round trip (Wine)"
  /usr/bin/python3 tests/e2e/bench_requests.py
  echo "=== hotkey to register (Wine)"
  /usr/bin/python3 tests/e2e/bench_hotkeys.py
  echo "=== remote control (Wine)"
  /usr/bin/python3 tests/e2e/bench_remote.py
fi
