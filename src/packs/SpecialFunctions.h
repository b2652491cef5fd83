// Numerical routines of the probability distributions pack, in extended
// precision (long double: 64-bit mantissa on x86-64). The routines throw
// std::runtime_error with the user-visible domain message, or
// helmax::EHelmaxMathError for a floating-point failure; the pack's
// registered functions convert their results to double.
#pragma once

#include <functional>

namespace helmax::special {

using Real = long double;

// A value whose absolute value is below this counts as zero.
constexpr Real kZeroTolerance = 5e-324L;
// Two reals are the same when they differ by at most this times the smaller
// absolute value (by this itself when either is zero).
constexpr Real kRelativeTolerance = 1e-15L;
// Largest distance to the nearest integer accepted for an integer argument.
constexpr Real kIntegerTolerance = 1e-13L;
// Stopping term of the incomplete beta series.
constexpr Real kSeriesEpsilon = 5e-19L;

bool SameReal(Real a, Real b);
bool IsPositive(Real x);  // x >= zero tolerance
bool IsZero(Real x);      // |x| < zero tolerance
// A negative value equal to its integer part by the relative tolerance, or
// zero: the poles of the gamma function.
bool IsGammaPole(Real x);

// ---- gamma family --------------------------------------------------------------

// ln Γ(x) by the stated Stirling-type formula (x > 0) and the reflection
// formula (x < 0). Exactly 0 at 1 and 2. Fails at the poles with "Not
// defined for that value"; where sin(πx) < 0 the logarithm fails (invalid
// operation).
Real LnGamma(Real x);
// 1/Γ(x) for every real x; may be infinite far below zero.
Real InverseGamma(Real x);
// Γ(x); fails at the poles.
Real Gamma(Real x);

// Both tails of a continuous distribution at one point, each computed with
// its own relative accuracy (the smaller one directly, never as 1 minus
// the other).
struct TTails {
  Real Lower;  // P(X <= x)
  Real Upper;  // P(X > x)
};

// ln Γ(x) for x > 0 to extended precision (Stirling series after shifting
// the argument to 15 or more); the internal routines use it where the
// LnGamma formula's fitted coefficients would cost digits.
Real LogGamma(Real x);
// ln B(a, b) for a, b > 0 without cancellation, also for very unequal
// arguments and where the gammas overflow.
Real LogBeta(Real a, Real b);

// Regularized incomplete gamma function P(p, x) and Q(p, x) for p > 0,
// x >= 0: the series and continued fraction of AS 239 with the factor
// x^p e^-x / Γ(p) formed without cancellation; the closed form of the
// upper tail for whole and half p below 15; Temme's uniform expansion for
// p from 1e5 near the mean.
TTails IncompleteGammaTails(Real p, Real x);
// The upper incomplete gamma integral Γ(s, x) for s > 0, x >= 0.
Real UpperIncompleteGammaIntegral(Real s, Real x);

// Regularized incomplete beta I_x(a, b) (Lower) and 1 - I_x(a, b) (Upper)
// for 0 <= x <= 1, a, b > 0; xc is 1 - x, passed separately where the
// caller knows it more precisely.
TTails IncompleteBetaTails(Real x, Real xc, Real a, Real b);

// ---- normal distribution -----------------------------------------------------------

Real NormalDensity(Real x);  // φ(x)
// Φ(x): its series for x >= 0, the complementary error function below 0,
// so that the lower tail keeps its relative accuracy.
Real NormalCdf(Real x);
// Φ⁻¹ by AS 241 (PPND16); q = 1 - p is given separately so that upper tails
// keep their digits. 0 < p < 1.
Real NormalQuantile(Real p, Real q);

// ---- chi-square, F and t ---------------------------------------------------------

// Both tails of the chi-square distribution with nu > 0 degrees of freedom;
// x >= 0.
TTails ChiSquareTails(Real x, Real nu);
// Algorithm AS 91 (Best and Roberts) for the chi-square quantile with lower
// tail p and upper tail q = 1 - p, its Taylor correction carried to full
// precision.
Real InvChiSquareAS91(Real p, Real q, Real nu);
TTails FDistTails(Real x, Real nu1, Real nu2);
TTails StudentTTails(Real x, Real nu);
// Starting estimates of the inverse F and t distributions (lower tail p,
// upper tail q = 1 - p).
Real InvFDistEstimate(Real p, Real q, Real nu1, Real nu2);
Real InvStudentTEstimate(Real p, Real q, Real nu);
// Refinement of an estimate e of the quantile with lower tail p and upper
// tail q = 1 - p of the distribution whose tails are given: a bracket of
// half-width relativeWidth·|e| around e is widened until it holds the
// answer (never below lowerLimit), then narrowed by false position to full
// double precision. The comparison is made in the smaller tail, so
// far-tail quantiles keep their digits. If anything fails, the estimate
// itself is returned.
Real RefineQuantile(const std::function<TTails(Real)>& tails, Real p, Real q, Real e, Real lowerLimit,
                    Real relativeWidth);

// ---- discrete distributions ------------------------------------------------------

// Fails with "Factorial Calculation cannot exceed 1754" unless k! exists
// (0 <= k <= 1754).
void RequireFactorial(Real k);
// n!/(n-r)! and C(n, r) as integers (exact while the result is exact in
// extended precision); the messages of Permutation and BinomialCoeff.
Real Permutation(Real n, Real r);
Real BinomialCoefficient(Real n, Real r);
Real Hermite(Real x, Real n);

// Binomial probability of exactly k successes; sum of the probabilities
// of lo..hi successes (both included, lo <= hi), from the tail that does
// not cancel.
Real BinomialTerm(Real p, Real n, Real k);
Real BinomialSum(Real p, Real n, Real lo, Real hi);
Real PoissonTerm(Real lambda, Real k);
// hi may be infinite; the factorial limit is the callers' check.
Real PoissonSum(Real lambda, Real lo, Real hi);

}  // namespace helmax::special
