#!/usr/bin/env bash
# Cross-builds Querlan.exe and the Windows tests with mingw-w64 and runs them under Wine:
# the unit tests (ctest -L win32) with COM1 and COM2 mapped to the two ends of a pair of
# pseudo-terminals, then a whole recording through Querlan.exe's window (e2e-recording.sh).
# Build folders: build-win32 (cross build, Wine prefix, artefacts), build-w32lead (devsim).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/win32
build=$root/build-win32
native=$root/build-w32lead
work=$build/wine-run
source "$here/wine-lib.sh"
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap wine_lib_cleanup EXIT

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DQUERLAN_GUI=ON -DQUERLAN_TESTS=ON >/dev/null
cmake --build "$build" -j 2
cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUERLAN_GUI=OFF \
  -DQUERLAN_TESTS=OFF >/dev/null
cmake --build "$native" -j 2 --target devsim

# One program file that needs nothing but Windows: no runtime DLL of the compiler.
imports=$(x86_64-w64-mingw32-objdump -p "$build/Querlan.exe" | sed -n 's/.*DLL Name: //p')
echo "Querlan.exe imports:" $imports
if echo "$imports" | grep -qiE 'libstdc|libgcc|winpthread'; then
  echo "Querlan.exe needs a DLL of the compiler" >&2
  exit 1
fi

rm -rf "$work"
mkdir -p "$work"
start_display "$work"
prepare_prefix

# COM1 and COM2: the two ends of a pair of pseudo-terminals.
socat pty,raw,echo=0,link="$work/line-a" pty,raw,echo=0,link="$work/line-b" 2>"$work/socat.log" &
wine_lib_pids+=($!)
for i in $(seq 100); do [ -e "$work/line-a" ] && [ -e "$work/line-b" ] && break; sleep 0.1; done
map_ports "$(readlink -f "$work/line-a")" "$(readlink -f "$work/line-b")" "$work/no-such-port"

limited 900 ctest --test-dir "$build" -L win32 -j 2 --output-on-failure

"$here/e2e-recording.sh" "$build" "$native/tools/devsim/devsim"
