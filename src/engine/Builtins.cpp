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

#include "Operations.h"

namespace helmax {
namespace {

using Cplx = std::complex<double>;

constexpr double kPi = std::numbers::pi;
constexpr double kTiny = 1e-16;           // absolute tolerance of the real special values
constexpr double kComplexZero = 1e-300;   // "at 0" for complex operands
constexpr double kTwoPow63 = 9223372036854775808.0;
constexpr double kTwoPow53 = 9007199254740992.0;

enum Fn : int {
  fnExp = 9,
  fnCos = 10,
  fnSin = 11,
  fnTan = 12,
  fnCotan = 13,
  fnSqrt = 14,
  fnAbs = 15,
  fnLn = 16,
  fnCeil = 17,
  fnSqr = 18,
  fnInt = 19,
  fnLnxp1 = 20,
  fnLog10 = 21,
  fnLog2 = 22,
  fnFrac = 23,
  fnArccos = 24,
  fnArccosh = 25,
  fnCosh = 26,
  fnArcsin = 27,
  fnArcsinh = 28,
  fnSinh = 29,
  fnArctan = 30,
  fnArctanh = 31,
  fnTanh = 32,
  fnArctan2 = 33,
  fnMax = 34,
  fnMin = 35,
  fnMean = 36,
  fnSum = 37,
  fnDegToRad = 52,
  fnRadToDeg = 53,
  fnLogN = 54,
  fnFloor = 55,
  fnIsNaN = 58,
  fnSec = 59,
  fnSech = 60,
  fnCot = 61,
  fnCoth = 62,
  fnArccot = 63,
  fnArccoth = 64,
  fnArcsec = 65,
  fnArcsech = 66,
  fnCsc = 67,
  fnCsch = 68,
  fnArccsc = 69,
  fnArccsch = 70,
  fnSecant = 71,
  fnCosecant = 72,
  fnLog = 73,
  fnSign = 74,
  fnFractionalPart = 76,
  fnIntegerPart = 77,
  fnCeiling = 78,
  fnMod = 87,
  fnQuotient = 88,
  fnDiv = 89,
  fnComplex = 90,
  fnIsComplex = 91,
  fnIsReal = 92,
  fnRe = 93,
  fnIm = 94,
  fnConjugate = 95,
  fnArg = 96,
  fnIsBoolean = 97,
  fnIsNull = 98,
  fnComplexFromPolar = 99,
  fnReal2Curr = 100,
  fnCurr2Real = 101,
  fnIsCurrency = 102,
  fnIsDateTime = 103,
};

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
    case fnCeil:
    case fnCeiling: return std::ceil(WholeArgument(x));
    case fnFloor: return std::floor(WholeArgument(x));
    case fnInt:
    case fnIntegerPart: return std::trunc(WholeArgument(x));
    case fnFrac:
    case fnFractionalPart: return x - std::trunc(WholeArgument(x));
    case fnDegToRad: return Judge(x * (kPi / 180.0), x);
    case fnRadToDeg: return Judge(x * (180.0 / kPi), x);
    default: break;
  }
  throw std::runtime_error("PROGRAMING ERROR");
}

