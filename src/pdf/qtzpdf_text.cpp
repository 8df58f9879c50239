// Fonts, text runs, cells with line breaking, links, bookmarks and the
// watermark. Texts arrive as UTF-8 and are handled here as code page 1252
// bytes, the bytes the file carries and the fonts' WinAnsiEncoding reads.
// Widths and offsets are worked out in points; user units are converted
// once, where a position enters or leaves.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <system_error>

#include "base/cp1252.h"
#include "base/trtext.h"
#include "pdf/pdfnum.h"
#include "pdf/qtzpdf.h"

namespace vkz {
namespace {

bool endsWithAfm(const std::string& name) {
  if (name.size() <= 4) return false;
  std::string ext = name.substr(name.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".afm";
}

int countBlanks(std::string_view s) {
  return static_cast<int>(std::count(s.begin(), s.end(), ' '));
}

}  // namespace

// ---------------------------------------------------------------- fonts

bool qtzPDF::loadAfm(const std::string& path, bool quiet) {
  // Listed with the system's own calls, which bring in less code than the
  // C++ directory iterator for a listing made once per writer.
  std::vector<std::pair<std::string, std::string>> found;  // name, file
  DIR* dir = ::opendir(path.c_str());
  if (!dir) {
    const std::string why = std::generic_category().message(errno);
    if (!quiet)
      message(
          trText("PdfWriter", "Font folder - "),
          fillText(trText("PdfWriter", "Cannot read the font folder : %1."), {path}) + "\r\n" + why + ".");
    return fail("PDFLoadAfm: " +
                fillText(trText("PdfWriter", "cannot read the font folder %1: %2"), {path, why}));
  }
  const std::string prefix = path.empty() || path.back() == '/' ? path : path + '/';
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name == "." || name == ".." || !endsWithAfm(name)) continue;
    std::string file = prefix + name;
    // A link counts as the file it leads to.
    bool regular = e->d_type == DT_REG;
    if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
      struct stat st {};
      regular = ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }
    if (regular) found.emplace_back(name.substr(0, name.size() - 4), std::move(file));
  }
  ::closedir(dir);
  if (found.empty()) return true;  // nothing found: the old list stays
  std::sort(found.begin(), found.end());
  fontList_.clear();
  fontFiles_.clear();
  for (auto& [name, file] : found) {
    fontList_.push_back(name);
    fontFiles_.push_back(file);
  }
  fontsPath_ = path;
  metricsCache_.clear();
  return true;
}

const AfmMetrics* qtzPDF::metricsFor(const std::string& name) {
  for (const auto& [n, m] : metricsCache_)
    if (n == name) return m.get();
  std::string file;
  auto pos = std::find(fontList_.begin(), fontList_.end(), name);
  if (pos != fontList_.end()) {
    file = fontFiles_[static_cast<size_t>(pos - fontList_.begin())];
  } else {
    file = fontsPath_ + "/" + name + ".afm";
  }
  std::string why;
  auto m = loadAfmCached(file, why);
  metricsCache_.emplace_back(name, m);  // also remembers a missing file
  return m.get();
}

const std::string& qtzPDF::effectiveFont() const {
  static const std::string helvetica = "Helvetica";
  if (!baseFont_.empty()) return baseFont_;
  return fontList_.empty() ? helvetica : fontList_.front();
}

int qtzPDF::fontResource(const std::string& name) {
  // The document declares every font a text uses, even one without a
  // metric file: the standard fonts need none to be shown.
  auto it = std::find(docFonts_.begin(), docFonts_.end(), name);
  if (it == docFonts_.end()) {
    docFonts_.push_back(name);
    it = docFonts_.end() - 1;
  }
  if (!metricsFor(name) && std::find(warnedFonts_.begin(), warnedFonts_.end(), name) == warnedFonts_.end()) {
    warnedFonts_.push_back(name);
    message(trText("PdfWriter", "Font metrics - "),
            fillText(trText("PdfWriter", "Font metrics not found : %1 in %2."), {name, fontsPath_}) + "\r\n" +
                trText("PdfWriter", "Text widths are taken as 0."));
  }
  return static_cast<int>(it - docFonts_.begin()) + 1;
}

