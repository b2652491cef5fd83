// The compiler: syntax rules, error codes and messages, precedence, sharing,
// folding, literals and identifiers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <type_traits>
#include <vector>

#include "../common/CaseNames.h"
#include "EngineTestUtil.h"
#include "Operations.h"

namespace helmax {
namespace {

using test::CompileCode;
using test::RunText;

// ---- error codes and messages of compiling ------------------------------------

struct TCompileErrorCase {
  const char* Text;
  int Code;
  const char* MessageStart;  // start of ErrorMessage, or nullptr
  const char* HostLine;      // start of the parse formatter's line, or nullptr
};

class CompileErrors : public ::testing::TestWithParam<TCompileErrorCase> {};

TEST_P(CompileErrors, CodeMessageAndHostLine) {
  const TCompileErrorCase& c = GetParam();
  THelmaxComplexEval e;
  int fired = 0;
  e.OnParseError = [&](THelmaxComplexEval&) { ++fired; };
  e.VerifySyntaxSemantics(c.Text);
  ASSERT_TRUE(e.Error) << c.Text;
  EXPECT_EQ(e.ErrorCode, c.Code) << c.Text << " -> " << e.ErrorMessage;
  EXPECT_EQ(fired, 1) << c.Text;
  EXPECT_EQ(e.ExpressionCount, 0) << "a failed compile leaves the engine empty";
  EXPECT_EQ(e.VariableCount(), 0);
  if (c.MessageStart != nullptr) { EXPECT_EQ(e.ErrorMessage.rfind(c.MessageStart, 0), 0u) << e.ErrorMessage; }
  if (c.HostLine != nullptr) {
    const std::string line = ParseErrorLine(e);
    EXPECT_EQ(line.rfind(c.HostLine, 0), 0u) << c.Text << " -> " << line;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CompileErrors,
    ::testing::Values(
        TCompileErrorCase{")(", -22, "VerifySyntaxSemanticsRule-> PARANTHESES SYNTAX ERROR", "Invalid expression"},
        TCompileErrorCase{") (", -22, "StergeSpatii-> SYNTAX ERROR: (", "Invalid expression"},
        TCompileErrorCase{"((1)", -2, "VerifySyntaxSemanticsRule-> PARANTHESES SYNTAX ERROR", "Mismatched parenthesis"},
        TCompileErrorCase{"(1))", -2, nullptr, "Mismatched parenthesis"},
        TCompileErrorCase{"   ", -4, "VerifySyntaxSemanticsRule-> MATH EXPRESSION IS EMPTY",
                          "Mathematical expression is empty"},
        TCompileErrorCase{"2 x", -11, "StergeSpatii-> UNKNOWN EXPRESSION: 2'_'", "Unknown expression :  2'_'"},
        TCompileErrorCase{"{1}", -11, "StergeSpatii-> UNKNOWN EXPRESSION: {", "Unknown expression"},
        TCompileErrorCase{"1+}", -11, "StergeSpatii-> UNKNOWN EXPRESSION: }", "Unknown expression"},
        TCompileErrorCase{"2e3.5", -11, "FormatareaExponentei-> UNKNOWN EXPRESSION: 2e3.5", "Unknown expression"},
        TCompileErrorCase{"2e+", -11, "FormatareaExponentei-> UNKNOWN EXPRESSION: 2e+", "Unknown expression"},
        TCompileErrorCase{"1e999", -12, "FormatareaExponentei-> : ", "Invalid exponent value"},
        TCompileErrorCase{"2x", -7, "IsValidIdentName-> NOT VALID PASCAL IDENTIFIER : 2x", "Invalid identifier :  2x"},
        TCompileErrorCase{"caf\xC3\xA9=1", -7, nullptr, "Invalid identifier"},
        TCompileErrorCase{"2=3", -21, "EvalExpres-> PROTECTED EXPRESSION ON =: 2",
                          "Cannot set value for protected expression"},
        TCompileErrorCase{"(x+1)=3", -21, nullptr, "Cannot set value for protected expression"},
        TCompileErrorCase{"x=y=3", -21, nullptr, "Cannot set value for protected expression"},
        TCompileErrorCase{"pi=3", -21, nullptr, nullptr},
        TCompileErrorCase{"x=1, x(1)", -31, "ExpresieSemanticCorecta->  UNKNOWN FUNCTION: x", "Undefined function"},
        TCompileErrorCase{"x=", -33, "Compile-> SYNTAX ERROR :", "Syntax error : "},
        TCompileErrorCase{"1,,2", -33, "Compile-> SYNTAX ERROR :", "Syntax error"},
        TCompileErrorCase{"1,2,", -33, nullptr, "Syntax error"},
        TCompileErrorCase{"f(1,)", -33, nullptr, "Syntax error"},
        TCompileErrorCase{"pi()", -33, nullptr, "Syntax error"}, TCompileErrorCase{"()", -33, nullptr, "Syntax error"},
        TCompileErrorCase{"*2", -33, nullptr, "Syntax error"}, TCompileErrorCase{"(a)b", -33, nullptr, "Syntax error"},
        TCompileErrorCase{"12.31:10", -33, "Compile-> SYNTAX ERROR :12.31:10", "Syntax error : 12.31:10"},
        TCompileErrorCase{"12.31.20081:10", -33, nullptr, "Syntax error"},
        TCompileErrorCase{"13.45.2008", -33, nullptr, "Syntax error"},
        TCompileErrorCase{"02.30.2009", -33, nullptr, "Syntax error"},
        TCompileErrorCase{"1.2.3.4", -33, nullptr, "Syntax error"},
        TCompileErrorCase{"(1,2)+1", -34, "ParseForward-> SYNTAX ERROR : ", "Comma syntax error"},
        TCompileErrorCase{"2*(1,2)", -34, nullptr, "Comma syntax error"},
        TCompileErrorCase{"max((1,2),3)", -34, nullptr, "Comma syntax error"},
        TCompileErrorCase{"((1,2))+1", -34, nullptr, "Comma syntax error"},
        TCompileErrorCase{"1,(2,3)", -34, nullptr, "Comma syntax error"},
        TCompileErrorCase{"-(1,2)", -34, nullptr, "Comma syntax error"},
        TCompileErrorCase{"x~1", -36, "EvalExpres-> INVALID FUNCTION NAME ON ~ : x", "Invalid function name"},
        TCompileErrorCase{"sin(x)~x", -21, "EvalExpres-> PROTECTED EXPRESSION ON ~: sin(x)",
                          "Cannot set value for protected expression"},
        TCompileErrorCase{"f(x)~x, f(x)~x+1", -37, "EvalExpres-> THIS FUNCTION WAS DEFINED ON ~ : f(x)",
                          "Dublicating defined function"},
        TCompileErrorCase{"f(3)", -38, "VerifySyntaxSemanticsRule-> FUNCTION WAS NOT IMPLIMENTED : f",
                          "Defined function was not implimented"},
        TCompileErrorCase{"f(2)~x", -40, "EvalExpres-> INVALID ARGUMENT NAME FOR : f(2) : 2",
                          "Invalid argument name for defined function"},
        TCompileErrorCase{"f(x,x)~x", -41, "EvalExpres-> INVALID ARGUMENT SYNTAX FOR : f(x,x) : x",
                          "Dublicating argument name for defined function"},
        TCompileErrorCase{"1/0", -26, "ExceptieExprConst-> EZeroDivide->Attempt to divide by zero : 1 / 0",
                          "Division by 0"},
        TCompileErrorCase{"0/0", -26, nullptr, "Invalid value for / : "},
        TCompileErrorCase{"1e300*1e300", -25, nullptr, "Invalid value for * : "},
        TCompileErrorCase{"0^-1", -29, nullptr, "Invalid value for ^"},
        TCompileErrorCase{"true*2", -33, "Compile-> SYNTAX ERROR :true*2", "Syntax error"},
        TCompileErrorCase{"sqrt(1,2)", 7, "Invalid number of function arguments for: SQRT",
                          "Invalid number of function arguments for: SQRT"},
        TCompileErrorCase{"sin", 4, "Invalid number of function arguments for: SIN", nullptr},
        TCompileErrorCase{"and(true)", 37, "Invalid number of function arguments for: AND", nullptr},
        TCompileErrorCase{"while(true,1,2)", 42, "Invalid number of function arguments for: WHILE", nullptr},
        TCompileErrorCase{"directedinfinity(2)", 76, "Invalid number of function arguments for: DIRECTEDINFINITY",
                          nullptr},
        TCompileErrorCase{"directedinfinity(x)", 76, nullptr, nullptr},
        TCompileErrorCase{"sqrt(-1)", 7, "ExceptieFunctie-> ", "Invalid value for SQRT : "},
        TCompileErrorCase{"if(1,2,3)", 40, "ValFunct-> if FUNCTION ARGUMENTS ESCAPE DEFINITION DOMIAN : ", nullptr},
        TCompileErrorCase{"while(true,x)", 42, nullptr, nullptr}),
    test::NamedBy([](const TCompileErrorCase& c) { return c.Text; }));

TEST(CompileErrors, KindsOfFoldingFailures) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("1/0");
  EXPECT_EQ(e.MathErrorKind, 4);
  e.VerifySyntaxSemantics("sqrt(-1)");
  EXPECT_EQ(e.MathErrorKind, 5);
  EXPECT_EQ(ParseErrorLine(e).substr(ParseErrorLine(e).size() - 12), " : InvalidOp");
  e.VerifySyntaxSemantics("sqrt(1,2)");
  EXPECT_EQ(e.MathErrorKind, -1);
  e.VerifySyntaxSemantics("while(true, x)");
  EXPECT_NE(e.ErrorMessage.find("WHILE LOOP IS UNUTILITY"), std::string::npos);
}

TEST(CompileErrors, UnknownVariableWithoutAutoDeclare) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("x+1", "", false);
  ASSERT_TRUE(e.Error);
  EXPECT_EQ(e.ErrorCode, -32);
  EXPECT_EQ(e.ErrorMessage, "ExpresieSemanticCorecta->  UNKNOWN VARIABLE: x");
  EXPECT_EQ(ParseErrorLine(e), "Undefined variable :  x");
  e.VerifySyntaxSemantics("2x+1", "", false);
  EXPECT_EQ(e.ErrorCode, -33);

