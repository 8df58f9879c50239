// One measurement downloaded from the meter's memory, as the reply decoder
// runs it: its header, then its logged records ten to a block, into the
// data list window and the program-wide measurement; the line thread that
// asks for the next block while the window thread is busy. (The memory list
// is in memorylist.cpp, what the download shows in display.cpp.)
#include <algorithm>

#include "base/log.h"
#include "link/frames.h"
#include "link/linereader.h"
#include "polling/header.h"
#include "polling/polllog.h"
#include "polling/pollloop.h"

namespace vkz {

// Asks for the block the download stands at: the first request, the next
// block, or (`again`) once more: after a short reply, after a reply that
// may have been its answer but was taken as the block before's, or the
// poll tick's re-send.
void PollLoop::askBlock(bool again) {
  DownloadState& d = r_.download;
  PollingState& ps = r_.polling;
  // The receive ticks up to now have passed: the request is counted from
  // now, as its answer will be.
  advance();
  ps.BlockNo = static_cast<std::int32_t>(d.flow.block());
  ps.BlockPending = -1;
  // The re-send counts its ticks from this request.
  ps.BlockRetry = 0;
  d.flow.requested();
  logPoll(LogLevel::Debug, [&] {
    return "data block " + std::to_string(d.flow.block()) + (again ? " asked again" : " requested");
  });
  if (blockRequestSent()) return;
  // Armed before the write: a quick meter's answer may come while the write
  // is under way.
  armNextBlock();
  const PortResult sent = CmdReadDataBlock(line(), d.flow.block());
  if (!sent)
    if (LineReader* lr = lineThread()) lr->disarm();
  logUnsent(sent, "data block request");
}

// ---- the line thread -----------------------------------------------------------

LineReader* PollLoop::lineThread() const {
  if (linePort_ == 0) return nullptr;
  LineReader* lr = r_.PortApi.Reader(linePort_);
  return lr && lr->reading() ? lr : nullptr;
}

void PollLoop::startLineThread() {
  stopLineThread();
  PortEntry* e = CurrentEntry(r_.link);
  if (!e || e->PortNo < 1 || watchedHandle_ < 0) return;
  if (!r_.PortApi.StartReader(e->PortNo, e->RxBuf, e->PortReply, framesCut_)) {
    logPoll(LogLevel::Info, [] { return "the port is read on the window thread (no line thread)"; });
    return;
  }
  linePort_ = e->PortNo;
  logPoll(LogLevel::Debug, [&] { return e->PortName + " read on the line thread"; });
  watchCurrentPort();
}

void PollLoop::stopLineThread() {
  if (linePort_ == 0) return;
  const int port = linePort_;
  linePort_ = 0;
  if (LineReader* lr = r_.PortApi.Reader(port)) {
    lr->disarm();
    // Requests it sent for replies this engine will not handle as blocks
    // (the download ended meanwhile) are answered by replies dropped as
    // unasked.
    if (const std::size_t n = lr->forgetSent())
      logPoll(LogLevel::Info, [&] {
        return std::to_string(n) + " block requests sent by the line thread belong to no download";
      });
  }
  r_.PortApi.StopReader(port);
  // What it read is taken before the port is watched again.
  watchCurrentPort();
}

namespace {

// What the engine does with the reply to a block request, judged on the
// line thread by the engine's own block flow, followed from the state it
// had when the judge was armed: the next block is asked the moment the
// reply that completes a block is whole, and a block asked again at once
// where the engine asks it again (a reply taken as a late answer that may
// have been its own). Followed from block to block while nothing else comes
// between but the poll tick's model reply (the same model) and the clock;
// any other reply, a short one and the last block's are left to the
// engine.
class NextBlockJudge {
 public:
  NextBlockJudge(BlockFlow flow, std::int64_t recordCount, std::vector<std::uint8_t> model)
      : flow_(std::move(flow)), recordCount_(recordCount), model_(std::move(model)) {}

