#!/usr/bin/env bash
# The notification area of a Wine virtual desktop on Xvfb (x11 driver, a
# prefix of its own): the panel's icon read back from the screen's pixels
# turns from light strokes to dark ones when the taskbar turns light, and
# back when it turns dark.
#   tray-theme-x11.sh BUILD-DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
if [ -z "${TRAY_THEME_INSIDE:-}" ]; then
  command -v xvfb-run >/dev/null && command -v import >/dev/null || { echo "no Xvfb or ImageMagick"; exit 77; }
  export TRAY_THEME_INSIDE=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$build"
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$root/scripts/wine-prefix.sh" "$build/wineprefix-tray-x11" x11 >/dev/null
export WINEPREFIX=$(cd "$build/wineprefix-tray-x11" && pwd)
exe=$build/app/win32/VelPanel.exe
remote=$build/tests/app_win32/panel_remote.exe
shots=$(mktemp -d)
finish() {
  wine "$remote" --desktop=traytheme command 32773 >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$shots"
}
trap finish EXIT
wine reg delete 'HKCU\Software\Qor' /f >/dev/null 2>&1 || true
wine "$remote" taskbar-theme -1 >/dev/null 2>&1 || true
wine explorer /desktop=traytheme,1024x768 "$(winepath -w "$exe")" </dev/null >/dev/null 2>&1 &
wine "$remote" --desktop=traytheme wait 30000

# The darkest pixel of the notification area's corner, as a luminance.
darkest() {
  sleep 1.5
  import -window root "$shots/$1.png"
  convert "$shots/$1.png" -crop 24x20+1000+748 -colorspace Gray -format '%[fx:int(255*minima)]' info:
}
dark=$(darkest dark)
wine "$remote" --desktop=traytheme taskbar-theme 1
light=$(darkest light)
wine "$remote" --desktop=traytheme taskbar-theme 0
again=$(darkest again)
echo "darkest pixel by the tray: dark taskbar $dark, light taskbar $light, dark again $again"
status=0
[ "$dark" -gt 110 ] || { echo "FAIL: the icon for a dark taskbar has dark strokes"; status=1; }
[ "$light" -lt 70 ] || { echo "FAIL: the icon for a light taskbar did not reach the notification area"; status=1; }
[ "$again" -gt 110 ] || { echo "FAIL: the icon did not turn back"; status=1; }
exit $status
