#!/usr/bin/env bash
# Installs what it needs, builds, and runs every test: unit and integration tests, the
# real program under Xvfb, and the threaded tests again under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
source tools/scripts/ensure-packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" libgtest-dev libgmock-dev xvfb xauth xdotool \
  imagemagick x11-utils socat python3 openbox

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUERLAN_GUI=OFF \
  -DQUERLAN_SANITIZE=thread
cmake --build build-tsan -j "$jobs"
ctest --test-dir build-tsan -L "serial|windows" --output-on-failure -j "$jobs"

# --- The Windows build: Querlan.exe cross-built with mingw-w64, its tests and a whole
# --- recording under Wine (tests/win32/run-under-wine.sh; folders build-win32, build-w32lead).
ensure_packages g++-mingw-w64-x86-64 googletest wine64 wine socat xvfb xdotool imagemagick
timeout --kill-after=30 900 tests/win32/run-under-wine.sh
