// A pseudo-terminal standing in for the meter's cable in tests: the test
// holds the master side; the slave side is linked as com/COMn in a folder
// of the test's own, which the program takes as its own folder.
#pragma once
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/appdir.h"
#include "link/comname.h"

namespace vkztest {

// A temporary program folder with an empty com/ beside it.
class TempAppDir {
 public:
  TempAppDir() {
    char tmpl[] = "/tmp/vkz-link-XXXXXX";
    dir_ = ::mkdtemp(tmpl);
    std::filesystem::create_directories(dir_ + "/com");
    use();
  }
  // Makes the folder the program's own, with the /dev fallback off (again,
  // after the test's reset put the defaults back).
  void use() const {
    vkz::setAppDir(dir_);
    vkz::setComFallback(false);
  }
  ~TempAppDir() {
    vkz::setAppDir("");
    vkz::setComFallback(true);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  const std::string& path() const { return dir_; }
  // Links com/<name> to `target`.
  void link(const std::string& name, const std::string& target) const {
    const std::string p = dir_ + "/com/" + name;
    ::unlink(p.c_str());
    std::filesystem::create_symlink(target, p);
  }

 private:
  std::string dir_;
};

class TestPty {
 public:
  TestPty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) slave_ = ::ptsname(master_);
  }
  ~TestPty() { close(); }
  bool ok() const { return master_ >= 0 && !slave_.empty(); }
  int master() const { return master_; }
  const std::string& slave() const { return slave_; }
  void close() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

  void send(const std::vector<std::uint8_t>& bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t w = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (w > 0)
        done += static_cast<std::size_t>(w);
      else
        waitFor(POLLOUT, 1000);
    }
  }

  // Everything the program wrote, once `count` bytes are there (or after a
  // second without them). Bytes reach the master side almost at once; the
  // wait only covers the kernel's hand-over.
  std::vector<std::uint8_t> receive(std::size_t count) const {
    std::vector<std::uint8_t> out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (out.size() < count && std::chrono::steady_clock::now() < end) {
      std::uint8_t buf[4096];
      const ssize_t r = ::read(master_, buf, sizeof buf);
      if (r > 0)
        out.insert(out.end(), buf, buf + r);
      else
        waitFor(POLLIN, 20);
    }
    return out;
  }
  // Whatever is waiting now, without waiting.
  std::vector<std::uint8_t> drain() const {
    std::vector<std::uint8_t> out;
    std::uint8_t buf[4096];
    ssize_t r;
    while ((r = ::read(master_, buf, sizeof buf)) > 0) out.insert(out.end(), buf, buf + r);
    return out;
  }

 private:
  void waitFor(short events, int ms) const {
    pollfd p{master_, events, 0};
    ::poll(&p, 1, ms);
  }
  int master_ = -1;
  std::string slave_;
};

// Waits until `fd` has bytes to read (at most a second).
inline bool waitReadable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, 1000) == 1;
}

inline std::vector<std::uint8_t> hexBytes(const std::string& hex) {
  std::vector<std::uint8_t> out;
  unsigned v = 0;
  int digits = 0;
  for (char c : hex) {
    int d = (c >= '0' && c <= '9')   ? c - '0'
            : (c >= 'A' && c <= 'F') ? c - 'A' + 10
            : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                     : -1;
    if (d < 0) continue;
    v = v * 16 + static_cast<unsigned>(d);
    if (++digits == 2) {
      out.push_back(static_cast<std::uint8_t>(v));
      v = 0;
      digits = 0;
    }
  }
  return out;
}

}  // namespace vkztest
