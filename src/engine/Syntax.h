// Source normalisation passes and the token reader used by the compiler.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace helmax {

// Outcome of a pass: code 0 means success.
struct TPassError {
  std::int32_t Code = 0;
  std::string Message;
  // Where in the pass's input the fault was found, when the pass can say.
  std::size_t Position = std::string::npos;
  explicit operator bool() const { return Code != 0; }
};

// Parentheses of the raw text: balanced, and no ")" directly followed by "(".
TPassError CheckParentheses(std::string_view text);

// Removes blanks; two operands separated only by blanks are an error unless
// implicit multiplication is on, which then inserts "*". Braces and ")("
// are refused. operatorCount receives the number of operator characters.
TPassError RemoveBlanks(std::string_view text, bool implicitMultiplication, std::string& out,
                        std::size_t& operatorCount);

enum class TTokenType : std::uint8_t { Operand, ExpNumber, LParen, RParen, Comma, Operator };

// 12 bytes: a long text has as many tokens as characters, nearly. The
// value of an ExpNumber is read again from its text when it is compiled.
struct TToken {
  TTokenType Type;
  char Op = 0;            // operator character for Operator
  std::uint32_t Pos = 0;  // offset into the normalised text
  std::uint32_t Len = 0;
};

// Splits the normalised (blank-free, lower-case) text into tokens and reads
// numbers in exponent form ("2e-5", "0.1e+3").
TPassError Tokenize(std::string_view text, std::vector<TToken>& tokens);

// The passes above and the lowering between them, fused into two sweeps, for
// the usual text: no blank, no brace, parentheses in order and balanced, no
// ")(" and no run that starts with a digit or a point and holds an "e". Out,
// tokens and operatorCount are then what the passes would give. False for
// any other text (out and tokens left unspecified): it takes the passes one
// by one, which report its faults.
bool NormalisePlainText(std::string_view text, std::string& out, std::vector<TToken>& tokens,
                        std::size_t& operatorCount);

// Removes parentheses that change nothing: pairs around a single operand and
// pairs directly inside another pair. Argument lists stay.
std::string RemoveRedundantParentheses(std::string_view text);

// A number such as 1e5 or 2.5E10: decimal mantissa, e, unsigned integer
// exponent.
bool IsUnsignedExponentNumber(std::string_view s);

// The sign at s[pos] is an exponent's sign, as in 1e-5: it follows an e that
// closes a decimal mantissa and is followed by digits up to the next
// delimiter (or the end).
bool IsExponentSign(std::string_view s, std::size_t pos);

// Display form of a compiled text: redundant parentheses removed and signs in
// front of brackets simplified where that keeps the value (a-(-x) -> a+x).
std::string TidySigns(std::string_view text);

}  // namespace helmax
