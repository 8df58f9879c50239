#include "link/linesettings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace vkz {
namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

std::optional<long> readBaud(const std::string& v) {
  if (v.empty() || v.size() > 9 || !std::all_of(v.begin(), v.end(), ::isdigit)) return std::nullopt;
  const long b = std::strtol(v.c_str(), nullptr, 10);
  if (b <= 0) return std::nullopt;
  return b;
}

std::optional<char> readParity(const std::string& v) {
  if (v.size() != 1) return std::nullopt;
  const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(v[0])));
  if (c == 'N' || c == 'E' || c == 'O' || c == 'M' || c == 'S') return c;
  return std::nullopt;
}

std::optional<int> readData(const std::string& v) {
  if (v.size() == 1 && v[0] >= '5' && v[0] <= '8') return v[0] - '0';
  return std::nullopt;
}

std::optional<int> readStop(const std::string& v) {
  if (v == "1") return 1;
  if (v == "1.5" || v == "2") return 2;
  return std::nullopt;
}

std::optional<bool> readOnOff(const std::string& v) {
  if (v == "on") return true;
  if (v == "off") return false;
  return std::nullopt;
}

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : s) {
    if (c == sep) {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  out.push_back(cur);
  return out;
}

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  const auto e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

std::optional<LineSettings> parseKeyed(const std::string& text) {
  LineSettings s;
  std::istringstream in(text);
  std::string item;
  while (in >> item) {
    const auto eq = item.find('=');
    if (eq == std::string::npos || eq == 0) return std::nullopt;
    const std::string key = item.substr(0, eq);
    const std::string val = item.substr(eq + 1);
    if (key == "baud") {
      if (!(s.baud = readBaud(val))) return std::nullopt;
    } else if (key == "parity") {
      if (!(s.parity = readParity(val))) return std::nullopt;
    } else if (key == "data") {
      if (!(s.dataBits = readData(val))) return std::nullopt;
    } else if (key == "stop") {
      if (!(s.stopBits = readStop(val))) return std::nullopt;
    } else if (key == "xon") {
      if (!(s.xonXoff = readOnOff(val))) return std::nullopt;
    } else if (key == "octs") {
      if (!(s.rtsCts = readOnOff(val))) return std::nullopt;
    } else if (key == "odsr" || key == "idsr" || key == "to") {
      if (!readOnOff(val)) return std::nullopt;
    } else if (key == "dtr") {
      if (val != "on" && val != "off" && val != "hs") return std::nullopt;
    } else if (key == "rts") {
      if (val != "on" && val != "off" && val != "hs" && val != "tg") return std::nullopt;
    } else {
      return std::nullopt;
    }
  }
  return s;
}

std::optional<LineSettings> parseShort(std::string text) {
  // An optional device prefix "com1:".
  const auto colon = text.find(':');
  if (colon != std::string::npos) {
    const std::string dev = trim(text.substr(0, colon));
    if (dev.size() < 4 || dev.compare(0, 3, "com") != 0) return std::nullopt;
    text = text.substr(colon + 1);
  }
  const auto parts = split(text, ',');
  if (parts.size() > 5) return std::nullopt;
  LineSettings s;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::string v = trim(parts[i]);
    if (v.empty()) continue;
    switch (i) {
      case 0:
        if (!(s.baud = readBaud(v))) return std::nullopt;
        break;
      case 1:
        if (!(s.parity = readParity(v))) return std::nullopt;
        break;
      case 2:
        if (!(s.dataBits = readData(v))) return std::nullopt;
        break;
      case 3:
        if (!(s.stopBits = readStop(v))) return std::nullopt;
        break;
      case 4:
        if (v == "x") {
          s.xonXoff = true;
          s.rtsCts = false;
        } else if (v == "p") {
          s.xonXoff = false;
          s.rtsCts = true;
        } else {
          return std::nullopt;
        }
        break;
    }
  }
  return s;
}

struct BaudEntry {
  long baud;
  speed_t speed;
};
constexpr BaudEntry kBauds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

}  // namespace

std::optional<LineSettings> ParseLineSettings(const std::string& raw) {
  const std::string text = lower(trim(raw));
  if (text.empty()) return LineSettings{};
  if (text.find('=') != std::string::npos) return parseKeyed(text);
  return parseShort(text);
}

std::optional<speed_t> BaudToSpeed(long baud) {
  for (const auto& e : kBauds)
    if (e.baud == baud) return e.speed;
  return std::nullopt;
}

long SpeedToBaud(speed_t speed) {
  for (const auto& e : kBauds)
    if (e.speed == speed) return e.baud;
  return 0;
}

bool ApplyLineSettings(termios& t, const LineSettings& s) {
  termios n = t;
  if (s.baud) {
    const auto sp = BaudToSpeed(*s.baud);
    if (!sp) return false;
    cfsetispeed(&n, *sp);
    cfsetospeed(&n, *sp);
  }
  if (s.parity) {
    n.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CMSPAR);
    switch (*s.parity) {
      case 'E':
        n.c_cflag |= PARENB;
        break;
      case 'O':
        n.c_cflag |= PARENB | PARODD;
        break;
      case 'M':
        n.c_cflag |= PARENB | PARODD | CMSPAR;
        break;
      case 'S':
        n.c_cflag |= PARENB | CMSPAR;
        break;
      default:
        break;
    }
  }
  if (s.dataBits) {
    n.c_cflag &= ~static_cast<tcflag_t>(CSIZE);
    static constexpr tcflag_t kSize[] = {CS5, CS6, CS7, CS8};
    n.c_cflag |= kSize[*s.dataBits - 5];
  }
  if (s.stopBits) {
    if (*s.stopBits == 2)
      n.c_cflag |= CSTOPB;
    else
      n.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
  }
  if (s.xonXoff) {
    if (*s.xonXoff)
      n.c_iflag |= IXON | IXOFF;
    else
      n.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  }
  if (s.rtsCts) {
    if (*s.rtsCts)
      n.c_cflag |= CRTSCTS;
    else
      n.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
  }
  t = n;
  return true;
}

void MakeRawKeepLine(termios& t) {
  const tcflag_t keep = t.c_cflag & (CBAUD | CBAUDEX | CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  const speed_t ispeed = cfgetispeed(&t);
  const speed_t ospeed = cfgetospeed(&t);
  cfmakeraw(&t);
  t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | CBAUDEX | CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  t.c_cflag |= keep | CLOCAL | CREAD;
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  cfsetispeed(&t, ispeed);
  cfsetospeed(&t, ospeed);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
}

}  // namespace vkz
