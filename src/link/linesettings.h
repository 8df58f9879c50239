// Line settings texts ("baud=57600 parity=N data=8 stop=1", or the short
// form "57600,n,8,1") read into terminal attributes.
#pragma once
#include <termios.h>

#include <optional>
#include <string>

namespace vkz {

// What a settings text names; what it leaves out keeps the device's value.
struct LineSettings {
  std::optional<long> baud;
  std::optional<char> parity;   // 'N', 'E', 'O', 'M', 'S'
  std::optional<int> dataBits;  // 5..8
  std::optional<int> stopBits;  // 1 or 2 (1.5 is taken as 2, as the line drivers do)
  std::optional<bool> xonXoff;
  std::optional<bool> rtsCts;
};

// Reads a settings text. Keys and values are case-insensitive; an empty
// text names nothing. Accepts the keys baud, parity, data, stop, xon, octs,
// odsr, idsr, dtr, rts, to (the last five are accepted and left alone) and
// the short form "baud,parity,data,stop[,x|p]" with an optional leading
// "COMn:". Returns nothing for a text it cannot read.
std::optional<LineSettings> ParseLineSettings(const std::string& text);

// The terminal speed constant for a baud rate, or nothing for a rate the
// line driver does not offer.
std::optional<speed_t> BaudToSpeed(long baud);
// The baud rate of a terminal speed constant, 0 when unknown.
long SpeedToBaud(speed_t speed);

// Writes `s` over the attributes `t`. False (and `t` unchanged) when a baud
// rate has no speed constant.
bool ApplyLineSettings(termios& t, const LineSettings& s);

// Raw mode: no echo, no line editing, no signal characters, no CR/LF
// translation, no software flow control, reads that never wait (VMIN 0,
// VTIME 0), receiver on, modem lines ignored. Speed, character size, parity,
// stop bits and hardware flow control stay as they were.
void MakeRawKeepLine(termios& t);

}  // namespace vkz
