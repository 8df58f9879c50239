// The window base: the open flag follows load and unload, a resize runs the
// layout rule, and the close box unloads the window once.
#include "ui/formwindow.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QPointer>

#include "support/common/qt_app.h"

namespace vkz {
namespace {

template <class Base>
struct Window : FormWindow<Base> {
  explicit Window(std::int16_t* flag) : FormWindow<Base>(flag) {}
  void Form_Resize() override { ++resizes; }
  void Form_Unload() override {
    FormWindow<Base>::Form_Unload();
    ++unloads;
  }
  int resizes = 0;
  int unloads = 0;
};

template <class Base>
void loadResizeClose() {
  std::int16_t flag = 0;
  QPointer<Window<Base>> w = new Window<Base>(&flag);
  EXPECT_EQ(flag, -1);  // set as the window loads
  w->show();
  test::settleEvents();
  const int before = w->resizes;
  w->resize(w->width() + 40, w->height() + 30);
  test::settleEvents();
  EXPECT_GT(w->resizes, before);
  Window<Base>* raw = w.data();
  EXPECT_TRUE(raw->close());
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(raw->unloads, 1);
  FormRegistry::unload(raw);  // a second unload before the deletion runs nothing
  EXPECT_EQ(raw->unloads, 1);
  test::settleEvents();
  EXPECT_TRUE(w.isNull());  // deleted once control is back in the event loop
}

TEST(FormWindow, FlagResizeAndCloseForWidgetsAndDialogs) {
  loadResizeClose<QWidget>();
  loadResizeClose<QDialog>();
}

TEST(FormWindow, WindowWithoutAFlag) {
  QPointer<Window<QWidget>> w = new Window<QWidget>(nullptr);
  w->show();
  w->close();
  EXPECT_EQ(w->unloads, 1);
  test::settleEvents();
  EXPECT_TRUE(w.isNull());
}

}  // namespace
}  // namespace vkz
