// Document settings, the output file and the document's life cycle: header,
// page content streams, fonts, page tree, resources, images, pages,
// outlines, catalog, cross-reference table and trailer.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>

#include "base/appdir.h"
#include "base/cp1252.h"
#include "base/log.h"
#include "base/trtext.h"
#include "pdf/pdfnum.h"
#include "pdf/qtzpdf.h"

namespace vkz {
namespace {

const char* const kProduct = "qtzPDF 1.0";

// The hooks every new writer starts with, set by the program at start-up.
PdfMessageHook gDefaultMessageHook;
PdfOpenHook gDefaultOpenHook;
PdfMessageHook& defaultMessageHook() {
  return gDefaultMessageHook;
}
PdfOpenHook& defaultOpenHook() {
  return gDefaultOpenHook;
}

constexpr double kA4W = 595.28, kA4H = 841.89;

// A text string outside the page content (document information, outline
// titles) for UTF-8 text. Readers take a literal string there as
// PDFDocEncoding, which differs from code page 1252 in its upper half (the
// dash 0x97 shows as another letter): an ASCII text stays an escaped literal
// "(...)", any other is written as UTF-16BE with a byte-order mark in a hex
// string "<FEFF...>". A byte that is not UTF-8 is read as code page 1252,
// as everywhere else in the program.
void appendTextString(std::string& out, std::string_view s) {
  if (std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    out += '(';
    appendPdfStringBody(out, s);
    out += ')';
    return;
  }
  static const char* const hex = "0123456789ABCDEF";
  auto unit = [&out](unsigned u) {
    for (int shift = 12; shift >= 0; shift -= 4) out += hex[(u >> shift) & 15];
  };
  out += "<FEFF";
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    const size_t len = c < 0x80                ? 1
                       : c >= 0xC2 && c < 0xE0 ? 2
                       : c >= 0xE0 && c < 0xF0 ? 3
                       : c >= 0xF0 && c < 0xF5 ? 4
                                               : 0;
    char32_t u = len == 1 ? c : c & (0x7F >> len);
    bool ok = len > 0 && i + len <= s.size();
    for (size_t k = 1; ok && k < len; ++k) {
      const auto cc = static_cast<unsigned char>(s[i + k]);
      ok = (cc & 0xC0) == 0x80;
      u = u << 6 | (cc & 0x3F);
    }
    if (!ok) {
      u = cp1252ToUnicode(c);
      i += 1;
    } else {
      i += len;
    }
    if (u > 0x10FFFF || (u >= 0xD800 && u < 0xE000)) u = 0xFFFD;  // no character
    if (u >= 0x10000) {
      unit(0xD800 + ((u - 0x10000) >> 10));
      unit(0xDC00 + ((u - 0x10000) & 0x3FF));
    } else {
      unit(u);
    }
  }
  out += '>';
}

}  // namespace

void qtzPDF::setDefaultHooks(PdfMessageHook message, PdfOpenHook open) {
  defaultMessageHook() = std::move(message);
  defaultOpenHook() = std::move(open);
}

qtzPDF::qtzPDF() : messageHook_(defaultMessageHook()), openHook_(defaultOpenHook()) {
  buf_.reserve(kFlushSize + (8 << 10));
  PDFInit();
}

qtzPDF::~qtzPDF() {
  // A document left open is finished, so the file on disk is always a
  // complete PDF; nothing is shown or opened from here.
  if (state_ == DocState::Open) finishDocument(false);
  dropFile();
}

// ---------------------------------------------------------------- messages

void qtzPDF::message(const std::string& topic, const std::string& text, PdfIcon icon) {
  logLazy(LogArea::Pdf, icon == PdfIcon::None ? LogLevel::Info : LogLevel::Warning, [&] {
    std::string line = topic + text;
    std::size_t at = 0;
    while ((at = line.find("\r\n", at)) != std::string::npos) line.replace(at, 2, " ");
    return line;
  });
  if (messageHook_) messageHook_(PdfMessage{topic + kProduct, text, icon});
}

bool qtzPDF::fail(const std::string& why) {
  logWrite(LogArea::Pdf, LogLevel::Warning, why);
  lastError_ = why;
  return false;
}

