// The measurement the program holds: the decoded header of a downloaded
// measurement and the five per-record value arrays. Written by the download
// and by the data-file reader; read by the views and the reports.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vkz {

constexpr int kHeaderValueCount = 203;

struct RecordHeader {
  std::string HeaderStart = "0";
  std::array<std::string, 3> HeaderStop{"0", "0", "0"};
  std::array<std::uint8_t, 14> HeaderPageChannel{};
  std::array<std::string, kHeaderValueCount> HeaderValue{};
};

// One element per logged record, index 0 .. record count - 1:
//   PointValue1..4: LAVG, Leq, LCPK, LZPK in dB (the paused-span flag removed),
//   PointValue5:    1 for a record of a paused span, else 0.
using PointValues = std::vector<double>;

struct MeasurementData {
  RecordHeader header;
  PointValues PointValue1, PointValue2, PointValue3, PointValue4, PointValue5;

  // Re-creates the five arrays with n elements each, all 0.
  void sizePointValues(std::size_t n) {
    for (auto* v : {&PointValue1, &PointValue2, &PointValue3, &PointValue4, &PointValue5}) v->assign(n, 0.0);
  }
  // Makes each of the five arrays n elements long: the first n kept, any
  // added 0.
  void resizePointValues(std::size_t n) {
    for (auto* v : {&PointValue1, &PointValue2, &PointValue3, &PointValue4, &PointValue5}) v->resize(n);
  }
  void reset() { *this = MeasurementData{}; }
};

}  // namespace vkz
