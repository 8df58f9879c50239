#include "base/cp1252.h"

#include <array>

namespace vkz {
namespace {

// 0x80..0x9F: the only block that differs from Latin-1.
constexpr std::array<char32_t, 32> kHigh = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char32_t cp1252ToUnicode(unsigned char c) {
  if (c >= 0x80 && c < 0xA0) return kHigh[c - 0x80];
  return c;
}

int unicodeToCp1252(char32_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<int>(u);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == u) return 0x80 + i;
  return -1;
}

std::string cp1252ToUtf8(std::string_view bytes) {
  // Every character takes 1 byte (ASCII), 2 (Latin-1) or 3 (the 0x80..0x9F
  // block but for its five C1 controls): the length first, then one pass
  // that writes into place.
  size_t len = bytes.size();
  for (unsigned char c : bytes)
    if (c >= 0x80) len += c >= 0xA0 || kHigh[c - 0x80] < 0x800 ? 1 : 2;
  std::string out(len, '\0');
  char* o = out.data();
  for (unsigned char c : bytes) {
    if (c < 0x80) {
      *o++ = static_cast<char>(c);
      continue;
    }
    const char32_t u = cp1252ToUnicode(c);
    if (u < 0x800) {
      *o++ = static_cast<char>(0xC0 | (u >> 6));
    } else {
      *o++ = static_cast<char>(0xE0 | (u >> 12));
      *o++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    }
    *o++ = static_cast<char>(0x80 | (u & 0x3F));
  }
  return out;
}

std::string utf8ToCp1252(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    int len = (c >= 0xF0 && c < 0xF8) ? 4 : (c >= 0xE0) && c < 0xF0 ? 3 : (c >= 0xC2 && c < 0xE0) ? 2 : 0;
    char32_t u = 0;
    bool ok = len > 0 && i + len <= s.size();
    if (ok) {
      u = c & (0x7F >> len);
      for (int k = 1; k < len; ++k) {
        unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) {
          ok = false;
          break;
        }
        u = (u << 6) | (cc & 0x3F);
      }
    }
    if (!ok) {  // not UTF-8: keep the byte as it is
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    int b = unicodeToCp1252(u);
    out += b < 0 ? '?' : static_cast<char>(b);
    i += len;
  }
  return out;
}

}  // namespace vkz
