#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "base/log.h"
#include "base/trtext.h"
#include "views/datafile.h"
#include "views/datafiletext.h"

namespace vkz {

using detail::kMaxLine;
using detail::lineName;

namespace {

OpenResult readError(OpenResult r, const std::string& what) {
  r.status = OpenStatus::ReadError;
  r.message = what;
  return r;
}

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

// Opens a regular file for reading: its descriptor and size, or the
// message that says why it cannot be read.
struct OpenedFile {
  int fd = -1;
  std::uint64_t size = 0;
  std::string error;
};

OpenedFile openForReading(const std::string& path) {
  OpenedFile f;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    f.error = fillText(trText("DataFile", "Cannot open \"%1\" (%2)."), {path, std::strerror(errno)});
  } else if (!S_ISREG(st.st_mode)) {
    f.error = fillText(trText("DataFile", "Cannot open \"%1\": it is not a file."), {path});
  } else if ((f.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC)) < 0) {
    f.error = fillText(trText("DataFile", "Cannot open \"%1\" (%2)."), {path, std::strerror(errno)});
  } else {
    f.size = static_cast<std::uint64_t>(st.st_size);
  }
  return f;
}

// Reads `fd` into `block` (of `size` bytes) and hands each part read to
// `take`, until the file ends or `take` returns false. The errno of a read
// that failed, else 0.
template <typename Take>
int readBlocks(int fd, char* block, size_t size, Take take) {
  for (;;) {
    const ssize_t n = ::read(fd, block, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0 || !take(std::string_view(block, static_cast<size_t>(n)))) return 0;
  }
}

// Reads `bytes` bytes at `offset` of `fd` into `into` (see ReadAt).
int readAt(int fd, char* into, std::size_t bytes, std::uint64_t offset) {
  while (bytes > 0) {
    const ssize_t n = ::pread(fd, into, bytes, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;  // the file is shorter than it was
    into += n;
    bytes -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return 0;
}

OpenResult readDataFile(const std::string& path, std::string_view meterModel, GridData& userInfo,
                        GridData& header, GridData& records, MeasurementData& data,
                        const RecordSplit& split) {
  const OpenedFile file = openForReading(path);
  if (file.fd < 0) return readError({}, file.error);
  const int fd = file.fd;

  DataFileLoader loader(meterModel, userInfo, header, records, data, file.size, split);
  // The bytes go from the kernel's page cache to the reader through a
  // block of the stack: no memory of the heap is made (and cleared) for it.
  // (A quarter of a MiB: a few hundred reads for a file of a million records.)
  char block[256 << 10];
  const auto feed = [&](std::string_view b) { return loader.feed(b) && loader.recordsAt() == 0; };
  int readErrno = readBlocks(fd, block, sizeof block, feed);
  if (readErrno == 0 && loader.recordsAt() != 0) {
    // The records of a large file, read straight into the record grid side
    // by side; the reading goes on past them, or from them on line by line.
    const std::uint64_t from = loader.recordsAt();
    const bool all = loader.readRecordsSplit([fd](char* into, std::size_t bytes, std::uint64_t offset) {
      return readAt(fd, into, bytes, offset);
    });
    if (::lseek(fd, static_cast<off_t>(all ? file.size : from), SEEK_SET) < 0)
      readErrno = errno;
    else
      readErrno = readBlocks(fd, block, sizeof block, feed);
  }
  ::close(fd);
  if (readErrno != 0) loader.dropPartialLine();
  OpenResult r = loader.finish();
  if (readErrno != 0 && r.status != OpenStatus::NotDataFile) {
    r.status = OpenStatus::ReadError;
    r.badLine = r.lines;
    r.message =
        fillText(trText("DataFile", "Reading \"%1\" failed at %2 (%3); the lines before it were read."),
                 {path, lineName(r.lines, false), std::strerror(readErrno)});
  }
  return r;
}

OpenResult readDataFileModel(const std::string& path, std::string_view meterModel) {
  const OpenedFile file = openForReading(path);
  if (file.fd < 0) return readError({}, file.error);
  const int fd = file.fd;
  // Up to the first line end (CR or LF), and no further than a line may be.
  std::string head;
  size_t end = std::string::npos;
  int readErrno = 0;
  try {
    char block[1 << 16];
    readErrno = readBlocks(fd, block, sizeof block, [&](std::string_view b) {
      const size_t from = head.size();
      head.append(b);
      end = head.find_first_of("\r\n", from);
      return end == std::string::npos && head.size() <= kMaxLine;
    });
  } catch (const std::bad_alloc&) {
    readErrno = ENOMEM;
  }
  ::close(fd);
  OpenResult r;
  if (readErrno != 0)
    return readError(
        r, fillText(trText("DataFile", "Reading \"%1\" failed (%2)."), {path, std::strerror(readErrno)}));
  if (head.empty()) {
    r.status = OpenStatus::Empty;
    r.message = trText("DataFile", "The file is empty.");
    return r;
  }
  if (end == std::string::npos) end = head.size();  // a file of one line without line end
  if (end > kMaxLine) {
    r.status = OpenStatus::Damaged;
    r.badLine = 0;
    r.message = trText(
        "DataFile", "Line 1 is longer than 1 MiB; the file is damaged or not a data file. Nothing was read.");
    return r;
  }
  const std::string_view raw(head.data(), end);
  bool utf8 = false;
  detail::judgeModelLine(raw, raw.find('\0') != std::string_view::npos, meterModel, r, utf8);
  return r;
}

// Every message about a file names it: those that do not yet are led by
// its path.
OpenResult namingFile(const std::string& path, OpenResult r) {
  if (!r.message.empty() && r.message.find(path) == std::string::npos)
    r.message = fillText(trText("DataFile", "\"%1\": %2"), {path, r.message});
  return r;
}

}  // namespace

OpenResult ReadDataFile(const std::string& path, std::string_view meterModel, GridData& userInfo,
                        GridData& header, GridData& records, MeasurementData& data) {
  static const RecordSplit split = RecordSplit::forThisMachine();
  return ReadDataFile(path, meterModel, userInfo, header, records, data, split);
}

OpenResult ReadDataFile(const std::string& path, std::string_view meterModel, GridData& userInfo,
                        GridData& header, GridData& records, MeasurementData& data,
                        const RecordSplit& split) {
  OpenResult r = namingFile(path, readDataFile(path, meterModel, userInfo, header, records, data, split));
  logRead(path, r);
  return r;
}

OpenResult ReadDataFileModel(const std::string& path, std::string_view meterModel) {
  OpenResult r = namingFile(path, readDataFileModel(path, meterModel));
  // Only a refusal: a first line that passes is logged with the whole read.
  if (!r.ok()) logRead(path, r);
  return r;
}

}  // namespace vkz