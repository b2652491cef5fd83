// Running the fast form of a program (see FastProgram.h).
#include <cmath>

#include "BuiltinCatalogue.h"
#include "HelmaxComplexEval.h"
#include "Operations.h"

namespace helmax {

namespace {

constexpr double kTrigLimit = 9223372036854775808.0;  // 2^63, as the interpreter's fast path

// x^y as the real power computes it, when that gives a finite result
// without a failure; false otherwise.
inline bool FastPower(double x, double y, double& r) {
  if (y == 2.0 || y == 3.0 || y == 4.0) {
    r = SmallIntegerPower(x, y);
    return true;
  }
  if (std::isnan(x) || std::isnan(y)) return false;
  if (y == 0.0) {
    r = 1.0;
    return true;
  }
  if (x == 0.0) {
    if (y <= 0.0 || std::isinf(y)) return false;
    r = 0.0;
    return true;
  }
  if (std::isinf(y)) return false;
  if (y == 1.0) {  // pow(x, 1) is x
    r = x;
    return true;
  }
  const bool integral = std::trunc(y) == y && std::fabs(y) <= 2147483647.0;
  if (!integral && x < 0.0) return false;
  r = std::pow(x, y);
  return true;
}

}  // namespace

// Each fused step gives up exactly where the interpreter's fast path for
// its instruction would hand over to the general rules (see RunInstruction
// in Interpreter.cpp); the caller then runs the whole program the ordinary
// way. The steps are threaded: each ends with its own jump to the next one
// (this file is compiled without cross-jumping, which would merge them).
// The sixteen first steps of a pair, by their operands, for one second
// step; then the four second steps (their order is that of TFastOp).
#define HELMAX_PAIR_FIRSTS(X, SECOND, OP2)                                                  \
  X(AddCC, s->A->Num + s->B->Num, SECOND, OP2) X(AddAC, acc + s->B->Num, SECOND, OP2)       \
  X(AddCA, s->A->Num + acc, SECOND, OP2) X(AddAA, acc + acc, SECOND, OP2)                   \
  X(SubCC, s->A->Num - s->B->Num, SECOND, OP2) X(SubAC, acc - s->B->Num, SECOND, OP2)       \
  X(SubCA, s->A->Num - acc, SECOND, OP2) X(SubAA, acc - acc, SECOND, OP2)                   \
  X(MulCC, s->A->Num * s->B->Num, SECOND, OP2) X(MulAC, acc * s->B->Num, SECOND, OP2)       \
  X(MulCA, s->A->Num * acc, SECOND, OP2) X(MulAA, acc * acc, SECOND, OP2)                   \
  X(DivCC, s->A->Num / s->B->Num, SECOND, OP2) X(DivAC, acc / s->B->Num, SECOND, OP2)       \
  X(DivCA, s->A->Num / acc, SECOND, OP2) X(DivAA, acc / acc, SECOND, OP2)
#define HELMAX_PAIRS(X)                                                                     \
  HELMAX_PAIR_FIRSTS(X, ThenAdd, +) HELMAX_PAIR_FIRSTS(X, ThenSub, -)                       \
  HELMAX_PAIR_FIRSTS(X, ThenMul, *) HELMAX_PAIR_FIRSTS(X, ThenDiv, /)

bool THelmaxComplexEval::RunFastProgram() {
  static const void* const kStep[] = {
      &&AddCC,   &&AddAC,   &&AddCA,    &&AddAA,    &&SubCC,   &&SubAC,   &&SubCA,      &&SubAA,
      &&MulCC,   &&MulAC,   &&MulCA,    &&MulAA,    &&DivCC,   &&DivAC,   &&DivCA,      &&DivAA,
      &&SquareC, &&SquareA, &&CubeC,    &&CubeA,    &&FourthC, &&FourthA, &&WholePowerC, &&WholePowerA,
      &&PowerC,  &&PowerA,
      &&SqrtC,   &&SqrtA,   &&AbsC,     &&AbsA,     &&ExpC,    &&ExpA,    &&SinC,       &&SinA,
      &&CosC,    &&CosA,
#define HELMAX_PAIR_LABEL(FIRST, EXPR, SECOND, OP2) &&FIRST##_##SECOND,
      HELMAX_PAIRS(HELMAX_PAIR_LABEL)
#undef HELMAX_PAIR_LABEL
      &&Compare, &&CompareJump, &&JumpIfFalse, &&Jump, &&Copy, &&SetNull, &&Generic, &&End};
  static_assert(sizeof(kStep) / sizeof(kStep[0]) == fsEnd + 1);
  for (const TValue* v : FastGuards_)
    if (v->Kind != TValueKind::Real) return false;
  const TFastStep* const first = FastSteps_.data();
  const TFastStep* s = first;
  double acc = 0.0;
  double spoiled = 0.0;
  double r;
  double x;
  bool b;

#define HELMAX_NEXT goto* kStep[s->Op]
// r - r is 0 for a finite r and NaN otherwise, so that spoiled, once any
// result is not finite: the run then gives up at its end. (The steps in
// between only write result cells, and those that test values give up on
// non-finite ones themselves.)
#define HELMAX_STORE               \
  spoiled += r - r;                \
  s->R->Kind = TValueKind::Real;   \
  s->R->Num = r;                   \
  acc = r;                         \
  ++s;                             \
  HELMAX_NEXT
#define HELMAX_ARITH(NAME, OP)     \
  NAME##CC : r = s->A->Num OP s->B->Num; \
  HELMAX_STORE;                    \
  NAME##AC : r = acc OP s->B->Num; \
  HELMAX_STORE;                    \
  NAME##CA : r = s->A->Num OP acc; \
  HELMAX_STORE;                    \
  NAME##AA : r = acc OP acc;       \
  HELMAX_STORE;
// A function of one real, given up on the condition, else r = EXPR (of x).
#define HELMAX_UNARY(NAME, FAIL, EXPR) \
  NAME##C : x = s->A->Num;             \
  goto NAME;                           \
  NAME##A : x = acc;                   \
  NAME : if (FAIL) return false;       \
  r = EXPR;                            \
  HELMAX_STORE;

  HELMAX_NEXT;
  HELMAX_ARITH(Add, +)
  HELMAX_ARITH(Sub, -)
  HELMAX_ARITH(Mul, *)
  HELMAX_ARITH(Div, /)
  HELMAX_UNARY(Square, false, SmallIntegerPower(x, 2.0))
  HELMAX_UNARY(Cube, false, SmallIntegerPower(x, 3.0))
  HELMAX_UNARY(Fourth, false, SmallIntegerPower(x, 4.0))
  HELMAX_UNARY(Sqrt, !(x >= 0.0) || !std::isfinite(x), std::sqrt(x))
  HELMAX_UNARY(Abs, !std::isfinite(x), std::fabs(x))
  HELMAX_UNARY(Exp, !std::isfinite(x), std::exp(x))
  HELMAX_UNARY(Sin, !(std::fabs(x) < kTrigLimit), std::sin(x))
  HELMAX_UNARY(Cos, !(std::fabs(x) < kTrigLimit), std::cos(x))
// FastPower for an exponent that is whole, finite and neither 0 nor 1 (nor
// 2, 3 or 4): only the base can make it give up.
WholePowerC:
  x = s->A->Num;
  goto WholePower;
WholePowerA:
  x = acc;
WholePower:
  if (std::isnan(x)) return false;
  if (x == 0.0) {
    if (s->B->Num < 0.0) return false;
    r = 0.0;
  } else {
    r = std::pow(x, s->B->Num);
  }
  HELMAX_STORE;
PowerC:
  x = s->A->Num;
  goto Power;
PowerA:
  x = acc;
Power:
  if (!FastPower(x, s->B->Num, r)) return false;
  HELMAX_STORE;
Compare:
CompareJump:
  if (!CompareFiniteReals(s->Sub, s->A->Num, s->B->Num, b)) return false;
  s->R->Kind = TValueKind::Boolean;
  s->R->Bool = b;
  s = s->Op == fsCompareJump && !b ? first + s->Jump : s + 1;
  HELMAX_NEXT;
JumpIfFalse:
  if (s->A->Kind != TValueKind::Boolean) return false;
  s = s->A->Bool ? s + 1 : first + s->Jump;
  HELMAX_NEXT;
Jump:
  s = first + s->Jump;
  HELMAX_NEXT;
Copy:
  *s->R = *s->A;
  ++s;
  HELMAX_NEXT;
SetNull:
  *s->R = TValue();
  ++s;
  HELMAX_NEXT;
Generic:
  if (!RunFastGenericStep(*s->Ins)) return false;
  ++s;
  HELMAX_NEXT;
End:
  return spoiled == 0.0;
// Both steps exactly as each alone: the first result written to its cell
// before the second reads its own cell (which may be that one).
#define HELMAX_PAIR_CODE(FIRST, EXPR, SECOND, OP2) \
  FIRST##_##SECOND : r = EXPR;                     \
  spoiled += r - r;                                \
  s->R->Kind = TValueKind::Real;                   \
  s->R->Num = r;                                   \
  ++s;                                             \
  r = r OP2 s->B->Num;                             \
  HELMAX_STORE;
  HELMAX_PAIRS(HELMAX_PAIR_CODE)
#undef HELMAX_PAIR_CODE
#undef HELMAX_PAIRS
#undef HELMAX_PAIR_FIRSTS
#undef HELMAX_UNARY
#undef HELMAX_ARITH
#undef HELMAX_STORE
#undef HELMAX_NEXT
}

}  // namespace helmax
