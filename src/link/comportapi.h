// ComPortAPI: the program's only access to serial ports, by number 1..256
// (5 for the port COM5). Port names are mapped to devices by comname.h; the
// line is always raw (no echo, no CR/LF translation, no flow-control or
// signal characters), so every byte of a meter frame passes unchanged.
//
// No member lets a failure escape: each returns a number (0 or a count for
// success) and keeps the failure in one last-error record: the code (an
// errno value), the failing member and system call ("CommOpen
// (SetCommState)") and the system's text for the code.
#pragma once
#include <termios.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/linereader.h"
#include "link/linetiming.h"

namespace vkz {

// The last failure of the serial object.
struct CommError {
  std::int32_t ErrorCode = 0;
  std::string ErrorFunction;
  std::string ErrorMessage;
};

// Code recorded for a port number outside 1..256.
constexpr std::int32_t kPortRangeError = 9;

// What became of a write on the line, or of a request, as one code (the
// way libserialport reports), with the serial object's last-error text
// when it did not go out whole.
enum class PortStatus {
  Ok,        // every byte went out
  NoPort,    // no port linked as the current entry: nothing was written
  Failed,    // the system refused the write, or the port is not open: nothing went out
  Short,     // only part of the frame went out before the write gave up
  BadValue,  // a request value outside its field: nothing was built or written
};

struct PortResult {
  PortStatus status = PortStatus::Ok;
  std::string error;  // why, when not Ok ("Error (5): CommWrite (WriteFile) - Input/output error ...")
  bool ok() const { return status == PortStatus::Ok; }
  explicit operator bool() const { return ok(); }
};

class ComPortAPI {
 public:
  ComPortAPI();
  ~ComPortAPI();  // closes every port still open
  ComPortAPI(const ComPortAPI&) = delete;
  ComPortAPI& operator=(const ComPortAPI&) = delete;
  // Closes every port still open and forgets everything: the object is as
  // a new one (the program-wide state's reset).
  void Reset();

  // Queue sizes handed to the system on open. The line driver keeps its
  // own queues, so they are only remembered.
  void Init_API();  // both 4096
  void SetInBuffer(std::int16_t size) { InBufferSize = size; }
  std::int16_t GetInBuffer() const { return InBufferSize; }
  void SetOutBuffer(std::int16_t size) { OutBufferSize = size; }
  std::int16_t GetOutBuffer() const { return OutBufferSize; }

  // The port's handle: 0 before any open attempt, -1 after a failed one, the
  // descriptor (3 or above) after a successful one; a close keeps it. 0 for
  // a number outside 1..256.
  std::int32_t IsActivity(int port) const;
  // -1 while the port is open, else 0 (also for a number outside 1..256).
  std::int16_t IsOpen(int port) const;

  // The system's text for an error code; "" for a code it has no text for.
  static std::string GetSystemMessage(std::int32_t errorCode);

  // Opens `portName` ("COM" + number) for port number `port` and sets it up from
  // `settings` ("baud=57600 parity=N data=8 stop=1"; empty keeps the
  // device's line settings). 0 on success, -2 when this object already has
  // the port open, else the failure code. A device another program (or
  // another open here) holds is refused with EBUSY. Only a terminal device
  // (a serial port, a pseudo-terminal) is taken: anything else (an ordinary
  // file, a pipe) is closed again untouched and refused with ENOTTY, so no
  // request is ever written into it. Once the device is open the port
  // counts as open even if a later set-up step fails.
  std::int32_t CommOpen(int port, const std::string& portName, const std::string& settings);
  // The same on the device at `path` (the one the port was opened from
  // before, kept while its device was away), whatever the COM-name map says
  // now.
  std::int32_t CommOpenAt(int port, const std::string& portName, const std::string& path,
                          const std::string& settings);
  // Applies a new settings text to an open port.
  std::int32_t CommSet(int port, const std::string& settings);
  // Closes the port if open (0 when it was not).
  std::int32_t CommClose(int port);
  // Discards both queues.
  std::int32_t CommFlush(int port);
  // Received bytes waiting; 0 when none or the query fails (bytes its line
  // reader holds are not counted). Turns the event loop once first.
  std::int32_t IsInBuffSize(int port);
  // Turns the event loop once, then reads all bytes waiting into `bytes`
  // (replacing it; index 0 holds the first byte). Returns their count, 0
  // when none were waiting (`bytes` untouched), -1 on failure, also when
  // the device has gone (a pseudo-terminal whose other side closed, a
  // unplugged adapter). Never waits for bytes. `maxBytes` is not used.
  // While the port has a line reader, the bytes are its pieces, one per
  // call, in the order it read them (its failure is this call's failure),
  // and the port itself is not read.
  std::int32_t CommRead(int port, std::vector<std::uint8_t>& bytes, std::int32_t maxBytes);
  // Writes the whole array. Returns the count written, -1 when the system
  // refuses the write. A device that takes no bytes is waited for at most
  // the write wait (then the count written so far is returned and ETIMEDOUT
  // recorded); after such a time-out the next writes do not wait at all
  // until one goes through whole. Turns the event loop once after the
  // write, and ten more times after a successful one, unless a QuietWrites
  // lives. `outcome`, when given, gets the result first, before the event loop
  // turns (the frame log: a request is logged before its answer is read).
  std::int32_t CommWrite(int port, const std::vector<std::uint8_t>& bytes,
                         const std::function<void(std::int32_t)>& outcome = {});
  // While one lives, CommWrite does not turn the event loop: for a short
  // request whose answer nobody awaits during the write (the poll tick's
  // model and clock requests), which would otherwise wake every window
  // five times a second for nothing.
  class QuietWrites {
   public:
    explicit QuietWrites(ComPortAPI& api) : api_(api) { ++api_.quietWrites_; }
    ~QuietWrites() { --api_.quietWrites_; }
    QuietWrites(const QuietWrites&) = delete;
    QuietWrites& operator=(const QuietWrites&) = delete;

