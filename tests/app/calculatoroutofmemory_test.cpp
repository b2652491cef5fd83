// Memory that runs out in the calculator's evaluation cycle: with each
// allocation of a definitions change and of an evaluation failing in turn,
// the user sees the right results or "Out of memory", never a false
// complaint about the text, and the next evaluation gives the results
// again.
#include <gtest/gtest.h>

#include "../common/FailingAllocations.h"
#include "CalculatorTestUtil.h"

namespace helmax {
namespace {

const char* const kDefinitions = "f(t)~t^2+1, g(t)~If(Gr(t,0), f(t), 0), y=f(2)";
const char* const kPane = "g(3)+y, Sqr(y), f(y)*c";

bool SaysOutOfMemory(const std::string& text) { return text.find("Out of memory") != std::string::npos; }

struct OutOfMemoryInTheCycle : ::testing::Test {
  test::TCalculatorFixture F;
  std::string Results;
  void SetUp() override {
    ASSERT_TRUE(F.Calc.Constants().AddConst(F.Calc.Constants().RowCount(), "c", "2", "two"));
    F.Define(kDefinitions);
    Results = F.Eval(kPane);
    ASSERT_EQ(Results, "15\n25\n52");
    F.Ui.Messages.clear();
  }
  // The results pane: the right results or out of memory, said at most
  // once.
  void Check(long k) {
    EXPECT_LE(F.Ui.Messages.size(), 1u) << "allocation " << k << ": said once";
    for (const std::string& m : F.Ui.Messages) EXPECT_TRUE(SaysOutOfMemory(m)) << "allocation " << k << ": " << m;
    F.Ui.Messages.clear();
    if (F.Calc.Results() != Results) {
      EXPECT_TRUE(SaysOutOfMemory(F.Calc.Results())) << "allocation " << k << ": " << F.Calc.Results();
    }
  }
};

TEST_F(OutOfMemoryInTheCycle, Evaluation) {
  const std::string pane = kPane;
  const long runs = test::SweepAllocationFailures(
      [&] {
        F.Calc.SetExpressions(pane);
        F.Calc.ExpressionsChanged(TReport::Pane);
      },
      [&](long k) { Check(k); });
  EXPECT_GT(runs, 10);
  EXPECT_EQ(F.Eval(kPane), Results);
}

TEST_F(OutOfMemoryInTheCycle, DefinitionsChange) {
  const std::string definitions = kDefinitions, pane = kPane;
  const long runs = test::SweepAllocationFailures(
      [&] {
        F.Calc.SetDefinitions(definitions);
        F.Calc.DefinitionsChanged(TReport::Pane);
        F.Calc.SetExpressions(pane);
        F.Calc.ExpressionsChanged(TReport::Pane);
      },
      [&](long k) { Check(k); });
  EXPECT_GT(runs, 10);
  EXPECT_EQ(F.Eval(kPane), Results);
}

}  // namespace
}  // namespace helmax
