// Lagrange polynomials and cubic splines on point arrays, with independent
// oracles: polynomial data, a piecewise cubic built from chosen second
// derivatives, and a dense solve of the periodic equations (Eigen).
#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cmath>
#include <numbers>

#include "Interpolation.h"

using namespace helmax;

namespace {

TEST(Lagrange, IsExactOnPolynomialData) {
  // p(t) = 2t^5 - t^3 + 4t - 7 through 6 and through 9 unsorted points.
  auto p = [](double t) { return 2 * std::pow(t, 5) - t * t * t + 4 * t - 7; };
  for (std::vector<double> x :
       {std::vector<double>{-2, -1, 0, 0.5, 1, 2}, std::vector<double>{3, -3, 1, -1, 2, -2, 0, 0.25, -0.5}}) {
    std::vector<double> f;
    for (double t : x) f.push_back(p(t));
    SortPoints(x, f);
    for (double t : {-1.7, -0.3, 0.77, 1.9})
      EXPECT_NEAR(LagrangeValue(x, f, t), p(t), 1e-12 * (1 + std::fabs(p(t)))) << t;
  }
  EXPECT_DOUBLE_EQ(LagrangeValue({0, 1, 2, 3}, {0, 1, 4, 9}, 1.5), 2.25);
}

// Chebyshev points of the first kind, ascending, and cos(3x) on them.
void ChebyshevSheet(std::size_t n, std::vector<double>& x, std::vector<double>& f) {
  x.resize(n);
  f.resize(n);
  for (std::size_t j = 0; j < n; ++j) {
    x[j] = -std::cos((2.0L * j + 1) * std::numbers::pi_v<long double> / (2.0L * n));
    f[j] = std::cos(3 * x[j]);
  }
}

// An independent reference: the barycentric quotient in long double with
// the closed-form weights of Chebyshev points, (-1)^j sin((2j+1)π/2n).
long double ChebyshevReference(const std::vector<double>& x, const std::vector<double>& f, double t) {
  const std::size_t n = x.size();
  long double numerator = 0, denominator = 0;
  for (std::size_t j = 0; j < n; ++j) {
    if (t == x[j]) return f[j];
    const long double w =
        (j % 2 ? -1.0L : 1.0L) * std::sin((2.0L * j + 1) * std::numbers::pi_v<long double> / (2.0L * n));
    const long double term = w / (static_cast<long double>(t) - x[j]);
    numerator += term * f[j];
    denominator += term;
  }
  return numerator / denominator;
}

// The defining product sum in long double, whose range holds the products
// of some hundreds of points.
long double ProductReference(const std::vector<double>& x, const std::vector<double>& f, double t) {
  long double sum = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    long double term = f[i];
    for (std::size_t m = 0; m < x.size(); ++m)
      if (m != i) term *= (static_cast<long double>(t) - x[m]) / (static_cast<long double>(x[i]) - x[m]);
    sum += term;
  }
  return sum;
}

TEST(Lagrange, ChebyshevSheetsUpToAHundredThousandPoints) {
  const std::vector<double> at = {-1.0, -0.9, -0.3141592653589793, 1e-9, 0.5, 0.9, 0.999999};
  for (std::size_t n : {5, 40, 700, 10000, 100000}) {
    std::vector<double> x, f;
    ChebyshevSheet(n, x, f);
    const TLagrangeWeights w = LagrangeWeights(x);
    for (double t : at) {
      const double value = LagrangeValue(x, f, w, t);
      EXPECT_NEAR(value, static_cast<double>(ChebyshevReference(x, f, t)), 4e-15) << n << " at " << t;
      if (n <= 700) { EXPECT_NEAR(value, static_cast<double>(ProductReference(x, f, t)), 4e-15) << n << " at " << t; }
    }
    // Every point gives its own data.
    for (std::size_t j = 0; j < n; j += n / 5) EXPECT_EQ(LagrangeValue(x, f, w, x[j]), f[j]) << n;
  }
  // 700 points of cos(3x): the value at -0.9 is cos(2.7).
  std::vector<double> x, f;
  ChebyshevSheet(700, x, f);
  EXPECT_NEAR(LagrangeValue(x, f, -0.9), -0.904072142017061, 1e-15);
}

TEST(Lagrange, AgreesWithTheProductFormOnSmallUnevenSheets) {
  // Far from the middle the sum cancels: the agreement asked for is that of
  // a few roundings of each term, the problem's own condition.
  const std::vector<double> x = {-3, -2.5, -0.1, 0, 1e-3, 2, 7.25, 7.5, 40};
  std::vector<double> f;
  for (double t : x) f.push_back(std::exp(t / 10) - t);
  for (double t : {-2.9, -0.05, 5e-4, 3.3, 7.3, 39.0}) {
    long double terms = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
      std::vector<double> unit(x.size(), 0.0);
      unit[i] = 1;
      terms += std::fabs(ProductReference(x, unit, t) * f[i]);
    }
    const long double reference = ProductReference(x, f, t);
    EXPECT_NEAR(LagrangeValue(x, f, t), static_cast<double>(reference), static_cast<double>(8e-16L * terms)) << t;
  }
}

TEST(Splines, KnotsGiveTheirDataExactly) {
  const std::vector<double> x = {0, 0.1, 0.35, 0.4, 1.1, 2.9, 3};
  std::vector<double> f;
  for (double t : x) f.push_back(std::sin(7 * t) - 0.3);
  std::vector<double> m;
  ASSERT_EQ(NaturalSplineSecondDerivatives(x, f, m), "");
  for (std::size_t i = 1; i < x.size(); ++i) {
    EXPECT_EQ(SplineValue(x, f, m, i, x[i - 1]), f[i - 1]) << i;
    EXPECT_EQ(SplineValue(x, f, m, i, x[i]), f[i]) << i;
  }
}

