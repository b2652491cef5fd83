// Numerical routines of the probability distributions pack, in extended
// precision (long double: 64-bit mantissa on x86-64). The routines throw
// std::runtime_error with the user-visible domain message, or
// helmax::EHelmaxMathError for a floating-point failure; the pack's
// registered functions convert their results to double.
#pragma once

#include <cstdint>
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

struct TGammaTails {
  Real Lower;  // P(p, x)
  Real Upper;  // Q(p, x) = 1 - P(p, x)
};
// Regularized incomplete gamma function by Algorithm AS 239; each tail is
// either computed directly or as the complement of the other.
TGammaTails IncompleteGammaTails(Real p, Real x);
// The upper incomplete gamma integral Γ(s, x) for s > 0, x >= 0.
Real UpperIncompleteGammaIntegral(Real s, Real x);

// Regularized incomplete beta I_x(a, b) for 0 <= x <= 1, a, b > 0; xc is 1 - x
// (passed separately where the caller knows it more precisely).
Real IncompleteBeta(Real x, Real xc, Real a, Real b);
Real IncompleteBeta(Real x, Real a, Real b);

// ---- normal distribution -----------------------------------------------------------

Real NormalDensity(Real x);  // φ(x)
Real NormalCdf(Real x);      // Φ(x) by its series, any sign
// Φ⁻¹ by AS 241 (PPND16); q = 1 - p is given separately so that upper tails
// keep their digits. 0 < p < 1.
Real NormalQuantile(Real p, Real q);
Real NormalQuantile(Real p);

// ---- chi-square, F and t ---------------------------------------------------------

// Upper tail Q of the chi-square distribution with nu >= 1 (integral) degrees
// of freedom, by its closed forms; x >= 0.
Real ChiSquareUpper(Real x, Real nu);
Real ChiSquareLower(Real x, Real nu);  // 1 - Q
// Algorithm AS 91 (Best and Roberts) estimate of the chi-square quantile.
Real InvChiSquareAS91(Real p, Real nu);
Real FDistLower(Real x, Real nu1, Real nu2);
Real StudentTLower(Real x, Real nu);
// Starting estimates of the inverse F and t distributions.
Real InvFDistEstimate(Real p, Real nu1, Real nu2);
Real InvStudentTEstimate(Real p, Real nu);
// Bisection refinement of an estimate e of the point where the increasing
// function cdf reaches p: the bracket around e is widened until it holds
// the answer (never below lowerLimit), then halved to full double
// precision. If anything fails, the estimate itself is returned.
Real RefineByBisection(const std::function<Real(Real)>& cdf, Real p, Real e, Real lowerLimit);

// ---- discrete distributions ------------------------------------------------------

// base^y: repeated squaring for integral exponents in the 32-bit range,
// exp(y·ln|base|) otherwise. "Cannot Raise 0 to a negative power", "Invalid
// XtoY".
Real Power(Real base, Real y);
// k! for 0 <= k <= 1754, else "Factorial Calculation cannot exceed 1754".
Real Factorial(Real k);
// n!/(n-r)! and C(n, r) as integers (exact while the result is exact in
// extended precision); the messages of Permutation and BinomialCoeff.
Real Permutation(Real n, Real r);
Real BinomialCoefficient(Real n, Real r);
Real Hermite(Real x, Real n);

// Binomial probability of exactly k successes; sum of the probabilities
// of lo..hi successes (both included, lo <= hi).
Real BinomialTerm(Real p, Real n, Real k);
Real BinomialSum(Real p, Real n, Real lo, Real hi);
Real PoissonTerm(Real lambda, Real k);
Real PoissonSum(Real lambda, Real lo, Real hi);

}  // namespace helmax::special
