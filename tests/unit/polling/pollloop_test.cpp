// The poll engine without windows, its receive ticks counted from a clock
// the test turns: the status bar and the link watchdog, the waits of the
// exchanges it owns and their time-outs, the watchdog's resume of paused
// polling (and no lost link while the program holds polling paused), the
// requests marked before their write, and every settings reply handed to
// its window's interface (or dropped while its window is not there).
#include "polling/pollloop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bytes.h"
#include "fakelist.h"
#include "link/eventpump.h"
#include "link/frames.h"
#include "state/programstate.h"
#include "support/common/engine_clock.h"
#include "support/common/program_reset.h"
#include "unit/link/testpty.h"

namespace vkz {
namespace {

using test::Bytes;

// The main window as the engine sees it.
struct FakeMain : PollView {
  std::array<std::string, 5> status;  // panels 1..4
  std::vector<std::pair<std::string, MessageIcon>> messages;
  bool timersRunning = true;
  std::vector<std::string> memoryRows;
  std::string memoryMessage;
  bool watching = false;
  int wakeIn = -1;  // ms until the engine asked to be woken, -1 none
  void setStatusText(int panel, const std::string& text) override { status.at(panel) = text; }
  void enableMeterActions() override {}
  void buildTreeForModel() override {}
  void addDetectedMeter(const std::string&, int, int) override {}
  void pollingSwitched(bool running) override { timersRunning = running; }
  void watchPort(int, bool on) override { watching = on; }
  void scheduleReceive(int ms) override { wakeIn = ms; }
  void showMessage(const std::string& text, MessageIcon icon) override { messages.emplace_back(text, icon); }
  void showMemorySize(std::int32_t, std::int32_t) override {}
  void setMemoryMessage(const std::string& text) override { memoryMessage = text; }
  void addMemoryListRow(const std::string& text, std::int32_t, bool) override { memoryRows.push_back(text); }
};

class PollLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::resetProgram();
    LoadDefaultStrings(State().texts);
    State().link.CurPort = 1;  // as the main window's load leaves it
    poll().windows.main = &view;
  }
  void TearDown() override { test::resetProgram(); }
  static PollLoop& poll() { return State().poll; }
  static PollingState& polling() { return State().polling; }
  FakeMain view;
};

// A reply frame on the line, as the meter sends it.
std::vector<std::uint8_t> replyFrame(int code, const std::vector<std::uint8_t>& payload) {
  const auto n = payload.size();
  std::vector<std::uint8_t> f{0x03, static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(n >> 8),
                              static_cast<std::uint8_t>(n & 0xFF)};
  for (std::uint8_t b : payload) f.push_back(b);
  std::uint8_t x = 0;
  for (std::size_t i = 1; i < f.size(); ++i) x ^= f[i];
  f.push_back(x);
  return f;
}

TEST_F(PollLoopTest, NoPortLinkedShowsComZeroAndDisconnectionAfter101SilentTicks) {
  test::EngineClock clock;
  poll().setClock([] { return DateTime{2018, 5, 23, 8, 5, 56}; });
  poll().tick1();
  EXPECT_EQ(view.status[3], "COM  0");
  EXPECT_EQ(State().link.PortTable[1].PortIsOpen, 0);
  EXPECT_EQ(view.status[4], "2018 / 05 / 23   08:05:56");
  clock.ticks(100);
  EXPECT_EQ(view.status[2], "Connection");
  EXPECT_FALSE(poll().linkLost());
  clock.ticks(1);
  EXPECT_EQ(view.status[2], "Disconnection");
  EXPECT_TRUE(poll().linkLost());
}

TEST_F(PollLoopTest, WatchdogResumesAnExchangesPauseButCountsNoSilenceInTheProgramsOwn) {
  test::EngineClock clock;
  // A long print: polling paused by the program is no lost link, however
  // long it takes.
  {
    PollPause pause(poll());
    EXPECT_FALSE(view.timersRunning);
    clock.ticks(5000);
    EXPECT_FALSE(poll().running());
    EXPECT_FALSE(poll().linkLost());
    EXPECT_EQ(view.status[2], "Connection");
  }
  EXPECT_TRUE(poll().running());
  EXPECT_TRUE(view.timersRunning);
  // The link is judged again from the resume.
  clock.ticks(100);
  EXPECT_FALSE(poll().linkLost());
  clock.ticks(1);
  EXPECT_TRUE(poll().linkLost());

  // An exchange whose answer never comes: the watchdog resumes polling.
  poll().StopPanelTimers();
  clock.ticks(1);
  EXPECT_TRUE(poll().running());
  EXPECT_TRUE(view.timersRunning);

  // No meter at all (the link long lost): a print still keeps polling
  // paused until it ends.
  {
    PollPause pause(poll());
    clock.ticks(500);
    EXPECT_FALSE(poll().running());
  }
  EXPECT_TRUE(poll().running());
}

