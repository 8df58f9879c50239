#include "reports/win/printercanvas.h"

#include <QFile>
#include <QPdfWriter>
#include <QPen>
#include <QPrinter>
#include <algorithm>

#include "base/trtext.h"
#include "ui/printer.h"

namespace vkz {
namespace {
// A picture without its own resolution is taken at the screen's 96 dpi,
// 15 twips a pixel.
constexpr double kScreenTwipsPerPixel = 15;
}  // namespace

PrinterCanvas::PrinterCanvas(std::shared_ptr<QPrinter> printer, const QString& logoFile)
    : printer_(std::move(printer)), device_(printer_.get()) {
  dpi_ = printer_->resolution() > 0 ? printer_->resolution() : 1200;
  if (logo_.load(logoFile)) {
    const double dpmX = logo_.dotsPerMeterX(), dpmY = logo_.dotsPerMeterY();
    logoW_ = dpmX > 0 ? logo_.width() / dpmX * 39.37 * 1440 : logo_.width() * kScreenTwipsPerPixel;
    logoH_ = dpmY > 0 ? logo_.height() / dpmY * 39.37 * 1440 : logo_.height() * kScreenTwipsPerPixel;
  }
  if (printer_->outputFormat() == QPrinter::PdfFormat && !printer_->outputFileName().isEmpty()) {
    writeToFile();
    if (failed_) return;
  }
  if (!painter_.begin(device_)) {
    fail(QString::fromStdString(trText("Print", "cannot print to %1")).arg(printerName()));
    return;
  }
  font_ = painter_.font();
  metrics_ = std::make_unique<QFontMetricsF>(font_, device_);
}

void PrinterCanvas::writeToFile() {
  file_ = QFile::encodeName(printer_->outputFileName()).toStdString();
  if (!out_.open(file_) || !bytes_.open(QIODevice::WriteOnly)) {
    fail(QString::fromStdString(out_.reason()));
    return;
  }
  pdf_ = std::make_unique<QPdfWriter>(&bytes_);
  pdf_->setResolution(static_cast<int>(dpi_));
  pdf_->setPageLayout(printer_->pageLayout());
  pdf_->setPdfVersion(printer_->pdfVersion());
  pdf_->setTitle(printer_->docName());
  pdf_->setCreator(printer_->creator());
  device_ = pdf_.get();
}

qint64 PrinterCanvas::FileBytes::writeData(const char* data, qint64 size) {
  return file_.write(std::string_view(data, static_cast<size_t>(size))) ? size : -1;
}

PrinterCanvas::~PrinterCanvas() {
  if (painter_.isActive()) painter_.end();
  out_.abort();  // a file not made whole is dropped
}

QString PrinterCanvas::printerName() const {
  if (printer_->outputFormat() == QPrinter::PdfFormat) return printer_->outputFileName();
  return printer_->printerName();
}

void PrinterCanvas::fail(const QString& why) {
  if (failed_) return;
  failed_ = true;
  error_ = why;
}

void PrinterCanvas::setFontSize(int points) {
  font_.setPointSizeF(points);
  if (painter_.isActive()) painter_.setFont(font_);
  metrics_ = std::make_unique<QFontMetricsF>(font_, device_);
}

double PrinterCanvas::textWidth(const std::string& text) {
  return metrics_ ? twips(metrics_->horizontalAdvance(QString::fromStdString(text))) : 0;
}

double PrinterCanvas::textHeight(const std::string&) {
  return metrics_ ? twips(metrics_->height()) : 0;
}

double PrinterCanvas::pageWidth() const {
  return twips(device_->width());
}

double PrinterCanvas::pageHeight() const {
  return twips(device_->height());
}

int PrinterCanvas::copies() const {
  return copiesToDraw(*printer_);
}

bool PrinterCanvas::page() {
  if (!painter_.isActive()) return false;
  if (pageEnded_) {
    pageEnded_ = false;
    if (!device_->newPage()) {
      fail(QString::fromStdString(trText("Print", "%1 did not take a new page")).arg(printerName()));
      return false;
    }
  }
  return true;
}

void PrinterCanvas::usePen(const ReportPen& pen) {
  if (penSet_ && pen.rgb == pen_.rgb && pen.width == pen_.width && pen.style == pen_.style) return;
  QPen p(QColor::fromRgb(static_cast<QRgb>(pen.rgb)));
  p.setWidthF(pen.width);
  if (pen.style == PenStyle::Dashed) {
    // Dashes of about 1.5 mm with gaps of 1 mm on any printer; a pattern
    // counts in pen widths.
    const double w = std::max(pen.width, 1.0);
    p.setDashPattern({dpi_ * 0.06 / w, dpi_ * 0.04 / w});
  }
  p.setCapStyle(Qt::FlatCap);
  painter_.setPen(p);
  pen_ = pen;
  penSet_ = true;
}

void PrinterCanvas::text(double x, double y, const std::string& text) {
  if (!page() || text.empty()) return;
  usePen(ReportPen{});  // text is black, whatever colour the last line had
  painter_.drawText(QPointF(dev(x), dev(y) + metrics_->ascent()), QString::fromStdString(text));
}

void PrinterCanvas::line(double x1, double y1, double x2, double y2, const ReportPen& pen) {
  if (!page()) return;
  usePen(pen);
  painter_.drawLine(QLineF(dev(x1), dev(y1), dev(x2), dev(y2)));
}

void PrinterCanvas::rectangle(double x1, double y1, double x2, double y2, const ReportPen& pen) {
  if (!page()) return;
  usePen(pen);
  painter_.setBrush(Qt::NoBrush);
  painter_.drawRect(QRectF(QPointF(dev(x1), dev(y1)), QPointF(dev(x2), dev(y2))));
}

void PrinterCanvas::logo(double x, double y) {
  if (!page() || logo_.isNull()) return;
  painter_.drawImage(QRectF(dev(x), dev(y), dev(logoW_), dev(logoH_)), logo_);
}

int PrinterCanvas::logoHeightHimetric() const {
  // Without a picture the head keeps the room of the usual one: 61 pixels.
  const double h = logo_.isNull() ? 61 * kScreenTwipsPerPixel : logoH_;
  return static_cast<int>(h / 1440 * 2540 + 0.5);
}

void PrinterCanvas::endPage() {
  pageEnded_ = true;
}

bool PrinterCanvas::endDocument() {
  if (!painter_.isActive()) return false;
  const bool ended = painter_.end();
  if (!ended)
    fail(QString::fromStdString(trText("Print", "%1 did not take the document")).arg(printerName()));
  if (pdf_ && ok() && !out_.commit(false)) fail(QString::fromStdString(out_.reason()));
  return ended && ok();
}

bool PrinterCanvas::ok() const {
  if (pdf_) return !failed_ && out_.reason().empty();
  return !failed_ && printer_->printerState() != QPrinter::Error &&
         printer_->printerState() != QPrinter::Aborted;
}

std::string PrinterCanvas::error() const {
  if (failed_) return error_.toStdString();
  // A failed write of the file: the system's own words for it.
  if (pdf_ && !out_.reason().empty()) return out_.reason();
  if (!ok())
    return QString::fromStdString(trText("Print", "%1 reported an error")).arg(printerName()).toStdString();
  return {};
}

}  // namespace vkz
