#include "polling/pollstate.h"

namespace vkz {

PollingState& Polling() {
  static PollingState state;
  return state;
}

void ResetPolling() {
  Polling() = PollingState{};
}

}  // namespace vkz
