#!/usr/bin/env bash
# Works the simulated Velmora bus of the session that scripts/run.sh started:
#   scripts/sim.sh plug 0002            plug a unit in (waits until it is present)
#   scripts/sim.sh unplug 0002          pull it out (waits until it is gone)
#   scripts/sim.sh dump [0001]          registers and counters as JSON
#   scripts/sim.sh set 0001 rate 96000  a change on the unit (rate, latency, clock, digital, event, reset)
#   scripts/sim.sh list | fault ...     any other velmora-sim command as it stands
# VELPANEL_BUILD overrides the build tree (default: build/windows).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELPANEL_BUILD:-$root/build/windows}
session=$build/run-session.env
[ $# -ge 1 ] || { sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
[ -f "$session" ] || { echo "sim: no session running (start one with: bash scripts/run.sh)" >&2; exit 1; }
# shellcheck disable=SC1090
. "$session"
export WINEPREFIX=$RUN_PREFIX WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
[ -n "${RUN_DISPLAY:-}" ] && export DISPLAY=$RUN_DISPLAY

sim() { wine "$RUN_SIM" "$@" </dev/null | tr -d '\r'; }
case $1 in
plug)
  [ $# -eq 2 ] || { echo "usage: scripts/sim.sh plug <serial>" >&2; exit 2; }
  sim plug "$2"
  sim wait-present "$2" 10000 >/dev/null
  echo "plugged $2"
  ;;
unplug)
  [ $# -eq 2 ] || { echo "usage: scripts/sim.sh unplug <serial>" >&2; exit 2; }
  sim unplug "$2"
  sim wait-absent "$2" 10000
  echo "unplugged $2"
  ;;
*)
  sim "$@"
  ;;
esac
