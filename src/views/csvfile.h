// CSV export of a measurement: the lines of the data file (same sections,
// same order, code page 1252, CR LF), with every cell followed by a comma
// instead of a TAB. The marker lines carry no comma.
//
// A cell that holds a comma or a double quote (a user-information text, a
// level written with a decimal comma) is quoted as spreadsheets expect:
// "85,3 dB" -> "\"85,3 dB\"", a quote inside doubled. Every other cell is
// written as displayed.
#pragma once
#include <string>
#include <string_view>

#include "base/griddata.h"
#include "views/datafile.h"
#include "views/progress.h"

namespace vkz {

// One cell as the CSV file holds it (UTF-8 in, UTF-8 out; no separator).
std::string csvCell(std::string_view text);

// The CSV twin of SaveDataFile: writes the CSV file of the three grids to
// `path`, atomically, with progress counted in cells.
SaveResult ExportCsvFile(const std::string& path, std::string_view model, const GridData& userInfo,
                         const GridData& header, const GridData& records, const ProgressFn& progress = {});

}  // namespace vkz
