// How long bytes take on the meter's line at the port's speed, and when the
// rest of a reply frame partly in is worth reading: the engine and the line
// thread plan their reads by these same figures.
#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "link/parser.h"

namespace vkz {

struct LineTiming {
  using Nanos = std::chrono::nanoseconds;

  // A long frame's rest is read this long before its last byte is due, then
  // its last bytes as they come: a line a little faster than its nominal
  // speed is not waited for.
  static constexpr Nanos kEarly = std::chrono::milliseconds(2);
  // A rest shorter than this is not worth a sleep of its own.
  static constexpr Nanos kWorthAWait = std::chrono::milliseconds(4);

  // The timing at `baud`: ten bit times a byte (start, eight data bits,
  // stop); a speed unknown (0) is taken as the meter's 57600 baud.
  static constexpr LineTiming atBaud(long baud) {
    return LineTiming{Nanos(10'000'000'000LL / (baud > 0 ? baud : 57600))};
  }

  // The line time of `count` bytes.
  constexpr Nanos of(std::size_t count) const { return byteTime * static_cast<long long>(count); }

  // The line time of the bytes still to come of the reply frame that
  // `buffer` starts with, once its first four bytes have announced its
  // length; nullopt before, and when the frame is whole.
  std::optional<Nanos> restOfFrame(const std::vector<std::uint8_t>& buffer) const {
    const auto whole = announcedReplySize(buffer);
    if (!whole || *whole <= buffer.size()) return std::nullopt;
    return of(*whole - buffer.size());
  }

  Nanos byteTime;  // one byte on the line
};

}  // namespace vkz
