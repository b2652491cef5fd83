#include "Calculator.h"
#include "FixedTexts.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>
#include <filesystem>

#include "ConversionTable.h"
#include "Distributions.h"
#include "ErrorText.h"
#include "FunctionDescriptions.h"
#include "HeapFigures.h"
#include "InterpolationSheets.h"
#include "TextFile.h"
#include "TextUtil.h"
#include "TypingHelp.h"

namespace helmax {

namespace {

constexpr double kParameterDefaults[InternalConstantCount] = {-100.0, 100.0, 0.1, 150.0, 1e-14, 1e-14};

// The distribution pack's functions in the order of the calculator's
// function table (entries 7 to 15, then 18 to 64; an external function's
// error code is 98 + the pack's 112 + its entry).
constexpr const char* kSpecialFunctionOrder[] = {"InverseGamma",     "Gamma", "LnGamma", "IncompleteGamma",
                                                 "IncompleteGamma2", "Beta",  "LnBeta",  "IncompleteBeta",
                                                 "Hermite"};
constexpr const char* kDistributionOrder[] = {"NormalZ",
                                              "NormalPDF",
                                              "NormalLess",
                                              "NormalGreater",
                                              "InvNormalGreater",
                                              "InvNormalLess",
                                              "NormalDistLess",
                                              "NormalDistGreater",
                                              "NormalDistBetween",
                                              "InvNormalDistLess",
                                              "InvNormalDistGreater",
                                              "ZAlpha",
                                              "LogNormalPDF",
                                              "LogNormalLess",
                                              "LogNormalBetween",
                                              "LogNormalGreater",
                                              "InvLogNormalLess",
                                              "InvLogNormalGreater",
                                              "ChiSquareLess",
                                              "ChiSquareGreater",
                                              "ChiSquareBetween",
                                              "InvChiSquareLess",
                                              "InvChiSquareGreater",
                                              "InvChiSquare",
                                              "FDistLess",
                                              "FDistGreater",
                                              "FDistBetween",
                                              "InvFDistLess",
                                              "InvFDistGreater",
                                              "StudentTLess",
                                              "StudentTGreater",
                                              "StudentTBetween",
                                              "InvStudentTLess",
                                              "InvStudentTGreater",
                                              "BinomialEq",
                                              "BinomialLess",
                                              "BinomialGreater",
                                              "BinomialBetween",
                                              "PoissonEq",
                                              "PoissonLess",
                                              "PoissonGreater",
                                              "PoissonBetween",
                                              "ExponentialLess",
                                              "ExponentialGreater",
                                              "ExponentialBetween",
                                              "Permutation",
                                              "BinomialCoeff"};

const char* const kDefaultDefinitions = "f(x)~Sin(x),\nFact(n)~if(eq(n,0),1,n*Fact(n-1)),\ny=1/3";

// Definitions text as the engine gets it: trimmed, without line ends.
std::string DefinitionsSource(std::string_view pane) {
  std::string text;
  for (char c : Trim(pane))
    if (c != '\r') text.push_back(c);
  std::string joined;
  for (char c : Trim(text))
    if (c != '\n') joined.push_back(c);
  std::string source(Trim(joined));
  return source.empty() ? "nan" : source;
}

// A section as a pane shows it: LF line ends, the last line without one.
std::string PaneText(std::string_view section) {
  std::string text = NormalizeLineEnds(section);
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

std::string TwoDigits(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }

}  // namespace

const TCalculatorTexts& DefaultDocumentTexts() {
  static const TCalculatorTexts texts = [] {
    TCalculatorTexts t;
    for (int row = 1; row <= InternalConstantCount; ++row) {
      const TConstRec r = InternalConstantRow(row);
      t.Constants.push_back({r.Name, r.Expression, r.Description});
    }
    t.FunctionVariable = "x";
    t.Definitions = kDefaultDefinitions;
    return t;
  }();
  return texts;
}

TCalculator::TCalculator(TUserInterface& ui, TCalculatorFiles files)
    : Ui_(ui),
      Files_(std::move(files)),
      Sheets_(std::make_unique<TInterpolationSheets>()),
      Conversions_(std::make_unique<TConversionTable>(ui)),
      FunctionVariableCell_(std::make_unique<TValue>()) {
  Conversions_->SetStopFlag(&StopFlag_);
  // Through the setters, in the order step, from, to, colwidth and the two
  // tolerances.
  for (int index : {parStep, parFrom, parTo, parColWidth, parDetTolerance, parIntegrTolerance})
    SetParameter(index, kParameterDefaults[index - 1]);
  BuildFunctionTable();
  Definitions_ = std::make_unique<THelmaxDateTimeEval>(FunctionTable_);
  Expressions_ = std::make_unique<THelmaxDateTimeEval>(FunctionTable_);
  Auxiliary_ = std::make_unique<THelmaxDateTimeEval>(FunctionTable_);
  Constants_ = std::make_unique<THelmaxDateTimeEval>(FunctionTable_);
  for (THelmaxDateTimeEval* e : {Definitions_.get(), Expressions_.get(), Auxiliary_.get(), Constants_.get()})
    PrepareEngine(*e);
  Expressions_->SetOriginalMathExpressionString(true);
  Auxiliary_->SetOriginalMathExpressionString(true);
  // The sheets' cells are evaluated with the auxiliary engine.
  Sheets_->SetCellEngine(Auxiliary_.get());
  Sheets_->SetStopTest([this] { return StopRequested(); });
  ConstantList_ =
      std::make_unique<TConstantList>(*Constants_, FunctionTable_, static_cast<TConstantListHost&>(*this), Ui_);
  DefinitionsText_ = kDefaultDefinitions;
  DefinitionsStale_ = true;
  Clock_ = SystemClockNow;
  RefreshMemoryPanel();
}

TCalculator::~TCalculator() {
  // The engines hold pointers to shared cells; drop them before the cells.
  ExpressionsVars_.clear();
  DefinitionsVars_.clear();
}

void TCalculator::BuildFunctionTable() {
  FunctionTable_.clear();
  for (int i = 0; i < InternalConstantCount; ++i) {
    TUserFuncRec r;
    r.Name = std::string("_") + kInternalConstantNames[static_cast<std::size_t>(i)];
    r.Kind = ufMethod;
    r.ArgCount = 0;
    // The default, whatever the constant holds now.
    const double value = kParameterDefaults[i];
    r.Method = [value](TValue* const*, int, TValue& result) { result = TValue::MakeReal(value); };
    FunctionTable_.push_back(std::move(r));
  }
  // Entry 6: unit conversion over the conversion table.
  TUserFuncRec conv;
  conv.Name = "Conv";
  conv.Kind = ufMethod;
  conv.ArgCount = 4;
  TConversionTable* conversions = Conversions_.get();
  conv.Method = [conversions](TValue* const* args, int count, TValue& result) {
    conversions->Conv(args, count, result);
  };
  FunctionTable_.push_back(std::move(conv));
  const TUserFuncArray pack = DistributionFunctions();
  auto append = [&](const char* name) {
    for (const TUserFuncRec& r : pack)
      if (EqualsIgnoringCase(r.Name, name)) {
        FunctionTable_.push_back(r);
        return;
      }
  };
  for (const char* n : kSpecialFunctionOrder) append(n);
  // Interpolation over the sheets.
  using TSheetFunction = void (TInterpolationSheets::*)(TValue* const*, int, TValue&);
  const std::pair<const char*, TSheetFunction> interpolation[] = {{"Lagrange", &TInterpolationSheets::Lagrange},
                                                                  {"CubicSpline", &TInterpolationSheets::CubicSpline}};
  TInterpolationSheets* sheets = Sheets_.get();
  for (const auto& entry : interpolation) {
    TUserFuncRec r;
    r.Name = entry.first;
    r.Kind = ufMethod;
    r.ArgCount = 2;
    const TSheetFunction method = entry.second;
    r.Method = [sheets, method](TValue* const* args, int count, TValue& result) {
      (sheets->*method)(args, count, result);
    };
    FunctionTable_.push_back(std::move(r));
  }
  for (const char* n : kDistributionOrder) append(n);
}

void TCalculator::PrepareEngine(THelmaxComplexEval& engine) {
  engine.StopFlag = &StopFlag_;
  engine.OnParseError = [this](THelmaxComplexEval& e) {
    if (!ToolCallRunning_) ResultsText_ = ParseErrorLine(e);
  };
  engine.OnExecuteError = [this](THelmaxComplexEval& e) {
    if (!ToolCallRunning_) ResultsText_ = ExecuteErrorLine(e);
  };
}

void TCalculator::SetStepBudget(std::int64_t steps) {
  StepBudget_ = steps;
  for (THelmaxDateTimeEval* e : {Definitions_.get(), Expressions_.get(), Auxiliary_.get(), Constants_.get()})
    e->MaxSteps = steps;
  ConstantList_->SetStepBudget(steps);
  Conversions_->SetStepBudget(steps);
}

void TCalculator::RefreshMemoryPanel() {
  MemoryPanel_ = texts::kTotalAllocatedMemoryPrefix + std::to_string(TotalAllocatedBytes()) + texts::kBytesSuffix;
}

void TCalculator::PrepareToolEngine(THelmaxComplexEval& engine) const {
  engine.StopFlag = &StopFlag_;
  engine.MaxSteps = StepBudget_;
}

std::optional<std::string> TCalculator::PrepareToolRun(THelmaxComplexEval& engine, const TValue& variableStart) {
  PrepareToolEngine(engine);
  RefreshStaleDefinitions();
  if (FunctionVariable_.empty()) return std::string(kNoFunctionVariable);
  if (DefinitionsInvalid_) return std::string(kInvalidDefinitions);
  *ExpressionsVars_.front().Value = variableStart;
  return std::nullopt;
}

void TCalculator::CallRunTimeFunction(int index, const TUserValuesArray& arguments, TValue& result) {
  // The call leaves its argument in the function variable's cell, and a
  // failing call would write its error line into the results pane (the
  // definitions engine's error events); neither stays, however it ends.
  struct TKeepState {
    TCalculator& Calc;
    TValue Variable;
    ~TKeepState() {
      *Calc.FunctionVariableCell_ = Variable;
      Calc.ToolCallRunning_ = false;
    }
  } keep{*this, *FunctionVariableCell_};
  ToolCallRunning_ = true;
  Definitions_->DoRunTimeFunction(index, arguments, result);
}

bool TCalculator::DefinitionsStale() const {
  return DefinitionsStale_ || Sheets_->DefinitionsChangePending() || Conversions_->DefinitionsChangePending();
}

void TCalculator::RefreshStaleDefinitions(TReport report) {
  if (!DefinitionsStale()) return;
  DefinitionsStale_ = false;
  Sheets_->TakeDefinitionsChange();
  Conversions_->TakeDefinitionsChange();
  DefinitionsChanged(report);
}

// ---- parameters ----------------------------------------------------------------

double TCalculator::GetParameter(int index) const {
  if (index < parFrom || index > parIntegrTolerance) return EngineNaN();
  return Parameters_[static_cast<std::size_t>(index - 1)];
}

void TCalculator::SetParameter(int index, double v) {
  if (index < parFrom || index > parIntegrTolerance) return;
  bool ok = std::isfinite(v);
  switch (index) {
    case parStep: ok = ok && v > 0 && std::fabs(v) > 1e-13; break;
    case parColWidth:
      if (ok) {
        v = std::nearbyint(v);
        ok = v >= 10 && v <= 200;
      }
      break;
    case parDetTolerance:
    case parIntegrTolerance: ok = ok && v > 0; break;
    default: break;
  }
  Parameters_[static_cast<std::size_t>(index - 1)] = ok ? v : kParameterDefaults[index - 1];
}

// ---- function variable ---------------------------------------------------------------

void TCalculator::SetFunctionVariable(const std::string& name) {
  std::string names = ConstantList_->JoinedNames();
  if (Constants_->ExpressionCount == 0 || names.empty()) names = "nan";
  // The expressions engine then knows exactly the constants as variables.
  Expressions_->VerifySyntaxSemantics(names);
  FunctionVariable_ = Expressions_->IsValidIdentName(name) ? std::string(Trim(name)) : std::string();
  if (FunctionVariableDialogText_) FunctionVariableDialogText_ = FunctionVariable_;
}

void TCalculator::RevalidateFunctionVariable(bool withCurrentName) {
  if (withCurrentName) SetFunctionVariable(FunctionVariable_);
  if (FunctionVariableDialogText_) SetFunctionVariable(*FunctionVariableDialogText_);
}

// ---- evaluation cycle ---------------------------------------------------------------

// The message of a cycle that cannot run: a box for a command, the results
// pane while typing.
void TCalculator::Report(TReport report, const std::string& message) {
  if (report == TReport::Box) Ui_.ShowMessage(message);
  else ResultsText_ = message;
}

namespace {
const char* const kWhereToSetTheVariable = " (Options > Variable)";
const char* const kOutOfMemory = texts::kOutOfMemory;

}  // namespace

void TCalculator::DefinitionsChanged(TReport report) {
  DefinitionsOutOfMemory_ = false;
  try {
    DefinitionsCompile(report);
  } catch (const std::bad_alloc&) {
    // Not a fault of the definitions: they are compiled again at the next
    // evaluation.
    DefinitionsInvalid_ = DefinitionsOutOfMemory_ = true;
  } catch (const std::exception& e) { Ui_.ShowMessage(std::string(texts::kFrame31Memo1ExitPrefix) + e.what()); }
  if (DefinitionsOutOfMemory_) {
    DefinitionsStale_ = true;
    DefinitionsError_ = kOutOfMemory;
    ResultsText_.clear();
    Report(report, kOutOfMemory);
    return;
  }
  if (DefinitionsInvalid_ && DefinitionsError_.empty()) DefinitionsError_ = ResultsText_;
}

void TCalculator::DefinitionsCompile(TReport report) {
  ++NamesVersion_;
  DefinitionsInvalid_ = true;
  DefinitionsError_.clear();
  ResultsText_.clear();
  ResultsShown_ = false;
  if (FunctionVariableDialogText_) SetFunctionVariable(*FunctionVariableDialogText_);
  if (FunctionVariable_.empty()) {
    DefinitionsError_ = kNoFunctionVariable;
    Report(report, report == TReport::Pane ? kNoFunctionVariable + std::string(kWhereToSetTheVariable)
                                           : std::string(kNoFunctionVariable));
    return;
  }
  // Fresh shared cells: the engines drop the old ones before the new are
  // handed out.
  ExpressionsVars_.clear();
  DefinitionsVars_.clear();
  *FunctionVariableCell_ = TValue::MakeReal(EngineNaN());
  DefinitionsVars_.push_back({FunctionVariable_, FunctionVariableCell_.get(), 1});
  if (const std::vector<TVariable*>* constants = Constants_->Variables())
    for (const TVariable* c : *constants) DefinitionsVars_.push_back({c->Name, c->Value, 1});
  SharedConstantCount_ = Constants_->VariableCount();

  Definitions_->VerifySyntaxSemantics(DefinitionsSource(DefinitionsText_), DefinitionsVars_, true);
  if (Definitions_->Error) {
    DefinitionsOutOfMemory_ = Definitions_->RanOutOfMemory();
    return;
  }
  if (Definitions_->DoVectorOfMathExpressions() == nullptr) {
    DefinitionsOutOfMemory_ = Definitions_->RanOutOfMemory();
    return;
  }

  RunTimeFunctionsText_.clear();
  RunTimeFunctionNames_.clear();
  for (int i = 0; i < Definitions_->RunTimeFunctionCount(); ++i) {
    if (i > 0) RunTimeFunctionsText_ += ",";
    RunTimeFunctionsText_ += Definitions_->RunTimeFunctionText(i);
    RunTimeFunctionNames_.push_back(ToLowerAscii(Definitions_->RunTimeFunctions()[static_cast<std::size_t>(i)].Name));
  }
  if (RunTimeFunctionsText_.empty()) RunTimeFunctionsText_ = "nan";
  if (const std::vector<TVariable*>* vars = Definitions_->Variables())
    for (const TVariable* v : *vars) ExpressionsVars_.push_back({v->Name, v->Value, 1});
  DefinitionsInvalid_ = false;
  MemoryPanel_ = texts::kTotalAllocatedMemoryPrefix + std::to_string(TotalAllocatedBytes()) + texts::kBytesSuffix;
}

void TCalculator::ExpressionsChanged(TReport report) {
  try {
    EvaluateExpressions(report);
  } catch (const std::bad_alloc&) {
    ResultsShown_ = PartialResults_ = false;
    ResultsText_.clear();
    Report(report, kOutOfMemory);
  }
}

void TCalculator::EvaluateExpressions(TReport report) {
  ResultsText_.clear();
  ResultsShown_ = false;
  PartialResults_ = false;
  ExpressionsErrorRange_.reset();
  RefreshStaleDefinitions(report);
  if (FunctionVariable_.empty()) {
    Report(report, report == TReport::Pane ? kNoFunctionVariable + std::string(kWhereToSetTheVariable)
                                           : std::string(kNoFunctionVariable));
    return;
  }
  if (DefinitionsInvalid_) {
    // (Out of memory was said when the definitions compiled.)
    if (!DefinitionsOutOfMemory_) Report(report, kInvalidDefinitions);
    else if (report == TReport::Pane) ResultsText_ = kOutOfMemory;
    return;
  }
  *ExpressionsVars_.front().Value = TValue::MakeReal(EngineNaN());
  const std::string source = RemoveLineEnds(ExpressionsText_);
  Expressions_->SetCurrencyNumbers(CurrencyMode_);
  Auxiliary_->SetCurrencyNumbers(CurrencyMode_);
  const TPaneRun run = RunPane(source);
  if (run.Ok) {
    ResultsShown_ = true;
    return;
  }
  LocateError(run.Compiled ? run.FailedExpression : -1);
  // Not after a stop: the others would be stopped as well.
  if (KeepOtherResults_ && !StopRequested()) ShowOtherResults(run);
}

// Compiles and runs a pane's text (line ends removed). Its results, one line
// per expression, or its error line, end up in ResultsText_.
TCalculator::TPaneRun TCalculator::RunPane(const std::string& source) {
  ResultsText_.clear();
  int first = 1;
  // Variables of the definitions that a run-time function may assign when
  // it runs here; restored after the run so that an evaluation leaves the
  // definitions as their compile left them.
  std::vector<std::pair<TValue*, TValue>> unprotected;
  auto compileAlone = [&] {
    first = 1;
    unprotected.clear();
    Expressions_->VerifySyntaxSemantics(source, ExpressionsVars_, true);
  };
  // The pane with the definitions' run-time functions in front. The plain
  // compile has already refused any assignment that the pane itself makes
  // to a protected name (that failure comes before the end of the compile,
  // where -38 is found), so the definitions' own variables can be handed
  // unprotected here: only the run-time functions' bodies can assign them.
  // The function variable and the constants stay protected.
  auto compileWithFunctions = [&] {
    first = 2;
    unprotected.clear();
    TUserVarArray retryVars = ExpressionsVars_;
    for (std::size_t i = 1 + static_cast<std::size_t>(SharedConstantCount_); i < retryVars.size(); ++i) {
      retryVars[i].Protected = 0;
      unprotected.emplace_back(retryVars[i].Value, *retryVars[i].Value);
    }
    Expressions_->VerifySyntaxSemantics("Bk(" + RunTimeFunctionsText_ + ")," + source, retryVars, true);
  };
  auto notDefined = [&] { return Expressions_->Error && Expressions_->ErrorCode == ecFunctionNotDefined; };
  if (CallsRunTimeFunction(source)) {
    // The plain compile would end in "function not defined" (-38) and be
    // made again with the functions: compile that way at once. Should it
    // fail, the outcome is the one of the plain order.
    compileWithFunctions();
    if (Expressions_->Error) {
      ResultsText_.clear();
      compileAlone();
      if (notDefined()) {
        ResultsText_.clear();
        compileWithFunctions();
      }
    }
  } else {
    compileAlone();
    if (notDefined()) {
      ResultsText_.clear();
      compileWithFunctions();
    }
  }
  TPaneRun run;
  run.Compiled = !Expressions_->Error;
  TValue* const* results = run.Compiled ? Expressions_->DoVectorOfMathExpressions() : nullptr;
  run.Ok = run.Compiled && results != nullptr;
  if (run.Ok) {
    // The lines go into the former text's storage: a long pane's results
    // would otherwise grow a new string by doubling, copying it each time.
    std::string out;
    out.swap(ResultsText_);
    out.clear();
    for (int i = first; i <= Expressions_->ExpressionCount; ++i) {
      const TValue& v = *results[i - 1];
      if (i > first) out += '\n';
      if (!CurrencyMode_ || v.IsCurrency()) AppendValueText(out, v);
      else out += texts::kNotCurrency;
    }
    ResultsText_ = std::move(out);
  } else {
    if (!ErrorMessageView_) ResultsText_ = texts::kErrorResult;
    if (run.Compiled) run.FailedExpression = Expressions_->FailedExpression() - (first - 1);
    run.ErrorMessage = Expressions_->ErrorMessage;
  }
  // Results may be the shared cells themselves: restore after reading them.
  for (auto& [cell, value] : unprotected) *cell = value;
  return run;
}

namespace {

// The expression of a failed run, counted from 0 among the pane's
// expressions (ranges), or -1 when it cannot be told.
int FailedIndex(const std::string& pane, const std::vector<std::pair<std::size_t, std::size_t>>& ranges, bool compiled,
                int failedExpression, const std::string& errorMessage) {
  if (compiled)
    return failedExpression >= 0 && static_cast<std::size_t>(failedExpression) < ranges.size() ? failedExpression : -1;
  const auto fragment = FragmentRange(pane, errorMessage);
  if (!fragment) return -1;
  for (std::size_t i = 0; i < ranges.size(); ++i)
    if (fragment->first >= ranges[i].first && fragment->first <= ranges[i].second) return static_cast<int>(i);
  return -1;
}

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// The names an expression gives values to: each name directly before "="
// (a variable) or before "(" in a text with "~" (a function).
std::vector<std::string> AssignedNames(std::string_view text) {
  std::vector<std::string> names;
  const bool defines = text.find('~') != std::string_view::npos;
  for (std::size_t i = 0; i < text.size();) {
    if (!IsNameChar(text[i]) || (i > 0 && IsNameChar(text[i - 1]))) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && IsNameChar(text[end])) ++end;
    std::size_t next = end;
    while (next < text.size() && text[next] == ' ') ++next;
    if (next < text.size() && (text[next] == '=' || (defines && text[next] == '(')))
      names.push_back(ToLowerAscii(std::string(text.substr(i, end - i))));
    i = end;
  }
  return names;
}

bool UsesName(std::string_view text, const std::string& lowerName) {
  for (std::size_t at = 0; at + lowerName.size() <= text.size(); ++at) {
    if (at > 0 && IsNameChar(text[at - 1])) continue;
    if (at + lowerName.size() < text.size() && IsNameChar(text[at + lowerName.size()])) continue;
    if (EqualsIgnoringCase(text.substr(at, lowerName.size()), lowerName)) return true;
  }
  return false;
}

}  // namespace

// After a failed evaluation of the pane: the results of every expression
// that does not depend on the failing one, the error line in the failing
// one's place and nothing in the places of those that depend on it. An
// expression depends on another when it uses a name the other gives a value
// to (through any chain). The others are evaluated again without those; a
// further failure among them is placed the same way.
void TCalculator::ShowOtherResults(const TPaneRun& failedRun) {
  const auto ranges = ExpressionRanges(ExpressionsText_);
  const std::size_t n = ranges.size();
  if (n < 2) return;
  std::vector<std::string> texts(n);
  for (std::size_t i = 0; i < n; ++i)
    texts[i] = RemoveLineEnds(ExpressionsText_.substr(ranges[i].first, ranges[i].second - ranges[i].first));
  int failed =
      FailedIndex(ExpressionsText_, ranges, failedRun.Compiled, failedRun.FailedExpression, failedRun.ErrorMessage);
  std::vector<std::string> lines(n);
  std::vector<bool> left(n, false);  // failed or depends on a failure
  const std::string paneError = ResultsText_;
  std::string errorLine = paneError;
  const std::optional<std::pair<std::size_t, std::size_t>> errorRange = ExpressionsErrorRange_;
  for (std::size_t round = 0; round < n; ++round) {
    if (failed < 0) {  // a failure that cannot be placed: the pane's error line alone
      ResultsText_ = paneError;
      return;
    }
    left[static_cast<std::size_t>(failed)] = true;
    lines[static_cast<std::size_t>(failed)] = errorLine;
    std::vector<std::string> unknown = AssignedNames(texts[static_cast<std::size_t>(failed)]);
    for (bool grew = true; grew;) {
      grew = false;
      for (std::size_t i = 0; i < n; ++i) {
        if (left[i]) continue;
        if (std::none_of(unknown.begin(), unknown.end(),
                         [&](const std::string& name) { return UsesName(texts[i], name); }))
          continue;
        left[i] = grew = true;
        for (std::string& name : AssignedNames(texts[i])) unknown.push_back(std::move(name));
      }
    }
    std::vector<std::size_t> kept;
    std::string pane;
    for (std::size_t i = 0; i < n; ++i) {
      if (left[i]) continue;
      if (!kept.empty()) pane += ',';
      pane += texts[i];
      kept.push_back(i);
    }
    if (kept.empty()) break;
    const TPaneRun run = RunPane(pane);
    if (run.Ok) {
      std::size_t k = 0, from = 0;
      for (; k < kept.size(); ++k) {
        const std::size_t end = std::min(ResultsText_.find('\n', from), ResultsText_.size());
        lines[kept[k]] = ResultsText_.substr(from, end - from);
        from = end + 1;
      }
      break;
    }
    const int again = FailedIndex(pane, ExpressionRanges(pane), run.Compiled, run.FailedExpression, run.ErrorMessage);
    failed = again < 0 ? -1 : static_cast<int>(kept[static_cast<std::size_t>(again)]);
    errorLine = ResultsText_;
  }
  std::string out;
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0) out += '\n';
    out += lines[i];
  }
  ResultsText_ = std::move(out);
  ResultsShown_ = true;
  PartialResults_ = true;
  // The mark stays on the first failure.
  ExpressionsErrorRange_ = errorRange;
}

