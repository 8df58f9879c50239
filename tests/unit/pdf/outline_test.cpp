// Bookmarks in the outline tree, and the watermark.
#include "pdf/pdfnum.h"
#include "pdftest.h"

namespace vkz {
namespace {

using namespace pdftest;

struct Outline : Fixture {};

std::string object(const std::string& pdf, int n) {
  size_t at = pdf.find("\r\n" + std::to_string(n) + " 0 obj\r\n");
  size_t end = pdf.find("endobj", at);
  return pdf.substr(at + 2, end - at - 2);
}

TEST_F(Outline, LevelsBecomeATree) {
  pdf->PDFUseOutlines(true);
  begin();
  pdf->PDFDrawLineVer(1, 1, 4);  // leaves Y at 5
  ASSERT_TRUE(pdf->PDFSetBookmark("Chapter (1) \\ intro", 0, -1));
  ASSERT_TRUE(pdf->PDFSetBookmark("Section 1.1", 1, 2));
  ASSERT_TRUE(pdf->PDFSetBookmark("Section 1.2", 1, 3));
  ASSERT_TRUE(pdf->PDFSetBookmark("Chapter 2 — ação", 0, 4));
  std::string f = end();
  // 14 fonts: Pages 18, Resources 19, Page 20, items 21 to 24, root 25.
  EXPECT_EQ(object(f, 21),
            "21 0 obj\r\n<</Title (Chapter \\(1\\) \\\\ intro)\r\n/Parent 25 0 R\r\n/Next 24 0 R\r\n/First "
            "22 0 R\r\n"
            "/Last 23 0 R\r\n/Dest [20 0 R /XYZ 0 700.16 null]\r\n/Count 0>>\r\n");
  EXPECT_NE(object(f, 22).find("/Parent 21 0 R\r\n/Next 23 0 R\r\n/Dest"), std::string::npos);
  EXPECT_NE(object(f, 23).find("/Parent 21 0 R\r\n/Prev 22 0 R\r\n/Dest"), std::string::npos);
  EXPECT_NE(object(f, 24).find("<</Title <FEFF0043006800610070007400650072002000320020201400200061"
                               "00E700E3006F>\r\n/Parent 25 0 R\r\n/Prev 21 0 R\r\n/Dest"),
            std::string::npos);
  EXPECT_EQ(object(f, 25), "25 0 obj\r\n<</Type /Outlines /First 21 0 R\r\n/Last 24 0 R>>\r\n");
  EXPECT_TRUE(hasRun(crlfLines(object(f, 26)), {"/Outlines 25 0 R", "/PageMode /UseOutlines", ">>"}));
  std::string outline = run("qpdf --json --json-key=outlines '" + out + "' 2>&1");
  EXPECT_NE(outline.find("Chapter (1) \\\\ intro"), std::string::npos) << outline;
  EXPECT_NE(outline.find("Chapter 2 — ação"), std::string::npos) << outline;
  EXPECT_TRUE(messages.empty());
}

TEST_F(Outline, ALevelThatJumpsIsBroughtIntoRange) {
  begin();
  ASSERT_TRUE(pdf->PDFSetBookmark("first", 2, 1));  // must be top-level
  ASSERT_TRUE(pdf->PDFSetBookmark("child", 1, 1));
  ASSERT_TRUE(pdf->PDFSetBookmark("deep", 5, 1));  // at most one below
  ASSERT_TRUE(pdf->PDFSetBookmark("neg", -1, 1));
  end();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].title, "Bookmark - qtzPDF 1.0");
  EXPECT_EQ(messages[0].text, "Bookmark level set incorrectly : 2.\r\nBookmark level set to 0.");
  EXPECT_EQ(messages[1].text, "Bookmark level set incorrectly : 5.\r\nBookmark level set to 2.");
  EXPECT_EQ(messages[2].text, "Bookmark level set incorrectly : -1.\r\nBookmark level set to 0.");
}

TEST_F(Outline, WatermarkOnEveryPageLeavesTheCallersTextAlone) {
  pdf->PDFWatermark("DRAFT");
  begin();
  pdf->PDFSetFont(2, 10, 0);
  pdf->PDFSetTextColor(255LL);
  pdf->PDFTextOut("first", 1, 2);
  pdf->PDFEndPage();
  pdf->PDFNewPage();
  pdf->PDFTextOut("second", 0, 0);  // the page's start position, untouched
  end();
  auto p1 = page(1), p2 = page(2);
  // Helvetica bold 50, pink, turned by 45 degrees: width of DRAFT 169.4.
  const double w = 169.4;
  const std::string x = FormatPdfNumber((595.28 - std::cos(45.0) * w) / 2.75, 2);
  const std::string y = FormatPdfNumber(841.89 - (std::sin(45.0) * w + 841.89) / 2.15, 2);
  const std::vector<std::string> mark = {"q 1.000 0.753 0.796 rg ",
                                         "%DEBUT_TEXT/%",
                                         "BT",
                                         "0.70711 0.70711 -0.70711 0.70711 " + x + " " + y + " Tm",
                                         "/F6 50.00 Tf",
                                         "(DRAFT) Tj"};
  EXPECT_TRUE(hasRun(p1, mark));
  EXPECT_TRUE(hasRun(p2, mark));
  EXPECT_EQ(std::count(p2.begin(), p2.end(), "(DRAFT) Tj"), 2);  // at its start and at its end
  EXPECT_TRUE(hasRun(p2, {"q 1.000 0.000 0.000 rg ", "%DEBUT_TEXT/%", "BT", "56.69 813.54 Td",
                          "/F13 10.00 Tf", "(second) Tj"}));
  EXPECT_EQ(pdf->PDFGetFontName(), "Times-Roman");
  EXPECT_EQ(pdf->PDFGetTextColor(), "1.000 0.000 0.000 rg");
}

}  // namespace
}  // namespace vkz
