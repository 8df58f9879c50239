#include "link/frames.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "base/log.h"
#include "base/trtext.h"
#include "link/porttable.h"

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

// Builds and writes to the current port; what became of the write.
PortResult send(MeterLine line, std::uint8_t code, const std::vector<std::uint8_t>& params, int lengthByte,
                int surplus = 0) {
  const Frame f = BuildRequest(code, params, lengthByte, surplus);
  return WriteCurrentPort(line, f);
}

// A request refused before anything was built.
PortResult badValue(std::uint8_t code) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "%02X", code);
  const std::string text =
      fillText(trText("Port", "Request 0x%1 not sent: a value is outside its field."), {std::string(hex)});
  logWrite(LogArea::Link, LogLevel::Warning, text);
  return {PortStatus::BadValue, text};
}

PortResult sendPlain(MeterLine line, std::uint8_t code, int surplus = 0) {
  return send(line, code, {}, 1, surplus);
}

PortResult sendByte(MeterLine line, std::uint8_t code, double v) {
  const auto b = ValueToByte(v);
  if (!b) return badValue(code);
  return send(line, code, {*b}, 2);
}

PortResult sendBlock(MeterLine line, std::uint8_t code,
                     const std::optional<std::vector<std::uint8_t>>& params, int surplus = 0) {
  if (!params) return badValue(code);
  return send(line, code, *params, static_cast<int>(params->size()) + 1, surplus);
}

}  // namespace

std::string UnsentRequestText(const std::string& headline, const PortResult& r) {
  return r.error.empty() ? headline : headline + "\n" + r.error;
}

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

PortResult CmdReadModel(MeterLine line) {
  return sendPlain(line, 0x00);
}
PortResult CmdReadLcdContrast(MeterLine line) {
  return sendPlain(line, 0x01);
}
PortResult CmdReadClock(MeterLine line) {
  return sendPlain(line, 0x02);
}
PortResult CmdReadLcdApo(MeterLine line) {
  return sendPlain(line, 0x03);
}
PortResult CmdReadDoseSettings(MeterLine line) {
  return sendPlain(line, 0x04);
}
PortResult CmdReadScreens(MeterLine line) {
  return sendPlain(line, 0x05);
}
PortResult CmdReadPause(MeterLine line) {
  return sendPlain(line, 0x06);
}
PortResult CmdReadLedAlarm(MeterLine line) {
  return sendPlain(line, 0x07);
}
PortResult CmdReadKeypadLock(MeterLine line) {
  return sendPlain(line, 0x08);
}
PortResult CmdReadAutoScroll(MeterLine line) {
  return sendPlain(line, 0x09);
}
PortResult CmdReadTimers(MeterLine line) {
  return sendPlain(line, 0x0A);
}

PortResult CmdClearMemory(MeterLine line) {
  return sendPlain(line, 0x0B);
}
PortResult CmdReadMemoryListFirst(MeterLine line) {
  return sendPlain(line, 0x0C);
}
PortResult CmdReadMemoryListNext(MeterLine line) {
  return sendPlain(line, 0x0D);
}

PortResult CmdReadRecordHeader(MeterLine line, double entryNo) {
  return sendByte(line, 0x0E, entryNo);
}
PortResult CmdReadMemorySize(MeterLine line) {
  return sendPlain(line, 0x0F);
}
PortResult CmdReadWelcomeText(MeterLine line) {
  return sendPlain(line, 0x10);
}
PortResult CmdReadMeterName(MeterLine line) {
  return sendPlain(line, 0x11);
}

std::optional<Frame> DataBlockRequest(long long blockNo) {
  Packer p;
  p.word(blockNo, 65535);
  const auto params = p.result();
  if (!params) return std::nullopt;
  return BuildRequest(0x12, *params, static_cast<int>(params->size()) + 1);
}

PortResult CmdReadDataBlock(MeterLine line, long long blockNo) {
  const auto frame = DataBlockRequest(blockNo);
  if (!frame) return badValue(0x12);
  return WriteCurrentPort(line, *frame);
}

