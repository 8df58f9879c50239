// The sound levels of the record grid as both reports read them: the level
// cells as displayed, the scaling onto a drawing length, the whole-decibel
// level counts of the histogram and the maxima of the level graph.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/griddata.h"

namespace vkz {

// value / range * length, rounded to four decimals (halves away from
// zero). A range of 0 has no length to spread over: every value lies at 0.
double ScaleToLength(double value, double range, double length);

// The record grid: column 1 the date and time, columns 2 to 5 the levels
// Lavg, Leq, Lcpk and Lzpk.
constexpr int kTimeColumn = 1;
constexpr int kFirstLevelColumn = 2;
constexpr int kLevelQuantities = 4;
// The level columns a record grid has (0 to 4).
int levelColumns(const GridData& records);

// Cell `col` of a TAB-joined row text ("" past the last cell).
std::string_view cellOf(std::string_view rowText, int col);

// A level cell: an optional "*" (the record lies in a pause), the level in
// dB with one decimal (point or comma) or "--" where the record has no
// value, then " dB". The level, or nullopt when the record has none ("--",
// an empty cell, a text without a number).
std::optional<double> levelOf(std::string_view cell);

// The level as the cell shows it, without the pause mark and the unit.
std::string levelText(std::string_view cell);

// The graphs' level scale runs from 50 to 150 dB: a level is drawn at the
// nearer end when it lies outside, and a missing level on the 50 dB line.
constexpr double kScaleLow = 50, kScaleHigh = 150;
double drawnLevel(std::optional<double> level);

// How often each whole-decibel level of the scale occurs in each level
// column: every record with a level counts once per column, at its drawn
// level (50 to 150) truncated to whole decibels; records without a level
// are left out.
struct LevelCounts {
  std::array<std::array<std::uint32_t, kLevelQuantities>, 151> count{};
  int lowest = 1500;  // smallest level counted
  int highest = 0;    // largest level counted

  void add(std::optional<double> level, int quantity);
  bool empty() const { return highest < lowest; }
  // The largest single count of the levels lowest to highest (0 when empty).
  std::uint32_t largest() const;
};
LevelCounts countLevels(const GridData& records);

// The highest level of one quantity and the record that reached it, taken
// from the levels as measured (not clamped to the scale); a later record
// with the same level takes it over.
struct LevelMaximum {
  bool found = false;
  double level = 0;
  std::string text;  // the level as displayed ("85.3")
  std::string time;  // the record's date and time
};
std::array<LevelMaximum, kLevelQuantities> findMaxima(const GridData& records);

}  // namespace vkz
