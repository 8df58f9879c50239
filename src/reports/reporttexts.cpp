#include "reports/reporttexts.h"

namespace vkz {

std::string reportBusyText() {
  return "A report is being made. Wait until it is finished, then start this one again.";
}

std::string reportFileNotWrittenText(const std::string& report, const std::string& file,
                                     const std::string& cause) {
  return "The " + report + " could not be written to " + file + ": " +
         (cause.empty() ? std::string("the file could not be written") : cause) +
         ".\nNo file was made; any earlier file of that name is unchanged.";
}

}  // namespace vkz
