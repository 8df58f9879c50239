#include "polling/blocks.h"

#include <cmath>

#include "base/numfmt.h"
#include "base/trtext.h"
#include "polling/header.h"
#include "polling/replies.h"

namespace vkz {
namespace {

std::int64_t wholeNumber(const std::string& text) {
  double v = val(text);
  if (!(v > 0)) return 0;
  if (v > 2147483647.0) return 0;  // no such count or interval; treat as none
  return static_cast<std::int64_t>(roundHalfEven(v));
}

std::string levelCell(bool paused, std::uint32_t tenths, const std::string& dB) {
  std::string cell = paused ? "*" : "";
  cell += tenths == 0 ? std::string("--") : tenthsText(tenths);
  cell += ' ';
  cell += dB;
  return cell;
}

}  // namespace

BlockContext blockContextFrom(const RecordHeader& h) {
  BlockContext c;
  c.startValid = parseDateTime(h.HeaderStart, c.start);
  c.lastRecordTime = h.HeaderStop[0];
  c.intervalSeconds = wholeNumber(h.HeaderValue[kSlotInterval]);
  c.recordCount = wholeNumber(h.HeaderValue[kSlotRecordCount]);
  return c;
}

std::optional<DataBlock> DecodeDataBlock(std::int64_t blockNo, Payload p, const BlockContext& ctx,
                                         const std::string& dB) {
  if (!holdsBlock(blockNo, p.size(), ctx.recordCount)) return std::nullopt;
  DataBlock b;
  b.last = isLastBlock(blockNo, ctx.recordCount);
  const std::int64_t n = recordsInBlock(blockNo, ctx.recordCount);

  b.records.reserve(static_cast<std::size_t>(n));
  for (std::int64_t j = 0; j < n; ++j) {
    const std::size_t o = static_cast<std::size_t>(j) * kRecordLength;
    LoggedRecord r;
    r.index = blockNo * kRecordsPerBlock + j;
    const std::uint32_t w0 = le16(p, o);
    r.paused = (w0 & 0x8000u) != 0;
    const std::uint32_t words[4] = {w0 & 0x7FFFu, le16(p, o + 2), le16(p, o + 4), le16(p, o + 6)};
    r.lavg = words[0] / 10.0;
    r.leq = words[1] / 10.0;
    r.lcpk = words[2] / 10.0;
    r.lzpk = words[3] / 10.0;

    // Record k carries the end of its interval: start + k · interval. The
    // last record of the measurement carries the first channel's stop time.
    const std::int64_t k = r.index + 1;
    std::string time;
    if (b.last && j == n - 1)
      time = ctx.lastRecordTime;
    else if (ctx.startValid) {
      // Dates end with the year 9999, as on the old platform.
      DateTime t = addSeconds(ctx.start, k * ctx.intervalSeconds);
      if (t.year <= 9999) time = dateTimeText(t.year, t.month, t.day, t.hour, t.minute, t.second);
    }
    r.row = decimalText(k) + "\t" + time + "\t";
    for (std::uint32_t w : words) r.row += levelCell(r.paused, w, dB) + "\t";
    b.records.push_back(std::move(r));
  }
  return b;
}

std::size_t StoreRecords(const DataBlock& block, MeasurementData& m) {
  std::size_t stored = 0;
  for (const LoggedRecord& r : block.records) {
    if (r.index < 0) continue;
    const auto i = static_cast<std::size_t>(r.index);
    if (i >= m.PointValue1.size() || i >= m.PointValue2.size() || i >= m.PointValue3.size() ||
        i >= m.PointValue4.size() || i >= m.PointValue5.size())
      continue;
    m.PointValue1[i] = r.lavg;
    m.PointValue2[i] = r.leq;
    m.PointValue3[i] = r.lcpk;
    m.PointValue4[i] = r.lzpk;
    m.PointValue5[i] = r.paused ? 1 : 0;
    ++stored;
  }
  return stored;
}

std::string downloadProgressText(const std::string& load, std::int64_t bytesLoaded,
                                 const std::string& countText) {
  std::string records;
  if (bytesLoaded % 8 == 0) {
    records = decimalText(bytesLoaded / 8);
  } else {
    // Eighths have at most three decimals; trailing zeros are dropped.
    std::int64_t milli = bytesLoaded * 125;
    std::string frac = std::to_string(std::llabs(milli % 1000));
    frac = std::string(3 - frac.size(), '0') + frac;
    while (!frac.empty() && frac.back() == '0') frac.pop_back();
    records =
        (bytesLoaded < 0 ? "-" : "") + decimalText(std::llabs(milli / 1000)) + decimalSeparator() + frac;
  }
  return load + " ==> " + records + " / " + countText;
}

std::string downloadStoppedText(bool headerCame, std::int64_t records, const std::string& countText) {
  if (!headerCame)
    return trText(
        "Download",
        "Download stopped: no usable answer from the meter. The measurement's header did not arrive; "
        "no records arrived.");
  return fillText(
      trText("Download", "Download stopped: no usable answer from the meter. %1 of %2 records arrived."),
      {decimalText(records), countText});
}

std::string downloadDoubledText(std::int64_t kept, const std::string& countText) {
  return fillText(trText("Download",
                         "Download stopped: the meter sent a data block twice, so the records after it could "
                         "not be placed with certainty. %1 of %2 records kept."),
                  {decimalText(kept), countText});
}

}  // namespace vkz
