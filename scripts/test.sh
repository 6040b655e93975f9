#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-tests -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-tests -j"$(nproc)"
cd build-tests
ctest --output-on-failure -j2 --timeout 600 -LE wayland
# The Wayland sessions, one at a time, after the rest.
ctest --output-on-failure --timeout 600 -L wayland
cd ..
# The parsers under AddressSanitizer and UndefinedBehaviorSanitizer, 30 s each.
bash scripts/fuzz.sh
