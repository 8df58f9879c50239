// The emulator on a real pseudo-terminal: a client opens the link the way the
// program opens a port (raw termios), writes exact request bytes and reads
// the reply frames.
#include "emulator/emulator.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

namespace vkz::emu {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The computer's end of the line.
class Line {
 public:
  explicit Line(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    if (fd_ >= 0 && ::tcgetattr(fd_, &t) == 0) {
      ::cfmakeraw(&t);
      t.c_cflag |= CLOCAL | CREAD;
      ::tcsetattr(fd_, TCSANOW, &t);
    }
  }
  ~Line() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool open() const { return fd_ >= 0; }
  void send(const Bytes& b) { ASSERT_EQ(::write(fd_, b.data(), b.size()), static_cast<ssize_t>(b.size())); }

  // The next reply frame, cut by its length field; nothing if none comes.
  std::optional<Bytes> frame(std::chrono::milliseconds timeout = 3000ms) {
    const auto end = SteadyClock::now() + timeout;
    for (;;) {
      if (buf_.size() >= 4) {
        const std::size_t total = 5 + (buf_[2] << 8 | buf_[3]);
        if (buf_.size() >= total) {
          Bytes f(buf_.begin(), buf_.begin() + static_cast<long>(total));
          buf_.erase(buf_.begin(), buf_.begin() + static_cast<long>(total));
          return f;
        }
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(end - SteadyClock::now()).count();
      if (left <= 0) return std::nullopt;
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
      std::uint8_t tmp[1024];
      const ssize_t n = ::read(fd_, tmp, sizeof tmp);
      if (n > 0) buf_.insert(buf_.end(), tmp, tmp + n);
    }
  }
  // Sends a request and returns the reply frame.
  std::optional<Bytes> ask(std::uint8_t code, const Bytes& params = {}) {
    send(makeRequest(code, params));
    return frame();
  }
  void flush() { ::tcflush(fd_, TCIFLUSH); }
  // Nothing has arrived and nothing is buffered.
  bool quiet() {
    pollfd p{fd_, POLLIN, 0};
    return buf_.empty() && ::poll(&p, 1, 0) == 0;
  }

 private:
  int fd_ = -1;
  Bytes buf_;
};

Bytes payload(const Bytes& frame) {
  return Bytes(frame.begin() + 4, frame.end() - 1);
}

class EmuPty : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/vkz_emu_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    link_ = dir_ + "/com/COM3";
    ASSERT_TRUE(emu_.start(link_)) << emu_.lastError();
  }
  void TearDown() override {
    emu_.stop();
    fs::remove_all(dir_);
  }

  // The reply to `code` after the meter has handled `n` of them.
  void expectSilence(std::size_t n, int code) {
    ASSERT_TRUE(emu_.waitForRequests(n, code));
    EXPECT_EQ(emu_.pendingBytes(), 0u);
  }

  Emulator emu_;
  std::string dir_, link_;
};

TEST_F(EmuPty, IdentifiesAsEitherModel) {
  Line line(link_);
  ASSERT_TRUE(line.open());
  EXPECT_EQ(toHex(*line.ask(cmd::ReadModel)), "03 00 00 07 56 4B 5A 20 34 31 38 5D");
  emu_.setModel("KRD 529");
  const auto f = line.ask(cmd::ReadModel);
  ASSERT_TRUE(f);
  EXPECT_EQ(std::string(f->begin() + 4, f->end() - 1), "KRD 529");
  ASSERT_EQ(emu_.requests(cmd::ReadModel).size(), 2u);
  EXPECT_EQ(toHex(emu_.requests(cmd::ReadModel)[0].bytes), "02 00 01 00 01");
}