   private:
    ComPortAPI& api_;
  };
  // Modem status: state = -1 when any bit of `whichLine` (0x10 CTS, 0x20
  // DSR, 0x40 RING, 0x80 carrier) is on, else 0.
  std::int32_t CommGetLine(int port, std::int16_t whichLine, std::int16_t& state);
  // Sets (-1) or clears (0) the break state (1), DTR (2) or RTS (3).
  std::int32_t CommSetLine(int port, std::int16_t whichLine, std::int16_t state);
  // "Error (" code "): " function " - " message; returns the code.
  std::int32_t CommGetError(std::string& message) const;

  // --- additions of this platform ---------------------------------------
  const CommError& LastError() const { return LastCommError; }
  // The descriptor to watch for arriving bytes of an open port (the line
  // reader's handle while it has one), else -1.
  int NativeHandle(int port) const;

  // The port read on a thread of its own (linereader.h), from the receive
  // buffer and parser record the caller holds and the frames it has cut so
  // far. nullptr when the port is not open or the thread cannot be made
  // (the port is then read by CommRead as before). Its requests are written
  // under the same lock as CommWrite's, so frames never interleave.
  LineReader* StartReader(int port, std::vector<std::uint8_t> buffer, const ReplyFrame& parser,
                          std::uint64_t framesCut);
  // The line's timing at the port's speed (the meter's 57600 baud for a
  // port not open or a speed unknown).
  LineTiming Timing(int port) const;
  // Ends the reading thread; what it read is still handed out by CommRead.
  // Closing, flushing or setting up the port ends it too.
  void StopReader(int port);
  // The port's line reader: while its thread runs, and after it has ended
  // (until the next one starts or the port closes); nullptr for none.
  LineReader* Reader(int port) const;
  // The device path the port was last opened from ("" if never).
  std::string DevicePath(int port) const;
  // Why the last open of the port was refused, in words for the user, when
  // the user can mend it: the path is not a serial device, or the user may
  // not use the device (and how to get that right). "" otherwise.
  std::string OpenRefusal(int port) const;
  // Longest wait of one write for a device that takes no bytes (ms).
  void SetWriteWait(int ms) { writeWaitMs_ = ms < 0 ? 0 : ms; }
  int WriteWait() const { return writeWaitMs_; }

 private:
  struct CommPort {
    std::int32_t Handle = 0;
    std::int16_t Opened = 0;
    termios Dcb{};
    int fd = -1;                // valid only while Opened
    bool writeStalled = false;  // the last write timed out
    std::string path;
    std::string refusal;               // the last open's refusal for the user (OpenRefusal)
    std::array<int, 5> errorCounts{};  // overrun, buffer overrun, parity, frame, break at last query
    std::unique_ptr<LineReader>
        reader;  // while the port is read on its own thread, and until its pieces are taken
  };

  static bool inRange(int id) { return id >= 1 && id <= 256; }
  std::int32_t RecordApiError(const std::string& functionText, int code);
  std::int32_t RecordCommError(const std::string& functionText, int code, CommPort& port);
  std::int32_t RecordRangeError(const std::string& functionText);
  int OpenDevice(CommPort& port, const std::string& portName, const std::string& path);
  std::int32_t SetState(CommPort& port, const std::string& settings, const std::string& member);
  std::uint32_t CommErrorFlags(CommPort& port);
  void CloseEveryPort();
  // Ends and forgets the port's line reader, with the pieces it holds.
  void DropReader(CommPort& port);
  // A frame written whole from the line reader's thread.
  bool WriteFromReader(int fd, const std::vector<std::uint8_t>& bytes);
  // Writes `bytes` to `fd` under the write lock, waiting for room in the
  // output queue until `deadline`. The count written; why it stopped short
  // in `err` (ETIMEDOUT past the deadline, EIO for a device gone, else the
  // system's code), 0 when everything went out.
  std::size_t writeWithin(int fd, const std::vector<std::uint8_t>& bytes,
                          std::chrono::steady_clock::time_point deadline, int& err);

  std::int16_t InBufferSize = 0;
  std::int16_t OutBufferSize = 0;
  CommError LastCommError;
  std::array<CommPort, 257> CommPorts;  // index 1..256
  int writeWaitMs_ = 1000;
  int quietWrites_ = 0;   // QuietWrites alive
  std::mutex writeLock_;  // one frame at a time on the line, from either thread
};

}  // namespace vkz
