#include "SameValueApprox.h"

#include <algorithm>
#include <cmath>

namespace helmax {

bool SameRealApprox(double a, double b) {
  const bool nanA = std::isnan(a), nanB = std::isnan(b);
  if (nanA || nanB) return nanA && nanB;
  const bool infA = std::isinf(a), infB = std::isinf(b);
  if (infA || infB) return infA && infB && std::signbit(a) == std::signbit(b);
  const double tolerance = (a == 0 || b == 0) ? 1e-13 : 1e-13 * std::min(std::fabs(a), std::fabs(b));
  return std::fabs(b - a) <= tolerance;
}

bool SameValueApprox(const TValue& a, const TValue& b) {
  if (a.Kind != b.Kind) return false;
  switch (a.Kind) {
    case TValueKind::Real: return SameRealApprox(a.Num, b.Num);
    case TValueKind::Boolean: return a.Bool == b.Bool;
    case TValueKind::Currency: return a.Cur == b.Cur;
    case TValueKind::Complex: return SameRealApprox(a.Cx.Re, b.Cx.Re) && SameRealApprox(a.Cx.Im, b.Cx.Im);
    default: return false;
  }
}

}  // namespace helmax
