// Numerical routines of the probability distributions pack (extended
// precision). See SpecialFunctions.h.
#include "SpecialFunctions.h"
#include "FixedTexts.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <stdexcept>

#include "Value.h"

namespace helmax::special {
namespace {

constexpr Real kPi = 3.141592653589793238462643383279502884L;
constexpr Real kInvSqrt2Pi = 0.398942280401432677939946059934381868L;
constexpr Real kSqrt2Pi = 2.506628274631000502415765284811045253L;
constexpr Real kSqrt2 = 1.414213562373095048801688724209698079L;
constexpr Real kInf = std::numeric_limits<Real>::infinity();

[[noreturn]] void Fail(const char* message) { throw std::runtime_error(message); }
[[noreturn]] void MathFail(int kind) { throw EHelmaxMathError(kind); }

constexpr const char* kNotDefined = texts::kNotDefinedForThatValue;

Real LinearMinusLog1p(Real u);

// Σ (k >= 2) (-1)^k (ζ(k) - 1) z^k / k, for |z| <= 1/4.
Real ZetaSeries(Real z) {
  static constexpr Real zetaMinusOne[] = {
      // ζ(k) - 1 for k = 2..40
      0.644934066848226436472L,     0.2020569031595942854L,        0.082323233711138191516L,
      0.0369277551433699263314L,    0.0173430619844491397145L,     0.0083492773819228268398L,
      0.00407735619794433937869L,   0.00200839282608221441785L,    0.000994575127818085337146L,
      0.000494188604119464558702L,  0.000246086553308048298638L,   0.000122713347578489146752L,
      0.0000612481350587048292585L, 0.0000305882363070204935517L,  0.0000152822594086518717326L,
      0.0000076371976378997622736L, 0.00000381729326499983985646L, 0.00000190821271655393892566L,
      9.53962033872796113152e-7L,   4.76932986787806463117e-7L,    2.38450502727732990004e-7L,
      1.19219925965311073068e-7L,   5.96081890512594796124e-8L,    2.98035035146522801861e-8L,
      1.49015548283650412347e-8L,   7.45071178983542949198e-9L,    3.72533402478845705482e-9L,
      1.8626597235130490064e-9L,    9.31327432419668182872e-10L,   4.65662906503378407299e-10L,
      2.328311833676505492e-10L,    1.16415501727005197759e-10L,   5.82077208790270088925e-11L,
      2.91038504449709968693e-11L,  1.4551921891041984236e-11L,    7.27595983505748101451e-12L,
      3.63797954737865119024e-12L,  1.81898965030706594765e-12L,   9.09494784026388928288e-13L};
  Real s = 0.0L;
  for (int k = 40; k >= 2; --k) s = s * z + ((k % 2 == 0) ? 1.0L : -1.0L) * zetaMinusOne[k - 2] / k;
  return s * z * z;
}

constexpr Real kEulerGamma = 0.577215664901532860606512090082402431L;

// ln Γ(x) for x > 0 by the shifted Stirling-type formula; near its zeros at
// 1 and 2, where that formula's absolute error of some 1e-16 is a large
// relative one, by the Taylor series about them:
// ln Γ(1 + z) = -γz + (z - ln(1 + z)) + ZetaSeries(z), and
// ln Γ(2 + z) = (1 - γ)z + ZetaSeries(z).
Real LnGammaPositive(Real x) {
  if (std::fabs(x - 1.0L) <= 0.25L) {
    const Real z = x - 1.0L;
    return -kEulerGamma * z + LinearMinusLog1p(z) + ZetaSeries(z);
  }
  if (std::fabs(x - 2.0L) <= 0.25L) {
    const Real z = x - 2.0L;
    return (1.0L - kEulerGamma) * z + ZetaSeries(z);
  }
  Real a = 1.0L;
  Real b = x;
  while (b <= 10.0L) {
    a *= b;
    b += 1.0L;
  }
  const Real y = b - 0.5L;
  const Real d = 1.0L / (y * y);
  return y * (std::log(y) - 1.0L +
              d * (d * (d * (d * 0.0005660478426014386L - 0.0007685928044064347L) + 0.002430554511376954L) -
                   0.04166666666554424L)) +
         0.9189385332046727L - std::log(a);
}

// sin(πx), x reduced exactly to r = x - n in [-1/2, 1/2] first (n the
// nearest integer): sin(πx) = ±sin(πr) keeps its relative accuracy next to
// the integers, where π·x itself would have lost it.
Real SinPi(Real x) {
  const Real n = std::nearbyint(x);
  const Real s = std::sin(kPi * (x - n));
  return std::fmod(n, 2.0L) == 0.0L ? s : -s;
}

// 1/Γ(z) by its Taylor series with the 26 published coefficients
// (Abramowitz and Stegun 6.1.34), for |z| <= 1.
Real InverseGammaSeries(Real z) {
  static constexpr Real c[26] = {
      1.0L,
      0.5772156649015329L,
      -0.6558780715202538L,
      -0.0420026350340952L,
      0.1665386113822915L,
      -0.0421977345555443L,
      -0.0096219715278770L,
      0.0072189432466630L,
      -0.0011651675918591L,
      -0.0002152416741149L,
      0.0001280502823882L,
      -0.0000201348547807L,
      -0.0000012504934821L,
      0.0000011330272320L,
      -0.0000002056338417L,
      0.0000000061160950L,
      0.0000000050020075L,
      -0.0000000011812746L,
      0.0000000001043427L,
      0.0000000000077823L,
      -0.0000000000036968L,
      0.0000000000005100L,
      -0.0000000000000206L,
      -0.0000000000000054L,
      0.0000000000000014L,
      0.0000000000000001L,
  };
  Real s = 0.0L;
  for (int k = 25; k >= 0; --k) s = s * z + c[k];
  return s * z;
}

constexpr Real kLnSqrt2Pi = 0.918938533204672741780329736405617639861L;
// Arguments from which the Stirling series alone gives ln Γ to extended
// precision (its first omitted term is below 2e-21 there).
constexpr Real kStirlingFrom = 15.0L;

// ln Γ(k/2) and the Stirling remainder R(k/2) for k = 1 .. 29: binomial and
// Poisson counts, and chi-square, F and t degrees of freedom, give shapes that
// are whole or half numbers, for which these save the logarithms of the
// argument shift.
constexpr int kHalvesTableSize = 29;
constexpr Real kLogGammaOfHalves[kHalvesTableSize] = {
    5.723649429247000870717137e-1L,  0.0L,
    -1.207822376352452223455184e-1L, 0.0L,
    2.846828704729191596324947e-1L,  6.931471805599453094172321e-1L,
    1.200973602347074224816022e+0L,  1.791759469228055000812477e+0L,
    2.453736570842442220504143e+0L,  3.178053830347945619646942e+0L,
    3.957813967618716293877401e+0L,  4.787491742782045994247701e+0L,
    5.662562059857141528522112e+0L,  6.579251212010100995060178e+0L,
    7.534364236758732955158368e+0L,  8.525161361065414300165531e+0L,
    9.549267257300997711737140e+0L,  1.060460290274525022841723e+1L,
    1.168933342079726848256944e+1L,  1.280182748008146961120772e+1L,
    1.394062521940376363316124e+1L,  1.510441257307551529522571e+1L,
    1.629200047656724132024460e+1L,  1.750230784587388583928765e+1L,
    1.873434751193644570163412e+1L,  1.998721449566188614951736e+1L,
    2.126007615624470114141841e+1L,  2.255216385312342288557085e+1L,
    2.386276584168908490618691e+1L,
};
constexpr Real kStirlingRemainderOfHalves[kHalvesTableSize] = {
    1.534264097200273452913839e-1L, 8.106146679532725821967026e-2L, 5.481412105191765389613870e-2L,
    4.134069595540929409382208e-2L, 3.316287351993628748511051e-2L, 2.767792568499833914878929e-2L,
    2.374616365629749597133028e-2L, 2.079067210376509311152277e-2L, 1.848845053267318523077936e-2L,
    1.664469118982119216319487e-2L, 1.513497322191737887351384e-2L, 1.387612882307074799874573e-2L,
    1.281046524292022692425066e-2L, 1.189670994589177009505572e-2L, 1.110455975820691732663076e-2L,
    1.041126526197209649747857e-2L, 9.799416126158803298390373e-3L, 9.255462182712732917728637e-3L,
    8.768700134139385462955047e-3L, 8.330563433362871256469319e-3L, 7.934114564314020547249562e-3L,
    7.573675487951840794972024e-3L, 7.244554301320383179546197e-3L, 6.942840107209529865664153e-3L,
    6.665247032707682442356181e-3L, 6.408994188004207068439631e-3L, 6.171712263039457647534605e-3L,
    5.951370112758847735624416e-3L, 5.746216513010115682026102e-3L,
};

// The index k - 1 of x = k/2 in the tables above, or -1.
int HalvesIndex(Real x) {
  if (!(x > 0.0L && x < kStirlingFrom)) return -1;
  const Real twice = 2.0L * x;
  return twice == std::floor(twice) ? static_cast<int>(twice) - 1 : -1;
}

// Both tails from the one computed directly, which rounding may have put a
// hair outside [0, 1]: the other is 1 minus it, and neither leaves [0, 1].
TTails FromLower(Real lower) {
  lower = std::min(std::max(lower, 0.0L), 1.0L);
  return {lower, 1.0L - lower};
}
TTails FromUpper(Real upper) {
  upper = std::min(std::max(upper, 0.0L), 1.0L);
  return {1.0L - upper, upper};
}

// Shapes from which the incomplete gamma function near the mean is taken
// from its uniform asymptotic expansion (terms to p^-4 leave below 1e-20).
constexpr Real kLargeShape = 1e5L;

// ln Γ(x) - ((x - 1/2) ln x - x + ln √(2π)) for x >= kStirlingFrom: the
// Stirling series with the Bernoulli coefficients B2k / (2k (2k - 1)).
Real StirlingSeries(Real x) {
  static constexpr Real c[] = {1.0L / 12.0L,   -1.0L / 360.0L,      1.0L / 1260.0L, -1.0L / 1680.0L,
                               1.0L / 1188.0L, -691.0L / 360360.0L, 1.0L / 156.0L,  -3617.0L / 122400.0L};
  const Real z = 1.0L / (x * x);
  Real s = c[7];
  for (int k = 6; k >= 0; --k) s = s * z + c[k];
  return s / x;
}

// The same remainder of Stirling's formula for every x > 0.
Real StirlingRemainder(Real x) {
  if (x >= kStirlingFrom) return StirlingSeries(x);
  if (const int k = HalvesIndex(x); k >= 0) return kStirlingRemainderOfHalves[k];
  return LogGamma(x) - ((x - 0.5L) * std::log(x) - x + kLnSqrt2Pi);
}

// u - ln(1 + u) for u > -1, without cancellation near u = 0.
Real LinearMinusLog1p(Real u) {
  if (std::fabs(u) < 0.25L) {
    // u²/2 - u³/3 + u⁴/4 - ...
    Real power = u * u;
    Real sum = 0.0L;
    for (int k = 2; k < 60; ++k) {
      const Real term = power / k;
      sum += (k % 2 == 0) ? term : -term;
      if (std::fabs(term) < 1e-21L * sum) break;
      power *= u;
    }
    return sum;
  }
  return u - std::log1p(u);
}

// a (u - ln(1 + u)) for u = d/a, where lnOnePlusU() gives ln(1 + u) from
// its factors (asked for only away from u = 0): near u = -1 the sum 1 + u
// would have lost its digits.
template <class LogOfOnePlusU>
Real ScaledLinearMinusLog(Real a, Real d, LogOfOnePlusU&& lnOnePlusU) {
  const Real u = d / a;
  if (std::fabs(u) < 0.25L) return a * LinearMinusLog1p(u);
  return d - a * lnOnePlusU();
}

// x^a e^-x / Γ(a) for a > 0, x > 0. For large a the exponent is written as
// -a (u - ln(1 + u)) with u = (x - a)/a, so that the large terms a ln x, x
// and ln Γ(a) do not cancel.
Real GammaPowerTerm(Real a, Real x) {
  if (a < kStirlingFrom) return std::exp(a * std::log(x) - x - LogGamma(a));
  // a (ln(1 + u) - u) from the logarithms themselves where 1 + u = x/a is
  // far from 1 (near u = -1 the sum would have lost its digits).
  const Real d = x - a;
  const Real exponent = -ScaledLinearMinusLog(a, d, [&] { return std::log(x / a); });
  return std::exp(exponent + 0.5L * std::log(a / (2.0L * kPi)) - StirlingSeries(a));
}

// Both tails for a large shape p near its mean (|x - p| < 0.3 p) by Temme's
// uniform asymptotic expansion (in the form of DiDonato and Morris): with
// σ = (x - p)/p, y = p (σ - ln(1 + σ)) and z = ±√(2 (σ - ln(1 + σ))) (the
// sign of σ), the smaller tail is erfc(√y)/2 ± e^-y/√(2πp) Σ Ck(z) p^-k. The
// series and continued fraction would need about 10√p terms here.
TTails IncompleteGammaLargeShape(Real p, Real x) {
  static constexpr Real c0[] = {-0.33333333333333333L,   0.083333333333333333L,    -0.014814814814814815L,
                                0.0011574074074074074L,  0.0003527336860670194L,   -0.00017875514403292181L,
                                0.39192631785224378e-4L, -0.21854485106799922e-5L, -0.185406221071516e-5L,
                                0.8296711340953086e-6L,  -0.17665952736826079e-6L, 0.67078535434014986e-8L,
                                0.10261809784240308e-7L, -0.43820360184533532e-8L, 0.91476995822367902e-9L};
  static constexpr Real c1[] = {-0.0018518518518518519L,  -0.0034722222222222222L, 0.0026455026455026455L,
                                -0.00099022633744855967L, 0.00020576131687242798L, -0.40187757201646091e-6L,
                                -0.18098550334489978e-4L, 0.76491609160811101e-5L, -0.16120900894563446e-5L,
                                0.46471278028074343e-8L,  0.1378633446915721e-6L,  -0.5752545603517705e-7L,
                                0.11951628599778147e-7L};
  static constexpr Real c2[] = {0.0041335978835978836L,   -0.0026813271604938272L,  0.00077160493827160494L,
                                0.20093878600823045e-5L,  -0.00010736653226365161L, 0.52923448829120125e-4L,
                                -0.12760635188618728e-4L, 0.34235787340961381e-7L,  0.13721957309062933e-5L,
                                -0.6298992138380055e-6L,  0.14280614206064242e-6L};
  static constexpr Real c3[] = {0.00064943415637860082L, 0.00022947209362139918L,  -0.00046918949439525571L,
                                0.00026772063206283885L, -0.75618016718839764e-4L, -0.23965051138672967e-6L,
                                0.11082654115347302e-4L, -0.56749528269915966e-5L, 0.14230900732435884e-5L};
  static constexpr Real c4[] = {-0.0008618882909167117L,  0.00078403922172006663L, -0.00029907248030319018L,
                                -0.14638452578843418e-5L, 0.66414982154651222e-4L, -0.39683650471794347e-4L,
                                0.11375726970678419e-4L};
  const auto polynomial = [](const Real* c, std::size_t count, Real z) {
    Real v = c[count - 1];
    for (std::size_t k = count - 1; k-- > 0;) v = v * z + c[k];
    return v;
  };
  const Real sigma = (x - p) / p;
  const Real phi = LinearMinusLog1p(sigma);
  const Real y = p * phi;
  const Real z = (x < p ? -1.0L : 1.0L) * std::sqrt(2.0L * phi);
  const Real terms[] = {polynomial(c0, std::size(c0), z), polynomial(c1, std::size(c1), z),
                        polynomial(c2, std::size(c2), z), polynomial(c3, std::size(c3), z),
                        polynomial(c4, std::size(c4), z)};
  Real sum = polynomial(terms, std::size(terms), 1.0L / p);
  sum *= std::exp(-y) / std::sqrt(2.0L * kPi * p);
  const Real smaller = std::erfc(std::sqrt(y)) / 2.0L + (x < p ? -sum : sum);
  return x < p ? FromLower(smaller) : FromUpper(smaller);
}

// x^a (1-x)^b / B(a, b) with xc = 1 - x. With c = a + b the exponent is
// a ln(x c / a) + b ln(xc c / b) plus Stirling remainders; the first two
// terms are -(a D(d/a) + b D(-d/b)) with d = x c - a and D(u) = u - ln(1+u),
// which keeps them exact where x is near the mean a / c and the powers and
// the beta function are each huge.
Real BetaPowerTerm(Real x, Real xc, Real a, Real b) {
  const Real c = a + b;
  const bool xSmall = x <= 0.5L;
  const Real d = xSmall ? x * c - a : b - xc * c;
  const auto lnXTerm = [&] { return (xSmall ? std::log(x) : std::log1p(-xc)) + std::log1p(b / a); };
  const auto lnXcTerm = [&] { return (xSmall ? std::log1p(-x) : std::log(xc)) + std::log1p(a / b); };
  const Real exponent = -ScaledLinearMinusLog(a, d, lnXTerm) - ScaledLinearMinusLog(b, -d, lnXcTerm);
  return std::exp(exponent + 0.5L * std::log(a / c * b) - kLnSqrt2Pi + StirlingRemainder(c) - StirlingRemainder(a) -
                  StirlingRemainder(b));
}

// The continued fraction of I_x(a, b) (x^a (1-x)^b / (a B(a, b)) times it),
// by the modified Lentz method; converges quickly for x < (a + 1)/(a + b + 2).
Real BetaFraction(Real x, Real a, Real b) {
  constexpr Real kTiny = 1e-4000L;
  constexpr Real kTolerance = 1e-18L;
  const Real sum = a + b;
  const auto guard = [](Real v) { return std::fabs(v) < kTiny ? kTiny : v; };
  Real c = 1.0L;
  Real d = 1.0L / guard(1.0L - sum * x / (a + 1.0L));
  Real h = d;
  for (int m = 1; m < 10000000; ++m) {
    const Real m2 = 2.0L * m;
    Real coefficient = m * (b - m) * x / ((a + m2 - 1.0L) * (a + m2));
    d = 1.0L / guard(1.0L + coefficient * d);
    c = guard(1.0L + coefficient / c);
    h *= d * c;
    coefficient = -(a + m) * (sum + m) * x / ((a + m2) * (a + m2 + 1.0L));
    d = 1.0L / guard(1.0L + coefficient * d);
    c = guard(1.0L + coefficient / c);
    const Real step = d * c;
    h *= step;
    if (std::fabs(step - 1.0L) < kTolerance) break;
  }
  return h;
}

// Shapes from which I_x(a, b) with b <= 1 is taken from its expansion in
// incomplete gamma functions for large a.
constexpr Real kLargeBetaShape = 1000.0L;

// I_x(a, b) for large a and b <= 1 by the asymptotic expansion of DiDonato
// and Morris (BGRAT, ACM TOMS 708): with t = a + (b - 1)/2 and u = -t ln x,
// I_x(a, b) = Γ(a + b)/(Γ(a) t^b) · Σ pn Jn, J0 = Q(b, u)·Γ(b)/(u^b e^-u),
// the terms falling like (ln x / 2t)^2n. The continued fraction needs some
// √a terms here and loses digits with each (Student's t at 10^9 degrees of
// freedom was off in the tenth digit).
Real BetaLargeShape(Real x, Real xc, Real a, Real b) {
  const Real t = a + (b - 1.0L) / 2.0L;
  const Real lx = xc < 0.35L ? std::log1p(-xc) : std::log(x);
  const Real u = -t * lx;
  // ln(Γ(a + b)/(Γ(a) t^b)) from Stirling's formula without its large
  // terms: -a D(b/a) - ln(1 + b/a)/2 + b ln(1 + (b + 1)/2t) + R(a + b) - R(a),
  // D(v) = v - ln(1 + v).
  const Real ratio =
      std::exp(-a * LinearMinusLog1p(b / a) - 0.5L * std::log1p(b / a) + b * std::log1p((b + 1.0L) / (2.0L * t)) +
               StirlingRemainder(a + b) - StirlingRemainder(a));
  const Real q = IncompleteGammaTails(b, u).Upper;
  Real sum = ratio * q;
  const Real h = GammaPowerTerm(b, u);  // u^b e^-u / Γ(b)
  if (!(h > 0.0L) || sum == 0.0L) return sum;
  const Real prefix = ratio * h;
  Real j = q / h;
  constexpr int kTerms = 30;
  Real p[kTerms] = {1.0L};
  Real factorial[2 * kTerms + 2] = {1.0L};
  for (int k = 1; k < 2 * kTerms + 2; ++k) factorial[k] = factorial[k - 1] * k;
  const Real lx2 = (lx / 2.0L) * (lx / 2.0L), t4 = 4.0L * t * t;
  Real lxp = 1.0L, b2n = b;
  for (int n = 1; n < kTerms; ++n) {
    p[n] = 0.0L;
    for (int m = 1; m < n; ++m) p[n] += (m * b - n) * p[n - m] / factorial[2 * m + 1];
    p[n] = p[n] / n + (b - 1.0L) / factorial[2 * n + 1];
    j = (b2n * (b2n + 1.0L) * j + (u + b2n + 1.0L) * lxp) / t4;
    lxp *= lx2;
    b2n += 2.0L;
    const Real term = prefix * p[n] * j;
    sum += term;
    if (std::fabs(term) <= 1e-21L * std::fabs(sum)) break;
  }
  return sum;
}

// Coefficient C(n, r) by the stated product, before rounding; may be
// infinite.
Real BinomialProduct(Real n, Real r) {
  if (r > std::floor(n / 2.0L)) r = n - r;
  Real d = 1.0L;
  for (Real k = 1.0L; k <= r; k += 1.0L) {
    d *= n - r + k;
    if (k + 1.0L <= r) d /= k + 1.0L;
    if (std::isinf(d)) break;
  }
  return d;
}

}  // namespace

// ---- tolerances ------------------------------------------------------------------

bool SameReal(Real a, Real b) {
  const Real diff = std::fabs(a - b);
  if (a == 0.0L || b == 0.0L) return diff <= kRelativeTolerance;
  return diff <= kRelativeTolerance * std::min(std::fabs(a), std::fabs(b));
}

bool IsPositive(Real x) { return x >= kZeroTolerance; }
bool IsZero(Real x) { return std::fabs(x) < kZeroTolerance; }

bool IsGammaPole(Real x) { return IsZero(x) || (x < 0.0L && SameReal(x, std::trunc(x))); }

// ---- gamma family --------------------------------------------------------------

Real LnGamma(Real x) {
  if (IsGammaPole(x)) Fail(kNotDefined);
  if (x > 0.0L) return LnGammaPositive(x);
  const Real s = SinPi(x);
  if (s < 0.0L) MathFail(mkInvalidOp);  // logarithm of a negative number
  return std::log(kPi / s) - LnGammaPositive(1.0L - x);
}

Real InverseGamma(Real x) {
  if (x > 0.0L) return std::exp(-LnGammaPositive(x));
  if (x == 0.0L || x == std::trunc(x)) return 0.0L;
  Real q = x - std::trunc(x);  // fractional part, in (-1, 0)
  Real v = InverseGammaSeries(q);
  // 1/Γ(q - 1) = (q - 1)/Γ(q), down to x; past the extended range the
  // value stays infinite.
  for (Real steps = -std::trunc(x); steps > 0.0L && !std::isinf(v); steps -= 1.0L) {
    v *= q - 1.0L;
    q -= 1.0L;
  }
  return v;
}

Real Gamma(Real x) {
  if (IsGammaPole(x)) Fail(kNotDefined);
  if (x > 0.0L) return std::exp(LnGammaPositive(x));
  // Next to a pole, where 1/Γ's series meets its zero and loses its digits:
  // the reflection formula Γ(x) = π/(sin(πx) Γ(1 - x)).
  if (x > -1000.0L && std::fabs(x - std::nearbyint(x)) < 0.25L) return kPi / (SinPi(x) * std::exp(LogGamma(1.0L - x)));
  const Real v = InverseGamma(x);
  if (IsZero(v)) Fail(kNotDefined);
  return 1.0L / v;
}

Real LogGamma(Real x) {
  if (x >= kStirlingFrom) return (x - 0.5L) * std::log(x) - x + kLnSqrt2Pi + StirlingSeries(x);
  if (const int k = HalvesIndex(x); k >= 0) return kLogGammaOfHalves[k];
  // Γ(x) = Γ(y) / (x (x + 1) ... (y - 1)) with y >= 15.
  Real product = 1.0L;
  Real y = x;
  while (y < kStirlingFrom) {
    product *= y;
    y += 1.0L;
  }
  return (y - 0.5L) * std::log(y) - y + kLnSqrt2Pi + StirlingSeries(y) - std::log(product);
}

Real LogBeta(Real a, Real b) {
  if (a < b) std::swap(a, b);
  // ln Γ(a) + ln Γ(b) - ln Γ(a + b) with each ln Γ(z) written as
  // (z - 1/2) ln z - z + ln √(2π) + R(z): the large terms combine into
  // -(a - 1/2) ln(1 + b/a) - b ln(1 + a/b) - (ln b)/2, which holds no
  // difference of nearly equal numbers even for b much smaller than a.
  const Real c = a + b;
  return -(a - 0.5L) * std::log1p(b / a) - b * std::log1p(a / b) - 0.5L * std::log(b) + kLnSqrt2Pi +
         StirlingRemainder(a) + StirlingRemainder(b) - StirlingRemainder(c);
}

TTails IncompleteGammaTails(Real p, Real x) {
  constexpr Real kOverflow = 1.7e308L;
  constexpr Real kFractionTolerance = 1e-18L;
  if (!(x > 0.0L)) return {0.0L, 1.0L};
  if (std::isinf(x)) return {1.0L, 0.0L};
  if (p >= kLargeShape && std::fabs(x - p) < 0.3L * p) return IncompleteGammaLargeShape(p, x);
  if (HalvesIndex(p) >= 0 && x >= 0.5L * p) {
    // A whole or half p below 15 (the chi-square and Poisson cases) from
    // half the mean up, where the lower tail is at least 0.01 and so keeps
    // its digits as 1 minus the upper: the upper tail by its closed form, a
    // short sum of positive terms, e^-x (1 + x + ... + x^(p-1)/(p-1)!) for a whole p and
    // erfc(√x) + e^-x (x^(1/2)/Γ(3/2) + ... + x^(p-1)/Γ(p)) for a half one.
    const bool whole = p == std::floor(p);
    Real term = whole ? std::exp(-x) : std::exp(-x) * std::sqrt(x) / (0.5L * std::sqrt(kPi));
    Real upper = whole ? term : std::erfc(std::sqrt(x)) + (p > 0.5L ? term : 0.0L);
    for (Real k = whole ? 1.0L : 1.5L; k < p; k += 1.0L) {
      term *= x / k;
      upper += term;
    }
    return FromUpper(upper);
  }
  if (x <= 1.0L || x < p) {
    // Series for the lower tail: x^p e^-x / Γ(p + 1) (1 + x/(p+1) + x²/((p+1)(p+2)) + ...).
    // Two terms per division: c x/(a+1) and c x²/((a+1)(a+2)).
    Real c = 1.0L;
    Real sum = 1.0L;
    Real a = p;
    do {
      const Real next = a + 1.0L, afterNext = a + 2.0L;
      const Real common = c * x / (next * afterNext);
      c = common * x;
      sum += common * afterNext + c;
      a = afterNext;
    } while (c > sum * 1e-21L);
    const Real lower = GammaPowerTerm(p, x) / p * sum;
    return FromLower(lower);
  }
  // Continued fraction for the upper tail, rescaled when its terms grow
  // past the double range.
  Real a = 1.0L - p;
  Real b = a + x + 1.0L;
  Real c = 0.0L;
  Real pn1 = 1.0L, pn2 = x, pn3 = x + 1.0L, pn4 = x * b;
  Real value = pn3 / pn4;
  for (long iteration = 0; iteration < 100000000L; ++iteration) {
    a += 1.0L;
    b += 2.0L;
    c += 1.0L;
    const Real an = a * c;
    const Real pn5 = b * pn3 - an * pn1;
    const Real pn6 = b * pn4 - an * pn2;
    if (pn6 != 0.0L) {
      const Real rn = pn5 / pn6;
      const Real diff = std::fabs(value - rn);
      value = rn;
      if (diff <= kFractionTolerance * rn) break;
    }
    pn1 = pn3;
    pn2 = pn4;
    pn3 = pn5;
    pn4 = pn6;
    if (std::fabs(pn5) >= kOverflow) {
      pn1 /= kOverflow;
      pn2 /= kOverflow;
      pn3 /= kOverflow;
      pn4 /= kOverflow;
    }
  }
  const Real upper = GammaPowerTerm(p, x) * value;
  return FromUpper(upper);
}

Real UpperIncompleteGammaIntegral(Real s, Real x) {
  const Real gamma = std::exp(LogGamma(s));
  if (x == 0.0L) return gamma;
  return gamma * IncompleteGammaTails(s, x).Upper;
}

TTails IncompleteBetaTails(Real x, Real xc, Real a, Real b) {
  if (x <= 0.0L) return {0.0L, 1.0L};
  if (xc <= 0.0L) return {1.0L, 0.0L};
  // One huge shape and the other at most 1 (Student's t and F at huge
  // degrees of freedom): the smaller tail from the expansion.
  if (b <= 1.0L && a >= kLargeBetaShape) {
    const Real lower = BetaLargeShape(x, xc, a, b);
    if (lower <= 0.5L) return FromLower(lower);
  }
  if (a <= 1.0L && b >= kLargeBetaShape) {
    const Real upper = BetaLargeShape(xc, x, b, a);
    if (upper <= 0.5L) return FromUpper(upper);
  }
  // The fraction converges fast below the mean; above it the same steps
  // give the upper tail with the shape parameters exchanged.
  if (x * (a + b + 2.0L) < a + 1.0L) {
    const Real lower = BetaPowerTerm(x, xc, a, b) * BetaFraction(x, a, b) / a;
    return FromLower(lower);
  }
  const Real upper = BetaPowerTerm(xc, x, b, a) * BetaFraction(xc, b, a) / b;
  return FromUpper(upper);
}

// ---- normal distribution -----------------------------------------------------------

Real NormalDensity(Real x) { return std::exp(-x * x / 2.0L) * kInvSqrt2Pi; }

Real NormalCdf(Real x) {
  if (std::isnan(x)) return x;
  // Below 0 the value is the upper tail at -x, from the complementary error
  // function (1 - Φ(-x) would lose every digit of a small tail).
  if (x < 0.0L) return 0.5L * std::erfc(-x / kSqrt2);
  // From 10 on, 1 - Φ(x) < 7.7e-24 is below half an extended ulp of 1.
  if (x >= 10.0L) return 1.0L;
  // x + x³/3 + x⁵/(3·5) + ... until two sums differ by less than 1e-18.
  // Up to x = 10 the series needs about 250 terms (100 would truncate it
  // visibly from x = 8.5 on), so the term count is capped at 1000.
  const Real x2 = x * x;
  Real term = x;
  Real sum = x;
  for (int i = 1; i < 1000; ++i) {
    term *= x2 / (2 * i + 1);
    const Real previous = sum;
    sum += term;
    if (std::fabs(sum - previous) < 1e-18L) break;
  }
  return 0.5L + NormalDensity(x) * sum;
}

Real NormalQuantile(Real p, Real q) {
  constexpr Real split1 = 0.425L, split2 = 5.0L, const1 = 0.180625L, const2 = 1.6L;
  constexpr Real a0 = 3.3871328727963666080e0L, a1 = 1.3314166789178437745e+2L, a2 = 1.9715909503065514427e+3L,
                 a3 = 1.3731693765509461125e+4L, a4 = 4.5921953931549871457e+4L, a5 = 6.7265770927008700853e+4L,
                 a6 = 3.3430575583588128105e+4L, a7 = 2.5090809287301226727e+3L;
  constexpr Real b1 = 4.2313330701600911252e+1L, b2 = 6.8718700749205790830e+2L, b3 = 5.3941960214247511077e+3L,
                 b4 = 2.1213794301586595867e+4L, b5 = 3.9307895800092710610e+4L, b6 = 2.8729085735721942674e+4L,
                 b7 = 5.2264952788528545610e+3L;
  constexpr Real c0 = 1.42343711074968357734e0L, c1 = 4.63033784615654529590e0L, c2 = 5.76949722146069140550e0L,
                 c3 = 3.64784832476320460504e0L, c4 = 1.27045825245236838258e0L, c5 = 2.41780725177450611770e-1L,
                 c6 = 2.27238449892691845833e-2L, c7 = 7.74545014278341407640e-4L;
  constexpr Real d1 = 2.05319162663775882187e0L, d2 = 1.67638483018380384940e0L, d3 = 6.89767334985100004550e-1L,
                 d4 = 1.48103976427480074590e-1L, d5 = 1.51986665636164571966e-2L, d6 = 5.47593808499534494600e-4L,
                 d7 = 1.05075007164441684324e-9L;
  constexpr Real e0 = 6.65790464350110377720e0L, e1 = 5.46378491116411436990e0L, e2 = 1.78482653991729133580e0L,
                 e3 = 2.96560571828504891230e-1L, e4 = 2.65321895265761230930e-2L, e5 = 1.24266094738807843860e-3L,
                 e6 = 2.71155556874348757815e-5L, e7 = 2.01033439929228813265e-7L;
  constexpr Real f1 = 5.99832206555887937690e-1L, f2 = 1.36929880922735805310e-1L, f3 = 1.48753612908506148525e-2L,
                 f4 = 7.86869131145613259100e-4L, f5 = 1.84631831751005468180e-5L, f6 = 1.42151175831644588870e-7L,
                 f7 = 2.04426310338993978564e-15L;

  const Real dev = p <= 0.5L ? p - 0.5L : 0.5L - q;  // p - 0.5 from the nearer end
  if (std::fabs(dev) <= split1) {
    const Real r = const1 - dev * dev;
    return dev * (((((((a7 * r + a6) * r + a5) * r + a4) * r + a3) * r + a2) * r + a1) * r + a0) /
           (((((((b7 * r + b6) * r + b5) * r + b4) * r + b3) * r + b2) * r + b1) * r + 1.0L);
  }
  Real r = std::sqrt(-std::log(std::min(p, q)));
  Real value;
  if (r <= split2) {
    r -= const2;
    value = (((((((c7 * r + c6) * r + c5) * r + c4) * r + c3) * r + c2) * r + c1) * r + c0) /
            (((((((d7 * r + d6) * r + d5) * r + d4) * r + d3) * r + d2) * r + d1) * r + 1.0L);
  } else {
    r -= split2;
    value = (((((((e7 * r + e6) * r + e5) * r + e4) * r + e3) * r + e2) * r + e1) * r + e0) /
            (((((((f7 * r + f6) * r + f5) * r + f4) * r + f3) * r + f2) * r + f1) * r + 1.0L);
  }
  return dev < 0.0L ? -value : value;
}

// ---- chi-square, F and t ---------------------------------------------------------

TTails ChiSquareTails(Real x, Real nu) { return IncompleteGammaTails(nu / 2.0L, x / 2.0L); }

Real InvChiSquareAS91(Real p, Real q, Real nu) {
  constexpr Real aa = 0.6931471806L;
  constexpr Real c1 = 0.01L, c2 = 0.222222L, c3 = 0.32L, c4 = 0.4L, c5 = 1.24L, c6 = 2.2L, c7 = 4.67L, c8 = 6.66L,
                 c9 = 6.73L, c10 = 13.32L, c11 = 60.0L, c12 = 70.0L, c13 = 84.0L, c14 = 105.0L, c15 = 120.0L,
                 c16 = 127.0L, c17 = 140.0L, c18 = 175.0L, c19 = 210.0L, c20 = 252.0L, c21 = 264.0L, c22 = 294.0L,
                 c23 = 346.0L, c24 = 420.0L, c25 = 462.0L, c26 = 606.0L, c27 = 672.0L, c28 = 707.0L, c29 = 735.0L,
                 c30 = 889.0L, c31 = 932.0L, c32 = 966.0L, c33 = 1141.0L, c34 = 1182.0L, c35 = 1278.0L, c36 = 1740.0L,
                 c37 = 2520.0L, c38 = 5040.0L;
  // The correction is carried until the relative change is at the level of
  // the double result, not only to the 5e-7 of the published algorithm.
  constexpr Real kRelativeChange = 1e-15L;
  const Real xx = 0.5L * nu;
  const Real c = xx - 1.0L;
  const Real g = LogGamma(xx);
  Real ch;
  if (nu < -c5 * std::log(p)) {
    ch = std::pow(p * xx * std::exp(g + xx * aa), 1.0L / xx);
    // Past the published early return (ch < 5e-7) the correction below
    // still runs: the small-ch start is only good to about ch itself.
    if (ch == 0.0L) return ch;
  } else if (nu > c3) {
    const Real x = NormalQuantile(p, q);
    const Real p1 = c2 / nu;
    ch = nu * std::pow(x * std::sqrt(p1) + 1.0L - p1, 3.0L);
    if (ch > c6 * nu + 6.0L) ch = -2.0L * (std::log(q) - c * std::log(0.5L * ch) + g);
  } else {
    ch = c4;
    const Real a = std::log(q);
    for (int iteration = 0; iteration < 1000; ++iteration) {
      const Real previous = ch;
      const Real p1 = 1.0L + ch * (c7 + ch);
      const Real p2 = ch * (c9 + ch * (c8 + ch));
      const Real t = -0.5L + (c7 + 2.0L * ch) / p1 - (c9 + ch * (c10 + 3.0L * ch)) / p2;
      ch -= (1.0L - std::exp(a + g + 0.5L * ch + c * aa) * p2 / p1) / t;
      if (std::fabs(previous / ch - 1.0L) <= c1) break;
    }
  }
  // Seven-term Taylor correction. The distance to the target is taken in
  // the smaller tail, and the step p2/f(ch) from the density written as
  // x^a e^-x / Γ(a) at a = ν/2, x = ch/2 (which is ch·f(ch)).
  for (int iteration = 0; iteration < 20; ++iteration) {
    const Real previous = ch;
    const Real p1 = 0.5L * ch;
    const TTails tails = IncompleteGammaTails(xx, p1);
    const Real p2 = p <= q ? p - tails.Lower : tails.Upper - q;
    const Real t = p2 * ch / GammaPowerTerm(xx, p1);
    if (!std::isfinite(t)) break;
    const Real b = t / ch;
    const Real a = 0.5L * t - b * c;
    const Real s1 = (c19 + a * (c17 + a * (c14 + a * (c13 + a * (c12 + c11 * a))))) / c24;
    const Real s2 = (c24 + a * (c29 + a * (c32 + a * (c33 + c35 * a)))) / c37;
    const Real s3 = (c19 + a * (c25 + a * (c28 + c31 * a))) / c37;
    const Real s4 = (c20 + a * (c27 + c34 * a) + c * (c22 + a * (c30 + c36 * a))) / c38;
    const Real s5 = (c13 + c21 * a + c * (c18 + c26 * a)) / c37;
    const Real s6 = (c15 + c * (c23 + c16 * c)) / c38;
    ch += t * (1.0L + 0.5L * t * s1 - b * c * (s1 - b * (s2 - b * (s3 - b * (s4 - b * (s5 - b * s6))))));
    if (std::fabs(previous / ch - 1.0L) <= kRelativeChange) break;
  }
  return ch;
}

TTails FDistTails(Real x, Real nu1, Real nu2) {
  // P(F <= x) = I_y(ν1/2, ν2/2) with y = ν1 x/(ν1 x + ν2); its complement
  // 1 - y = ν2/(ν1 x + ν2) is formed separately.
  const Real denominator = nu1 * x + nu2;
  return IncompleteBetaTails(nu1 * x / denominator, nu2 / denominator, nu1 / 2.0L, nu2 / 2.0L);
}

TTails StudentTTails(Real x, Real nu) {
  // P(|T| > |x|) = I_w(ν/2, 1/2) with w = ν/(ν + x²); each tail is half of it.
  const Real x2 = x * x;
  const Real outside = IncompleteBetaTails(nu / (nu + x2), x2 / (nu + x2), nu / 2.0L, 0.5L).Lower;
  const Real tail = outside / 2.0L;
  return x >= 0.0L ? TTails{1.0L - tail, tail} : TTails{tail, 1.0L - tail};
}

Real InvFDistEstimate(Real p, Real q, Real nu1, Real nu2) {
  if (q > 0.5L) return 1.0L / InvFDistEstimate(q, p, nu2, nu1);
  // The estimate divides by ν - 1: with one degree of freedom the search
  // starts from 1 instead.
  if (nu1 == 1.0L || nu2 == 1.0L) return 1.0L;
  const Real y = NormalQuantile(p, q);
  const Real i1 = 1.0L / (nu1 - 1.0L), i2 = 1.0L / (nu2 - 1.0L);
  const Real h = 2.0L / (i1 + i2);
  const Real lambda = (y * y - 3.0L) / 6.0L;
  const Real w = y * std::sqrt(h + lambda) / h - (i1 - i2) * (lambda + 5.0L / 6.0L - 2.0L / (3.0L * h));
  return std::exp(2.0L * w);
}

Real InvStudentTEstimate(Real p, Real q, Real nu) {
  const Real tail = p > 0.5L ? q : p;
  const Real t = std::sqrt(std::log(1.0L / (tail * tail)));
  const Real z = t - (2.515517L + 0.802853L * t + 0.010328L * t * t) /
                         (1.0L + 1.432788L * t + 0.189269L * t * t + 0.001308L * t * t * t);
  const Real z2 = z * z, z3 = z2 * z, z5 = z3 * z2, z7 = z5 * z2, z9 = z7 * z2;
  const Real g1 = (z3 + z) / 4.0L;
  const Real g2 = (5.0L * z5 + 16.0L * z3 + 3.0L * z) / 96.0L;
  const Real g3 = (3.0L * z7 + 19.0L * z5 + 17.0L * z3 - 15.0L * z) / 384.0L;
  const Real g4 = (79.0L * z9 + 776.0L * z7 + 1482.0L * z5 - 1920.0L * z3 - 945.0L * z) / 92160.0L;
  const Real estimate = z + g1 / nu + g2 / (nu * nu) + g3 / (nu * nu * nu) + g4 / (nu * nu * nu * nu);
  return p > 0.5L ? estimate : -estimate;
}

Real RefineQuantile(const std::function<TTails(Real)>& tails, Real p, Real q, Real e, Real lowerLimit,
                    Real relativeWidth) {
  // h(x) = ln(tail at x / target tail), taken in the smaller tail: negative
  // below the quantile, positive above it, and nearly linear near it, so
  // that false-position steps converge quickly also in the far tails.
  const bool byLower = p <= q;
  const auto h = [&](Real x) {
    const TTails t = tails(x);
    return byLower ? std::log(t.Lower / p) : std::log(q / t.Upper);
  };
  try {
    const Real start = std::isfinite(e) ? std::max(e, lowerLimit) : std::max(lowerLimit, 0.0L) + 1.0L;
    const Real firstStep = start != 0.0L ? std::fabs(start) * relativeWidth : relativeWidth;
    // Widen each side, doubling the step, until the bracket holds the answer.
    Real step = firstStep;
    Real low = std::max(start - step, lowerLimit);
    Real hLow = h(low);
    for (int i = 0; i < 20000 && low > lowerLimit && hLow > 0.0L; ++i, step *= 2.0L) {
      low = std::max(low - step, lowerLimit);
      hLow = h(low);
    }
    step = firstStep;
    Real high = start + step;
    Real hHigh = h(high);
    for (int i = 0; i < 20000 && hHigh < 0.0L && std::isfinite(high); ++i, step *= 2.0L) {
      high += step;
      hHigh = h(high);
    }
    if (!std::isfinite(high)) return e;
    if (hLow == 0.0L) return low;
    if (hHigh == 0.0L) return high;
    // False position with the Illinois modification (the value kept at an
    // end that stays twice is halved), falling back to halving where a
    // tail is 0 or 1 to the working precision; from a lower end at 0 the
    // fallback divides the upper end instead, as the quantile may be many
    // orders of magnitude smaller.
    int lastMoved = 0;
    for (int i = 0; i < 4000; ++i) {
      if (high - low <= 1e-18L * std::max(std::fabs(low), std::fabs(high))) break;
      Real x = low == 0.0L && high > 0.0L ? high / 16.0L : (low + high) / 2.0L;
      if (std::isfinite(hLow) && std::isfinite(hHigh) && hHigh != hLow) {
        const Real secant = low - hLow * (high - low) / (hHigh - hLow);
        if (secant > low && secant < high) x = secant;
      }
      if (!(x > low && x < high)) break;
      const Real hx = h(x);
      if (std::isnan(hx)) break;
      if (hx == 0.0L) return x;
      if (hx < 0.0L) {
        low = x;
        hLow = hx;
        if (lastMoved < 0) hHigh /= 2.0L;
        lastMoved = -1;
      } else {
        high = x;
        hHigh = hx;
        if (lastMoved > 0) hLow /= 2.0L;
        lastMoved = 1;
      }
    }
    return std::fabs(hLow) < std::fabs(hHigh) ? low : high;
  } catch (...) { return e; }
}

// ---- discrete and combinatorial ---------------------------------------------------

void RequireFactorial(Real k) {
  if (k < 0.0L || k > 1754.0L) Fail(texts::kFactorialCalculationCannotExceed1754);
}

Real Permutation(Real n, Real r) {
  // Negative arguments have no meaning here and are refused like n < r.
  if (n < r || n < 0.0L || r < 0.0L) Fail(texts::kInvalidPermutation);
  if (n == 0.0L) return 0.0L;
  if (r == 0.0L) return 1.0L;
  Real d = 1.0L;
  for (Real k = 0.0L; k < r && !std::isinf(d); k += 1.0L) d *= n - k;
  const Real result = std::floor(d + 0.5L);
  if (!(result <= std::numeric_limits<double>::max())) Fail(texts::kPermutationOverflowed);
  return result;
}

Real BinomialCoefficient(Real n, Real r) {
  if (n < r || n < 0.0L || r < 0.0L) Fail(texts::kInvalidBinomialCoefficient);
  if (n == 0.0L) return 0.0L;
  if (r == 0.0L || r == n) return 1.0L;
  const Real result = std::floor(BinomialProduct(n, r) + 0.5L);
  if (!(result <= std::numeric_limits<double>::max())) Fail(texts::kBinomialCoefficientOverflowed);
  return result;
}

Real Hermite(Real x, Real n) {
  // A negative order is not an order of a Hermite polynomial.
  if (n < 0.0L) Fail(texts::kIncorrectIntegerTypeOrderOfHermite);
  if (n == 0.0L) return 1.0L;
  if (x == 0.0L && std::fmod(n, 2.0L) == 1.0L) return 0.0L;
  Real previous = 1.0L, current = 2.0L * x;
  // |H_k| grows at least like √(2^k k!), so the loop leaves the extended
  // range after a few thousand steps for any n.
  for (Real k = 1.0L; k < n; k += 1.0L) {
    const Real next = 2.0L * x * current - 2.0L * k * previous;
    previous = current;
    current = next;
    if (!std::isfinite(current)) MathFail(mkOverflow);
  }
  return current;
}

Real BinomialTerm(Real p, Real n, Real k) {
  if (p == 0.0L) return k == 0.0L ? 1.0L : 0.0L;
  if (p == 1.0L) return k == n ? 1.0L : 0.0L;
  // C(n, k) p^k (1-p)^(n-k) = p^(k+1) (1-p)^(n-k+1) / ((n + 1) B(k + 1, n - k + 1) p (1-p)),
  // whose power term is formed without overflow or cancellation.
  const Real q = 1.0L - p;
  return BetaPowerTerm(p, q, k + 1.0L, n - k + 1.0L) / ((n + 1.0L) * p * q);
}

namespace {

// Probability of lo..hi events (both included) of a discrete distribution
// with the given mode. belowAndFrom(k) gives P(X < k) and P(X >= k) for
// first < k <= last, each with its own relative accuracy; term(k) is the
// probability of k and ratio(k) that of k + 1 over that of k. A short range
// is summed from its largest term outwards; a long one is the difference
// of the tails at its ends, taken on the side of the mode where it does not
// cancel.
template <class Split, class Term, class Ratio>
Real DiscreteRange(Real lo, Real hi, Real first, Real last, Real mode, Split&& belowAndFrom, Term&& term,
                   Ratio&& ratio) {
  if (lo <= first && hi >= last) return 1.0L;
  if (lo <= first) return belowAndFrom(hi + 1.0L).Lower;
  if (hi >= last) return belowAndFrom(lo).Upper;
  if (hi - lo < 64.0L) {
    const Real start = std::min(std::max(mode, lo), hi);
    const Real largest = term(start);
    Real sum = largest;
    Real t = largest;
    for (Real k = start; k > lo && t > 0.0L; k -= 1.0L) {
      t /= ratio(k - 1.0L);
      sum += t;
    }
    t = largest;
    for (Real k = start; k < hi && t > 0.0L; k += 1.0L) {
      t *= ratio(k);
      sum += t;
    }
    return sum;
  }
  const TTails atLo = belowAndFrom(lo);
  const TTails pastHi = belowAndFrom(hi + 1.0L);
  Real value;
  if (hi < mode) value = pastHi.Lower - atLo.Lower;
  else if (lo > mode) value = atLo.Upper - pastHi.Upper;
  else value = 1.0L - atLo.Lower - pastHi.Upper;
  return std::max(value, 0.0L);
}

}  // namespace

Real BinomialSum(Real p, Real n, Real lo, Real hi) {
  if (p == 0.0L) return lo == 0.0L ? 1.0L : 0.0L;
  if (p == 1.0L) return hi == n ? 1.0L : 0.0L;
  const Real q = 1.0L - p;
  // P(X >= k) = I_p(k, n - k + 1) and P(X < k) its complement, 1 <= k <= n.
  const auto split = [&](Real k) {
    const TTails t = IncompleteBetaTails(p, q, k, n - k + 1.0L);
    return TTails{t.Upper, t.Lower};
  };
  const auto term = [&](Real k) { return BinomialTerm(p, n, k); };
  const auto ratio = [&](Real k) { return (n - k) / (k + 1.0L) * p / q; };
  return DiscreteRange(lo, hi, 0.0L, n, std::floor((n + 1.0L) * p), split, term, ratio);
}

Real PoissonTerm(Real lambda, Real k) {
  RequireFactorial(k);
  // λ^k e^-λ / k! = (λ^(k+1) e^-λ / Γ(k + 1)) / λ.
  return GammaPowerTerm(k + 1.0L, lambda) / lambda;
}

Real PoissonSum(Real lambda, Real lo, Real hi) {
  // P(X >= k) = P(k, λ) and P(X < k) = Q(k, λ), k >= 1.
  const auto split = [&](Real k) {
    const TTails t = IncompleteGammaTails(k, lambda);
    return TTails{t.Upper, t.Lower};
  };
  const auto term = [&](Real k) { return GammaPowerTerm(k + 1.0L, lambda) / lambda; };
  const auto ratio = [&](Real k) { return lambda / (k + 1.0L); };
  return DiscreteRange(lo, hi, 0.0L, kInf, std::floor(lambda), split, term, ratio);
}

}  // namespace helmax::special
