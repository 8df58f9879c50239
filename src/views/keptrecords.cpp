#include "views/keptrecords.h"

namespace vkz {

// The cell is written into the data file as it stands, so it is the same in
// every language: a file saved in one reads alike in every other.
std::string keptRecordsText(std::int64_t kept, std::string_view count) {
  return std::to_string(kept) + " of " + std::string(count);
}

}  // namespace vkz
