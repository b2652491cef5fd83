// The interpreter: runs programs (lists of instruction numbers) over the
// instruction table, one dispatch on the operation code per instruction.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <unordered_map>

#include "FixedTexts.h"
#include "HelmaxComplexEval.h"
#include "Operations.h"
#include "TextUtil.h"

namespace helmax {

namespace {

// Nested program runs past the engine's bound end in this failure instead of
// exhausting the native stack.
constexpr const char* kStackOverflowText = "EStackOverflow : STACK OVERFLOW";

const char* OperatorSuffix(int code) {
  switch (code) {
    case opMul: return texts::kForOperatorTimes;
    case opDiv: return texts::kForOperatorDivide;
    case opAdd: return texts::kForOperatorPlus;
    case opSub: return texts::kForOperatorMinus;
    case opPow: return texts::kForOperatorPower;
    case opAssign: return texts::kForOperatorAssign;
    default: return texts::kUnknownSuffix;
  }
}

const char* OperatorSymbol(int code) {
  static const char* const kSymbols[] = {"*", "/", "+", "-", "^", "="};
  return kSymbols[code - 1];
}

// Runs a callable when leaving a scope (hook clean-up around external calls).
template <class F>
struct TScopeExit {
  F Fn;
  ~TScopeExit() { Fn(); }
};
template <class F>
TScopeExit(F) -> TScopeExit<F>;

}  // namespace

// ---- public evaluation ------------------------------------------------------------

void THelmaxComplexEval::DoMathExpressionAnyWay(TValue& result, bool tryFast) {
  if (ExpressionCount == 1 && tryFast && RunFast()) {
    result = *Results[0];
    return;
  }
  result = TValue();
  Error = false;
  if (ExpressionCount == 0) {
    Error = true;
    ErrorCode = ecNothingCompiled;
    ErrorMessage = texts::kDoMathExpressionNoMathExpressionWasParsed;
  } else if (ExpressionCount >= 2) {
    Error = true;
    ErrorCode = ecVectorOfExpressions;
    ErrorMessage = texts::kDoMathExpressionThereIsAVector;
  } else {
    BeginRun();
    Execute();
    if (!Error) result = *Results[0];
  }
  if (Error) FireExecuteError();
}

TValue* const* THelmaxComplexEval::DoVectorOfMathExpressions() {
  Error = false;
  if (ExpressionCount == 0) {
    Error = true;
    ErrorCode = ecNothingCompiled;
    ErrorMessage = texts::kDoVectorOfMathExpressionsNoMathExpressionWasParsed;
    FireExecuteError();
    return nullptr;
  }
  if (RunFast()) return Results;
  BeginRun();
  Execute();
  if (Error) {
    FireExecuteError();
    return nullptr;
  }
  return Results;
}

void THelmaxComplexEval::DoRunTimeFunction(int index, const TUserValuesArray& values, TValue& result) {
  result = TValue();
  Error = false;
  if (ExpressionCount == 0) {
    Error = true;
    ErrorCode = ecNothingCompiled;
  } else if (index < 0 || index >= RunTimeFunctionCount()) {
    Error = true;
    ErrorCode = ecExecution;
    ErrorMessage =
        "DoRunTimeFunction-> FUNCTION INDEX MUST BE BETWEEN 0 AND " + std::to_string(RunTimeFunctionCount() - 1);
  } else {
    TRunTimeFunction& f = RunTimeFunctions_[static_cast<std::size_t>(index)];
    if (static_cast<std::int32_t>(values.size()) != f.ParamCount) {
      Error = true;
      ErrorMessage = texts::kDoRunTimeFunctionVariableCountIsDifferentForValue;
      ErrorCode = ecValueCount;
    } else {
      BeginRun();
      const TInstruction& call = Instructions_[static_cast<std::size_t>(f.CallInstruction - 1)];
      bool boundToParams = call.Count == f.ParamCount;
      for (std::int32_t i = 0; boundToParams && i < call.Count; ++i) boundToParams = call.Operands[i] == f.Params[i];
      if (boundToParams) {
        // The usual case: the head's call reads the parameter variables
        // themselves, which keep the values of this call afterwards.
        for (std::int32_t i = 0; i < call.Count; ++i) *call.Operands[i] = values[static_cast<std::size_t>(i)];
        OneEntryProgram_.assign(1, f.CallInstruction);
        RunProgram(OneEntryProgram_, false);
        result = *call.Result;
      } else {
        // The first call stood before the definition: its operand cells
        // belong to other expressions, so bind the values privately.
        std::vector<TValue> args(values.begin(), values.end());
        std::vector<TValue*> argPtrs;
        for (TValue& v : args) argPtrs.push_back(&v);
        TValue out;
        TInstruction ins = call;
        ins.Operands = argPtrs.data();
        ins.Result = &out;
        RunDetached(ins);
        result = out;
      }
      if (Error) result = TValue();
    }
  }
  if (Error) FireExecuteError();
}

// ---- the run loop ---------------------------------------------------------------

void THelmaxComplexEval::BeginRun() { StepsLeft_ = MaxSteps > 0 ? MaxSteps : INT64_MAX; }

void THelmaxComplexEval::StopRun() {
  const bool stopped = StopFlag != nullptr && StopFlag->load(std::memory_order_relaxed) == srStopped;
  ErrorCode = stopped ? ecStopped : ecTooLong;
  // Once spent, the budget stays spent, so that every enclosing loop and
  // call of this run ends too.
  StepsLeft_ = -1;
  throw std::runtime_error(stopped ? "CALCULATION STOPPED" : "CALCULATION STOPPED: TOO LONG");
}

void THelmaxComplexEval::Execute() {
  MathErrorKind = -1;
  ErrorCode = 0;
  RunProgram(MainProgram_, true);
  if (Error && ErrorCode == 0) ErrorCode = ecExecution;
}

void THelmaxComplexEval::RunDetached(const TInstruction& ins) {
  try {
    RunInstruction(ins);
  } catch (...) { ReportCurrentFailure(ins, false); }
}

void THelmaxComplexEval::ReportCurrentFailure(const TInstruction& ins, bool topLevel) {
  try {
    throw;
  } catch (const EHelmaxMathError& m) { ReportMathFailure(ins, m.Kind); } catch (const std::bad_alloc&) {
    // Memory ran out: not a fault of the text, and said as such.
    NonMathError(ins, texts::kOutOfMemoryUpperCase, topLevel);
    ErrorCode = ecOutOfMemory;
  } catch (const std::exception& ex) { NonMathError(ins, ex.what(), topLevel); } catch (...) {
    NonMathError(ins, texts::kUnknownException, topLevel);
  }
}

inline bool THelmaxComplexEval::NoRoomToRun(std::uintptr_t frame) {
  if (RunDepth_ == 0) StackBase_ = frame;
  return RunDepth_ >= MaxRunDepth || (StackBase_ > frame && StackBase_ - frame > NativeStackBudget);
}

void THelmaxComplexEval::RunProgram(const TProgram& program, bool topLevel) {
  const std::size_t n = program.size();
  if (n == 0 || Error) return;
  const std::int32_t* p = program.data();
  if (NoRoomToRun(reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)))) {
    if (topLevel) FailedStatement_ = 0;
    ErrorCode = ecFatal;
    NonMathError(Instructions_[static_cast<std::size_t>(p[0] - 1)], kStackOverflowText, topLevel);
    return;
  }
  ++RunDepth_;
  std::size_t i = 0;
  try {
    for (; i < n; ++i) {
      const TInstruction& ins = Instructions_[static_cast<std::size_t>(p[i] - 1)];
      RunInstruction(ins);
      // Only the forms that run nested programs can end with the error
      // state set; every other failure arrives as an exception.
      if (ins.Code == opIf || ins.Code == opWhile || ins.Code >= opFirstExternal) {
        if (Error) {
          if (topLevel) FailedStatement_ = static_cast<std::int32_t>(i);
          break;
        }
      }
    }
  } catch (...) {
    if (topLevel) FailedStatement_ = static_cast<std::int32_t>(i);
    ReportCurrentFailure(Instructions_[static_cast<std::size_t>(p[i] - 1)], topLevel);
  }
  --RunDepth_;
}

