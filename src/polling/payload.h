// Reading the fields of a reply payload. The meter sends settings big-endian
// and the measurement header and logged data little-endian. A field is read
// only when it lies wholly inside the payload as received: a reply that is
// shorter than its layout is refused by its decoder, never filled from bytes
// left behind by an earlier frame.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vkz {

// The payload of one reply: ReplyData bytes 0 .. ReplyLength - 1.
using Payload = std::span<const std::uint8_t>;

inline std::uint32_t be16(Payload p, std::size_t at) {
  return (std::uint32_t{p[at]} << 8) | p[at + 1];
}
inline std::uint32_t le16(Payload p, std::size_t at) {
  return p[at] | (std::uint32_t{p[at + 1]} << 8);
}
inline std::uint32_t be32(Payload p, std::size_t at) {
  return (std::uint32_t{p[at]} << 24) | (std::uint32_t{p[at + 1]} << 16) | (std::uint32_t{p[at + 2]} << 8) |
         p[at + 3];
}
inline std::uint32_t le32(Payload p, std::size_t at) {
  return p[at] | (std::uint32_t{p[at + 1]} << 8) | (std::uint32_t{p[at + 2]} << 16) |
         (std::uint32_t{p[at + 3]} << 24);
}

// The meter's 16- and 32-bit fields are kept in signed variables on the
// program side: a value with its top bit set does not fit and is rejected
// (the field keeps what it showed before), it never turns negative.
inline std::optional<std::int32_t> fitSigned16(std::uint32_t v) {
  if (v > 0x7FFF) return std::nullopt;
  return static_cast<std::int32_t>(v);
}
inline std::optional<std::int32_t> fitSigned32(std::uint32_t v) {
  if (v > 0x7FFFFFFFu) return std::nullopt;
  return static_cast<std::int32_t>(v);
}

// A date and time as the meter sends it (its clock, the start of a stored
// measurement): the year big-endian in two bytes, then month, day, hour,
// minute and second, one byte each. A year of 0x8000 or more does not fit
// (nullopt); the other fields are taken as they come.
struct MeterDateTime {
  std::optional<std::int32_t> year;
  std::uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
// The seven bytes at `at`; the caller has checked that they are there.
inline MeterDateTime readDateTime(Payload p, std::size_t at) {
  return {fitSigned16(be16(p, at)), p[at + 2], p[at + 3], p[at + 4], p[at + 5], p[at + 6]};
}

// The text of payload bytes as code page 1252 characters, in UTF-8. Zero
// bytes are left out, as the meter pads with them and a text box never
// held them.
std::string payloadText(Payload p, std::size_t at, std::size_t count);

}  // namespace vkz
