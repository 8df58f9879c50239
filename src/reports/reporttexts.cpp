#include "reports/reporttexts.h"

#include "base/trtext.h"

namespace vkz {

std::string reportFileNotWrittenText(const std::string& report, const std::string& file,
                                     const std::string& cause) {
  return fillText(trText("Report",
                         "The %1 could not be written to %2: %3.\nNo file was made; any earlier file of "
                         "that name is unchanged."),
                  {report, file, cause.empty() ? trText("Report", "the file could not be written") : cause});
}

}  // namespace vkz
