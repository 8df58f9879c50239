// Linking ports, the current port's buffer, flushing, and the wait loop.
#include "link/porttable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "link/eventpump.h"
#include "link/waitloop.h"
#include "state/programstate.h"
#include "support/common/log_capture.h"
#include "support/common/program_reset.h"
#include "unit/link/testpty.h"

using namespace vkz;
using vkztest::hexBytes;

namespace {

class PortTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::resetProgram();
    dir.use();
    setLinkMessage([this](const std::string& m) { messages.push_back(m); });
  }
  void TearDown() override { test::resetProgram(); }
  vkztest::TempAppDir dir;
  std::vector<std::string> messages;
};

TEST_F(PortTableTest, EleventhLinkIsRefusedWithOpenPortError) {
  // None of these ports has a device: each entry is added all the same.
  for (int i = 1; i <= 10; ++i) {
    EXPECT_EQ(OpenPort(State().line(), 20 + i, kMeterLineSettings), -1);
    EXPECT_EQ(State().link.PortCount, i);
  }
  EXPECT_EQ(State().link.PortTable[10].PortNo, 30);
  EXPECT_EQ(State().link.PortTable[10].PortName, "COM30");
  EXPECT_EQ(State().link.PortTable[10].PortSettings, kMeterLineSettings);
  EXPECT_EQ(State().PortApi.IsOpen(30), 0);
  EXPECT_TRUE(messages.empty());

  EXPECT_EQ(OpenPort(State().line(), 5, ""), 0);
  EXPECT_EQ(State().link.PortCount, 10);
  EXPECT_EQ(messages, std::vector<std::string>{"Open Port Error"});
  EXPECT_EQ(State().link.CurPort, 0);  // the caller decides what is current
}

TEST_F(PortTableTest, RelinkingClosesReopensAndClearsEveryParser) {
  vkztest::TestPty pty;
  ASSERT_TRUE(pty.ok());
  dir.link("COM2", pty.slave());
  ASSERT_EQ(OpenPort(State().line(), 2, kMeterLineSettings), -1);
  State().link.CurPort = 1;
  auto& first = State().link.PortTable[1];
  first.RxBuf = hexBytes("03 00 00 07 56");
  EXPECT_EQ(ParseCurrentPort(State().link), 0);
  EXPECT_EQ(first.PortReply.ReplyState, 4);

  ASSERT_EQ(OpenPort(State().line(), 2, kMeterLineSettings), -1);
  EXPECT_EQ(State().link.PortCount, 2);
  EXPECT_EQ(State().link.PortTable[2].PortNo, 2);
  EXPECT_EQ(State().PortApi.IsOpen(2), -1);
  EXPECT_EQ(first.PortReply.ReplyState, 0);
  EXPECT_EQ(first.PortReply.ReplyPos, 0);
  EXPECT_EQ(first.RxBuf.size(), 5u);  // buffers are left alone

  CloseAllPorts(State().line());
  EXPECT_EQ(State().PortApi.IsOpen(2), 0);
  EXPECT_EQ(State().link.PortTable[1].PortNo, 0);
  EXPECT_TRUE(State().link.PortTable[1].RxBuf.empty());
  EXPECT_TRUE(State().link.PortTable[2].PortName.empty());
  EXPECT_EQ(State().link.PortCount, 2);
}

TEST_F(PortTableTest, RelinkOpensTheEntrysPortOnTheDeviceGivenAndAddsNoEntry) {
  vkztest::TestPty meter, other;
  ASSERT_TRUE(meter.ok() && other.ok());
  dir.link("COM1", meter.slave());
  ASSERT_EQ(OpenPort(State().line(), 1, kMeterLineSettings), -1);
  PortEntry& e = State().link.PortTable[1];
  e.MeterListed = -1;
  e.RxBuf = hexBytes("03 00 00 07");
  State().link.CurPort = 1;
  ASSERT_EQ(ParseCurrentPort(State().link), 0);
  State().PortApi.CommClose(1);

  // The name maps elsewhere now; the port opens on the device given.
  dir.link("COM1", other.slave());
  dir.link("COM9", meter.slave());
  ASSERT_EQ(RelinkPort(State().line(), 1, dir.path() + "/com/COM9"), 0);
  EXPECT_EQ(State().PortApi.IsOpen(1), -1);
  EXPECT_EQ(State().PortApi.DevicePath(1), dir.path() + "/com/COM9");
  EXPECT_EQ(State().link.PortCount, 1);
  EXPECT_EQ(e.PortSettings, kMeterLineSettings);
  EXPECT_EQ(e.MeterListed, -1);
  EXPECT_TRUE(e.RxBuf.empty());
  EXPECT_EQ(e.PortReply.ReplyState, 0);
  ASSERT_TRUE(WriteCurrentPort(State().line(), {0x02}));
  EXPECT_EQ(meter.receive(1), std::vector<std::uint8_t>{0x02});
  EXPECT_TRUE(other.drain().empty());
  // A device that is not there: nothing opens, nothing is added.
  State().PortApi.CommClose(1);
  EXPECT_NE(RelinkPort(State().line(), 1, dir.path() + "/com/COM8"), 0);
  EXPECT_EQ(State().PortApi.IsOpen(1), 0);
  EXPECT_EQ(State().link.PortCount, 1);
}

