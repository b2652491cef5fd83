// The function table's own cost: computing 10^5 and 10^6 points of
// f(x)~Sin(x) against the DoRunTimeFunction calls alone (the table should
// stay within twice their time), building the chart of 10^6 points (its
// numbers and their reduction to an 800-pixel plot; under 200 ms wanted),
// and writing the .xlsx of 10^5 rows. Printed at the end: time per point
// and the ratios.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "Calculator.h"
#include "ChartData.h"
#include "TableComputation.h"
#include "TableFiles.h"
#include "UserInterface.h"

namespace {

using namespace helmax;

// The default document's calculator with the range 0, 1, ..., points - 1.
struct TTableSetup {
  TMessageRecorder Ui;
  TCalculator Calc{Ui};
  TTableRange Range;
  explicit TTableSetup(std::int64_t points) {
    Calc.FirstActivation();
    Range = {0, static_cast<double>(points - 1), 1};
  }
};

void BM_TableCompute(benchmark::State& state) {
  TTableSetup s(state.range(0));
  for (auto _ : state) {
    TFunctionTable table;
    if (ComputeFunctionTable(s.Calc, s.Ui, s.Range, false, table) != TTableOutcome::Done)
      state.SkipWithError("the table was not computed");
    benchmark::DoNotOptimize(table.RowCount());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TableCompute)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// The same calls of f at the same points, and nothing else.
void BM_RunTimeFunctionCallsAlone(benchmark::State& state) {
  TTableSetup s(state.range(0));
  s.Calc.DefinitionsChanged();
  THelmaxDateTimeEval& engine = s.Calc.DefinitionsEngine();
  TUserValuesArray argument(1);
  TValue result;
  for (auto _ : state) {
    for (std::int64_t n = 0; n < state.range(0); ++n) {
      argument[0] = TValue::MakeReal(static_cast<double>(n));
      engine.DoRunTimeFunction(0, argument, result);
      benchmark::DoNotOptimize(result.Num);
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RunTimeFunctionCallsAlone)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

TFunctionTable SineTable(std::int64_t points) {
  TTableSetup s(points);
  TFunctionTable table;
  ComputeFunctionTable(s.Calc, s.Ui, s.Range, false, table);
  return table;
}

// What Refresh does before Qt draws: the table's numbers, then the points
// of each pixel column of an 800-pixel plot.
void BM_ChartBuild(benchmark::State& state) {
  const TFunctionTable table = SineTable(state.range(0));
  for (auto _ : state) {
    const TChartData data = BuildChartData(table);
    const std::vector<TPolyline> runs = ReduceForDrawing(data.X, data.Series[0].Y, data.X.front(), data.X.back(), 800);
    benchmark::DoNotOptimize(runs.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ChartBuild)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_XlsxExport(benchmark::State& state) {
  const TFunctionTable table = SineTable(state.range(0));
  const std::string path = (std::filesystem::temp_directory_path() / "helmax-table-bench.xlsx").string();
  for (auto _ : state) {
    std::string error;
    if (WriteTableWorkbook(table, path, error) != TWriteOutcome::Written) state.SkipWithError(error.c_str());
  }
  std::filesystem::remove(path);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_XlsxExport)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Console output plus the summary.
class TSummaryReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> Seconds;
  void ReportRuns(const std::vector<Run>& reports) override {
    for (const Run& r : reports)
      if (r.run_type == Run::RT_Iteration && r.iterations > 0)
        Seconds[r.benchmark_name()] = r.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
    ConsoleReporter::ReportRuns(reports);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TSummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const auto& s = reporter.Seconds;
  auto figure = [&](const std::string& name) { return s.count(name) ? s.at(name) : 0.0; };
  std::printf("\nFunction table of f(x)~Sin(x):\n");
  for (const char* points : {"100000", "1000000"}) {
    const double table = figure(std::string("BM_TableCompute/") + points);
    const double calls = figure(std::string("BM_RunTimeFunctionCallsAlone/") + points);
    const double n = std::stod(points);
    if (table <= 0 || calls <= 0) continue;
    std::printf("  %8s points: table %6.1f ns/point, calls alone %6.1f ns/point, table / calls %4.2f x\n", points,
                table / n * 1e9, calls / n * 1e9, table / calls);
  }
  if (const double chart = figure("BM_ChartBuild/1000000"); chart > 0)
    std::printf("  chart of 10^6 points: %.1f ms\n", chart * 1e3);
  if (const double xlsx = figure("BM_XlsxExport/100000/iterations:3"); xlsx > 0)
    std::printf("  .xlsx of 10^5 rows:   %.1f ms\n", xlsx * 1e3);
  return 0;
}
