#include "polling/textforms.h"

#include <cstdio>

#include "base/numfmt.h"

namespace vkz {
namespace {

std::string zeroPad(std::int64_t v, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", width, static_cast<long long>(v));
  return buf;
}

std::string fixedText(std::int64_t scaled, int decimals, std::int64_t unit) {
  bool neg = scaled < 0;
  std::uint64_t a = neg ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
  std::string s = neg ? "-" : "";
  s += std::to_string(a / static_cast<std::uint64_t>(unit));
  s += decimalSeparator();
  std::string frac = std::to_string(a % static_cast<std::uint64_t>(unit));
  s += std::string(static_cast<size_t>(decimals) - frac.size(), '0') + frac;
  return s;
}

bool isLeap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}
int daysInMonth(int y, int m) {
  static const int d[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : d[m - 1];
}

// Days since 1970-01-01 of a civil date (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}

}  // namespace

std::string decimalText(std::int64_t v) {
  return std::to_string(v);
}

std::string tenthsText(std::int64_t tenths) {
  return fixedText(tenths, 1, 10);
}

std::string energyText(std::int64_t pa2s) {
  // thousandths of Pa²h = pa2s * 1000 / 3600 = pa2s * 5 / 18, a half away from zero.
  bool neg = pa2s < 0;
  std::int64_t a = neg ? -pa2s : pa2s;
  std::int64_t milli = (a * 10 + 18) / 36;
  return fixedText(neg ? -milli : milli, 3, 1000);
}

std::string durationText(std::int64_t seconds) {
  return zeroPad(seconds / 3600, 2) + ":" + zeroPad(seconds % 3600 / 60, 2) + ":" + zeroPad(seconds % 60, 2);
}

std::string clockText(std::int64_t seconds) {
  return std::to_string(seconds / 3600) + ":" + zeroPad(seconds % 3600 / 60, 2) + ":" +
         zeroPad(seconds % 60, 2);
}

std::string dateTimeText(int year, int month, int day, int hour, int minute, int second, const char* gap) {
  return zeroPad(year, 4) + "/" + zeroPad(month, 2) + "/" + zeroPad(day, 2) + gap + zeroPad(hour, 2) + ":" +
         zeroPad(minute, 2) + ":" + zeroPad(second, 2);
}

bool parseDateTime(const std::string& text, DateTime& out) {
  DateTime t;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d/%d/%d %d:%d:%d%c", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                  &t.second, &tail) != 6)
    return false;
  if (t.year < 1 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1 ||
      t.day > daysInMonth(t.year, t.month) || t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 ||
      t.second < 0 || t.second > 59)
    return false;
  out = t;
  return true;
}

DateTime addSeconds(const DateTime& t, std::int64_t seconds) {
  std::int64_t total =
      daysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) * 86400 +
      t.hour * 3600 + t.minute * 60 + t.second + seconds;
  std::int64_t days = total >= 0 ? total / 86400 : (total - 86399) / 86400;
  std::int64_t rem = total - days * 86400;
  std::int64_t y;
  unsigned m, d;
  civilFromDays(days, y, m, d);
  DateTime r;
  r.year = y > 99999 ? 99999 : y < -99999 ? -99999 : static_cast<int>(y);  // kept in range of int
  r.month = static_cast<int>(m);
  r.day = static_cast<int>(d);
  r.hour = static_cast<int>(rem / 3600);
  r.minute = static_cast<int>(rem % 3600 / 60);
  r.second = static_cast<int>(rem % 60);
  return r;
}

}  // namespace vkz
