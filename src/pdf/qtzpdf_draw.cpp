// Drawing state and shapes: dash patterns, line width, draw mode, the three
// colours, lines, rectangles, ellipses and polygons. Every shape writes the
// graphics state it needs (colour, dash, width) before its path, then the
// path and its painting operator.
#include <array>
#include <cmath>
#include <cstring>

#include "pdf/pdfnum.h"
#include "pdf/qtzpdf.h"

namespace vkz {
namespace {

// Each colour component c as the text of c / 255 with three decimals
// ("0.000" to "1.000", five characters), made once with the number format
// of the page content.
using ComponentText = std::array<char, 5>;
const std::array<ComponentText, 256>& componentTexts() {
  static const auto table = [] {
    std::array<ComponentText, 256> t{};
    std::string s;
    for (size_t c = 0; c < t.size(); ++c) {
      s.clear();
      appendPdfNumber(s, static_cast<double>(c) / 255.0, 3);
      std::memcpy(t[c].data(), s.data(), t[c].size());
    }
    return t;
  }();
  return table;
}

}  // namespace

std::string qtzPDF::dashPatternFor(std::int32_t style, bool& ok) const {
  // mult * k_ > 0: its whole part is its floor.
  auto len = [this](int mult) { return std::to_string(static_cast<long long>(mult * k_)); };
  ok = true;
  switch (style) {
    case 0:
      return "[] 0 d";
    case 1:
      return "[" + len(16) + " " + len(8) + " ] 0 d";
    case 2:
      return "[" + len(8) + " " + len(7) + " " + len(2) + " " + len(7) + " ] 0 d";
    case 3:
      return "[" + len(8) + " " + len(4) + " " + len(2) + " " + len(4) + " " + len(2) + " " + len(4) +
             " ] 0 d";
    default:
      ok = false;
      return "[] 0 d";
  }
}

void qtzPDF::PDFSetLineStyle(std::int32_t style) {
  bool ok;
  dash_ = dashPatternFor(style, ok);
  if (!ok) {
    message("Line Style - ",
            "Line style set incorrectly : " + std::to_string(style) + ".\r\nLine style set to solid.");
  }
}

void qtzPDF::PDFSetLineWidth(double w) {
  // The width is written in points with the unit of the moment; a shape
  // whose width grows too wide by a later change of unit is refused.
  if (!(w >= 0) || !writable(w * k_)) {
    message("Line Width - ",
            "Line width set incorrectly : " + shownNumber(w) + ".\r\nLine width set to 0.567.");
    w = 0.567;
  }
  lineWidth_ = w;
}

void qtzPDF::PDFSetDrawMode(std::int32_t mode) {
  switch (mode) {
    case 0:
      drawMode_.clear();
      break;
    case 1:
      drawMode_ = "D";
      break;
    case 2:
      drawMode_ = "DB";
      break;
    default:
      message("Object Rectangle - ",
              "Draw Mode set incorrectly : " + std::to_string(mode) + ".\r\nDraw mode set to normal");
      drawMode_.clear();
  }
}

// ---------------------------------------------------------------- colours

bool qtzPDF::setColor(ColorKind kind, int r, int g, int b, std::string& target) {
  if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) {
    return fail("colour component outside 0..255: " + std::to_string(r) + ", " + std::to_string(g) + ", " +
                std::to_string(b));
  }
  // Written into the target's own storage, which a colour change reuses.
  const auto& text = componentTexts();
  target.clear();
  for (int c : {r, g, b}) {
    const ComponentText& t = text[static_cast<size_t>(c)];
    target.append(t.data(), t.size());
    target += ' ';
  }
  target += kind == ColorKind::Line ? "RG" : "rg";
  return true;
}

bool qtzPDF::setColorNumber(ColorKind kind, long long v, std::string& target, const char*, const char*,
                            const char*) {
  // Red in the low byte: 255 red, 65280 green, 16711680 blue.
  if (v < 0 || v > 16777215) return fail("colour number outside 0..16777215: " + std::to_string(v));
  return setColor(kind, static_cast<int>(v % 256), static_cast<int>((v / 256) % 256),
                  static_cast<int>(v / 65536), target);
}

