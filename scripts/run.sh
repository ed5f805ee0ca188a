#!/usr/bin/env bash
# Runs VelPanel.exe against a simulated Velmora under Wine:
#   bash scripts/run.sh            installs what is missing, builds (windows preset),
#                                  prepares a Wine prefix with the simulated driver,
#                                  plugs unit 0001 (its meters move), starts the panel
#                                  with its window open and stays until the panel ends
#                                  (tray or File menu "Exit") or Ctrl-C
#   bash scripts/run.sh --detach   the same, but returns once the panel is up
#   bash scripts/run.sh stop       ends a running session (panel, units, Wine, Xvfb)
#
# With $DISPLAY set the panel opens on that display. Without one, Xvfb is
# started with a Wine virtual desktop (taskbar and tray icon included) and
# screenshots of both pages are written to <build>/run-screenshots/.
# Meanwhile scripts/sim.sh works against the session: plug/unplug/dump/set ...
#
# VELPANEL_BUILD overrides the build tree (default: build/windows).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# "Ver 1.06": the title's version, from project(VelPanel VERSION ...).
title_version=$(sed -n 's/^project(VelPanel VERSION \([0-9]*\)\.\([0-9]*\)\..*/\1 \2/p' "$root/CMakeLists.txt" |
  { read -r major minor; printf 'Ver %d.%02d' "$major" "$minor"; })
build=${VELPANEL_BUILD:-$root/build/windows}
session=$build/run-session.env
prefix=$build/wineprefix-run
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="

say() { echo "run: $*"; }

stop_session() {
  [ -f "$session" ] || { say "no session running"; return 0; }
  # shellcheck disable=SC1090
  . "$session"
  export WINEPREFIX=$RUN_PREFIX
  [ -n "${RUN_DISPLAY:-}" ] && export DISPLAY=$RUN_DISPLAY
  if [ -n "${RUN_PANEL_PID:-}" ] && kill -0 "$RUN_PANEL_PID" 2>/dev/null; then
    wine "$RUN_PANELCTL" command 32773 </dev/null >/dev/null 2>&1 || true
    for _ in $(seq 100); do kill -0 "$RUN_PANEL_PID" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$RUN_PANEL_PID" 2>/dev/null && kill "$RUN_PANEL_PID" 2>/dev/null || true
  fi
  wineserver -k </dev/null >/dev/null 2>&1 || true
  if [ -n "${RUN_XVFB_PID:-}" ]; then kill "$RUN_XVFB_PID" 2>/dev/null || true; fi
  rm -f "$session"
  say "session ended"
}

case ${1:-} in
stop) stop_session; exit 0 ;;
--detach) detach=1 ;;
"") detach=0 ;;
*) echo "usage: scripts/run.sh [--detach] | stop" >&2; exit 2 ;;
esac

[ -f "$session" ] && { say "ending the previous session"; stop_session; }

say "checking the Debian packages"
bash "$root/scripts/install-deps.sh"

say "building (windows preset) in $build"
if [ ! -f "$build/CMakeCache.txt" ]; then
  if [ "$build" = "$root/build/windows" ]; then
    (cd "$root" && cmake --preset windows >/dev/null)
  else
    (cd "$root" && cmake --preset windows -B "$build" >/dev/null)
  fi
fi
cmake --build "$build" -j2 --target VelPanel velmora-sim velmorasim_driver panelctl

xvfb_pid=
mode=x11
if [ -z "${DISPLAY:-}" ]; then
  # A free display number for our own X server.
  n=90
  while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  [ -e "/tmp/.X11-unix/X$n" ] || { say "Xvfb did not start"; exit 1; }
  headless=1
  say "no display: Xvfb on $DISPLAY with a Wine virtual desktop"
else
  headless=0
fi

