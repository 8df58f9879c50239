// The header items: the 103 summary quantities of a measurement that the
// user can add, one row each, under the eleven fixed rows of the data list
// window's summary grid; and the file bin/Header.bin that keeps the user's
// choice between runs (one line of 102 comma-separated state digits).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "polling/header.h"
#include "polling/measurement.h"

namespace vkz {

struct UiText;

inline constexpr int kHeaderItemCount = 103;
// Items 0..101 have a field in bin/Header.bin; item 102 (Ki) has none.
inline constexpr int kHeaderItemFileFields = 102;

// The shape of an item's row: label, then D1, D2, D3.
enum class RowShape {
  PerChannel,          // HV(n), HV(n+1), HV(n+2), each with the unit
  SingleValue,         // D1: HV(n) with the unit; D2, D3 empty
  ExtremeWithTime,     // D1: "HV(n) dB  ( HV(t) )"; D2, D3 empty
  ExceedanceWithTime,  // label "LAS > dB"; cells "(>HV(8+c))_HV(196+c)"
  StopTimes,           // HV(200), HV(201), HV(202) as they stand
};

enum class ItemUnit { None, DB, Percent, Pa2h, Pa2s };

// Whether the user can change the item's check box.
enum class ItemOffer { Yes, Disabled, DisabledHidden };

struct HeaderItem {
  std::string UiText::*caption;  // the user-interface text naming the item
  RowShape shape;
  int value;      // first HeaderValue slot shown
  int timeValue;  // ExtremeWithTime: the slot of the time; else -1
  ItemUnit unit;
  ItemOffer offered;
};

// The item table, items 0..102 in order.
const std::array<HeaderItem, kHeaderItemCount>& HeaderItemTable();

// The caption of item i in the current texts.
const std::string& HeaderItemCaption(int item, const UiText& ui);

// The labels of the summary grid's fixed rows from the texts in force.
SummaryLabels SummaryLabelsOf(const UiText& ui);

// The unit text: " " + TxtDB, " %", " Pa^2h", " Pa^2s" or "".
std::string HeaderItemUnitText(ItemUnit unit, const UiText& ui);

// The row of one item (label, D1, D2, D3), built from the header texts.
using HeaderItemRow = std::array<std::string, 4>;
HeaderItemRow HeaderItemRowCells(int item, const RecordHeader& header, const UiText& ui);

// Check-box states: 0 unticked, 1 ticked, 2 the third (greyed) state.
using HeaderItemStates = std::array<int, kHeaderItemCount>;

// The rows GridInfo appends under the fixed rows: one per item 0..101 whose
// state is 1, in item order. Item 102 is never shown.
std::vector<HeaderItemRow> HeaderItemRows(const HeaderItemStates& states, const RecordHeader& header,
                                          const UiText& ui);

// Position of item i's check box in the selection panel, in twips.
struct ItemBoxPos {
  int left, top;
};
ItemBoxPos HeaderItemBoxPos(int item);

// ---- bin/Header.bin ----------------------------------------------------

// The line for items 0..101: digits joined by ",", ended by CR LF.
std::string HeaderSelectionLine(const HeaderItemStates& states);

// Reads a selection line into states 0..101 (state 102 untouched). Exactly
// 102 fields, each read as a number rounded to a whole one (a half to the
// even neighbour): 0, 1 and 2 give the state, anything else 0. Returns
// false, and unticks 0..101, when the field count is wrong.
bool ParseHeaderSelectionLine(const std::string& line, HeaderItemStates& states);

struct HeaderSelectionLoad {
  // True when the file was missing or malformed and has been (re)written
  // with 102 zeros; `written` false when that write failed.
  bool reset = false;
  bool written = true;
};

// The window's load: reads `path` (normally appPath("bin/Header.bin")); its
// last line counts, read whole whatever its length. A missing file, or a last line without exactly 102
// fields, is replaced by 102 zeros and unticks items 0..101.
HeaderSelectionLoad LoadHeaderSelection(const std::string& path, HeaderItemStates& states);

// GridInfo's store: writes the line for items 0..101, replacing the file
// whole (written beside it first, then renamed over it, so a failed write
// never leaves half a file). False when it cannot be written.
bool SaveHeaderSelection(const std::string& path, const HeaderItemStates& states);

// appPath("bin/Header.bin").
std::string HeaderSelectionPath();

}  // namespace vkz
