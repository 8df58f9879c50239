#include "views/datafile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <span>
#include <thread>
#include <vector>

#include "base/cp1252.h"
#include "base/log.h"
#include "base/trtext.h"
#include "views/atomicfile.h"
#include "views/displaytext.h"
#include "views/gridswriter.h"
#include "views/linescan.h"

namespace vkz {
namespace {

constexpr size_t kMaxLine = 1 << 20;  // no line of a data file comes near this
constexpr size_t kReadBlock = 1 << 20;
// The shortest record line the reader accepts: a digit, five TABs, a line end.
constexpr std::uint64_t kMinRecordLine = 7;
// From this file size on, the record grid's memory is made ready beside
// the reading.
constexpr std::uint64_t kWarmBytes = 4 << 20;

bool isAscii(std::string_view s) {
  unsigned char acc = 0;
  for (char c : s) acc |= static_cast<unsigned char>(c);
  return acc < 0x80;
}

bool isValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int len = c < 0x80                  ? 1
              : (c >= 0xC2 && c < 0xE0) ? 2
              : (c >= 0xE0 && c < 0xF0) ? 3
              : (c >= 0xF0 && c < 0xF5) ? 4
                                        : 0;
    if (len == 0 || i + static_cast<size_t>(len) > s.size()) return false;
    for (int k = 1; k < len; ++k)
      if ((static_cast<unsigned char>(s[i + static_cast<size_t>(k)]) & 0xC0) != 0x80) return false;
    i += static_cast<size_t>(len);
  }
  return true;
}

// A text quoted for a message, cut to a readable length.
std::string quoted(std::string_view s) {
  std::string out = "\"";
  if (s.size() > 40) {
    size_t cut = 40;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;  // whole UTF-8 characters
    out.append(s.substr(0, cut));
    out += "...";
  } else {
    out.append(s);
  }
  out += '"';
  return out;
}

// Lines are named counting from 1, as text editors show them.
std::string lineName(std::int64_t lineNo, bool capital = true) {
  return fillText(capital ? trText("DataFile", "Line %1") : trText("DataFile", "line %1"),
                  {std::to_string(lineNo + 1)});
}

// The array index of a record number: the number less one, rounded to
// whole. A plain count (digits only) is read straight away.
double recordIndex(std::string_view number) {
  if (!number.empty() && number.size() <= 15) {
    std::uint64_t n = 0;
    size_t k = 0;
    for (unsigned d; k < number.size() && (d = static_cast<unsigned char>(number[k]) - unsigned{'0'}) <= 9;
         ++k)
      n = n * 10 + d;
    if (k == number.size()) return static_cast<double>(n) - 1.0;  // exact below 2^53
  }
  return std::nearbyint(displayNumber(number) - 1.0);
}

