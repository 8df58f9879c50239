#include <QApplication>
#include <QLocale>
#include <QMainWindow>

#include "ui/appdir.h"
#include "ui/numfmt.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  vkz::setAppDir(QCoreApplication::applicationDirPath().toStdString());
  QString dp = QLocale::system().decimalPoint();
  vkz::setDecimalSeparator(dp.isEmpty() ? '.' : dp.at(0).toLatin1());
  QMainWindow w;
  w.setWindowTitle("Noise Dosimeter");
  w.show();
  return app.exec();
}
