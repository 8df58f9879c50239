// The main window's meter-name panel: the double click on the empty client
// area asks for the access code once (and is one click for the caption
// toggle, not two), the code with a supported meter shows the panel, and
// Set pads the name or refuses a character the meter cannot keep.
#include <QLineEdit>
#include <QMdiArea>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "base/appdir.h"
#include "shell/win/panel.h"
#include "windows/settings/settings_env.h"

namespace vkz {
namespace {

class MeterNameTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    ASSERT_TRUE(tmp_.isValid());
    setAppDir(tmp_.path().toStdString());
    panel_ = new Panel();
    panel_->setTimersFrozen(true);
    panel_->MDIForm_Load();
    panel_->show();
    test::settleEvents();
  }
  void TearDown() override {
    FormRegistry::unloadAll();
    delete panel_;
    test::settleEvents();
    SettingsTest::TearDown();
  }
  QTemporaryDir tmp_;
  Panel* panel_ = nullptr;
};

TEST_F(MeterNameTest, DoubleClickAsksOnceAndIsOneClick) {
  const QString caption = panel_->windowTitle();
  MsgBox::inputAnswers() = {QStringLiteral("857"), QStringLiteral("857")};
  // What the windowing system sends for a double click: press, release,
  // double click, release.
  QWidget* area = panel_->mdiArea()->viewport();
  const QPointF at(20, 20);
  const QPointF global = area->mapToGlobal(at);
  for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                         QEvent::MouseButtonRelease}) {
    const Qt::MouseButtons held = t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(t, at, global, Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(area, &e);
  }
  test::settleEvents();
  EXPECT_NE(panel_->windowTitle(), caption);     // toggled by the first release only
  EXPECT_EQ(MsgBox::inputAnswers().size(), 1u);  // asked once
  EXPECT_TRUE(panel_->SNPic->isHidden());        // no meter identified yet
}

TEST_F(MeterNameTest, CodeAndSupportedMeterShowThePanel) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"", "VKZ 418", false}, {"Meter Name", "VKZ 418", false}, {"85", "VKZ 418", false},
      {"857", "", false},     {"857", "vkz 418", false},        {"x857y", "KRD 529", true},
  };
  for (auto [typed, model, shown] : cases) {
    panel_->SNPic->hide();
    State().polling.MeterModel = model;
    MsgBox::inputAnswers() = {QString::fromLatin1(typed)};
    panel_->MDIForm_DblClick();
    EXPECT_EQ(!panel_->SNPic->isHidden(), shown) << typed << " / " << model;
  }
  // Nothing but the input box itself, with its prompt and title.
  ASSERT_EQ(MsgBox::shown().size(), std::size(cases));
  for (const MsgRecord& r : MsgBox::shown()) {
    EXPECT_EQ(r.text, QStringLiteral("Enter the Code \n"));
    EXPECT_EQ(r.title, QStringLiteral("Input Meter Code"));
  }
}

TEST_F(MeterNameTest, SetPadsTheNameOrRefusesIt) {
  panel_->SNPic->show();
  // The read-back shows the meter's 12 characters; typing stops at 11.
  panel_->showMeterName("VKZ00012345 ");
  EXPECT_EQ(panel_->SNTxt->text(), QStringLiteral("VKZ00012345 "));
  panel_->SNTxt->clear();
  QTest::keyClicks(panel_->SNTxt, QStringLiteral("ABCDEFGHIJKLM"));
  EXPECT_EQ(panel_->SNTxt->text(), QStringLiteral("ABCDEFGHIJK"));

  panel_->SNTxt->setText(QStringLiteral("VKZ0012"));
  panel_->SNSendBtn->click();
  EXPECT_EQ(panel_->SNTxt->text(), QStringLiteral("VKZ0012    "));
  EXPECT_TRUE(messages().isEmpty());
  EXPECT_TRUE(State().poll.running());

  panel_->SNTxt->setText(QStringLiteral("Zähler 名"));
  panel_->SNSendBtn->click();
  ASSERT_EQ(messages().size(), 1);
  EXPECT_TRUE(messages()[0].contains(QStringLiteral("\"名\""))) << messages()[0].toStdString();
  EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::Critical);
  EXPECT_EQ(panel_->SNTxt->text(), QStringLiteral("Zähler 名"));
  EXPECT_TRUE(State().poll.running());

  panel_->SNExitBtn->click();
  EXPECT_TRUE(panel_->SNPic->isHidden());
}

}  // namespace
}  // namespace vkz
