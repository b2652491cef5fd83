// Adaptive Gauss–Legendre integration: each trial interval is integrated
// with the 8-point and the 16-point rule, and halved until the two agree to
// the tolerance; accepted intervals are added up from the lower limit to the
// upper one. The messages carry the routine's name, "DGAINT".
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include "NumericWork.h"

namespace helmax {

enum class TPointStatus {
  Ok,
  Failed,              // the evaluation failed: the pair of points is left out
  NotReal,             // the function gave something that is not a real
  SeveralExpressions,  // the text holds more than one expression
};

struct TPointValue {
  TPointStatus Status = TPointStatus::Ok;
  double Value = 0.0;
};

using TIntegrand = std::function<TPointValue(double)>;

// A failure of the integration, with the message the user sees.
class TIntegrationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The integral of f from `from` to `to` to the relative tolerance
// `tolerance`. Throws TIntegrationError with one of the DGAINT messages, or
// TWorkStopped when stop says so. progress counts thousandths of the range
// covered.
double GaussIntegrate(double tolerance, double to, double from, const TIntegrand& f, const TStopTest& stop = {},
                      TProgress* progress = nullptr);

}  // namespace helmax
