// The documentation's picture of the setting panel with the main window,
// with the dose-channel window opened from the panel and showing the meter
// emulator's dose settings: the whole screen, the windows where the program
// puts them. Run under xvfb-run; writes setting-panel.png into the folder
// given (docs/screenshots by default), or with a language number after the
// folder (2: Portuguese) setting-panel-pt.png in that language.
#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "settings/win/kalvoxfrm.h"
#include "settings/win/setting418panelfrm.h"
#include "settings/win/settingwindows.h"
#include "shell/win/panel.h"
#include "support/common/download_road.h"
#include "ui/formregistry.h"

using namespace vkz;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screenshots");
  const int language = argc > 2 ? std::atoi(argv[2]) : 1;
  QDir().mkpath(out);
  QTemporaryDir tmp;
  DownloadRoad road(true);
  if (!road.start(tmp.path().toStdString(), language)) {
    std::fprintf(stderr, "the meter emulator did not answer\n");
    return 1;
  }
  installSettingWindows();
  // A few poll ticks: the meter in the detected-meter list, the status bar
  // written.
  road.panel->move(0, 0);
  road.panel->setFirstSize(QGuiApplication::primaryScreen()->availableGeometry().size());
  road.until([&] { return road.panel->ControlListView->count() > 0; });
  road.panel->Toolbar1_ButtonClick(QStringLiteral("SettingPanel"));
  Setting418PanelFrm* p = FormRegistry::find<Setting418PanelFrm>();
  if (!p) return 1;
  p->KalvoxBtn->click();
  if (!FormRegistry::find<KalvoxFrm>()) return 1;
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();

  // The screen as the user sees it.
  const QString file = out + (language == 1   ? QStringLiteral("/setting-panel.png")
                              : language == 2 ? QStringLiteral("/setting-panel-pt.png")
                                              : QStringLiteral("/setting-panel-%1.png").arg(language));
  const bool ok = QGuiApplication::primaryScreen()->grabWindow(0).save(file);
  std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(file));
  return ok ? 0 : 1;
}
