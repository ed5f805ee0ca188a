#!/usr/bin/env bash
# Runs a Wine test program at another screen scale, in a prefix of its own
# (the scale is the registry's LogPixels, read by each process as it starts;
# the shared prefix keeps 96 DPI for every other test):
#   run-at-dpi.sh PREFIX DPI PROGRAM.exe [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
prefix=$1 dpi=$2
shift 2
"$here/scripts/wine-prefix.sh" "$prefix" >/dev/null
export WINEPREFIX=$(cd "$prefix" && pwd) WINEDEBUG=-all WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
wineserver -w
exec wine "$@"
