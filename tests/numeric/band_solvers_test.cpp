// The tridiagonal and cyclic solvers against a dense solve (Eigen), and
// their status texts and limits.
#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cmath>
#include <random>

#include "BandSolvers.h"

using namespace helmax;

namespace {

// Fills rows 0..n with a random diagonally dominant band and returns the
// same system as a dense matrix (the cyclic corners when cyclic).
Eigen::MatrixXd FillRandom(TBandSolver& s, int n, bool cyclic, Eigen::VectorXd& right, std::mt19937_64& rng) {
  std::uniform_real_distribution<double> u(-1, 1);
  s.SetSize(n);
  Eigen::MatrixXd dense = Eigen::MatrixXd::Zero(n + 1, n + 1);
  right.resize(n + 1);
  for (int i = 0; i <= n; ++i) {
    const double a = u(rng), c = u(rng), d = 2.5 + 0.4 * u(rng), r = u(rng);
    s.Set(i, TBandCoefficient::Lower, a);
    s.Set(i, TBandCoefficient::Diagonal, d);
    s.Set(i, TBandCoefficient::Upper, c);
    s.Set(i, TBandCoefficient::Right, r);
    dense(i, i) = d;
    // With two rows the cyclic links fall on the same entries as the band.
    if (i > 0) dense(i, i - 1) += a;
    else if (cyclic) dense(0, n) += a;
    if (i < n) dense(i, i + 1) += c;
    else if (cyclic) dense(n, 0) += c;
    right(i) = r;
  }
  return dense;
}

TEST(BandSolvers, TridiagonalAgreesWithADenseSolve) {
  std::mt19937_64 rng(1);
  for (int n : {0, 1, 2, 10, 300}) {
    TTridiagonalSolver s;
    Eigen::VectorXd right;
    const Eigen::MatrixXd dense = FillRandom(s, n, false, right, rng);
    ASSERT_TRUE(s.Solve()) << s.Status();
    const Eigen::VectorXd y = dense.partialPivLu().solve(right);
    for (int i = 0; i <= n; ++i) EXPECT_NEAR(s.Solution(i), y(i), 1e-14 * (1 + std::fabs(y(i)))) << n << " " << i;
  }
}

TEST(BandSolvers, CyclicAgreesWithADenseSolve) {
  std::mt19937_64 rng(2);
  for (int n : {1, 2, 3, 10, 300}) {
    TCyclicTridiagonalSolver s;
    Eigen::VectorXd right;
    const Eigen::MatrixXd dense = FillRandom(s, n, true, right, rng);
    ASSERT_TRUE(s.Solve()) << s.Status();
    const Eigen::VectorXd y = dense.partialPivLu().solve(right);
    for (int i = 0; i <= n; ++i) EXPECT_NEAR(s.Solution(i), y(i), 1e-13 * (1 + std::fabs(y(i)))) << n << " " << i;
  }
}

TEST(BandSolvers, EntriesOutsideTheBandCountAsZero) {
  // Lower(0) and Upper(n) stay NaN, as sizing leaves them.
  TTridiagonalSolver s;
  s.SetSize(1);
  s.Set(0, TBandCoefficient::Diagonal, 2);
  s.Set(0, TBandCoefficient::Upper, 1);
  s.Set(0, TBandCoefficient::Right, 3);
  s.Set(1, TBandCoefficient::Lower, 1);
  s.Set(1, TBandCoefficient::Diagonal, 2);
  s.Set(1, TBandCoefficient::Right, 3);
  ASSERT_TRUE(s.Solve());
  EXPECT_DOUBLE_EQ(s.Solution(0), 1.0);
  EXPECT_DOUBLE_EQ(s.Solution(1), 1.0);
}

TEST(BandSolvers, StatusFollowsTheLifeOfTheSystem) {
  TTridiagonalSolver s;
  EXPECT_EQ(s.Status(), "NOT SOLVED");
  s.SetSize(1);
  EXPECT_TRUE(std::isnan(s.Get(0, TBandCoefficient::Diagonal)));
  EXPECT_TRUE(std::isnan(s.Get(2, TBandCoefficient::Diagonal)));
  for (int i = 0; i <= 1; ++i) {
    s.Set(i, TBandCoefficient::Lower, 1);
    s.Set(i, TBandCoefficient::Diagonal, 3);
    s.Set(i, TBandCoefficient::Upper, 1);
    s.Set(i, TBandCoefficient::Right, 1);
  }
  EXPECT_EQ(s.Status(), "NOT SOLVED");
  ASSERT_TRUE(s.Solve());
  EXPECT_EQ(s.Status(), "");
  EXPECT_TRUE(s.Solved());
  s.Set(1, TBandCoefficient::Right, 2);
  EXPECT_EQ(s.Status(), "NOT SOLVED");
  EXPECT_TRUE(std::isnan(s.Solution(0)));
}

TEST(BandSolvers, RowsThatDoNotDominateAreRefused) {
  struct TCase {
    double Lower, Diagonal;
  };
  // Weaker, equal, and equal to 14 digits.
  for (TCase c : {TCase{2, 1.5}, TCase{1, 1}, TCase{1, 1 + 1e-15}}) {
    TTridiagonalSolver s;
    s.SetSize(1);
    s.Set(0, TBandCoefficient::Diagonal, 10);
    s.Set(0, TBandCoefficient::Upper, 0);
    s.Set(0, TBandCoefficient::Right, 1);
    s.Set(1, TBandCoefficient::Lower, c.Lower);
    s.Set(1, TBandCoefficient::Diagonal, c.Diagonal);
    s.Set(1, TBandCoefficient::Right, 1);
    EXPECT_FALSE(s.Solve()) << c.Diagonal;
    EXPECT_EQ(s.Status(), "BAD SYSTEM");
  }
  // Row 0 is not tested.
  TTridiagonalSolver s;
  s.SetSize(1);
  s.Set(0, TBandCoefficient::Diagonal, 1);
  s.Set(0, TBandCoefficient::Upper, 5);
  s.Set(0, TBandCoefficient::Right, 1);
  s.Set(1, TBandCoefficient::Lower, 0);
  s.Set(1, TBandCoefficient::Diagonal, 1);
  s.Set(1, TBandCoefficient::Right, 1);
  EXPECT_TRUE(s.Solve());
}

TEST(BandSolvers, SizesBeyondTheLimitLeaveNoRows) {
  TTridiagonalSolver t;
  t.SetSize(t.MaxSize() + 1);
  EXPECT_EQ(t.Size(), -1);
  EXPECT_EQ(t.Status(), "Out of memory");
  EXPECT_FALSE(t.Solve());
  TCyclicTridiagonalSolver c;
  EXPECT_EQ(c.MaxSize(), 26843543);
  EXPECT_EQ(t.MaxSize(), 38347920);
  c.SetSize(c.MaxSize() + 1);
  EXPECT_EQ(c.Size(), -1);
}

}  // namespace
