// Text-level tidying passes: removal of parentheses that change nothing and
// the sign simplification used for displayed texts.
//
// Both passes work in one left-to-right sweep over the original text with
// the matching parentheses computed up front, so long or deeply nested texts
// cost linear time and no recursion.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "Syntax.h"
#include "TextUtil.h"

namespace helmax {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

bool IsSign(char c) { return c == '+' || c == '-'; }

// For every "(" the position of its matching ")", kNone for unmatched ones
// (and for every other character).
std::vector<std::size_t> MatchParentheses(std::string_view s) {
  std::vector<std::size_t> match(s.size(), kNone);
  std::vector<std::size_t> open;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '(') {
      open.push_back(i);
    } else if (s[i] == ')' && !open.empty()) {
      match[open.back()] = i;
      open.pop_back();
    }
  }
  return match;
}

// Digits with at most one decimal point, at least one digit.
bool IsDecimalNumber(std::string_view s) {
  bool digit = false, point = false;
  for (char c : s) {
    if (IsAsciiDigit(c)) digit = true;
    else if (c == '.' && !point) point = true;
    else return false;
  }
  return digit;
}

bool IsDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!IsAsciiDigit(c)) return false;
  return true;
}

// Next position at or after x that has not been dropped; the last slot
// (the text's length) is never dropped. Path halving keeps runs of dropped
// ")" cheap to skip.
class TNextKept {
 public:
  explicit TNextKept(std::size_t n) : Next(n + 1) {
    for (std::size_t i = 0; i <= n; ++i) Next[i] = i;
  }
  void Drop(std::size_t x) { Next[x] = x + 1; }
  std::size_t Find(std::size_t x) {
    while (Next[x] != x) {
      Next[x] = Next[Next[x]];
      x = Next[x];
    }
    return x;
  }

 private:
  std::vector<std::size_t> Next;
};

// One sweep over the text looking for "+(", "-(" followed by a sign, and
// merging the two signs where the value stays the same. changed tells
// whether anything was rewritten.
std::string MergeBracketedSigns(std::string_view s, bool& changed) {
  changed = false;
  const std::size_t n = s.size();
  const std::vector<std::size_t> match = MatchParentheses(s);

  // For each pair whose content starts with a sign, what the rest of the
  // content (u in "(-u)") holds outside deeper parentheses: a + or - between
  // two terms, and any operator at all. Exponent signs count as neither.
  std::vector<bool> termSign(n, false), anyOperator(n, false);
  {
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < n; ++i) {
      const char c = s[i];
      if (c == '(') {
        open.push_back(i);
        continue;
      }
      if (c == ')') {
        if (!open.empty()) open.pop_back();
        continue;
      }
      if (open.empty() || !IsOperatorChar(c)) continue;
      const std::size_t o = open.back();
      if (i == o + 1) continue;  // the leading sign itself
      if (IsSign(c)) {
        if (IsExponentSign(s, i)) continue;
        const char before = s[i - 1];
        if (!IsOperatorChar(before) && before != '(' && before != ',') termSign[o] = true;
      }
      anyOperator[o] = true;
    }
  }

  std::vector<bool> dropped(n, false);
  TNextKept next(n);
  std::string out;
  out.reserve(n);
  std::size_t i = 0;
  while (i < n) {
    const char c = s[i];
    if (dropped[i]) {
      ++i;
      continue;
    }
    if (!IsSign(c)) {
      out += c;
      ++i;
      continue;
    }
    // The sign at i stays at this position while brackets directly after
    // it are folded into it.
    char sign = c;
    std::size_t k = i + 1;
    while (k + 1 < n && s[k] == '(' && match[k] != kNone && IsSign(s[k + 1])) {
      const std::size_t close = match[k];
      // -(-x+1): merging the signs would flip the first term only.
      if (termSign[k]) break;
      // a-(-x)^2: the bracket is a power's base.
      const std::size_t after = next.Find(close + 1);
      if (after < n && s[after] == '^') break;
      // a/-(-x*y) must not become a/+x*y, which divides by x only.
      const char before = out.empty() ? '\0' : out.back();
      if ((before == '*' || before == '/' || before == '^') && anyOperator[k]) break;
      sign = (sign == s[k + 1]) ? '+' : '-';
      dropped[close] = true;
      next.Drop(close);
      changed = true;
      k += 2;
    }
    out += sign;
    i = k;
  }
  return out;
}

}  // namespace

