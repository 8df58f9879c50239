// Nothing the user has not saved is discarded without asking: closing the
// program, closing the data list window, downloading another measurement or
// opening the language window (which closes the data list window) over a downloaded measurement never
// saved to a data file, or over user information typed since, asks first
// (save / discard / cancel); nothing asks once all is saved. Asked while the
// download still runs, a save stops it and keeps the records that arrived,
// and the file counts exactly those; with no record arrived there is
// nothing to keep, and nothing is saved.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <memory>

#include "emulator/emulator.h"
#include "polling/pollloop.h"
#include "shell/win/languagefrm.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "support/common/download_road.h"
#include "support/common/qt_app.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"
#include "views/keptrecords.h"
#include "views/win/datalistfrm.h"
#include "views/win/filelistfrm.h"

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
  // Cancelled: the first measurement stays, nothing is asked of the meter,
  // and the list marks the first measurement again, not the row clicked.
  MsgBox::answers().push_back(MsgResult::Cancel);
  FlexGrid* list = road_->panel->MSFlexGrid1;
  const QModelIndex second = list->gridModel()->index(2 - list->FixedRows(), 1);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(second).center());
  EXPECT_EQ(questions(), QStringList{kUnsavedDownload});
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1));
  test::settleEvents();
  EXPECT_EQ(list->Row(), 1);
  EXPECT_EQ(list->selectionModel()->currentIndex().row(), 1 - list->FixedRows());
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

// ---------------------------------------------------------------------------
// Asked while the download runs: a measurement of 2,000 records over a line
// paced at the meter's rate, the question asked once some have arrived.

// What a saved file says of its records and what it holds: the count cell of
// the "Total Point" line (the ninth after "HeaderData") and the record lines
// after the title line of "RecordData", cells split at `sep`.
struct FileRecords {
  QString count;
  int lines = 0;
};

FileRecords fileRecords(const QString& path, QChar sep) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QStringList lines = QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"));
  FileRecords out;
  const qsizetype header = lines.indexOf(QStringLiteral("HeaderData"));
  const qsizetype records = lines.indexOf(QStringLiteral("RecordData"));
  if (header < 0 || records < 0 || header + 9 >= lines.size()) return {};
  out.count = lines[header + 9].section(sep, 1, 1);
  for (qsizetype i = records + 2; i < lines.size(); ++i)
    if (!lines[i].isEmpty()) ++out.lines;
  return out;
}

class UnsavedMidDownload : public ::testing::Test {
 protected:
  static constexpr int kRecords = 2000;
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    road_ = std::make_unique<DownloadRoad>(true);
    ASSERT_TRUE(road_->start(tmp_.path().toStdString()));
    road_->meter.addMeasurement(emu::generateRecords(5, kRecords));
    road_->meter.addMeasurement(emu::generateRecords(6, 25));
    ASSERT_TRUE(road_->loadMemoryList());
    MsgBox::shown().clear();
  }
  void TearDown() override { road_.reset(); }
  // Row 1 clicked on a paced line; true once `rows` records are on screen
  // and more are still to come.
  bool downloadUntil(int rows) {
    road_->meter.setPacing(true);
    road_->panel->MSFlexGrid1->setRow(1);
    road_->panel->MSFlexGrid1_Click();
    return road_->until([&] { return road_->recordRows().size() >= rows; }, 80000) &&
           State().poll.downloadRunning();
  }
  DataListFrm* list() { return FormRegistry::find<DataListFrm>(); }
  QString file(const char* name) const { return tmp_.filePath(QString::fromLatin1(name)); }
  QStringList questions(MsgButtons buttons) const {
    QStringList out;
    for (const MsgRecord& r : MsgBox::shown())
      if (r.buttons == buttons) out << r.text;
    return out;
  }
  // The download has ended: nothing more is asked of the meter, and no
  // window is loaded again for its records, over two seconds of the
  // program's clock.
  void expectDownloadEnded(bool windowLoaded) {
    EXPECT_FALSE(State().poll.downloadRunning());
    const std::size_t asked = road_->meter.requestCount(0x12);
    const auto from = road_->clock->now();
    road_->until([&] { return road_->clock->now() - from >= std::chrono::seconds(2); });
    EXPECT_LE(road_->meter.requestCount(0x12), asked + 1);  // one may have been on its way
    EXPECT_EQ(FormRegistry::loaded<DataListFrm>(), windowLoaded);
  }

  QTemporaryDir tmp_;
  std::unique_ptr<DownloadRoad> road_;
};

// How the question comes while the download runs.
enum class Way { CloseBox, MainWindow, OtherMeasurement, LanguageWindow };

bool askThrough(Way way, DownloadRoad& road) {
  switch (way) {
    case Way::CloseBox:
      return qobject_cast<QMdiSubWindow*>(FormRegistry::find<DataListFrm>()->parentWidget())->close();
    case Way::MainWindow:
      return road.panel->close();
    case Way::OtherMeasurement:
      return road.download(2);
    case Way::LanguageWindow:  // it closes the data list window
      road.panel->Toolbar1_ButtonClick(QStringLiteral("Language"));
      return FormRegistry::loaded<LanguageFrm>();
  }
  return false;
}

