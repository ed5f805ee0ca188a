#!/usr/bin/env bash
# Prepares a Wine prefix with the simulated Velmora bus driver installed:
#   scripts/sim-prefix.sh <prefix-dir> [x11]
# The build tree that holds velmorasim.sys/.inf and velmora-sim.exe is taken
# from VELMORA_SIM_BUILD (default: build/windows under the project root).
#
# Safe to run again: the prefix is made once, the driver is installed again only
# when the built driver changed, and the bus is started if it is not running.
#
# Units live only while the prefix's wineserver runs, and it exits a few seconds
# after its last process. This script leaves a persistent wineserver running
# ("wineserver -p") so that plugged units survive between commands. End the
# session with:
#   WINEPREFIX=<prefix-dir> wineserver -k
#
# Afterwards, for instance:
#   WINEPREFIX=<prefix-dir> wine <prefix-dir>/drive_c/velmorasim/velmora-sim.exe plug SN0001
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=${1:?usage: sim-prefix.sh <prefix-dir> [x11]}
mode=${2:-null}
build=${VELMORA_SIM_BUILD:-$root/build/windows}
sys=$build/sim/driver/velmorasim.sys
inf=$build/sim/driver/velmorasim.inf
tool=$build/sim/tools/velmora-sim.exe
for f in "$sys" "$inf" "$tool"; do
  [ -f "$f" ] || { echo "sim-prefix: missing $f (build the targets velmorasim_driver and velmora-sim)" >&2; exit 1; }
done

"$root/scripts/wine-prefix.sh" "$prefix" "$mode" >/dev/null
prefix=$(cd "$prefix" && pwd)
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

stamp=$(cat "$sys" "$inf" | md5sum | cut -d' ' -f1)
marker=$prefix/.velmorasim-installed
installed=$prefix/drive_c/windows/system32/drivers/velmorasim.sys
install=no
if [ "$(cat "$marker" 2>/dev/null)" != "$stamp" ] || ! cmp -s "$sys" "$installed"; then
  install=yes
fi
if [ $install = yes ] && [ -f "$installed" ]; then
  # Another driver build: a running session keeps the old one loaded, so it
  # ends here (its units with it) and the new driver starts in a new one.
  wineserver -k 2>/dev/null || true
  # In place before the new session can start the driver's service.
  cp -f "$sys" "$installed"
fi

# A persistent server for this prefix (a running one is left as it is). The
# server and the services that the first process starts outlive this script:
# they must not hold its output open.
wineserver -p </dev/null >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

dest=$prefix/drive_c/velmorasim
mkdir -p "$dest"
cp -f "$tool" "$dest/velmora-sim.exe"
if [ $install = yes ]; then
  cp -f "$sys" "$inf" "$dest"/
  wine "$dest/velmora-sim.exe" install 'C:\velmorasim\velmorasim.inf' </dev/null
  echo "$stamp" > "$marker"
else
  # Installed before: make sure the bus is running in this server session.
  wine "$dest/velmora-sim.exe" list </dev/null >/dev/null
fi
echo "simulated Velmora bus ready: $prefix (stop with: WINEPREFIX=$prefix wineserver -k)"
