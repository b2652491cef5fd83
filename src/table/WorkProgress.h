// How far a long piece of work of the table has come, read by a window on
// another thread while the work goes on.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace helmax {

struct TWorkProgress {
  std::atomic<std::int64_t> Done{0};
  std::atomic<std::int64_t> Total{0};
  void Begin(std::int64_t total) {
    Done.store(0, std::memory_order_relaxed);
    Total.store(total, std::memory_order_relaxed);
  }
  void Set(std::int64_t done) { Done.store(done, std::memory_order_relaxed); }
};

// Asked between rows: true ends the work, which then leaves nothing behind.
using TStopQuery = std::function<bool()>;

// How the file writers of the table end.
enum class TWriteOutcome { Written, Failed, Stopped };

}  // namespace helmax
