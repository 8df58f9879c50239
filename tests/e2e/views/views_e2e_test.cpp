// A measurement from the meter to a file and back: downloaded from the
// meter emulator into the data list window, given user information and
// header items, saved with the window's "save" action, opened again with
// the main window's Open action into the file list window: the three grids
// and the per-record values are the same. The CSV export and the histogram
// of both windows agree too. The rows of a download that stopped are kept
// as a measurement of their own, saved and opened again as what they are.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include "polling/measurement.h"
#include "shell/flags.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "support/common/download_road.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"
#include "views/chartstate.h"
#include "views/datafile.h"
#include "views/keptrecords.h"
#include "views/win/datalistfrm.h"
#include "views/win/filelistfrm.h"
#include "views/win/histogramfrm.h"

namespace vkz {
namespace {

// Every cell of a grid, row by row.
std::vector<std::string> cells(const FlexGrid* g) {
  std::vector<std::string> out;
  for (int r = 0; r < g->Rows(); ++r)
    for (int c = 0; c < g->Cols(); ++c) out.push_back(g->TextMatrix(r, c).toStdString());
  return out;
}

std::string readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

TEST(ViewsRoadTrip, DownloadSaveReopenGivesTheSameGrids) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  DownloadRoad road(true);
  emu::MeasurementInfo info;
  info.interval = 60;
  road.meter.addMeasurement(emu::generateRecords(11, 480), info);
  ASSERT_TRUE(road.start(tmp.path().toStdString())) << road.meter.lastError();
  ASSERT_TRUE(road.loadMemoryList());
  ASSERT_TRUE(road.download(1));

  DataListFrm* dl = FormRegistry::find<DataListFrm>();
  ASSERT_NE(dl, nullptr);
  ASSERT_TRUE(dl->Toolbar1->isEnabled());
  ASSERT_EQ(dl->VKZ418PointGrid->Rows(), 481);

  // The user types the evaluator's name and chooses every offered item.
  const QPoint cell =
      dl->MSFGridUserInfo->visualRect(dl->MSFGridUserInfo->gridModel()->index(0, 1)).topLeft() +
      QPoint(20, 5);
  QTest::mouseClick(dl->MSFGridUserInfo->viewport(), Qt::LeftButton, {}, cell);
  QTest::mouseDClick(dl->MSFGridUserInfo->viewport(), Qt::LeftButton, {}, cell);
  QLineEdit* editor = dl->findChild<QLineEdit*>(QStringLiteral("newtxt"));
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, QStringLiteral("Ana Souza"));
  QTest::keyClick(editor, Qt::Key_Return);
  dl->ItemBtn_Click();
  dl->AllSelBtn_Click();
  dl->SetBtn_Click();
  ASSERT_EQ(dl->VKZ418Grid->Rows(), 11 + 94);
  const PointValues lavg = State().measurement.PointValue1, flags = State().measurement.PointValue5;

  // Saved as a data file and as CSV.
  const QString vkz = tmp.filePath(QStringLiteral("shift.vkz"));
  const QString csv = tmp.filePath(QStringLiteral("shift.csv"));
  MsgBox::fileAnswers().push_back(vkz);
  MsgBox::filterAnswers().push_back(1);
  dl->Toolbar1_ButtonClick(QStringLiteral("save"));
  MsgBox::fileAnswers().push_back(csv);
  MsgBox::filterAnswers().push_back(2);
  dl->Toolbar1_ButtonClick(QStringLiteral("save"));
  ASSERT_TRUE(MsgBox::shown().size() < 100);
  for (const MsgRecord& m : MsgBox::shown()) EXPECT_NE(m.icon, MsgIcon::Critical) << m.text.toStdString();
  // The CSV file has the data file's lines, commas for TABs.
  std::string data = readFile(vkz), comma = readFile(csv);
  ASSERT_FALSE(data.empty());
  EXPECT_EQ(std::count(data.begin(), data.end(), '\n'), std::count(comma.begin(), comma.end(), '\n'));

  // Opened again with the main window's Open action.
  MsgBox::fileAnswers().push_back(vkz);
  road.panel->Toolbar1_ButtonClick(QStringLiteral("Open"));
  FileListFrm* fl = FormRegistry::find<FileListFrm>();
  ASSERT_NE(fl, nullptr);
  EXPECT_EQ(State().dataFile.FileModel, "VKZ 418");
  EXPECT_EQ(cells(fl->MSFUserInfo), cells(dl->MSFGridUserInfo));
  EXPECT_EQ(cells(fl->GridHeader), cells(dl->VKZ418Grid));
  EXPECT_EQ(cells(fl->GridRecord), cells(dl->VKZ418PointGrid));
  EXPECT_EQ(fl->MSFUserInfo->TextMatrix(0, 1), QStringLiteral("Ana Souza"));
  EXPECT_EQ(State().measurement.PointValue1, lavg);
  EXPECT_EQ(State().measurement.PointValue5, flags);

