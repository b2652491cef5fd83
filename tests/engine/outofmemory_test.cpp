// Memory that runs out is said as such: every allocation of a compile and
// run fails in turn, and each outcome is the right result or "Out of
// memory", never a false complaint about the text; the engine works on
// afterwards.
#include <gtest/gtest.h>

#include "../common/FailingAllocations.h"
#include "EngineTestUtil.h"

namespace helmax {
namespace {

struct TCase {
  const char* Text;
  const char* Results;
};

class OutOfMemory : public ::testing::TestWithParam<TCase> {};

// What the run shows: its results joined by "; ", or the error line.
std::string Outcome(const THelmaxComplexEval& e, TValue* const* results) {
  if (e.Error)
    return (results == nullptr && e.ExpressionCount == 0 ? "parse: " : "exec: ") +
           std::string(e.ErrorCode == ecOutOfMemory ? "Out of memory" : e.ErrorMessage);
  std::string out;
  for (int i = 0; i < e.ExpressionCount; ++i) out += (i > 0 ? "; " : "") + ValueToText(*results[i]);
  return out;
}

TEST_P(OutOfMemory, IsSaidAndLeavesTheEngineWorking) {
  const TCase& c = GetParam();
  THelmaxComplexEval e;
  const std::string text = c.Text;
  TValue* const* results = nullptr;
  // Only the engine runs while an allocation may fail.
  auto run = [&] {
    results = nullptr;
    e.VerifySyntaxSemantics(text);
    if (!e.Error) results = e.DoVectorOfMathExpressions();
  };
  const long runs = test::SweepAllocationFailures(run, [&](long k) {
    const std::string outcome = Outcome(e, results);
    if (outcome == c.Results) return;
    EXPECT_TRUE(e.Error && e.ErrorCode == ecOutOfMemory) << "allocation " << k << ": " << outcome;
    EXPECT_EQ(ExecuteErrorLine(e), "Out of memory");
  });
  EXPECT_GT(runs, 0) << "the text allocates nothing";
  run();
  EXPECT_EQ(Outcome(e, results), c.Results);
}

INSTANTIATE_TEST_SUITE_P(Texts, OutOfMemory,
                         ::testing::Values(TCase{"2+2", "4"}, TCase{"a=3, b=a*a+1", "3; 10"},
                                           TCase{"f(x)~x^2+1, f(3)+f(1)", "Null; 12"},
                                           TCase{"If(Gr(2,1), Sqr(5), 0)+sqrt(Complex(-4,0))", "Complex(25, 2)"},
                                           TCase{"Bk(m=10,s=0,i=0,While(Lseq(i,m-1),Bk(i=i+1,s=s+i)),s)", "55"},
                                           TCase{"fact(k)~if(eq(k,0),1,k*fact(k-1)), fact(6)", "Null; 720"}));

}  // namespace
}  // namespace helmax
