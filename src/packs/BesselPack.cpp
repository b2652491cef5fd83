// Bessel functions of orders 0 and 1: J (first kind), Y (second kind),
// I and K (modified). Below 25 the power series are summed in double-double
// arithmetic (about 32 digits), which absorbs the cancellation of the
// alternating series and keeps full double precision; K beyond 1 comes from
// Steed's continued fraction; J, Y and I beyond 25 from their asymptotic
// expansions.
#include <cmath>
#include <numbers>
#include <string>

#include "DateTimePackInternal.h"
#include "FixedTexts.h"

namespace helmax::dtpack {
namespace {

// ---- double-double arithmetic ---------------------------------------------------------------

struct TDD {
  double Hi = 0.0;
  double Lo = 0.0;
  double Value() const { return Hi + Lo; }
};

TDD QuickTwoSum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

TDD Add(TDD a, TDD b) {
  const double s = a.Hi + b.Hi;
  const double bb = s - a.Hi;
  const double err = (a.Hi - (s - bb)) + (b.Hi - bb);
  return QuickTwoSum(s, err + a.Lo + b.Lo);
}

TDD Neg(TDD a) { return {-a.Hi, -a.Lo}; }

TDD Mul(TDD a, TDD b) {
  const double p = a.Hi * b.Hi;
  const double e = std::fma(a.Hi, b.Hi, -p) + (a.Hi * b.Lo + a.Lo * b.Hi);
  return QuickTwoSum(p, e);
}

TDD Mul(TDD a, double b) { return Mul(a, TDD{b, 0.0}); }

TDD Div(TDD a, double b) {
  const double q1 = a.Hi / b;
  const double p = q1 * b;
  const double pe = std::fma(q1, b, -p);
  const double r = ((a.Hi - p) - pe) + a.Lo;
  return QuickTwoSum(q1, r / b);
}

constexpr TDD kEulerGamma{0.5772156649015329, -4.942915152430645e-18};
constexpr TDD kTwoOverPi{0.6366197723675814, -3.935735335036497e-17};

constexpr double kSeriesLimit = 25.0;  // series below, asymptotic forms above (J, Y, I)
constexpr double kKSeriesLimit = 2.0;  // K: series below, continued fraction above
constexpr double kSeriesTolerance = 1e-33;

// ---- power series -------------------------------------------------------------------------------

// The terms t_k = (x/2)^(2k+nu) sign^k / (k! (k+nu)!) of J (sign -1) or I
// (sign +1), summed plainly (Sum) and weighted by harmonic numbers
// (Weighted: H_k for nu = 0, H_k + H_(k+1) for nu = 1).
struct TSeries {
  TDD Sum;
  TDD Weighted;
};

TSeries PowerSeries(double x, int nu, double sign) {
  const TDD half{x / 2.0, 0.0};
  const TDD step = Mul(Mul(half, half), sign);  // sign * (x/2)^2
  TDD term = nu == 0 ? TDD{1.0, 0.0} : half;
  TDD h{0.0, 0.0};                          // H_k
  TDD hNext{1.0, 0.0};                      // H_(k+1)
  TSeries s{term, nu == 0 ? TDD{} : term};  // k = 0: H_0 = 0, H_0 + H_1 = 1
  double largest = std::fabs(term.Hi);
  for (int k = 1; k < 1000; ++k) {
    term = Div(Mul(term, step), static_cast<double>(k) * static_cast<double>(k + nu));
    h = hNext;
    hNext = Add(hNext, Div(TDD{1.0, 0.0}, static_cast<double>(k + 1)));
    s.Sum = Add(s.Sum, term);
    s.Weighted = Add(s.Weighted, Mul(term, nu == 0 ? h : Add(h, hNext)));
    largest = std::fmax(largest, std::fabs(term.Hi));
    if (std::fabs(term.Hi) < kSeriesTolerance * largest && k > x) break;
  }
  return s;
}

// ln(x/2) + Euler's gamma; near x = 2 through log1p of the exact x/2 - 1.
TDD LogTerm(double x) {
  const double half = x / 2.0;
  const double l = (half >= 0.5 && half <= 2.0) ? std::log1p(half - 1.0) : std::log(half);
  return Add(TDD{l, 0.0}, kEulerGamma);
}

double SeriesJ(double x, int nu) { return PowerSeries(x, nu, -1.0).Sum.Value(); }
double SeriesI(double x, int nu) { return PowerSeries(x, nu, 1.0).Sum.Value(); }

// Y0 = 2/pi ((ln(x/2) + gamma) J0 - sum H_k t_k);
// Y1 = 2/pi ((ln(x/2) + gamma) J1 - 1/x - 1/2 sum (H_k + H_(k+1)) t_k).
double SeriesY(double x, int nu) {
  const TSeries s = PowerSeries(x, nu, -1.0);
  TDD v = Mul(LogTerm(x), s.Sum);
  if (nu == 0) {
    v = Add(v, Neg(s.Weighted));
  } else {
    v = Add(v, Neg(Div(TDD{1.0, 0.0}, x)));
    v = Add(v, Neg(Mul(s.Weighted, 0.5)));
  }
  return Mul(v, kTwoOverPi).Value();
}

// K0 = sum H_k t_k - (ln(x/2) + gamma) I0;
// K1 = 1/x + (ln(x/2) + gamma) I1 - 1/2 sum (H_k + H_(k+1)) t_k.
double SeriesK(double x, int nu) {
  const TSeries s = PowerSeries(x, nu, 1.0);
  const TDD l = Mul(LogTerm(x), s.Sum);
  if (nu == 0) return Add(s.Weighted, Neg(l)).Value();
  return Add(Add(Div(TDD{1.0, 0.0}, x), l), Neg(Mul(s.Weighted, 0.5))).Value();
}

// ---- large arguments --------------------------------------------------------------------------

// Terms a_k(nu) / x^k of the asymptotic expansions, a_k = prod_(j=1..k)
// (4 nu^2 - (2j - 1)^2) / (k! 8^k), summed with the signs given by
// alternate (P and Q of Hankel's expansion for J and Y; the alternating sum
// for I).
struct THankel {
  double P = 0.0;
  double Q = 0.0;
};

THankel HankelPQ(double x, int nu) {
  const double mu = 4.0 * nu * nu;
  THankel h;
  double term = 1.0;
  h.P = 1.0;
  double previous = 1.0;
  for (int k = 1; k < 200; ++k) {
    const double odd = 2.0 * k - 1.0;
    term *= (mu - odd * odd) / (8.0 * k * x);
    if (std::fabs(term) > previous) break;  // the expansion has turned
    previous = std::fabs(term);
    // k = 1, 3, 5 ... go to Q with signs +, -, +; k = 2, 4 ... to P with -, +.
    const double sign = (k / 2) % 2 == 0 ? 1.0 : -1.0;
    if (k % 2 == 1) h.Q += sign * term;
    else h.P += sign * term;
    if (std::fabs(term) < 1e-18) break;
  }
  return h;
}

double AsymptoticJ(double x, int nu) {
  const THankel h = HankelPQ(x, nu);
  const double s = std::sin(x), c = std::cos(x);
  const double v = nu == 0 ? h.P * (c + s) - h.Q * (s - c) : h.P * (s - c) + h.Q * (s + c);
  return v / std::sqrt(std::numbers::pi * x);
}

double AsymptoticY(double x, int nu) {
  const THankel h = HankelPQ(x, nu);
  const double s = std::sin(x), c = std::cos(x);
  const double v = nu == 0 ? h.P * (s - c) + h.Q * (c + s) : -h.P * (s + c) + h.Q * (s - c);
  return v / std::sqrt(std::numbers::pi * x);
}

// e^x / sqrt(2 pi x) sum (-1)^k a_k / x^k, the exponential split in two
// halves so that it does not overflow before the result does.
double AsymptoticI(double x, int nu) {
  const double mu = 4.0 * nu * nu;
  double term = 1.0, sum = 1.0, previous = 1.0;
  for (int k = 1; k < 200; ++k) {
    const double odd = 2.0 * k - 1.0;
    term *= -(mu - odd * odd) / (8.0 * k * x);
    if (std::fabs(term) > previous) break;
    previous = std::fabs(term);
    sum += term;
    if (std::fabs(term) < 1e-18) break;
  }
  const double half = std::exp(x / 2.0);
  return half * (half / std::sqrt(2.0 * std::numbers::pi * x) * sum);
}

// K0 and K1 for x > 1 by Steed's method for the continued fraction CF2
// (Temme; Thompson and Barnett).
void SteedK(double x, double& k0, double& k1) {
  double b = 2.0 * (1.0 + x);
  double d = 1.0 / b;
  double h = d, delh = d;
  double q1 = 0.0, q2 = 1.0;
  const double a1 = 0.25;
  double q = a1, c = a1, a = -a1;
  double s = 1.0 + q * delh;
  for (int i = 1; i < 10000; ++i) {
    a -= 2.0 * i;
    c = -a * c / (i + 1.0);
    const double qnew = (q1 - b * q2) / a;
    q1 = q2;
    q2 = qnew;
    q += c * qnew;
    b += 2.0;
    d = 1.0 / (b + a * d);
    delh = (b * d - 1.0) * delh;
    h += delh;
    const double dels = q * delh;
    s += dels;
    if (std::fabs(dels / s) < 1e-17) break;
  }
  h *= a1;
  k0 = std::sqrt(std::numbers::pi / (2.0 * x)) * std::exp(-x) / s;
  k1 = k0 * (x + 0.5 - h) / x;
}

// ---- the eight functions -------------------------------------------------------------------------

enum class TBessel { J0, J1, Y0, Y1, I0, I1, K0, K1 };

// x is a finite number; the second-kind functions have x > 0.
double BesselOf(TBessel f, double x) {
  const double ax = std::fabs(x);
  const double sign = x < 0.0 ? -1.0 : 1.0;
  switch (f) {
    case TBessel::J0: return ax < kSeriesLimit ? SeriesJ(ax, 0) : AsymptoticJ(ax, 0);
    case TBessel::J1: return sign * (ax < kSeriesLimit ? SeriesJ(ax, 1) : AsymptoticJ(ax, 1));
    case TBessel::I0: return ax < kSeriesLimit ? SeriesI(ax, 0) : AsymptoticI(ax, 0);
    case TBessel::I1: return sign * (ax < kSeriesLimit ? SeriesI(ax, 1) : AsymptoticI(ax, 1));
    case TBessel::Y0: return x < kSeriesLimit ? SeriesY(x, 0) : AsymptoticY(x, 0);
    case TBessel::Y1: return x < kSeriesLimit ? SeriesY(x, 1) : AsymptoticY(x, 1);
    case TBessel::K0:
    case TBessel::K1: {
      const int nu = f == TBessel::K0 ? 0 : 1;
      if (x <= kKSeriesLimit) return SeriesK(x, nu);
      double k0 = 0.0, k1 = 0.0;
      SteedK(x, k0, k1);
      return nu == 0 ? k0 : k1;
    }
  }
  return 0.0;
}

// Values at infinity: J, Y and K vanish, I grows without bound (odd I1).
double AtInfinity(TBessel f, double x) {
  if (f == TBessel::I0) return INFINITY;
  if (f == TBessel::I1) return x;
  return 0.0;
}

template <TBessel F>
void Compute(const TPackCall& c, TValue& r) {
  const double x = NumberArg(c, 0, texts::kIncorrectRealTypeForTheParameterPrefix);
  if (std::isnan(x)) {
    r = TValue::MakeReal(EngineNaN());
    return;
  }
  const bool secondKind = F == TBessel::Y0 || F == TBessel::Y1 || F == TBessel::K0 || F == TBessel::K1;
  if (secondKind && x <= 0.0) MathFail(x == 0.0 ? mkZeroDivide : mkInvalidOp);  // as ln x would
  if (std::isinf(x)) {
    r = TValue::MakeReal(AtInfinity(F, x));
    return;
  }
  r = TValue::MakeReal(JudgeResult(BesselOf(F, x), true, false));
}

constexpr TPackEntry kEntries[] = {
    {"BesselJ0", 1, Compute<TBessel::J0>}, {"BesselJ1", 1, Compute<TBessel::J1>}, {"BesselY0", 1, Compute<TBessel::Y0>},
    {"BesselY1", 1, Compute<TBessel::Y1>}, {"BesselI0", 1, Compute<TBessel::I0>}, {"BesselI1", 1, Compute<TBessel::I1>},
    {"BesselK0", 1, Compute<TBessel::K0>}, {"BesselK1", 1, Compute<TBessel::K1>},
};

}  // namespace

std::span<const TPackEntry> BesselEntries() { return kEntries; }

}  // namespace helmax::dtpack
