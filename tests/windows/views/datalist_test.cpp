// The data list window offscreen: its load and the header-item selection
// file, the header-item panel, the in-place editing of the user
// information, the toolbar's quantity and resolution panels, the save
// action (data file, CSV, cancel, failure) and the report calls.
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>

#include "polling/header.h"
#include "polling/measurement.h"
#include "polling/pollstate.h"
#include "shell/flags.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"
#include "ui/twips.h"
#include "views/chartstate.h"
#include "views/datafile.h"
#include "views/win/datalistfrm.h"
#include "views/win/reporthooks.h"
#include "views_env.h"

namespace vkz {
namespace {

std::string zeros102() {
  std::string s;
  for (int i = 0; i < 102; ++i) s += i ? ",0" : "0";
  return s + "\r\n";
}

class DataListTest : public ViewsTest {
 protected:
  DataListFrm* load() {
    DataListFrm* f = FormRegistry::get<DataListFrm>();
    f->Show();
    settle();
    return f;
  }
  void writeSelection(const std::string& bytes) {
    QFile f(path(QStringLiteral("bin/Header.bin")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }
  std::string selection() const { return readFile(path(QStringLiteral("bin/Header.bin"))); }
  static QAction* button(DataListFrm* f, const char* key) {
    return f->Toolbar1->findChild<QAction*>(QString::fromLatin1(key));
  }
  static void clickCell(FlexGrid* g, int row, int col, bool dbl) {
    const QPoint p = g->visualRect(g->gridModel()->index(row - g->gridModel()->headerRows(), col)).center();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, p);
    if (dbl) QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, p);
  }
};

TEST_F(DataListTest, LoadReadsOrRepairsTheSelectionFile) {
  std::string ticked = zeros102();
  ticked[2 * 2] = '1';                  // Dose
  ticked[2 * 100] = '2';                // Ti, the third state
  const std::string eightyFive = "85";  // not a state: unticked
  std::string badField = zeros102();
  badField.replace(2 * 4, 1, eightyFive);
  std::string fields101 = zeros102().substr(2);
  struct Case {
    const char* name;
    bool exists;
    std::string file;
    std::string after;  // "" = unchanged
    std::vector<std::pair<int, int>> states;
  };
  const std::vector<Case> cases = {
      {"missing", false, "", zeros102(), {{2, 0}}},
      {"good", true, ticked, "", {{2, 1}, {100, 2}, {3, 0}}},
      {"last line counts", true, zeros102() + ticked, "", {{2, 1}}},
      {"101 fields", true, fields101, zeros102(), {{2, 0}}},
      {"a bad field", true, badField, "", {{4, 0}, {2, 0}}},
      {"empty", true, "", zeros102(), {{2, 0}}},
  };
  for (const Case& c : cases) {
    QFile::remove(path(QStringLiteral("bin/Header.bin")));
    if (c.exists) writeSelection(c.file);
    DataListFrm* f = load();
    EXPECT_EQ(selection(), c.after.empty() ? c.file : c.after) << c.name;
    for (auto [n, s] : c.states) EXPECT_EQ(f->checkState(n), s) << c.name << " box " << n;
    EXPECT_EQ(State().flags.DataListFrmOpen, -1);
    FormRegistry::unload<DataListFrm>();
    settle();
    EXPECT_EQ(State().flags.DataListFrmOpen, 0);
  }
}

TEST_F(DataListTest, WithoutAModelTheWindowLoadsAsDesigned) {
  State().polling.MeterModel.clear();
  // Without a linked meter only a data file of the first model opened last
  // lets the window lay out its grids and read the selection file.
  const struct {
    const char* fileModel;
    bool laidOut;
  } cases[] = {{"", false}, {"KRD 529", false}, {"VKZ 418", true}};
  for (const auto& c : cases) {
    QFile::remove(path(QStringLiteral("bin/Header.bin")));
    State().dataFile.FileModel = c.fileModel;
    DataListFrm* f = load();
    EXPECT_EQ(bool(f->windowState() & Qt::WindowMaximized), c.laidOut) << c.fileModel;
    EXPECT_EQ(QFile::exists(path(QStringLiteral("bin/Header.bin"))), c.laidOut) << c.fileModel;
    FormRegistry::unload<DataListFrm>();
    settle();
  }
  State().dataFile.FileModel.clear();
  DataListFrm* f = load();
  EXPECT_EQ(f->VKZ418Grid->Rows(), 11);
  // In the normal state the window keeps its minimum size.
  f->resize(10, 10);
  EXPECT_EQ(f->width(), pxX(9650));
  EXPECT_EQ(f->height(), pxY(4900));
}

TEST_F(DataListTest, LoadWritesTheFixedRowsFromTheHeader) {
  DataListFrm* f = load();
  EXPECT_TRUE(f->windowState() & Qt::WindowMaximized);
  // Before any download: a blank and the unit, and 0 Min.
  EXPECT_EQ(f->VKZ418Grid->TextMatrix(3, 1), QStringLiteral(" dB"));
  EXPECT_EQ(f->VKZ418Grid->TextMatrix(7, 2), QStringLiteral("0 Min"));
  EXPECT_EQ(f->VKZ418Grid->TextMatrix(0, 1), QStringLiteral("D1"));
  EXPECT_EQ(f->VKZ418PointGrid->TextMatrix(0, 2), QStringLiteral("LAVG"));
  EXPECT_EQ(f->MSFGridUserInfo->TextMatrix(4, 0), QStringLiteral("Observations"));
  EXPECT_EQ(f->VKZ418PointGrid->Rows(), 1);
  EXPECT_FALSE(f->ItemSSP->isVisible());
  EXPECT_FALSE(f->SSpSelectItem->isVisible());
  EXPECT_FALSE(f->SSpResolution->isVisible());

  // A header that arrives: the decoder redraws the fixed rows.
  RecordHeader& h = State().measurement.header;
  f->ClearVkz418Grid();
  h.HeaderValue[0] = "85";
  h.HeaderValue[kSlotInterval] = "90";
  h.HeaderValue[kSlotRecordCount] = "3";
  f->UpdateVKZ418Grid();
  EXPECT_EQ(f->VKZ418Grid->TextMatrix(3, 1), QStringLiteral("85 dB"));
  EXPECT_EQ(f->VKZ418Grid->TextMatrix(7, 1), QStringLiteral("1 Min"));
  EXPECT_EQ(f->VKZ418Grid->TextMatrix(8, 3), QStringLiteral("3"));
}

TEST_F(DataListTest, HeaderItemPanelBuildsRowsAndStoresTheChoice) {
  std::string file = zeros102();
  file[2 * 100] = '1';  // Ti: not visible, disabled, still gives its row
  file[2 * 101] = '2';  // HML: third state, no row, written back
  writeSelection(file);
  DataListFrm* f = load();
  RecordHeader& h = State().measurement.header;
  h.HeaderValue[17] = "12.5";
  h.HeaderValue[9] = "85";
  h.HeaderValue[kSlotExceedanceTime] = "00:12:34";
  h.HeaderValue[32] = "80.1";

  QTest::mouseClick(f->ItemBtn, Qt::LeftButton);
  EXPECT_TRUE(f->ItemSSP->isVisible());
  // The first "All" ticks every offered box, the disabled ones keep theirs.
  QTest::mouseClick(f->AllSelBtn, Qt::LeftButton);
  QTest::mouseClick(f->SetBtn, Qt::LeftButton);
  EXPECT_FALSE(f->ItemSSP->isVisible());
  ASSERT_EQ(f->VKZ418Grid->Rows(), 11 + 94 + 1);
  EXPECT_EQ(f->VKZ418Grid->TextMatrix(11, 0), QStringLiteral("LAS > dB"));
  EXPECT_EQ(f->VKZ418Grid->TextMatrix(11, 1), QStringLiteral("(>85)_00:12:34"));
  EXPECT_EQ(f->VKZ418Grid->TextMatrix(13, 1), QStringLiteral("12.5 %"));  // Dose
  EXPECT_EQ(f->VKZ418Grid->TextMatrix(11 + 94, 0), QStringLiteral("Ti"));
  EXPECT_EQ(f->VKZ418Grid->TextMatrix(11 + 94, 1), QStringLiteral("80.1 dB"));
  std::string expected;
  for (int n = 0; n < 102; ++n)
    expected += std::string(n ? "," : "") + (n < 94 ? "1" : n == 100 ? "1" : n == 101 ? "2" : "0");
  EXPECT_EQ(selection(), expected + "\r\n");

  // The second "All" unticks the offered boxes; a click on a box moves it
  // between unticked and ticked only.
  QTest::mouseClick(f->AllSelBtn, Qt::LeftButton);
  EXPECT_EQ(f->checkState(5), 0);
  EXPECT_EQ(f->checkState(100), 1);
  f->Check1[3]->click();
  EXPECT_EQ(f->checkState(3), 1);

  // The language changes while the window is open: a box keeps the caption
  // of its load, which names no item any more.
  State().texts.TxtPDose = "Dose projetada";
  f->GridInfo();
  EXPECT_EQ(f->VKZ418Grid->Rows(), 11 + 1);  // only Ti
}

TEST_F(DataListTest, UserInformationIsEditedInPlace) {
  DataListFrm* f = load();
  auto editor = [f] { return f->findChild<QLineEdit*>(QStringLiteral("newtxt")); };

  clickCell(f->MSFGridUserInfo, 2, 0, true);  // a label: nothing opens
  EXPECT_EQ(editor(), nullptr);
  EXPECT_EQ(f->UserInfoEditing, 0);

  f->MSFGridUserInfo->setTextMatrix(4, 1, QStringLiteral("old"));
  clickCell(f->MSFGridUserInfo, 4, 1, true);
  ASSERT_NE(editor(), nullptr);
  EXPECT_EQ(f->UserInfoEditing, -1);
  EXPECT_EQ(editor()->text(), QStringLiteral("old"));
  EXPECT_TRUE(editor()->isVisible());
  // Over its cell.
  const QRect cell = f->MSFGridUserInfo->visualRect(f->MSFGridUserInfo->gridModel()->index(4, 1));
  EXPECT_EQ(editor()->pos(), f->MSFGridUserInfo->viewport()->mapTo(f, cell.topLeft()));

  // A pasted text with line breaks and a TAB, then Escape (no cancel) and Enter.
  editor()->setText(QStringLiteral("Ear muffs\r\nclass 2\tok"));
  QTest::keyClick(editor(), Qt::Key_Escape);
  ASSERT_NE(editor(), nullptr);
  QTest::keyClick(editor(), Qt::Key_Return);
  settle();
  EXPECT_EQ(editor(), nullptr);
  EXPECT_EQ(f->UserInfoEditing, 0);
  EXPECT_EQ(f->MSFGridUserInfo->TextMatrix(4, 1), QStringLiteral("Ear muffs  class 2 ok"));

  // A click on the grid commits too, an empty text included.
  clickCell(f->MSFGridUserInfo, 0, 1, true);
  ASSERT_NE(editor(), nullptr);
  editor()->clear();
  clickCell(f->MSFGridUserInfo, 3, 0, false);
  settle();
  EXPECT_EQ(editor(), nullptr);
  EXPECT_EQ(f->MSFGridUserInfo->TextMatrix(0, 1), QString());
}

TEST_F(DataListTest, QuantityAndResolutionPanels) {
  DataListFrm* f = load();
  button(f, "Ln")->trigger();
  EXPECT_TRUE(f->SSpSelectItem->isVisible());
  EXPECT_EQ(f->LnMode, 1);
  // OK before any quantity was chosen in the run is refused: nothing would
  // be counted right.
  QTest::mouseClick(f->BtnSelectOK, Qt::LeftButton);
  ASSERT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_EQ(MsgBox::shown()[0].text, chooseQuantityText());
  EXPECT_FALSE(f->SSpResolution->isVisible());
  EXPECT_EQ(State().chart.SelColumn, 0);
  // With no option chosen, the last choice of either data window holds.
  State().chart.SelColumn = 4;
  QTest::mouseClick(f->BtnSelectOK, Qt::LeftButton);
  EXPECT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_EQ(State().chart.SelColumn, 4);
  EXPECT_TRUE(f->SSpResolution->isVisible());
  f->SSpResolution->hide();

  f->Option1[1]->click();
  QTest::mouseClick(f->BtnSelectOK, Qt::LeftButton);
  EXPECT_EQ(State().chart.SelColumn, 3);
  EXPECT_TRUE(f->SSpResolution->isVisible());
  EXPECT_FALSE(f->SSpSelectItem->isVisible());  // a quantity chosen, the panel closes

  // "Plot" clears the choice again; Exit hides the quantity panel only.
  button(f, "Plot")->trigger();
  EXPECT_TRUE(f->SSpSelectItem->isVisible());
  EXPECT_EQ(f->LnMode, 0);
  for (QRadioButton* o : f->Option1) EXPECT_FALSE(o->isChecked());
  QTest::mouseClick(f->BtnExit, Qt::LeftButton);
  EXPECT_FALSE(f->SSpSelectItem->isVisible());
  EXPECT_TRUE(f->SSpResolution->isVisible());
  f->Toolbar1_ButtonClick(QStringLiteral("plot"));  // keys are exact
  EXPECT_FALSE(f->SSpSelectItem->isVisible());
}

TEST_F(DataListTest, SaveWritesTheDataFileOrCsvAndSaysWhenItCannot) {
  DataListFrm* f = load();
  f->MSFGridUserInfo->setTextMatrix(0, 1, QStringLiteral("Ana"));
  fillRecords(f->VKZ418PointGrid, {"85.3 dB", "*-- dB"});
  QStringList captions;
  QObject::connect(f, &QWidget::windowTitleChanged, [&](const QString& t) { captions << t; });

  // An editor still open: its text goes into the file.
  clickCell(f->MSFGridUserInfo, 1, 1, true);
  f->findChild<QLineEdit*>(QStringLiteral("newtxt"))->setText(QStringLiteral("Bruno"));

  const QString vkz = path(QStringLiteral("m1.vkz"));
  MsgBox::fileAnswers().push_back(vkz);
  MsgBox::filterAnswers().push_back(1);
  button(f, "save")->trigger();
  std::string data = readFile(vkz);
  EXPECT_EQ(data.rfind("VKZ 418\r\n\r\nInformation\r\nEvaluator\tAna\t\r\nEvaluated\tBruno\t\r\n", 0), 0u);
  EXPECT_NE(data.find("RecordData\r\nNo.s\tDate/Time\tLAVG\tLeq\tLCPK\tLZPK\t\r\n1\t"), std::string::npos);
  EXPECT_TRUE(MsgBox::shown().empty());
  EXPECT_EQ(captions.value(captions.size() - 2), QStringLiteral("100.0% Completed"));
  EXPECT_EQ(f->windowTitle(), QStringLiteral("DataList"));
  EXPECT_TRUE(State().poll.running());
  EXPECT_FALSE(State().dataFile.SaveFileChosen);

  const QString csv = path(QStringLiteral("m1.csv"));
  MsgBox::fileAnswers().push_back(csv);
  MsgBox::filterAnswers().push_back(2);
  button(f, "save")->trigger();
  EXPECT_EQ(readFile(csv).rfind("VKZ 418\r\n\r\nInformation\r\nEvaluator,Ana,\r\n", 0), 0u);

  // Cancelled: nothing written, nothing said.
  MsgBox::fileAnswers().push_back(QString());
  button(f, "save")->trigger();
  EXPECT_TRUE(MsgBox::shown().empty());

  // A folder that does not exist: the failure is shown, polling resumes.
  MsgBox::fileAnswers().push_back(path(QStringLiteral("no/such/folder/m2.vkz")));
  button(f, "save")->trigger();
  ASSERT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::Critical);
  EXPECT_TRUE(State().poll.running());
  EXPECT_EQ(f->windowTitle(), QStringLiteral("DataList"));

