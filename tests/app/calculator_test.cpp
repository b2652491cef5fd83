// The evaluation cycle through the calculator's core: definitions compile,
// expressions evaluation, result formats, parameters and the function
// variable.
#include <gtest/gtest.h>

#include <algorithm>

#include "CalculatorTestUtil.h"

namespace helmax {
namespace {

using test::Real;
using test::StartsWith;
using test::TCalculatorFixture;

TEST(EvaluationCycle, DefaultDocument) {
  TCalculatorFixture f;
  EXPECT_EQ(f.Calc.Results(), "Mathematical expression is empty");
  EXPECT_FALSE(f.Calc.ResultsShown());
  EXPECT_EQ(f.Calc.RunTimeFunctionsText(), "f(x)~sin(x),fact(n)~if(eq(n,0),1,(n*fact((n-1))))");
  // f is only known after the retry with the run-time functions in front;
  // the block's own value is not listed.
  EXPECT_EQ(f.Eval("f(2)"), Real(std::sin(2.0)));
  EXPECT_TRUE(f.Calc.ResultsShown());
  EXPECT_EQ(f.Eval("2*f(y)"), Real(2 * std::sin(1.0 / 3)));
  EXPECT_EQ(f.Eval("y, Fact(5), x"), "0.333333333333333\n120\n-NAN");
  EXPECT_EQ(f.Eval("Fact(5), y*3"), "120\n1");
  EXPECT_TRUE(f.Ui.Messages.empty());
}

// The window's rule for a failing pane: every expression that does not
// depend on the failing one keeps its result, the failing one shows its
// error line, those that use a name it assigns show nothing. Checked
// against whole-pane evaluations: the pane's own error line, the kept
// expressions alone, and a later failure alone; where nothing fails, the
// results are those of the whole pane.
TEST(EvaluationCycle, OneFailingExpressionLeavesTheOthersResults) {
  TCalculatorFixture f;
  struct TCase {
    std::vector<std::string> Expressions;
    std::vector<int> Failing, Dependent;
  };
  const TCase cases[] = {
      {{"1+1", "1/0", "2*3"}, {1}, {}},        {{"a=1/0", "a+1", "5", "b=a*2", "b"}, {0}, {1, 3, 4}},
      {{"b=2", "1/(b-2)", "b*3"}, {1}, {}},    {{"1/0", "2*f(y)", "ln(0)*0+2/0", "Fact(5)"}, {0, 2}, {}},
      {{"g(t)~t/0", "g(1)", "7"}, {1}, {}},    {{"1+1", "2*f(y)", "Fact(5), y"}, {}, {}},
      {{"sin(y)", "x", "12.31.2008"}, {}, {}},
  };
  auto join = [](const std::vector<std::string>& parts, const char* between) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) out += (i > 0 ? between : "") + parts[i];
    return out;
  };
  for (const TCase& c : cases) {
    const std::string pane = join(c.Expressions, ",\n");
    SCOPED_TRACE(pane);
    f.Calc.SetKeepOtherResults(false);
    const std::string whole = f.Eval(pane);
    f.Calc.SetKeepOtherResults(true);
    const std::string kept = f.Eval(pane);
    if (c.Failing.empty()) {
      EXPECT_EQ(kept, whole);
      EXPECT_FALSE(f.Calc.PartialResults());
      continue;
    }
    EXPECT_TRUE(f.Calc.PartialResults());
    EXPECT_TRUE(f.Calc.ExpressionsErrorRange().has_value());  // the mark stays
    // The references, each from a whole-pane evaluation.
    f.Calc.SetKeepOtherResults(false);
    std::vector<std::string> expected(c.Expressions.size()), others;
    std::vector<std::size_t> places;
    for (std::size_t i = 0; i < c.Expressions.size(); ++i) {
      const int k = static_cast<int>(i);
      if (k == c.Failing[0]) {
        expected[i] = whole;  // the pane's own error line
      } else if (std::count(c.Failing.begin(), c.Failing.end(), k) > 0) {
        expected[i] = f.Eval(c.Expressions[i]);  // a later failure, on its own
      } else if (std::count(c.Dependent.begin(), c.Dependent.end(), k) == 0) {
        others.push_back(c.Expressions[i]);
        places.push_back(i);
      }
    }
    const std::string otherResults = f.Eval(join(others, ","));
    std::size_t from = 0;
    for (std::size_t place : places) {
      const std::size_t end = std::min(otherResults.find('\n', from), otherResults.size());
      expected[place] = otherResults.substr(from, end - from);
      from = end + 1;
    }
    EXPECT_EQ(kept, join(expected, "\n"));
  }
  EXPECT_TRUE(f.Ui.Messages.empty());
}