// A level as the download writes it ("85.3 dB": one to three digits, a
// point, one digit, then no further digit or exponent), read from the 8
// bytes at `p`, all of them inside the line (those past the cell are its
// TAB and the next cell, which end the number as the cell's end would).
// Read with a few operations on the 8 bytes as one word, no loop: a million
// records hold four million levels. False (nothing read) for any other
// text.
inline bool wordLevel(const char* p, double& v) {
  std::uint64_t x;
  std::memcpy(&x, p, 8);
  if constexpr (std::endian::native != std::endian::little) return false;
  constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
  // The point: a byte '.' or ',' (the two differ in one bit) at offset 1..3.
  const std::uint64_t z = (x | 0x0202020202020202u) ^ 0x2E2E2E2E2E2E2E2Eu;
  const std::uint64_t points = (z - kOnes) & ~z & kHighs & 0x0000000080808000u;
  if (!points) return false;
  const unsigned k = static_cast<unsigned>(__builtin_ctzll(points)) / 8;  // the lowest is exact
  // The point moved to byte 3, digits '0' shifted in before the number:
  // bytes 0-2 the whole part, 4 the tenths, 5 the byte after the number.
  const std::uint64_t w = (x << (8 * (3 - k))) | (0x303030u >> (8 * k));
  const std::uint64_t digits = (w & 0x000000FF00FFFFFFu) | 0x3030300030000000u;
  if (((digits & 0xF0F0F0F0F0F0F0F0u) | (((digits + 0x0606060606060606u) & 0xF0F0F0F0F0F0F0F0u) >> 4)) !=
      0x3333333333333333u)
    return false;
  const unsigned next = static_cast<unsigned>(w >> 40) & 0xFF;
  // A further digit, or an exponent (E or D): left to the full reading.
  if (next - unsigned{'0'} <= 9 || (next | 0x20) == 'e' || (next | 0x20) == 'd') return false;
  const std::uint64_t d = digits - 0x3030303030303030u;                 // D0 D1 D2 0 D4
  const std::uint64_t d4 = (d & 0xFFFFFFu) | ((d >> 8) & 0xFF000000u);  // D0 D1 D2 D4
  const std::uint64_t pairs = ((d4 * 10) + (d4 >> 8)) & 0x00FF00FFu;    // D0D1, D2D4
  const unsigned mant = static_cast<unsigned>((pairs & 0xFF) * 100 + (pairs >> 16));
  v = static_cast<double>(mant) / 10.0;  // as the full reading divides
  return true;
}

// A level cell of a record inside its line: its value with the pause flag
// removed, as levelValue() reads it; `flagged` tells whether it had the flag.
inline double recordLevel(std::string_view line, std::string_view cell, bool& flagged) {
  size_t i = 0;
  while (i < cell.size() && cell[i] == ' ') ++i;
  flagged = i < cell.size() && cell[i] == '*';
  i += flagged ? 1 : 0;
  const char* p = cell.data() + i;
  double v;
  if (static_cast<size_t>(line.data() + line.size() - p) >= 8 && wordLevel(p, v)) return v;
  return displayNumber(cell.substr(i));
}

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
    res.message = fillText(
        trText("DataFile", "The file %1 was not saved: %2. Any earlier file of that name is unchanged."),
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

// ---- The line reader -------------------------------------------------------

namespace detail {

// Makes the pages of fresh memory ready on a thread of its own while the
// reader fills them. Fresh memory costs the kernel a page fault per page
// (about half the time of reopening a large file, the reading itself the
// other half); asked for ahead, the faults happen beside the reading
// instead of in the middle of it. The memory is not read or written here,
// and no more of it is made ready than a short way ahead of the reader: a
// file that ends early, or holds far fewer records than it announces,
// costs no more memory than it fills.
class MemoryWarmer {
 public:
  static std::unique_ptr<MemoryWarmer> start(std::span<char> room) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto from = (reinterpret_cast<std::uintptr_t>(room.data()) + page - 1) & ~(page - 1);
    const auto to = (reinterpret_cast<std::uintptr_t>(room.data()) + room.size()) & ~(page - 1);
    if (page == 0 || (page & (page - 1)) != 0 || to <= from) return nullptr;
    try {
      return std::unique_ptr<MemoryWarmer>(new MemoryWarmer(from, to));
    } catch (const std::exception&) {  // no thread to be had: the reading goes on without
      return nullptr;
    }
#else
    (void)room;
    return nullptr;
#endif
  }
  ~MemoryWarmer() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    moved_.notify_one();
    thread_.join();
  }
  // The reader has filled the memory up to `at`.
  void readerAt(const char* at) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      reader_ = reinterpret_cast<std::uintptr_t>(at);
    }
    moved_.notify_one();
  }

 private:
  static constexpr std::uintptr_t kStep = 2 << 20;    // made ready at a time
  static constexpr std::uintptr_t kAhead = 16 << 20;  // at most this far ahead of the reader

  MemoryWarmer(std::uintptr_t from, std::uintptr_t to)
      : reader_(from), thread_([this, from, to] { run(from, to); }) {}
  void run(std::uintptr_t from, std::uintptr_t to) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    for (std::uintptr_t at = from; at < to; at += kStep) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        moved_.wait(lock, [&] { return stop_ || at < reader_ + kAhead; });
        if (stop_) return;
      }
      // Fails harmlessly when the memory has moved away (the grid grew
      // past its reserve) or the kernel is too old to know the request.
      if (::madvise(reinterpret_cast<void*>(at), std::min(kStep, to - at), MADV_POPULATE_WRITE) != 0) return;
    }
