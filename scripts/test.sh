#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test:
#   native (g++, ASan + UBSan) unit and session tests,
#   Windows (MinGW-w64) tests under Wine, including the end-to-end stories
#   against the simulated driver,
#   each libFuzzer target for a short run (8 s each; FUZZ_SECONDS sets it).
# Exit status is non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh

jobs=${JOBS:-2}
status=0
summary=()

step() { echo; echo "=== $*"; }

step "native build (ASan + UBSan)"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
step "native tests"
if ctest --preset native -j "$jobs" 2>&1 | tee build/native-ctest.log; [ "${PIPESTATUS[0]}" -eq 0 ]; then summary+=("native tests: ok"); else summary+=("native tests: FAILED"); status=1; fi

step "windows build (MinGW-w64)"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
step "windows tests under Wine"
if ctest --preset windows -j "$jobs" 2>&1 | tee build/windows-ctest.log; [ "${PIPESTATUS[0]}" -eq 0 ]; then summary+=("windows tests: ok"); else summary+=("windows tests: FAILED"); status=1; fi

step "fuzzers (clang + libFuzzer, short runs)"
if bash scripts/run-fuzzers.sh "${FUZZ_SECONDS:-8}"; then summary+=("fuzzers: ok"); else summary+=("fuzzers: FAILED"); status=1; fi

# One closing line over both test runs: "N passed, N failed".
count() { local v; v=$(sed -n "s/$1/\\1/p" "$2" 2>/dev/null | tail -n 1); echo "${v:-0}"; }
all=0; bad=0
for log in build/native-ctest.log build/windows-ctest.log; do
  all=$(( all + $(count '.*tests failed out of \([0-9]*\).*' "$log") ))
  bad=$(( bad + $(count '.* \([0-9]*\) tests failed out of.*' "$log") ))
done
[ "$status" -ne 0 ] && [ "$bad" -eq 0 ] && bad=1

echo
echo "=== summary"
printf '%s\n' "${summary[@]}"
echo "tests: $((all - bad)) passed, $bad failed"
exit $status