bool qtzPDF::needPage(const char* what) {
  if (state_ == DocState::Open && pageOpen_) return true;
  return fail(std::string(what) +
              ": no page is open (PDFFileName and PDFBeginDoc come first, nothing after PDFEndDoc)");
}

bool qtzPDF::finite(std::initializer_list<double> v) {
  return std::all_of(v.begin(), v.end(), [](double d) { return std::isfinite(d); });
}

// ---------------------------------------------------------------- settings

void qtzPDF::PDFInit() {
  if (state_ == DocState::Open) finishDocument(false);
  dropFile();
  state_ = DocState::None;
  if (fontsPath_.empty()) fontsPath_ = appPath("Fonts");
  loadAfm(fontsPath_, true);
  images_.clear();
  links_.clear();
  bookmarks_.clear();
  docFonts_.clear();
  offsets_.clear();
  pageObjs_.clear();
  warnedFonts_.clear();
  nbPage_ = -1;
  pageNumber_ = 0;
  objNum_ = 0;
  outlineRoot_ = 0;
  k_ = 72.0 / 2.54;
  psIndex_ = 1;
  underline_ = italic_ = bold_ = false;
  defaultMargin_ = static_cast<int>(roundEven(k_ / 28.35));
  PDFSetMargins(static_cast<std::int16_t>(defaultMargin_), static_cast<std::int16_t>(defaultMargin_));
  cMargin_ = static_cast<double>(roundEven(defaultMargin_ / 10.0 * k_));
  x_ = lMargin_;
  y_ = tMargin_;
  lineWidth_ = 0.567;
  buf_.clear();
  flushed_ = 0;
  dash_.clear();
  drawMode_.clear();
  lineColor_ = "0 G";
  drawColor_ = "0 g";
  textColor_ = "0 g";
  pageSizes_.assign(1, PageSize{kA4W, kA4H, 'p'});
  producer_.clear();
  author_.clear();
  creator_.clear();
  keywords_.clear();
  subject_.clear();
  pageOpen_ = pageEnded_ = false;
}

void qtzPDF::PDFSetViewerPreferences(std::int32_t v) {
  viewerPref_ = v;
  viewerPrefGiven_ = true;
}

void qtzPDF::PDFWatermark(const std::string& s) {
  watermark_ = s;
  watermarkOn_ = true;
}

void qtzPDF::PDFSetZoomMode(std::int32_t v) {
  // The zoom is written in hundreds (150 gives 1.50).
  if (!writable(v / 100.0)) {
    message("Zoom Mode - ", "Zoom set incorrectly : " + std::to_string(v) + ".\r\nZoom set to full page.");
    v = 0;
  }
  zoomMode_ = v;
}

void qtzPDF::PDFSetLayoutMode(std::int32_t v) {
  if (v < 0 || v > 3) {
    message("Layout Mode - ",
            "Layout incorrect : " + std::to_string(v) + ".\r\nLayout will be set to simple single page.");
    v = 0;
  }
  layoutMode_ = v;
}

void qtzPDF::PDFSetUnit(std::int32_t u) {
  switch (u) {
    case 0:
      k_ = 1;
      break;
    case 1:
      k_ = 72.0 / 25.4;
      break;
    case 2:
      k_ = 72.0 / 2.54;
      break;
    default:
      message("Error in measurement unit - ",
              "Incorrect Unit of Measure : " + std::to_string(u) + ".\r\nUsing centimeter ");
      k_ = 72.0 / 2.54;
  }
}

std::string qtzPDF::PDFGetUnit() const {
  if (k_ == 1) return "pt";
  if (k_ == 72.0 / 25.4) return "mm";
  if (k_ == 72.0 / 2.54) return "cm";
  return {};
}

void qtzPDF::PDFOrientation(std::int32_t o) {
  pageSizes_.resize(static_cast<size_t>(psIndex_), pageSizes_.back());
  PageSize& e = pageSizes_[static_cast<size_t>(psIndex_ - 1)];
  double w = static_cast<double>(roundEven(e.w)), h = static_cast<double>(roundEven(e.h));
  if (o != 0 && o != 1) {
    message("Error in orientation - ",
            "Orientation set incorrectly: " + std::to_string(o) + ".\r\nOrientation set to portrait.");
    o = 1;
  }
  if (o == 1) {
    e = PageSize{w, h, 'p'};
  } else {
    e = PageSize{h, w, 'l'};
  }
}

