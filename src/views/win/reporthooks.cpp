#include "views/win/reporthooks.h"

#include "ui/msgbox.h"

namespace vkz {

void tellReportOutcome(const ReportOutcome& outcome) {
  if (outcome.status != ReportOutcome::Failed) return;
  MsgBox::show(outcome.message.empty() ? QStringLiteral("The report could not be made.")
                                       : QString::fromStdString(outcome.message),
               MsgIcon::Critical);
}

}  // namespace vkz