// Whether the pane certainly calls one of the definitions' run-time
// functions: a name of one before "(", in a pane that defines no function
// and assigns nothing itself (with "~" or "=" the plain compile may take
// another course, so it goes first).
bool TCalculator::CallsRunTimeFunction(std::string_view source) const {
  if (RunTimeFunctionNames_.empty()) return false;
  if (source.find('~') != source.npos || source.find('=') != source.npos) return false;
  // Names as the compile reads them: the run since the last delimiter before
  // a "(", blanks left out.
  std::string name;
  for (std::size_t open = source.find('('); open != source.npos; open = source.find('(', open + 1)) {
    std::size_t start = open;
    while (start > 0 && !IsDelimiter(source[start - 1])) --start;
    name.clear();
    for (std::size_t k = start; k < open; ++k)
      if (source[k] != ' ') name += LowerAscii(source[k]);
    if (name.empty()) continue;
    for (const std::string& f : RunTimeFunctionNames_)
      if (f == name) return true;
  }
  return false;
}

// Where in the expressions pane the failure lies: the failed expression
// (failedExpression >= 0, a run) or the fragment the compile names.
void TCalculator::LocateError(int failedExpression) {
  if (failedExpression >= 0) {
    const auto ranges = ExpressionRanges(ExpressionsText_);
    if (static_cast<std::size_t>(failedExpression) < ranges.size())
      ExpressionsErrorRange_ = ranges[static_cast<std::size_t>(failedExpression)];
    return;
  }
  ExpressionsErrorRange_ = FragmentRange(ExpressionsText_, Expressions_->ErrorMessage);
}

