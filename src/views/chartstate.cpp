#include "views/chartstate.h"

namespace vkz {

ChartState& Chart() {
  static ChartState s;
  return s;
}

}  // namespace vkz
