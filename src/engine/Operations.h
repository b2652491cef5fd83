// The value rules of every operator and built-in function. The compiler folds
// constant operations with these functions and the interpreter runs the same
// code, so a folded value and an evaluated value can never differ.
//
// Every function either writes its result or throws: EHelmaxMathError for a
// floating-point condition (kinds 1..5), std::runtime_error with the
// engine's message ("Incorrect real or complex type", ...) otherwise.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "BuiltinCatalogue.h"
#include "Value.h"

namespace helmax {

constexpr double EngineTolerance = 1e-13;

// Value of a parameterless built-in constant (pi, e, zero, true, null, ...).
TValue BuiltinConstant(int code);

// Tolerant equality of reals: |b - a| <= 1e-13 * min(|a|, |b|), or 1e-13
// when either is 0.
bool ApproxEqual(double a, double b);

// A comparison (opEq ... opGrEq) of two finite reals, as the general rule
// computes it; false, leaving r alone, when either is not finite.
inline bool CompareFiniteReals(int code, double x, double y, bool& r) {
  if (!std::isfinite(x) || !std::isfinite(y)) return false;
  switch (code) {
    case opEq: r = ApproxEqual(x, y); break;
    case opUneq: r = !ApproxEqual(x, y); break;
    case opLs: r = x < y; break;
    case opGr: r = x > y; break;
    case opLsEq: r = x < y || ApproxEqual(x, y); break;
    default: r = x > y || ApproxEqual(x, y); break;
  }
  return true;
}

// x^2, x^3 and x^4 as products; shared by the real power and the
// interpreter's fast path so that folded and evaluated powers agree.
inline double SmallIntegerPower(double x, double n) {
  const double x2 = x * x;
  return n == 2.0 ? x2 : n == 3.0 ? x2 * x : x2 * x2;
}

// Operators * / + - (codes 1..4).
void ArithOp(int code, const TValue& a, const TValue& b, TValue& result);
// Power with two operands (codes 5 and 56).
void PowerOp(const TValue& x, const TValue& y, TValue& result);
// Power with a rational exponent written p/q (three operands).
void RationalPowerOp(const TValue& x, const TValue& p, const TValue& q, TValue& result);
// Comparisons eq, uneq, ls, gr, lseq, greq (codes 38..43).
void CompareOp(int code, const TValue& a, const TValue& b, TValue& result);
// and, or, xor (codes 44, 45, 75; two or more operands) and not (46).
void LogicOp(int code, const TValue* const* args, int count, TValue& result);

// Built-ins 8..104 apart from the control forms (if, bk, while) and the
// constants. args holds count pointers; rng serves random.
void EvalBuiltin(int code, const TValue* const* args, int count, TValue& result, std::mt19937_64& rng);

}  // namespace helmax
