// Settings, file structure and the document's life cycle.
#include <sys/stat.h>

#include <regex>

#include "pdftest.h"

namespace vkz {
namespace {

using namespace pdftest;

struct Document : Fixture {};

// Every offset of the cross-reference table points at "n 0 obj", and
// startxref at "xref".
void expectOffsetsExact(const std::string& pdf) {
  size_t xref = pdf.rfind("\r\nxref\r\n") + 2;
  size_t sx = pdf.find("startxref\r\n", xref);
  ASSERT_NE(sx, std::string::npos);
  EXPECT_EQ(std::stoll(pdf.substr(sx + 11)), static_cast<long long>(xref));
  std::istringstream in(pdf.substr(xref));
  std::string word;
  int first, count;
  in >> word >> first >> count;
  ASSERT_EQ(first, 0);
  std::string off, gen, kind;
  in >> off >> gen >> kind;
  EXPECT_EQ(off + " " + gen + " " + kind, "0000000000 65535 f");
  for (int n = 1; n < count; ++n) {
    in >> off >> gen >> kind;
    ASSERT_EQ(off.size(), 10u);
    long long at = std::stoll(off);
    std::string head = std::to_string(n) + " 0 obj\r\n";
    EXPECT_EQ(pdf.compare(static_cast<size_t>(at), head.size(), head), 0) << "object " << n;
  }
  // Entries are 20 bytes each.
  size_t entries = pdf.find("0000000000 65535 f\r\n", xref);
  size_t trailer = pdf.find("trailer", xref);
  EXPECT_EQ(trailer - entries, static_cast<size_t>(20 * count));
}

TEST_F(Document, NewWriterDefaults) {
  EXPECT_EQ(pdf->PDFGetUnit(), "cm");
  EXPECT_EQ(pdf->PDFGetLeftMargin(), 1);
  EXPECT_EQ(pdf->PDFGetTopMargin(), 1);
  EXPECT_EQ(pdf->PDFGetRightMargin(), 1);
  EXPECT_EQ(pdf->PDFGetBottomMargin(), 1);
  EXPECT_EQ(pdf->PDFGetCellMargin(), 3);
  EXPECT_EQ(pdf->PDFGetX(), 1);
  EXPECT_EQ(pdf->PDFGetY(), 1);
  EXPECT_EQ(pdf->PDFGetPageWidth(), 595.28);
  EXPECT_EQ(pdf->PDFGetPageHeight(), 841.89);
  EXPECT_FALSE(pdf->PDFGetZoomMode());
  EXPECT_FALSE(pdf->PDFGetLayoutMode());
  EXPECT_EQ(pdf->PDFNbPage(), -1);
  EXPECT_EQ(pdf->PDFFontList().size(), 14u);
  EXPECT_TRUE(messages.empty());
}

TEST_F(Document, OnePageWithDefaultsHasTheFixedObjectNumbers) {
  begin();
  EXPECT_EQ(pdf->PDFNbPage(), 1);
  std::string f = end();
  EXPECT_EQ(pdf->PDFNbPage(), 1);
  auto l = crlfLines(f);
  EXPECT_EQ(f.substr(0, 11), "%PDF-1.3\r\n1");
  EXPECT_TRUE(hasRun(l, {"2 0 obj", "<< /Length 3 0 R", " >>", "stream", "endstream", "endobj", "", "3 0 obj",
                         "0", "endobj"}));
  EXPECT_TRUE(hasRun(l, {"4 0 obj", "<< /Type /Font", "/Subtype /Type1", "/Name /F1", "/BaseFont /Courier",
                         "/Encoding /WinAnsiEncoding", ">>", "endobj"}));
  EXPECT_TRUE(hasRun(l, {"18 0 obj", "<< /Type /Pages", "/Kids [", "20 0 R", "]", "/Count 1", ">>"}));
  EXPECT_TRUE(hasRun(l, {"20 0 obj", "<< /Type /Page", "/Parent 18 0 R", "/MediaBox [ 0 0 595.28 841.89]",
                         "/Resources 19 0 R", "/Contents 2 0 R", ">>"}));
  EXPECT_TRUE(hasRun(l, {"21 0 obj", "<<", "/Type /Catalog", "/Pages 18 0 R", "/OpenAction [20 0 R /Fit]",
                         "/PageLayout /SinglePage", ">>", "endobj"}));
  EXPECT_TRUE(hasRun(l, {"xref", "0 22", "0000000000 65535 f", "0000000010 00000 n"}));
  EXPECT_TRUE(hasRun(l, {"trailer", "<< /Size 22", "/Root 21 0 R", "/Info 1 0 R", ">>", "startxref"}));
  EXPECT_EQ(f.substr(f.size() - 7), "%%EOF\r\n");
  expectOffsetsExact(f);
  // The symbol fonts keep their own encoding.
  EXPECT_TRUE(hasRun(l, {"/BaseFont /Symbol", ">>"}));
  EXPECT_TRUE(hasRun(l, {"/BaseFont /ZapfDingbats", ">>"}));
}

TEST_F(Document, InformationStrings) {
  // ASCII texts are escaped literal strings; any other text is written as
  // UTF-16BE with a byte-order mark, so readers show every character.
  pdf->PDFAuthor("(( a\\b");
  pdf->PDFSubject("Report (draft) \\ final) é");
  pdf->PDFTitle("Noise — dose → 85 dB(A)");
  pdf->PDFKeywords("\xF0\x9F\x94\x8A \x97");  // outside the BMP; a byte that is not UTF-8
  begin();
  std::string f = end();
  EXPECT_NE(f.find("/Author (\\(\\( a\\\\b)\r\n"), std::string::npos);
  EXPECT_NE(
      f.find("/Title "
             "<FEFF004E006F0069007300650020201400200064006F007300650020219200200038003500200064004200280041"
             "0029>\r\n"),
      std::string::npos);
  EXPECT_NE(f.find("/Keywords <FEFFD83DDD0A00202014>\r\n"), std::string::npos);
  EXPECT_TRUE(std::regex_search(f, std::regex("/CreationDate \\(D:20[0-9]{12}\\)")));
  const std::string info = run("pdfinfo -enc UTF-8 '" + out + "'");
  EXPECT_NE(info.find("Title:           Noise — dose → 85 dB(A)\n"), std::string::npos) << info;
  EXPECT_NE(info.find("Subject:         Report (draft) \\ final) é\n"), std::string::npos) << info;
  EXPECT_NE(info.find("Author:          (( a\\b\n"), std::string::npos) << info;
  EXPECT_NE(info.find("Keywords:        \xF0\x9F\x94\x8A —\n"), std::string::npos) << info;
}

TEST_F(Document, CatalogOptions) {
  struct Case {
    std::function<void(qtzPDF&)> set;
    std::vector<std::string> want;
    std::vector<std::string> absent;
  } cases[] = {
      // The report's settings: layout 3, outlines on, no bookmark.
      {[](qtzPDF& p) {
         p.PDFSetLayoutMode(3);
         p.PDFUseOutlines(true);
       },
       {"/OpenAction [20 0 R /Fit]", "/PageMode /UseOutlines", ">>"},
       {"/PageLayout", "/Outlines"}},
      {[](qtzPDF& p) {
         p.PDFUseThumbs(true);
         p.PDFUseOutlines(true);
       },
       {"/PageLayout /SinglePage", "/PageMode /UseOutlines", ">>"},
       {"/PageMode /UseThumbs"}},
      {[](qtzPDF& p) { p.PDFUseThumbs(true); }, {"/PageMode /UseThumbs"}, {}},
      {[](qtzPDF& p) { p.PDFSetViewerPreferences(126); },
       {"/ViewerPreferences<<", "/HideMenubar true", "/HideToolbar true", "/DisplayDocTitle true", ">>"},
       {}},
      {[](qtzPDF& p) { p.PDFSetViewerPreferences(7); }, {"/ViewerPreferences<<", ">>", ">>", "endobj"}, {}},
      {[](qtzPDF& p) { p.PDFSetZoomMode(75); }, {"/OpenAction [20 0 R /XYZ null null 0.75]"}, {}},
      {[](qtzPDF& p) { p.PDFSetZoomMode(150); }, {"/OpenAction [20 0 R /XYZ null null 1.50]"}, {}},
      {[](qtzPDF& p) { p.PDFSetZoomMode(1); }, {"/OpenAction [20 0 R /FitH null]"}, {}},
      {[](qtzPDF& p) { p.PDFSetZoomMode(2); }, {"/OpenAction [20 0 R /XYZ null null 1]"}, {}},
      {[](qtzPDF& p) { p.PDFSetLayoutMode(1); }, {"/PageLayout /OneColumn"}, {}},
      {[](qtzPDF& p) { p.PDFSetLayoutMode(2); }, {"/PageLayout /TwoColumnLeft"}, {}},
  };
  for (auto& c : cases) {
    qtzPDF p;
    c.set(p);
    ASSERT_TRUE(p.PDFFileName(out));
    ASSERT_TRUE(p.PDFBeginDoc());
    ASSERT_TRUE(p.PDFEndDoc());
    EXPECT_TRUE(qpdfClean(out));
    std::string f = readBytes(out);
    std::string cat = f.substr(f.find("/Type /Catalog"));
    cat = cat.substr(0, cat.find("endobj") + 6);
    EXPECT_TRUE(hasRun(crlfLines(cat), c.want)) << cat;
    for (auto& a : c.absent) EXPECT_EQ(cat.find(a), std::string::npos) << a;
    size_t pm = cat.find("/PageMode");
    EXPECT_TRUE(pm == std::string::npos || cat.find("/PageMode", pm + 1) == std::string::npos) << cat;
  }
}

TEST_F(Document, UnitsFormatsOrientationAndMargins) {
  pdf->PDFSetUnit(1);
  EXPECT_EQ(pdf->PDFGetUnit(), "mm");
  pdf->PDFSetUnit(0);
  EXPECT_EQ(pdf->PDFGetUnit(), "pt");
  pdf->PDFSetUnit(5);
  EXPECT_EQ(pdf->PDFGetUnit(), "cm");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "Error in measurement unit - qtzPDF 1.0");
  EXPECT_EQ(messages[0].text, "Incorrect Unit of Measure : 5.\r\nUsing centimeter ");
  EXPECT_EQ(messages[0].icon, PdfIcon::Critical);

