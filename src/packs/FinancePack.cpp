// Financial functions of the pack: annuities, depreciation, net present
// value and the two Newton solvers (InterestRate, InternalRateOfReturn).
// Money paid out is negative, money received positive; PaymentTime 0 means
// payments at the end of each period, 1 at the start. The formulas' own
// failures (a rate of -1 or less, a period out of range, no convergence)
// are invalid-argument failures.
#include <array>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "DateTimePackInternal.h"
#include "FixedTexts.h"

namespace helmax::dtpack {
namespace {

constexpr double kCompoundLimit = 1e16;
constexpr int kMaxNewtonSteps = 15;
constexpr double kAbsoluteStep = 1e-15;
constexpr double kRelativeStep = 1e-12;
constexpr const char* kPaymentTimeMessage = texts::kIncorrectPaymentTimeMustBe1StartOfPeriodOr;

[[noreturn]] void FormulaFail() { MathFail(mkInvalidArgument); }

// The fixed arguments of a financial function, checked in order: all
// numbers, then the integer ones integral (and truncated), then PaymentTime
// (when present, the last argument) 0 or 1.
struct TFixedArgs {
  std::array<double, 6> V{};
  bool Finite = true;
  bool HasNaN = false;
  double operator[](int i) const { return V[static_cast<std::size_t>(i)]; }
  int PaymentTime(int i) const { return static_cast<int>(V[static_cast<std::size_t>(i)]); }
  double Judge(double r) const { return JudgeResult(r, Finite, HasNaN); }
};

// The value of a formula, or NaN when an argument is NaN.
template <class F>
void Evaluate(const TFixedArgs& a, TValue& r, F&& formula) {
  r = TValue::MakeReal(a.HasNaN ? EngineNaN() : a.Judge(formula()));
}

// Argument i of a function with any number of arguments, whose message
// names the position (made only when the check fails).
double PositionalNumber(const TPackCall& c, int i) {
  const TValue& v = c.Arg(i);
  if (!v.IsRealLike()) ArgumentFail(texts::kIncorrectRealTypeForTheParameterPrefix + std::to_string(i + 1));
  return v.AsReal();
}

TFixedArgs ReadFixed(const TPackCall& c, const char* realMessage, std::initializer_list<int> integers,
                     const char* integerMessage, bool paymentTimeLast) {
  TFixedArgs a;
  const std::string message = realMessage;  // made once, not for every argument
  for (int i = 0; i < c.Count; ++i) {
    a.V[static_cast<std::size_t>(i)] = NumberArg(c, i, message);
    a.Finite = a.Finite && std::isfinite(a[i]);
    a.HasNaN = a.HasNaN || std::isnan(a[i]);
  }
  for (int i : integers) {
    double whole = 0.0;
    if (!IsIntegral(a[i], whole)) ArgumentFail(integerMessage);
    a.V[static_cast<std::size_t>(i)] = whole;
  }
  if (paymentTimeLast) {
    const int t = a.PaymentTime(c.Count - 1);
    if (t != 0 && t != 1) ArgumentFail(kPaymentTimeMessage);
  }
  return a;
}

void CheckRate(double r) {
  if (r <= -1.0) FormulaFail();
}

// The formulas run in extended precision (64-bit mantissa), which keeps
// the guard digits of sums whose terms nearly cancel; the results are
// rounded to double once.
using Ext = long double;

// A compound factor (1 + r)^k and the same less 1.
struct TFactor {
  Ext Value;
  Ext MinusOne;
};

// A rate with ln(1 + r), from which every (1 + r)^k - 1 is
// expm1(k ln(1 + r)) and (1 + r)^k is 1 plus that: small rates keep their
// digits and long terms their range.
struct TRate {
  Ext R;
  Ext Log;  // ln(1 + r)
  explicit TRate(double r) : R(r), Log(std::log1p(static_cast<Ext>(r))) {}
  // One exponential: 1 plus expm1 where the factor is above 1/2, and the
  // factor less 1 where it is below (each sum then keeps its digits).
  TFactor Factor(Ext k) const {
    const Ext exponent = k * Log;
    if (exponent < -0.6931471805599453094L) {
      const Ext value = std::exp(exponent);
      return {value, value - 1.0L};
    }
    const Ext minusOne = std::expm1(exponent);
    return {minusOne + 1.0L, minusOne};
  }
  // ((1 + r)^k - 1) / r from the factor of k, k for r = 0.
  Ext Accumulated(const TFactor& f, Ext k) const { return R == 0.0L ? k : f.MinusOne / R; }
};

// Annuity factor A (the payments' compound factors summed at the end, times
// 1 + r when they are made at the start) and the compound factor Cn.
struct TAnnuity {
  Ext A;
  Ext Cn;
};

TAnnuity Annuity(const TRate& r, Ext n, int t) {
  if (r.R == 0.0L) return {n, 1.0L};
  const TFactor f = r.Factor(n);
  return {f.MinusOne / r.R * (t == 1 ? 1.0L + r.R : 1.0L), f.Value};
}

// a / b with the floating-point kinds of a zero divisor.
Ext Divide(Ext a, Ext b) {
  if (b == 0.0L) MathFail(a == 0.0L || std::isnan(a) ? mkInvalidOp : mkZeroDivide);
  return a / b;
}

// The payment that takes pv to -fv in n periods, without the limit that
// Payment uses past a compound factor of 1e16: where (1 + r)^n is large
// numerator and denominator are divided by it, so nothing overflows.
Ext ExactPayment(const TRate& r, Ext n, Ext pv, Ext fv, int t) {
  if (r.R == 0.0L) return Divide(-pv - fv, n);
  const Ext advance = t == 1 ? 1.0L + r.R : 1.0L;
  if (r.Log > 0.0L) {
    const TFactor f = r.Factor(-n);
    return -(pv + fv * f.Value) * r.R / (-f.MinusOne * advance);
  }
  const TFactor f = r.Factor(n);
  return Divide(-pv * f.Value - fv, f.MinusOne / r.R * advance);
}

// x + y, or NaN-free infinity, with the sum of the magnitudes as a measure
// of what its rounding costs.
struct TSum {
  Ext Value;
  Ext Magnitude;
};

TSum Sum(Ext x, Ext y) {
  const Ext magnitude = std::fabs(x) + std::fabs(y);
  return {x + y, std::isfinite(magnitude) ? magnitude : std::numeric_limits<Ext>::infinity()};
}

// The loan's balance (as a future value, so -outstanding) right after
// period j's payment, from whichever side cancels less: forward from the
// present value through the payments made, or back from the future value
// through the payments still to come. The two are equal in exact
// arithmetic; from the wrong side the huge compound factors of a long loan
// or the tiny ones of a small rate leave only rounding.
Ext Balance(const TRate& r, Ext j, Ext n, Ext pmt, Ext pv, Ext fv, int t) {
  // Without a future value the backward sum has one term, without a present
  // value the forward one: neither cancels, and the other is not needed.
  // A side whose factors leave even the extended range (a rate near -1 over
  // a long term: (1 + r)^(j - n) overflows) gives way to the other.
  const bool useBackward = pv != 0.0L || fv == 0.0L;
  TSum forward{0.0L, std::numeric_limits<Ext>::infinity()}, backward = forward;
  if (t == 0) {
    // Payments at the ends of periods 1..j made; n - j to come.
    if (useBackward) {
      const TFactor rest = r.Factor(j - n);
      backward = Sum(fv * rest.Value, -pmt * r.Accumulated(rest, j - n));
    }
    if (fv != 0.0L || !std::isfinite(backward.Value)) {
      const TFactor done = r.Factor(j);
      forward = Sum(-pmt * r.Accumulated(done, j), -pv * done.Value);
    }
  } else {
    // Payments at the starts of periods 1..j+1 made; n - j - 1 to come.
    // (1 + r)^(j+1) - 1 = ((1 + r)^j - 1)(1 + r) + r, two terms of one sign.
    if (useBackward) {
      const Ext m = n - j - 1.0L;
      const TFactor rest = r.Factor(-m);
      backward = Sum(fv * rest.Value / (1.0L + r.R), -pmt * r.Accumulated(rest, -m));
    }
    if (fv != 0.0L || !std::isfinite(backward.Value)) {
      const TFactor done = r.Factor(j);
      const Ext accumulated = r.R == 0.0L ? j + 1.0L : (done.MinusOne * (1.0L + r.R) + r.R) / r.R;
      forward = Sum(-pv * done.Value, -pmt * accumulated);
    }
  }
  if (!std::isfinite(backward.Value)) return forward.Value;
  return forward.Magnitude <= backward.Magnitude ? forward.Value : backward.Value;
}

// ---- the formulas on plain numbers ----------------------------------------------------------

double FutureValueOf(double rate, double n, double pmt, double pv, int t) {
  CheckRate(rate);
  const TRate r(rate);
  const TAnnuity f = Annuity(r, n, t);
  if (f.Cn > kCompoundLimit) FormulaFail();
  return static_cast<double>(-pmt * f.A - pv * f.Cn);
}

double PresentValueOf(double rate, double n, double pmt, double fv, int t) {
  CheckRate(rate);
  const TRate r(rate);
  if (r.R == 0.0L) return static_cast<double>(-pmt * static_cast<Ext>(n) - fv);
  // (-Payment·A - FutureValue)/Cn with the division by Cn carried into the
  // factors: A/Cn = -expm1(-n ln(1 + r))/r, 1/Cn = e^(-n ln(1 + r)). A Cn that
  // underflows then gives the limit instead of 0/0.
  const TFactor inverse = r.Factor(-n);
  if (inverse.Value * kCompoundLimit < 1.0L) return static_cast<double>(-pmt * (1.0L + r.R * t) / r.R);
  Ext value = 0.0L;
  if (pmt != 0.0) value += pmt * inverse.MinusOne / r.R * (1.0L + r.R * t);
  if (fv != 0.0) value -= fv * inverse.Value;
  return static_cast<double>(value);
}

double PaymentOf(double rate, double n, double pv, double fv, int t) {
  CheckRate(rate);
  const TRate r(rate);
  const TAnnuity f = Annuity(r, n, t);
  // Past a compound factor of 1e16 the payment is its limit -PresentValue·r
  // /(1 + r·PaymentTime) to within a part in 1e16; it is taken in the form
  // that InterestPayment and PeriodPayment use, so that their sum is the
  // payment there too.
  if (f.Cn > kCompoundLimit) return static_cast<double>(ExactPayment(r, n, pv, fv, t));
  return static_cast<double>(Divide(-pv * f.Cn - fv, f.A));
}

double InterestPaymentOf(double rate, double p, double n, double pv, double fv, int t) {
  CheckRate(rate);
  if (p < 1.0 || p > n) FormulaFail();
  const TRate r(rate);
  // The rate on the balance the period starts with: after period p - 1's
  // payment at the end of periods, after period p - 1's at the start of
  // periods (whose first payment carries no interest).
  if (t == 1 && p == 1.0) return 0.0;
  const Ext pmt = ExactPayment(r, n, pv, fv, t);
  return static_cast<double>(r.R * Balance(r, t == 0 ? p - 1.0 : p - 2.0, n, pmt, pv, fv, t));
}

double PeriodPaymentOf(double rate, double p, double n, double pv, double fv, int t) {
  CheckRate(rate);
  if (p < 1.0 || p > n) FormulaFail();
  const TRate r(rate);
  if (t == 1 && p == 1.0) return static_cast<double>(ExactPayment(r, n, pv, fv, 1));
  // The principal part, Payment - InterestPayment, in closed form:
  // (-FutureValue - PresentValue)·C(k)·r/((1 + r)^n - 1) with k = p - 1 at the
  // end of periods and p - 2 at the start. Written with e^((k - n) ln(1 + r))
  // for a growing factor, so that long loans do not overflow.
  const Ext k = t == 0 ? p - 1.0 : p - 2.0;
  const Ext owed = -static_cast<Ext>(fv) - pv;
  if (r.R == 0.0L) return static_cast<double>(owed / n);
  if (r.Log > 0.0L) return static_cast<double>(owed * r.R * r.Factor(k - n).Value / -r.Factor(-n).MinusOne);
  return static_cast<double>(Divide(owed * r.R * r.Factor(k).Value, r.Factor(n).MinusOne));
}

double NumberOfPeriodsOf(double rate, double pmt, double pv, double fv, int t) {
  CheckRate(rate);
  const Ext r = rate;
  const Ext pay = t == 1 ? pmt * (1.0L + r) : pmt;
  const Ext total = pay + pv * r;
  if (total == 0.0L) FormulaFail();
  if (r == 0.0L) return static_cast<double>(-(pv + fv) / total);
  // q = -r (PresentValue + FutureValue)/T; near q = -1 the sum 1 + q is
  // formed directly, as (Pay - r·FutureValue)/T.
  const Ext q = -r * (pv + fv) / total;
  const Ext onePlusQ = (pay - r * fv) / total;
  if (!(onePlusQ > 0.0L)) FormulaFail();
  // The sums in extended precision, the logarithms of their roundings in
  // double: each is then within a rounding or two of the exact one.
  const double logOnePlusQ =
      std::fabs(q) < 0.5L ? std::log1p(static_cast<double>(q)) : std::log(static_cast<double>(onePlusQ));
  return logOnePlusQ / std::log1p(rate);
}

bool Converged(double step, double t) { return std::fabs(step) < kAbsoluteStep + kRelativeStep * std::fabs(t); }

// The iteration of InterestRate: the flows First (now), Pmt (periods 1 to
// n - 1) and Last (period n) with First < 0 <= Pmt, Last, as the root of
// φ(T) = ln(Pmt·X + Last·e^(nT)) - ln(-First), X = e^T + ... + e^((n-1)T).
// φ increases from -∞ to ∞, so there is exactly one root, and with
// W = Pmt (n - 1) + Last it lies between c and c/n, c = ln(-First/W). Newton
// steps from T = 0 that leave that bracket (or the part of it known to hold
// the root) are replaced by halving. The iteration runs in double; one
// Newton step in extended precision then gives the last digits and tells
// whether the point is a true root.
class TRateEquation {
 public:
  TRateEquation(Ext n, Ext first, Ext pmt, Ext last) : N_(n), Pmt_(pmt), Last_(last), First_(first) {}

