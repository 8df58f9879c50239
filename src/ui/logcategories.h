// The program's log categories in Qt's logging: vkz.link, vkz.poll,
// vkz.file, vkz.pdf and vkz.ui, all off unless switched on
// (QT_LOGGING_RULES="vkz.link=true", or "vkz.*=true" for every one).
#pragma once
#include "base/log.h"

namespace vkz {

// Routes the log seam (base/log.h) into these categories.
void installLogSink();

}  // namespace vkz
