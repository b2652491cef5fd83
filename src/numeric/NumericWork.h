// What long numerical work shares with whoever waits for it: a test that
// tells it to stop, and a counter of the work done that another thread may
// read to show progress.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace helmax {

// True once the work should end (the user cancelled it).
using TStopTest = std::function<bool()>;

struct TProgress {
  std::atomic<std::int64_t> Done{0};
  std::atomic<std::int64_t> Total{0};
  // Set while work that reports here goes on (for displays that watch it
  // without having started it).
  std::atomic<bool> Active{false};

  void Start(std::int64_t total) {
    Done.store(0, std::memory_order_relaxed);
    Total.store(total, std::memory_order_relaxed);
  }
  void Set(std::int64_t done) { Done.store(done, std::memory_order_relaxed); }
  void Add(std::int64_t done) { Done.fetch_add(done, std::memory_order_relaxed); }
};

inline bool StopAsked(const TStopTest& stop) { return stop && stop(); }

// Thrown by long work that was told to stop; the work leaves its inputs as
// they were.
struct TWorkStopped {};

}  // namespace helmax
