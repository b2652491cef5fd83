// Operators * / + - ^, the comparisons and the logic functions.
//
// Floating-point conditions are judged per operation from its operands and
// its result, never from the processor's status flags: a NaN born of
// operands that are not NaN is an invalid operation, an infinity born of
// finite operands an overflow, and divisions by zero are tested before
// dividing. Every NaN that leaves these functions is EngineNaN().
#include "Operations.h"
#include "FixedTexts.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace helmax {
namespace {

[[noreturn]] void MathFail(int kind) { throw EHelmaxMathError(kind); }

[[noreturn]] void KindFail(const char* message) { throw std::runtime_error(message); }

// The result r of an operation on a and b, judged as described above.
inline double Judge(double r, double a, double b) {
  if (std::isfinite(r)) return r;
  if (std::isnan(r)) {
    if (std::isnan(a) || std::isnan(b)) return EngineNaN();
    MathFail(mkInvalidOp);
  }
  if (std::isfinite(a) && std::isfinite(b)) MathFail(mkOverflow);
  return r;
}

inline double RealDiv(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return EngineNaN();
  if (b == 0.0) MathFail(a == 0.0 ? mkInvalidOp : mkZeroDivide);
  return Judge(a / b, a, b);
}

inline double RealArith(int code, double a, double b) {
  switch (code) {
    case opMul: return Judge(a * b, a, b);
    case opDiv: return RealDiv(a, b);
    case opAdd: return Judge(a + b, a, b);
    case opSub: return Judge(a - b, a, b);
    default: break;
  }
  throw std::runtime_error(texts::kProgramingErrorUpperCase);
}

// ---- currency -----------------------------------------------------------------

constexpr __int128 kCurMax = std::numeric_limits<std::int64_t>::max();
constexpr __int128 kCurMin = std::numeric_limits<std::int64_t>::min();

inline std::int64_t CurrencyOrFail(__int128 v) {
  if (v > kCurMax || v < kCurMin) MathFail(mkInvalidOp);
  return static_cast<std::int64_t>(v);
}

inline std::int64_t RealAsCurrency(double x) {
  std::int64_t scaled;
  if (!RealToCurrency(x, scaled)) MathFail(mkInvalidOp);
  return scaled;
}

// num / den rounded half to even; den != 0.
__int128 DivideHalfEven(__int128 num, __int128 den) {
  __int128 q = num / den;
  const __int128 r = num % den;
  if (r != 0) {
    const __int128 twice = 2 * (r < 0 ? -r : r);
    const __int128 absDen = den < 0 ? -den : den;
    if (twice > absDen || (twice == absDen && (q & 1) != 0)) q += ((num < 0) != (den < 0)) ? -1 : 1;
  }
  return q;
}

int BitLength(unsigned __int128 v) {
  int n = 0;
  while (v != 0) {
    v >>= 1;
    ++n;
  }
  return n;
}

// A finite non-zero double as m * 2^shift with an integral m, |m| < 2^53.
inline void SplitDouble(double x, std::int64_t& m, int& shift) {
  int e = 0;
  const double f = std::frexp(x, &e);
  m = static_cast<std::int64_t>(std::ldexp(f, 53));
  shift = e - 53;
}

// Scaled currency c times the real x, exactly, rounded half to even.
std::int64_t CurrencyTimesReal(std::int64_t c, double x) {
  if (!std::isfinite(x)) MathFail(mkInvalidOp);
  if (c == 0 || x == 0.0) return 0;
  std::int64_t m;
  int shift;
  SplitDouble(x, m, shift);
  const __int128 p = static_cast<__int128>(c) * m;  // |p| < 2^116
  if (shift >= 0) {
    if (shift > 63) MathFail(mkInvalidOp);
    const __int128 absP = p < 0 ? -p : p;
    if (absP > (static_cast<__int128>(1) << (64 - shift))) MathFail(mkInvalidOp);
    return CurrencyOrFail(p << shift);
  }
  const int k = -shift;
  if (k >= 120) return 0;  // |p| / 2^k < 1/16
  __int128 q = p >> k;     // floor
  const __int128 rest = p - (q << k);
  const __int128 half = static_cast<__int128>(1) << (k - 1);
  if (rest > half || (rest == half && (q & 1) != 0)) ++q;
  return CurrencyOrFail(q);
}

// Scaled currency c divided by the real x, exactly, rounded half to even.
std::int64_t CurrencyOverReal(std::int64_t c, double x) {
  if (std::isnan(x)) MathFail(mkInvalidOp);
  if (x == 0.0) MathFail(c == 0 ? mkInvalidOp : mkZeroDivide);
  if (std::isinf(x) || c == 0) return 0;
  std::int64_t m;
  int shift;
  SplitDouble(x, m, shift);
  while ((m & 1) == 0) {
    m /= 2;
    ++shift;
  }
  __int128 num = c;
  __int128 den = m;
  if (shift < 0) {
    const int k = -shift;
    const unsigned __int128 absC = c < 0 ? -static_cast<unsigned __int128>(c) : static_cast<unsigned __int128>(c);
    // The quotient is then at least 2^(125 - 53): far outside the range.
    if (BitLength(absC) + k > 125) MathFail(mkInvalidOp);
    num <<= k;
  } else if (shift > 0) {
    const unsigned __int128 absM = m < 0 ? -static_cast<unsigned __int128>(m) : static_cast<unsigned __int128>(m);
    // The divisor is then at least 2^124 and the quotient rounds to 0.
    if (BitLength(absM) + shift > 125) return 0;
    den <<= shift;
  }
  return CurrencyOrFail(DivideHalfEven(num, den));
}

std::int64_t CurrencyArith(int code, std::int64_t a, std::int64_t b) {
  switch (code) {
    case opMul: {
      std::int64_t r;
      if (!RoundScaledHalfEven(static_cast<__int128>(a) * b, 4, r)) MathFail(mkInvalidOp);
      return r;
    }
    case opDiv:
      if (b == 0) MathFail(a == 0 ? mkInvalidOp : mkZeroDivide);
      return CurrencyOrFail(DivideHalfEven(static_cast<__int128>(a) * CurrencyScale, b));
    case opAdd: return CurrencyOrFail(static_cast<__int128>(a) + b);
    case opSub: return CurrencyOrFail(static_cast<__int128>(a) - b);
    default: break;
  }
  throw std::runtime_error(texts::kProgramingErrorUpperCase);
}

// Mixed real and currency operands; exactly one of a, b is a currency.
TValue MixedArith(int code, const TValue& a, const TValue& b) {
  const bool currencyLeft = a.IsCurrency();
  switch (code) {
    case opAdd:
    case opSub: {
      const std::int64_t x = currencyLeft ? a.Cur : RealAsCurrency(a.Num);
      const std::int64_t y = currencyLeft ? RealAsCurrency(b.Num) : b.Cur;
      return TValue::MakeCurrency(CurrencyArith(code, x, y));
    }
    case opMul:
      return TValue::MakeCurrency(currencyLeft ? CurrencyTimesReal(a.Cur, b.Num) : CurrencyTimesReal(b.Cur, a.Num));
    case opDiv: {
      if (currencyLeft) return TValue::MakeCurrency(CurrencyOverReal(a.Cur, b.Num));
      // The real is rounded to four decimals first; the quotient is a real.
      const std::int64_t x = RealAsCurrency(a.Num);
      if (b.Cur == 0) MathFail(x == 0 ? mkInvalidOp : mkZeroDivide);
      return TValue::MakeReal(static_cast<double>(x) / static_cast<double>(b.Cur));
    }
    default: break;
  }
  throw std::runtime_error(texts::kProgramingErrorUpperCase);
}

// ---- complex ------------------------------------------------------------------

inline TComplex AsComplex(const TValue& v) {
  if (v.Kind == TValueKind::Complex) return v.Cx;
  return TComplex{v.AsReal(), 0.0};
}

inline bool HasNaN(TComplex z) { return std::isnan(z.Re) || std::isnan(z.Im); }
inline bool IsFinite(TComplex z) { return std::isfinite(z.Re) && std::isfinite(z.Im); }

// Judges the parts of a complex result r of operands x and y.
TComplex JudgeComplex(TComplex r, TComplex x, TComplex y) {
  if (std::isfinite(r.Re) && std::isfinite(r.Im)) return r;
  const bool nanIn = HasNaN(x) || HasNaN(y);
  const bool finiteIn = IsFinite(x) && IsFinite(y);
  for (double* part : {&r.Re, &r.Im}) {
    if (std::isnan(*part)) {
      if (!nanIn) MathFail(mkInvalidOp);
      *part = EngineNaN();
    } else if (std::isinf(*part) && finiteIn) {
      MathFail(mkOverflow);
    }
  }
  return r;
}

TComplex ComplexDiv(TComplex x, TComplex y) {
  if (HasNaN(x) || HasNaN(y)) return TComplex{EngineNaN(), EngineNaN()};
  if (y.Re == 0.0 && y.Im == 0.0) MathFail(mkZeroDivide);
  // Smith's method: no overflow of |y|^2 for large divisors.
  TComplex r;
  if (std::fabs(y.Re) >= std::fabs(y.Im)) {
    const double t = y.Im / y.Re;
    const double d = y.Re + y.Im * t;
    r = TComplex{(x.Re + x.Im * t) / d, (x.Im - x.Re * t) / d};
  } else {
    const double t = y.Re / y.Im;
    const double d = y.Re * t + y.Im;
    r = TComplex{(x.Re * t + x.Im) / d, (x.Im * t - x.Re) / d};
  }
  return JudgeComplex(r, x, y);
}

TComplex ComplexArith(int code, TComplex x, TComplex y) {
  switch (code) {
    case opMul: return JudgeComplex(TComplex{x.Re * y.Re - x.Im * y.Im, x.Re * y.Im + x.Im * y.Re}, x, y);
    case opDiv: return ComplexDiv(x, y);
    case opAdd: return JudgeComplex(TComplex{x.Re + y.Re, x.Im + y.Im}, x, y);
    case opSub: return JudgeComplex(TComplex{x.Re - y.Re, x.Im - y.Im}, x, y);
    default: break;
  }
  throw std::runtime_error(texts::kProgramingErrorUpperCase);
}

// ---- power --------------------------------------------------------------------

// Real power. An integral exponent of at most 2^31 - 1 in magnitude is the
// repeated product (the library's pow is exact to the last place and, unlike
// a literal squaring loop, overflows only when the final result does); any
// other exponent is exp(y ln x).
double RealPower(double x, double y) {
  if (std::isnan(x) || std::isnan(y)) return EngineNaN();
  if (y == 0.0) return 1.0;
  if (x == 0.0 && y > 0.0) return 0.0;
  if (std::isinf(y)) MathFail(mkInvalidOp);
  const bool integral = std::trunc(y) == y && std::fabs(y) <= 2147483647.0;
  if (x == 0.0) MathFail(mkZeroDivide);  // y < 0 here: 1 / 0, or ln 0
  if (!integral && x < 0.0) MathFail(mkInvalidOp);
  // Small positive powers are products, as the interpreter's fast path
  // computes them; the library's pow serves every other exponent.
  const double r = (y == 2.0 || y == 3.0 || y == 4.0) ? SmallIntegerPower(x, y) : std::pow(x, y);
  if (std::isinf(r) && std::isfinite(x)) MathFail(mkOverflow);
  if (std::isnan(r)) MathFail(mkInvalidOp);
  return r;
}

inline bool IsComplexZero(TComplex z) { return z.Re == 0.0 && z.Im == 0.0; }

// exp(y Ln x) with the principal logarithm.
TComplex ComplexPower(TComplex x, TComplex y) {
  if (HasNaN(x) || HasNaN(y)) return TComplex{EngineNaN(), EngineNaN()};
  if (IsComplexZero(x)) return IsComplexZero(y) ? TComplex{1.0, 0.0} : TComplex{0.0, 0.0};
  const TComplex ln{std::log(std::hypot(x.Re, x.Im)), std::atan2(x.Im, x.Re)};
  const TComplex w{y.Re * ln.Re - y.Im * ln.Im, y.Re * ln.Im + y.Im * ln.Re};
  const double m = std::exp(w.Re);
  const double c = std::cos(w.Im);
  const double s = std::sin(w.Im);
  // A zero factor stays zero even when the modulus overflowed.
  const TComplex r{c == 0.0 ? 0.0 : m * c, s == 0.0 ? 0.0 : m * s};
  return JudgeComplex(r, x, y);
}

inline void CheckNumeric(const TValue& v) {
  if (!v.IsNumeric()) KindFail(texts::kIncorrectRealOrComplexType);
}

}  // namespace

