// The operator lines of the drawing calls.
#include <cmath>

#include "pdftest.h"

namespace vkz {
namespace {

using namespace pdftest;

struct Graphics : Fixture {};

TEST_F(Graphics, LinesWriteTheirStateBeforeThePath) {
  begin();
  ASSERT_TRUE(pdf->PDFDrawLineHor(1, 1, 2));  // before any line style: an empty dash line
  pdf->PDFSetLineStyle(1);
  pdf->PDFSetLineWidth(0.025);
  ASSERT_TRUE(pdf->PDFDrawLineVer(1, 1, 2));
  pdf->PDFSetLineColor(255LL);
  ASSERT_TRUE(pdf->PDFDrawLine(5, 9, 2, 3));
  EXPECT_EQ(pdf->PDFGetX(), 5);
  EXPECT_EQ(pdf->PDFGetY(), 9);
  end();
  auto l = page();
  EXPECT_TRUE(hasRun(
      l, {"%DEBUT_LNH/%", "", "0 G", "16.07 w", "28.35 813.54 m", "85.04 813.54 l", "S", "%FIN_LNH/%"}));
  EXPECT_TRUE(hasRun(l, {"%DEBUT_LNV/%", "[453 226 ] 0 d", "0 G", "0.71 w", "28.35 813.54 m",
                         "28.35 756.85 l", "S", "%FIN_LNV/%"}));
  EXPECT_TRUE(hasRun(l, {"%DEBUT_LN/%", "[453 226 ] 0 d", "1.000 0.000 0.000 RG", "0.71 w", "141.73 586.77 m",
                         "56.69 756.85 l", "S", "%FIN_LN/%"}));
}

TEST_F(Graphics, DashPatternsFollowTheUnitOfTheMoment) {
  struct Case {
    std::int32_t unit, style;
    const char* want;
  } cases[] = {{2, 0, "[] 0 d"},
               {2, 1, "[453 226 ] 0 d"},
               {2, 2, "[226 198 56 198 ] 0 d"},
               {2, 3, "[226 113 56 113 56 113 ] 0 d"},
               {1, 1, "[45 22 ] 0 d"},
               {1, 2, "[22 19 5 19 ] 0 d"},
               {0, 3, "[8 4 2 4 2 4 ] 0 d"}};
  for (const auto& c : cases) {
    qtzPDF p;
    p.PDFSetUnit(c.unit);
    p.PDFSetLineStyle(c.style);
    ASSERT_TRUE(p.PDFFileName(out));
    ASSERT_TRUE(p.PDFBeginDoc());
    p.PDFSetUnit(2);  // the pattern was fixed when the style was set
    p.PDFDrawLineHor(1, 1, 1);
    ASSERT_TRUE(p.PDFEndDoc());
    EXPECT_TRUE(hasRun(crlfLines(pageContent(readBytes(out), 1)), {"%DEBUT_LNH/%", c.want})) << c.want;
  }
  pdf->PDFSetLineStyle(7);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "Line Style - qtzPDF 1.0");
  EXPECT_EQ(messages[0].text, "Line style set incorrectly : 7.\r\nLine style set to solid.");
}

TEST_F(Graphics, Colours) {
  EXPECT_TRUE(pdf->PDFSetLineColor(255LL));
  EXPECT_EQ(pdf->PDFGetLineColor(), "1.000 0.000 0.000 RG");
  EXPECT_TRUE(pdf->PDFSetDrawColor(std::string("#0000FF")));
  EXPECT_EQ(pdf->PDFGetDrawColor(), "0.000 0.000 1.000 rg");
  EXPECT_TRUE(pdf->PDFSetTextColor(PdfRgb{51, 51, 51}));
  EXPECT_EQ(pdf->PDFGetTextColor(), "0.200 0.200 0.200 rg");
  EXPECT_TRUE(pdf->PDFSetTextColor(std::string("#12FF8000")));  // only the last six count
  EXPECT_EQ(pdf->PDFGetTextColor(), "1.000 0.502 0.000 rg");
  EXPECT_TRUE(pdf->PDFSetDrawColor(16711680LL));
  EXPECT_EQ(pdf->PDFGetDrawColor(), "0.000 0.000 1.000 rg");
  EXPECT_TRUE(messages.empty());

  // Texts without "#": the setter's message, then black.
  struct Msg {
    std::function<bool(qtzPDF&)> set;
    const char* title;
    const char* text;
    std::function<std::string(qtzPDF&)> get;
    const char* stored;
  } msgs[] = {
      {[](qtzPDF& p) { return p.PDFSetTextColor(std::string("red")); }, "Text Color qtzPDF 1.0",
       "Invalid HTMl color setred.\r\nSet color to  black.", [](qtzPDF& p) { return p.PDFGetTextColor(); },
       "0.000 0.000 0.000 rg"},
      {[](qtzPDF& p) { return p.PDFSetLineColor(std::string("blue")); }, "Line Color - qtzPDF 1.0",
       "Invalid line color set blue.\r\nSetting line color to black.",
       [](qtzPDF& p) { return p.PDFGetLineColor(); }, "0.000 0.000 0.000 RG"},
      {[](qtzPDF& p) { return p.PDFSetDrawColor(std::string("")); }, "Draw Color - qtzPDF 1.0",
       "Invalid Draw Color set .\r\nUsing black.", [](qtzPDF& p) { return p.PDFGetDrawColor(); },
       "0.000 0.000 0.000 rg"},
  };
  for (auto& m : msgs) {
    messages.clear();
    qtzPDF p;
    EXPECT_TRUE(m.set(p));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, m.title);
    EXPECT_EQ(messages[0].text, m.text);
    EXPECT_EQ(m.get(p), m.stored);
  }

