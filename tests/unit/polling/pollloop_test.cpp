// The poll engine driven tick by tick, without windows: the status bar and
// the link watchdog, the two waits and their time-outs, the watchdog's
// resume of paused polling, the memory-list requests marked before their
// write, and every settings reply handed to its window's interface (or
// dropped while its window is not there).
#include "polling/pollloop.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "bytes.h"
#include "link/eventpump.h"
#include "state/programstate.h"
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

TEST_F(PollLoopTest, NoPortLinkedShowsComZeroAndDisconnectionAfter101SilentTicks) {
  poll().setClock([] { return DateTime{2018, 5, 23, 8, 5, 56}; });
  poll().tick1();
  EXPECT_EQ(view.status[3], "COM  0");
  EXPECT_EQ(State().link.PortTable[1].PortIsOpen, 0);
  EXPECT_EQ(view.status[4], "2018 / 05 / 23   08:05:56");
  for (int i = 0; i < 100; ++i) poll().tick3();
  EXPECT_EQ(view.status[2], "Connection");
  EXPECT_EQ(polling().LinkLost, 0);
  poll().tick3();
  EXPECT_EQ(view.status[2], "Disconnection");
  EXPECT_EQ(polling().LinkLost, -1);
  // While an erase is outstanding the lost link reads "Erasing ...".
  polling().MemoryErasing = -1;
  poll().tick3();
  EXPECT_EQ(view.status[2], "Erasing ...");
}

TEST_F(PollLoopTest, WatchdogResumesPausedPollingAndTimeOutsShowTheirMessage) {
  poll().StopPanelTimers();
  EXPECT_FALSE(poll().running());
  EXPECT_FALSE(view.timersRunning);
  for (int i = 0; i < 101; ++i) poll().tick3();
  EXPECT_TRUE(poll().running());
  EXPECT_TRUE(view.timersRunning);

  // The timer-write wait ends after 300 receive ticks with its message and
  // leaves polling to the watchdog.
  polling().TimerSetPending = -1;
  polling().WaitTicks = 0;
  for (int i = 0; i < 299; ++i) poll().tick3();
  EXPECT_TRUE(view.messages.empty());
  poll().tick3();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].first, "Set Timer Setting TimeOut !!!");
  EXPECT_EQ(view.messages[0].second, MessageIcon::Critical);
  EXPECT_EQ(polling().TimerSetPending, 0);
}

TEST_F(PollLoopTest, EraseWaitEndsWithItsMessageAfterItsTimeOut) {
  // Longer than a full flash erase (about a minute of 16 ms ticks).
  EXPECT_GT(PollLoop::kEraseWaitTicks * 16, 60000);
  polling().MemoryErasing = -1;
  polling().EraseTicks = 0;
  for (int i = 0; i < PollLoop::kEraseWaitTicks - 1; ++i) poll().tick3();
  EXPECT_EQ(polling().MemoryErasing, -1);
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(view.status[2], "Erasing ...");
  poll().tick3();
  EXPECT_EQ(polling().MemoryErasing, 0);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].first, PollLoop::eraseTimeOutText());
  EXPECT_EQ(view.messages[0].second, MessageIcon::Critical);
  // Nothing awaited, nothing counted.
  for (int i = 0; i < PollLoop::kEraseWaitTicks; ++i) poll().tick3();
  EXPECT_EQ(view.messages.size(), 1u);
}

TEST_F(PollLoopTest, MemoryListWaitEndsQuietlyWhenThePanelIsClosedElseTimesOut) {
  // Panel hidden: the wait ends at the next count that is a multiple of 10.
  poll().StopPanelTimers();
  polling().MemInfoPending = -1;
  polling().WaitTicks = 3;
  for (int i = 0; i < 7; ++i) poll().tick3();  // counts 3..9
  EXPECT_EQ(polling().MemInfoPending, -1);
  poll().tick3();  // count 10
  EXPECT_EQ(polling().MemInfoPending, 0);
  EXPECT_TRUE(poll().running());
  EXPECT_TRUE(view.messages.empty());

  // Panel shown and no entry: the message comes with the 202nd tick.
  State().flags.MemoryPanelShown = -1;
  poll().StopPanelTimers();
  polling().MemInfoPending = -1;
  polling().WaitTicks = 0;
  for (int i = 0; i < 201; ++i) poll().tick3();
  EXPECT_TRUE(view.messages.empty());
  poll().tick3();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].first, "Get Memory Information TimeOut Error !!!");
  EXPECT_EQ(polling().MemInfoPending, 0);
  EXPECT_TRUE(poll().running());
}

TEST_F(PollLoopTest, StrayByteCountsAsSilence) {
  State().link.PortTable[1].RxBuf = {0x55};
  for (int i = 0; i < 101; ++i) poll().tick3();
  EXPECT_EQ(polling().LinkLost, -1);
}

