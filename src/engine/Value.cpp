// Value cells: their display text, the literal readers for numbers, currency
// amounts and date-times, and the calendar arithmetic behind date-times.
//
// Everything here uses fixed conventions ("." as decimal separator, month.
// day.year dates, hh:nn:ss AM/PM times) and never consults the process
// locale: numbers are formatted and read with std::to_chars/std::from_chars
// only.

#include "Value.h"
#include "FixedTexts.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

#include "TextUtil.h"

namespace helmax {

namespace {

using i128 = __int128;
using u128 = unsigned __int128;

constexpr std::int64_t MsPerDay = 86'400'000;
constexpr int SecondsPerDay = 86'400;
// Days from 1 January 1970 back to 30 December 1899 (day 0 of a serial).
constexpr std::int64_t SerialDayOfUnixEpoch = 25'569;

// ---------------------------------------------------------------------------
// Exact rounding of a double times an integer factor.
//
// A finite double is exactly mant * 2^shift with a 53-bit integer mant, so
// x * factor is exactly (mant * factor) * 2^shift. mant * factor needs at
// most 53 + 63 bits, which a 128-bit integer holds; scaling by the power of
// two is then a shift, and the bits shifted out decide the rounding without
// any intermediate floating-point error. (Computing x * factor in double and
// rounding that can be off by one when the product lands next to a half.)
// ---------------------------------------------------------------------------

enum class TTieRule { ToEven, AwayFromZero };

constexpr u128 I128Max = (static_cast<u128>(1) << 127) - 1;

// False when the rounded result does not fit a signed 128-bit integer.
bool RoundTimesFactor(double x, std::uint64_t factor, TTieRule tie, i128& out) {
  if (x == 0.0 || factor == 0) {
    out = 0;
    return true;
  }
  int exponent = 0;
  const double fraction = std::frexp(std::fabs(x), &exponent);  // |x| = fraction * 2^exponent
  const auto mant = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  const int shift = exponent - 53;  // |x| = mant * 2^shift exactly
  const u128 product = static_cast<u128>(mant) * factor;

  u128 magnitude = 0;
  if (shift >= 0) {
    if (shift >= 127 || product > (I128Max >> shift)) return false;
    magnitude = product << shift;
  } else {
    const int drop = -shift;
    if (drop >= 120) {
      // product < 2^117 <= half of 2^drop: the result rounds to zero.
      magnitude = 0;
    } else {
      const u128 one = 1;
      magnitude = product >> drop;
      const u128 rest = product & ((one << drop) - 1);
      const u128 half = one << (drop - 1);
      if (rest > half || (rest == half && (tie == TTieRule::AwayFromZero || (magnitude & 1) != 0))) ++magnitude;
    }
  }
  out = x < 0 ? -static_cast<i128>(magnitude) : static_cast<i128>(magnitude);
  return true;
}

bool FitsInt64(i128 v) {
  return v >= std::numeric_limits<std::int64_t>::min() && v <= std::numeric_limits<std::int64_t>::max();
}

// ---------------------------------------------------------------------------
// Small text helpers.
// ---------------------------------------------------------------------------

void AppendUnsigned(std::string& out, std::uint64_t v, int width = 0) {
  char buf[24];
  const auto res = std::to_chars(buf, buf + sizeof buf, v);
  const auto len = static_cast<int>(res.ptr - buf);
  for (int i = len; i < width; ++i) out += '0';
  out.append(buf, res.ptr);
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!IsAsciiDigit(c)) return false;
  return true;
}

// Value of a run of 1..9 digits (callers check the length and the digits).
int SmallNumber(std::string_view digits) {
  int v = 0;
  for (char c : digits) v = v * 10 + (c - '0');
  return v;
}

// ---------------------------------------------------------------------------
// Calendar (proleptic Gregorian), after the well-known days-from-civil
// algorithm on 400-year eras; day 0 is 1 January 1970.
// ---------------------------------------------------------------------------

std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;                                   // [0, 399]
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;  // [0, 365]
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;           // [0, 146096]
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;                                       // [0, 146096]
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // [0, 399]
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);                // [0, 365]
  const std::int64_t mp = (5 * doy + 2) / 153;                                     // [0, 11]
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