void TCalculator::SetCurrencyMode(bool currency, TReport report) {
  CurrencyMode_ = currency;
  ExpressionsChanged(report);
}

void TCalculator::SetErrorMessageView(bool on) {
  ErrorMessageView_ = on;
  ResultsText_.clear();
  ResultsShown_ = false;
}

// ---- documents and snapshots ---------------------------------------------------------

TCalculatorTexts TCalculator::CurrentTexts() const {
  TCalculatorTexts t;
  for (const TConstRec& r : ConstantList_->Rows()) t.Constants.push_back({r.Name, r.Expression, r.Description});
  t.FunctionVariable = FunctionVariable_;
  t.Definitions = DefinitionsText_;
  t.Expressions = ExpressionsText_;
  t.Results = ResultsText_;
  return t;
}

std::string TCalculator::TakeSnapshot() const { return SnapshotText(CurrentTexts()); }

bool TCalculator::CheckBraces(const char* what) {
  if (!HoldsBrace(DefinitionsText_) && !HoldsBrace(ExpressionsText_) && !HoldsBrace(ResultsText_)) return true;
  Ui_.ShowMessage(std::string(what) + ": the panes hold \"{\" or \"}\", which the file format reserves");
  return false;
}

bool TCalculator::WriteDocument() {
  if (!DocumentFileValid_) return false;
  if (!CheckBraces("Cannot save the document")) return false;
  std::string error;
  if (!WriteFileAtomic(DocumentFileName_, DocumentText(CurrentTexts()), error)) {
    DocumentFileValid_ = false;
    Ui_.ShowMessage(error);
    return false;
  }
  SavedDocument_ = DocumentText(CurrentTexts());
  Caption_ = DocumentFileName_;
  AddHistory();
  return true;
}

