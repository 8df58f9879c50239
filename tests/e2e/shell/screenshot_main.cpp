// Takes the main window's picture for the documentation: the program linked
// to the meter emulator on COM1 (the port window answered with OK), polling
// for a few seconds on its real timers, then the window saved as a PNG. Run under xvfb-run:
//   xvfb-run -s "-screen 0 1280x900x24" build/bin/shell_screenshot out.png
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "base/appdir.h"
#include "emulator/emulator.h"
#include "link/comname.h"
#include "link/win/comportsetfrm.h"
#include "link/win/linkhooks.h"
#include "polling/pollstate.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"

namespace {
void runFor(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) return 2;
  const QString out = QString::fromLocal8Bit(argv[1]);
  vkz::setAppDir(QCoreApplication::applicationDirPath().toStdString());
  vkz::setComFallback(false);
  vkz::installLinkHooks();
  vkz::MsgBox::setTestMode(true);  // the list's closing message is not shown

  vkz::emu::Emulator meter;
  meter.setModel("VKZ 418");
  vkz::emu::GenerateOptions opt;
  opt.count = 6;
  meter.generateMeasurements(opt);
  if (!meter.start(vkz::appPath("com/COM1"))) return 1;

  vkz::State().openers.showComPortSetFrm = [] {
    // The user keeps "COM  1" and the model, and presses OK.
    QTimer::singleShot(300, [] {
      if (auto* f = vkz::FormRegistry::find<vkz::ComPortSetFrm>()) f->LinkBtn->click();
    });
    vkz::ShowComPortSetFrm();
  };
  auto* panel = new vkz::Panel();
  panel->MDIForm_Load();
  // The size the program opens at on this screen.
  panel->setFirstSize(QGuiApplication::primaryScreen()->availableGeometry().size());
  panel->show();
  runFor(3000);
  panel->grab().save(out);
  meter.stop();
  delete panel;
  return 0;
}
