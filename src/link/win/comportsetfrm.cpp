#include "link/win/comportsetfrm.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include "base/handlerstep.h"
#include "base/trtext.h"
#include "link/comname.h"
#include "link/comportapi.h"
#include "link/porttable.h"
#include "link/portwindowlayout.h"
#include "link/win/linkhooks.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "ui/buttoncaption.h"
#include "ui/msgbox.h"
#include "ui/placement.h"
#include "ui/qtext.h"
#include "ui/twips.h"

namespace vkz {
namespace {

void fillPortNames(QComboBox* list) {
  list->clear();
  QStringList names;
  names.reserve(256);
  for (int n = 1; n <= 256; ++n) names << QStringLiteral("COM  %1").arg(n);
  list->addItems(names);
}

// A port that did not open says which and why, so a user who picked a port
// without a device (COM256, an unplugged adapter) is not left before a
// silent meter. A refusal the user can mend (no permission, not a serial
// device) was told as the port was opened.
void tellPortNotOpened(int port) {
  const ComPortAPI& api = State().PortApi;
  if (port <= 0 || api.IsOpen(port) == -1 || !api.OpenRefusal(port).empty()) return;
  const std::string name = "COM" + std::to_string(port);
  const std::string path = ComDevicePath(name);
  std::string why;
  api.CommGetError(why);
  const std::string text =
      path.empty()
          ? fillText(trText("Port",
                            "%1 cannot be opened: no device is mapped to it (Device Manager shows the map)."),
                     {name})
          : fillText(trText("Port", "%1 (%2) cannot be opened.\n%3"), {name, path, why});
  MsgBox::show(q(text), MsgIcon::Exclamation, MsgButtons::Ok);
}

}  // namespace

ComPortSetFrm::ComPortSetFrm() : FormWindow(&State().flags.ComPortSetFrmOpen) {
  setObjectName(QStringLiteral("ComPortSetFrm"));
  setModal(true);

  ComPortPic = new QWidget(this);
  ComPortPic->setObjectName(QStringLiteral("ComPortPic"));
  ComPortPic->resize(pxX(kComPortPanelWidth), pxY(kComPortPanelHeight));
  auto button = [&](QPushButton*& b, const char* name, int l, int t, int w, int h) {
    b = new QPushButton(ComPortPic);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    setTwipsGeometry(b, l, t, w, h);
  };
  button(PortScanBtn, "PortScanBtn", 120, 120, 1215, 975);
  button(PortResetBtn, "PortResetBtn", 120, 1080, 1215, 975);
  button(DeviceManager, "DeviceManager", 1320, 120, 1575, 1935);
  button(LinkBtn, "LinkBtn", 120, 2040, 2775, 495);
  // Enter links the chosen port, as the window's OK.
  LinkBtn->setDefault(true);
  DeviceLbl = new QLabel(ComPortPic);
  DeviceLbl->setObjectName(QStringLiteral("DeviceLbl"));
  setTwipsGeometry(DeviceLbl, 3000, 120, 915, 360);
  ComPortLbl = new QLabel(ComPortPic);
  ComPortLbl->setObjectName(QStringLiteral("ComPortLbl"));
  setTwipsGeometry(ComPortLbl, 3000, 1320, 1320, 360);
  DeviceSelCbx = new QComboBox(ComPortPic);
  DeviceSelCbx->setObjectName(QStringLiteral("DeviceSelCbx"));
  DeviceSelCbx->setEditable(true);
  DeviceSelCbx->setInsertPolicy(QComboBox::NoInsert);
  // The model text is taken as typed: "KRD" must not become "KRD 529" (the
  // line settings depend on the exact text).
  DeviceSelCbx->setCompleter(nullptr);
  DeviceSelCbx->setGeometry(pxX(3000), pxY(480), pxX(1935), DeviceSelCbx->sizeHint().height());
  ComPortCbx = new QComboBox(ComPortPic);
  ComPortCbx->setObjectName(QStringLiteral("ComPortCbx"));
  ComPortCbx->setGeometry(pxX(3000), pxY(1680), pxX(1935), ComPortCbx->sizeHint().height());
  ComPortCbx->installEventFilter(this);
  ComPortCbx->view()->installEventFilter(this);  // the dropped-down list searches by typed keys too
  ScanProgressBar = new QProgressBar(ComPortPic);
  ScanProgressBar->setObjectName(QStringLiteral("ScanProgressBar"));
  ScanProgressBar->setTextVisible(false);
  ScanProgressBar->setRange(0, 100);
  ScanProgressBar->setValue(0);
  setTwipsGeometry(ScanProgressBar, 120, 2640, 4935, 255);

  connect(LinkBtn, &QPushButton::clicked, this, [this] { LinkBtn_Click(); });
  connect(PortResetBtn, &QPushButton::clicked, this, [this] { PortResetBtn_Click(); });
  connect(PortScanBtn, &QPushButton::clicked, this, [this] { PortScanBtn_Click(); });
  connect(DeviceManager, &QPushButton::clicked, this, [this] { DeviceManager_Click(); });

  // The window's size is its outer size in the layout rule; the frame the
  // window system adds is taken as the rule's fixed border.
  setMinimumSize(pxX(kComPortMinWidth - kComPortFrameWidth), pxY(kComPortMinHeight - kComPortFrameHeight));

  // Form_Load
  step([] { installLinkMessageHook(); });
  step([&] { ApplyComPortSetFrmText(*this); });
  step([&] {
    DeviceSelCbx->clear();
    DeviceSelCbx->setEditText(QStringLiteral("KRD 529"));
    DeviceSelCbx->addItem(QStringLiteral("KRD 529"));
    DeviceSelCbx->setCurrentIndex(0);
  });
  step([&] {
    fillPortNames(ComPortCbx);
    ComPortCbx->setCurrentIndex(0);
  });
  step([&] {
    // Either way both lists end on "KRD 529" and "COM  1": the window never
    // preselects the port that is linked.
    const PortEntry* e = CurrentEntry(State().link);
    if (e && State().PortApi.IsOpen(e->PortNo) == -1)
      DeviceSelCbx->setCurrentIndex(0);
    else
      PortResetBtn_Click();
  });
  step([&] {
    resize(pxX(5190 - kComPortFrameWidth), pxY(3510 - kComPortFrameHeight));
    Form_Resize();
  });
  // Over the window the user works in (the screen's middle at start-up),
  // inside the screen.
  step([&] { placeCentred(this, QApplication::activeWindow()); });
}

void ComPortSetFrm::Form_Resize() {
  if (isMinimized()) return;
  const int outerW = twX(width()) + kComPortFrameWidth;
  const int outerH = twY(height()) + kComPortFrameHeight;
  const ComPortLayout l = ComPortSetFrmLayout(outerW, outerH);
  if (l.width != outerW || l.height != outerH)
    resize(pxX(l.width - kComPortFrameWidth), pxY(l.height - kComPortFrameHeight));
  ComPortPic->move(pxX(l.panelLeft), pxY(l.panelTop));
}

void ComPortSetFrm::reject() {
  // Escape closes the window the way its close box does: unloaded, nothing
  // linked. (A plain dialog would only hide and stay loaded with its flag
  // set, and the next showing would not load it afresh.)
  FormRegistry::unload(this);
}

bool ComPortSetFrm::eventFilter(QObject* watched, QEvent* e) {
  // ComPortCbx_KeyPress: no typed character reaches the port list (the
  // list's own type-to-search would pick another port).
  if ((watched == ComPortCbx || watched == ComPortCbx->view()) && e->type() == QEvent::KeyPress) {
    const auto* k = static_cast<QKeyEvent*>(e);
    if (!k->text().isEmpty() && k->text().at(0).isPrint()) return true;
  }
  return QDialog::eventFilter(watched, e);
}

void ComPortSetFrm::LinkBtn_Click() {
  if (scanning_) return;
  int port = 0;
  std::string settings;
  step([&] {
    // "COM  12" -> 12. With an empty list (a scan that found nothing) the
    // number is 0: the entry names no port and the polling loop finds it
    // closed.
    const QStringList fields = ComPortCbx->currentText().split(QStringLiteral("  "));
    if (fields.size() >= 2) {
      bool ok = false;
      const int n = fields[1].trimmed().toInt(&ok);
      port = ok && n >= 0 && n <= 32767 ? n : 0;
    }
  });
  step([&] {
    const QString model = DeviceSelCbx->currentText();
    if (model == QLatin1String("KRD 529") || model == QLatin1String("418")) settings = kMeterLineSettings;
  });
  const int entries = State().link.PortCount;
  step([&] { OpenPort(State().line(), port, settings); });
  // (A full port table said so, and added no entry.)
  if (State().link.PortCount > entries) step([&] { tellPortNotOpened(port); });
  step([] { State().link.CurPort = State().link.PortCount; });
  FormRegistry::unload(this);
}

void ComPortSetFrm::PortResetBtn_Click() {
  if (scanning_) return;
  step([&] {
    fillPortNames(ComPortCbx);
    ComPortCbx->setCurrentIndex(0);
  });
  step([&] { DeviceSelCbx->setCurrentIndex(0); });
}

void ComPortSetFrm::PortScanBtn_Click() {
  if (scanning_) return;
  scanning_ = true;
  QPointer<ComPortSetFrm> self(this);
  ScanPorts(State().PortApi, ComPortCbx, ScanProgressBar);
  if (!self) return;
  scanning_ = false;
  ComPortCbx->setCurrentIndex(ComPortCbx->count() > 0 ? 0 : -1);
}

void ComPortSetFrm::DeviceManager_Click() {
  // Which COMn is which device: the map this program reads port names by.
  MsgBox::show(q(ComNameMapText()), MsgIcon::Information, MsgButtons::Ok, q(State().texts.TxtDeviceManager));
}

void ApplyComPortSetFrmText(ComPortSetFrm& f) {
  const UiText& t = State().texts;
  step([&] { f.setWindowTitle(q(t.TxtComPort)); });
  step([&] { setButtonCaption(f.PortScanBtn, q(t.TxtAutoScan)); });
  step([&] { setButtonCaption(f.PortResetBtn, q(t.TxtResetComPort)); });
  step([&] { f.LinkBtn->setText(q(t.TxtOK)); });
  step([&] { setButtonCaption(f.DeviceManager, q(t.TxtDeviceManager)); });
  step([&] { f.DeviceLbl->setText(q(t.TxtDevice)); });
  step([&] { f.ComPortLbl->setText(q(t.TxtComPort)); });
}

void ScanPorts(ComPortAPI& api, QComboBox* portList, QProgressBar* progressBar) {
  QPointer<QComboBox> list(portList);
  QPointer<QProgressBar> bar(progressBar);
  if (bar) bar->setMaximum(256);
  if (list) list->clear();
  for (int n = 1; n <= 256; ++n) {
    step([&] {
      if (bar) bar->setValue(n);
      const std::int32_t r = api.CommOpen(n, "COM" + std::to_string(n), "baud=9600 parity=N data=8 stop=1");
      // Listed when the system handed out the device, even if setting it up
      // failed; not when this program already holds it (-2).
      if (api.IsActivity(n) >= 1 && r != -2) {
        if (list) list->addItem(QStringLiteral("COM  %1").arg(n));
        api.CommClose(n);
      }
    });
    // Each probe is a few system calls that never wait; between them the
    // progress is drawn and the timers run, but no click is taken.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
}

void ShowComPortSetFrm() {
  QPointer<ComPortSetFrm> f = FormRegistry::get<ComPortSetFrm>();
  if (f) f->exec();
}

}  // namespace vkz