bool TCalculator::ApplySections(const std::optional<TSections>& sections, const char* badFormatMessage) {
  if (!sections) {
    Ui_.ShowMessage(badFormatMessage);
    return false;
  }
  const TSections& s = *sections;
  LoadSections(s[secConstants], s[secFunctionVariable], s[secExpressions], s[secDefinitions]);
  return true;
}

bool TCalculator::LoadDocumentText(std::string_view text) {
  return ApplySections(ReadDocumentSections(text), texts::kBadFileFormat);
}

bool TCalculator::ReadDocument() {
  if (!DocumentFileValid_) return false;
  std::string text, error;
  if (!ReadPlainTextFile(DocumentFileName_, text, error, kDocumentFileLimit)) {
    Ui_.ShowMessage(error);
    // Saving would replace the file that could not be read.
    DocumentFileValid_ = false;
    return false;
  }
  if (!LoadDocumentText(text)) {
    DocumentFileValid_ = false;
    return false;
  }
  SavedDocument_ = DocumentText(CurrentTexts());
  AddHistory();
  Caption_ = DocumentFileName_;
  return true;
}

bool TCalculator::RestoreSnapshot(const std::string& text) {
  return ApplySections(ReadSnapshotSections(text), texts::kCitesteStringBadFormat);
}