// The failing statement belongs to the first expression whose result is
// written at or after it: statements run in expression order.
int THelmaxComplexEval::FailedExpression() const {
  if (!Error || FailedStatement_ < 0 || Results == nullptr) return -1;
  std::unordered_map<const TValue*, std::size_t> writtenAt;
  for (std::size_t i = static_cast<std::size_t>(FailedStatement_); i < MainProgram_.size(); ++i)
    writtenAt.emplace(Instructions_[static_cast<std::size_t>(MainProgram_[i] - 1)].Result, i);
  for (int k = 0; k < ExpressionCount; ++k)
    if (writtenAt.count(Results[k]) != 0) return k;
  return -1;
}

namespace {

// The fast paths below take only real operands with finite, condition-free
// results, and compute them with exactly the formulas of the general rules;
// everything else goes through those rules.

inline bool BothReal(const TInstruction& ins) {
  return ins.Operands[0]->Kind == TValueKind::Real && ins.Operands[1]->Kind == TValueKind::Real;
}

inline void StoreReal(const TInstruction& ins, double r) {
  ins.Result->Kind = TValueKind::Real;
  ins.Result->Num = r;
}

// A finite result is certainly free of a floating-point condition.
inline bool StoreFinite(const TInstruction& ins, double r) {
  if (!std::isfinite(r)) return false;
  StoreReal(ins, r);
  return true;
}

inline bool CompareFast(const TInstruction& ins) {
  if (!BothReal(ins)) return false;
  bool r;
  if (!CompareFiniteReals(ins.Code, ins.Operands[0]->Num, ins.Operands[1]->Num, r)) return false;
  ins.Result->Kind = TValueKind::Boolean;
  ins.Result->Bool = r;
  return true;
}

constexpr int kSqrt = 14, kAbs = 15, kExp = 9, kSin = 11, kCos = 10, kMax = 34, kMin = 35;
constexpr double kTrigLimit = 9223372036854775808.0;  // 2^63

inline bool UnaryFast(const TInstruction& ins) {
  switch (ins.Code) {
    case kSqrt:
    case kAbs:
    case kExp:
    case kSin:
    case kCos: {
      const TValue& a = *ins.Operands[0];
      if (a.Kind != TValueKind::Real || !std::isfinite(a.Num)) return false;
      const double x = a.Num;
      double r;
      switch (ins.Code) {
        case kSqrt:
          if (x < 0.0) return false;
          r = std::sqrt(x);
          break;
        case kAbs: r = std::fabs(x); break;
        case kExp:
          r = std::exp(x);
          if (!std::isfinite(r)) return false;
          break;
        case kSin:
          if (std::fabs(x) >= kTrigLimit) return false;
          r = std::sin(x);
          break;
        default:
          if (std::fabs(x) >= kTrigLimit) return false;
          r = std::cos(x);
          break;
      }
      StoreReal(ins, r);
      return true;
    }
    case kMax:
    case kMin: {
      // All real and finite: the first strictly larger (smaller) one wins.
      const TValue* best = ins.Operands[0];
      if (best->Kind != TValueKind::Real || !std::isfinite(best->Num)) return false;
      for (std::int32_t i = 1; i < ins.Count; ++i) {
        const TValue* a = ins.Operands[i];
        if (a->Kind != TValueKind::Real || !std::isfinite(a->Num)) return false;
        if (ins.Code == kMax ? best->Num < a->Num : best->Num > a->Num) best = a;
      }
      StoreReal(ins, best->Num);
      return true;
    }
    default: return false;
  }
}

}  // namespace

