#include "Interpolation.h"

#include <algorithm>
#include <climits>
#include <cmath>
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

namespace {

// Products of many differences leave the range of doubles, and their
// roundings add up: they are taken in long double (64-bit mantissas) and
// kept as a mantissa and a power of two.
struct TScaledProduct {
  long double Mantissa = 1.0L;
  int Exponent = 0;
  void Take(long double& factor) {
    int e = 0;
    factor = std::frexp(factor, &e);
    Exponent += e;
  }
};

constexpr long double kFar = 0x1p8000L;

// Π (xi - x(m))·scale over m in [from, to). When every factor is known to
// lie between 2^-101 and 4 in modulus (blocks), four running products are
// brought back near 1 only every 16 steps; one step at a time otherwise.
void MultiplyDifferences(TScaledProduct& p, const double* x, std::size_t from, std::size_t to, double xi, double scale,
                         bool blocks) {
  const long double s = scale, t = xi;
  std::size_t m = from;
  if (blocks) {
    long double p0 = 1, p1 = 1, p2 = 1, p3 = 1;
    while (m + 4 <= to) {
      const std::size_t end = std::min(to - (to - m) % 4, m + 64);
      for (; m < end; m += 4) {
        p0 *= (t - x[m]) * s;
        p1 *= (t - x[m + 1]) * s;
        p2 *= (t - x[m + 2]) * s;
        p3 *= (t - x[m + 3]) * s;
      }
      p.Take(p0);
      p.Take(p1);
      p.Take(p2);
      p.Take(p3);
    }
    p.Mantissa *= (p0 * p1) * (p2 * p3);
  }
  for (; m < to; ++m) {
    p.Mantissa *= (t - x[m]) * s;
    const long double size = std::fabs(p.Mantissa);
    if (!(size >= 1 / kFar && size <= kFar)) p.Take(p.Mantissa);
  }
  p.Take(p.Mantissa);
}

}  // namespace

TLagrangeWeights LagrangeWeights(const std::vector<double>& x, const TStopTest& stop) {
  TLagrangeWeights weights;
  const std::size_t n = x.size();
  weights.W.assign(n, 1.0);
  if (n < 2) return weights;
  const auto [lo, hi] = std::minmax_element(x.begin(), x.end());
  // Differences in units of about a quarter of the range (the capacity of
  // an interval) keep the products of well spread points of moderate size;
  // a power of two, so that the scaling is exact.
  weights.Scale = std::ldexp(1.0, 1 - std::ilogb(*hi - *lo));
  std::vector<double> sorted = x;
  std::sort(sorted.begin(), sorted.end());
  double closest = HUGE_VAL;
  for (std::size_t k = 1; k < n; ++k) closest = std::min(closest, (sorted[k] - sorted[k - 1]) * weights.Scale);
  weights.Blocks = closest >= 0x1p-100;
  std::vector<int> exponents(n);
  int largest = INT_MIN;
  for (std::size_t i = 0; i < n; ++i) {
    if (i % 64 == 0 && StopAsked(stop)) throw TWorkStopped{};
    TScaledProduct p;
    MultiplyDifferences(p, x.data(), 0, i, x[i], weights.Scale, weights.Blocks);
    MultiplyDifferences(p, x.data(), i + 1, n, x[i], weights.Scale, weights.Blocks);
    // 1/(m·2^e) = (1/m)·2^-e with 1/m in (1, 2].
    weights.W[i] = static_cast<double>(1 / p.Mantissa);
    exponents[i] = -p.Exponent;
    largest = std::max(largest, exponents[i]);
  }
  for (std::size_t i = 0; i < n; ++i) weights.W[i] = std::ldexp(weights.W[i], exponents[i] - largest);
  weights.Exponent = largest;
  return weights;
}

// The first barycentric form, p(t) = l(t)·Σ w(i)·f(i)/(t - x(i)) with
// l(t) = Π (t - x(i)), which is as accurate as the data allow at any t (the
// quotient form is not, far from the points or between close ones). All in
// the scaled units of the weights; the nearest point's factor is taken out
// of l and put into every term, (t - x(near))/(t - x(i)) at most 1, so that
// nothing overflows however close t is to a point.
double LagrangeValue(const std::vector<double>& x, const std::vector<double>& f, const TLagrangeWeights& weights,
                     double t) {
  const std::size_t n = x.size();
  std::size_t near = 0;
  for (std::size_t i = 1; i < n; ++i)
    if (std::fabs(t - x[i]) < std::fabs(t - x[near])) near = i;
  const long double closest = static_cast<long double>(t) - x[near];
  if (closest == 0) return f[near];
  TScaledProduct others;
  MultiplyDifferences(others, x.data(), 0, near, t, weights.Scale, weights.Blocks);
  MultiplyDifferences(others, x.data(), near + 1, n, t, weights.Scale, weights.Blocks);
  long double sum = 0;
  for (std::size_t i = 0; i < n; ++i)
    sum += i == near ? static_cast<long double>(weights.W[i]) * f[i]
                     : static_cast<long double>(weights.W[i]) * f[i] * (closest / (static_cast<long double>(t) - x[i]));
  return static_cast<double>(std::ldexp(others.Mantissa * sum, others.Exponent + weights.Exponent));
}

double LagrangeValue(const std::vector<double>& x, const std::vector<double>& f, double t, const TStopTest& stop) {
  return LagrangeValue(x, f, LagrangeWeights(x, stop), t);
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
  const double g = (m[i] - m[i - 1]) / h;
  const double chord = (f[i] - f[i - 1]) / h;
  if (t - x[i - 1] < x[i] - t) {
    // About the start: the slope there is chord - h·(2·M(i-1) + M(i))/6.
    const double d = t - x[i - 1];
    const double s = chord - h * (2 * m[i - 1] + m[i]) / 6;
    return f[i - 1] + s * d + m[i - 1] * d * d / 2 + g * d * d * d / 6;
  }
  const double d = t - x[i];
  const double s = h * m[i] / 2 - h * h * g / 6 + chord;
  return f[i] + s * d + m[i] * d * d / 2 + g * d * d * d / 6;
}

}  // namespace helmax
