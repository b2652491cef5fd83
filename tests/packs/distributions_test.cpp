// The distributions pack through the engine: registration, the common
// argument checks and their order, every domain message as the host's
// formatter shows it, the mended faults and the edge cases.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <boost/math/special_functions/gamma.hpp>

#include "Distributions.h"
#include "ErrorText.h"
#include "HelmaxComplexEval.h"

namespace helmax {
namespace {

// Value of a constant expression (folded while compiling), or NaN with a
// test failure.
double Eval(const std::string& text) {
  THelmaxComplexEval e(DistributionFunctions());
  e.VerifySyntaxSemantics(text);
  if (e.Error) {
    ADD_FAILURE() << text << ": " << ParseErrorLine(e);
    return std::nan("");
  }
  TValue r;
  e.DoMathExpression(r);
  if (e.Error || !r.IsReal()) {
    ADD_FAILURE() << text << ": " << ExecuteErrorLine(e);
    return std::nan("");
  }
  return r.Num;
}

struct TFailure {
  std::string Message;  // engine's message
  std::string Line;     // host formatter's line
  int Kind = -1;
};

// Failure of a constant expression, which the compiler folds.
TFailure CompileFailure(const std::string& text) {
  THelmaxComplexEval e(DistributionFunctions());
  e.VerifySyntaxSemantics(text);
  EXPECT_TRUE(e.Error) << text;
  return {e.ErrorMessage, ParseErrorLine(e), e.MathErrorKind};
}

// Failure of an expression over host variables a, b (evaluated at run time).
TFailure RunFailure(const std::string& text, TValue a, TValue b) {
  THelmaxComplexEval e(DistributionFunctions());
  TUserVarArray vars{{"a", &a, 0}, {"b", &b, 0}};
  e.VerifySyntaxSemantics(text, vars, false);
  EXPECT_FALSE(e.Error) << text << ": " << ParseErrorLine(e);
  TValue r;
  e.DoMathExpression(r);
  EXPECT_TRUE(e.Error) << text;
  return {e.ErrorMessage, ExecuteErrorLine(e), e.MathErrorKind};
}

void ExpectNear(double value, double expected, double relative, const std::string& what) {
  EXPECT_LE(std::fabs(value - expected), relative * std::fabs(expected)) << what << " = " << value;
}

TEST(DistributionsRegistration, FiftySixFunctionsInTableOrderWithTheirArity) {
  const std::vector<std::pair<std::string, int>> expected{{"Gamma", 1},
                                                          {"LnGamma", 1},
                                                          {"InverseGamma", 1},
                                                          {"IncompleteGamma", 2},
                                                          {"IncompleteGamma2", 2},
                                                          {"Beta", 2},
                                                          {"LnBeta", 2},
                                                          {"IncompleteBeta", 3},
                                                          {"Hermite", 2},
                                                          {"Permutation", 2},
                                                          {"BinomialCoeff", 2},
                                                          {"NormalZ", 1},
                                                          {"NormalPDF", 3},
                                                          {"NormalLess", 1},
                                                          {"NormalGreater", 1},
                                                          {"InvNormalLess", 1},
                                                          {"InvNormalGreater", 1},
                                                          {"ZAlpha", 1},
                                                          {"NormalDistLess", 3},
                                                          {"NormalDistGreater", 3},
                                                          {"NormalDistBetween", 4},
                                                          {"InvNormalDistLess", 3},
                                                          {"InvNormalDistGreater", 3},
                                                          {"LogNormalPDF", 3},
                                                          {"LogNormalLess", 3},
                                                          {"LogNormalGreater", 3},
                                                          {"LogNormalBetween", 4},
                                                          {"InvLogNormalLess", 3},
                                                          {"InvLogNormalGreater", 3},
                                                          {"ChiSquareLess", 2},
                                                          {"ChiSquareGreater", 2},
                                                          {"ChiSquareBetween", 3},
                                                          {"InvChiSquare", 2},
                                                          {"InvChiSquareLess", 2},
                                                          {"InvChiSquareGreater", 2},
                                                          {"FDistLess", 3},
                                                          {"FDistGreater", 3},
                                                          {"FDistBetween", 4},
                                                          {"InvFDistLess", 3},
                                                          {"InvFDistGreater", 3},
                                                          {"StudentTLess", 2},
                                                          {"StudentTGreater", 2},
                                                          {"StudentTBetween", 3},
                                                          {"InvStudentTLess", 2},
                                                          {"InvStudentTGreater", 2},
                                                          {"BinomialEq", 3},
                                                          {"BinomialLess", 3},
                                                          {"BinomialGreater", 3},
                                                          {"BinomialBetween", 4},
                                                          {"PoissonEq", 2},
                                                          {"PoissonLess", 2},
                                                          {"PoissonGreater", 2},
                                                          {"PoissonBetween", 3},
                                                          {"ExponentialLess", 2},
                                                          {"ExponentialGreater", 2},
                                                          {"ExponentialBetween", 3}};
  const TUserFuncArray f = DistributionFunctions();
  ASSERT_EQ(f.size(), 56u);
  for (std::size_t i = 0; i < f.size(); ++i) {
    EXPECT_EQ(f[i].Name, expected[i].first);
    EXPECT_EQ(f[i].ArgCount, expected[i].second) << f[i].Name;
    EXPECT_EQ(f[i].Kind, ufMethod) << f[i].Name;
    EXPECT_TRUE(f[i].Method) << f[i].Name;
  }
  // A host appends the list: the engine accepts all of it, and a wrong
  // argument count is refused by the engine's own check.
  THelmaxComplexEval e(f);
  e.VerifySyntaxSemantics("Gamma(1, 2)");
  EXPECT_TRUE(e.Error);
}

// Every domain message, as the compiler reports a folded call and as the
// host formatter shows it (the detail lower-cased by the formatter).
TEST(DistributionsMessages, DomainFailuresOfConstantCalls) {
  struct TCase {
    const char* Text;
    const char* Function;
    const char* Message;
  };
  const TCase cases[] = {
      {"Gamma(0)", "Gamma", "Not defined for that value"},
      {"Gamma(-2)", "Gamma", "Not defined for that value"},
      {"LnGamma(-3)", "LnGamma", "Not defined for that value"},
      {"IncompleteGamma(1, -0.5)", "IncompleteGamma", "Value must be >= 0"},
      {"IncompleteGamma(0, 1)", "IncompleteGamma", "Value must be > 0"},
      {"IncompleteGamma2(2, -1)", "IncompleteGamma2", "Value must be >= 0"},
      {"IncompleteGamma2(-1, 1)", "IncompleteGamma2", "Value must be > 0"},
      {"Beta(-1, 2.5)", "Beta", "Not defined for that value"},
      {"Beta(2.5, 0)", "Beta", "Not defined for that value"},
      {"LnBeta(0, 1)", "LnBeta", "Not defined for that value"},
      {"IncompleteBeta(0.5, -1, 2)", "IncompleteBeta", "Not defined for that value"},
      {"IncompleteBeta(-0.1, 1, 2)", "IncompleteBeta", "Not defined for that value"},
      {"IncompleteBeta(1.000001, 1, 2)", "IncompleteBeta", "Not defined for that value"},
      {"Hermite(1, 2.5)", "Hermite", "Incorrect integer type: Order of Hermite"},
      {"Permutation(2, 5)", "Permutation", "Invalid Permutation"},
      {"Permutation(3000, 2000)", "Permutation", "Permutation Overflowed"},
      {"BinomialCoeff(2, 5)", "BinomialCoeff", "Invalid Binomial Coefficient"},
      {"BinomialCoeff(100000, 50000)", "BinomialCoeff", "Binomial Coefficient Overflowed"},
      {"NormalPDF(1, 0, 0)", "NormalPDF", "Standard Deviation must be > 0"},
      {"NormalLess(-1)", "NormalLess", "Value must be > 0"},
      {"NormalGreater(-0.5)", "NormalGreater", "Value must be > 0"},
      {"InvNormalLess(1)", "InvNormalLess", "Value must be strictly between 0 and 1"},
      {"InvNormalGreater(0)", "InvNormalGreater", "Value must be strictly between 0 and 1"},
      {"ZAlpha(1.5)", "ZAlpha", "Value must be strictly between 0 and 1"},
      {"NormalDistLess(0, -1, 1)", "NormalDistLess", "Standard Deviation must be > 0"},
      {"NormalDistGreater(0, 0, 1)", "NormalDistGreater", "Standard Deviation must be > 0"},
      {"NormalDistBetween(0, 0, 1, 2)", "NormalDistBetween", "Standard Deviation must be > 0"},
      // p is checked before σ.
      {"InvNormalDistLess(0, -1, 2)", "InvNormalDistLess", "Value must be strictly between 0 and 1"},
      {"InvNormalDistLess(0, -1, 0.5)", "InvNormalDistLess", "Standard Deviation must be > 0"},
      {"InvNormalDistGreater(0, 1, 0)", "InvNormalDistGreater", "Value must be strictly between 0 and 1"},
      // σ is checked before x.
      {"LogNormalPDF(-1, 0, 0)", "LogNormalPDF", "Standard Deviation must be > 0"},
      {"LogNormalPDF(0, 0, 1)", "LogNormalPDF", "Value must be > 0"},
      {"LogNormalLess(0, 0, 1)", "LogNormalLess", "Standard Deviation must be > 0"},
      {"LogNormalGreater(0, -2, 1)", "LogNormalGreater", "Standard Deviation must be > 0"},
      {"LogNormalBetween(0, 0, 1, 2)", "LogNormalBetween", "Standard Deviation must be > 0"},
      {"InvLogNormalLess(0, 1, 1)", "InvLogNormalLess", "Value must be strictly between 0 and 1"},
      {"InvLogNormalGreater(0, 0, 0.5)", "InvLogNormalGreater", "Standard Deviation must be > 0"},
      {"ChiSquareLess(2, 0)", "ChiSquareLess", "Degrees of Freedom must be > 0"},
      {"ChiSquareLess(-2, 0)", "ChiSquareLess", "Value must be >= 0"},
      {"ChiSquareGreater(-1, 3)", "ChiSquareGreater", "Value must be >= 0"},
      {"ChiSquareBetween(1, -1, 3)", "ChiSquareBetween", "Value must be >= 0"},
      {"ChiSquareBetween(1, 2, 0)", "ChiSquareBetween", "Degrees of Freedom must be > 0"},
      {"InvChiSquare(0.5, 0)", "InvChiSquare", "Degrees of Freedom must be > 0"},
      {"InvChiSquare(0.000001, 0)", "InvChiSquare", "Degrees of Freedom must be > 0"},
      {"InvChiSquare(0.0000019, 3)", "InvChiSquare", "Value must be strictly between 0.000002 and 0.999998"},
      {"InvChiSquareLess(0.9999981, 3)", "InvChiSquareLess", "Value must be strictly between 0.000002 and 0.999998"},
      {"InvChiSquareGreater(1, 3)", "InvChiSquareGreater", "Value must be strictly between 0.000002 and 0.999998"},
      {"FDistLess(0, 2, 3)", "FDistLess", "Value must be > 0"},
      {"FDistGreater(1, 0, 3)", "FDistGreater", "Degrees of Freedom must be > 0"},
      {"FDistBetween(1, 2, 3, 0)", "FDistBetween", "Degrees of Freedom must be > 0"},
      {"FDistBetween(1, -2, 3, 4)", "FDistBetween", "Value must be > 0"},
      {"InvFDistLess(1.5, 0, 3)", "InvFDistLess", "Value must be between 0 and 1 inclusive"},
      {"InvFDistLess(0.5, 0, 3)", "InvFDistLess", "Degrees of Freedom must be > 0"},
      {"InvFDistGreater(-0.1, 2, 3)", "InvFDistGreater", "Value must be between 0 and 1 inclusive"},
      {"StudentTLess(1, 0)", "StudentTLess", "Degrees of Freedom must be > 0"},
      {"StudentTGreater(1, 0)", "StudentTGreater", "Degrees of Freedom must be > 0"},
      {"StudentTBetween(1, 2, 0)", "StudentTBetween", "Degrees of Freedom must be > 0"},
      {"InvStudentTLess(2, 0)", "InvStudentTLess", "Value must be between 0 and 1 inclusive"},
      {"InvStudentTGreater(0.5, 0)", "InvStudentTGreater", "Degrees of Freedom must be > 0"},
      {"BinomialEq(0.5, 0, 0)", "BinomialEq", "Invalid Binomial Distribution"},
      {"BinomialEq(0.5, 3, 4)", "BinomialEq", "Invalid Binomial Distribution"},
      {"BinomialEq(1.5, 3, 1)", "BinomialEq", "Invalid Binomial Distribution"},
      {"BinomialEq(0.5, 3, -1)", "BinomialEq", "Invalid Binomial Distribution"},
      {"BinomialLess(-0.1, 3, 1)", "BinomialLess", "Invalid Binomial Distribution"},
      {"BinomialGreater(0.5, 4, 4)", "BinomialGreater", "Invalid Binomial Distribution"},
      {"BinomialBetween(0.5, 4, 1, 5)", "BinomialBetween", "Invalid Binomial Distribution"},
      {"PoissonEq(0, 1)", "PoissonEq", "Invalid Poisson Distribution"},
      {"PoissonEq(2, 1755)", "PoissonEq", "Factorial Calculation cannot exceed 1754"},
      {"PoissonEq(2, -1)", "PoissonEq", "Factorial Calculation cannot exceed 1754"},
      {"PoissonLess(-1, 1)", "PoissonLess", "Invalid Poisson Distribution"},
      {"PoissonLess(2, 1756)", "PoissonLess", "Factorial Calculation cannot exceed 1754"},
      {"PoissonGreater(2, 1755)", "PoissonGreater", "Factorial Calculation cannot exceed 1754"},
      {"PoissonBetween(2, 1, 1755)", "PoissonBetween", "Factorial Calculation cannot exceed 1754"},
      {"ExponentialLess(0, 1)", "ExponentialLess", "Invalid Exponential Distribution"},
      {"ExponentialGreater(1, -1)", "ExponentialGreater", "Invalid Exponential Distribution"},
      {"ExponentialBetween(1, 1, -2)", "ExponentialBetween", "Invalid Exponential Distribution"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    const TFailure f = CompileFailure(c.Text);
    EXPECT_EQ(f.Message,
              std::string("ValFunct-> ") + c.Function + " FUNCTION ARGUMENTS ESCAPE DEFINITION DOMIAN : " + c.Message);
    std::string upper = c.Function, lower = c.Message;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_EQ(f.Line, "Invalid value for " + upper + " :  " + lower + " : NONMATH");
  }
}

TEST(DistributionsMessages, FormatterLinesAsTheUserSeesThem) {
  EXPECT_EQ(CompileFailure("Gamma(0)").Line, "Invalid value for GAMMA :  not defined for that value : NONMATH");
  EXPECT_EQ(CompileFailure("ChiSquareLess(1, 2.5)").Line,
            "Invalid value for CHISQUARELESS :  incorrect  integer for the parameter 2 : NONMATH");
  EXPECT_EQ(CompileFailure("Hermite(true, 1)").Line,
            "Invalid value for HERMITE :  incorrect real type for the parameter 1 : NONMATH");
}

// The common checks, in their order, at run time over host variables.
TEST(DistributionsMessages, ArgumentChecksInOrder) {
  const TValue nan = TValue::MakeReal(EngineNaN());
  const TValue real = TValue::MakeReal(2);
  const TValue boolean = TValue::MakeBool(true);
  const TValue complex = TValue::MakeComplex(1, 2);
  const TValue fraction = TValue::MakeReal(2.5);
  struct TCase {
    const char* Text;
    TValue A, B;
    const char* Message;
  };
  const TCase cases[] = {
      // Types of every argument come before any NaN test.
      {"BinomialEq(0.5, a, b)", nan, boolean, "Incorrect real type for the parameter 3"},
      {"ChiSquareLess(a, b)", complex, real, "Incorrect real type for the parameter 1"},
      {"Gamma(a)", TValue::MakeNull(), real, "Incorrect real type for the parameter 1"},
      {"Gamma(a)", TValue::MakeDateTime(40000), real, "Incorrect real type for the parameter 1"},
      // NaN of every argument before the integer tests.
      {"ChiSquareLess(a, b)", fraction, nan, "Value is NAN (Not A Number) for the parameter 2"},
      {"NormalPDF(1, a, b)", nan, nan, "Value is NAN (Not A Number) for the parameter 2"},
      // Integer arguments in their order, before any domain rule.
      {"FDistLess(-1, a, b)", fraction, fraction, "Incorrect  integer for the parameter 2"},
      {"FDistBetween(1, 2, a, b)", real, fraction, "Incorrect  integer for the parameter 4"},
      {"BinomialBetween(0.5, 4, a, b)", fraction, real, "Incorrect  integer for the parameter 3"},
      {"Hermite(a, b)", real, fraction, "Incorrect integer type: Order of Hermite"},
      {"PoissonBetween(2, a, b)", real, TValue::MakeReal(3 + 2e-13), "Incorrect  integer for the parameter 3"},
      // A domain rule only after every check.
      {"InvChiSquare(a, b)", TValue::MakeReal(0.1), TValue::MakeReal(0), "Degrees of Freedom must be > 0"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    const TFailure f = RunFailure(c.Text, c.A, c.B);
    const std::string name = std::string(c.Text).substr(0, std::string(c.Text).find('('));
    EXPECT_EQ(f.Message, std::string("ExecuteComand-> NON MATH EXCEPTION WAS RAISED : ") + c.Message + " : " + name);
    EXPECT_EQ(f.Kind, 0);
  }
  // The failure line the user sees at run time.
  EXPECT_EQ(RunFailure("Gamma(a)", boolean, real).Line,
            "Execution error :  incorrect real type for the parameter 1 : gamma");
}

TEST(DistributionsChecks, IntegersWithinTolerancePassAsTheNearestInteger) {
  // 1e-13 from an integer, on either side, is that integer.
  EXPECT_EQ(Eval("Permutation(5 + 0.9e-13, 2 - 0.9e-13)"), 20);
  EXPECT_EQ(Eval("BinomialCoeff(5, 2)"), 10);
  EXPECT_EQ(Eval("ChiSquareLess(2, 3 - 5e-14)"), Eval("ChiSquareLess(2, 3)"));
}

TEST(DistributionsChecks, CurrencyArgumentsAreReals) {
  TValue a = TValue::MakeCurrency(5 * CurrencyScale), b = TValue::MakeCurrency(25000);  // 5 and 2.5
  THelmaxComplexEval e(DistributionFunctions());
  TUserVarArray vars{{"a", &a, 0}, {"b", &b, 0}};
  e.VerifySyntaxSemantics("Permutation(a, 2), Gamma(b)", vars, false);
  ASSERT_FALSE(e.Error) << ParseErrorLine(e);
  TValue* const* r = e.DoVectorOfMathExpressions();
  ASSERT_NE(r, nullptr) << ExecuteErrorLine(e);
  EXPECT_EQ(r[0]->Num, 20);
  ExpectNear(r[1]->Num, Eval("Gamma(2.5)"), 0, "Gamma of currency 2.5");
}

TEST(DistributionsFailures, FloatingPointFailuresHaveTheirKind) {
  struct TCase {
    const char* Text;
    int Kind;
  };
  const TCase cases[] = {
      {"LnGamma(-0.5)", mkInvalidOp},  // ln of a negative number
      {"Gamma(200)", mkOverflow},      //
      {"LogNormalLess(0, 1, 0)", mkZeroDivide},
      {"LogNormalLess(0, 1, -1)", mkInvalidOp},
      {"Hermite(1, 100000000000)", mkOverflow},  // stops once the recurrence leaves the range
      {"InverseGamma(-1000000000000000.5)", mkOverflow},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(CompileFailure(c.Text).Kind, c.Kind);
  }
}

// ---- values ------------------------------------------------------------------

TEST(DistributionsValues, EdgeCases) {
  ExpectNear(Eval("Gamma(5)"), 24, 1e-15, "Gamma(5)");
  EXPECT_EQ(Eval("InverseGamma(-2)"), 0);
  EXPECT_EQ(Eval("InverseGamma(0)"), 0);
  ExpectNear(Eval("Gamma(-0.5)"), -2 * std::sqrt(M_PI), 1e-14, "Gamma(-0.5)");
  EXPECT_EQ(Eval("NormalLess(0)"), 0.5);
  ExpectNear(Eval("NormalDistLess(0, 1, -1)"), 1 - Eval("NormalLess(1)"), 1e-15, "NormalDistLess(0, 1, -1)");
  ExpectNear(Eval("InvNormalLess(0.975)"), 1.959963984540054, 1e-15, "InvNormalLess(0.975)");
  ExpectNear(Eval("ZAlpha(0.05)"), 1.6448536269514722, 1e-15, "ZAlpha(0.05)");
  EXPECT_NEAR(Eval("ChiSquareLess(3.84146, 1)"), 0.95, 5e-6);
  EXPECT_EQ(Eval("BinomialBetween(0.5, 4, 1, 3)"), 0.375);
  EXPECT_EQ(Eval("BinomialBetween(0.5, 4, 3, 1)"), 0.875);
  EXPECT_EQ(Eval("BinomialBetween(0.5, 4, 2, 2)"), 0.375);
  EXPECT_EQ(Eval("BinomialBetween(0.5, 4, 1, 2)"), 0);
  EXPECT_EQ(Eval("Permutation(5, 2)"), 20);
  EXPECT_EQ(Eval("Permutation(5, 0)"), 1);
  EXPECT_EQ(Eval("Permutation(0, 0)"), 0);
  EXPECT_EQ(Eval("BinomialCoeff(5, 2)"), 10);
  EXPECT_EQ(Eval("BinomialCoeff(52, 5)"), 2598960);
  EXPECT_EQ(Eval("BinomialCoeff(0, 0)"), 0);
  EXPECT_EQ(Eval("BinomialCoeff(7, 7)"), 1);
  EXPECT_EQ(Eval("Hermite(3, 4)"), 16 * 81 - 48 * 9 + 12);  // 16x⁴ - 48x² + 12
  EXPECT_EQ(Eval("Hermite(0, 7)"), 0);
  EXPECT_EQ(Eval("IncompleteBeta(0, 2, 3)"), 0);
  EXPECT_EQ(Eval("IncompleteBeta(1, 2, 3)"), 1);
  EXPECT_EQ(Eval("IncompleteBeta(1.0000000000000004, 2, 3)"), 1);  // within the relative tolerance
  EXPECT_EQ(Eval("IncompleteGamma(2, 0)"), 0);
  EXPECT_EQ(Eval("NormalDistBetween(0, 1, 0.3, 0.3)"), 0);
  EXPECT_EQ(Eval("ChiSquareBetween(2, 2, 3)"), 0);
  EXPECT_EQ(Eval("PoissonLess(3, 0)"), 0);
  ExpectNear(Eval("PoissonEq(2, 1)"), 2 * std::exp(-2.0), 1e-15, "PoissonEq(2, 1)");
  ExpectNear(Eval("ExponentialBetween(2, 1, 3)"), std::exp(-0.5) - std::exp(-1.5), 1e-15, "ExponentialBetween");
}

// The refinement widens its bracket until it holds the answer.
TEST(DistributionsValues, InverseDistributionsReachTheAnswerOutsideTheFirstBracket) {
  namespace bm = boost::math;
  ExpectNear(Eval("InvFDistLess(0.95, 2, 8)"),
             static_cast<double>(bm::quantile(bm::fisher_f_distribution<long double>(2, 8), 0.95L)), 1e-13,
             "InvFDistLess(0.95, 2, 8)");
  EXPECT_NEAR(Eval("InvFDistLess(0.95, 2, 8)"), 4.459, 5e-4);
  // Cauchy quantile: tan(π(p - 1/2)).
  ExpectNear(Eval("InvStudentTLess(0.975, 1)"), std::tan(M_PI * 0.475), 1e-13, "InvStudentTLess(0.975, 1)");
  ExpectNear(Eval("InvStudentTGreater(0.025, 1)"), std::tan(M_PI * 0.475), 1e-13, "InvStudentTGreater(0.025, 1)");
  // Negative estimates: p < 0.5, and the Greater form with p > 0.5.
  ExpectNear(Eval("InvStudentTLess(0.025, 1)"), -std::tan(M_PI * 0.475), 1e-13, "InvStudentTLess(0.025, 1)");
  ExpectNear(Eval("InvStudentTGreater(0.9, 4)"),
             static_cast<double>(bm::quantile(bm::students_t_distribution<long double>(4), 0.1L)), 1e-13,
             "InvStudentTGreater(0.9, 4)");
  EXPECT_NEAR(Eval("InvStudentTLess(0.5, 7)"), 0, 1e-15);
  // One degree of freedom, where the F estimate cannot be formed.
  for (const auto& [p, n1, n2] : {std::tuple{0.3, 1, 5}, std::tuple{0.9, 4, 1}, std::tuple{0.5, 1, 1}}) {
    const std::string text =
        "InvFDistLess(" + std::to_string(p) + ", " + std::to_string(n1) + ", " + std::to_string(n2) + ")";
    ExpectNear(
        Eval(text),
        static_cast<double>(bm::quantile(bm::fisher_f_distribution<long double>(n1, n2), static_cast<long double>(p))),
        1e-12, text);
  }
  // The ends of the closed range.
  EXPECT_EQ(Eval("InvFDistLess(0, 3, 4)"), 0);
  EXPECT_EQ(Eval("InvFDistLess(1, 3, 4)"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(Eval("InvStudentTLess(0, 3)"), -std::numeric_limits<double>::infinity());
}

TEST(DistributionsValues, UpperIncompleteGammaForEveryPositiveS) {
  for (double s : {2.3, 0.1, 0.2, 1.0, 7.77, 30.5}) {
    for (double x : {0.0, 0.5, 1.0, 12.0, 150.0}) {
      const std::string text = "IncompleteGamma2(" + std::to_string(s) + ", " + std::to_string(x) + ")";
      ExpectNear(Eval(text),
                 static_cast<double>(boost::math::tgamma(static_cast<long double>(s), static_cast<long double>(x))),
                 1e-13, text);
    }
  }
  EXPECT_NEAR(Eval("IncompleteGamma2(2.3, 1)"), 0.9445, 1e-4);
}

TEST(DistributionsValues, LnGammaIsExactlyZeroAtOneAndTwo) {
  EXPECT_EQ(Eval("LnGamma(1)"), 0);
  EXPECT_EQ(Eval("LnGamma(2)"), 0);
  EXPECT_EQ(Eval("Gamma(1)"), 1);
  EXPECT_EQ(Eval("Gamma(2)"), 1);
}

// Negative integer arguments finish at once with a defined outcome.
TEST(DistributionsValues, NegativeIntegersFinishPromptly) {
  EXPECT_EQ(
      CompileFailure("Hermite(2, -3)").Message,
      "ValFunct-> Hermite FUNCTION ARGUMENTS ESCAPE DEFINITION DOMIAN : Incorrect integer type: Order of Hermite");
  for (const char* text : {"ChiSquareLess(1, -3)", "InvChiSquareLess(0.5, -4)", "StudentTLess(1, -1000000000000)",
                           "InvStudentTLess(0.3, -2)", "FDistLess(1, -2, 3)", "InvFDistGreater(0.3, 2, -3)"}) {
    SCOPED_TRACE(text);
    EXPECT_NE(CompileFailure(text).Message.find(": Degrees of Freedom must be > 0"), std::string::npos);
  }
  EXPECT_NE(CompileFailure("Permutation(-5, -7)").Message.find(": Invalid Permutation"), std::string::npos);
  EXPECT_NE(CompileFailure("BinomialCoeff(-3, -4)").Message.find(": Invalid Binomial Coefficient"), std::string::npos);
  EXPECT_NE(CompileFailure("PoissonLess(2, -1)").Message.find(": Factorial Calculation cannot exceed 1754"),
            std::string::npos);
  EXPECT_EQ(Eval("Gamma(-2000.5)"), 0);  // 1/Γ leaves the extended range: Γ is below the double range
  // Equal to its integer part by the relative tolerance: a pole.
  EXPECT_NE(CompileFailure("Gamma(-1000000000000000.5)").Message.find(": Not defined for that value"),
            std::string::npos);
}

// Folded and run-time evaluations give the same value.
TEST(DistributionsValues, RunTimeEvaluationMatchesFolding) {
  TValue a = TValue::MakeReal(0.95), b = TValue::MakeReal(8);
  THelmaxComplexEval e(DistributionFunctions());
  TUserVarArray vars{{"a", &a, 0}, {"b", &b, 0}};
  e.VerifySyntaxSemantics("InvFDistLess(a, 2, b)", vars, false);
  ASSERT_FALSE(e.Error) << ParseErrorLine(e);
  TValue r;
  e.DoMathExpression(r);
  ASSERT_FALSE(e.Error) << ExecuteErrorLine(e);
  EXPECT_EQ(r.Num, Eval("InvFDistLess(0.95, 2, 8)"));
}

}  // namespace
}  // namespace helmax
