#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each for a while (seconds,
# default 10), starting from its seed corpus in fuzz/corpus/<target>/. New inputs go to
# build-fuzz/corpus/, and an input that crashes a target to build-fuzz/artifacts/; a crash
# ends the script with failure. Longer runs: fuzz/run.sh 600.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
root=$PWD

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUERLAN_GUI=OFF -DQUERLAN_TESTS=OFF -DQUERLAN_SANITIZE=address -DQUERLAN_FUZZ=ON > /dev/null
cmake --build build-fuzz -j "$(nproc)" --target fuzz_parse_int fuzz_stringlist_load \
  fuzz_settings_startup

mkdir -p build-fuzz/artifacts
for target in parse_int stringlist_load settings_startup; do
  mkdir -p "build-fuzz/corpus/$target"
  echo "fuzz_$target: ${seconds} s"
  # Paths are absolute: the start-up target works in a private directory of its own.
  log="build-fuzz/$target.log"
  if ! "build-fuzz/fuzz/fuzz_$target" "$root/build-fuzz/corpus/$target" \
    "$root/fuzz/corpus/$target" -max_total_time="$seconds" \
    -artifact_prefix="$root/build-fuzz/artifacts/$target-" > "$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz_$target failed; the input is in build-fuzz/artifacts/" >&2
    exit 1
  fi
  grep -E "^Done" "$log"
done