  // Values that are no colour at all: refused, colour kept, no message.
  messages.clear();
  EXPECT_FALSE(pdf->PDFSetLineColor(std::string("#ABC")));
  EXPECT_FALSE(pdf->PDFSetLineColor(16777216LL));
  EXPECT_FALSE(pdf->PDFSetLineColor(-1LL));
  EXPECT_FALSE(pdf->PDFSetLineColor(PdfRgb{300, 0, 0}));
  EXPECT_EQ(pdf->PDFGetLineColor(), "1.000 0.000 0.000 RG");
  EXPECT_TRUE(messages.empty());
}

TEST_F(Graphics, RectanglesInEachDrawMode) {
  pdf->PDFSetLineWidth(0.025);
  pdf->PDFSetLineStyle(0);
  begin();
  pdf->PDFSetLineColor(255LL);
  pdf->PDFDrawLineHor(1, 1, 1);  // the fill colour follows the line colour
  EXPECT_EQ(pdf->PDFGetDrawColor(), "1.000 0.000 0.000 rg");
  pdf->PDFSetDrawMode(1);
  ASSERT_TRUE(pdf->PDFDrawRectangle(1, 1, 2, 1));
  EXPECT_EQ(pdf->PDFGetTextColor(), "1.000 1.000 1.000 rg");
  EXPECT_EQ(pdf->PDFGetY(), 2);
  pdf->PDFSetDrawMode(2);
  pdf->PDFDrawRectangle(1, 1, 2, 1);
  pdf->PDFSetDrawMode(0);
  pdf->PDFDrawRectangle(1, 1, 2, 1);
  pdf->PDFSetDrawMode(9);
  end();
  auto l = page();
  EXPECT_TRUE(hasRun(l, {"%DEBUT_RECT/%", "1.000 0.000 0.000 rg", "[] 0 d", "0.71 w",
                         "28.35 813.54 56.69 -28.35 re f", "%FIN_RECT/%"}));
  EXPECT_TRUE(hasRun(l, {"%DEBUT_RECT/%", "1.000 0.000 0.000 rg", "1.000 0.000 0.000 RG", "[] 0 d", "0.71 w",
                         "28.35 813.54 56.69 -28.35 re B", "%FIN_RECT/%"}));
  EXPECT_TRUE(hasRun(l, {"%DEBUT_RECT/%", "1.000 0.000 0.000 RG", "[] 0 d", "0.71 w",
                         "28.35 813.54 56.69 -28.35 re s", "%FIN_RECT/%"}));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "Object Rectangle - qtzPDF 1.0");
  EXPECT_EQ(messages[0].text, "Draw Mode set incorrectly : 9.\r\nDraw mode set to normal");
}

