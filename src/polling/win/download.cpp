#include "polling/win/download.h"

#include <QCoreApplication>
#include <QLabel>
#include <QToolBar>

#include "link/frames.h"
#include "polling/header.h"
#include "polling/measurement.h"
#include "polling/memlist.h"
#include "polling/pollstate.h"
#include "polling/win/paneltimers.h"
#include "shell/flags.h"
#include "shell/uitext.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"
#include "ui/qtext.h"
#include "views/win/datalistfrm.h"

namespace vkz {

namespace {

void showMemoryMessage(const std::string& text) {
  if (Panel* p = ThePanel()) p->MemoryMessageLbl->setText(q(text));
}

// Asks for the block the download stands at: the first request, again
// after a short reply, or (afterQuiet) the poll tick's re-send.
void askBlock(bool afterQuiet = false) {
  DownloadState& d = State().download;
  PollingState& ps = State().polling;
  ps.BlockNo = static_cast<std::int32_t>(d.flow.block());
  ps.BlockPending = -1;
  // The re-send counts its ticks from this request.
  ps.BlockRetry = 0;
  d.flow.requested(afterQuiet);
  CmdReadDataBlock(State().line(), d.flow.block());
}

void askHeader() {
  DownloadState& d = State().download;
  d.headerAwaited = true;
  d.headerRetry = 0;
  d.headerAsked.push_back(d.entryNo);
  // A line that never answers piles up requests; only the newest matter.
  while (d.headerAsked.size() > 64) d.headerAsked.pop_front();
  CmdReadRecordHeader(State().line(), d.entryNo);
}

}  // namespace

// ---------------------------------------------------------------------------
// Memory list

void RequestMemoryList() {
  DownloadState& d = State().download;
  State().shell.MemListCount = 0;
  State().polling.WaitTicks = 0;
  d.listed.clear();
  // Marked before the write: the write lets the event loop turn, and the
  // meter's answer may be decoded while it is still under way.
  State().polling.MemInfoPending = -1;
  CmdReadMemoryListFirst(State().line());
}

void MemoryListEntryReply(std::uint8_t code, Payload p) {
  const auto e = decodeMemoryListEntry(p);
  if (!e) return;  // too short: the list wait asks again
  DownloadState& d = State().download;
  PollingState& ps = State().polling;
  ShellState& sh = State().shell;
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
  Panel* panel = ThePanel();
  if (panel) {
    FlexGrid* grid = panel->MSFlexGrid1;
    if (first) grid->setRows(1);
    grid->AddItem(q(memoryListRowText(sh.MemListCount, *e)));
    grid->setRow(sh.MemListCount);
    if (!first) QCoreApplication::processEvents();
    panel->MemoryMessageLbl->setText(q(memoryListLoadText(State().texts.TxtLoad, *e)));
    if (!first) QCoreApplication::processEvents();
  }
  if (memoryListWantsNext(*e)) {
    ps.MemInfoPending = -1;  // before the write, as for the first entry
    CmdReadMemoryListNext(State().line());
  }
}

void MemoryListEndReply(Payload p) {
  const auto end = decodeMemoryListEnd(p);
  if (!end) return;
  PollingState& ps = State().polling;
  // The list wait repeats its request, so the meter may report the end more
  // than once: only an awaited list is ended, once.
  if (ps.MemInfoPending != -1) return;
  const UiText& t = State().texts;
  if (*end == MemoryListEnd::NoData) {
    MsgBox::show(q(t.TxtMemoryInfoNoData));
    // Nothing is stored: the list wait ends here (it would otherwise go on
    // asking and end in its time-out message).
    ps.MemInfoPending = 0;
    ps.WaitTicks = 0;
  } else {
    showMemoryMessage(t.TxtLoadComplete);
    MsgBox::show(q(t.TxtGetMemoryInfoOK));
    ps.MemInfoPending = 0;
    CmdReadMemorySize(State().line());
  }
  StartPanelTimers();
}

// ---------------------------------------------------------------------------
// One measurement

void CancelDownload() {
  DownloadState& d = State().download;
  PollingState& ps = State().polling;
  d.flow.stop();
  d.headerAwaited = false;
  ps.BlockPending = 0;
  ps.BlockRetry = 0;
}

void RequestRecordHeader(int entryNo) {
  CancelDownload();
  State().download.entryNo = entryNo;
  askHeader();
}

void RecordHeaderReply(Payload p) {
  DownloadState& d = State().download;
  PollingState& ps = State().polling;
  // Header replies come in the order of the requests: the oldest request
  // waiting is the one this reply answers. An answer to the request of an
  // earlier click, or a second answer to a re-sent request, is dropped.
  int asked = -1;
  if (!d.headerAsked.empty()) {
    asked = d.headerAsked.front();
    d.headerAsked.pop_front();
  }
  if (!d.headerAwaited || asked != d.entryNo) return;

  MeasurementData& m = State().measurement;
  const auto decoded = DecodeRecordHeader(p, m.header);
  if (!decoded) {
    // Shorter than the header's layout: nothing is taken; ask again.
    askHeader();
    return;
  }
  d.headerAwaited = false;
  d.headerAsked.clear();
  d.headerRetry = 0;

  const std::int32_t n = decoded->recordCount;
  // The arrays always hold this measurement's records only (none for a
  // measurement without logged records).
  m.sizePointValues(static_cast<std::size_t>(n));
  DataListFrm* frm = FormRegistry::get<DataListFrm>();
  frm->UpdateVKZ418Grid();
  frm->GridInfo();
  ps.BlockNo = 0;
  ps.BlockRetry = 0;
  d.BytesLoaded = 0;
  const UiText& t = State().texts;
  if (n > 0) {
    d.context = blockContextFrom(m.header);
    showMemoryMessage(downloadProgressText(t.TxtLoad, 0, m.header.HeaderValue[189]));
    d.flow.start();
    askBlock();
  } else {
    // No logged records: the measurement is complete with its header.
    d.flow.stop();
    ps.BlockPending = 0;
    showMemoryMessage(t.TxtLoadComplete);
    frm->Toolbar1->setEnabled(true);
  }
  StartPanelTimers();
}

void DataBlockReply(Payload p) {
  DownloadState& d = State().download;
  PollingState& ps = State().polling;
  // The re-send waits for ticks without block traffic, so that it comes
  // after every copy and late answer of the replies before it.
  ps.BlockRetry = 0;
  if (d.flow.match(p) != BlockFlow::Match::Current) return;

  StopPanelTimers();
  ps.BlockPending = 0;
  const UiText& t = State().texts;
  const auto block = DecodeDataBlock(d.flow.block(), p, d.context, t.TxtDB);
  if (!block) {
    // Shorter than the records it must hold: nothing is stored; ask again.
    askBlock();
    StartPanelTimers();
    return;
  }
  MeasurementData& m = State().measurement;
  d.BytesLoaded += static_cast<std::int64_t>(p.size());
  showMemoryMessage(downloadProgressText(t.TxtLoad, d.BytesLoaded, m.header.HeaderValue[189]));
  StoreRecords(*block, m);
  // Referring to the window loads it again if the user closed it.
  DataListFrm* frm = FormRegistry::get<DataListFrm>();
  for (const LoggedRecord& r : block->records) frm->VKZ418PointGrid->AddItem(q(r.row));
  d.flow.taken(p);
  if (block->last) {
    d.flow.stop();
    showMemoryMessage(t.TxtLoadComplete);
    frm->Toolbar1->setEnabled(true);
  } else {
    askBlock();
  }
  StartPanelTimers();
}

void DownloadPollTick() {
  DownloadState& d = State().download;
  PollingState& ps = State().polling;
  if (ps.BlockPending == -1) {
    if (ps.BlockRetry >= 2) {
      if (d.flow.active()) {
        askBlock(true);
      } else {
        CmdReadDataBlock(State().line(), ps.BlockNo);
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
