// The numerical integration tool: the integral of one expression in the
// calculator's function variable between two limits that are expressions
// too, with the user's variables and run-time functions, by the adaptive
// Gauss–Kronrod routine.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CalculatorForTools.h"
#include "FixedTexts.h"
#include "GaussQuadrature.h"
#include "HelmaxDateTimeEval.h"

namespace helmax {

// What "&Integrate" shows: the result field (the integral or an error
// text), the two limit labels and the messages for message boxes.
struct TIntegrationOutcome {
  std::string Result;
  bool Integrated = false;  // Result is the integral, not an error text
  double Value = 0.0;       // the integral, when Integrated
  std::string FromLabel = "From:";
  std::string ToLabel = "To:";
  std::vector<std::string> Messages;
};

// Told the two limit labels as soon as both limits are known, before the
// integration itself runs (on the thread that runs it).
using TLimitsKnown = std::function<void(const std::string& fromLabel, const std::string& toLabel)>;

class TIntegration {
 public:
  static constexpr const char* kCaption = texts::kNumericalIntegration;

  TIntegration();
  // Runs on the thread that calculates with the calculator; may take long
  // (the calculator's stop request ends it). progress counts thousandths
  // of the work. tolerance, when given, takes the place of integrtolerance.
  // Either limit may be infinite (inf, -inf).
  TIntegrationOutcome Integrate(TCalculatorForTools& calc, const std::string& function, const std::string& from,
                                const std::string& to, TProgress* progress = nullptr,
                                std::optional<double> tolerance = std::nullopt, const TLimitsKnown& limitsKnown = {});
  // Integrand evaluations of the last integration, or so far of the one
  // that runs (any thread may ask).
  std::int64_t Evaluations() const { return Evaluations_.load(std::memory_order_relaxed); }
  // The estimated absolute error of the last integral (NaN after a failure).
  double ErrorEstimate() const { return ErrorEstimate_; }

 private:
  bool Limit(TCalculatorForTools& calc, const std::string& text, const std::string& prefix, double& value,
             std::string& label, TIntegrationOutcome& out);
  bool CompileFunction(TCalculatorForTools& calc, const std::string& text, TIntegrationOutcome& out);
  double ValueAt(TCalculatorForTools& calc, TValue& variable, double t);

  std::unique_ptr<THelmaxDateTimeEval> Engine_;
  std::string LastError_;  // the engine's last error line
  std::atomic<std::int64_t> Evaluations_{0};
  double ErrorEstimate_ = 0.0;
};

}  // namespace helmax
