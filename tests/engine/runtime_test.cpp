// Variables, run-time functions and control forms: calls, recursion, the two
// limits, DoRunTimeFunction, and the way a calculator shares definitions
// between a definitions engine and an expressions engine.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "EngineTestUtil.h"
#include "Operations.h"

namespace helmax {
namespace {

using test::RunText;

// Two engines wired the way the calculator wires them: the definitions are
// compiled with the function variable as a protected host cell; the
// expressions engine receives every definitions variable as a protected
// shared cell and, when it calls a run-time function, the function texts in
// front of its own text inside Bk.
struct TCalculatorLike {
  TValue FunctionVariable = TValue::MakeReal(EngineNaN());
  THelmaxComplexEval Definitions;
  THelmaxComplexEval Expressions;
  TUserVarArray ExpressionsVars;
  std::string RunTimeFunctionsText;

  std::string Define(const std::string& text) {
    Definitions.VerifySyntaxSemantics(text, TUserVarArray{{"x", &FunctionVariable, 1}}, true);
    if (Definitions.Error) return ParseErrorLine(Definitions);
    if (Definitions.DoVectorOfMathExpressions() == nullptr) return ExecuteErrorLine(Definitions);
    ExpressionsVars.clear();
    for (const TVariable* v : *Definitions.Variables()) ExpressionsVars.push_back({v->Name, v->Value, 1});
    RunTimeFunctionsText.clear();
    for (int i = 0; i < Definitions.RunTimeFunctionCount(); ++i) {
      if (i > 0) RunTimeFunctionsText += ",";
      RunTimeFunctionsText += Definitions.RunTimeFunctionText(i);
    }
    return "ok";
  }

