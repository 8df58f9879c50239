// The setting windows against the meter emulator, through the real windows:
// each opens from the setting panel (or the toolbar, the command tree, the
// main window's background), shows what the meter holds, writes a changed
// value as the exact frame the meter receives, shows the meter's
// acknowledgement, and shows the new value when it is read back.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "emulator/emulator.h"
#include "polling/pollstate.h"
#include "settings/win/kalvoxfrm.h"
#include "settings/win/rtcfrm.h"
#include "settings/win/screenfrm.h"
#include "settings/win/setting418panelfrm.h"
#include "settings/win/settingwindows.h"
#include "settings/win/valuewindows.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "support/common/download_road.h"
#include "ui/listpos.h"
#include "ui/msgbox.h"

namespace vkz {
namespace {

using emu::Bytes;

class SettingsRoad : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    ASSERT_TRUE(road_.start(tmp_.path().toStdString())) << road_.meter.lastError();
    installSettingWindows();
  }

  // The meter's acknowledgement of the write just made, shown as a message.
  bool acknowledged() {
    const std::size_t before = seen_;
    const bool ok = road_.until([&] { return static_cast<std::size_t>(road_.messages().size()) > before; });
    seen_ = static_cast<std::size_t>(road_.messages().size());
    return ok && road_.messages().last() == QStringLiteral("Set OK !!!");
  }
  // The last request of `code` the meter received, as it came over the line.
  Bytes lastRequest(int code) {
    const auto r = road_.meter.requests(code);
    return r.empty() ? Bytes{} : r.back().bytes;
  }
  Setting418PanelFrm* settingPanel() {
    road_.panel->Toolbar1_ButtonClick(QStringLiteral("SettingPanel"));
    return FormRegistry::find<Setting418PanelFrm>();
  }
  QTreeWidgetItem* treeNode(const QString& text) {
    const auto found = road_.panel->TreeView1->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
  }

  QTemporaryDir tmp_;
  DownloadRoad road_{true};
  std::size_t seen_ = 0;
};

TEST_F(SettingsRoad, PanelButtonsOpenTheirWindowAndAskForTheirGroup) {
  installValueWindows();
  Setting418PanelFrm* p = settingPanel();
  ASSERT_TRUE(p && p->isVisible());
  EXPECT_EQ(p->frameGeometry().topLeft(),
            road_.panel->frameGeometry().topLeft() + QPoint(road_.panel->frameGeometry().width(), 0));
  struct Button {
    QPushButton* button;
    int code;
    const char* window;
  };
  const Button buttons[] = {
      {p->LcdContrastBtn, 0x01, "OneSetForm"},    {p->LcdAPOBtn, 0x03, "OneSetForm"},
      {p->KalvoxBtn, 0x04, "KalvoxFrm"},          {p->ScreenBtn, 0x05, "ScreenFrm"},
      {p->PauseBtn, 0x06, "OneSetForm"},          {p->LEDAlarmBtn, 0x07, "LEDAlarmFrm"},
      {p->AutoLockKeypadBtn, 0x08, "OneSetForm"}, {p->AutoScrollBtn, 0x09, "OneSetForm"},
      {p->TimersBtn, 0x0A, "TimerFrm"},           {p->WelcomInputBtn, 0x10, "WelcomSetFrm"},
      {p->BtnCalibration, 0x13, "OneSetForm"},    {p->BtnLunchTime, 0x14, "LunchTimeFrm"},
      {p->BtnIntervalTime, 0x15, "OneSetForm"},
  };
  for (const Button& b : buttons) {
    const std::string name = b.button->objectName().toStdString();
    const std::size_t before = road_.meter.requestCount(b.code);
    b.button->click();
    EXPECT_TRUE(road_.meter.waitForRequests(before + 1, b.code)) << name;
    EXPECT_EQ(road_.meter.requestCount(b.code), before + 1) << name;
    EXPECT_TRUE(road_.panel->pollingRunning());
    // The window stands maximised in the main window's client area.
    QMdiSubWindow* sub = road_.panel->mdiArea()->activeSubWindow();
    ASSERT_TRUE(sub && sub->widget()) << name;
    EXPECT_EQ(sub->widget()->objectName(), QLatin1String(b.window)) << name;
    EXPECT_TRUE(sub->widget()->isVisible()) << name;
    EXPECT_TRUE(sub->isMaximized()) << name;
    EXPECT_EQ(sub->geometry(), road_.panel->mdiArea()->viewport()->rect()) << name;
  }
  // One setting window at a time: the screen window closed the dose one.
  EXPECT_FALSE(FormRegistry::loaded<KalvoxFrm>());
  EXPECT_TRUE(road_.messages().isEmpty());
}

