// The number a setting window's number box holds: the number its text
// begins with (blanks and one sign allowed), 0 for an empty or non-numeric
// text. Boxes take digits only, so this is their whole text as a rule.
#pragma once
#include <string_view>

#include "base/numfmt.h"

namespace vkz {

inline double boxValue(std::string_view text) {
  return val(text);
}

// The value as the record takes it, a half to the even neighbour; only
// called on values already checked against their range.
inline int boxInt(std::string_view text) {
  return static_cast<int>(roundHalfEven(boxValue(text)));
}

}  // namespace vkz
