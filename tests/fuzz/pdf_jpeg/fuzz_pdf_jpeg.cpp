// The JPEG header reader on arbitrary bytes: it must never read outside the
// data, and whatever it accepts must have a usable size and colour space.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "pdf/jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const vkz::JpegInfo info = vkz::ReadJpegInfo(std::span<const std::uint8_t>(data, size));
  if (info.status == vkz::JpegStatus::Ok) {
    if (info.width <= 0 || info.height <= 0 || info.colorSpace.empty() || info.bitsPerComponent != 8)
      std::abort();
    if (size < 250 || data[0] != 0xFF || data[1] != 0xD8) std::abort();
  }
  return 0;
}