TEST_F(SettingsRoad, DoseChannelsShowWriteAndReadBack) {
  Setting418PanelFrm* p = settingPanel();
  p->KalvoxBtn->click();
  KalvoxFrm* f = FormRegistry::find<KalvoxFrm>();
  ASSERT_TRUE(f);
  // The meter's settings: D1 OSHA - 80, D2 on with DOD, D3 off with ISO - 85.
  EXPECT_EQ(f->Meter1EnCbx->currentText(), QStringLiteral("Enabled"));
  EXPECT_EQ(f->Meter2StandCbx->currentText(), QStringLiteral("DOD"));
  EXPECT_EQ(f->Meter2ERCbx->currentText(), QStringLiteral("4"));
  EXPECT_FALSE(f->Meter3StandCbx->isVisibleTo(f));

  // D2 on USER2 with threshold 75 and PW 07:30.
  setListPosition(f->Meter2StandCbx, 11);
  setListPosition(f->Meter2TCbx, 5);
  setListPosition(f->Meter2HrCbx, 7);
  setListPosition(f->Meter2MinCbx, 6);
  f->KalvoxSetBtn->click();
  const Bytes dose{0x00, 0x00, 0x50, 0x5A, 0x05, 0x69, 0x01, 0xE0, 0x01, 0x0B, 0x00, 0x4B, 0x55,
                   0x04, 0x69, 0x01, 0xC2, 0x00, 0x06, 0x01, 0x46, 0x55, 0x03, 0x69, 0x01, 0xE0};
  ASSERT_TRUE(acknowledged()) << road_.messages().join('|').toStdString();
  EXPECT_EQ(lastRequest(0x84), emu::makeRequest(0x84, dose));
  EXPECT_TRUE(road_.panel->pollingRunning());

  p->KalvoxBtn->click();  // loaded afresh and read back
  f = FormRegistry::find<KalvoxFrm>();
  EXPECT_EQ(f->Meter2StandCbx->currentText(), QStringLiteral("USER2"));
  EXPECT_EQ(f->Meter2TCbx->currentText(), QStringLiteral("75"));
  EXPECT_EQ(f->Meter2HrCbx->currentText() + ':' + f->Meter2MinCbx->currentText(), QStringLiteral("07:30"));

  // The meter asks for the dose write again after the lists changed: the
  // record of the last Set goes out, not the lists.
  setListPosition(f->Meter2TCbx, 0);
  const std::size_t writes = road_.meter.requestCount(0x84);
  road_.meter.sendRaw(emu::makeReply(0x55, {0x84}));
  ASSERT_TRUE(acknowledged());
  EXPECT_EQ(road_.meter.requestCount(0x84), writes + 1);
  EXPECT_EQ(lastRequest(0x84), emu::makeRequest(0x84, dose));
}

