// qtzPDF: the program's own PDF 1.3 writer. One object writes one document:
// set it up (units, page format, information, output file), begin the
// document, draw pages (lines, shapes, text in the standard Type 1 fonts,
// cells, links, JPEG images, bookmarks) and end it. Pages are streamed to
// the file as they are drawn; the cross-reference table and trailer are
// written at the end.
//
// The file appears only when the document is ended and every byte of it
// was written: until then it is a hidden file beside it, which a failed
// write removes, so an earlier file of that name stays as it was.
//
// Positions are given in user units (pt, mm or cm) from the top-left corner
// of the page. Texts come in as UTF-8; page texts are written in code page
// 1252 (the fonts' WinAnsiEncoding), the document information and bookmark
// titles as Unicode text strings. A rejected setting shows the writer's
// message and is replaced by a default; a call that cannot be done returns
// false and leaves a reason in PDFLastError(). No exception leaves the
// writer.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "base/atomicfile.h"
#include "pdf/afm.h"

namespace vkz {

enum class PdfIcon { None, Critical };

// One message box of the writer: title, text (lines joined by CR LF), icon.
struct PdfMessage {
  std::string title;
  std::string text;
  PdfIcon icon = PdfIcon::Critical;
};

using PdfMessageHook = std::function<void(const PdfMessage&)>;
// Opens a finished file in the associated viewer; false when nothing could.
using PdfOpenHook = std::function<bool(const std::string& path)>;

// A colour as three components 0..255.
struct PdfRgb {
  int r = 0, g = 0, b = 0;
};

class qtzPDF {
 public:
  qtzPDF();
  ~qtzPDF();
  qtzPDF(const qtzPDF&) = delete;
  qtzPDF& operator=(const qtzPDF&) = delete;

  // Hooks every new writer starts with (the program sets them once to its
  // message box and the shell's "open"); each writer may set its own.
  static void setDefaultHooks(PdfMessageHook message, PdfOpenHook open);
  void setMessageHook(PdfMessageHook hook) { messageHook_ = std::move(hook); }
  void setOpenHook(PdfOpenHook hook) { openHook_ = std::move(hook); }

  // Reason of the last call that returned false.
  const std::string& PDFLastError() const { return lastError_; }
  // Why the output file could not be created or written, in the system's
  // words ("No space left on device"); "" while nothing failed.
  const std::string& PDFWriteError() const { return writeError_; }

