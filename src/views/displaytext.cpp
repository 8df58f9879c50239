#include "views/displaytext.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace vkz {
namespace {

constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

inline bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

double displayNumber(std::string_view t) {
  const char* p = t.data();
  const char* end = p + t.size();
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  bool neg = false;
  if (p < end && (*p == '-' || *p == '+')) neg = *p++ == '-';

  // Mantissa: digits with at most one decimal point. Up to 15 significant
  // digits are gathered exactly; the quotient by a power of ten is then the
  // correctly rounded value, the same as a full decimal conversion.
  const char* start = p;
  std::uint64_t mant = 0;
  int digits = 0, decimals = 0;
  bool exact = true;
  const char* intStart = p;
  for (unsigned d; p < end && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9; ++p) {
    mant = mant * 10 + d;
    if (mant) ++digits;
  }
  bool any = p > intStart;
  if (p < end && (*p == '.' || *p == ',')) {
    const char* fracStart = ++p;
    for (unsigned d; p < end && (d = static_cast<unsigned char>(*p) - unsigned{'0'}) <= 9; ++p) {
      mant = mant * 10 + d;
      if (mant) ++digits;
      ++decimals;
    }
    any = any || p > fracStart;
  }
  if (!any) return 0.0;
  if (digits > 15) exact = false;  // mant may have wrapped: convert the text
  const char* mantEnd = p;

  // Optional exponent: e or E, an optional sign and at least one digit.
  const char* numEnd = mantEnd;
  if (p < end && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    if (q < end && (*q == '-' || *q == '+')) ++q;
    if (q < end && isDigit(*q)) {
      while (q < end && isDigit(*q)) ++q;
      numEnd = q;
      exact = false;
    }
  }

  double v;
  if (exact && decimals < 16) {
    v = static_cast<double>(mant) / kPow10[decimals];
  } else {
    // Rare long or exponent form: a full conversion of a copy with '.'.
    std::string s(start, numEnd);
    for (char& c : s)
      if (c == ',') c = '.';
    v = std::strtod(s.c_str(), nullptr);
    if (std::isinf(v)) v = DBL_MAX;
    if (std::isnan(v)) v = 0.0;
  }
  return neg ? -v : v;
}

namespace {
size_t firstNonBlank(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return i;
}
}  // namespace

bool isFlaggedLevel(std::string_view cell) {
  size_t i = firstNonBlank(cell);
  return i < cell.size() && cell[i] == '*';
}

double levelValue(std::string_view cell) {
  size_t i = firstNonBlank(cell);
  if (i < cell.size() && cell[i] == '*') ++i;
  return displayNumber(cell.substr(i));
}

std::string_view cellOfRow(std::string_view row, int col) {
  if (col < 0) return {};
  size_t start = 0;
  for (int c = 0; c < col; ++c) {
    size_t tab = row.find('\t', start);
    if (tab == std::string_view::npos) return {};
    start = tab + 1;
  }
  size_t tab = row.find('\t', start);
  return row.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
}

std::string cleanCellText(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return out;
}

}  // namespace vkz