#else
    (void)from;
    (void)to;
#endif
  }
  std::mutex mutex_;
  std::condition_variable moved_;
  bool stop_ = false;
  std::uintptr_t reader_;
  std::thread thread_;
};

}  // namespace detail

DataFileReader::DataFileReader(GridData& userInfo, GridData& header, GridData& records, MeasurementData& data)
    : userInfo_(userInfo), header_(header), records_(records), data_(data) {}

DataFileReader::~DataFileReader() = default;

void DataFileReader::fail(std::int64_t lineNo, std::string message) {
  if (errorLine_ >= 0) return;
  errorLine_ = lineNo;
  error_ = std::move(message);
  release();  // no more rows come
}

void DataFileReader::release() {
  warmer_.reset();
  // A failed growth may have left the arrays of unequal lengths.
  std::size_t n = seen_.size();
  for (auto* v :
       {&data_.PointValue1, &data_.PointValue2, &data_.PointValue3, &data_.PointValue4, &data_.PointValue5})
    n = std::min(n, v->size());
  try {
    sizeArrays(n);
    for (auto* v :
         {&data_.PointValue1, &data_.PointValue2, &data_.PointValue3, &data_.PointValue4, &data_.PointValue5})
      v->shrink_to_fit();
    seen_.shrink_to_fit();
  } catch (const std::bad_alloc&) {
    // Too little memory for the smaller copies: the larger room stays.
  }
  records_.shrinkToFit();
}

void DataFileReader::progress() {
  if (warmer_) warmer_->readerAt(records_.spareRoom().data());
}

void DataFileReader::sizeArrays(std::size_t n) {
  for (auto* v :
       {&data_.PointValue1, &data_.PointValue2, &data_.PointValue3, &data_.PointValue4, &data_.PointValue5})
    v->resize(n);
  seen_.resize(n);
}

bool DataFileReader::ParseDataFileLine(std::int64_t lineNo, std::string_view text) {
  return parse(lineNo, text, detail::scanLine(text));
}

bool DataFileReader::parse(std::int64_t lineNo, std::string_view text, const detail::LineScan& scan) {
  if (errorLine_ >= 0) return false;
  if (text.empty()) return true;

  std::string_view field0 = scan.field(text, 0);
  if (field0.size() == 10 || field0.size() == 11) {  // the lengths of the marker names
    if (field0 == "Information") {
      section_ = Information;
      sectionStart_ = lineNo;
      sawMarker_ = true;
    } else if (field0 == "HeaderData") {
      section_ = HeaderData;
      sectionStart_ = lineNo;
      sawMarker_ = true;
    } else if (field0 == "RecordData") {
      section_ = RecordData;
      sectionStart_ = lineNo + 1;  // the record grid's title line is skipped
      sawMarker_ = true;
    }
  }
  if (lineNo <= sectionStart_) return true;

  switch (section_) {
    case Information:
      userInfo_.addItem(text);
      break;
    case HeaderData:
      header_.addItem(text);
      if (lineNo - sectionStart_ == 9) {  // the "Total Point" row: the record count
        if (scan.tabs == 0) {
          fail(lineNo, fillText(trText("DataFile",
                                       "%1: the \"Total Point\" row (the ninth line after "
                                       "\"HeaderData\") has no record count in its second cell."),
                                {lineName(lineNo)}));
          return false;
        }
        double v = displayNumber(scan.field(text, 1));
        countRow(lineNo, v >= 1 ? static_cast<std::int64_t>(std::floor(std::min(v, 9.0e18))) : 0);
      }
      break;
    case RecordData:
      if (scan.tabs < detail::LineScan::kTabs)
        records_.appendItem(text, static_cast<size_t>(scan.tabs));  // the scan counted them all
      else
        records_.addItem(text);
      return readRecord(lineNo, text, scan);
    default:
      break;
  }
  return true;
}

