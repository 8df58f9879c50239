#include "pdf/filebytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

namespace vkz {

bool readRegularFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
  bytes.clear();
  // Not blocking: opening a pipe that nobody writes to returns at once.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    error = std::strerror(errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? "a folder, not a file" : "not a regular file";
    return false;
  }
  try {
    bytes.resize(static_cast<std::size_t>(st.st_size));
  } catch (const std::exception&) {
    error = "too large to be read";
    return false;
  }
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = std::strerror(errno);
      bytes.clear();
      return false;
    }
    if (n == 0) break;  // the file got shorter while it was read
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return true;
}

}  // namespace vkz
