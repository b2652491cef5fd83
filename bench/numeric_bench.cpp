// The numerical tools against what a numerical programmer would use
// instead, in the same run:
// - 200 × 200 real and complex systems (solve, determinant, inverse) by our
//   elimination and by Eigen's partial-pivot LU (target: within 2×);
// - natural splines of 10^3 to 10^6 points (target: linear time; the fitted
//   complexity is printed);
// - integrals to 1e-14 by our global adaptive Gauss–Kronrod routine and by
//   Boost's recursive Gauss–Kronrod quadrature at equal achieved error, with
//   the evaluations, errors and ratios (ours / Boost) as counters.
// The program ends with the ratios ours / theirs of every pair
// BM_<Task>_Ours, BM_<Task>_<Other> that ran.
#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <cfloat>
#include <cmath>
#include <complex>
#include <cstdio>
#include <ctime>
#include <map>
#include <random>
#include <string>

#include "DenseLinearSolver.h"
#include "GaussQuadrature.h"
#include "Interpolation.h"

namespace {

using namespace helmax;

constexpr int kSize = 200;

// Random entries in [-1, 1] with a dominant diagonal: well conditioned.
std::vector<double> RealMatrix(int n) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> u(-1, 1);
  std::vector<double> a(static_cast<std::size_t>(n * n));
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) a[static_cast<std::size_t>(i * n + j)] = u(rng) + (i == j ? n : 0);
  return a;
}

std::vector<TComplex> ComplexMatrix(int n) {
  std::mt19937_64 rng(8);
  std::uniform_real_distribution<double> u(-1, 1);
  std::vector<TComplex> a(static_cast<std::size_t>(n * n));
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) a[static_cast<std::size_t>(i * n + j)] = {u(rng) + (i == j ? n : 0), u(rng)};
  return a;
}

Eigen::MatrixXd ToEigen(const std::vector<double>& a, int n) {
  Eigen::MatrixXd m(n, n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) m(i, j) = a[static_cast<std::size_t>(i * n + j)];
  return m;
}

Eigen::MatrixXcd ToEigen(const std::vector<TComplex>& a, int n) {
  Eigen::MatrixXcd m(n, n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const TComplex z = a[static_cast<std::size_t>(i * n + j)];
      m(i, j) = {z.Re, z.Im};
    }
  return m;
}

enum TTask { tkSolve, tkDeterminant, tkInverse };

template <class T>
void Ours(benchmark::State& state, const std::vector<T>& a, TTask task) {
  const std::vector<T> b(a.begin(), a.begin() + kSize);
  for (auto _ : state) {
    TDenseLuSolver<T> lu;
    lu.Factor(a, kSize, 1e-14);
    if (task == tkSolve) {
      std::vector<T> x = b;
      lu.Solve(x, 1);
      benchmark::DoNotOptimize(x.data());
    } else if (task == tkInverse) {
      std::vector<T> inverse;
      lu.Inverse(inverse);
      benchmark::DoNotOptimize(inverse.data());
    } else {
      benchmark::DoNotOptimize(lu.Determinant());
    }
  }
}

template <class M>
void Theirs(benchmark::State& state, const M& a, TTask task) {
  const typename M::ColXpr bColumn = const_cast<M&>(a).col(0);
  const Eigen::Matrix<typename M::Scalar, Eigen::Dynamic, 1> b = bColumn;
  for (auto _ : state) {
    Eigen::PartialPivLU<M> lu(a);
    if (task == tkSolve) {
      auto x = lu.solve(b).eval();
      benchmark::DoNotOptimize(x.data());
    } else if (task == tkInverse) {
      M inverse = lu.inverse();
      benchmark::DoNotOptimize(inverse.data());
    } else {
      benchmark::DoNotOptimize(lu.determinant());
    }
  }
}

const std::vector<double> kReal = RealMatrix(kSize);
const std::vector<TComplex> kComplex = ComplexMatrix(kSize);
const Eigen::MatrixXd kEigenReal = ToEigen(kReal, kSize);
const Eigen::MatrixXcd kEigenComplex = ToEigen(kComplex, kSize);

