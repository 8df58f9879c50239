// The printed report's canvas on a real printer (or a PDF file): QPainter
// on the QPrinter chosen in the printer dialog. Twips are turned into the
// printer's device pixels; text uses the printer's default font face at the
// size the report sets; the logo is drawn at its natural size.
//
// A printer that prints to a file is drawn on as the PDF it would write,
// with the printer's page, resolution and title, but the bytes go to a
// hidden file beside the chosen one, which takes its place only when the
// document is whole: a full disk leaves no file and an earlier one as it
// was, and the failed write's own cause is what error() says.
#pragma once
#include <QFont>
#include <QFontMetricsF>
#include <QIODevice>
#include <QImage>
#include <QPainter>
#include <QString>
#include <memory>

#include "base/atomicfile.h"
#include "reports/canvas.h"

class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;

namespace vkz {

class PrinterCanvas : public ReportCanvas {
 public:
  // Starts the print job on `printer`; ok() is false when it cannot start.
  // `logoFile` is the picture placed at the head of every section. Made,
  // drawn on and dropped on the report's thread.
  PrinterCanvas(std::shared_ptr<QPrinter> printer, const QString& logoFile);
  ~PrinterCanvas() override;

  void setFontSize(int points) override;
  double textWidth(const std::string& text) override;
  double textHeight(const std::string& text) override;
  double pageWidth() const override;
  double pageHeight() const override;
  int copies() const override;

  void text(double x, double y, const std::string& text) override;
  void line(double x1, double y1, double x2, double y2, const ReportPen& pen) override;
  void rectangle(double x1, double y1, double x2, double y2, const ReportPen& pen) override;
  void logo(double x, double y) override;
  int logoHeightHimetric() const override;

  void endPage() override;
  bool endDocument() override;
  bool ok() const override;
  std::string error() const override;
  std::string outputFile() const override { return file_; }

 private:
  // The bytes of a report to a file on their way into the hidden file.
  class FileBytes : public QIODevice {
   public:
    explicit FileBytes(AtomicFileWriter& file) : file_(file) {}
    bool isSequential() const override { return true; }

   protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

   private:
    AtomicFileWriter& file_;
  };

  // Sets up the PDF of a printer that prints to a file.
  void writeToFile();
  double dev(double twips) const { return twips * dpi_ / 1440.0; }
  double twips(double device) const { return device * 1440.0 / dpi_; }
  // Starts the next page when the last one was ended.
  bool page();
  void usePen(const ReportPen& pen);
  void fail(const QString& why);
  QString printerName() const;

  std::shared_ptr<QPrinter> printer_;
  std::string file_;  // the file printed to ("" for a printer)
  AtomicFileWriter out_;
  FileBytes bytes_{out_};
  std::unique_ptr<QPdfWriter> pdf_;
  QPagedPaintDevice* device_ = nullptr;  // the printer, or the PDF of a file
  QPainter painter_;
  QFont font_;
  std::unique_ptr<QFontMetricsF> metrics_;
  QImage logo_;
  double logoW_ = 0, logoH_ = 0;  // natural size, twips
  double dpi_ = 1200;
  bool pageEnded_ = false;
  bool failed_ = false;
  QString error_;
  ReportPen pen_;
  bool penSet_ = false;
};

}  // namespace vkz
