// The meter itself, without the line: its settings, its clock, its memory of
// stored measurements, and the answer it gives to each request.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/measurements.h"
#include "emulator/protocol.h"

namespace vkz::emu {

// Every setting the meter keeps, in the wire form of its read-back reply.
struct Settings {
  std::uint8_t lcdContrast = 20;                           // 4..40 in steps of 4 (level x 4)
  std::uint8_t lcdApo = 4;                                 // 0 OFF, 5 s, 10 s, 20 s, 1 min, 5 min
  std::uint8_t pause = 0, keypadLock = 0, autoScroll = 0;  // 0 OFF, 1 ON
  // D1 OSHA-80 (80/90/5 dB, exceedance 105), D2 on with DOD (80/85/4),
  // D3 off with ISO-85 (70/85/3); every PW 8 h.
  std::array<std::uint8_t, 26> dose{0x00, 0x00, 0x50, 0x5A, 0x05, 0x69, 0x01, 0xE0, 0x01,
                                    0x04, 0x00, 0x50, 0x55, 0x04, 0x69, 0x01, 0xE0, 0x00,
                                    0x06, 0x01, 0x46, 0x55, 0x03, 0x69, 0x01, 0xE0};
  std::array<std::uint8_t, 36> screens = defaultScreens();  // page k: channel, upper, lower
  std::array<std::uint8_t, 45> ledAlarm = defaultLedAlarm();
  std::array<std::uint8_t, 130> timers = defaultTimers();
  std::array<std::uint8_t, 36> welcome = text<36>("  WELCOME   NOISE DOSE   DOSIMETER  ");
  std::array<std::uint8_t, 12> meterName = text<12>("VKZ00012345 ");
  std::uint16_t calibration = 940;  // 0.1 dB, 0 = OFF
  std::array<std::uint8_t, 7> lunchTime{0, 12, 0, 0, 13, 0, 0};
  std::uint32_t interval = 60;  // logging interval, seconds

  template <std::size_t N>
  static std::array<std::uint8_t, N> text(const char* s) {
    std::array<std::uint8_t, N> a;
    a.fill(' ');
    for (std::size_t i = 0; i < N && s[i]; ++i) a[i] = static_cast<std::uint8_t>(s[i]);
    return a;
  }
  static std::array<std::uint8_t, 36> defaultScreens();
  static std::array<std::uint8_t, 45> defaultLedAlarm();
  static std::array<std::uint8_t, 130> defaultTimers();
};

// What the meter answers. `handle` is given one well-formed request and
// returns the complete reply frame, or nothing when the meter stays silent.
class Meter {
 public:
  Meter();

  std::optional<Bytes> handle(std::uint8_t code, const Bytes& params, SteadyClock::time_point now);

  std::string model = "VKZ 418";
  Settings settings;
  std::array<std::uint8_t, 130> timerStaging{};  // the three timer frames land here first
  std::vector<StoredMeasurement> memory;
  std::uint32_t memoryTotal = 4194304;  // shown as a bare number by the program

  // The clock runs from the moment it was set.
  DateTime clock(SteadyClock::time_point now) const;
  void setClock(const DateTime& t, SteadyClock::time_point now);

  std::uint32_t memoryRemaining() const;
  // Resets the memory-list walk (as a new first-entry request does).
  void restartList();
  // Entry (1-based) whose blocks the data-block requests read; 0 = none.
  int currentEntry() const { return current_; }

 private:
  Bytes listEntry(std::size_t i) const;
  Bytes ack(std::uint8_t code, bool ok) const { return makeReply(code, {ok ? code : std::uint8_t{0}}); }

  long long clockBase_ = 0;  // meter seconds at clockAnchor_
  SteadyClock::time_point clockAnchor_{};
  std::size_t listPos_ = static_cast<std::size_t>(-1);  // no list walk started
  bool listEnded_ = true;
  int current_ = 0;
};

// Local date and time of the computer now.
DateTime localNow();

}  // namespace vkz::emu
