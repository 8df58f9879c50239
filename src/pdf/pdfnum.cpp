#include "pdf/pdfnum.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vkz {
namespace {

constexpr double kPow10[] = {1,   10,  100,  1e3,  1e4,  1e5,  1e6,  1e7,
                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// "00" to "99": two digits per division.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the `count` last digits of u before `p`, moving p; u loses them.
inline char* lastDigits(char* p, unsigned long long& u, int count) {
  for (; count >= 2; count -= 2) {
    const auto pair = static_cast<size_t>(u % 100) * 2;
    u /= 100;
    *--p = kDigitPairs[pair + 1];
    *--p = kDigitPairs[pair];
  }
  if (count == 1) {
    *--p = static_cast<char>('0' + u % 10);
    u /= 10;
  }
  return p;
}

// A number from 1 to below a million that lies nearer to a whole number of
// hundredths than its 15 significant digits tell apart (a page size,
// 595.28): written from those hundredths, without the general conversion.
// False when the number needs it.
bool appendHundredths(std::string& out, double v) {
  const double a = std::fabs(v);
  if (!(a >= 1 && a < 1e6)) return false;
  int k = 0;  // a lies in [10^k, 10^(k+1))
  while (k < 5 && a >= kPow10[k + 1]) ++k;
  // Well inside its decade, so its count of whole digits is beyond doubt.
  if (a < kPow10[k] * (1 + 1e-9) || a > kPow10[k + 1] * (1 - 1e-9)) return false;
  const int decimals = 15 - (k + 1);
  const double s = a * 100;
  const auto q = static_cast<long long>(s + 0.5);
  // s differs from the exact a * 100 by half an ulp at most; with that,
  // a must lie within half a unit of the last decimal of q / 100.
  if (std::fabs(s - static_cast<double>(q)) + s * 2.3e-16 >= 0.5 / kPow10[decimals - 2]) return false;
  char buf[24];
  char* const end = buf + sizeof buf;
  char* p = end;
  auto u = static_cast<unsigned long long>(q);
  const auto cents = static_cast<unsigned>(u % 100);
  u /= 100;
  if (cents != 0) {
    if (cents % 10 != 0) *--p = static_cast<char>('0' + cents % 10);
    *--p = static_cast<char>('0' + cents / 10);
    *--p = '.';
  }
  do {
    *--p = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u != 0);
  if (v < 0) *--p = '-';
  out.append(p, static_cast<size_t>(end - p));
  return true;
}

}  // namespace

void appendPdfNumber(std::string& out, double v, int decimals) {
  if (decimals < 0) decimals = 0;
  if (decimals > 15) decimals = 15;
  if (!std::isfinite(v)) v = 0;
  const double scaled = v * kPow10[decimals];
  if (std::fabs(scaled) < 9.0e18) {
    // Halves away from zero, as llround: below 2^52 the fraction is
    // scaled less its whole part, exactly; above, scaled is whole already.
    long long q = static_cast<long long>(scaled);
    const double frac = scaled - static_cast<double>(q);
    if (frac >= 0.5) {
      ++q;
    } else if (frac <= -0.5) {
      --q;
    }
    unsigned long long u =
        q < 0 ? 0ULL - static_cast<unsigned long long>(q) : static_cast<unsigned long long>(q);
    // Written from the last digit backwards: the decimals, the point and
    // at least one whole digit.
    char buf[48];
    char* const end = buf + sizeof buf;
    char* p = end;
    p = lastDigits(p, u, decimals);
    if (decimals > 0) *--p = '.';
    while (u >= 100) p = lastDigits(p, u, 2);
    p = lastDigits(p, u, u >= 10 ? 2 : 1);
    if (q < 0) *--p = '-';
    out.append(p, static_cast<size_t>(end - p));
    return;
  }
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof(buf), v, std::chars_format::fixed, decimals);
  out.append(buf, r.ptr);
}

std::string FormatPdfNumber(double v, int decimals) {
  std::string s;
  appendPdfNumber(s, v, decimals);
  return s;
}

void appendGeneralNumber(std::string& out, double v) {
  if (!std::isfinite(v) || v == 0) {
    out += '0';
    return;
  }
  if (appendHundredths(out, v)) return;
  const double a = std::fabs(v);
  int intDigits = a < 1 ? 1 : static_cast<int>(std::floor(std::log10(a))) + 1;
  int decimals = 15 - intDigits;
  if (a < 1) {
    // Leading zeros after the point do not count as significant digits.
    decimals = 15 - static_cast<int>(std::floor(std::log10(a))) - 1;
  }
  if (decimals < 0) decimals = 0;
  if (decimals > 340) decimals = 340;
  char buf[800];
  auto r = std::to_chars(buf, buf + sizeof(buf), v, std::chars_format::fixed, decimals);
  char* end = r.ptr;
  char* dot = nullptr;
  for (char* c = buf; c != end; ++c)
    if (*c == '.') dot = c;
  if (dot) {
    while (end > dot && end[-1] == '0') --end;
    if (end - 1 == dot) --end;
  }
  std::string_view s(buf, static_cast<size_t>(end - buf));
  if (s == "-0" || s.empty()) s = "0";
  out.append(s);
}

std::string generalNumber(double v) {
  std::string s;
  appendGeneralNumber(s, v);
  return s;
}

std::string shownNumber(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
  return generalNumber(v);
}

void appendPdfStringBody(std::string& out, std::string_view bytes) {
  for (char c : bytes) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '(':
        out += "\\(";
        break;
      case ')':
        out += "\\)";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += c;
    }
  }
}

std::string pdfName(std::string_view bytes) {
  static const char* hex = "0123456789ABCDEF";
  std::string s;
  for (char ch : bytes) {
    auto c = static_cast<unsigned char>(ch);
    bool delimiter = c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' ||
                     c == '}' || c == '/' || c == '%' || c == '#';
    if (c > 0x20 && c < 0x7F && !delimiter) {
      s += static_cast<char>(c);
    } else {
      s += '#';
      s += hex[c >> 4];
      s += hex[c & 15];
    }
  }
  if (s.empty()) s = "_";
  return s;
}

long long roundEven(double v) {
  if (!std::isfinite(v)) return 0;
  // Below 2^52, adding 2^52 to the size of v and taking it away again
  // leaves the nearest whole number, halves to the even one, as nearbyint
  // does without a call into the math library; from 2^52 on v is whole.
  constexpr double kTwo52 = 4503599627370496.0;
  double r = v;
  if (std::fabs(v) < kTwo52) r = v < 0 ? -((kTwo52 - v) - kTwo52) : (v + kTwo52) - kTwo52;
  // 2^63 is the first double past the range of long long.
  if (r >= 9223372036854775808.0) return std::numeric_limits<long long>::max();
  if (r < -9223372036854775808.0) return std::numeric_limits<long long>::min();
  return static_cast<long long>(r);
}

}  // namespace vkz
