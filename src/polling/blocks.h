// The logged data: the answer to each data-block request carries up to ten
// records of 8 bytes, four little-endian 16-bit words each (LAVG with the
// pause flag in bit 15, Leq, LCPK, LZPK, in 0.1 dB). A block carries no
// number of its own: it is the block the download asked for last.
#pragma once
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "polling/measurement.h"
#include "polling/payload.h"
#include "polling/replies.h"
#include "polling/textforms.h"

namespace vkz {

// What the block decoding needs of the header.
struct BlockContext {
  bool startValid = false;           // HeaderStart is a real date and time
  DateTime start;                    // HeaderStart
  std::string lastRecordTime;        // HeaderStop(0): the time of the last record
  std::int64_t intervalSeconds = 0;  // HeaderValue slot kSlotInterval
  std::int64_t recordCount = 0;      // HeaderValue slot kSlotRecordCount
};
BlockContext blockContextFrom(const RecordHeader& header);

// One decoded record.
struct LoggedRecord {
  std::int64_t index = 0;                        // 0-based; the row number shown is index + 1
  double lavg = 0, leq = 0, lcpk = 0, lzpk = 0;  // dB, the pause flag removed
  bool paused = false;                           // the meter flagged the record (a paused span)
  // The record grid row: number, TAB, time, TAB, then the four level cells,
  // each followed by a TAB: "*" for a paused record, "--" for a level of 0,
  // else the level with one decimal; a blank and the dB text.
  std::string row;
};

struct DataBlock {
  bool last = false;  // the measurement's last block: no further request
  std::vector<LoggedRecord> records;
};

// Whether block `blockNo` is the measurement's last: the bytes still to
// come from it on fit in one block.
inline bool isLastBlock(std::int64_t blockNo, std::int64_t recordCount) {
  return recordCount * 8 - blockNo * 80 <= 80;
}

// The records of the blocks before block `blockNo`.
inline std::int64_t recordsBefore(std::int64_t blockNo, std::int64_t recordCount) {
  return std::min<std::int64_t>(blockNo * kRecordsPerBlock, recordCount);
}

// The records block `blockNo` holds: ten, the last block the records left
// (none when the block lies past the end).
inline std::int64_t recordsInBlock(std::int64_t blockNo, std::int64_t recordCount) {
  if (!isLastBlock(blockNo, recordCount)) return kRecordsPerBlock;
  return std::max<std::int64_t>(0, recordCount - blockNo * kRecordsPerBlock);
}

// Whether a reply of `bytes` payload bytes holds every record of block
// `blockNo`; a shorter one is asked for again.
inline bool holdsBlock(std::int64_t blockNo, std::size_t bytes, std::int64_t recordCount) {
  return blockNo >= 0 &&
         bytes >= static_cast<std::size_t>(recordsInBlock(blockNo, recordCount)) * kRecordLength;
}

// Decodes block `blockNo`. A block that is not the last holds ten records,
// the last one the records left (record count - 10 · blockNo, none when the
// block lies past the end). nullopt when the payload is shorter than the
// records it must hold; the block is then asked again, nothing is stored.
// `dB` is the unit text (TxtDB).
std::optional<DataBlock> DecodeDataBlock(std::int64_t blockNo, Payload p, const BlockContext& ctx,
                                         const std::string& dB);

// Stores decoded records into PointValue1..5 (elements outside the arrays
// are left out). Returns the number stored.
std::size_t StoreRecords(const DataBlock& block, MeasurementData& m);

// The memory panel's progress text during the download: "Load ==> 25 / 25"
// (`load` is TxtLoad, `countText` slot kSlotRecordCount). The record figure is
// bytesLoaded / 8, with decimals only when the blocks were not whole records.
std::string downloadProgressText(const std::string& load, std::int64_t bytesLoaded,
                                 const std::string& countText);

// The message of a download given up because the meter gave no usable
// answer: how many of the records arrived (`countText` slot kSlotRecordCount;
// `headerCame` false when not even the header did).
std::string downloadStoppedText(bool headerCame, std::int64_t records, const std::string& countText);
// The download stopped because the meter sent a data block twice and the
// records from `kept` on could not be placed with certainty.
std::string downloadDoubledText(std::int64_t kept, const std::string& countText);

}  // namespace vkz
