// The calculator's whole cycle on a 200-expression pane, per keystroke:
// ours (definitions compile, expressions compile and evaluation, result
// lines) against libqalculate evaluating and printing the same expressions,
// which is what a user would otherwise pick. Printed at the end: the time
// per keystroke of each and the ratio.
#include <benchmark/benchmark.h>

#include <libqalculate/qalculate.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "Calculator.h"
#include "UserInterface.h"

namespace {

using namespace helmax;

// Four shapes over the default document's f, Fact and y, a quarter of each.
std::vector<std::string> PaneExpressions(bool qalculateSyntax, int count = 200) {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    switch (i % 4) {
      case 0: out.push_back("f(" + n + "/10)+y"); break;
      case 1: out.push_back((qalculateSyntax ? "Fact(" : "Fact(") + std::to_string(i % 20) + ")*y"); break;
      case 2: out.push_back("sqrt(" + n + ")*y-cos(" + n + ")"); break;
      default: out.push_back(n + "^2/3-sin(" + n + "*y)"); break;
    }
  }
  return out;
}

std::string Pane(int count = 200) {
  std::string pane;
  for (const std::string& e : PaneExpressions(false, count)) pane += (pane.empty() ? "" : ",\n") + e;
  return pane;
}

struct TCalculatorSetup {
  TMessageRecorder Ui;
  TCalculator Calc{Ui};
  explicit TCalculatorSetup(int count = 200) {
    Calc.FirstActivation();  // the built-in default document
    Calc.SetExpressions(Pane(count));
    Calc.ExpressionsChanged();
    if (!Calc.ResultsShown()) std::fprintf(stderr, "pane failed: %s\n", Calc.Results().c_str());
  }
};

// A keystroke in the definitions pane followed by the evaluation that shows
// its effect: both compiles, the run and the 200 result lines.
void BM_FullCycle_Ours(benchmark::State& state) {
  TCalculatorSetup s;
  for (auto _ : state) {
    s.Calc.DefinitionsChanged();
    s.Calc.ExpressionsChanged();
    benchmark::DoNotOptimize(s.Calc.Results().data());
  }
}
BENCHMARK(BM_FullCycle_Ours)->Unit(benchmark::kMicrosecond);

// A keystroke in the expressions pane: compile, run, result lines.
void BM_ExpressionsKeystroke_Ours(benchmark::State& state) {
  TCalculatorSetup s;
  for (auto _ : state) {
    s.Calc.ExpressionsChanged();
    benchmark::DoNotOptimize(s.Calc.Results().data());
  }
}
BENCHMARK(BM_ExpressionsKeystroke_Ours)->Unit(benchmark::kMicrosecond);

// A keystroke in a pane of 20,000 expressions of the same shapes.
void BM_LargePaneKeystroke_Ours(benchmark::State& state) {
  TCalculatorSetup s(20000);
  for (auto _ : state) {
    s.Calc.ExpressionsChanged();
    benchmark::DoNotOptimize(s.Calc.Results().data());
  }
}
BENCHMARK(BM_LargePaneKeystroke_Ours)->Unit(benchmark::kMillisecond);

// libqalculate with the same definitions: f(x) = sin(x), Fact(n) = n!,
// y = 1/3, radians; each expression calculated and printed.
void BM_FullCycle_Qalculate(benchmark::State& state) {
  static Calculator* calc = [] {
    auto* c = new Calculator();
    c->loadGlobalDefinitions();
    c->setPrecision(15);  // the digits our results show
    c->addFunction(new UserFunction("", "f", "sin(\\x)"));
    c->addFunction(new UserFunction("", "Fact", "(\\x)!"));
    c->addVariable(new KnownVariable("", "y", "1/3"));
    return c;
  }();
  EvaluationOptions eo;
  eo.parse_options.angle_unit = ANGLE_UNIT_RADIANS;
  eo.approximation = APPROXIMATION_APPROXIMATE;
  eo.interval_calculation = INTERVAL_CALCULATION_NONE;
  PrintOptions po;
  po.number_fraction_format = FRACTION_DECIMAL;
  po.interval_display = INTERVAL_DISPLAY_SIGNIFICANT_DIGITS;
  const std::vector<std::string> expressions = PaneExpressions(true);
  // Both sides must compute the same: a spot check of three results.
  static bool checked = [&] {
    TCalculatorSetup ours;
    for (int i : {0, 5, 199}) {
      MathStructure m = calc->calculate(expressions[static_cast<std::size_t>(i)], eo);
      m.format(po);
      std::fprintf(stderr, "%s: libqalculate %s\n", expressions[static_cast<std::size_t>(i)].c_str(),
                   m.print(po).c_str());
    }
    std::fprintf(stderr, "ours: %s ...\n", ours.Calc.Results().substr(0, 60).c_str());
    return true;
  }();
  (void)checked;
  for (auto _ : state) {
    std::string results;
    for (const std::string& e : expressions) {
      MathStructure m = calc->calculate(calc->unlocalizeExpression(e, eo.parse_options), eo);
      m.format(po);
      results += m.print(po);
      results += '\n';
    }
    benchmark::DoNotOptimize(results.data());
  }
}
BENCHMARK(BM_FullCycle_Qalculate)->Unit(benchmark::kMicrosecond);

// Console output plus the summary of the race.
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
  auto figure = [&](const char* name) { return s.count(name) ? s.at(name) : 0.0; };
  const double ours = figure("BM_FullCycle_Ours"), keystroke = figure("BM_ExpressionsKeystroke_Ours"),
               qalc = figure("BM_FullCycle_Qalculate");
  std::printf("\nPer keystroke, 200 expressions of the default document:\n");
  std::printf("  ours, full cycle          %10.1f us\n", ours * 1e6);
  std::printf("  ours, expressions pane    %10.1f us\n", keystroke * 1e6);
  std::printf("  libqalculate              %10.1f us\n", qalc * 1e6);
  if (ours > 0 && qalc > 0) std::printf("  libqalculate / ours       %10.1f x\n", qalc / ours);
  std::printf("Per keystroke in a pane of 20,000 expressions:\n");
  std::printf("  ours, expressions pane    %10.2f ms\n", figure("BM_LargePaneKeystroke_Ours") * 1e3);
  return 0;
}
