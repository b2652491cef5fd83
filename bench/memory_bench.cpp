// Memory of a compile: the peak of the bytes the engine holds while it
// compiles and runs a long expressions pane, per expression and per
// instruction, and what it keeps once a short pane follows a long one; and
// what an engine compiled for one short expression holds.
//
// Every allocation of this program is counted through the global operator
// new; the figures are reported as counters, not as times.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "HelmaxComplexEval.h"

namespace {

std::atomic<long long> g_Live{0};
std::atomic<long long> g_Peak{0};

void Count(long long delta) {
  const long long now = g_Live.fetch_add(delta, std::memory_order_relaxed) + delta;
  long long peak = g_Peak.load(std::memory_order_relaxed);
  while (now > peak && !g_Peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {}
}

}  // namespace

void* operator new(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  Count(static_cast<long long>(malloc_usable_size(p)));
  return p;
}
void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  Count(-static_cast<long long>(malloc_usable_size(p)));
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

// 100,000 short expressions of one shape, separated by commas.
std::string Pane(const char* shape) {
  std::string text;
  for (int i = 0; i < 100000; ++i) {
    if (i > 0) text += ',';
    std::string one = shape;
    for (std::size_t at; (at = one.find('#')) != std::string::npos;) one.replace(at, 1, std::to_string(i));
    text += one;
  }
  return text;
}

void MemoryBench(benchmark::State& state, const char* shape) {
  const std::string text = Pane(shape);
  double perExpression = 0, perInstruction = 0, keptAfterShort = 0;
  for (auto _ : state) {
    const long long base = g_Live.load();
    g_Peak.store(base);
    {
      helmax::THelmaxComplexEval engine;
      engine.VerifySyntaxSemantics(text);
      engine.DoVectorOfMathExpressions();
      const double peak = static_cast<double>(g_Peak.load() - base);
      perExpression = peak / 100000.0;
      perInstruction = peak / static_cast<double>(std::max<std::size_t>(1, engine.Instructions().size()));
      engine.VerifySyntaxSemantics("1+1");
      keptAfterShort = static_cast<double>(g_Live.load() - base);
    }
  }
  state.counters["peak_bytes_per_expression"] = perExpression;
  state.counters["peak_bytes_per_instruction"] = perInstruction;
  state.counters["kept_after_1+1_bytes"] = keptAfterShort;
}

void BM_Memory_Product(benchmark::State& state) { MemoryBench(state, "x*#+1"); }
void BM_Memory_Function(benchmark::State& state) { MemoryBench(state, "sin(x)+#"); }
void BM_Memory_Assignment(benchmark::State& state) { MemoryBench(state, "a#=#"); }

BENCHMARK(BM_Memory_Product)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memory_Function)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memory_Assignment)->Iterations(1)->Unit(benchmark::kMillisecond);

// An engine made for one short expression, as a conversion definition or a
// one-line evaluation makes it: the bytes it holds once x*180 is compiled
// and run (the peak while it compiles), and the pages it touched.
void BM_Memory_OneShortExpression(benchmark::State& state) {
  double held = 0, peak = 0;
  for (auto _ : state) {
    const long long base = g_Live.load();
    g_Peak.store(base);
    {
      helmax::THelmaxComplexEval engine;
      engine.VerifySyntaxSemantics("x*180", "x", false);
      helmax::TValue result;
      engine.DoMathExpression(result);
      benchmark::DoNotOptimize(result.Num);
      held = static_cast<double>(g_Live.load() - base);
      peak = static_cast<double>(g_Peak.load() - base);
    }
  }
  state.counters["held_bytes"] = held;
  state.counters["peak_bytes"] = peak;
}
BENCHMARK(BM_Memory_OneShortExpression)->Iterations(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
