#!/usr/bin/env bash
# Soak and performance figures of VelPanel.exe against the simulated Velmora,
# each against its goal, written to docs/figures.md; non-zero exit when a goal
# is missed. The program is tests/e2e/soak.py (its head lists every figure).
#
#   bash scripts/soak.sh        1000 cycles, 3 rounds of 15 s per CPU figure, 10 minutes shown,
#                               32 kill trials (about 20 minutes on 2 cores)
#   SOAK_CYCLES=100 SOAK_CPU_SECONDS=10 SOAK_SHOWN_MINUTES=2 SOAK_KILL_TRIALS=4 bash scripts/soak.sh
#   SOAK_ROUNDS (3), SOAK_BENCH_TICKS (1000), SOAK_X11=0 (leaves out the X11 case),
#   SOAK_OUTPUT (another file than docs/figures.md), VELPANEL_BUILD (default: build/windows)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exec /usr/bin/python3 "$root/tests/e2e/soak.py" "$@"
