#include "settings/records.h"

namespace vkz {

SettingsRecords& Records() {
  static SettingsRecords records;
  return records;
}

void ResetRecords() {
  Records() = SettingsRecords{};
}

}  // namespace vkz
