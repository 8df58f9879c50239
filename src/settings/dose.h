// The meter's three dose channels D1, D2 and D3 (the window's "Meter1" to
// "Meter3" columns). Each follows a noise standard with its time weighting,
// threshold, criterion level, exchange rate, exceedance level and PW
// duration; D2 and D3 can be switched off, D1 always runs. The ten fixed
// standards bring their own values and lock them; the nine user standards
// leave them free.
//
// Every field is a drop-down list and the window keeps its values only as
// list positions. DoseModel holds those positions and the rules between the
// lists; the window mirrors it.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "polling/readbacks.h"
#include "link/settingblocks.h"
#include "settings/setoutcome.h"
#include "shell/uitext.h"

namespace vkz {

inline constexpr int kDoseChannels = 3;
inline constexpr int kDoseStandards = 19;  // 0..9 fixed, 10..18 USER1..USER9

// The nine lists of a channel, in the order the meter's reply fills them.
enum class DoseList {
  Enable,
  Standard,
  TimeWeighting,
  Threshold,
  Criterion,
  ExchangeRate,
  Exceedance,
  Hour,
  Minute
};

// Items of each list, position 0 first. Enable, standard and time weighting
// come from the text table; the numbers are fixed ("70".."90", "3".."6",
// "70".."140" by 5, "00".."24", "00".."55" by 5).
std::vector<std::string> doseListItems(DoseList list, const UiText& t);
int doseListCount(DoseList list);

// One channel as the window shows it: list positions (-1: no item
// selected) and the state of its fields.
struct DoseChannel {
  int enable = 0, standard = 0, timeWeighting = 0, threshold = 0, criterion = 0, exchangeRate = 0,
      exceedance = 0, hour = 0, minute = 0;
  bool locked = true;  // the seven value lists are greyed (a fixed standard)
  bool shown = true;   // the eight lists beside the enable list are visible

  int position(DoseList list) const;
};

class DoseModel {
 public:
  // As the window stands after loading: D1 on "OSHA - 80" with its values,
  // locked; D2 and D3 "Disabled" with their lists hidden. D1's enable list
  // shows "Disabled" until the meter's values arrive; it is greyed for good
  // and never read.
  DoseModel();

  const DoseChannel& channel(int ch) const { return ch_[static_cast<std::size_t>(ch)]; }

  // Sets a list of channel `ch` (0..2) as a pick or the meter's reply does.
  // A position that changes runs the list's rule: a standard applies the
  // table; D2's or D3's enable hides or shows the channel (showing applies
  // its standard again); an hour of 24 puts the minutes to 00. Returns false,
  // changing nothing, for a position outside -1 .. count - 1.
  bool set(int ch, DoseList list, int position);

  // The meter's values (reply 0x04), channel by channel in list order, so
  // that the meter's values overwrite the standard's.
  void apply(const std::array<DoseChannelReadback, 3>& r);

 private:
  void standardRule(int ch);
  void enableRule(int ch);
  void hourRule(int ch);
  std::array<DoseChannel, kDoseChannels> ch_;
};

// The Set button: the checks in order, each with its text-table message
// (only the first that fails is given), then the record. A list without a
// selection refuses with "Set Error !!!" and no record.
//   1 memory erase pending          2 D2 on with D1's standard
//   3 D3 on with D1's standard      4..6 criterion below threshold, D1..D3
//   7 D2 and D3 on with one standard 8..10 PW duration under 10 min, D1..D3
// Disabled channels are exempt from the same-standard rules only.
SetOutcome<DoseSetting> doseSet(const DoseModel& m, const UiText& t, bool memoryErasing);

}  // namespace vkz
