// Translation of engine texts into bracket notation, alone and through
// GetDerivative.
#include <gtest/gtest.h>

#include <string>

#include "../common/CaseNames.h"
#include "EngineTestUtil.h"

namespace helmax {
namespace {

struct TTranslationCase {
  const char* Text;
  const char* Expected;
};

// The translation of a text after compiling it (the translation reads the
// engine's expression count and external functions).
std::string Translate(const std::string& text) {
  THelmaxComplexEval e({test::Procedure("Twice", [](TValue* const*, int, TValue& r) { r = TValue::MakeReal(2); }),
                        test::Procedure(
                            "Rate", [](TValue* const*, int, TValue& r) { r = TValue::MakeReal(3); }, 0)});
  e.VerifySyntaxSemantics(text);
  return e.ToBracketNotation(text);
}

class BracketNotation : public ::testing::TestWithParam<TTranslationCase> {};

TEST_P(BracketNotation, Translates) { EXPECT_EQ(Translate(GetParam().Text), GetParam().Expected); }

INSTANTIATE_TEST_SUITE_P(
    Table, BracketNotation,
    ::testing::Values(
        TTranslationCase{"2*x", "2*x"}, TTranslationCase{"cos(x)-sin(x)", "Cos[x]-Sin[x]"},
        TTranslationCase{"log10(x)", "Log[10,x]"}, TTranslationCase{"log2(x)", "Log[2,x]"},
        TTranslationCase{"sqr(x)", "Power[x,2]"}, TTranslationCase{"x,y", "{x,y}"},
        TTranslationCase{"(x+1),(y)", "{x+1,y}"}, TTranslationCase{"nan", "Indeterminate"},
        TTranslationCase{"sin(cos(tan(x)))", "Sin[Cos[Tan[x]]]"},
        TTranslationCase{"ln(x)*logn(2,x)", "Log[x]*Log[2,x]"}, TTranslationCase{"lnxp1(x)", "Log[1+x]"},
        TTranslationCase{"arctan2(y,x)", "ArcTan[x,y]"}, TTranslationCase{"arctan(x,y)", "ArcTan[x,y]"},
        TTranslationCase{"cotan(x)+cot(x)", "Cot[x]+Cot[x]"},
        TTranslationCase{"if(ls(x,0),-x,x)", "If[Less[x,0],-x,x]"},
        TTranslationCase{"bk(a=1,a)", "CompoundExpression[a=1,a]"}, TTranslationCase{"mean(a,b)", "1/2*Plus[a,b]"},
        TTranslationCase{"2*mean(a,b,x)", "2*(1/3*Plus[a,b,x])"},
        TTranslationCase{"isreal(x)", "Or[SameQ[Real,Head[x]],SameQ[Integer,Head[x]],SameQ[Rational,Head[x]]]"},
        TTranslationCase{"isboolean(x)", "Or[SameQ[True,x],SameQ[False,x]]"},
        TTranslationCase{"isnan(x)+isnull(x)", "SameQ[Indeterminate,x]+SameQ[Null,x]"},
        TTranslationCase{"iscomplex(x)", "SameQ[Complex,Head[x]]"},
        // Powers and signs keep their grouping.
        TTranslationCase{"x^2", "x^2"}, TTranslationCase{"2*x^2", "2*(x^2)"}, TTranslationCase{"-x^2", "-(x^2)"},
        TTranslationCase{"a*-b", "a*(-b)"}, TTranslationCase{"2^3^x", "2^(3^x)"},
        TTranslationCase{"sqrt(x^2+1)", "Sqrt[(x^2)+1]"}, TTranslationCase{"power(x,2)", "Power[x,2]"},
        // Constants and numbers.
        TTranslationCase{"pi*e+infinity-inf", "Pi*E+Infinity-Infinity"}, TTranslationCase{"zero*x", "(1.0*^-13)*x"},
        TTranslationCase{"true", "True"}, TTranslationCase{"degree*x", "Degree*x"},
        TTranslationCase{"1.5e-3*x", "1.5*^-3*x"}, TTranslationCase{"2e5+x", "2*^5+x"},
        TTranslationCase{"random(10)", "Random[Integer,{0,10-1}]"},
        TTranslationCase{"random(2.7)", "Random[Integer,{0,2-1}]"},
        TTranslationCase{"random(1e2)", "Random[Integer,{0,100-1}]"}, TTranslationCase{"random(0.5)", "Random[]"},
        TTranslationCase{"random(x)", "Random[]"},
        // Definitions; external functions under their registered names.
        TTranslationCase{"f(x,y)~x*y", "f[x_,y_]:=x*y"}, TTranslationCase{"twice(x)*rate", "Twice[x]*Rate"},
        // Forms written with an operator keep a compound argument whole
        // and stay one operand.
        TTranslationCase{"degtorad(y+1)", "(Pi/180)*(y+1)"}, TTranslationCase{"degtorad(y)", "(Pi/180)*y"},
        TTranslationCase{"radtodeg(y+1)", "(y+1)/Degree"},
        TTranslationCase{"complexfrompolar(r,t+1)", "Times[r,Exp[Complex[0,1]*(t+1)]]"},
        TTranslationCase{"degtorad(x)^2", "((Pi/180)*x)^2"}, TTranslationCase{"2/radtodeg(x)", "2/(x/Degree)"}),
    test::NamedBy([](const TTranslationCase& c) { return c.Text; }));

std::string TranslatedDerivative(const std::string& text) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemanticsAndDerivation(text, "", true, "x");
  std::string d;
  e.GetDerivative(true, d);
  return d;
}

TEST(BracketNotation, Derivatives) {
  EXPECT_EQ(TranslatedDerivative("sin(x)+cos(x)"), "Cos[x]-Sin[x]");
  EXPECT_EQ(TranslatedDerivative("degtorad(y+1)*x"), "(Pi/180)*(y+1)");
  EXPECT_EQ(TranslatedDerivative("f(t)~t^2, sin(f(x))"), "{f[t_]:=(t^2),Cos[f[x]]*D[f[x],x]}");
  EXPECT_EQ(TranslatedDerivative("x^2, abs(x)"), "{2*x,Indeterminate}");
  EXPECT_EQ(TranslatedDerivative("log10(x)"), "1/(x*Log[10])");
}

TEST(BracketNotation, DeepNesting) {
  std::string text, expected;
  for (int i = 0; i < 100000; ++i) {
    text += "sin(";
    expected += "Sin[";
  }
  text += "x" + std::string(100000, ')');
  expected += "x" + std::string(100000, ']');
  THelmaxComplexEval e;
  EXPECT_TRUE(e.ToBracketNotation(text) == expected);
}

}  // namespace
}  // namespace helmax