// The "Total Point" row: the record count. The arrays are made anew,
// empty; room is set aside for as many records as the rest of the file can
// hold (the pages are not touched before the records fill them), so a count
// that the file does not hold costs nothing.
void DataFileReader::countRow(std::int64_t lineNo, std::int64_t count) {
  announced_ = count;
  countLine_ = lineNo;
  recordsRead_ = 0;
  recordLimit_ = std::min<std::uint64_t>(static_cast<std::uint64_t>(count), cap_);
  warmer_.reset();
  data_.sizePointValues(0);
  seen_.clear();
  if (bytesLeft_ == 0 || recordLimit_ == 0) return;
  const std::uint64_t expect = std::min(recordLimit_, bytesLeft_ / kMinRecordLine + 1);
  try {
    for (auto* v :
         {&data_.PointValue1, &data_.PointValue2, &data_.PointValue3, &data_.PointValue4, &data_.PointValue5})
      v->reserve(static_cast<size_t>(expect));
    seen_.reserve(static_cast<size_t>(expect));
    const std::uint64_t rows = static_cast<std::uint64_t>(records_.rows()) + expect;
    records_.reserve(static_cast<int>(std::min<std::uint64_t>(rows, INT_MAX / 2)));
    // The record texts take less than the file.
    records_.reserveBytes(static_cast<size_t>(std::min<std::uint64_t>(bytesLeft_, SIZE_MAX / 2)));
  } catch (const std::bad_alloc&) {
    return;  // the arrays and the grid grow as the records come
  }
  if (bytesLeft_ >= kWarmBytes) warmer_ = detail::MemoryWarmer::start(records_.spareRoom());
}

bool DataFileReader::readRecord(std::int64_t lineNo, std::string_view text, const detail::LineScan& scan) {
  if (announced_ < 0) {
    fail(lineNo, fillText(trText("DataFile",
                                 "%1: a record comes before the record count (the \"Total Point\" "
                                 "row, the ninth line after \"HeaderData\")."),
                          {lineName(lineNo)}));
    return false;
  }
  // Cells 0 to 5: number, date and time, LAVG, Leq, LCPK, LZPK.
  if (scan.tabs < 5) {
    fail(lineNo, fillText(trText("DataFile",
                                 "%1: a record line needs six cells (number, date and time, LAVG, "
                                 "Leq, LCPK, LZPK), this one has %2."),
                          {lineName(lineNo), std::to_string(scan.tabs + 1)}));
    return false;
  }
  // Like an array index of the old program: the number rounded to whole.
  std::string_view number = scan.field(text, 0);
  double idx = recordIndex(number);
  if (!(idx >= 0 && idx < static_cast<double>(recordLimit_))) {
    const std::string limit = std::to_string(recordLimit_);
    if (recordLimit_ < static_cast<std::uint64_t>(announced_))
      fail(lineNo, fillText(trText("DataFile",
                                   "%1: the record number %2 is not between 1 and %3 (the file "
                                   "announces %4 records but cannot hold that many)."),
                            {lineName(lineNo), quoted(number), limit, std::to_string(announced_)}));
    else
      fail(lineNo, fillText(trText("DataFile", "%1: the record number %2 is not between 1 and %3."),
                            {lineName(lineNo), quoted(number), limit}));
    return false;
  }
  size_t i = static_cast<size_t>(idx);
  if (i < seen_.size() && seen_[i]) {
    fail(lineNo, fillText(trText("DataFile",
                                 "%1: the record number %2 was given on an earlier line already; "
                                 "each record comes once."),
                          {lineName(lineNo), quoted(number)}));
    return false;
  }
  double level[4];
  bool flagged[4];
  for (int c = 0; c < 4; ++c) level[c] = recordLevel(text, scan.field(text, c + 2), flagged[c]);
  const double pause = flagged[0] ? 1.0 : 0.0;  // the LAVG cell tells
  if (i == seen_.size()) {                      // the next record, as a file written in order has it
    data_.PointValue1.push_back(level[0]);
    data_.PointValue2.push_back(level[1]);
    data_.PointValue3.push_back(level[2]);
    data_.PointValue4.push_back(level[3]);
    data_.PointValue5.push_back(pause);
    seen_.push_back(true);
  } else {
    if (i > seen_.size()) sizeArrays(i + 1);
    data_.PointValue1[i] = level[0];
    data_.PointValue2[i] = level[1];
    data_.PointValue3[i] = level[2];
    data_.PointValue4[i] = level[3];
    data_.PointValue5[i] = pause;
    seen_[i] = true;
  }
  ++recordsRead_;
  return true;
}

