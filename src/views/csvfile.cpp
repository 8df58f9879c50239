#include "views/csvfile.h"

#include "views/displaytext.h"
#include "views/gridswriter.h"

namespace vkz {
namespace {

bool needsQuotes(std::string_view text) {
  for (char c : text)
    if (c == ',' || c == '"') return true;
  return false;
}

// Appends one cell in code page 1252, quoted when it needs it.
void appendCsvCell(std::string& out, std::string_view cell) {
  if (!needsQuotes(cell))
    detail::appendCp1252(out, cell, false);
  else
    detail::appendCp1252(out, csvCell(cell), false);
}

void appendCsvRow(std::string& out, std::string_view row, int cols) {
  if (cols <= 0) return;
  if (!needsQuotes(row)) {
    // No cell needs quotes (the common case): the TABs become commas.
    size_t from = out.size();
    detail::appendCp1252(out, row, true);
    for (size_t i = from; i < out.size(); ++i)
      if (out[i] == '\t') out[i] = ',';
    out += ',';
    return;
  }
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
  if (!needsQuotes(clean)) return clean;
  std::string out = "\"";
  for (char c : clean) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

SaveResult ExportCsvFile(const std::string& path, std::string_view model, const GridData& userInfo,
                         const GridData& header, const GridData& records, const ProgressFn& progress) {
  return detail::writeGridsFile(path, model, userInfo, header, records, appendCsvRow, progress);
}

}  // namespace vkz
