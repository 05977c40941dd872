#!/usr/bin/env bash
# A recording whose destination another program holds open without sharing it, as a
# spreadsheet holds the file it shows, with Querlan.exe's window under Wine's virtual
# desktop. At the stop the save fails with its error box; the recording is then saved beside
# the destination under its name with the recording's start time, and a box "Information"
# says so. That file holds the recording byte for byte; the held file keeps its content.
# Screenshots are kept in build-win32/e2e-held-file. Called by run-under-wine.sh like
# e2e-recording.sh:
#   e2e-held-file.sh BUILD-FOLDER DEVSIM
set -euo pipefail
build=$1
devsim=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-lib.sh"
run=$build/e2e-held-file
trap wine_lib_cleanup EXIT
rm -rf "$run"
mkdir -p "$run"

bytes=3000
shot() { import -window root "$run/$1.png"; }
windows_path() { winepath -w "$1" 2>/dev/null; }

"$devsim" --link "$run/device" --pattern count --bytes "$bytes" --once --timeout 300 \
  --report "$run/devsim.report" --ready-file "$run/devsim.ready" >"$run/devsim.log" 2>&1 &
wine_lib_pids+=($!)
wait_for 10 test -e "$run/devsim.ready"
map_ports "$run/no-such-port" 1="$run/device"
start_wineserver "$run"

write_setup "$run" 3 log.txt
printf 'Tabelle\r\n' >"$run/log.txt"
cp "$run/log.txt" "$run/held.expected"
for ((i = 0; i < bytes; i++)); do printf '%d\r\n' $((i % 256)); done >"$run/recording.expected"

# The holder runs on the same Wine server as Querlan.exe, which keeps its share mode.
wine "$build/tests/win32/hold_file.exe" "$(windows_path "$run/log.txt")" \
  "$(windows_path "$run/holder.ready")" "$(windows_path "$run/holder.stop")" \
  >"$run/holder.log" 2>&1 &
holder=$!
wine_lib_pids+=($holder)
wait_for 30 test -e "$run/holder.ready"

start_querlan "$run" "$build"
before=$(date +%s)
xdotool key Return
wait_for 30 grep -qx "sent=$bytes" "$run/devsim.report"
# The recording time ends the recording; the save finds log.txt held.
wait_for 30 xdotool search --onlyvisible --name '^Querlan$'
sleep 0.5
shot 1-error
fallbacks() { find "$run" -maxdepth 1 -name 'log_*.txt' -printf '%f\n'; }
if [ -n "$(fallbacks)" ]; then
  echo "the recording was saved elsewhere before the error box was confirmed" >&2
  exit 1
fi
xdotool key Return
wait_for 30 xdotool search --onlyvisible --name '^Information$'
sleep 0.5
shot 2-information
xdotool key Return
wait_for 30 bash -c "! xdotool search --onlyvisible --name '^Information$'"
touch "$run/holder.stop"
wait "$holder"
close_querlan

status=0
saved=$(fallbacks)
if [[ ! $saved =~ ^log_([0-9]{4}-[0-9]{2}-[0-9]{2})_([0-9]{2})-([0-9]{2})-([0-9]{2})\.txt$ ]]; then
  echo "fallback files: ${saved:-none}" >&2
  exit 1
fi
# Named after the local time the recording started, to the second.
started=$(date -d "${BASH_REMATCH[1]} ${BASH_REMATCH[2]}:${BASH_REMATCH[3]}:${BASH_REMATCH[4]}" +%s)
if ((started < before || started > $(date +%s))); then
  echo "$saved does not name the time the recording started" >&2
  status=1
fi
cmp "$run/recording.expected" "$run/$saved" || status=1
cmp "$run/held.expected" "$run/log.txt" || status=1
left=$(find "$run" -maxdepth 1 -name '.*' -printf '%f\n')
[ -z "$left" ] || { echo "left behind: $left" >&2; status=1; }
[ $status = 0 ] && echo "e2e held file: $bytes bytes saved as $saved, the held log.txt kept"
exit $status