// ---- The whole-file reader -------------------------------------------------

DataFileLoader::DataFileLoader(std::string_view meterModel, GridData& userInfo, GridData& header,
                               GridData& records, MeasurementData& data, std::uint64_t sizeHint)
    : meterModel_(meterModel), reader_(userInfo, header, records, data), sizeHint_(sizeHint) {
  if (sizeHint > 0) reader_.setRecordCap(sizeHint / kMinRecordLine + 1);
}

void DataFileLoader::stopAt(std::int64_t lineNo, std::string message) {
  if (stopped_) return;
  stopped_ = true;
  result_.status = OpenStatus::Damaged;
  result_.badLine = lineNo;
  result_.message = std::move(message);
}

namespace {

// Line 0 of a data file (without its line end; `nul`: it holds a zero
// byte): the meter model. Fills the model fields of `r` and, when the
// further lines are not to be read, its status and message. True when they
// are read: the model, or the linked meter's `meterModel`, is supported.
// `utf8` is set when the line starts with a UTF-8 byte-order mark.
bool judgeModelLine(std::string_view raw, bool nul, std::string_view meterModel, OpenResult& r, bool& utf8) {
  if (raw.size() >= 3 && raw.substr(0, 3) == "\xEF\xBB\xBF") {  // UTF-8 byte-order mark
    utf8 = true;
    raw.remove_prefix(3);
  } else if (raw.size() >= 2 && (raw.substr(0, 2) == "\xFF\xFE" || raw.substr(0, 2) == "\xFE\xFF")) {
    r.status = OpenStatus::NotDataFile;
    r.message =
        trText("DataFile",
               "This file is written as UTF-16 (Unicode) text; data files are 8-bit text. Nothing was read.");
    return false;
  }
  if (nul) {
    r.status = OpenStatus::NotDataFile;
    r.message = trText("DataFile", "This is not a data file: it holds binary data. Nothing was read.");
    return false;
  }
  r.hasModelLine = true;
  r.model = (utf8 && isValidUtf8(raw)) || isAscii(raw) ? std::string(raw) : cp1252ToUtf8(raw);
  if (isSupportedModel(r.model) || isSupportedModel(meterModel)) return true;
  r.status = OpenStatus::NotDataFile;
  r.message = fillText(trText("DataFile",
                              "This is not a data file of a supported meter: its first line reads %1 "
                              "instead of \"VKZ 418\" or \"KRD 529\". Nothing was read."),
                       {quoted(r.model)});
  return false;
}

}  // namespace

