// The memory erase window: nothing without a supported meter or without
// the user's OK; the request marked as awaited before its write; a request
// that cannot be written leaves nothing awaited and says so.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPushButton>

#include "link/eventpump.h"
#include "settings/win/clearmemoryfrm.h"
#include "settings2_env.h"
#include "support/common/qt_app.h"
#include "ui/formregistry.h"

namespace vkz {
namespace {

using EraseWindow = test::WindowsTest;

TEST_F(EraseWindow, AsksForOkAndSendsTheEraseMarkedBeforeTheWrite) {
  linkLine();
  ClearMemoryFrm* f = FormRegistry::get<ClearMemoryFrm>();
  EXPECT_EQ(State().flags.ClearMemoryFrmOpen, -1);
  EXPECT_EQ(f->windowTitle(), QStringLiteral("Clear Memory"));
  EXPECT_EQ(f->ClearBtn->text(), QStringLiteral("Clear Memory"));
  // No meter identified, or a model text that is not exactly a supported one.
  for (const char* model : {"", "vkz 418", "VKZ  418"}) {
    State().polling.MeterModel = model;
    f->ClearBtn->click();
  }
  EXPECT_TRUE(messages().isEmpty());
  EXPECT_EQ(written(), "");

  State().polling.MeterModel = "KRD 529";
  MsgBox::answers().push_back(MsgResult::Cancel);
  f->ClearBtn->click();
  EXPECT_EQ(written(), "");
  EXPECT_FALSE(State().poll.erasePending());
  ASSERT_EQ(MsgBox::shown().size(), 1u);
  const MsgRecord& ask = MsgBox::shown()[0];
  EXPECT_EQ(ask.text, QStringLiteral("Clear Memory are you sure?"));
  EXPECT_EQ(ask.title, QStringLiteral("Warning"));
  EXPECT_EQ(ask.icon, MsgIcon::None);
  EXPECT_EQ(ask.buttons, MsgButtons::OkCancel);

  // The write turns the event loop, where a quick reply is decoded: the
  // erase is awaited by then.
  std::vector<bool> seen;
  setEventPump([&] { seen.push_back(State().poll.erasePending()); });
  for (int press = 0; press < 2; ++press) {  // again while pending: asked and sent again
    f->ClearBtn->click();
    EXPECT_EQ(written(), "02 00 01 0B 0A");
    EXPECT_TRUE(State().poll.erasePending());
  }
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(seen.front());
  EXPECT_EQ(MsgBox::shown().size(), 3u);
  EXPECT_TRUE(State().poll.running());  // neither paused nor resumed
  EXPECT_TRUE(FormRegistry::loaded<ClearMemoryFrm>());
}

TEST_F(EraseWindow, AnEraseThatCannotBeWrittenIsNotAwaited) {
  // No port linked: the request cannot go out.
  State().polling.MeterModel = "VKZ 418";
  FormRegistry::get<ClearMemoryFrm>()->ClearBtn->click();
  EXPECT_FALSE(State().poll.erasePending());
  ASSERT_EQ(MsgBox::shown().size(), 2u);
  // The message says why: no port is linked.
  EXPECT_TRUE(MsgBox::shown()[1].text.startsWith(QString::fromStdString(eraseNotSentText())));
  EXPECT_TRUE(MsgBox::shown()[1].text.contains(QStringLiteral("No port is linked")));
  EXPECT_EQ(MsgBox::shown()[1].icon, MsgIcon::Critical);
}

}  // namespace
}  // namespace vkz
