// An erase of the meter's memory under way, as the program sees it: asked
// through the poll engine as the erase window asks it (the request goes out
// on the current port's line), and ended as the meter ends it, by its
// "erased" reply decoded as it arrives (the decoder shows "Clear OK !!!").
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "link/porttable.h"
#include "polling/pollstate.h"
#include "state/programstate.h"

namespace vkz::test {

// Asks the linked meter to erase; true when the engine now awaits its end.
inline bool startErase() {
  return State().poll.eraseMemory().ok() && State().poll.erasePending();
}

// The meter reports the erase done. Its reply is decoded only from a
// supported meter: the model stays as the test left it.
inline void meterErased() {
  PortEntry* e = CurrentEntry(State().link);
  if (!e) return;
  const std::vector<std::uint8_t> frame{0x03, 0x0B, 0x00, 0x01, 0x0B, 0x0B ^ 0x00 ^ 0x01 ^ 0x0B};
  std::string& model = State().polling.MeterModel;
  const std::string kept = model;
  if (!isSupportedModel(model)) model = "VKZ 418";
  e->RxBuf.insert(e->RxBuf.end(), frame.begin(), frame.end());
  State().poll.bytesArrived();
  model = kept;
}

}  // namespace vkz::test