  // No meter model known: the file could not be opened again; not written.
  State().polling.MeterModel.clear();
  MsgBox::fileAnswers().push_back(path(QStringLiteral("m3.vkz")));
  button(f, "save")->trigger();
  EXPECT_FALSE(QFile::exists(path(QStringLiteral("m3.vkz"))));
  EXPECT_EQ(MsgBox::shown().size(), 2u);
}

TEST_F(DataListTest, PrintAndPdfGoThroughTheReportFunctions) {
  DataListFrm* f = load();
  // Nothing installed: the user is told, polling resumes.
  button(f, "Print")->trigger();
  ASSERT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_EQ(MsgBox::shown()[0].text, QString::fromStdString(printReportMissingText()));
  MsgBox::fileAnswers().push_back(path(QStringLiteral("PDF/r.pdf")));
  button(f, "PDF")->trigger();
  ASSERT_EQ(MsgBox::shown().size(), 2u);
  EXPECT_EQ(MsgBox::shown()[1].text, QString::fromStdString(pdfReportMissingText()));
  EXPECT_TRUE(State().poll.running());

  QStringList calls;
  State().reports.printReport = [&](const ReportSource& s, ReportDone done) {
    calls << QStringLiteral("print %1").arg(s.records->objectName());
    EXPECT_FALSE(State().poll.running());
    done({ReportOutcome::Failed, "Printer out of paper"});
  };
  State().reports.exportPdfReport = [&](const ReportSource& s, const std::string& name, ReportDone done) {
    calls << QStringLiteral("pdf %1 %2").arg(s.userInfo->objectName(), QString::fromStdString(name));
    done({});
  };
  MsgBox::resetTestRecords();
  button(f, "Print")->trigger();
  ASSERT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_EQ(MsgBox::shown()[0].text, QStringLiteral("Printer out of paper"));
  MsgBox::fileAnswers().push_back(QString());  // cancelled: silent
  button(f, "PDF")->trigger();
  MsgBox::fileAnswers().push_back(path(QStringLiteral("PDF/r.pdf")));
  button(f, "PDF")->trigger();
  EXPECT_EQ(calls, (QStringList{QStringLiteral("print VKZ418PointGrid"),
                                QStringLiteral("pdf MSFGridUserInfo ") + path(QStringLiteral("PDF/r.pdf"))}));
  EXPECT_EQ(MsgBox::shown().size(), 1u);

  // Neither a meter nor a data file of a supported model: nothing printed.
  State().polling.MeterModel.clear();
  button(f, "Print")->trigger();
  EXPECT_EQ(calls.size(), 2);
  EXPECT_TRUE(State().poll.running());
}

}  // namespace
}  // namespace vkz
