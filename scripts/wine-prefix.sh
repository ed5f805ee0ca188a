#!/usr/bin/env bash
# Prepares a Wine prefix for the panel's tests and runs:
#   scripts/wine-prefix.sh <prefix-dir> [x11]
# Without "x11" the prefix uses the null graphics driver (windows, messages,
# menus and modal loops work with no X server; the screen is 1024x768).
# Fonts from Wine's own font folder are copied in so that "System", "MS Shell Dlg"
# and "Tahoma" exist; "Arial" maps to Liberation Sans.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh <prefix-dir> [x11]}
mode=${2:-null}
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
marker=$prefix/.velpanel-ready-$mode-2

if [ ! -f "$prefix/system.reg" ]; then
  env -u DISPLAY wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
if [ ! -f "$marker" ]; then
  if [ "$mode" = null ]; then
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f >/dev/null 2>&1
  else
    wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
  fi
  # A crashing program ends at once instead of waiting in the crash debugger.
  wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  fonts=$prefix/drive_c/windows/Fonts
  mkdir -p "$fonts"
  cp -n /usr/share/wine/fonts/* "$fonts"/ 2>/dev/null || true
  for f in /usr/share/fonts/truetype/liberation/*.ttf; do
    [ -f "$f" ] && cp -n "$f" "$fonts"/
  done
  wineserver -w
  rm -f "$prefix"/.velpanel-ready-*
  touch "$marker"
fi
echo "wine prefix ready: $prefix ($mode)"
