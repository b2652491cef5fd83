#include "GaussQuadrature.h"

#include <cmath>

#include "Value.h"

namespace helmax {
namespace {

// Positive abscissae on [-1, 1] (each used with its mirror) and weights,
// with the digits the calculator has always used.
constexpr double kNodes8[] = {0.960289856497536, 0.796666477413627, 0.525532409916329, 0.18343464249565};
constexpr double kWeights8[] = {0.101228536290376, 0.222381034453374, 0.313706645877887, 0.362683783378362};
constexpr double kNodes16[] = {0.98940093499165,  0.944575023073233, 0.865631202387832, 0.755404408355003,
                               0.617876244402644, 0.458016777657227, 0.281603550779259, 0.0950125098376374};
constexpr double kWeights16[] = {0.0271524594117541, 0.0622535239386479, 0.0951585116824928, 0.124628971255534,
                                 0.149595988816577,  0.169156519395003,  0.182603415044924,  0.189450610455068};

const char* const kLimitsOrder = "DGAINT-> Incorrect Integral limits: From >= To";
const char* const kLimitsNotFinite = "DGAINT-> Incorrect Integral limits: not finite";
const char* const kNotConverged = "DGAINT->Integral failed to converge";
const char* const kNotConvergedToAccuracy = "DGAINT->Integral failed to converge to prescribed accuracy: ";
const char* const kInvalidDouble = "DGAINT-> Invalid Double Type";
const char* const kOnlyOne = "DGAINT-> Please enter only one function to Integrate!";

// One rule over the interval centred at c with half-length h. A pair whose
// evaluation fails is left out; maxFailures failures in a row end the
// integration.
template <std::size_t N>
double RuleSum(const double (&nodes)[N], const double (&weights)[N], double c, double h, const TIntegrand& f,
               int maxFailures, bool severalIsFatal) {
  double sum = 0.0;
  int failures = 0;
  auto value = [&](double t, bool& failed) {
    const TPointValue v = f(t);
    switch (v.Status) {
      case TPointStatus::Ok: return v.Value;
      case TPointStatus::NotReal: throw TIntegrationError(kInvalidDouble);
      case TPointStatus::SeveralExpressions:
        if (severalIsFatal) throw TIntegrationError(kOnlyOne);
        break;
      case TPointStatus::Failed: break;
    }
    failed = true;
    return 0.0;
  };
  for (std::size_t i = 0; i < N; ++i) {
    bool failed = false;
    const double right = value(c + h * nodes[i], failed);
    const double left = failed ? 0.0 : value(c - h * nodes[i], failed);
    if (failed) {
      if (++failures >= maxFailures) throw TIntegrationError(kNotConverged);
      continue;
    }
    failures = 0;
    sum += weights[i] * (right + left);
  }
  return h * sum;
}

}  // namespace

double GaussIntegrate(double tolerance, double to, double from, const TIntegrand& f, const TStopTest& stop,
                      TProgress* progress) {
  const double a = from, b = to;
  if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(b - a)) throw TIntegrationError(kLimitsNotFinite);
  if (a >= b) throw TIntegrationError(kLimitsOrder);
  const double smallest = std::fabs(b - a) * 1e-12;
  if (progress) progress->Start(1000);
  // Once a NaN is accepted the sum stays NaN: a NaN integrand never gives a
  // number.
  double sum = 0.0;
  double start = a;
  while (std::fabs(b - start) > smallest) {
    double length = b - start;
    double end, s16;
    while (true) {
      if (StopAsked(stop)) throw TWorkStopped{};
      if (std::fabs(length) <= smallest) throw TIntegrationError(kNotConvergedToAccuracy + RealToText(tolerance));
      end = start + length;
      const double c = (start + end) / 2;
      const double h = c - start;
      const double s8 = RuleSum(kNodes8, kWeights8, c, h, f, 4, true);
      s16 = RuleSum(kNodes16, kWeights16, c, h, f, 7, false);
      length /= 2;
      const double difference = std::fabs(s16 - s8);
      if (std::isnan(difference) || difference <= (std::fabs(s16) + 1) * tolerance) break;
    }
    sum += s16;
    start = end;
    if (progress) progress->Set(static_cast<std::int64_t>(1000 * ((start - a) / (b - a))));
  }
  return std::isnan(sum) ? EngineNaN() : sum;
}

}  // namespace helmax
