// Building the fast form of the main program (see FastProgram.h).
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "BuiltinCatalogue.h"
#include "HelmaxComplexEval.h"

namespace helmax {

namespace {

// Deeper nests of if run the ordinary way, which bounds their native stack.
constexpr int kMaxIfDepth = 64;

enum class TCellState : std::uint8_t { Unwritten, Written, WrittenReal };

// What an operand is known to hold when its step runs.
enum class TOperandKind : std::uint8_t { Real, Other, Unusable };

struct TFastBuilder {
  const std::vector<TInstruction>& Instructions;
  std::vector<TFastStep>& Steps;
  std::vector<const TValue*>& Guards;
  std::unordered_set<const TValue*> ResultCells;  // written by some instruction
  std::unordered_set<const TValue*> VariableCells;
  std::unordered_set<const TValue*> Guarded;
  std::unordered_map<const TInstruction*, const TIfRecord*> IfRecords;
  // The cells written so far on the path being built, with an undo log so
  // that a branch's writes are forgotten after it.
  std::unordered_map<const TValue*, TCellState> State;
  std::vector<std::pair<const TValue*, TCellState>> Log;
  const TValue* InRegister = nullptr;  // the cell whose value the register holds
  int IfDepth = 0;
  bool Failed = false;

  TFastBuilder(const std::vector<TInstruction>& instructions, std::vector<TFastStep>& steps,
               std::vector<const TValue*>& guards)
      : Instructions(instructions), Steps(steps), Guards(guards) {}

  TCellState StateOf(const TValue* cell) const {
    auto it = State.find(cell);
    return it == State.end() ? TCellState::Unwritten : it->second;
  }

  void SetState(const TValue* cell, TCellState s) {
    Log.emplace_back(cell, StateOf(cell));
    State[cell] = s;
  }

  void Undo(std::size_t mark) {
    while (Log.size() > mark) {
      State[Log.back().first] = Log.back().second;
      Log.pop_back();
    }
  }

  // A cell that some instruction writes must have been written earlier on
  // this path: otherwise the program would read what an earlier run left
  // there, and the fast form does not take such programs.
  TOperandKind Classify(const TValue* cell) {
    switch (StateOf(cell)) {
      case TCellState::WrittenReal: return TOperandKind::Real;
      case TCellState::Written: return TOperandKind::Other;
      case TCellState::Unwritten: break;
    }
    if (ResultCells.count(cell) != 0) return TOperandKind::Unusable;
    if (VariableCells.count(cell) != 0) return TOperandKind::Real;  // checked before each run
    // A constant of the compile: its kind never changes.
    return cell->Kind == TValueKind::Real ? TOperandKind::Real : TOperandKind::Other;
  }

  // Classifies every operand; true when all are reals.
  bool AllReal(const TInstruction& ins) {
    bool real = true;
    for (std::int32_t i = 0; i < ins.Count; ++i) {
      const TOperandKind k = Classify(ins.Operands[i]);
      if (k == TOperandKind::Unusable) Failed = true;
      real = real && k == TOperandKind::Real;
    }
    return real;
  }

  void Guard(const TValue* cell) {
    if (VariableCells.count(cell) != 0 && StateOf(cell) == TCellState::Unwritten && Guarded.insert(cell).second)
      Guards.push_back(cell);
  }

  void Emit(TFastStep step) { Steps.push_back(step); }

  // A fused step, in the form that reads the register for each operand it
  // holds. Single-operand steps (the powers with a constant exponent among
  // them) have the forms C and A; two-operand steps CC, AC, CA and AA.
  void EmitFused(TFastOp cellForm, const TInstruction& ins, bool twoOperands) {
    for (std::int32_t i = 0; i < ins.Count; ++i) Guard(ins.Operands[i]);
    TFastStep s;
    s.R = ins.Result;
    s.A = ins.Operands[0];
    s.B = ins.Count > 1 ? ins.Operands[1] : nullptr;
    const bool a = InRegister != nullptr && s.A == InRegister;
    const bool b = twoOperands && InRegister != nullptr && s.B == InRegister;
    const int form = a && b ? 3 : b ? 2 : a ? 1 : 0;
    s.Op = static_cast<TFastOp>(cellForm + form);
    Emit(s);
    SetState(ins.Result, TCellState::WrittenReal);
    InRegister = ins.Result;
  }

