#include "settings/meterclock.h"

namespace vkz {

std::optional<MeterClock> clockFromPcTimeLabel(std::string_view label) {
  // 0-based start and width of each field.
  constexpr std::size_t kAt[6][2] = {{0, 4}, {5, 2}, {8, 2}, {11, 2}, {14, 2}, {17, 2}};
  int v[6] = {};
  for (int f = 0; f < 6; ++f) {
    for (std::size_t i = kAt[f][0]; i < kAt[f][0] + kAt[f][1]; ++i) {
      if (i >= label.size() || label[i] < '0' || label[i] > '9') return std::nullopt;
      v[f] = v[f] * 10 + (label[i] - '0');
    }
  }
  return MeterClock{v[0], v[1], v[2], v[3], v[4], v[5]};
}

}  // namespace vkz