  e.VerifySyntaxSemantics("x+1");
  ASSERT_FALSE(e.Error);
  EXPECT_EQ(e.VariableCount(), 1);
  EXPECT_EQ(e.GetVarName(1), "x");
}

TEST(CompileErrors, DerivativeVariableIsChecked) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemanticsAndDerivation("x^2", "x", false, "2y");
  ASSERT_TRUE(e.Error);
  EXPECT_EQ(e.ErrorCode, -3);
  EXPECT_EQ(e.ErrorMessage.rfind("VerifySyntaxSemanticsRule-> INVALID DERIVATIVE VARIABLE NAME;IsValidIdentName->", 0),
            0u);
}

TEST(CompileErrors, NameListStopsAtAnEmptyItem) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("x+y", "x,,y", false);
  ASSERT_TRUE(e.Error);
  EXPECT_EQ(e.ErrorCode, -7);
  EXPECT_NE(e.ErrorMessage.find(",y"), std::string::npos) << e.ErrorMessage;
  e.VerifySyntaxSemantics("x+y", " x , y ", false);
  EXPECT_FALSE(e.Error) << e.ErrorMessage;
}

TEST(CompileErrors, LongDetailIsCutTo256Characters) {
  std::string name(300, 'a');
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics(name + "+1");
  ASSERT_TRUE(e.Error);
  EXPECT_EQ(e.ErrorCode, -6);
  const std::string line = ParseErrorLine(e);
  const std::string head = "Identifier length is too long";
  ASSERT_EQ(line.rfind(head, 0), 0u);
  EXPECT_EQ(line.size() - head.size(), 256u);
}

