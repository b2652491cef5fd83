// The rules of symbolic differentiation: how the derivative text of an
// operation or function application is made from its operands' texts and
// derivative texts. The compiler applies them to every sub-expression it
// builds while compiling in derivation mode.
#pragma once

#include <optional>
#include <string>

#include "DerivativeText.h"

namespace helmax {

// An operand: its text (as the compiler writes it), its derivative text
// (nullptr when missing) and whether its value is known while compiling.
struct TOperandTexts {
  TDText Text = nullptr;
  TDText Derivative = nullptr;
  bool Constant = false;
};

class TDerivativeRules {
 public:
  explicit TDerivativeRules(TDerivativeTexts& texts) : T_(texts) {}

  TDText Zero() { return T_.Literal("0"); }
  TDText One() { return T_.Literal("1"); }

  // A + B, A - B, A * B, A / B (both operands not constant).
  TDText Operator(char op, const TOperandTexts& a, const TOperandTexts& b);
  // A ^ B and power(A, B). exponentMinusOne, when set, is the text of B - 1
  // for an exponent written p/q with integer p and q.
  TDText Power(const TOperandTexts& a, const TOperandTexts& b, TDText exponentMinusOne);
  // A function of one argument u with derivative du, by its code; nullptr
  // when the code has no such rule.
  TDText OneArgument(int code, TDText u, TDText du);
  // arctan(x, y), arctan2(y, x): the derivative of the angle of the point (x, y).
  TDText Angle(const TOperandTexts& x, const TOperandTexts& y);
  // logn(A, B), the logarithm of B to the base A.
  TDText LogN(const TOperandTexts& a, const TOperandTexts& b);

  // The text of B - 1 for an exponent p/q: p - q "/" q, when p and q are
  // integer texts and p - q fits 32 bits.
  std::optional<std::string> RationalExponentMinusOne(TDText p, TDText q);

 private:
  TDText L(const char* s) { return T_.Literal(s); }
  // d is a zero text, and multiplying it by a factor of at most factorBound
  // characters gives "0" whatever the factor is: the factor need not be
  // built (building it would tidy its operands, costly for long ones).
  bool Vanishes(TDText d, std::size_t factorBound, bool factorInfinity);
  TDerivativeTexts& T_;
};

}  // namespace helmax
