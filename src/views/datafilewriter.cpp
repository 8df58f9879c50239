#include <exception>
#include <new>

#include "base/atomicfile.h"
#include "base/cp1252.h"
#include "base/log.h"
#include "base/trtext.h"
#include "views/datafile.h"
#include "views/datafiletext.h"
#include "views/gridswriter.h"

namespace vkz {
namespace {

void appendDataRow(std::string& out, std::string_view row, int cols) {
  if (cols <= 0) return;
  detail::appendCp1252(out, row, true);
  out += '\t';
}

}  // namespace

SaveKind saveKindForFilter(int filterIndex) {
  return filterIndex == 2 ? SaveKind::Csv : SaveKind::DataFile;
}

void ChooseSaveFileResult(DataFileState& st, bool cancelled, const std::string& path) {
  if (cancelled) {
    st.SaveFileChosen = false;
    return;
  }
  st.SaveFileName = path;
  size_t slash = path.find_last_of('/');
  std::string_view title =
      slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
  st.SaveFileChosen = !title.empty();
}

// ---- Writing ---------------------------------------------------------------

namespace detail {

void appendCp1252(std::string& out, std::string_view utf8, bool keepTabs) {
  size_t from = out.size();
  if (isAscii(utf8))
    out.append(utf8);
  else
    out += utf8ToCp1252(utf8);
  for (size_t i = from; i < out.size(); ++i) {
    char& c = out[i];
    if (c == '\r' || c == '\n' || (c == '\t' && !keepTabs)) c = ' ';
  }
}

SaveResult writeGridsFile(const std::string& path, std::string_view model, const GridData& userInfo,
                          const GridData& header, const GridData& records, RowAppender appendRow,
                          const ProgressFn& progress) {
  SaveResult res;
  auto failed = [&](const std::string& why) {
    res.status = SaveStatus::Failed;
    res.message =
        fillText(trText("DataFile", "\"%1\" was not saved: %2. Any earlier file of that name is unchanged."),
                 {path, why});
    logLazy(LogArea::File, LogLevel::Warning, [&] { return "\"" + path + "\" not written: " + why; });
    return res;
  };
  try {
    AtomicFileWriter out;
    if (!out.open(path)) return failed(out.error());

    auto cells = [](const GridData& g) {
      return static_cast<std::uint64_t>(g.rows()) * static_cast<std::uint64_t>(g.cols());
    };
    ProgressCounter counter(cells(userInfo) + cells(header) + cells(records), progress);

    std::string buf;
    buf.reserve(kReadBlock + 4096);
    auto endLine = [&]() -> bool {
      buf += "\r\n";
      if (buf.size() < kReadBlock) return true;
      bool ok = out.write(buf);
      buf.clear();
      return ok;
    };
    auto plainLine = [&](std::string_view text) -> bool {
      appendCp1252(buf, text, false);
      return endLine();
    };
    auto gridLines = [&](const GridData& g) -> bool {
      const int rows = g.rows();  // read once per section
      for (int r = 0; r < rows && r < g.rows(); ++r) {
        const int cols = g.cols();  // read once per row
        appendRow(buf, g.rowText(r), cols);
        if (!endLine()) return false;
        counter.advance(static_cast<std::uint64_t>(cols > 0 ? cols : 0));
      }
      return true;
    };

    bool ok = plainLine(model) && plainLine("") && plainLine("Information") && gridLines(userInfo) &&
              plainLine("") && plainLine("HeaderData") && gridLines(header) && plainLine("") &&
              plainLine("") && plainLine("RecordData") && gridLines(records);
    if (ok && !buf.empty()) ok = out.write(buf);
    if (!ok || !out.commit()) return failed(out.error());
    res.status = SaveStatus::Written;
    logLazy(LogArea::File, LogLevel::Info, [&] {
      return "\"" + path + "\" written: " + std::to_string(records.rows()) + " record grid rows";
    });
    return res;
  } catch (const std::bad_alloc&) {
    return failed(trText("DataFile", "not enough memory"));
  } catch (const std::exception& e) {
    return failed(e.what());
  }
}

}  // namespace detail

SaveResult SaveDataFile(const std::string& path, std::string_view model, const GridData& userInfo,
                        const GridData& header, const GridData& records, const ProgressFn& progress) {
  return detail::writeGridsFile(path, model, userInfo, header, records, appendDataRow, progress);
}

}  // namespace vkz
