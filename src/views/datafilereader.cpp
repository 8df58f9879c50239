#include <algorithm>
#include <atomic>
#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

#include "base/trtext.h"
#include "views/datafile.h"
#include "views/datafiletext.h"
#include "views/displaytext.h"
#include "views/linescan.h"
#include "views/memorywarmer.h"

namespace vkz {

using detail::kMaxLine;
using detail::kMinRecordLine;
using detail::lineName;
using detail::quoted;

namespace {

// From this file size on, the record grid's memory is made ready beside
// the reading.
constexpr std::uint64_t kWarmBytes = 4 << 20;

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

// True for a number text that stands for no finite value: "NaN", "Inf",
// "Infinity" (any case, signed or not), or a number too large for a double
// (the display reading gives those the largest finite value).
bool notFinite(std::string_view number, double v) {
  size_t i = 0;
  while (i < number.size() && number[i] == ' ') ++i;
  if (i < number.size() && (number[i] == '-' || number[i] == '+')) ++i;
  auto startsWith = [&](std::string_view word) {
    if (number.size() - i < word.size()) return false;
    for (size_t k = 0; k < word.size(); ++k)
      if ((number[i + k] | 0x20) != word[k]) return false;
    return true;
  };
  return startsWith("nan") || startsWith("inf") || std::fabs(v) == DBL_MAX;
}

// A level cell of a record inside its line: its value with the pause flag
// removed, as levelValue() reads it; `flagged` tells whether it had the flag.
// False (the value not to be used) for a level that is not a finite number.
inline bool recordLevel(std::string_view line, std::string_view cell, double& v, bool& flagged) {
  size_t i = 0;
  while (i < cell.size() && cell[i] == ' ') ++i;
  flagged = i < cell.size() && cell[i] == '*';
  i += flagged ? 1 : 0;
  const char* p = cell.data() + i;
  if (static_cast<size_t>(line.data() + line.size() - p) >= 8 && wordLevel(p, v)) return true;
  const std::string_view number = cell.substr(i);
  v = displayNumber(number);
  return !notFinite(number, v);
}

}  // namespace

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
      if (lineNo - sectionStart_ == 9) {  // the "Total Point" row: the record count
        if (scan.tabs == 0) {
          fail(lineNo, fillText(trText("DataFile",
                                       "%1: the \"Total Point\" row (the ninth line after "
                                       "\"HeaderData\") has no record count in its second cell."),
                                {lineName(lineNo)}));
          return false;
        }
        header_.addItem(text);
        double v = displayNumber(scan.field(text, 1));
        countRow(lineNo, v >= 1 ? static_cast<std::int64_t>(std::floor(std::min(v, 9.0e18))) : 0);
      } else {
        header_.addItem(text);
      }
      break;
    case RecordData:
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

// The record number of a record line, as its array index, once the line
// passes the checks that need no level: a count came before it, it has its
// six cells, its number lies inside the count and was not given before.
// -1 when it fails (the reading stops at the line).
std::int64_t DataFileReader::recordSlot(std::int64_t lineNo, std::string_view text,
                                        const detail::LineScan& scan) {
  if (announced_ < 0) {
    fail(lineNo, fillText(trText("DataFile",
                                 "%1: a record comes before the record count (the \"Total Point\" "
                                 "row, the ninth line after \"HeaderData\")."),
                          {lineName(lineNo)}));
    return -1;
  }
  // Cells 0 to 5: number, date and time, LAVG, Leq, LCPK, LZPK.
  if (scan.tabs < 5) {
    fail(lineNo, fillText(trText("DataFile",
                                 "%1: a record line needs six cells (number, date and time, LAVG, "
                                 "Leq, LCPK, LZPK), this one has %2."),
                          {lineName(lineNo), std::to_string(scan.tabs + 1)}));
    return -1;
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
    return -1;
  }
  size_t i = static_cast<size_t>(idx);
  if (i < seen_.size() && seen_[i]) {
    fail(lineNo, fillText(trText("DataFile",
                                 "%1: the record number %2 was given on an earlier line already; "
                                 "each record comes once."),
                          {lineName(lineNo), quoted(number)}));
    return -1;
  }
  return static_cast<std::int64_t>(i);
}

bool DataFileReader::readRecord(std::int64_t lineNo, std::string_view text, const detail::LineScan& scan) {
  const std::int64_t slot = recordSlot(lineNo, text, scan);
  if (slot < 0) return false;
  double level[4];
  bool flagged[4];
  for (int c = 0; c < 4; ++c) {
    const std::string_view cell = scan.field(text, c + 2);
    if (!recordLevel(text, cell, level[c], flagged[c])) {
      static constexpr const char* kLevelNames[4] = {"LAVG", "Leq", "LCPK", "LZPK"};
      fail(lineNo, fillText(trText("DataFile", "%1: the %2 level %3 is not a finite number."),
                            {lineName(lineNo), kLevelNames[c], quoted(cell)}));
      return false;
    }
  }
  // Only a line read whole is shown.
  if (scan.tabs < detail::LineScan::kTabs)
    records_.appendItem(text, static_cast<size_t>(scan.tabs));  // the scan counted them all
  else
    records_.addItem(text);
  storeRecord(static_cast<size_t>(slot), level, flagged[0] ? 1.0 : 0.0);  // the LAVG cell tells the pause
  return true;
}

void DataFileReader::storeRecord(std::size_t i, const double (&level)[4], double pause) {
  if (i == seen_.size()) {  // the next record, as a file written in order has it
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
}

// ---- the records of a large file, side by side ------------------------------

RecordSplit RecordSplit::forThisMachine() {
  const unsigned n = std::thread::hardware_concurrency();
  return {std::uint64_t{1} << 20, std::uint64_t{256} << 10, std::clamp(n, 1u, 8u)};
}

namespace {

// Runs work(k) for k = 0 .. n - 1, each on a thread of its own but k = 0,
// which runs on this thread (and any whose thread could not be started,
// after it). A piece of work that throws sets `failed`.
template <typename Work>
void sideBySide(std::size_t n, const Work& work, std::atomic<bool>& failed) {
  const auto guarded = [&](std::size_t k) {
    try {
      work(k);
    } catch (...) {
      failed = true;
    }
  };
  std::vector<std::thread> threads;
  std::vector<std::size_t> here{0};
  try {
    threads.reserve(n);
    here.reserve(n);
  } catch (...) {
    failed = true;
    return;
  }
  for (std::size_t k = 1; k < n; ++k) {
    try {
      threads.emplace_back(guarded, k);
    } catch (...) {
      here.push_back(k);
    }
  }
  for (std::size_t k : here) guarded(k);
  for (std::thread& t : threads) t.join();
}

std::uint64_t countLF(const char* p, std::size_t n) {
  std::uint64_t count = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  // Each byte lane counts its LFs (a match is -1, subtracted) for up to 255
  // blocks of 16 bytes, then the lanes are summed.
  const __m128i lf = _mm_set1_epi8('\n'), zero = _mm_setzero_si128();
  while (i + 16 <= n) {
    __m128i lanes = zero;
    for (int k = 0; k < 255 && i + 16 <= n; ++k, i += 16)
      lanes =
          _mm_sub_epi8(lanes, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), lf));
    const __m128i sums = _mm_sad_epu8(lanes, zero);
    count += static_cast<std::uint64_t>(_mm_cvtsi128_si32(sums)) +
             static_cast<std::uint64_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));
  }