TEST_F(EmuPty, ClockIsSettableFromTheLineAndRuns) {
  Line line(link_);
  const auto ack =
      line.ask(cmd::WriteClock, {0x07, 0xE2, 0x05, 0x17, 0x0A, 0x1E, 0x00});  // 2018-05-23 10:30:00
  EXPECT_EQ(toHex(*ack), "03 82 00 01 82 01");
  const auto f = line.ask(cmd::ReadClock);
  ASSERT_TRUE(f);
  const Bytes p = payload(*f);
  ASSERT_EQ(p.size(), 7u);
  EXPECT_EQ(toHex(Bytes(p.begin(), p.begin() + 5)), "07 E2 05 17 0A");
  EXPECT_EQ(p[5], 0x1E);
  EXPECT_LE(p[6], 2);  // seconds since the write
  // The clock runs from the moment it was set.
  emu_.setClock({2018, 12, 31, 23, 59, 59});
  const DateTime t = emu_.clock();
  EXPECT_TRUE(t == (DateTime{2018, 12, 31, 23, 59, 59}) || t == (DateTime{2019, 1, 1, 0, 0, 0}));
  // An impossible date is refused and changes nothing.
  EXPECT_EQ(payload(*line.ask(cmd::WriteClock, {0x07, 0xE2, 0x02, 0x1E, 0, 0, 0})), Bytes{0x00});
  EXPECT_NE(emu_.clock().month, 2);
}

TEST_F(EmuPty, MemoryListWalkEndsOnce) {
  emu_.generateMeasurements({.count = 3, .records = 12});
  Line line(link_);
  const auto size = line.ask(cmd::ReadMemorySize);
  const std::uint32_t used = 3 * (536 + 12 * 8), total = 4194304, remain = total - used;
  EXPECT_EQ(payload(*size),
            (Bytes{0x00, 0x40, 0x00, 0x00, static_cast<std::uint8_t>(remain >> 24),
                   static_cast<std::uint8_t>(remain >> 16), static_cast<std::uint8_t>(remain >> 8),
                   static_cast<std::uint8_t>(remain)}));

  const auto first = line.ask(cmd::ReadMemoryListFirst);
  ASSERT_TRUE(first);
  const DateTime s = emu_.measurement(1).info.start;
  EXPECT_EQ(toHex(*first), toHex(makeReply(0x0C, {0x07, 0xE8, 5, 6, static_cast<std::uint8_t>(s.hour),
                                                  static_cast<std::uint8_t>(s.minute), 0, 1, 3})));
  for (int entry = 2; entry <= 3; ++entry) {
    const auto f = line.ask(cmd::ReadMemoryListNext);
    ASSERT_TRUE(f);
    EXPECT_EQ((*f)[1], 0x0D);
    EXPECT_EQ((*f)[4 + 7], entry);
    EXPECT_EQ((*f)[4 + 8], 3);
    EXPECT_EQ((*f)[4 + 3], 5 + entry) << "one measurement per day";
  }
  EXPECT_EQ(toHex(*line.ask(cmd::ReadMemoryListNext)), "03 FF 00 01 0D F3");
  // The program's list wait asks again after the end: no second end reply.
  line.send(makeRequest(cmd::ReadMemoryListNext));
  expectSilence(4, cmd::ReadMemoryListNext);
  EXPECT_TRUE(line.quiet());

  // An empty memory answers the first request with the end, naming 0x0C.
  emu_.clearMeasurements();
  EXPECT_EQ(toHex(*line.ask(cmd::ReadMemoryListFirst)), "03 FF 00 01 0C F2");
}

TEST_F(EmuPty, LostListEntryIsPassedByTheWalk) {
  emu_.generateMeasurements({.count = 3, .records = 12});
  emu_.loseListEntry(2, 1);
  Line line(link_);
  EXPECT_EQ((*line.ask(cmd::ReadMemoryListFirst))[4 + 7], 1);
  line.send(makeRequest(cmd::ReadMemoryListNext));
  expectSilence(1, cmd::ReadMemoryListNext);
  EXPECT_TRUE(line.quiet());
  EXPECT_EQ((*line.ask(cmd::ReadMemoryListNext))[4 + 7], 3);
  // Lost once only: a new walk lists it.
  EXPECT_EQ((*line.ask(cmd::ReadMemoryListFirst))[4 + 7], 1);
  EXPECT_EQ((*line.ask(cmd::ReadMemoryListNext))[4 + 7], 2);
}

