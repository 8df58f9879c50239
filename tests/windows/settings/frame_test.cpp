// The frame every setting window shares: the open flag follows load and
// unload, the resize rule keeps the minimum size and centres the panel (at
// the top-left, scrolled, where the window is smaller than the panel),
// lists take no typed key, number boxes take digits only and select their
// text on focus, and the Set's write bracket in each of its variants.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <memory>
#include <stdexcept>

#include "link/porttable.h"
#include "settings/win/settingwindow.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "support/common/meter_erase.h"
#include "support/common/program_reset.h"
#include "support/common/qt_app.h"
#include "ui/listpos.h"
#include "ui/msgbox.h"
#include "ui/panelview.h"
#include "ui/twips.h"
#include "unit/link/testpty.h"

namespace vkz {
namespace {

// A setting window with the screen window's sizes: minimum 7965 x 7095
// twips, panel 7575 x 6375.
class FrameWindow : public SettingWindow {
  Q_OBJECT
 public:
  FrameWindow() : SettingWindow(&State().flags.ScreenFrmOpen, 7965, 7095) {
    QFrame* p = makePanel("SSPanel1", 7575, 6375);
    List = makePickList(p, QStringLiteral("List"), 120, 120, 1335, 315);
    fillList(List, {QStringLiteral("OFF"), QStringLiteral("ON"), QStringLiteral("Other")});
    setListHandler(List, [this] { ++picks; });
    Box = makeNumberBox(p, QStringLiteral("Box"), 4, 120, 600, 735, 315);
    ExitBtn = makeButton(p, QStringLiteral("ExitBtn"), 6360, 5400, 1095, 855);
    connect(ExitBtn, &QPushButton::clicked, this, &SettingWindow::ExitBtn_Click);
  }
  QComboBox* List;
  QLineEdit* Box;
  QPushButton* ExitBtn;
  int picks = 0;
};

class SettingFrame : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }
  static void reset() {
    test::resetProgram();
    LoadDefaultStrings(State().texts);
  }
  void TearDown() override { test::resetProgram(); }
  // An erase under way, asked on COM1, a pseudo-terminal.
  void startErase() {
    line_.reset();
    dir_.reset();  // before the new folder: it switches the port names back
    dir_ = std::make_unique<vkztest::TempAppDir>();
    line_ = std::make_unique<vkztest::TestPty>();
    ASSERT_TRUE(line_->ok());
    dir_->link("COM1", line_->slave());
    ASSERT_EQ(OpenPort(State().line(), 1, kMeterLineSettings), -1);
    State().link.CurPort = 1;
    ASSERT_TRUE(test::startErase());
  }
  std::unique_ptr<vkztest::TempAppDir> dir_;
  std::unique_ptr<vkztest::TestPty> line_;
};

TEST_F(SettingFrame, OpenFlagFollowsLoadAndExit) {
  QPointer<FrameWindow> w = new FrameWindow;
  EXPECT_EQ(State().flags.ScreenFrmOpen, -1);
  w->ExitBtn->click();
  EXPECT_EQ(State().flags.ScreenFrmOpen, 0);
  test::settleEvents();
  EXPECT_TRUE(w.isNull());
}

TEST_F(SettingFrame, ResizeKeepsTheMinimumAndCentresThePanel) {
  QMdiArea area;
  area.resize(1400, 1000);
  area.show();
  auto* w = new FrameWindow;
  QMdiSubWindow* sub = area.addSubWindow(w);
  sub->showNormal();
  // Window size asked for -> size kept and panel place, all in twips (a
  // size taken back from whole pixels is within a pixel of the rule's).
  struct Case {
    int width, height;
    int keptW, keptH, left, top;
  };
  const Case cases[] = {
      {3000, 2250, 7965, 7095, 145, 110},        // dragged smaller: back to the minimum
      {13500, 10500, 13500, 10500, 2912, 1812},  // larger: stays, panel centred
      {7965, 12000, 7965, 12000, 145, 2562},     // only the height larger
  };
  for (const Case& c : cases) {
    sub->resize(sub->size() + QSize(pxX(c.width), pxY(c.height)) - w->size());
    test::settleEvents();
    EXPECT_NEAR(twX(w->width()), c.keptW, 15) << c.width;
    EXPECT_NEAR(twY(w->height()), c.keptH, 15) << c.height;
    EXPECT_NEAR(w->centredPanel()->x(), pxX(c.left), 1) << c.width;
    EXPECT_NEAR(w->centredPanel()->y(), pxY(c.top), 1) << c.height;
  }
  // Minimised: neither resized nor centred.
  const QPoint before = w->centredPanel()->pos();
  sub->showMinimized();
  test::settleEvents();
  EXPECT_EQ(w->centredPanel()->pos(), before);
  // Maximised in a client area smaller than the panel: the size stays; the
  // panel starts at the window's top-left corner (centred, it would stand
  // partly above and left of the window, out of reach) and the window
  // scrolls to the rest: the list at the top-left is in sight, the Exit
  // button at the bottom-right a scroll away.
  area.resize(300, 250);
  sub->showMaximized();
  test::settleEvents();
  EXPECT_LT(twX(w->width()), 7965);
  EXPECT_EQ(w->centredPanel()->mapTo(w, QPoint(0, 0)), QPoint(0, 0));
  PanelView* view = w->panelView();
  const auto inView = [view](QWidget* c) {
    return view->viewport()->rect().contains(QRect(c->mapTo(view->viewport(), QPoint(0, 0)), c->size()));
  };
  EXPECT_TRUE(inView(w->List));
  EXPECT_FALSE(inView(w->ExitBtn));
  view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
  view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
  EXPECT_TRUE(inView(w->ExitBtn));
  // Room again: centred as before, nothing to scroll.
  area.resize(1400, 1000);
  test::settleEvents();
  EXPECT_NEAR(w->centredPanel()->x(), pxX((twX(w->width()) - 7575 - 100) / 2), 1);
  EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);
}

