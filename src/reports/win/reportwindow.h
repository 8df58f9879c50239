// The window's side of a report: the snapshot of its three grids when the
// report starts, and the ReportUi that shows the progress in its caption,
// lets window events run, shows the printer dialog and tells the user.
#pragma once
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <string>

#include "reports/reportdata.h"

namespace vkz {

class FlexGrid;

// What a report reads besides the grids and the caption.
struct ReportContext {
  std::string meterModel;     // model of the identified meter
  std::string fileModel;      // model of the last data file opened
  std::string programFolder;  // where Img/ and Fonts/ are
  std::string completedText;  // "Completed" in the user's language
};

// Copies the grids as they are now (header, records, user information) and
// the window's caption.
ReportData takeReportSnapshot(const QWidget* window, const FlexGrid& header, const FlexGrid& records,
                              const FlexGrid& userInfo, ReportContext context);

class WindowReportUi : public ReportUi {
 public:
  // `data` gives the caption to put back at the end and the program folder
  // (the logo of the printed report is Img/Image.png there).
  WindowReportUi(QWidget* window, const ReportData& data);

  void showProgress(const std::string& caption) override;
  void restoreCaption() override;
  // Lets window events run, at most once every few milliseconds: a report
  // asks after every cell, and the window repaints all the same.
  void yieldEvents() override;
  std::unique_ptr<ReportCanvas> choosePrinter() override;
  bool openDocument(const std::string& path) override;
  void tell(const std::string& message) override;
  // The program's flag (ProgramState::reportRunning).
  bool& reportRunning() override;

  // How often events are let run, in milliseconds (0: at every request).
  void setYieldInterval(int ms) { yieldMs_ = ms; }

 private:
  QPointer<QWidget> window_;
  QString savedCaption_;
  QString logoFile_;
  QElapsedTimer sinceYield_;
  int yieldMs_ = 15;
};

}  // namespace vkz
