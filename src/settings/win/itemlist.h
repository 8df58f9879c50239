// The items of a settings list (UTF-8 texts of the settings core) as a list
// control takes them.
#pragma once
#include <QStringList>
#include <string>
#include <vector>

#include "ui/qtext.h"

namespace vkz {

inline QStringList itemList(const std::vector<std::string>& items) {
  QStringList out;
  for (const std::string& s : items) out << q(s);
  return out;
}

}  // namespace vkz
