// The polling state, one of the program-wide records (ProgramState): the
// identified meter model and the flags and counters of the exchanges in
// progress. The poll engine owns it; the reply decoder, the shell and the
// setting windows set, clear or read it, and a caller that awaits an answer
// marks it before its request goes out. Flags hold -1 for set and 0 for
// clear.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vkz {

struct PollingState {
  std::string MeterModel;            // model text of the last identification reply ("VKZ 418", "KRD 529")
  std::string PrevMeterModel;        // model text of the identification reply before it
  std::int16_t ModelChanged = 0;     // model text changed (or came empty): rebuild the command tree
  std::int16_t MemoryErasing = 0;    // an erase request is outstanding
  std::int16_t TimerSetPending = 0;  // the three-frame timer write awaits its last acknowledgement
  std::int16_t MemInfoPending = 0;   // a memory-list entry is awaited
  std::int16_t BlockPending = 0;     // a data-block request is outstanding
  std::int16_t LinkLost = 0;         // over 100 receive ticks with fewer than two bytes buffered
  std::int32_t BlockNo = 0;          // number of the data block requested last
  std::int32_t BlockRetry = 0;       // poll ticks since the last data-block request or re-send (0..2)
  std::int16_t IdleTicks = 0;   // receive ticks in a row with fewer than two bytes buffered (stops at 32767)
  std::int32_t WaitTicks = 0;   // receive ticks in the timer-write wait or the memory-list wait
  std::int32_t EraseTicks = 0;  // receive ticks since the erase request went out
};

// True for the model texts of the two supported meters, "VKZ 418" and
// "KRD 529" (whole, case-sensitive).
inline bool isSupportedModel(std::string_view model) {
  return model == "VKZ 418" || model == "KRD 529";
}

}  // namespace vkz