void DataFileLoader::line(std::string_view raw, const detail::LineScan& scan) {
  const std::int64_t lineNo = result_.lines++;
  if (lineNo == 0) {
    parsing_ = judgeModelLine(raw, scan.nul, meterModel_, result_, utf8_);
    stopped_ = !parsing_;
    return;
  }
  if (scan.nul) {
    stopAt(lineNo, fillText(trText("DataFile",
                                   "%1 holds binary data (a zero byte); the file is damaged. The lines "
                                   "before it were read."),
                            {lineName(lineNo)}));
    return;
  }
  bool ok;
  if (!scan.high || (utf8_ && isValidUtf8(raw))) {
    ok = reader_.parse(lineNo, raw, scan);
  } else {
    decoded_ = cp1252ToUtf8(raw);
    ok = reader_.parse(lineNo, decoded_, detail::scanLine(decoded_));
  }
  if (!ok)
    stopAt(reader_.errorLine(), reader_.error() + trText("DataFile", " The lines before it were read."));
}

void DataFileLoader::tooLong() {
  carry_.clear();
  stopAt(result_.lines, fillText(trText("DataFile",
                                        "%1 is longer than 1 MiB; the file is damaged or not a data "
                                        "file. The lines before it were read."),
                                 {lineName(result_.lines)}));
}

void DataFileLoader::segment(std::string_view seg, bool beforeLF, const detail::LineScan& scan) {
  if (scan.cr) {
    // A CR right before an LF belongs to that line end (CR LF); any other
    // CR ends a line of its own.
    if (beforeLF && scan.crAt + 1 == seg.size()) {
      seg.remove_suffix(1);
    } else {
      if (beforeLF && seg.back() == '\r') seg.remove_suffix(1);
      for (;;) {
        size_t cr = seg.find('\r');
        std::string_view piece = seg.substr(0, cr);
        if (piece.size() > kMaxLine) return tooLong();
        line(piece, detail::scanLine(piece));
        if (stopped_ || cr == std::string_view::npos) break;
        seg.remove_prefix(cr + 1);
      }
      return;
    }
  }
  if (seg.size() > kMaxLine) return tooLong();
  line(seg, scan);
}

bool DataFileLoader::feed(std::string_view bytes) {
  if (stopped_) return false;
  if (sizeHint_ > 0) reader_.setBytesLeft(sizeHint_ > fed_ ? sizeHint_ - fed_ : 0);
  fed_ += bytes.size();
  try {
    if (skipLF_ && !bytes.empty()) {  // the LF of a CR LF that a block boundary cut
      skipLF_ = false;
      if (bytes.front() == '\n') bytes.remove_prefix(1);
    }
    detail::LineCutter cutter(bytes);
    for (size_t at = 0; !stopped_ && at < bytes.size();) {
      // One pass finds the line's LF and, on the way, its TABs and anything
      // unusual in it (a CR, a zero byte, a byte above 127).
      std::string_view rest = bytes.substr(at);
      detail::LineScan scan;
      size_t len = cutter.toLF(at, scan);
      const bool beforeLF = len < rest.size();
      if (!beforeLF) {
        // No LF in the rest of the block: the lines up to its last CR are
        // complete (a file with CR line ends); the rest waits for the next
        // block. A CR that ends the block may be the first half of a CR LF.
        const void* cr = scan.cr ? ::memrchr(rest.data(), '\r', rest.size()) : nullptr;
        if (!cr) {
          if (carry_.size() + rest.size() > kMaxLine + 1) {
            tooLong();
            return false;
          }
          carry_.append(rest);
          break;
        }
        len = static_cast<size_t>(static_cast<const char*>(cr) - rest.data());
        skipLF_ = len + 1 == rest.size();
        if (carry_.empty()) {
          std::string_view seg = rest.substr(0, len);
          segment(seg, false, detail::scanLine(seg));
        }
      } else if (carry_.empty()) {
        segment(rest.substr(0, len), true, scan);
      }
      if (!carry_.empty()) {
        carry_.append(rest.substr(0, len));
        segment(carry_, beforeLF, detail::scanLine(carry_));
        carry_.clear();
      }
      at += len + 1;
    }
  } catch (const std::bad_alloc&) {
    carry_.clear();
    carry_.shrink_to_fit();
    stopAt(result_.lines,
           fillText(trText("DataFile", "Not enough memory to read %1; the lines before it were read."),
                    {lineName(result_.lines, false)}));
  }
  reader_.progress();
  return !stopped_;
}

