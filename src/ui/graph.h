// Graph: the old graph control over QCustomPlot: one trace (line or bars),
// two axes (1 X, 2 Y) with caption, label format, range and self-scaling,
// cursors with a read-out, annotations bound to a point of the trace, the
// eight track modes of the mouse, and drawing into a printer's painter.
//
// The trace is drawn with QCustomPlot's adaptive sampling, so a day of
// records at one per second (86,400 points) draws and pans smoothly; there
// is no item per point (marks and cursors are the only items).
//
// Numbering follows the old control: axis 1 is X, axis 2 is Y; cursors and
// annotations count from 1. Calls that the old control refused (a range
// whose minimum is not below its maximum, an index that does not exist)
// return false and change nothing.
#pragma once
#include <QColor>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <vector>

class QCustomPlot;
class QCPAxis;
class QCPItemTracer;
class QCPItemText;
class QCPItemLine;
class QCPAbstractPlottable;
class QPainter;

namespace vkz {

enum class GraphAxis { X = 1, Y = 2 };

// The mouse interaction, valued as the old control's track modes.
enum class TrackMode {
  None = 1,        // the mouse neither pans nor zooms
  DragCursor = 2,  // drag a cursor to read X and Y
  PanXY = 3,
  PanX = 4,
  PanY = 5,
  ZoomXY = 6,  // select a region: both axes take its ranges
  ZoomX = 7,
  ZoomY = 8,
};

enum class PlotStyle { Line, Bars };

class Graph : public QWidget {
  Q_OBJECT
 public:
  explicit Graph(QWidget* parent = nullptr);
  ~Graph() override;

  // --- axes ---------------------------------------------------------------
  // Sets minimum and maximum together; refused unless both are finite and
  // min < max. Switches the axis's self-scaling off.
  bool setRange(GraphAxis axis, double min, double max);
  double minimum(GraphAxis axis) const;
  double maximum(GraphAxis axis) const;
  void setCaption(GraphAxis axis, const QString& caption);
  QString caption(GraphAxis axis) const;
  // Label format: "" (shortest number), a pattern of '0' digits with an
  // optional '.' ("0", "0.0", "00"), or "*" and a factor ("*0.1": the label
  // shows the value times 0.1, shortest form). Anything else is refused.
  bool setFormat(GraphAxis axis, const QString& format);
  QString format(GraphAxis axis) const;
  // The label text the axis shows for a value.
  QString tickLabel(GraphAxis axis, double value) const;
  // Self-scaling: every plot fits the axis to the trace, widened to round
  // values (counts up to 37 give 0 .. 40). Panning or zooming by mouse
  // and setRange() switch it off.
  void setAutoScale(GraphAxis axis, bool on);
  bool autoScale(GraphAxis axis) const;

  // --- the trace ----------------------------------------------------------
  // Replaces the trace by Y values at X = firstX, firstX + stepX, ...
  // Refused when stepX is not a positive finite number.
  bool plotY(const std::vector<double>& y, double firstX = 0.0, double stepX = 1.0);
  // Replaces the trace by (x, y) pairs; refused when the sizes differ.
  bool plotXY(const std::vector<double>& x, const std::vector<double>& y);
  void clearData();
  void setPlotStyle(PlotStyle style);
  PlotStyle plotStyle() const { return style_; }
  void setPlotColor(const QColor& c);
  int pointCount() const;
  // Point i of the trace in X order; false when there is no such point.
  bool point(int index, QPointF* p) const;

  // --- cursors (1-based) --------------------------------------------------
  int cursorCount() const;
  // Adds a cursor at the centre of the current ranges; returns its index.
  int addCursor();
  void removeAllCursors();
  bool setCursorPosition(int index, double x, double y);
  QPointF cursorPosition(int index) const;
  bool setCursorColor(int index, const QColor& color);
  QColor cursorColor(int index) const;
  bool setCursorVisible(int index, bool visible);
  bool cursorVisible(int index) const;

  // --- annotations (1-based) ----------------------------------------------
  // A mark bound to point `pointIndex` (0-based) of the trace, with its
  // caption at (captionX, captionY) in axis units and an arrow from the
  // caption to the point. The mark follows its point when the trace is
  // replaced (no arrow while the trace has no such point). Returns the
  // annotation's index, 0 when refused (negative point index).
  int addAnnotation(int pointIndex, double captionX, double captionY, const QString& text);
  int annotationCount() const;
  QString annotationText(int index) const;
  QPointF annotationCaptionPosition(int index) const;
  int annotationPointIndex(int index) const;
  // Where the arrow of the mark points now; false while its point is missing.
  bool annotationPoint(int index, QPointF* p) const;
  void removeAllAnnotations();

  // --- mouse interaction --------------------------------------------------
  void setTrackMode(TrackMode mode);
  // The old control's values 1 .. 8; others are refused.
  bool setTrackMode(int mode);
  TrackMode trackMode() const { return mode_; }

  // --- looks and output ---------------------------------------------------
  // The colour behind the plot area and the axes.
  void setBackgroundColor(const QColor& c);
  QColor backgroundColor() const { return background_; }
  // Draws an image of the graph into `target` of an active painter (e.g.
  // one on a QPrinter), proportions kept, sharpened for the device.
  void render(QPainter* painter, const QRectF& target);
  // Redraws now (otherwise changes are drawn when the event loop turns).
  void replot();

  // Pixel position inside customPlot() of a point in axis units, and back.
  QPointF toPixel(double x, double y) const;
  QPointF fromPixel(const QPointF& pixel) const;
  QCustomPlot* customPlot() const { return plot_; }

 signals:
  // A cursor was moved by the mouse: while dragging (dragging = true) and
  // once more at the release (false). Setting a position from code does
  // not emit it.
  void cursorChange(int index, double x, double y, bool dragging);

 private:
  struct Cursor;
  struct Mark;
  QCPAxis* axisOf(GraphAxis a) const;
  void setRangeInternal(QCPAxis* axis, double min, double max);
  void applyAutoScale();
  void updateMarks();
  void updateMark(Mark& m);
  void rebuildPlottable();
  void onPress(class QMouseEvent* e);
  void onMove(class QMouseEvent* e);
  void onRelease(class QMouseEvent* e);
  void onZoomRect(const QRect& rect);
  void scheduleReplot();
  Cursor* cursorAt(int index);
  const Cursor* cursorAt(int index) const;

  QCustomPlot* plot_ = nullptr;
  QCPAbstractPlottable* trace_ = nullptr;
  std::vector<double> keys_, values_;
  PlotStyle style_ = PlotStyle::Line;
  QColor traceColor_;
  QColor background_;
  TrackMode mode_ = TrackMode::None;
  QString format_[2];
  bool autoScale_[2] = {false, false};
  bool settingRange_ = false;
  std::vector<Cursor> cursors_;
  std::vector<Mark> marks_;
  int dragging_ = 0;  // index of the cursor being dragged, 0 = none
};

// Formats an axis label by a format of setFormat(); false when the format
// is not one of those. Pure, for tests and for printed copies of a graph.
bool formatAxisLabel(const QString& format, double value, QString* out);

}  // namespace vkz
