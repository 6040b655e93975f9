#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for FUZZ_SECONDS (default 30) from its
# checked-in seeds. New inputs go to a scratch folder; a crash fails the script and
# leaves the input that caused it in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-30}"
CXX=clang++ cmake -S tests/fuzz -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build-fuzz -j"$(nproc)"
for target in multipart_fuzz options_fuzz routes_fuzz history_reply_fuzz; do
  scratch="$(mktemp -d)"
  echo "fuzzing $target for ${seconds}s"
  if ! (cd build-fuzz && QT_QPA_PLATFORM=offscreen "./$target" -max_total_time="$seconds" -timeout=10 \
          -rss_limit_mb=2048 -print_final_stats=1 "$scratch" "../tests/fuzz/corpus/$target" 2>&1 | tail -n 12); then
    rm -rf "$scratch"
    echo "fuzz target $target failed"
    exit 1
  fi
  rm -rf "$scratch"
done
