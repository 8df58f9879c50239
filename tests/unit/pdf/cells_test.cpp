// Cells with borders, fill, alignment and line breaking; link annotations.
#include "pdftest.h"

namespace vkz {
namespace {

using namespace pdftest;

struct Cells : Fixture {
  void SetUp() override {
    Fixture::SetUp();
    pdf->PDFSetFont(0, 10, 0);
  }
  static std::vector<std::string> tj(const std::vector<std::string>& l) {
    std::vector<std::string> v;
    for (auto& s : l)
      if (s.ends_with(") Tj")) v.push_back(s.substr(1, s.size() - 5));
    return v;
  }
};

TEST_F(Cells, OneLineCellWithAFrame) {
  begin();
  pdf->PDFSetBorder(1);
  ASSERT_TRUE(pdf->PDFCell("Hello", 1, 1, 5, 1));
  ASSERT_TRUE(pdf->PDFCell("Again", 1, 2, 5, 1));  // the border was used up
  end();
  auto l = page();
  EXPECT_TRUE(
      hasRun(l, {"%DEBUT_CELL/%", "0 G", "0 g", "16.07 w",
                 "25.35 813.54 m 25.35 785.20 l S\r25.35 813.54 m 167.08 813.54 l S \r"
                 "167.08 813.54 m 167.08 785.20 l S \r25.35 785.20 m 167.08 785.20 l S \r",
                 "q 0 g ", "BT", "/F5 10 Tf", "31.35 796.37 Td", "(Hello) Tj", "ET", "Q", "%FIN_CELL/%"}));
  // No frame: the border of the first cell is used up (only the width line).
  EXPECT_TRUE(hasRun(l, {"%DEBUT_CELL/%", "0 G", "0 g", "16.07 w", "q 0 g ", "BT", "/F5 10 Tf",
                         "31.35 768.02 Td", "(Again) Tj"}));
  EXPECT_EQ(pdf->PDFGetY(), 3);
}

TEST_F(Cells, FilledAndJustifiedCells) {
  begin();
  pdf->PDFSetFill(true);
  pdf->PDFSetBorder(1);
  pdf->PDFCell("Filled", 1, 1, 5, 1);
  pdf->PDFSetFill(false);
  pdf->PDFSetAlignement(3);
  pdf->PDFCell("a b c", 1, 3, 5, 1);
  end();
  auto l = page();
  // The width line goes out before the frame block, which starts with
  // the filled rectangle.
  EXPECT_TRUE(hasRun(l, {"0 G", "0 g", "16.07 w",
                         "25.35 813.54 141.73 -28.35 re f\r25.35 813.54 m 25.35 785.20 l S\r"
                         "25.35 813.54 m 167.08 813.54 l S \r167.08 813.54 m 167.08 785.20 l S \r"
                         "25.35 785.20 m 167.08 785.20 l S \r",
                         "q 0 g "}));
  // Spacing in points: (141.73 - 3 x 3 - 21.68) / 2; the "Tw" line comes
  // between the width line and the frame block (empty here).
  EXPECT_TRUE(hasRun(l, {"0 G", "0 g", "16.07 w", "55.526 Tw", "q 0 g ", "BT"}));
  EXPECT_TRUE(hasRun(l, {"Q", "0 Tw", "%FIN_CELL/%"}));
  EXPECT_EQ(pdf->PDFGetAlignement(), "Left");
  pdf->PDFSetAlignement(0);
  EXPECT_EQ(pdf->PDFGetAlignement(), "Center");
  pdf->PDFSetAlignement(2);
  EXPECT_EQ(pdf->PDFGetAlignement(), "Right");
  pdf->PDFSetAlignement(8);
  EXPECT_EQ(pdf->PDFGetAlignement(), "Left");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "Invalid alignment set. : 8.\r\nUsing left alignment.");
}

TEST_F(Cells, LinesBreakAtBlanksInsideWordsAndAtLineEnds) {
  pdf->PDFSetUnit(0);
  begin();
  pdf->PDFSetBorder(1);
  // 80 points wide: 74 points of text per line.
  pdf->PDFCell("Noise dosimeter report of the whole working shift", 50, 50, 80, 12);
  pdf->PDFCell("Aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", 50, 200, 80, 12);
  pdf->PDFCell("one\r\ntwo\nthree\r\n", 50, 300, 80, 12);
  pdf->PDFCell("", 50, 400, 80, 12);
  end();
  auto lines = tj(page());
  std::vector<std::string> want = {"Noise dosimeter", "report of the", "whole working", "shift"};
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4), want);
  std::string joined;
  size_t i = 4;
  for (; i < lines.size() && (lines[i].starts_with("A") || lines[i].starts_with("a")); ++i) {
    EXPECT_LE(pdf->PDFGetStringWidth(lines[i], "Helvetica", 10), 74.0) << lines[i];
    joined += lines[i];
  }
  EXPECT_EQ(joined, "Aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa");
  ASSERT_EQ(lines.size(), i + 4);
  EXPECT_EQ(lines[i], "one");
  EXPECT_EQ(lines[i + 1], "two");
  EXPECT_EQ(lines[i + 2], "three");
  EXPECT_EQ(lines[i + 3], "");
  for (auto& w : {"Noise dosimeter", "whole working", "three"})
    EXPECT_NE(pdfText(out).find(w), std::string::npos);
}

