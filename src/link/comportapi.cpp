#include "link/comportapi.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>

#include "base/trtext.h"
#include "link/comname.h"
#include "link/eventpump.h"
#include "link/linesettings.h"

namespace vkz {
namespace {

using Clock = std::chrono::steady_clock;

std::string hexUpper(std::uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", v);
  return buf;
}

// Modem status bits as the meter tools name them.
constexpr int kMsCts = 0x10, kMsDsr = 0x20, kMsRing = 0x40, kMsRlsd = 0x80;

// What a path that is not a serial device names, for the user.
std::string fileKind(mode_t mode) {
  if (S_ISREG(mode)) return trText("Port", "an ordinary file");
  if (S_ISDIR(mode)) return trText("Port", "a folder");
  if (S_ISFIFO(mode)) return trText("Port", "a pipe");
  if (S_ISSOCK(mode)) return trText("Port", "a socket");
  if (S_ISBLK(mode)) return trText("Port", "a disk device");
  if (S_ISCHR(mode)) return trText("Port", "a device that is not a terminal");
  return trText("Port", "not a device");
}

// "COM1 (/opt/vkz/com/COM1 -> /dev/ttyUSB0)": the port, its path, and
// where a link leads.
std::string portPlace(const std::string& name, const std::string& path) {
  std::string s = name + " (" + path;
  char real[PATH_MAX];
  if (::realpath(path.c_str(), real) != nullptr && path != real) s += std::string(" -> ") + real;
  return s + ")";
}

std::string notSerialText(const std::string& name, const std::string& path, mode_t mode) {
  return fillText(
      trText("Port",
             "%1 is not a serial device: it is %2. The port was not opened and nothing was written to it."),
      {portPlace(name, path), fileKind(mode)});
}

// A serial device the user may not open: on Linux the devices belong to a
// group (dialout on Debian and Ubuntu, uucp on Arch) that users join.
std::string noPermissionText(const std::string& name, const std::string& path, gid_t gid) {
  std::string s = fillText(trText("Port", "No permission to use %1."), {portPlace(name, path)});
  const group* g = gid != 0 ? ::getgrgid(gid) : nullptr;
  if (g != nullptr && g->gr_name != nullptr) {
    const std::string group = g->gr_name;
    s += fillText(
        trText("Port",
               " The device belongs to the group %1: add yourself to it with\n    sudo usermod -aG %1 "
               "$USER\nthen log out and in again."),
        {group});
  } else {
    s += trText("Port", " Ask the administrator of this computer for access to it.");
  }
  return s;
}

}  // namespace

ComPortAPI::ComPortAPI() = default;

ComPortAPI::~ComPortAPI() {
  CloseEveryPort();
}

void ComPortAPI::CloseEveryPort() {
  for (auto& p : CommPorts) {
    DropReader(p);
    if (p.Opened && p.fd >= 0) {
      ::tcflush(p.fd, TCOFLUSH);
      ::close(p.fd);
    }
    p.Opened = 0;
    p.fd = -1;
  }
}

void ComPortAPI::Reset() {
  CloseEveryPort();
  CommPorts = {};
  LastCommError = {};
  InBufferSize = 0;
  OutBufferSize = 0;
  writeWaitMs_ = 1000;
  quietWrites_ = 0;
}

void ComPortAPI::Init_API() {
  InBufferSize = 4096;
  OutBufferSize = 4096;
}

std::int32_t ComPortAPI::IsActivity(int port) const {
  return inRange(port) ? CommPorts[port].Handle : 0;
}

std::int16_t ComPortAPI::IsOpen(int port) const {
  return inRange(port) ? CommPorts[port].Opened : 0;
}

int ComPortAPI::NativeHandle(int port) const {
  if (!inRange(port) || !CommPorts[port].Opened) return -1;
  const CommPort& p = CommPorts[port];
  if (p.reader && (p.reader->reading() || p.reader->pending())) return p.reader->handle();
  return p.fd;
}

LineReader* ComPortAPI::StartReader(int port, std::vector<std::uint8_t> buffer, const ReplyFrame& parser,
                                    std::uint64_t framesCut) {
  if (!inRange(port)) return nullptr;
  CommPort& p = CommPorts[port];
  if (!p.Opened || p.fd < 0) return nullptr;
  // Pieces an earlier reader left are the window thread's to take first.
  if (p.reader && p.reader->pending()) return nullptr;
  const int fd = p.fd;
  try {
    p.reader = std::make_unique<LineReader>(
        fd, Timing(port),
        [this, fd](const std::vector<std::uint8_t>& bytes) { return WriteFromReader(fd, bytes); });
  } catch (const std::bad_alloc&) {
    p.reader.reset();
    return nullptr;
  }
  if (!p.reader->start(std::move(buffer), parser, framesCut)) {
    p.reader.reset();
    return nullptr;
  }
  return p.reader.get();
}

LineTiming ComPortAPI::Timing(int port) const {
  if (!inRange(port) || !CommPorts[port].Opened) return LineTiming::atBaud(0);
  return LineTiming::atBaud(SpeedToBaud(::cfgetispeed(&CommPorts[port].Dcb)));
}

void ComPortAPI::StopReader(int port) {
  if (inRange(port) && CommPorts[port].reader) CommPorts[port].reader->stop();
}

LineReader* ComPortAPI::Reader(int port) const {
  if (!inRange(port)) return nullptr;
  return CommPorts[port].reader.get();
}

void ComPortAPI::DropReader(CommPort& port) {
  port.reader.reset();
}

bool ComPortAPI::WriteFromReader(int fd, const std::vector<std::uint8_t>& bytes) {
  // The reader's requests are a few bytes into an output queue that is
  // empty while the meter answers: a queue that takes nothing for this long
  // is left to the window thread's write, which reports it.
  constexpr auto kLongestWait = std::chrono::milliseconds(100);
  int err = 0;
  return writeWithin(fd, bytes, Clock::now() + kLongestWait, err) == bytes.size();
}

std::size_t ComPortAPI::writeWithin(int fd, const std::vector<std::uint8_t>& bytes,
                                    std::chrono::steady_clock::time_point deadline, int& err) {
  const std::lock_guard lock(writeLock_);
  std::size_t done = 0;
  err = 0;
  while (done < bytes.size()) {
    const ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (w > 0) {
      done += static_cast<std::size_t>(w);
      continue;
    }
    if (w < 0 && errno == EINTR) continue;
    if (w < 0 && errno != EAGAIN) {
      err = errno;
      break;
    }
    // The output queue is full: wait for room, but never past the bound.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      err = ETIMEDOUT;
      break;
    }
    pollfd pfd{fd, POLLOUT, 0};
    const int pr = ::poll(&pfd, 1, static_cast<int>(left < 50 ? left : 50));
    if (pr == 1 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) && !(pfd.revents & POLLOUT)) {
      err = EIO;
      break;
    }
  }
  return done;
}

