// A port read on a thread of its own, so that the meter's line never waits
// for the window thread.
//
// While a download runs, the engine hands the reading of its port to a
// LineReader. Its thread
//   - reads whatever has come, one piece per read, and queues the pieces for
//     the window thread, which takes them one at a time (ComPortAPI::CommRead)
//     and cuts them with the same parser: cut from the same pieces, the
//     frames are the same on both sides, and both number them alike;
//   - cuts the frames itself, on a copy of the port's receive buffer and
//     parser record taken when it started;
//   - when armed with a judge, sends the request the judge names the moment
//     a frame it accepts is whole, for frames numbered above the arm's
//     starting point. The judge answers, on this thread, what the window
//     thread will decide when it handles that frame; it may stay armed for
//     the frames after (a stateful judge that follows the exchange), so the
//     line runs on for as long as the window thread is busy. Frames the
//     judge lets by (Pass) are skipped; any other ends the arm. The window
//     thread later finds each request sent (takeSent()) and does not send
//     it again;
//   - wakes the window thread (a readable handle) when a frame is whole, when
//     bytes were dropped as no frame, when a frame partly in has stalled and
//     when the read fails; not for every byte;
//   - reads the rest of a long frame in one go shortly before it is due,
//     then byte by byte, so its last byte is read as it arrives;
//   - ends on any failure of its own (a failed read, memory that could not
//     be had, a judge that threw), which reaches the window thread as its
//     last piece: a failed read.
//
// Its lock guards only the pieces, the frame count, the arm and the
// requests sent; the judge runs and the request is written outside it, so
// take() and pending() never wait for a write. The arm's questions (arm(),
// armed(), disarm(), takeSent(), forgetSent()) wait while a frame is in the
// judge's hands, until its request has gone out or not: they answer for
// every frame cut so far.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "link/linetiming.h"
#include "link/parser.h"

namespace vkz {

class LineReader {
 public:
  enum class Verdict {
    Send,  // the frame answers what the request follows: send it now
    Pass,  // the frame changes nothing the judge depends on: judge the next
    Drop,  // the window thread must decide itself: the arm ends
  };
  struct Answer {
    Answer(Verdict v, std::vector<std::uint8_t> r = {}, bool m = false)
        : verdict(v), request(std::move(r)), more(m) {}
    Verdict verdict;
    std::vector<std::uint8_t> request;  // Send: the request
    bool more;                          // Send: the judge stays armed for the frames after
  };
  using Judge = std::function<Answer(const ReplyFrame& frame)>;
  // Writes a whole frame to the port, safe to call from this thread while the
  // window thread writes too; true when every byte went out.
  using Writer = std::function<bool(const std::vector<std::uint8_t>& frame)>;

  // One piece for the window thread: the bytes of one read, or a failed
  // read (`error` is the system's code; no bytes follow it).
  struct Piece {
    std::vector<std::uint8_t> bytes;
    int error = 0;
  };

  // `timing`: the line's timing at the port's speed.
  LineReader(int fd, LineTiming timing, Writer writer);
  ~LineReader();  // stops the thread
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Starts reading. `buffer` and `parser` are the port's receive buffer and
  // parser record as the window thread holds them now, `framesCut` the
  // number of frames it has cut so far. False when the thread or its wake
  // handle could not be made (nothing then runs).
  bool start(std::vector<std::uint8_t> buffer, const ReplyFrame& parser, std::uint64_t framesCut);
  // Ends the thread; the pieces it read stay for take().
  void stop();
  bool reading() const { return thread_.joinable(); }

  // Readable while pieces wait for the window thread.
  int handle() const { return wake_[0]; }
  // The oldest piece waiting, if any.
  std::optional<Piece> take();
  bool pending() const;

  // Arms `judge` for the frames numbered above `afterFrame`. Refused (false)
  // when frames above `afterFrame` have been cut already: the window thread
  // then handles them itself.
  bool arm(std::uint64_t afterFrame, Judge judge);
  bool armed() const;
  // Ends the arm; true when requests it sent have not all been taken.
  bool disarm();
  // The oldest request sent not yet taken was sent for frame `frame`: it is
  // taken (true).
  bool takeSent(std::uint64_t frame);
  // Forgets every request sent; returns how many were not taken.
  std::size_t forgetSent();

 private:
  struct Arm {
    std::uint64_t after = 0;
    Judge judge;
  };

  // The thread's body: ends on a failure, which the window thread is told.
  void run();
  // Reads and cuts until stopped or a read fails (the system's code).
  int readLine();
  // Sleeps until the line has news (its poll events), a frame's rest is due
  // or a frame partly in has stalled (no events for those); the system's
  // code when the wait failed.
  int await(short& events);
  // Hands on `count` bytes just read and cuts the frames they end; plans
  // the next wait.
  void took(const std::uint8_t* bytes, std::size_t count);
  // Cuts every whole frame out of the copy of the buffer, judging each; true
  // when a frame was cut or bytes were dropped.
  bool cutFrames();
  // Counts a frame cut and, when the arm covers it, judges it and sends its
  // request.
  void judgeFrame();
  // With the lock held: waits until no frame is in the judge's hands.
  void waitJudged(std::unique_lock<std::mutex>& lock) const;
  void notify();  // with the lock held
  void wakeWindowThread();
  void queue(Piece piece);
  // This thread ends on the system's code `error`: the window thread is
  // told, after the pieces before.
  void fail(int error);

  const int fd_;
  const LineTiming timing_;
  const Writer write_;
  int wake_[2] = {-1, -1};  // the window thread's handle
  int halt_[2] = {-1, -1};  // wakes this thread to stop
  std::thread thread_;
  std::atomic<bool> stopping_{false};

  mutable std::mutex mutex_;
  mutable std::condition_variable judged_;  // a frame has left the judge's hands
  std::deque<Piece> pieces_;
  int failed_ = 0;      // this thread ended on this code; the window thread's last piece
  bool ended_ = false;  // this thread ended on a failure: no arm is taken
  bool notified_ = false;
  std::uint64_t cut_ = 0;
  std::optional<Arm> arm_;
  bool judging_ = false;            // the arm's judge is out of arm_, with this thread
  std::deque<std::uint64_t> sent_;  // the frames that sent a request, oldest first

  // This thread's own copy of the port's buffer and parser record, and the
  // plan of its next wait.
  std::vector<std::uint8_t> buffer_;
  ReplyFrame parser_{};
  // Moments on the program's clock (base/programclock.h).
  std::optional<std::chrono::nanoseconds> restDue_;    // sleep until then without reading
  std::optional<std::chrono::nanoseconds> holdUntil_;  // a frame partly in, not yet handed on
};

}  // namespace vkz