void qtzPDF::PDFFormatPage(std::int32_t f) {
  pageSizes_.resize(static_cast<size_t>(psIndex_), pageSizes_.back());
  PageSize& e = pageSizes_[static_cast<size_t>(psIndex_ - 1)];
  switch (f) {
    case 0:
      e.w = kA4W, e.h = kA4H;
      break;
    case 1:
      e.w = 841.89, e.h = 1190.55;
      break;
    case 2:
      e.w = 420.94, e.h = 595.28;
      break;
    case 3:
      e.w = 612, e.h = 792;
      break;
    case 4:
      e.w = 612, e.h = 1008;
      break;
    default:
      message("Format Page - ",
              "Format page set incorrectly : " + std::to_string(f) + ".\r\nFormat page set to A4.");
      e.w = kA4W, e.h = kA4H;
  }
}

void qtzPDF::PDFFormatPage(const std::vector<double>& wh) {
  pageSizes_.resize(static_cast<size_t>(psIndex_), pageSizes_.back());
  PageSize& e = pageSizes_[static_cast<size_t>(psIndex_ - 1)];
  // A page of no size, a negative one or one that is not a number would
  // make a file no reader can show: refuse it like any other bad format.
  if (wh.size() < 2 || !finite({wh[0], wh[1]}) || wh[0] <= 0 || wh[1] <= 0 || wh[0] > kMaxPageSize ||
      wh[1] > kMaxPageSize) {
    std::string shown;
    for (size_t i = 0; i < wh.size(); ++i) shown += (i ? ", " : "") + shownNumber(wh[i]);
    message("Format Page - ", "Format page set incorrectly : " + shown + ".\r\nFormat page set to A4.");
    e.w = kA4W, e.h = kA4H;
    return;
  }
  e.w = wh[0];
  e.h = wh[1];
}

void qtzPDF::PDFFormatPage(const std::string& other) {
  pageSizes_.resize(static_cast<size_t>(psIndex_), pageSizes_.back());
  PageSize& e = pageSizes_[static_cast<size_t>(psIndex_ - 1)];
  message("Format Page - ", "Format page set incorrectly : " + other + ".\r\nFormat page set to A4");
  e.w = kA4W, e.h = kA4H;
}

void qtzPDF::PDFPageHeight(double v) {
  pageSizes_.resize(static_cast<size_t>(psIndex_), pageSizes_.back());
  if (!std::isfinite(v) || v <= 0 || v > kMaxPageSize) {
    message("Page height - ",
            "Page height set incorrectly : " + shownNumber(v) + ".\r\nPage height set to A4.");
    v = kA4H;
  }
  pageSizes_[static_cast<size_t>(psIndex_ - 1)].h = v;
}

void qtzPDF::PDFPageWidth(double v) {
  pageSizes_.resize(static_cast<size_t>(psIndex_), pageSizes_.back());
  if (!std::isfinite(v) || v <= 0 || v > kMaxPageSize) {
    message("Page width - ", "Page width set incorrectly : " + shownNumber(v) + ".\r\nPage width set to A4.");
    v = kA4W;
  }
  pageSizes_[static_cast<size_t>(psIndex_ - 1)].w = v;
}

void qtzPDF::setMargin(double& m, double v) {
  if (!std::isfinite(v) || v < -32768.5 || v > 32767.5) {
    message("Margin - ", "Margin set incorrectly : " + shownNumber(v) + ".\r\nMargin set to " +
                             std::to_string(defaultMargin_) + ".");
    v = defaultMargin_;
  }
  m = static_cast<double>(roundEven(v));
}

void qtzPDF::PDFSetMargins(std::int16_t l, std::int16_t t, std::int16_t r, std::int16_t b) {
  if (r == -1) r = l;
  if (b == -1) b = t;
  lMargin_ = l;
  tMargin_ = t;
  rMargin_ = r;
  bMargin_ = b;
}

int qtzPDF::PDFGetX() const {
  return static_cast<int>(roundEven(x_));
}
int qtzPDF::PDFGetY() const {
  return static_cast<int>(roundEven(y_));
}

// ---------------------------------------------------------------- output file