inline void THelmaxComplexEval::RunInstruction(const TInstruction& ins) {
  TValue* const* ops = ins.Operands;
  switch (ins.Code) {
    case opMul:
      if (BothReal(ins) && StoreFinite(ins, ops[0]->Num * ops[1]->Num)) return;
      ArithOp(opMul, *ops[0], *ops[1], *ins.Result);
      return;
    case opDiv:
      if (BothReal(ins) && StoreFinite(ins, ops[0]->Num / ops[1]->Num)) return;
      ArithOp(opDiv, *ops[0], *ops[1], *ins.Result);
      return;
    case opAdd:
      if (BothReal(ins) && StoreFinite(ins, ops[0]->Num + ops[1]->Num)) return;
      ArithOp(opAdd, *ops[0], *ops[1], *ins.Result);
      return;
    case opSub:
      if (BothReal(ins) && StoreFinite(ins, ops[0]->Num - ops[1]->Num)) return;
      ArithOp(opSub, *ops[0], *ops[1], *ins.Result);
      return;
    case opEq:
    case opUneq:
    case opLs:
    case opGr:
    case opLsEq:
    case opGrEq:
      if (CompareFast(ins)) return;
      CompareOp(ins.Code, *ops[0], *ops[1], *ins.Result);
      return;
    case opPow:
      if (ins.Count == 3) {
        RationalPowerOp(*ops[0], *ops[1], *ops[2], *ins.Result);
      } else {
        const TValue& a = *ops[0];
        const TValue& b = *ops[1];
        if (a.Kind == TValueKind::Real && b.Kind == TValueKind::Real &&
            (b.Num == 2.0 || b.Num == 3.0 || b.Num == 4.0)) {
          const double r = SmallIntegerPower(a.Num, b.Num);
          if (std::isfinite(r)) {
            ins.Result->Kind = TValueKind::Real;
            ins.Result->Num = r;
            return;
          }
        }
        PowerOp(a, b, *ins.Result);
      }
      return;
    case opAssign:
      *ins.Result = *ops[1];
      *ops[0] = *ops[1];
      return;
    case opDefine: *ins.Result = TValue(); return;
    case opIf: RunIf(ins); return;
    case opWhile: RunWhile(ins); return;
    case opBk: *ins.Result = *ops[ins.Count - 1]; return;
    case opPerturbResult: [[unlikely]] PerturbResult(ins); return;
    default: break;
  }
  if (ins.Code <= opLastBuiltin) {
    if (UnaryFast(ins)) return;
    if (ins.Code == opPower && ins.Count == 3) {
      RationalPowerOp(*ops[0], *ops[1], *ops[2], *ins.Result);
      return;
    }
    EvalBuiltin(ins.Code, ops, ins.Count, *ins.Result, RandomEngine());
    return;
  }
  const int k = ins.Code - opFirstExternal;
  if (k < ExternalFunctionCount()) {
    CallExternal(ins, k);
    return;
  }
  CallRunTimeFunction(ins, k - ExternalFunctionCount());
}