bool qtzPDF::setColorText(ColorKind kind, const std::string& v, std::string& target, const char* topic,
                          const char* text, const char* used) {
  if (v.empty() || v[0] != '#') {
    message(topic, text + v + ".\r\n" + used);
    return setColor(kind, 0, 0, 0, target);
  }
  // "#RRGGBB": only the last six characters count.
  std::string six = ("000000" + v).substr(v.size());
  int c[3];
  for (int i = 0; i < 3; ++i) {
    int val = 0;
    for (int j = 0; j < 2; ++j) {
      char ch = six[static_cast<size_t>(2 * i + j)];
      int d = (ch >= '0' && ch <= '9')   ? ch - '0'
              : (ch >= 'a' && ch <= 'f') ? ch - 'a' + 10
              : (ch >= 'A' && ch <= 'F') ? ch - 'A' + 10
                                         : -1;
      if (d < 0) return fail("not a colour: " + v);
      val = val * 16 + d;
    }
    c[i] = val;
  }
  return setColor(kind, c[0], c[1], c[2], target);
}

#define VKZ_COLOUR_SETTERS(Name, kind, member, topic, text, used) \
  bool qtzPDF::Name(long long v) {                                \
    return setColorNumber(kind, v, member, topic, text, used);    \
  }                                                               \
  bool qtzPDF::Name(const std::string& v) {                       \
    return setColorText(kind, v, member, topic, text, used);      \
  }                                                               \
  bool qtzPDF::Name(PdfRgb v) {                                   \
    return setColor(kind, v.r, v.g, v.b, member);                 \
  }

VKZ_COLOUR_SETTERS(PDFSetTextColor, ColorKind::Text, textColor_, "Text Color ", "Invalid HTMl color set",
                   "Set color to  black.")
VKZ_COLOUR_SETTERS(PDFSetLineColor, ColorKind::Line, lineColor_, "Line Color - ", "Invalid line color set ",
                   "Setting line color to black.")
VKZ_COLOUR_SETTERS(PDFSetDrawColor, ColorKind::Border, drawColor_, "Draw Color - ", "Invalid Draw Color set ",
                   "Using black.")
#undef VKZ_COLOUR_SETTERS

// ---------------------------------------------------------------- shapes

void qtzPDF::drawModeColors() {
  if (drawMode_.empty()) {
    line(lineColor_);
  } else {
    line(drawColor_);
    if (drawMode_ == "DB") line(lineColor_);
  }
}

void qtzPDF::lineToDrawColor() {
  // The fill colour follows the line colour after a ruled line.
  drawColor_ = lineColor_;
  if (drawColor_.size() >= 2 && drawColor_.compare(drawColor_.size() - 2, 2, "RG") == 0) {
    drawColor_.replace(drawColor_.size() - 2, 2, "rg");
  } else if (!drawColor_.empty()) {
    drawColor_.back() = 'g';
  }
}

void qtzPDF::widthLine() {
  // Every figure writes the width; its text is made again only when the
  // width in points changes.
  const double w = lineWidth_ * k_;
  if (!writable(w)) badNumber_ = true;
  if (!(w == widthOpPt_)) {
    widthOpText_.clear();
    appendPdfNumber(widthOpText_, w, 2);
    widthOpText_ += " w";
    widthOpPt_ = w;
  }
  line(widthOpText_);
}

// One stroked segment between two points in user units, in its figure's
// comment pair: dash, line colour and width come before the path.
void qtzPDF::strokeSegment(const char* tag, double x1, double y1, double x2, double y2) {
  const double H = pageH();
  out("%DEBUT_");
  out(tag);
  line("/%");
  line(dash_);
  line(lineColor_);
  widthLine();
  point(x1 * k_, H - y1 * k_, "m");
  point(x2 * k_, H - y2 * k_, "l");
  line("S");
  out("%FIN_");
  out(tag);
  line("/%");
}

bool qtzPDF::PDFDrawLineHor(double X, double Y, double w) {
  if (!needPage("PDFDrawLineHor")) return false;
  if (!finite({X, Y, w})) return fail("PDFDrawLineHor: a position or length is not a number");
  Drawing d(*this);
  lineToDrawColor();
  strokeSegment("LNH", X, Y, X + w, Y);
  x_ = X + w;
  y_ = Y;
  return d.done("PDFDrawLineHor");
}

bool qtzPDF::PDFDrawLineVer(double X, double Y, double h) {
  if (!needPage("PDFDrawLineVer")) return false;
  if (!finite({X, Y, h})) return fail("PDFDrawLineVer: a position or length is not a number");
  Drawing d(*this);
  lineToDrawColor();
  strokeSegment("LNV", X, Y, X, Y + h);
  x_ = X;
  y_ = Y + h;
  return d.done("PDFDrawLineVer");
}

bool qtzPDF::PDFDrawLine(double x1, double y1, double x2, double y2) {
  if (!needPage("PDFDrawLine")) return false;
  if (!finite({x1, y1, x2, y2})) return fail("PDFDrawLine: a position is not a number");
  Drawing d(*this);
  strokeSegment("LN", x1, y1, x2, y2);
  x_ = std::max(x1, x2);
  y_ = std::max(y1, y2);
  return d.done("PDFDrawLine");
}