TEST_F(PollLoopTest, TicksThatPassedInTheProgramsPauseCountNoSilenceAfterIt) {
  test::EngineClock clock;
  // A save dialog held open: with nothing awaited the engine asks not to
  // be woken, so the ticks of the pause are still due when it ends.
  {
    PollPause pause(poll());
    clock.skip(PollLoop::kReceiveTick * 500);
  }
  clock.ticks(1);
  EXPECT_FALSE(poll().linkLost());
  EXPECT_EQ(view.status[2], "Connection");
  clock.ticks(99);
  EXPECT_FALSE(poll().linkLost());
  clock.ticks(2);
  EXPECT_TRUE(poll().linkLost());
}

TEST_F(PollLoopTest, StrayByteCountsAsSilence) {
  test::EngineClock clock;
  State().link.PortTable[1].RxBuf = {0x55};
  clock.ticks(101);
  EXPECT_TRUE(poll().linkLost());
}

// The engine on a pseudo-terminal linked as COM1, a supported meter
// identified, and a clock the test turns.
class LinkedLoop : public PollLoopTest {
 protected:
  void SetUp() override {
    PollLoopTest::SetUp();
    ASSERT_TRUE(pty.ok());
    dir.use();  // the program's reset forgot it
    dir.link("COM1", pty.slave());
    ASSERT_EQ(OpenPort(State().line(), 1, kMeterLineSettings), -1);
    polling().MeterModel = polling().PrevMeterModel = "VKZ 418";
    clock.emplace();
  }
  // The meter's reply, decoded as it arrives.
  void reply(int code, const std::vector<std::uint8_t>& payload) {
    pty.send(replyFrame(code, payload));
    ASSERT_TRUE(vkztest::waitReadable(State().PortApi.NativeHandle(1)));
    poll().bytesArrived();
  }
  std::vector<std::string> messages() const {
    std::vector<std::string> out;
    for (const auto& m : view.messages) out.push_back(m.first);
    return out;
  }
  // Frames of request `code` the meter was sent since the last look: each
  // frame is 0x02, its length (two bytes), the code and the rest, and a
  // checksum.
  int requests(std::uint8_t code) {
    const std::vector<std::uint8_t> got = pty.drain();
    int n = 0;
    for (std::size_t i = 0; i + 3 < got.size();) {
      if (got[i] != 0x02) {
        ++i;
        continue;
      }
      if (got[i + 3] == code) ++n;
      i += 4 + (static_cast<std::size_t>(got[i + 1]) << 8 | got[i + 2]);
    }
    return n;
  }
  vkztest::TempAppDir dir;
  vkztest::TestPty pty;
  std::optional<test::EngineClock> clock;  // installed once the state is reset
};

TEST_F(LinkedLoop, PollTickRequestsLeaveTheEventLoopAlone) {
  // Nothing awaits the model and clock answers during their writes: five
  // ticks a second do not wake every window. An exchange's write still
  // turns it (its answer may be decoded there).
  int turns = 0;
  setEventPump([&] { ++turns; });
  State().flags.RTCFrmOpen = -1;
  poll().tick1();
  const std::vector<std::uint8_t> sent = pty.drain();
  EXPECT_EQ(turns, 0);
  EXPECT_EQ(std::count(sent.begin(), sent.end(), std::uint8_t{0x02}) >= 2, true) << sent.size();
  ASSERT_TRUE(poll().eraseMemory());
  setEventPump(nullptr);
  EXPECT_EQ(turns, 11);
}

TEST_F(LinkedLoop, EraseWaitEndsWithTheMeterOrItsTimeOut) {
  // Longer than a full flash erase (about a minute of 16 ms ticks).
  EXPECT_GT(PollLoop::kEraseWaitTicks * PollLoop::kReceiveTick.count(), 60000);
  // Awaited before the write: a quick meter's answer may come during it.
  std::vector<bool> seen;
  setEventPump([&] { seen.push_back(poll().erasePending()); });
  ASSERT_TRUE(poll().eraseMemory());
  setEventPump(nullptr);
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(seen.front());
  EXPECT_EQ(pty.receive(5), vkztest::hexBytes("02 00 01 0B 0A"));

  clock->ticks(PollLoop::kEraseWaitTicks - 1);
  EXPECT_TRUE(poll().erasePending());
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(view.status[2], "Erasing ...");
  clock->ticks(1);
  EXPECT_FALSE(poll().erasePending());
  EXPECT_EQ(messages(), std::vector<std::string>{PollLoop::eraseTimeOutText()});
  EXPECT_EQ(view.messages[0].second, MessageIcon::Critical);
  // Nothing awaited, nothing counted.
  clock->ticks(PollLoop::kEraseWaitTicks);
  EXPECT_EQ(view.messages.size(), 1u);

  // The meter that reports its end ends the wait with "Clear OK !!!".
  ASSERT_TRUE(poll().eraseMemory());
  reply(0x0B, {0x0B});
  EXPECT_FALSE(poll().erasePending());
  EXPECT_EQ(view.messages.back().first, "Clear OK !!!");
}