// Multiplies the real (or each complex part) in the step's first cell by
// 1 + 2^-48*u and copies it to the other cells (an assignment's target).
// Kept out of line: only the equivalence test's programs run it.
[[gnu::noinline]] void THelmaxComplexEval::PerturbResult(const TInstruction& ins) {
  if (!PerturbResults) return;
  auto factor = [this] {
    const double u = static_cast<double>(PerturbationEngine()() >> 11) * 0x1p-52 - 1.0;  // [-1, 1)
    return 1.0 + 0x1p-48 * u;
  };
  TValue& v = *ins.Operands[0];
  if (v.Kind == TValueKind::Real) {
    v.Num *= factor();
  } else if (v.Kind == TValueKind::Complex) {
    v.Cx.Re *= factor();
    v.Cx.Im *= factor();
  }
  for (std::int32_t i = 1; i < ins.Count; ++i) *ins.Operands[i] = v;
}

// Runs one instruction the interpreter's way; false when it fails (the
// ordinary run meets the same failure and reports it).
[[gnu::noinline]] bool THelmaxComplexEval::RunFastGenericStep(const TInstruction& ins) noexcept {
  try {
    RunInstruction(ins);
    return true;
  } catch (...) { return false; }
}

// ---- failures ---------------------------------------------------------------------