double qtzPDF::widthPt(std::string_view cp, const std::string& font, double size) {
  const AfmMetrics* m = metricsFor(font);
  if (!m) return 0;
  long long sum = 0;
  for (char c : cp) sum += m->width[static_cast<unsigned char>(c)];
  return size * static_cast<double>(sum) / 1000.0;
}

double qtzPDF::PDFGetStringWidth(const std::string& txt, const std::string& fname, int size) {
  const std::string font = fname.empty() ? effectiveFont() : fname;
  if (!metricsFor(font)) {
    fail("PDFGetStringWidth: " +
         fillText(trText("PdfWriter", "no font metrics for %1 in %2"), {font, fontsPath_}));
    return 0;
  }
  return widthPt(utf8ToCp1252(txt), font, size);
}

void qtzPDF::PDFSetFont(std::int32_t fontFamily, std::int16_t fontSize, std::int32_t styleDigits) {
  static const char* const families[] = {"Helvetica", "Courier", "Times", "Symbol", "ZapfDingbats"};
  if (fontSize < 0) {
    message("Font size - ",
            "Font size set incorrectly : " + std::to_string(fontSize) + ".\r\nFont size set to 10.");
    fontSize = 10;
  }
  if (fontFamily < 0 || fontFamily > 4) {
    message("Font name - ", "Font name set incorrectly : " + std::to_string(fontFamily) +
                                ".\r\nFont set to Times New Roman.");
    baseFont_ = "Times-Roman";
    italic_ = bold_ = false;
    fontSize_ = fontSize;
    return;
  }
  const std::string digits = std::to_string(styleDigits);
  italic_ = digits.find('1') != std::string::npos;
  bold_ = digits.find('2') != std::string::npos;
  if (digits.find('3') != std::string::npos) underline_ = true;
  const std::string family = families[fontFamily];
  if (fontFamily >= 3) {
    baseFont_ = family;  // the symbol fonts come in one style only
  } else if (family == "Times") {
    baseFont_ = bold_ && italic_ ? "Times-BoldItalic"
                : bold_          ? "Times-Bold"
                : italic_        ? "Times-Italic"
                                 : "Times-Roman";
  } else {
    baseFont_ = family + (bold_ && italic_ ? "-BoldOblique" : bold_ ? "-Bold" : italic_ ? "-Oblique" : "");
  }
  fontSize_ = fontSize;
}

// ---------------------------------------------------------------- text

std::string qtzPDF::underlineRect(bool cellMode, std::string_view cp, double x, double y) {
  const std::string font = effectiveFont();
  const double up = static_cast<double>(roundEven(widthPt("up", font, fontSize_)));
  const int b = countBlanks(cp);
  const double s = widthPt(" ", font, fontSize_);
  const double t = widthPt(cp, font, fontSize_);
  double W = b * s + t + b * wordSpacing_;
  if (wordSpacing_ != 0) W -= (b + 1) * cMargin_;
  const double height = -0.002 * W;
  const double H = pageH();
  double xr, yr, wr;
  if (!cellMode) {
    xr = static_cast<double>(roundEven(lMargin_ * k_ + x));
    yr = H - (y - up * fontSize_ / 1000.0) - 2;
    wr = W;
  } else {
    xr = x;
    yr = y - 3;
    wr = W - cMargin_;
  }
  std::string r;
  numTo(r, xr, 2);
  r += ' ';
  numTo(r, yr, 2);
  r += ' ';
  numTo(r, wr, 2);
  r += ' ';
  numTo(r, height, 2);
  r += " re f";
  return r;
}

bool qtzPDF::PDFTextOut(const std::string& text, double X, double Y) {
  if (!needPage("PDFTextOut")) return false;
  if (!finite({X, Y})) return fail("PDFTextOut: a position is not a number");
  Drawing d(*this);
  // ASCII text is the same in code page 1252: it is written as it came.
  if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    textOut(text, X, Y);
  else
    textOut(utf8ToCp1252(text), X, Y);
  return d.done("PDFTextOut");
}

