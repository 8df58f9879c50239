#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH="${VKZ_FUZZ_SECONDS:-20}"
# Undefined behaviour stops a run like a crash does, with where it happened.
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DVKZ_FUZZ=ON -DVKZ_BUILD_TESTS=OFF -DVKZ_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_all -j"$(nproc)"
shopt -s nullglob
for f in build-fuzz/fuzz/*; do
  [ -x "$f" ] || continue
  name="$(basename "$f")"
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "tests/fuzz/seeds/$name" ] && seeds=("tests/fuzz/seeds/$name")
  echo "fuzz: $name for ${SECONDS_EACH}s"
  "$f" -max_total_time="$SECONDS_EACH" -timeout=10 -artifact_prefix="build-fuzz/$name-" -rss_limit_mb=2048 -print_final_stats=0 \
    "$corpus" "${seeds[@]}" >"build-fuzz/$name.log" 2>&1 || { tail -50 "build-fuzz/$name.log"; exit 1; }
done