// "1e5", "2.5E10": a decimal mantissa, e, and an unsigned integer exponent.
bool IsUnsignedExponentNumber(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == 'e' || s[i] == 'E') return IsDecimalNumber(s.substr(0, i)) && IsDigits(s.substr(i + 1));
    if (!IsAsciiDigit(s[i]) && s[i] != '.') return false;
  }
  return false;
}

// True when the sign at s[pos] is the sign of an exponent, as in 1e-5: it
// follows an e that closes a decimal mantissa and is followed by digits up
// to the next delimiter (or the end).
bool IsExponentSign(std::string_view s, std::size_t pos) {
  if (pos < 2 || (s[pos - 1] != 'e' && s[pos - 1] != 'E')) return false;
  std::size_t b = pos - 1;
  while (b > 0 && !IsDelimiter(s[b - 1])) --b;
  if (!IsDecimalNumber(s.substr(b, pos - 1 - b))) return false;
  std::size_t e = pos + 1;
  while (e < s.size() && !IsDelimiter(s[e])) ++e;
  return IsDigits(s.substr(pos + 1, e - pos - 1));
}

std::string RemoveRedundantParentheses(std::string_view text) {
  const std::size_t n = text.size();
  const std::vector<std::size_t> match = MatchParentheses(text);

  // For each "(", whether its content has an operator or a comma outside
  // deeper parentheses. Nothing inside a pair is touched before the pair
  // itself is judged, so this holds for the text as it is at that moment.
  std::vector<bool> hasOperator(n, false);
  {
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < n; ++i) {
      const char c = text[i];
      if (c == '(') open.push_back(i);
      else if (c == ')') {
        if (!open.empty()) open.pop_back();
      } else if (!open.empty() && IsDelimiter(c)) hasOperator[open.back()] = true;
    }
  }

  // Every "(" is judged once, left to right: a removal resumes the scan at
  // the removed "(" and a kept pair resumes just inside it, both of which
  // lead to the next "(" of the original text. Everything before the
  // current "(" is final and already in out; after its ")" only the ")" of
  // removed enclosing pairs can be missing.
  std::vector<bool> removed(n, false);
  TNextKept next(n);
  std::string out;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (c == ')' && removed[i]) continue;
    if (c != '(' || match[i] == kNone) {
      out += c;
      continue;
    }
    const std::size_t close = match[i];
    const std::size_t afterPos = next.Find(close + 1);
    const bool hasBefore = !out.empty();
    const char before = hasBefore ? out.back() : '\0';
    const bool hasAfter = afterPos < n;
    const char after = hasAfter ? text[afterPos] : '\0';

    bool keep;
    if ((hasBefore && !IsDelimiter(before)) || (hasAfter && !IsDelimiter(after))) {
      keep = true;  // argument list, or glued to an operand on the right
    } else if (before == '(' && after == ')') {
      keep = false;  // directly inside another pair
    } else if (hasOperator[i]) {
      keep = true;
    } else {
      keep = IsUnsignedExponentNumber(text.substr(i + 1, close - i - 1));
    }

    if (keep) {
      out += c;
    } else {
      removed[close] = true;
      next.Drop(close);
    }
  }
  return out;
}

std::string TidySigns(std::string_view text) {
  std::string tidy(StripEnclosingParentheses(RemoveRedundantParentheses(text)));
  bool changed = false;
  std::string merged = MergeBracketedSigns(tidy, changed);
  if (!changed) return tidy;
  std::string result(StripEnclosingParentheses(RemoveRedundantParentheses(merged)));
  if (!result.empty() && result.front() == '+') result.erase(0, 1);
  return result;
}

}  // namespace helmax
