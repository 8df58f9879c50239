// The poll engine's lines on vkz.poll: what it asks the meter for, what it
// waits for and gives up on, and requests that never left the computer.
#pragma once
#include <string>
#include <utility>

#include "base/log.h"
#include "link/comportapi.h"

namespace vkz {

// Logs a line on vkz.poll, built only while the category is on.
template <class Make>
void logPoll(LogLevel level, Make&& make) {
  logLazy(LogArea::Poll, level, std::forward<Make>(make));
}

// Logs a request of the engine that did not go out whole (`what` names it:
// "model request"); the engine's waits and re-sends deal with the silence.
inline void logUnsent(const PortResult& r, const char* what) {
  if (!r.ok()) logPoll(LogLevel::Warning, [&] { return std::string(what) + " not sent: " + r.error; });
}

}  // namespace vkz
