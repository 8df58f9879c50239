#include "ui/graph.h"

#include <qcustomplot.h>

#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "base/numfmt.h"

namespace vkz {

struct Graph::Cursor {
  QCPItemTracer* tracer = nullptr;
  QColor color;
  bool visible = true;
};

struct Graph::Mark {
  int pointIndex = 0;
  double cx = 0, cy = 0;
  QString text;
  QCPItemText* label = nullptr;
  QCPItemLine* arrow = nullptr;
};

namespace {

constexpr int kCursorGrab = 6;  // pixels around a cursor's lines that grab it

QString shortestNumber(double v) {
  if (v == 0) v = 0;  // no "-0"
  QString s = QString::number(v, 'g', 12);
  const char sep = decimalSeparator();
  if (sep != '.') s.replace(QLatin1Char('.'), QLatin1Char(sep));
  return s;
}

// The axis ticker: QCustomPlot's tick placement, our label formats.
class FormatTicker : public QCPAxisTicker {
 public:
  QString format;

 protected:
  QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override {
    QString s;
    if (formatAxisLabel(format, tick, &s)) return s;
    return QCPAxisTicker::getTickLabel(tick, locale, formatChar, precision);
  }
};

// Fits [lo, hi] to round values: about five steps of 1, 2, 2.5 or 5 times
// a power of ten.
void niceRange(double lo, double hi, double* a, double* b) {
  const double span = hi - lo;
  if (!(span > 0)) {
    *a = lo == 0 ? 0 : lo - std::fabs(lo) * 0.1;
    *b = lo == 0 ? 1 : hi + std::fabs(hi) * 0.1;
    return;
  }
  const double raw = span / 5;
  const double mag = std::pow(10.0, std::floor(std::log10(raw)));
  const double n = raw / mag;
  const double step = (n <= 1 ? 1 : n <= 2 ? 2 : n <= 2.5 ? 2.5 : n <= 5 ? 5 : 10) * mag;
  *a = std::floor(lo / step) * step;
  *b = std::ceil(hi / step) * step;
  if (!(*a < *b)) *b = *a + step;
}

}  // namespace

bool formatAxisLabel(const QString& format, double value, QString* out) {
  if (format.isEmpty()) {
    *out = shortestNumber(value);
    return true;
  }
  if (format.startsWith(QLatin1Char('*'))) {
    bool ok = false;
    const double factor = format.mid(1).toDouble(&ok);
    if (!ok || !std::isfinite(factor) || factor == 0) return false;
    *out = shortestNumber(value * factor);
    return true;
  }
  static const QRegularExpression pattern(QStringLiteral("^0+(\\.0+)?$"));
  if (!pattern.match(format).hasMatch()) return false;
  *out = QString::fromStdString(formatPattern(value, format.toStdString()));
  return true;
}

Graph::Graph(QWidget* parent) : QWidget(parent) {
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(0, 0, 0, 0);
  plot_ = new QCustomPlot(this);
  plot_->setObjectName(QStringLiteral("plot"));
  lay->addWidget(plot_);

  background_ = Qt::white;
  traceColor_ = QColor(0, 0, 200);
  plot_->setNoAntialiasingOnDrag(true);
  plot_->setPlottingHint(QCP::phFastPolylines, true);
  for (QCPAxis* a : {plot_->xAxis, plot_->yAxis}) {
    a->setTicker(QSharedPointer<FormatTicker>::create());
    a->setRange(0, 10);
    connect(a, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, [this, a](const QCPRange&) {
      // The mouse moved the axis: it no longer scales itself.
      if (!settingRange_) autoScale_[a == plot_->xAxis ? 0 : 1] = false;
    });
  }
  connect(plot_, &QCustomPlot::mousePress, this, &Graph::onPress);
  connect(plot_, &QCustomPlot::mouseMove, this, &Graph::onMove);
  connect(plot_, &QCustomPlot::mouseRelease, this, &Graph::onRelease);
  connect(plot_->selectionRect(), &QCPSelectionRect::accepted, this,
          [this](const QRect& r, QMouseEvent*) { onZoomRect(r); });
  rebuildPlottable();
  setTrackMode(TrackMode::None);
}

Graph::~Graph() = default;

QCPAxis* Graph::axisOf(GraphAxis a) const {
  return a == GraphAxis::X ? plot_->xAxis : plot_->yAxis;
}

void Graph::setRangeInternal(QCPAxis* axis, double min, double max) {
  settingRange_ = true;
  axis->setRange(min, max);
  settingRange_ = false;
}

bool Graph::setRange(GraphAxis axis, double min, double max) {
  if (!std::isfinite(min) || !std::isfinite(max) || !(min < max)) return false;
  autoScale_[axis == GraphAxis::X ? 0 : 1] = false;
  setRangeInternal(axisOf(axis), min, max);
  updateMarks();
  scheduleReplot();
  return true;
}

double Graph::minimum(GraphAxis axis) const {
  return axisOf(axis)->range().lower;
}
double Graph::maximum(GraphAxis axis) const {
  return axisOf(axis)->range().upper;
}

void Graph::setCaption(GraphAxis axis, const QString& caption) {
  axisOf(axis)->setLabel(caption);
  scheduleReplot();
}

QString Graph::caption(GraphAxis axis) const {
  return axisOf(axis)->label();
}

bool Graph::setFormat(GraphAxis axis, const QString& format) {
  QString probe;
  if (!formatAxisLabel(format, 0, &probe)) return false;
  const int i = axis == GraphAxis::X ? 0 : 1;
  format_[i] = format;
  static_cast<FormatTicker*>(axisOf(axis)->ticker().data())->format = format;
  scheduleReplot();
  return true;
}

QString Graph::format(GraphAxis axis) const {
  return format_[axis == GraphAxis::X ? 0 : 1];
}

QString Graph::tickLabel(GraphAxis axis, double value) const {
  QString s;
  formatAxisLabel(format(axis), value, &s);
  return s;
}

void Graph::setAutoScale(GraphAxis axis, bool on) {
  autoScale_[axis == GraphAxis::X ? 0 : 1] = on;
  if (on) applyAutoScale();
  scheduleReplot();
}

bool Graph::autoScale(GraphAxis axis) const {
  return autoScale_[axis == GraphAxis::X ? 0 : 1];
}

void Graph::applyAutoScale() {
  for (int i = 0; i < 2; ++i) {
    if (!autoScale_[i]) continue;
    const std::vector<double>& v = i == 0 ? keys_ : values_;
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    for (double d : v) {
      if (!std::isfinite(d)) continue;
      lo = std::min(lo, d);
      hi = std::max(hi, d);
    }
    if (!(lo <= hi)) continue;  // nothing to fit
    double a, b;
    niceRange(lo, hi, &a, &b);
    setRangeInternal(i == 0 ? plot_->xAxis : plot_->yAxis, a, b);
  }
}

// --- trace ------------------------------------------------------------------

void Graph::rebuildPlottable() {
  if (trace_) plot_->removePlottable(trace_);
  trace_ = nullptr;
  const QVector<double> k(keys_.begin(), keys_.end());
  const QVector<double> v(values_.begin(), values_.end());
  if (style_ == PlotStyle::Line) {
    QCPGraph* g = plot_->addGraph();
    g->setAdaptiveSampling(true);
    g->setPen(QPen(traceColor_, 1));
    g->setData(k, v, true);
    trace_ = g;
  } else {
    auto* bars = new QCPBars(plot_->xAxis, plot_->yAxis);
    double width = 1;
    if (keys_.size() > 1) width = keys_[1] - keys_[0];
    bars->setWidth(width > 0 ? width : 1);
    bars->setPen(QPen(traceColor_.darker(130), 1));
    bars->setBrush(traceColor_);
    bars->setData(k, v, true);
    trace_ = bars;
  }
}

bool Graph::plotY(const std::vector<double>& y, double firstX, double stepX) {
  if (!std::isfinite(firstX) || !std::isfinite(stepX) || !(stepX > 0)) return false;
  keys_.resize(y.size());
  for (size_t i = 0; i < y.size(); ++i) keys_[i] = firstX + static_cast<double>(i) * stepX;
  values_ = y;
  rebuildPlottable();
  applyAutoScale();
  updateMarks();
  scheduleReplot();
  return true;
}

bool Graph::plotXY(const std::vector<double>& x, const std::vector<double>& y) {
  if (x.size() != y.size()) return false;
  std::vector<size_t> order(x.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return x[a] < x[b]; });
  keys_.resize(x.size());
  values_.resize(y.size());
  for (size_t i = 0; i < order.size(); ++i) {
    keys_[i] = x[order[i]];
    values_[i] = y[order[i]];
  }
  rebuildPlottable();
  applyAutoScale();
  updateMarks();
  scheduleReplot();
  return true;
}

