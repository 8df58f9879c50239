// Nothing the user has not saved is discarded without asking: closing the
// program, closing the data list window, downloading another measurement or
// opening the language window (which closes the data list window) over a downloaded measurement never
// saved to a data file, or over user information typed since, asks first
// (save / discard / cancel); nothing asks once all is saved.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "emulator/emulator.h"
#include "shell/win/languagefrm.h"
#include "shell/win/panel.h"
#include "support/common/download_road.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"
#include "views/win/datalistfrm.h"

namespace vkz {
namespace {

const QString kUnsavedDownload =
    QStringLiteral("The downloaded measurement has not been saved to a data file. Save it now?");
const QString kUnsavedUserInfo =
    QStringLiteral("The user information you typed has not been saved to a data file. Save it now?");

class Unsaved : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    road_ = std::make_unique<DownloadRoad>(true);
    ASSERT_TRUE(road_->start(tmp_.path().toStdString()));
    road_->meter.addMeasurement(emu::generateRecords(7, 30));
    road_->meter.addMeasurement(emu::generateRecords(8, 20));
    ASSERT_TRUE(road_->loadMemoryList());
    ASSERT_TRUE(road_->download(1));
    MsgBox::shown().clear();
  }
  void TearDown() override { road_.reset(); }

  DataListFrm* list() { return FormRegistry::find<DataListFrm>(); }
  QString file(const char* name) const { return tmp_.filePath(QString::fromLatin1(name)); }
  // The save dialog, when it comes, answers `path` ("" cancels it).
  void saveDialogAnswers(const QString& path) {
    MsgBox::fileAnswers().push_back(path);
    MsgBox::filterAnswers().push_back(1);
  }
  void saveNow(const char* name) {
    saveDialogAnswers(file(name));
    list()->Toolbar1_ButtonClick(QStringLiteral("save"));
    ASSERT_TRUE(QFileInfo::exists(file(name)));
  }
  void typeEvaluator(const QString& text) {
    FlexGrid* g = list()->MSFGridUserInfo;
    const QPoint cell = g->visualRect(g->gridModel()->index(0, 1)).topLeft() + QPoint(20, 5);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, cell);
    QLineEdit* editor = list()->findChild<QLineEdit*>(QStringLiteral("newtxt"));
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, text);  // not entered yet: it counts all the same
  }
  // The questions asked since the set-up.
  QStringList questions() const {
    QStringList out;
    for (const MsgRecord& r : MsgBox::shown())
      if (r.buttons == MsgButtons::SaveDiscardCancel) out << r.text;
    return out;
  }

  QTemporaryDir tmp_;
  std::unique_ptr<DownloadRoad> road_;
};

struct CloseCase {
  const char* name;
  MsgResult answer;
  const char* saveAs;  // the save dialog's answer, "" cancels it
  bool closes;
};

class CloseWithUnsavedDownload : public Unsaved, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseWithUnsavedDownload, AsksAndDoesWhatTheUserChose) {
  const CloseCase& c = GetParam();
  MsgBox::answers().push_back(c.answer);
  if (c.answer == MsgResult::Yes) saveDialogAnswers(*c.saveAs ? file(c.saveAs) : QString());
  EXPECT_EQ(road_->panel->close(), c.closes);
  EXPECT_EQ(questions(), QStringList{kUnsavedDownload});
  if (*c.saveAs) {
    EXPECT_TRUE(QFileInfo::exists(file(c.saveAs)));
  }
  if (!c.closes) {
    // The measurement is still there, and the next close asks again.
    ASSERT_NE(list(), nullptr);
    EXPECT_EQ(list()->VKZ418PointGrid->Rows(), 31);
    MsgBox::answers().push_back(MsgResult::Cancel);
    EXPECT_FALSE(road_->panel->close());
    EXPECT_EQ(questions().size(), 2);
  }
}

INSTANTIATE_TEST_SUITE_P(Answers, CloseWithUnsavedDownload,
                         ::testing::Values(CloseCase{"Cancel", MsgResult::Cancel, "", false},
                                           CloseCase{"Discard", MsgResult::No, "", true},
                                           CloseCase{"Save", MsgResult::Yes, "shift.vkz", true},
                                           CloseCase{"SaveDialogCancelled", MsgResult::Yes, "", false}),
                         [](const ::testing::TestParamInfo<CloseCase>& i) {
                           return std::string(i.param.name);
                         });

TEST_F(Unsaved, CloseWithTypedUserInformationAsks) {
  saveNow("shift.vkz");
  typeEvaluator(QStringLiteral("Ana Souza"));
  MsgBox::answers().push_back(MsgResult::Cancel);
  EXPECT_FALSE(road_->panel->close());
  EXPECT_EQ(questions(), QStringList{kUnsavedUserInfo});
  // Saved again, the typed name is in the file and the program closes
  // without a further question.
  saveNow("shift2.vkz");
  EXPECT_TRUE(road_->panel->close());
  EXPECT_EQ(questions().size(), 1);
}

TEST_F(Unsaved, NewDownloadOverAnUnsavedOneAsks) {
  // Cancelled: the first measurement stays, nothing is asked of the meter.
  MsgBox::answers().push_back(MsgResult::Cancel);
  road_->panel->MSFlexGrid1->setRow(2);
  road_->panel->MSFlexGrid1_Click();
  EXPECT_EQ(questions(), QStringList{kUnsavedDownload});
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1));
  // Discarded: the second one comes.
  MsgBox::answers().push_back(MsgResult::No);
  ASSERT_TRUE(road_->download(2));
  EXPECT_EQ(questions().size(), 2);
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(2));
}

TEST_F(Unsaved, TheLanguageWindowWhichClosesTheDataListAsksFirst) {
  MsgBox::answers().push_back(MsgResult::Cancel);
  road_->panel->Toolbar1_ButtonClick(QStringLiteral("Language"));
  EXPECT_EQ(questions(), QStringList{kUnsavedDownload});
  EXPECT_FALSE(FormRegistry::loaded<LanguageFrm>());
  ASSERT_NE(list(), nullptr);
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1));
  MsgBox::answers().push_back(MsgResult::No);
  road_->panel->Toolbar1_ButtonClick(QStringLiteral("Language"));
  EXPECT_TRUE(FormRegistry::loaded<LanguageFrm>());
  EXPECT_EQ(list(), nullptr);
}

TEST_F(Unsaved, TheDataListWindowsCloseBoxAsksFirst) {
  auto* frame = qobject_cast<QMdiSubWindow*>(list()->parentWidget());
  ASSERT_NE(frame, nullptr);
  MsgBox::answers().push_back(MsgResult::Cancel);
  EXPECT_FALSE(frame->close());
  EXPECT_EQ(questions(), QStringList{kUnsavedDownload});
  ASSERT_NE(list(), nullptr);
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1));
  // Discarded: the window goes, and closing the program asks nothing more.
  MsgBox::answers().push_back(MsgResult::No);
  EXPECT_TRUE(frame->close());
  EXPECT_FALSE(FormRegistry::loaded<DataListFrm>());
  EXPECT_TRUE(road_->panel->close());
  EXPECT_EQ(questions().size(), 2);
}

TEST_F(Unsaved, NothingAsksOnceAllIsSaved) {
  saveNow("shift.vkz");
  ASSERT_TRUE(road_->download(2));
  saveNow("second.vkz");
  EXPECT_TRUE(road_->panel->close());
  EXPECT_TRUE(questions().isEmpty());
}

}  // namespace
}  // namespace vkz
