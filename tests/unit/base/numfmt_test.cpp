#include "base/numfmt.h"

#include <gtest/gtest.h>

using namespace vkz;

TEST(NumFmt, Patterns) {
  struct Case {
    double v;
    const char* pat;
    const char* out;
  } cases[] = {
      {85.3, "0.0", "85.3"}, {7, "00", "07"},       {2026, "0000", "2026"}, {0.05, "0.0", "0.1"},
      {0.15, "0.0", "0.2"},  {-0.04, "0.0", "0.0"}, {-3.25, "0.0", "-3.3"}, {1.0005, "0.000", "1.001"},
      {123, "0", "123"},     {9.96, "0.0", "10.0"}, {0, "0.000", "0.000"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatPattern(c.v, c.pat, '.'), c.out) << c.v << " " << c.pat;
}

TEST(NumFmt, DecimalSeparatorAndHalfEven) {
  EXPECT_EQ(formatPattern(1.5, "0.0", ','), "1,5");
  EXPECT_EQ(roundHalfEven(2.5), 2);
  EXPECT_EQ(roundHalfEven(3.5), 4);
}

TEST(NumFmt, Reading) {
  EXPECT_EQ(parseNumber(" 12.5 "), 12.5);
  EXPECT_FALSE(parseNumber("12a").has_value());
  EXPECT_FALSE(parseNumber("").has_value());
  EXPECT_EQ(val("12abc"), 12);
  EXPECT_EQ(val(""), 0);
  EXPECT_EQ(val("-3.5 dB"), -3.5);
}
