// The measurement header: the 536-byte answer to the record-header request,
// turned into RecordHeader's display texts (start and stop times, the dose
// channel of each display page and the 203 HeaderValue slots), and the
// eleven fixed rows of the summary grid built from it.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "polling/measurement.h"
#include "polling/payload.h"

namespace vkz {

// The HeaderValue slots that are read by number outside the header's own
// layout. A value per dose channel takes three slots in a row (D1, D2, D3),
// starting at the slot named.
inline constexpr int kSlotThreshold = 0;             // threshold level, dB, per channel
inline constexpr int kSlotCriterion = 3;             // criterion level, dB, per channel
inline constexpr int kSlotExchangeRate = 6;          // exchange rate, dB, per channel
inline constexpr int kSlotExceedanceLevel = 9;       // exceedance level, dB, per channel
inline constexpr int kSlotPWDuration = 12;           // PW duration, per channel
inline constexpr int kSlotRunTime = 15;              // how long the measurement ran
inline constexpr int kSlotInterval = 16;             // logging interval, seconds
inline constexpr int kSlotRecordCount = 189;         // logged records
inline constexpr int kSlotExceedanceTime = 197;      // time above the exceedance level, per channel
inline constexpr int kSlotExceedanceStopTime = 200;  // per channel

struct HeaderDecodeResult {
  // Logged records of the measurement (slot kSlotRecordCount). The caller
  // re-creates PointValue1..5 with this many elements, also for 0 (so the
  // arrays never keep the previous measurement's records), and starts the
  // block download only when it is above 0.
  std::int32_t recordCount = 0;
  // Logging interval in seconds; 0 when the field did not fit.
  std::int32_t intervalSeconds = 0;
};

// Decodes a header payload into `header`. Every slot the header carries is
// overwritten; a field that does not fit its type (a 32-bit field with its
// top bit set, a PW duration whose seconds reach 2^31) leaves its slot as it
// was, as do NEN/PNEN when they cannot be computed. Slots 158..162 and 190
// are never written. nullopt, and `header` untouched, for a payload shorter
// than 536 bytes.
std::optional<HeaderDecodeResult> DecodeRecordHeader(Payload p, RecordHeader& header);

// The reset before a new header is requested: HeaderStart and the three
// HeaderStop texts "0", every HeaderPageChannel byte 0, HeaderValue slots
// 0..157, 168..188 and 191..199 "0"; slots 158..167, 189, 190 and 200..202
// keep their texts.
void ResetRecordHeader(RecordHeader& header);

// NEN (from the Dose) or PNEN (from the PDose) of one channel: the level
// that would give the dose in 8 hours, Lc + q·log10(D/100) with q by the
// exchange rate (3: 10, 4: 13.29, 5: 16.61, 6: 20). nullopt when the
// exchange rate is not 3..6, the dose is 0 or the logged time T is 0.
std::optional<double> normalisedLevel(int criterion, int exchangeRate, double dosePercent,
                                      double loggedSeconds);

// The labels of the summary grid's fixed rows and its dB unit, in the
// language of the user interface (the caller takes them from its texts).
struct SummaryLabels {
  std::string TxtD1, TxtD2, TxtD3;
  std::string TxtStartDateTime, TxtStopDateTime;
  std::string TxtThreshold, TxtCriterion, TxtExchangeRate, TxtExceedanceLevel;
  std::string TxtIntervalTime, TxtTotalPoint, TxtPWDuration, TxtDuration;
  std::string TxtDB;
};

// The eleven fixed rows of the summary grid, four cells each (label, D1,
// D2, D3): column heads, start, stop, threshold, criterion, exchange rate,
// exceedance level (each "85 dB"), interval in whole minutes ("1 Min"),
// record count, PW durations, duration.
using SummaryRow = std::array<std::string, 4>;
std::array<SummaryRow, 11> SummaryFixedRows(const RecordHeader& header, const SummaryLabels& ui);

}  // namespace vkz