void Graph::clearData() {
  keys_.clear();
  values_.clear();
  rebuildPlottable();
  updateMarks();
  scheduleReplot();
}

void Graph::setPlotStyle(PlotStyle style) {
  if (style == style_) return;
  style_ = style;
  rebuildPlottable();
  scheduleReplot();
}

void Graph::setPlotColor(const QColor& c) {
  traceColor_ = c;
  rebuildPlottable();
  scheduleReplot();
}

int Graph::pointCount() const {
  return static_cast<int>(keys_.size());
}

bool Graph::point(int index, QPointF* p) const {
  if (index < 0 || index >= pointCount()) return false;
  *p = QPointF(keys_[static_cast<size_t>(index)], values_[static_cast<size_t>(index)]);
  return true;
}

// --- cursors ----------------------------------------------------------------

int Graph::cursorCount() const {
  return static_cast<int>(cursors_.size());
}
int Graph::annotationCount() const {
  return static_cast<int>(marks_.size());
}

Graph::Cursor* Graph::cursorAt(int index) {
  if (index < 1 || index > cursorCount()) return nullptr;
  return &cursors_[static_cast<size_t>(index - 1)];
}

const Graph::Cursor* Graph::cursorAt(int index) const {
  if (index < 1 || index > cursorCount()) return nullptr;
  return &cursors_[static_cast<size_t>(index - 1)];
}

