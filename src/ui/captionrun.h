// Long runs that show their progress in a window's caption (a report, a
// save, a histogram's count) and put the caption back when they end. A
// report is made while the windows go on, so such runs may overlap and end
// in any order: the caption the window had before the first of them is put
// back when the last one ends, and never a progress text of another run.
#pragma once
#include <QPointer>
#include <QString>
#include <QWidget>

namespace vkz {

class CaptionRun {
 public:
  // Starts a run on `window`'s caption (nullptr: a run without a window).
  explicit CaptionRun(QWidget* window);
  ~CaptionRun();  // end()
  CaptionRun(const CaptionRun&) = delete;
  CaptionRun& operator=(const CaptionRun&) = delete;

  // Writes a progress text into the caption.
  void show(const QString& text);
  // Ends the run: the last run on the window puts its own caption back.
  void end();

 private:
  QPointer<QWidget> window_;
  bool ended_ = false;
};

}  // namespace vkz
