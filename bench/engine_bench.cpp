// Engine benchmarks: compile time against text size and nesting depth, and
// evaluation speed against muParser on the same expressions.
#include <benchmark/benchmark.h>
#include <muParser.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <map>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

#include "HelmaxComplexEval.h"

namespace {

// Concatenation by appending (g++ 12 warns falsely on literal + string).
std::string Cat(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (const std::string_view part : parts) text += part;
  return text;
}

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

// Times the compile of one text (declaring x on the way) by an engine that
// compiles again and again, as the calculator's engines do at every
// keystroke. A failed compile is still timed, and shows its error code in
// the label.
void CompileBench(benchmark::State& state, const std::string& text) {
  int failedCode = 0;
  helmax::THelmaxComplexEval eng;
  for (auto _ : state) {
    eng.VerifySyntaxSemantics(text);
    failedCode = eng.Error ? eng.ErrorCode : 0;
    benchmark::DoNotOptimize(failedCode);
  }
  if (failedCode != 0) state.SetLabel("compile failed: code " + std::to_string(failedCode));
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}

// n linear equations in n unknowns, each naming every unknown: what the
// linear systems window compiles (variables x1..xn declared by name).
void BM_CompileLinearSystem(benchmark::State& state) {
  const std::int64_t n = state.range(0);
  std::string names, text;
  for (std::int64_t j = 1; j <= n; ++j) names += Cat({j > 1 ? ",x" : "x", std::to_string(j)});
  for (std::int64_t i = 1; i <= n; ++i) {
    if (i > 1) text += ',';
    for (std::int64_t j = 1; j <= n; ++j)
      text += Cat({j > 1 ? "+" : "", std::to_string((i * 7 + j * 3) % 19 + 1), "*x", std::to_string(j)});
    text += Cat({"-", std::to_string(i)});
  }
  helmax::THelmaxComplexEval eng;
  for (auto _ : state) {
    eng.VerifySyntaxSemantics(text, names, false);
    benchmark::DoNotOptimize(eng.ErrorCode);
  }
  if (eng.Error) state.SkipWithError(eng.ErrorMessage.c_str());
  state.SetComplexityN(static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_CompileLinearSystem)
    ->Arg(100)
    ->Arg(300)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oAuto);

void BM_CompileSum(benchmark::State& state) { CompileBench(state, SumText(state.range(0))); }
void BM_CompileNested(benchmark::State& state) { CompileBench(state, NestedText(state.range(0))); }
void BM_CompileNestedSum(benchmark::State& state) { CompileBench(state, NestedSumText(state.range(0))); }

BENCHMARK(BM_CompileSum)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oAuto);
BENCHMARK(BM_CompileNested)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oAuto);
BENCHMARK(BM_CompileNestedSum)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oAuto);

// ===========================================================================
// EVALUATION RACES: the engine against muParser on the same expressions.
// Each race is a pair BM_Eval_Ours/<case> and BM_Eval_MuParser/<case>,
// both compiling outside the timing loop and timing evaluation only. The
// variable a moves through [1, 2) from one evaluation to the next; b and c
// stay fixed. The program ends with a table of the time ratios.
// ===========================================================================

// One expression in both syntaxes.
struct TRaceCase {
  const char* Ours;
  const char* MuParser;
};

// Drawn from public math-parser benchmark sets. Every expression stays
// finite for a in [1, 2), b = 2.5, c = 3.7.
constexpr TRaceCase kRaceCases[] = {
    {"a+b", "a+b"},
    {"(2*a+1)*3", "(2*a+1)*3"},
    {"1.1*a^2 + 2.2*b^3 + 3.3*c^4", "1.1*a^2 + 2.2*b^3 + 3.3*c^4"},
    {"1/(a*sqrt(2*pi))*e^(-0.5*((b-a)/a)^2)", "1/(a*sqrt(2*pi))*e^(-0.5*((b-a)/a)^2)"},
    {"(((((((7*a+6)*a+5)*a+4)*a+3)*a+2)*a+1)*a+0.1)", "(((((((7*a+6)*a+5)*a+4)*a+3)*a+2)*a+1)*a+0.1)"},
    {"7*a^7+6*a^6+5*a^5+4*a^4+3*a^3+2*a^2+1*a^1+0.1", "7*a^7+6*a^6+5*a^5+4*a^4+3*a^3+2*a^2+1*a^1+0.1"},
    {"sqrt(a^2+b^2)", "sqrt(a^2+b^2)"},
    {"a/((a+b)*(a-b))/b", "a/((a+b)*(a-b))/b"},
    {"-a*-b", "-a*-b"},
    {"(5.5+a)+(2*a-2/3*b)*(a/3+b/4)+(c+7.7)", "(5.5+a)+(2*a-2/3*b)*(a/3+b/4)+(c+7.7)"},
    {"abs(sin(sqrt(a^2+b^2))*255)", "abs(sin(sqrt(a^2+b^2))*255)"},
    {"(a^2/sin(2*pi/b))-a/2", "(a^2/sin(2*pi/b))-a/2"},
    {"sin(2*a)+cos(pi/b)", "sin(2*a)+cos(pi/b)"},
    // The outer test takes both branches as a moves through [1, 2).
    {"if(gr(a,1.5), if(gr(b,0.5), a+b, a-b), b)", "a>1.5 ? (b>0.5 ? a+b : a-b) : b"},
    {"max(a,b,c)", "max(a,b,c)"},
    {"min(a,b)+max(b,c)", "min(a,b)+max(b,c)"},
};
constexpr int kRaceCount = static_cast<int>(std::size(kRaceCases));