void qtzPDF::PDFSetRotation(double angle) {
  if (!std::isfinite(angle)) {
    message("Rotation - ", "Rotation set incorrectly : " + shownNumber(angle) + ".\r\nRotation set to 0.");
    angle = 0;
  }
  rotation_ = -angle;
}

bool qtzPDF::textOut(std::string_view cp, double X, double Y) {
  if (X == 0) X = x_;
  if (Y == 0) Y = y_;
  const std::string& font = effectiveFont();
  const int n = fontResource(font);
  if (fontSize_ == 0) fontSize_ = 10;
  const double H = pageH();
  if (!textColor_.empty()) {
    out("q ");
    out(textColor_);
    line(" ");
  }
  std::string ul;
  if (underline_) ul = underlineRect(false, cp, X * k_, Y * k_);
  line("%DEBUT_TEXT/%");
  line("BT");
  if (rotation_ != 0) {
    const double th = rotation_ * 3.1416 / 180;
    num(std::cos(th), 5);
    buf_ += ' ';
    num(-std::sin(th), 5);
    buf_ += ' ';
    num(std::sin(th), 5);
    buf_ += ' ';
    num(std::cos(th), 5);
    buf_ += ' ';
    num(X * k_);
    buf_ += ' ';
    num(H - Y * k_);
    line(" Tm");
    rotation_ = 0;
  } else {
    point((lMargin_ + X) * k_, H - Y * k_, "Td");
  }
  out("/F");
  out(std::to_string(n));
  buf_ += ' ';
  num(fontSize_);
  line(" Tf");
  buf_ += '(';
  appendPdfStringBody(buf_, cp);
  line(") Tj");
  line("ET");
  if (underline_) line(ul);
  if (!textColor_.empty()) line("Q");
  line("%FIN_TEXT/%");
  underline_ = false;
  // The position after the text: its end on the line, one font size lower.
  x_ = X + widthPt(cp, font, fontSize_) / k_;
  y_ = Y + fontSize_ / k_;
  return true;
}

// ---------------------------------------------------------------- cells

void qtzPDF::PDFSetAlignement(std::int32_t a) {
  switch (a) {
    case 0:
      alignment_ = "C";
      break;
    case 1:
      alignment_ = "L";
      break;
    case 2:
      alignment_ = "R";
      break;
    case 3:
      alignment_ = "FJ";
      break;
    default:
      message("Alignment - ", "Invalid alignment set. : " + std::to_string(a) + ".\r\nUsing left alignment.");
      alignment_ = "L";
  }
}

std::string qtzPDF::PDFGetAlignement() const {
  if (alignment_ == "C") return "Center";
  if (alignment_ == "R") return "Right";
  return "Left";
}

void qtzPDF::PDFSetBorder(std::int32_t b) {
  switch (b) {
    case 0:
      border_ = "0";
      return;
    case 1:
      border_ = "1";
      return;
    case 2:
      border_ = "T";
      return;
    case 3:
      border_ = "B";
      return;
    case 4:
      border_ = "L";
      return;
    case 5:
      border_ = "R";
      return;
    default:
      break;
  }
  const std::string d = std::to_string(b);
  border_.clear();
  if (d.find('4') != std::string::npos) border_ += 'L';
  if (d.find('5') != std::string::npos) border_ += 'R';
  if (d.find('2') != std::string::npos) border_ += 'T';
  if (d.find('3') != std::string::npos) border_ += 'B';
}