int Graph::addCursor() {
  Cursor c;
  c.color = Qt::black;
  c.tracer = new QCPItemTracer(plot_);
  c.tracer->setStyle(QCPItemTracer::tsCrosshair);
  c.tracer->setPen(QPen(c.color, 1));
  c.tracer->setSelectable(false);
  c.tracer->position->setCoords(plot_->xAxis->range().center(), plot_->yAxis->range().center());
  cursors_.push_back(c);
  scheduleReplot();
  return cursorCount();
}

void Graph::removeAllCursors() {
  for (Cursor& c : cursors_) plot_->removeItem(c.tracer);
  cursors_.clear();
  dragging_ = 0;
  scheduleReplot();
}

bool Graph::setCursorPosition(int index, double x, double y) {
  Cursor* c = cursorAt(index);
  if (!c || !std::isfinite(x) || !std::isfinite(y)) return false;
  c->tracer->position->setCoords(x, y);
  scheduleReplot();
  return true;
}

QPointF Graph::cursorPosition(int index) const {
  const Cursor* c = cursorAt(index);
  return c ? c->tracer->position->coords() : QPointF();
}

bool Graph::setCursorColor(int index, const QColor& color) {
  Cursor* c = cursorAt(index);
  if (!c) return false;
  c->color = color;
  c->tracer->setPen(QPen(color, 1));
  scheduleReplot();
  return true;
}

QColor Graph::cursorColor(int index) const {
  const Cursor* c = cursorAt(index);
  return c ? c->color : QColor();
}

bool Graph::setCursorVisible(int index, bool visible) {
  Cursor* c = cursorAt(index);
  if (!c) return false;
  c->visible = visible;
  c->tracer->setVisible(visible);
  if (!visible && dragging_ == index) dragging_ = 0;
  scheduleReplot();
  return true;
}

bool Graph::cursorVisible(int index) const {
  const Cursor* c = cursorAt(index);
  return c && c->visible;
}

// --- annotations ------------------------------------------------------------

