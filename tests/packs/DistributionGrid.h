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

#include "Distributions.h"
#include "Value.h"

namespace helmax::grid {

using Args = std::vector<double>;
using LD = long double;

struct TGridCase {
  std::string Name;
  std::vector<Args> Points;
  std::function<LD(const Args&)> Reference;
  double Bound;          // worst relative error allowed
  double Floor = 1e-300;  // error is relative to max(|reference|, Floor)
  const char* Reason = "";  // why the bound is looser than 1e-14, if it is
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

inline std::vector<Args> Filter(std::vector<Args> points, const std::function<bool(const Args&)>& keep) {
  points.erase(std::remove_if(points.begin(), points.end(), [&](const Args& a) { return !keep(a); }), points.end());
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
  const std::vector<double> probabilities{1e-10, 1e-6, 0.001, 0.01, 0.05, 0.1, 0.25, 0.4, 0.5,
                                          0.6,   0.75, 0.9,   0.95, 0.99, 0.999, 0.999999};
  const std::vector<double> degrees{1, 2, 3, 4, 5, 7, 10, 15, 30, 60, 100, 250};

  std::vector<TGridCase> g;

  // ---- special functions ----
  g.push_back({"Gamma", Filter(Product({Range(-20.25, 170.5, 400)}), [](const Args& a) {
                 return std::fabs(a[0] - std::round(a[0])) > 0.02;
               }),
               [](const Args& a) { return bm::tgamma(static_cast<LD>(a[0])); }, 5e-14, 1e-300,
               "the LnGamma formula's fitted coefficients leave about 2e-14 in ln Γ"});
  g.push_back({"LnGamma", Product({Geometric(1e-3, 1e5, 300)}),
               [](const Args& a) { return bm::lgamma(static_cast<LD>(a[0])); }, 5e-13, 1e-3,
               "relative to max(|ln Γ|, 1e-3), ln Γ having zeros at 1 and 2; the LnGamma formula's fitted coefficients leave about 2e-14 in ln Γ"});
  g.push_back({"InverseGamma", Product({Range(-30.3, 60.7, 300)}),
               [](const Args& a) { return 1.0L / bm::tgamma(static_cast<LD>(a[0])); }, 5e-14, 1e-300,
               "the LnGamma formula's fitted coefficients leave about 2e-14 in ln Γ"});
  g.push_back({"IncompleteGamma",
               Filter(Product({Geometric(0.05, 900, 30), Geometric(0.01, 2000, 40)}),
                      [](const Args& a) { return bm::gamma_p(static_cast<LD>(a[0]), static_cast<LD>(a[1])) > 1e-30L; }),
               [](const Args& a) { return bm::gamma_p(static_cast<LD>(a[0]), static_cast<LD>(a[1])); }, 5e-14, 1e-300,
               "the LnGamma formula's fitted coefficients leave about 2e-14 in ln Γ"});
  g.push_back({"IncompleteGamma2", Product({Geometric(0.05, 150, 30), Geometric(0.01, 500, 40)}),
               [](const Args& a) { return bm::tgamma(static_cast<LD>(a[0]), static_cast<LD>(a[1])); }, 5e-14, 1e-300,
               "the LnGamma formula's fitted coefficients leave about 2e-14 in ln Γ"});
  g.push_back({"Beta", Product({Geometric(0.01, 80, 25), Geometric(0.01, 80, 25)}),
               [](const Args& a) { return bm::beta(static_cast<LD>(a[0]), static_cast<LD>(a[1])); }, 1e-13, 1e-300,
               "three reciprocal gammas, each with the LnGamma formula's 2e-14"});
  g.push_back({"LnBeta", Product({Geometric(0.01, 1e4, 25), Geometric(0.01, 1e4, 25)}),
               [](const Args& a) {
                 const LD x = a[0], y = a[1];
                 return bm::lgamma(x) + bm::lgamma(y) - bm::lgamma(x + y);
               },
               1e-12, 1e-3, "relative to max(|ln B|, 1e-3), ln B changing sign; three ln Γ of up to 1e5"});
  const auto incompleteBeta = [](const Args& a) {
    return bm::ibeta(static_cast<LD>(a[1]), static_cast<LD>(a[2]), static_cast<LD>(a[0]));
  };
  g.push_back({"IncompleteBeta", Product({Range(0.01, 0.5, 15), Geometric(0.1, 100, 15), Geometric(0.1, 100, 15)}),
               incompleteBeta, 5e-14, 1e-300, "the LnGamma formula's fitted coefficients leave about 2e-14 in ln Γ"});
  g.push_back({"IncompleteBeta", Product({Range(0.51, 0.99, 15), Geometric(0.1, 100, 15), Geometric(0.1, 100, 15)}),
               incompleteBeta, 5e-11, 1e-3,
               "for x > 0.5 the result is 1 - I_(1-x)(b, a), which cancels: relative to max(I, 1e-3), with the "
               "LnGamma formula's 2e-14 in the complemented part"});
  g.push_back({"Hermite", Product({Range(-10, 10, 41), Range(0, 60, 61)}),
               [](const Args& a) { return bm::hermite(static_cast<unsigned>(a[1]), static_cast<LD>(a[0])); }, 1e-14});
  g.push_back({"Permutation", Filter(Product({Range(1, 170, 170), Range(0, 170, 171)}), [](const Args& a) { return a[1] <= a[0]; }),
               [](const Args& a) { return bm::falling_factorial(static_cast<LD>(a[0]), static_cast<unsigned>(a[1])); }, 1e-14});
  g.push_back({"BinomialCoeff", Filter(Product({Range(10, 1000, 100), Range(0, 1000, 101)}), [](const Args& a) { return a[1] <= a[0]; }),
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
  g.push_back({"NormalLess", Product({positive}), [=](const Args& a) { return bm::cdf(normal(a, -1, -1), a[0]); }, 1e-14});
  g.push_back({"NormalGreater", Product({Range(0, 6, 61)}),
               [=](const Args& a) { return bm::cdf(complement(normal(a, -1, -1), a[0])); }, 1e-10, 1e-300,
               "1 - Φ(x) by the series cancels: error about 1e-19/Q(x), Q(6) = 1e-9"});
  g.push_back({"InvNormalLess", Product({probabilities}),
               [=](const Args& a) { return bm::quantile(normal(a, -1, -1), a[0]); }, 1e-14});
  g.push_back({"InvNormalGreater", Product({probabilities}),
               [=](const Args& a) { return bm::quantile(complement(normal(a, -1, -1), a[0])); }, 1e-14});
  g.push_back({"ZAlpha", Product({probabilities}),
               [=](const Args& a) { return bm::quantile(complement(normal(a, -1, -1), a[0])); }, 1e-14});
  const auto normalDist = Product({Range(-2, 2, 3), {0.5, 1, 2.5}, Range(-8, 8, 33)});
  g.push_back({"NormalDistLess", Filter(normalDist, [](const Args& a) { return (a[2] - a[0]) / a[1] > -6; }),
               [=](const Args& a) { return bm::cdf(normal(a, 0, 1), a[2]); }, 1e-10, 1e-300,
               "Φ(-z) = 1 - Φ(z) cancels in the lower tail: error about 1e-19/Φ(z), Φ(-6) = 1e-9"});
  g.push_back({"NormalDistGreater", Filter(normalDist, [](const Args& a) { return (a[2] - a[0]) / a[1] < 6; }),
               [=](const Args& a) { return bm::cdf(complement(normal(a, 0, 1), a[2])); }, 1e-10, 1e-300,
               "1 - Φ(z) cancels in the upper tail, as NormalGreater"});
  g.push_back({"NormalDistBetween", Product({{0, 1}, {0.5, 2}, Range(-4, 4, 9), Range(-4, 4, 9)}),
               [=](const Args& a) {
                 auto d = normal(a, 0, 1);
                 return std::fabs(bm::cdf(d, a[3]) - bm::cdf(d, a[2]));
               },
               1e-9, 1e-9, "each value from 1 - Φ in the lower tail: relative to max(value, 1e-9)"});
  const auto invDist = Product({Range(-2, 2, 3), {0.5, 1, 2.5}, probabilities});
  g.push_back({"InvNormalDistLess", invDist, [=](const Args& a) { return bm::quantile(normal(a, 0, 1), a[2]); }, 1e-13, 1e-300,
               "μ + σ·z cancels where z ≈ -μ/σ"});
  g.push_back({"InvNormalDistGreater", invDist,
               [=](const Args& a) { return bm::quantile(complement(normal(a, 0, 1), a[2])); }, 1e-13, 1e-300,
               "μ + σ·z cancels where z ≈ -μ/σ"});
  const auto logNormal = [](const Args& a) { return bm::lognormal_distribution<LD>(a[0], a[1]); };
  g.push_back({"LogNormalPDF", Product({Geometric(0.01, 100, 25), Range(-1, 1, 3), {0.25, 1, 2}}),
               [](const Args& a) { return bm::pdf(bm::lognormal_distribution<LD>(a[1], a[2]), a[0]); }, 1e-14});
  const auto logGrid = Product({Range(-1, 1, 3), {0.25, 1, 2}, Geometric(0.01, 100, 25)});
  const auto logZ = [](const Args& a) { return (std::log(a[2]) - a[0]) / a[1]; };
  g.push_back({"LogNormalLess", Filter(logGrid, [=](const Args& a) { return logZ(a) > -6; }),
               [=](const Args& a) { return bm::cdf(logNormal(a), a[2]); }, 1e-10, 1e-300,
               "Φ(-z) = 1 - Φ(z) cancels in the lower tail, as NormalDistLess"});
  g.push_back({"LogNormalGreater", Filter(logGrid, [=](const Args& a) { return logZ(a) < 6; }),
               [=](const Args& a) { return bm::cdf(complement(logNormal(a), a[2])); }, 1e-10, 1e-300,
               "1 - Φ(z) cancels in the upper tail, as NormalGreater"});
  g.push_back({"LogNormalBetween", Product({{0}, {0.5, 1}, Geometric(0.1, 10, 7), Geometric(0.1, 10, 7)}),
               [=](const Args& a) {
                 auto d = logNormal(a);
                 return std::fabs(bm::cdf(d, a[3]) - bm::cdf(d, a[2]));
               },
               1e-10, 1e-9, "difference of two distribution values, each from 1 - Φ in the lower tail"});
  g.push_back({"InvLogNormalLess", invDist, [=](const Args& a) { return bm::quantile(logNormal(a), a[2]); }, 1e-13, 1e-300,
               "exp amplifies the absolute error of μ + σ·z (|μ + σ·z| up to 18)"});
  g.push_back({"InvLogNormalGreater", invDist,
               [=](const Args& a) { return bm::quantile(complement(logNormal(a), a[2])); }, 1e-13, 1e-300,
               "exp amplifies the absolute error of μ + σ·z (|μ + σ·z| up to 18)"});

  // ---- chi-square, F, t ----
  const auto chi = [](const Args& a, int nu) { return bm::chi_squared_distribution<LD>(a[nu]); };
  g.push_back({"ChiSquareLess", Product({Geometric(0.01, 500, 40), degrees}),
               [=](const Args& a) { return bm::cdf(chi(a, 1), a[0]); }, 1e-14, 0.01,
               "1 - Q cancels where P is small: error relative to max(P, 0.01)"});
  g.push_back({"ChiSquareGreater", Product({Geometric(0.01, 500, 40), degrees}),
               [=](const Args& a) { return bm::cdf(complement(chi(a, 1), a[0])); }, 5e-10, 1e-9,
               "odd ν starts from 2(1 - Φ(√x)), which cancels: relative to max(Q, 1e-9)"});
  g.push_back({"ChiSquareBetween", Product({Geometric(0.1, 100, 9), Geometric(0.1, 100, 9), {1, 2, 5, 10, 30}}),
               [=](const Args& a) {
                 auto d = chi(a, 2);
                 return std::fabs(bm::cdf(d, a[1]) - bm::cdf(d, a[0]));
               },
               5e-10, 1e-9, "odd ν uses 1 - Φ(√x), which cancels: relative to max(value, 1e-9)"});
  const auto chiP = Product({{0.000002, 0.001, 0.01, 0.05, 0.25, 0.5, 0.75, 0.95, 0.99, 0.999, 0.999998}, degrees});
  g.push_back({"InvChiSquare", chiP, [=](const Args& a) { return bm::quantile(chi(a, 1), a[0]); }, 2e-6, 1e-300,
               "AS 91 stops when the relative change falls to 5e-7"});
  g.push_back({"InvChiSquareLess", chiP, [=](const Args& a) { return bm::quantile(chi(a, 1), a[0]); }, 1e-13});
  g.push_back({"InvChiSquareGreater", chiP,
               [=](const Args& a) { return bm::quantile(complement(chi(a, 1), a[0])); }, 1e-13});
  const auto fisher = [](const Args& a, int n1, int n2) { return bm::fisher_f_distribution<LD>(a[n1], a[n2]); };
  const std::vector<double> fDegrees{1, 2, 3, 5, 8, 20, 60};
  g.push_back({"FDistLess", Product({Geometric(0.01, 100, 25), fDegrees, fDegrees}),
               [=](const Args& a) { return bm::cdf(fisher(a, 1, 2), a[0]); }, 5e-12, 1e-3,
               "1 - I_w cancels where the lower tail is small: error relative to max(P, 1e-3)"});
  g.push_back({"FDistGreater", Product({Geometric(0.01, 100, 25), fDegrees, fDegrees}),
               [=](const Args& a) { return bm::cdf(complement(fisher(a, 1, 2), a[0])); }, 5e-12, 1e-3,
               "I_w by 1 - I_(1-w) for w > 0.5 cancels: error relative to max(Q, 1e-3)"});
  g.push_back({"FDistBetween", Product({Geometric(0.1, 10, 5), Geometric(0.1, 10, 5), {1, 4, 20}, {2, 9, 30}}),
               [=](const Args& a) {
                 auto d = fisher(a, 2, 3);
                 return std::fabs(bm::cdf(d, a[1]) - bm::cdf(d, a[0]));
               },
               1e-12, 1e-3, "difference of two distribution values: error relative to max(value, 1e-3)"});
  const auto fP = Product({{0.001, 0.01, 0.05, 0.25, 0.5, 0.75, 0.95, 0.99, 0.999}, fDegrees, fDegrees});
  g.push_back({"InvFDistLess", fP, [=](const Args& a) { return bm::quantile(fisher(a, 1, 2), a[0]); }, 1e-12, 1e-300,
               "bisection against a distribution function good to ~1e-16 absolute; flat tails amplify"});
  g.push_back({"InvFDistGreater", fP,
               [=](const Args& a) { return bm::quantile(complement(fisher(a, 1, 2), a[0])); }, 1e-12, 1e-300,
               "bisection against a distribution function good to ~1e-16 absolute; flat tails amplify"});
  const auto student = [](const Args& a, int nu) { return bm::students_t_distribution<LD>(a[nu]); };
  const auto tx = Range(-20, 20, 81);
  g.push_back({"StudentTLess", Product({tx, degrees}), [=](const Args& a) { return bm::cdf(student(a, 1), a[0]); }, 1e-12,
               1e-3, "I_w by 1 - I_(1-w) for w > 0.5 cancels: error relative to max(P, 1e-3)"});
  g.push_back({"StudentTGreater", Product({tx, degrees}),
               [=](const Args& a) { return bm::cdf(complement(student(a, 1), a[0])); }, 1e-12, 1e-3,
               "I_w by 1 - I_(1-w) for w > 0.5 cancels: error relative to max(Q, 1e-3)"});
  g.push_back({"StudentTBetween", Product({Range(-5, 5, 11), Range(-5, 5, 11), {1, 3, 10, 50}}),
               [=](const Args& a) {
                 auto d = student(a, 2);
                 return std::fabs(bm::cdf(d, a[1]) - bm::cdf(d, a[0]));
               },
               1e-12, 1e-3, "difference of two distribution values: error relative to max(value, 1e-3)"});
  const auto tP = Product({{0.001, 0.01, 0.025, 0.1, 0.3, 0.5, 0.7, 0.9, 0.975, 0.99, 0.999}, degrees});
  g.push_back({"InvStudentTLess", tP, [=](const Args& a) { return bm::quantile(student(a, 1), a[0]); }, 1e-12, 1e-3,
               "bisection against a distribution function good to ~1e-16 absolute; near p = 0.5 the value is ~0"});
  g.push_back({"InvStudentTGreater", tP,
               [=](const Args& a) { return bm::quantile(complement(student(a, 1), a[0])); }, 1e-12, 1e-3,
               "bisection against a distribution function good to ~1e-16 absolute; near p = 0.5 the value is ~0"});

  // ---- discrete and exponential ----
  const auto binomial = Filter(Product({{0.01, 0.1, 0.3, 0.5, 0.77, 0.99}, {1, 2, 5, 10, 40, 100, 400}, Range(0, 400, 81)}),
                               [](const Args& a) { return a[2] <= a[1]; });
  g.push_back({"BinomialEq", binomial,
               [](const Args& a) { return bm::pdf(bm::binomial_distribution<LD>(a[1], a[0]), a[2]); }, 1e-13, 1e-300,
               "C(n, k)·p^k·(1-p)^(n-k) from powers with exponents up to 400"});
  g.push_back({"BinomialLess", binomial,
               [=](const Args& a) { return a[2] == 0 ? 0.0L : binomialSum(a[0], a[1], 0, a[2] - 1); }, 1e-13, 1e-300,
               "sum of terms each good to ~1e-14 relative"});
  g.push_back({"BinomialGreater", Filter(binomial, [](const Args& a) { return a[2] < a[1]; }),
               [=](const Args& a) { return binomialSum(a[0], a[1], a[2] + 1, a[1]); }, 1e-13, 1e-300,
               "sum of terms each good to ~1e-14 relative"});
  g.push_back({"BinomialBetween", Product({{0.2, 0.5}, {30}, Range(0, 30, 11), Range(0, 30, 11)}),
               [=](const Args& a) {
                 return between(a[2], a[3], [&](LD lo, LD hi) { return binomialSum(a[0], a[1], lo, hi); });
               },
               1e-13, 1e-300, "sum of terms each good to ~1e-14 relative"});
  const auto poisson = Product({{0.01, 0.5, 1, 3.7, 10, 50, 200}, Range(0, 400, 41)});
  g.push_back({"PoissonEq", poisson, [](const Args& a) { return bm::pdf(bm::poisson_distribution<LD>(a[0]), a[1]); }, 1e-13,
               1e-300, "λ^k·e^(-λ)/k! with exponents up to 400"});
  g.push_back({"PoissonLess", poisson,
               [=](const Args& a) { return a[1] == 0 ? 0.0L : poissonSum(a[0], 0, a[1] - 1); }, 1e-13, 1e-300,
               "sum of terms each good to ~1e-14 relative"});
  g.push_back({"PoissonGreater", poisson,
               [=](const Args& a) { return bm::cdf(complement(bm::poisson_distribution<LD>(a[0]), a[1])); }, 1e-13, 1e-3,
               "1 - the lower sum cancels in the upper tail: error relative to max(Q, 1e-3)"});
  g.push_back({"PoissonBetween", Product({{0.5, 4, 20}, Range(0, 40, 11), Range(0, 40, 11)}),
               [=](const Args& a) { return between(a[1], a[2], [&](LD lo, LD hi) { return poissonSum(a[0], lo, hi); }); },
               1e-13, 1e-300, "sum of terms each good to ~1e-14 relative"});
  const auto expo = [](const Args& a) { return bm::exponential_distribution<LD>(1.0L / a[0]); };
  const auto expGrid = Product({{0.1, 1, 2.5, 40}, Range(0, 50, 51)});
  g.push_back({"ExponentialLess", expGrid, [=](const Args& a) { return bm::cdf(expo(a), a[1]); }, 1e-14});
  g.push_back({"ExponentialGreater", expGrid, [=](const Args& a) { return bm::cdf(complement(expo(a), a[1])); }, 1e-14});
  g.push_back({"ExponentialBetween", Product({{0.5, 3}, Range(0, 5, 11), Range(0, 5, 11)}),
               [=](const Args& a) {
                 auto d = expo(a);
                 return std::fabs(bm::cdf(d, a[2]) - bm::cdf(d, a[1]));
               },
               1e-14});
  return g;
}

}  // namespace helmax::grid
