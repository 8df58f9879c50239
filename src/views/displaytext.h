// Reading the display texts of the measurement grids back as numbers.
//
// The record grid holds levels as the download shows them: "85.3 dB",
// "-- dB" for a level of 0, and a leading "*" on every level cell of a record
// the meter flagged as paused ("*85.3 dB", "*-- dB"). The histogram, the plot
// and the data-file reader read these texts, not numbers.
#pragma once
#include <string>
#include <string_view>

namespace vkz {

// The number written at the start of a display text: blanks skipped, an
// optional sign, digits with at most one decimal point ("." or ",", so a
// level written with a decimal comma reads right) and an optional exponent
// (E or D). Words such as "NaN" or "Inf" are no number.
struct LeadingNumber {
  double value = 0;       // 0 when the text does not begin with a number
  std::string_view text;  // the number as written, sign included ("" when none)
  bool overflow = false;  // too large for a double: `value` is the largest finite one of its sign
};
LeadingNumber leadingNumber(std::string_view text);

// Its value alone: 0 when the text does not begin with a number ("--",
// "*85.3 dB", ""); a number too large gives the largest finite value of its
// sign.
double displayNumber(std::string_view text);

// The level of a record-grid level cell with the pause flag removed:
// "*85.3 dB" -> 85.3, "-- dB" and "*-- dB" -> 0.
double levelValue(std::string_view cell);

// True for a level cell of a record the meter flagged ("*" at its start,
// after blanks).
bool isFlaggedLevel(std::string_view cell);

// Cell `col` of a grid row kept as TAB-joined text (GridData::rowText), as a
// view into that text; "" when the row has fewer cells.
std::string_view cellOfRow(std::string_view rowText, int col);

// A cell text made safe for the data file: TAB, CR and LF become a blank
// (the data file has no quoting, so they would split the cell or the line
// on reopening). Used by the writers and by the editing of user information.
std::string cleanCellText(std::string_view text);

}  // namespace vkz