bool qtzPDF::PDFFileName(const std::string& name) {
  if (state_ == DocState::Open) return fail("PDFFileName: a document is being written to " + fileName_);
  dropFile();
  fileName_ = name;
  writeFailed_ = false;
  writeError_.clear();
  if (name.empty()) {
    message(trText("PdfWriter", "PDF file - "),
            trText("PdfWriter", "Cannot create the PDF file : no file name given."));
    return fail("PDFFileName: " + trText("PdfWriter", "no file name given"));
  }
  // On this platform a viewer does not lock the files it shows, so an open
  // viewer never stands in the way; any failure here is reported at once.
  if (!file_.open(name)) {
    const std::string why = writeError_ = file_.reason();
    message(trText("PdfWriter", "PDF file - "),
            fillText(trText("PdfWriter", "Cannot create the PDF file : %1."), {name}) + "\r\n" + why + ".");
    return fail("PDFFileName: " + fillText(trText("PdfWriter", "cannot create %1: %2"), {name, why}));
  }
  return true;
}

void qtzPDF::writeToFile(std::string_view bytes) {
  if (!file_.isOpen() || writeFailed_) return;
  if (!file_.writeThrough(bytes)) {
    // The hidden file is gone; what follows is counted but not written.
    writeFailed_ = true;
    writeError_ = file_.reason();
  }
}

void qtzPDF::flush() {
  if (buf_.empty()) return;
  writeToFile(buf_);
  flushed_ += static_cast<std::int64_t>(buf_.size());
  buf_.clear();
}

void qtzPDF::commitFile() {
  if (!file_.isOpen()) return;
  flush();
  // A report can be written again from its measurement: the finished file
  // takes the target's place without waiting for the disk.
  if (!writeFailed_ && !file_.commit(false)) {
    writeFailed_ = true;
    writeError_ = file_.reason();
  }
  file_.abort();
}

void qtzPDF::dropFile() {
  file_.abort();
  buf_.clear();
}

void qtzPDF::numTo(std::string& s, double v, int decimals) {
  if (!writable(v)) badNumber_ = true;
  appendPdfNumber(s, v, decimals);
}

qtzPDF::Drawing::Drawing(qtzPDF& pdf) : pdf_(pdf), outer_(pdf.drawDepth_++ == 0) {
  if (!outer_) return;
  pdf.badNumber_ = false;
  Undo& u = pdf.undo_;
  u.content = pdf.buf_.size();
  u.links = pdf.links_[static_cast<size_t>(pdf.pageNumber_ - 1)].size();
  u.images = pdf.images_.size();
  u.state = pdf.undoable();
}

bool qtzPDF::Drawing::done(const char* what) {
  qtzPDF& p = pdf_;
  if (!outer_) return !p.badNumber_;
  if (!p.badNumber_) {
    p.flushIfLarge();
    return true;
  }
  // Nothing was flushed since the call began: the page content is cut back
  // to where it was.
  const Undo& u = p.undo_;
  p.buf_.resize(u.content);
  p.links_[static_cast<size_t>(p.pageNumber_ - 1)].resize(u.links);
  p.images_.resize(u.images);
  p.undoable() = u.state;
  p.badNumber_ = false;
  return p.fail(std::string(what) + ": a position or size is not a number or lies beyond " +
                std::to_string(static_cast<int>(kMaxReal)) + " points; nothing was drawn");
}

void qtzPDF::point(double xPt, double yPt, const char* op) {
  num(xPt);
  buf_ += ' ';
  num(yPt);
  buf_ += ' ';
  line(op);
}

// ---------------------------------------------------------------- objects

void qtzPDF::beginObject(std::int64_t n) {
  if (offsets_.size() <= static_cast<size_t>(n)) offsets_.resize(static_cast<size_t>(n) + 1, 0);
  offsets_[static_cast<size_t>(n)] = bytesWritten();
  char tmp[32];
  char* end = std::to_chars(tmp, tmp + sizeof tmp, static_cast<long long>(n)).ptr;
  buf_.append(tmp, end);
  out(" 0 obj\r\n");
}

// Every object ends with "endobj" and an empty line.
void qtzPDF::endObject() {
  out("endobj\r\n\r\n");
}