// ---- precedence and associativity ------------------------------------------------

struct TEvalCase {
  const char* Text;
  const char* Expected;
};

class Evaluation : public ::testing::TestWithParam<TEvalCase> {};

TEST_P(Evaluation, GivesTheExpectedLines) {
  EXPECT_EQ(RunText(GetParam().Text), GetParam().Expected) << GetParam().Text;
}

INSTANTIATE_TEST_SUITE_P(
    Precedence, Evaluation,
    ::testing::Values(TEvalCase{"-2^2", "-4"}, TEvalCase{"2^3^2", "512"}, TEvalCase{"8/2/2", "2"},
                      TEvalCase{"2^-1", "0.5"}, TEvalCase{"a=3, b=4, a*-b", "3; 4; -12"},
                      TEvalCase{"a=3, b=4, -a*b", "3; 4; -12"}, TEvalCase{"2*-3^2", "-18"}, TEvalCase{"10-4-3", "3"},
                      TEvalCase{"2+3*4^2", "50"}, TEvalCase{"--3", "3"}, TEvalCase{"-(-(-3))", "-3"},
                      TEvalCase{"+3", "3"}, TEvalCase{"2^-3^2", "0.001953125"}, TEvalCase{"y=2, x=y+1, x", "2; 3; 3"},
                      TEvalCase{"n=3, n*2", "3; 6"}, TEvalCase{"(1,2)", "1; 2"}, TEvalCase{"((1,2))", "1; 2"},
                      TEvalCase{"max(1,(2),3)", "3"}, TEvalCase{"(x=1, x+1)", "1; 2"},
                      TEvalCase{"x=0, max(x=2, x^2)", "0; 4"}, TEvalCase{"SIN(0)+Sin(0)+sin(0)", "0"},
                      TEvalCase{"2E3+2e3", "4000"}, TEvalCase{"0.1E+3", "100"}, TEvalCase{"1e-400", "0"},
                      TEvalCase{".5+5.", "5.5"}, TEvalCase{"rate=2, rate-1", "2; 1"},
                      TEvalCase{"e+1", "3.71828182845905"}, TEvalCase{"power(-27, 1/3), power(-8, 2/3)", "-3; 4"}),
    test::NamedBy([](const TEvalCase& c) { return c.Text; }));

