#include "views/displaytext.h"

#include <cfloat>
#include <charconv>
#include <string>
#include <system_error>

namespace vkz {

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The digits from `p` on: where they end.
const char* skipDigits(const char* p, const char* end) {
  while (p < end && isDigit(*p)) ++p;
  return p;
}

// The power of ten of a number's first significant digit, roughly (from its
// digits before and after the point and its exponent): above 0 for a number
// too large for a double, below for one too small.
long magnitude(std::string_view whole, std::string_view fraction, long exponent) {
  const size_t lead = whole.find_first_not_of('0');
  if (lead != std::string_view::npos) return static_cast<long>(whole.size() - lead) + exponent;
  const size_t first = fraction.find_first_not_of('0');
  return first == std::string_view::npos ? -1 : exponent - static_cast<long>(first);
}

}  // namespace

LeadingNumber leadingNumber(std::string_view t) {
  LeadingNumber n;
  const char* p = t.data();
  const char* end = p + t.size();
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  const char* start = p;
  const bool neg = p < end && *p == '-';
  if (p < end && (*p == '-' || *p == '+')) ++p;
  // Digits with at most one point ("." or ","), at least one digit.
  const char* whole = p;
  p = skipDigits(p, end);
  const std::string_view wholeDigits(whole, static_cast<size_t>(p - whole));
  std::string_view fraction;
  const char* point = nullptr;
  if (p < end && (*p == '.' || *p == ',')) {
    point = p;
    const char* f = p + 1;
    p = skipDigits(f, end);
    fraction = std::string_view(f, static_cast<size_t>(p - f));
  }
  if (wholeDigits.empty() && fraction.empty()) return n;
  // An exponent: E or D (either case), an optional sign, at least one digit.
  long exponent = 0;
  const char* expLetter = nullptr;
  if (p < end && (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D')) {
    const char* q = p + 1;
    const bool expNeg = q < end && *q == '-';
    if (q < end && (*q == '-' || *q == '+')) ++q;
    if (q < end && isDigit(*q)) {
      expLetter = p;
      const char* digits = q;
      p = skipDigits(q, end);
      for (const char* d = digits; d < p && exponent < 100000; ++d) exponent = exponent * 10 + (*d - '0');
      if (expNeg) exponent = -exponent;
    }
  }
  n.text = std::string_view(start, static_cast<size_t>(p - start));

  // std::from_chars takes no "+", "," or "D": those are written as it reads
  // them into a copy (a number of a display text is short).
  std::string copy;
  const char* from = whole;
  const char* to = p;
  if ((point && *point == ',') || (expLetter && (*expLetter | 0x20) == 'd')) {
    copy.assign(whole, p);
    if (point) copy[static_cast<size_t>(point - whole)] = '.';
    if (expLetter) copy[static_cast<size_t>(expLetter - whole)] = 'e';
    from = copy.data();
    to = from + copy.size();
  }
  double v = 0;
  const auto [ptr, ec] = std::from_chars(from, to, v, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    n.overflow = magnitude(wholeDigits, fraction, exponent) > 0;
    v = n.overflow ? DBL_MAX : 0.0;
  }
  n.value = neg ? -v : v;
  return n;
}

double displayNumber(std::string_view text) {
  return leadingNumber(text).value;
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
