// Argument grids of the distributions pack with Boost.Math as the
// reference, shared by the accuracy test and bench/distributions_accuracy.
// Each case names a registered function, its argument tuples, the
// reference value (computed by Boost.Math in long double) and the bound on
// the worst relative error, with the reason where it is looser than 1e-14.
#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include <boost/math/distributions/binomial.hpp>
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/exponential.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/lognormal.hpp>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/poisson.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <boost/math/special_functions/binomial.hpp>
#include <boost/math/special_functions/factorials.hpp>
#include <boost/math/special_functions/gamma.hpp>
#include <boost/math/special_functions/hermite.hpp>
#include <boost/multiprecision/cpp_bin_float.hpp>

#include "Distributions.h"
#include "Value.h"

namespace helmax::grid {

using Args = std::vector<double>;
using LD = long double;
// 50 significant digits: the reference where Boost.Math in long double is
// itself off by more than the bound (large shapes, far quantiles).
using Wide = boost::multiprecision::cpp_bin_float_50;

struct TGridCase {
  std::string Name;
  std::vector<Args> Points;
  std::function<LD(const Args&)> Reference;
  double Bound;             // worst relative error allowed
  double Floor = 1e-300;    // error is relative to max(|reference|, Floor)
  const char* Reason = "";  // why the bound is looser than 1e-13 or the floor above 1e-300, if so
};

// Relative error of a value against the reference, relative to
// max(|reference|, floor).
inline double RelativeError(double value, LD reference, double floor) {
  const LD scale = std::max<LD>(std::fabs(reference), floor);
  if (scale == 0.0L) return value == 0.0 ? 0.0 : INFINITY;
  return static_cast<double>(std::fabs(static_cast<LD>(value) - reference) / scale);
}

inline std::vector<double> Range(double from, double to, int count) {
  std::vector<double> v;
  for (int i = 0; i < count; ++i) v.push_back(count == 1 ? from : from + (to - from) * i / (count - 1));
  return v;
}

inline std::vector<double> Geometric(double from, double to, int count) {
  std::vector<double> v;
  for (int i = 0; i < count; ++i) v.push_back(from * std::pow(to / from, static_cast<double>(i) / (count - 1)));
  return v;
}

// Every combination of the given axes, the first varying slowest.
inline std::vector<Args> Product(std::initializer_list<std::vector<double>> axes) {
  std::vector<Args> points{Args{}};
  for (const auto& axis : axes) {
    std::vector<Args> next;
    for (const Args& p : points)
      for (double x : axis) {
        Args q = p;
        q.push_back(x);
        next.push_back(q);
      }
    points = std::move(next);
  }
  return points;
}

// The points that keep accepts; a point where keep throws (the reference
// cannot be evaluated there) is left out.
inline std::vector<Args> Filter(std::vector<Args> points, const std::function<bool(const Args&)>& keep) {
  const auto drop = [&](const Args& a) {
    try {
      return !keep(a);
    } catch (const std::exception&) { return true; }
  };
  points.erase(std::remove_if(points.begin(), points.end(), drop), points.end());
  return points;
}

// Our function called through its registration, as the engine calls it.
inline double CallOurs(const TUserFuncRec& rec, const Args& args) {
  TValue values[4];
  TValue* pointers[4];
  for (std::size_t i = 0; i < args.size(); ++i) {
    values[i] = TValue::MakeReal(args[i]);
    pointers[i] = &values[i];
  }
  TValue result;
  rec.Method(pointers, static_cast<int>(args.size()), result);
  if (!result.IsReal()) throw std::runtime_error("no real result");
  return result.Num;
}

inline const TUserFuncRec& FindFunction(const TUserFuncArray& functions, const std::string& name) {
  for (const TUserFuncRec& r : functions)
    if (r.Name == name) return r;
  throw std::runtime_error("unregistered function " + name);
}

// |F(x2) - F(x1)| of a Boost.Math distribution, from the lower tails where
// both are at most 1/2, from the upper tails where those are, and as 1 minus
// the two outer tails otherwise, so that the reference keeps its relative
// accuracy when both bounds lie in one far tail.
template <class Distribution, class Real>
LD TailDifference(const Distribution& d, Real x1, Real x2) {
  namespace bm = boost::math;
  const LD l1 = static_cast<LD>(bm::cdf(d, x1)), l2 = static_cast<LD>(bm::cdf(d, x2));
  if (l1 <= 0.5L && l2 <= 0.5L) return std::fabs(l2 - l1);
  const LD u1 = static_cast<LD>(bm::cdf(complement(d, x1))), u2 = static_cast<LD>(bm::cdf(complement(d, x2)));
  if (u1 <= 0.5L && u2 <= 0.5L) return std::fabs(u2 - u1);
  return 1.0L - std::min(l1, l2) - std::min(u1, u2);
}

inline std::vector<TGridCase> DistributionGrid() {
  namespace bm = boost::math;
  using bm::complement;
  const auto normal = [](const Args& a, int mu, int sigma) {
    return bm::normal_distribution<LD>(mu < 0 ? 0.0L : a[mu], sigma < 0 ? 1.0L : a[sigma]);
  };
  const auto binomialSum = [](LD p, LD n, LD lo, LD hi) {
    bm::binomial_distribution<LD> d(n, p);
    LD s = 0;
    for (LD i = lo; i <= hi; i += 1) s += bm::pdf(d, i);
    return s;
  };
  const auto poissonSum = [](LD lambda, LD lo, LD hi) {
    bm::poisson_distribution<LD> d(lambda);
    LD s = 0;
    for (LD i = lo; i <= hi; i += 1) s += bm::pdf(d, i);
    return s;
  };
  const auto between = [](LD k1, LD k2, const std::function<LD(LD, LD)>& sum) -> LD {
    if (k1 == k2) return sum(k1, k1);
    if (k2 < k1) return sum(k2, k1);
    if (k2 - k1 < 2) return 0;
    return sum(k1 + 1, k2 - 1);
  };
  const std::vector<double> probabilities{1e-10, 1e-6, 0.001, 0.01, 0.05, 0.1,  0.25,  0.4,
                                          0.5,   0.6,  0.75,  0.9,  0.95, 0.99, 0.999, 0.999999};
  const std::vector<double> degrees{1, 2, 3, 4, 5, 7, 10, 15, 30, 60, 100, 250};

  std::vector<TGridCase> g;

  // ---- special functions ----
  g.push_back({"Gamma",
               Filter(Product({Range(-20.25, 170.5, 400)}),
                      [](const Args& a) { return std::fabs(a[0] - std::round(a[0])) > 0.02; }),
               [](const Args& a) { return bm::tgamma(static_cast<LD>(a[0])); }, 5e-14, 1e-300,
               "the LnGamma formula's fitted coefficients leave about 2e-14 in ln Γ"});
  g.push_back({"LnGamma", Product({Geometric(1e-3, 1e5, 300)}),
               [](const Args& a) { return bm::lgamma(static_cast<LD>(a[0])); }, 5e-13, 1e-3,
               "relative to max(|ln Γ|, 1e-3), ln Γ having zeros at 1 and 2; the LnGamma formula's fitted coefficients "
               "leave about 2e-14 in ln Γ"});
  // Next to the poles of Γ (0, -1, ..., -20) and the zeros of ln Γ (1 and 2),
  // from both sides, at distances 1e-2 down to 1e-13; ln Γ of negative x
  // where Γ is positive.
  std::vector<Args> nearPoles, nearZeros, nearPolesLn;
  for (int k = 0; k <= 20; ++k)
    for (int j = 2; j <= 13; ++j)
      for (double side : {-1.0, 1.0}) {
        const double x = -k + side * std::pow(10.0, -j);
        nearPoles.push_back({x});
        if (x < 0 && std::sin(3.14159265358979323846 * std::fmod(x, 2.0)) > 0) nearPolesLn.push_back({x});
      }
  for (double at : {1.0, 2.0})
    for (int j = 2; j <= 13; ++j)
      for (double side : {-1.0, 1.0}) nearZeros.push_back({at + side * std::pow(10.0, -j) * (1 + 0.37 * j)});
  g.push_back({"Gamma", nearPoles, [](const Args& a) { return bm::tgamma(static_cast<LD>(a[0])); }, 5e-14, 1e-300,
               "the LnGamma formula's fitted coefficients leave about 2e-14 in ln Γ"});
  g.push_back({"Gamma", nearZeros, [](const Args& a) { return bm::tgamma(static_cast<LD>(a[0])); }, 1e-15});
  g.push_back({"LnGamma", nearZeros, [](const Args& a) { return bm::lgamma(static_cast<LD>(a[0])); }, 1e-15});
  g.push_back({"LnGamma", nearPolesLn, [](const Args& a) { return bm::lgamma(static_cast<LD>(a[0])); }, 5e-13, 1e-300,
               "the LnGamma formula's fitted coefficients leave about 2e-14 in ln Γ(1 - x) of the reflection"});
  g.push_back({"InverseGamma", Product({Range(-30.3, 60.7, 300)}),
               [](const Args& a) { return 1.0L / bm::tgamma(static_cast<LD>(a[0])); }, 5e-14, 1e-300,
               "the LnGamma formula's fitted coefficients leave about 2e-14 in ln Γ"});
  const auto gammaP = [](const Args& a) { return bm::gamma_p(static_cast<LD>(a[0]), static_cast<LD>(a[1])); };
  g.push_back({"IncompleteGamma", Product({Geometric(0.05, 900, 30), Geometric(0.01, 2000, 40)}), gammaP, 1e-13});
  // Large shapes around the mean, where a normal approximation is not
  // enough, and far lower tails below e^-88.
  std::vector<Args> largeShapes;
  for (double p : Geometric(1001, 5e6, 14))
    for (double ratio : {0.5, 0.69, 0.71, 0.9, 0.97, 0.99, 0.999, 1.0, 1.001, 1.01, 1.03, 1.1, 1.29, 1.31, 1.5})
      largeShapes.push_back({p, p * ratio});
  for (double p : {1e5, 3e5, 1e6, 4e6})
    for (double deviations : {-38.0, -20.0, -5.0, -1.0, -0.1, 0.1, 1.0, 5.0, 20.0, 38.0})
      largeShapes.push_back({p, p + deviations * std::sqrt(p)});
  g.push_back({"IncompleteGamma", largeShapes,
               [](const Args& a) { return static_cast<LD>(bm::gamma_p(Wide(a[0]), Wide(a[1]))); }, 1e-13});
  g.push_back({"IncompleteGamma", Product({Geometric(0.5, 80, 12), Geometric(1e-20, 1e-3, 12)}), gammaP, 1e-13});
  g.push_back({"IncompleteGamma2", Product({Geometric(0.05, 150, 30), Geometric(0.01, 500, 40)}),
               [](const Args& a) { return bm::tgamma(static_cast<LD>(a[0]), static_cast<LD>(a[1])); }, 1e-13});
  const auto betaReference = [](const Args& a) { return bm::beta(static_cast<LD>(a[0]), static_cast<LD>(a[1])); };
  g.push_back({"Beta", Product({Geometric(0.01, 80, 25), Geometric(0.01, 80, 25)}), betaReference, 1e-14});
  g.push_back({"Beta", Product({Geometric(0.5, 1e5, 15), Geometric(0.5, 1e5, 15)}), betaReference, 1e-13, 1e-300,
               "the exponent reaches 1e5: its rounding in extended precision"});
  const auto lnBeta = [](const Args& a) {
    const Wide x = a[0], y = a[1];
    return static_cast<LD>(boost::math::lgamma(x) + boost::math::lgamma(y) - boost::math::lgamma(x + y));
  };
  g.push_back({"LnBeta", Product({Geometric(0.01, 1e4, 25), Geometric(0.01, 1e4, 25)}), lnBeta, 1e-14, 1e-3,
               "relative to max(|ln B|, 1e-3), ln B changing sign"});
  g.push_back({"LnBeta", Product({Geometric(1e-5, 1e8, 14), Geometric(1e-5, 1e8, 14)}), lnBeta, 1e-14, 1e-3,
               "relative to max(|ln B|, 1e-3), ln B changing sign"});
  const auto incompleteBeta = [](const Args& a) {
    return bm::ibeta(static_cast<LD>(a[1]), static_cast<LD>(a[2]), static_cast<LD>(a[0]));
  };
  g.push_back({"IncompleteBeta", Product({Range(0.01, 0.5, 15), Geometric(0.1, 100, 15), Geometric(0.1, 100, 15)}),
               incompleteBeta, 1e-13});
  g.push_back({"IncompleteBeta", Product({Range(0.51, 0.99, 15), Geometric(0.1, 100, 15), Geometric(0.1, 100, 15)}),
               incompleteBeta, 1e-13});
  // Large and very unequal shapes, near the mean and in both far tails.
  g.push_back(
      {"IncompleteBeta",
       Product({{0.001, 0.05, 0.3, 0.6631289511029058, 0.9, 0.999}, Geometric(0.5, 1e4, 10), Geometric(0.05, 1e4, 10)}),
       incompleteBeta, 1e-13});
  g.push_back({"Hermite", Product({Range(-10, 10, 41), Range(0, 60, 61)}),
               [](const Args& a) { return bm::hermite(static_cast<unsigned>(a[1]), static_cast<LD>(a[0])); }, 1e-14});
  g.push_back({"Permutation",
               Filter(Product({Range(1, 170, 170), Range(0, 170, 171)}), [](const Args& a) { return a[1] <= a[0]; }),
               [](const Args& a) { return bm::falling_factorial(static_cast<LD>(a[0]), static_cast<unsigned>(a[1])); },
               1e-14});
  g.push_back({"BinomialCoeff",
               Filter(Product({Range(10, 1000, 100), Range(0, 1000, 101)}), [](const Args& a) { return a[1] <= a[0]; }),
               [](const Args& a) {
                 return bm::binomial_coefficient<LD>(static_cast<unsigned>(a[0]), static_cast<unsigned>(a[1]));
               },
               1e-14});

  // ---- normal and log-normal ----
  const auto xs = Range(-8, 8, 161);
  const auto positive = Range(0, 8, 81);
  g.push_back({"NormalZ", Product({xs}), [=](const Args& a) { return bm::pdf(normal(a, -1, -1), a[0]); }, 1e-14});
  g.push_back({"NormalPDF", Product({Range(-5, 5, 21), Range(-2, 2, 5), {0.1, 0.5, 1, 3}}),
               [=](const Args& a) { return bm::pdf(normal(a, 1, 2), a[0]); }, 1e-14});
  g.push_back(
      {"NormalLess", Product({positive}), [=](const Args& a) { return bm::cdf(normal(a, -1, -1), a[0]); }, 1e-14});
  g.push_back({"NormalGreater", Product({Range(0, 37, 149)}),
               [=](const Args& a) { return bm::cdf(complement(normal(a, -1, -1), a[0])); }, 1e-13, 1e-300,
               "the complementary error function at x/√2, x rounded: relative error up to x² times that of x"});
  g.push_back({"InvNormalLess", Product({probabilities}),
               [=](const Args& a) { return bm::quantile(normal(a, -1, -1), a[0]); }, 1e-14});
  g.push_back({"InvNormalGreater", Product({probabilities}),
               [=](const Args& a) { return bm::quantile(complement(normal(a, -1, -1), a[0])); }, 1e-14});
  g.push_back({"ZAlpha", Product({probabilities}),
               [=](const Args& a) { return bm::quantile(complement(normal(a, -1, -1), a[0])); }, 1e-14});
  const auto normalDist = Product({Range(-2, 2, 3), {0.5, 1, 2.5}, Range(-36, 36, 73)});
  const auto inDoubleRange = [](const Args& a) { return std::fabs((a[2] - a[0]) / a[1]) < 37.5; };
  g.push_back({"NormalDistLess", Filter(normalDist, inDoubleRange),
               [=](const Args& a) { return bm::cdf(normal(a, 0, 1), a[2]); }, 1e-13, 1e-300,
               "the complementary error function at a rounded z: relative error up to z² times that of z"});
  g.push_back({"NormalDistGreater", Filter(normalDist, inDoubleRange),
               [=](const Args& a) { return bm::cdf(complement(normal(a, 0, 1), a[2])); }, 1e-13, 1e-300,
               "the complementary error function at a rounded z: relative error up to z² times that of z"});
  const auto normalBetween = [=](const Args& a) { return TailDifference(normal(a, 0, 1), a[2], a[3]); };
  g.push_back(
      {"NormalDistBetween", Product({{0, 1}, {0.5, 2}, Range(-4, 4, 9), Range(-4, 4, 9)}), normalBetween, 1e-13});
  g.push_back({"NormalDistBetween", Product({{0}, {1}, Range(-30, 30, 13), Range(-30, 30, 13)}), normalBetween, 1e-13,
               1e-300, "the complementary error function at a rounded z: relative error up to z² times that of z"});
  const auto invDist = Product({Range(-2, 2, 3), {0.5, 1, 2.5}, probabilities});
  g.push_back({"InvNormalDistLess", invDist, [=](const Args& a) { return bm::quantile(normal(a, 0, 1), a[2]); }, 1e-13,
               1e-300, "μ + σ·z cancels where z ≈ -μ/σ"});
  g.push_back({"InvNormalDistGreater", invDist,
               [=](const Args& a) { return bm::quantile(complement(normal(a, 0, 1), a[2])); }, 1e-13, 1e-300,
               "μ + σ·z cancels where z ≈ -μ/σ"});
  const auto logNormal = [](const Args& a) { return bm::lognormal_distribution<LD>(a[0], a[1]); };
  g.push_back({"LogNormalPDF", Product({Geometric(0.01, 100, 25), Range(-1, 1, 3), {0.25, 1, 2}}),
               [](const Args& a) { return bm::pdf(bm::lognormal_distribution<LD>(a[1], a[2]), a[0]); }, 1e-14});
  const auto logGrid = Product({Range(-1, 1, 3), {0.25, 1, 2}, Geometric(1e-6, 1e6, 37)});
  const auto logZ = [](const Args& a) { return (std::log(a[2]) - a[0]) / a[1]; };
  g.push_back({"LogNormalLess", Filter(logGrid, [=](const Args& a) { return std::fabs(logZ(a)) < 37.5; }),
               [=](const Args& a) { return bm::cdf(logNormal(a), a[2]); }, 1e-13, 1e-300,
               "the complementary error function at a rounded z, as NormalDistLess"});
  g.push_back({"LogNormalGreater", Filter(logGrid, [=](const Args& a) { return std::fabs(logZ(a)) < 37.5; }),
               [=](const Args& a) { return bm::cdf(complement(logNormal(a), a[2])); }, 1e-13, 1e-300,
               "the complementary error function at a rounded z, as NormalDistGreater"});
  g.push_back({"LogNormalBetween", Product({{0}, {0.5, 1}, Geometric(1e-6, 1e6, 13), Geometric(1e-6, 1e6, 13)}),
               [=](const Args& a) { return TailDifference(logNormal(a), a[2], a[3]); }, 1e-13, 1e-300,
               "the complementary error function at a rounded z, as NormalDistLess"});
  g.push_back({"InvLogNormalLess", invDist, [=](const Args& a) { return bm::quantile(logNormal(a), a[2]); }, 1e-13,
               1e-300, "exp amplifies the absolute error of μ + σ·z (|μ + σ·z| up to 18)"});
  g.push_back({"InvLogNormalGreater", invDist,
               [=](const Args& a) { return bm::quantile(complement(logNormal(a), a[2])); }, 1e-13, 1e-300,
               "exp amplifies the absolute error of μ + σ·z (|μ + σ·z| up to 18)"});

  // ---- chi-square, F, t ----
  const auto chi = [](const Args& a, int nu) { return bm::chi_squared_distribution<LD>(a[nu]); };
  const std::vector<double> manyDegrees{1, 2, 3, 4, 5, 7, 10, 15, 30, 60, 100, 250, 363, 1000, 2001, 10000, 100000};
  const auto chiGrid = Product({Geometric(0.01, 3e5, 60), manyDegrees});
  g.push_back({"ChiSquareLess", chiGrid, [=](const Args& a) { return bm::cdf(chi(a, 1), a[0]); }, 1e-13});
  g.push_back(
      {"ChiSquareGreater", chiGrid, [=](const Args& a) { return bm::cdf(complement(chi(a, 1), a[0])); }, 1e-13});
  g.push_back({"ChiSquareGreater", Product({{500, 1000, 1400}, {1, 2, 3}}),
               [=](const Args& a) { return bm::cdf(complement(chi(a, 1), a[0])); }, 1e-13});
  g.push_back({"ChiSquareBetween",
               Product({Geometric(0.1, 1000, 11), Geometric(0.1, 1000, 11), {1, 2, 5, 10, 30, 363}}),
               [=](const Args& a) { return TailDifference(chi(a, 2), a[0], a[1]); }, 1e-13});
  const auto chiP = Product({{0.000002, 0.001, 0.01, 0.05, 0.25, 0.5, 0.75, 0.95, 0.99, 0.999, 0.999998}, manyDegrees});
  g.push_back({"InvChiSquare", chiP, [=](const Args& a) { return bm::quantile(chi(a, 1), a[0]); }, 1e-13});
  g.push_back({"InvChiSquareLess", chiP, [=](const Args& a) { return bm::quantile(chi(a, 1), a[0]); }, 1e-13});
  g.push_back(
      {"InvChiSquareGreater", chiP, [=](const Args& a) { return bm::quantile(complement(chi(a, 1), a[0])); }, 1e-13});
  const auto fisher = [](const Args& a, int n1, int n2) { return bm::fisher_f_distribution<Wide>(a[n1], a[n2]); };
  const auto wide = [](const Wide& w) { return static_cast<LD>(w); };
  const std::vector<double> fDegrees{1, 2, 3, 5, 8, 20, 60, 500, 2843};
  const auto fGrid = Product({Geometric(1e-4, 1e4, 33), fDegrees, fDegrees});
  g.push_back({"FDistLess", fGrid, [=](const Args& a) { return wide(bm::cdf(fisher(a, 1, 2), Wide(a[0]))); }, 1e-13});
  g.push_back({"FDistGreater", fGrid,
               [=](const Args& a) { return wide(bm::cdf(complement(fisher(a, 1, 2), Wide(a[0])))); }, 1e-13});
  g.push_back({"FDistLess", Product({{0.003482854410810068, 0.10321913853113825}, {2346, 2843}, {5, 28}}),
               [=](const Args& a) { return wide(bm::cdf(fisher(a, 1, 2), Wide(a[0]))); }, 1e-13});
  g.push_back({"FDistGreater", Product({{0.003482854410810068, 0.10321913853113825}, {2346, 2843}, {5, 28}}),
               [=](const Args& a) { return wide(bm::cdf(complement(fisher(a, 1, 2), Wide(a[0])))); }, 1e-13});
  g.push_back({"FDistBetween", Product({Geometric(0.01, 100, 7), Geometric(0.01, 100, 7), {1, 4, 20, 500}, {2, 9, 30}}),
               [=](const Args& a) { return TailDifference(fisher(a, 2, 3), Wide(a[0]), Wide(a[1])); }, 1e-13});
  const auto fP = Product({{1e-100, 1e-12, 0.001, 0.01, 0.05, 0.25, 0.5, 0.75, 0.95, 0.99, 0.999, 1 - 1e-12},
                           {1, 2, 3, 5, 8, 20, 60, 500},
                           {1, 2, 3, 5, 8, 20, 60, 500}});
  const auto fFinite = [=](const Args& a) {
    const LD q = wide(bm::quantile(fisher(a, 1, 2), Wide(a[0])));
    return q > 1e-300L && q < 1e300L;
  };
  g.push_back({"InvFDistLess", Filter(fP, fFinite),
               [=](const Args& a) { return wide(bm::quantile(fisher(a, 1, 2), Wide(a[0]))); }, 1e-13});
  g.push_back({"InvFDistGreater",
               Filter(fP,
                      [=](const Args& a) {
                        const LD q = wide(bm::quantile(complement(fisher(a, 1, 2), Wide(a[0]))));
                        return q > 1e-300L && q < 1e300L;
                      }),
               [=](const Args& a) { return wide(bm::quantile(complement(fisher(a, 1, 2), Wide(a[0])))); }, 1e-13});
  const auto student = [](const Args& a, int nu) { return bm::students_t_distribution<LD>(a[nu]); };
  std::vector<double> tx = Range(-20, 20, 81);
  for (double x : Geometric(25, 1e6, 12)) {
    tx.push_back(x);
    tx.push_back(-x);
  }
  const std::vector<double> tDegrees{1, 2, 3, 4, 5, 7, 10, 15, 30, 60, 100, 250, 804, 4705, 100000};
  g.push_back(
      {"StudentTLess", Product({tx, tDegrees}), [=](const Args& a) { return bm::cdf(student(a, 1), a[0]); }, 1e-13});
  g.push_back({"StudentTGreater", Product({tx, tDegrees}),
               [=](const Args& a) { return bm::cdf(complement(student(a, 1), a[0])); }, 1e-13});
  g.push_back({"StudentTBetween", Product({Range(-30, 30, 13), Range(-30, 30, 13), {1, 3, 10, 50, 804}}),
               [=](const Args& a) { return TailDifference(student(a, 2), a[0], a[1]); }, 1e-13});
  const auto tP = Product(
      {{1e-100, 1.5004129528085285e-12, 0.001, 0.01, 0.025, 0.1, 0.3, 0.5, 0.7, 0.9, 0.975, 0.99, 0.999, 1 - 1e-12},
       {1, 2, 3, 4, 5, 7, 10, 15, 30, 60, 100, 250, 4705}});
  const auto wideStudent = [](const Args& a) { return bm::students_t_distribution<Wide>(a[1]); };
  const auto tFinite = [=](const Args& a) { return std::fabs(bm::quantile(student(a, 1), a[0])) < 1e300L; };
  g.push_back({"InvStudentTLess", Filter(tP, tFinite),
               [=](const Args& a) { return wide(bm::quantile(wideStudent(a), Wide(a[0]))); }, 1e-13, 1e-3,
               "relative to max(|t|, 1e-3): near p = 0.5 the value is about 0"});
  g.push_back(
      {"InvStudentTGreater",
       Filter(tP, [=](const Args& a) { return std::fabs(bm::quantile(complement(student(a, 1), a[0]))) < 1e300L; }),
       [=](const Args& a) { return wide(bm::quantile(complement(wideStudent(a), Wide(a[0])))); }, 1e-13, 1e-3,
       "relative to max(|t|, 1e-3): near p = 0.5 the value is about 0"});

  // ---- discrete and exponential ----
  const auto binomial =
      Filter(Product({{0.01, 0.1, 0.3, 0.5, 0.77, 0.99}, {1, 2, 5, 10, 40, 100, 400}, Range(0, 400, 81)}),
             [](const Args& a) { return a[2] <= a[1]; });
  g.push_back({"BinomialEq", binomial,
               [](const Args& a) { return bm::pdf(bm::binomial_distribution<LD>(a[1], a[0]), a[2]); }, 1e-13, 1e-300,
               "C(n, k)·p^k·(1-p)^(n-k) from powers with exponents up to 400"});
  g.push_back({"BinomialLess", binomial,
               [=](const Args& a) { return a[2] == 0 ? 0.0L : binomialSum(a[0], a[1], 0, a[2] - 1); }, 1e-13});
  g.push_back({"BinomialGreater", Filter(binomial, [](const Args& a) { return a[2] < a[1]; }),
               [=](const Args& a) { return binomialSum(a[0], a[1], a[2] + 1, a[1]); }, 1e-13});
  g.push_back({"BinomialBetween", Product({{0.2, 0.5}, {30}, Range(0, 30, 11), Range(0, 30, 11)}),
               [=](const Args& a) {
                 return between(a[2], a[3], [&](LD lo, LD hi) { return binomialSum(a[0], a[1], lo, hi); });
               },
               1e-13});
  // Large n, p near 0 and 1, both tails.
  const auto largeBinomial =
      Product({{1e-4, 0.01, 0.3, 0.77, 0.99, 0.996},
               {3000, 5000},
               {0, 1, 10, 30, 1000, 1500, 2300, 2950, 2990, 2999, 3000, 4000, 4900, 4950, 4999}});
  const auto binomialCdf = [](const Args& a, double k) {
    return bm::cdf(bm::binomial_distribution<LD>(a[1], a[0]), k);
  };
  const auto binomialUpper = [](const Args& a, double k) {
    return bm::cdf(complement(bm::binomial_distribution<LD>(a[1], a[0]), k));
  };
  g.push_back({"BinomialLess", Filter(largeBinomial, [](const Args& a) { return a[2] <= a[1]; }),
               [=](const Args& a) { return a[2] == 0 ? 0.0L : binomialCdf(a, a[2] - 1); }, 1e-13});
  g.push_back({"BinomialGreater", Filter(largeBinomial, [](const Args& a) { return a[2] < a[1]; }),
               [=](const Args& a) { return binomialUpper(a, a[2]); }, 1e-13});
  g.push_back(
      {"BinomialBetween",
       Product({{0.01, 0.5, 0.99}, {5000}, {0, 10, 40, 2400, 2600, 4950, 5000}, {0, 30, 50, 2450, 2500, 4990, 5000}}),
       [=](const Args& a) {
         return between(a[2], a[3], [&](LD lo, LD hi) {
           const LD below = lo == 0 ? 0.0L : binomialCdf(a, lo - 1), above = binomialUpper(a, hi);
           if (hi < a[0] * a[1]) return binomialCdf(a, hi) - below;
           if (lo > a[0] * a[1]) return (lo == 0 ? 1.0L : binomialUpper(a, lo - 1)) - above;
           return 1.0L - below - above;
         });
       },
       1e-13});
  const auto poisson = Product({{0.01, 0.5, 1, 3.7, 10, 50, 200}, Range(0, 400, 41)});
  g.push_back({"PoissonEq", poisson, [](const Args& a) { return bm::pdf(bm::poisson_distribution<LD>(a[0]), a[1]); },
               1e-13, 1e-300, "λ^k·e^(-λ)/k! with exponents up to 400"});
  g.push_back({"PoissonLess", poisson, [=](const Args& a) { return a[1] == 0 ? 0.0L : poissonSum(a[0], 0, a[1] - 1); },
               1e-13, 1e-300, "sum of terms each good to ~1e-14 relative"});
  g.push_back({"PoissonGreater", poisson,
               [=](const Args& a) { return bm::cdf(complement(bm::poisson_distribution<LD>(a[0]), a[1])); }, 1e-13});
  const auto largePoisson = Product({{2, 30, 1000, 1e5}, {0, 1, 10, 30, 100, 900, 1000, 1100, 1754}});
  g.push_back({"PoissonLess", largePoisson,
               [=](const Args& a) { return a[1] == 0 ? 0.0L : bm::cdf(bm::poisson_distribution<LD>(a[0]), a[1] - 1); },
               1e-13});
  g.push_back({"PoissonGreater", largePoisson,
               [=](const Args& a) { return bm::cdf(complement(bm::poisson_distribution<LD>(a[0]), a[1])); }, 1e-13});
  g.push_back(
      {"PoissonBetween", Product({{0.5, 4, 20}, Range(0, 40, 11), Range(0, 40, 11)}),
       [=](const Args& a) { return between(a[1], a[2], [&](LD lo, LD hi) { return poissonSum(a[0], lo, hi); }); },
       1e-13, 1e-300, "sum of terms each good to ~1e-14 relative"});
  const auto expo = [](const Args& a) { return bm::exponential_distribution<LD>(1.0L / a[0]); };
  const auto expGrid = Product({{0.1, 1, 2.5, 40}, Range(0, 50, 51)});
  g.push_back({"ExponentialLess", expGrid, [=](const Args& a) { return bm::cdf(expo(a), a[1]); }, 1e-14});
  g.push_back(
      {"ExponentialGreater", expGrid, [=](const Args& a) { return bm::cdf(complement(expo(a), a[1])); }, 1e-14});
  g.push_back({"ExponentialBetween", Product({{0.5, 3}, Range(0, 5, 11), Range(0, 5, 11)}),
               [=](const Args& a) {
                 auto d = expo(a);
                 return std::fabs(bm::cdf(d, a[2]) - bm::cdf(d, a[1]));
               },
               1e-14});
  return g;
}

}  // namespace helmax::grid
