// The start-up road against the meter emulator on a pseudo-terminal linked
// as com/COM1 beside the program: the port is linked, the poll tick
// identifies the meter, the status bar shows model, port and link, the
// meter is listed after the debounce, the command tree is built once, the
// memory size arrives, and a silent or vanished meter shows as
// "Disconnection" after 101 silent receive ticks, not before.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "base/appdir.h"
#include "emulator/emulator.h"
#include "link/comname.h"
#include "link/eventpump.h"
#include "link/porttable.h"
#include "link/win/comportsetfrm.h"
#include "polling/pollstate.h"
#include "shell/flags.h"
#include "shell/langfile.h"
#include "shell/uitext.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "support/common/download_road.h"
#include "support/common/engine_clock.h"
#include "support/common/program_reset.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"

namespace vkz {
namespace {

// Lets the event loop run until `done` holds (a reply has been handled),
// for at most two seconds: replies come within milliseconds.
bool until(const std::function<bool()>& done) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > 2000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

class StartUpRoad : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    test::resetProgram();
    setAppDir(tmp_.path().toStdString());
    setComFallback(false);
    setEventPump([] { QCoreApplication::processEvents(); });
    meter_.setModel("KRD 529");
    meter_.setMemoryTotal(1048576);
    emu::GenerateOptions opt;
    opt.count = 3;
    opt.records = 20;
    meter_.generateMeasurements(opt);
    ASSERT_TRUE(meter_.start(tmp_.path().toStdString() + "/com/COM1")) << meter_.lastError();
    // The port window: the user keeps "COM  1" and the default model and
    // presses OK.
    State().openers.showComPortSetFrm = [] {
      QTimer::singleShot(0, [] {
        ComPortSetFrm* f = FormRegistry::find<ComPortSetFrm>();
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->ComPortCbx->currentText(), QStringLiteral("COM  1"));
        f->LinkBtn->click();
      });
      ShowComPortSetFrm();
    };
    panel_ = new Panel();
    panel_->setTimersFrozen(true);
    clock_.emplace([] { QCoreApplication::processEvents(); });
    // A pause of the program lets the meter answer before its clock moves.
    clock_->passTime = [this](std::chrono::nanoseconds span) {
      settleLine(meter_);
      clock_->moveTo(std::min(clock_->now() + span, clock_->nextTick()));
    };
    panel_->MDIForm_Load();
    panel_->show();
  }
  void TearDown() override {
    FormRegistry::unloadAll();
    clock_.reset();
    delete panel_;
    meter_.stop();
    test::resetProgram();
  }

  // One poll tick, then the meter's answer to it handled.
  void pollTick() {
    const std::size_t asked = meter_.requestCount(0x00);
    // The model text the tick's debounce sees.
    const bool seen = State().polling.MeterModel == "KRD 529";
    panel_->Timer1_Timer();
    ASSERT_TRUE(meter_.waitForRequests(asked + 1, 0x00));
    // Every request of the tick taken and answered, every answer handled.
    ASSERT_TRUE(settleLine(meter_));
    ASSERT_TRUE(until([&] { return lineDrained(meter_); }));
    clock_->ticks(1);
    // Poll ticks in a row whose debounce saw the model text.
    seenTicks_ = seen ? seenTicks_ + 1 : 0;
  }

  int treeNodes() const {
    int n = 0;
    for (int i = 0; i < panel_->TreeView1->topLevelItemCount(); ++i)
      n += 1 + panel_->TreeView1->topLevelItem(i)->childCount();
    return n;
  }

  QTemporaryDir tmp_;
  emu::Emulator meter_;
  Panel* panel_ = nullptr;
  std::optional<test::EngineClock> clock_;
  int seenTicks_ = 0;
};

TEST_F(StartUpRoad, IdentifiesListsAndWatchesTheMeter) {
  ASSERT_EQ(State().link.PortCount, 1);
  EXPECT_EQ(State().link.CurPort, 1);

  pollTick();
  EXPECT_EQ(panel_->ControlListView->count(), 0);
  EXPECT_EQ(State().polling.MeterModel, "KRD 529");
  EXPECT_EQ(treeNodes(), 20);
  for (int i : {3, 6, 7, 8}) EXPECT_TRUE(panel_->toolbarButton(i)->isEnabled()) << i;
  for (int i : {4, 5}) EXPECT_FALSE(panel_->toolbarButton(i)->isEnabled()) << i;

  pollTick();
  EXPECT_EQ(panel_->statusPanelText(1), QStringLiteral("KRD 529"));
  EXPECT_EQ(panel_->statusPanelText(2), QStringLiteral("Connection"));
  EXPECT_EQ(panel_->statusPanelText(3), QStringLiteral("COM  1"));
  EXPECT_EQ(State().link.PortTable[1].PortIsOpen, -1);

  // Listed at the fourth tick in a row that sees the same model text (a
  // reply can arrive within the tick that asked for it, while the request
  // is being written).
  for (int i = 0; i < 4; ++i) {
    pollTick();
    EXPECT_EQ(panel_->ControlListView->count(), seenTicks_ >= 4 ? 1 : 0) << "seen " << seenTicks_;
  }
  ASSERT_EQ(panel_->ControlListView->count(), 1);
  EXPECT_EQ(panel_->ControlListView->item(0)->text(), QStringLiteral("KRD 529:1"));
  for (int i = 0; i < 5; ++i) pollTick();
  EXPECT_EQ(panel_->ControlListView->count(), 1);  // once per port entry
  EXPECT_EQ(treeNodes(), 20);                      // the tree is built once

  // The memory size arrives through the decoder.
  panel_->Toolbar1_ButtonClick(QStringLiteral("Memory"));
  ASSERT_TRUE(until([&] { return panel_->TotalSizeNumLbl->text() == QStringLiteral("1048576"); }));
  EXPECT_EQ(State().shell.MemTotalSize, 1048576);
  EXPECT_EQ(State().flags.MemoryPanelShown, -1);
  panel_->BtnMemClose_Click();

  // The meter falls silent after it answered a poll tick: 100 silent
  // receive ticks still read "Connection", the 101st "Disconnection" (about
  // 1.6 s at 16 ms a tick).
  pollTick();  // its last receive tick takes the answer
  meter_.setSilent(true);
  clock_->ticks(100);
  EXPECT_EQ(panel_->statusPanelText(2), QStringLiteral("Connection"));
  clock_->ticks(1);
  EXPECT_EQ(panel_->statusPanelText(2), QStringLiteral("Disconnection"));

  // Back to life: the first reply brings "Connection" back.
  meter_.setSilent(false);
  pollTick();
  EXPECT_EQ(panel_->statusPanelText(2), QStringLiteral("Connection"));
}

