#!/usr/bin/env bash
# Cross-builds Querlan.exe and the Windows tests with mingw-w64 and runs them under Wine:
# the unit tests (ctest -L win32) with COM1 and COM2 mapped to the two ends of a line of
# pseudo-terminals that wine-run.sh plugs in for each test that asks for it, then whole
# recordings through Querlan.exe's window (e2e-recording.sh, e2e-unplug.sh, and
# e2e-held-file.sh, whose destination another program holds) and its windows on a screen
# scaled to 150 % (e2e-scaled.sh).
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
  -DCMAKE_BUILD_TYPE=Release -DQUERLAN_GUI=ON -DQUERLAN_TESTS=ON -DQUERLAN_WERROR=ON >/dev/null
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

# The release zip holds one folder with the program and its read-me, whose text Notepad
# shows right on any Windows: UTF-8 with a byte order mark, lines ending in CR LF.
rm -f "$build"/Querlan-*-win64.zip
(cd "$build" && cpack -G ZIP >/dev/null)
python3 - "$build"/Querlan-*-win64.zip <<'CHECK'
import sys, zipfile
archive = zipfile.ZipFile(sys.argv[1])
folder = sys.argv[1].rsplit("/", 1)[1].removesuffix(".zip")
names = sorted(archive.namelist())
assert names == [f"{folder}/LIESMICH.txt", f"{folder}/Querlan.exe"], names
text = archive.read(f"{folder}/LIESMICH.txt")
assert text.startswith(b"\xef\xbb\xbf") and text.count(b"\n") == text.count(b"\r\n"), "LIESMICH.txt"
print("release zip:", sys.argv[1].rsplit("/", 1)[1], "with", ", ".join(n.split("/")[1] for n in names))
CHECK
cmake --install "$build" --prefix "$work/installed" >/dev/null
test -f "$work/installed/Querlan.exe" -a -f "$work/installed/LIESMICH.txt"

start_display "$work"
prepare_prefix

# COM1 and COM2: the two ends of the line; COM10 the same end as COM1, by the name that only
# the device namespace knows.
line=$work/line
mkdir -p "$line"
map_ports "$work/no-such-port" 1="$line/near" 2="$line/far" 10="$line/near"
export QUERLAN_LINE=$line

start_wineserver "$work"
status=0
limited 900 ctest --test-dir "$build" -L win32 -j 2 --output-on-failure || status=$?
limited 30 wineserver -k || true # each e2e script starts a server of its own
[ $status = 0 ] || exit $status

"$here/e2e-recording.sh" "$build" "$native/tools/devsim/devsim"
"$here/e2e-unplug.sh" "$build" "$native/tools/devsim/devsim"
"$here/e2e-held-file.sh" "$build" "$native/tools/devsim/devsim"
"$here/e2e-scaled.sh" "$build" "$native/tools/devsim/devsim"
