// The clock window: the poll tick writes the computer time and the decoder
// the meter time into its labels while it is open; Set refuses to send a
// computer time that is not shown yet.
#include <QLabel>
#include <QPushButton>

#include "settings/win/rtcfrm.h"
#include "windows/settings/settings_env.h"

namespace vkz {
namespace {

class RtcTest : public SettingsTest {};

TEST_F(RtcTest, LabelsFollowTheTicksWhileOpen) {
  State().poll.setClock([] { return DateTime{2024, 3, 7, 9, 5, 1}; });
  State().poll.tick1();  // not open: nothing to write
  RTCFrm* f = FormRegistry::get<RTCFrm>();
  EXPECT_EQ(State().flags.RTCFrmOpen, -1);
  EXPECT_EQ(f->windowTitle(), QStringLiteral("RTC"));
  EXPECT_EQ(f->PcTimeLbl->text(), QStringLiteral("PC Time"));
  EXPECT_EQ(f->MeterTimeLbl->text(), QStringLiteral("MeterTime"));
  EXPECT_TRUE(f->PcTimeNowLbl->text().isEmpty());
  State().poll.tick1();
  EXPECT_EQ(f->PcTimeNowLbl->text(), QStringLiteral("2024/03/07 09:05:01"));
  State().poll.windows.readbacks.clock()->showMeterTime("2024/03/07 09:04:58");
  EXPECT_EQ(f->MeterTimeNowLbl->text(), QStringLiteral("2024/03/07 09:04:58"));
  f->ExitBtn->click();
  EXPECT_EQ(State().flags.RTCFrmOpen, 0);
  test::settleEvents();
  EXPECT_EQ(State().poll.windows.readbacks.clock(), nullptr);
}

TEST_F(RtcTest, SetWithoutAComputerTimeSendsNothing) {
  RTCFrm* f = FormRegistry::get<RTCFrm>();
  State().poll.StopPanelTimers();  // polling stays as it was
  f->RTCSetBtn->click();
  EXPECT_EQ(messages(), QStringList{QString::fromStdString(noPcTimeText())});
  EXPECT_FALSE(State().poll.running());
  State().poll.StartPanelTimers();
  f->PcTimeNowLbl->setText(QStringLiteral("2024/03/07 09:05:01"));
  f->RTCSetBtn->click();
  EXPECT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_TRUE(State().poll.running());
}

// The panel's raised frame hides nothing: every control lies inside what
// the frame leaves, the labels a little in from it.
TEST_F(RtcTest, ControlsStandInsideThePanelFrame) {
  RTCFrm* f = FormRegistry::get<RTCFrm>();
  f->PcTimeNowLbl->setText(QStringLiteral("2024/03/07 09:05:01"));
  f->PcTimeNowLbl->adjustSize();
  const QWidget* panel = f->ExitBtn->parentWidget();
  const QRect inside = panel->contentsRect();
  ASSERT_GT(panel->width() - inside.width(), 0);  // the panel has a frame
  for (const QWidget* c : {static_cast<QWidget*>(f->PcTimeLbl), static_cast<QWidget*>(f->MeterTimeLbl)})
    EXPECT_TRUE(inside.adjusted(1, 1, -1, -1).contains(c->geometry())) << c->objectName().toStdString();
  for (const QWidget* c : {f->RTCSetBtn, f->ExitBtn})
    EXPECT_TRUE(inside.contains(c->geometry())) << c->objectName().toStdString();
}

}  // namespace
}  // namespace vkz
