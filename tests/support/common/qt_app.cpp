#include "qt_app.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "support/common/window_reset.h"

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "vkz_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) app_ = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const auto* const g_env = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// Every fixture's reset unloads the windows and answers the dialogs.
[[maybe_unused]] const bool g_reset = [] {
  vkz::test::useWindowReset();
  return true;
}();

}  // namespace
