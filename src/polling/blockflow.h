// Which block a data-block reply answers. The reply carries no block
// number: it is known only from the order of the exchanges. The meter
// answers each request once, in the order the requests came, after a delay
// of its own (milliseconds over a cable, up to seconds over a slow adapter
// or a radio link); a reply can be lost, a copy of a reply can come right
// behind it, and the poll tick sends a request again while its answer is
// late, so one block may be answered several times. The rule that keeps
// every reply to its own block:
//   - every request sent is owed an answer, oldest first;
//   - a reply that repeats the bytes of the block reply just before it
//     (all of them, or the start of them when cut short) and comes within
//     kCopyTicks of it is a copy: dropped, and it answers no request;
//   - any other reply answers the oldest request owed. While the next block
//     is asked for, all requests owed are for it, so the reply is that
//     block;
//   - once a block is taken, the answers still owed for it are awaited
//     before the next block is asked for: each is dropped as it comes. An
//     answer that never comes (lost) is given up after a quiet time longer
//     than the longest answer the meter has given: counted from the last
//     request for that block, so every answer still owed has come by then.
//     The quiet time follows the delays seen (each reply paired with the
//     oldest request owed: never shorter than the real delay), between a
//     floor and a ceiling;
//   - a reply when nothing is owed (no download, a finished one, or an
//     answer later than the quiet time) is dropped.
// So no answer owed for one block is ever taken for the next. Two blocks
// that are truly alike cost one re-send: the answer to the second looks like
// a copy of the first when it comes right behind it, and the answer to the
// re-send, which comes later, is taken.
//
// Time is counted in receive ticks: the caller calls tick() once per tick.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "polling/payload.h"

namespace vkz {

class BlockFlow {
 public:
  enum class Match {
    Current,    // the answer to the block asked for now
    Duplicate,  // a copy, or an answer owed for the block taken before: drop
    Unasked,    // no request is owed an answer: drop
  };

  // A copy comes right behind its reply: within this many receive ticks
  // (16 ms each) of it. Shorter than the poll tick's three ticks between
  // two sendings of one request, so two answers a re-send apart are told
  // from a copy.
  static constexpr std::int64_t kCopyTicks = 20;
  // The quiet time before an answer still owed is given up: one and a half
  // times the longest delay seen in this download, plus a margin, within a
  // floor and a ceiling (a meter whose answers take up to about two and a
  // half seconds is waited for safely, even when its delay wanders; a fast
  // line that loses an answer waits a fraction of a second).
  static constexpr std::int64_t kQuietFloor = kCopyTicks + 1;
  static constexpr std::int64_t kQuietMargin = 4;
  static constexpr std::int64_t kQuietCeiling = 250;

  // A header was taken: the download of its records begins with block 0.
  // Requests sent before belong to an earlier exchange and are forgotten.
  void start();
  // The download ended (last block) or was abandoned; every later block
  // reply is dropped.
  void stop();
  bool active() const { return active_; }
  // The block asked for now, or to be asked for next.
  std::int64_t block() const { return block_; }

  // One receive tick passed. The quiet time may end here: the answers still
  // owed for the block taken last are given up.
  void tick();
  // A request for block() went to the meter (the first one, or again).
  void requested();
  // Which request a block reply with payload `p` answers.
  Match match(Payload p);
  // The reply matched as Current was decoded and stored: the next block is
  // the one to ask for, once every answer still owed has come or been
  // given up.
  void taken();

  // block() may be asked for now: it has not been asked yet and no answer
  // is owed for the block before it.
  bool mayAsk() const { return active_ && !asked_ && owed_.empty(); }
  // Answers still owed.
  std::size_t owed() const { return owed_.size(); }
  // Receive ticks until the quiet time ends and block() may be asked for;
  // -1 when no such wait runs.
  std::int64_t ticksToAsk() const;
  // The quiet time, in receive ticks, for the delays seen so far.
  std::int64_t quietTicks() const;
  // The last block reply's payload (a reply that repeats it may be its
  // copy); nullptr before the first.
  const std::vector<std::uint8_t>* lastReply() const { return haveLast_ ? &last_ : nullptr; }
  // Whether reply `p` repeats the bytes of the reply `last` (all of them, or
  // their start when cut short): a copy when it comes within kCopyTicks.
  static bool repeats(Payload p, const std::vector<std::uint8_t>& last) {
    return p.size() <= last.size() && std::equal(p.begin(), p.end(), last.begin());
  }

 private:
  bool holding() const { return active_ && !asked_ && !owed_.empty(); }
  bool isCopy(Payload p) const;

  bool active_ = false;
  bool asked_ = false;  // a request for block_ went out
  std::int64_t block_ = 0;
  std::int64_t now_ = 0;            // receive ticks
  std::deque<std::int64_t> owed_;   // the tick each request owed was sent at, oldest first
  std::vector<std::uint8_t> last_;  // the last block reply, to know its copy
  std::int64_t lastAt_ = 0;
  bool haveLast_ = false;
  std::int64_t longestDelay_ = 0;  // ticks from request to answer
};

}  // namespace vkz
