#include "ui/flexgrid.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "ui/twips.h"

using namespace vkz;

namespace {

// A record grid as the data windows set it up: six columns, one fixed
// title row, one fixed column.
void makeRecordGrid(FlexGrid& g) {
  g.setCols(6);
  g.setRows(1);
  const char* heads[] = {"No.s", "Date/Time", "LAVG", "Leq", "LCPK", "LZPK"};
  for (int c = 0; c < 6; ++c) g.setTextMatrix(0, c, heads[c]);
}

QString recordRow(int n) {
  return QString("%1\t2024/05/06 10:00:00\t85.3 dB\t86.1 dB\t*120.4 dB\t-- dB\t").arg(n);
}

}  // namespace

TEST(FlexGrid, StartsWithTheOldControlsDefaults) {
  FlexGrid g;
  EXPECT_EQ(g.Rows(), 2);
  EXPECT_EQ(g.Cols(), 2);
  EXPECT_EQ(g.FixedRows(), 1);
  EXPECT_EQ(g.FixedCols(), 1);
  EXPECT_EQ(g.Row(), 0);
  EXPECT_EQ(g.Col(), 0);
}

TEST(FlexGrid, AddItemFillsCellsAndFixedRowIsTheHeader) {
  FlexGrid g;
  makeRecordGrid(g);
  ASSERT_TRUE(g.AddItem(recordRow(1)));     // TAB at the end allowed
  ASSERT_TRUE(g.AddItem("2\t2024/05/06"));  // missing cells stay empty
  ASSERT_TRUE(g.AddItem("0\tfirst", 1));    // inserted before row 1
  g.Refresh();

  EXPECT_EQ(g.Rows(), 4);
  EXPECT_EQ(g.TextMatrix(0, 1), "Date/Time");  // fixed row keeps its text
  EXPECT_EQ(g.TextMatrix(1, 1), "first");
  EXPECT_EQ(g.TextMatrix(2, 4), "*120.4 dB");
  EXPECT_EQ(g.TextMatrix(2, 5), "-- dB");
  EXPECT_EQ(g.TextMatrix(3, 2), "");
  // The view: data rows only, the fixed row as the header.
  FlexGridModel* m = g.gridModel();
  EXPECT_EQ(m->rowCount(), 3);
  EXPECT_EQ(m->headerData(2, Qt::Horizontal).toString(), "LAVG");
  EXPECT_EQ(m->data(m->index(1, 2)).toString(), "85.3 dB");
  EXPECT_FALSE(g.horizontalHeader()->isHidden());
  // Qt-free readers see the same cells.
  EXPECT_EQ(g.gridData().text(2, 3), "86.1 dB");
  // Texts are UTF-8 inside.
  ASSERT_TRUE(g.setTextMatrix(3, 1, QString::fromUtf8("Jos\xC3\xA9")));
  EXPECT_EQ(g.gridData().text(3, 1), "Jos\xC3\xA9");
  EXPECT_EQ(g.TextMatrix(3, 1), QString::fromUtf8("Jos\xC3\xA9"));
}

TEST(FlexGrid, RefusesIndexesOutsideTheGrid) {
  FlexGrid g;
  makeRecordGrid(g);
  g.AddItem(recordRow(1));
  g.AddItem(recordRow(2));  // 3 rows x 6 columns, 1 fixed row, 1 fixed column
  struct Case {
    const char* what;
    std::function<bool(FlexGrid&)> call;
  };
  const Case cases[] = {
      {"Rows -1", [](FlexGrid& f) { return f.setRows(-1); }},
      {"Cols -1", [](FlexGrid& f) { return f.setCols(-1); }},
      {"FixedRows above Rows", [](FlexGrid& f) { return f.setFixedRows(4); }},
      {"FixedCols above Cols", [](FlexGrid& f) { return f.setFixedCols(7); }},
      {"TextMatrix row", [](FlexGrid& f) { return f.setTextMatrix(3, 0, "x"); }},
      {"TextMatrix col", [](FlexGrid& f) { return f.setTextMatrix(0, 6, "x"); }},
      {"TextMatrix negative", [](FlexGrid& f) { return f.setTextMatrix(-1, 0, "x"); }},
      {"Row", [](FlexGrid& f) { return f.setRow(3); }},
      {"Col", [](FlexGrid& f) { return f.setCol(-1); }},
      {"AddItem index", [](FlexGrid& f) { return f.AddItem("x", 4); }},
      {"RemoveItem", [](FlexGrid& f) { return f.RemoveItem(3); }},
      {"ColWidth", [](FlexGrid& f) { return f.setColWidth(6, 100); }},
      {"ColWidth negative", [](FlexGrid& f) { return f.setColWidth(0, -2); }},
      {"ColAlignment", [](FlexGrid& f) { return f.setColAlignment(6, FlexAlign::CenterCenter); }},
      {"TopRow in the fixed rows", [](FlexGrid& f) { return f.setTopRow(0); }},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(c.call(g)) << c.what;
    EXPECT_EQ(g.Rows(), 3) << c.what;
    EXPECT_EQ(g.Cols(), 6) << c.what;
    EXPECT_EQ(g.FixedRows(), 1) << c.what;
    EXPECT_EQ(g.FixedCols(), 0 + 1) << c.what;
    EXPECT_EQ(g.TextMatrix(2, 0), "2") << c.what;
  }
  EXPECT_EQ(g.TextMatrix(9, 9), "");
  EXPECT_EQ(g.ColWidth(6), -1);
  EXPECT_EQ(g.RowHeight(3), -1);
}

