#include "views/displaytext.h"

#include <gtest/gtest.h>

#include <cfloat>

#include "views/linescan.h"
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

TEST(LineScan, FindsWhatAPlainLoopFinds) {
  // Lines of every length up to 70 with TABs, CRs, zero bytes and high
  // bytes at every position, against a byte-by-byte reference.
  const char kinds[] = {'a', '\t', '\r', '\0', '\xE9'};
  for (size_t len = 0; len <= 70; ++len)
    for (size_t at = 0; at < len; ++at)
      for (char k : kinds) {
        std::string line(len, 'x');
        for (size_t i = 3; i < len; i += 7) line[i] = '\t';
        line[at] = k;
        detail::LineScan s = detail::scanLine(line);
        std::vector<std::uint32_t> tabs;
        for (size_t i = 0; i < len; ++i)
          if (line[i] == '\t' && tabs.size() < detail::LineScan::kTabs)
            tabs.push_back(static_cast<std::uint32_t>(i));
        ASSERT_EQ(std::vector<std::uint32_t>(s.tab, s.tab + s.tabs), tabs) << len << " " << at;
        ASSERT_EQ(s.cr, line.find('\r') != std::string::npos);
        ASSERT_EQ(s.nul, line.find('\0') != std::string::npos);
        ASSERT_EQ(s.high, line.find('\xE9') != std::string::npos);
      }
}

TEST(LineScan, CutterFindsTheLinesAPlainLoopFinds) {
  // Blocks of lines of every length from 0 to 150 (so lines start at every
  // offset of the 64-byte stretches and cross one or two of them), with
  // TABs, CRs, zero bytes and high bytes about: each line as the cutter
  // describes it against scanLine() of the same line.
  const char kinds[] = {'a', '\t', '\r', '\0', '\xE9'};
  for (size_t len = 0; len <= 150; ++len) {
    std::string block;
    for (size_t i = 0; block.size() < 700; ++i) {
      std::string line(len + i % 3, 'x');
      for (size_t k = i % 5; k < line.size(); k += 3 + i % 4) line[k] = kinds[(k + i) % 5];
      block += line + '\n';
    }
    block += "tail\twithout\rline end";
    detail::LineCutter cutter(block);
    for (size_t at = 0; at < block.size();) {
      detail::LineScan s;
      const size_t got = cutter.toLF(at, s);
      const size_t lf = block.find('\n', at);
      const std::string_view line =
          std::string_view(block).substr(at, lf == std::string::npos ? std::string::npos : lf - at);
      ASSERT_EQ(got, line.size()) << len << " " << at;
      const detail::LineScan want = detail::scanLine(line);
      ASSERT_EQ(std::vector<std::uint32_t>(s.tab, s.tab + s.tabs),
                std::vector<std::uint32_t>(want.tab, want.tab + want.tabs))
          << len << " " << at;
      ASSERT_EQ(s.cr, want.cr);
      if (s.cr) {
        ASSERT_EQ(s.crAt, want.crAt);
      }
      ASSERT_EQ(s.nul, want.nul);
      ASSERT_EQ(s.high, want.high);
      at += got + 1;
    }
  }
}
