// The data list window as a download fills it, for the engine's tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "polling/pollview.h"

namespace vkz::test {

struct FakeList : DataListView {
  std::vector<std::string> rows;
  bool complete = false, stopped = false;
  void showHeader() override {}
  void addRecords(const std::vector<LoggedRecord>& records) override {
    for (const LoggedRecord& r : records) rows.push_back(r.row);
  }
  void dropRecords(std::int64_t from) override {
    if (static_cast<std::size_t>(from) < rows.size()) rows.resize(static_cast<std::size_t>(from));
  }
  void downloadComplete() override { complete = true; }
  void downloadStopped() override { stopped = true; }
};

}  // namespace vkz::test