// Unary real functions; x is not NaN.
double RealFunction(int code, double x) {
  switch (code) {
    case fnExp: return Judge(std::exp(x), x);
    case fnCos: return RealCos(x);
    case fnSin: return RealSin(x);
    case fnTan:
      if (std::isinf(x)) MathFail(mkInvalidOp);
      return Judge(std::tan(x), x);
    case fnCotan:
    case fnCot:
      if (std::isinf(x)) MathFail(mkInvalidOp);
      return Reciprocal(std::tan(x), x);
    case fnSqrt:
      if (x < 0.0) MathFail(mkInvalidOp);
      return std::sqrt(x);
    case fnAbs: return std::fabs(x);
    case fnLn:
    case fnLog: return RealLn(x);
    case fnSqr: return Judge(x * x, x);
    case fnLnxp1:
      if (x == -1.0) MathFail(mkZeroDivide);
      if (x < -1.0) MathFail(mkInvalidOp);
      return std::log1p(x);
    case fnLog10: return std::log10(CheckLogArgument(x));
    case fnLog2: return std::log2(CheckLogArgument(x));
    case fnArccos:
      if (std::fabs(x) > 1.0) MathFail(mkInvalidOp);
      return std::acos(x);
    case fnArcsin:
      if (std::fabs(x) > 1.0) MathFail(mkInvalidOp);
      return std::asin(x);
    case fnArctan: return std::atan(x);
    case fnCosh: return RealCosh(x);
    case fnSinh: return RealSinh(x);
    case fnTanh: return RealTanh(x);
    case fnArccosh:
      if (x < 1.0) MathFail(mkInvalidOp);
      return std::acosh(x);
    case fnArcsinh: return std::asinh(x);
    case fnArctanh:
      if (std::fabs(x - 1.0) <= kTiny) return INFINITY;
      if (std::fabs(x + 1.0) <= kTiny) return -INFINITY;
      if (std::fabs(x) > 1.0) MathFail(mkInvalidOp);
      return std::atanh(x);
    case fnSec:
    case fnSecant: return Reciprocal(RealCos(x), x);
    case fnCsc:
    case fnCosecant: return Reciprocal(RealSin(x), x);
    case fnSech: {
      // cosh overflowing on the way is no overflow of the result.
      const double c = std::fabs(x) <= kTiny ? 1.0 : std::cosh(x);
      return std::isinf(c) ? 0.0 : 1.0 / c;
    }
    case fnCsch: {
      const double s = std::fabs(x) <= kTiny ? 0.0 : std::sinh(x);
      if (std::isinf(s)) return std::copysign(0.0, s);
      return Reciprocal(s, x);
    }
    case fnCoth: return Reciprocal(RealTanh(x), x);
    case fnArccot: return std::fabs(x) <= kTiny ? kPi / 2.0 : std::atan(1.0 / x);
    case fnArcsec:
    case fnArccsc: {
      if (std::fabs(x) <= kTiny) return INFINITY;
      const double y = 1.0 / x;
      if (std::fabs(y) > 1.0) MathFail(mkInvalidOp);
      return code == fnArcsec ? std::acos(y) : std::asin(y);
    }
    case fnArccoth:
      if (std::fabs(x - 1.0) <= kTiny) return INFINITY;
      if (std::fabs(x + 1.0) <= kTiny) return -INFINITY;
      if (std::fabs(x) < 1.0) MathFail(mkInvalidOp);
      return std::atanh(1.0 / x);
    case fnArcsech:
      if (std::fabs(x) <= kTiny) return INFINITY;
      if (x < 0.0 || x > 1.0) MathFail(mkInvalidOp);
      return std::log((1.0 + std::sqrt((1.0 - x) * (1.0 + x))) / x);
    case fnArccsch: return Judge(std::asinh(Reciprocal(x, x)), x);
    case fnSign: return x > 0.0 ? 1.0 : (x < 0.0 ? -1.0 : 0.0);
    default: break;
  }
  throw std::runtime_error("PROGRAMING ERROR");
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
    case fnExp: return JudgeCplx(std::exp(z), z);
    case fnCos: return JudgeCplx(std::cos(z), z);
    case fnSin: return JudgeCplx(std::sin(z), z);
    case fnTan:
      if (At(z, kPi / 2.0, 0.0)) return NaNComplex();
      return CplxTanCot(z, false);
    case fnCotan:
    case fnCot:
      if (AtZero(z)) return NaNComplex();
      return CplxTanCot(z, true);
    case fnSqrt:
      if (AtZero(z)) return z;
      return JudgeCplx(std::sqrt(z), z);
    case fnLn:
    case fnLog: return CplxLn(z);
    case fnSqr: {
      const double re = z.real() * z.real() - z.imag() * z.imag();
      const double im = 2.0 * z.real() * z.imag();
      return JudgeCplx(Cplx(re, im), z);
    }
    case fnLnxp1: return CplxLn(Cplx(1.0 + z.real(), z.imag()));
    case fnLog10:
    case fnLog2: {
      if (AtZero(z)) return Cplx(-INFINITY, 0.0);
      const double base = code == fnLog10 ? std::numbers::ln10 : std::numbers::ln2;
      const Cplx ln = CplxLn(z);
      return Cplx(ln.real() / base, ln.imag() / base);
    }
    case fnArccos: return JudgeCplx(std::acos(z), z);
    case fnArcsin: return JudgeCplx(std::asin(z), z);
    case fnArctan: return CplxArctan(z);
    case fnCosh: return JudgeCplx(std::cosh(z), z);
    case fnSinh: return JudgeCplx(std::sinh(z), z);
    case fnTanh:
      if (AtZero(z)) return Cplx(0.0, 0.0);
      return JudgeCplx(std::tanh(z), z);
    case fnArccosh: return JudgeCplx(std::acosh(z), z);
    case fnArcsinh: return JudgeCplx(std::asinh(z), z);
    case fnArctanh: return CplxArctanh(z);
    case fnSec:
    case fnSecant:
      if (At(z, kPi / 2.0, 0.0)) return NaNComplex();
      return CplxReciprocal(JudgeCplx(std::cos(z), z));
    case fnCsc:
    case fnCosecant:
      if (AtZero(z)) return NaNComplex();
      return CplxReciprocal(JudgeCplx(std::sin(z), z));
    case fnSech: return CplxReciprocal(JudgeCplx(std::cosh(z), z));
    case fnCsch:
      if (AtZero(z)) return NaNComplex();
      return CplxReciprocal(JudgeCplx(std::sinh(z), z));
    case fnCoth:
      if (AtZero(z)) return NaNComplex();
      return CplxReciprocal(JudgeCplx(std::tanh(z), z));
    case fnArccot: return CplxArctan(CplxReciprocal(z));
    case fnArcsec:
      if (AtZero(z)) return NaNComplex();
      return JudgeCplx(std::acos(CplxReciprocal(z)), z);
    case fnArccsc:
      if (AtZero(z)) return NaNComplex();
      return JudgeCplx(std::asin(CplxReciprocal(z)), z);
    case fnArccoth:
      if (At(z, 1.0, 0.0)) return Cplx(INFINITY, 0.0);
      if (At(z, -1.0, 0.0)) return Cplx(-INFINITY, 0.0);
      return CplxArctanh(CplxReciprocal(z));
    case fnArcsech:
      if (AtZero(z)) return Cplx(INFINITY, 0.0);
      return JudgeCplx(std::acosh(CplxReciprocal(z)), z);
    case fnArccsch:
      if (AtZero(z)) return NaNComplex();
      return JudgeCplx(std::asinh(CplxReciprocal(z)), z);
    case fnSign: {
      if (z.real() == 0.0 && z.imag() == 0.0) MathFail(mkZeroDivide);
      // Scaled by the larger part first, so that |z| cannot overflow.
      const double s = std::fmax(std::fabs(z.real()), std::fabs(z.imag()));
      const Cplx u = std::isfinite(s) ? Cplx(z.real() / s, z.imag() / s) : z;
      const double m = std::hypot(u.real(), u.imag());
      return JudgeCplx(Cplx(u.real() / m, u.imag() / m), z);
    }
    case fnCeil:
    case fnCeiling:
    case fnFloor:
    case fnInt:
    case fnIntegerPart:
    case fnFrac:
    case fnFractionalPart:
    case fnDegToRad:
    case fnRadToDeg: return Cplx(PartFunction(code, z.real()), PartFunction(code, z.imag()));
    default: break;
  }
  throw std::runtime_error("PROGRAMING ERROR");
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
        case fnCeil:
        case fnCeiling:
        case fnFloor:
        case fnInt:
        case fnIntegerPart:
        case fnFrac:
        case fnFractionalPart:
        case fnDegToRad:
        case fnRadToDeg: r = PartFunction(code, x); break;
        default: r = RealFunction(code, x); break;
      }
    }
    result = TValue::MakeReal(r);
    return;
  }
  if (v.Kind != TValueKind::Complex) KindFail("Incorrect real or complex type");
  const Cplx z = ToCplx(v);
  if (code == fnAbs) {
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
  if (!v.IsNumeric()) KindFail("Incorrect real or complex type");
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
    const TValue f = TValue::MakeReal(PartFunction(fnFloor, qn));
    if (code != fnMod) {
      result = f;
      return;
    }
    TValue t;
    ArithOp(opMul, y, f, t);
    ArithOp(opSub, x, t, result);
    return;
  }
  const TValue f = TValue::MakeComplex(PartFunction(fnFloor, q.Cx.Re), PartFunction(fnFloor, q.Cx.Im));
  if (code != fnMod) {
    result = f;
    return;
  }
  TValue t;
  ArithOp(opMul, y, f, t);
  ArithOp(opSub, x, t, result);
}

