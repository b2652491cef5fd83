#!/usr/bin/env bash
# Per-call cost of the distribution and finance functions before and after
# a change, in one Google Benchmark run: the engine and packs of revision
# BASE (default HEAD) are compiled with their namespace renamed, linked
# beside the working tree's build, and each benchmark of PackBenchmarks.h
# runs for both, alternately ("<name>/before" then "<name>/after").
#
#   bench/compare-packs.sh [BASE] [Google Benchmark options...]
#
# Needs the working tree built in build/ (helmax_packs) and Google Benchmark.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
base=${1:-HEAD}
shift || true
build=${BUILD:-$root/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

test -f "$build/src/packs/libhelmax_packs.a" || {
  echo "compare-packs: build helmax_packs in $build first" >&2
  exit 1
}

# The base revision's engine and packs, every helmax name as helmax_before.
mkdir -p "$work/base" "$work/objects"
git -C "$root" archive "$base" src/engine src/packs | tar -x -C "$work/base"
flags=(-std=c++20 -O2 -g -Dhelmax=helmax_before -I"$work/base/src/engine" -I"$work/base/src/packs")
for source in "$work"/base/src/engine/*.cpp "$work"/base/src/packs/*.cpp; do
  echo "$source"
done | xargs -P2 -I{} sh -c 'g++ '"${flags[*]}"' -c "{}" -o "'"$work"'/objects/$(basename "{}" .cpp).o"'
ar rcs "$work/libhelmax_before.a" "$work"/objects/*.o

cat > "$work/before.cpp" <<'EOF'
#define helmax helmax_before
#include "PackBenchmarks.h"
std::vector<std::pair<std::string, std::function<void(benchmark::State&)>>> BeforeBenchmarks() {
  return helmax_before::bench::PackBenchmarks();
}
EOF
cat > "$work/after.cpp" <<'EOF'
#include "PackBenchmarks.h"
std::vector<std::pair<std::string, std::function<void(benchmark::State&)>>> AfterBenchmarks() {
  return helmax::bench::PackBenchmarks();
}
EOF
cat > "$work/main.cpp" <<'EOF'
#include <benchmark/benchmark.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

using TNamed = std::pair<std::string, std::function<void(benchmark::State&)>>;
std::vector<TNamed> BeforeBenchmarks();
std::vector<TNamed> AfterBenchmarks();

int main(int argc, char** argv) {
  const std::vector<TNamed> before = BeforeBenchmarks(), after = AfterBenchmarks();
  for (const TNamed& b : before)
    for (const TNamed& a : after)
      if (a.first == b.first) {
        benchmark::RegisterBenchmark((b.first + "/before").c_str(), b.second);
        benchmark::RegisterBenchmark((a.first + "/after").c_str(), a.second);
      }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
EOF
# The benchmarks' header is the working tree's in both halves, so that both
# run the same argument tuples.
g++ -std=c++20 -O2 -g -I"$root/bench" -I"$work/base/src/packs" -I"$work/base/src/engine" -c "$work/before.cpp" -o "$work/before.o"
g++ -std=c++20 -O2 -g -I"$root/bench" -I"$root/src/packs" -I"$root/src/engine" -c "$work/after.cpp" -o "$work/after.o"
g++ -std=c++20 -O2 -c "$work/main.cpp" -o "$work/main.o"
g++ "$work/main.o" "$work/before.o" "$work/after.o" "$work/libhelmax_before.a" "$build/src/packs/libhelmax_packs.a" \
  "$build/src/engine/libhelmax_engine.a" -lbenchmark -lpthread -o "$work/compare-packs"
"$work/compare-packs" "$@"
