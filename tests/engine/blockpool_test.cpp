// The pool that compiled programs take their cells and operand arrays from.
#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "BlockPool.h"

namespace helmax {
namespace {

// Random takes, some larger than a block: each is value-initialised and
// keeps what was written into it while the others are taken. After Reset
// and Trim the same holds, starting again from the first block.
TEST(BlockPool, TakesAreFreshDisjointAndReusedAfterReset) {
  TBlockPool<long> pool;
  std::mt19937 rng(3);
  std::vector<std::size_t> sizes;
  for (int i = 0; i < 3000; ++i) sizes.push_back(i % 500 == 0 ? 5000 + rng() % 3000 : rng() % 40);
  auto takeAll = [&] {
    std::vector<std::pair<long*, std::size_t>> takes;
    long stamp = 0;
    for (std::size_t n : sizes) {
      long* p = pool.Take(n);
      const std::size_t used = n == 0 ? 1 : n;
      for (std::size_t k = 0; k < used; ++k) {
        EXPECT_EQ(p[k], 0) << "take " << takes.size();
        p[k] = ++stamp;
      }
      takes.emplace_back(p, used);
    }
    stamp = 0;
    for (auto [p, used] : takes)
      for (std::size_t k = 0; k < used; ++k) EXPECT_EQ(p[k], ++stamp);
    return takes;
  };
  const auto first = takeAll();
  pool.Reset();
  pool.Trim();
  EXPECT_EQ(takeAll().front(), first.front());
}

// The first block is small and each new one twice the last, up to the
// block size; a take larger than that gets a block of its own size; Trim
// after Reset keeps two blocks.
TEST(BlockPool, GrowsFromSmallOnDemand) {
  TBlockPool<void*> pool;
  EXPECT_EQ(pool.Capacity(), 0u);
  pool.Take(1);
  EXPECT_EQ(pool.Capacity(), TBlockPool<void*>::kFirstBlockSize);
  for (std::size_t i = 1; i < TBlockPool<void*>::kFirstBlockSize + 1; ++i) pool.Take(1);
  EXPECT_EQ(pool.Capacity(), 3 * TBlockPool<void*>::kFirstBlockSize);
  for (int i = 0; i < 100000; ++i) pool.Take(1);
  const std::size_t grown = pool.Capacity();
  EXPECT_GE(grown, 100017u);
  EXPECT_LT(grown, 100017u + 2 * TBlockPool<void*>::kBlockSize);
  pool.Take(3 * TBlockPool<void*>::kBlockSize);
  EXPECT_EQ(pool.Capacity(), grown + 3 * TBlockPool<void*>::kBlockSize);
  pool.Reset();
  pool.Trim();
  EXPECT_EQ(pool.Capacity(), 3 * TBlockPool<void*>::kFirstBlockSize);
}

}  // namespace
}  // namespace helmax
