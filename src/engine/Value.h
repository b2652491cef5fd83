// Value cells of the expression engine and their text form.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace helmax {

enum class TValueKind : std::uint8_t { Null, Real, Currency, DateTime, Boolean, Complex };

struct TComplex {
  double Re;
  double Im;
};

// A tagged cell. Real and DateTime both use Num (a date-time is days since
// 30 December 1899, the fraction being the time of day); Currency is a
// 64-bit integer scaled by 10000.
struct TValue {
  TValueKind Kind = TValueKind::Null;
  union {
    double Num;
    std::int64_t Cur;
    bool Bool;
    TComplex Cx;
  };

  TValue() : Cx{0.0, 0.0} {}
  // Only the payload that the kind uses is copied: results are written as a
  // kind byte and an 8-byte payload, and a 16-byte copy reading them back
  // straight away would stall on the processor's store forwarding.
  TValue(const TValue& o) noexcept : Kind(o.Kind) { CopyPayload(o); }
  TValue& operator=(const TValue& o) noexcept {
    Kind = o.Kind;
    CopyPayload(o);
    return *this;
  }

  static TValue MakeNull() { return TValue(); }
  static TValue MakeReal(double v) {
    TValue r;
    r.Kind = TValueKind::Real;
    r.Num = v;
    return r;
  }
  static TValue MakeCurrency(std::int64_t scaled) {
    TValue r;
    r.Kind = TValueKind::Currency;
    r.Cur = scaled;
    return r;
  }
  static TValue MakeDateTime(double serial) {
    TValue r;
    r.Kind = TValueKind::DateTime;
    r.Num = serial;
    return r;
  }
  static TValue MakeBool(bool v) {
    TValue r;
    r.Kind = TValueKind::Boolean;
    r.Bool = v;
    return r;
  }
  static TValue MakeComplex(double re, double im) {
    TValue r;
    r.Kind = TValueKind::Complex;
    r.Cx = {re, im};
    return r;
  }

  bool IsNull() const { return Kind == TValueKind::Null; }
  bool IsReal() const { return Kind == TValueKind::Real; }
  bool IsCurrency() const { return Kind == TValueKind::Currency; }
  bool IsRealLike() const { return Kind == TValueKind::Real || Kind == TValueKind::Currency; }
  bool IsNumeric() const { return IsRealLike() || Kind == TValueKind::Complex; }
  void CopyPayload(const TValue& o) noexcept {
    if (o.Kind == TValueKind::Complex) {
      Cx = o.Cx;
    } else {
      Cur = o.Cur;  // the first 8 bytes hold every other payload
      Cx.Im = 0.0;
    }
  }

  // Real value of a real or currency cell (callers check IsRealLike first).
  double AsReal() const { return Kind == TValueKind::Currency ? static_cast<double>(Cur) / 10000.0 : Num; }
};

static_assert(sizeof(TValue) == 24, "value cells should stay compact");

constexpr std::int64_t CurrencyScale = 10000;

// The engine's own not-a-number: a quiet NaN with the sign bit set.
double EngineNaN();

// Display text of a value, independent of any locale (Null, True, 1E20,
// -NAN, Complex(1, -2.5), 12.31.2008:10:30:00PM, currency without trailing
// zeros).
std::string ValueToText(const TValue& v);
// The same text appended to out.
void AppendValueText(std::string& out, const TValue& v);

// Text of a real alone: up to 15 significant digits, fixed or scientific.
std::string RealToText(double v);
void AppendRealText(std::string& out, double v);

// Currency from a real: x * 10000 rounded half to even. Returns false for a
// NaN, an infinity or a value outside the 64-bit scaled range.
bool RealToCurrency(double x, std::int64_t& scaled);

// Rounds a 128-bit count of 1/10000-units scaled by 10^extra (extra decimal
// digits beyond four) half to even; false when the result leaves int64.
bool RoundScaledHalfEven(__int128 value, int extraDigits, std::int64_t& scaled);

// Currency from the digits of a decimal literal ("12", "0.5", ".5", "5."),
// converted exactly and rounded half to even at four decimals. False when
// the text is not a decimal number or the value is out of range.
bool ParseCurrencyLiteral(std::string_view text, std::int64_t& scaled);

// Real from a decimal literal or a literal in exponent form ("2e-5"); strict:
// the whole text must be the number. Returns false on bad syntax; sets
// overflow when the value is beyond the double range. Underflow gives the
// nearest double without error.
bool ParseRealLiteral(std::string_view text, double& value, bool& overflow);

// True when the text is a decimal number: digits with at most one ".",
// at least one digit.
bool IsDecimalNumber(std::string_view text);

// True when the token has the shape of a date, time or date-time literal:
// only digits, '.', ':', 'a', 'm', 'p' (either case), containing '.' or ':',
// and not a decimal number.
bool LooksLikeDateTimeLiteral(std::string_view token);

// Reads a date (MM.dd.yyyy), a time (hh:nn[:ss][am|pm]) or a date-time
// (date ':' time) literal into a serial date-time. On failure returns false
// and sets reason.
bool ParseDateTimeLiteral(std::string_view token, double& serial, std::string& reason);

// Calendar helpers shared with the date-time pack.
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// Serial day number (days since 30 December 1899) of a valid date.
double EncodeDate(int year, int month, int day);
// Splits a serial date-time into its date and time of day (whole
// milliseconds, rounded half away from zero). Negative serials hold the day
// in their integer part and the time in the absolute fraction.
void DecodeDateTime(double serial, int& year, int& month, int& day, int& hour, int& minute, int& second,
                    int& millisecond);

// Failure of a floating-point kind 1..5 (overflow, underflow, invalid
// argument, zero divide, invalid operation). Anything else thrown through
// the engine is a non-math failure.
class EHelmaxMathError : public std::exception {
 public:
  explicit EHelmaxMathError(int kind) : Kind(kind) {}
  const char* what() const noexcept override;
  int Kind;
};

enum MathKind : int {
  mkNone = -1,
  mkNonMath = 0,
  mkOverflow = 1,
  mkUnderflow = 2,
  mkInvalidArgument = 3,
  mkZeroDivide = 4,
  mkInvalidOp = 5,
};

// "EOverflow->Floating-point operation overflowed" and so on; other kinds
// give "INDEX MUST BE BETWEEN  0 AND 5".
std::string MathErrorKindText(int kind);

}  // namespace helmax
