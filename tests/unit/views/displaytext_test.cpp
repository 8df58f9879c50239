#include "views/displaytext.h"

#include <gtest/gtest.h>

#include <cfloat>

#include "views/progress.h"

using namespace vkz;

TEST(DisplayText, NumberAtTheStart) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"85.3 dB", 85.3}, {"  120.0 dB", 120.0},
      {"-- dB", 0},      {"*85.3 dB", 0},
      {"", 0},           {"2018/05/23 10:00:00", 2018},
      {"86400", 86400},  {"-3.5", -3.5},
      {"+7", 7},         {"85,3 dB", 85.3},
      {"1.2.3", 1.2},    {"1e2 dB", 100},
      {"1e", 1},         {".5", 0.5},
      {"dB 85", 0},      {"1e999", DBL_MAX},
      {"0.1", 0.1},      {"1234567890123456789", 1234567890123456789.0},
      {"1D2", 100},      {"2d1 dB", 20},
      {"85dB", 85},      {"8.5D1 dB", 85},
      {"85.3d2", 8530},  {"9,3e1", 93},
  };
  for (const auto& c : cases) EXPECT_EQ(displayNumber(c.text), c.value) << c.text;
}

TEST(DisplayText, LevelCells) {
  EXPECT_EQ(levelValue("*85.3 dB"), 85.3);
  EXPECT_EQ(levelValue("*-- dB"), 0);
  EXPECT_EQ(levelValue("3362.1 dB"), 3362.1);
  EXPECT_TRUE(isFlaggedLevel("*-- dB"));
  EXPECT_FALSE(isFlaggedLevel("85.3 dB*"));
  EXPECT_EQ(cellOfRow("a\tb\t\tc", 2), "");
  EXPECT_EQ(cellOfRow("a\tb\t\tc", 3), "c");
  EXPECT_EQ(cellOfRow("a\tb", 5), "");
}

TEST(DisplayText, CleanCellTextForTheDataFile) {
  EXPECT_EQ(cleanCellText("a\tb\r\nc\nd"), "a b  c d");
  EXPECT_EQ(cleanCellText("M\xC3\xBCller"), "M\xC3\xBCller");
}

TEST(Progress, ReportsEachChangeOfThePercentageOnce) {
  std::vector<std::string> seen;
  ProgressCounter three(3, [&](std::uint64_t d, std::uint64_t t) { seen.push_back(progressPercent(d, t)); });
  three.advance(2);
  three.advance();
  EXPECT_EQ(seen, (std::vector<std::string>{"33.3", "66.7", "100.0"}));

  // A million units make 1001 texts at most, from 0.0 to 100.0.
  seen.clear();
  ProgressCounter big(1000000,
                      [&](std::uint64_t d, std::uint64_t t) { seen.push_back(progressPercent(d, t)); });
  for (int i = 0; i < 1000; ++i) big.advance(1000);
  EXPECT_EQ(seen.size(), 1001u);
  EXPECT_EQ(seen.front(), "0.0");
  EXPECT_EQ(seen[375], "37.5");
  EXPECT_EQ(seen.back(), "100.0");
  EXPECT_EQ(progressCaption(1, 2, "Completed", false), "50.0%Completed");
}
