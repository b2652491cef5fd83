// THelmaxComplexEval: compiles expression text into an instruction table and
// evaluates it. Public operations never throw; they record failures in the
// error state (Error, ErrorCode, ErrorMessage, MathErrorKind) and announce
// them through OnParseError / OnExecuteError.
#pragma once

#include <atomic>
#include <cmath>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "BlockPool.h"
#include "ErrorCodes.h"
#include "FastProgram.h"
#include "Value.h"

namespace helmax {

class THelmaxComplexEval;

// Why a run should stop: the values of an engine's stop flag.
enum TStopReason : std::uint8_t { srNone = 0, srStopped = 1, srTooLong = 2 };

// ---- External functions ----------------------------------------------------

enum TUserFuncKind : std::uint8_t {
  ufProcedure = 0,         // plain function (Args, Count, Result)
  ufMethod = 1,            // bound member function (Args, Count, Result)
  ufStdCallFunction = 2,   // hook(Args, Count); Func(Result, Count); hook(nil, 0)
  ufStdCallProcedure = 3,  // hook(Args, Count); Func(Count); OnGetResult(Result); hook(nil, 0)
};

using TUserProcedure = void (*)(TValue* const* args, int count, TValue& result);
using TUserMethod = std::function<void(TValue* const* args, int count, TValue& result)>;
using TStdCallFunction = void (*)(TValue& result, int count);
using TStdCallProcedure = void (*)(int count);

constexpr std::int32_t MaxInt = 2147483647;

// What TUserFuncRec::ArgCount says besides an exact number of arguments.
constexpr std::int32_t kVolatileNoArguments = -1;  // no arguments, called at every evaluation
constexpr std::int32_t kConstantFunction = 0;      // no arguments, called once and folded
constexpr std::int32_t kOneOrMoreArguments = MaxInt;

struct TUserFuncRec {
  std::string Name;
  TUserFuncKind Kind = ufProcedure;
  TUserProcedure Procedure = nullptr;            // kind 0
  TUserMethod Method;                            // kind 1
  TStdCallFunction StdCallFunction = nullptr;    // kind 2
  TStdCallProcedure StdCallProcedure = nullptr;  // kind 3
  // kVolatileNoArguments, kConstantFunction, kOneOrMoreArguments, or n:
  // exactly n.
  std::int32_t ArgCount = 0;
  std::int32_t Tag = 0;
};
using TUserFuncArray = std::vector<TUserFuncRec>;

// ---- Variables ---------------------------------------------------------------

struct TUserVarRec {
  std::string Name;
  TValue* Value = nullptr;  // host's cell, or nil for an engine-owned one
  std::uint8_t Protected = 0;
};
using TUserVarArray = std::vector<TUserVarRec>;
using TUserValuesArray = std::vector<TValue>;

struct TVariable {
  std::string Name;
  TValue* Value = nullptr;
  std::uint8_t External = 0;  // 1: the host owns Value
  std::uint8_t Protected = 0;
};

// ---- Compiled program ----------------------------------------------------------

struct TInstruction {
  TValue* const* Operands = nullptr;
  TValue* Result = nullptr;
  std::int32_t Count = 0;
  std::uint16_t Code = 0;
};

using TProgram = std::vector<std::int32_t>;  // instruction numbers, from 1

// The result cells of a construct's programs, in program order: what a
// call or a control form saves before running them and restores after.
using TCellList = std::vector<TValue*>;

struct TIfRecord {
  std::int32_t Instruction = 0;
  TProgram Condition, Then, Else;
  TCellList Cells;  // of Condition, Then and Else
};

struct TWhileRecord {
  std::int32_t Instruction = 0;
  TProgram Test, Body;
  TCellList Cells;  // of Test and Body
};

struct TRunTimeFunction {
  std::string Name;
  std::string Definition;
  std::int32_t CallInstruction = 0;
  std::int32_t ParamCount = 0;
  TValue* const* Params = nullptr;  // nil until defined
  TValue* BodyResult = nullptr;     // nil until defined
  TProgram Body;
  // The cells a call saves and restores: those of the body's instructions
  // and, for a body that is a single if, those of its branches too.
  TCellList BodyCells;
  // When the body is a single if: its record (an index into the if
  // records), which the call runs without a frame of its own.
  std::int32_t BodyIf = -1;
  std::int32_t Depth = 0;
};

using TEngineEvent = std::function<void(THelmaxComplexEval&)>;
using TSetArgumentsHook = std::function<void(TValue* const* args, int count)>;
using TGetResultHook = std::function<void(TValue& result)>;

struct TCompileScratch;  // the compiler's working storage (CompilerInternals.h)

// How a compile treats the names of the text: only those of the given list
// (or the list itself: a text naming others fails), every new name
// declared as a variable, or the host's shared variables.
enum class TCompileMode : std::uint8_t { NameList, AutoDeclare, SharedVariables };

// The last failure of a compile, a run or a derivative request, in one
// record (as THelmaxComplexEval::LastError gives it).
struct TEngineError {
  std::int32_t Code = 0;       // an ec... code of ErrorCodes.h; 0: no failure
  std::int16_t MathKind = -1;  // the floating-point condition (mk...), or -1
  std::string Message;         // the engine's own text
  // Where in the compiled text (0-based) the compiler found the fault,
  // when it can say: unbalanced or misplaced parentheses, braces, two
  // operands with only blanks between them. npos otherwise.
  std::size_t Position = std::string::npos;
};

class THelmaxComplexEval {
 public:
  THelmaxComplexEval();
  explicit THelmaxComplexEval(const TUserFuncArray& functions);
  virtual ~THelmaxComplexEval();
  THelmaxComplexEval(const THelmaxComplexEval&) = delete;
  THelmaxComplexEval& operator=(const THelmaxComplexEval&) = delete;

