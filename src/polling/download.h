// The state of the downloads from the meter's memory (the memory list, one
// measurement's header and its logged records), one of the program-wide
// records (ProgramState).
//
// The meter answers one request at a time, in order, and nothing in a
// header or data-block reply says which request it answers. The download
// therefore keeps the requests it sent: a late second answer to a re-sent
// request is dropped, a reply shorter than its layout is asked for again,
// and a new click in the memory list ends the download that was running, so
// no record is ever stored twice, in the wrong row, or in another
// measurement. A request is sent again only so often in a row: a meter
// that stops answering, or whose answers never arrive whole, ends the
// download with a message instead of being asked for ever.
//
// The memory list numbers its entries and gives their count in every
// entry reply, so a lost reply shows as a gap; an end of the list that says
// the meter holds entries when none came is a gap too. The list is walked
// again for the entries missing, and a list that stays incomplete is
// reported so.
//
// Only the poll engine (PollLoop) reads and writes this state; windows ask
// the engine about it (downloadRunning(), ...).
#pragma once
#include <cstdint>
#include <deque>
#include <map>

#include "polling/blockflow.h"
#include "polling/blocks.h"
#include "polling/memlist.h"

namespace vkz {

class PollLoop;

class DownloadState {
  friend class PollLoop;

  // Memory list.
  std::map<int, MemoryListEntry> listed;  // the entries in the memory grid since the list began
  int listCount = 0;                      // stored measurements, as the last entry reply gave it
  int listWalks = 0;                      // walks of the list asked again for missing entries
  bool walkAnswered = false;              // an entry reply came since the walk was asked again
  bool listReported = false;              // an end of the list said the meter holds entries

  // Header.
  int entryNo = 0;                        // the stored measurement whose header is asked
  bool headerAwaited = false;             // its header has not come yet
  std::deque<std::uint64_t> headerAsked;  // the run (click) of each header request unanswered, oldest first
  std::int32_t headerRetry = 0;           // poll ticks since the header was last asked

  // Logged data.
  BlockFlow flow;
  BlockContext context;  // what the record rows need of the header
  std::int64_t BytesLoaded = 0;
  bool closing = false;  // the last block came; the header is asked once more to settle the count
  int redownloads = 0;   // blocks asked again after a reply came twice

  // Both: sendings of the awaited header or block that brought nothing
  // usable, in a row; and a number that changes whenever a download ends or
  // starts, so a step that let the event loop turn sees a new click.
  int resends = 0;
  std::uint64_t run = 0;
};

}  // namespace vkz
