// FlexGrid: the old flex grid (fixed rows and columns, TextMatrix, AddItem
// with TABs, column widths in twips) as a QTableView over vkz::GridData.
//
// The cell texts live in the Qt-free GridData, rows as TAB-joined strings,
// so the data-file and CSV writers and the reports read them directly
// (gridData()). The view asks the model for the visible cells only; row
// heights are uniform, and rows appended one by one reach the view in one
// notification when the event loop next turns (or at Refresh()), so a grid
// of a million records stays cheap.
//
// Fixed rows are drawn as the view's horizontal header (grey, they never
// scroll away); TextMatrix(0, c) is still the header text. Fixed columns
// are drawn grey inside the body.
//
// Setters return false where the old control raised a run-time error
// (an index outside the grid ...); nothing changes then. Getters given an
// index outside the grid return "" or -1.
#pragma once
#include <QAbstractTableModel>
#include <QBrush>
#include <QString>
#include <QTableView>
#include <string_view>
#include <vector>

#include "base/griddata.h"

namespace vkz {

// Cell alignment of a column, in the old control's numbering.
enum class FlexAlign : int {
  LeftTop = 0,
  LeftCenter = 1,
  LeftBottom = 2,
  CenterTop = 3,
  CenterCenter = 4,
  CenterBottom = 5,
  RightTop = 6,
  RightCenter = 7,
  RightBottom = 8,
  General = 9,  // left and vertically centred for text
};

// The table model of one FlexGrid; serves cells on demand from GridData.
// View row v is grid row v + (the fixed rows shown in the header).
class FlexGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  FlexGridModel(GridData& data, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Fixed rows currently drawn in the header (min(FixedRows, Rows)).
  int headerRows() const { return shownFixed_; }

  // Brings the view up to date with the data in as few notifications as
  // possible: appended rows in one insert, anything else in one reset or
  // one data change.
  void sync();
  // Asks for a sync when the event loop next turns (coalesces appends).
  void scheduleSync();
  // Marks every cell as changed (the next sync repaints them all).
  void markAllChanged() { allChanged_ = true; }
  // One cell changed (repainted at once when the view already shows it).
  void cellChanged(int row, int col);

  void setAlignments(const std::vector<FlexAlign>* a) { align_ = a; }
  void setFixedBrush(const QBrush& b) { fixedBrush_ = b; }

 signals:
  void synced();

 private:
  GridData& d_;
  const std::vector<FlexAlign>* align_ = nullptr;
  QBrush fixedBrush_;
  int shownRows_ = 0;
  int shownCols_ = 0;
  int shownFixed_ = 0;
  int shownFixedCols_ = 0;
  bool allChanged_ = false;
  bool syncQueued_ = false;
};

class FlexGrid : public QTableView {
  Q_OBJECT
 public:
  explicit FlexGrid(QWidget* parent = nullptr);
  ~FlexGrid() override;

  // The cell texts, for Qt-free readers and writers. After changing the
  // data directly, call Refresh() so the view shows it.
  const GridData& gridData() const { return data_; }
  GridData& gridData() { return data_; }

  // --- size ---------------------------------------------------------------
  int Rows() const { return data_.rows(); }
  int Cols() const { return data_.cols(); }
  int FixedRows() const { return data_.fixedRows(); }
  int FixedCols() const { return data_.fixedCols(); }
  // Growing adds empty cells, shrinking drops them; fixed counts above the
  // new size shrink with it; the current cell is kept inside the grid.
  bool setRows(int n);
  bool setCols(int n);
  // 0 .. Rows (resp. 0 .. Cols).
  bool setFixedRows(int n);
  bool setFixedCols(int n);

  // --- cells --------------------------------------------------------------
  QString TextMatrix(int row, int col) const;
  bool setTextMatrix(int row, int col, const QString& text);
  bool validCell(int row, int col) const;
  // The text of the current cell (Row, Col).
  QString Text() const { return TextMatrix(row_, col_); }
  bool setText(const QString& text) { return setTextMatrix(row_, col_, text); }
  // Appends a row (or inserts it before row `index`, 0 .. Rows) from cell
  // texts separated by TAB, filled from column 0; a TAB at the end is
  // allowed, surplus cells are dropped.
  bool AddItem(const QString& tabText, int index = -1);
  // The same from UTF-8 text, which goes to the grid's data as it is.
  bool AddItemUtf8(std::string_view utf8TabText, int index = -1);
  bool RemoveItem(int row);
  // Empties every cell text (fixed cells too); keeps rows, columns, widths.
  void Clear();

  // --- columns ------------------------------------------------------------
  // Width in twips; -1 when the column does not exist. Setting -1 gives the
  // default width back.
  int ColWidth(int col) const;
  bool setColWidth(int col, int twips);
  // With `on`, a column whose texts (fixed rows included) are wider than
  // its width is shown as wide as its widest text; ColWidth keeps the width
  // set. For grids of a few hundred rows at most: every text is measured.
  void setColumnsFitText(bool on);
  FlexAlign ColAlignment(int col) const;
  bool setColAlignment(int col, FlexAlign a);
  // Height of a row in twips (all rows are the same height).
  int RowHeight(int row) const;

  // --- current cell and scrolling -----------------------------------------
  int Row() const { return row_; }
  int Col() const { return col_; }
  bool setRow(int row);
  bool setCol(int col);
  // Position and size of the current cell in twips, relative to the grid.
  int CellLeft() const;
  int CellTop() const;
  int CellWidth() const;
  int CellHeight() const;
  // The first non-fixed row shown at the top; setting it scrolls.
  int TopRow() const;
  bool setTopRow(int row);
  // The cell under the mouse at the last press or double click (-1: none).
  int MouseRow() const { return mouseRow_; }
  int MouseCol() const { return mouseCol_; }

  // Shows every change made so far at once (otherwise appended rows show
  // when the event loop next turns) and repaints.
  void Refresh();

  FlexGridModel* gridModel() const { return model_; }

 signals:
  // A click / double click on a cell (row and column of the grid, fixed
  // cells included: a click on the header gives a fixed row). A click on a
  // non-fixed cell has made it the current cell before the signal.
  void cellClicked(int row, int col);
  void cellDoubleClicked(int row, int col);
  // The user moved the current cell (mouse or keys). Setting Row/Col from
  // code does not emit it.
  void rowColChange();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  void applyColumnWidths();
  int textWidth(int col) const;
  void applyCurrentToView();
  void afterSync();
  void onViewCurrentChanged(const QModelIndex& current);
  void clampCurrent();
  bool mapToGrid(const QPoint& viewportPos, int* row, int* col) const;
  QRect cellRectInGrid(int row, int col) const;

  GridData data_;
  FlexGridModel* model_ = nullptr;
  std::vector<int> colWidth_;  // twips, -1 = default
  std::vector<FlexAlign> align_;
  int row_ = 0;
  int col_ = 0;
  int mouseRow_ = -1;
  int mouseCol_ = -1;
  bool settingView_ = false;
  bool afterDoubleClick_ = false;  // a double click's release is no click
  bool fitText_ = false;
};

}  // namespace vkz