  // Class-level texts.
  static std::string EngineBanner();
  static std::string TypeBanner();

  // ---- configuration ----
  TEngineEvent OnParseError;
  TEngineEvent OnExecuteError;
  TSetArgumentsHook OnSetArguments;
  TGetResultHook OnGetResult;
  bool ProtectDigitVariables = false;
  bool ProtectOtherVariables = false;
  bool ImplicitMultiplication = false;
  bool PowerAsOperator = true;
  std::int32_t MaxIteration = 100000;
  std::int32_t MaxFunctionDepth = 200;

  // ---- stopping a run ----
  // A flag that any thread may raise to end the running evaluation: with
  // srStopped it ends with ecStopped ("Calculation stopped"), with srTooLong
  // as if the step budget were spent. It is read at every loop turn and
  // every run-time function call; the host lowers it before a run.
  const std::atomic<std::uint8_t>* StopFlag = nullptr;
  // The most instructions that one evaluation may run inside loops and
  // run-time function calls; past it the run ends with ecTooLong
  // ("Calculation stopped: too long"). 0: no limit.
  std::int64_t MaxSteps = 0;

  // Programs evaluated more than once run in their fast form where they
  // have one (same results to the bit, see FastProgram.h). Off, every run
  // goes through the interpreter: for comparisons.
  bool FastPrograms() const { return FastPrograms_; }
  void SetFastPrograms(bool on) {
    FastPrograms_ = on;
    ForgetFastProgram();
  }
  // The last compile's program has a fast form (built at its second run).
  bool FastProgramReady() const { return FastState_ == TFastState::Ready; }

  bool OriginalMathExpressionString() const { return OriginalMathExpressionString_; }
  void SetOriginalMathExpressionString(bool v);
  bool CurrencyNumbers() const { return CurrencyNumbers_; }
  void SetCurrencyNumbers(bool v);

  // Seeds the generator behind random (the engine seeds it from the clock).
  void SeedRandom(std::uint64_t seed) { RandomEngine().seed(seed); }

  // The equivalence test's stability check. A text compiled with
  // PerturbableResults has a step after every instruction; while
  // PerturbResults is set, each step multiplies the real (each complex
  // part) that the instruction wrote by 1 + 2^-48*u, u uniform in [-1, 1)
  // from a generator of its own. Off, the steps change nothing; a normal
  // compile has none.
  bool PerturbableResults = false;
  bool PerturbResults = false;
  void SeedPerturbation(std::uint64_t seed) { PerturbationEngine().seed(seed); }

  // ---- compiling ----
  void VerifySyntaxSemantics(std::string_view text);
  void VerifySyntaxSemantics(std::string_view text, std::string_view names, bool autoDeclare);
  void VerifySyntaxSemantics(std::string_view text, const TUserVarArray& variables, bool autoDeclare);
  void VerifySyntaxSemanticsAndDerivation(std::string_view text, std::string_view names, bool autoDeclare,
                                          std::string_view variable);
  // Compiles in the working storage of other (made when it has none), which
  // then serves both: for many engines that each compile a short text now
  // and then, never two at once (a conversion table's definitions). Neither
  // may compile while the other does.
  void ShareCompileStorage(THelmaxComplexEval& other);

