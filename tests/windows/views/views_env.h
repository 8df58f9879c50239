// The offscreen Qt application of the measurement-window tests, and a
// fresh program state for each test: a temporary program folder, English
// texts, a linked "VKZ 418", message boxes, file dialogs and the printer
// dialog answered from queues, and no report functions installed.
#pragma once
#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "base/griddata.h"

namespace vkz {

class FlexGrid;

class ViewsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Lets queued deletions and events run.
  static void settle();
  std::string dir() const;
  QString path(const QString& relative) const;
  static std::string readFile(const QString& path);

  // Fills a record grid (title row and one row per cell of `levels`, the
  // same text in all four level columns).
  static void fillRecords(FlexGrid* grid, const std::vector<std::string>& levels);

  std::unique_ptr<QTemporaryDir> tmp_;
};

}  // namespace vkz
