#include "base/griddata.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace vkz {

std::vector<std::string> splitTabs(std::string_view text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t tab = text.find('\t', start);
    if (tab == std::string_view::npos) {
      out.emplace_back(text.substr(start));
      break;
    }
    out.emplace_back(text.substr(start, tab - start));
    start = tab + 1;
  }
  return out;
}

namespace {

// The arena never shrinks below this when it grows (small grids of a few
// rows then grow once or twice).
constexpr std::size_t kMinArena = 256;
// Left-behind bytes below this are never worth a compaction.
constexpr std::size_t kMinGarbage = 4096;

const char* findTab(const char* p, const char* end) {
  return static_cast<const char*>(std::memchr(p, '\t', static_cast<size_t>(end - p)));
}

// Where cell `col` of a row text starts and ends.
std::pair<size_t, size_t> cellBounds(std::string_view row, int col) {
  const char* p = row.data();
  const char* end = p + row.size();
  const char* start = p;
  for (int c = 0; c < col && start; ++c) {
    const char* tab = findTab(start, end);
    start = tab ? tab + 1 : nullptr;
  }
  if (!start) return {row.size(), row.size()};
  const char* tab = findTab(start, end);
  return {static_cast<size_t>(start - p), static_cast<size_t>((tab ? tab : end) - p)};
}

}  // namespace

GridData::GridData(const GridData& other)
    : spans_(other.spans_),
      cols_(other.cols_),
      fixedRows_(other.fixedRows_),
      fixedCols_(other.fixedCols_),
      revision_(other.revision_) {
  if (other.used_ > 0) {
    arena_ = static_cast<char*>(std::malloc(other.used_));
    if (!arena_) throw std::bad_alloc();
    std::memcpy(arena_, other.arena_, other.used_);
    used_ = cap_ = other.used_;
    live_ = other.live_;
  }
}

GridData::GridData(GridData&& other) noexcept
    : arena_(std::exchange(other.arena_, nullptr)),
      used_(std::exchange(other.used_, 0)),
      cap_(std::exchange(other.cap_, 0)),
      live_(std::exchange(other.live_, 0)),
      spans_(std::move(other.spans_)),
      cols_(other.cols_),
      fixedRows_(other.fixedRows_),
      fixedCols_(other.fixedCols_),
      revision_(other.revision_) {
  other.spans_.clear();
}

GridData& GridData::operator=(const GridData& other) {
  if (this != &other) {
    GridData copy(other);
    *this = std::move(copy);
  }
  return *this;
}

GridData& GridData::operator=(GridData&& other) noexcept {
  if (this != &other) {
    std::free(arena_);
    arena_ = std::exchange(other.arena_, nullptr);
    used_ = std::exchange(other.used_, 0);
    cap_ = std::exchange(other.cap_, 0);
    live_ = std::exchange(other.live_, 0);
    spans_ = std::move(other.spans_);
    other.spans_.clear();
    cols_ = other.cols_;
    fixedRows_ = other.fixedRows_;
    fixedCols_ = other.fixedCols_;
    revision_ = other.revision_;
  }
  return *this;
}

GridData::~GridData() {
  std::free(arena_);
}

// The arena moves with realloc: rows are places in it, not pointers.
void GridData::resizeArena(std::size_t newCap) {
  char* p = static_cast<char*>(std::realloc(arena_, newCap == 0 ? 1 : newCap));
  if (!p) throw std::bad_alloc();
  arena_ = p;
  cap_ = newCap;
}

std::string_view GridData::longRow(Span s) const {
  std::uint64_t len;
  std::memcpy(&len, arena_ + s.off - sizeof len, sizeof len);
  return {arena_ + s.off, static_cast<size_t>(len)};
}

