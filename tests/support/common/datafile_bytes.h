// A data file held in memory, read the way the Open action reads a file
// from disk: its bytes go through the same DataFileLoader, here in one
// block (the reader's tests also feed it at every split point).
#pragma once
#include <cstring>
#include <string_view>

#include "views/datafile.h"

namespace vkztest {

inline vkz::OpenResult readDataFileBytes(std::string_view bytes, std::string_view meterModel,
                                         vkz::GridData& userInfo, vkz::GridData& header,
                                         vkz::GridData& records, vkz::MeasurementData& data) {
  vkz::DataFileLoader loader(meterModel, userInfo, header, records, data, bytes.size());
  loader.feed(bytes);
  return loader.finish();
}

// The same with the records of a large section read as `split` says, the
// way ReadDataFile goes through a file: the loader stops where they start,
// they are read side by side, and the reading goes on past them (or from
// them on, line by line). `taken` tells whether they were read side by side.
inline vkz::OpenResult readDataFileBytes(std::string_view bytes, std::string_view meterModel,
                                         vkz::GridData& userInfo, vkz::GridData& header,
                                         vkz::GridData& records, vkz::MeasurementData& data,
                                         const vkz::RecordSplit& split, bool& taken) {
  vkz::DataFileLoader loader(meterModel, userInfo, header, records, data, bytes.size(), split);
  loader.feed(bytes);
  taken = false;
  if (const std::uint64_t from = loader.recordsAt()) {
    taken = loader.readRecordsSplit([&](char* into, std::size_t n, std::uint64_t at) {
      std::memcpy(into, bytes.data() + at, n);
      return 0;
    });
    loader.feed(bytes.substr(taken ? bytes.size() : from));
  }
  return loader.finish();
}

}  // namespace vkztest
