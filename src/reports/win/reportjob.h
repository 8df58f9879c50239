// A report made on a thread of its own.
//
// The report draws from its snapshot of the window's grids and writes its
// file (or feeds the printer) on its own thread, so nothing the window
// thread does meanwhile holds it up: a message box, a file dialog or the
// refusal of a second report runs its own event loop on the window thread
// while the report goes on. The window thread looks at the report's
// progress a few dozen times a second and shows it in the calling window's
// caption; when the report has ended it puts the caption back, tells what
// the PDF writer said, shows the finished file in the viewer and hands the
// outcome to the caller. Until then ProgramState::reportRunning is set.
//
// The report's thread touches nothing but its own snapshot, its printer or
// writer and file, the texts and the log (both safe from any thread), and
// the progress it hands over (under a lock); everything the windows see is
// done on the window thread.
#pragma once
#include <QObject>
#include <QTimer>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "reports/reportdata.h"
#include "ui/captionrun.h"
#include "views/reporthooks.h"

class QWidget;

namespace vkz {

class ReportJob : public QObject {
 public:
  // Makes the report on the report's thread, telling `progress` how far it
  // has come.
  using Make = std::function<ReportResult(ReportUi& progress)>;

  // Starts `make` for `window` and returns; `done` hears, on the window
  // thread, what came of it. Sets ProgramState::reportRunning until then.
  static void start(QWidget* window, Make make, ReportDone done);

  ~ReportJob() override;

 private:
  // What the report's thread hands to the window thread.
  class Handover : public ReportUi {
   public:
    void showProgress(const std::string& caption) override;
    void end(ReportResult result);
    // The progress text not yet shown, and the result once the report has
    // ended.
    void take(std::optional<std::string>& caption, std::optional<ReportResult>& result);

   private:
    std::mutex mutex_;
    std::string caption_;
    bool fresh_ = false;
    std::optional<ReportResult> result_;
  };

  ReportJob(QWidget* window, Make make, ReportDone done);
  // The report's thread: makes the report, whatever it throws.
  void run();
  // The window thread: shows the progress; ends the job once the report has.
  void look();
  void finish(const ReportResult& result);
  // The program ends: waits for the report, so its file is whole.
  void waitAtQuit();

  Make make_;
  ReportDone done_;
  CaptionRun caption_;
  Handover handover_;
  QTimer look_;
  std::thread thread_;
};

}  // namespace vkz
