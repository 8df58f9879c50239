#include "settings/dose.h"

#include <cstdio>

namespace vkz {
namespace {

using T = UiText;

// A row of the table of standards: a fixed standard sets and locks the
// seven value lists; a user standard leaves them as they are.
struct DoseStandard {
  std::string UiText::*name;
  bool fixed;
  int timeWeighting;  // 0 SLOW, 1 FAST
  int thresholdDb, criterionDb, exchangeRateDb, exceedanceDb;
  int pwMinutes;
};

constexpr int SLOW = 0, FAST = 1;
constexpr DoseStandard kStandards[kDoseStandards] = {
    {&T::TxtOSHA80, true, SLOW, 80, 90, 5, 105, 480}, {&T::TxtOSHA90, true, SLOW, 90, 90, 5, 105, 480},
    {&T::TxtMSHA80, true, SLOW, 80, 90, 5, 105, 480}, {&T::TxtMSHA90, true, SLOW, 90, 90, 5, 105, 480},
    {&T::TxtDOD, true, SLOW, 80, 85, 4, 105, 480},    {&T::TxtACGIH, true, SLOW, 80, 85, 3, 105, 480},
    {&T::TxtISO85, true, FAST, 70, 85, 3, 105, 480},  {&T::TxtISO90, true, FAST, 70, 90, 3, 105, 480},
    {&T::TxtNR15, true, SLOW, 80, 85, 5, 115, 480},   {&T::TxtNHO11, true, SLOW, 80, 85, 3, 115, 480},
    {&T::TxtUSER1, false, 0, 0, 0, 0, 0, 0},          {&T::TxtUSER2, false, 0, 0, 0, 0, 0, 0},
    {&T::TxtUSER3, false, 0, 0, 0, 0, 0, 0},          {&T::TxtUSER4, false, 0, 0, 0, 0, 0, 0},
    {&T::TxtUSER5, false, 0, 0, 0, 0, 0, 0},          {&T::TxtUSER6, false, 0, 0, 0, 0, 0, 0},
    {&T::TxtUSER7, false, 0, 0, 0, 0, 0, 0},          {&T::TxtUSER8, false, 0, 0, 0, 0, 0, 0},
    {&T::TxtUSER9, false, 0, 0, 0, 0, 0, 0},
};

// Numbers from `first` by `step`, `count` of them, with at least `digits`
// digits.
std::vector<std::string> numberItems(int first, int step, int count, int digits) {
  std::vector<std::string> items;
  char buf[16];
  for (int i = 0; i < count; ++i) {
    std::snprintf(buf, sizeof buf, "%0*d", digits, first + i * step);
    items.push_back(buf);
  }
  return items;
}

// The position member of one list (const or not, as the channel is).
template <class Channel>
auto& field(Channel& c, DoseList list) {
  switch (list) {
    case DoseList::Enable:
      return c.enable;
    case DoseList::Standard:
      return c.standard;
    case DoseList::TimeWeighting:
      return c.timeWeighting;
    case DoseList::Threshold:
      return c.threshold;
    case DoseList::Criterion:
      return c.criterion;
    case DoseList::ExchangeRate:
      return c.exchangeRate;
    case DoseList::Exceedance:
      return c.exceedance;
    case DoseList::Hour:
      return c.hour;
    case DoseList::Minute:
      break;
  }
  return c.minute;
}

constexpr DoseList kLists[] = {DoseList::Enable,     DoseList::Standard,  DoseList::TimeWeighting,
                               DoseList::Threshold,  DoseList::Criterion, DoseList::ExchangeRate,
                               DoseList::Exceedance, DoseList::Hour,      DoseList::Minute};

}  // namespace

int doseListCount(DoseList list) {
  switch (list) {
    case DoseList::Enable:
      return 2;
    case DoseList::Standard:
      return kDoseStandards;
    case DoseList::TimeWeighting:
      return 3;
    case DoseList::Threshold:
    case DoseList::Criterion:
      return 21;
    case DoseList::ExchangeRate:
      return 4;
    case DoseList::Exceedance:
      return 15;
    case DoseList::Hour:
      return 25;
    case DoseList::Minute:
      break;
  }
  return 12;
}

std::vector<std::string> doseListItems(DoseList list, const UiText& t) {
  switch (list) {
    case DoseList::Enable:
      return {t.TxtDisabled, t.TxtEnabled};
    case DoseList::Standard: {
      std::vector<std::string> items;
      for (const DoseStandard& s : kStandards) items.push_back(t.*s.name);
      return items;
    }
    case DoseList::TimeWeighting:
      return {t.TxtSLOW, t.TxtFAST, t.TxtIMPULSE};
    case DoseList::Threshold:
    case DoseList::Criterion:
      return numberItems(70, 1, 21, 1);
    case DoseList::ExchangeRate:
      return numberItems(3, 1, 4, 1);
    case DoseList::Exceedance:
      return numberItems(70, 5, 15, 1);
    case DoseList::Hour:
      return numberItems(0, 1, 25, 2);
    case DoseList::Minute:
      break;
  }
  return numberItems(0, 5, 12, 2);
}

int DoseChannel::position(DoseList list) const {
  return field(*this, list);
}

DoseModel::DoseModel() {
  // Loading runs every channel's standard rule, then puts every list back on
  // its first item and runs D1's rule once more: D2 and D3 stay locked, on
  // their first items, and hidden.
  ch_[1].shown = ch_[2].shown = false;
  standardRule(0);
}

bool DoseModel::set(int ch, DoseList list, int position) {
  if (ch < 0 || ch >= kDoseChannels || position < -1 || position >= doseListCount(list)) return false;
  int& f = field(ch_[static_cast<std::size_t>(ch)], list);
  if (f == position) return true;
  f = position;
  switch (list) {
    case DoseList::Standard:
      standardRule(ch);
      break;
    case DoseList::Enable:
      if (ch > 0) enableRule(ch);  // D1 is always on: its list has no rule
      break;
    case DoseList::Hour:
    case DoseList::Minute:
      hourRule(ch);
      break;
    default:
      break;
  }
  return true;
}

void DoseModel::standardRule(int ch) {
  DoseChannel& c = ch_[static_cast<std::size_t>(ch)];
  if (c.standard < 0 || !kStandards[c.standard].fixed) {
    c.locked = false;  // a user standard (or none) frees the values as they stand
    return;
  }
  c.locked = true;
  const DoseStandard& s = kStandards[c.standard];
  set(ch, DoseList::TimeWeighting, s.timeWeighting);
  set(ch, DoseList::Threshold, s.thresholdDb - 70);
  set(ch, DoseList::Criterion, s.criterionDb - 70);
  set(ch, DoseList::ExchangeRate, s.exchangeRateDb - 3);
  set(ch, DoseList::Exceedance, (s.exceedanceDb - 70) / 5);
  set(ch, DoseList::Hour, s.pwMinutes / 60);
  set(ch, DoseList::Minute, s.pwMinutes % 60 / 5);
}

void DoseModel::enableRule(int ch) {
  DoseChannel& c = ch_[static_cast<std::size_t>(ch)];
  c.shown = c.enable != 0;
  if (c.shown) standardRule(ch);
}

void DoseModel::hourRule(int ch) {
  // 24:00 is the longest PW duration.
  if (ch_[static_cast<std::size_t>(ch)].hour == 24) set(ch, DoseList::Minute, 0);
}

void DoseModel::apply(const std::array<DoseChannelReadback, 3>& r) {
  for (int ch = 0; ch < kDoseChannels; ++ch) {
    const DoseChannelReadback& c = r[static_cast<std::size_t>(ch)];
    const std::optional<int> values[] = {c.enable,     c.standard,  c.timeWeighting,
                                         c.threshold,  c.criterion, c.exchangeRate,
                                         c.exceedance, c.pwHour,    c.pwMinute};
    for (std::size_t i = 0; i < std::size(kLists); ++i)
      if (values[i]) set(ch, kLists[i], *values[i]);
  }
}

namespace {

std::optional<std::string> firstFailedCheck(const DoseModel& m, const UiText& t, bool memoryErasing) {
  const DoseChannel &d1 = m.channel(0), &d2 = m.channel(1), &d3 = m.channel(2);
  const bool on2 = d2.enable == 1, on3 = d3.enable == 1;
  // Under 10 minutes: 00:00 or 00:05.
  const auto shortPw = [](const DoseChannel& c) { return c.hour == 0 && (c.minute == 0 || c.minute == 1); };
  if (memoryErasing) return t.TxtMemoryErasing;
  if (on2 && d1.standard == d2.standard) return t.TxtSetErrorD1StandardD2Standard;
  if (on3 && d1.standard == d3.standard) return t.TxtSetErrorD1StandardD3Standard;
  if (d1.criterion < d1.threshold) return t.TxtErrorMeter1CriterionThreshold;
  if (d2.criterion < d2.threshold) return t.TxtErrorMeter2CriterionThreshold;
  if (d3.criterion < d3.threshold) return t.TxtErrorMeter3CriterionThreshold;
  if (on2 && on3 && d2.standard == d3.standard) return t.TxtSetErrorD2StandardD3Standard;
  if (shortPw(d1)) return t.TxtSetErrorD1PWDuration;
  if (shortPw(d2)) return t.TxtSetErrorD2PWDuration;
  if (shortPw(d3)) return t.TxtSetErrorD3PWDuration;
  return std::nullopt;
}

// A channel's six bytes and PW duration; false when a list it reads has no
// item selected. The bytes are the values the lists show.
bool packChannel(const DoseChannel& c, int& stand, int& tw, int& thr, int& crit, int& er, int& exc, int& pw) {
  for (DoseList l : kLists)
    if (l != DoseList::Enable && c.position(l) < 0) return false;
  stand = c.standard;
  tw = c.timeWeighting;
  thr = 70 + c.threshold;
  crit = 70 + c.criterion;
  er = 3 + c.exchangeRate;
  exc = 70 + 5 * c.exceedance;
  pw = 60 * c.hour + 5 * c.minute;
  return true;
}

}  // namespace

SetOutcome<DoseSetting> doseSet(const DoseModel& m, const UiText& t, bool memoryErasing) {
  if (auto refusal = firstFailedCheck(m, t, memoryErasing)) return SetOutcome<DoseSetting>::refuse(*refusal);
  const DoseChannel &d1 = m.channel(0), &d2 = m.channel(1), &d3 = m.channel(2);
  DoseSetting r;
  const bool whole = packChannel(d1, r.Meter1Stand, r.Meter1TW, r.Meter1T, r.Meter1Q, r.Meter1ER,
                                 r.Meter1Exceed, r.Meter1PW) &&
                     packChannel(d2, r.Meter2Stand, r.Meter2TW, r.Meter2T, r.Meter2Q, r.Meter2ER,
                                 r.Meter2Exceed, r.Meter2PW) &&
                     packChannel(d3, r.Meter3Stand, r.Meter3TW, r.Meter3T, r.Meter3Q, r.Meter3ER,
                                 r.Meter3Exceed, r.Meter3PW) &&
                     d2.enable >= 0 && d3.enable >= 0;
  if (!whole) return SetOutcome<DoseSetting>::refuse(kSetErrorText);
  r.Meter2En = d2.enable;
  r.Meter3En = d3.enable;
  return SetOutcome<DoseSetting>::accept(r);
}

}  // namespace vkz
