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
  // The end of a mapped block given back: the rest stays usable.
  const std::size_t big = std::size_t{6} << 20;
  auto* p = static_cast<unsigned char*>(largeblock::allocate(big));
  std::memset(p, 1, big);
  const std::size_t left = largeblock::shrink(p, big, largeblock::kMinMapped + 1);
  EXPECT_GE(left, largeblock::kMinMapped + 1);
  EXPECT_LT(left, big);
  p[left - 1] = 2;
  EXPECT_EQ(p[0], 1);
  largeblock::release(p, left);
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
