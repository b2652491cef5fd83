// The derivative texts of the operators and functions, written with the
// text constructors exactly as the rules state them.
#include "DerivativeRules.h"

#include <climits>

#include "BuiltinCatalogue.h"

namespace helmax {

TDText TDerivativeRules::Operator(char op, const TOperandTexts& a, const TOperandTexts& b) {
  TDerivativeTexts& t = T_;
  const TDText da = a.Derivative, db = b.Derivative;
  // A missing derivative makes the result missing: nothing else need be
  // built (tidying a long operand's text would be wasted).
  if (da == nullptr || db == nullptr) return nullptr;
  switch (op) {
    case '+': return t.Add(da, db);
    case '-': return t.Sub(da, db);
    case '*': return t.Add(t.Mul(da, b.Text), t.Mul(a.Text, db));
    case '/': {
      // (0*b - a*0) / b^2 is 0 when b (not a constant) holds no infinity
      // and a is not -1 (-1*0 gives "-(0)").
      const std::size_t bound = 2 * t.RawLength(b.Text) + 64;
      if (Vanishes(da, bound, t.ContainsInfinity(b.Text)) && Vanishes(db, bound, t.ContainsInfinity(a.Text)) &&
          t.Classify(a.Text) != TTextClass::MinusOne)
        return Zero();
      return t.Div(t.Sub(t.Mul(da, b.Text), t.Mul(a.Text, db)), t.Pow(b.Text, L("2")));
    }
    default: return nullptr;
  }
}

bool TDerivativeRules::Vanishes(TDText d, std::size_t factorBound, bool factorInfinity) {
  return d != nullptr && !factorInfinity && factorBound <= T_.MaxLength() && T_.Classify(d) == TTextClass::Zero &&
         !T_.ContainsInfinity(d);
}

TDText TDerivativeRules::Power(const TOperandTexts& a, const TOperandTexts& b, TDText exponentMinusOne) {
  TDerivativeTexts& t = T_;
  const std::size_t bound = 2 * (t.RawLength(a.Text) + t.RawLength(b.Text)) + 256;
  const bool infinity = t.ContainsInfinity(a.Text) || t.ContainsInfinity(b.Text);
  if (a.Constant) {
    if (b.Derivative == nullptr) return nullptr;
    // a^b * (ln(a) * 0) is 0 unless ln(a) is -infinity (a is 0).
    if (Vanishes(b.Derivative, bound, infinity) && t.Classify(a.Text) != TTextClass::Zero) return Zero();
    return t.Mul(t.Pow(a.Text, b.Text), t.Mul(t.Ln(a.Text), b.Derivative));
  }
  if (a.Derivative == nullptr) return nullptr;
  if (b.Constant) {
    if (Vanishes(a.Derivative, bound, infinity)) return Zero();
    TDText minusOne = exponentMinusOne != nullptr ? exponentMinusOne : t.Sub(b.Text, L("1"));
    return t.Mul(t.Mul(b.Text, t.Pow(a.Text, minusOne)), a.Derivative);
  }
  if (b.Derivative == nullptr) return nullptr;
  if (Vanishes(a.Derivative, bound, infinity) && Vanishes(b.Derivative, bound, infinity)) return Zero();
  return t.Mul(t.Pow(a.Text, b.Text),
               t.Add(t.Div(t.Mul(a.Derivative, b.Text), a.Text), t.Mul(t.Ln(a.Text), b.Derivative)));
}

std::optional<std::string> TDerivativeRules::RationalExponentMinusOne(TDText p, TDText q) {
  std::int64_t pv = 0, qv = 0;
  if (!T_.Int32Value(p, pv) || !T_.Int32Value(q, qv)) return std::nullopt;
  const std::int64_t d = pv - qv;
  if (d < INT32_MIN || d > INT32_MAX) return std::nullopt;
  return std::to_string(d) + "/" + T_.Tidied(q);
}

TDText TDerivativeRules::Angle(const TOperandTexts& x, const TOperandTexts& y) {
  TDerivativeTexts& t = T_;
  if (x.Derivative == nullptr || y.Derivative == nullptr) return nullptr;
  return t.Div(t.Sub(t.Mul(x.Text, y.Derivative), t.Mul(y.Text, x.Derivative)),
               t.Add(t.Pow(x.Text, L("2")), t.Pow(y.Text, L("2"))));
}

TDText TDerivativeRules::LogN(const TOperandTexts& a, const TOperandTexts& b) {
  TDerivativeTexts& t = T_;
  if (a.Derivative == nullptr || b.Derivative == nullptr) return nullptr;
  return t.Sub(t.Div(b.Derivative, t.Mul(b.Text, t.Ln(a.Text))),
               t.Div(t.Mul(t.Ln(b.Text), a.Derivative), t.Mul(a.Text, t.Pow(t.Ln(a.Text), L("2")))));
}

TDText TDerivativeRules::OneArgument(int code, TDText u, TDText du) {
  TDerivativeTexts& t = T_;
  if (du == nullptr) return nullptr;
  // f'(u) times 0 is 0 whatever f'(u) is, unless infinity is involved: the
  // factor need not be built.
  if (Vanishes(du, 4 * t.RawLength(u) + 256, t.ContainsInfinity(u))) return Zero();
  auto call = [&](const char* name) { return t.Join({name, u, ")"}, true); };
  auto square = [&]() { return t.Pow(u, L("2")); };
  TDText f = nullptr;
  switch (code) {
    case opExp: f = call("exp("); break;
    case opCos: f = call("-sin("); break;
    case opSin: f = call("cos("); break;
    case opTan: f = t.Pow(call("sec("), L("2")); break;
    case opCotan:
    case opCot: f = t.Sub(L("0"), t.Pow(call("csc("), L("2"))); break;
    case opSqrt: f = t.Div(L("1"), t.Mul(L("2"), t.Sqrt(u))); break;
    case opLn:
    case opLog: f = t.Div(L("1"), u); break;
    case opSqr: f = t.Mul(L("2"), u); break;
    case opLnxp1: f = t.Div(L("1"), t.Add(u, L("1"))); break;
    case opLog10: f = t.Div(L("1"), t.Mul(u, t.Ln(L("10")))); break;
    case opLog2: f = t.Div(L("1"), t.Mul(u, t.Ln(L("2")))); break;
    case opArccos: f = t.Div(L("-1"), t.Sqrt(t.Sub(L("1"), square()))); break;
    case opArcsin: f = t.Div(L("1"), t.Sqrt(t.Sub(L("1"), square()))); break;
    case opArctan: f = t.Div(L("1"), t.Add(L("1"), square())); break;
    case opArccosh: f = t.Div(L("1"), t.Sqrt(t.Sub(square(), L("1")))); break;
    case opArcsinh: f = t.Div(L("1"), t.Sqrt(t.Add(square(), L("1")))); break;
    case opArctanh: f = t.Div(L("1"), t.Sub(L("1"), square())); break;
    case opCosh: f = call("sinh("); break;
    case opSinh: f = call("cosh("); break;
    case opTanh: f = t.Pow(call("sech("), L("2")); break;
    case opSec:
    case opSecant: f = t.Join({"(sec(", u, ")*tan(", u, "))"}, true); break;
    case opSech: f = t.Join({"(-sech(", u, ")*tanh(", u, "))"}, true); break;
    case opCsc:
    case opCosecant: f = t.Join({"(-cot(", u, ")*csc(", u, "))"}, true); break;
    case opCsch: f = t.Join({"(-coth(", u, ")*csch(", u, "))"}, true); break;
    case opCoth: f = t.Sub(L("0"), t.Pow(call("csch("), L("2"))); break;
    case opArccot: f = t.Div(L("-1"), t.Add(L("1"), square())); break;
    case opArccoth: f = t.Div(L("1"), t.Sub(L("1"), square())); break;
    case opArcsec: f = t.Div(L("1"), t.Mul(t.Sqrt(t.Sub(L("1"), t.Pow(u, L("-2")))), square())); break;
    case opArccsc: f = t.Div(L("-1"), t.Mul(t.Sqrt(t.Sub(L("1"), t.Pow(u, L("-2")))), square())); break;
    case opArccsch: f = t.Div(L("-1"), t.Mul(t.Sqrt(t.Add(L("1"), t.Pow(u, L("-2")))), square())); break;
    case opArcsech:
      f = t.Div(L("-1"), t.Mul(u, t.Mul(t.Sqrt(t.Div(t.Sub(L("1"), u), t.Add(L("1"), u))), t.Add(L("1"), u))));
      break;
    default: return nullptr;
  }
  return t.Mul(f, du);
}

}  // namespace helmax
