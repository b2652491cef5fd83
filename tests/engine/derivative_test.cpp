// Symbolic differentiation: every rule, each case checked two ways. The
// exact text, worked out by hand from the rules; and its value: the
// derivative text compiled again and evaluated at a few points agrees with a
// central difference of the input.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "../common/CaseNames.h"
#include "DerivativeText.h"
#include "EngineTestUtil.h"

namespace helmax {
namespace {

struct TDerivativeCase {
  const char* Text;
  const char* Expected;
  std::vector<double> Points = {0.3, 0.7, 1.3};  // empty: no numeric check
};

std::string Derivative(const std::string& text, const std::string& variable = "x", bool powerAsOperator = true) {
  THelmaxComplexEval e;
  e.PowerAsOperator = powerAsOperator;
  e.VerifySyntaxSemanticsAndDerivation(text, "", true, variable);
  if (e.Error) return "error " + std::to_string(e.ErrorCode);
  std::string d;
  e.GetDerivative(false, d);
  return d;
}

// Values of the other variables in the numeric checks.
double OtherValue(const std::string& name) {
  if (name == "y") return 0.7;
  if (name == "a") return 1.3;
  return 0.45;
}

// The values of a text with x (and the other variables) set, or nothing
// when it does not compile or run.
std::optional<std::vector<double>> Values(const std::string& text, double x) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics(text);
  if (e.Error) return std::nullopt;
  for (int i = 1; i <= e.VariableCount(); ++i) {
    const std::string name = e.GetVarName(i);
    *(*e.Variables())[static_cast<std::size_t>(i - 1)]->Value = TValue::MakeReal(name == "x" ? x : OtherValue(name));
  }
  TValue* const* r = e.DoVectorOfMathExpressions();
  if (r == nullptr) return std::nullopt;
  std::vector<double> out;
  for (int i = 0; i < e.ExpressionCount; ++i) out.push_back(r[i]->Kind == TValueKind::Real ? r[i]->Num : NAN);
  return out;
}

// The derivative text agrees with a central difference of the text at x.
void ExpectNumericallyRight(const std::string& text, const std::string& derivative, double x) {
  const double h = 1e-5 * std::max(1.0, std::fabs(x));
  const auto plus = Values(text, x + h), minus = Values(text, x - h);
  const auto d = Values(derivative, x);
  ASSERT_TRUE(plus && minus) << text << " does not evaluate near " << x;
  ASSERT_TRUE(d) << derivative << " does not evaluate at " << x;
  ASSERT_EQ(d->size(), plus->size()) << derivative;
  for (std::size_t i = 0; i < d->size(); ++i) {
    const double central = ((*plus)[i] - (*minus)[i]) / (2 * h);
    EXPECT_NEAR((*d)[i], central, 1e-6 * std::max(1.0, std::fabs(central)))
        << "d/dx " << text << " = " << derivative << " at x = " << x;
  }
}

class DerivativeRule : public ::testing::TestWithParam<TDerivativeCase> {};

TEST_P(DerivativeRule, TextAndValue) {
  const TDerivativeCase& c = GetParam();
  const std::string d = Derivative(c.Text);
  EXPECT_EQ(d, c.Expected) << "d/dx " << c.Text;
  if (d != c.Expected) return;
  for (double x : c.Points) ExpectNumericallyRight(c.Text, d, x);
}

auto CaseName = test::NamedBy([](const TDerivativeCase& c) { return c.Text; });

INSTANTIATE_TEST_SUITE_P(Leaves, DerivativeRule,
                         ::testing::Values(TDerivativeCase{"5", "0"}, TDerivativeCase{"x", "1"},
                                           TDerivativeCase{"y", "0"}, TDerivativeCase{"pi", "0"},
                                           TDerivativeCase{"infinity", "0", {}}, TDerivativeCase{"12.31.2008", "0", {}},
                                           TDerivativeCase{"nan", "nan", {}}, TDerivativeCase{"null", "nan", {}},
                                           TDerivativeCase{"indeterminate", "nan", {}},
                                           TDerivativeCase{"nan+1", "nan", {}}, TDerivativeCase{"2*3", "0"}),
                         CaseName);

INSTANTIATE_TEST_SUITE_P(
    Operators, DerivativeRule,
    ::testing::Values(TDerivativeCase{"x+x", "2"}, TDerivativeCase{"x*x", "2*x"}, TDerivativeCase{"x/x", "0"},
                      TDerivativeCase{"-x", "-1"}, TDerivativeCase{"-(-x)", "1"}, TDerivativeCase{"x-y", "1"},
                      TDerivativeCase{"y-x", "-1"}, TDerivativeCase{"x*y", "y"}, TDerivativeCase{"3*x", "3"},
                      TDerivativeCase{"x/y", "y/(y^2)"}, TDerivativeCase{"y/x", "(-y)/(x^2)"},
                      TDerivativeCase{"1/x", "(-1)/(x^2)"}, TDerivativeCase{"sin(x)+cos(x)", "cos(x)-sin(x)"},
                      // AddText's integers: 2147483647 + 1 does not fit 32 bits.
                      TDerivativeCase{"2147483647*x+x", "2147483647+1"}, TDerivativeCase{"6*x*7", "42"},
                      TDerivativeCase{"65536*x*65536", "65536*65536"},
                      TDerivativeCase{"2147483647*x+2147483647*x", "2147483647+2147483647"},
                      // MulText's sign rule only for single terms.
                      TDerivativeCase{"(-x+1)*cos(x)", "(-cos(x))+((-x+1)*(-sin(x)))"},
                      TDerivativeCase{"y=x^2", "2*x"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(Powers, DerivativeRule,
                         ::testing::Values(TDerivativeCase{"x^2", "2*x"}, TDerivativeCase{"x^3", "3*(x^2)"},
                                           TDerivativeCase{"x^y", "(x^y)*(y/x)"}, TDerivativeCase{"2^x", "(2^x)*ln(2)"},
                                           TDerivativeCase{"y^x", "(y^x)*ln(y)"},
                                           TDerivativeCase{"x^x", "(x^x)*(1+ln(x))"},
                                           // An exponent written p/q keeps its form.
                                           TDerivativeCase{"x^(1/3)", "(1/3)*(x^(-2/3))", {0.3, 2.0, -8.0}},
                                           TDerivativeCase{"x^(-1/3)", "(-1/3)*(x^(-4/3))", {0.3, 2.0, -8.0}},
                                           TDerivativeCase{"power(x,1/3)", "(1/3)*(x^(-2/3))", {0.3, -8.0}},
                                           TDerivativeCase{"power(x,2)", "2*x"}, TDerivativeCase{"(-x)^2", "-(2*(-x))"},
                                           TDerivativeCase{"sqr(x)", "2*x"}),
                         CaseName);

INSTANTIATE_TEST_SUITE_P(
    OneArgument, DerivativeRule,
    ::testing::Values(
        TDerivativeCase{"exp(x)", "exp(x)"}, TDerivativeCase{"cos(x)", "-sin(x)"}, TDerivativeCase{"sin(x)", "cos(x)"},
        TDerivativeCase{"tan(x)", "sec(x)^2"}, TDerivativeCase{"cotan(x)", "-(csc(x)^2)"},
        TDerivativeCase{"cot(x)", "-(csc(x)^2)"}, TDerivativeCase{"sqrt(x)", "1/(2*sqrt(x))"},
        TDerivativeCase{"ln(x)", "1/x"}, TDerivativeCase{"log(x)", "1/x"}, TDerivativeCase{"lnxp1(x)", "1/(x+1)"},
        TDerivativeCase{"log10(x)", "1/(x*ln(10))"}, TDerivativeCase{"log2(x)", "1/(x*ln(2))"},
        TDerivativeCase{"arccos(x)", "(-1)/sqrt(1-(x^2))", {0.3, 0.7, -0.5}},
        TDerivativeCase{"arcsin(x)", "1/sqrt(1-(x^2))", {0.3, 0.7, -0.5}}, TDerivativeCase{"arctan(x)", "1/(1+(x^2))"},
        TDerivativeCase{"arccosh(x)", "1/sqrt((x^2)-1)", {1.3, 2.0}}, TDerivativeCase{"arcsinh(x)", "1/sqrt((x^2)+1)"},
        TDerivativeCase{"arctanh(x)", "1/(1-(x^2))", {0.3, 0.7, -0.5}}, TDerivativeCase{"cosh(x)", "sinh(x)"},
        TDerivativeCase{"sinh(x)", "cosh(x)"}, TDerivativeCase{"tanh(x)", "sech(x)^2"},
        TDerivativeCase{"sec(x)", "sec(x)*tan(x)"}, TDerivativeCase{"secant(x)", "sec(x)*tan(x)"},
        TDerivativeCase{"sech(x)", "-sech(x)*tanh(x)"}, TDerivativeCase{"csc(x)", "-cot(x)*csc(x)"},
        TDerivativeCase{"cosecant(x)", "-cot(x)*csc(x)"}, TDerivativeCase{"csch(x)", "-coth(x)*csch(x)"},
        TDerivativeCase{"coth(x)", "-(csch(x)^2)"}, TDerivativeCase{"arccot(x)", "(-1)/(1+(x^2))"},
        TDerivativeCase{"arccoth(x)", "1/(1-(x^2))", {1.3, 2.0}},
        TDerivativeCase{"arcsec(x)", "1/(sqrt(1-(x^(-2)))*(x^2))", {1.3, 2.0}},
        TDerivativeCase{"arccsc(x)", "(-1)/(sqrt(1-(x^(-2)))*(x^2))", {1.3, 2.0}},
        TDerivativeCase{"arccsch(x)", "(-1)/(sqrt(1+(x^(-2)))*(x^2))"},
        TDerivativeCase{"arcsech(x)", "(-1)/(x*(sqrt((1-x)/(1+x))*(1+x)))", {0.3, 0.7}},
        // The chain rule: u inserted literally, u' after it.
        TDerivativeCase{"exp(x^2)", "exp(x^2)*(2*x)"}, TDerivativeCase{"sin(2*x)", "cos(2*x)*2"},
        TDerivativeCase{"ln(sin(x))", "(1/sin(x))*cos(x)"}, TDerivativeCase{"sin(y)", "0"},
        TDerivativeCase{"sqrt(x^2+1)", "(1/(2*sqrt((x^2)+1)))*(2*x)"}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(SeveralArguments, DerivativeRule,
                         ::testing::Values(
                             // The angle of the point (x, y): no pole at x = 0.
                             TDerivativeCase{"arctan(x+1,-x+1)", "((-(x+1))-(-x+1))/(((x+1)^2)+((-x+1)^2))"},
                             TDerivativeCase{"arctan2(-x+1,x+1)", "((-(x+1))-(-x+1))/(((x+1)^2)+((-x+1)^2))"},
                             TDerivativeCase{"arctan(0,x)", "0"}, TDerivativeCase{"logn(2,x)", "1/(x*ln(2))"},
                             TDerivativeCase{"logn(x,2)", "-(ln(2)/(x*(ln(x)^2)))"},
                             TDerivativeCase{"eq(x,2)", "eq(1,0)", {}}, TDerivativeCase{"eq(nan,1)", "eq(nan,0)", {}},
                             TDerivativeCase{"eq(x,abs(x))", "eq(1,nan)", {}},
                             TDerivativeCase{"if(ls(x,0),-x,x)", "if(ls(x,0),-1,1)", {-0.5, 0.3}},
                             TDerivativeCase{"if(ls(x,0),x)", "if(ls(x,0),1)", {}},
                             TDerivativeCase{"if(ls(x,0),x,abs(x))", "if(ls(x,0),1,nan)", {}},
                             TDerivativeCase{"bk(x^2)", "2*x"}, TDerivativeCase{"bk(1,2,x^3)", "3*(x^2)"},
                             TDerivativeCase{"f(x)~x^2, f(x)", "f(x)~x^2,f(x)'", {}},
                             TDerivativeCase{"f(t,u)~t*u, f(x,2)", "f(t,u)~t*u,f(x,2)'", {}},
                             TDerivativeCase{"f(t)~t^2, sin(f(x))", "f(t)~t^2,cos(f(x))*f(x)'", {}},
                             TDerivativeCase{"x,x^2", "1,2*x"}, TDerivativeCase{"x,abs(x)", "1,nan", {}}),
                         CaseName);

INSTANTIATE_TEST_SUITE_P(
    WithoutDerivative, DerivativeRule,
    ::testing::Values(TDerivativeCase{"abs(x)", "nan", {}}, TDerivativeCase{"abs(y)", "0"},
                      TDerivativeCase{"x+abs(x)", "nan", {}}, TDerivativeCase{"complex(1,2)+x", "nan", {}},
                      TDerivativeCase{"max(x,1)", "nan", {}}, TDerivativeCase{"max(y,1)+x", "1"},
                      TDerivativeCase{"floor(x)", "nan", {}}, TDerivativeCase{"mod(7,y)*x", "mod(7,y)"},
                      TDerivativeCase{"abs(-3)*x", "abs(-3)"}, TDerivativeCase{"x*random(1)", "random(1)", {}},
                      TDerivativeCase{"x+while(ls(y,0),y=y+1)", "nan", {}},
                      TDerivativeCase{"123456789012345678901234567890*x", "123456789012345678901234567890"},
                      // Hidden dependence: an assigned name, a run-time function.
                      TDerivativeCase{"bk(y=x^2,3*y)", "nan", {}},
                      TDerivativeCase{"g(t)~t*x, abs(g(2))", "g(t)~t*x,nan", {}},
                      TDerivativeCase{"b=x, sign(b)", "1,nan", {}}),
    CaseName);

TEST(Derivative, PowerFunctionForm) {
  EXPECT_EQ(Derivative("x^3", "x", false), "3*power(x,2)");
  EXPECT_EQ(Derivative("2^x", "x", false), "power(2,x)*ln(2)");
}

TEST(Derivative, VariableName) {
  EXPECT_EQ(Derivative("x^2", "(X)"), "2*x");  // normalised as identifiers are
  EXPECT_EQ(Derivative("t^2+x", " t "), "2*t");
  EXPECT_EQ(Derivative("x^2", "y"), "0");  // need not occur in the text
}

// ---- failures --------------------------------------------------------------------

TEST(Derivative, BadVariableNameFailsBeforeCompiling) {
  for (const char* name : {"1x", "sin", "", "a b"}) {
    THelmaxComplexEval e;
    int fired = 0;
    e.OnParseError = [&](THelmaxComplexEval&) { ++fired; };
    e.VerifySyntaxSemanticsAndDerivation("x^2", "", true, name);
    EXPECT_TRUE(e.Error) << name;
    EXPECT_EQ(e.ErrorCode, ecDerivativeVariable) << name;
    EXPECT_EQ(
        e.ErrorMessage.rfind("VerifySyntaxSemanticsRule-> INVALID DERIVATIVE VARIABLE NAME;IsValidIdentName-> ", 0), 0u)
        << e.ErrorMessage;
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(e.ExpressionCount, 0);
    EXPECT_EQ(ParseErrorLine(e).rfind("Invalid name of derivative variable", 0), 0u) << ParseErrorLine(e);
  }
}

TEST(Derivative, GetDerivativeFailures) {
  struct TFailure {
    std::function<void(THelmaxComplexEval&)> Prepare;
    int Code;
    const char* Message;
    const char* Line;
  };
  const TFailure failures[] = {
      {[](THelmaxComplexEval&) {}, ecNothingCompiled, "GetDerivative-> NO MATH EXPRESSION WAS PARSED",
       "No math expression was parsed"},
      {[](THelmaxComplexEval& e) { e.VerifySyntaxSemantics("x^2"); }, ecNotDerivationCompile,
       "GetDerivative-> YOU MUST USE VerifySyntaxSemanticsAndDerivation METHOD",
       "Use 'VerifySyntaxSemanticsAndDerivation' for differentiation"},
      {[](THelmaxComplexEval& e) {
         e.VerifySyntaxSemanticsAndDerivation("x^2", "", true, "x");
         e.SetOriginalMathExpressionString(true);
       },
       ecDerivativeErased, "GetDerivative-> DERIVATIVE EXPRESSION WAS ERASED",
       "Derivative expression string was erased"},
      {[](THelmaxComplexEval& e) {
         e.VerifySyntaxSemanticsAndDerivation("x^2", "", true, "x");
         e.VerifySyntaxSemanticsAndDerivation("x^", "", true, "x");
       },
       ecNothingCompiled, "GetDerivative-> NO MATH EXPRESSION WAS PARSED", "No math expression was parsed"},
      {[](THelmaxComplexEval& e) {
         e.VerifySyntaxSemanticsAndDerivation("x^2", "", true, "x");
         e.Free();
       },
       ecNothingCompiled, "GetDerivative-> NO MATH EXPRESSION WAS PARSED", "No math expression was parsed"},
  };
  for (const TFailure& f : failures) {
    THelmaxComplexEval e;
    f.Prepare(e);
    int fired = 0;
    e.OnParseError = [&](THelmaxComplexEval&) { ++fired; };
    std::string text = "old";
    e.GetDerivative(false, text);
    EXPECT_TRUE(e.Error);
    EXPECT_EQ(e.ErrorCode, f.Code);
    EXPECT_EQ(e.ErrorMessage, f.Message);
    EXPECT_EQ(ParseErrorLine(e), f.Line);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(text, "");
  }
}

TEST(Derivative, CompiledExpressionStaysUsable) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemanticsAndDerivation("x=2, abs(x)*3", "", true, "x");
  ASSERT_FALSE(e.Error);
  EXPECT_EQ(e.DerivativeString, "0,nan");
  TValue* const* r = e.DoVectorOfMathExpressions();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r[1]->Num, 6.0);
  std::string twice;
  e.GetDerivative(false, twice);
  EXPECT_EQ(twice, "0,nan");
}

TEST(Derivative, NameListCompile) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemanticsAndDerivation("a*x^2", "a,x", false, "x");
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  EXPECT_EQ(e.DerivativeString, "a*(2*x)");
  e.VerifySyntaxSemanticsAndDerivation("a*x^2+b", "a,x", false, "x");
  EXPECT_EQ(e.ErrorCode, ecUnknownVariable);
}

// ---- the text constructors' own edge cases ----------------------------------------

TEST(DerivativeTexts, ConstructorEdgeCases) {
  TDerivativeTexts t(true);
  auto L = [&](const char* s) { return t.Literal(s); };
  EXPECT_EQ(t.Tidied(t.Div(L("ax"), L("x"))), "ax/x");
  EXPECT_EQ(t.Raw(t.Div(L("ax"), L("x"))), "(ax)/(x)");
  EXPECT_EQ(t.Raw(t.Div(L("-x"), L("x"))), "-1");
  EXPECT_EQ(t.Raw(t.Div(L("x"), L("-x"))), "-1");
  EXPECT_EQ(t.Raw(t.Div(L("-x+1"), L("x+1"))), "(-x+1)/(x+1)");
  EXPECT_EQ(t.Raw(t.Mul(L("65536"), L("65536"))), "(65536)*(65536)");
  EXPECT_EQ(t.Raw(t.Mul(L("6"), L("7"))), "42");
  EXPECT_EQ(t.Raw(t.Mul(L("-x"), L("-y"))), "(x)*(y)");
  EXPECT_EQ(t.Raw(t.Mul(L("-x+1"), L("-y"))), "(-x+1)*(-y)");
  EXPECT_EQ(t.Raw(t.Div(L("-2147483648"), L("-1"))), "(-2147483648)/(-1)");
  EXPECT_EQ(t.Raw(t.Div(L("12"), L("-4"))), "-3");
  EXPECT_EQ(t.Raw(t.Div(L("12"), L("5"))), "(12)/(5)");
  EXPECT_EQ(t.Raw(t.Div(L("7"), L("0"))), "(7)/(0)");
  EXPECT_EQ(t.Raw(t.Div(L("0"), L("0"))), "(0/0)");
  EXPECT_EQ(t.Raw(t.Div(L("0"), L("infinity"))), "(0)/(infinity)");
  EXPECT_EQ(t.Raw(t.Sub(L("infinity"), L("infinity"))), "(infinity)-(infinity)");
  EXPECT_EQ(t.Raw(t.Sub(L("x"), L("x"))), "0");
  EXPECT_EQ(t.Raw(t.Sub(L("0"), L("x+1"))), "-(x+1)");
  EXPECT_EQ(t.Raw(t.Sub(L("-2147483648"), L("1"))), "(-2147483648)-(1)");
  EXPECT_EQ(t.Raw(t.Add(L("99999999999999999999"), L("1"))), "(99999999999999999999)+(1)");
  EXPECT_EQ(t.Raw(t.Mul(L("0"), L("infinity"))), "(0)*(infinity)");
  EXPECT_EQ(t.Raw(t.Pow(L("0"), L("0"))), "(0^0)");
  EXPECT_EQ(t.Raw(t.Pow(L("x"), L("0"))), "1");
  EXPECT_EQ(t.Raw(t.Pow(L("(x)"), L("infinity"))), "((x))^(infinity)");  // untidied operands
  EXPECT_EQ(t.Raw(t.Ln(L("0"))), "-infinity");
  EXPECT_EQ(t.Raw(t.Ln(L("(exp(1))"))), "1");
  EXPECT_EQ(t.Raw(t.Sqrt(L("1"))), "1");
  EXPECT_EQ(t.Raw(t.Add(L("x"), nullptr)), "");  // a missing operand gives a missing text
  EXPECT_EQ(t.Add(nullptr, L("x")), nullptr);
}

// ---- bounded work -------------------------------------------------------------------

TEST(Derivative, HostileTexts) {
  std::string nested;
  for (int i = 0; i < 1000; ++i) nested += "sin(";
  nested += "x" + std::string(1000, ')');
  EXPECT_EQ(Derivative(nested), "nan");  // too long a derivative
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "sin(";
  deep += "y" + std::string(100000, ')');
  EXPECT_EQ(Derivative(deep), "0");
  // A derivative that doubles at every level (the text does too, 1 MB).
  std::string doubling = "x";
  for (int i = 0; i < 16; ++i) doubling = "sin(" + doubling + ")*cos(" + doubling + ")";
  EXPECT_GT(doubling.size(), 500000u);
  EXPECT_EQ(Derivative(doubling), "nan");
  // Products whose derivative outgrows the limit: past it, nothing more is
  // built (each level would otherwise tidy the whole product so far).
  std::string product = "x";
  for (int i = 0; i < 100000; ++i) product += "*x";
  EXPECT_EQ(Derivative(product), "nan");
  std::string nestedProduct;
  for (int i = 0; i < 50000; ++i) nestedProduct += "x*(";
  nestedProduct += "x" + std::string(50000, ')');
  EXPECT_EQ(Derivative(nestedProduct), "nan");
  std::string longSum;
  for (int i = 0; i < 200000; ++i) longSum += "x^2+";
  longSum += "x";
  EXPECT_EQ(Derivative(longSum), "nan");
  EXPECT_EQ(Derivative("x*(-2147483648/-1)"), "-2147483648/-1");
}

}  // namespace
}  // namespace helmax