  pdf->PDFFormatPage(0);
  pdf->PDFOrientation(1);
  EXPECT_EQ(pdf->PDFGetPageWidth(), 595);
  EXPECT_EQ(pdf->PDFGetPageHeight(), 842);
  pdf->PDFOrientation(0);
  EXPECT_EQ(pdf->PDFGetPageWidth(), 842);
  EXPECT_EQ(pdf->PDFGetPageHeight(), 595);
  pdf->PDFOrientation(0);  // a plain exchange
  EXPECT_EQ(pdf->PDFGetPageWidth(), 595);
  pdf->PDFFormatPage(std::vector<double>{500, 750});
  EXPECT_EQ(pdf->PDFGetPageWidth(), 500);
  EXPECT_EQ(pdf->PDFGetPageHeight(), 750);
  struct Size {
    std::int32_t f;
    double w, h;
  } sizes[] = {{1, 841.89, 1190.55}, {2, 420.94, 595.28}, {3, 612, 792}, {4, 612, 1008}, {0, 595.28, 841.89}};
  for (auto s : sizes) {
    pdf->PDFFormatPage(s.f);
    EXPECT_EQ(pdf->PDFGetPageWidth(), s.w);
    EXPECT_EQ(pdf->PDFGetPageHeight(), s.h);
  }

