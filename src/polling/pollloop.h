// The poll engine: the polling loop that keeps the program talking to the
// linked meter, the reply decoder and the downloads from the meter's
// memory. It runs on the main window's timers, but owns none of them: the
// window calls tick1() on every poll tick (Timer1, 200 ms), bytesArrived()
// when its read notifier sees bytes on the current port, and
// receiveTimer() when the receive timer (Timer3) it was asked to set runs
// out; the engine tells the window what to show through PollView
// (pollview.h) and the setting windows what the meter holds through the
// read-back interfaces (readbackviews.h).
//
// The poll tick writes the status bar, asks the meter for its model (and
// its clock while the clock window is open), lists an identified meter and
// re-sends a lost data-block or header request. The receive ticks, one per
// 16 ms, never stop: they count the waits of the exchanges (one table of
// waits, pollwaits.cpp), watch the link (101 ticks with fewer than two bytes show "Disconnection"
// and resume paused polling), and move received bytes into the current
// port's buffer and hand reply frames on. Replies are cut and decoded as
// soon as their bytes arrive, so a download runs at the line's pace.
//
// The receive ticks are counted from a monotonic clock: every 16 ms that
// has passed is one tick, run when the engine next wakes, so each wait and
// time-out keeps its real length however seldom the engine wakes. It asks
// to be woken only when something falls due: the next step of a wait, the
// link watchdog's time-out, the rest of a reply frame on its way (the
// frame announces its length, so its bytes are read in one go instead of
// one wake-up per byte; a short frame's all at once), a progress text held
// back. Progress texts are shown at most every 50 ms, the rows of a
// download's records every 250 ms, both while the meter is sending rather
// than at a reply's end. Without a clock (the main window gone) no receive
// tick is counted, every byte is read as it arrives and every text and row
// is shown at once. Tests turn a clock of their own and wake the engine as
// the receive timer does.
//
// The engine owns every exchange whose answer it awaits: it marks the wait
// before the request goes out (the write turns the event loop, and a quick
// meter's answer is decoded while it is under way), counts it in the
// receive tick and ends it with the answer or a message. Windows start the
// exchanges (writeTimers, eraseMemory, askMemorySize, askMemoryList,
// writeAwaited) and ask about them (erasePending, ...); the engine's state
// is its own. A port whose device goes away is closed and opened again,
// in its own entry, only on the device it was opened from. An action of the
// program that must not be interleaved with polling holds a PollPause; an
// exchange whose answer resumes polling pauses it itself. The receive tick,
// the waits and the watchdog run on while polling is paused; a pause the
// program holds is no lost link.
#pragma once
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/trtext.h"
#include "link/comportapi.h"
#include "link/porttable.h"
#include "link/settingblocks.h"
#include "polling/download.h"
#include "polling/measurement.h"
#include "polling/payload.h"
#include "polling/pollstate.h"
#include "polling/pollview.h"
#include "polling/readbackviews.h"
#include "polling/replies.h"
#include "polling/textforms.h"
#include "polling/waits.h"
#include "shell/flags.h"
#include "shell/uitext.h"

namespace vkz {

// The program-wide records the engine works on.
struct PollRecords {
  LinkState& link;
  ComPortAPI& PortApi;
  PollingState& polling;
  DownloadState& download;
  MeasurementData& measurement;
  SettingsRecords& records;
  MeterClock& LastMeterClock;
  WindowFlags& flags;
  ShellState& shell;
  const UiText& texts;
};

// The windows installed at start-up.
struct PollWindows {
  PollView* main = nullptr;                 // the main window
  std::function<DataListView*()> dataList;  // loads the data list window on demand
  ReadbackWindows readbacks;                // the setting windows
};

class PollLoop;

// Polling paused by the program for as long as the object lives: resumed on
// every way out of the scope. The link watchdog does not count the silence
// of a paused meter meanwhile; it judges the link again from the resume.
class PollPause {
 public:
  explicit PollPause(PollLoop& poll);
  ~PollPause();
  PollPause(const PollPause&) = delete;
  PollPause& operator=(const PollPause&) = delete;

