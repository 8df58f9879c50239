// The main window's layout rules and those of the language and help windows.
#include "shell/layout.h"

#include <gtest/gtest.h>

namespace vkz {
namespace {

TEST(PanelLayout, MinimumSizeSpringsBackToItsOwnWidthsWithinTheScreen) {
  struct Case {
    int w, h;
    SizeTw screen;
    std::optional<SizeTw> want;
  };
  const SizeTw large{30000, 20000};
  const Case cases[] = {
      {12000, 9000, large, SizeTw{13665, 11250}},   // too small both ways: 13665 wide, not 12600
      {12599, 11250, large, SizeTw{13665, 11250}},  // width only
      {12600, 11249, large, SizeTw{12600, 11250}},  // height only
      {12600, 11250, large, std::nullopt},          // the limits themselves stand
      {20000, 15000, large, std::nullopt},
      // A screen lower or narrower than the minimum is the minimum.
      {12600, 9000, SizeTw{16000, 9500}, SizeTw{12600, 9500}},
      {12600, 9500, SizeTw{16000, 9500}, std::nullopt},
      {12000, 9000, SizeTw{13000, 9000}, SizeTw{13000, 9000}},
  };
  for (const Case& c : cases) EXPECT_EQ(PanelMinimumSize(c.w, c.h, c.screen), c.want) << c.w << "x" << c.h;
}

TEST(PanelLayout, FirstSizeIsTheDesignSizeWithinTheScreen) {
  struct Case {
    int availableW, availableH;
    SizeTw want;
  };
  const Case cases[] = {
      {30000, 20000, SizeTw{kPanelDesignWidth, kPanelDesignHeight}},  // a large screen
      {16000, 12000, SizeTw{16000, 12000}},                           // the screen's free area
      {16000, 9600, SizeTw{16000, 9600}},  // lower than the minimum: the screen, not below its edge
      {9000, 7000, SizeTw{9000, 7000}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PanelFirstSize(c.availableW, c.availableH), c.want) << c.availableW << "x" << c.availableH;
  EXPECT_FALSE(PanelMinimumSize(kPanelDesignWidth, kPanelDesignHeight, {30000, 20000}));
}

PanelLayoutIn typicalWindow(bool memVisible) {
  PanelLayoutIn in;
  in.W = 15000;
  in.S = 8000;
  in.controlPicHeight = 1455;
  in.treeViewBarWidth = 3345;
  in.treeTop = 0;
  in.memHeight = 4000;
  in.memVisible = memVisible;
  in.btnMemCloseWidth = 375;
  in.totalNumLblWidth = 1200;
  in.remainNumLblWidth = 900;
  in.statusBarWidth = 14800;
  in.statusPanelWidths = {2000, 0, 1500, 3500};
  return in;
}

TEST(PanelLayout, ColumnWithAndWithoutTheMemoryPanel) {
  const PanelLayoutOut shown = PanelLayout(typicalWindow(true));
  // The column's bottom counts 60 twips below its height.
  EXPECT_EQ(shown.memTop, 8060 - 4000);
  EXPECT_EQ(shown.memSplitTop, 8060 - 4000 - 120);
  EXPECT_EQ(shown.treeHeight, shown.memSplitTop);  // the tree ends 120 above the panel
  EXPECT_EQ(shown.memTop - (shown.treeHeight + 120), 0);
  const PanelLayoutOut hidden = PanelLayout(typicalWindow(false));
  EXPECT_EQ(hidden.treeHeight, 8060);  // fills the column

  EXPECT_EQ(shown.listViewWidth, 14800);
  EXPECT_EQ(shown.listViewHeight, 1455);
  EXPECT_EQ(shown.btnMemCloseLeft, 3345 - 375);
  EXPECT_EQ(shown.lblTitleWidth, 3345 - 375);
  EXPECT_EQ(shown.gridWidth, 3335);
  EXPECT_EQ(shown.gridHeight, 4000 - 1680);
  EXPECT_EQ(shown.totalNumLblLeft, 3345 - 1200 - 100);
  EXPECT_EQ(shown.remainNumLblLeft, 3345 - 900 - 100);
  EXPECT_EQ(shown.statusPanelWidths, (std::array<int, 4>{2000, 14800 - 7000, 1500, 3500}));
}

TEST(PanelLayout, MemoryColumnsShareTheWidthTwoSixTwo) {
  EXPECT_EQ(MemoryGridColumns(1385), (std::array<int, 3>{200, 600, 200}));
  // 3345 - 385 = 2960: unit 296.
  EXPECT_EQ(MemoryGridColumns(3345), (std::array<int, 3>{592, 1776, 592}));
  // Unit 0.2: fractions of a twip are rounded away.
  EXPECT_EQ(MemoryGridColumns(387), (std::array<int, 3>{0, 1, 0}));
}

TEST(PanelLayout, MemorySplitterIsClamped) {
  const int H = 11250, column = 8000;
  struct Case {
    int top, y, want;
  };
  const Case cases[] = {
      {2000, -500, 1800},  // above 1800 stops at 1800
      {2000, -200, 1800},
      {2000, 1000, 3000},      // inside the limits follows the mouse
      {5000, 2000, H - 5000},  // below H - 5000 stops there
  };
  for (const Case& c : cases) {
    MemSplitOut o = MemSplitDrag(c.top, c.y, H, column);
    EXPECT_EQ(o.splitTop, c.want);
    EXPECT_EQ(o.treeHeight, c.want);
    EXPECT_EQ(o.memTop, c.want + 120);
    EXPECT_EQ(o.memHeight, column - c.want - 120);
  }
  // The list keeps its 1680 offset only while the panel is that high.
  EXPECT_EQ(MemSplitDrag(0, 6000, 20000, 8000).gridHeight, 8000 - 6000 - 120 - 1680);
  EXPECT_EQ(MemSplitDrag(0, 6500, 20000, 8000).gridHeight, 8000 - 6500 - 120);
}

TEST(PanelLayout, PanelSplitterIsClamped) {
  const int W = 15000;
  EXPECT_EQ(PanelSplitDrag(3345, -3000, W), 1800);
  EXPECT_EQ(PanelSplitDrag(3345, 1000, W), 4345);
  EXPECT_EQ(PanelSplitDrag(3345, 4000, W), W - 9000);
}

TEST(PanelLayout, ShowingAndHidingTheMemoryPanel) {
  MemPanelShowOut shown = MemoryPanelGeometry(true, 8000, 0, 1385, 3000, 120, 375);
  EXPECT_EQ(shown.gridColWidths, (std::array<int, 3>{200, 600, 200}));
  EXPECT_EQ(shown.treeHeight, 8000 - 3000 - 120);
  EXPECT_EQ(shown.memSplitTop, 4880);
  EXPECT_EQ(shown.memTop, 5000);
  EXPECT_EQ(shown.memHeight, 3000);
  EXPECT_EQ(shown.gridTop, 1680);
  EXPECT_EQ(shown.gridHeight, 3000 - 1680);
  EXPECT_EQ(shown.lblTitleWidth, 1385 - 375);
  MemPanelShowOut hidden = MemoryPanelGeometry(false, 8000, 0, 1385, 3000, 120, 375);
  EXPECT_EQ(hidden.treeHeight, 8300);
}

TEST(PanelLayout, CaptionToggle) {
  std::string c = kPanelCaption;
  EXPECT_EQ(c, "Panel V10.09");
  c = ToggledPanelCaption(c);
  EXPECT_EQ(c, "Panel V10.09   2018-05-23.01");
  c = ToggledPanelCaption(c);
  EXPECT_EQ(c, "Panel V10.09");
}

TEST(ChildWindowLayout, MinimumSizeAndCentredPanel) {
  // Language window: minimum 5310 x 3015, allowances 100 and 400.
  CentredOut lang = CentreInWindow(4000, 2000, 3000, 1500, 5310, 3015, 100, 400);
  ASSERT_TRUE(lang.resizeTo);
  EXPECT_EQ(*lang.resizeTo, (SizeTw{5310, 3015}));
  EXPECT_EQ(lang.panelLeft, (5310 - 3000 - 100) / 2);
  EXPECT_EQ(lang.panelTop, (3015 - 1500 - 400) / 2);
  // Help window: minimum 4935 x 1905, allowances 100 and 500.
  CentredOut help = CentreInWindow(8000, 6000, 3000, 1500, 4935, 1905, 100, 500);
  EXPECT_FALSE(help.resizeTo);
  EXPECT_EQ(help.panelLeft, 2450);
  EXPECT_EQ(help.panelTop, 2000);
}

TEST(ChildWindowLayout, LanguageOptionsStandOneAndAHalfHeightsApart) {
  EXPECT_EQ(LanguageOptionTop(240, 300, 0), 240);
  EXPECT_EQ(LanguageOptionTop(240, 300, 1), 240 + 450);
  EXPECT_EQ(LanguageOptionTop(240, 300, 2), 240 + 900);
  EXPECT_EQ(LanguagePanelHeight(3, 300, 500), 1350);  // 4.5 option heights
  EXPECT_EQ(LanguagePanelHeight(2, 300, 500), 1300);  // two Set heights + 300
  EXPECT_EQ(HelpPanelHeight(2, 300), 900);            // three option heights
  // An odd height: the half heights are not cut short.
  EXPECT_EQ(LanguageOptionTop(120, 375, 2), 120 + 1125);
  EXPECT_EQ(LanguagePanelHeight(4, 375, 495), 2250);
  EXPECT_EQ(HelpPanelHeight(2, 375), 1125);
}

}  // namespace
}  // namespace vkz