void BM_RealSolve_Ours(benchmark::State& s) { Ours(s, kReal, tkSolve); }
void BM_RealSolve_Eigen(benchmark::State& s) { Theirs(s, kEigenReal, tkSolve); }
void BM_RealDeterminant_Ours(benchmark::State& s) { Ours(s, kReal, tkDeterminant); }
void BM_RealDeterminant_Eigen(benchmark::State& s) { Theirs(s, kEigenReal, tkDeterminant); }
void BM_RealInverse_Ours(benchmark::State& s) { Ours(s, kReal, tkInverse); }
void BM_RealInverse_Eigen(benchmark::State& s) { Theirs(s, kEigenReal, tkInverse); }
void BM_ComplexSolve_Ours(benchmark::State& s) { Ours(s, kComplex, tkSolve); }
void BM_ComplexSolve_Eigen(benchmark::State& s) { Theirs(s, kEigenComplex, tkSolve); }
void BM_ComplexDeterminant_Ours(benchmark::State& s) { Ours(s, kComplex, tkDeterminant); }
void BM_ComplexDeterminant_Eigen(benchmark::State& s) { Theirs(s, kEigenComplex, tkDeterminant); }
void BM_ComplexInverse_Ours(benchmark::State& s) { Ours(s, kComplex, tkInverse); }
void BM_ComplexInverse_Eigen(benchmark::State& s) { Theirs(s, kEigenComplex, tkInverse); }

BENCHMARK(BM_RealSolve_Ours)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RealSolve_Eigen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RealDeterminant_Ours)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RealDeterminant_Eigen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RealInverse_Ours)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RealInverse_Eigen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComplexSolve_Ours)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComplexSolve_Eigen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComplexDeterminant_Ours)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComplexDeterminant_Eigen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComplexInverse_Ours)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComplexInverse_Eigen)->Unit(benchmark::kMicrosecond);

// ---- splines ------------------------------------------------------------------------