TEST_F(LinkedLoop, TimerWriteEndsAtOnceWhenAFrameIsRefusedOrAfterItsTimeOut) {
  struct Case {
    const char* what;
    int acked;    // frames the meter takes before it answers no more
    int refused;  // the frame it refuses (1..3), 0 for none
    std::vector<std::string> messages;
    int ticksToEnd;  // receive ticks until the wait is over
  };
  const std::vector<Case> cases{
      {"all three taken", 3, 0, {"Set OK !!!"}, 0},
      {"first refused", 0, 1, {"Set Fail !!!"}, 0},
      {"second refused", 1, 2, {"Set Fail !!!"}, 0},
      {"third refused", 2, 3, {"Set Fail !!!"}, 0},
      {"second never acknowledged", 1, 0, {"Set Timer Setting TimeOut !!!"}, PollLoop::kTimerWaitTicks},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    view.messages.clear();
    ASSERT_TRUE(poll().writeTimers(TimerSetting{}));
    EXPECT_TRUE(poll().timerWritePending());
    EXPECT_FALSE(poll().running());
    for (int k = 0; k < c.acked; ++k) reply(0x8A + k, {static_cast<std::uint8_t>(0x8A + k)});
    if (c.refused) reply(0x8A + c.refused - 1, {0x00});
    if (c.ticksToEnd) {
      clock->ticks(c.ticksToEnd - 1);
      EXPECT_TRUE(poll().timerWritePending());
      clock->ticks(1);
    }
    EXPECT_FALSE(poll().timerWritePending());
    EXPECT_TRUE(poll().running());
    // Nothing follows the one message.
    clock->ticks(PollLoop::kTimerWaitTicks);
    EXPECT_EQ(messages(), c.messages);
    pty.drain();
  }
}

TEST_F(LinkedLoop, SingleSettingWriteNotConfirmedIsSaidAfterItsTimeOut) {
  const auto write = [] { return poll().writeAwaited([] { return CmdWriteClock(State().line(), {}); }); };
  // Confirmed in time: "Set OK !!!" alone.
  ASSERT_TRUE(write());
  reply(0x82, {0x82});
  clock->ticks(PollLoop::kSettingWaitTicks);
  EXPECT_EQ(messages(), std::vector<std::string>{"Set OK !!!"});
  // Never confirmed: said once, after the time-out.
  view.messages.clear();
  ASSERT_TRUE(write());
  clock->ticks(PollLoop::kSettingWaitTicks - 1);
  EXPECT_TRUE(view.messages.empty());
  clock->ticks(1);
  EXPECT_EQ(messages(), std::vector<std::string>{PollLoop::settingNotConfirmedText()});
  EXPECT_FALSE(poll().settingWritePending());
  // A write that did not go out awaits nothing.
  State().link.CurPort = 0;
  EXPECT_FALSE(write());
  EXPECT_FALSE(poll().settingWritePending());
}

