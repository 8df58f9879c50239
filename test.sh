#!/usr/bin/env bash
# Set-up, build and run every test (unit, window, end-to-end, bounded fuzzing,
# the threads' tests under ThreadSanitizer).
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ "${VKZ_SKIP_FUZZ:-0}" != 1 ]; then
  scripts/fuzz.sh
fi
if [ "${VKZ_SKIP_TSAN:-0}" != 1 ]; then
  scripts/tsan.sh
fi
ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 300
