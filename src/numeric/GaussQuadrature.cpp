#include "GaussQuadrature.h"
#include "FixedTexts.h"

#include <algorithm>
#include <boost/math/quadrature/exp_sinh.hpp>
#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <boost/math/quadrature/sinh_sinh.hpp>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "Value.h"

namespace helmax {
namespace {

// 31 Kronrod points with the 15 Gauss points among them.
using TRule = boost::math::quadrature::gauss_kronrod<double, 31>;
constexpr int kRulePoints = 31;

constexpr double kEpsilon = std::numeric_limits<double>::epsilon();
// A piece's estimate never claims less than this many roundings of its
// absolute integral; one whose two rules agree to this many (their
// difference is rounding) gains nothing from halving.
constexpr double kRoundingFloor = 2 * kEpsilon;
constexpr double kRoundingNoise = 8 * kEpsilon;
// The difference of the two rules is a safe bound of the Kronrod rule's
// error only once the Gauss rule is close (then the Kronrod rule is far
// closer). Before that, near a singularity x^a with a < -1/2, both rules are
// off by almost the same, and their difference can be a tenth of the
// error: such a piece's error is taken as a multiple of its whole absolute
// integral instead (K31 misses up to ten times that at x^-0.99).
constexpr double kConvergedShare = 1e-3;
constexpr double kUnresolvedFactor = 16;
// A converged piece's error: spread * min(1, (200 * difference / spread)^1.5),
// where spread is the integral of |f - its mean| (QUADPACK's estimate for
// the same pair of rules).
constexpr double kSpreadScale = 200;
// A piece is halved only while each half stays this many doubles wide, so
// that its outermost nodes (5.2e-4 of the half-width from the ends) still
// fall strictly inside.
constexpr double kNarrowestPieceInDoubles = 8192;

const char* const kLimitsOrder = texts::kDgaintIncorrectIntegralLimitsFromTo;
const char* const kLimitsNotFinite = texts::kDgaintIncorrectIntegralLimitsNotFinite;
const char* const kNotConvergedToAccuracy = texts::kDgaintIntegralFailedToConvergeToPrescribedPrefix;

struct TPiece {
  double From, To;
  double Value;
  double Error;     // estimated absolute error, never below the rounding floor
  double Absolute;  // integral of |f|
  bool Settled;     // the two rules agree to rounding
};

bool ByError(const TPiece& a, const TPiece& b) { return a.Error < b.Error; }

// Whether the piece can be halved with its halves' nodes still distinct.
bool Splittable(const TPiece& p) {
  const double magnitude = std::max(std::fabs(p.From), std::fabs(p.To));
  const double spacing = std::nextafter(magnitude, HUGE_VAL) - magnitude;
  return (p.To - p.From) / 2 >= kNarrowestPieceInDoubles * spacing;
}

// Neumaier's compensated sum.
class TSum {
 public:
  void Add(double x) {
    const double t = Sum_ + x;
    Compensation_ += std::fabs(Sum_) >= std::fabs(x) ? (Sum_ - t) + x : (x - t) + Sum_;
    Sum_ = t;
  }
  double Value() const { return Sum_ + Compensation_; }

 private:
  double Sum_ = 0.0, Compensation_ = 0.0;
};

class TAdaptiveRun {
 public:
  TAdaptiveRun(double tolerance, const TIntegrand& f, const TStopTest& stop, TProgress* progress,
               const std::string& variable)
      : Tolerance_(tolerance), F_(f), Stop_(stop), Progress_(progress), Variable_(variable) {}

  TQuadrature Run(double a, double b);

 private:
  double Sample(double t) {
    ++Evaluations_;
    const double v = F_(t);
    if (!std::isfinite(v))
      throw TIntegrationError("DGAINT-> The function is " + RealToText(v) + " at " + Variable_ + " = " + RealToText(t));
    return v;
  }
  TPiece Integrate(double from, double to);
  void Add(const TPiece& p);
  [[noreturn]] void Fail(const std::string& why) const {
    throw TIntegrationError(kNotConvergedToAccuracy + RealToText(Tolerance_) + "; " + why);
  }
  void ShowProgress(bool errorToo);
  bool Converged(TQuadrature& answer);

