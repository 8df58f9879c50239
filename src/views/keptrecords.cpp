#include "views/keptrecords.h"

#include "base/trtext.h"

namespace vkz {

std::string keptRecordsText(std::int64_t kept, std::string_view count) {
  return fillText(trText("Download", "%1 of %2"), {std::to_string(kept), std::string(count)});
}

}  // namespace vkz
