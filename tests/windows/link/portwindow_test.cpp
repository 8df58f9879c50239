// The port selection window, offscreen: its defaults, the automatic scan
// over pseudo-terminals, and OK linking a port (a meter emulator answers).
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

#include "emulator/emulator.h"
#include "link/comportapi.h"
#include "link/eventpump.h"
#include "link/frames.h"
#include "link/porttable.h"
#include "link/portwindowlayout.h"
#include "link/win/comportsetfrm.h"
#include "link/win/linkhooks.h"
#include "link/win/waitseconds.h"
#include "shell/flags.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "support/common/engine_clock.h"
#include "support/common/program_reset.h"
#include "support/common/qt_app.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"
#include "ui/twips.h"
#include "unit/link/testpty.h"

using namespace vkz;

namespace {

void settle() {
  test::settleEvents(1);
}

class PortWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    test::resetProgram();
    dir.use();
    State().link.CurPort = 1;  // as the main window's load leaves it
    SetUiTextDefaults(State().texts);
    installLinkHooks();
  }
  void TearDown() override {
    FormRegistry::unloadAll();
    settle();
    test::resetProgram();
  }
  ComPortSetFrm* open() { return FormRegistry::get<ComPortSetFrm>(); }
  static QStringList items(QComboBox* c) {
    QStringList s;
    for (int i = 0; i < c->count(); ++i) s << c->itemText(i);
    return s;
  }
  vkztest::TempAppDir dir;
};

TEST_F(PortWindow, OpensWithEveryPortAndTheMeterModelSelected) {
  // Even with a port linked, the lists start from "COM  1" and "KRD 529".
  vkztest::TestPty pty;
  dir.link("COM4", pty.slave());
  OpenPort(State().line(), 4, kMeterLineSettings);
  ASSERT_EQ(State().PortApi.IsOpen(4), -1);

  ComPortSetFrm* f = open();
  EXPECT_EQ(State().flags.ComPortSetFrmOpen, -1);
  for (const char* name : {"ComPortPic", "PortScanBtn", "PortResetBtn", "DeviceManager", "DeviceLbl",
                           "DeviceSelCbx", "ComPortLbl", "ComPortCbx", "LinkBtn", "ScanProgressBar"})
    EXPECT_NE(f->findChild<QWidget*>(name), nullptr) << name;
  EXPECT_EQ(f->windowTitle(), "Com Port");
  EXPECT_EQ(f->PortScanBtn->text(), "Auto Scan");
  EXPECT_EQ(f->PortResetBtn->text(), "Reset Com Port");
  EXPECT_EQ(f->LinkBtn->text(), "OK");
  EXPECT_EQ(f->DeviceManager->text(), "Device Manager");
  EXPECT_EQ(f->DeviceLbl->text(), "Device");
  EXPECT_EQ(f->ComPortLbl->text(), "Com Port");

  EXPECT_EQ(items(f->DeviceSelCbx), QStringList{"KRD 529"});
  EXPECT_EQ(f->DeviceSelCbx->currentText(), "KRD 529");
  EXPECT_TRUE(f->DeviceSelCbx->isEditable());
  ASSERT_EQ(f->ComPortCbx->count(), 256);
  EXPECT_EQ(f->ComPortCbx->itemText(0), "COM  1");
  EXPECT_EQ(f->ComPortCbx->itemText(255), "COM  256");
  EXPECT_EQ(f->ComPortCbx->currentIndex(), 0);

  // Typed characters never reach the port list, closed or dropped down.
  QTest::keyClicks(f->ComPortCbx, "2C");
  EXPECT_EQ(f->ComPortCbx->currentIndex(), 0);
  f->show();
  f->ComPortCbx->showPopup();
  QTest::keyClicks(f->ComPortCbx->view(), "C");  // would search for the next "COM ..."
  QTest::keyClick(f->ComPortCbx->view(), Qt::Key_Return);
  EXPECT_EQ(f->ComPortCbx->currentIndex(), 0);

  // The layout rule: no smaller than 5280 x 3540 twips, panel centred.
  f->resize(pxX(4000), pxY(2000));
  f->Form_Resize();
  const ComPortLayout want = ComPortSetFrmLayout(0, 0);
  EXPECT_EQ(want.width, 5280);
  EXPECT_EQ(want.height, 3540);
  EXPECT_NEAR(twX(f->width()) + kComPortFrameWidth, 5280, 15);
  EXPECT_NEAR(twY(f->height()) + kComPortFrameHeight, 3540, 15);
  EXPECT_EQ(ComPortSetFrmLayout(9000, 6000).panelLeft, (9000 - 5205 - 125) / 2);
  EXPECT_EQ(ComPortSetFrmLayout(9000, 6000).panelTop, (6000 - 3015 - 500) / 2);
  f->resize(pxX(9000 - kComPortFrameWidth), pxY(6000 - kComPortFrameHeight));
  f->Form_Resize();
  EXPECT_NEAR(f->ComPortPic->x(), pxX((9000 - 5205 - 125) / 2), 1);
  EXPECT_NEAR(f->ComPortPic->y(), pxY((6000 - 3015 - 500) / 2), 1);
}