TEST_F(EmuPty, HeaderAndBlocksServeWhatIsStored) {
  std::vector<Record> recs;
  for (int i = 0; i < 25; ++i) recs.push_back(Record::make(85.3, 86.0 + i * 0.1, 105.0, 107.5, i == 4));
  emu_.generateMeasurements({.count = 1, .records = 30});
  ASSERT_EQ(emu_.addMeasurement(recs), 2);
  Line line(link_);

  const auto h = line.ask(cmd::ReadRecordHeader, {2});
  ASSERT_TRUE(h);
  EXPECT_EQ((*h)[1], 0x0E);
  const Header stored = emu_.measurement(2).header;
  EXPECT_EQ(payload(*h), Bytes(stored.begin(), stored.end()));
  EXPECT_EQ(le16(stored, hdr::RecordCount), 25u);
  EXPECT_EQ(emu_.currentEntry(), 2);

  // Blocks of the measurement whose header was read: 80, 80, 40 bytes.
  const std::size_t sizes[] = {80, 80, 40, 0};
  for (unsigned b = 0; b < 4; ++b) {
    const auto f = line.ask(cmd::ReadDataBlock, {0, static_cast<std::uint8_t>(b)});
    ASSERT_TRUE(f);
    EXPECT_EQ((*f)[1], 0x12);
    EXPECT_EQ(payload(*f), blockPayload(recs, b));
    EXPECT_EQ(payload(*f).size(), sizes[b]);
  }
  const Bytes b0 = blockPayload(recs, 0);
  EXPECT_EQ(toHex(Bytes(b0.begin() + 32, b0.begin() + 34)), "55 83") << "record 5 flagged: 853 + 32768";

  // No such entry: the meter does not answer.
  line.send(makeRequest(cmd::ReadRecordHeader, {9}));
  expectSilence(2, cmd::ReadRecordHeader);
}

TEST_F(EmuPty, WritesAreAcknowledgedKeptAndReadBack) {
  Line line(link_);
  struct Case {
    std::uint8_t write, read;
    Bytes value;
    bool ok;
  };
  const Case cases[] = {
      {cmd::WriteLcdContrast, cmd::ReadLcdContrast, {40}, true},
      {cmd::WriteLcdContrast, cmd::ReadLcdContrast, {41}, false},
      {cmd::WriteLcdApo, cmd::ReadLcdApo, {5}, true},
      {cmd::WritePause, cmd::ReadPause, {1}, true},
      {cmd::WriteKeypadLock, cmd::ReadKeypadLock, {2}, false},
      {cmd::WriteAutoScroll, cmd::ReadAutoScroll, {1}, true},
      {cmd::WriteCalibration, cmd::ReadCalibration, {0x04, 0x7E}, true},   // 115.0 dB
      {cmd::WriteCalibration, cmd::ReadCalibration, {0x03, 0xC9}, false},  // 96.9 dB
      {cmd::WriteLunchTime, cmd::ReadLunchTime, {1, 12, 0, 0, 13, 30, 0}, true},
      {cmd::WriteIntervalTime, cmd::ReadIntervalTime, {0x2C, 0x01, 0, 0}, true},  // 300 s, low byte first
      {cmd::WriteIntervalTime, cmd::ReadIntervalTime, {120, 0, 0, 0}, false},
      {cmd::WriteWelcomeText, cmd::ReadWelcomeText, Bytes(36, 'A'), true},
      {cmd::WriteDoseSettings, cmd::ReadDoseSettings, Bytes(26, 7), true},
      {cmd::WriteScreens, cmd::ReadScreens, Bytes(36, 9), true},
      {cmd::WriteLedAlarm, cmd::ReadLedAlarm, Bytes(45, 1), true},
  };
  for (const Case& c : cases) {
    const Bytes before = payload(*line.ask(c.read));
    const auto ack = line.ask(c.write, c.value);
    ASSERT_TRUE(ack) << requestName(c.write);
    EXPECT_EQ(toHex(*ack), toHex(makeReply(c.write, {c.ok ? c.write : std::uint8_t{0}})))
        << requestName(c.write);
    EXPECT_EQ(payload(*line.ask(c.read)), c.ok ? c.value : before) << requestName(c.write);
  }
  // The name is written as 11 bytes and read back as 12.
  EXPECT_EQ(payload(*line.ask(cmd::WriteMeterName, Bytes(11, 'N'))), Bytes{0x8E});
  Bytes name(11, 'N');
  name.push_back(' ');
  EXPECT_EQ(payload(*line.ask(cmd::ReadMeterName)), name);
  // Surplus zeros the program sends behind a checksum are logged with the frame.
  const auto lunch = emu_.requests(cmd::WriteLunchTime);
  ASSERT_EQ(lunch.size(), 1u);
  EXPECT_EQ(lunch[0].surplus, 1u);
}

