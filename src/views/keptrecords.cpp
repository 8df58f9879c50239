#include "views/keptrecords.h"

namespace vkz {

std::string keptRecordsText(std::int64_t kept, std::string_view count) {
  return std::to_string(kept) + " of " + std::string(count);
}

}  // namespace vkz
