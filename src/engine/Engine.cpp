// Construction, variables, identifiers, release and inspection.
#include <chrono>
#include <string>

#include "FixedTexts.h"
#include "HelmaxComplexEval.h"
#include "Operations.h"
#include "TextUtil.h"

namespace helmax {

namespace {
// Codes are 16 bits wide and the built-ins take the first ones.
constexpr int kMaxExternalFunctions = 65535 - opLastBuiltin;  // 65431
}  // namespace

THelmaxComplexEval::THelmaxComplexEval() = default;

void THelmaxComplexEval::MakeRandomEngine() {
  Random_ = std::make_unique<std::mt19937_64>(
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(this)));
}

THelmaxComplexEval::THelmaxComplexEval(const TUserFuncArray& functions) : THelmaxComplexEval() {
  InitFunctions(functions);
}

THelmaxComplexEval::~THelmaxComplexEval() {
  Error = false;
  ErrorMessage.clear();
  FreeInternal();
  UserFunctions_.clear();
  ExternalIndex_.clear();
}

void THelmaxComplexEval::InitFunctions(const TUserFuncArray& functions) {
  if (functions.size() > static_cast<std::size_t>(kMaxExternalFunctions)) {
    Error = true;
    ErrorMessage = texts::kCreateFunctionNumberMustBeLessThanPrefix + std::to_string(kMaxExternalFunctions);
    ErrorCode = ecTooManyFunctions;
    return;
  }
  UserFunctions_.clear();
  UserFunctions_.reserve(functions.size());
  for (const TUserFuncRec& f : functions) {
    bool hasAddress = false;
    switch (f.Kind) {
      case ufProcedure: hasAddress = f.Procedure != nullptr; break;
      case ufMethod: hasAddress = static_cast<bool>(f.Method); break;
      case ufStdCallFunction: hasAddress = f.StdCallFunction != nullptr; break;
      case ufStdCallProcedure: hasAddress = f.StdCallProcedure != nullptr; break;
      default: hasAddress = false;
    }
    if (!hasAddress) {
      Error = true;
      ErrorMessage = texts::kCreateFunctionAddressCannotBeNilPrefix + f.Name;
      ErrorCode = ecFunctionWithoutAddress;
      UserFunctions_.clear();
      ExternalIndex_.clear();
      return;
    }
    if (!IsValidIdentName(f.Name)) {
      Error = true;
      UserFunctions_.clear();
      ExternalIndex_.clear();
      return;
    }
    TUserFuncRec copy = f;
    copy.Name = std::string(Trim(f.Name));
    copy.Tag = 0;
    ExternalIndex_.emplace(ToLowerAscii(copy.Name), static_cast<int>(UserFunctions_.size()));
    UserFunctions_.push_back(std::move(copy));
  }
}

std::string THelmaxComplexEval::EngineBanner() { return "HELMAX COMPLEX & CURRENCY EVAL\u2122 1.2.1"; }

std::string THelmaxComplexEval::TypeBanner() { return texts::kComplexDoubleCurrencyBooleanDatetime; }

void THelmaxComplexEval::SetOriginalMathExpressionString(bool v) {
  OriginalMathExpressionString_ = v;
  MathExpressionString.clear();
  DerivativeString.clear();
}

void THelmaxComplexEval::SetCurrencyNumbers(bool v) {
  Free();
  CurrencyNumbers_ = v;
}

// ---- identifiers and variables -------------------------------------------------

bool THelmaxComplexEval::IsValidIdentName(std::string_view rawName) {
  std::string name = ToLowerAscii(StripEnclosingParentheses(Trim(rawName)));
  auto fail = [&](int code, std::string message) {
    ErrorCode = code;
    ErrorMessage = std::move(message);
    return false;
  };
  if (name.empty()) return fail(ecEmptyIdentifier, texts::kIsValidIdentNameIdentifierNameCannotBeEmpty);
  if (!IsIdentifier(name))
    return fail(ecInvalidIdentifier, texts::kIsValidIdentNameNotValidPascalIdentifierPrefix + name);
  if (name.size() >= 256)
    return fail(ecIdentifierTooLong, texts::kIsValidIdentNameIdentifierLengthMustBeLessThanPrefix + name);
  if (FindBuiltin(name) != 0)
    return fail(ecReservedName, texts::kIsValidIdentNameIdentifierCannotBeAReservedNamePrefix + name);
  if (FindVariable(name) >= 0)
    return fail(ecNameExists, texts::kIsValidIdentNameIdentifierNameAlreadyExistPrefix + name);
  if (ExternalIndex_.count(name) != 0 || RunTimeFunctionIndex_.count(name) != 0)
    return fail(ecDuplicateName, texts::kIsValidIdentNameDublicatingUserIdentifierNamePrefix + name);
  return true;
}

