// Start-up as a user meets it: each run is a new process, timed from fork
// to exit (wall clock), with its peak resident memory and page faults as
// counters. The programs are copied into a folder of their own, beside
// their default files (the default .cnv for helmax-eval; helmax-calc
// writes its own at the first run), so that nothing is written beside the
// build. HELMAX_EVAL and HELMAX_CALC name other builds of the programs to
// measure (a former revision, say). On a busy machine compare cpu_ms, the
// process's own processor time, rather than the wall time.
//   helmax-eval --version   the floor: loading the program and its libraries
//   helmax-eval 1+1         one line with the default files (target: 5 ms, 15 MB)
//   qalc 1+1                the same line in qalc, when it is installed
//   helmax-calc             the window, offscreen, until its results pane holds
//                           the default document's results (then it closes)
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ConversionTable.h"
#include "TextFile.h"

namespace {

namespace fs = std::filesystem;

// A folder of copies, made once and removed at exit.
class TProgramFolder {
 public:
  TProgramFolder() {
    char pattern[] = "/tmp/helmax-startup-XXXXXX";
    if (mkdtemp(pattern) != nullptr) Path_ = pattern;
  }
  ~TProgramFolder() {
    std::error_code ec;
    if (!Path_.empty()) fs::remove_all(Path_, ec);
  }
  // The program copied here (once); empty when it cannot be.
  std::string Copy(const std::string& program) {
    std::error_code ec;
    const fs::path target = fs::path(Path_) / fs::path(program).filename();
    if (Path_.empty() || (!fs::exists(target) && !fs::copy_file(program, target, ec))) return {};
    return target.string();
  }
  const std::string& Path() const { return Path_; }

 private:
  std::string Path_;
};

TProgramFolder& Folder() {
  static TProgramFolder folder;
  return folder;
}

struct TRun {
  bool Ok = false;
  double Seconds = 0;
  double CpuSeconds = 0;
  long MaxRssKb = 0;
  long Faults = 0;
};

// Runs argv with its output thrown away; extra: environment assignments.
TRun RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extra = {}) {
  TRun run;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) return run;
  if (pid == 0) {
    for (const std::string& assignment : extra) putenv(const_cast<char*>(assignment.c_str()));
    if (freopen("/dev/null", "w", stdout) == nullptr || freopen("/dev/null", "w", stderr) == nullptr) _exit(126);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return run;
  run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.Ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  run.CpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  run.MaxRssKb = usage.ru_maxrss;
  run.Faults = usage.ru_minflt + usage.ru_majflt;
  return run;
}

void Measure(benchmark::State& state, const std::vector<std::string>& argv,
             const std::vector<std::string>& extra = {}) {
  if (argv.empty() || argv[0].empty()) {
    state.SkipWithError("the program is not there");
    return;
  }
  long rss = 0, faults = 0;
  double cpu = 0;
  for (auto _ : state) {
    const TRun run = RunProcess(argv, extra);
    if (!run.Ok) {
      state.SkipWithError("the program failed");
      return;
    }
    state.SetIterationTime(run.Seconds);
    rss = std::max(rss, run.MaxRssKb);
    faults = run.Faults;
    cpu += run.CpuSeconds;
  }
  state.counters["cpu_ms"] =
      1000.0 * cpu / static_cast<double>(std::max<benchmark::IterationCount>(1, state.iterations()));
  state.counters["max_rss_MB"] = static_cast<double>(rss) / 1024.0;
  state.counters["page_faults"] = static_cast<double>(faults);
}

// helmax-eval beside the default conversion table.
std::string Eval() {
  static const std::string path = [] {
    const char* other = std::getenv("HELMAX_EVAL");
    std::string copy = Folder().Copy(other != nullptr ? other : HELMAX_EVAL_PROGRAM);
    std::string error;
    if (!copy.empty() &&
        !helmax::WriteFileAtomic(Folder().Path() + "/helmax-eval.cnv", helmax::DefaultConversionText(), error))
      copy.clear();
    return copy;
  }();
  return path;
}

void BM_Start_EvalVersion(benchmark::State& state) { Measure(state, {Eval(), "--version"}); }
void BM_Start_EvalOnePlusOne(benchmark::State& state) { Measure(state, {Eval(), "1+1"}); }

void BM_Start_QalcOnePlusOne(benchmark::State& state) {
  if (RunProcess({"qalc", "--version"}).Ok) Measure(state, {"qalc", "1+1"});
  else state.SkipWithError("qalc is not installed (scripts/install-deps --bench)");
}

BENCHMARK(BM_Start_EvalVersion)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Start_EvalOnePlusOne)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Start_QalcOnePlusOne)->UseManualTime()->Unit(benchmark::kMillisecond);

#ifdef HELMAX_CALC_PROGRAM
// The window; its first run writes the default files, which later runs read.
void BM_Start_CalcUntilResults(benchmark::State& state) {
  const char* other = std::getenv("HELMAX_CALC");
  const std::string calc = Folder().Copy(other != nullptr ? other : HELMAX_CALC_PROGRAM);
  const std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "HELMAX_QUIT_WHEN_STARTED=1"};
  if (!calc.empty()) RunProcess({calc}, env);
  Measure(state, {calc}, env);
}
BENCHMARK(BM_Start_CalcUntilResults)->UseManualTime()->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
