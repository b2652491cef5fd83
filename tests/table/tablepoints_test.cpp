// The table's points are the doubles nearest to exact decimals, and the
// range checks refuse what cannot be tabulated.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "TablePoints.h"
#include "Value.h"

using namespace helmax;

namespace {

// The oracle: the decimal text of (a + n·b)·10^-k, read by strtod.
double Decimal(long long a, long long b, long long n, int k) {
  return std::strtod((std::to_string(a + n * b) + "e-" + std::to_string(k)).c_str(), nullptr);
}

}  // namespace

TEST(TablePointsTest, DefaultsAreExactTenths) {
  const TDecimalPoints points(-100, 0.1);
  for (long long n = 0; n <= 2000; ++n) ASSERT_EQ(points.Point(n), Decimal(-1000, 1, n, 1)) << n;
  EXPECT_EQ(points.Point(1000), 0.0);
  EXPECT_EQ(points.Point(2000), 100.0);
  // 0.1 + 0.2 in doubles is 0.30000000000000004; the decimal sum is 0.3.
  EXPECT_EQ(TDecimalPoints(0.1, 0.2).Point(1), 0.3);
}

TEST(TablePointsTest, ScaledIntegersMatchTheDecimalText) {
  struct TCase {
    long long A, B;
    int K;
  };
  const TCase cases[] = {{1, 3, 1},
                         {-12345, 7, 3},
                         {999999, 1, 6},
                         {-5, 25, 2},
                         {0, 123456789, 9},
                         {314159, 271828, 5},
                         {-1000000000000000, 3, 16},
                         {7, 1, 22}};
  for (const TCase& c : cases) {
    const double from = Decimal(c.A, 0, 0, c.K), step = Decimal(c.B, 0, 0, c.K);
    const TDecimalPoints points(from, step);
    for (long long n : {0LL, 1LL, 2LL, 9LL, 10LL, 999LL, 123456LL, 1048574LL})
      ASSERT_EQ(points.Point(n), Decimal(c.A, c.B, n, c.K)) << c.A << " " << c.B << "e-" << c.K << " n=" << n;
  }
}

TEST(TablePointsTest, FarApartMagnitudesStayExact) {
  // 1e-30 + n: the sum's digits span 31 places.
  const TDecimalPoints tiny(1e-30, 1);
  EXPECT_EQ(tiny.Point(0), 1e-30);
  EXPECT_EQ(tiny.Point(3), 3.0);
  EXPECT_EQ(TDecimalPoints(-1e-30, 1).Point(0), -1e-30);
  EXPECT_EQ(TDecimalPoints(-1e-30, 1).Point(2), 2.0);
  // 1e17 + 5·0.3 = 100000000000000001.5: the nearest double is 1e17.
  EXPECT_EQ(TDecimalPoints(1e17, 0.3).Point(5), 1e17);
  EXPECT_EQ(TDecimalPoints(1e300, 1e-300).Point(0), 1e300);
  EXPECT_EQ(TDecimalPoints(-1e300, 1e290).Point(2), std::strtod("-0.9999999998e300", nullptr));
}

TEST(TablePointsTest, RangeChecks) {
  struct TCase {
    double From, To, Step;
    const char* Message;  // nullptr: accepted
    long long Count;
  };
  const double nan = std::nan("");
  const TCase cases[] = {
      {-100, 100, 0.1, nullptr, 2001},
      {0, 1048574, 1, nullptr, 1048575},
      {0, 1048575, 1, "Too many points: 1048576", 0},
      {5, 1, 1, nullptr, 0},  // from > to: no point
      {-1e308, 1e308, 1, "Too many points: INF", 0},
      {0, 1, 0, "Incorrect step : 0 (must be greater than 0)", 0},
      {0, 1, -0.5, "Incorrect step : -0.5 (must be greater than 0)", 0},
      {0, 1, nan, "Incorrect step : NAN (must be greater than 0)", 0},
      {0, INFINITY, 1, "Incorrect table range : from 0 to INF", 0},
  };
  for (const TCase& c : cases) {
    std::int64_t count = -1;
    const std::optional<std::string> message = CheckTableRange(c.From, c.To, c.Step, count);
    if (c.Message == nullptr) {
      EXPECT_FALSE(message) << *message;
      EXPECT_EQ(count, c.Count) << c.From << " " << c.To << " " << c.Step;
    } else {
      ASSERT_TRUE(message) << c.Message;
      EXPECT_EQ(*message, c.Message);
    }
  }
}
