// helmax-eval --integral: the integration window's calculation on the
// command line.
#pragma once

#include <optional>
#include <string>

#include "CalculatorForTools.h"

namespace helmax {

struct TIntegralRequest {
  std::string From, To;
  std::optional<double> Tolerance;  // instead of integrtolerance
};

// Integrates function from request.From to request.To with the calculator's
// definitions and prints what the window's result field shows: the
// integral on standard output (0), or the failure on standard error (1).
// With diagnostics, the evaluations and the error estimate follow on
// standard error.
int PrintIntegral(TCalculatorForTools& calc, const TIntegralRequest& request, const std::string& function,
                  bool diagnostics);

}  // namespace helmax