bool ApproxEqual(double a, double b) {
  const double t = (a == 0.0 || b == 0.0) ? EngineTolerance : EngineTolerance * std::fmin(std::fabs(a), std::fabs(b));
  return std::fabs(b - a) <= t;
}

void ArithOp(int code, const TValue& a, const TValue& b, TValue& result) {
  if (a.Kind == TValueKind::Real && b.Kind == TValueKind::Real) {
    const double r = RealArith(code, a.Num, b.Num);
    result = TValue::MakeReal(r);
    return;
  }
  CheckNumeric(a);
  CheckNumeric(b);
  if (a.Kind == TValueKind::Complex || b.Kind == TValueKind::Complex) {
    const TComplex r = ComplexArith(code, AsComplex(a), AsComplex(b));
    result = TValue::MakeComplex(r.Re, r.Im);
    return;
  }
  if (a.IsCurrency() && b.IsCurrency()) {
    const std::int64_t r = CurrencyArith(code, a.Cur, b.Cur);
    result = TValue::MakeCurrency(r);
    return;
  }
  const TValue r = MixedArith(code, a, b);
  result = r;
}

void PowerOp(const TValue& x, const TValue& y, TValue& result) {
  CheckNumeric(x);
  CheckNumeric(y);
  if (x.IsRealLike() && y.IsRealLike()) {
    const double r = RealPower(x.AsReal(), y.AsReal());
    result = TValue::MakeReal(r);
    return;
  }
  const TComplex r = ComplexPower(AsComplex(x), AsComplex(y));
  result = TValue::MakeComplex(r.Re, r.Im);
}