void qtzPDF::openContentStream() {
  const std::int64_t n = ++objNum_;
  beginObject(n);
  out("<< /Length ");
  out(std::to_string(n + 1));
  out(" 0 R\r\n >>\r\nstream\r\n");
  streamStart_ = bytesWritten();
  pageOpen_ = true;
}

void qtzPDF::closeContentStream() {
  const std::int64_t length = bytesWritten() - streamStart_;
  out("endstream\r\nendobj\r\n\r\n");
  beginObject(++objNum_);
  line(std::to_string(length));
  endObject();
  pageOpen_ = false;
  flushIfLarge();
}

bool qtzPDF::PDFBeginDoc() {
  if (state_ == DocState::Open) return fail("PDFBeginDoc: the document is already begun");
  if (state_ == DocState::Ended) return fail("PDFBeginDoc: a writer serves one document; call PDFInit first");
  if (!file_.isOpen()) return fail("PDFBeginDoc: no output file (PDFFileName failed or was not called)");
  pageNumber_ = 1;
  nbPage_ = 1;
  objNum_ = 0;
  outlineRoot_ = 0;
  buf_.clear();
  flushed_ = 0;
  offsets_.assign(1, 0);
  images_.clear();
  links_.assign(1, {});
  pageObjs_.clear();
  docFonts_ = fontList_;
  out("%PDF-1.3\r\n");
  writeInfoObject();
  state_ = DocState::Open;
  pageEnded_ = false;
  openContentStream();
  return true;
}

// Object 1: the document information strings and the creation time.
void qtzPDF::writeInfoObject() {
  beginObject(++objNum_);
  line("<<");
  infoString("/Producer", producer_);
  infoString("/Author", author_);
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char date[32];
  std::strftime(date, sizeof date, "%Y%m%d%H%M%S", &tm);
  out("/CreationDate (D:");
  out(date);
  line(")");
  infoString("/Creator", creator_);
  infoString("/Keywords", keywords_);
  infoString("/Subject", subject_);
  infoString("/Title", title_);
  line("/ModDate ()");
  line(">>");
  endObject();
}

void qtzPDF::infoString(const char* key, const std::string& value) {
  out(key);
  out(" ");
  appendTextString(buf_, value);
  line("");
}

void qtzPDF::endPageStep() {
  ++psIndex_;
  pageSizes_.resize(static_cast<size_t>(psIndex_), pageSizes_.back());
  pageEnded_ = true;
  drawWatermark();
}

bool qtzPDF::PDFEndPage() {
  if (!needPage("PDFEndPage")) return false;
  // Ending a page twice adds no second page-size entry: the page tree
  // takes page p's size from entry p.
  if (!pageEnded_) endPageStep();
  return true;
}

bool qtzPDF::PDFNewPage() {
  if (!needPage("PDFNewPage")) return false;
  // A page that was not ended is ended here, so every page has its own
  // page-size entry and the page tree stays complete.
  if (!pageEnded_) endPageStep();
  x_ = lMargin_;
  y_ = tMargin_;
  ++pageNumber_;
  closeContentStream();
  openContentStream();
  links_.emplace_back();
  pageEnded_ = false;
  drawWatermark();
  return true;
}

bool qtzPDF::PDFEndDoc() {
  if (state_ != DocState::Open) {
    return fail(state_ == DocState::Ended ? "PDFEndDoc: the document is already ended"
                                          : "PDFEndDoc: no document was begun");
  }
  return finishDocument(true);
}

