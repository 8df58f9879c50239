// Reply frames cut out of received bytes, request checksums, byte texts.
#include "link/parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/porttable.h"
#include "unit/link/testpty.h"

using namespace vkz;
using vkztest::hexBytes;

namespace {

const char* const kModelFrame = "03 00 00 07 56 4B 5A 20 34 31 38 5D";  // code 0, "VKZ 418"

// A reply frame with `len` payload bytes 0, 1, 2 ... and a right checksum.
std::string frameHex(int code, int len) {
  std::vector<std::uint8_t> f{0x03, static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(len >> 8),
                              static_cast<std::uint8_t>(len & 0xFF)};
  std::uint8_t x = f[1] ^ f[2] ^ f[3];
  for (int i = 0; i < len; ++i) {
    f.push_back(static_cast<std::uint8_t>(i));
    x ^= static_cast<std::uint8_t>(i);
  }
  f.push_back(x);
  std::string s;
  char b[4];
  for (auto v : f) {
    std::snprintf(b, sizeof b, "%02X ", v);
    s += b;
  }
  return s;
}

struct ParseCase {
  const char* name;
  std::vector<std::string> chunks;  // appended before each call, one call per chunk
  std::vector<int> results;         // what each call returns
  int code;                         // ReplyCode and ReplyLength after the last call (-1: not checked)
  int length;
  std::string rest;  // the buffer after the last call
};

TEST(ReplyParser, CutsFramesAsTheyArrive) {
  const std::string big = frameHex(0x0E, 540);
  const std::string tooBig = frameHex(0x0E, 541);
  const ParseCase cases[] = {
      {"whole", {kModelFrame}, {1}, 0, 7, ""},
      {"in three pieces", {"03 00 00", "07 56 4B 5A", "20 34 31 38 5D"}, {0, 0, 1}, 0, 7, ""},
      {"two in one buffer", {std::string(kModelFrame) + frameHex(0x02, 7), ""}, {1, 1}, 2, 7, ""},
      {"followed by the start of the next", {std::string(kModelFrame) + "03 0F 00"}, {1}, 0, 7, "03 0F 00"},
      {"garbage first costs the buffer", {std::string("55 ") + kModelFrame}, {0}, -1, -1, ""},
      {"garbage then a frame", {"55 03 00 00", kModelFrame}, {0, 1}, 0, 7, ""},
      {"wrong checksum costs what follows too",
       {std::string("03 00 00 07 56 4B 5A 20 34 31 38 5C ") + kModelFrame},
       {0},
       -1,
       -1,
       ""},
      {"longest payload", {big}, {1}, 0x0E, 540, ""},
      {"one byte too long", {tooBig}, {0}, -1, -1, ""},
      {"length 0x8000", {"03 01 80 00 00 00 00"}, {0}, -1, -1, ""},
      {"empty payload", {"03 2A 00 00 2A"}, {1}, 0x2A, 0, ""},
      {"checksum arriving last", {"03 01 00 01 AA", "AA"}, {0, 1}, 1, 1, ""},
      {"fewer than four bytes wait", {"03 00", "00 07 56"}, {0, 0}, -1, -1, "03 00 00 07 56"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ReplyFrame rec;
    std::vector<std::uint8_t> buf;
    for (std::size_t i = 0; i < c.chunks.size(); ++i) {
      const auto bytes = hexBytes(c.chunks[i]);
      buf.insert(buf.end(), bytes.begin(), bytes.end());
      EXPECT_EQ(ParseReplyFrame(rec, buf), c.results[i]) << "call " << i;
    }
    if (c.code >= 0) {
      EXPECT_EQ(rec.ReplyCode, c.code);
      EXPECT_EQ(rec.ReplyLength, c.length);
    }
    EXPECT_EQ(buf, hexBytes(c.rest));
  }
}

TEST(ReplyParser, KeepsItsPlaceBetweenCalls) {
  ReplyFrame rec;
  auto buf = hexBytes("03 00 00 07 56 4B 5A");
  EXPECT_EQ(ParseReplyFrame(rec, buf), 0);
  EXPECT_EQ(rec.ReplyState, 4);
  EXPECT_EQ(rec.ReplyPos, 7);
  const auto rest = hexBytes("20 34 31 38 5D");
  buf.insert(buf.end(), rest.begin(), rest.end());
  EXPECT_EQ(ParseReplyFrame(rec, buf), 1);
  EXPECT_EQ(std::string(rec.ReplyData.begin(), rec.ReplyData.begin() + 7), "VKZ 418");
  EXPECT_EQ(BytesToText(rec, rec.ReplyLength - 1, "chr"), "VKZ 418");

  // The payload area is not cleared: a shorter frame leaves older bytes
  // behind its length.
  buf = hexBytes("03 02 00 02 41 42 03");
  EXPECT_EQ(ParseReplyFrame(rec, buf), 1);
  EXPECT_EQ(rec.ReplyLength, 2);
  EXPECT_EQ(rec.ReplyData[2], 'Z');

  // A record left in an impossible state starts over instead of reading
  // outside the buffer.
  rec.ReplyState = 4;
  rec.ReplyPos = 500;
  buf = hexBytes(kModelFrame);
  EXPECT_EQ(ParseReplyFrame(rec, buf), 1);
}

TEST(RequestChecksum, XorsLengthCodeAndParameters) {
  EXPECT_EQ(FrameChecksum(hexBytes("02 00 01 04 00")), 0x05);
  EXPECT_EQ(FrameChecksum(hexBytes("02 00 02 0E 03 00")), 0x0F);
  EXPECT_EQ(FrameChecksum(hexBytes("02 00 05 0E 03")), -1);  // shorter than its length says
  EXPECT_EQ(FrameChecksum({}), -1);
}

TEST(PortTableBytes, BytesToTextAndBytesFrom) {
  const std::vector<std::uint8_t> model{'V', 'K', 'Z', ' ', '4', '1', '8'};
  struct Case {
    std::vector<std::uint8_t> bytes;
    int last;
    const char* mode;
    std::string text;
  } cases[] = {
      {model, 6, "chr", "VKZ 418"},
      {model, 2, "chr", "VKZ"},
      {model, -1, "chr", ""},
      {model, 7, "chr", ""},  // past the end
      {model, 6, "CHR", ""},
      {model, 6, "", ""},
      {{0x0A, 0x41}, 1, "hex", "A41"},
      {{0x00, 0xFF, 0x05}, 2, "hex", "0FF5"},
      {{1, 2, 250}, 2, "asc", "253"},
      {{0xE9, 0x80}, 1, "chr", "\xC3\xA9\xE2\x82\xAC"},  // é and € from code page 1252
      {{'A', 0, 'B'}, 2, "chr", std::string("A\0B", 3)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BytesToText(c.bytes, c.last, c.mode), c.text) << c.mode << " " << c.last;

  const std::vector<std::uint8_t> ten{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  EXPECT_TRUE(BytesFrom(ten, 10).empty());
  EXPECT_EQ(BytesFrom(ten, 7), (std::vector<std::uint8_t>{7, 8, 9}));
  EXPECT_EQ(BytesFrom(ten, 0), ten);
  EXPECT_TRUE(BytesFrom({}, 0).empty());
}

}  // namespace
