#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a short while:
#   scripts/run-fuzzers.sh [seconds-per-target]
# Prints, per target, how many executions ran clean.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-15}
cmake --preset fuzz >/dev/null
targets=$(cmake --build --preset fuzz --target help 2>/dev/null | sed -n 's/^\(fuzz_[A-Za-z0-9_]*\):.*/\1/p' | sort -u)
if [ -z "$targets" ]; then echo "no fuzz targets"; exit 0; fi
cmake --build --preset fuzz -j "${JOBS:-2}" --target $targets
status=0
for t in $targets; do
  exe=$(find build/fuzz -type f -name "$t" -perm -u+x | head -n 1)
  corpus=build/fuzz/corpus/$t
  mkdir -p "$corpus"
  log=build/fuzz/$t.log
  # Seeds kept with the tests, where a target has them.
  seeds=$(find tests -type d -path "*/fuzz_corpus/$t" | head -n 1)
  if "$exe" -max_total_time="$secs" -print_final_stats=1 "$corpus" $seeds >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    echo "$t: ${runs:-?} executions, no failure"
  else
    echo "$t: FAILED (see $log)"; tail -n 30 "$log"; status=1
  fi
done
exit $status