constexpr double kB = 2.5;
constexpr double kC = 3.7;
// Values of a at which both parsers must agree before a race (both sides
// of the if).
constexpr double kCheckPoints[] = {1.0, 1.25, 1.75, 1.999};

// Next value of a: 1.000, 1.001, ..., 1.999, 1.000, ...
inline double StepA(int& k) {
  if (++k == 1000) k = 0;
  return 1.0 + k * 1e-3;
}

// The engine compiled over host cells a, b, c.
struct TOursRunner {
  helmax::THelmaxComplexEval Eng;
  helmax::TValue A, B, C;
  std::string Error;

  explicit TOursRunner(const char* text) {
    A = helmax::TValue::MakeReal(1.0);
    B = helmax::TValue::MakeReal(kB);
    C = helmax::TValue::MakeReal(kC);
    const helmax::TUserVarArray vars{{"a", &A, 0}, {"b", &B, 0}, {"c", &C, 0}};
    Eng.VerifySyntaxSemantics(text, vars, false);
    if (Eng.Error) Error = Cat({"engine compile failed (", std::to_string(Eng.ErrorCode), "): ", Eng.ErrorMessage});
  }

  // Evaluates at a; false (with Error set) when the engine fails or the
  // result is not a real.
  bool At(double a, double& value) {
    A.Num = a;
    helmax::TValue r;
    Eng.DoMathExpression(r);
    if (Eng.Error) {
      Error = Cat({"engine evaluation failed (", std::to_string(Eng.ErrorCode), "): ", Eng.ErrorMessage});
      return false;
    }
    if (!r.IsReal()) {
      Error = Cat({"engine result is not a real: ", helmax::ValueToText(r)});
      return false;
    }
    value = r.Num;
    return true;
  }
};

// muParser compiled over doubles a, b, c, with pi and e as constants.
struct TMuRunner {
  mu::Parser P;
  double A = 1.0, B = kB, C = kC;
  std::string Error;

  explicit TMuRunner(const char* text) {
    try {
      P.DefineConst("pi", std::numbers::pi);
      P.DefineConst("e", std::numbers::e);
      P.DefineVar("a", &A);
      P.DefineVar("b", &B);
      P.DefineVar("c", &C);
      P.SetExpr(text);
      P.Eval();  // parses and builds the byte code
    } catch (const mu::Parser::exception_type& ex) { Error = Cat({"muParser failed: ", ex.GetMsg()}); }
  }

  bool At(double a, double& value) {
    A = a;
    try {
      value = P.Eval();
    } catch (const mu::Parser::exception_type& ex) {
      Error = Cat({"muParser failed: ", ex.GetMsg()});
      return false;
    }
    return true;
  }
};

// Empty when both parsers compile the case and give the same finite value
// (within 1e-9 relative) at every check point; otherwise the reason.
std::string CheckAgreement(const TRaceCase& c) {
  TOursRunner ours(c.Ours);
  if (!ours.Error.empty()) return ours.Error;
  TMuRunner mu(c.MuParser);
  if (!mu.Error.empty()) return mu.Error;
  for (const double a : kCheckPoints) {
    double x = 0.0;
    double y = 0.0;
    if (!ours.At(a, x)) return ours.Error;
    if (!mu.At(a, y)) return mu.Error;
    if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x - y) > 1e-9 * std::max(std::fabs(x), std::fabs(y))) {
      char text[160];
      std::snprintf(text, sizeof text, "values differ at a=%.17g: engine %.17g, muParser %.17g", a, x, y);
      return text;
    }
  }
  return {};
}

