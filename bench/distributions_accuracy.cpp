// Worst relative error of every distributions-pack function against
// Boost.Math over the grids of tests/packs/DistributionGrid.h, and the time
// per call of ours (through its registration) and of the Boost.Math
// reference (long double).
#include <chrono>
#include <cstdio>
#include <exception>

#include "DistributionGrid.h"

int main() {
  using namespace helmax;
  using Clock = std::chrono::steady_clock;
  const TUserFuncArray functions = DistributionFunctions();
  std::printf("%-22s %8s %12s %10s %12s %12s\n", "function", "points", "worst rel", "bound", "ours ns", "boost ns");
  int failures = 0;
  for (const grid::TGridCase& c : grid::DistributionGrid()) {
    const TUserFuncRec& rec = grid::FindFunction(functions, c.Name);
    double worst = 0.0;
    volatile double sink = 0.0;
    const auto t0 = Clock::now();
    for (const grid::Args& a : c.Points) {
      try {
        sink = sink + grid::CallOurs(rec, a);
      } catch (const std::exception&) { ++failures; }
    }
    const auto t1 = Clock::now();
    for (const grid::Args& a : c.Points) sink = sink + static_cast<double>(c.Reference(a));
    const auto t2 = Clock::now();
    for (const grid::Args& a : c.Points) {
      try {
        const double e = grid::RelativeError(grid::CallOurs(rec, a), c.Reference(a), c.Floor);
        if (!(e <= worst)) worst = e;
      } catch (const std::exception&) {}
    }
    const double n = static_cast<double>(c.Points.size());
    std::printf("%-22s %8zu %12.3g %10.0e %12.0f %12.0f\n", c.Name.c_str(), c.Points.size(), worst, c.Bound,
                std::chrono::duration<double, std::nano>(t1 - t0).count() / n,
                std::chrono::duration<double, std::nano>(t2 - t1).count() / n);
  }
  if (failures > 0) std::printf("%d grid points failed\n", failures);
  return 0;
}
