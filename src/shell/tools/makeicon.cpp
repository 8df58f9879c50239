// Tool: draws the program's window icon, the noise meter of the logo seen
// close up (its microphone, its display with a level bar graph and a sound
// wave), into Icon.png, 256 x 256 pixels with a clear background; the
// window system scales it down for title bars and task bars.
//
//   makeicon <output folder>      (run with QT_QPA_PLATFORM=offscreen)
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kSize = 256;

void drawIcon(QPainter& p) {
  const QColor body(52, 64, 84), screen(196, 224, 170), ink(30, 40, 30), orange(230, 120, 40);
  // microphone: a ball on a neck, at the top left
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(90, 98, 110));
  p.drawRoundedRect(QRectF(58, 44, 36, 50), 10, 10);
  p.setBrush(QColor(60, 66, 76));
  p.drawEllipse(QPointF(76, 40), 34, 34);
  p.setPen(QPen(QColor(120, 128, 140), 4));
  for (int i = -20; i <= 20; i += 10) p.drawLine(QPointF(76 + i, 14), QPointF(76 + i, 66));
  // body
  p.setPen(Qt::NoPen);
  p.setBrush(body);
  p.drawRoundedRect(QRectF(24, 84, 208, 164), 28, 28);
  // display with a bar graph
  p.setBrush(screen);
  p.drawRoundedRect(QRectF(42, 102, 172, 96), 10, 10);
  p.setBrush(ink);
  const int bars[8] = {22, 40, 30, 58, 46, 68, 36, 24};
  for (int i = 0; i < 8; ++i) p.drawRect(QRectF(54 + i * 19.5, 188 - bars[i], 13, bars[i]));
  // keys
  p.setBrush(orange);
  p.drawEllipse(QPointF(70, 224), 12, 12);
  p.setBrush(QColor(160, 170, 185));
  p.drawEllipse(QPointF(110, 224), 12, 12);
  // a sound wave reaching the microphone
  QPainterPath wave;
  wave.moveTo(128, 30);
  for (int x = 128; x <= 240; x += 2) {
    const double t = (x - 128) / 112.0;
    wave.lineTo(x, 40 + 18 * std::sin(t * 6.2832 * 2.5) * (1.0 - t * 0.6));
  }
  p.setPen(QPen(orange, 9, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(wave);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: makeicon <output folder>\n");
    return 2;
  }
  QImage icon(kSize, kSize, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  {
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    drawIcon(p);
  }
  if (!icon.save(QDir(QString::fromLocal8Bit(argv[1])).filePath("Icon.png"), "PNG")) {
    std::fprintf(stderr, "cannot write Icon.png\n");
    return 1;
  }
  return 0;
}
