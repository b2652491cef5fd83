// The distributions pack's external functions: argument checks, domain
// rules and the conversion of extended-precision results to double.
#include "Distributions.h"
#include "FixedTexts.h"

#include <cmath>
#include <initializer_list>
#include <limits>
#include <stdexcept>
#include <string>

#include "PackFunctions.h"
#include "SpecialFunctions.h"
#include "Value.h"

namespace helmax {
namespace {

using special::Real;
namespace sf = special;

constexpr Real kInf = std::numeric_limits<Real>::infinity();
constexpr Real kSqrt2Pi = 2.506628274631000502415765284811045253L;

[[noreturn]] void Fail(const std::string& message) { throw std::runtime_error(message); }

// Argument values after the common checks, 1-based.
class TArgs {
 public:
  // The checks, in order: every argument real or currency; none NaN (tested
  // in single precision); the integer arguments (positions in ascending
  // order) within 1e-13 of an integer, then taken as that integer.
  TArgs(const TPackCall& call, std::initializer_list<int> integers, bool hermite = false) {
    TValue* const* args = call.Args;
    const int count = call.Count;
    for (int i = 0; i < count; ++i)
      if (!args[i]->IsRealLike()) Fail(texts::kIncorrectRealTypeForTheParameterPrefix + std::to_string(i + 1));
    for (int i = 0; i < count; ++i) {
      Values_[i] = args[i]->AsReal();
      if (std::isnan(static_cast<float>(args[i]->AsReal())))
        Fail(texts::kValueIsNanNotANumberForPrefix + std::to_string(i + 1));
    }
    for (int position : integers) {
      Real& v = Values_[position - 1];
      const Real nearest = std::round(v);
      if (!(std::fabs(v - nearest) <= sf::kIntegerTolerance))
        Fail(hermite ? std::string(texts::kIncorrectIntegerTypeOrderOfHermite)
                     : texts::kIncorrectIntegerForTheParameterPrefix + std::to_string(position));
      v = nearest;
    }
  }
  Real operator[](int position) const { return Values_[position - 1]; }

