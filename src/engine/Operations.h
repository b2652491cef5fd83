// The value rules of every operator and built-in function. The compiler folds
// constant operations with these functions and the interpreter runs the same
// code, so a folded value and an evaluated value can never differ.
//
// Every function either writes its result or throws: EHelmaxMathError for a
// floating-point condition (kinds 1..5), std::runtime_error with the
// engine's message ("Incorrect real or complex type", ...) otherwise.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "Value.h"

namespace helmax {

// Operation codes of the instruction table.
enum OpCode : std::uint16_t {
  opMul = 1,
  opDiv = 2,
  opAdd = 3,
  opSub = 4,
  opPow = 5,
  opAssign = 6,
  opDefine = 7,
  opFirstBuiltin = 8,
  opPi = 8,
  opLn = 16,
  opArctan = 30,
  opEq = 38,
  opUneq = 39,
  opLs = 40,
  opGr = 41,
  opLsEq = 42,
  opGrEq = 43,
  opAnd = 44,
  opOr = 45,
  opNot = 46,
  opIf = 47,
  opBk = 48,
  opWhile = 49,
  opPower = 56,
  opXor = 75,
  opDirectedInfinity = 83,
  opRandom = 84,
  opLastBuiltin = 104,
  opFirstExternal = 105,
};

constexpr int BuiltinCount = 97;  // codes 8..104
constexpr double EngineTolerance = 1e-13;

// Arguments accepted by a built-in, checked while compiling.
enum class TArity : std::uint8_t {
  Constant,    // no arguments; folded into a constant cell
  One,         // exactly 1
  Two,         // exactly 2
  OneOrTwo,    // arctan
  TwoOrThree,  // if
  AtLeastOne,
  AtLeastTwo,
  Directed,    // directedinfinity: one literal argument, 1 or -1
};

struct TBuiltinInfo {
  const char* Name;  // lower case
  TArity Arity;
};

// Table entry of code 8..104.
const TBuiltinInfo& BuiltinInfo(int code);
// Code 8..104 of a built-in name (any case), or 0.
int FindBuiltin(std::string_view name);
bool BuiltinArgCountOk(int code, int count);

// Value of a parameterless built-in constant (pi, e, zero, true, null, ...).
TValue BuiltinConstant(int code);

// HelpText of codes 0..104 (built-in part of the catalogue).
std::string BuiltinHelpText(int code);

// Tolerant equality of reals: |b - a| <= 1e-13 * min(|a|, |b|), or 1e-13
// when either is 0.
bool ApproxEqual(double a, double b);

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