// A pane that calls the definitions' functions is compiled with them in
// front at once; a failure found before the end of the compile still reads
// as the pane alone gives it, where it lies in the pane.
TEST(EvaluationCycle, ErrorsInPanesWithCallsReadAsThePaneAloneGivesThem) {
  TCalculatorFixture f;
  struct TCase {
    const char* Pane;
    const char* Results;
    std::pair<std::size_t, std::size_t> Range;
  };
  for (const TCase& c :
       {TCase{"f(2), 1+*3", "Syntax error : f(2),1+*", {0, 9}}, TCase{"f(1), 1+", "Syntax error : f(1),1+", {0, 8}},
        TCase{"f(2)+{1}", "Unknown expression :  {", {5, 6}},
        TCase{"f(2), 1e5e", "Unknown expression :  1e5e", {6, 10}},
        TCase{"f(1)+g(1)", "Defined function was not implimented :  g", {5, 6}}}) {
    EXPECT_EQ(f.Eval(c.Pane), c.Results) << c.Pane;
    EXPECT_EQ(f.Calc.ExpressionsErrorRange(), std::optional(c.Range)) << c.Pane;
  }
  EXPECT_EQ(f.Eval("F (2) , 3"), Real(std::sin(2.0)) + "\n3");
}

TEST(EvaluationCycle, SharedVariablesAreReadOnlyInTheExpressions) {
  TCalculatorFixture f;
  for (const char* pane : {"x=1", "y=2", "from=3", "STEP=1", "f(2), y=2", "y=2, f(2)"})
    EXPECT_TRUE(StartsWith(f.Eval(pane), "Cannot set value for protected expression"))
        << pane << " -> " << f.Calc.Results();
  EXPECT_EQ(f.Eval("z=2, z*y"), "2\n0.666666666666667");
  EXPECT_EQ(f.Eval("y"), "0.333333333333333");
}

TEST(EvaluationCycle, RunTimeFunctionsMayAssignTheirWorkingVariables) {
  TCalculatorFixture f;
  ASSERT_EQ(f.Define("s(m)~Bk(k=0,i=0,While(ls(i,m),Bk(i=i+1,k=k+i)),k), w=7"), "");
  EXPECT_EQ(f.Eval("s(4)"), "10");
  // Within one evaluation the calls' assignments are seen; the next one
  // starts from the values the definitions left.
  EXPECT_EQ(f.Eval("s(4)+s(3), k"), "16\n6");
  EXPECT_EQ(f.Eval("k"), "Null");
  // The pane itself still cannot assign them, with or without a call.
  for (const char* pane : {"k=5", "k=5, s(3)", "s(3), k=5", "w=1, s(3)"})
    EXPECT_TRUE(StartsWith(f.Eval(pane), "Cannot set value for protected expression")) << pane;
  EXPECT_EQ(f.Eval("w"), "7");
}

TEST(EvaluationCycle, CallsFromTheExpressionsLeaveTheDefinitionsAsCompiled) {
  TCalculatorFixture f;
  ASSERT_EQ(f.Define("y=1/4, g(t)~Bk(y=t,y)"), "");
  EXPECT_EQ(f.Eval("g(5), y"), "5\n5");
  EXPECT_EQ(f.Eval("y"), "0.25");
}

TEST(EvaluationCycle, ExpressionLinesAreJoinedWithoutSeparator) {
  TCalculatorFixture f;
  EXPECT_EQ(f.Eval("1+2\n3"), "24");
  EXPECT_EQ(f.Eval("1+2,\r\n3"), "3\n3");
}

TEST(EvaluationCycle, ErrorsReachTheResultsPane) {
  TCalculatorFixture f;
  EXPECT_EQ(f.Eval("1/0"), "Division by 0");
  EXPECT_FALSE(f.Calc.ResultsShown());
  f.Calc.SetErrorMessageView(false);
  EXPECT_EQ(f.Calc.Results(), "");
  EXPECT_EQ(f.Eval("1/0"), "ERROR");
  EXPECT_EQ(f.Eval("1/2"), "0.5");
}