int Graph::addAnnotation(int pointIndex, double captionX, double captionY, const QString& text) {
  if (pointIndex < 0 || !std::isfinite(captionX) || !std::isfinite(captionY)) return 0;
  Mark m;
  m.pointIndex = pointIndex;
  m.cx = captionX;
  m.cy = captionY;
  m.text = text;
  m.label = new QCPItemText(plot_);
  m.label->setText(text);
  m.label->setSelectable(false);
  m.label->position->setCoords(captionX, captionY);
  m.arrow = new QCPItemLine(plot_);
  m.arrow->setHead(QCPLineEnding::esSpikeArrow);
  m.arrow->setSelectable(false);
  marks_.push_back(m);
  updateMark(marks_.back());
  scheduleReplot();
  return annotationCount();
}

QString Graph::annotationText(int index) const {
  if (index < 1 || index > annotationCount()) return {};
  return marks_[static_cast<size_t>(index - 1)].text;
}

QPointF Graph::annotationCaptionPosition(int index) const {
  if (index < 1 || index > annotationCount()) return {};
  const Mark& m = marks_[static_cast<size_t>(index - 1)];
  return QPointF(m.cx, m.cy);
}

int Graph::annotationPointIndex(int index) const {
  if (index < 1 || index > annotationCount()) return -1;
  return marks_[static_cast<size_t>(index - 1)].pointIndex;
}

bool Graph::annotationPoint(int index, QPointF* p) const {
  if (index < 1 || index > annotationCount()) return false;
  return point(marks_[static_cast<size_t>(index - 1)].pointIndex, p);
}

void Graph::removeAllAnnotations() {
  for (Mark& m : marks_) {
    plot_->removeItem(m.label);
    plot_->removeItem(m.arrow);
  }
  marks_.clear();
  scheduleReplot();
}

void Graph::updateMark(Mark& m) {
  QPointF p;
  const bool has = point(m.pointIndex, &p) && std::isfinite(p.y());
  m.arrow->setVisible(has);
  if (!has) {
    m.label->setPositionAlignment(Qt::AlignCenter);
    return;
  }
  // The caption sits on the far side of its anchor; the arrow runs from
  // the anchor to the point.
  const bool pointAbove = p.y() > m.cy;
  m.label->setPositionAlignment(Qt::AlignHCenter | (pointAbove ? Qt::AlignTop : Qt::AlignBottom));
  m.arrow->start->setCoords(m.cx, m.cy);
  m.arrow->end->setCoords(p);
}

void Graph::updateMarks() {
  for (Mark& m : marks_) updateMark(m);
}

// --- mouse ------------------------------------------------------------------

void Graph::setTrackMode(TrackMode mode) {
  mode_ = mode;
  dragging_ = 0;
  QCPAxisRect* r = plot_->axisRect();
  switch (mode) {
    case TrackMode::PanXY:
      r->setRangeDrag(Qt::Horizontal | Qt::Vertical);
      break;
    case TrackMode::PanX:
      r->setRangeDrag(Qt::Horizontal);
      break;
    case TrackMode::PanY:
      r->setRangeDrag(Qt::Vertical);
      break;
    default:
      r->setRangeDrag(Qt::Orientations());
      break;
  }
  const bool pan = mode == TrackMode::PanXY || mode == TrackMode::PanX || mode == TrackMode::PanY;
  const bool zoom = mode == TrackMode::ZoomXY || mode == TrackMode::ZoomX || mode == TrackMode::ZoomY;
  plot_->setInteractions(pan ? QCP::Interactions(QCP::iRangeDrag) : QCP::Interactions());
  plot_->setSelectionRectMode(zoom ? QCP::srmCustom : QCP::srmNone);
  plot_->setCursor(mode == TrackMode::None ? Qt::ArrowCursor : pan ? Qt::OpenHandCursor : Qt::CrossCursor);
}

bool Graph::setTrackMode(int mode) {
  if (mode < 1 || mode > 8) return false;
  setTrackMode(static_cast<TrackMode>(mode));
  return true;
}

