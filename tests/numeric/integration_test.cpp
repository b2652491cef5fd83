// The integration tool over the calculator's definitions: limits and
// functions as expressions, the user's variables and run-time functions,
// and what lands in the result field and the labels.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "../app/CalculatorTestUtil.h"
#include "Integration.h"
#include "InterpolationSheets.h"

using namespace helmax;

namespace {

struct IntegrationTool : ::testing::Test {
  test::TCalculatorFixture F;
  TIntegration Tool;
  TIntegrationOutcome Run(const std::string& function, const std::string& from, const std::string& to) {
    return Tool.Integrate(F.Calc, function, from, to);
  }
  double Value(const std::string& function, const std::string& from, const std::string& to) {
    const TIntegrationOutcome out = Run(function, from, to);
    EXPECT_TRUE(out.Messages.empty());
    return std::stod(out.Result);
  }
};

TEST_F(IntegrationTool, IntegratesInTheFunctionVariable) {
  EXPECT_EQ(Run("x^2", "0", "3").Result, "9");
  EXPECT_NEAR(Value("sin(x)", "0", "pi"), 2.0, 1e-14);
  // A run-time function of the definitions (f(x)~Sin(x)) and a variable (y=1/3).
  EXPECT_NEAR(Value("f(x)*y", "0", "pi"), 2.0 / 3, 1e-14);
  EXPECT_NEAR(Value("\r\n x\r\n+1 ", "0", "1"), 1.5, 1e-15);
}

TEST_F(IntegrationTool, LimitsAreExpressionsShownInTheLabels) {
  const TIntegrationOutcome out = Run("1", "pi/2", "f(1)");
  EXPECT_EQ(out.FromLabel, "From: 1.5707963267949");
  EXPECT_EQ(out.ToLabel, "To: 0.841470984807897");
  EXPECT_EQ(out.Result, "DGAINT-> Incorrect Integral limits: From >= To");
}

TEST_F(IntegrationTool, InfiniteLimitsShowInTheLabelsBeforeTheIntegral) {
  std::string from, to;
  std::int64_t evaluationsThen = -1;
  const TIntegrationOutcome out = Tool.Integrate(F.Calc, "exp(-x^2)", "-inf", "inf", nullptr, std::nullopt,
                                                 [&](const std::string& f, const std::string& t) {
                                                   from = f;
                                                   to = t;
                                                   evaluationsThen = Tool.Evaluations();
                                                 });
  EXPECT_EQ(from, "From: -INF");
  EXPECT_EQ(to, "To: INF");
  EXPECT_EQ(evaluationsThen, 0);
  EXPECT_EQ(out.FromLabel, from);
  EXPECT_EQ(out.Result, "1.77245385090552");
  EXPECT_GT(Tool.Evaluations(), 0);
  EXPECT_LE(Tool.ErrorEstimate(), 1e-14 * out.Value);
}

TEST_F(IntegrationTool, TheFunctionVariableIsNaNAfterwards) {
  Run("x", "0", "1");
  EXPECT_TRUE(std::isnan(F.Calc.ExpressionsVars().front().Value->Num));
}

struct TResultCase {
  const char* Name;
  const char* Function;
  const char* From;
  const char* To;
  const char* Result;
};

class IntegrationResults : public ::testing::TestWithParam<TResultCase> {
 protected:
  test::TCalculatorFixture F;
  TIntegration Tool;
};

TEST_P(IntegrationResults, ShowTheOutcome) {
  const TResultCase& c = GetParam();
  const TIntegrationOutcome out = Tool.Integrate(F.Calc, c.Function, c.From, c.To);
  EXPECT_EQ(out.Result, c.Result);
  EXPECT_TRUE(out.Messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntegrationResults,
    ::testing::Values(
        TResultCase{"TwoFunctions", "x, x^2", "0", "1", "Function: Please enter only one function to Integrate!"},
        TResultCase{"ThreeThroughTheBlock", "f(x), x, x", "0", "1",
                    "Function: Please enter only one function to Integrate!"},
        TResultCase{"Boolean", "gr(x,0)", "0", "1", "DGAINT-> Invalid Double Type"},
        TResultCase{"Complex", "complex(x,1)", "0", "1", "DGAINT-> Invalid Double Type"},
        TResultCase{"ComplexLimit", "x", "complex(0,1)", "1", "DGAINT-> Invalid Double Type"},
        TResultCase{"NaNLimit", "x", "0", "nan", "DGAINT-> Incorrect Integral limits: not finite"},
        // Infinite limits keep the order rule.
        TResultCase{"EqualInfiniteLimits", "exp(-x)", "inf", "inf", "DGAINT-> Incorrect Integral limits: From >= To"},
        TResultCase{"ReversedToInfinity", "exp(-x)", "inf", "0", "DGAINT-> Incorrect Integral limits: From >= To"},
        TResultCase{"ReversedWholeLine", "exp(-x^2)", "inf", "-inf", "DGAINT-> Incorrect Integral limits: From >= To"},
        TResultCase{"Divergent", "1/x", "1", "inf",
                    "DGAINT->Integral failed to converge to prescribed accuracy: 1E-14; the function does not fall off "
                    "fast enough towards x = INF"},
        // Far out the engine's x^3 overflows; the point is named.
        TResultCase{"OverflowFarOut", "x^3*exp(-x)", "0", "inf",
                    "Function: Invalid value for ^ :  6.09112777117403e116 ^ 3 : Overflow at x = 6.09112777117403E116"},
        // A point where the function fails ends the run with the engine's
        // line for it.
        TResultCase{"FailingPoint", "sqrt(x)", "-0.1", "1",
                    "Function: Invalid value for SQRT :  sqrt( -0.0214285714285714)  : InvalidOp at x = "
                    "-0.0214285714285714"},
        TResultCase{"Nan", "nan", "0", "1", "DGAINT-> The function is -NAN at x = 0.0714285714285714"},
        // The detail keeps the blank after the engine message's colon.
        TResultCase{"UndeclaredVariable", "x*w", "0", "1", "Function: Undefined variable :  w"},
        TResultCase{"LimitDivision", "x", "1/0", "1", "From: Division by 0"},
        TResultCase{"LimitUnknown", "x", "0", "q+1", "To: Undefined variable :  q"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(IntegrationTool, NaNOnAStretchIsNamedNotSummed) {
  const TIntegrationOutcome out = Run("if(and(gr(x,2.22),ls(x,2.4)),nan,1/(1+100*(x-1.5)^2))", "0", "3");
  EXPECT_FALSE(out.Integrated);
  EXPECT_EQ(out.Result, "DGAINT-> The function is -NAN at x = 2.35714285714286");
}

TEST_F(IntegrationTool, TheToleranceIsIntegrtoleranceOrTheCallersOwn) {
  F.Calc.SetParameter(parIntegrTolerance, 1e-16);
  EXPECT_EQ(Run("x^2", "1e6", "1e6+1").Result,
            "DGAINT-> Tolerance below the precision of doubles: 1E-16 (the smallest is 2.22044604925031E-16)");
  const TIntegrationOutcome out = Tool.Integrate(F.Calc, "1/sqrt(x)", "0", "1", nullptr, 1e-6);
  EXPECT_TRUE(out.Integrated);
  EXPECT_NEAR(out.Value, 2.0, 2e-6);
  EXPECT_LE(Tool.ErrorEstimate(), 1e-6 * out.Value);
}

// Integrands with values pinned from mpmath (40 digits, closed forms where
// they exist), each at tolerances from 1e-3 to 1e-14: a value within the
// tolerance relative to the integral, or a failure, never a number outside
// it. MustReach is the smallest tolerance at which a value must come (0:
// none has to, the rounding of doubles forbids it); kNoIntegral: no
// integral exists, every run must fail.
constexpr double kNoIntegral = -1;

struct TAccuracyCase {
  const char* Name;
  const char* Function;
  const char* From;
  const char* To;
  double Exact;
  double MustReach;
};

class IntegrationAccuracy : public ::testing::TestWithParam<TAccuracyCase> {
 protected:
  test::TCalculatorFixture F;
  TIntegration Tool;
};

TEST_P(IntegrationAccuracy, WithinTheToleranceOrAFailure) {
  const TAccuracyCase& c = GetParam();
  for (double tolerance : {1e-3, 1e-6, 1e-10, 1e-14}) {
    SCOPED_TRACE(tolerance);
    const TIntegrationOutcome out = Tool.Integrate(F.Calc, c.Function, c.From, c.To, nullptr, tolerance);
    // The evaluation cap is what ends every run within seconds.
    EXPECT_LE(Tool.Evaluations(), kMaxIntegrandEvaluations);
    if (c.MustReach == kNoIntegral) {
      EXPECT_FALSE(out.Integrated) << out.Result;
      continue;
    }
    if (tolerance >= c.MustReach && c.MustReach > 0) { EXPECT_TRUE(out.Integrated) << out.Result; }
    if (!out.Integrated) continue;
    EXPECT_LE(std::fabs(out.Value - c.Exact), tolerance * std::fabs(c.Exact)) << out.Result;
    EXPECT_LE(Tool.ErrorEstimate(), tolerance * std::fabs(out.Value));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntegrationAccuracy,
    ::testing::Values(
        // Smooth.
        TAccuracyCase{"Square", "x^2", "0", "3", 9, 1e-14}, TAccuracyCase{"Sine", "sin(x)", "0", "pi", 2, 1e-14},
        TAccuracyCase{"Exponential", "exp(x)", "-3", "4", 54.54836296477637513513, 1e-14},
        TAccuracyCase{"Lorentzian", "1/(1+x^2)", "-5", "5", 2.746801533890031721723, 1e-14},
        TAccuracyCase{"CosineSquared", "cos(x)^2", "0", "10", 5.228236312681906913594, 1e-14},
        TAccuracyCase{"SquareRootOfCubic", "sqrt(1+x^3)", "0", "2", 3.241309263195272556705, 1e-14},
        TAccuracyCase{"LogOnePlus", "ln(1+x)", "0", "1", 0.3862943611198906188345, 1e-14},
        TAccuracyCase{"ExponentialTail", "x*exp(-x)", "0", "20", 0.9999999567157739287903, 1e-14},
        TAccuracyCase{"Runge", "1/(1+25*x^2)", "-1", "1", 0.5493603067780063443445, 1e-14},
        TAccuracyCase{"ExponentialOfSine", "exp(sin(x))", "0", "2*pi", 7.954926521012845274513, 1e-14},
        TAccuracyCase{"UserDefinitions", "f(x)*y", "0", "pi", 2.0 / 3, 1e-14},
        // Oscillatory.
        TAccuracyCase{"SineOverHundred", "sin(x)", "0", "100", 0.1376811277123160658981, 1e-10},
        TAccuracyCase{"FastCosine", "cos(50*x)", "0", "1", -0.005247497074078575718288, 1e-10},
        TAccuracyCase{"SineOfReciprocal", "sin(1/x)", "0.01", "1", 0.503981893175415467782, 1e-14},
        TAccuracyCase{"SineSquaredLong", "sin(x)^2", "0", "1000", 499.767490123895965748, 1e-14},
        TAccuracyCase{"DampedCosine", "cos(x)*exp(-x/10)", "0", "200", 0.09900989910849826561066, 1e-10},
        TAccuracyCase{"OscillatingOffset", "sin(30*x)+1.5", "0", "10", 15.03406988730928946476, 1e-14},
        // Endpoint singularities.
        TAccuracyCase{"InverseSquareRoot", "1/sqrt(x)", "0", "1", 2, 1e-14},
        TAccuracyCase{"PowerMinus09", "x^(-0.9)", "0", "1", 10, 1e-14},
        TAccuracyCase{"Logarithm", "ln(x)", "0", "1", -1, 1e-14},
        TAccuracyCase{"SquareRoot", "sqrt(x)", "0", "1", 2.0 / 3, 1e-14},
        TAccuracyCase{"LogOverSquareRoot", "ln(x)/sqrt(x)", "0", "1", -4, 1e-14},
        TAccuracyCase{"ExpOverSquareRoot", "exp(-x)/sqrt(x)", "0", "10", 1.772440124639280577441, 1e-14},
        TAccuracyCase{"LogSine", "ln(sin(x))", "0", "pi/2", -1.08879304515180106525, 1e-14},
        // 1 - x^2 rounds near ±1: only a coarse answer can be verified.
        TAccuracyCase{"ArcsineDensity", "1/sqrt(1-x^2)", "-1", "1", std::numbers::pi, 1e-3},
        // Peaks.
        TAccuracyCase{"NarrowPeak", "exp(-1e6*(x-0.123)^2)", "0", "1", 0.001772453850905516027298, 1e-14},
        TAccuracyCase{"Peak", "exp(-1e4*(x-0.5)^2)", "0", "1", 0.01772453850905516027298, 1e-14},
        TAccuracyCase{"NarrowLorentzian", "1/(1e-6+(x-0.3)^2)", "0", "1", 3136.830762145301293399, 1e-14},
        // Long ranges.
        TAccuracyCase{"GaussOverWideRange", "exp(-x^2)", "-1e4", "1e4", 1.772453850905516027298, 1e-14},
        TAccuracyCase{"WideGauss", "exp(-(x/100)^2)", "-1e4", "1e4", 177.2453850905516027298, 1e-14},
        TAccuracyCase{"LorentzianLongRange", "1/(1+x^2)", "0", "1e6", 1.570795326794896619565, 1e-14},
        TAccuracyCase{"SlowExponential", "exp(-x/1000)", "0", "1e5", 1000, 1e-14},
        TAccuracyCase{"SquareFarOut", "x^2", "1e6", "1e6+1", 1000001000000.333333333, 1e-14},
        // Kinks and jumps.
        TAccuracyCase{"Kink", "abs(x-0.3)", "0", "1", 0.29, 1e-14},
        TAccuracyCase{"Jump", "sign(x-0.3)", "0", "1", 0.4, 1e-10},
        TAccuracyCase{"Staircase", "floor(x)", "0", "3.5", 4.5, 1e-14},
        TAccuracyCase{"Plateau", "max(x,0.5)", "0", "1", 0.625, 1e-14},
        // Tiny and huge.
        TAccuracyCase{"TinyPeak", "1e-10*exp(-1e4*(x-0.5)^2)", "0", "1", 1.772453850905516027298e-12, 1e-14},
        TAccuracyCase{"TinyGauss", "1e-300*exp(-x^2)", "-5", "5", 1.772453850902790950765e-300, 1e-14},
        TAccuracyCase{"HugeGauss", "1e300*exp(-x^2)", "-5", "5", 1.772453850902790950765e300, 1e-14},
        TAccuracyCase{"NarrowRange", "exp(-x^2)", "-1e-6", "1e-6", 1.999999999999333333333e-6, 1e-14},
        // Infinite ranges.
        TAccuracyCase{"ExponentialToInfinity", "exp(-x)", "0", "inf", 1, 1e-14},
        TAccuracyCase{"ExponentialFromThree", "exp(-x)", "3", "inf", 0.04978706836786394297934242, 1e-14},
        TAccuracyCase{"ExponentialFromMinusInfinity", "exp(x)", "-inf", "0", 1, 1e-14},
        TAccuracyCase{"GaussWholeLine", "exp(-x^2)", "-inf", "inf", 1.772453850905516027298167, 1e-14},
        TAccuracyCase{"GaussTail", "exp(-x^2)", "1", "inf", 0.1394027926403309882496163, 1e-14},
        TAccuracyCase{"ShiftedGaussToInfinity", "exp(-(x-5)^2)", "0", "inf", 1.772453850904153489031544, 1e-14},
        TAccuracyCase{"InverseSquareToInfinity", "1/x^2", "1", "inf", 1, 1e-14},
        TAccuracyCase{"InverseSquareFromMinusInfinity", "1/x^2", "-inf", "-1", 1, 1e-14},
        TAccuracyCase{"PowerMinus15ToInfinity", "x^(-1.5)", "1", "inf", 2, 1e-14},
        TAccuracyCase{"LorentzianHalfLine", "1/(1+x^2)", "0", "inf", 1.570796326794896619231322, 1e-14},
        TAccuracyCase{"LorentzianWholeLine", "1/(1+x^2)", "-inf", "inf", 3.141592653589793238462643, 1e-14},
        // Written so that the engine can compute it far out (x^4 overflows).
        TAccuracyCase{"QuarticWholeLine", "if(gr(abs(x),1e60),0,1/(1+x^4))", "-inf", "inf", 2.22144146907918312350794,
                      1e-14},
        TAccuracyCase{"GammaThree", "x^2*exp(-x)", "0", "inf", 2, 1e-14},
        TAccuracyCase{"GammaHalf", "exp(-x)/sqrt(x)", "0", "inf", 1.772453850905516027298167, 1e-14},
        TAccuracyCase{"GammaTenth", "x^(-0.9)*exp(-x)", "0", "inf", 9.513507698668731836292487, 1e-14},
        TAccuracyCase{"DampedSine", "exp(-x)*sin(x)", "0", "inf", 0.5, 1e-14},
        // Integrals that exist but whose tails fall off too slowly for the
        // rule's range (the sum up to 1E116 misses 3% of x^-1.01).
        TAccuracyCase{"SlowPower", "x^(-1.01)", "1", "inf", 100, 0},
        TAccuracyCase{"SlowLogarithmic", "1/(x*ln(x)^2)", "2", "inf", 1.442695040888963407359925, 0},
        // A peak that no sample sees.
        TAccuracyCase{"FarPeak", "exp(-(x-1000)^2)", "0", "inf", 1.772453850905516027298167, 0},
        // No integral.
        TAccuracyCase{"ReciprocalToInfinity", "1/x", "1", "inf", 0, kNoIntegral},
        TAccuracyCase{"ReciprocalFromZero", "1/x", "0", "inf", 0, kNoIntegral},
        TAccuracyCase{"SineToInfinity", "sin(x)", "0", "inf", 0, kNoIntegral},
        TAccuracyCase{"SineWholeLine", "sin(x)", "-inf", "inf", 0, kNoIntegral},
        TAccuracyCase{"OddWholeLine", "x", "-inf", "inf", 0, kNoIntegral},
        TAccuracyCase{"OddSlowWholeLine", "sign(x)/(1+abs(x))", "-inf", "inf", 0, kNoIntegral},
        TAccuracyCase{"ConstantWholeLine", "1", "-inf", "inf", 0, kNoIntegral},
        TAccuracyCase{"PoleInside", "1/(x-10000.3)", "10000", "10001", 0, kNoIntegral},
        TAccuracyCase{"PoleFarOut", "1/(x-1e6-0.3)", "1e6", "1e6+1", 0, kNoIntegral},
        TAccuracyCase{"RootOfNegatives", "sqrt(x)", "-0.1", "1", 0, kNoIntegral},
        TAccuracyCase{"ReciprocalSymmetric", "1/x", "-1", "1", 0, kNoIntegral},
        TAccuracyCase{"ReciprocalAsymmetric", "1/x", "-1", "2", 0, kNoIntegral},
        TAccuracyCase{"ReciprocalSquare", "1/x^2", "-1", "1", 0, kNoIntegral},
        TAccuracyCase{"Tangent", "tan(x)", "0", "3", 0, kNoIntegral}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(IntegrationTool, RefusesWithoutValidDefinitions) {
  F.Define("z=1/0");
  EXPECT_EQ(Run("x", "0", "1").Messages, std::vector<std::string>{"Please corect user definitions"});
}

TEST_F(IntegrationTool, StaleDefinitionsAreCompiledFirst) {
  F.Calc.SetDefinitions("y=2");
  // A constant's change would mark them stale; here a sheet's edit does.
  F.Calc.InterpolationSheets().SetCell(0, 0, 1, "1");
  EXPECT_NEAR(Value("y", "0", "1"), 2.0, 1e-15);
  EXPECT_FALSE(F.Calc.DefinitionsStale());
}

TEST_F(IntegrationTool, StopsWhenAsked) {
  F.Calc.RequestStop();
  EXPECT_EQ(Run("1/x", "-1", "2").Result, "Calculation stopped");
  EXPECT_EQ(Run("1/x", "1", "inf").Result, "Calculation stopped");
  F.Calc.ClearStopRequest();
}

}  // namespace
