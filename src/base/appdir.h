// The folder the program runs from: Lan/, bin/, Img/, Fonts/, help/, PDF/ and
// com/ are found beside it. Tests point it at a folder of their own.
#pragma once
#include <string>

namespace vkz {

// Folder of the running executable, without a trailing slash, unless set.
std::string appDir();
// Overrides appDir(); an empty text returns to the executable's folder.
void setAppDir(const std::string& dir);
// appDir() + "/" + relative.
std::string appPath(const std::string& relative);

}  // namespace vkz
