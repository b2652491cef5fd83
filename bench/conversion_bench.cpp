// Unit conversion's own cost:
// - the conversion paths of a synthetic category of 200 units and 400
//   definitions (a random tree plus random extra definitions), as every
//   check and save computes them (target: under 50 ms), and the whole check
//   of that table (duplicates, 800 compiles, the paths) for comparison;
// - one Conv call along a path of 10 steps (target: under 1 µs), and the
//   same conversion through an expression the calculator evaluates;
// - a .cnv near the 1 MB cap, of 300 categories of 100 units (30,000 rows):
//   read, checked and one value converted from the first unit of the last
//   category to its last one (target: under 2 s and 300 MB); and a file of
//   one chain of 20,000 units, refused by the check for its unit count.
//   Each runs in a process of its own, whose peak resident memory is the
//   counter (the program's own, about 5 MB, included).
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <set>
#include <string>

#include "Calculator.h"
#include "ConversionTable.h"
#include "TextFile.h"
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
  chain.Calc.SetExpressions("Conv(1, 1, 11, 2)");
  for (auto _ : state) {
    chain.Calc.ExpressionsChanged();
    benchmark::DoNotOptimize(chain.Calc.Results().data());
  }
  if (chain.Calc.Results().find("Invalid") != std::string::npos) state.SkipWithError(chain.Calc.Results().c_str());
}
BENCHMARK(BM_ConvInExpressionsPane);

// Categories of units u0 ... u<units-1>, each a chain and one more row from
// the first unit to the last, with texts outside the built-in table.
std::string LargeTable(int categories, int units) {
  std::string text;
  for (int c = 0; c < categories; ++c) {
    text += "[c" + std::to_string(c) + "]\r\n";
    for (int i = 0; i + 1 < units; ++i)
      text +=
          std::to_string(i + 1) + "=u" + std::to_string(i) + " : u" + std::to_string(i + 1) + " : x*3+1 : (x-1)/3\r\n";
    if (units > 2) text += std::to_string(units) + "=u0 : u" + std::to_string(units - 1) + " : x*7 : x/7\r\n";
    text += "\r\n";
  }
  return text;
}

// Runs work in a child process: its wall time (reported as the iteration's)
// and the child's peak resident memory.
template <class TWork>
void InChildProcess(benchmark::State& state, TWork work) {
  long peakKb = 0;
  for (auto _ : state) {
    int channel[2];
    if (pipe(channel) != 0) {
      state.SkipWithError("no pipe");
      return;
    }
    const pid_t pid = fork();
    if (pid == 0) {
      close(channel[0]);
      const auto start = std::chrono::steady_clock::now();
      const bool ok = work();
      const double seconds = ok ? std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() : -1;
      const bool written = write(channel[1], &seconds, sizeof seconds) == sizeof seconds;
      _exit(written ? 0 : 1);
    }
    close(channel[1]);
    double seconds = -1;
    const bool read_ok = read(channel[0], &seconds, sizeof seconds) == sizeof seconds;
    close(channel[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!read_ok || seconds < 0) {
      state.SkipWithError("the work failed");
      return;
    }
    state.SetIterationTime(seconds);
    peakKb = std::max(peakKb, usage.ru_maxrss);
  }
  state.counters["peak_rss_MB"] = static_cast<double>(peakKb) / 1024.0;
}

std::string TableFile(const std::string& name, const std::string& text) {
  const std::string path = "/tmp/helmax-conversion-bench-" + std::to_string(getpid()) + "-" + name + ".cnv";
  std::string error;
  if (!WriteFileAtomic(path, text, error)) return {};
  return path;
}

void BM_LargeTableReadCheckConvert(benchmark::State& state) {
  const std::string text = LargeTable(300, 100);
  const std::string path = TableFile("large", text);
  state.counters["file_KB"] = static_cast<double>(text.size()) / 1024.0;
  InChildProcess(state, [&] {
    TMessageRecorder ui;
    TConversionTable table(ui);
    if (!table.Read(path) || !table.Check()) return false;
    TValue args[4] = {TValue::MakeReal(300), TValue::MakeReal(1), TValue::MakeReal(100), TValue::MakeReal(2)};
    TValue* pointers[4] = {&args[0], &args[1], &args[2], &args[3]};
    TValue result;
    table.Conv(pointers, 4, result);
    return result.IsReal() && result.Num == 14 && ui.Messages.empty();
  });
  std::remove(path.c_str());
}
BENCHMARK(BM_LargeTableReadCheckConvert)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_ChainOfTooManyUnitsRefused(benchmark::State& state) {
  const std::string text = LargeTable(1, 20000);
  const std::string path = TableFile("chain", text);
  state.counters["file_KB"] = static_cast<double>(text.size()) / 1024.0;
  InChildProcess(state, [&] {
    TMessageRecorder ui;
    TConversionTable table(ui);
    return table.Read(path) && !table.Check() && ui.Messages.size() == 1;
  });
  std::remove(path.c_str());
}
BENCHMARK(BM_ChainOfTooManyUnitsRefused)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
