#include "ui/panelview.h"

#include <QEvent>
#include <algorithm>

namespace vkz {

PanelView::PanelView(QWidget* parent, QWidget* panel, PlaceRule rule)
    : QScrollArea(parent), page_(new QWidget), panel_(panel), rule_(std::move(rule)) {
  setObjectName(panel->objectName() + QStringLiteral("View"));
  setFrameShape(QFrame::NoFrame);
  setWidgetResizable(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // The window's own background shows around the panel.
  viewport()->setAutoFillBackground(false);
  page_->setAutoFillBackground(false);
  page_->setObjectName(panel->objectName() + QStringLiteral("Page"));
  panel->setParent(page_);
  panel->show();
  setWidget(page_);
  viewport()->installEventFilter(this);
  panel->installEventFilter(this);
  relayout();
}

void PanelView::relayout() {
  if (inLayout_) return;
  inLayout_ = true;
  const QSize panel = panel_->size();
  const QSize room = viewport()->size();
  page_->resize(room.expandedTo(panel));
  const QSize page = page_->size();
  QPoint at = rule_ ? rule_(page, panel) : QPoint();
  // Never left of or above the page, where no scroll bar reaches.
  at.setX(std::clamp(at.x(), 0, std::max(0, page.width() - panel.width())));
  at.setY(std::clamp(at.y(), 0, std::max(0, page.height() - panel.height())));
  panel_->move(at);
  inLayout_ = false;
}

bool PanelView::eventFilter(QObject* o, QEvent* e) {
  if ((o == viewport() || o == panel_) && e->type() == QEvent::Resize) relayout();
  return QScrollArea::eventFilter(o, e);
}

}  // namespace vkz
