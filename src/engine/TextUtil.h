// Small ASCII-only text helpers. Only ASCII letters are letters; every other
// byte (UTF-8 sequences included) is an ordinary operand character.
#pragma once

#include <charconv>
#include <string>
#include <string_view>

namespace helmax {

inline bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string ToLowerAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = LowerAscii(c);
  return r;
}

inline std::string ToUpperAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = UpperAscii(c);
  return r;
}

inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

// Removes characters up to the blank (control characters included) at both
// ends: bytes above 0x7F stay, so UTF-8 blanks (U+00A0, U+3000) are kept.
// TrimText (platform/TextFile.h) does the same for the layer below the engine.
inline std::string_view Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 0x20) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20) --e;
  return s.substr(b, e - b);
}

// Reads a decimal int with blanks around it (as Trim removes them) and an
// optional minus sign; no plus sign, nothing else after the digits. False,
// with value unspecified, when the text is no such number or does not fit.
inline bool ParseInteger(std::string_view text, int& value) {
  const std::string_view t = Trim(text);
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  return !t.empty() && ec == std::errc() && end == t.data() + t.size();
}

inline bool IsIdentifier(std::string_view s) {
  if (s.empty()) return false;
  if (!(IsAsciiLetter(s[0]) || s[0] == '_')) return false;
  for (char c : s)
    if (!(IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_')) return false;
  return true;
}

// ( ) * + , - / = ^ ~
constexpr bool IsDelimiter(char c) {
  switch (c) {
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case '-':
    case '/':
    case '=':
    case '^':
    case '~': return true;
    default: return false;
  }
}

// * + - / = ^ ~
constexpr bool IsOperatorChar(char c) { return c != '(' && c != ')' && c != ',' && IsDelimiter(c); }

// Removes pairs of parentheses that enclose the whole text, as long as the
// remaining text stays balanced: "((x))" gives "x", "(a)+(b)" stays.
inline std::string_view StripEnclosingParentheses(std::string_view s) {
  while (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
    std::string_view inner = s.substr(1, s.size() - 2);
    int depth = 0;
    bool ok = true;
    for (char c : inner) {
      if (c == '(') ++depth;
      else if (c == ')' && --depth < 0) {
        ok = false;
        break;
      }
    }
    if (!ok || depth != 0) break;
    s = inner;
  }
  return s;
}

// The first maxChars characters of a UTF-8 text, never splitting a sequence.
inline std::string CutCharacters(std::string_view s, std::size_t maxChars) {
  std::size_t chars = 0, i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
    if (chars == maxChars) break;
    if (i + len > s.size()) len = s.size() - i;
    i += len;
    ++chars;
  }
  return std::string(s.substr(0, i));
}

}  // namespace helmax
