#include "ui/flexgrid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "ui/twips.h"

namespace vkz {
namespace {

// A cell's UTF-8 text as the view shows it: converted once, from the grid's
// own bytes.
QString utf8Text(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

Qt::Alignment toQt(FlexAlign a) {
  switch (a) {
    case FlexAlign::LeftTop:
      return Qt::AlignLeft | Qt::AlignTop;
    case FlexAlign::LeftCenter:
      return Qt::AlignLeft | Qt::AlignVCenter;
    case FlexAlign::LeftBottom:
      return Qt::AlignLeft | Qt::AlignBottom;
    case FlexAlign::CenterTop:
      return Qt::AlignHCenter | Qt::AlignTop;
    case FlexAlign::CenterCenter:
      return Qt::AlignCenter;
    case FlexAlign::CenterBottom:
      return Qt::AlignHCenter | Qt::AlignBottom;
    case FlexAlign::RightTop:
      return Qt::AlignRight | Qt::AlignTop;
    case FlexAlign::RightCenter:
      return Qt::AlignRight | Qt::AlignVCenter;
    case FlexAlign::RightBottom:
      return Qt::AlignRight | Qt::AlignBottom;
    case FlexAlign::General:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

// The old control's design-time defaults: 2 x 2 cells, one fixed row and
// one fixed column.
constexpr int kDefaultRows = 2;
constexpr int kDefaultCols = 2;

}  // namespace

// --- model ----------------------------------------------------------------

FlexGridModel::FlexGridModel(GridData& data, QObject* parent) : QAbstractTableModel(parent), d_(data) {}

int FlexGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shownRows_;
}

int FlexGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shownCols_;
}

QVariant FlexGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int c = index.column();
  switch (role) {
    case Qt::DisplayRole:
      // A row that the data lost before the view was told reads "".
      return utf8Text(d_.cellView(index.row() + shownFixed_, c));
    case Qt::TextAlignmentRole:
      if (align_ && c < static_cast<int>(align_->size()))
        return static_cast<int>(toQt((*align_)[static_cast<size_t>(c)]));
      return static_cast<int>(toQt(FlexAlign::General));
    case Qt::BackgroundRole:
      if (c < d_.fixedCols()) return fixedBrush_;
      return {};
    default:
      return {};
  }
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::DisplayRole) {
    QString s;
    for (int r = 0; r < shownFixed_; ++r) {
      if (r) s += QLatin1Char('\n');
      s += utf8Text(d_.cellView(r, section));
    }
    return s;
  }
  if (role == Qt::TextAlignmentRole) {
    if (align_ && section < static_cast<int>(align_->size()))
      return static_cast<int>(toQt((*align_)[static_cast<size_t>(section)]));
    return static_cast<int>(Qt::AlignCenter);
  }
  return {};
}

Qt::ItemFlags FlexGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void FlexGridModel::sync() {
  syncQueued_ = false;
  const int fixed = std::min(d_.fixedRows(), d_.rows());
  const int rows = d_.rows() - fixed;
  const int cols = d_.cols();
  if (fixed != shownFixed_ || cols != shownCols_ || rows < shownRows_) {
    beginResetModel();
    shownFixed_ = fixed;
    shownRows_ = rows;
    shownCols_ = cols;
    shownFixedCols_ = d_.fixedCols();
    allChanged_ = false;
    endResetModel();
  } else {
    if (rows > shownRows_) {
      // Every row appended since the last sync, in one notification.
      beginInsertRows(QModelIndex(), shownRows_, rows - 1);
      shownRows_ = rows;
      endInsertRows();
    }
    if (allChanged_ || shownFixedCols_ != d_.fixedCols()) {
      allChanged_ = false;
      shownFixedCols_ = d_.fixedCols();
      if (shownRows_ > 0 && shownCols_ > 0)
        emit dataChanged(index(0, 0), index(shownRows_ - 1, shownCols_ - 1));
      if (shownCols_ > 0) emit headerDataChanged(Qt::Horizontal, 0, shownCols_ - 1);
    }
  }
  emit synced();
}

void FlexGridModel::scheduleSync() {
  if (syncQueued_) return;
  syncQueued_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (syncQueued_) sync();
      },
      Qt::QueuedConnection);
}

