#!/usr/bin/env bash
# Querlan's benchmarks: builds them in build-bench and prints every figure beside a
# baseline measured in the same run, as Markdown tables (BENCHMARKS.md keeps a full run).
# Figures only: nothing here fails on a number.
#
#   bench/run.sh            capture at four rates for 60 s each, 20 s idle (headless and the
#                           real program under Xvfb, idle and recording), a 400 s recording at
#                           300,000 B/s, a 100 MB settings file, the save alone at 3.3 and
#                           25 MB, and the callgrind profile:
#                           about 28 minutes (idle is measured five times over, the recording
#                           under Xvfb three times with a window manager and three without)
#   bench/run.sh --quick    the same with 10 s captures, 10 s idle three times over and a 40 s
#                           long recording
#   options: --seconds N (capture), --idle N, --endurance N (0 skips it), --no-profile
#
# Every case links its own COM1 to the device simulator's pseudo-terminal in a private
# directory; no real serial port is ever opened.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
idle=20
idle_rounds=5
endurance=400
profile=1
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) seconds=10 idle=10 idle_rounds=3 endurance=40 ;;
    --seconds) seconds=$2; shift ;;
    --idle) idle=$2; shift ;;
    --endurance) endurance=$2; shift ;;
    --no-profile) profile=0 ;;
    *) echo "unknown option: $1 (see the top of bench/run.sh)" >&2; exit 2 ;;
  esac
  shift
done

source tools/scripts/ensure-packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" xvfb xdotool valgrind openbox
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUERLAN_BENCH=ON \
  -DQUERLAN_TESTS=OFF > /dev/null
cmake --build build-bench -j "$(nproc)" --target querlan_bench devsim Querlan > /dev/null

bench=build-bench/bench/querlan_bench
out=$(mktemp -d /tmp/querlan-bench-results-XXXXXX)
trap 'rm -rf "$out"' EXIT

# run NAME CASE ARGS...: the case's "name=value" lines go to $out/NAME.
run() {
  local name=$1
  shift
  echo "running $*" >&2
  "$bench" "$@" > "$out/$name"
}
get() { sed -n "s/^$2=//p" "$out/$1"; }
calc() { awk "BEGIN { printf \"$1\", $2 }"; }

rates=(11520 92160 300000 0)
for rate in "${rates[@]}"; do
  run "base-$rate" baseline --rate "$rate" --seconds "$seconds"
  run "cap-$rate" capture --rate "$rate" --seconds "$seconds"
done
[ "$endurance" -gt 0 ] && run long capture --rate 300000 --seconds "$endurance"
run settings settings-load --megabytes 100
# The save alone, many times over: 3.3 and 25 MB of text. The same text through replaceFile
# in pieces of 360,000 bytes shows what writes that do not start at whole 64 KiB cost.
save_sizes=(720000 5500000)
save_rounds() { [ "$1" -lt 4000000 ] && echo 31 || echo 11; }
for bytes in "${save_sizes[@]}"; do
  run "save-$bytes" save --bytes "$bytes" --rounds "$(save_rounds "$bytes")"
  run "save-$bytes-unaligned" save --bytes "$bytes" --rounds "$(save_rounds "$bytes")" \
    --piece 360000
done

