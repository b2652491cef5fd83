// Descriptive statistics of one or more numbers, in two passes: the mean
// (refined once by the mean of the deviations), then the central moments
// about it.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "DateTimePackInternal.h"
#include "FixedTexts.h"

namespace helmax::dtpack {
namespace {

struct TSample {
  std::vector<double> X;
  bool Finite = true;
  bool HasNaN = false;
};

TSample ReadSample(const TPackCall& c) {
  TSample s;
  s.X.reserve(static_cast<std::size_t>(c.Count));
  for (int i = 0; i < c.Count; ++i) {
    const double x = NumberArg(c, i, texts::kIncorrectRealTypeForTheParameterPrefix + std::to_string(i + 1));
    s.Finite = s.Finite && std::isfinite(x);
    s.HasNaN = s.HasNaN || std::isnan(x);
    s.X.push_back(x);
  }
  return s;
}

// Central moments M2, M3, M4 (divided by n) and the sum of squared
// deviations, of the data divided by 2^Exponent: the scale brings the
// largest magnitude just below 1, so that neither the squares nor the
// fourth powers of the deviations overflow or underflow where the result
// itself is a finite double. Extended precision keeps the sums' guard
// digits.
struct TMoments {
  int Exponent = 0;
  long double TotalVariance = 0.0L;
  long double M2 = 0.0L, M3 = 0.0L, M4 = 0.0L;
};

TMoments MomentsOf(const std::vector<double>& x) {
  TMoments m;
  double largest = 0.0;
  for (double v : x) largest = std::max(largest, std::fabs(v));
  if (largest > 0.0 && std::isfinite(largest)) m.Exponent = std::ilogb(largest) + 1;
  const long double n = static_cast<long double>(x.size());
  long double sum = 0.0L;
  for (double v : x) sum += std::ldexp(static_cast<long double>(v), -m.Exponent);
  const long double mean = sum / n;
  // The refinement of the mean is kept apart from it: added to the mean it
  // would be lost in its rounding, while the deviations need it.
  long double correction = 0.0L;
  for (double v : x) correction += std::ldexp(static_cast<long double>(v), -m.Exponent) - mean;
  correction /= n;
  for (double v : x) {
    const long double d = (std::ldexp(static_cast<long double>(v), -m.Exponent) - mean) - correction, d2 = d * d;
    m.TotalVariance += d2;
    m.M3 += d2 * d;
    m.M4 += d2 * d2;
  }
  m.M2 = m.TotalVariance / n;
  m.M3 /= n;
  m.M4 /= n;
  return m;
}

// A scaled moment of the given power brought back to the data's scale.
double Unscaled(long double value, const TMoments& m, int power) {
  return static_cast<double>(std::ldexp(value, power * m.Exponent));
}

// a / b with the kinds of a zero divisor (0/0 is an invalid operation).
long double Quotient(long double a, long double b) {
  if (b == 0.0L) MathFail(a == 0.0L ? mkInvalidOp : mkZeroDivide);
  return a / b;
}

enum class TStatistic {
  Norm,
  SumOfSquares,
  TotalVariance,
  Variance,
  StdDev,
  PopnVariance,
  PopnStdDev,
  Moment3,
  Moment4,
  Skew,
  Kurtosis
};

// Euclidean norm, scaled so that large or tiny values do not overflow or
// underflow in their squares.
double NormOf(const std::vector<double>& x) {
  double scale = 0.0, ssq = 1.0;
  for (double v : x) {
    const double a = std::fabs(v);
    if (a == 0.0) continue;
    if (scale < a) {
      ssq = 1.0 + ssq * (scale / a) * (scale / a);
      scale = a;
    } else {
      ssq += (a / scale) * (a / scale);
    }
  }
  return scale * std::sqrt(ssq);
}

double Statistic(TStatistic which, const std::vector<double>& x) {
  const double n = static_cast<double>(x.size());
  switch (which) {
    case TStatistic::Norm: return NormOf(x);
    case TStatistic::SumOfSquares: {
      double s = 0.0;
      for (double v : x) s += v * v;
      return s;
    }
    default: break;
  }
  const TMoments m = MomentsOf(x);
  switch (which) {
    case TStatistic::TotalVariance: return Unscaled(m.TotalVariance, m, 2);
    case TStatistic::Variance: return Unscaled(Quotient(m.TotalVariance, n - 1.0L), m, 2);
    case TStatistic::StdDev: return Unscaled(std::sqrt(Quotient(m.TotalVariance, n - 1.0L)), m, 1);
    case TStatistic::PopnVariance: return Unscaled(m.M2, m, 2);
    case TStatistic::PopnStdDev: return Unscaled(std::sqrt(m.M2), m, 1);
    case TStatistic::Moment3: return Unscaled(m.M3, m, 3);
    case TStatistic::Moment4: return Unscaled(m.M4, m, 4);
    case TStatistic::Skew:
      if (m.M2 == 0.0L) MathFail(mkInvalidOp);
      return static_cast<double>(m.M3 / (m.M2 * std::sqrt(m.M2)));
    case TStatistic::Kurtosis:
      if (m.M2 == 0.0L) MathFail(mkInvalidOp);
      return static_cast<double>(m.M4 / (m.M2 * m.M2));
    default: break;
  }
  return 0.0;
}

template <TStatistic Which>
void Compute(const TPackCall& c, TValue& r) {
  const TSample s = ReadSample(c);
  r = TValue::MakeReal(s.HasNaN ? EngineNaN() : JudgeResult(Statistic(Which, s.X), s.Finite, false));
}

constexpr TPackEntry kEntries[] = {
    {"Norm", MaxInt, Compute<TStatistic::Norm>},
    {"PopnStdDev", MaxInt, Compute<TStatistic::PopnStdDev>},
    {"PopnVariance", MaxInt, Compute<TStatistic::PopnVariance>},
    {"StdDev", MaxInt, Compute<TStatistic::StdDev>},
    {"SumOfSquares", MaxInt, Compute<TStatistic::SumOfSquares>},
    {"TotalVariance", MaxInt, Compute<TStatistic::TotalVariance>},
    {"Variance", MaxInt, Compute<TStatistic::Variance>},
    {"Skew", MaxInt, Compute<TStatistic::Skew>},
    {"Kurtosis", MaxInt, Compute<TStatistic::Kurtosis>},
    {"Moment3", MaxInt, Compute<TStatistic::Moment3>},
    {"Moment4", MaxInt, Compute<TStatistic::Moment4>},
};

}  // namespace

std::span<const TPackEntry> StatisticsEntries() { return kEntries; }

}  // namespace helmax::dtpack