TEST_F(PortTableTest, ReadAppendsAndFlushStartsTheParserOver) {
  vkztest::TestPty pty;
  ASSERT_TRUE(pty.ok());
  dir.link("COM7", pty.slave());
  ASSERT_EQ(OpenPort(State().line(), 7, kMeterLineSettings), -1);
  State().link.CurPort = 1;
  PortEntry& e = *CurrentEntry(State().link);

  e.RxBuf = {1, 2, 3};
  pty.send({4, 5});
  ASSERT_TRUE(vkztest::waitReadable(State().PortApi.NativeHandle(7)));
  EXPECT_EQ(ReadCurrentPort(State().line()), 2);
  EXPECT_EQ(e.RxBuf, (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));

  // Half a reply, then a flush (as before an LCD read): the next whole reply
  // must come through, not be taken as the rest of the old payload.
  e.RxBuf = hexBytes("03 00 00 07 56 4B");
  EXPECT_EQ(ParseCurrentPort(State().link), 0);
  FlushCurrentPort(State().line());
  EXPECT_TRUE(e.RxBuf.empty());
  EXPECT_EQ(e.PortReply.ReplyState, 0);
  pty.send(hexBytes("03 01 00 01 0A 0A"));
  ASSERT_TRUE(vkztest::waitReadable(State().PortApi.NativeHandle(7)));
  EXPECT_EQ(CutAllFrames(State().line(), [] {}), 1);
  EXPECT_EQ(e.PortReply.ReplyCode, 1);
  EXPECT_EQ(e.PortReply.ReplyData[0], 0x0A);

  // Two replies at once are both handled without waiting for another tick.
  pty.send(hexBytes("03 01 00 01 0A 0A 03 02 00 00 02"));
  ASSERT_TRUE(vkztest::waitReadable(State().PortApi.NativeHandle(7)));
  std::vector<int> codes;
  EXPECT_EQ(
      CutAllFrames(State().line(), [&] { codes.push_back(CurrentEntry(State().link)->PortReply.ReplyCode); }),
      2);
  EXPECT_EQ(codes, (std::vector<int>{1, 2}));
}

TEST_F(PortTableTest, AWriteTellsWhetherTheFrameWentOutAndLogsIt) {
  test::LogCapture log({LogArea::Link});
  vkztest::TestPty pty;
  ASSERT_TRUE(pty.ok());
  dir.link("COM7", pty.slave());
  ASSERT_EQ(OpenPort(State().line(), 7, kMeterLineSettings), -1);
  ASSERT_EQ(OpenPort(State().line(), 9, kMeterLineSettings), -1);  // no device: not open
  State().link.CurPort = 1;
  const auto model = hexBytes("02 00 01 00 01");

  PortResult r = WriteCurrentPort(State().line(), model);
  EXPECT_EQ(r.status, PortStatus::Ok);
  EXPECT_TRUE(r);
  EXPECT_EQ(pty.receive(5), model);
  EXPECT_EQ(log.matching(" > "), std::vector<std::string>{"COM7 > 02 00 01 00 01"});

  // A line that takes nothing more: what went out, and why the rest did not.
  State().PortApi.SetWriteWait(0);
  const std::vector<std::uint8_t> big(1 << 20, 0x55);
  r = WriteCurrentPort(State().line(), big);
  EXPECT_EQ(r.status, PortStatus::Short);
  EXPECT_NE(
      r.error.find(" of 1048576 bytes written. Error (110): CommWrite (WriteFile) - Connection timed out"),
      std::string::npos)
      << r.error;
  pty.drain();

  // The other end gone: refused.
  pty.close();
  r = WriteCurrentPort(State().line(), model);
  EXPECT_EQ(r.status, PortStatus::Failed);
  EXPECT_EQ(r.error, "Error (5): CommWrite (WriteFile) - Input/output error  COMM Error Flags = 0");

  // A linked port that never opened, and no port at all.
  State().link.CurPort = 2;
  r = WriteCurrentPort(State().line(), model);
  EXPECT_EQ(r.status, PortStatus::Failed);
  EXPECT_EQ(r.error, "COM9 is not open.");
  State().link.CurPort = 0;
  EXPECT_EQ(WriteCurrentPort(State().line(), model).status, PortStatus::NoPort);

  EXPECT_EQ(log.matching("write failed").size(), 3u);
  EXPECT_EQ(log.matching("COM9 write failed: COM9 is not open.").size(), 1u);
  EXPECT_EQ(log.matching("frame not sent, no port linked: 02 00 01 00 01").size(), 1u);
  // Only the frame that went out whole is logged as written; the others as
  // not sent, with what went out.
  EXPECT_EQ(log.matching(" > "), std::vector<std::string>{"COM7 > 02 00 01 00 01"});
  EXPECT_EQ(log.matching(" of 1048576 bytes written): 55 55").size(), 1u);
  EXPECT_EQ(log.matching("COM7 frame not sent whole (0 of 5 bytes written): 02 00 01 00 01").size(), 1u);
  EXPECT_EQ(log.matching("COM9 frame not sent whole (0 of 5 bytes written): 02 00 01 00 01").size(), 1u);
}

