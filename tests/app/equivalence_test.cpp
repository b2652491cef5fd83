// The equivalence test: verdicts of pairs of expressions over many seeds
// (verdicts only, never exact counts), and the messages of its failures.
#include <gtest/gtest.h>

#include <string>

#include "../common/CaseNames.h"
#include "EquivalenceTest.h"

namespace helmax {
namespace {

struct TPairCase {
  const char* First;
  const char* Second;
  TVerdict Expected;
};

std::string Name(const TPairCase& c) { return std::string(c.First) + " vs " + c.Second; }

class EquivalenceVerdict : public ::testing::TestWithParam<TPairCase> {};

TEST_P(EquivalenceVerdict, OverTwentySeeds) {
  const TPairCase& c = GetParam();
  TMessageRecorder ui;
  TEquivalenceTest test(ui);
  for (std::uint64_t seed = 1; seed <= 20; ++seed) {
    const TEquivalenceCounts counts = test.Compare(c.First, c.Second, seed);
    EXPECT_EQ(VerdictText(VerdictOf(counts)), std::string(VerdictText(c.Expected)))
        << Name(c) << ", seed " << seed << ": " << CountsText(counts);
  }
  EXPECT_TRUE(ui.Messages.empty()) << ui.Messages.front();
}

INSTANTIATE_TEST_SUITE_P(
    Examples, EquivalenceVerdict,
    ::testing::Values(TPairCase{"sin(x)^2+cos(x)^2", "1", TVerdict::Yes}, TPairCase{"x", "x*(1+1e-15)", TVerdict::Yes},
                      TPairCase{"x", "-x", TVerdict::No}, TPairCase{"x", "y", TVerdict::No},
                      TPairCase{"ln(x)", "ln(x)", TVerdict::Yes},
                      // Agreeing on half the samples is not enough.
                      TPairCase{"x", "abs(x)", TVerdict::No},
                      // Each expression runs alone over all the variables.
                      TPairCase{"y=x^2", "y", TVerdict::No}, TPairCase{"y", "y=x^2", TVerdict::No},
                      TPairCase{"12.31.2008", "12.31.2008", TVerdict::Yes}, TPairCase{"null", "0", TVerdict::No},
                      TPairCase{"null", "null", TVerdict::Yes},
                      // Only numerically stable samples count.
                      TPairCase{"(x+1)^2-(x-1)^2", "4*x", TVerdict::Yes},
                      TPairCase{"(x+1)^2-x^2", "2*x+1", TVerdict::Yes},
                      TPairCase{"cosh(x)^2-sinh(x)^2", "1", TVerdict::Yes}, TPairCase{"abs(x)", "x", TVerdict::No},
                      TPairCase{"max(x,0)", "x", TVerdict::No}, TPairCase{"exp(-x^2)", "exp(-2*x^2)", TVerdict::No},
                      TPairCase{"sqrt(-x^2)", "0", TVerdict::Indeterminate},
                      // Implicit multiplication is on.
                      TPairCase{"2 x", "x+x", TVerdict::Yes}, TPairCase{"a*b+c", "c+b*a", TVerdict::Yes},
                      TPairCase{"1/x", "x^-1", TVerdict::Yes}),
    test::NamedBy([](const TPairCase& c) { return Name(c); }));

TEST(EquivalenceTest, VerdictNeedsAHundredCountedSamples) {
  EXPECT_EQ(VerdictOf({0, 0}), TVerdict::Indeterminate);
  EXPECT_EQ(VerdictOf({99, 0}), TVerdict::Indeterminate);
  EXPECT_EQ(VerdictOf({100, 0}), TVerdict::Yes);
  EXPECT_EQ(VerdictOf({99, 1}), TVerdict::Yes);
  EXPECT_EQ(VerdictOf({98, 2}), TVerdict::No);
  EXPECT_EQ(VerdictOf({50, 50}), TVerdict::No);
  EXPECT_EQ(CountsText({3, 4}), "equal=3 unequal=4 counted=7");
}

TEST(EquivalenceTest, OneSeedGivesTheSameCounts) {
  TMessageRecorder ui;
  TEquivalenceTest test(ui);
  const TEquivalenceCounts a = test.Compare("(x+1)^2-(x-1)^2", "4*x", 7);
  const TEquivalenceCounts b = test.Compare("(x+1)^2-(x-1)^2", "4*x", 7);
  EXPECT_EQ(a.Equal, b.Equal);
  EXPECT_EQ(a.Unequal, b.Unequal);
}

struct TFailureCase {
  const char* First;
  const char* Second;
  const char* Message;
};

TEST(EquivalenceTest, ErrorsNameTheExpression) {
  const TFailureCase cases[] = {
      {"1/0", "1", "First expression -> Division by 0"},
      {"x, y", "x", "First expression -> Please insert only one expression"},
      {"x", "2+", "Second expression -> Syntax error : 2+"},
      {"x", "(1,2)", "Second expression -> Please insert only one expression"},
      {"x", "sqrt(-1)", "Second expression -> Invalid value for SQRT :  sqrt( -1)  : InvalidOp"},
      // Each compiles alone; together the function is defined twice.
      {"f(t)~t", "f(t)~t+1", "Second expression -> Dublicating defined function"},
  };
  for (const TFailureCase& c : cases) {
    TMessageRecorder ui;
    TEquivalenceTest test(ui);
    const TEquivalenceCounts counts = test.Compare(c.First, c.Second, 1);
    EXPECT_EQ(counts.Counted(), 0) << c.First << " vs " << c.Second;
    ASSERT_EQ(ui.Messages.size(), 1u) << c.First << " vs " << c.Second;
    EXPECT_EQ(ui.Messages[0].substr(0, std::string(c.Message).size()), c.Message);
  }
}

TEST(EquivalenceTest, TestCommandShowsVerdictAndCounters) {
  TMessageRecorder ui;
  TEquivalenceTest test(ui);
  const TEquivalenceCounts counts = test.Test(" sin(x)^2+\r\ncos(x)^2 \r\n", "1", 3);
  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_EQ(ui.Messages[0], "Yes\n" + CountsText(counts));
  ui.Clear();
  test.Test("1/0", "1", 3);
  ASSERT_EQ(ui.Messages.size(), 2u);
  EXPECT_EQ(ui.Messages[0], "First expression -> Division by 0");
  EXPECT_EQ(ui.Messages[1], "Indeterminate\nequal=0 unequal=0 counted=0");
}

TEST(EquivalenceTest, PanesBecomeOneLine) {
  EXPECT_EQ(OneLineExpression("  x\r\n+1 \r\n"), "x+1");
  EXPECT_EQ(OneLineExpression("\n\nx\n"), "x");
  EXPECT_EQ(OneLineExpression(""), "");
}

TEST(EngineErrorMessages, PrefixAndBothHandlers) {
  TMessageRecorder ui;
  TEngineErrorMessages messages(ui);
  THelmaxComplexEval e;
  messages.Bind(e, true);
  messages.ErrorPrefix = "Conversion -> ";
  e.VerifySyntaxSemantics("1/0");
  e.VerifySyntaxSemantics("x=0, 1/x");
  e.DoVectorOfMathExpressions();
  ASSERT_EQ(ui.Messages.size(), 2u);
  EXPECT_EQ(ui.Messages[0], "Conversion -> Division by 0");
  EXPECT_EQ(ui.Messages[1], "Conversion -> Division by 0 ");  // the execute-error wording
}

}  // namespace
}  // namespace helmax