INSTANTIATE_TEST_SUITE_P(
    RunTimeFunctions, Evaluation,
    ::testing::Values(TEvalCase{"x=5, f(x)~x^2, f(3), x", "5; Null; 9; 5"},
                      TEvalCase{"Fact(n)~if(eq(n,0),1,n*Fact(n-1)), Fact(5)", "Null; 120"},
                      TEvalCase{"f(x)~x, f(x)~x", "Null; Null"}, TEvalCase{"g(x)~(-x)^2, g(3)", "Null; 9"},
                      TEvalCase{"f(x)~x+g(1), g(y)~x*y, x=10, f(2), x", "Null; Null; 10; 4; 10"},
                      TEvalCase{"Bk(n=10,s=0,i=0,While(Lseq(i,n-1),Bk(i=i+1,s=s+i)),s)", "55"},
                      TEvalCase{"x=0, if(ls(x,1), 5), if(gr(x,1), 5), if(ls(x,1), 1, sqrt(x-2))", "0; 5; Null; 1"},
                      TEvalCase{"n=0, inc(k)~n=n+k, While(ls(n,10), inc(1)), n", "0; Null; Null; 10"}),
    test::NamedBy([](const TEvalCase& c) { return c.Text; }));

// ---- sharing ---------------------------------------------------------------------

TEST(Sharing, EqualSubExpressionsShareOneInstruction) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("sin(x)+sin(x)");
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  ASSERT_EQ(e.Instructions().size(), 2u);
  EXPECT_EQ(e.Instructions()[0].Code, 11);
  EXPECT_EQ(e.MainProgram(), (TProgram{1, 1, 2}));
  const TInstruction& plus = e.Instructions()[1];
  EXPECT_EQ(plus.Code, opAdd);
  EXPECT_EQ(plus.Operands[0], plus.Operands[1]);
  EXPECT_EQ(plus.Operands[0], e.Instructions()[0].Result);
}

TEST(Sharing, RepeatedAssignmentIsOneRecord) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("x=0, x=x+1, x=x+1");
  ASSERT_FALSE(e.Error);
  TValue* const* r = e.DoVectorOfMathExpressions();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r[1], r[2]);
  EXPECT_EQ(ValueToText(*r[0]) + "," + ValueToText(*r[1]) + "," + ValueToText(*r[2]), "0,2,2");
  EXPECT_EQ(ValueToText(*(*e.Variables())[0]->Value), "2");
  EXPECT_EQ(RunText("x=0, x=x+1, x=x+2"), "0; 1; 3");
}

TEST(Sharing, RandomIsNeverShared) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("random(10)+random(10)");
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  int randoms = 0;
  for (const TInstruction& ins : e.Instructions()) randoms += ins.Code == opRandom;
  EXPECT_EQ(randoms, 2);
}

TEST(Sharing, CaseDoesNotMatter) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("SIN(X)+sin(x)");
  ASSERT_FALSE(e.Error);
  EXPECT_EQ(e.Instructions().size(), 2u);
  EXPECT_EQ(e.VariableCount(), 1);
}

// A text long enough for its leaves to be looked up ahead shares them as a
// short one does: one instruction per distinct operation.
TEST(Sharing, LongTextsShareTheirLeavesToo) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += (i > 0 ? "," : "") + std::string(i % 2 == 0 ? "sin(x)*2+3.5e1" : "x/7-sin(x)");
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics(text);
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  EXPECT_EQ(e.Instructions().size(), 5u);  // sin, *, +, /, -
}

// Every repeat of an operation is shared, however many operations came
// between (the newest ones wait to be placed in the table) and while the
// table grows: one instruction per distinct operation.
TEST(Sharing, RepeatsAtEveryDistanceShareOneInstruction) {
  std::string text;
  for (int i = 0; i < 300; ++i)
    text += (i > 0 ? "," : "") + std::string("(x+") + std::to_string(i % 37) + ")*(y-" + std::to_string(i % 23) + ")";
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics(text);
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  EXPECT_EQ(e.Instructions().size(), 37u + 23u + 300u);  // the sums, the differences, the products
}

