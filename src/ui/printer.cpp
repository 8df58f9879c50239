#include "ui/printer.h"

#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>

#include "base/trtext.h"
#include "ui/qtext.h"

namespace vkz {
namespace {
struct SeamState {
  bool test = false;
  std::deque<PrinterAnswer> answers;
  int dialogs = 0;
};
SeamState& st() {
  static SeamState s;
  return s;
}

QString printerName(const QPrinter& p) {
  if (p.outputFormat() == QPrinter::PdfFormat) return p.outputFileName();
  return p.printerName();
}

PrintResult cannotPrint(const QPrinter& p) {
  return {PrintStatus::Failed, q(trText("Print", "Cannot print to %1.")).arg(printerName(p))};
}
}  // namespace

std::unique_ptr<QPrinter> PrinterSeam::choosePrinter(QWidget* parent, const QString& title) {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  if (st().test) {
    ++st().dialogs;
    if (st().answers.empty()) return nullptr;
    PrinterAnswer a = st().answers.front();
    st().answers.pop_front();
    if (a.cancel) return nullptr;
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(a.pdfPath);
    printer->setPageOrientation(a.orientation);
    printer->setCopyCount(a.copies < 1 ? 1 : a.copies);
    return printer;
  }
  QPrintDialog dialog(printer.get(), parent);
  if (!title.isEmpty()) dialog.setWindowTitle(title);
  if (dialog.exec() != QDialog::Accepted) return nullptr;
  return printer;
}

void PrinterSeam::setTestMode(bool on) {
  st().test = on;
}
bool PrinterSeam::testMode() {
  return st().test;
}
std::deque<PrinterAnswer>& PrinterSeam::answers() {
  return st().answers;
}
int PrinterSeam::dialogsShown() {
  return st().dialogs;
}
void PrinterSeam::resetTestRecords() {
  st().answers.clear();
  st().dialogs = 0;
}

int copiesToDraw(const QPrinter& printer) {
  if (printer.supportsMultipleCopies()) return 1;
  return printer.copyCount() < 1 ? 1 : printer.copyCount();
}

PrintResult printWidgetImage(QPrinter& printer, QWidget* widget) {
  if (!widget) return {PrintStatus::Failed, q(trText("Print", "Nothing to print."))};
  const QPixmap image = widget->grab();
  if (image.isNull()) return {PrintStatus::Failed, q(trText("Print", "The window could not be captured."))};
  QPainter painter;
  if (!painter.begin(&printer)) return cannotPrint(printer);
  const QSizeF page(printer.width(), printer.height());
  QSizeF size = QSizeF(image.size()).scaled(page, Qt::KeepAspectRatio);
  const QRectF target(QPointF(0, 0), size);
  const int copies = copiesToDraw(printer);
  for (int i = 0; i < copies; ++i) {
    if (i > 0 && !printer.newPage()) {
      painter.end();
      return cannotPrint(printer);
    }
    painter.drawPixmap(target, image, QRectF(image.rect()));
  }
  if (!painter.end()) return cannotPrint(printer);
  return {};
}

}  // namespace vkz
