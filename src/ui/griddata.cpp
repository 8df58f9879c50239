#include "ui/griddata.h"

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

std::string GridData::normalise(std::string_view tabText) const {
  std::string row;
  row.reserve(tabText.size() + static_cast<size_t>(cols_));
  size_t start = 0;
  bool more = true;
  for (int c = 0; c < cols_; ++c) {
    if (c) row += '\t';
    if (!more) continue;
    size_t tab = tabText.find('\t', start);
    if (tab == std::string_view::npos) {
      row.append(tabText.substr(start));
      more = false;
    } else {
      row.append(tabText.substr(start, tab - start));
      start = tab + 1;
    }
  }
  return row;
}

void GridData::setRows(int n) {
  if (n < 0) n = 0;
  std::string empty(static_cast<size_t>(cols_ > 0 ? cols_ - 1 : 0), '\t');
  rows_.resize(static_cast<size_t>(n), empty);
  ++revision_;
}

void GridData::setCols(int n) {
  if (n < 0) n = 0;
  if (n == cols_) return;
  int old = cols_;
  cols_ = n;
  for (auto& r : rows_) {
    if (n > old) {
      r.append(static_cast<size_t>(old == 0 ? n - 1 : n - old), '\t');
    } else {
      r = normalise(r);
    }
  }
  ++revision_;
}

std::string GridData::text(int row, int col) const {
  if (row < 0 || row >= rows() || col < 0 || col >= cols_) return {};
  const std::string& r = rows_[static_cast<size_t>(row)];
  size_t start = 0;
  for (int c = 0; c < col; ++c) start = r.find('\t', start) + 1;
  size_t end = r.find('\t', start);
  return r.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool GridData::setText(int row, int col, std::string_view value) {
  if (row < 0 || row >= rows() || col < 0 || col >= cols_) return false;
  std::string& r = rows_[static_cast<size_t>(row)];
  size_t start = 0;
  for (int c = 0; c < col; ++c) start = r.find('\t', start) + 1;
  size_t end = r.find('\t', start);
  if (end == std::string::npos) end = r.size();
  // A TAB inside a cell would split it on the next read: it becomes a blank.
  std::string v(value);
  for (char& ch : v)
    if (ch == '\t') ch = ' ';
  r.replace(start, end - start, v);
  ++revision_;
  return true;
}

void GridData::addItem(std::string_view tabText, int at) {
  std::string row = normalise(tabText);
  if (at < 0 || at >= rows())
    rows_.push_back(std::move(row));
  else
    rows_.insert(rows_.begin() + at, std::move(row));
  ++revision_;
}

bool GridData::removeItem(int row) {
  if (row < 0 || row >= rows()) return false;
  rows_.erase(rows_.begin() + row);
  ++revision_;
  return true;
}

void GridData::truncate(int keep) {
  if (keep < 0) keep = 0;
  if (keep < rows()) rows_.resize(static_cast<size_t>(keep));
  ++revision_;
}

void GridData::clear() {
  rows_.clear();
  ++revision_;
}

}  // namespace vkz
