#include "Syntax.h"
#include "FixedTexts.h"

#include <algorithm>
#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "ErrorCodes.h"
#include "TextUtil.h"
#include "Value.h"

namespace helmax {

TPassError CheckParentheses(std::string_view text) {
  // Scanning stops once more ")" than "(" have been seen; the totals of the
  // whole text must still agree.
  long depth = 0, opened = 0, closed = 0;
  bool adjacent = false;
  std::size_t outermostOpen = 0;  // the last "(" opened at depth 0
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if ((c & ~1) != '(') continue;  // neither '(' nor ')'
    if (c == '(') {
      if (depth == 0) outermostOpen = i;
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
  if (adjacent) return {ecInvalidExpression, texts::kVerifySyntaxSemanticsRuleParanthesesSyntaxError, i + 1};
  if (opened != closed) {
    // The first ")" without its "(", or the "(" left open.
    const std::size_t at = i < text.size() ? i : depth > 0 ? outermostOpen : std::string_view::npos;
    return {ecParentheses, texts::kVerifySyntaxSemanticsRuleParanthesesSyntaxError, at};
  }
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
  auto fail = [&](int code, std::string message, std::size_t at) {
    out.resize(static_cast<std::size_t>(w - begin));
    operatorCount = operators;
    return TPassError{code, std::move(message), at};
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
    if (c == '{' || c == '}')
      return fail(ecUnknownExpression, texts::kStergeSpatiiUnknownExpressionPrefix + operand(i) + c, i);
    if (blanks && !afterBlanks(i))
      return fail(ecUnknownExpression, texts::kStergeSpatiiUnknownExpressionPrefix + operand(i) + "'_'", i);
    if (c == '(' && w != begin && w[-1] == ')')
      return fail(ecInvalidExpression, texts::kStergeSpatiiSyntaxErrorPrefix + operand(i) + "(", i);
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
    t[static_cast<std::size_t>(k)] = c == '('            ? TTokenType::LParen
                                     : c == ')'          ? TTokenType::RParen
                                     : c == ','          ? TTokenType::Comma
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
          return {ecUnknownExpression, texts::kFormatareaExponenteiUnknownExpressionPrefix + std::string(mantissa) +
                                           "e" + sign + std::string(exponent)};
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
  for (int k = 0; k < 256; ++k)
    t[static_cast<std::size_t>(k)] = static_cast<char>(k >= 'A' && k <= 'Z' ? k - 'A' + 'a' : k);
  return t;
}();

}  // namespace

#if defined(__SSE2__)
namespace {

// 16 characters at a time: masks of the delimiters, of the characters the
// first sweep looks at (parentheses, blanks, braces), of digits and points,
// and the lowered characters.
struct TBlock {
  __m128i Lowered;
  __m128i DelimiterBytes;  // 0xFF at each delimiter
  unsigned Delimiters, Special, Numeric, LetterE;
};

inline __m128i InRange(__m128i v, char low, char high) {
  // (v - low) <= (high - low), unsigned: one comparison per range.
  const __m128i t = _mm_sub_epi8(v, _mm_set1_epi8(low));
  return _mm_cmpeq_epi8(_mm_min_epu8(t, _mm_set1_epi8(static_cast<char>(high - low))), t);
}

inline __m128i Is(__m128i v, char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); }

inline unsigned Mask(__m128i m) { return static_cast<unsigned>(_mm_movemask_epi8(m)); }

inline TBlock ReadBlock(const char* p) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  // ( ) * + , -  then / = ^ ~
  const __m128i delimiters = _mm_or_si128(_mm_or_si128(InRange(v, '(', '-'), Is(v, '/')),
                                          _mm_or_si128(_mm_or_si128(Is(v, '='), Is(v, '^')), Is(v, '~')));
  const __m128i special =
      _mm_or_si128(_mm_or_si128(InRange(v, '(', ')'), Is(v, ' ')), _mm_or_si128(Is(v, '{'), Is(v, '}')));
  const __m128i lowered = _mm_add_epi8(v, _mm_and_si128(InRange(v, 'A', 'Z'), _mm_set1_epi8(0x20)));
  return {lowered,
          delimiters,
          Mask(delimiters),
          Mask(special),
          Mask(_mm_or_si128(InRange(v, '0', '9'), Is(v, '.'))),
          Mask(Is(lowered, 'e'))};
}

// The number of delimiters in a block (a population count without the
// instruction: it is not in the baseline instruction set).
inline std::size_t DelimiterCount(const TBlock& b) {
  const __m128i sums = _mm_sad_epu8(_mm_and_si128(b.DelimiterBytes, _mm_set1_epi8(1)), _mm_setzero_si128());
  return static_cast<std::size_t>(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
}

}  // namespace
#endif

bool NormalisePlainText(std::string_view text, std::string& out, std::vector<TToken>& tokens,
                        std::size_t& operatorCount) {
  const std::size_t n = text.size();
  if (n == 0) return false;
  // First sweep: the checks, and the counts that size the token list.
  std::size_t delimiters = 0;
  long depth = 0;
  // The character at i is a parenthesis, a blank or a brace: false when it
  // makes the text one for the passes.
  auto special = [&](std::size_t i) {
    const char c = text[i];
    if (c == '(') {
      ++depth;
      return true;
    }
    if (c != ')') return false;  // a blank or a brace
    return --depth >= 0 && !(i + 1 < n && text[i + 1] == '(');
  };
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= n; i += 16) {
    const TBlock b = ReadBlock(text.data() + i);
    delimiters += DelimiterCount(b);
    for (unsigned m = b.Special; m != 0; m &= m - 1)
      if (!special(i + static_cast<std::size_t>(__builtin_ctz(m)))) return false;
  }
#endif
  for (; i < n; ++i) {
    const unsigned char cls = PlainTextClasses[static_cast<unsigned char>(text[i])];
    delimiters += cls & kDelimiterBit;
    if ((cls & (kOpenBit | kCloseBit | kRefusedBit)) != 0 && !special(i)) return false;
  }
  if (depth != 0) return false;

