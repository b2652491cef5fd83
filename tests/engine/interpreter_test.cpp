// The interpreter: folded and run-time evaluation agree, the kind rules of
// the operators, run-time failures and their messages.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../common/CaseNames.h"
#include "EngineTestUtil.h"
#include "Operations.h"

namespace helmax {
namespace {

using test::RunText;

// Outcome of one evaluation, comparable between a folded and a run-time
// evaluation: the value's text, or the math kind and code of the failure,
// or the inner text of a non-math failure.
struct TOutcome {
  bool Failed = false;
  std::string Text;  // value text, or failure description
  bool operator==(const TOutcome&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TOutcome& o) {
  return os << (o.Failed ? "failure: " : "value: ") << o.Text;
}

TOutcome Describe(THelmaxComplexEval& e, bool compiled) {
  TOutcome o;
  if (compiled) {
    TValue r;
    e.DoMathExpression(r);
    if (!e.Error) {
      o.Text = ValueToText(r) + " kind " + std::to_string(static_cast<int>(r.Kind));
      return o;
    }
  }
  o.Failed = true;
  // Non-math failures carry different prefixes when folded (a failed
  // operator even becomes a syntax error), so only their kind is compared.
  o.Text = e.MathErrorKind >= 1 ? "math kind " + std::to_string(e.MathErrorKind) : "non-math";
  return o;
}

// The value of a constant text (folded), for placing into a host cell.
TValue ValueOf(const std::string& text) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics(text);
  TValue r;
  e.DoMathExpression(r);
  EXPECT_FALSE(e.Error) << text << ": " << e.ErrorMessage;
  return r;
}

const std::vector<std::string> kValues = {"2.5",           "(-3)",         "0",      "real2curr(1.5)", "real2curr(-2)",
                                          "complex(1,-2)", "complex(0,0)", "true",   "null",           "12.31.2008",
                                          "nan",           "inf",          "(-inf)", "1e308",          "(-8)"};

// Runs "pattern" with the arguments substituted as constants (folded while
// compiling) and as host variables (evaluated at run time).
void ExpectSameOutcome(const std::string& pattern, const std::vector<std::string>& args) {
  std::string constant = pattern, variable = pattern;
  TUserVarArray vars;
  std::vector<TValue> cells(args.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string slot = "$" + std::to_string(i);
    const std::string name = "v" + std::to_string(i);
    for (std::size_t p; (p = constant.find(slot)) != std::string::npos;) constant.replace(p, slot.size(), args[i]);
    for (std::size_t p; (p = variable.find(slot)) != std::string::npos;) variable.replace(p, slot.size(), name);
    cells[i] = ValueOf(args[i]);
  }
  for (std::size_t i = 0; i < args.size(); ++i) vars.push_back({"v" + std::to_string(i), &cells[i], 0});

  THelmaxComplexEval folded;
  folded.VerifySyntaxSemantics(constant);
  const TOutcome a = Describe(folded, !folded.Error);
  if (!folded.Error) { EXPECT_TRUE(folded.Instructions().empty()) << constant << " should fold completely"; }

  THelmaxComplexEval runtime;
  runtime.VerifySyntaxSemantics(variable, vars, false);
  ASSERT_FALSE(runtime.Error) << variable << ": " << runtime.ErrorMessage;
  const TOutcome b = Describe(runtime, true);
  EXPECT_EQ(a, b) << "folded: " << constant << "   run time: " << variable;
}

TEST(FoldedAndRunTime, OperatorsOverTheKindMatrix) {
  for (const char* op : {"*", "/", "+", "-", "^"})
    for (const std::string& a : kValues)
      for (const std::string& b : kValues) ExpectSameOutcome("$0" + std::string(op) + "$1", {a, b});
}

TEST(FoldedAndRunTime, RationalPowerAndNegation) {
  for (const std::string& a : kValues) {
    ExpectSameOutcome("$0^(1/3)", {a});
    ExpectSameOutcome("$0^(2/3)", {a});
    ExpectSameOutcome("$0^(-1/3)", {a});
    ExpectSameOutcome("-$0", {a});
    ExpectSameOutcome("power($0, 0.5)", {a});
    ExpectSameOutcome("power($0, 2/3)", {a});
    ExpectSameOutcome("power($0, -1/3)", {a});
  }
}

TEST(FoldedAndRunTime, OneArgumentBuiltins) {
  for (int code = opFirstBuiltin; code <= opLastBuiltin; ++code) {
    const TBuiltinInfo& info = BuiltinInfo(code);
    if (info.Arity != TArity::One && info.Arity != TArity::OneOrTwo && info.Arity != TArity::AtLeastOne) continue;
    if (code == opRandom || code == opBk) continue;
    for (const std::string& a : kValues) ExpectSameOutcome(std::string(info.Name) + "($0)", {a});
  }
}

TEST(FoldedAndRunTime, TwoArgumentBuiltins) {
  const std::vector<std::string> values = {"2.5", "(-3)", "0", "real2curr(1.5)", "complex(1,-2)", "true", "null",
                                           "nan", "inf",  "7"};
  for (int code = opFirstBuiltin; code <= opLastBuiltin; ++code) {
    const TBuiltinInfo& info = BuiltinInfo(code);
    const bool two = info.Arity == TArity::Two || info.Arity == TArity::OneOrTwo || info.Arity == TArity::AtLeastOne ||
                     info.Arity == TArity::AtLeastTwo;
    if (!two || code == opWhile) continue;
    for (const std::string& a : values)
      for (const std::string& b : values) ExpectSameOutcome(std::string(info.Name) + "($0,$1)", {a, b});
  }
}

TEST(FoldedAndRunTime, ControlForms) {
  for (const char* c : {"true", "false", "1", "null"}) {
    ExpectSameOutcome("if($0, 1, 2)", {c});
    ExpectSameOutcome("if($0, 1)", {c});
    ExpectSameOutcome("bk($0, 2)", {c});
  }
}

// ---- explicit values of the kind rules --------------------------------------------

struct TVarCase {
  const char* Setup;  // assignments evaluated first (their lines are dropped)
  const char* Text;
  const char* Expected;
};

class RunTimeValues : public ::testing::TestWithParam<TVarCase> {};

TEST_P(RunTimeValues, Match) {
  const TVarCase& c = GetParam();
  THelmaxComplexEval e;
  const std::string all = RunText(e, std::string(c.Setup) + ", " + c.Text);
  const std::string setup = RunText(c.Setup);
  ASSERT_EQ(all.rfind(setup + "; ", 0), 0u) << all;
  EXPECT_EQ(all.substr(setup.size() + 2), c.Expected) << c.Setup << " | " << c.Text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RunTimeValues,
    ::testing::Values(TVarCase{"x=nan", "x+1", "-NAN"}, TVarCase{"x=nan", "eq(x, 1)", "-NAN"},
                      TVarCase{"x=nan", "isreal(eq(x,1))", "True"},
                      TVarCase{"x=1, y=1+1e-14", "eq(x,y), lseq(x,y), greq(x,y), ls(x,y)", "True; True; True; True"},
                      TVarCase{"x=0, y=1e-14", "eq(x,y)", "True"}, TVarCase{"x=0, y=1e-12", "eq(x,y)", "False"},
                      TVarCase{"x=inf, y=inf", "eq(x,y), lseq(x,y)", "True; True"},
                      TVarCase{"x=-inf, y=inf, z=1", "ls(x,y), gr(z,y)", "True; False"},
                      TVarCase{"a=true, b=true, c=false", "eq(a,b), uneq(a,c), ls(c,a)", "True; True; True"},
                      TVarCase{"z=complex(1,2)", "eq(z,z)", "True"}, TVarCase{"x=-8", "x^(1/3), x^(2/3)", "-2; 4"},
                      TVarCase{"x=0", "x^0", "1"},
                      // power with an exponent written p/q is the rational power too
                      TVarCase{"x=-8", "power(x, 1/3), power(x, 2/3), power(x, -1/3)", "-2; 4; -0.5"},
                      TVarCase{"x=-27", "power(x, 1/3)+0", "-3"},
                      TVarCase{"c=real2curr(10), r=3", "c/r, iscurrency(c/r)", "3.3333; True"},
                      TVarCase{"x=10, c=real2curr(3)", "x/c, isreal(x/c)", "3.33333333333333; True"},
                      TVarCase{"c=real2curr(1)", "c+0.00004, c+0.00006, c*0.00004", "1; 1.0001; 0"},
                      TVarCase{"x=-1, y=0", "arctan(x, y), arctan2(y, x)", "3.14159265358979; 3.14159265358979"},
                      TVarCase{"x=0", "if(ls(x,1), 1, sqrt(x-2))", "1"}),
    test::NamedBy([](const TVarCase& c) { return c.Text; }));

// ---- run-time failures ----------------------------------------------------------------

struct TFailCase {
  const char* Setup;
  const char* Text;
  int Code;
  int Kind;
  const char* MessageStart;
  const char* HostLine;  // start of the execute formatter's line, or nullptr
};

class RunTimeFailures : public ::testing::TestWithParam<TFailCase> {};

TEST_P(RunTimeFailures, CodeKindMessageAndLine) {
  const TFailCase& c = GetParam();
  THelmaxComplexEval e;
  int fired = 0;
  e.OnExecuteError = [&](THelmaxComplexEval&) { ++fired; };
  e.VerifySyntaxSemantics(std::string(c.Setup) + ", " + c.Text);
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  EXPECT_EQ(e.DoVectorOfMathExpressions(), nullptr);
  EXPECT_TRUE(e.Error);
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(e.ErrorCode, c.Code) << e.ErrorMessage;
  EXPECT_EQ(e.MathErrorKind, c.Kind) << e.ErrorMessage;
  EXPECT_EQ(e.ErrorMessage.rfind(c.MessageStart, 0), 0u) << e.ErrorMessage;
  if (c.HostLine != nullptr) { EXPECT_EQ(ExecuteErrorLine(e).rfind(c.HostLine, 0), 0u) << ExecuteErrorLine(e); }
  // The program stays usable: a second run fails the same way.
  EXPECT_EQ(e.DoVectorOfMathExpressions(), nullptr);
  EXPECT_EQ(e.ErrorCode, c.Code);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RunTimeFailures,
    ::testing::Values(
        TFailCase{"x=0", "1/x", -26, 4, "ExceptieMatematica-> EZeroDivide->Attempt to divide by zero : 1 / 0",
                  "Division by 0 "},
        TFailCase{"x=0", "x/x", -26, 5, "ExceptieMatematica-> EInvalidOp->", "Invalid value for / : "},
        TFailCase{"x=inf", "x-x", -28, 5, "ExceptieMatematica-> ", "Invalid value for - : "},
        TFailCase{"x=1e308", "x*10", -25, 1, "ExceptieMatematica-> EOverflow->", "Invalid value for * : "},
        TFailCase{"x=0", "x^(-1)", -29, 4, "ExceptieMatematica-> ", "Invalid value for ^"},
        TFailCase{"x=-8", "power(x, 0.5)", 49, 5, "ExceptieMatematica-> ", "Invalid value for POWER"},
        TFailCase{"x=-4", "sqrt(x)", 7, 5,
                  "ExceptieMatematica-> EInvalidOp->Processor encountered an undefined instruction : sqrt( -4) ",
                  "Invalid value for SQRT : "},
        TFailCase{"x=true", "x*2", -23, 0,
                  "ExecuteComand-> NON MATH EXCEPTION WAS RAISED : Incorrect real or complex type for operator '*'",
                  "Execution error : "},
        TFailCase{"z=complex(1,2)", "eq(z, 1)", -23, 0,
                  "ExecuteComand-> NON MATH EXCEPTION WAS RAISED : Incorrect comparative type : eq", nullptr},
        TFailCase{"z=complex(1,2), w=complex(2,0)", "ls(z, w)", -23, 0, "ExecuteComand-> ", nullptr},
        TFailCase{"a=true, b=false", "and(a, b, 1)", -23, 0,
                  "ExecuteComand-> NON MATH EXCEPTION WAS RAISED : Incorrect boolean type : and", nullptr},
        TFailCase{"x=3", "If(x, 1, 2)", -23, 0,
                  "ExecuteComand-> NON MATH EXCEPTION WAS RAISED : Incorrect boolean type : if", nullptr},
        TFailCase{"x=1", "and(false, x)", -23, 0, "ExecuteComand-> ", nullptr},
        TFailCase{"x=1", "max(x, nan, true)", -23, 0,
                  "ExecuteComand-> NON MATH EXCEPTION WAS RAISED : Incorrect real type : max", nullptr},
        TFailCase{"x=-1", "random(x)", -23, 0,
                  "ExecuteComand-> NON MATH EXCEPTION WAS RAISED : RANGE OF RANDOM NUMBER MUST BE POSITIVE : random",
                  nullptr}),
    test::NamedBy([](const TFailCase& c) { return c.Text; }));

TEST(RunTimeFailures, InvariantTextUsesTheExecutePrefix) {
  TValue c = TValue::MakeBool(true);
  TUserVarArray vars{{"c", &c, 1}};
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("c*2", vars, false);
  ASSERT_FALSE(e.Error);
  EXPECT_TRUE(e.InvariantExpression);
  TValue r;
  e.DoMathExpression(r);
  EXPECT_EQ(e.ErrorCode, -23);
  EXPECT_EQ(e.ErrorMessage.rfind("Execute-> NON MATH EXCEPTION WAS RAISED : ", 0), 0u) << e.ErrorMessage;
  // An invariant text evaluates like any other when it can.
  c = TValue::MakeReal(4);
  e.VerifySyntaxSemantics("c1*2, c", TUserVarArray{{"c1", &c, 1}, {"c", nullptr, 0}}, false);
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  TValue* const* v = e.DoVectorOfMathExpressions();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(ValueToText(*v[0]), "8");
}

TEST(RunTimeFailures, ResultCellsOfEarlierInstructionsStay) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("a=5, b=0, a/b");
  ASSERT_FALSE(e.Error);
  EXPECT_EQ(e.DoVectorOfMathExpressions(), nullptr);
  EXPECT_EQ(ValueToText(*(*e.Variables())[0]->Value), "5");
}

// ---- external functions -------------------------------------------------------------------

void Twice(TValue* const* args, int, TValue& r) { r = TValue::MakeReal(args[0]->AsReal() * 2); }
void Thrower(TValue* const*, int, TValue&) { throw std::runtime_error("BAD ARGUMENT"); }
void MathThrower(TValue* const*, int, TValue&) { throw EHelmaxMathError(mkInvalidArgument); }
void StdFunc(TValue& r, int count) { r = TValue::MakeReal(count); }

TEST(ExternalFunctions, CallingKindsAndFailures) {
  int calls = 0;
  TUserFuncRec method = test::Method("triple", [&calls](TValue* const* a, int, TValue& r) {
    ++calls;
    r = TValue::MakeReal(a[0]->AsReal() * 3);
  });
  TUserFuncRec twice = test::Procedure("twice", Twice);
  TUserFuncRec bad = test::Procedure("bad", Thrower);
  TUserFuncRec mathBad = test::Procedure("mbad", MathThrower);
  TUserFuncRec std2;
  std2.Name = "std2";
  std2.Kind = ufStdCallFunction;
  std2.StdCallFunction = StdFunc;
  std2.ArgCount = MaxInt;
  THelmaxComplexEval e(TUserFuncArray{method, twice, bad, mathBad, std2});
  ASSERT_FALSE(e.Error);

  EXPECT_EQ(RunText(e, "x=2, triple(x), twice(x)+triple(1)"), "2; 6; 7");
  EXPECT_EQ(RunText(e, "x=1, bad(x)").rfind("exec: ", 0), 0u);
  EXPECT_EQ(e.ErrorMessage, "ExecuteComand-> NON MATH EXCEPTION WAS RAISED : BAD ARGUMENT : bad");
  for (const char* text : {"x=1, mbad(x)", "mbad(1)"}) {
    const std::string line = RunText(e, text);
    EXPECT_NE(line.find("Invalid value for MBAD :  mbad( 1) "), std::string::npos) << line;
    EXPECT_EQ(line.substr(line.size() - 18), " : InvalidArgument") << line;
    EXPECT_EQ(e.ErrorCode, 98 + 3);
  }
  EXPECT_EQ(RunText(e, "twice(1,2)"), "parse: Invalid number of function arguments for: TWICE");

  // Without the hook that its kind needs, the call leaves its result as it was.
  EXPECT_EQ(RunText(e, "x=1, std2(x, x)"), "1; Null");
  std::vector<int> hookCounts;
  e.OnSetArguments = [&](TValue* const*, int count) { hookCounts.push_back(count); };
  EXPECT_EQ(RunText(e, "x=1, std2(x, x)"), "1; 2");
  EXPECT_EQ(hookCounts, (std::vector<int>{2, 0}));
}

TEST(ExternalFunctions, ConstantAndVolatileArguments) {
  int constantCalls = 0, volatileCalls = 0;
  TUserFuncRec k = test::Method(
      "k", [&](TValue* const*, int, TValue& r) { r = TValue::MakeReal(++constantCalls); }, 0);
  TUserFuncRec v = test::Method(
      "v", [&](TValue* const*, int, TValue& r) { r = TValue::MakeReal(++volatileCalls); }, -1);
  THelmaxComplexEval e(TUserFuncArray{k, v});
  e.VerifySyntaxSemantics("k+k, v+v");
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  EXPECT_EQ(constantCalls, 1) << "a constant is called once, while compiling";
  EXPECT_EQ(volatileCalls, 2) << "each volatile occurrence is called while compiling";
  TValue* const* r = e.DoVectorOfMathExpressions();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(ValueToText(*r[0]), "2");
  EXPECT_EQ(ValueToText(*r[1]), "7");  // 3 + 4: never shared, called again
  EXPECT_EQ(RunText(e, "v()").rfind("parse: Syntax error", 0), 0u);
}

}  // namespace
}  // namespace helmax

