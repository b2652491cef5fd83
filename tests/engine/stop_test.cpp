// Ending a running evaluation: the stop flag that another thread raises, and
// the step budget of one evaluation.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "EngineTestUtil.h"

namespace helmax {
namespace {

using test::RunText;

// An engine whose external function tick counts its calls (the first comes
// while compiling) and raises the stop flag at call number StopAt (0: never).
struct TTickingEngine {
  std::atomic<std::uint8_t> Flag{srNone};
  std::atomic<long> Ticks{0};
  long StopAt = 0;
  THelmaxComplexEval E{TUserFuncArray{test::Method(
      "tick",
      [this](TValue* const*, int, TValue& r) {
        if (++Ticks == StopAt) Flag = srStopped;
        r = TValue::MakeReal(0);
      },
      -1)}};
  TTickingEngine() { E.StopFlag = &Flag; }
};

// A stop asked for at some point of the run ends it at the next loop turn or
// call, however deep: the run goes on for at most a few more ticks.
TEST(StopRequest, EndsTheRunAtTheNextLoopTurnOrCall) {
  const char* texts[] = {
      "fib(n)~if(ls(n,2),n+tick,fib(n-1)+fib(n-2)), fib(40)",
      "Bk(k=0, j=0, While(gr(k,-1), While(gr(j,-1), j=j+1+tick)))",
      "Bk(s=0, i=0, While(gr(i,-1), Bk(i=i+1, s=s+i+tick)))",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    TTickingEngine t;
    t.StopAt = 10000;
    EXPECT_EQ(RunText(t.E, text), "exec: Calculation stopped");
    EXPECT_EQ(t.E.ErrorCode, ecStopped);
    EXPECT_EQ(t.E.MathErrorKind, 0);
    EXPECT_LE(t.Ticks, t.StopAt + 2);
  }
}

TEST(StopRequest, ComesFromAnotherThread) {
  TTickingEngine t;
  t.E.VerifySyntaxSemantics("fib(n)~if(ls(n,2),n+tick,fib(n-1)+fib(n-2)), fib(60)");
  ASSERT_FALSE(t.E.Error);
  std::thread run([&] { t.E.DoVectorOfMathExpressions(); });
  while (t.Ticks < 1000) std::this_thread::yield();
  t.Flag = srStopped;
  run.join();  // fib(60) would take centuries: only the stop ends it
  EXPECT_EQ(t.E.ErrorCode, ecStopped);
  // The program is intact: lowered again, the flag lets it run.
  t.Flag = srNone;
  EXPECT_EQ(RunText(t.E, "fib(n)~if(ls(n,2),n+tick,fib(n-1)+fib(n-2)), fib(10)"), "Null; 55");
}

TEST(StepBudget, EndsARunawayRunAndResetsForTheNextOne) {
  THelmaxComplexEval e;
  e.MaxSteps = 100000;
  EXPECT_EQ(RunText(e, "Bk(k=0, j=0, While(gr(k,-1), While(gr(j,-1), j=j+1)))"), "exec: Calculation stopped: too long");
  EXPECT_EQ(e.ErrorCode, ecTooLong);
  // A run within the budget is not touched, again and again.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(RunText(e, "Bk(s=0, k=0, While(ls(k,1000), Bk(k=k+1, s=s+k)), s)"), "500500");
  // The budget counts calls as well as loop turns.
  EXPECT_EQ(RunText(e, "f(n)~if(ls(n,1),0,1+f(n-1)+f(n-1)), f(30)"), "exec: Calculation stopped: too long");
  e.MaxSteps = 0;  // no limit
  EXPECT_EQ(RunText(e, "Bk(k=0, While(ls(k,99999), k=k+1), k)"), "99999");
}

TEST(StepBudget, ATooLongFlagEndsTheRunAsTheBudgetWould) {
  TTickingEngine t;
  t.Flag = srTooLong;
  EXPECT_EQ(RunText(t.E, "Bk(k=0, While(gr(k,-1), k=k+tick))"), "exec: Calculation stopped: too long");
  EXPECT_EQ(t.Ticks, 1);  // the call while compiling; no loop turn ran
}

}  // namespace
}  // namespace helmax