void DataFileLoader::dropPartialLine() {
  carry_.clear();
}

OpenResult DataFileLoader::finish() {
  if (!stopped_ && !carry_.empty()) {  // a last line without line end
    try {
      segment(carry_, false, detail::scanLine(carry_));
    } catch (const std::bad_alloc&) {
      stopAt(result_.lines,
             fillText(trText("DataFile", "Not enough memory to read %1."), {lineName(result_.lines, false)}));
    }
  }
  carry_.clear();
  carry_.shrink_to_fit();
  reader_.release();
  result_.records = reader_.recordsRead();
  if (result_.lines == 0 && result_.status == OpenStatus::Ok) {
    result_.status = OpenStatus::Empty;
    result_.message = trText("DataFile", "The file is empty.");
  }
  if (result_.status == OpenStatus::Ok && parsing_) {
    const std::int64_t last = result_.lines - 1;
    if (!reader_.sawMarker()) {
      result_.status = OpenStatus::Damaged;
      result_.message = trText("DataFile",
                               "The file holds none of the sections \"Information\", \"HeaderData\" and "
                               "\"RecordData\"; it is not a data file.");
    } else if (reader_.announcedRecords() > 0 &&
               reader_.recordsRead() < static_cast<std::uint64_t>(reader_.announcedRecords())) {
      result_.status = OpenStatus::Damaged;
      result_.badLine = last;
      result_.message =
          fillText(trText("DataFile",
                          "The file ends at %1 with %2 of the %3 records that %4 "
                          "announces; it was cut short. The records read are shown."),
                   {lineName(last, false), std::to_string(reader_.recordsRead()),
                    std::to_string(reader_.announcedRecords()), lineName(reader_.countLine(), false)});
    }
  }
  return result_;
}

namespace {

OpenResult readError(OpenResult r, const std::string& what) {
  r.status = OpenStatus::ReadError;
  r.message = what;
  return r;
}

// The outcome of reading a data file (or its first line), on vkz.file.
void logRead(const std::string& path, const OpenResult& r) {
  if (r.ok()) {
    logLazy(LogArea::File, LogLevel::Info, [&] {
      return "\"" + path + "\" read: " + std::to_string(r.lines) + " lines, " + std::to_string(r.records) +
             " records";
    });
  } else {
    logLazy(LogArea::File, LogLevel::Warning, [&] { return "\"" + path + "\": " + r.message; });
  }
}

// Opens a regular file for reading: its descriptor and size, or the
// message that says why it cannot be read.
struct OpenedFile {
  int fd = -1;
  std::uint64_t size = 0;
  std::string error;
};

OpenedFile openForReading(const std::string& path) {
  OpenedFile f;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    f.error = fillText(trText("DataFile", "Cannot open \"%1\" (%2)."), {path, std::strerror(errno)});
  } else if (!S_ISREG(st.st_mode)) {
    f.error = fillText(trText("DataFile", "Cannot open \"%1\": it is not a file."), {path});
  } else if ((f.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC)) < 0) {
    f.error = fillText(trText("DataFile", "Cannot open \"%1\" (%2)."), {path, std::strerror(errno)});
  } else {
    f.size = static_cast<std::uint64_t>(st.st_size);
  }
  return f;
}