// A slow meter asks for the dose write again 2.4 s after the Set and
// confirms the re-sent write 2.5 s later, past the wait's bound counted from
// the Set: the user sees "Set OK !!!" and nothing else.
TEST_F(SettingsRoad, WriteAskedAgainAndConfirmedLateIsSetOkAlone) {
  Setting418PanelFrm* p = settingPanel();
  p->KalvoxBtn->click();
  KalvoxFrm* f = FormRegistry::find<KalvoxFrm>();
  ASSERT_TRUE(f);
  road_.meter.neverAcknowledge(0x84);  // the test answers for the meter
  const std::size_t writes = road_.meter.requestCount(0x84);
  f->KalvoxSetBtn->click();
  ASSERT_TRUE(road_.meter.waitForRequests(writes + 1, 0x84));
  road_.clock->ticks(150);
  road_.meter.sendRaw(emu::makeReply(0x55, {0x84}));
  ASSERT_TRUE(road_.until([&] { return road_.meter.requestCount(0x84) == writes + 2; }));
  road_.clock->ticks(156);
  EXPECT_TRUE(road_.messages().isEmpty()) << road_.messages().join('|').toStdString();
  road_.meter.sendRaw(emu::makeReply(0x84, {0x84}));
  ASSERT_TRUE(acknowledged()) << road_.messages().join('|').toStdString();
  road_.clock->ticks(PollLoop::kSettingWaitTicks);
  EXPECT_EQ(road_.messages(), QStringList{QStringLiteral("Set OK !!!")});
}

TEST_F(SettingsRoad, ScreensShowWriteAndReadBack) {
  const auto meterPages = road_.meter.settings().screens;
  Setting418PanelFrm* p = settingPanel();
  p->ScreenBtn->click();
  ScreenFrm* f = FormRegistry::find<ScreenFrm>();
  ASSERT_TRUE(f);
  EXPECT_EQ(f->UpPageCbx[0]->currentText(), QStringLiteral("Dose"));
  EXPECT_EQ(f->DownPageCbx[0]->currentText(), QStringLiteral("TWA"));
  EXPECT_EQ(f->KalvoxCbx[5]->currentText(), QStringLiteral("Kalvox 3"));

  // Unchanged, the pages go back to the meter exactly as read: their
  // channels included.
  f->ScreenSetBtn->click();
  ASSERT_TRUE(acknowledged());
  EXPECT_EQ(lastRequest(0x85), emu::makeRequest(0x85, Bytes(meterPages.begin(), meterPages.end())));

  // Page 3 shows LAVG above LAFMax: the upper line goes OFF.
  setListPosition(f->UpPageCbx[0], 17);
  setListPosition(f->DownPageCbx[0], 32);
  setListPosition(f->KalvoxCbx[0], 1);
  f->ScreenSetBtn->click();
  ASSERT_TRUE(acknowledged());
  Bytes pages(meterPages.begin(), meterPages.end());
  pages[0] = 1;
  pages[1] = 132;
  pages[2] = 34;
  EXPECT_EQ(lastRequest(0x85), emu::makeRequest(0x85, pages));

  p->ScreenBtn->click();
  f = FormRegistry::find<ScreenFrm>();
  EXPECT_EQ(f->UpPageCbx[0]->currentText(), QStringLiteral("OFF"));
  EXPECT_EQ(f->DownPageCbx[0]->currentText(), QStringLiteral("LAFMax"));
  EXPECT_EQ(f->KalvoxCbx[0]->currentText(), QStringLiteral("Kalvox 2"));
}

TEST_F(SettingsRoad, ClockFromTheToolbarSetsTheMeterToTheComputerTime) {
  road_.meter.setClock({2019, 1, 2, 3, 4, 5});
  State().poll.setClock([] { return DateTime{2024, 3, 7, 9, 5, 1}; });
  const std::size_t asked = road_.meter.requestCount(0x02);
  road_.panel->Toolbar1_ButtonClick(QStringLiteral("RTC"));
  RTCFrm* f = FormRegistry::find<RTCFrm>();
  ASSERT_TRUE(f && f->isVisible());
  EXPECT_TRUE(road_.panel->pollingRunning());
  EXPECT_EQ(road_.meter.requestCount(0x02), asked);  // opening sends nothing

  road_.panel->Timer1_Timer();
  EXPECT_EQ(f->PcTimeNowLbl->text(), QStringLiteral("2024/03/07 09:05:01"));
  ASSERT_TRUE(
      road_.until([&] { return f->MeterTimeNowLbl->text().startsWith(QStringLiteral("2019/01/02 03:04")); }));

  f->RTCSetBtn->click();
  ASSERT_TRUE(acknowledged());
  EXPECT_EQ(emu::toHex(lastRequest(0x82)), "02 00 08 82 07 E8 03 07 09 05 01 6C");
  road_.panel->Timer1_Timer();
  EXPECT_TRUE(
      road_.until([&] { return f->MeterTimeNowLbl->text().startsWith(QStringLiteral("2024/03/07 09:0")); }));
}

