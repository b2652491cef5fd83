// Elimination with partial pivoting, real and complex, against Eigen's LU as
// an independent reference: residuals, determinants, inverses, and the
// singular and ill-conditioned cases.
#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <complex>
#include <random>

#include "DenseLinearSolver.h"

using namespace helmax;

namespace {

using Cx = std::complex<double>;
Cx ToStd(const TComplex& z) { return {z.Re, z.Im}; }

// A random matrix whose diagonal dominates: well conditioned at any size.
template <class T>
std::vector<T> WellConditioned(int n, std::mt19937_64& rng);
template <>
std::vector<double> WellConditioned<double>(int n, std::mt19937_64& rng) {
  std::uniform_real_distribution<double> u(-1, 1);
  std::vector<double> a(static_cast<std::size_t>(n * n));
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) a[static_cast<std::size_t>(i * n + j)] = u(rng) + (i == j ? n : 0);
  return a;
}
template <>
std::vector<TComplex> WellConditioned<TComplex>(int n, std::mt19937_64& rng) {
  std::uniform_real_distribution<double> u(-1, 1);
  std::vector<TComplex> a(static_cast<std::size_t>(n * n));
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) a[static_cast<std::size_t>(i * n + j)] = {u(rng) + (i == j ? n : 0), u(rng)};
  return a;
}

template <class T>
struct TEigenOf;
template <>
struct TEigenOf<double> {
  using Matrix = Eigen::MatrixXd;
  static double Get(double v) { return v; }
};
template <>
struct TEigenOf<TComplex> {
  using Matrix = Eigen::MatrixXcd;
  static Cx Get(const TComplex& v) { return ToStd(v); }
};

template <class T>
typename TEigenOf<T>::Matrix ToEigen(const std::vector<T>& a, int rows, int cols) {
  typename TEigenOf<T>::Matrix m(rows, cols);
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < cols; ++j) m(i, j) = TEigenOf<T>::Get(a[static_cast<std::size_t>(i * cols + j)]);
  return m;
}

template <class T>
class DenseSolver : public ::testing::Test {};
using EntryKinds = ::testing::Types<double, TComplex>;
class EntryNames {
 public:
  template <class T>
  static std::string GetName(int) {
    return std::is_same_v<T, double> ? "Real" : "Complex";
  }
};
TYPED_TEST_SUITE(DenseSolver, EntryKinds, EntryNames);

TYPED_TEST(DenseSolver, SolvesRandomSystemsWithSmallResiduals) {
  std::mt19937_64 rng(20);
  for (int n : {1, 2, 7, 60, 200}) {
    const std::vector<TypeParam> a = WellConditioned<TypeParam>(n, rng);
    std::vector<TypeParam> b = WellConditioned<TypeParam>(n, rng);
    b.resize(static_cast<std::size_t>(n));
    TDenseLuSolver<TypeParam> lu;
    ASSERT_EQ(lu.Factor(a, n, 1e-14), TEliminationOutcome::Done) << n;
    std::vector<TypeParam> x = b;
    ASSERT_TRUE(lu.Solve(x, 1));
    // |Ax - b| <= 1e-12 |A| |x| (max norms, |A| the largest row sum).
    const auto A = ToEigen(a, n, n);
    const auto X = ToEigen(x, n, 1);
    const auto B = ToEigen(b, n, 1);
    const double residual = (A * X - B).cwiseAbs().maxCoeff();
    const double scale = A.cwiseAbs().rowwise().sum().maxCoeff() * X.cwiseAbs().maxCoeff();
    EXPECT_LE(residual, 1e-12 * scale) << n;
  }
}

