#include "IntegralCommand.h"

#include <iostream>

#include "Integration.h"

namespace helmax {

int PrintIntegral(TCalculatorForTools& calc, const TIntegralRequest& request, const std::string& function,
                  bool diagnostics) {
  TIntegration integration;
  const TIntegrationOutcome out =
      integration.Integrate(calc, function, request.From, request.To, nullptr, request.Tolerance);
  for (const std::string& m : out.Messages) std::cerr << m << '\n';
  if (out.Integrated) std::cout << out.Result << '\n';
  else if (!out.Result.empty()) std::cerr << out.Result << '\n';
  std::cout.flush();
  if (diagnostics)
    std::cerr << "evaluations=" << integration.Evaluations() << " error=" << RealToText(integration.ErrorEstimate())
              << '\n';
  return out.Integrated ? 0 : 1;
}

}  // namespace helmax
