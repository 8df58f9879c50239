// The meter's serial protocol as the meter sees it: request frames coming in
// from the computer, reply frames going out.
//
// Request (computer to meter):
//   0x02, length high, length low, code, parameters, XOR checksum
// where the length counts the code and the parameters and the checksum is the
// XOR of everything after the 0x02 up to the last parameter. Two requests bend
// this: the welcome-text write (0x8D) declares one byte more than it carries,
// and five requests (0x13, 0x14, 0x15, 0x90, 0x91) are followed on the wire by
// zero bytes behind their checksum.
//
// Reply (meter to computer):
//   0x03, code, length high, length low, payload, XOR checksum
// where the length counts the payload only and the checksum is the XOR of the
// code, both length bytes and the payload (the 0x03 is not included).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vkz::emu {

using Bytes = std::vector<std::uint8_t>;
using SteadyClock = std::chrono::steady_clock;

// Command codes of the requests (a reply carries the code it answers).
namespace cmd {
constexpr std::uint8_t ReadModel = 0x00, ReadLcdContrast = 0x01, ReadClock = 0x02, ReadLcdApo = 0x03,
                       ReadDoseSettings = 0x04, ReadScreens = 0x05, ReadPause = 0x06, ReadLedAlarm = 0x07,
                       ReadKeypadLock = 0x08, ReadAutoScroll = 0x09, ReadTimers = 0x0A, ClearMemory = 0x0B,
                       ReadMemoryListFirst = 0x0C, ReadMemoryListNext = 0x0D, ReadRecordHeader = 0x0E,
                       ReadMemorySize = 0x0F, ReadWelcomeText = 0x10, ReadMeterName = 0x11,
                       ReadDataBlock = 0x12, ReadCalibration = 0x13, ReadLunchTime = 0x14,
                       ReadIntervalTime = 0x15;
constexpr std::uint8_t WriteLcdContrast = 0x81, WriteClock = 0x82, WriteLcdApo = 0x83,
                       WriteDoseSettings = 0x84, WriteScreens = 0x85, WritePause = 0x86, WriteLedAlarm = 0x87,
                       WriteKeypadLock = 0x88, WriteAutoScroll = 0x89, WriteTimers1 = 0x8A,
                       WriteTimers2 = 0x8B, WriteTimers3 = 0x8C, WriteWelcomeText = 0x8D,
                       WriteMeterName = 0x8E, WriteCalibration = 0x8F, WriteLunchTime = 0x90,
                       WriteIntervalTime = 0x91;
// Reply-only codes.
constexpr std::uint8_t ResendRequest = 0x55, MemoryListEnd = 0xFF;
}  // namespace cmd

// True for the write requests 0x81..0x91, which the meter acknowledges.
inline bool isWrite(std::uint8_t code) {
  return code >= 0x81 && code <= 0x91;
}

// Number of parameter bytes a request of this code carries, given its length
// field; -1 for a code the meter does not know or a length that does not fit.
int requestParamCount(std::uint8_t code, int lengthField);

// Zero bytes the computer sends behind the checksum of this request.
int requestSurplus(std::uint8_t code);

// Short name of a request code ("ReadModel"), or "0xNN" for an unknown one.
std::string requestName(std::uint8_t code);

// A complete reply frame: 0x03, code, length (big-endian), payload, checksum.
Bytes makeReply(std::uint8_t code, const Bytes& payload);

// A request frame as the computer builds it, for tests and tools: the plain
// length rule, the welcome-text length quirk and the surplus zeros included.
Bytes makeRequest(std::uint8_t code, const Bytes& params = {});

// Bytes as upper-case hex pairs separated by blanks ("02 00 01 00 01").
std::string toHex(const Bytes& bytes);

// One thing taken off the line: a request frame (good or bad) or stray bytes.
struct Request {
  enum class Status {
    Ok,           // well-formed, checksum right
    BadChecksum,  // well-formed, checksum wrong
    BadLength,    // length field does not fit the code
    UnknownCode,  // code not in the command table
    Incomplete,   // the line went quiet in the middle of a frame
    Junk          // bytes outside any frame (not the expected surplus zeros)
  };
  SteadyClock::time_point time;  // when its last byte was read
  Bytes bytes;                   // the frame from 0x02 to its checksum (or the junk)
  std::uint8_t code = 0;
  Bytes params;             // parameters (Ok and BadChecksum only)
  std::size_t surplus = 0;  // zero bytes that followed the checksum
  Status status = Status::Ok;

  bool ok() const { return status == Status::Ok; }
};

// Cuts request frames out of the byte stream from the computer. Zero bytes
// between frames are surplus of the frame before; anything else outside a
// frame is junk. A frame whose bytes stop coming for `gap` is given up.
class RequestParser {
 public:
  struct Item {
    enum class Kind { Frame, Surplus, Junk } kind;
    Request request;  // Frame and Junk
  };

  explicit RequestParser(std::chrono::milliseconds gap = std::chrono::milliseconds(200)) : gap_(gap) {}

  // Takes bytes read at `now`; appends what they complete to `out`.
  void feed(const std::uint8_t* data, std::size_t n, SteadyClock::time_point now, std::vector<Item>& out);
  // Gives up a frame whose bytes stopped coming; call now and then.
  void expire(SteadyClock::time_point now, std::vector<Item>& out);
  // Forgets a half-read frame (the other side went away).
  void reset();
  bool idle() const { return frame_.empty() && junk_.empty(); }
  // When a half frame (or stray bytes) is given up unless more bytes come;
  // max() when none waits.
  SteadyClock::time_point expiresAt() const { return idle() ? SteadyClock::time_point::max() : last_ + gap_; }

 private:
  void flushJunk(SteadyClock::time_point now, std::vector<Item>& out);
  void take(std::uint8_t b, SteadyClock::time_point now, std::vector<Item>& out);

  std::chrono::milliseconds gap_;
  Bytes frame_;
  Bytes junk_;
  SteadyClock::time_point last_{};
};

}  // namespace vkz::emu
