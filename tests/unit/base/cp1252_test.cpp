#include "base/cp1252.h"

#include <gtest/gtest.h>

using namespace vkz;

TEST(Cp1252, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
}

TEST(Cp1252, KnownCharacters) {
  struct Case {
    std::string cp;
    std::string utf8;
  } cases[] = {
      {"\xE9", "\xC3\xA9"},              // é
      {"\xE7\xE3", "\xC3\xA7\xC3\xA3"},  // çã
      {"\x80", "\xE2\x82\xAC"},          // €
      {"\x96", "\xE2\x80\x93"},          // en dash
      {"dB", "dB"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(cp1252ToUtf8(c.cp), c.utf8);
    EXPECT_EQ(utf8ToCp1252(c.utf8), c.cp);
  }
}

TEST(Cp1252, UnmappableAndMalformed) {
  EXPECT_EQ(utf8ToCp1252("\xE4\xB8\xAD"), "?");  // a CJK character
  EXPECT_EQ(utf8ToCp1252("a\xE9z"), "a\xE9z");   // already code page 1252
}
