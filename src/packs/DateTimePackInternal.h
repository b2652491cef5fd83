// Shared pieces of the date-time pack: the shape of a pack function, the
// per-group registration tables and the argument checks.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "HelmaxDateTimeEval.h"
#include "PackFunctions.h"

namespace helmax::dtpack {

// Registration groups, each in its registration order; concatenated in this
// order they give the whole pack.
std::span<const TPackEntry> CalendarEntries();    // DateTimePack.cpp
std::span<const TPackEntry> FinanceEntries();     // FinancePack.cpp
std::span<const TPackEntry> StatisticsEntries();  // StatisticsPack.cpp
std::span<const TPackEntry> BesselEntries();      // BesselPack.cpp

// ---- failures -----------------------------------------------------------------

// An argument-check failure: a non-math failure carrying the exact message.
[[noreturn]] void ArgumentFail(const std::string& message);
// A floating-point kind 1..5 (mkInvalidArgument for the formulas' own failures).
[[noreturn]] void MathFail(int kind);

// ---- argument checks -----------------------------------------------------------

constexpr double kIntegralTolerance = 1e-13;
constexpr double kMaxInteger = 2147483647.0;

// True when x is a number within +-2147483647 whose fractional part is at
// most 1e-13 in magnitude; whole is then x truncated.
bool IsIntegral(double x, double& whole);

// Real or currency argument i (0-based) as a double, or fail with message.
double NumberArg(const TPackCall& call, int i, const std::string& message);

// Judges a computed real: a NaN from arguments that were not NaN is an
// invalid operation, an infinity from finite arguments an overflow.
double JudgeResult(double r, bool argumentsFinite, bool argumentsNaN);

}  // namespace helmax::dtpack
