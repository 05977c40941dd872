#!/usr/bin/env bash
# Querlan.exe on a screen scaled to 150 % (144 DPI, Wine's LogPixels): the windows come up
# one and a half times their Setup.txt size, with text to match, and the Setup.txt written
# at the close is byte for byte the one read at the start. Screenshots of both windows are
# kept in build-win32/e2e-scaled. Called by run-under-wine.sh like e2e-recording.sh:
#   e2e-scaled.sh BUILD-FOLDER DEVSIM
set -euo pipefail
build=$1
devsim=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-lib.sh"
run=$build/e2e-scaled
scale_key='HKCU\Control Panel\Desktop'
trap 'limited 30 wine reg delete "$scale_key" /v LogPixels /f >/dev/null 2>&1; wine_lib_cleanup' EXIT
rm -rf "$run"
mkdir -p "$run"

"$devsim" --link "$run/device" --ready-file "$run/devsim.ready" >"$run/devsim.log" 2>&1 &
wine_lib_pids+=($!)
wait_for 10 test -e "$run/devsim.ready"
map_ports "$run/no-such-port" 1="$run/device"
start_wineserver "$run"
limited 30 wine reg add "$scale_key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
write_setup "$run" 3 log.txt # the main window 600 x 400, the setup dialog 491 x 239
cp "$run/Setup.txt" "$run/Setup.expected"

# The size of the window with this caption, as the X server shows it.
client_size() {
  local window
  window=$(xdotool search --name "^$1\$" | head -n1)
  xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p'
}

start_querlan "$run" "$build"
main_size=$(client_size "$querlan_caption")
import -window root "$run/main-150.png"
xdotool key alt+s
wait_for 10 xdotool search --name '^Setup$'
sleep 1
setup_size=$(client_size Setup)
import -window root "$run/setup-150.png"
xdotool key Return
sleep 1
close_querlan

status=0
# Wine draws the frame inside the X window of a window on its virtual desktop.
[ "$main_size" = 900x600 ] || { echo "main window $main_size, not 900x600" >&2; status=1; }
[ "$setup_size" = 737x359 ] || { echo "setup dialog $setup_size, not 737x359" >&2; status=1; }
cmp "$run/Setup.expected" "$run/Setup.txt" || status=1
[ $status = 0 ] && echo "e2e scaled: both windows at 150 %, Setup.txt kept byte for byte"
exit $status