void BM_Eval_Ours(benchmark::State& state, int index) {
  const TRaceCase& c = kRaceCases[index];
  if (const std::string why = CheckAgreement(c); !why.empty()) {
    state.SkipWithError(why.c_str());
    return;
  }
  TOursRunner ours(c.Ours);
  helmax::TValue& a = ours.A;  // Kind stays Real; only Num changes
  helmax::THelmaxComplexEval& eng = ours.Eng;
  int k = 0;
  for (auto _ : state) {
    a.Num = StepA(k);
    helmax::TValue r;
    eng.DoMathExpression(r);
    benchmark::DoNotOptimize(r.Num);
  }
  if (eng.Error) state.SkipWithError(Cat({"engine failed during the race: ", eng.ErrorMessage}).c_str());
}

void BM_Eval_MuParser(benchmark::State& state, int index) {
  const TRaceCase& c = kRaceCases[index];
  if (const std::string why = CheckAgreement(c); !why.empty()) {
    state.SkipWithError(why.c_str());
    return;
  }
  TMuRunner mu(c.MuParser);
  mu::Parser& p = mu.P;
  int k = 0;
  try {
    for (auto _ : state) {
      mu.A = StepA(k);
      benchmark::DoNotOptimize(p.Eval());
    }
  } catch (const mu::Parser::exception_type& ex) {
    state.SkipWithError(Cat({"muParser failed during the race: ", ex.GetMsg()}).c_str());
  }
}

std::string RaceName(std::string_view family, int index) { return Cat({family, "/", std::to_string(index)}); }

// Each race runs kRaceRepetitions times, the repetitions of all races
// interleaved at random (main turns that on), and the table takes the
// fastest of each side's repetitions: the time least disturbed by the rest
// of the machine. On a shared machine a few-nanosecond loop otherwise
// moves by a third from one moment to the next, on either side.
constexpr int kRaceRepetitions = 5;

double Fastest(const std::vector<double>& times) {
  return times.empty() ? 0.0 : *std::min_element(times.begin(), times.end());
}

// Registers BM_Eval_Ours/<i> next to BM_Eval_MuParser/<i> for every case.
void RegisterRaces() {
  for (int i = 0; i < kRaceCount; ++i) {
    for (const bool ours : {true, false}) {
      benchmark::RegisterBenchmark(RaceName(ours ? "BM_Eval_Ours" : "BM_Eval_MuParser", i).c_str(),
                                   ours ? BM_Eval_Ours : BM_Eval_MuParser, i)
          ->Unit(benchmark::kNanosecond)
          ->MinTime(0.2)
          ->Repetitions(kRaceRepetitions)
          ->ComputeStatistics("min", Fastest)
          ->DisplayAggregatesOnly(true);
    }
  }
}

// Real time per iteration (ns) of every benchmark that ran: the fastest
// repetition when there is that aggregate, else the median, else the mean
// of the runs.
class TRaceTimes {
 public:
  void Collect(const std::vector<benchmark::BenchmarkReporter::Run>& reports) {
    using Run = benchmark::BenchmarkReporter::Run;
    for (const Run& run : reports) {
      if (run.error_occurred) continue;
      std::string name = run.run_name.function_name;
      if (!run.run_name.args.empty()) name += Cat({"/", run.run_name.args});
      const double ns = run.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
      TTimes& t = Times_[name];
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name == "min") t.Min = ns;
        if (run.aggregate_name == "median") t.Median = ns;
      } else {
        t.Sum += ns;
        ++t.Count;
      }
    }
  }

  // ns per iteration of a benchmark, or a negative value when it did not run.
  double NsPerIteration(const std::string& name) const {
    const auto it = Times_.find(name);
    if (it == Times_.end()) return -1.0;
    if (it->second.Min >= 0.0) return it->second.Min;
    if (it->second.Median >= 0.0) return it->second.Median;
    return it->second.Count > 0 ? it->second.Sum / it->second.Count : -1.0;
  }

 private:
  struct TTimes {
    double Min = -1.0;
    double Median = -1.0;
    double Sum = 0.0;
    int Count = 0;
  };
  std::map<std::string, TTimes> Times_;
};

// A display reporter (console, JSON or CSV) that also collects the times.
template <class Base>
class TRaceReporter : public Base {
 public:
  template <class... Args>
  explicit TRaceReporter(TRaceTimes& times, Args... args) : Base(args...), Times_(times) {}

  void ReportRuns(const std::vector<benchmark::BenchmarkReporter::Run>& reports) override {
    Times_.Collect(reports);
    Base::ReportRuns(reports);
  }

 private:
  TRaceTimes& Times_;
};