  const double Tolerance_;
  const TIntegrand& F_;
  const TStopTest& Stop_;
  TProgress* Progress_;
  const std::string& Variable_;
  std::int64_t Evaluations_ = 0;
  std::vector<TPiece> Open_;  // a heap by error: pieces that halving may improve
  std::vector<TPiece> Done_;  // settled, or too narrow to halve
  // Running totals over all pieces (long double: they take many updates).
  long double Value_ = 0, Error_ = 0;
  double FirstError_ = 0;
  std::int64_t ProgressShown_ = 0;
};

TPiece TAdaptiveRun::Integrate(double from, double to) {
  if (StopAsked(Stop_)) throw TWorkStopped{};
  const double h = (to - from) / 2;
  const double c = from + h;
  // The rule on [-1, 1] (Boost's nodes and weights): the Kronrod nodes are
  // 0 and +-abscissa[i]; the Gauss rule uses 0 and the even i.
  const auto& nodes = TRule::abscissa();
  const auto& kronrodWeights = TRule::weights();
  const auto& gaussWeights = boost::math::quadrature::gauss<double, kRulePoints / 2>::weights();
  constexpr std::size_t kHalf = (kRulePoints + 1) / 2;
  double plus[kHalf], minus[kHalf];
  plus[0] = minus[0] = Sample(c);
  for (std::size_t i = 1; i < kHalf; ++i) {
    plus[i] = Sample(c + h * nodes[i]);
    minus[i] = Sample(c - h * nodes[i]);
  }
  double kronrod = plus[0] * kronrodWeights[0], gauss = plus[0] * gaussWeights[0];
  double absolute = std::fabs(plus[0]) * kronrodWeights[0];
  for (std::size_t i = 1; i < kHalf; ++i) {
    kronrod += (plus[i] + minus[i]) * kronrodWeights[i];
    absolute += (std::fabs(plus[i]) + std::fabs(minus[i])) * kronrodWeights[i];
    if (i % 2 == 0) gauss += (plus[i] + minus[i]) * gaussWeights[i / 2];
  }
  // How far the samples stray from their mean (the integral of |f - mean|).
  const double mean = kronrod / 2;
  double spread = std::fabs(plus[0] - mean) * kronrodWeights[0];
  for (std::size_t i = 1; i < kHalf; ++i)
    spread += (std::fabs(plus[i] - mean) + std::fabs(minus[i] - mean)) * kronrodWeights[i];
  const double difference = std::fabs(kronrod - gauss);
  TPiece p{from, to, h * kronrod, 0, h * absolute, false};
  if (!std::isfinite(p.Absolute))
    throw TIntegrationError("DGAINT-> The integral is beyond the range of doubles near " + Variable_ + " = " +
                            RealToText(c));
  p.Settled = difference <= kRoundingNoise * absolute;
  double error;
  if (difference > kConvergedShare * absolute) {
    error = kUnresolvedFactor * std::max(difference, absolute);
  } else {
    // Once the Gauss rule is close, the Kronrod rule is far closer:
    // QUADPACK's scaling of the difference by the samples' spread.
    error = difference;
    if (spread > 0 && difference > 0) error = spread * std::min(1.0, std::pow(kSpreadScale * difference / spread, 1.5));
    error = std::max(error, kRoundingFloor * absolute);
  }
  p.Error = h * error;
  // Between the halves of a split the totals are incomplete: the
  // evaluations alone count here.
  ShowProgress(false);
  return p;
}

void TAdaptiveRun::Add(const TPiece& p) {
  Value_ += p.Value;
  Error_ += p.Error;
  if (!p.Settled && Splittable(p)) {
    Open_.push_back(p);
    std::push_heap(Open_.begin(), Open_.end(), ByError);
  } else {
    Done_.push_back(p);
  }
}

// Thousandths: the share of the evaluation cap spent (every run ends there
// at the latest, so this moves at the pace of the evaluations), or how far
// the error has come down towards its target on a logarithmic scale.
void TAdaptiveRun::ShowProgress(bool errorToo) {
  if (!Progress_) return;
  const double target = Tolerance_ * std::fabs(static_cast<double>(Value_));
  const double error = static_cast<double>(Error_);
  double share = static_cast<double>(Evaluations_) / kMaxIntegrandEvaluations;
  if (errorToo && FirstError_ > target && error > 0 && target > 0)
    share = std::max(share, std::log(FirstError_ / error) / std::log(FirstError_ / target));
  ProgressShown_ = std::max(ProgressShown_, static_cast<std::int64_t>(std::clamp(share, 0.0, 0.999) * 1000));
  Progress_->Set(ProgressShown_);
}

TQuadrature TAdaptiveRun::Run(double a, double b) {
  if (Progress_) Progress_->Start(1000);
  // Equal first pieces; on a range only a few doubles wide some coincide.
  double left = a;
  for (int k = 1; k <= kFirstPieces; ++k) {
    const double right = k == kFirstPieces ? b : a + (b - a) * (static_cast<double>(k) / kFirstPieces);
    if (right <= left) continue;
    Add(Integrate(left, right));
    left = right;
  }
  FirstError_ = static_cast<double>(Error_);
  TQuadrature answer;
  while (!Converged(answer)) {
    if (Open_.empty()) {
      // Nothing left to halve: a piece too narrow to resolve, or rounding.
      const auto worst = std::max_element(Done_.begin(), Done_.end(), [](const TPiece& x, const TPiece& y) {
        return x.Settled != y.Settled ? x.Settled : x.Error < y.Error;
      });
      if (!worst->Settled)
        Fail("the tolerance cannot be reached near " + Variable_ + " = " + RealToText(worst->From / 2 + worst->To / 2));
      Fail("the tolerance cannot be reached: it is below the rounding of the function's values");
    }
    const TPiece worst = Open_.front();
    if (Evaluations_ + 2 * kRulePoints > kMaxIntegrandEvaluations)
      Fail("the tolerance cannot be reached near " + Variable_ + " = " + RealToText(worst.From / 2 + worst.To / 2) +
           " within " + std::to_string(kMaxIntegrandEvaluations) + " evaluations");
    std::pop_heap(Open_.begin(), Open_.end(), ByError);
    Open_.pop_back();
    Value_ -= worst.Value;
    Error_ -= worst.Error;
    const double middle = worst.From + (worst.To - worst.From) / 2;
    Add(Integrate(worst.From, middle));
    Add(Integrate(middle, worst.To));
    ShowProgress(true);
  }
  if (Progress_) Progress_->Set(1000);
  return answer;
}

// Whether the pieces' errors are within the tolerance; the running totals
// decide until they say yes, then the pieces themselves, summed afresh.
bool TAdaptiveRun::Converged(TQuadrature& answer) {
  if (Error_ > Tolerance_ * std::fabs(Value_)) return false;
  TSum value, error;
  for (const std::vector<TPiece>* pieces : {&Open_, &Done_})
    for (const TPiece& p : *pieces) {
      value.Add(p.Value);
      error.Add(p.Error);
    }
  answer = {value.Value(), error.Value(), Evaluations_};
  if (!std::isfinite(answer.Value)) throw TIntegrationError("DGAINT-> The integral is beyond the range of doubles");
  Value_ = answer.Value;
  Error_ = answer.ErrorEstimate;
  return answer.ErrorEstimate <= Tolerance_ * std::fabs(answer.Value);
}

// ---- infinite ranges -------------------------------------------------------

// Boost.Math's double-exponential rules: exp_sinh for one infinite end
// (x = a + u or b - u, u = exp(pi/2 sinh t)), sinh_sinh for the whole line
// (x = sinh(pi/2 sinh t)). Each is the trapezoidal sum in t over a fixed
// range of t, its step halved level by level until two levels agree within
// the tolerance relative to the integral of |f|; at most this many halvings
// (about 6,300 evaluations, far below the evaluation cap).
constexpr std::size_t kDoubleExponentialLevels = 9;

// What the sums leave out lies beyond the outermost samples in t (towards
// the infinite end, and at the finite end of a half-infinite range). The
// last term there, |f(x)| dx/dt at t's step 1 (the first level), bounds
// what is left out once the terms fall off; where they do not (1/x, sin(x),
// x^-1.01 out to 1E116), it is large and the run fails instead of showing
// the sum over a cut range.
struct TOutermost {
  double Argument = 0.0;  // u, or x on the whole line
  double Term = 0.0;      // |f| dx/dt there
  bool Seen = false;
};

class TInfiniteRangeRun {
 public:
  TInfiniteRangeRun(double tolerance, const TIntegrand& f, const TStopTest& stop, TProgress* progress,
                    const std::string& variable)
      : Tolerance_(tolerance), F_(f), Stop_(stop), Progress_(progress), Variable_(variable) {}

