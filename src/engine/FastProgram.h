// The fast form of a compiled program: the main program's instructions as a
// flat list of steps over the same cells, for programs that read their
// variables and nothing else (no assignments, loops, calls or random
// numbers). Real arithmetic runs in fused steps that keep the last result
// in a register; everything else runs as the interpreter runs it.
//
// Every fused step computes exactly what the interpreter's fast path
// computes for that instruction, in the same order and with the same
// rounding, and gives up where that fast path would (an operand that is not
// a real, a result that is not finite). The engine then runs the program
// the ordinary way from its start, which repeats every step: harmless, since
// a program of this kind writes nothing but its own result cells.
#pragma once

#include <cstdint>

#include "Value.h"

namespace helmax {

struct TInstruction;
class THelmaxComplexEval;

// Operand sources of the fused arithmetic steps: C a cell, A the register
// holding the previous step's result. AC is "register op cell".
enum TFastOp : std::uint16_t {
  fsAddCC,
  fsAddAC,
  fsAddCA,
  fsAddAA,
  fsSubCC,
  fsSubAC,
  fsSubCA,
  fsSubAA,
  fsMulCC,
  fsMulAC,
  fsMulCA,
  fsMulAA,
  fsDivCC,
  fsDivAC,
  fsDivCA,
  fsDivAA,
  // Powers with a constant exponent of 2, 3 or 4 (products), with another
  // constant whole exponent (B: its cell), and any other.
  fsSquareC,
  fsSquareA,
  fsCubeC,
  fsCubeA,
  fsFourthC,
  fsFourthA,
  fsWholePowerC,
  fsWholePowerA,
  fsPowerC,
  fsPowerA,
  fsSqrtC,
  fsSqrtA,
  fsAbsC,
  fsAbsA,
  fsExpC,
  fsExpA,
  fsSinC,
  fsSinA,
  fsCosC,
  fsCosA,
  // Pairs: one of the sixteen arithmetic steps above, then the next step's
  // "register op cell" (add, subtract, multiply or divide) in the same
  // dispatch, for a first result that nothing else reads: it stays in the
  // register and is not written to its cell. The next step stays in the
  // list, unchanged (nothing jumps to a step that reads the register).
  fsFirstPair,
  fsLastPair = fsFirstPair + 4 * 16 - 1,
  // Triples: a pair, then a third "register op cell", when nothing else
  // reads the second result either. Numbered 16 * (4 * third + second) +
  // first from fsFirstTriple.
  fsFirstTriple,
  fsLastTriple = fsFirstTriple + 4 * 4 * 16 - 1,
  // The last step that leaves its result in the register; the ones below
  // (but fsMaxMin) leave the register undefined.
  fsLastFused = fsLastTriple,
  // The same sixteen steps, pairs and triples (in that order) as the last
  // step of a program whose single result is always real: it returns that
  // result instead of writing it to its cell, after checking that the
  // variable in its first step's R holds a real (a real constant when no
  // variable is left to check).
  fsFirstFinal,
  fsLastFinal = fsFirstFinal + 16 + 4 * 16 + 4 * 4 * 16 - 1,
  fsMaxMin,       // Sub: opMax or opMin; Ins: its operands, all reals
  fsCompare,      // Sub: the comparison's code; writes a boolean
  fsCompareJump,  // the same, then to Jump when false
  fsJumpIfFalse,  // A must hold a boolean
  fsJump,
  fsCopy,     // R = A
  fsSetNull,  // R = null
  fsGeneric,  // Ins as the interpreter runs it
  // The variables that the program reads as reals (A; A and B; R, A and
  // B) must hold reals, or the run gives up.
  fsGuard1,
  fsGuard2,
  fsGuard3,
  // The end, which returns the value of the cell R (only read), or of the
  // register (Acc) when the last step left the result there; after
  // checking one or two more variables (A; A and B). A program whose last
  // step is final still ends with one, never reached.
  fsGuardedEnd1,
  fsGuardedEnd2,
  fsGuardedEndAcc1,
  fsGuardedEndAcc2,
  fsEndAcc,
  fsEnd,
};

// Steps are threaded: Code is the address of the runner's code for Op, so
// that each step ends with one indirect jump to the next.
struct TFastStep {
  const void* Code = nullptr;
  TFastOp Op = fsEnd;
  std::uint16_t Sub = 0;
  std::int32_t Jump = 0;  // from this step to the one it jumps to
  TValue* R = nullptr;
  union {
    const TValue* A = nullptr;
    THelmaxComplexEval* Engine;  // of a generic step, which runs Ins there
  };
  union {
    const TValue* B = nullptr;
    const TInstruction* Ins;
  };
};

}  // namespace helmax
