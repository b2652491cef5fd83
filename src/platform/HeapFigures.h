// Heap use of the process, shown in the calculator's memory figures.
#pragma once

#include <cstddef>

namespace helmax {

// Bytes currently allocated from the heap by this process, blocks served
// by mmap included.
std::size_t TotalAllocatedBytes();

}  // namespace helmax
