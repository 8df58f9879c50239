#include "views/win/reporthooks.h"

#include "base/trtext.h"
#include "state/programstate.h"
#include "ui/msgbox.h"
#include "ui/qtext.h"

namespace vkz {

void tellReportOutcome(const ReportOutcome& outcome) {
  if (outcome.status != ReportOutcome::Failed) return;
  MsgBox::show(outcome.message.empty() ? q(trText("Report", "The report could not be made."))
                                       : QString::fromStdString(outcome.message),
               MsgIcon::Critical);
}

bool refusedWhileAReportRuns() {
  if (!State().reportRunning) return false;
  tellReportOutcome({ReportOutcome::Failed, reportBusyText()});
  return true;
}

}  // namespace vkz