# The real program under Xvfb: CPU of its threads from /proc over $idle seconds, as
# "total main others" in % of one core. With "record" the device streams 300,000 B/s and
# a click on "Daten holen" (where the default layout puts it) starts a recording first.
# With "wm" a window manager runs, as on every desktop: without one, GTK asks the X server
# at every frame whether one has come (a round trip that no user's desktop makes).
xvfb_cpu() {
  local mode=$1 wm=${2:-} display dir devsim_pid xvfb_pid wm_pid= querlan_pid stream=()
  for display in $(seq 90 120); do [ -e "/tmp/.X$display-lock" ] || break; done
  dir=$(mktemp -d /tmp/querlan-bench-xvfb-XXXXXX)
  [ "$mode" = record ] && stream=(--stream --rate 300000)
  build-bench/tools/devsim/devsim --link "$dir/COM1" --ready-file "$dir/ready" \
    --report "$dir/report" --quiet "${stream[@]}" > /dev/null &
  devsim_pid=$!
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -e "$dir/ready" ] && [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.05
  done
  if [ "$wm" = wm ]; then
    DISPLAY=":$display" openbox > /dev/null 2>&1 &
    wm_pid=$!
    sleep 1
  fi
  (cd "$dir" && exec env DISPLAY=":$display" "$OLDPWD/build-bench/Querlan" > /dev/null 2>&1) &
  querlan_pid=$!
  sleep 3
  [ "$mode" = record ] && DISPLAY=":$display" xdotool mousemove 66 270 click 1 && sleep 2
  # Time on a CPU per thread in nanoseconds (schedstat; clock ticks are too coarse for
  # this): the main thread's, then all others'
  oncpu() {
    local task
    for task in /proc/"$querlan_pid"/task/*; do
      echo "${task##*/} $(cut -d' ' -f1 "$task/schedstat")"
    done | awk -v main="$querlan_pid" '{ if ($1 == main) m += $2; else o += $2 }
      END { print m + 0, o + 0 }'
  }
  local before after
  before=$(oncpu)
  sleep "$idle"
  after=$(oncpu)
  kill "$querlan_pid" "$devsim_pid" $wm_pid "$xvfb_pid" 2> /dev/null || true
  wait "$querlan_pid" "$devsim_pid" $wm_pid "$xvfb_pid" 2> /dev/null || true
  if [ "$mode" = record ] && ! grep -q "^requests=1" "$dir/report"; then
    echo "n/a n/a n/a"
  else
    echo "$before $after" | awk -v s="$idle" '{
      m = ($3 - $1) / 1e9 / s * 100; o = ($4 - $2) / 1e9 / s * 100
      printf "%.2f %.2f %.2f\n", m + o, m, o }'
  fi
  rm -rf "$dir"
}
# Idle CPU is a few wake-ups a millisecond, and what one costs depends on the rest of the
# machine: each idle figure is measured $idle_rounds times, in turns, and reported as the
# median with the range; what a program takes above a baseline is the median of the rounds'
# differences, each from figures of the same round. Two baselines: the bare
# wake-ups (a 1 ms and a 10 ms sleeper), and the floor of the design, the same with the one
# system call a pass that asks the port how many bytes wait.
have_xvfb=0
command -v Xvfb > /dev/null && [ -x build-bench/Querlan ] && have_xvfb=1
for round in $(seq "$idle_rounds"); do
  run "idle-$round" idle --seconds "$idle"
  run "idle-base-$round" idle-baseline --seconds "$idle"
  run "idle-floor-$round" idle-baseline --seconds "$idle" --port-check 1
  if [ "$have_xvfb" -eq 1 ]; then
    echo "running Querlan under Xvfb, idle" >&2
    read -r total main others <<< "$(xvfb_cpu idle)"
    printf 'cpu_pct=%s\nmain_pct=%s\nworker_pct=%s\n' "$total" "$main" "$others" \
      > "$out/xvfb-idle-$round"
  fi
done
# Recording 300,000 B/s: the real program under Xvfb, with a window manager and without,
# beside the headless capture for as long, in turns ($rec_rounds rounds).
rec_rounds=3
for round in $(seq "$rec_rounds"); do
  run "rec-head-$round" capture --rate 300000 --seconds "$idle"
  [ "$have_xvfb" -eq 1 ] || continue
  for setup in wm bare; do
    echo "running Querlan under Xvfb ($setup), recording" >&2
    read -r total main others <<< "$(xvfb_cpu record "$setup")"
    [ "$total" = n/a ] && continue
    printf 'cpu_pct=%s\nmain_pct=%s\nworker_pct=%s\n' "$total" "$main" "$others" \
      > "$out/xvfb-rec-$setup-$round"
  done
