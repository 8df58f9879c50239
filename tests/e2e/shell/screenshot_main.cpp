// Takes the main window's picture for the documentation: the program linked
// to the meter emulator on COM1 (the port window answered with OK), polling
// for a few seconds on its real timers, then the screen saved as a PNG (the
// main window as large as the program opens it on that screen). Run under
// xvfb-run, in English or with a language number (2: Portuguese):
//   xvfb-run -s "-screen 0 1366x768x24" build/bin/shell_screenshot out.png [2]
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>

#include "base/appdir.h"
#include "emulator/emulator.h"
#include "link/comname.h"
#include "link/win/comportsetfrm.h"
#include "link/win/linkhooks.h"
#include "polling/pollstate.h"
#include "shell/win/panel.h"
#include "shell/win/startup.h"
#include "state/programstate.h"
#include "support/common/download_road.h"
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
  // The program's folders in a scratch folder, with the language chosen.
  QTemporaryDir tmp;
  const int language = argc > 2 ? std::atoi(argv[2]) : 1;
  if (!tmp.isValid() || !vkz::installLanguage(tmp.path().toStdString(), language)) return 1;
  vkz::setAppDir(tmp.path().toStdString());
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
  vkz::StartMainWindow();
  vkz::Panel* panel = vkz::ThePanel();
  if (!panel) return 1;
  runFor(3000);
  QGuiApplication::primaryScreen()->grabWindow(0).save(out);
  meter.stop();
  delete panel;
  return 0;
}