TEST_F(StartUpRoad, AStrayByteIsNoLiveLine) {
  pollTick();
  ASSERT_EQ(panel_->statusPanelText(2), QStringLiteral("Connection"));
  meter_.setSilent(true);
  ASSERT_TRUE(meter_.waitForOutput());
  ASSERT_TRUE(until([&] { return lineDrained(meter_); }));
  clock_->ticks(1);
  // One byte of noise is fewer than the two bytes a live line brings, also
  // on the tick that reads it (it is then both received and buffered).
  for (int i = 0; i < 101; ++i) {
    if (i == 50) {
      meter_.sendRaw({0x00});
      ASSERT_TRUE(meter_.waitForOutput());
    }
    clock_->ticks(1);
  }
  EXPECT_EQ(panel_->statusPanelText(2), QStringLiteral("Disconnection"));
}

TEST_F(StartUpRoad, AMeterThatVanishesShowsDisconnectionWithoutAHang) {
  pollTick();
  ASSERT_EQ(State().polling.MeterModel, "KRD 529");
  meter_.stop();  // the cable is pulled: the pseudo-terminal's far side is gone
  for (int i = 0; i < 3; ++i) {
    panel_->Timer1_Timer();
    QCoreApplication::processEvents();
  }
  // The dead port is closed: the poll ticks write nothing to it.
  EXPECT_TRUE(until([] { return State().PortApi.IsOpen(1) == 0; }));
  clock_->ticks(101);
  EXPECT_EQ(panel_->statusPanelText(2), QStringLiteral("Disconnection"));
  EXPECT_TRUE(State().poll.linkLost());

  // The Memory action on the vanished meter sends nothing: the user is told
  // why (its port closed) at once, no list is awaited, and polling goes on.
  const std::size_t shown = MsgBox::shown().size();
  panel_->Toolbar1_ButtonClick(QStringLiteral("Memory"));
  ASSERT_EQ(MsgBox::shown().size(), shown + 1);
  EXPECT_EQ(MsgBox::shown().back().text.toStdString(),
            "The meter was not asked for its memory.\nCOM1 is not open.");
  EXPECT_EQ(MsgBox::shown().back().icon, MsgIcon::Critical);
  EXPECT_FALSE(State().poll.memoryListPending());
  EXPECT_TRUE(panel_->pollingRunning());
}

// com/COM1 linked to an ordinary file (a data file, say) instead of a
// serial device: OK in the port window says so, naming the path; the file
// is never written, and no read notifier spins on it.
TEST(PortThatIsNoDevice, OkSaysSoAndLeavesTheFileAlone) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  test::resetProgram();
  const std::string dir = tmp.path().toStdString();
  setAppDir(dir);
  setComFallback(false);
  setEventPump([] { QCoreApplication::processEvents(); });
  const std::string file = dir + "/shift.vkz";
  const std::string content = "KRD 529\r\n\r\nInformation\r\n";
  {
    std::ofstream out(file, std::ios::binary);
    out << content;
  }
  const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), past, 0), 0);
  std::filesystem::create_directories(dir + "/com");
  std::filesystem::create_symlink(file, dir + "/com/COM1");

  State().openers.showComPortSetFrm = [] {
    QTimer::singleShot(0, [] {
      if (ComPortSetFrm* f = FormRegistry::find<ComPortSetFrm>()) f->LinkBtn->click();
    });
    ShowComPortSetFrm();
  };
  auto* panel = new Panel();
  panel->setTimersFrozen(true);
  test::EngineClock clock;
  panel->MDIForm_Load();
  panel->show();

  ASSERT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::Critical);
  EXPECT_EQ(MsgBox::shown()[0].text.toStdString(),
            "COM1 (" + dir + "/com/COM1 -> " + file +
                ") is not a serial device: it is an ordinary file. The port was not opened and nothing was "
                "written to it.");
  EXPECT_EQ(State().link.PortCount, 1);
  EXPECT_EQ(State().PortApi.IsOpen(1), 0);

  // Polling runs on: every tick finds the port closed and writes nothing.
  for (int i = 0; i < 20; ++i) {
    panel->Timer1_Timer();
    clock.ticks(12);
    QCoreApplication::processEvents();
  }
  for (QSocketNotifier* n : panel->findChildren<QSocketNotifier*>()) EXPECT_FALSE(n->isEnabled());
  std::ifstream in(file, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), content);
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
  EXPECT_EQ(panel->statusPanelText(3), QStringLiteral("COM  1"));

  FormRegistry::unloadAll();
  delete panel;
  test::resetProgram();
}

}  // namespace
}  // namespace vkz