  pdf->PDFSetMargins(2, 3);
  EXPECT_EQ(pdf->PDFGetRightMargin(), 2);
  EXPECT_EQ(pdf->PDFGetBottomMargin(), 3);
  pdf->PDFSetLeftMargin(2.5);
  EXPECT_EQ(pdf->PDFGetLeftMargin(), 2);
  pdf->PDFSetLeftMargin(3.5);
  EXPECT_EQ(pdf->PDFGetLeftMargin(), 4);
  EXPECT_EQ(messages.size(), 1u);
}

TEST_F(Document, RejectedSettingsShowTheMessageAndUseTheDefault) {
  struct Case {
    std::function<void(qtzPDF&)> set;
    const char* title;
    const char* text;
    double w = 595.28, h = 841.89;
  } cases[] = {
      {[](qtzPDF& p) { p.PDFSetLayoutMode(-1); }, "Layout Mode - qtzPDF 1.0",
       "Layout incorrect : -1.\r\nLayout will be set to simple single page."},
      {[](qtzPDF& p) { p.PDFOrientation(7); }, "Error in orientation - qtzPDF 1.0",
       "Orientation set incorrectly: 7.\r\nOrientation set to portrait.", 595, 842},
      {[](qtzPDF& p) { p.PDFFormatPage(9); }, "Format Page - qtzPDF 1.0",
       "Format page set incorrectly : 9.\r\nFormat page set to A4."},
      {[](qtzPDF& p) { p.PDFFormatPage(std::string("0")); }, "Format Page - qtzPDF 1.0",
       "Format page set incorrectly : 0.\r\nFormat page set to A4"},
      {[](qtzPDF& p) {
         p.PDFFormatPage(std::vector<double>{-5, 700});
       },
       "Format Page - qtzPDF 1.0", "Format page set incorrectly : -5, 700.\r\nFormat page set to A4."},
      {[](qtzPDF& p) {
         p.PDFFormatPage(std::vector<double>{std::nan(""), 700});
       },
       "Format Page - qtzPDF 1.0", "Format page set incorrectly : NaN, 700.\r\nFormat page set to A4."},
      {[](qtzPDF& p) { p.PDFPageHeight(0); }, "Page height - qtzPDF 1.0",
       "Page height set incorrectly : 0.\r\nPage height set to A4."},
      {[](qtzPDF& p) { p.PDFPageWidth(1.0 / 0.0); }, "Page width - qtzPDF 1.0",
       "Page width set incorrectly : Infinity.\r\nPage width set to A4."},
      {[](qtzPDF& p) { p.PDFSetTopMargin(std::nan("")); }, "Margin - qtzPDF 1.0",
       "Margin set incorrectly : NaN.\r\nMargin set to 1."},
  };
  for (auto& c : cases) {
    messages.clear();
    qtzPDF p;
    c.set(p);
    ASSERT_EQ(messages.size(), 1u) << c.text;
    EXPECT_EQ(messages[0].title, c.title);
    EXPECT_EQ(messages[0].text, c.text);
    EXPECT_EQ(p.PDFGetPageWidth(), c.w);
    EXPECT_EQ(p.PDFGetPageHeight(), c.h);
    EXPECT_EQ(p.PDFGetTopMargin(), 1);
  }
  qtzPDF p;
  p.PDFSetLayoutMode(-1);
  EXPECT_EQ(p.PDFGetLayoutMode(), 0);
}

TEST_F(Document, PagesTakeTheirOwnSizes) {
  pdf->PDFSetFont(0, 10, 0);
  begin();
  pdf->PDFTextOut("page one", 1, 2);
  ASSERT_TRUE(pdf->PDFEndPage());
  pdf->PDFOrientation(0);  // applies to the next page
  ASSERT_TRUE(pdf->PDFNewPage());
  pdf->PDFTextOut("page two", 1, 2);
  ASSERT_TRUE(pdf->PDFEndPage());
  pdf->PDFFormatPage(3);
  ASSERT_TRUE(pdf->PDFNewPage());
  pdf->PDFTextOut("page three", 1, 2);
  std::string f = end();
  EXPECT_EQ(pdf->PDFNbPage(), 3);
  auto l = crlfLines(f);
  EXPECT_TRUE(hasRun(l, {"/MediaBox [ 0 0 595.28 841.89]"}));
  EXPECT_TRUE(hasRun(l, {"/MediaBox [ 0 0 842 595]"}));
  EXPECT_TRUE(hasRun(l, {"/MediaBox [ 0 0 612 792]"}));
  expectOffsetsExact(f);
  std::string text = pdfText(out);
  EXPECT_NE(text.find("page one"), std::string::npos);
  EXPECT_NE(text.find("page three"), std::string::npos);
  EXPECT_TRUE(std::regex_search(run("pdfinfo '" + out + "'"), std::regex("Pages: +3\n")));
}

TEST_F(Document, MisuseOfTheCallOrderStillGivesAValidFileOrAClearRefusal) {
  // Drawing before the document: refused, nothing written.
  EXPECT_FALSE(pdf->PDFTextOut("early", 1, 1));
  EXPECT_NE(pdf->PDFLastError().find("no page is open"), std::string::npos);
  EXPECT_FALSE(pdf->PDFBeginDoc());  // no output file yet
  EXPECT_FALSE(pdf->PDFEndDoc());
  begin();
  EXPECT_FALSE(pdf->PDFBeginDoc());
  EXPECT_FALSE(pdf->PDFFileName(dir.file("other.pdf")));
  pdf->PDFSetFont(0, 10, 0);
  // New pages without ending the old ones, and an end twice.
  for (int i = 0; i < 3; ++i) {
    pdf->PDFTextOut("page " + std::to_string(i + 1), 2, 2);
    ASSERT_TRUE(pdf->PDFNewPage());
  }
  ASSERT_TRUE(pdf->PDFEndPage());
  ASSERT_TRUE(pdf->PDFEndPage());
  std::string f = end();
  EXPECT_EQ(pdf->PDFNbPage(), 4);
  expectOffsetsExact(f);
  EXPECT_FALSE(pdf->PDFTextOut("late", 1, 1));
  EXPECT_FALSE(pdf->PDFDrawLine(1, 1, 2, 2));
  EXPECT_FALSE(pdf->PDFEndDoc());
  EXPECT_FALSE(pdf->PDFNewPage());
  EXPECT_TRUE(messages.empty());
}

TEST_F(Document, AWriterLeftOpenFinishesItsFile) {
  {
    qtzPDF p;
    ASSERT_TRUE(p.PDFFileName(out));
    ASSERT_TRUE(p.PDFBeginDoc());
    p.PDFSetFont(2, 14, 0);
    p.PDFTextOut("unfinished", 2, 3);
  }
  EXPECT_TRUE(qpdfClean(out));
  EXPECT_NE(pdfText(out).find("unfinished"), std::string::npos);
  EXPECT_TRUE(opened.empty());
}

TEST_F(Document, AFileThatCannotBeCreatedIsReportedAtOnce) {
  EXPECT_FALSE(pdf->PDFFileName(dir.file("no/such/folder/x.pdf")));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "PDF file - qtzPDF 1.0");
  EXPECT_NE(messages[0].text.find("Cannot create the PDF file : "), std::string::npos);
  EXPECT_FALSE(pdf->PDFBeginDoc());
  EXPECT_FALSE(pdf->PDFFileName(""));
  EXPECT_EQ(messages.size(), 2u);
  // A pipe that nobody reads: refused at once, not waited on.
  ASSERT_EQ(::mkfifo(dir.file("pipe.pdf").c_str(), 0600), 0);
  EXPECT_FALSE(pdf->PDFFileName(dir.file("pipe.pdf")));
  // Nor is a device ever replaced by a file.
  EXPECT_FALSE(pdf->PDFFileName("/dev/full"));
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
  EXPECT_EQ(messages.size(), 4u);
}

