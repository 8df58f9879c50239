// Request frames: one builder per meter command. Each builds its frame
//   0x02, 0x00, length, code, parameters, checksum [, surplus 0x00 bytes]
// and writes it whole to the current port of the line it is given
// (porttable.h). The length byte
// counts the bytes from the code to the last parameter, except for the
// welcome text, where the meter takes one more. Multi-byte parameters go
// high byte first, except the logging interval, which goes low byte first.
//
// Every builder returns true once its frame went to the port (whether or
// not a port is current or the write succeeds: a meter that does not answer
// is noticed by the polling loop's time-outs), except the erase, which
// reports whether its frame was written whole. A value outside its field (a
// one-byte value outside 0..255, a negative 16- or 32-bit value, a block
// number above 65535) returns false: nothing is written.
//
// A builder sets no flag of the polling state: a caller that awaits the
// answer marks it (MemoryErasing for the erase, MemInfoPending for a
// memory-list entry) before it calls the builder, because the write lets the
// event loop turn and a quick meter's answer is decoded during the write.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "link/porttable.h"
#include "link/settingblocks.h"

namespace vkz {

using Frame = std::vector<std::uint8_t>;

// --- frames and parameter blocks (no port involved) ------------------------

// A frame for `code` with `params`, the given length byte and `surplus`
// zero bytes behind the checksum.
Frame BuildRequest(std::uint8_t code, const std::vector<std::uint8_t>& params, int lengthByte,
                   int surplus = 0);

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
bool CmdReadModel(MeterLine line);                         // 0x00
bool CmdReadLcdContrast(MeterLine line);                   // 0x01
bool CmdReadClock(MeterLine line);                         // 0x02
bool CmdReadLcdApo(MeterLine line);                        // 0x03
bool CmdReadDoseSettings(MeterLine line);                  // 0x04
bool CmdReadScreens(MeterLine line);                       // 0x05
bool CmdReadPause(MeterLine line);                         // 0x06
bool CmdReadLedAlarm(MeterLine line);                      // 0x07
bool CmdReadKeypadLock(MeterLine line);                    // 0x08
bool CmdReadAutoScroll(MeterLine line);                    // 0x09
bool CmdReadTimers(MeterLine line);                        // 0x0A
bool CmdClearMemory(MeterLine line);                       // 0x0B; true only when the whole frame went out
bool CmdReadMemoryListFirst(MeterLine line);               // 0x0C
bool CmdReadMemoryListNext(MeterLine line);                // 0x0D
bool CmdReadRecordHeader(MeterLine line, double entryNo);  // 0x0E, entry number of a stored measurement
bool CmdReadMemorySize(MeterLine line);                    // 0x0F
bool CmdReadWelcomeText(MeterLine line);                   // 0x10
bool CmdReadMeterName(MeterLine line);                     // 0x11
bool CmdReadDataBlock(MeterLine line, long long blockNo);  // 0x12, block 0..65535
bool CmdReadCalibration(MeterLine line);                   // 0x13, two zero bytes behind the checksum
bool CmdReadLunchTime(MeterLine line);                     // 0x14, two zero bytes behind the checksum
bool CmdReadIntervalTime(MeterLine line);                  // 0x15, two zero bytes behind the checksum

bool CmdWriteLcdContrast(MeterLine line, double code);                // 0x81, (level position + 1) x 4
bool CmdWriteClock(MeterLine line, const MeterClock& clock);          // 0x82
bool CmdWriteLcdApo(MeterLine line, double choice);                   // 0x83, 0..5
bool CmdWriteDoseSettings(MeterLine line, const DoseSetting& dose);   // 0x84
bool CmdWriteScreens(MeterLine line, const ScreenBytes& screens);     // 0x85
bool CmdWritePause(MeterLine line, double onOff);                     // 0x86
bool CmdWriteLedAlarm(MeterLine line, const LedAlarmSetting& alarm);  // 0x87
bool CmdWriteKeypadLock(MeterLine line, double onOff);                // 0x88
bool CmdWriteAutoScroll(MeterLine line, double onOff);                // 0x89
bool CmdWriteTimers1(MeterLine line, const TimerSetting& timers);     // 0x8A, header and PC rows 0..3
bool CmdWriteTimers2(MeterLine line, const TimerSetting& timers);     // 0x8B, PC rows 4..10
bool CmdWriteTimers3(MeterLine line, const TimerSetting& timers);     // 0x8C, PC rows 11..15
// 0x8D: the n text bytes (36 for three lines of 12); length byte n + 2.
bool CmdWriteWelcomeText(MeterLine line, const std::vector<std::uint8_t>& text);
// 0x8E: the 11 name bytes; length byte 0x0C. Any other count is refused:
// the meter would take a frame whose length disagrees with its content.
bool CmdWriteMeterName(MeterLine line, const std::vector<std::uint8_t>& name);
// 0x8F: calibration level x 10 (930..959, 1130..1159; 0 = OFF), rounded
// half to even, 0..32767.
bool CmdWriteCalibration(MeterLine line, double levelTimesTen);
bool CmdWriteLunchTime(MeterLine line,
                       const LunchTimeBytes& lunch);           // 0x90, one zero byte behind the checksum
bool CmdWriteIntervalTime(MeterLine line, long long seconds);  // 0x91, low byte first, four zero bytes behind

}  // namespace vkz
