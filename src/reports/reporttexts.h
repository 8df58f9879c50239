// What the reports tell the user, in one place.
#pragma once
#include <string>

namespace vkz {

// A report to a file that could not be written whole: no file was made,
// and an earlier file of that name was not touched. `report` names it
// ("PDF report"), `cause` is the system's reason ("No space left on
// device").
std::string reportFileNotWrittenText(const std::string& report, const std::string& file,
                                     const std::string& cause);

}  // namespace vkz
