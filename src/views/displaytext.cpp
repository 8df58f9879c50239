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

namespace {

inline bool isPoint(unsigned char c) {
  return c == '.' || c == ',';
}

// The level texts of a measurement ("85.3 dB", "104.2", "9,5 dB"): one to
// three digits, a decimal point, one digit, then the end or anything but a
// digit or an exponent letter (E or D). Read without branches on the
// digits, so a grid of a million levels with two and three digits mixed
// reads without mispredicted jumps. False (and nothing read) for any other
// text.
inline bool shortDecimal(std::string_view t, double& v) {
  const size_t n = t.size();
  if (n < 3) return false;
  const auto* s = reinterpret_cast<const unsigned char*>(t.data());
  const unsigned a = s[0] - unsigned{'0'}, b = s[1] - unsigned{'0'}, c = s[2] - unsigned{'0'};
  // Where the point is: k digits before it (0: not one of these texts).
  const unsigned p1 = isPoint(s[1]);
  const unsigned p2 = unsigned{n >= 4} & isPoint(s[2]) & (p1 ^ 1u);
  const unsigned p3 = unsigned{n >= 5} & isPoint(s[n >= 4 ? 3 : 0]) & ((p1 | p2) ^ 1u);
  const size_t k = p1 + 2 * p2 + 3 * p3;
  const unsigned f = s[k + 1] - unsigned{'0'};  // in the text: see p2, p3
  const bool more = k + 2 < n;
  const unsigned char next = s[more ? k + 2 : 0];
  const bool ends = (!more) | ((next - unsigned{'0'} > 9) & ((next | 0x20) != 'e') & ((next | 0x20) != 'd'));
  const bool ok = (k != 0) & (a <= 9) & ((k < 2) | (b <= 9)) & ((k < 3) | (c <= 9)) & (f <= 9) & ends;
  if (!ok) return false;
  const unsigned whole[4] = {0, a, a * 10 + b, a * 100 + b * 10 + c};
  v = static_cast<double>(whole[k] * 10 + f) / 10.0;  // as the full reading divides
  return true;
}

}  // namespace

double displayNumber(std::string_view t) {
  if (double v; shortDecimal(t, v)) return v;
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

  // Optional exponent: E or D (either case), an optional sign and at least
  // one digit.
  const char* numEnd = mantEnd;
  if (p < end && (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D')) {
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
    for (char& c : s) {
      if (c == ',') c = '.';
      if (c == 'd' || c == 'D') c = 'e';
    }
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
