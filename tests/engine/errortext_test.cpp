// The host's one-line wording of engine error states.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ErrorText.h"

namespace helmax {
namespace {

using Side = TErrorSide;

// A message with one ":"; what follows it, lower-cased, is the detail.
const std::string kMessage = "Where-> WHAT HAPPENED: Name(X) ";
const std::string kDetail = " :  name(x) ";
const std::vector<std::string> kNoExternals;

std::string Parse(int code, int kind = -1, const std::string& message = kMessage,
                  const std::vector<std::string>& externals = kNoExternals) {
  return FormatErrorLine(Side::Parse, code, kind, message, externals);
}

std::string Execute(int code, int kind = -1, const std::string& message = kMessage,
                    const std::vector<std::string>& externals = kNoExternals) {
  return FormatErrorLine(Side::Execute, code, kind, message, externals);
}

// Every negative code with a fixed line, on both sides; nullopt: that side
// has no row, so the engine's message shows unchanged.
struct FixedRow {
  int code;
  std::optional<std::string> parse;
  std::optional<std::string> execute;
};

const FixedRow kFixedRows[] = {
    {-1, "No math expression was parsed", "No math expression was parsed"},
    {-2, "Mismatched parenthesis", std::nullopt},
    {-3, "Invalid name of derivative variable" + kDetail, std::nullopt},
    {-4, "Mathematical expression is empty", std::nullopt},
    {-5, "Identifier cannot be empty", std::nullopt},
    {-6, "Identifier length is too long" + kDetail, std::nullopt},
    {-7, "Invalid identifier" + kDetail, std::nullopt},
    {-8, "Identifier cannot be a reserved name" + kDetail, std::nullopt},
    {-9, "Identifier already exists" + kDetail, std::nullopt},
    {-10, "Dublicating user identifier" + kDetail, std::nullopt},
    {-11, "Unknown expression" + kDetail, std::nullopt},
    {-12, "Invalid exponent value" + kDetail, std::nullopt},
    {-13, std::nullopt, std::nullopt},
    {-14, std::nullopt, std::nullopt},
    {-15, "Use 'VerifySyntaxSemanticsAndDerivation' for differentiation", std::nullopt},
    {-16, "Derivative expression string was erased", std::nullopt},
    {-17, "Variable count and value caunt do not corespond", "Variable count and value caunt do not corespond"},
    {-18, "Use 'DoVectorOfMathExpressions' for calculate a vector of math expression",
     "Use 'DoVectorOfMathExpressions' for calculate a vector of math expression"},
    {-19, "Function number must be less" + kDetail, std::nullopt},
    {-20, "Function address cannot be nil" + kDetail, std::nullopt},
    {-21, "Cannot set value for protected expression" + kDetail, std::nullopt},
    {-22, "Invalid expression" + kDetail, std::nullopt},
    {-23, std::nullopt, "Execution error" + kDetail},
    {-24, std::nullopt, std::nullopt},
    {-31, "Undefined function" + kDetail, std::nullopt},
    {-32, "Undefined variable" + kDetail, std::nullopt},
    {-33, "Syntax error" + kDetail, std::nullopt},
    {-34, "Comma syntax error" + kDetail, std::nullopt},
    {-35, std::nullopt, "Fatal error" + kDetail},
    {-36, "Invalid function name" + kDetail, std::nullopt},
    {-37, "Dublicating defined function" + kDetail, std::nullopt},
    {-38, "Defined function was not implimented" + kDetail, std::nullopt},
    {-39, "Invalid arguments number for defined function" + kDetail, std::nullopt},
    {-40, "Invalid argument name for defined function" + kDetail, std::nullopt},
    {-41, "Dublicating argument name for defined function" + kDetail, std::nullopt},
    {-42, std::nullopt, "Stack overflow" + kDetail},
    {-43, std::nullopt, "Calculation stopped"},
    {-44, std::nullopt, "Calculation stopped: too long"},
    {-45, "Out of memory", "Out of memory"},
    {-46, std::nullopt, std::nullopt},
    {0, std::nullopt, std::nullopt},
};

TEST(ErrorTextTest, FixedLinesOnEachSide) {
  for (const FixedRow& row : kFixedRows) {
    SCOPED_TRACE("code " + std::to_string(row.code));
    EXPECT_EQ(Parse(row.code), row.parse.value_or(kMessage));
    EXPECT_EQ(Execute(row.code), row.execute.value_or(kMessage));
    // The fixed lines never carry a kind, even when one is recorded.
    EXPECT_EQ(Parse(row.code, 5), row.parse.value_or(kMessage));
    EXPECT_EQ(Execute(row.code, 0), row.execute.value_or(kMessage));
  }
}

TEST(ErrorTextTest, MessageWithoutColonGivesNoDetail) {
  const std::string plain = "Compile-> SYNTAX ERROR X=";
  EXPECT_EQ(Parse(-33, -1, plain), "Syntax error");
  EXPECT_EQ(Execute(-23, -1, plain), "Execution error");
  EXPECT_EQ(Parse(-25, 1, plain), "Invalid value for * : Overflow");
  EXPECT_EQ(Parse(-2, -1, plain), "Mismatched parenthesis");
  EXPECT_EQ(Execute(-2, -1, plain), plain);
}

struct OperatorRow {
  int code;
  int kind;
  std::string parse;
  std::string execute;
};

TEST(ErrorTextTest, OperatorFailuresCarryDetailAndKind) {
  const OperatorRow rows[] = {
      {-25, 1, "Invalid value for *" + kDetail + " : Overflow", "Invalid value for *" + kDetail + " : Overflow"},
      {-26, 5, "Invalid value for /" + kDetail + " : InvalidOp", "Invalid value for /" + kDetail + " : InvalidOp"},
      {-26, -1, "Invalid value for /" + kDetail, "Invalid value for /" + kDetail},
      {-26, 4, "Division by 0", "Division by 0 "},
      {-27, 0, "Invalid value for +" + kDetail + " : NONMATH", "Invalid value for +" + kDetail + " : NONMATH"},
      {-28, 2, "Invalid value for -" + kDetail + " : Underflow", "Invalid value for -" + kDetail + " : Underflow"},
      {-29, 3, "Invalid value for ^" + kDetail + " : InvalidArgument",
       "Invalid value for ^" + kDetail + " : InvalidArgument"},
      {-30, 4, "Invalid value for =" + kDetail + " : ZeroDivide", "Invalid value for =" + kDetail + " : ZeroDivide"},
      {-30, -1, "Invalid value for =" + kDetail, "Invalid value for =" + kDetail},
  };
  for (const OperatorRow& row : rows) {
    SCOPED_TRACE("code " + std::to_string(row.code) + " kind " + std::to_string(row.kind));
    EXPECT_EQ(Parse(row.code, row.kind), row.parse);
    EXPECT_EQ(Execute(row.code, row.kind), row.execute);
  }
}

TEST(ErrorTextTest, KindSuffixes) {
  const std::pair<int, std::string> rows[] = {
      {-1, ""},
      {0, " : NONMATH"},
      {1, " : Overflow"},
      {2, " : Underflow"},
      {3, " : InvalidArgument"},
      {4, " : ZeroDivide"},
      {5, " : InvalidOp"},
  };
  for (const auto& [kind, suffix] : rows) {
    SCOPED_TRACE("kind " + std::to_string(kind));
    EXPECT_EQ(Parse(-25, kind), "Invalid value for *" + kDetail + suffix);
    EXPECT_EQ(Execute(-28, kind), "Invalid value for -" + kDetail + suffix);
  }
}

struct FunctionRow {
  int code;
  int kind;
  std::string line;
};

TEST(ErrorTextTest, BuiltinFunctionsByNumber) {
  const FunctionRow rows[] = {
      {1, -1, "Invalid number of function arguments for: PI"},
      {7, -1, "Invalid number of function arguments for: SQRT"},
      {7, 5, "Invalid value for SQRT" + kDetail + " : InvalidOp"},
      {7, 0, "Invalid value for SQRT" + kDetail + " : NONMATH"},
      {9, 4, "Invalid value for LN" + kDetail + " : ZeroDivide"},
      {37, -1, "Invalid number of function arguments for: AND"},
      {42, -1, "Invalid number of function arguments for: WHILE"},
      {76, -1, "Invalid number of function arguments for: DIRECTEDINFINITY"},
      {92, 5, "Invalid value for COMPLEXFROMPOLAR" + kDetail + " : InvalidOp"},
      {97, 1, "Invalid value for INF" + kDetail + " : Overflow"},
  };
  for (const FunctionRow& row : rows) {
    SCOPED_TRACE("code " + std::to_string(row.code) + " kind " + std::to_string(row.kind));
    EXPECT_EQ(Parse(row.code, row.kind), row.line);
    EXPECT_EQ(Execute(row.code, row.kind), row.line);
  }
}

TEST(ErrorTextTest, ExternalFunctionsByRegistrationOrder) {
  const std::vector<std::string> externals = {"Now", "my_Func2"};
  const FunctionRow rows[] = {
      {98, -1, "Invalid number of function arguments for: NOW"},
      {98, 3, "Invalid value for NOW" + kDetail + " : InvalidArgument"},
      {99, -1, "Invalid number of function arguments for: MY_FUNC2"},
      {99, 0, "Invalid value for MY_FUNC2" + kDetail + " : NONMATH"},
      // Past the external functions: a run-time function shows the message.
      {100, -1, kMessage},
      {100, 5, kMessage},
  };
  for (const FunctionRow& row : rows) {
    SCOPED_TRACE("code " + std::to_string(row.code) + " kind " + std::to_string(row.kind));
    EXPECT_EQ(Parse(row.code, row.kind, kMessage, externals), row.line);
    EXPECT_EQ(Execute(row.code, row.kind, kMessage, externals), row.line);
  }
  // Without external functions, 98 is already a run-time function.
  EXPECT_EQ(Parse(98, 5), kMessage);
  EXPECT_EQ(Execute(98, -1), kMessage);
}

struct DetailRow {
  const char* name;
  std::string message;
  std::string line;  // of code -33 on the parse side
};

TEST(ErrorTextTest, DetailIsCutAndLowerCased) {
  const std::string a300(300, 'A');
  const std::string a253(253, 'a');
  std::string e300, e253;  // "É" is two bytes; it is not an ASCII letter and keeps its case
  for (int i = 0; i < 300; ++i) e300 += "\xC3\x89";
  for (int i = 0; i < 253; ++i) e253 += "\xC3\x89";
  std::string mixed300, mixed253;  // one-, two-, three- and four-byte characters in turn
  const char* pieces[] = {"Q", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
  const char* lowered[] = {"q", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
  for (int i = 0; i < 300; ++i) mixed300 += pieces[i % 4];
  for (int i = 0; i < 253; ++i) mixed253 += lowered[i % 4];

  const DetailRow rows[] = {
      {"only the first colon counts", "Op-> A: B : C:D", "Syntax error :  b : c:d"},
      {"colon at the end", "Compile-> SYNTAX ERROR :", "Syntax error : "},
      {"colon at the start", ":X", "Syntax error : x"},
      {"ascii letters only are lowered", "Op-> X: MiXeD_09 \xC3\x89T\xC3\xA9",
       "Syntax error :  mixed_09 \xC3\x89t\xC3\xA9"},
      {"exactly 256 characters stay", "Op->:" + std::string(253, 'B'), "Syntax error : " + std::string(253, 'b')},
      {"long ascii is cut", "Op-> X:" + a300, "Syntax error : " + a253},
      {"long two-byte text is cut at characters", "Op-> X:" + e300, "Syntax error : " + e253},
      {"mixed widths are cut at characters", "Op-> X:" + mixed300, "Syntax error : " + mixed253},
  };
  for (const DetailRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Parse(-33, -1, row.message), row.line);
  }
}

TEST(ErrorTextTest, CutDetailHasExactly256Characters) {
  const std::string line = Parse(-33, -1, "Compile-> SYNTAX ERROR :" + std::string(1000, 'Z'));
  const std::string prefix = "Syntax error";
  ASSERT_EQ(line.compare(0, prefix.size(), prefix), 0);
  EXPECT_EQ(line.size() - prefix.size(), 256u);
  // The kind follows the cut detail, uncut.
  const std::string withKind = Execute(-29, 1, "Op-> X:" + std::string(1000, 'Z'));
  EXPECT_EQ(withKind, "Invalid value for ^ : " + std::string(253, 'z') + " : Overflow");
}

}  // namespace
}  // namespace helmax
