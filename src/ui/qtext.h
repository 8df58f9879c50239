// Texts of the core (UTF-8 std::string) as the windows show them.
#pragma once
#include <QString>
#include <string>

namespace vkz {

inline QString q(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace vkz
