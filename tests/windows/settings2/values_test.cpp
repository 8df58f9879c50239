// The one-value, welcome-text and lunch-time windows: what each shows when
// it loads, the exact request its Set writes, its refusals, and the meter's
// values shown in it.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "base/numfmt.h"
#include "polling/readbacks.h"
#include "settings/win/lunchtimefrm.h"
#include "settings/win/onesetform.h"
#include "settings/win/welcomsetfrm.h"
#include "settings2_env.h"
#include "support/common/meter_erase.h"
#include "support/common/qt_app.h"
#include "ui/formregistry.h"
#include "ui/listpos.h"

namespace vkz {
namespace {

using ValueWindows = test::WindowsTest;

// The one-value window as its opener shows it: one selector set.
OneSetForm* openOneSet(std::int16_t WindowFlags::*selector) {
  FormRegistry::unload<OneSetForm>();
  State().flags.*selector = -1;
  return FormRegistry::get<OneSetForm>();
}

TEST_F(ValueWindows, OneSetFormShowsTheChosenSettingAndWritesItsRequest) {
  linkLine();
  using W = WindowFlags;
  struct Case {
    std::int16_t W::*selector;
    const char* caption;
    int items;
    int position;
    const char* item;
    const char* frame;
  };
  const Case cases[] = {
      {&W::OneSetAutoLockKeypad, "Auto Lock Keypad", 2, 1, "ON", "02 00 02 88 01 8B"},
      {&W::OneSetAutoScroll, "Auto Scroll Screens", 2, 0, "OFF", "02 00 02 89 00 8B"},
      {&W::OneSetLcdAPO, "Lcd APO", 6, 5, "5 Min", "02 00 02 83 05 84"},
      {&W::OneSetLcdAPO, "Lcd APO", 6, 0, "OFF", "02 00 02 83 00 81"},
      {&W::OneSetLcdContrast, "Lcd contrast", 10, 0, "1", "02 00 02 81 04 87"},
      {&W::OneSetLcdContrast, "Lcd contrast", 10, 9, "10", "02 00 02 81 28 AB"},
      {&W::OneSetPause, "Pause", 2, 1, "ON", "02 00 02 86 01 85"},
      {&W::OneSetCalibration, "Calibration", 61, 0, "93.0", "02 00 03 8F 03 A2 2D"},
      {&W::OneSetCalibration, "Calibration", 61, 59, "115.9", "02 00 03 8F 04 87 0F"},
      {&W::OneSetCalibration, "Calibration", 61, 60, "OFF", "02 00 03 8F 00 00 8C"},
      {&W::OneSetIntervalTime, "Interval Time", 6, 5, "2 Hr", "02 00 05 91 20 1C 00 00 A8 00 00 00 00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frame);
    OneSetForm* f = openOneSet(c.selector);
    EXPECT_EQ(f->windowTitle(), QString::fromLatin1(c.caption));
    EXPECT_EQ(f->SetCbx->count(), c.items);
    EXPECT_EQ(listPosition(f->SetCbx), 0);
    setListPosition(f->SetCbx, c.position);
    EXPECT_EQ(f->SetCbx->currentText(), QString::fromLatin1(c.item));
    f->SetBtn->click();
    EXPECT_EQ(written(), c.frame);
    EXPECT_TRUE(State().poll.running());
  }
  EXPECT_EQ(State().records.IntervalSeconds, 7200);
  EXPECT_TRUE(messages().isEmpty());
  // Its unload clears every selector.
  State().flags.OneSetPause = -1;
  FormRegistry::unload<OneSetForm>();
  EXPECT_EQ(State().flags.OneSetPause, 0);
  EXPECT_EQ(State().flags.OneSetIntervalTime, 0);
}

TEST_F(ValueWindows, OneSetFormRefusesWhileErasingAndWithoutAnItem) {
  linkLine();
  // A translated "OFF" changes the on/off lists but not the calibration's.
  State().texts.TxtOFF = "AUS";
  OneSetForm* f = openOneSet(&WindowFlags::OneSetCalibration);
  EXPECT_EQ(f->SetCbx->itemText(60), QStringLiteral("OFF"));
  ASSERT_TRUE(test::startErase());
  written();  // the erase request
  f->SetBtn->click();
  test::meterErased();
  setListPosition(f->SetCbx, -1);
  f->SetBtn->click();
  // (The meter's "Clear OK !!!" goes to the main window, not loaded here.)
  EXPECT_EQ(messages(), (QStringList{QStringLiteral("Memory Erasing ..."), QStringLiteral("Set Error !!!")}));
  EXPECT_EQ(MsgBox::shown()[1].icon, MsgIcon::Critical);
  EXPECT_EQ(written(), "");
  EXPECT_TRUE(State().poll.running());
  EXPECT_EQ(openOneSet(&WindowFlags::OneSetPause)->SetCbx->itemText(0), QStringLiteral("AUS"));
  // The interval keeps its value when nothing is sent.
  State().records.IntervalSeconds = 600;
  f = openOneSet(&WindowFlags::OneSetIntervalTime);
  setListPosition(f->SetCbx, -1);
  f->SetBtn->click();
  EXPECT_EQ(State().records.IntervalSeconds, 600);
  EXPECT_EQ(written(), "");
}

TEST_F(ValueWindows, CalibrationLevelsShowTheUsersDecimalMarkAndSendTheSameValue) {
  linkLine();
  setDecimalSeparator(',');
  OneSetForm* f = openOneSet(&WindowFlags::OneSetCalibration);
  EXPECT_EQ(f->SetCbx->itemText(0), QStringLiteral("93,0"));
  EXPECT_EQ(f->SetCbx->itemText(30), QStringLiteral("113,0"));
  setListPosition(f->SetCbx, 59);
  f->SetBtn->click();
  EXPECT_EQ(written(), "02 00 03 8F 04 87 0F");
  // The meter's level selects its item, any other level "OFF".
  const std::uint8_t level[] = {0x04, 0x6C};  // 113.2
  EXPECT_TRUE(f->showValue(*calibrationListPosition(Payload(level, 2))));
  EXPECT_EQ(f->SetCbx->currentText(), QStringLiteral("113,2"));
  EXPECT_FALSE(f->showValue(61));
  EXPECT_EQ(f->SetCbx->currentText(), QStringLiteral("113,2"));
}

// The welcome-text request of three lines of 12 bytes: length byte 0x26.
std::vector<std::uint8_t> welcomeFrame(std::initializer_list<const char*> lines) {
  std::vector<std::uint8_t> f{0x02, 0x00, 0x26, 0x8D};
  for (const char* line : lines) f.insert(f.end(), line, line + 12);
  std::uint8_t x = 0;
  for (std::size_t i = 1; i < f.size(); ++i) x ^= f[i];
  f.push_back(x);
  return f;
}

TEST_F(ValueWindows, WelcomeTextIsPaddedToTwelveAndSentInCodePage1252) {
  linkLine();
  WelcomSetFrm* f = FormRegistry::get<WelcomSetFrm>();
  EXPECT_EQ(State().flags.WelcomSetFrmOpen, -1);
  EXPECT_EQ(f->windowTitle(), QStringLiteral("Welcome Text Setting"));
  // Never read from the meter: "Text1" and seven blanks on each line.
  f->SetBtn->click();
  EXPECT_EQ(written(), hex(welcomeFrame({"Text1       ", "Text1       ", "Text1       "})));
  EXPECT_EQ(f->WelLineTxt[2]->text(), QStringLiteral("Text1       "));

  f->WelLineTxt[0]->setText(QStringLiteral("HELLO"));
  f->WelLineTxt[1]->setText(QString());
  f->WelLineTxt[2]->setText(QStringLiteral("Preis 5 €"));
  ASSERT_TRUE(test::startErase());  // written all the same
  written();                        // the erase request
  f->SetBtn->click();
  const auto frame = welcomeFrame({"HELLO       ", "            ", "Preis 5 \x80   "});
  ASSERT_EQ(frame.size(), 41u);
  EXPECT_EQ(written(), hex(frame));
  EXPECT_EQ(f->WelLineTxt[0]->text(), QStringLiteral("HELLO       "));
  EXPECT_EQ(f->WelLineTxt[1]->text(), QStringLiteral("            "));
  EXPECT_TRUE(State().poll.running());

  // A character the meter cannot show: refused by name, nothing sent.
  f->WelLineTxt[1]->setText(QStringLiteral("Привет"));
  f->SetBtn->click();
  EXPECT_EQ(
      messages(),
      QStringList{QStringLiteral("The meter cannot show the character \"П\" (U+041F). Nothing was sent.")});
  EXPECT_EQ(written(), "");

  // The meter's text, trailing blanks kept.
  const std::vector<std::uint8_t> reply(frame.begin() + 4, frame.end() - 1);
  f->showWelcomeText(*decodeWelcomeText(Payload(reply.data(), reply.size())));
  EXPECT_EQ(f->WelLineTxt[1]->text(), QStringLiteral("            "));
  EXPECT_EQ(f->WelLineTxt[2]->text(), QStringLiteral("Preis 5 €   "));
}

TEST_F(ValueWindows, LunchTimeSendsItsSevenBytesOnlyWithEveryListChosen) {
  linkLine();
  LunchTimeFrm* f = FormRegistry::get<LunchTimeFrm>();
  EXPECT_EQ(State().flags.LunchTimeFrmOpen, -1);
  EXPECT_EQ(f->windowTitle(), QStringLiteral("LunchTime"));
  EXPECT_EQ(f->CbxEn->itemText(0), QStringLiteral("Disabled"));
  EXPECT_EQ(f->CbxStartHour->count(), 24);
  EXPECT_EQ(f->CbxStopMinute->count(), 60);
  EXPECT_EQ(f->CbxStopMinute->itemText(59), QStringLiteral("59"));
  for (QComboBox* l : {f->CbxEn, f->CbxStartHour, f->CbxStartMinute, f->CbxStopHour, f->CbxStopMinute})
    EXPECT_EQ(listPosition(l), -1);
  // Nothing chosen: nothing sent, no message, polling resumed.
  f->BtnSet->click();
  EXPECT_EQ(written(), "");
  EXPECT_TRUE(messages().isEmpty());
  EXPECT_TRUE(State().poll.running());

  // A reply out of range selects 0 in every list.
  const std::uint8_t reply[] = {0x02, 0x19, 0x45, 0x07, 0x25, 0x61, 0x09};
  f->showLunchTime(*decodeLunchTime(Payload(reply, 7)));
  for (QComboBox* l : {f->CbxEn, f->CbxStartHour, f->CbxStartMinute, f->CbxStopHour, f->CbxStopMinute})
    EXPECT_EQ(listPosition(l), 0);

  setListPosition(f->CbxEn, 1);
  setListPosition(f->CbxStartHour, 12);
  setListPosition(f->CbxStopHour, 13);
  setListPosition(f->CbxStopMinute, 30);
  ASSERT_TRUE(test::startErase());  // written all the same
  written();                        // the erase request
  f->BtnSet->click();
  EXPECT_EQ(written(), "02 00 08 90 01 0C 00 00 0D 1E 00 86 00");
  EXPECT_TRUE(State().poll.running());
}

}  // namespace
}  // namespace vkz
