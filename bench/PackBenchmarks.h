// The benchmarks of bench/packs_bench: per-call cost of every distribution
// and finance function, called through its registration as the engine
// calls it. Each benchmark cycles through a few argument tuples of its
// function (the centre and the tails, small and large parameters), so a
// figure is the mean cost of one call. Kept in a header so that
// bench/compare-packs.sh can build the same benchmarks against an earlier
// revision of the packs and run both in one Google Benchmark run.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "DateTimePackInternal.h"
#include "Distributions.h"

namespace helmax::bench {

using Args = std::vector<double>;
// A benchmark's name and body, to be registered by the caller.
using TNamedBenchmark = std::pair<std::string, std::function<void(benchmark::State&)>>;

struct TBenchCase {
  const char* Name;
  std::vector<Args> Points;
};

// Arguments of every distribution function: typical values and tails.
inline const std::vector<TBenchCase>& DistributionCases() {
  static const std::vector<TBenchCase> cases = {
      {"Gamma", {{0.3}, {5.5}, {-2.5}, {120.25}}},
      {"LnGamma", {{0.3}, {5.5}, {1e4}, {-1.5}}},
      {"InverseGamma", {{0.3}, {5.5}, {-7.5}, {60}}},
      {"IncompleteGamma", {{0.5, 0.2}, {3, 10}, {40, 30}, {900, 1000}}},
      {"IncompleteGamma2", {{0.5, 0.2}, {3, 10}, {40, 30}, {100, 300}}},
      {"Beta", {{0.5, 0.5}, {3, 7}, {1, 100}, {40, 60}}},
      {"LnBeta", {{0.5, 0.5}, {3, 7}, {1e4, 2}, {400, 600}}},
      {"IncompleteBeta", {{0.2, 2, 3}, {0.7, 10, 4}, {0.01, 0.5, 50}, {0.5, 100, 100}}},
      {"Hermite", {{0.5, 3}, {2, 10}, {-1.5, 30}, {3, 60}}},
      {"Permutation", {{10, 3}, {50, 20}, {170, 100}, {5, 5}}},
      {"BinomialCoeff", {{10, 3}, {50, 20}, {1000, 500}, {200, 7}}},
      {"NormalZ", {{0}, {1.5}, {-4}, {8}}},
      {"NormalPDF", {{0, 0, 1}, {1.5, 1, 2}, {-4, 0, 0.5}, {8, 1, 1}}},
      {"NormalLess", {{0}, {1.5}, {4}, {8}}},
      {"NormalGreater", {{0}, {1.5}, {4}, {8}}},
      {"InvNormalLess", {{0.5}, {0.975}, {1e-6}, {0.999999}}},
      {"InvNormalGreater", {{0.5}, {0.025}, {1e-6}, {0.999999}}},
      {"ZAlpha", {{0.05}, {0.01}, {1e-6}, {0.5}}},
      {"NormalDistLess", {{0, 1, 0.5}, {1, 2, -3}, {0, 1, -9}, {2, 0.5, 4}}},
      {"NormalDistGreater", {{0, 1, 0.5}, {1, 2, -3}, {0, 1, 9}, {2, 0.5, 4}}},
      {"NormalDistBetween", {{0, 1, -1, 1}, {1, 2, 0, 5}, {0, 1, 6, 7}, {0, 1, -7, -6}}},
      {"InvNormalDistLess", {{0, 1, 0.5}, {1, 2, 0.975}, {0, 1, 1e-6}, {2, 0.5, 0.3}}},
      {"InvNormalDistGreater", {{0, 1, 0.5}, {1, 2, 0.025}, {0, 1, 1e-6}, {2, 0.5, 0.3}}},
      {"LogNormalPDF", {{1, 0, 1}, {2.5, 0.5, 0.25}, {0.01, 0, 2}, {100, 1, 1}}},
      {"LogNormalLess", {{0, 1, 1}, {0.5, 0.25, 2.5}, {0, 2, 0.01}, {1, 1, 100}}},
      {"LogNormalGreater", {{0, 1, 1}, {0.5, 0.25, 2.5}, {0, 2, 0.01}, {1, 1, 100}}},
      {"LogNormalBetween", {{0, 1, 0.5, 2}, {0.5, 0.25, 1, 3}, {0, 1, 0.01, 0.1}, {0, 1, 10, 100}}},
      {"InvLogNormalLess", {{0, 1, 0.5}, {0.5, 0.25, 0.975}, {0, 2, 1e-6}, {1, 1, 0.3}}},
      {"InvLogNormalGreater", {{0, 1, 0.5}, {0.5, 0.25, 0.025}, {0, 2, 1e-6}, {1, 1, 0.3}}},
      {"ChiSquareLess", {{3.84146, 1}, {10, 5}, {0.5, 30}, {300, 250}}},
      {"ChiSquareGreater", {{3.84146, 1}, {10, 5}, {100, 30}, {300, 250}}},
      {"ChiSquareBetween", {{1, 4, 1}, {2, 10, 5}, {10, 40, 30}, {200, 300, 250}}},
      {"InvChiSquare", {{0.95, 1}, {0.5, 5}, {0.000002, 30}, {0.999, 250}}},
      {"InvChiSquareLess", {{0.95, 1}, {0.5, 5}, {0.000002, 30}, {0.999, 250}}},
      {"InvChiSquareGreater", {{0.05, 1}, {0.5, 5}, {0.000002, 30}, {0.001, 250}}},
      {"FDistLess", {{1, 3, 7}, {0.2, 20, 5}, {5, 2, 60}, {0.01, 8, 8}}},
      {"FDistGreater", {{1, 3, 7}, {0.2, 20, 5}, {5, 2, 60}, {50, 8, 8}}},
      {"FDistBetween", {{0.5, 2, 3, 7}, {1, 4, 20, 5}, {0.1, 0.2, 2, 60}, {5, 10, 8, 8}}},
      {"InvFDistLess", {{0.95, 3, 7}, {0.5, 20, 5}, {0.01, 2, 60}, {0.999, 8, 8}}},
      {"InvFDistGreater", {{0.05, 3, 7}, {0.5, 20, 5}, {0.99, 2, 60}, {0.001, 8, 8}}},
      {"StudentTLess", {{0.5, 3}, {2, 10}, {-6, 30}, {15, 250}}},
      {"StudentTGreater", {{0.5, 3}, {2, 10}, {-6, 30}, {15, 250}}},
      {"StudentTBetween", {{-1, 1, 3}, {0, 2, 10}, {-6, -5, 30}, {3, 15, 250}}},
      {"InvStudentTLess", {{0.975, 3}, {0.5, 10}, {0.001, 30}, {0.3, 250}}},
      {"InvStudentTGreater", {{0.025, 3}, {0.5, 10}, {0.001, 30}, {0.7, 250}}},
      {"BinomialEq", {{0.5, 10, 4}, {0.1, 100, 30}, {0.77, 400, 300}, {0.99, 40, 40}}},
      {"BinomialLess", {{0.5, 10, 4}, {0.1, 100, 30}, {0.77, 400, 300}, {0.99, 40, 39}}},
      {"BinomialGreater", {{0.5, 10, 4}, {0.1, 100, 30}, {0.77, 400, 300}, {0.99, 40, 38}}},
      {"BinomialBetween", {{0.5, 10, 2, 6}, {0.1, 100, 5, 30}, {0.77, 400, 350, 300}, {0.3, 30, 12, 12}}},
      {"PoissonEq", {{2, 3}, {10, 25}, {200, 150}, {0.5, 40}}},
      {"PoissonLess", {{2, 3}, {10, 25}, {200, 150}, {0.5, 40}}},
      {"PoissonGreater", {{2, 3}, {10, 25}, {200, 150}, {0.5, 40}}},
      {"PoissonBetween", {{2, 1, 4}, {10, 25, 5}, {200, 150, 250}, {0.5, 20, 30}}},
      {"ExponentialLess", {{1, 0.5}, {2.5, 10}, {40, 1}, {0.1, 30}}},
      {"ExponentialGreater", {{1, 0.5}, {2.5, 10}, {40, 1}, {0.1, 30}}},
      {"ExponentialBetween", {{1, 0.5, 2}, {2.5, 10, 1}, {40, 1, 2}, {0.1, 3, 4}}},
  };
  return cases;
}

// Arguments of every financial function with fixed parameters: short and
// long loans, tiny and large rates, both payment times.
inline const std::vector<TBenchCase>& FinanceCases() {
  static const std::vector<TBenchCase> cases = {
      {"DoubleDecliningBalance", {{1000, 100, 5, 1}, {494671.41, 0, 100000, 100000}, {20000, 500, 30, 12}}},
      {"FutureValue", {{0.01, 12, -100, 0, 0}, {1e-7, 10000, -5, 1000, 1}, {0.05, 360, -500, 20000, 0}}},
      {"InterestPayment",
       {{0.01, 3, 12, 1000, 0, 0}, {0.004, 200, 360, 250000, 0, 1}, {1e-12, 2, 120, 0, -5176.91, 0}}},
      {"InterestRate", {{12, -88.85, 1000, 0, 0}, {360, -1193.54, 250000, 0, 1}, {10, -100, -500, 2000, 0}}},
      {"NumberOfPeriods", {{0.01, -88.85, 1000, 0, 0}, {0.004, -1193.54, 250000, 0, 1}, {-0.1, -1, 1000, 0, 0}}},
      {"Payment", {{0.01, 12, 1000, 0, 0}, {0.004, 360, 250000, -50000, 1}, {1e-7, 10000, 1e6, 0, 0}}},
      {"PeriodPayment", {{0.01, 3, 12, 1000, 0, 0}, {0.004, 200, 360, 250000, 0, 1}, {0.05, 30, 30, -25000, 5000, 0}}},
      {"PresentValue", {{0.01, 12, -88.85, 0, 0}, {0.004, 360, -1193.54, 0, 1}, {0.05, 30, 100, 5000, 0}}},
      {"SLNDepreciation", {{1000, 100, 5}, {20000, 500, 30}, {494671.41, 0, 100000}}},
      {"SYDDepreciation", {{1000, 100, 5, 1}, {20000, 500, 30, 12}, {494671.41, 0, 100000, 99999}}},
      {"InternalRateOfReturn", {{-100, 110, 0}, {-1000, 300, 400, 500, 200, 0.1}, {-500, 100, 200, 300, 0.1}}},
      {"NetPresentValue", {{0.1, -100, 110, 0}, {0.05, -1000, 300, 400, 500, 200, 1}, {0.2, -30, 190, -180, 100, 0}}},
  };
  return cases;
}

// Calls a registered function on real arguments; true when it gave a real.
class TCaller {
 public:
  explicit TCaller(const Args& args) : Values_(args.size()), Pointers_(args.size()) {
    for (std::size_t i = 0; i < args.size(); ++i) {
      Values_[i] = TValue::MakeReal(args[i]);
      Pointers_[i] = &Values_[i];
    }
  }
  TValue* const* Pointers() const { return Pointers_.data(); }
  int Count() const { return static_cast<int>(Values_.size()); }