  LineReader::Answer operator()(const ReplyFrame& f) {
    using V = LineReader::Verdict;
    const Payload p(f.ReplyData.data(), f.ReplyLength);
    switch (replyLayout(f.ReplyCode).kind) {
      case ReplyKind::Model:
        return {f.ReplyCode == 0 && std::equal(p.begin(), p.end(), model_.begin(), model_.end()) ? V::Pass
                                                                                                 : V::Drop};
      case ReplyKind::Clock:
        return {V::Pass};
      case ReplyKind::DataBlock:
        break;
      default:
        return {V::Drop};
    }
    switch (flow_.match(p)) {
      case BlockFlow::Match::Unasked:
        return {V::Pass};
      case BlockFlow::Match::Late:
        return flow_.mayAsk() ? ask() : LineReader::Answer{V::Pass};
      case BlockFlow::Match::Current:
        break;
    }
    const std::int64_t block = flow_.block();
    if (!holdsBlock(block, p.size(), recordCount_) || isLastBlock(block, recordCount_)) return {V::Drop};
    flow_.taken(p);
    return ask();
  }

 private:
  LineReader::Answer ask() {
    auto request = DataBlockRequest(flow_.block());
    if (!request) return {LineReader::Verdict::Drop};
    flow_.requested();
    return {LineReader::Verdict::Send, std::move(*request), true};
  }