int THelmaxComplexEval::FindVariable(std::string_view lowerName) const {
  auto it = VariableIndex_.find(std::string(lowerName));
  return it == VariableIndex_.end() ? -1 : it->second;
}

bool THelmaxComplexEval::AddOrRenameVariable(const char* op, int index, std::string_view name, bool trimName,
                                             bool isProtected, bool useProtectedArg, TValue* cell) {
  ErrorMessage.clear();
  Error = !IsValidIdentName(name);
  if (Error) return false;
  const int count = VariableCount();
  std::string stored = trimName ? std::string(Trim(name)) : std::string(name);
  std::string key = ToLowerAscii(Trim(name));
  if (index == count + 1) {
    TVariable& rec = VariableStore_.emplace_back();
    rec.Name = std::move(stored);
    if (cell != nullptr) {
      rec.Value = cell;
      rec.External = 1;
    } else {
      rec.Value = NewCell();
      rec.External = 0;
    }
    if (useProtectedArg) {
      rec.Protected = isProtected ? 1 : 0;
    } else {
      const char last = key.empty() ? ' ' : key.back();
      const bool digit = last >= '0' && last <= '9';
      rec.Protected = (digit ? ProtectDigitVariables : ProtectOtherVariables) ? 1 : 0;
    }
    Variables_.push_back(&rec);
    VariableIndex_.emplace(std::move(key), count);
    return true;
  }
  if (index >= 1 && index <= count) {
    TVariable& rec = *Variables_[static_cast<std::size_t>(index - 1)];
    VariableIndex_.erase(ToLowerAscii(Trim(rec.Name)));
    rec.Name = std::move(stored);
    *rec.Value = TValue();
    VariableIndex_.emplace(std::move(key), index - 1);
    return true;
  }
  Error = true;
  if (count == 0) ErrorMessage = std::string(op) + "-> NO VARIABLES EXIST";
  else ErrorMessage = std::string(op) + "-> VARIABLE INDEX MUST BE BETWEEN 1 AND " + std::to_string(count + 1);
  return false;
}

bool THelmaxComplexEval::NameVariable(int index, std::string_view name) {
  return AddOrRenameVariable("PuneNumeVar", index, name, true, false, false, nullptr);
}

bool THelmaxComplexEval::NameSharedVariable(int index, std::string_view name, bool isProtected, TValue* cell) {
  return AddOrRenameVariable("PuneNumePointerVar", index, name, false, isProtected, true, cell);
}

// ---- release -------------------------------------------------------------------

void THelmaxComplexEval::FreeInternal() {
  ErrorPosition_ = std::string::npos;
  FunctionStack_.clear();
  FunctionStackTop_ = 0;
  MainProgram_.clear();
  WhileRecords_.clear();
  IfRecords_.clear();
  RunTimeFunctions_.clear();
  RunTimeFunctionIndex_.clear();
  ControlIndex_.clear();
  Variables_.clear();
  VariableStore_.clear();
  VariableIndex_.clear();
  CompiledCells_.Reset();
  OperandArrays_.Reset();
  Instructions_.clear();
  ForgetFastProgram();
  RunDepth_ = 0;
  FailedStatement_ = -1;
  ErrorCode = 0;
  ExpressionCount = 0;
  Results = nullptr;
  DerivativeString.clear();
  DerivativeVariable.clear();
  DerivationMode = false;
  MathExpressionString.clear();
  LinearExpression = true;
  DependsOnVariables = false;
  InvariantExpression = false;
  ProtectedExpression = false;
}

void THelmaxComplexEval::TrimStorage() {
  ShrinkIfOversized(Instructions_);
  ShrinkIfOversized(MainProgram_);
  ShrinkIfOversized(ControlIndex_);
  ShrinkIfOversized(FunctionStack_);
  CompiledCells_.Trim();
  OperandArrays_.Trim();
  if (VariableIndex_.bucket_count() > 4 * VariableIndex_.size() + 1024) VariableIndex_.rehash(0);
}

void THelmaxComplexEval::Free() {
  Error = false;
  ErrorMessage.clear();
  FreeInternal();
}

void THelmaxComplexEval::FireParseError() {
  if (OnParseError) OnParseError(*this);
}

void THelmaxComplexEval::FireExecuteError() {
  ErrorPosition_ = std::string::npos;  // a run's failure has no place in the text
  if (OnExecuteError) OnExecuteError(*this);
}