TEST_F(Graphics, EllipsesAndPolygons) {
  pdf->PDFSetUnit(0);
  pdf->PDFSetLineWidth(1);
  begin();
  ASSERT_TRUE(pdf->PDFDrawEllipse(100, 100, 50, 0));  // a circle
  EXPECT_EQ(pdf->PDFGetY(), 125);
  pdf->PDFSetDrawMode(1);
  ASSERT_TRUE(pdf->PDFDrawPolygon({1, 1, 3, 1, 2, 2}));
  pdf->PDFSetDrawMode(0);
  ASSERT_TRUE(pdf->PDFDrawPolygon({1, 1, 3, 1, 2, 2}));
  EXPECT_FALSE(pdf->PDFDrawPolygon({1, 1, 3}));
  EXPECT_FALSE(pdf->PDFDrawPolygon({}));
  EXPECT_FALSE(pdf->PDFDrawLine(1, std::nan(""), 2, 2));
  end();
  auto l = page();
  EXPECT_TRUE(
      hasRun(l, {"0 G", "", "1.00 w", "100.00 716.89 m", "100.00 730.64 111.25 741.89 125.00 741.89 c",
                 "138.75 741.89 150.00 730.64 150.00 716.89 c", "150.00 703.14 138.75 691.89 125.00 691.89 c",
                 "111.25 691.89 100.00 703.14 100.00 716.89 c", "s"}));
  EXPECT_TRUE(hasRun(l, {"0 g", "%DEBUT_POLY/%", "", "1.00 w", "1.00 840.89 m", "3.00 840.89 l",
                         "2.00 839.89 l", "1.00 840.89 l", "h f", "%FIN_POLY/%"}));
  EXPECT_TRUE(hasRun(l, {"0 G", "%DEBUT_POLY/%", "", "1.00 w", "1.00 840.89 m", "3.00 840.89 l",
                         "2.00 839.89 l", "1.00 840.89 l", "s", "%FIN_POLY/%"}));
  // Nothing of the refused polygons reached the page.
  EXPECT_EQ(std::count(l.begin(), l.end(), "%DEBUT_POLY/%"), 2);
}

// Readers take reals up to 32767 (an A4 page is 842 points high): a call
// with a number that is not finite or lies beyond that on the page writes
// nothing at all and changes nothing; the file stays valid.
TEST_F(Graphics, NumbersThatCannotBeWrittenAreRefusedWhole) {
  const std::string logo = dir.file("logo.jpg");
  writeBytes(logo, makeJpeg(40, 20, 3, 300));
  const double nan = std::nan(""), inf = HUGE_VAL;
  // 1e21 writes a 22-digit integer; 1200 cm is 34,016 points.
  const double bad[] = {nan, inf, -inf, 1e21, -1e21, 1200};
  const std::vector<std::function<bool(qtzPDF&, double)>> calls = {
      [](qtzPDF& p, double v) { return p.PDFDrawLineHor(1, 1, v); },
      [](qtzPDF& p, double v) { return p.PDFDrawLineVer(v, 1, 2); },
      [](qtzPDF& p, double v) { return p.PDFDrawLine(1, 1, 2, v); },
      [](qtzPDF& p, double v) { return p.PDFDrawRectangle(1, 1, v, 1); },
      [](qtzPDF& p, double v) { return p.PDFDrawRectangle(1, v, 1, 1, "https://x"); },
      [](qtzPDF& p, double v) { return p.PDFDrawEllipse(1, 1, 2, v, "https://x"); },
      [](qtzPDF& p, double v) {
        return p.PDFDrawPolygon({1, 1, 2, v, 3, 1});
      },
      [](qtzPDF& p, double v) { return p.PDFTextOut("text", v, 1); },
      [](qtzPDF& p, double v) { return p.PDFCell("a b c", 1, v, 3, 1); },
      [](qtzPDF& p, double v) { return p.PDFLink(1, v, "link", "https://x"); },
      [&](qtzPDF& p, double v) { return p.PDFImage(logo, 1, v, 0, 0, "https://x"); },
      [&](qtzPDF& p, double v) { return p.PDFImage(logo, 1, 1, v, 0); },
      [](qtzPDF& p, double v) { return p.PDFSetBookmark("b", 0, v); },
  };
  pdf->PDFSetFont(0, 10, 3);  // underlined: the underline has numbers too
  pdf->PDFSetTextColor(255LL);
  begin();
  ASSERT_TRUE(pdf->PDFTextOut("kept", 2, 3));
  const std::string before = pageContent(readBytes(out), 1);
  for (size_t c = 0; c < calls.size(); ++c) {
    for (double v : bad) {
      EXPECT_FALSE(calls[c](*pdf, v)) << "call " << c << " with " << v;
      EXPECT_EQ(pdf->PDFGetX(), 3) << "call " << c << " with " << v;
      EXPECT_EQ(pdf->PDFGetY(), 3) << "call " << c << " with " << v;
    }
  }
  EXPECT_NE(pdf->PDFLastError().find("32767 points"), std::string::npos) << pdf->PDFLastError();
  EXPECT_EQ(pdf->PDFGetTextColor(), "1.000 0.000 0.000 rg");
  EXPECT_EQ(pdf->PDFGetDrawColor(), "0 g");
  // Positions that fit only before a wide left margin is added: a text's
  // offset, a shape's link text.
  pdf->PDFSetLeftMargin(1200);
  EXPECT_FALSE(pdf->PDFTextOut("far", 1, 1));
  EXPECT_FALSE(pdf->PDFDrawRectangle(1, 1, 2, 1, "https://x"));
  EXPECT_TRUE(pdf->PDFDrawRectangle(1, 1, 2, 1));
  std::string f = end();
  EXPECT_EQ(f.find("/Annots"), std::string::npos);
  EXPECT_EQ(f.find("/Outlines"), std::string::npos);
  EXPECT_EQ(f.find("/ImgJPEG1"), std::string::npos);
  const std::string after = pageContent(f, 1);
  EXPECT_EQ(after.substr(0, before.size()), before);
  EXPECT_TRUE(hasRun(crlfLines(after.substr(before.size())), {"%DEBUT_RECT/%"}));
  EXPECT_EQ(after.find("%DEBUT_RECT/%"), after.rfind("%DEBUT_RECT/%"));
  EXPECT_TRUE(messages.empty());
}

