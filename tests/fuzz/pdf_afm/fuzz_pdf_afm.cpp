// The font metric parser on arbitrary text: no crash, no read past the
// text, and widths always within the range a width can have.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "pdf/afm.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vkz::AfmMetrics m;
  std::string error;
  const bool ok = vkz::parseAfm(std::string_view(reinterpret_cast<const char*>(data), size), m, error);
  if (ok != (m.glyphs > 0)) std::abort();
  for (int w : m.width)
    if (w < 0 || w > 100000) std::abort();
  return 0;
}
