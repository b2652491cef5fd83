// The catalogue of the engine's operators and built-in functions: one code
// per operation, and one table of the 97 built-ins (name, accepted
// arguments, how the derivative is formed, help line) that the compiler, the
// interpreter, the help window and the error texts all read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace helmax {

// Operation codes of the instruction table. The built-ins are numbered in
// catalogue order; external functions follow from opFirstExternal, then the
// run-time functions. Error codes and help indices use the same numbers.
enum TOpCode : std::uint16_t {
  // Compiled only with PerturbableResults (the equivalence test): perturbs
  // the result of the instruction before it.
  opPerturbResult = 0,
  opMul = 1,
  opDiv = 2,
  opAdd = 3,
  opSub = 4,
  opPow = 5,
  opAssign = 6,
  opDefine = 7,
  opPi = 8,
  opExp = 9,
  opCos = 10,
  opSin = 11,
  opTan = 12,
  opCotan = 13,
  opSqrt = 14,
  opAbs = 15,
  opLn = 16,
  opCeil = 17,
  opSqr = 18,
  opInt = 19,
  opLnxp1 = 20,
  opLog10 = 21,
  opLog2 = 22,
  opFrac = 23,
  opArccos = 24,
  opArccosh = 25,
  opCosh = 26,
  opArcsin = 27,
  opArcsinh = 28,
  opSinh = 29,
  opArctan = 30,
  opArctanh = 31,
  opTanh = 32,
  opArctan2 = 33,
  opMax = 34,
  opMin = 35,
  opMean = 36,
  opSum = 37,
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
  opInfinity = 50,
  opZero = 51,
  opDegToRad = 52,
  opRadToDeg = 53,
  opLogN = 54,
  opFloor = 55,
  opPower = 56,
  opNaN = 57,
  opIsNaN = 58,
  opSec = 59,
  opSech = 60,
  opCot = 61,
  opCoth = 62,
  opArccot = 63,
  opArccoth = 64,
  opArcsec = 65,
  opArcsech = 66,
  opCsc = 67,
  opCsch = 68,
  opArccsc = 69,
  opArccsch = 70,
  opSecant = 71,
  opCosecant = 72,
  opLog = 73,
  opSign = 74,
  opXor = 75,
  opFractionalPart = 76,
  opIntegerPart = 77,
  opCeiling = 78,
  opIndeterminate = 79,
  opTrue = 80,
  opFalse = 81,
  opDegree = 82,
  opDirectedInfinity = 83,
  opRandom = 84,
  opE = 85,
  opNull = 86,
  opMod = 87,
  opQuotient = 88,
  opIntegerDiv = 89,  // the function div
  opComplex = 90,
  opIsComplex = 91,
  opIsReal = 92,
  opRe = 93,
  opIm = 94,
  opConjugate = 95,
  opArg = 96,
  opIsBoolean = 97,
  opIsNull = 98,
  opComplexFromPolar = 99,
  opReal2Curr = 100,
  opCurr2Real = 101,
  opIsCurrency = 102,
  opIsDateTime = 103,
  opInf = 104,
  opFirstBuiltin = opPi,
  opLastBuiltin = opInf,
  opFirstExternal = 105,
};

constexpr int BuiltinCount = opLastBuiltin - opFirstBuiltin + 1;  // 97

// A function's number in error codes: code - 7 (1..97 for the built-ins).
constexpr int FunctionNumber(int code) { return code - opDefine; }

// Arguments accepted by a built-in, checked while compiling.
enum class TArity : std::uint8_t {
  Constant,    // no arguments; folded into a constant cell
  One,         // exactly 1
  Two,         // exactly 2
  OneOrTwo,    // arctan
  TwoOrThree,  // if
  AtLeastOne,
  AtLeastTwo,
  Directed,  // directedinfinity: one literal argument, 1 or -1
};

// How symbolic differentiation treats a built-in.
enum class TDerivativeRule : std::uint8_t {
  Zero,                // constants and random: the derivative is 0
  Chain,               // a function of one argument: f'(u) times u'
  Special,             // its own rule (arctan with one argument or two,
                       // arctan2, logn, power, eq, if, bk)
  ZeroUnlessVariable,  // no derivative: 0 when the arguments do not involve
                       // the variable, missing otherwise
  Missing,             // never differentiable (while, complex, nan, null ...)
};

struct TBuiltinInfo {
  const char* Name;  // lower case
  TOpCode Code;
  TArity Arity;
  TDerivativeRule Derivative;
  const char* Help;  // nullptr: the generic line of a Pascal-like function
};

// Table entry of a code opFirstBuiltin..opLastBuiltin.
const TBuiltinInfo& BuiltinInfo(int code);
// Code of a built-in name (any case), or 0.
int FindBuiltin(std::string_view name);
bool BuiltinArgCountOk(int code, int count);
// The help line of an operator (codes 0..7, 0 being variables) or of a
// built-in.
std::string BuiltinHelpText(int code);

}  // namespace helmax
