// Accuracy of the financial functions against their defining formulas
// evaluated in 50 digits, over random loans (fixed seeds); identities that
// tie the functions together; and worked values known to more digits than
// a double holds.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <boost/multiprecision/cpp_bin_float.hpp>

#include "PackEntryCall.h"

namespace helmax {
namespace {

using Wide = boost::multiprecision::cpp_bin_float_50;

// A registered financial function called as the engine calls it; throws
// what the function throws.
double Call(const std::string& name, const std::vector<double>& args) {
  return packtest::CallEntry(dtpack::FinanceEntries(), name, args);
}

std::string Text(const std::string& name, const std::vector<double>& args) { return packtest::CallText(name, args); }

// ---- the defining formulas in 50 digits -----------------------------------------------

struct TWideLoan {
  Wide R, N, Cn, A;  // rate, periods, (1 + r)^n, annuity factor
  int T;
};

Wide Power(const Wide& base, const Wide& k) { return boost::multiprecision::pow(base, k); }

TWideLoan WideLoan(double r, double n, int t) {
  TWideLoan l{r, n, Power(1 + Wide(r), n), n, t};
  if (r != 0) l.A = (l.Cn - 1) / l.R * (t == 1 ? 1 + l.R : Wide(1));
  return l;
}

// A value and the sum of the magnitudes of the terms it is made of: no
// method that forms those terms to a relative accuracy u does better than
// u times that sum, which is the scale of the error bounds below.
struct TReference {
  Wide Value;
  Wide Magnitude;
};

TReference WideFutureValue(double r, double n, double pmt, double pv, int t) {
  const TWideLoan l = WideLoan(r, n, t);
  return {-pmt * l.A - pv * l.Cn, abs(pmt * l.A) + abs(pv * l.Cn)};
}

TReference WidePresentValue(double r, double n, double pmt, double fv, int t) {
  const TWideLoan l = WideLoan(r, n, t);
  return {(-pmt * l.A - fv) / l.Cn, (abs(pmt * l.A) + abs(Wide(fv))) / l.Cn};
}

TReference WidePayment(double r, double n, double pv, double fv, int t) {
  const TWideLoan l = WideLoan(r, n, t);
  return {(-pv * l.Cn - fv) / l.A, (abs(pv * l.Cn) + abs(Wide(fv))) / l.A};
}

// The principal part of period p: (-FV - PV)·(1 + r)^k·r/((1 + r)^n - 1)
// with k = p - 1 for payments at the end of periods and k = p - 2 at the
// start (whose first payment is all principal). Its only cancellation is
// -FV - PV, unlike Payment - InterestPayment evaluated as written, which
// loses all of 50 digits against compound factors of 1e300.
TReference WidePeriodPayment(double r, double p, double n, double pv, double fv, int t) {
  if (t == 1 && p == 1) return WidePayment(r, n, pv, fv, t);
  const Wide owed = -Wide(fv) - pv;
  const TWideLoan l = WideLoan(r, n, 0);
  const Wide factor = r == 0 ? 1 / Wide(n) : Power(1 + Wide(r), t == 0 ? p - 1 : p - 2) / l.A;
  return {owed * factor, (abs(Wide(fv)) + abs(Wide(pv))) * factor};
}

// The interest part: the payment less the principal part.
TReference WideInterestPayment(double r, double p, double n, double pv, double fv, int t) {
  if (t == 1 && p == 1) return {0, 0};
  const TReference pmt = WidePayment(r, n, pv, fv, t), principal = WidePeriodPayment(r, p, n, pv, fv, t);
  return {pmt.Value - principal.Value, abs(pmt.Value) + pmt.Magnitude + principal.Magnitude};
}

// ---- random loans ------------------------------------------------------------------------

struct TLoan {
  double Rate, N, PV, FV, Pmt;
  int T;
};

// Rates from 1e-12 to 1 of either sign (above -0.5), 1 to 1000 periods,
// amounts from 1 to 1e6 of either sign; FV is 0 in a third of the loans.
std::vector<TLoan> RandomLoans(unsigned seed, int count) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const auto amount = [&] { return (unit(random) < 0.5 ? -1 : 1) * std::pow(10.0, 6 * unit(random)); };
  std::vector<TLoan> loans;
  for (int i = 0; i < count; ++i) {
    TLoan l{};
    l.Rate = std::pow(10.0, -12 * unit(random));
    if (unit(random) < 0.25) l.Rate = -l.Rate / 2;
    l.N = std::floor(1 + 1000 * std::pow(unit(random), 2));
    l.PV = amount();
    l.FV = unit(random) < 1.0 / 3 ? 0.0 : amount();
    l.Pmt = amount();
    l.T = unit(random) < 0.5 ? 0 : 1;
    loans.push_back(l);
  }
  return loans;
}

constexpr double kUnit = 1.1102230246251565e-16;  // half an ulp of 1 in double

// The value within bound·u of the reference, relative to the larger of
// its size and the magnitude of its terms.
void ExpectAccurate(double value, const TReference& ref, double bound, const std::string& text) {
  const Wide error = abs(Wide(value) - ref.Value);
  const Wide allowed = bound * kUnit * (abs(ref.Value) + ref.Magnitude);
  EXPECT_LE(error, allowed) << text << " = " << value << ", reference " << ref.Value.str(20) << ", terms "
                            << ref.Magnitude.str(5);
}

// Compound factors up to 1e16 (beyond it FutureValue fails and Payment and
// PresentValue give their limits).
bool WithinCompoundLimit(const TLoan& l) { return WideLoan(l.Rate, l.N, 0).Cn <= 1e16; }

TEST(FinanceAccuracy, AnnuityFormulasAgainstFiftyDigits) {
  for (const TLoan& l : RandomLoans(20240601, 3000)) {
    if (!WithinCompoundLimit(l)) continue;
    const std::vector<double> fv{l.Rate, l.N, l.Pmt, l.PV, static_cast<double>(l.T)};
    ExpectAccurate(Call("FutureValue", fv), WideFutureValue(l.Rate, l.N, l.Pmt, l.PV, l.T), 4, Text("FutureValue", fv));
    const std::vector<double> pv{l.Rate, l.N, l.Pmt, l.FV, static_cast<double>(l.T)};
    ExpectAccurate(Call("PresentValue", pv), WidePresentValue(l.Rate, l.N, l.Pmt, l.FV, l.T), 4,
                   Text("PresentValue", pv));
    const std::vector<double> pmt{l.Rate, l.N, l.PV, l.FV, static_cast<double>(l.T)};
    ExpectAccurate(Call("Payment", pmt), WidePayment(l.Rate, l.N, l.PV, l.FV, l.T), 4, Text("Payment", pmt));
  }
}

TEST(FinanceAccuracy, InterestAndPrincipalPartsAgainstFiftyDigits) {
  std::mt19937_64 random(7);
  for (const TLoan& l : RandomLoans(20240602, 3000)) {
    const double p = std::floor(1 + l.N * std::uniform_real_distribution<double>(0.0, 1.0)(random));
    const std::vector<double> args{l.Rate, std::min(p, l.N), l.N, l.PV, l.FV, static_cast<double>(l.T)};
    ExpectAccurate(Call("InterestPayment", args), WideInterestPayment(args[0], args[1], l.N, l.PV, l.FV, l.T), 8,
                   Text("InterestPayment", args));
    ExpectAccurate(Call("PeriodPayment", args), WidePeriodPayment(args[0], args[1], l.N, l.PV, l.FV, l.T), 8,
                   Text("PeriodPayment", args));
  }
}

TEST(FinanceAccuracy, NumberOfPeriodsAgainstFiftyDigits) {
  for (const TLoan& l : RandomLoans(20240603, 3000)) {
    const std::vector<double> args{l.Rate, l.Pmt, l.PV, l.FV, static_cast<double>(l.T)};
    const Wide r = l.Rate, pay = l.T == 1 ? l.Pmt * (1 + r) : Wide(l.Pmt), total = pay + l.PV * r;
    const Wide onePlusQ = (pay - r * l.FV) / total;
    if (onePlusQ <= 0) {
      EXPECT_THROW(Call("NumberOfPeriods", args), std::exception) << Text("NumberOfPeriods", args);
      continue;
    }
    const Wide value = log(onePlusQ) / boost::multiprecision::log1p(r);
    // ln(1 + q) is formed from Pay, r·PV and r·FV: their sum of magnitudes
    // over |T (1 + q)| bounds its conditioning.
    const Wide terms = (abs(pay) + abs(r * l.PV) + abs(r * l.FV)) / abs(total * onePlusQ) / abs(log1p(r));
    ExpectAccurate(Call("NumberOfPeriods", args), {value, terms}, 8, Text("NumberOfPeriods", args));
  }
}

// ---- identities ----------------------------------------------------------------------------

TEST(FinanceIdentities, FutureValueOfThePaymentIsTheFutureValue) {
  for (const TLoan& l : RandomLoans(11, 2000)) {
    if (!WithinCompoundLimit(l)) continue;
    const double pmt = Call("Payment", {l.Rate, l.N, l.PV, l.FV, static_cast<double>(l.T)});
    const double fv = Call("FutureValue", {l.Rate, l.N, pmt, l.PV, static_cast<double>(l.T)});
    // The payment is rounded once: its rounding times the annuity factor.
    const TReference ref = WideFutureValue(l.Rate, l.N, pmt, l.PV, l.T);
    EXPECT_NEAR(fv, l.FV, 8 * kUnit * (std::fabs(l.FV) + static_cast<double>(ref.Magnitude)))
        << "Payment(" << l.Rate << ", " << l.N << ", " << l.PV << ", " << l.FV << ", " << l.T << ") = " << pmt;
  }
}

TEST(FinanceIdentities, PrincipalPartsRepayTheLoan) {
  for (const TLoan& l : RandomLoans(12, 300)) {
    for (int t : {0, 1}) {
      double principal = 0.0, scale = 0.0;
      for (double p = 1; p <= l.N; ++p) {
        const double part = Call("PeriodPayment", {l.Rate, p, l.N, l.PV, 0, static_cast<double>(t)});
        principal += part;
        scale += std::fabs(part);
      }
      EXPECT_NEAR(principal, -l.PV, 4 * kUnit * l.N * (std::fabs(l.PV) + scale))
          << "loan " << l.PV << " at " << l.Rate << " over " << l.N << ", PaymentTime " << t;
    }
  }
}

TEST(FinanceIdentities, NumberOfPeriodsInvertsPayment) {
  int checked = 0;
  for (const TLoan& l : RandomLoans(13, 2000)) {
    if (!WithinCompoundLimit(l)) continue;
    const double t = l.T;
    const double pmt = Call("Payment", {l.Rate, l.N, l.PV, l.FV, t});
    // Condition of n on the rounded payment: dn/dPmt·Pmt, from the
    // 50-digit formula at Pmt (1 ± 1e-20).
    const auto periods = [&](const Wide& payment) {
      const Wide r = l.Rate, pay = l.T == 1 ? payment * (1 + r) : payment, total = pay + l.PV * r;
      return log((pay - r * l.FV) / total) / log1p(r);
    };
    const Wide slope = abs(periods(Wide(pmt) * (1 + Wide(1e-20))) - periods(Wide(pmt))) * Wide(1e20);
    const double allowed = 16 * kUnit * (l.N + static_cast<double>(slope));
    // Where the payment's rounding alone moves n by more than a period
    // (a negative rate over so many periods that (1 + r)^n is lost against
    // the payment's digits), n is not determined by the rounded payment.
    if (!(allowed < 1.0)) continue;
    ++checked;
    const std::vector<double> args{l.Rate, pmt, l.PV, l.FV, t};
    try {
      EXPECT_NEAR(Call("NumberOfPeriods", args), l.N, allowed) << Text("NumberOfPeriods", args);
    } catch (const std::exception& ex) { ADD_FAILURE() << Text("NumberOfPeriods", args) << " failed: " << ex.what(); }
  }
  EXPECT_GT(checked, 1000);
}

// The residual PV·(1 + r)^n + Pmt·A + FV of the defining equation at rate r,
// with the sum of its terms' magnitudes.
TReference WideResidual(const Wide& r, double n, double pmt, double pv, double fv, int t) {
  const Wide cn = Power(1 + r, n);
  const Wide a = r == 0 ? Wide(n) : (cn - 1) / r * (t == 1 ? 1 + r : Wide(1));
  return {pv * cn + pmt * a + fv, abs(pv * cn) + abs(pmt * a) + abs(Wide(fv))};
}

TEST(FinanceIdentities, InterestRateRecoversTheRate) {
  // Loans with one change of sign in their flows (FV 0 or of the payments'
  // sign), so the rate is the only root.
  for (TLoan l : RandomLoans(14, 2000)) {
    if (l.Rate < 1e-9 || !WithinCompoundLimit(l)) continue;
    l.FV = std::fabs(l.FV) * (l.PV > 0 ? -1 : 1) * (l.FV == 0 ? 0 : 1) / 10;
    // One payment at the start repaying the loan at once holds at every rate.
    if (l.N == 1 && l.T == 1 && l.FV == 0) continue;
    const double t = l.T;
    const double pmt = Call("Payment", {l.Rate, l.N, l.PV, l.FV, t});
    const std::vector<double> args{l.N, pmt, l.PV, l.FV, t};
    double rate = std::nan("");
    try {
      rate = Call("InterestRate", args);
    } catch (const std::exception& ex) {
      ADD_FAILURE() << Text("InterestRate", args) << " failed: " << ex.what();
      continue;
    }
    // Within the condition of the equation: the rounding of its terms over
    // its slope in the rate.
    const Wide r = l.Rate, h = r * Wide(1e-20);
    const TReference at = WideResidual(r, l.N, pmt, l.PV, l.FV, l.T);
    const Wide slope =
        (WideResidual(r + h, l.N, pmt, l.PV, l.FV, l.T).Value - WideResidual(r - h, l.N, pmt, l.PV, l.FV, l.T).Value) /
        (2 * h);
    const double allowed = 1e-15 * l.Rate + 64 * kUnit * static_cast<double>(at.Magnitude / abs(slope));
    EXPECT_NEAR(rate, l.Rate, allowed) << Text("InterestRate", args);
  }
}

// ---- worked values -------------------------------------------------------------------------

struct TWorked {
  std::string Name;
  std::vector<double> Args;
  double Expected;
  double Bound;  // relative; absolute when Expected is 0
};

TEST(FinanceWorkedValues, WhereTheFormulasAsWrittenCancelOrOverflow) {
  const TWorked cases[] = {
      {"InterestPayment", {0.01, 3000, 3000, 1000000, 0, 1}, -98.0296049407027, 1e-14},
      {"InterestPayment", {1e-12, 2, 120, 0, -5176.91, 0}, -4.31409166640998e-11, 1e-14},
      {"InterestPayment", {0.1, 1, 7500, 1000, 0, 0}, -100, 1e-15},
      {"InterestPayment", {0.5, 93, 360, 100000, 0, 1}, -33333.3333333333, 1e-14},
      {"NumberOfPeriods", {-0.1, -1e-12, 1000, 0, 0}, 305.96083457496, 1e-13},
      {"InterestRate", {10, -100, 0, 1200, 0}, 0.0398902762217599, 1e-14},
      {"InterestRate", {60, -1.844847001520847e-06, 5898028.73, 0, 0}, -0.370830044193888, 1e-14},
      {"InternalRateOfReturn", {-30, 190, -180, 100, 0}, 4.32395179255559, 1e-14},
      {"InternalRateOfReturn", {-180, 110, 140, 90, -160, 1}, 0, 0},
      {"PresentValue", {-0.99, 1000, 0, 0, 0}, 0, 0},
      // 494671.41 · 2e-5 · (1 - 2e-5)^99999, to 20 digits.
      {"DoubleDecliningBalance", {494671.41, 0, 100000, 100000}, 1.3389299075388274300, 1e-15},
      // A rate near -1 over a long term: (1 + r)^n below the extended range.
      {"InterestPayment", {-0.5, 1, 20000, 100000, 0, 0}, 50000, 1e-15},
      {"InterestPayment", {-0.9, 2, 1000000, 100000, 0, 1}, 90000, 1e-15},
      {"InterestPayment", {-0.5, 1, 10000, 100000, 0, 0}, 50000, 1e-15},
      // A flat start (the net present value at its maximum at the guess 0).
      {"InternalRateOfReturn", {-10, 190, -10, 0}, 17.947221813845592140553933976517368, 1e-14},
      {"InternalRateOfReturn", {-10, 190, -10, 0.1}, 17.947221813845592140553933976517368, 1e-14},
  };
  for (const TWorked& c : cases) {
    const std::string text = Text(c.Name, c.Args);
    double value = std::nan("");
    try {
      value = Call(c.Name, c.Args);
    } catch (const std::exception& ex) {
      ADD_FAILURE() << text << " failed: " << ex.what();
      continue;
    }
    EXPECT_NEAR(value, c.Expected, c.Bound * std::fabs(c.Expected)) << text;
  }
  // The number of periods of a payment at a rate of -50%.
  const double pmt = Call("Payment", {-0.5, 100, 1000, 0, 0});
  EXPECT_NEAR(Call("NumberOfPeriods", {-0.5, pmt, 1000, 0, 0}), 100, 1e-12);
}

// Past a compound factor of 1e16 the three payment functions of a loan still
// fit together: interest and principal parts against 50 digits, and their
// sum the payment.
TEST(FinanceWorkedValues, PartsOfALongLoanSumToItsPayment) {
  struct TPart {
    std::vector<double> Args;  // Rate, Period, NPeriods, PresentValue, FutureValue, PaymentTime
    double Payment, Interest, Principal;
  };
  const TPart parts[] = {
      {{0.1, 1, 400, 100000, 0, 0},
       -10000.00000000000083239623,
       -10000.00000000000055511151,
       -2.772847191210572174631227e-13},
      {{0.1, 200, 400, 100000, 0, 0},
       -10000.00000000000083239623,
       -9999.999952129245156990842,
       -0.00004787075567540538978931813},
      {{0.1, 400, 400, 100000, 0, 0},
       -10000.00000000000083239623,
       -909.0909090909092124584601,
       -9090.909090909091619937771},
      // The future value alone: the payment is not the limit -PV·r = 0.
      {{0.1, 1, 400, 0, 1e20, 0}, -277.2847191210572174631227, 0, -277.2847191210572174631227},
      {{0.2, 2, 250, 5000, 300, 1},
       -833.3333333333333718968958,
       -833.3333333333333718799135,
       -1.698221572258013478555581e-17},
      {{0.2, 125, 250, 5000, 300, 1},
       -833.3333333333333718968958,
       -833.3333332401609000865593,
       -9.317247181033648603857311e-8},
      {{0.2, 250, 250, 5000, 300, 1},
       -833.3333333333333718968958,
       -97.22222222222223353240797,
       -736.1111111111111383644878},
  };
  for (const TPart& c : parts) {
    const std::vector<double>& a = c.Args;
    const std::string text = Text("InterestPayment", a);
    const double payment = Call("Payment", {a[0], a[2], a[3], a[4], a[5]});
    const double interest = Call("InterestPayment", a), principal = Call("PeriodPayment", a);
    EXPECT_NEAR(payment, c.Payment, 1e-15 * std::fabs(c.Payment)) << text;
    EXPECT_NEAR(interest, c.Interest, 1e-15 * std::fabs(c.Payment)) << text;
    EXPECT_NEAR(principal, c.Principal, 1e-14 * std::fabs(c.Principal)) << text;
    EXPECT_NEAR(interest + principal, payment, 2 * kUnit * (std::fabs(interest) + std::fabs(principal))) << text;
  }
}

}  // namespace
}  // namespace helmax
