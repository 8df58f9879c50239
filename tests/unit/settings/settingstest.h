// Helpers of the settings tests: the English texts and frames as hex.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "link/frames.h"
#include "shell/uitext.h"

namespace vkz::test {

// The text table with its English defaults.
inline const UiText& english() {
  static const UiText t = [] {
    UiText texts;
    LoadDefaultStrings(texts);
    return texts;
  }();
  return t;
}

inline std::string hex(const std::vector<std::uint8_t>& b) {
  std::string s;
  char buf[4];
  for (std::uint8_t v : b) {
    std::snprintf(buf, sizeof buf, s.empty() ? "%02X" : " %02X", v);
    s += buf;
  }
  return s;
}

// The request frame of a write with these parameters (length byte: code
// and parameters).
inline std::string frameHex(std::uint8_t code, const std::vector<std::uint8_t>& params, int surplus = 0) {
  return hex(BuildRequest(code, params, static_cast<int>(params.size()) + 1, surplus));
}

}  // namespace vkz::test
