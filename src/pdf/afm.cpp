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
#include <unordered_map>
#include <vector>

#include "pdf/filebytes.h"

namespace vkz {
namespace {

// WinAnsiEncoding (code page 1252) glyph names, codes 0x20..0xFF.
const char* const kWinAnsi[224] = {"space",
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

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Splits "KEY rest" into key and trimmed rest.
void splitKey(std::string_view field, std::string_view& key, std::string_view& rest) {
  field = trim(field);
  size_t sp = field.find_first_of(" \t");
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
  size_t sp = s.find_first_of(" \t");
  if (sp != std::string_view::npos) s = s.substr(0, sp);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
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
  out = AfmMetrics{};
  std::unordered_map<std::string_view, int> byName;
  std::array<int, 256> byCode{};
  std::array<bool, 256> hasCode{};
  bool inMetrics = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t eol = text.find_first_of("\r\n", pos);
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
    if (key == "EndCharMetrics") break;
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
    int w = static_cast<int>(std::floor(wx));
    ++out.glyphs;
    if (!name.empty()) byName[name] = w;
    if (code >= 0 && code <= 255) {
      byCode[static_cast<size_t>(code)] = w;
      hasCode[static_cast<size_t>(code)] = true;
    }
  }
  if (out.glyphs == 0) {
    error = inMetrics ? "no character metrics" : "no StartCharMetrics line";
    return false;
  }
  for (int c = 0; c < 256; ++c) {
    if (out.fontSpecific) {
      out.width[static_cast<size_t>(c)] =
          hasCode[static_cast<size_t>(c)] ? byCode[static_cast<size_t>(c)] : 0;
    } else {
      auto glyph = winAnsiGlyphName(static_cast<unsigned char>(c));
      auto it = glyph.empty() ? byName.end() : byName.find(glyph);
      out.width[static_cast<size_t>(c)] = it == byName.end() ? 0 : it->second;
    }
  }
  return true;
}

std::shared_ptr<const AfmMetrics> loadAfmCached(const std::string& path, std::string& error) {
  struct Entry {
    off_t size = 0;
    struct timespec time {};
    std::shared_ptr<const AfmMetrics> metrics;
  };
  static std::mutex mutex;
  static std::map<std::string, Entry> cache;

  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(mutex);
  auto it = cache.find(path);
  if (it != cache.end() && it->second.size == st.st_size && it->second.time.tv_sec == st.st_mtim.tv_sec &&
      it->second.time.tv_nsec == st.st_mtim.tv_nsec)
    return it->second.metrics;

  std::vector<std::uint8_t> bytes;
  std::string why;
  if (!readRegularFile(path, bytes, why)) {
    error = "cannot read " + path + ": " + why;
    return nullptr;
  }
  auto m = std::make_shared<AfmMetrics>();
  if (!parseAfm(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), *m, why)) {
    error = path + ": " + why;
    cache.erase(path);
    return nullptr;
  }
  cache[path] = Entry{st.st_size, st.st_mtim, m};
  return m;
}

}  // namespace vkz
