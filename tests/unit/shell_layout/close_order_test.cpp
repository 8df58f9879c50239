// The closing orders of the main window (CheckFlage, checkpanelflage) and
// of the language window, run over the flags with a recording closer that
// behaves as the windows' unloads do.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "shell/flags.h"

namespace vkz {
namespace {

// Closes like the real windows: a window's unload clears its own flag; the
// one-value window clears all seven selectors; the setting panel closes the
// setting windows through its own checkpanelflage; the memory panel hides.
struct Closer {
  WindowFlags& f;
  std::vector<WindowId> closed;
  void operator()(WindowId w) {
    closed.push_back(w);
    switch (w) {
      case WindowId::ComPortSetFrm:
        f.ComPortSetFrmOpen = 0;
        break;
      case WindowId::Setting418PanelFrm:
        f.Setting418PanelFrmOpen = 0;
        RunCloseOrder(CheckPanelFlageOrder(), f, std::ref(*this));
        break;
      case WindowId::RTCFrm:
        f.RTCFrmOpen = 0;
        break;
      case WindowId::OneSetForm:
        f.clearOneSetSelectors();
        break;
      case WindowId::KalvoxFrm:
        f.KalvoxFrmOpen = 0;
        break;
      case WindowId::ScreenFrm:
        f.ScreenFrmOpen = 0;
        break;
      case WindowId::LEDAlarmFrm:
        f.LEDAlarmFrmOpen = 0;
        break;
      case WindowId::TimerFrm:
        f.TimerFrmOpen = 0;
        break;
      case WindowId::WelcomSetFrm:
        f.WelcomSetFrmOpen = 0;
        break;
      case WindowId::ClearMemoryFrm:
        f.ClearMemoryFrmOpen = 0;
        break;
      case WindowId::HelpFrm:
        f.HelpFrmOpen = 0;
        break;
      case WindowId::LanguageFrm:
        f.LanguageFrmOpen = 0;
        break;
      case WindowId::FileListFrm:
        f.FileListFrmOpen = 0;
        break;
      case WindowId::LunchTimeFrm:
        f.LunchTimeFrmOpen = 0;
        break;
      case WindowId::DataListFrm:
        f.DataListFrmOpen = 0;
        break;
      case WindowId::Histogram:
        f.HistogramOpen = 0;
        break;
      case WindowId::Plot:
        f.PlotOpen = 0;
        break;
      case WindowId::MemoryPanel:
        f.MemoryPanelShown = 0;
        break;
    }
  }
};

std::vector<WindowId> run(const std::vector<CloseStep>& order, WindowFlags& f) {
  Closer c{f, {}};
  RunCloseOrder(order, f, std::ref(c));
  return c.closed;
}

TEST(CloseOrder, NoFlagSetChangesNothing) {
  WindowFlags f;
  EXPECT_TRUE(run(CheckFlageOrder(), f).empty());
  EXPECT_TRUE(run(CheckPanelFlageOrder(), f).empty());
}

TEST(CloseOrder, CheckFlageLeavesTheDataListHistogramAndGraph) {
  WindowFlags f;
  f.KalvoxFrmOpen = f.DataListFrmOpen = f.HistogramOpen = f.PlotOpen = -1;
  EXPECT_EQ(run(CheckFlageOrder(), f), std::vector<WindowId>{WindowId::KalvoxFrm});
  EXPECT_EQ(f.DataListFrmOpen, -1);
  EXPECT_EQ(f.HistogramOpen, -1);
  EXPECT_EQ(f.PlotOpen, -1);
}

TEST(CloseOrder, OneValueWindowUnloadsOnceWhicheverSelectorIsSet) {
  for (auto order : {&CheckFlageOrder, &CheckPanelFlageOrder}) {
    WindowFlags f;
    f.OneSetCalibration = -1;
    f.OneSetLcdContrast = -1;  // even two stray selectors: one unload clears all seven
    EXPECT_EQ(run(order(), f), std::vector<WindowId>{WindowId::OneSetForm});
    EXPECT_EQ(f.OneSetCalibration, 0);
    EXPECT_EQ(f.OneSetLcdContrast, 0);
  }
}

TEST(CloseOrder, MemoryPortAndSettingPanelOnlyByCheckFlage) {
  WindowFlags f;
  f.MemoryPanelShown = f.ComPortSetFrmOpen = f.Setting418PanelFrmOpen = -1;
  EXPECT_TRUE(run(CheckPanelFlageOrder(), f).empty());
  EXPECT_EQ(f.MemoryPanelShown, -1);
  EXPECT_EQ(
      run(CheckFlageOrder(), f),
      (std::vector<WindowId>{WindowId::ComPortSetFrm, WindowId::Setting418PanelFrm, WindowId::MemoryPanel}));
  EXPECT_EQ(f.MemoryPanelShown, 0);
}

TEST(CloseOrder, SettingPanelClosesItsWindowsBeforeCheckFlageReachesThem) {
  WindowFlags f;
  f.Setting418PanelFrmOpen = f.TimerFrmOpen = f.RTCFrmOpen = f.LunchTimeFrmOpen = -1;
  EXPECT_EQ(run(CheckFlageOrder(), f), (std::vector<WindowId>{WindowId::Setting418PanelFrm, WindowId::RTCFrm,
                                                              WindowId::TimerFrm, WindowId::LunchTimeFrm}));
}

TEST(CloseOrder, AllFlagsInTheirOrder) {
  WindowFlags f;
  for (const CloseStep& s : CheckFlageOrder()) f.*(s.flag) = -1;
  std::vector<WindowId> want{WindowId::ComPortSetFrm, WindowId::Setting418PanelFrm, WindowId::RTCFrm,
                             WindowId::OneSetForm,    WindowId::KalvoxFrm,          WindowId::ScreenFrm,
                             WindowId::LEDAlarmFrm,   WindowId::TimerFrm,           WindowId::MemoryPanel,
                             WindowId::WelcomSetFrm,  WindowId::ClearMemoryFrm,     WindowId::HelpFrm,
                             WindowId::LanguageFrm,   WindowId::FileListFrm,        WindowId::LunchTimeFrm};
  // The setting panel closes the setting windows itself, in checkpanelflage's order.
  std::vector<WindowId> got = run(CheckFlageOrder(), f);
  std::vector<WindowId> panelFirst{
      WindowId::ComPortSetFrm, WindowId::Setting418PanelFrm, WindowId::RTCFrm,      WindowId::OneSetForm,
      WindowId::KalvoxFrm,     WindowId::ScreenFrm,          WindowId::LEDAlarmFrm, WindowId::TimerFrm,
      WindowId::WelcomSetFrm,  WindowId::ClearMemoryFrm,     WindowId::HelpFrm,     WindowId::LanguageFrm,
      WindowId::FileListFrm,   WindowId::LunchTimeFrm,       WindowId::MemoryPanel};
  EXPECT_EQ(got, panelFirst);
  // Without the setting panel, CheckFlage's own order shows.
  WindowFlags g;
  for (const CloseStep& s : CheckFlageOrder()) g.*(s.flag) = -1;
  g.Setting418PanelFrmOpen = 0;
  want.erase(want.begin() + 1);
  EXPECT_EQ(run(CheckFlageOrder(), g), want);
}

TEST(CloseOrder, LanguageWindowClosesEveryOtherWindow) {
  WindowFlags f;
  f.DataListFrmOpen = f.HistogramOpen = f.PlotOpen = f.MemoryPanelShown = f.KalvoxFrmOpen = -1;
  f.OneSetIntervalTime = -1;
  EXPECT_EQ(run(LanguageFrmCloseOrder(), f),
            (std::vector<WindowId>{WindowId::DataListFrm, WindowId::KalvoxFrm, WindowId::Histogram,
                                   WindowId::MemoryPanel, WindowId::Plot, WindowId::OneSetForm}));
}

TEST(CloseOrder, AFailingUnloadIsPassedOver) {
  WindowFlags f;
  f.RTCFrmOpen = f.KalvoxFrmOpen = -1;
  std::vector<WindowId> closed;
  RunCloseOrder(CheckPanelFlageOrder(), f, [&](WindowId w) {
    closed.push_back(w);
    if (w == WindowId::RTCFrm) throw std::runtime_error("unload failed");
    f.KalvoxFrmOpen = 0;
  });
  EXPECT_EQ(closed, (std::vector<WindowId>{WindowId::RTCFrm, WindowId::KalvoxFrm}));
}

}  // namespace
}  // namespace vkz
