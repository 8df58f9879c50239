// The LED alarm window: its design values, the limit checks (70 to 140 dB,
// quantity by quantity, lower before upper, the first failure only) with
// the quantity's name in the message, the switch that must have a value,
// the write with the upper limit before the lower one, and the meter's
// values shown in the window.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "link/frames.h"
#include "polling/readbacks.h"
#include "settings/win/ledalarmfrm.h"
#include "settings2_env.h"
#include "support/common/meter_erase.h"
#include "support/common/qt_app.h"
#include "ui/formregistry.h"
#include "ui/listpos.h"

namespace vkz {
namespace {

class LedAlarmWindow : public test::WindowsTest {
 protected:
  LEDAlarmFrm* open() { return FormRegistry::get<LEDAlarmFrm>(); }
};

TEST_F(LedAlarmWindow, LoadsWithItsDesignValuesAndNamesItsQuantities) {
  LEDAlarmFrm* f = open();
  EXPECT_EQ(State().flags.LEDAlarmFrmOpen, -1);
  EXPECT_EQ(f->windowTitle(), QStringLiteral("LED Alarm"));
  EXPECT_EQ(f->EnabledCbx->count(), 2);
  EXPECT_EQ(f->EnabledCbx->itemText(1), QStringLiteral("ON"));
  EXPECT_EQ(listPosition(f->EnabledCbx), -1);
  EXPECT_EQ(f->LowerTxt[10]->text(), QStringLiteral("80"));
  EXPECT_EQ(f->UpperTxt[0]->text(), QStringLiteral("120"));
  EXPECT_EQ(f->findChild<QLabel*>(QStringLiteral("Plex8hLbl"))->text(), QStringLiteral("PLEX8H"));
  EXPECT_EQ(f->alarmname(10), "PLEX8H");
  EXPECT_EQ(f->alarmname(11), "");
  EXPECT_EQ(f->alarmname(-1), "");
}

TEST_F(LedAlarmWindow, EveryLimitIsCheckedAtBothBoundsWithItsQuantitysName) {
  linkLine();
  LEDAlarmFrm* f = open();
  setListPosition(f->EnabledCbx, 1);
  struct Case {
    int quantity;
    bool lower;
    QString text;
    const char* message;  // "" accepted
  };
  const Case cases[] = {
      {0, true, QStringLiteral("69"), "LAS Lower Limit Range : 70 ~ 140 !!!"},
      {0, true, QStringLiteral("70"), ""},
      {0, true, QStringLiteral("140"), ""},
      {0, true, QStringLiteral("141"), "LAS Lower Limit Range : 70 ~ 140 !!!"},
      {0, false, QStringLiteral("69"), "LAS Upper Limit Range : 70 ~ 140 !!!"},
      {0, false, QStringLiteral("141"), "LAS Upper Limit Range : 70 ~ 140 !!!"},
      {10, true, QStringLiteral("69"), "PLEX8H Lower Limit Range : 70 ~ 140 !!!"},
      {10, false, QStringLiteral("70"), ""},
      {10, false, QStringLiteral("140"), ""},
      {10, false, QStringLiteral("141"), "PLEX8H Upper Limit Range : 70 ~ 140 !!!"},
      {5, false, QString(), "TWA Upper Limit Range : 70 ~ 140 !!!"},  // empty reads 0
  };
  for (const Case& c : cases) {
    MsgBox::resetTestRecords();
    QLineEdit* b = (c.lower ? f->LowerTxt : f->UpperTxt)[static_cast<std::size_t>(c.quantity)];
    const QString before = b->text();
    b->setText(c.text);
    State().records.LedAlarmRecord = {};
    f->LEDAlarmBtn->click();
    b->setText(before);
    const bool refused = *c.message != 0;
    SCOPED_TRACE(std::to_string(c.quantity) + (c.lower ? " lower '" : " upper '") + c.text.toStdString());
    EXPECT_EQ(messages(), refused ? QStringList{QString::fromLatin1(c.message)} : QStringList{});
    if (refused) {
      EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::Critical);
    }
    EXPECT_EQ(State().records.LedAlarmRecord.AlarmEnable, refused ? 0 : 1);
    EXPECT_TRUE(State().poll.running());
  }
  // Only the first failure: the lower limit of LAS before the upper of LAEQ.
  MsgBox::resetTestRecords();
  f->UpperTxt[1]->setText(QStringLiteral("150"));
  f->LowerTxt[0]->setText(QStringLiteral("60"));
  f->LEDAlarmBtn->click();
  EXPECT_EQ(messages(), QStringList{QStringLiteral("LAS Lower Limit Range : 70 ~ 140 !!!")});
}

TEST_F(LedAlarmWindow, SwitchMustHaveAValueAndTheBlockGoesUpperFirst) {
  linkLine();
  LEDAlarmFrm* f = open();
  // Erasing: refused before the limits are looked at.
  f->LowerTxt[3]->setText(QStringLiteral("20"));
  ASSERT_TRUE(test::startErase());
  written();  // the erase request
  f->LEDAlarmBtn->click();
  test::meterErased();
  f->LowerTxt[3]->setText(QStringLiteral("80"));
  // The meter's values never arrived: the switch shows nothing.
  f->LEDAlarmBtn->click();
  // (The meter's "Clear OK !!!" goes to the main window, not loaded here.)
  EXPECT_EQ(messages(), (QStringList{QStringLiteral("Memory Erasing ..."),
                                     QStringLiteral("Enabled : nothing selected !!!")}));
  EXPECT_EQ(written(), "");

  setListPosition(f->EnabledCbx, 1);
  f->LEDAlarmBtn->click();
  std::vector<std::uint8_t> block{0x01};
  for (int q = 0; q < 11; ++q) block.insert(block.end(), {0x00, 0x78, 0x00, 0x50});
  EXPECT_EQ(written(), hex(BuildRequest(0x87, block, 0x2E)));
  EXPECT_TRUE(State().poll.running());
  EXPECT_EQ(State().records.LedAlarmRecord.AlarmUpper[10], 120);
}

TEST_F(LedAlarmWindow, MeterValuesFillTheWindow) {
  LEDAlarmFrm* f = open();
  std::vector<std::uint8_t> reply{0x01};
  for (int q = 0; q < 11; ++q)
    reply.insert(reply.end(), {0x00, 0x8C, 0x00, static_cast<std::uint8_t>(70 + q)});
  f->showLedAlarm(*decodeLedAlarm(Payload(reply.data(), reply.size())));
  EXPECT_EQ(f->EnabledCbx->currentText(), QStringLiteral("ON"));
  EXPECT_EQ(f->UpperTxt[7]->text(), QStringLiteral("140"));
  EXPECT_EQ(f->LowerTxt[7]->text(), QStringLiteral("77"));

  // A limit that does not fit stops the reply there with the switch OFF.
  reply[1 + 4 * 4] = 0x80;
  reply[4 + 4 * 4] = 99;
  reply[4 + 4 * 0] = 71;
  f->LowerTxt[4]->setText(QStringLiteral("111"));
  f->showLedAlarm(*decodeLedAlarm(Payload(reply.data(), reply.size())));
  EXPECT_EQ(f->LowerTxt[0]->text(), QStringLiteral("71"));
  EXPECT_EQ(f->LowerTxt[4]->text(), QStringLiteral("111"));
  EXPECT_EQ(f->EnabledCbx->currentText(), QStringLiteral("OFF"));
}

}  // namespace
}  // namespace vkz