TEST(Sharing, NothingIsSharedWithTheLastCompile) {
  // An engine that compiles texts of growing length gives what a fresh
  // engine gives: the sharing table may grow between compiles, and none of
  // the former compile's entries may survive that.
  THelmaxComplexEval reused;
  std::string text = "a0=-5";
  std::string names = "a0";
  for (int n = 1; n < 40; ++n) {
    text += ",a" + std::to_string(n) + "=a" + std::to_string(n - 1) + "*2+" + std::to_string(n % 3);
    names += ",a" + std::to_string(n);
    reused.VerifySyntaxSemantics(text, names, false);
    ASSERT_FALSE(reused.Error) << reused.ErrorMessage;
    ASSERT_NE(reused.DoVectorOfMathExpressions(), nullptr) << n << ": " << reused.ErrorMessage;
    THelmaxComplexEval fresh;
    fresh.VerifySyntaxSemantics(text, names, false);
    ASSERT_NE(fresh.DoVectorOfMathExpressions(), nullptr);
    for (int i = 0; i <= n; ++i)
      ASSERT_EQ(ValueToText(*reused.Results[i]), ValueToText(*fresh.Results[i])) << n << " " << i;
  }
}

// ---- folding -----------------------------------------------------------------------

TEST(Folding, KnownOperandsBecomeOneConstant) {
  for (const char* text : {"2*3+x", "x+2*3"}) {
    THelmaxComplexEval e;
    e.VerifySyntaxSemantics(text);
    ASSERT_FALSE(e.Error);
    ASSERT_EQ(e.Instructions().size(), 1u) << text;
    const TInstruction& ins = e.Instructions()[0];
    EXPECT_EQ(ins.Code, opAdd);
    const TValue& six = text[0] == '2' ? *ins.Operands[0] : *ins.Operands[1];
    EXPECT_EQ(ValueToText(six), "6");
  }
}

TEST(Folding, ConstantTextHasNoInstructions) {
  for (const char* text :
       {"pi*2+sin(1)^2", "e", "zero", "degree", "null", "true", "if(true,1,2)", "bk(1,2,3)", "directedinfinity(-1)"}) {
    THelmaxComplexEval e;
    e.VerifySyntaxSemantics(text);
    ASSERT_FALSE(e.Error) << text << ": " << e.ErrorMessage;
    EXPECT_TRUE(e.Instructions().empty()) << text;
    EXPECT_TRUE(e.InvariantExpression) << text;
    EXPECT_FALSE(e.DependsOnVariables) << text;
  }
  EXPECT_EQ(RunText("zero"), "1E-13");
  EXPECT_EQ(RunText("degree*180"), RunText("pi"));
  EXPECT_EQ(RunText("e"), ValueToText(TValue::MakeReal(std::exp(1.0))));
  EXPECT_EQ(RunText("directedinfinity(-1), directedinfinity(1)"), "-INF; INF");
  EXPECT_EQ(RunText("nan"), "-NAN");
  EXPECT_EQ(RunText("bk(1,2,3)"), "3");
}

TEST(Folding, RationalPower) {
  EXPECT_EQ(RunText("(-8)^(1/3)"), "-2");
  EXPECT_EQ(RunText("(-8)^(2/3)"), "4");
  EXPECT_EQ(CompileCode("(-8)^0.3333333333333333"), -29);
  EXPECT_EQ(RunText("x=-8, x^(1/3), x^(2/3)"), "-8; -2; 4");
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("x^(1/3)");
  ASSERT_FALSE(e.Error);
  EXPECT_EQ(e.Instructions().back().Count, 3);
}

TEST(Folding, CurrencyNumbers) {
  THelmaxComplexEval e;
  e.SetCurrencyNumbers(true);
  EXPECT_EQ(RunText(e, "0.1+0.2, iscurrency(0.1+0.2), isreal(1e-1), 1.0001/2"), "0.3; True; True; 0.5");
}

TEST(Folding, LinearExpressionFlag) {
  struct {
    const char* Text;
    bool Linear;
  } cases[] = {{"2*x+3", true}, {"x*y", false},    {"x/y", false}, {"x/2", true},
               {"x^1", false},  {"sin(x)", false}, {"x=1", false}, {"-x+y", true}};
  for (const auto& c : cases) {
    THelmaxComplexEval e;
    e.VerifySyntaxSemantics(c.Text);
    ASSERT_FALSE(e.Error);
    EXPECT_EQ(e.LinearExpression, c.Linear) << c.Text;
  }
}

// ---- literals ------------------------------------------------------------------------

TEST(Literals, DatesTimesAndNumbers) {
  EXPECT_EQ(RunText("12.31.2008"), "12.31.2008");
  EXPECT_EQ(RunText("isdatetime(12.31.2008)"), "True");
  EXPECT_EQ(RunText("12.2008"), "12.2008");
  EXPECT_EQ(RunText("12.31.2008:10:30"), "12.31.2008:10:30:00AM");
  EXPECT_EQ(RunText("12.31.2008:10:30:00PM"), "12.31.2008:10:30:00PM");
  EXPECT_EQ(RunText("1.2.08, 1.2.50"), "01.02.2008; 01.02.1950");
  EXPECT_EQ(RunText("isdatetime(10:30pm)"), "True");
  // Literals are read before names even when unknown names are declared.
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("12.31.2008");
  EXPECT_EQ(e.VariableCount(), 0);
}

