#include "base/trtext.h"

namespace vkz {
namespace {
Translator& translator() {
  static Translator t;
  return t;
}
}  // namespace

void setTranslator(Translator t) {
  translator() = std::move(t);
}

std::string trText(const char* context, const char* source) {
  if (const Translator& t = translator()) return t(context, source);
  return source;
}

std::string fillText(const std::string& pattern, const std::vector<std::string>& a) {
  std::string out;
  out.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      const std::size_t k = static_cast<std::size_t>(pattern[i + 1] - '1');
      if (k < a.size()) {
        out += a[k];
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace vkz