// Closes the document as a PDF library closes a file: the last page, then
// the objects that refer to the pages (fonts, page tree, resources, images,
// page objects, outlines, catalog), the cross-reference table and trailer.
bool qtzPDF::finishDocument(bool interactive) {
  drawWatermark();
  closeContentStream();
  writeFontObjects();
  writePagesObject();
  writeResourcesObject();
  for (size_t i = 0; i < images_.size(); ++i) writeImageObject(i);
  pageObjs_.assign(static_cast<size_t>(pageNumber_), 0);
  for (int p = 1; p <= pageNumber_; ++p) writePageObject(p);
  writeOutlineObjects();
  writeCatalogObject();
  writeXrefAndTrailer();
  commitFile();
  state_ = DocState::Ended;
  pageOpen_ = false;
  if (!writeFailed_)
    logLazy(LogArea::Pdf, LogLevel::Info,
            [&] { return fileName_ + " written: " + std::to_string(pageNumber_) + " pages"; });

  if (writeFailed_) {
    if (interactive)
      message(trText("PdfWriter", "PDF file - "),
              fillText(trText("PdfWriter", "Cannot write the PDF file : %1."), {fileName_}) + "\r\n" +
                  writeError_ + ".");
    return fail("PDFEndDoc: " +
                fillText(trText("PdfWriter", "cannot write %1: %2"), {fileName_, writeError_}));
  }
  if (!interactive) return true;
  if (confirm_) message("Generated PDF file - ", "PDF file generated.", PdfIcon::None);
  if (view_ && openHook_ && !openHook_(fileName_))
    return fail("PDFEndDoc: " + fillText(trText("PdfWriter", "no program could open %1"), {fileName_}));
  return true;
}

// Whether a font keeps its own built-in encoding. The standard fonts are
// known by name, so a font the document declares but does not use has its
// metric file read only when it is none of them.
bool qtzPDF::symbolicFont(const std::string& name) {
  if (name == "Symbol" || name == "ZapfDingbats") return true;
  if (isStandardTextFont(name)) return false;
  const AfmMetrics* m = metricsFor(name);
  return m && m->fontSpecific;
}

// One Type 1 font object for every font of the list and for any other font
// a text used, named /F1, /F2 ... in that order.
void qtzPDF::writeFontObjects() {
  for (const auto& f : fontList_)
    if (std::find(docFonts_.begin(), docFonts_.end(), f) == docFonts_.end()) docFonts_.push_back(f);
  fontObjs_.clear();
  for (size_t i = 0; i < docFonts_.size(); ++i) {
    const std::string& name = docFonts_[i];
    fontObjs_.push_back(++objNum_);
    beginObject(objNum_);
    line("<< /Type /Font");
    line("/Subtype /Type1");
    out("/Name /F");
    line(std::to_string(i + 1));
    out("/BaseFont /");
    line(pdfName(name));
    // The symbol fonts keep their built-in encoding.
    if (!symbolicFont(name)) line("/Encoding /WinAnsiEncoding");
    line(">>");
    endObject();
  }
}

// The page tree: its kids are the page objects written after the resources
// and the images, so their numbers are known now.
void qtzPDF::writePagesObject() {
  const std::int64_t P = pageNumber_;
  const std::int64_t I = static_cast<std::int64_t>(images_.size());
  pagesObj_ = ++objNum_;
  resourcesObj_ = pagesObj_ + 1;
  beginObject(pagesObj_);
  line("<< /Type /Pages");
  line("/Kids [");
  for (std::int64_t p = 1; p <= P; ++p) {
    out(std::to_string(pagesObj_ + p + 1 + I));
    line(" 0 R");
  }
  line("]");
  out("/Count ");
  line(std::to_string(P));
  line(">>");
  endObject();
  nbPage_ = static_cast<int>(P);
}

// One resource dictionary shared by every page: the images and the fonts.
void qtzPDF::writeResourcesObject() {
  beginObject(++objNum_);
  line("<< /ProcSet [ /PDF /Text /ImageC]");
  out("/XObject << ");
  line("");
  for (size_t i = 1; i <= images_.size(); ++i) {
    out("/ImgJPEG" + std::to_string(i) + " ");
    line(std::to_string(resourcesObj_ + static_cast<std::int64_t>(i)) + " 0 R");
  }
  line(">>");
  line("/Font << ");
  for (size_t i = 0; i < fontObjs_.size(); ++i)
    line("/F" + std::to_string(i + 1) + " " + std::to_string(fontObjs_[i]) + " 0 R ");
  line(">>");
  line(">>");
  endObject();
}

