#include "views/csvfile.h"

#include "views/displaytext.h"
#include "views/gridswriter.h"

namespace vkz {
namespace {

// Appends one cell in code page 1252, quoted when it needs it.
void appendCsvCell(std::string& out, std::string_view cell) {
  if (cell.find_first_of(",\"") == std::string_view::npos)
    detail::appendCp1252(out, cell, false);
  else
    detail::appendCp1252(out, csvCell(cell), false);
}

void appendCsvRow(std::string& out, std::string_view row, int cols) {
  size_t start = 0;
  for (int c = 0; c < cols; ++c) {
    size_t tab = row.find('\t', start);
    appendCsvCell(out,
                  row.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
    out += ',';
    start = tab == std::string_view::npos ? row.size() : tab + 1;
  }
}

}  // namespace

std::string csvCell(std::string_view text) {
  std::string clean = cleanCellText(text);
  if (clean.find_first_of(",\"") == std::string::npos) return clean;
  std::string out = "\"";
  for (char c : clean) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

SaveResult writeCsvFile(const std::string& path, std::string_view model, const GridData& userInfo,
                        const GridData& header, const GridData& records, const ProgressFn& progress) {
  return detail::writeGridsFile(path, model, userInfo, header, records, appendCsvRow, progress);
}

SaveResult ExportCsvFile(std::string_view meterModel, const GridData& userInfo, const GridData& header,
                         const GridData& records, const ProgressFn& progress) {
  DataFileState& st = DataFile();
  if (!st.SaveFileChosen) return {};
  std::string path = st.SaveFileName;
  st.SaveFileChosen = false;
  return writeCsvFile(path, meterModel, userInfo, header, records, progress);
}

}  // namespace vkz