TEST_F(Cells, BordersPerLine) {
  struct Case {
    std::int32_t border;
    std::vector<int> edgesPerLine;  // three lines
  } cases[] = {{1, {3, 2, 3}}, {45, {2, 2, 2}}, {2345, {3, 2, 3}},
               {2, {1, 0, 0}}, {3, {0, 0, 1}},  {0, {0, 0, 0}}};
  for (const auto& c : cases) {
    qtzPDF p;
    p.PDFSetUnit(0);
    p.PDFSetFont(0, 10, 0);
    ASSERT_TRUE(p.PDFFileName(out));
    ASSERT_TRUE(p.PDFBeginDoc());
    p.PDFSetBorder(c.border);
    p.PDFCell("one\ntwo\nthree", 50, 50, 80, 12);
    ASSERT_TRUE(p.PDFEndDoc());
    // Each cell line starts with the colour lines; its frame block, if
    // any, holds one " l S" per edge.
    std::vector<int> got;
    for (auto& s : crlfLines(pageContent(readBytes(out), 1))) {
      if (s == "0 G") got.push_back(0);
      for (size_t at = s.find(" l S"); at != std::string::npos; at = s.find(" l S", at + 1)) ++got.back();
    }
    EXPECT_EQ(got, c.edgesPerLine) << c.border;
  }
  pdf->PDFSetBorder(54);
  pdf->PDFSetBorder(9);
  EXPECT_TRUE(messages.empty());
}

TEST_F(Cells, LinksOnTextsShapesAndImages) {
  const std::string logo = dir.file("logo.jpg");
  writeBytes(logo, makeJpeg(100, 50, 3, 300));
  begin();
  ASSERT_TRUE(pdf->PDFLink(1, 2, "site", "http://x/(a)\\b"));
  ASSERT_TRUE(pdf->PDFLink(1, 3, "plain"));
  pdf->PDFSetTextColor(0LL);
  ASSERT_TRUE(pdf->PDFDrawRectangle(1, 5, 4, 1, "http://rect"));
  ASSERT_TRUE(pdf->PDFImage(logo, 1, 1, 0, 0, "http://img"));
  pdf->PDFNewPage();
  pdf->PDFDrawEllipse(3, 3, 2, 0, "http://ellipse");
  std::string f = end();
  EXPECT_NE(f.find("/Annots [<</Type /Annot /Subtype /Link /Rect [56.6929133858268 795.197086614173 "
                   "72.6929133858268 785.197086614173] /Border [0 0 0] /A <</S /URI /URI "
                   "(http://x/\\(a\\)\\\\b)>>>>\r\n"),
            std::string::npos);
  EXPECT_NE(f.find("/URI (plain)"), std::string::npos);
  EXPECT_NE(f.find("/URI (http://rect)"), std::string::npos);
  EXPECT_NE(
      f.find("/Rect [28.3464566929134 813.543543307087 128.346456692913 763.543543307087] /Border [0 0 0] "
             "/A <</S /URI /URI (http://img)>>>>"),
      std::string::npos);
  EXPECT_NE(f.find("/URI (http://ellipse)"), std::string::npos);
  auto l = page();
  EXPECT_TRUE(hasRun(l, {"%DEBUT_LINK/%", "q 0 g ", "%DEBUT_TEXT/%", "BT", "56.69 785.20 Td", "/F5 10.00 Tf",
                         "(site) Tj", "ET"}));
  int annots = 0;
  for (auto& s : crlfLines(f)) annots += s.starts_with("/Annots [") ? 1 : 0;
  EXPECT_EQ(annots, 2);  // one array per page with links
  EXPECT_NE(pdfText(out).find("site"), std::string::npos);
}

}  // namespace
}  // namespace vkz
