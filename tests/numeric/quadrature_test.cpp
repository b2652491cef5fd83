// The adaptive Gauss–Legendre routine on plain functions: closed forms,
// Boost.Math's Gauss–Kronrod quadrature as an independent reference, and
// every message.
#include <gtest/gtest.h>

#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <cmath>
#include <numbers>

#include "GaussQuadrature.h"
#include "Value.h"

using namespace helmax;

namespace {

constexpr double kTolerance = 1e-14;

TIntegrand Of(double (*f)(double)) {
  return [f](double t) { return TPointValue{TPointStatus::Ok, f(t)}; };
}

std::string MessageOf(const std::function<void()>& run) {
  try {
    run();
  } catch (const TIntegrationError& e) {
    return e.what();
  }
  return "no error";
}

TEST(Quadrature, PolynomialsUpToDegreeFifteenAreExact) {
  // x^k from -1 to 2: (2^(k+1) - (-1)^(k+1)) / (k + 1).
  for (int k = 0; k <= 15; ++k) {
    const double exact = (std::pow(2.0, k + 1) - std::pow(-1.0, k + 1)) / (k + 1);
    const double value = GaussIntegrate(kTolerance, 2, -1, [k](double t) {
      return TPointValue{TPointStatus::Ok, std::pow(t, k)};
    });
    EXPECT_NEAR(value, exact, 4e-15 * std::fabs(exact)) << k;
  }
}

struct TSmoothCase {
  const char* Name;
  double (*F)(double);
  double From, To;
};

class SmoothFunctions : public ::testing::TestWithParam<TSmoothCase> {};

TEST_P(SmoothFunctions, AgreeWithGaussKronrod) {
  const TSmoothCase& c = GetParam();
  const double reference = boost::math::quadrature::gauss_kronrod<double, 61>::integrate(c.F, c.From, c.To, 15, 1e-14);
  const double value = GaussIntegrate(kTolerance, c.To, c.From, Of(c.F));
  EXPECT_NEAR(value, reference, 1e-13 * (1 + std::fabs(reference)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SmoothFunctions,
    ::testing::Values(TSmoothCase{"Exp", [](double t) { return std::exp(t); }, -3, 4},
                      TSmoothCase{"SinOverManyPeriods", [](double t) { return std::sin(t); }, 0, 40.5},
                      TSmoothCase{"Lorentzian", [](double t) { return 1 / (1 + t * t); }, -5, 5},
                      TSmoothCase{"SharpPeak", [](double t) { return std::exp(-1e4 * (t - 0.3) * (t - 0.3)); }, 0, 1},
                      TSmoothCase{"SquareRootAtZero", [](double t) { return std::sqrt(t); }, 0, 1}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(Quadrature, ClosedForms) {
  EXPECT_NEAR(GaussIntegrate(kTolerance, 3, 0, Of([](double t) { return t * t; })), 9.0, 1e-14 * 9);
  EXPECT_NEAR(GaussIntegrate(kTolerance, std::numbers::pi, 0, Of([](double t) { return std::sin(t); })), 2.0,
              2e-14);
  EXPECT_NEAR(GaussIntegrate(kTolerance, 1, 0, Of([](double t) { return std::sqrt(t); })), 2.0 / 3, 1e-14);
  EXPECT_NEAR(GaussIntegrate(kTolerance, 5, -5, Of([](double t) { return 1 / (1 + t * t); })), 2 * std::atan(5.0),
              1e-14);
}

TEST(Quadrature, ReciprocalOverASymmetricRangeCancelsAtOnce) {
  EXPECT_EQ(GaussIntegrate(kTolerance, 1, -1, Of([](double t) { return 1 / t; })), 0.0);
  EXPECT_EQ(MessageOf([] { GaussIntegrate(kTolerance, 2, -1, Of([](double t) { return 1 / t; })); }),
            "DGAINT->Integral failed to converge to prescribed accuracy: 1E-14");
}

TEST(Quadrature, NaNIntegrandsGiveNaN) {
  const double nan = std::nan("");
  EXPECT_TRUE(std::isnan(GaussIntegrate(kTolerance, 1, 0, [nan](double) { return TPointValue{TPointStatus::Ok, nan}; })));
  // NaN only on a narrow stretch, reached once the peak makes the rule
  // subdivide: the sum stays NaN to the end.
  const double value = GaussIntegrate(kTolerance, 3, 0, [nan](double t) {
    return TPointValue{TPointStatus::Ok, t > 2.22 && t < 2.226 ? nan : 1 / (1 + 100 * (t - 1.5) * (t - 1.5))};
  });
  EXPECT_TRUE(std::isnan(value));
  EXPECT_EQ(RealToText(value), "-NAN");
}

struct TMessageCase {
  const char* Name;
  double From, To;
  TPointStatus Status;
  const char* Message;
};

class Messages : public ::testing::TestWithParam<TMessageCase> {};

TEST_P(Messages, NameTheFailure) {
  const TMessageCase& c = GetParam();
  EXPECT_EQ(MessageOf([&] {
              GaussIntegrate(kTolerance, c.To, c.From, [&](double t) { return TPointValue{c.Status, t}; });
            }),
            c.Message);
}

const double kInf = HUGE_VAL;

INSTANTIATE_TEST_SUITE_P(
    Cases, Messages,
    ::testing::Values(
        TMessageCase{"EqualLimits", 1, 1, TPointStatus::Ok, "DGAINT-> Incorrect Integral limits: From >= To"},
        TMessageCase{"ReversedLimits", 2, 1, TPointStatus::Ok, "DGAINT-> Incorrect Integral limits: From >= To"},
        TMessageCase{"InfiniteLimit", 0, kInf, TPointStatus::Ok, "DGAINT-> Incorrect Integral limits: not finite"},
        TMessageCase{"NaNLimit", std::nan(""), 1, TPointStatus::Ok, "DGAINT-> Incorrect Integral limits: not finite"},
        TMessageCase{"RangeBeyondDoubles", -1.7e308, 1.7e308, TPointStatus::Ok,
                     "DGAINT-> Incorrect Integral limits: not finite"},
        TMessageCase{"NotReal", 0, 1, TPointStatus::NotReal, "DGAINT-> Invalid Double Type"},
        TMessageCase{"EveryPointFails", 0, 1, TPointStatus::Failed, "DGAINT->Integral failed to converge"},
        TMessageCase{"SeveralExpressions", 0, 1, TPointStatus::SeveralExpressions,
                     "DGAINT-> Please enter only one function to Integrate!"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(Quadrature, FailingPairsAreLeftOutUntilTooManyInARow) {
  // Failing beyond |t| > limit on [-1, 1]: 0.5 costs the 8-point rule three
  // pairs in a row and the 16-point rule five, which they bear; 0.2 costs
  // the 8-point rule its fourth.
  auto failingBeyond = [](double limit) {
    return [limit](double t) {
      return std::fabs(t) > limit ? TPointValue{TPointStatus::Failed, 0} : TPointValue{TPointStatus::Ok, 0.0};
    };
  };
  EXPECT_EQ(GaussIntegrate(kTolerance, 1, -1, failingBeyond(0.5)), 0.0);
  EXPECT_EQ(MessageOf([&] { GaussIntegrate(kTolerance, 1, -1, failingBeyond(0.2)); }),
            "DGAINT->Integral failed to converge");
}

TEST(Quadrature, StopsWhenAsked) {
  int trials = 0;
  EXPECT_THROW(GaussIntegrate(kTolerance, 2, -1, Of([](double t) { return 1 / t; }), [&] { return ++trials > 5; }),
               TWorkStopped);
}

}  // namespace