void THelmaxComplexEval::ReportMathFailure(const TInstruction& ins, int kind) {
  MathErrorKind = kind;
  const int code = ins.Code;
  std::string rendering;
  auto text = [&](int i) { return ValueToText(*ins.Operands[i]); };
  if (code >= opMul && code <= opAssign) {
    ErrorCode = OperatorErrorCode(code);
    if (code == opPow && ins.Count == 3) rendering = text(0) + " ^ (" + text(1) + "/" + text(2) + ")";
    else rendering = text(0) + " " + OperatorSymbol(code) + " " + text(1);
  } else {
    ErrorCode = FunctionNumber(code);
    if (code == opPower && ins.Count == 3) {
      rendering = FunctionName(code) + "( " + text(0) + "," + text(1) + "/" + text(2) + ") ";
    } else {
      rendering = FunctionName(code) + "( ";
      for (std::int32_t i = 0; i < ins.Count; ++i) {
        if (i > 0) rendering += " , ";
        rendering += text(i);
      }
      rendering += ") ";
    }
  }
  ErrorMessage = texts::kExceptieMatematicaPrefix + helmax::MathErrorKindText(kind) + " : " + rendering;
  Error = true;
}

void THelmaxComplexEval::NonMathError(const TInstruction& ins, std::string_view message, bool topLevel) {
  Error = true;
  MathErrorKind = 0;
  std::string text = (topLevel && InvariantExpression) ? texts::kExecuteNonMathExceptionWasRaisedPrefix
                                                       : texts::kExecuteComandNonMathExceptionWasRaisedPrefix;
  text += message;
  if (ins.Code <= opDefine) text += OperatorSuffix(ins.Code);
  else text += " : " + FunctionName(ins.Code);
  ErrorMessage = std::move(text);
}

// ---- external functions --------------------------------------------------------------

void THelmaxComplexEval::InvokeExternal(int k, TValue* const* args, int count, TValue& result) {
  const TUserFuncRec& f = UserFunctions_[static_cast<std::size_t>(k)];
  switch (f.Kind) {
    case ufProcedure: f.Procedure(args, count, result); return;
    case ufMethod: f.Method(args, count, result); return;
    case ufStdCallFunction: {
      if (!OnSetArguments) return;
      OnSetArguments(args, count);
      TScopeExit done{[this] { OnSetArguments(nullptr, 0); }};
      f.StdCallFunction(result, count);
      return;
    }
    case ufStdCallProcedure: {
      if (!OnSetArguments) return;
      OnSetArguments(args, count);
      TScopeExit done{[this] { OnSetArguments(nullptr, 0); }};
      f.StdCallProcedure(count);
      if (OnGetResult) OnGetResult(result);
      return;
    }
    default: return;
  }
}

void THelmaxComplexEval::CallExternal(const TInstruction& ins, int k) {
  const std::uint8_t kind = UserFunctions_[static_cast<std::size_t>(k)].Kind;
  // Without the hook that its calling kind needs, the call does nothing and
  // the result keeps its previous content.
  if ((kind == ufStdCallFunction || kind == ufStdCallProcedure) && !OnSetArguments) return;
  TValue temp;
  InvokeExternal(k, ins.Operands, ins.Count, temp);
  *ins.Result = temp;
}

// ---- control forms and run-time functions ----------------------------------------------

inline void THelmaxComplexEval::ReserveStack(std::size_t n) {
  if (FunctionStack_.size() - FunctionStackTop_ < n) [[unlikely]]
    FunctionStack_.resize(FunctionStack_.size() + n);
}

namespace {

// A frame's copy of a cell: the kind and the whole payload, byte for byte,
// without a branch on the kind. (Frames save cells written well before and
// restore them much later, so the 16-byte copy has no recent narrower store
// to wait for.)
inline void CopyCellExactly(TValue& to, const TValue& from) {
  to.Kind = from.Kind;
  std::memcpy(&to.Cx, &from.Cx, sizeof to.Cx);
}

}  // namespace

