#!/usr/bin/env bash
# velmora-sim as a user drives it: install again (idempotent), plug, wait,
# hardware changes, faults, dump as JSON, unplug; bad arguments refused.
#   tool_test.sh <prefix>   (prepared by scripts/sim-prefix.sh)
set -uo pipefail
prefix=${1:?usage: tool_test.sh <prefix>}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
tool=$prefix/drive_c/velmorasim/velmora-sim.exe
py=/usr/bin/python3
failures=0
sim() { wine "$tool" "$@" </dev/null; }
check() { # check <description> <condition...>
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
# json <serial> <python expression over d>: evaluates against the unit's dump
json() {
  sim dump "$1" > "$prefix/dump.json" || return 1
  "$py" -c "import json,sys; d=json.load(open(sys.argv[1])); sys.exit(0 if ($2) else 1)" "$prefix/dump.json"
}

check "install again over an installed driver" sim install 'C:\velmorasim\velmorasim.inf'

check "plug" sim plug SNT1
check "wait-present" sim wait-present SNT1 5000
path=$(sim wait-present SNT1 5000 2>/dev/null | tr -d '\r')
check "wait-present prints the unit's interface path" \
  "$py" -c "import sys; p=sys.argv[1].lower(); sys.exit(0 if p.startswith('\\\\\\\\?\\\\velmora#unit#snt1#{dd35d54e-850e-4e69-9fa8-431c9e47b446}') else 1)" "$path"
check "dump of a fresh unit: plugged, power-on state" \
  json SNT1 "d['serial']=='SNT1' and d['plugged'] and d['interface'] and d['openHandles']==0 and len(d['codec'])==32 and len(d['dit'])==32 and d['configuration'][0]==48000 and d['configuration'][1]==18 and d['configuration'][3]==8"

check "set rate" sim set SNT1 rate 88200
check "rate in the configuration, event flag raised" json SNT1 "d['configuration'][0]==88200 and d['eventPending']==1"
check "set latency" sim set SNT1 latency 2
check "set clock 2" sim set SNT1 clock 2
check "latency and clock source in the dump" json SNT1 "d['latency']==2 and d['clockStatus']==2"
check "set clock 1" sim set SNT1 clock 1
check "clock source internal again" json SNT1 "d['clockStatus']==1"
check "refused: a rate the unit does not run at" bash -c "! wine '$tool' set SNT1 rate 12345 </dev/null 2>/dev/null"

check "fault" sim fault SNT1 0x2200D0 8 fail 2
check "the fault in the dump" json SNT1 "any(f['code']=='0x2200D0' and f['command']==8 and f['mode']=='fail' and f['count']==2 for f in d['faults'])"

check "list shows the unit" bash -c "wine '$tool' list </dev/null | grep -q '^SNT1 plugged'"
check "dump of all units is a JSON array holding it" \
  bash -c "wine '$tool' dump </dev/null | $py -c \"import json,sys; a=json.load(sys.stdin); sys.exit(0 if any(u['serial']=='SNT1' for u in a) else 1)\""

check "unplug" sim unplug SNT1
check "wait-absent" sim wait-absent SNT1 5000
check "dump after unplug: not plugged, no interface" json SNT1 "not d['plugged'] and not d['interface']"
check "unplug of a unit not on the bus fails" bash -c "! wine '$tool' unplug SNT1 </dev/null 2>/dev/null"
check "wait-present times out for an absent unit" bash -c "! wine '$tool' wait-present SNT1 200 </dev/null 2>/dev/null"

usage() { wine "$tool" "$@" </dev/null >/dev/null 2>&1; [ $? -eq 2 ]; }
check "usage: serial with a backslash" usage plug 'A\B'
check "usage: serial too long" usage plug 0123456789012345678901234567890123
check "usage: unknown subcommand" usage frobnicate
check "usage: bad fault mode" usage fault SNT1 0x2200D0 8 explode 1
check "usage: set without a value" usage set SNT1 rate
check "usage: negative fault count" usage fault SNT1 0x2200D0 8 fail -1

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
