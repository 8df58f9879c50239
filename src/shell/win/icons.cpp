#include "shell/win/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vkz {
namespace {

constexpr int kSize = 32;

QPixmap canvas() {
  QPixmap pm(kSize, kSize);
  pm.fill(Qt::transparent);
  return pm;
}

const QColor kInk(0x20, 0x30, 0x48);
const QColor kBlue(0x2A, 0x6F, 0xB8);
const QColor kGreen(0x2E, 0x8B, 0x57);
const QColor kAmber(0xE0, 0x9A, 0x20);
const QColor kRed(0xC8, 0x3A, 0x32);
const QColor kPaper(0xF6, 0xF4, 0xEE);

void drawOpen(QPainter& p) {  // a folder
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(kAmber.lighter(120));
  QPainterPath back;
  back.moveTo(3, 9);
  back.lineTo(12, 9);
  back.lineTo(14, 12);
  back.lineTo(28, 12);
  back.lineTo(28, 26);
  back.lineTo(3, 26);
  back.closeSubpath();
  p.drawPath(back);
  p.setBrush(kAmber);
  QPolygonF front({{3, 26}, {7, 15}, {31, 15}, {28, 26}});
  p.drawPolygon(front);
}

void drawComSet(QPainter& p) {  // a serial plug with its pins
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(kBlue);
  QPolygonF shell({{4, 9}, {28, 9}, {25, 22}, {7, 22}});
  p.drawPolygon(shell);
  p.setPen(Qt::NoPen);
  p.setBrush(kPaper);
  for (int i = 0; i < 5; ++i) p.drawEllipse(QPointF(8.5 + i * 3.75, 13), 1.2, 1.2);
  for (int i = 0; i < 4; ++i) p.drawEllipse(QPointF(10.5 + i * 3.75, 18), 1.2, 1.2);
  p.setPen(QPen(kInk, 2));
  p.drawLine(16, 22, 16, 30);
}

void drawSettingPanel(QPainter& p) {  // three sliders
  p.setPen(QPen(kInk, 2));
  const int xs[3] = {8, 16, 24};
  const int knob[3] = {20, 10, 16};
  for (int i = 0; i < 3; ++i) p.drawLine(xs[i], 5, xs[i], 27);
  p.setBrush(kGreen);
  p.setPen(QPen(kInk, 1.2));
  for (int i = 0; i < 3; ++i) p.drawRect(QRectF(xs[i] - 4, knob[i] - 2.5, 8, 5));
}

void drawList(QPainter& p) {  // a table of rows
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(kPaper);
  p.drawRect(4, 5, 24, 22);
  p.fillRect(QRectF(4.75, 5.75, 22.5, 4.5), kBlue);
  for (int y = 14; y <= 24; y += 5) p.drawLine(6, y, 26, y);
  p.drawLine(12, 10, 12, 27);
}

void drawGraphics(QPainter& p) {  // a level trace on axes
  p.setPen(QPen(kInk, 1.5));
  p.drawLine(5, 4, 5, 27);
  p.drawLine(5, 27, 29, 27);
  p.setPen(QPen(kRed, 2));
  QPolygonF trace({{6, 20}, {10, 14}, {13, 18}, {17, 8}, {21, 16}, {24, 12}, {28, 15}});
  p.drawPolyline(trace);
}

void drawRtc(QPainter& p) {  // a clock face
  p.setPen(QPen(kInk, 2));
  p.setBrush(kPaper);
  p.drawEllipse(QPointF(16, 16), 12, 12);
  p.drawLine(QPointF(16, 16), QPointF(16, 8));
  p.drawLine(QPointF(16, 16), QPointF(22, 19));
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  for (int i = 0; i < 12; ++i) {
    p.save();
    p.translate(16, 16);
    p.rotate(i * 30);
    p.drawRect(QRectF(-0.6, -11, 1.2, 2));
    p.restore();
  }
}

void drawMemory(QPainter& p) {  // a memory chip
  p.setPen(QPen(kInk, 1.5));
  for (int i = 0; i < 5; ++i) {
    p.drawLine(8 + i * 4, 4, 8 + i * 4, 8);
    p.drawLine(8 + i * 4, 24, 8 + i * 4, 28);
  }
  p.setBrush(kGreen);
  p.drawRoundedRect(QRectF(5, 8, 22, 16), 2, 2);
  p.setBrush(kPaper);
  p.drawEllipse(QPointF(9, 12), 1.5, 1.5);
}

void drawClear(QPainter& p) {  // an eraser over a line
  p.setPen(QPen(kInk, 1.5));
  p.drawLine(4, 28, 28, 28);
  p.save();
  p.translate(16, 16);
  p.rotate(-35);
  p.setBrush(kRed);
  p.drawRect(QRectF(-11, -5, 12, 10));
  p.setBrush(kPaper);
  p.drawRect(QRectF(1, -5, 10, 10));
  p.restore();
}

void drawHelp(QPainter& p) {  // a question mark in a circle
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(kBlue);
  p.drawEllipse(QPointF(16, 16), 13, 13);
  QFont f;
  f.setPixelSize(20);
  f.setBold(true);
  p.setFont(f);
  p.setPen(kPaper);
  p.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("?"));
}

void drawLanguage(QPainter& p) {  // a globe
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(kBlue.lighter(140));
  p.drawEllipse(QPointF(16, 16), 13, 13);
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(16, 16), 5.5, 13);
  p.drawLine(3, 16, 29, 16);
  p.drawLine(5, 10, 27, 10);
  p.drawLine(5, 22, 27, 22);
}

// A noise dosimeter seen from the front: body, display, microphone.
QPixmap meter(const QColor& body) {
  QPixmap pm = canvas();
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(kInk);
  p.drawRect(QRectF(14.5, 2, 3, 6));
  p.drawEllipse(QPointF(16, 4), 3.5, 3.5);
  p.setBrush(body);
  p.drawRoundedRect(QRectF(7, 8, 18, 22), 3, 3);
  p.setBrush(QColor(0xD8, 0xE8, 0xC8));
  p.drawRect(QRectF(10, 11, 12, 8));
  p.setPen(QPen(kInk, 1));
  p.drawLine(12, 16, 20, 16);
  p.setBrush(kPaper);
  p.drawEllipse(QPointF(12, 24), 1.8, 1.8);
  p.drawEllipse(QPointF(20, 24), 1.8, 1.8);
  return pm;
}

}  // namespace

QIcon ToolbarIcon(int index) {
  QPixmap pm = canvas();
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  switch (index) {
    case 1:
      drawOpen(p);
      break;
    case 2:
      drawComSet(p);
      break;
    case 3:
      drawSettingPanel(p);
      break;
    case 4:
      drawList(p);
      break;
    case 5:
      drawGraphics(p);
      break;
    case 6:
      drawRtc(p);
      break;
    case 7:
      drawMemory(p);
      break;
    case 8:
      drawClear(p);
      break;
    case 9:
      drawHelp(p);
      break;
    case 10:
      drawLanguage(p);
      break;
    default:
      break;
  }
  p.end();
  return QIcon(pm);
}

QIcon DeviceIcon(int index) {
  return QIcon(meter(index == 1 ? kBlue : kAmber));
}

}  // namespace vkz
