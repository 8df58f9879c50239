#include "base/largeblock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace vkz;

TEST(LargeBlock, BlocksOfEverySizeHoldTheirBytes) {
  // Below, at and above the size from which blocks are mapped; a block
  // given back is taken again for the next one of its size.
  const std::size_t sizes[] = {1, largeblock::kMinMapped - 1, largeblock::kMinMapped, std::size_t{2} << 20,
                               (std::size_t{5} << 20) + 3};
  for (const std::size_t n : sizes) {
    for (int round = 0; round < 2; ++round) {
      auto* p = static_cast<unsigned char*>(largeblock::allocate(n));
      std::memset(p, 0xA5, n);
      EXPECT_EQ(p[0], 0xA5) << n;
      EXPECT_EQ(p[n - 1], 0xA5) << n;
      largeblock::release(p, n);
    }
  }
  // The memory past the first bytes of a mapped block given back: those
  // stay, the rest reads as zeros and takes writes again.
  const std::size_t big = std::size_t{5} << 20;
  auto* p = static_cast<unsigned char*>(largeblock::allocate(big));
  std::memset(p, 7, big);
  largeblock::discardPast(p, big, largeblock::kMinMapped + 1);
  EXPECT_EQ(p[largeblock::kMinMapped], 7);
  EXPECT_EQ(p[big - 1], 0);
  p[big - 1] = 8;
  EXPECT_EQ(p[big - 1], 8);
  largeblock::release(p, big);
}

TEST(LargeBlock, VectorsGrowAcrossTheMappedSize) {
  std::vector<double, LargeBlockAllocator<double>> v;
  const std::size_t n = 3 * largeblock::kMinMapped / sizeof(double);
  for (std::size_t i = 0; i < n; ++i) v.push_back(static_cast<double>(i) / 10.0);
  v.shrink_to_fit();
  ASSERT_EQ(v.size(), n);
  for (std::size_t i = 0; i < n; i += 4099) EXPECT_EQ(v[i], static_cast<double>(i) / 10.0);
  EXPECT_EQ(v.back(), static_cast<double>(n - 1) / 10.0);
}