void RationalPowerOp(const TValue& x, const TValue& p, const TValue& q, TValue& result) {
  CheckNumeric(x);
  CheckNumeric(p);
  CheckNumeric(q);
  if (!(x.IsRealLike() && p.IsRealLike() && q.IsRealLike())) {
    TValue exponent;
    ArithOp(opDiv, p, q, exponent);
    const TComplex r = ComplexPower(AsComplex(x), AsComplex(exponent));
    result = TValue::MakeComplex(r.Re, r.Im);
    return;
  }
  const double b = x.AsReal();
  const double pn = p.AsReal();
  const double qn = q.AsReal();
  if (std::isnan(b) || std::isnan(pn) || std::isnan(qn)) {
    result = TValue::MakeReal(EngineNaN());
    return;
  }
  double r;
  const double qi = std::trunc(qn);
  if (b >= 0.0 || std::fabs(pn - std::trunc(pn)) > EngineTolerance || std::fabs(qn - qi) > EngineTolerance ||
      std::fmod(qi, 2.0) == 0.0) {
    r = RealPower(b, RealDiv(pn, qn));
  } else {
    // Odd denominator: the real odd root of the negative base.
    const double aq = std::fabs(qi);
    const double root = -(aq == 3.0 ? std::cbrt(-b) : RealPower(-b, RealDiv(1.0, aq)));
    const double n = std::fabs(std::trunc(pn));
    r = RealPower(root, RealDiv(pn, qn) > 0.0 ? n : -n);
  }
  result = TValue::MakeReal(r);
}