TEST(EvaluationCycle, InvalidDefinitionsBlockTheExpressions) {
  TCalculatorFixture f;
  EXPECT_NE(f.Define("y=1/0"), "");
  EXPECT_TRUE(f.Calc.DefinitionsInvalid());
  f.Eval("1+1");
  ASSERT_EQ(f.Ui.Messages.size(), 1u);
  EXPECT_EQ(f.Ui.Messages[0], "Please corect user definitions");
  f.Ui.Clear();
  EXPECT_EQ(f.Define(""), "");
  EXPECT_FALSE(f.Calc.DefinitionsInvalid());
  EXPECT_EQ(f.Calc.RunTimeFunctionsText(), "nan");
  EXPECT_EQ(f.Eval("2+2"), "4");
  EXPECT_TRUE(f.Ui.Messages.empty());
}

// While typing, a cycle that cannot run says why in the results pane, and
// the definitions keep their own error line to show elsewhere.
TEST(EvaluationCycle, TypingReportsInThePaneNotInBoxes) {
  TCalculatorFixture f;
  f.Calc.SetDefinitions("y=");
  f.Calc.DefinitionsChanged(TReport::Pane);
  const std::string definitionsError = f.Calc.DefinitionsError();
  EXPECT_EQ(definitionsError.rfind("Syntax error", 0), 0u) << definitionsError;
  f.Calc.SetExpressions("1+1");
  f.Calc.ExpressionsChanged(TReport::Pane);
  EXPECT_EQ(f.Calc.Results(), "Please corect user definitions");
  EXPECT_EQ(f.Calc.DefinitionsError(), definitionsError);
  // A constant that takes the function variable's name empties it.
  f.Define("");
  ASSERT_TRUE(f.Calc.Constants().AddConst(f.Calc.Constants().RowCount(), "x", "1", ""));
  f.Calc.ExpressionsChanged(TReport::Pane);
  EXPECT_EQ(f.Calc.Results(), "Please correct function varable name (Options > Variable)");
  EXPECT_TRUE(f.Ui.Messages.empty());
  // A command still shows its box.
  f.Calc.ExpressionsChanged();
  EXPECT_EQ(f.Ui.Messages, std::vector<std::string>{"Please correct function varable name"});
}

TEST(EvaluationCycle, AStopRequestEndsTheEvaluation) {
  TCalculatorFixture f;
  f.Calc.RequestStop();
  EXPECT_EQ(f.Eval("Bk(k=0, While(gr(k,-1), k=k+1))"), "Calculation stopped");
  f.Calc.ClearStopRequest();
  f.Calc.SetStepBudget(1000);
  EXPECT_EQ(f.Eval("Bk(k=0, While(gr(k,-1), k=k+1))"), "Calculation stopped: too long");
  EXPECT_EQ(f.Define("g(n)~if(ls(n,1),0,g(n-1)+g(n-1)), z=g(40)"), "Calculation stopped: too long");
  f.Calc.SetStepBudget(0);
  f.Define("");
  EXPECT_EQ(f.Eval("Bk(k=0, While(ls(k,5000), k=k+1), k)"), "5000");
}

TEST(EvaluationCycle, CurrencyFormat) {
  TCalculatorFixture f;
  f.Calc.SetExpressions("1/3, Sin(1), 2.5*2");
  f.Calc.SetCurrencyMode(true);
  EXPECT_EQ(f.Calc.FormatPanelText(), "TYPE: Currency");
  EXPECT_EQ(f.Calc.Results(), "0.3333\nNot Currency\n5");
  EXPECT_EQ(f.Eval("1.0001/2"), "0.5");
  f.Calc.SetExpressions("1/3, Sin(1), 2.5*2");
  f.Calc.SetCurrencyMode(false);
  EXPECT_EQ(f.Calc.FormatPanelText(), "TYPE: Scientific");
  EXPECT_EQ(f.Calc.Results(), "0.333333333333333\n" + Real(std::sin(1.0)) + "\n5");
}

TEST(EvaluationCycle, InternalConstantFunctionsGiveTheDefaults) {
  TCalculatorFixture f;
  ASSERT_TRUE(f.Calc.Constants().AddConst(3, "STEP", "0.5", "Internal constant"));
  EXPECT_EQ(f.Eval("_step*2, step*2"), "0.2\n1");
  EXPECT_EQ(f.Calc.GetParameter(3), 0.5);
  EXPECT_EQ(f.Eval("_from, _to, _colwidth, _dettolerance, _integrtolerance"), "-100\n100\n150\n1E-14\n1E-14");
}

