// The calculator's tolerant equality of values.
#include <gtest/gtest.h>

#include <cmath>

#include "SameValueApprox.h"

namespace helmax {
namespace {

TEST(SameValueApprox, RealsNaNAndInfinities) {
  const double inf = INFINITY, nan = EngineNaN();
  struct Case {
    double a, b;
    bool same;
  } cases[] = {
      {1, 1 + 5e-14, true},     {1, 1 + 2e-13, false},    {0, 1e-13, true},  {0, 2e-13, false},
      {1e20, 1e20 + 1e6, true}, {1e20, 1.0001e20, false}, {-2, 2, false},    {nan, nan, true},
      {nan, 1, false},          {1, nan, false},          {inf, inf, true},  {inf, -inf, false},
      {inf, 1e308, false},      {-inf, nan, false},       {-0.0, 0.0, true}, {1e-300, 2e-300, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SameValueApprox(TValue::MakeReal(c.a), TValue::MakeReal(c.b)), c.same) << c.a << " " << c.b;
    EXPECT_EQ(SameValueApprox(TValue::MakeReal(c.b), TValue::MakeReal(c.a)), c.same) << c.b << " " << c.a;
  }
}

TEST(SameValueApprox, OtherKinds) {
  EXPECT_TRUE(SameValueApprox(TValue::MakeBool(true), TValue::MakeBool(true)));
  EXPECT_FALSE(SameValueApprox(TValue::MakeBool(true), TValue::MakeBool(false)));
  EXPECT_TRUE(SameValueApprox(TValue::MakeCurrency(10001), TValue::MakeCurrency(10001)));
  EXPECT_FALSE(SameValueApprox(TValue::MakeCurrency(10001), TValue::MakeCurrency(10002)));
  EXPECT_TRUE(SameValueApprox(TValue::MakeComplex(1, 2), TValue::MakeComplex(1 + 1e-14, 2)));
  EXPECT_FALSE(SameValueApprox(TValue::MakeComplex(1, 2), TValue::MakeComplex(1, 2.001)));
  // Mixed kinds, null and date-times are never the same.
  EXPECT_FALSE(SameValueApprox(TValue::MakeReal(1), TValue::MakeCurrency(10000)));
  EXPECT_FALSE(SameValueApprox(TValue(), TValue()));
  EXPECT_FALSE(SameValueApprox(TValue::MakeDateTime(1), TValue::MakeDateTime(1)));
}

}  // namespace
}  // namespace helmax
