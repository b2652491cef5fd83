// How far a long piece of work has come: the work counts here, and a window
// on another thread reads the count to show progress.
#pragma once

#include <atomic>
#include <cstdint>

namespace helmax {

struct TProgress {
  std::atomic<std::int64_t> Done{0};
  std::atomic<std::int64_t> Total{0};
  // Set while work that reports here goes on (for displays that watch it
  // without having started it).
  std::atomic<bool> Active{false};

  // total 0: the size is not known yet.
  void Start(std::int64_t total) {
    Done.store(0, std::memory_order_relaxed);
    Total.store(total, std::memory_order_relaxed);
  }
  void Set(std::int64_t done) { Done.store(done, std::memory_order_relaxed); }
  void Add(std::int64_t done) { Done.fetch_add(done, std::memory_order_relaxed); }
};

}  // namespace helmax
