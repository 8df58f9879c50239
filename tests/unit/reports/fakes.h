// Test stand-ins for the reports: a canvas that records what the printed
// report draws (with simple fixed text metrics), and a ReportUi that
// records the progress captions.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "reports/canvas.h"
#include "reports/reportdata.h"

namespace vkz::test {

// Everything a RecordingCanvas was asked to draw; shared with the test,
// since the report drops its canvas when it ends.
struct Recording {
  struct Text {
    int page;
    double x, y;
    std::string text;
  };
  struct Line {
    int page;
    double x1, y1, x2, y2;
    ReportPen pen;
  };
  std::vector<Text> texts;
  std::vector<Line> lines;
  std::vector<Line> rectangles;
  std::vector<int> logoPages;
  int pages = 1;
  bool ended = false;
  int fontSize = 0;

  std::vector<Text> textsOn(int page) const {
    std::vector<Text> v;
    for (const Text& t : texts)
      if (t.page == page) v.push_back(t);
    return v;
  }
  int count(const std::string& text) const {
    int n = 0;
    for (const Text& t : texts) n += t.text == text;
    return n;
  }
  const Text* find(const std::string& text) const {
    for (const Text& t : texts)
      if (t.text == text) return &t;
    return nullptr;
  }
};

// Text is 90 twips a character and 240 twips high; the printable area is
// 11000 x 15000 twips unless set.
class RecordingCanvas : public ReportCanvas {
 public:
  explicit RecordingCanvas(std::shared_ptr<Recording> rec) : rec_(std::move(rec)) {}

  double width = 11000, height = 15000;
  int copyCount = 1;
  int failAtPageEnd = 0;  // the page end (1, 2 ...) at which the printer fails
  bool failAtStart = false;

  void setFontSize(int points) override { rec_->fontSize = points; }
  double textWidth(const std::string& t) override { return 90.0 * static_cast<double>(t.size()); }
  double textHeight(const std::string&) override { return 240; }
  double pageWidth() const override { return width; }
  double pageHeight() const override { return height; }
  int copies() const override { return copyCount; }

  void text(double x, double y, const std::string& t) override {
    draw();
    rec_->texts.push_back({rec_->pages, x, y, t});
  }
  void line(double x1, double y1, double x2, double y2, const ReportPen& pen) override {
    draw();
    rec_->lines.push_back({rec_->pages, x1, y1, x2, y2, pen});
  }
  void rectangle(double x1, double y1, double x2, double y2, const ReportPen& pen) override {
    draw();
    rec_->rectangles.push_back({rec_->pages, x1, y1, x2, y2, pen});
  }
  void logo(double, double) override {
    draw();
    rec_->logoPages.push_back(rec_->pages);
  }
  int logoHeightHimetric() const override { return 1614; }

  void endPage() override {
    pendingPage_ = true;
    if (++pageEnds_ == failAtPageEnd) failed_ = true;
  }
  bool endDocument() override {
    rec_->ended = true;
    return !failAtStart;
  }
  bool ok() const override { return !failed_ && !failAtStart; }
  std::string error() const override { return ok() ? "" : "the printer is out of paper"; }

 private:
  void draw() {
    if (pendingPage_) ++rec_->pages;
    pendingPage_ = false;
  }
  std::shared_ptr<Recording> rec_;
  bool pendingPage_ = false;
  bool failed_ = false;
  int pageEnds_ = 0;
};

// Records every progress caption a report shows.
class FakeUi : public ReportUi {
 public:
  std::vector<std::string> captions;
  void showProgress(const std::string& c) override { captions.push_back(c); }
};

}  // namespace vkz::test