OpenResult readDataFile(const std::string& path, std::string_view meterModel, GridData& userInfo,
                        GridData& header, GridData& records, MeasurementData& data) {
  const OpenedFile file = openForReading(path);
  if (file.fd < 0) return readError({}, file.error);
  const int fd = file.fd;

  DataFileLoader loader(meterModel, userInfo, header, records, data, file.size);
  std::vector<char> block;
  int readErrno = 0;
  try {
    block.resize(kReadBlock);
  } catch (const std::bad_alloc&) {
    ::close(fd);
    return readError({}, fillText(trText("DataFile", "Not enough memory to read \"%1\"."), {path}));
  }
  for (;;) {
    ssize_t n = ::read(fd, block.data(), block.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      readErrno = errno;
      break;
    }
    if (n == 0) break;
    if (!loader.feed(std::string_view(block.data(), static_cast<size_t>(n)))) break;
  }
  ::close(fd);
  if (readErrno != 0) loader.dropPartialLine();
  OpenResult r = loader.finish();
  if (readErrno != 0 && r.status != OpenStatus::NotDataFile) {
    r.status = OpenStatus::ReadError;
    r.badLine = r.lines;
    r.message =
        fillText(trText("DataFile", "Reading \"%1\" failed at %2 (%3); the lines before it were read."),
                 {path, lineName(r.lines, false), std::strerror(readErrno)});
  }
  return r;
}

OpenResult readDataFileModel(const std::string& path, std::string_view meterModel) {
  const OpenedFile file = openForReading(path);
  if (file.fd < 0) return readError({}, file.error);
  const int fd = file.fd;
  // Up to the first line end (CR or LF), and no further than a line may be.
  std::string head;
  size_t end = std::string::npos;
  int readErrno = 0;
  try {
    char block[1 << 16];
    while (end == std::string::npos && head.size() <= kMaxLine) {
      ssize_t n = ::read(fd, block, sizeof block);
      if (n < 0) {
        if (errno == EINTR) continue;
        readErrno = errno;
        break;
      }
      if (n == 0) break;
      const size_t from = head.size();
      head.append(block, static_cast<size_t>(n));
      end = head.find_first_of("\r\n", from);
    }
  } catch (const std::bad_alloc&) {
    readErrno = ENOMEM;
  }
  ::close(fd);
  OpenResult r;
  if (readErrno != 0)
    return readError(
        r, fillText(trText("DataFile", "Reading \"%1\" failed (%2)."), {path, std::strerror(readErrno)}));
  if (head.empty()) {
    r.status = OpenStatus::Empty;
    r.message = trText("DataFile", "The file is empty.");
    return r;
  }
  if (end == std::string::npos) end = head.size();  // a file of one line without line end
  if (end > kMaxLine) {
    r.status = OpenStatus::Damaged;
    r.badLine = 0;
    r.message = trText(
        "DataFile", "Line 1 is longer than 1 MiB; the file is damaged or not a data file. Nothing was read.");
    return r;
  }
  const std::string_view raw(head.data(), end);
  bool utf8 = false;
  judgeModelLine(raw, raw.find('\0') != std::string_view::npos, meterModel, r, utf8);
  return r;
}

}  // namespace

OpenResult ReadDataFile(const std::string& path, std::string_view meterModel, GridData& userInfo,
                        GridData& header, GridData& records, MeasurementData& data) {
  OpenResult r = readDataFile(path, meterModel, userInfo, header, records, data);
  logRead(path, r);
  return r;
}

OpenResult ReadDataFileModel(const std::string& path, std::string_view meterModel) {
  OpenResult r = readDataFileModel(path, meterModel);
  // Only a refusal: a first line that passes is logged with the whole read.
  if (!r.ok()) logRead(path, r);
  return r;
}

OpenResult ReadDataFileBytes(std::string_view bytes, std::string_view meterModel, GridData& userInfo,
                             GridData& header, GridData& records, MeasurementData& data) {
  DataFileLoader loader(meterModel, userInfo, header, records, data, bytes.size());
  loader.feed(bytes);
  return loader.finish();
}

}  // namespace vkz