  // --- document settings -------------------------------------------------
  void PDFInit();
  void PDFPathConfiguration(const std::string& sPathConfig) { fontsPath_ = sPathConfig; }
  void PDFSetViewerPreferences(std::int32_t pViewerPref);
  void PDFWatermark(const std::string& sWatermark);
  void PDFSetZoomMode(std::int32_t pZoomMode);
  std::optional<std::int32_t> PDFGetZoomMode() const { return zoomMode_; }
  void PDFUseThumbs(bool boThumbs) { thumbs_ = boThumbs; }
  void PDFUseOutlines(bool boOutlines) { outlines_ = boOutlines; }
  void PDFSetLayoutMode(std::int32_t pLayoutMode);
  std::optional<std::int32_t> PDFGetLayoutMode() const { return layoutMode_; }
  void PDFSetUnit(std::int32_t unit);  // 0 pt, 1 mm, 2 cm
  std::string PDFGetUnit() const;
  void PDFOrientation(std::int32_t orientation);               // 0 landscape, 1 portrait
  void PDFFormatPage(std::int32_t format);                     // 0 A4, 1 A3, 2 A5, 3 Letter, 4 Legal
  void PDFFormatPage(const std::vector<double>& widthHeight);  // points
  void PDFFormatPage(const std::string& other);                // not a format: A4
  int PDFPageNumber() const { return pageNumber_; }
  int PDFNbPage() const { return nbPage_; }
  void PDFProducer(const std::string& s) { producer_ = s; }
  void PDFSubject(const std::string& s) { subject_ = s; }
  void PDFKeywords(const std::string& s) { keywords_ = s; }
  void PDFCreator(const std::string& s) { creator_ = s; }
  void PDFAuthor(const std::string& s) { author_ = s; }
  void PDFTitle(const std::string& s) { title_ = s; }
  // Names the output file and starts writing it beside the target; false,
  // with a message, when it cannot be created there (or the name is a
  // folder, a device or a pipe). The target is replaced by PDFEndDoc.
  bool PDFFileName(const std::string& str_FileName);
  const std::string& PDFGetFileName() const { return fileName_; }
  void PDFConfirm(bool boConfirm) { confirm_ = boConfirm; }
  void PDFView(bool boView) { view_ = boView; }
  void PDFPageHeight(double points);
  double PDFGetPageHeight() const { return pageSizes_[static_cast<size_t>(psIndex_ - 1)].h; }
  void PDFPageWidth(double points);
  double PDFGetPageWidth() const { return pageSizes_[static_cast<size_t>(psIndex_ - 1)].w; }
  void PDFSetLeftMargin(double v) { setMargin(lMargin_, v); }
  double PDFGetLeftMargin() const { return lMargin_; }
  void PDFSetRightMargin(double v) { setMargin(rMargin_, v); }
  double PDFGetRightMargin() const { return rMargin_; }
  void PDFSetTopMargin(double v) { setMargin(tMargin_, v); }
  double PDFGetTopMargin() const { return tMargin_; }
  void PDFSetBottomMargin(double v) { setMargin(bMargin_, v); }
  double PDFGetBottomMargin() const { return bMargin_; }
  void PDFSetCellMargin(double v) { setMargin(cMargin_, v); }
  double PDFGetCellMargin() const { return cMargin_; }
  // Right -1: right := left; bottom -1: bottom := top.
  void PDFSetMargins(std::int16_t in_left, std::int16_t in_top, std::int16_t in_right = -1,
                     std::int16_t in_bottom = -1);
  int PDFGetX() const;
  int PDFGetY() const;

  // --- graphics ----------------------------------------------------------
  void PDFSetLineStyle(std::int32_t pLineStyle);  // 0 solid, 1 dash, 2 dash-dot, 3 dash-dot-dot
  void PDFSetLineWidth(double pLineWidth);
  void PDFSetDrawMode(std::int32_t pDrawMode);  // 0 stroke, 1 fill, 2 fill and stroke
  // Colours: a number (red in the low byte, 0..16777215), "#RRGGBB" or
  // three components. A number or "#" text that is no colour returns false
  // and keeps the colour; other texts show a message and use black.
  bool PDFSetTextColor(long long v);
  bool PDFSetTextColor(const std::string& html);
  bool PDFSetTextColor(PdfRgb rgb);
  bool PDFSetLineColor(long long v);
  bool PDFSetLineColor(const std::string& html);
  bool PDFSetLineColor(PdfRgb rgb);
  bool PDFSetDrawColor(long long v);
  bool PDFSetDrawColor(const std::string& html);
  bool PDFSetDrawColor(PdfRgb rgb);
  // The colour operators in force ("0 g", "1.000 0.000 0.000 RG" ...).
  const std::string& PDFGetTextColor() const { return textColor_; }
  const std::string& PDFGetLineColor() const { return lineColor_; }
  const std::string& PDFGetDrawColor() const { return drawColor_; }
  bool PDFDrawLineHor(double X, double Y, double w);
  bool PDFDrawLineVer(double X, double Y, double h);
  bool PDFDrawLine(double x1, double y1, double x2, double y2);
  bool PDFDrawRectangle(double X, double Y, double w, double h, const std::string& URLLink = {});
  // ry 0 draws a circle of diameter Rx.
  bool PDFDrawEllipse(double X, double Y, double Rx, double ry, const std::string& URLLink = {});
  // Closed polygon through x0, y0, x1, y1, ... (at least one pair).
  bool PDFDrawPolygon(const std::vector<double>& points);

