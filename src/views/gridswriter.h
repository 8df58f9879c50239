// The walk shared by the data-file and CSV writers: the model line, then the
// three sections with one line per grid row, CR LF line ends, code page 1252,
// written atomically with progress counted in cells.
#pragma once
#include <string>
#include <string_view>

#include "base/griddata.h"
#include "views/datafile.h"

namespace vkz::detail {

// Appends one grid row (cells TAB-joined, `cols` of them) in the file's
// cell format, without the line end.
using RowAppender = void (*)(std::string& out, std::string_view rowText, int cols);

SaveResult writeGridsFile(const std::string& path, std::string_view model, const GridData& userInfo,
                          const GridData& header, const GridData& records, RowAppender appendRow,
                          const ProgressFn& progress);

// Appends UTF-8 text converted to code page 1252, with CR and LF (and TAB
// unless `keepTabs`) turned into blanks.
void appendCp1252(std::string& out, std::string_view utf8, bool keepTabs);

}  // namespace vkz::detail
