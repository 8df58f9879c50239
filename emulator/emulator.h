// The meter emulator: a meter on the far end of a pseudo-terminal.
//
// start() opens a pseudo-terminal, links `linkPath` (for example
// <program folder>/com/COM3) to its slave device and serves the meter
// protocol on a worker thread of its own, so a test whose main thread runs
// the Qt event loop can talk to it through the program's serial port code.
// Every member is thread-safe and can be called at any time.
//
//   vkz::emu::Emulator meter;
//   meter.generateMeasurements({.count = 3, .records = 25});
//   meter.addFault(FaultRule::nth(Fault::Drop, cmd::ReadDataBlock, 3));
//   meter.start(dir + "/com/COM3");
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "emulator/measurements.h"
#include "emulator/meter.h"
#include "emulator/protocol.h"

namespace vkz::emu {

// Ways the emulated meter can misbehave on one reply.
enum class Fault {
  Drop,             // the reply is not sent
  Duplicate,        // the reply is sent twice
  CorruptChecksum,  // the reply's checksum byte is wrong
  Resend,           // a resend request (0x55, byte 0 = the request's code) goes out instead; nothing is taken
  Fail,             // a write is refused: acknowledgement byte 0 = 0x00; nothing is taken
  Delay,            // the reply leaves `delay` later
  Split,            // the reply is written in pieces of `chunk` bytes with `delay` between them
  Ignore            // the meter neither takes the request nor answers it (a write never acknowledged)
};

// A fault applied to requests of one code (or of every code): the first
// `skip` matching requests pass untouched, the next `times` are hit.
struct FaultRule {
  Fault fault = Fault::Drop;
  int code = -1;  // request code, -1 = any request
  int skip = 0;
  int times = 1;  // -1 = every matching request from then on
  std::chrono::milliseconds delay{0};
  std::size_t chunk = 8;

  // The n-th (1-based) request of `code` from now on.
  static FaultRule nth(Fault f, int code, int n) { return {f, code, n - 1, 1}; }
  // Every request of `code` from now on, until clearFaults().
  static FaultRule always(Fault f, int code = -1) { return {f, code, 0, -1}; }
};

// How long the meter takes over each reply beyond its fixed turnaround
// (setReplyDelay): a delay of its own for every reply, drawn at random
// within bounds or taken in turn from a repeating sequence. Each is counted
// from the moment the meter has the request whole; a reply never overtakes
// the one before it, so a short delay behind a long one leaves right after
// it.
struct DelayPattern {
  enum class Kind { None, Random, Sequence };
  Kind kind = Kind::None;
  std::chrono::milliseconds min{0}, max{0};         // Random: each delay within [min, max]
  std::vector<std::chrono::milliseconds> sequence;  // Sequence: the delays in turn, from the first again
  std::uint64_t seed = 1;                           // Random: the same seed draws the same delays

  static DelayPattern random(std::chrono::milliseconds lo, std::chrono::milliseconds hi,
                             std::uint64_t seed = 1) {
    return {Kind::Random, lo, hi, {}, seed};
  }
  static DelayPattern cycle(std::vector<std::chrono::milliseconds> delays) {
    return {Kind::Sequence, {}, {}, std::move(delays), 1};
  }
};

// A reply as it was handed to the line (after faults).
struct SentReply {
  SteadyClock::time_point time;       // when the meter had the request whole (paced: after its line time)
  std::uint8_t code = 0;              // the request code it answers
  Bytes bytes;                        // the frame
  bool dropped = false;               // never written (Fault::Drop)
  SteadyClock::time_point written{};  // when its last byte went to the line (the epoch until then)
  std::uint64_t seq = 0;              // its number among the replies sent
};

// How generateMeasurements() fills the memory.
struct GenerateOptions {
  int count = 5;    // measurements (the list holds at most 255)
  int records = 0;  // records per measurement; 0 = varied, 120..600
  std::uint64_t seed = 1;
  DateTime firstStart{2024, 5, 6, 7, 30, 0};  // one measurement per day from here
  std::uint32_t interval = 0;                 // logging interval, s; 0 = the meter's setting
};

class Emulator {
 public:
  Emulator();
  ~Emulator();
  Emulator(const Emulator&) = delete;
  Emulator& operator=(const Emulator&) = delete;

