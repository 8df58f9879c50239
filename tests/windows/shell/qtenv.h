// The Qt application every window test runs in (offscreen), and a fresh
// program state for each test: flags, texts, link, polling, message seam,
// and a temporary program folder.
#pragma once
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <string>

#include "support/common/engine_clock.h"

namespace vkz {
class Panel;

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A main window with its timers frozen (the tests drive the ticks, the
  // program runs on clock_) and the start-up run with a port opener that
  // links nothing.
  Panel* makePanel();
  // Writes a file under the temporary program folder.
  std::string writeFile(const std::string& relative, const std::string& bytes);
  std::string dir() const;
  // Lets queued deletions and events run.
  static void settle();

  std::unique_ptr<QTemporaryDir> tmp_;
  Panel* panel_ = nullptr;
  // The program's clock while a main window is made (makePanel).
  std::optional<test::EngineClock> clock_;
};

}  // namespace vkz