  void EmitGeneric(const TInstruction& ins) {
    TFastStep s;
    s.Op = fsGeneric;
    s.Ins = &ins;
    Emit(s);
    SetState(ins.Result, TCellState::Written);
    InRegister = nullptr;
  }

  // The constant exponent of a power, when it is one.
  bool ConstantExponent(const TValue* cell, double& value) {
    if (StateOf(cell) != TCellState::Unwritten || ResultCells.count(cell) != 0 || VariableCells.count(cell) != 0 ||
        cell->Kind != TValueKind::Real)
      return false;
    value = cell->Num;
    return true;
  }

  void Instruction(std::int32_t number) {
    if (Failed) return;
    const TInstruction& ins = Instructions[static_cast<std::size_t>(number - 1)];
    const int code = ins.Code;
    if (code == opIf) {
      If(ins);
      return;
    }
    if (code == opPerturbResult || code == opAssign || code == opDefine || code == opWhile || code == opRandom ||
        code > opLastBuiltin) {
      Failed = true;
      return;
    }
    const bool real = AllReal(ins);
    if (Failed) return;
    if (!real) {
      EmitGeneric(ins);
      return;
    }
    switch (code) {
      case opAdd: EmitFused(fsAddCC, ins, true); return;
      case opSub: EmitFused(fsSubCC, ins, true); return;
      case opMul: EmitFused(fsMulCC, ins, true); return;
      case opDiv: EmitFused(fsDivCC, ins, true); return;
      case opPow: {
        if (ins.Count != 2) break;
        double n = 0.0;
        if (ConstantExponent(ins.Operands[1], n)) {
          if (n == 2.0 || n == 3.0 || n == 4.0) {
            EmitFused(n == 2.0 ? fsSquareC : n == 3.0 ? fsCubeC : fsFourthC, ins, false);
            return;
          }
          // Any base has a real power then, and 0 and 1 keep their own rules.
          if (std::trunc(n) == n && std::fabs(n) <= 2147483647.0 && n != 0.0 && n != 1.0) {
            EmitFused(fsWholePowerC, ins, false);
            return;
          }
        }
        EmitPower(ins);
        return;
      }
      case opMax:
      case opMin: {
        for (std::int32_t i = 0; i < ins.Count; ++i) Guard(ins.Operands[i]);
        TFastStep s;
        s.Op = fsMaxMin;
        s.Sub = static_cast<std::uint16_t>(code);
        s.R = ins.Result;
        s.Ins = &ins;
        Emit(s);
        SetState(ins.Result, TCellState::WrittenReal);
        InRegister = ins.Result;
        return;
      }
      case opSqrt: EmitFused(fsSqrtC, ins, false); return;
      case opAbs: EmitFused(fsAbsC, ins, false); return;
      case opExp: EmitFused(fsExpC, ins, false); return;
      case opSin: EmitFused(fsSinC, ins, false); return;
      case opCos: EmitFused(fsCosC, ins, false); return;
      case opEq:
      case opUneq:
      case opLs:
      case opGr:
      case opLsEq:
      case opGrEq: {
        Guard(ins.Operands[0]);
        Guard(ins.Operands[1]);
        TFastStep s;
        s.Op = fsCompare;
        s.Sub = static_cast<std::uint16_t>(code);
        s.R = ins.Result;
        s.A = ins.Operands[0];
        s.B = ins.Operands[1];
        Emit(s);
        SetState(ins.Result, TCellState::Written);
        InRegister = nullptr;
        return;
      }
      default: break;
    }
    EmitGeneric(ins);
  }

