#include "base/log.h"

#include <exception>

namespace vkz {
namespace {
LogSink* g_sink = nullptr;
}  // namespace

const char* logAreaName(LogArea area) {
  switch (area) {
    case LogArea::Link:
      return "vkz.link";
    case LogArea::Poll:
      return "vkz.poll";
    case LogArea::File:
      return "vkz.file";
    case LogArea::Pdf:
      return "vkz.pdf";
    case LogArea::Ui:
      return "vkz.ui";
  }
  return "vkz";
}

void setLogSink(LogSink* sink) {
  g_sink = sink;
}

LogSink* logSink() {
  return g_sink;
}

bool logEnabled(LogArea area, LogLevel level) {
  return g_sink != nullptr && g_sink->enabled(area, level);
}

void logWrite(LogArea area, LogLevel level, std::string_view text) {
  if (logEnabled(area, level)) g_sink->write(area, level, text);
}

std::string hexBytes(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string s;
  s.reserve(bytes.size() * 3);
  for (const std::uint8_t b : bytes) {
    if (!s.empty()) s += ' ';
    s += kDigits[b >> 4];
    s += kDigits[b & 0x0F];
  }
  return s;
}

std::string sourcePlace(const SourcePlace& where) {
  // The path from the source tree's top ("src/link/porttable.cpp").
  std::string_view file = where.file;
  for (std::string_view top : {"/src/", "/tests/", "/emulator/"}) {
    const auto at = file.rfind(top);
    if (at != std::string_view::npos) {
      file.remove_prefix(at + 1);
      break;
    }
  }
  return std::string(where.function) + " (" + std::string(file) + ":" + std::to_string(where.line) + ")";
}

void logCaught(LogArea area, const SourcePlace& where) {
  if (!logEnabled(area, LogLevel::Warning)) return;
  std::string why = "no exception";
  if (std::current_exception()) {
    try {
      throw;
    } catch (const std::exception& e) {
      why = e.what();
    } catch (...) {
      why = "an exception that is not a std::exception";
    }
  }
  logWrite(area, LogLevel::Warning, "failed in " + sourcePlace(where) + ": " + why);
}

}  // namespace vkz
