#include "polling/header.h"

#include <cmath>

#include "base/numfmt.h"
#include "polling/replies.h"
#include "polling/textforms.h"

namespace vkz {
namespace {

// Levels below their floor are not shown as numbers: the meter's peaks
// below 73.0 dB and its maxima, minima and percentile levels below 70.0 dB
// lie under its measuring range.
constexpr std::uint32_t kPeakFloor = 730;
constexpr std::uint32_t kRangeFloor = 700;

std::string levelText(std::uint32_t raw, std::uint32_t floorRaw = 0) {
  if (raw < floorRaw) return "---.-";
  return tenthsText(raw);
}

class HeaderReader {
 public:
  HeaderReader(Payload p, RecordHeader& h) : p_(p), hv_(h.HeaderValue) {}

  std::uint8_t byte(std::size_t at) const { return p_[at]; }
  std::uint32_t u16(std::size_t at) const { return le16(p_, at); }
  std::optional<std::int32_t> s32(std::size_t at) const { return fitSigned32(le32(p_, at)); }

  void decimal8(int slot, std::size_t at) { set(slot, decimalText(byte(at))); }
  void decimal16(int slot, std::size_t at) { set(slot, decimalText(u16(at))); }
  void level16(int slot, std::size_t at, std::uint32_t floorRaw = 0) {
    set(slot, levelText(u16(at), floorRaw));
  }
  // The 32-bit fields: a value that does not fit leaves the slot alone.
  void tenths32(int slot, std::size_t at) {
    if (auto v = s32(at)) set(slot, tenthsText(*v));
  }
  void energy32(int slot, std::size_t at) {
    if (auto v = s32(at)) set(slot, energyText(*v));
  }
  void duration32(int slot, std::size_t at) {
    if (auto v = s32(at)) set(slot, durationText(*v));
  }
  void clock32(int slot, std::size_t at) {
    if (auto v = s32(at)) set(slot, clockText(*v));
  }
  void set(int slot, std::string text) { hv_[static_cast<std::size_t>(slot)] = std::move(text); }

