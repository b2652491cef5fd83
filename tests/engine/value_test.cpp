// Value cells: display texts, number/currency/date-time literal readers,
// currency rounding, the calendar helpers and the math-error texts.
#include <gtest/gtest.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "../common/CaseNames.h"
#include "Value.h"

namespace helmax {
namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr std::int64_t I64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t I64Min = std::numeric_limits<std::int64_t>::min();

std::string Pad(int v, std::size_t width) {
  std::string s = std::to_string(v);
  while (s.size() < width) s.insert(s.begin(), '0');
  return s;
}

// Serial of a day and a number of seconds into it: before day 0 the time
// of day is held in the absolute fraction.
double Compose(double date, int seconds) { return date + (date < 0 ? -seconds : seconds) / 86400.0; }

// Serial of a date and a time of day built from the calendar helpers.
double Serial(int y, int m, int d, int h = 0, int n = 0, int s = 0) {
  return Compose(EncodeDate(y, m, d), h * 3600 + n * 60 + s);
}

// ---- real text -------------------------------------------------------------

struct TRealTextCase {
  double Value;
  const char* Text;
};

void PrintTo(const TRealTextCase& c, std::ostream* os) { *os << c.Text; }

class RealText : public ::testing::TestWithParam<TRealTextCase> {};

TEST_P(RealText, RendersShortestFifteenDigitForm) {
  EXPECT_EQ(RealToText(GetParam().Value), GetParam().Text);
  EXPECT_EQ(ValueToText(TValue::MakeReal(GetParam().Value)), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RealText,
    ::testing::Values(
        // zero of either sign
        TRealTextCase{0.0, "0"}, TRealTextCase{-0.0, "0"},
        // fixed notation
        TRealTextCase{1.0 / 3.0, "0.333333333333333"}, TRealTextCase{2.0 / 3.0, "0.666666666666667"},
        TRealTextCase{-2.0 / 3.0, "-0.666666666666667"}, TRealTextCase{0.0001, "0.0001"},
        TRealTextCase{-0.0001, "-0.0001"}, TRealTextCase{0.00015, "0.00015"}, TRealTextCase{0.00012345, "0.00012345"},
        TRealTextCase{123.45, "123.45"}, TRealTextCase{-123.45, "-123.45"}, TRealTextCase{0.5, "0.5"},
        TRealTextCase{10.0, "10"}, TRealTextCase{100.0, "100"}, TRealTextCase{1234567.5, "1234567.5"},
        TRealTextCase{0.1 + 0.2, "0.3"}, TRealTextCase{1e14, "100000000000000"},
        TRealTextCase{999999999999999.0, "999999999999999"}, TRealTextCase{-999999999999999.0, "-999999999999999"},
        TRealTextCase{123456789012345.6, "123456789012346"}, TRealTextCase{3000000000.0, "3000000000"},
        // rounding to 15 digits decides the notation: these round up to 0.0001 and 1E15
        TRealTextCase{9.999999999999999e-5, "0.0001"}, TRealTextCase{999999999999999.9, "1E15"},
        // scientific notation
        TRealTextCase{0.00005, "5E-5"}, TRealTextCase{0.00009, "9E-5"}, TRealTextCase{-0.00001, "-1E-5"},
        TRealTextCase{1.5e-7, "1.5E-7"}, TRealTextCase{0.000099999, "9.9999E-5"}, TRealTextCase{1e15, "1E15"},
        TRealTextCase{-1e15, "-1E15"}, TRealTextCase{1e20, "1E20"}, TRealTextCase{1.5e16, "1.5E16"},
        TRealTextCase{12345678901234567890.0, "1.23456789012346E19"}, TRealTextCase{1e300, "1E300"},
        TRealTextCase{1e-309, "1E-309"}, TRealTextCase{8.98846567431158e307, "8.98846567431158E307"},
        TRealTextCase{1.7976931348623157e308, "1.79769313486232E308"},
        TRealTextCase{4.9406564584124654e-324, "4.94065645841247E-324"},
        // non-finite values
        TRealTextCase{Inf, "INF"}, TRealTextCase{-Inf, "-INF"},
        TRealTextCase{std::numeric_limits<double>::quiet_NaN(), "NAN"},
        TRealTextCase{-std::numeric_limits<double>::quiet_NaN(), "-NAN"}),
    test::NamedBy([](const TRealTextCase& c) { return c.Text; }));

TEST(RealTextExtra, PowersOfTwoAndEngineNaN) {
  EXPECT_EQ(RealToText(std::ldexp(1.0, 1023)), "8.98846567431158E307");
  EXPECT_EQ(RealToText(EngineNaN()), "-NAN");
  EXPECT_TRUE(std::isnan(EngineNaN()));
  EXPECT_TRUE(std::signbit(EngineNaN()));
}

// Every text reads back (as a literal) to a value whose text is the same,
// and to within the 15 digits shown.
TEST(RealTextExtra, TextReadsBackWithinFifteenDigits) {
  std::mt19937_64 gen(7);
  std::uniform_real_distribution<double> mant(1.0, 10.0);
  std::uniform_int_distribution<int> exp10(-320, 307);
  for (int i = 0; i < 20000; ++i) {
    const double x = mant(gen) * std::pow(10.0, exp10(gen));
    if (!std::isfinite(x) || x == 0) continue;
    const std::string text = RealToText(x);
    ASSERT_EQ(text.find_first_not_of("0123456789.E-"), std::string::npos) << text;
    double back = 0;
    bool overflow = true;
    ASSERT_TRUE(ParseRealLiteral(text, back, overflow)) << text;
    EXPECT_FALSE(overflow);
    // (denormals carry fewer than 15 digits, so they are left out here)
    if (std::fabs(x) < 1e-290) continue;
    EXPECT_LE(std::fabs(back - x), std::fabs(x) * 6e-15) << text;
    EXPECT_EQ(RealToText(back), text);
  }
}

// The 15 digits shown are those of the C library's exact "%.14e" (exact
// ties rounded half to even): the value printf gives shows the same text.
TEST(RealTextExtra, FifteenDigitsAgreeWithPrintf) {
  std::mt19937_64 gen(11);
  std::uniform_real_distribution<double> decade(-6.0, 17.0);
  std::uniform_int_distribution<std::int64_t> integer(0, 899999999999999);
  for (int i = 0; i < 200000; ++i) {
    double x = std::pow(10.0, decade(gen));
    if (i % 3 == 1) x = 1e14 + static_cast<double>(integer(gen)) + 0.5;  // an exact tie
    if (i % 3 == 2) x = std::nextafter(x, 0.0);
    char printed[40];
    std::snprintf(printed, sizeof printed, "%.14e", x);
    EXPECT_EQ(RealToText(x), RealToText(std::strtod(printed, nullptr))) << printed;
  }
}

// From 0.0001 up to 15 integer digits the text is the C library's "%.15g",
// an independent check of the digits themselves.
TEST(RealTextExtra, FixedNotationIsPrintfG15) {
  std::mt19937_64 gen(5);
  std::uniform_real_distribution<double> decade(-4.0, 15.0);
  for (int i = 0; i < 100000; ++i) {
    const double x = (i % 2 != 0 ? -1.0 : 1.0) * std::pow(10.0, decade(gen));
    char printed[40];
    std::snprintf(printed, sizeof printed, "%.15g", x);
    ASSERT_EQ(RealToText(x), printed);
  }
}

// ---- other kinds -------------------------------------------------------------

struct TValueTextCase {
  TValue Value;
  const char* Text;
};

void PrintTo(const TValueTextCase& c, std::ostream* os) { *os << c.Text; }

class ValueText : public ::testing::TestWithParam<TValueTextCase> {};

TEST_P(ValueText, Renders) { EXPECT_EQ(ValueToText(GetParam().Value), GetParam().Text); }

TValue OtherKind() {
  TValue v;
  v.Kind = static_cast<TValueKind>(42);
  return v;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ValueText,
    ::testing::Values(
        TValueTextCase{TValue::MakeNull(), "Null"}, TValueTextCase{TValue::MakeBool(true), "True"},
        TValueTextCase{TValue::MakeBool(false), "False"},
        TValueTextCase{TValue::MakeComplex(1, -2.5), "Complex(1, -2.5)"},
        TValueTextCase{TValue::MakeComplex(-0.0, -0.0), "Complex(0, 0)"},
        TValueTextCase{TValue::MakeComplex(1e20, 1.0 / 3.0), "Complex(1E20, 0.333333333333333)"},
        TValueTextCase{TValue::MakeComplex(EngineNaN(), -Inf), "Complex(-NAN, -INF)"},
        // currency: decimal form without trailing zeros
        TValueTextCase{TValue::MakeCurrency(125000), "12.5"}, TValueTextCase{TValue::MakeCurrency(-1), "-0.0001"},
        TValueTextCase{TValue::MakeCurrency(30000), "3"}, TValueTextCase{TValue::MakeCurrency(0), "0"},
        TValueTextCase{TValue::MakeCurrency(10001), "1.0001"}, TValueTextCase{TValue::MakeCurrency(12340), "1.234"},
        TValueTextCase{TValue::MakeCurrency(-5000), "-0.5"}, TValueTextCase{TValue::MakeCurrency(-30000), "-3"},
        TValueTextCase{TValue::MakeCurrency(10000000000000), "1000000000"},
        TValueTextCase{TValue::MakeCurrency(I64Max), "922337203685477.5807"},
        TValueTextCase{TValue::MakeCurrency(I64Min), "-922337203685477.5808"},
        TValueTextCase{OtherKind(), "No conversion"}),
    test::NamedBy([](const TValueTextCase& c) { return c.Text; }));

// ---- date-time text ----------------------------------------------------------

struct TDateTextCase {
  double Serial;
  const char* Text;
};

void PrintTo(const TDateTextCase& c, std::ostream* os) { *os << c.Text; }

class DateTimeText : public ::testing::TestWithParam<TDateTextCase> {};

TEST_P(DateTimeText, Renders) { EXPECT_EQ(ValueToText(TValue::MakeDateTime(GetParam().Serial)), GetParam().Text); }

constexpr double Ms = 1.0 / 86400000.0;

INSTANTIATE_TEST_SUITE_P(
    Values, DateTimeText,
    ::testing::Values(TDateTextCase{Serial(2008, 12, 31, 22, 30), "12.31.2008:10:30:00PM"},
                      TDateTextCase{Serial(2008, 12, 31, 9, 5), "12.31.2008:09:05:00AM"},
                      TDateTextCase{Serial(2008, 12, 31, 0, 30), "12.31.2008:12:30:00AM"},
                      TDateTextCase{Serial(2008, 12, 31), "12.31.2008"},
                      TDateTextCase{Serial(2008, 12, 31, 12, 0), "12.31.2008:12:00:00PM"},
                      TDateTextCase{Serial(2008, 12, 31, 12, 59, 59), "12.31.2008:12:59:59PM"},
                      TDateTextCase{Serial(2008, 12, 31, 11, 59, 59), "12.31.2008:11:59:59AM"},
                      TDateTextCase{Serial(2008, 12, 31, 23, 59, 59), "12.31.2008:11:59:59PM"},
                      TDateTextCase{Serial(2008, 1, 5, 13, 1, 2), "01.05.2008:01:01:02PM"},
                      TDateTextCase{Serial(2008, 1, 1) + 1.0 / 24.0, "01.01.2008:01:00:00AM"},
                      TDateTextCase{0.0, "12.30.1899"}, TDateTextCase{0.5, "12.30.1899:12:00:00PM"},
                      TDateTextCase{0.25, "12.30.1899:06:00:00AM"}, TDateTextCase{Serial(1, 1, 1), "01.01.0001"},
                      TDateTextCase{Serial(99, 7, 4, 8), "07.04.0099:08:00:00AM"},
                      TDateTextCase{Serial(9999, 12, 31, 23, 59, 59), "12.31.9999:11:59:59PM"},
                      TDateTextCase{Serial(2000, 2, 29), "02.29.2000"},
                      // before day 0 the integer part is the day and the absolute fraction the time
                      TDateTextCase{-1.0, "12.29.1899"}, TDateTextCase{-1.25, "12.29.1899:06:00:00AM"},
                      TDateTextCase{-1.75, "12.29.1899:06:00:00PM"}, TDateTextCase{-36522.5, "01.01.1800:12:00:00PM"},
                      // rounding to whole milliseconds comes before the split; milliseconds are not shown
                      TDateTextCase{Serial(2008, 12, 31, 10, 30) - 0.4 * Ms, "12.31.2008:10:30:00AM"},
                      TDateTextCase{Serial(2008, 12, 31, 10, 30) - 0.6 * Ms, "12.31.2008:10:29:59AM"},
                      TDateTextCase{Serial(2009, 1, 1) - 0.4 * Ms, "01.01.2009"},
                      TDateTextCase{Serial(2009, 1, 1) - 1.5 * Ms, "12.31.2008:11:59:59PM"},
                      // only exactly midnight shows the date alone
                      TDateTextCase{Serial(2009, 1, 1) + 400 * Ms, "01.01.2009:12:00:00AM"}),
    test::NamedBy([](const TDateTextCase& c) { return c.Text; }));

TEST(DateTimeTextExtra, NotADateFallsBackToTheNumber) {
  EXPECT_EQ(ValueToText(TValue::MakeDateTime(EngineNaN())), "-NAN");
  EXPECT_EQ(ValueToText(TValue::MakeDateTime(Inf)), "INF");
  EXPECT_EQ(ValueToText(TValue::MakeDateTime(1e300)), "1E300");
}

// ---- decoding serials --------------------------------------------------------

struct TDecodeCase {
  double Serial;
  int Y, M, D, H, N, S, Ms;
};

void PrintTo(const TDecodeCase& c, std::ostream* os) { *os << RealToText(c.Serial); }

class Decode : public ::testing::TestWithParam<TDecodeCase> {};

TEST_P(Decode, SplitsIntoFields) {
  const TDecodeCase& c = GetParam();
  int y, m, d, h, n, s, ms;
  DecodeDateTime(c.Serial, y, m, d, h, n, s, ms);
  EXPECT_EQ((std::vector<int>{y, m, d, h, n, s, ms}), (std::vector<int>{c.Y, c.M, c.D, c.H, c.N, c.S, c.Ms}));
}

INSTANTIATE_TEST_SUITE_P(
    Values, Decode,
    ::testing::Values(
        TDecodeCase{0.0, 1899, 12, 30, 0, 0, 0, 0}, TDecodeCase{2.0, 1900, 1, 1, 0, 0, 0, 0},
        TDecodeCase{39813.9375, 2008, 12, 31, 22, 30, 0, 0}, TDecodeCase{39448.0 + 1.0 / 24.0, 2008, 1, 1, 1, 0, 0, 0},
        TDecodeCase{0.5 + 1234 * Ms, 1899, 12, 30, 12, 0, 1, 234},
        // 3/2048 day is exactly 126562.5 ms: the half goes away from zero
        TDecodeCase{3.0 / 2048, 1899, 12, 30, 0, 2, 6, 563}, TDecodeCase{-3.0 / 2048, 1899, 12, 30, 0, 2, 6, 563},
        TDecodeCase{39813.0 + 3.0 / 2048, 2008, 12, 31, 0, 2, 6, 563}, TDecodeCase{-1.25, 1899, 12, 29, 6, 0, 0, 0},
        TDecodeCase{-0.25, 1899, 12, 30, 6, 0, 0, 0}, TDecodeCase{-693593.0, 1, 1, 1, 0, 0, 0, 0},
        TDecodeCase{2958465.5, 9999, 12, 31, 12, 0, 0, 0}, TDecodeCase{1.0 - 0.4 * Ms, 1899, 12, 31, 0, 0, 0, 0},
        TDecodeCase{EngineNaN(), 0, 0, 0, 0, 0, 0, 0}, TDecodeCase{-Inf, 0, 0, 0, 0, 0, 0, 0}),
    test::NamedBy([](const TDecodeCase& c) { return RealToText(c.Serial); }));

// ---- calendar ------------------------------------------------------------------

TEST(Calendar, LeapYearsAndMonthLengths) {
  struct {
    int Year;
    bool Leap;
  } const leaps[] = {{1900, false}, {2000, true}, {2004, true}, {2100, false}, {1600, true},
                     {2023, false}, {4, true},    {1, false},   {9996, true},  {1700, false}};
  for (const auto& c : leaps) EXPECT_EQ(IsLeapYear(c.Year), c.Leap) << c.Year;

  const int days2009[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int m = 1; m <= 12; ++m) {
    EXPECT_EQ(DaysInMonth(2009, m), days2009[m - 1]) << m;
    EXPECT_EQ(DaysInMonth(2008, m), days2009[m - 1] + (m == 2 ? 1 : 0)) << m;
  }
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
}

TEST(Calendar, KnownSerials) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1899, 12, 31), 1.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
  EXPECT_EQ(EncodeDate(2008, 12, 31), 39813.0);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
}

