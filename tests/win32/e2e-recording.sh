#!/usr/bin/env bash
# A whole recording through Querlan.exe's window under Wine's virtual desktop. tools/devsim,
# built for Linux, is the device on a pseudo-terminal mapped as COM1, in the kernel's default
# settings as a freshly plugged adapter presents it; its answer holds every byte value, XON
# and XOFF among them, so it arrives whole only on a byte-transparent line. The keyboard starts the
# recording, its recording time ends it, "&Beenden" closes the program. The recording and
# the Setup.txt written at the close are compared byte for byte; screenshots are kept in
# build-win32/e2e. Called by run-under-wine.sh, with DISPLAY and WINEPREFIX set:
#   e2e-recording.sh BUILD-FOLDER DEVSIM
set -euo pipefail
build=$1
devsim=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-lib.sh"
run=$build/e2e
trap wine_lib_cleanup EXIT
rm -rf "$run"
mkdir -p "$run"

bytes=3000
destination="Messung Größe.txt"
shot() { import -window root "$run/$1.png"; }

"$devsim" --link "$run/device" --pattern count --bytes "$bytes" --once --timeout 300 \
  --report "$run/devsim.report" --ready-file "$run/devsim.ready" >"$run/devsim.log" 2>&1 &
wine_lib_pids+=($!)
wait_for 10 test -e "$run/devsim.ready"
map_ports "$run/no-such-port" 1="$run/device"
start_wineserver "$run"

write_setup "$run" 3 "$destination"
cp "$run/Setup.txt" "$run/Setup.expected"
for ((i = 0; i < bytes; i++)); do printf '%d\r\n' $((i % 256)); done >"$run/recording.expected"

start_querlan "$run" "$build"
shot 1-started
xdotool key Return
wait_for 30 grep -qx "sent=$bytes" "$run/devsim.report"
sleep 0.5
shot 2-recording
wait_for 30 test -e "$run/$destination"
sleep 0.5
shot 3-saved

xdotool key alt+s
sleep 1
shot 4-setup
xdotool key Return # OK without a change: no message box
sleep 1
close_querlan

status=0
cmp "$run/recording.expected" "$run/$destination" || status=1
cmp "$run/Setup.expected" "$run/Setup.txt" || status=1
grep -qx "received=1" "$run/devsim.report" || { echo "the device saw no request" >&2; status=1; }
[ $status = 0 ] && echo "e2e recording: $bytes bytes recorded and Setup.txt kept byte for byte"
exit $status
