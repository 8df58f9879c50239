// The linked ports: up to ten entries, each with its receive buffer and
// reply-parser record, and the current entry that every request, read and
// poll serves. Everything the program says to the meter goes through here.
// The port table is one of the program-wide records (ProgramState); these
// functions work on the table they are given.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "link/comportapi.h"
#include "link/parser.h"

namespace vkz {

constexpr int kMaxPorts = 10;
// The settings text of the meter's line.
inline constexpr const char* kMeterLineSettings = "baud=57600 parity=N data=8 stop=1";

struct PortEntry {
  std::int16_t PortNo = 0;          // port number 1..256; 0 when empty
  std::string PortName;             // "COM" + number ("COM5")
  std::string PortSettings;         // settings text given at link time
  std::int16_t PortIsOpen = 0;      // -1 open (rewritten by every poll tick)
  std::int16_t MeterListed = 0;     // -1 once the meter on this port is in the detected-meter list
  ReplyFrame PortReply;             // this port's reply-parser record
  std::vector<std::uint8_t> RxBuf;  // received bytes not yet taken by the parser, oldest first
};

struct LinkState {
  std::array<PortEntry, kMaxPorts + 1> PortTable;  // entries 1..10; index 0 unused
  std::int16_t PortCount = 0;                      // entries in use
  std::int16_t CurPort = 0;                        // the current entry, 1..10
  ReplyFrame CurReply;                             // the frame the reply decoder works on
};

// The meter line: the port table and the serial object its ports are
// opened with. Every request goes out on the line's current entry.
struct MeterLine {
  LinkState& link;
  ComPortAPI& api;
};

// The current entry, or nullptr when CurPort is outside 1..10.
PortEntry* CurrentEntry(LinkState& link);

// Links a port: closes it if the serial object has it open, opens it with
// `settings`, clears every entry's parser record and adds an entry (whether
// or not the port opened). A port refused for a reason the user can mend
// (not a serial device, no permission) says so in a message naming the
// path. With ten entries already, shows "Open Port Error" and adds nothing.
// -1 linked, 0 not. Never changes CurPort.
std::int16_t OpenPort(MeterLine line, int port, const std::string& settings);
// Opens the port of entry `entry` again on `path`, the device it was opened
// from, after that device went away and came back: the entry keeps its
// place, settings and listed meter, and no entry is added (the port
// window's OK alone adds them). Its receive buffer and parser record start
// afresh: bytes of the device that went are no reply. 0 when the port
// opened, else the serial object's failure code (a device another program
// still holds: the caller tries again later).
std::int32_t RelinkPort(MeterLine line, int entry, const std::string& path);
// Closes every linked port and empties its entry (shut-down).
void CloseAllPorts(MeterLine line);
// Purges both queues of the current port and empties its receive buffer.
// The parser starts over too: a frame it had begun is gone with the bytes.
void FlushCurrentPort(MeterLine line);
// Writes a whole request frame to the current port (logged on vkz.link
// before it goes). Ok when every byte went out; otherwise what stopped it,
// with the port's error text: no port linked, a refused write, a port that
// is not open, or a short write.
PortResult WriteCurrentPort(MeterLine line, const std::vector<std::uint8_t>& frame);
// Appends every byte waiting on the current port to its receive buffer.
// Returns the count read (0 without a current entry, -1 on a failure).
std::int32_t ReadCurrentPort(MeterLine line);
// Clears the parser records of all ten entries (and CurReply's fields).
void ResetPortRecords(LinkState& link);
// Zeroes CurReply's payload bytes.
void ClearRecordTemplate(LinkState& link);

// Cuts at most one reply frame out of `buffer` (the current entry's
// receive buffer) with the current entry's parser record. 1 when a frame
// was delivered into that record, else 0 (also without a current entry).
// Each frame cut, and the bytes dropped as no frame, go to vkz.link.
int ParseResponse(LinkState& link, std::vector<std::uint8_t>& buffer);
// The same on the current entry's own buffer.
int ParseCurrentPort(LinkState& link);

// Reads the current port and then cuts every complete frame its buffer
// holds, calling `onFrame` after each one (it finds the frame in the current
// entry's PortReply). For handling replies as soon as they arrive, between
// receive ticks. Stops when the current entry changes. Returns the count of
// frames delivered.
template <class OnFrame>
int CutAllFrames(MeterLine line, OnFrame&& onFrame) {
  ReadCurrentPort(line);
  int delivered = 0;
  const auto cur = line.link.CurPort;
  while (line.link.CurPort == cur && ParseCurrentPort(line.link) == 1) {
    ++delivered;
    onFrame();
  }
  return delivered;
}

// The tail of `bytes` from index n on ("" when n is past the end).
std::vector<std::uint8_t> BytesFrom(const std::vector<std::uint8_t>& bytes, int n);

// Bytes 0..last as text: "chr" one character per byte (code page 1252,
// given back as UTF-8), "hex" upper-case hexadecimal digits without leading
// zeros joined without separators, "asc" the decimal sum of the byte codes;
// "" for any other mode, for last below 0 and for last past the end.
std::string BytesToText(const std::vector<std::uint8_t>& bytes, int last, const std::string& mode);
// The same over the payload of a reply record.
std::string BytesToText(const ReplyFrame& reply, int last, const std::string& mode);

}  // namespace vkz
