// Numerical routines of the probability distributions pack (extended
// precision). See SpecialFunctions.h.
#include "SpecialFunctions.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "Value.h"

namespace helmax::special {
namespace {

constexpr Real kPi = 3.141592653589793238462643383279502884L;
constexpr Real kInvSqrt2Pi = 0.398942280401432677939946059934381868L;
constexpr Real kSqrt2Pi = 2.506628274631000502415765284811045253L;
constexpr Real kInf = std::numeric_limits<Real>::infinity();

[[noreturn]] void Fail(const char* message) { throw std::runtime_error(message); }
[[noreturn]] void MathFail(int kind) { throw EHelmaxMathError(kind); }

constexpr const char* kNotDefined = "Not defined for that value";

// ln Γ(x) for x > 0 by the shifted Stirling-type formula.
Real LnGammaPositive(Real x) {
  if (x == 1.0L || x == 2.0L) return 0.0L;  // exact zeros the formula misses by ~5e-16
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

// sin(πx), reduced exactly modulo 2 first.
Real SinPi(Real x) {
  const Real r = std::fmod(x, 2.0L);
  return std::sin(kPi * r);
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

// The regularized incomplete gamma function by AS 239; exponent results
// below expLimit are taken as 0.
TGammaTails IncompleteGammaAS239(Real p, Real x, Real expLimit) {
  constexpr Real kOverflow = 1.7e308L;
  constexpr Real kFractionTolerance = 1e-18L;
  if (x == 0.0L) return {0.0L, 1.0L};
  if (p > 1000.0L) {
    const Real arg = 3.0L * std::sqrt(p) * (std::cbrt(x / p) + 1.0L / (9.0L * p) - 1.0L);
    return {NormalCdf(arg), NormalCdf(-arg)};
  }
  if (x > 1e8L) return {1.0L, 0.0L};
  if (x <= 1.0L || x < p) {
    // Series for the lower tail.
    Real arg = p * std::log(x) - x - LnGammaPositive(p + 1.0L);
    Real c = 1.0L;
    Real value = 1.0L;
    Real a = p;
    do {
      a += 1.0L;
      c = c * x / a;
      value += c;
    } while (c > kZeroTolerance);
    arg += std::log(value);
    const Real lower = arg >= expLimit ? std::exp(arg) : 0.0L;
    return {lower, 1.0L - lower};
  }
  // Continued fraction for the upper tail.
  Real arg = p * std::log(x) - x - LnGammaPositive(p);
  Real a = 1.0L - p;
  Real b = a + x + 1.0L;
  Real c = 0.0L;
  Real pn1 = 1.0L, pn2 = x, pn3 = x + 1.0L, pn4 = x * b;
  Real value = pn3 / pn4;
  for (int iteration = 0; iteration < 100000; ++iteration) {
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
      if (diff <= std::min(kFractionTolerance, kFractionTolerance * rn)) break;
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
  arg += std::log(value);
  const Real upper = arg >= expLimit ? std::exp(arg) : 0.0L;
  return {1.0L - upper, upper};
}

// Part of the incomplete beta for 0 < x <= 0.5 (xc = 1 - x): the
// hypergeometric series at the reduced second parameter plus the finite
// recurrence sum up to b.
Real IncompleteBetaCore(Real x, Real xc, Real a, Real b) {
  const Real rho = b <= 1.0L ? b : b - std::ceil(b) + 1.0L;
  // 1. I_x(a, rho) by the hypergeometric series.
  Real s = 1.0L;
  if (rho != 1.0L) {
    Real t = 1.0L;
    for (int n = 1; n <= 1000; ++n) {
      t = t * x * (n - rho) * (a + n - 1.0L) / ((a + n) * n);
      s += t;
      if (std::fabs(t) <= kSeriesEpsilon) break;
    }
  }
  const Real lnBeta = LnGammaPositive(a) + LnGammaPositive(rho) - LnGammaPositive(a + rho);
  const Real lnX = std::log(x);
  const Real lnXc = std::log(xc);
  Real result = std::exp(a * lnX - lnBeta) / a * s;
  // 2. The terms x^a (1-x)^m Γ(a+m)/(Γ(a)Γ(m+1)) for m = rho .. b-1, summed
  // from the top by the ratio of neighbours, relative to the term at m = b.
  if (b > 1.0L) {
    constexpr Real kRescale = 1e4000L;
    const Real lnRescale = std::log(kRescale);
    Real shift = 0.0L;
    Real r = 1.0L;
    Real sum = 0.0L;
    for (Real m = b - 1.0L; m >= rho; m -= 1.0L) {
      r *= (m + 1.0L) / ((a + m) * xc);
      sum += r;
      if (r > kRescale) {
        r /= kRescale;
        sum /= kRescale;
        shift += lnRescale;
      }
    }
    const Real lnScale =
        a * lnX + b * lnXc + LnGammaPositive(a + b) - LnGammaPositive(a) - LnGammaPositive(b + 1.0L) + shift;
    result += sum * std::exp(lnScale);
  }
  return result;
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

Real LogBinomialTerm(Real p, Real n, Real k) {
  return std::exp(LnGammaPositive(n + 1.0L) - LnGammaPositive(k + 1.0L) - LnGammaPositive(n - k + 1.0L) +
                  k * std::log(p) + (n - k) * std::log1p(-p));
}

bool Usable(Real v) { return std::isfinite(v) && v > 1e-4900L && v < 1e4900L; }

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
  const Real v = InverseGamma(x);
  if (IsZero(v)) Fail(kNotDefined);
  return 1.0L / v;
}

TGammaTails IncompleteGammaTails(Real p, Real x) { return IncompleteGammaAS239(p, x, -88.0L); }

Real UpperIncompleteGammaIntegral(Real s, Real x) {
  const Real gamma = std::exp(LnGammaPositive(s));
  if (x == 0.0L) return gamma;
  return gamma * IncompleteGammaAS239(s, x, -kInf).Upper;
}

Real IncompleteBeta(Real x, Real xc, Real a, Real b) {
  if (x <= 0.0L) return 0.0L;
  if (xc <= 0.0L) return 1.0L;
  if (x > 0.5L) return 1.0L - IncompleteBetaCore(xc, x, b, a);
  return IncompleteBetaCore(x, xc, a, b);
}

Real IncompleteBeta(Real x, Real a, Real b) { return IncompleteBeta(x, 1.0L - x, a, b); }

// ---- normal distribution -----------------------------------------------------------

Real NormalDensity(Real x) { return std::exp(-x * x / 2.0L) * kInvSqrt2Pi; }

Real NormalCdf(Real x) {
  if (std::isnan(x)) return x;
  if (x < 0.0L) return 1.0L - NormalCdf(-x);
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

Real NormalQuantile(Real p) { return NormalQuantile(p, 1.0L - p); }

// ---- chi-square, F and t ---------------------------------------------------------

Real ChiSquareUpper(Real x, Real nu) {
  if (x <= 0.0L) return 1.0L;
  const bool odd = std::fmod(nu, 2.0L) == 1.0L;
  const Real y = x / 2.0L;
  // Q = [odd: 2(1 - Φ(√x))] + Σ T_j, with T_j = e^(-y) y^j / Γ(j + 1) over
  // j = 1/2, 3/2, ... (odd) or 0, 1, ... (even) up to (ν - 2)/2: the terms
  // 2φ(√x)·x^((2i-1)/2)/(1·3·...·(2i-1)) and e^(-y)·x^i/(2·4·...·2i).
  Real q = odd ? 2.0L * (1.0L - NormalCdf(std::sqrt(x))) : 0.0L;
  const Real first = odd ? 0.5L : 0.0L;
  const Real last = (nu - 2.0L) / 2.0L;
  if (last < first) return q;
  Real j = first;
  Real t = odd ? 2.0L * NormalDensity(std::sqrt(x)) * std::sqrt(x) : std::exp(-y);
  if (t == 0.0L) {
    // e^(-y) underflows: start near the largest terms, from logarithms.
    const Real skip = std::floor(std::max(0.0L, y - 50.0L * std::sqrt(y) - 100.0L - first));
    j = std::min(first + skip, last);
    t = std::exp(-y + j * std::log(y) - LnGammaPositive(j + 1.0L));
  }
  Real sum = t;
  while (j + 1.0L <= last) {
    t *= y / (j + 1.0L);
    j += 1.0L;
    sum += t;
    if (j > y && t < sum * 1e-22L) break;  // past the largest term, the rest is negligible
  }
  return q + sum;
}

Real ChiSquareLower(Real x, Real nu) { return 1.0L - ChiSquareUpper(x, nu); }

Real InvChiSquareAS91(Real p, Real nu) {
  constexpr Real aa = 0.6931471806L, e = 0.5e-6L;
  constexpr Real c1 = 0.01L, c2 = 0.222222L, c3 = 0.32L, c4 = 0.4L, c5 = 1.24L, c6 = 2.2L, c7 = 4.67L, c8 = 6.66L,
                 c9 = 6.73L, c10 = 13.32L, c11 = 60.0L, c12 = 70.0L, c13 = 84.0L, c14 = 105.0L, c15 = 120.0L,
                 c16 = 127.0L, c17 = 140.0L, c18 = 175.0L, c19 = 210.0L, c20 = 252.0L, c21 = 264.0L, c22 = 294.0L,
                 c23 = 346.0L, c24 = 420.0L, c25 = 462.0L, c26 = 606.0L, c27 = 672.0L, c28 = 707.0L, c29 = 735.0L,
                 c30 = 889.0L, c31 = 932.0L, c32 = 966.0L, c33 = 1141.0L, c34 = 1182.0L, c35 = 1278.0L,
                 c36 = 1740.0L, c37 = 2520.0L, c38 = 5040.0L;
  const Real xx = 0.5L * nu;
  const Real c = xx - 1.0L;
  const Real g = LnGammaPositive(xx);
  Real ch;
  if (nu < -c5 * std::log(p)) {
    ch = std::pow(p * xx * std::exp(g + xx * aa), 1.0L / xx);
    if (ch < e) return ch;
  } else if (nu > c3) {
    const Real x = NormalQuantile(p);
    const Real p1 = c2 / nu;
    ch = nu * std::pow(x * std::sqrt(p1) + 1.0L - p1, 3.0L);
    if (ch > c6 * nu + 6.0L) ch = -2.0L * (std::log(1.0L - p) - c * std::log(0.5L * ch) + g);
  } else {
    ch = c4;
    const Real a = std::log(1.0L - p);
    for (int iteration = 0; iteration < 1000; ++iteration) {
      const Real q = ch;
      const Real p1 = 1.0L + ch * (c7 + ch);
      const Real p2 = ch * (c9 + ch * (c8 + ch));
      const Real t = -0.5L + (c7 + 2.0L * ch) / p1 - (c9 + ch * (c10 + 3.0L * ch)) / p2;
      ch -= (1.0L - std::exp(a + g + 0.5L * ch + c * aa) * p2 / p1) / t;
      if (std::fabs(q / ch - 1.0L) <= c1) break;
    }
  }
  // Seven-term Taylor correction against AS 239.
  for (int iteration = 0; iteration < 20; ++iteration) {
    const Real q = ch;
    const Real p1 = 0.5L * ch;
    const Real p2 = p - IncompleteGammaTails(xx, p1).Lower;
    const Real t = p2 * std::exp(xx * aa + g + p1 - c * std::log(ch));
    const Real b = t / ch;
    const Real a = 0.5L * t - b * c;
    const Real s1 = (c19 + a * (c17 + a * (c14 + a * (c13 + a * (c12 + c11 * a))))) / c24;
    const Real s2 = (c24 + a * (c29 + a * (c32 + a * (c33 + c35 * a)))) / c37;
    const Real s3 = (c19 + a * (c25 + a * (c28 + c31 * a))) / c37;
    const Real s4 = (c20 + a * (c27 + c34 * a) + c * (c22 + a * (c30 + c36 * a))) / c38;
    const Real s5 = (c13 + c21 * a + c * (c18 + c26 * a)) / c37;
    const Real s6 = (c15 + c * (c23 + c16 * c)) / c38;
    ch += t * (1.0L + 0.5L * t * s1 - b * c * (s1 - b * (s2 - b * (s3 - b * (s4 - b * (s5 - b * s6))))));
    if (std::fabs(q / ch - 1.0L) <= e) break;
  }
  return ch;
}

Real FDistLower(Real x, Real nu1, Real nu2) {
  const Real denominator = nu1 * x + nu2;
  return 1.0L - IncompleteBeta(nu2 / denominator, nu1 * x / denominator, nu2 / 2.0L, nu1 / 2.0L);
}

Real StudentTLower(Real x, Real nu) {
  const Real x2 = x * x;
  const Real a = 1.0L - IncompleteBeta(nu / (nu + x2), x2 / (nu + x2), nu / 2.0L, 0.5L);
  return x >= 0.0L ? a / 2.0L + 0.5L : (1.0L - a) / 2.0L;
}

Real InvFDistEstimate(Real p, Real nu1, Real nu2) {
  if (1.0L - p > 0.5L) return 1.0L / InvFDistEstimate(1.0L - p, nu2, nu1);
  // The estimate divides by ν - 1: with one degree of freedom the search
  // starts from 1 instead.
  if (nu1 == 1.0L || nu2 == 1.0L) return 1.0L;
  const Real y = NormalQuantile(p);
  const Real i1 = 1.0L / (nu1 - 1.0L), i2 = 1.0L / (nu2 - 1.0L);
  const Real h = 2.0L / (i1 + i2);
  const Real lambda = (y * y - 3.0L) / 6.0L;
  const Real w = y * std::sqrt(h + lambda) / h - (i1 - i2) * (lambda + 5.0L / 6.0L - 2.0L / (3.0L * h));
  return std::exp(2.0L * w);
}

Real InvStudentTEstimate(Real p, Real nu) {
  const Real q = p > 0.5L ? 1.0L - p : p;
  const Real t = std::sqrt(std::log(1.0L / (q * q)));
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

Real RefineByBisection(const std::function<Real(Real)>& cdf, Real p, Real e, Real lowerLimit) {
  try {
    const Real start = std::isfinite(e) ? std::max(e, lowerLimit) : std::max(lowerLimit, 0.0L) + 1.0L;
    Real step = start != 0.0L ? std::fabs(start) / 10.0L : 1.0L;
    Real low = std::max(start - step, lowerLimit);
    Real high = start + step;
    // Widen each side, doubling the step, until the bracket holds p.
    for (int i = 0; i < 20000 && low > lowerLimit && cdf(low) > p; ++i, step *= 2.0L)
      low = std::max(low - step, lowerLimit);
    step = start != 0.0L ? std::fabs(start) / 10.0L : 1.0L;
    for (int i = 0; i < 20000 && cdf(high) < p && std::isfinite(high); ++i, step *= 2.0L) high += step;
    if (!std::isfinite(high)) return e;
    Real mid = (low + high) / 2.0L;
    for (int i = 0; i < 20000; ++i) {
      mid = (low + high) / 2.0L;
      if (mid <= low || mid >= high) break;  // the bracket cannot shrink further
      const Real f = cdf(mid);
      if (f == p) break;
      if (p >= f)
        low = mid;
      else
        high = mid;
    }
    return mid;
  } catch (...) {
    return e;
  }
}

// ---- discrete and combinatorial ---------------------------------------------------

Real Power(Real base, Real y) {
  if (y == 0.0L) return 1.0L;
  if (base == 0.0L) {
    if (y < 0.0L) Fail("Cannot Raise 0 to a negative power");
    return 0.0L;
  }
  const bool integral = y == std::trunc(y);
  if (integral && std::fabs(y) <= 2147483647.0L) {
    auto n = static_cast<std::int64_t>(std::fabs(y));
    Real result = 1.0L, factor = base;
    while (n > 0) {
      if (n & 1) result *= factor;
      n >>= 1;
      if (n > 0) factor *= factor;
    }
    return y < 0.0L ? 1.0L / result : result;
  }
  if (base < 0.0L && !integral) Fail("Invalid XtoY");
  const Real r = std::exp(y * std::log(std::fabs(base)));  // underflows to 0
  return (base < 0.0L && std::fmod(y, 2.0L) != 0.0L) ? -r : r;
}

Real Factorial(Real k) {
  if (k < 0.0L || k > 1754.0L) Fail("Factorial Calculation cannot exceed 1754");
  Real f = 1.0L;
  for (Real i = 2.0L; i <= k; i += 1.0L) f *= i;
  return f;
}

Real Permutation(Real n, Real r) {
  // Negative arguments have no meaning here and are refused like n < r.
  if (n < r || n < 0.0L || r < 0.0L) Fail("Invalid Permutation");
  if (n == 0.0L) return 0.0L;
  if (r == 0.0L) return 1.0L;
  Real d = 1.0L;
  for (Real k = 0.0L; k < r && !std::isinf(d); k += 1.0L) d *= n - k;
  const Real result = std::floor(d + 0.5L);
  if (!(result <= std::numeric_limits<double>::max())) Fail("Permutation Overflowed");
  return result;
}

Real BinomialCoefficient(Real n, Real r) {
  if (n < r || n < 0.0L || r < 0.0L) Fail("Invalid Binomial Coefficient");
  if (n == 0.0L) return 0.0L;
  if (r == 0.0L || r == n) return 1.0L;
  const Real result = std::floor(BinomialProduct(n, r) + 0.5L);
  if (!(result <= std::numeric_limits<double>::max())) Fail("Binomial Coefficient Overflowed");
  return result;
}

Real Hermite(Real x, Real n) {
  // A negative order is not an order of a Hermite polynomial.
  if (n < 0.0L) Fail("Incorrect integer type: Order of Hermite");
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
  const Real c = (k == 0.0L || k == n) ? 1.0L : std::floor(BinomialProduct(n, k) + 0.5L);
  const Real pk = Power(p, k), qk = Power(1.0L - p, n - k);
  if (Usable(c) && Usable(pk) && Usable(qk)) return c * pk * qk;
  return LogBinomialTerm(p, n, k);
}

Real BinomialSum(Real p, Real n, Real lo, Real hi) {
  if (p == 0.0L) return lo == 0.0L ? 1.0L : 0.0L;
  if (p == 1.0L) return hi == n ? 1.0L : 0.0L;
  const Real ratio = p / (1.0L - p);
  const Real mode = std::floor((n + 1.0L) * p);
  Real i = lo;
  Real t = BinomialTerm(p, n, i);
  while (t == 0.0L && i < hi && i < mode) {  // underflowed far tail
    i += 1.0L;
    t = LogBinomialTerm(p, n, i);
  }
  Real sum = t;
  for (; i < hi; i += 1.0L) {
    t *= (n - i) / (i + 1.0L) * ratio;
    sum += t;
    if (i + 1.0L > mode && t < sum * 1e-22L) break;  // decreasing and negligible from here
  }
  return sum;
}

Real PoissonTerm(Real lambda, Real k) {
  const Real factorial = Factorial(k);
  const Real power = Power(lambda, k), decay = std::exp(-lambda);
  if (Usable(power) && Usable(decay)) return power * decay / factorial;
  return std::exp(k * std::log(lambda) - lambda - LnGammaPositive(k + 1.0L));
}

Real PoissonSum(Real lambda, Real lo, Real hi) {
  Factorial(hi);  // every term's factorial must exist
  Real i = lo;
  Real t = PoissonTerm(lambda, i);
  while (t == 0.0L && i < hi && i < lambda) {
    i += 1.0L;
    t = PoissonTerm(lambda, i);
  }
  Real sum = t;
  for (; i < hi; i += 1.0L) {
    t *= lambda / (i + 1.0L);
    sum += t;
    if (i + 1.0L > lambda && t < sum * 1e-22L) break;
  }
  return sum;
}

}  // namespace helmax::special
