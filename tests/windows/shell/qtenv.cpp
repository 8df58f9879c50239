#include "qtenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "base/appdir.h"
#include "link/porttable.h"
#include "polling/measurement.h"
#include "polling/pollstate.h"
#include "shell/flags.h"
#include "shell/langfile.h"
#include "shell/uitext.h"
#include "shell/win/panel.h"
#include "state/programstate.h"
#include "support/common/program_reset.h"
#include "support/common/qt_app.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"
#include "views/datafile.h"

namespace vkz {
void ShellTest::settle() {
  test::settleEvents();
}

void ShellTest::SetUp() {
  tmp_ = std::make_unique<QTemporaryDir>();
  ASSERT_TRUE(tmp_->isValid());
  test::resetProgram();
  setAppDir(dir());
  LoadDefaultStrings(State().texts);
}

void ShellTest::TearDown() {
  FormRegistry::unloadAll();
  clock_.reset();
  delete panel_;
  panel_ = nullptr;
  settle();
  test::resetProgram();
}

Panel* ShellTest::makePanel() {
  panel_ = new Panel();
  panel_->setTimersFrozen(true);
  clock_.emplace([] { QCoreApplication::processEvents(); });
  panel_->MDIForm_Load();
  panel_->show();
  settle();
  return panel_;
}

std::string ShellTest::dir() const {
  return tmp_->path().toStdString();
}

std::string ShellTest::writeFile(const std::string& relative, const std::string& bytes) {
  const QString path = tmp_->filePath(QString::fromStdString(relative));
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes.data(), static_cast<qint64>(bytes.size()));
  return path.toStdString();
}

}  // namespace vkz
