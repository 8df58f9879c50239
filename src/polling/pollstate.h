// The polling state, one of the program-wide records (ProgramState): the
// identified meter model, which every model-dependent action reads, and the
// data-block request of a download, which only the poll engine (PollLoop)
// reads and writes; windows ask the engine about it. The waits of the other
// exchanges (timer write, erase, memory list, single setting writes) and
// the link watchdog's counts are the engine's own too. Flags hold -1 for
// set and 0 for clear.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vkz {

class PollLoop;

struct PollingState {
  std::string MeterModel;      // model text of the last identification reply ("VKZ 418", "KRD 529")
  std::string PrevMeterModel;  // model text of the identification reply before it

 private:
  friend class PollLoop;
  std::int16_t BlockPending = 0;  // a data-block request is outstanding
  std::int32_t BlockNo = 0;       // number of the data block requested last
  std::int32_t BlockRetry = 0;    // poll ticks since the last data-block request or re-send (0..2)
};

// True for the model texts of the two supported meters, "VKZ 418" and
// "KRD 529" (whole, case-sensitive).
inline bool isSupportedModel(std::string_view model) {
  return model == "VKZ 418" || model == "KRD 529";
}

}  // namespace vkz
