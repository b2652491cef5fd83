// Value rules of the operators, comparisons, logic functions and built-in
// functions, called directly (no compiler or interpreter involved).
#include <gtest/gtest.h>

#include <bit>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <numbers>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "Operations.h"
#include "TextUtil.h"
#include "Value.h"

namespace helmax {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = std::numbers::pi;
const double kNaN = std::numeric_limits<double>::quiet_NaN();  // a NaN that is not the engine's

TValue Real(double x) { return TValue::MakeReal(x); }
TValue Cur(double units) { return TValue::MakeCurrency(std::llround(units * 10000.0)); }
TValue Scaled(std::int64_t scaled) { return TValue::MakeCurrency(scaled); }
TValue Cx(double re, double im) { return TValue::MakeComplex(re, im); }
TValue Bool(bool b) { return TValue::MakeBool(b); }
TValue Null() { return TValue::MakeNull(); }
TValue Date(double serial) { return TValue::MakeDateTime(serial); }

bool IsEngineNaN(double x) {
  return std::isnan(x) && std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(EngineNaN());
}

// ---- outcomes -------------------------------------------------------------------

enum class TWhat { Value, Math, Message };

struct TOutcome {
  TWhat What = TWhat::Value;
  TValue V;
  int Kind = 0;
  std::string Text;
};

template <class F>
TOutcome Run(F&& f) {
  TOutcome o;
  try {
    f(o.V);
  } catch (const EHelmaxMathError& e) {
    o.What = TWhat::Math;
    o.Kind = e.Kind;
  } catch (const std::runtime_error& e) {
    o.What = TWhat::Message;
    o.Text = e.what();
  }
  return o;
}

struct TExpect {
  TWhat What = TWhat::Value;
  TValue V;
  double Tol = 0.0;  // relative (absolute near 0) tolerance of real parts; 0: exact
  int Kind = 0;
  std::string Text;
};

TExpect Is(TValue v, double tol = 0.0) {
  TExpect e;
  e.V = v;
  e.Tol = tol;
  return e;
}
TExpect Near(TValue v) { return Is(v, 1e-14); }
TExpect Fails(int kind) {
  TExpect e;
  e.What = TWhat::Math;
  e.Kind = kind;
  return e;
}
TExpect Says(std::string text) {
  TExpect e;
  e.What = TWhat::Message;
  e.Text = std::move(text);
  return e;
}

const char* KindName(TValueKind k) {
  switch (k) {
    case TValueKind::Null: return "null";
    case TValueKind::Real: return "real";
    case TValueKind::Currency: return "currency";
    case TValueKind::DateTime: return "date-time";
    case TValueKind::Boolean: return "boolean";
    case TValueKind::Complex: return "complex";
  }
  return "?";
}

void ExpectDouble(double actual, double expected, double tol, const std::string& where) {
  if (std::isnan(expected)) {
    EXPECT_TRUE(IsEngineNaN(actual)) << where << ": expected the engine NaN, got " << actual;
  } else if (tol == 0.0 || std::isinf(expected)) {
    EXPECT_EQ(actual, expected) << where;
  } else {
    EXPECT_NEAR(actual, expected, tol * std::fmax(1.0, std::fabs(expected))) << where;
  }
}

void Check(const TOutcome& o, const TExpect& e, const std::string& where) {
  if (e.What == TWhat::Math) {
    ASSERT_EQ(o.What, TWhat::Math) << where << ": expected math error kind " << e.Kind << ", got "
                                   << (o.What == TWhat::Value ? std::string("a ") + KindName(o.V.Kind) : o.Text);
    EXPECT_EQ(o.Kind, e.Kind) << where;
    return;
  }
  if (e.What == TWhat::Message) {
    ASSERT_EQ(o.What, TWhat::Message) << where << ": expected \"" << e.Text << "\"";
    EXPECT_EQ(o.Text, e.Text) << where;
    return;
  }
  ASSERT_EQ(o.What, TWhat::Value) << where << ": unexpected failure " << (o.What == TWhat::Math ? o.Kind : 0) << " "
                                  << o.Text;
  ASSERT_EQ(KindName(o.V.Kind), std::string(KindName(e.V.Kind))) << where;
  switch (e.V.Kind) {
    case TValueKind::Real:
    case TValueKind::DateTime: ExpectDouble(o.V.Num, e.V.Num, e.Tol, where); break;
    case TValueKind::Currency: EXPECT_EQ(o.V.Cur, e.V.Cur) << where; break;
    case TValueKind::Boolean: EXPECT_EQ(o.V.Bool, e.V.Bool) << where; break;
    case TValueKind::Complex:
      ExpectDouble(o.V.Cx.Re, e.V.Cx.Re, e.Tol, where + " (re)");
      ExpectDouble(o.V.Cx.Im, e.V.Cx.Im, e.Tol, where + " (im)");
      break;
    case TValueKind::Null: break;
  }
}

int Code(const char* name) {
  const int code = FindBuiltin(name);
  EXPECT_NE(code, 0) << name;
  return code;
}

TOutcome Call(int code, const std::vector<TValue>& args, std::mt19937_64* rng = nullptr) {
  std::mt19937_64 local(42);
  std::vector<const TValue*> ptrs;
  for (const TValue& a : args) ptrs.push_back(&a);
  return Run([&](TValue& r) {
    EvalBuiltin(code, ptrs.data(), static_cast<int>(ptrs.size()), r, rng != nullptr ? *rng : local);
  });
}

struct TCallCase {
  const char* Name;
  std::vector<TValue> Args;
  TExpect Want;
};

void RunCallTable(const std::vector<TCallCase>& cases) {
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const TCallCase& c = cases[i];
    std::string where = std::string(c.Name) + "(";
    for (std::size_t k = 0; k < c.Args.size(); ++k) where += (k ? ", " : "") + ValueToText(c.Args[k]);
    where += ") [row " + std::to_string(i) + "]";
    Check(Call(Code(c.Name), c.Args), c.Want, where);
  }
}

// ---- tolerance ------------------------------------------------------------------

TEST(ApproxEqual, RelativeToTheSmallerMagnitudeAbsoluteAtZero) {
  struct {
    double A, B;
    bool Want;
  } const cases[] = {
      {1.0, 1.0, true},
      {1.0, 1.0 + 1e-14, true},
      {1.0, 1.0 + 1e-12, false},
      {-1.0, -1.0 - 1e-14, true},
      {-1.0, 1.0, false},
      {1e20, 1e20 * (1.0 + 5e-14), true},
      {1e20, 1e20 * (1.0 + 2e-13), false},
      {1e-30, 1.5e-30, false},  // relative, not 1e-13 absolute, away from zero
      {0.0, 1e-14, true},
      {1e-14, 0.0, true},
      {0.0, 1e-13, true},
      {0.0, 1.1e-13, false},
      {0.0, 1e-12, false},
      {kInf, kInf, false},  // no tolerance covers infinities; comparisons test them first
  };
  for (const auto& c : cases) EXPECT_EQ(ApproxEqual(c.A, c.B), c.Want) << c.A << " ~ " << c.B;
}

// ---- arithmetic operators -------------------------------------------------------

const char* OpName(int code) {
  static const char* const names[] = {"", "*", "/", "+", "-"};
  return names[code];
}

TOutcome Arith(int code, const TValue& a, const TValue& b) {
  return Run([&](TValue& r) { ArithOp(code, a, b, r); });
}

TEST(ArithOp, ResultKindMatrix) {
  // Operands chosen so that every operation succeeds.
  const TValue left[] = {Real(6), Cur(6), Cx(6, 1)};
  const TValue right[] = {Real(4), Cur(4), Cx(4, 1)};
  using K = TValueKind;
  // want[op][left][right]; real / currency is the only mixed pair giving a real.
  const K want[4][3][3] = {
      {{K::Real, K::Currency, K::Complex},
       {K::Currency, K::Currency, K::Complex},
       {K::Complex, K::Complex, K::Complex}},
      {{K::Real, K::Real, K::Complex}, {K::Currency, K::Currency, K::Complex}, {K::Complex, K::Complex, K::Complex}},
      {{K::Real, K::Currency, K::Complex},
       {K::Currency, K::Currency, K::Complex},
       {K::Complex, K::Complex, K::Complex}},
      {{K::Real, K::Currency, K::Complex},
       {K::Currency, K::Currency, K::Complex},
       {K::Complex, K::Complex, K::Complex}},
  };
  for (int op = 1; op <= 4; ++op)
    for (int l = 0; l < 3; ++l)
      for (int r = 0; r < 3; ++r) {
        const TOutcome o = Arith(op, left[l], right[r]);
        ASSERT_EQ(o.What, TWhat::Value) << OpName(op) << " " << l << " " << r;
        EXPECT_EQ(KindName(o.V.Kind), std::string(KindName(want[op - 1][l][r])))
            << ValueToText(left[l]) << " " << OpName(op) << " " << ValueToText(right[r]);
      }
}

