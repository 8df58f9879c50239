// The meter's clock, name and welcome text.
#include "settings/metertext.h"

#include <gtest/gtest.h>

#include "polling/readbacks.h"
#include "polling/replies.h"
#include "settings/meterclock.h"
#include "settingstest.h"

using namespace vkz;
using vkz::test::frameHex;
using vkz::test::hex;

TEST(MeterClock, PcTimeLabelToTheClockFrame) {
  const auto c = clockFromPcTimeLabel("2024/03/07 09:05:01");
  ASSERT_TRUE(c);
  EXPECT_EQ(frameHex(0x82, *PackClock(*c)), "02 00 08 82 07 E8 03 07 09 05 01 6C");
  const auto late = clockFromPcTimeLabel("2099-12-31T23:59:59");  // any separator
  ASSERT_TRUE(late);
  EXPECT_EQ(late->ClockYear, 2099);
  EXPECT_EQ(late->ClockSecond, 59);
  // A label not yet written, or any other text, sets no clock.
  const auto leap = clockFromPcTimeLabel("2024/02/29 23:59:59");
  ASSERT_TRUE(leap);
  EXPECT_EQ(leap->ClockDay, 29);
  for (const char* label :
       {"", "Label1", "2024/03/07 09:05", "2024/03/07 09:05:0x", " 024/03/07 09:05:01", "0000/00/00 00:00:00",
        "2024/13/01 00:00:00", "2024/04/31 00:00:00", "2023/02/29 00:00:00", "2100/02/29 00:00:00",
        "2024/03/07 24:00:00", "2024/03/07 09:60:00", "2024/03/07 09:05:60"})
    EXPECT_FALSE(clockFromPcTimeLabel(label)) << label;
}

TEST(MeterName, AccessCodeAndModel) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"857", "VKZ 418", true}, {"x857y", "KRD 529", true},
      {"85", "VKZ 418", false}, {"Meter Name", "VKZ 418", false},
      {"857", "", false},       {"857", "vkz 418", false},
      {"", "VKZ 418", false}};
  for (auto [typed, model, ok] : cases) EXPECT_EQ(meterNameAccess(typed, model), ok) << typed << "/" << model;
}

TEST(MeterName, PaddedToElevenBytesInCodePage1252) {
  // The meter gives back 12 characters of its name and takes 11; the name
  // panel sees both the reply decoder's length and its own.
  static_assert(kMeterNameLength == 12 && kMeterNameWriteLength == 11);
  auto w = meterNameSet("VKZ0012");
  ASSERT_TRUE(w.record);
  EXPECT_EQ(w.record->shown, "VKZ0012    ");
  EXPECT_EQ(hex(BuildRequest(0x8E, w.record->bytes, 0x0C)),
            "02 00 0C 8E 56 4B 5A 30 30 31 32 20 20 20 20 C6");
  w = meterNameSet("ABCDEFGHIJK");
  EXPECT_EQ(w.record->shown, "ABCDEFGHIJK");
  EXPECT_EQ(std::string(w.record->bytes.begin(), w.record->bytes.end()), "ABCDEFGHIJK");
  w = meterNameSet("ABCDEFGHIJK ");  // the 12 characters a read-back shows: the first 11 go
  EXPECT_EQ(w.record->shown, "ABCDEFGHIJK ");
  EXPECT_EQ(w.record->bytes.size(), 11u);
  w = meterNameSet("Müller €5");
  EXPECT_EQ(hex(w.record->bytes), "4D FC 6C 6C 65 72 20 80 35 20 20");
  EXPECT_EQ(w.record->shown, "Müller €5  ");
  w = meterNameSet("Łódź");
  EXPECT_FALSE(w.record);
  EXPECT_EQ(w.refusal, "The meter cannot show the character \"Ł\" (U+0141). Nothing was sent.");
  EXPECT_FALSE(meterTextBytes("ab\xC3").record);  // cut-off UTF-8
}

TEST(WelcomeText, ThreeLinesOfTwelveBothWays) {
  auto w = welcomeTextSet({"HELLO", "", "ABCDEFGHIJKL"});
  ASSERT_TRUE(w.record);
  EXPECT_EQ(w.record->shown[0], "HELLO       ");
  EXPECT_EQ(w.record->shown[1], std::string(12, ' '));
  EXPECT_EQ(w.record->shown[2], "ABCDEFGHIJKL");
  const Frame f = BuildRequest(0x8D, w.record->bytes, 0x26);
  ASSERT_EQ(f.size(), 41u);
  EXPECT_EQ(hex({f.begin(), f.begin() + 16}), "02 00 26 8D 48 45 4C 4C 4F 20 20 20 20 20 20 20");

  w = welcomeTextSet({"Text1", "Text1", "Text1"});
  EXPECT_EQ(std::string(w.record->bytes.begin(), w.record->bytes.end()),
            "Text1       Text1       Text1       ");
  w = welcomeTextSet({"Preis 5 €", "ÄÖÜ äöü ß", "ABCDEFGHIJKLMN"});  // the box holds 12
  ASSERT_TRUE(w.record);
  EXPECT_EQ(w.record->bytes[8], 0x80);  // the euro sign in code page 1252
  EXPECT_EQ(w.record->shown[2], "ABCDEFGHIJKL");
  // What the meter sends back reads as what was written.
  const auto back = decodeWelcomeText(Payload(w.record->bytes.data(), w.record->bytes.size()));
  EXPECT_EQ((*back)[0], "Preis 5 €   ");
  EXPECT_EQ((*back)[1], "ÄÖÜ äöü ß   ");

  w = welcomeTextSet({"OK", "Привет", "OK"});
  EXPECT_FALSE(w.record);
  EXPECT_EQ(w.refusal, "The meter cannot show the character \"П\" (U+041F). Nothing was sent.");
}