TEST_F(EmuPty, TimerWriteCountsOnlyWhenTheThirdFrameArrives) {
  Line line(link_);
  Bytes image(130);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i);
  const Bytes before = payload(*line.ask(cmd::ReadTimers));
  EXPECT_EQ(payload(*line.ask(cmd::WriteTimers1, Bytes(image.begin(), image.begin() + 46))), Bytes{0x8A});
  EXPECT_EQ(payload(*line.ask(cmd::WriteTimers2, Bytes(image.begin() + 46, image.begin() + 95))),
            Bytes{0x8B});
  EXPECT_EQ(payload(*line.ask(cmd::ReadTimers)), before);
  EXPECT_EQ(payload(*line.ask(cmd::WriteTimers3, Bytes(image.begin() + 95, image.end()))), Bytes{0x8C});
  EXPECT_EQ(payload(*line.ask(cmd::ReadTimers)), image);
}

TEST_F(EmuPty, EraseEmptiesTheMemoryAndKeepsTheMeterBusy) {
  emu_.generateMeasurements({.count = 2, .records = 5});
  emu_.setEraseTime(100ms);
  Line line(link_);
  line.send(makeRequest(cmd::ClearMemory));
  line.send(makeRequest(cmd::ReadModel));  // asked while erasing: no answer
  ASSERT_TRUE(emu_.waitForRequests(1, cmd::ReadModel));
  EXPECT_EQ(toHex(*line.frame()), "03 0B 00 01 0B 01");
  ASSERT_TRUE(emu_.waitForOutput());
  EXPECT_TRUE(line.quiet());
  EXPECT_EQ(emu_.measurementCount(), 0);
  EXPECT_EQ(toHex(*line.ask(cmd::ReadMemoryListFirst)), "03 FF 00 01 0C F2");
}

TEST_F(EmuPty, FaultsHitTheRequestsTheyName) {
  emu_.generateMeasurements({.count = 1, .records = 50});
  Line line(link_);
  ASSERT_TRUE(line.ask(cmd::ReadRecordHeader, {1}));
  emu_.addFault(FaultRule::nth(Fault::Drop, cmd::ReadDataBlock, 3));
  emu_.addFault(FaultRule::nth(Fault::CorruptChecksum, cmd::ReadDataBlock, 4));
  for (std::uint8_t b = 0; b < 2; ++b) EXPECT_TRUE(line.ask(cmd::ReadDataBlock, {0, b}));
  line.send(makeRequest(cmd::ReadDataBlock, {0, 2}));
  expectSilence(3, cmd::ReadDataBlock);
  EXPECT_TRUE(line.quiet());
  const auto bad = line.ask(cmd::ReadDataBlock, {0, 2});
  ASSERT_TRUE(bad);
  EXPECT_NE(makeReply(0x12, payload(*bad)).back(), bad->back());
  EXPECT_EQ(payload(*line.ask(cmd::ReadDataBlock, {0, 2})), blockPayload(emu_.measurement(1).records, 2));

  // A resend request instead of the acknowledgement; the write is not taken.
  emu_.resendNext(cmd::WriteScreens);
  EXPECT_EQ(toHex(*line.ask(cmd::WriteScreens, Bytes(36, 3))), "03 55 00 01 85 D1");
  EXPECT_NE(payload(*line.ask(cmd::ReadScreens)), Bytes(36, 3));
  emu_.failNextWrites();
  EXPECT_EQ(payload(*line.ask(cmd::ReadScreens)).size(), 36u);  // reads pass; the next write fails
  EXPECT_EQ(payload(*line.ask(cmd::WriteScreens, Bytes(36, 3))), Bytes{0x00});
  EXPECT_EQ(payload(*line.ask(cmd::WriteScreens, Bytes(36, 3))), Bytes{0x85});

  // Duplicate: the same frame twice.
  emu_.duplicateNextReplies();
  const auto one = line.ask(cmd::ReadModel);
  EXPECT_EQ(line.frame(), one);

  // Silent until told otherwise.
  emu_.setSilent(true);
  line.send(makeRequest(cmd::ReadModel));
  expectSilence(2, cmd::ReadModel);
  EXPECT_TRUE(line.quiet());
  emu_.setSilent(false);
  EXPECT_TRUE(line.ask(cmd::ReadModel));
}

