#include "emulator/emulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace vkz::emu {

namespace {

using namespace std::chrono_literals;

// 57600 baud, 8N1: ten bit times per byte, 5760 bytes a second.
constexpr auto kByteTime =
    std::chrono::duration_cast<SteadyClock::duration>(std::chrono::nanoseconds(173611));
// While nobody holds the slave open the master reports a hang-up at once;
// look again this often for the other side coming back.
constexpr auto kHangupPoll = 5ms;
// A paced reply whose writing starts this much late starts its line anew.
constexpr auto kLateStart = 2ms;
// Oldest log entries are dropped beyond this many (a meter left running for days).
constexpr std::size_t kLogLimit = 200000;

std::string errnoText(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

Emulator::Emulator() = default;

Emulator::~Emulator() {
  stop();
}

bool Emulator::start(const std::string& linkPath) {
  stop();
  std::lock_guard lk(mu_);
  error_.clear();
  const auto fail = [&](std::string msg) {
    error_ = std::move(msg);
    if (master_ >= 0) ::close(master_);
    if (wake_ >= 0) ::close(wake_);
    master_ = wake_ = -1;
    return false;
  };

  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0) return fail(errnoText("posix_openpt"));
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return fail(errnoText("unlockpt"));
  char name[128];
  if (::ptsname_r(master_, name, sizeof name) != 0) return fail(errnoText("ptsname_r"));
  // Raw both ways: no echo, no line editing, no CR/LF translation, 8 bits.
  termios t{};
  if (::tcgetattr(master_, &t) == 0) {
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&t, B57600);
    ::cfsetospeed(&t, B57600);
    ::tcsetattr(master_, TCSANOW, &t);
  }

  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path link(linkPath);
  if (link.has_parent_path()) fs::create_directories(link.parent_path(), ec);
  struct stat st {};
  if (::lstat(linkPath.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) return fail(linkPath + " exists and is not a symbolic link");
    ::unlink(linkPath.c_str());
  }
  if (::symlink(name, linkPath.c_str()) != 0) return fail(errnoText(("symlink " + linkPath).c_str()));

  wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wake_ < 0) {
    ::unlink(linkPath.c_str());
    return fail(errnoText("eventfd"));
  }
  link_ = linkPath;
  slave_ = name;
  stopping_ = false;
  started_ = timeNow();
  parked_ = false;
  nextDue_ = SteadyClock::time_point::max();
  worker_ = std::thread([this] { run(); });
  return true;
}

void Emulator::stop() {
  {
    std::lock_guard lk(mu_);
    if (!worker_.joinable()) return;
    stopping_ = true;
  }
  wake();
  worker_.join();
  std::lock_guard lk(mu_);
  // Remove the link only while it is still ours.
  char target[256];
  const ssize_t n = ::readlink(link_.c_str(), target, sizeof target - 1);
  if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == slave_) ::unlink(link_.c_str());
  ::close(master_);
  ::close(wake_);
  master_ = wake_ = -1;
  out_.clear();
  pendingBytes_ = 0;
}

bool Emulator::running() const {
  std::lock_guard lk(mu_);
  return worker_.joinable() && !stopping_;
}

std::string Emulator::lastError() const {
  std::lock_guard lk(mu_);
  return error_;
}
std::string Emulator::slavePath() const {
  std::lock_guard lk(mu_);
  return slave_;
}
std::string Emulator::linkPath() const {
  std::lock_guard lk(mu_);
  return link_;
}

void Emulator::wake() {
  if (wake_ >= 0) {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(wake_, &one, sizeof one);
  }
}

// ---- state ------------------------------------------------------------------

void Emulator::setModel(const std::string& model) {
  std::lock_guard lk(mu_);
  meter_.model = model;
}
std::string Emulator::model() const {
  std::lock_guard lk(mu_);
  return meter_.model;
}
Settings Emulator::settings() const {
  std::lock_guard lk(mu_);
  return meter_.settings;
}
void Emulator::setSettings(const Settings& s) {
  std::lock_guard lk(mu_);
  meter_.settings = s;
}
std::array<std::uint8_t, 130> Emulator::timerStaging() const {
  std::lock_guard lk(mu_);
  return meter_.timerStaging;
}
DateTime Emulator::clock() const {
  std::lock_guard lk(mu_);
  return meter_.clock(timeNow());
}
void Emulator::setClock(const DateTime& t) {
  std::lock_guard lk(mu_);
  meter_.setClock(t, timeNow());
}

