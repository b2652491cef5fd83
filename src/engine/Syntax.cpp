#include "Syntax.h"

#include <algorithm>
#include <array>

#include "ErrorCodes.h"
#include "TextUtil.h"
#include "Value.h"

namespace helmax {

TPassError CheckParentheses(std::string_view text) {
  // Scanning stops once more ")" than "(" have been seen; the totals of the
  // whole text must still agree.
  long depth = 0, opened = 0, closed = 0;
  bool adjacent = false;
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if ((c & ~1) != '(') continue;  // neither '(' nor ')'
    if (c == '(') {
      ++opened;
      ++depth;
      continue;
    }
    ++closed;
    if (i + 1 < text.size() && text[i + 1] == '(') {
      adjacent = true;
      break;
    }
    if (--depth < 0) break;
  }
  if (i < text.size()) {
    const std::string_view rest = text.substr(i + 1);
    opened += std::count(rest.begin(), rest.end(), '(');
    closed += std::count(rest.begin(), rest.end(), ')');
  }
  if (adjacent) return {ecInvalidExpression, "VerifySyntaxSemanticsRule-> PARANTHESES SYNTAX ERROR"};
  if (opened != closed) return {ecParentheses, "VerifySyntaxSemanticsRule-> PARANTHESES SYNTAX ERROR"};
  return {};
}

namespace {

// Classes of the blank-removing pass: characters below kStop are copied as
// they are (an operator counts one); kStop characters need a closer look.
enum : unsigned char { kCopied = 0, kCopiedOperator = 1, kStop = 2 };

constexpr std::array<unsigned char, 256> BlankPassClasses = [] {
  std::array<unsigned char, 256> t{};
  for (int k = 0; k < 256; ++k) {
    const char c = static_cast<char>(k);
    if (IsOperatorChar(c)) t[static_cast<std::size_t>(k)] = kCopiedOperator;
    if (c == ' ' || c == '{' || c == '}' || c == '(') t[static_cast<std::size_t>(k)] = kStop;
  }
  return t;
}();

}  // namespace

TPassError RemoveBlanks(std::string_view text, bool implicitMultiplication, std::string& out,
                        std::size_t& operatorCount) {
  // Each '*' put in for an implicit multiplication takes the place of at
  // least one blank: the text's length is room enough.
  out.resize(text.size());
  char* const begin = out.data();
  char* w = begin;
  std::size_t operators = 0;
  const std::size_t n = text.size();
  // The operand that ends at upTo (since the last delimiter), blanks left
  // out: only the failure messages quote it.
  auto operand = [&](std::size_t upTo) {
    std::size_t from = upTo;
    while (from > 0 && !IsDelimiter(text[from - 1])) --from;
    std::string s;
    for (std::size_t k = from; k < upTo; ++k)
      if (text[k] != ' ') s += text[k];
    return s;
  };
  auto fail = [&](int code, std::string message) {
    out.resize(static_cast<std::size_t>(w - begin));
    operatorCount = operators;
    return TPassError{code, std::move(message)};
  };
  // Blanks before the character at i: between two operands they mean a
  // multiplication (or are refused); before a '(' they may mean one too.
  auto afterBlanks = [&](std::size_t i) -> bool {
    const char c = text[i];
    const bool delimiter = IsDelimiter(c);
    // The start of the text counts as a delimiter.
    const bool lastWasDelimiter = w == begin || IsDelimiter(w[-1]);
    if (!delimiter && !lastWasDelimiter) {
      if (!implicitMultiplication) return false;
      if (w == begin || w[-1] != '(') {
        *w++ = '*';
        ++operators;
      }
    } else if (implicitMultiplication && (c == '(' || !delimiter) && w != begin) {
      if ((!lastWasDelimiter && w[-1] != '(') || (lastWasDelimiter && w[-1] == ')')) {
        *w++ = '*';
        ++operators;
      }
    }
    return true;
  };
  std::size_t i = 0;
  while (i < n) {
    unsigned char cls;
    while (i < n && (cls = BlankPassClasses[static_cast<unsigned char>(text[i])]) < kStop) {
      *w++ = text[i++];
      operators += cls;
    }
    bool blanks = false;
    while (i < n && text[i] == ' ') {
      blanks = true;
      ++i;
    }
    if (i == n) break;
    const char c = text[i];
    if (c == '{' || c == '}') return fail(ecUnknownExpression, "StergeSpatii-> UNKNOWN EXPRESSION: " + operand(i) + c);
    if (blanks && !afterBlanks(i))
      return fail(ecUnknownExpression, "StergeSpatii-> UNKNOWN EXPRESSION: " + operand(i) + "'_'");
    if (c == '(' && w != begin && w[-1] == ')')
      return fail(ecInvalidExpression, "StergeSpatii-> SYNTAX ERROR: " + operand(i) + "(");
    *w++ = c;
    operators += IsOperatorChar(c) ? 1 : 0;
    ++i;
  }
  out.resize(static_cast<std::size_t>(w - begin));
  operatorCount = operators;
  return {};
}

namespace {

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!IsAsciiDigit(c)) return false;
  return true;
}

