// The numerical tools against what a numerical programmer would use
// instead, in the same run:
// - 200 × 200 real and complex systems (solve, determinant, inverse) by our
//   elimination and by Eigen's partial-pivot LU (target: within 2×);
// - natural splines of 10^3 to 10^6 points (target: linear time; the fitted
//   complexity is printed);
// - an integral of a smooth function to 1e-14 by our adaptive Gauss rule
//   and by Boost's Gauss–Kronrod quadrature, with the integrand
//   evaluations of each as counters.
// The program ends with the ratios ours / theirs of every pair
// BM_<Task>_Ours, BM_<Task>_<Other> that ran.
#include <benchmark/benchmark.h>

#include <Eigen/Dense>
#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <cmath>
#include <complex>
#include <cstdio>
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
BENCHMARK(BM_NaturalSpline)->RangeMultiplier(10)->Range(1000, 1000000)->Complexity(benchmark::oN)->Unit(benchmark::kMicrosecond);

// ---- integration ----------------------------------------------------------------------

// A smooth integrand with some work in it: 1/(1+x^2) + cos(3x) over [-4, 5].
double Smooth(double t) { return 1 / (1 + t * t) + std::cos(3 * t); }

void BM_Integral_Ours(benchmark::State& state) {
  std::int64_t evaluations = 0;
  double value = 0;
  for (auto _ : state) {
    evaluations = 0;
    value = GaussIntegrate(1e-14, 5, -4, [&](double t) {
      ++evaluations;
      return TPointValue{TPointStatus::Ok, Smooth(t)};
    });
    benchmark::DoNotOptimize(value);
  }
  state.counters["evaluations"] = static_cast<double>(evaluations);
  state.counters["error"] = std::fabs(value - (std::atan(5.0) + std::atan(4.0) + (std::sin(15.0) + std::sin(12.0)) / 3));
}

void BM_Integral_BoostGaussKronrod(benchmark::State& state) {
  std::int64_t evaluations = 0;
  double value = 0;
  for (auto _ : state) {
    evaluations = 0;
    value = boost::math::quadrature::gauss_kronrod<double, 15>::integrate(
        [&](double t) {
          ++evaluations;
          return Smooth(t);
        },
        -4.0, 5.0, 20, 1e-14);
    benchmark::DoNotOptimize(value);
  }
  state.counters["evaluations"] = static_cast<double>(evaluations);
  state.counters["error"] = std::fabs(value - (std::atan(5.0) + std::atan(4.0) + (std::sin(15.0) + std::sin(12.0)) / 3));
}

BENCHMARK(BM_Integral_Ours)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Integral_BoostGaussKronrod)->Unit(benchmark::kMicrosecond);

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
      std::printf("  %-28s ours / %-18s %6.2f\n", task.substr(3, task.size() - 4).c_str(), other.substr(task.size()).c_str(),
                  theirs > 0 ? ours / theirs : 0.0);
    }
  }
  return 0;
}
