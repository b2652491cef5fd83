// Financial and statistical functions: identities that must hold, worked
// values, the argument checks with their messages, failure kinds and host
// lines, and folded against run-time evaluation.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../common/CaseNames.h"
#include "DateTimeTestUtil.h"

namespace helmax {
namespace {

using namespace dttest;

std::string Num(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  std::string s = buf;
  return v < 0 ? "(" + s + ")" : s;
}

std::string Call(const std::string& f, const std::vector<double>& args) {
  std::string s = f + "(";
  for (std::size_t i = 0; i < args.size(); ++i) s += (i ? ", " : "") + Num(args[i]);
  return s + ")";
}

double F(const std::string& f, const std::vector<double>& args) { return Real(Call(f, args)); }

struct TLoan {
  double Rate, N, PV, FV;
};

const TLoan kLoans[] = {{0.01, 12, 1000, 0},     {0.05, 30, -25000, 5000}, {1e-7, 10000, 1e6, 0},
                        {-0.02, 15, 800, -100},  {0.5, 40, 10, 3},         {0.004, 360, 250000, -50000},
                        {3e-5, 240, 1000, 1000}, {0, 24, 1200, -200}};

TEST(Finance, PresentValueOfPaymentIsTheLoan) {
  for (const TLoan& l : kLoans)
    for (double t : {0.0, 1.0}) {
      const double pmt = F("Payment", {l.Rate, l.N, l.PV, l.FV, t});
      EXPECT_NEAR(F("PresentValue", {l.Rate, l.N, pmt, l.FV, t}), l.PV, 1e-9 * std::fabs(l.PV)) << l.Rate << " " << t;
      EXPECT_NEAR(F("FutureValue", {l.Rate, l.N, pmt, l.PV, t}), l.FV, 1e-9 * std::fabs(l.PV)) << l.Rate << " " << t;
      if (l.Rate != 0.0) {
        EXPECT_NEAR(F("NumberOfPeriods", {l.Rate, pmt, l.PV, l.FV, t}), l.N, 1e-7 * l.N) << l.Rate << " " << t;
      }
    }
}

TEST(Finance, InterestAndPrincipalMakeThePayment) {
  for (const TLoan& l : kLoans)
    for (double t : {0.0, 1.0}) {
      const double pmt = F("Payment", {l.Rate, l.N, l.PV, l.FV, t});
      double principal = 0.0;
      for (double p = 1; p <= l.N; p += std::ceil(l.N / 7.0)) {
        const double ip = F("InterestPayment", {l.Rate, p, l.N, l.PV, l.FV, t});
        const double pp = F("PeriodPayment", {l.Rate, p, l.N, l.PV, l.FV, t});
        EXPECT_NEAR(ip + pp, pmt, 1e-9 * std::fabs(pmt)) << l.Rate << " p " << p << " t " << t;
      }
      // The principal parts of all periods repay the loan less what is left
      // at the end; with payments in advance the interest of the last period
      // is not paid within the periods, so what is left is FV / (1 + r).
      if (l.N <= 40) {
        for (double p = 1; p <= l.N; ++p) principal += F("PeriodPayment", {l.Rate, p, l.N, l.PV, l.FV, t});
        const double left = t == 0.0 ? l.FV : l.FV / (1.0 + l.Rate);
        EXPECT_NEAR(principal, -(l.PV + left), 1e-9 * std::fabs(l.PV)) << l.Rate << " t " << t;
      }
    }
  EXPECT_EQ(F("InterestPayment", {0.1, 1, 2, 1000, 0, 1}), 0.0);
  EXPECT_NEAR(F("InterestPayment", {0.1, 2, 2, 1000, 0, 1}), -47.619047619047619, 1e-12);
  EXPECT_NEAR(F("InterestPayment", {0.1, 1, 2, 1000, 0, 0}), -100.0, 1e-12);
}

// Loans whose flows change sign once. When the final amount has the sign
// of the loan the flows may change sign twice, which the solver refuses
// (unless the last payment outweighs the final amount); when it answers, the
// answer must be the rate.
TEST(Finance, InterestRateRecoversTheRate) {
  for (const TLoan& l : kLoans)
    for (double t : {0.0, 1.0}) {
      if (l.PV * l.FV > 0.0) {
        const double pmt = F("Payment", {l.Rate, l.N, l.PV, l.FV, t});
        const std::string text = Call("InterestRate", {l.N, pmt, l.PV, l.FV, t});
        const int kind = FailureKind(text);
        if (kind == -1) EXPECT_NEAR(Real(text), l.Rate, 1e-9 * std::fabs(l.Rate)) << text;
        else EXPECT_EQ(kind, mkInvalidArgument) << text;
        continue;
      }
      const double pmt = F("Payment", {l.Rate, l.N, l.PV, l.FV, t});
      EXPECT_NEAR(F("InterestRate", {l.N, pmt, l.PV, l.FV, t}), l.Rate, 1e-12 + 1e-9 * std::fabs(l.Rate))
          << l.Rate << " t " << t;
    }
}

TEST(Finance, NetPresentValueVanishesAtTheInternalRateOfReturn) {
  const std::vector<std::vector<double>> flows = {{-100, 110},
                                                  {-1000, 300, 400, 500},
                                                  {-500, -200, 300, 300, 300},
                                                  {-1e6, 1e5, 1e5, 1e5, 1e5, 1e5, 1e5, 1e5, 1e5, 1e5, 1e5, 1e5},
                                                  {-100, 300, -50}};
  for (const auto& f : flows) {
    std::vector<double> args = f;
    args.push_back(0.1);  // guess
    const double irr = F("InternalRateOfReturn", args);
    std::vector<double> npv{irr};
    npv.insert(npv.end(), f.begin(), f.end());
    npv.push_back(1);  // the first flow is not discounted
    double scale = 0;
    for (double c : f) scale += std::fabs(c);
    EXPECT_NEAR(F("NetPresentValue", npv), 0.0, 1e-12 * scale) << "irr " << irr;
  }
  EXPECT_NEAR(F("InternalRateOfReturn", {-100, 110, 0}), 0.1, 1e-15);
}

TEST(Finance, WorkedValues) {
  EXPECT_EQ(RunText("FutureValue(0, 10, -100, 0, 0), FutureValue(0, 10, -100, 50, 1)"), "1000; 950");
  EXPECT_EQ(RunText("NetPresentValue(1, 100, 0), NetPresentValue(1, 100, 1)"), "50; 100");
  EXPECT_EQ(RunText("NetPresentValue(0.1, 110, 121, 0)"), "200");
  EXPECT_EQ(
      RunText("SYDDepreciation(1000, 100, 5, 1), SYDDepreciation(1000, 100, 5, 5), SYDDepreciation(1000, 100, 5, 6)"),
      "300; 60; 0");
  EXPECT_EQ(RunText("DoubleDecliningBalance(1000, 100, 5, 1), DoubleDecliningBalance(1000, 100, 5, 2)"), "400; 240");
  EXPECT_EQ(RunText("DoubleDecliningBalance(1000, 100, 2, 1), DoubleDecliningBalance(1000, 100, 2, 2)"), "900; 0");
  EXPECT_EQ(RunText("DoubleDecliningBalance(1000, 900, 5, 2), DoubleDecliningBalance(1000, 1000, 5, 1)"), "0; 0");
  EXPECT_EQ(RunText("SLNDepreciation(1000, 100, 3), SLNDepreciation(real2curr(1000), 100, 9)"), "300; 100");
  EXPECT_EQ(RunText("FutureValue(0.1, 2, 0, -100, 0), PresentValue(0.1, 2, 0, 121, 0)"), "121; -100");
  EXPECT_EQ(RunText("Payment(0, 10, 1000, 0, 0), NumberOfPeriods(0, -100, 1000, 0, 0)"), "-100; 10");
  // A long annuity at a tiny rate keeps its digits: 10000 periods at 1e-7.
  const double a = F("FutureValue", {1e-7, 10000, -1, 0, 0});
  EXPECT_NEAR(a, std::expm1(10000 * std::log1p(1e-7)) / 1e-7, 1e-9);
  // Beyond a compound factor of 1e16 the limits of an endless annuity.
  EXPECT_NEAR(F("PresentValue", {0.5, 100, -10, 0, 0}), 20.0, 1e-12);
  EXPECT_NEAR(F("PresentValue", {0.5, 100, -10, 0, 1}), 30.0, 1e-12);
  EXPECT_NEAR(F("Payment", {0.5, 100, 20, 0, 0}), -10.0, 1e-12);
}

struct TTextCase {
  const char* Text;
  const char* Expected;
};

class FinanceLines : public ::testing::TestWithParam<TTextCase> {};
TEST_P(FinanceLines, Match) { EXPECT_EQ(RunText(GetParam().Text), GetParam().Expected) << GetParam().Text; }

INSTANTIATE_TEST_SUITE_P(
    Checks, FinanceLines,
    ::testing::Values(
        TTextCase{"Payment(0.01, 12, 1000, 0, 2)",
                  "Invalid value for PAYMENT :  incorrect paymenttime: must be 1 (startofperiod) or 0 (endofperiod) : "
                  "NONMATH"},
        TTextCase{"NetPresentValue(0.1, 100)",
                  "Invalid value for NETPRESENTVALUE :  parameter count must be >= 3 : NONMATH"},
        TTextCase{"InternalRateOfReturn(5)",
                  "Invalid value for INTERNALRATEOFRETURN :  parameter count must be >= 2 : NONMATH"},
        TTextCase{"NetPresentValue(0.1, true, 0)",
                  "Invalid value for NETPRESENTVALUE :  incorrect real type for the parameter 2 : NONMATH"},
        TTextCase{"NetPresentValue(0.1, 100, 0.5)",
                  "Invalid value for NETPRESENTVALUE :  incorrect integer type: paymenttime : NONMATH"},
        TTextCase{"NetPresentValue(0.1, 100, -1)",
                  "Invalid value for NETPRESENTVALUE :  incorrect paymenttime: must be 1 (startofperiod) or 0 "
                  "(endofperiod) : NONMATH"},
        TTextCase{
            "DoubleDecliningBalance(1000, 100, 5, true)",
            "Invalid value for DOUBLEDECLININGBALANCE :  incorrect real type: cost, salvage, life, period : NONMATH"},
        TTextCase{"SYDDepreciation(1000, 100, 5.5, 1)",
                  "Invalid value for SYDDEPRECIATION :  incorrect integer type: life or period : NONMATH"},
        TTextCase{"SLNDepreciation(1000, null, 5)",
                  "Invalid value for SLNDEPRECIATION :  incorrect real type: cost, salvage, life : NONMATH"},
        TTextCase{"SLNDepreciation(1000, 100, 5.5)",
                  "Invalid value for SLNDEPRECIATION :  incorrect integer type: life  : NONMATH"},
        TTextCase{"FutureValue(0.1, 2, 0, 12.31.2008, 0)",
                  "Invalid value for FUTUREVALUE :  incorrect real type: rate, nperiods, payment, presentvalue, "
                  "paymenttime : NONMATH"},
        TTextCase{"FutureValue(0.1, 2.5, 0, 1, 0)",
                  "Invalid value for FUTUREVALUE :  incorrect integer type: nperiods or paymenttime : NONMATH"},
        TTextCase{"InterestPayment(0.1, 1, 2, 1000, true, 0)",
                  "Invalid value for INTERESTPAYMENT :  incorrect real type: rate, period, nperiods, presentvalue, "
                  "futurevalue, paymenttime : NONMATH"},
        TTextCase{
            "PeriodPayment(0.1, 1.5, 2, 1000, 0, 0)",
            "Invalid value for PERIODPAYMENT :  incorrect integer type: period, nperiods or paymenttime : NONMATH"},
        TTextCase{"InterestRate(true, 1, 2, 3, 0)",
                  "Invalid value for INTERESTRATE :  incorrect real type: nperiods, payment, presentvalue, "
                  "futurevalue, paymenttime : NONMATH"},
        TTextCase{"InterestRate(10, 1, 2, 3, 0.5)",
                  "Invalid value for INTERESTRATE :  incorrect integer type: nperiods or paymenttime : NONMATH"},
        TTextCase{"NumberOfPeriods(0.1, 1, 2, null, 0)",
                  "Invalid value for NUMBEROFPERIODS :  incorrect real type: rate, payment, presentvalue, futurevalue, "
                  "paymenttime : NONMATH"},
        TTextCase{"NumberOfPeriods(0.1, 1, 2, 3, 0.5)",
                  "Invalid value for NUMBEROFPERIODS :  incorrect integer type: paymenttime : NONMATH"},
        TTextCase{"Payment(true, 1, 2, 3, 0)",
                  "Invalid value for PAYMENT :  incorrect real type: rate, nperiods, presentvalue, futurevalue, "
                  "paymenttime : NONMATH"},
        TTextCase{"PresentValue(true, 1, 2, 3, 0)",
                  "Invalid value for PRESENTVALUE :  incorrect real type: rate, nperiods, payment, futurevalue, "
                  "paymenttime : NONMATH"},
        TTextCase{"PresentValue(0.1, 3e9, 2, 3, 0)",
                  "Invalid value for PRESENTVALUE :  incorrect integer type: nperiods or paymenttime : NONMATH"},
        TTextCase{"SLNDepreciation(1000, 100, 0)",
                  "Invalid value for SLNDEPRECIATION :  slndepreciation( 1000 , 100 , 0)  : InvalidArgument"},
        TTextCase{"Payment(-1, 12, 1000, 0, 0)",
                  "Invalid value for PAYMENT :  payment( -1 , 12 , 1000 , 0 , 0)  : InvalidArgument"},
        TTextCase{"Variance(1, true)",
                  "Invalid value for VARIANCE :  incorrect real type for the parameter 2 : NONMATH"},
        TTextCase{"Variance(5)", "Invalid value for VARIANCE :  variance( 5)  : InvalidOp"}),
    test::NamedBy([](const TTextCase& c) { return c.Text; }));

TEST(Finance, FormulaFailuresAreInvalidArguments) {
  for (const char* text :
       {"FutureValue(-1, 10, 1, 1, 0)", "FutureValue(0.5, 200, 1, 1, 0)", "InterestPayment(0.1, 0, 12, 1000, 0, 0)",
        "InterestPayment(0.1, 13, 12, 1000, 0, 1)", "PeriodPayment(0.1, 13, 12, 1000, 0, 0)",
        "NumberOfPeriods(0.1, -100, 1000, 0, 0)", "NumberOfPeriods(0.1, -50, 1000, 0, 0)",
        "InterestRate(0, -100, 1000, 0, 0)", "InterestRate(10, -100, 0, 0, 0)", "NetPresentValue(-1.5, 100, 0)",
        "InternalRateOfReturn(100, 200, -2)", "SLNDepreciation(1, 0, -3)"})
    EXPECT_EQ(FailureKind(text), mkInvalidArgument) << text;
  EXPECT_EQ(FailureKind("Payment(0.1, 0, 1000, 0, 0)"), mkZeroDivide);
  EXPECT_EQ(FailureKind("Payment(0.1, 0, 0, 0, 0)"), mkInvalidOp);
}

// ---- statistics --------------------------------------------------------------------------------

TEST(Statistics, WorkedValues) {
  EXPECT_EQ(RunText("Variance(1, 2, 3), PopnVariance(1, 2, 3), SumOfSquares(1, 2, 3), Norm(3, 4)"),
            "1; 0.666666666666667; 14; 5");
  EXPECT_EQ(RunText("StdDev(2, 4, 4, 4, 5, 5, 7, 9), PopnStdDev(2, 4, 4, 4, 5, 5, 7, 9)"), "2.1380899352994; 2");
  EXPECT_EQ(RunText("TotalVariance(2, 4, 4, 4, 5, 5, 7, 9), Moment3(1, 2, 4), Moment4(1, 3)"),
            "32; 0.740740740740741; 1");
  EXPECT_EQ(RunText("Kurtosis(1, 3), Kurtosis(1, 2, 3, 4, 10), Skew(1, 2, 3), Skew(3, 2, 1, 10)"),
            "1; 2.788; 0; 1.01823376490863");
  EXPECT_EQ(RunText("Norm(1e200, 1e200), Norm(-3), SumOfSquares(real2curr(1.5))"), "1.4142135623731E200; 3; 2.25");
  EXPECT_EQ(RunText("Norm(nan, 1), Variance(1, nan)"), "-NAN; -NAN");
}

TEST(Statistics, SecondPassKeepsTheDigitsOfShiftedData) {
  EXPECT_NEAR(Real("Skew(1000001, 1000002, 1000004)"), 0.381801774160606, 1e-15);
  EXPECT_EQ(RunText("Variance(1e9 + 1, 1e9 + 2, 1e9 + 3), PopnVariance(1e9 + 4, 1e9 + 7, 1e9 + 13, 1e9 + 16)"),
            "1; 22.5");
  EXPECT_NEAR(Real("Kurtosis(1e8 + 1, 1e8 + 2, 1e8 + 3, 1e8 + 4, 1e8 + 10)"), 2.788, 1e-13);
}

TEST(Statistics, FailureKinds) {
  for (const char* text : {"Variance(5)", "StdDev(5)", "Skew(2, 2, 2)", "Kurtosis(7)", "Variance(inf, 1)"})
    EXPECT_EQ(FailureKind(text), mkInvalidOp) << text;
  EXPECT_EQ(FailureKind("SumOfSquares(1e200, 1e200)"), mkOverflow);
  EXPECT_EQ(FailureKind("PopnVariance(5), TotalVariance(5), Moment3(5)"), -1);
}

TEST(FoldedAndRunTime, FinanceAndStatisticsAgree) {
  const std::vector<std::string> values = {"0.05", "(-1)", "12", "1.5", "0", "1", "true", "real2curr(2)", "nan"};
  for (const char* f : {"FutureValue", "PresentValue", "Payment", "NumberOfPeriods", "InterestRate"})
    for (const std::string& a : values)
      for (const char* t : {"0", "1", "2"}) {
        ExpectSameOutcome(std::string(f) + "($0, 12, -100, 1000, $1)", {a, t});
        ExpectSameOutcome(std::string(f) + "(0.01, $0, -100, 1000, $1)", {a, t});
      }
  for (const char* f : {"InterestPayment", "PeriodPayment"})
    for (const std::string& p : values) ExpectSameOutcome(std::string(f) + "(0.01, $0, 12, 1000, 0, 1)", {p});
  for (const char* f : {"DoubleDecliningBalance", "SYDDepreciation"})
    for (const std::string& v : values) ExpectSameOutcome(std::string(f) + "(1000, 100, $0, 2)", {v});
  for (const std::string& v : values) {
    ExpectSameOutcome("SLNDepreciation(1000, $0, $0)", {v});
    ExpectSameOutcome("NetPresentValue($0, 100, 200, $0)", {v});
    ExpectSameOutcome("InternalRateOfReturn(-100, $0, 110, $0)", {v});
    for (const char* f : {"Norm", "PopnStdDev", "PopnVariance", "StdDev", "SumOfSquares", "TotalVariance", "Variance",
                          "Skew", "Kurtosis", "Moment3", "Moment4"}) {
      ExpectSameOutcome(std::string(f) + "($0)", {v});
      ExpectSameOutcome(std::string(f) + "(1, $0, 4)", {v});
    }
  }
}

}  // namespace
}  // namespace helmax
