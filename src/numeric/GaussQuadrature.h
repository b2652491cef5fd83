// Global adaptive Gauss–Kronrod integration: the range starts as a number of
// equal pieces, each integrated with Boost.Math's 31-point Kronrod rule and
// its embedded 15-point Gauss rule (full-precision nodes); their difference,
// scaled as QUADPACK does, is the piece's error estimate (a piece where the
// two rules still disagree widely counts a multiple of its whole absolute
// integral instead). The piece with the largest error is
// halved until the errors of all pieces together are within the tolerance
// relative to the integral. A run that cannot get there (a pole, a jump no
// piece can resolve, rounding, too many evaluations) fails, naming where;
// it never returns a number it cannot stand behind. A range with an
// infinite end goes to Boost.Math's double-exponential rules instead
// (exp_sinh for one infinite end, sinh_sinh for the whole line), with the
// same promise: their error estimate, the terms left out beyond the
// outermost samples and the rounding floor together within the tolerance,
// or a failure. The messages carry the routine's name, "DGAINT".
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "NumericWork.h"

namespace helmax {

// The integrand at one point. It throws TIntegrationError (with the text the
// user sees) when the function cannot be evaluated there, and TWorkStopped
// when it was told to stop.
using TIntegrand = std::function<double(double)>;

// A failure of the integration, with the message the user sees.
class TIntegrationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TQuadrature {
  double Value = 0.0;
  // Estimated absolute error of Value: at most the tolerance times |Value|.
  double ErrorEstimate = 0.0;
  std::int64_t Evaluations = 0;
};

// The smallest tolerance taken: a double's relative precision.
constexpr double kSmallestIntegrationTolerance = 2.220446049250313e-16;
// No run evaluates the integrand more often.
constexpr std::int64_t kMaxIntegrandEvaluations = 400000;
// The first pieces of the range (217 samples, one at the middle): a feature
// that no sample sees (narrower than about 1% of the range, between two
// samples) stays unseen; one that any sample sees is followed.
constexpr int kFirstPieces = 7;

// The integral of f from `from` to `to` (either may be infinite) within
// `tolerance` relative to its magnitude. Throws TIntegrationError with one of the DGAINT messages, or
// TWorkStopped when stop says so. variable names the integration variable
// in messages; progress counts thousandths of the work.
TQuadrature GaussIntegrate(double tolerance, double to, double from, const TIntegrand& f, const TStopTest& stop = {},
                           TProgress* progress = nullptr, const std::string& variable = "x");

}  // namespace helmax