// ---- differentiation ----------------------------------------------------------

void THelmaxComplexEval::GetDerivative(bool translate, std::string& text) {
  Error = false;
  text.clear();
  if (ExpressionCount == 0) {
    ErrorCode = ecNothingCompiled;
    ErrorMessage = texts::kGetDerivativeNoMathExpressionWasParsed;
  } else if (!DerivationMode) {
    ErrorCode = ecNotDerivationCompile;
    ErrorMessage = texts::kGetDerivativeYouMustUseVerifySyntaxSemanticsAndDerivationMethod;
  } else if (DerivativeString.empty()) {
    ErrorCode = ecDerivativeErased;
    ErrorMessage = texts::kGetDerivativeDerivativeExpressionWasErased;
  } else {
    text = translate ? ToBracketNotation(DerivativeString) : DerivativeString;
    return;
  }
  Error = true;
  ErrorPosition_ = std::string::npos;
  FireParseError();
}

TEngineError THelmaxComplexEval::LastError() const {
  if (!Error) return {};
  return {ErrorCode, MathErrorKind, ErrorMessage, ErrorPosition_};
}

// ---- inspection ------------------------------------------------------------------

std::string THelmaxComplexEval::GetVarName(int i) const {
  if (i < 1 || i > VariableCount()) return std::string();
  return Variables_[static_cast<std::size_t>(i - 1)]->Name;
}

std::string THelmaxComplexEval::ExternalFunctionName(int i) const {
  if (i < 0 || i >= ExternalFunctionCount()) return texts::kIncorrectFunctionIndex;
  return UserFunctions_[static_cast<std::size_t>(i)].Name;
}

std::vector<std::string> THelmaxComplexEval::ExternalFunctionNames() const {
  std::vector<std::string> names;
  names.reserve(UserFunctions_.size());
  for (const TUserFuncRec& f : UserFunctions_) names.push_back(f.Name);
  return names;
}

std::string THelmaxComplexEval::RunTimeFunctionText(int i) const {
  if (i < 0 || i >= RunTimeFunctionCount()) return std::string();
  return RunTimeFunctions_[static_cast<std::size_t>(i)].Definition;
}

int THelmaxComplexEval::FunctionCodeCount() const {
  return opLastBuiltin + ExternalFunctionCount() + RunTimeFunctionCount();
}

std::string THelmaxComplexEval::MathErrorKindText(int kind) { return helmax::MathErrorKindText(kind); }

std::string THelmaxComplexEval::HelpText(int code) const {
  const int e = ExternalFunctionCount();
  if (code >= 0 && code <= opLastBuiltin) return BuiltinHelpText(code);
  if (code >= opFirstExternal && code < opFirstExternal + e) {
    const TUserFuncRec& f = UserFunctions_[static_cast<std::size_t>(code - opFirstExternal)];
    const std::string name = ToUpperAscii(f.Name);
    if (f.ArgCount == kConstantFunction) return "CONSTANT '" + name + "' IS DEFINED BY USER";
    if (f.ArgCount == kOneOrMoreArguments)
      return "FUNCTION '" + name + "' WITH A VARIABLE NUMBER OF PARAMETERS IS DEFINED BY USER";
    const int n = f.ArgCount < 0 ? 0 : f.ArgCount;
    return "FUNCTION '" + name + "' WITH " + std::to_string(n) + " PARAMETERS IS DEFINED BY USER";
  }
  const int r = code - opFirstExternal - e;
  if (r >= 0 && r < RunTimeFunctionCount()) {
    const TRunTimeFunction& f = RunTimeFunctions_[static_cast<std::size_t>(r)];
    return "RUNTIME FUNCTION '" + ToUpperAscii(f.Name) + "' WITH " + std::to_string(f.ParamCount) +
           " PARAMETERS IS DEFINED BY USER";
  }
  return texts::kIndexMustBeBetween0AndPrefix + std::to_string(FunctionCodeCount());
}

// Name used in messages: the lower-case table name of a built-in, the
// registered name of an external or run-time function.
std::string THelmaxComplexEval::FunctionName(int code) const {
  if (code >= opFirstBuiltin && code <= opLastBuiltin) return BuiltinInfo(code).Name;
  const int e = ExternalFunctionCount();
  if (code >= opFirstExternal && code < opFirstExternal + e)
    return UserFunctions_[static_cast<std::size_t>(code - opFirstExternal)].Name;
  const int r = code - opFirstExternal - e;
  if (r >= 0 && r < RunTimeFunctionCount()) return RunTimeFunctions_[static_cast<std::size_t>(r)].Name;
  return std::string();
}

}  // namespace helmax
