// libFuzzer target for the expression engine. Every input is one expression
// text; it is compiled in each compile form of THelmaxComplexEval and, when
// that works, evaluated, and every run-time function it defines is called.
// It is also differentiated (the derivative, when not "nan", must compile
// again) and, when it has no loop or run-time function, compared with itself
// by the equivalence test (never a disagreement). Besides the sanitizers,
// the engine's error state must stay coherent; a violation prints what
// failed and traps.
//
// A leading byte below 0x20 is not part of the text but selects options
// (inside the text such a byte only makes the compile fail):
//   0x01  currency numbers (SetCurrencyNumbers(true))
//   0x02  implicit multiplication
//   0x04  rendered expression text (SetOriginalMathExpressionString(false))
//   0x08  variables declared by the text are protected
//   0x10  not a text: the bytes drive the derivative text constructors,
//         whose texts must equal those of the constructors written
//         literally on plain strings
// Any other first byte belongs to the text, and every option is off.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "DerivativeReference.h"
#include "DerivativeText.h"
#include "EquivalenceTest.h"
#include "ErrorText.h"
#include "HelmaxComplexEval.h"
#include "Operations.h"
#include "Syntax.h"

namespace {

using namespace helmax;

[[noreturn]] void Fail(const THelmaxComplexEval& e, int line, const char* what) {
  std::fprintf(stderr,
               "engine_fuzz: invariant failed (line %d): %s\n  Error=%d ErrorCode=%d MathErrorKind=%d\n"
               "  ErrorMessage=\"%s\"\n",
               line, what, e.Error ? 1 : 0, static_cast<int>(e.ErrorCode), static_cast<int>(e.MathErrorKind),
               e.ErrorMessage.c_str());
  __builtin_trap();
}

#define FUZZ_CHECK(e, cond)                  \
  do {                                       \
    if (!(cond)) Fail((e), __LINE__, #cond); \
  } while (0)

struct TOptions {
  bool Currency = false;
  bool Implicit = false;
  bool Rendered = false;
  bool ProtectDeclared = false;
};

// How many times each error event fired.
struct TEvents {
  int Parse = 0;
  int Execute = 0;
};

enum class TForm { Plain, NamesDeclare, NamesOnly, HostCellDeclare, HostCellOnly };

bool SameCell(const TValue& a, const TValue& b) {
  return a.Kind == b.Kind && std::memcmp(&a.Cx, &b.Cx, sizeof a.Cx) == 0;
}

// Argument values for run-time function calls: one of each kind, and a few
// reals that end recursions early, late or never.
TValue ArgumentValue(std::size_t k) {
  switch (k % 10) {
    case 0: return TValue::MakeReal(3);
    case 1: return TValue::MakeReal(0);
    case 2: return TValue::MakeReal(-2.5);
    case 3: return TValue::MakeReal(1e300);
    case 4: return TValue::MakeReal(EngineNaN());
    case 5: return TValue::MakeBool(true);
    case 6: return TValue::MakeCurrency(125000);
    case 7: return TValue::MakeComplex(1, -2);
    case 8: return TValue::MakeDateTime(39813.9375);
    default: return TValue::MakeNull();
  }
}

// The engine's limits are per loop and per function, so a short text can
// still ask for an exponential amount of legitimate work (tree recursion
// such as fib(n-1)+fib(n-2) to depth 50, loops nested in loops). Such texts
// get lower limits, chosen from the compiled program so that the number of
// loop passes and calls stays near kWorkBudget; every other text runs with
// MaxIteration = 1000 and MaxFunctionDepth = 50.
constexpr double kWorkBudget = 2e4;
constexpr std::int32_t kMaxIteration = 1000;
constexpr std::int32_t kMaxFunctionDepth = 50;

void SetLimits(THelmaxComplexEval& e) {
  const int functions = e.RunTimeFunctionCount();
  const int firstRunTimeCode = opFirstExternal + e.ExternalFunctionCount();
  int callSites = 0;  // calls of run-time functions, definition heads excluded
  for (const TInstruction& ins : e.Instructions())
    if (ins.Code >= firstRunTimeCode) ++callSites;
  callSites -= functions;
  const int loops = static_cast<int>(e.WhileRecords().size());
  const bool branching = functions > 0 && callSites >= 2;
  const double logBudget = std::log(kWorkBudget);

  e.MaxIteration = kMaxIteration;
  e.MaxFunctionDepth = kMaxFunctionDepth;
  if (branching) {
    const double share = loops > 0 ? logBudget / 2 : logBudget;
    const double depth = share / (functions * std::log(static_cast<double>(callSites)));
    e.MaxFunctionDepth = std::clamp(static_cast<std::int32_t>(depth), 1, kMaxFunctionDepth);
  }
  if (loops > 1 || (loops == 1 && branching)) {
    const double share = branching ? logBudget / 2 : logBudget;
    const double passes = std::exp(share / loops);
    e.MaxIteration = std::clamp(static_cast<std::int32_t>(passes), 1, kMaxIteration);
  }
}

// Runs the main program once and checks the outcome.
void RunVector(THelmaxComplexEval& e, const TEvents& ev) {
  const int fired = ev.Execute;
  TValue* const* r = e.DoVectorOfMathExpressions();
  if (r == nullptr) {
    FUZZ_CHECK(e, e.Error);
    FUZZ_CHECK(e, e.ErrorCode != 0);
    FUZZ_CHECK(e, !ExecuteErrorLine(e).empty());
    FUZZ_CHECK(e, ev.Execute == fired + 1);
    return;
  }
  FUZZ_CHECK(e, !e.Error);
  FUZZ_CHECK(e, r == e.Results);
  FUZZ_CHECK(e, ev.Execute == fired);
  for (int i = 0; i < e.ExpressionCount; ++i) FUZZ_CHECK(e, !ValueToText(*r[i]).empty());
}

// One evaluation's outcome: a failure gives a null result, a host line and
// one execute event; a success a value with text and no event.
void CheckOutcome(THelmaxComplexEval& e, const TEvents& ev, int firedBefore, const TValue& r) {
  if (e.Error) {
    FUZZ_CHECK(e, r.IsNull());
    FUZZ_CHECK(e, !ExecuteErrorLine(e).empty());
    FUZZ_CHECK(e, ev.Execute == firedBefore + 1);
  } else {
    FUZZ_CHECK(e, ev.Execute == firedBefore);
    FUZZ_CHECK(e, !ValueToText(r).empty());
  }
}

void RunSingle(THelmaxComplexEval& e, const TEvents& ev) {
  const int fired = ev.Execute;
  TValue r = TValue::MakeBool(true);
  e.DoMathExpression(r);
  if (e.ExpressionCount >= 2) { FUZZ_CHECK(e, e.Error && e.ErrorCode == -18); }
  CheckOutcome(e, ev, fired, r);
}

// The values of every result cell and variable cell.
std::vector<TValue> Snapshot(const THelmaxComplexEval& e) {
  std::vector<TValue> cells;
  for (int i = 0; i < e.ExpressionCount; ++i) cells.push_back(*e.Results[i]);
  if (const std::vector<TVariable*>* vars = e.Variables())
    for (const TVariable* v : *vars) cells.push_back(*v->Value);
  return cells;
}

bool SameCells(const std::vector<TValue>& a, const std::vector<TValue>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!SameCell(a[i], b[i])) return false;
  return true;
}

// A call that must be refused before anything runs: it fails, fires the
// event once, gives a null result and leaves every cell as it was.
void CallRefused(THelmaxComplexEval& e, const TEvents& ev, int index, const TUserValuesArray& values) {
  const std::vector<TValue> before = Snapshot(e);
  const int fired = ev.Execute;
  TValue r = TValue::MakeBool(true);
  e.DoRunTimeFunction(index, values, r);
  FUZZ_CHECK(e, e.Error);
  FUZZ_CHECK(e, r.IsNull());
  FUZZ_CHECK(e, ev.Execute == fired + 1);
  FUZZ_CHECK(e, SameCells(before, Snapshot(e)));
}

// Calls every run-time function with the right number of values and with
// one value too many, then at indexes outside the function list.
void CallRunTimeFunctions(THelmaxComplexEval& e, const TEvents& ev, std::size_t seed) {
  const int count = e.RunTimeFunctionCount();
  FUZZ_CHECK(e, count == static_cast<int>(e.RunTimeFunctions().size()));
  for (int i = 0; i < count; ++i) {
    const TRunTimeFunction& f = e.RunTimeFunctions()[static_cast<std::size_t>(i)];
    FUZZ_CHECK(e, f.Params != nullptr && f.ParamCount >= 0);
    FUZZ_CHECK(e, !e.RunTimeFunctionText(i).empty());
    TUserValuesArray values;
    for (std::int32_t j = 0; j < f.ParamCount; ++j)
      values.push_back(ArgumentValue(seed + static_cast<std::size_t>(i) * 3 + static_cast<std::size_t>(j)));

    const int fired = ev.Execute;
    TValue r = TValue::MakeBool(true);
    e.DoRunTimeFunction(i, values, r);
    CheckOutcome(e, ev, fired, r);

    values.push_back(ArgumentValue(seed));
    CallRefused(e, ev, i, values);
    FUZZ_CHECK(e, e.ErrorCode == -17);
    FUZZ_CHECK(e, !ExecuteErrorLine(e).empty());
  }
  CallRefused(e, ev, count, {});
  CallRefused(e, ev, -1, {TValue::MakeReal(1)});
}

void CompileAndRun(THelmaxComplexEval& e, TEvents& ev, const TOptions& options, TForm form, std::string_view text) {
  TValue cell = TValue::MakeReal(2);
  const TValue cellBefore = cell;
  ev = TEvents{};
  switch (form) {
    case TForm::Plain: e.VerifySyntaxSemantics(text); break;
    case TForm::NamesDeclare: e.VerifySyntaxSemantics(text, "x,y", true); break;
    case TForm::NamesOnly: e.VerifySyntaxSemantics(text, "x,y", false); break;
    case TForm::HostCellDeclare:
    case TForm::HostCellOnly:
      e.VerifySyntaxSemantics(text, TUserVarArray{{"c", &cell, 1}}, form == TForm::HostCellDeclare);
      break;
  }
  FUZZ_CHECK(e, ev.Execute == 0);

  if (e.Error) {
    FUZZ_CHECK(e, ev.Parse == 1);
    FUZZ_CHECK(e, e.ErrorCode != 0);
    FUZZ_CHECK(e, e.ExpressionCount == 0);
    FUZZ_CHECK(e, e.Results == nullptr);
    FUZZ_CHECK(e, e.RunTimeFunctionCount() == 0);
    FUZZ_CHECK(e, !ParseErrorLine(e).empty());
    // Nothing is left to evaluate.
    FUZZ_CHECK(e, e.DoVectorOfMathExpressions() == nullptr);
    FUZZ_CHECK(e, e.Error && e.ErrorCode == -1);
    FUZZ_CHECK(e, !ExecuteErrorLine(e).empty());
    FUZZ_CHECK(e, ev.Execute == 1);
    FUZZ_CHECK(e, SameCell(cell, cellBefore));
    return;
  }

  FUZZ_CHECK(e, ev.Parse == 0);
  FUZZ_CHECK(e, e.ErrorCode == 0);
  FUZZ_CHECK(e, e.ExpressionCount >= 1);
  FUZZ_CHECK(e, e.Results != nullptr);
  for (int i = 0; i < e.ExpressionCount; ++i) FUZZ_CHECK(e, e.Results[i] != nullptr);
  if (!options.Rendered) FUZZ_CHECK(e, e.MathExpressionString == text);
  for (int i = 1; i <= e.VariableCount(); ++i) FUZZ_CHECK(e, !e.GetVarName(i).empty());
  SetLimits(e);
  if (form == TForm::HostCellDeclare || form == TForm::HostCellOnly) {
    // The engine works on the host's cell itself, and protected means that
    // evaluating the text leaves it as it was (parameters are restored).
    FUZZ_CHECK(e, e.VariableCount() >= 1);
    const TVariable& v = *(*e.Variables())[0];
    FUZZ_CHECK(e, v.Value == &cell && v.External == 1 && v.Protected == 1);
    RunVector(e, ev);
    FUZZ_CHECK(e, SameCell(cell, cellBefore));
  } else {
    RunVector(e, ev);
  }
  RunSingle(e, ev);
  CallRunTimeFunctions(e, ev, text.size());
  // Once more after the direct calls, which leave parameter values behind.
  RunVector(e, ev);
  // A pure program now runs in its fast form: the instruction-by-instruction
  // run must give the same cells, error and code to the last bit.
  if (e.FastProgramReady()) {
    const std::vector<TValue> fast = Snapshot(e);
    const bool fastError = e.Error;
    const int fastCode = e.ErrorCode;
    e.SetFastPrograms(false);
    RunVector(e, ev);
    e.SetFastPrograms(true);
    FUZZ_CHECK(e, e.Error == fastError && e.ErrorCode == fastCode);
    FUZZ_CHECK(e, SameCells(Snapshot(e), fast));
  }
  // The next compile must not touch the host cell: drop the engine's hold.
  e.Free();
}

// Differentiates the text with respect to x: a compile error is reported as
// for any compile; otherwise there is a derivative (at most the length
// limit), its bracket form, and the derivative compiles again.
void Differentiate(std::string_view text, const TOptions& options, bool powerAsOperator) {
  THelmaxComplexEval e;
  TEvents ev;
  e.OnParseError = [&ev](THelmaxComplexEval&) { ++ev.Parse; };
  e.ImplicitMultiplication = options.Implicit;
  e.SetCurrencyNumbers(options.Currency);
  e.PowerAsOperator = powerAsOperator;
  e.VerifySyntaxSemanticsAndDerivation(text, "", true, "x");
  std::string d;
  if (e.Error) {
    FUZZ_CHECK(e, ev.Parse == 1 && !ParseErrorLine(e).empty());
    e.GetDerivative(false, d);
    FUZZ_CHECK(e, e.Error && e.ErrorCode == -1 && d.empty() && ev.Parse == 2);
    return;
  }
  FUZZ_CHECK(e, e.DerivationMode && e.ExpressionCount >= 1);
  e.GetDerivative(false, d);
  FUZZ_CHECK(e, !e.Error && !d.empty() && d.size() <= (1u << 20));
  std::string bracket;
  e.GetDerivative(true, bracket);
  FUZZ_CHECK(e, !e.Error && !bracket.empty() && ev.Parse == 0);
  if (d == "nan") return;
  THelmaxComplexEval again;
  again.VerifySyntaxSemantics(d);
  if (!again.Error) {
    SetLimits(again);
    again.DoVectorOfMathExpressions();
  }
}

// True when the text may call a function that draws random numbers. Names
// ignore case, so "rAndom" is Random too; a longer name that merely holds
// the word is skipped as well, which costs nothing but a few checks.
bool DrawsRandomNumbers(std::string_view text) {
  static const char* const kRandomNames[] = {"random"};
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  for (const char* name : kRandomNames)
    if (lower.find(name) != std::string::npos) return true;
  return false;
}

// The text compared with itself: never a disagreement (unless it draws
// random numbers). Only texts without loops or run-time functions, whose
// 5151 samples stay cheap.
void CompareWithItself(std::string_view text) {
  THelmaxComplexEval probe;
  probe.ImplicitMultiplication = true;
  probe.VerifySyntaxSemantics(text);
  if (probe.Error || probe.ExpressionCount != 1 || !probe.WhileRecords().empty() || probe.RunTimeFunctionCount() != 0 ||
      probe.Instructions().size() > 64)
    return;
  TMessageRecorder ui;
  TEquivalenceTest test(ui);
  const std::string t(text);
  const TEquivalenceCounts counts = test.Compare(t, t, 0x5eed);
  FUZZ_CHECK(probe, ui.Messages.empty());
  FUZZ_CHECK(probe, counts.Equal >= 0 && counts.Counted() <= 51 * 101);
  if (!DrawsRandomNumbers(t)) { FUZZ_CHECK(probe, counts.Unequal == 0); }
}

[[noreturn]] void TextsDiffer(const char* what, const std::string& got, const std::string& expected) {
  std::fprintf(stderr, "engine_fuzz: derivative texts differ (%s)\n  engine: %.300s\n  plain:  %.300s\n", what,
               got.c_str(), expected.c_str());
  __builtin_trap();
}

// The bytes as a program over a pool of texts: each byte applies one
// constructor to pool members and adds the result.
void Constructors(std::string_view bytes) {
  static const char* const kAtoms[] = {"x",          "0",
                                       "-0",         "1",
                                       "-1",         "2",
                                       "-x",         "sin(x)",
                                       "x+1",        "-x+1",
                                       "-(x+1)",     "x*y",
                                       "-x*y",       "infinity",
                                       "1e5",        "exp(1)",
                                       "2147483647", "-2147483648",
                                       "a-(-b)",     "f(x)'",
                                       "-(-(a+b))",  "(-x)^2",
                                       "x-1e-5",     "-(-x+1)",
                                       "-1e5",       "-12345678901234567890123456789012345678901234567890e5"};
  const bool powerAsOperator = bytes.empty() || (bytes[0] & 1) == 0;
  TDerivativeTexts texts(powerAsOperator, 4000, 0);
  texts.VerifyComposedForms(true);
  test::TPlainDerivativeTexts plain(powerAsOperator, 4000);
  std::vector<std::pair<TDText, std::string>> pool;
  for (const char* a : kAtoms) pool.emplace_back(texts.Literal(a), a);
  pool.emplace_back(nullptr, "");
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto op = static_cast<unsigned char>(bytes[i]) % 7;
    const std::size_t n = pool.size();
    const auto& a = pool[n - 1 - static_cast<unsigned char>(bytes[i]) / 7 % n];
    const auto& b = pool[n - 1 - static_cast<unsigned char>(bytes[i + 1]) % n];
    std::pair<TDText, std::string> r;
    switch (op) {
      case 0: r = {texts.Add(a.first, b.first), plain.Add(a.second, b.second)}; break;
      case 1: r = {texts.Sub(a.first, b.first), plain.Sub(a.second, b.second)}; break;
      case 2: r = {texts.Mul(a.first, b.first), plain.Mul(a.second, b.second)}; break;
      case 3: r = {texts.Div(a.first, b.first), plain.Div(a.second, b.second)}; break;
      case 4: r = {texts.Pow(a.first, b.first), plain.Pow(a.second, b.second)}; break;
      case 5: r = {texts.Sqrt(a.first), plain.Sqrt(a.second)}; break;
      default: r = {texts.Ln(a.first), plain.Ln(a.second)}; break;
    }
    if (texts.Raw(r.first) != r.second) TextsDiffer("as built", texts.Raw(r.first), r.second);
    if (texts.Tidied(r.first) != TidySigns(r.second)) TextsDiffer("tidied", texts.Tidied(r.first), TidySigns(r.second));
    pool.push_back(std::move(r));
  }
  if (!texts.Disagreements().empty()) TextsDiffer("composed form", texts.Disagreements()[0], "");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TOptions options;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (size > 0 && data[0] < 0x20) {
    options.Currency = (data[0] & 0x01) != 0;
    options.Implicit = (data[0] & 0x02) != 0;
    options.Rendered = (data[0] & 0x04) != 0;
    options.ProtectDeclared = (data[0] & 0x08) != 0;
    text.remove_prefix(1);
  }

  if (size > 0 && (data[0] & 0x10) != 0 && data[0] < 0x20) {
    Constructors(text);
    return 0;
  }

  THelmaxComplexEval e;
  TEvents ev;
  e.OnParseError = [&ev](THelmaxComplexEval&) { ++ev.Parse; };
  e.OnExecuteError = [&ev](THelmaxComplexEval&) { ++ev.Execute; };
  e.SeedRandom(0x5eed);
  e.SetCurrencyNumbers(options.Currency);
  e.ImplicitMultiplication = options.Implicit;
  e.SetOriginalMathExpressionString(!options.Rendered);
  e.ProtectDigitVariables = options.ProtectDeclared;
  e.ProtectOtherVariables = options.ProtectDeclared;

  for (TForm form : {TForm::Plain, TForm::NamesDeclare, TForm::NamesOnly, TForm::HostCellDeclare, TForm::HostCellOnly})
    CompileAndRun(e, ev, options, form, text);
  Differentiate(text, options, !options.ProtectDeclared);
  if (!options.Currency) CompareWithItself(text);
  return 0;
}