// ---- memory -----------------------------------------------------------------

int Emulator::addLocked(StoredMeasurement m) {
  if (meter_.memory.size() >= 255) return 0;  // the list numbers entries in one byte
  meter_.memory.push_back(std::move(m));
  return static_cast<int>(meter_.memory.size());
}

void Emulator::generateMeasurements(const GenerateOptions& opt) {
  std::lock_guard lk(mu_);
  for (int i = 0; i < opt.count; ++i) {
    const std::uint64_t seed = opt.seed * 1000003ULL + static_cast<std::uint64_t>(i);
    // Varied sizes and start times, but always the same for one seed.
    const std::uint64_t mix = seed * 0x9E3779B97F4A7C15ULL;
    const int n = opt.records > 0 ? std::min(opt.records, 65535) : 120 + static_cast<int>((mix >> 20) % 481);
    StoredMeasurement m;
    m.info.start = opt.firstStart.plusSeconds(86400LL * i + 60LL * static_cast<long long>((mix >> 40) % 45));
    m.info.interval = opt.interval ? opt.interval : meter_.settings.interval;
    m.info.dose = meter_.settings.dose;
    m.info.pageChannels[0] = m.info.pageChannels[1] = 0;
    for (int k = 0; k < 12; ++k) m.info.pageChannels[2 + k] = meter_.settings.screens[3 * k];
    // Every fourth day is spent in the office, where the levels stay low.
    const Profile profile = i % 4 == 2 ? Profile::Office : Profile::Workshop;
    m.records = generateRecords(seed, n, profile, m.info.dose[2]);
    m.header = buildHeader(m.info, m.records);
    if (!addLocked(std::move(m))) break;
  }
}

int Emulator::addMeasurement(const std::vector<Record>& records, MeasurementInfo info) {
  std::lock_guard lk(mu_);
  if (std::all_of(info.dose.begin(), info.dose.end(), [](std::uint8_t b) { return b == 0; }))
    info.dose = meter_.settings.dose;
  if (std::all_of(info.pageChannels.begin(), info.pageChannels.end(), [](std::uint8_t b) { return b == 0; }))
    for (int k = 0; k < 12; ++k) info.pageChannels[2 + k] = meter_.settings.screens[3 * k];
  StoredMeasurement m{info, records, buildHeader(info, records)};
  return addLocked(std::move(m));
}

int Emulator::addRawMeasurement(const Header& header, const std::vector<Record>& records) {
  std::lock_guard lk(mu_);
  StoredMeasurement m;
  m.info.start = {
      static_cast<int>(le16(header, hdr::Start)), header[2], header[3], header[4], header[5], header[6]};
  m.info.interval = static_cast<std::uint32_t>(le32(header, hdr::Interval));
  m.records = records;
  m.header = header;
  return addLocked(std::move(m));
}

void Emulator::clearMeasurements() {
  std::lock_guard lk(mu_);
  meter_.memory.clear();
}
int Emulator::measurementCount() const {
  std::lock_guard lk(mu_);
  return static_cast<int>(meter_.memory.size());
}
StoredMeasurement Emulator::measurement(int entry) const {
  std::lock_guard lk(mu_);
  if (entry < 1 || static_cast<std::size_t>(entry) > meter_.memory.size()) return {};
  return meter_.memory[static_cast<std::size_t>(entry - 1)];
}
std::vector<StoredMeasurement> Emulator::measurements() const {
  std::lock_guard lk(mu_);
  return meter_.memory;
}
int Emulator::currentEntry() const {
  std::lock_guard lk(mu_);
  return meter_.currentEntry();
}
void Emulator::setMemoryTotal(std::uint32_t total) {
  std::lock_guard lk(mu_);
  meter_.memoryTotal = total;
}

// ---- knobs ------------------------------------------------------------------

void Emulator::setPacing(bool on) {
  std::lock_guard lk(mu_);
  pacing_ = on;
}
bool Emulator::pacing() const {
  std::lock_guard lk(mu_);
  return pacing_;
}
void Emulator::setReplyDelay(std::chrono::milliseconds d) {
  std::lock_guard lk(mu_);
  replyDelay_ = d;
}
void Emulator::setDelayPattern(const DelayPattern& p) {
  std::lock_guard lk(mu_);
  pattern_ = p;
  if (pattern_.max < pattern_.min) std::swap(pattern_.min, pattern_.max);
  patternAt_ = 0;
  patternDraw_.seed(p.seed);
}

