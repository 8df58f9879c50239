// The text content of a flex grid: rows of cells, the first `fixedRows` of
// them header rows. Qt-free, so the data-file and CSV writers, the reports
// and the tests read it directly; FlexGrid shows it in a QTableView.
//
// Each row is kept as one text with its cells separated by TAB, so a grid of
// a million records stays small (a cell is cut out when it is read).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vkz {

class GridData {
 public:
  int rows() const { return static_cast<int>(rows_.size()); }
  int cols() const { return cols_; }
  int fixedRows() const { return fixedRows_; }
  int fixedCols() const { return fixedCols_; }

  // Row and column counts as the old grid set them: growing adds empty
  // cells, shrinking drops them.
  void setRows(int n);
  void setCols(int n);
  void setFixedRows(int n) { fixedRows_ = n < 0 ? 0 : n; }
  void setFixedCols(int n) { fixedCols_ = n < 0 ? 0 : n; }

  // Cell text (TextMatrix); an index outside the grid reads "" and writes
  // nothing, and returns false.
  std::string text(int row, int col) const;
  bool setText(int row, int col, std::string_view value);

  // AddItem: appends (or, with `at` >= 0, inserts before row `at`) a row
  // from TAB-separated cells filled from column 0; cells past the last
  // column are dropped, missing ones stay empty. A TAB at the end is allowed.
  void addItem(std::string_view tabText, int at = -1);
  // RemoveItem.
  bool removeItem(int row);
  // Drops every row after the first `keep`.
  void truncate(int keep);
  void clear();

  // The row as one TAB-joined text (exactly cols() cells, no TAB at the end).
  const std::string& rowText(int row) const { return rows_[static_cast<size_t>(row)]; }
  void reserve(int rows) { rows_.reserve(static_cast<size_t>(rows)); }

  // Bumped on every change, so views know when to refresh.
  std::uint64_t revision() const { return revision_; }

 private:
  std::string normalise(std::string_view tabText) const;
  std::vector<std::string> rows_;
  int cols_ = 0;
  int fixedRows_ = 0;
  int fixedCols_ = 0;
  std::uint64_t revision_ = 0;
};

// Splits a text at TAB characters (an empty text gives one empty field).
std::vector<std::string> splitTabs(std::string_view text);

}  // namespace vkz