  // Opens the pseudo-terminal, makes `linkPath` a symlink to its slave
  // (replacing a stale symlink, creating missing folders) and starts serving.
  bool start(const std::string& linkPath);
  // Stops serving, closes the pseudo-terminal and removes the link.
  void stop();
  bool running() const;
  std::string lastError() const;
  std::string slavePath() const;  // e.g. /dev/pts/7
  std::string linkPath() const;

  // ---- the meter's state ----
  void setModel(const std::string& model);  // "VKZ 418" (default) or "KRD 529"
  std::string model() const;
  Settings settings() const;
  void setSettings(const Settings& s);
  std::array<std::uint8_t, 130> timerStaging() const;  // timer frames written but not yet complete
  DateTime clock() const;                              // the meter clock now (it runs)
  void setClock(const DateTime& t);

  // ---- stored measurements (entry numbers are 1-based, as on the line) ----
  void generateMeasurements(const GenerateOptions& opt);
  // Adds a measurement of these records; its header is computed. A zero dose
  // block in `info` takes the meter's dose settings, zero page channels the
  // screens' channels. Returns its entry number, 0 when the memory is full.
  int addMeasurement(const std::vector<Record>& records, MeasurementInfo info = {});
  // Adds a measurement with a header of the caller's own making.
  int addRawMeasurement(const Header& header, const std::vector<Record>& records);
  void clearMeasurements();
  int measurementCount() const;
  StoredMeasurement measurement(int entry) const;  // raw header bytes and record words
  std::vector<StoredMeasurement> measurements() const;
  int currentEntry() const;  // whose data blocks are being served
  void setMemoryTotal(std::uint32_t total);

  // ---- line knobs ----
  // 57600 baud: 5760 bytes/s each way. Replies leave at that pace, and a
  // request is answered only once its own bytes would have crossed the line.
  void setPacing(bool on);
  bool pacing() const;
  void setReplyDelay(std::chrono::milliseconds d);  // turnaround before every reply
  // A delay of its own for every reply from now on, on top of the turnaround
  // (a default pattern: none).
  void setDelayPattern(const DelayPattern& p);
  // Writes every reply in pieces of `chunk` bytes, `pause` apart (0 = whole).
  void setSplit(std::size_t chunk, std::chrono::milliseconds pause);
  void setSilent(bool silent);  // answer nothing (requests are still logged)
  // How long an erase takes; the meter answers nothing meanwhile and sends
  // the erase reply at its end. Short by default; a full 4 MB flash erase
  // takes about a minute.
  void setEraseTime(std::chrono::milliseconds d);
  // Puts bytes on the line as they are: line noise, a stray byte.
  void sendRaw(const Bytes& bytes);
  void addFault(const FaultRule& rule);
  void clearFaults();
  // Shorthands for the next replies to any request.
  void dropNextReplies(int n = 1) { addFault({Fault::Drop, -1, 0, n}); }
  void duplicateNextReplies(int n = 1) { addFault({Fault::Duplicate, -1, 0, n}); }
  void corruptNextReplies(int n = 1) { addFault({Fault::CorruptChecksum, -1, 0, n}); }
  // The meter asks for the next `n` requests of `code` again (0x55) instead
  // of taking them.
  void resendNext(int code = -1, int n = 1) { addFault({Fault::Resend, code, 0, n}); }
  void failNextWrites(int n = 1) { addFault({Fault::Fail, -1, 0, n}); }
  // Requests of `code` (say a timer frame) are neither taken nor answered
  // from now on, until clearFaults().
  void neverAcknowledge(int code) { addFault(FaultRule::always(Fault::Ignore, code)); }
  // The next `times` memory-list replies that carry entry `entryNo` are lost
  // on the line (-1: every one, until clearFaults()); the meter's list walk
  // moves on past it all the same.
  void loseListEntry(int entryNo, int times = -1);