// ---- identifiers ------------------------------------------------------------------------

TEST(Identifiers, IsValidIdentName) {
  THelmaxComplexEval e;
  EXPECT_FALSE(e.IsValidIdentName("Sin"));
  EXPECT_EQ(e.ErrorCode, -8);
  EXPECT_EQ(e.ErrorMessage, "IsValidIdentName-> IDENTIFIER CANNOT BE A RESERVED NAME: sin");
  EXPECT_FALSE(e.IsValidIdentName("2x"));
  EXPECT_EQ(e.ErrorCode, -7);
  EXPECT_FALSE(e.IsValidIdentName(std::string(256, 'a')));
  EXPECT_EQ(e.ErrorCode, -6);
  EXPECT_TRUE(e.IsValidIdentName(std::string(255, 'a')));
  EXPECT_FALSE(e.IsValidIdentName("   "));
  EXPECT_EQ(e.ErrorCode, -5);
  EXPECT_TRUE(e.IsValidIdentName(" x "));
  EXPECT_TRUE(e.IsValidIdentName("_a1"));
  EXPECT_FALSE(e.IsValidIdentName("caf\xC3\xA9"));
  ASSERT_TRUE(e.NameVariable(1, "Alpha"));
  EXPECT_FALSE(e.IsValidIdentName("ALPHA"));
  EXPECT_EQ(e.ErrorCode, -9);
  EXPECT_EQ(e.ErrorMessage, "IsValidIdentName-> IDENTIFIER NAME ALREADY EXIST : alpha");
}

TEST(Identifiers, ProtectionFlagsOfDeclaredVariables) {
  THelmaxComplexEval e;
  e.ProtectDigitVariables = true;
  ASSERT_TRUE(e.NameVariable(1, "c1"));
  ASSERT_TRUE(e.NameVariable(2, "c"));
  EXPECT_EQ((*e.Variables())[0]->Protected, 1);
  EXPECT_EQ((*e.Variables())[1]->Protected, 0);

  THelmaxComplexEval p;
  p.ProtectOtherVariables = true;
  p.VerifySyntaxSemantics("x=5");
  EXPECT_EQ(p.ErrorCode, -21);
  p.VerifySyntaxSemantics("x1=5");
  EXPECT_FALSE(p.Error);
  p.ProtectDigitVariables = true;
  p.VerifySyntaxSemantics("x1=5");
  EXPECT_EQ(p.ErrorCode, -21);
}

TEST(Identifiers, NameVariableIndexRules) {
  THelmaxComplexEval e;
  EXPECT_FALSE(e.NameVariable(2, "a"));
  EXPECT_EQ(e.ErrorMessage, "PuneNumeVar-> NO VARIABLES EXIST");
  ASSERT_TRUE(e.NameVariable(1, " a "));
  EXPECT_EQ(e.GetVarName(1), "a");
  EXPECT_FALSE(e.NameVariable(3, "b"));
  EXPECT_EQ(e.ErrorMessage, "PuneNumeVar-> VARIABLE INDEX MUST BE BETWEEN 1 AND 2");
  EXPECT_TRUE(e.Error);
  ASSERT_TRUE(e.NameVariable(1, "b"));  // renames
  EXPECT_EQ(e.GetVarName(1), "b");
  EXPECT_EQ(e.VariableCount(), 1);
  ASSERT_TRUE(e.NameSharedVariable(2, " c ", true, nullptr));
  EXPECT_EQ(e.GetVarName(2), " c ");
  EXPECT_FALSE(e.NameSharedVariable(4, "d", false, nullptr));
  EXPECT_EQ(e.ErrorMessage, "PuneNumePointerVar-> VARIABLE INDEX MUST BE BETWEEN 1 AND 3");
}

