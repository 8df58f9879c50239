#include "viewsroad.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>

#include "link/comname.h"
#include "link/eventpump.h"
#include "link/porttable.h"
#include "polling/measurement.h"
#include "polling/pollstate.h"
#include "polling/win/download.h"
#include "shell/flags.h"
#include "shell/langfile.h"
#include "shell/uitext.h"
#include "shell/win/panel.h"
#include "ui/appdir.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"
#include "views/datafile.h"
#include "views/win/chartstate.h"

namespace vkz {

ViewsRoad::~ViewsRoad() {
  FormRegistry::unloadAll();
  delete panel;
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
  }
  meter.stop();
  ResetLink();
  WindowOpeners() = ShellWindowOpeners{};
  setEventPump(nullptr);
  setComFallback(true);
  setAppDir("");
}

bool ViewsRoad::start(const std::string& dir) {
  setAppDir(dir);
  setComFallback(false);
  setEventPump([] { QCoreApplication::processEvents(); });
  Flags().reset();
  Shell().reset();
  ResetPolling();
  ResetLink();
  ResetDownload();
  Measurement().reset();
  DataFile().reset();
  Chart().reset();
  LoadDefaultStrings();
  MsgBox::setTestMode(true);
  MsgBox::resetTestRecords();
  WindowOpeners() = ShellWindowOpeners{};
  if (!meter.start(dir + "/com/COM1")) return false;
  panel = new Panel();
  panel->setTimersFrozen(true);
  panel->MDIForm_Load();
  panel->show();
  OpenPort(PortApi(), 1, kMeterLineSettings);
  Link().CurPort = 1;
  panel->Timer1_Timer();  // the first poll tick asks for the model
  return until([] { return Polling().MeterModel == "VKZ 418" || Polling().MeterModel == "KRD 529"; });
}

bool ViewsRoad::until(const std::function<bool()>& done, int ms) {
  if (done()) return true;
  QElapsedTimer clock;
  clock.start();
  QEventLoop loop;
  QTimer tick;
  tick.setTimerType(Qt::PreciseTimer);
  tick.setInterval(1);
  bool ok = false;
  QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
    ++turns_;
    if (turns_ % 4 == 0) panel->Timer3_Timer();
    if (turns_ % 50 == 0 && panel->pollingRunning()) panel->Timer1_Timer();
    if (done()) {
      ok = true;
      loop.quit();
    } else if (clock.elapsed() > ms) {
      loop.quit();
    }
  });
  tick.start();
  loop.exec();
  return ok;
}

bool ViewsRoad::download(int row) {
  const std::size_t shown = MsgBox::shown().size();
  panel->Toolbar1_ButtonClick(QStringLiteral("Memory"));
  const bool listed = until([&] {
    for (std::size_t i = shown; i < MsgBox::shown().size(); ++i)
      if (MsgBox::shown()[i].text == QString::fromStdString(UiTexts().TxtGetMemoryInfoOK)) return true;
    return false;
  });
  if (!listed) return false;
  panel->MSFlexGrid1->setRow(row);
  panel->MSFlexGrid1_Click();
  return until([&] {
    const DownloadState& d = Download();
    return !d.headerAwaited && !d.flow.active() &&
           panel->MemoryMessageLbl->text() == QString::fromStdString(UiTexts().TxtLoadComplete);
  });
}

}  // namespace vkz
