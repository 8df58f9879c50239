// The poll engine: the polling loop that keeps the program talking to the
// linked meter, the reply decoder and the downloads from the meter's
// memory. It runs on the main window's timers, but owns none of them: the
// window calls tick1() on every poll tick (Timer1, 200 ms), tick3() on every
// receive tick (Timer3, 16 ms) and bytesArrived() when its read notifier
// sees bytes on the current port; the engine tells the window what to show
// through PollView (pollview.h) and the setting windows what the meter
// holds through the read-back interfaces (readbackviews.h).
//
// The poll tick writes the status bar, asks the meter for its model (and
// its clock while the clock window is open), lists an identified meter and
// re-sends a lost data-block or header request. The receive tick never
// stops: it moves received bytes into the current port's buffer, counts the
// timer-write and memory-list waits, watches the link (101 ticks with fewer
// than two bytes show "Disconnection" and resume paused polling) and hands
// one reply frame on. Replies are also cut and decoded as soon as their
// bytes arrive, so a download runs at the line's pace.
//
// Every exchange of the program pauses polling around itself
// (StopPanelTimers) and resumes it (StartPanelTimers); the receive tick,
// the waits and the watchdog run on while polling is paused.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

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

class PollLoop {
 public:
  explicit PollLoop(PollRecords records);
  PollLoop(const PollLoop&) = delete;
  PollLoop& operator=(const PollLoop&) = delete;

  PollWindows windows;

  // --- the ticks ------------------------------------------------------------
  void tick1();         // the poll tick (Timer1_Timer)
  void tick3();         // the receive tick (Timer3_Timer)
  void bytesArrived();  // bytes wait on the watched port

  // --- pause and resume -----------------------------------------------------
  // Pauses polling (the poll timer and its companion stop); the receive
  // tick runs on.
  void StopPanelTimers();
  // Resumes polling.
  void StartPanelTimers();
  // Whether polling runs (it does from the start).
  bool running() const { return running_; }

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
  // The end of the Memory action: counts from 0 and asks for the first
  // entry of the memory list.
  void RequestMemoryList();
  // Ends a running download: later block replies are dropped.
  void CancelDownload();
  // A header or block request answered by nothing usable is sent again at
  // most this many times in a row; then the download stops with a message.
  static constexpr int kMaxResends = 10;
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

  // The poll tick's identification debounce: consecutive poll ticks that saw
  // the same model text, and the text the last one saw.
  std::int16_t IdentTicks = 0;
  std::string LastTickModel;

 private:
  MeterLine line() { return {r_.link, r_.PortApi}; }
  PollView* view() const { return windows.main; }
  void show(int panel, const std::string& text);
  void message(const std::string& text, MessageIcon icon);
  void setWatch(int handle, bool enabled);

  // The poll tick's steps.
  void identify(PortEntry& e);
  // The receive tick's steps.
  void countWaits();
  void watchdog();
  // One frame cut into the current entry's parser record.
  void handleFrame();

  // The decoder's handling, by reply.
  bool dispatchReply(const ReplyFrame& r);
  void oneValueReply(std::uint8_t code, Payload p);
  void setOneValue(std::optional<int> pos);
  void calibrationReply(Payload p);
  void intervalReply(Payload p);
  void welcomeTextReply(Payload p);
  void meterNameReply(Payload p);
  void lunchTimeReply(Payload p);
  void writeAckReply(std::uint8_t code, Payload p);
  void resendReply(Payload p);
  void erasedReply();
  void clockReply(Payload p);
  void memorySizeReply(Payload p);
  void settingWindowReply(ReplyKind kind, Payload p);
  void showSetResult(bool ok);

  // The downloads' handling.
  void memoryListEntryReply(std::uint8_t code, Payload p);
  void memoryListEndReply(Payload p);
  void recordHeaderReply(Payload p);
  void dataBlockReply(Payload p);
  void downloadPollTick();
  void askBlock(bool afterQuiet = false);
  void askHeader();
  // Counts one more sending of the awaited request; false when the bound is
  // reached (the download has then been stopped).
  bool mayResend();
  void stopDownload();
  void restartListWalk();
  void showMemoryMessage(const std::string& text);

  PollRecords r_;
  std::function<DateTime()> clock_;
  bool running_ = true;
  bool inPoll_ = false;        // inside the poll tick
  bool inReceive_ = false;     // cutting/decoding frames (receive tick or arrival)
  bool receiveAgain_ = false;  // bytes arrived while frames were being decoded
  // Bytes read since the last receive tick, so the watchdog sees replies
  // that were cut as they arrived.
  long long bytesSinceTick_ = 0;
  int watchedHandle_ = -1;  // the descriptor watched for arriving bytes
  bool watchOn_ = false;
  int failedHandle_ = -1;  // a descriptor whose device has gone: not watched again
};

}  // namespace vkz
