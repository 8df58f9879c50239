#include "polling/replies.h"

#include <gtest/gtest.h>

#include <functional>

#include "bytes.h"
#include "polling/acks.h"
#include "polling/blocks.h"
#include "polling/header.h"
#include "polling/memlist.h"
#include "polling/readbacks.h"

using namespace vkz;
using vkz::test::Bytes;

TEST(ReplyDispatch, CodesMapToTheirReplies) {
  struct Case {
    int code;
    ReplyKind kind;
    std::size_t minLength;
    ErrorRegime regime;
  };
  const Case cases[] = {
      {0x00, ReplyKind::Model, 0, ErrorRegime::Skip},
      {0x01, ReplyKind::LcdContrast, 1, ErrorRegime::FirstItemAndStop},
      {0x02, ReplyKind::Clock, 7, ErrorRegime::Skip},
      {0x04, ReplyKind::DoseChannels, 26, ErrorRegime::Skip},
      {0x05, ReplyKind::Screens, 36, ErrorRegime::Stop},
      {0x07, ReplyKind::LedAlarm, 45, ErrorRegime::EnableListFirstItemAndStop},
      {0x0A, ReplyKind::Timers, 130, ErrorRegime::Stop},
      {0x0B, ReplyKind::MemoryErased, 0, ErrorRegime::Skip},
      {0x0C, ReplyKind::MemoryListEntry, 9, ErrorRegime::Skip},
      {0x0D, ReplyKind::MemoryListEntry, 9, ErrorRegime::Skip},
      {0x0E, ReplyKind::RecordHeader, 536, ErrorRegime::Skip},
      {0x0F, ReplyKind::MemorySize, 8, ErrorRegime::Skip},
      {0x10, ReplyKind::WelcomeText, 36, ErrorRegime::Skip},
      {0x11, ReplyKind::MeterName, 12, ErrorRegime::Skip},
      {0x12, ReplyKind::DataBlock, 0, ErrorRegime::Skip},
      {0x13, ReplyKind::Calibration, 2, ErrorRegime::Skip},
      {0x14, ReplyKind::LunchTime, 7, ErrorRegime::Skip},
      {0x15, ReplyKind::Interval, 4, ErrorRegime::Skip},
      {0x81, ReplyKind::WriteAck, 1, ErrorRegime::Skip},
      {0x91, ReplyKind::WriteAck, 1, ErrorRegime::Skip},
      {0x55, ReplyKind::ResendRequest, 1, ErrorRegime::Skip},
      {0xFF, ReplyKind::MemoryListEnd, 1, ErrorRegime::Skip},
      {0x16, ReplyKind::Unknown, 0, ErrorRegime::Skip},
      {0x80, ReplyKind::Unknown, 0, ErrorRegime::Skip},
      {0x92, ReplyKind::Unknown, 0, ErrorRegime::Skip},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    ReplyLayout l = replyLayout(static_cast<std::uint8_t>(c.code));
    EXPECT_EQ(l.kind, c.kind);
    EXPECT_EQ(l.minLength, c.minLength);
    EXPECT_EQ(l.regime, c.regime);
    if (c.kind == ReplyKind::Unknown) {
      EXPECT_FALSE(replyFitsLayout(static_cast<std::uint8_t>(c.code), 600));
    } else {
      EXPECT_TRUE(replyFitsLayout(static_cast<std::uint8_t>(c.code), c.minLength));
      if (c.minLength > 0) {
        EXPECT_FALSE(replyFitsLayout(static_cast<std::uint8_t>(c.code), c.minLength - 1));
      }
    }
  }
}

// Every decoding function refuses a payload one byte shorter than its layout
// (it must never read bytes a frame did not carry) and accepts the full one.
TEST(ReplyDispatch, EveryDecoderRefusesAShortPayload) {
  RecordHeader header;
  BlockContext ctx;
  ctx.recordCount = 25;
  struct Case {
    int code;
    std::function<bool(Payload)> decodes;
  };
  const Case cases[] = {
      {0x01, [](Payload p) { return contrastListPosition(p).has_value(); }},
      {0x02, [](Payload p) { return decodeClock(p).has_value(); }},
      {0x03, [](Payload p) { return apoListPosition(p).has_value(); }},
      {0x04, [](Payload p) { return decodeDoseChannels(p).has_value(); }},
      {0x05, [](Payload p) { return decodeScreens(p).has_value(); }},
      {0x06, [](Payload p) { return onOffListPosition(p).has_value(); }},
      {0x07, [](Payload p) { return decodeLedAlarm(p).has_value(); }},
      {0x0A, [](Payload p) { return decodeTimers(p).has_value(); }},
      {0x0C, [](Payload p) { return decodeMemoryListEntry(p).has_value(); }},
      {0x0E, [&](Payload p) { return DecodeRecordHeader(p, header).has_value(); }},
      {0x0F, [](Payload p) { return decodeMemorySize(p).has_value(); }},
      {0x10, [](Payload p) { return decodeWelcomeText(p).has_value(); }},
      {0x11, [](Payload p) { return decodeMeterName(p).has_value(); }},
      {0x13, [](Payload p) { return calibrationListPosition(p).has_value(); }},
      {0x14, [](Payload p) { return decodeLunchTime(p).has_value(); }},
      {0x15, [](Payload p) { return decodeInterval(p).has_value(); }},
      {0x86, [](Payload p) { return writeAcknowledged(0x86, p).has_value(); }},
      {0x55, [](Payload p) { return resendTarget(p).has_value(); }},
      {0xFF, [](Payload p) { return decodeMemoryListEnd(p).has_value(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    std::size_t need = replyLayout(static_cast<std::uint8_t>(c.code)).minLength;
    ASSERT_GT(need, 0u);
    Bytes full(need);
    EXPECT_TRUE(c.decodes(full.span()));
    EXPECT_FALSE(c.decodes(full.cut(need - 1)));
  }
  // A data block needs the records it must hold: ten for a middle block,
  // the rest (here 5) for the last.
  Bytes block(80);
  EXPECT_TRUE(DecodeDataBlock(0, block.span(), ctx, "dB"));
  EXPECT_FALSE(DecodeDataBlock(0, block.cut(79), ctx, "dB"));
  EXPECT_TRUE(DecodeDataBlock(2, block.cut(40), ctx, "dB"));
  EXPECT_FALSE(DecodeDataBlock(2, block.cut(39), ctx, "dB"));
}

TEST(Acknowledgements, EchoedCodeMeansTaken) {
  EXPECT_EQ(writeAcknowledged(0x86, Bytes{0x86}), true);
  EXPECT_EQ(writeAcknowledged(0x86, Bytes{0x00}), false);
  EXPECT_EQ(writeAcknowledged(0x8C, Bytes{0x8B}), false);
  EXPECT_EQ(writeAcknowledged(0x86, Bytes{}), std::nullopt);
}

TEST(Acknowledgements, ResendRequestNamesTheWrite) {
  struct Case {
    int byte;
    ResendWrite want;
  };
  const Case cases[] = {
      {0x84, ResendWrite::DoseSettings}, {0x85, ResendWrite::Screens}, {0x87, ResendWrite::LedAlarm},
      {0x8A, ResendWrite::Timers1},      {0x8B, ResendWrite::Timers2}, {0x8C, ResendWrite::Timers3},
      {0x82, ResendWrite::None},         {0x86, ResendWrite::None},    {0x91, ResendWrite::None},
      {0xE0, ResendWrite::None},
  };
  for (const Case& c : cases) EXPECT_EQ(resendTarget(Bytes{c.byte}), c.want) << c.byte;
}
