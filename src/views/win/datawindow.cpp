#include "views/win/datawindow.h"

#include <QFrame>
#include <QPushButton>

#include "ui/splitbar.h"
#include "views/histogram.h"
#include "views/win/histogramfrm.h"

namespace vkz {

DataWindow::DataWindow(std::int16_t* openFlag) : FormWindow(openFlag) {}

void DataWindow::Show() {
  showDataWindow(this);
}

void DataWindow::buildSplitter(QWidget* parent) {
  PicSplit = new SplitBar(Qt::Vertical, parent);
  PicSplit->setObjectName(QStringLiteral("PicSplit"));
  PicSplit->onDown = [this](int b, int shift, int x, int y) { PicSplit_MouseDown(b, shift, x, y); };
  PicSplit->onMove = [this](int b, int shift, int x, int y) { PicSplit_MouseMove(b, shift, x, y); };
  PicSplit->onUp = [this](int b, int shift, int x, int y) { PicSplit_MouseUp(b, shift, x, y); };
}

void DataWindow::buildPanels(QWidget* parent, int selectLeft, int resolutionLeft, int top) {
  Panels.build(parent, selectLeft, resolutionLeft, top);
  connect(BtnSelectOK, &QPushButton::clicked, this, [this] { BtnSelectOK_Click(); });
  connect(BtnExit, &QPushButton::clicked, this, [this] { BtnExit_Click(); });
  connect(Btn01dB, &QPushButton::clicked, this, [this] { Btn01dB_Click(); });
  connect(Btn1dB, &QPushButton::clicked, this, [this] { Btn1dB_Click(); });
}

void DataWindow::BtnSelectOK_Click() {
  Panels.confirm(recordGrid());
}

void DataWindow::BtnExit_Click() {
  SSpSelectItem->hide();
}

void DataWindow::histogram(HistResolution res) {
  RunLevelHistogram(this, recordGrid(), SSpResolution, res);
}
void DataWindow::Btn01dB_Click() {
  histogram(HistResolution::Tenth);
}
void DataWindow::Btn1dB_Click() {
  histogram(HistResolution::Whole);
}

void DataWindow::PicSplit_MouseDown(int, int, int, int) {
  SplitDragging = -1;
}
void DataWindow::PicSplit_MouseUp(int, int, int, int) {
  SplitDragging = 0;
}
void DataWindow::PicSplit_MouseMove(int, int, int x, int) {
  if (SplitDragging == -1) dragSplitter(x);
}

}  // namespace vkz
