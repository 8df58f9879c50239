#!/usr/bin/env bash
# Set-up, build and start the program. When no meter is attached (no USB or
# ACM serial device and no com/COMn entry of your own), the bundled meter
# emulator is started and linked as COM1, so the program has a meter to talk to.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target NoiseDose MeterEmulator dist_files manuals
BIN=build/bin
EMU_PID=""
shopt -s nullglob
devices=(/dev/ttyUSB* /dev/ttyACM*)
own=()
for e in "$BIN"/com/COM*; do
  [ -L "$e" ] && [ -e "$e" ] && own+=("$e")
done
if ((${#devices[@]} == 0 && ${#own[@]} == 0)); then
  echo "run: no meter attached; starting the meter emulator as COM1"
  "$BIN"/MeterEmulator --link "$BIN/com/COM1" --measurements 5 &
  EMU_PID=$!
  for _ in $(seq 50); do [ -e "$BIN/com/COM1" ] && break; sleep 0.1; done
fi
cleanup() { [ -n "$EMU_PID" ] && kill "$EMU_PID" 2>/dev/null || true; }
trap cleanup EXIT
"$BIN"/NoiseDose "$@"