// The token type of each delimiter, Operand (0) for every other character:
// a table read, where the comparisons of IsDelimiter would branch on every
// character of a text that mixes digits, letters and signs unpredictably.
constexpr std::array<TTokenType, 256> DelimiterTypes = [] {
  std::array<TTokenType, 256> t{};
  for (int k = 0; k < 256; ++k) {
    const char c = static_cast<char>(k);
    t[static_cast<std::size_t>(k)] = c == '(' ? TTokenType::LParen
                                     : c == ')' ? TTokenType::RParen
                                     : c == ',' ? TTokenType::Comma
                                     : IsOperatorChar(c) ? TTokenType::Operator
                                                         : TTokenType::Operand;
  }
  return t;
}();
static_assert(TTokenType::Operand == TTokenType{});

inline TTokenType DelimiterType(char c) { return DelimiterTypes[static_cast<unsigned char>(c)]; }

}  // namespace

TPassError Tokenize(std::string_view text, std::vector<TToken>& tokens) {
  tokens.clear();
  // Every token but the first starts at a delimiter or follows one.
  std::size_t delimiters = 0;
  for (char c : text) delimiters += DelimiterType(c) != TTokenType::Operand ? 1 : 0;
  tokens.reserve(std::min(text.size(), 2 * delimiters + 1));
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const char c = text[i];
    const auto pos = static_cast<std::uint32_t>(i);
    if (const TTokenType type = DelimiterType(c); type != TTokenType::Operand) {
      tokens.push_back({type, type == TTokenType::Operator ? c : '\0', pos, 1});
      ++i;
      continue;
    }

    std::size_t end = i;
    while (end < n && DelimiterType(text[end]) == TTokenType::Operand) ++end;
    std::string_view run = text.substr(i, end - i);

    // A number in exponent form: a decimal mantissa, "e", then an optionally
    // signed integer. Any other "e" belongs to a name (a mantissa starts
    // with a digit or a point).
    const std::size_t e = IsAsciiDigit(run[0]) || run[0] == '.' ? run.find('e') : std::string_view::npos;
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

namespace {

// Classes of the first sweep of plain text: a delimiter, and the characters
// that need a look of their own.
enum : unsigned char { kDelimiterBit = 1, kOpenBit = 2, kCloseBit = 4, kRefusedBit = 8 };

constexpr std::array<unsigned char, 256> PlainTextClasses = [] {
  std::array<unsigned char, 256> t{};
  for (int k = 0; k < 256; ++k) {
    const char c = static_cast<char>(k);
    unsigned char v = 0;
    if (IsDelimiter(c)) v |= kDelimiterBit;
    if (c == '(') v |= kOpenBit;
    if (c == ')') v |= kCloseBit;
    if (c == ' ' || c == '{' || c == '}') v |= kRefusedBit;
    t[static_cast<std::size_t>(k)] = v;
  }
  return t;
}();

constexpr std::array<char, 256> LowerTable = [] {
  std::array<char, 256> t{};
  for (int k = 0; k < 256; ++k) t[static_cast<std::size_t>(k)] = static_cast<char>(k >= 'A' && k <= 'Z' ? k - 'A' + 'a' : k);
  return t;
}();

}  // namespace

bool NormalisePlainText(std::string_view text, std::string& out, std::vector<TToken>& tokens,
                        std::size_t& operatorCount) {
  const std::size_t n = text.size();
  if (n == 0) return false;
  // First sweep: the checks, and the counts that size the token list.
  std::size_t delimiters = 0, operators = 0;
  long depth = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char cls = PlainTextClasses[static_cast<unsigned char>(text[i])];
    delimiters += cls & kDelimiterBit;
    if (cls & (kOpenBit | kCloseBit | kRefusedBit)) [[unlikely]] {
      if (cls & kRefusedBit) return false;
      if (cls & kOpenBit) {
        ++depth;
      } else if (--depth < 0 || (i + 1 < n && text[i + 1] == '(')) {
        return false;
      }
    }
  }
  if (depth != 0) return false;

  // Second sweep: the lowered copy and its tokens.
  out.resize(n);
  char* const o = out.data();
  tokens.clear();
  tokens.reserve(std::min(n, 2 * delimiters + 1));
  std::size_t i = 0;
  while (i < n) {
    char c = text[i];
    const auto pos = static_cast<std::uint32_t>(i);
    if (const TTokenType type = DelimiterType(c); type != TTokenType::Operand) {
      o[i++] = c;
      const bool isOperator = type == TTokenType::Operator;
      operators += isOperator ? 1 : 0;
      tokens.push_back({type, isOperator ? c : '\0', pos, 1});
      continue;
    }
    const bool numeric = IsAsciiDigit(c) || c == '.';
    bool e = false;
    do {
      c = LowerTable[static_cast<unsigned char>(c)];
      e |= c == 'e';
      o[i++] = c;
    } while (i < n && DelimiterType(c = text[i]) == TTokenType::Operand);
    // A number in exponent form, or a run that only looks like one: the
    // token reader's own rules decide.
    if (numeric && e) return false;
    tokens.push_back({TTokenType::Operand, 0, pos, static_cast<std::uint32_t>(i - pos)});
  }
  operatorCount = operators;
  return true;
}

}  // namespace helmax
