#include "qt_app.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "support/common/program_reset.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"
#include "ui/printer.h"

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

// The window layer's part of the one reset: no window left loaded, and the
// message box, file dialogs and printer dialog answering from their queues.
[[maybe_unused]] const bool g_reset = [] {
  vkz::test::addResetStep([] {
    vkz::FormRegistry::unloadAll();
    vkz::test::settleEvents();
    vkz::MsgBox::setTestMode(true);
    vkz::MsgBox::resetTestRecords();
    vkz::PrinterSeam::setTestMode(true);
    vkz::PrinterSeam::resetTestRecords();
  });
  return true;
}();

}  // namespace
