// What the writer needs of a JPEG file: its pixel size and colour space.
// The picture is never decoded; its bytes go into the PDF unchanged
// (DCTDecode), so the reader only walks the marker segments up to the start
// of the scan, checking every read against the end of the data.
#pragma once
#include <cstdint>
#include <span>
#include <string>

namespace vkz {

enum class JpegStatus {
  Ok,
  TooSmall,       // under 250 bytes, or no file
  BadMarker,      // does not start with FFD8 or end with FFD9
  BadResolution,  // JFIF density units other than 0, 1 or 2
  NotJpeg,        // broken segment chain, no frame header, unusable frame
};

struct JpegInfo {
  JpegStatus status = JpegStatus::NotJpeg;
  int width = 0;
  int height = 0;
  int components = 0;      // 1, 3 or 4 when status is Ok
  int densityUnits = 0;    // the rejected value for BadResolution
  std::string colorSpace;  // "DeviceGray", "DeviceRGB", "DeviceCMYK"
  int bitsPerComponent = 8;
};

// Reads the frame header of the JPEG bytes.
JpegInfo ReadJpegInfo(std::span<const std::uint8_t> bytes);

}  // namespace vkz