std::string ComPortAPI::DevicePath(int port) const {
  return inRange(port) ? CommPorts[port].path : "";
}

std::string ComPortAPI::GetSystemMessage(std::int32_t errorCode) {
  const char* text = errorCode > 0 ? ::strerrordesc_np(errorCode) : nullptr;
  if (text == nullptr) return "";
  std::string s(text);
  const auto b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::int32_t ComPortAPI::RecordApiError(const std::string& functionText, int code) {
  LastCommError = {code, functionText, GetSystemMessage(code)};
  return code;
}

std::int32_t ComPortAPI::RecordCommError(const std::string& functionText, int code, CommPort& port) {
  LastCommError = {code, functionText,
                   GetSystemMessage(code) + "  COMM Error Flags = " + hexUpper(CommErrorFlags(port))};
  return code;
}

std::int32_t ComPortAPI::RecordRangeError(const std::string& functionText) {
  LastCommError = {kPortRangeError, functionText, "Subscript out of range"};
  return kPortRangeError;
}

// Line errors since the last query, as flag bits: 0x1 receive queue overrun,
// 0x2 character overrun, 0x4 parity, 0x8 framing, 0x10 break. A device
// without error counters (a pseudo-terminal) reports none.
std::uint32_t ComPortAPI::CommErrorFlags(CommPort& port) {
  if (port.fd < 0) return 0;
  serial_icounter_struct ic{};
  if (::ioctl(port.fd, TIOCGICOUNT, &ic) != 0) return 0;
  const std::array<int, 5> now{ic.overrun, ic.buf_overrun, ic.parity, ic.frame, ic.brk};
  static constexpr std::uint32_t kBits[] = {0x2, 0x1, 0x4, 0x8, 0x10};
  std::uint32_t flags = 0;
  for (std::size_t i = 0; i < now.size(); ++i)
    if (now[i] != port.errorCounts[i]) flags |= kBits[i];
  port.errorCounts = now;
  return flags;
}

std::int32_t ComPortAPI::SetState(CommPort& port, const std::string& settings, const std::string& member) {
  termios t{};
  if (port.fd < 0 || ::tcgetattr(port.fd, &t) != 0) {
    return RecordApiError(member + " (GetCommState)", port.fd < 0 ? EBADF : errno);
  }
  port.Dcb = t;
  const auto parsed = ParseLineSettings(settings);
  if (!parsed || !ApplyLineSettings(port.Dcb, *parsed)) {
    return RecordApiError(member + " (BuildCommDCB)", EINVAL);
  }
  if (::tcsetattr(port.fd, TCSANOW, &port.Dcb) != 0) return RecordApiError(member + " (SetCommState)", errno);
  return 0;
}

// Opens the device of a port for reading and writing, never as the
// controlling terminal, never waiting for a carrier, and for this program
// alone. Only a terminal device is a port: an ordinary file linked as
// com/COMn would have its first bytes overwritten by every request, and a
// read notifier on it would never rest. Returns the descriptor, or -1 with
// the failure recorded (and kept for the user when the user can mend it).
int ComPortAPI::OpenDevice(CommPort& p, const std::string& portName, const std::string& path) {
  p.refusal.clear();
  const char* const function = "CommOpen (CreateFile)";
  if (path.empty()) {
    RecordApiError(function, ENOENT);
    return -1;
  }
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    const bool refused = err == EACCES || err == EPERM || err == EISDIR;
    if (refused && exists && !S_ISCHR(st.st_mode)) {
      p.refusal = notSerialText(portName, path, st.st_mode);
      LastCommError = {ENOTTY, function, p.refusal};
    } else if (refused && exists) {
      p.refusal = noPermissionText(portName, path, st.st_gid);
      LastCommError = {err, function, p.refusal};
    } else {
      RecordApiError(function, err);
    }
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode) || !::isatty(fd)) {
    ::close(fd);
    p.refusal = notSerialText(portName, path, st.st_mode);
    LastCommError = {ENOTTY, function, p.refusal};
    return -1;
  }
  // Keep the port off descriptors 0..2, which a program started without
  // them would otherwise hand out.
  if (fd < 3) {
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    const int err = errno;
    ::close(fd);
    if (moved < 0) {
      RecordApiError(function, err);
      return -1;
    }
    fd = moved;
  }
  // Exclusive use: a device that another program (or another port number
  // of this one) holds is refused. A lock, unlike TIOCEXCL, binds root too.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = (errno == EWOULDBLOCK) ? EBUSY : errno;
    ::close(fd);
    RecordApiError(function, err);
    return -1;
  }
  return fd;
}

