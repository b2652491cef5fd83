// The one-line wording of an engine error state, shared by every window that
// owns an engine. The parse-error and execute-error handlers differ only in
// which codes they word themselves; every other code shows the engine's own
// message unchanged.
#include "ErrorText.h"
#include "FixedTexts.h"

#include <cstddef>
#include <string>

#include "HelmaxComplexEval.h"
#include "Operations.h"
#include "TextUtil.h"

namespace helmax {
namespace {

// Longest detail part (" : " included), counted in characters.
constexpr std::size_t kMaxDetailChars = 256;

constexpr int kFirstBuiltinNumber = FunctionNumber(opFirstBuiltin);
constexpr int kLastBuiltinNumber = FunctionNumber(opLastBuiltin);
constexpr int kFirstExternalNumber = FunctionNumber(opFirstExternal);

// " : " and everything after the first ":" of the message, cut to its first
// 256 characters and lower-cased; empty when the message has no ":".
std::string Detail(std::string_view message) {
  const std::size_t colon = message.find(':');
  if (colon == std::string_view::npos) return {};
  std::string whole = " : ";
  whole.append(message.substr(colon + 1));
  return ToLowerAscii(CutCharacters(whole, kMaxDetailChars));
}

std::string KindSuffix(int kind) {
  switch (kind) {
    case mkNonMath: return texts::kNonmathSuffix;
    case mkOverflow: return texts::kOverflowSuffix;
    case mkUnderflow: return texts::kUnderflowSuffix;
    case mkInvalidArgument: return texts::kInvalidArgumentSuffix;
    case mkZeroDivide: return texts::kZeroDivideSuffix;
    case mkInvalidOp: return texts::kInvalidOpSuffix;
    default: return {};
  }
}

// A failed function call: a wrong value when a floating-point (or other)
// exception kind is recorded, otherwise a wrong number of arguments.
std::string FunctionLine(std::string_view upperName, const std::string& detail, const std::string& kind) {
  if (!kind.empty()) return texts::kInvalidValueForPrefix + std::string(upperName) + detail + kind;
  return texts::kInvalidNumberOfFunctionArgumentsForPrefix + std::string(upperName);
}

// Fixed texts by code. Texts shown by both handlers have both flags set;
// withDetail appends the detail part.
struct TCodeRow {
  int Code;
  bool Parse;
  bool Execute;
  const char* Text;
  bool WithDetail;
};

constexpr TCodeRow kRows[] = {
    {ecNothingCompiled, true, true, texts::kNoMathExpressionWasParsed, false},
    {ecParentheses, true, false, texts::kMismatchedParenthesis, false},
    {ecDerivativeVariable, true, false, texts::kInvalidNameOfDerivativeVariable, true},
    {ecEmptyExpression, true, false, texts::kMathematicalExpressionIsEmpty, false},
    {ecEmptyIdentifier, true, false, texts::kIdentifierCannotBeEmpty, false},
    {ecIdentifierTooLong, true, false, texts::kIdentifierLengthIsTooLong, true},
    {ecInvalidIdentifier, true, false, texts::kInvalidIdentifier, true},
    {ecReservedName, true, false, texts::kIdentifierCannotBeAReservedName, true},
    {ecNameExists, true, false, texts::kIdentifierAlreadyExists, true},
    {ecDuplicateName, true, false, texts::kDublicatingUserIdentifier, true},
    {ecUnknownExpression, true, false, texts::kUnknownExpression, true},
    {ecExponentValue, true, false, texts::kInvalidExponentValue, true},
    {ecNotDerivationCompile, true, false, texts::kUseVerifySyntaxSemanticsAndDerivationForDifferentiation, false},
    {ecDerivativeErased, true, false, texts::kDerivativeExpressionStringWasErased, false},
    {ecValueCount, true, true, texts::kVariableCountAndValueCauntDoNotCorespond, false},
    {ecVectorOfExpressions, true, true, texts::kUseDoVectorOfMathExpressionsForCalculateAVectorOf, false},
    {ecTooManyFunctions, true, false, texts::kFunctionNumberMustBeLess, true},
    {ecFunctionWithoutAddress, true, false, texts::kFunctionAddressCannotBeNil, true},
    {ecProtected, true, false, texts::kCannotSetValueForProtectedExpression, true},
    {ecInvalidExpression, true, false, texts::kInvalidExpression, true},
    {ecExecution, false, true, texts::kExecutionError, true},
    {ecUnknownFunction, true, false, texts::kUndefinedFunction, true},
    {ecUnknownVariable, true, false, texts::kUndefinedVariable, true},
    {ecSyntax, true, false, texts::kSyntaxError, true},
    {ecComma, true, false, texts::kCommaSyntaxError, true},
    {ecFatal, false, true, texts::kFatalError, true},
    {ecFunctionName, true, false, texts::kInvalidFunctionName, true},
    {ecFunctionDefined, true, false, texts::kDublicatingDefinedFunction, true},
    {ecFunctionNotDefined, true, false, texts::kDefinedFunctionWasNotImplimented, true},
    {ecParameterCount, true, false, texts::kInvalidArgumentsNumberForDefinedFunction, true},
    {ecParameterName, true, false, texts::kInvalidArgumentNameForDefinedFunction, true},
    {ecDuplicateParameter, true, false, texts::kDublicatingArgumentNameForDefinedFunction, true},
    {ecFunctionStackOverflow, false, true, texts::kStackOverflow, true},
    {ecStopped, false, true, texts::kCalculationStopped, false},
    {ecTooLong, false, true, "Calculation stopped: too long", false},
    {ecOutOfMemory, true, true, texts::kOutOfMemory, false},
};

// Operator of the floating-point failure codes ecMultiply..ecAssign.
const char* OperatorOfCode(int code) {
  switch (code) {
    case ecMultiply: return "*";
    case ecDivide: return "/";
    case ecAdd: return "+";
    case ecSubtract: return "-";
    case ecPower: return "^";
    case ecAssign: return "=";
    default: return nullptr;
  }
}

}  // namespace

std::string FormatErrorLine(TErrorSide side, int errorCode, int mathErrorKind, std::string_view errorMessage,
                            const std::vector<std::string>& externalNames) {
  const std::string detail = Detail(errorMessage);
  const std::string kind = KindSuffix(mathErrorKind);

  if (errorCode >= kFirstBuiltinNumber && errorCode <= kLastBuiltinNumber)
    return FunctionLine(ToUpperAscii(BuiltinInfo(errorCode + opDefine).Name), detail, kind);

  if (const char* op = OperatorOfCode(errorCode)) {
    if (errorCode == ecDivide && mathErrorKind == mkZeroDivide)
      return side == TErrorSide::Execute ? texts::kDivisionBy0WithSpace : texts::kDivisionBy0;
    return std::string(texts::kInvalidValueForPrefix) + op + detail + kind;
  }

  for (const TCodeRow& row : kRows) {
    if (row.Code != errorCode) continue;
    if (!(side == TErrorSide::Parse ? row.Parse : row.Execute)) break;
    return row.WithDetail ? row.Text + detail : std::string(row.Text);
  }

  if (errorCode >= kFirstExternalNumber &&
      static_cast<std::size_t>(errorCode - kFirstExternalNumber) < externalNames.size())
    return FunctionLine(ToUpperAscii(externalNames[static_cast<std::size_t>(errorCode - kFirstExternalNumber)]), detail,
                        kind);

  return std::string(errorMessage);
}

// ---------------------------------------------------------------------------
// Engine handlers: the two functions bound to OnParseError and
// OnExecuteError, giving the line for the engine's current error state.
// ---------------------------------------------------------------------------

std::string ParseErrorLine(const THelmaxComplexEval& engine) {
  return FormatErrorLine(TErrorSide::Parse, engine.ErrorCode, engine.MathErrorKind, engine.ErrorMessage,
                         engine.ExternalFunctionNames());
}

std::string ExecuteErrorLine(const THelmaxComplexEval& engine) {
  return FormatErrorLine(TErrorSide::Execute, engine.ErrorCode, engine.MathErrorKind, engine.ErrorMessage,
                         engine.ExternalFunctionNames());
}

std::string PrefixedErrorLine(std::string_view prefix, TErrorSide side, const THelmaxComplexEval& engine) {
  return std::string(prefix) + (side == TErrorSide::Parse ? ParseErrorLine(engine) : ExecuteErrorLine(engine));
}

}  // namespace helmax