 private:
  std::vector<TValue> Values_;
  std::vector<TValue*> Pointers_;
};

inline void AddDistributions(std::vector<TNamedBenchmark>& out) {
  static const TUserFuncArray functions = DistributionFunctions();
  for (const TBenchCase& c : DistributionCases()) {
    const TUserFuncRec* rec = nullptr;
    for (const TUserFuncRec& r : functions)
      if (r.Name == c.Name) rec = &r;
    if (rec == nullptr) throw std::runtime_error(std::string("unregistered function ") + c.Name);
    out.emplace_back(std::string("Distribution/") + c.Name, [rec, &c](benchmark::State& state) {
      std::vector<TCaller> calls;
      for (const Args& a : c.Points) calls.emplace_back(a);
      std::size_t i = 0;
      TValue result;
      for (auto _ : state) {
        const TCaller& call = calls[i];
        try {
          rec->Method(call.Pointers(), call.Count(), result);
        } catch (const std::exception&) {
          state.SkipWithError("the function failed");
          break;
        }
        benchmark::DoNotOptimize(result);
        i = i + 1 == calls.size() ? 0 : i + 1;
      }
    });
  }
}

inline void AddFinance(std::vector<TNamedBenchmark>& out) {
  const std::span<const TPackEntry> entries = dtpack::FinanceEntries();
  for (const TBenchCase& c : FinanceCases()) {
    const TPackEntry* entry = nullptr;
    for (const TPackEntry& e : entries)
      if (std::string(e.Name) == c.Name) entry = &e;
    if (entry == nullptr) throw std::runtime_error(std::string("unregistered function ") + c.Name);
    out.emplace_back(std::string("Finance/") + c.Name, [entry, &c](benchmark::State& state) {
      std::vector<TCaller> calls;
      for (const Args& a : c.Points) calls.emplace_back(a);
      std::size_t i = 0;
      TValue result;
      for (auto _ : state) {
        const TCaller& call = calls[i];
        try {
          entry->Function(TPackCall{call.Pointers(), call.Count(), nullptr}, result);
        } catch (const std::exception&) {
          state.SkipWithError("the function failed");
          break;
        }
        benchmark::DoNotOptimize(result);
        i = i + 1 == calls.size() ? 0 : i + 1;
      }
    });
  }
}

// Every distribution and finance benchmark, in table order.
inline std::vector<TNamedBenchmark> PackBenchmarks() {
  std::vector<TNamedBenchmark> out;
  AddDistributions(out);
  AddFinance(out);
  return out;
}

}  // namespace helmax::bench