done
# median NAME KEY: the median over the rounds of NAME-1, NAME-2, ...; spread NAME KEY: the
# lowest to the highest
max_rounds=$((idle_rounds > rec_rounds ? idle_rounds : rec_rounds))
round_values() {
  local round
  for round in $(seq "$max_rounds"); do
    [ -e "$out/$1-$round" ] && get "$1-$round" "$2"
  done | sort -g
}
median() {
  local values
  values=$(round_values "$1" "$2")
  [ -n "$values" ] || { echo "n/a"; return; }
  calc "%.2f" "$(echo "$values" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')"
}
# paired NAME BASE KEY OP FORMAT: the median over the rounds of NAME's figure OP BASE's in
# the same round
paired() {
  local round values
  values=$(for round in $(seq "$max_rounds"); do
    if [ -e "$out/$1-$round" ] && [ -e "$out/$2-$round" ]; then
      calc "%.4f\n" "$(get "$1-$round" "$3") $4 $(get "$2-$round" "$3")"
    fi
  done | sort -g)
  [ -n "$values" ] || { echo "n/a"; return; }
  calc "$5" "$(echo "$values" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')"
}
# above NAME BASE: NAME's CPU less BASE's; ratio NAME BASE KEY: NAME's figure over BASE's
above() { paired "$1" "$2" cpu_pct - "%+.2f"; }
ratio() { paired "$1" "$2" "$3" / "%.1f"; }
spread() {
  local values
  values=$(round_values "$1" "$2")
  [ -n "$values" ] || { echo "n/a"; return; }
  echo "$(calc "%.2f" "$(echo "$values" | head -1)") to $(calc "%.2f" "$(echo "$values" | tail -1)")"
}

# Instructions on the main thread (valgrind counts them the same on every run).
collected() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null --toggle-collect="$1" "$bench" \
    profile "${@:2}" 2>&1 | sed -n 's/.*Collected : //p'
}
if [ "$profile" -eq 1 ]; then
  echo "running the callgrind profile" >&2
  profile_bytes=3000000
  poll_ir=$(collected 'TfMain::tDatenContTimer()' --phase capture --bytes $profile_bytes)
  save_ir=$(collected 'TfMain::tDatenEndTimer()' --phase capture --bytes $profile_bytes)
  idle_ir=$(collected 'TfMain::tDatenContTimer()' --phase idle --ticks 6000)
fi

rate_name() { [ "$1" -eq 0 ] && echo "unthrottled" || printf "%'d" "$1"; }
lost() { # throttled: every byte sent must be in the file; unthrottled: no gap in it
  if [ "$1" -eq 0 ]; then calc "%d" "$(get "cap-$1" recorded) - $(get "cap-$1" intact)"
  else calc "%d" "$(get "cap-$1" sent) - $(get "cap-$1" intact)"; fi
}
mb() { calc "%.1f" "$1 / 1e6"; }
# Throttled, the device sends for $seconds; unthrottled, for the whole recording.
intake_seconds() { if [ "$1" -eq 0 ]; then get "cap-$1" recording_s; else echo "$seconds"; fi; }

echo
echo "Querlan benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg) at the end"
echo "Command: bench/run.sh --seconds $seconds --idle $idle --endurance $endurance"
echo
echo "Capture: devsim streams into a recording for $seconds s; baseline: a blocking reader"
echo "copying the same pseudo-terminal into a file. CPU is user + system of the process. Lost:"
echo "bytes sent but not in the file in order (unthrottled: a gap in the file). Backlog: how far"
echo "the bytes taken lag behind the device's pace (the pseudo-terminal holds some 20 KB)."
echo
echo "| rate (B/s) | sent | recorded | lost | intake (B/s) | reader intake (B/s) | CPU % (main + worker) | reader CPU % | CPU ratio | longest tick gap (ms) | max backlog (B) | reader max backlog (B) |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|"
for rate in "${rates[@]}"; do
  c="cap-$rate" b="base-$rate"
  echo "| $(rate_name "$rate") | $(get $c sent) | $(get $c recorded) | $(lost "$rate")" \
    "| $(calc "%.0f" "$(get $c recorded) / $(intake_seconds "$rate")")" \
    "| $(calc "%.0f" "$(get $b recorded) / $(get $b seconds)")" \
    "| $(calc "%.2f" "$(get $c cpu_pct)") ($(calc "%.2f" "$(get $c main_pct)") + $(calc "%.2f" "$(get $c worker_pct)"))" \
    "| $(calc "%.2f" "$(get $b cpu_pct)") | $(calc "%.1f" "$(get $c cpu_pct) / $(get $b cpu_pct)")" \
    "| $(calc "%.1f" "$(get $c longest_tick_gap_ms)") | $(calc "%.0f" "$(get $c max_backlog_bytes)")" \
    "| $(calc "%.0f" "$(get $b max_backlog_bytes)") |"
