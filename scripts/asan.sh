#!/usr/bin/env bash
# Builds the program, the emulator and every test with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs the whole test suite there. Any
# finding (a read or write outside a block, a use after free, a leak,
# undefined behaviour, an index past a container's size) fails the run with
# where it happened. Not part of ./test.sh: a longer run, made before a
# change lands.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS="${VKZ_JOBS:-$(nproc)}"
# Leaks are looked for too. Qt and fontconfig keep their caches until exit,
# but still reachable from their globals, which is not a leak: nothing needs
# to be left out, and memory the program loses fails the run.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:strict_string_checks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
SAN="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
# The standard library's own checks catch an index past a container's size
# that is still inside its capacity, which AddressSanitizer cannot see.
CHECKS="-D_GLIBCXX_ASSERTIONS"
LAUNCHER=()
command -v ccache >/dev/null && LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ "${LAUNCHER[@]}" -DVKZ_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$SAN $CHECKS" -DCMAKE_EXE_LINKER_FLAGS="$SAN" >/dev/null
# Building runs each test program once to list its tests, with the options
# above, so a finding at start-up or exit already stops the build.
cmake --build build-asan -j"$JOBS"
ctest --test-dir build-asan --output-on-failure -j"$JOBS" --timeout 300