// (Locals keep the compiler from reading the members again after each
// cell written: a cell could alias them as far as it knows.)
inline void THelmaxComplexEval::SaveCells(const TCellList& cells) {
  TValue* to = FunctionStack_.data() + FunctionStackTop_;
  for (const TValue* cell : cells) CopyCellExactly(*to++, *cell);
  FunctionStackTop_ += cells.size();
}

// Every cell of a list was saved at the same moment, so a cell listed
// twice gets the same value back whichever copy comes last.
inline void THelmaxComplexEval::RestoreCells(const TCellList& cells) {
  FunctionStackTop_ -= cells.size();
  const TValue* from = FunctionStack_.data() + FunctionStackTop_;
  for (TValue* cell : cells) CopyCellExactly(*cell, *from++);
}

const TIfRecord* THelmaxComplexEval::FindIf(const TInstruction& ins) const {
  const std::size_t number = static_cast<std::size_t>(&ins - Instructions_.data()) + 1;
  if (number >= ControlIndex_.size() || ControlIndex_[number] < 0) return nullptr;
  const TIfRecord& r = IfRecords_[static_cast<std::size_t>(ControlIndex_[number])];
  return r.Instruction == static_cast<std::int32_t>(number) ? &r : nullptr;
}

const TWhileRecord* THelmaxComplexEval::FindWhile(const TInstruction& ins) const {
  const std::size_t number = static_cast<std::size_t>(&ins - Instructions_.data()) + 1;
  if (number >= ControlIndex_.size() || ControlIndex_[number] < 0) return nullptr;
  const TWhileRecord& r = WhileRecords_[static_cast<std::size_t>(ControlIndex_[number])];
  return r.Instruction == static_cast<std::int32_t>(number) ? &r : nullptr;
}

namespace {

const TValue kNoValue;  // of a false condition without an else branch

}  // namespace

// A branch of one plain step (no control form, no call) cannot nest: it runs
// without the program loop's depth bookkeeping, its failure reported alike.
inline void THelmaxComplexEval::RunBranch(const TProgram& program) {
  if (program.size() == 1) {
    const TInstruction& ins = Instructions_[static_cast<std::size_t>(program[0] - 1)];
    if (ins.Code != opIf && ins.Code != opWhile && ins.Code < opFirstExternal) {
      RunDetached(ins);
      return;
    }
  }
  RunProgram(program, false);
}

const TValue* THelmaxComplexEval::RunIfBranches(const TInstruction& ins, const TIfRecord& rec) {
  RunBranch(rec.Condition);
  if (Error) return nullptr;
  const TValue& cond = *ins.Operands[0];
  if (cond.Kind != TValueKind::Boolean) throw std::runtime_error(texts::kIncorrectBooleanType);
  const TValue* value = &kNoValue;
  if (cond.Bool) {
    RunBranch(rec.Then);
    value = ins.Operands[1];
  } else if (ins.Count == 3) {
    RunBranch(rec.Else);
    value = ins.Operands[2];
  }
  return Error ? nullptr : value;
}

void THelmaxComplexEval::RunIf(const TInstruction& ins) {
  const TIfRecord* rec = FindIf(ins);
  if (rec == nullptr) throw std::runtime_error(texts::kProgramingErrorUpperCase);
  const std::size_t mark = FunctionStackTop_;
  ReserveStack(rec->Cells.size());
  SaveCells(rec->Cells);
  // A failure inside, or of the construct itself, drops what it saved.
  const TValue* picked;
  try {
    picked = RunIfBranches(ins, *rec);
  } catch (...) {
    FunctionStackTop_ = mark;
    throw;
  }
  if (picked == nullptr) {
    FunctionStackTop_ = mark;
    return;
  }
  // The picked result may be one of the saved cells: read it first.
  const TValue value = *picked;
  RestoreCells(rec->Cells);
  *ins.Result = value;
}

