#include "reports/levels.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace vkz {

double ScaleToLength(double value, double range, double length) {
  if (range == 0) return 0;
  const double r = value / range * length;
  if (!std::isfinite(r)) return 0;
  // Rounded on its decimal value, as a text with four decimals reads back;
  // the nudge keeps values such as 0.00015 rounding the way they read.
  const double a = std::fabs(r) * 10000;
  const double q = std::floor(a + 0.5 + a * 1e-12) / 10000;
  return r < 0 ? -q : q;
}

int levelColumns(const GridData& records) {
  return std::clamp(records.cols() - kFirstLevelColumn, 0, kLevelQuantities);
}

std::string_view cellOf(std::string_view row, int col) {
  size_t start = 0;
  for (int c = 0; c < col; ++c) {
    const size_t tab = row.find('\t', start);
    if (tab == std::string_view::npos) return {};
    start = tab + 1;
  }
  const size_t end = row.find('\t', start);
  return row.substr(start, end == std::string_view::npos ? row.size() - start : end - start);
}

std::optional<double> levelOf(std::string_view cell) {
  if (cell.find("--") != std::string_view::npos) return std::nullopt;
  size_t i = 0;
  while (i < cell.size() && (cell[i] == '*' || cell[i] == ' ')) ++i;
  // The leading number, its decimal comma read as a point.
  char buf[32];
  size_t n = 0, digits = 0;
  if (i < cell.size() && (cell[i] == '-' || cell[i] == '+')) {
    if (cell[i] == '-') buf[n++] = '-';
    ++i;
  }
  bool point = false;
  for (; i < cell.size() && n + 1 < sizeof buf; ++i) {
    const char c = cell[i];
    if (c >= '0' && c <= '9') {
      buf[n++] = c;
      ++digits;
    } else if ((c == '.' || c == ',') && !point) {
      point = true;
      buf[n++] = '.';
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;
  double v = 0;
  if (std::from_chars(buf, buf + n, v).ec != std::errc()) return std::nullopt;
  return v;
}

std::string levelText(std::string_view cell) {
  std::string t;
  t.reserve(cell.size());
  for (size_t i = 0; i < cell.size(); ++i) {
    if (cell[i] == '*') continue;
    if (cell.substr(i, 3) == " dB") {
      i += 2;
      continue;
    }
    t += cell[i];
  }
  const size_t b = t.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return t.substr(b, t.find_last_not_of(' ') - b + 1);
}

double drawnLevel(std::optional<double> level) {
  if (!level) return kScaleLow;
  return std::clamp(*level, kScaleLow, kScaleHigh);
}

void LevelCounts::add(std::optional<double> level, int quantity) {
  if (!level || quantity < 0 || quantity >= kLevelQuantities) return;
  const int v = static_cast<int>(drawnLevel(level));
  ++count[static_cast<size_t>(v)][static_cast<size_t>(quantity)];
  highest = std::max(highest, v);
  lowest = std::min(lowest, v);
}

std::uint32_t LevelCounts::largest() const {
  std::uint32_t m = 0;
  for (int v = lowest; v <= highest; ++v)
    for (std::uint32_t n : count[static_cast<size_t>(v)]) m = std::max(m, n);
  return m;
}

LevelCounts countLevels(const GridData& records) {
  LevelCounts counts;
  const int cols = levelColumns(records);
  for (int r = 1; r < records.rows(); ++r) {
    const std::string_view row = records.rowText(r);
    for (int q = 0; q < cols; ++q) counts.add(levelOf(cellOf(row, kFirstLevelColumn + q)), q);
  }
  return counts;
}

std::array<LevelMaximum, kLevelQuantities> findMaxima(const GridData& records) {
  std::array<LevelMaximum, kLevelQuantities> max;
  const int cols = levelColumns(records);
  for (int r = 1; r < records.rows(); ++r) {
    const std::string_view row = records.rowText(r);
    for (int q = 0; q < cols; ++q) {
      const std::string_view cell = cellOf(row, kFirstLevelColumn + q);
      const std::optional<double> v = levelOf(cell);
      LevelMaximum& m = max[static_cast<size_t>(q)];
      if (!v || (m.found && *v < m.level)) continue;
      m.found = true;
      m.level = *v;
      m.text = levelText(cell);
      m.time = std::string(cellOf(row, kTimeColumn));
    }
  }
  return max;
}

}  // namespace vkz
