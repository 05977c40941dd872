#!/usr/bin/env bash
# Runs a Windows test program under Wine, in the prefix that run-under-wine.sh prepared and
# whose COM ports it mapped to pseudo-terminals. Used as the tests' cross-compiling emulator;
# it refuses to run anywhere else, so no test can reach the machine's own serial port.
set -euo pipefail
: "${WINEPREFIX:?run the Windows tests through tests/win32/run-under-wine.sh}"
if [ "${QUERLAN_PORTS_MAPPED:-}" != "$WINEPREFIX" ]; then
  echo "wine-run.sh: the COM ports of $WINEPREFIX are not mapped; use run-under-wine.sh" >&2
  exit 1
fi
export WINEDEBUG=-all
exec wine "$@"
