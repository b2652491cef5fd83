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

// First built-in function number and last; function number n is the
// built-in at operation code n + 7.
constexpr int kFirstBuiltinNumber = 1;
constexpr int kLastBuiltinNumber = 97;
constexpr int kFirstExternalNumber = 98;

constexpr int kZeroDivideKind = 4;

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
    case 0: return " : NONMATH";
    case 1: return " : Overflow";
    case 2: return " : Underflow";
    case 3: return " : InvalidArgument";
    case 4: return " : ZeroDivide";
    case 5: return " : InvalidOp";
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
    {-1, true, true, "No math expression was parsed", false},
    {-2, true, false, "Mismatched parenthesis", false},
    {-3, true, false, "Invalid name of derivative variable", true},
    {-4, true, false, "Mathematical expression is empty", false},
    {-5, true, false, "Identifier cannot be empty", false},
    {-6, true, false, "Identifier length is too long", true},
    {-7, true, false, "Invalid identifier", true},
    {-8, true, false, "Identifier cannot be a reserved name", true},
    {-9, true, false, "Identifier already exists", true},
    {-10, true, false, "Dublicating user identifier", true},
    {-11, true, false, "Unknown expression", true},
    {-12, true, false, "Invalid exponent value", true},
    {-15, true, false, "Use 'VerifySyntaxSemanticsAndDerivation' for differentiation", false},
    {-16, true, false, "Derivative expression string was erased", false},
    {-17, true, true, "Variable count and value caunt do not corespond", false},
    {-18, true, true, "Use 'DoVectorOfMathExpressions' for calculate a vector of math expression", false},
    {-19, true, false, "Function number must be less", true},
    {-20, true, false, "Function address cannot be nil", true},
    {-21, true, false, "Cannot set value for protected expression", true},
    {-22, true, false, "Invalid expression", true},
    {-23, false, true, "Execution error", true},
    {-31, true, false, "Undefined function", true},
    {-32, true, false, "Undefined variable", true},
    {-33, true, false, "Syntax error", true},
    {-34, true, false, "Comma syntax error", true},
    {-35, false, true, "Fatal error", true},
    {-36, true, false, "Invalid function name", true},
    {-37, true, false, "Dublicating defined function", true},
    {-38, true, false, "Defined function was not implimented", true},
    {-39, true, false, "Invalid arguments number for defined function", true},
    {-40, true, false, "Invalid argument name for defined function", true},
    {-41, true, false, "Dublicating argument name for defined function", true},
    {-42, false, true, "Stack overflow", true},
};

// Operator of the floating-point failure codes -25..-30.
const char* OperatorOfCode(int code) {
  switch (code) {
    case -25: return "*";
    case -26: return "/";
    case -27: return "+";
    case -28: return "-";
    case -29: return "^";
    case -30: return "=";
    default: return nullptr;
  }
}

}  // namespace

std::string FormatErrorLine(TErrorSide side, int errorCode, int mathErrorKind, std::string_view errorMessage,
                            const std::vector<std::string>& externalNames) {
  const std::string detail = Detail(errorMessage);
  const std::string kind = KindSuffix(mathErrorKind);

  if (errorCode >= kFirstBuiltinNumber && errorCode <= kLastBuiltinNumber)
    return FunctionLine(ToUpperAscii(BuiltinInfo(errorCode + opFirstBuiltin - 1).Name), detail, kind);

  if (const char* op = OperatorOfCode(errorCode)) {
    if (errorCode == -26 && mathErrorKind == kZeroDivideKind)
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
    return FunctionLine(ToUpperAscii(externalNames[static_cast<std::size_t>(errorCode - kFirstExternalNumber)]),
                        detail, kind);

  return std::string(errorMessage);
}

// ---------------------------------------------------------------------------
// Engine handlers: the two functions bound to OnParseError and
// OnExecuteError, giving the line for the engine's current error state.
// ---------------------------------------------------------------------------

std::string ParseErrorMesssage(const THelmaxComplexEval& engine) {
  return FormatErrorLine(TErrorSide::Parse, engine.ErrorCode, engine.MathErrorKind, engine.ErrorMessage,
                         engine.ExternalFunctionNames());
}

std::string ExecuteErrorMesssage(const THelmaxComplexEval& engine) {
  return FormatErrorLine(TErrorSide::Execute, engine.ErrorCode, engine.MathErrorKind, engine.ErrorMessage,
                         engine.ExternalFunctionNames());
}

}  // namespace helmax