  // ---- differentiation ----
  // The derivative built by the last VerifySyntaxSemanticsAndDerivation;
  // translate gives it in bracket notation. Fails (OnParseError) when
  // nothing is compiled, the compile was not a derivation, or the text was
  // erased.
  void GetDerivative(bool translate, std::string& text);
  // An engine text in the notation of computer-algebra systems: Sin[x],
  // Log[10,x], Power[x,2], D[f[x],x].
  std::string ToBracketNotation(std::string_view text) const;

  // ---- evaluating ----
  void DoMathExpression(TValue& result) {
    // A single expression with a fast form runs from here (and when the
    // fast form gives up, the interpreter runs it). A result that every
    // successful run leaves real is copied without a look at its kind.
    if (FastSingleReal_ != nullptr) {
      const double value = FastSingleReal_(this, FastSteps_.data());
      if (std::isnan(value)) {
        DoMathExpressionAnyWay(result, false);
        return;
      }
      SetSuccessfulRunState();
      result.Kind = TValueKind::Real;
      // The value and a zero imaginary part in one store: a short run is
      // bound by its loads and stores, not by its arithmetic.
#if defined(__SSE2__)
      _mm_storeu_pd(&result.Cx.Re, _mm_set_sd(value));
#else
      result.Cx = TComplex{value, 0.0};
#endif
      return;
    }
    if (FastSingle_ != nullptr) {
      if (std::isnan(FastSingle_(this, FastSteps_.data()))) {
        DoMathExpressionAnyWay(result, false);
        return;
      }
      SetSuccessfulRunState();
      result = *FastResult_;
      return;
    }
    DoMathExpressionAnyWay(result, true);
  }
  TValue* const* DoVectorOfMathExpressions();
  void DoRunTimeFunction(int index, const TUserValuesArray& values, TValue& result);

  // ---- inspection ----
  int VariableCount() const { return static_cast<int>(Variables_.size()); }
  std::string GetVarName(int i) const;  // 1-based
  const std::vector<TVariable*>* Variables() const { return Variables_.empty() ? nullptr : &Variables_; }
  int ExternalFunctionCount() const { return static_cast<int>(UserFunctions_.size()); }
  std::string ExternalFunctionName(int i) const;  // 0-based
  std::vector<std::string> ExternalFunctionNames() const;
  int RunTimeFunctionCount() const { return static_cast<int>(RunTimeFunctions_.size()); }
  std::string RunTimeFunctionText(int i) const;  // 0-based
  int FunctionCodeCount() const;
  std::string HelpText(int code) const;
  static std::string MathErrorKindText(int kind);
  bool IsValidIdentName(std::string_view name);

  bool NameVariable(int index, std::string_view name);
  bool NameSharedVariable(int index, std::string_view name, bool isProtected, TValue* cell);

  void Free();

  // ---- results of the last compile ----
  // The result cells hold the values of the last DoVectorOfMathExpressions
  // (DoMathExpression returns its value and may leave its cell as it was).
  int ExpressionCount = 0;
  TValue* const* Results = nullptr;
  std::string MathExpressionString;
  std::string DerivativeString;
  std::string DerivativeVariable;
  bool DerivationMode = false;
  bool LinearExpression = true;
  bool DependsOnVariables = false;
  bool InvariantExpression = false;
  bool ProtectedExpression = false;

  // ---- error state ----
  // Which of the compiled expressions (0-based) the last failed evaluation
  // was running, or -1: for a host that marks the failing expression.
  int FailedExpression() const;
  // (ErrorCode, MathErrorKind, Error and a spare byte fill one 8-byte word,
  // which a successful run sets in one store.)
  std::int32_t ErrorCode = 0;
  std::int16_t MathErrorKind = -1;
  bool Error = false;
  std::uint8_t ErrorStateSpare = 0;  // always 0
  std::string ErrorMessage;
  // The last failure as one record; an empty record (code 0) after a
  // success.
  TEngineError LastError() const;
  // The last compile or run failed because memory ran out (never a fault
  // of the text).
  bool RanOutOfMemory() const { return Error && ErrorCode == ecOutOfMemory; }

