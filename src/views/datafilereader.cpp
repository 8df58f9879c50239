// The line reader of the data file: one line at a time into the file list
// window's grids and the per-record arrays.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

#include "base/trtext.h"
#include "views/datafile.h"
#include "views/datafiletext.h"
#include "views/displaytext.h"

namespace vkz {

using detail::lineName;
using detail::quoted;

namespace {

// The first cells of a line, up to `kMax` of them (the last one found runs
// to the line's end); `count` tells how many there are, at most kMax.
struct Cells {
  static constexpr int kMax = 6;
  std::string_view cell[kMax];
  int count = 0;
};

Cells cellsOf(std::string_view line) {
  Cells c;
  size_t start = 0;
  while (c.count < Cells::kMax - 1) {
    const size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) break;
    c.cell[c.count++] = line.substr(start, tab - start);
    start = tab + 1;
  }
  const size_t tab = line.find('\t', start);
  c.cell[c.count++] = line.substr(start, tab == std::string_view::npos ? tab : tab - start);
  return c;
}

// A number text that stands for no finite value: "NaN", "Inf", "Infinity"
// (any case, signed or not), which reads as no number at all.
bool namesNoFiniteValue(std::string_view text) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string_view::npos) return false;
  if (text[i] == '-' || text[i] == '+') ++i;
  const auto startsWith = [&](std::string_view word) {
    if (text.size() - i < word.size()) return false;
    for (size_t k = 0; k < word.size(); ++k)
      if ((text[i + k] | 0x20) != word[k]) return false;
    return true;
  };
  return startsWith("nan") || startsWith("inf");
}

// A level cell of a record: its value with the pause flag removed, as
// levelValue() reads it; `flagged` tells whether it had the flag. False (the
// value not to be used) for a level that is not a finite number.
bool recordLevel(std::string_view cell, double& v, bool& flagged) {
  size_t i = cell.find_first_not_of(' ');
  if (i == std::string_view::npos) i = cell.size();
  flagged = i < cell.size() && cell[i] == '*';
  const std::string_view number = cell.substr(i + (flagged ? 1 : 0));
  const LeadingNumber n = leadingNumber(number);
  v = n.value;
  return !n.overflow && !namesNoFiniteValue(number);
}

}  // namespace

DataFileReader::DataFileReader(GridData& userInfo, GridData& header, GridData& records, MeasurementData& data)
    : userInfo_(userInfo), header_(header), records_(records), data_(data) {}

void DataFileReader::fail(std::int64_t lineNo, std::string message) {
  if (errorLine_ >= 0) return;
  errorLine_ = lineNo;
  error_ = std::move(message);
}

void DataFileReader::finish() {
  std::size_t n = seen_.size();
  for (auto* v :
       {&data_.PointValue1, &data_.PointValue2, &data_.PointValue3, &data_.PointValue4, &data_.PointValue5})
    n = std::min(n, v->size());
  sizeArrays(n);  // shrinks only: no memory is asked for
}

void DataFileReader::sizeArrays(std::size_t n) {
  data_.resizePointValues(n);
  seen_.resize(n);
}

bool DataFileReader::ParseDataFileLine(std::int64_t lineNo, std::string_view text) {
  if (errorLine_ >= 0) return false;
  if (text.empty()) return true;

  const std::string_view field0 = text.substr(0, text.find('\t'));
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
  if (lineNo <= sectionStart_) return true;

  switch (section_) {
    case Information:
      userInfo_.addItem(text);
      break;
    case HeaderData:
      if (lineNo - sectionStart_ == 9) return countRow(lineNo, text);  // the "Total Point" row
      header_.addItem(text);
      break;
    case RecordData:
      return readRecord(lineNo, text);
    default:
      break;
  }
  return true;
}