TEST(Identifiers, HostVariablesAndProtection) {
  TValue x = TValue::MakeReal(2), c = TValue::MakeReal(10);
  TUserVarArray vars{{"x", &x, 0}, {"c", &c, 1}};
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("x*c+1", vars, false);
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  TValue r;
  e.DoMathExpression(r);
  EXPECT_EQ(ValueToText(r), "21");
  x = TValue::MakeReal(3);
  e.DoMathExpression(r);
  EXPECT_EQ(ValueToText(r), "31");
  e.VerifySyntaxSemantics("c=1", vars, false);
  EXPECT_EQ(e.ErrorCode, -21);
  e.VerifySyntaxSemantics("x=7", vars, false);
  ASSERT_FALSE(e.Error);
  e.DoMathExpression(r);
  EXPECT_EQ(ValueToText(x), "7");
  e.Free();
  EXPECT_EQ(ValueToText(x), "7") << "host cells are never released or reset by Free";

  TUserVarArray bad{{"2x", &x, 0}, {"y", nullptr, 0}, {"z", nullptr, 0}};
  e.VerifySyntaxSemantics("1", bad, false);
  ASSERT_TRUE(e.Error);
  EXPECT_EQ(e.ErrorCode, -7);
  EXPECT_EQ(e.ErrorMessage, "PuneNumePointerVar-> NO VARIABLES EXIST");
}

// ---- construction and inspection ----------------------------------------------------------

void Zero(TValue* const*, int, TValue& r) { r = TValue::MakeReal(0); }

// Tearing an engine down never throws: a throwing destructor would end the
// program when an engine is destroyed during unwinding.
static_assert(std::is_nothrow_destructible_v<THelmaxComplexEval>);

TEST(Construction, FunctionTableChecks) {
  TUserFuncArray many(65432, test::Procedure("", Zero));
  THelmaxComplexEval tooMany(many);
  EXPECT_TRUE(tooMany.Error);
  EXPECT_EQ(tooMany.ErrorCode, -19);
  EXPECT_EQ(tooMany.ErrorMessage, "Create-> FUNCTION NUMBER MUST BE LESS THAN : 65431");
  EXPECT_EQ(tooMany.ExternalFunctionCount(), 0);

  TUserFuncArray dup{test::Procedure("F", Zero), test::Procedure("f", Zero)};
  THelmaxComplexEval d(dup);
  EXPECT_EQ(d.ErrorCode, -10);
  EXPECT_EQ(d.ExternalFunctionCount(), 0);

  TUserFuncRec nil;
  nil.Name = "g";
  THelmaxComplexEval n(TUserFuncArray{nil});
  EXPECT_EQ(n.ErrorCode, -20);
  EXPECT_EQ(n.ErrorMessage, "Create-> FUNCTION ADDRESS CANNOT BE NIL : g");
}

TEST(Construction, LargestFunctionTableIsAccepted) {
  TUserFuncArray many;
  many.reserve(65431);
  for (int i = 0; i < 65431; ++i) many.push_back(test::Procedure("f" + std::to_string(i), Zero));
  THelmaxComplexEval e(many);
  EXPECT_FALSE(e.Error) << e.ErrorMessage;
  EXPECT_EQ(e.ExternalFunctionCount(), 65431);
}

TEST(Construction, BannersAndInspection) {
  EXPECT_EQ(THelmaxComplexEval::EngineBanner(), "HELMAX COMPLEX & CURRENCY EVAL\u2122 1.2.1");
  EXPECT_EQ(THelmaxComplexEval::TypeBanner(), "COMPLEX, DOUBLE, CURRENCY, BOOLEAN, DATETIME");
  TUserFuncRec now = test::Procedure(" Now ", Zero, -1);
  THelmaxComplexEval e(TUserFuncArray{now});
  ASSERT_FALSE(e.Error);
  EXPECT_EQ(e.ExternalFunctionName(0), "Now");
  EXPECT_EQ(e.ExternalFunctionName(1), "INCORRECT FUNCTION INDEX");
  EXPECT_EQ(e.HelpText(105), "FUNCTION 'NOW' WITH 0 PARAMETERS IS DEFINED BY USER");
  e.VerifySyntaxSemantics("f(x)~x, g(a,b)~a");
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  EXPECT_EQ(e.FunctionCodeCount(), 104 + 1 + 2);
  EXPECT_EQ(e.HelpText(107), "RUNTIME FUNCTION 'G' WITH 2 PARAMETERS IS DEFINED BY USER");
  EXPECT_EQ(e.HelpText(108), "INDEX MUST BE BETWEEN  0 AND 107");
  EXPECT_EQ(e.RunTimeFunctionText(0), "f(x)~x");
  EXPECT_EQ(e.RunTimeFunctionText(2), "");
}

TEST(Construction, RunTimeFunctionTextKeepsANegatedBase) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("g(x)~(-x)^2");
  ASSERT_FALSE(e.Error);
  EXPECT_EQ(e.RunTimeFunctionText(0), "g(x)~((-x)^2)");
  // The definition text compiles again to the same function.
  EXPECT_EQ(RunText(e.RunTimeFunctionText(0) + ", g(3)"), "Null; 9");
}