 private:
  PollLoop& poll_;
};

class PollLoop {
 public:
  // The longest wait for the meter's "erased" reply, in receive ticks of
  // 16 ms: 90 s, well beyond the minute a full 4 MB flash erase takes. The
  // meter answers nothing while it erases.
  static constexpr std::int32_t kEraseWaitTicks = 5625;
  // The three-frame timer write: receive ticks for its acknowledgements.
  static constexpr std::int32_t kTimerWaitTicks = 300;
  // A single setting write: receive ticks for its acknowledgement (about
  // 5 s, as for the timer write).
  static constexpr std::int32_t kSettingWaitTicks = 300;
  // The memory-list wait asks again every kListAskEvery receive ticks up to
  // the count kListAskUntil and ends past kListWaitTicks. The memory size,
  // still missing when the list has ended, is asked again on the same
  // counts.
  static constexpr std::int32_t kListAskEvery = 10;
  static constexpr std::int32_t kListAskUntil = 100;
  static constexpr std::int32_t kListWaitTicks = 200;

  // One wait of the engine: its rule, the wait it yields to (it is not
  // counted while that one runs), the wait whose count it runs on (the
  // timer write and the memory list share one), and what it does.
  struct WaitDef {
    WaitKind kind;
    const char* ranOut;  // logged when it runs out
    WaitRule rule;
    std::optional<WaitKind> yieldsTo;
    WaitKind countsOn;
    void (PollLoop::*ask)();                // at a tick that asks again (nullptr: never)
    std::string (PollLoop::*says)() const;  // the message when it runs out
    bool resumes;                           // running out resumes polling
  };
  // The engine's table of waits, in the order a receive tick counts them
  // (pollwaits.cpp).
  static const std::array<WaitDef, kWaitKinds> kWaits;
  // The link is lost after this many receive ticks without two bytes.
  static constexpr std::int16_t kLinkIdleTicks = 100;

  // The messages of the engine's own (the meter's texts come from UiText).
  static std::string eraseTimeOutText() {
    return trText(
        "Erase",
        "The meter did not report the end of the memory erase. Check its memory list before you go on.");
  }
  static std::string settingNotConfirmedText() {
    return trText("SetOutcome", "The meter did not confirm the setting. Read it back before you rely on it.");
  }
  static std::string memorySizeMissingText() {
    return trText("MemoryList",
                  "The meter did not report its memory size: Total and Remain Size are not shown.");
  }

  explicit PollLoop(PollRecords records);
  PollLoop(const PollLoop&) = delete;
  PollLoop& operator=(const PollLoop&) = delete;

  PollWindows windows;

  // --- the ticks ------------------------------------------------------------
  void tick1();         // the poll tick (Timer1_Timer)
  void bytesArrived();  // bytes wait on the watched port

  // --- the receive clock -----------------------------------------------------
  // The length of one receive tick: the old system timer's period, which
  // every tick count of the waits and the watchdog was made for.
  static constexpr std::chrono::milliseconds kReceiveTick{16};
  // How often a progress text may change at most, and how often the data
  // list window takes the rows of the records that came meanwhile.
  static constexpr std::chrono::milliseconds kProgressEvery{50};
  static constexpr std::chrono::milliseconds kRowsEvery{250};
  // How long a progress text may be held back while the next block is late.
  static constexpr std::chrono::milliseconds kHeldLongest{250};
  // Counts the receive ticks from `clock` (monotonic, from any origin) and
  // asks the main window to wake the engine when something falls due
  // (PollView::scheduleReceive); nullptr: no receive ticks are counted.
  using MonotonicClock = std::function<std::chrono::nanoseconds()>;
  void setMonotonicClock(MonotonicClock clock);
  // The receive timer the engine asked for has run out: the receive ticks
  // that have passed, the port read, a held-back progress text.
  void receiveTimer();

  // --- pause and resume -----------------------------------------------------
  // Pauses polling (the poll timer and its companion stop) for an exchange
  // whose answer resumes it (the decoder), or the link watchdog when the
  // answer never comes; the receive tick runs on. A pause the program
  // ends itself is a PollPause.
  void StopPanelTimers();
  // Resumes polling.
  void StartPanelTimers();
  // Whether polling runs (it does from the start).
  bool running() const { return running_; }