TEST(ArithOp, ValuesAcrossTheKindMatrix) {
  struct {
    int Op;
    TValue A, B;
    TExpect Want;
  } const cases[] = {
      {opMul, Real(6), Real(4), Is(Real(24))},
      {opDiv, Real(6), Real(4), Is(Real(1.5))},
      {opAdd, Real(0.1), Real(0.2), Is(Real(0.1 + 0.2))},
      {opSub, Real(6), Real(4), Is(Real(2))},
      {opMul, Cur(6), Cur(4), Is(Cur(24))},
      {opDiv, Cur(6), Cur(4), Is(Cur(1.5))},
      {opAdd, Cur(0.1), Cur(0.2), Is(Cur(0.3))},
      {opSub, Cur(6), Cur(4), Is(Cur(2))},
      {opMul, Real(6), Cur(4), Is(Cur(24))},
      {opAdd, Real(6), Cur(4), Is(Cur(10))},
      {opSub, Real(6), Cur(4), Is(Cur(2))},
      {opSub, Cur(6), Real(4), Is(Cur(2))},
      {opMul, Cx(1, 2), Cx(3, 4), Is(Cx(-5, 10))},
      {opAdd, Cx(1, 2), Cx(3, 4), Is(Cx(4, 6))},
      {opSub, Cx(1, 2), Cx(3, 4), Is(Cx(-2, -2))},
      {opDiv, Cx(1, 2), Cx(3, 4), Near(Cx(0.44, 0.08))},
      {opDiv, Cx(6, 0), Cx(2, 0), Is(Cx(3, 0))},
      {opMul, Real(2), Cx(1, 1), Is(Cx(2, 2))},
      {opAdd, Cur(2), Cx(0, 1), Is(Cx(2, 1))},
      {opSub, Cx(0, 1), Cur(0.5), Is(Cx(-0.5, 1))},
      {opDiv, Real(1), Cx(0, 1), Is(Cx(0, -1))},
      // the imaginary part stays, even when it is zero
      {opSub, Cx(1, 0), Cx(1, 0), Is(Cx(0, 0))},
      // a large divisor does not overflow on the way
      {opDiv, Cx(1, 0), Cx(1e200, 0), Near(Cx(1e-200, 0))},
      {opDiv, Cx(1e300, 1e300), Cx(1e300, 1e300), Near(Cx(1, 0))},
  };
  for (const auto& c : cases)
    Check(Arith(c.Op, c.A, c.B), c.Want, ValueToText(c.A) + " " + OpName(c.Op) + " " + ValueToText(c.B));
}

TEST(ArithOp, OperandsThatAreNotNumbersAreRejected) {
  const TValue bad[] = {Null(), Bool(true), Date(39813.5)};
  const TValue good[] = {Real(1), Cur(1), Cx(1, 1)};
  for (int op = 1; op <= 4; ++op)
    for (const TValue& b : bad) {
      for (const TValue& g : good) {
        Check(Arith(op, b, g), Says("Incorrect real or complex type"), ValueToText(b) + OpName(op) + ValueToText(g));
        Check(Arith(op, g, b), Says("Incorrect real or complex type"), ValueToText(g) + OpName(op) + ValueToText(b));
      }
      Check(Arith(op, b, b), Says("Incorrect real or complex type"), ValueToText(b) + OpName(op) + ValueToText(b));
    }
}

TEST(ArithOp, FloatingPointConditionsOfReals) {
  struct {
    int Op;
    double A, B;
    TExpect Want;
  } const cases[] = {
      {opDiv, 1, 0, Fails(mkZeroDivide)},
      {opDiv, -1, 0, Fails(mkZeroDivide)},
      {opDiv, 1, -0.0, Fails(mkZeroDivide)},
      {opDiv, kInf, 0, Fails(mkZeroDivide)},
      {opDiv, 0, 0, Fails(mkInvalidOp)},
      {opDiv, kInf, kInf, Fails(mkInvalidOp)},
      {opSub, kInf, kInf, Fails(mkInvalidOp)},
      {opAdd, kInf, -kInf, Fails(mkInvalidOp)},
      {opMul, 0, kInf, Fails(mkInvalidOp)},
      {opMul, 1e308, 10, Fails(mkOverflow)},
      {opAdd, 1e308, 1e308, Fails(mkOverflow)},
      {opSub, -1e308, 1e308, Fails(mkOverflow)},
      {opDiv, 1e308, 1e-10, Fails(mkOverflow)},
      // infinities that come in go out without error
      {opMul, kInf, 2, Is(Real(kInf))},
      {opAdd, -kInf, 1e308, Is(Real(-kInf))},
      {opDiv, 1, kInf, Is(Real(0))},
      {opDiv, kInf, -2, Is(Real(-kInf))},
      // underflow is no error
      {opMul, 1e-308, 1e-10, Is(Real(1e-318))},
      {opDiv, 1e-300, 1e100, Is(Real(0))},
      // NaN passes quietly and comes out as the engine's NaN
      {opAdd, kNaN, 1, Is(Real(kNaN))},
      {opMul, 0, kNaN, Is(Real(kNaN))},
      {opDiv, kNaN, 0, Is(Real(kNaN))},
      {opDiv, 0, kNaN, Is(Real(kNaN))},
      {opSub, kInf, kNaN, Is(Real(kNaN))},
  };
  for (const auto& c : cases)
    Check(Arith(c.Op, Real(c.A), Real(c.B)), c.Want, RealToText(c.A) + " " + OpName(c.Op) + " " + RealToText(c.B));
}

TEST(ArithOp, FloatingPointConditionsOfComplexValues) {
  struct {
    int Op;
    TValue A, B;
    TExpect Want;
  } const cases[] = {
      {opDiv, Cx(1, 1), Cx(0, 0), Fails(mkZeroDivide)},     {opDiv, Cx(0, 0), Cx(0, 0), Fails(mkZeroDivide)},
      {opDiv, Real(1), Cx(0, 0), Fails(mkZeroDivide)},      {opDiv, Cx(1, 1), Real(0), Fails(mkZeroDivide)},
      {opMul, Cx(1e308, 0), Cx(10, 0), Fails(mkOverflow)},  {opAdd, Cx(0, 1e308), Cx(0, 1e308), Fails(mkOverflow)},
      {opSub, Cx(kInf, 0), Real(kInf), Fails(mkInvalidOp)}, {opAdd, Cx(kNaN, 1), Real(1), Is(Cx(kNaN, 1))},
  };
  for (const auto& c : cases)
    Check(Arith(c.Op, c.A, c.B), c.Want, ValueToText(c.A) + " " + OpName(c.Op) + " " + ValueToText(c.B));
}

