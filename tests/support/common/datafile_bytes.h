// A data file held in memory, read the way the Open action reads a file
// from disk: its bytes go through the same DataFileLoader, here in one
// block (the reader's tests also feed it at every split point).
#pragma once
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

}  // namespace vkztest