  // ---- compiled structures (read-only for hosts and tests) ----
  const std::vector<TInstruction>& Instructions() const { return Instructions_; }
  const TProgram& MainProgram() const { return MainProgram_; }
  const std::vector<TIfRecord>& IfRecords() const { return IfRecords_; }
  const std::vector<TWhileRecord>& WhileRecords() const { return WhileRecords_; }
  const std::vector<TRunTimeFunction>& RunTimeFunctions() const { return RunTimeFunctions_; }
  const TUserFuncArray& UserFunctions() const { return UserFunctions_; }
  // Nested program runs (calls, if, while) end in a fatal error (-35)
  // instead of exhausting the native stack: past this depth, or once they
  // use more than NativeStackBudget bytes of it, whichever comes first.
  static constexpr int MaxRunDepth = 100000;
  static constexpr std::size_t NativeStackBudget = 3u << 20;

 private:
  friend struct TCompiler;

  // Engine.cpp
  void InitFunctions(const TUserFuncArray& functions);
  void FreeInternal();
  // Gives back storage far larger than the compiled program uses.
  void TrimStorage();
  void FireParseError();
  void FireExecuteError();
  TValue* NewCell() { return CompiledCells_.Take(1); }
  TValue** NewOperands(std::size_t count) { return OperandArrays_.Take(count); }
  int FindVariable(std::string_view lowerName) const;
  bool AddOrRenameVariable(const char* op, int index, std::string_view name, bool trimName, bool isProtected,
                           bool useProtectedArg, TValue* cell);
  std::string FunctionName(int code) const;
  // The generators, made at their first use: each holds 2.5 KB of state,
  // which an engine that never draws a number need not carry.
  std::mt19937_64& RandomEngine() {
    if (!Random_) [[unlikely]]
      MakeRandomEngine();
    return *Random_;
  }
  std::mt19937_64& PerturbationEngine() {
    if (!PerturbRandom_) [[unlikely]]
      PerturbRandom_ = std::make_unique<std::mt19937_64>();
    return *PerturbRandom_;
  }
  void MakeRandomEngine();

  // Compiler.cpp
  void CompileText(std::string_view text, std::string_view names, const TUserVarArray* variables, bool autoDeclare,
                   bool derivation, std::string_view derivativeVariable);

  // Interpreter.cpp
  void Execute();
  void RunProgram(const TProgram& program, bool topLevel);
  // Whether a nested run from the native stack frame at `frame` would go
  // past the depth or stack budget.
  bool NoRoomToRun(std::uintptr_t frame);
  // Reports the exception being handled as the failure of ins.
  void ReportCurrentFailure(const TInstruction& ins, bool topLevel);
  void BeginRun();
  // Counts the steps of a loop turn or a call; true when the run must end
  // (budget spent or stop asked for), which StopRun then does.
  bool MustStop(std::size_t steps) {
    StepsLeft_ -= static_cast<std::int64_t>(steps);
    return StepsLeft_ < 0 || (StopFlag != nullptr && StopFlag->load(std::memory_order_relaxed) != srNone);
  }
  [[noreturn]] void StopRun();
  void RunInstruction(const TInstruction& ins);
  void RunDetached(const TInstruction& ins);
  void PerturbResult(const TInstruction& ins);
  void ReportMathFailure(const TInstruction& ins, int kind);
  void NonMathError(const TInstruction& ins, std::string_view message, bool topLevel);
  void CallExternal(const TInstruction& ins, int index);
  // Calls external function k; throws what the function throws.
  void InvokeExternal(int k, TValue* const* args, int count, TValue& result);
  void CallRunTimeFunction(const TInstruction& ins, int index);
  const TIfRecord* FindIf(const TInstruction& ins) const;
  const TWhileRecord* FindWhile(const TInstruction& ins) const;
  void RunIf(const TInstruction& ins);
  // The condition and the branch it picks, without the frame: the picked
  // branch's result cell, or nullptr once the error state is set. Throws
  // when the condition is not boolean.
  const TValue* RunIfBranches(const TInstruction& ins, const TIfRecord& rec);
  void RunBranch(const TProgram& program);
  // A function body that is a single if, whose frame the call keeps: runs
  // as RunProgram would run that one-instruction body.
  void RunIfBody(const TInstruction& ins, const TIfRecord& rec);
  void RunWhile(const TInstruction& ins);
  void SaveCells(const TCellList& cells);
  void RestoreCells(const TCellList& cells);
  void ReserveStack(std::size_t n);
  // True when the fast form ran the main program to its end; the error
  // state is then that of a successful run.
  bool RunFast() {
    if (!FastPrograms_ || (FastState_ != TFastState::Ready && !PrepareFastProgram())) return false;
    const double value = FastRunner_(this, FastSteps_.data());
    if (std::isnan(value)) return false;
    if (FastResultInRegister_) {
      Results[0]->Kind = TValueKind::Real;
      Results[0]->Num = value;
    }
    SetSuccessfulRunState();
    return true;
  }
  // The error state that a run to its end leaves.
  void SetSuccessfulRunState() {
    ErrorCode = 0;
    MathErrorKind = -1;
    Error = false;
    ErrorStateSpare = 0;
  }
  // Runs the fast form from its first step: NaN when it gives up, else
  // the value of a result that is always real (the first result of a
  // single expression), or 0. The leaf runner takes only steps that call
  // no function, and so saves no registers on entry; the other takes
  // every step. Given no steps, either puts the addresses of its code for
  // each step kind in FastCode_ (indexed by TFastOp).
  using TFastRunner = double (*)(THelmaxComplexEval*, const TFastStep*);
  template <bool kLeaf>
  static double RunFastSteps(THelmaxComplexEval* e, const TFastStep* first);
  void DoMathExpressionAnyWay(TValue& result, bool tryFast);
  bool RunFastGenericStep(const TInstruction& ins) noexcept;