TEST(Construction, DisplayTextOfTheCompiledExpression) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("  X + 1 ");
  EXPECT_EQ(e.MathExpressionString, "  X + 1 ");
  e.SetOriginalMathExpressionString(false);
  e.VerifySyntaxSemantics("a-(-x)");
  EXPECT_EQ(e.MathExpressionString, "a+x");
}

// ---- evaluation entry points -------------------------------------------------------------

TEST(Evaluation, EntryPointsBeforeAndAfterCompiling) {
  THelmaxComplexEval e;
  int fired = 0;
  e.OnExecuteError = [&](THelmaxComplexEval&) { ++fired; };
  TValue r;
  e.DoMathExpression(r);
  EXPECT_EQ(e.ErrorCode, -1);
  EXPECT_EQ(e.ErrorMessage, "DoMathExpression-> NO MATH EXPRESSION WAS PARSED");
  EXPECT_EQ(e.DoVectorOfMathExpressions(), nullptr);
  EXPECT_EQ(e.ErrorMessage, "DoVectorOfMathExpressions-> NO MATH EXPRESSION WAS PARSED");
  EXPECT_EQ(fired, 2);
  e.VerifySyntaxSemantics("1,2");
  e.DoMathExpression(r);
  EXPECT_EQ(e.ErrorCode, -18);
  EXPECT_TRUE(r.IsNull());
  TValue* const* v = e.DoVectorOfMathExpressions();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(ValueToText(*v[0]) + ValueToText(*v[1]), "12");
}

TEST(Evaluation, TwoEnginesDoNotDisturbEachOther) {
  THelmaxComplexEval a, b;
  a.SetCurrencyNumbers(true);
  a.VerifySyntaxSemantics("x=1/3");
  b.VerifySyntaxSemantics("x=1/3");
  TValue ra, rb;
  a.DoMathExpression(ra);
  b.DoMathExpression(rb);
  EXPECT_EQ(ValueToText(ra), "0.3333");
  EXPECT_EQ(ValueToText(rb), "0.333333333333333");
}

}  // namespace
}  // namespace helmax

namespace helmax {
namespace {

TEST(ImplicitMultiplication, BlanksBetweenOperandsMultiply) {
  THelmaxComplexEval e;
  e.ImplicitMultiplication = true;
  EXPECT_EQ(test::RunText(e, "x=3, 2 x"), "3; 6");
  EXPECT_EQ(test::RunText(e, "x=3, 2 (x)"), "3; 6");
  EXPECT_EQ(test::RunText(e, "x=3, (x+1) (x-1)"), "3; 8");
  EXPECT_EQ(test::RunText(e, "x=3, (x) x"), "3; 9");
  // A name followed by a blank and a bracket is a product too, so sin
  // without its argument list is refused.
  e.VerifySyntaxSemantics("sin (x)");
  EXPECT_EQ(e.ErrorCode, 4);
  e.ImplicitMultiplication = false;
  EXPECT_EQ(test::RunText(e, "x=3, sin (x)-sin(x)"), "3; 0");
  e.VerifySyntaxSemantics("x=3, 2 x");
  EXPECT_EQ(e.ErrorCode, -11);
}

}  // namespace
}  // namespace helmax

namespace helmax {
namespace {

// Codes that come from the variables a host hands to a compile.
TEST(CompileErrors, HostVariableNames) {
  void (*zero)(TValue* const*, int, TValue&) = [](TValue* const*, int, TValue& r) { r = TValue::MakeReal(0); };
  THelmaxComplexEval e(TUserFuncArray{test::Procedure("ext", zero)});
  struct {
    TUserVarArray Vars;
    int Code;
    const char* Line;
  } cases[] = {
      {{{"", nullptr, 0}}, -5, "Identifier cannot be empty"},
      {{{"sin", nullptr, 0}}, -8, "Identifier cannot be a reserved name :  sin"},
      {{{"x", nullptr, 0}, {"X", nullptr, 0}}, -9, "Identifier already exists :  x"},
      {{{"EXT", nullptr, 0}}, -10, "Dublicating user identifier :  ext"},
  };
  for (const auto& c : cases) {
    e.VerifySyntaxSemantics("1", c.Vars, false);
    ASSERT_TRUE(e.Error);
    EXPECT_EQ(e.ErrorCode, c.Code);
    EXPECT_EQ(ParseErrorLine(e), c.Line);
  }
  e.VerifySyntaxSemantics("inf+(-inf)");
  EXPECT_EQ(e.ErrorCode, -27);
  EXPECT_EQ(e.MathErrorKind, 5);
  e.VerifySyntaxSemantics("inf-inf");
  EXPECT_EQ(e.ErrorCode, -28);
}

}  // namespace
}  // namespace helmax
