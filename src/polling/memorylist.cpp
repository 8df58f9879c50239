// The memory list as the reply decoder runs it: the list of stored
// measurements into the memory panel, entry by entry, walked again for
// entries whose replies were lost, and its wait's steps (asked again, ended
// by the closed panel, run out).
#include "link/eventpump.h"
#include "link/frames.h"
#include "polling/memlist.h"
#include "polling/polllog.h"
#include "polling/pollloop.h"

namespace vkz {

void PollLoop::askMemoryList() {
  r_.shell.MemListCount = 0;
  DownloadState& d = r_.download;
  d.listed.clear();
  d.listCount = 0;
  d.listWalks = 0;
  d.walkAnswered = false;
  d.listReported = false;
  // Marked before the write: the write lets the event loop turn, and the
  // meter's answer may be decoded while it is still under way.
  startWait(WaitKind::MemoryList);
  logPoll(LogLevel::Info, [] { return "memory list requested"; });
  logUnsent(CmdReadMemoryListFirst(line()), "memory list request");
}

// The meter walks its list from the first entry again; the entries listed
// stay, those missing are added as they come.
void PollLoop::restartListWalk() {
  DownloadState& d = r_.download;
  ++d.listWalks;
  d.walkAnswered = false;
  startWait(WaitKind::MemoryList);
  logPoll(LogLevel::Info,
          [&] { return "memory list walked again (walk " + std::to_string(d.listWalks) + ")"; });
  logUnsent(CmdReadMemoryListFirst(line()), "memory list request");
}

// The list wait's step: the next entry asked for again while the panel is
// shown; the user closed it, the wait ends quietly.
void PollLoop::askListAgain() {
  if (r_.flags.MemoryPanelShown == -1) {
    logPoll(LogLevel::Info, [&] {
      return "memory list entry asked again at wait tick " +
             std::to_string(waitTicks(kWaits[waitIndex(WaitKind::MemoryList)]) - 1);
    });
    logUnsent(CmdReadMemoryListNext(line()), "memory list request");
  } else {
    endWait(WaitKind::MemoryList);
    StartPanelTimers();
  }
}

// The list wait ran out: entries that came tell which ones did not, and a
// list with gaps says so.
std::string PollLoop::listRanOutText() const {
  return listIncomplete() ? listIncompleteText() : r_.texts.TxtGetMemoryInformationTimeOutError;
}

// Entries are missing by the count the entry replies gave, or an end of the
// list said the meter holds entries and none came.
bool PollLoop::listIncomplete() const {
  const DownloadState& d = r_.download;
  return !missingListEntries(d.listed, d.listCount).empty() || (d.listed.empty() && d.listReported);
}

std::string PollLoop::listIncompleteText() const {
  const DownloadState& d = r_.download;
  return memoryListIncompleteText(static_cast<int>(d.listed.size()), d.listCount,
                                  missingListEntries(d.listed, d.listCount));
}

// Replies 0x0C (first entry) and 0x0D (further entries).
void PollLoop::memoryListEntryReply(std::uint8_t code, Payload p) {
  const auto e = decodeMemoryListEntry(p);
  if (!e) return;  // too short: the list wait asks again
  DownloadState& d = r_.download;
  ShellState& sh = r_.shell;
  // The first entry starts the list over (the grid keeps its heading
  // only), unless the list is being walked again for missing entries.
  const bool first = code == 0x0C && d.listWalks == 0;
  if (first) {
    d.listed.clear();
    sh.MemListCount = 0;
  }
  d.walkAnswered = true;
  // The meter answers every list request, and the list wait repeats them: an
  // entry that is already listed is a second answer, not another row. In a
  // walk asked again it is the walk on its way to the entries missing.
  const bool added = d.listed.emplace(e->entryNo, *e).second;
  if (!added && d.listWalks == 0) return;
  d.listCount = e->entryCount;
  rewindWait(WaitKind::MemoryList);
  if (added) ++sh.MemListCount;
  if (PollView* v = view()) {
    if (added && d.listed.rbegin()->first == e->entryNo) {
      v->addMemoryListRow(memoryListRowText(sh.MemListCount, *e), sh.MemListCount, first);
    } else if (added) {
      // An entry that was missing: the rows again, in the meter's order.
      std::int32_t row = 0;
      for (const auto& [no, entry] : d.listed) {
        ++row;
        v->addMemoryListRow(memoryListRowText(row, entry), row, row == 1);
      }
    }
    if (code != 0x0C) pumpEvents();
    showProgress(memoryListLoadText(r_.texts.TxtLoad, *e));
    if (code != 0x0C) pumpEvents();
  }
  if (memoryListWantsNext(*e)) {
    startWait(WaitKind::MemoryList);  // before the write, as for the first entry
    logUnsent(CmdReadMemoryListNext(line()), "memory list request");
  }
}

// Reply 0xFF: the end of the list.
void PollLoop::memoryListEndReply(Payload p) {
  const auto end = decodeMemoryListEnd(p);
  if (!end) return;
  DownloadState& d = r_.download;
  // The list wait repeats its request, so the meter may report the end more
  // than once: only an awaited list is ended, once; and a list walked again
  // ends with an end of that walk, not one left from the walk before.
  if (!memoryListPending()) return;
  if (d.listWalks > 0 && !d.walkAnswered) return;
  logPoll(LogLevel::Info, [&] {
    return "memory list ended: " + std::to_string(r_.shell.MemListCount) + " stored measurements";
  });
  const UiText& t = r_.texts;
  if (*end == MemoryListEnd::NoData) {
    message(t.TxtMemoryInfoNoData, MessageIcon::None);
    // Nothing is stored: the list wait ends here (it would otherwise go on
    // asking and end in its time-out message).
    endWait(WaitKind::MemoryList);
  } else {
    // The end says the meter holds entries: with none listed, every entry
    // reply was lost, a list with gaps like any other.
    d.listReported = true;
    const bool incomplete = listIncomplete();
    if (incomplete && d.listWalks < kMaxListWalks) {
      // A reply was lost on the way: the meter walks its list again (the
      // list wait goes on meanwhile, polling stays paused).
      restartListWalk();
      return;
    }
    endWait(WaitKind::MemoryList);
    if (!incomplete) {
      showMemoryMessage(t.TxtLoadComplete);
      message(t.TxtGetMemoryInfoOK, MessageIcon::None);
    } else {
      // Never "OK" for a list with gaps: the user may erase the meter next.
      flushDisplay();
      message(listIncompleteText(), MessageIcon::Critical);
    }
    logUnsent(CmdReadMemorySize(line()), "memory size request");
  }
  StartPanelTimers();
}

}  // namespace vkz
