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
// measurement.
#pragma once
#include <cstdint>
#include <deque>
#include <set>

#include "polling/blockflow.h"
#include "polling/blocks.h"

namespace vkz {

struct DownloadState {
  // Memory list.
  std::set<int> listed;  // entry numbers in the memory grid since the list began

  // Header.
  int entryNo = 0;               // the stored measurement whose header is asked
  bool headerAwaited = false;    // its header has not come yet
  std::deque<int> headerAsked;   // entry of each header request not yet answered, oldest first
  std::int32_t headerRetry = 0;  // poll ticks since the header was last asked

  // Logged data.
  BlockFlow flow;
  BlockContext context;  // what the record rows need of the header
  std::int64_t BytesLoaded = 0;
};

}  // namespace vkz
