#include "ui/panelview.h"

#include <QEvent>
#include <QScrollBar>
#include <QStyle>
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
  const bool shown = !panel->isHidden();
  panel->setParent(page_);
  panel->setVisible(shown);
  setWidget(page_);
  setVisible(shown);
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

void PanelView::fitPanelIn(const QRect& room) {
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  QSize want = panel_->size();
  // A scroll bar across takes height, one down takes width, and either may
  // make the other needed.
  bool across = want.width() > room.width();
  bool down = want.height() + (across ? bar : 0) > room.height();
  if (down && !across) across = want.width() + bar > room.width();
  want += QSize(down ? bar : 0, across ? bar : 0);
  setGeometry(QRect(room.topLeft(), want.boundedTo(room.size())));
  relayout();
}

bool PanelView::eventFilter(QObject* o, QEvent* e) {
  if (o == viewport() && e->type() == QEvent::Resize) {
    relayout();
  } else if (o == panel_) {
    switch (e->type()) {
      case QEvent::Resize:
        relayout();
        break;
      case QEvent::ShowToParent:
        show();
        raise();
        break;
      case QEvent::HideToParent:
        hide();
        break;
      default:
        break;
    }
  }
  return QScrollArea::eventFilter(o, e);
}

}  // namespace vkz
