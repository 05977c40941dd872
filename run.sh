#!/usr/bin/env bash
# Installs what it needs, builds Querlan and starts it in run/. There, COM1 links to the
# bundled device simulator, unless you have linked COM1 to a real device yourself:
#   ./run.sh --port /dev/serial/by-id/usb-...   links run/COM1 to that device first
set -euo pipefail
cd "$(dirname "$0")"

port=
while [ $# -gt 0 ]; do
  case $1 in
    --port) [ $# -ge 2 ] || { echo "--port needs a device" >&2; exit 2; }; port=$2; shift 2 ;;
    --port=*) port=${1#--port=}; shift ;;
    *) echo "usage: ./run.sh [--port DEVICE]   (DEVICE: a serial device, such as one" \
         "under /dev/serial/by-id/)" >&2; exit 2 ;;
  esac
done
if [ -n "$port" ] && [ ! -c "$port" ]; then
  echo "$port is not a serial device; the adapters plugged in now: /dev/serial/by-id/" >&2
  ls /dev/serial/by-id/ 2>/dev/null >&2 || echo "(none)" >&2
  exit 2
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Querlan is a desktop program: it needs a desktop session, and DISPLAY is not set." >&2
  echo "To try it without one, on a virtual screen:  apt-get install xvfb && xvfb-run -a ./run.sh" >&2
  exit 1
fi

source tools/scripts/ensure-packages.sh
ensure_packages "${BUILD_PACKAGES[@]}"
cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUERLAN_TESTS=OFF
cmake --build build-run -j "$(nproc)" --target Querlan devsim

mkdir -p run
# The device by the name given, as written: a name under /dev/serial/by-id/ stays the
# adapter's own when it is plugged into another socket.
[ -z "$port" ] || ln -sfn "$(realpath -s "$port")" run/COM1
# Otherwise a missing COM1, or one left by an earlier simulator, gets a fresh simulator.
if [ -z "$port" ] && { [ ! -e run/COM1 ] || [[ "$(readlink run/COM1 || true)" == /dev/pts/* ]]; }; then
  rm -f run/.devsim-ready
  build-run/tools/devsim/devsim --link run/COM1 --ready-file run/.devsim-ready --quiet &
  simulator=$!
  trap 'kill "$simulator" 2>/dev/null || true' EXIT
  for _ in $(seq 100); do [ -e run/.devsim-ready ] && break; sleep 0.05; done
  echo "COM1 is the device simulator: every \"Daten holen\" gets a few measurement lines."
fi

cd run
../build-run/Querlan
