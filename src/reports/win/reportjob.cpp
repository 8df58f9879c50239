#include "reports/win/reportjob.h"

#include <QCoreApplication>
#include <exception>
#include <system_error>

#include "base/log.h"
#include "base/trtext.h"
#include "state/programstate.h"
#include "ui/msgbox.h"
#include "ui/qtext.h"

namespace vkz {
namespace {

// How often the window thread looks at the report's progress, in
// milliseconds: the caption follows it 40 times a second.
constexpr int kLookMs = 25;

ReportOutcome outcomeOf(const ReportResult& r) {
  switch (r.status) {
    case ReportResult::Done:
      return {ReportOutcome::Done, r.message};
    case ReportResult::Cancelled:
      return {ReportOutcome::Cancelled, r.message};
    case ReportResult::Failed:
      break;
  }
  return {ReportOutcome::Failed, r.message};
}

}  // namespace

void ReportJob::Handover::showProgress(const std::string& caption) {
  std::lock_guard lock(mutex_);
  caption_ = caption;
  fresh_ = true;
}

void ReportJob::Handover::end(ReportResult result) {
  std::lock_guard lock(mutex_);
  result_ = std::move(result);
}

void ReportJob::Handover::take(std::optional<std::string>& caption, std::optional<ReportResult>& result) {
  std::lock_guard lock(mutex_);
  if (fresh_) caption = caption_;
  fresh_ = false;
  result = result_;
}

ReportJob::ReportJob(QWidget* window, Make make, ReportDone done)
    : make_(std::move(make)), done_(std::move(done)), caption_(window) {
  look_.setInterval(kLookMs);
  connect(&look_, &QTimer::timeout, this, [this] { look(); });
  connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { waitAtQuit(); });
}

ReportJob::~ReportJob() {
  if (thread_.joinable()) thread_.join();
}

void ReportJob::start(QWidget* window, Make make, ReportDone done) {
  State().reportRunning = true;
  auto* job = new ReportJob(window, std::move(make), std::move(done));
  try {
    job->thread_ = std::thread([job] { job->run(); });
  } catch (const std::system_error&) {
    // No thread to be had: the report is made here, the windows waiting.
    logCaught(LogArea::Ui);
    job->run();
  }
  job->look_.start();
}

void ReportJob::run() {
  ReportResult result;
  try {
    result = make_(handover_);
  } catch (const std::exception& e) {
    logCaught(LogArea::Ui);
    result = ReportResult::failure(e.what());
  } catch (...) {
    logCaught(LogArea::Ui);
    result = ReportResult::failure(trText("Report", "The report could not be made."));
  }
  handover_.end(std::move(result));
}

void ReportJob::look() {
  std::optional<std::string> caption;
  std::optional<ReportResult> result;
  handover_.take(caption, result);
  if (caption) caption_.show(q(*caption));
  if (result) finish(*result);
}

void ReportJob::finish(const ReportResult& result) {
  look_.stop();
  if (thread_.joinable()) thread_.join();
  caption_.end();
  State().reportRunning = false;
  // The boxes below run event loops of their own: the job is done by then.
  ReportDone done = std::move(done_);
  deleteLater();
  if (!result.notes.empty()) MsgBox::show(q(result.notes), MsgIcon::Exclamation);
  if (!result.document.empty() && !MsgBox::openDocument(q(result.document)))
    MsgBox::show(
        q(fillText(trText("Report", "The PDF report was written to %1, but no program could open it."),
                   {result.document})),
        MsgIcon::Exclamation);
  if (done) done(outcomeOf(result));
}

void ReportJob::waitAtQuit() {
  look_.stop();
  if (thread_.joinable()) thread_.join();
}

}  // namespace vkz