TEST_F(Document, AFullDiskLeavesNoFileAndTheEarlierOneAsItWas) {
  for (FullDisk::Kind kind : {FullDisk::SmallFileSystem, FullDisk::SizeLimit}) {
    FullDisk disk(kind, 16 << 10);
    if (!disk.ready()) continue;  // the system lets this test mount nothing
    SCOPED_TRACE(disk.cause);
    const std::string target = disk.file("report.pdf");
    std::ofstream(target) << "the earlier report";
    messages.clear();
    qtzPDF p;
    ASSERT_TRUE(p.PDFFileName(target));
    ASSERT_TRUE(p.PDFBeginDoc());
    p.PDFSetFont(0, 10, 0);
    for (int page = 1; page <= 40; ++page) {
      for (int l = 1; l <= 25; ++l) p.PDFTextOut("a line of text that fills the page", 1, l);
      p.PDFEndPage();
      p.PDFNewPage();
    }
    EXPECT_FALSE(p.PDFEndDoc());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Cannot write the PDF file : " + target + ".\r\n" + disk.cause + ".");
    EXPECT_EQ(readBytes(target), "the earlier report");
    EXPECT_EQ(disk.names(), std::vector<std::string>{"report.pdf"});
  }
}

TEST_F(Document, ConfirmAndViewAfterTheEnd) {
  pdf->PDFConfirm(true);
  pdf->PDFView(true);
  begin();
  end();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "Generated PDF file - qtzPDF 1.0");
  EXPECT_EQ(messages[0].text, "PDF file generated.");
  EXPECT_EQ(messages[0].icon, PdfIcon::None);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], out);
  EXPECT_EQ(pdf->PDFGetFileName(), out);
}

