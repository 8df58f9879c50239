// The screen-page window: its lists after loading, the line rules on picks,
// the record its Set packs, and the meter's reply (the page's channel
// applied, a code without a quantity leaving its list as it was).
#include <QComboBox>
#include <utility>
#include <vector>

#include "link/frames.h"
#include "polling/readbacks.h"
#include "settings/win/screenfrm.h"
#include "support/common/meter_erase.h"
#include "ui/listpos.h"
#include "windows/settings/settings_env.h"

namespace vkz {
namespace {

class ScreenTest : public SettingsTest {};

TEST_F(ScreenTest, LoadsTwelvePagesOnSystemTime) {
  ScreenFrm* f = FormRegistry::get<ScreenFrm>();
  EXPECT_EQ(State().flags.ScreenFrmOpen, -1);
  EXPECT_EQ(f->windowTitle(), QStringLiteral("Screen"));
  EXPECT_EQ(f->PageLbl[0]->text(), QStringLiteral("Page3"));
  EXPECT_EQ(f->PageLbl[11]->text(), QStringLiteral("Page14"));
  for (int i = 0; i < kScreenPages; ++i) {
    const auto k = static_cast<std::size_t>(i);
    EXPECT_EQ(texts(f->KalvoxCbx[k]), (QStringList{QStringLiteral("Kalvox 1"), QStringLiteral("Kalvox 2"),
                                                   QStringLiteral("Kalvox 3")}));
    for (QComboBox* c : {f->UpPageCbx[k], f->DownPageCbx[k]}) {
      ASSERT_EQ(c->count(), 107);
      EXPECT_EQ(c->itemText(0), QStringLiteral("SystemTime"));
      EXPECT_EQ(c->itemText(106), QStringLiteral("OFF"));
      EXPECT_EQ(c->currentIndex(), 0);
    }
    EXPECT_EQ(f->KalvoxCbx[k]->currentIndex(), 0);
  }
}

enum Line { Up, Down };
struct RuleCase {
  const char* what;
  std::vector<std::pair<Line, int>> picks;
  int upper, lower;
};

TEST_F(ScreenTest, LineRulesOnPicks) {
  const int OFF = 106, SPLAF = 1, Dose = 13, LAVG = 17, PKA = 31, LAFMax = 32, LASMax = 34, LCSMax = 40,
            LZIMin = 49, LAF10 = 50;
  const RuleCase cases[] = {
      {"lower OFF under OFF", {{Up, OFF}, {Down, OFF}}, OFF, 0},
      {"upper OFF over OFF", {{Down, OFF}, {Up, OFF}}, 0, OFF},
      {"LAFMax under SPLAF", {{Up, SPLAF}, {Down, LAFMax}}, OFF, LAFMax},
      {"LZIMin under SPLAF", {{Up, SPLAF}, {Down, LZIMin}}, OFF, LZIMin},
      {"PKA under SPLAF", {{Up, SPLAF}, {Down, PKA}}, SPLAF, PKA},
      {"LAF10 under SPLAF", {{Up, SPLAF}, {Down, LAF10}}, SPLAF, LAF10},
      {"LAFMax above", {{Up, LAFMax}}, LAFMax, OFF},
      {"LAFMax under LASMax", {{Up, LASMax}, {Down, LAFMax}}, LASMax, OFF},
      {"Dose under LASMax", {{Up, LASMax}, {Down, Dose}}, LASMax, OFF},
      {"OFF under Dose", {{Up, Dose}, {Down, OFF}}, Dose, OFF},
      {"LAVG over LCSMax", {{Down, LCSMax}, {Up, LAVG}}, OFF, LCSMax},
  };
  for (const RuleCase& c : cases) {
    reset();
    ScreenFrm* f = FormRegistry::get<ScreenFrm>();
    for (auto [line, pos] : c.picks)
      ASSERT_EQ(setListPosition((line == Up ? f->UpPageCbx : f->DownPageCbx)[4], pos), ListStatus::Ok);
    EXPECT_EQ(f->UpPageCbx[4]->currentIndex(), c.upper) << c.what;
    EXPECT_EQ(f->DownPageCbx[4]->currentIndex(), c.lower) << c.what;
    EXPECT_TRUE(messages().isEmpty()) << c.what;
  }
}

TEST_F(ScreenTest, SetPacksChannelsAndCodes) {
  ScreenFrm* f = FormRegistry::get<ScreenFrm>();
  f->ScreenSetBtn->click();
  EXPECT_EQ(*PackScreens(State().records.ScreenRecord), std::vector<std::uint8_t>(36, 0));  // never read back
  // Positions at the seams of the code map, one per page's upper line.
  const std::pair<int, int> seams[] = {{17, 17},   {18, 19},   {31, 32},   {32, 34},
                                       {103, 105}, {104, 130}, {105, 131}, {106, 132}};
  for (std::size_t k = 0; k < std::size(seams); ++k) setListPosition(f->UpPageCbx[k], seams[k].first);
  setListPosition(f->KalvoxCbx[11], 2);
  setListPosition(f->UpPageCbx[11], 13);
  setListPosition(f->DownPageCbx[11], 50);
  f->ScreenSetBtn->click();
  const std::vector<std::uint8_t> block = *PackScreens(State().records.ScreenRecord);
  for (std::size_t k = 0; k < std::size(seams); ++k) EXPECT_EQ(block[3 * k + 1], seams[k].second) << k;
  EXPECT_EQ(block[33], 2);  // page 14 on "Kalvox 3"
  EXPECT_EQ(block[34], 13);
  EXPECT_EQ(block[35], 52);
  EXPECT_TRUE(State().poll.running());

  // While an erase is pending: refused, nothing packed, polling untouched.
  ASSERT_TRUE(test::startErase());
  setListPosition(f->KalvoxCbx[11], 1);
  f->ScreenSetBtn->click();
  EXPECT_EQ(messages(), QStringList{QStringLiteral("Memory Erasing ...")});
  EXPECT_EQ(State().records.ScreenRecord[11], 2);
  EXPECT_TRUE(State().poll.running());
}

TEST_F(ScreenTest, MeterReplySetsPagesAndLeavesCodesWithoutAQuantity) {
  std::vector<std::uint8_t> reply(36);
  for (std::size_t k = 0; k < 12; ++k) {
    reply[3 * k] = static_cast<std::uint8_t>(k % 3);
    reply[3 * k + 1] = 13;   // Dose
    reply[3 * k + 2] = 130;  // NEN
  }
  reply[3 * 5 + 1] = 200;                                    // page 8: no such quantity
  reply[3 * 6 + 1] = 18;                                     // page 9: the gap before LEPd
  reply[3 * 7 + 2] = 33;                                     // page 10: the gap before the maxima
  reply[3 * 8] = 3;                                          // page 11: no such channel
  reply[3 * 9 + 1] = 34;                                     // page 12: LAFMax above, so OFF below
  ScreenView* v = State().poll.windows.readbacks.screens();  // loads the window, hidden
  ScreenFrm* f = FormRegistry::find<ScreenFrm>();
  ASSERT_TRUE(f);
  v->showScreens(*decodeScreens(Payload(reply.data(), reply.size())));
  for (int i = 0; i < 12; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const int channel = i == 8 ? 0 : i % 3;
    const int upper = i == 5 || i == 6 ? 0 : i == 9 ? 32 : 13;
    const int lower = i == 7 ? 0 : i == 9 ? 106 : 104;
    EXPECT_EQ(f->KalvoxCbx[k]->currentIndex(), channel) << i;
    EXPECT_EQ(f->UpPageCbx[k]->currentIndex(), upper) << i;
    EXPECT_EQ(f->DownPageCbx[k]->currentIndex(), lower) << i;
  }
}

}  // namespace
}  // namespace vkz
