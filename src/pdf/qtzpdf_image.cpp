// JPEG pictures on the page: file-name checks, reading the frame header,
// placement. The file's bytes are embedded unchanged at the end of the
// document; placements of the same picture share one copy in memory.
#include <cstring>

#include "base/trtext.h"
#include "pdf/filebytes.h"
#include "pdf/jpeg.h"
#include "pdf/pdfnum.h"
#include "pdf/qtzpdf.h"

namespace vkz {
namespace {

bool endsWith(const std::string& s, const char* suffix) {
  const size_t n = std::strlen(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

}  // namespace

bool qtzPDF::readImage(const std::string& fileName, Image& img) {
  if (fileName.find('.') == std::string::npos) {
    message("Image File - ",
            "File " + fileName + " does not have an extension\r\nInvalid filename specified.");
    return fail(fillText(trText("PdfWriter", "the picture %1 has no extension"), {fileName}));
  }
  if (!endsWith(fileName, "jpg") && !endsWith(fileName, "jpeg")) {
    message("Image File - ",
            "Image format not supported.\r\nOnly JPEG images are supported.\r\nImpossible to include image "
            "in PDF file.");
    return fail(fillText(trText("PdfWriter", "the picture %1 is not named as a JPEG file"), {fileName}));
  }
  auto data = std::make_shared<std::vector<std::uint8_t>>();
  std::string why;
  if (!readRegularFile(fileName, *data, why)) {
    message("File Image - ", "File Image is non JPEG\r\nCannot add image to PDF file.");
    return fail(fillText(trText("PdfWriter", "cannot read the picture %1: %2"), {fileName, why}));
  }
  const JpegInfo info = ReadJpegInfo(*data);
  switch (info.status) {
    case JpegStatus::Ok:
      break;
    case JpegStatus::BadMarker:
      message("File Image - ", "Invalid JPEG marker\r\nCannot add iamge to PDF file.");
      return fail(
          fillText(trText("PdfWriter", "the picture %1 has no JPEG start or end marker"), {fileName}));
    case JpegStatus::BadResolution:
      message("File Image - ", "Invalid image resolution" + std::to_string(info.densityUnits) +
                                   "Valid resolution is: 0, 1, 2.\r\nCannot add image to PDF file.");
      return fail(fillText(trText("PdfWriter", "the picture %1 gives density units %2 (0, 1 or 2 are known)"),
                           {fileName, std::to_string(info.densityUnits)}));
    case JpegStatus::TooSmall:
    case JpegStatus::NotJpeg:
      message("File Image - ", "File Image is non JPEG\r\nCannot add image to PDF file.");
      return fail(fillText(trText("PdfWriter", "the picture %1 is not a usable JPEG file"), {fileName}));
  }
  img.width = info.width;
  img.height = info.height;
  img.colorSpace = info.colorSpace;
  // The same picture placed again shares the bytes already held.
  for (const Image& other : images_) {
    if (other.data->size() == data->size() &&
        std::memcmp(other.data->data(), data->data(), data->size()) == 0) {
      img.data = other.data;
      return true;
    }
  }
  img.data = std::move(data);
  return true;
}

bool qtzPDF::PDFImage(const std::string& fileName, double X, double Y, double w, double h,
                      const std::string& URLLink) {
  if (!needPage("PDFImage")) return false;
  if (!finite({X, Y, w, h}) || w < 0 || h < 0) return fail("PDFImage: a position or size is not usable");
  Image img;
  if (!readImage(fileName, img)) return false;
  if (w == 0 && h == 0) {
    w = img.width / k_;
    h = img.height / k_;
  } else if (w == 0) {
    w = h * img.width / img.height;
  } else if (h == 0) {
    h = w * img.height / img.width;
  }
  Drawing d(*this);
  images_.push_back(std::move(img));
  const size_t n = images_.size();
  const double H = pageH();
  line("q");
  num(k_ * w);
  out(" 0 0 ");
  num(k_ * h);
  buf_ += ' ';
  num(k_ * X);
  buf_ += ' ';
  num(H - k_ * (Y + h));
  out(" cm /ImgJPEG");
  out(std::to_string(n));
  line(" Do Q");
  imageW_ = w;
  imageH_ = h;
  attachUrlLink(URLLink, "IMAGE", X, Y);
  x_ = X + w;
  y_ = Y + h;
  return d.done("PDFImage");
}

double qtzPDF::PDFImageWidth(const std::string& fileName) {
  Image img;
  return readImage(fileName, img) ? img.width : 0;
}

double qtzPDF::PDFImageHeight(const std::string& fileName) {
  Image img;
  return readImage(fileName, img) ? img.height : 0;
}

}  // namespace vkz