TEST_F(SettingFrame, ListsArePickOnly) {
  FrameWindow w;
  setListPosition(w.List, 0);
  w.picks = 0;
  QTest::keyClicks(w.List, QStringLiteral("Oo 1"));  // would pick "Other" / "ON" by their letters
  QTest::keyClick(w.List, Qt::Key_Return);
  EXPECT_EQ(listPosition(w.List), 0);
  EXPECT_EQ(w.picks, 0);
  QTest::keyClick(w.List, Qt::Key_Down);  // an arrow still moves through the list, as a pick
  EXPECT_EQ(listPosition(w.List), 1);
  EXPECT_EQ(w.picks, 1);
}

TEST_F(SettingFrame, NumberBoxesTakeDigitsAndSelectAllOnFocus) {
  FrameWindow w;
  QTest::keyClicks(w.Box, QStringLiteral("2a-0. 1+6"));
  EXPECT_EQ(w.Box->text(), QStringLiteral("2016"));
  QTest::keyClick(w.Box, Qt::Key_7);  // at most four typed
  EXPECT_EQ(w.Box->text(), QStringLiteral("2016"));
  QTest::keyClick(w.Box, Qt::Key_Backspace);
  EXPECT_EQ(w.Box->text(), QStringLiteral("201"));
  w.Box->setText(QStringLiteral("65535"));  // the meter's value is shown whole
  EXPECT_EQ(w.Box->text(), QStringLiteral("65535"));

  w.Box->setText(QStringLiteral("2016"));
  w.Box->deselect();
  QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
  QCoreApplication::sendEvent(w.Box, &in);
  EXPECT_EQ(w.Box->selectedText(), QStringLiteral("2016"));
  w.Box->clear();
  QCoreApplication::sendEvent(w.Box, &in);
  EXPECT_FALSE(w.Box->hasSelectedText());
}

TEST_F(SettingFrame, WriteBracketInEachVariant) {
  struct Case {
    const char* what;
    bool erasing;
    EraseRule erase;
    ResumeRule resume;
    bool sent, refused, runningAfter;
  };
  const Case cases[] = {
      {"screens, erasing", true, EraseRule::Refuse, ResumeRule::AfterSend, false, true, true},
      {"screens", false, EraseRule::Refuse, ResumeRule::AfterSend, true, false, true},
      {"timers", false, EraseRule::Refuse, ResumeRule::ByDecoder, true, false, false},
      {"timers, erasing", true, EraseRule::Refuse, ResumeRule::ByDecoder, false, true, true},
      {"welcome text, erasing", true, EraseRule::Ignore, ResumeRule::AfterSend, true, false, true},
  };
  for (const Case& c : cases) {
    reset();
    if (c.erasing) startErase();
    bool sent = false, pausedWhileSending = false;
    const bool written = writeSetting(c.erase, c.resume, [&] {
      sent = true;
      pausedWhileSending = !State().poll.running();
      return PortResult{};
    });
    EXPECT_EQ(written, !c.refused) << c.what;
    EXPECT_EQ(sent, c.sent) << c.what;
    if (c.sent) {
      EXPECT_TRUE(pausedWhileSending) << c.what;
    }
    EXPECT_EQ(State().poll.running(), c.runningAfter) << c.what;
    ASSERT_EQ(MsgBox::shown().size(), c.refused ? 1u : 0u) << c.what;
    if (c.refused) {
      EXPECT_EQ(MsgBox::shown()[0].text, QStringLiteral("Memory Erasing ..."));
      EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::Critical);
    }
  }
  // A send that fails on the way still ends with polling resumed.
  reset();
  writeSetting(EraseRule::Ignore, ResumeRule::AfterSend,
               []() -> PortResult { throw std::runtime_error("lost"); });
  EXPECT_TRUE(State().poll.running());
}

// A request that did not go out is told, never left to silence: a value
// outside its field as "Set Error !!!", a port that took nothing as
// "Set Fail !!!" with the port's reason; polling resumes either way.
TEST_F(SettingFrame, UnsentWriteIsTold) {
  struct Case {
    PortResult sent;
    const char* message;
  };
  const Case cases[] = {
      {{PortStatus::BadValue, ""}, "Set Error !!!"},
      {{PortStatus::Failed, "Error (5): CommWrite - Input/output error"}, "Set Fail !!!"},
      {{PortStatus::NoPort, "no port linked"}, "Set Fail !!!"},
  };
  for (const Case& c : cases) {
    reset();
    EXPECT_FALSE(writeSetting(EraseRule::Ignore, ResumeRule::AfterSend, [&] { return c.sent; }));
    EXPECT_TRUE(State().poll.running());
    ASSERT_EQ(MsgBox::shown().size(), 1u);
    EXPECT_TRUE(MsgBox::shown()[0].text.startsWith(QString::fromLatin1(c.message)))
        << MsgBox::shown()[0].text.toStdString();
    if (!c.sent.error.empty()) {
      EXPECT_TRUE(MsgBox::shown()[0].text.contains(QString::fromStdString(c.sent.error)));
    }
    EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::Critical);
  }
}

}  // namespace
}  // namespace vkz

#include "frame_test.moc"
