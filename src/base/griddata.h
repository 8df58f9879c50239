// The text content of a flex grid: rows of cells, the first `fixedRows` of
// them header rows. Qt-free, so the data-file and CSV writers, the reports
// and the tests read it directly; FlexGrid shows it in a QTableView.
//
// Each row is kept as one text with its cells separated by TAB, so a grid of
// a million records stays small (a cell is cut out when it is read). The row
// texts of a grid share one character buffer, its arena: appending a row
// copies its text to the arena's end, and a row is a place and a length in
// the arena (8 bytes), so a million rows cost a million small copies and no
// allocation of their own. A changed row is written anew at the end; the
// bytes it leaves behind are reclaimed (the arena compacted) once they are
// more than half of it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vkz {

class GridData {
 public:
  GridData() = default;
  GridData(const GridData& other);
  GridData(GridData&& other) noexcept;
  GridData& operator=(const GridData& other);
  GridData& operator=(GridData&& other) noexcept;
  ~GridData();

  int rows() const { return static_cast<int>(spans_.size()); }
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
  // The same as a view into the grid's arena, valid as rowText()'s is; the
  // view shows a cell without a copy of its text.
  std::string_view cellView(int row, int col) const;
  bool setText(int row, int col, std::string_view value);

  // AddItem: appends (or, with `at` >= 0, inserts before row `at`) a row
  // from TAB-separated cells filled from column 0; cells past the last
  // column are dropped, missing ones stay empty. A TAB at the end is allowed.
  void addItem(std::string_view tabText, int at = -1);
  // RemoveItem.
  bool removeItem(int row);
  // Drops every row after the first `keep`.
  void truncate(int keep);
  // Drops every row and frees the memory of their texts.
  void clear();

  // The row as one TAB-joined text (exactly cols() cells, no TAB at the
  // end). The view points into the grid's arena: it is valid until the grid
  // next changes (any call above that is not const), then it must not be
  // used. `row` must be inside the grid.
  std::string_view rowText(int row) const {
    const Span s = spans_[static_cast<size_t>(row)];
    return s.len == kLongRow ? longRow(s) : std::string_view(arena_ + s.off, s.len);
  }

  // Room for `rows` rows without growing again (a hint: too small or too
  // large only costs time or unused memory).
  void reserve(int rows) { spans_.reserve(rows < 0 ? 0 : static_cast<size_t>(rows)); }

  // Bumped on every change, so views know when to refresh.
  std::uint64_t revision() const { return revision_; }

 private:
  // A row: its text's offset in the arena and its length. A row of kLongRow
  // bytes or more keeps its length in the 8 bytes before its text instead.
  struct Span {
    std::uint64_t off : 40;
    std::uint64_t len : 24;
  };
  static constexpr std::uint64_t kLongRow = (std::uint64_t{1} << 24) - 1;
  static constexpr std::uint64_t kMaxArena = std::uint64_t{1} << 40;

  std::string_view longRow(Span s) const;
  // Makes room for `extra` more bytes; `alias` (a text that may lie in the
  // arena) is moved along when the arena moves.
  void grow(std::size_t extra, std::string_view* alias = nullptr) {
    if (extra > cap_ - used_) growArena(extra, alias);
  }
  void growArena(std::size_t extra, std::string_view* alias);
  void resizeArena(std::size_t newCap);
  // Room for `bytes` more bytes of row text without growing again.
  void reserveBytes(std::size_t bytes);
  // Opens a row of `len` bytes at the arena's end (room already made) and
  // returns where its text goes.
  char* openRow(std::size_t len, Span& span);
  // Writes `tabText` (with `tabs` TABs) cut or padded to cols_ cells as a
  // new row.
  Span putNormalised(std::string_view tabText, std::size_t tabs);
  // Arena bytes of a row (its text, and its length when kept apart).
  std::size_t spanSize(Span s) const { return s.len == kLongRow ? longRow(s).size() + 8 : s.len; }
  // Copies the live rows to a fresh arena when more than half of the arena is
  // left-behind bytes.
  void maybeCompact();
  void rebuild(int newCols);

  char* arena_ = nullptr;  // from malloc, cap_ bytes; texts of all rows
  std::size_t used_ = 0;   // bytes written to the arena
  std::size_t cap_ = 0;    // bytes allocated
  std::size_t live_ = 0;   // bytes of the rows' texts (rows that share a text count it each)
  std::vector<Span> spans_;
  int cols_ = 0;
  int fixedRows_ = 0;
  int fixedCols_ = 0;
  std::uint64_t revision_ = 0;
};

// Splits a text at TAB characters (an empty text gives one empty field).
std::vector<std::string> splitTabs(std::string_view text);

}  // namespace vkz