done
echo
echo "Memory and save: peak RSS of the whole process per recorded byte, and growth during the"
echo "recording per recorded byte (goal: at most 2); the save (text made from the bytes, temporary"
echo "file, fsync, rename, fsync of the folder) as the stop did it and once more beside one fwrite"
echo "of the same text, with and without fsync, each of these three starting with nothing dirty in"
echo "the page cache (goal: at least 0.9 of fwrite+fsync); compared 15 times in turns (from 20 MB"
echo "6 times), by the median."
echo
echo "| rate (B/s) | file (MB) | peak RSS (MB) | RSS / byte | growth / byte | reader peak RSS (MB) | save at the stop (s) | save again (s) | fwrite (s) | fwrite+fsync (s) | speed vs fwrite | vs fwrite+fsync |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|"
memory_row() {
  local c=$1 label=$2 reader=$3
  local recorded peak before
  recorded=$(get "$c" recorded) peak=$(get "$c" peak_rss) before=$(get "$c" rss_before)
  echo "| $label | $(mb "$(get "$c" file_bytes)") | $(mb "$peak") | $(calc "%.1f" "$peak / $recorded")" \
    "| $(calc "%.1f" "($peak - $before) / $recorded") | $reader" \
    "| $(calc "%.3f" "$(get "$c" save_s)") | $(calc "%.3f" "$(get "$c" save_again_s)")" \
    "| $(calc "%.3f" "$(get "$c" fwrite_s)") | $(calc "%.3f" "$(get "$c" fwrite_fsync_s)")" \
    "| $(calc "%.2f" "$(get "$c" fwrite_s) / $(get "$c" save_again_s)")" \
    "| $(calc "%.2f" "$(get "$c" fwrite_fsync_s) / $(get "$c" save_again_s)") |"
}
for rate in "${rates[@]}"; do
  memory_row "cap-$rate" "$(rate_name "$rate")" "$(mb "$(get "base-$rate" peak_rss)")"
done
echo
echo "The save alone: the lines of a number of recorded bytes saved in turns with one fwrite of"
echo "their text with fsync, and with the same text made beforehand and handed to the save's"
echo "replaceFile in pieces of 1 MiB (the save's way to the disk without the making of the text)"
echo "and, in a second run, of 360,000 bytes; each a new file after a sync (3.3 MB 31 times,"
echo "25 MB 11 times). The making alone: the save to /dev/null. Medians."
echo
echo "| file (MB) | fwrite+fsync (ms) | save (ms) | save vs fwrite+fsync | made beforehand (ms) | vs fwrite+fsync | in pieces of 360,000 B, vs fwrite+fsync | making alone (ms) |"
echo "|---|---|---|---|---|---|---|---|"
ms() { calc "%.2f" "$1 * 1000"; }
for bytes in "${save_sizes[@]}"; do
  s="save-$bytes" u="save-$bytes-unaligned"
  echo "| $(mb "$(get "$s" file_bytes)") | $(ms "$(get "$s" fwrite_fsync_s)") | $(ms "$(get "$s" save_s)")" \
    "| $(calc "%.2f" "$(get "$s" fwrite_fsync_s) / $(get "$s" save_s)") | $(ms "$(get "$s" replace_s)")" \
    "| $(calc "%.2f" "$(get "$s" fwrite_fsync_s) / $(get "$s" replace_s)")" \
    "| $(calc "%.2f" "$(get "$u" fwrite_fsync_s) / $(get "$u" replace_s)") | $(ms "$(get "$s" making_s)") |"
