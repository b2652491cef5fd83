// Reading element data (.pte) with many properties: the time grows with the
// file, not with its square (5,000 / 20,000 / 200,000 properties, each named
// and given a value for iron).
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "PeriodicTable.h"
#include "UserInterface.h"

namespace {

void ReadManyProperties(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  std::string folder = (std::filesystem::temp_directory_path() / "helmax-bench-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const std::string path = folder + "/many.pte";
  {
    std::string text = "[Properties]\r\n";
    for (int n = 1; n <= count; ++n) text += std::to_string(n) + "=P" + std::to_string(n) + "\r\n";
    text += "[Fe]\r\n";
    for (int n = 1; n <= count; ++n) text += std::to_string(n) + "=" + std::to_string(n) + "\r\n";
    std::ofstream(path, std::ios::binary) << text;
  }
  helmax::TMessageRecorder ui;
  helmax::TPeriodicTable table(ui);
  for (auto _ : state) {
    if (!table.ReadFile(path)) state.SkipWithError("not read");
    benchmark::DoNotOptimize(table.FilePath());
  }
  state.SetComplexityN(count);
  std::filesystem::remove_all(folder);
}
BENCHMARK(ReadManyProperties)->Arg(5000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace

BENCHMARK_MAIN();