TEST(ArithOp, CurrencyRules) {
  const std::int64_t maxScaled = std::numeric_limits<std::int64_t>::max();
  const std::int64_t minScaled = std::numeric_limits<std::int64_t>::min();
  struct {
    const char* What;
    int Op;
    TValue A, B;
    TExpect Want;
  } const cases[] = {
      {"currency / real rounds the quotient", opDiv, Cur(10), Real(3), Is(Cur(3.3333))},
      {"real / currency is a real", opDiv, Real(10), Cur(3), Is(Real(3.3333333333333335))},
      {"real rounded to 4 decimals before / currency", opDiv, Real(10.00004), Cur(2), Is(Real(5))},
      {"real rounded to 4 decimals before / currency", opDiv, Real(10.00006), Cur(2), Is(Real(10.0001 / 2))},
      {"real rounds to 0 before +", opAdd, Cur(1), Real(0.00004), Is(Cur(1))},
      {"real rounds up before +", opAdd, Cur(1), Real(0.00006), Is(Cur(1.0001))},
      {"real rounds up before + (left)", opAdd, Real(0.00006), Cur(1), Is(Cur(1.0001))},
      {"real rounds before -", opSub, Cur(1), Real(0.00004), Is(Cur(1))},
      {"product rounded to 4 decimals", opMul, Cur(1), Real(0.00004), Is(Cur(0))},
      {"product rounded to 4 decimals", opMul, Cur(1), Real(0.00006), Is(Cur(0.0001))},
      {"product rounds half to even (down)", opMul, Scaled(1), Real(0.5), Is(Scaled(0))},
      {"product rounds half to even (up)", opMul, Scaled(3), Real(0.5), Is(Scaled(2))},
      {"product rounds half to even (negative)", opMul, Scaled(-3), Real(0.5), Is(Scaled(-2))},
      {"product rounds half to even (negative)", opMul, Real(0.5), Scaled(-1), Is(Scaled(0))},
      {"product rounds half to even (large)", opMul, Scaled(5000000000000000001), Real(0.5),
       Is(Scaled(2500000000000000000))},
      {"product exact beyond double precision", opMul, Scaled(123456789012345678), Real(0.3),
       Is(Scaled(37037036703703702))},
      {"product exact beyond double precision", opMul, Real(1.1), Scaled(987654321987654321),
       Is(Scaled(1086419754186419841))},
      {"quotient exact beyond double precision", opDiv, Scaled(1000000000000000000), Real(3),
       Is(Scaled(333333333333333333))},
      {"quotient by a power of two", opDiv, Scaled(3), Real(2), Is(Scaled(2))},
      {"quotient by a tiny real leaves the range", opDiv, Cur(1), Real(1e-300), Fails(mkInvalidOp)},
      {"quotient by a huge real is 0", opDiv, Cur(1), Real(1e300), Is(Cur(0))},
      {"quotient by infinity is 0", opDiv, Cur(5), Real(kInf), Is(Cur(0))},
      {"currency / currency half to even", opDiv, Cur(1.0001), Cur(2), Is(Cur(0.5))},
      {"currency / currency half to even", opDiv, Cur(1.0003), Cur(2), Is(Cur(0.5002))},
      {"currency / currency half to even", opDiv, Cur(-1.0001), Cur(2), Is(Cur(-0.5))},
      {"currency / currency", opDiv, Cur(2), Cur(3), Is(Cur(0.6667))},
      {"currency / currency", opDiv, Cur(-2), Cur(3), Is(Cur(-0.6667))},
      {"currency / currency exact", opDiv, Scaled(maxScaled), Cur(3), Is(Scaled(3074457345618258602))},
      {"currency * currency half to even", opMul, Cur(0.0001), Cur(0.5), Is(Cur(0))},
      {"currency * currency half to even", opMul, Cur(0.0003), Cur(0.5), Is(Cur(0.0002))},
      {"currency * currency", opMul, Cur(1.5), Cur(1.5), Is(Cur(2.25))},
      {"currency * currency exact", opMul, Scaled(maxScaled), Cur(1), Is(Scaled(maxScaled))},
      {"currency + currency exact", opAdd, Cur(0.1), Cur(0.2), Is(Cur(0.3))},
      {"sum leaves the range", opAdd, Scaled(maxScaled), Scaled(1), Fails(mkInvalidOp)},
      {"difference leaves the range", opSub, Scaled(minScaled), Scaled(1), Fails(mkInvalidOp)},
      {"product leaves the range", opMul, Scaled(maxScaled), Cur(2), Fails(mkInvalidOp)},
      {"product with a real leaves the range", opMul, Scaled(maxScaled), Real(2), Fails(mkInvalidOp)},
      {"currency / currency 0", opDiv, Cur(1), Cur(0), Fails(mkZeroDivide)},
      {"currency 0 / currency 0", opDiv, Cur(0), Cur(0), Fails(mkInvalidOp)},
      {"currency / real 0", opDiv, Cur(1), Real(0), Fails(mkZeroDivide)},
      {"currency 0 / real 0", opDiv, Cur(0), Real(0), Fails(mkInvalidOp)},
      {"real / currency 0", opDiv, Real(1), Cur(0), Fails(mkZeroDivide)},
      {"real 0 / currency 0", opDiv, Real(0), Cur(0), Fails(mkInvalidOp)},
      {"NaN cannot become a currency", opAdd, Cur(1), Real(kNaN), Fails(mkInvalidOp)},
      {"NaN cannot become a currency", opMul, Real(kNaN), Cur(1), Fails(mkInvalidOp)},
      {"NaN cannot become a currency", opDiv, Cur(1), Real(kNaN), Fails(mkInvalidOp)},
      {"NaN cannot become a currency", opDiv, Real(kNaN), Cur(1), Fails(mkInvalidOp)},
      {"infinity cannot become a currency", opSub, Real(kInf), Cur(1), Fails(mkInvalidOp)},
      {"infinity cannot become a currency", opMul, Cur(1), Real(-kInf), Fails(mkInvalidOp)},
      {"a real outside the range", opAdd, Real(1e300), Cur(1), Fails(mkInvalidOp)},
  };
  for (const auto& c : cases)
    Check(Arith(c.Op, c.A, c.B), c.Want,
          std::string(c.What) + ": " + ValueToText(c.A) + " " + OpName(c.Op) + " " + ValueToText(c.B));
}

TEST(ArithOp, ResultMayBeAnOperandCell) {
  const TValue operands[][2] = {
      {Real(7), Real(2)}, {Cur(7), Real(2)},    {Real(7), Cur(2)},
      {Cur(7), Cur(3)},   {Cx(1, 2), Cx(3, 4)}, {Real(2), Cx(3, 4)},
  };
  for (int op = 1; op <= 4; ++op)
    for (const auto& pair : operands) {
      const TOutcome separate = Arith(op, pair[0], pair[1]);
      TValue left = pair[0];
      TValue right = pair[1];
      ArithOp(op, left, right, left);
      TExpect same = Is(separate.V);
      Check(TOutcome{TWhat::Value, left, 0, ""}, same, std::string("into the left operand, ") + OpName(op));
      left = pair[0];
      ArithOp(op, left, right, right);
      Check(TOutcome{TWhat::Value, right, 0, ""}, same, std::string("into the right operand, ") + OpName(op));
    }
}

// ---- power ----------------------------------------------------------------------

TOutcome Pow(const TValue& x, const TValue& y) {
  return Run([&](TValue& r) { PowerOp(x, y, r); });
}
TOutcome RatPow(const TValue& x, const TValue& p, const TValue& q) {
  return Run([&](TValue& r) { RationalPowerOp(x, p, q, r); });
}

TEST(PowerOp, RealPower) {
  struct {
    double X, Y;
    TExpect Want;
  } const cases[] = {
      {2, 10, Is(Real(1024))},
      {2, -2, Is(Real(0.25))},
      {-2, 3, Is(Real(-8))},
      {-2, -3, Is(Real(-0.125))},
      {-1, 2147483647, Is(Real(-1))},
      {0, 0, Is(Real(1))},
      {kNaN, 0, Is(Real(kNaN))},  // NaN first
      {1, kNaN, Is(Real(kNaN))},
      {kInf, 0, Is(Real(1))},
      {0, 2, Is(Real(0))},
      {0, 0.5, Is(Real(0))},
      {0, kInf, Is(Real(0))},
      {0, -1, Fails(mkZeroDivide)},
      {0, -0.5, Fails(mkZeroDivide)},
      {2, kInf, Fails(mkInvalidOp)},
      {0.5, -kInf, Fails(mkInvalidOp)},
      {-8, 0.3333333333333333, Fails(mkInvalidOp)},
      {-2, 0.5, Fails(mkInvalidOp)},
      {-1, 3e9, Fails(mkInvalidOp)},  // integral, but beyond the repeated-product range
      {4, 0.5, Is(Real(2))},
      {2, 0.5, Near(Real(std::sqrt(2.0)))},
      // overflow is judged on the final result only
      {10, 300, Is(Real(1e300))},
      {2, 1023, Is(Real(std::ldexp(1.0, 1023)))},
      {0.5, -1023, Is(Real(std::ldexp(1.0, 1023)))},
      {10, -309, Is(Real(1e-309))},
      {10, -400, Is(Real(0))},
      {10, 309, Fails(mkOverflow)},
      {2, 1024, Fails(mkOverflow)},
      {-2, 1025, Fails(mkOverflow)},
      {2, 1e10, Fails(mkOverflow)},
      {0.5, 1e10, Is(Real(0))},
      {kInf, 2, Is(Real(kInf))},
      {kInf, -1, Is(Real(0))},
  };
  for (const auto& c : cases) Check(Pow(Real(c.X), Real(c.Y)), c.Want, RealToText(c.X) + " ^ " + RealToText(c.Y));
}

TEST(PowerOp, KindsOfOperands) {
  struct {
    TValue X, Y;
    TExpect Want;
  } const cases[] = {
      {Cur(2), Real(3), Is(Real(8))},
      {Real(4), Cur(0.5), Is(Real(2))},
      {Cur(1.5), Cur(2), Is(Real(2.25))},
      {Cx(0, 1), Real(2), Near(Cx(-1, 0))},
      {Cx(2, 0), Real(2), Near(Cx(4, 0))},
      {Real(-1), Cx(0.5, 0), Near(Cx(0, 1))},
      {Real(-8), Cx(1.0 / 3.0, 0), Near(Cx(1, std::sqrt(3.0)))},
      {Cx(0, 1), Cx(0, 1), Near(Cx(std::exp(-kPi / 2), 0))},
      {Cx(0, 0), Cx(0, 0), Is(Cx(1, 0))},
      {Cx(0, 0), Real(2), Is(Cx(0, 0))},
      {Cx(0, 0), Real(-1), Is(Cx(0, 0))},
      {Real(0), Cx(0, 1), Is(Cx(0, 0))},
      {Cx(10, 0), Real(400), Fails(mkOverflow)},
      {Cx(kNaN, 0), Real(2), Is(Cx(kNaN, kNaN))},
      {Bool(true), Real(2), Says("Incorrect real or complex type")},
      {Real(2), Null(), Says("Incorrect real or complex type")},
      {Date(1), Cx(1, 1), Says("Incorrect real or complex type")},
  };
  for (const auto& c : cases) Check(Pow(c.X, c.Y), c.Want, ValueToText(c.X) + " ^ " + ValueToText(c.Y));
}