void TCalculator::LoadSections(const std::string& constants, const std::string& functionVariable,
                               const std::string& expressions, const std::string& definitions) {
  TConstantList& list = *ConstantList_;
  list.Reset();
  bool seen[InternalConstantCount] = {};
  for (const TConstantItem& item : ParseConstantsSection(constants)) {
    if (item.IsMessage) {
      Ui_.ShowMessage(item.Message);
      continue;
    }
    const TConstantLine& c = item.Constant;
    int internal = -1;
    for (int i = 0; i < InternalConstantCount; ++i)
      if (EqualsIgnoringCase(c.Name, kInternalConstantNames[static_cast<std::size_t>(i)])) internal = i;
    if (internal >= 0) {
      if (seen[internal]) {
        Ui_.ShowMessage(texts::kDoublecatingVariableNamePrefix + c.Name);
        continue;
      }
      seen[internal] = true;
      list.AddConst(internal + 1, c.Name, c.Expression, c.Description);
    } else {
      list.AddConst(list.RowCount(), c.Name, c.Expression, c.Description);
    }
  }
  list.Refresh();
  const std::vector<TVariable*>* values = Constants_->Variables();
  for (int l = 1; l <= InternalConstantCount; ++l) {
    const TValue* v = (values != nullptr && static_cast<std::size_t>(l) <= values->size())
                          ? (*values)[static_cast<std::size_t>(l - 1)]->Value
                          : nullptr;
    SetParameter(l, v != nullptr && v->IsReal() ? v->Num : kParameterDefaults[l - 1]);
  }
  SetFunctionVariable(std::string(Trim(functionVariable)));
  DefinitionsText_ = PaneText(definitions);
  if (OnPanesLoaded_) OnPanesLoaded_(DefinitionsText_, PaneText(expressions));
  DefinitionsChanged();
  ExpressionsText_ = PaneText(expressions);
  if (!DefinitionsInvalid_) ExpressionsChanged();
}

