// The port read on a thread of its own, through the serial object, over a
// real pseudo-terminal: the window thread gets the pieces as the thread read
// them, and an armed request goes out the moment the frame it follows is
// whole, with nobody on the window thread taking anything.
#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <new>
#include <numeric>
#include <stdexcept>

#include "emulator/protocol.h"
#include "link/comportapi.h"
#include "link/parser.h"
#include "link/porttable.h"
#include "support/common/program_reset.h"
#include "unit/link/testpty.h"

using namespace vkz;

namespace {

using Bytes = std::vector<std::uint8_t>;

using emu::makeReply;  // a reply frame as the meter sends it

const Bytes kRequest{0x02, 0x00, 0x03, 0x12, 0x00, 0x01, 0x10};

// Sends the request for the first 0x12 frame, lets the model reply (code 0)
// by, and ends on anything else.
LineReader::Answer blockJudge(const ReplyFrame& f) {
  if (f.ReplyCode == 0x12) return {LineReader::Verdict::Send, kRequest, false};
  return {f.ReplyCode == 0 ? LineReader::Verdict::Pass : LineReader::Verdict::Drop};
}

class LineReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::resetProgram();
    dir.use();
    ASSERT_TRUE(pty.ok());
    dir.link("COM3", pty.slave());
    ASSERT_EQ(api.CommOpen(3, "COM3", kMeterLineSettings), 0);
    fd = api.NativeHandle(3);
  }
  void TearDown() override { test::resetProgram(); }

  LineReader* start() { return api.StartReader(3, {}, ReplyFrame{}, 0); }
  // Waits until the reader has woken the window thread: everything it read by
  // then has been judged.
  bool woken() { return vkztest::waitReadable(api.NativeHandle(3)); }
  // Takes every piece waiting, cutting frames from them one at a time as the
  // engine does; returns the frames' codes.
  std::vector<int> cut() {
    std::vector<int> codes;
    Bytes piece;
    while (api.CommRead(3, piece, 4096) > 0) {
      buffer.insert(buffer.end(), piece.begin(), piece.end());
      while (ParseReplyFrame(parser, buffer) == 1) codes.push_back(parser.ReplyCode);
    }
    return codes;
  }

  vkztest::TempAppDir dir;
  vkztest::TestPty pty;
  ComPortAPI api;
  int fd = -1;
  Bytes buffer;
  ReplyFrame parser{};
};

TEST_F(LineReaderTest, ArmedRequestGoesOutWhenItsFrameIsWholeWithNobodyReading) {
  LineReader* lr = start();
  ASSERT_NE(lr, nullptr);
  EXPECT_NE(api.NativeHandle(3), fd);  // the reader's handle is watched now
  ASSERT_TRUE(lr->arm(0, blockJudge));

  // A model reply is let by; the block reply, in two pieces, sends.
  pty.send(makeReply(0x00, {'V', 'K', 'Z'}));
  const Bytes block = makeReply(0x12, Bytes(80, 0x41));
  pty.send(Bytes(block.begin(), block.begin() + 30));
  EXPECT_TRUE(pty.drain().empty());
  pty.send(Bytes(block.begin() + 30, block.end()));
  EXPECT_EQ(pty.receive(kRequest.size()), kRequest);

  // The window thread learns which frame sent it, and cuts the same frames.
  EXPECT_FALSE(lr->armed());
  EXPECT_FALSE(lr->takeSent(1));
  EXPECT_TRUE(lr->takeSent(2));
  EXPECT_FALSE(lr->disarm());
  ASSERT_TRUE(woken());
  EXPECT_EQ(cut(), (std::vector<int>{0x00, 0x12}));
}

// A judge that follows the exchange keeps the line going while the window
// thread takes nothing: one request per block reply, each the next block's.
TEST_F(LineReaderTest, JudgeThatStaysArmedRunsTheLineOnItsOwn) {
  LineReader* lr = start();
  ASSERT_NE(lr, nullptr);
  int asked = 0;
  ASSERT_TRUE(lr->arm(0, [&asked](const ReplyFrame& f) -> LineReader::Answer {
    if (f.ReplyCode != 0x12) return {LineReader::Verdict::Drop};
    ++asked;
    return {LineReader::Verdict::Send,
            Bytes{0x02, 0x00, 0x03, 0x12, 0x00, static_cast<std::uint8_t>(asked), 0}, asked < 3};
  }));
  for (int i = 1; i <= 4; ++i) {
    pty.send(makeReply(0x12, Bytes(80, static_cast<std::uint8_t>(i))));
    if (i <= 3) {
      EXPECT_EQ(pty.receive(7).at(5), i);
    }
  }
  std::size_t frames = cut().size();
  while (frames < 4u) {
    ASSERT_TRUE(woken());
    frames += cut().size();
  }
  EXPECT_TRUE(pty.drain().empty());  // the judge stopped after three
  EXPECT_TRUE(lr->takeSent(1));
  EXPECT_TRUE(lr->takeSent(2));
  EXPECT_TRUE(lr->takeSent(3));
  EXPECT_FALSE(lr->takeSent(4));
}

