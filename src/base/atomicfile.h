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
  // Appends bytes (small pieces buffered and written in large blocks).
  bool write(std::string_view bytes);
  // Appends bytes straight to the file, after any buffered ones and
  // without a copy: for a writer that gathers its own pieces.
  bool writeThrough(std::string_view bytes);
  // Flushes, syncs and renames the temporary file over the target. Without
  // `sync` the bytes are left to the system to put on the disk in its own
  // time: a failure is still never seen as the target, but a power cut
  // right after may leave the earlier file (for files that can be made
  // again, where waiting for the disk would cost more than it saves).
  bool commit(bool sync = true);
  // Closes and removes the temporary file; the target is not touched.
  void abort();

  bool isOpen() const { return fd_ >= 0; }
  // What went wrong, as "<what> (<system message>)".
  const std::string& error() const { return error_; }
  // The cause alone: the system's message ("No space left on device").
  const std::string& reason() const { return reason_; }

 private:
  bool writeAll(std::string_view bytes);
  bool flushBuffer();
  bool fail(const std::string& what, int err);
  int fd_ = -1;
  std::string target_;
  std::string temp_;
  std::string buffer_;
  std::string error_;
  std::string reason_;
};

}  // namespace vkz