// ---- round trips -----------------------------------------------------------------

namespace chr = std::chrono;

// Renders every day in a span at several times of day, checks the date part
// against std::chrono and the text's shape, and reads it back.
void SweepDays(chr::sys_days first, chr::sys_days last, int step) {
  const chr::sys_days day0 = chr::year{1899} / chr::December / 30;
  const int times[] = {
      0, 30 * 60, 9 * 3600 + 5 * 60 + 7, 12 * 3600, 12 * 3600 + 59 * 60 + 59, 13 * 3600 + 1, 23 * 3600 + 59 * 60 + 59};
  for (chr::sys_days sd = first; sd <= last; sd += chr::days{step}) {
    const chr::year_month_day ymd{sd};
    const int y = static_cast<int>(ymd.year());
    const int m = static_cast<int>(static_cast<unsigned>(ymd.month()));
    const int d = static_cast<int>(static_cast<unsigned>(ymd.day()));
    const double date = EncodeDate(y, m, d);
    if (date != static_cast<double>((sd - day0).count())) FAIL() << "serial of " << y << "-" << m << "-" << d;
    for (int t : times) {
      const int h = t / 3600, n = t / 60 % 60, s = t % 60;
      const double serial = Compose(date, t);
      std::string expected = Pad(m, 2) + "." + Pad(d, 2) + "." + Pad(y, 4);
      if (t != 0)
        expected +=
            ":" + Pad(h % 12 == 0 ? 12 : h % 12, 2) + ":" + Pad(n, 2) + ":" + Pad(s, 2) + (h < 12 ? "AM" : "PM");
      const std::string text = ValueToText(TValue::MakeDateTime(serial));
      if (text != expected) FAIL() << "rendered " << text << ", expected " << expected;

      double back = 0;
      std::string reason;
      if (!ParseDateTimeLiteral(text, back, reason)) FAIL() << text << " " << reason;
      int by, bm, bd, bh, bn, bs, bms;
      DecodeDateTime(back, by, bm, bd, bh, bn, bs, bms);
      if (by != y || bm != m || bd != d || bh != h || bn != n || bs != s || bms != 0 || std::fabs(back - serial) > 1e-9)
        FAIL() << text << " read back as " << by << "-" << bm << "-" << bd << " " << bh << ":" << bn << ":" << bs << "."
               << bms;
    }
  }
}

