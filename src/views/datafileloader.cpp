// The bytes of a data file cut into lines, block by block, and handed to the
// line reader; the checks of a file that ends.
#include <cstring>
#include <new>

#include "base/cp1252.h"
#include "base/trtext.h"
#include "views/datafile.h"
#include "views/datafiletext.h"

namespace vkz {

using detail::isAscii;
using detail::isValidUtf8;
using detail::kMaxLine;
using detail::kMinRecordLine;
using detail::lineName;

DataFileLoader::DataFileLoader(std::string_view meterModel, GridData& userInfo, GridData& header,
                               GridData& records, MeasurementData& data, std::uint64_t sizeHint)
    : meterModel_(meterModel), reader_(userInfo, header, records, data) {
  if (sizeHint > 0) reader_.setRecordCap(sizeHint / kMinRecordLine + 1);
}

void DataFileLoader::stopAt(std::int64_t lineNo, std::string message) {
  if (stopped_) return;
  stopped_ = true;
  result_.status = OpenStatus::Damaged;
  result_.badLine = lineNo;
  result_.message = std::move(message);
}

// One whole line, without its line end.
void DataFileLoader::line(std::string_view raw) {
  const std::int64_t lineNo = result_.lines++;
  const bool nul = std::memchr(raw.data(), '\0', raw.size()) != nullptr;
  if (lineNo == 0) {
    parsing_ = detail::judgeModelLine(raw, nul, meterModel_, result_, utf8_);
    stopped_ = !parsing_;
    return;
  }
  if (nul) {
    stopAt(lineNo, fillText(trText("DataFile",
                                   "%1 holds binary data (a zero byte); the file is damaged. The lines "
                                   "before it were read."),
                            {lineName(lineNo)}));
    return;
  }
  std::string_view text = raw;
  if (!isAscii(raw) && !(utf8_ && isValidUtf8(raw))) {
    decoded_ = cp1252ToUtf8(raw);
    text = decoded_;
  }
  if (!reader_.ParseDataFileLine(lineNo, text))
    stopAt(reader_.errorLine(), reader_.error() + trText("DataFile", " The lines before it were read."));
}

// Lines end at LF, at CR LF and at CR alone. A line's start whose end is
// not in this block waits for the next block in carry_.
bool DataFileLoader::feed(std::string_view bytes) {
  if (stopped_) return false;
  try {
    size_t at = 0;
    if (skipLF_ && !bytes.empty()) {  // the LF of a CR LF that the block boundary cut
      skipLF_ = false;
      if (bytes.front() == '\n') at = 1;
    }
    const char* lf = nullptr;  // the next LF from `at` on, found once for the lines before it
    while (!stopped_ && at < bytes.size()) {
      const char* p = bytes.data() + at;
      const size_t rest = bytes.size() - at;
      if (!lf || lf < p) {
        lf = static_cast<const char*>(std::memchr(p, '\n', rest));
        if (!lf) lf = p + rest;  // none in this block
      }
      const size_t toLF = static_cast<size_t>(lf - p);
      const char* cr = static_cast<const char*>(std::memchr(p, '\r', toLF));
      const size_t len = cr ? static_cast<size_t>(cr - p) : toLF;
      if (!cr && toLF == rest) {  // no line end in the rest of the block
        if (carry_.size() + rest > kMaxLine) break;
        carry_.append(p, rest);
        return true;
      }
      std::string_view whole(p, len);
      if (!carry_.empty()) whole = carry_.append(whole);
      if (whole.size() > kMaxLine) break;
      at += len + 1;
      if (cr) {  // a CR LF is one line end
        if (at < bytes.size())
          at += bytes[at] == '\n' ? 1 : 0;
        else
          skipLF_ = true;
      }
      line(whole);
      carry_.clear();
    }
    if (!stopped_ && at < bytes.size()) {  // a line longer than any line of a data file
      carry_.clear();
      stopAt(result_.lines, fillText(trText("DataFile",
                                            "%1 is longer than 1 MiB; the file is damaged or not a data "
                                            "file. The lines before it were read."),
                                     {lineName(result_.lines)}));
    }
  } catch (const std::bad_alloc&) {
    carry_.clear();
    carry_.shrink_to_fit();
    stopAt(result_.lines,
           fillText(trText("DataFile", "Not enough memory to read %1; the lines before it were read."),
                    {lineName(result_.lines, false)}));
  }
  return !stopped_;
}

void DataFileLoader::dropPartialLine() {
  carry_.clear();
}

// A file read to its end: a last line without its line end was cut; a data
// file holds its sections and the records it announces.
void DataFileLoader::judgeEnd() {
  if (result_.lines == 0 && carry_.empty()) {
    result_.status = OpenStatus::Empty;
    result_.message = trText("DataFile", "The file is empty.");
    return;
  }
  if (!carry_.empty()) {
    const std::int64_t cut = result_.lines;
    if (cut == 0) {  // the file is its model line alone, cut: the model decides all the same
      line(carry_);
      if (stopped_) return;
    }
    stopAt(cut, fillText(trText("DataFile",
                                "%1 has no line end: the file was cut short inside it. That line is not "
                                "shown; the lines before it were read."),
                         {lineName(cut)}));
    return;
  }
  if (!parsing_) return;
  const std::int64_t last = result_.lines - 1;
  if (!reader_.sawMarker()) {
    result_.status = OpenStatus::NotDataFile;
    result_.message = trText("DataFile",
                             "The file holds none of the sections \"Information\", \"HeaderData\" and "
                             "\"RecordData\"; it is not a data file.");
  } else if (reader_.ReadSection() != DataFileReader::RecordData) {
    stopAt(last,
           fillText(trText("DataFile",
                           "The file ends at %1, in its \"%2\" section, before its records; it was "
                           "cut short. What was read is shown."),
                    {lineName(last, false),
                     reader_.ReadSection() == DataFileReader::Information ? "Information" : "HeaderData"}));
  } else if (reader_.announcedRecords() > 0 &&
             reader_.recordsRead() < static_cast<std::uint64_t>(reader_.announcedRecords())) {
    stopAt(last, fillText(trText("DataFile",
                                 "The file ends at %1 with %2 of the %3 records that %4 "
                                 "announces; it was cut short. The records read are shown."),
                          {lineName(last, false), std::to_string(reader_.recordsRead()),
                           reader_.announcedText(), lineName(reader_.countLine(), false)}));
  }
}

OpenResult DataFileLoader::finish() {
  if (!stopped_) judgeEnd();
  carry_.clear();
  carry_.shrink_to_fit();
  reader_.finish();
  result_.records = reader_.recordsRead();
  return result_;
}

}  // namespace vkz