void CompareOp(int code, const TValue& a, const TValue& b, TValue& result) {
  bool r = false;
  if (a.IsRealLike() && b.IsRealLike()) {
    const double x = a.AsReal();
    const double y = b.AsReal();
    if (std::isnan(x) || std::isnan(y)) {
      result = TValue::MakeReal(EngineNaN());
      return;
    }
    // With an infinite operand equality and order are exact: an infinity
    // equals only the same infinity, and -inf < finite < +inf.
    const bool exact = std::isinf(x) || std::isinf(y);
    const bool same = exact ? x == y : ApproxEqual(x, y);
    switch (code) {
      case opEq: r = same; break;
      case opUneq: r = !same; break;
      case opLs: r = x < y; break;
      case opGr: r = x > y; break;
      case opLsEq: r = x < y || same; break;
      case opGrEq: r = x > y || same; break;
      default: throw std::runtime_error(texts::kProgramingErrorUpperCase);
    }
  } else if (a.Kind == TValueKind::Boolean && b.Kind == TValueKind::Boolean) {
    const int x = a.Bool ? 1 : 0;
    const int y = b.Bool ? 1 : 0;
    switch (code) {
      case opEq: r = x == y; break;
      case opUneq: r = x != y; break;
      case opLs: r = x < y; break;
      case opGr: r = x > y; break;
      case opLsEq: r = x <= y; break;
      case opGrEq: r = x >= y; break;
      default: throw std::runtime_error(texts::kProgramingErrorUpperCase);
    }
  } else if (a.Kind == TValueKind::Complex && b.Kind == TValueKind::Complex && (code == opEq || code == opUneq)) {
    const bool same = ApproxEqual(a.Cx.Re, b.Cx.Re) && ApproxEqual(a.Cx.Im, b.Cx.Im);
    r = code == opEq ? same : !same;
  } else {
    KindFail(texts::kIncorrectComparativeType);
  }
  result = TValue::MakeBool(r);
}

void LogicOp(int code, const TValue* const* args, int count, TValue& result) {
  if (count < 1 || args[0]->Kind != TValueKind::Boolean) KindFail(texts::kIncorrectBooleanType);
  bool r = args[0]->Bool;
  if (code == opNot) {
    result = TValue::MakeBool(!r);
    return;
  }
  for (int i = 1; i < count; ++i) {
    const TValue& v = *args[i];
    if (v.Kind != TValueKind::Boolean) KindFail(texts::kIncorrectBooleanType);
    switch (code) {
      case opAnd: r = r && v.Bool; break;
      case opOr: r = r || v.Bool; break;
      case opXor: r = r != v.Bool; break;
      default: throw std::runtime_error(texts::kProgramingErrorUpperCase);
    }
  }
  result = TValue::MakeBool(r);
}

}  // namespace helmax