  // ---- what went over the line ----
  std::vector<Request> requests() const;          // every frame and stray byte, in order
  std::vector<Request> requests(int code) const;  // well-formed requests of one code
  std::size_t requestCount(int code = -1) const;  // well-formed requests (of one code)
  std::vector<SentReply> replies() const;
  std::size_t pendingBytes() const;  // reply bytes queued but not yet written
  void clearLog();
  // Waits until `n` well-formed requests (of `code`, -1 = any) are logged and
  // handled; their replies are queued (or dropped) by then. False on time-out.
  bool waitForRequests(std::size_t n, int code = -1,
                       std::chrono::milliseconds timeout = std::chrono::milliseconds(2000)) const;
  // Waits until every queued reply byte has been written. False on time-out.
  bool waitForOutput(std::chrono::milliseconds timeout = std::chrono::milliseconds(2000)) const;
  // Receives one readable line per request frame, stray bytes and faults,
  // on the worker thread.
  void setTrace(std::function<void(const std::string&)> trace);
  // ---- the meter's time ----
  // The clock the meter's time runs on: its paced bytes, reply delays,
  // erase time and its own clock. The steady clock unless one is set; set
  // it before start(). A clock that moves only when told (a test's) is
  // followed with timeMoved(), and the meter then sleeps on nothing but the
  // line and that call.
  void setTimeSource(std::function<SteadyClock::time_point()> now);
  // Tells the meter its clock moved: what fell due goes out.
  void timeMoved();
  // Whether the meter has taken every byte sent to it, handled it and has
  // nothing due before its clock moves.
  bool idle() const;
  // When the meter next has something to do on its clock (a reply or its
  // next bytes due, a half frame given up); max() when nothing waits.
  SteadyClock::time_point nextDue() const;

  // Processor time the serving thread has used, in seconds (benchmarks
  // subtract it from the process's own).
  double cpuSeconds() const;
  // Voluntary context switches of the serving thread so far (benchmarks
  // subtract them from the process's own).
  long voluntarySwitches() const;

 private:
  struct Piece {
    Bytes bytes;
    std::size_t pos = 0;
    SteadyClock::time_point notBefore;
    SteadyClock::duration gap{};  // pause after the piece before it
    bool started = false;
    SteadyClock::time_point lineStart;
    bool last = true;       // the last piece of its reply
    std::uint64_t seq = 0;  // the reply's SentReply::seq (0: none)
  };

  void run();
  void handleItems(std::vector<RequestParser::Item>& items, std::vector<std::string>& trace);
  // The next reply's own delay under the pattern.
  SteadyClock::duration nextPatternDelay();
  // Answers request `r`, which the meter has whole at `now`.
  void respond(const Request& r, SteadyClock::time_point now, std::vector<std::string>& trace);
  void enqueue(const Bytes& reply, SteadyClock::time_point at, std::size_t chunk, std::uint64_t seq,
               SteadyClock::duration pause);
  // Writes what is due; returns when to come back (max() = nothing queued).
  SteadyClock::time_point pump(bool& wantWrite, bool& hungUp);
  void dropOutput();
  int addLocked(StoredMeasurement m);
  void wake();
  SteadyClock::time_point timeNow() const { return source_ ? source_() : SteadyClock::now(); }
  std::string stamp(SteadyClock::time_point t) const;

  mutable std::mutex mu_;
  mutable std::condition_variable cv_;
  Meter meter_;
  std::vector<FaultRule> faults_;
  struct LostEntry {
    int entryNo;
    int times;
  };
  std::vector<LostEntry> lostEntries_;
  bool pacing_ = false, silent_ = false;
  SteadyClock::duration replyDelay_{}, splitPause_{};
  DelayPattern pattern_;
  std::size_t patternAt_ = 0;  // the next delay of a sequence
  std::mt19937_64 patternDraw_;
  SteadyClock::duration eraseTime_ = std::chrono::milliseconds(200);
  std::size_t splitChunk_ = 0;
  SteadyClock::time_point busyUntil_{}, lineFreeAt_{};
  SteadyClock::time_point inLineFreeAt_{};  // paced: when the last request byte is through to the meter
  std::deque<Piece> out_;
  std::size_t pendingBytes_ = 0;
  std::vector<Request> log_;
  bool lastWasFrame_ = false;
  std::vector<SentReply> sent_;
  std::uint64_t sentSeq_ = 0;
  std::atomic<int> tid_{0};  // the serving thread's task id
  std::function<void(const std::string&)> trace_;

  std::function<SteadyClock::time_point()> source_;
  // The serving thread sleeps with nothing due before nextDue_; it counts
  // its wake-ups.
  bool parked_ = false;
  std::uint64_t wakeups_ = 0;
  SteadyClock::time_point nextDue_ = SteadyClock::time_point::max();

  std::thread worker_;
  bool stopping_ = false;
  int master_ = -1, wake_ = -1;
  std::string link_, slave_, error_;
  SteadyClock::time_point started_ = SteadyClock::now();
};

}  // namespace vkz::emu
