// Writing a file so that it is either fully there or not changed at all.
//
// The bytes go to a hidden temporary file in the target's folder; only when
// every byte is written and flushed to the disk does a rename put it in the
// target's place. A full disk, a removed USB stick or a folder without write
// permission leaves any earlier file of that name as it was.
#pragma once
#include <string>
#include <string_view>

namespace vkz {

// A write past the size the system lets a process write (RLIMIT_FSIZE, as a
// quota or a shell's ulimit sets it) raises SIGXFSZ, which ends the program
// unless it is ignored; ignored, the write fails with "File too large" like
// any other failed write. Called at program start-up and by every writer
// before it writes.
void ignoreFileSizeSignal();

class AtomicFileWriter {
 public:
  AtomicFileWriter() = default;
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
  ~AtomicFileWriter();  // drops an uncommitted temporary file

  // Creates the temporary file beside `target`. False (see error()) when
  // the folder cannot be written. On every failure from here on, the
  // temporary file is removed.
  bool open(const std::string& target);
  // Appends bytes (buffered; written in large blocks).
  bool write(std::string_view bytes);
  // Flushes, syncs and renames the temporary file over the target.
  bool commit();
  // Closes and removes the temporary file; the target is not touched.
  void abort();

  // What went wrong, as "<what> (<system message>)".
  const std::string& error() const { return error_; }

 private:
  bool flushBuffer();
  bool fail(const std::string& what, int err);
  int fd_ = -1;
  std::string target_;
  std::string temp_;
  std::string buffer_;
  std::string error_;
};

}  // namespace vkz
