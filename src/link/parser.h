// Reply frames from the meter and request-frame checksum.
//
// The meter answers every request with
//   0x03, code, length high, length low, payload (0..540 bytes), checksum
// where the checksum is the XOR of the code, both length bytes and the
// payload (the start byte is not included). Bytes come in pieces; each port
// keeps a parser record that carries a half-received frame from one call to
// the next.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vkz {

constexpr std::uint8_t kReplyStart = 0x03;
constexpr int kMaxReplyPayload = 540;
constexpr int kReplyDataSize = 4097;

// The parser record of one port, and the type of CurReply.
struct ReplyFrame {
  std::uint8_t ReplyState = 0;    // 0 start byte, 1 code, 2 length high, 3 length low, 4 payload, 5 checksum
  std::uint8_t ReplyCode = 0;     // code of the frame being parsed or last delivered
  std::uint16_t ReplyLength = 0;  // payload length, 0..540 once accepted
  std::int16_t ReplyPos = 0;      // index in the receive buffer of the next byte to take
  std::uint8_t ReplyCheck = 0;    // running XOR over code, length bytes and payload
  // Payload byte k at index k. Never cleared between frames: only indices
  // below ReplyLength belong to the last frame.
  std::array<std::uint8_t, kReplyDataSize> ReplyData{};
};

// Advances `rec` over `buffer` (the port's receive buffer, whose index 0 is
// the first byte of the frame being parsed). Returns 1 when a whole frame
// with a correct checksum has just been delivered into `rec`; the buffer then
// keeps only the bytes after the checksum. Returns 0 otherwise. A bad start
// byte, a length above 540 or a wrong checksum empties the whole buffer.
// At most one frame per call; never searches forward for the next 0x03.
int ParseReplyFrame(ReplyFrame& rec, std::vector<std::uint8_t>& buffer);

// The whole size of the reply frame at the front of `buffer` (start byte to
// checksum) as its first four bytes announce it; nullopt until they are
// in, and for bytes that cannot start a frame (no start byte, a length
// above 540).
inline std::optional<std::size_t> announcedReplySize(const std::vector<std::uint8_t>& buffer) {
  if (buffer.size() < 4 || buffer[0] != kReplyStart) return std::nullopt;
  const std::size_t length = static_cast<std::size_t>(buffer[2] << 8 | buffer[3]);
  if (length > static_cast<std::size_t>(kMaxReplyPayload)) return std::nullopt;
  return length + 5;
}

// Puts the record back to its start state (state 0, position 0) without
// touching code, length or payload of the last delivered frame.
void RestartReplyFrame(ReplyFrame& rec);

// Checksum of a request frame under construction: XOR of frame[1] up to
// frame[n + 2], n being the 16-bit big-endian length at frame[1..2]. Returns
// -1 when the array is shorter than its length field says.
int FrameChecksum(const std::vector<std::uint8_t>& frame);

}  // namespace vkz