// The "Total Point" row: its second cell is the record count. The arrays
// are made anew, empty: they grow as the records come, so a count that the
// file does not hold costs nothing.
bool DataFileReader::countRow(std::int64_t lineNo, std::string_view text) {
  const size_t tab = text.find('\t');
  if (tab == std::string_view::npos) {
    fail(lineNo, fillText(trText("DataFile",
                                 "%1: the \"Total Point\" row (the ninth line after "
                                 "\"HeaderData\") has no record count in its second cell."),
                          {lineName(lineNo)}));
    return false;
  }
  const std::string_view cell = cellsOf(text).cell[1];
  const LeadingNumber count = leadingNumber(cell);
  if (count.text.empty() || count.value < 0) {
    fail(lineNo, fillText(trText("DataFile",
                                 "%1: the record count %2 of the \"Total Point\" row is not a "
                                 "number of records."),
                          {lineName(lineNo), quoted(cell)}));
    return false;
  }
  header_.addItem(text);
  announced_ = static_cast<std::int64_t>(std::floor(std::min(count.value, 9.0e18)));
  announcedText_ = std::string(count.text.substr(count.text.front() == '+' ? 1 : 0));
  countLine_ = lineNo;
  recordsRead_ = 0;
  recordLimit_ = std::min<std::uint64_t>(static_cast<std::uint64_t>(announced_), cap_);
  data_.sizePointValues(0);
  seen_.clear();
  return true;
}

// The record number of a record line, as its array index, once the line
// passes the checks that need no level: a count came before it, it has its
// six cells, its number lies inside the count and was not given before.
// -1 when it fails (the reading stops at the line).
std::int64_t DataFileReader::recordSlot(std::int64_t lineNo, std::string_view number, int cells) {
  if (announced_ < 0) {
    fail(lineNo, fillText(trText("DataFile",
                                 "%1: a record comes before the record count (the \"Total Point\" "
                                 "row, the ninth line after \"HeaderData\")."),
                          {lineName(lineNo)}));
    return -1;
  }
  // Cells 0 to 5: number, date and time, LAVG, Leq, LCPK, LZPK.
  if (cells < Cells::kMax) {
    fail(lineNo, fillText(trText("DataFile",
                                 "%1: a record line needs six cells (number, date and time, LAVG, "
                                 "Leq, LCPK, LZPK), this one has %2."),
                          {lineName(lineNo), std::to_string(cells)}));
    return -1;
  }
  // Like an array index of the old program: the number rounded to whole.
  const double idx = std::nearbyint(displayNumber(number) - 1.0);
  if (!(idx >= 0 && idx < static_cast<double>(recordLimit_))) {
    const std::string limit = std::to_string(recordLimit_);
    if (recordLimit_ < static_cast<std::uint64_t>(announced_))
      fail(lineNo,
           fillText(trText("DataFile",
                           "%1: the record number %2 is not between 1 and %3: %4 announces %5 "
                           "records, more than the file can hold."),
                    {lineName(lineNo), quoted(number), limit, lineName(countLine_, false), announcedText_}));
    else
      fail(lineNo, fillText(trText("DataFile",
                                   "%1: the record number %2 is not between 1 and %3, the record count "
                                   "of %4."),
                            {lineName(lineNo), quoted(number), limit, lineName(countLine_, false)}));
    return -1;
  }
  const size_t i = static_cast<size_t>(idx);
  if (i < seen_.size() && seen_[i]) {
    fail(lineNo, fillText(trText("DataFile",
                                 "%1: the record number %2 was given on an earlier line already; "
                                 "each record comes once."),
                          {lineName(lineNo), quoted(number)}));
    return -1;
  }
  return static_cast<std::int64_t>(i);
}

bool DataFileReader::readRecord(std::int64_t lineNo, std::string_view text) {
  const Cells cells = cellsOf(text);
  const std::int64_t slot = recordSlot(lineNo, cells.cell[0], cells.count);
  if (slot < 0) return false;
  double level[4];
  bool flagged[4];
  for (int c = 0; c < 4; ++c) {
    // The last level cell runs to the line's end: only its first cell counts.
    std::string_view cell = cells.cell[c + 2];
    cell = cell.substr(0, cell.find('\t'));
    if (!recordLevel(cell, level[c], flagged[c])) {
      static constexpr const char* kLevelNames[4] = {"LAVG", "Leq", "LCPK", "LZPK"};
      fail(lineNo, fillText(trText("DataFile", "%1: the %2 level %3 is not a finite number."),
                            {lineName(lineNo), kLevelNames[c], quoted(cell)}));
      return false;
    }
  }
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

}  // namespace vkz
