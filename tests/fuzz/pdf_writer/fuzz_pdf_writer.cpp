// The writer driven by arbitrary calls with arbitrary numbers and texts:
// whatever it is given, every number in the finished file must be one a
// reader takes (a real within 32767, an integer within 32 bits, no "nan",
// "inf" or exponent), and the cross-reference section must be where the
// trailer says.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "pdf/qtzpdf.h"

namespace {

double number(FuzzedDataProvider& in) {
  static const double special[] = {
      std::numeric_limits<double>::quiet_NaN(), HUGE_VAL, -HUGE_VAL, 1e21, -1e21, 0, -1, 32767, 40000};
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return in.PickValueInArray(special);
    case 1:
      return in.ConsumeFloatingPoint<double>();
    default:
      return in.ConsumeFloatingPointInRange(-2000.0, 2000.0);
  }
}

void drive(vkz::qtzPDF& pdf, FuzzedDataProvider& in) {
  for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
    switch (in.ConsumeIntegralInRange(0, 19)) {
      case 0:
        pdf.PDFSetUnit(in.ConsumeIntegralInRange(0, 2));
        break;
      case 1:
        pdf.PDFSetLineWidth(number(in));
        break;
      case 2:
        pdf.PDFSetRotation(number(in));
        break;
      case 3:
        pdf.PDFDrawLineHor(number(in), number(in), number(in));
        break;
      case 4:
        pdf.PDFDrawLine(number(in), number(in), number(in), number(in));
        break;
      case 5:
        pdf.PDFDrawRectangle(number(in), number(in), number(in), number(in), in.ConsumeRandomLengthString(8));
        break;
      case 6:
        pdf.PDFDrawEllipse(number(in), number(in), number(in), number(in), in.ConsumeRandomLengthString(8));
        break;
      case 7: {
        std::vector<double> v(2 * in.ConsumeIntegralInRange(1, 4));
        for (double& d : v) d = number(in);
        pdf.PDFDrawPolygon(v);
        break;
      }
      case 8:
        pdf.PDFTextOut(in.ConsumeRandomLengthString(16), number(in), number(in));
        break;
      case 9:
        pdf.PDFCell(in.ConsumeRandomLengthString(40), number(in), number(in), number(in), number(in),
                    in.ConsumeRandomLengthString(8));
        break;
      case 10:
        pdf.PDFLink(number(in), number(in), in.ConsumeRandomLengthString(16),
                    in.ConsumeRandomLengthString(8));
        break;
      case 11:
        pdf.PDFSetBookmark(in.ConsumeRandomLengthString(16), in.ConsumeIntegral<std::int16_t>(), number(in));
        break;
      case 12:
        pdf.PDFEndPage();
        pdf.PDFNewPage();
        break;
      case 13:
        pdf.PDFSetLeftMargin(number(in));
        pdf.PDFSetCellMargin(number(in));
        break;
      case 14:
        pdf.PDFSetFont(in.ConsumeIntegralInRange(0, 4), in.ConsumeIntegral<std::int16_t>(),
                       in.ConsumeIntegralInRange(0, 123));
        break;
      case 15:
        pdf.PDFSetAlignement(in.ConsumeIntegralInRange(0, 3));
        pdf.PDFSetBorder(in.ConsumeIntegralInRange(0, 2345));
        pdf.PDFSetFill(in.ConsumeBool());
        break;
      case 16:
        pdf.PDFPageWidth(number(in));
        pdf.PDFPageHeight(number(in));
        break;
      case 17:
        pdf.PDFSetDrawMode(in.ConsumeIntegralInRange(0, 2));
        pdf.PDFSetLineStyle(in.ConsumeIntegralInRange(0, 3));
        break;
      case 18:
        pdf.PDFWatermark(in.ConsumeRandomLengthString(16));
        break;
      default:
        pdf.PDFSetZoomMode(in.ConsumeIntegral<std::int32_t>());
        break;
    }
  }
}

// Skips a literal string "(...)" starting at i, with nesting and escapes.
size_t skipString(const std::string& s, size_t i) {
  int depth = 0;
  for (; i < s.size(); ++i) {
    if (s[i] == '\\') {
      ++i;
    } else if (s[i] == '(') {
      ++depth;
    } else if (s[i] == ')' && --depth == 0) {
      return i + 1;
    }
  }
  std::abort();  // a string that never ends
}

void checkNumbers(const std::string& f) {
  size_t i = 0;
  while (i < f.size()) {
    const char c = f[i];
    if (c == '(') {
      i = skipString(f, i);
    } else if (f.compare(i, 2, "<<") == 0 || f.compare(i, 2, ">>") == 0) {
      i += 2;
    } else if (c == '%' || c == '<' || c == '/') {
      // Comments, hex strings and dictionaries' names hold no number.
      const char* stop = c == '%' ? "\r\n" : c == '<' ? ">" : " \r\n[]()<>/";
      i = f.find_first_of(stop, i + 1);
      if (i == std::string::npos) break;
      if (c == '<') ++i;
    } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.') {
      const size_t end = f.find_first_of(" \r\n[]()<>/", i);
      const std::string token = f.substr(i, end - i);
      char* stop = nullptr;
      const double v = std::strtod(token.c_str(), &stop);
      const bool plain = token.find_first_not_of("+-.0123456789") == std::string::npos;
      if (!plain || *stop != '\0') std::abort();
      if (token.find('.') != std::string::npos ? std::fabs(v) > 32767 : std::fabs(v) > 2147483647.0)
        std::abort();
      i = end;
    } else {
      ++i;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string file = "/tmp/fuzz_pdf_writer-" + std::to_string(::getpid()) + ".pdf";
  FuzzedDataProvider in(data, size);
  {
    vkz::qtzPDF pdf;
    pdf.setMessageHook(nullptr);
    pdf.setOpenHook(nullptr);
    pdf.PDFLoadAfm(VKZ_FONTS_DIR);
    pdf.PDFTitle(in.ConsumeRandomLengthString(16));
    if (!pdf.PDFFileName(file) || !pdf.PDFBeginDoc()) std::abort();
    drive(pdf, in);
    if (!pdf.PDFEndDoc()) std::abort();
  }
  std::ifstream read(file, std::ios::binary);
  std::stringstream ss;
  ss << read.rdbuf();
  const std::string f = ss.str();
  ::unlink(file.c_str());
  const size_t sx = f.rfind("startxref\r\n");
  if (sx == std::string::npos || f.compare(std::stoull(f.substr(sx + 11)), 6, "xref\r\n") != 0) std::abort();
  checkNumbers(f);
  return 0;
}
