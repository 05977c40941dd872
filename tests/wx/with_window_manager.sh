#!/bin/sh
# Runs a program on the current X display with a window manager: with_window_manager.sh WM PROGRAM [ARGS]
wm=$1
shift
"$wm" >/dev/null 2>&1 &
wm_pid=$!
# Give the window manager time to take over the screen before windows appear.
sleep 1
"$@"
status=$?
kill "$wm_pid" 2>/dev/null
exit $status