TEST_F(SettingsRoad, MeterNameFromTheBackgroundInCodePage1252) {
  MsgBox::inputAnswers() = {QStringLiteral("code 857")};
  road_.panel->MDIForm_DblClick();
  ASSERT_FALSE(road_.panel->SNPic->isHidden());
  ASSERT_TRUE(road_.until([&] { return road_.panel->SNTxt->text() == QStringLiteral("VKZ00012345 "); }));

  road_.panel->SNTxt->setText(QStringLiteral("Zähler 7"));
  seen_ = static_cast<std::size_t>(road_.messages().size());  // the code prompt is not an answer
  road_.panel->SNSendBtn->click();
  EXPECT_EQ(road_.panel->SNTxt->text(), QStringLiteral("Zähler 7   "));
  ASSERT_TRUE(acknowledged());
  EXPECT_EQ(emu::toHex(lastRequest(0x8E)),
            emu::toHex(emu::makeRequest(0x8E, {'Z', 0xE4, 'h', 'l', 'e', 'r', ' ', '7', ' ', ' ', ' '})));

  road_.panel->SNExitBtn->click();
  road_.panel->SNTxt->clear();
  MsgBox::inputAnswers() = {QStringLiteral("857")};
  road_.panel->MDIForm_DblClick();
  EXPECT_TRUE(
      road_.until([&] { return road_.panel->SNTxt->text().startsWith(QStringLiteral("Zähler 7   ")); }));
}

TEST_F(SettingsRoad, MeterListToolbarAndCommandTreeOpenTheWindows) {
  // A click on the detected meter opens the setting panel.
  ASSERT_TRUE(road_.until([&] { return road_.panel->ControlListView->count() > 0; }));
  road_.panel->ControlListView_ItemClick(road_.panel->ControlListView->item(0));
  ASSERT_TRUE(FormRegistry::find<Setting418PanelFrm>() &&
              FormRegistry::find<Setting418PanelFrm>()->isVisible());

  const std::pair<const char*, int> nodes[] = {{"Kalvox", 0x04}, {"Screen", 0x05}};
  for (auto [text, code] : nodes) {
    QTreeWidgetItem* node = treeNode(QString::fromLatin1(text));
    ASSERT_TRUE(node) << text;
    const std::size_t before = road_.meter.requestCount(code);
    road_.panel->TreeView1_NodeClick(node);
    EXPECT_TRUE(road_.meter.waitForRequests(before + 1, code)) << text;
    EXPECT_TRUE(road_.panel->pollingRunning());
  }
  ScreenFrm* screens = FormRegistry::find<ScreenFrm>();
  ASSERT_TRUE(screens && screens->isVisible());
  EXPECT_EQ(screens->UpPageCbx[0]->currentText(), QStringLiteral("Dose"));  // the meter's page 3
  EXPECT_FALSE(FormRegistry::loaded<KalvoxFrm>());

  road_.panel->TreeView1_NodeClick(treeNode(QStringLiteral("RTC")));
  EXPECT_TRUE(FormRegistry::find<RTCFrm>() && FormRegistry::find<RTCFrm>()->isVisible());
  EXPECT_FALSE(FormRegistry::loaded<ScreenFrm>());
}

}  // namespace
}  // namespace vkz
