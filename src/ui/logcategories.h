// The program's log categories in Qt's logging: vkz.link, vkz.poll,
// vkz.file, vkz.pdf and vkz.ui, all off unless switched on
// (QT_LOGGING_RULES="vkz.link=true", or "vkz.*=true" for every one).
#pragma once
#include <QLoggingCategory>

#include "base/log.h"

namespace vkz {

Q_DECLARE_LOGGING_CATEGORY(lcLink)
Q_DECLARE_LOGGING_CATEGORY(lcPoll)
Q_DECLARE_LOGGING_CATEGORY(lcFile)
Q_DECLARE_LOGGING_CATEGORY(lcPdf)
Q_DECLARE_LOGGING_CATEGORY(lcUi)

// The category of an area of the log seam.
const QLoggingCategory& logCategory(LogArea area);

// Routes the log seam (base/log.h) into these categories.
void installLogSink();

}  // namespace vkz
