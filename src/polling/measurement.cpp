#include "polling/measurement.h"

namespace vkz {

MeasurementData& Measurement() {
  static MeasurementData m;
  return m;
}

}  // namespace vkz
