#!/usr/bin/env bash
# A recording through an unplug, with Querlan.exe's window under Wine's virtual desktop:
# tools/devsim is unplugged in the middle of its answer and plugged in again under the same
# name 1.5 s later, and goes on with the answer where it stopped. The recording must hold
# the answer from before and after, in order, without a restart or a message; only what was
# on its way through the terminal at the moment of the unplug may be missing, as with a real
# adapter. Called by run-under-wine.sh like e2e-recording.sh:
#   e2e-unplug.sh BUILD-FOLDER DEVSIM
set -euo pipefail
build=$1
devsim=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-lib.sh"
run=$build/e2e-unplug
trap wine_lib_cleanup EXIT
rm -rf "$run"
mkdir -p "$run"

bytes=6000
most_lost=64 # one read's worth of the terminal's buffer, far more than 2000 bytes/s leave in it

# The terminal is in the kernel's defaults before and after the replug, as an adapter's is;
# after the replug devsim sends nothing until Querlan has opened and set up the port again.
"$devsim" --link "$run/device" --pattern count --bytes "$bytes" --rate 2000 --once \
  --timeout 120 --ready-file "$run/devsim.ready" >"$run/devsim.log" 2>&1 &
device=$!
wine_lib_pids+=($device)
wait_for 10 test -e "$run/devsim.ready"
map_ports "$run/no-such-port" 1="$run/device"
start_wineserver "$run"
write_setup "$run" 8 log.txt

start_querlan "$run" "$build"
xdotool key Return
wait_for 10 grep -qx "request 1" "$run/devsim.log"
sleep 1 # a third of the answer
kill -USR1 "$device"
wait_for 10 grep -qx unplugged "$run/devsim.log"
sleep 1.5
kill -USR2 "$device"
wait_for 10 grep -q "^replugged" "$run/devsim.log"
wait_for 30 grep -qx "sent $bytes" "$run/devsim.log"
wait_for 30 test -e "$run/log.txt"
import -window root "$run/recorded.png"
close_querlan

# The values 0, 1, 2, ... (mod 256) with at most one gap of at most most_lost values, and
# the last value of the answer last.
awk -v total="$bytes" -v most="$most_lost" '
  { sub(/\r$/, ""); value[NR - 1] = $0 + 0 }
  END {
    lost = total - NR
    if (lost < 0 || lost > most) { print "recorded " NR " of " total " bytes"; exit 1 }
    for (i = 0; i < NR && value[i] == i % 256; i++) {}
    for (gap = i; i < NR && value[i] == (i + lost) % 256; i++) {}
    if (i < NR) { print "byte " i " is " value[i] ", not in order"; exit 1 }
    if (lost == 0) print "e2e unplug: all " NR " bytes recorded in order across the unplug"
    else print "e2e unplug: " gap " bytes before the gap, " NR - gap " after, " lost " lost"
  }' "$run/log.txt"
