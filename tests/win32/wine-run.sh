#!/usr/bin/env bash
# Runs a Windows test program under Wine, in the prefix that run-under-wine.sh prepared and
# whose COM ports it mapped to pseudo-terminals. Used as the tests' cross-compiling emulator;
# it refuses to run anywhere else, so no test can reach the machine's own serial port.
# A test that asks for a line (QUERLAN_WITH_LINE=1, set by CTest) gets a new pair of
# terminals under the mapped names for its process alone, and can unplug and replug it by
# creating a file in the folder named by QUERLAN_LINE_REQUESTS (see keep_line).
# A test that asks for another screen scale (QUERLAN_LOGPIXELS=144) gets it for its process:
# Wine reads the scale from the registry when a program starts. Such tests hold the desktop
# lock, so no other window test runs meanwhile.
set -euo pipefail
: "${WINEPREFIX:?run the Windows tests through tests/win32/run-under-wine.sh}"
if [ "${QUERLAN_PORTS_MAPPED:-}" != "$WINEPREFIX" ]; then
  echo "wine-run.sh: the COM ports of $WINEPREFIX are not mapped; use run-under-wine.sh" >&2
  exit 1
fi
export WINEDEBUG=-all
if [ -n "${QUERLAN_LOGPIXELS:-}" ]; then
  scale_key='HKCU\Control Panel\Desktop'
  trap 'wine reg delete "$scale_key" /v LogPixels /f >/dev/null 2>&1 || true' EXIT
  wine reg add "$scale_key" /v LogPixels /t REG_DWORD /d "$QUERLAN_LOGPIXELS" /f >/dev/null
  wine "$@"
  exit
fi
[ "${QUERLAN_WITH_LINE:-}" = 1 ] || exec wine "$@"

source "$(dirname "$0")/wine-lib.sh"
line=${QUERLAN_LINE:?run the Windows tests through tests/win32/run-under-wine.sh}
keep_line "$line" &
keeper=$!
trap 'kill "$keeper" 2>/dev/null; wait "$keeper" 2>/dev/null || true' EXIT
wait_for 10 test -e "$line/near" -a -e "$line/far"
QUERLAN_LINE_REQUESTS=Z:$(printf '%s' "$line/requests" | tr / '\\')
export QUERLAN_LINE_REQUESTS
wine "$@"