TEST_F(LineReaderTest, NothingGoesOutForAFrameTheJudgeLeavesToTheWindowThread) {
  LineReader* lr = start();
  ASSERT_NE(lr, nullptr);
  ASSERT_TRUE(lr->arm(0, blockJudge));
  // The memory size reply ends the arm; the block reply after it is the
  // window thread's to answer.
  pty.send(makeReply(0x0F, {0, 0, 1, 0}));
  ASSERT_TRUE(woken());
  pty.send(makeReply(0x12, Bytes(80, 0x41)));
  std::vector<int> codes = cut();
  while (codes.size() < 2u) {
    ASSERT_TRUE(woken());
    for (int c : cut()) codes.push_back(c);
  }
  EXPECT_EQ(codes, (std::vector<int>{0x0F, 0x12}));
  EXPECT_TRUE(pty.drain().empty());
  EXPECT_FALSE(lr->disarm());

  // Frames cut beyond the point an arm names were never judged: refused.
  pty.send(makeReply(0x12, Bytes(80, 0x42)));
  ASSERT_TRUE(woken());
  EXPECT_FALSE(lr->arm(2, blockJudge));
  EXPECT_EQ(cut(), (std::vector<int>{0x12}));
  EXPECT_TRUE(lr->arm(3, blockJudge));
}

TEST_F(LineReaderTest, StartsFromTheBytesTheWindowThreadHeldAndNumbersOnFromItsCount) {
  // Half a frame already read on the window thread, five frames cut.
  const Bytes block = makeReply(0x12, Bytes(80, 0x41));
  buffer.assign(block.begin(), block.begin() + 10);
  ParseReplyFrame(parser, buffer);
  LineReader* lr = api.StartReader(3, buffer, parser, 5);
  ASSERT_NE(lr, nullptr);
  ASSERT_TRUE(lr->arm(5, blockJudge));
  pty.send(Bytes(block.begin() + 10, block.end()));
  EXPECT_EQ(pty.receive(kRequest.size()), kRequest);
  EXPECT_TRUE(lr->takeSent(6));
  ASSERT_TRUE(woken());
  EXPECT_EQ(cut(), (std::vector<int>{0x12}));
}

TEST_F(LineReaderTest, StoppedReaderHandsOnWhatItReadThenThePortIsReadAgain) {
  LineReader* lr = start();
  ASSERT_NE(lr, nullptr);
  const Bytes first = makeReply(0x00, {'K', 'R', 'D'});
  pty.send(first);
  ASSERT_TRUE(woken());
  api.StopReader(3);
  EXPECT_FALSE(lr->reading());
  const Bytes second = makeReply(0x00, {'V', 'K', 'Z'});
  pty.send(second);
  Bytes piece;
  ASSERT_EQ(api.CommRead(3, piece, 4096), static_cast<int>(first.size()));
  EXPECT_EQ(piece, first);
  EXPECT_EQ(api.NativeHandle(3), fd);  // everything handed on: the port is watched again
  ASSERT_TRUE(vkztest::waitReadable(fd));
  ASSERT_EQ(api.CommRead(3, piece, 4096), static_cast<int>(second.size()));
  EXPECT_EQ(piece, second);
}

TEST_F(LineReaderTest, DeviceGoneIsAFailedReadAndFlushDropsWhatWasRead) {
  LineReader* lr = start();
  ASSERT_NE(lr, nullptr);
  pty.send(makeReply(0x00, {'K'}));
  ASSERT_TRUE(woken());
  // A flush purges what the reader read and ends it.
  EXPECT_EQ(api.CommFlush(3), 0);
  EXPECT_EQ(api.Reader(3), nullptr);
  Bytes piece;
  EXPECT_EQ(api.CommRead(3, piece, 4096), 0);

  ASSERT_NE(start(), nullptr);
  pty.close();  // the other side of the cable is gone
  ASSERT_TRUE(woken());
  EXPECT_EQ(api.CommRead(3, piece, 4096), -1);
  EXPECT_NE(api.LastError().ErrorCode, 0);
}

}  // namespace

