// Per-call cost of the distribution and finance functions (the benchmarks
// of PackBenchmarks.h).
#include <benchmark/benchmark.h>

#include "PackBenchmarks.h"

int main(int argc, char** argv) {
  for (const auto& [name, body] : helmax::bench::PackBenchmarks()) benchmark::RegisterBenchmark(name.c_str(), body);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
