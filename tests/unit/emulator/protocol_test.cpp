// Request frames as the program writes them, taken apart the way the meter
// does; reply frames as the meter builds them.
#include "emulator/protocol.h"

#include <gtest/gtest.h>

namespace vkz::emu {
namespace {

using namespace std::chrono_literals;

struct WireCase {
  Bytes wire;  // exactly what goes over the line
  std::uint8_t code;
  Bytes params;
  std::size_t surplus;
};

class EmuRequestWire : public ::testing::TestWithParam<WireCase> {};

TEST_P(EmuRequestWire, BuiltAndParsedExactly) {
  const WireCase& c = GetParam();
  EXPECT_EQ(toHex(makeRequest(c.code, c.params)), toHex(c.wire));

  RequestParser parser;
  std::vector<RequestParser::Item> items;
  // Byte by byte, as a slow line delivers them.
  for (std::uint8_t b : c.wire) parser.feed(&b, 1, SteadyClock::now(), items);
  ASSERT_FALSE(items.empty());
  ASSERT_EQ(items[0].kind, RequestParser::Item::Kind::Frame);
  const Request& r = items[0].request;
  EXPECT_TRUE(r.ok()) << static_cast<int>(r.status);
  EXPECT_EQ(r.code, c.code);
  EXPECT_EQ(toHex(r.params), toHex(c.params));
  ASSERT_EQ(items.size(), 1 + c.surplus);
  for (std::size_t i = 1; i < items.size(); ++i) EXPECT_EQ(items[i].kind, RequestParser::Item::Kind::Surplus);
  EXPECT_TRUE(parser.idle());
}

INSTANTIATE_TEST_SUITE_P(
    Table, EmuRequestWire,
    ::testing::Values(WireCase{{0x02, 0x00, 0x01, 0x00, 0x01}, 0x00, {}, 0},
                      WireCase{{0x02, 0x00, 0x01, 0x04, 0x05}, 0x04, {}, 0},
                      WireCase{{0x02, 0x00, 0x01, 0x13, 0x12, 0x00, 0x00}, 0x13, {}, 2},
                      WireCase{{0x02, 0x00, 0x01, 0x14, 0x15, 0x00, 0x00}, 0x14, {}, 2},
                      WireCase{{0x02, 0x00, 0x01, 0x15, 0x14, 0x00, 0x00}, 0x15, {}, 2},
                      WireCase{{0x02, 0x00, 0x03, 0x12, 0x01, 0x2C, 0x3C}, 0x12, {0x01, 0x2C}, 0},
                      WireCase{{0x02, 0x00, 0x02, 0x0E, 0x03, 0x0F}, 0x0E, {0x03}, 0},
                      WireCase{{0x02, 0x00, 0x02, 0x81, 0x14, 0x97}, 0x81, {0x14}, 0},
                      WireCase{{0x02, 0x00, 0x05, 0x91, 0x3C, 0x00, 0x00, 0x00, 0xA8, 0x00, 0x00, 0x00, 0x00},
                               0x91,
                               {0x3C, 0x00, 0x00, 0x00},
                               4},
                      WireCase{{0x02, 0x00, 0x03, 0x8F, 0x03, 0xA2, 0x2D}, 0x8F, {0x03, 0xA2}, 0},
                      WireCase{{0x02, 0x00, 0x08, 0x90, 0x01, 0x0C, 0x00, 0x00, 0x0D, 0x00, 0x00, 0x98, 0x00},
                               0x90,
                               {0x01, 0x0C, 0x00, 0x00, 0x0D, 0x00, 0x00},
                               1},
                      WireCase{{0x02, 0x00, 0x08, 0x82, 0x07, 0xE2, 0x05, 0x17, 0x0A, 0x1E, 0x00, 0x69},
                               0x82,
                               {0x07, 0xE2, 0x05, 0x17, 0x0A, 0x1E, 0x00},
                               0},
                      WireCase{{0x02, 0x00, 0x1B, 0x84, 0x00, 0x00, 0x50, 0x5A, 0x05, 0x69, 0x01,
                                0xE0, 0x01, 0x04, 0x00, 0x50, 0x55, 0x04, 0x69, 0x01, 0xE0, 0x00,
                                0x06, 0x01, 0x46, 0x55, 0x03, 0x69, 0x01, 0xE0, 0x0B},
                               0x84,
                               {0x00, 0x00, 0x50, 0x5A, 0x05, 0x69, 0x01, 0xE0, 0x01, 0x04, 0x00, 0x50, 0x55,
                                0x04, 0x69, 0x01, 0xE0, 0x00, 0x06, 0x01, 0x46, 0x55, 0x03, 0x69, 0x01, 0xE0},
                               0}),
    [](const ::testing::TestParamInfo<WireCase>& i) {
      return requestName(i.param.code) + "_" + std::to_string(i.index);
    });

TEST(EmuRequestWire, WelcomeTextLengthSaysOneMore) {
  // 36 blanks: length byte 0x26 for 37 bytes from the code on, checksum 0xAB.
  Bytes wire{0x02, 0x00, 0x26, 0x8D};
  wire.insert(wire.end(), 36, 0x20);
  wire.push_back(0xAB);
  EXPECT_EQ(toHex(makeRequest(0x8D, Bytes(36, 0x20))), toHex(wire));

  RequestParser parser;
  std::vector<RequestParser::Item> items;
  wire.push_back(0x02);  // the next request follows at once
  parser.feed(wire.data(), wire.size(), SteadyClock::now(), items);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_TRUE(items[0].request.ok());
  EXPECT_EQ(items[0].request.params, Bytes(36, 0x20));
  EXPECT_FALSE(parser.idle());
}

TEST(EmuRequestWire, BadFramesAreReportedAndTheNextOneStillParses) {
  const Bytes good{0x02, 0x00, 0x01, 0x00, 0x01};
  struct Case {
    Bytes wire;
    Request::Status status;
  };
  const Case cases[] = {
      {{0x02, 0x00, 0x01, 0x00, 0x02}, Request::Status::BadChecksum},
      {{0x02, 0x00, 0x02, 0x00, 0x00, 0x02}, Request::Status::BadLength},  // ReadModel carries nothing
      {{0x02, 0x00, 0x01, 0x77, 0x76}, Request::Status::UnknownCode},
      {{0x55, 0xAA}, Request::Status::Junk},
      {{0x02, 0x7F, 0x00}, Request::Status::Junk},  // no request is that long: not a start byte
  };
  for (const Case& c : cases) {
    RequestParser parser;
    std::vector<RequestParser::Item> items;
    Bytes wire = c.wire;
    wire.insert(wire.end(), good.begin(), good.end());
    parser.feed(wire.data(), wire.size(), SteadyClock::now(), items);
    ASSERT_EQ(items.size(), 2u) << toHex(c.wire);
    EXPECT_EQ(items[0].request.status, c.status) << toHex(c.wire);
    EXPECT_TRUE(items[1].request.ok()) << toHex(c.wire);
  }
}

TEST(EmuRequestWire, HalfFrameIsGivenUpAfterTheLineGoesQuiet) {
  RequestParser parser(100ms);
  std::vector<RequestParser::Item> items;
  const Bytes half{0x02, 0x00, 0x03, 0x12, 0x00};
  const auto t0 = SteadyClock::now();
  parser.feed(half.data(), half.size(), t0, items);
  parser.expire(t0 + 50ms, items);
  EXPECT_TRUE(items.empty());
  parser.expire(t0 + 150ms, items);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].request.status, Request::Status::Incomplete);
  EXPECT_TRUE(parser.idle());
}

TEST(EmuReplyWire, IdentificationFrame) {
  const std::string model = "VKZ 418";
  EXPECT_EQ(toHex(makeReply(0x00, Bytes(model.begin(), model.end()))), "03 00 00 07 56 4B 5A 20 34 31 38 5D");
  EXPECT_EQ(toHex(makeReply(0xFF, {0x0C})), "03 FF 00 01 0C F2");
}

}  // namespace
}  // namespace vkz::emu
