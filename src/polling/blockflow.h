// Which block a data-block reply answers. The reply carries no block
// number: it is known only from the order of the exchanges. What the meter
// promises, however long it takes (milliseconds over a cable, seconds over
// a slow adapter or a radio link, a delay that changes from reply to
// reply):
//   - it answers every request for a block with the same bytes (a reply
//     cut short on its way holds their start);
//   - it answers each request at most once, and in the order asked, so an
//     answer lost on the way shows only when a later one comes.
// The download asks for one block at a time and asks again (the poll
// tick's re-send) while its answer is late, so a block may be asked several
// times and its answers still be on their way when the next block is
// asked. Matching is by bytes and order, never by time:
//   - the flow keeps the requests that may still be answered, oldest first;
//     the bytes of every block taken are known, those of the block asked now
//     are not;
//   - a reply may answer a request whose block's bytes it agrees with, or a
//     request for the block asked now; it answers the first of them as far
//     as the flow keeps count, and every request before that one was lost;
//   - a reply that may answer only requests for the block asked now is that
//     block (Current); one that may also answer a request for a block
//     already taken is dropped (Late): a block whose bytes equal the block
//     before cannot be told from a late answer to it. A reply that may
//     answer no request is dropped too (Unasked).
// A late answer is therefore never taken for the next block, whatever the
// delays, and the next block is asked for at once. An alike block is taken
// at once too, unless a request for the block before may still be
// answered; then its reply is taken for the late one, and when every
// request for the block asked now may have been answered so, the block is
// asked again at once (mayAsk): one request more, not a re-send cycle.
// Where an answer was lost the count cannot tell which request a reply
// answered, and keeps the later ones owed. So the first time the poll tick
// asks a block again, it asks ahead of it for a block taken already whose
// bytes differ from the block taken last, or, while every block taken is
// alike, for the header again (fence()): the reply to it shows every
// request before it answered or lost, and the count is exact again.
// Every count keeps at least the requests that are truly owed, so no reply
// is ever taken for a block it does not answer. The header's requests and
// the blocks' are answered in one order: the answers to the requests sent
// before a header request come before its reply.
// A meter that breaks its promise and answers a request twice cannot be
// told by the count where it happens: the copy is taken for the block asked
// now, and every later block is the answer to the request before it. It
// shows as an answer beyond the requests (Unasked) once the count has
// caught up, at the latest after the last block, which is why the download
// asks the header once more after it and takes the blocks as complete only
// when that reply comes with every block request answered (settled()). A
// block misplaced so carries the bytes of a block taken before it
// (firstRepeat()), so the download is right up to the first such block.
#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <vector>

#include "polling/payload.h"

namespace vkz {

class BlockFlow {
 public:
  enum class Match {
    Current,  // the answer to the block asked for now
    Late,     // may answer a request for a block taken already: drop
    Unasked,  // may answer no request: drop
  };

  // The header was taken: the download of its records begins with block 0.
  // `headersOwed` header requests sent after the one answered may still be
  // answered (asked again while the header was late); requests sent before
  // belong to an earlier exchange and were answered before the header.
  void start(std::size_t headersOwed = 0);
  // The download ended (last block) or was abandoned; every later block
  // reply is dropped.
  void stop();
  bool active() const { return active_; }
  // The block asked for now, or to be asked for next.
  std::int64_t block() const { return block_; }

  // A request for block() went to the meter (the first one, or again).
  void requested() { requested(block_); }
  // A request for block `blockNo` went to the meter: block(), or a block
  // taken already or the header (kHeader) asked as a fence.
  void requested(std::int64_t blockNo);
  static constexpr std::int64_t kHeader = -1;
  // A reply to a header request of this download came: the requests sent
  // before it were answered or lost.
  void headerAnswered();
  // Which request a block reply with payload `p` answers.
  Match match(Payload p);
  // The reply `p`, matched as Current, was stored: the next block is the
  // one to ask for.
  void taken(Payload p);

  // block() is to be asked now: it has not been asked yet, or no late
  // answer is owed ahead of its requests and every one of them may have
  // been answered by replies dropped as Late.
  bool mayAsk() const;
  // What to ask ahead of a re-send of block(), once per block: a block
  // taken already whose bytes differ from the block taken last, else the
  // header (kHeader); nothing when block() was fenced already.
  std::optional<std::int64_t> fence() const;
  // Requests that may still be answered.
  std::size_t owed() const { return owed_.size(); }
  // No block request may still be answered: after a header reply, every
  // block reply (and any copy of one) sent before it has come.
  bool settled() const;

  // A reply came that may answer no request: the meter answered one twice.
  bool doubled() const { return doubled_; }
  // The first block taken whose bytes equal those of a block taken before
  // it: where a copy may have been taken for the block asked. None when
  // every block taken differs from those before it.
  std::optional<std::int64_t> firstRepeat() const;
  // Goes on from block `from` (a block taken already, or block()) once no
  // request may still be answered: the blocks from there are asked again.
  void restart(std::int64_t from);

  // Whether reply `p` may be an answer with the bytes `taken`: the same
  // bytes as far as both go (a reply cut short holds their start).
  static bool agrees(Payload p, const std::vector<std::uint8_t>& taken);

 private:
  // Forgets the bytes of blocks taken that no request owed is for, but for
  // the block taken last and the fence.
  void forget();

  bool active_ = false;
  std::int64_t block_ = 0;
  bool askedNow_ = false;          // block_ was asked
  bool fencedNow_ = false;         // a fence was asked since
  std::int64_t lateNow_ = 0;       // replies dropped as Late since then that may have answered it
  std::deque<std::int64_t> owed_;  // the block (or kHeader) of each request owed, oldest first
  std::map<std::int64_t, std::vector<std::uint8_t>> taken_;  // the bytes of blocks taken
  std::int64_t fence_ = -1;  // a block taken whose bytes differ from the block taken after it
  std::vector<std::uint64_t> sums_;  // a checksum of the bytes of every block taken, by block
  bool doubled_ = false;             // a reply came that may answer no request
};

}  // namespace vkz