TEST(FlexGrid, ShrinkingKeepsFixedRowsAndCurrentCellInside) {
  FlexGrid g;
  makeRecordGrid(g);
  for (int i = 1; i <= 5; ++i) g.AddItem(recordRow(i));
  ASSERT_TRUE(g.setRow(5));
  ASSERT_TRUE(g.setCol(5));
  // The data-file opening: no rows at all, rows appended, then one fixed row.
  ASSERT_TRUE(g.setRows(0));
  EXPECT_EQ(g.FixedRows(), 0);
  EXPECT_EQ(g.Row(), 0);
  EXPECT_FALSE(g.setFixedRows(1));
  g.AddItem("Head\tD1");
  g.AddItem("Start\t2024");
  ASSERT_TRUE(g.setFixedRows(1));
  g.Refresh();
  EXPECT_EQ(g.gridModel()->rowCount(), 1);
  EXPECT_EQ(g.gridModel()->headerData(1, Qt::Horizontal).toString(), "D1");
  // Back to the header row only (the memory list when it is shown).
  ASSERT_TRUE(g.setRows(1));
  EXPECT_EQ(g.gridModel()->rowCount(), 0);
  EXPECT_EQ(g.TextMatrix(0, 0), "Head");
  // Cols shrink with the fixed columns.
  ASSERT_TRUE(g.setCols(0));
  EXPECT_EQ(g.FixedCols(), 0);
}

TEST(FlexGrid, ClearEmptiesEveryCellButKeepsTheShape) {
  FlexGrid g;
  makeRecordGrid(g);
  g.AddItem(recordRow(1));
  g.setColWidth(1, 3000);
  g.Clear();
  EXPECT_EQ(g.Rows(), 2);
  EXPECT_EQ(g.Cols(), 6);
  EXPECT_EQ(g.FixedRows(), 1);
  EXPECT_EQ(g.ColWidth(1), 3000);
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 6; ++c) EXPECT_EQ(g.TextMatrix(r, c), "") << r << "," << c;
  EXPECT_EQ(g.gridModel()->headerData(0, Qt::Horizontal).toString(), "");
}

TEST(FlexGrid, ColumnWidthsInTwipsAndAlignment) {
  FlexGrid g;
  g.setCols(3);
  // The memory list in a panel 1385 twips wide: 2 : 6 : 2 of (1385 - 385).
  const int widths[] = {200, 600, 200};
  for (int c = 0; c < 3; ++c) {
    ASSERT_TRUE(g.setColWidth(c, widths[c]));
    ASSERT_TRUE(g.setColAlignment(c, FlexAlign::CenterCenter));
  }
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(g.ColWidth(c), widths[c]);
    EXPECT_EQ(g.horizontalHeader()->sectionSize(c), pxX(widths[c]));
    EXPECT_EQ(g.ColAlignment(c), FlexAlign::CenterCenter);
  }
  g.AddItem("1\t2024/05/06 10:00:00\t7");
  g.Refresh();
  auto* m = g.gridModel();
  EXPECT_EQ(m->data(m->index(0, 1), Qt::TextAlignmentRole).toInt(), static_cast<int>(Qt::AlignCenter));
  // Widths survive a change of the row count and of the fixed rows.
  g.setRows(0);
  g.AddItem("a");
  g.setFixedRows(1);
  EXPECT_EQ(g.horizontalHeader()->sectionSize(1), pxX(600));
  // A width of 0 hides the column; -1 gives the default back.
  ASSERT_TRUE(g.setColWidth(2, 0));
  EXPECT_TRUE(g.horizontalHeader()->isSectionHidden(2));
  ASSERT_TRUE(g.setColWidth(2, -1));
  EXPECT_FALSE(g.horizontalHeader()->isSectionHidden(2));
  EXPECT_EQ(g.ColWidth(2), twX(g.horizontalHeader()->defaultSectionSize()));
}