TEST_F(PollLoopTest, MemoryListRequestsAreMarkedBeforeTheirWrite) {
  // The write turns the event loop, where a quick meter's answer is
  // decoded: the request must be awaited by then, and an end of the list
  // decoded there must not be undone.
  vkztest::TempAppDir dir;
  vkztest::TestPty pty;
  ASSERT_TRUE(pty.ok());
  dir.link("COM1", pty.slave());
  ASSERT_EQ(OpenPort(State().line(), 1, kMeterLineSettings), -1);
  std::vector<int> seen;
  setEventPump([&] {
    seen.push_back(polling().MemInfoPending);
    polling().MemInfoPending = 0;
  });
  poll().RequestMemoryList();
  EXPECT_EQ(pty.receive(5), vkztest::hexBytes("02 00 01 0C 0D"));
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), -1);
  EXPECT_EQ(polling().MemInfoPending, 0);

  // Entry 1 of 2 asks for the next one, marked as well.
  seen.clear();
  State().flags.MemoryPanelShown = -1;
  State().link.PortTable[1].PortReply.ReplyCode = 0x0C;
  const Bytes entry{0x07, 0xE2, 5, 23, 14, 3, 7, 1, 2};
  State().link.PortTable[1].PortReply.ReplyLength = static_cast<std::uint16_t>(entry.b.size());
  std::copy(entry.b.begin(), entry.b.end(), State().link.PortTable[1].PortReply.ReplyData.begin());
  poll().DeVKZ418SDData();
  setEventPump(nullptr);
  EXPECT_EQ(pty.receive(5), vkztest::hexBytes("02 00 01 0D 0C"));
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), -1);
  EXPECT_EQ(view.memoryRows, std::vector<std::string>{"1\t2018/05/23  14:03:07\t1"});
}

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

// ---- the receive clock ------------------------------------------------------------

// The data list window as a download fills it.
struct FakeList : DataListView {
  std::vector<std::string> rows;
  bool complete = false;
  void showHeader() override {}
  void addRecords(const std::vector<LoggedRecord>& records) override {
    for (const LoggedRecord& r : records) rows.push_back(r.row);
  }
  void downloadComplete() override { complete = true; }
};

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
    poll().tick3();
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
  polling().MemInfoPending = -1;
  polling().WaitTicks = 0;
  poll().tick1();
  const auto began = now;
  int wakes = 0;
  while (polling().MemInfoPending == -1 && wakes < 300) {
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
  const std::vector<std::uint8_t> frame = replyFrame(0x10, std::vector<std::uint8_t>(36, 'A'));

  // Its length is in: the notifier rests until shortly before the other 33
  // bytes (5.7 ms at 57600 baud) are through.
  pty.send({frame.begin(), frame.begin() + 8});
  ASSERT_TRUE(vkztest::waitReadable(fd));
  poll().bytesArrived();
  EXPECT_FALSE(view.watching);
  EXPECT_EQ(view.wakeIn, 4);
  pty.send({frame.begin() + 8, frame.end()});
  ASSERT_TRUE(vkztest::waitReadable(fd));
  wake();
  const PortEntry& e = State().link.PortTable[1];
  EXPECT_EQ(e.PortReply.ReplyCode, 0x10);
  EXPECT_TRUE(e.RxBuf.empty());
  EXPECT_TRUE(view.watching);

  // Nothing more came by then: the notifier takes over, no timer wakes.
  pty.send({frame.begin(), frame.begin() + 8});
  ASSERT_TRUE(vkztest::waitReadable(fd));
  poll().bytesArrived();
  EXPECT_FALSE(view.watching);
  wake();
  EXPECT_TRUE(view.watching);
  EXPECT_EQ(e.RxBuf.size(), 8u);
}

TEST_F(ReceiveClock, ProgressAndRowsAreShownSeldomAndWhileTheMeterSends) {
  FakeList list;
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
  poll().tick3();
  // Block 3 is late: the rows at 250 ms, the progress 250 ms after its
  // last show.
  EXPECT_EQ(view.wakeIn, 187);
  wake();
  EXPECT_EQ(list.rows.size(), 30u);
  EXPECT_EQ(view.memoryMessage, "Load ==> 20 / 35");
  wake();
  EXPECT_EQ(view.memoryMessage, "Load ==> 30 / 35");
  EXPECT_EQ(now - began, std::chrono::milliseconds(313));
  // The last block shows everything at once.
  at(320);
  reply(block(3, 40));
  EXPECT_EQ(list.rows.size(), 35u);
  EXPECT_EQ(view.memoryMessage, "Load Complete");
  EXPECT_TRUE(list.complete);
}

TEST_F(ReceiveClock, DownloadGivenUpShowsTheRowsThatArrived) {
  FakeList list;
  poll().windows.dataList = [&list] { return static_cast<DataListView*>(&list); };
  polling().MeterModel = polling().PrevMeterModel = "VKZ 418";
  poll().RequestRecordHeader(1);
  Bytes header(536);
  header.le16(0, 2018).set(2, 5).set(3, 23).le32(72, 60).le16(532, 35);
  reply(0x0E, header.b);
  now += std::chrono::milliseconds(10);
  reply(0x12, std::vector<std::uint8_t>(80, 1));
  ASSERT_TRUE(list.rows.empty());  // held back
  // No answer to block 1: asked again every third poll tick, then given up.
  for (int i = 0; i < 3 * (PollLoop::kMaxResends + 1) && view.messages.empty(); ++i) poll().tick1();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].first,
            "Download stopped: no usable answer from the meter. 10 of 35 records arrived.");
  EXPECT_EQ(list.rows.size(), 10u);
  EXPECT_EQ(view.memoryMessage, "Load ==> 10 / 35");
  EXPECT_FALSE(list.complete);
}

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
    poll().tick3();
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