TYPED_TEST(DenseSolver, DeterminantAndInverseAgreeWithEigen) {
  std::mt19937_64 rng(21);
  for (int n : {3, 40, 120}) {
    const std::vector<TypeParam> a = WellConditioned<TypeParam>(n, rng);
    TDenseLuSolver<TypeParam> lu;
    ASSERT_EQ(lu.Factor(a, n, 1e-14), TEliminationOutcome::Done);
    const auto A = ToEigen(a, n, n);
    const Eigen::PartialPivLU<typename TEigenOf<TypeParam>::Matrix> reference(A);
    // The determinant of a matrix with diagonal n grows like n^n: compare
    // relatively.
    const auto det = TEigenOf<TypeParam>::Get(lu.Determinant());
    EXPECT_LE(std::abs(det - reference.determinant()), 1e-12 * std::abs(reference.determinant())) << n;
    std::vector<TypeParam> inverse;
    ASSERT_TRUE(lu.Inverse(inverse));
    const auto expected = reference.inverse();
    EXPECT_LE((ToEigen(inverse, n, n) - expected).cwiseAbs().maxCoeff(), 1e-13 * expected.cwiseAbs().maxCoeff());
  }
}

TEST(DenseSolverCases, PivotsOnTheLargestModulusAndSignsTheDeterminant) {
  // [[1, 2], [3, 4]]: the second row is the pivot; det -2 after the swap.
  TDenseLuSolver<double> lu;
  ASSERT_EQ(lu.Factor({1, 2, 3, 4}, 2, 1e-14), TEliminationOutcome::Done);
  EXPECT_DOUBLE_EQ(lu.Determinant(), -2.0);
  std::vector<double> inverse;
  ASSERT_TRUE(lu.Inverse(inverse));
  const std::vector<double> expected = {-2, 1, 1.5, -0.5};
  for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(inverse[i], expected[i], 1e-15);
}

struct TSingularCase {
  const char* Name;
  std::vector<double> Matrix;
  int N;
  TEliminationOutcome Outcome;
};

class SingularSystems : public ::testing::TestWithParam<TSingularCase> {};

TEST_P(SingularSystems, AreRefused) {
  TDenseLuSolver<double> lu;
  EXPECT_EQ(lu.Factor(GetParam().Matrix, GetParam().N, 1e-14), GetParam().Outcome);
  if (GetParam().Outcome == TEliminationOutcome::ZeroPivot) {
    EXPECT_EQ(lu.Determinant(), 0.0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SingularSystems,
    ::testing::Values(
        TSingularCase{"ZeroMatrix", {0, 0, 0, 0}, 2, TEliminationOutcome::ZeroPivot},
        TSingularCase{"EqualRows", {1, 1, 2, 2}, 2, TEliminationOutcome::ZeroPivot},
        // Rank 2 of 3: the last pivot is a rounding residue, far below the entries.
        TSingularCase{"RankDeficient", {1, 2, 3, 4, 5, 6, 7, 8, 9}, 3, TEliminationOutcome::IllConditioned},
        TSingularCase{"NearlySingular", {1, 1, 1, 1 + 1e-15}, 2, TEliminationOutcome::IllConditioned},
        // Small entries alone are no reason to refuse.
        TSingularCase{"SmallButRegular", {1e-5, 0, 0, 1e-5}, 2, TEliminationOutcome::Done},
        TSingularCase{"Huge", {1e200, 0, 0, 1e200}, 2, TEliminationOutcome::Done}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(DenseSolverCases, StopsWhenAskedAndCountsColumns) {
  std::mt19937_64 rng(3);
  TDenseLuSolver<double> lu;
  TProgress progress;
  int asked = 0;
  EXPECT_THROW(lu.Factor(WellConditioned<double>(50, rng), 50, 1e-14, [&] { return ++asked > 10; }, &progress),
               TWorkStopped);
  EXPECT_EQ(progress.Done.load(), 9);
  EXPECT_EQ(progress.Total.load(), 50);
}

TEST(DenseSolverCases, OverflowIsReportedNotReturned) {
  TDenseLuSolver<double> lu;
  // The second pivot, 1e308 + 1e308, leaves the doubles.
  EXPECT_EQ(lu.Factor({1e308, 1e308, -1e308, 1e308}, 2, 1e-14), TEliminationOutcome::Overflow);
}

}  // namespace
