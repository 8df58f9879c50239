// A logged-data download over a line the fuzzer chooses: a meter that
// answers in order after a delay that wanders, a line that loses replies
// and doubles them (the copy right behind the first), runs of blocks that
// are byte for byte alike, and a poll tick that re-sends the block asked
// for. The block flow must never take a reply for another block's: the
// download completes with every row right, or stops.
// The delay wanders within half of it on top (the quiet time the flow
// waits follows the longest delay seen with half of it to spare), and the
// longest delay stays under the quiet time's ceiling.
//
// Input: bytes 0-1 the delay, 2 the wandering, 3-5 the shares of lost,
// doubled and alike blocks, 6 the block count, 7-10 the seed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "support/common/block_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 11) return 0;
  vkztest::Line line{};
  line.name = "fuzz";
  // At most 2.4 s with the wandering: 1.5 times that stays under the ceiling.
  line.delay = 1 + (data[0] << 8 | data[1]) % 1600;
  line.jitter = data[2] * (line.delay / 2) / 255;
  line.lost = data[3] / 255.0 * 0.3;
  line.doubled = data[4] / 255.0 * 0.3;
  line.alike = data[5] / 255.0;
  const int blocks = 1 + data[6] % 40;
  const unsigned seed = static_cast<unsigned>(data[7]) | data[8] << 8 | data[9] << 16 |
                        static_cast<unsigned>(data[10]) << 24;
  const vkztest::Outcome o = vkztest::simulateBlockLine(line, seed, blocks);
  if (o.wrongRows != 0) std::abort();
  if (!o.complete && !o.stopped) std::abort();
  return 0;
}