bool qtzPDF::PDFCell(const std::string& text, double X, double Y, double w, double h,
                     const std::string& URLLink) {
  if (!needPage("PDFCell")) return false;
  if (!finite({X, Y, w, h})) return fail("PDFCell: a position or size is not a number");
  Drawing d(*this);
  if (fontSize_ == 0) fontSize_ = 10;
  const std::string cp = utf8ToCp1252(text);
  const std::string font = effectiveFont();
  const AfmMetrics* m = metricsFor(font);
  const double margin = cMargin_;
  // Room for text on a line, in points: the cell's width less a margin on
  // each side.
  const double limit = k_ * w - 2 * margin;

  auto hasLetter = [this](char c) {
    return border_.find(c) != std::string::npos ||
           border_.find(static_cast<char>(std::tolower(static_cast<unsigned char>(c)))) != std::string::npos;
  };
  std::string firstBorder, laterBorder;
  if (border_ == "1" || border_ == "LRTB") {
    firstBorder = "LRT";
    laterBorder = "LR";
  } else {
    std::string b2;
    if (hasLetter('L')) b2 += 'L';
    if (hasLetter('R')) b2 += 'R';
    firstBorder = b2 + (hasLetter('T') ? "T" : "");
    laterBorder = b2;
  }
  const bool bottom = border_ == "1" || hasLetter('B');

  // Break the text into lines: at the last blank before the line is full,
  // inside a word that is longer than the line, and at every line end
  // (CR LF, CR or LF); a line end at the very end adds no empty line.
  struct Piece {
    size_t start, len;
  };
  std::vector<Piece> lines;
  const size_t n = cp.size();
  size_t i = 0, j = 0;
  long long l = 0;
  size_t lastBlank = std::string::npos;
  bool endedByBreak = false;
  while (i < n) {
    const char c = cp[i];
    if (c == '\r' || c == '\n') {
      lines.push_back({j, i - j});
      i += (c == '\r' && i + 1 < n && cp[i + 1] == '\n') ? 2 : 1;
      j = i;
      l = 0;
      lastBlank = std::string::npos;
      endedByBreak = true;
      continue;
    }
    endedByBreak = false;
    if (c == ' ') lastBlank = i;
    l = roundEven(static_cast<double>(l) +
                  widthOfByte(m, static_cast<unsigned char>(c)) * fontSize_ / 1000.0);
    if (static_cast<double>(l) <= limit) {
      ++i;
      continue;
    }
    if (lastBlank == std::string::npos) {
      if (i == j) ++i;  // a line holds at least one character
      lines.push_back({j, i - j});
    } else {
      lines.push_back({j, lastBlank - j});
      i = lastBlank + 1;
    }
    j = i;
    l = 0;
    lastBlank = std::string::npos;
  }
  if (!(endedByBreak && !lines.empty() && j == n)) lines.push_back({j, n - j});

  line("%DEBUT_CELL/%");
  // Every line of the cell starts at the same x, a cell margin to the left.
  const double lineX = X - margin / k_;
  double top = Y;
  for (size_t li = 0; li < lines.size(); ++li) {
    border_ = li == 0 ? firstBorder : laterBorder;
    if (li + 1 == lines.size() && bottom) border_ += 'B';
    writeCellLine(std::string_view(cp).substr(lines[li].start, lines[li].len), lineX, top, w, h, URLLink);
    top += h;
  }
  underline_ = false;
  if (alignment_ == "FJ") {
    line("0 Tw");
    wordSpacing_ = 0;
  }
  line("%FIN_CELL/%");
  return d.done("PDFCell");
}