namespace helmax {
namespace {

TEST(Random, RangesAndTheSeedHook) {
  THelmaxComplexEval a, b;
  a.SeedRandom(42);
  b.SeedRandom(42);
  a.VerifySyntaxSemantics("random(6), random(0.5), random(6)+random(6)");
  b.VerifySyntaxSemantics("random(6), random(0.5), random(6)+random(6)");
  ASSERT_FALSE(a.Error);
  bool sawZero = false, sawFive = false;
  for (int i = 0; i < 2000; ++i) {
    TValue* const* ra = a.DoVectorOfMathExpressions();
    TValue* const* rb = b.DoVectorOfMathExpressions();
    ASSERT_NE(ra, nullptr);
    for (int k = 0; k < 3; ++k) ASSERT_EQ(ValueToText(*ra[k]), ValueToText(*rb[k])) << "same seed, same draws";
    const double die = ra[0]->Num, unit = ra[1]->Num;
    ASSERT_EQ(die, std::floor(die));
    ASSERT_GE(die, 0);
    ASSERT_LE(die, 5);
    sawZero = sawZero || die == 0;
    sawFive = sawFive || die == 5;
    ASSERT_GE(unit, 0.0);
    ASSERT_LT(unit, 1.0);
  }
  EXPECT_TRUE(sawZero && sawFive);
  EXPECT_EQ(RunText("random(nan)"), "-NAN");
}

}  // namespace
}  // namespace helmax

namespace helmax {
namespace {

// A host marks the expression that failed: which one it was, however deep
// the failure happened.
TEST(RunTimeFailures, TellWhichExpressionFailed) {
  struct TCase {
    const char* Text;
    int Failed;
  };
  const TCase cases[] = {
      {"z=0, 1+1, 1/z, 2", 2},
      {"z=0, f(a)~1/a, 3, f(z)", 3},
      {"z=0, While(ls(z,5), z=z+1), if(gr(z,1), sqrt(-z), 0)", 2},
      {"z=0, 4, 5, z", -1},  // nothing failed
  };
  for (const TCase& c : cases) {
    THelmaxComplexEval e;
    e.VerifySyntaxSemantics(c.Text);
    ASSERT_FALSE(e.Error) << c.Text;
    e.DoVectorOfMathExpressions();
    EXPECT_EQ(e.FailedExpression(), c.Failed) << c.Text;
  }
}

}  // namespace
}  // namespace helmax
