#!/usr/bin/env bash
# Installs what it needs, builds, and runs every test: unit and integration tests, the
# real program under Xvfb, and the threaded tests again under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
source tools/scripts/ensure-packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" libgtest-dev libgmock-dev xvfb xauth xdotool \
  imagemagick x11-utils socat

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUERLAN_GUI=OFF \
  -DQUERLAN_SANITIZE=thread
cmake --build build-tsan -j "$jobs"
ctest --test-dir build-tsan -L "serial|windows" --output-on-failure -j "$jobs"