  // φ(T) and φ'(T), the mean power of the flows' weights at T.
  template <class Float>
  void Evaluate(Float t, Float& value, Float& slope) const {
    const Float n = static_cast<Float>(N_), pmt = static_cast<Float>(Pmt_), last = static_cast<Float>(Last_);
    const Float em = std::expm1(t);
    // X and Y = e^T + 2e^(2T) + ... + (n-1)e^((n-1)T), scaled by e^(-nT) for
    // T > 0 so that nothing overflows.
    Float x = 0, y = 0, e = 1, shift = 0;
    if (em == 0) {
      x = n - 1;
      y = n * (n - 1) / 2;
    } else if (t > 0) {
      shift = n * t;
      x = -std::expm1(-(n - 1) * t) / em;
      y = ((n - 1) - x) / em;
    } else {
      e = std::exp(n * t);
      x = (em + 1) * std::expm1((n - 1) * t) / em;
      y = ((n - 1) * e - x) / em;
    }
    const Float s = pmt * x + last * e;
    value = shift + std::log(s / -static_cast<Float>(First_));
    slope = (pmt * y + last * n * e) / s;
    // Rounding can push the mean power out of [1, n] near T = 0.
    slope = std::min(std::max(slope, Float{1}), n);
  }

  // The root, or NaN when none is found.
  Ext Solve() const {
    const double n = static_cast<double>(N_);
    const double weights = static_cast<double>(Pmt_ * (N_ - 1.0L) + Last_);
    const double c = std::log(static_cast<double>(-First_)) - std::log(weights);
    const double margin = 1e-12 * (1.0 + std::fabs(c));
    double low = std::min(c, c / n) - margin, high = std::max(c, c / n) + margin;
    double t = std::min(std::max(0.0, low), high);
    for (int i = 0; i < 200; ++i) {
      double value = 0.0, slope = 1.0;
      Evaluate(t, value, slope);
      if (value == 0.0) return Polish(t);
      if (value < 0.0) low = t;
      else high = t;
      const double step = value / slope;
      double next = t - step;
      const bool newton = next > low && next < high;
      if (!newton) next = (low + high) / 2.0;
      if ((newton && Converged(step, next)) || high - low <= 4e-16 * std::max(std::fabs(low), std::fabs(high)))
        return Polish(next);
      t = next;
    }
    return std::numeric_limits<Ext>::quiet_NaN();
  }

