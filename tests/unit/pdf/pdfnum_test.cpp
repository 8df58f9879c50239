#include "pdf/pdfnum.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

namespace vkz {
namespace {

TEST(PdfNumber, FixedDecimalsNeverExponentOrComma) {
  struct Case {
    double v;
    int decimals;
    const char* want;
  } cases[] = {
      {28.3464, 2, "28.35"},
      {0.5, 2, "0.50"},
      {-3, 2, "-3.00"},
      {813.54, 2, "813.54"},
      {-56.6929, 2, "-56.69"},
      {0.502, 3, "0.502"},
      {128 / 255.0, 3, "0.502"},
      {0.00001, 2, "0.00"},
      {-0.001, 2, "0.00"},
      {1e-20, 2, "0.00"},
      {1e17, 2, "100000000000000000.00"},
      {1e300, 2, nullptr},
      {0.125, 2, "0.13"},
      {2.5, 0, "3"},
      {0.70866, 5, "0.70866"},
      {std::nan(""), 2, "0.00"},
      {std::numeric_limits<double>::infinity(), 2, "0.00"},
  };
  for (const auto& c : cases) {
    std::string s = FormatPdfNumber(c.v, c.decimals);
    EXPECT_EQ(s.find_first_of("eE,"), std::string::npos) << s;
    if (c.want) {
      EXPECT_EQ(s, c.want) << c.v;
    }
  }
  EXPECT_EQ(FormatPdfNumber(1e300, 2).size(), 304u);
}

TEST(PdfNumber, TheLocaleDoesNotChangeTheDecimalMark) {
  // Where a decimal-comma locale is installed it must not leak in.
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = old ? old : "C";
  for (const char* loc : {"de_DE.UTF-8", "pt_BR.UTF-8", "fr_FR.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, loc)) break;
  }
  EXPECT_EQ(FormatPdfNumber(28.3464, 2), "28.35");
  EXPECT_EQ(generalNumber(595.28), "595.28");
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(PdfNumber, GeneralFormatUpTo15Digits) {
  struct Case {
    double v;
    const char* want;
  } cases[] = {{595.28, "595.28"},
               {842, "842"},
               {612, "612"},
               {0, "0"},
               {-12.5, "-12.5"},
               {1.0 / 3, "0.333333333333333"},
               {28.3464566929134, "28.3464566929134"},
               {1e-7, "0.0000001"},
               {123456789012345678.0, "123456789012345680"},
               // Whole hundredths and numbers just beside them or past a
               // power of ten.
               {-841.89, "-841.89"},
               {20.05, "20.05"},
               {100.1, "100.1"},
               {999999.99, "999999.99"},
               {1000000.5, "1000000.5"},
               {99999.995, "99999.995"},
               {595.2800000001, "595.2800000001"},
               {1.0000000000001, "1.0000000000001"},
               {9.999999999999998, "10"},
               {0.29, "0.29"}};
  for (const auto& c : cases) EXPECT_EQ(generalNumber(c.v), c.want) << c.v;
}

TEST(PdfString, EscapesWhatWouldBreakAString) {
  std::string s;
  appendPdfStringBody(s, "a(b)c\\d\r\n");
  EXPECT_EQ(s, "a\\(b\\)c\\\\d\\r\\n");
}

TEST(PdfName, OnlyRegularCharactersStayPlain) {
  EXPECT_EQ(pdfName("Helvetica-Bold"), "Helvetica-Bold");
  EXPECT_EQ(pdfName("My Font (1)"), "My#20Font#20#281#29");
  EXPECT_EQ(pdfName("a/b#c"), "a#2Fb#23c");
  EXPECT_EQ(pdfName(""), "_");
}

TEST(PdfNumber, HalvesToEven) {
  EXPECT_EQ(roundEven(2.5), 2);
  EXPECT_EQ(roundEven(3.5), 4);
  EXPECT_EQ(roundEven(-2.5), -2);
  // Beyond the integers a number can be rounded to: the nearest end, which
  // no drawing can write.
  EXPECT_EQ(roundEven(1e21), std::numeric_limits<long long>::max());
  EXPECT_EQ(roundEven(-1e300), std::numeric_limits<long long>::min());
  EXPECT_EQ(roundEven(std::nan("")), 0);
}

}  // namespace
}  // namespace vkz
