// Feeds arbitrary bytes as reply frames (code, payload) through the reply
// dispatch and every decoding function, as the decoder would on a bad line.
// Input: byte 0 the reply code, bytes 1-2 a block number, the rest the
// payload. Checks that a payload shorter than its layout is refused and that
// nothing reads past the payload (the sanitizers watch the reads: the payload
// is copied into a buffer of exactly its own size).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "polling/acks.h"
#include "polling/blocks.h"
#include "polling/header.h"
#include "polling/memlist.h"
#include "polling/readbacks.h"
#include "polling/replies.h"
#include "shell/uitext.h"
#include "views/headeritems.h"

using namespace vkz;

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

template <typename T>
void refusedIffShort(const T& result, Payload p, std::size_t need) {
  check(result.has_value() == (p.size() >= need));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const UiText texts = [] {
    UiText t;
    SetUiTextDefaults(t);
    return t;
  }();
  if (size < 3) return 0;
  const std::uint8_t code = data[0];
  const std::int64_t blockNo = (data[1] << 8) | data[2];
  std::vector<std::uint8_t> bytes(data + 3, data + size);
  Payload p(bytes.data(), bytes.size());

  const ReplyLayout layout = replyLayout(code);
  check(replyFitsLayout(code, p.size()) ==
        (layout.kind != ReplyKind::Unknown && p.size() >= layout.minLength));

  // Through the dispatch, as the decoder would.
  static RecordHeader header;
  static MeasurementData measurement;
  if (replyFitsLayout(code, p.size())) {
    switch (layout.kind) {
      case ReplyKind::LcdContrast:
        check(contrastListPosition(p).value() >= -1);
        break;
      case ReplyKind::Clock:
        if (auto c = decodeClock(p)) (void)clockLabelText(*c);
        break;
      case ReplyKind::MemoryListEntry:
        if (auto e = decodeMemoryListEntry(p)) (void)memoryListRowText(1, *e);
        break;
      case ReplyKind::RecordHeader: {
        auto r = DecodeRecordHeader(p, header);
        check(r.has_value());
        measurement.sizePointValues(static_cast<std::size_t>(r->recordCount));
        (void)SummaryFixedRows(header, SummaryLabelsOf(texts));
        HeaderItemStates all{};
        all.fill(1);
        (void)HeaderItemRows(all, header, texts);
        break;
      }
      case ReplyKind::DataBlock:
        if (auto b = DecodeDataBlock(blockNo, p, blockContextFrom(header), "dB")) {
          check(b->records.size() <= static_cast<std::size_t>(kRecordsPerBlock));
          StoreRecords(*b, measurement);
        }
        break;
      default:
        break;
    }
  }

  // And every decoding function on the same bytes, whatever the code.
  refusedIffShort(contrastListPosition(p), p, 1);
  refusedIffShort(apoListPosition(p), p, 1);
  refusedIffShort(onOffListPosition(p), p, 1);
  refusedIffShort(calibrationListPosition(p), p, kCalibrationLength);
  refusedIffShort(decodeInterval(p), p, kIntervalLength);
  refusedIffShort(decodeClock(p), p, kClockLength);
  refusedIffShort(decodeWelcomeText(p), p, kWelcomeTextLength);
  refusedIffShort(decodeMeterName(p), p, kMeterNameLength);
  refusedIffShort(decodeLunchTime(p), p, kLunchTimeLength);
  refusedIffShort(decodeDoseChannels(p), p, kDoseLength);
  refusedIffShort(decodeScreens(p), p, kScreensLength);
  refusedIffShort(decodeLedAlarm(p), p, kLedAlarmLength);
  refusedIffShort(decodeTimers(p), p, kTimersLength);
  refusedIffShort(decodeMemorySize(p), p, kMemorySizeLength);
  refusedIffShort(decodeMemoryListEntry(p), p, kMemoryListEntryLength);
  refusedIffShort(decodeMemoryListEnd(p), p, 1);
  refusedIffShort(writeAcknowledged(code, p), p, 1);
  refusedIffShort(resendTarget(p), p, 1);
  RecordHeader scratch;
  refusedIffShort(DecodeRecordHeader(p, scratch), p, kHeaderLength);
  if (auto s = decodeScreens(p))
    for (const auto& pos : s->positions) check(!pos || (*pos >= 0 && *pos <= 106));
  if (auto l = decodeLunchTime(p)) check(l->startHour <= 23 && l->stopMinute <= 59 && l->enable <= 1);
  return 0;
}
