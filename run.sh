#!/usr/bin/env bash
# Installs what it needs, builds Querlan and starts it in run/. There, COM1 links to the
# bundled device simulator, unless you have linked COM1 to a real device yourself.
set -euo pipefail
cd "$(dirname "$0")"

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
# A missing COM1, or one left by an earlier simulator, gets a fresh simulator.
if [ ! -e run/COM1 ] || [[ "$(readlink run/COM1 || true)" == /dev/pts/* ]]; then
  rm -f run/.devsim-ready
  build-run/tools/devsim/devsim --link run/COM1 --ready-file run/.devsim-ready --quiet &
  simulator=$!
  trap 'kill "$simulator" 2>/dev/null || true' EXIT
  for _ in $(seq 100); do [ -e run/.devsim-ready ] && break; sleep 0.05; done
  echo "COM1 is the device simulator: every \"Daten holen\" gets a few measurement lines."
fi

cd run
../build-run/Querlan
