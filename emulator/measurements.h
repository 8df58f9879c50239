// Stored measurements of the emulated meter: the logged records, the 536-byte
// summary header the meter computes from them, and a generator of realistic
// shifts of noise exposure.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "emulator/protocol.h"

namespace vkz::emu {

// A civil date and time as the meter keeps it (no time zone).
struct DateTime {
  int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;

  bool valid() const;
  // Seconds since 0000-03-01-style epoch arithmetic: 1970-01-01 00:00:00 is 0.
  long long toSeconds() const;
  static DateTime fromSeconds(long long s);
  DateTime plusSeconds(long long s) const { return fromSeconds(toSeconds() + s); }
  bool operator==(const DateTime&) const = default;
};

// One logged record: four little-endian words on the line. Bit 15 of the
// first word flags a record logged while the meter was paused; its other 15
// bits are LAVG. The other words use all 16 bits. Levels in 0.1 dB, 0 = none.
struct Record {
  std::uint16_t w0 = 0, leq = 0, lcpk = 0, lzpk = 0;

  bool paused() const { return (w0 & 0x8000) != 0; }
  std::uint16_t lavg() const { return w0 & 0x7FFF; }
  static Record make(double lavgDb, double leqDb, double lcpkDb, double lzpkDb, bool paused = false);
  bool operator==(const Record&) const = default;
};

// Header offsets the tests and the generator share (little-endian fields).
namespace hdr {
constexpr int Size = 536;
constexpr int Start = 0;         // year(2) month day hour minute second
constexpr int StopTime = 7;      // + 3 ch: hour minute second
constexpr int StopDate = 16;     // + 4 ch: year(2) month day
constexpr int PageChannel = 28;  // 14 bytes
constexpr int Threshold = 43, Criterion = 46, ExchangeRate = 49, ExceedLevel = 52;  // + ch
constexpr int PwMinutes = 56;                                                       // + 4 ch, 32 bits
constexpr int Duration = 68;                                                        // 32 bits, seconds
constexpr int Interval = 72;                                                        // 32 bits, seconds
constexpr int ExceedTime = 76, ExceedStop = 88;                                     // + 4 ch, seconds
constexpr int Dose = 100, PDose = 112;                                              // + 4 ch, 0.1 %
constexpr int EA = 124, EC = 136, EZ = 148;                                         // + 4 ch, Pa2s
constexpr int EXPs = 160;                                                           // + 4 ch, 0.1 Pa2s
constexpr int MaxTime = 172, MinTime = 176;                                         // + 8 k, seconds
constexpr int TWA = 244, PTWA = 250, LAVG = 256, LEPd = 262, PLEPd = 268, LAEQ = 274, LCEQ = 280, LZEQ = 286,
              LAE = 292, LCE = 298, LZE = 304, PKC = 310, PKZ = 316, PKA = 322, LEX8H = 328, PLEX8H = 334,
              EXPh = 340;            // + 2 ch
constexpr int Max = 358, Min = 360;  // + 4 k
constexpr int L05 = 394, LAEQ05 = 412, L10 = 414, LAEQ10 = 432, L50 = 434, LAEQ50 = 452, L90 = 454,
              LAEQ90 = 472, L95 = 474, LAEQ95 = 492;  // Lxx + 2 k
constexpr int LIEQ = 506;                             // + 2 j: LAIEQ, LCIEQ, LZIEQ
constexpr int LAFTM5 = 512, LAFTM3 = 514;
constexpr int HML = 516, Ti = 522;  // + 2 ch
constexpr int Ki = 528;
constexpr int RecordCount = 532;
}  // namespace hdr

using Header = std::array<std::uint8_t, hdr::Size>;

// What a measurement was taken with, besides its records.
struct MeasurementInfo {
  DateTime start{2024, 5, 6, 7, 30, 0};
  std::uint32_t interval = 60;  // logging interval, seconds
  // Dose channels in the 26-byte wire form of the dose settings; all zero
  // means "the meter's settings at the time" when added to the emulator.
  std::array<std::uint8_t, 26> dose{};
  std::array<std::uint8_t, 14> pageChannels{};
};

struct StoredMeasurement {
  MeasurementInfo info;
  std::vector<Record> records;
  Header header{};
};

// The header the meter writes for these records: start and stop times,
// settings, and the per-channel results computed from the records.
Header buildHeader(const MeasurementInfo& info, const std::vector<Record>& records);

// Little-endian field readers for tests.
inline unsigned le16(const Header& h, int off) {
  return h[off] | h[off + 1] << 8;
}
inline unsigned long le32(const Header& h, int off) {
  return static_cast<unsigned long>(le16(h, off)) | static_cast<unsigned long>(le16(h, off + 2)) << 16;
}

// Payload of the reply to a data-block request: records 10 b .. 10 b + 9
// (fewer in the last block, none past the end), 8 bytes each.
Bytes blockPayload(const std::vector<Record>& records, unsigned block);

// Kinds of working day the generator knows.
enum class Profile {
  Workshop,  // steady 80..95 dB with impacts, breaks and paused spans
  Office     // quiet: levels and peaks mostly below the display floors
};

// `count` records of a realistic shift from `seed`: steady noise with drift,
// impulses (peaks up to 140 dB), quiet breaks where LAVG drops out (below
// the threshold `thresholdDb`), and paused spans (flagged records).
std::vector<Record> generateRecords(std::uint64_t seed, int count, Profile profile = Profile::Workshop,
                                    int thresholdDb = 80);

}  // namespace vkz::emu