std::string ComPortAPI::OpenRefusal(int port) const {
  return inRange(port) ? CommPorts[port].refusal : "";
}

std::int32_t ComPortAPI::CommOpen(int port, const std::string& portName, const std::string& settings) {
  return CommOpenAt(port, portName, ComDevicePath(portName), settings);
}

std::int32_t ComPortAPI::CommOpenAt(int port, const std::string& portName, const std::string& path,
                                    const std::string& settings) {
  if (!inRange(port)) return RecordRangeError("CommOpen");
  CommPort& p = CommPorts[port];
  if (p.Opened) {
    LastCommError = {-1, "CommOpen", "Port in use."};
    return -2;
  }

  const int fd = OpenDevice(p, portName, path);
  p.Handle = fd >= 0 ? fd : -1;
  if (fd < 0) return LastCommError.ErrorCode;

  p.fd = fd;
  p.Opened = -1;
  p.path = path;
  p.writeStalled = false;
  p.errorCounts = {};
  CommErrorFlags(p);  // start the error counters from here

  // Raw line, whatever the device was left in: a cooked terminal would turn
  // 0x0A into 0x0D 0x0A and swallow 0x03, 0x11 and 0x13 of a frame.
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return RecordApiError("CommOpen (SetupComm)", errno);
  MakeRawKeepLine(t);
  if (::tcsetattr(fd, TCSANOW, &t) != 0) return RecordApiError("CommOpen (SetupComm)", errno);
  if (::tcflush(fd, TCIOFLUSH) != 0) return RecordApiError("CommOpen (PurgeComm)", errno);
  // Time-outs: reads never wait (VMIN 0, VTIME 0 and a non-blocking
  // descriptor); CommWrite keeps its own bound.
  return SetState(p, settings, "CommOpen");
}

