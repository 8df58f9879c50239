// JPEG pictures: placement, image objects and the refusals.
#include <sys/stat.h>

#include "pdftest.h"

namespace vkz {
namespace {

using namespace pdftest;

struct Images : Fixture {
  std::string logo;
  void SetUp() override {
    Fixture::SetUp();
    logo = dir.file("logo.jpg");
    writeBytes(logo, makeJpeg(100, 50, 3, 300));
  }
};

TEST_F(Images, PlacementAndImageObjects) {
  begin();
  ASSERT_TRUE(pdf->PDFImage(logo, 1, 1));
  ASSERT_TRUE(pdf->PDFImage(logo, 1, 1, 4, 0));
  EXPECT_EQ(pdf->PDFGetX(), 5);
  EXPECT_EQ(pdf->PDFGetY(), 3);
  std::string f = end();
  auto l = page();
  EXPECT_TRUE(hasRun(l, {"q", "100.00 0 0 50.00 28.35 763.54 cm /ImgJPEG1 Do Q"}));
  EXPECT_TRUE(hasRun(l, {"q", "113.39 0 0 56.69 28.35 756.85 cm /ImgJPEG2 Do Q"}));
  const std::string size = std::to_string(readBytes(logo).size());
  for (int n : {1, 2}) {
    EXPECT_TRUE(
        hasRun(crlfLines(f), {"<</Type /XObject", "/Subtype /Image", "/Filter [/DCTDecode ]", "/Width 100",
                              "/Height 50", "/ColorSpace /DeviceRGB", "/BitsPerComponent 8",
                              "/Length " + size, "/Name /ImgJPEG" + std::to_string(n) + ">>", "stream"}));
  }
  EXPECT_NE(f.find("stream\r\n" + readBytes(logo) + "\r\nendstream"), std::string::npos);
  // 14 fonts, 2 images: Pages 18, Resources 19, images 20 and 21, Page 22.
  EXPECT_TRUE(hasRun(crlfLines(f), {"/XObject << ", "/ImgJPEG1 20 0 R", "/ImgJPEG2 21 0 R", ">>"}));
  EXPECT_NE(f.find("/OpenAction [22 0 R /Fit]"), std::string::npos);
  // A reader draws the page with both pictures without a complaint.
  int status = -1;
  std::string r = run("pdftoppm -r 20 -png '" + out + "' '" + dir.file("p") + "' 2>&1", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(r, "");
}

TEST_F(Images, ColourSpacesAndSizeQueries) {
  struct Case {
    int components;
    const char* space;
  } cases[] = {{1, "/ColorSpace /DeviceGray"}, {4, "/ColorSpace /DeviceCMYK"}};
  for (const auto& c : cases) {
    qtzPDF p;
    const std::string file = dir.file("c.jpeg");
    writeBytes(file, makeJpeg(40, 30, c.components, 300));
    EXPECT_EQ(p.PDFImageWidth(file), 40);
    EXPECT_EQ(p.PDFImageHeight(file), 30);
    ASSERT_TRUE(p.PDFFileName(out));
    ASSERT_TRUE(p.PDFBeginDoc());
    ASSERT_TRUE(p.PDFImage(file, 2, 2));
    ASSERT_TRUE(p.PDFEndDoc());
    EXPECT_TRUE(qpdfClean(out));
    EXPECT_NE(readBytes(out).find(c.space), std::string::npos);
  }
}

TEST_F(Images, BadFilesAreRefusedWithTheirMessage) {
  auto put = [&](const std::string& name, const std::vector<std::uint8_t>& b) {
    writeBytes(dir.file(name), b);
    return dir.file(name);
  };
  auto trailing = makeJpeg(16, 16, 3, 300);
  trailing.push_back(0);
  auto truncated = makeJpeg(16, 16, 3, 300);
  truncated[22] = 0xF0;  // a segment length past the end
  const char* nonJpeg = "File Image is non JPEG\r\nCannot add image to PDF file.";
  const std::string folder = dir.file("folder.jpg"), pipe = dir.file("pipe.jpg"),
                    device = dir.file("zero.jpg");
  std::filesystem::create_directory(folder);
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", device);
  struct Case {
    std::string file;
    const char* title;
    std::string text;
  } cases[] = {
      {dir.file("LOGO.JPG"), "Image File - qtzPDF 1.0",
       "Image format not supported.\r\nOnly JPEG images are supported.\r\nImpossible to include image in PDF "
       "file."},
      {dir.file("logo"), "Image File - qtzPDF 1.0",
       "File " + dir.file("logo") + " does not have an extension\r\nInvalid filename specified."},
      {put("small.jpg", makeJpeg(8, 8, 1, 249)), "File Image - qtzPDF 1.0", nonJpeg},
      {dir.file("missing.jpg"), "File Image - qtzPDF 1.0", nonJpeg},
      {put("trail.jpg", trailing), "File Image - qtzPDF 1.0",
       "Invalid JPEG marker\r\nCannot add iamge to PDF file."},
      {put("units.jpg", makeJpeg(16, 16, 3, 300, 3)), "File Image - qtzPDF 1.0",
       "Invalid image resolution3Valid resolution is: 0, 1, 2.\r\nCannot add image to PDF file."},
      {put("noframe.jpg", makeJpeg(16, 16, 3, 300, 0, false)), "File Image - qtzPDF 1.0", nonJpeg},
      {put("two.jpg", makeJpeg(16, 16, 2, 300)), "File Image - qtzPDF 1.0", nonJpeg},
      {put("cut.jpg", truncated), "File Image - qtzPDF 1.0", nonJpeg},
      // Names that are no regular file: a folder, a pipe nobody writes to
      // (opening it must not wait) and a device without end.
      {folder, "File Image - qtzPDF 1.0", nonJpeg},
      {pipe, "File Image - qtzPDF 1.0", nonJpeg},
      {device, "File Image - qtzPDF 1.0", nonJpeg},
  };
  begin();
  for (const auto& c : cases) {
    messages.clear();
    EXPECT_FALSE(pdf->PDFImage(c.file, 1, 1)) << c.file;
    ASSERT_EQ(messages.size(), 1u) << c.file;
    EXPECT_EQ(messages[0].title, c.title);
    EXPECT_EQ(messages[0].text, c.text);
    EXPECT_EQ(messages[0].icon, PdfIcon::Critical);
    messages.clear();
    EXPECT_EQ(pdf->PDFImageWidth(c.file), 0);
  }
  // 250 bytes and a name ending in "ajpg" pass.
  const std::string ok = put("logo.ajpg", makeJpeg(8, 8, 1, 250));
  EXPECT_TRUE(pdf->PDFImage(ok, 1, 1));
  std::string f = end();
  EXPECT_NE(f.find("/ImgJPEG1 Do Q"), std::string::npos);
  EXPECT_EQ(f.find("/ImgJPEG2"), std::string::npos);
}

}  // namespace
}  // namespace vkz
