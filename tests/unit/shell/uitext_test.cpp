// The text table itself: slot order, names, defaults and language keys.
#include "shell/uitext.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace vkz {
namespace {

TEST(UiTextTable, SlotsAreCompleteOrderedAndUnique) {
  auto slots = UiTextSlots();
  ASSERT_EQ(slots.size(), 356u);
  std::set<std::string> names, defaults, keys;
  int n = 0;
  for (const UiTextSlot& s : slots) {
    EXPECT_EQ(s.slot, ++n);
    EXPECT_TRUE(names.insert(s.name).second) << s.name;
    EXPECT_TRUE(defaults.insert(s.english).second) << s.english;
    EXPECT_FALSE(std::string(s.english).empty()) << s.name;
    // A language-file line is cut at backslashes and its key loses its TABs.
    EXPECT_EQ(std::string(s.english).find_first_of("\\\t"), std::string::npos) << s.name;
    if (s.key) {
      EXPECT_TRUE(keys.insert(s.key).second) << s.key;
      EXPECT_EQ(std::string(s.key).find_first_of("\\\t"), std::string::npos) << s.name;
      EXPECT_EQ(FindUiTextKey(s.key), &s);
    }
  }
  EXPECT_EQ(keys.size(), 353u);
  EXPECT_EQ(FindUiTextKey("Meter1"), nullptr);
  EXPECT_EQ(FindUiTextKey(""), nullptr);
  EXPECT_EQ(std::string(slots[0].name), "TxtClearMemory");
  EXPECT_EQ(std::string(slots[355].name), "TxtOutputRecordData");
}

TEST(UiTextTable, KeysDifferFromTextsExactlyWhereListed) {
  const std::map<std::string, std::string> differing = {{"Meter1", "Meter 1"},
                                                        {"Meter2", "Meter 2"},
                                                        {"Meter3", "Meter 3"},
                                                        {"MeterTime", "Meter Time"},
                                                        {"Page3", "Page 3"},
                                                        {"Page4", "Page 4"},
                                                        {"Page5", "Page 5"},
                                                        {"Page6", "Page 6"},
                                                        {"Page7", "Page 7"},
                                                        {"Page8", "Page 8"},
                                                        {"Page9", "Page 9"},
                                                        {"Page10", "Page 10"},
                                                        {"Page11", "Page 11"},
                                                        {"Page12", "Page 12"},
                                                        {"Page13", "Page 13"},
                                                        {"Page14", "Page 14"},
                                                        {"Show Setting Panel", "Show Setting Panel..."},
                                                        {"Erasing ...", "Erasing..."},
                                                        {"Leq", "LEQ"}};
  std::map<std::string, std::string> found;
  std::set<std::string> keyless;
  for (const UiTextSlot& s : UiTextSlots()) {
    if (!s.key)
      keyless.insert(s.name);
    else if (std::string(s.key) != s.english)
      found[s.english] = s.key;
  }
  EXPECT_EQ(found, differing);
  EXPECT_EQ(keyless, (std::set<std::string>{"TxtLunchTime", "TxtStop", "TxtOutputRecordData"}));
}

TEST(UiTextTable, DefaultsReachEveryNamedMember) {
  // Each slot's member pointer is its own member: write every slot's name
  // through its pointer and read all back.
  UiText t;
  for (const UiTextSlot& s : UiTextSlots()) t.*(s.member) = s.name;
  for (const UiTextSlot& s : UiTextSlots()) EXPECT_EQ(t.*(s.member), s.name);

  UiText texts;
  texts.TxtExit = "changed";
  LoadDefaultStrings(texts);
  for (const UiTextSlot& s : UiTextSlots()) EXPECT_EQ(texts.*(s.member), s.english) << s.name;
  const UiText& u = texts;
  EXPECT_EQ(u.TxtExit, "Exit");
  EXPECT_EQ(u.TxtMeter1, "Meter1");
  EXPECT_EQ(u.TxtLeq, "Leq");
  EXPECT_EQ(u.TxtDB, "dB");
  EXPECT_EQ(u.TxtLowerLimitRange, " Lower Limit Range : 70 ~ 140 !!!");
  EXPECT_EQ(u.TxtHelpCursor, "Drag the cursor with your mouse to get X (Count) and Y (dB) position.");
  EXPECT_EQ(u.TxtOutputRecordData, "Output Record Data?");
}

}  // namespace
}  // namespace vkz