TEST_F(EmuPty, SettingWriteKnobs) {
  Line line(link_);
  // Never acknowledged: the timer's first frame is neither taken nor
  // answered, every time, while other requests are.
  emu_.neverAcknowledge(cmd::WriteTimers1);
  for (std::size_t n = 1; n <= 2; ++n) {
    line.send(makeRequest(cmd::WriteTimers1, Bytes(46, 1)));
    expectSilence(n, cmd::WriteTimers1);
    EXPECT_TRUE(line.quiet());
    EXPECT_TRUE(line.ask(cmd::ReadTimers));
  }
  EXPECT_EQ(emu_.timerStaging(), (std::array<std::uint8_t, 130>{}));
  emu_.clearFaults();
  EXPECT_EQ(payload(*line.ask(cmd::WriteTimers1, Bytes(46, 1))), Bytes{0x8A});

  // Asked once to send the write again: nothing is taken until it comes again.
  Bytes alarm(45, 0);
  alarm[0] = 1;
  for (std::size_t q = 0; q < 11; ++q) alarm[2 + 4 * q] = 120, alarm[4 + 4 * q] = 80;
  emu_.resendNext(cmd::WriteLedAlarm);
  EXPECT_EQ(toHex(*line.ask(cmd::WriteLedAlarm, alarm)), "03 55 00 01 87 D3");
  EXPECT_NE(payload(*line.ask(cmd::ReadLedAlarm)), alarm);
  EXPECT_EQ(payload(*line.ask(cmd::WriteLedAlarm, alarm)), Bytes{0x87});
  EXPECT_EQ(payload(*line.ask(cmd::ReadLedAlarm)), alarm);

  // An erase takes a while; the meter answers nothing meanwhile, then sends
  // the erase reply. Long enough here that a slow machine still sees it due.
  emu_.setEraseTime(600ms);
  line.send(makeRequest(cmd::ClearMemory));
  line.send(makeRequest(cmd::ReadModel));
  ASSERT_TRUE(emu_.waitForRequests(1, cmd::ReadModel));
  EXPECT_EQ(emu_.pendingBytes(), 6u);  // the erase reply, not yet due
  EXPECT_EQ(toHex(*line.frame()), "03 0B 00 01 0B 01");
  ASSERT_TRUE(emu_.waitForOutput(5000ms));
  EXPECT_TRUE(line.quiet());
}

TEST_F(EmuPty, SplitAndPacedRepliesArriveWhole) {
  emu_.generateMeasurements({.count = 1, .records = 10});
  Line line(link_);
  emu_.setSplit(7, 5ms);
  const auto split = line.ask(cmd::ReadRecordHeader, {1});
  ASSERT_TRUE(split);
  EXPECT_EQ(payload(*split).size(), 536u);
  emu_.setSplit(0, 0ms);

  // 541 bytes at 5760 bytes/s take at least 94 ms on a real line.
  emu_.setPacing(true);
  const auto t0 = SteadyClock::now();
  const auto paced = line.ask(cmd::ReadRecordHeader, {1});
  const auto took = SteadyClock::now() - t0;
  ASSERT_TRUE(paced);
  EXPECT_EQ(*paced, *split);
  EXPECT_GE(took, 90ms);
  // The request's own six bytes cross the line first: the meter answers
  // only once they are through.
  const Request asked = emu_.requests(cmd::ReadRecordHeader).back();
  EXPECT_GE(emu_.replies().back().time - asked.time, 6 * 173us);
}