TEST_F(PortWindow, ScanListsThePortsThatOpenAndLeavesTheLinkedOneAlone) {
  vkztest::TestPty three, five, held;
  dir.link("COM3", three.slave());
  dir.link("COM5", five.slave());
  dir.link("COM4", "/dev/vkz-no-such-device");
  dir.link("COM6", held.slave());
  ComPortAPI otherProgram;
  ASSERT_EQ(otherProgram.CommOpen(6, "COM6", ""), 0);

  ComPortSetFrm* f = open();
  QTest::mouseClick(f->PortScanBtn, Qt::LeftButton);
  EXPECT_EQ(items(f->ComPortCbx), (QStringList{"COM  3", "COM  5"}));
  EXPECT_EQ(f->ComPortCbx->currentText(), "COM  3");
  EXPECT_EQ(f->ScanProgressBar->maximum(), 256);
  EXPECT_EQ(f->ScanProgressBar->value(), 256);
  EXPECT_EQ(State().PortApi.IsOpen(3), 0);  // probed ports are closed again
  EXPECT_EQ(State().link.PortCount, 0);
  EXPECT_EQ(State().link.CurPort, 1);
  EXPECT_TRUE(three.drain().empty());  // nothing is written to a probed port

  // With port 3 linked, the scan neither lists nor closes it.
  OpenPort(State().line(), 3, kMeterLineSettings);
  f->PortScanBtn_Click();
  EXPECT_EQ(items(f->ComPortCbx), QStringList{"COM  5"});
  EXPECT_EQ(State().PortApi.IsOpen(3), -1);

  f->PortResetBtn_Click();
  EXPECT_EQ(f->ComPortCbx->count(), 256);
  EXPECT_EQ(f->ComPortCbx->currentText(), "COM  1");
}

TEST_F(PortWindow, OkLinksThePortWithTheMeterLineForItsModelsOnly) {
  struct Case {
    const char* model;
    int index;
    const char* settings;
  } cases[] = {
      {"KRD 529", 6, kMeterLineSettings},
      {"418", 11, kMeterLineSettings},
      {"VKZ 418", 2, ""},
      {"KRD", 4, ""},  // taken as typed, not completed to the list's item
      {"", 0, ""},
  };
  int count = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    ComPortSetFrm* f = open();
    f->show();
    QApplication::setActiveWindow(f);
    f->DeviceSelCbx->setFocus();
    f->DeviceSelCbx->lineEdit()->selectAll();
    QTest::keyClick(f->DeviceSelCbx->lineEdit(), Qt::Key_Backspace);
    QTest::keyClicks(f->DeviceSelCbx->lineEdit(), c.model);
    ASSERT_EQ(f->DeviceSelCbx->currentText(), c.model);
    f->ComPortCbx->setCurrentIndex(c.index);
    QTest::mouseClick(f->LinkBtn, Qt::LeftButton);
    settle();
    ++count;
    EXPECT_EQ(State().link.PortCount, count);
    EXPECT_EQ(State().link.CurPort, count);
    const PortEntry& e = State().link.PortTable[static_cast<std::size_t>(count)];
    EXPECT_EQ(e.PortNo, c.index + 1);
    EXPECT_EQ(e.PortName, "COM" + std::to_string(c.index + 1));
    EXPECT_EQ(e.PortSettings, c.settings);
    EXPECT_EQ(State().flags.ComPortSetFrmOpen, 0);
    EXPECT_EQ(FormRegistry::find<ComPortSetFrm>(), nullptr);
    // No device behind the port here: the user is told which port.
    ASSERT_EQ(MsgBox::shown().size(), static_cast<size_t>(count));
    EXPECT_TRUE(MsgBox::shown().back().text.startsWith(QStringLiteral("COM%1 ").arg(c.index + 1)))
        << MsgBox::shown().back().text.toStdString();
  }
}

// Enter links the chosen port, as OK does; a port that cannot be opened
// says which and why: no device mapped to its name, or the device's path
// and the system's reason.
TEST_F(PortWindow, EnterLinksAndAPortThatDoesNotOpenSaysWhichAndWhy) {
  dir.link("COM3", dir.path() + "/unplugged");
  struct Case {
    int index;
    QString says;
  } cases[] = {
      {255, QStringLiteral("COM256 cannot be opened: no device is mapped to it")},
      {2, QString::fromStdString("COM3 (" + dir.path() + "/com/COM3) cannot be opened.")},
  };
  for (const Case& c : cases) {
    MsgBox::shown().clear();
    ComPortSetFrm* f = open();
    f->show();
    QApplication::setActiveWindow(f);
    f->ComPortCbx->setCurrentIndex(c.index);
    f->ComPortCbx->setFocus();
    QTest::keyClick(f->ComPortCbx, Qt::Key_Return);
    settle();
    EXPECT_EQ(FormRegistry::find<ComPortSetFrm>(), nullptr) << c.index;  // linked and closed
    ASSERT_EQ(MsgBox::shown().size(), 1u) << c.index;
    EXPECT_TRUE(MsgBox::shown()[0].text.startsWith(c.says)) << MsgBox::shown()[0].text.toStdString();
  }
  EXPECT_TRUE(MsgBox::shown()[0].text.contains(QStringLiteral("No such file or directory")));
  EXPECT_EQ(State().link.PortCount, 2);
}

