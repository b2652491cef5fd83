// The integration tool over the calculator's definitions: limits and
// functions as expressions, the user's variables and run-time functions,
// and what lands in the result field and the labels.
#include <gtest/gtest.h>

#include <cmath>

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
  EXPECT_NEAR(Value("x^2", "0", "3"), 9.0, 1e-13);
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
        TResultCase{"InfiniteLimit", "x", "0", "inf", "DGAINT-> Incorrect Integral limits: not finite"},
        TResultCase{"Reciprocal", "1/x", "-1", "1", "0"},
        TResultCase{"ReciprocalAsymmetric", "1/x", "-1", "2",
                    "DGAINT->Integral failed to converge to prescribed accuracy: 1E-14"},
        TResultCase{"NaNStretch", "if(and(gr(x,2.22),ls(x,2.226)),nan,1/(1+100*(x-1.5)^2))", "0", "3", "-NAN"},
        TResultCase{"Nan", "nan", "0", "1", "-NAN"},
        // The detail keeps the blank after the engine message's colon.
        TResultCase{"UndeclaredVariable", "x*w", "0", "1", "Function: Undefined variable :  w"},
        TResultCase{"LimitDivision", "x", "1/0", "1", "From: Division by 0"},
        TResultCase{"LimitUnknown", "x", "0", "q+1", "To: Undefined variable :  q"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(IntegrationTool, RefusesWithoutValidDefinitions) {
  F.Define("z=1/0");
  EXPECT_EQ(Run("x", "0", "1").Messages, std::vector<std::string>{"Please corect user definitions"});
}

TEST_F(IntegrationTool, StaleDefinitionsAreCompiledFirst) {
  F.Calc.DefinitionsText = "y=2";
  // A constant's change would mark them stale; here a sheet's edit does.
  F.Calc.InterpolationSheets().SetCell(0, 0, 1, "1");
  EXPECT_NEAR(Value("y", "0", "1"), 2.0, 1e-15);
  EXPECT_FALSE(F.Calc.DefinitionsStale());
}

TEST_F(IntegrationTool, StopsWhenAsked) {
  F.Calc.RequestStop();
  EXPECT_EQ(Run("1/x", "-1", "2").Result, "Calculation stopped");
  F.Calc.ClearStopRequest();
}

}  // namespace
