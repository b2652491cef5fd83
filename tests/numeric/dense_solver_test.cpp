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
    const auto det = TEigenOf<TypeParam>::Get(lu.Determinant().Value());
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
  EXPECT_DOUBLE_EQ(lu.Determinant().Value(), -2.0);
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
  if (GetParam().Outcome == TEliminationOutcome::ZeroPivot) { EXPECT_EQ(lu.Determinant().Value(), 0.0); }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SingularSystems,
    ::testing::Values(TSingularCase{"ZeroMatrix", {0, 0, 0, 0}, 2, TEliminationOutcome::ZeroPivot},
                      TSingularCase{"EqualRows", {1, 1, 2, 2}, 2, TEliminationOutcome::ZeroPivot},
                      // Rank 2 of 3: equilibrated by powers of two, the integers eliminate
                      // exactly; in tenths the last pivot is a rounding residue.
                      TSingularCase{"RankDeficient", {1, 2, 3, 4, 5, 6, 7, 8, 9}, 3, TEliminationOutcome::ZeroPivot},
                      TSingularCase{"RankDeficientTenths",
                                    {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9},
                                    3,
                                    TEliminationOutcome::IllConditioned},
                      // Tiny against its row, but not against its column: equilibrated, a
                      // well-conditioned matrix.
                      TSingularCase{"ScaledTriangular", {1e-200, 1, 0, 2.5e-250}, 2, TEliminationOutcome::Done},
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
  EXPECT_THROW(lu.Factor(
                   WellConditioned<double>(50, rng), 50, 1e-14, [&] { return ++asked > 10; }, &progress),
               TWorkStopped);
  EXPECT_EQ(progress.Done.load(), 9);
  EXPECT_EQ(progress.Total.load(), 50);
}

TEST(DenseSolverCases, EntriesNearTheEndOfTheDoublesStayInRange) {
  // Unscaled, the second pivot 1e308 + 1e308 left the doubles.
  TDenseLuSolver<double> lu;
  ASSERT_EQ(lu.Factor({1e308, 1e308, -1e308, 1e308}, 2, 1e-14), TEliminationOutcome::Done);
  EXPECT_NEAR(lu.Determinant().Mantissa, 2.0, 1e-15);
  EXPECT_EQ(lu.Determinant().Exponent, 616);
  // A solution beyond the doubles is reported, not returned.
  ASSERT_EQ(lu.Factor({1e-300, 0, 0, 1}, 2, 1e-14), TEliminationOutcome::Done);
  std::vector<double> x = {1e10, 1};
  EXPECT_FALSE(lu.Solve(x, 1));
}

// Determinants beyond the doubles against exact references: triangular
// matrices (the product of the diagonal, its decimal exponent summed by
// hand) and Eigen's LU in long double, whose range holds them.
struct TWideCase {
  const char* Name;
  std::vector<double> Matrix;
  int N;
  double Mantissa;
  std::int64_t Exponent;
};

class WideDeterminants : public ::testing::TestWithParam<TWideCase> {};

TEST_P(WideDeterminants, KeepMantissaAndExponent) {
  TDenseLuSolver<double> lu;
  ASSERT_EQ(lu.Factor(GetParam().Matrix, GetParam().N, 1e-14), TEliminationOutcome::Done);
  EXPECT_NEAR(lu.Determinant().Mantissa, GetParam().Mantissa, 1e-14 * std::fabs(GetParam().Mantissa));
  EXPECT_EQ(lu.Determinant().Exponent, GetParam().Exponent);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WideDeterminants,
    ::testing::Values(TWideCase{"Tiny", {1e-300, 1e-300, 1e-300, -1e-300}, 2, -2, -600},
                      TWideCase{"Huge", {1e300, 5, 0, -3e299}, 2, -3, 599},
                      // Upper triangular: 1e-200 · 2.5e-250 · 4e-300 · 1e-100 = 1e-849.
                      TWideCase{"TinyTriangular",
                                {1e-200, 3e-201, 2e-201, 1e-201, 0, 2.5e-250, 1e-250, 4e-251, 0, 0, 4e-300, 1e-300, 0,
                                 0, 0, 1e-100},
                                4,
                                1,
                                -849},
                      // Lower triangular, row exchanges on the way: 7e250 · 3e250 · -2e250 = -4.2e751.
                      TWideCase{"HugeTriangular", {7e250, 0, 0, 1e250, 3e250, 0, -5e249, 2e250, -2e250}, 3, -4.2, 751},
                      // Entries 1e-20 against 1 in another row: no refusal, -2e-20.
                      TWideCase{"BadlyScaledRows", {1e-20, 1e-20, 1, -1}, 2, -2, -20}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(DenseSolverCases, ComplexDeterminantBeyondTheDoublesHasNoNaNPart) {
  // diag(1e200(1+i), 1e200(1-i)): 2E400 (the plain product gave INF - NaN i).
  TDenseLuSolver<TComplex> lu;
  ASSERT_EQ(lu.Factor({{1e200, 1e200}, {0, 0}, {0, 0}, {1e200, -1e200}}, 2, 1e-14), TEliminationOutcome::Done);
  EXPECT_NEAR(lu.Determinant().Mantissa.Re, 2, 1e-15);
  EXPECT_EQ(lu.Determinant().Mantissa.Im, 0);
  EXPECT_EQ(lu.Determinant().Exponent, 400);
  // (1e-200 i)·(3e-200 + 4e-200 i) = -4e-400 + 3e-400 i.
  ASSERT_EQ(lu.Factor({{0, 1e-200}, {0, 0}, {0, 0}, {3e-200, 4e-200}}, 2, 1e-14), TEliminationOutcome::Done);
  EXPECT_NEAR(lu.Determinant().Mantissa.Re, -4, 1e-15);
  EXPECT_NEAR(lu.Determinant().Mantissa.Im, 3, 1e-15);
  EXPECT_EQ(lu.Determinant().Exponent, -400);
}

TEST(DenseSolverCases, RandomSystemOfSmallEntriesAgainstLongDoubleEigen) {
  // 200 × 200 entries of about 1e-3: a determinant near 1e-460.
  std::mt19937_64 rng(36);
  std::uniform_real_distribution<double> u(-1e-3, 1e-3);
  const int n = 200;
  std::vector<double> a(static_cast<std::size_t>(n * n));
  for (double& v : a) v = u(rng);
  TDenseLuSolver<double> lu;
  ASSERT_EQ(lu.Factor(a, n, 1e-14), TEliminationOutcome::Done);
  Eigen::Matrix<long double, Eigen::Dynamic, Eigen::Dynamic> m(n, n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) m(i, j) = a[static_cast<std::size_t>(i * n + j)];
  const long double reference = m.partialPivLu().determinant();
  const long double ours =
      lu.Determinant().Mantissa * std::pow(10.0L, static_cast<long double>(lu.Determinant().Exponent));
  EXPECT_LT(std::fabs(reference), 1e-400L);
  EXPECT_LE(std::fabs(ours - reference), 1e-11L * std::fabs(reference));
}

}  // namespace