TEST_F(PortWindow, OkLinksAMeterThatThenAnswers) {
  emu::Emulator meter;
  meter.setModel("KRD 529");
  ASSERT_TRUE(meter.start(dir.path() + "/com/COM2")) << meter.lastError();

  ComPortSetFrm* f = open();
  f->ComPortCbx->setCurrentIndex(1);
  QTest::mouseClick(f->LinkBtn, Qt::LeftButton);
  settle();
  ASSERT_EQ(State().link.CurPort, 1);
  ASSERT_EQ(State().PortApi.IsOpen(2), -1);

  EXPECT_TRUE(CmdReadModel(State().line()));
  ASSERT_TRUE(meter.waitForRequests(1, 0x00));
  ASSERT_TRUE(meter.waitForOutput());
  PortEntry& e = *CurrentEntry(State().link);
  QElapsedTimer t;
  t.start();
  while (ParseCurrentPort(State().link) != 1 && t.elapsed() < 2000) {
    vkztest::waitReadable(State().PortApi.NativeHandle(2));
    ReadCurrentPort(State().line());
  }
  EXPECT_EQ(e.PortReply.ReplyCode, 0);
  EXPECT_EQ(BytesToText(e.PortReply, e.PortReply.ReplyLength - 1, "chr"), "KRD 529");
  meter.stop();
}

TEST_F(PortWindow, ClosingWithoutOkLinksNothing) {
  // The close box and the Escape key both unload the window; the next
  // showing loads it afresh.
  for (bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "Escape" : "close box");
    ComPortSetFrm* f = open();
    f->ComPortCbx->setCurrentIndex(5);
    if (escape)
      QTest::keyClick(f, Qt::Key_Escape);
    else
      f->close();
    settle();
    EXPECT_EQ(State().flags.ComPortSetFrmOpen, 0);
    EXPECT_EQ(FormRegistry::find<ComPortSetFrm>(), nullptr);
    EXPECT_EQ(State().link.PortCount, 0);
    EXPECT_EQ(State().link.CurPort, 1);
    EXPECT_EQ(State().link.PortTable[1].PortNo, 0);
  }
}

TEST_F(PortWindow, EleventhOkShowsOpenPortErrorAndKeepsEntryTen) {
  for (int i = 1; i <= 10; ++i) OpenPort(State().line(), 100 + i, "");
  ComPortSetFrm* f = open();
  f->LinkBtn_Click();
  settle();
  ASSERT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_EQ(MsgBox::shown()[0].text, "Open Port Error");
  EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::Critical);
  EXPECT_EQ(State().link.PortCount, 10);
  EXPECT_EQ(State().link.CurPort, 10);
}

TEST_F(PortWindow, DeviceManagerShowsWhichPortIsWhichDevice) {
  vkztest::TestPty pty;
  dir.link("COM3", pty.slave());
  ComPortSetFrm* f = open();
  QTest::mouseClick(f->DeviceManager, Qt::LeftButton);
  ASSERT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_EQ(MsgBox::shown()[0].title, "Device Manager");
  EXPECT_TRUE(MsgBox::shown()[0].text.contains(
      QString::fromStdString("COM3  ->  " + dir.path() + "/com/COM3  (" + pty.slave() + ")")))
      << MsgBox::shown()[0].text.toStdString();
}

TEST_F(PortWindow, ShownModallyUntilOk) {
  QTimer::singleShot(0, [] {
    if (auto* f = FormRegistry::find<ComPortSetFrm>()) {
      f->ComPortCbx->setCurrentIndex(8);
      f->LinkBtn->click();
    }
  });
  ShowComPortSetFrm();
  settle();
  EXPECT_EQ(State().link.PortCount, 1);
  EXPECT_EQ(State().link.PortTable[1].PortNo, 9);
}

// A pause runs on the program's clock: it lasts its time there, and events
// and the engine's receive ticks run meanwhile.
TEST(WaitSecondsTest, WaitsItsTimeOnTheProgramsClockWhileEventsRun) {
  using namespace std::chrono_literals;
  test::EngineClock clock([] { QCoreApplication::processEvents(); });
  int turns = 0;
  QTimer timer;
  timer.setInterval(0);
  QObject::connect(&timer, &QTimer::timeout, [&] { ++turns; });
  timer.start();
  const auto from = clock.now();
  WaitSeconds(0.05);
  EXPECT_GE(clock.now() - from, 50ms);
  EXPECT_LT(clock.now() - from, 50ms + PollLoop::kReceiveTick);
  EXPECT_GE(turns, 4);  // a turn of the event loop at least every receive tick
  const auto at = clock.now();
  const int before = turns;
  WaitSeconds(0);  // one turn of the event loop, no time
  EXPECT_EQ(clock.now(), at);
  EXPECT_GT(turns, before);
}

}  // namespace
