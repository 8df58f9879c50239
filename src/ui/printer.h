// Choosing a printer (the printer dialog with copies and orientation)
// behind a seam like MsgBox's: the program shows QPrintDialog; tests queue
// answers and get a QPrinter that writes a PDF file, never a dialog.
#pragma once
#include <QPageLayout>
#include <QString>
#include <deque>
#include <memory>

class QPrinter;
class QWidget;

namespace vkz {

enum class PrintStatus { Ok, Cancelled, Failed };

// What a print gave; `message` says why it failed, for the caller to show.
struct PrintResult {
  PrintStatus status = PrintStatus::Ok;
  QString message;
  bool ok() const { return status == PrintStatus::Ok; }
};

// One answer to the printer dialog in test mode.
struct PrinterAnswer {
  bool cancel = false;
  QString pdfPath;  // the file the chosen "printer" writes
  int copies = 1;
  QPageLayout::Orientation orientation = QPageLayout::Portrait;
};

class PrinterSeam {
 public:
  // Shows the printer dialog. Returns the chosen printer with the copies
  // and orientation chosen there, or nullptr when the user cancelled.
  // In test mode: takes the next queued answer (none queued: cancelled).
  static std::unique_ptr<QPrinter> choosePrinter(QWidget* parent, const QString& title = QString());

  static void setTestMode(bool on);
  static bool testMode();
  static std::deque<PrinterAnswer>& answers();
  static int dialogsShown();  // printer dialogs asked for in test mode
  static void resetTestRecords();
};

// How many times the pages must be drawn: 1 when the printer makes the
// copies itself, else the chosen number of copies (a PDF file, a printer
// without copy support).
int copiesToDraw(const QPrinter& printer);

// Prints an image of `widget` as it is on screen, scaled to fit the
// printable area with its proportions kept, once per copy to draw.
PrintResult printWidgetImage(QPrinter& printer, QWidget* widget);

}  // namespace vkz
