// A log sink for tests: installed while it lives, it takes the lines of
// the areas it is given (every level) and keeps them in order.
#pragma once
#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "base/log.h"

namespace vkz::test {

class LogCapture final : public LogSink {
 public:
  struct Line {
    LogArea area;
    LogLevel level;
    std::string text;
  };

  explicit LogCapture(std::initializer_list<LogArea> areas) : areas_(areas) { setLogSink(this); }
  ~LogCapture() override {
    if (logSink() == this) setLogSink(nullptr);
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  bool enabled(LogArea area, LogLevel) const override {
    return std::find(areas_.begin(), areas_.end(), area) != areas_.end();
  }
  void write(LogArea area, LogLevel level, std::string_view text) override {
    lines.push_back({area, level, std::string(text)});
  }

  // The texts of the lines that contain `part`.
  std::vector<std::string> matching(std::string_view part) const {
    std::vector<std::string> out;
    for (const Line& l : lines)
      if (l.text.find(part) != std::string::npos) out.push_back(l.text);
    return out;
  }

  std::vector<Line> lines;

 private:
  std::vector<LogArea> areas_;
};

}  // namespace vkz::test
