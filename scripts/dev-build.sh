#!/usr/bin/env bash
# Builds targets in the shared development tree build/, one build at a time.
# Usage: scripts/dev-build.sh [target ...]   (no target: everything)
set -euo pipefail
cd "$(dirname "$0")/.."
exec 9>/tmp/vornik-dev-build.lock
flock 9
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-O0 -g0" >/dev/null
fi
if [ $# -eq 0 ]; then
  cmake --build build -j2
else
  targets=()
  for t in "$@"; do targets+=(--target "$t"); done
  cmake --build build -j2 "${targets[@]}"
fi