void FlexGridModel::cellChanged(int row, int col) {
  if (col < 0 || col >= shownCols_) return;
  if (row < shownFixed_) {
    emit headerDataChanged(Qt::Horizontal, col, col);
  } else if (row - shownFixed_ < shownRows_) {
    QModelIndex i = index(row - shownFixed_, col);
    emit dataChanged(i, i, {Qt::DisplayRole});
  }
}

// --- grid -----------------------------------------------------------------

FlexGrid::FlexGrid(QWidget* parent) : QTableView(parent) {
  data_.setCols(kDefaultCols);
  data_.setRows(kDefaultRows);
  data_.setFixedRows(1);
  data_.setFixedCols(1);
  colWidth_.assign(kDefaultCols, -1);
  align_.assign(kDefaultCols, FlexAlign::General);

  model_ = new FlexGridModel(data_, this);
  model_->setAlignments(&align_);
  model_->setFixedBrush(palette().brush(QPalette::Button));
  setModel(model_);

  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

  // Uniform row heights: the view never measures rows.
  QHeaderView* vh = verticalHeader();
  vh->hide();
  vh->setSectionResizeMode(QHeaderView::Fixed);
  vh->setMinimumSectionSize(1);
  vh->setDefaultSectionSize(fontMetrics().height() + 4);

  // The fixed rows. Widths come from ColWidth only, never from contents.
  QHeaderView* hh = horizontalHeader();
  hh->setSectionResizeMode(QHeaderView::Fixed);
  hh->setStretchLastSection(false);
  hh->setSectionsClickable(false);
  hh->setHighlightSections(false);
  hh->setMinimumSectionSize(0);
  hh->setDefaultSectionSize(64);
  hh->viewport()->installEventFilter(this);

  // A grid that fits its columns to their texts measures them after every
  // sync (a reset included); the others only need the widths again on a reset.
  connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    if (!fitText_) applyColumnWidths();
  });
  connect(model_, &FlexGridModel::synced, this, &FlexGrid::afterSync);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& cur, const QModelIndex&) { onViewCurrentChanged(cur); });
  connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) {
    if (afterDoubleClick_) return;  // the release that ends a double click
    emit cellClicked(i.row() + model_->headerRows(), i.column());
  });
  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
    emit cellDoubleClicked(i.row() + model_->headerRows(), i.column());
  });

  model_->sync();
}

FlexGrid::~FlexGrid() = default;

bool FlexGrid::setRows(int n) {
  if (n < 0) return false;
  data_.setRows(n);
  if (data_.fixedRows() > n) data_.setFixedRows(n);
  clampCurrent();
  model_->sync();
  return true;
}

bool FlexGrid::setCols(int n) {
  if (n < 0) return false;
  data_.setCols(n);
  if (data_.fixedCols() > n) data_.setFixedCols(n);
  colWidth_.resize(static_cast<size_t>(n), -1);
  align_.resize(static_cast<size_t>(n), FlexAlign::General);
  clampCurrent();
  model_->sync();
  return true;
}

bool FlexGrid::setFixedRows(int n) {
  if (n < 0 || n > data_.rows()) return false;
  data_.setFixedRows(n);
  model_->sync();
  return true;
}

bool FlexGrid::setFixedCols(int n) {
  if (n < 0 || n > data_.cols()) return false;
  data_.setFixedCols(n);
  model_->sync();
  return true;
}

bool FlexGrid::validCell(int row, int col) const {
  return row >= 0 && row < data_.rows() && col >= 0 && col < data_.cols();
}

QString FlexGrid::TextMatrix(int row, int col) const {
  return utf8Text(data_.cellView(row, col));
}

bool FlexGrid::setTextMatrix(int row, int col, const QString& text) {
  if (!data_.setText(row, col, text.toStdString())) return false;
  model_->cellChanged(row, col);
  if (fitText_) model_->scheduleSync();  // the widths follow when the loop turns
  return true;
}

bool FlexGrid::AddItem(const QString& tabText, int index) {
  return AddItemUtf8(tabText.toStdString(), index);
}

bool FlexGrid::AddItemUtf8(std::string_view utf8TabText, int index) {
  const int rows = data_.rows();
  if (index < -1 || index > rows) return false;
  const bool append = index < 0 || index == rows;
  data_.addItem(utf8TabText, append ? -1 : index);
  if (!append) model_->markAllChanged();
  model_->scheduleSync();
  return true;
}