void TCalculator::Open(const std::string& fileName) {
  Caption_ = kCaption;
  DocumentFileValid_ = true;
  DocumentFileName_ = fileName;
  // Anything at that name is read, so that a folder or device is refused
  // with its reason.
  std::error_code ec;
  if (std::filesystem::exists(fileName, ec)) ReadDocument();
  else DocumentFileValid_ = false;
}

// Before a save: the definitions must compile; the expressions are then
// evaluated again, so that the results pane and the history entry of the
// save hold the results.
bool TCalculator::PrepareSave() {
  Caption_ = kCaption;
  DefinitionsChanged();
  if (DefinitionsInvalid_) {
    Ui_.ShowMessage(kInvalidDefinitions);
    return false;
  }
  ExpressionsChanged();
  return true;
}

bool TCalculator::Save() { return PrepareSave() && WriteDocument(); }

bool TCalculator::SaveAs(const std::string& fileName) {
  if (!PrepareSave()) return false;
  const std::string formerName = DocumentFileName_;
  const bool formerValid = DocumentFileValid_;
  DocumentFileName_ = fileName;
  DocumentFileValid_ = true;
  if (WriteDocument()) return true;
  DocumentFileName_ = formerName;
  DocumentFileValid_ = formerValid;
  return false;
}

bool TCalculator::HasUnsavedChanges() const { return DocumentText(CurrentTexts()) != SavedDocument_; }

