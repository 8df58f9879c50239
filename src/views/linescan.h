// One pass over a line of a data file that finds what the reader needs to
// know about it: where its first TABs are, and whether it holds a CR, a zero
// byte or bytes above 127. A record line is read once instead of once per
// question, which keeps reopening a million records quick.
#pragma once
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vkz::detail {

struct LineScan {
  static constexpr int kTabs = 8;
  std::uint32_t tab[kTabs];  // offsets of the first TABs
  int tabs = 0;              // how many of them (at most kTabs)
  bool high = false;         // a byte above 127 (not plain ASCII)
  bool nul = false;          // a zero byte
  bool cr = false;           // a CR
  std::uint32_t crAt = 0;    // offset of the first CR

  // Field k (0-based) of the line, for k <= tabs; fields past the kTabs-th
  // TAB are not told apart.
  std::string_view field(std::string_view line, int k) const {
    size_t start = k == 0 ? 0 : tab[k - 1] + 1;
    size_t end = k < tabs ? tab[k] : line.size();
    return line.substr(start, end - start);
  }
};

inline void scanByte(LineScan& s, unsigned char c, std::uint32_t i) {
  if (c >= 0x80) s.high = true;
  if (c == '\t') {
    if (s.tabs < LineScan::kTabs) s.tab[s.tabs++] = i;
  } else if (c == '\r') {
    if (!s.cr) s.crAt = i;
    s.cr = true;
  } else if (c == 0) {
    s.nul = true;
  }
}

inline LineScan scanLine(std::string_view line) {
  LineScan s;
  const auto* p = reinterpret_cast<const unsigned char*>(line.data());
  const std::uint32_t n = static_cast<std::uint32_t>(line.size());
  std::uint32_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time: masks of the TABs, CRs and zero bytes; the sign
  // bits give the bytes above 127. The last block overlaps the one before
  // it, its bytes already seen masked off.
  if (n >= 16) {
    const __m128i tab = _mm_set1_epi8('\t'), cr = _mm_set1_epi8('\r'), zero = _mm_setzero_si128();
    for (;;) {
      unsigned skip = 0;
      if (i + 16 > n) {
        if (i >= n) break;
        skip = i - (n - 16);
        i = n - 16;
      }
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      const unsigned keep = 0xFFFFu << skip;
      unsigned tabs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, tab))) & keep;
      if (_mm_movemask_epi8(v) & keep) s.high = true;
      if (unsigned crs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr))) & keep;
          crs && !s.cr) {
        s.cr = true;
        s.crAt = i + static_cast<std::uint32_t>(__builtin_ctz(crs));
      }
      if (_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)) & keep) s.nul = true;
      while (tabs && s.tabs < LineScan::kTabs) {
        s.tab[s.tabs++] = i + static_cast<std::uint32_t>(__builtin_ctz(tabs));
        tabs &= tabs - 1;
      }
      i += 16;
    }
    return s;
  }
#endif
  for (; i < n; ++i) scanByte(s, p[i], i);
  return s;
}

}  // namespace vkz::detail
