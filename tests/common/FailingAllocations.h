// Makes one chosen allocation of the program fail with std::bad_alloc, as
// when memory runs out. Include this header in exactly one file of a test
// program: it replaces the global operator new and delete of that program.
#pragma once

#include <atomic>
#include <cstdlib>
#include <new>

namespace helmax::test {

// Allocations still to pass before the one that fails; -1: none fails.
inline std::atomic<long> g_AllocationsBeforeFailure{-1};

// The allocation after `passing` more fails (once).
inline void FailAllocationAfter(long passing) { g_AllocationsBeforeFailure.store(passing); }
// No allocation fails. True when the chosen one did fail.
inline bool StopFailingAllocations() { return g_AllocationsBeforeFailure.exchange(-1) == -2; }

// Runs work with allocation 0, 1, 2, ... of it failing in turn, until a run
// passes without reaching the failing allocation (at most `limit` runs).
// check(k) judges run k. Returns the number of runs that met a failure.
template <class Work, class Check>
long SweepAllocationFailures(Work&& work, Check&& check, long limit = 20000) {
  for (long k = 0; k < limit; ++k) {
    FailAllocationAfter(k);
    work();
    const bool failed = StopFailingAllocations();
    check(k);
    if (!failed) return k;
  }
  return limit;
}

}  // namespace helmax::test

inline void* HelmaxTestAllocate(std::size_t n) {
  long left = helmax::test::g_AllocationsBeforeFailure.load(std::memory_order_relaxed);
  while (left >= 0) {
    // -2 marks the failure as done.
    if (helmax::test::g_AllocationsBeforeFailure.compare_exchange_weak(left, left == 0 ? -2 : left - 1)) {
      if (left == 0) throw std::bad_alloc();
      break;
    }
  }
  if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
  throw std::bad_alloc();
}

void* operator new(std::size_t n) { return HelmaxTestAllocate(n); }
void* operator new[](std::size_t n) { return HelmaxTestAllocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