bool qtzPDF::PDFDrawRectangle(double X, double Y, double w, double h, const std::string& URLLink) {
  if (!needPage("PDFDrawRectangle")) return false;
  if (!finite({X, Y, w, h})) return fail("PDFDrawRectangle: a position or size is not a number");
  Drawing d(*this);
  const double H = pageH();
  line("%DEBUT_RECT/%");
  drawModeColors();
  line(dash_);
  widthLine();
  num(X * k_);
  buf_ += ' ';
  num(H - Y * k_);
  buf_ += ' ';
  num(k_ * w);
  buf_ += ' ';
  num(-k_ * h);
  line(drawMode_.empty() ? " re s" : drawMode_ == "D" ? " re f" : " re B");
  textColor_ = "1.000 1.000 1.000 rg";  // a rectangle leaves the text colour white
  linkLabel_ = "LINK";
  linkKind_ = "RECTANGLE";
  linkWidth_ = w * k_;
  attachUrlLink(URLLink, "RECTANGLE", X + 5 / k_, Y + h / 2);
  line("%FIN_RECT/%");
  linkKind_.clear();
  x_ = X;
  y_ = Y + h;
  return d.done("PDFDrawRectangle");
}

void qtzPDF::bezier(double x1, double y1, double x2, double y2, double x3, double y3) {
  num(x1);
  buf_ += ' ';
  num(y1);
  buf_ += ' ';
  num(x2);
  buf_ += ' ';
  num(y2);
  buf_ += ' ';
  num(x3);
  buf_ += ' ';
  num(y3);
  line(" c");
}

bool qtzPDF::PDFDrawEllipse(double X, double Y, double Rx, double ry, const std::string& URLLink) {
  if (!needPage("PDFDrawEllipse")) return false;
  if (!finite({X, Y, Rx, ry})) return fail("PDFDrawEllipse: a position or size is not a number");
  Drawing d(*this);
  if (ry == 0) ry = Rx;
  const double a = Rx / 2, b = ry / 2, cx = X + a, cy = Y + b, kap = 0.55;
  const double H = pageH();
  auto px = [this](double x) { return x * k_; };
  auto py = [this, H](double y) { return H - y * k_; };
  drawModeColors();
  line(dash_);
  widthLine();
  point(px(X), py(cy), "m");
  bezier(px(X), py(cy - kap * b), px(cx - kap * a), py(Y), px(cx), py(Y));
  bezier(px(cx + kap * a), py(Y), px(X + Rx), py(cy - kap * b), px(X + Rx), py(cy));
  bezier(px(X + Rx), py(cy + kap * b), px(cx + kap * a), py(Y + ry), px(cx), py(Y + ry));
  bezier(px(cx - kap * a), py(Y + ry), px(X), py(cy + kap * b), px(X), py(cy));
  line(drawMode_.empty() ? "s" : drawMode_ == "D" ? "h f" : "B");
  textColor_ = "1.000 1.000 1.000 rg";
  linkLabel_ = "LINK";
  linkKind_ = "ELLIPSE";
  attachUrlLink(URLLink, "ELLIPSE", X - a, cy - kap * b);
  linkKind_.clear();
  x_ = X;
  y_ = cy;
  return d.done("PDFDrawEllipse");
}

bool qtzPDF::PDFDrawPolygon(const std::vector<double>& v) {
  if (!needPage("PDFDrawPolygon")) return false;
  // Checked before anything is written: the points come in pairs.
  if (v.size() < 2 || v.size() % 2 != 0) {
    return fail("PDFDrawPolygon: the points must come in x, y pairs (" + std::to_string(v.size()) +
                " values given)");
  }
  for (double c : v)
    if (!std::isfinite(c)) return fail("PDFDrawPolygon: a point is not a number");
  Drawing d(*this);
  const double H = pageH();
  drawModeColors();
  line("%DEBUT_POLY/%");
  line(dash_);
  widthLine();
  point(v[0] * k_, H - v[1] * k_, "m");
  for (size_t i = 2; i + 1 < v.size(); i += 2) point(v[i] * k_, H - v[i + 1] * k_, "l");
  point(v[0] * k_, H - v[1] * k_, "l");
  line(drawMode_.empty() ? "s" : drawMode_ == "D" ? "h f" : "B");
  line("%FIN_POLY/%");
  return d.done("PDFDrawPolygon");
}

}  // namespace vkz