void qtzPDF::writeCellLine(std::string_view cp, double X, double Y, double w, double h,
                           const std::string& link) {
  const std::string font = effectiveFont();
  const int n = fontResource(font);
  if (fontSize_ == 0) fontSize_ = 10;
  const double s = fontSize_;
  const double H = pageH();
  const double m = cMargin_;
  if (!lineColor_.empty()) line(lineColor_);
  if (!drawColor_.empty()) line(drawColor_);

  // Frame of the line: a filled rectangle and/or edges, one block whose
  // lines are ended by CR; the width of the edges goes out first, as a
  // line of its own.
  std::string block;
  if (border_ == "1" || fill_) {
    numTo(block, X * k_, 2);
    block += ' ';
    numTo(block, H - Y * k_, 2);
    block += ' ';
    numTo(block, k_ * w, 2);
    block += ' ';
    numTo(block, -k_ * h, 2);
    block += fill_ ? (border_ == "1" ? " re B" : " re f") : " re S";
    block += '\r';
  }
  if (border_ != "0" && border_ != "1") {
    widthLine();
    auto edge = [&](double x1, double y1, double x2, double y2, const char* ending) {
      numTo(block, x1 * k_, 2);
      block += ' ';
      numTo(block, H - y1 * k_, 2);
      block += " m ";
      numTo(block, x2 * k_, 2);
      block += ' ';
      numTo(block, H - y2 * k_, 2);
      block += ending;
      block += '\r';
    };
    auto has = [this](char c) {
      return border_.find(c) != std::string::npos ||
             border_.find(static_cast<char>(std::tolower(static_cast<unsigned char>(c)))) !=
                 std::string::npos;
    };
    if (has('L')) edge(X, Y, X, Y + h, " l S");
    if (has('T')) edge(X, Y, X + w, Y, " l S ");
    if (has('R')) edge(X + w, Y, X + w, Y + h, " l S ");
    if (has('B')) edge(X, Y + h, X + w, Y + h, " l S ");
  }
  border_ = "0";
  if (alignment_.empty()) alignment_ = "L";

  const double textW = widthPt(cp, font, s);
  const double t = static_cast<double>(roundEven(textW));
  double e = 0;
  if (alignment_ == "L") {
    e = static_cast<double>(roundEven(2 * m));
  } else if (alignment_ == "C") {
    e = static_cast<double>(roundEven((k_ * w - t) / 2));
  } else if (alignment_ == "R") {
    e = static_cast<double>(roundEven(k_ * w - m - t));
  } else if (alignment_ == "FJ") {
    const int b = countBlanks(cp);
    // Word spacing is in points, the unit the text operators use.
    wordSpacing_ = (k_ * w - (b + 1) * m - textW) / (b > 0 ? b : 1);
    num(wordSpacing_, 3);
    line(" Tw");
    e = static_cast<double>(roundEven(2 * m));
  }
  if (!block.empty()) line(block);
  const double baseline = H - (0.5 * h * k_ + Y * k_ + 0.3 * s);
  if (!textColor_.empty()) {
    out("q ");
    out(textColor_);
    line(" ");
    if (underline_) line(underlineRect(true, cp, e + X * k_, baseline));
  }
  line("BT");
  out("/F");
  out(std::to_string(n));
  buf_ += ' ';
  line(std::to_string(fontSize_) + " Tf");
  point(e + X * k_, baseline, "Td");
  buf_ += '(';
  appendPdfStringBody(buf_, cp);
  line(") Tj");
  line("ET");
  if (!textColor_.empty()) line("Q");
  linkLabel_.assign(cp);
  linkKind_ = "CELL";
  attachUrlLink(link, "CELL", X, Y);
  linkKind_.clear();
  x_ = X + w;
  y_ = Y + h;
}

// ---------------------------------------------------------------- links

void qtzPDF::attachUrlLink(const std::string& url, const char* kind, double X, double Y) {
  imageLink_ = std::string_view(kind) == "IMAGE";
  if (!url.empty()) PDFLink(X, Y, std::string(), url);
  linkLabel_.clear();
  imageLink_ = false;
}

bool qtzPDF::PDFLink(double X, double Y, const std::string& text, const std::string& link) {
  if (!needPage("PDFLink")) return false;
  if (!finite({X, Y})) return fail("PDFLink: a position is not a number");
  Drawing d(*this);
  line("%DEBUT_LINK/%");
  underline_ = true;
  const std::string font = effectiveFont();
  if (fontSize_ == 0) fontSize_ = 10;
  double wPt, hPt, ax = X, ay = Y;
  const double saveX = x_, saveY = y_;
  if (imageLink_) {
    PDFSetTextColor(16711680LL);
    wPt = imageW_ * k_;
    hPt = imageH_ * k_;
    textOut({}, X, Y);
  } else if (linkKind_ == "ELLIPSE" || linkKind_ == "CELL") {
    wPt = static_cast<double>(roundEven(widthPt(linkLabel_, font, fontSize_)));
    hPt = fontSize_;
    textOut({}, X, Y);
  } else if (linkKind_ == "RECTANGLE") {
    wPt = linkWidth_;
    hPt = fontSize_;
    textOut({}, X, Y);
  } else {
    // A text link: the text is written underlined and the link area lies
    // over it, from its baseline one font size up.
    const std::string cp = utf8ToCp1252(text);
    wPt = static_cast<double>(roundEven(widthPt(cp, font, fontSize_)));
    hPt = fontSize_;
    textOut(cp, X, Y);
    ax = lMargin_ + X;
    ay = Y - hPt / k_;
  }
  if (linkKind_ == "CELL" || imageLink_ || linkKind_ == "ELLIPSE" || linkKind_ == "RECTANGLE") {
    // The empty text run that carries a shape's link leaves the position
    // where the shape put it.
    x_ = saveX;
    y_ = saveY;
  }
  imageLink_ = false;
  underline_ = false;
  linkKind_.clear();
  addLinkAnnotation(ax, ay, wPt, hPt, link.empty() ? text : link);
  line("%FIN_LINK/%");
  return d.done("PDFLink");
}

