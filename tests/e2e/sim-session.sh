#!/usr/bin/env bash
# The end-to-end stories' Wine session:
#   sim-session.sh start <prefix>   prefix with the null graphics driver and the
#                                   simulated bus driver installed, a persistent
#                                   wineserver left running, no stored settings
#   sim-session.sh start-fresh <prefix>
#                                   the same in a prefix made anew (an existing
#                                   one is ended and removed first)
#   sim-session.sh stop <prefix>    ends that wineserver (and the units with it)
# VELMORA_SIM_BUILD names the build tree holding the driver and velmora-sim.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
action=${1:?usage: sim-session.sh start|start-fresh|stop <prefix>}
prefix=${2:?usage: sim-session.sh start|start-fresh|stop <prefix>}
export WINEDEBUG=-all WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

case $action in
start-fresh)
  if [ -d "$prefix" ]; then
    WINEPREFIX=$(cd "$prefix" && pwd) wineserver -k </dev/null >/dev/null 2>&1 || true
    rm -rf "$prefix"
  fi
  exec bash "$0" start "$prefix"
  ;;
start)
  mkdir -p "$prefix"
  prefix=$(cd "$prefix" && pwd)
  export WINEPREFIX=$prefix
  # The persistent server keeps the descriptors it is started with: they go to
  # a log file, never to the test runner's pipes.
  log=$prefix.session.log
  if ! "$root/scripts/sim-prefix.sh" "$prefix" </dev/null >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
  fi
  # Wine's background processes (the desktop among them) keep the
  # descriptors of the program that starts them: start them here, on the log.
  if [ -n "${PANELCTL_EXE:-}" ]; then
    wine "$PANELCTL_EXE" boxes </dev/null >>"$log" 2>&1 || true
  fi
  cat "$log"
  wine reg delete 'HKCU\Software\Qor' /f </dev/null >/dev/null 2>&1 || true
  ;;
stop)
  WINEPREFIX=$(cd "$prefix" && pwd) wineserver -k </dev/null >/dev/null 2>&1 || true
  ;;
*)
  echo "usage: sim-session.sh start|start-fresh|stop <prefix>" >&2
  exit 2
  ;;
esac