TEST(FlexGrid, ColumnsFitTheirWidestTextWhenAsked) {
  FlexGrid g;
  g.setCols(4);
  g.setRows(1);
  for (int c = 0; c < 4; ++c) ASSERT_TRUE(g.setColWidth(c, 300));
  ASSERT_TRUE(g.setColWidth(3, 0));  // hidden
  const QString date = QStringLiteral("2024/05/06  07:30:00");
  g.setTextMatrix(0, 0, QStringLiteral("Date/Time heading of some length"));
  g.AddItem(QStringLiteral("1\t") + date + QStringLiteral("\t7\t") + date);
  g.setColumnsFitText(true);
  g.Refresh();
  QHeaderView* hh = g.horizontalHeader();
  const int textWidth = g.fontMetrics().horizontalAdvance(date);
  // Column 0 grows to its heading, column 1 to its date; column 2 is wide
  // enough already; the hidden column stays hidden; ColWidth keeps 300.
  EXPECT_GT(hh->sectionSize(0), hh->fontMetrics().horizontalAdvance(g.TextMatrix(0, 0)));
  EXPECT_GT(hh->sectionSize(1), textWidth);
  EXPECT_EQ(hh->sectionSize(2), pxX(300));
  EXPECT_TRUE(hh->isSectionHidden(3));
  EXPECT_EQ(g.ColWidth(1), 300);
  // A text changed later widens its column when the event loop turns.
  g.setTextMatrix(1, 2, date + date);
  QCoreApplication::processEvents();
  EXPECT_GT(hh->sectionSize(2), 2 * textWidth);
  g.setColumnsFitText(false);
  EXPECT_EQ(hh->sectionSize(1), pxX(300));
}

TEST(FlexGrid, AppendsReachTheViewInOneNotification) {
  FlexGrid g;
  makeRecordGrid(g);
  QSignalSpy inserted(g.gridModel(), &QAbstractItemModel::rowsInserted);
  QSignalSpy resets(g.gridModel(), &QAbstractItemModel::modelReset);
  for (int i = 1; i <= 1000; ++i) g.AddItem(recordRow(i));
  EXPECT_EQ(g.Rows(), 1001);  // the data is there at once
  EXPECT_EQ(g.TextMatrix(1000, 0), "1000");
  EXPECT_EQ(inserted.count(), 0);  // the view hears of it later
  QCoreApplication::processEvents();
  ASSERT_EQ(inserted.count(), 1);
  EXPECT_EQ(inserted.at(0).at(1).toInt(), 0);
  EXPECT_EQ(inserted.at(0).at(2).toInt(), 999);
  EXPECT_EQ(resets.count(), 0);
  EXPECT_EQ(g.gridModel()->rowCount(), 1000);
}

