// Request frames: one builder per meter command. Each builds its frame
//   0x02, 0x00, length, code, parameters, checksum [, surplus 0x00 bytes]
// and writes it whole to the current port of the line it is given
// (porttable.h). The length byte
// counts the bytes from the code to the last parameter, except for the
// welcome text, where the meter takes one more. Multi-byte parameters go
// high byte first, except the logging interval, which goes low byte first.
//
// Every builder returns what became of its write (WriteCurrentPort): Ok
// once the whole frame went out, else why not with the port's error text
// (no port linked, a refused or short write), so a caller that pauses
// polling or arms a wait for the answer can act on a frame that never left.
// A value outside its field (a one-byte value outside 0..255, a negative
// 16- or 32-bit value, a block number above 65535) gives BadValue: nothing
// is built or written. The result tests true only when Ok.
//
// A builder sets no flag of the polling state: the poll engine, which
// awaits the answer, marks it before it calls the builder, because the
// write lets the event loop turn and a quick meter's answer is decoded
// during the write.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/porttable.h"
#include "link/settingblocks.h"

namespace vkz {

using Frame = std::vector<std::uint8_t>;

// The message of a request that did not go out, for the user: `headline`
// (a setting window's "Set Fail !!!"), then why, in the port's words.
std::string UnsentRequestText(const std::string& headline, const PortResult& r);

// --- frames and parameter blocks (no port involved) ------------------------

// A frame for `code` with `params`, the given length byte and `surplus`
// zero bytes behind the checksum.
Frame BuildRequest(std::uint8_t code, const std::vector<std::uint8_t>& params, int lengthByte,
                   int surplus = 0);

// The data-block request (0x12) for block `blockNo`; nothing outside 0..65535.
std::optional<Frame> DataBlockRequest(long long blockNo);

// A setting value as one byte: rounded half to even, then 0..255.
std::optional<std::uint8_t> ValueToByte(double v);

// Parameter blocks of the record writes, in wire order; nothing when a
// field is outside its range.
std::optional<std::vector<std::uint8_t>> PackClock(const MeterClock& c);               // 7 bytes
std::optional<std::vector<std::uint8_t>> PackDoseSetting(const DoseSetting& d);        // 26 bytes
std::optional<std::vector<std::uint8_t>> PackScreens(const ScreenBytes& s);            // 36 bytes
std::optional<std::vector<std::uint8_t>> PackLedAlarm(const LedAlarmSetting& a);       // 45 bytes
std::optional<std::vector<std::uint8_t>> PackTimers(const TimerSetting& t, int part);  // 46, 49, 35 bytes
std::optional<std::vector<std::uint8_t>> PackLunchTime(const LunchTimeBytes& l);       // 7 bytes

// --- the 39 commands -------------------------------------------------------
PortResult CmdReadModel(MeterLine line);                         // 0x00
PortResult CmdReadLcdContrast(MeterLine line);                   // 0x01
PortResult CmdReadClock(MeterLine line);                         // 0x02
PortResult CmdReadLcdApo(MeterLine line);                        // 0x03
PortResult CmdReadDoseSettings(MeterLine line);                  // 0x04
PortResult CmdReadScreens(MeterLine line);                       // 0x05
PortResult CmdReadPause(MeterLine line);                         // 0x06
PortResult CmdReadLedAlarm(MeterLine line);                      // 0x07
PortResult CmdReadKeypadLock(MeterLine line);                    // 0x08
PortResult CmdReadAutoScroll(MeterLine line);                    // 0x09
PortResult CmdReadTimers(MeterLine line);                        // 0x0A
PortResult CmdClearMemory(MeterLine line);                       // 0x0B
PortResult CmdReadMemoryListFirst(MeterLine line);               // 0x0C
PortResult CmdReadMemoryListNext(MeterLine line);                // 0x0D
PortResult CmdReadRecordHeader(MeterLine line, double entryNo);  // 0x0E, entry number of a stored measurement
PortResult CmdReadMemorySize(MeterLine line);                    // 0x0F
PortResult CmdReadWelcomeText(MeterLine line);                   // 0x10
PortResult CmdReadMeterName(MeterLine line);                     // 0x11
PortResult CmdReadDataBlock(MeterLine line, long long blockNo);  // 0x12, block 0..65535
PortResult CmdReadCalibration(MeterLine line);                   // 0x13, two zero bytes behind the checksum
PortResult CmdReadLunchTime(MeterLine line);                     // 0x14, two zero bytes behind the checksum
PortResult CmdReadIntervalTime(MeterLine line);                  // 0x15, two zero bytes behind the checksum

PortResult CmdWriteLcdContrast(MeterLine line, double code);                // 0x81, (level position + 1) x 4
PortResult CmdWriteClock(MeterLine line, const MeterClock& clock);          // 0x82
PortResult CmdWriteLcdApo(MeterLine line, double choice);                   // 0x83, 0..5
PortResult CmdWriteDoseSettings(MeterLine line, const DoseSetting& dose);   // 0x84
PortResult CmdWriteScreens(MeterLine line, const ScreenBytes& screens);     // 0x85
PortResult CmdWritePause(MeterLine line, double onOff);                     // 0x86
PortResult CmdWriteLedAlarm(MeterLine line, const LedAlarmSetting& alarm);  // 0x87
PortResult CmdWriteKeypadLock(MeterLine line, double onOff);                // 0x88
PortResult CmdWriteAutoScroll(MeterLine line, double onOff);                // 0x89
PortResult CmdWriteTimers1(MeterLine line, const TimerSetting& timers);     // 0x8A, header and PC rows 0..3
PortResult CmdWriteTimers2(MeterLine line, const TimerSetting& timers);     // 0x8B, PC rows 4..10
PortResult CmdWriteTimers3(MeterLine line, const TimerSetting& timers);     // 0x8C, PC rows 11..15
// 0x8D: the n text bytes (36 for three lines of 12); length byte n + 2.
PortResult CmdWriteWelcomeText(MeterLine line, const std::vector<std::uint8_t>& text);
// 0x8E: the 11 name bytes; length byte 0x0C. Any other count is refused:
// the meter would take a frame whose length disagrees with its content.
PortResult CmdWriteMeterName(MeterLine line, const std::vector<std::uint8_t>& name);
// 0x8F: calibration level x 10 (930..959, 1130..1159; 0 = OFF), rounded
// half to even, 0..32767.
PortResult CmdWriteCalibration(MeterLine line, double levelTimesTen);
PortResult CmdWriteLunchTime(MeterLine line,
                             const LunchTimeBytes& lunch);  // 0x90, one zero byte behind the checksum
PortResult CmdWriteIntervalTime(MeterLine line,
                                long long seconds);  // 0x91, low byte first, four zero bytes behind

}  // namespace vkz
