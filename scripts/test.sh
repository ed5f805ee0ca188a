#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test:
#   native (g++, ASan + UBSan) unit and session tests,
#   Windows (MinGW-w64) tests under Wine, including the end-to-end stories
#   against the simulated driver,
#   each libFuzzer target for a short run.
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
if ctest --preset native -j "$jobs"; then summary+=("native tests: ok"); else summary+=("native tests: FAILED"); status=1; fi

step "windows build (MinGW-w64)"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
step "windows tests under Wine"
if ctest --preset windows -j "$jobs"; then summary+=("windows tests: ok"); else summary+=("windows tests: FAILED"); status=1; fi

step "fuzzers (clang + libFuzzer, short runs)"
if bash scripts/run-fuzzers.sh "${FUZZ_SECONDS:-15}"; then summary+=("fuzzers: ok"); else summary+=("fuzzers: FAILED"); status=1; fi

echo
echo "=== summary"
printf '%s\n' "${summary[@]}"
exit $status
