#include "views/headermatch.h"

#include "shell/uitext.h"

namespace vkz {

const std::array<int, kHeaderItemCount>& HeaderItemCompareOrder() {
  // Dose .. PNEN with Ti and HML among them, then the maxima and minima, the
  // percentile levels 10, 50, 90, 95 and 05 of the nine weighting pairs, and
  // the items the panel does not offer, ending with the stop times.
  static const std::array<int, kHeaderItemCount> order{
      2,  3,  4,  5,  6,  100, 7,  8,   9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 101,
      21, 22, 23, 24, 27, 28,  29, 30,  31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43,
      44, 0,  25, 26, 54, 55,  56, 57,  58, 59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70,
      71, 72, 73, 74, 75, 76,  77, 78,  79, 80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 45, 46,
      47, 48, 49, 50, 51, 52,  53, 102, 98, 99, 91, 92, 93, 94, 90, 95, 96, 97, 1};
  return order;
}

int HeaderItemForCaption(std::string_view caption, const UiText& ui) {
  for (int item : HeaderItemCompareOrder())
    if (HeaderItemCaption(item, ui) == caption) return item;
  return -1;
}

}  // namespace vkz
