// The downloads from the meter's memory, as the reply decoder runs them:
// the list of stored measurements into the memory panel, and one
// measurement (its header, then its logged records ten to a block) into the
// data list window and the program-wide measurement.
#include "link/eventpump.h"
#include "link/frames.h"
#include "polling/header.h"
#include "polling/memlist.h"
#include "polling/polllog.h"
#include "polling/pollloop.h"

namespace vkz {

void PollLoop::showMemoryMessage(const std::string& text) {
  if (PollView* v = view()) v->setMemoryMessage(text);
}

// Asks for the block the download stands at: the first request, again
// after a short reply, or (afterQuiet) the poll tick's re-send.
void PollLoop::askBlock(bool afterQuiet) {
  DownloadState& d = r_.download;
  PollingState& ps = r_.polling;
  ps.BlockNo = static_cast<std::int32_t>(d.flow.block());
  ps.BlockPending = -1;
  // The re-send counts its ticks from this request.
  ps.BlockRetry = 0;
  d.flow.requested(afterQuiet);
  logPoll(LogLevel::Debug, [&] {
    return "data block " + std::to_string(d.flow.block()) + (afterQuiet ? " asked again" : " requested");
  });
  logUnsent(CmdReadDataBlock(line(), d.flow.block()), "data block request");
}

void PollLoop::askHeader() {
  DownloadState& d = r_.download;
  d.headerAwaited = true;
  d.headerRetry = 0;
  d.headerAsked.push_back(d.entryNo);
  // A line that never answers piles up requests; only the newest matter.
  while (d.headerAsked.size() > 64) d.headerAsked.pop_front();
  logPoll(LogLevel::Info,
          [&] { return "header of stored measurement " + std::to_string(d.entryNo) + " requested"; });
  logUnsent(CmdReadRecordHeader(line(), d.entryNo), "header request");
}

// ---- the memory list -----------------------------------------------------------

void PollLoop::RequestMemoryList() {
  r_.shell.MemListCount = 0;
  r_.polling.WaitTicks = 0;
  r_.download.listed.clear();
  // Marked before the write: the write lets the event loop turn, and the
  // meter's answer may be decoded while it is still under way.
  r_.polling.MemInfoPending = -1;
  logPoll(LogLevel::Info, [] { return "memory list requested"; });
  logUnsent(CmdReadMemoryListFirst(line()), "memory list request");
}

// Replies 0x0C (first entry) and 0x0D (further entries).
void PollLoop::memoryListEntryReply(std::uint8_t code, Payload p) {
  const auto e = decodeMemoryListEntry(p);
  if (!e) return;  // too short: the list wait asks again
  DownloadState& d = r_.download;
  PollingState& ps = r_.polling;
  ShellState& sh = r_.shell;
  const bool first = code == 0x0C;
  if (first) {
    // The list starts over: the grid keeps its heading only.
    d.listed.clear();
    sh.MemListCount = 0;
  }
  // The meter answers every list request, and the list wait repeats them: an
  // entry that is already listed is a second answer, not another row.
  if (!d.listed.insert(e->entryNo).second) return;
  ++sh.MemListCount;
  ps.WaitTicks = 0;
  if (PollView* v = view()) {
    v->addMemoryListRow(memoryListRowText(sh.MemListCount, *e), sh.MemListCount, first);
    if (!first) pumpEvents();
    v->setMemoryMessage(memoryListLoadText(r_.texts.TxtLoad, *e));
    if (!first) pumpEvents();
  }
  if (memoryListWantsNext(*e)) {
    ps.MemInfoPending = -1;  // before the write, as for the first entry
    logUnsent(CmdReadMemoryListNext(line()), "memory list request");
  }
}

// Reply 0xFF: the end of the list.
void PollLoop::memoryListEndReply(Payload p) {
  const auto end = decodeMemoryListEnd(p);
  if (!end) return;
  PollingState& ps = r_.polling;
  // The list wait repeats its request, so the meter may report the end more
  // than once: only an awaited list is ended, once.
  if (ps.MemInfoPending != -1) return;
  logPoll(LogLevel::Info, [&] {
    return "memory list ended: " + std::to_string(r_.shell.MemListCount) + " stored measurements";
  });
  const UiText& t = r_.texts;
  if (*end == MemoryListEnd::NoData) {
    message(t.TxtMemoryInfoNoData, MessageIcon::None);
    // Nothing is stored: the list wait ends here (it would otherwise go on
    // asking and end in its time-out message).
    ps.MemInfoPending = 0;
    ps.WaitTicks = 0;
  } else {
    showMemoryMessage(t.TxtLoadComplete);
    message(t.TxtGetMemoryInfoOK, MessageIcon::None);
    ps.MemInfoPending = 0;
    logUnsent(CmdReadMemorySize(line()), "memory size request");
  }
  StartPanelTimers();
}

// ---- one measurement -------------------------------------------------------------

void PollLoop::CancelDownload() {
  if (r_.download.flow.active() || r_.download.headerAwaited)
    logPoll(LogLevel::Info, [] { return "download cancelled"; });
  r_.download.flow.stop();
  r_.download.headerAwaited = false;
  r_.polling.BlockPending = 0;
  r_.polling.BlockRetry = 0;
}

void PollLoop::RequestRecordHeader(int entryNo) {
  CancelDownload();
  r_.download.entryNo = entryNo;
  askHeader();
}

// Reply 0x0E: the header.
void PollLoop::recordHeaderReply(Payload p) {
  DownloadState& d = r_.download;
  PollingState& ps = r_.polling;
  // Header replies come in the order of the requests: the oldest request
  // waiting is the one this reply answers. An answer to the request of an
  // earlier click, or a second answer to a re-sent request, is dropped.
  int asked = -1;
  if (!d.headerAsked.empty()) {
    asked = d.headerAsked.front();
    d.headerAsked.pop_front();
  }
  if (!d.headerAwaited || asked != d.entryNo) return;

  MeasurementData& m = r_.measurement;
  const auto decoded = DecodeRecordHeader(p, m.header);
  if (!decoded) {
    // Shorter than the header's layout: nothing is taken; ask again.
    logPoll(LogLevel::Warning,
            [&] { return "header reply of " + std::to_string(p.size()) + " bytes too short"; });
    askHeader();
    return;
  }
  d.headerAwaited = false;
  d.headerAsked.clear();
  d.headerRetry = 0;

  const std::int32_t n = decoded->recordCount;
  logPoll(LogLevel::Info, [&] {
    return "header of stored measurement " + std::to_string(d.entryNo) + ": " + std::to_string(n) +
           " records";
  });
  // The arrays always hold this measurement's records only (none for a
  // measurement without logged records).
  m.sizePointValues(static_cast<std::size_t>(n));
  DataListView* list = windows.dataList ? windows.dataList() : nullptr;
  if (list) list->showHeader();
  ps.BlockNo = 0;
  ps.BlockRetry = 0;
  d.BytesLoaded = 0;
  const UiText& t = r_.texts;
  if (n > 0) {
    d.context = blockContextFrom(m.header);
    showMemoryMessage(downloadProgressText(t.TxtLoad, 0, m.header.HeaderValue[kSlotRecordCount]));
    d.flow.start();
    askBlock();
  } else {
    // No logged records: the measurement is complete with its header.
    d.flow.stop();
    ps.BlockPending = 0;
    showMemoryMessage(t.TxtLoadComplete);
    if (list) list->downloadComplete();
    logPoll(LogLevel::Info, [] { return "download complete (no logged records)"; });
  }
  StartPanelTimers();
}

// Reply 0x12: a block of logged records.
void PollLoop::dataBlockReply(Payload p) {
  DownloadState& d = r_.download;
  PollingState& ps = r_.polling;
  // The re-send waits for ticks without block traffic, so that it comes
  // after every copy and late answer of the replies before it.
  ps.BlockRetry = 0;
  if (d.flow.match(p) != BlockFlow::Match::Current) return;

  StopPanelTimers();
  ps.BlockPending = 0;
  const UiText& t = r_.texts;
  const auto block = DecodeDataBlock(d.flow.block(), p, d.context, t.TxtDB);
  if (!block) {
    // Shorter than the records it must hold: nothing is stored; ask again.
    logPoll(LogLevel::Warning, [&] {
      return "data block " + std::to_string(d.flow.block()) + " reply of " + std::to_string(p.size()) +
             " bytes too short";
    });
    askBlock();
    StartPanelTimers();
    return;
  }
  MeasurementData& m = r_.measurement;
  d.BytesLoaded += static_cast<std::int64_t>(p.size());
  showMemoryMessage(downloadProgressText(t.TxtLoad, d.BytesLoaded, m.header.HeaderValue[kSlotRecordCount]));
  StoreRecords(*block, m);
  // Referring to the window loads it again if the user closed it.
  DataListView* list = windows.dataList ? windows.dataList() : nullptr;
  if (list) list->addRecords(block->records);
  d.flow.taken(p);
  if (block->last) {
    d.flow.stop();
    showMemoryMessage(t.TxtLoadComplete);
    if (list) list->downloadComplete();
    logPoll(LogLevel::Info, [&] { return "download complete: " + std::to_string(d.BytesLoaded) + " bytes"; });
  } else {
    askBlock();
  }
  StartPanelTimers();
}

// The poll tick's re-send step: an outstanding block (or header) request is
// sent again every third tick.
void PollLoop::downloadPollTick() {
  DownloadState& d = r_.download;
  PollingState& ps = r_.polling;
  if (ps.BlockPending == -1) {
    if (ps.BlockRetry >= 2) {
      if (d.flow.active()) {
        askBlock(true);
      } else {
        logPoll(LogLevel::Debug, [&] { return "data block " + std::to_string(ps.BlockNo) + " asked again"; });
        logUnsent(CmdReadDataBlock(line(), ps.BlockNo), "data block request");
        ps.BlockRetry = 0;
      }
    } else {
      ++ps.BlockRetry;
    }
    return;
  }
  ps.BlockRetry = 0;
  // A header that did not come is asked again the same way (polling runs
  // again once the link watchdog has seen the silent line).
  if (d.headerAwaited) {
    if (d.headerRetry >= 2)
      askHeader();
    else
      ++d.headerRetry;
  }
}

}  // namespace vkz