  TQuadrature Run(double a, double b);

 private:
  // dx/dt at the rule's argument s (u for exp_sinh, x for sinh_sinh).
  double Slope(double s) const {
    const double half_pi = std::numbers::pi / 2;
    if (WholeLine_) return half_pi * std::cosh(std::asinh(std::asinh(std::fabs(s)) / half_pi)) * std::hypot(1.0, s);
    return half_pi * std::cosh(std::asinh(std::log(s) / half_pi)) * s;
  }
  // f at x, reached through the rule's argument s.
  double Sample(double s, double x) {
    if (StopAsked(Stop_)) throw TWorkStopped{};
    ++Evaluations_;
    const double v = F_(x);
    if (!std::isfinite(v))
      throw TIntegrationError("DGAINT-> The function is " + RealToText(v) + " at " + Variable_ + " = " + RealToText(x));
    if (!Low_.Seen || s < Low_.Argument) Low_ = {s, std::fabs(v) * Slope(s), true};
    if (!High_.Seen || s > High_.Argument) High_ = {s, std::fabs(v) * Slope(s), true};
    if (Progress_ && MostEvaluations_ > 0)
      Progress_->Set(std::min<std::int64_t>(999, Evaluations_ * 1000 / MostEvaluations_));
    return v;
  }
  template <class Rule>
  std::int64_t CountMostEvaluations(Rule& rule);
  [[noreturn]] void Fail(const std::string& why) const {
    throw TIntegrationError(kNotConvergedToAccuracy + RealToText(Tolerance_) + "; " + why);
  }