void TCalculator::FirstActivation() {
  if (Files_.DefaultDocument.empty()) {
    LoadDocumentText(DocumentText(DefaultDocumentTexts()));
    SavedDocument_ = DocumentText(CurrentTexts());
    return;
  }
  DocumentFileName_ = Files_.DefaultDocument;
  DocumentFileValid_ = true;
  if (!FileExists(DocumentFileName_)) {
    // Written from the start-up state; this first write is not a history
    // entry.
    std::string error;
    if (!WriteFileAtomic(DocumentFileName_, DocumentText(CurrentTexts()), error)) {
      Ui_.ShowMessage(error);
      LoadDocumentText(DocumentText(DefaultDocumentTexts()));
      SavedDocument_ = DocumentText(CurrentTexts());
      return;
    }
  }
  ReadDocument();
}

// ---- log and settings ---------------------------------------------------------------------

std::string TCalculator::LogStamp() const {
  int year, month, day, hour, minute, second, ms;
  DecodeDateTime(Clock_(), year, month, day, hour, minute, second, ms);
  const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
  std::string year4 = std::to_string(year);
  while (year4.size() < 4) year4.insert(year4.begin(), '0');
  return TwoDigits(month) + "." + TwoDigits(day) + "." + year4 + " " + TwoDigits(hour12) + ":" + TwoDigits(minute) +
         ":" + TwoDigits(second) + (hour < 12 ? " AM" : " PM");
}

