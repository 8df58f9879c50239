// Which request a data-block reply answers, by bytes and counts alone: a
// meter that answers late, answers lost, a block asked again, blocks byte
// for byte alike, replies cut short.
#include "polling/blockflow.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace vkz {
namespace {

// A script of line events, one word each:
//   r     the block asked for now is requested (the first time or again)
//   X>C   reply with bytes X matched as the block asked now (then taken,
//         unless cut short)
//   X>L   matched as a late answer to the block taken before
//   X>U   matched as no answer to anything asked
//   ask   the block asked for now is to be asked (again)   hold  not
//   f:N   the fence is block N (f:h the header); it is requested (ahead of
//         a re-send)   nofence  there is none (the block was fenced)
//   H     a reply to a header request
//   rh    a header request (the one after the last block)
//   settled  no block request owed   owing  some owed
//   dbl   an answer beyond the requests came   once  none came
//   rep:N the first block taken that repeats an earlier one is N (rep:-
//         none)
//   R:N   the blocks are asked again from block N
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
    } else if (ev == "ask" || ev == "hold") {
      ASSERT_EQ(flow.mayAsk(), ev == "ask") << at;
    } else if (ev == "nofence") {
      ASSERT_FALSE(flow.fence()) << at;
    } else if (ev[0] == 'f') {
      const auto fence = flow.fence();
      ASSERT_TRUE(fence) << at;
      ASSERT_EQ(*fence, ev == "f:h" ? BlockFlow::kHeader : std::stoll(ev.substr(2))) << at;
      flow.requested(*fence);
    } else if (ev == "H") {
      flow.headerAnswered();
    } else if (ev == "rh") {
      flow.requested(BlockFlow::kHeader);
    } else if (ev == "settled" || ev == "owing") {
      ASSERT_EQ(flow.settled(), ev == "settled") << at;
    } else if (ev == "dbl" || ev == "once") {
      ASSERT_EQ(flow.doubled(), ev == "dbl") << at;
    } else if (ev.rfind("rep:", 0) == 0) {
      const auto rep = flow.firstRepeat();
      if (ev == "rep:-")
        ASSERT_FALSE(rep) << at;
      else
        ASSERT_EQ(rep, std::optional<std::int64_t>(std::stoll(ev.substr(4)))) << at;
    } else if (ev.rfind("R:", 0) == 0) {
      flow.restart(std::stoll(ev.substr(2)));
    } else {
      const auto bytes = bytesOf(ev[0]);
      const Payload p(bytes.data(), bytes.size());
      const BlockFlow::Match want = ev[2] == 'C'   ? BlockFlow::Match::Current
                                    : ev[2] == 'L' ? BlockFlow::Match::Late
                                                   : BlockFlow::Match::Unasked;
      ASSERT_EQ(flow.match(p), want) << at;
      if (want == BlockFlow::Match::Current && ev[0] != 'a') flow.taken(p);
    }
  }
  EXPECT_EQ(flow.block(), GetParam().blocksTaken);
}

