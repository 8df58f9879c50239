// Downloads through the poll engine from a meter simulated on the test's
// clock. The meter answers every request in the order asked, each after a
// delay of its own (fixed, drawn at random, alternating, growing), its
// answers cross the line at 57600 baud one after the other, some are lost;
// blocks are often byte for byte alike. The engine runs as in the program:
// the poll tick every 200 ms, the receive ticks counted from the clock,
// every reply handed over whole when its last byte is through. Nothing
// waits on real time. Every row must be the meter's record of its number,
// whatever the delays; what the losses and the alike blocks cost is counted
// in requests and in re-send cycles of the poll tick.
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "bytes.h"
#include "fakelist.h"
#include "emulator/protocol.h"
#include "link/porttable.h"
#include "polling/pollloop.h"
#include "state/programstate.h"
#include "support/common/program_reset.h"
#include "unit/link/testpty.h"

namespace vkz {
namespace {

// One byte at 57600 baud, in ms.
constexpr double kByteMs = 10.0 / 57.6;

struct Record {
  std::uint16_t words[4];  // LAVG (bit 15: paused), Leq, LCPK, LZPK
};

// How the meter answers and how the line treats its answers.
struct SimLine {
  const char* name;
  std::function<double(std::size_t reply, std::mt19937& rng)> delayMs;  // the reply's own delay
  double lost = 0;    // share of the block answers lost on the line
  double alike = 0;   // share of the blocks whose records equal the block before
  int records = 300;  // records stored
  double doubled = 0;  // share of the block answers the meter sends twice
};

void PrintTo(const SimLine& l, std::ostream* os) {
  *os << l.name;
}

double fixed(double ms) {
  return ms;
}

// The meter, its line and its records. It hears the requests the program
// wrote to its port (a pseudo-terminal linked as COM1) as soon as the
// program's call that wrote them returns.
class SimMeter final {
 public:
  SimMeter(const SimLine& line, unsigned seed, const vkztest::TestPty& pty)
      : line_(line), rng_(seed), pty_(pty) {
    std::uniform_int_distribution<int> level(300, 1200), paused(0, 9);
    std::uniform_real_distribution<double> u(0, 1);
    for (int i = 0; i < line.records; ++i) {
      if (i >= 10 && i % 10 == 0 && u(rng_) < line.alike) {
        // A block like the one before: a paused span, a steady level.
        for (int j = 0; j < 10 && i + j < line.records; ++j)
          records_.push_back(records_[records_.size() - 10]);
        i += 9;
        continue;
      }
      const auto lavg = static_cast<std::uint16_t>(level(rng_) | (paused(rng_) == 0 ? 0x8000 : 0));
      records_.push_back(
          {{lavg, static_cast<std::uint16_t>(level(rng_)), static_cast<std::uint16_t>(level(rng_)),
            static_cast<std::uint16_t>(level(rng_))}});
    }
    records_.resize(static_cast<std::size_t>(line.records));
  }

  // The request frames written since the last call, each heard now.
  void hearWritten() {
    const std::vector<std::uint8_t> got = pty_.drain();
    written_.insert(written_.end(), got.begin(), got.end());
    // Each frame: 0x02, its length (two bytes), the code and the rest, a
    // checksum.
    std::size_t i = 0;
    while (i + 3 < written_.size()) {
      if (written_[i] != 0x02) {
        ++i;
        continue;
      }
      const std::size_t size = 4 + (static_cast<std::size_t>(written_[i + 1]) << 8 | written_[i + 2]);
      if (i + size > written_.size()) break;
      hear({written_.begin() + static_cast<std::ptrdiff_t>(i),
            written_.begin() + static_cast<std::ptrdiff_t>(i + size)});
      i += size;
    }
    written_.erase(written_.begin(), written_.begin() + static_cast<std::ptrdiff_t>(i));
  }

  double now = 0;         // ms
  bool pollTick = false;  // the program is in its poll tick
  bool resentThisTick = false;
  int blockRequests = 0, pollResends = 0, answersLost = 0;  // re-send cycles of the poll tick
  int answersDoubled = 0;