void TCalculator::WriteToLogFile() {
  if (History_.Count() == 0 || Files_.LogFile.empty()) return;
  std::string entry(65, '=');
  entry += "\r\n" + LogStamp() + "\r\n\r\n" + History_.Entries().back();
  std::string error;
  if (!AppendToFile(Files_.LogFile, entry, error) && !LogFailureReported_) {
    LogFailureReported_ = true;
    Ui_.ShowMessage(error);
  }
}

void TCalculator::WriteToIniFile() {
  if (Files_.SettingsFile.empty()) return;
  Settings_.ErrorMessage = ErrorMessageView_;
  Settings_.CurrencyType = CurrencyMode_;
  Settings_.FilePath = DocumentFileName_;
  std::string error;
  // The file holds the database password: readable by its owner only.
  if (!WriteFileAtomic(Files_.SettingsFile, SettingsText(Settings_, Files_.ProgramFolder), error, true))
    Ui_.ShowMessage(error);
}

void TCalculator::ReadSettings() {
  if (Files_.SettingsFile.empty()) return;
  if (!FileExists(Files_.SettingsFile)) WriteToIniFile();
  std::string text, error;
  if (!ReadTextFile(Files_.SettingsFile, text, error, kSettingsFileLimit)) {
    Ui_.ShowMessage(error);
    return;
  }
  const TSettingsUpdate update = ReadSettingsText(text);
  GeometryRead_ = update.Geometry[0] || update.Geometry[1] || update.Geometry[2] || update.Geometry[3] ||
                  update.Geometry[4] || update.Geometry[5];
  ApplySettings(update, Settings_);
  if (update.ErrorMessage) SetErrorMessageView(*update.ErrorMessage);
  CurrencyMode_ = false;
}

// ---- history --------------------------------------------------------------------------

void TCalculator::AddHistory() {
  if (History_.Add(TakeSnapshot())) WriteToLogFile();
}

// True when a history entry holds the panes shown (results aside, which
// follow from the panes).
bool TCalculator::ShowsEntry(const std::string& entry) const {
  const std::optional<TSections> shown = ReadSnapshotSections(TakeSnapshot());
  const std::optional<TSections> kept = ReadSnapshotSections(entry);
  if (!shown || !kept) return false;
  for (std::size_t i = 0; i < shown->size(); ++i)
    if (!EqualsIgnoringCase((*shown)[i], (*kept)[i])) return false;
  return true;
}

void TCalculator::Undo() {
  if (!History_.UndoEnabled() || !CheckBraces("Cannot keep this state in the history")) return;
  const std::vector<std::string>& entries = History_.Entries();
  if (std::none_of(entries.begin(), entries.end(), [&](const std::string& e) { return ShowsEntry(e); })) AddHistory();
  // Back to the nearest entry that differs from what the panes show.
  while (std::optional<std::string> entry = History_.Undo())
    if (!ShowsEntry(*entry)) {
      RestoreSnapshot(*entry);
      return;
    }
}

void TCalculator::Redo() {
  while (std::optional<std::string> entry = History_.Redo())
    if (!ShowsEntry(*entry)) {
      RestoreSnapshot(*entry);
      return;
    }
}

void TCalculator::ReloadCurrentEntry() {
  if (std::optional<std::string> entry = History_.Current()) RestoreSnapshot(*entry);
}

void TCalculator::ClearHistory() { History_.Clear(); }

void TCalculator::ClearExpressions() {
  if (!CheckBraces("Cannot keep this state in the history")) return;
  AddHistory();
  ResultsText_.clear();
  ExpressionsText_.clear();
  ResultsShown_ = false;
}

// ---- help -----------------------------------------------------------------------------

std::string TCalculator::HelpText() const {
  const std::string rule(52, '=');
  std::string out = "COMMAND SHORTCUTS\n" + rule +
                    "\nClear -> [Esc]\nUndo ->  [F1]\nRedo ->  [F2]\n"
                    "Memo Zoom In ->  [Ctrl+'Gray +']\nMemo Zoom Out ->  [Ctrl+'Gray -']\n"
                    "Form Zoom In ->  [Ctrl+Shift+'Gray +']\nForm Zoom Out ->  [Ctrl+Shift+'Gray -']\n\n"
                    "BUILT-IN FUNCTIONS\n" +
                    rule + "\n";
  const int n = Definitions_->FunctionCodeCount();
  for (int code = 0; code <= n; ++code) {
    out += std::to_string(code) + ".  " + Definitions_->HelpText(code) + "\n";
    if (const TFunctionDescription* d = DescriptionOfCode(*Definitions_, code)) out += DescriptionLine(*d) + "\n";
  }
  out += rule + "\nType Info = " + THelmaxComplexEval::TypeBanner();
  return out;
}

}  // namespace helmax
