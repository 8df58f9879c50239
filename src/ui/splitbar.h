// A splitter bar: a thin grey strip that reports its mouse events, with
// coordinates in twips relative to the bar, to the handlers of its window
// (the main window's two bars, the data windows' grid splitters).
#pragma once
#include <QFrame>
#include <functional>

namespace vkz {

class SplitBar : public QFrame {
  Q_OBJECT
 public:
  // (button, shift, x, y), x and y in twips.
  using Handler = std::function<void(int, int, int, int)>;
  SplitBar(Qt::Orientation o, QWidget* parent);
  Handler onDown, onMove, onUp;

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
};

}  // namespace vkz
