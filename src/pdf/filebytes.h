// Reading a whole input file of the writer (a JPEG picture, a font metric
// file) whatever its name claims: only a regular file is read, so a folder,
// a device or a pipe is refused at once instead of hanging the program or
// reading without end.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vkz {

// Reads the regular file at `path` whole into `bytes`. False, with the
// reason in `error`, when it is no regular file, cannot be read or does not
// fit in memory.
bool readRegularFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace vkz