  // --- text --------------------------------------------------------------
  // Font 0 Helvetica, 1 Courier, 2 Times, 3 Symbol, 4 ZapfDingbats; style
  // digits 1 italic, 2 bold, 3 underline (next text only).
  void PDFSetFont(std::int32_t fontFamily, std::int16_t fontSize, std::int32_t styleDigits);
  // X or Y 0 means the current position.
  bool PDFTextOut(const std::string& str_Text, double X = 0, double Y = 0);
  double PDFTextHeight() const { return fontSize_ * k_; }
  void PDFSetRotation(double pAngle);
  // Current font: its PDF base font name ("Helvetica-Bold") and size.
  const std::string& PDFGetFontName() const { return baseFont_; }

  // --- font metrics --------------------------------------------------------
  // Lists the metric files (*.afm) of a folder as the font list; keeps the
  // old list when none is found. False, with a message, when the folder
  // cannot be listed.
  bool PDFLoadAfm(const std::string& sPathAFM) { return loadAfm(sPathAFM, false); }
  // Width in points of a text in a font ("" = the current font) and size.
  double PDFGetStringWidth(const std::string& str_Txt, const std::string& str_FName, int in_FSize);
  const std::vector<std::string>& PDFFontList() const { return fontList_; }
  const std::string& PDFFontsPath() const { return fontsPath_; }

  // --- images ------------------------------------------------------------
  // Places a JPEG file with its top-left corner at (X, Y); a size of 0 is
  // taken from the picture (one pixel one point, or keeping its shape).
  bool PDFImage(const std::string& pFileName, double X, double Y, double w = 0, double h = 0,
                const std::string& URLLink = {});
  double PDFImageWidth(const std::string& pFileName);
  double PDFImageHeight(const std::string& pFileName);

  // --- cells and links -----------------------------------------------------
  void PDFSetAlignement(std::int32_t gAlignement);  // 0 centre, 1 left, 2 right, 3 justified
  std::string PDFGetAlignement() const;
  void PDFSetBorder(std::int32_t gBorder);  // 0 none, 1 frame, 2 T, 3 B, 4 L, 5 R, or digits
  void PDFSetFill(bool bFill) { fill_ = bFill; }
  bool PDFCell(const std::string& str_Text, double X, double Y, double w, double h,
               const std::string& URLLink = {});
  // A link area at (X, Y) to str_Link (str_Text when empty); for a plain
  // text the text is written, underlined.
  bool PDFLink(double X, double Y, const std::string& str_Text, const std::string& str_Link = {});

  // --- outlines ----------------------------------------------------------
  // Records a bookmark on the current page; Y -1 means the current Y. The
  // first bookmark is top-level and a level rises by at most 1 from the one
  // before; another level shows a message and is brought into that range.
  bool PDFSetBookmark(const std::string& str_Text, std::int16_t iLevel, double Y = -1);

  // --- document life cycle ---------------------------------------------------
  bool PDFBeginDoc();
  bool PDFEndPage();
  bool PDFNewPage();
  bool PDFEndDoc();

  // For tests and the benchmark: scale factor and the page-size entry in use.
  double scale() const { return k_; }
  bool documentOpen() const { return state_ == DocState::Open; }

 private:
  enum class DocState { None, Open, Ended };
  enum class ColorKind { Text, Line, Border };
  struct PageSize {
    double w, h;
    char orientation;
  };
  struct Link {
    double x, y, w, h;  // points, PDF coordinates of the top-left corner
    std::string target;
  };
  struct Image {
    int width = 0, height = 0;
    std::string colorSpace;
    std::shared_ptr<const std::vector<std::uint8_t>> data;
  };
  struct Bookmark {
    std::string text;  // UTF-8
    int level = 0;
    double yPt = 0;  // points from the top of the page
    int page = 0;
  };
  struct SavedText;

  // messages and errors
  void message(const std::string& topic, const std::string& text, PdfIcon icon = PdfIcon::Critical);
  bool fail(const std::string& why);
  bool needPage(const char* what);
  static bool finite(std::initializer_list<double> v);
  // Every real number the writer puts on a page lies within this many
  // points of the origin: the limit of the real numbers PDF readers take
  // (an A4 page is 842 points high, the largest page 14,400).
  static constexpr double kMaxReal = 32767;
  static constexpr double kMaxPageSize = 14400;                               // points, 200 inches
  static bool writable(double v) { return v >= -kMaxReal && v <= kMaxReal; }  // false for NaN

