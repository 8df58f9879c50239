#include "pdf/jpeg.h"

namespace vkz {
namespace {

constexpr std::size_t kMinimumSize = 250;

}  // namespace

JpegInfo ReadJpegInfo(std::span<const std::uint8_t> b) {
  JpegInfo info;
  const std::size_t size = b.size();
  if (size < kMinimumSize) {
    info.status = JpegStatus::TooSmall;
    return info;
  }
  // Start of image at the front, end of image as the very last two bytes.
  if (b[0] != 0xFF || b[1] != 0xD8 || b[size - 2] != 0xFF || b[size - 1] != 0xD9) {
    info.status = JpegStatus::BadMarker;
    return info;
  }
  auto word = [&](std::size_t p) { return static_cast<int>(b[p]) << 8 | b[p + 1]; };

  bool haveFrame = false;
  std::size_t p = 2;  // first marker after SOI
  while (p + 1 < size) {
    if (b[p] != 0xFF) {
      info.status = JpegStatus::NotJpeg;  // the segment chain lost its way
      return info;
    }
    // Fill bytes: any number of 0xFF may precede a marker.
    while (p + 1 < size && b[p + 1] == 0xFF) ++p;
    if (p + 1 >= size) break;
    const std::uint8_t m = b[p + 1];
    if (m == 0xD9 || m == 0xDA) break;            // end of image, start of scan: header done
    if (m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {  // markers without a length
      p += 2;
      continue;
    }
    if (p + 3 >= size) break;
    const std::size_t len = static_cast<std::size_t>(word(p + 2));
    if (len < 2 || p + 2 + len > size) {
      info.status = JpegStatus::NotJpeg;  // length runs past the data
      return info;
    }
    const std::uint8_t* seg = b.data() + p + 4;  // segment body
    const std::size_t body = len - 2;
    if (m == 0xE0 && body >= 8 && seg[0] == 'J' && seg[1] == 'F' && seg[2] == 'I' && seg[3] == 'F' &&
        seg[4] == 0) {
      const int units = seg[7];
      if (units > 2) {
        info.status = JpegStatus::BadResolution;
        info.densityUnits = units;
        return info;
      }
    } else if (m == 0xC0 || m == 0xC1 || m == 0xC2 || m == 0xC3 || m == 0xC5 || m == 0xC6 || m == 0xC7) {
      if (body < 6) {
        info.status = JpegStatus::NotJpeg;
        return info;
      }
      info.bitsPerComponent = seg[0];
      info.height = word(p + 5);
      info.width = word(p + 7);
      info.components = seg[5];
      haveFrame = true;
    }
    p += 2 + len;
  }
  if (!haveFrame || info.width <= 0 || info.height <= 0 || info.bitsPerComponent != 8) {
    info.status = JpegStatus::NotJpeg;
    return info;
  }
  switch (info.components) {
    case 1:
      info.colorSpace = "DeviceGray";
      break;
    case 3:
      info.colorSpace = "DeviceRGB";
      break;
    case 4:
      info.colorSpace = "DeviceCMYK";
      break;
    default:
      info.status = JpegStatus::NotJpeg;
      return info;
  }
  info.bitsPerComponent = 8;
  info.status = JpegStatus::Ok;
  return info;
}

}  // namespace vkz
