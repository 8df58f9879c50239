#include "views/headeritems.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "base/appdir.h"
#include "base/log.h"
#include "base/numfmt.h"
#include "shell/uitext.h"

namespace vkz {

const std::array<HeaderItem, kHeaderItemCount>& HeaderItemTable() {
  using S = RowShape;
  using U = ItemUnit;
  using O = ItemOffer;
  // Item order: exceedance, per-channel results, the maxima and minima of the
  // nine weighting pairs (AF, AS, AI, CF, CS, CI, ZF, ZS, ZI), the percentile
  // levels 05, 10, 50, 90, 95 of each pair, the LAEQ percentiles, then the
  // items the panel does not offer.
  static const std::array<HeaderItem, kHeaderItemCount> table{{
      {&UiText::TxtExceedanceTime, S::ExceedanceWithTime, 9, 197, U::None, O::Yes},  // 0
      {&UiText::TxtExceedanceStopTime, S::StopTimes, 200, -1, U::None, O::Yes},      // 1
      {&UiText::TxtDose, S::PerChannel, 17, -1, U::Percent, O::Yes},                 // 2
      {&UiText::TxtPDose, S::PerChannel, 20, -1, U::Percent, O::Yes},                // 3
      {&UiText::TxtTWA, S::PerChannel, 23, -1, U::DB, O::Yes},                       // 4
      {&UiText::TxtPTWA, S::PerChannel, 26, -1, U::DB, O::Yes},                      // 5
      {&UiText::TxtLAVG, S::PerChannel, 29, -1, U::DB, O::Yes},                      // 6
      {&UiText::TxtLEPd, S::PerChannel, 35, -1, U::DB, O::Yes},                      // 7
      {&UiText::TxtPLEPd, S::PerChannel, 38, -1, U::DB, O::Yes},                     // 8
      {&UiText::TxtLAEQ, S::PerChannel, 41, -1, U::DB, O::Yes},                      // 9
      {&UiText::TxtLCEQ, S::PerChannel, 44, -1, U::DB, O::Yes},                      // 10
      {&UiText::TxtLZEQ, S::PerChannel, 47, -1, U::DB, O::Yes},                      // 11
      {&UiText::TxtLAE, S::PerChannel, 50, -1, U::DB, O::Yes},                       // 12
      {&UiText::TxtLCE, S::PerChannel, 53, -1, U::DB, O::Yes},                       // 13
      {&UiText::TxtLZE, S::PerChannel, 56, -1, U::DB, O::Yes},                       // 14
      {&UiText::TxtEA, S::PerChannel, 59, -1, U::Pa2h, O::Yes},                      // 15
      {&UiText::TxtEC, S::PerChannel, 62, -1, U::Pa2h, O::Yes},                      // 16
      {&UiText::TxtEZ, S::PerChannel, 65, -1, U::Pa2h, O::Yes},                      // 17
      {&UiText::TxtPKA, S::PerChannel, 74, -1, U::DB, O::Yes},                       // 18
      {&UiText::TxtPKC, S::PerChannel, 68, -1, U::DB, O::Yes},                       // 19
      {&UiText::TxtPKZ, S::PerChannel, 71, -1, U::DB, O::Yes},                       // 20
      {&UiText::TxtLEX8H, S::PerChannel, 80, -1, U::DB, O::Yes},                     // 21
      {&UiText::TxtPLEX8H, S::PerChannel, 83, -1, U::DB, O::Yes},                    // 22
      {&UiText::TxtEXPh, S::PerChannel, 86, -1, U::Pa2h, O::Yes},                    // 23
      {&UiText::TxtEXPs, S::PerChannel, 89, -1, U::Pa2s, O::Yes},                    // 24
      {&UiText::TxtNEN, S::PerChannel, 191, -1, U::DB, O::Yes},                      // 25
      {&UiText::TxtPNEN, S::PerChannel, 194, -1, U::DB, O::Yes},                     // 26
      {&UiText::TxtLAFMax, S::ExtremeWithTime, 92, 171, U::DB, O::Yes},              // 27
      {&UiText::TxtLAFMin, S::ExtremeWithTime, 101, 180, U::DB, O::Yes},             // 28
      {&UiText::TxtLASMax, S::ExtremeWithTime, 93, 172, U::DB, O::Yes},              // 29
      {&UiText::TxtLASMin, S::ExtremeWithTime, 102, 181, U::DB, O::Yes},             // 30
      {&UiText::TxtLAIMax, S::ExtremeWithTime, 94, 173, U::DB, O::Yes},              // 31
      {&UiText::TxtLAIMin, S::ExtremeWithTime, 103, 182, U::DB, O::Yes},             // 32
      {&UiText::TxtLCFMax, S::ExtremeWithTime, 95, 174, U::DB, O::Yes},              // 33
      {&UiText::TxtLCFMin, S::ExtremeWithTime, 104, 183, U::DB, O::Yes},             // 34
      {&UiText::TxtLCSMax, S::ExtremeWithTime, 96, 175, U::DB, O::Yes},              // 35
      {&UiText::TxtLCSMin, S::ExtremeWithTime, 105, 184, U::DB, O::Yes},             // 36
      {&UiText::TxtLCIMax, S::ExtremeWithTime, 97, 176, U::DB, O::Yes},              // 37
      {&UiText::TxtLCIMin, S::ExtremeWithTime, 106, 185, U::DB, O::Yes},             // 38
      {&UiText::TxtLZFMax, S::ExtremeWithTime, 98, 177, U::DB, O::Yes},              // 39
      {&UiText::TxtLZFMin, S::ExtremeWithTime, 107, 186, U::DB, O::Yes},             // 40
      {&UiText::TxtLZSMax, S::ExtremeWithTime, 99, 178, U::DB, O::Yes},              // 41
      {&UiText::TxtLZSMin, S::ExtremeWithTime, 108, 187, U::DB, O::Yes},             // 42
      {&UiText::TxtLZIMax, S::ExtremeWithTime, 100, 179, U::DB, O::Yes},             // 43
      {&UiText::TxtLZIMin, S::ExtremeWithTime, 109, 188, U::DB, O::Yes},             // 44
      {&UiText::TxtLAF05, S::SingleValue, 146, -1, U::DB, O::Yes},                   // 45
      {&UiText::TxtLAS05, S::SingleValue, 147, -1, U::DB, O::Yes},                   // 46
      {&UiText::TxtLAI05, S::SingleValue, 148, -1, U::DB, O::Yes},                   // 47
      {&UiText::TxtLCF05, S::SingleValue, 149, -1, U::DB, O::Yes},                   // 48
      {&UiText::TxtLCS05, S::SingleValue, 150, -1, U::DB, O::Yes},                   // 49
      {&UiText::TxtLCI05, S::SingleValue, 151, -1, U::DB, O::Yes},                   // 50
      {&UiText::TxtLZF05, S::SingleValue, 152, -1, U::DB, O::Yes},                   // 51
      {&UiText::TxtLZS05, S::SingleValue, 153, -1, U::DB, O::Yes},                   // 52
      {&UiText::TxtLZI05, S::SingleValue, 154, -1, U::DB, O::Yes},                   // 53
      {&UiText::TxtLAF10, S::SingleValue, 110, -1, U::DB, O::Yes},                   // 54
      {&UiText::TxtLAS10, S::SingleValue, 111, -1, U::DB, O::Yes},                   // 55
      {&UiText::TxtLAI10, S::SingleValue, 112, -1, U::DB, O::Yes},                   // 56
      {&UiText::TxtLCF10, S::SingleValue, 113, -1, U::DB, O::Yes},                   // 57
      {&UiText::TxtLCS10, S::SingleValue, 114, -1, U::DB, O::Yes},                   // 58
      {&UiText::TxtLCI10, S::SingleValue, 115, -1, U::DB, O::Yes},                   // 59
      {&UiText::TxtLZF10, S::SingleValue, 116, -1, U::DB, O::Yes},                   // 60
      {&UiText::TxtLZS10, S::SingleValue, 117, -1, U::DB, O::Yes},                   // 61
      {&UiText::TxtLZI10, S::SingleValue, 118, -1, U::DB, O::Yes},                   // 62
      {&UiText::TxtLAF50, S::SingleValue, 119, -1, U::DB, O::Yes},                   // 63
      {&UiText::TxtLAS50, S::SingleValue, 120, -1, U::DB, O::Yes},                   // 64
      {&UiText::TxtLAI50, S::SingleValue, 121, -1, U::DB, O::Yes},                   // 65
      {&UiText::TxtLCF50, S::SingleValue, 122, -1, U::DB, O::Yes},                   // 66
      {&UiText::TxtLCS50, S::SingleValue, 123, -1, U::DB, O::Yes},                   // 67
      {&UiText::TxtLCI50, S::SingleValue, 124, -1, U::DB, O::Yes},                   // 68
      {&UiText::TxtLZF50, S::SingleValue, 125, -1, U::DB, O::Yes},                   // 69
      {&UiText::TxtLZS50, S::SingleValue, 126, -1, U::DB, O::Yes},                   // 70
      {&UiText::TxtLZI50, S::SingleValue, 127, -1, U::DB, O::Yes},                   // 71
      {&UiText::TxtLAF90, S::SingleValue, 128, -1, U::DB, O::Yes},                   // 72
      {&UiText::TxtLAS90, S::SingleValue, 129, -1, U::DB, O::Yes},                   // 73
      {&UiText::TxtLAI90, S::SingleValue, 130, -1, U::DB, O::Yes},                   // 74
      {&UiText::TxtLCF90, S::SingleValue, 131, -1, U::DB, O::Yes},                   // 75
      {&UiText::TxtLCS90, S::SingleValue, 132, -1, U::DB, O::Yes},                   // 76
      {&UiText::TxtLCI90, S::SingleValue, 133, -1, U::DB, O::Yes},                   // 77
      {&UiText::TxtLZF90, S::SingleValue, 134, -1, U::DB, O::Yes},                   // 78
      {&UiText::TxtLZS90, S::SingleValue, 135, -1, U::DB, O::Yes},                   // 79
      {&UiText::TxtLZI90, S::SingleValue, 136, -1, U::DB, O::Yes},                   // 80
      {&UiText::TxtLAF95, S::SingleValue, 137, -1, U::DB, O::Yes},                   // 81
      {&UiText::TxtLAS95, S::SingleValue, 138, -1, U::DB, O::Yes},                   // 82
      {&UiText::TxtLAI95, S::SingleValue, 139, -1, U::DB, O::Yes},                   // 83
      {&UiText::TxtLCF95, S::SingleValue, 140, -1, U::DB, O::Yes},                   // 84
      {&UiText::TxtLCS95, S::SingleValue, 141, -1, U::DB, O::Yes},                   // 85
      {&UiText::TxtLCI95, S::SingleValue, 142, -1, U::DB, O::Yes},                   // 86
      {&UiText::TxtLZF95, S::SingleValue, 143, -1, U::DB, O::Yes},                   // 87
      {&UiText::TxtLZS95, S::SingleValue, 144, -1, U::DB, O::Yes},                   // 88
      {&UiText::TxtLZI95, S::SingleValue, 145, -1, U::DB, O::Yes},                   // 89
      {&UiText::TxtLAEQ05, S::SingleValue, 167, -1, U::DB, O::Yes},                  // 90
      {&UiText::TxtLAEQ10, S::SingleValue, 163, -1, U::DB, O::Yes},                  // 91
      {&UiText::TxtLAEQ50, S::SingleValue, 164, -1, U::DB, O::Yes},                  // 92
      {&UiText::TxtLAEQ90, S::SingleValue, 165, -1, U::DB, O::Yes},                  // 93
      {&UiText::TxtLAEQ95, S::SingleValue, 166, -1, U::DB, O::Disabled},             // 94
      {&UiText::TxtLAIEQ, S::SingleValue, 155, -1, U::DB, O::DisabledHidden},        // 95
      {&UiText::TxtLCIEQ, S::SingleValue, 156, -1, U::DB, O::DisabledHidden},        // 96
      {&UiText::TxtLZIEQ, S::SingleValue, 157, -1, U::DB, O::DisabledHidden},        // 97
      {&UiText::TxtLAFTM5, S::SingleValue, 169, -1, U::DB, O::DisabledHidden},       // 98
      {&UiText::TxtLAFTM3, S::SingleValue, 170, -1, U::DB, O::DisabledHidden},       // 99
      {&UiText::TxtTi, S::PerChannel, 32, -1, U::DB, O::DisabledHidden},             // 100
      {&UiText::TxtHML, S::PerChannel, 77, -1, U::DB, O::DisabledHidden},            // 101
      {&UiText::TxtKi, S::SingleValue, 168, -1, U::DB, O::DisabledHidden},           // 102
  }};
  return table;
}

const std::string& HeaderItemCaption(int item, const UiText& ui) {
  return ui.*(HeaderItemTable()[static_cast<std::size_t>(item)].caption);
}

std::string HeaderItemUnitText(ItemUnit unit, const UiText& ui) {
  switch (unit) {
    case ItemUnit::DB:
      return " " + ui.TxtDB;
    case ItemUnit::Percent:
      return " %";
    case ItemUnit::Pa2h:
      return " Pa^2h";
    case ItemUnit::Pa2s:
      return " Pa^2s";
    case ItemUnit::None:
      break;
  }
  return "";
}

HeaderItemRow HeaderItemRowCells(int item, const RecordHeader& h, const UiText& ui) {
  const HeaderItem& it = HeaderItemTable()[static_cast<std::size_t>(item)];
  auto hv = [&](int slot) -> const std::string& { return h.HeaderValue[static_cast<std::size_t>(slot)]; };
  const std::string unit = HeaderItemUnitText(it.unit, ui);
  const std::string& caption = ui.*it.caption;
  switch (it.shape) {
    case RowShape::PerChannel:
      return {caption, hv(it.value) + unit, hv(it.value + 1) + unit, hv(it.value + 2) + unit};
    case RowShape::SingleValue:
      return {caption, hv(it.value) + unit, "", ""};
    case RowShape::ExtremeWithTime:
      return {caption, hv(it.value) + " " + ui.TxtDB + "  ( " + hv(it.timeValue) + " )", "", ""};
    case RowShape::ExceedanceWithTime: {
      // Exceedance level and time of each channel: "(>85)_00:12:34".
      HeaderItemRow row{ui.TxtLAS + " > " + ui.TxtDB, "", "", ""};
      for (int c = 1; c <= 3; ++c)
        row[static_cast<std::size_t>(c)] =
            "(>" + hv(kSlotExceedanceLevel + c - 1) + ")_" + hv(kSlotExceedanceTime + c - 1);
      return row;
    }
    case RowShape::StopTimes:
      return {caption, hv(kSlotExceedanceStopTime), hv(kSlotExceedanceStopTime + 1),
              hv(kSlotExceedanceStopTime + 2)};
  }
  return {};
}

std::vector<HeaderItemRow> HeaderItemRows(const HeaderItemStates& states, const RecordHeader& h,
                                          const UiText& ui) {
  std::vector<HeaderItemRow> rows;
  for (int n = 0; n < kHeaderItemFileFields; ++n)
    if (states[static_cast<std::size_t>(n)] == 1) rows.push_back(HeaderItemRowCells(n, h, ui));
  return rows;
}

ItemBoxPos HeaderItemBoxPos(int item) {
  // Columns of boxes, top to bottom then left to right, 360 twips apart.
  struct Column {
    int left, first, last, top;
  };
  static const Column columns[] = {
      {120, 0, 1, 0},      {120, 2, 8, 840},    {1440, 9, 15, 840},  {2520, 16, 24, 120},
      {3600, 25, 35, 120}, {4680, 36, 46, 120}, {5760, 47, 57, 120}, {6840, 58, 68, 120},
      {7800, 69, 79, 120}, {9000, 80, 90, 120}, {9960, 91, 94, 120}, {11400, 95, 102, 120},
  };
  for (const Column& c : columns)
    if (item >= c.first && item <= c.last) return {c.left, c.top + 360 * (item - c.first)};
  return {0, 0};
}

std::string HeaderSelectionLine(const HeaderItemStates& states) {
  std::string line;
  for (int n = 0; n < kHeaderItemFileFields; ++n) {
    int s = states[static_cast<std::size_t>(n)];
    line += static_cast<char>('0' + (s >= 0 && s <= 2 ? s : 0));
    if (n < kHeaderItemFileFields - 1) line += ',';
  }
  return line + "\r\n";
}

bool ParseHeaderSelectionLine(const std::string& line, HeaderItemStates& states) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = line.find(',', start);
    fields.push_back(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (fields.size() != static_cast<std::size_t>(kHeaderItemFileFields)) {
    for (int n = 0; n < kHeaderItemFileFields; ++n) states[static_cast<std::size_t>(n)] = 0;
    return false;
  }
  for (int n = 0; n < kHeaderItemFileFields; ++n) {
    int state = 0;
    if (auto v = parseNumber(fields[static_cast<std::size_t>(n)])) {
      double r = roundHalfEven(*v);
      if (r == 0 || r == 1 || r == 2) state = static_cast<int>(r);
    }
    states[static_cast<std::size_t>(n)] = state;
  }
  return true;
}

namespace {

// The last line of the file `in` of `size` bytes, whole whatever its
// length: lines end at CR LF, LF or CR, and an ending line break does not
// start a further line (an empty file gives ""). The file is searched from
// its end for the line break before that line, so a long file of many
// lines costs only its end. nullopt when the file cannot be read.
std::optional<std::string> lastLine(std::ifstream& in, std::uintmax_t size) {
  auto readAt = [&](std::uintmax_t at, std::uintmax_t n, std::string& out) {
    out.assign(static_cast<std::size_t>(n), '\0');
    in.clear();
    in.seekg(static_cast<std::streamoff>(at));
    in.read(out.data(), static_cast<std::streamsize>(n));
    return static_cast<std::uintmax_t>(in.gcount()) == n;
  };
  std::string tail;
  const std::uintmax_t last2 = std::min<std::uintmax_t>(size, 2);
  if (!readAt(size - last2, last2, tail)) return std::nullopt;
  std::uintmax_t end = size;
  if (!tail.empty() && tail.back() == '\n') {
    tail.pop_back();
    --end;
  }
  if (!tail.empty() && tail.back() == '\r') --end;

  constexpr std::uintmax_t kChunk = 64 * 1024;
  std::uintmax_t begin = 0;
  std::string chunk;
  for (std::uintmax_t pos = end; pos > 0;) {
    const std::uintmax_t n = std::min(kChunk, pos);
    if (!readAt(pos - n, n, chunk)) return std::nullopt;
    if (const std::size_t brk = chunk.find_last_of("\r\n"); brk != std::string::npos) {
      begin = pos - n + brk + 1;
      break;
    }
    pos -= n;
  }
  std::string line;
  if (!readAt(begin, end - begin, line)) return std::nullopt;
  return line;
}

bool writeHeaderSelection(const std::string& path, const HeaderItemStates& states) {
  const std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << HeaderSelectionLine(states);
    out.flush();
    if (!out) {
      out.close();
      std::remove(tmp.c_str());
      return false;
    }
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool SaveHeaderSelection(const std::string& path, const HeaderItemStates& states) {
  const bool written = writeHeaderSelection(path, states);
  logLazy(LogArea::File, written ? LogLevel::Info : LogLevel::Warning,
          [&] { return "\"" + path + (written ? "\" written" : "\" could not be written"); });
  return written;
}

HeaderSelectionLoad LoadHeaderSelection(const std::string& path, HeaderItemStates& states) {
  HeaderSelectionLoad result;
  std::error_code ec;
  bool ok = false;
  if (std::filesystem::is_regular_file(path, ec)) {
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    if (in && !ec) {
      const std::optional<std::string> line = lastLine(in, size);
      ok = line && ParseHeaderSelectionLine(*line, states);
    }
  }
  if (!ok) {
    logLazy(LogArea::File, LogLevel::Warning,
            [&] { return "\"" + path + "\" missing or not 102 fields: every header item unticked"; });
    for (int n = 0; n < kHeaderItemFileFields; ++n) states[static_cast<std::size_t>(n)] = 0;
    result.reset = true;
    result.written = SaveHeaderSelection(path, states);
  }
  return result;
}

std::string HeaderSelectionPath() {
  return appPath("bin/Header.bin");
}

SummaryLabels SummaryLabelsOf(const UiText& ui) {
  return {ui.TxtD1,
          ui.TxtD2,
          ui.TxtD3,
          ui.TxtStartDateTime,
          ui.TxtStopDateTime,
          ui.TxtThreshold,
          ui.TxtCriterion,
          ui.TxtExchangeRate,
          ui.TxtExceedanceLevel,
          ui.TxtIntervalTime,
          ui.TxtTotalPoint,
          ui.TxtPWDuration,
          ui.TxtDuration,
          ui.TxtDB};
}

}  // namespace vkz