std::int32_t ComPortAPI::CommSet(int port, const std::string& settings) {
  if (!inRange(port)) return RecordRangeError("CommSet");
  // The reader reads at the old speed's pace: it ends, the window thread
  // reads again.
  StopReader(port);
  return SetState(CommPorts[port], settings, "CommSet");
}

std::int32_t ComPortAPI::CommClose(int port) {
  if (!inRange(port)) return RecordRangeError("CommClose");
  CommPort& p = CommPorts[port];
  DropReader(p);
  if (!p.Opened) return 0;
  const int fd = p.fd;
  // The descriptor is gone after close() whatever it reports, so the port
  // counts as closed even on an error (a stale number could be reused).
  p.fd = -1;
  p.Opened = 0;
  // Unsent bytes are dropped: a line that does not drain (a stuck flow
  // control) would otherwise hold close() for half a minute.
  ::tcflush(fd, TCOFLUSH);
  if (::close(fd) != 0) return RecordApiError("CommClose (CloseHandle)", errno);
  return 0;
}

std::int32_t ComPortAPI::CommFlush(int port) {
  if (!inRange(port)) return RecordRangeError("CommFlush");
  CommPort& p = CommPorts[port];
  // What the reader read and not yet handed on is purged with the queues.
  DropReader(p);
  if (p.fd < 0) return RecordApiError("CommFlush (PurgeComm)", EBADF);
  if (::tcflush(p.fd, TCIOFLUSH) != 0) return RecordApiError("CommFlush (PurgeComm)", errno);
  return 0;
}

std::int32_t ComPortAPI::IsInBuffSize(int port) {
  if (!inRange(port)) {
    RecordRangeError("InBufferCount");
    return 0;
  }
  pumpEvents();
  CommPort& p = CommPorts[port];
  int n = 0;
  if (p.fd < 0 || ::ioctl(p.fd, FIONREAD, &n) != 0) {
    RecordApiError("InBufferCount (InBufferCountError)", p.fd < 0 ? EBADF : errno);
    return 0;
  }
  return n < 1 ? 0 : n;
}

std::int32_t ComPortAPI::CommRead(int port, std::vector<std::uint8_t>& bytes, std::int32_t /*maxBytes*/) {
  if (!inRange(port)) {
    RecordRangeError("CommRead");
    return -1;
  }
  pumpEvents();
  // Looked up after the turn of the event loop: a handler may have closed
  // the port meanwhile.
  CommPort& p = CommPorts[port];
  if (p.fd < 0) {
    RecordApiError("CommRead (ClearCommError)", EBADF);
    return -1;
  }
  if (p.reader) {
    if (auto piece = p.reader->take()) {
      if (piece->error != 0) {
        RecordCommError("CommRead (ReadFile)", piece->error, p);
        return -1;
      }
      bytes = std::move(piece->bytes);
      return static_cast<std::int32_t>(bytes.size());
    }
    // The thread reads the port: the window thread never does meanwhile.
    // A reader that has ended and handed everything on is kept until the
    // next one (its handle may still be watched), and the port is read here.
    if (p.reader->reading()) return 0;
  }
  int n = 0;
  if (::ioctl(p.fd, FIONREAD, &n) != 0) {
    RecordApiError("CommRead (ClearCommError)", errno);
    return -1;
  }
  if (n <= 0) {
    // Nothing queued: tell a quiet line from a device that has gone (the
    // other side of a pseudo-terminal closed, an adapter unplugged).
    pollfd pfd{p.fd, POLLIN, 0};
    if (::poll(&pfd, 1, 0) == 1 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL))) {
      RecordApiError("CommRead (ClearCommError)", EIO);
      return -1;
    }
    return 0;
  }
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(n));
  ssize_t r;
  do {
    r = ::read(p.fd, buf.data(), buf.size());
  } while (r < 0 && errno == EINTR);
  if (r < 0) {
    if (errno == EAGAIN) return 0;
    RecordCommError("CommRead (ReadFile)", errno, p);
    return -1;
  }
  if (r == 0) return 0;
  buf.resize(static_cast<std::size_t>(r));
  bytes = std::move(buf);
  return static_cast<std::int32_t>(r);
}