SteadyClock::duration Emulator::nextPatternDelay() {
  switch (pattern_.kind) {
    case DelayPattern::Kind::Random: {
      std::uniform_int_distribution<long long> ms(pattern_.min.count(), pattern_.max.count());
      return std::chrono::milliseconds(ms(patternDraw_));
    }
    case DelayPattern::Kind::Sequence:
      if (pattern_.sequence.empty()) return {};
      return pattern_.sequence[patternAt_++ % pattern_.sequence.size()];
    case DelayPattern::Kind::None:
      break;
  }
  return {};
}

void Emulator::setSplit(std::size_t chunk, std::chrono::milliseconds pause) {
  std::lock_guard lk(mu_);
  splitChunk_ = chunk;
  splitPause_ = pause;
}
void Emulator::setSilent(bool silent) {
  std::lock_guard lk(mu_);
  silent_ = silent;
}
void Emulator::sendRaw(const Bytes& bytes) {
  {
    std::lock_guard lk(mu_);
    if (!bytes.empty()) enqueue(bytes, timeNow(), 0, 0, {});
  }
  wake();
}
void Emulator::setEraseTime(std::chrono::milliseconds d) {
  std::lock_guard lk(mu_);
  eraseTime_ = d;
}
void Emulator::addFault(const FaultRule& rule) {
  std::lock_guard lk(mu_);
  faults_.push_back(rule);
}
void Emulator::clearFaults() {
  std::lock_guard lk(mu_);
  faults_.clear();
  lostEntries_.clear();
}
void Emulator::loseListEntry(int entryNo, int times) {
  std::lock_guard lk(mu_);
  lostEntries_.push_back({entryNo, times});
}

// ---- log --------------------------------------------------------------------

std::vector<Request> Emulator::requests() const {
  std::lock_guard lk(mu_);
  return log_;
}
std::vector<Request> Emulator::requests(int code) const {
  std::lock_guard lk(mu_);
  std::vector<Request> r;
  for (const Request& q : log_)
    if (q.ok() && q.code == code) r.push_back(q);
  return r;
}
std::size_t Emulator::requestCount(int code) const {
  std::lock_guard lk(mu_);
  return static_cast<std::size_t>(std::count_if(
      log_.begin(), log_.end(), [code](const Request& q) { return q.ok() && (code < 0 || q.code == code); }));
}
std::vector<SentReply> Emulator::replies() const {
  std::lock_guard lk(mu_);
  return sent_;
}
std::size_t Emulator::pendingBytes() const {
  std::lock_guard lk(mu_);
  return pendingBytes_;
}
void Emulator::clearLog() {
  std::lock_guard lk(mu_);
  log_.clear();
  sent_.clear();
  lastWasFrame_ = false;
}
void Emulator::setTimeSource(std::function<SteadyClock::time_point()> now) {
  std::lock_guard lk(mu_);
  // The meter's own clock reads on from where it was.
  const DateTime clock = meter_.clock(timeNow());
  source_ = std::move(now);
  meter_.setClock(clock, timeNow());
  started_ = timeNow();
}

void Emulator::timeMoved() {
  wake();
}

bool Emulator::idle() const {
  std::unique_lock lk(mu_);
  if (!worker_.joinable() || !parked_) return false;
  const std::uint64_t before = wakeups_;
  const SteadyClock::time_point due = nextDue_;
  lk.unlock();
  // A poll of the line also hands over bytes the system still holds on
  // their way to the meter. Bytes there, a wake-up asked for, or the
  // serving thread up meanwhile: not idle.
  pollfd fds[2] = {{wake_, POLLIN, 0}, {master_, POLLIN, 0}};
  if (::poll(fds, 2, 0) < 0) return false;
  if (fds[0].revents & POLLIN) return false;
  if ((fds[1].revents & POLLIN) && !(fds[1].revents & POLLHUP)) return false;
  if (due <= timeNow()) return false;
  lk.lock();
  return parked_ && wakeups_ == before;
}

SteadyClock::time_point Emulator::nextDue() const {
  std::lock_guard lk(mu_);
  return nextDue_;
}