  // FastProgram.cpp
  // Builds the fast form at the second run after a compile (a program run
  // once is not worth it); false while there is none.
  bool PrepareFastProgram();
  void BuildFastProgram();
  void ForgetFastProgram();

  TUserFuncArray UserFunctions_;
  std::unordered_map<std::string, int> ExternalIndex_;         // lower-case name -> index
  std::unordered_map<std::string, int> RunTimeFunctionIndex_;  // lower-case name -> run-time function
  std::deque<TVariable> VariableStore_;
  std::vector<TVariable*> Variables_;
  std::unordered_map<std::string, int> VariableIndex_;  // lower-case name -> 0-based index

  std::vector<TInstruction> Instructions_;
  TProgram MainProgram_;
  std::vector<TIfRecord> IfRecords_;
  std::vector<TWhileRecord> WhileRecords_;
  std::vector<TRunTimeFunction> RunTimeFunctions_;
  // Instruction number -> index into IfRecords_ or WhileRecords_ (or -1).
  std::vector<std::int32_t> ControlIndex_;
  TBlockPool<TValue> CompiledCells_;   // cells created by compiling
  TBlockPool<TValue*> OperandArrays_;  // operand arrays of the instructions
  std::vector<TValue> FunctionStack_;
  std::size_t FunctionStackTop_ = 0;
  TProgram OneEntryProgram_;

  bool OriginalMathExpressionString_ = true;
  bool CurrencyNumbers_ = false;
  int RunDepth_ = 0;
  std::int32_t FailedStatement_ = -1;  // position in MainProgram_ of the failure
  std::int64_t StepsLeft_ = 0;
  std::uintptr_t StackBase_ = 0;             // frame address of the outermost run
  std::unique_ptr<std::mt19937_64> Random_;  // seeded from the clock when made
  std::unique_ptr<std::mt19937_64> PerturbRandom_;
  std::shared_ptr<TCompileScratch> Scratch_;
  TCompileMode CompileMode_ = TCompileMode::NameList;
  std::size_t ErrorPosition_ = std::string::npos;  // see TEngineError::Position

  enum class TFastState : std::uint8_t { Pending, Ready, Unavailable };
  TFastState FastState_ = TFastState::Pending;
  std::uint8_t RunsSinceCompile_ = 0;
  std::vector<TFastStep> FastSteps_;
  TFastRunner FastRunner_ = nullptr;
  // The runner when the program is ready and is a single expression (and
  // fast programs are on), in the first when its result is always real
  // (the runner then returns it): DoMathExpression's tests. FastResult_ is
  // that expression's result cell.
  TFastRunner FastSingleReal_ = nullptr;
  TFastRunner FastSingle_ = nullptr;
  const TValue* FastResult_ = nullptr;
  // The program's last step returns the single result without writing its
  // cell: DoMathExpression takes it from there, and RunFast writes it.
  bool FastResultInRegister_ = false;
  const void* const* FastCode_ = nullptr;
  bool FastPrograms_ = true;
};

}  // namespace helmax