void GridData::growArena(std::size_t extra, std::string_view* alias) {
  if (extra > kMaxArena - used_) throw std::bad_alloc();
  std::size_t want = std::max({used_ + extra, cap_ + cap_ / 2, kMinArena});
  want = std::min<std::size_t>(want, kMaxArena);
  std::ptrdiff_t aliasAt = -1;
  if (alias && arena_) {
    const auto a = reinterpret_cast<std::uintptr_t>(alias->data());
    const auto base = reinterpret_cast<std::uintptr_t>(arena_);
    if (a >= base && a < base + used_) aliasAt = static_cast<std::ptrdiff_t>(a - base);
  }
  resizeArena(want);
  if (aliasAt >= 0) *alias = std::string_view(arena_ + aliasAt, alias->size());
}

void GridData::reserveBytes(std::size_t bytes) {
  if (bytes <= cap_ - used_) return;
  if (bytes > kMaxArena - used_) bytes = kMaxArena - used_;
  resizeArena(used_ + bytes);
}

inline char* GridData::openRow(std::size_t len, Span& span) {
  std::size_t at = used_;
  if (len >= kLongRow) {
    const std::uint64_t n = len;
    std::memcpy(arena_ + at, &n, sizeof n);
    at += sizeof n;
    span.len = kLongRow;
  } else {
    span.len = len;
  }
  span.off = at;
  used_ = at + len;
  return arena_ + at;
}

namespace {

// The TABs of a text, counted.
size_t countTabs(std::string_view text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\t'));
}

}  // namespace

GridData::Span GridData::putNormalised(std::string_view tabText, std::size_t tabs) {
  Span span{0, 0};
  if (cols_ <= 0) return span;
  const size_t want = static_cast<size_t>(cols_ - 1);  // TABs of a row
  size_t keep = tabText.size();
  size_t missing = 0;
  if (tabs == want) {
    // Exactly cols_ cells: taken as they are.
  } else if (tabs == want + 1 && tabText.back() == '\t') {
    --keep;  // and a TAB at the end, as a line of the data file has
  } else {
    // Find where cell cols_ - 1 ends; count the cells that are missing.
    const char* p = tabText.data();
    const char* end = p + tabText.size();
    const char* cell = p;
    int c = 1;
    for (; c < cols_; ++c) {
      const char* tab = findTab(cell, end);
      if (!tab) break;
      cell = tab + 1;
    }
    if (c == cols_) {
      if (const char* tab = findTab(cell, end)) keep = static_cast<size_t>(tab - p);
    } else {
      missing = static_cast<size_t>(cols_ - c);
    }
  }
  const size_t len = keep + missing;
  grow(len + sizeof(std::uint64_t), &tabText);
  char* out = openRow(len, span);
  std::memcpy(out, tabText.data(), keep);
  std::memset(out + keep, '\t', missing);
  return span;
}

void GridData::maybeCompact() {
  if (spans_.empty()) {
    used_ = live_ = 0;
    return;
  }
  if (used_ >= kMinGarbage && live_ < used_ / 2 && used_ - live_ >= kMinGarbage) rebuild(cols_);
}

// Writes every row anew into a fresh arena, cut or padded to `newCols`
// cells. Rows next to each other that share one text keep sharing it.
void GridData::rebuild(int newCols) {
  GridData next;
  next.cols_ = newCols;
  std::size_t estimate = std::min(live_, used_);
  if (newCols > cols_) estimate += spans_.size() * static_cast<size_t>(newCols - cols_);
  next.reserveBytes(estimate);
  next.spans_.reserve(spans_.size());
  Span prevOld{0, 0}, prevNew{0, 0};
  bool havePrev = false;
  for (size_t i = 0; i < spans_.size(); ++i) {
    const Span s = spans_[i];
    Span n;
    if (havePrev && s.off == prevOld.off && s.len == prevOld.len) {
      n = prevNew;
    } else {
      std::string_view text = rowText(static_cast<int>(i));
      if (newCols == cols_) {
        next.grow(text.size() + sizeof(std::uint64_t));
        char* out = next.openRow(text.size(), n);
        std::memcpy(out, text.data(), text.size());
      } else {
        n = next.putNormalised(text, countTabs(text));
      }
    }
    next.live_ += next.spanSize(n);
    next.spans_.push_back(n);
    prevOld = s;
    prevNew = n;
    havePrev = true;
  }
  std::swap(arena_, next.arena_);
  std::swap(used_, next.used_);
  std::swap(cap_, next.cap_);
  std::swap(live_, next.live_);
  spans_.swap(next.spans_);
  cols_ = newCols;
}

