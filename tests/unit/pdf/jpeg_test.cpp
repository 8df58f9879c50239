#include "pdf/jpeg.h"

#include <gtest/gtest.h>

#include "pdftest.h"

namespace vkz {
namespace {

using pdftest::makeJpeg;

TEST(JpegReader, ReadsSizeAndColourSpace) {
  struct Case {
    int components;
    const char* space;
  } cases[] = {{1, "DeviceGray"}, {3, "DeviceRGB"}, {4, "DeviceCMYK"}};
  for (const auto& c : cases) {
    JpegInfo info = ReadJpegInfo(makeJpeg(100, 50, c.components, 300));
    ASSERT_EQ(info.status, JpegStatus::Ok) << c.components;
    EXPECT_EQ(info.width, 100);
    EXPECT_EQ(info.height, 50);
    EXPECT_EQ(info.colorSpace, c.space);
    EXPECT_EQ(info.bitsPerComponent, 8);
  }
}

TEST(JpegReader, RefusesBadFilesOfEveryKind) {
  auto good = makeJpeg(16, 16, 3, 300);
  auto withSize = [&](std::size_t n) { return makeJpeg(8, 8, 1, n); };
  auto trailing = good;
  trailing.push_back(0);
  auto units3 = makeJpeg(16, 16, 3, 300, 3);
  auto noFrame = makeJpeg(16, 16, 3, 300, 0, false);
  auto twoComponents = makeJpeg(16, 16, 2, 300);
  auto longSegment = good;
  longSegment[22] = 0xFF;  // DQT length runs past the end of the data
  auto brokenChain = good;
  brokenChain[20] = 0x12;  // where a marker should start
  auto noStart = good;
  noStart[1] = 0xD9;
  auto zeroWidth = makeJpeg(0, 16, 3, 300);

  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    JpegStatus want;
  } cases[] = {
      {"249 bytes", withSize(249), JpegStatus::TooSmall},
      {"250 bytes", withSize(250), JpegStatus::Ok},
      {"empty", {}, JpegStatus::TooSmall},
      {"byte after end marker", trailing, JpegStatus::BadMarker},
      {"no start marker", noStart, JpegStatus::BadMarker},
      {"density units 3", units3, JpegStatus::BadResolution},
      {"no frame header", noFrame, JpegStatus::NotJpeg},
      {"two components", twoComponents, JpegStatus::NotJpeg},
      {"segment past the end", longSegment, JpegStatus::NotJpeg},
      {"lost marker chain", brokenChain, JpegStatus::NotJpeg},
      {"zero width", zeroWidth, JpegStatus::NotJpeg},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(withSize(249).size(), 249u);
    EXPECT_EQ(ReadJpegInfo(c.bytes).status, c.want) << c.what;
  }
  EXPECT_EQ(ReadJpegInfo(units3).densityUnits, 3);
}

TEST(JpegReader, StopsAtTheScanAndSkipsFillBytes) {
  // Scan data that looks like a frame header must not be read as one.
  auto j = makeJpeg(16, 16, 3, 300);
  std::size_t sos = 0;
  for (std::size_t i = 2; i + 1 < j.size(); ++i)
    if (j[i] == 0xFF && j[i + 1] == 0xDA) sos = i;
  ASSERT_GT(sos, 0u);
  std::vector<std::uint8_t> fake = {0xFF, 0xC0, 0, 17, 8,    0x11, 0x11, 0x22, 0x22, 3,
                                    1,    0x11, 0, 2,  0x11, 0,    3,    0x11, 0};
  j.insert(j.end() - 2, fake.begin(), fake.end());
  JpegInfo info = ReadJpegInfo(j);
  ASSERT_EQ(info.status, JpegStatus::Ok);
  EXPECT_EQ(info.width, 16);

  // Fill bytes 0xFF before the frame header.
  auto f = makeJpeg(24, 8, 1, 300);
  std::size_t sof = 0;
  for (std::size_t i = 2; i + 1 < f.size(); ++i)
    if (f[i] == 0xFF && f[i + 1] == 0xC0) sof = i;
  f.insert(f.begin() + static_cast<long>(sof), {0xFF, 0xFF, 0xFF});
  info = ReadJpegInfo(f);
  ASSERT_EQ(info.status, JpegStatus::Ok);
  EXPECT_EQ(info.width, 24);
}

}  // namespace
}  // namespace vkz