TEST(Splines, NaturalExampleHasExactSecondDerivatives) {
  std::vector<double> m;
  ASSERT_EQ(NaturalSplineSecondDerivatives({0, 1, 2, 3}, {0, 1, 0, 1}, m), "");
  EXPECT_EQ(m, (std::vector<double>{0, -4, 4, 0}));
}

TEST(Splines, NaturalSplineRecoversAKnownPiecewiseCubic) {
  // Chosen second derivatives (multiples of 6, ends 0) and unit steps fix
  // the slopes d(k) = d(k-1) + (M(k-1) + 4M(k) + M(k+1))/6 and so the
  // values: integer data whose spline is known exactly.
  const std::vector<double> chosen = {0, 6, -12, 18, 0, -6, 24, 0};
  const std::size_t n = chosen.size() - 1;
  std::vector<double> x(n + 1), f(n + 1);
  double slope = 1;
  f[0] = 3;
  for (std::size_t k = 0; k < n; ++k) {
    if (k > 0) slope += (chosen[k - 1] + 4 * chosen[k] + chosen[k + 1]) / 6;
    x[k + 1] = static_cast<double>(k + 1);
    f[k + 1] = f[k] + slope;
  }
  std::vector<double> m;
  ASSERT_EQ(NaturalSplineSecondDerivatives(x, f, m), "");
  for (std::size_t k = 0; k <= n; ++k) EXPECT_NEAR(m[k], chosen[k], 1e-12) << k;
  // It passes through every point.
  for (std::size_t k = 0; k <= n; ++k) {
    const std::size_t i = SplineInterval(x, x[k]);
    EXPECT_NEAR(SplineValue(x, f, m, i, x[k]), f[k], 1e-12) << k;
  }
}

TEST(Splines, PeriodicSplineSolvesTheCyclicEquations) {
  const std::size_t n = 24;
  std::vector<double> x(n + 1), f(n + 1);
  for (std::size_t k = 0; k <= n; ++k) {
    // Uneven steps over one period of sin.
    const double step = static_cast<double>(k) / n;
    x[k] = 2 * std::numbers::pi * (step + 0.3 * std::sin(2 * std::numbers::pi * step) / n);
    f[k] = std::sin(x[k]);
  }
  f[n] = f[0];
  std::vector<double> m;
  ASSERT_EQ(PeriodicSplineSecondDerivatives(x, f, m), "");
  EXPECT_EQ(m[n], m[0]);
  // The same equations, solved densely.
  Eigen::MatrixXd a = Eigen::MatrixXd::Zero(n, n);
  Eigen::VectorXd r(n);
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t prev = k == 0 ? n - 1 : k - 1;
    const double hl = k == 0 ? x[n] - x[n - 1] : x[k] - x[k - 1];
    const double hr = x[k + 1] - x[k];
    const double fl = k == 0 ? f[n - 1] : f[k - 1];
    a(k, prev) += hl;
    a(k, k) += 2 * (hl + hr);
    a(k, (k + 1) % n) += hr;
    r(k) = 6 * ((f[k + 1] - f[k]) / hr - (f[k] - fl) / hl);
  }
  const Eigen::VectorXd expected = a.partialPivLu().solve(r);
  for (std::size_t k = 0; k < n; ++k) EXPECT_NEAR(m[k], expected(k), 1e-13) << k;
  // And it follows sin closely between the points.
  for (double t : {0.1, 1.0, 3.3, 6.0}) {
    const std::size_t i = SplineInterval(x, t);
    ASSERT_GT(i, 0u);
    EXPECT_NEAR(SplineValue(x, f, m, i, t), std::sin(t), 2e-3) << t;
  }
}

TEST(Splines, IntervalsIncludeEndsWithinTheTolerance) {
  const std::vector<double> x = {0, 1, 2, 3};
  EXPECT_EQ(SplineInterval(x, 0), 1u);
  EXPECT_EQ(SplineInterval(x, 1), 1u);  // the first interval holding it
  EXPECT_EQ(SplineInterval(x, 1.5), 2u);
  EXPECT_EQ(SplineInterval(x, 3), 3u);
  EXPECT_EQ(SplineInterval(x, 3 + 1e-14), 3u);
  EXPECT_EQ(SplineInterval(x, -1e-14), 1u);
  EXPECT_EQ(SplineInterval(x, 3.001), 0u);
  EXPECT_EQ(SplineInterval(x, -0.5), 0u);
  EXPECT_EQ(SplineInterval(x, std::nan("")), 0u);
}

TEST(Splines, LongSplinesStayLinearInMemoryAndTime) {
  // 10^5 points: a quadratic run of the solver would not finish here.
  const std::size_t n = 100000;
  std::vector<double> x(n), f(n), m;
  for (std::size_t k = 0; k < n; ++k) {
    x[k] = static_cast<double>(k) / 1000;
    f[k] = std::cos(x[k]);
  }
  ASSERT_EQ(NaturalSplineSecondDerivatives(x, f, m), "");
  // The second derivative of cos is -cos, away from the natural ends.
  EXPECT_NEAR(m[n / 2], -std::cos(x[n / 2]), 1e-6);
}

}  // namespace
