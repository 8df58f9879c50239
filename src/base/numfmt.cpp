#include "base/numfmt.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace vkz {
namespace {
char g_sep = '.';
}

char decimalSeparator() {
  return g_sep;
}
void setDecimalSeparator(char c) {
  g_sep = c ? c : '.';
}

double roundHalfEven(double v) {
  return std::nearbyint(v);
}

std::string formatPattern(double v, std::string_view pattern, char sep) {
  if (!sep) sep = g_sep;
  if (!std::isfinite(v)) return "0";
  auto dot = pattern.find('.');
  int intDigits = 0, decimals = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '0' && pattern[i] != '#') continue;
    if (dot != std::string_view::npos && i > dot)
      ++decimals;
    else if (pattern[i] == '0')
      ++intDigits;
  }
  double scale = std::pow(10.0, decimals);
  double scaled = std::fabs(v) * scale;
  // Half away from zero on the decimal value; the nudge keeps values such
  // as 0.15 (0.1499999... in binary) rounding the way they read.
  double r = std::floor(scaled + 0.5 + scaled * 1e-12);
  bool neg = v < 0 && r > 0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.0f", r);
  std::string digits = buf;
  if (static_cast<int>(digits.size()) < decimals + 1)
    digits.insert(0, static_cast<size_t>(decimals + 1) - digits.size(), '0');
  std::string ip = digits.substr(0, digits.size() - static_cast<size_t>(decimals));
  std::string fp = digits.substr(digits.size() - static_cast<size_t>(decimals));
  if (static_cast<int>(ip.size()) < intDigits) ip.insert(0, static_cast<size_t>(intDigits) - ip.size(), '0');
  if (intDigits == 0 && ip == "0") ip.clear();
  std::string out = neg ? "-" : "";
  out += ip;
  if (decimals > 0) {
    out += sep;
    out += fp;
  }
  if (out.empty() || out == "-") return std::string(1, '0');
  return out;
}

std::optional<double> parseNumber(std::string_view text) {
  std::string t(text);
  size_t b = t.find_first_not_of(" \t");
  if (b == std::string::npos) return std::nullopt;
  size_t e = t.find_last_not_of(" \t");
  t = t.substr(b, e - b + 1);
  for (char& c : t)
    if (c == g_sep) c = '.';
  for (char c : t)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'e' ||
          c == 'E'))
      return std::nullopt;
  char* end = nullptr;
  double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

double val(std::string_view text) {
  std::string t;
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) t += text[i++];
  bool dot = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (std::isdigit(static_cast<unsigned char>(c)))
      t += c;
    else if (c == '.' && !dot) {
      dot = true;
      t += c;
    } else if (c != ' ')
      break;
  }
  double v = std::strtod(t.c_str(), nullptr);
  return std::isfinite(v) ? v : 0.0;
}

}  // namespace vkz
