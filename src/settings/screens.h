// The meter's configurable screen pages 3 to 14 (page index 0 to 11 here):
// each belongs to one dose channel and shows one quantity on its upper line
// and one on its lower line. The quantities come from a fixed list of 107;
// the meter knows each by a one-byte code, the program by its place in the
// list, and the user by a text of the text table.
#pragma once
#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "polling/readbacks.h"
#include "link/settingblocks.h"
#include "shell/uitext.h"

namespace vkz {

inline constexpr int kScreenPages = 12;
inline constexpr int kScreenQuantityCount = 107;
inline constexpr int kScreenOff = 106;  // "OFF", the last entry
inline constexpr int kScreenChannels = 3;

// The text slot of each quantity, in list order ("SystemTime" first, "OFF"
// last).
std::span<std::string UiText::*const, kScreenQuantityCount> screenQuantitySlots();

// The meter code of a list position: 0..17 as they are, 18..31 one up,
// 32..103 two up, 104..106 as 130..132. Nothing outside 0..106.
std::optional<int> screenQuantityCode(int position);
// The list position of a meter code; nothing for a code that stands for no
// quantity (18, 33, 106..129 and above 132).
std::optional<int> screenQuantityPosition(int code);

// The maxima and minima "LAFMax" .. "LZIMin" (positions 32..49): a page
// shows one of them only with OFF on its other line.
inline bool isMaxMinQuantity(int position) {
  return position >= 32 && position <= 49;
}

// Items of the upper- and lower-line lists, and of the channel lists
// ("Kalvox 1" .. "Kalvox 3", the dose channels D1 .. D3).
std::vector<std::string> screenQuantityItems(const UiText& t);
std::vector<std::string> screenChannelItems(const UiText& t);

// One page as its three lists show it.
struct ScreenPage {
  int channel = 0;  // 0..2
  int upper = 0;    // quantity list positions 0..106
  int lower = 0;
};

// The screen-page window's state: what it shows right after loading (every
// page on channel 1 with "SystemTime" on both lines), changed the way its
// lists change. A position that changes runs the line rule of its list,
// nested as list handlers nest; setting the position a list already has
// runs nothing. The two lines of a page are never both OFF after a pick,
// and a maximum or minimum always stands alone on its page.
class ScreenPagesModel {
 public:
  const ScreenPage& page(int i) const { return pages_[static_cast<std::size_t>(i)]; }

  // Each returns false, and changes nothing, for a page outside 0..11 or a
  // position that is not an item of that list.
  bool setChannel(int page, int position);
  bool setUpper(int page, int position);
  bool setLower(int page, int position);

  // The meter's pages (reply 0x05), page by page: the channel, then the
  // upper line, then the lower line, each with its rule. A channel byte
  // above 2 or a code without a quantity leaves that list as it was.
  void apply(const ScreenReadback& r);

  // The record the Set button sends: channels, upper-line codes, lower-line
  // codes.
  ScreenBytes record() const;

 private:
  void upperRule(int page);
  void lowerRule(int page);
  std::array<ScreenPage, kScreenPages> pages_{};
};

}  // namespace vkz