// Millisecond count of a serial on the rounding rule of the date-time code:
// serial * 86400000 rounded half away from zero. False for a NaN, an
// infinity, or a serial too far out to be any calendar date.
bool SerialToMilliseconds(double serial, std::int64_t& ms) {
  if (!std::isfinite(serial)) return false;
  i128 v = 0;
  if (!RoundTimesFactor(serial, MsPerDay, TTieRule::AwayFromZero, v)) return false;
  constexpr i128 limit = static_cast<i128>(1) << 62;
  if (v > limit || v < -limit) return false;
  ms = static_cast<std::int64_t>(v);
  return true;
}

struct TDateTimeParts {
  std::int64_t Year = 0;
  int Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// The integer part of the millisecond count (truncated toward zero) is the
// day, its absolute remainder the time of day: a negative serial keeps the
// day in its integer part and the time in its absolute fraction.
bool SplitSerial(double serial, TDateTimeParts& p) {
  std::int64_t ms = 0;
  if (!SerialToMilliseconds(serial, ms)) return false;
  const std::int64_t day = ms / MsPerDay;
  std::int64_t time = ms % MsPerDay;
  if (time < 0) time = -time;
  CivilFromDays(day - SerialDayOfUnixEpoch, p.Year, p.Month, p.Day);
  p.Hour = static_cast<int>(time / 3'600'000);
  p.Minute = static_cast<int>(time / 60'000 % 60);
  p.Second = static_cast<int>(time / 1000 % 60);
  p.Millisecond = static_cast<int>(time % 1000);
  return true;
}

// "12.31.2008:10:30:00PM"; the date alone exactly at midnight (to the
// millisecond: 00:00:00.500 shows its time). Milliseconds are not
// shown (they are cut, as a clock shows them), so the text reads back to
// the same second.
std::string DateTimeToText(double serial) {
  TDateTimeParts p;
  if (!SplitSerial(serial, p) || p.Year < 1 || p.Year > 9999) return RealToText(serial);
  std::string out;
  AppendUnsigned(out, static_cast<std::uint64_t>(p.Month), 2);
  out += '.';
  AppendUnsigned(out, static_cast<std::uint64_t>(p.Day), 2);
  out += '.';
  AppendUnsigned(out, static_cast<std::uint64_t>(p.Year), 4);
  if (p.Hour == 0 && p.Minute == 0 && p.Second == 0 && p.Millisecond == 0) return out;
  const int hour12 = p.Hour % 12 == 0 ? 12 : p.Hour % 12;
  out += ':';
  AppendUnsigned(out, static_cast<std::uint64_t>(hour12), 2);
  out += ':';
  AppendUnsigned(out, static_cast<std::uint64_t>(p.Minute), 2);
  out += ':';
  AppendUnsigned(out, static_cast<std::uint64_t>(p.Second), 2);
  out += p.Hour < 12 ? "AM" : "PM";
  return out;
}

std::string CurrencyToText(std::int64_t scaled) {
  const bool negative = scaled < 0;
  // Through unsigned so that the most negative amount negates cleanly.
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
  std::string out;
  if (negative) out += '-';
  AppendUnsigned(out, magnitude / CurrencyScale);
  auto fraction = static_cast<unsigned>(magnitude % CurrencyScale);
  if (fraction != 0) {
    int digits = 4;
    while (fraction % 10 == 0) {
      fraction /= 10;
      --digits;
    }
    out += '.';
    AppendUnsigned(out, fraction, digits);
  }
  return out;
}

// ---------------------------------------------------------------------------
// Date and time literal pieces.
// ---------------------------------------------------------------------------

bool IsDateTimeChar(char c) {
  const char l = LowerAscii(c);
  return IsAsciiDigit(c) || c == '.' || c == ':' || l == 'a' || l == 'm' || l == 'p';
}

// A field of one or two digits.
bool ReadShortField(std::string_view s, int& v) {
  if (s.size() < 1 || s.size() > 2 || !AllDigits(s)) return false;
  v = SmallNumber(s);
  return true;
}

// month.day.year; a year of one or two digits is windowed (00-49 are
// 2000-2049, 50-99 are 1950-1999), three or four digits stand as written.
bool ReadDate(std::string_view s, int& day) {
  const std::size_t dot1 = s.find('.');
  if (dot1 == std::string_view::npos) return false;
  const std::size_t dot2 = s.find('.', dot1 + 1);
  if (dot2 == std::string_view::npos || s.find('.', dot2 + 1) != std::string_view::npos) return false;
  int month = 0, dayOfMonth = 0;
  if (!ReadShortField(s.substr(0, dot1), month)) return false;
  if (!ReadShortField(s.substr(dot1 + 1, dot2 - dot1 - 1), dayOfMonth)) return false;
  const std::string_view yearText = s.substr(dot2 + 1);
  if (yearText.size() < 1 || yearText.size() > 4 || !AllDigits(yearText)) return false;
  int year = SmallNumber(yearText);
  if (yearText.size() <= 2) year += year < 50 ? 2000 : 1900;
  if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
  if (dayOfMonth < 1 || dayOfMonth > DaysInMonth(year, month)) return false;
  day = static_cast<int>(EncodeDate(year, month, dayOfMonth));
  return true;
}

// hh:nn[:ss] with an optional am/pm suffix (either case). Hours are 0-23
// without the suffix, 1-12 with it (12am is 0, 12pm is 12).
bool ReadTime(std::string_view s, int& seconds) {
  int suffix = 0;  // 0 none, 1 am, 2 pm
  if (s.size() >= 2 && LowerAscii(s[s.size() - 1]) == 'm') {
    const char c = LowerAscii(s[s.size() - 2]);
    if (c == 'a') suffix = 1;
    else if (c == 'p') suffix = 2;
    if (suffix != 0) s.remove_suffix(2);
  }
  std::array<int, 3> fields{};
  std::size_t count = 0;
  std::size_t start = 0;
  while (true) {
    const std::size_t colon = s.find(':', start);
    const std::string_view field = s.substr(start, colon == std::string_view::npos ? s.npos : colon - start);
    if (count == fields.size() || !ReadShortField(field, fields[count])) return false;
    ++count;
    if (colon == std::string_view::npos) break;
    start = colon + 1;
  }
  if (count < 2) return false;
  int hour = fields[0];
  const int minute = fields[1], second = fields[2];
  if (minute > 59 || second > 59) return false;
  if (suffix == 0) {
    if (hour > 23) return false;
  } else {
    if (hour < 1 || hour > 12) return false;
    if (hour == 12) hour = 0;
    if (suffix == 2) hour += 12;
  }
  seconds = hour * 3600 + minute * 60 + second;
  return true;
}

// Serial of a day and a time of day, as one correctly rounded division;
// before day 0 the time goes into the absolute fraction.
double ComposeSerial(int day, int seconds) {
  const std::int64_t total = static_cast<std::int64_t>(day) * SecondsPerDay + (day < 0 ? -seconds : seconds);
  return static_cast<double>(total) / SecondsPerDay;
}

// Decimal exponent of the leading significant digit of a literal known to be
// well formed and not zero, saturated far beyond the double range; only its
// sign is used (to tell an overflow from an underflow).
std::int64_t LeadingDecimalExponent(std::string_view mantissa, std::string_view exponentPart) {
  std::int64_t exp = 0;
  bool negative = false;
  if (!exponentPart.empty() && (exponentPart[0] == '+' || exponentPart[0] == '-')) {
    negative = exponentPart[0] == '-';
    exponentPart.remove_prefix(1);
  }
  for (char c : exponentPart) {
    exp = exp * 10 + (c - '0');
    if (exp > 1'000'000'000) exp = 1'000'000'000;
  }
  if (negative) exp = -exp;
  const std::size_t point = mantissa.find('.');
  const std::size_t intLen = point == std::string_view::npos ? mantissa.size() : point;
  std::int64_t position = 0;  // exponent of the first non-zero digit
  bool found = false;
  for (std::size_t i = 0; i < mantissa.size() && !found; ++i) {
    if (mantissa[i] == '.' || mantissa[i] == '0') continue;
    found = true;
    position = i < intLen ? static_cast<std::int64_t>(intLen - i) - 1 : -static_cast<std::int64_t>(i - intLen);
  }
  return position + exp;
}

constexpr std::array<const char*, 6> MathKindTexts = {
    texts::kNonMathematicalException,
    texts::kEOverflowFloatingPointOperationOverflowed,
    texts::kEUnderflowFloatingPointOperationUnderflowed,
    texts::kEInvalidArgumentParameterOutOfRange,
    texts::kEZeroDivideAttemptToDivideByZero,
    texts::kEInvalidOpProcessorEncounteredAnUndefinedInstruction,
};
constexpr const char* BadMathKindText = texts::kIndexMustBeBetween0And5;

const char* MathKindCText(int kind) {
  if (kind < 0 || kind >= static_cast<int>(MathKindTexts.size())) return BadMathKindText;
  return MathKindTexts[static_cast<std::size_t>(kind)];
}

}  // namespace

double EngineNaN() { return std::copysign(std::numeric_limits<double>::quiet_NaN(), -1.0); }

namespace {

// "00", "01", ..., "99" back to back.
constexpr char kDigitPairs[201] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The 15 significant digits of |v| rounded correctly (half to even, from
// the exact binary value) and the decimal exponent of the first one.
// Values from 1e-5 to below 1e15, where nearly every result lies, take an
// exact integer route: v = m * 2^k with k < 0, so m * 10^(14 - d) is
// exact in 128 bits and the rounding is a shift. Others go through
// std::to_chars, which rounds the same way at a higher cost.
void FifteenDigits(double v, char (&digits)[15], int& exponent) {
  const double a = std::fabs(v);
  if (a >= 1e-5 && a < 1e15) {
    static constexpr std::uint64_t kPowers[20] = {1ULL,
                                                  10ULL,
                                                  100ULL,
                                                  1000ULL,
                                                  10000ULL,
                                                  100000ULL,
                                                  1000000ULL,
                                                  10000000ULL,
                                                  100000000ULL,
                                                  1000000000ULL,
                                                  10000000000ULL,
                                                  100000000000ULL,
                                                  1000000000000ULL,
                                                  10000000000000ULL,
                                                  100000000000000ULL,
                                                  1000000000000000ULL,
                                                  10000000000000000ULL,
                                                  100000000000000000ULL,
                                                  1000000000000000000ULL,
                                                  10000000000000000000ULL};
    constexpr std::uint64_t kLow = 100000000000000ULL, kHigh = 1000000000000000ULL;  // 10^14, 10^15
    // a is normal here: a = m / 2^shift with the 53-bit significand m.
    const auto bits = std::bit_cast<std::uint64_t>(a);
    const int biased = static_cast<int>(bits >> 52);
    const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int shift = 1075 - biased;  // from 3 to 70 here
    // floor(log10(a)) or one below it: the loop below corrects it.
    // (78913 / 2^18 is log10(2) to within 2e-7: the product is floor(e *
    // log10(2)) for every binary exponent e of a double.)
    int d = ((biased - 1023) * 78913) >> 18;
    for (int attempt = 0; attempt < 3; ++attempt) {
      const int p = 14 - d;
      if (p < 0 || p > 19) break;
      const unsigned __int128 n = static_cast<unsigned __int128>(m) * kPowers[p];
      std::uint64_t q = static_cast<std::uint64_t>(n >> shift);
      if (q < kLow) {
        --d;
        continue;
      }
      if (q >= kHigh) {
        ++d;
        continue;
      }
      const unsigned __int128 rest = n & ((static_cast<unsigned __int128>(1) << shift) - 1);
      const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
      if (rest > half || (rest == half && (q & 1) != 0)) ++q;
      if (q == kHigh) {
        q = kLow;
        ++d;
      }
      // Two independent halves of 7 and 8 digits in 32 bits, two digits at
      // a time: the chains of divisions run side by side, three and four
      // long.
      auto high = static_cast<std::uint32_t>(q / 100000000u);
      auto low = static_cast<std::uint32_t>(q % 100000000u);
      for (int k = 0; k < 3; ++k) {
        std::memcpy(digits + 5 - 2 * k, kDigitPairs + 2 * (high % 100), 2);
        high /= 100;
        std::memcpy(digits + 13 - 2 * k, kDigitPairs + 2 * (low % 100), 2);
        low /= 100;
      }
      digits[0] = static_cast<char>('0' + high);
      std::memcpy(digits + 7, kDigitPairs + 2 * low, 2);
      exponent = d;
      return;
    }
  }
  char sci[40];  // d.ddddddddddddddde[+-]xx
  const auto res = std::to_chars(sci, sci + sizeof sci, a, std::chars_format::scientific, 14);
  char* const e = sci + 16;  // the 'e' after 15 digits and the point
  digits[0] = sci[0];
  std::copy(sci + 2, e, digits + 1);
  exponent = 0;
  for (const char* p = e + 2; p < res.ptr; ++p) exponent = exponent * 10 + (*p - '0');
  if (e[1] == '-') exponent = -exponent;
}

}  // namespace

// Rounds to 15 significant digits first, drops trailing zeros, and then
// chooses the notation from the decimal exponent of the rounded value:
// fixed for exponents -4..14 (at least 0.0001, at most 15 integer digits).
void AppendRealText(std::string& out, double v) {
  if (std::isnan(v)) {
    out += std::signbit(v) ? "-NAN" : "NAN";
    return;
  }
  if (std::isinf(v)) {
    out += v < 0 ? "-INF" : "INF";
    return;
  }
  if (v == 0.0) {
    out += '0';
    return;
  }
  char digits[15];
  int exponent = 0;
  FifteenDigits(v, digits, exponent);
  int count = 15;
  while (count > 1 && digits[count - 1] == '0') --count;

  char text[48];
  char* w = text;
  if (v < 0) *w++ = '-';
  if (exponent >= -4 && exponent <= 14) {
    if (exponent >= 0) {
      const int intDigits = exponent + 1;
      if (count <= intDigits) {
        w = std::copy(digits, digits + count, w);
        w = std::fill_n(w, intDigits - count, '0');
      } else {
        w = std::copy(digits, digits + intDigits, w);
        *w++ = '.';
        w = std::copy(digits + intDigits, digits + count, w);
      }
    } else {
      *w++ = '0';
      *w++ = '.';
      w = std::fill_n(w, -exponent - 1, '0');
      w = std::copy(digits, digits + count, w);
    }
  } else {
    *w++ = digits[0];
    if (count > 1) {
      *w++ = '.';
      w = std::copy(digits + 1, digits + count, w);
    }
    *w++ = 'E';
    if (exponent < 0) *w++ = '-';
    w = std::to_chars(w, text + sizeof text, exponent < 0 ? -exponent : exponent).ptr;
  }
  out.append(text, w);
}

std::string RealToText(double v) {
  std::string out;
  AppendRealText(out, v);
  return out;
}

void AppendValueText(std::string& out, const TValue& v) {
  switch (v.Kind) {
    case TValueKind::Real: AppendRealText(out, v.Num); return;
    case TValueKind::Complex:
      out += "Complex(";
      AppendRealText(out, v.Cx.Re);
      out += ", ";
      AppendRealText(out, v.Cx.Im);
      out += ')';
      return;
    default: out += ValueToText(v); return;
  }
}

std::string ValueToText(const TValue& v) {
  switch (v.Kind) {
    case TValueKind::Null: return "Null";
    case TValueKind::Real: return RealToText(v.Num);
    case TValueKind::Currency: return CurrencyToText(v.Cur);
    case TValueKind::DateTime: return DateTimeToText(v.Num);
    case TValueKind::Boolean: return v.Bool ? "True" : "False";
    case TValueKind::Complex: {
      std::string out;
      AppendValueText(out, v);
      return out;
    }
  }
  return texts::kNoConversion;
}

bool RealToCurrency(double x, std::int64_t& scaled) {
  if (!std::isfinite(x)) return false;
  i128 v = 0;
  if (!RoundTimesFactor(x, CurrencyScale, TTieRule::ToEven, v) || !FitsInt64(v)) return false;
  scaled = static_cast<std::int64_t>(v);
  return true;
}

bool RoundScaledHalfEven(i128 value, int extraDigits, std::int64_t& scaled) {
  if (extraDigits <= 0) {
    // Negative counts scale up: value * 10^-extraDigits, checked per step.
    for (int i = 0; i < -extraDigits; ++i) {
      if (!FitsInt64(value)) return false;
      value *= 10;
    }
    if (!FitsInt64(value)) return false;
    scaled = static_cast<std::int64_t>(value);
    return true;
  }
  // 10^38 is the largest power of ten in 128 bits; beyond it every value is
  // less than half a unit and rounds to zero.
  if (extraDigits > 38) {
    scaled = 0;
    return true;
  }
  i128 divisor = 1;
  for (int i = 0; i < extraDigits; ++i) divisor *= 10;
  i128 quotient = value / divisor;  // truncated toward zero
  i128 rest = value % divisor;      // same sign as value
  if (rest < 0) rest = -rest;
  // Compared as rest against divisor - rest so that 2 * rest cannot overflow.
  const i128 other = divisor - rest;
  if (rest > other || (rest == other && quotient % 2 != 0)) quotient += value < 0 ? -1 : 1;
  if (!FitsInt64(quotient)) return false;
  scaled = static_cast<std::int64_t>(quotient);
  return true;
}

// The integer digits and the first four decimals give the amount in 1/10000
// units; the fifth decimal and whether anything non-zero follows it are
// enough to round half to even (passed on as two extra digits: 50 exactly is
// a tie, above 50 rounds up).
bool ParseCurrencyLiteral(std::string_view text, std::int64_t& scaled) {
  if (!IsDecimalNumber(text)) return false;
  const std::size_t point = text.find('.');
  std::string_view intPart = text.substr(0, point);
  const std::string_view fracPart = point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
  while (!intPart.empty() && intPart.front() == '0') intPart.remove_prefix(1);
  // At most 922337203685477 whole units fit; 17 digits are out of range
  // whatever follows (and keep the 128-bit arithmetic far from its limit).
  if (intPart.size() > 16) return false;
  i128 units = 0;
  for (char c : intPart) units = units * 10 + (c - '0');
  for (std::size_t i = 0; i < 4; ++i) units = units * 10 + (i < fracPart.size() ? fracPart[i] - '0' : 0);
  const int fifth = fracPart.size() > 4 ? fracPart[4] - '0' : 0;
  bool sticky = false;
  for (std::size_t i = 5; i < fracPart.size(); ++i) sticky = sticky || fracPart[i] != '0';
  return RoundScaledHalfEven(units * 100 + fifth * 10 + (sticky ? 1 : 0), 2, scaled);
}

// Syntax: [sign] decimal-number [e [sign] digits], the whole text. The
// conversion itself is std::from_chars (correctly rounded); it reports both
// an overflow and an underflow to zero as out of range, which the decimal
// exponent of the leading digit tells apart.
bool ParseRealLiteral(std::string_view text, double& value, bool& overflow) {
  overflow = false;
  std::string_view body = text;
  bool negative = false;
  if (!body.empty() && (body[0] == '+' || body[0] == '-')) {
    negative = body[0] == '-';
    body.remove_prefix(1);
  }
  // Up to 15 digits and no exponent (most literals): the digits as an
  // integer and the power of ten are both exact doubles, so their quotient
  // is the correctly rounded value, the one from_chars gives.
  if (body.size() <= 16) {
    static constexpr double kTens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::uint64_t digits = 0;
    int count = 0, decimals = 0;
    bool point = false, plain = true;
    for (char c : body) {
      if (IsAsciiDigit(c)) {
        digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
        ++count;
        decimals += point ? 1 : 0;
      } else if (c == '.' && !point) {
        point = true;
      } else {
        plain = false;
        break;
      }
    }
    if (plain && count > 0 && count <= 15) {
      const double magnitude = static_cast<double>(digits) / kTens[decimals];
      value = negative ? -magnitude : magnitude;
      return true;
    }
  }
  std::size_t e = body.find_first_of("eE");
  const std::string_view mantissa = body.substr(0, e);
  std::string_view exponentPart;
  if (!IsDecimalNumber(mantissa)) return false;
  if (e != std::string_view::npos) {
    exponentPart = body.substr(e + 1);
    std::string_view digits = exponentPart;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) digits.remove_prefix(1);
    if (!AllDigits(digits)) return false;
  }
  // from_chars takes no "+" anywhere in front of the number: feed it the
  // unsigned body and apply the sign afterwards.
  double magnitude = 0;
  const auto res = std::from_chars(body.data(), body.data() + body.size(), magnitude, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    if (LeadingDecimalExponent(mantissa, exponentPart) > 0) {
      overflow = true;
      magnitude = std::numeric_limits<double>::infinity();
    } else {
      magnitude = 0.0;
    }
  } else if (res.ec != std::errc{} || res.ptr != body.data() + body.size()) {
    return false;
  }
  value = negative ? -magnitude : magnitude;
  return true;
}

bool IsDecimalNumber(std::string_view text) {
  bool digit = false, point = false;
  for (char c : text) {
    if (IsAsciiDigit(c)) digit = true;
    else if (c == '.' && !point) point = true;
    else return false;
  }
  return digit;
}

bool LooksLikeDateTimeLiteral(std::string_view token) {
  if (token.empty()) return false;
  bool separator = false;
  for (char c : token) {
    if (!IsDateTimeChar(c)) return false;
    separator = separator || c == '.' || c == ':';
  }
  return separator && !IsDecimalNumber(token);
}

// Shapes: a date (two dots, no colon), a time (colons, no dot) or a date
// and a time joined by the first colon (both dots before it, the year
// between the second dot and the colon 1..4 characters, and something after
// the colon).
bool ParseDateTimeLiteral(std::string_view token, double& serial, std::string& reason) {
  const auto fail = [&](const char* what) {
    reason.clear();
    reason += '\'';
    reason += token;
    reason += "' is not a valid ";
    reason += what;
    return false;
  };
  for (char c : token)
    if (!IsDateTimeChar(c)) return fail("date or time");
  const std::size_t colon = token.find(':');
  const std::size_t lastDot = token.rfind('.');
  if (lastDot == std::string_view::npos) {
    int seconds = 0;
    if (colon == std::string_view::npos || !ReadTime(token, seconds)) return fail("time");
    serial = static_cast<double>(seconds) / SecondsPerDay;
    return true;
  }
  if (colon == std::string_view::npos) {
    int day = 0;
    if (!ReadDate(token, day)) return fail("date");
    serial = day;
    return true;
  }
  if (lastDot > colon || colon + 1 == token.size()) return fail("date and time");
  int day = 0, seconds = 0;
  if (!ReadDate(token.substr(0, colon), day) || !ReadTime(token.substr(colon + 1), seconds))
    return fail("date and time");
  serial = ComposeSerial(day, seconds);
  return true;
}

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> Days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2 && IsLeapYear(year)) return 29;
  return Days[static_cast<std::size_t>(month - 1)];
}

double EncodeDate(int year, int month, int day) {
  return static_cast<double>(DaysFromCivil(year, month, day) + SerialDayOfUnixEpoch);
}

// Fields are all zero for a NaN, an infinity or a serial too far out for
// any calendar date.
void DecodeDateTime(double serial, int& year, int& month, int& day, int& hour, int& minute, int& second,
                    int& millisecond) {
  TDateTimeParts p;
  if (!SplitSerial(serial, p)) p = TDateTimeParts{};
  year = static_cast<int>(p.Year);
  month = p.Month;
  day = p.Day;
  hour = p.Hour;
  minute = p.Minute;
  second = p.Second;
  millisecond = p.Millisecond;
}

const char* EHelmaxMathError::what() const noexcept { return MathKindCText(Kind); }

std::string MathErrorKindText(int kind) { return MathKindCText(kind); }

}  // namespace helmax