#endif
  for (; i < n; ++i) count += p[i] == '\n';
  return count;
}

}  // namespace

bool DataFileReader::atRecordsStart(std::int64_t nextLine) const {
  // The record grid's rows as a data file has them: six or seven cells,
  // their TABs counted exactly by a line's scan.
  return section_ == RecordData && nextLine == sectionStart_ + 1 && announced_ >= 0 && recordLimit_ > 0 &&
         recordsRead_ == 0 && seen_.empty() && errorLine_ < 0 && records_.cols() >= 6 &&
         records_.cols() + 1 < detail::LineScan::kTabs;
}

bool DataFileReader::takeRecordsSplit(std::uint64_t offset, std::uint64_t bytes, const ReadAt& readAt,
                                      const RecordSplit& split, std::uint64_t& lines) {
  if (!atRecordsStart(sectionStart_ + 1) || bytes == 0 || bytes > SIZE_MAX / 4) return false;
  // Rows and values are made for as many records as may come; a count far
  // above what the bytes hold (a plain record line takes some 60) is left
  // to the line-by-line reading, which makes room only as records come.
  const std::uint64_t room = std::min(recordLimit_, bytes / kMinRecordLine + 1);
  if (room > bytes / 16 + 1) return false;
  const std::size_t n = static_cast<std::size_t>(room);
  const std::size_t size = static_cast<std::size_t>(bytes);
  const std::size_t pieces = static_cast<std::size_t>(std::clamp<std::uint64_t>(
      bytes / std::max<std::uint64_t>(split.pieceBytes, 1), 1, std::max(split.threads, 1u)));
  warmer_.reset();  // the threads make the memory ready where they write

  struct Piece {
    std::size_t from = 0, to = 0;  // its bytes in the section
    std::uint64_t lfs = 0;         // the LFs among them
    std::size_t live = 0;          // bytes of its rows' texts
  };
  std::vector<Piece> piece(pieces);
  std::vector<std::uint64_t> lfsBefore(pieces + 1, 0);  // the LFs before each piece
  for (std::size_t k = 0; k < pieces; ++k) {
    piece[k].from = size / pieces * k;
    piece[k].to = k + 1 == pieces ? size : size / pieces * (k + 1);
  }
  std::atomic<bool> refused{false};
  char* text = nullptr;
  try {
    text = records_.openText(size);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const std::size_t firstRow = static_cast<std::size_t>(records_.rows());
  PointValues* values[5] = {&data_.PointValue1, &data_.PointValue2, &data_.PointValue3, &data_.PointValue4,
                            &data_.PointValue5};
  auto giveBack = [&] {
    records_.closeOpen(0, 0);
    for (PointValues* v : values) v->clear();
    return false;
  };

  // First the bytes, each piece read into its place and its LFs counted;
  // beside them the rows and the five arrays are made, each on a thread of
  // its own (fresh memory costs most of the time here).
  sideBySide(
      pieces + 6,
      [&](std::size_t k) {
        if (k >= pieces) {
          if (k == pieces)
            records_.openRows(n);
          else
            values[k - pieces - 1]->resize(n);
          return;
        }
        Piece& p = piece[k];
        if (readAt(text + p.from, p.to - p.from, offset + p.from) != 0)
          refused = true;
        else
          p.lfs = countLF(text + p.from, p.to - p.from);
      },
      refused);
  if (refused || text[size - 1] != '\n') return giveBack();
  for (std::size_t k = 0; k < pieces; ++k) lfsBefore[k + 1] = lfsBefore[k] + piece[k].lfs;
  const std::uint64_t total = lfsBefore[pieces];
  if (total > n) return giveBack();

  // Then the lines: each piece takes those that start in it, record i + 1
  // on line i of the section.
  const std::string_view all(text, size);
  const size_t want = static_cast<size_t>(records_.cols() - 1);  // TABs of a row
  sideBySide(
      pieces,
      [&](std::size_t k) {
        Piece& p = piece[k];
        std::size_t at = p.from;
        std::uint64_t i = lfsBefore[k];
        if (at > 0 && text[at - 1] != '\n') {
          const void* lf = std::memchr(text + at, '\n', size - at);
          at = static_cast<std::size_t>(static_cast<const char*>(lf) - text) + 1;  // the last byte is an LF
          ++i;
        }
        detail::LineCutter cutter(all);
        for (std::uint32_t count = 0; at < p.to; ++count) {
          if ((count & 255) == 0 && refused.load(std::memory_order_relaxed)) return;
          detail::LineScan scan;
          const std::size_t len = cutter.toLF(at, scan);
          std::string_view line(text + at, len);
          at += len + 1;
          bool ok = !scan.nul && !scan.high && len <= kMaxLine;
          if (ok && scan.cr) {
            ok = scan.crAt + 1 == len;  // only the CR of a CR LF
            line.remove_suffix(1);
          }
          // As parse() and readRecord() take the line, in its place.
          ok = ok && !line.empty() && scan.tabs >= 5;  // i < total <= room <= recordLimit_
          // (A section's marker reads as no number.)
          ok = ok && recordIndex(scan.field(line, 0)) == static_cast<double>(i);
          double level[4];
          bool flagged[4];
          for (int c = 0; ok && c < 4; ++c)
            ok = recordLevel(line, scan.field(line, c + 2), level[c], flagged[c]);
          // The row as the grid keeps it: its cells, without the TAB after the last.
          std::size_t keep = line.size();
          if (ok && static_cast<size_t>(scan.tabs) != want) {
            ok = static_cast<size_t>(scan.tabs) == want + 1 && line.back() == '\t';
            --keep;
          }
          if (!ok) {
            refused = true;
            return;
          }
          records_.setRow(firstRow + i, line.data(), keep);
          p.live += keep;
          for (int c = 0; c < 4; ++c) (*values[c])[i] = level[c];
          (*values[4])[i] = flagged[0] ? 1.0 : 0.0;  // the LAVG cell tells the pause
          ++i;
        }
      },
      refused);
  if (refused) return giveBack();

  std::size_t live = 0;
  for (const Piece& p : piece) live += p.live;
  const std::size_t taken = static_cast<std::size_t>(total);
  try {
    seen_.assign(taken, true);
  } catch (const std::bad_alloc&) {
    seen_.clear();
    return giveBack();
  }
  records_.closeOpen(taken, live);
  for (PointValues* v : values) v->resize(taken);
  recordsRead_ = total;
  lines = total;
  return true;
}

}  // namespace vkz