  // x^y with a base from a cell or the register and the exponent in a cell.
  void EmitPower(const TInstruction& ins) {
    Guard(ins.Operands[0]);
    Guard(ins.Operands[1]);
    TFastStep s;
    s.R = ins.Result;
    s.A = ins.Operands[0];
    s.B = ins.Operands[1];
    s.Op =
        ins.Operands[0] == InRegister && InRegister != nullptr && ins.Operands[1] != InRegister ? fsPowerA : fsPowerC;
    Emit(s);
    SetState(ins.Result, TCellState::WrittenReal);
    InRegister = ins.Result;
  }

  void Program(const TProgram& program) {
    for (std::int32_t number : program) {
      Instruction(number);
      if (Failed) return;
    }
  }

  // if(c, t, e): the condition's steps, a jump past the then-part when it
  // is false, the then-part, and the else-part (or null) after it. The
  // interpreter puts the inner cells back as they were after an if; for a
  // program that writes only its own result cells nothing reads them
  // afterwards (every later read is preceded by its own write), so the
  // fast form leaves them.
  void If(const TInstruction& ins) {
    auto found = IfRecords.find(&ins);
    const TIfRecord* rec = found == IfRecords.end() ? nullptr : found->second;
    if (rec == nullptr || ++IfDepth > kMaxIfDepth) {
      Failed = true;
      return;
    }
    const std::size_t mark = Log.size();
    Program(rec->Condition);
    if (Failed) return;
    const TOperandKind condition = Classify(ins.Operands[0]);
    if (condition == TOperandKind::Unusable) {
      Failed = true;
      return;
    }
    // A comparison just computed into the condition cell jumps by itself.
    std::size_t jumpAt = Steps.size();
    if (!Steps.empty() && Steps.back().Op == fsCompare && Steps.back().R == ins.Operands[0] &&
        !rec->Condition.empty()) {
      Steps.back().Op = fsCompareJump;
      jumpAt = Steps.size() - 1;
    } else {
      TFastStep j;
      j.Op = fsJumpIfFalse;
      j.A = ins.Operands[0];
      Emit(j);
    }
    InRegister = nullptr;
    const std::size_t afterCondition = Log.size();
    Program(rec->Then);
    if (Failed) return;
    const TOperandKind thenKind = Classify(ins.Operands[1]);
    TFastStep copy;
    copy.Op = fsCopy;
    copy.R = ins.Result;
    copy.A = ins.Operands[1];
    Emit(copy);
    const std::size_t jumpOverElse = Steps.size();
    TFastStep j;
    j.Op = fsJump;
    Emit(j);
    Undo(afterCondition);
    InRegister = nullptr;  // the else-part is reached by a jump
    Steps[jumpAt].Jump = static_cast<std::int32_t>(Steps.size() - jumpAt);
    TOperandKind elseKind = TOperandKind::Other;
    if (ins.Count == 3) {
      Program(rec->Else);
      if (Failed) return;
      elseKind = Classify(ins.Operands[2]);
      copy.A = ins.Operands[2];
      Emit(copy);
    } else {
      TFastStep null;
      null.Op = fsSetNull;
      null.R = ins.Result;
      Emit(null);
    }
    if (thenKind == TOperandKind::Unusable || elseKind == TOperandKind::Unusable) {
      Failed = true;
      return;
    }
    Steps[jumpOverElse].Jump = static_cast<std::int32_t>(Steps.size() - jumpOverElse);
    Undo(mark);
    InRegister = nullptr;
    --IfDepth;
    const bool real = thenKind == TOperandKind::Real && elseKind == TOperandKind::Real;
    if (real) {
      // The copied variables must hold reals too.
      Guard(ins.Operands[1]);
      Guard(ins.Operands[2]);
    }
    SetState(ins.Result, real ? TCellState::WrittenReal : TCellState::Written);
  }
};

}  // namespace

void THelmaxComplexEval::ForgetFastProgram() {
  FastState_ = TFastState::Pending;
  FastResultInRegister_ = false;
  FastSingleReal_ = nullptr;
  FastSingle_ = nullptr;
  RunsSinceCompile_ = 0;
  FastSteps_.clear();
  ShrinkIfOversized(FastSteps_);
}

bool THelmaxComplexEval::PrepareFastProgram() {
  if (FastState_ == TFastState::Unavailable) return false;
  if (RunsSinceCompile_ < 1) {
    ++RunsSinceCompile_;
    return false;
  }
  BuildFastProgram();
  return FastState_ == TFastState::Ready;
}

void THelmaxComplexEval::BuildFastProgram() {
  FastSteps_.clear();
  FastState_ = TFastState::Unavailable;
  FastResultInRegister_ = false;
  FastSingleReal_ = nullptr;
  FastSingle_ = nullptr;
  if (ExpressionCount == 0 || Results == nullptr) return;
  std::vector<const TValue*> guards;
  TFastBuilder b(Instructions_, FastSteps_, guards);
  for (const TInstruction& ins : Instructions_) b.ResultCells.insert(ins.Result);
  for (const TIfRecord& r : IfRecords_)
    b.IfRecords.emplace(&Instructions_[static_cast<std::size_t>(r.Instruction - 1)], &r);
  for (const TVariable* v : Variables_) b.VariableCells.insert(v->Value);
  b.Program(MainProgram_);
  // The results must be the main program's own writes (or constants and
  // variables, which no step writes).
  for (int k = 0; k < ExpressionCount && !b.Failed; ++k)
    if (b.ResultCells.count(Results[k]) != 0 && b.StateOf(Results[k]) == TCellState::Unwritten) b.Failed = true;
  if (b.Failed) {
    FastSteps_.clear();
    return;
  }
  // Every path of the program writes a real into the first result (guards
  // included: a run that reaches its end found the variables real).
  const bool realResult = b.StateOf(Results[0]) == TCellState::WrittenReal;
  // An arithmetic step followed by "register op cell" runs as one pair,
  // and with a second such step as one triple, when the results kept in
  // the register have no other reader (no other operand, no result of the
  // compile).
  std::unordered_map<const TValue*, int> reads;
  for (const TInstruction& ins : Instructions_)
    for (std::int32_t i = 0; i < ins.Count; ++i) ++reads[ins.Operands[i]];
  for (int k = 0; k < ExpressionCount; ++k) ++reads[Results[k]];
  // 0..3 for a step "register op cell" (add, subtract, multiply, divide)
  // whose register operand nothing else reads; -1 otherwise.
  auto follower = [&](std::size_t i) {
    if (i >= FastSteps_.size() || reads[FastSteps_[i - 1].R] != 1) return -1;
    switch (FastSteps_[i].Op) {
      case fsAddAC: return 0;
      case fsSubAC: return 1;
      case fsMulAC: return 2;
      case fsDivAC: return 3;
      default: return -1;
    }
  };
  // The first step of the arithmetic step, pair or triple that ends the
  // list, if one does.
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t lastGroup = kNone;
  for (std::size_t i = 0; i < FastSteps_.size(); ++i) {
    lastGroup = kNone;
    const TFastOp first = FastSteps_[i].Op;
    if (first > fsDivAA) continue;
    lastGroup = i;
    const int second = follower(i + 1);
    if (second < 0) continue;
    const int third = follower(i + 2);
    if (third >= 0) {
      FastSteps_[i].Op = static_cast<TFastOp>(fsFirstTriple + 16 * (4 * third + second) + first);
      i += 2;
    } else {
      FastSteps_[i].Op = static_cast<TFastOp>(fsFirstPair + 16 * second + first);
      i += 1;
    }
  }
  // Without a step that calls a function, the leaf runner takes it.
  bool leaf = true;
  for (const TFastStep& step : FastSteps_) {
    switch (step.Op) {
      case fsWholePowerC:
      case fsWholePowerA:
      case fsPowerC:
      case fsPowerA:
      case fsExpC:
      case fsExpA:
      case fsSinC:
      case fsSinA:
      case fsCosC:
      case fsCosA:
      case fsGeneric: leaf = false; break;
      case fsCompare:
      case fsCompareJump: leaf = leaf && (step.Sub == opLs || step.Sub == opGr); break;
      default: break;
    }
  }
  // What the end returns: the value of a result that is always real, for
  // a single expression; straight from the register when the last step
  // wrote it and no jump can reach the end. Otherwise 0 (from a cell that
  // holds it).
  static const TValue kZero = TValue::MakeReal(0.0);
  const bool returnsResult = realResult && ExpressionCount == 1;
  bool fromRegister = returnsResult && !FastSteps_.empty() && FastSteps_.back().R == Results[0];
  for (const TFastStep& step : FastSteps_) {
    const TFastOp op = step.Op;
    if (op == fsCompareJump || op == fsJumpIfFalse || op == fsJump) fromRegister = false;
  }
  if (fromRegister) {
    const TFastOp last = FastSteps_.back().Op;
    fromRegister = last <= fsLastFused || last == fsMaxMin;
  }
  TFastStep end;
  end.Op = fromRegister ? fsEndAcc : fsEnd;
  end.R = const_cast<TValue*>(returnsResult ? Results[0] : &kZero);  // only read
  // When that last step is arithmetic, it returns the result itself: the
  // guards go first, but the last, which that step checks.
  FastResultInRegister_ = fromRegister && lastGroup != kNone;
  if (FastResultInRegister_) {
    TFastStep& last = FastSteps_[lastGroup];
    const int op = last.Op;
    last.Op = static_cast<TFastOp>(fsFirstFinal + (op <= fsDivAA      ? op
                                                   : op <= fsLastPair ? 16 + op - fsFirstPair
                                                                      : 16 + 4 * 16 + op - fsFirstTriple));
    last.R = const_cast<TValue*>(guards.empty() ? &kZero : guards.back());  // only read
    if (!guards.empty()) guards.pop_back();
    end.Op = fsEnd;
  }
  // The guards, three to a step. The other runner checks them before its
  // first step, and so does a program with a final step. Otherwise the
  // leaf runner checks them at its end, the last one or two in the end
  // step itself: its steps only compute into result cells, so what they
  // compute from a variable that turns out not to hold a real is harmless
  // (the interpreter then runs the program again from its start).
  const bool guardsAtEnd = leaf && !FastResultInRegister_;
  std::size_t inEnd = 0;
  if (guardsAtEnd && !guards.empty()) {
    inEnd = guards.size() % 3 == 1 ? 1 : 2;
    end.Op = fromRegister ? (inEnd == 1 ? fsGuardedEndAcc1 : fsGuardedEndAcc2)
                          : (inEnd == 1 ? fsGuardedEnd1 : fsGuardedEnd2);
    end.A = guards[guards.size() - inEnd];
    if (inEnd == 2) end.B = guards.back();
  }
  std::vector<TFastStep> guardSteps;
  for (std::size_t i = 0; i < guards.size() - inEnd; i += 3) {
    TFastStep g;
    const std::size_t n = std::min<std::size_t>(3, guards.size() - inEnd - i);
    g.Op = n == 1 ? fsGuard1 : n == 2 ? fsGuard2 : fsGuard3;
    g.A = guards[i];
    if (n >= 2) g.B = guards[i + 1];
    if (n == 3) g.R = const_cast<TValue*>(guards[i + 2]);  // only read
    guardSteps.push_back(g);
  }
  FastSteps_.insert(guardsAtEnd ? FastSteps_.end() : FastSteps_.begin(), guardSteps.begin(), guardSteps.end());
  FastSteps_.push_back(end);
  FastRunner_ = leaf ? &RunFastSteps<true> : &RunFastSteps<false>;
  FastRunner_(this, nullptr);
  for (TFastStep& step : FastSteps_) {
    step.Code = FastCode_[step.Op];
    if (step.Op == fsGeneric) step.Engine = this;
  }
  FastState_ = TFastState::Ready;
  if (ExpressionCount == 1 && FastPrograms_) {
    (realResult ? FastSingleReal_ : FastSingle_) = FastRunner_;
    FastResult_ = Results[0];
  }
}

}  // namespace helmax
