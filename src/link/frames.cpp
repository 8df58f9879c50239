#include "link/frames.h"

#include <cmath>
#include <limits>

#include "link/porttable.h"
#include "polling/pollstate.h"

namespace vkz {
namespace {

// Collects parameter bytes; any value outside its field spoils the block.
class Packer {
 public:
  void byte(long long v) {
    if (v < 0 || v > 255) ok_ = false;
    out_.push_back(static_cast<std::uint8_t>(v & 0xFF));
  }
  // 16-bit signed field: 0..32767 on the line (negative values are refused).
  void word(long long v, long long max = 32767) {
    if (v < 0 || v > max) ok_ = false;
    out_.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    out_.push_back(static_cast<std::uint8_t>(v & 0xFF));
  }
  // 32-bit signed field, high byte first.
  void dword(long long v) {
    if (v < 0 || v > std::numeric_limits<std::int32_t>::max()) ok_ = false;
    for (int shift = 24; shift >= 0; shift -= 8)
      out_.push_back(static_cast<std::uint8_t>((v >> shift) & 0xFF));
  }
  std::optional<std::vector<std::uint8_t>> result() const {
    if (!ok_) return std::nullopt;
    return out_;
  }

 private:
  std::vector<std::uint8_t> out_;
  bool ok_ = true;
};

void pcRow(Packer& p, const TimerSetting& t, std::size_t r) {
  p.byte(t.PcStartHour[r]);
  p.byte(t.PcStartMinute[r]);
  p.dword(t.PcDuration[r]);
  p.byte(t.PcEnable[r]);
}

// Builds, writes to the current port, and reports true.
bool send(std::uint8_t code, const std::vector<std::uint8_t>& params, int lengthByte, int surplus = 0) {
  const Frame f = BuildRequest(code, params, lengthByte, surplus);
  WriteCurrentPort(PortApi(), f);
  return true;
}

bool sendPlain(std::uint8_t code, int surplus = 0) {
  return send(code, {}, 1, surplus);
}

bool sendByte(std::uint8_t code, double v) {
  const auto b = ValueToByte(v);
  if (!b) return false;
  return send(code, {*b}, 2);
}

bool sendBlock(std::uint8_t code, const std::optional<std::vector<std::uint8_t>>& params, int surplus = 0) {
  if (!params) return false;
  return send(code, *params, static_cast<int>(params->size()) + 1, surplus);
}

}  // namespace

Frame BuildRequest(std::uint8_t code, const std::vector<std::uint8_t>& params, int lengthByte, int surplus) {
  Frame f(4 + params.size() + 1 + static_cast<std::size_t>(surplus < 0 ? 0 : surplus), 0);
  f[0] = 0x02;
  f[1] = 0x00;
  f[2] = static_cast<std::uint8_t>(lengthByte);
  f[3] = code;
  for (std::size_t i = 0; i < params.size(); ++i) f[4 + i] = params[i];
  const int sum = FrameChecksum(f);
  f[4 + params.size()] = static_cast<std::uint8_t>(sum < 0 ? 0 : sum);
  return f;
}

std::optional<std::uint8_t> ValueToByte(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  const double r = std::nearbyint(v);  // half to even under the default rounding mode
  if (r < 0.0 || r > 255.0) return std::nullopt;
  return static_cast<std::uint8_t>(r);
}

std::optional<std::vector<std::uint8_t>> PackClock(const MeterClock& c) {
  Packer p;
  p.word(c.ClockYear);
  p.byte(c.ClockMonth);
  p.byte(c.ClockDay);
  p.byte(c.ClockHour);
  p.byte(c.ClockMinute);
  p.byte(c.ClockSecond);
  return p.result();
}

std::optional<std::vector<std::uint8_t>> PackDoseSetting(const DoseSetting& d) {
  Packer p;
  // Channel 1 has no enable byte: it always runs.
  for (int v : {d.Meter1Stand, d.Meter1TW, d.Meter1T, d.Meter1Q, d.Meter1ER, d.Meter1Exceed}) p.byte(v);
  p.word(d.Meter1PW);
  for (int v : {d.Meter2En, d.Meter2Stand, d.Meter2TW, d.Meter2T, d.Meter2Q, d.Meter2ER, d.Meter2Exceed})
    p.byte(v);
  p.word(d.Meter2PW);
  for (int v : {d.Meter3En, d.Meter3Stand, d.Meter3TW, d.Meter3T, d.Meter3Q, d.Meter3ER, d.Meter3Exceed})
    p.byte(v);
  p.word(d.Meter3PW);
  return p.result();
}

std::optional<std::vector<std::uint8_t>> PackScreens(const ScreenBytes& s) {
  // The record is kept column-wise (channels, upper lines, lower lines);
  // the meter takes it page by page.
  Packer p;
  for (std::size_t k = 0; k < 12; ++k) {
    p.byte(s[k]);
    p.byte(s[12 + k]);
    p.byte(s[24 + k]);
  }
  return p.result();
}

std::optional<std::vector<std::uint8_t>> PackLedAlarm(const LedAlarmSetting& a) {
  Packer p;
  p.byte(a.AlarmEnable);
  for (std::size_t q = 0; q < 11; ++q) {  // element 11 is not sent
    p.word(a.AlarmUpper[q]);
    p.word(a.AlarmLower[q]);
  }
  return p.result();
}

std::optional<std::vector<std::uint8_t>> PackTimers(const TimerSetting& t, int part) {
  // The three frames carry, in order, the 130 bytes the meter gives back
  // for a timer read: an 18-byte header and 16 PC rows of 7.
  Packer p;
  std::size_t first = 0, last = 0;
  switch (part) {
    case 1:
      p.byte(t.TimerMode);
      p.word(t.DelayYear);
      p.byte(t.DelayMonth);
      p.byte(t.DelayDay);
      p.byte(t.DelayHour);
      p.byte(t.DelayMinute);
      p.dword(t.DelayDuration);
      p.byte(t.RepeatStartHour);
      p.byte(t.RepeatStartMinute);
      p.dword(t.RepeatDuration);
      p.byte(t.RepeatCount);
      first = 0;
      last = 3;
      break;
    case 2:
      first = 4;
      last = 10;
      break;
    case 3:
      first = 11;
      last = 15;
      break;
    default:
      return std::nullopt;
  }
  for (std::size_t r = first; r <= last; ++r) pcRow(p, t, r);
  return p.result();
}

std::optional<std::vector<std::uint8_t>> PackLunchTime(const LunchTimeBytes& l) {
  Packer p;
  for (int v : l) p.byte(v);
  return p.result();
}

bool CmdReadModel() {
  return sendPlain(0x00);
}
bool CmdReadLcdContrast() {
  return sendPlain(0x01);
}
bool CmdReadClock() {
  return sendPlain(0x02);
}
bool CmdReadLcdApo() {
  return sendPlain(0x03);
}
bool CmdReadDoseSettings() {
  return sendPlain(0x04);
}
bool CmdReadScreens() {
  return sendPlain(0x05);
}
bool CmdReadPause() {
  return sendPlain(0x06);
}
bool CmdReadLedAlarm() {
  return sendPlain(0x07);
}
bool CmdReadKeypadLock() {
  return sendPlain(0x08);
}
bool CmdReadAutoScroll() {
  return sendPlain(0x09);
}
bool CmdReadTimers() {
  return sendPlain(0x0A);
}

bool CmdClearMemory() {
  // Marked before the write: the write lets the event loop turn, and a meter
  // that is quick to erase answers while it is still under way; marking it
  // after would undo the erase reply and refuse every action from then on.
  Polling().MemoryErasing = -1;
  sendPlain(0x0B);
  return true;
}

bool CmdReadMemoryListFirst() {
  Polling().MemInfoPending = -1;  // before the write, as for the erase
  sendPlain(0x0C);
  return true;
}

bool CmdReadMemoryListNext() {
  Polling().MemInfoPending = -1;  // before the write, as for the erase
  sendPlain(0x0D);
  return true;
}

bool CmdReadRecordHeader(double entryNo) {
  return sendByte(0x0E, entryNo);
}
bool CmdReadMemorySize() {
  return sendPlain(0x0F);
}
bool CmdReadWelcomeText() {
  return sendPlain(0x10);
}
bool CmdReadMeterName() {
  return sendPlain(0x11);
}

bool CmdReadDataBlock(long long blockNo) {
  Packer p;
  p.word(blockNo, 65535);
  return sendBlock(0x12, p.result());
}

// The meter reads these three requests as seven bytes.
bool CmdReadCalibration() {
  return sendPlain(0x13, 2);
}
bool CmdReadLunchTime() {
  return sendPlain(0x14, 2);
}
bool CmdReadIntervalTime() {
  return sendPlain(0x15, 2);
}

bool CmdWriteLcdContrast(double code) {
  return sendByte(0x81, code);
}
bool CmdWriteClock(const MeterClock& clock) {
  return sendBlock(0x82, PackClock(clock));
}
bool CmdWriteLcdApo(double choice) {
  return sendByte(0x83, choice);
}
bool CmdWriteDoseSettings(const DoseSetting& dose) {
  return sendBlock(0x84, PackDoseSetting(dose));
}
bool CmdWriteScreens(const ScreenBytes& screens) {
  return sendBlock(0x85, PackScreens(screens));
}
bool CmdWritePause(double onOff) {
  return sendByte(0x86, onOff);
}
bool CmdWriteLedAlarm(const LedAlarmSetting& alarm) {
  return sendBlock(0x87, PackLedAlarm(alarm));
}
bool CmdWriteKeypadLock(double onOff) {
  return sendByte(0x88, onOff);
}
bool CmdWriteAutoScroll(double onOff) {
  return sendByte(0x89, onOff);
}
bool CmdWriteTimers1(const TimerSetting& timers) {
  return sendBlock(0x8A, PackTimers(timers, 1));
}
bool CmdWriteTimers2(const TimerSetting& timers) {
  return sendBlock(0x8B, PackTimers(timers, 2));
}
bool CmdWriteTimers3(const TimerSetting& timers) {
  return sendBlock(0x8C, PackTimers(timers, 3));
}

bool CmdWriteWelcomeText(const std::vector<std::uint8_t>& text) {
  // The meter expects the length byte one above the bytes that follow it;
  // the checksum then takes in its own (still zero) position.
  if (text.size() + 2 > 255) return false;
  return send(0x8D, text, static_cast<int>(text.size()) + 2);
}

bool CmdWriteMeterName(const std::vector<std::uint8_t>& name) {
  if (name.size() != 11) return false;
  return send(0x8E, name, 0x0C);
}

bool CmdWriteCalibration(double levelTimesTen) {
  if (!std::isfinite(levelTimesTen)) return false;
  Packer p;
  p.word(static_cast<long long>(std::nearbyint(std::fmax(-1.0, std::fmin(levelTimesTen, 1e9)))));
  return sendBlock(0x8F, p.result());
}

bool CmdWriteLunchTime(const LunchTimeBytes& lunch) {
  return sendBlock(0x90, PackLunchTime(lunch), 1);
}

bool CmdWriteIntervalTime(long long seconds) {
  if (seconds < 0 || seconds > std::numeric_limits<std::int32_t>::max()) return false;
  const auto v = static_cast<std::uint32_t>(seconds);
  // The meter takes the logging interval low byte first.
  return send(0x91,
              {static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>((v >> 8) & 0xFF),
               static_cast<std::uint8_t>((v >> 16) & 0xFF), static_cast<std::uint8_t>(v >> 24)},
              5, 4);
}

}  // namespace vkz
