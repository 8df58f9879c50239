#include "link/comname.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>

#include "base/appdir.h"
#include "base/trtext.h"

namespace vkz {
namespace {

// The machine's serial devices by port number.
std::string machineDevice(int n) {
  if (n >= 1 && n <= 32) return "/dev/ttyS" + std::to_string(n - 1);
  if (n >= 33 && n <= 64) return "/dev/ttyUSB" + std::to_string(n - 33);
  if (n >= 65 && n <= 96) return "/dev/ttyACM" + std::to_string(n - 65);
  return "";
}

// The fallback in force; empty: none.
ComDefaultDevices g_defaults = machineDevice;

// The number of a name "COM<n>" (n 1..256), else 0.
int comNumber(const std::string& name) {
  if (name.size() < 4 || name.size() > 6 || name.compare(0, 3, "COM") != 0) return 0;
  int n = 0;
  for (std::size_t i = 3; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return 0;
    n = n * 10 + (name[i] - '0');
  }
  return (name[3] != '0' && n >= 1 && n <= 256) ? n : 0;
}
}  // namespace

void setComFallback(bool on) {
  g_defaults = on ? ComDefaultDevices(machineDevice) : ComDefaultDevices();
}
bool comFallback() {
  return static_cast<bool>(g_defaults);
}
void setComDefaultDevices(ComDefaultDevices map) {
  g_defaults = map ? std::move(map) : ComDefaultDevices(machineDevice);
}

std::string ComDevicePath(const std::string& portName) {
  const int n = comNumber(portName);
  if (n == 0) return "";
  const std::string entry = appPath("com/" + portName);
  struct stat st {};
  if (::lstat(entry.c_str(), &st) == 0) return entry;
  return g_defaults ? g_defaults(n) : "";
}

std::string ComNameMapText() {
  std::string text;
  for (int n = 1; n <= 256; ++n) {
    const std::string name = "COM" + std::to_string(n);
    const std::string path = ComDevicePath(name);
    if (path.empty()) continue;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) continue;  // no device behind it
    std::string shown = path;
    char real[PATH_MAX];
    if (::realpath(path.c_str(), real) != nullptr && shown != real) shown += "  (" + std::string(real) + ")";
    text += name + "  ->  " + shown + "\n";
  }
  if (text.empty()) {
    text = trText("Port", "No serial device found.") + "\n";
  }
  text += "\n";
  text += trText("Port",
                 "A link com/COMn beside the program names any device; otherwise COM1-32 are "
                 "/dev/ttyS0-31, COM33-64 /dev/ttyUSB0-31 and COM65-96 /dev/ttyACM0-31.");
  return text;
}

}  // namespace vkz