void GridData::setRows(int n) {
  if (n < 0) n = 0;
  const size_t want = static_cast<size_t>(n);
  if (want > spans_.size()) {
    const size_t len = static_cast<size_t>(cols_ > 0 ? cols_ - 1 : 0);
    spans_.reserve(want);
    grow(len + sizeof(std::uint64_t));
    Span empty{0, 0};
    char* out = openRow(len, empty);
    std::memset(out, '\t', len);
    live_ += (want - spans_.size()) * len;
    spans_.resize(want, empty);  // the new rows share one text
  } else {
    for (size_t i = want; i < spans_.size(); ++i) live_ -= spanSize(spans_[i]);
    spans_.resize(want);
    maybeCompact();
  }
  ++revision_;
}

void GridData::setCols(int n) {
  if (n < 0) n = 0;
  if (n == cols_) return;
  if (spans_.empty())
    cols_ = n;
  else
    rebuild(n);
  ++revision_;
}

std::string GridData::text(int row, int col) const {
  return std::string(cellView(row, col));
}

std::string_view GridData::cellView(int row, int col) const {
  if (row < 0 || row >= rows() || col < 0 || col >= cols_) return {};
  std::string_view r = rowText(row);
  auto [start, end] = cellBounds(r, col);
  return r.substr(start, end - start);
}

bool GridData::setText(int row, int col, std::string_view value) {
  if (row < 0 || row >= rows() || col < 0 || col >= cols_) return false;
  const Span old = spans_[static_cast<size_t>(row)];
  std::string_view r = rowText(row);
  const size_t rowAt = static_cast<size_t>(r.data() - arena_);
  const size_t rowLen = r.size();
  auto [start, end] = cellBounds(r, col);
  const size_t len = rowLen - (end - start) + value.size();
  grow(len + sizeof(std::uint64_t), &value);  // may move the arena
  Span span{0, 0};
  char* out = openRow(len, span);
  const char* src = arena_ + rowAt;
  std::memcpy(out, src, start);
  // A TAB inside a cell would split it on the next read: it becomes a blank.
  char* v = out + start;
  for (char ch : value) *v++ = ch == '\t' ? ' ' : ch;
  std::memcpy(v, src + end, rowLen - end);
  live_ -= spanSize(old);
  live_ += spanSize(span);
  spans_[static_cast<size_t>(row)] = span;
  maybeCompact();
  ++revision_;
  return true;
}

void GridData::addItem(std::string_view tabText, int at) {
  const Span span = putNormalised(tabText, countTabs(tabText));
  if (at < 0 || at >= rows())
    spans_.push_back(span);
  else
    spans_.insert(spans_.begin() + at, span);
  live_ += spanSize(span);
  ++revision_;
}

bool GridData::removeItem(int row) {
  if (row < 0 || row >= rows()) return false;
  live_ -= spanSize(spans_[static_cast<size_t>(row)]);
  spans_.erase(spans_.begin() + row);
  maybeCompact();
  ++revision_;
  return true;
}

void GridData::truncate(int keep) {
  if (keep < 0) keep = 0;
  if (static_cast<size_t>(keep) < spans_.size()) setRows(keep);
  ++revision_;
}

void GridData::clear() {
  std::free(arena_);
  arena_ = nullptr;
  used_ = cap_ = live_ = 0;
  spans_.clear();
  spans_.shrink_to_fit();
  ++revision_;
}

}  // namespace vkz