void qtzPDF::addLinkAnnotation(double X, double Y, double wPt, double hPt, const std::string& target) {
  const Link l{X * k_, pageH() - Y * k_, wPt, hPt, target};
  // Its corners are written with the page objects, after the page.
  if (!writable(l.x) || !writable(l.y) || !writable(l.x + l.w) || !writable(l.y - l.h)) badNumber_ = true;
  links_[static_cast<size_t>(pageNumber_ - 1)].push_back(l);
}

// ---------------------------------------------------------------- outlines

bool qtzPDF::PDFSetBookmark(const std::string& text, std::int16_t level, double Y) {
  if (!needPage("PDFSetBookmark")) return false;
  if (Y == -1) Y = y_;
  // Written at the end, from the top of the page, whose size may still
  // change until the page is ended.
  if (!writable(std::fabs(Y * k_) + kMaxPageSize))
    return fail(
        "PDFSetBookmark: the position is not a number or lies too far from the page (32767 points at most)");
  // The outline is a tree: the first entry is top-level and each entry is
  // at most one level below the one before it.
  const int maxLevel = bookmarks_.empty() ? 0 : bookmarks_.back().level + 1;
  if (level < 0 || level > maxLevel) {
    const int used = level < 0 ? 0 : maxLevel;
    message("Bookmark - ", "Bookmark level set incorrectly : " + std::to_string(level) +
                               ".\r\nBookmark level set to " + std::to_string(used) + ".");
    level = static_cast<std::int16_t>(used);
  }
  bookmarks_.push_back(Bookmark{text, level, Y * k_, pageNumber_});
  return true;
}

// ---------------------------------------------------------------- watermark

void qtzPDF::drawWatermark() {
  if (!watermarkOn_ || inWatermark_ || !pageOpen_) return;
  inWatermark_ = true;
  // The caller's font, colour and position are kept.
  const std::string font = baseFont_, color = textColor_;
  const int size = fontSize_;
  const bool it = italic_, bo = bold_, ul = underline_;
  const double sx = x_, sy = y_, rot = rotation_;
  PDFSetFont(0, 50, 2);
  underline_ = false;
  PDFSetTextColor(PdfRgb{255, 192, 203});
  const std::string cp = utf8ToCp1252(watermark_);
  const double w = widthPt(cp, effectiveFont(), 50);
  const double H = PDFGetPageHeight(), W = PDFGetPageWidth();
  // 45 taken in radians, as the watermark has always been placed.
  const double y = (std::sin(45.0) * w + H) / 2.15;
  const double x = (W - std::cos(45.0) * w) / 2.75;
  rotation_ = -45;
  {
    // A text too long to be placed on the page leaves the page without it.
    Drawing d(*this);
    textOut(cp, x / k_, y / k_);
    d.done("watermark");
  }
  rotation_ = rot;
  baseFont_ = font;
  fontSize_ = size;
  italic_ = it;
  bold_ = bo;
  underline_ = ul;
  textColor_ = color;
  x_ = sx;
  y_ = sy;
  inWatermark_ = false;
}

}  // namespace vkz
