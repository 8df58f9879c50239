// The program: the main window is the start-up object. Its load fills the
// texts, reads the language, shows the port window and sets the toolbar;
// closing it closes every linked port and ends the program.
#include <QApplication>
#include <QLocale>

#include "base/appdir.h"
#include "base/atomicfile.h"
#include "base/numfmt.h"
#include "link/win/comportsetfrm.h"
#include "link/win/linkhooks.h"
#include "pdf/pdfhooks.h"
#include "reports/win/installreports.h"
#include "settings/win/settingwindows.h"
#include "settings/win/valuewindows.h"
#include "shell/win/startup.h"
#include "state/programstate.h"
#include "ui/formregistry.h"
#include "ui/logcategories.h"
#include "ui/msgbox.h"
#include "views/win/datalistfrm.h"

int main(int argc, char** argv) {
  // A save past the file-size limit is a failed save, not the end of the
  // program and of the measurement not yet saved.
  vkz::ignoreFileSizeSignal();
  QApplication app(argc, argv);
  // The log categories vkz.link, vkz.poll, vkz.file, vkz.pdf and vkz.ui,
  // off unless QT_LOGGING_RULES switches them on.
  vkz::installLogSink();
  vkz::setAppDir(QCoreApplication::applicationDirPath().toStdString());
  const QString dp = QLocale::system().decimalPoint();
  vkz::setDecimalSeparator(dp.isEmpty() ? '.' : dp.at(0).toLatin1());
  vkz::MsgBox::setAppTitle(QStringLiteral("Noise Dosimeter"));
  // The serial read and write and the wait loop turn Qt's event loop.
  vkz::installLinkHooks();
  // The PDF writer's messages and its "open in viewer" through the program's.
  vkz::installPdfHooks();
  vkz::State().openers.showComPortSetFrm = [] { vkz::ShowComPortSetFrm(); };
  // The setting panel and the setting windows, and the replies they show.
  vkz::installSettingWindows();
  // The downloads fill the data list window.
  vkz::installViewWindows();
  // The setting windows the setting panel and the command tree open.
  vkz::installValueWindows();
  // The data windows' Print and PDF buttons make the reports.
  vkz::installReports();

  vkz::StartMainWindow();
  return app.exec();
}