// The meter reads these three requests as seven bytes.
PortResult CmdReadCalibration(MeterLine line) {
  return sendPlain(line, 0x13, 2);
}
PortResult CmdReadLunchTime(MeterLine line) {
  return sendPlain(line, 0x14, 2);
}
PortResult CmdReadIntervalTime(MeterLine line) {
  return sendPlain(line, 0x15, 2);
}

PortResult CmdWriteLcdContrast(MeterLine line, double code) {
  return sendByte(line, 0x81, code);
}
PortResult CmdWriteClock(MeterLine line, const MeterClock& clock) {
  return sendBlock(line, 0x82, PackClock(clock));
}
PortResult CmdWriteLcdApo(MeterLine line, double choice) {
  return sendByte(line, 0x83, choice);
}
PortResult CmdWriteDoseSettings(MeterLine line, const DoseSetting& dose) {
  return sendBlock(line, 0x84, PackDoseSetting(dose));
}
PortResult CmdWriteScreens(MeterLine line, const ScreenBytes& screens) {
  return sendBlock(line, 0x85, PackScreens(screens));
}
PortResult CmdWritePause(MeterLine line, double onOff) {
  return sendByte(line, 0x86, onOff);
}
PortResult CmdWriteLedAlarm(MeterLine line, const LedAlarmSetting& alarm) {
  return sendBlock(line, 0x87, PackLedAlarm(alarm));
}
PortResult CmdWriteKeypadLock(MeterLine line, double onOff) {
  return sendByte(line, 0x88, onOff);
}
PortResult CmdWriteAutoScroll(MeterLine line, double onOff) {
  return sendByte(line, 0x89, onOff);
}
PortResult CmdWriteTimers1(MeterLine line, const TimerSetting& timers) {
  return sendBlock(line, 0x8A, PackTimers(timers, 1));
}
PortResult CmdWriteTimers2(MeterLine line, const TimerSetting& timers) {
  return sendBlock(line, 0x8B, PackTimers(timers, 2));
}
PortResult CmdWriteTimers3(MeterLine line, const TimerSetting& timers) {
  return sendBlock(line, 0x8C, PackTimers(timers, 3));
}

PortResult CmdWriteWelcomeText(MeterLine line, const std::vector<std::uint8_t>& text) {
  // The meter expects the length byte one above the bytes that follow it;
  // the checksum then takes in its own (still zero) position.
  if (text.size() + 2 > 255) return badValue(0x8D);
  return send(line, 0x8D, text, static_cast<int>(text.size()) + 2);
}

PortResult CmdWriteMeterName(MeterLine line, const std::vector<std::uint8_t>& name) {
  if (name.size() != 11) return badValue(0x8E);
  return send(line, 0x8E, name, 0x0C);
}

PortResult CmdWriteCalibration(MeterLine line, double levelTimesTen) {
  if (!std::isfinite(levelTimesTen)) return badValue(0x8F);
  Packer p;
  p.word(static_cast<long long>(std::nearbyint(std::fmax(-1.0, std::fmin(levelTimesTen, 1e9)))));
  return sendBlock(line, 0x8F, p.result());
}

PortResult CmdWriteLunchTime(MeterLine line, const LunchTimeBytes& lunch) {
  return sendBlock(line, 0x90, PackLunchTime(lunch), 1);
}

PortResult CmdWriteIntervalTime(MeterLine line, long long seconds) {
  if (seconds < 0 || seconds > std::numeric_limits<std::int32_t>::max()) return badValue(0x91);
  const auto v = static_cast<std::uint32_t>(seconds);
  // The meter takes the logging interval low byte first.
  return send(line, 0x91,
              {static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>((v >> 8) & 0xFF),
               static_cast<std::uint8_t>((v >> 16) & 0xFF), static_cast<std::uint8_t>(v >> 24)},
              5, 4);
}

}  // namespace vkz
