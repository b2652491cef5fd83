// Unit conversion's own cost:
// - the conversion paths of a synthetic category of 200 units and 400
//   definitions (a random tree plus random extra definitions), as every
//   check and save computes them (target: under 50 ms), and the whole check
//   of that table (duplicates, 800 compiles, the paths) for comparison;
// - one Conv call along a path of 10 steps (target: under 1 µs), and the
//   same conversion through an expression the calculator evaluates.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <set>
#include <string>

#include "Calculator.h"
#include "ConversionTable.h"
#include "UnitGraph.h"

namespace {

using namespace helmax;

// 200 units joined by 400 distinct definitions: a random spanning tree,
// then random pairs not joined yet.
std::vector<TUnitPair> SyntheticCategory(int units, int definitions) {
  std::mt19937 rng(42);
  std::vector<TUnitPair> rows;
  std::set<std::pair<int, int>> joined;
  auto join = [&](int a, int b) {
    if (a == b || !joined.insert(std::minmax(a, b)).second) return;
    rows.push_back({a, b});
  };
  for (int v = 1; v < units; ++v) join(std::uniform_int_distribution<int>(0, v - 1)(rng), v);
  std::uniform_int_distribution<int> unit(0, units - 1);
  while (static_cast<int>(rows.size()) < definitions) join(unit(rng), unit(rng));
  return rows;
}

std::string UnitName(int i) {
  char name[8];
  std::snprintf(name, sizeof name, "u%03d", i);
  return name;
}

// The synthetic category as a .cnv text.
std::string SyntheticTable(int units, int definitions) {
  std::string text = "[Synthetic]\r\n";
  int key = 0;
  for (const TUnitPair& r : SyntheticCategory(units, definitions))
    text += std::to_string(++key) + "=" + UnitName(r.UnitA) + " : " + UnitName(r.UnitB) + " : x*1.5+2 : (x-2)/1.5\r\n";
  return text;
}

void BM_ConversionPaths(benchmark::State& state) {
  const std::vector<TUnitPair> rows = SyntheticCategory(200, 400);
  TShortestPathTable paths;
  for (auto _ : state) {
    paths.Compute(200, rows);
    benchmark::DoNotOptimize(paths.UnitCount());
  }
  std::size_t arcs = 0;
  for (int a = 0; a < 200; ++a)
    for (int b = 0; b < 200; ++b) arcs += paths.Path(a, b).size();
  state.counters["mean path"] = static_cast<double>(arcs) / (200.0 * 200.0);
}
BENCHMARK(BM_ConversionPaths)->Unit(benchmark::kMillisecond);

void BM_CheckSyntheticTable(benchmark::State& state) {
  TMessageRecorder ui;
  TConversionTable table(ui);
  table.ReadText(SyntheticTable(200, 400));
  for (auto _ : state) {
    if (!table.Check()) state.SkipWithError("the check failed");
  }
}
BENCHMARK(BM_CheckSyntheticTable)->Unit(benchmark::kMillisecond);

// A chain of 11 units u000 ... u010, each step x*1.5+2 forward.
struct TChain {
  TMessageRecorder Ui;
  TCalculator Calc{Ui};
  TChain() {
    std::string text = "[Chain]\r\n";
    for (int i = 0; i < 10; ++i)
      text += std::to_string(i + 1) + "=" + UnitName(i) + " : " + UnitName(i + 1) + " : x*1.5+2 : (x-2)/1.5\r\n";
    Calc.Conversions().ReadText(text);
    Calc.Conversions().Check();
    Calc.FirstActivation();
  }
};

void BM_ConvTenSteps(benchmark::State& state) {
  TChain chain;
  TConversionTable& table = chain.Calc.Conversions();
  if (table.Path(0, 0, 10).size() != 10) state.SkipWithError("not a path of 10 steps");
  TValue args[4] = {TValue::MakeReal(1), TValue::MakeReal(1), TValue::MakeReal(11), TValue::MakeReal(0)};
  TValue* pointers[4] = {&args[0], &args[1], &args[2], &args[3]};
  TValue result;
  double v = 0;
  for (auto _ : state) {
    args[3].Num = v;
    table.Conv(pointers, 4, result);
    v = result.Num * 1e-9;
    benchmark::DoNotOptimize(result.Num);
  }
}
BENCHMARK(BM_ConvTenSteps);

// The same conversion typed into the expressions pane (compile included).
void BM_ConvInExpressionsPane(benchmark::State& state) {
  TChain chain;
  chain.Calc.ExpressionsText = "Conv(1, 1, 11, 2)";
  for (auto _ : state) {
    chain.Calc.ExpressionsChanged();
    benchmark::DoNotOptimize(chain.Calc.ResultsText.data());
  }
  if (chain.Calc.ResultsText.find("Invalid") != std::string::npos) state.SkipWithError(chain.Calc.ResultsText.c_str());
}
BENCHMARK(BM_ConvInExpressionsPane);

}  // namespace

BENCHMARK_MAIN();