TEST(RationalPowerOp, OddRootsOfNegativeBases) {
  struct {
    TValue X, P, Q;
    TExpect Want;
  } const cases[] = {
      {Real(-8), Real(1), Real(3), Is(Real(-2))},
      {Real(-8), Real(2), Real(3), Is(Real(4))},
      {Real(-8), Real(-1), Real(3), Is(Real(-0.5))},
      {Real(-8), Real(1), Real(-3), Is(Real(-0.5))},
      {Real(-8), Real(-2), Real(3), Is(Real(0.25))},
      {Real(-8), Real(0), Real(3), Is(Real(1))},
      {Real(-32), Real(3), Real(5), Near(Real(-8))},
      {Real(-27), Real(4), Real(3), Near(Real(81))},
      {Real(8), Real(1), Real(3), Near(Real(2))},
      {Real(0), Real(1), Real(3), Is(Real(0))},
      {Real(0), Real(-1), Real(3), Fails(mkZeroDivide)},
      // even denominator or fractional parts: the real power
      {Real(-8), Real(1), Real(2), Fails(mkInvalidOp)},
      {Real(-8), Real(4), Real(2), Is(Real(64))},
      {Real(-8), Real(1.5), Real(3), Fails(mkInvalidOp)},
      {Real(-8), Real(1), Real(3.5), Fails(mkInvalidOp)},
      {Real(-8), Real(1), Real(0), Fails(mkZeroDivide)},
      // currency parts are read as reals
      {Real(-8), Cur(1), Cur(3), Is(Real(-2))},
      {Cur(-8), Real(2), Real(3), Is(Real(4))},
      {Real(kNaN), Real(1), Real(3), Is(Real(kNaN))},
      {Real(-8), Real(kNaN), Real(3), Is(Real(kNaN))},
      {Real(-8), Real(1), Real(kNaN), Is(Real(kNaN))},
      // a complex operand: the principal complex power
      {Cx(-8, 0), Real(1), Real(3), Near(Cx(1, std::sqrt(3.0)))},
      {Real(-8), Cx(1, 0), Real(3), Near(Cx(1, std::sqrt(3.0)))},
      {Bool(false), Real(1), Real(3), Says("Incorrect real or complex type")},
      {Real(-8), Real(1), Null(), Says("Incorrect real or complex type")},
  };
  for (const auto& c : cases)
    Check(RatPow(c.X, c.P, c.Q), c.Want, ValueToText(c.X) + " ^ (" + ValueToText(c.P) + "/" + ValueToText(c.Q) + ")");
}

TEST(PowerOp, PowerBuiltinTakesBothForms) {
  RunCallTable({
      {"power", {Real(-8), Real(0.5)}, Fails(mkInvalidOp)},
      {"power", {Real(2), Real(3)}, Is(Real(8))},
      {"power", {Real(-8), Real(2), Real(3)}, Is(Real(4))},
  });
}

// ---- comparisons ----------------------------------------------------------------

TEST(Comparisons, RealsWithToleranceInfinitiesAndNaN) {
  const double y = 1.0 + 1e-14;
  RunCallTable({
      // two values within the tolerance are eq, lseq, greq and, when they differ, ls or gr
      {"eq", {Real(1), Real(y)}, Is(Bool(true))},
      {"uneq", {Real(1), Real(y)}, Is(Bool(false))},
      {"ls", {Real(1), Real(y)}, Is(Bool(true))},
      {"gr", {Real(1), Real(y)}, Is(Bool(false))},
      {"lseq", {Real(1), Real(y)}, Is(Bool(true))},
      {"greq", {Real(1), Real(y)}, Is(Bool(true))},
      {"gr", {Real(y), Real(1)}, Is(Bool(true))},
      {"lseq", {Real(y), Real(1)}, Is(Bool(true))},
      {"greq", {Real(-1), Real(-y)}, Is(Bool(true))},
      {"eq", {Real(1), Real(1 + 1e-12)}, Is(Bool(false))},
      {"greq", {Real(1), Real(1 + 1e-12)}, Is(Bool(false))},
      {"lseq", {Real(1 + 1e-12), Real(1)}, Is(Bool(false))},
      {"eq", {Real(0), Real(1e-14)}, Is(Bool(true))},
      {"eq", {Real(0), Real(1e-12)}, Is(Bool(false))},
      {"uneq", {Real(0), Real(1e-12)}, Is(Bool(true))},
      // infinities
      {"eq", {Real(kInf), Real(kInf)}, Is(Bool(true))},
      {"lseq", {Real(kInf), Real(kInf)}, Is(Bool(true))},
      {"greq", {Real(-kInf), Real(-kInf)}, Is(Bool(true))},
      {"ls", {Real(kInf), Real(kInf)}, Is(Bool(false))},
      {"eq", {Real(kInf), Real(-kInf)}, Is(Bool(false))},
      {"uneq", {Real(kInf), Real(-kInf)}, Is(Bool(true))},
      {"ls", {Real(-kInf), Real(kInf)}, Is(Bool(true))},
      {"ls", {Real(-kInf), Real(5)}, Is(Bool(true))},
      {"ls", {Real(5), Real(kInf)}, Is(Bool(true))},
      {"gr", {Real(1), Real(kInf)}, Is(Bool(false))},
      {"gr", {Real(kInf), Real(1e308)}, Is(Bool(true))},
      {"lseq", {Real(kInf), Real(5)}, Is(Bool(false))},
      {"lseq", {Real(kInf), Real(-kInf)}, Is(Bool(false))},
      {"greq", {Real(5), Real(-kInf)}, Is(Bool(true))},
      {"greq", {Real(-kInf), Real(5)}, Is(Bool(false))},
      {"eq", {Real(1e308), Real(kInf)}, Is(Bool(false))},
      // NaN gives the real NaN, not a boolean
      {"eq", {Real(kNaN), Real(1)}, Is(Real(kNaN))},
      {"uneq", {Real(1), Real(kNaN)}, Is(Real(kNaN))},
      {"ls", {Real(kNaN), Real(kNaN)}, Is(Real(kNaN))},
      {"greq", {Real(kInf), Real(kNaN)}, Is(Real(kNaN))},
      // currency is read as its real value
      {"eq", {Cur(1), Real(1)}, Is(Bool(true))},
      {"ls", {Cur(1), Real(1.00001)}, Is(Bool(true))},
      {"gr", {Cur(2), Cur(1.9999)}, Is(Bool(true))},
  });
}

TEST(Comparisons, BooleansComplexValuesAndOtherPairs) {
  RunCallTable({
      {"eq", {Bool(true), Bool(true)}, Is(Bool(true))},
      {"uneq", {Bool(true), Bool(false)}, Is(Bool(true))},
      {"ls", {Bool(false), Bool(true)}, Is(Bool(true))},
      {"gr", {Bool(false), Bool(true)}, Is(Bool(false))},
      {"lseq", {Bool(true), Bool(true)}, Is(Bool(true))},
      {"greq", {Bool(false), Bool(true)}, Is(Bool(false))},
      {"eq", {Cx(1, 2), Cx(1, 2)}, Is(Bool(true))},
      {"eq", {Cx(1, 2), Cx(1 + 1e-14, 2)}, Is(Bool(true))},
      {"eq", {Cx(1, 2), Cx(1, 2.001)}, Is(Bool(false))},
      {"uneq", {Cx(1, 2), Cx(2, 0)}, Is(Bool(true))},
      {"ls", {Cx(1, 2), Cx(2, 0)}, Says("Incorrect comparative type")},
      {"greq", {Cx(1, 2), Cx(1, 2)}, Says("Incorrect comparative type")},
      {"eq", {Cx(1, 0), Real(1)}, Says("Incorrect comparative type")},
      {"eq", {Real(1), Cx(1, 0)}, Says("Incorrect comparative type")},
      {"eq", {Null(), Null()}, Says("Incorrect comparative type")},
      {"eq", {Bool(true), Real(1)}, Says("Incorrect comparative type")},
      {"ls", {Date(1), Date(2)}, Says("Incorrect comparative type")},
      {"uneq", {Date(1), Real(2)}, Says("Incorrect comparative type")},
  });
}

// ---- logic ----------------------------------------------------------------------