  // --- the exchanges the engine awaits ----------------------------------------
  // The timer settings' three frames, each after the acknowledgement of the
  // one before: pauses polling and sends the first; the last
  // acknowledgement, a refusal or kTimerWaitTicks without one ends the wait
  // and resumes polling. A frame that did not go out: no wait, polling
  // resumes.
  PortResult writeTimers(const TimerSetting& timers);
  // A single setting write sent by `send`: its acknowledgement is awaited
  // for kSettingWaitTicks, then the user is told the meter did not confirm
  // it. Nothing awaited when nothing went out.
  PortResult writeAwaited(const std::function<PortResult()>& send);
  // The memory erase: the meter's "erased" reply is awaited for
  // kEraseWaitTicks; meanwhile the openers refuse.
  PortResult eraseMemory();
  // The Memory action's first request: pauses polling and asks for the
  // memory size, awaited until after the memory list. Not sent: polling
  // resumes.
  PortResult askMemorySize();
  // The end of the Memory action: counts from 0 and asks for the first
  // entry of the memory list.
  void askMemoryList();
  // The start of the main window's load: a meter is identified from here
  // on, its poll ticks counted from none.
  void mainWindowLoading();
  // The end of the main window's load: no timer write awaited, no model
  // change left.
  void mainWindowLoaded();

  // What windows may ask.
  bool erasePending() const { return waitPending(WaitKind::Erase); }
  bool timerWritePending() const { return waitPending(WaitKind::TimerWrite); }
  bool memoryListPending() const { return waitPending(WaitKind::MemoryList); }
  bool settingWritePending() const { return waitPending(WaitKind::SettingWrite); }
  bool memorySizePending() const { return waitPending(WaitKind::MemorySize); }
  bool linkLost() const { return linkLost_; }
  // A measurement's header or its logged records are being downloaded.
  bool downloadRunning() const;
  // A data-block request is outstanding (the poll tick re-sends it), and
  // the number of the block asked for last.
  bool blockAwaited() const { return r_.polling.BlockPending == -1; }
  std::int64_t blockNo() const;

  // Watches the current port's descriptor for arriving bytes (a newly linked
  // or chosen port); a descriptor whose device has gone is not watched again
  // until it answers a receive tick.
  void watchCurrentPort();

  // --- the reply decoder ------------------------------------------------------
  // Copies the current entry's reply frame into CurReply and handles it by
  // its reply code. Run for every frame once the model text is a supported
  // one.
  void DeVKZ418SDData();

  // --- the downloads ----------------------------------------------------------
  // Ends a running download: later block replies are dropped, and so are
  // the rows of records not yet shown (they belong to a measurement the
  // window no longer holds).
  void CancelDownload();
  // The user ends the running download and keeps what came: the records
  // that arrived are shown first (rows and progress held back for the
  // display included), then the download is cancelled.
  void EndDownload();
  // A header or block request answered by nothing usable is sent again at
  // most this many times in a row; then the download stops with a message.
  static constexpr int kMaxResends = 10;
  // A meter that answered a block request twice: the blocks from the first
  // that may be misplaced are downloaded again at most this many times; then
  // the download stops and keeps the records before that block.
  static constexpr int kMaxRedownloads = 3;
  // The memory list is walked again at most this many times for entries
  // whose replies did not come.
  static constexpr int kMaxListWalks = 2;
  // Asks for the header of stored measurement `entryNo` (the memory-list
  // click); its records follow block by block.
  void RequestRecordHeader(int entryNo);

  // The PC clock of the status bar and the clock window; local time unless
  // set (tests).
  void setClock(std::function<DateTime()> clock);

  // Back to the start: polling runs, no window installed, no tick under way.
  void reset();

 private:
  MeterLine line() { return {r_.link, r_.PortApi}; }
  PollView* view() const { return windows.main; }
  // The data list window; referring to it loads it again if the user closed it.
  DataListView* dataList() const { return windows.dataList ? windows.dataList() : nullptr; }
  void show(int panel, const std::string& text);
  void message(const std::string& text, MessageIcon icon);
  void setWatch(int handle, bool enabled);

  // --- the poll tick and the watchdog (polltick.cpp) ---
  void identify(PortEntry& e);
  // One receive tick: the waits, the block wait, the link watchdog.
  void receiveTick();
  void watchdog();
  long long bytesSeen() const;
  // The link state in the status bar: "Connection", "Erasing ..." or
  // "Disconnection".
  void showLink();
  std::int64_t nextWatchdogTick() const;

