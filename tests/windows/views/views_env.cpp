#include "views_env.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include "polling/measurement.h"
#include "polling/pollstate.h"
#include "polling/win/paneltimers.h"
#include "shell/flags.h"
#include "shell/uitext.h"
#include "ui/appdir.h"
#include "ui/flexgrid.h"
#include "ui/formregistry.h"
#include "ui/msgbox.h"
#include "ui/printer.h"
#include "views/datafile.h"
#include "views/win/chartstate.h"
#include "views/win/reporthooks.h"

namespace vkz {
namespace {
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "windows_views";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QApplication> app_;
};
[[maybe_unused]] auto* const g_env = ::testing::AddGlobalTestEnvironment(new QtEnvironment);
}  // namespace

void ViewsTest::settle() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
  }
}

void ViewsTest::SetUp() {
  tmp_ = std::make_unique<QTemporaryDir>();
  ASSERT_TRUE(tmp_->isValid());
  QDir(tmp_->path()).mkpath(QStringLiteral("bin"));
  QDir(tmp_->path()).mkpath(QStringLiteral("PDF"));
  setAppDir(dir());
  Flags().reset();
  Shell().reset();
  ResetPolling();
  Polling().MeterModel = "VKZ 418";
  DataFile().reset();
  Measurement().reset();
  Chart().reset();
  Reports() = ReportHooks{};
  LoadDefaultStrings();
  MsgBox::setTestMode(true);
  MsgBox::resetTestRecords();
  PrinterSeam::setTestMode(true);
  PrinterSeam::resetTestRecords();
  StartPanelTimers();
}

void ViewsTest::TearDown() {
  FormRegistry::unloadAll();
  settle();
  Reports() = ReportHooks{};
  setAppDir("");
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
