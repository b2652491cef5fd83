// The descriptions of the help window: each example, typed into the
// expressions pane, shows the result its description states (the stated
// results were worked out apart from the calculator: by hand, from the
// calendar, or with mpmath), and every function of the calculator has one.
#include <gtest/gtest.h>

#include "BuiltinCatalogue.h"
#include "CalculatorTestUtil.h"
#include "ConversionTable.h"
#include "FunctionDescriptions.h"
#include "InterpolationSheets.h"

namespace helmax {
namespace {

using test::TCalculatorFixture;

TEST(FunctionDescriptions, EveryExampleShowsItsStatedResult) {
  TCalculatorFixture f;
  // The state that the examples of Lagrange, CubicSpline and Conv describe.
  TInterpolationSheets& sheets = f.Calc.InterpolationSheets();
  const char* points[][2] = {{"0", "0"}, {"1", "1"}, {"2", "4"}, {"3", "9"}};
  sheets.SetRowCount(0, 4);
  for (int row = 0; row < 4; ++row) {
    sheets.SetCell(0, row, scX, points[row][0]);
    sheets.SetCell(0, row, scF, points[row][1]);
  }
  f.Calc.Conversions().UseDefaultTable();
  ASSERT_TRUE(f.Calc.Conversions().Check());
  for (const TFunctionDescription& d : FunctionDescriptions())
    EXPECT_EQ(f.Eval(std::string(d.Example)), d.Result) << d.Name << ": " << d.Example;
}

TEST(FunctionDescriptions, EveryFunctionHasOneAndRunTimeFunctionsNone) {
  TCalculatorFixture f;
  const THelmaxComplexEval& engine = f.Calc.DefinitionsEngine();
  const int runTimeFrom = opFirstExternal + engine.ExternalFunctionCount();
  ASSERT_GT(engine.FunctionCodeCount(), runTimeFrom);  // the default definitions' f and Fact
  for (int code = 0; code <= engine.FunctionCodeCount(); ++code)
    EXPECT_EQ(DescriptionOfCode(engine, code) != nullptr, code < runTimeFrom) << engine.HelpText(code);
  // None describes a name the calculator does not have.
  EXPECT_EQ(FunctionDescriptions().size(), static_cast<std::size_t>(runTimeFrom));
}

TEST(FunctionDescriptions, HelpWindowShowsEachBelowItsLine) {
  TCalculatorFixture f;
  const std::string help = f.Calc.HelpText();
  for (const char* entry : {"18.  FUNCTION 'SQR' IS EQUIVALENT WITH OBJECT PASCAL FUNCTION\n"
                            "    Square of x. Example: sqr(3) = 9\n",
                            "1.  OPERATOR '* ' IS EQUIVALENT WITH OBJECT PASCAL OPERATOR : X*Y\n"
                            "    Product of x and y. Example: 6*7 = 42\n"})
    EXPECT_NE(help.find(entry), std::string::npos) << entry;
  const int last = f.Calc.DefinitionsEngine().FunctionCodeCount();
  EXPECT_NE(help.find("\n" + std::to_string(last) + ".  " + f.Calc.DefinitionsEngine().HelpText(last) + "\n====="),
            std::string::npos);
}

}  // namespace
}  // namespace helmax
