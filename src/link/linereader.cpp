#include "link/linereader.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace vkz {
namespace {

using Nanos = std::chrono::nanoseconds;
using Clock = std::chrono::steady_clock;

// A long frame's rest is read this long before its last byte is due, then
// byte by byte: a line a little faster than its nominal speed is not waited
// for, and the last byte is read as it comes.
constexpr Nanos kEarly = std::chrono::milliseconds(2);
// Not worth a sleep of its own.
constexpr Nanos kWorthAWait = std::chrono::milliseconds(4);
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

LineReader::LineReader(int fd, Nanos byteTime, Writer writer)
    : fd_(fd), byteTime_(byteTime), write_(std::move(writer)) {}

LineReader::~LineReader() {
  stop();
  closeBoth(wake_);
}

bool LineReader::start(std::vector<std::uint8_t> buffer, const ReplyFrame& parser, std::uint64_t framesCut) {
  stop();
  if (wake_[0] < 0 && !makePipe(wake_)) return false;
  if (!makePipe(halt_)) return false;
  buffer_ = std::move(buffer);
  parser_ = parser;
  {
    const std::lock_guard lock(mutex_);
    cut_ = framesCut;
    arm_.reset();
    sent_.clear();
  }
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
  if (pieces_.empty()) return std::nullopt;
  Piece p = std::move(pieces_.front());
  pieces_.pop_front();
  if (pieces_.empty() && notified_) {
    drain(wake_[0]);
    notified_ = false;
  }
  return p;
}

bool LineReader::pending() const {
  const std::lock_guard lock(mutex_);
  return !pieces_.empty();
}

bool LineReader::arm(std::uint64_t afterFrame, Judge judge) {
  const std::lock_guard lock(mutex_);
  arm_.reset();
  if (!thread_.joinable() || cut_ > afterFrame) return false;
  arm_ = Arm{afterFrame, std::move(judge)};
  return true;
}

bool LineReader::armed() const {
  const std::lock_guard lock(mutex_);
  return arm_.has_value();
}

bool LineReader::disarm() {
  const std::lock_guard lock(mutex_);
  arm_.reset();
  return !sent_.empty();
}

bool LineReader::takeSent(std::uint64_t frame) {
  const std::lock_guard lock(mutex_);
  if (sent_.empty() || sent_.front() != frame) return false;
  sent_.pop_front();
  return true;
}

std::size_t LineReader::forgetSent() {
  const std::lock_guard lock(mutex_);
  const std::size_t n = sent_.size();
  sent_.clear();
  return n;
}

void LineReader::notify() {
  // Nothing left to take (the window thread took it meanwhile): no wake-up.
  if (notified_ || pieces_.empty()) return;
  const char b = 1;
  if (::write(wake_[1], &b, 1) == 1) notified_ = true;
}

void LineReader::queue(Piece piece) {
  const std::lock_guard lock(mutex_);
  pieces_.push_back(std::move(piece));
}

void LineReader::fail(int error) {
  const std::lock_guard lock(mutex_);
  pieces_.push_back({{}, error});
  notify();
}

std::optional<Nanos> LineReader::restOfFrame() const {
  const auto whole = announcedReplySize(buffer_);
  if (!whole || *whole <= buffer_.size()) return std::nullopt;
  return byteTime_ * static_cast<long long>(*whole - buffer_.size());
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
    const std::lock_guard lock(mutex_);
    ++cut_;
    if (!arm_ || cut_ <= arm_->after) continue;
    const Answer a = arm_->judge(parser_);
    if (a.verdict == Verdict::Pass) continue;
    const bool sent = a.verdict == Verdict::Send && write_(a.request);
    if (sent) sent_.push_back(cut_);
    if (!sent || !a.more) arm_.reset();
  }
}

void LineReader::run() {
  // The bytes the window thread had already read may hold whole frames.
  if (cutFrames()) {
    const std::lock_guard lock(mutex_);
    notify();
  }
  std::vector<std::uint8_t> chunk(4096);
  std::optional<Clock::time_point> restDue;  // sleep until then without reading
  std::optional<Clock::time_point> holdUntil;  // a frame partly in, not yet handed on
  for (;;) {
    if (stopping_) return;
    pollfd fds[2] = {{halt_[0], POLLIN, 0}, {fd_, POLLIN, 0}};
    nfds_t count = 2;
    timespec ts{};
    const timespec* timeout = nullptr;
    const Clock::time_point now = Clock::now();
    if (restDue && *restDue > now) {
      count = 1;
      ts = toTimespec(*restDue - now);
      timeout = &ts;
    } else if (holdUntil) {
      ts = toTimespec(*holdUntil - now);
      timeout = &ts;
    }
    restDue.reset();
    const int ready = ::ppoll(fds, count, timeout, nullptr);
    if (stopping_) return;
    if (ready < 0) {
      if (errno == EINTR) continue;
      fail(errno);
      return;
    }
    if (count == 1) continue;  // the sleep for a frame's rest is over
    if (ready == 0) {
      // A frame partly in has stalled: its bytes go on as they are.
      holdUntil.reset();
      const std::lock_guard lock(mutex_);
      notify();
      continue;
    }
    const short events = fds[1].revents;
    if (!(events & POLLIN)) {
      if (events & (POLLHUP | POLLERR | POLLNVAL)) {
        fail(EIO);
        return;
      }
      continue;
    }
    const ssize_t got = ::read(fd_, chunk.data(), chunk.size());
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) {
      fail(got < 0 ? errno : EIO);
      return;
    }
    // Queued before its frames are judged: a request sent for a frame is
    // always found with the piece that holds it.
    queue({std::vector<std::uint8_t>(chunk.begin(), chunk.begin() + got), 0});
    buffer_.insert(buffer_.end(), chunk.begin(), chunk.begin() + got);
    const bool handOn = cutFrames();
    const auto rest = restOfFrame();
    const bool partly = rest.has_value() || (!buffer_.empty() && buffer_.front() == kReplyStart);
    if (handOn || !partly) {
      holdUntil.reset();
      const std::lock_guard lock(mutex_);
      notify();
    } else {
      const Nanos due = rest ? *rest : byteTime_ * 4;
      holdUntil = Clock::now() + due + kStalled;
    }
    if (rest && *rest >= kWorthAWait) restDue = Clock::now() + *rest - kEarly;
  }
}

}  // namespace vkz
