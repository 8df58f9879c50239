// The file-dialog filters: the old "Name|patterns|" pairs in Qt's form,
// each entry's patterns shown once.
#include <gtest/gtest.h>

#include "ui/msgbox.h"

namespace vkz {
namespace {

TEST(FileFilter, OldFormToQtFormShowsEachPatternOnce) {
  const struct {
    const char* old;
    const char* qt;
  } cases[] = {
      {"Data Files (*.vkz)|*.vkz|CSV Files (*.csv)|*.csv|All Files (*.*)|*.*|",
       "Data Files (*.vkz);;CSV Files (*.csv);;All Files (*)"},
      {"PDF Files (*.pdf)|*.pdf|", "PDF Files (*.pdf)"},
      {"Data files(*.vkz)|*.vkz|All Files (*.*)|*.*|", "Data files(*.vkz);;All Files (*)"},
      {"Pictures|*.jpg;*.jpeg|", "Pictures (*.jpg *.jpeg)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(qtFileFilter(QString::fromLatin1(c.old)), QString::fromLatin1(c.qt)) << c.old;
}

}  // namespace
}  // namespace vkz
