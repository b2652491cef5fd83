// Computing the function table over the calculator's definitions: which
// functions take part, the points, failed calls, the Null marker, the row
// cap, refusals and stops that keep the former table.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "../app/CalculatorTestUtil.h"
#include "TableComputation.h"

using namespace helmax;
using Strings = std::vector<std::string>;

namespace {

struct TTableFixture : test::TCalculatorFixture {
  TFunctionTable Table;
  TTableOutcome Compute(bool nullMarker = false) {
    Ui.Clear();
    return ComputeFunctionTable(Calc, Ui, TableRangeOf(Calc), nullMarker, Table);
  }
  void Range(double from, double to, double step) {
    Calc.SetParameter(parFrom, from);
    Calc.SetParameter(parTo, to);
    Calc.SetParameter(parStep, step);
  }
  // The function column of the row whose x text is the one given.
  std::string At(const std::string& x, int column = 2) const {
    for (std::int64_t r = 0; r < Table.RowCount(); ++r)
      if (Table.CellText(r, 1) == x) return Table.CellText(r, column);
    return "<no row " + x + ">";
  }
  Strings Headers() const {
    Strings h;
    for (int c = 0; c < Table.ColumnCount(); ++c) h.push_back(Table.Header(c));
    return h;
  }
};

// The text of k/10 as the table must show it: -100, -99.9, ..., 0, 0.1, ...
std::string Tenths(long long k) {
  const long long m = k < 0 ? -k : k;
  std::string text = (k < 0 ? "-" : "") + std::to_string(m / 10);
  if (m % 10 != 0) text += "." + std::to_string(m % 10);
  return text;
}

}  // namespace

TEST(TableColumnHeaderTest, OnlyFunctionsOfTheVariableAlone) {
  struct TCase {
    const char* Definition;
    const char* Variable;
    const char* Header;  // nullptr: not in the table
  };
  const TCase cases[] = {{"f(x)~sin(x)", "x", "f(x)"},   {"f(x)~sin(x)", "X", "f(x)"}, {"g(x,y)~(x+y)", "x", nullptr},
                         {"h(t)~t", "x", nullptr},       {"p()~1", "x", nullptr},      {"q(xx)~xx", "x", nullptr},
                         {"r(x)~(s(x)~1)", "x", "r(x)"}, {"nan", "x", nullptr}};
  for (const TCase& c : cases) {
    const std::optional<std::string> header = TableColumnHeader(c.Definition, c.Variable);
    if (c.Header == nullptr) EXPECT_FALSE(header) << c.Definition;
    else EXPECT_EQ(header.value_or("<none>"), c.Header) << c.Definition;
  }
}

TEST(TableComputationTest, DefaultsGiveTwoThousandAndOneExactPoints) {
  TTableFixture t;
  ASSERT_EQ(t.Compute(), TTableOutcome::Done);
  EXPECT_EQ(t.Headers(), (Strings{"#", "x", "f(x)"}));  // Fact(n) is a function of n
  ASSERT_EQ(t.Table.RowCount(), 2001);
  for (std::int64_t r = 0; r < 2001; ++r) {
    ASSERT_EQ(t.Table.CellText(r, 0), std::to_string(r));
    ASSERT_EQ(t.Table.CellText(r, 1), Tenths(-1000 + r)) << r;
    const double x = std::strtod(Tenths(-1000 + r).c_str(), nullptr);
    ASSERT_EQ(t.Table.CellText(r, 2), test::Real(std::sin(x))) << r;
  }
  EXPECT_EQ(t.Table.CellText(2000, 1), "100");  // -100 + 0.1·2000 is not exactly 100 in doubles
  EXPECT_TRUE(t.Ui.Messages.empty());
}

TEST(TableComputationTest, FunctionsTakePartByTheirArgument) {
  TTableFixture t;
  t.Define("g(x,y)~x+y, h(t)~t*2, sq(x)~x^2, y=3, k(X)~-x");
  t.Range(1, 2, 1);
  ASSERT_EQ(t.Compute(), TTableOutcome::Done);
  EXPECT_EQ(t.Headers(), (Strings{"#", "x", "sq(x)", "k(x)"}));
  EXPECT_EQ(t.At("2", 2), "4");
  EXPECT_EQ(t.At("2", 3), "-2");
  // Another function variable: the functions of X take part, whatever case.
  t.Calc.SetFunctionVariable("t");
  ASSERT_EQ(t.Compute(), TTableOutcome::Done);
  EXPECT_EQ(t.Headers(), (Strings{"#", "t", "h(t)"}));
}

