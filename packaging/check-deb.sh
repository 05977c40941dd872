#!/usr/bin/env bash
# Builds the Debian package in build-package, with the compiler flags Debian builds its own
# packages with (dpkg-buildflags, all hardening on), and checks it without installing it on
# this machine: lintian, the menu entry, the AppStream metadata, the package's file list
# against linux/files.txt, and a start from the menu entry, which must land in a folder of
# its own in the home folder. The start uses an installation in a temporary folder.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=$root/build-package
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUERLAN_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls "$build"/querlan_*.deb)
echo "package: $package"

# Lintian's warnings count as failures too; its warning about running as root is about itself.
status=0
lintian --fail-on error,warning "$package" >"$work/lintian" 2>&1 || status=$?
grep -v 'running with root privileges' "$work/lintian" || true
[ $status = 0 ]

dpkg-deb -x "$package" "$work/package"
desktop-file-validate "$work/package/usr/share/applications/querlan.desktop"
# The id stays the plain "querlan" until the project has a domain of its own to name it by.
appstreamcli validate --no-net --override=cid-desktopapp-is-not-rdns=info \
  "$work/package/usr/share/metainfo/querlan.metainfo.xml" >/dev/null
dpkg-deb -c "$package" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' >"$work/files"
diff -u "$here/linux/files.txt" "$work/files"

# Started from the menu entry: the home folder's Querlan folder is the start folder. Its COM1
# leads to the device simulator, so the machine's own serial port is never opened.
cmake --install "$build" --prefix "$work/prefix" >/dev/null
home=$work/home
mkdir -p "$home/Querlan"
"$build/tools/devsim/devsim" --link "$home/Querlan/COM1" --ready-file "$work/devsim.ready" \
  --quiet >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "$work/devsim.ready" ] && break; sleep 0.1; done
entry=$work/prefix/share/applications/querlan.desktop
command=$(sed -n 's/^Exec=//p' "$entry")
HOME=$home GSETTINGS_BACKEND=memory xvfb-run -a bash -c '
  cd /
  "$1" &
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name "^QUERLAN" | head -n1) && [ -n "$window" ] && break
    sleep 0.2
  done
  [ -n "$window" ] || { echo "no window from the menu entry" >&2; exit 1; }
  sleep 1
  xdotool windowfocus --sync "$window" key alt+b
  wait' _ "$command"
test -f "$home/Querlan/Setup.txt" || { echo "Setup.txt is not in ~/Querlan" >&2; exit 1; }
echo "package checked: lintian, desktop entry, metadata, $(wc -l <"$work/files") files, menu start"
