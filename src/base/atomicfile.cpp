#include "base/atomicfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/trtext.h"

namespace vkz {
namespace {

constexpr size_t kBlock = 1 << 20;
constexpr size_t kDirect = 64 << 10;

mode_t currentUmask() {
  mode_t m = ::umask(0);
  ::umask(m);
  return m;
}

}  // namespace

void ignoreFileSizeSignal() {
  std::signal(SIGXFSZ, SIG_IGN);
}

AtomicFileWriter::~AtomicFileWriter() {
  abort();
}

bool AtomicFileWriter::fail(const std::string& what, int err) {
  reason_ = std::strerror(err);
  error_ = what + " (" + reason_ + ")";
  abort();
  return false;
}

bool AtomicFileWriter::open(const std::string& target) {
  abort();
  error_.clear();
  reason_.clear();
  ignoreFileSizeSignal();
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path path(target);
  // Saving over a symbolic link replaces the file it points to, not the link.
  if (fs::is_symlink(path, ec)) {
    fs::path real = fs::weakly_canonical(path, ec);
    if (!ec) path = real;
  }
  if (path.filename().empty()) return fail(trText("DataFile", "No file name was given"), EINVAL);
  if (fs::is_directory(path, ec))
    return fail(fillText(trText("DataFile", "\"%1\" is a folder"), {path.string()}), EISDIR);
  // A device or a pipe of that name is never replaced by a file.
  const fs::file_status existing = fs::status(path, ec);
  if (fs::exists(existing) && !fs::is_regular_file(existing)) {
    reason_ = trText("DataFile", "not a file that can be replaced");
    error_ = fillText(trText("DataFile", "\"%1\" is %2"), {path.string(), reason_});
    return false;
  }
  target_ = path.string();
  fs::path dir = path.parent_path();
  std::string tmpl =
      (dir.empty() ? fs::path(".") : dir).string() + "/." + path.filename().string() + ".XXXXXX";
  int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (fd < 0) {
    // Taken before the message is made, which may set errno anew.
    const int err = errno;
    return fail(fillText(trText("DataFile", "Cannot create a file in the folder \"%1\""), {dir.string()}),
                err);
  }
  fd_ = fd;
  temp_ = tmpl;
  // The new file gets the rights of the file it replaces, or those of a
  // newly created file.
  struct stat st {};
  mode_t mode = ::stat(target_.c_str(), &st) == 0 ? (st.st_mode & 07777) : (0666 & ~currentUmask());
  ::fchmod(fd_, mode);
  buffer_.reserve(kBlock);
  return true;
}

bool AtomicFileWriter::writeAll(std::string_view bytes) {
  size_t off = 0;
  while (off < bytes.size()) {
    ssize_t n = ::write(fd_, bytes.data() + off, bytes.size() - off);
    if (n < 0) {
      const int err = errno;
      if (err == EINTR) continue;
      return fail(fillText(trText("DataFile", "Cannot write \"%1\""), {target_}), err);
    }
    off += static_cast<size_t>(n);
  }
  return true;
}

bool AtomicFileWriter::flushBuffer() {
  if (!writeAll(buffer_)) return false;
  buffer_.clear();
  return true;
}

bool AtomicFileWriter::write(std::string_view bytes) {
  if (fd_ < 0) return false;
  // A large piece goes to the file as it is, without a copy.
  if (bytes.size() >= kDirect) return flushBuffer() && writeAll(bytes);
  buffer_.append(bytes);
  if (buffer_.size() >= kBlock) return flushBuffer();
  return true;
}

bool AtomicFileWriter::writeThrough(std::string_view bytes) {
  if (fd_ < 0) return false;
  return flushBuffer() && writeAll(bytes);
}

bool AtomicFileWriter::commit(bool sync) {
  if (fd_ < 0) return false;
  if (!flushBuffer()) return false;
  if (sync && ::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) {
    const int err = errno;
    return fail(fillText(trText("DataFile", "Cannot write \"%1\" to the disk"), {target_}), err);
  }
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    const int err = errno;
    return fail(fillText(trText("DataFile", "Cannot write \"%1\""), {target_}), err);
  }
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    const int err = errno;
    return fail(fillText(trText("DataFile", "Cannot replace \"%1\""), {target_}), err);
  }
  temp_.clear();
  if (!sync) return true;
  // Make the rename itself durable.
  std::string dir = std::filesystem::path(target_).parent_path().string();
  int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

void AtomicFileWriter::abort() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
  buffer_.clear();
}

}  // namespace vkz