// A judge that throws (memory that could not be had, or a fault of its own)
// ends the line thread: the bytes it read reach the window thread first,
// then a failed read with the reason, as a device gone does; the arm is
// over, and nothing waits on it.
TEST_F(LineReaderTest, JudgeThatThrowsEndsTheThreadAsAFailedRead) {
  struct Case {
    const char* what;
    std::function<void()> fault;
    int error;
  };
  const Case cases[] = {
      {"no memory", [] { throw std::bad_alloc(); }, ENOMEM},
      {"a fault", [] { throw std::runtime_error("judge"); }, ENOTRECOVERABLE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LineReader* lr = start();
    ASSERT_NE(lr, nullptr);
    ASSERT_TRUE(lr->arm(0, [&c](const ReplyFrame&) -> LineReader::Answer {
      c.fault();
      return {LineReader::Verdict::Drop};
    }));
    const Bytes reply = makeReply(0x12, Bytes(80, 0x41));
    pty.send(reply);
    Bytes read;
    Bytes piece;
    int got = 0;
    while (true) {
      ASSERT_TRUE(woken());
      while ((got = api.CommRead(3, piece, 4096)) > 0) read.insert(read.end(), piece.begin(), piece.end());
      if (got < 0) break;
    }
    EXPECT_EQ(read, reply);
    EXPECT_EQ(api.LastError().ErrorCode, c.error);
    EXPECT_FALSE(lr->armed());
    EXPECT_FALSE(lr->disarm());
    EXPECT_FALSE(lr->arm(1, blockJudge));
    EXPECT_TRUE(pty.drain().empty());  // nothing was written
    api.StopReader(3);
    EXPECT_FALSE(lr->reading());
  }
}

// The window thread takes what was read while the line thread's request
// waits for the line (behind the window thread's own write, or a full
// output queue); the request still counts as sent for its frame once it
// has gone out.
TEST_F(LineReaderTest, PiecesAreTakenWhileARequestWaitsForTheLine) {
  std::mutex m;
  std::condition_variable cv;
  bool writing = false, released = false, timedOut = false;
  Bytes written;
  LineReader lr(fd, api.Timing(3), [&](const Bytes& request) {
    std::unique_lock lock(m);
    writing = true;
    cv.notify_all();
    // Bounded only so that a reader that waits for this write fails
    // instead of hanging.
    timedOut = !cv.wait_for(lock, std::chrono::seconds(10), [&] { return released; });
    written = request;
    return true;
  });
  ASSERT_TRUE(lr.start({}, ReplyFrame{}, 0));
  ASSERT_TRUE(lr.arm(0, blockJudge));
  const Bytes reply = makeReply(0x12, Bytes(80, 0x41));
  pty.send(reply);
  {
    std::unique_lock lock(m);
    cv.wait(lock, [&] { return writing; });
  }
  // Every piece of the frame was queued before it was judged.
  EXPECT_TRUE(lr.pending());
  Bytes read;
  while (auto p = lr.take()) read.insert(read.end(), p->bytes.begin(), p->bytes.end());
  EXPECT_EQ(read, reply);
  {
    std::unique_lock lock(m);
    EXPECT_FALSE(timedOut);
    released = true;
  }
  cv.notify_all();
  EXPECT_TRUE(lr.takeSent(1));  // answered once the write is over
  EXPECT_EQ(written, kRequest);
  EXPECT_FALSE(lr.armed());
  lr.stop();
}

// The line's timing follows the port's speed: ten bit times a byte, the
// meter's speed for a port not open; a data block's rest is known once its
// header is in.
TEST_F(LineReaderTest, TimingFollowsThePortsSpeed) {
  using std::chrono::nanoseconds;
  EXPECT_EQ(api.Timing(3).byteTime, nanoseconds(173611));  // 57600 baud
  EXPECT_EQ(api.Timing(4).byteTime, nanoseconds(173611));  // not open
  ASSERT_EQ(api.CommSet(3, "baud=9600"), 0);
  EXPECT_EQ(api.Timing(3).byteTime, nanoseconds(1041666));

  const Bytes block = makeReply(0x12, Bytes(80, 0x41));
  const LineTiming t = LineTiming::atBaud(9600);
  EXPECT_EQ(t.restOfFrame(Bytes(block.begin(), block.begin() + 3)), std::nullopt);
  EXPECT_EQ(t.restOfFrame(Bytes(block.begin(), block.begin() + 4)), t.of(block.size() - 4));
  EXPECT_EQ(t.restOfFrame(block), std::nullopt);
}