TEST_F(Document, EmptyPageStreamHasLengthZero) {
  begin();
  std::string f = end();
  EXPECT_NE(f.find("stream\r\nendstream"), std::string::npos);
  EXPECT_EQ(pageContent(f, 1), "");
}

TEST_F(Document, FontListFromAFolder) {
  ScratchDir fonts;
  std::filesystem::copy_file(appPath("Fonts/Helvetica.afm"), fonts.file("Helvetica.afm"));
  std::filesystem::copy_file(appPath("Fonts/Times-Roman.afm"), fonts.file("Times-Roman.AFM"));
  std::filesystem::copy_file(appPath("Fonts/Courier.afm"), fonts.file("Courier.afm.txt"));
  std::filesystem::copy_file(appPath("Fonts/Courier.afm"), fonts.file("My Font(1).afm"));
  std::ofstream(fonts.file("readme.txt")) << "not a font";
  ASSERT_TRUE(pdf->PDFLoadAfm(fonts.path()));
  EXPECT_EQ(pdf->PDFFontList(), (std::vector<std::string>{"Helvetica", "My Font(1)", "Times-Roman"}));
  EXPECT_EQ(pdf->PDFFontsPath(), fonts.path());
  // A folder without metric files keeps the list; an unreadable one says so.
  ScratchDir empty;
  ASSERT_TRUE(pdf->PDFLoadAfm(empty.path()));
  EXPECT_EQ(pdf->PDFFontList().size(), 3u);
  EXPECT_FALSE(pdf->PDFLoadAfm(empty.file("missing")));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].title, "Font folder - qtzPDF 1.0");
  EXPECT_EQ(pdf->PDFFontsPath(), fonts.path());
  // Metric files that are no regular file are neither listed nor read.
  ASSERT_EQ(::mkfifo(fonts.file("Courier.afm").c_str(), 0600), 0);
  std::filesystem::create_directory(fonts.file("Symbol.afm"));
  ASSERT_TRUE(pdf->PDFLoadAfm(fonts.path()));
  EXPECT_EQ(pdf->PDFFontList().size(), 3u);
  begin();
  pdf->PDFSetFont(1, 10, 0);
  EXPECT_TRUE(pdf->PDFTextOut("no metrics", 1, 1));
  EXPECT_EQ(pdf->PDFGetStringWidth("abc", "Symbol", 10), 0);
  EXPECT_EQ(messages.size(), 2u);  // Courier's metrics not found
  std::string f = end();
  EXPECT_NE(f.find("/BaseFont /My#20Font#281#29\r\n"), std::string::npos);
}

}  // namespace
}  // namespace vkz
