#include "emulator/meter.h"

#include <algorithm>
#include <ctime>

namespace vkz::emu {

std::array<std::uint8_t, 36> Settings::defaultScreens() {
  // Meter pages 3..14: dose channel, upper-line and lower-line quantity code.
  static const std::uint8_t pages[12][3] = {{0, 13, 15}, {0, 17, 21},   {0, 1, 32},  {1, 13, 15},
                                            {1, 14, 16}, {2, 13, 15},   {0, 19, 20}, {0, 22, 23},
                                            {0, 30, 31}, {0, 102, 103}, {0, 12, 11}, {0, 10, 0}};
  std::array<std::uint8_t, 36> a{};
  for (int k = 0; k < 12; ++k)
    for (int j = 0; j < 3; ++j) a[3 * k + j] = pages[k][j];
  return a;
}

std::array<std::uint8_t, 45> Settings::defaultLedAlarm() {
  // LAS, LAEQ, LCPK, LZPK, LAVG, TWA, PTWA, LEPd, PLEPd, LEX8H, PLEX8H
  static const int upper[11] = {115, 115, 140, 140, 115, 90, 90, 90, 90, 90, 90};
  std::array<std::uint8_t, 45> a{};
  a[0] = 0;  // alarm off
  for (int q = 0; q < 11; ++q) {
    a[1 + 4 * q] = 0;
    a[2 + 4 * q] = static_cast<std::uint8_t>(upper[q]);
    a[3 + 4 * q] = 0;
    a[4 + 4 * q] = 70;
  }
  return a;
}

std::array<std::uint8_t, 130> Settings::defaultTimers() {
  std::array<std::uint8_t, 130> a{};
  a[0] = 0;                  // manual start and stop
  a[1] = 0x07, a[2] = 0xE0;  // delayed start 2016-04-01 04:01
  a[3] = 4, a[4] = 1, a[5] = 4, a[6] = 1;
  a[11] = 4, a[12] = 1;  // repeat start 04:01
  a[17] = 1;             // one run
  return a;
}

DateTime localNow() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

Meter::Meter() {
  setClock(localNow(), SteadyClock::now());
}

DateTime Meter::clock(SteadyClock::time_point now) const {
  const auto run = std::chrono::duration_cast<std::chrono::seconds>(now - clockAnchor_).count();
  return DateTime::fromSeconds(clockBase_ + run);
}

void Meter::setClock(const DateTime& t, SteadyClock::time_point now) {
  clockBase_ = t.toSeconds();
  clockAnchor_ = now;
}

std::uint32_t Meter::memoryRemaining() const {
  unsigned long long used = 0;
  for (const StoredMeasurement& m : memory) used += hdr::Size + 8ULL * m.records.size();
  return used >= memoryTotal ? 0 : static_cast<std::uint32_t>(memoryTotal - used);
}

void Meter::restartList() {
  listPos_ = 0;
  listEnded_ = false;
}

Bytes Meter::listEntry(std::size_t i) const {
  const DateTime& s = memory[i].info.start;
  return {static_cast<std::uint8_t>(s.year >> 8),  static_cast<std::uint8_t>(s.year & 0xFF),
          static_cast<std::uint8_t>(s.month),      static_cast<std::uint8_t>(s.day),
          static_cast<std::uint8_t>(s.hour),       static_cast<std::uint8_t>(s.minute),
          static_cast<std::uint8_t>(s.second),     static_cast<std::uint8_t>(i + 1),
          static_cast<std::uint8_t>(memory.size())};
}

namespace {

template <std::size_t N>
Bytes bytesOf(const std::array<std::uint8_t, N>& a) {
  return Bytes(a.begin(), a.end());
}

template <std::size_t N>
void copyInto(std::array<std::uint8_t, N>& a, const Bytes& p, std::size_t at = 0) {
  for (std::size_t i = 0; i < p.size() && at + i < N; ++i) a[at + i] = p[i];
}

bool calibrationLevel(unsigned v) {
  return v == 0 || (v >= 930 && v <= 959) || (v >= 1130 && v <= 1159);
}

}  // namespace

std::optional<Bytes> Meter::handle(std::uint8_t code, const Bytes& p, SteadyClock::time_point now) {
  Settings& s = settings;
  switch (code) {
    case cmd::ReadModel:
      return makeReply(code, Bytes(model.begin(), model.end()));
    case cmd::ReadLcdContrast:
      return makeReply(code, {s.lcdContrast});
    case cmd::ReadClock: {
      const DateTime t = clock(now);
      return makeReply(code, {static_cast<std::uint8_t>(t.year >> 8),
                              static_cast<std::uint8_t>(t.year & 0xFF), static_cast<std::uint8_t>(t.month),
                              static_cast<std::uint8_t>(t.day), static_cast<std::uint8_t>(t.hour),
                              static_cast<std::uint8_t>(t.minute), static_cast<std::uint8_t>(t.second)});
    }
    case cmd::ReadLcdApo:
      return makeReply(code, {s.lcdApo});
    case cmd::ReadDoseSettings:
      return makeReply(code, bytesOf(s.dose));
    case cmd::ReadScreens:
      return makeReply(code, bytesOf(s.screens));
    case cmd::ReadPause:
      return makeReply(code, {s.pause});
    case cmd::ReadLedAlarm:
      return makeReply(code, bytesOf(s.ledAlarm));
    case cmd::ReadKeypadLock:
      return makeReply(code, {s.keypadLock});
    case cmd::ReadAutoScroll:
      return makeReply(code, {s.autoScroll});
    case cmd::ReadTimers:
      return makeReply(code, bytesOf(s.timers));
    case cmd::ClearMemory:
      memory.clear();
      current_ = 0;
      listPos_ = static_cast<std::size_t>(-1);
      listEnded_ = true;
      return makeReply(code, {code});

    case cmd::ReadMemoryListFirst:
      restartList();
      if (memory.empty()) return makeReply(cmd::MemoryListEnd, {code});
      listPos_ = 1;
      return makeReply(code, listEntry(0));
    case cmd::ReadMemoryListNext:
      // The program asks for the next entry more often than it needs to (its
      // list wait repeats the request after every entry): hand out entries
      // in order, report the end once, and let further requests go unanswered
      // until the list is started again.
      if (listPos_ < memory.size()) return makeReply(code, listEntry(listPos_++));
      if (listEnded_) return std::nullopt;
      listEnded_ = true;
      return makeReply(cmd::MemoryListEnd, {code});

    case cmd::ReadRecordHeader: {
      const int entry = p.empty() ? 0 : p[0];
      if (entry < 1 || static_cast<std::size_t>(entry) > memory.size()) return std::nullopt;
      current_ = entry;
      const Header& h = memory[static_cast<std::size_t>(entry - 1)].header;
      return makeReply(code, Bytes(h.begin(), h.end()));
    }
    case cmd::ReadMemorySize: {
      const std::uint32_t t = memoryTotal, r = memoryRemaining();
      return makeReply(code, {static_cast<std::uint8_t>(t >> 24), static_cast<std::uint8_t>(t >> 16),
                              static_cast<std::uint8_t>(t >> 8), static_cast<std::uint8_t>(t),
                              static_cast<std::uint8_t>(r >> 24), static_cast<std::uint8_t>(r >> 16),
                              static_cast<std::uint8_t>(r >> 8), static_cast<std::uint8_t>(r)});
    }
    case cmd::ReadWelcomeText:
      return makeReply(code, bytesOf(s.welcome));
    case cmd::ReadMeterName:
      return makeReply(code, bytesOf(s.meterName));
    case cmd::ReadDataBlock: {
      const unsigned block = p.size() >= 2 ? static_cast<unsigned>(p[0] << 8 | p[1]) : 0;
      if (current_ < 1 || static_cast<std::size_t>(current_) > memory.size()) return makeReply(code, {});
      return makeReply(code, blockPayload(memory[static_cast<std::size_t>(current_ - 1)].records, block));
    }
    case cmd::ReadCalibration:
      return makeReply(code, {static_cast<std::uint8_t>(s.calibration >> 8),
                              static_cast<std::uint8_t>(s.calibration & 0xFF)});
    case cmd::ReadLunchTime:
      return makeReply(code, bytesOf(s.lunchTime));
    case cmd::ReadIntervalTime:
      return makeReply(
          code, {static_cast<std::uint8_t>(s.interval), static_cast<std::uint8_t>(s.interval >> 8),
                 static_cast<std::uint8_t>(s.interval >> 16), static_cast<std::uint8_t>(s.interval >> 24)});

    // Writes: the meter takes values inside its ranges and refuses others.
    case cmd::WriteLcdContrast: {
      const bool ok = p[0] >= 4 && p[0] <= 40 && p[0] % 4 == 0;
      if (ok) s.lcdContrast = p[0];
      return ack(code, ok);
    }
    case cmd::WriteClock: {
      const DateTime t{p[0] << 8 | p[1], p[2], p[3], p[4], p[5], p[6]};
      if (!t.valid()) return ack(code, false);
      setClock(t, now);
      return ack(code, true);
    }
    case cmd::WriteLcdApo:
      if (p[0] > 5) return ack(code, false);
      s.lcdApo = p[0];
      return ack(code, true);
    case cmd::WritePause:
    case cmd::WriteKeypadLock:
    case cmd::WriteAutoScroll: {
      if (p[0] > 1) return ack(code, false);
      (code == cmd::WritePause ? s.pause : code == cmd::WriteKeypadLock ? s.keypadLock : s.autoScroll) = p[0];
      return ack(code, true);
    }
    case cmd::WriteDoseSettings:
      copyInto(s.dose, p);
      return ack(code, true);
    case cmd::WriteScreens:
      copyInto(s.screens, p);
      return ack(code, true);
    case cmd::WriteLedAlarm:
      copyInto(s.ledAlarm, p);
      return ack(code, true);
    case cmd::WriteTimers1:
      copyInto(timerStaging, p, 0);
      return ack(code, true);
    case cmd::WriteTimers2:
      copyInto(timerStaging, p, 46);
      return ack(code, true);
    case cmd::WriteTimers3:
      // The third frame completes the timer image; only now does it count.
      copyInto(timerStaging, p, 95);
      s.timers = timerStaging;
      return ack(code, true);
    case cmd::WriteWelcomeText:
      s.welcome.fill(' ');
      copyInto(s.welcome, p);
      return ack(code, true);
    case cmd::WriteMeterName:
      copyInto(s.meterName, p);
      return ack(code, true);
    case cmd::WriteCalibration: {
      const unsigned v = static_cast<unsigned>(p[0] << 8 | p[1]);
      if (!calibrationLevel(v)) return ack(code, false);
      s.calibration = static_cast<std::uint16_t>(v);
      return ack(code, true);
    }
    case cmd::WriteLunchTime:
      if (p[0] > 1 || p[1] > 23 || p[2] > 59 || p[4] > 23 || p[5] > 59) return ack(code, false);
      copyInto(s.lunchTime, p);
      return ack(code, true);
    case cmd::WriteIntervalTime: {
      const std::uint32_t v =
          static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<std::uint32_t>(p[3]) << 24;
      if (v != 60 && v != 300 && v != 600 && v != 1800 && v != 3600 && v != 7200) return ack(code, false);
      s.interval = v;
      return ack(code, true);
    }
    default:
      return std::nullopt;
  }
}

}  // namespace vkz::emu