TEST(FlexGrid, CurrentCellTextAndGeometry) {
  FlexGrid g;
  g.resize(400, 300);
  g.setCols(2);
  g.setRows(0);
  g.setFixedCols(1);
  const char* labels[] = {"Evaluator", "Evaluated", "Department", "Company", "Observations"};
  for (const char* l : labels) g.AddItem(QString(l) + "\t");
  ASSERT_TRUE(g.setColWidth(1, 24390));
  g.show();
  g.Refresh();
  EXPECT_TRUE(g.horizontalHeader()->isHidden());  // no fixed row

  ASSERT_TRUE(g.setRow(4));
  ASSERT_TRUE(g.setCol(1));
  ASSERT_TRUE(g.setText("typed text"));
  EXPECT_EQ(g.TextMatrix(4, 1), "typed text");
  EXPECT_EQ(g.Text(), "typed text");
  const int h = g.CellHeight();
  EXPECT_EQ(pxY(h), pxY(g.RowHeight(4)) - 1);  // the grid line is not part of the cell
  ASSERT_TRUE(g.setRow(0));
  const int top0 = g.CellTop();
  ASSERT_TRUE(g.setRow(4));
  EXPECT_EQ(pxY(g.CellTop()) - pxY(top0), 4 * pxY(g.RowHeight(0)));
  EXPECT_NEAR(pxX(g.CellLeft()), pxX(g.ColWidth(0)), 3);  // after column 0 and the frame
  EXPECT_EQ(pxX(g.CellWidth()), pxX(g.ColWidth(1)) - 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(g.selectionModel()->currentIndex(), g.gridModel()->index(4, 1));
}

TEST(FlexGrid, MouseClicksReportGridCells) {
  FlexGrid g;
  makeRecordGrid(g);
  for (int i = 1; i <= 20; ++i) g.AddItem(recordRow(i));
  g.resize(600, 300);
  g.show();
  g.Refresh();
  QSignalSpy clicks(&g, &FlexGrid::cellClicked);
  QSignalSpy dbl(&g, &FlexGrid::cellDoubleClicked);
  QSignalSpy moved(&g, &FlexGrid::rowColChange);

  // Body cell: view row 2 is grid row 3.
  const QPoint p = g.visualRect(g.gridModel()->index(2, 2)).center();
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, p);
  ASSERT_EQ(clicks.count(), 1);
  EXPECT_EQ(clicks.at(0).at(0).toInt(), 3);
  EXPECT_EQ(clicks.at(0).at(1).toInt(), 2);
  EXPECT_EQ(g.Row(), 3);
  EXPECT_EQ(g.Col(), 2);
  EXPECT_EQ(moved.count(), 1);
  EXPECT_EQ(g.Text(), "85.3 dB");

  // Header: the fixed row; the current cell stays.
  QHeaderView* hh = g.horizontalHeader();
  const QPoint hp(hh->sectionViewportPosition(4) + 5, hh->height() / 2);
  QTest::mouseClick(hh->viewport(), Qt::LeftButton, {}, hp);
  ASSERT_EQ(clicks.count(), 2);
  EXPECT_EQ(clicks.at(1).at(0).toInt(), 0);
  EXPECT_EQ(clicks.at(1).at(1).toInt(), 4);
  EXPECT_EQ(g.Row(), 3);
  EXPECT_EQ(g.MouseRow(), 0);
  EXPECT_EQ(g.MouseCol(), 4);

  // Double click as the window system delivers it: press, release, double
  // click, release. One click, then one double click.
  clicks.clear();
  const QPoint q = g.visualRect(g.gridModel()->index(0, 1)).center();
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, q);
  QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, q);
  ASSERT_EQ(dbl.count(), 1);
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(dbl.at(0).at(0).toInt(), 1);
  EXPECT_EQ(g.MouseRow(), 1);
  EXPECT_EQ(g.MouseCol(), 1);
}

TEST(FlexGrid, AMillionRowsAppendAndScroll) {
  FlexGrid g;
  makeRecordGrid(g);
  g.resize(600, 400);
  g.show();
  constexpr int kRows = 1000000;
  g.gridData().reserve(kRows + 1);
  QSignalSpy inserted(g.gridModel(), &QAbstractItemModel::rowsInserted);
  for (int i = 1; i <= kRows; ++i) g.AddItem(recordRow(i));
  QCoreApplication::processEvents();
  EXPECT_EQ(inserted.count(), 1);
  ASSERT_EQ(g.Rows(), kRows + 1);
  EXPECT_EQ(g.gridModel()->rowCount(), kRows);

  ASSERT_TRUE(g.setTopRow(500000));
  EXPECT_EQ(g.TopRow(), 500000);
  QCoreApplication::processEvents();
  const QModelIndex top = g.indexAt(QPoint(5, 2));
  ASSERT_TRUE(top.isValid());
  EXPECT_EQ(g.gridModel()->data(top).toString(), "500000");
  // Scrolled to the end, the last record is on screen.
  g.verticalScrollBar()->setValue(g.verticalScrollBar()->maximum());
  QCoreApplication::processEvents();
  EXPECT_GE(g.TopRow() + 1, kRows - 30);
  EXPECT_EQ(g.TextMatrix(kRows, 0), QString::number(kRows));
  g.grab();  // paints the visible rows only
}
