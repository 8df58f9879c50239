// Adobe font metric (.afm) files of the standard Type 1 fonts: the advance
// widths the writer measures text with. The metric files list each glyph
// by its code in the font's own encoding (StandardEncoding for the text
// fonts) and by its glyph name; our text is code page 1252, so widths are
// found by glyph name through the WinAnsi glyph table, and by code only for
// the symbol fonts, whose built-in encoding is the one the text uses.
#pragma once
#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace vkz {

struct AfmMetrics {
  std::string fontName;       // FontName line, may be empty
  bool fontSpecific = false;  // EncodingScheme FontSpecific (Symbol, ZapfDingbats)
  int glyphs = 0;             // character metric lines read
  // Width in thousandths of the font size for every code page 1252 byte
  // (0 where the font has no glyph for it).
  std::array<int, 256> width{};
};

// Parses the text of a metric file. Returns false (with a reason) when the
// text has no character metrics at all; unreadable lines are skipped.
bool parseAfm(std::string_view text, AfmMetrics& out, std::string& error);

// One of the twelve standard text fonts (Courier, Helvetica and Times in
// their four styles), whose metric files use the standard encoding.
bool isStandardTextFont(std::string_view name);

// The glyph name of a code page 1252 byte in WinAnsiEncoding ("" if none).
std::string_view winAnsiGlyphName(unsigned char code);

// Metrics of the file at `path`, parsed the first time a document uses
// them and kept for the whole run (read again only when the file's size or
// time changes); safe to call from any thread. nullptr when
// the file cannot be read or holds no metrics; `error` then says why.
std::shared_ptr<const AfmMetrics> loadAfmCached(const std::string& path, std::string& error);

}  // namespace vkz