// Image `index` (0-based) as an XObject holding the JPEG file's bytes.
void qtzPDF::writeImageObject(size_t index) {
  const Image& img = images_[index];
  beginObject(++objNum_);
  line("<</Type /XObject");
  line("/Subtype /Image");
  line("/Filter [/DCTDecode ]");
  line("/Width " + std::to_string(img.width));
  line("/Height " + std::to_string(img.height));
  line("/ColorSpace /" + img.colorSpace);
  line("/BitsPerComponent 8");
  line("/Length " + std::to_string(img.data->size()));
  line("/Name /ImgJPEG" + std::to_string(index + 1) + ">>");
  line("stream");
  // The picture's bytes go to the file as they are.
  flush();
  writeToFile(std::string_view(reinterpret_cast<const char*>(img.data->data()), img.data->size()));
  flushed_ += static_cast<std::int64_t>(img.data->size());
  line("");
  line("endstream");
  endObject();
  flushIfLarge();
}

// Page p (1-based): its size, the shared resources, its link annotations
// and its content stream (object 2p).
void qtzPDF::writePageObject(int p) {
  const std::int64_t g = ++objNum_;
  pageObjs_[static_cast<size_t>(p - 1)] = g;
  const PageSize& ps = pageSizes_[static_cast<size_t>(p - 1)];
  beginObject(g);
  line("<< /Type /Page");
  line("/Parent " + std::to_string(pagesObj_) + " 0 R");
  out("/MediaBox [ 0 0 ");
  appendGeneralNumber(buf_, ps.w);
  out(" ");
  appendGeneralNumber(buf_, ps.h);
  line("]");
  line("/Resources " + std::to_string(resourcesObj_) + " 0 R");
  writeLinkAnnotations(links_[static_cast<size_t>(p - 1)]);
  line("/Contents " + std::to_string(2 * static_cast<std::int64_t>(p)) + " 0 R");
  line(">>");
  endObject();
  flushIfLarge();
}

// The /Annots line of a page: one link annotation per link, a URI action
// where the link has a target.
void qtzPDF::writeLinkAnnotations(const std::vector<Link>& links) {
  if (links.empty()) return;
  out("/Annots [");
  for (const Link& l : links) {
    out("<</Type /Annot /Subtype /Link /Rect [");
    appendGeneralNumber(buf_, l.x);
    out(" ");
    appendGeneralNumber(buf_, l.y);
    out(" ");
    appendGeneralNumber(buf_, l.x + l.w);
    out(" ");
    appendGeneralNumber(buf_, l.y - l.h);
    out("] /Border [0 0 0] ");
    if (!l.target.empty()) {
      out("/A <</S /URI /URI (");
      appendPdfStringBody(buf_, l.target);
      out(")>>>>\r\n");
    } else {
      out(">>\r\n");
    }
  }
  line("]");
}

// Cross-reference table (one 20-byte entry per object), trailer and the
// end-of-file marker.
void qtzPDF::writeXrefAndTrailer() {
  const std::int64_t N = objNum_ + 1;
  const std::int64_t xrefOffset = bytesWritten();
  line("xref");
  line("0 " + std::to_string(N));
  line("0000000000 65535 f");
  // Each entry: the offset in ten digits, zeros in front.
  char entry[32];
  for (std::int64_t n = 1; n < N; ++n) {
    char digits[24];
    const auto offset = static_cast<long long>(offsets_[static_cast<size_t>(n)]);
    const size_t len =
        static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, offset).ptr - digits);
    const size_t pad = offset >= 0 && len < 10 ? 10 - len : 0;
    std::memset(entry, '0', pad);
    std::memcpy(entry + pad, digits, len);
    std::memcpy(entry + pad + len, " 00000 n\r\n", 10);
    buf_.append(entry, pad + len + 10);
    flushIfLarge();
  }
  line("trailer");
  line("<< /Size " + std::to_string(N));
  line("/Root " + std::to_string(catalogObj_) + " 0 R");
  line("/Info 1 0 R");
  line(">>");
  line("startxref");
  line(std::to_string(xrefOffset));
  line("");
  line("%%EOF");
}