// (The programs of the branches keep the depth checks: a body's own frame
// adds too little to need one.)
void THelmaxComplexEval::RunIfBody(const TInstruction& ins, const TIfRecord& rec) {
  if (Error) return;
  try {
    // The result cell is none of the saved ones (those are the results of
    // the condition's and branches' instructions): write it at once.
    if (const TValue* picked = RunIfBranches(ins, rec)) *ins.Result = *picked;
  } catch (...) { ReportCurrentFailure(ins, false); }
}

void THelmaxComplexEval::RunWhile(const TInstruction& ins) {
  const TWhileRecord* rec = FindWhile(ins);
  if (rec == nullptr) throw std::runtime_error(texts::kProgramingErrorUpperCase);
  const std::size_t mark = FunctionStackTop_;
  ReserveStack(rec->Cells.size());
  SaveCells(rec->Cells);
  const TValue& test = *ins.Operands[0];
  auto runTest = [&]() -> bool {
    RunProgram(rec->Test, false);
    if (Error) return false;
    if (test.Kind != TValueKind::Boolean) {
      FunctionStackTop_ = mark;
      throw std::runtime_error(texts::kIncorrectBooleanType);
    }
    return true;
  };
  if (!runTest()) {
    FunctionStackTop_ = mark;
    return;
  }
  std::int32_t iterations = 0;
  const std::size_t turnSteps = rec->Test.size() + rec->Body.size() + 1;
  while (test.Bool) {
    if (MustStop(turnSteps)) {
      FunctionStackTop_ = mark;
      StopRun();
    }
    if (iterations == MaxIteration) {
      FunctionStackTop_ = mark;
      throw std::runtime_error(texts::kInfiniteLoopInWhilePrefix + std::to_string(MaxIteration));
    }
    ++iterations;
    RunProgram(rec->Body, false);
    if (Error || !runTest()) {
      FunctionStackTop_ = mark;
      return;
    }
  }
  RestoreCells(rec->Cells);
}

void THelmaxComplexEval::CallRunTimeFunction(const TInstruction& ins, int index) {
  TRunTimeFunction& f = RunTimeFunctions_[static_cast<std::size_t>(index)];
  if (f.Depth >= MaxFunctionDepth) {
    ErrorCode = ecFunctionStackOverflow;
    throw std::runtime_error("FUNCTION STACK IS OVERFLOW");
  }
  // A call costs about four passes over its body (saving, running, the
  // control forms inside saving theirs, restoring): it counts so.
  if (MustStop(4 * (f.Body.size() + 1))) StopRun();
  const std::size_t n = static_cast<std::size_t>(f.ParamCount);
  ReserveStack(f.BodyCells.size() + n);
  // Save the body's cells before clearing its result, so that a call leaves
  // no trace in cells that other expressions share. A body that is one if
  // has the if's cells among them: they keep their values until the if
  // runs (the parameters and the body's result are none of them), so
  // saving them here is saving them as the if would.
  SaveCells(f.BodyCells);
  TValue* const savedParams = FunctionStack_.data() + FunctionStackTop_;
  for (std::size_t i = 0; i < n; ++i) CopyCellExactly(savedParams[i], *f.Params[i]);
  FunctionStackTop_ += n;
  if (!f.Body.empty()) *f.BodyResult = TValue();
  // Arguments are bound one after another: an argument that is itself a
  // parameter variable is read after the earlier parameters were written.
  for (std::size_t i = 0; i < n; ++i) *f.Params[i] = *ins.Operands[i];
  ++f.Depth;
  if (f.BodyIf >= 0) {
    RunIfBody(Instructions_[static_cast<std::size_t>(f.Body[0] - 1)], IfRecords_[static_cast<std::size_t>(f.BodyIf)]);
  } else {
    RunProgram(f.Body, false);
  }
  --f.Depth;
  const TValue value = *f.BodyResult;
  // (The stack may have grown, and moved, during the run.)
  FunctionStackTop_ -= n;
  const TValue* const restored = FunctionStack_.data() + FunctionStackTop_;
  for (std::size_t i = 0; i < n; ++i) CopyCellExactly(*f.Params[i], restored[i]);
  RestoreCells(f.BodyCells);
  *ins.Result = value;
}

}  // namespace helmax