say "preparing the Wine prefix $prefix (first time: about 30 s)"
mkdir -p "$prefix"
export WINEPREFIX=$prefix
# The persistent wineserver started by sim-prefix.sh keeps its descriptors:
# they go to a log file.
if ! VELMORA_SIM_BUILD=$build "$root/scripts/sim-prefix.sh" "$prefix" "$mode" </dev/null >"$build/run-session.log" 2>&1; then
  cat "$build/run-session.log" >&2
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid"
  exit 1
fi
# The virtual desktop (headless) or none (a real display) is chosen when the
# server session starts: set it, then start the session again. Units and the
# bus come back with the next velmora-sim call.
if [ "$headless" = 1 ]; then
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1280x800 /f </dev/null >/dev/null 2>&1
else
  wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f </dev/null >/dev/null 2>&1 || true
fi
wineserver -k </dev/null >/dev/null 2>&1 || true
wineserver -w </dev/null >/dev/null 2>&1 || true
wineserver -p </dev/null >>"$build/run-session.log" 2>&1

sim=$prefix/drive_c/velmorasim/velmora-sim.exe
panelctl=$build/tests/e2e/panelctl.exe
# The first programs of the session start Wine's own background processes
# (services, the desktop): they keep the descriptors they inherit, so they
# get the log, not this script's output.
wine "$sim" list </dev/null >>"$build/run-session.log" 2>&1
wine "$panelctl" boxes </dev/null >>"$build/run-session.log" 2>&1 || true
wine "$sim" list </dev/null | grep -q '^0001 plugged' || wine "$sim" plug 0001 </dev/null
wine "$sim" wait-present 0001 10000 </dev/null >/dev/null

say "starting VelPanel.exe"
wine "$build/app/win32/VelPanel.exe" </dev/null >"$build/run-panel.log" 2>&1 &
panel_pid=$!
cat > "$session" <<EOF
RUN_PREFIX=$prefix
RUN_DISPLAY=$DISPLAY
RUN_XVFB_PID=$xvfb_pid
RUN_PANEL_PID=$panel_pid
RUN_SIM=$sim
RUN_PANELCTL=$panelctl
EOF

ctl() { wine "$panelctl" "$@" </dev/null; }
ctl find 20000 >/dev/null
# Without a notification area the panel says so in a box: answer it.
for _ in $(seq 30); do
  if ctl wait-title "$title_version" 100 >/dev/null 2>&1; then break; fi
  if [ "$(ctl boxes 2>/dev/null | tr -d '\r')" != 0 ]; then
    say "the panel says: $(ctl wait-box 100 | tr -d '\r')"
    ctl dismiss >/dev/null
  fi
done
ctl wait-title "$title_version" 10000 >/dev/null || say "the panel has not taken the unit (title: $(ctl title | tr -d '\r'))"
# The panel hides itself after start; open it as a tray click does.
ctl wait-visible 0 5000 >/dev/null || true
ctl command 32771 >/dev/null
ctl wait-visible 1 5000 >/dev/null
say "VelPanel runs with unit 0001 (title: $(ctl title | tr -d '\r'))"

if [ "$headless" = 1 ]; then
  shots=$build/run-screenshots
  mkdir -p "$shots"
  sleep 1 # let the meters move and the window paint
  import -display "$DISPLAY" -window root "$shots/control-page.png"
  ctl command 8194 >/dev/null
  sleep 0.5
  import -display "$DISPLAY" -window root "$shots/info-page.png"
  ctl command 8192 >/dev/null
  say "screenshots: $shots/control-page.png $shots/info-page.png"
fi

say "meanwhile: scripts/sim.sh plug 0002 | unplug 0001 | dump | set 0001 rate 96000"
if [ "$detach" = 1 ]; then
  say "detached; end with: bash scripts/run.sh stop"
  exit 0
fi
trap 'echo; stop_session; exit 0' INT TERM
say "waiting for the panel to end (Exit in its menus, or Ctrl-C)"
while kill -0 "$panel_pid" 2>/dev/null; do sleep 1; done
stop_session
