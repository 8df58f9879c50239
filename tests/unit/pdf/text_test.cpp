// Fonts, text runs and text widths.
#include "pdftest.h"

namespace vkz {
namespace {

using namespace pdftest;

struct Text : Fixture {};

TEST_F(Text, FontSelection) {
  struct Case {
    std::int32_t index;
    std::int16_t size;
    std::int32_t style;
    const char* font;
  } cases[] = {
      {0, 12, 0, "Helvetica"},         {0, 12, 2, "Helvetica-Bold"}, {0, 12, 21, "Helvetica-BoldOblique"},
      {2, 10, 12, "Times-BoldItalic"}, {1, 9, 1, "Courier-Oblique"}, {2, 10, 0, "Times-Roman"},
      {2, 10, 2, "Times-Bold"},        {3, 10, 12, "Symbol"},        {4, 10, 2, "ZapfDingbats"}};
  for (const auto& c : cases) {
    pdf->PDFSetFont(c.index, c.size, c.style);
    EXPECT_EQ(pdf->PDFGetFontName(), c.font);
  }
  EXPECT_TRUE(messages.empty());
  pdf->PDFSetFont(7, 10, 2);
  EXPECT_EQ(pdf->PDFGetFontName(), "Times-Roman");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "Font name - qtzPDF 1.0");
  EXPECT_EQ(messages[0].text, "Font name set incorrectly : 7.\r\nFont set to Times New Roman.");
}

TEST_F(Text, TextRunOperatorsAndTheCurrentPosition) {
  begin();
  pdf->PDFSetFont(0, 12, 0);
  ASSERT_TRUE(pdf->PDFTextOut("a(b)c\\d", 1, 2));
  // Width of the unescaped text: 3112/1000 x 12 = 37.344 points further.
  ASSERT_TRUE(pdf->PDFTextOut("next", 0, 0));
  std::string f = end();
  auto l = page();
  EXPECT_TRUE(hasRun(l, {"q 0 g ", "%DEBUT_TEXT/%", "BT", "56.69 785.20 Td", "/F5 12.00 Tf",
                         "(a\\(b\\)c\\\\d) Tj", "ET", "Q", "%FIN_TEXT/%"}));
  EXPECT_TRUE(hasRun(l, {"BT", "94.04 773.20 Td", "/F5 12.00 Tf", "(next) Tj"}));
  EXPECT_NE(f.find("/F5 8 0 R"), std::string::npos);  // Helvetica is the fifth font
  EXPECT_NE(pdfText(out).find("a(b)c\\d"), std::string::npos);
}

TEST_F(Text, UnderlineAndRotationServeOneTextOnly) {
  begin();
  pdf->PDFSetFont(0, 12, 3);
  pdf->PDFTextOut("Hi", 1, 2);
  pdf->PDFTextOut("Hi", 1, 3);
  pdf->PDFSetRotation(90);
  pdf->PDFTextOut("up", 1, 2);
  pdf->PDFTextOut("flat", 1, 4);
  end();
  auto l = page();
  EXPECT_TRUE(hasRun(l, {"(Hi) Tj", "ET", "57.00 783.35 11.33 -0.02 re f", "Q", "%FIN_TEXT/%"}));
  EXPECT_EQ(std::count_if(l.begin(), l.end(), [](const std::string& s) { return s.ends_with("re f"); }), 1);
  EXPECT_TRUE(
      hasRun(l, {"BT", "0.00000 1.00000 -1.00000 0.00000 28.35 785.20 Tm", "/F5 12.00 Tf", "(up) Tj"}));
  EXPECT_TRUE(hasRun(l, {"BT", "56.69 728.50 Td", "/F5 12.00 Tf", "(flat) Tj"}));
}

TEST_F(Text, WidthsFromTheMetricFiles) {
  struct Case {
    const char* text;
    const char* font;
    int size;
    double width;
  } cases[] = {
      {"AA", "Helvetica", 12, 16.008},      {"", "Helvetica", 12, 0},
      {"éçã", "Helvetica", 10, 16.12},     // 556 + 500 + 556
      {"Ação", "Times-Roman", 10, 21.10},  // 722 + 444 + 444 + 500
      {"'`", "Courier", 10, 12.0},          {"€", "Helvetica-Bold", 10, 5.56},
      {"ÇÃO", "Helvetica-Bold", 20, 44.44},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(pdf->PDFGetStringWidth(c.text, c.font, c.size), c.width, 1e-9) << c.text << " " << c.font;
  pdf->PDFSetFont(1, 10, 0);
  EXPECT_NEAR(pdf->PDFGetStringWidth("abc", "", 10), 18.0, 1e-9);  // the current font
  EXPECT_EQ(pdf->PDFGetStringWidth("abc", "NoSuchFont", 10), 0);
  EXPECT_NE(pdf->PDFLastError().find("NoSuchFont"), std::string::npos);
}

TEST_F(Text, AccentedTextReadsBack) {
  begin();
  pdf->PDFSetFont(2, 14, 0);
  pdf->PDFTextOut("Medição de ruído: ação, exposição, Ç € ’", 1, 2);
  end();
  EXPECT_NE(pdfText(out).find("Medição de ruído: ação, exposição, Ç € ’"), std::string::npos);
}

TEST_F(Text, AFontWithoutMetricsIsStillDeclared) {
  ScratchDir fonts;
  std::filesystem::copy_file(appPath("Fonts/Courier.afm"), fonts.file("Courier.afm"));
  ASSERT_TRUE(pdf->PDFLoadAfm(fonts.path()));
  begin();
  pdf->PDFSetFont(0, 12, 0);  // Helvetica: no metric file here
  ASSERT_TRUE(pdf->PDFTextOut("shown anyway", 1, 2));
  pdf->PDFTextOut("again", 1, 3);
  pdf->PDFSetFont(3, 12, 0);
  pdf->PDFTextOut("abc", 1, 4);
  std::string f = end();
  EXPECT_TRUE(hasRun(crlfLines(f), {"/Name /F2", "/BaseFont /Helvetica", "/Encoding /WinAnsiEncoding"}));
  EXPECT_TRUE(hasRun(crlfLines(f), {"/Name /F3", "/BaseFont /Symbol", ">>"}));
  EXPECT_TRUE(hasRun(page(), {"/F2 12.00 Tf", "(shown anyway) Tj"}));
  EXPECT_EQ(f.find("/F0"), std::string::npos);
  ASSERT_EQ(messages.size(), 2u);  // once per font
  EXPECT_EQ(messages[0].title, "Font metrics - qtzPDF 1.0");
  EXPECT_NE(messages[0].text.find("Font metrics not found : Helvetica"), std::string::npos);
  EXPECT_NE(pdfText(out).find("shown anyway"), std::string::npos);
}

TEST_F(Text, NoFontFolderAtAll) {
  // A program folder without Fonts: the writer starts with no font list.
  ScratchDir empty;
  setAppDir(empty.path());
  qtzPDF p;
  setAppDir("");
  EXPECT_TRUE(p.PDFFontList().empty());
  EXPECT_FALSE(p.PDFLoadAfm(empty.file("nothing")));
  ASSERT_TRUE(p.PDFFileName(out));
  ASSERT_TRUE(p.PDFBeginDoc());
  p.PDFSetFont(0, 10, 0);
  p.PDFTextOut("text", 1, 1);
  ASSERT_TRUE(p.PDFEndDoc());
  EXPECT_TRUE(qpdfClean(out));
  EXPECT_NE(pdfText(out).find("text"), std::string::npos);
  EXPECT_NE(readBytes(out).find("/BaseFont /Helvetica\r\n"), std::string::npos);
  ASSERT_EQ(messages.size(), 2u);  // the folder, then the font
  EXPECT_EQ(messages[0].title, "Font folder - qtzPDF 1.0");
  EXPECT_EQ(messages[1].title, "Font metrics - qtzPDF 1.0");
}

}  // namespace
}  // namespace vkz