TEST(Logic, LeftFoldWithEveryOperandChecked) {
  RunCallTable({
      {"and", {Bool(true), Bool(true), Bool(true)}, Is(Bool(true))},
      {"and", {Bool(true), Bool(false)}, Is(Bool(false))},
      {"or", {Bool(false), Bool(false), Bool(true)}, Is(Bool(true))},
      {"or", {Bool(false), Bool(false)}, Is(Bool(false))},
      {"xor", {Bool(true), Bool(true)}, Is(Bool(false))},
      {"xor", {Bool(false), Bool(true)}, Is(Bool(true))},
      {"xor", {Bool(true), Bool(true), Bool(true)}, Is(Bool(true))},
      {"not", {Bool(true)}, Is(Bool(false))},
      {"not", {Bool(false)}, Is(Bool(true))},
      // a wrong kind fails even when the result is already decided
      {"and", {Bool(true), Bool(false), Real(1)}, Says("Incorrect boolean type")},
      {"or", {Bool(true), Null()}, Says("Incorrect boolean type")},
      {"xor", {Bool(true), Bool(false), Cur(1)}, Says("Incorrect boolean type")},
      {"and", {Real(1), Bool(true)}, Says("Incorrect boolean type")},
      {"not", {Real(0)}, Says("Incorrect boolean type")},
  });
}

// ---- unary functions ------------------------------------------------------------

TEST(UnaryFunctions, RealValuesAndSpecialPoints) {
  RunCallTable({
      {"sqrt", {Real(4)}, Is(Real(2))},
      {"sqrt", {Real(-4)}, Fails(mkInvalidOp)},
      {"sqrt", {Cur(2.25)}, Is(Real(1.5))},
      {"abs", {Real(-3)}, Is(Real(3))},
      {"abs", {Cur(-2)}, Is(Real(2))},
      {"sqr", {Real(-3)}, Is(Real(9))},
      {"sqr", {Real(1e200)}, Fails(mkOverflow)},
      {"exp", {Real(0)}, Is(Real(1))},
      {"exp", {Real(710)}, Fails(mkOverflow)},
      {"exp", {Real(-1000)}, Is(Real(0))},
      {"exp", {Real(kInf)}, Is(Real(kInf))},
      {"ln", {Real(0)}, Fails(mkZeroDivide)},
      {"ln", {Real(-1)}, Fails(mkInvalidOp)},
      {"ln", {Real(std::exp(2.0))}, Near(Real(2))},
      {"log", {Real(0)}, Fails(mkZeroDivide)},
      {"log10", {Real(1000)}, Is(Real(3))},
      {"log10", {Real(0)}, Fails(mkZeroDivide)},
      {"log2", {Real(8)}, Is(Real(3))},
      {"log2", {Real(-1)}, Fails(mkInvalidOp)},
      {"lnxp1", {Real(1e-20)}, Is(Real(1e-20))},
      {"lnxp1", {Real(-1)}, Fails(mkZeroDivide)},
      {"lnxp1", {Real(-2)}, Fails(mkInvalidOp)},
      {"cos", {Real(0)}, Is(Real(1))},
      {"sin", {Real(kPi / 2)}, Is(Real(1))},
      {"cos", {Real(9223372036854775808.0)}, Is(Real(0))},
      {"sin", {Real(-1e19)}, Is(Real(0))},
      {"sin", {Real(kInf)}, Fails(mkInvalidOp)},
      {"tan", {Real(kPi / 4)}, Near(Real(1))},
      {"cotan", {Real(kPi / 4)}, Near(Real(1))},
      {"cot", {Real(0)}, Fails(mkZeroDivide)},
      {"sec", {Real(0)}, Is(Real(1))},
      {"secant", {Real(kPi)}, Is(Real(-1))},
      {"csc", {Real(0)}, Fails(mkZeroDivide)},
      {"cosecant", {Real(kPi / 2)}, Is(Real(1))},
      {"arcsin", {Real(1)}, Is(Real(kPi / 2))},
      {"arcsin", {Real(-1.5)}, Fails(mkInvalidOp)},
      {"arccos", {Real(-1)}, Is(Real(kPi))},
      {"arccos", {Real(2)}, Fails(mkInvalidOp)},
      {"arctan", {Real(1)}, Is(Real(kPi / 4))},
      {"arctan", {Real(-kInf)}, Is(Real(-kPi / 2))},
      {"cosh", {Real(0)}, Is(Real(1))},
      {"cosh", {Real(1e-17)}, Is(Real(1))},
      {"sinh", {Real(1e-17)}, Is(Real(0))},
      {"sinh", {Real(1e-10)}, Is(Real(1e-10))},
      {"sinh", {Real(1000)}, Fails(mkOverflow)},
      {"tanh", {Real(1e-17)}, Is(Real(0))},
      {"tanh", {Real(1000)}, Is(Real(1))},
      {"sech", {Real(0)}, Is(Real(1))},
      {"sech", {Real(1000)}, Is(Real(0))},
      {"csch", {Real(0)}, Fails(mkZeroDivide)},
      {"coth", {Real(0)}, Fails(mkZeroDivide)},
      {"coth", {Real(kInf)}, Is(Real(1))},
      {"arccosh", {Real(1)}, Is(Real(0))},
      {"arccosh", {Real(0.5)}, Fails(mkInvalidOp)},
      {"arcsinh", {Real(0)}, Is(Real(0))},
      {"arctanh", {Real(1)}, Is(Real(kInf))},
      {"arctanh", {Real(-1)}, Is(Real(-kInf))},
      {"arctanh", {Real(0.5)}, Near(Real(0.5 * std::log(3.0)))},
      {"arctanh", {Real(2)}, Fails(mkInvalidOp)},
      {"arccot", {Real(0)}, Is(Real(kPi / 2))},
      {"arccot", {Real(1e-17)}, Is(Real(kPi / 2))},
      {"arccot", {Real(1)}, Is(Real(kPi / 4))},
      {"arcsec", {Real(0)}, Is(Real(kInf))},
      {"arcsec", {Real(2)}, Near(Real(kPi / 3))},
      {"arcsec", {Real(0.5)}, Fails(mkInvalidOp)},
      {"arccsc", {Real(0)}, Is(Real(kInf))},
      {"arccsc", {Real(2)}, Near(Real(kPi / 6))},
      {"arccoth", {Real(1)}, Is(Real(kInf))},
      {"arccoth", {Real(-1)}, Is(Real(-kInf))},
      {"arccoth", {Real(3)}, Near(Real(0.5 * std::log(2.0)))},
      {"arccoth", {Real(0.5)}, Fails(mkInvalidOp)},
      {"arcsech", {Real(0)}, Is(Real(kInf))},
      {"arcsech", {Real(1)}, Is(Real(0))},
      {"arcsech", {Real(0.5)}, Near(Real(std::log(2.0 + std::sqrt(3.0))))},
      {"arcsech", {Real(2)}, Fails(mkInvalidOp)},
      {"arccsch", {Real(0)}, Fails(mkZeroDivide)},
      {"arccsch", {Real(1)}, Near(Real(std::log(1.0 + std::sqrt(2.0))))},
      {"sign", {Real(-3)}, Is(Real(-1))},
      {"sign", {Real(0)}, Is(Real(0))},
      {"sign", {Cur(2)}, Is(Real(1))},
      {"sign", {Real(-kInf)}, Is(Real(-1))},
      {"degtorad", {Real(180)}, Is(Real(kPi))},
      {"radtodeg", {Real(kPi)}, Is(Real(180))},
      {"radtodeg", {Real(1e307)}, Fails(mkOverflow)},
  });
}