// A slow adapter: every reply leaves its delay after its own request, in
// the order of the requests, paced, and lost or doubled as the faults say.
TEST_F(EmuPty, LateRepliesComeInOrderWithTheirFaults) {
  emu_.generateMeasurements({.count = 1, .records = 30});
  const auto records = emu_.measurement(1).records;
  Line line(link_);
  ASSERT_TRUE(line.ask(cmd::ReadRecordHeader, {1}));
  emu_.setPacing(true);
  emu_.setReplyDelay(300ms);
  emu_.addFault(FaultRule::nth(Fault::Duplicate, cmd::ReadDataBlock, 1));
  emu_.addFault(FaultRule::nth(Fault::Drop, cmd::ReadDataBlock, 2));
  const auto t0 = SteadyClock::now();
  for (std::uint8_t b = 0; b < 3; ++b) line.send(makeRequest(cmd::ReadDataBlock, {0, b}));
  std::vector<Bytes> got;
  while (auto f = line.frame(1500ms)) {
    if (got.empty()) EXPECT_GE(SteadyClock::now() - t0, 300ms);
    got.push_back(payload(*f));
  }
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], blockPayload(records, 0));
  EXPECT_EQ(got[1], blockPayload(records, 0));
  EXPECT_EQ(got[2], blockPayload(records, 2));
  // Each answer is due its delay after its own request, not after the reply
  // before it.
  const auto sent = emu_.replies();
  ASSERT_GE(sent.size(), 3u);
  EXPECT_LT(sent.back().time - sent[sent.size() - 3].time, 300ms);
}

// A meter whose delay wanders: every reply takes a delay of its own, from
// a repeating sequence or drawn within bounds, and still leaves in the order
// of the requests (a short delay behind a long one waits for it).
TEST_F(EmuPty, EachReplyTakesItsOwnDelayInTheOrderAsked) {
  emu_.generateMeasurements({.count = 1, .records = 40});
  const auto records = emu_.measurement(1).records;
  Line line(link_);
  ASSERT_TRUE(line.ask(cmd::ReadRecordHeader, {1}));
  const std::vector<std::chrono::milliseconds> delays{150ms, 0ms, 40ms};
  emu_.setDelayPattern(DelayPattern::cycle(delays));
  emu_.clearLog();
  for (std::uint8_t b = 0; b < 4; ++b) line.send(makeRequest(cmd::ReadDataBlock, {0, b}));
  for (std::uint8_t b = 0; b < 4; ++b) {
    const auto f = line.frame();
    ASSERT_TRUE(f);
    EXPECT_EQ(payload(*f), blockPayload(records, b));
  }
  ASSERT_TRUE(emu_.waitForOutput());
  const auto sent = emu_.replies();
  ASSERT_EQ(sent.size(), 4u);
  for (std::size_t i = 0; i < sent.size(); ++i) {
    EXPECT_GE(sent[i].written - sent[i].time, delays[i % delays.size()]) << i;
    if (i > 0) {
      EXPECT_GE(sent[i].written, sent[i - 1].written) << i;
    }
  }
  // The sequence starts again: the fourth reply took the first delay.
  EXPECT_GE(sent[3].written - sent[3].time, 150ms);

  emu_.setDelayPattern(DelayPattern::random(30ms, 60ms, 5));
  emu_.clearLog();
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(line.ask(cmd::ReadModel));
  ASSERT_TRUE(emu_.waitForOutput());
  for (const SentReply& r : emu_.replies()) EXPECT_GE(r.written - r.time, 30ms);
}

TEST_F(EmuPty, ServesAgainAfterThePortIsClosedAndReopened) {
  {
    Line line(link_);
    EXPECT_TRUE(line.ask(cmd::ReadModel));
    line.send(makeRequest(cmd::ReadModel));  // its reply is lost with the port
    ASSERT_TRUE(emu_.waitForRequests(2));
  }
  Line again(link_);
  ASSERT_TRUE(again.open());
  again.flush();  // as the program does when it opens a port
  const auto f = again.ask(cmd::ReadClock);
  ASSERT_TRUE(f);
  EXPECT_EQ((*f)[1], cmd::ReadClock);
}