done
if [ "$endurance" -gt 0 ]; then
  echo
  echo "Long recording: $endurance s at 300,000 B/s without pause (baseline: the goals, and one"
  echo "fwrite of the same text)."
  echo
  echo "| sent | recorded | lost | CPU % | longest tick gap (ms) | longest tick (ms) | max backlog (B) |"
  echo "|---|---|---|---|---|---|---|"
  echo "| $(get long sent) | $(get long recorded) | $(calc "%d" "$(get long sent) - $(get long intact)")" \
    "| $(calc "%.2f" "$(get long cpu_pct)") | $(calc "%.1f" "$(get long longest_tick_gap_ms)")" \
    "| $(calc "%.1f" "$(get long longest_tick_ms)") | $(calc "%.0f" "$(get long max_backlog_bytes)") |"
  echo
  echo "| rate (B/s) | file (MB) | peak RSS (MB) | RSS / byte | growth / byte | reader peak RSS (MB) | save at the stop (s) | save again (s) | fwrite (s) | fwrite+fsync (s) | speed vs fwrite | vs fwrite+fsync |"
  echo "|---|---|---|---|---|---|---|---|---|---|---|---|"
  memory_row long "300,000 for $endurance s" "-"
fi
echo
echo "Idle for $idle s, $idle_rounds times in turns (baseline: a thread sleeping 1 ms at a time"
echo "beside one sleeping 10 ms at a time, the bare wake-ups of the worker's pass and the poll"
echo "timer; floor: the same with the worker's one system call a pass to ask the port; goal:"
echo "under 2 %). Medians, the range of the whole process's figure, and the median of the rounds'"
echo "differences to the baseline and to the floor."
echo
echo "| program | CPU % of one core | range | main thread % | worker % | above the baseline | above the floor |"
echo "|---|---|---|---|---|---|---|"
idle_row() {
  echo "| $1 | $(median "$2" cpu_pct) | $(spread "$2" cpu_pct) | $(median "$2" main_pct)" \
    "| $(median "$2" worker_pct) | $(above "$2" idle-base) | $(above "$2" idle-floor) |"
}
idle_row headless idle
idle_row "Querlan under Xvfb" xvfb-idle
echo "| baseline | $(median idle-base cpu_pct) | $(spread idle-base cpu_pct) | - | - | - | - |"
echo "| floor | $(median idle-floor cpu_pct) | $(spread idle-floor cpu_pct) | - | - | $(above idle-floor idle-base) | - |"
echo
echo "The real program under Xvfb while it records 300,000 B/s, with a window manager (openbox)"
echo "and on the bare X server, $rec_rounds rounds of $idle s in turns with the headless capture at"
echo "that rate (the other threads are the worker and GTK's own). Medians, the range of the main"
echo "thread, and the median of the rounds' ratios of main thread to headless main thread."
echo
echo "| program | CPU % of one core | main thread % | range | other threads % | main thread / headless |"
echo "|---|---|---|---|---|---|"
rec_row() {
  echo "| $1 | $(median "$2" cpu_pct) | $(median "$2" main_pct) | $(spread "$2" main_pct)" \
    "| $(median "$2" worker_pct) | $3 |"
}
rec_row "Querlan under Xvfb, window manager" xvfb-rec-wm "$(ratio xvfb-rec-wm rec-head main_pct)"
rec_row "Querlan under bare Xvfb" xvfb-rec-bare "$(ratio xvfb-rec-bare rec-head main_pct)"
rec_row headless rec-head -
echo
echo "Settings file of 100 MB of random bytes without NUL: the start-up beside one fread."
echo
echo "| start-up (s) | fread (s) | ratio | peak RSS (MB) |"
echo "|---|---|---|---|"
echo "| $(calc "%.2f" "$(get settings startup_s)") | $(calc "%.2f" "$(get settings fread_s)")" \
  "| $(calc "%.1f" "$(get settings startup_s) / $(get settings fread_s)")" \
  "| $(mb "$(get settings peak_rss)") |"
if [ "$profile" -eq 1 ]; then
  echo
  echo "Profile (valgrind --tool=callgrind, instructions on the main thread; the bytes are put"
  echo "into the receive queue by the benchmark, 3,000 per 10 ms tick)."
  echo
  echo "| poll, per byte recorded | save, per byte recorded | poll, per idle tick |"
  echo "|---|---|---|"
  echo "| $(calc "%.1f" "$poll_ir / $profile_bytes") | $(calc "%.2f" "$save_ir / $profile_bytes")" \
    "| $(calc "%.0f" "$idle_ir / 6000") |"
fi
