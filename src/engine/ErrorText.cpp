// The one-line wording of an engine error state, shared by every window that
// owns an engine. The parse-error and execute-error handlers differ only in
// which codes they word themselves; every other code shows the engine's own
// message unchanged.
#include "ErrorText.h"

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
    case mkNonMath: return " : NONMATH";
    case mkOverflow: return " : Overflow";
    case mkUnderflow: return " : Underflow";
    case mkInvalidArgument: return " : InvalidArgument";
    case mkZeroDivide: return " : ZeroDivide";
    case mkInvalidOp: return " : InvalidOp";
    default: return {};
  }
}

// A failed function call: a wrong value when a floating-point (or other)
// exception kind is recorded, otherwise a wrong number of arguments.
std::string FunctionLine(std::string_view upperName, const std::string& detail, const std::string& kind) {
  if (!kind.empty()) return "Invalid value for " + std::string(upperName) + detail + kind;
  return "Invalid number of function arguments for: " + std::string(upperName);
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
    {ecNothingCompiled, true, true, "No math expression was parsed", false},
    {ecParentheses, true, false, "Mismatched parenthesis", false},
    {ecDerivativeVariable, true, false, "Invalid name of derivative variable", true},
    {ecEmptyExpression, true, false, "Mathematical expression is empty", false},
    {ecEmptyIdentifier, true, false, "Identifier cannot be empty", false},
    {ecIdentifierTooLong, true, false, "Identifier length is too long", true},
    {ecInvalidIdentifier, true, false, "Invalid identifier", true},
    {ecReservedName, true, false, "Identifier cannot be a reserved name", true},
    {ecNameExists, true, false, "Identifier already exists", true},
    {ecDuplicateName, true, false, "Dublicating user identifier", true},
    {ecUnknownExpression, true, false, "Unknown expression", true},
    {ecExponentValue, true, false, "Invalid exponent value", true},
    {ecNotDerivationCompile, true, false, "Use 'VerifySyntaxSemanticsAndDerivation' for differentiation", false},
    {ecDerivativeErased, true, false, "Derivative expression string was erased", false},
    {ecValueCount, true, true, "Variable count and value caunt do not corespond", false},
    {ecVectorOfExpressions, true, true, "Use 'DoVectorOfMathExpressions' for calculate a vector of math expression",
     false},
    {ecTooManyFunctions, true, false, "Function number must be less", true},
    {ecFunctionWithoutAddress, true, false, "Function address cannot be nil", true},
    {ecProtected, true, false, "Cannot set value for protected expression", true},
    {ecInvalidExpression, true, false, "Invalid expression", true},
    {ecExecution, false, true, "Execution error", true},
    {ecUnknownFunction, true, false, "Undefined function", true},
    {ecUnknownVariable, true, false, "Undefined variable", true},
    {ecSyntax, true, false, "Syntax error", true},
    {ecComma, true, false, "Comma syntax error", true},
    {ecFatal, false, true, "Fatal error", true},
    {ecFunctionName, true, false, "Invalid function name", true},
    {ecFunctionDefined, true, false, "Dublicating defined function", true},
    {ecFunctionNotDefined, true, false, "Defined function was not implimented", true},
    {ecParameterCount, true, false, "Invalid arguments number for defined function", true},
    {ecParameterName, true, false, "Invalid argument name for defined function", true},
    {ecDuplicateParameter, true, false, "Dublicating argument name for defined function", true},
    {ecFunctionStackOverflow, false, true, "Stack overflow", true},
    {ecStopped, false, true, "Calculation stopped", false},
    {ecTooLong, false, true, "Calculation stopped: too long", false},
    {ecOutOfMemory, true, true, "Out of memory", false},
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
      return side == TErrorSide::Execute ? "Division by 0 " : "Division by 0";
    return std::string("Invalid value for ") + op + detail + kind;
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
