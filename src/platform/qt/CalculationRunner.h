// Runs the core's calculations on one worker thread while the window
// system's thread goes on with its events (typing, painting, Esc), so that a
// long evaluation never freezes a window.
#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace helmax {

class TCalculationRunner : public QObject {
  Q_OBJECT
 public:
  explicit TCalculationRunner(QObject* parent = nullptr);
  ~TCalculationRunner() override;
  TCalculationRunner(const TCalculationRunner&) = delete;
  TCalculationRunner& operator=(const TCalculationRunner&) = delete;

  // Runs work on the worker and returns when it is done, processing this
  // thread's events meanwhile. Not while Busy(): the callers queue what
  // arrives during a run. An exception of work is thrown again here.
  void Run(std::function<void()> work);
  bool Busy() const { return Busy_.load(std::memory_order_acquire); }
  // The number of the latest run (from any thread): news that a run sends
  // to this thread is still current while it is busy with that number.
  std::uint64_t RunNumber() const { return RunNumber_.load(std::memory_order_acquire); }
  // Waits until the worker is idle (after asking the work to stop),
  // processing every event but user input meanwhile.
  void WaitUntilIdle();

  // A run that lasts longer than this announces itself with LongRun.
  int LongRunMilliseconds = 100;

 signals:
  void LongRun();

 private:
  void WorkerLoop();

  std::mutex Mutex_;
  std::condition_variable Wake_;
  std::function<void()> Work_;  // guarded by Mutex_
  bool Quit_ = false;           // guarded by Mutex_
  std::exception_ptr Failure_;
  std::atomic<bool> Busy_{false};
  std::atomic<std::uint64_t> RunNumber_{0};
  std::thread Worker_;
};

}  // namespace helmax
