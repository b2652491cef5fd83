#include "Syntax.h"

#include "ErrorCodes.h"
#include "TextUtil.h"
#include "Value.h"

namespace helmax {

TPassError CheckParentheses(std::string_view text) {
  // Scanning stops once more ")" than "(" have been seen; the totals of the
  // whole text must still agree.
  long depth = 0, opened = 0, closed = 0;
  bool adjacent = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (i + 1 < text.size() && text[i + 1] == '(') {
        adjacent = true;
        break;
      }
      if (--depth < 0) break;
    }
  }
  for (char c : text) {
    if (c == '(') ++opened;
    else if (c == ')') ++closed;
  }
  if (adjacent) return {ecInvalidExpression, "VerifySyntaxSemanticsRule-> PARANTHESES SYNTAX ERROR"};
  if (opened != closed) return {ecParentheses, "VerifySyntaxSemanticsRule-> PARANTHESES SYNTAX ERROR"};
  return {};
}

TPassError RemoveBlanks(std::string_view text, bool implicitMultiplication, std::string& out,
                        std::size_t& operatorCount) {
  out.clear();
  out.reserve(text.size());
  operatorCount = 0;
  bool lastWasDelimiter = true;  // the start of the text counts as one
  bool afterSpaces = false;
  // The operand since the last delimiter, blanks left out: only the failure
  // messages quote it.
  std::size_t operandFrom = 0;
  auto operand = [&](std::size_t upTo) {
    std::string s;
    for (std::size_t k = operandFrom; k < upTo; ++k)
      if (text[k] != ' ') s += text[k];
    return s;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ') {
      afterSpaces = true;
      continue;
    }
    if (c == '{' || c == '}') return {ecUnknownExpression, "StergeSpatii-> UNKNOWN EXPRESSION: " + operand(i) + c};
    const bool delimiter = IsDelimiter(c);
    if (afterSpaces) {
      afterSpaces = false;
      if (!delimiter && !lastWasDelimiter) {
        if (!implicitMultiplication)
          return {ecUnknownExpression, "StergeSpatii-> UNKNOWN EXPRESSION: " + operand(i) + "'_'"};
        if (out.empty() || out.back() != '(') {
          out += '*';
          ++operatorCount;
        }
      } else if (implicitMultiplication && (c == '(' || !delimiter) && !out.empty()) {
        if ((!lastWasDelimiter && out.back() != '(') || (lastWasDelimiter && out.back() == ')')) {
          out += '*';
          ++operatorCount;
        }
      }
    }
    if (c == '(' && !out.empty() && out.back() == ')')
      return {ecInvalidExpression, "StergeSpatii-> SYNTAX ERROR: " + operand(i) + "("};
    out += c;
    if (IsOperatorChar(c)) ++operatorCount;
    lastWasDelimiter = delimiter;
    if (delimiter) operandFrom = i + 1;
  }
  return {};
}

namespace {

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!IsAsciiDigit(c)) return false;
  return true;
}

}  // namespace

TPassError Tokenize(std::string_view text, std::vector<TToken>& tokens) {
  tokens.clear();
  // Every token but the first starts at a delimiter or follows one.
  std::size_t delimiters = 0;
  for (char c : text) delimiters += IsDelimiter(c) ? 1 : 0;
  tokens.reserve(std::min(text.size(), 2 * delimiters + 1));
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const char c = text[i];
    const auto pos = static_cast<std::uint32_t>(i);
    if (c == '(') { tokens.push_back({TTokenType::LParen, 0, pos, 1}); ++i; continue; }
    if (c == ')') { tokens.push_back({TTokenType::RParen, 0, pos, 1}); ++i; continue; }
    if (c == ',') { tokens.push_back({TTokenType::Comma, 0, pos, 1}); ++i; continue; }
    if (IsOperatorChar(c)) { tokens.push_back({TTokenType::Operator, c, pos, 1}); ++i; continue; }

    std::size_t end = i;
    while (end < n && !IsDelimiter(text[end])) ++end;
    std::string_view run = text.substr(i, end - i);

    // A number in exponent form: a decimal mantissa, "e", then an optionally
    // signed integer. Any other "e" belongs to a name.
    const std::size_t e = run.find('e');
    if (e != std::string_view::npos && e > 0 && IsDecimalNumber(run.substr(0, e))) {
      std::string_view mantissa = run.substr(0, e);
      std::size_t expEnd = end;
      std::string_view exponent;
      std::string sign;
      bool isExponent = false;
      if (e + 1 < run.size() && IsAsciiDigit(run[e + 1])) {
        isExponent = true;
        exponent = run.substr(e + 1);
      } else if (e + 1 == run.size() && end < n && (text[end] == '+' || text[end] == '-')) {
        isExponent = true;
        sign = text[end];
        std::size_t j = end + 1;
        while (j < n && !IsDelimiter(text[j])) ++j;
        exponent = text.substr(end + 1, j - end - 1);
        expEnd = j;
      }
      if (isExponent) {
        if (!AllDigits(exponent))
          return {ecUnknownExpression, "FormatareaExponentei-> UNKNOWN EXPRESSION: " + std::string(mantissa) + "e" +
                                           sign + std::string(exponent)};
        std::string_view whole = text.substr(i, expEnd - i);
        double value = 0;
        bool overflow = false;
        if (!ParseRealLiteral(whole, value, overflow) || overflow)
          return {ecExponentValue,
                  "FormatareaExponentei-> : '" + std::string(whole) + "' is not a valid floating point value"};
        tokens.push_back({TTokenType::ExpNumber, 0, pos, static_cast<std::uint32_t>(expEnd - i)});
        i = expEnd;
        continue;
      }
    }
    tokens.push_back({TTokenType::Operand, 0, pos, static_cast<std::uint32_t>(end - i)});
    i = end;
  }
  return {};
}

}  // namespace helmax