  // One drawing call's writes. When a number in them cannot be written,
  // everything the call appended to the page and changed in the drawing
  // state is taken back, so no broken operator reaches the file. A call
  // made inside another one (a shape's link) belongs to the outer one.
  class Drawing {
   public:
    explicit Drawing(qtzPDF& pdf);
    ~Drawing() { --pdf_.drawDepth_; }
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;
    // True when every number could be written; otherwise the call is
    // taken back and `what` gets the reason.
    bool done(const char* what);

   private:
    qtzPDF& pdf_;
    bool outer_;
  };
  // What an outer drawing call may change besides the page: its values are
  // saved when the call starts and put back when it is taken back.
  using UndoState = std::tuple<double, double, double, double, int, bool, std::string, std::string,
                               std::string, std::string>;
  auto undoable() {
    return std::tie(x_, y_, rotation_, wordSpacing_, fontSize_, underline_, textColor_, drawColor_, border_,
                    alignment_);
  }
  struct Undo {
    size_t content = 0, links = 0, images = 0;
    UndoState state;
  };
  void setMargin(double& m, double v);

  // output
  void out(std::string_view s) { buf_.append(s); }
  void line(std::string_view s) {
    buf_.append(s);
    buf_.append("\r\n", 2);
  }
  void flushIfLarge() {
    if (buf_.size() >= kFlushSize) flush();
  }
  void flush();
  void writeToFile(std::string_view bytes);
  std::int64_t bytesWritten() const { return flushed_ + static_cast<std::int64_t>(buf_.size()); }
  void beginObject(std::int64_t n);
  void endObject();
  void writeInfoObject();
  void infoString(const char* key, const std::string& value);
  void openContentStream();
  void closeContentStream();
  void endPageStep();
  bool finishDocument(bool interactive);
  void writeFontObjects();
  void writePagesObject();
  void writeResourcesObject();
  void writeImageObject(size_t index);
  void writePageObject(int p);
  void writeLinkAnnotations(const std::vector<Link>& links);
  void writeOutlineObjects();
  void writeCatalogObject();
  void writeXrefAndTrailer();
  // Puts the finished file in the target's place, or drops it after a
  // failed write.
  void commitFile();
  // Drops a file whose document was not finished; the target is untouched.
  void dropFile();

  // coordinates and formatting
  double pageH() const { return pageSizes_[static_cast<size_t>(psIndex_ - 1)].h; }
  void num(double v, int decimals = 2) { numTo(buf_, v, decimals); }
  // Appends a number; one that cannot be written marks the drawing call.
  void numTo(std::string& s, double v, int decimals);
  void point(double xPt, double yPt, const char* op);

  // graphics helpers
  std::string dashPatternFor(std::int32_t style, bool& ok) const;
  bool setColor(ColorKind kind, int r, int g, int b, std::string& target);
  bool setColorNumber(ColorKind kind, long long v, std::string& target, const char* topic, const char* text,
                      const char* used);
  bool setColorText(ColorKind kind, const std::string& v, std::string& target, const char* topic,
                    const char* text, const char* used);
  void drawModeColors();
  void lineToDrawColor();
  void widthLine();
  void strokeSegment(const char* tag, double x1, double y1, double x2, double y2);
  void bezier(double x1, double y1, double x2, double y2, double x3, double y3);

  // text helpers
  const std::string& effectiveFont() const;
  int fontResource(const std::string& name);
  const AfmMetrics* metricsFor(const std::string& name);
  bool symbolicFont(const std::string& name);
  double widthPt(std::string_view cp1252, const std::string& font, double size);
  int widthOfByte(const AfmMetrics* m, unsigned char c) const { return m ? m->width[c] : 0; }
  bool textOut(std::string_view cp1252, double X, double Y);
  std::string underlineRect(bool cellMode, std::string_view cp1252, double x, double y);
  void writeCellLine(std::string_view cp1252, double X, double Y, double w, double h,
                     const std::string& link);
  void attachUrlLink(const std::string& url, const char* kind, double X, double Y);
  void addLinkAnnotation(double X, double Y, double wPt, double hPt, const std::string& target);
  void drawWatermark();