 private:
  Payload p_;
  std::array<std::string, kHeaderValueCount>& hv_;
};

}  // namespace

std::optional<double> normalisedLevel(int criterion, int exchangeRate, double dosePercent,
                                      double loggedSeconds) {
  double q;
  switch (exchangeRate) {
    case 3:
      q = 10;
      break;
    case 4:
      q = 13.29;
      break;
    case 5:
      q = 16.61;
      break;
    case 6:
      q = 20;
      break;
    default:
      return std::nullopt;
  }
  if (!(dosePercent > 0) || !(loggedSeconds > 0)) return std::nullopt;
  // The meter's formula: the dose scaled to 8 hours, then back to the logged
  // time; the two time terms cancel.
  double x = criterion + q * std::log10((dosePercent / 100.0) * (480.0 / loggedSeconds));
  return x + q * std::log10(loggedSeconds / 480.0);
}

std::optional<HeaderDecodeResult> DecodeRecordHeader(Payload p, RecordHeader& h) {
  if (p.size() < kHeaderLength) return std::nullopt;
  HeaderReader r(p, h);

  // Start, then the stop of each dose channel: the three stop times lie
  // together at bytes 7..15, ahead of the three stop dates at 16..27.
  h.HeaderStart = dateTimeText(static_cast<int>(r.u16(0)), p[2], p[3], p[4], p[5], p[6]);
  for (std::size_t ch = 0; ch < 3; ++ch)
    h.HeaderStop[ch] = dateTimeText(static_cast<int>(r.u16(16 + 4 * ch)), p[18 + 4 * ch], p[19 + 4 * ch],
                                    p[7 + 3 * ch], p[8 + 3 * ch], p[9 + 3 * ch]);
  for (std::size_t page = 0; page < 14; ++page) h.HeaderPageChannel[page] = p[28 + page];

  HeaderDecodeResult result;
  result.recordCount = static_cast<std::int32_t>(r.u16(532));
  r.decimal16(kSlotRecordCount, 532);
  auto interval = r.s32(72);
  if (interval) {
    result.intervalSeconds = *interval;
    r.set(kSlotInterval, decimalText(*interval));
  }
  const double loggedSeconds = static_cast<double>(result.intervalSeconds) * result.recordCount;

  for (int c = 0; c < 3; ++c) {
    const std::size_t ch = static_cast<std::size_t>(c);
    r.decimal8(kSlotCriterion + c, 46 + ch);     // criterion level, dB
    r.decimal8(kSlotExchangeRate + c, 49 + ch);  // exchange rate, dB
    r.tenths32(17 + c, 100 + 4 * ch);            // Dose, 0.1 %
    r.tenths32(20 + c, 112 + 4 * ch);            // PDose, 0.1 %
    const int criterion = p[46 + ch], exchangeRate = p[49 + ch];
    if (auto pdose = r.s32(112 + 4 * ch))
      if (auto v = normalisedLevel(criterion, exchangeRate, *pdose / 10.0, loggedSeconds))
        r.set(194 + c, formatPattern(*v, "0.0"));  // PNEN
    if (auto dose = r.s32(100 + 4 * ch))
      if (auto v = normalisedLevel(criterion, exchangeRate, *dose / 10.0, loggedSeconds))
        r.set(191 + c, formatPattern(*v, "0.0"));  // NEN
    r.decimal8(kSlotThreshold + c, 43 + ch);
    r.decimal8(kSlotExceedanceLevel + c, 52 + ch);
    // PW duration in minutes; shown as a duration of seconds that must fit
    // 32 signed bits.
    if (auto pw = r.s32(56 + 4 * ch); pw && *pw <= 0x7FFFFFFF / 60)
      r.set(kSlotPWDuration + c, durationText(*pw * 60LL));
    r.duration32(kSlotExceedanceTime + c, 76 + 4 * ch);
    r.duration32(kSlotExceedanceStopTime + c, 88 + 4 * ch);
    r.energy32(59 + c, 124 + 4 * ch);             // EA, Pa²s -> Pa²h
    r.energy32(62 + c, 136 + 4 * ch);             // EC
    r.energy32(65 + c, 148 + 4 * ch);             // EZ
    r.tenths32(89 + c, 160 + 4 * ch);             // EXPs, 0.1 Pa²s
    r.level16(23 + c, 244 + 2 * ch);              // TWA
    r.level16(26 + c, 250 + 2 * ch);              // PTWA
    r.level16(29 + c, 256 + 2 * ch);              // LAVG
    r.level16(35 + c, 262 + 2 * ch);              // LEPd
    r.level16(38 + c, 268 + 2 * ch);              // PLEPd
    r.level16(41 + c, 274 + 2 * ch);              // LAEQ
    r.level16(44 + c, 280 + 2 * ch);              // LCEQ
    r.level16(47 + c, 286 + 2 * ch);              // LZEQ
    r.level16(50 + c, 292 + 2 * ch);              // LAE
    r.level16(53 + c, 298 + 2 * ch);              // LCE
    r.level16(56 + c, 304 + 2 * ch);              // LZE
    r.level16(68 + c, 310 + 2 * ch, kPeakFloor);  // PKC
    r.level16(71 + c, 316 + 2 * ch, kPeakFloor);  // PKZ
    r.level16(74 + c, 322 + 2 * ch, kPeakFloor);  // PKA
    r.level16(80 + c, 328 + 2 * ch);              // LEX8H
    r.level16(83 + c, 334 + 2 * ch);              // PLEX8H
    r.level16(86 + c, 340 + 2 * ch);              // EXPh, 0.1 Pa²h
    r.level16(155 + c, 506 + 2 * ch);             // LAIEQ, LCIEQ, LZIEQ
    r.level16(77 + c, 516 + 2 * ch);              // HML
    r.level16(32 + c, 522 + 2 * ch);              // Ti
  }

  // The nine weighting pairs AF, AS, AI, CF, CS, CI, ZF, ZS, ZI.
  for (int k = 0; k < 9; ++k) {
    const std::size_t o = static_cast<std::size_t>(k);
    r.clock32(171 + k, 172 + 8 * o);               // time of the maximum
    r.clock32(180 + k, 176 + 8 * o);               // time of the minimum
    r.level16(92 + k, 358 + 4 * o, kRangeFloor);   // maximum
    r.level16(101 + k, 360 + 4 * o, kRangeFloor);  // minimum
    r.level16(146 + k, 394 + 2 * o, kRangeFloor);  // L05
    r.level16(110 + k, 414 + 2 * o, kRangeFloor);  // L10
    r.level16(119 + k, 434 + 2 * o, kRangeFloor);  // L50
    r.level16(128 + k, 454 + 2 * o, kRangeFloor);  // L90
    r.level16(137 + k, 474 + 2 * o, kRangeFloor);  // L95
  }

  r.duration32(kSlotRunTime, 68);
  r.level16(167, 412, kRangeFloor);  // LAEQ05
  r.level16(163, 432, kRangeFloor);  // LAEQ10
  r.level16(164, 452, kRangeFloor);  // LAEQ50
  r.level16(165, 472, kRangeFloor);  // LAEQ90
  r.level16(166, 492, kRangeFloor);  // LAEQ95
  r.level16(169, 512);               // LAFTM5
  r.level16(170, 514);               // LAFTM3
  r.level16(168, 528);               // Ki
  return result;
}

void ResetRecordHeader(RecordHeader& h) {
  h.HeaderStart = "0";
  for (auto& s : h.HeaderStop) s = "0";
  h.HeaderPageChannel.fill(0);
  auto reset = [&](int from, int to) {
    for (int i = from; i <= to; ++i) h.HeaderValue[static_cast<std::size_t>(i)] = "0";
  };
  reset(0, 157);
  reset(168, 188);
  reset(191, 199);
}

std::array<SummaryRow, 11> SummaryFixedRows(const RecordHeader& h, const SummaryLabels& ui) {
  const auto& hv = h.HeaderValue;
  auto dB = [&](int slot) { return hv[static_cast<std::size_t>(slot)] + " " + ui.TxtDB; };
  auto dBRow = [&](const std::string& label, int first) {
    return SummaryRow{label, dB(first), dB(first + 1), dB(first + 2)};
  };
  // The interval in whole minutes: seconds rounded to a whole number, then
  // divided by 60 with the remainder dropped.
  double seconds = roundHalfEven(val(hv[kSlotInterval]));
  std::string minutes = decimalText(static_cast<std::int64_t>(std::trunc(seconds / 60.0))) + " Min";
  const std::string& count = hv[kSlotRecordCount];
  return {{
      {"", ui.TxtD1, ui.TxtD2, ui.TxtD3},
      {ui.TxtStartDateTime, h.HeaderStart, h.HeaderStart, h.HeaderStart},
      {ui.TxtStopDateTime, h.HeaderStop[0], h.HeaderStop[1], h.HeaderStop[2]},
      dBRow(ui.TxtThreshold, kSlotThreshold),
      dBRow(ui.TxtCriterion, kSlotCriterion),
      dBRow(ui.TxtExchangeRate, kSlotExchangeRate),
      dBRow(ui.TxtExceedanceLevel, kSlotExceedanceLevel),
      {ui.TxtIntervalTime, minutes, minutes, minutes},
      {ui.TxtTotalPoint, count, count, count},
      {ui.TxtPWDuration, hv[kSlotPWDuration], hv[kSlotPWDuration + 1], hv[kSlotPWDuration + 2]},
      {ui.TxtDuration, hv[kSlotRunTime], hv[kSlotRunTime], hv[kSlotRunTime]},
  }};
}

}  // namespace vkz
