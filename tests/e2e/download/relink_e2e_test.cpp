// A meter whose device goes away and comes back, end to end: the real main
// window against the emulator linked as com/COM1, as the program's first
// run links it. Stopping the emulator takes its com/COM1 entry with it, as
// pulling out an adapter takes its device; COM1's default device is then a
// second pseudo-terminal the test watches, standing as the machine's first
// serial port, which must never hear from the program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/comname.h"
#include "link/frames.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "support/common/download_road.h"
#include "support/common/log_capture.h"
#include "ui/msgbox.h"
#include "unit/link/testpty.h"

namespace vkz {
namespace {

class Relink : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    ASSERT_TRUE(standIn_.ok());
    road_ = std::make_unique<DownloadRoad>(true);
    ASSERT_TRUE(road_->start(tmp_.path().toStdString()));
    setComDefaultDevices([this](int n) { return n == 1 ? standIn_.slave() : std::string(); });
    link_ = road_->meter.linkPath();
    ASSERT_TRUE(road_->until([&] { return listed() == 1; }));
  }
  void TearDown() override { road_.reset(); }

  Panel* panel() const { return road_->panel; }
  int listed() const { return panel()->ControlListView->count(); }
  // The emulator stops and its com/COM1 entry goes; the read notifier finds
  // the port's device gone.
  bool unplug() {
    road_->meter.stop();
    return road_->until([] { return State().PortApi.IsOpen(1) == 0; });
  }
  // The emulator starts again on the same link; a poll tick finds it back.
  bool plugIn() {
    return road_->meter.start(link_) && road_->until([] { return State().PortApi.IsOpen(1) == -1; });
  }
  // `n` more identification requests answered and handled.
  bool pollTicksAnswered(std::size_t n) {
    const std::size_t asked = road_->meter.requestCount(0x00) + n;
    return road_->until([&] {
      return road_->meter.requestCount(0x00) >= asked && road_->meter.pendingBytes() == 0 &&
             State().link.PortTable[1].RxBuf.empty();
    });
  }

  QTemporaryDir tmp_;
  vkztest::TestPty standIn_;  // COM1's default device
  std::unique_ptr<DownloadRoad> road_;
  std::string link_;
};

TEST_F(Relink, LostPortStaysClosedAndComesBackOnlyAsTheDeviceItWas) {
  // The frame log, from the device's going to its coming back.
  std::optional<test::LogCapture> gone(std::in_place, std::initializer_list<LogArea>{LogArea::Link});
  ASSERT_TRUE(unplug());
  EXPECT_EQ(panel()->statusPanelText(2), QStringLiteral("Disconnection"));
  // Poll and receive ticks meanwhile write nowhere, COM1's default device
  // included; an exchange started meanwhile says it was not sent.
  for (int i = 0; i < 10; ++i) {
    panel()->Timer1_Timer();
    road_->clock->ticks(13);
  }
  EXPECT_EQ(State().PortApi.IsOpen(1), 0);
  EXPECT_TRUE(standIn_.drain().empty());
  panel()->Toolbar1_ButtonClick(QStringLiteral("Memory"));
  ASSERT_EQ(road_->messages().size(), 1);
  EXPECT_TRUE(road_->messages()[0].startsWith(QStringLiteral("The meter was not asked for its memory.")))
      << road_->messages()[0].toStdString();
  EXPECT_EQ(State().PortApi.IsOpen(1), 0);
  EXPECT_EQ(State().link.PortCount, 1);
  EXPECT_EQ(panel()->statusPanelText(2), QStringLiteral("Disconnection"));
  EXPECT_TRUE(standIn_.drain().empty());
  // No frame is logged as written meanwhile; the one the Memory action
  // tried is logged as not sent.
  EXPECT_EQ(gone->matching("COM1 >"), std::vector<std::string>{});
  EXPECT_FALSE(gone->matching("COM1 frame not sent whole").empty());
  gone.reset();

  ASSERT_TRUE(road_->meter.start(link_));
  {
    // Back but still held by another program: every poll tick tries it
    // again, and no attempt takes an entry of the port table.
    const int holder = ::open(link_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    for (int i = 0; i < 5; ++i) panel()->Timer1_Timer();
    EXPECT_EQ(State().PortApi.IsOpen(1), 0);
    ::close(holder);
  }
  // Opened again in its own entry: the meter answers, is listed once, and
  // its replies are decoded as they arrive.
  ASSERT_TRUE(road_->until([] { return State().PortApi.IsOpen(1) == -1; }));
  EXPECT_EQ(State().link.PortCount, 1);
  EXPECT_EQ(State().link.CurPort, 1);
  ASSERT_TRUE(pollTicksAnswered(6));
  EXPECT_EQ(panel()->statusPanelText(2), QStringLiteral("Connection"));
  EXPECT_EQ(listed(), 1);
  ASSERT_TRUE(road_->until([&] {
    for (QSocketNotifier* n : panel()->findChildren<QSocketNotifier*>())
      if (n->isEnabled()) return true;
    return false;
  }));
  panel()->TotalSizeNumLbl->clear();
  CmdReadMemorySize(State().line());
  // No receive tick from here: only the arrival of the bytes decodes them.
  QElapsedTimer waited;
  waited.start();
  while (panel()->TotalSizeNumLbl->text().isEmpty() && waited.elapsed() < 2000)
    QCoreApplication::processEvents();
  EXPECT_EQ(panel()->TotalSizeNumLbl->text(), QStringLiteral("4194304"));
  EXPECT_TRUE(standIn_.drain().empty());
}

TEST_F(Relink, TwentyRelinksTakeNoEntryOfThePortTable) {
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(unplug()) << i;
    ASSERT_TRUE(plugIn()) << i;
  }
  EXPECT_EQ(State().link.PortCount, 1);
  EXPECT_EQ(State().link.CurPort, 1);
  ASSERT_TRUE(pollTicksAnswered(6));
  EXPECT_EQ(listed(), 1);
  EXPECT_TRUE(road_->messages().isEmpty());
  EXPECT_TRUE(standIn_.drain().empty());
}

}  // namespace
}  // namespace vkz