bool Emulator::waitForRequests(std::size_t n, int code, std::chrono::milliseconds timeout) const {
  std::unique_lock lk(mu_);
  return cv_.wait_for(lk, timeout, [&] {
    return static_cast<std::size_t>(std::count_if(log_.begin(), log_.end(), [code](const Request& q) {
             return q.ok() && (code < 0 || q.code == code);
           })) >= n;
  });
}
bool Emulator::waitForOutput(std::chrono::milliseconds timeout) const {
  std::unique_lock lk(mu_);
  return cv_.wait_for(lk, timeout, [&] { return pendingBytes_ == 0; });
}
void Emulator::setTrace(std::function<void(const std::string&)> trace) {
  std::lock_guard lk(mu_);
  trace_ = std::move(trace);
}
double Emulator::cpuSeconds() const {
  std::lock_guard lk(mu_);
  if (!worker_.joinable()) return 0;
  clockid_t id;
  timespec ts{};
  if (::pthread_getcpuclockid(const_cast<std::thread&>(worker_).native_handle(), &id) != 0 ||
      ::clock_gettime(id, &ts) != 0)
    return 0;
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

std::string Emulator::stamp(SteadyClock::time_point t) const {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%10.3f", std::chrono::duration<double>(t - started_).count());
  return buf;
}

// ---- serving ----------------------------------------------------------------

long Emulator::voluntarySwitches() const {
  const int tid = tid_.load();
  if (tid == 0) return 0;
  std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/status");
  std::string line;
  const std::string key = "voluntary_ctxt_switches:";
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + key.size());
  return 0;
}

void Emulator::run() {
  tid_ = static_cast<int>(::gettid());
  // Paced bytes leave on time: the kernel may otherwise let this thread's
  // sleeps run 50 us long, and the line would seem slower than it is.
  ::prctl(PR_SET_TIMERSLACK, 1UL);
  std::vector<std::uint8_t> buf(4096);
  RequestParser parser;
  bool hungUp = false, wantWrite = false;
  SteadyClock::time_point next = SteadyClock::time_point::max();
  for (;;) {
    const auto now = timeNow();
    // What is due next on the meter's clock: a reply, a half frame given up.
    SteadyClock::time_point due = hungUp ? SteadyClock::time_point::max() : next;
    if (!hungUp && parser.expiresAt() < due) due = parser.expiresAt();
    SteadyClock::duration wait = hungUp ? SteadyClock::duration(kHangupPoll) : SteadyClock::duration(100ms);
    bool virtualTime = false;
    {
      std::lock_guard lk(mu_);
      virtualTime = static_cast<bool>(source_);
      parked_ = true;
      nextDue_ = due;
    }
    if (due != SteadyClock::time_point::max()) {
      // On a clock that moves only when told, what is not due yet waits for
      // timeMoved().
      if (due <= now)
        wait = 0ns;
      else if (!virtualTime)
        wait = std::min<SteadyClock::duration>(due - now, wait);
    }
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
    const timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    pollfd fds[2] = {{wake_, POLLIN, 0},
                     {master_, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0}};
    ::ppoll(fds, hungUp ? 1 : 2, &ts, nullptr);
    {
      std::lock_guard lk(mu_);
      parked_ = false;
      ++wakeups_;
      if (stopping_) break;
    }
    if (fds[0].revents & POLLIN) {
      std::uint64_t v;
      [[maybe_unused]] ssize_t n = ::read(wake_, &v, sizeof v);
    }
    if (hungUp) {
      // Has the other side opened the slave again?
      pollfd p{master_, POLLIN, 0};
      ::poll(&p, 1, 0);
      if (p.revents & POLLHUP) continue;
      hungUp = false;
    }

    std::vector<RequestParser::Item> items;
    const short rev = fds[1].revents;
    if (rev & (POLLIN | POLLHUP | POLLERR)) {
      for (;;) {
        const ssize_t n = ::read(master_, buf.data(), buf.size());
        if (n > 0) {
          parser.feed(buf.data(), static_cast<std::size_t>(n), timeNow(), items);
          continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EIO) hungUp = true;  // nobody holds the slave open
        break;
      }
    }
    if (rev & POLLHUP) hungUp = true;
    parser.expire(timeNow(), items);

    std::vector<std::string> trace;
    std::function<void(const std::string&)> tracer;
    {
      std::lock_guard lk(mu_);
      if (!items.empty()) handleItems(items, trace);
      if (hungUp) {
        // The port was closed: what was on its way is lost, and a half
        // frame will not be completed.
        parser.reset();
        dropOutput();
        next = SteadyClock::time_point::max();
        wantWrite = false;
      } else {
        bool hup = false;
        next = pump(wantWrite, hup);
        if (hup) {
          hungUp = true;
          parser.reset();
          dropOutput();
        }
      }
      if (!trace.empty()) tracer = trace_;
    }
    cv_.notify_all();
    if (tracer)
      for (const std::string& line : trace) tracer(line);
  }
}

