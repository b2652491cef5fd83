#include "Interpolation.h"

#include <algorithm>
#include <numeric>

#include "BandSolvers.h"
#include "SameValueApprox.h"

namespace helmax {

std::vector<std::size_t> SortingOrder(const std::vector<double>& x) {
  std::vector<std::size_t> order(x.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return x[a] < x[b]; });
  return order;
}

void SortPoints(std::vector<double>& x, std::vector<double>& f) {
  if (std::is_sorted(x.begin(), x.end())) return;
  const std::vector<std::size_t> order = SortingOrder(x);
  std::vector<double> sx(x.size()), sf(f.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    sx[i] = x[order[i]];
    sf[i] = f[order[i]];
  }
  x.swap(sx);
  f.swap(sf);
}

bool HasEqualNeighbours(const std::vector<double>& x) {
  return std::adjacent_find(x.begin(), x.end()) != x.end();
}

double LagrangeValue(const std::vector<double>& x, const std::vector<double>& f, double t, const TStopTest& stop) {
  double sum = 0.0;
  const std::size_t n = x.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i % 256 == 0 && StopAsked(stop)) throw TWorkStopped{};
    double term = f[i];
    for (std::size_t m = 0; m < n; ++m)
      if (m != i) term *= (t - x[m]) / (x[i] - x[m]);
    sum += term;
  }
  return sum;
}

namespace {

// The right part of the spline equation at interior point k.
inline double SlopeJump(const std::vector<double>& x, const std::vector<double>& f, std::size_t k) {
  return 6.0 * ((f[k + 1] - f[k]) / (x[k + 1] - x[k]) - (f[k] - f[k - 1]) / (x[k] - x[k - 1]));
}

}  // namespace

std::string NaturalSplineSecondDerivatives(const std::vector<double>& x, const std::vector<double>& f,
                                           std::vector<double>& m) {
  const std::size_t n = x.size() - 1;  // points 0..n
  m.assign(n + 1, 0.0);
  // Row k of the solver is point k + 1; M(0) = M(n) = 0.
  TTridiagonalSolver solver;
  solver.SetSize(static_cast<std::int64_t>(n) - 2);
  if (solver.Size() < 0) return solver.Status();
  for (std::size_t k = 1; k < n; ++k) {
    const std::int64_t row = static_cast<std::int64_t>(k) - 1;
    const double left = x[k] - x[k - 1], right = x[k + 1] - x[k];
    solver.Set(row, TBandCoefficient::Lower, k == 1 ? 0.0 : left);
    solver.Set(row, TBandCoefficient::Diagonal, 2.0 * (left + right));
    solver.Set(row, TBandCoefficient::Upper, k + 1 == n ? 0.0 : right);
    solver.Set(row, TBandCoefficient::Right, SlopeJump(x, f, k));
  }
  if (!solver.Solve()) return solver.Status();
  for (std::size_t k = 1; k < n; ++k) m[k] = solver.Solution(static_cast<std::int64_t>(k) - 1);
  return {};
}

std::string PeriodicSplineSecondDerivatives(const std::vector<double>& x, const std::vector<double>& f,
                                            std::vector<double>& m) {
  const std::size_t n = x.size() - 1;  // points 0..n, M(n) = M(0)
  m.assign(n + 1, 0.0);
  TCyclicTridiagonalSolver solver;
  solver.SetSize(static_cast<std::int64_t>(n) - 1);
  if (solver.Size() < 0) return solver.Status();
  // Row 0 closes the curve: point n - 1, point 0 (= n) and point 1.
  const double last = x[n] - x[n - 1], first = x[1] - x[0];
  solver.Set(0, TBandCoefficient::Lower, last);
  solver.Set(0, TBandCoefficient::Diagonal, 2.0 * (last + first));
  solver.Set(0, TBandCoefficient::Upper, first);
  solver.Set(0, TBandCoefficient::Right, 6.0 * ((f[1] - f[0]) / first - (f[n] - f[n - 1]) / last));
  for (std::size_t k = 1; k < n; ++k) {
    const std::int64_t row = static_cast<std::int64_t>(k);
    const double left = x[k] - x[k - 1], right = x[k + 1] - x[k];
    solver.Set(row, TBandCoefficient::Lower, left);
    solver.Set(row, TBandCoefficient::Diagonal, 2.0 * (left + right));
    solver.Set(row, TBandCoefficient::Upper, right);
    solver.Set(row, TBandCoefficient::Right, SlopeJump(x, f, k));
  }
  if (!solver.Solve()) return solver.Status();
  for (std::size_t k = 0; k < n; ++k) m[k] = solver.Solution(static_cast<std::int64_t>(k));
  m[n] = m[0];
  return {};
}

std::size_t SplineInterval(const std::vector<double>& x, double t) {
  const std::size_t n = x.size() - 1;
  // The first node at or beyond t ends the first interval holding t.
  const std::size_t k = static_cast<std::size_t>(std::lower_bound(x.begin(), x.end(), t) - x.begin());
  std::size_t i;
  if (k == 0) {
    if (t != x[0] && !SameRealApprox(t, x[0])) return 0;
    i = 1;
  } else if (k > n) {
    if (!SameRealApprox(t, x[n])) return 0;
    i = n;
  } else {
    i = k;
  }
  // A t that equals the interval's start within the tolerance belongs to
  // the interval before, which it ends.
  if (i > 1 && SameRealApprox(t, x[i - 1])) --i;
  return i;
}

double SplineValue(const std::vector<double>& x, const std::vector<double>& f, const std::vector<double>& m,
                   std::size_t i, double t) {
  const double h = x[i] - x[i - 1];
  const double d = t - x[i];
  const double g = (m[i] - m[i - 1]) / h;
  const double s = h * m[i] / 2 - h * h * g / 6 + (f[i] - f[i - 1]) / h;
  return f[i] + s * d + m[i] * d * d / 2 + g * d * d * d / 6;
}

}  // namespace helmax
