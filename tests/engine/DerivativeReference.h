// The text constructors of differentiation written literally, on plain
// strings: every operand tidied at every call, the rules tried in order. An
// empty text is a missing derivative. Slow (a long sum takes quadratic
// time); the engine's rope-based constructors must give the same texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "Syntax.h"
#include "TextUtil.h"

namespace helmax::test {

class TPlainDerivativeTexts {
 public:
  explicit TPlainDerivativeTexts(bool powerAsOperator = true, std::size_t maxLength = 1u << 20)
      : PowerAsOperator_(powerAsOperator), MaxLength_(maxLength) {}

  static bool IsZero(std::string_view s) { return s == "0" || s == "-0" || s == "+0"; }
  static bool IsOne(std::string_view s) { return s == "1"; }
  static bool IsMinusOne(std::string_view s) { return s == "-1"; }

  // An optional sign and one or more digits.
  static bool IntegerText(std::string_view s) {
    std::size_t i = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
    if (i == s.size()) return false;
    for (std::size_t k = i; k < s.size(); ++k)
      if (s[k] < '0' || s[k] > '9') return false;
    return true;
  }

  // The value of an integer text when it fits 32 bits.
  static bool Fits32(std::string_view s, std::int64_t& v) {
    const std::size_t i = (s[0] == '+' || s[0] == '-') ? 1 : 0;
    std::size_t first = i;
    while (first + 1 < s.size() && s[first] == '0') ++first;  // leading zeros
    if (s.size() - first > 10) return false;
    std::int64_t r = 0;
    for (std::size_t k = first; k < s.size(); ++k) r = r * 10 + (s[k] - '0');
    v = s[0] == '-' ? -r : r;
    return Fits(v);
  }

  // Both integer texts: the exact result of op when it fits 32 bits, else
  // the general form.
  template <class Op>
  std::string Integers(const std::string& a, const std::string& b, char op, Op f) const {
    std::int64_t x = 0, y = 0;
    if (Fits32(a, x) && Fits32(b, y)) {
      std::int64_t r = 0;
      if (f(x, y, r) && Fits(r)) return std::to_string(r);
    }
    return Cap("(" + a + ")" + op + "(" + b + ")");
  }

  static bool ContainsToken(std::string_view t, std::string_view w) {
    for (std::size_t at = t.find(w); at != std::string_view::npos; at = t.find(w, at + 1)) {
      const std::size_t end = at + w.size();
      if ((at == 0 || IsDelimiter(t[at - 1])) && (end == t.size() || IsDelimiter(t[end]))) return true;
    }
    return false;
  }

  // After its leading sign (if any), a + or - between two terms outside
  // brackets; the sign of an exponent such as 1e-5 does not count.
  static bool HasTermSign(std::string_view s) {
    int depth = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
      const char c = s[i];
      if (c == '(') ++depth;
      else if (c == ')') --depth;
      else if (depth == 0 && i > 0 && (c == '+' || c == '-')) {
        const char before = s[i - 1];
        if (IsOperatorChar(before) || before == '(' || before == ',') continue;
        if (IsExponentSign(s, i)) continue;
        return true;
      }
    }
    return false;
  }

  std::string Add(std::string a, std::string b) const {
    if (a.empty() || b.empty()) return {};
    a = TidySigns(a);
    b = TidySigns(b);
    if (IsZero(a)) return b;
    if (IsZero(b)) return a;
    if (IntegerText(a) && IntegerText(b))
      return Integers(a, b, '+', [](std::int64_t x, std::int64_t y, std::int64_t& r) { return r = x + y, true; });
    if (a == b) return Mul("2", a);
    return Cap("(" + a + ")+(" + b + ")");
  }

  std::string Sub(std::string a, std::string b) const {
    if (a.empty() || b.empty()) return {};
    a = TidySigns(a);
    b = TidySigns(b);
    if (a == b && !ContainsToken(a, "infinity")) return "0";
    if (IsZero(a)) return Cap("-(" + b + ")");
    if (IsZero(b)) return a;
    if (IntegerText(a) && IntegerText(b))
      return Integers(a, b, '-', [](std::int64_t x, std::int64_t y, std::int64_t& r) { return r = x - y, true; });
    return Cap("(" + a + ")-(" + b + ")");
  }

  std::string Mul(std::string a, std::string b) const {
    if (a.empty() || b.empty()) return {};
    a = TidySigns(a);
    b = TidySigns(b);
    if (IsOne(a)) return b;
    if (IsOne(b)) return a;
    if (IsMinusOne(a)) return Cap("-(" + b + ")");
    if (IsMinusOne(b)) return Cap("-(" + a + ")");
    if ((IsZero(a) || IsZero(b)) && !ContainsToken(a, "infinity") && !ContainsToken(b, "infinity")) return "0";
    if (IntegerText(a) && IntegerText(b))
      return Integers(a, b, '*', [](std::int64_t x, std::int64_t y, std::int64_t& r) { return r = x * y, true; });
    if (a == b) return Pow(a, "2");
    if (a[0] == '-' && b[0] == '-' && !HasTermSign(a) && !HasTermSign(b))
      return Cap("(" + a.substr(1) + ")*(" + b.substr(1) + ")");
    return Cap("(" + a + ")*(" + b + ")");
  }

  std::string Div(std::string a, std::string b) const {
    if (a.empty() || b.empty()) return {};
    a = TidySigns(a);
    b = TidySigns(b);
    if (IsZero(a)) {
      if (IsZero(b)) return "(0/0)";
      if (ContainsToken(b, "infinity")) return Cap("(" + a + ")/(" + b + ")");
      return "0";
    }
    if (IsOne(b)) return a;
    if (ContainsToken(a, "infinity")) return Cap("(" + a + ")/(" + b + ")");
    if (a == b) return "1";
    if (!HasTermSign(a) && !HasTermSign(b) && ("-" + b == a || "-" + a == b)) return "-1";
    if (IntegerText(a) && IntegerText(b))
      return Integers(a, b, '/', [](std::int64_t x, std::int64_t y, std::int64_t& r) {
        if (y == 0 || x % y != 0) return false;
        r = x / y;
        return true;
      });
    return Cap("(" + a + ")/(" + b + ")");
  }

  std::string Pow(std::string a, std::string b) const {
    if (a.empty() || b.empty()) return {};
    if (ContainsToken(a, "infinity") || ContainsToken(b, "infinity")) return PowerForm(a, b);
    a = TidySigns(a);
    b = TidySigns(b);
    if (IsZero(b)) return IsZero(a) ? "(0^0)" : "1";
    if (IsOne(b)) return a;
    if (IsZero(a)) return "0";
    if (IsOne(a)) return "1";
    return PowerForm(a, b);
  }

  std::string Sqrt(std::string a) const {
    if (a.empty()) return {};
    a = TidySigns(a);
    if (IsZero(a)) return "0";
    if (IsOne(a)) return "1";
    return Cap("sqrt(" + a + ")");
  }

  std::string Ln(std::string a) const {
    if (a.empty()) return {};
    a = TidySigns(a);
    if (IsZero(a)) return "-infinity";
    if (a == "exp(1)") return "1";
    return Cap("ln(" + a + ")");
  }

 private:
  static bool Fits(std::int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }
  std::string Cap(std::string s) const { return s.size() > MaxLength_ ? std::string() : s; }
  std::string PowerForm(const std::string& a, const std::string& b) const {
    return Cap(PowerAsOperator_ ? "(" + a + ")^(" + b + ")" : "power(" + a + "," + b + ")");
  }

  bool PowerAsOperator_;
  std::size_t MaxLength_;
};

}  // namespace helmax::test