struct SaveMidwayCase {
  const char* name;
  Way way;
};

void PrintTo(const SaveMidwayCase& c, std::ostream* os) {
  *os << c.name;
}

class SaveMidway : public UnsavedMidDownload, public ::testing::WithParamInterface<SaveMidwayCase> {};

// Saved through the question: the download stops, the file counts the
// records that arrived ("n of 2000") and holds those n, and it opens again
// as what it holds.
TEST_P(SaveMidway, TheFileCountsTheRecordsThatArrived) {
  ASSERT_TRUE(downloadUntil(50));
  MsgBox::answers().push_back(MsgResult::Yes);
  MsgBox::fileAnswers().push_back(file("part.vkz"));
  MsgBox::filterAnswers().push_back(1);
  EXPECT_TRUE(askThrough(GetParam().way, *road_));
  const QStringList asked = questions(MsgButtons::SaveDiscardCancel);
  ASSERT_EQ(asked.size(), 1);
  EXPECT_TRUE(asked[0].startsWith(QStringLiteral("The download is not finished: ")))
      << asked[0].toStdString();
  EXPECT_TRUE(asked[0].endsWith(
      QStringLiteral(" of 2000 records have arrived. Stop it and save the records that arrived?")));

  const FileRecords saved = fileRecords(file("part.vkz"), QLatin1Char('\t'));
  EXPECT_GE(saved.lines, 50);
  EXPECT_LT(saved.lines, kRecords);
  EXPECT_EQ(saved.count, QString::fromStdString(keptRecordsText(saved.lines, "2000")));
  if (GetParam().way == Way::OtherMeasurement) {
    // The next measurement came whole, and the first one's records did not
    // mix with it.
    EXPECT_EQ(road_->recordRows(), road_->expectedRows(2));
    return;
  }
  if (GetParam().way == Way::MainWindow) {
    EXPECT_FALSE(State().poll.downloadRunning());
    return;  // the program has ended
  }
  expectDownloadEnded(false);

  // Opened again: the records it holds, counted as such, and no message.
  MsgBox::shown().clear();
  MsgBox::fileAnswers().push_back(file("part.vkz"));
  road_->panel->Toolbar1_ButtonClick(QStringLiteral("Open"));
  EXPECT_TRUE(MsgBox::shown().empty()) << road_->messages().join(QLatin1Char('|')).toStdString();
  FileListFrm* fl = FormRegistry::find<FileListFrm>();
  ASSERT_NE(fl, nullptr);
  EXPECT_EQ(fl->GridRecord->Rows() - 1, saved.lines);
  EXPECT_EQ(fl->GridHeader->TextMatrix(kTotalPointRow, 1), saved.count);
  EXPECT_EQ(State().measurement.PointValue1.size(), static_cast<std::size_t>(saved.lines));
}

INSTANTIATE_TEST_SUITE_P(Ways, SaveMidway,
                         ::testing::Values(SaveMidwayCase{"CloseBox", Way::CloseBox},
                                           SaveMidwayCase{"MainWindow", Way::MainWindow},
                                           SaveMidwayCase{"OtherMeasurement", Way::OtherMeasurement},
                                           SaveMidwayCase{"LanguageWindow", Way::LanguageWindow}),
                         [](const ::testing::TestParamInfo<SaveMidwayCase>& i) {
                           return std::string(i.param.name);
                         });

// Exported as CSV through the question: the download stops and the CSV
// counts what it holds; a CSV keeps no measurement, so the window stays,
// showing the records kept, ready to be saved as a data file.
TEST_F(UnsavedMidDownload, CsvThroughTheQuestionKeepsTheWindowWithTheRecordsKept) {
  ASSERT_TRUE(downloadUntil(50));
  MsgBox::answers().push_back(MsgResult::Yes);
  MsgBox::fileAnswers().push_back(file("part.csv"));
  MsgBox::filterAnswers().push_back(2);
  EXPECT_FALSE(qobject_cast<QMdiSubWindow*>(list()->parentWidget())->close());
  const FileRecords csv = fileRecords(file("part.csv"), QLatin1Char(','));
  const int kept = static_cast<int>(road_->recordRows().size());
  EXPECT_EQ(csv.lines, kept);
  EXPECT_EQ(csv.count, QString::fromStdString(keptRecordsText(kept, "2000")));
  expectDownloadEnded(true);
  EXPECT_EQ(list()->KeptRecords, kept);
  EXPECT_EQ(list()->VKZ418Grid->TextMatrix(kTotalPointRow, 1), csv.count);
  EXPECT_TRUE(list()->Toolbar1->isEnabled());
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1).mid(0, kept));
}

