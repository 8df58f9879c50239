#include "views_env.h"

#include <QDir>
#include <QFile>

#include "base/appdir.h"
#include "polling/measurement.h"
#include "polling/pollstate.h"
#include "shell/flags.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "support/common/program_reset.h"
#include "support/common/qt_app.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"
#include "ui/printer.h"
#include "views/chartstate.h"
#include "views/datafile.h"
#include "views/win/reporthooks.h"

namespace vkz {
void ViewsTest::settle() {
  test::settleEvents();
}

void ViewsTest::SetUp() {
  tmp_ = std::make_unique<QTemporaryDir>();
  ASSERT_TRUE(tmp_->isValid());
  QDir(tmp_->path()).mkpath(QStringLiteral("bin"));
  QDir(tmp_->path()).mkpath(QStringLiteral("PDF"));
  test::resetProgram();
  setAppDir(dir());
  State().polling.MeterModel = "VKZ 418";
  LoadDefaultStrings(State().texts);
  State().poll.StartPanelTimers();
}

void ViewsTest::TearDown() {
  FormRegistry::unloadAll();
  settle();
  test::resetProgram();
}

std::string ViewsTest::dir() const {
  return tmp_->path().toStdString();
}

QString ViewsTest::path(const QString& relative) const {
  return tmp_->filePath(relative);
}

std::string ViewsTest::readFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll().toStdString();
}

void ViewsTest::fillRecords(FlexGrid* grid, const std::vector<std::string>& levels) {
  grid->setRows(1);
  int n = 0;
  for (const std::string& l : levels) {
    ++n;
    grid->AddItem(QString::fromStdString(std::to_string(n) + "\t2018/05/23 14:00:00\t" + l + "\t" + l + "\t" +
                                         l + "\t" + l));
  }
  grid->Refresh();
}

}  // namespace vkz
