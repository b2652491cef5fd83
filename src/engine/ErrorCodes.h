// The engine's error codes. ErrorCode holds one of these, or a positive
// function number (code - 7) for a failure inside a function.
#pragma once

#include <cstdint>

namespace helmax {

enum TErrorCode : std::int32_t {
  ecNone = 0,
  ecNothingCompiled = -1,     // evaluation or derivative with nothing compiled
  ecParentheses = -2,         // mismatched parentheses
  ecDerivativeVariable = -3,  // bad name of the differentiation variable
  ecEmptyExpression = -4,
  ecEmptyIdentifier = -5,
  ecIdentifierTooLong = -6,
  ecInvalidIdentifier = -7,
  ecReservedName = -8,
  ecNameExists = -9,             // a variable of that name exists
  ecDuplicateName = -10,         // an external or run-time function has the name
  ecUnknownExpression = -11,     // unknown characters, juxtaposed operands, bad exponent
  ecExponentValue = -12,         // a number in exponent form did not convert
  ecNotDerivationCompile = -15,  // derivative asked of a plain compile
  ecDerivativeErased = -16,
  ecValueCount = -17,           // wrong number of values for a run-time function
  ecVectorOfExpressions = -18,  // a single evaluation asked of several expressions
  ecTooManyFunctions = -19,
  ecFunctionWithoutAddress = -20,
  ecProtected = -21,          // assignment to a protected name, ~ on a built-in or external name
  ecInvalidExpression = -22,  // ")(", internal ~ inconsistency, a failure without code
  ecExecution = -23,          // an evaluation failed without a code
  ecRelease = -24,
  // Floating-point failures of the operators * / + - ^ =.
  ecMultiply = -25,
  ecDivide = -26,
  ecAdd = -27,
  ecSubtract = -28,
  ecPower = -29,
  ecAssign = -30,
  ecUnknownFunction = -31,
  ecUnknownVariable = -32,
  ecSyntax = -33,  // any other failure of the reduction
  ecComma = -34,
  ecFatal = -35,               // nesting too deep for the native stack
  ecFunctionName = -36,        // ~ with a head that is not a function call
  ecFunctionDefined = -37,     // ~ for a function already defined
  ecFunctionNotDefined = -38,  // a run-time function called but never defined
  ecParameterCount = -39,
  ecParameterName = -40,
  ecDuplicateParameter = -41,
  ecFunctionStackOverflow = -42,  // run-time calls nested beyond MaxFunctionDepth
  ecStopped = -43,                // the host asked the running evaluation to stop
  ecTooLong = -44,                // the evaluation ran past its step budget
  ecOutOfMemory = -45,            // an allocation failed (never a fault of the text)
};

// The floating-point failure code of an operator code 1..6 (* / + - ^ =).
constexpr std::int32_t OperatorErrorCode(int opCode) { return ecRelease - opCode; }

}  // namespace helmax
