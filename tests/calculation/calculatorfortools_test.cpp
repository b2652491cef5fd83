// The tool cores (integration, conversion, function table, exchange) run
// against a small stand-in for the calculator: what TCalculatorForTools
// offers is all they need. This executable does not link the calculator.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "../common/TempFolder.h"
#include "CalculatorForTools.h"
#include "ConstantList.h"
#include "ConversionTable.h"
#include "Exchange.h"
#include "Integration.h"
#include "TableComputation.h"
#include "UnitConversion.h"

using namespace helmax;

namespace {

// The user's state: the function variable x and y = 1/3, and the run-time
// functions f(x)~x*x+1 and g(x,y)~x+y (two arguments: no table column).
class TFakeCalculator : public TCalculatorForTools {
 public:
  TFakeCalculator() {
    Y_ = TValue::MakeReal(1.0 / 3);
    Vars_ = {{"x", &X_, 1}, {"y", &Y_, 1}};
  }
  int Runs = 0;          // PrepareToolRun calls
  int Compiles = 0;      // CompileDefinitions calls
  TValue VariableStart;  // the last run's start value of x

  const TUserFuncArray& FunctionTable() const override { return Functions_; }
  void PrepareToolEngine(THelmaxComplexEval&) const override {}
  std::optional<std::string> PrepareToolRun(THelmaxComplexEval& engine, const TValue& variableStart) override {
    PrepareToolEngine(engine);
    ++Runs;
    VariableStart = X_ = variableStart;
    return std::nullopt;
  }
  void CompileDefinitions() override { ++Compiles; }
  bool DefinitionsInvalid() const override { return false; }
  const std::string& FunctionVariable() const override { return Variable_; }
  const TUserVarArray& ExpressionsVars() const override { return Vars_; }
  const std::string& RunTimeFunctionsText() const override { return RunTimeFunctions_; }
  int RunTimeFunctionCount() const override { return 2; }
  std::string RunTimeFunctionText(int index) const override { return index == 0 ? "f(x)~x*x+1" : "g(x,y)~x+y"; }
  void CallRunTimeFunction(int index, const TUserValuesArray& arguments, TValue& result) override {
    const double x = arguments[0].Num;
    result = TValue::MakeReal(index == 0 ? x * x + 1 : x + arguments[1].Num);
  }
  double GetParameter(int index) const override {
    switch (index) {
      case parFrom: return 0;
      case parTo: return 1;
      case parStep: return 0.25;
      default: return 1e-14;
    }
  }
  bool StopRequested() const override { return false; }

 private:
  TUserFuncArray Functions_;
  TValue X_, Y_;
  TUserVarArray Vars_;
  std::string Variable_ = "x";
  std::string RunTimeFunctions_ = "nan";
};

struct ToolThroughTheDoor : ::testing::Test {
  TMessageRecorder Ui;
  TFakeCalculator Calc;
};

TEST_F(ToolThroughTheDoor, IntegrationOfXOverZeroToOneIsOneHalf) {
  TIntegration tool;
  const TIntegrationOutcome out = tool.Integrate(Calc, "x", "0", "1");
  ASSERT_TRUE(out.Integrated) << out.Result;
  EXPECT_DOUBLE_EQ(out.Value, 0.5);  // the exact integral, 1/2
  EXPECT_EQ(Calc.Runs, 1);
}

TEST_F(ToolThroughTheDoor, ConversionOfAUserVariableFromKilometresToMetres) {
  TConversionTable table(Ui);
  ASSERT_TRUE(table.ReadText("[Length]\r\n1=km : m : x*1000 : x/1000\r\n"));
  ASSERT_TRUE(table.Check());
  TUnitConversion tool(Calc, table);
  // y*3 = 1 km (units sorted: km, m).
  EXPECT_EQ(tool.Calculate("y*3", 0, 0, 1).Value, "1000");
  EXPECT_TRUE(Ui.Messages.empty());
  EXPECT_TRUE(std::isnan(Calc.VariableStart.Num));
}

TEST_F(ToolThroughTheDoor, TableRowsAreTheRunTimeFunctionAtEachPoint) {
  TFunctionTable table;
  ASSERT_EQ(ComputeFunctionTable(Calc, Ui, TableRangeOf(Calc), false, table), TTableOutcome::Done);
  EXPECT_EQ(Calc.Compiles, 1);
  ASSERT_EQ(table.FunctionCount(), 1);    // g takes two arguments
  ASSERT_EQ(table.RowCount(), 5);         // 0, 0.25, ..., 1
  const int f = table.ColumnCount() - 1;  // the function's column follows the row number and x
  EXPECT_EQ(table.Header(f), "f(x)");
  EXPECT_EQ(table.CellNumber(2, f), 1.25);  // f(0.5) = 0.25 + 1
}

TEST_F(ToolThroughTheDoor, ExchangeWithTheFunctionVariableNull) {
  test::TTempFolder dir;
  const std::string file = dir.File("rates.mdb");
  std::filesystem::copy_file(std::string(HELMAX_EXCHANGE_FIXTURES) + "/sample-rates.mdb", file);
  TExchange tool(Ui);
  const TOpenOutcome opened = tool.Open(file, {});
  ASSERT_TRUE(opened.Opened);
  auto code = [&](const std::string& charCode) {
    for (const TCurrency& c : opened.Currencies)
      if (c.CharCode == charCode) return c;
    return TCurrency{};
  };
  // 100 EUR at 100 JPY = 0.7928 EUR (valute.csv): 10000 / 0.7928 = 12613.52169...
  const TExchangeOutcome out =
      tool.Calculate(Calc, {"100", "12.31.2008", code("EUR"), code("EUR"), code("JPY")}, TRatesProduct::Access);
  EXPECT_EQ(out.Results, "12613.5217 JPY");
  EXPECT_EQ(Calc.VariableStart.Kind, TValueKind::Null);
}

}  // namespace