INSTANTIATE_TEST_SUITE_P(
    Line, BlockFlowScripts,
    ::testing::Values(
        Script{"InOrder", "ask r A>C ask r B>C ask r C>C", 3},
        // Blocks alike (a paused span): each is taken at once.
        Script{"AlikeBlocksTakenAtOnce", "r A>C ask r A>C ask r A>C", 3},
        // A late meter answers block 0 and its re-send: the second answer comes
        // after block 1 is asked and is dropped. It might have been block 1's
        // own answer (were block 1 alike and the first answer lost), so block
        // 1 is asked again at once; its answer, which differs, is taken.
        Script{"LateAnswerAfterTheNextBlockIsAsked", "r r A>C ask r A>L ask r B>C ask r B>L ask r C>C", 3},
        // Block 0 asked three times, two answers lost: a reply that differs
        // from it is block 1's, and shows those answers lost.
        Script{"LostAnswersShowWhenAnotherReplyComes", "r r r A>C ask r B>C ask r B>C", 3},
        // After a re-send, a block alike to the one before may be either: its
        // answer is taken as the late one, and the block asked again. So on
        // through a run of alike blocks, one request more each.
        Script{"AlikeAfterAResendCostsOneRequest", "r r A>C ask r A>L ask r A>C ask r A>L ask r A>C", 3},
        // While a late answer is owed ahead of the block's requests, the next
        // reply may still be that answer: the block is asked again only once
        // none is left ahead.
        Script{"AlikeAfterTwoResends", "r r r A>C ask r A>L hold A>L ask r A>C ask r B>C", 3},
        // A reply cut short is no block: asked again. A late answer cut short
        // is still that late answer.
        Script{"CutShortAnswerIsAskedAgain", "r a>C ask r A>C ask r B>C", 2},
        Script{"CutShortLateAnswer", "r r A>C ask r a>L ask r B>C", 2},
        // Block 2's answer is lost; the poll tick's re-send goes behind a request
        // for block 0, which differs from block 1. Block 0's answer shows the
        // first request for block 2 lost: the count is exact again, and block
        // 3, alike, is taken at once.
        Script{"FenceShowsTheLostAnswer", "r A>C r B>C r f:0 nofence r A>L hold B>C ask r B>C", 4},
        // Without the fence the count keeps the lost request owed: block 3,
        // alike, costs a request more.
        Script{"WithoutAFenceTheLostAnswerStaysOwed", "r A>C r B>C r r B>C ask r B>L ask r B>C", 4},
        // While every block taken is alike, the header is the fence; then the
        // block before the alike ones.
        Script{"FenceIsTheBlockBeforeTheAlikeOnes", "r A>C r A>C f:h r B>C f:1 nofence A>L r B>C", 4},
        Script{"HeaderReplyShowsTheLostAnswer", "r A>C r f:h r H A>C ask r A>C", 3},
        // A reply when nothing may be answered is nobody's: before the first
        // request, and a second reply to a block asked once.
        Script{"NothingOwed", "A>U r A>C A>U ask r B>C B>U", 2},
        // Block 0's answer doubled: the copy is taken for block 1 and every
        // later block is the one before it. The surplus answer shows after
        // the last block, before the header's reply, and block 1 is the
        // first that repeats one before it.
        Script{"CopyTakenForTheNextBlockShowsAfterTheLast",
               "r A>C once r A>C r B>C rh C>U dbl H settled rep:1", 3},
        // Asked again from there, the blocks are right and nothing is doubled.
        Script{"AskedAgainFromTheFirstRepeat",
               "r A>C r A>C r B>C rh C>U H rep:1 R:1 once rep:- r B>C r C>C rh H settled once rep:-", 3},
        // The copy of the last block is taken for nothing: no block repeats.
        Script{"CopyOfTheLastBlockTakenForNothing", "r A>C r B>C r C>C rh C>U H settled dbl rep:-", 3},
        // Alike blocks (a steady level): nothing doubled, nothing to do; a
        // copy among them may have been taken anywhere from block 1.
        Script{"AlikeBlocksNotDoubled", "r A>C r A>C r A>C rh H settled once rep:1", 3},
        Script{"AlikeBlocksDoubled", "r A>C r A>C r A>C r A>C rh A>U H settled dbl rep:1", 4},
        // A late answer of the last block still owed when the header is
        // asked: the header's reply settles only once it has come or been
        // passed.
        Script{"LateAnswerOfTheLastBlockBeforeTheHeader", "r A>C r r B>C rh owing B>L settled once H", 2},
        // Block 0 asked again and its answer doubled: the copy is taken as
        // the late answer, and the second answer for block 1.
        Script{"CopyAfterAResend", "r r A>C ask r A>L ask r A>C r B>C rh B>U H settled dbl rep:1", 3}),
    [](const ::testing::TestParamInfo<Script>& i) { return std::string(i.param.name); });

TEST(BlockFlow, NoDownloadTakesNothingAndANewOneForgetsTheOldRequests) {
  const auto bytes = bytesOf('A');
  const Payload p(bytes.data(), bytes.size());
  BlockFlow flow;
  flow.requested();
  EXPECT_EQ(flow.match(p), BlockFlow::Match::Unasked);
  EXPECT_FALSE(flow.mayAsk());
  flow.start();
  flow.requested();
  flow.stop();
  EXPECT_EQ(flow.match(p), BlockFlow::Match::Unasked);
  EXPECT_FALSE(flow.mayAsk());
  flow.start();
  flow.requested();
  flow.requested();
  flow.start();
  EXPECT_EQ(flow.owed(), 0);
  EXPECT_TRUE(flow.mayAsk());
  EXPECT_EQ(flow.match(p), BlockFlow::Match::Unasked);
}

}  // namespace
}  // namespace vkz