  BlockFlow flow_;
  std::int64_t recordCount_;
  std::vector<std::uint8_t> model_;
};

}  // namespace

void PollLoop::armNextBlock() {
  LineReader* lr = lineThread();
  if (!lr) return;
  const DownloadState& d = r_.download;
  if (!d.flow.active() || !isSupportedModel(r_.polling.MeterModel)) {
    lr->disarm();
    return;
  }
  lr->arm(framesCut_, NextBlockJudge(d.flow, d.context.recordCount, modelPayload_));
}

bool PollLoop::blockRequestSent() {
  LineReader* lr = lineThread();
  if (!lr) return false;
  if (handlingFrame_ && lr->takeSent(*handlingFrame_)) {
    const PortEntry* e = CurrentEntry(r_.link);
    const auto request = DataBlockRequest(r_.download.flow.block());
    logLazy(LogArea::Link, LogLevel::Debug, [&] {
      return (e ? e->PortName : std::string()) + " > " + (request ? hexBytes(*request) : std::string());
    });
    // The line thread follows the exchange on its own while it can; once it
    // has stopped, it is armed again from here.
    if (!lr->armed()) armNextBlock();
    return true;
  }
  if (lr->disarm()) {
    lr->forgetSent();
    logPoll(LogLevel::Warning,
            [] { return "the line thread sent block requests the engine did not ask for"; });
  }
  return false;
}

void PollLoop::askHeader() {
  DownloadState& d = r_.download;
  d.headerAwaited = true;
  d.headerRetry = 0;
  logPoll(LogLevel::Info,
          [&] { return "header of stored measurement " + std::to_string(d.entryNo) + " requested"; });
  writeHeaderRequest();
}

// Writes a header request for the measurement downloaded, counted as owed
// an answer until one comes.
void PollLoop::writeHeaderRequest() {
  DownloadState& d = r_.download;
  d.headerAsked.push_back(d.run);
  // A line that never answers piles up requests; only the newest matter.
  while (d.headerAsked.size() > 64) d.headerAsked.pop_front();
  logUnsent(CmdReadRecordHeader(line(), d.entryNo), "header request");
}

bool PollLoop::mayResend() {
  DownloadState& d = r_.download;
  if (d.resends >= kMaxResends) {
    stopDownload();
    return false;
  }
  ++d.resends;
  return true;
}

// The meter gave nothing usable for kMaxResends sendings in a row: the
// download ends, the records that arrived stay where they are, and the
// user is told how many they are.
void PollLoop::stopDownload() {
  DownloadState& d = r_.download;
  const bool headerCame = !d.headerAwaited;
  const std::int64_t records = recordsBefore(d.flow.block(), d.context.recordCount);
  logPoll(LogLevel::Warning, [&] {
    return "download stopped after " + std::to_string(kMaxResends) +
           " unanswered requests: " + std::to_string(records) + " records arrived";
  });
  EndDownload();
  if (DataListView* list = dataList(); list && headerCame) list->downloadStopped();
  message(downloadStoppedText(headerCame, records, r_.measurement.header.HeaderValue[kSlotRecordCount]),
          MessageIcon::Critical);
  StartPanelTimers();
}

// ---- one measurement -------------------------------------------------------------

void PollLoop::CancelDownload() {
  // Rows not yet shown belong to the download that ends here.
  rowsHeld_.clear();
  DownloadState& d = r_.download;
  if (d.flow.active() || d.headerAwaited) logPoll(LogLevel::Info, [] { return "download cancelled"; });
  d.flow.stop();
  stopLineThread();
  d.headerAwaited = false;
  d.closing = false;
  d.resends = 0;
  ++d.run;
  r_.polling.BlockPending = 0;
  r_.polling.BlockRetry = 0;
}

void PollLoop::EndDownload() {
  // The rows that arrived are shown before the download ends.
  flushDisplay();
  CancelDownload();
}

void PollLoop::RequestRecordHeader(int entryNo) {
  CancelDownload();
  r_.download.entryNo = entryNo;
  // From the click on, the panel shows this download's progress (the count
  // comes with the header), never an earlier "Load Complete".
  showMemoryMessage(downloadProgressText(r_.texts.TxtLoad, 0, "?"));
  askHeader();
}

// Reply 0x0E: the header.
void PollLoop::recordHeaderReply(Payload p) {
  DownloadState& d = r_.download;
  PollingState& ps = r_.polling;
  // Header replies come in the order of the requests: the oldest request
  // waiting is the one this reply answers. An answer to the request of an
  // earlier click is dropped; a second answer to a re-sent request, or the
  // answer to one asked ahead of a block re-send, shows the block requests
  // before it answered or lost.
  std::optional<std::uint64_t> asked;
  if (!d.headerAsked.empty()) {
    asked = d.headerAsked.front();
    d.headerAsked.pop_front();
  }
  if (asked != d.run) return;
  if (!d.headerAwaited) {
    d.flow.headerAnswered();
    if (d.closing && d.flow.settled()) blocksSettled();
    return;
  }

  MeasurementData& m = r_.measurement;
  const auto decoded = DecodeRecordHeader(p, m.header);
  if (!decoded) {
    // Shorter than the header's layout: nothing is taken; ask again.
    logPoll(LogLevel::Warning,
            [&] { return "header reply of " + std::to_string(p.size()) + " bytes too short"; });
    if (mayResend()) askHeader();
    return;
  }
  d.headerAwaited = false;
  d.headerRetry = 0;
  d.resends = 0;
  d.redownloads = 0;

  const std::int32_t n = decoded->recordCount;
  logPoll(LogLevel::Info, [&] {
    return "header of stored measurement " + std::to_string(d.entryNo) + ": " + std::to_string(n) +
           " records";
  });
  // The arrays always hold this measurement's records only (none for a
  // measurement without logged records).
  m.sizePointValues(static_cast<std::size_t>(n));
  DataListView* list = dataList();
  if (list) list->showHeader();
  ps.BlockNo = 0;
  ps.BlockRetry = 0;
  d.BytesLoaded = 0;
  const UiText& t = r_.texts;
  if (n > 0) {
    d.context = blockContextFrom(m.header);
    // The first rows come a row interval after the header.
    if (mono_) rowsShownAt_ = mono_();
    showProgress(downloadProgressText(t.TxtLoad, 0, m.header.HeaderValue[kSlotRecordCount]));
    // This click's header requests still owed were asked again while its
    // header was late; their answers come ahead of any block's.
    d.flow.start(static_cast<std::size_t>(std::count(d.headerAsked.begin(), d.headerAsked.end(), d.run)));
    startLineThread();
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
  // The re-send waits for poll ticks without block traffic: the meter is
  // still answering.
  ps.BlockRetry = 0;
  switch (d.flow.match(p)) {
    case BlockFlow::Match::Current:
      break;
    case BlockFlow::Match::Late:
      // Taken as a late answer to the block before; when it may have been
      // the answer to the block asked now, that block is asked again.
      if (!d.closing && d.flow.mayAsk()) askBlock(true);
      return;
    case BlockFlow::Match::Unasked:
      // An answer beyond the requests: the meter answered one of them twice.
      // Whether a copy was taken for a block is settled after the last one.
      logPoll(LogLevel::Warning, [&] {
        return "data block reply dropped: no request may be answered by it (a reply came twice), at block " +
               std::to_string(d.flow.block());
      });
      return;
  }

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
    if (mayResend()) askBlock(true);
    StartPanelTimers();
    return;
  }
  d.resends = 0;
  d.flow.taken(p);
  // The next block is asked for before this one is stored and shown: the
  // meter sends it meanwhile, and the line does not wait for the grid.
  if (!block->last) {
    const std::uint64_t run = d.run;
    askBlock();
    // The write let the event loop turn: a click on another measurement
    // has ended this download, and its records belong to none.
    if (d.run != run) return;
  }
  MeasurementData& m = r_.measurement;
  d.BytesLoaded += static_cast<std::int64_t>(p.size());
  StoreRecords(*block, m);
  showRecords(block->records);
  showProgress(downloadProgressText(t.TxtLoad, d.BytesLoaded, m.header.HeaderValue[kSlotRecordCount]));
  if (block->last) {
    stopLineThread();
    flushDisplay();
    // Every block was taken; the download is complete once the header asked
    // now shows every block request answered and no reply beyond them.
    d.closing = true;
    askEndFence();
  }
  StartPanelTimers();
}

// After the last block: the header asked once more. Its reply comes after
// every answer to the requests before it, a copy of one included.
void PollLoop::askEndFence() {
  DownloadState& d = r_.download;
  d.headerRetry = 0;
  d.flow.requested(BlockFlow::kHeader);
  logPoll(LogLevel::Debug, [] { return "header asked after the last data block"; });
  const ComPortAPI::QuietWrites quiet(r_.PortApi);
  writeHeaderRequest();
}

// Every block request has been answered or lost. Without a reply beyond
// them, or with one that no block was taken for, the measurement is whole;
// else the blocks from the first that may be a copy are asked again, and
// when the meter keeps answering twice, the download stops there.
void PollLoop::blocksSettled() {
  DownloadState& d = r_.download;
  d.closing = false;
  const std::optional<std::int64_t> from = d.flow.doubled() ? d.flow.firstRepeat() : std::nullopt;
  if (d.flow.doubled())
    logPoll(LogLevel::Warning, [&] {
      return "a data block reply came twice; " +
             (from ? "data block " + std::to_string(*from) + " may be a copy of an earlier one"
                   : std::string("no block was taken for the copy"));
    });
  if (!from)
    completeDownload();
  else if (d.redownloads < kMaxRedownloads)
    redownloadFrom(*from);
  else
    stopDoubled(*from);
}

void PollLoop::completeDownload() {
  DownloadState& d = r_.download;
  d.flow.stop();
  flushDisplay();
  showMemoryMessage(r_.texts.TxtLoadComplete);
  if (DataListView* list = dataList()) list->downloadComplete();
  logPoll(LogLevel::Info, [&] { return "download complete: " + std::to_string(d.BytesLoaded) + " bytes"; });
}

// The rows and stored records from `index` on are no longer the download's.
void PollLoop::dropRecordsFrom(std::int64_t index) {
  std::erase_if(rowsHeld_, [&](const LoggedRecord& r) { return r.index >= index; });
  if (DataListView* list = dataList()) list->dropRecords(index);
}

void PollLoop::redownloadFrom(std::int64_t block) {
  DownloadState& d = r_.download;
  ++d.redownloads;
  d.resends = 0;
  logPoll(LogLevel::Warning, [&] { return "data blocks from " + std::to_string(block) + " asked again"; });
  const std::int64_t records = recordsBefore(block, d.context.recordCount);
  dropRecordsFrom(records);
  d.BytesLoaded = records * 8;
  showProgress(downloadProgressText(r_.texts.TxtLoad, d.BytesLoaded,
                                    r_.measurement.header.HeaderValue[kSlotRecordCount]));
  d.flow.restart(block);
  startLineThread();
  askBlock();
}

// The meter keeps answering twice: the records before `block` are kept, as
// a stopped download keeps them, and the user is told.
void PollLoop::stopDoubled(std::int64_t block) {
  DownloadState& d = r_.download;
  MeasurementData& m = r_.measurement;
  const std::int64_t kept = recordsBefore(block, d.context.recordCount);
  logPoll(LogLevel::Warning, [&] { return "download stopped: " + std::to_string(kept) + " records kept"; });
  dropRecordsFrom(kept);
  m.resizePointValues(static_cast<std::size_t>(kept));
  const std::string& count = m.header.HeaderValue[kSlotRecordCount];
  showMemoryMessage(downloadProgressText(r_.texts.TxtLoad, kept * 8, count));
  EndDownload();
  if (DataListView* list = dataList()) list->downloadStopped();
  message(downloadDoubledText(kept, count), MessageIcon::Critical);
}

// Ahead of a block's first re-send: a block taken already whose bytes
// differ from the block taken last, or the header again; its answer shows
// which requests before it were answered and which lost. Nothing awaits
// it, so its write lets no reply be handled in between.
void PollLoop::askFence() {
  DownloadState& d = r_.download;
  const auto fence = d.flow.fence();
  if (!fence) return;
  d.flow.requested(*fence);
  logPoll(LogLevel::Debug, [&] {
    return (*fence == BlockFlow::kHeader ? std::string("header") : "data block " + std::to_string(*fence)) +
           " asked ahead of data block " + std::to_string(d.flow.block()) + " again";
  });
  const ComPortAPI::QuietWrites quiet(r_.PortApi);
  if (*fence == BlockFlow::kHeader)
    writeHeaderRequest();
  else
    logUnsent(CmdReadDataBlock(line(), *fence), "data block request");
}

// The poll tick's re-send step: an outstanding block (or header) request is
// sent again every third tick, kMaxResends times in a row at most; a block
// behind a fence (BlockFlow::fence()).
void PollLoop::downloadPollTick() {
  DownloadState& d = r_.download;
  PollingState& ps = r_.polling;
  if (ps.BlockPending == -1) {
    if (!d.flow.active()) {
      // No download waits for the block: its answer would be dropped.
      ps.BlockPending = 0;
      ps.BlockRetry = 0;
    } else if (ps.BlockRetry >= 2) {
      // A reply the line thread has answered already is the one awaited:
      // it is handled first, as if it had been read before this tick.
      if (LineReader* lr = lineThread(); lr && lr->disarm()) {
        wake();
        if (ps.BlockPending != -1 || ps.BlockRetry < 2) return;
      }
      if (!mayResend()) return;
      askFence();
      askBlock(true);
    } else {
      ++ps.BlockRetry;
    }
    return;
  }
  ps.BlockRetry = 0;
  // A header that did not come is asked again the same way (polling runs
  // again once the link watchdog has seen the silent line), the one after
  // the last block too.
  if (d.headerAwaited || d.closing) {
    if (d.headerRetry < 2)
      ++d.headerRetry;
    else if (mayResend())
      d.closing ? askEndFence() : askHeader();
  }
}

}  // namespace vkz