// A slow meter asks for a write again 2.4 s after it went out and confirms
// it 2.5 s after the re-send: later than the wait's bound counted from the
// first request. The re-send starts the write's wait again, so "Set OK !!!"
// is all the user sees.
TEST_F(LinkedLoop, ResendRequestStartsTheWaitOfItsWriteAgain) {
  struct Case {
    const char* what;
    std::function<PortResult()> write;
    std::vector<std::uint8_t> before;  // writes acknowledged before the re-send request
    std::uint8_t resent;               // the write the meter asks for again
    std::vector<std::uint8_t> after;   // writes acknowledged after it
    std::int32_t bound;
  };
  const std::vector<Case> cases{
      {"dose settings",
       [] { return poll().writeAwaited([] { return CmdWriteDoseSettings(State().line(), DoseSetting{}); }); },
       {},
       0x84,
       {0x84},
       PollLoop::kSettingWaitTicks},
      {"timer settings, second frame",
       [] { return poll().writeTimers(TimerSetting{}); },
       {0x8A},
       0x8B,
       {0x8B, 0x8C},
       PollLoop::kTimerWaitTicks},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    view.messages.clear();
    ASSERT_TRUE(c.write());
    for (const std::uint8_t code : c.before) reply(code, {code});
    clock->ticks(150);
    pty.drain();
    reply(0x55, {c.resent});
    EXPECT_EQ(requests(c.resent), 1);
    clock->ticks(156);
    EXPECT_TRUE(view.messages.empty());
    for (const std::uint8_t code : c.after) reply(code, {code});
    clock->ticks(c.bound);
    EXPECT_EQ(messages(), std::vector<std::string>{"Set OK !!!"});
    EXPECT_FALSE(poll().settingWritePending());
    EXPECT_FALSE(poll().timerWritePending());
  }
  // With no write awaited the meter's request is sent again all the same,
  // and no wait starts.
  view.messages.clear();
  reply(0x55, {0x84});
  EXPECT_EQ(requests(0x84), 1);
  EXPECT_FALSE(poll().settingWritePending());
  clock->ticks(PollLoop::kSettingWaitTicks);
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(LinkedLoop, MemoryListWaitEndsQuietlyWhenThePanelIsClosedElseAsksAgainAndTimesOut) {
  // Panel hidden: the wait ends at its first count, without a message.
  poll().askMemoryList();
  EXPECT_TRUE(poll().memoryListPending());
  clock->ticks(1);
  EXPECT_FALSE(poll().memoryListPending());
  EXPECT_TRUE(view.messages.empty());
  pty.drain();

  // Panel shown and no entry: asked again at the counts 0, 10, ... 100;
  // the message comes with the 202nd tick.
  State().flags.MemoryPanelShown = -1;
  ASSERT_TRUE(poll().askMemorySize());
  poll().askMemoryList();
  clock->ticks(201);
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(requests(0x0D), 11);
  clock->ticks(1);
  EXPECT_EQ(messages(), std::vector<std::string>{"Get Memory Information TimeOut Error !!!"});
  EXPECT_FALSE(poll().memoryListPending());
  EXPECT_TRUE(poll().running());
}

TEST_F(LinkedLoop, MemorySizeLostIsAskedAgainAfterTheListThenSaidMissing) {
  State().flags.MemoryPanelShown = -1;
  ASSERT_TRUE(poll().askMemorySize());
  poll().askMemoryList();
  reply(0xFF, {0x0C});  // nothing stored: the list ends
  EXPECT_FALSE(poll().memoryListPending());
  EXPECT_TRUE(poll().memorySizePending());
  pty.drain();
  clock->ticks(PollLoop::kListWaitTicks);
  EXPECT_EQ(requests(0x0F), PollLoop::kListAskUntil / PollLoop::kListAskEvery);
  EXPECT_EQ(messages(), std::vector<std::string>{"Memory Info No Data !!!"});
  clock->ticks(1);
  EXPECT_EQ(messages(),
            (std::vector<std::string>{"Memory Info No Data !!!", PollLoop::memorySizeMissingText()}));
  EXPECT_FALSE(poll().memorySizePending());

  // A size that comes ends the wait quietly.
  ASSERT_TRUE(poll().askMemorySize());
  reply(0x0F, {0, 0, 0x10, 0, 0, 0, 0x08, 0});
  EXPECT_FALSE(poll().memorySizePending());
  clock->ticks(PollLoop::kListWaitTicks + 1);
  EXPECT_EQ(view.messages.size(), 2u);
}

// A meter holding entries whose every entry reply is lost: its end of the
// list names entries none of which came. The list is walked again and,
// staying empty, said to be incomplete: never "OK", never "Load Complete".
TEST_F(LinkedLoop, EndOfAListWhoseEveryEntryWasLostIsNoCompleteList) {
  State().flags.MemoryPanelShown = -1;
  poll().askMemoryList();
  clock->ticks(1);  // the first entry's reply lost: the next one is asked for
  pty.drain();
  reply(0xFF, {0x0D});
  EXPECT_EQ(requests(0x0C), 1);  // walked again from its first entry
  EXPECT_TRUE(poll().memoryListPending());
  // The walk loses its entries too; its ends may be left from the walk
  // before and end nothing, so the list wait runs out.
  for (int i = 0; i < 5; ++i) {
    clock->ticks(PollLoop::kListAskEvery);
    reply(0xFF, {0x0D});
  }
  EXPECT_TRUE(view.messages.empty());
  clock->ticks(PollLoop::kListWaitTicks);
  EXPECT_EQ(messages(),
            std::vector<std::string>{"Memory list incomplete: the meter reports stored measurements, "
                                     "but none of their entries arrived."});
  EXPECT_EQ(view.messages[0].second, MessageIcon::Critical);
  EXPECT_NE(view.memoryMessage, "Load Complete");
  EXPECT_FALSE(poll().memoryListPending());
  EXPECT_TRUE(poll().running());
}

TEST_F(LinkedLoop, MemoryListRequestsAreMarkedBeforeTheirWrite) {
  // The write turns the event loop, where a quick meter's answer is
  // decoded: the request must be awaited by then, and an end of the list
  // decoded there must not be undone.
  std::vector<bool> seen;
  bool answered = false;
  setEventPump([&] {
    seen.push_back(poll().memoryListPending());
    if (answered) return;
    answered = true;
    reply(0xFF, {0x0C});
  });
  poll().askMemoryList();
  setEventPump(nullptr);
  EXPECT_EQ(pty.receive(5), vkztest::hexBytes("02 00 01 0C 0D"));
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(seen.front());
  EXPECT_FALSE(poll().memoryListPending());

  // Entry 1 of 2 asks for the next one, marked as well.
  seen.clear();
  answered = true;
  State().flags.MemoryPanelShown = -1;
  poll().askMemoryList();
  pty.drain();
  setEventPump([&] { seen.push_back(poll().memoryListPending()); });
  reply(0x0C, {0x07, 0xE2, 5, 23, 14, 3, 7, 1, 2});
  setEventPump(nullptr);
  EXPECT_EQ(pty.receive(5), vkztest::hexBytes("02 00 01 0D 0C"));
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(seen.front());
  EXPECT_EQ(view.memoryRows, std::vector<std::string>{"1\t2018/05/23  14:03:07\t1"});
}

// A port whose device went away is shown lost at once and opened again
// only while the user has linked nothing else: a port the user links
// meanwhile is the one that counts.
TEST_F(LinkedLoop, LostPortIsNoLongerWaitedForOnceTheUserLinksAnother) {
  poll().watchCurrentPort();
  reply(0x0F, {0, 0x40, 0, 0, 0, 0x3F, 0, 0});  // the meter's last reply
  pty.send({0x03, 0x0F});                       // and the start of one more
  ASSERT_TRUE(vkztest::waitReadable(State().PortApi.NativeHandle(1)));
  pty.close();  // the far end goes: the port's reads fail
  poll().bytesArrived();
  ASSERT_EQ(State().PortApi.IsOpen(1), 0);
  // Lost at once, and the bytes the port left are no live line.
  EXPECT_TRUE(poll().linkLost());
  EXPECT_EQ(view.status[2], "Disconnection");
  clock->ticks(1);
  EXPECT_TRUE(poll().linkLost());
  EXPECT_EQ(view.status[2], "Disconnection");

  // The port window's OK links COM2 and makes it current.
  vkztest::TestPty other;
  dir.link("COM2", other.slave());
  ASSERT_EQ(OpenPort(State().line(), 2, kMeterLineSettings), -1);
  State().link.CurPort = State().link.PortCount;
  // COM1's device is back: it stays closed, COM2 stays current.
  vkztest::TestPty back;
  dir.link("COM1", back.slave());
  poll().tick1();
  poll().tick1();
  EXPECT_EQ(State().PortApi.IsOpen(1), 0);
  EXPECT_EQ(State().link.CurPort, 2);
  EXPECT_TRUE(back.drain().empty());
}

// ---- the receive clock ------------------------------------------------------------

// The engine on a clock the test turns: it is woken only when it asked to
// be, and counts the receive ticks that passed meanwhile.
class ReceiveClock : public PollLoopTest {
 protected:
  void SetUp() override {
    PollLoopTest::SetUp();
    poll().setMonotonicClock([this] { return now; });
  }
  // Lets time pass until the engine's wake-up and wakes it.
  void wake() {
    ASSERT_GE(view.wakeIn, 0);
    now += std::chrono::milliseconds(view.wakeIn);
    poll().receiveTimer();
  }
  // A reply frame in the receive buffer, cut by a receive tick.
  void reply(int code, const std::vector<std::uint8_t>& payload) { reply(replyFrame(code, payload)); }
  void reply(const std::vector<std::uint8_t>& frame) {
    auto& rx = State().link.PortTable[1].RxBuf;
    rx.insert(rx.end(), frame.begin(), frame.end());
    poll().bytesArrived();
  }
  const std::chrono::nanoseconds began{std::chrono::seconds(100)};
  std::chrono::nanoseconds now = began;
};

TEST_F(ReceiveClock, WakesOnlyWhenSomethingIsDueAndEveryWaitKeepsItsLength) {
  // A silent line: the one wake-up due is the watchdog's, 101 ticks on.
  poll().tick1();
  EXPECT_EQ(view.wakeIn, 101 * 16);
  now += std::chrono::milliseconds(101 * 16 - 1);
  poll().receiveTimer();
  EXPECT_EQ(view.status[2], "Connection");
  wake();
  EXPECT_EQ(view.status[2], "Disconnection");
  // Known lost, polling running, nothing awaited: no wake-up at all.
  EXPECT_EQ(view.wakeIn, -1);

  // The memory-list wait: woken for its requests at the counts 0, 10, ...
  // 100 and for its end, which still comes 202 ticks after it began.
  State().flags.MemoryPanelShown = -1;
  poll().askMemoryList();  // no port: the request is not sent, the wait runs all the same
  poll().tick1();
  const auto began = now;
  int wakes = 0;
  while (poll().memoryListPending() && wakes < 300) {
    wake();
    ++wakes;
  }
  EXPECT_EQ(wakes, 12);
  EXPECT_EQ(now - began, std::chrono::milliseconds(202 * 16));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].first, "Get Memory Information TimeOut Error !!!");
}

