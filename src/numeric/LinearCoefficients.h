// The coefficients of a compiled system of linear expressions, read from
// its program: every instruction is run on value-and-coefficient pairs, so
// a coefficient comes out as the products and sums of the constants that
// really multiply its variable, never as the difference of two evaluations
// (which loses it next to a large constant term).
#pragma once

#include <string>
#include <vector>

#include "HelmaxComplexEval.h"

namespace helmax {

enum class TCoefficientsOutcome { Done, NotLinear, Failed };

// engine: compiled with the system's variables as its variables, every
// variable set to 0 and the program run (so that the cells of constant
// subexpressions hold their values). Fills coefficients (equations × variables,
// row-major, real 0 where a variable does not occur). On Failed, message
// holds the error line of the failing operation.
TCoefficientsOutcome LinearCoefficients(const THelmaxComplexEval& engine, std::vector<TValue>& coefficients,
                                        std::string& message);

// The value with its sign changed, exactly (reals, date-times, currency
// amounts, complex numbers); other values unchanged.
TValue NegatedValue(const TValue& v);

}  // namespace helmax
