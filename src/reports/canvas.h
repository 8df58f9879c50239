// The surface the printed report draws on: one print job on the chosen
// printer, in twips (1/1440 inch) on the printable area of the page, origin
// at its top-left corner, x to the right and y downwards. A text is placed
// by the top-left corner of its first character. The program's back end
// draws with QPainter on a QPrinter; tests record the calls.
#pragma once
#include <cstdint>
#include <string>

namespace vkz {

enum class PenStyle { Solid, Dashed };

// A pen: colour as 0xRRGGBB, line width in printer device pixels.
struct ReportPen {
  std::uint32_t rgb = 0;
  double width = 1;
  PenStyle style = PenStyle::Solid;
};

class ReportCanvas {
 public:
  virtual ~ReportCanvas() = default;

  // Font size in points (the face stays the printer's).
  virtual void setFontSize(int points) = 0;
  // Width and height of a text in the current font, in twips.
  virtual double textWidth(const std::string& text) = 0;
  virtual double textHeight(const std::string& text) = 0;
  // The printable area of a page, in twips.
  virtual double pageWidth() const = 0;
  virtual double pageHeight() const = 0;
  // How many times the whole report must be drawn for the copies asked
  // for: 1 when the printer makes the copies itself.
  virtual int copies() const { return 1; }

  virtual void text(double x, double y, const std::string& text) = 0;
  virtual void line(double x1, double y1, double x2, double y2, const ReportPen& pen) = 0;
  // The outline of the rectangle between two corners.
  virtual void rectangle(double x1, double y1, double x2, double y2, const ReportPen& pen) = 0;
  // The logo at its natural size, its top-left corner at (x, y).
  virtual void logo(double x, double y) = 0;
  // The logo's height in hundredths of a millimetre.
  virtual int logoHeightHimetric() const = 0;

  // Ends the page; the next drawing starts a new one. Ending the document
  // right after a page end adds no empty page.
  virtual void endPage() = 0;
  // Ends the document and sends the job; false when the printer failed.
  virtual bool endDocument() = 0;
  // False once the printer has failed; error() says why.
  virtual bool ok() const = 0;
  virtual std::string error() const = 0;
  // The file the report is printed to, "" for a printer. Such a file is
  // made only when the whole document could be written.
  virtual std::string outputFile() const { return {}; }
};

}  // namespace vkz