  const double Tolerance_;
  const TIntegrand& F_;
  const TStopTest& Stop_;
  TProgress* Progress_;
  const std::string& Variable_;
  bool WholeLine_ = false;
  std::int64_t Evaluations_ = 0;
  std::int64_t MostEvaluations_ = 0;  // of a run through every level
  TOutermost Low_, High_;
};

// The evaluations of a run through every level, for the progress: a dry
// run whose terms are +-1 in turn never settles and never stops a level
// early. It also builds the rule's tables, which the real run then reuses.
template <class Rule>
std::int64_t TInfiniteRangeRun::CountMostEvaluations(Rule& rule) {
  std::int64_t count = 0;
  const double largest = std::numeric_limits<double>::max();
  const auto alternating = [&](double s) {
    if (std::fabs(s) >= largest) return 0.0;  // sinh_sinh's look at the far ends
    ++count;
    return (count % 2 ? 1.0 : -1.0) / Slope(s);
  };
  double error = 0, absolute = 0;
  rule.integrate(alternating, Tolerance_, &error, &absolute);
  return count;
}

TQuadrature TInfiniteRangeRun::Run(double a, double b) {
  WholeLine_ = std::isinf(a) && std::isinf(b);
  if (Progress_) Progress_->Start(1000);
  const double largest = std::numeric_limits<double>::max();
  double value = 0, error = 0, absolute = 0;
  try {
    if (WholeLine_) {
      boost::math::quadrature::sinh_sinh<double> rule(kDoubleExponentialLevels);
      MostEvaluations_ = CountMostEvaluations(rule);
      // The rule first looks at f(+-largest double) to see that it
      // vanishes; the outermost terms below judge that instead, on values
      // the engine can compute.
      value = rule.integrate([&](double x) { return std::fabs(x) >= largest ? 0.0 : Sample(x, x); }, Tolerance_, &error,
                             &absolute);
    } else {
      boost::math::quadrature::exp_sinh<double> rule(kDoubleExponentialLevels);
      MostEvaluations_ = CountMostEvaluations(rule);
      const bool upward = std::isinf(b);
      value =
          rule.integrate([&](double u) { return Sample(u, upward ? a + u : b - u); }, Tolerance_, &error, &absolute);
    }
  } catch (const boost::math::evaluation_error&) {
    // The sum of |f| dx/dt overflowed.
    throw TIntegrationError("DGAINT-> The integral is beyond the range of doubles");
  }
  if (!std::isfinite(value) || !std::isfinite(absolute) || !std::isfinite(error))
    throw TIntegrationError("DGAINT-> The integral is beyond the range of doubles");
  // The samples thin out far from the finite end (from 122 to 6.2E5 in one
  // step of the first level): a peak between them leaves every sample 0,
  // which says nothing about the integral.
  if (absolute == 0) Fail("the function is 0 at every point sampled");
  const double left = Low_.Term, right = High_.Term;
  TQuadrature answer{value, std::max(error, kRoundingFloor * absolute) + left + right, Evaluations_};
  const double target = Tolerance_ * std::fabs(value);
  if (answer.ErrorEstimate <= target) {
    if (Progress_) Progress_->Set(1000);
    return answer;
  }
  if (left + right > target) {
    // The end whose outermost term is the larger: on a half-infinite range
    // the largest u is the infinite end, the smallest the finite one.
    const bool upward = std::isinf(b);
    if (WholeLine_ || right > left) {
      const double end = WholeLine_ ? (left > right ? a : b) : (upward ? b : a);
      Fail("the function does not fall off fast enough towards " + Variable_ + " = " + RealToText(end));
    }
    Fail("the tolerance cannot be reached near " + Variable_ + " = " + RealToText(upward ? a : b));
  }
  if (error <= Tolerance_ * absolute)
    Fail("the tolerance cannot be reached: it is below the rounding of the function's values");
  Fail("the tolerance cannot be reached between " + Variable_ + " = " + RealToText(a) + " and " + RealToText(b));
}

}  // namespace

TQuadrature GaussIntegrate(double tolerance, double to, double from, const TIntegrand& f, const TStopTest& stop,
                           TProgress* progress, const std::string& variable) {
  const double a = from, b = to;
  const bool infinite = std::isinf(a) || std::isinf(b);
  if (std::isnan(a) || std::isnan(b) || (!infinite && !std::isfinite(b - a))) throw TIntegrationError(kLimitsNotFinite);
  if (a >= b) throw TIntegrationError(kLimitsOrder);
  if (!(tolerance >= kSmallestIntegrationTolerance))
    throw TIntegrationError("DGAINT-> Tolerance below the precision of doubles: " + RealToText(tolerance) +
                            " (the smallest is " + RealToText(kSmallestIntegrationTolerance) + ")");
  if (infinite) {
    TInfiniteRangeRun run(tolerance, f, stop, progress, variable);
    return run.Run(a, b);
  }
  TAdaptiveRun run(tolerance, f, stop, progress, variable);
  return run.Run(a, b);
}

}  // namespace helmax
