#include "base/appdir.h"

#include <unistd.h>

#include <climits>

namespace vkz {
namespace {
std::string g_override;
}

std::string appDir() {
  if (!g_override.empty()) return g_override;
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return ".";
  std::string p(buf, static_cast<size_t>(n));
  auto slash = p.rfind('/');
  return slash == std::string::npos ? "." : p.substr(0, slash == 0 ? 1 : slash);
}

void setAppDir(const std::string& dir) {
  g_override = dir;
  while (g_override.size() > 1 && g_override.back() == '/') g_override.pop_back();
}

std::string appPath(const std::string& relative) {
  std::string d = appDir();
  if (relative.empty()) return d;
  return d + (relative.front() == '/' ? "" : "/") + relative;
}

}  // namespace vkz
