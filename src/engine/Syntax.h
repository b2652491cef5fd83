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

// Removes parentheses that change nothing: pairs around a single operand and
// pairs directly inside another pair. Argument lists stay.
std::string RemoveRedundantParentheses(std::string_view text);

// Display form of a compiled text: redundant parentheses removed and signs in
// front of brackets simplified where that keeps the value (a-(-x) -> a+x).
std::string TidySigns(std::string_view text);

}  // namespace helmax