TEST_F(PortTableTest, LinkLogShowsEachFrameCutAndWhatWasDropped) {
  test::LogCapture log({LogArea::Link});
  LinkState& l = State().link;
  l.PortCount = 1;
  l.CurPort = 1;
  PortEntry& e = l.PortTable[1];
  e.PortName = "COM4";
  struct Case {
    const char* bytes;
    const char* line;
  } cases[] = {
      {"03 00 00 07 56 4B 5A 20 34 31 38 5D", "COM4 < 03 00 00 07 56 4B 5A 20 34 31 38 5D"},
      {"55 03 00 00", "COM4 dropped 4 bytes (no start byte): 55 03 00 00"},
      {"03 01 00 01 0A 0B", "COM4 dropped 6 bytes (wrong checksum): 03 01 00 01 0A 0B"},
      {"03 00 02 1D", "COM4 dropped 4 bytes (length 541 over 540): 03 00 02 1D"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    log.lines.clear();
    e.RxBuf = hexBytes(c.bytes);
    ParseCurrentPort(l);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].text, c.line);
  }
  // Half a frame is waited for, not logged; a frame behind a frame stays.
  log.lines.clear();
  e.RxBuf = hexBytes("03 02 00 00 02 03 00 00");
  EXPECT_EQ(ParseCurrentPort(l), 1);
  EXPECT_EQ(ParseCurrentPort(l), 0);
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_EQ(log.lines[0].text, "COM4 < 03 02 00 00 02");
  EXPECT_EQ(e.RxBuf, hexBytes("03 00 00"));
}

TEST_F(PortTableTest, NoCurrentEntryMeansNothingHappens) {
  for (int cur : {0, -1, 11}) {
    State().link.CurPort = static_cast<std::int16_t>(cur);
    EXPECT_EQ(CurrentEntry(State().link), nullptr);
    EXPECT_EQ(ReadCurrentPort(State().line()), 0);
    std::vector<std::uint8_t> buf = hexBytes("03 00 00 07 56 4B 5A 20 34 31 38 5D");
    EXPECT_EQ(ParseResponse(State().link, buf), 0);
    EXPECT_EQ(buf.size(), 12u);
    FlushCurrentPort(State().line());
    EXPECT_EQ(WriteCurrentPort(State().line(), {2, 0, 1, 0, 1}).status, PortStatus::NoPort);
  }
}

TEST(WaitLoop, WaitsItsTimeOnAMonotonicClockAndAlwaysEnds) {
  struct Case {
    double seconds;
    double start;
    double step;  // clock advance per turn of the event loop
    int turns;    // turns until the wait ends
  } cases[] = {
      {0.5, 43200.0, 0.125, 4},   // at noon
      {0.5, 86399.75, 0.125, 4},  // across midnight: still the full time
      {0.1, 0.0, 0.015625, 7},    // receive ticks of about 16 ms
      {0.0, 5.0, 0.0, 1},         // no time: one turn
      {-3.0, 5.0, 0.0, 1},        // negative: one turn
      {std::nan(""), 5.0, 0.0, 1},
  };
  for (const auto& c : cases) {
    double clock = c.start;
    int turns = 0;
    double firstRemaining = -1;
    WaitLoop(
        c.seconds, [&] { return clock; },
        [&](double remaining) {
          if (turns++ == 0) firstRemaining = remaining;
          clock += c.step;
        });
    EXPECT_EQ(turns, c.turns) << c.seconds << " from " << c.start;
    if (c.seconds > 0) {
      EXPECT_NEAR(firstRemaining, c.seconds, 1e-9);
    }
  }
}

}  // namespace
