#include "pdf/afm.h"

#include <gtest/gtest.h>

#include "base/appdir.h"
#include "pdftest.h"

namespace vkz {
namespace {

std::shared_ptr<const AfmMetrics> standard(const std::string& name) {
  std::string err;
  auto m = loadAfmCached(appPath("Fonts/" + name + ".afm"), err);
  EXPECT_TRUE(m) << err;
  return m;
}

TEST(Afm, WidthsOfCodePage1252TextAreFoundByGlyphName) {
  auto m = standard("Helvetica");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->fontName, "Helvetica");
  EXPECT_FALSE(m->fontSpecific);
  // Figures of the Helvetica metric file (StandardEncoding codes differ).
  struct Case {
    unsigned char code;
    int width;
  } cases[] = {{'A', 667},
               {' ', 278},
               {0xE9 /* é */, 556},
               {0xE7 /* ç */, 500},
               {0xE3 /* ã */, 556},
               {0xC7 /* Ç */, 722},
               {0x27 /* ' quotesingle */, 191},
               {0x60 /* ` grave */, 333},
               {0x80 /* € */, 556},
               {0x92 /* ’ */, 222},
               {0xA0 /* no-break space */, 278},
               {0x81, 0},
               {0, 0}};
  for (const auto& c : cases) EXPECT_EQ(m->width[c.code], c.width) << int(c.code);
}

TEST(Afm, SymbolFontsAreMeasuredByTheirOwnCodes) {
  auto m = standard("Symbol");
  ASSERT_TRUE(m);
  EXPECT_TRUE(m->fontSpecific);
  EXPECT_EQ(m->width[0x61], 631);  // alpha sits at the code of "a"
}

TEST(Afm, ParsesOddButValidLinesAndSkipsBrokenOnes) {
  const char* text =
      "StartFontMetrics 4.1\nFontName Test\nEncodingScheme AdobeStandardEncoding\n"
      "StartCharMetrics 6\n"
      "C 65 ; WX 667.9 ; N A ; B 0 0 1 1 ;\n"
      "C 66;WX 500;N B\n"
      "  N eacute ; C -1 ; WX 556 ;\n"
      "C 67 ; N C\n"
      "C junk ; WX 900 ; N D ;\n"
      "C 300 ; WX 12 ; N E ;\n"
      "EndCharMetrics\n"
      "C 70 ; WX 999 ; N F ;\n";
  AfmMetrics m;
  std::string err;
  ASSERT_TRUE(parseAfm(text, m, err)) << err;
  EXPECT_EQ(m.width['A'], 667);  // whole part of a width with decimals
  EXPECT_EQ(m.width['B'], 500);
  EXPECT_EQ(m.width[0xE9], 556);
  EXPECT_EQ(m.width['C'], 0);    // no width given
  EXPECT_EQ(m.width['D'], 900);  // found by its name
  EXPECT_EQ(m.width['E'], 12);
  EXPECT_EQ(m.width['F'], 0);  // after the end of the metrics
}

TEST(Afm, TextWithoutMetricsIsRefused) {
  AfmMetrics m;
  std::string err;
  EXPECT_FALSE(parseAfm("", m, err));
  EXPECT_FALSE(parseAfm("StartFontMetrics 4.1\nFontName X\n", m, err));
  EXPECT_FALSE(parseAfm("StartCharMetrics 1\nEndCharMetrics\n", m, err));
}

TEST(Afm, EachFileIsReadOnceAndAgainWhenItChanges) {
  pdftest::ScratchDir dir;
  const std::string path = dir.file("X.afm");
  { std::ofstream(path) << "StartCharMetrics 1\nC 65 ; WX 100 ; N A ;\nEndCharMetrics\n"; }
  std::string err;
  auto a = loadAfmCached(path, err);
  auto b = loadAfmCached(path, err);
  ASSERT_TRUE(a);
  EXPECT_EQ(a.get(), b.get());
  { std::ofstream(path) << "StartCharMetrics 1\nC 65 ; WX 250 ; N A ;\nEndCharMetrics\n\n"; }
  auto c = loadAfmCached(path, err);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->width['A'], 250);
  EXPECT_FALSE(loadAfmCached(dir.file("missing.afm"), err));
}

TEST(Afm, AFileIsReadUpToItsWidthsWhereverItsPiecesEnd) {
  // The file is read in pieces until its EndCharMetrics line. Moved by the
  // comment before them, the piece ends fall everywhere in the glyph lines:
  // between CR and LF, and inside a line that only begins like the end.
  const std::string metrics =
      "StartCharMetrics 3\r\n"
      "C 65 ; WX 667 ; N A ; B 0 0 1 1 ;\r\n"
      "EndCharMetricsSoon ; not the end\r\n"
      "C 66 ; WX 500 ; N B ;\r\n"
      "EndCharMetrics\r\n"
      "C 67 ; WX 900 ; N C ;\r\n";
  const std::string head = "StartFontMetrics 4.1\r\nFontName Test\r\nComment ";
  pdftest::ScratchDir dir;
  for (size_t piece : {size_t{16} << 10, size_t{64} << 10}) {
    for (size_t into = 0; into < metrics.size(); ++into) {
      const std::string text = head + std::string(piece - head.size() - 2 - into, 'x') + "\r\n" + metrics;
      const std::string path = dir.file(std::to_string(piece) + "-" + std::to_string(into) + ".afm");
      std::ofstream(path, std::ios::binary) << text;
      AfmMetrics whole;
      std::string err;
      ASSERT_TRUE(parseAfm(text, whole, err));
      auto read = loadAfmCached(path, err);
      ASSERT_TRUE(read) << err;
      EXPECT_EQ(read->width, whole.width) << piece << " " << into;
      EXPECT_EQ(read->glyphs, whole.glyphs) << piece << " " << into;
      EXPECT_EQ(read->width['B'], 500);
      EXPECT_EQ(read->width['C'], 0);
    }
  }
}

TEST(Afm, WinAnsiGlyphTableIsComplete) {
  EXPECT_EQ(winAnsiGlyphName(' '), "space");
  EXPECT_EQ(winAnsiGlyphName('~'), "asciitilde");
  EXPECT_EQ(winAnsiGlyphName(0x7F), "");
  EXPECT_EQ(winAnsiGlyphName(0xA0), "space");
  EXPECT_EQ(winAnsiGlyphName(0xBF), "questiondown");
  EXPECT_EQ(winAnsiGlyphName(0xD7), "multiply");
  EXPECT_EQ(winAnsiGlyphName(0xFF), "ydieresis");
}

}  // namespace
}  // namespace vkz
