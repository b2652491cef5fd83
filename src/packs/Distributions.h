// Probability distributions and special functions: 56 external functions
// for the expression engine (gamma and beta families, Hermite polynomials,
// combinatorics, normal, log-normal, chi-square, F, Student t, binomial,
// Poisson and exponential distributions with their inverses).
#pragma once

#include "HelmaxComplexEval.h"

namespace helmax {

// The registrations, to be appended to a host's external function table.
// Order: the special functions (Gamma .. BinomialCoeff), the normal and
// log-normal distributions (NormalZ .. InvLogNormalGreater), chi-square, F
// and t (ChiSquareLess .. InvStudentTGreater), then the discrete and
// exponential distributions (BinomialEq .. ExponentialBetween).
TUserFuncArray DistributionFunctions();

}  // namespace helmax
