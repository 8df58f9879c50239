#include "textfit.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QStyleOptionGroupBox>
#include <QToolButton>

#include "ui/flexgrid.h"

namespace vkz::test {

QString controlPath(const QWidget* w) {
  QStringList names;
  for (const QWidget* p = w; p; p = p->parentWidget()) {
    names.prepend(p->objectName().isEmpty() ? QString::fromLatin1(p->metaObject()->className())
                                            : p->objectName());
    if (p->isWindow()) break;
  }
  return names.join(QLatin1Char('/'));
}

namespace {
int textWidth(const QWidget* w, const QString& text);
}  // namespace

QRect labelTextRect(const QLabel* l) {
  // By its alignment, one line high per line.
  const QSize size(textWidth(l, l->text()), QFontMetrics(l->font()).height() *
                                                static_cast<int>(l->text().count(QLatin1Char('\n')) + 1));
  const QRect g = l->geometry();
  const Qt::Alignment a = l->alignment();
  const int x = a & Qt::AlignRight     ? g.right() + 1 - size.width()
                : a & Qt::AlignHCenter ? g.left() + (g.width() - size.width()) / 2
                                       : g.left();
  const int y = a & Qt::AlignTop      ? g.top()
                : a & Qt::AlignBottom ? g.bottom() + 1 - size.height()
                                      : g.top() + (g.height() - size.height()) / 2;
  return {QPoint(x, y), size};
}

namespace {

// The widest line of a text as `w` draws it (mnemonic ampersands hidden).
int textWidth(const QWidget* w, const QString& text) {
  const QFontMetrics fm(w->font());
  int widest = 0;
  for (const QString& line : text.split(QLatin1Char('\n')))
    widest = std::max(widest, fm.size(Qt::TextShowMnemonic, line).width());
  return widest;
}

// Shown on screen: visible, and not wholly outside what its parents show.
bool shown(const QWidget* w) {
  if (!w->isVisible()) return false;
  QRect r = w->rect();
  for (const QWidget* p = w; p && !p->isWindow(); p = p->parentWidget()) {
    r.translate(p->pos());
    r &= p->parentWidget()->rect();
    if (r.isEmpty()) return false;
  }
  return true;
}

class Walk {
 public:
  TextFitReport report;

  void check(const QWidget* w, const QString& text, int needed, int room, const QString& where = {}) {
    if (text.isEmpty()) return;
    ++report.measured;
    if (needed > room) report.overflows.push_back({controlPath(w) + where, text, needed, room});
  }

  void label(const QLabel* l) {
    if (l->text().isEmpty() || l->wordWrap()) return;
    QRect r = l->contentsRect().adjusted(l->margin(), 0, -l->margin(), 0);
    int indent = l->indent();
    if (indent < 0)
      indent = l->frameWidth() > 0 ? QFontMetrics(l->font()).horizontalAdvance(QLatin1Char('x')) / 2 : 0;
    if (l->alignment() & (Qt::AlignLeft | Qt::AlignRight)) r.setWidth(r.width() - indent);
    check(l, l->text(), textWidth(l, l->text()), r.width());
    coveredBySibling(l);
  }

  // A control drawn over a label (a sibling above it) hides the text under
  // it: the label's text must end before the first such control.
  void coveredBySibling(const QLabel* l) {
    const QWidget* parent = l->parentWidget();
    if (!parent || l->wordWrap()) return;
    const QRect text = labelTextRect(l);
    const QObjectList& siblings = parent->children();
    for (qsizetype i = siblings.indexOf(const_cast<QLabel*>(l)) + 1; i < siblings.size(); ++i) {
      const auto* w = qobject_cast<const QWidget*>(siblings[i]);
      if (!w || !w->isVisible() || !w->geometry().intersects(text)) continue;
      check(l, l->text(), text.width(), std::max(0, w->x() - l->x()),
            QStringLiteral(" under ") + w->objectName());
    }
  }

  void pushButton(const QPushButton* b) {
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    opt.features = b->isFlat() ? QStyleOptionButton::Flat : QStyleOptionButton::None;
    if (b->autoDefault() || b->isDefault()) opt.features |= QStyleOptionButton::AutoDefaultButton;
    const QRect r = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
    int needed = textWidth(b, b->text());
    if (!b->icon().isNull()) needed += b->iconSize().width() + 4;
    check(b, b->text(), needed, r.width());
    // A caption on several lines: every line within the button's height.
    const int lines = static_cast<int>(b->text().count(QLatin1Char('\n'))) + 1;
    if (lines > 1)
      check(b, b->text(), lines * QFontMetrics(b->font()).lineSpacing(), r.height(),
            QStringLiteral(" height"));
  }

  void indicatorButton(const QAbstractButton* b, QStyle::SubElement contents) {
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    const QRect r = b->style()->subElementRect(contents, &opt, b);
    check(b, b->text(), textWidth(b, b->text()), r.width());
  }

  void toolButton(const QToolButton* b) {
    if (b->toolButtonStyle() == Qt::ToolButtonIconOnly) return;
    check(b, b->text(), b->sizeHint().width(), b->width());
  }

