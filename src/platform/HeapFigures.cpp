// Heap figures from glibc's allocator statistics.
#include "HeapFigures.h"

#include <malloc.h>

namespace helmax {

std::size_t TotalAllocatedBytes() {
  // uordblks: bytes in use in the main arenas; hblkhd: bytes in blocks that
  // were mapped separately (large allocations).
  const struct mallinfo2 info = ::mallinfo2();
  return info.uordblks + info.hblkhd;
}

}  // namespace helmax
