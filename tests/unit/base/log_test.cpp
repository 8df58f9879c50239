// The log seam: nothing is formatted while an area is off, lines reach the
// sink while it is on, and a failure caught in a handler says where and why.
#include "base/log.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "base/handlerstep.h"
#include "support/common/log_capture.h"

using namespace vkz;
using vkz::test::LogCapture;

TEST(Log, TextIsMadeOnlyForAnAreaThatIsOn) {
  int made = 0;
  auto frame = [&] {
    ++made;
    const std::uint8_t bytes[] = {0x02, 0x00, 0x01, 0x00, 0x01, 0xAF};
    return "COM1 > " + hexBytes(bytes);
  };
  logLazy(LogArea::Link, LogLevel::Debug, frame);  // no sink at all
  {
    LogCapture log({LogArea::Poll});
    logLazy(LogArea::Link, LogLevel::Debug, frame);  // another area on
    EXPECT_EQ(made, 0);
    EXPECT_TRUE(log.lines.empty());
  }
  LogCapture log({LogArea::Link});
  logLazy(LogArea::Link, LogLevel::Debug, frame);
  EXPECT_EQ(made, 1);
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_EQ(log.lines[0].text, "COM1 > 02 00 01 00 01 AF");
  EXPECT_EQ(log.lines[0].level, LogLevel::Debug);
  EXPECT_EQ(hexBytes({}), "");
  EXPECT_STREQ(logAreaName(LogArea::Link), "vkz.link");
  EXPECT_STREQ(logAreaName(LogArea::Ui), "vkz.ui");
}

TEST(Log, AFailedHandlerStepSaysWhereAndWhyAndGoesOn) {
  LogCapture log({LogArea::Ui});
  int after = 0;
  step([] { throw std::runtime_error("grid row 7 missing"); });
  step([] { throw 42; });
  step([&] { ++after; });
  EXPECT_EQ(after, 1);
  ASSERT_EQ(log.lines.size(), 2u);
  for (const auto& l : log.lines) {
    EXPECT_EQ(l.level, LogLevel::Warning);
    // The place is the handler that ran the step, in this file.
    EXPECT_NE(l.text.find("tests/unit/base/log_test.cpp:"), std::string::npos) << l.text;
    EXPECT_NE(l.text.find("TestBody"), std::string::npos) << l.text;
  }
  EXPECT_NE(log.lines[0].text.find(": grid row 7 missing"), std::string::npos) << log.lines[0].text;
  EXPECT_NE(log.lines[1].text.find("not a std::exception"), std::string::npos) << log.lines[1].text;

  // Outside a catch block there is nothing to report, and nothing breaks.
  logCaught(LogArea::Ui);
  EXPECT_NE(log.lines.back().text.find("no exception"), std::string::npos);
}
