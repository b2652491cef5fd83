// Running the fast form of a program (see FastProgram.h).
#include <cmath>
#include <limits>

#include "BuiltinCatalogue.h"
#include "HelmaxComplexEval.h"
#include "Operations.h"

namespace helmax {

namespace {

// What a runner returns when it gives up.
constexpr double kGiveUp = std::numeric_limits<double>::quiet_NaN();
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
// The sixteen first steps of a pair or triple, by their operands, each
// given the rest of its step's arguments; then the four second steps of
// the pairs; then the triples by third and second step (the orders are
// those of TFastOp).
// clang-format off
#define HELMAX_FIRSTS(X, ...)                                                                    \
  X(AddCC, s->A->Num + s->B->Num, __VA_ARGS__) X(AddAC, acc + s->B->Num, __VA_ARGS__)            \
  X(AddCA, s->A->Num + acc, __VA_ARGS__) X(AddAA, acc + acc, __VA_ARGS__)                        \
  X(SubCC, s->A->Num - s->B->Num, __VA_ARGS__) X(SubAC, acc - s->B->Num, __VA_ARGS__)            \
  X(SubCA, s->A->Num - acc, __VA_ARGS__) X(SubAA, acc - acc, __VA_ARGS__)                        \
  X(MulCC, s->A->Num * s->B->Num, __VA_ARGS__) X(MulAC, acc * s->B->Num, __VA_ARGS__)            \
  X(MulCA, s->A->Num * acc, __VA_ARGS__) X(MulAA, acc * acc, __VA_ARGS__)                        \
  X(DivCC, s->A->Num / s->B->Num, __VA_ARGS__) X(DivAC, acc / s->B->Num, __VA_ARGS__)            \
  X(DivCA, s->A->Num / acc, __VA_ARGS__) X(DivAA, acc / acc, __VA_ARGS__)
#define HELMAX_SECONDS(X, ...)                                                                   \
  HELMAX_FIRSTS(X, ThenAdd, +, __VA_ARGS__) HELMAX_FIRSTS(X, ThenSub, -, __VA_ARGS__)            \
  HELMAX_FIRSTS(X, ThenMul, *, __VA_ARGS__) HELMAX_FIRSTS(X, ThenDiv, /, __VA_ARGS__)
#define HELMAX_PAIRS(X)                                                                          \
  HELMAX_FIRSTS(X, ThenAdd, +) HELMAX_FIRSTS(X, ThenSub, -) HELMAX_FIRSTS(X, ThenMul, *)         \
  HELMAX_FIRSTS(X, ThenDiv, /)
#define HELMAX_TRIPLES(X)                                                                        \
  HELMAX_SECONDS(X, AndAdd, +) HELMAX_SECONDS(X, AndSub, -) HELMAX_SECONDS(X, AndMul, *)         \
  HELMAX_SECONDS(X, AndDiv, /)
// clang-format on

// acc is set by every fused step before any step reads it (a step reads
// the register only right after the step that wrote it), which the
// compiler cannot see through the jumps.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
template <bool kLeaf>
double THelmaxComplexEval::RunFastSteps(THelmaxComplexEval* e, const TFastStep* first) {
  static const void* const kStep[] = {&&AddCC,
                                      &&AddAC,
                                      &&AddCA,
                                      &&AddAA,
                                      &&SubCC,
                                      &&SubAC,
                                      &&SubCA,
                                      &&SubAA,
                                      &&MulCC,
                                      &&MulAC,
                                      &&MulCA,
                                      &&MulAA,
                                      &&DivCC,
                                      &&DivAC,
                                      &&DivCA,
                                      &&DivAA,
                                      &&SquareC,
                                      &&SquareA,
                                      &&CubeC,
                                      &&CubeA,
                                      &&FourthC,
                                      &&FourthA,
                                      &&WholePowerC,
                                      &&WholePowerA,
                                      &&PowerC,
                                      &&PowerA,
                                      &&SqrtC,
                                      &&SqrtA,
                                      &&AbsC,
                                      &&AbsA,
                                      &&ExpC,
                                      &&ExpA,
                                      &&SinC,
                                      &&SinA,
                                      &&CosC,
                                      &&CosA,
#define HELMAX_PAIR_LABEL(FIRST, EXPR, SECOND, OP2) &&FIRST##_##SECOND,
                                      HELMAX_PAIRS(HELMAX_PAIR_LABEL)
#undef HELMAX_PAIR_LABEL
#define HELMAX_TRIPLE_LABEL(FIRST, EXPR, SECOND, OP2, THIRD, OP3) &&FIRST##_##SECOND##_##THIRD,
                                              HELMAX_TRIPLES(HELMAX_TRIPLE_LABEL)
#undef HELMAX_TRIPLE_LABEL
#define HELMAX_FINAL_LABEL(FIRST, EXPR, UNUSED) &&FIRST##_Final,
                                                  HELMAX_FIRSTS(HELMAX_FINAL_LABEL, _)
#undef HELMAX_FINAL_LABEL
#define HELMAX_FINAL_PAIR_LABEL(FIRST, EXPR, SECOND, OP2) &&FIRST##_##SECOND##_Final,
                                                      HELMAX_PAIRS(HELMAX_FINAL_PAIR_LABEL)
#undef HELMAX_FINAL_PAIR_LABEL
#define HELMAX_FINAL_TRIPLE_LABEL(FIRST, EXPR, SECOND, OP2, THIRD, OP3) &&FIRST##_##SECOND##_##THIRD##_Final,
                                                          HELMAX_TRIPLES(HELMAX_FINAL_TRIPLE_LABEL)
#undef HELMAX_FINAL_TRIPLE_LABEL
                                          && MaxMin,
                                      &&Compare,
                                      &&CompareJump,
                                      &&JumpIfFalse,
                                      &&Jump,
                                      &&Copy,
                                      &&SetNull,
                                      &&Generic,
                                      &&Guard1,
                                      &&Guard2,
                                      &&Guard3,
                                      &&GuardedEnd1,
                                      &&GuardedEnd2,
                                      &&GuardedEndAcc1,
                                      &&GuardedEndAcc2,
                                      &&EndAcc,
                                      &&End};
  static_assert(sizeof(kStep) / sizeof(kStep[0]) == fsEnd + 1);
  if (first == nullptr) [[unlikely]] {
    e->FastCode_ = kStep;
    return kGiveUp;
  }
  const TFastStep* s = first;
  double acc;
  double spoiled = 0.0;
  double r;
  double x;
  bool b;

#define HELMAX_NEXT goto * s->Code
// Code that calls a function: never reached in the leaf runner, which
// must not contain the call.
#define HELMAX_NOT_IN_LEAF \
  if constexpr (kLeaf) { __builtin_unreachable(); }
// spoiled sums the results: it stays finite while they all are, and the
// run gives up at its end otherwise. (A sum of finite results that
// overflows gives up too, needlessly but harmlessly: the interpreter then
// computes the same values. The steps in between only write result cells,
// and those that test values give up on non-finite ones themselves.)
#define HELMAX_STORE             \
  spoiled += r;                  \
  s->R->Kind = TValueKind::Real; \
  s->R->Num = r;                 \
  acc = r;                       \
  ++s;                           \
  HELMAX_NEXT
#define HELMAX_ARITH(NAME, OP)           \
  NAME##CC : r = s->A->Num OP s->B->Num; \
  HELMAX_STORE;                          \
  NAME##AC : r = acc OP s->B->Num;       \
  HELMAX_STORE;                          \
  NAME##CA : r = s->A->Num OP acc;       \
  HELMAX_STORE;                          \
  NAME##AA : r = acc OP acc;             \
  HELMAX_STORE;
// A function of one real, given up on the condition, else r = EXPR (of x).
#define HELMAX_UNARY(NAME, FAIL, EXPR) \
  NAME##C : x = s->A->Num;             \
  goto NAME;                           \
  NAME##A : x = acc;                   \
  NAME:                                \
  if (FAIL) return kGiveUp;            \
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
  HELMAX_UNARY(Exp, !std::isfinite(x), [&] {
    HELMAX_NOT_IN_LEAF
    return std::exp(x);
  }())
  HELMAX_UNARY(Sin, !(std::fabs(x) < kTrigLimit), [&] {
    HELMAX_NOT_IN_LEAF
    return std::sin(x);
  }())
  HELMAX_UNARY(Cos, !(std::fabs(x) < kTrigLimit), [&] {
    HELMAX_NOT_IN_LEAF
    return std::cos(x);
  }())
// FastPower for an exponent that is whole, finite and neither 0 nor 1 (nor
// 2, 3 or 4): only the base can make it give up.
WholePowerC:
  x = s->A->Num;
  goto WholePower;
WholePowerA:
  x = acc;
WholePower:
  HELMAX_NOT_IN_LEAF
  if (std::isnan(x)) return kGiveUp;
  if (x == 0.0) {
    if (s->B->Num < 0.0) return kGiveUp;
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
  HELMAX_NOT_IN_LEAF
  if (!FastPower(x, s->B->Num, r)) return kGiveUp;
  HELMAX_STORE;
// The largest or smallest of finite reals, the first of equal ones (as
// max and min choose); infinities and NaN go the general way.
MaxMin : {
  const TInstruction& ins = *s->Ins;
  r = ins.Operands[0]->Num;
  if (!std::isfinite(r)) return kGiveUp;
  for (std::int32_t i = 1; i < ins.Count; ++i) {
    x = ins.Operands[i]->Num;
    if (!std::isfinite(x)) return kGiveUp;
    if (s->Sub == opMax ? r < x : r > x) r = x;
  }
  HELMAX_STORE;
}
Compare:
CompareJump:
  if constexpr (kLeaf) {
    // The leaf runner takes only the comparisons without a tolerance.
    if (!std::isfinite(s->A->Num) || !std::isfinite(s->B->Num)) return kGiveUp;
    b = s->Sub == opGr ? s->A->Num > s->B->Num : s->A->Num < s->B->Num;
  } else {
    if (!CompareFiniteReals(s->Sub, s->A->Num, s->B->Num, b)) return kGiveUp;
  }
  s->R->Kind = TValueKind::Boolean;
  s->R->Bool = b;
  s += s->Op == fsCompareJump && !b ? s->Jump : 1;
  HELMAX_NEXT;
JumpIfFalse:
  if (s->A->Kind != TValueKind::Boolean) return kGiveUp;
  s += s->A->Bool ? 1 : s->Jump;
  HELMAX_NEXT;
Jump:
  s += s->Jump;
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
  HELMAX_NOT_IN_LEAF
  if (!s->Engine->RunFastGenericStep(*s->Ins)) return kGiveUp;
  ++s;
  HELMAX_NEXT;
Guard1:
  if (!s->A->IsReal()) return kGiveUp;
  ++s;
  HELMAX_NEXT;
Guard2:
  if (!s->A->IsReal() || !s->B->IsReal()) return kGiveUp;
  ++s;
  HELMAX_NEXT;
Guard3:
  if (!s->R->IsReal() || !s->A->IsReal() || !s->B->IsReal()) return kGiveUp;
  ++s;
  HELMAX_NEXT;
// The end: d is 0 when spoiled is finite, NaN otherwise, and VALUE - d
// is VALUE to the bit (-0 included) or NaN.
#define HELMAX_END(VALUE)               \
  {                                     \
    const double d = spoiled - spoiled; \
    return (VALUE)-d;                   \
  }
GuardedEnd1:
  if (!s->A->IsReal()) return kGiveUp;
  HELMAX_END(s->R->Num)
GuardedEnd2:
  if (!s->A->IsReal() || !s->B->IsReal()) return kGiveUp;
  HELMAX_END(s->R->Num)
GuardedEndAcc1:
  if (!s->A->IsReal()) return kGiveUp;
  HELMAX_END(acc)
GuardedEndAcc2:
  if (!s->A->IsReal() || !s->B->IsReal()) return kGiveUp;
  HELMAX_END(acc)
EndAcc:
  HELMAX_END(acc)
End:
  HELMAX_END(s->R->Num)
#undef HELMAX_END
// The first result stays in the register (nothing else reads its cell).
// It needs no place in spoiled: when it is not finite, neither is the
// second result, which is "first op cell".
#define HELMAX_PAIR_CODE(FIRST, EXPR, SECOND, OP2) \
  FIRST##_##SECOND : r = EXPR;                     \
  ++s;                                             \
  r = r OP2 s->B->Num;                             \
  HELMAX_STORE;
  HELMAX_PAIRS(HELMAX_PAIR_CODE)
#undef HELMAX_PAIR_CODE
// The same with a third step, the second result staying in the register.
#define HELMAX_TRIPLE_CODE(FIRST, EXPR, SECOND, OP2, THIRD, OP3) \
  FIRST##_##SECOND##_##THIRD : r = EXPR;                         \
  r = r OP2 s[1].B->Num;                                         \
  s += 2;                                                        \
  r = r OP3 s->B->Num;                                           \
  HELMAX_STORE;
  HELMAX_TRIPLES(HELMAX_TRIPLE_CODE)
#undef HELMAX_TRIPLE_CODE
// The final steps return the result, once the variable that the first
// step names in R (the last one the program checks) holds a real, and the
// results computed so far are finite.
#define HELMAX_FINISH                   \
  if (!s->R->IsReal()) return kGiveUp;  \
  spoiled += r;                         \
  {                                     \
    const double d = spoiled - spoiled; \
    return r - d;                       \
  }
#define HELMAX_FINAL_CODE(FIRST, EXPR, UNUSED) \
  FIRST##_Final : r = EXPR;                    \
  HELMAX_FINISH
  HELMAX_FIRSTS(HELMAX_FINAL_CODE, _)
#undef HELMAX_FINAL_CODE
#define HELMAX_FINAL_PAIR_CODE(FIRST, EXPR, SECOND, OP2) \
  FIRST##_##SECOND##_Final : r = EXPR;                   \
  r = r OP2 s[1].B->Num;                                 \
  HELMAX_FINISH
  HELMAX_PAIRS(HELMAX_FINAL_PAIR_CODE)
#undef HELMAX_FINAL_PAIR_CODE
#define HELMAX_FINAL_TRIPLE_CODE(FIRST, EXPR, SECOND, OP2, THIRD, OP3) \
  FIRST##_##SECOND##_##THIRD##_Final : r = EXPR;                       \
  r = r OP2 s[1].B->Num;                                               \
  r = r OP3 s[2].B->Num;                                               \
  HELMAX_FINISH
  HELMAX_TRIPLES(HELMAX_FINAL_TRIPLE_CODE)
#undef HELMAX_FINAL_TRIPLE_CODE
#undef HELMAX_FINISH
#undef HELMAX_TRIPLES
#undef HELMAX_PAIRS
#undef HELMAX_SECONDS
#undef HELMAX_FIRSTS
#undef HELMAX_UNARY
#undef HELMAX_ARITH
#undef HELMAX_STORE
#undef HELMAX_NOT_IN_LEAF
#undef HELMAX_NEXT
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

template double THelmaxComplexEval::RunFastSteps<true>(THelmaxComplexEval*, const TFastStep*);
template double THelmaxComplexEval::RunFastSteps<false>(THelmaxComplexEval*, const TFastStep*);

}  // namespace helmax
