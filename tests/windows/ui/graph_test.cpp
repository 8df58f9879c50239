#include "ui/graph.h"

#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QSignalSpy>
#include <QTest>
#include <cmath>

using namespace vkz;

namespace {

// A shown graph with both ranges set and its layout computed.
struct ShownGraph {
  Graph g;
  ShownGraph() {
    g.resize(640, 420);
    g.show();
    g.setRange(GraphAxis::X, 1, 100);
    g.setRange(GraphAxis::Y, 25, 150);
    g.replot();
  }
  QPoint px(double x, double y) const { return g.toPixel(x, y).toPoint(); }
  QWidget* w() const { return g.customPlot(); }
};

void drag(QWidget* w, QPoint from, QPoint to) {
  QTest::mousePress(w, Qt::LeftButton, {}, from);
  const QPoint mid = (from + to) / 2;
  QTest::mouseMove(w, mid);
  QTest::mouseMove(w, to);
  QTest::mouseRelease(w, Qt::LeftButton, {}, to);
}

}  // namespace

TEST(Graph, RangesAreRefusedUnlessMinimumBelowMaximum) {
  Graph g;
  ASSERT_TRUE(g.setRange(GraphAxis::X, 1, 100));
  struct Case {
    double min, max;
    bool accepted;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {{200, 100, false}, {5, 5, false},      {NAN, 1, false},
                        {0, inf, false},   {-10.5, -10, true}, {1, 349999, true}};
  for (const auto& c : cases) {
    const double oldMin = g.minimum(GraphAxis::X), oldMax = g.maximum(GraphAxis::X);
    EXPECT_EQ(g.setRange(GraphAxis::X, c.min, c.max), c.accepted) << c.min << ".." << c.max;
    EXPECT_DOUBLE_EQ(g.minimum(GraphAxis::X), c.accepted ? c.min : oldMin);
    EXPECT_DOUBLE_EQ(g.maximum(GraphAxis::X), c.accepted ? c.max : oldMax);
  }
  // The other axis is independent.
  EXPECT_TRUE(g.setRange(GraphAxis::Y, 25, 150));
  EXPECT_DOUBLE_EQ(g.maximum(GraphAxis::Y), 150);
}

TEST(Graph, LabelFormats) {
  struct Case {
    const char* format;
    double value;
    const char* label;
  };
  const Case cases[] = {
      {"*0.1", 853, "85.3"}, {"*0.1", 850, "85"}, {"*0.1", 1501, "150.1"},
      {"*0.1", 0, "0"},      {"0", 85.3, "85"},   {"0.0", 72.44, "72.4"},
      {"", 37, "37"},        {"", 37.5, "37.5"},  {"", 0.1 + 0.2, "0.3"},
  };
  for (const auto& c : cases) {
    QString s;
    ASSERT_TRUE(formatAxisLabel(c.format, c.value, &s)) << c.format;
    EXPECT_EQ(s, c.label) << c.format << " " << c.value;
  }
  Graph g;
  ASSERT_TRUE(g.setFormat(GraphAxis::X, "*0.1"));
  for (const char* bad : {"abc", "*x", "*0", "0,0", "#.#"}) {
    EXPECT_FALSE(g.setFormat(GraphAxis::X, bad)) << bad;
    EXPECT_EQ(g.format(GraphAxis::X), "*0.1");
  }
  // The drawn labels of a 0.1 dB histogram read in dB.
  g.resize(600, 400);
  ASSERT_TRUE(g.setRange(GraphAxis::X, 800, 900));
  g.replot();
  const QVector<double> ticks = g.customPlot()->xAxis->tickVector();
  const QVector<QString> labels = g.customPlot()->xAxis->tickVectorLabels();
  ASSERT_FALSE(ticks.isEmpty());
  for (int i = 0; i < ticks.size(); ++i) EXPECT_EQ(labels[i], g.tickLabel(GraphAxis::X, ticks[i]));
  EXPECT_TRUE(labels.contains("80") && labels.contains("90")) << labels.join(",").toStdString();
}

TEST(Graph, TraceAndSelfScalingYAxis) {
  Graph g;
  EXPECT_FALSE(g.plotY({1, 2}, 1, 0));
  g.setAutoScale(GraphAxis::Y, true);
  std::vector<double> counts(1501, 0);
  counts[853] = 37;
  counts[860] = 12;
  ASSERT_TRUE(g.plotY(counts, 1, 1));
  ASSERT_EQ(g.pointCount(), 1501);
  QPointF p;
  ASSERT_TRUE(g.point(853, &p));
  EXPECT_EQ(p, QPointF(854, 37));  // bin j at X = j + 1
  EXPECT_FALSE(g.point(1501, &p));
  EXPECT_DOUBLE_EQ(g.minimum(GraphAxis::Y), 0);
  EXPECT_DOUBLE_EQ(g.maximum(GraphAxis::Y), 40);  // read back as the window's Y maximum
  // All counts zero still gives a usable range.
  ASSERT_TRUE(g.plotY(std::vector<double>(10, 0), 1, 1));
  EXPECT_LT(g.minimum(GraphAxis::Y), g.maximum(GraphAxis::Y));
  // A range set by hand ends the self-scaling.
  ASSERT_TRUE(g.setRange(GraphAxis::Y, 0, 500));
  EXPECT_FALSE(g.autoScale(GraphAxis::Y));
  ASSERT_TRUE(g.plotY(counts, 1, 1));
  EXPECT_DOUBLE_EQ(g.maximum(GraphAxis::Y), 500);
  // Bars draw the same trace.
  g.setPlotStyle(PlotStyle::Bars);
  EXPECT_EQ(g.pointCount(), 1501);
  EXPECT_EQ(g.customPlot()->plottableCount(), 1);
  // Pairs: sorted by X.
  ASSERT_TRUE(g.plotXY({3, 1, 2}, {30, 10, 20}));
  ASSERT_TRUE(g.point(0, &p));
  EXPECT_EQ(p, QPointF(1, 10));
  EXPECT_FALSE(g.plotXY({1, 2}, {1}));
}

TEST(Graph, CursorReadOutFollowsTheDrag) {
  ShownGraph s;
  Graph& g = s.g;
  ASSERT_EQ(g.addCursor(), 1);
  EXPECT_EQ(g.cursorPosition(1), QPointF(50.5, 87.5));  // centre of 1..100, 25..150
  ASSERT_TRUE(g.setCursorColor(1, QColor(255, 0, 0)));
  EXPECT_EQ(g.cursorColor(1), QColor(255, 0, 0));
  EXPECT_FALSE(g.setCursorColor(2, Qt::red));
  QSignalSpy spy(&g, &Graph::cursorChange);

  // Not in drag-cursor mode: the cursor stays.
  g.setTrackMode(TrackMode::None);
  drag(s.w(), s.px(50.5, 87.5), s.px(37, 72.44));
  EXPECT_EQ(spy.count(), 0);

  g.setTrackMode(TrackMode::DragCursor);
  const QPoint target = s.px(37, 72.44);
  drag(s.w(), s.px(50.5, 87.5), target);
  ASSERT_GE(spy.count(), 2);
  const QList<QVariant> last = spy.takeLast();
  const QList<QVariant> moving = spy.takeLast();
  EXPECT_EQ(moving.at(0).toInt(), 1);
  EXPECT_TRUE(moving.at(3).toBool());
  EXPECT_FALSE(last.at(3).toBool());
  const QPointF expect = g.fromPixel(target);
  EXPECT_DOUBLE_EQ(last.at(1).toDouble(), expect.x());
  EXPECT_DOUBLE_EQ(last.at(2).toDouble(), expect.y());
  EXPECT_NEAR(expect.x(), 37, 0.5);  // one pixel of a 100-record axis
  EXPECT_NEAR(expect.y(), 72.44, 0.5);
  EXPECT_EQ(g.cursorPosition(1), expect);

  // A hidden cursor cannot be grabbed; removing all leaves none.
  spy.clear();
  g.setCursorVisible(1, false);
  drag(s.w(), target, s.px(80, 100));
  EXPECT_EQ(spy.count(), 0);
  g.removeAllCursors();
  EXPECT_EQ(g.cursorCount(), 0);
  EXPECT_FALSE(g.setCursorPosition(1, 1, 1));
}

TEST(Graph, TrackModesPanAndZoomTheirAxes) {
  struct Case {
    TrackMode mode;
    bool xMoves, yMoves, zoom;
  };
  const Case cases[] = {
      {TrackMode::None, false, false, false}, {TrackMode::DragCursor, false, false, false},
      {TrackMode::PanXY, true, true, false},  {TrackMode::PanX, true, false, false},
      {TrackMode::PanY, false, true, false},  {TrackMode::ZoomXY, true, true, true},
      {TrackMode::ZoomX, true, false, true},  {TrackMode::ZoomY, false, true, true},
  };
  for (const auto& c : cases) {
    ShownGraph s;
    Graph& g = s.g;
    g.setTrackMode(c.mode);
    EXPECT_EQ(g.trackMode(), c.mode);
    drag(s.w(), s.px(20, 50), s.px(40, 100));
    const double x0 = g.minimum(GraphAxis::X), x1 = g.maximum(GraphAxis::X);
    const double y0 = g.minimum(GraphAxis::Y), y1 = g.maximum(GraphAxis::Y);
    const int m = static_cast<int>(c.mode);
    if (!c.xMoves) {
      EXPECT_DOUBLE_EQ(x0, 1) << m;
      EXPECT_DOUBLE_EQ(x1, 100) << m;
    } else if (c.zoom) {  // the selected region
      EXPECT_NEAR(x0, 20, 0.5) << m;
      EXPECT_NEAR(x1, 40, 0.5) << m;
    } else {  // dragged right by 20 records: the view moves left
      EXPECT_NEAR(x0, 1 - 20, 0.5) << m;
      EXPECT_NEAR(x1 - x0, 99, 1e-9) << m;
    }
    if (!c.yMoves) {
      EXPECT_DOUBLE_EQ(y0, 25) << m;
      EXPECT_DOUBLE_EQ(y1, 150) << m;
    } else if (c.zoom) {
      EXPECT_NEAR(y0, 50, 0.5) << m;
      EXPECT_NEAR(y1, 100, 0.5) << m;
    } else {
      EXPECT_NEAR(y0, 25 - 50, 0.5) << m;
    }
  }
  Graph g;
  EXPECT_FALSE(g.setTrackMode(0));
  EXPECT_FALSE(g.setTrackMode(9));
  EXPECT_TRUE(g.setTrackMode(7));
  EXPECT_EQ(g.trackMode(), TrackMode::ZoomX);
}

TEST(Graph, MarksStayOnTheirPoint) {
  Graph g;
  g.setRange(GraphAxis::X, 1, 7);
  g.setRange(GraphAxis::Y, 25, 150);
  ASSERT_TRUE(g.plotY({70.1, 25, 145, 145, 0, 0, 75.0}, 1, 1));
  EXPECT_EQ(g.addAnnotation(-1, 1, 30, "Pause"), 0);
  ASSERT_EQ(g.addAnnotation(4, 5, 30, "Pause"), 1);
  ASSERT_EQ(g.addAnnotation(6, 7, 105, "Start"), 2);
  EXPECT_EQ(g.annotationText(2), "Start");
  EXPECT_EQ(g.annotationCaptionPosition(1), QPointF(5, 30));
  QPointF p;
  ASSERT_TRUE(g.annotationPoint(1, &p));
  EXPECT_EQ(p, QPointF(5, 0));
  // A new trace: the mark moves with its point; marks accumulate.
  ASSERT_TRUE(g.plotY({80, 81, 82, 83, 84, 85, 86}, 1, 1));
  ASSERT_TRUE(g.annotationPoint(1, &p));
  EXPECT_EQ(p, QPointF(5, 84));
  EXPECT_EQ(g.annotationCount(), 2);
  // A shorter trace leaves the second mark without a point.
  ASSERT_TRUE(g.plotY({80, 81}, 1, 1));
  EXPECT_FALSE(g.annotationPoint(2, &p));
  g.removeAllAnnotations();
  EXPECT_EQ(g.annotationCount(), 0);
}

TEST(Graph, DaysOfRecordsUseAdaptiveSampling) {
  Graph g;
  std::vector<double> day(86400);
  for (size_t i = 0; i < day.size(); ++i) day[i] = 60 + 30 * std::sin(static_cast<double>(i) / 500);
  ASSERT_TRUE(g.plotY(day, 1, 1));
  auto* trace = qobject_cast<QCPGraph*>(g.customPlot()->plottable(0));
  ASSERT_NE(trace, nullptr);
  EXPECT_TRUE(trace->adaptiveSampling());
  EXPECT_EQ(trace->dataCount(), 86400);
  EXPECT_EQ(g.customPlot()->itemCount(), 0);  // no item per point
}