TEST(UnaryFunctions, ComplexValuesAndSpecialPoints) {
  const double nan = kNaN;
  RunCallTable({
      {"sqrt", {Cx(-4, 0)}, Is(Cx(0, 2))},
      {"sqrt", {Cx(0, 0)}, Is(Cx(0, 0))},
      {"abs", {Cx(3, 4)}, Is(Real(5))},
      {"abs", {Cx(1.5e308, 1.5e308)}, Fails(mkOverflow)},
      {"abs", {Cx(1e308, 1e308)}, Near(Real(std::sqrt(2.0) * 1e308))},
      {"sqr", {Cx(1, 1)}, Is(Cx(0, 2))},
      {"ln", {Cx(0, 0)}, Is(Cx(-kInf, 0))},
      {"log", {Cx(-1, 0)}, Is(Cx(0, kPi))},
      {"log10", {Cx(0, 0)}, Is(Cx(-kInf, 0))},
      {"log10", {Cx(100, 0)}, Near(Cx(2, 0))},
      {"log2", {Cx(8, 0)}, Near(Cx(3, 0))},
      {"lnxp1", {Cx(-1, 0)}, Is(Cx(-kInf, 0))},
      {"exp", {Cx(0, kPi)}, Near(Cx(-1, 0))},
      {"exp", {Cx(1000, 0)}, Fails(mkOverflow)},
      {"sin", {Cx(1, 0)}, Near(Cx(std::sin(1.0), 0))},
      {"cos", {Cx(0, 1)}, Near(Cx(std::cosh(1.0), 0))},
      {"tan", {Cx(kPi / 2, 0)}, Is(Cx(nan, nan))},
      {"tan", {Cx(0, 1)}, Near(Cx(0, std::tanh(1.0)))},
      {"tan", {Cx(1, 1000)}, Near(Cx(0, 1))},
      {"tan", {Cx(-kPi / 2, 0)}, Fails(mkZeroDivide)},
      {"cot", {Cx(0, 0)}, Is(Cx(nan, nan))},
      {"cotan", {Cx(0, 1)}, Near(Cx(0, -1.0 / std::tanh(1.0)))},
      {"cot", {Cx(1, 0)}, Near(Cx(1.0 / std::tan(1.0), 0))},
      {"sec", {Cx(kPi / 2, 0)}, Is(Cx(nan, nan))},
      {"sec", {Cx(0, 0)}, Is(Cx(1, 0))},
      {"csc", {Cx(0, 0)}, Is(Cx(nan, nan))},
      {"cosecant", {Cx(kPi / 2, 0)}, Near(Cx(1, 0))},
      {"sech", {Cx(0, 0)}, Is(Cx(1, 0))},
      {"csch", {Cx(0, 0)}, Is(Cx(nan, nan))},
      {"coth", {Cx(0, 0)}, Is(Cx(nan, nan))},
      {"tanh", {Cx(0, 0)}, Is(Cx(0, 0))},
      {"tanh", {Cx(1, 0)}, Near(Cx(std::tanh(1.0), 0))},
      {"arctan", {Cx(0, 1)}, Is(Cx(0, kInf))},
      {"arctan", {Cx(0, -1)}, Is(Cx(0, -kInf))},
      {"arctan", {Cx(1, 0)}, Near(Cx(kPi / 4, 0))},
      {"arctanh", {Cx(1, 0)}, Is(Cx(kInf, 0))},
      {"arctanh", {Cx(-1, 0)}, Is(Cx(-kInf, 0))},
      {"arccoth", {Cx(1, 0)}, Is(Cx(kInf, 0))},
      {"arccoth", {Cx(-1, 0)}, Is(Cx(-kInf, 0))},
      {"arccot", {Cx(0, 0)}, Fails(mkZeroDivide)},
      {"arccot", {Cx(1, 0)}, Near(Cx(kPi / 4, 0))},
      {"arcsec", {Cx(0, 0)}, Is(Cx(nan, nan))},
      {"arcsec", {Cx(1, 0)}, Near(Cx(0, 0))},
      {"arccsc", {Cx(0, 0)}, Is(Cx(nan, nan))},
      {"arcsech", {Cx(0, 0)}, Is(Cx(kInf, 0))},
      {"arccsch", {Cx(0, 0)}, Is(Cx(nan, nan))},
      {"arcsin", {Cx(2, 0)}, Near(Cx(kPi / 2, std::log(2.0 + std::sqrt(3.0))))},
      {"arccosh", {Cx(1, 0)}, Near(Cx(0, 0))},
      {"sign", {Cx(3, 4)}, Near(Cx(0.6, 0.8))},
      {"sign", {Cx(0, 0)}, Fails(mkZeroDivide)},
      {"sign", {Cx(1.5e308, -1.5e308)}, Near(Cx(std::sqrt(0.5), -std::sqrt(0.5)))},
      {"sign", {Cx(0, -1e-310)}, Is(Cx(0, -1))},
      {"degtorad", {Cx(180, 90)}, Is(Cx(kPi, kPi / 2))},
      {"sqr", {Cx(nan, 1)}, Is(Cx(nan, nan))},
  });
}

TEST(UnaryFunctions, EveryOneRejectsOtherKindsAndPassesNaN) {
  const char* const names[] = {
      "exp",         "cos",      "sin",     "tan",
      "cotan",       "sqrt",     "abs",     "ln",
      "ceil",        "sqr",      "int",     "lnxp1",
      "log10",       "log2",     "frac",    "arccos",
      "arccosh",     "cosh",     "arcsin",  "arcsinh",
      "sinh",        "arctan",   "arctanh", "tanh",
      "degtorad",    "radtodeg", "floor",   "sec",
      "sech",        "cot",      "coth",    "arccot",
      "arccoth",     "arcsec",   "arcsech", "csc",
      "csch",        "arccsc",   "arccsch", "secant",
      "cosecant",    "log",      "sign",    "fractionalpart",
      "integerpart", "ceiling",
  };
  for (const char* name : names) {
    Check(Call(Code(name), {Real(kNaN)}), Is(Real(kNaN)), std::string(name) + "(NaN)");
    for (const TValue& bad : {Null(), Bool(true), Date(39813)})
      Check(Call(Code(name), {bad}), Says("Incorrect real or complex type"),
            std::string(name) + "(" + ValueToText(bad) + ")");
  }
}

TEST(ComponentwiseFunctions, RoundingExactForEveryFiniteArgument) {
  RunCallTable({
      {"floor", {Real(-2.5)}, Is(Real(-3))},
      {"ceil", {Real(-2.5)}, Is(Real(-2))},
      {"ceiling", {Real(-2.5)}, Is(Real(-2))},
      {"int", {Real(-2.5)}, Is(Real(-2))},
      {"integerpart", {Real(2.5)}, Is(Real(2))},
      {"frac", {Real(-2.5)}, Is(Real(-0.5))},
      {"fractionalpart", {Real(2.25)}, Is(Real(0.25))},
      {"floor", {Cx(1.5, -1.5)}, Is(Cx(1, -2))},
      {"ceil", {Cx(1.5, -1.5)}, Is(Cx(2, -1))},
      {"frac", {Cx(1.5, -1.25)}, Is(Cx(0.5, -0.25))},
      {"floor", {Real(3e9)}, Is(Real(3000000000.0))},
      {"floor", {Real(3e9 + 0.5)}, Is(Real(3000000000.0))},
      {"ceil", {Real(-3e9 - 0.5)}, Is(Real(-3000000000.0))},
      {"int", {Real(1e300)}, Is(Real(1e300))},
      {"frac", {Real(1e20)}, Is(Real(0))},
      {"floor", {Cur(-2.5)}, Is(Real(-3))},
      {"floor", {Real(kInf)}, Fails(mkInvalidOp)},
      {"ceil", {Real(-kInf)}, Fails(mkInvalidOp)},
      {"int", {Real(kInf)}, Fails(mkInvalidOp)},
      {"frac", {Real(-kInf)}, Fails(mkInvalidOp)},
      {"floor", {Cx(1, kInf)}, Fails(mkInvalidOp)},
      {"floor", {Cx(kNaN, 1.5)}, Is(Cx(kNaN, 1))},
  });
}

// ---- functions of two operands --------------------------------------------------

TEST(TwoOperandFunctions, AnglesLogarithmsAndFloorDivision) {
  RunCallTable({
      {"arctan", {Real(-1), Real(0)}, Is(Real(kPi))},
      {"arctan", {Real(0), Real(1)}, Is(Real(kPi / 2))},
      {"arctan2", {Real(0), Real(-1)}, Is(Real(kPi))},
      {"arctan2", {Real(1), Real(0)}, Is(Real(kPi / 2))},
      {"arctan2", {Real(-0.0), Real(-1)}, Is(Real(kPi))},  // the angle lies in (-pi, pi]
      {"arctan2", {Real(-1e-300), Real(-1)}, Near(Real(-kPi))},
      {"arctan2", {Cur(1), Real(1)}, Is(Real(kPi / 4))},
      {"arctan2", {Real(kNaN), Real(1)}, Is(Real(kNaN))},
      {"arctan2", {Cx(1, 0), Real(1)}, Near(Cx(kPi / 4, 0))},
      {"arctan", {Cx(1, 0), Real(1)}, Near(Cx(kPi / 4, 0))},
      {"arctan2", {Cx(1, 0), Cx(0, 0)}, Fails(mkZeroDivide)},
      {"arctan2", {Bool(true), Real(1)}, Says("Incorrect real or complex type")},
      {"logn", {Real(2), Real(8)}, Is(Real(3))},
      {"logn", {Real(10), Cx(100, 0)}, Is(Cx(2, 0))},
      {"logn", {Cx(10, 5), Cx(100, 0)}, Is(Cx(2, 0))},
      {"logn", {Real(1), Real(5)}, Fails(mkZeroDivide)},
      {"logn", {Real(1), Real(1)}, Fails(mkInvalidOp)},
      {"logn", {Real(2), Real(0)}, Fails(mkZeroDivide)},
      {"logn", {Real(2), Real(-1)}, Fails(mkInvalidOp)},
      {"logn", {Real(-2), Real(4)}, Fails(mkInvalidOp)},
      {"logn", {Real(kNaN), Real(4)}, Is(Real(kNaN))},
      {"logn", {Null(), Real(4)}, Says("Incorrect real or complex type")},
      {"mod", {Real(7), Real(-2)}, Is(Real(-1))},
      {"mod", {Real(-7), Real(2)}, Is(Real(1))},
      {"mod", {Real(7.5), Real(2)}, Is(Real(1.5))},
      {"mod", {Real(7), Real(0)}, Fails(mkZeroDivide)},
      {"mod", {Real(0), Real(0)}, Fails(mkInvalidOp)},
      {"mod", {Real(5e9 + 3), Real(5e9)}, Is(Real(3))},
      {"mod", {Real(kNaN), Real(2)}, Is(Real(kNaN))},
      {"mod", {Real(kInf), Real(2)}, Fails(mkInvalidOp)},
      {"mod", {Cur(7), Cur(2)}, Is(Cur(1))},
      {"mod", {Cur(7.5), Real(2)}, Is(Cur(1.5))},
      {"mod", {Cx(5, 3), Cx(2, 0)}, Is(Cx(1, 1))},
      {"mod", {Date(1), Real(2)}, Says("Incorrect real or complex type")},
      {"quotient", {Real(-7), Real(2)}, Is(Real(-4))},
      {"div", {Real(-7), Real(2)}, Is(Real(-4))},
      {"div", {Real(7), Real(2)}, Is(Real(3))},
      {"quotient", {Real(9e15), Real(1)}, Is(Real(9e15))},
      {"quotient", {Cur(7), Cur(2)}, Is(Real(3))},
      {"quotient", {Real(kNaN), Real(2)}, Is(Real(kNaN))},
      {"quotient", {Real(1), Real(0)}, Fails(mkZeroDivide)},
      {"quotient", {Real(kInf), Real(2)}, Fails(mkInvalidOp)},
      {"div", {Cx(5, 3), Cx(2, 0)}, Is(Cx(2, 1))},
      {"complex", {Real(1), Real(-2.5)}, Is(Cx(1, -2.5))},
      {"complex", {Cur(1.5), Real(0)}, Is(Cx(1.5, 0))},
      {"complex", {Bool(true), Real(1)}, Says("Incorrect complex type")},
      {"complex", {Real(1), Cx(1, 1)}, Says("Incorrect complex type")},
      {"complexfrompolar", {Real(2), Real(0)}, Is(Cx(2, 0))},
      {"complexfrompolar", {Real(2), Real(kPi / 2)}, Near(Cx(0, 2))},
      {"complexfrompolar", {Real(1), Real(kPi)}, Near(Cx(-1, 0))},
      {"complexfrompolar", {Null(), Real(1)}, Says("Incorrect complex type")},
  });
}