void BM_NaturalSpline(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  std::vector<double> x(n), f(n), m;
  for (std::size_t k = 0; k < n; ++k) {
    x[k] = static_cast<double>(k) * 0.01;
    f[k] = std::sin(x[k]);
  }
  for (auto _ : state) {
    NaturalSplineSecondDerivatives(x, f, m);
    benchmark::DoNotOptimize(m.data());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_NaturalSpline)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// ---- integration ----------------------------------------------------------------------

// Each integrand by our global adaptive Gauss–Kronrod routine and by Boost's
// recursive 15-point Gauss–Kronrod quadrature at equal achieved error: the
// target is the error our routine achieves at the default tolerance 1e-14
// (at least the rounding of the exact value), and each routine runs at the
// loosest of the tolerances 1e-4 ... 1e-14 that achieves it. The counters
// give both evaluation counts and errors and the ratios ours / Boost of
// evaluations and of time; also both routines' evaluations at 1e-14.
struct TIntegralCase {
  double (*F)(double);
  double From, To, Exact;
};

// 1/(1+x^2) + cos(3x) over [-4, 5]: smooth, with some work in it.
double Smooth(double t) { return 1 / (1 + t * t) + std::cos(3 * t); }
double Peak(double t) { return std::exp(-1e4 * (t - 0.3) * (t - 0.3)); }
double Oscillating(double t) { return std::sin(30 * t) + 1.5; }

const TIntegralCase kSmooth{Smooth, -4, 5, std::atan(5.0) + std::atan(4.0) + (std::sin(15.0) + std::sin(12.0)) / 3};
// sqrt(pi)/100 (erf(70) - erf(-30) are 1 within doubles)
const TIntegralCase kPeak{Peak, 0, 1, 0.017724538509055160273};
const TIntegralCase kOscillating{Oscillating, 0, 10, 15 + (1 - std::cos(300.0)) / 30};

struct TRun {
  double Value = 0, Error = HUGE_VAL, Tolerance = 0;
  std::int64_t Evaluations = 0;
};

TRun BoostGaussKronrod(const TIntegralCase& c, double tolerance) {
  TRun r;
  r.Tolerance = tolerance;
  r.Value = boost::math::quadrature::gauss_kronrod<double, 15>::integrate(
      [&](double t) {
        ++r.Evaluations;
        return c.F(t);
      },
      c.From, c.To, 15, tolerance);
  r.Error = std::fabs(r.Value - c.Exact);
  return r;
}

TRun OurGaussKronrod(const TIntegralCase& c, double tolerance) {
  TRun r;
  r.Tolerance = tolerance;
  const TQuadrature q = GaussIntegrate(tolerance, c.To, c.From, c.F);
  r.Value = q.Value;
  r.Evaluations = q.Evaluations;
  r.Error = std::fabs(r.Value - c.Exact);
  return r;
}

// The loosest of the tolerances 1e-4 ... 1e-14 at which `run` does no worse
// than `error` (or the most accurate when none does).
template <class TRunAt>
TRun LoosestAtError(TRunAt run, double error) {
  TRun best;
  for (double tolerance = 1e-4; tolerance > 5e-15; tolerance /= 10) {
    const TRun r = run(tolerance);
    if (r.Error <= error) return r;
    if (r.Error < best.Error) best = r;
  }
  return best;
}

void BM_Integral_OursVsBoost(benchmark::State& state, const TIntegralCase& c) {
  TRun atDefault;
  for (auto _ : state) {
    atDefault = OurGaussKronrod(c, 1e-14);
    benchmark::DoNotOptimize(atDefault.Value);
  }
  // Rounding of the exact value itself is no error.
  const double target = std::max(atDefault.Error, 2 * DBL_EPSILON * std::fabs(c.Exact));
  const TRun ours = LoosestAtError([&](double t) { return OurGaussKronrod(c, t); }, target);
  const TRun boost = LoosestAtError([&](double t) { return BoostGaussKronrod(c, t); }, target);
  // Processor time, which the machine's neighbours disturb less.
  auto seconds = [](auto&& run) {
    const int repeats = 2000;
    const std::clock_t t0 = std::clock();
    for (int i = 0; i < repeats; ++i) run();
    return static_cast<double>(std::clock() - t0) / CLOCKS_PER_SEC / repeats;
  };
  const double oursTime = seconds([&] { benchmark::DoNotOptimize(OurGaussKronrod(c, ours.Tolerance).Value); });
  const double boostTime = seconds([&] { benchmark::DoNotOptimize(BoostGaussKronrod(c, boost.Tolerance).Value); });
  state.counters["evaluations"] = static_cast<double>(ours.Evaluations);
  state.counters["error"] = ours.Error;
  state.counters["tolerance"] = ours.Tolerance;
  state.counters["boost_evaluations"] = static_cast<double>(boost.Evaluations);
  state.counters["boost_error"] = boost.Error;
  state.counters["boost_tolerance"] = boost.Tolerance;
  state.counters["evaluations_ratio"] = static_cast<double>(ours.Evaluations) / static_cast<double>(boost.Evaluations);
  state.counters["time_ratio"] = oursTime / boostTime;
  state.counters["evaluations_at_1e-14"] = static_cast<double>(atDefault.Evaluations);
  state.counters["boost_evaluations_at_1e-14"] = static_cast<double>(BoostGaussKronrod(c, 1e-14).Evaluations);
}

BENCHMARK_CAPTURE(BM_Integral_OursVsBoost, Smooth, kSmooth)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Integral_OursVsBoost, Peak, kPeak)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Integral_OursVsBoost, Oscillating, kOscillating)->Unit(benchmark::kMicrosecond);

// Console output, keeping the CPU time per iteration of every benchmark (on
// a shared machine the steadier measure).
class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> Seconds;
  void ReportRuns(const std::vector<Run>& reports) override {
    for (const Run& r : reports)
      if (r.run_type == Run::RT_Iteration && r.iterations > 0)
        Seconds[r.benchmark_name()] = r.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
    ConsoleReporter::ReportRuns(reports);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const std::string suffix = "_Ours";
  bool header = false;
  for (const auto& [name, ours] : reporter.Seconds) {
    if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) continue;
    const std::string task = name.substr(0, name.size() - suffix.size() + 1);  // BM_<Task>_
    for (const auto& [other, theirs] : reporter.Seconds) {
      if (other == name || other.rfind(task, 0) != 0 || other.find('_', task.size()) != std::string::npos) continue;
      if (!header) std::printf("\nCPU time ratios, ours / theirs:\n");
      header = true;
      std::printf("  %-28s ours / %-18s %6.2f\n", task.substr(3, task.size() - 4).c_str(),
                  other.substr(task.size()).c_str(), theirs > 0 ? ours / theirs : 0.0);
    }
  }
  return 0;
}