TEST_F(Graphics, SettersRefuseNumbersThatCannotBeWritten) {
  struct Case {
    std::function<void(qtzPDF&)> set;
    const char* title;
    const char* text;
    const char* written;  // what the default writes
  } cases[] = {
      {[](qtzPDF& p) { p.PDFSetRotation(std::nan("")); }, "Rotation - qtzPDF 1.0",
       "Rotation set incorrectly : NaN.\r\nRotation set to 0.", "56.69 813.54 Td"},
      {[](qtzPDF& p) { p.PDFSetRotation(-HUGE_VAL); }, "Rotation - qtzPDF 1.0",
       "Rotation set incorrectly : -Infinity.\r\nRotation set to 0.", "56.69 813.54 Td"},
      {[](qtzPDF& p) { p.PDFSetLineWidth(1200); }, "Line Width - qtzPDF 1.0",
       "Line width set incorrectly : 1200.\r\nLine width set to 0.567.", "16.07 w"},
      {[](qtzPDF& p) { p.PDFSetZoomMode(2147483647); }, "Zoom Mode - qtzPDF 1.0",
       "Zoom set incorrectly : 2147483647.\r\nZoom set to full page.", "/OpenAction [20 0 R /Fit]"},
  };
  for (auto& c : cases) {
    messages.clear();
    qtzPDF p;
    c.set(p);
    ASSERT_EQ(messages.size(), 1u) << c.text;
    EXPECT_EQ(messages[0].title, c.title);
    EXPECT_EQ(messages[0].text, c.text);
    ASSERT_TRUE(p.PDFFileName(out));
    ASSERT_TRUE(p.PDFBeginDoc());
    ASSERT_TRUE(p.PDFTextOut("x", 1, 1));
    ASSERT_TRUE(p.PDFDrawLineHor(1, 1, 1));
    ASSERT_TRUE(p.PDFEndDoc());
    EXPECT_TRUE(qpdfClean(out));
    EXPECT_NE(readBytes(out).find(std::string(c.written) + "\r\n"), std::string::npos) << c.written;
  }
  // The largest zoom that can be written is kept.
  messages.clear();
  pdf->PDFSetZoomMode(3276700);
  EXPECT_EQ(pdf->PDFGetZoomMode(), 3276700);
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace vkz