TEST_F(EmuPty, LinkIsRemovedOnStopAndStaleLinkReplaced) {
  EXPECT_EQ(fs::read_symlink(link_), fs::path(emu_.slavePath()));
  emu_.stop();
  EXPECT_FALSE(fs::is_symlink(link_));
  fs::create_symlink("/dev/pts/nonexistent", link_);
  ASSERT_TRUE(emu_.start(link_)) << emu_.lastError();
  EXPECT_EQ(fs::read_symlink(link_), fs::path(emu_.slavePath()));
}

// The program that run.sh starts when no meter is attached.
TEST(EmuMeterEmulatorProgram, ServesUntilTerminatedThenRemovesItsLink) {
  char tmpl[] = "/tmp/vkz_emu_XXXXXX";
  ASSERT_NE(::mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl, link = dir + "/com/COM1";
  int err[2];
  ASSERT_EQ(::pipe(err), 0);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::dup2(err[1], 2);
    ::execl("./MeterEmulator", "MeterEmulator", "--link", link.c_str(), "--model", "KRD 529",
            "--measurements", "2", "--records", "15", "--delay-sequence", "0,2,1", nullptr);
    ::_exit(127);
  }
  ::close(err[1]);
  // It reports on stderr once the link is there.
  std::string banner;
  char c;
  pollfd p{err[0], POLLIN, 0};
  while (banner.find('\n') == std::string::npos && ::poll(&p, 1, 5000) > 0 && ::read(err[0], &c, 1) == 1)
    banner += c;
  EXPECT_NE(banner.find("2 measurements"), std::string::npos) << banner;
  {
    Line line(link);
    ASSERT_TRUE(line.open());
    const auto f = line.ask(cmd::ReadModel);
    ASSERT_TRUE(f);
    EXPECT_EQ(std::string(f->begin() + 4, f->end() - 1), "KRD 529");
    const auto h = line.ask(cmd::ReadRecordHeader, {2});
    ASSERT_TRUE(h);
    EXPECT_EQ((*h)[4 + hdr::RecordCount], 15);
  }
  ::kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(fs::is_symlink(link));
  ::close(err[0]);
  fs::remove_all(dir);
}

// On a clock of its own the meter's time stands still until it is told
// that the clock moved: a delayed reply leaves at its moment on that
// clock, not before, however long the machine takes; meanwhile the meter
// is idle and says when it is next due.
TEST(EmuOwnClock, RepliesWhenItsClockReachesTheirMoment) {
  char tmpl[] = "/tmp/vkz_emu_XXXXXX";
  ASSERT_NE(::mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl, link = dir + "/com/COM3";
  std::atomic<std::int64_t> at{std::chrono::nanoseconds(5s).count()};
  const auto now = [&] { return SteadyClock::time_point(std::chrono::nanoseconds(at.load())); };
  const SteadyClock::time_point start = now();
  {
    Emulator emu;
    emu.setTimeSource(now);
    emu.setReplyDelay(300ms);
    ASSERT_TRUE(emu.start(link)) << emu.lastError();
    Line line(link);
    ASSERT_TRUE(line.open());
    // The meter has taken everything and waits for its clock (a guard of
    // real time ends a failing test).
    const auto settled = [&] {
      const auto guard = std::chrono::steady_clock::now() + 2s;
      while (!emu.idle())
        if (std::chrono::steady_clock::now() > guard) return false;
      return true;
    };
    line.send(makeRequest(cmd::ReadModel));
    ASSERT_TRUE(emu.waitForRequests(1, cmd::ReadModel));
    ASSERT_TRUE(settled());
    EXPECT_EQ(emu.nextDue(), start + 300ms);
    EXPECT_TRUE(line.quiet());

    at += std::chrono::nanoseconds(299ms).count();
    emu.timeMoved();
    ASSERT_TRUE(settled());
    EXPECT_TRUE(line.quiet());

    at += std::chrono::nanoseconds(1ms).count();
    emu.timeMoved();
    const auto reply = line.frame();
    ASSERT_TRUE(reply);
    EXPECT_EQ(toHex(*reply), "03 00 00 07 56 4B 5A 20 34 31 38 5D");
    ASSERT_EQ(emu.replies().size(), 1u);
    EXPECT_EQ(emu.replies()[0].written, start + 300ms);
    ASSERT_TRUE(settled());
    EXPECT_EQ(emu.nextDue(), SteadyClock::time_point::max());
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vkz::emu
