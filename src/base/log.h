// The program's log. Each area is one category that the user switches on
// by name ("vkz.link", "vkz.poll", "vkz.file", "vkz.pdf", "vkz.ui"); all are
// off unless switched on. Code that knows nothing of Qt writes through the
// sink installed here at start-up, which the program routes into Qt's
// logging categories (QT_LOGGING_RULES="vkz.link=true" shows every frame on
// the meter line). Without a sink nothing is enabled, and a text built with
// logLazy is never even formatted.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vkz {

enum class LogArea {
  Link,  // vkz.link: every frame to and from the meter, opening ports, failed writes
  Poll,  // vkz.poll: pause and resume, time-outs, the link watchdog, download requests
  File,  // vkz.file: data files, CSV, Header.bin, language files
  Pdf,   // vkz.pdf: the PDF writer's refusals and output
  Ui,    // vkz.ui: failures caught in window handlers
};

enum class LogLevel { Debug, Info, Warning };

// The category name of an area ("vkz.link" ...).
const char* logAreaName(LogArea area);

// Where the log goes: the program installs one at start-up, a test may
// install its own to capture the lines. A report is made on a thread of its
// own and logs from there: a sink takes lines from any thread.
class LogSink {
 public:
  virtual ~LogSink() = default;
  virtual bool enabled(LogArea area, LogLevel level) const = 0;
  virtual void write(LogArea area, LogLevel level, std::string_view text) = 0;
};

// Installs `sink` (not owned; nullptr switches the log off).
void setLogSink(LogSink* sink);
LogSink* logSink();

// Whether lines of this area and level are wanted: a pointer test when no
// sink is installed.
bool logEnabled(LogArea area, LogLevel level);
// Writes one line if it is wanted.
void logWrite(LogArea area, LogLevel level, std::string_view text);

// Writes the text that `make()` gives, calling it only when the line is
// wanted (so a frame is turned into hex only while vkz.link is on).
template <class Make>
void logLazy(LogArea area, LogLevel level, Make&& make) {
  if (logEnabled(area, level)) logWrite(area, level, make());
}

// Bytes as upper-case hex pairs with one blank between: "02 00 01 00 01".
std::string hexBytes(std::span<const std::uint8_t> bytes);

// A place in the source: as the default of a parameter
// (`SourcePlace where = SourcePlace::here()`) it is the caller's place.
struct SourcePlace {
  const char* file = "";
  int line = 0;
  const char* function = "";
  static constexpr SourcePlace here(const char* file = __builtin_FILE(), int line = __builtin_LINE(),
                                    const char* function = __builtin_FUNCTION()) {
    return {file, line, function};
  }
};

// "function (src/area/file.cpp:123)".
std::string sourcePlace(const SourcePlace& where);

// Inside a catch block: logs, as a warning of `area`, where the failure was
// caught and why (the exception's what() when it is a std::exception).
void logCaught(LogArea area, const SourcePlace& where = SourcePlace::here());

}  // namespace vkz
