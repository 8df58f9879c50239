// A data file on disk: opened once, its first line read to decide on it,
// then read whole from the same descriptor.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <string>

#include "base/log.h"
#include "base/trtext.h"
#include "views/datafile.h"
#include "views/datafiletext.h"

namespace vkz {

using detail::kMaxLine;
using detail::lineName;

namespace {

// The file is read a block at a time (a few hundred reads for a file of a
// million records).
constexpr size_t kBlock = 256 << 10;

// The outcome of reading a data file (or its first line), on vkz.file.
void logRead(const std::string& path, const OpenResult& r) {
  if (r.ok()) {
    logLazy(LogArea::File, LogLevel::Info, [&] {
      return "\"" + path + "\" read: " + std::to_string(r.lines) + " lines, " + std::to_string(r.records) +
             " records";
    });
  } else {
    logLazy(LogArea::File, LogLevel::Warning, [&] { return r.message; });  // it names the file
  }
}

// Every message about a file names it: those that do not yet are led by
// its path.
OpenResult namingFile(const std::string& path, OpenResult r) {
  if (!r.message.empty() && r.message.find(path) == std::string::npos)
    r.message = fillText(trText("DataFile", "\"%1\": %2"), {path, r.message});
  return r;
}

// Reads `fd` from its start into `block` and hands each part read to
// `take`, until the file ends or `take` returns false. The errno of a read
// that failed, else 0.
template <typename Take>
int readFromStart(int fd, char* block, size_t size, Take take) {
  for (off_t at = 0;;) {
    const ssize_t n = ::pread(fd, block, size, at);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0 || !take(std::string_view(block, static_cast<size_t>(n)))) return 0;
    at += n;
  }
}

OpenResult readError(std::string message) {
  OpenResult r;
  r.status = OpenStatus::ReadError;
  r.message = std::move(message);
  return r;
}

}  // namespace

DataFileInput::DataFileInput(std::string path) : path_(std::move(path)) {
  // Without waiting for a writer, should the path name a pipe.
  const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    openError_ = fillText(trText("DataFile", "Cannot open \"%1\" (%2)."), {path_, std::strerror(errno)});
  } else if (!S_ISREG(st.st_mode)) {
    openError_ = fillText(trText("DataFile", "Cannot open \"%1\": it is not a file."), {path_});
  } else {
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(st.st_size);
    return;
  }
  if (fd >= 0) ::close(fd);
}

DataFileInput::~DataFileInput() {
  if (fd_ >= 0) ::close(fd_);
}

OpenResult DataFileInput::readModel(std::string_view meterModel) {
  if (fd_ < 0) return namingFile(path_, readError(openError_));
  // Up to the first line end (CR or LF), and no further than a line may be.
  std::string head;
  size_t end = std::string::npos;
  int readErrno = 0;
  try {
    std::string block(std::size_t{1} << 16, '\0');
    readErrno = readFromStart(fd_, block.data(), block.size(), [&](std::string_view b) {
      const size_t from = head.size();
      head.append(b);
      end = head.find_first_of("\r\n", from);
      return end == std::string::npos && head.size() <= kMaxLine;
    });
  } catch (const std::bad_alloc&) {
    readErrno = ENOMEM;
  }
  OpenResult r;
  if (readErrno != 0) {
    r = readError(
        fillText(trText("DataFile", "Reading \"%1\" failed (%2)."), {path_, std::strerror(readErrno)}));
  } else if (head.empty()) {
    r.status = OpenStatus::Empty;
    r.message = trText("DataFile", "The file is empty.");
  } else if (std::min(end, head.size()) > kMaxLine) {
    r.status = OpenStatus::Damaged;
    r.badLine = 0;
    r.message = trText(
        "DataFile", "Line 1 is longer than 1 MiB; the file is damaged or not a data file. Nothing was read.");
  } else {
    const std::string_view raw(head.data(), std::min(end, head.size()));
    bool utf8 = false;
    detail::judgeModelLine(raw, raw.find('\0') != std::string_view::npos, meterModel, r, utf8);
  }
  r = namingFile(path_, std::move(r));
  if (!r.ok()) logRead(path_, r);  // a first line that passes is logged with the whole read
  return r;
}

OpenResult DataFileInput::read(std::string_view meterModel, GridData& userInfo, GridData& header,
                               GridData& records, MeasurementData& data) {
  if (fd_ < 0) {
    OpenResult r = namingFile(path_, readError(openError_));
    logRead(path_, r);
    return r;
  }
  DataFileLoader loader(meterModel, userInfo, header, records, data, size_);
  int readErrno = 0;
  try {
    std::string block(kBlock, '\0');
    readErrno =
        readFromStart(fd_, block.data(), block.size(), [&](std::string_view b) { return loader.feed(b); });
  } catch (const std::bad_alloc&) {
    readErrno = ENOMEM;
  }
  if (readErrno != 0) loader.dropPartialLine();
  OpenResult r = loader.finish();
  if (readErrno != 0 && r.status != OpenStatus::NotDataFile) {
    r.status = OpenStatus::ReadError;
    r.badLine = r.lines;
    r.message =
        fillText(trText("DataFile", "Reading \"%1\" failed at %2 (%3); the lines before it were read."),
                 {path_, lineName(r.lines, false), std::strerror(readErrno)});
  }
  r = namingFile(path_, std::move(r));
  logRead(path_, r);
  return r;
}

OpenResult ReadDataFile(const std::string& path, std::string_view meterModel, GridData& userInfo,
                        GridData& header, GridData& records, MeasurementData& data) {
  return DataFileInput(path).read(meterModel, userInfo, header, records, data);
}

}  // namespace vkz
