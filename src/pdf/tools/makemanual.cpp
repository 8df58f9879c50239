// Build-time tool: lays out a user manual written in a small text markup and
// writes it as a PDF with the program's own writer.
//
//   makemanual <manual.txt> <out.pdf> <fonts folder>
//
// Markup, one item per line (UTF-8):
//   # Title            the manual's title (first page)
//   ## Heading         a section, also a top-level bookmark
//   ### Heading        a subsection, a bookmark below its section
//   - text             a bullet point (following lines continue it)
//   text               paragraph text; a blank line ends the paragraph
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pdf/qtzpdf.h"

namespace {

constexpr double kPageW = 595.28, kPageH = 841.89;
constexpr double kLeft = 64, kRight = 64, kTop = 70, kBottom = 780;

struct Block {
  enum Kind { Title, Section, Subsection, Paragraph, Bullet } kind;
  std::string text;
};

std::vector<Block> parse(std::istream& in) {
  std::vector<Block> blocks;
  std::string line;
  bool open = false;  // a paragraph or bullet takes continuation lines
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t s = line.find_first_not_of(" \t");
    if (s == std::string::npos) {
      open = false;
      continue;
    }
    line = line.substr(s);
    if (line.rfind("### ", 0) == 0) {
      blocks.push_back({Block::Subsection, line.substr(4)});
      open = false;
    } else if (line.rfind("## ", 0) == 0) {
      blocks.push_back({Block::Section, line.substr(3)});
      open = false;
    } else if (line.rfind("# ", 0) == 0) {
      blocks.push_back({Block::Title, line.substr(2)});
      open = false;
    } else if (line.rfind("- ", 0) == 0) {
      blocks.push_back({Block::Bullet, line.substr(2)});
      open = true;
    } else if (open) {
      blocks.back().text += " " + line;
    } else {
      blocks.push_back({Block::Paragraph, line});
      open = true;
    }
  }
  return blocks;
}

class Layout {
 public:
  Layout(vkz::qtzPDF& pdf, std::string title) : pdf_(pdf), title_(std::move(title)) {}

  void start() {
    y_ = kTop;
    decorate();
  }

  // Writes words as lines no wider than `width`, starting at x.
  void text(const std::string& s, int font, int size, int style, double x, double width, double leading,
            const std::string& first = {}) {
    pdf_.PDFSetFont(font, static_cast<std::int16_t>(size), style);
    const std::string fontName = pdf_.PDFGetFontName();
    std::istringstream words(s);
    std::string word, lineText;
    bool firstLine = true;
    auto flush = [&] {
      need(leading);
      pdf_.PDFSetTextColor(0LL);
      pdf_.PDFSetFont(font, static_cast<std::int16_t>(size), style);
      if (firstLine && !first.empty()) pdf_.PDFTextOut(first, x - 12, y_);
      pdf_.PDFTextOut(lineText, x, y_);
      y_ += leading;
      lineText.clear();
      firstLine = false;
    };
    while (words >> word) {
      std::string tryLine = lineText.empty() ? word : lineText + " " + word;
      if (!lineText.empty() && pdf_.PDFGetStringWidth(tryLine, fontName, size) > width) flush();
      lineText = lineText.empty() ? word : lineText + " " + word;
    }
    if (!lineText.empty()) flush();
  }

  void gap(double d) { y_ += d; }
  void need(double h) {
    if (y_ + h <= kBottom) return;
    pdf_.PDFEndPage();
    pdf_.PDFNewPage();
    y_ = kTop;
    decorate();
  }
  double y() const { return y_; }

 private:
  // Running head and page number.
  void decorate() {
    pdf_.PDFSetFont(0, 8, 0);
    pdf_.PDFSetTextColor(0x606060LL);
    pdf_.PDFTextOut(title_, kLeft, 40);
    pdf_.PDFSetLineColor(0xA0A0A0LL);
    pdf_.PDFSetLineWidth(0.5);
    pdf_.PDFDrawLineHor(kLeft, 46, kPageW - kLeft - kRight);
    const std::string n = std::to_string(pdf_.PDFPageNumber());
    pdf_.PDFTextOut(n, (kPageW - pdf_.PDFGetStringWidth(n, "", 8)) / 2, 810);
  }

  vkz::qtzPDF& pdf_;
  std::string title_;
  double y_ = kTop;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: makemanual <manual.txt> <out.pdf> <fonts folder>\n");
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::fprintf(stderr, "makemanual: cannot read %s\n", argv[1]);
    return 1;
  }
  const std::vector<Block> blocks = parse(in);
  std::string title = "Manual";
  for (const auto& b : blocks)
    if (b.kind == Block::Title) title = b.text;

  int failures = 0;
  vkz::qtzPDF pdf;
  pdf.setMessageHook([&](const vkz::PdfMessage& m) {
    std::fprintf(stderr, "makemanual: %s: %s\n", m.title.c_str(), m.text.c_str());
    ++failures;
  });
  pdf.setOpenHook(nullptr);
  if (!pdf.PDFLoadAfm(argv[3]) || !pdf.PDFFileName(argv[2])) return 1;
  pdf.PDFTitle(title);
  pdf.PDFCreator("makemanual");
  pdf.PDFSetUnit(0);
  pdf.PDFSetMargins(0, 0);
  pdf.PDFFormatPage(0);
  pdf.PDFUseOutlines(true);
  pdf.PDFSetLayoutMode(1);
  if (!pdf.PDFBeginDoc()) {
    std::fprintf(stderr, "makemanual: %s\n", pdf.PDFLastError().c_str());
    return 1;
  }
  Layout page(pdf, title);
  page.start();
  const double width = kPageW - kLeft - kRight;
  Block::Kind before = Block::Title;
  for (const auto& b : blocks) {
    if (before == Block::Bullet && b.kind == Block::Paragraph) page.gap(4);
    before = b.kind;
    switch (b.kind) {
      case Block::Title:
        page.gap(40);
        page.text(b.text, 0, 22, 2, kLeft, width, 28);
        page.gap(14);
        break;
      case Block::Section:
        page.need(70);  // a heading is not left alone at the foot of a page
        page.gap(12);
        pdf.PDFSetBookmark(b.text, 0, page.y() - 16);
        page.text(b.text, 0, 15, 2, kLeft, width, 20);
        page.gap(4);
        break;
      case Block::Subsection:
        page.need(50);
        page.gap(6);
        pdf.PDFSetBookmark(b.text, 1, page.y() - 13);
        page.text(b.text, 0, 11, 2, kLeft, width, 16);
        break;
      case Block::Paragraph:
        page.text(b.text, 2, 11, 0, kLeft, width, 14.5);
        page.gap(6);
        break;
      case Block::Bullet:
        page.text(b.text, 2, 11, 0, kLeft + 16, width - 16, 14.5, "\xE2\x80\xA2");
        page.gap(3);
        break;
    }
  }
  if (!pdf.PDFEndDoc()) {
    std::fprintf(stderr, "makemanual: %s\n", pdf.PDFLastError().c_str());
    return 1;
  }
  return failures == 0 ? 0 : 1;
}