TEST_F(ReceiveClock, FramePartlyInIsReadInOneGoWhenItsRestIsDue) {
  vkztest::TempAppDir dir;
  vkztest::TestPty pty;
  ASSERT_TRUE(pty.ok());
  dir.link("COM1", pty.slave());
  ASSERT_EQ(OpenPort(State().line(), 1, kMeterLineSettings), -1);
  poll().watchCurrentPort();
  ASSERT_TRUE(view.watching);
  const int fd = State().PortApi.NativeHandle(1);
  const PortEntry& e = State().link.PortTable[1];
  const auto arrive = [&](const std::vector<std::uint8_t>& bytes) {
    pty.send(bytes);
    ASSERT_TRUE(vkztest::waitReadable(fd));
  };
  const auto part = [](const std::vector<std::uint8_t>& f, std::size_t from, std::size_t to) {
    return std::vector<std::uint8_t>(f.begin() + static_cast<long>(from), f.begin() + static_cast<long>(to));
  };

  // A short reply (the poll tick's model answer), its first byte in: the
  // notifier rests until a short frame would be whole (15 more bytes,
  // 2.6 ms), and the reply is read in one go then.
  const std::vector<std::uint8_t> model = replyFrame(0x00, {'V', 'K', 'Z', ' ', '4', '1', '8'});
  arrive(part(model, 0, 1));
  poll().bytesArrived();
  EXPECT_FALSE(view.watching);
  EXPECT_EQ(view.wakeIn, 3);
  arrive(part(model, 1, model.size()));
  wake();
  EXPECT_EQ(e.PortReply.ReplyCode, 0x00);
  EXPECT_TRUE(e.RxBuf.empty());
  EXPECT_TRUE(view.watching);
  // Its header in: read when its last byte is due (5 bytes, 0.9 ms).
  arrive(part(model, 0, 7));
  poll().bytesArrived();
  EXPECT_FALSE(view.watching);
  EXPECT_EQ(view.wakeIn, 2);
  arrive(part(model, 7, model.size()));
  wake();
  EXPECT_TRUE(e.RxBuf.empty());
  EXPECT_TRUE(view.watching);

  // A long one: the notifier rests until shortly before the other 33 bytes
  // (5.7 ms at 57600 baud) are through, and takes the last ones as they come.
  const std::vector<std::uint8_t> frame = replyFrame(0x10, std::vector<std::uint8_t>(36, 'A'));
  arrive(part(frame, 0, 8));
  poll().bytesArrived();
  EXPECT_FALSE(view.watching);
  EXPECT_EQ(view.wakeIn, 4);
  arrive(part(frame, 8, 30));
  wake();
  EXPECT_EQ(e.RxBuf.size(), 30u);
  EXPECT_TRUE(view.watching);
  arrive(part(frame, 30, frame.size()));
  poll().bytesArrived();
  EXPECT_EQ(e.PortReply.ReplyCode, 0x10);
  EXPECT_TRUE(e.RxBuf.empty());
  EXPECT_TRUE(view.watching);

  // Nothing more came by then: the notifier takes over, no timer wakes.
  for (const std::size_t first : {std::size_t{1}, std::size_t{8}}) {
    arrive(part(frame, 0, first));
    poll().bytesArrived();
    EXPECT_FALSE(view.watching);
    wake();
    EXPECT_TRUE(view.watching);
    EXPECT_EQ(e.RxBuf.size(), first);
    arrive(part(frame, first, frame.size()));
    poll().bytesArrived();
    EXPECT_TRUE(e.RxBuf.empty());
  }
}