  // The reply frames whose last byte is through by now.
  std::vector<std::vector<std::uint8_t>> arrived() {
    std::vector<std::vector<std::uint8_t>> out;
    while (!wire_.empty() && wire_.front().at <= now) {
      out.push_back(std::move(wire_.front().frame));
      wire_.pop_front();
    }
    return out;
  }
  // Stored records that the engine holds other than the meter stored them;
  // those it does not hold are missing.
  int wrongRecords(const MeasurementData& m, int& missing) const {
    int wrong = 0;
    missing = 0;
    for (std::size_t i = 0; i < records_.size(); ++i) {
      const std::uint16_t* w = records_[i].words;
      if (i >= m.PointValue1.size()) {
        ++missing;
        continue;
      }
      if (m.PointValue1[i] != (w[0] & 0x7FFF) / 10.0 ||
          m.PointValue2[i] != w[1] / 10.0 || m.PointValue3[i] != w[2] / 10.0 ||
          m.PointValue4[i] != w[3] / 10.0 || m.PointValue5[i] != ((w[0] & 0x8000) ? 1.0 : 0.0))
        ++wrong;
    }
    return wrong;
  }

 private:
  struct Answer {
    double at;
    std::vector<std::uint8_t> frame;
  };

  void hear(const std::vector<std::uint8_t>& f) {
    if (f.size() < 5) return;
    // The meter has the request once its bytes are through; its answer
    // leaves its delay later, never before the answer ahead of it is out.
    const double had = now + static_cast<double>(f.size()) * kByteMs;
    const double delay = line_.delayMs(replies_++, rng_);
    const std::uint8_t code = f[3];
    std::vector<std::uint8_t> payload;
    if (code == 0x0E) {
      payload = header();
    } else if (code == 0x12 && f.size() >= 7) {
      // (A fence asked ahead of a re-send is part of its cycle.)
      ++blockRequests;
      if (pollTick && !resentThisTick) {
        ++pollResends;
        resentThisTick = true;
      }
      payload = block(f[4] << 8 | f[5]);
      if (std::uniform_real_distribution<double>(0, 1)(rng_) < line_.lost) {
        ++answersLost;
        return;
      }
    } else {
      return;
    }
    const std::vector<std::uint8_t> frame = emu::makeReply(code, payload);
    lineFree_ = std::max(lineFree_, had + delay) + static_cast<double>(frame.size()) * kByteMs;
    wire_.push_back({lineFree_, frame});
    // A copy right behind it.
    if (code == 0x12 && line_.doubled > 0 && std::uniform_real_distribution<double>(0, 1)(rng_) < line_.doubled) {
      ++answersDoubled;
      lineFree_ += static_cast<double>(frame.size()) * kByteMs;
      wire_.push_back({lineFree_, frame});
    }
  }
  std::vector<std::uint8_t> header() const {
    test::Bytes h(536);
    h.le16(0, 2018).set(2, 5).set(3, 23).set(4, 14).le32(72, 60).le16(532, records_.size());
    return h.b;
  }
  std::vector<std::uint8_t> block(std::size_t b) const {
    std::vector<std::uint8_t> p;
    for (std::size_t i = b * 10; i < records_.size() && i < b * 10 + 10; ++i)
      for (std::uint16_t w : records_[i].words) {
        p.push_back(static_cast<std::uint8_t>(w & 0xFF));
        p.push_back(static_cast<std::uint8_t>(w >> 8));
      }
    return p;
  }
  SimLine line_;
  std::mt19937 rng_;
  const vkztest::TestPty& pty_;
  std::vector<std::uint8_t> written_;  // bytes of a frame not yet whole
  std::vector<Record> records_;
  std::size_t replies_ = 0;
  double lineFree_ = 0;
  std::deque<Answer> wire_;
};

struct Outcome {
  bool complete = false, stopped = false;
  int wrongRows = 0;    // rows that are not the meter's record of their number, or too many
  int missingRows = 0;  // records not held
  int answersDoubled = 0;
  double seconds = 0;
  int blockRequests = 0, pollResends = 0, answersLost = 0;  // re-send cycles of the poll tick
};

// The program clicks the stored measurement and the download runs to its
// end (or its stop) on the simulated clock.
Outcome download(const SimLine& line, unsigned seed) {
  test::resetProgram();
  LoadDefaultStrings(State().texts);
  // The port the engine writes to, where the simulated meter hears the
  // frames; its replies are handed to the engine's receive buffer.
  vkztest::TempAppDir dir;
  vkztest::TestPty pty;
  EXPECT_TRUE(pty.ok());
  dir.link("COM1", pty.slave());
  LinkState& link = State().link;
  EXPECT_EQ(OpenPort(State().line(), 1, kMeterLineSettings), -1);
  link.CurPort = 1;
  State().polling.MeterModel = State().polling.PrevMeterModel = "VKZ 418";
  SimMeter meter(line, seed, pty);
  test::FakeList list;
  PollLoop& poll = State().poll;
  poll.windows.dataList = [&list] { return static_cast<DataListView*>(&list); };
  const auto origin = std::chrono::seconds(100);
  poll.setMonotonicClock([&] {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        origin + std::chrono::duration<double, std::milli>(meter.now));
  });
  poll.RequestRecordHeader(1);
  meter.hearWritten();
  constexpr double kStep = 2;
  for (long step = 1; !list.complete && !list.stopped && meter.now < 3600e3; ++step) {
    meter.now = static_cast<double>(step) * kStep;
    for (const std::vector<std::uint8_t>& f : meter.arrived()) {
      auto& rx = link.PortTable[1].RxBuf;
      rx.insert(rx.end(), f.begin(), f.end());
      poll.bytesArrived();
      meter.hearWritten();
    }
    poll.receiveTimer();
    meter.hearWritten();
    if (step % 100 == 0 && poll.running()) {
      meter.pollTick = true;
      meter.resentThisTick = false;
      poll.tick1();
      meter.hearWritten();
      meter.pollTick = false;
    }
  }
  Outcome o;
  o.complete = list.complete;
  o.stopped = list.stopped;
  o.seconds = meter.now / 1000;
  o.wrongRows = meter.wrongRecords(State().measurement, o.missingRows);
  if (list.rows.size() != State().measurement.PointValue1.size()) ++o.wrongRows;
  for (std::size_t i = 0; i < list.rows.size(); ++i)
    if (i >= static_cast<std::size_t>(line.records) ||
        list.rows[i].rfind(std::to_string(i + 1) + "\t", 0) != 0)
      ++o.wrongRows;
  o.blockRequests = meter.blockRequests;
  o.pollResends = meter.pollResends;
  o.answersLost = meter.answersLost;
  o.answersDoubled = meter.answersDoubled;
  poll.setMonotonicClock(nullptr);
  test::resetProgram();
  return o;
}

class SimulatedMeter : public ::testing::TestWithParam<SimLine> {};

TEST_P(SimulatedMeter, EveryRowIsTheMetersRecordOfItsNumber) {
  const SimLine& line = GetParam();
  const int blocks = (line.records + 9) / 10;
  for (unsigned seed = 1; seed <= 6; ++seed) {
    const Outcome o = download(line, seed);
    SCOPED_TRACE("seed " + std::to_string(seed) + ": " + std::to_string(o.blockRequests) + " requests for " +
                 std::to_string(blocks) + " blocks, " + std::to_string(o.pollResends) + " re-send cycles, " +
                 std::to_string(o.answersLost) + " answers lost, " + std::to_string(o.seconds) + " s");
    EXPECT_EQ(o.wrongRows, 0);
    EXPECT_EQ(o.missingRows, 0);
    EXPECT_TRUE(o.complete);
    // However late the meter, the poll tick asks again at most every 400 ms
    // while the answer is late, and a reply taken as a late answer asks
    // again at most once per request still owed.
    EXPECT_LT(o.blockRequests, blocks * 10);
  }
}

std::mt19937::result_type draw(std::mt19937& rng, int lo, int hi) {
  return std::uniform_int_distribution<std::mt19937::result_type>(static_cast<unsigned>(lo),
                                                                  static_cast<unsigned>(hi))(rng);
}

INSTANTIATE_TEST_SUITE_P(
    Delays, SimulatedMeter,
    ::testing::Values(
        SimLine{"Cable", [](std::size_t, std::mt19937&) { return fixed(2); }, 0.05, 0.3},
        SimLine{"Fixed300", [](std::size_t, std::mt19937&) { return fixed(300); }, 0.05, 0.3},
        SimLine{"Fixed900", [](std::size_t, std::mt19937&) { return fixed(900); }, 0.05, 0.3},
        SimLine{"Fixed1500", [](std::size_t, std::mt19937&) { return fixed(1500); }, 0.05, 0.3},
        SimLine{"Fixed3000", [](std::size_t, std::mt19937&) { return fixed(3000); }, 0.05, 0.3, 150},
        SimLine{"Random100To1500", [](std::size_t, std::mt19937& r) { return double(draw(r, 100, 1500)); }},
        SimLine{"Random100To1500Lossy",
                [](std::size_t, std::mt19937& r) { return double(draw(r, 100, 1500)); }, 0.1, 0.3},
        SimLine{"Random0To3000AllAlike",
                [](std::size_t, std::mt19937& r) { return double(draw(r, 0, 3000)); }, 0.05, 1.0, 150},
        SimLine{"Alternating700And1500",
                [](std::size_t i, std::mt19937&) { return fixed(i % 2 ? 1500 : 700); }},
        SimLine{"Alternating700And1500Lossy",
                [](std::size_t i, std::mt19937&) { return fixed(i % 2 ? 1500 : 700); }, 0.1, 0.5},
        SimLine{"Alternating50And900", [](std::size_t i, std::mt19937&) { return fixed(i % 2 ? 900 : 50); },
                0.05, 0.5},
        SimLine{"Growing",
                [](std::size_t i, std::mt19937&) { return std::min(3000.0, 20.0 + 25.0 * double(i)); }, 0.05,
                0.3},
        SimLine{"GrowingAndFalling",
                [](std::size_t i,
                   std::mt19937&) { return 20.0 + 40.0 * double(i % 80 < 40 ? i % 40 : 40 - i % 40); },
                0.05, 0.5},
        SimLine{"CableVeryLossyAllAlike", [](std::size_t, std::mt19937&) { return fixed(2); }, 0.3, 1.0}),
    [](const ::testing::TestParamInfo<SimLine>& i) { return std::string(i.param.name); });

// A meter that sends some block answers twice, whatever the delays: a copy
// is never kept as a record. The download completes with every record once
// the blocks from the first that may hold a copy are asked again, or, when
// the meter has doubled more answers than it may, stops keeping only the
// records before that block.
class DoubledAnswers : public ::testing::TestWithParam<SimLine> {};

TEST_P(DoubledAnswers, NoCopyIsKeptAsARecord) {
  const SimLine& line = GetParam();
  int doubled = 0;
  for (unsigned seed = 1; seed <= 6; ++seed) {
    const Outcome o = download(line, seed);
    SCOPED_TRACE("seed " + std::to_string(seed) + ": " + std::to_string(o.answersDoubled) + " answers doubled, " +
                 std::to_string(o.blockRequests) + " requests, " + std::to_string(o.missingRows) +
                 " records missing, " + std::to_string(o.seconds) + " s");
    doubled += o.answersDoubled;
    EXPECT_EQ(o.wrongRows, 0);
    EXPECT_NE(o.complete, o.stopped);
    if (o.complete) EXPECT_EQ(o.missingRows, 0);
    if (o.answersDoubled <= PollLoop::kMaxRedownloads) EXPECT_TRUE(o.complete);
  }
  EXPECT_GT(doubled, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Delays, DoubledAnswers,
    ::testing::Values(
        SimLine{"Cable", [](std::size_t, std::mt19937&) { return fixed(2); }, 0, 0.3, 300, 0.04},
        SimLine{"CableAllAlike", [](std::size_t, std::mt19937&) { return fixed(2); }, 0, 1.0, 300, 0.04},
        SimLine{"Fixed900", [](std::size_t, std::mt19937&) { return fixed(900); }, 0, 0.3, 300, 0.04},
        SimLine{"Random100To1500", [](std::size_t, std::mt19937& r) { return double(draw(r, 100, 1500)); }, 0,
                0.3, 300, 0.04},
        SimLine{"Alternating700And1500", [](std::size_t i, std::mt19937&) { return fixed(i % 2 ? 1500 : 700); },
                0, 0.5, 300, 0.04},
        SimLine{"CableEveryAnswerDoubled", [](std::size_t, std::mt19937&) { return fixed(2); }, 0, 0.3, 300,
                1.0}),
    [](const ::testing::TestParamInfo<SimLine>& i) { return std::string(i.param.name); });

// What a lost answer and an alike block cost on a quick line: a lost
// answer one re-send cycle of the poll tick (at most 600 ms and the round
// trip after it), an alike block nothing, or one request more while a
// re-send may still be answered.
TEST(SimulatedMeterCost, LostAnswerCostsOneResendCycleAndAlikeBlocksNothing) {
  struct Case {
    const char* name;
    double lost, alike;
  } const cases[] = {
      {"varied", 0, 0}, {"alike", 0, 1.0}, {"varied, lossy", 0.05, 0}, {"alike, lossy", 0.05, 1.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SimLine quiet{"", [](std::size_t, std::mt19937&) { return fixed(2); }, 0, 0, 500};
    SimLine line = quiet;
    line.lost = c.lost;
    line.alike = c.alike;
    for (unsigned seed = 1; seed <= 4; ++seed) {
      const Outcome o = download(line, seed), base = download(quiet, seed);
      ASSERT_TRUE(o.complete);
      EXPECT_EQ(o.wrongRows, 0);
      EXPECT_LE(o.pollResends, o.answersLost);
      EXPECT_LE(o.seconds, base.seconds + 0.7 * o.answersLost);
      if (c.lost == 0) {
        EXPECT_EQ(o.blockRequests, 50);
      }
    }
  }
}

}  // namespace
}  // namespace vkz