TEST(DateTimeRoundTrip, EveryDay1900To2100) {
  SweepDays(chr::year{1900} / chr::January / 1, chr::year{2100} / chr::December / 31, 1);
}

TEST(DateTimeRoundTrip, WholeCalendarRange) {
  SweepDays(chr::year{1} / chr::January / 1, chr::year{1899} / chr::December / 31, 29);
  SweepDays(chr::year{1899} / chr::December / 1, chr::year{1900} / chr::January / 31, 1);
  SweepDays(chr::year{2101} / chr::January / 1, chr::year{9999} / chr::December / 31, 59);
}

// Arbitrary serials (with milliseconds) render to a text that reads back to
// the same second.
TEST(DateTimeRoundTrip, RandomSerialsKeepTheSecond) {
  std::mt19937_64 gen(11);
  std::uniform_real_distribution<double> dist(-693593.0, 2958466.0);
  for (int i = 0; i < 20000; ++i) {
    const double serial = dist(gen);
    int y, m, d, h, n, s, ms;
    DecodeDateTime(serial, y, m, d, h, n, s, ms);
    const std::string text = ValueToText(TValue::MakeDateTime(serial));
    double back = 0;
    std::string reason;
    ASSERT_TRUE(ParseDateTimeLiteral(text, back, reason)) << text;
    int by, bm, bd, bh, bn, bs, bms;
    DecodeDateTime(back, by, bm, bd, bh, bn, bs, bms);
    ASSERT_EQ((std::vector<int>{by, bm, bd, bh, bn, bs, bms}), (std::vector<int>{y, m, d, h, n, s, 0})) << text;
  }
}