TEST_F(ReceiveClock, ProgressAndRowsAreShownSeldomAndWhileTheMeterSends) {
  test::FakeList list;
  poll().windows.dataList = [&list] { return static_cast<DataListView*>(&list); };
  polling().MeterModel = polling().PrevMeterModel = "VKZ 418";
  poll().RequestRecordHeader(1);
  EXPECT_EQ(view.memoryMessage, "Load ==> 0 / ?");
  Bytes header(536);
  header.le16(0, 2018).set(2, 5).set(3, 23).le32(72, 60).le16(532, 35);
  reply(0x0E, header.b);
  EXPECT_EQ(view.memoryMessage, "Load ==> 0 / 35");
  const auto block = [](int b, std::size_t bytes) {
    return replyFrame(0x12, std::vector<std::uint8_t>(bytes, static_cast<std::uint8_t>(b + 1)));
  };
  const auto at = [&](int ms) { now = began + std::chrono::milliseconds(ms); };
  auto& rx = State().link.PortTable[1].RxBuf;

  // Held back: 10 ms after the last show, and at 60 ms too while the next
  // request is on its way to the meter; a late block would be shown by the
  // receive timer 250 ms on.
  at(10);
  reply(block(0, 80));
  EXPECT_EQ(view.memoryMessage, "Load ==> 0 / 35");
  EXPECT_TRUE(list.rows.empty());
  EXPECT_EQ(view.wakeIn, 240);
  at(60);
  reply(block(1, 80));
  EXPECT_EQ(view.memoryMessage, "Load ==> 0 / 35");
  // The next reply begins to arrive: the progress is shown (the rows only
  // every 250 ms).
  const std::vector<std::uint8_t> b2 = block(2, 80);
  at(63);
  rx.assign(b2.begin(), b2.begin() + 8);
  poll().bytesArrived();
  EXPECT_EQ(view.memoryMessage, "Load ==> 20 / 35");
  EXPECT_TRUE(list.rows.empty());
  rx.insert(rx.end(), b2.begin() + 8, b2.end());
  poll().bytesArrived();
  // Block 3 is late: the rows at 250 ms, the progress 250 ms after its
  // last show.
  EXPECT_EQ(view.wakeIn, 187);
  wake();
  EXPECT_EQ(list.rows.size(), 30u);
  EXPECT_EQ(view.memoryMessage, "Load ==> 20 / 35");
  wake();
  EXPECT_EQ(view.memoryMessage, "Load ==> 30 / 35");
  EXPECT_EQ(now - began, std::chrono::milliseconds(313));
  // The last block shows everything at once; the header asked after it
  // completes the download.
  at(320);
  reply(block(3, 40));
  EXPECT_EQ(list.rows.size(), 35u);
  EXPECT_EQ(view.memoryMessage, "Load ==> 35 / 35");
  EXPECT_FALSE(list.complete);
  reply(0x0E, header.b);
  EXPECT_EQ(view.memoryMessage, "Load Complete");
  EXPECT_TRUE(list.complete);
}

