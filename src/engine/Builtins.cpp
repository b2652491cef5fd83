// Built-in functions: the mathematical functions by value kind, the
// aggregates, the complex utilities, kind tests, conversions and random;
// the values of the built-in constants and the help lines of the catalogue.
//
// As for the operators, floating-point conditions are judged from each
// function's argument and result (NaN born of a non-NaN argument: invalid
// operation; infinity born of a finite argument: overflow); poles and
// domain limits are tested before computing. Stated special values (such as
// arctanh(1) = +inf) are returned as they are.
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <random>
#include <stdexcept>
#include <string>

#include "FixedTexts.h"
#include "Operations.h"

namespace helmax {
namespace {

using Cplx = std::complex<double>;

constexpr double kPi = std::numbers::pi;
constexpr double kTiny = 1e-16;          // absolute tolerance of the real special values
constexpr double kComplexZero = 1e-300;  // "at 0" for complex operands
constexpr double kTwoPow63 = 9223372036854775808.0;
constexpr double kTwoPow53 = 9007199254740992.0;

[[noreturn]] void MathFail(int kind) { throw EHelmaxMathError(kind); }

[[noreturn]] void KindFail(const char* message) { throw std::runtime_error(message); }

// ---- real functions -----------------------------------------------------------

// A computed real result r of the argument x.
inline double Judge(double r, double x) {
  if (std::isfinite(r)) return r;
  if (std::isnan(r)) {
    if (std::isnan(x)) return EngineNaN();
    MathFail(mkInvalidOp);
  }
  if (std::isfinite(x)) MathFail(mkOverflow);
  return r;
}

// 1 / d of a computed d (x the function's argument).
inline double Reciprocal(double d, double x) {
  if (d == 0.0) MathFail(mkZeroDivide);
  return Judge(1.0 / d, x);
}

// Finite arguments of 2^63 or more give 0 (the range-reduction limit of the
// classic FPU instructions, kept so that results do not change with the
// library); an infinite argument is an invalid operation.
inline double RealCos(double x) {
  if (std::isinf(x)) MathFail(mkInvalidOp);
  return std::fabs(x) >= kTwoPow63 ? 0.0 : std::cos(x);
}
inline double RealSin(double x) {
  if (std::isinf(x)) MathFail(mkInvalidOp);
  return std::fabs(x) >= kTwoPow63 ? 0.0 : std::sin(x);
}
inline double RealCosh(double x) { return std::fabs(x) <= kTiny ? 1.0 : Judge(std::cosh(x), x); }
inline double RealSinh(double x) { return std::fabs(x) <= kTiny ? 0.0 : Judge(std::sinh(x), x); }
inline double RealTanh(double x) { return std::fabs(x) <= kTiny ? 0.0 : std::tanh(x); }

// Logarithms: ln 0 divides by zero, a negative argument is invalid.
inline double CheckLogArgument(double x) {
  if (x == 0.0) MathFail(mkZeroDivide);
  if (x < 0.0) MathFail(mkInvalidOp);
  return x;
}
inline double RealLn(double x) { return std::log(CheckLogArgument(x)); }

// Integral parts are exact in double for every finite argument.
inline double WholeArgument(double x) {
  if (std::isinf(x)) MathFail(mkInvalidOp);
  return x;
}

// Componentwise functions of one real part; NaN gives NaN.
double PartFunction(int code, double x) {
  if (std::isnan(x)) return EngineNaN();
  switch (code) {
    case opCeil:
    case opCeiling: return std::ceil(WholeArgument(x));
    case opFloor: return std::floor(WholeArgument(x));
    case opInt:
    case opIntegerPart: return std::trunc(WholeArgument(x));
    case opFrac:
    case opFractionalPart: return x - std::trunc(WholeArgument(x));
    case opDegToRad: return Judge(x * (kPi / 180.0), x);
    case opRadToDeg: return Judge(x * (180.0 / kPi), x);
    default: break;
  }
  throw std::runtime_error(texts::kProgramingErrorUpperCase);
}

// Unary real functions; x is not NaN.
double RealFunction(int code, double x) {
  switch (code) {
    case opExp: return Judge(std::exp(x), x);
    case opCos: return RealCos(x);
    case opSin: return RealSin(x);
    case opTan:
      if (std::isinf(x)) MathFail(mkInvalidOp);
      return Judge(std::tan(x), x);
    case opCotan:
    case opCot:
      if (std::isinf(x)) MathFail(mkInvalidOp);
      return Reciprocal(std::tan(x), x);
    case opSqrt:
      if (x < 0.0) MathFail(mkInvalidOp);
      return std::sqrt(x);
    case opAbs: return std::fabs(x);
    case opLn:
    case opLog: return RealLn(x);
    case opSqr: return Judge(x * x, x);
    case opLnxp1:
      if (x == -1.0) MathFail(mkZeroDivide);
      if (x < -1.0) MathFail(mkInvalidOp);
      return std::log1p(x);
    case opLog10: return std::log10(CheckLogArgument(x));
    case opLog2: return std::log2(CheckLogArgument(x));
    case opArccos:
      if (std::fabs(x) > 1.0) MathFail(mkInvalidOp);
      return std::acos(x);
    case opArcsin:
      if (std::fabs(x) > 1.0) MathFail(mkInvalidOp);
      return std::asin(x);
    case opArctan: return std::atan(x);
    case opCosh: return RealCosh(x);
    case opSinh: return RealSinh(x);
    case opTanh: return RealTanh(x);
    case opArccosh:
      if (x < 1.0) MathFail(mkInvalidOp);
      return std::acosh(x);
    case opArcsinh: return std::asinh(x);
    case opArctanh:
      if (std::fabs(x - 1.0) <= kTiny) return INFINITY;
      if (std::fabs(x + 1.0) <= kTiny) return -INFINITY;
      if (std::fabs(x) > 1.0) MathFail(mkInvalidOp);
      return std::atanh(x);
    case opSec:
    case opSecant: return Reciprocal(RealCos(x), x);
    case opCsc:
    case opCosecant: return Reciprocal(RealSin(x), x);
    case opSech: {
      // cosh overflowing on the way is no overflow of the result.
      const double c = std::fabs(x) <= kTiny ? 1.0 : std::cosh(x);
      return std::isinf(c) ? 0.0 : 1.0 / c;
    }
    case opCsch: {
      const double s = std::fabs(x) <= kTiny ? 0.0 : std::sinh(x);
      if (std::isinf(s)) return std::copysign(0.0, s);
      return Reciprocal(s, x);
    }
    case opCoth: return Reciprocal(RealTanh(x), x);
    case opArccot: return std::fabs(x) <= kTiny ? kPi / 2.0 : std::atan(1.0 / x);
    case opArcsec:
    case opArccsc: {
      if (std::fabs(x) <= kTiny) return INFINITY;
      const double y = 1.0 / x;
      if (std::fabs(y) > 1.0) MathFail(mkInvalidOp);
      return code == opArcsec ? std::acos(y) : std::asin(y);
    }
    case opArccoth:
      if (std::fabs(x - 1.0) <= kTiny) return INFINITY;
      if (std::fabs(x + 1.0) <= kTiny) return -INFINITY;
      if (std::fabs(x) < 1.0) MathFail(mkInvalidOp);
      return std::atanh(1.0 / x);
    case opArcsech:
      if (std::fabs(x) <= kTiny) return INFINITY;
      if (x < 0.0 || x > 1.0) MathFail(mkInvalidOp);
      return std::log((1.0 + std::sqrt((1.0 - x) * (1.0 + x))) / x);
    case opArccsch: return Judge(std::asinh(Reciprocal(x, x)), x);
    case opSign: return x > 0.0 ? 1.0 : (x < 0.0 ? -1.0 : 0.0);
    default: break;
  }
  throw std::runtime_error(texts::kProgramingErrorUpperCase);
}

// ---- complex functions --------------------------------------------------------

inline Cplx ToCplx(const TValue& v) {
  if (v.Kind == TValueKind::Complex) return Cplx(v.Cx.Re, v.Cx.Im);
  return Cplx(v.AsReal(), 0.0);
}

inline bool HasNaN(Cplx z) { return std::isnan(z.real()) || std::isnan(z.imag()); }

inline Cplx NaNComplex() { return Cplx(EngineNaN(), EngineNaN()); }

// A computed complex result r of the argument z.
Cplx JudgeCplx(Cplx r, Cplx z) {
  double re = r.real();
  double im = r.imag();
  if (std::isfinite(re) && std::isfinite(im)) return r;
  const bool nanIn = HasNaN(z);
  const bool finiteIn = std::isfinite(z.real()) && std::isfinite(z.imag());
  for (double* part : {&re, &im}) {
    if (std::isnan(*part)) {
      if (!nanIn) MathFail(mkInvalidOp);
      *part = EngineNaN();
    } else if (std::isinf(*part) && finiteIn) {
      MathFail(mkOverflow);
    }
  }
  return Cplx(re, im);
}

inline bool AtZero(Cplx z) { return std::fabs(z.real()) <= kComplexZero && std::fabs(z.imag()) <= kComplexZero; }

// One part of an operand against the same part of a special point.
inline bool NearPart(double a, double b) {
  return std::fabs(a - b) <= std::fmax(1e-12, 1e-12 * std::fmin(std::fabs(a), std::fabs(b)));
}
inline bool At(Cplx z, double re, double im) { return NearPart(z.real(), re) && NearPart(z.imag(), im); }

// 1 / z through |z|^2; |z|^2 of at most 1e-300 is a division by zero.
Cplx CplxReciprocal(Cplx z) {
  const double n2 = z.real() * z.real() + z.imag() * z.imag();
  if (n2 <= kComplexZero) MathFail(mkZeroDivide);
  return Cplx(z.real() / n2, -z.imag() / n2);
}

inline Cplx CplxLn(Cplx z) {
  if (AtZero(z)) return Cplx(-INFINITY, 0.0);
  return JudgeCplx(std::log(z), z);
}

// tan z = (sin 2a + i sinh 2b) / (cos 2a + cosh 2b) and
// cot z = (sin 2a - i sinh 2b) / (cosh 2b - cos 2a) for z = a + ib.
Cplx CplxTanCot(Cplx z, bool cot) {
  const double a2 = 2.0 * z.real();
  const double b2 = 2.0 * z.imag();
  const double ch = std::cosh(b2);
  const double den = cot ? ch - std::cos(a2) : std::cos(a2) + ch;
  if (std::fabs(den) <= kComplexZero) MathFail(mkZeroDivide);
  // Far from the real axis the imaginary part is tanh 2b = +-1.
  double im = std::isinf(den) ? std::copysign(1.0, b2) : std::sinh(b2) / den;
  if (cot) im = -im;
  return JudgeCplx(Cplx(std::sin(a2) / den, im), z);
}

Cplx CplxArctan(Cplx z) {
  if (At(z, 0.0, 1.0)) return Cplx(0.0, INFINITY);
  if (At(z, 0.0, -1.0)) return Cplx(0.0, -INFINITY);
  return JudgeCplx(std::atan(z), z);
}

Cplx CplxArctanh(Cplx z) {
  if (At(z, 1.0, 0.0)) return Cplx(INFINITY, 0.0);
  if (At(z, -1.0, 0.0)) return Cplx(-INFINITY, 0.0);
  return JudgeCplx(std::atanh(z), z);
}

// Unary complex functions.
Cplx ComplexFunction(int code, Cplx z) {
  switch (code) {
    case opExp: return JudgeCplx(std::exp(z), z);
    case opCos: return JudgeCplx(std::cos(z), z);
    case opSin: return JudgeCplx(std::sin(z), z);
    case opTan:
      if (At(z, kPi / 2.0, 0.0)) return NaNComplex();
      return CplxTanCot(z, false);
    case opCotan:
    case opCot:
      if (AtZero(z)) return NaNComplex();
      return CplxTanCot(z, true);
    case opSqrt:
      if (AtZero(z)) return z;
      return JudgeCplx(std::sqrt(z), z);
    case opLn:
    case opLog: return CplxLn(z);
    case opSqr: {
      const double re = z.real() * z.real() - z.imag() * z.imag();
      const double im = 2.0 * z.real() * z.imag();
      return JudgeCplx(Cplx(re, im), z);
    }
    case opLnxp1: return CplxLn(Cplx(1.0 + z.real(), z.imag()));
    case opLog10:
    case opLog2: {
      if (AtZero(z)) return Cplx(-INFINITY, 0.0);
      const double base = code == opLog10 ? std::numbers::ln10 : std::numbers::ln2;
      const Cplx ln = CplxLn(z);
      return Cplx(ln.real() / base, ln.imag() / base);
    }
    case opArccos: return JudgeCplx(std::acos(z), z);
    case opArcsin: return JudgeCplx(std::asin(z), z);
    case opArctan: return CplxArctan(z);
    case opCosh: return JudgeCplx(std::cosh(z), z);
    case opSinh: return JudgeCplx(std::sinh(z), z);
    case opTanh:
      if (AtZero(z)) return Cplx(0.0, 0.0);
      return JudgeCplx(std::tanh(z), z);
    case opArccosh: return JudgeCplx(std::acosh(z), z);
    case opArcsinh: return JudgeCplx(std::asinh(z), z);
    case opArctanh: return CplxArctanh(z);
    case opSec:
    case opSecant:
      if (At(z, kPi / 2.0, 0.0)) return NaNComplex();
      return CplxReciprocal(JudgeCplx(std::cos(z), z));
    case opCsc:
    case opCosecant:
      if (AtZero(z)) return NaNComplex();
      return CplxReciprocal(JudgeCplx(std::sin(z), z));
    case opSech: return CplxReciprocal(JudgeCplx(std::cosh(z), z));
    case opCsch:
      if (AtZero(z)) return NaNComplex();
      return CplxReciprocal(JudgeCplx(std::sinh(z), z));
    case opCoth:
      if (AtZero(z)) return NaNComplex();
      return CplxReciprocal(JudgeCplx(std::tanh(z), z));
    case opArccot: return CplxArctan(CplxReciprocal(z));
    case opArcsec:
      if (AtZero(z)) return NaNComplex();
      return JudgeCplx(std::acos(CplxReciprocal(z)), z);
    case opArccsc:
      if (AtZero(z)) return NaNComplex();
      return JudgeCplx(std::asin(CplxReciprocal(z)), z);
    case opArccoth:
      if (At(z, 1.0, 0.0)) return Cplx(INFINITY, 0.0);
      if (At(z, -1.0, 0.0)) return Cplx(-INFINITY, 0.0);
      return CplxArctanh(CplxReciprocal(z));
    case opArcsech:
      if (AtZero(z)) return Cplx(INFINITY, 0.0);
      return JudgeCplx(std::acosh(CplxReciprocal(z)), z);
    case opArccsch:
      if (AtZero(z)) return NaNComplex();
      return JudgeCplx(std::asinh(CplxReciprocal(z)), z);
    case opSign: {
      if (z.real() == 0.0 && z.imag() == 0.0) MathFail(mkZeroDivide);
      // Scaled by the larger part first, so that |z| cannot overflow.
      const double s = std::fmax(std::fabs(z.real()), std::fabs(z.imag()));
      const Cplx u = std::isfinite(s) ? Cplx(z.real() / s, z.imag() / s) : z;
      const double m = std::hypot(u.real(), u.imag());
      return JudgeCplx(Cplx(u.real() / m, u.imag() / m), z);
    }
    case opCeil:
    case opCeiling:
    case opFloor:
    case opInt:
    case opIntegerPart:
    case opFrac:
    case opFractionalPart:
    case opDegToRad:
    case opRadToDeg: return Cplx(PartFunction(code, z.real()), PartFunction(code, z.imag()));
    default: break;
  }
  throw std::runtime_error(texts::kProgramingErrorUpperCase);
}

inline void SetComplex(TValue& result, Cplx z) {
  const double re = std::isnan(z.real()) ? EngineNaN() : z.real();
  const double im = std::isnan(z.imag()) ? EngineNaN() : z.imag();
  result = TValue::MakeComplex(re, im);
}

// ---- functions of one operand ----------------------------------------------------

void Unary(int code, const TValue& v, TValue& result) {
  if (v.IsRealLike()) {
    const double x = v.AsReal();
    double r;
    if (std::isnan(x)) {
      r = EngineNaN();
    } else {
      switch (code) {
        case opCeil:
        case opCeiling:
        case opFloor:
        case opInt:
        case opIntegerPart:
        case opFrac:
        case opFractionalPart:
        case opDegToRad:
        case opRadToDeg: r = PartFunction(code, x); break;
        default: r = RealFunction(code, x); break;
      }
    }
    result = TValue::MakeReal(r);
    return;
  }
  if (v.Kind != TValueKind::Complex) KindFail(texts::kIncorrectRealOrComplexType);
  const Cplx z = ToCplx(v);
  if (code == opAbs) {
    double m = std::hypot(z.real(), z.imag());
    if (std::isnan(m)) m = EngineNaN();
    else if (std::isinf(m) && std::isfinite(z.real()) && std::isfinite(z.imag())) MathFail(mkOverflow);
    result = TValue::MakeReal(m);
    return;
  }
  SetComplex(result, ComplexFunction(code, z));
}

// ---- functions of two operands ---------------------------------------------------

// Angle of the point (x, y) in (-pi, pi]: a negative zero y counts as 0.
inline double Atan2(double y, double x) { return std::atan2(y == 0.0 ? 0.0 : y, x); }

inline void CheckNumeric(const TValue& v) {
  if (!v.IsNumeric()) KindFail(texts::kIncorrectRealOrComplexType);
}

// The angle of the point (x, y); the complex arctan of y / x otherwise.
void Angle(const TValue& y, const TValue& x, TValue& result) {
  CheckNumeric(y);
  CheckNumeric(x);
  if (y.IsRealLike() && x.IsRealLike()) {
    const double a = y.AsReal();
    const double b = x.AsReal();
    result = TValue::MakeReal(std::isnan(a) || std::isnan(b) ? EngineNaN() : Atan2(a, b));
    return;
  }
  TValue q;
  ArithOp(opDiv, y, x, q);
  SetComplex(result, CplxArctan(ToCplx(q)));
}

void LogN(const TValue& b, const TValue& x, TValue& result) {
  CheckNumeric(b);
  CheckNumeric(x);
  if (b.IsRealLike() && x.IsRealLike()) {
    const double base = b.AsReal();
    const double v = x.AsReal();
    if (std::isnan(base) || std::isnan(v)) {
      result = TValue::MakeReal(EngineNaN());
      return;
    }
    const double lnx = RealLn(v);
    const double lnb = RealLn(base);
    if (lnb == 0.0) MathFail(lnx == 0.0 ? mkInvalidOp : mkZeroDivide);
    const double r = lnx / lnb;
    result = TValue::MakeReal(std::isnan(r) ? EngineNaN() : r);
    return;
  }
  // A complex base contributes only its real part.
  const double baseRe = b.Kind == TValueKind::Complex ? b.Cx.Re : b.AsReal();
  const Cplx z = ToCplx(x);
  if (std::isnan(baseRe) || HasNaN(z)) {
    SetComplex(result, NaNComplex());
    return;
  }
  const double lnb = RealLn(baseRe);
  if (lnb == 0.0) MathFail(mkZeroDivide);
  const Cplx lnx = CplxLn(z);
  SetComplex(result, Cplx(lnx.real() / lnb, lnx.imag() / lnb));
}

// mod (x - y floor(x / y)) and quotient / div (floor(x / y)).
void FloorDivision(int code, const TValue& x, const TValue& y, TValue& result) {
  CheckNumeric(x);
  CheckNumeric(y);
  TValue q;
  ArithOp(opDiv, x, y, q);
  if (x.IsRealLike() && y.IsRealLike()) {
    const double qn = q.AsReal();
    if (std::isnan(qn)) {
      result = TValue::MakeReal(EngineNaN());
      return;
    }
    const TValue f = TValue::MakeReal(PartFunction(opFloor, qn));
    if (code != opMod) {
      result = f;
      return;
    }
    TValue t;
    ArithOp(opMul, y, f, t);
    ArithOp(opSub, x, t, result);
    return;
  }
  const TValue f = TValue::MakeComplex(PartFunction(opFloor, q.Cx.Re), PartFunction(opFloor, q.Cx.Im));
  if (code != opMod) {
    result = f;
    return;
  }
  TValue t;
  ArithOp(opMul, y, f, t);
  ArithOp(opSub, x, t, result);
}

void MakeComplexFrom(int code, const TValue& a, const TValue& b, TValue& result) {
  if (!a.IsRealLike() || !b.IsRealLike()) KindFail(texts::kIncorrectComplexType);
  const double x = a.AsReal();
  const double y = b.AsReal();
  if (code == opComplex) {
    SetComplex(result, Cplx(x, y));
    return;
  }
  if (std::isnan(x) || std::isnan(y)) {
    SetComplex(result, NaNComplex());
    return;
  }
  if (std::isinf(y)) MathFail(mkInvalidOp);
  const double c = std::cos(y);
  const double s = std::sin(y);
  // A zero factor keeps an infinite modulus from making a NaN.
  SetComplex(result, Cplx(c == 0.0 ? 0.0 : x * c, s == 0.0 ? 0.0 : x * s));
}

// ---- aggregates ------------------------------------------------------------------

void MaxMin(bool isMax, const TValue* const* args, int count, TValue& result) {
  if (!args[0]->IsRealLike()) KindFail(texts::kIncorrectRealType);
  TValue r = *args[0];
  bool rNaN = std::isnan(r.AsReal());
  for (int i = 1; i < count; ++i) {
    const TValue& a = *args[i];
    if (!a.IsRealLike()) KindFail(texts::kIncorrectRealType);
    const double av = a.AsReal();
    if (std::isnan(av)) rNaN = true;
    if (rNaN) continue;
    const double rv = r.AsReal();
    bool take;
    if (std::isinf(av)) take = isMax ? av > 0.0 : av < 0.0;
    else if (std::isinf(rv)) take = isMax ? rv < 0.0 : rv > 0.0;
    else take = isMax ? rv < av : rv > av;
    if (take) r = a;
  }
  if (rNaN) r = TValue::MakeReal(EngineNaN());
  result = r;
}

void SumMean(bool mean, const TValue* const* args, int count, TValue& result) {
  CheckNumeric(*args[0]);
  TValue s = *args[0];
  if (s.IsReal() && std::isnan(s.Num)) s.Num = EngineNaN();
  for (int i = 1; i < count; ++i) {
    CheckNumeric(*args[i]);
    ArithOp(opAdd, s, *args[i], s);
  }
  if (mean) ArithOp(opDiv, s, TValue::MakeReal(static_cast<double>(count)), s);
  result = s;
}

// ---- random ----------------------------------------------------------------------

double Random(double x, std::mt19937_64& rng) {
  if (std::isnan(x)) return EngineNaN();
  if (x < 0.0) KindFail(texts::kRangeOfRandomNumberMustBePositive);
  const double n = std::trunc(x);
  if (n < 1.0) return static_cast<double>(rng() >> 11) * 0x1.0p-53;
  if (!(n < kTwoPow53)) MathFail(mkInvalidOp);
  std::uniform_int_distribution<std::uint64_t> draw(0, static_cast<std::uint64_t>(n) - 1);
  return static_cast<double>(draw(rng));
}

void RealToCurrencyFunction(const TValue& v, TValue& result) {
  if (!v.IsReal()) KindFail(texts::kIncorrectRealType);
  if (std::isnan(v.Num)) MathFail(mkInvalidOp);
  std::int64_t scaled;
  if (!RealToCurrency(v.Num, scaled))
    throw std::runtime_error("'" + RealToText(v.Num) + "' is not a valid currency value");
  result = TValue::MakeCurrency(scaled);
}

const TValue& RealLikeArgument(const TValue& v) {
  if (!v.IsRealLike()) KindFail(texts::kIncorrectRealType);
  return v;
}

const TValue& ComplexArgument(const TValue& v) {
  if (v.Kind != TValueKind::Complex) KindFail(texts::kIncorrectComplexType);
  return v;
}

}  // namespace

TValue BuiltinConstant(int code) {
  switch (code) {
    case opPi: return TValue::MakeReal(kPi);
    case opInfinity:
    case opDirectedInfinity:  // directedinfinity(1)
    case opInf: return TValue::MakeReal(INFINITY);
    case opZero: return TValue::MakeReal(EngineTolerance);
    case opNaN:
    case opIndeterminate: return TValue::MakeReal(EngineNaN());
    case opTrue: return TValue::MakeBool(true);
    case opFalse: return TValue::MakeBool(false);
    case opDegree: return TValue::MakeReal(kPi / 180.0);
    case opE: return TValue::MakeReal(std::exp(1.0));
    case opNull: return TValue::MakeNull();
    default: return TValue::MakeNull();
  }
}

void EvalBuiltin(int code, const TValue* const* args, int count, TValue& result, std::mt19937_64& rng) {
  switch (code) {
    case opMul:
    case opDiv:
    case opAdd:
    case opSub: ArithOp(code, *args[0], *args[1], result); return;
    case opPow:
    case opPower:
      if (count == 3) RationalPowerOp(*args[0], *args[1], *args[2], result);
      else PowerOp(*args[0], *args[1], result);
      return;
    case opEq:
    case opUneq:
    case opLs:
    case opGr:
    case opLsEq:
    case opGrEq: CompareOp(code, *args[0], *args[1], result); return;
    case opAnd:
    case opOr:
    case opNot:
    case opXor: LogicOp(code, args, count, result); return;
    case opBk: result = *args[count - 1]; return;
    case opArctan:
      if (count == 2) {
        Angle(*args[1], *args[0], result);
        return;
      }
      Unary(code, *args[0], result);
      return;
    case opArctan2: Angle(*args[0], *args[1], result); return;
    case opLogN: LogN(*args[0], *args[1], result); return;
    case opMod:
    case opQuotient:
    case opIntegerDiv: FloorDivision(code, *args[0], *args[1], result); return;
    case opComplex:
    case opComplexFromPolar: MakeComplexFrom(code, *args[0], *args[1], result); return;
    case opMax:
    case opMin: MaxMin(code == opMax, args, count, result); return;
    case opSum:
    case opMean: SumMean(code == opMean, args, count, result); return;
    case opIsNaN: {
      const TValue& v = RealLikeArgument(*args[0]);
      result = TValue::MakeBool(std::isnan(v.AsReal()));
      return;
    }
    case opIsComplex: result = TValue::MakeBool(args[0]->Kind == TValueKind::Complex); return;
    case opIsReal: result = TValue::MakeBool(args[0]->Kind == TValueKind::Real); return;
    case opIsBoolean: result = TValue::MakeBool(args[0]->Kind == TValueKind::Boolean); return;
    case opIsNull: result = TValue::MakeBool(args[0]->Kind == TValueKind::Null); return;
    case opIsCurrency: result = TValue::MakeBool(args[0]->Kind == TValueKind::Currency); return;
    case opIsDateTime: result = TValue::MakeBool(args[0]->Kind == TValueKind::DateTime); return;
    case opRe:
    case opIm:
    case opArg: {
      const TComplex z = ComplexArgument(*args[0]).Cx;
      double r = code == opRe ? z.Re : (code == opIm ? z.Im : Atan2(z.Im, z.Re));
      if (std::isnan(r)) r = EngineNaN();
      result = TValue::MakeReal(r);
      return;
    }
    case opConjugate: {
      const TComplex z = ComplexArgument(*args[0]).Cx;
      SetComplex(result, Cplx(z.Re, -z.Im));
      return;
    }
    case opReal2Curr: RealToCurrencyFunction(*args[0], result); return;
    case opCurr2Real:
      if (args[0]->Kind != TValueKind::Currency) KindFail(texts::kIncorrectCurrencyType);
      result = TValue::MakeReal(args[0]->AsReal());
      return;
    case opRandom: {
      const double r = Random(RealLikeArgument(*args[0]).AsReal(), rng);
      result = TValue::MakeReal(r);
      return;
    }
    case opPi:
    case opInfinity:
    case opZero:
    case opNaN:
    case opIndeterminate:
    case opTrue:
    case opFalse:
    case opDegree:
    case opDirectedInfinity:
    case opE:
    case opNull:
    case opInf: result = BuiltinConstant(code); return;
    case opIf:
    case opWhile: break;
    default:
      if (code >= opFirstBuiltin && code <= opLastBuiltin) {
        Unary(code, *args[0], result);
        return;
      }
      break;
  }
  throw std::runtime_error(texts::kProgramingErrorUpperCase);
}

}  // namespace helmax
