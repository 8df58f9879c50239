// Request frames: one builder per meter command. Each builds its frame
//   0x02, 0x00, length, code, parameters, checksum [, surplus 0x00 bytes]
// and writes it whole to the current port (porttable.h). The length byte
// counts the bytes from the code to the last parameter, except for the
// welcome text, where the meter takes one more. Multi-byte parameters go
// high byte first, except the logging interval, which goes low byte first.
//
// Every builder returns true once its frame went to the port (whether or
// not a port is current or the write succeeds: a meter that does not answer
// is noticed by the polling loop's time-outs). A value outside its field (a
// one-byte value outside 0..255, a negative 16- or 32-bit value, a block
// number above 65535) returns false: nothing is written and no flag is set.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "settings/records.h"

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
bool CmdReadModel();                       // 0x00
bool CmdReadLcdContrast();                 // 0x01
bool CmdReadClock();                       // 0x02
bool CmdReadLcdApo();                      // 0x03
bool CmdReadDoseSettings();                // 0x04
bool CmdReadScreens();                     // 0x05
bool CmdReadPause();                       // 0x06
bool CmdReadLedAlarm();                    // 0x07
bool CmdReadKeypadLock();                  // 0x08
bool CmdReadAutoScroll();                  // 0x09
bool CmdReadTimers();                      // 0x0A
bool CmdClearMemory();                     // 0x0B, then MemoryErasing = -1
bool CmdReadMemoryListFirst();             // 0x0C, then MemInfoPending = -1
bool CmdReadMemoryListNext();              // 0x0D, then MemInfoPending = -1
bool CmdReadRecordHeader(double entryNo);  // 0x0E, entry number of a stored measurement
bool CmdReadMemorySize();                  // 0x0F
bool CmdReadWelcomeText();                 // 0x10
bool CmdReadMeterName();                   // 0x11
bool CmdReadDataBlock(long long blockNo);  // 0x12, block 0..65535
bool CmdReadCalibration();                 // 0x13, two zero bytes behind the checksum
bool CmdReadLunchTime();                   // 0x14, two zero bytes behind the checksum
bool CmdReadIntervalTime();                // 0x15, two zero bytes behind the checksum

bool CmdWriteLcdContrast(double code);                // 0x81, (level position + 1) x 4
bool CmdWriteClock(const MeterClock& clock);          // 0x82
bool CmdWriteLcdApo(double choice);                   // 0x83, 0..5
bool CmdWriteDoseSettings(const DoseSetting& dose);   // 0x84
bool CmdWriteScreens(const ScreenBytes& screens);     // 0x85
bool CmdWritePause(double onOff);                     // 0x86
bool CmdWriteLedAlarm(const LedAlarmSetting& alarm);  // 0x87
bool CmdWriteKeypadLock(double onOff);                // 0x88
bool CmdWriteAutoScroll(double onOff);                // 0x89
bool CmdWriteTimers1(const TimerSetting& timers);     // 0x8A, header and PC rows 0..3
bool CmdWriteTimers2(const TimerSetting& timers);     // 0x8B, PC rows 4..10
bool CmdWriteTimers3(const TimerSetting& timers);     // 0x8C, PC rows 11..15
// 0x8D: the n text bytes (36 for three lines of 12); length byte n + 2.
bool CmdWriteWelcomeText(const std::vector<std::uint8_t>& text);
// 0x8E: the 11 name bytes; length byte 0x0C. Any other count is refused:
// the meter would take a frame whose length disagrees with its content.
bool CmdWriteMeterName(const std::vector<std::uint8_t>& name);
// 0x8F: calibration level x 10 (930..959, 1130..1159; 0 = OFF), rounded
// half to even, 0..32767.
bool CmdWriteCalibration(double levelTimesTen);
bool CmdWriteLunchTime(const LunchTimeBytes& lunch);  // 0x90, one zero byte behind the checksum
bool CmdWriteIntervalTime(long long seconds);         // 0x91, low byte first, four zero bytes behind

}  // namespace vkz
