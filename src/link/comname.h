// Port names COM1..COM256 mapped to serial devices.
//
// An entry com/COMn beside the program (usually a symbolic link to a device
// or a pseudo-terminal) wins. Otherwise COM1-32 are /dev/ttyS0-31, COM33-64
// /dev/ttyUSB0-31 and COM65-96 /dev/ttyACM0-31; the other numbers have no
// device. Tests switch the fallback off so the machine's own ports never
// take part, or put a map of their own.
#pragma once
#include <functional>
#include <string>

namespace vkz {

// Device path for a port name such as "COM5"; "" when the name has none.
std::string ComDevicePath(const std::string& portName);

// Switches the /dev fallback on (the default) or off.
void setComFallback(bool on);
bool comFallback();

// The default device of a port number (COM1 is 1) without an entry, "" for
// none. A seam: tests put a map of their own (a pseudo-terminal standing as
// a machine's serial port); nullptr puts the machine's map back.
using ComDefaultDevices = std::function<std::string(int number)>;
void setComDefaultDevices(ComDefaultDevices map);

// The map as the "Device Manager" button shows it: one line per port whose
// device exists ("COM3  ->  /dev/ttyUSB2"), symbolic links followed to their
// target, or a line saying that no serial device was found.
std::string ComNameMapText();

}  // namespace vkz