// Discarded: the window goes and the download with it. Gone back to (the
// question or the save dialog cancelled): the download runs to its end.
TEST_F(UnsavedMidDownload, DiscardEndsTheDownloadCancelLetsItRunOn) {
  ASSERT_TRUE(downloadUntil(50));
  auto* frame = qobject_cast<QMdiSubWindow*>(list()->parentWidget());
  MsgBox::answers().push_back(MsgResult::Cancel);
  EXPECT_FALSE(frame->close());
  MsgBox::answers().push_back(MsgResult::Yes);
  MsgBox::fileAnswers().push_back(QString());  // the save dialog cancelled
  EXPECT_FALSE(frame->close());
  EXPECT_EQ(questions(MsgButtons::SaveDiscardCancel).size(), 2);
  ASSERT_TRUE(road_->until([&] { return !State().poll.downloadRunning(); }, 120000));
  EXPECT_EQ(road_->recordRows(), road_->expectedRows(1));
  EXPECT_TRUE(list()->Toolbar1->isEnabled());
  EXPECT_EQ(list()->KeptRecords, -1);

  // The whole measurement downloaded again, and discarded midway.
  MsgBox::answers().push_back(MsgResult::No);  // the whole one is let go
  ASSERT_TRUE(downloadUntil(50));
  MsgBox::answers().push_back(MsgResult::No);
  EXPECT_TRUE(qobject_cast<QMdiSubWindow*>(list()->parentWidget())->close());
  expectDownloadEnded(false);
}

// No record has arrived: there is nothing to keep, no save is offered and
// no file is written; whether the download still runs or has stopped.
TEST_F(UnsavedMidDownload, NoRecordArrivedNothingToKeep) {
  const QString stillRunning = QStringLiteral(
      "No record of this measurement has arrived yet: there is nothing to keep. Stop the download and close "
      "it?");
  const QString stopped =
      QStringLiteral("No record of this measurement arrived: there is nothing to keep. Close it?");
  // A download that takes its time on the line; every block reply lost:
  // the header came, no record comes.
  road_->meter.setPacing(true);
  road_->meter.addFault(emu::FaultRule::always(emu::Fault::Drop, 0x12));
  // A click on the measurement; true once its header is on screen and its
  // records are asked for.
  auto clickUntilHeader = [&] {
    const std::size_t asked = road_->meter.requestCount(0x12);
    road_->panel->MSFlexGrid1->setRow(1);
    road_->panel->MSFlexGrid1_Click();
    return road_->until([&] {
      return road_->meter.requestCount(0x12) > asked && list() &&
             list()->VKZ418Grid->TextMatrix(kTotalPointRow, 1) == QStringLiteral("2000");
    });
  };
  ASSERT_TRUE(clickUntilHeader());
  ASSERT_TRUE(State().poll.downloadRunning());
  auto* frame = qobject_cast<QMdiSubWindow*>(list()->parentWidget());
  MsgBox::answers().push_back(MsgResult::Cancel);
  EXPECT_FALSE(frame->close());
  EXPECT_TRUE(State().poll.downloadRunning());
  MsgBox::answers().push_back(MsgResult::Ok);
  EXPECT_TRUE(frame->close());
  EXPECT_EQ(questions(MsgButtons::OkCancel), (QStringList{stillRunning, stillRunning}));
  expectDownloadEnded(false);

  // Records come while the question is open (the line heals): they are
  // asked about as records, not dropped with "nothing to keep".
  ASSERT_TRUE(clickUntilHeader());
  MsgBox::onShow() = [&](const MsgRecord& r) {
    if (r.text != stillRunning) return;
    road_->meter.clearFaults();
    road_->until([&] { return !road_->recordRows().isEmpty(); }, 80000);
  };
  MsgBox::answers().push_back(MsgResult::Ok);
  MsgBox::answers().push_back(MsgResult::No);
  EXPECT_TRUE(qobject_cast<QMdiSubWindow*>(list()->parentWidget())->close());
  MsgBox::onShow() = nullptr;
  ASSERT_EQ(questions(MsgButtons::SaveDiscardCancel).size(), 1);
  EXPECT_TRUE(questions(MsgButtons::SaveDiscardCancel)[0].startsWith(
      QStringLiteral("The download is not finished: ")));
  expectDownloadEnded(false);
  road_->meter.addFault(emu::FaultRule::always(emu::Fault::Drop, 0x12));

  // The same measurement until the download stops with none of its records.
  road_->panel->MSFlexGrid1->setRow(1);
  road_->panel->MSFlexGrid1_Click();
  ASSERT_TRUE(road_->until([&] { return !State().poll.downloadRunning() && list(); }, 120000));
  MsgBox::answers().push_back(MsgResult::Ok);
  EXPECT_TRUE(road_->panel->close());
  EXPECT_EQ(questions(MsgButtons::OkCancel).last(), stopped);
  EXPECT_EQ(questions(MsgButtons::SaveDiscardCancel).size(), 1);
  EXPECT_TRUE(MsgBox::fileDialogRecords().empty());
}

}  // namespace
}  // namespace vkz