std::int32_t ComPortAPI::CommWrite(int port, const std::vector<std::uint8_t>& bytes,
                                   const std::function<void(std::int32_t)>& outcome) {
  if (!inRange(port)) {
    RecordRangeError("CommWrite");
    if (outcome) outcome(0);
    return 0;
  }
  CommPort& p = CommPorts[port];
  if (p.fd < 0) {
    RecordCommError("CommWrite (WriteFile)", EBADF, p);
    if (outcome) outcome(-1);
    if (quietWrites_ == 0) pumpEvents();
    return -1;
  }
  int err = 0;
  const std::size_t done = writeWithin(
      p.fd, bytes, Clock::now() + std::chrono::milliseconds(p.writeStalled ? 0 : writeWaitMs_), err);
  std::int32_t result = static_cast<std::int32_t>(done);
  if (err == ETIMEDOUT) {
    p.writeStalled = true;
    RecordCommError("CommWrite (WriteFile)", err, p);
  } else if (err != 0) {
    RecordCommError("CommWrite (WriteFile)", err, p);
    result = -1;
  } else {
    p.writeStalled = false;
  }
  if (outcome) outcome(result);
  if (quietWrites_ == 0) {
    pumpEvents();
    if (err == 0) {
      for (int i = 0; i < 10; ++i) pumpEvents();
    }
  }
  return result;
}

std::int32_t ComPortAPI::CommGetLine(int port, std::int16_t whichLine, std::int16_t& state) {
  if (!inRange(port)) return RecordRangeError("CommReadCD");
  CommPort& p = CommPorts[port];
  int bits = 0;
  if (p.fd < 0 || ::ioctl(p.fd, TIOCMGET, &bits) != 0) {
    return RecordApiError("CommReadCD (GetCommModemStatus)", p.fd < 0 ? EBADF : errno);
  }
  int status = 0;
  if (bits & TIOCM_CTS) status |= kMsCts;
  if (bits & TIOCM_DSR) status |= kMsDsr;
  if (bits & TIOCM_RI) status |= kMsRing;
  if (bits & TIOCM_CD) status |= kMsRlsd;
  state = (whichLine & status) ? -1 : 0;
  return 0;
}

std::int32_t ComPortAPI::CommSetLine(int port, std::int16_t whichLine, std::int16_t state) {
  if (!inRange(port)) return RecordRangeError("CommSetLine");
  CommPort& p = CommPorts[port];
  const bool on = state != 0;
  int rc = -1;
  int err = EINVAL;  // a line other than break, DTR and RTS
  if (p.fd < 0) {
    err = EBADF;
  } else if (whichLine == 1) {
    rc = ::ioctl(p.fd, on ? TIOCSBRK : TIOCCBRK);
    err = errno;
  } else if (whichLine == 2 || whichLine == 3) {
    int bit = whichLine == 2 ? TIOCM_DTR : TIOCM_RTS;
    rc = ::ioctl(p.fd, on ? TIOCMBIS : TIOCMBIC, &bit);
    err = errno;
  }
  if (rc != 0) return RecordApiError("CommSetLine (EscapeCommFunction)", err);
  return 0;
}

std::int32_t ComPortAPI::CommGetError(std::string& message) const {
  message = "Error (" + std::to_string(LastCommError.ErrorCode) + "): " + LastCommError.ErrorFunction +
            " - " + LastCommError.ErrorMessage;
  return LastCommError.ErrorCode;
}

}  // namespace vkz
