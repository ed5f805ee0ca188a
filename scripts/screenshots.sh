#!/usr/bin/env bash
# Screenshots of the panel under Wine with an X server of its own:
#   scripts/screenshots.sh [out-dir] [dpi]   (default: docs/screenshots, 96)
# Writes control-page.png, info-page.png, tray-menu.png and tray-tip.png;
# at another DPI (120, 144, 192: the screen's scale) control-page-PCT.png and
# info-page-PCT.png only (PCT the scale in percent), on a screen grown by the
# same factor.
#
# VelPanel.exe runs inside a Wine virtual desktop (title bars, a taskbar with
# the notification area) on Xvfb, in an X11 prefix of its own. When the
# simulated driver is built, a unit is plugged first, so that the panel shows
# a connected Velmora; otherwise it shows No Device.
# VELPANEL_BUILD names the build tree (default: build/windows).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELPANEL_BUILD:-$root/build/windows}
out=${1:-$root/docs/screenshots}
dpi=${2:-96}
percent=$(( (dpi * 100 + 48) / 96 ))
suffix=; [ "$dpi" = 96 ] || suffix=-$percent
mkdir -p "$out"
out=$(cd "$out" && pwd)

if [ -z "${SCREENSHOTS_INSIDE:-}" ]; then
  [ -f "$build/CMakeCache.txt" ] || (cd "$root" && cmake --preset windows -B "$build" >/dev/null)
  cmake --build "$build" -j2 --target VelPanel panel_remote >/dev/null
  # The simulated unit is optional.
  cmake --build "$build" -j2 --target velmora-sim velmorasim_driver >/dev/null 2>&1 || true
  export SCREENSHOTS_INSIDE=1 VELPANEL_BUILD=$build
  exec xvfb-run -a -s "-screen 0 $(( 1024 * dpi / 96 ))x$(( 768 * dpi / 96 ))x24" bash "$0" "$out" "$dpi"
fi

# ---- inside the X server -----------------------------------------------------
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
prefix=$build/wineprefix-screenshots
exe=$(find "$build/app/win32" -maxdepth 1 -name VelPanel.exe | head -1)
remote=$(find "$build/tests/app_win32" -maxdepth 1 -name panel_remote.exe | head -1)
sim=$build/sim/tools/velmora-sim.exe
[ -f "$exe" ] && [ -f "$remote" ] || { echo "screenshots: build VelPanel and panel_remote first" >&2; exit 1; }

unit=
if [ -f "$sim" ] && [ -f "$build/sim/driver/velmorasim.sys" ]; then
  VELMORA_SIM_BUILD=$build "$root/scripts/sim-prefix.sh" "$prefix" x11 </dev/null >/dev/null
  unit=SHOT0001
else
  "$root/scripts/wine-prefix.sh" "$prefix" x11 >/dev/null
fi
export WINEPREFIX=$(cd "$prefix" && pwd)
# The panel starts from stored settings of its own only.
wine reg delete 'HKCU\Software\Qor' /f >/dev/null 2>&1 || true
# The screen's scale, read by each process that starts.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1

shot() { sleep 1.5; import -window root "$out/$1"; echo "screenshots: $out/$1"; }
finish() {
  wine "$remote" --desktop=velpanel command 32773 >/dev/null 2>&1 || true
  [ -n "$unit" ] && wine "$sim" unplug "$unit" >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
}
trap finish EXIT

if [ -n "$unit" ]; then
  wine "$sim" plug "$unit" >/dev/null 2>&1
  wine "$sim" wait-present "$unit" 5000 >/dev/null 2>&1
fi

wine explorer /desktop=velpanel,$(( 1024 * dpi / 96 ))x$(( 768 * dpi / 96 )) "$(winepath -w "$exe")" </dev/null >/dev/null 2>&1 &
wine "$remote" --desktop=velpanel wait 30000
if [ -n "$unit" ]; then
  # The unit's arrival runs during the panel's start; wait for its title.
  for _ in $(seq 100); do
    case $(wine "$remote" --desktop=velpanel title 2>/dev/null) in *"No Device"*) sleep 0.1 ;; *) break ;; esac
  done
fi

# The longest texts the cells can show: dB labels down to -63.5dB, the
# latency "relaxed nomal", the Professional and Unbalanced radio buttons.
if [ -n "$unit" ]; then
  wine "$remote" --desktop=velpanel command 32783     # latency "relaxed nomal"
  wine "$remote" --desktop=velpanel command 16433     # Professional
  wine "$remote" --desktop=velpanel command 16417     # -10dBv(Unbalanced)
  for f in 0:-63 2:-30 4:-127 6:-19; do
    wine "$remote" --desktop=velpanel fader "${f%%:*}" "${f##*:}"
  done
fi
wine "$remote" --desktop=velpanel open
shot control-page$suffix.png
# With SCREENSHOTS_FIGURES=1: the shown panel's GDI objects (panelctl, in the
# same desktop) and resident memory, for docs/figures.md.
ctl=$build/tests/e2e/panelctl.exe
if [ -n "${SCREENSHOTS_FIGURES:-}" ] && [ -f "$ctl" ]; then
  objects=$(wine explorer /desktop=velpanel,$(( 1024 * dpi / 96 ))x$(( 768 * dpi / 96 )) "$(winepath -w "$ctl")" resources 2>/dev/null | tr -d '\r' || true)
  rss=
  for pid in $(pgrep -f 'VelPanel\.exe' || true); do
    [ -r "/proc/$pid/environ" ] && tr '\0' '\n' <"/proc/$pid/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" &&
      rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
  done
  echo "figures: $percent % shown, Control page (x11): $objects rss_kib=$rss"
fi
wine "$remote" --desktop=velpanel command 8194
shot info-page$suffix.png
[ -z "$suffix" ] || exit 0
wine "$remote" --desktop=velpanel command 8192
# The menu opens at the pointer: rest it by the notification area first.
wine "$remote" --desktop=velpanel point 1000 700
sleep 0.5
wine "$remote" --desktop=velpanel popup
shot tray-menu.png
wine "$remote" --desktop=velpanel cancel-menu
# The icon's tip: the pointer resting on the icon in the taskbar's corner.
wine "$remote" --desktop=velpanel point 1012 757
sleep 1
shot tray-tip.png
