// A panel of controls can be larger than the room its window gives it: a
// window maximised in a small client area, a font larger than the one the
// layout was drawn for. PanelView holds such a panel. Where the panel fits,
// it stands where its window's rule puts it (centred, at the top-left ...);
// where it does not, it starts at the view's top-left corner and the view's
// scroll bars reach the rest, so every control is in sight or a scroll away,
// never off the top or the left where nothing reaches it.
//
// The panel keeps its name and its controls; only its parent becomes the
// view's inner page. The view lays itself out again when the panel or the
// view changes size.
#pragma once
#include <QScrollArea>
#include <functional>

namespace vkz {

class PanelView : public QScrollArea {
  Q_OBJECT
 public:
  // Where a panel of size `panel` stands in a room of size `room`, in
  // pixels, by the window's rule (it may be negative or run past the room:
  // the view keeps the panel inside it).
  using PlaceRule = std::function<QPoint(QSize room, QSize panel)>;

  // Takes `panel` into a view made inside `parent`; without a rule the panel
  // stands at the top-left corner.
  PanelView(QWidget* parent, QWidget* panel, PlaceRule rule = {});

  QWidget* panel() const { return panel_; }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  // The inner page as large as the view or the panel, the panel in it.
  void relayout();

  QWidget* page_;
  QWidget* panel_;
  PlaceRule rule_;
  bool inLayout_ = false;
};

}  // namespace vkz
