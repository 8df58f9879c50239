#include "pdf/afm.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>
#include <vector>

#include "base/trtext.h"
#include "pdf/filebytes.h"

namespace vkz {
namespace {

// WinAnsiEncoding (code page 1252) glyph names, codes 0x20..0xFF.
constexpr std::string_view kWinAnsi[224] = {"space",
                                            "exclam",
                                            "quotedbl",
                                            "numbersign",
                                            "dollar",
                                            "percent",
                                            "ampersand",
                                            "quotesingle",
                                            "parenleft",
                                            "parenright",
                                            "asterisk",
                                            "plus",
                                            "comma",
                                            "hyphen",
                                            "period",
                                            "slash",
                                            "zero",
                                            "one",
                                            "two",
                                            "three",
                                            "four",
                                            "five",
                                            "six",
                                            "seven",
                                            "eight",
                                            "nine",
                                            "colon",
                                            "semicolon",
                                            "less",
                                            "equal",
                                            "greater",
                                            "question",
                                            "at",
                                            "A",
                                            "B",
                                            "C",
                                            "D",
                                            "E",
                                            "F",
                                            "G",
                                            "H",
                                            "I",
                                            "J",
                                            "K",
                                            "L",
                                            "M",
                                            "N",
                                            "O",
                                            "P",
                                            "Q",
                                            "R",
                                            "S",
                                            "T",
                                            "U",
                                            "V",
                                            "W",
                                            "X",
                                            "Y",
                                            "Z",
                                            "bracketleft",
                                            "backslash",
                                            "bracketright",
                                            "asciicircum",
                                            "underscore",
                                            "grave",
                                            "a",
                                            "b",
                                            "c",
                                            "d",
                                            "e",
                                            "f",
                                            "g",
                                            "h",
                                            "i",
                                            "j",
                                            "k",
                                            "l",
                                            "m",
                                            "n",
                                            "o",
                                            "p",
                                            "q",
                                            "r",
                                            "s",
                                            "t",
                                            "u",
                                            "v",
                                            "w",
                                            "x",
                                            "y",
                                            "z",
                                            "braceleft",
                                            "bar",
                                            "braceright",
                                            "asciitilde",
                                            "",
                                            "Euro",
                                            "",
                                            "quotesinglbase",
                                            "florin",
                                            "quotedblbase",
                                            "ellipsis",
                                            "dagger",
                                            "daggerdbl",
                                            "circumflex",
                                            "perthousand",
                                            "Scaron",
                                            "guilsinglleft",
                                            "OE",
                                            "",
                                            "Zcaron",
                                            "",
                                            "",
                                            "quoteleft",
                                            "quoteright",
                                            "quotedblleft",
                                            "quotedblright",
                                            "bullet",
                                            "endash",
                                            "emdash",
                                            "tilde",
                                            "trademark",
                                            "scaron",
                                            "guilsinglright",
                                            "oe",
                                            "",
                                            "zcaron",
                                            "Ydieresis",
                                            "space",
                                            "exclamdown",
                                            "cent",
                                            "sterling",
                                            "currency",
                                            "yen",
                                            "brokenbar",
                                            "section",
                                            "dieresis",
                                            "copyright",
                                            "ordfeminine",
                                            "guillemotleft",
                                            "logicalnot",
                                            "hyphen",
                                            "registered",
                                            "macron",
                                            "degree",
                                            "plusminus",
                                            "twosuperior",
                                            "threesuperior",
                                            "acute",
                                            "mu",
                                            "paragraph",
                                            "periodcentered",
                                            "cedilla",
                                            "onesuperior",
                                            "ordmasculine",
                                            "guillemotright",
                                            "onequarter",
                                            "onehalf",
                                            "threequarters",
                                            "questiondown",
                                            "Agrave",
                                            "Aacute",
                                            "Acircumflex",
                                            "Atilde",
                                            "Adieresis",
                                            "Aring",
                                            "AE",
                                            "Ccedilla",
                                            "Egrave",
                                            "Eacute",
                                            "Ecircumflex",
                                            "Edieresis",
                                            "Igrave",
                                            "Iacute",
                                            "Icircumflex",
                                            "Idieresis",
                                            "Eth",
                                            "Ntilde",
                                            "Ograve",
                                            "Oacute",
                                            "Ocircumflex",
                                            "Otilde",
                                            "Odieresis",
                                            "multiply",
                                            "Oslash",
                                            "Ugrave",
                                            "Uacute",
                                            "Ucircumflex",
                                            "Udieresis",
                                            "Yacute",
                                            "Thorn",
                                            "germandbls",
                                            "agrave",
                                            "aacute",
                                            "acircumflex",
                                            "atilde",
                                            "adieresis",
                                            "aring",
                                            "ae",
                                            "ccedilla",
                                            "egrave",
                                            "eacute",
                                            "ecircumflex",
                                            "edieresis",
                                            "igrave",
                                            "iacute",
                                            "icircumflex",
                                            "idieresis",
                                            "eth",
                                            "ntilde",
                                            "ograve",
                                            "oacute",
                                            "ocircumflex",
                                            "otilde",
                                            "odieresis",
                                            "divide",
                                            "oslash",
                                            "ugrave",
                                            "uacute",
                                            "ucircumflex",
                                            "udieresis",
                                            "yacute",
                                            "thorn",
                                            "ydieresis"};

// The first of two characters at or after `from` (npos if none): one
// plain pass, where find_first_of looks up each character in a set.
size_t findEither(std::string_view s, size_t from, char a, char b) {
  for (size_t i = from; i < s.size(); ++i)
    if (s[i] == a || s[i] == b) return i;
  return std::string_view::npos;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Splits "KEY rest" into key and trimmed rest.
void splitKey(std::string_view field, std::string_view& key, std::string_view& rest) {
  field = trim(field);
  size_t sp = findEither(field, 0, ' ', '\t');
  if (sp == std::string_view::npos) {
    key = field;
    rest = {};
  } else {
    key = field.substr(0, sp);
    rest = trim(field.substr(sp + 1));
  }
}

bool readNumber(std::string_view s, double& v) {
  s = trim(s);
  size_t sp = findEither(s, 0, ' ', '\t');
  if (sp != std::string_view::npos) s = s.substr(0, sp);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  // A whole number, as metric files write their codes and widths, is read
  // here; any other goes to the general reader (which, like this, takes
  // the number at the start of the text).
  const size_t from = !s.empty() && s.front() == '-' ? 1 : 0;
  size_t to = from;
  long long whole = 0;
  while (to < s.size() && to - from < 15 && s[to] >= '0' && s[to] <= '9')
    whole = whole * 10 + (s[to++] - '0');
  if (to > from &&
      (to == s.size() || (s[to] != '.' && s[to] != 'e' && s[to] != 'E' && (s[to] < '0' || s[to] > '9')))) {
    v = from ? -static_cast<double>(whole) : static_cast<double>(whole);
    return true;
  }
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return r.ec == std::errc() && std::isfinite(v);
}

bool readHexCode(std::string_view s, long& v) {
  s = trim(s);
  if (s.size() < 2 || s.front() != '<' || s.back() != '>') return false;
  s = s.substr(1, s.size() - 2);
  auto r = std::from_chars(s.data(), s.data() + s.size(), v, 16);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// The WinAnsi glyph names in name order with their codes, for finding the
// codes a glyph of a metric file stands for (a name may stand for two:
// "space" and "hyphen").
struct GlyphCode {
  std::string_view name;
  unsigned char code;
};
constexpr auto kCodesByName = [] {
  std::array<GlyphCode, std::size(kWinAnsi)> a{};
  for (size_t i = 0; i < a.size(); ++i) a[i] = {kWinAnsi[i], static_cast<unsigned char>(0x20 + i)};
  std::sort(a.begin(), a.end(), [](const GlyphCode& x, const GlyphCode& y) {
    return x.name < y.name || (x.name == y.name && x.code < y.code);
  });
  return a;
}();

// Parses metric text; `ended` tells whether the EndCharMetrics line was
// reached, after which the rest of the text does not count.
bool parseAfmText(std::string_view text, AfmMetrics& out, std::string& error, bool& ended) {
  out = AfmMetrics{};
  ended = false;
  // Width by glyph name, kept at the codes the name stands for; the last
  // line of a name counts.
  std::array<int, 256> byName{};
  std::array<int, 256> byCode{};
  std::array<bool, 256> hasCode{};
  bool inMetrics = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t eol = findEither(text, pos, '\r', '\n');
    std::string_view line =
        text.substr(pos, eol == std::string_view::npos ? std::string_view::npos : eol - pos);
    pos = eol == std::string_view::npos ? text.size() : eol + 1;
    line = trim(line);
    if (line.empty()) continue;
    std::string_view key, rest;
    splitKey(line, key, rest);
    if (!inMetrics) {
      if (key == "StartCharMetrics")
        inMetrics = true;
      else if (key == "FontName")
        out.fontName = std::string(rest);
      else if (key == "EncodingScheme")
        out.fontSpecific = rest == "FontSpecific";
      continue;
    }
    if (key == "EndCharMetrics") {
      ended = true;
      break;
    }
    // One glyph: "C 65 ; WX 667 ; N A ; B ..." (fields in any order).
    long code = -1;
    bool haveWidth = false;
    double wx = 0;
    std::string_view name;
    size_t fpos = 0;
    while (fpos <= line.size()) {
      size_t semi = line.find(';', fpos);
      std::string_view field =
          line.substr(fpos, semi == std::string_view::npos ? std::string_view::npos : semi - fpos);
      fpos = semi == std::string_view::npos ? line.size() + 1 : semi + 1;
      std::string_view fk, fv;
      splitKey(field, fk, fv);
      if (fk == "C") {
        double c;
        if (readNumber(fv, c) && c >= -1 && c <= 255) code = static_cast<long>(c);
      } else if (fk == "CH") {
        long c;
        if (readHexCode(fv, c) && c >= 0 && c <= 255) code = c;
      } else if (fk == "WX" || fk == "W0X" || fk == "W" || fk == "W0") {
        haveWidth = readNumber(fv, wx);
      } else if (fk == "N") {
        name = fv;
      }
    }
    if (!haveWidth) continue;
    // Widths are whole thousandths of the font size; a width with decimals
    // counts with its whole part.
    if (wx < 0) wx = 0;
    if (wx > 100000) wx = 100000;
    int w = static_cast<int>(wx);  // wx >= 0: cut to its whole part
    ++out.glyphs;
    if (!name.empty()) {
      auto [from, to] =
          std::equal_range(kCodesByName.begin(), kCodesByName.end(), GlyphCode{name, 0},
                           [](const GlyphCode& x, const GlyphCode& y) { return x.name < y.name; });
      for (auto g = from; g != to; ++g) byName[g->code] = w;
    }
    if (code >= 0 && code <= 255) {
      byCode[static_cast<size_t>(code)] = w;
      hasCode[static_cast<size_t>(code)] = true;
    }
  }
  if (out.glyphs == 0) {
    error = inMetrics ? trText("PdfWriter", "no character metrics")
                      : trText("PdfWriter", "no StartCharMetrics line");
    return false;
  }
  for (size_t c = 0; c < 256; ++c) out.width[c] = out.fontSpecific ? (hasCode[c] ? byCode[c] : 0) : byName[c];
  return true;
}

}  // namespace

bool isStandardTextFont(std::string_view name) {
  static const std::string_view kNames[] = {
      "Courier",     "Courier-Bold",   "Courier-Oblique",   "Courier-BoldOblique",
      "Helvetica",   "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique",
      "Times-Roman", "Times-Bold",     "Times-Italic",      "Times-BoldItalic"};
  return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

std::string_view winAnsiGlyphName(unsigned char code) {
  return code < 0x20 ? std::string_view() : kWinAnsi[code - 0x20];
}

bool parseAfm(std::string_view text, AfmMetrics& out, std::string& error) {
  bool ended;
  return parseAfmText(text, out, error, ended);
}

namespace {

// The metrics read in this run, by file, with the file's size and time
// when it was read. Made at start-up with the program's other settings.
struct CachedAfm {
  off_t size = 0;
  struct timespec time {};
  std::shared_ptr<const AfmMetrics> metrics;
};
std::mutex gAfmMutex;
std::map<std::string, CachedAfm> gAfmCache;

}  // namespace

std::shared_ptr<const AfmMetrics> loadAfmCached(const std::string& path, std::string& error) {
  std::mutex& mutex = gAfmMutex;
  auto& cache = gAfmCache;

  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    error =
        fillText(trText("PdfWriter", "cannot read the font metrics %1: %2"), {path, std::strerror(errno)});
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(mutex);
  auto it = cache.find(path);
  if (it != cache.end() && it->second.size == st.st_size && it->second.time.tv_sec == st.st_mtim.tv_sec &&
      it->second.time.tv_nsec == st.st_mtim.tv_nsec)
    return it->second.metrics;

  // The widths end at the EndCharMetrics line, in the first sixth of a
  // standard font's file (kerning pairs follow): the file is read up to the
  // line ending after it. A text cut at a line end that has not reached it
  // yet is read further and parsed again.
  auto m = std::make_shared<AfmMetrics>();
  bool parsed = false;
  std::string why, parseWhy;
  const bool read = readRegularFileHead(
      path, 16 << 10,
      [&](std::string_view text, bool whole) {
        if (!whole) {
          const size_t cut = text.find_last_of("\r\n");
          if (cut == std::string_view::npos) return false;
          text = text.substr(0, cut + 1);
        }
        bool ended = false;
        parsed = parseAfmText(text, *m, parseWhy, ended);
        return ended;
      },
      why);
  if (!read) {
    error = fillText(trText("PdfWriter", "cannot read the font metrics %1: %2"), {path, why});
    return nullptr;
  }
  why = parseWhy;
  if (!parsed) {
    error = fillText(trText("PdfWriter", "%1 holds no usable font metrics: %2"), {path, why});
    cache.erase(path);
    return nullptr;
  }
  cache[path] = CachedAfm{st.st_size, st.st_mtim, m};
  return m;
}

}  // namespace vkz
