// Symbolic differentiation and the equivalence test. The derivative of a
// sum grows with the sum, so its time must grow linearly too (like the
// compile benchmarks): ten times the terms, about ten times the time. The
// equivalence test evaluates both expressions at 5151 points, three times
// each.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "EquivalenceTest.h"
#include "HelmaxComplexEval.h"
#include "UserInterface.h"

namespace {

// "x^2*sin(x)+x^2*sin(x)+..." with n terms.
std::string ProductSum(std::int64_t n) {
  std::string text;
  for (std::int64_t i = 0; i < n; ++i) {
    if (i > 0) text += '+';
    text += "x^2*sin(x)";
  }
  return text;
}

// Compiles the sum in derivation mode; the label gives the derivative's
// length ("nan" past the length limit of 1,048,576 characters).
void BM_Derivative(benchmark::State& state) {
  const std::string text = ProductSum(state.range(0));
  helmax::THelmaxComplexEval e;
  std::string derivative;
  for (auto _ : state) {
    e.VerifySyntaxSemanticsAndDerivation(text, "", true, "x");
    e.GetDerivative(false, derivative);
    benchmark::DoNotOptimize(derivative.data());
  }
  state.SetLabel(e.Error ? "failed" : derivative == "nan" ? "nan" : std::to_string(derivative.size()) + " chars");
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_Derivative)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oAuto);

// The whole test of sin(x)^2+cos(x)^2 against 1.
void BM_Equivalent(benchmark::State& state) {
  helmax::TMessageRecorder ui;
  helmax::TEquivalenceTest test(ui);
  std::uint64_t seed = 1;
  helmax::TEquivalenceCounts counts;
  for (auto _ : state) {
    counts = test.Compare("sin(x)^2+cos(x)^2", "1", seed++);
    benchmark::DoNotOptimize(counts);
  }
  state.SetLabel(std::string(helmax::VerdictText(helmax::VerdictOf(counts))) + " " + helmax::CountsText(counts));
}
BENCHMARK(BM_Equivalent)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