void qtzPDF::writeCatalogObject() {
  catalogObj_ = ++objNum_;
  beginObject(catalogObj_);
  line("<<");
  line("/Type /Catalog");
  line("/Pages " + std::to_string(pagesObj_) + " 0 R");
  out("/OpenAction [");
  out(std::to_string(resourcesObj_ + static_cast<std::int64_t>(images_.size()) + 1));
  out(" 0 R ");
  const std::int32_t zoom = zoomMode_.value_or(0);
  if (zoom == 0) {
    line("/Fit]");
  } else if (zoom == 1) {
    line("/FitH null]");
  } else if (zoom == 2) {
    line("/XYZ null null 1]");
  } else {
    out("/XYZ null null ");
    num(zoom / 100.0, 2);
    line("]");
  }
  switch (layoutMode_.value_or(0)) {
    case 0:
      line("/PageLayout /SinglePage");
      break;
    case 1:
      line("/PageLayout /OneColumn");
      break;
    case 2:
      line("/PageLayout /TwoColumnLeft");
      break;
    default:
      break;
  }
  // One page mode: the outline panel when outlines are on, else thumbnails.
  if (outlines_) {
    if (outlineRoot_ != 0) line("/Outlines " + std::to_string(outlineRoot_) + " 0 R");
    line("/PageMode /UseOutlines");
  } else if (thumbs_) {
    line("/PageMode /UseThumbs");
  }
  if (viewerPrefGiven_) {
    line("/ViewerPreferences<<");
    const std::string digits = std::to_string(viewerPref_);
    auto has = [&](char d) { return digits.find(d) != std::string::npos; };
    if (has('2')) line("/HideMenubar true");
    if (has('1')) line("/HideToolbar true");
    if (has('3')) line("/HideWindowUI true");
    if (has('6')) line("/DisplayDocTitle true");
    if (has('5')) line("/CenterWindow true");
    if (has('4')) line("/FitWindow true");
    line(">>");
  }
  line(">>");
  endObject();
}

void qtzPDF::writeOutlineObjects() {
  if (bookmarks_.empty()) return;
  const size_t n = bookmarks_.size();
  // Links of the outline tree; levels were checked when recorded, so every
  // level above 0 has a parent on the level below.
  struct Node {
    std::int64_t parent = -1, first = -1, last = -1, next = -1, prev = -1;
  };
  std::vector<Node> node(n);
  std::vector<std::int64_t> lastOnLevel;
  int before = 0;
  for (size_t i = 0; i < n; ++i) {
    const int lv = bookmarks_[i].level;
    if (lv < 1) {
      node[i].parent = static_cast<std::int64_t>(n);
    } else {
      const std::int64_t p = lastOnLevel[static_cast<size_t>(lv - 1)];
      node[i].parent = p;
      node[static_cast<size_t>(p)].last = static_cast<std::int64_t>(i);
      if (before < lv) node[static_cast<size_t>(p)].first = static_cast<std::int64_t>(i);
    }
    if (lv <= before && i >= 1) {
      const std::int64_t s = lastOnLevel[static_cast<size_t>(lv)];
      node[static_cast<size_t>(s)].next = static_cast<std::int64_t>(i);
      node[i].prev = s;
    }
    lastOnLevel.resize(static_cast<size_t>(lv) + 1);
    lastOnLevel[static_cast<size_t>(lv)] = static_cast<std::int64_t>(i);
    before = lv;
  }
  const std::int64_t first = objNum_ + 1;
  for (size_t j = 0; j < n; ++j) {
    const Bookmark& b = bookmarks_[j];
    beginObject(++objNum_);
    out("<</Title ");
    appendTextString(buf_, b.text);
    line("");
    line("/Parent " + std::to_string(first + node[j].parent) + " 0 R");
    if (node[j].prev >= 0) line("/Prev " + std::to_string(first + node[j].prev) + " 0 R");
    if (node[j].next >= 0) line("/Next " + std::to_string(first + node[j].next) + " 0 R");
    if (node[j].first >= 0) line("/First " + std::to_string(first + node[j].first) + " 0 R");
    if (node[j].last >= 0) line("/Last " + std::to_string(first + node[j].last) + " 0 R");
    out("/Dest [" + std::to_string(pageObjs_[static_cast<size_t>(b.page - 1)]) + " 0 R /XYZ 0 ");
    num(pageSizes_[static_cast<size_t>(b.page - 1)].h - b.yPt, 2);
    line(" null]");
    line("/Count 0>>");
    endObject();
  }
  outlineRoot_ = ++objNum_;
  beginObject(outlineRoot_);
  line("<</Type /Outlines /First " + std::to_string(first) + " 0 R");
  line("/Last " + std::to_string(first + lastOnLevel[0]) + " 0 R>>");
  endObject();
}

}  // namespace vkz