 private:
  Real Values_[4] = {};
};

// Sets the real result; a NaN is an invalid operation and an infinity an
// overflow unless the function's value is legitimately infinite.
void Set(TValue& result, Real value, bool infiniteAllowed = false) {
  const double d = static_cast<double>(value);
  if (std::isnan(d)) throw EHelmaxMathError(mkInvalidOp);
  if (std::isinf(d) && !infiniteAllowed) throw EHelmaxMathError(mkOverflow);
  result = TValue::MakeReal(d);
}

// ---- domain rules ------------------------------------------------------------------

void RequireDegrees(Real nu) {
  // Negative degrees of freedom are refused like zero.
  if (nu <= 0.0L) Fail(texts::kDegreesOfFreedomMustBePositive);
}
void RequireSigma(Real sigma) {
  if (!sf::IsPositive(sigma)) Fail(texts::kStandardDeviationMustBePositive);
}
void RequireOpenUnit(Real p) {
  if (!(sf::IsPositive(p) && p < 1.0L)) Fail(texts::kValueMustBeStrictlyBetween0And1);
}
void RequireClosedUnit(Real p) {
  if (!(p >= 0.0L && p <= 1.0L)) Fail(texts::kValueMustBeBetween0And1Inclusive);
}
void RequireNonNegative(Real x) {
  if (x < 0.0L) Fail(texts::kValueMustBeNonNegative);
}
void RequireChiSquareProbability(Real p) {
  // Compared in double, as the user wrote the limits: both are accepted.
  const double d = static_cast<double>(p);
  if (d < 0.000002 || d > 0.999998) Fail(texts::kValueMustBeStrictlyBetween0000002And0999998);
}
// ln x for the log-normal functions: 0 divides by zero, a negative x is an
// invalid operation.
Real LogOf(Real x) {
  if (x == 0.0L) throw EHelmaxMathError(mkZeroDivide);
  if (x < 0.0L) throw EHelmaxMathError(mkInvalidOp);
  return std::log(x);
}
void RequireBinomial(Real p, Real n, Real k) {
  if (n == 0.0L || n < k || k < 0.0L || p < 0.0L || p > 1.0L) Fail(texts::kInvalidBinomialDistribution);
}
void RequirePoisson(Real lambda) {
  if (!sf::IsPositive(lambda)) Fail(texts::kInvalidPoissonDistribution);
}
void RequireExponential(Real m, Real x) {
  if (!sf::IsPositive(m) || x < 0.0L) Fail(texts::kInvalidExponentialDistribution);
}

// Absolute difference of a distribution function at two bounds; 0 for
// bounds equal by the relative tolerance. The difference is taken between
// the lower tails when both are at most one half, between the upper tails
// when those are, and otherwise as 1 minus the two outer tails, so that a
// small probability between two far-tail bounds keeps its digits.
template <class F>
Real Between(Real x1, Real x2, F&& tails) {
  if (sf::SameReal(x1, x2)) return 0.0L;
  const sf::TTails a = tails(std::min(x1, x2)), b = tails(std::max(x1, x2));
  Real value;
  if (b.Lower <= 0.5L) value = b.Lower - a.Lower;
  else if (a.Upper <= 0.5L) value = a.Upper - b.Upper;
  else value = 1.0L - a.Lower - b.Upper;
  return std::max(value, 0.0L);
}

// Sum of discrete terms: k1 = k2 the term itself; k2 < k1 the terms k2..k1;
// k2 > k1 the terms strictly between.
template <class F>
Real DiscreteBetween(Real k1, Real k2, F&& sum) {
  if (k1 == k2) return sum(k1, k1);
  if (k2 < k1) return sum(k2, k1);
  if (k2 - k1 < 2.0L) return 0.0L;
  return sum(k1 + 1.0L, k2 - 1.0L);
}

// ---- special functions -------------------------------------------------------------

void FnGamma(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  Set(r, sf::Gamma(v[1]));
}

void FnLnGamma(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  Set(r, sf::LnGamma(v[1]));
}

void FnInverseGamma(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  Set(r, sf::InverseGamma(v[1]));
}

void CheckIncompleteGamma(Real p, Real x) {
  RequireNonNegative(x);
  if (!sf::IsPositive(p)) Fail(texts::kValueMustBePositive);
}

void FnIncompleteGamma(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  CheckIncompleteGamma(v[1], v[2]);
  Set(r, sf::IncompleteGammaTails(v[1], v[2]).Lower);
}

void FnIncompleteGamma2(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  CheckIncompleteGamma(v[1], v[2]);
  Set(r, sf::UpperIncompleteGammaIntegral(v[1], v[2]));
}

void FnBeta(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  const Real x = v[1], y = v[2];
  if (sf::IsGammaPole(x) || sf::IsGammaPole(y)) Fail(texts::kNotDefinedForThatValue);
  // Positive arguments by logarithms, which neither overflow where a + b
  // is large nor lose the small one against the large one.
  if (x > 0.0L && y > 0.0L) return Set(r, std::exp(sf::LogBeta(x, y)));
  const Real ix = sf::InverseGamma(x), iy = sf::InverseGamma(y), ixy = sf::InverseGamma(x + y);
  if (sf::IsZero(ix) || sf::IsZero(iy)) Fail(texts::kNotDefinedForThatValue);
  Set(r, ixy / (ix * iy));
}

void FnLnBeta(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  if (!sf::IsPositive(v[1]) || !sf::IsPositive(v[2])) Fail(texts::kNotDefinedForThatValue);
  Set(r, sf::LogBeta(v[1], v[2]));
}

void FnIncompleteBeta(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  const Real x = v[1], p = v[2], q = v[3];
  if (!sf::IsPositive(p) || !sf::IsPositive(q) || x < 0.0L || (x > 1.0L && !sf::SameReal(x, 1.0L)))
    Fail(texts::kNotDefinedForThatValue);
  if (x == 0.0L) return Set(r, 0.0L);
  if (x >= 1.0L) return Set(r, 1.0L);
  Set(r, sf::IncompleteBetaTails(x, 1.0L - x, p, q).Lower);
}

void FnHermite(const TPackCall& a, TValue& r) {
  TArgs v(a, {2}, true);
  Set(r, sf::Hermite(v[1], v[2]));
}

void FnPermutation(const TPackCall& a, TValue& r) {
  TArgs v(a, {1, 2});
  Set(r, sf::Permutation(v[1], v[2]));
}

void FnBinomialCoeff(const TPackCall& a, TValue& r) {
  TArgs v(a, {1, 2});
  Set(r, sf::BinomialCoefficient(v[1], v[2]));
}

// ---- normal and log-normal -------------------------------------------------------------

void FnNormalZ(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  Set(r, sf::NormalDensity(v[1]));
}

void FnNormalPDF(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  const Real x = v[1], mu = v[2], sigma = v[3];
  RequireSigma(sigma);
  Set(r, std::exp(-(x - mu) * (x - mu) / (2.0L * sigma * sigma)) / (kSqrt2Pi * sigma));
}

void RequireNormalArgument(Real x) {
  if (x < 0.0L) Fail(texts::kValueMustBePositive);
}

void FnNormalLess(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  RequireNormalArgument(v[1]);
  Set(r, sf::NormalCdf(v[1]));
}

void FnNormalGreater(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  RequireNormalArgument(v[1]);
  Set(r, sf::NormalCdf(-v[1]));
}

void FnInvNormalLess(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  RequireOpenUnit(v[1]);
  Set(r, sf::NormalQuantile(v[1], 1.0L - v[1]));
}

// Φ⁻¹(1 - p), with the tail p kept exact.
Real UpperQuantile(Real p) { return sf::NormalQuantile(1.0L - p, p); }

void FnInvNormalGreater(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  RequireOpenUnit(v[1]);
  Set(r, UpperQuantile(v[1]));
}

void FnZAlpha(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  RequireOpenUnit(v[1]);
  Set(r, UpperQuantile(v[1]));
}

// Both tails of the normal distribution at z: the smaller from the
// complementary error function, the other as 1 minus it.
sf::TTails NormalTails(Real z) {
  const Real tail = sf::NormalCdf(-std::fabs(z));
  return z >= 0.0L ? sf::TTails{1.0L - tail, tail} : sf::TTails{tail, 1.0L - tail};
}

Real NormalDist(Real mu, Real sigma, Real x) { return sf::NormalCdf((x - mu) / sigma); }

void FnNormalDistLess(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  RequireSigma(v[2]);
  Set(r, NormalDist(v[1], v[2], v[3]));
}

void FnNormalDistGreater(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  RequireSigma(v[2]);
  Set(r, NormalDist(v[3], v[2], v[1]));  // Φ((μ - x)/σ)
}

void FnNormalDistBetween(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  RequireSigma(v[2]);
  Set(r, Between(v[3], v[4], [&](Real x) { return NormalTails((x - v[1]) / v[2]); }));
}

void FnInvNormalDistLess(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  RequireOpenUnit(v[3]);
  RequireSigma(v[2]);
  Set(r, v[1] + v[2] * sf::NormalQuantile(v[3], 1.0L - v[3]));
}

void FnInvNormalDistGreater(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  RequireOpenUnit(v[3]);
  RequireSigma(v[2]);
  Set(r, v[1] + v[2] * UpperQuantile(v[3]));
}

void FnLogNormalPDF(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  const Real x = v[1], mu = v[2], sigma = v[3];
  RequireSigma(sigma);
  if (!sf::IsPositive(x)) Fail(texts::kValueMustBePositive);
  const Real d = std::log(x) - mu;
  Set(r, std::exp(-d * d / (2.0L * sigma * sigma)) / (sigma * x * kSqrt2Pi));
}

Real LogNormalZ(Real mu, Real sigma, Real x) { return (LogOf(x) - mu) / sigma; }

void FnLogNormalLess(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  RequireSigma(v[2]);
  Set(r, sf::NormalCdf(LogNormalZ(v[1], v[2], v[3])));
}

void FnLogNormalGreater(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  RequireSigma(v[2]);
  Set(r, sf::NormalCdf(-LogNormalZ(v[1], v[2], v[3])));
}

void FnLogNormalBetween(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  RequireSigma(v[2]);
  LogOf(v[3]);
  LogOf(v[4]);
  Set(r, Between(v[3], v[4], [&](Real x) { return NormalTails(LogNormalZ(v[1], v[2], x)); }));
}

void FnInvLogNormalLess(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  RequireOpenUnit(v[3]);
  RequireSigma(v[2]);
  Set(r, std::exp(v[1] + v[2] * sf::NormalQuantile(v[3], 1.0L - v[3])));
}

void FnInvLogNormalGreater(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  RequireOpenUnit(v[3]);
  RequireSigma(v[2]);
  Set(r, std::exp(v[1] + v[2] * UpperQuantile(v[3])));
}

// ---- chi-square, F and t ---------------------------------------------------------

void FnChiSquareLess(const TPackCall& a, TValue& r) {
  TArgs v(a, {2});
  RequireNonNegative(v[1]);
  RequireDegrees(v[2]);
  Set(r, sf::ChiSquareTails(v[1], v[2]).Lower);
}

void FnChiSquareGreater(const TPackCall& a, TValue& r) {
  TArgs v(a, {2});
  RequireNonNegative(v[1]);
  RequireDegrees(v[2]);
  Set(r, sf::ChiSquareTails(v[1], v[2]).Upper);
}

void FnChiSquareBetween(const TPackCall& a, TValue& r) {
  TArgs v(a, {3});
  RequireNonNegative(v[1]);
  RequireNonNegative(v[2]);
  RequireDegrees(v[3]);
  Set(r, Between(v[1], v[2], [&](Real x) { return sf::ChiSquareTails(x, v[3]); }));
}

void CheckInvChiSquare(Real p, Real nu) {
  RequireDegrees(nu);
  RequireChiSquareProbability(p);
}

void FnInvChiSquare(const TPackCall& a, TValue& r) {
  TArgs v(a, {2});
  CheckInvChiSquare(v[1], v[2]);
  Set(r, sf::InvChiSquareAS91(v[1], 1.0L - v[1], v[2]));
}

// The quantile with lower tail p and upper tail q = 1 - p, whichever of
// the two the caller has exactly.
Real InvChiSquareLess(Real p, Real q, Real nu) {
  // AS 91 carried to full precision is already close: the search starts
  // from a narrow bracket.
  const Real estimate = sf::InvChiSquareAS91(p, q, nu);
  return sf::RefineQuantile([nu](Real x) { return sf::ChiSquareTails(x, nu); }, p, q, estimate, 0.0L, 1e-10L);
}

void FnInvChiSquareLess(const TPackCall& a, TValue& r) {
  TArgs v(a, {2});
  CheckInvChiSquare(v[1], v[2]);
  Set(r, InvChiSquareLess(v[1], 1.0L - v[1], v[2]));
}

void FnInvChiSquareGreater(const TPackCall& a, TValue& r) {
  TArgs v(a, {2});
  CheckInvChiSquare(v[1], v[2]);
  Set(r, InvChiSquareLess(1.0L - v[1], v[1], v[2]));
}

void CheckFDist(Real x, Real nu1, Real nu2) {
  if (!sf::IsPositive(x)) Fail(texts::kValueMustBePositive);
  RequireDegrees(nu1);
  RequireDegrees(nu2);
}

void FnFDistLess(const TPackCall& a, TValue& r) {
  TArgs v(a, {2, 3});
  CheckFDist(v[1], v[2], v[3]);
  Set(r, sf::FDistTails(v[1], v[2], v[3]).Lower);
}

void FnFDistGreater(const TPackCall& a, TValue& r) {
  TArgs v(a, {2, 3});
  CheckFDist(v[1], v[2], v[3]);
  Set(r, sf::FDistTails(v[1], v[2], v[3]).Upper);
}

void FnFDistBetween(const TPackCall& a, TValue& r) {
  TArgs v(a, {3, 4});
  CheckFDist(v[1], v[3], v[4]);
  CheckFDist(v[2], v[3], v[4]);
  Set(r, Between(v[1], v[2], [&](Real x) { return sf::FDistTails(x, v[3], v[4]); }));
}

// The quantile with lower tail p and upper tail q = 1 - p.
Real InvFDistLess(Real p, Real q, Real nu1, Real nu2) {
  if (p == 0.0L) return 0.0L;
  if (q == 0.0L) return kInf;
  const Real estimate = sf::InvFDistEstimate(p, q, nu1, nu2);
  return sf::RefineQuantile([=](Real x) { return sf::FDistTails(x, nu1, nu2); }, p, q, estimate, 0.0L, 0.1L);
}

void CheckInvDistribution(Real p, std::initializer_list<Real> degrees) {
  RequireClosedUnit(p);
  for (Real nu : degrees) RequireDegrees(nu);
}

void FnInvFDistLess(const TPackCall& a, TValue& r) {
  TArgs v(a, {2, 3});
  CheckInvDistribution(v[1], {v[2], v[3]});
  Set(r, InvFDistLess(v[1], 1.0L - v[1], v[2], v[3]), true);
}

void FnInvFDistGreater(const TPackCall& a, TValue& r) {
  TArgs v(a, {2, 3});
  CheckInvDistribution(v[1], {v[2], v[3]});
  Set(r, InvFDistLess(1.0L - v[1], v[1], v[2], v[3]), true);
}

void FnStudentTLess(const TPackCall& a, TValue& r) {
  TArgs v(a, {2});
  RequireDegrees(v[2]);
  Set(r, sf::StudentTTails(v[1], v[2]).Lower);
}

void FnStudentTGreater(const TPackCall& a, TValue& r) {
  TArgs v(a, {2});
  RequireDegrees(v[2]);
  Set(r, sf::StudentTTails(v[1], v[2]).Upper);
}

void FnStudentTBetween(const TPackCall& a, TValue& r) {
  TArgs v(a, {3});
  RequireDegrees(v[3]);
  Set(r, Between(v[1], v[2], [&](Real x) { return sf::StudentTTails(x, v[3]); }));
}

// The quantile with lower tail p and upper tail q = 1 - p.
Real InvStudentTLess(Real p, Real q, Real nu) {
  if (p == 0.0L) return -kInf;
  if (q == 0.0L) return kInf;
  const Real estimate = sf::InvStudentTEstimate(p, q, nu);
  return sf::RefineQuantile([nu](Real x) { return sf::StudentTTails(x, nu); }, p, q, estimate, -kInf, 0.1L);
}

void FnInvStudentTLess(const TPackCall& a, TValue& r) {
  TArgs v(a, {2});
  CheckInvDistribution(v[1], {v[2]});
  Set(r, InvStudentTLess(v[1], 1.0L - v[1], v[2]), true);
}

void FnInvStudentTGreater(const TPackCall& a, TValue& r) {
  TArgs v(a, {2});
  CheckInvDistribution(v[1], {v[2]});
  Set(r, InvStudentTLess(1.0L - v[1], v[1], v[2]), true);
}

// ---- discrete and exponential ---------------------------------------------------------

void FnBinomialEq(const TPackCall& a, TValue& r) {
  TArgs v(a, {2, 3});
  RequireBinomial(v[1], v[2], v[3]);
  Set(r, sf::BinomialTerm(v[1], v[2], v[3]));
}

void FnBinomialLess(const TPackCall& a, TValue& r) {
  TArgs v(a, {2, 3});
  RequireBinomial(v[1], v[2], v[3]);
  Set(r, v[3] == 0.0L ? 0.0L : sf::BinomialSum(v[1], v[2], 0.0L, v[3] - 1.0L));
}

void FnBinomialGreater(const TPackCall& a, TValue& r) {
  TArgs v(a, {2, 3});
  RequireBinomial(v[1], v[2], v[3] + 1.0L);
  Set(r, sf::BinomialSum(v[1], v[2], v[3] + 1.0L, v[2]));  // the terms above k
}

void FnBinomialBetween(const TPackCall& a, TValue& r) {
  TArgs v(a, {2, 3, 4});
  RequireBinomial(v[1], v[2], v[3]);
  RequireBinomial(v[1], v[2], v[4]);
  Set(r, DiscreteBetween(v[3], v[4], [&](Real lo, Real hi) { return sf::BinomialSum(v[1], v[2], lo, hi); }));
}

void FnPoissonEq(const TPackCall& a, TValue& r) {
  TArgs v(a, {2});
  RequirePoisson(v[1]);
  Set(r, sf::PoissonTerm(v[1], v[2]));
}

// Σ PoissonEq(λ, i) for i = 0 .. k - 1; a negative k has no factorial.
Real PoissonLess(Real lambda, Real k) {
  if (k < 0.0L) sf::RequireFactorial(k);
  if (k == 0.0L) return 0.0L;
  sf::RequireFactorial(k - 1.0L);  // every term's factorial must exist
  return sf::PoissonSum(lambda, 0.0L, k - 1.0L);
}

void FnPoissonLess(const TPackCall& a, TValue& r) {
  TArgs v(a, {2});
  RequirePoisson(v[1]);
  Set(r, PoissonLess(v[1], v[2]));
}

void FnPoissonGreater(const TPackCall& a, TValue& r) {
  TArgs v(a, {2});
  RequirePoisson(v[1]);
  // Every term up to k must have its factorial, as in the lower sum.
  sf::RequireFactorial(v[2]);
  Set(r, sf::PoissonSum(v[1], v[2] + 1.0L, kInf));
}

void FnPoissonBetween(const TPackCall& a, TValue& r) {
  TArgs v(a, {2, 3});
  RequirePoisson(v[1]);
  sf::RequireFactorial(v[2]);
  sf::RequireFactorial(v[3]);
  Set(r, DiscreteBetween(v[2], v[3], [&](Real lo, Real hi) { return sf::PoissonSum(v[1], lo, hi); }));
}

void FnExponentialLess(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  RequireExponential(v[1], v[2]);
  Set(r, -std::expm1(-v[2] / v[1]));  // 1 - e^(-x/m)
}

void FnExponentialGreater(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  RequireExponential(v[1], v[2]);
  Set(r, std::exp(-v[2] / v[1]));
}

void FnExponentialBetween(const TPackCall& a, TValue& r) {
  TArgs v(a, {});
  RequireExponential(v[1], v[2]);
  RequireExponential(v[1], v[3]);
  // e^(-a/m) - e^(-b/m) = e^(-a/m) (1 - e^(-(b-a)/m)) for a < b: no cancellation.
  const Real m = v[1], a1 = std::min(v[2], v[3]), b1 = std::max(v[2], v[3]);
  Set(r, sf::SameReal(v[2], v[3]) ? 0.0L : -std::exp(-a1 / m) * std::expm1(-(b1 - a1) / m));
}

constexpr TPackEntry kDistributionEntries[] = {
    {"Gamma", 1, FnGamma},
    {"LnGamma", 1, FnLnGamma},
    {"InverseGamma", 1, FnInverseGamma},
    {"IncompleteGamma", 2, FnIncompleteGamma},
    {"IncompleteGamma2", 2, FnIncompleteGamma2},
    {"Beta", 2, FnBeta},
    {"LnBeta", 2, FnLnBeta},
    {"IncompleteBeta", 3, FnIncompleteBeta},
    {"Hermite", 2, FnHermite},
    {"Permutation", 2, FnPermutation},
    {"BinomialCoeff", 2, FnBinomialCoeff},
    {"NormalZ", 1, FnNormalZ},
    {"NormalPDF", 3, FnNormalPDF},
    {"NormalLess", 1, FnNormalLess},
    {"NormalGreater", 1, FnNormalGreater},
    {"InvNormalLess", 1, FnInvNormalLess},
    {"InvNormalGreater", 1, FnInvNormalGreater},
    {"ZAlpha", 1, FnZAlpha},
    {"NormalDistLess", 3, FnNormalDistLess},
    {"NormalDistGreater", 3, FnNormalDistGreater},
    {"NormalDistBetween", 4, FnNormalDistBetween},
    {"InvNormalDistLess", 3, FnInvNormalDistLess},
    {"InvNormalDistGreater", 3, FnInvNormalDistGreater},
    {"LogNormalPDF", 3, FnLogNormalPDF},
    {"LogNormalLess", 3, FnLogNormalLess},
    {"LogNormalGreater", 3, FnLogNormalGreater},
    {"LogNormalBetween", 4, FnLogNormalBetween},
    {"InvLogNormalLess", 3, FnInvLogNormalLess},
    {"InvLogNormalGreater", 3, FnInvLogNormalGreater},
    {"ChiSquareLess", 2, FnChiSquareLess},
    {"ChiSquareGreater", 2, FnChiSquareGreater},
    {"ChiSquareBetween", 3, FnChiSquareBetween},
    {"InvChiSquare", 2, FnInvChiSquare},
    {"InvChiSquareLess", 2, FnInvChiSquareLess},
    {"InvChiSquareGreater", 2, FnInvChiSquareGreater},
    {"FDistLess", 3, FnFDistLess},
    {"FDistGreater", 3, FnFDistGreater},
    {"FDistBetween", 4, FnFDistBetween},
    {"InvFDistLess", 3, FnInvFDistLess},
    {"InvFDistGreater", 3, FnInvFDistGreater},
    {"StudentTLess", 2, FnStudentTLess},
    {"StudentTGreater", 2, FnStudentTGreater},
    {"StudentTBetween", 3, FnStudentTBetween},
    {"InvStudentTLess", 2, FnInvStudentTLess},
    {"InvStudentTGreater", 2, FnInvStudentTGreater},
    {"BinomialEq", 3, FnBinomialEq},
    {"BinomialLess", 3, FnBinomialLess},
    {"BinomialGreater", 3, FnBinomialGreater},
    {"BinomialBetween", 4, FnBinomialBetween},
    {"PoissonEq", 2, FnPoissonEq},
    {"PoissonLess", 2, FnPoissonLess},
    {"PoissonGreater", 2, FnPoissonGreater},
    {"PoissonBetween", 3, FnPoissonBetween},
    {"ExponentialLess", 2, FnExponentialLess},
    {"ExponentialGreater", 2, FnExponentialGreater},
    {"ExponentialBetween", 3, FnExponentialBetween},
};

}  // namespace

TUserFuncArray DistributionFunctions() { return PackRegistrations(kDistributionEntries, nullptr); }

}  // namespace helmax