 private:
  // One Newton step in extended precision; NaN unless the two sides of the
  // equation agree to a small fraction of their size.
  Ext Polish(double t) const {
    Ext value = 0.0L, slope = 1.0L;
    Evaluate(static_cast<Ext>(t), value, slope);
    if (!(std::fabs(value) <= 1e-10L)) return std::numeric_limits<Ext>::quiet_NaN();
    return t - value / slope;
  }

  Ext N_, Pmt_, Last_, First_;
};

double InterestRateOf(double periods, double payment, double pv, double fv, int t) {
  if (periods < 1.0) FormulaFail();
  Ext n = periods, pmt = payment;
  Ext first = t == 0 ? pv : pv + pmt;
  Ext last = t == 0 ? static_cast<Ext>(fv) + pmt : fv;
  // Nothing now: the flows start a period later, with one period fewer.
  if (first == 0.0L && n > 1.0L) {
    first = pmt;
    n -= 1.0L;
  }
  bool reversed = false;
  if (first * pmt > 0.0L) {
    std::swap(first, last);
    reversed = true;
  }
  if (first > 0.0L) {
    first = -first;
    pmt = -pmt;
    last = -last;
  }
  if (first == 0.0L || last < 0.0L || (pmt == 0.0L && last == 0.0L)) FormulaFail();
  const Ext root = TRateEquation(n, first, pmt, last).Solve();
  if (!std::isfinite(root)) FormulaFail();
  return static_cast<double>(reversed ? std::expm1(root) : std::expm1(-root));
}

// The net present value of the flows c0, c1, ... at x = e^T = 1/(1 + rate),
// as the sums of the positive and of the negative terms and their
// derivatives times x, scaled by x^-(k-1) for x > 1 so that nothing
// overflows (the Newton step needs only their ratios).
template <class Float>
struct TFlowSums {
  Float Pos = 0, Neg = 0, DPos = 0, DNeg = 0;
  Float Value() const { return std::log(Pos / -Neg); }  // φ = ln(Pos) - ln(-Neg)
  Float Slope() const { return DPos / Pos - DNeg / Neg; }
};

template <class Float>
TFlowSums<Float> FlowSums(const std::vector<double>& flows, Float t) {
  TFlowSums<Float> f;
  const std::size_t count = flows.size();
  // Powers of e^T from the first flow up, or of e^-T from the last down.
  const bool fromTop = t > 0;
  const Float factor = std::exp(fromTop ? -t : t);
  Float power = 1;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t i = fromTop ? count - 1 - k : k;
    const Float term = flows[i] * power;
    const Float index = static_cast<Float>(i);
    if (flows[i] >= 0.0) {
      f.Pos += term;
      f.DPos += index * term;
    } else {
      f.Neg += term;
      f.DNeg += index * term;
    }
    power *= factor;
  }
  return f;
}

// The rate e^(-T) - 1 of a converged T after one Newton step in extended
// precision, which must show a true root: the positive and negative sums
// agree to a small fraction. A T that converged next to 0 is exactly 0 when
// the flows sum to 0 exactly.
double RateOfRoot(const std::vector<double>& flows, double t) {
  if (std::fabs(t) < 1e-12) {
    const TFlowSums<Ext> atZero = FlowSums(flows, Ext{0});
    if (atZero.Pos + atZero.Neg == 0.0L) return 0.0;
  }
  const TFlowSums<Ext> f = FlowSums(flows, static_cast<Ext>(t));
  const Ext value = f.Value();
  if (!(std::fabs(value) <= 1e-10L)) FormulaFail();
  return static_cast<double>(std::expm1(-(t - value / f.Slope())));
}

// Newton's method on φ(T) = ln(Pos) - ln(-Neg), T = -ln(1 + rate), from the
// stated start. Once two iterates have given φ of both signs, a step that
// leaves the interval between them is replaced by halving it; before that a
// step is limited to 3 (a factor of 20 in 1 + rate), so that a wild step
// cannot carry the iteration away from the root it was nearing.
double InternalRateOfReturnOf(const std::vector<double>& flows, double guess) {
  std::size_t k = 0;
  for (std::size_t i = 0; i < flows.size(); ++i)
    if (flows[i] < 0.0) k = i + 1;
  double running = 0.0;
  for (std::size_t j = 0; j < k; ++j) {
    running += flows[j];
    if (running >= 0.0) {
      k = 0;
      break;
    }
  }
  double t = 0.0;
  if (k == 0) {
    if (!(guess > -1.0)) FormulaFail();
    t = -std::log1p(guess);
  }
  constexpr double kLargestFreeStep = 3.0;
  bool haveNegative = false, havePositive = false;
  double atNegative = 0.0, atPositive = 0.0;
  for (int step = 0; step < 200; ++step) {
    const TFlowSums<double> f = FlowSums(flows, t);
    if (f.Pos <= f.Neg) FormulaFail();
    if (f.Neg >= 0.0 || f.Pos <= 0.0) return -1.0;
    const double value = f.Value();
    if (value == 0.0) return RateOfRoot(flows, t);
    if (value < 0.0) {
      haveNegative = true;
      atNegative = t;
    } else {
      havePositive = true;
      atPositive = t;
    }
    double y = value / f.Slope();
    const bool bracketed = haveNegative && havePositive;
    if (!bracketed && !std::isfinite(y)) {
      // A flat point (the net present value at its extreme) shows no way:
      // a free step to a higher rate, else to a lower one, that changes the
      // sign.
      for (const double probe : {kLargestFreeStep, -kLargestFreeStep}) {
        const TFlowSums<double> g = FlowSums(flows, t - probe);
        if (g.Neg < 0.0 && g.Pos > 0.0 && (g.Value() < 0.0) != (value < 0.0)) {
          y = probe;
          break;
        }
      }
    }
    double next = t - y;
    const double low = std::min(atNegative, atPositive), high = std::max(atNegative, atPositive);
    bool newton = std::isfinite(next);
    if (bracketed && !(next > low && next < high)) newton = false;
    if (!bracketed && newton && std::fabs(y) > kLargestFreeStep) {
      y = y > 0.0 ? kLargestFreeStep : -kLargestFreeStep;
      next = t - y;
    }
    if (!newton) {
      if (!bracketed) FormulaFail();
      next = (low + high) / 2.0;
    }
    if ((newton && Converged(y, next)) ||
        (bracketed && high - low <= 4e-16 * std::max(std::fabs(low), std::fabs(high))))
      return RateOfRoot(flows, next);
    t = next;
  }
  FormulaFail();
}

// ---- registered functions -----------------------------------------------------------------------

void FutureValue(const TPackCall& c, TValue& r) {
  const TFixedArgs a = ReadFixed(c, texts::kIncorrectRealTypeRateNPeriodsPaymentPresentValue, {1, 4},
                                 texts::kIncorrectIntegerTypeNPeriodsOrPaymentTime, true);
  Evaluate(a, r, [&] { return FutureValueOf(a[0], a[1], a[2], a[3], a.PaymentTime(4)); });
}

void PresentValue(const TPackCall& c, TValue& r) {
  const TFixedArgs a = ReadFixed(c, texts::kIncorrectRealTypeRateNPeriodsPaymentFutureValue, {1, 4},
                                 texts::kIncorrectIntegerTypeNPeriodsOrPaymentTime, true);
  Evaluate(a, r, [&] { return PresentValueOf(a[0], a[1], a[2], a[3], a.PaymentTime(4)); });
}

void Payment(const TPackCall& c, TValue& r) {
  const TFixedArgs a = ReadFixed(c, texts::kIncorrectRealTypeRateNPeriodsPresentValueFutureValue, {1, 4},
                                 texts::kIncorrectIntegerTypeNPeriodsOrPaymentTime, true);
  Evaluate(a, r, [&] { return PaymentOf(a[0], a[1], a[2], a[3], a.PaymentTime(4)); });
}

constexpr const char* kPeriodRealMessage = texts::kIncorrectRealTypeRatePeriodNPeriodsPresentValue;
constexpr const char* kPeriodIntegerMessage = texts::kIncorrectIntegerTypePeriodNPeriodsOrPaymentTime;

void InterestPayment(const TPackCall& c, TValue& r) {
  const TFixedArgs a = ReadFixed(c, kPeriodRealMessage, {1, 2, 5}, kPeriodIntegerMessage, true);
  Evaluate(a, r, [&] { return InterestPaymentOf(a[0], a[1], a[2], a[3], a[4], a.PaymentTime(5)); });
}

void PeriodPayment(const TPackCall& c, TValue& r) {
  const TFixedArgs a = ReadFixed(c, kPeriodRealMessage, {1, 2, 5}, kPeriodIntegerMessage, true);
  Evaluate(a, r, [&] { return PeriodPaymentOf(a[0], a[1], a[2], a[3], a[4], a.PaymentTime(5)); });
}

void NumberOfPeriods(const TPackCall& c, TValue& r) {
  const TFixedArgs a = ReadFixed(c, texts::kIncorrectRealTypeRatePaymentPresentValueFutureValue, {4},
                                 texts::kIncorrectIntegerTypePaymentTime, true);
  Evaluate(a, r, [&] { return NumberOfPeriodsOf(a[0], a[1], a[2], a[3], a.PaymentTime(4)); });
}

void InterestRate(const TPackCall& c, TValue& r) {
  const TFixedArgs a = ReadFixed(c, texts::kIncorrectRealTypeNPeriodsPaymentPresentValueFutureValue, {0, 4},
                                 texts::kIncorrectIntegerTypeNPeriodsOrPaymentTime, true);
  Evaluate(a, r, [&] { return InterestRateOf(a[0], a[1], a[2], a[3], a.PaymentTime(4)); });
}

constexpr const char* kDepreciationRealMessage = texts::kIncorrectRealTypeCostSalvageLifePeriod;
constexpr const char* kDepreciationIntegerMessage = texts::kIncorrectIntegerTypeLifeOrPeriod;

void SLNDepreciation(const TPackCall& c, TValue& r) {
  const TFixedArgs a =
      ReadFixed(c, texts::kIncorrectRealTypeCostSalvageLife, {2}, texts::kIncorrectIntegerTypeLifePrefix, false);
  if (a[2] <= 0.0) FormulaFail();
  Evaluate(a, r, [&] { return (a[0] - a[1]) / a[2]; });
}

void SYDDepreciation(const TPackCall& c, TValue& r) {
  const TFixedArgs a = ReadFixed(c, kDepreciationRealMessage, {2, 3}, kDepreciationIntegerMessage, false);
  const double cost = a[0], salvage = a[1], life = a[2], period = a[3];
  double v = 0.0;
  if (!(period <= 0.0 || period > life || salvage >= cost))
    v = (cost - salvage) * 2.0 * (life - period + 1.0) / (life * (life + 1.0));
  Evaluate(a, r, [&] { return v; });
}

void DoubleDecliningBalance(const TPackCall& c, TValue& r) {
  const TFixedArgs a = ReadFixed(c, kDepreciationRealMessage, {2, 3}, kDepreciationIntegerMessage, false);
  const double cost = a[0], salvage = a[1], life = a[2], period = a[3];
  double v = 0.0;
  if (period <= 0.0 || period > life || life <= 0.0 || salvage >= cost) {
    v = 0.0;
  } else if (life <= 2.0) {
    v = period == 1.0 ? cost - salvage : 0.0;
  } else {
    // (1 - f)^(Period - 1) through log1p: 1 - f rounded to double would be
    // raised to a power of up to Life.
    const double f = 2.0 / life;
    const double d = cost * std::exp((period - 1.0) * std::log1p(-f));
    v = f * d;
    if (v > d - salvage) v = d - salvage;
    if (v < 0.0) v = 0.0;
  }
  Evaluate(a, r, [&] { return v; });
}

// Rate, cash flow 1, ..., cash flow k, PaymentTime.
void NetPresentValue(const TPackCall& c, TValue& r) {
  if (c.Count < 3) ArgumentFail(texts::kParameterCountMustBeAtLeast3);
  std::vector<double> v(static_cast<std::size_t>(c.Count));
  bool finite = true, nan = false;
  for (int i = 0; i < c.Count; ++i) {
    v[static_cast<std::size_t>(i)] = PositionalNumber(c, i);
    finite = finite && std::isfinite(v[static_cast<std::size_t>(i)]);
    nan = nan || std::isnan(v[static_cast<std::size_t>(i)]);
  }
  double t = 0.0;
  if (!IsIntegral(v.back(), t)) ArgumentFail(texts::kIncorrectIntegerTypePaymentTime);
  if (t != 0.0 && t != 1.0) ArgumentFail(kPaymentTimeMessage);
  const double rate = v[0];
  CheckRate(rate);
  const double discount = 1.0 / (1.0 + rate);
  double factor = t == 0.0 ? discount : 1.0;
  double sum = 0.0;
  for (std::size_t i = 1; i + 1 < v.size(); ++i) {
    sum += v[i] * factor;
    factor *= discount;
  }
  r = TValue::MakeReal(JudgeResult(sum, finite, nan));
}

// Cash flow 1, ..., cash flow k, Guess.
void InternalRateOfReturn(const TPackCall& c, TValue& r) {
  if (c.Count < 2) ArgumentFail(texts::kParameterCountMustBeAtLeast2);
  std::vector<double> flows;
  bool finite = true, nan = false;
  for (int i = 0; i < c.Count; ++i) {
    const double x = PositionalNumber(c, i);
    finite = finite && std::isfinite(x);
    nan = nan || std::isnan(x);
    flows.push_back(x);
  }
  const double guess = flows.back();
  flows.pop_back();
  if (nan) {
    r = TValue::MakeReal(EngineNaN());
    return;
  }
  r = TValue::MakeReal(JudgeResult(InternalRateOfReturnOf(flows, guess), finite, nan));
}

constexpr TPackEntry kEntries[] = {
    {"DoubleDecliningBalance", 4, DoubleDecliningBalance},
    {"FutureValue", 5, FutureValue},
    {"InterestPayment", 6, InterestPayment},
    {"InterestRate", 5, InterestRate},
    {"NumberOfPeriods", 5, NumberOfPeriods},
    {"Payment", 5, Payment},
    {"PeriodPayment", 6, PeriodPayment},
    {"PresentValue", 5, PresentValue},
    {"SLNDepreciation", 3, SLNDepreciation},
    {"SYDDepreciation", 4, SYDDepreciation},
    {"InternalRateOfReturn", MaxInt, InternalRateOfReturn},
    {"NetPresentValue", MaxInt, NetPresentValue},
};

}  // namespace

std::span<const TPackEntry> FinanceEntries() { return kEntries; }

}  // namespace helmax::dtpack