  // --- the waits (pollwaits.cpp) ---
  struct WaitCount {
    bool pending = false;
    std::int32_t ticks = 0;  // receive ticks counted (of the count it runs on)
  };
  bool waitPending(WaitKind k) const { return waits_[waitIndex(k)].pending; }
  // Under way, counted from 0.
  void startWait(WaitKind k);
  // Counted from 0 again, under way or not.
  void rewindWait(WaitKind k);
  // Over: counted no more.
  void endWait(WaitKind k);
  std::int32_t& waitTicks(const WaitDef& w) { return waits_[waitIndex(w.countsOn)].ticks; }
  std::int32_t waitTicks(const WaitDef& w) const { return waits_[waitIndex(w.countsOn)].ticks; }
  bool waitCounted(const WaitDef& w) const;
  // Counts every wait under way for one receive tick, and acts on those
  // whose tick it is.
  void countWaits();
  void waitRanOut(const WaitDef& w);
  // The next receive tick at which a wait acts, -1 for none.
  std::int64_t nextWaitTick() const;
  void endTimerWait();
  // The waits' steps and their messages.
  void askListAgain();
  void askSizeAgain();
  std::string listRanOutText() const;
  std::string timerRanOutText() const;
  std::string eraseRanOutText() const { return eraseTimeOutText(); }
  std::string settingRanOutText() const { return settingNotConfirmedText(); }
  std::string sizeRanOutText() const { return memorySizeMissingText(); }

  // --- a port whose device went away (relink.cpp) ---
  // The device of the linked port has gone: the port is closed, so
  // nothing is written to a dead port, until the device is back.
  void closeLostPort();
  // The device of a port closed that way is back: the port opens again on
  // it, in its own entry.
  void relinkLostPort();
  // A port closed that way is current and waited for: the user has linked
  // nothing else since.
  bool awaitingLostPort() const;

  // --- the receive step and the receive clock (receive.cpp) ---
  // One frame cut into the current entry's parser record.
  void handleFrame();
  using Nanos = std::chrono::nanoseconds;
  std::int64_t tickNow() const;
  // Runs the receive ticks that have passed since the last one run.
  void advance();
  // Reads the current port, then cuts and handles every complete frame.
  void receive();
  // A frame partly in: when the rest is due, read it then, not piece by piece.
  void planRead();
  // The bytes still to come of the frame partly in (of a short one while
  // its header is not all in); 0 for none (or bytes that start no frame).
  std::size_t bytesToCome() const;
  // Pieces the line thread read wait to be cut.
  bool piecesWaiting() const;
  // The line time of the bytes still to come of a frame partly in.
  std::optional<Nanos> restOfFrame() const;
  // The end of a stretch in which frames were decoded or ticks counted.
  void endReceive(Nanos began);
  // Asks the main window for the next wake-up.
  void schedule();
  // The next receive tick at which something happens, -1 for none: of
  // the waits, of the link watchdog.
  std::int64_t nextTickNeeded() const;
  // A wake-up from the read notifier or the receive timer: the receive
  // ticks that have passed, the port read, what is due to be shown, and the
  // next wake-up asked for.
  void wake();

  // --- the line thread (download.cpp) ---
  // While a download runs, the port is read on a thread of its own
  // (link/linereader.h), which sends the next block request the moment the
  // reply before it is whole, as this engine would once it handles that
  // reply, however busy the window thread is.
  void startLineThread();
  void stopLineThread();
  // The running line thread of the current port, if any.
  LineReader* lineThread() const;
  // Arms the line thread to ask for the next block the moment the reply to
  // the one just asked for is whole, as this engine asks once it handles
  // that reply (download.cpp: NextBlockJudge), and on from block to block.
  void armNextBlock();
  // Whether the request askBlock() is about to send went out already, sent
  // by the line thread for the frame being handled (then taken, and the
  // line thread armed again if it has stopped).
  bool blockRequestSent();

  // --- the decoder's handling, by reply (decoder.cpp, pollwaits.cpp) ---
  bool dispatchReply(const ReplyFrame& r);
  void oneValueReply(std::uint8_t code, Payload p);
  void setOneValue(std::optional<int> pos);
  void calibrationReply(Payload p);
  void intervalReply(Payload p);
  void welcomeTextReply(Payload p);
  void meterNameReply(Payload p);
  void lunchTimeReply(Payload p);
  void clockReply(Payload p);
  void settingWindowReply(ReplyKind kind, Payload p);
  void writeAckReply(std::uint8_t code, Payload p);
  void resendReply(Payload p);
  void erasedReply();
  void memorySizeReply(Payload p);
  void showSetResult(bool ok);