  std::string Evaluate(const std::string& pane) {
    Expressions.VerifySyntaxSemantics(pane, ExpressionsVars, true);
    bool retried = false;
    if (Expressions.Error && Expressions.ErrorCode == -38 && !RunTimeFunctionsText.empty()) {
      Expressions.VerifySyntaxSemantics("Bk(" + RunTimeFunctionsText + ")," + pane, ExpressionsVars, true);
      retried = true;
    }
    if (Expressions.Error) return ParseErrorLine(Expressions);
    TValue* const* r = Expressions.DoVectorOfMathExpressions();
    if (r == nullptr) return ExecuteErrorLine(Expressions);
    std::string out;
    for (int i = retried ? 1 : 0; i < Expressions.ExpressionCount; ++i) {
      if (!out.empty()) out += "; ";
      out += ValueToText(*r[i]);
    }
    return out;
  }
};

TEST(CalculatorLike, DefaultDefinitions) {
  TCalculatorLike c;
  ASSERT_EQ(c.Define("f(x)~Sin(x), Fact(n)~if(eq(n,0),1,n*Fact(n-1)), y=1/3"), "ok");
  EXPECT_EQ(c.RunTimeFunctionsText, "f(x)~sin(x),fact(n)~if(eq(n,0),1,(n*fact((n-1))))");
  EXPECT_EQ(c.Evaluate("f(2)"), ValueToText(TValue::MakeReal(std::sin(2.0))));
  EXPECT_EQ(c.Evaluate("2*f(y)"), ValueToText(TValue::MakeReal(2 * std::sin(1.0 / 3))));
  EXPECT_EQ(c.Evaluate("y, Fact(5)"), "0.333333333333333; 120");
  EXPECT_EQ(c.Evaluate("Fact(170)"), "7.25741561530799E306");
  EXPECT_EQ(c.Evaluate("Fact(171)").rfind("Invalid value for * : ", 0), 0u) << c.Evaluate("Fact(171)");
  EXPECT_EQ(c.Expressions.MathErrorKind, 1);
}

TEST(CalculatorLike, SharedCellsAreProtected) {
  TCalculatorLike c;
  ASSERT_EQ(c.Define("f(x)~Sin(x), y=1/3"), "ok");
  EXPECT_EQ(c.Evaluate("y=2").rfind("Cannot set value for protected expression", 0), 0u);
  EXPECT_EQ(c.Evaluate("x=2").rfind("Cannot set value for protected expression", 0), 0u);
  EXPECT_EQ(c.Evaluate("z=2, z*y"), "2; 0.666666666666667");
}

TEST(CalculatorLike, InvariantTextRunsItsProgram) {
  TCalculatorLike c;
  ASSERT_EQ(c.Define("sq(t)~t*t"), "ok");
  EXPECT_EQ(c.Evaluate("sq(3)"), "9");
  EXPECT_EQ(c.Evaluate("sq(3)+sq(4)"), "25");
}

TEST(CalculatorLike, ACallLeavesNoTraceInSharedCells) {
  TCalculatorLike c;
  ASSERT_EQ(c.Define("f(x)~Sin(x)"), "ok");
  EXPECT_EQ(c.Evaluate("sin(x), f(2)"), "-NAN; " + ValueToText(TValue::MakeReal(std::sin(2.0))));
  EXPECT_EQ(RunText("f(x)~x, x=5, f(3), x"), "Null; 5; 3; 5");
}

TEST(CalculatorLike, DefinitionTextsCompileAgainToTheSameFunctions) {
  TCalculatorLike c;
  ASSERT_EQ(c.Define("g(x)~(-x)^2, h(a,b)~a-(-b), k(x)~-x^2"), "ok");
  EXPECT_EQ(c.Evaluate("g(3), h(1,2), k(3)"), "9; 3; -9");
}

// ---- calls ----------------------------------------------------------------------------

TEST(Calls, BindingAndScope) {
  EXPECT_EQ(RunText("f(x,y)~x-y, x=1, y=2, f(y,x)"), "Null; 1; 2; 0");
  EXPECT_EQ(RunText("f(x)~x+g(1), g(y)~x*y, x=10, f(2), x"), "Null; Null; 10; 4; 10");
  EXPECT_EQ(RunText("h(3)+1, h(n)~n*2"), "7; Null");
  EXPECT_EQ(RunText("a(n)~if(eq(n,0),0,b(n-1)), b(n)~1+a(n), a(6)"), "Null; Null; 6");
}

TEST(Calls, ManyFunctionsAppliedOverAndOverKeepTheirNames) {
  // More names than the compile's table of applied names has slots, each
  // applied twice, some before their definitions.
  std::string defs, uses, expected;
  for (int i = 0; i < 150; ++i) {
    const std::string name = "fn" + std::to_string(i);
    defs += name + "(x)~x+" + std::to_string(i) + ",";
    uses += "," + name + "(1)+" + name + "(2)";
    expected += "; " + std::to_string(2 * i + 3);
  }
  std::string nulls;
  for (int i = 0; i < 150; ++i) nulls += i == 0 ? "Null" : "; Null";
  EXPECT_EQ(RunText(defs + "0" + uses), nulls + "; 0" + expected);
  EXPECT_EQ(RunText("0" + uses + "," + defs.substr(0, defs.size() - 1)), "0" + expected + "; " + nulls);
}

TEST(Calls, FailingIfRestoresTheCallersParameters) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("f(x)~if(x+0,1,2), x=5, f(3), x");
  ASSERT_FALSE(e.Error);
  EXPECT_EQ(e.DoVectorOfMathExpressions(), nullptr);
  EXPECT_NE(e.ErrorMessage.find("Incorrect boolean type"), std::string::npos) << e.ErrorMessage;
  EXPECT_EQ(ValueToText(*(*e.Variables())[0]->Value), "5");
  // The function stack is balanced: the next run gives the same outcome.
  EXPECT_EQ(e.DoVectorOfMathExpressions(), nullptr);
  EXPECT_EQ(ValueToText(*(*e.Variables())[0]->Value), "5");
}

TEST(Calls, NestingLimit) {
  EXPECT_EQ(RunText("g(n)~if(eq(n,0),0,1+g(n-1)), g(199)"), "Null; 199");
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("g(n)~if(eq(n,0),0,1+g(n-1)), g(200)");
  ASSERT_FALSE(e.Error);
  EXPECT_EQ(e.DoVectorOfMathExpressions(), nullptr);
  EXPECT_EQ(e.ErrorCode, -42);
  EXPECT_EQ(e.ErrorMessage, "ExecuteComand-> NON MATH EXCEPTION WAS RAISED : FUNCTION STACK IS OVERFLOW : g");
  EXPECT_EQ(ExecuteErrorLine(e), "Stack overflow :  function stack is overflow : g");
  // Depth counters are back at zero: a shallow call works afterwards.
  e.VerifySyntaxSemantics("g(n)~if(eq(n,0),0,1+g(n-1)), g(3)");
  EXPECT_EQ(RunText(e, "g(n)~if(eq(n,0),0,1+g(n-1)), g(3)"), "Null; 3");
}

TEST(Calls, DeepRecursionNeverExhaustsTheNativeStack) {
  // Either the call finishes with the right value or it ends in the fatal
  // error; 60000 nested calls cannot fit in the native stack budget.
  for (int n : {900, 5000, 9999, 60000}) {
    THelmaxComplexEval e;
    e.MaxFunctionDepth = 100000;
    e.VerifySyntaxSemantics("g(n)~if(eq(n,0),0,1+g(n-1)), g(" + std::to_string(n) + ")");
    ASSERT_FALSE(e.Error);
    TValue* const* r = e.DoVectorOfMathExpressions();
    if (r != nullptr) {
      EXPECT_EQ(ValueToText(*r[1]), std::to_string(n));
      EXPECT_LT(n, 60000);
    } else {
      EXPECT_EQ(e.ErrorCode, -35) << e.ErrorMessage;
      EXPECT_EQ(ExecuteErrorLine(e).rfind("Fatal error", 0), 0u);
    }
  }
  // Fifty functions calling each other in a ring, each under its own limit
  // (180 activations of each), 9000 calls deep.
  std::string text;
  for (int i = 0; i < 50; ++i)
    text += "f" + std::to_string(i) + "(n)~if(eq(n,0),0,1+f" + std::to_string((i + 1) % 50) + "(n-1)),";
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics(text + "f0(9000)");
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  if (TValue* const* r = e.DoVectorOfMathExpressions(); r != nullptr) {
    EXPECT_EQ(ValueToText(*r[50]), "9000");
  } else {
    EXPECT_EQ(e.ErrorCode, -35) << e.ErrorMessage;
  }
  EXPECT_EQ(RunText(e, text + "f0(120)").substr(RunText(e, text + "f0(120)").size() - 3), "120");
}

TEST(Calls, LargeBodiesAtTheDefaultDepth) {
  std::string body = "n";
  for (int i = 0; i < 300; ++i) body = "(" + body + "+" + std::to_string(i) + "*0)";
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("g(n)~if(eq(n,0),0,1+g(n-1)+0*" + body + "), g(199)");
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  TValue* const* r = e.DoVectorOfMathExpressions();
  ASSERT_NE(r, nullptr) << e.ErrorMessage;
  EXPECT_EQ(ValueToText(*r[1]), "199");
}

// A call keeps the frame of a body that is a single if together with its
// own; the same function with its if inside Bk runs the if with the if's own
// frame. Random recursive definitions, with temporaries that must survive
// the inner calls, assignments, missing else branches, non-boolean
// conditions and failures, give the same results, errors and variables in
// three runs after each other.
TEST(Calls, ABodyThatIsOneIfBehavesAsTheSameIfInsideBk) {
  std::mt19937 rng(7);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  std::function<std::string(int)> expr = [&](int depth) -> std::string {
    static const char* const leaves[] = {"n", "m", "x", "2", "(n-1)", "(n+2)", "g0(n-1,m)", "g1(n-1,n)"};
    if (depth == 0 || pick(3) == 0) return leaves[pick(8)];
    const std::string a = expr(depth - 1), b = expr(depth - 1);
    switch (pick(6)) {
      case 0: return a + "+" + b;
      case 1: return a + "*" + b;
      case 2: return "(" + a + ")/(" + b + ")";
      case 3: return "x=" + a;
      case 4: return "if(ls(" + a + ",2)," + b + ")";
      default: return "if(gr(" + a + ",1)," + b + "," + expr(depth - 1) + ")";
    }
  };
  auto outcome = [](const std::string& text) {
    THelmaxComplexEval e;
    e.MaxFunctionDepth = 30;
    std::string out = RunText(e, text);
    if (e.Error) return out;
    for (int run = 0; run < 2; ++run) {
      TValue* const* r = e.DoVectorOfMathExpressions();
      out += r == nullptr ? " | " + ExecuteErrorLine(e) : " | " + ValueToText(*r[e.ExpressionCount - 1]);
      for (const TVariable* v : *e.Variables()) out += " " + v->Name + "=" + ValueToText(*v->Value);
    }
    return out;
  };
  int successes = 0;
  for (int t = 0; t < 1500; ++t) {
    std::string plain = "x=1,n=" + std::to_string(pick(4)) + ",m=2", inBk = plain;
    for (int k = 0; k < 2; ++k) {
      const std::string cond = pick(10) == 0 ? "n+0" : pick(2) ? "ls(n,1)" : "eq(n,0)";
      const std::string body = "if(" + cond + "," + expr(2) + (pick(6) == 0 ? "" : "," + expr(3)) + ")";
      plain += ",g" + std::to_string(k) + "(n,m)~" + body;
      inBk += ",g" + std::to_string(k) + "(n,m)~bk(" + body + ")";
    }
    const std::string tail =
        ",n-1,(n+2)*x," + expr(2) + ",g" + std::to_string(pick(2)) + "(" + std::to_string(pick(6)) + ",1)";
    const std::string a = outcome(plain + tail);
    ASSERT_EQ(a, outcome(inBk + tail)) << plain + tail;
    successes += a.find("Null") != std::string::npos && a.find("parse:") == std::string::npos ? 1 : 0;
  }
  EXPECT_GT(successes, 500);
}

// ---- loops ----------------------------------------------------------------------------------

TEST(Loops, IterationLimit) {
  EXPECT_EQ(RunText("Bk(n=10,s=0,i=0,While(Lseq(i,n-1),Bk(i=i+1,s=s+i)),s)"), "55");
  EXPECT_EQ(RunText("i=0, While(ls(i,100000), i=i+1), i"), "0; Null; 100000");
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("i=0, While(ls(i,100001), i=i+1), i");
  EXPECT_EQ(e.DoVectorOfMathExpressions(), nullptr);
  EXPECT_EQ(e.ErrorMessage,
            "ExecuteComand-> NON MATH EXCEPTION WAS RAISED : INFINITE LOOP IN WHILE : MaxIteration=100000 : while");
  e.MaxIteration = 0;
  e.VerifySyntaxSemantics("i=0, While(ls(i,1), i=i+1), i");
  EXPECT_EQ(e.DoVectorOfMathExpressions(), nullptr);
  EXPECT_EQ(ValueToText(*(*e.Variables())[0]->Value), "0") << "the body never ran";
}

TEST(Loops, NonBooleanTestAndNoShortCircuit) {
  EXPECT_EQ(RunText("i=0, While(i, i=i+1)").rfind("exec: Execution error", 0), 0u);
  EXPECT_EQ(RunText("x=1, and(false, x)").rfind("exec: Execution error", 0), 0u);
  EXPECT_EQ(RunText("x=3, If(x, 1, 2)").rfind("exec: Execution error", 0), 0u);
}

// ---- DoRunTimeFunction --------------------------------------------------------------------

TEST(DoRunTimeFunction, CallsAndFailures) {
  THelmaxComplexEval e;
  int fired = 0;
  e.OnExecuteError = [&](THelmaxComplexEval&) { ++fired; };
  TValue r;
  e.DoRunTimeFunction(0, {TValue::MakeReal(1)}, r);
  EXPECT_EQ(e.ErrorCode, -1);
  e.VerifySyntaxSemantics("f(x)~x^2, g(a,b)~a/b");
  ASSERT_FALSE(e.Error);
  e.DoRunTimeFunction(0, {TValue::MakeReal(3)}, r);
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  EXPECT_EQ(ValueToText(r), "9");
  EXPECT_EQ(ValueToText(*(*e.Variables())[0]->Value), "3") << "the parameter keeps the value of the call";
  e.DoRunTimeFunction(0, {TValue::MakeReal(3), TValue::MakeReal(4)}, r);
  EXPECT_EQ(e.ErrorCode, -17);
  EXPECT_EQ(e.ErrorMessage, "DoRunTimeFunction-> VARIABLE COUNT IS DIFFERENT FOR VALUE COUNT");
  EXPECT_TRUE(r.IsNull());
  e.DoRunTimeFunction(1, {TValue::MakeReal(1), TValue::MakeReal(0)}, r);
  EXPECT_TRUE(e.Error);
  EXPECT_EQ(e.ErrorCode, -26);
  EXPECT_EQ(e.MathErrorKind, 4);
  e.DoRunTimeFunction(7, {}, r);
  EXPECT_TRUE(e.Error);
  EXPECT_EQ(fired, 4);
  e.DoRunTimeFunction(1, {TValue::MakeReal(1), TValue::MakeReal(4)}, r);
  EXPECT_FALSE(e.Error);
  EXPECT_EQ(ValueToText(r), "0.25");
}

TEST(DoRunTimeFunction, FirstCallBeforeTheDefinition) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("y=10, h(y+1), h(n)~n*2");
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  ASSERT_NE(e.DoVectorOfMathExpressions(), nullptr);
  TValue r;
  e.DoRunTimeFunction(0, {TValue::MakeReal(5)}, r);
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  EXPECT_EQ(ValueToText(r), "10");
  // The cells of the expression y+1 were not written.
  TValue* const* v = e.DoVectorOfMathExpressions();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(ValueToText(*v[1]), "22");
}

}  // namespace
}  // namespace helmax