  // Second sweep: the lowered copy and its tokens. A run of operand
  // characters becomes one token when the delimiter after it (or the end)
  // comes; a run that starts with a digit or a point and holds an "e" is
  // left to the token reader's own rules.
  out.resize(n);
  char* const o = out.data();
  tokens.clear();
  tokens.reserve(std::min(n, 2 * delimiters + 1));
  std::size_t operators = 0;
  constexpr std::size_t kNoRun = static_cast<std::size_t>(-1);
  std::size_t runStart = kNoRun;
  bool runNumeric = false, runHasE = false;
  auto closeRun = [&](std::size_t end) {
    if (runStart == kNoRun) return true;
    if (runNumeric && runHasE) return false;
    tokens.push_back(
        {TTokenType::Operand, 0, static_cast<std::uint32_t>(runStart), static_cast<std::uint32_t>(end - runStart)});
    runStart = kNoRun;
    return true;
  };
  auto delimiter = [&](std::size_t at, char c) {
    const TTokenType type = DelimiterType(c);
    const bool isOperator = type == TTokenType::Operator;
    operators += isOperator ? 1 : 0;
    tokens.push_back({type, isOperator ? c : '\0', static_cast<std::uint32_t>(at), 1});
  };
  i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= n; i += 16) {
    const TBlock b = ReadBlock(text.data() + i);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + i), b.Lowered);
    unsigned from = 0;  // the first character of the block not yet placed
    // Operand characters from..to-1 of the block continue or start a run.
    auto operands = [&](unsigned to) {
      if (to == from) return;
      if (runStart == kNoRun) {
        runStart = i + from;
        runNumeric = ((b.Numeric >> from) & 1u) != 0;
        runHasE = false;
      }
      if (b.LetterE != 0) runHasE = runHasE || (b.LetterE & ((1u << to) - 1u) & ~((1u << from) - 1u)) != 0;
    };
    for (unsigned m = b.Delimiters; m != 0; m &= m - 1) {
      const auto j = static_cast<unsigned>(__builtin_ctz(m));
      operands(j);
      if (!closeRun(i + j)) return false;
      delimiter(i + j, o[i + j]);
      from = j + 1;
    }
    operands(16);
  }
#endif
  for (; i < n; ++i) {
    const char c = text[i];
    if (DelimiterType(c) != TTokenType::Operand) {
      o[i] = c;
      if (!closeRun(i)) return false;
      delimiter(i, c);
      continue;
    }
    const char lowered = LowerTable[static_cast<unsigned char>(c)];
    o[i] = lowered;
    if (runStart == kNoRun) {
      runStart = i;
      runNumeric = IsAsciiDigit(c) || c == '.';
      runHasE = false;
    }
    runHasE = runHasE || lowered == 'e';
  }
  if (!closeRun(n)) return false;
  operatorCount = operators;
  return true;
}

}  // namespace helmax
