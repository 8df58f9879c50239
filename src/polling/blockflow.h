// Which block a data-block reply answers. The reply carries no block
// number: it is known only from the order of the exchanges. The meter
// answers each request once, in the order they came, within milliseconds;
// but a reply can be lost, a reply can come twice (the second copy right
// behind the first), and the poll tick re-sends a request that stays
// unanswered, so the same block may be answered twice. Keeping the requests
// sent, oldest first, tells which request each reply answers:
//   - a reply whose request was for an earlier block is a second answer when
//     it repeats that block's bytes (all of them, or the start of them when
//     cut short), and is dropped; otherwise the earlier answer was lost and
//     the reply belongs to a later request;
//   - a reply to the block asked for now is taken, unless it repeats the
//     bytes of the block taken just before: that is what a second copy of
//     the previous reply looks like. Such a reply is dropped, and is taken
//     only as the answer to the poll tick's re-send;
//   - the poll tick re-sends only after two ticks (400 ms or more) without
//     a block request or reply. By then every answer to the requests before
//     it has come or is lost, and every copy has come: those requests wait
//     no more, and the answer to the re-send is the block asked for, even
//     when it repeats the block before (so two blocks that are truly alike
//     cost one re-send, never a wrong row, and a lost answer never leaves a
//     request behind that swallows every later answer);
//   - a reply when nothing is asked (no download, or a finished one) is
//     dropped.
// So a block is never stored twice nor in the rows of another block, and a
// line that loses, doubles or delays replies only costs re-sends.
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include "polling/payload.h"

namespace vkz {

class BlockFlow {
 public:
  enum class Match {
    Current,    // the answer to the block asked for now
    Duplicate,  // a second answer or copy: drop
    Unasked,    // no request is waiting for it: drop
  };

  // A header was taken: the download of its records begins with block 0.
  // Requests sent before belong to an earlier exchange and are forgotten.
  void start();
  // The download ended (last block) or was abandoned; every later block
  // reply is dropped.
  void stop();
  bool active() const { return active_; }
  // The block asked for now.
  std::int64_t block() const { return block_; }

  // A request for block() went to the meter. `afterQuiet`: the poll tick's
  // re-send, two ticks or more after the last block request or reply; the
  // requests before it are forgotten.
  void requested(bool afterQuiet = false);
  // Which request a block reply with payload `p` answers. The request it
  // answers (and any earlier ones whose answers were lost) no longer waits.
  Match match(Payload p);
  // The reply matched as Current was decoded and stored: its bytes are kept
  // to recognise a second answer, and the next block is the one asked for.
  void taken(Payload p);

  // Requests sent and not yet answered (for tests).
  std::size_t waiting() const { return sent_.size(); }

 private:
  struct Sent {
    std::int64_t block;
    bool afterQuiet;
  };
  bool repeats(std::int64_t block, Payload p) const;
  void prune();

  bool active_ = false;
  std::int64_t block_ = 0;
  std::deque<Sent> sent_;  // requests, oldest first
  std::map<std::int64_t, std::vector<std::uint8_t>>
      kept_;  // bytes of blocks taken that may still be repeated
};

}  // namespace vkz
