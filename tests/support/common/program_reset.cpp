#include "support/common/program_reset.h"

#include <vector>

#include "base/appdir.h"
#include "base/log.h"
#include "base/numfmt.h"
#include "base/programclock.h"
#include "base/trtext.h"
#include "link/comname.h"
#include "link/eventpump.h"
#include "pdf/qtzpdf.h"
#include "state/programstate.h"

namespace vkz::test {
namespace {
std::vector<std::function<void()>>& steps() {
  static std::vector<std::function<void()>> s;
  return s;
}
}  // namespace

void addResetStep(std::function<void()> step) {
  steps().push_back(std::move(step));
}

void resetProgram() {
  for (const auto& s : steps()) s();
  State().reset();
  setAppDir("");
  setProgramClock({});
  setComFallback(true);
  setDecimalSeparator('.');
  setEventPump(nullptr);
  setLinkMessage(nullptr);
  setLogSink(nullptr);
  setTranslator(nullptr);
  qtzPDF::setDefaultHooks(nullptr, nullptr);
}

}  // namespace vkz::test
