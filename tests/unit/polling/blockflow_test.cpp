// Which request a data-block reply answers, over a line that delays, loses,
// doubles and cuts replies and a poll tick that sends a late request again.
#include "polling/blockflow.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/common/block_line.h"

namespace vkz {
namespace {

// A script of line events, one word each, time in receive ticks:
//   r     the block asked for is requested (first time or again)
//   +N    N receive ticks pass
//   A>C   reply with bytes A: taken as the current block (then stored)
//   A>D   dropped as a copy or an answer owed for the block before
//   A>U   dropped, nothing owed
//   ask   the next block may be asked for now   hold  not yet
// Payloads: A, B, C three different blocks; a = A cut short.
struct Script {
  const char* name;
  const char* events;
  int blocksTaken;
};

std::vector<std::uint8_t> bytesOf(char id) {
  std::vector<std::uint8_t> b(80);
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(id * 7 + i);
  if (id == 'a') {
    b = bytesOf('A');
    b.resize(30);
  }
  return b;
}

void PrintTo(const Script& s, std::ostream* os) {
  *os << s.name;
}

class BlockFlowScripts : public ::testing::TestWithParam<Script> {};

TEST_P(BlockFlowScripts, EveryReplyIsMatchedToItsRequest) {
  BlockFlow flow;
  flow.start();
  std::istringstream in(GetParam().events);
  std::string ev;
  int step = 0;
  while (in >> ev) {
    ++step;
    const std::string at = "event " + std::to_string(step) + " (" + ev + ")";
    if (ev == "r") {
      flow.requested();
    } else if (ev[0] == '+') {
      for (int i = std::stoi(ev.substr(1)); i > 0; --i) flow.tick();
    } else if (ev == "ask" || ev == "hold") {
      ASSERT_EQ(flow.mayAsk(), ev == "ask") << at;
    } else {
      const auto bytes = bytesOf(ev[0]);
      const Payload p(bytes.data(), bytes.size());
      const BlockFlow::Match want = ev[2] == 'C'   ? BlockFlow::Match::Current
                                    : ev[2] == 'D' ? BlockFlow::Match::Duplicate
                                                   : BlockFlow::Match::Unasked;
      ASSERT_EQ(flow.match(p), want) << at;
      if (want == BlockFlow::Match::Current && ev[0] != 'a') flow.taken();
    }
  }
  EXPECT_EQ(flow.block(), GetParam().blocksTaken);
}

// A re-send goes out 31 ticks (three poll ticks) after the request it
// repeats.
INSTANTIATE_TEST_SUITE_P(
    Line, BlockFlowScripts,
    ::testing::Values(
        Script{"InOrder", "r +2 A>C ask r +2 B>C ask r +2 C>C", 3},
        // A copy right behind the reply is no block of its own, nor is a copy
        // cut short.
        Script{"CopyBehindTheReply", "r +2 A>C ask r +1 A>D +2 B>C", 2},
        Script{"CutShortCopy", "r +2 A>C ask r +1 a>D +2 B>C", 2},
        // A meter 0.9 s late: block 0 is asked again before its answer comes, so
        // block 1 waits for the second answer of block 0.
        Script{"AnswerLaterThanTheResend",
               "r +31 r +25 A>C hold +31 A>D ask r +31 r +25 B>C hold +31 B>D ask", 2},
        // 1.5 s late: two re-sends, three answers, each with a copy right behind.
        Script{"TwoResendsBeforeTheAnswer",
               "r +31 r +31 r +32 A>C +1 A>D hold +30 A>D +1 A>D hold +30 A>D ask r +94 B>C", 2},
        // The first answer was lost: the answer to the re-send is block 0; the
        // answer owed to the re-send is given up after the quiet time (1.5
        // times the 33 ticks seen, plus 4: 53 ticks from the re-send) and block 1 is
        // asked for.
        Script{"LostAnswerGivenUpAfterTheQuietTime", "r +31 r +2 A>C +50 hold +1 ask r +2 B>C", 2},
        // The owed answer comes after all, within the quiet time: no wait.
        Script{"OwedAnswerEndsTheQuietTime", "r +31 r +2 A>C +25 hold A>D ask r +2 B>C", 2},
        // A short answer is not taken; the one to the request sent again is.
        Script{"ShortAnswerAskedAgain", "r +2 a>C r +2 A>C ask r +2 B>C", 2},
        // Two blocks that are truly alike: on a fast line the second looks like
        // a copy of the first; the answer to the re-send is taken, and the
        // request whose answer was taken for a copy waits out the quiet time.
        Script{"BlocksAlikeOnAFastLine", "r +2 A>C ask r +1 A>D +31 r +2 A>C hold +52 hold +1 ask r +2 B>C",
               3},
        // On a slow line the second answer comes well apart from the first.
        Script{"BlocksAlikeOnASlowLine", "r +40 A>C ask r +40 A>C ask r +40 A>C", 3},
        Script{"NothingAsked", "A>U r +30 A>C +40 B>U", 1}),
    [](const ::testing::TestParamInfo<Script>& i) { return std::string(i.param.name); });

TEST(BlockFlow, NoDownloadTakesNothingAndANewOneForgetsTheOldRequests) {
  const auto bytes = bytesOf('A');
  const Payload p(bytes.data(), bytes.size());
  BlockFlow flow;
  flow.requested();
  EXPECT_EQ(flow.match(p), BlockFlow::Match::Unasked);
  flow.start();
  flow.requested();
  flow.stop();
  EXPECT_EQ(flow.match(p), BlockFlow::Match::Unasked);
  EXPECT_FALSE(flow.mayAsk());
  flow.start();
  flow.requested();
  flow.requested();
  flow.start();
  EXPECT_EQ(flow.owed(), 0u);
  EXPECT_TRUE(flow.mayAsk());
  // A line that never answers piles up requests only to a bound.
  for (int i = 0; i < 1000; ++i) flow.requested();
  EXPECT_LE(flow.owed(), 256u);
}

TEST(BlockFlow, QuietTimeFollowsTheDelaysSeenWithinItsBounds) {
  struct Case {
    int delay;  // receive ticks from request to answer
    std::int64_t quiet;
  } const cases[] = {{1, BlockFlow::kQuietFloor}, {40, 64}, {94, 145}, {400, BlockFlow::kQuietCeiling}};
  for (const Case& c : cases) {
    const auto bytes = bytesOf('A');
    BlockFlow flow;
    flow.start();
    flow.requested();
    for (int i = 0; i < c.delay; ++i) flow.tick();
    ASSERT_EQ(flow.match(Payload(bytes.data(), bytes.size())), BlockFlow::Match::Current);
    EXPECT_EQ(flow.quietTicks(), c.quiet) << c.delay;
  }
}

using vkztest::Line;
using vkztest::Outcome;

class BlockFlowOverALine : public ::testing::TestWithParam<Line> {};

TEST_P(BlockFlowOverALine, NeverAWrongRow) {
  const Line& line = GetParam();
  int complete = 0;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    const Outcome o = vkztest::simulateBlockLine(line, seed, 30);
    ASSERT_EQ(o.wrongRows, 0) << "seed " << seed;
    ASSERT_TRUE(o.complete || o.stopped) << "seed " << seed;
    complete += o.complete;
  }
  // Ten re-sends in a row all lost is next to impossible on these lines.
  EXPECT_EQ(complete, 40);
}

INSTANTIATE_TEST_SUITE_P(
    Meters, BlockFlowOverALine,
    ::testing::Values(
        Line{"Cable", 2, 2, 0.0, 0.0, 0.2}, Line{"CableLossy", 2, 2, 0.05, 0.05, 0.3},
        Line{"JitteryCable", 20, 300, 0.05, 0.05, 0.3}, Line{"Late300", 300, 20, 0.05, 0.05, 0.3},
        Line{"Late650", 650, 20, 0.05, 0.05, 0.3}, Line{"Late900", 900, 20, 0.05, 0.05, 0.3},
        Line{"Late900VeryLossy", 900, 150, 0.3, 0.1, 0.3}, Line{"Late1500", 1500, 20, 0.05, 0.05, 0.3},
        Line{"Late1500VeryLossy", 1500, 20, 0.25, 0.2, 0.3}, Line{"Wandering", 500, 400, 0.05, 0.05, 0.3},
        Line{"WanderingWide", 300, 600, 0.05, 0.05, 0.3}, Line{"WanderingSlow", 1000, 1000, 0.05, 0.05, 0.3},
        Line{"Late2000", 2000, 100, 0.1, 0.1, 0.5}),
    [](const ::testing::TestParamInfo<Line>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace vkz
