#include "ui/logcategories.h"

#include <QLoggingCategory>
#include <QString>

namespace vkz {
namespace {

// Every level off by default: a category is on only when the rules say so.
Q_LOGGING_CATEGORY(lcLink, "vkz.link", QtFatalMsg)
Q_LOGGING_CATEGORY(lcPoll, "vkz.poll", QtFatalMsg)
Q_LOGGING_CATEGORY(lcFile, "vkz.file", QtFatalMsg)
Q_LOGGING_CATEGORY(lcPdf, "vkz.pdf", QtFatalMsg)
Q_LOGGING_CATEGORY(lcUi, "vkz.ui", QtFatalMsg)

const QLoggingCategory& logCategory(LogArea area) {
  switch (area) {
    case LogArea::Link:
      return lcLink();
    case LogArea::Poll:
      return lcPoll();
    case LogArea::File:
      return lcFile();
    case LogArea::Pdf:
      return lcPdf();
    case LogArea::Ui:
      break;
  }
  return lcUi();
}

class QtLogSink final : public LogSink {
 public:
  bool enabled(LogArea area, LogLevel level) const override {
    const QLoggingCategory& c = logCategory(area);
    switch (level) {
      case LogLevel::Debug:
        return c.isDebugEnabled();
      case LogLevel::Info:
        return c.isInfoEnabled();
      case LogLevel::Warning:
        return c.isWarningEnabled();
    }
    return false;
  }
  void write(LogArea area, LogLevel level, std::string_view text) override {
    const QLoggingCategory& c = logCategory(area);
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QMessageLogger logger(nullptr, 0, nullptr, c.categoryName());
    switch (level) {
      case LogLevel::Debug:
        logger.debug().noquote() << s;
        break;
      case LogLevel::Info:
        logger.info().noquote() << s;
        break;
      case LogLevel::Warning:
        logger.warning().noquote() << s;
        break;
    }
  }
};

}  // namespace

void installLogSink() {
  static QtLogSink sink;
  setLogSink(&sink);
}

}  // namespace vkz
