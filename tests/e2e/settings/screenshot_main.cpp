// The documentation's picture of the setting panel beside the main window,
// with the dose-channel window opened from the panel and showing the meter
// emulator's dose settings. Run under xvfb-run; writes setting-panel.png
// into the folder given (docs/screenshots by default).
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

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
  QDir().mkpath(out);
  QTemporaryDir tmp;
  DownloadRoad road(true);
  if (!road.start(tmp.path().toStdString())) {
    std::fprintf(stderr, "the meter emulator did not answer\n");
    return 1;
  }
  installSettingWindows();
  // A few poll ticks: the meter in the detected-meter list, the status bar
  // written.
  road.panel->resize(1000, 660);
  road.panel->move(0, 0);
  road.until([&] { return road.panel->ControlListView->count() > 0; });
  road.panel->Toolbar1_ButtonClick(QStringLiteral("SettingPanel"));
  Setting418PanelFrm* p = FormRegistry::find<Setting418PanelFrm>();
  if (!p) return 1;
  p->KalvoxBtn->click();
  if (!FormRegistry::find<KalvoxFrm>()) return 1;
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();

  // The two windows side by side, as they stand on the screen.
  const QPixmap main = road.panel->grab();
  const QPixmap panel = p->grab();
  QPixmap both(main.width() + panel.width(), std::max(main.height(), panel.height()));
  both.fill(Qt::white);
  QPainter paint(&both);
  paint.drawPixmap(0, 0, main);
  paint.drawPixmap(main.width(), 0, panel);
  paint.end();
  const QString file = out + QStringLiteral("/setting-panel.png");
  const bool ok = both.save(file);
  std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(file));
  return ok ? 0 : 1;
}