void Emulator::handleItems(std::vector<RequestParser::Item>& items, std::vector<std::string>& trace) {
  const bool tracing = static_cast<bool>(trace_);
  for (RequestParser::Item& it : items) {
    if (it.kind == RequestParser::Item::Kind::Surplus) {
      if (pacing_) inLineFreeAt_ = std::max(it.request.time, inLineFreeAt_) + kByteTime;
      if (lastWasFrame_ && !log_.empty()) ++log_.back().surplus;
      if (tracing) trace.push_back(stamp(timeNow()) + " RX   00 (behind the checksum)");
      continue;
    }
    Request& r = it.request;
    // Paced, the request's bytes take their line time from the computer to
    // the meter too: the meter has the whole request only when its last
    // byte is through, and no answer can start before that.
    SteadyClock::time_point arrived = r.time;
    if (pacing_) {
      inLineFreeAt_ = std::max(r.time, inLineFreeAt_) + kByteTime * static_cast<long>(r.bytes.size());
      arrived = inLineFreeAt_;
    }
    if (tracing) {
      static const char* const status[] = {
          "", " BAD CHECKSUM", " BAD LENGTH", " UNKNOWN CODE", " INCOMPLETE", " STRAY BYTES"};
      std::string line = stamp(r.time) + " RX " + toHex(r.bytes);
      if (it.kind == RequestParser::Item::Kind::Frame && r.status != Request::Status::Incomplete)
        line += "  " + requestName(r.code);
      line += status[static_cast<int>(r.status)];
      trace.push_back(std::move(line));
    }
    if (log_.size() >= kLogLimit) log_.erase(log_.begin(), log_.begin() + kLogLimit / 2);
    log_.push_back(r);
    lastWasFrame_ = it.kind == RequestParser::Item::Kind::Frame;
    if (r.ok()) respond(r, std::max(arrived, timeNow()), trace);
  }
}

void Emulator::respond(const Request& r, SteadyClock::time_point now, std::vector<std::string>& trace) {
  if (silent_) return;
  if (now < busyUntil_) return;  // still erasing

  bool drop = false, duplicate = false, corrupt = false, resend = false, fail = false, ignore = false;
  // Every answer the meter gives takes its delay, a lost one too.
  SteadyClock::duration delay = replyDelay_ + nextPatternDelay();
  const SteadyClock::duration ownDelay = delay;
  std::size_t chunk = splitChunk_;
  SteadyClock::duration pause = splitPause_;
  for (FaultRule& f : faults_) {
    if (f.times == 0 || (f.code >= 0 && f.code != r.code)) continue;
    if (f.fault == Fault::Fail && !isWrite(r.code)) continue;  // waits for a write
    if (f.skip > 0) {
      --f.skip;
      continue;
    }
    if (f.times > 0) --f.times;
    switch (f.fault) {
      case Fault::Drop:
        drop = true;
        break;
      case Fault::Duplicate:
        duplicate = true;
        break;
      case Fault::CorruptChecksum:
        corrupt = true;
        break;
      case Fault::Resend:
        resend = true;
        break;
      case Fault::Fail:
        fail = true;
        break;
      case Fault::Delay:
        delay += f.delay;
        break;
      case Fault::Split:
        chunk = std::max<std::size_t>(f.chunk, 1);
        pause = f.delay;
        break;
      case Fault::Ignore:
        ignore = true;
        break;
    }
  }
  faults_.erase(
      std::remove_if(faults_.begin(), faults_.end(), [](const FaultRule& f) { return f.times == 0; }),
      faults_.end());
  if (ignore) {
    if (trace_) trace.push_back(stamp(now) + " fault on " + requestName(r.code) + ": ignored");
    return;
  }

  Bytes reply;
  if (resend) {
    reply = makeReply(cmd::ResendRequest, {r.code});
  } else if (fail) {
    reply = makeReply(r.code, {0x00});
  } else {
    std::optional<Bytes> a = meter_.handle(r.code, r.params, now);
    if (!a) return;
    reply = std::move(*a);
    if (r.code == cmd::ClearMemory && eraseTime_ > SteadyClock::duration::zero()) {
      busyUntil_ = now + eraseTime_;
      delay += eraseTime_;
    }
  }
  if (corrupt) reply.back() ^= 0xFF;
  // A memory-list entry reply carries the entry number in payload byte 7.
  if ((reply[1] == cmd::ReadMemoryListFirst || reply[1] == cmd::ReadMemoryListNext) && reply.size() > 11)
    for (LostEntry& l : lostEntries_)
      if (l.times != 0 && l.entryNo == reply[4 + 7]) {
        if (l.times > 0) --l.times;
        drop = true;
      }

  if (sent_.size() >= kLogLimit) sent_.erase(sent_.begin(), sent_.begin() + kLogLimit / 2);
  sent_.push_back({now, r.code, reply, drop, {}, ++sentSeq_});
  if (trace_ && (drop || duplicate || corrupt || resend || fail || delay != ownDelay))
    trace.push_back(stamp(now) + " fault on the reply to " + requestName(r.code) + (drop ? ": dropped" : "") +
                    (duplicate ? ": sent twice" : "") + (corrupt ? ": checksum corrupted" : "") +
                    (resend ? ": resend request" : "") + (fail ? ": refused" : "") +
                    (delay != ownDelay ? ": delayed" : ""));
  if (drop) return;
  enqueue(reply, now + delay, chunk, sentSeq_, pause);
  if (duplicate) enqueue(reply, now + delay, chunk, sentSeq_, pause);
}

