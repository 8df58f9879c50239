// Which request a data-block reply answers, over a line that loses,
// doubles and cuts replies and a poll tick that re-sends.
#include "polling/blockflow.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace vkz {
namespace {

// A script of line events, one word each:
//   r    the block asked for is requested     q  the poll tick's re-send
//   A>C  reply with bytes A: taken as the current block (then stored)
//   A>D  dropped as a second answer or copy   A>U  dropped, nothing asked
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
    if (ev == "r") {
      flow.requested();
    } else if (ev == "q") {
      flow.requested(true);
    } else {
      const auto bytes = bytesOf(ev[0]);
      const Payload p(bytes.data(), bytes.size());
      const BlockFlow::Match want = ev[2] == 'C'   ? BlockFlow::Match::Current
                                    : ev[2] == 'D' ? BlockFlow::Match::Duplicate
                                                   : BlockFlow::Match::Unasked;
      ASSERT_EQ(flow.match(p), want) << "event " << step << " (" << ev << ")";
      if (want == BlockFlow::Match::Current) flow.taken(p);
    }
  }
  EXPECT_EQ(flow.block(), GetParam().blocksTaken);
}

INSTANTIATE_TEST_SUITE_P(
    Line, BlockFlowScripts,
    ::testing::Values(Script{"InOrder", "r A>C r B>C r C>C", 3},
                      // The first answer was lost: the answer to the re-send is block 0,
                      // and the lost request does not swallow block 1.
                      Script{"LostThenResent", "r q A>C r B>C", 2},
                      // An answer later than the quiet spell before the re-send: its
                      // request counted as lost, so the two answers of block 0 use up the
                      // requests for blocks 0 and 1, and block 1 is asked again.
                      Script{"AnswerLaterThanTheResend", "r q A>C r A>D B>U q B>C r C>C", 3},
                      // A copy right behind the reply is no block of its own; the real
                      // answer that follows has lost its request and comes again.
                      Script{"CopyBehindTheReply", "r A>C r A>D B>U q B>C", 2},
                      Script{"CutShortCopy", "r A>C r a>D q B>C", 2},
                      // Two blocks that are truly alike: the second is taken from the
                      // quiet re-send, so the download ends rather than asking for ever.
                      Script{"BlocksAlike", "r A>C r A>D q A>C r B>C", 3},
                      // The answer for block 1, alike block 0, was lost: the request it
                      // answered waits no more, so the re-send's answer is block 1.
                      Script{"AlikeBlockAfterALostAnswer", "r A>C r q A>C r B>C", 3},
                      // A paused stretch (every block alike) with every third reply lost.
                      Script{"PausedStretchEveryThirdReplyLost", "r A>C r A>D q q A>C r A>D q q A>C", 3},
                      // Records 6 to 35 paused: blocks B, A, A and the first half of A;
                      // every third reply lost.
                      Script{"PausedTailEveryThirdReplyLost", "r B>C r A>C r q A>C r a>D q q a>C", 4},
                      Script{"NothingAsked", "A>U r A>C B>U", 1}),
    [](const ::testing::TestParamInfo<Script>& i) { return std::string(i.param.name); });

TEST(BlockFlow, NoDownloadTakesNothing) {
  const auto bytes = bytesOf('A');
  const Payload p(bytes.data(), bytes.size());
  BlockFlow flow;
  flow.requested();
  EXPECT_EQ(flow.match(p), BlockFlow::Match::Unasked);
  flow.start();
  flow.requested();
  flow.stop();
  EXPECT_EQ(flow.match(p), BlockFlow::Match::Unasked);
  EXPECT_EQ(flow.waiting(), 0u);
  // A new download forgets the requests of the one before.
  flow.start();
  flow.requested();
  flow.requested();
  flow.start();
  EXPECT_EQ(flow.waiting(), 0u);
  // A quiet re-send stands for every request before it; requests sent
  // without a quiet spell between them pile up to a bound.
  for (int i = 0; i < 1000; ++i) flow.requested(true);
  EXPECT_EQ(flow.waiting(), 1u);
  for (int i = 0; i < 1000; ++i) flow.requested();
  EXPECT_LE(flow.waiting(), 256u);
}

}  // namespace
}  // namespace vkz
