#include "polling/replies.h"

#include "base/cp1252.h"
#include "polling/payload.h"

namespace vkz {

ReplyLayout replyLayout(std::uint8_t code) {
  using K = ReplyKind;
  using R = ErrorRegime;
  switch (code) {
    case 0x00:
      return {K::Model, 0, R::Skip, "model"};
    case 0x01:
      return {K::LcdContrast, 1, R::FirstItemAndStop, "LCD contrast"};
    case 0x02:
      return {K::Clock, kClockLength, R::Skip, "clock"};
    case 0x03:
      return {K::LcdApo, 1, R::FirstItemAndStop, "LCD auto power-off"};
    case 0x04:
      return {K::DoseChannels, kDoseLength, R::Skip, "dose channels"};
    case 0x05:
      return {K::Screens, kScreensLength, R::Stop, "screens"};
    case 0x06:
      return {K::Pause, 1, R::FirstItemAndStop, "pause"};
    case 0x07:
      return {K::LedAlarm, kLedAlarmLength, R::EnableListFirstItemAndStop, "LED alarm"};
    case 0x08:
      return {K::KeypadLock, 1, R::FirstItemAndStop, "keypad lock"};
    case 0x09:
      return {K::AutoScroll, 1, R::FirstItemAndStop, "auto scroll"};
    case 0x0A:
      return {K::Timers, kTimersLength, R::Stop, "timers"};
    case 0x0B:
      return {K::MemoryErased, 0, R::Skip, "memory erased"};
    case 0x0C:
    case 0x0D:
      return {K::MemoryListEntry, kMemoryListEntryLength, R::Skip, "memory list entry"};
    case 0x0E:
      return {K::RecordHeader, kHeaderLength, R::Skip, "record header"};
    case 0x0F:
      return {K::MemorySize, kMemorySizeLength, R::Skip, "memory size"};
    case 0x10:
      return {K::WelcomeText, kWelcomeTextLength, R::Skip, "welcome text"};
    case 0x11:
      return {K::MeterName, kMeterNameLength, R::Skip, "meter name"};
    case 0x12:
      return {K::DataBlock, 0, R::Skip, "data block"};
    case 0x13:
      return {K::Calibration, kCalibrationLength, R::Skip, "calibration"};
    case 0x14:
      return {K::LunchTime, kLunchTimeLength, R::Skip, "lunch time"};
    case 0x15:
      return {K::Interval, kIntervalLength, R::Skip, "logging interval"};
    case 0x55:
      return {K::ResendRequest, 1, R::Skip, "resend request"};
    case 0xFF:
      return {K::MemoryListEnd, 1, R::Skip, "end of memory list"};
    default:
      break;
  }
  if (code >= 0x81 && code <= 0x91) return {K::WriteAck, 1, R::Skip, "write acknowledgement"};
  return {};
}

bool replyFitsLayout(std::uint8_t code, std::size_t payloadLength) {
  ReplyLayout l = replyLayout(code);
  return l.kind != ReplyKind::Unknown && payloadLength >= l.minLength;
}

std::string payloadText(Payload p, std::size_t at, std::size_t count) {
  std::string bytes;
  for (std::size_t i = at; i < at + count && i < p.size(); ++i)
    if (p[i] != 0) bytes += static_cast<char>(p[i]);
  return cp1252ToUtf8(bytes);
}

}  // namespace vkz