// A download that ends early, given up by the engine or ended by the user
// (who keeps what came), shows every record that arrived, the rows and the
// progress held back for the display included.
class EndedEarly : public ReceiveClock, public ::testing::WithParamInterface<bool> {};

TEST_P(EndedEarly, ShowsTheRowsThatArrived) {
  test::FakeList list;
  poll().windows.dataList = [&list] { return static_cast<DataListView*>(&list); };
  polling().MeterModel = polling().PrevMeterModel = "VKZ 418";
  poll().RequestRecordHeader(1);
  Bytes header(536);
  header.le16(0, 2018).set(2, 5).set(3, 23).le32(72, 60).le16(532, 35);
  reply(0x0E, header.b);
  now += std::chrono::milliseconds(10);
  reply(0x12, std::vector<std::uint8_t>(80, 1));
  ASSERT_TRUE(list.rows.empty());  // held back
  if (GetParam()) {
    poll().EndDownload();
    EXPECT_TRUE(view.messages.empty());
  } else {
    // No answer to block 1: asked again every third poll tick, then given up.
    for (int i = 0; i < 3 * (PollLoop::kMaxResends + 1) && view.messages.empty(); ++i) poll().tick1();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].first,
              "Download stopped: no usable answer from the meter. 10 of 35 records arrived.");
  }
  EXPECT_FALSE(poll().downloadRunning());
  EXPECT_EQ(list.rows.size(), 10u);
  EXPECT_EQ(view.memoryMessage, "Load ==> 10 / 35");
  EXPECT_FALSE(list.complete);
}

INSTANTIATE_TEST_SUITE_P(ReceiveClock, EndedEarly, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i) {
                           return std::string(i.param ? "ByTheUser" : "GivenUp");
                         });

// ---- settings replies into their windows --------------------------------------

// One fake window of every kind; each call is logged.
struct FakeWindows : OneValueView,
                     ClockView,
                     WelcomeTextView,
                     LunchTimeView,
                     MeterNameView,
                     DoseView,
                     ScreenView,
                     LedAlarmView,
                     TimerView {
  std::vector<std::string> log;
  int listItems = 100;  // positions the one-value list has
  bool nameShown = true;
  bool showValue(int position) override {
    if (position >= listItems) return false;
    log.push_back("value " + std::to_string(position));
    return true;
  }
  void showMeterTime(const std::string& t) override { log.push_back("meter time " + t); }
  void showPcTime(const std::string& t) override { log.push_back("pc time " + t); }
  void showWelcomeText(const std::array<std::string, 3>& l) override {
    log.push_back("welcome " + l[0] + "|" + l[1] + "|" + l[2]);
  }
  void showLunchTime(const LunchTimeReadback& r) override {
    log.push_back("lunch " + std::to_string(r.enable) + " " + std::to_string(r.startHour) + ":" +
                  std::to_string(r.startMinute) + " " + std::to_string(r.stopHour) + ":" +
                  std::to_string(r.stopMinute));
  }
  bool meterNameShown() const override { return nameShown; }
  void showMeterName(const std::string& n) override { log.push_back("name " + n); }
  void showDoseChannels(const std::array<DoseChannelReadback, 3>& c) override {
    log.push_back("dose D1 standard " + std::to_string(*c[0].standard) + " hour " +
                  std::to_string(*c[0].pwHour));
  }
  void showScreens(const ScreenReadback& s) override {
    log.push_back("screens " + std::to_string(s.positions.size()) + " lines");
  }
  void showLedAlarm(const LedAlarmReadback& a) override {
    log.push_back("alarm " + *a.upper[0] + " enable " + std::to_string(a.enablePosition));
  }
  void showTimers(const TimerReadback& t) override {
    log.push_back("timers mode " + std::to_string(*t.mode));
  }

  void install() {
    ReadbackWindows& w = State().poll.windows.readbacks;
    w.oneValue = [this] { return static_cast<OneValueView*>(this); };
    w.clock = [this] { return static_cast<ClockView*>(this); };
    w.welcomeText = [this] { return static_cast<WelcomeTextView*>(this); };
    w.lunchTime = [this] { return static_cast<LunchTimeView*>(this); };
    w.meterName = [this] { return static_cast<MeterNameView*>(this); };
    w.dose = [this] { return static_cast<DoseView*>(this); };
    w.screens = [this] { return static_cast<ScreenView*>(this); };
    w.ledAlarm = [this] { return static_cast<LedAlarmView*>(this); };
    w.timers = [this] { return static_cast<TimerView*>(this); };
  }
};

struct SettingReply {
  const char* what;
  int code;
  std::vector<std::uint8_t> payload;
  std::int16_t WindowFlags::*flag;  // the flag that lets it through (nullptr: none)
  const char* shown;                // what the window is given
};

