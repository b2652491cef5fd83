// Financial functions of the pack: annuities, depreciation, net present
// value and the two Newton solvers (InterestRate, InternalRateOfReturn).
// Money paid out is negative, money received positive; PaymentTime 0 means
// payments at the end of each period, 1 at the start. The formulas' own
// failures (a rate of -1 or less, a period out of range, no convergence)
// are invalid-argument failures.
#include <array>
#include <cmath>
#include <initializer_list>
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

// a / b with the floating-point kinds of a zero divisor.
double Divide(double a, double b) {
  if (b == 0.0) MathFail(a == 0.0 || std::isnan(a) ? mkInvalidOp : mkZeroDivide);
  return a / b;
}

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

// (1 + r)^k for a whole k, through log1p so that small rates keep their
// digits.
double Compound(double r, double k) { return r == 0.0 ? 1.0 : std::exp(k * std::log1p(r)); }

// Annuity factor A (sum of the compound factors of the payments, valued at
// the end) and the compound factor Cn of n periods.
struct TAnnuity {
  double A;
  double Cn;
};

TAnnuity Annuity(double r, double n, int t) {
  if (r == 0.0) return {n, 1.0};
  const double lr = std::log1p(r);
  double a = std::expm1(n * lr) / r;
  if (t == 1) a *= 1.0 + r;
  return {a, std::exp(n * lr)};
}

// ---- the formulas on plain numbers ----------------------------------------------------------

double FutureValueOf(double r, double n, double pmt, double pv, int t) {
  CheckRate(r);
  const TAnnuity f = Annuity(r, n, t);
  if (f.Cn > kCompoundLimit) FormulaFail();
  return -pmt * f.A - pv * f.Cn;
}

double PresentValueOf(double r, double n, double pmt, double fv, int t) {
  CheckRate(r);
  const TAnnuity f = Annuity(r, n, t);
  if (f.Cn > kCompoundLimit) return -pmt * (1.0 + r * t) / r;
  return Divide(-pmt * f.A - fv, f.Cn);
}

double PaymentOf(double r, double n, double pv, double fv, int t) {
  CheckRate(r);
  const TAnnuity f = Annuity(r, n, t);
  if (f.Cn > kCompoundLimit) return -pv * r / (1.0 + r * t);
  return Divide(-pv * f.Cn - fv, f.A);
}

double InterestPaymentOf(double r, double p, double n, double pv, double fv, int t) {
  CheckRate(r);
  if (p < 1.0 || p > n) FormulaFail();
  if (t == 1) {
    // Payments in advance: no interest is due in the first period; later,
    // the rate on what is owed after the payment of the previous period.
    if (p == 1.0) return 0.0;
    const double pmt = PaymentOf(r, n, pv, fv, 1);
    return r * (FutureValueOf(r, p - 2.0, pmt, pv, 1) - pmt);
  }
  const TAnnuity f = Annuity(r, n, t);
  const double cp = Compound(r, p - 1.0);
  return Divide(fv * (cp - 1.0) - pv * (f.Cn - cp), f.A);
}

double PeriodPaymentOf(double r, double p, double n, double pv, double fv, int t) {
  CheckRate(r);
  if (p < 1.0 || p > n) FormulaFail();
  if (t == 1) return PaymentOf(r, n, pv, fv, 1) - InterestPaymentOf(r, p, n, pv, fv, 1);
  const TAnnuity f = Annuity(r, n, t);
  return Divide((-fv - pv) * Compound(r, p - 1.0), f.A);
}

double NumberOfPeriodsOf(double r, double pmt, double pv, double fv, int t) {
  CheckRate(r);
  const double pay = t == 1 ? pmt * (1.0 + r) : pmt;
  const double total = pay + pv * r;
  if (total == 0.0) FormulaFail();
  if (r == 0.0) return -(pv + fv) / total;
  const double q = -r * (pv + fv) / total;
  if (!(q > -1.0)) FormulaFail();
  return std::log1p(q) / std::log1p(r);
}

bool Converged(double step, double t) { return std::fabs(step) < kAbsoluteStep + kRelativeStep * std::fabs(t); }

// Newton's method on an exponent T, e^T being 1 / (1 + rate) (or 1 + rate
// for a reversed flow).
double InterestRateOf(double n, double pmt, double pv, double fv, int t) {
  if (n < 1.0) FormulaFail();
  double first = t == 0 ? pv : pv + pmt;
  double last = t == 0 ? fv + pmt : fv;
  bool reversed = false;
  if (first * pmt > 0.0) {
    std::swap(first, last);
    reversed = true;
  }
  if (first > 0.0) {
    first = -first;
    pmt = -pmt;
    last = -last;
  }
  if (first == 0.0 || last < 0.0) FormulaFail();
  double T = 0.0;
  for (int step = 0; step < kMaxNewtonSteps; ++step) {
    const double e = std::exp(n * T);
    if (e + 1.0 == e) {
      const double rate = -pmt / first;
      return reversed ? 1.0 / (1.0 + rate) - 1.0 : rate;
    }
    // X = u + u^2 + ... + u^(n-1) and Y = u + 2 u^2 + ... + (n-1) u^(n-1),
    // its derivative with respect to T; u - 1 through expm1 so that rates
    // near 0 keep their digits. At u = 1 the sums are n - 1 and n (n - 1) / 2.
    const double u = std::exp(T);
    const double um1 = std::expm1(T);
    double x = n - 1.0, y = n * (n - 1.0) / 2.0;
    if (um1 != 0.0) {
      x = u * std::expm1((n - 1.0) * T) / um1;
      y = (n * e - u - x * u) / um1;
    }
    const double s = pmt * x + last * e;
    const double z = std::log(s / -first) / ((pmt * y + last * n * e) / s);
    if (!std::isfinite(z)) FormulaFail();
    T -= z;
    if (Converged(z, T)) return reversed ? std::expm1(T) : std::expm1(-T);
  }
  FormulaFail();
}

// Newton's method on T = -ln(1 + rate), the flows being the coefficients of
// a polynomial in x = e^T.
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
  double T = 0.0;
  if (k == 0) {
    if (!(guess > -1.0)) FormulaFail();
    T = -std::log1p(guess);
  }
  for (int step = 0; step < kMaxNewtonSteps; ++step) {
    const double x = std::exp(T);
    double pos = 0.0, neg = 0.0, dpos = 0.0, dneg = 0.0, power = 1.0;
    for (std::size_t i = 0; i < flows.size(); ++i) {
      const double term = flows[i] * power;
      if (flows[i] >= 0.0) {
        pos += term;
        dpos += static_cast<double>(i) * term;
      } else {
        neg += term;
        dneg += static_cast<double>(i) * term;
      }
      power *= x;
    }
    if (pos <= neg) FormulaFail();
    if (neg >= 0.0 || pos <= 0.0) return -1.0;
    const double y = std::log(-neg / pos) / (dneg / neg - dpos / pos);
    if (!std::isfinite(y)) FormulaFail();
    T -= y;
    if (Converged(y, T)) return std::expm1(-T);
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
    const double f = 2.0 / life;
    const double d = cost * std::pow(1.0 - f, period - 1.0);
    v = f * d;
    if (v > d - salvage) v = d - salvage;
    if (v < 0.0) v = 0.0;
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
