// The setting panel: placed once at the main window's right edge with its
// thirteen buttons, the launch sequence's order, the erase refusal, and the
// windows its closing closes and leaves.
#include <QGuiApplication>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

#include "settings/win/kalvoxfrm.h"
#include "settings/win/rtcfrm.h"
#include "settings/win/setting418panelfrm.h"
#include "support/common/meter_erase.h"
#include "ui/mainwindowhost.h"
#include "ui/twips.h"
#include "windows/settings/settings_env.h"

namespace vkz {

// Stand-ins for windows of other libraries, closed by their class names.
namespace fake {
#define VKZ_FAKE_WINDOW(Name, flag)             \
  class Name : public FormWindow<QWidget> {     \
    Q_OBJECT                                    \
   public:                                      \
    Name() : FormWindow(&State().flags.flag) {} \
  };
VKZ_FAKE_WINDOW(HelpFrm, HelpFrmOpen)
VKZ_FAKE_WINDOW(LanguageFrm, LanguageFrmOpen)
VKZ_FAKE_WINDOW(FileListFrm, FileListFrmOpen)
VKZ_FAKE_WINDOW(ClearMemoryFrm, ClearMemoryFrmOpen)
VKZ_FAKE_WINDOW(DataListFrm, DataListFrmOpen)
VKZ_FAKE_WINDOW(Plot, PlotOpen)
#undef VKZ_FAKE_WINDOW

// The one-value window: no flag of its own, its unload clears every
// selector.
class OneSetForm : public FormWindow<QWidget> {
  Q_OBJECT
 public:
  OneSetForm() { ++loads; }
  void Form_Unload() override { State().flags.clearOneSetSelectors(); }
  static inline int loads = 0;
};
}  // namespace fake

namespace {

struct Host : QWidget, MainWindowHost {
  // Gone, it is no main window for the windows that outlive it.
  ~Host() override { State().mainWindow = nullptr; }
  void showMdiChild(QWidget* w) override { w->show(); }
  void keepClientAreaClearOf(const QWidget* w) override {
    cover = w;
    ++told;
  }
  const QWidget* cover = nullptr;
  int told = 0;
  QPoint frameTopLeft() const override { return {40, 30}; }
  int frameWidth() const override { return width; }
  int width = 800;
  QString caption() const override { return {}; }
  void setCaption(const QString&) override {}
};

class PanelTest : public SettingsTest {};

TEST_F(PanelTest, PlacedAtTheMainWindowsRightEdgeWithItsButtons) {
  Host host;
  State().mainWindow = [&host] { return static_cast<MainWindowHost*>(&host); };
  Setting418PanelFrm* p = FormRegistry::get<Setting418PanelFrm>();
  EXPECT_EQ(State().flags.Setting418PanelFrmOpen, -1);
  EXPECT_EQ(p->pos(), QPoint(840, 30));
  EXPECT_EQ(p->windowTitle(), QStringLiteral("Setting Panel"));
  EXPECT_EQ(p->size(), QSize(pxX(4485), pxY(6120)));
  // Caption, place (twips), tab order.
  const std::tuple<QPushButton*, const char*, int, int> buttons[] = {
      {p->LcdContrastBtn, "Lcd contrast", 120, 120},
      {p->LcdAPOBtn, "Lcd APO", 120, 960},
      {p->KalvoxBtn, "Kalvox", 120, 1800},
      {p->TimersBtn, "Timers", 120, 2640},
      {p->ScreenBtn, "Screen", 120, 3480},
      {p->PauseBtn, "Pause", 2280, 120},
      {p->LEDAlarmBtn, "LED Alarm", 2280, 960},
      {p->AutoLockKeypadBtn, "Auto Lock Keypad", 2280, 1800},
      {p->AutoScrollBtn, "Auto Scroll Screens", 2280, 2640},
      {p->WelcomInputBtn, "InputText", 2280, 3480},
      {p->BtnCalibration, "Calibration", 120, 4320},
      {p->BtnLunchTime, "LunchTime", 2280, 4320},
      {p->BtnIntervalTime, "Interval Time", 120, 5160},
  };
  QWidget* previous = nullptr;
  for (auto [b, caption, left, top] : buttons) {
    EXPECT_EQ(b->text(), QString::fromLatin1(caption));
    EXPECT_EQ(b->geometry(), QRect(pxX(left), pxY(top), pxX(2055), pxY(855))) << caption;
    if (previous) {
      EXPECT_EQ(previous->nextInFocusChain(), b) << caption;
    }
    previous = b;
  }
}

// Beside a main window as wide as the screen there is no room: the panel
// comes inside the screen, over the main window, its right edge on the
// screen's.
TEST_F(PanelTest, PlacedInsideTheScreenBesideAMainWindowAsWideAsTheScreen) {
  Host host;
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  host.width = screen.width() - 40;
  host.show();  // the main window on the screen, its frame known
  State().mainWindow = [&host] { return static_cast<MainWindowHost*>(&host); };
  Setting418PanelFrm* p = FormRegistry::get<Setting418PanelFrm>();
  p->show();
  test::settleEvents();
  EXPECT_TRUE(screen.contains(p->frameGeometry()));
  EXPECT_EQ(p->frameGeometry().right(), screen.right());
  EXPECT_EQ(p->frameGeometry().top(), 30);
}

// The main window keeps its client area clear of the panel: told when the
// panel comes, moves and goes.
TEST_F(PanelTest, TellsTheMainWindowWhereItStands) {
  Host host;
  State().mainWindow = [&host] { return static_cast<MainWindowHost*>(&host); };
  Setting418PanelFrm* p = FormRegistry::get<Setting418PanelFrm>();
  EXPECT_EQ(host.told, 0);  // not shown yet
  p->show();
  test::settleEvents();
  EXPECT_EQ(host.cover, p);
  const int told = host.told;
  p->move(p->pos() + QPoint(-50, 20));
  test::settleEvents();
  EXPECT_GT(host.told, told);
  EXPECT_EQ(host.cover, p);
  FormRegistry::unload(p);
  test::settleEvents();
  EXPECT_EQ(host.cover, nullptr);
}

TEST_F(PanelTest, LaunchSequenceInItsOrder) {
  Setting418PanelFrm* p = FormRegistry::get<Setting418PanelFrm>();
  QPointer<RTCFrm> rtc = FormRegistry::get<RTCFrm>();
  // A byte waiting in the current port's buffer, which the LCD buttons
  // discard before they ask.
  State().link.PortCount = 1;
  State().link.CurPort = 1;
  State().link.PortTable[1].PortNo = 1;
  State().link.PortTable[1].RxBuf = {0x03};
  struct Seen {
    bool paused, rtcClosed, flushed;
    std::int16_t contrast, pause;
  };
  std::vector<Seen> seen;
  State().openers.showOneSetForm = [&] {
    seen.push_back({!State().poll.running(), State().flags.RTCFrmOpen == 0,
                    State().link.PortTable[1].RxBuf.empty(), State().flags.OneSetLcdContrast,
                    State().flags.OneSetPause});
    FormRegistry::get<fake::OneSetForm>();
  };
  p->LcdContrastBtn->click();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(seen[0].paused && seen[0].rtcClosed && seen[0].flushed);
  EXPECT_EQ(seen[0].contrast, -1);
  EXPECT_TRUE(State().poll.running());

  // Pause after Lcd contrast: the one-value window is unloaded (clearing
  // every selector) and loaded afresh with only the new selector set; no
  // flush this time.
  State().link.PortTable[1].RxBuf = {0x03};
  const int loads = fake::OneSetForm::loads;
  p->PauseBtn->click();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].contrast, 0);
  EXPECT_EQ(seen[1].pause, -1);
  EXPECT_FALSE(seen[1].flushed);
  EXPECT_EQ(fake::OneSetForm::loads, loads + 1);

