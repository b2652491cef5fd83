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

namespace helmax::dtpack {
namespace {

constexpr double kCompoundLimit = 1e16;
constexpr int kMaxNewtonSteps = 15;
constexpr double kAbsoluteStep = 1e-15;
constexpr double kRelativeStep = 1e-12;
constexpr const char* kPaymentTimeMessage = "Incorrect PaymentTime: must be 1 (StartOfPeriod) or 0 (EndOfPeriod)";

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

TFixedArgs ReadFixed(const TPackCall& c, const char* realMessage, std::initializer_list<int> integers,
                     const char* integerMessage, bool paymentTimeLast) {
  TFixedArgs a;
  for (int i = 0; i < c.Count; ++i) {
    a.V[static_cast<std::size_t>(i)] = NumberArg(c, i, realMessage);
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

// A rate with ln(1 + r), from which every compound factor (1 + r)^k is
// e^(k ln(1 + r)) and every (1 + r)^k - 1 is expm1(k ln(1 + r)): small
// rates keep their digits and long terms their range.
struct TRate {
  Ext R;
  Ext Log;  // ln(1 + r)
  explicit TRate(double r) : R(r), Log(std::log1p(static_cast<Ext>(r))) {}
  Ext Compound(Ext k) const { return std::exp(k * Log); }
  Ext CompoundMinusOne(Ext k) const { return std::expm1(k * Log); }
  // ((1 + r)^k - 1) / r, k for r = 0.
  Ext Accumulated(Ext k) const { return R == 0.0L ? k : CompoundMinusOne(k) / R; }
};

// Annuity factor A (the payments' compound factors summed at the end, times
// 1 + r when they are made at the start) and the compound factor Cn.
struct TAnnuity {
  Ext A;
  Ext Cn;
};

TAnnuity Annuity(const TRate& r, Ext n, int t) {
  if (r.R == 0.0L) return {n, 1.0L};
  return {r.Accumulated(n) * (t == 1 ? 1.0L + r.R : 1.0L), r.Compound(n)};
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
  if (r.Log > 0.0L) return -(pv + fv * r.Compound(-n)) * r.R / (-r.CompoundMinusOne(-n) * advance);
  return Divide(-pv * r.Compound(n) - fv, r.Accumulated(n) * advance);
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
  TSum forward{}, backward{};
  if (t == 0) {
    // Payments at the ends of periods 1..j made; n - j to come.
    forward = Sum(-pmt * r.Accumulated(j), -pv * r.Compound(j));
    backward = Sum(fv * r.Compound(j - n), -pmt * (r.R == 0.0L ? j - n : r.CompoundMinusOne(j - n) / r.R));
  } else {
    // Payments at the starts of periods 1..j+1 made; n - j - 1 to come.
    forward = Sum(-pv * r.Compound(j), -pmt * r.Accumulated(j + 1.0L));
    const Ext m = n - j - 1.0L;
    backward = Sum(fv * r.Compound(-(m + 1.0L)), -pmt * (r.R == 0.0L ? -m : r.CompoundMinusOne(-m) / r.R));
  }
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
  if (r.Compound(n) > kCompoundLimit) return static_cast<double>(-pmt * (1.0L + r.R * t) / r.R);
  // (-Payment·A - FutureValue)/Cn with the division by Cn carried into the
  // factors: A/Cn = -expm1(-n ln(1 + r))/r, 1/Cn = e^(-n ln(1 + r)). A Cn that
  // underflows then gives the limit instead of 0/0.
  Ext value = 0.0L;
  if (pmt != 0.0) value += pmt * r.CompoundMinusOne(-n) / r.R * (1.0L + r.R * t);
  if (fv != 0.0) value -= fv * r.Compound(-n);
  return static_cast<double>(value);
}

double PaymentOf(double rate, double n, double pv, double fv, int t) {
  CheckRate(rate);
  const TRate r(rate);
  const TAnnuity f = Annuity(r, n, t);
  if (f.Cn > kCompoundLimit) return static_cast<double>(-pv * r.R / (1.0L + r.R * t));
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
  if (r.Log > 0.0L) return static_cast<double>(owed * r.R * r.Compound(k - n) / -r.CompoundMinusOne(-n));
  return static_cast<double>(Divide(owed * r.R * r.Compound(k), r.CompoundMinusOne(n)));
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
  const Ext logOnePlusQ = std::fabs(q) < 0.5L ? std::log1p(q) : std::log(onePlusQ);
  return static_cast<double>(logOnePlusQ / std::log1p(r));
}

bool Converged(Ext step, Ext t) { return std::fabs(step) < kAbsoluteStep + kRelativeStep * std::fabs(t); }

// The iteration of InterestRate: the flows First (now), Pmt (periods 1 to
// n - 1) and Last (period n) with First < 0 <= Pmt, Last, as the root of
// φ(T) = ln(Pmt·X + Last·e^(nT)) - ln(-First), X = e^T + ... + e^((n-1)T).
// φ increases from -∞ to ∞, so there is exactly one root, and with
// W = Pmt (n - 1) + Last it lies between c and c/n, c = ln(-First/W). Newton
// steps from T = 0 that leave that bracket (or the part of it known to hold
// the root) are replaced by halving.
class TRateEquation {
 public:
  TRateEquation(Ext n, Ext first, Ext pmt, Ext last) : N_(n), Pmt_(pmt), Last_(last), LogTarget_(std::log(-first)) {}

  // φ(T) and φ'(T), the mean power of the flows' weights at T.
  void Evaluate(Ext t, Ext& value, Ext& slope) const {
    const Ext n = N_;
    const Ext em = std::expm1(t);
    // X and Y = e^T + 2e^(2T) + ... + (n-1)e^((n-1)T), scaled by e^(-nT) for
    // T > 0 so that nothing overflows.
    Ext x = 0.0L, y = 0.0L, e = 1.0L, shift = 0.0L;
    if (em == 0.0L) {
      x = n - 1.0L;
      y = n * (n - 1.0L) / 2.0L;
    } else if (t > 0.0L) {
      shift = n * t;
      e = 1.0L;
      x = -std::expm1(-(n - 1.0L) * t) / em;
      y = ((n - 1.0L) - x) / em;
    } else {
      e = std::exp(n * t);
      x = std::exp(t) * std::expm1((n - 1.0L) * t) / em;
      y = ((n - 1.0L) * e - x) / em;
    }
    const Ext s = Pmt_ * x + Last_ * e;
    value = shift + std::log(s) - LogTarget_;
    slope = (Pmt_ * y + Last_ * n * e) / s;
    // Rounding can push the mean power out of [1, n] near T = 0.
    slope = std::min(std::max(slope, 1.0L), n);
  }

  // The root, or NaN when none is found.
  Ext Solve() const {
    const Ext weights = Pmt_ * (N_ - 1.0L) + Last_;
    const Ext c = LogTarget_ - std::log(weights);
    Ext low = std::min(c, c / N_), high = std::max(c, c / N_);
    const Ext margin = 1e-12L * (1.0L + std::fabs(c));
    low -= margin;
    high += margin;
    Ext t = std::min(std::max(Ext{0.0L}, low), high);
    for (int i = 0; i < 200; ++i) {
      Ext value = 0.0L, slope = 1.0L;
      Evaluate(t, value, slope);
      if (value == 0.0L) return t;
      if (value < 0.0L)
        low = t;
      else
        high = t;
      const Ext step = value / slope;
      Ext next = t - step;
      const bool newton = next > low && next < high;
      if (!newton) next = (low + high) / 2.0L;
      if (newton && Converged(step, next)) return next;
      if (high - low <= 4e-19L * std::max(std::fabs(low), std::fabs(high)) + 1e-300L) return next;
      t = next;
    }
    return std::numeric_limits<Ext>::quiet_NaN();
  }

  // True when T makes the two sides of the equation agree to a small
  // fraction of their size.
  bool IsRoot(Ext t) const {
    Ext value = 0.0L, slope = 1.0L;
    Evaluate(t, value, slope);
    return std::fabs(value) <= 1e-10L;
  }

 private:
  Ext N_, Pmt_, Last_, LogTarget_;
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
  const TRateEquation equation(n, first, pmt, last);
  const Ext root = equation.Solve();
  if (!std::isfinite(root) || !equation.IsRoot(root)) FormulaFail();
  return static_cast<double>(reversed ? std::expm1(root) : std::expm1(-root));
}

// The net present value of the flows c0, c1, ... at x = e^T = 1/(1 + rate),
// as the sums of the positive and of the negative terms and their
// derivatives times x, scaled by x^-(k-1) for x > 1 so that nothing
// overflows (the Newton step needs only their ratios).
struct TFlowSums {
  Ext Pos = 0.0L, Neg = 0.0L, DPos = 0.0L, DNeg = 0.0L;
};

TFlowSums FlowSums(const std::vector<double>& flows, Ext t) {
  TFlowSums f;
  const Ext top = static_cast<Ext>(flows.size()) - 1.0L;
  for (std::size_t i = 0; i < flows.size(); ++i) {
    const Ext power = static_cast<Ext>(i);
    const Ext term = flows[i] * std::exp(t > 0.0L ? (power - top) * t : power * t);
    if (flows[i] >= 0.0) {
      f.Pos += term;
      f.DPos += power * term;
    } else {
      f.Neg += term;
      f.DNeg += power * term;
    }
  }
  return f;
}

// The rate e^(-T) - 1 of a converged T, which must be a true root: the
// positive and negative sums agree to a small fraction. A T that converged
// next to 0 is exactly 0 when the flows sum to 0 exactly.
double RateOfRoot(const std::vector<double>& flows, Ext t) {
  if (std::fabs(t) < 1e-12L) {
    const TFlowSums atZero = FlowSums(flows, 0.0L);
    if (atZero.Pos + atZero.Neg == 0.0L) return 0.0;
  }
  const TFlowSums f = FlowSums(flows, t);
  if (!(std::fabs(std::log(f.Pos) - std::log(-f.Neg)) <= 1e-10L)) FormulaFail();
  return static_cast<double>(std::expm1(-t));
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
  Ext t = 0.0L;
  if (k == 0) {
    if (!(guess > -1.0)) FormulaFail();
    t = -std::log1p(static_cast<Ext>(guess));
  }
  constexpr Ext kLargestFreeStep = 3.0L;
  bool haveNegative = false, havePositive = false;
  Ext atNegative = 0.0L, atPositive = 0.0L;
  for (int step = 0; step < 200; ++step) {
    const TFlowSums f = FlowSums(flows, t);
    if (f.Pos <= f.Neg) FormulaFail();
    if (f.Neg >= 0.0L || f.Pos <= 0.0L) return -1.0;
    const Ext value = std::log(f.Pos) - std::log(-f.Neg);
    if (value == 0.0L) return RateOfRoot(flows, t);
    if (value < 0.0L) {
      haveNegative = true;
      atNegative = t;
    } else {
      havePositive = true;
      atPositive = t;
    }
    const Ext slope = f.DPos / f.Pos - f.DNeg / f.Neg;
    Ext y = value / slope;
    Ext next = t - y;
    const bool bracketed = haveNegative && havePositive;
    const Ext low = std::min(atNegative, atPositive), high = std::max(atNegative, atPositive);
    bool newton = std::isfinite(next);
    if (bracketed && !(next > low && next < high)) newton = false;
    if (!bracketed && newton && std::fabs(y) > kLargestFreeStep) {
      y = y > 0.0L ? kLargestFreeStep : -kLargestFreeStep;
      next = t - y;
    }
    if (!newton) {
      if (!bracketed) FormulaFail();
      next = (low + high) / 2.0L;
    }
    if ((newton && Converged(y, next)) ||
        (bracketed && high - low <= 4e-19L * std::max(std::fabs(low), std::fabs(high)) + 1e-300L))
      return RateOfRoot(flows, next);
    t = next;
  }
  FormulaFail();
}

// ---- registered functions -----------------------------------------------------------------------

void FutureValue(const TPackCall& c, TValue& r) {
  const TFixedArgs a = ReadFixed(c, "Incorrect real type: Rate, NPeriods, Payment, PresentValue, PaymentTime", {1, 4},
                                 "Incorrect integer type: NPeriods or PaymentTime", true);
  Evaluate(a, r, [&] { return FutureValueOf(a[0], a[1], a[2], a[3], a.PaymentTime(4)); });
}

void PresentValue(const TPackCall& c, TValue& r) {
  const TFixedArgs a = ReadFixed(c, "Incorrect real type: Rate, NPeriods, Payment, FutureValue, PaymentTime", {1, 4},
                                 "Incorrect integer type: NPeriods or PaymentTime", true);
  Evaluate(a, r, [&] { return PresentValueOf(a[0], a[1], a[2], a[3], a.PaymentTime(4)); });
}

void Payment(const TPackCall& c, TValue& r) {
  const TFixedArgs a = ReadFixed(c, "Incorrect real type: Rate, NPeriods, PresentValue, FutureValue, PaymentTime",
                                 {1, 4}, "Incorrect integer type: NPeriods or PaymentTime", true);
  Evaluate(a, r, [&] { return PaymentOf(a[0], a[1], a[2], a[3], a.PaymentTime(4)); });
}

constexpr const char* kPeriodRealMessage =
    "Incorrect real type: Rate, Period, NPeriods, PresentValue, FutureValue, PaymentTime";
constexpr const char* kPeriodIntegerMessage = "Incorrect integer type: Period, NPeriods or PaymentTime";

void InterestPayment(const TPackCall& c, TValue& r) {
  const TFixedArgs a = ReadFixed(c, kPeriodRealMessage, {1, 2, 5}, kPeriodIntegerMessage, true);
  Evaluate(a, r, [&] { return InterestPaymentOf(a[0], a[1], a[2], a[3], a[4], a.PaymentTime(5)); });
}

void PeriodPayment(const TPackCall& c, TValue& r) {
  const TFixedArgs a = ReadFixed(c, kPeriodRealMessage, {1, 2, 5}, kPeriodIntegerMessage, true);
  Evaluate(a, r, [&] { return PeriodPaymentOf(a[0], a[1], a[2], a[3], a[4], a.PaymentTime(5)); });
}

void NumberOfPeriods(const TPackCall& c, TValue& r) {
  const TFixedArgs a = ReadFixed(c, "Incorrect real type: Rate, Payment, PresentValue, FutureValue, PaymentTime", {4},
                                 "Incorrect integer type: PaymentTime", true);
  Evaluate(a, r, [&] { return NumberOfPeriodsOf(a[0], a[1], a[2], a[3], a.PaymentTime(4)); });
}

void InterestRate(const TPackCall& c, TValue& r) {
  const TFixedArgs a = ReadFixed(c, "Incorrect real type: NPeriods, Payment, PresentValue, FutureValue, PaymentTime",
                                 {0, 4}, "Incorrect integer type: NPeriods or PaymentTime", true);
  Evaluate(a, r, [&] { return InterestRateOf(a[0], a[1], a[2], a[3], a.PaymentTime(4)); });
}

constexpr const char* kDepreciationRealMessage = "Incorrect real type: Cost, Salvage, Life, Period";
constexpr const char* kDepreciationIntegerMessage = "Incorrect integer type: Life or Period";

void SLNDepreciation(const TPackCall& c, TValue& r) {
  const TFixedArgs a =
      ReadFixed(c, "Incorrect real type: Cost, Salvage, Life", {2}, "Incorrect integer type: Life ", false);
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
    const Ext f = 2.0L / life;
    const Ext d = cost * std::exp((period - 1.0L) * std::log1p(-f));
    Ext value = f * d;
    if (value > d - salvage) value = d - salvage;
    if (value < 0.0L) value = 0.0L;
    v = static_cast<double>(value);
  }
  Evaluate(a, r, [&] { return v; });
}

// Rate, cash flow 1, ..., cash flow k, PaymentTime.
void NetPresentValue(const TPackCall& c, TValue& r) {
  if (c.Count < 3) ArgumentFail("Parameter count must be >= 3");
  std::vector<double> v(static_cast<std::size_t>(c.Count));
  bool finite = true, nan = false;
  for (int i = 0; i < c.Count; ++i) {
    v[static_cast<std::size_t>(i)] = NumberArg(c, i, "Incorrect real type for the parameter " + std::to_string(i + 1));
    finite = finite && std::isfinite(v[static_cast<std::size_t>(i)]);
    nan = nan || std::isnan(v[static_cast<std::size_t>(i)]);
  }
  double t = 0.0;
  if (!IsIntegral(v.back(), t)) ArgumentFail("Incorrect integer type: PaymentTime");
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
  if (c.Count < 2) ArgumentFail("Parameter count must be >= 2");
  std::vector<double> flows;
  bool finite = true, nan = false;
  for (int i = 0; i < c.Count; ++i) {
    const double x = NumberArg(c, i, "Incorrect real type for the parameter " + std::to_string(i + 1));
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
