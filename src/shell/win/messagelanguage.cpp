#include "shell/win/messagelanguage.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QTranslator>
#include <utility>

#include "base/log.h"
#include "base/trtext.h"

namespace vkz {
namespace {

// Language files by name, and their catalogues.
constexpr std::pair<const char*, const char*> kCatalogues[] = {
    {"Português (Brasil)", "pt_BR"},
};

QPointer<QTranslator>& installed() {
  static QPointer<QTranslator> t;
  return t;
}

}  // namespace

QString MessageCatalogueFor(const std::string& langFile) {
  const QString name = QFileInfo(QString::fromStdString(langFile)).completeBaseName();
  for (const auto& [file, catalogue] : kCatalogues)
    if (name.compare(QString::fromUtf8(file), Qt::CaseInsensitive) == 0)
      return QString::fromLatin1(catalogue);
  return {};
}

void ApplyMessageLanguage(const LanguageState& st, LangStatus status) {
  if (status != LangStatus::Loaded) return;
  if (QTranslator* old = installed()) {
    QCoreApplication::removeTranslator(old);
    delete old;
  }
  setTranslator(nullptr);
  const QString catalogue = MessageCatalogueFor(st.LangFile);
  if (catalogue.isEmpty()) return;
  auto* t = new QTranslator(QCoreApplication::instance());
  if (!t->load(QStringLiteral(":/i18n/vkz_%1.qm").arg(catalogue))) {
    logWrite(LogArea::Ui, LogLevel::Warning,
             "the message catalogue " + catalogue.toStdString() + " is missing: messages stay English");
    delete t;
    return;
  }
  QCoreApplication::installTranslator(t);
  installed() = t;
  setTranslator([](const char* context, const char* source) {
    return QCoreApplication::translate(context, source).toStdString();
  });
}

}  // namespace vkz