std::vector<SettingReply> settingReplies() {
  Bytes dose(26);
  dose.set(0, 1).be16(6, 480);
  Bytes screens(36);
  Bytes alarm(45);
  alarm.set(0, 1).be16(1, 140);
  Bytes timers(130);
  timers.set(0, 2);
  using W = WindowFlags;
  return {
      {"contrast", 0x01, {20}, &W::OneSetLcdContrast, "value 4"},
      {"auto power-off", 0x03, {5}, &W::OneSetLcdAPO, "value 5"},
      {"pause", 0x06, {1}, &W::OneSetPause, "value 1"},
      {"keypad lock", 0x08, {1}, &W::OneSetAutoLockKeypad, "value 1"},
      {"auto scroll", 0x09, {0}, &W::OneSetAutoScroll, "value 0"},
      {"calibration 93.5", 0x13, {0x03, 0xA7}, &W::OneSetCalibration, "value 5"},
      {"interval 300 s", 0x15, {0x2C, 0x01, 0, 0}, &W::OneSetIntervalTime, "value 1"},
      {"meter clock", 0x02, {0x07, 0xE2, 5, 23, 8, 5, 56}, &W::RTCFrmOpen, "meter time 2018/05/23 08:05:56"},
      {"welcome text", 0x10, std::vector<std::uint8_t>(36, 'A'), &W::WelcomSetFrmOpen,
       "welcome AAAAAAAAAAAA|AAAAAAAAAAAA|AAAAAAAAAAAA"},
      {"lunch time", 0x14, {1, 12, 0, 0, 13, 60, 0}, &W::LunchTimeFrmOpen, "lunch 1 12:0 13:0"},
      {"timers", 0x0A, timers.b, &W::TimerFrmOpen, "timers mode 2"},
      {"dose channels", 0x04, dose.b, nullptr, "dose D1 standard 1 hour 8"},
      {"screens", 0x05, screens.b, nullptr, "screens 24 lines"},
      {"LED alarm", 0x07, alarm.b, nullptr, "alarm 140 enable 1"},
      {"meter name",
       0x11,
       {'V', 'K', 'Z', '0', '0', '0', '1', '2', '3', '4', '5', ' '},
       nullptr,
       "name VKZ00012345 "},
  };
}

class SettingReplies : public PollLoopTest {
 protected:
  void SetUp() override {
    PollLoopTest::SetUp();
    polling().MeterModel = "VKZ 418";
    polling().PrevMeterModel = "VKZ 418";
  }
  // The reply arrives and a receive tick decodes it.
  void receive(const SettingReply& r) {
    State().link.PortTable[1].RxBuf = replyFrame(r.code, r.payload);
    poll().bytesArrived();
  }
  FakeWindows windows;
};

TEST_F(SettingReplies, EachReachesItsWindowWhileItsFlagIsSet) {
  windows.install();
  for (const SettingReply& r : settingReplies()) {
    SCOPED_TRACE(r.what);
    State().flags.reset();
    if (r.flag) State().flags.*(r.flag) = -1;
    windows.log.clear();
    receive(r);
    EXPECT_EQ(windows.log, std::vector<std::string>{r.shown});
  }
  // What the replies keep besides.
  EXPECT_EQ(State().records.IntervalSeconds, 300);
  EXPECT_EQ(State().records.LunchTimeRecord[5], 0);  // minute 60 is out of range
  EXPECT_EQ(State().LastMeterClock.ClockYear, 2018);
}

TEST_F(SettingReplies, FlagClearOrNoWindowDropsTheReply) {
  // Every flag clear (the meter-name panel hidden): only the replies that
  // load their window on demand get through.
  windows.install();
  windows.nameShown = false;
  for (const SettingReply& r : settingReplies()) {
    SCOPED_TRACE(r.what);
    windows.log.clear();
    receive(r);
    if (r.flag || r.code == 0x11)
      EXPECT_TRUE(windows.log.empty());
    else
      EXPECT_EQ(windows.log, std::vector<std::string>{r.shown});
  }
  EXPECT_EQ(State().records.IntervalSeconds, 0);
  EXPECT_EQ(State().records.LunchTimeRecord[0], 0);
  EXPECT_EQ(State().LastMeterClock.ClockYear, 2018);  // kept whether or not the window is open

  // No window installed at all: every reply is dropped, flags or not.
  State().poll.windows.readbacks = ReadbackWindows{};
  windows.log.clear();
  for (const SettingReply& r : settingReplies()) {
    if (r.flag) State().flags.*(r.flag) = -1;
    receive(r);
  }
  EXPECT_TRUE(windows.log.empty());
  EXPECT_EQ(State().records.IntervalSeconds, 300);
}

TEST_F(SettingReplies, OneValueListWithoutThePositionShowsItsFirstItem) {
  windows.install();
  windows.listItems = 1;
  State().flags.OneSetPause = -1;
  receive({"pause on", 0x06, {1}, nullptr, ""});
  EXPECT_EQ(windows.log, std::vector<std::string>{"value 0"});
  // The skip regime leaves the list alone instead.
  windows.log.clear();
  State().flags.reset();
  State().flags.OneSetIntervalTime = -1;
  receive({"interval 300 s", 0x15, {0x2C, 0x01, 0, 0}, nullptr, ""});
  EXPECT_TRUE(windows.log.empty());
}

}  // namespace
}  // namespace vkz
