#include "support/common/window_reset.h"

#include "support/common/program_reset.h"
#include "support/common/qt_app.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"
#include "ui/printer.h"

namespace vkz::test {

void useWindowReset() {
  static const bool added = [] {
    addResetStep([] {
      FormRegistry::unloadAll();
      settleEvents();
      MsgBox::setTestMode(true);
      MsgBox::resetTestRecords();
      PrinterSeam::setTestMode(true);
      PrinterSeam::resetTestRecords();
    });
    return true;
  }();
  (void)added;
}

}  // namespace vkz::test
