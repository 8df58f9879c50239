#include "pdf/filebytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>

#include "base/trtext.h"

namespace vkz {
namespace {

struct Closer {
  int fd;
  ~Closer() {
    if (fd >= 0) ::close(fd);
  }
};

// Opens `path` for reading when it is a regular file; its size in `size`.
int openRegular(const std::string& path, off_t& size, std::string& error) {
  // Not blocking: opening a pipe that nobody writes to returns at once.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    error = std::strerror(errno);
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? trText("PdfWriter", "a folder, not a file")
                                : trText("PdfWriter", "not a regular file");
    ::close(fd);
    return -1;
  }
  size = st.st_size;
  return fd;
}

// Reads up to `count` bytes at `to`; the bytes read, or -1 (reason in
// `error`). Fewer than asked when the file ends first.
long long readSome(int fd, char* to, std::size_t count, std::string& error) {
  std::size_t got = 0;
  while (got < count) {
    const ssize_t n = ::read(fd, to + got, count - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = std::strerror(errno);
      return -1;
    }
    if (n == 0) break;  // the file got shorter while it was read
    got += static_cast<std::size_t>(n);
  }
  return static_cast<long long>(got);
}

}  // namespace

bool readRegularFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
  bytes.clear();
  off_t size = 0;
  Closer closer{openRegular(path, size, error)};
  if (closer.fd < 0) return false;
  try {
    bytes.resize(static_cast<std::size_t>(size));
  } catch (const std::exception&) {
    error = trText("PdfWriter", "too large to be read");
    return false;
  }
  const long long got = readSome(closer.fd, reinterpret_cast<char*>(bytes.data()), bytes.size(), error);
  if (got < 0) {
    bytes.clear();
    return false;
  }
  bytes.resize(static_cast<std::size_t>(got));
  return true;
}

bool readRegularFileHead(const std::string& path, std::size_t firstPiece,
                         const std::function<bool(std::string_view text, bool whole)>& enough,
                         std::string& error) {
  off_t size = 0;
  Closer closer{openRegular(path, size, error)};
  if (closer.fd < 0) return false;
  const auto total = static_cast<std::size_t>(size);
  // Bytes that are read over at once are not cleared first.
  std::unique_ptr<char[]> buf;
  std::size_t have = 0, capacity = 0;
  std::size_t want = std::min(total, std::max<std::size_t>(firstPiece, 1));
  for (;;) {
    if (want > capacity) {
      std::unique_ptr<char[]> bigger;
      try {
        bigger.reset(new char[want]);
      } catch (const std::exception&) {
        error = trText("PdfWriter", "too large to be read");
        return false;
      }
      if (have > 0) std::memcpy(bigger.get(), buf.get(), have);
      buf = std::move(bigger);
      capacity = want;
    }
    const long long got = readSome(closer.fd, buf.get() + have, want - have, error);
    if (got < 0) return false;
    have += static_cast<std::size_t>(got);
    const bool whole = have >= total || have < want;
    if (enough(std::string_view(buf.get(), have), whole) || whole) return true;
    want = std::min(total, want * 4);
  }
}

}  // namespace vkz
