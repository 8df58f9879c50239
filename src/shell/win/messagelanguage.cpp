#include "shell/win/messagelanguage.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
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

// The kinds Qt's file dialog shows in its Type column, which Qt's own
// catalogues leave out: the program's catalogue carries them.
struct ToolkitText {
  const char* source;
  const char* comment;
};
[[maybe_unused]] constexpr ToolkitText kFileKinds[] = {
    QT_TRANSLATE_NOOP3("QAbstractFileIconProvider", "Folder", "All other platforms"),
    QT_TRANSLATE_NOOP3("QAbstractFileIconProvider", "Shortcut", "All other platforms"),
    {QT_TRANSLATE_NOOP("QAbstractFileIconProvider", "Drive"), nullptr},
    {QT_TRANSLATE_NOOP("QAbstractFileIconProvider", "Unknown"), nullptr},
};

// The catalogues in force: the program's own messages, and Qt's for the
// toolkit's own dialogs and buttons (open, save, print, input box).
struct Installed {
  QPointer<QTranslator> program;
  QPointer<QTranslator> toolkit;
};
Installed& installed() {
  static Installed t;
  return t;
}

void removeCatalogue(QPointer<QTranslator>& t) {
  if (!t) return;
  QCoreApplication::removeTranslator(t);
  delete t;
  t = nullptr;
}

// Loads `file` from `folder` and installs it; nullptr (and a log line
// naming `what`) when the catalogue is not there.
QTranslator* installCatalogue(const QString& file, const QString& folder, const char* what) {
  auto* t = new QTranslator(QCoreApplication::instance());
  if (!t->load(file, folder)) {
    logWrite(LogArea::Ui, LogLevel::Warning,
             std::string(what) + " " + (folder + QLatin1Char('/') + file).toStdString() +
                 " is missing: those texts stay English");
    delete t;
    return nullptr;
  }
  QCoreApplication::installTranslator(t);
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
  Installed& in = installed();
  removeCatalogue(in.program);
  removeCatalogue(in.toolkit);
  setTranslator(nullptr);
  const QString catalogue = MessageCatalogueFor(st.LangFile);
  if (catalogue.isEmpty()) return;
  // Qt's first: a catalogue installed later is asked first, so the
  // program's own texts win over the toolkit's.
  in.toolkit = installCatalogue(QStringLiteral("qtbase_") + catalogue,
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath), "Qt's catalogue");
  in.program =
      installCatalogue(QStringLiteral("vkz_") + catalogue, QStringLiteral(":/i18n"), "the message catalogue");
  if (!in.program) return;
  setTranslator([](const char* context, const char* source) {
    return QCoreApplication::translate(context, source).toStdString();
  });
}

}  // namespace vkz
