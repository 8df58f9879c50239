// The file-dialog filters of the measurement windows.
#include <gtest/gtest.h>

#include "views/win/viewwidgets.h"

namespace vkz {
namespace {

TEST(FileFilter, OldFormToQtForm) {
  EXPECT_EQ(
      qtFileFilter(QStringLiteral("Data Files (*.vkz)|*.vkz|CSV Files (*.csv)|*.csv|All Files (*.*)|*.*|")),
      QStringLiteral("Data Files (*.vkz);;CSV Files (*.csv);;All Files (*.*) (*)"));
  EXPECT_EQ(qtFileFilter(QStringLiteral("PDF Files (*.pdf)|*.pdf|")), QStringLiteral("PDF Files (*.pdf)"));
}

}  // namespace
}  // namespace vkz
