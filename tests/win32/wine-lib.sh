# Shared by run-under-wine.sh, wine-run.sh and the e2e scripts (sourced): a private Wine
# prefix and server, a virtual X display, the mapping of COM ports to pseudo-terminals, the
# comm tests' line and Querlan.exe's window.
#
# Wine links COMn to the machine's serial devices by itself; the registry key
# HKLM\Software\Wine\Ports overrides that. Every port a test could open (COM1 to COM32) is
# mapped before any Wine process that might open one starts, and the mapping is checked in
# dosdevices afterwards. Links placed in dosdevices by hand would be rewritten by Wine. The
# machine's own serial devices get the first numbers the registry leaves free (COM33 on),
# which no test opens.

wine_lib_pids=()

# Runs a command with a time limit, so that no step can hang the run.
limited() { timeout --kill-after=10 "$@"; }

wine_lib_cleanup() {
  [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] && limited 30 wineserver -k 2>/dev/null || true
  local pid
  for pid in "${wine_lib_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wine_lib_pids=()
}

# Starts Xvfb on a free display and exports DISPLAY.
start_display() {
  local fifo=$1/display.number
  rm -f "$fifo"
  Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
  wine_lib_pids+=($!)
  local i
  for i in $(seq 100); do [ -s "$fifo" ] && break; sleep 0.1; done
  [ -s "$fifo" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$fifo")"
}

prepare_prefix() {
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    limited 300 wineboot -i >/dev/null 2>&1
  fi
  limited 60 wineserver -w
}

# map_ports NOWHERE N=PATH...: COMn goes to PATH for each N=PATH given, every other port from
# COM1 to COM32 to NOWHERE, which must not exist. A PATH may be a symbolic link that is
# replaced later: Wine follows it at every open.
map_ports() {
  local nowhere=$1 reg=$WINEPREFIX/querlan-ports.reg n pair
  shift
  local -A targets=()
  for pair in "$@"; do targets[${pair%%=*}]=${pair#*=}; done
  unset QUERLAN_PORTS_MAPPED
  {
    printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\n'
    for n in $(seq 32); do printf '"COM%d"="%s"\n' "$n" "${targets[$n]:-$nowhere}"; done
  } >"$reg"
  limited 60 wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
  limited 60 wineserver -w
  # The next start of Wine rewrites dosdevices from the registry; nothing here opens a port.
  limited 60 wine cmd /c exit >/dev/null 2>&1
  for n in $(seq 32); do
    if [ "$(readlink "$WINEPREFIX/dosdevices/com$n")" != "${targets[$n]:-$nowhere}" ]; then
      echo "COM$n is not mapped to ${targets[$n]:-$nowhere}; refusing to go on" >&2
      return 1
    fi
  done
  export QUERLAN_PORTS_MAPPED=$WINEPREFIX
}

# The comm tests' line: two pseudo-terminals joined by socat, DIR/near (COM1, and COM10 for
# the device-namespace test) and DIR/far (COM2, the device's end). Each test process gets a
# new pair, left in the kernel's default settings (canonical mode, echo, IXON), as a freshly
# plugged adapter presents its port: making it byte-transparent is the program's job.
# What Wine does with those settings, seen on Wine 8.0 with stty -a on the terminal:
# - CreateFile and GetCommState change nothing; GetCommState reports IXON as fOutX and IXOFF
#   as fInX, so a default terminal reads as fOutX on.
# - Every SetCommState clears ICANON, ECHO, ISIG, IEXTEN, ICRNL and OPOST and sets CLOCAL,
#   IGNBRK and NOFLSH, so a default terminal becomes byte-transparent once the DCB is right:
#   fOutX sets or clears IXON, fInX IXOFF, the CTS handshake CRTSCTS, and INPCK is on
#   unless Parity is NOPARITY. A DCB that keeps fOutX as reported keeps IXON: 0x11 and 0x13
#   are then swallowed, and a received 0x13 stops the output.
# - fNull, fErrorChar, fAbortOnError and DSR flow control are not kept (GetCommState always
#   reports them off), nor is RTS_CONTROL_HANDSHAKE (reported as RTS_CONTROL_ENABLE), so
#   Wine cannot show what a real driver makes of them.
# - A terminal whose other end has closed fails every comm call with ERROR_NOT_READY; a read
#   started on it does not complete. A COM name whose device is missing opens a stand-in
#   that fails every comm call with ERROR_INVALID_FUNCTION.
# - A held write with a write time-out ends with ERROR_TIMEOUT, where Windows reports success
#   with the count written.

# plug_line DIR: a new pair under DIR/near and DIR/far.
plug_line() {
  socat pty,link="$1/near" pty,link="$1/far" 2>>"$1/socat.log" &
  echo $! >"$1/socat.pid"
  wait_for 10 test -e "$1/near" -a -e "$1/far"
}

# unplug_line DIR: both terminals hang up and their links go, as when an adapter is pulled.
# Called by the shell that plugged the line in, which waits for its socat to be gone.
unplug_line() {
  local pid
  pid=$(cat "$1/socat.pid" 2>/dev/null) || return 0
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  rm -f "$1/near" "$1/far" "$1/socat.pid"
}

# keep_line DIR: plugs the line in and then serves the requests a test under Wine makes by
# creating DIR/requests/unplug or DIR/requests/replug; a request's file goes once it is done.
# Runs until killed, and unplugs the line on its way out.
keep_line() {
  local dir=$1
  rm -rf "$dir/requests" # what a test that ended early left behind
  mkdir -p "$dir/requests"
  trap 'unplug_line "$dir"; exit 0' TERM
  plug_line "$dir" || return 1
  while :; do
    if [ -e "$dir/requests/unplug" ]; then
      unplug_line "$dir"
      rm -f "$dir/requests/unplug"
    fi
    if [ -e "$dir/requests/replug" ]; then
      plug_line "$dir"
      rm -f "$dir/requests/replug"
    fi
    sleep 0.05
  done
}

# start_wineserver FOLDER: one Wine server for what follows, in this script's session, its
# output in FOLDER/wineserver.log. Started by a program instead, it would make itself a
# session leader, take the first terminal it opens (a COM port's) as its controlling
# terminal, and be sent SIGHUP whenever that terminal hangs up. Wine's own services start
# with the first program and stay as long as the server; started here, they hold on to no
# test's output. wine_lib_cleanup ends it.
start_wineserver() {
  local server
  limited 60 wineserver -w
  wineserver -f -p >"$1/wineserver.log" 2>&1 &
  server=$!
  wine_lib_pids+=($server)
  wait_for 10 bash -c "ls -l /proc/$server/fd | grep -q socket:"
  limited 60 wine cmd /c exit >/dev/null 2>&1
}

querlan_caption="QUERLAN - Speichert die Daten einer RS232 - Version 1.1"

# write_setup FOLDER SECONDS DESTINATION: FOLDER/Setup.txt with the main window and the setup
# dialog on screen, COM1, 19200 baud, the recording time and the destination, which
# Setup.txt holds in the ANSI code page (1252).
write_setup() {
  printf '%s\r\n' 10 10 600 400 200 150 491 239 0 19200 "$2" \
    "$(printf '%s' "$3" | iconv -f UTF-8 -t CP1252)" >"$1/Setup.txt"
}

# start_querlan FOLDER BUILD: Querlan.exe from BUILD, started in FOLDER, in Wine's virtual
# desktop. Returns once its window is up and has the keyboard: the focus is then in the
# destination box, and Enter presses the visible default button, "&Daten holen".
start_querlan() {
  (cd "$1" && exec wine explorer /desktop=querlan,1024x768 "$2/Querlan.exe" \
    >"$1/wine.log" 2>&1) &
  wine_lib_pids+=($!)
  wait_for 60 xdotool search --name "$querlan_caption"
  sleep 2 # the deferred start-up: settings applied, port opened
  # One click into the window's client area gives the keyboard to it.
  xdotool mousemove 500 230 click 1
  sleep 0.5
}

# close_querlan: "&Beenden", then waits until the window is gone.
close_querlan() {
  xdotool key alt+b
  wait_for 30 bash -c "! xdotool search --name '$querlan_caption'"
}

# wait_for SECONDS COMMAND...: polls until COMMAND succeeds; fails after SECONDS.
wait_for() {
  local seconds=$1 i
  shift
  for i in $(seq $((seconds * 5))); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  echo "timed out after ${seconds}s waiting for: $*" >&2
  return 1
}