// ---- date-time literals ------------------------------------------------------------

struct TDateLiteralCase {
  const char* Token;
  int Y, M, D, H, N, S;
};

void PrintTo(const TDateLiteralCase& c, std::ostream* os) { *os << c.Token; }

class DateLiteralAccepted : public ::testing::TestWithParam<TDateLiteralCase> {};

TEST_P(DateLiteralAccepted, ReadsFields) {
  const TDateLiteralCase& c = GetParam();
  EXPECT_TRUE(LooksLikeDateTimeLiteral(c.Token));
  double serial = -99;
  std::string reason;
  ASSERT_TRUE(ParseDateTimeLiteral(c.Token, serial, reason)) << reason;
  EXPECT_NEAR(serial, Serial(c.Y, c.M, c.D, c.H, c.N, c.S), 1e-9);
  int y, m, d, h, n, s, ms;
  DecodeDateTime(serial, y, m, d, h, n, s, ms);
  EXPECT_EQ((std::vector<int>{y, m, d, h, n, s, ms}), (std::vector<int>{c.Y, c.M, c.D, c.H, c.N, c.S, 0}));
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, DateLiteralAccepted,
    ::testing::Values(
        TDateLiteralCase{"12.31.2008", 2008, 12, 31, 0, 0, 0},
        TDateLiteralCase{"12.31.2008:10:30", 2008, 12, 31, 10, 30, 0},
        TDateLiteralCase{"12.31.2008:10:30:00PM", 2008, 12, 31, 22, 30, 0},
        TDateLiteralCase{"12.31.2008:10:30:15pm", 2008, 12, 31, 22, 30, 15},
        TDateLiteralCase{"12.31.2008:12:30:00AM", 2008, 12, 31, 0, 30, 0},
        TDateLiteralCase{"12.31.2008:12:00pm", 2008, 12, 31, 12, 0, 0},
        TDateLiteralCase{"12.31.2008:12:00Am", 2008, 12, 31, 0, 0, 0},
        TDateLiteralCase{"12.31.2008:1:02:03pM", 2008, 12, 31, 13, 2, 3},
        TDateLiteralCase{"12.31.2008:23:59:59", 2008, 12, 31, 23, 59, 59},
        TDateLiteralCase{"12.31.2008:0:0", 2008, 12, 31, 0, 0, 0}, TDateLiteralCase{"1.2.3", 2003, 1, 2, 0, 0, 0},
        TDateLiteralCase{"01.02.03", 2003, 1, 2, 0, 0, 0}, TDateLiteralCase{"1.1.0", 2000, 1, 1, 0, 0, 0},
        TDateLiteralCase{"1.1.00", 2000, 1, 1, 0, 0, 0}, TDateLiteralCase{"1.1.49", 2049, 1, 1, 0, 0, 0},
        TDateLiteralCase{"1.1.50", 1950, 1, 1, 0, 0, 0}, TDateLiteralCase{"1.1.99", 1999, 1, 1, 0, 0, 0},
        TDateLiteralCase{"1.1.100", 100, 1, 1, 0, 0, 0}, TDateLiteralCase{"1.1.0099", 99, 1, 1, 0, 0, 0},
        TDateLiteralCase{"01.01.0001", 1, 1, 1, 0, 0, 0},
        TDateLiteralCase{"12.31.9999:11:59:59PM", 9999, 12, 31, 23, 59, 59},
        TDateLiteralCase{"2.29.2008", 2008, 2, 29, 0, 0, 0}, TDateLiteralCase{"2.29.2000", 2000, 2, 29, 0, 0, 0},
        TDateLiteralCase{"2.28.1900", 1900, 2, 28, 0, 0, 0},
        TDateLiteralCase{"12.29.1899:06:00", 1899, 12, 29, 6, 0, 0},
        TDateLiteralCase{"7.4.1776:6:30:05pm", 1776, 7, 4, 18, 30, 5},
        // a time alone falls on day 0
        TDateLiteralCase{"10:30", 1899, 12, 30, 10, 30, 0}, TDateLiteralCase{"0:0", 1899, 12, 30, 0, 0, 0},
        TDateLiteralCase{"23:59:59", 1899, 12, 30, 23, 59, 59}, TDateLiteralCase{"1:2:3pm", 1899, 12, 30, 13, 2, 3},
        TDateLiteralCase{"12:00AM", 1899, 12, 30, 0, 0, 0}, TDateLiteralCase{"12:00PM", 1899, 12, 30, 12, 0, 0},
        TDateLiteralCase{"11:59:59Pm", 1899, 12, 30, 23, 59, 59},
        TDateLiteralCase{"10:30:15pm", 1899, 12, 30, 22, 30, 15}),
    test::NamedBy([](const TDateLiteralCase& c) { return c.Token; }));

