// The global adaptive Gauss–Kronrod routine on plain functions: closed
// forms, Boost.Math's own adaptive quadrature as an independent reference,
// runs that must end, and every message.
#include <gtest/gtest.h>

#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <cmath>
#include <numbers>

#include "GaussQuadrature.h"
#include "Value.h"

using namespace helmax;

namespace {

constexpr double kTolerance = 1e-14;

std::string MessageOf(const std::function<void()>& run) {
  try {
    run();
  } catch (const TIntegrationError& e) { return e.what(); }
  return "no error";
}

TEST(Quadrature, PolynomialsAreExactToRounding) {
  // x^k from -1 to 2: (2^(k+1) - (-1)^(k+1)) / (k + 1).
  for (int k = 0; k <= 40; k += 5) {
    const double exact = (std::pow(2.0, k + 1) - std::pow(-1.0, k + 1)) / (k + 1);
    const TQuadrature q = GaussIntegrate(kTolerance, 2, -1, [k](double t) { return std::pow(t, k); });
    EXPECT_NEAR(q.Value, exact, 4e-16 * std::fabs(exact)) << k;
  }
  // Full-precision nodes: no digit lost in what the window shows.
  EXPECT_EQ(RealToText(GaussIntegrate(kTolerance, 3, 0, [](double t) { return t * t; }).Value), "9");
}

struct TSmoothCase {
  const char* Name;
  double (*F)(double);
  double From, To;
};

class SmoothFunctions : public ::testing::TestWithParam<TSmoothCase> {};

TEST_P(SmoothFunctions, AgreeWithBoostAndClaimNoMoreThanTheTolerance) {
  const TSmoothCase& c = GetParam();
  const double reference = boost::math::quadrature::gauss_kronrod<double, 61>::integrate(c.F, c.From, c.To, 15, 1e-15);
  const TQuadrature q = GaussIntegrate(kTolerance, c.To, c.From, c.F);
  EXPECT_NEAR(q.Value, reference, 2e-14 * std::fabs(reference));
  EXPECT_LE(q.ErrorEstimate, kTolerance * std::fabs(q.Value));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SmoothFunctions,
    ::testing::Values(TSmoothCase{"Exp", [](double t) { return std::exp(t); }, -3, 4},
                      TSmoothCase{"SinOverManyPeriods", [](double t) { return std::sin(t) + 2; }, 0, 40.5},
                      TSmoothCase{"Lorentzian", [](double t) { return 1 / (1 + t * t); }, -5, 5},
                      TSmoothCase{"SharpPeak", [](double t) { return std::exp(-1e4 * (t - 0.3) * (t - 0.3)); }, 0, 1}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(Quadrature, TheErrorHoldsForTheWholeAnswer) {
  // 1e-10 times a narrow peak: the tolerance is relative to the integral,
  // however small.
  const TQuadrature q =
      GaussIntegrate(1e-12, 1, 0, [](double t) { return 1e-10 * std::exp(-1e4 * (t - 0.5) * (t - 0.5)); });
  const double exact = 1e-12 * std::sqrt(std::numbers::pi);
  EXPECT_NEAR(q.Value, exact, 1e-12 * exact);
  EXPECT_GT(q.ErrorEstimate, 0.0);
  EXPECT_LE(q.ErrorEstimate, 1e-12 * q.Value);
}

TEST(Quadrature, EndpointSingularitiesAreIntegrated) {
  EXPECT_NEAR(GaussIntegrate(1e-12, 1, 0, [](double t) { return 1 / std::sqrt(t); }).Value, 2.0, 2e-12);
  EXPECT_NEAR(GaussIntegrate(1e-10, 1, 0, [](double t) { return std::pow(t, -0.9); }).Value, 10.0, 1e-9);
  EXPECT_NEAR(GaussIntegrate(1e-12, 1, 0, [](double t) { return std::log(t); }).Value, -1.0, 1e-12);
}

// Runs that cannot reach the tolerance end by themselves, saying where.
TEST(Quadrature, APoleIsNamedNotSummed) {
  std::int64_t evaluations = 0;
  const std::string message = MessageOf([&] {
    GaussIntegrate(kTolerance, 1e6 + 1, 1e6, [&](double t) {
      ++evaluations;
      return 1 / (t - 1e6 - 0.3);
    });
  });
  EXPECT_EQ(message.rfind("DGAINT->Integral failed to converge to prescribed accuracy: 1E-14; the tolerance cannot "
                          "be reached near x = 1000000.",
                          0),
            0u)
      << message;
  EXPECT_LE(evaluations, kMaxIntegrandEvaluations);
}

TEST(Quadrature, AJumpNarrowerThanDoublesCanResolveIsRefused) {
  auto step = [](double t) { return t > 0.3 ? 1.0 : -1.0; };
  EXPECT_NEAR(GaussIntegrate(1e-9, 1, 0, step).Value, 0.4, 0.4e-9);
  const std::string message = MessageOf([&] { GaussIntegrate(kTolerance, 1, 0, step, {}, nullptr, "t"); });
  EXPECT_EQ(message.rfind("DGAINT->Integral failed to converge to prescribed accuracy: 1E-14; the tolerance cannot "
                          "be reached near t = 0.3",
                          0),
            0u)
      << message;
}

TEST(Quadrature, RoundingBeyondTheToleranceIsSaid) {
  // sin over 100: the values' rounding is 460 times the integral's.
  EXPECT_EQ(MessageOf([] { GaussIntegrate(kTolerance, 100, 0, [](double t) { return std::sin(t); }); }),
            "DGAINT->Integral failed to converge to prescribed accuracy: 1E-14; the tolerance cannot be reached: it is "
            "below the rounding of the function's values");
}

TEST(Quadrature, ANonFiniteValueEndsTheRunNamingThePoint) {
  EXPECT_EQ(MessageOf([] { GaussIntegrate(kTolerance, 1, 0, [](double) { return EngineNaN(); }); }),
            "DGAINT-> The function is -NAN at x = 0.0714285714285714");
  EXPECT_EQ(MessageOf([] { GaussIntegrate(kTolerance, 7, 0, [](double t) { return t > 1 ? HUGE_VAL : 1.0; }); }),
            "DGAINT-> The function is INF at x = 1.5");
  // The integrand's own failure passes through unchanged.
  EXPECT_EQ(
      MessageOf([] { GaussIntegrate(kTolerance, 1, 0, [](double) -> double { throw TIntegrationError("mine"); }); }),
      "mine");
}

struct TMessageCase {
  const char* Name;
  double From, To, Tolerance;
  const char* Message;
};

class Messages : public ::testing::TestWithParam<TMessageCase> {};

TEST_P(Messages, NameTheFailure) {
  const TMessageCase& c = GetParam();
  EXPECT_EQ(MessageOf([&] { GaussIntegrate(c.Tolerance, c.To, c.From, [](double t) { return t; }); }), c.Message);
}

const double kInf = HUGE_VAL;

INSTANTIATE_TEST_SUITE_P(
    Cases, Messages,
    ::testing::Values(
        TMessageCase{"EqualLimits", 1, 1, kTolerance, "DGAINT-> Incorrect Integral limits: From >= To"},
        TMessageCase{"ReversedLimits", 2, 1, kTolerance, "DGAINT-> Incorrect Integral limits: From >= To"},
        TMessageCase{"EqualInfiniteLimits", kInf, kInf, kTolerance, "DGAINT-> Incorrect Integral limits: From >= To"},
        TMessageCase{"ReversedInfiniteLimits", kInf, -kInf, kTolerance,
                     "DGAINT-> Incorrect Integral limits: From >= To"},
        TMessageCase{"FromInfinityDown", kInf, 0, kTolerance, "DGAINT-> Incorrect Integral limits: From >= To"},
        TMessageCase{
            "GrowingTowardsInfinity", 0, kInf, kTolerance,
            "DGAINT->Integral failed to converge to prescribed accuracy: 1E-14; the function does not fall off "
            "fast enough towards x = INF"},
        TMessageCase{
            "GrowingTowardsMinusInfinity", -kInf, 0, kTolerance,
            "DGAINT->Integral failed to converge to prescribed accuracy: 1E-14; the function does not fall off "
            "fast enough towards x = -INF"},
        TMessageCase{"NaNLimit", std::nan(""), 1, kTolerance, "DGAINT-> Incorrect Integral limits: not finite"},
        TMessageCase{"RangeBeyondDoubles", -1.7e308, 1.7e308, kTolerance,
                     "DGAINT-> Incorrect Integral limits: not finite"},
        TMessageCase{"ToleranceBelowDoubles", 1e6, 1e6 + 1, 1e-16,
                     "DGAINT-> Tolerance below the precision of doubles: 1E-16 (the smallest is 2.22044604925031E-16)"},
        TMessageCase{"NaNTolerance", 0, 1, EngineNaN(),
                     "DGAINT-> Tolerance below the precision of doubles: -NAN (the smallest is 2.22044604925031E-16)"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(Quadrature, TheSmallestToleranceIsTakenAndEndsAtOnce) {
  std::int64_t evaluations = 0;
  const std::string message = MessageOf([&] {
    GaussIntegrate(kSmallestIntegrationTolerance, 1, 0, [&](double t) {
      ++evaluations;
      return 3 * t * t;
    });
  });
  EXPECT_NE(message.find("below the rounding of the function's values"), std::string::npos) << message;
  EXPECT_LT(evaluations, 10000);
}

TEST(Quadrature, StopsWhenAsked) {
  int pieces = 0;
  EXPECT_THROW(GaussIntegrate(
                   kTolerance, 2, -1, [](double t) { return 1 / t; }, [&] { return ++pieces > 5; }),
               TWorkStopped);
  EXPECT_EQ(pieces, 6);
}

TEST(Quadrature, ProgressEndsAtTheWhole) {
  for (double to : {1.0, kInf}) {
    TProgress progress;
    GaussIntegrate(
        kTolerance, to, 0, [](double t) { return std::exp(-t); }, {}, &progress);
    EXPECT_EQ(progress.Total.load(), 1000);
    EXPECT_EQ(progress.Done.load(), 1000);
  }
}

// The progress follows the evaluations from the first piece on: never
// behind the share of the cap spent, and a run through every level of an
// infinite range ends near the whole.
TEST(Quadrature, ProgressMovesWithTheEvaluations) {
  TProgress progress;
  std::int64_t evaluations = 0;
  std::int64_t shownBehind = 0;
  MessageOf([&] {
    GaussIntegrate(
        kTolerance, 1e9, 0,
        [&](double t) {
          ++evaluations;
          if (evaluations % 1000 == 0 && progress.Done.load() < (evaluations - 62) * 1000 / kMaxIntegrandEvaluations)
            ++shownBehind;
          return std::sin(t);
        },
        {}, &progress);
  });
  EXPECT_EQ(shownBehind, 0);
  EXPECT_GE(progress.Done.load(), 990);
  progress.Set(0);
  MessageOf([&] {
    GaussIntegrate(
        kTolerance, kInf, 1, [](double t) { return 1 / t; }, {}, &progress);
  });
  EXPECT_GE(progress.Done.load(), 990);
  EXPECT_LT(progress.Done.load(), 1000);
}

// Boost's double-exponential rules against closed forms, and what passes
// through them: the integrand's own failure, a non-finite value, a stop.
TEST(Quadrature, InfiniteRangesAgreeWithClosedForms) {
  struct TCase {
    double From, To;
    double (*F)(double);
    double Exact;
  } cases[] = {{0, kInf, [](double t) { return std::exp(-t); }, 1},
               {-kInf, kInf, [](double t) { return std::exp(-t * t); }, std::sqrt(std::numbers::pi)},
               {-kInf, 0, [](double t) { return std::exp(t); }, 1},
               {0, kInf, [](double t) { return 1 / (1 + t * t); }, std::numbers::pi / 2}};
  for (const TCase& c : cases) {
    const TQuadrature q = GaussIntegrate(kTolerance, c.To, c.From, c.F);
    EXPECT_NEAR(q.Value, c.Exact, kTolerance * c.Exact) << c.From << " " << c.To;
    EXPECT_LE(q.ErrorEstimate, kTolerance * q.Value);
    EXPECT_GT(q.Evaluations, 0);
  }
}

TEST(Quadrature, FailuresInsideTheInfiniteRulesPassThrough) {
  EXPECT_EQ(MessageOf([] {
              GaussIntegrate(kTolerance, kInf, 0, [](double t) -> double {
                if (t > 10) throw TIntegrationError("mine");
                return std::exp(-t);
              });
            }),
            "mine");
  EXPECT_EQ(MessageOf([] {
              GaussIntegrate(kTolerance, kInf, -kInf, [](double t) { return t > 2 ? EngineNaN() : 0.0; });
            }).rfind("DGAINT-> The function is -NAN at x = ", 0),
            0u);
  int calls = 0;
  EXPECT_THROW(GaussIntegrate(
                   kTolerance, kInf, 1, [](double t) { return 1 / t; }, [&] { return ++calls > 100; }),
               TWorkStopped);
  EXPECT_EQ(calls, 101);
}

}  // namespace
