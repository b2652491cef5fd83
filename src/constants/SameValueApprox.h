// The calculator's tolerant equality of two values, used where a stored
// value is compared with the one that was asked for.
#pragma once

#include "Value.h"

namespace helmax {

// Reals: both NaN, or both infinite with the same sign, or (both finite)
// |a - b| <= 1e-13 when either is 0 and <= 1e-13 * min(|a|, |b|) otherwise.
// Booleans and currency values: exact equality. Complex values: both parts
// as reals. Any other pair is unequal.
bool SameValueApprox(const TValue& a, const TValue& b);
bool SameRealApprox(double a, double b);

}  // namespace helmax