TEST(Parameters, SettersStoreTheDefaultForRejectedValues) {
  TCalculatorFixture f;
  const double inf = INFINITY, nan = NAN;
  struct Case {
    int index;
    double value, stored;
  } cases[] = {
      {1, -5, -5},   {1, inf, -100},  {1, nan, -100}, {2, 1e300, 1e300}, {2, -inf, 100},
      {3, 0.5, 0.5}, {3, 1e-14, 0.1}, {3, -1, 0.1},   {3, 0, 0.1},       {3, 2e-13, 2e-13},
      {4, 5, 150},   {4, 250, 150},   {4, 10.4, 10},  {4, 199.6, 200},   {4, 200.5, 200},
      {4, nan, 150}, {5, 1e-3, 1e-3}, {5, 0, 1e-14},  {6, -1, 1e-14},    {6, inf, 1e-14},
  };
  for (const Case& c : cases) {
    f.Calc.SetParameter(c.index, c.value);
    EXPECT_EQ(f.Calc.GetParameter(c.index), c.stored) << c.index << " " << c.value;
  }
  f.Calc.SetParameter(7, 1);
  EXPECT_TRUE(std::isnan(f.Calc.GetParameter(0)));
  EXPECT_TRUE(std::isnan(f.Calc.GetParameter(7)));
}

TEST(FunctionVariable, NamesThatAreTakenAreRefused) {
  TCalculatorFixture f;
  for (const char* name : {"from", "STEP", "", "2x", "sin", "Date", "Gamma", "_step"}) {
    f.Calc.SetFunctionVariable(name);
    EXPECT_EQ(f.Calc.FunctionVariable(), "") << name;
  }
  f.Ui.Clear();
  f.Eval("1");
  ASSERT_EQ(f.Ui.Messages.size(), 1u);
  EXPECT_EQ(f.Ui.Messages[0], "Please correct function varable name");

  f.Calc.SetFunctionVariable("  t ");
  EXPECT_EQ(f.Calc.FunctionVariable(), "t");
  EXPECT_EQ(f.Define("g(t)~t*2"), "");
  EXPECT_EQ(f.Eval("g(4), t"), "8\n-NAN");
  EXPECT_TRUE(StartsWith(f.Eval("t=1"), "Cannot set value for protected expression"));
}

TEST(FunctionVariable, TheDialogTextIsAppliedOnEachDefinitionsCompile) {
  TCalculatorFixture f;
  f.Calc.SetFunctionVariableDialogText("from");
  f.Define("y=1");
  EXPECT_EQ(f.Calc.FunctionVariable(), "");
  EXPECT_EQ(f.Calc.FunctionVariableDialogText(), "");
  EXPECT_TRUE(f.Calc.DefinitionsInvalid());
  f.Calc.SetFunctionVariableDialogText("u");
  f.Define("y=u");
  EXPECT_EQ(f.Calc.FunctionVariable(), "u");
  EXPECT_FALSE(f.Calc.DefinitionsInvalid());
}

TEST(HelpText, ListsEveryFunctionCode) {
  TCalculatorFixture f;
  const std::string help = f.Calc.HelpText();
  EXPECT_TRUE(StartsWith(help, "COMMAND SHORTCUTS\n" + std::string(52, '=') + "\nClear -> [Esc]\nUndo ->  [F1]\n"));
  const int last = f.Calc.DefinitionsEngine().FunctionCodeCount();
  EXPECT_EQ(last, 104 + 112 + 65 + 2);
  EXPECT_NE(help.find("\n" + std::to_string(last) + ".  "), std::string::npos);
  EXPECT_EQ(help.substr(help.rfind('\n') + 1), "Type Info = COMPLEX, DOUBLE, CURRENCY, BOOLEAN, DATETIME");
}

TEST(FunctionTable, InternalConstantsThenThePackInTableOrder) {
  TCalculatorFixture f;
  const TUserFuncArray& t = f.Calc.FunctionTable();
  ASSERT_EQ(t.size(), 65u);
  EXPECT_EQ(t[0].Name, "_from");
  EXPECT_EQ(t[5].Name, "_integrtolerance");
  EXPECT_EQ(t[6].Name, "Conv");
  EXPECT_EQ(t[7].Name, "InverseGamma");
  EXPECT_EQ(t[15].Name, "Hermite");
  EXPECT_EQ(t[16].Name, "Lagrange");
  EXPECT_EQ(t[17].Name, "CubicSpline");
  EXPECT_EQ(t[18].Name, "NormalZ");
  EXPECT_EQ(t[64].Name, "BinomialCoeff");
  for (const TUserFuncRec& r : t) EXPECT_FALSE(r.Name.empty());
}

}  // namespace
}  // namespace helmax