  // The histogram of one column is the same from either window.
  auto run = [](auto* w) {
    w->Toolbar1_ButtonClick(QStringLiteral("Ln"));
    w->Option1[1]->click();
    w->BtnSelectOK_Click();
    w->Btn01dB_Click();
    return State().chart.LnValue;
  };
  const auto fromDownload = run(dl);
  const auto fromFile = run(fl);
  EXPECT_EQ(fromDownload, fromFile);
  EXPECT_FALSE(fromFile[50].empty());
  EXPECT_TRUE(FormRegistry::loaded<Histogram>());
}

// The meter falls silent after two blocks of a 57-record measurement: the
// 20 records that arrived stay on screen, the toolbar saves them, and the
// file says it holds 20 of the 57 and opens again as 20 records, whole.
TEST(ViewsRoadTrip, RecordsOfAStoppedDownloadAreSavedAndReopenedAsWhatTheyAre) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  DownloadRoad road(true);
  ASSERT_TRUE(road.start(tmp.path().toStdString())) << road.meter.lastError();
  road.meter.addMeasurement(emu::generateRecords(3, 57));
  ASSERT_TRUE(road.loadMemoryList());
  road.meter.addFault({emu::Fault::Drop, 0x12, 2, -1});
  const qsizetype before = road.messages().size();
  road.panel->MSFlexGrid1->setRow(1);
  road.panel->MSFlexGrid1_Click();
  ASSERT_TRUE(road.until([&] { return road.messages().size() > before; }, 20000))
      << road.recordRows().size() << " rows, " << road.messages().join(QLatin1Char('|')).toStdString();
  ASSERT_TRUE(road.messages().last().startsWith(QStringLiteral("Download stopped")))
      << road.messages().last().toStdString();

  DataListFrm* dl = FormRegistry::find<DataListFrm>();
  ASSERT_NE(dl, nullptr);
  ASSERT_EQ(road.recordRows(), road.expectedRows(1).mid(0, 20));
  EXPECT_TRUE(dl->Toolbar1->isEnabled());
  EXPECT_EQ(dl->KeptRecords, 20);
  EXPECT_EQ(dl->VKZ418Grid->TextMatrix(kTotalPointRow, 1), QStringLiteral("20 of 57"));
  EXPECT_EQ(State().measurement.PointValue1.size(), 20u);
  const PointValues lavg = State().measurement.PointValue1;

  const QString vkz = tmp.filePath(QStringLiteral("part.vkz"));
  MsgBox::fileAnswers().push_back(vkz);
  MsgBox::filterAnswers().push_back(1);
  dl->Toolbar1_ButtonClick(QStringLiteral("save"));
  MsgBox::fileAnswers().push_back(vkz);
  road.panel->Toolbar1_ButtonClick(QStringLiteral("Open"));
  for (const MsgRecord& m : MsgBox::shown())
    if (!m.text.startsWith(QStringLiteral("Download stopped"))) {
      EXPECT_NE(m.icon, MsgIcon::Critical) << m.text.toStdString();
    }
  FileListFrm* fl = FormRegistry::find<FileListFrm>();
  ASSERT_NE(fl, nullptr);
  EXPECT_EQ(cells(fl->GridHeader), cells(dl->VKZ418Grid));
  EXPECT_EQ(cells(fl->GridRecord), cells(dl->VKZ418PointGrid));
  EXPECT_EQ(fl->GridHeader->TextMatrix(kTotalPointRow, 3), QStringLiteral("20 of 57"));
  EXPECT_EQ(State().measurement.PointValue1, lavg);

  // A new download of the whole measurement shows it whole again.
  road.meter.clearFaults();
  ASSERT_TRUE(road.download(1));
  dl = FormRegistry::find<DataListFrm>();  // the row click loads the window anew
  EXPECT_EQ(dl->KeptRecords, -1);
  EXPECT_EQ(dl->VKZ418Grid->TextMatrix(kTotalPointRow, 1), QStringLiteral("57"));
}

}  // namespace
}  // namespace vkz
