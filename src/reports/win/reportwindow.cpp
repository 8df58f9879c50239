#include "reports/win/reportwindow.h"

#include <QCoreApplication>
#include <QPrinter>

#include "reports/win/printercanvas.h"
#include "state/programstate.h"
#include "ui/flexgrid.h"
#include "ui/msgbox.h"
#include "ui/printer.h"

namespace vkz {

ReportData takeReportSnapshot(const QWidget* window, const FlexGrid& header, const FlexGrid& records,
                              const FlexGrid& userInfo, ReportContext context) {
  ReportData d;
  d.header = header.gridData();
  d.records = records.gridData();
  d.userInfo = userInfo.gridData();
  d.meterModel = std::move(context.meterModel);
  d.fileModel = std::move(context.fileModel);
  d.programFolder = std::move(context.programFolder);
  d.completedText = std::move(context.completedText);
  if (window) d.caption = window->windowTitle().toStdString();
  return d;
}

WindowReportUi::WindowReportUi(QWidget* window, const ReportData& data)
    : window_(window),
      savedCaption_(QString::fromStdString(data.caption)),
      logoFile_(QString::fromStdString(data.programFolder + "/Img/Image.png")) {
  sinceYield_.start();
}

void WindowReportUi::showProgress(const std::string& caption) {
  if (window_) window_->setWindowTitle(QString::fromStdString(caption));
}

void WindowReportUi::restoreCaption() {
  if (window_) window_->setWindowTitle(savedCaption_);
}

void WindowReportUi::yieldEvents() {
  if (yieldMs_ > 0 && sinceYield_.elapsed() < yieldMs_) return;
  QCoreApplication::processEvents();
  sinceYield_.restart();
}

std::unique_ptr<ReportCanvas> WindowReportUi::choosePrinter() {
  std::unique_ptr<QPrinter> printer = PrinterSeam::choosePrinter(window_);
  if (!printer) return nullptr;
  return std::make_unique<PrinterCanvas>(std::move(printer), logoFile_);
}

bool WindowReportUi::openDocument(const std::string& path) {
  return MsgBox::openDocument(QString::fromStdString(path));
}

void WindowReportUi::tell(const std::string& message) {
  MsgBox::show(QString::fromStdString(message), MsgIcon::Exclamation);
}

bool& WindowReportUi::reportRunning() {
  return State().reportRunning;
}

}  // namespace vkz