bool FlexGrid::RemoveItem(int row) {
  if (!data_.removeItem(row)) return false;
  if (data_.fixedRows() > data_.rows()) data_.setFixedRows(data_.rows());
  clampCurrent();
  model_->sync();
  return true;
}

void FlexGrid::Clear() {
  const int n = data_.rows();
  data_.setRows(0);
  data_.setRows(n);
  model_->markAllChanged();
  model_->sync();
}

int FlexGrid::ColWidth(int col) const {
  if (col < 0 || col >= data_.cols()) return -1;
  const int w = colWidth_[static_cast<size_t>(col)];
  return w >= 0 ? w : pixelsToTwipsX(horizontalHeader()->defaultSectionSize());
}

bool FlexGrid::setColWidth(int col, int twips) {
  if (col < 0 || col >= data_.cols() || twips < -1) return false;
  colWidth_[static_cast<size_t>(col)] = twips;
  if (col < model_->columnCount()) applyColumnWidths();
  return true;
}

FlexAlign FlexGrid::ColAlignment(int col) const {
  if (col < 0 || col >= static_cast<int>(align_.size())) return FlexAlign::General;
  return align_[static_cast<size_t>(col)];
}

bool FlexGrid::setColAlignment(int col, FlexAlign a) {
  if (col < 0 || col >= data_.cols()) return false;
  if (static_cast<int>(a) < 0 || static_cast<int>(a) > static_cast<int>(FlexAlign::General)) return false;
  align_[static_cast<size_t>(col)] = a;
  model_->markAllChanged();
  model_->scheduleSync();
  return true;
}

int FlexGrid::RowHeight(int row) const {
  if (row < 0 || row >= data_.rows()) return -1;
  return pixelsToTwipsY(verticalHeader()->defaultSectionSize());
}

bool FlexGrid::setRow(int row) {
  if (row < 0 || row >= data_.rows()) return false;
  row_ = row;
  model_->scheduleSync();  // the view's highlight follows when the loop turns
  return true;
}

bool FlexGrid::setCol(int col) {
  if (col < 0 || col >= data_.cols()) return false;
  col_ = col;
  model_->scheduleSync();
  return true;
}

void FlexGrid::clampCurrent() {
  row_ = std::clamp(row_, 0, std::max(0, data_.rows() - 1));
  col_ = std::clamp(col_, 0, std::max(0, data_.cols() - 1));
}

QRect FlexGrid::cellRectInGrid(int row, int col) const {
  model_->sync();
  const int fixed = model_->headerRows();
  if (!validCell(row, col)) return {};
  if (row >= fixed) {
    QRect r = visualRect(model_->index(row - fixed, col));
    return r.translated(viewport()->pos());
  }
  const QHeaderView* hh = horizontalHeader();
  const int lineH = fixed > 0 ? hh->height() / fixed : hh->height();
  return QRect(hh->pos().x() + hh->sectionViewportPosition(col), hh->pos().y() + row * lineH,
               hh->sectionSize(col), lineH);
}

int FlexGrid::CellLeft() const {
  return pixelsToTwipsX(cellRectInGrid(row_, col_).left());
}
int FlexGrid::CellTop() const {
  return pixelsToTwipsY(cellRectInGrid(row_, col_).top());
}
int FlexGrid::CellWidth() const {
  return pixelsToTwipsX(cellRectInGrid(row_, col_).width());
}
int FlexGrid::CellHeight() const {
  return pixelsToTwipsY(cellRectInGrid(row_, col_).height());
}

int FlexGrid::TopRow() const {
  model_->sync();
  const int fixed = model_->headerRows();
  if (model_->rowCount() == 0) return fixed;
  return verticalScrollBar()->value() + fixed;
}

bool FlexGrid::setTopRow(int row) {
  model_->sync();
  const int fixed = model_->headerRows();
  if (row < fixed || row >= data_.rows()) return false;
  verticalScrollBar()->setValue(row - fixed);
  return true;
}

void FlexGrid::Refresh() {
  model_->markAllChanged();
  model_->sync();
  viewport()->update();
}

void FlexGrid::setColumnsFitText(bool on) {
  fitText_ = on;
  applyColumnWidths();
}