// ---- aggregates -----------------------------------------------------------------

TEST(Aggregates, MaxMinSumMean) {
  RunCallTable({
      {"max", {Real(3)}, Is(Real(3))},
      {"max", {Real(1), Real(5), Real(3)}, Is(Real(5))},
      {"min", {Real(1), Real(5), Real(-3)}, Is(Real(-3))},
      {"max", {Real(1), Real(1 + 1e-14)}, Is(Real(1 + 1e-14))},
      {"max", {Real(1), Real(kNaN), Real(3)}, Is(Real(kNaN))},
      {"max", {Real(kNaN), Real(1)}, Is(Real(kNaN))},
      {"min", {Real(kInf), Real(kNaN)}, Is(Real(kNaN))},
      {"max", {Real(1), Real(kNaN), Bool(true)}, Says("Incorrect real type")},
      {"max", {Bool(true)}, Says("Incorrect real type")},
      {"min", {Real(1), Cx(0, 0)}, Says("Incorrect real type")},
      {"min", {Real(2), Real(kInf)}, Is(Real(2))},
      {"max", {Real(-kInf), Real(5)}, Is(Real(5))},
      {"max", {Real(5), Real(kInf)}, Is(Real(kInf))},
      {"min", {Real(5), Real(-kInf), Real(-1e308)}, Is(Real(-kInf))},
      {"max", {Cur(2), Real(1)}, Is(Cur(2))},
      {"max", {Real(1), Cur(2)}, Is(Cur(2))},
      {"min", {Cur(2), Real(1)}, Is(Real(1))},
      {"sum", {Real(1)}, Is(Real(1))},
      {"sum", {Real(1), Real(2), Real(3.5)}, Is(Real(6.5))},
      {"sum", {Cx(1, 1), Real(1)}, Is(Cx(2, 1))},
      {"sum", {Cur(0.1), Cur(0.2)}, Is(Cur(0.3))},
      {"sum", {Real(1e308), Real(1e308)}, Fails(mkOverflow)},
      {"sum", {Real(1), Null()}, Says("Incorrect real or complex type")},
      {"sum", {Bool(true)}, Says("Incorrect real or complex type")},
      {"mean", {Real(1), Real(2)}, Is(Real(1.5))},
      {"mean", {Cur(1), Cur(2)}, Is(Cur(1.5))},
      {"mean", {Cur(1), Cur(1), Cur(2)}, Is(Cur(1.3333))},
      {"mean", {Cx(1, 1), Cx(3, 3)}, Is(Cx(2, 2))},
      {"mean", {Real(kNaN), Real(1)}, Is(Real(kNaN))},
      {"mean", {Date(1)}, Says("Incorrect real or complex type")},
  });
}

// ---- complex utilities, kind tests, conversions ----------------------------------

TEST(KindFunctions, ComplexPartsKindTestsAndConversions) {
  RunCallTable({
      {"re", {Cx(1, 2)}, Is(Real(1))},
      {"im", {Cx(1, 2)}, Is(Real(2))},
      {"conjugate", {Cx(1, 2)}, Is(Cx(1, -2))},
      {"arg", {Cx(-1, 0)}, Is(Real(kPi))},
      {"arg", {Cx(0, 1)}, Is(Real(kPi / 2))},
      {"arg", {Cx(-1, -0.0)}, Is(Real(kPi))},
      {"re", {Real(2)}, Says("Incorrect complex type")},
      {"im", {Cur(2)}, Says("Incorrect complex type")},
      {"conjugate", {Null()}, Says("Incorrect complex type")},
      {"arg", {Real(-1)}, Says("Incorrect complex type")},
      {"iscomplex", {Cx(0, 0)}, Is(Bool(true))},
      {"iscomplex", {Real(0)}, Is(Bool(false))},
      {"isreal", {Real(2)}, Is(Bool(true))},
      {"isreal", {Cur(2)}, Is(Bool(false))},
      {"isreal", {Date(2)}, Is(Bool(false))},
      {"iscurrency", {Cur(2)}, Is(Bool(true))},
      {"iscurrency", {Real(2)}, Is(Bool(false))},
      {"isboolean", {Bool(false)}, Is(Bool(true))},
      {"isboolean", {Real(0)}, Is(Bool(false))},
      {"isnull", {Null()}, Is(Bool(true))},
      {"isnull", {Real(0)}, Is(Bool(false))},
      {"isdatetime", {Date(39813)}, Is(Bool(true))},
      {"isdatetime", {Real(39813)}, Is(Bool(false))},
      {"isnan", {Real(kNaN)}, Is(Bool(true))},
      {"isnan", {Real(1)}, Is(Bool(false))},
      {"isnan", {Real(kInf)}, Is(Bool(false))},
      {"isnan", {Cur(1)}, Is(Bool(false))},
      {"isnan", {Bool(true)}, Says("Incorrect real type")},
      {"isnan", {Cx(kNaN, 0)}, Says("Incorrect real type")},
      {"real2curr", {Real(2)}, Is(Cur(2))},
      {"real2curr", {Real(1.23456)}, Is(Cur(1.2346))},
      {"real2curr", {Real(-1.23456)}, Is(Cur(-1.2346))},
      {"real2curr", {Cur(2)}, Says("Incorrect real type")},
      {"real2curr", {Bool(true)}, Says("Incorrect real type")},
      {"real2curr", {Real(kNaN)}, Fails(mkInvalidOp)},
      {"real2curr", {Real(1e300)}, Says("'" + RealToText(1e300) + "' is not a valid currency value")},
      {"real2curr", {Real(-kInf)}, Says("'" + RealToText(-kInf) + "' is not a valid currency value")},
      {"curr2real", {Cur(2.5)}, Is(Real(2.5))},
      {"curr2real", {Real(2.5)}, Says("Incorrect currency type")},
  });
}

// ---- random ---------------------------------------------------------------------

TEST(Random, RangesAndFailures) {
  RunCallTable({
      {"random", {Real(-1)}, Says("RANGE OF RANDOM NUMBER MUST BE POSITIVE")},
      {"random", {Real(-0.5)}, Says("RANGE OF RANDOM NUMBER MUST BE POSITIVE")},
      {"random", {Real(kNaN)}, Is(Real(kNaN))},
      {"random", {Real(9007199254740992.0)}, Fails(mkInvalidOp)},
      {"random", {Real(kInf)}, Fails(mkInvalidOp)},
      {"random", {Bool(true)}, Says("Incorrect real type")},
      {"random", {Cx(2, 0)}, Says("Incorrect real type")},
      {"random", {Real(1)}, Is(Real(0))},
      {"random", {Real(1.99)}, Is(Real(0))},
  });
}