TEST(TableComputationTest, NoFunctionGivesAnEmptyThirdColumn) {
  TTableFixture t;
  t.Define("y=1/3");
  ASSERT_EQ(t.Compute(), TTableOutcome::Done);
  EXPECT_EQ(t.Headers(), (Strings{"#", "x", ""}));
  EXPECT_EQ(t.Table.RowCount(), 2001);
  EXPECT_EQ(t.Table.CellText(5, 2), "");
}

TEST(TableComputationTest, FromAboveToGivesNoPoint) {
  TTableFixture t;
  t.Range(5, 1, 1);
  ASSERT_EQ(t.Compute(), TTableOutcome::Done);
  EXPECT_EQ(t.Table.RowCount(), 0);
  EXPECT_EQ(t.Headers(), (Strings{"#", "x", "f(x)"}));
  EXPECT_TRUE(t.Ui.Messages.empty());
}

TEST(TableComputationTest, TheLastPointIsTakenWithinTheToleranceOnly) {
  TTableFixture t;
  t.Range(0, 0.29999999999999993, 0.1);  // 0.3 lies within 1e-13 of to
  ASSERT_EQ(t.Compute(), TTableOutcome::Done);
  ASSERT_EQ(t.Table.RowCount(), 4);
  EXPECT_EQ(t.Table.CellText(3, 1), "0.3");
  t.Range(0, 0.2999999, 0.1);  // 0.3 does not
  ASSERT_EQ(t.Compute(), TTableOutcome::Done);
  EXPECT_EQ(t.Table.RowCount(), 3);
  // At 1e16 the tolerance spans a thousand steps of 0.1; the table still
  // ends at to: 1e16 + n/10 rounds to 1e16 up to n = 10, then to to itself.
  t.Range(1e16, 10000000000000002.0, 0.1);
  ASSERT_EQ(t.Compute(), TTableOutcome::Done);
  ASSERT_EQ(t.Table.RowCount(), 12);
  EXPECT_EQ(t.Table.X(11), 10000000000000002.0);
}

TEST(TableComputationTest, AFailedCallIsNullAndTheTableGoesOn) {
  TTableFixture t;
  t.Define("f(x)~1/x");
  t.Eval("1+1");
  ASSERT_EQ(t.Compute(), TTableOutcome::Done);
  EXPECT_EQ(t.Table.CellText(1000, 1), "0");
  EXPECT_EQ(t.Table.CellText(1000, 2), "Null");
  EXPECT_EQ(t.Table.CellText(1001, 2), "10");
  EXPECT_EQ(t.Table.RowCount(), 2001);
  // The failed call's error line stays out of the results pane (which the
  // definitions compile has cleared), and the function variable is NaN
  // again.
  EXPECT_EQ(t.Calc.Results(), "");
  EXPECT_TRUE(std::isnan(t.Calc.DefinitionsVars().front().Value->Num));
  EXPECT_TRUE(t.Ui.Messages.empty());
}

TEST(TableComputationTest, NullMarkerBothWays) {
  TTableFixture t;
  t.Define("f(x)~if(gr(x,0),nan,x), g(x)~1/x");
  t.Range(-1, 1, 1);
  ASSERT_EQ(t.Compute(), TTableOutcome::Done);
  EXPECT_EQ(t.At("1", 2), "-NAN");
  EXPECT_EQ(t.At("0", 3), "Null");
  ASSERT_EQ(t.Compute(true), TTableOutcome::Done);
  EXPECT_EQ(t.At("1", 2), "#NUM!");
  EXPECT_EQ(t.At("0", 3), "#NUM!");
  EXPECT_EQ(t.At("-1", 2), "-1");
  // Off: every #NUM! becomes Null, the former -NAN too.
  t.Table.SetNullMarker(false);
  EXPECT_EQ(t.At("1", 2), "Null");
  EXPECT_EQ(t.At("0", 3), "Null");
  EXPECT_EQ(t.At("-1", 3), "-1");
  t.Table.SetNullMarker(true);
  EXPECT_EQ(t.At("1", 2), "#NUM!");
  EXPECT_EQ(t.At("0", 3), "#NUM!");
}