void PrintRaceSummary(const TRaceTimes& times, std::FILE* out) {
  double logSum = 0.0;
  int pairs = 0;
  bool header = false;
  for (int i = 0; i < kRaceCount; ++i) {
    const double ours = times.NsPerIteration(RaceName("BM_Eval_Ours", i));
    const double mu = times.NsPerIteration(RaceName("BM_Eval_MuParser", i));
    if (ours < 0.0 && mu < 0.0) continue;
    if (!header) {
      std::fprintf(out, "\nEvaluation race (ns per evaluation, real time, fastest of %d interleaved runs)\n",
                   kRaceRepetitions);
      std::fprintf(out, "%3s  %10s  %10s  %8s  %s\n", "#", "ours", "muParser", "ratio", "expression");
      header = true;
    }
    char oursText[32] = "-";
    char muText[32] = "-";
    char ratioText[32] = "-";
    if (ours >= 0.0) std::snprintf(oursText, sizeof oursText, "%.2f", ours);
    if (mu >= 0.0) std::snprintf(muText, sizeof muText, "%.2f", mu);
    if (ours > 0.0 && mu > 0.0) {
      std::snprintf(ratioText, sizeof ratioText, "%.3f", ours / mu);
      logSum += std::log(ours / mu);
      ++pairs;
    }
    std::fprintf(out, "%3d  %10s  %10s  %8s  %s\n", i, oursText, muText, ratioText, kRaceCases[i].Ours);
  }
  if (pairs > 0)
    std::fprintf(out, "Geometric mean of ours/muParser over %d expressions: %.3f\n", pairs, std::exp(logSum / pairs));
  std::fflush(out);
}

// The display settings the library would take from its flags (last one on
// the command line wins, the environment gives the default); needed here
// because a display reporter passed in is used as it is.
struct TDisplayFlags {
  std::string Format = "console";
  std::string Color = "auto";
  bool Tabular = false;
};

// The library's reading of a flag value as true.
bool IsTruthy(std::string_view value) {
  if (value.empty()) return true;
  std::string lower(value);
  for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  if (lower.size() == 1)
    return std::isalnum(static_cast<unsigned char>(lower[0])) && lower != "0" && lower != "f" && lower != "n";
  return lower != "false" && lower != "no" && lower != "off";
}

TDisplayFlags ReadDisplayFlags(int argc, char** argv) {
  TDisplayFlags flags;
  if (const char* v = std::getenv("BENCHMARK_FORMAT")) flags.Format = v;
  if (const char* v = std::getenv("BENCHMARK_COLOR")) flags.Color = v;
  if (const char* v = std::getenv("BENCHMARK_COUNTERS_TABULAR")) flags.Tabular = IsTruthy(v);
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const auto value = [&](std::string_view name, std::string_view& out) {
      if (!arg.starts_with(name)) return false;
      out = arg.substr(name.size());
      return true;
    };
    std::string_view v;
    if (value("--benchmark_format=", v)) flags.Format = v;
    else if (value("--benchmark_color=", v)) flags.Color = v;
    else if (value("--benchmark_counters_tabular=", v)) flags.Tabular = IsTruthy(v);
    else if (arg == "--benchmark_counters_tabular") flags.Tabular = true;
  }
  return flags;
}

bool ColorWanted(const std::string& color) {
  if (color != "auto") return IsTruthy(color);
  const char* term = std::getenv("TERM");
  return isatty(STDOUT_FILENO) != 0 && term != nullptr && std::string_view(term) != "dumb";
}

}  // namespace

// The usual benchmark main, with the race summary printed at the end (to
// stderr when the display format is JSON or CSV, keeping stdout parsable).
int main(int argc, char** argv) {
  RegisterRaces();
  const TDisplayFlags flags = ReadDisplayFlags(argc, argv);
  // Random interleaving unless the command line says otherwise (a later
  // flag wins).
  std::vector<char*> args(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave.data());
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  argv = args.data();
  argc = count;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TRaceTimes times;
  std::FILE* summaryOut = stdout;
  if (flags.Format == "json") {
    TRaceReporter<benchmark::JSONReporter> reporter(times);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    summaryOut = stderr;
  } else if (flags.Format == "csv") {
    // Deprecated in the library, but still what --benchmark_format=csv gives.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    TRaceReporter<benchmark::CSVReporter> reporter(times);
#pragma GCC diagnostic pop
    benchmark::RunSpecifiedBenchmarks(&reporter);
    summaryOut = stderr;
  } else {  // Initialize has already rejected any other format
    int options = benchmark::ConsoleReporter::OO_None;
    if (ColorWanted(flags.Color)) options |= benchmark::ConsoleReporter::OO_Color;
    if (flags.Tabular) options |= benchmark::ConsoleReporter::OO_Tabular;
    TRaceReporter<benchmark::ConsoleReporter> reporter(times,
                                                       static_cast<benchmark::ConsoleReporter::OutputOptions>(options));
    benchmark::RunSpecifiedBenchmarks(&reporter);
  }
  benchmark::Shutdown();
  PrintRaceSummary(times, summaryOut);
  return 0;
}
