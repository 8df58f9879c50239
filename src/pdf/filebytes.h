// Reading an input file of the writer (a JPEG picture, a font metric file)
// whatever its name claims: only a regular file is read, so a folder, a
// device or a pipe is refused at once instead of hanging the program or
// reading without end.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vkz {

// Reads the regular file at `path` whole into `bytes`. False, with the
// reason in `error`, when it is no regular file, cannot be read or does not
// fit in memory.
bool readRegularFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);

// Reads the regular file at `path` from its start, `firstPiece` bytes
// first and then in growing pieces, until `enough(text, whole)` returns
// true for the bytes read so far or the whole file is read (`whole` then
// true). For a reader that needs only the head of a file. False, with the
// reason in `error`, as readRegularFile.
bool readRegularFileHead(const std::string& path, std::size_t firstPiece,
                         const std::function<bool(std::string_view text, bool whole)>& enough,
                         std::string& error);

}  // namespace vkz
