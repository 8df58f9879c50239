// The level histogram and the level graph offscreen: a histogram run from
// either data window and the histogram window's track modes, Reset and
// printing; the record plotter and the level graph window's edits, track
// modes, cursor read-out, Reset Scale and printing; the file list window's
// panels and print.
#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolBar>

#include "polling/pollstate.h"
#include "shell/flags.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "ui/graph.h"
#include "ui/listpos.h"
#include "ui/mainwindowhost.h"
#include "ui/msgbox.h"
#include "ui/printer.h"
#include "ui/splitbar.h"
#include "ui/twips.h"
#include "views/chartstate.h"
#include "views/datafile.h"
#include "views/win/datalistfrm.h"
#include "views/win/filelistfrm.h"
#include "views/win/histogramfrm.h"
#include "views/win/plotfrm.h"
#include "views/win/reporthooks.h"
#include "views_env.h"

namespace vkz {
namespace {

class ChartsTest : public ViewsTest {
 protected:
  // A data list window with records whose LAVG cells are `levels`.
  DataListFrm* dataList(const std::vector<std::string>& levels) {
    DataListFrm* f = FormRegistry::get<DataListFrm>();
    f->Show();
    fillRecords(f->VKZ418PointGrid, levels);
    return f;
  }
  static void chooseAndRun(DataListFrm* f, int option, bool tenth) {
    f->Toolbar1_ButtonClick(QStringLiteral("Ln"));
    f->Option1[static_cast<size_t>(option)]->click();
    QTest::mouseClick(f->BtnSelectOK, Qt::LeftButton);
    QTest::mouseClick(tenth ? f->Btn01dB : f->Btn1dB, Qt::LeftButton);
  }
};

TEST_F(ChartsTest, HistogramRunFillsWindowTableAndChartState) {
  DataListFrm* f = dataList({"85.3 dB"});
  QStringList captions;
  QObject::connect(f, &QWidget::windowTitleChanged, [&](const QString& t) { captions << t; });
  chooseAndRun(f, 0, true);

  Histogram* h = FormRegistry::find<Histogram>();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(State().flags.HistogramOpen, -1);
  EXPECT_EQ(captions.value(captions.size() - 2), QStringLiteral("100.0%Completed"));
  EXPECT_EQ(f->windowTitle(), QStringLiteral("DataList"));
  EXPECT_TRUE(State().poll.running());
  EXPECT_FALSE(f->SSpResolution->isVisible());
  const ChartState& c = State().chart;
  EXPECT_EQ(c.HistFirstBin, 853);
  EXPECT_EQ(c.HistLastBin, 853);
  EXPECT_EQ(c.HistCount, 1);
  EXPECT_EQ(h->CWG->minimum(GraphAxis::X), 853);
  EXPECT_EQ(h->CWG->maximum(GraphAxis::X), 854);
  EXPECT_EQ(h->CWG->format(GraphAxis::X), QStringLiteral("*0.1"));
  EXPECT_EQ(h->CWG->tickLabel(GraphAxis::X, 853), QStringLiteral("85.3"));
  EXPECT_DOUBLE_EQ(c.HistYMax, h->CWG->maximum(GraphAxis::Y));
  EXPECT_GE(c.HistYMax, 1);
  // Bin 853 (85.3 dB) fills 853 .. 854, beginning at its own label.
  QPointF bar;
  ASSERT_TRUE(h->CWG->point(853, &bar));
  EXPECT_DOUBLE_EQ(bar.x(), 853.5);
  EXPECT_DOUBLE_EQ(bar.y(), 1);
  // The table: ten rows L(00) .. L(90), every level 85.3.
  ASSERT_EQ(h->GridLn->Rows(), 11);
  EXPECT_EQ(h->GridLn->TextMatrix(0, 0), QStringLiteral("Ln"));
  EXPECT_EQ(h->GridLn->TextMatrix(0, 4), QStringLiteral(" 3"));
  EXPECT_EQ(h->GridLn->TextMatrix(2, 0), QStringLiteral("L(10)"));
  EXPECT_EQ(h->GridLn->TextMatrix(10, 10), QStringLiteral("85.3"));

  // A second run at 1 dB from the file list window replaces the first.
  QPointer<Histogram> first(h);
  FileListFrm* fl = FormRegistry::get<FileListFrm>();
  fl->Show();
  fillRecords(fl->GridRecord, {"70.0 dB", "90.4 dB", "*90.0 dB"});
  fl->Toolbar1_ButtonClick(QStringLiteral("Ln"));
  fl->Option1[2]->click();
  QTest::mouseClick(fl->BtnSelectOK, Qt::LeftButton);
  QTest::mouseClick(fl->Btn1dB, Qt::LeftButton);
  settle();
  EXPECT_TRUE(first.isNull());
  h = FormRegistry::find<Histogram>();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(State().chart.SelColumn, 4);
  EXPECT_EQ(State().chart.HistFirstBin, 70);  // the flagged record counts in bin 0
  EXPECT_EQ(State().chart.HistLastBin, 90);
  EXPECT_EQ(State().chart.HistCount, 3);
  EXPECT_EQ(h->CWG->format(GraphAxis::X), QStringLiteral("0"));
  EXPECT_EQ(h->GridLn->TextMatrix(10, 10), QStringLiteral("0"));  // L99: the flagged record, bin 0
  EXPECT_EQ(h->GridLn->TextMatrix(1, 1), QStringLiteral("90"));   // L0
  EXPECT_EQ(fl->windowTitle(), QStringLiteral("FileList"));
}

TEST_F(ChartsTest, HistogramOfNoRecordsIsRefused) {
  DataListFrm* f = dataList({});
  chooseAndRun(f, 0, true);
  EXPECT_FALSE(FormRegistry::loaded<Histogram>());
  ASSERT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_TRUE(State().poll.running());
  EXPECT_EQ(f->windowTitle(), QStringLiteral("DataList"));
}

TEST_F(ChartsTest, HistogramWindowTrackModesResetAndPrint) {
  chooseAndRun(dataList({"80.0 dB", "90.0 dB", "90.0 dB"}), 0, true);
  Histogram* h = FormRegistry::find<Histogram>();
  ASSERT_NE(h, nullptr);
  h->show();
  QAction* limit = h->Toolbar1->findChild<QAction*>(QStringLiteral("Limit"));
  QAction* print = h->Toolbar1->findChild<QAction*>(QStringLiteral("Print"));
  EXPECT_FALSE(h->Picture1->isVisible());
  limit->trigger();
  EXPECT_TRUE(h->Picture1->isVisible());
  limit->trigger();
  EXPECT_FALSE(h->Picture1->isVisible());

  limit->trigger();
  setListPosition(h->Combo1, 4);  // ZoomXY
  EXPECT_FALSE(h->Picture1->isVisible());
  EXPECT_EQ(h->CWG->trackMode(), TrackMode::ZoomXY);
  h->CWG->setRange(GraphAxis::X, 820, 830);
  h->CWG->setRange(GraphAxis::Y, 5, 6);
  setListPosition(h->Combo1, 7);  // Reset
  EXPECT_EQ(h->CWG->minimum(GraphAxis::X), 800);
  EXPECT_EQ(h->CWG->maximum(GraphAxis::X), 901);
  EXPECT_EQ(h->CWG->minimum(GraphAxis::Y), 0);
  EXPECT_EQ(h->CWG->maximum(GraphAxis::Y), State().chart.HistYMax);
  EXPECT_EQ(h->CWG->trackMode(), TrackMode::None);
  EXPECT_EQ(h->Combo1->currentText(), QStringLiteral("Reset"));

  // No item chosen: the user is asked for a valid one, the graph stays.
  limit->trigger();
  setListPosition(h->Combo1, -1);
  ASSERT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_EQ(MsgBox::shown()[0].text, QStringLiteral("Select a valid TrackMode."));
  EXPECT_FALSE(h->Picture1->isVisible());
  EXPECT_EQ(h->CWG->maximum(GraphAxis::X), 901);
  MsgBox::resetTestRecords();

  // Shrunk below its minimum, it springs back.
  h->resize(50, 50);
  EXPECT_EQ(h->width(), pxX(9660));
  EXPECT_EQ(h->height(), pxY(7785));

  // Printer dialog cancelled: nothing printed, toolbar back.
  print->trigger();
  EXPECT_EQ(PrinterSeam::dialogsShown(), 1);
  EXPECT_TRUE(h->Toolbar1->isVisible());
  EXPECT_TRUE(MsgBox::shown().empty());
  const QString pdf = path(QStringLiteral("hist.pdf"));
  PrinterSeam::answers().push_back({false, pdf, 1, QPageLayout::Landscape});
  print->trigger();
  EXPECT_GT(QFile(pdf).size(), 1000);
  EXPECT_TRUE(h->Toolbar1->isVisible());
  EXPECT_FALSE(h->Picture1->isVisible());

  // Closing clears the flag.
  h->close();
  settle();
  EXPECT_EQ(State().flags.HistogramOpen, 0);
}

TEST_F(ChartsTest, RecordPlotterDrawsValuesMarksAndRanges) {
  DataListFrm* f = dataList({"70.1 dB", "-- dB", "150.2 dB", "3L", "*88.0 dB", "*80.0 dB", "75.0 dB"});
  f->Toolbar1_ButtonClick(QStringLiteral("Plot"));
  f->Option1[0]->click();
  QTest::mouseClick(f->BtnSelectOK, Qt::LeftButton);

  Plot* p = FormRegistry::find<Plot>();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(State().flags.PlotOpen, -1);
  EXPECT_EQ(State().chart.PlotPoints, 7);
  EXPECT_TRUE(State().poll.running());
  EXPECT_EQ(p->AxisMin[1]->value(), 1);
  EXPECT_EQ(p->AxisMax[1]->value(), 7);
  EXPECT_EQ(p->AxisMin[2]->value(), 25);
  EXPECT_EQ(p->AxisMax[2]->value(), 150);
  EXPECT_EQ(p->CWGraph1->minimum(GraphAxis::X), 1);
  EXPECT_EQ(p->CWGraph1->maximum(GraphAxis::X), 7);
  EXPECT_EQ(p->CWGraph1->minimum(GraphAxis::Y), 25);
  EXPECT_EQ(p->CWGraph1->maximum(GraphAxis::Y), 150);
  EXPECT_EQ(p->CWGraph1->caption(GraphAxis::X), QStringLiteral("No.s  (LAVG)"));
  ASSERT_EQ(p->CWGraph1->pointCount(), 7);
  const double want[] = {70.1, 25, 145, 145, 0, 0, 75.0};
  for (int i = 0; i < 7; ++i) {
    QPointF pt;
    ASSERT_TRUE(p->CWGraph1->point(i, &pt));
    EXPECT_EQ(pt.x(), i + 1);
    EXPECT_DOUBLE_EQ(pt.y(), want[i]);
  }
  ASSERT_EQ(p->CWGraph1->annotationCount(), 2);
  EXPECT_EQ(p->CWGraph1->annotationText(1), QStringLiteral("Pause"));
  EXPECT_EQ(p->CWGraph1->annotationPointIndex(1), 4);
  EXPECT_EQ(p->CWGraph1->annotationCaptionPosition(1), QPointF(5, 30));
  EXPECT_EQ(p->CWGraph1->annotationText(2), QStringLiteral("Start"));
  EXPECT_EQ(p->CWGraph1->annotationCaptionPosition(2), QPointF(7, 105));

  // A second column replaces the trace and adds its marks.
  State().chart.SelColumn = 3;
  PlotGridColumn(*f->VKZ418PointGrid, State().chart.SelColumn, QStringLiteral("Leq"));
  EXPECT_EQ(p->CWGraph1->annotationCount(), 4);
  EXPECT_EQ(p->CWGraph1->caption(GraphAxis::X), QStringLiteral("No.s  (Leq)"));

  // Reset Scale: 1 .. PlotPoints and 25 .. 145; the edits keep their values.
  p->CWGraph1->setRange(GraphAxis::X, 2, 3);
  QTest::mouseClick(p->CmdReset, Qt::LeftButton);
  EXPECT_EQ(p->CWGraph1->maximum(GraphAxis::X), 7);
  EXPECT_EQ(p->CWGraph1->maximum(GraphAxis::Y), 145);
  EXPECT_EQ(p->AxisMax[2]->value(), 150);

  // A pair the graph refuses leaves that axis; the other is still set.
  p->AxisMax[2]->setValue(120);
  p->AxisMin[1]->setValue(200);
  EXPECT_EQ(p->CWGraph1->maximum(GraphAxis::X), 7);
  EXPECT_EQ(p->CWGraph1->maximum(GraphAxis::Y), 120);
}

TEST_F(ChartsTest, PlotOfAnEmptyGridDoesNothing) {
  DataListFrm* f = dataList({});
  State().poll.StopPanelTimers();
  State().chart.SelColumn = 2;
  PlotGridColumn(*f->VKZ418PointGrid, State().chart.SelColumn, QStringLiteral("LAVG"));
  EXPECT_FALSE(FormRegistry::loaded<Plot>());
  EXPECT_FALSE(State().poll.running());  // untouched
  State().poll.StartPanelTimers();
  // A single record is still drawn.
  fillRecords(f->VKZ418PointGrid, {"80.0 dB"});
  PlotGridColumn(*f->VKZ418PointGrid, State().chart.SelColumn, QStringLiteral("LAVG"));
  ASSERT_TRUE(FormRegistry::loaded<Plot>());
  EXPECT_EQ(FormRegistry::find<Plot>()->CWGraph1->pointCount(), 1);
}

TEST_F(ChartsTest, PlotWindowTrackModesCursorAndPrint) {
  Plot* p = FormRegistry::get<Plot>();
  p->show();
  EXPECT_EQ(listPosition(p->Combo1), 0);
  EXPECT_EQ(p->txtDescription->toPlainText(), QStringLiteral("Normal mode"));
  EXPECT_EQ(p->CWGraph1->cursorCount(), 0);

  p->CWGraph1->setRange(GraphAxis::X, 1, 100);
  p->CWGraph1->setRange(GraphAxis::Y, 25, 150);
  setListPosition(p->Combo1, 1);
  ASSERT_EQ(p->CWGraph1->cursorCount(), 1);
  EXPECT_EQ(p->CWGraph1->cursorColor(1), QColor(255, 0, 0));
  EXPECT_EQ(p->CWGraph1->cursorPosition(1), QPointF(50.5, 87.5));
  EXPECT_EQ(p->CWGraph1->trackMode(), TrackMode::DragCursor);
  EXPECT_EQ(p->txtDescription->toPlainText(), QString::fromStdString(State().texts.TxtHelpCursor));

  p->CWGraph1->setCursorPosition(1, 37, 72.44);
  p->CWGraph1_CursorChange(1, 37, 72.44, false);
  EXPECT_EQ(p->XPosition->text(), QStringLiteral("37"));
  EXPECT_EQ(p->YPosition->text(), QStringLiteral("72.4"));
  p->CWGraph1_CursorChange(2, 1, 1, false);  // not cursor 1: nothing
  EXPECT_EQ(p->XPosition->text(), QStringLiteral("37"));

  setListPosition(p->Combo1, 6);  // ZoomX
  EXPECT_EQ(p->CWGraph1->cursorCount(), 0);
  EXPECT_EQ(p->CWGraph1->trackMode(), TrackMode::ZoomX);
  EXPECT_EQ(p->YPosition->text(), QStringLiteral("72.4"));  // keeps the last read-out

  // Print: back to Normal; a cancel prints nothing.
  setListPosition(p->Combo1, 1);
  QTest::mouseClick(p->CmdPrint, Qt::LeftButton);
  EXPECT_EQ(listPosition(p->Combo1), 0);
  EXPECT_EQ(p->CWGraph1->cursorCount(), 0);
  const QString pdf = path(QStringLiteral("plot.pdf"));
  PrinterSeam::answers().push_back({false, pdf, 1, QPageLayout::Landscape});
  QTest::mouseClick(p->CmdPrint, Qt::LeftButton);
  EXPECT_GT(QFile(pdf).size(), 1000);
  EXPECT_TRUE(p->FrmGraphic->isVisible());
  EXPECT_TRUE(MsgBox::shown().empty());

  // Shrunk below its minimum, it springs back; the graph keeps 440 twips
  // less than the window's outer width.
  p->resize(10, 10);
  EXPECT_EQ(p->width(), pxX(11360));
  const int outer = std::max(twX(p->frameGeometry().width()), 11360);
  EXPECT_EQ(p->CWGraph1->width(), pxX(outer - 440));
}

// The main window as the measurement windows reach it.
struct MainWindow : QWidget, MainWindowHost {
  void showMdiChild(QWidget* w) override { w->show(); }
  QPoint frameTopLeft() const override { return frameGeometry().topLeft(); }
  QString caption() const override { return windowTitle(); }
  void setCaption(const QString& text) override { setWindowTitle(text); }
};

TEST_F(ChartsTest, PlotterPutsTheMainWindowCaptionBack) {
  auto* panel = new MainWindow();
  State().mainWindow = [panel] { return static_cast<MainWindowHost*>(panel); };
  panel->setWindowTitle(QStringLiteral("Noise Dosimeter - [DataList]"));
  DataListFrm* f = dataList({"80.0 dB", "81.0 dB"});
  State().chart.SelColumn = 2;
  QStringList captions;
  QObject::connect(panel, &QWidget::windowTitleChanged, [&](const QString& t) { captions << t; });
  PlotGridColumn(*f->VKZ418PointGrid, State().chart.SelColumn, QStringLiteral("LAVG"));
  EXPECT_TRUE(captions.contains(QStringLiteral("2 Completed")));
  EXPECT_EQ(panel->windowTitle(), QStringLiteral("Noise Dosimeter"));
  FormRegistry::unloadAll();
  State().mainWindow = nullptr;
  delete panel;
  settle();
}

TEST_F(ChartsTest, FileListPanelsSplitterAndPrint) {
  FileListFrm* f = FormRegistry::get<FileListFrm>();
  f->Show();
  settle();
  EXPECT_EQ(State().flags.FileListFrmOpen, -1);
  EXPECT_EQ(f->GridRecord->TextMatrix(0, 0), QStringLiteral("No.s"));
  EXPECT_EQ(f->Toolbar1->actions().value(0)->toolTip(), QStringLiteral("Graphic Plot"));

  // The splitter stops at 2200 twips from the left.
  f->PicSplit_MouseDown(1, 0, 0, 0);
  f->PicSplit_MouseMove(1, 0, -100000, 0);
  f->PicSplit_MouseUp(1, 0, 0, 0);
  EXPECT_EQ(f->PicSplit->x(), pxX(2200));
  f->PicSplit_MouseMove(1, 0, 5000, 0);  // not dragging any more
  EXPECT_EQ(f->PicSplit->x(), pxX(2200));

  f->Toolbar1_ButtonClick(QStringLiteral("Plot"));
  QTest::mouseClick(f->BtnSelectOK, Qt::LeftButton);  // no quantity yet: refused
  EXPECT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_FALSE(FormRegistry::loaded<Plot>());
  // A choice made before (in either window) is plotted under its caption.
  fillRecords(f->GridRecord, {"80.0 dB", "81.0 dB", "82.0 dB"});
  State().chart.SelColumn = 3;
  QTest::mouseClick(f->BtnSelectOK, Qt::LeftButton);
  ASSERT_TRUE(FormRegistry::loaded<Plot>());
  EXPECT_EQ(FormRegistry::find<Plot>()->CWGraph1->caption(GraphAxis::X), QStringLiteral("No.s  (Leq)"));
  EXPECT_EQ(State().chart.PlotPoints, 3);

  int printed = 0;
  State().reports.printReport = [&](const ReportSource& s, ReportDone done) {
    EXPECT_EQ(s.header, f->GridHeader);
    ++printed;
    done({ReportOutcome::Cancelled, {}});
  };
  f->Toolbar1_ButtonClick(QStringLiteral("Print"));
  EXPECT_EQ(printed, 1);
  State().polling.MeterModel.clear();
  f->Toolbar1_ButtonClick(QStringLiteral("Print"));
  EXPECT_EQ(printed, 1);
  State().dataFile.FileModel = "KRD 529";
  f->Toolbar1_ButtonClick(QStringLiteral("Print"));
  EXPECT_EQ(printed, 2);
  EXPECT_EQ(MsgBox::shown().size(), 1u);
  EXPECT_TRUE(State().poll.running());
}

}  // namespace
}  // namespace vkz