  void groupBox(const QGroupBox* g) {
    if (g->title().isEmpty()) return;
    QStyleOptionGroupBox opt;
    opt.initFrom(g);
    opt.text = g->title();
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect label = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
    // The title starts where the style puts it and must end inside the frame.
    check(g, g->title(), label.left() + textWidth(g, g->title()), g->width());
  }

  // Every item of a list, since any of them may come to stand in its box.
  void comboBox(const QComboBox* c) {
    QStyleOptionComboBox opt;
    opt.initFrom(c);
    opt.editable = c->isEditable();
    opt.frame = c->hasFrame();
    const QRect field =
        c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
    // The style draws the item a pixel in from either side of the field.
    for (int i = 0; i < c->count(); ++i)
      check(c, c->itemText(i), textWidth(c, c->itemText(i)), field.width() - 2,
            QStringLiteral(" item %1").arg(i));
  }

  // The text a box holds, with the box's own margins and the cursor.
  void lineEdit(const QLineEdit* e) {
    QStyleOptionFrame opt;
    opt.initFrom(e);
    opt.lineWidth = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, e) : 0;
    const QMargins m = e->textMargins();
    const QRect r = e->style()->subElementRect(QStyle::SE_LineEditContents, &opt, e);
    check(e, e->text(), QFontMetrics(e->font()).horizontalAdvance(e->text()) + 1,
          r.width() - m.left() - m.right() - 4);
  }

  void window(const QWidget* w) { check(w, w->windowTitle(), textWidth(w, w->windowTitle()), w->width()); }

  void grid(const FlexGrid* g) {
    const QAbstractItemModel* m = g->model();
    const QStyle* style = g->style();
    const int cellMargin = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, g) + 1);
    const QHeaderView* head = g->horizontalHeader();
    const int headMargin = 2 * style->pixelMetric(QStyle::PM_HeaderMargin, nullptr, head);
    const int viewWidth = g->viewport()->width();
    const int firstRow = std::max(0, g->rowAt(0));
    int lastRow = g->rowAt(g->viewport()->height() - 1);
    if (lastRow < 0) lastRow = m->rowCount() - 1;
    for (int c = 0; c < m->columnCount(); ++c) {
      if (g->isColumnHidden(c)) continue;
      const int x = g->columnViewportPosition(c), width = g->columnWidth(c);
      if (x >= viewWidth || x + width <= 0) continue;  // scrolled out of view
      auto cell = [&](const QString& text, int margin, const QString& where) {
        check(g, text, textWidth(g, text) + margin, width, where);
      };
      if (head->isVisible())
        for (const QString& line : m->headerData(c, Qt::Horizontal).toString().split(QLatin1Char('\n')))
          cell(line, headMargin, QStringLiteral(" fixed row, column %1").arg(c));
      for (int r = firstRow; r <= lastRow && m->rowCount() > 0; ++r)
        cell(m->index(r, c).data().toString(), cellMargin,
             QStringLiteral(" row %1, column %2").arg(r).arg(c));
    }
  }

  void walk(const QWidget* w) {
    if (!shown(w)) return;
    if (w->isWindow() || w->inherits("QMdiSubWindow")) window(w);
    if (auto* l = qobject_cast<const QLabel*>(w))
      label(l);
    else if (auto* b = qobject_cast<const QPushButton*>(w))
      pushButton(b);
    else if (auto* c = qobject_cast<const QCheckBox*>(w))
      indicatorButton(c, QStyle::SE_CheckBoxContents);
    else if (auto* o = qobject_cast<const QRadioButton*>(w))
      indicatorButton(o, QStyle::SE_RadioButtonContents);
    else if (auto* t = qobject_cast<const QToolButton*>(w))
      toolButton(t);
    else if (auto* g = qobject_cast<const QGroupBox*>(w))
      groupBox(g);
    else if (auto* f = qobject_cast<const FlexGrid*>(w))
      grid(f);
    else if (auto* c = qobject_cast<const QComboBox*>(w))
      comboBox(c);
    else if (auto* e = qobject_cast<const QLineEdit*>(w))
      lineEdit(e);
    for (const QObject* child : w->children())
      if (child->isWidgetType()) walk(static_cast<const QWidget*>(child));
  }
};

}  // namespace

TextFitReport checkTexts(const QWidget* window) {
  Walk walk;
  walk.walk(window);
  return walk.report;
}

namespace {
// How many of a grid's sections (columns or rows) lie wholly inside its
// view: a header's sections against the viewport's extent along it.
int sectionsInView(const QHeaderView* header, int room) {
  int n = 0;
  for (int i = 0; i < header->count(); ++i) {
    const int at = header->sectionViewportPosition(i);
    if (!header->isSectionHidden(i) && at >= 0 && at + header->sectionSize(i) <= room) ++n;
  }
  return n;
}
}  // namespace

int columnsInView(const FlexGrid& grid) {
  return sectionsInView(grid.horizontalHeader(), grid.viewport()->width());
}

int rowsInView(const FlexGrid& grid) {
  return sectionsInView(grid.verticalHeader(), grid.viewport()->height());
}

}  // namespace vkz::test
