#include <cstring>
#include <new>

#include "base/cp1252.h"
#include "base/trtext.h"
#include "views/datafile.h"
#include "views/datafiletext.h"
#include "views/linescan.h"

namespace vkz {

using detail::isValidUtf8;
using detail::kMaxLine;
using detail::kMinRecordLine;
using detail::lineName;

DataFileLoader::DataFileLoader(std::string_view meterModel, GridData& userInfo, GridData& header,
                               GridData& records, MeasurementData& data, std::uint64_t sizeHint,
                               const RecordSplit& split)
    : meterModel_(meterModel), reader_(userInfo, header, records, data), sizeHint_(sizeHint), split_(split) {
  if (sizeHint > 0) reader_.setRecordCap(sizeHint / kMinRecordLine + 1);
}

void DataFileLoader::stopAt(std::int64_t lineNo, std::string message) {
  if (stopped_) return;
  stopped_ = true;
  result_.status = OpenStatus::Damaged;
  result_.badLine = lineNo;
  result_.message = std::move(message);
}

void DataFileLoader::line(std::string_view raw, const detail::LineScan& scan) {
  const std::int64_t lineNo = result_.lines++;
  if (lineNo == 0) {
    parsing_ = detail::judgeModelLine(raw, scan.nul, meterModel_, result_, utf8_);
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
  std::uint64_t blockAt = fed_;  // the file offset of bytes[0]
  fed_ += bytes.size();
  try {
    if (skipLF_ && !bytes.empty()) {  // the LF of a CR LF that a block boundary cut
      skipLF_ = false;
      if (bytes.front() == '\n') {
        bytes.remove_prefix(1);
        ++blockAt;
      }
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
      if (beforeLF && splitsAt(blockAt + at)) {
        recordsAt_ = blockAt + at;
        break;
      }
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

// Whether the line at file offset `offset`, the next to read, starts
// records that readRecordsSplit() is to read.
bool DataFileLoader::splitsAt(std::uint64_t offset) const {
  return split_.fromBytes > 0 && !splitTried_ && !stopped_ && carry_.empty() && offset < sizeHint_ &&
         sizeHint_ - offset >= split_.fromBytes && reader_.atRecordsStart(result_.lines);
}

bool DataFileLoader::readRecordsSplit(const ReadAt& readAt) {
  const std::uint64_t from = recordsAt_;
  recordsAt_ = 0;
  if (from == 0 || splitTried_) return false;
  splitTried_ = true;
  std::uint64_t lines = 0;
  bool all = false;
  try {
    all = reader_.takeRecordsSplit(from, sizeHint_ - from, readAt, split_, lines);
  } catch (const std::bad_alloc&) {
    // Nothing was taken: the lines are read one by one.
  }
  if (all) {
    result_.lines += static_cast<std::int64_t>(lines);
    fed_ = sizeHint_;
  } else {
    fed_ = from;
  }
  return all;
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

}  // namespace vkz
