#include "polling/memlist.h"

#include <gtest/gtest.h>

#include "bytes.h"

using namespace vkz;
using vkz::test::Bytes;

TEST(MemoryList, EntryRowAndLoadText) {
  auto e = decodeMemoryListEntry(Bytes{0x07, 0xE2, 5, 23, 14, 3, 7, 3, 12});
  ASSERT_TRUE(e);
  EXPECT_EQ(memoryListRowText(3, *e), "3\t2018/05/23  14:03:07\t3");
  EXPECT_EQ(memoryListLoadText("Load", *e), "Load 3/12");
  EXPECT_TRUE(memoryListWantsNext(*e));

  e = decodeMemoryListEntry(Bytes{0x07, 0xE2, 1, 2, 3, 4, 5, 1, 1});
  EXPECT_EQ(memoryListRowText(1, *e), "1\t2018/01/02  03:04:05\t1");
  EXPECT_EQ(memoryListLoadText("Load", *e), "Load 1/1");
  EXPECT_FALSE(memoryListWantsNext(*e));  // the last entry: no further request

  // A year that does not fit leaves the date cell empty; the row still comes.
  e = decodeMemoryListEntry(Bytes{0x80, 0x00, 1, 2, 3, 4, 5, 2, 9});
  EXPECT_EQ(memoryListRowText(2, *e), "2\t\t2");
}

TEST(MemoryList, SizesAndEnd) {
  auto s = decodeMemorySize(Bytes(8).be32(0, 1u << 20).be32(4, 123456));
  EXPECT_EQ(s->total, 1048576);
  EXPECT_EQ(s->remain, 123456);
  s = decodeMemorySize(Bytes(8).be32(0, 0x80000000u).be32(4, 0x7FFFFFFFu));
  EXPECT_EQ(s->total, std::nullopt);  // the label keeps its previous value
  EXPECT_EQ(s->remain, 0x7FFFFFFF);

  EXPECT_EQ(decodeMemoryListEnd(Bytes{0x0C}), MemoryListEnd::NoData);
  EXPECT_EQ(decodeMemoryListEnd(Bytes{0x0D}), MemoryListEnd::Complete);
  EXPECT_EQ(decodeMemoryListEnd(Bytes{0x00}), MemoryListEnd::Complete);
}