void MakeComplexFrom(int code, const TValue& a, const TValue& b, TValue& result) {
  if (!a.IsRealLike() || !b.IsRealLike()) KindFail("Incorrect complex type");
  const double x = a.AsReal();
  const double y = b.AsReal();
  if (code == fnComplex) {
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
  if (!args[0]->IsRealLike()) KindFail("Incorrect real type");
  TValue r = *args[0];
  bool rNaN = std::isnan(r.AsReal());
  for (int i = 1; i < count; ++i) {
    const TValue& a = *args[i];
    if (!a.IsRealLike()) KindFail("Incorrect real type");
    const double av = a.AsReal();
    if (std::isnan(av)) rNaN = true;
    if (rNaN) continue;
    const double rv = r.AsReal();
    bool take;
    if (std::isinf(av))
      take = isMax ? av > 0.0 : av < 0.0;
    else if (std::isinf(rv))
      take = isMax ? rv < 0.0 : rv > 0.0;
    else
      take = isMax ? rv < av : rv > av;
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
  if (x < 0.0) KindFail("RANGE OF RANDOM NUMBER MUST BE POSITIVE");
  const double n = std::trunc(x);
  if (n < 1.0) return static_cast<double>(rng() >> 11) * 0x1.0p-53;
  if (!(n < kTwoPow53)) MathFail(mkInvalidOp);
  std::uniform_int_distribution<std::uint64_t> draw(0, static_cast<std::uint64_t>(n) - 1);
  return static_cast<double>(draw(rng));
}

void RealToCurrencyFunction(const TValue& v, TValue& result) {
  if (!v.IsReal()) KindFail("Incorrect real type");
  if (std::isnan(v.Num)) MathFail(mkInvalidOp);
  std::int64_t scaled;
  if (!RealToCurrency(v.Num, scaled))
    throw std::runtime_error("'" + RealToText(v.Num) + "' is not a valid currency value");
  result = TValue::MakeCurrency(scaled);
}

const TValue& RealLikeArgument(const TValue& v) {
  if (!v.IsRealLike()) KindFail("Incorrect real type");
  return v;
}

const TValue& ComplexArgument(const TValue& v) {
  if (v.Kind != TValueKind::Complex) KindFail("Incorrect complex type");
  return v;
}

std::string UpperName(int code) {
  std::string name = BuiltinInfo(code).Name;
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return name;
}

}  // namespace

TValue BuiltinConstant(int code) {
  switch (code) {
    case 8: return TValue::MakeReal(kPi);                          // pi
    case 50:                                                       // infinity
    case 83:                                                       // directedinfinity(1)
    case 104: return TValue::MakeReal(INFINITY);                   // inf
    case 51: return TValue::MakeReal(EngineTolerance);             // zero
    case 57:                                                       // nan
    case 79: return TValue::MakeReal(EngineNaN());                 // indeterminate
    case 80: return TValue::MakeBool(true);                        // true
    case 81: return TValue::MakeBool(false);                       // false
    case 82: return TValue::MakeReal(kPi / 180.0);                 // degree
    case 85: return TValue::MakeReal(std::exp(1.0));               // e
    case 86: return TValue::MakeNull();                            // null
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
      if (count == 3)
        RationalPowerOp(*args[0], *args[1], *args[2], result);
      else
        PowerOp(*args[0], *args[1], result);
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
    case fnArctan2: Angle(*args[0], *args[1], result); return;
    case fnLogN: LogN(*args[0], *args[1], result); return;
    case fnMod:
    case fnQuotient:
    case fnDiv: FloorDivision(code, *args[0], *args[1], result); return;
    case fnComplex:
    case fnComplexFromPolar: MakeComplexFrom(code, *args[0], *args[1], result); return;
    case fnMax:
    case fnMin: MaxMin(code == fnMax, args, count, result); return;
    case fnSum:
    case fnMean: SumMean(code == fnMean, args, count, result); return;
    case fnIsNaN: {
      const TValue& v = RealLikeArgument(*args[0]);
      result = TValue::MakeBool(std::isnan(v.AsReal()));
      return;
    }
    case fnIsComplex: result = TValue::MakeBool(args[0]->Kind == TValueKind::Complex); return;
    case fnIsReal: result = TValue::MakeBool(args[0]->Kind == TValueKind::Real); return;
    case fnIsBoolean: result = TValue::MakeBool(args[0]->Kind == TValueKind::Boolean); return;
    case fnIsNull: result = TValue::MakeBool(args[0]->Kind == TValueKind::Null); return;
    case fnIsCurrency: result = TValue::MakeBool(args[0]->Kind == TValueKind::Currency); return;
    case fnIsDateTime: result = TValue::MakeBool(args[0]->Kind == TValueKind::DateTime); return;
    case fnRe:
    case fnIm:
    case fnArg: {
      const TComplex z = ComplexArgument(*args[0]).Cx;
      double r = code == fnRe ? z.Re : (code == fnIm ? z.Im : Atan2(z.Im, z.Re));
      if (std::isnan(r)) r = EngineNaN();
      result = TValue::MakeReal(r);
      return;
    }
    case fnConjugate: {
      const TComplex z = ComplexArgument(*args[0]).Cx;
      SetComplex(result, Cplx(z.Re, -z.Im));
      return;
    }
    case fnReal2Curr: RealToCurrencyFunction(*args[0], result); return;
    case fnCurr2Real:
      if (args[0]->Kind != TValueKind::Currency) KindFail("Incorrect currency type");
      result = TValue::MakeReal(args[0]->AsReal());
      return;
    case opRandom: {
      const double r = Random(RealLikeArgument(*args[0]).AsReal(), rng);
      result = TValue::MakeReal(r);
      return;
    }
    case 8:
    case 50:
    case 51:
    case 57:
    case 79:
    case 80:
    case 81:
    case 82:
    case 83:
    case 85:
    case 86:
    case 104: result = BuiltinConstant(code); return;
    case opIf:
    case opWhile: break;
    default:
      if (code >= opFirstBuiltin && code <= opLastBuiltin) {
        Unary(code, *args[0], result);
        return;
      }
      break;
  }
  throw std::runtime_error("PROGRAMING ERROR");
}

std::string BuiltinHelpText(int code) {
  switch (code) {
    case 0: return "IF 'ProtectVariables' property is false (default), IT IS MEAN THAT YOU CAN SET VALUES BY '=' OPERATOR: X=0 ";
    case 1: return "OPERATOR '* ' IS EQUIVALENT WITH OBJECT PASCAL OPERATOR : X*Y";
    case 2: return "OPERATOR '/'  IS EQUIVALENT WITH OBJECT PASCAL OPERATOR : X/Y";
    case 3: return "OPERATOR '+'  IS EQUIVALENT WITH OBJECT PASCAL OPERATOR : X+Y";
    case 4: return "OPERATOR '- ' IS EQUIVALENT WITH OBJECT PASCAL OPERATOR : X-Y";
    case 5: return "OPERATOR '^'  IS EQUIVALENT WITH OBJECT PASCAL  Power FUNCTION : X^Y -> Power(X,Y)";
    case 6: return "OPERATOR '= ' IS EQUIVALENT WITH OBJECT PASCAL ':=' OPERATOR : X=0.1E+3,Y=0.1E-3";
    case 7: return "OPERATOR '~ ' DEFINES FUNCTION ON RUNTIME : f(x)~sin(x)^2";
    case 8: return "'PI' CONSTANT";
    case 34: return "FUNCTION 'MAX'  RETURNS THE GREATER OF A SET OF EXPRESSION VALUES: Max(x1,[x2,x3...])";
    case 35: return "FUNCTION 'MIN'  RETURNS THE LESSER OF A SET OF EXPRESSION VALUES : Min(x1,[x2,x3...])";
    case 36: return "FUNCTION 'MEAN' RETURNS THE MEAN OF A SET OF EXPRESSION VALUES: Mean(x1,[x2,x3...])";
    case 37: return "FUNCTION 'SUM'  RETURNS THE SUM OF A SET OF EXPRESSION VALUES: Sum(x1,[x2,x3...])";
    case 38: return "FUNCTION 'EQ'  IS EQUIVALENT WITH OBJECT PASCAL '=' OPERATOR : Eq(X,Y) -> X=Y";
    case 39: return "FUNCTION 'UNEQ' IS EQUIVALENT WITH OBJECT PASCAL '<>' OPERATOR : Uneq(X,Y) -> X<>Y";
    case 40: return "FUNCTION 'LS'  IS EQUIVALENT WITH OBJECT PASCAL '<' OPERATOR : Ls(X,Y) -> X<Y";
    case 41: return "FUNCTION 'GR'  IS EQUIVALENT WITH OBJECT PASCAL '>' OPERATOR : Gr(X,Y) -> X>Y";
    case 42: return "FUNCTION 'LSEQ' IS EQUIVALENT WITH OBJECT PASCAL '<=' OPERATOR : LsEq(X,Y) -> X<=Y";
    case 43: return "FUNCTION 'GREQ' IS EQUIVALENT WITH OBJECT PASCAL '>=' OPERATOR : GrEq(X,Y) -> X>=Y";
    case 44: return "FUNCTION 'AND'  EVALUATES ITS ARGUMENTS IN ORDER, LIKE 'AND' OBJECT PASCAL OPERATOR : And(x1,x2,[x3...])";
    case 45: return "FUNCTION 'OR'  EVALUATES ITS ARGUMENTS IN ORDER, LIKE 'OR' OBJECT PASCAL OPERATOR : Or(x1,x2,[x3...])";
    case 46: return "FUNCTION 'NOT'  EVALUATES ITS ARGUMENT LIKE 'NOT' OBJECT PASCAL OPERATOR : Not(x)";
    case 47: return "FUNCTION 'IF' SYNTAX -> If( condition, block1, [block2] ) RETURNS VALUE OF bloc1 IF condition IS  'TRUE' , AND block2 IN OTHER CASE, IF block2 IS OMITED IT RETURNS 'NULL' CONSTANT : If(LsEq(x,Zero),x^2)";
    case 48: return "FUNCTION 'BK'  EVALUATES A SET OF MATH EXPRESSIONS,  GIVING THE LAST ONE VALUE AS THE RESULT :  Bk(x=5,y=3,x+y)";
    case 49: return "LOOP 'WHILE' SYNTAX -> While( test, body ) EVALUATES test, THEN body, REPETITIVELY, UNTIL test FIRST FAILS TO GIVE 'TRUE' VALUE  : Bk(n=10,s=0,i=0,While(Lseq(i,n-1),Bk(i=i+1,s=s+i)),s)";
    case 50: return "'INFINITY' CONSTANT";
    case 51: return "'ZERO'  CONSTANT";
    case 57: return "'NAN' CONSTANT MEAN THAT VALUE IS NOT A NUMBER ";
    case 73: return "FUNCTION 'LOG' IS EQUIVALENT WITH OBJECT PASCAL 'LN'";
    case 75: return "FUNCTION 'XOR'  EVALUATES ITS ARGUMENTS IN ORDER, LIKE 'XOR' OBJECT PASCAL OPERATOR : Xor(x1,x2,[x3...])";
    case 76: return "FUNCTION 'FRACTIONALPART' IS EQUIVALENT WITH OBJECT PASCAL 'FRAC'";
    case 77: return "FUNCTION 'INTEGERPART' IS EQUIVALENT WITH OBJECT PASCAL 'INT'";
    case 78: return "FUNCTION 'SEILING' IS EQUIVALENT WITH OBJECT PASCAL 'SEIL'";
    case 79: return "CONSTANT 'INDETERMINATE' IS EQUIVALENT WITH OBJECT PASCAL 'NAN'";
    case 80: return "CONSTANT 'TRUE' IS EQUAL TO BOOLEAN TRUE";
    case 81: return "CONSTANT 'FALSE' IS EQUAL TO BOOLEAN FALSE";
    case 82: return "CONSTANT 'DEGREE' IS EQUAL TO PI/180";
    case 83: return "CONSTANT 'DIRECTEDINFINITY(1)', 'DIRECTEDINFINITY(-1)' IS EQUIVALENT WITH OBJECT PASCAL 'INFINITY', '-INFINITY'";
    case 84: return "FUNCTION 'RANDOM' SYNTAX -> Random(x) IF 0<=x<1 THEN IT IS EQUIVALENT WITH OBJECT PASCAL 'RANDOM()' ELSE IF 1<=x<Infinity THEN IT IS EQUIVALENT WITH OBJECT PASCAL 'RANDOM(TRUNC(x))'";
    case 85: return "CONSTANT 'E' IS EQUIVALENT WITH EXP(1)";
    case 86: return "CONSTANT 'NULL' IS EQUIVALENT WITH OBJECT PASCAL 'NULL'";
    case 87: return "FUNCTION 'MOD'  SYNTAX -> Mod(x,y) : IS EQUAL TO x-y*Floor(x/y)";
    case 88: return "FUNCTION 'QUOTIENT' SYNTAX -> Quotient(x,y) : IS EQUAL TO Floor(x/y)";
    case 89: return "FUNCTION 'DIV' SYNTAX -> Div(x,y) : IS EQUAL TO Floor(x/y)";
    case 90: return "FUNCTION 'COMPLEX' IS EQUIVALENT WITH OBJECT PASCAL 'VARCOMPLEXCREATE ' ";
    case 91: return "FUNCTION 'ISCOMPLEX' TESTS COMPLEX TYPE";
    case 92: return "FUNCTION 'ISREAL' TESTS REAL TYPE";
    case 93: return "FUNCTION 'RE' GIVES REAL PART OF COMPLEX";
    case 94: return "FUNCTION 'IM' GIVES IMAGINARY PART OF COMPLEX";
    case 95: return "FUNCTION 'CONJUGATE' GIVES CONJUGATE OF COMPLEX";
    case 96: return "FUNCTION 'ARG' GIVES ANGLE OF COMPLEX";
    case 97: return "FUNCTION 'ISBOOLEAN' TESTS BOOLEAN TYPE";
    case 98: return "FUNCTION 'ISNULL' TESTS NULL VALUE";
    case 99: return "FUNCTION 'COMPLEXFROMPOLAR' IS EQUIVALENT WITH OBJECT PASCAL 'VARCOMPLEXFROMPOLAR ' ";
    case 100: return "FUNCTION 'REAL2CURR' CONVERTS REAL TO CURRENCY TYPE";
    case 101: return "FUNCTION 'CURR2REAL' CONVERTS CURRENCY TO REAL TYPE";
    case 102: return "FUNCTION 'ISCURRENCY' TESTS CURRENCY TYPE";
    case 103: return "FUNCTION 'ISDATETIME' TESTS DATETIME TYPE";
    case 104: return "'INF' CONSTANT IS EQUIVALENT WITH 'INFINITY'";
    default: break;
  }
  if (code >= opFirstBuiltin && code <= opLastBuiltin)
    return "FUNCTION '" + UpperName(code) + "' IS EQUIVALENT WITH OBJECT PASCAL FUNCTION";
  return std::string();
}

}  // namespace helmax
