// One pass over a line of a data file that finds what the reader needs to
// know about it: where its first TABs are, and whether it holds a CR, a zero
// byte or bytes above 127. A record line is read once instead of once per
// question, which keeps reopening a million records quick.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vkz::detail {

struct LineScan {
  static constexpr int kTabs = 8;
  std::uint32_t tab[2 * kTabs];  // offsets of the first TABs (the rest: room to work in)
  int tabs = 0;                  // how many of them (at most kTabs)
  bool high = false;             // a byte above 127 (not plain ASCII)
  bool nul = false;              // a zero byte
  bool cr = false;               // a CR
  std::uint32_t crAt = 0;        // offset of the first CR

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

inline int bitCount(std::uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555u);
  x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<int>((x * 0x0101010101010101u) >> 56);
}

// Takes the TABs of a stretch of up to 64 bytes that starts at `base` (bit
// k of `tabs`: byte base + k). The offsets are written without a jump per
// TAB; the ones past the count land in the spare room.
inline void addTabs(LineScan& s, std::uint64_t tabs, std::uint32_t base) {
  if (!tabs || s.tabs >= LineScan::kTabs) return;
  const int found = bitCount(tabs);
  std::uint32_t* out = s.tab + s.tabs;
#pragma GCC unroll 8
  for (int j = 0; j < LineScan::kTabs; ++j) {
    out[j] = base + static_cast<std::uint32_t>(__builtin_ctzll(tabs | (std::uint64_t{1} << 63)));
    tabs &= tabs - 1;
  }
  s.tabs = s.tabs + found < LineScan::kTabs ? s.tabs + found : LineScan::kTabs;
}

// The CRs, zero bytes and high bytes marked in `odd` (bit k: byte p[k], at
// offset base + k of the line).
inline void addOdd(LineScan& s, const unsigned char* p, std::uint64_t odd, std::uint32_t base) {
  for (; odd; odd &= odd - 1) {
    const unsigned k = static_cast<unsigned>(__builtin_ctzll(odd));
    const unsigned char c = p[k];
    if (c >= 0x80) {
      s.high = true;
    } else if (c == '\r') {
      if (!s.cr) s.crAt = base + k;
      s.cr = true;
    } else {
      s.nul = true;
    }
  }
}

#if defined(__SSE2__)
// Masks of one block of 16 bytes: its TABs, LFs, and its CRs, zero bytes
// and bytes above 127 together.
struct Masks16 {
  unsigned tab, lf, odd;
};
inline Masks16 masks16(const unsigned char* p) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i odd =
      _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(v, _mm_setzero_si128()));
  return {static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\t')))),
          static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')))),
          static_cast<unsigned>(_mm_movemask_epi8(odd) | _mm_movemask_epi8(v))};
}
#endif

// Scans `p[0..n)` up to its first LF when `toLF` is set (the whole of it
// otherwise) and describes the bytes before that LF in `s`, byte i at
// offset base + i of the line. Returns the offset of the LF in p, or n when
// there is none.
template <bool toLF>
inline std::size_t scanBytes(const char* text, std::size_t n, LineScan& s, std::uint32_t base = 0) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= n; i += 16) {
    const Masks16 m = masks16(p + i);
    const unsigned lf = toLF ? m.lf : 0u;
    const unsigned keep = lf ? (lf & (0u - lf)) - 1 : 0xFFFFu;
    const auto at = base + static_cast<std::uint32_t>(i);
    if (m.odd & keep) addOdd(s, p + i, m.odd & keep, at);
    addTabs(s, m.tab & keep, at);
    if (lf) return i + static_cast<std::size_t>(__builtin_ctz(lf));
  }
#endif
  for (; i < n; ++i) {
    if (toLF && p[i] == '\n') return i;
    scanByte(s, p[i], base + static_cast<std::uint32_t>(i));
  }
  return n;
}

inline LineScan scanLine(std::string_view line) {
  LineScan s;
  scanBytes<false>(line.data(), line.size(), s);
  return s;
}

// Cuts a block of bytes into lines. The masks of 64 bytes at a time are
// made once and serve every line that starts in them; a line is looked at
// through the 64 bytes from its start (two such stretches joined), so a
// record line is read in one piece.
class LineCutter {
 public:
  explicit LineCutter(std::string_view bytes)
      : p_(reinterpret_cast<const unsigned char*>(bytes.data())), n_(bytes.size()) {}

  // The line that starts at offset `at`: the distance to its LF (n - at
  // when the bytes hold none) and, in `s`, what the bytes before it hold.
  std::size_t toLF(std::size_t at, LineScan& s) {
    std::size_t pos = at;
#if defined(__SSE2__)
    for (;;) {
      if (!(pos >= base_ && pos - base_ < 64)) {  // bring pos into the first stretch
        if (has1_ && pos - base_ < 128) {
          w0_ = w1_;
          base_ += 64;
          has1_ = false;
        } else {
          if (n_ - pos < 64) break;  // the last bytes: 16 at a time
          base_ = pos;
          w0_ = load(pos);
          has1_ = false;
        }
      }
      const unsigned off = static_cast<unsigned>(pos - base_);
      Masks64 r{w0_.tab >> off, w0_.lf >> off, w0_.odd >> off};
      unsigned bits = 64 - off;
      if (off != 0 && (has1_ || n_ - base_ >= 128)) {
        if (!has1_) {
          w1_ = load(base_ + 64);
          has1_ = true;
        }
        r.tab |= w1_.tab << bits;
        r.lf |= w1_.lf << bits;
        r.odd |= w1_.odd << bits;
        bits = 64;
      }
      const std::uint64_t seen = bits == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
      const std::uint64_t keep = r.lf ? (r.lf & (0 - r.lf)) - 1 : seen;
      const auto rel = static_cast<std::uint32_t>(pos - at);
      if (const std::uint64_t odd = r.odd & keep) addOdd(s, p_ + pos, odd, rel);
      addTabs(s, r.tab & keep, rel);
      if (r.lf) return pos - at + static_cast<std::size_t>(__builtin_ctzll(r.lf));
      pos += bits;
    }
#endif
    return pos - at +
           scanBytes<true>(reinterpret_cast<const char*>(p_ + pos), n_ - pos, s,
                           static_cast<std::uint32_t>(pos - at));
  }

 private:
  struct Masks64 {
    std::uint64_t tab = 0, lf = 0, odd = 0;
  };
#if defined(__SSE2__)
  Masks64 load(std::size_t base) const {
    Masks64 w;
    for (unsigned k = 0; k < 4; ++k) {
      const Masks16 m = masks16(p_ + base + 16 * k);
      w.tab |= std::uint64_t{m.tab} << (16 * k);
      w.lf |= std::uint64_t{m.lf} << (16 * k);
      w.odd |= std::uint64_t{m.odd} << (16 * k);
    }
    return w;
  }
#endif
  const unsigned char* p_;
  std::size_t n_;
  std::size_t base_ = ~std::size_t{0};  // where the first stretch of masks starts (none yet)
  Masks64 w0_, w1_;                     // the masks of base_.. and of base_ + 64..
  bool has1_ = false;                   // w1_ is made
};

}  // namespace vkz::detail
