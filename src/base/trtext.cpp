#include "base/trtext.h"

#include <mutex>
#include <shared_mutex>

namespace vkz {
namespace {
// A report's thread asks for texts while the window thread may change the
// language.
struct TranslatorSlot {
  std::shared_mutex mutex;
  Translator look;
};
TranslatorSlot& slot() {
  static TranslatorSlot s;
  return s;
}
}  // namespace

void setTranslator(Translator t) {
  std::unique_lock lock(slot().mutex);
  slot().look = std::move(t);
}

std::string trText(const char* context, const char* source) {
  std::shared_lock lock(slot().mutex);
  if (slot().look) return slot().look(context, source);
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
