#!/usr/bin/env bash
# Builds the libraries that start threads of their own (the line reader in
# the link core, the meter emulator, the report thread) with
# ThreadSanitizer, and runs their tests, the downloads end to end, where the
# line thread and the window thread share the port, and the reports, drawn
# on their thread while the window thread turns. A data race fails the run
# with both stacks.
set -euo pipefail
cd "$(dirname "$0")/.."
TARGETS=(unit_link unit_emulator e2e_download windows_reports e2e_reports)
JOBS="${VKZ_JOBS:-$(nproc)}"
# Qt is not built with ThreadSanitizer: what happens inside it is not seen,
# and scripts/tsan.supp names the reports that come from that alone.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp${TSAN_OPTIONS:+:$TSAN_OPTIONS}"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DVKZ_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
cmake --build build-tsan --target "${TARGETS[@]}" -j"$JOBS"
# clang 14's ThreadSanitizer cannot map its shadow memory when the kernel
# randomises more than 28 bits of the address space: lower the setting where
# we may, or run the tests without address randomisation.
RUN=()
bits="$(cat /proc/sys/vm/mmap_rnd_bits 2>/dev/null || echo 28)"
if ((bits > 28)); then
  if sysctl -qw vm.mmap_rnd_bits=28 2>/dev/null || sudo -n sysctl -qw vm.mmap_rnd_bits=28 2>/dev/null; then
    :
  elif setarch "$(uname -m)" -R true 2>/dev/null; then
    RUN=(setarch "$(uname -m)" -R)
  else
    echo "tsan: vm.mmap_rnd_bits is $bits and cannot be lowered here; ThreadSanitizer cannot start, its run is skipped" >&2
    exit 0
  fi
fi
# Only the tests of the executables built here; the others are listed as
# not built.
"${RUN[@]}" ctest --test-dir build-tsan --output-on-failure -j"$JOBS" --timeout 300 -E '_NOT_BUILT$'
