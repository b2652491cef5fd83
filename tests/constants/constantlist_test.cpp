// The constant list: adding and changing constants with their checks, the
// internal constants, and deleting with the dependence check.
#include <gtest/gtest.h>

#include "../app/CalculatorTestUtil.h"

namespace helmax {
namespace {

using test::StartsWith;
using test::TCalculatorFixture;

struct ConstantList : ::testing::Test {
  TCalculatorFixture F;
  TConstantList& List = F.Calc.Constants();

  bool Add(const std::string& name, const std::string& expression, const std::string& description = "") {
    F.Ui.Clear();
    return List.AddConst(List.RowCount(), name, expression, description);
  }
  std::string OnlyMessage() const {
    return F.Ui.Messages.size() == 1 ? F.Ui.Messages[0] : "<" + std::to_string(F.Ui.Messages.size()) + " messages>";
  }
};

TEST_F(ConstantList, StartsWithTheInternalConstants) {
  ASSERT_EQ(List.RowCount(), 7);
  const char* names[] = {"FROM", "TO", "STEP", "COLWIDTH", "DETTOLERANCE", "INTEGRTOLERANCE"};
  const char* values[] = {"-100", "100", "0.1", "150", "1E-14", "1E-14"};
  for (int r = 1; r <= 6; ++r) {
    EXPECT_EQ(List.Row(r).Name, names[r - 1]);
    EXPECT_EQ(List.Row(r).Value, values[r - 1]);
    EXPECT_EQ(List.Row(r).Description, "Internal constant");
  }
  EXPECT_EQ(List.Row(3).Expression, "_step");
}

TEST_F(ConstantList, AddedConstantsReachTheExpressions) {
  ASSERT_TRUE(Add("c", "299792458", "speed of light"));
  ASSERT_EQ(List.RowCount(), 8);
  EXPECT_EQ(List.Row(7).Value, "299792458");
  EXPECT_TRUE(F.Calc.DefinitionsStale());
  EXPECT_EQ(F.Eval("c/2"), "149896229");
  ASSERT_TRUE(Add("g5", "Gamma(5)+_step*0"));
  EXPECT_EQ(List.Row(8).Value, "24");
  // Multi-line expressions are joined without separator.
  ASSERT_TRUE(Add("h", "1+\n2"));
  EXPECT_EQ(List.Row(9).Expression, "1+2");
  // The definitions see them as protected variables.
  EXPECT_TRUE(StartsWith(F.Define("c=1"), "Cannot set value for protected expression"));
  EXPECT_EQ(F.Define("v=c*2"), "");
  EXPECT_EQ(F.Eval("v"), "599584916");
}

TEST_F(ConstantList, RefusedConstantsChangeNothing) {
  ASSERT_TRUE(Add("c", "3"));
  struct Case {
    const char* name;
    const char* expression;
    const char* description;
    const char* message;  // prefix
  } cases[] = {
      {"C", "1", "", "IsValidIdentName-> IDENTIFIER NAME ALREADY EXIST : c"},
      {"step", "1", "", "IsValidIdentName-> IDENTIFIER NAME ALREADY EXIST"},
      {"sin", "1", "", "IsValidIdentName-> IDENTIFIER CANNOT BE A RESERVED NAME"},
      {"", "1", "", "IsValidIdentName-> IDENTIFIER NAME CANNOT BE EMPTY"},
      {"Date", "1", "", "IsValidIdentName-> DUBLICATING USER IDENTIFIER NAME: date"},  // a pack function
      {"q", "q+1", "", "Invalid expression : q+1"},                                    // names itself
      {"q", "Date(2008,1,1)", "", "Invalid expression : Date(2008,1,1)"},              // no pack here
      {"q", "nosuch*2", "", "Invalid expression : nosuch*2"},
      {"q", "1/0", "", "Invalid expression : 1/0"},
      {"q", "2", "speed = fast", "Invalid description : speed = fast"},
      {"q", "2", "a;b", "Invalid description : a;b"},
      {"q", "2", "{x}", "Invalid description : {x}"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(Add(c.name, c.expression, c.description)) << c.name << " = " << c.expression;
    EXPECT_TRUE(StartsWith(OnlyMessage(), c.message)) << OnlyMessage();
    EXPECT_EQ(List.RowCount(), 8);
  }
  EXPECT_EQ(F.Eval("c"), "3");
}

TEST_F(ConstantList, DescriptionsLoseTheirLineBreaks) {
  ASSERT_TRUE(Add("c", "3", "first\r\nsecond\nthird"));
  EXPECT_EQ(List.Row(7).Description, "first second third");
}

TEST_F(ConstantList, InternalConstantsStayRealAndValid) {
  F.Ui.Clear();
  EXPECT_FALSE(List.AddConst(1, "FROM", "true", "Internal constant"));
  EXPECT_EQ(OnlyMessage(), "Invalid expression : FROM=true");
  F.Ui.Clear();
  EXPECT_FALSE(List.AddConst(3, "STEP", "0", "Internal constant"));
  EXPECT_EQ(OnlyMessage(), "Invalid value : STEP = 0");
  EXPECT_EQ(F.Calc.GetParameter(3), 0.1);
  EXPECT_EQ(List.Row(3).Expression, "_step");
  F.Ui.Clear();
  EXPECT_FALSE(List.AddConst(4, "COLWIDTH", "500", "Internal constant"));
  EXPECT_EQ(OnlyMessage(), "Invalid value : COLWIDTH = 500");
  EXPECT_EQ(F.Calc.GetParameter(4), 150);

  F.Ui.Clear();
  ASSERT_TRUE(List.AddConst(1, "FROM", "-5", "Internal constant"));
  EXPECT_EQ(F.Calc.GetParameter(1), -5);
  EXPECT_EQ(List.Row(1).Value, "-5");
  // A constant may depend on an internal one.
  ASSERT_TRUE(Add("twice", "from*2"));
  EXPECT_EQ(List.Row(7).Value, "-10");
  EXPECT_TRUE(F.Ui.Messages.empty());
}

TEST_F(ConstantList, ChangingAConstantRecomputesTheOnesAfterIt) {
  ASSERT_TRUE(Add("c", "3"));
  ASSERT_TRUE(Add("d", "c*2"));
  ASSERT_TRUE(List.AddConst(7, "c", "5", ""));
  EXPECT_EQ(List.Row(8).Value, "10");
  EXPECT_EQ(F.Eval("c+d"), "15");
  // d still names c: renaming c is refused.
  F.Ui.Clear();
  EXPECT_FALSE(List.AddConst(7, "cc", "5", ""));
  EXPECT_EQ(OnlyMessage(), "Invalid expression : cc=5");
  ASSERT_TRUE(List.AddConst(8, "dd", "15", ""));
  ASSERT_TRUE(List.AddConst(7, "c2", "1", ""));
  EXPECT_EQ(List.Row(7).Name, "c2");
  EXPECT_EQ(F.Eval("c2+dd"), "16");
}

TEST_F(ConstantList, NamingAConstantLikeTheFunctionVariableEmptiesIt) {
  ASSERT_TRUE(Add("x", "1"));
  EXPECT_EQ(F.Calc.FunctionVariable(), "");
  F.Ui.Clear();
  F.Eval("1");
  // Once from the definitions compile that the change forces, once from the
  // evaluation itself.
  EXPECT_EQ(F.Ui.Messages, std::vector<std::string>(2, "Please correct function varable name"));
}

TEST_F(ConstantList, DeleteChecksItsInputFirst) {
  ASSERT_TRUE(Add("c", "3"));
  struct Case {
    const char* from;
    const char* count;
    const char* message;
  } cases[] = {
      {"3", "1", "Cannot delete internal constants"},
      {"7", "0", "Invalid count"},
      {"9", "1", "Invalid #"},
      {"8", "1", "Invalid #"},
      {"abc", "1", "'abc' is not a valid integer value"},
      {"7", "1.5", "'1.5' is not a valid integer value"},
  };
  for (const Case& c : cases) {
    F.Ui.Clear();
    EXPECT_FALSE(List.DeleteConsts(c.from, c.count));
    EXPECT_EQ(OnlyMessage(), c.message);
  }
  F.Ui.Clear();
  F.Ui.Answers = {false};
  EXPECT_FALSE(List.DeleteConsts("7", "1"));
  EXPECT_EQ(F.Ui.Questions, std::vector<std::string>{"ARE YOU SURE ?"});
  EXPECT_EQ(List.RowCount(), 8);
}

TEST_F(ConstantList, DeleteRefusesToBreakADependence) {
  ASSERT_TRUE(Add("c", "3"));
  ASSERT_TRUE(Add("d", "c*2"));
  ASSERT_TRUE(Add("ee", "isnan(c)"));
  F.Ui.Clear();
  EXPECT_FALSE(List.DeleteConsts("7", "1"));
  EXPECT_EQ(OnlyMessage(), "Cannot delete variable dependece : d");
  EXPECT_EQ(List.RowCount(), 10);
  EXPECT_EQ(F.Eval("c+d"), "9");
  F.Ui.Clear();
  EXPECT_FALSE(List.DeleteConsts("7", "2"));
  EXPECT_EQ(OnlyMessage(), "Cannot delete variable dependece : ee");

  F.Ui.Clear();
  EXPECT_TRUE(List.DeleteConsts("7", "3"));
  EXPECT_EQ(List.RowCount(), 7);
  EXPECT_TRUE(F.Ui.Messages.empty());
  EXPECT_TRUE(StartsWith(F.Eval("c"), "Variable not found") || F.Eval("c") == "Null") << F.Eval("c");
}

TEST_F(ConstantList, DeleteInTheMiddleKeepsTheRest) {
  ASSERT_TRUE(Add("a", "1"));
  ASSERT_TRUE(Add("b", "2"));
  ASSERT_TRUE(Add("c", "a+10"));
  EXPECT_TRUE(List.DeleteConsts("8", "1"));
  ASSERT_EQ(List.RowCount(), 9);
  EXPECT_EQ(List.Row(8).Name, "c");
  EXPECT_EQ(List.Row(8).Value, "11");
  // The definitions were rebuilt over the new cells.
  EXPECT_EQ(F.Eval("a+c"), "12");
  // A count past the end deletes to the end.
  EXPECT_TRUE(List.DeleteConsts("7", "99"));
  EXPECT_EQ(List.RowCount(), 7);
}

// A constants engine that fails where the validation engine succeeded: the
// list stays as it was, the user gets the message, and nothing else is
// written anywhere (standard error included).
TEST(ConstantListFailure, AConstantsEngineFailureKeepsTheListAndSaysSo) {
  auto functions = [](bool fails) {
    TUserFuncArray table;
    for (const char* name : kInternalConstantNames) {
      TUserFuncRec rec;
      rec.Name = std::string("_") + name;
      rec.Kind = ufMethod;
      rec.Method = [](TValue* const*, int, TValue& r) { r = TValue::MakeReal(1); };
      table.push_back(rec);
    }
    TUserFuncRec flaky;
    flaky.Name = "flaky";
    flaky.Kind = ufMethod;
    flaky.ArgCount = 1;
    flaky.Method = [fails](TValue* const*, int, TValue& r) {
      if (fails) throw std::runtime_error("no value here");
      r = TValue::MakeReal(2);
    };
    table.push_back(flaky);
    return table;
  };
  struct THost : TConstantListHost {
    double GetParameter(int) const override { return 1; }
    void SetParameter(int, double) override {}
    void ConstantsRecompiled() override {}
    void RevalidateFunctionVariable(bool) override {}
    void PrepareEngine(THelmaxComplexEval&) override {}
  } host;
  TMessageRecorder ui;
  THelmaxComplexEval constants(functions(true));
  TConstantList list(constants, functions(false), host, ui);
  ::testing::internal::CaptureStderr();
  const bool added = list.AddConst(list.RowCount(), "k", "flaky(1)", "");
  const std::string standardError = ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(added);
  EXPECT_EQ(ui.Messages, std::vector<std::string>{"Programing error"});
  EXPECT_EQ(standardError, "");
  EXPECT_EQ(list.RowCount(), 7);
  EXPECT_EQ(list.Row(6).Value, "1");  // the constants engine runs the former list again
}

}  // namespace
}  // namespace helmax