TEST(Random, DrawsFromTheGeneratorPassedIn) {
  const int code = Code("random");
  std::mt19937_64 rng(7);
  std::set<double> whole;
  bool fractional = false;
  for (int i = 0; i < 400; ++i) {
    const TOutcome small = Call(code, {Real(0.5)}, &rng);
    ASSERT_EQ(small.What, TWhat::Value);
    ASSERT_TRUE(small.V.IsReal());
    EXPECT_GE(small.V.Num, 0.0);
    EXPECT_LT(small.V.Num, 1.0);
    fractional = fractional || small.V.Num != std::trunc(small.V.Num);
    const TOutcome die = Call(code, {i % 2 == 0 ? Real(6.9) : Cur(6)}, &rng);
    ASSERT_EQ(die.What, TWhat::Value);
    ASSERT_TRUE(die.V.IsReal());
    EXPECT_EQ(die.V.Num, std::trunc(die.V.Num));
    whole.insert(die.V.Num);
  }
  EXPECT_TRUE(fractional);
  EXPECT_EQ(whole, (std::set<double>{0, 1, 2, 3, 4, 5}));

  // the same generator state gives the same number; the generator advances
  std::mt19937_64 a(99);
  std::mt19937_64 b(99);
  const double big = 9007199254740991.0;  // 2^53 - 1
  const TOutcome first = Call(code, {Real(big)}, &a);
  EXPECT_EQ(first.V.Num, Call(code, {Real(big)}, &b).V.Num);
  EXPECT_LT(first.V.Num, big);
  EXPECT_NE(first.V.Num, Call(code, {Real(big)}, &a).V.Num);
}

// ---- results written into an argument cell ---------------------------------------

TEST(EvalBuiltin, ResultMayBeAnArgumentCell) {
  const std::vector<TCallCase> cases = {
      {"mod", {Real(7), Real(-2)}, Is(Real(-1))},
      {"mod", {Cx(5, 3), Cx(2, 0)}, Is(Cx(1, 1))},
      {"sum", {Real(1), Real(2), Real(3)}, Is(Real(6))},
      {"mean", {Cur(1), Cur(2)}, Is(Cur(1.5))},
      {"max", {Real(1), Real(5), Real(3)}, Is(Real(5))},
      {"arctan", {Real(-1), Real(0)}, Is(Real(kPi))},
      {"logn", {Real(2), Real(8)}, Is(Real(3))},
      {"power", {Real(-8), Real(2), Real(3)}, Is(Real(4))},
      {"complex", {Real(1), Real(2)}, Is(Cx(1, 2))},
      {"eq", {Real(1), Real(1)}, Is(Bool(true))},
      {"and", {Bool(true), Bool(false)}, Is(Bool(false))},
      {"sqrt", {Cx(-4, 0)}, Is(Cx(0, 2))},
      {"conjugate", {Cx(1, 2)}, Is(Cx(1, -2))},
  };
  std::mt19937_64 rng(1);
  for (const TCallCase& c : cases)
    for (std::size_t target = 0; target < c.Args.size(); ++target) {
      std::vector<TValue> cells = c.Args;
      std::vector<const TValue*> ptrs;
      for (const TValue& v : cells) ptrs.push_back(&v);
      EvalBuiltin(Code(c.Name), ptrs.data(), static_cast<int>(ptrs.size()), cells[target], rng);
      Check(TOutcome{TWhat::Value, cells[target], 0, ""}, c.Want,
            std::string(c.Name) + " into argument " + std::to_string(target));
    }
}

// ---- constants and help lines -----------------------------------------------------

TEST(BuiltinConstant, Values) {
  struct {
    const char* Name;
    TExpect Want;
  } const cases[] = {
      {"pi", Is(Real(kPi))},
      {"e", Is(Real(std::exp(1.0)))},
      {"degree", Is(Real(kPi / 180))},
      {"zero", Is(Real(1e-13))},
      {"infinity", Is(Real(kInf))},
      {"inf", Is(Real(kInf))},
      {"nan", Is(Real(kNaN))},
      {"indeterminate", Is(Real(kNaN))},
      {"true", Is(Bool(true))},
      {"false", Is(Bool(false))},
      {"null", Is(Null())},
  };
  for (const auto& c : cases) Check(TOutcome{TWhat::Value, BuiltinConstant(Code(c.Name)), 0, ""}, c.Want, c.Name);
}

TEST(BuiltinHelpText, CatalogueLines) {
  struct {
    int Code;
    const char* Line;
  } const cases[] = {
      {0,
       "IF 'ProtectVariables' property is false (default), IT IS MEAN THAT YOU CAN SET VALUES BY '=' OPERATOR: X=0 "},
      {1, "OPERATOR '* ' IS EQUIVALENT WITH OBJECT PASCAL OPERATOR : X*Y"},
      {2, "OPERATOR '/'  IS EQUIVALENT WITH OBJECT PASCAL OPERATOR : X/Y"},
      {5, "OPERATOR '^'  IS EQUIVALENT WITH OBJECT PASCAL  Power FUNCTION : X^Y -> Power(X,Y)"},
      {7, "OPERATOR '~ ' DEFINES FUNCTION ON RUNTIME : f(x)~sin(x)^2"},
      {8, "'PI' CONSTANT"},
      {9, "FUNCTION 'EXP' IS EQUIVALENT WITH OBJECT PASCAL FUNCTION"},
      {33, "FUNCTION 'ARCTAN2' IS EQUIVALENT WITH OBJECT PASCAL FUNCTION"},
      {35, "FUNCTION 'MIN'  RETURNS THE LESSER OF A SET OF EXPRESSION VALUES : Min(x1,[x2,x3...])"},
      {42, "FUNCTION 'LSEQ' IS EQUIVALENT WITH OBJECT PASCAL '<=' OPERATOR : LsEq(X,Y) -> X<=Y"},
      {51, "'ZERO'  CONSTANT"},
      {56, "FUNCTION 'POWER' IS EQUIVALENT WITH OBJECT PASCAL FUNCTION"},
      {57, "'NAN' CONSTANT MEAN THAT VALUE IS NOT A NUMBER "},
      {76, "FUNCTION 'FRACTIONALPART' IS EQUIVALENT WITH OBJECT PASCAL 'FRAC'"},
      {78, "FUNCTION 'SEILING' IS EQUIVALENT WITH OBJECT PASCAL 'SEIL'"},
      {83,
       "CONSTANT 'DIRECTEDINFINITY(1)', 'DIRECTEDINFINITY(-1)' IS EQUIVALENT WITH OBJECT PASCAL 'INFINITY', "
       "'-INFINITY'"},
      {90, "FUNCTION 'COMPLEX' IS EQUIVALENT WITH OBJECT PASCAL 'VARCOMPLEXCREATE ' "},
      {99, "FUNCTION 'COMPLEXFROMPOLAR' IS EQUIVALENT WITH OBJECT PASCAL 'VARCOMPLEXFROMPOLAR ' "},
      {104, "'INF' CONSTANT IS EQUIVALENT WITH 'INFINITY'"},
  };
  for (const auto& c : cases) EXPECT_EQ(BuiltinHelpText(c.Code), c.Line) << c.Code;
}

TEST(BuiltinHelpText, EveryCodeHasALineNamingItsFunction) {
  for (int code = 0; code <= opLastBuiltin; ++code) EXPECT_FALSE(BuiltinHelpText(code).empty()) << code;
  // The generic line carries the upper-case table name.
  for (int code : {10, 18, 24, 55, 58, 74, 86, 98}) {
    std::string upper = BuiltinInfo(code).Name;
    for (char& ch : upper)
      if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    const std::string line = BuiltinHelpText(code);
    EXPECT_NE(line.find("'" + upper + "'"), std::string::npos) << line;
  }
}

// Name lookup against a plain scan of the catalogue: the first entry of a
// name, in any case; anything else is no built-in.
TEST(FindBuiltin, FindsEachNameInAnyCase) {
  auto scan = [](std::string_view name) {
    for (int code = opFirstBuiltin; code <= opLastBuiltin; ++code) {
      const std::string_view n = BuiltinInfo(code).Name;
      if (n.size() == name.size() && ToLowerAscii(n) == ToLowerAscii(name)) return code;
    }
    return 0;
  };
  for (int code = opFirstBuiltin; code <= opLastBuiltin; ++code) {
    const std::string name = BuiltinInfo(code).Name;
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(FindBuiltin(name), scan(name)) << name;
    EXPECT_EQ(FindBuiltin(upper), scan(name)) << upper;
    EXPECT_EQ(FindBuiltin(name + "x"), scan(name + "x")) << name;
    EXPECT_EQ(FindBuiltin(name.substr(1)), scan(name.substr(1))) << name;
  }
  for (const char* other : {"", "x", "sinus", "fact", "f", "_pi"}) EXPECT_EQ(FindBuiltin(other), 0) << other;
}

}  // namespace
}  // namespace helmax
