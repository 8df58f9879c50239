// Feeds arbitrary bytes to the reply parser in arbitrary pieces, as a line
// would deliver them, and checks what it delivers: a frame of at most 540
// payload bytes whose checksum matches, with the buffer only ever shrinking
// to what followed the frame.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "link/parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vkz::ReplyFrame rec;
  std::vector<std::uint8_t> buffer;
  std::size_t i = 0;
  while (i < size) {
    // The first byte of each round says how many of the next bytes arrive.
    const std::size_t chunk = data[i++] % 64;
    const std::size_t n = chunk < size - i ? chunk : size - i;
    buffer.insert(buffer.end(), data + i, data + i + n);
    i += n;
    for (int call = 0; call < 3; ++call) {
      const std::vector<std::uint8_t> before = buffer;
      const int r = vkz::ParseReplyFrame(rec, buffer);
      if (r != 0 && r != 1) std::abort();
      if (rec.ReplyState > 5) std::abort();
      if (r == 1) {
        if (rec.ReplyLength > vkz::kMaxReplyPayload) std::abort();
        // The frame sat at the start of the old buffer, and only what
        // followed its checksum is left.
        const std::size_t frameSize = 4u + rec.ReplyLength + 1u;
        if (before.size() < frameSize || before[0] != vkz::kReplyStart) std::abort();
        if (before.size() - frameSize != buffer.size()) std::abort();
        std::uint8_t x = before[1] ^ before[2] ^ before[3];
        for (std::size_t k = 0; k < rec.ReplyLength; ++k) {
          if (rec.ReplyData[k] != before[4 + k]) std::abort();
          x ^= before[4 + k];
        }
        if (x != before[frameSize - 1]) std::abort();
      } else if (!buffer.empty() && buffer != before) {
        std::abort();  // a call that delivers nothing keeps or empties the buffer
      }
    }
  }
  return 0;
}
