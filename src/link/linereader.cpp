#include "link/linereader.h"

#include "base/programclock.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <new>

namespace vkz {
namespace {

using Nanos = std::chrono::nanoseconds;

// A frame partly in whose next byte has not come this long after its last
// byte was due has stalled: its bytes go to the window thread as they are.
constexpr Nanos kStalled = std::chrono::milliseconds(50);

timespec toTimespec(Nanos n) {
  if (n < Nanos{}) n = Nanos{};
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(n.count() / 1000000000);
  ts.tv_nsec = static_cast<long>(n.count() % 1000000000);
  return ts;
}

void closeBoth(int (&fds)[2]) {
  for (int& fd : fds) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

bool makePipe(int (&fds)[2]) {
  if (::pipe(fds) != 0) return false;
  for (int fd : fds) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  return true;
}

void drain(int fd) {
  char sink[64];
  while (::read(fd, sink, sizeof sink) > 0) {
  }
}

}  // namespace

LineReader::LineReader(int fd, LineTiming timing, Writer writer)
    : fd_(fd), timing_(timing), write_(std::move(writer)) {}

LineReader::~LineReader() {
  stop();
  closeBoth(wake_);
}

bool LineReader::start(std::vector<std::uint8_t> buffer, const ReplyFrame& parser, std::uint64_t framesCut) {
  stop();
  if (wake_[0] < 0 && !makePipe(wake_)) return false;
  if (!makePipe(halt_)) return false;
  try {
    buffer_ = std::move(buffer);
    parser_ = parser;
  } catch (const std::bad_alloc&) {
    closeBoth(halt_);
    return false;
  }
  {
    const std::lock_guard lock(mutex_);
    cut_ = framesCut;
    arm_.reset();
    sent_.clear();
    ended_ = false;
  }
  restDue_.reset();
  holdUntil_.reset();
  stopping_ = false;
  try {
    thread_ = std::thread([this] { run(); });
  } catch (...) {
    closeBoth(halt_);
    return false;
  }
  return true;
}

void LineReader::stop() {
  if (!thread_.joinable()) return;
  stopping_ = true;
  const char b = 1;
  [[maybe_unused]] const ssize_t w = ::write(halt_[1], &b, 1);
  thread_.join();
  closeBoth(halt_);
  const std::lock_guard lock(mutex_);
  arm_.reset();
}

std::optional<LineReader::Piece> LineReader::take() {
  const std::lock_guard lock(mutex_);
  std::optional<Piece> p;
  if (!pieces_.empty()) {
    p = std::move(pieces_.front());
    pieces_.pop_front();
  } else if (failed_ != 0) {
    p = Piece{{}, failed_};
    failed_ = 0;
  } else {
    return std::nullopt;
  }
  if (pieces_.empty() && failed_ == 0 && notified_) {
    drain(wake_[0]);
    notified_ = false;
  }
  return p;
}

bool LineReader::pending() const {
  const std::lock_guard lock(mutex_);
  return !pieces_.empty() || failed_ != 0;
}

void LineReader::waitJudged(std::unique_lock<std::mutex>& lock) const {
  judged_.wait(lock, [this] { return !judging_; });
}

bool LineReader::arm(std::uint64_t afterFrame, Judge judge) {
  std::unique_lock lock(mutex_);
  waitJudged(lock);
  arm_.reset();
  if (!thread_.joinable() || ended_ || cut_ > afterFrame) return false;
  arm_ = Arm{afterFrame, std::move(judge)};
  return true;
}

bool LineReader::armed() const {
  std::unique_lock lock(mutex_);
  waitJudged(lock);
  return arm_.has_value();
}

bool LineReader::disarm() {
  std::unique_lock lock(mutex_);
  waitJudged(lock);
  arm_.reset();
  return !sent_.empty();
}

bool LineReader::takeSent(std::uint64_t frame) {
  std::unique_lock lock(mutex_);
  waitJudged(lock);
  if (sent_.empty() || sent_.front() != frame) return false;
  sent_.pop_front();
  return true;
}

std::size_t LineReader::forgetSent() {
  std::unique_lock lock(mutex_);
  waitJudged(lock);
  const std::size_t n = sent_.size();
  sent_.clear();
  return n;
}

void LineReader::notify() {
  // Nothing left to take (the window thread took it meanwhile): no wake-up.
  if (notified_ || (pieces_.empty() && failed_ == 0)) return;
  const char b = 1;
  if (::write(wake_[1], &b, 1) == 1) notified_ = true;
}

void LineReader::wakeWindowThread() {
  const std::lock_guard lock(mutex_);
  notify();
}

void LineReader::queue(Piece piece) {
  const std::lock_guard lock(mutex_);
  pieces_.push_back(std::move(piece));
}

void LineReader::fail(int error) {
  const std::lock_guard lock(mutex_);
  failed_ = error;
  ended_ = true;
  arm_.reset();
  notify();
}

void LineReader::judgeFrame() {
  Judge judge;
  std::uint64_t frame = 0;
  {
    const std::lock_guard lock(mutex_);
    frame = ++cut_;
    if (!arm_ || frame <= arm_->after) return;
    judge = std::move(arm_->judge);
    judging_ = true;
  }
  // Whatever way the judging ends, the frame leaves the judge's hands: the
  // arm goes on with the judge or ends, and the window thread's questions
  // are answered again.
  bool sent = false;
  bool keep = false;
  const auto settle = [&] {
    const std::lock_guard lock(mutex_);
    judging_ = false;
    judged_.notify_all();
    if (keep && arm_)
      arm_->judge = std::move(judge);
    else
      arm_.reset();
    if (sent) sent_.push_back(frame);
  };
  try {
    const Answer a = judge(parser_);
    sent = a.verdict == Verdict::Send && write_(a.request);
    keep = a.verdict == Verdict::Pass || (sent && a.more);
  } catch (...) {
    settle();  // the arm ends
    throw;
  }
  settle();
}

bool LineReader::cutFrames() {
  bool changed = false;
  for (;;) {
    const std::size_t before = buffer_.size();
    const int delivered = ParseReplyFrame(parser_, buffer_);
    if (delivered != 1) {
      if (buffer_.size() != before) changed = true;  // dropped as no frame
      return changed;
    }
    changed = true;
    judgeFrame();
  }
}

void LineReader::run() {
  int error = 0;
  try {
    error = readLine();
  } catch (const std::bad_alloc&) {
    error = ENOMEM;
  } catch (...) {
    // A judge that threw: this thread cannot tell what the exchange needs
    // any more, so it ends, and the window thread sees a failed read.
    error = ENOTRECOVERABLE;
  }
  if (error != 0) fail(error);
}

int LineReader::readLine() {
  // The bytes the window thread had already read may hold whole frames.
  if (cutFrames()) wakeWindowThread();
  std::vector<std::uint8_t> chunk(4096);
  for (;;) {
    short events = 0;
    if (const int error = await(events); error != 0) return error;
    if (stopping_) return 0;
    if (!(events & POLLIN)) {
      if (events & (POLLHUP | POLLERR | POLLNVAL)) return EIO;
      continue;
    }
    const ssize_t got = ::read(fd_, chunk.data(), chunk.size());
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) return got < 0 ? errno : EIO;
    took(chunk.data(), static_cast<std::size_t>(got));
  }
}

int LineReader::await(short& events) {
  events = 0;
  const Nanos now = monotonicNow();
  // Until when the thread sleeps: the rest of a frame (without watching the
  // line), or a frame partly in until it stalls.
  std::optional<Nanos> until;
  const bool resting = restDue_ && *restDue_ > now;
  if (resting) {
    until = restDue_;
  } else {
    restDue_.reset();
    until = holdUntil_;
  }
  // A clock that moves only when told says so on its descriptor: the sleep
  // lasts until it has moved far enough.
  const int moved = until ? programClockMoved() : -1;
  pollfd fds[3] = {{halt_[0], POLLIN, 0}, {resting ? -1 : fd_, POLLIN, 0}, {moved, POLLIN, 0}};
  timespec ts{};
  const timespec* timeout = nullptr;
  if (until && moved < 0) {
    ts = toTimespec(*until - now);
    timeout = &ts;
  }
  const int ready = ::ppoll(fds, moved >= 0 ? 3 : 2, timeout, nullptr);
  if (ready < 0) return errno == EINTR ? 0 : errno;
  bool over = ready == 0;
  if (moved >= 0 && (fds[2].revents & POLLIN)) {
    std::uint64_t n;
    [[maybe_unused]] const ssize_t r = ::read(moved, &n, sizeof n);
    over = monotonicNow() >= *until;
  }
  if (resting) {
    // The sleep for a frame's rest is over, or goes on.
    if (over || stopping_) restDue_.reset();
    return 0;
  }
  if (stopping_) return 0;
  if (over) {
    // A frame partly in has stalled: its bytes go on as they are.
    holdUntil_.reset();
    wakeWindowThread();
    return 0;
  }
  events = fds[1].revents;
  return 0;
}

void LineReader::took(const std::uint8_t* bytes, std::size_t count) {
  // Queued before its frames are judged: a request sent for a frame is
  // always found with the piece that holds it.
  queue({std::vector<std::uint8_t>(bytes, bytes + count), 0});
  buffer_.insert(buffer_.end(), bytes, bytes + count);
  const bool handOn = cutFrames();
  const auto rest = timing_.restOfFrame(buffer_);
  const bool partly = rest.has_value() || (!buffer_.empty() && buffer_.front() == kReplyStart);
  if (handOn || !partly) {
    holdUntil_.reset();
    wakeWindowThread();
  } else {
    // Held back until the frame is whole, or its bytes stop coming.
    holdUntil_ = monotonicNow() + (rest ? *rest : timing_.of(4)) + kStalled;
  }
  if (rest && *rest >= LineTiming::kWorthAWait) restDue_ = monotonicNow() + *rest - LineTiming::kEarly;
}

}  // namespace vkz
