// Storage for the cells and operand arrays of a compiled program: carved
// from large blocks, and kept for the next compile when the program is
// released, so that compiling a long text again neither allocates per cell
// nor makes the system fault in fresh pages.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

namespace helmax {

template <class T>
class TBlockPool {
 public:
  // n contiguous, value-initialised elements, valid until Reset.
  T* Take(std::size_t n) {
    if (n == 0) n = 1;
    for (;;) {
      if (Current < Blocks.size()) {
        TBlock& b = Blocks[Current];
        if (Used + n <= b.Size) {
          T* p = b.Data.get() + Used;
          Used += n;
          std::fill(p, p + n, T{});
          return p;
        }
        ++Current;
        Used = 0;
        continue;
      }
      const std::size_t size = std::max(kBlockSize, n);
      Blocks.push_back(TBlock{std::make_unique<T[]>(size), size});
    }
  }

  // Makes every element available again; the blocks stay allocated.
  void Reset() {
    Current = 0;
    Used = 0;
  }

 private:
  static constexpr std::size_t kBlockSize = 4096;
  struct TBlock {
    std::unique_ptr<T[]> Data;
    std::size_t Size;
  };
  std::vector<TBlock> Blocks;
  std::size_t Current = 0;
  std::size_t Used = 0;
};

}  // namespace helmax
