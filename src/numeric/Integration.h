// The numerical integration tool: the integral of one expression in the
// calculator's function variable between two limits that are expressions
// too, with the user's variables and run-time functions, by the adaptive
// Gauss–Legendre routine.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Calculator.h"
#include "GaussQuadrature.h"
#include "HelmaxDateTimeEval.h"

namespace helmax {

// What "&Integrate" shows: the result field (the integral or an error
// text), the two limit labels and the messages for message boxes.
struct TIntegrationOutcome {
  std::string Result;
  std::string FromLabel = "From:";
  std::string ToLabel = "To:";
  std::vector<std::string> Messages;
};

class TIntegration {
 public:
  static constexpr const char* kCaption = "Numerical Integration";

  TIntegration();
  // Runs on the thread that calculates with the calculator; may take long
  // (the calculator's stop request ends it). progress counts thousandths
  // of the range.
  TIntegrationOutcome Integrate(TCalculator& calc, const std::string& function, const std::string& from,
                                const std::string& to, TProgress* progress = nullptr);
  // Integrand evaluations of the last integration.
  std::int64_t Evaluations() const { return Evaluations_; }

 private:
  bool Limit(TCalculator& calc, const std::string& text, const std::string& prefix, double& value,
             std::string& label, TIntegrationOutcome& out);
  bool CompileFunction(TCalculator& calc, const std::string& text, TIntegrationOutcome& out);
  TPointValue ValueAt(TValue& variable, double t);

  std::unique_ptr<THelmaxDateTimeEval> Engine_;
  std::string LastError_;  // the engine's last error line
  std::int64_t Evaluations_ = 0;
};

}  // namespace helmax
