// The texts shared by the data-file writer and readers: the sizes a line
// may take, the code-page checks, and how messages quote a text and name a
// line.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "views/datafile.h"

namespace vkz::detail {

inline constexpr std::size_t kMaxLine = 1 << 20;  // no line of a data file comes near this
inline constexpr std::size_t kReadBlock = 1 << 20;
// The shortest record line the reader accepts: a digit, five TABs, a line end.
inline constexpr std::uint64_t kMinRecordLine = 7;

bool isAscii(std::string_view s);
bool isValidUtf8(std::string_view s);
// A text quoted for a message, cut to a readable length.
std::string quoted(std::string_view s);
// Lines are named counting from 1, as text editors show them.
std::string lineName(std::int64_t lineNo, bool capital = true);

// Line 0 of a data file (without its line end; `nul`: it holds a zero
// byte): the meter model. Fills the model fields of `r` and, when the
// further lines are not to be read, its status and message. True when they
// are read: the model, or the linked meter's `meterModel`, is supported.
// `utf8` is set when the line starts with a UTF-8 byte-order mark.
bool judgeModelLine(std::string_view raw, bool nul, std::string_view meterModel, OpenResult& r, bool& utf8);

}  // namespace vkz::detail
