// Tool: draws the program's logo, a noise meter and the name "Noise
// Dosimeter", into the two pictures the reports place at the head of a
// section:
//   Image.jpg  144 x 61 pixels, baseline JPEG (the PDF report places it at
//              one point a pixel, 5.08 x 2.15 cm);
//   Image.png  the same picture at four times the pixels, marked 384 dpi,
//              so the printed report draws it at the same 1.5 x 0.64 inch.
//
//   makelogo <output folder>      (run with QT_QPA_PLATFORM=offscreen)
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kScale = 4;
constexpr int kW = 144 * kScale, kH = 61 * kScale;

// The meter: a hand-held body with a microphone on top, its display
// showing a level and a bar graph, and two keys.
void drawMeter(QPainter& p) {
  const QColor body(52, 64, 84), screen(196, 224, 170), ink(30, 40, 30);
  // microphone: ball on a neck
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(90, 98, 110));
  p.drawRoundedRect(QRectF(26, 40, 20, 36), 6, 6);
  p.setBrush(QColor(60, 66, 76));
  p.drawEllipse(QPointF(36, 30), 19, 19);
  p.setPen(QPen(QColor(120, 128, 140), 2));
  for (int i = -12; i <= 12; i += 6) p.drawLine(QPointF(36 + i, 16), QPointF(36 + i, 44));
  // body
  p.setPen(Qt::NoPen);
  p.setBrush(body);
  p.drawRoundedRect(QRectF(6, 70, 60, 166), 14, 14);
  // display
  p.setBrush(screen);
  p.drawRoundedRect(QRectF(14, 84, 44, 62), 4, 4);
  p.setPen(ink);
  QFont f("DejaVu Sans", 1);
  f.setPixelSize(17);
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRectF(14, 86, 44, 24), Qt::AlignCenter, "85");
  f.setPixelSize(10);
  p.setFont(f);
  p.drawText(QRectF(14, 106, 44, 12), Qt::AlignCenter, "dB");
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  const int bars[6] = {8, 14, 10, 18, 12, 6};
  for (int i = 0; i < 6; ++i) p.drawRect(QRectF(18 + i * 6.5, 142 - bars[i], 4.5, bars[i]));
  // keys
  p.setBrush(QColor(230, 120, 40));
  p.drawEllipse(QPointF(24, 172), 8, 8);
  p.setBrush(QColor(160, 170, 185));
  p.drawEllipse(QPointF(48, 172), 8, 8);
  p.drawRoundedRect(QRectF(18, 194, 36, 10), 4, 4);
  p.drawRoundedRect(QRectF(18, 212, 36, 10), 4, 4);
}

// The name in two lines, with a sound wave under it.
void drawName(QPainter& p) {
  const QColor navy(28, 54, 104);
  QFont f("DejaVu Sans", 1);
  f.setBold(true);
  f.setPixelSize(64);
  p.setFont(f);
  p.setPen(navy);
  p.drawText(QPointF(86, 100), "Noise");
  f.setPixelSize(50);
  p.setFont(f);
  p.drawText(QPointF(86, 160), "Dosimeter");
  QPainterPath wave;
  wave.moveTo(88, 200);
  for (int x = 88; x <= 560; x += 2) {
    const double t = (x - 88) / 472.0;
    wave.lineTo(x, 200 + 16 * std::sin(t * 6.2832 * 6) * std::sin(t * 3.1416));
  }
  p.setPen(QPen(QColor(230, 120, 40), 5, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(wave);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: makelogo <output folder>\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  QImage big(kW, kH, QImage::Format_RGB32);
  big.fill(Qt::white);
  {
    QPainter p(&big);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawMeter(p);
    drawName(p);
  }
  const int dotsPerMeter = static_cast<int>(96 * kScale / 0.0254 + 0.5);
  big.setDotsPerMeterX(dotsPerMeter);
  big.setDotsPerMeterY(dotsPerMeter);
  if (!big.save(out.filePath("Image.png"), "PNG")) {
    std::fprintf(stderr, "cannot write Image.png\n");
    return 1;
  }
  QImage small = big.scaled(kW / kScale, kH / kScale, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  small.setDotsPerMeterX(dotsPerMeter / kScale);
  small.setDotsPerMeterY(dotsPerMeter / kScale);
  QImageWriter jpeg(out.filePath("Image.jpg"), "jpeg");
  jpeg.setQuality(92);
  jpeg.setProgressiveScanWrite(false);
  jpeg.setOptimizedWrite(false);
  if (!jpeg.write(small)) {
    std::fprintf(stderr, "cannot write Image.jpg: %s\n", qPrintable(jpeg.errorString()));
    return 1;
  }
  return 0;
}
