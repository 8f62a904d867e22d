#include "datafiles/lazy_zero.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

namespace datafiles {
namespace {

bool allZero(const char* p, std::size_t bytes) {
  return std::all_of(p, p + bytes, [](char c) { return c == 0; });
}

// Sizes below the pool, in it, and with a mapping of their own.
constexpr std::size_t kSizes[] = {100, 48'008, 524'296, 1'048'584, 7'300'000, 20'000'000};

TEST(ZeroPages, BuffersAreZeroAlignedAndZeroAgainAfterReuse) {
  for (int round = 0; round < 3; ++round) {
    std::vector<char*> buffers;
    for (const std::size_t bytes : kSizes) {
      auto* p = static_cast<char*>(allocateZeroPages(bytes));
      ASSERT_NE(p, nullptr);
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 16, 0u) << bytes;
      EXPECT_TRUE(allZero(p, bytes)) << bytes << " in round " << round;
      std::fill(p, p + bytes, char(0x5a));  // dirty it before it is given back
      buffers.push_back(p);
    }
    for (std::size_t i = 0; i < buffers.size(); ++i) releaseZeroPages(buffers[i], kSizes[i]);
  }
}

TEST(ZeroPages, ManyBuffersSpanRegionsAndBuffersKeepTheirContents) {
  // More than one region's worth of pooled buffers, released in another order than taken.
  constexpr std::size_t kBytes = 3'000'000;
  std::vector<char*> buffers;
  for (int i = 0; i < 30; ++i) {
    auto* p = static_cast<char*>(allocateZeroPages(kBytes));
    p[0] = static_cast<char>(i);
    p[kBytes - 1] = static_cast<char>(i);
    buffers.push_back(p);
  }
  for (int i = 0; i < 30; i += 2) releaseZeroPages(buffers[static_cast<std::size_t>(i)], kBytes);
  for (int i = 1; i < 30; i += 2) {
    const char* p = buffers[static_cast<std::size_t>(i)];
    EXPECT_EQ(p[0], static_cast<char>(i));
    EXPECT_EQ(p[kBytes - 1], static_cast<char>(i));
    releaseZeroPages(buffers[static_cast<std::size_t>(i)], kBytes);
  }
}

TEST(ZeroPages, ThreadsTakeAndGiveBackAtOnce) {
  const auto work = [] {
    for (int i = 0; i < 200; ++i) {
      const std::size_t bytes = 40'000 + 1000 * static_cast<std::size_t>(i % 50);
      auto* p = static_cast<char*>(allocateZeroPages(bytes));
      const bool zero = p[0] == 0 && p[bytes - 1] == 0;
      p[0] = p[bytes - 1] = 1;
      releaseZeroPages(p, bytes);
      if (!zero) return false;
    }
    return true;
  };
  bool first = false, second = false;
  {
    std::jthread a([&] { first = work(); });
    std::jthread b([&] { second = work(); });
  }
  EXPECT_TRUE(first);
  EXPECT_TRUE(second);
}

TEST(ZeroPages, VectorsOfTheAllocatorStartAsZeros) {
  LazyZeroVector<double> values(65537);
  ASSERT_EQ(values.size(), 65537u);
  EXPECT_TRUE(std::all_of(values.begin(), values.end(), [](double v) { return v == 0.0; }));
  values[65536] = 2.5;
  LazyZeroVector<double> copy = values;
  EXPECT_EQ(copy[65536], 2.5);
}

}  // namespace
}  // namespace datafiles
