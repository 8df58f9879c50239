#include "link/parser.h"

#include <cstddef>

namespace vkz {

int ParseReplyFrame(ReplyFrame& rec, std::vector<std::uint8_t>& buffer) {
  const std::size_t size = buffer.size();
  if (size < 4) return 0;
  // A frame is at most 4 + 540 + 1 bytes and the position never passes the
  // buffer's end; a corrupted record (state out of range, position past the
  // buffer) starts over rather than reading outside the buffer.
  if (rec.ReplyState > 5 || rec.ReplyPos < 0 || static_cast<std::size_t>(rec.ReplyPos) > size) {
    RestartReplyFrame(rec);
  }
  for (std::size_t step = 0; step < size; ++step) {
    const auto pos = static_cast<std::size_t>(rec.ReplyPos);
    switch (rec.ReplyState) {
      case 0:
        rec.ReplyPos = 0;
        if (buffer[0] != kReplyStart) {
          buffer.clear();
          return 0;
        }
        rec.ReplyState = 1;
        rec.ReplyPos = 1;
        rec.ReplyCheck = 0;
        break;
      case 1:
      case 2:
      case 3: {
        if (pos >= size) return 0;
        const std::uint8_t b = buffer[pos];
        rec.ReplyCheck ^= b;
        rec.ReplyPos = static_cast<std::int16_t>(pos + 1);
        if (rec.ReplyState == 1) {
          rec.ReplyCode = b;
          rec.ReplyState = 2;
        } else if (rec.ReplyState == 2) {
          rec.ReplyLength = static_cast<std::uint16_t>(b * 256);
          rec.ReplyState = 3;
        } else {
          rec.ReplyLength = static_cast<std::uint16_t>(rec.ReplyLength + b);
          if (rec.ReplyLength > kMaxReplyPayload) {
            buffer.clear();
            rec.ReplyState = 0;
            return 0;
          }
          rec.ReplyState = rec.ReplyLength == 0 ? 5 : 4;
        }
        break;
      }
      case 4: {
        if (pos >= size) return 0;  // wait here for the rest of the payload
        const std::uint8_t b = buffer[pos];
        rec.ReplyData[pos - 4] = b;
        rec.ReplyCheck ^= b;
        rec.ReplyPos = static_cast<std::int16_t>(pos + 1);
        if (static_cast<std::size_t>(rec.ReplyPos) == static_cast<std::size_t>(rec.ReplyLength) + 4) {
          rec.ReplyState = 5;
        }
        break;
      }
      case 5:
        rec.ReplyState = 0;
        // Checksum not here yet: the next call parses the frame again from
        // its first byte.
        if (pos >= size) return 0;
        if (buffer[pos] == rec.ReplyCheck) {
          buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(pos + 1));
          return 1;
        }
        buffer.clear();
        return 0;
    }
  }
  return 0;
}

void RestartReplyFrame(ReplyFrame& rec) {
  rec.ReplyState = 0;
  rec.ReplyPos = 0;
  rec.ReplyCheck = 0;
}

int FrameChecksum(const std::vector<std::uint8_t>& frame) {
  if (frame.size() < 3) return -1;
  const std::size_t n = static_cast<std::size_t>(frame[1]) * 256 + frame[2];
  if (n + 2 >= frame.size()) return -1;
  std::uint8_t x = 0;
  for (std::size_t i = 1; i <= n + 2; ++i) x ^= frame[i];
  return x;
}

}  // namespace vkz
