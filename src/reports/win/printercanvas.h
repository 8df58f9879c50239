// The printed report's canvas on a real printer (or a PDF file): QPainter
// on the QPrinter chosen in the printer dialog. Twips are turned into the
// printer's device pixels; text uses the printer's default font face at the
// size the report sets; the logo is drawn at its natural size.
#pragma once
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QString>
#include <memory>

#include "reports/canvas.h"

class QPrinter;

namespace vkz {

class PrinterCanvas : public ReportCanvas {
 public:
  // Starts the print job on `printer`; ok() is false when it cannot start.
  // `logoFile` is the picture placed at the head of every section.
  PrinterCanvas(std::unique_ptr<QPrinter> printer, const QString& logoFile);
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

  QPrinter& printer() { return *printer_; }

 private:
  double dev(double twips) const { return twips * dpi_ / 1440.0; }
  double twips(double device) const { return device * 1440.0 / dpi_; }
  // Starts the next page when the last one was ended.
  bool page();
  void usePen(const ReportPen& pen);
  void fail(const QString& why);
  QString printerName() const;

  std::unique_ptr<QPrinter> printer_;
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
