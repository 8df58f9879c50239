// The reply codes the meter sends and the payload each one carries. The
// decoder looks a frame's code up here first: the table says what the reply
// is, how the decoder treats a value that does not fit a list, and how many
// payload bytes its layout needs. A reply shorter than its layout is dropped
// whole (see replyFitsLayout) rather than decoded from stale bytes.
#pragma once
#include <cstddef>
#include <cstdint>

namespace vkz {

enum class ReplyKind {
  Model,            // 0x00 identification: the model text
  LcdContrast,      // 0x01
  Clock,            // 0x02
  LcdApo,           // 0x03 LCD auto power-off
  DoseChannels,     // 0x04
  Screens,          // 0x05
  Pause,            // 0x06
  LedAlarm,         // 0x07
  KeypadLock,       // 0x08
  AutoScroll,       // 0x09
  Timers,           // 0x0A
  MemoryErased,     // 0x0B
  MemoryListEntry,  // 0x0C first entry, 0x0D further entries
  RecordHeader,     // 0x0E
  MemorySize,       // 0x0F
  WelcomeText,      // 0x10
  MeterName,        // 0x11
  DataBlock,        // 0x12
  Calibration,      // 0x13
  LunchTime,        // 0x14
  Interval,         // 0x15
  WriteAck,         // 0x81 .. 0x91, the code of the write echoed
  ResendRequest,    // 0x55
  MemoryListEnd,    // 0xFF
  Unknown,          // any other code: ignored
};

// What a read-back does when a value has no place in its list.
enum class ErrorRegime {
  Skip,                        // leave that one control, go on with the next
  FirstItemAndStop,            // the one-value list shows its first item; done
  Stop,                        // the reply ends there; what was set stays
  EnableListFirstItemAndStop,  // LED alarm: the enable list shows OFF; done
};

struct ReplyLayout {
  ReplyKind kind = ReplyKind::Unknown;
  // Payload bytes the layout reads. A data block has no fixed size (the
  // last block is shorter); its decoder checks the records it needs.
  std::size_t minLength = 0;
  ErrorRegime regime = ErrorRegime::Skip;
  const char* name = "unknown";
};

// The layout of a reply code (ReplyKind::Unknown for codes the meter does
// not send; such frames are ignored).
ReplyLayout replyLayout(std::uint8_t code);

// False when the payload is shorter than the layout of its code: the frame
// is then dropped whole. Unknown codes never fit.
bool replyFitsLayout(std::uint8_t code, std::size_t payloadLength);

// Payload sizes of the fixed layouts.
inline constexpr std::size_t kClockLength = 7;
inline constexpr std::size_t kDoseLength = 26;
inline constexpr std::size_t kScreensLength = 36;
inline constexpr std::size_t kLedAlarmLength = 45;
inline constexpr std::size_t kTimersLength = 130;
inline constexpr std::size_t kMemoryListEntryLength = 9;
inline constexpr std::size_t kHeaderLength = 536;
inline constexpr std::size_t kMemorySizeLength = 8;
inline constexpr std::size_t kWelcomeTextLength = 36;
inline constexpr std::size_t kMeterNameLength = 12;
inline constexpr std::size_t kLunchTimeLength = 7;
inline constexpr std::size_t kCalibrationLength = 2;
inline constexpr std::size_t kIntervalLength = 4;
inline constexpr std::size_t kRecordLength = 8;
inline constexpr int kRecordsPerBlock = 10;

}  // namespace vkz
