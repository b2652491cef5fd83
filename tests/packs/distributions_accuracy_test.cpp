// Accuracy of every function of the distributions pack against Boost.Math
// over the argument grids of DistributionGrid.h: the worst relative error
// stays below the bound chosen for the function's algorithm. Then values
// in the far tails and at large parameters, by family, against values
// known to more digits than a double holds.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <sstream>
#include <string>

#include <boost/math/distributions/binomial.hpp>

#include "DistributionGrid.h"

namespace helmax {
namespace {

TEST(DistributionsAccuracy, EveryFunctionHasAGrid) {
  std::set<std::string> covered;
  for (const grid::TGridCase& c : grid::DistributionGrid()) {
    EXPECT_FALSE(c.Points.empty()) << c.Name;
    covered.insert(c.Name);
  }
  for (const TUserFuncRec& r : DistributionFunctions()) EXPECT_TRUE(covered.count(r.Name)) << r.Name;
  EXPECT_EQ(covered.size(), DistributionFunctions().size());
}

TEST(DistributionsAccuracy, WorstRelativeErrorWithinBound) {
  const TUserFuncArray functions = DistributionFunctions();
  for (const grid::TGridCase& c : grid::DistributionGrid()) {
    SCOPED_TRACE(c.Name + (c.Reason[0] ? std::string(" (") + c.Reason + ")" : std::string()));
    const TUserFuncRec& rec = grid::FindFunction(functions, c.Name);
    double worst = 0.0;
    grid::Args worstAt;
    for (const grid::Args& a : c.Points) {
      double error = 0.0;
      try {
        error = grid::RelativeError(grid::CallOurs(rec, a), c.Reference(a), c.Floor);
      } catch (const std::exception& ex) {
        std::ostringstream at;
        for (double x : a) at << x << ' ';
        ADD_FAILURE() << c.Name << " failed at " << at.str() << ": " << ex.what();
        continue;
      }
      if (!(error <= worst)) {
        worst = error;
        worstAt = a;
      }
    }
    std::ostringstream at;
    for (double x : worstAt) at << x << ' ';
    EXPECT_LE(worst, c.Bound) << c.Name << " worst at " << at.str();
  }
}

struct TWorkedValue {
  std::string Name;
  grid::Args Args;
  long double Expected;
  double Bound;  // relative
};

void ExpectWorkedValues(const std::vector<TWorkedValue>& values) {
  const TUserFuncArray functions = DistributionFunctions();
  for (const TWorkedValue& v : values) {
    std::ostringstream call;
    call << v.Name << '(';
    for (std::size_t i = 0; i < v.Args.size(); ++i) call << (i ? ", " : "") << v.Args[i];
    call << ')';
    double value = std::nan("");
    try {
      value = grid::CallOurs(grid::FindFunction(functions, v.Name), v.Args);
    } catch (const std::exception& ex) {
      ADD_FAILURE() << call.str() << " failed: " << ex.what();
      continue;
    }
    EXPECT_LE(grid::RelativeError(value, v.Expected, 1e-300), v.Bound)
        << call.str() << " = " << value << ", expected " << static_cast<double>(v.Expected);
  }
}

namespace bm = boost::math;
using grid::Wide;

long double Narrow(const Wide& w) { return static_cast<long double>(w); }

// Values printed to 15 digits are held to their last digit.
constexpr double kPrinted = 1e-14;

TEST(DistributionsWorkedValues, GammaAndBetaFamily) {
  const Wide bigA = 74875141.1193624, tinyB = 1.9180060615921465e-05;
  ExpectWorkedValues({
      {"Beta", {1, 200}, 0.005L, 1e-15},
      {"Beta", {0.5, 0.5}, 3.14159265358979323846L, 1e-15},
      {"LnBeta",
       {74875141.1193624, 1.9180060615921465e-05},
       Narrow(bm::lgamma(bigA) + bm::lgamma(tinyB) - bm::lgamma(bigA + tinyB)),
       1e-15},
      {"IncompleteGamma",
       {5.898263403261792, 5.857136684172008e-19},
       Narrow(bm::gamma_p(Wide(5.898263403261792), Wide(5.857136684172008e-19))),
       1e-14},
      {"IncompleteGamma", {2000, 2100}, Narrow(bm::gamma_p(Wide(2000), Wide(2100))), 1e-14},
      // P(a, a) = 1/2 + 1/(3√(2πa)) + O(a^-3/2) (the median is about a - 1/3),
      // at a shape far past where a series could be summed.
      {"IncompleteGamma",
       {1e12, 1e12},
       0.5L + 1.0L / (3.0L * std::sqrt(2.0L * 3.14159265358979323846L * 1e12L)),
       1e-15},
      {"IncompleteBeta",
       {0.6631289511029058, 720.6679212459835, 0.07827366666373577},
       Narrow(bm::ibeta(Wide(720.6679212459835), Wide(0.07827366666373577), Wide(0.6631289511029058))),
       1e-14},
  });
}

TEST(DistributionsWorkedValues, NormalFamily) {
  ExpectWorkedValues({
      {"NormalGreater", {8}, 6.22096057427178e-16L, kPrinted},
      {"NormalDistLess", {0, 1, -9}, 1.12858840595384e-19L, kPrinted},
      {"NormalDistGreater", {0, 1, 9}, 1.12858840595384e-19L, kPrinted},
      {"LogNormalGreater", {0, 1, std::exp(8.0)}, 6.22096057427178e-16L, 1e-13},
      // Both bounds in the upper tail: Q(8) - Q(9).
      {"NormalDistBetween", {0, 1, 9, 8}, 6.22096057427178e-16L - 1.12858840595384e-19L, kPrinted},
  });
}

TEST(DistributionsWorkedValues, ChiSquareFAndTFamily) {
  const auto fisher = [](double n1, double n2) { return bm::fisher_f_distribution<Wide>(n1, n2); };
  ExpectWorkedValues({
      {"ChiSquareGreater", {500, 1}, 9.50539776655409e-111L, kPrinted},
      {"ChiSquareLess", {174.75216117690903, 363}, 1.01495813003277e-18L, kPrinted},
      {"ChiSquareLess", {2e12, 2e12}, 0.5L + 1.0L / (3.0L * std::sqrt(2.0L * 3.14159265358979323846L * 1e12L)), 1e-15},
      {"InvChiSquare", {0.95, 5000}, Narrow(bm::quantile(bm::chi_squared_distribution<Wide>(5000), Wide(0.95))), 1e-13},
      {"InvChiSquareGreater",
       {0.000002, 2001},
       Narrow(bm::quantile(complement(bm::chi_squared_distribution<Wide>(2001), Wide(0.000002)))),
       1e-13},
      {"FDistGreater",
       {0.10321913853113825, 2843, 28},
       Narrow(bm::cdf(complement(fisher(2843, 28), Wide(0.10321913853113825)))),
       1e-15},
      {"FDistLess",
       {0.003482854410810068, 2346, 5},
       Narrow(bm::cdf(fisher(2346, 5), Wide(0.003482854410810068))),
       1e-14},
      {"StudentTGreater",
       {20.368505886600744, 804},
       Narrow(bm::cdf(complement(bm::students_t_distribution<Wide>(804), Wide(20.368505886600744)))),
       1e-14},
      {"InvStudentTLess",
       {1.5004129528085285e-12, 4705},
       Narrow(bm::quantile(bm::students_t_distribution<Wide>(4705), Wide(1.5004129528085285e-12))),
       1e-14},
      {"InvFDistGreater", {1e-12, 2, 2}, 999999999999.0L, 1e-15},
  });
}

// One huge shape and the other 1/2 or 1 in the incomplete beta function:
// Student's t and F at huge degrees of freedom against 50-digit values.
TEST(DistributionsWorkedValues, StudentTAndFAtHugeDegreesOfFreedom) {
  ExpectWorkedValues({
      {"StudentTGreater", {2, 100000000}, 0.022750133297953376441410976816883945L, 1e-15},
      {"StudentTGreater", {2, 2147483647}, 0.022750132011032964667254242290095527L, 1e-15},
      {"StudentTGreater", {0.5, 1000000000}, 0.30853753878099710366070779134419946L, 1e-15},
      {"StudentTGreater", {7, 300000000}, 1.2798152081817733200188703076879467e-12L, 1e-14},
      {"StudentTGreater", {3, 2000}, 0.001366571881016399696588L, 1e-14},
      {"StudentTGreater", {1.5, 2500}, 0.06687033607106177431578L, 1e-14},
      {"StudentTGreater", {40, 2001}, 6.644959497812091824094e-258L, 1e-13},
      {"FDistGreater", {4, 1, 2147483647}, 0.045500264022065929334508484580191054L, 1e-15},
      {"FDistGreater", {0.3, 1, 10000000}, 0.58388243299511191575614334938440607L, 1e-15},
      {"FDistGreater", {2, 2, 1000000000}, 0.13533528377795382447955617391751521L, 1e-15},
      {"FDistGreater", {5, 1, 2000}, 0.02545722155445660970725L, 1e-14},
      {"FDistGreater", {9, 2, 500000000}, 0.0001234098240790689511059L, 1e-14},
      {"FDistLess", {1e-6, 1, 1000000000}, 0.0007978844276226539112165L, 1e-14},
  });
}

// ln Γ near its zeros at 1 and 2, where an absolute error of 1e-16 is a
// large relative one, against 50-digit values (at the doubles given), and
// where its series meet the general formula.
TEST(DistributionsWorkedValues, LnGammaNearItsZeros) {
  ExpectWorkedValues({
      {"LnGamma", {0.999999999991362}, 4.9859769193973521649406151842053911e-12L, 1e-15},
      {"LnGamma", {1.0000001}, -5.772155829918507096963801793243099e-8L, 1e-15},
      {"LnGamma", {0.9999}, 5.7729791561193862808302962698894485e-5L, 1e-15},
      {"LnGamma", {1.05}, -0.026853072502260190188790012458354869L, 1e-15},
      {"LnGamma", {0.85}, 0.10659511647811765670309129252707936L, 1e-15},
      {"LnGamma", {1.999999}, -4.2278401259658537019029502504394431e-7L, 1e-15},
      {"LnGamma", {2.0000000001}, 4.2278437011204658672235114195589556e-11L, 1e-15},
      {"LnGamma", {2.15}, 0.0704557337041117693667367708873887L, 1e-15},
      {"LnGamma", {1.8}, -0.071083872914372154331840445468483438L, 1e-15},
      {"LnGamma", {1.25}, -0.09827183642181316146385380269663584L, 1e-15},
      {"LnGamma", {1.2500000000000002}, -0.098271836421813211968683760031881369L, 1e-14},
      {"LnGamma", {0.75}, 0.2032809514312953714814329718624297L, 1e-15},
      {"LnGamma", {1.75}, -0.084401121020485555957786034131397732L, 1e-15},
      {"LnGamma", {2.25}, 0.12487171489239659430244128761319866L, 1e-15},
  });
}

TEST(DistributionsWorkedValues, DiscreteFamily) {
  const auto binomial = [](double n, double p) { return bm::binomial_distribution<Wide>(n, p); };
  ExpectWorkedValues({
      {"BinomialLess", {0.99, 5000, 4999}, 1.0L, 1e-15},
      {"BinomialLess", {0.99, 5000, 4950}, Narrow(bm::cdf(binomial(5000, 0.99), Wide(4949))), 1e-14},
      // Fewer than n successes: 1 - p^n.
      {"BinomialLess", {0.996, 3000, 3000}, -std::expm1(3000 * std::log1p(-0.004L)), 1e-14},
      {"BinomialGreater", {0.01, 5000, 200}, Narrow(bm::cdf(complement(binomial(5000, 0.01), Wide(200)))), 1e-14},
      {"PoissonGreater", {2, 30}, 3.76955285532580e-26L, kPrinted},
      {"PoissonLess", {1000, 700}, Narrow(bm::cdf(bm::poisson_distribution<Wide>(1000), Wide(699))), 1e-14},
  });
}

// Every distribution function, at random arguments spanning tiny, huge,
// near-1 and integral values (fixed seed), gives a probability within
// [0, 1] whenever it gives a value at all.
TEST(DistributionsRange, ProbabilitiesStayWithinZeroAndOne) {
  const std::set<std::string> probabilities = {
      "IncompleteGamma",   "IncompleteBeta",    "NormalLess",       "NormalGreater",      "NormalDistLess",
      "NormalDistGreater", "NormalDistBetween", "LogNormalLess",    "LogNormalGreater",   "LogNormalBetween",
      "ChiSquareLess",     "ChiSquareGreater",  "ChiSquareBetween", "FDistLess",          "FDistGreater",
      "FDistBetween",      "StudentTLess",      "StudentTGreater",  "StudentTBetween",    "BinomialEq",
      "BinomialLess",      "BinomialGreater",   "BinomialBetween",  "PoissonEq",          "PoissonLess",
      "PoissonGreater",    "PoissonBetween",    "ExponentialLess",  "ExponentialGreater", "ExponentialBetween"};
  std::mt19937_64 random(271828);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const auto argument = [&] {
    const double kind = unit(random);
    if (kind < 0.3) return std::floor(std::pow(10.0, 7 * unit(random)));
    if (kind < 0.5) return unit(random);
    if (kind < 0.6) return 1 - std::pow(10.0, -16 * unit(random));
    if (kind < 0.7) return std::pow(10.0, -300 * unit(random));
    if (kind < 0.9) return (unit(random) - 0.5) * std::pow(10.0, 4 * unit(random));
    return std::pow(10.0, 12 * unit(random));
  };
  int answered = 0;
  for (const TUserFuncRec& r : DistributionFunctions()) {
    if (!probabilities.count(r.Name)) continue;
    for (int i = 0; i < 2000; ++i) {
      grid::Args args;
      for (int k = 0; k < r.ArgCount; ++k) args.push_back(argument());
      double value = 0.0;
      try {
        value = grid::CallOurs(r, args);
      } catch (const std::exception&) {
        continue;  // outside the function's domain
      }
      ++answered;
      std::ostringstream call;
      call.precision(17);
      for (double a : args) call << a << ' ';
      EXPECT_TRUE(value >= 0.0 && value <= 1.0) << r.Name << "(" << call.str() << ") = " << value;
    }
  }
  EXPECT_GT(answered, 20000);
}

}  // namespace
}  // namespace helmax
