#include "CalculationRunner.h"

#include <QCoreApplication>
#include <QTimer>
#include <chrono>

namespace helmax {

namespace {
// Most evaluations take microseconds: waiting this long for them costs less
// than entering the event loop.
constexpr auto kQuickRun = std::chrono::microseconds(1500);
}  // namespace

TCalculationRunner::TCalculationRunner(QObject* parent) : QObject(parent), Worker_([this] { WorkerLoop(); }) {}

TCalculationRunner::~TCalculationRunner() {
  {
    std::lock_guard<std::mutex> lock(Mutex_);
    Quit_ = true;
  }
  Wake_.notify_one();
  Worker_.join();
}

void TCalculationRunner::WorkerLoop() {
  for (;;) {
    std::function<void()> work;
    {
      std::unique_lock<std::mutex> lock(Mutex_);
      Wake_.wait(lock, [this] { return Quit_ || Work_; });
      if (Quit_) return;
      work.swap(Work_);
    }
    try {
      work();
    } catch (...) { Failure_ = std::current_exception(); }
    Busy_.store(false, std::memory_order_release);
    // Wakes the window system's thread if it waits for events.
    QMetaObject::invokeMethod(
        this, [] {}, Qt::QueuedConnection);
  }
}

void TCalculationRunner::Run(std::function<void()> work) {
  const std::uint64_t number = RunNumber_.fetch_add(1) + 1;
  Failure_ = nullptr;
  Busy_.store(true, std::memory_order_release);
  {
    std::lock_guard<std::mutex> lock(Mutex_);
    Work_ = std::move(work);
  }
  Wake_.notify_one();
  const auto start = std::chrono::steady_clock::now();
  while (Busy() && std::chrono::steady_clock::now() - start < kQuickRun) std::this_thread::yield();
  if (Busy()) {
    QTimer::singleShot(LongRunMilliseconds, this, [this, number] {
      if (Busy() && number == RunNumber()) emit LongRun();
    });
    while (Busy()) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  if (Failure_) std::rethrow_exception(std::exchange(Failure_, nullptr));
}

void TCalculationRunner::WaitUntilIdle() {
  while (Busy()) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace helmax
