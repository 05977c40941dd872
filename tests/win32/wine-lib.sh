# Shared by run-under-wine.sh and e2e-recording.sh (sourced): a private Wine prefix, a
# virtual X display and the mapping of COM ports to pseudo-terminals.
#
# Wine links COMn to the machine's serial devices by itself; the registry key
# HKLM\Software\Wine\Ports overrides that. Every port a test could open (COM1 to COM32) is
# mapped before any Wine process that might open one starts, and the mapping is checked in
# dosdevices afterwards. Links placed in dosdevices by hand would be rewritten by Wine.

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
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
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

# map_ports COM1-PATH COM2-PATH NOWHERE: COM3 to COM32 go to NOWHERE, which must not exist.
map_ports() {
  local reg=$WINEPREFIX/querlan-ports.reg n target
  unset QUERLAN_PORTS_MAPPED
  {
    printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\n'
    for n in $(seq 32); do
      target=$3
      [ "$n" = 1 ] && target=$1
      [ "$n" = 2 ] && target=$2
      printf '"COM%d"="%s"\n' "$n" "$target"
    done
  } >"$reg"
  limited 60 wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
  limited 60 wineserver -w
  # The next start of Wine rewrites dosdevices from the registry; nothing here opens a port.
  limited 60 wine cmd /c exit >/dev/null 2>&1
  for n in $(seq 32); do
    target=$3
    [ "$n" = 1 ] && target=$1
    [ "$n" = 2 ] && target=$2
    if [ "$(readlink "$WINEPREFIX/dosdevices/com$n")" != "$target" ]; then
      echo "COM$n is not mapped to $target; refusing to go on" >&2
      return 1
    fi
  done
  export QUERLAN_PORTS_MAPPED=$WINEPREFIX
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