  // --- the memory list (memorylist.cpp) ---
  void memoryListEntryReply(std::uint8_t code, Payload p);
  void memoryListEndReply(Payload p);
  void restartListWalk();
  // Whether the list has gaps, and "Memory list incomplete: ..." for them.
  bool listIncomplete() const;
  std::string listIncompleteText() const;

  // --- one measurement (download.cpp) ---
  void recordHeaderReply(Payload p);
  void dataBlockReply(Payload p);
  void downloadPollTick();
  void askBlock(bool again = false);
  void askFence();
  void askEndFence();
  void blocksSettled();
  void completeDownload();
  void redownloadFrom(std::int64_t block);
  void stopDoubled(std::int64_t block);
  void dropRecordsFrom(std::int64_t index);
  void askHeader();
  void writeHeaderRequest();
  // Counts one more sending of the awaited request; false when the bound is
  // reached (the download has then been stopped).
  bool mayResend();
  void stopDownload();

  // --- what a download shows (display.cpp) ---
  void showMemoryMessage(const std::string& text);
  // A progress text, and record rows for the data list window: shown at
  // once, or held back until kProgressEvery (kRowsEvery) has passed since
  // the last show.
  void showProgress(const std::string& text);
  void showRecords(const std::vector<LoggedRecord>& records);
  // When something shown at `shownAt` may be shown anew, at most `every`.
  Nanos dueAfter(std::optional<Nanos> shownAt, Nanos every) const;
  // When what was held back is next to be shown, if anything is.
  std::optional<Nanos> displayDue() const;
  // Shows what was held back whose time has come.
  void flushHeld();
  // Shows everything held back.
  void flushDisplay();
  void showHeldRows();
  void showHeldProgress();

  friend class PollPause;

  PollRecords r_;
  std::function<DateTime()> clock_;
  bool running_ = true;
  int programPauses_ = 0;  // PollPause objects alive

  // The poll tick's identification debounce: consecutive poll ticks that saw
  // the same model text, and the text the last one saw.
  std::int16_t identTicks_ = 0;
  std::string lastTickModel_;
  bool modelChanged_ = false;  // model text changed (or came empty): rebuild the command tree

  // The exchanges awaited, by WaitKind.
  std::array<WaitCount, kWaitKinds> waits_{};

  // The link watched.
  bool linkLost_ = false;       // kLinkIdleTicks passed without two bytes
  std::int16_t idleTicks_ = 0;  // receive ticks in a row without two bytes (stops at 32767)
  int watchedHandle_ = -1;      // the descriptor watched for arriving bytes
  bool watchOn_ = false;
  int failedHandle_ = -1;  // a descriptor whose device has gone: not watched again
  struct LostPort {
    int entry = 0;  // its entry in the port table, current when it went
    int portNo = 0;
    std::string path;            // the device it was opened from
    std::int16_t portCount = 0;  // entries in the table then: one more is a link the user made
    bool triedBusy = false;      // an open was refused since the device came back
  };
  std::optional<LostPort> lost_;  // closed when its device went away, linked again when it is back

  // The receive step.
  bool inPoll_ = false;        // inside the poll tick
  bool inReceive_ = false;     // cutting/decoding frames (receive tick or arrival)
  bool receiveAgain_ = false;  // bytes arrived while frames were being decoded
  int arrivalsMeanwhile_ = 0;  // arrivals reported meanwhile
  // Bytes read since the last receive tick, so the watchdog sees replies
  // that were cut as they arrived.
  long long bytesSinceTick_ = 0;

  // The receive clock.
  MonotonicClock mono_;
  Nanos tickOrigin_{};            // the start of receive tick 1
  std::int64_t ticksDone_ = 0;    // the last receive tick run
  std::optional<Nanos> readDue_;  // when the rest of a frame partly in is due
  long long bytesRead_ = 0;       // bytes read so far
  long long readAtPlan_ = -1;     // bytesRead_ when readDue_ was set

  // What a download shows, held back.
  std::optional<Nanos> progressShownAt_, rowsShownAt_;  // when progress and rows were last shown
  std::optional<std::string> progressHeld_;
  std::vector<LoggedRecord> rowsHeld_;

  // Frames cut from the current port so far, numbered as the line thread
  // numbers them, and the number of the one being handled.
  std::uint64_t framesCut_ = 0;
  std::optional<std::uint64_t> handlingFrame_;
  std::vector<std::uint8_t> modelPayload_;  // the payload of the last model reply
  int linePort_ = 0;                        // the port read by the line thread, 0 for none
};

}  // namespace vkz
