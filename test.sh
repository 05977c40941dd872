#!/usr/bin/env bash
# Installs what it needs, builds, and runs every test: unit and integration tests, the
# real program under Xvfb, the Debian package's checks, the threaded tests again under
# ThreadSanitizer, everything under AddressSanitizer, fuzzing, and the Windows build under
# Wine with its release zip.
set -euo pipefail
cd "$(dirname "$0")"
source tools/scripts/ensure-packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" libgtest-dev libgmock-dev xvfb xauth xdotool \
  imagemagick x11-utils socat python3 openbox
# What reads the program as a screen reader does (tests/e2e/screen_reader.py): a session bus
# that starts the accessibility bus, and AT-SPI for Debian's Python.
ensure_packages dbus-daemon at-spi2-core gir1.2-atspi-2.0 python3-gi

# The layers: no include may cross a forbidden boundary.
tools/check-includes.py

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUERLAN_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

# --- The Debian package, built and checked without installing it (packaging/check-deb.sh).
ensure_packages dpkg-dev lintian desktop-file-utils appstream
packaging/check-deb.sh

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUERLAN_GUI=OFF \
  -DQUERLAN_SANITIZE=thread -DQUERLAN_WERROR=ON
cmake --build build-tsan -j "$jobs"
ctest --test-dir build-tsan -L "serial|windows" --output-on-failure -j "$jobs"

# --- Every test again under AddressSanitizer with UndefinedBehaviorSanitizer (build-asan,
# --- unoptimised to build quickly), then a short run of each libFuzzer target (clang,
# --- build-fuzz; fuzz/run.sh). Adds some five minutes on two cores.
ensure_packages clang libclang-rt-dev
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUERLAN_GUI=OFF \
  -DQUERLAN_SANITIZE=address -DQUERLAN_WERROR=ON
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs"
fuzz/run.sh 10

# --- The Windows build: Querlan.exe cross-built with mingw-w64, its tests and a whole
# --- recording under Wine (tests/win32/run-under-wine.sh; folders build-win32, build-w32lead).
ensure_packages g++-mingw-w64-x86-64 googletest wine64 wine socat xvfb xdotool imagemagick
timeout --kill-after=30 900 tests/win32/run-under-wine.sh
