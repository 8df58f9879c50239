// The records of a download that stopped before the measurement was
// complete, kept as a measurement of their own: the summary's "Total Point"
// row then gives the records kept and the measurement's full count, as
// "110 of 300". The number at the start of the cell is the count the data
// file announces, so a file saved from them reopens as what it holds (110
// records), and every reader of older files reads it alike. The other
// summary values stay the meter's: they describe the whole measurement.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vkz {

// The summary grid's "Total Point" row (under the title row), the ninth
// line after "HeaderData" in the data file.
inline constexpr int kTotalPointRow = 8;

// The text of the "Total Point" cells for `kept` of the `count` records
// (the meter's count as the summary showed it): "110 of 300".
std::string keptRecordsText(std::int64_t kept, std::string_view count);

}  // namespace vkz
