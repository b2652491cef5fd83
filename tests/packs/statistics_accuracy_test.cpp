// Accuracy of the descriptive statistics at any magnitude: random samples
// (fixed seeds) from 1e-300 to 1e300, shifted far from 0, against their
// moments computed in 50 digits; and worked values at the ends of the
// double range.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <boost/multiprecision/cpp_bin_float.hpp>

#include "PackEntryCall.h"

namespace helmax {
namespace {

using Wide = boost::multiprecision::cpp_bin_float_50;

double Call(const std::string& name, const std::vector<double>& args) {
  return packtest::CallEntry(dtpack::StatisticsEntries(), name, args);
}

std::string Text(const std::string& name, const std::vector<double>& args) { return packtest::CallText(name, args); }

// The central moments of a sample in 50 digits (the mean of doubles within
// a factor 1e8 of each other is exact there to far more than double
// precision), with mean |d|^k as the size of each moment's terms.
struct TWideMoments {
  Wide Sum2, M2, M3, M4, Abs3;
  std::size_t N;
};

TWideMoments WideMoments(const std::vector<double>& x) {
  Wide mean = 0;
  for (double v : x) mean += v;
  mean /= x.size();
  TWideMoments m{0, 0, 0, 0, 0, x.size()};
  for (double v : x) {
    const Wide d = v - mean, d2 = d * d;
    m.Sum2 += d2;
    m.M3 += d2 * d;
    m.M4 += d2 * d2;
    m.Abs3 += abs(d2 * d);
  }
  m.M2 = m.Sum2 / x.size();
  m.M3 /= x.size();
  m.M4 /= x.size();
  m.Abs3 /= x.size();
  return m;
}

constexpr double kUnit = 1.1102230246251565e-16;  // half an ulp of 1 in double

// Samples of 2 to 40 values at a magnitude 10^e (e from -300 to 300) with
// spread 10^e and an offset up to 1e6 times the spread.
std::vector<std::vector<double>> RandomSamples(unsigned seed, int count) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<std::vector<double>> samples;
  for (int i = 0; i < count; ++i) {
    const double spread = std::pow(10.0, std::floor(-300 + 600 * unit(random)));
    const double offset = (unit(random) < 0.5 ? 0.0 : std::pow(10.0, 6 * unit(random))) * spread;
    const int size = 2 + static_cast<int>(39 * unit(random));
    std::vector<double> x;
    for (int k = 0; k < size; ++k) x.push_back(offset + spread * (unit(random) - 0.3) * (1 + 3 * unit(random)));
    if (std::isfinite(x[0])) samples.push_back(x);
  }
  return samples;
}

struct TStatisticCase {
  std::string Name;
  std::function<Wide(const TWideMoments&)> Value;
  std::function<Wide(const TWideMoments&)> Size;  // size of its terms
  double Bound;                                   // in units of kUnit
};

TEST(StatisticsAccuracy, EveryMagnitudeAgainstFiftyDigits) {
  using boost::multiprecision::sqrt;
  const auto variance = [](const TWideMoments& m) { return m.Sum2 / (m.N - 1); };
  const std::vector<TStatisticCase> cases = {
      {"TotalVariance", [](const TWideMoments& m) { return m.Sum2; }, nullptr, 4},
      {"Variance", variance, nullptr, 4},
      {"StdDev", [=](const TWideMoments& m) { return sqrt(variance(m)); }, nullptr, 4},
      {"PopnVariance", [](const TWideMoments& m) { return m.M2; }, nullptr, 4},
      {"PopnStdDev", [](const TWideMoments& m) { return sqrt(m.M2); }, nullptr, 4},
      {"Moment3", [](const TWideMoments& m) { return m.M3; }, [](const TWideMoments& m) { return m.Abs3; }, 8},
      {"Moment4", [](const TWideMoments& m) { return m.M4; }, nullptr, 4},
      {"Skew", [](const TWideMoments& m) { return m.M3 / (m.M2 * sqrt(m.M2)); },
       [](const TWideMoments& m) { return m.Abs3 / (m.M2 * sqrt(m.M2)); }, 8},
      {"Kurtosis", [](const TWideMoments& m) { return m.M4 / (m.M2 * m.M2); }, nullptr, 4},
  };
  int checked = 0;
  for (const std::vector<double>& x : RandomSamples(314159, 3000)) {
    const TWideMoments m = WideMoments(x);
    if (m.M2 == 0) continue;
    for (const TStatisticCase& c : cases) {
      const Wide reference = c.Value(m);
      // Only results that are finite doubles (not below the normal range).
      if (!(abs(reference) < Wide(1.7e308)) || abs(reference) < Wide(1e-290)) continue;
      ++checked;
      const Wide size = c.Size ? c.Size(m) : abs(reference);
      double value = std::nan("");
      try {
        value = Call(c.Name, x);
      } catch (const std::exception& ex) {
        ADD_FAILURE() << c.Name << " of " << x.size() << " values near " << x[0] << " failed: " << ex.what();
        continue;
      }
      EXPECT_LE(abs(Wide(value) - reference), c.Bound * kUnit * (abs(reference) + size))
          << Text(c.Name, x) << " = " << value << ", reference " << reference.str(20);
    }
  }
  EXPECT_GT(checked, 10000);
}

TEST(StatisticsWorkedValues, AtTheEndsOfTheDoubleRange) {
  struct TWorked {
    std::string Name;
    std::vector<double> Args;
    double Expected;
  };
  const double sqrt2 = 1.4142135623730950488;
  const TWorked cases[] = {
      {"StdDev", {1e200, -1e200}, sqrt2 * 1e200},
      {"StdDev", {1e-200, -1e-200}, sqrt2 * 1e-200},
      {"StdDev", {1e-160, 3e-160}, sqrt2 * 1e-160},
      {"PopnVariance", {1e154, 3e154}, 1e308},
      {"Kurtosis", {1e78, -1e78}, 1},
      {"Kurtosis", {1e-100, 2e-100, 4e-100}, 1.5},
      // The skew of (1, 2, 4): M3/M2^1.5 = (20/27)/(14/9)^1.5.
      {"Skew", {1e-170, 2e-170, 4e-170}, 0.38180177416060626},
      {"Skew", {1e103, 2e103, 4e103}, 0.38180177416060626},
      {"Skew", {1000001, 1000002, 1000004}, 0.38180177416060626},
  };
  for (const TWorked& c : cases) {
    const std::string text = Text(c.Name, c.Args);
    try {
      EXPECT_NEAR(Call(c.Name, c.Args), c.Expected, 4 * kUnit * std::fabs(c.Expected)) << text;
    } catch (const std::exception& ex) { ADD_FAILURE() << text << " failed: " << ex.what(); }
  }
}

}  // namespace
}  // namespace helmax