void Emulator::enqueue(const Bytes& reply, SteadyClock::time_point at, std::size_t chunk, std::uint64_t seq,
                       SteadyClock::duration pause) {
  const std::size_t step = chunk ? chunk : reply.size();
  for (std::size_t i = 0; i < reply.size(); i += step) {
    Piece p;
    p.bytes.assign(reply.begin() + static_cast<std::ptrdiff_t>(i),
                   reply.begin() + static_cast<std::ptrdiff_t>(std::min(reply.size(), i + step)));
    p.notBefore = at;
    p.gap = i ? pause : SteadyClock::duration::zero();
    p.last = i + step >= reply.size();
    p.seq = seq;
    pendingBytes_ += p.bytes.size();
    out_.push_back(std::move(p));
  }
}

void Emulator::dropOutput() {
  out_.clear();
  pendingBytes_ = 0;
}

SteadyClock::time_point Emulator::pump(bool& wantWrite, bool& hungUp) {
  wantWrite = false;
  while (!out_.empty()) {
    Piece& p = out_.front();
    const auto now = timeNow();
    if (now < p.notBefore) return p.notBefore;
    std::size_t n = p.bytes.size() - p.pos;
    if (pacing_) {
      // A UART hands the bytes over one by one: byte i is through the line
      // (i + 1) byte times after the piece started. Write what is through.
      if (!p.started) {
        p.started = true;
        // The line starts when the reply is due (or the one before it is
        // through), not when this thread got round to it: a late wake-up
        // delays the writes, not the line. After a stall (the other side
        // not reading) it starts afresh.
        const auto due = std::max(p.notBefore, lineFreeAt_);
        p.lineStart = now - due < kLateStart ? due : now;
        lineFreeAt_ = p.lineStart + kByteTime * static_cast<long>(p.bytes.size());
      }
      const auto through = now < p.lineStart ? 0 : static_cast<std::size_t>((now - p.lineStart) / kByteTime);
      const std::size_t due = std::min(p.bytes.size(), through);
      if (due <= p.pos) {
        // Come back when a few more bytes are through (fewer wake-ups).
        const std::size_t target = std::min(p.bytes.size(), p.pos + 8);
        return p.lineStart + kByteTime * static_cast<long>(target);
      }
      n = due - p.pos;
    }
    const ssize_t w = ::write(master_, p.bytes.data() + p.pos, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        wantWrite = true;  // the other side is not reading; wait for room
        return SteadyClock::time_point::max();
      }
      hungUp = true;
      return SteadyClock::time_point::max();
    }
    p.pos += static_cast<std::size_t>(w);
    pendingBytes_ -= static_cast<std::size_t>(w);
    if (p.pos < p.bytes.size()) continue;
    if (p.last && p.seq != 0)
      for (auto it = sent_.rbegin(); it != sent_.rend(); ++it)
        if (it->seq == p.seq) {
          if (it->written == SteadyClock::time_point{}) it->written = timeNow();
          break;
        }
    out_.pop_front();
    if (!out_.empty() && out_.front().gap > SteadyClock::duration::zero())
      out_.front().notBefore = std::max(out_.front().notBefore, timeNow() + out_.front().gap);
  }
  return SteadyClock::time_point::max();
}

}  // namespace vkz::emu