TEST(TableComputationTest, ReplaceMatchesTrimmedTextsWithoutCase) {
  TTableFixture t;
  t.Define("f(x)~1/x, g(x)~x*10");
  t.Range(-1, 1, 1);
  ASSERT_EQ(t.Compute(), TTableOutcome::Done);
  EXPECT_EQ(t.Table.Replace("  null ", " n/a "), 1);
  EXPECT_EQ(t.At("0", 2), "n/a");
  EXPECT_EQ(t.Table.Replace("10", "ten"), 1);  // a number's text is matched too
  EXPECT_EQ(t.At("1", 3), "ten");
  EXPECT_EQ(t.At("1", 2), "1");
  EXPECT_EQ(t.Table.Replace("1", "one"), 1);  // never the variable's column
  EXPECT_EQ(t.Table.CellText(2, 1), "1");
}

TEST(TableComputationTest, RowCapAndRefusalsKeepTheFormerTable) {
  TTableFixture t;
  t.Define("f(x)~x");
  t.Range(0, 1048574, 1);
  ASSERT_EQ(t.Compute(), TTableOutcome::Done);
  ASSERT_EQ(t.Table.RowCount(), 1048575);
  EXPECT_EQ(t.Table.CellText(1048574, 1), "1048574");
  EXPECT_EQ(t.Table.CellText(1048574, 2), "1048574");

  struct TCase {
    const char* Definitions;
    double From, To, Step;
    const char* Message;
  };
  const TCase cases[] = {
      {"f(x)~x", 0, 1048575, 1, "Too many points: 1048576"},
      {"f(x)~x", 0, 1, 0, "Incorrect step : 0 (must be greater than 0)"},
      {"f(x)~x", 0, 1, -1, "Incorrect step : -1 (must be greater than 0)"},
      {"f(x)~x", 0, 1, std::nan(""), "Incorrect step : NAN (must be greater than 0)"},
      {"f(x)~sin(", -1, 1, 1, "Please correct user definitions"},
  };
  for (const TCase& c : cases) {
    t.Calc.SetDefinitions(c.Definitions);
    t.Ui.Clear();
    // The range goes in as given: the calculator's setters would refuse a
    // bad step before it got here.
    EXPECT_EQ(ComputeFunctionTable(t.Calc, t.Ui, {c.From, c.To, c.Step}, false, t.Table), TTableOutcome::Refused);
    EXPECT_EQ(t.Ui.Messages, Strings{c.Message});
    EXPECT_EQ(t.Table.RowCount(), 1048575) << c.Message;
  }
}

TEST(TableComputationTest, NoFunctionVariableSaysSoOnce) {
  TTableFixture t;
  t.Compute();
  t.Calc.SetFunctionVariable("2x");
  EXPECT_EQ(t.Compute(), TTableOutcome::Refused);
  EXPECT_EQ(t.Ui.Messages, Strings{"Please correct function varable name"});
  EXPECT_EQ(t.Table.RowCount(), 2001);
}

TEST(TableComputationTest, AStopLeavesTheFormerTable) {
  TTableFixture t;
  t.Range(0, 1, 1);
  ASSERT_EQ(t.Compute(), TTableOutcome::Done);
  t.Define("f(x)~Bk(i=0,While(ls(i,200),i=i+1),x)");
  t.Range(0, 1000000, 1);
  TProgress progress;
  TTableOutcome outcome = TTableOutcome::Done;
  std::thread worker(
      [&] { outcome = ComputeFunctionTable(t.Calc, t.Ui, TableRangeOf(t.Calc), false, t.Table, &progress); });
  while (progress.Done.load() < 10) std::this_thread::yield();
  t.Calc.RequestStop();
  worker.join();
  t.Calc.ClearStopRequest();
  EXPECT_EQ(outcome, TTableOutcome::Stopped);
  EXPECT_EQ(progress.Total.load(), 1000001);
  EXPECT_EQ(t.Table.RowCount(), 2);
  EXPECT_EQ(t.Table.CellText(1, 2), test::Real(std::sin(1.0)));
}