void Graph::onPress(QMouseEvent* e) {
  if (mode_ != TrackMode::DragCursor || e->button() != Qt::LeftButton) return;
  const QPointF at = e->position();
  int best = 0;
  double bestDist = kCursorGrab + 1;
  for (int i = 1; i <= cursorCount(); ++i) {
    const Cursor& c = cursors_[static_cast<size_t>(i - 1)];
    if (!c.visible) continue;
    const QPointF p = c.tracer->position->pixelPosition();
    const double d = std::min(std::fabs(p.x() - at.x()), std::fabs(p.y() - at.y()));
    if (d <= kCursorGrab && d < bestDist) {
      best = i;
      bestDist = d;
    }
  }
  dragging_ = best;
}

void Graph::onMove(QMouseEvent* e) {
  if (!dragging_) return;
  QPointF v = fromPixel(e->position());
  // A cursor stays inside the plot area.
  v.setX(std::clamp(v.x(), minimum(GraphAxis::X), maximum(GraphAxis::X)));
  v.setY(std::clamp(v.y(), minimum(GraphAxis::Y), maximum(GraphAxis::Y)));
  cursors_[static_cast<size_t>(dragging_ - 1)].tracer->position->setCoords(v);
  plot_->replot(QCustomPlot::rpQueuedReplot);
  emit cursorChange(dragging_, v.x(), v.y(), true);
}

void Graph::onRelease(QMouseEvent*) {
  if (!dragging_) return;
  const int i = dragging_;
  dragging_ = 0;
  const QPointF v = cursorPosition(i);
  emit cursorChange(i, v.x(), v.y(), false);
}

void Graph::onZoomRect(const QRect& rect) {
  const QRect r = rect.normalized();
  const bool zx = mode_ == TrackMode::ZoomXY || mode_ == TrackMode::ZoomX;
  const bool zy = mode_ == TrackMode::ZoomXY || mode_ == TrackMode::ZoomY;
  // A selection narrower than two pixels is a click, not a region.
  if (zx && r.width() >= 2) {
    const double a = plot_->xAxis->pixelToCoord(r.left()), b = plot_->xAxis->pixelToCoord(r.right());
    autoScale_[0] = false;
    setRangeInternal(plot_->xAxis, std::min(a, b), std::max(a, b));
  }
  if (zy && r.height() >= 2) {
    const double a = plot_->yAxis->pixelToCoord(r.top()), b = plot_->yAxis->pixelToCoord(r.bottom());
    autoScale_[1] = false;
    setRangeInternal(plot_->yAxis, std::min(a, b), std::max(a, b));
  }
  scheduleReplot();
}

// --- output -----------------------------------------------------------------

void Graph::setBackgroundColor(const QColor& c) {
  background_ = c;
  plot_->setBackground(QBrush(c));
  scheduleReplot();
}

void Graph::render(QPainter* painter, const QRectF& target) {
  if (!painter || !painter->isActive() || target.isEmpty()) return;
  // Drawn at the widget's size, then sharpened for the printer's pixels
  // (at most four times), and scaled into the target with its proportions.
  const int w = plot_->width() > 50 ? plot_->width() : 800;
  const int h = plot_->height() > 50 ? plot_->height() : 500;
  const double sharpen = std::clamp(target.width() / w, 1.0, 4.0);
  const QPixmap image = plot_->toPixmap(w, h, sharpen);
  const QSizeF size = QSizeF(w, h).scaled(target.size(), Qt::KeepAspectRatio);
  painter->save();
  painter->setRenderHint(QPainter::SmoothPixmapTransform);
  painter->drawPixmap(QRectF(target.topLeft(), size), image, QRectF(image.rect()));
  painter->restore();
}

void Graph::replot() {
  plot_->replot(QCustomPlot::rpImmediateRefresh);
}

void Graph::scheduleReplot() {
  plot_->replot(QCustomPlot::rpQueuedReplot);
}

QPointF Graph::toPixel(double x, double y) const {
  return QPointF(plot_->xAxis->coordToPixel(x), plot_->yAxis->coordToPixel(y));
}

QPointF Graph::fromPixel(const QPointF& pixel) const {
  return QPointF(plot_->xAxis->pixelToCoord(pixel.x()), plot_->yAxis->pixelToCoord(pixel.y()));
}

}  // namespace vkz