  // The same button twice loads its window afresh.
  p->KalvoxBtn->click();
  QPointer<KalvoxFrm> first = FormRegistry::find<KalvoxFrm>();
  ASSERT_TRUE(first);
  EXPECT_FALSE(FormRegistry::loaded<fake::OneSetForm>());
  EXPECT_EQ(State().flags.OneSetPause, 0);
  p->KalvoxBtn->click();
  test::settleEvents();
  EXPECT_TRUE(first.isNull());
  EXPECT_TRUE(FormRegistry::loaded<KalvoxFrm>());
  EXPECT_TRUE(messages().isEmpty());
}

TEST_F(PanelTest, EveryButtonRefusesWhileAnEraseIsPending) {
  Setting418PanelFrm* p = FormRegistry::get<Setting418PanelFrm>();
  FormRegistry::get<RTCFrm>();
  ASSERT_TRUE(test::startErase());
  int shown = 0;
  State().openers.showOneSetForm = [&] { ++shown; };
  const QList<QPushButton*> all = p->findChildren<QPushButton*>();
  ASSERT_EQ(all.size(), 13);
  for (QPushButton* b : all) b->click();
  EXPECT_EQ(messages(), QStringList(13, QStringLiteral("Memory Erasing ...")));
  EXPECT_EQ(shown, 0);
  EXPECT_TRUE(FormRegistry::loaded<RTCFrm>());
  EXPECT_TRUE(State().poll.running());
}

TEST_F(PanelTest, ClosingThePanelClosesTheSettingAndShellWindowsOnly) {
  Setting418PanelFrm* p = FormRegistry::get<Setting418PanelFrm>();
  FormRegistry::get<RTCFrm>();
  FormRegistry::get<fake::HelpFrm>();
  FormRegistry::get<fake::LanguageFrm>();
  FormRegistry::get<fake::FileListFrm>();
  FormRegistry::get<fake::ClearMemoryFrm>();
  FormRegistry::get<fake::DataListFrm>();
  FormRegistry::get<fake::Plot>();
  // A selector left set without its window says nothing any more.
  State().flags.OneSetCalibration = -1;
  p->close();
  const WindowFlags& f = State().flags;
  EXPECT_EQ(f.Setting418PanelFrmOpen, 0);
  for (std::int16_t flag : {f.RTCFrmOpen, f.HelpFrmOpen, f.LanguageFrmOpen, f.FileListFrmOpen,
                            f.ClearMemoryFrmOpen, f.OneSetCalibration})
    EXPECT_EQ(flag, 0);
  EXPECT_EQ(f.DataListFrmOpen, -1);
  EXPECT_EQ(f.PlotOpen, -1);
}

}  // namespace
}  // namespace vkz

#include "panel_test.moc"
