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
  for (std::vector<double> x : {std::vector<double>{-2, -1, 0, 0.5, 1, 2}, std::vector<double>{3, -3, 1, -1, 2, -2, 0, 0.25, -0.5}}) {
    std::vector<double> f;
    for (double t : x) f.push_back(p(t));
    SortPoints(x, f);
    for (double t : {-1.7, -0.3, 0.77, 1.9}) EXPECT_NEAR(LagrangeValue(x, f, t), p(t), 1e-12 * (1 + std::fabs(p(t)))) << t;
  }
  EXPECT_DOUBLE_EQ(LagrangeValue({0, 1, 2, 3}, {0, 1, 4, 9}, 1.5), 2.25);
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