// The widest text of a column as the view draws it: fixed rows in the
// header, the others as cells, each with its margins.
int FlexGrid::textWidth(int col) const {
  const QHeaderView* hh = horizontalHeader();
  const QFontMetrics body = fontMetrics(), head = hh->fontMetrics();
  const int bodyMargin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
  const int headMargin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, hh);
  const int fixed = model_->headerRows();
  int widest = 0;
  for (int r = 0; r < data_.rows(); ++r) {
    const std::string_view text = data_.cellView(r, col);
    if (text.empty()) continue;
    const QString t = utf8Text(text);
    widest = std::max(
        widest, r < fixed ? head.horizontalAdvance(t) + headMargin : body.horizontalAdvance(t) + bodyMargin);
  }
  return widest;
}

void FlexGrid::applyColumnWidths() {
  QHeaderView* hh = horizontalHeader();
  const int n = std::min(model_->columnCount(), static_cast<int>(colWidth_.size()));
  for (int c = 0; c < n; ++c) {
    const int w = colWidth_[static_cast<size_t>(c)];
    int px = w >= 0 ? twipsToPixelsX(w) : hh->defaultSectionSize();
    hh->setSectionHidden(c, px == 0);
    if (px > 0 && fitText_) px = std::max(px, textWidth(c));
    if (px > 0) hh->resizeSection(c, px);
  }
}

void FlexGrid::afterSync() {
  horizontalHeader()->setVisible(model_->headerRows() > 0);
  if (fitText_) applyColumnWidths();
  applyCurrentToView();
}

void FlexGrid::applyCurrentToView() {
  const int fixed = model_->headerRows();
  // Setting Row and Col from code moves the highlight but never scrolls.
  settingView_ = true;
  const bool scroll = hasAutoScroll();
  setAutoScroll(false);
  if (row_ >= fixed && row_ - fixed < model_->rowCount() && col_ < model_->columnCount()) {
    QModelIndex i = model_->index(row_ - fixed, col_);
    if (selectionModel()->currentIndex() != i)
      selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
  } else if (selectionModel()->currentIndex().isValid()) {
    selectionModel()->clearCurrentIndex();
    selectionModel()->clearSelection();
  }
  setAutoScroll(scroll);
  settingView_ = false;
}

void FlexGrid::onViewCurrentChanged(const QModelIndex& current) {
  if (settingView_ || !current.isValid()) return;
  row_ = current.row() + model_->headerRows();
  col_ = current.column();
  emit rowColChange();
}

bool FlexGrid::mapToGrid(const QPoint& pos, int* row, int* col) const {
  const int r = rowAt(pos.y());
  const int c = columnAt(pos.x());
  if (r < 0 || c < 0) return false;
  *row = r + model_->headerRows();
  *col = c;
  return true;
}

void FlexGrid::mousePressEvent(QMouseEvent* e) {
  model_->sync();
  afterDoubleClick_ = false;
  if (!mapToGrid(e->position().toPoint(), &mouseRow_, &mouseCol_)) mouseRow_ = mouseCol_ = -1;
  QTableView::mousePressEvent(e);
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* e) {
  model_->sync();
  afterDoubleClick_ = true;
  if (!mapToGrid(e->position().toPoint(), &mouseRow_, &mouseCol_)) mouseRow_ = mouseCol_ = -1;
  QTableView::mouseDoubleClickEvent(e);
}

bool FlexGrid::eventFilter(QObject* watched, QEvent* event) {
  // Clicks on the header are clicks on the fixed rows.
  if (watched == horizontalHeader()->viewport()) {
    const auto type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
        type == QEvent::MouseButtonDblClick) {
      auto* me = static_cast<QMouseEvent*>(event);
      const QPoint p = me->position().toPoint();
      const int fixed = model_->headerRows();
      const int col = horizontalHeader()->logicalIndexAt(p.x());
      const int h = horizontalHeader()->height();
      const int row = (fixed > 0 && h > 0) ? std::clamp(p.y() * fixed / h, 0, fixed - 1) : 0;
      if (col >= 0 && fixed > 0) {
        if (type == QEvent::MouseButtonPress) {
          mouseRow_ = row;
          mouseCol_ = col;
          afterDoubleClick_ = false;
        } else if (type == QEvent::MouseButtonRelease) {
          if (!afterDoubleClick_) emit cellClicked(row, col);
        } else {
          mouseRow_ = row;
          mouseCol_ = col;
          afterDoubleClick_ = true;
          emit cellDoubleClicked(row, col);
        }
      }
    }
  }
  return QTableView::eventFilter(watched, event);
}

}  // namespace vkz