TEST(DateLiteralValues, TimeAloneIsAFractionOfADay) {
  const struct {
    const char* Token;
    double Serial;
  } cases[] = {{"12:00", 0.5}, {"6:00am", 0.25}, {"6:00pm", 0.75}, {"0:00", 0.0}, {"18:00:00", 0.75}};
  for (const auto& c : cases) {
    double serial = -1;
    std::string reason;
    ASSERT_TRUE(ParseDateTimeLiteral(c.Token, serial, reason)) << c.Token;
    EXPECT_EQ(serial, c.Serial) << c.Token;
  }
  double serial = 0;
  std::string reason;
  ASSERT_TRUE(ParseDateTimeLiteral("12.29.1899:06:00", serial, reason));
  EXPECT_EQ(serial, -1.25);  // day in the integer part, time in the absolute fraction
  ASSERT_TRUE(ParseDateTimeLiteral("12.31.2008", serial, reason));
  EXPECT_EQ(serial, 39813.0);
}

class DateLiteralRejected : public ::testing::TestWithParam<const char*> {};

TEST_P(DateLiteralRejected, FailsWithReason) {
  double serial = 12345;
  std::string reason;
  EXPECT_FALSE(ParseDateTimeLiteral(GetParam(), serial, reason));
  EXPECT_FALSE(reason.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, DateLiteralRejected,
    ::testing::Values(
        // shape
        "12.31:10", "12.31.20081:10", "12.31.2008:", "12.31.2008:10", "1.2.3.4", "12.2008.", "..", ".", "", "12..2008",
        ".31.2008", "12.31.", "12.31.2008:10.30", "10:30.5", "12.31", "12.31am", "10:30:15:20", ":30", "10:", "10::30",
        "12.31.2008:10:30am:", "am", "10pm", "12.31.2008:10pm", "1.2.3.:10:30",
        // characters
        "12.31.2008:10:30 PM", "12.31.2008:10:30xm", "a1:30", "10:3o", "12.31.2008am", "10:30a", "10:30p", "10:30amm",
        "10:30ma", "10:30pmam", "10:30am5", "1am0:30",
        // impossible dates
        "13.45.2008", "02.30.2009", "2.29.2009", "2.29.1900", "0.1.2008", "1.0.2008", "4.31.2008", "13.1.2008",
        // year and field lengths
        "1.1.000", "1.1.0000", "1.1.10000", "123.1.2008", "1.123.2008", "001.1.2008",
        // time ranges
        "12.31.2008:24:00", "24:00", "10:60", "10:30:60", "0:30am", "00:30pm", "13:00pm", "100:30", "10:300", "10:030"),
    test::NamedBy([](const char* token) { return token; }));

struct TShapeCase {
  const char* Token;
  bool Looks;
};

void PrintTo(const TShapeCase& c, std::ostream* os) { *os << '"' << c.Token << '"'; }

class DateLiteralShape : public ::testing::TestWithParam<TShapeCase> {};

TEST_P(DateLiteralShape, Recognised) { EXPECT_EQ(LooksLikeDateTimeLiteral(GetParam().Token), GetParam().Looks); }

INSTANTIATE_TEST_SUITE_P(
    Tokens, DateLiteralShape,
    ::testing::Values(TShapeCase{"12.31.2008", true}, TShapeCase{"10:30", true}, TShapeCase{"12.31:10", true},
                      TShapeCase{"1.2.3.4", true}, TShapeCase{"10:30PM", true}, TShapeCase{"10:30am", true},
                      TShapeCase{"12.31.2008:10:30:00PM", true}, TShapeCase{"..", true}, TShapeCase{":", true},
                      TShapeCase{"12.31.20081:10", true}, TShapeCase{"12", false}, TShapeCase{"12.2008", false},
                      TShapeCase{".5", false}, TShapeCase{"5.", false}, TShapeCase{"am", false},
                      TShapeCase{"pm", false}, TShapeCase{"map", false}, TShapeCase{"x:1", false},
                      TShapeCase{"12.31.2008x", false}, TShapeCase{"", false}, TShapeCase{"1e5", false},
                      TShapeCase{"1.5e3", false}, TShapeCase{"10:30 pm", false}, TShapeCase{"12/31/2008", false}),
    test::NamedBy([](const TShapeCase& c) { return c.Token; }));

// ---- decimal numbers and real literals ----------------------------------------------

TEST(DecimalNumber, Shapes) {
  const struct {
    const char* Text;
    bool Decimal;
  } cases[] = {{"12", true},     {"0.5", true}, {".5", true},   {"5.", true},  {"007", true},
               {"1.2.3", false}, {".", false},  {"", false},    {"-1", false}, {"+1", false},
               {"1e5", false},   {"1 ", false}, {"1,5", false}, {"a", false},  {"..5", false}};
  for (const auto& c : cases) EXPECT_EQ(IsDecimalNumber(c.Text), c.Decimal) << c.Text;
}

struct TRealLiteralCase {
  const char* Text;
  double Value;
  bool Overflow;
};

void PrintTo(const TRealLiteralCase& c, std::ostream* os) { *os << '"' << c.Text << '"'; }

class RealLiteralAccepted : public ::testing::TestWithParam<TRealLiteralCase> {};

TEST_P(RealLiteralAccepted, Reads) {
  const TRealLiteralCase& c = GetParam();
  double v = -12345;
  bool overflow = !c.Overflow;
  ASSERT_TRUE(ParseRealLiteral(c.Text, v, overflow));
  EXPECT_EQ(overflow, c.Overflow);
  if (!c.Overflow) {
    EXPECT_EQ(v, c.Value);
    EXPECT_EQ(std::signbit(v), std::signbit(c.Value));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RealLiteralAccepted,
    ::testing::Values(
        TRealLiteralCase{"12", 12, false}, TRealLiteralCase{"0.5", 0.5, false}, TRealLiteralCase{".5", 0.5, false},
        TRealLiteralCase{"5.", 5, false}, TRealLiteralCase{"2e-5", 2e-5, false}, TRealLiteralCase{"0.1e+3", 100, false},
        TRealLiteralCase{"2E3", 2000, false}, TRealLiteralCase{"2e3", 2000, false},
        TRealLiteralCase{"00012.50", 12.5, false}, TRealLiteralCase{"0.1", 0.1, false},
        TRealLiteralCase{"123456789012345678901234567890", 1.2345678901234568e29, false},
        TRealLiteralCase{"-2.5", -2.5, false}, TRealLiteralCase{"1E0000000000000000000000000005", 1e5, false},
        TRealLiteralCase{"1.7976931348623157e308", 1.7976931348623157e308, false},
        // underflow: the nearest double, no error
        TRealLiteralCase{"1e-400", 0.0, false}, TRealLiteralCase{"2e-324", 0.0, false},
        TRealLiteralCase{"4.9e-324", 4.9406564584124654e-324, false}, TRealLiteralCase{"1e-310", 1e-310, false},
        TRealLiteralCase{"1e-309", 1e-309, false}, TRealLiteralCase{"0.0000001e-99999999999999999999", 0.0, false},
        TRealLiteralCase{"0e999999", 0.0, false},
        // overflow
        TRealLiteralCase{"1e999", 0, true}, TRealLiteralCase{"1.8e308", 0, true},
        TRealLiteralCase{"1e99999999999999999999", 0, true}, TRealLiteralCase{"0.001e312", 0, true},
        TRealLiteralCase{"-1e999", 0, true}),
    test::NamedBy([](const TRealLiteralCase& c) { return c.Text; }));

TEST(RealLiteral, OverflowGivesInfinity) {
  double v = 0;
  bool overflow = false;
  ASSERT_TRUE(ParseRealLiteral("1e999", v, overflow));
  EXPECT_TRUE(overflow);
  EXPECT_EQ(v, Inf);
  // the flag is reset by a later good read
  ASSERT_TRUE(ParseRealLiteral("1", v, overflow));
  EXPECT_FALSE(overflow);
}

TEST(RealLiteral, Rejected) {
  const char* bad[] = {"",     "e5",  "1e",    "1e+",  "1e-", "1.2.3", "1e5.5", "0x10", "1 ", " 1",
                       "inf",  "nan", "1e5e5", "++1",  ".",   "1,5",   "1e 5",  "1f",   "E",  "1e+-5",
                       "1ee5", "-",   ".e5",   "1.5.", "1d5", "INF",   "1e5 ",  "12a"};
  for (const char* t : bad) {
    double v = 0;
    bool overflow = false;
    EXPECT_FALSE(ParseRealLiteral(t, v, overflow)) << t;
  }
}

// Short literals take an exact shortcut; every reading must still be the
// correctly rounded one that strtod gives, sign and point anywhere.
TEST(RealLiteral, ShortLiteralsReadAsStrtodReadsThem) {
  std::mt19937_64 gen(5);
  for (int i = 0; i < 300000; ++i) {
    std::string text = (i % 5 == 0) ? "-" : "";
    const int digits = 1 + static_cast<int>(gen() % 17);
    const int point = static_cast<int>(gen() % (digits + 2));  // digits + 1: no point
    for (int d = 0; d < digits; ++d) {
      if (d == point) text += '.';
      text += static_cast<char>('0' + gen() % 10);
    }
    if (point == digits) text += '.';
    double v = 0;
    bool overflow = true;
    ASSERT_TRUE(ParseRealLiteral(text, v, overflow)) << text;
    const double expected = std::strtod(text.c_str(), nullptr);
    EXPECT_EQ(v, expected) << text;
    EXPECT_EQ(std::signbit(v), std::signbit(expected)) << text;
  }
}

// ---- currency ---------------------------------------------------------------------

struct TCurrencyLiteralCase {
  const char* Text;
  bool Ok;
  std::int64_t Scaled;
};

void PrintTo(const TCurrencyLiteralCase& c, std::ostream* os) { *os << '"' << c.Text << '"'; }

class CurrencyLiteral : public ::testing::TestWithParam<TCurrencyLiteralCase> {};

TEST_P(CurrencyLiteral, ReadsExactlyAndRoundsHalfEven) {
  const TCurrencyLiteralCase& c = GetParam();
  std::int64_t scaled = -777;
  ASSERT_EQ(ParseCurrencyLiteral(c.Text, scaled), c.Ok);
  if (c.Ok) { EXPECT_EQ(scaled, c.Scaled); }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CurrencyLiteral,
    ::testing::Values(TCurrencyLiteralCase{"12.5", true, 125000}, TCurrencyLiteralCase{"12", true, 120000},
                      TCurrencyLiteralCase{".5", true, 5000}, TCurrencyLiteralCase{"5.", true, 50000},
                      TCurrencyLiteralCase{"0", true, 0}, TCurrencyLiteralCase{"1.0001", true, 10001},
                      TCurrencyLiteralCase{"0000000000000000000000001.5", true, 15000},
                      // half to even at four decimals
                      TCurrencyLiteralCase{"0.00005", true, 0}, TCurrencyLiteralCase{"0.00015", true, 2},
                      TCurrencyLiteralCase{"0.00025", true, 2}, TCurrencyLiteralCase{"0.00035", true, 4},
                      TCurrencyLiteralCase{"0.000250000000000000000000000000001", true, 3},
                      TCurrencyLiteralCase{"0.000249999999999999999999999999999", true, 2},
                      TCurrencyLiteralCase{"0.00004999", true, 0}, TCurrencyLiteralCase{"0.000050001", true, 1},
                      TCurrencyLiteralCase{"0.00006", true, 1}, TCurrencyLiteralCase{"2.50005", true, 25000},
                      TCurrencyLiteralCase{"2.50015", true, 25002}, TCurrencyLiteralCase{"2.5", true, 25000},
                      TCurrencyLiteralCase{"1.99995", true, 20000}, TCurrencyLiteralCase{"1.999949", true, 19999},
                      TCurrencyLiteralCase{"0.50005000", true, 5000},
                      // range
                      TCurrencyLiteralCase{"922337203685477.5807", true, I64Max},
                      TCurrencyLiteralCase{"922337203685477.58074999", true, I64Max},
                      TCurrencyLiteralCase{"922337203685477.58075", false, 0},
                      TCurrencyLiteralCase{"922337203685477.5808", false, 0},
                      TCurrencyLiteralCase{"922337203685478", false, 0},
                      TCurrencyLiteralCase{"99999999999999999999", false, 0},
                      TCurrencyLiteralCase{"100000000000000000000000000000000000000000000000", false, 0},
                      // not decimal numbers
                      TCurrencyLiteralCase{"", false, 0}, TCurrencyLiteralCase{".", false, 0},
                      TCurrencyLiteralCase{"1e5", false, 0}, TCurrencyLiteralCase{"-1", false, 0},
                      TCurrencyLiteralCase{"1.2.3", false, 0}, TCurrencyLiteralCase{"abc", false, 0}),
    test::NamedBy([](const TCurrencyLiteralCase& c) { return c.Text; }));

struct TRealToCurrencyCase {
  double Value;
  bool Ok;
  std::int64_t Scaled;
};

void PrintTo(const TRealToCurrencyCase& c, std::ostream* os) { *os << RealToText(c.Value); }

class RealToCurrencyCases : public ::testing::TestWithParam<TRealToCurrencyCase> {};

TEST_P(RealToCurrencyCases, RoundsTheExactProduct) {
  const TRealToCurrencyCase& c = GetParam();
  std::int64_t scaled = -777;
  ASSERT_EQ(RealToCurrency(c.Value, scaled), c.Ok);
  if (c.Ok) { EXPECT_EQ(scaled, c.Scaled); }
}

INSTANTIATE_TEST_SUITE_P(
    Values, RealToCurrencyCases,
    ::testing::Values(TRealToCurrencyCase{2.5, true, 25000}, TRealToCurrencyCase{-2.5, true, -25000},
                      TRealToCurrencyCase{0.0, true, 0}, TRealToCurrencyCase{-0.0, true, 0},
                      TRealToCurrencyCase{12.5, true, 125000}, TRealToCurrencyCase{0.0001, true, 1},
                      TRealToCurrencyCase{1.0001, true, 10001},
                      // exact ties (multiples of 1/32) go to the even neighbour
                      TRealToCurrencyCase{1.0 / 32, true, 312}, TRealToCurrencyCase{3.0 / 32, true, 938},
                      TRealToCurrencyCase{5.0 / 32, true, 1562}, TRealToCurrencyCase{-1.0 / 32, true, -312},
                      TRealToCurrencyCase{-3.0 / 32, true, -938},
                      // just off a tie: rounding x * 10000 in double would lose the difference
                      TRealToCurrencyCase{6365.99305, true, 63659931}, TRealToCurrencyCase{3300.64095, true, 33006409},
                      TRealToCurrencyCase{32.86285, true, 328629}, TRealToCurrencyCase{-32.86285, true, -328629},
                      TRealToCurrencyCase{6839.06655, true, 68390665},
                      // tiny values
                      TRealToCurrencyCase{1e-300, true, 0}, TRealToCurrencyCase{-1e-300, true, 0},
                      TRealToCurrencyCase{4.9406564584124654e-324, true, 0}, TRealToCurrencyCase{0.00005, true, 1},
                      // range
                      TRealToCurrencyCase{922337203685477.5, true, 9223372036854775000},
                      TRealToCurrencyCase{-922337203685477.5, true, -9223372036854775000},
                      TRealToCurrencyCase{922337203685477.625, false, 0},
                      TRealToCurrencyCase{-922337203685477.625, false, 0},
                      TRealToCurrencyCase{922337203685478.0, false, 0}, TRealToCurrencyCase{1e300, false, 0},
                      TRealToCurrencyCase{-1e300, false, 0}, TRealToCurrencyCase{9.3e14, false, 0},
                      TRealToCurrencyCase{Inf, false, 0}, TRealToCurrencyCase{-Inf, false, 0},
                      TRealToCurrencyCase{EngineNaN(), false, 0},
                      TRealToCurrencyCase{std::numeric_limits<double>::quiet_NaN(), false, 0}),
    test::NamedBy([](const TRealToCurrencyCase& c) { return RealToText(c.Value); }));

// The exact decimal expansion of a double, read as a currency literal, must
// round to the same amount as the double itself.
TEST(RealToCurrencyProperty, AgreesWithTheExactDecimalExpansion) {
  std::mt19937_64 gen(3);
  std::uniform_real_distribution<double> mant(0.0, 1.0);
  std::uniform_int_distribution<int> exp10(-9, 14);
  std::uniform_int_distribution<long long> ties(0, 99999999999LL);
  for (int i = 0; i < 50000; ++i) {
    double x = 0;
    switch (i % 3) {
      case 0: x = mant(gen) * std::pow(10.0, exp10(gen)); break;
      // near-ties: (n + 0.5) / 10000 and its neighbours
      case 1: x = (static_cast<double>(ties(gen)) + 0.5) / 10000.0; break;
      case 2:
        x = std::nextafter((static_cast<double>(ties(gen) % 1000000) + 0.5) / 10000.0, (i & 4) ? 0.0 : 1e9);
        break;
    }
    char buf[1200];
    const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, 1100);
    ASSERT_EQ(res.ec, std::errc{});
    std::string exact(buf, res.ptr);
    std::int64_t fromDigits = 0, fromReal = 0;
    ASSERT_TRUE(ParseCurrencyLiteral(exact, fromDigits)) << exact.substr(0, 40);
    ASSERT_TRUE(RealToCurrency(x, fromReal));
    ASSERT_EQ(fromReal, fromDigits) << exact.substr(0, 60);
    ASSERT_TRUE(RealToCurrency(-x, fromReal));
    ASSERT_EQ(fromReal, -fromDigits);
  }
}

struct TRoundCase {
  __int128 Value;
  int Extra;
  bool Ok;
  std::int64_t Scaled;
};

std::string Int128Text(__int128 v) {
  if (v == 0) return "0";
  std::string digits;
  const bool negative = v < 0;
  while (v != 0) {
    const int d = static_cast<int>(v % 10);
    digits.insert(digits.begin(), static_cast<char>('0' + (d < 0 ? -d : d)));
    v /= 10;
  }
  return negative ? "-" + digits : digits;
}

void PrintTo(const TRoundCase& c, std::ostream* os) { *os << Int128Text(c.Value) << " / 10^" << c.Extra; }

class RoundHalfEven : public ::testing::TestWithParam<TRoundCase> {};

TEST_P(RoundHalfEven, Rounds) {
  const TRoundCase& c = GetParam();
  std::int64_t scaled = -777;
  ASSERT_EQ(RoundScaledHalfEven(c.Value, c.Extra, scaled), c.Ok);
  if (c.Ok) { EXPECT_EQ(scaled, c.Scaled); }
}

constexpr __int128 P10(int n) {
  __int128 r = 1;
  while (n-- > 0) r *= 10;
  return r;
}

INSTANTIATE_TEST_SUITE_P(
    Values, RoundHalfEven,
    ::testing::Values(TRoundCase{25, 1, true, 2}, TRoundCase{35, 1, true, 4}, TRoundCase{-25, 1, true, -2},
                      TRoundCase{-35, 1, true, -4}, TRoundCase{26, 1, true, 3}, TRoundCase{-26, 1, true, -3},
                      TRoundCase{24, 1, true, 2}, TRoundCase{-24, 1, true, -2}, TRoundCase{15, 1, true, 2},
                      TRoundCase{5, 1, true, 0}, TRoundCase{-5, 1, true, 0}, TRoundCase{1250, 2, true, 12},
                      TRoundCase{1350, 2, true, 14}, TRoundCase{1351, 2, true, 14}, TRoundCase{1349, 2, true, 13},
                      TRoundCase{12345, 0, true, 12345}, TRoundCase{12, -2, true, 1200}, TRoundCase{0, -100, true, 0},
                      TRoundCase{static_cast<__int128>(I64Max) * 10 + 4, 1, true, I64Max},
                      TRoundCase{static_cast<__int128>(I64Max) * 10 + 5, 1, false, 0},
                      TRoundCase{static_cast<__int128>(I64Min) * 10 - 5, 1, true, I64Min},
                      TRoundCase{static_cast<__int128>(I64Min) * 10 - 6, 1, false, 0},
                      TRoundCase{static_cast<__int128>(I64Max) + 1, 0, false, 0}, TRoundCase{I64Max, 0, true, I64Max},
                      TRoundCase{I64Max / 10 + 1, -1, false, 0}, TRoundCase{I64Max / 10, -1, true, I64Max / 10 * 10},
                      TRoundCase{5 * P10(37), 38, true, 0}, TRoundCase{5 * P10(37) + 1, 38, true, 1},
                      TRoundCase{15 * P10(37), 38, true, 2}, TRoundCase{-15 * P10(37), 38, true, -2},
                      TRoundCase{15 * P10(37), 39, true, 0}, TRoundCase{-15 * P10(37), 60, true, 0},
                      TRoundCase{static_cast<__int128>(I64Max) * 10000, 4, true, I64Max},
                      TRoundCase{static_cast<__int128>(I64Max) * P10(19), 19, true, I64Max},
                      TRoundCase{(static_cast<__int128>(I64Max) + 1) * P10(19), 19, false, 0}),
    test::NamedBy([](const TRoundCase& c) { return Int128Text(c.Value) + "_e_minus_" + std::to_string(c.Extra); }));

// ---- math error texts ----------------------------------------------------------------

TEST(MathErrors, KindTexts) {
  const struct {
    int Kind;
    const char* Text;
  } cases[] = {{0, "NON MATHEMATICAL EXCEPTION"},
               {1, "EOverflow->Floating-point operation overflowed"},
               {2, "EUnderflow->Floating-point operation underflowed"},
               {3, "EInvalidArgument->Parameter out of range"},
               {4, "EZeroDivide->Attempt to divide by zero"},
               {5, "EInvalidOp->Processor encountered an undefined instruction"},
               {-1, "INDEX MUST BE BETWEEN  0 AND 5"},
               {6, "INDEX MUST BE BETWEEN  0 AND 5"},
               {1000, "INDEX MUST BE BETWEEN  0 AND 5"}};
  for (const auto& c : cases) {
    EXPECT_EQ(MathErrorKindText(c.Kind), c.Text) << c.Kind;
    const char* what = nullptr;
    {
      const EHelmaxMathError e(c.Kind);
      what = e.what();
    }
    // the text outlives the exception object
    EXPECT_STREQ(what, c.Text) << c.Kind;
  }
}

TEST(MathErrors, CaughtAsStdException) {
  try {
    throw EHelmaxMathError(mkZeroDivide);
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "EZeroDivide->Attempt to divide by zero");
    const auto* math = dynamic_cast<const EHelmaxMathError*>(&e);
    ASSERT_NE(math, nullptr);
    EXPECT_EQ(math->Kind, mkZeroDivide);
  }
}

}  // namespace
}  // namespace helmax