  bool loadAfm(const std::string& path, bool quiet);

  // images
  bool readImage(const std::string& fileName, Image& img);

  // The content goes to the file in pieces of about this size, straight
  // from the buffer (the file writer keeps no copy of its own).
  static constexpr size_t kFlushSize = 64 << 10;

  PdfMessageHook messageHook_;
  PdfOpenHook openHook_;
  std::string lastError_;

  // settings
  std::string fileName_;
  AtomicFileWriter file_;
  bool writeFailed_ = false;
  std::string writeError_;
  std::string fontsPath_;
  std::vector<std::string> fontList_;   // font names (PDF base font names)
  std::vector<std::string> fontFiles_;  // their metric files
  double k_ = 72.0 / 2.54;
  int psIndex_ = 1;
  std::vector<PageSize> pageSizes_;
  int pageNumber_ = 0;
  int nbPage_ = -1;
  double x_ = 1, y_ = 1;
  double lMargin_ = 1, tMargin_ = 1, rMargin_ = 1, bMargin_ = 1, cMargin_ = 3;
  int defaultMargin_ = 1;
  std::string title_, author_, creator_, keywords_, subject_, producer_;
  std::optional<std::int32_t> zoomMode_, layoutMode_;
  std::int32_t viewerPref_ = 0;
  bool viewerPrefGiven_ = false;
  bool thumbs_ = false, outlines_ = false, confirm_ = false, view_ = false;
  bool watermarkOn_ = false;
  std::string watermark_;
  bool inWatermark_ = false;

  // drawing state
  std::string dash_;
  double lineWidth_ = 0.567;
  double widthOpPt_ = std::numeric_limits<double>::quiet_NaN();  // width of widthOpText_
  std::string widthOpText_;                                      // "<width in points> w"
  std::string drawMode_;
  std::string lineColor_ = "0 G", drawColor_ = "0 g", textColor_ = "0 g";
  std::string baseFont_;
  int fontSize_ = 0;
  bool italic_ = false, bold_ = false, underline_ = false;
  double rotation_ = 0;
  std::string alignment_;
  std::string border_;
  bool fill_ = false;
  double wordSpacing_ = 0;
  std::string linkLabel_;  // code page 1252
  std::string linkKind_;
  double linkWidth_ = 0;  // points
  bool imageLink_ = false;
  double imageW_ = 0, imageH_ = 0;

  // the document
  DocState state_ = DocState::None;
  bool pageOpen_ = false;
  bool pageEnded_ = false;
  std::string buf_;
  std::int64_t flushed_ = 0;
  std::int64_t objNum_ = 0;
  std::vector<std::int64_t> offsets_;  // offsets_[n]: byte offset of object n
  std::int64_t streamStart_ = 0;
  std::vector<std::string> docFonts_;  // fonts the document declares, /F1.. in order
  std::vector<std::string> warnedFonts_;
  // metrics by font name, read once per writer (and once per run, afm.h)
  std::vector<std::pair<std::string, std::shared_ptr<const AfmMetrics>>> metricsCache_;
  std::vector<Image> images_;
  std::vector<std::vector<Link>> links_;  // per page
  std::vector<Bookmark> bookmarks_;
  std::int64_t outlineRoot_ = 0;
  std::int64_t pagesObj_ = 0, resourcesObj_ = 0, catalogObj_ = 0;
  std::vector<std::int64_t> fontObjs_;  // object numbers of /F1, /F2 ...
  std::vector<std::int64_t> pageObjs_;
  std::string scratch_;
  int drawDepth_ = 0;
  bool badNumber_ = false;
  Undo undo_;
};

}  // namespace vkz
