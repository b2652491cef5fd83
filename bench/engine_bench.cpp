// Engine benchmarks: compile time against text size and nesting depth, and
// (later) evaluation speed against muParser on the same expressions.
#include <benchmark/benchmark.h>
#include <muParser.h>

#include <cstdint>
#include <string>

#include "HelmaxComplexEval.h"

namespace {

// "x+x+...+x" with n terms.
std::string SumText(std::int64_t n) {
  std::string text;
  text.reserve(static_cast<std::size_t>(2 * n));
  for (std::int64_t i = 0; i < n; ++i) {
    if (i > 0) text += '+';
    text += 'x';
  }
  return text;
}

// n pairs of parentheses around x: "((((x))))".
std::string NestedText(std::int64_t n) {
  const auto depth = static_cast<std::size_t>(n);
  return std::string(depth, '(') + "x" + std::string(depth, ')');
}

// n nested additions: "(1+(1+(...(1+x)...)))".
std::string NestedSumText(std::int64_t n) {
  std::string text;
  text.reserve(static_cast<std::size_t>(5 * n + 1));
  for (std::int64_t i = 0; i < n; ++i) text += "(1+";
  text += 'x';
  text.append(static_cast<std::size_t>(n), ')');
  return text;
}

// Times the compile of one text (declaring x on the way). A failed compile
// is still timed, and shows its error code in the label.
void CompileBench(benchmark::State& state, const std::string& text) {
  int failedCode = 0;
  for (auto _ : state) {
    helmax::THelmaxComplexEval eng;
    eng.VerifySyntaxSemantics(text);
    failedCode = eng.Error ? eng.ErrorCode : 0;
    benchmark::DoNotOptimize(failedCode);
  }
  if (failedCode != 0) state.SetLabel("compile failed: code " + std::to_string(failedCode));
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}

void BM_CompileSum(benchmark::State& state) { CompileBench(state, SumText(state.range(0))); }
void BM_CompileNested(benchmark::State& state) { CompileBench(state, NestedText(state.range(0))); }
void BM_CompileNestedSum(benchmark::State& state) { CompileBench(state, NestedSumText(state.range(0))); }

BENCHMARK(BM_CompileSum)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oAuto);
BENCHMARK(BM_CompileNested)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oAuto);
BENCHMARK(BM_CompileNestedSum)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oAuto);

// ===========================================================================
// EVALUATION RACES: the engine against muParser on the same expressions.
// Each race is a pair BM_Eval_Helmax/<case> and BM_Eval_MuParser/<case>,
// both compiling outside the timing loop and timing evaluation only.
// ===========================================================================

// Case 0: "a+b". Also shows that muParser is linked and answers correctly.
void BM_Eval_MuParser(benchmark::State& state) {
  double a = 1.5;
  double b = 2.25;
  mu::Parser parser;
  parser.DefineVar("a", &a);
  parser.DefineVar("b", &b);
  parser.SetExpr("a+b");
  if (parser.Eval() != 3.75) {
    state.SkipWithError("muParser gave a wrong value for a+b");
    return;
  }
  for (auto _ : state) {
    a += 1.0;
    benchmark::DoNotOptimize(parser.Eval());
  }
}
BENCHMARK(BM_Eval_MuParser)->Arg(0);

}  // namespace

BENCHMARK_MAIN();
