// The date-time pack: registration, the clock functions, calendar fields
// checked day by day against std::chrono, elapsed units, spans, argument
// checks and their host lines, folded against run-time evaluation.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "../common/CaseNames.h"
#include "DateTimeTestUtil.h"

namespace helmax {
namespace {

using namespace dttest;
using namespace std::chrono;

// ---- registration ---------------------------------------------------------------------

struct TExpectedEntry {
  const char* Name;
  std::int32_t ArgCount;
};

// The pack's functions in registration order.
const std::vector<TExpectedEntry>& ExpectedEntries() {
  static const std::vector<TExpectedEntry> entries = [] {
    std::vector<TExpectedEntry> v;
    auto add = [&v](std::int32_t n, std::initializer_list<const char*> names) {
      for (const char* name : names) v.push_back({name, n});
    };
    add(-1, {"Now", "Yesterday", "Tomorrow", "Today", "CurrentYear", "Date"});
    add(1, {"DateOf", "DayOfTheMonth", "DayOfTheWeek", "DayOfTheYear"});
    add(2, {"DaysBetween"});
    add(1, {"DaysInMonth", "DaysInYear"});
    add(2, {"CompareDate", "CompareDateTime", "CompareTime", "DaySpan"});
    add(1, {"HourOfTheDay", "HourOfTheMonth", "HourOfTheWeek", "HourOfTheYear"});
    add(2, {"HoursBetween", "HourSpan"});
    add(1, {"IsLeapYear", "IsInLeapYear", "IsPM"});
    add(2, {"IsSameDay"});
    add(1, {"IsToday", "MilliSecondOfTheDay", "MilliSecondOfTheHour", "MilliSecondOfTheMinute", "MilliSecondOfTheMonth",
            "MilliSecondOfTheSecond", "MilliSecondOfTheWeek", "MilliSecondOfTheYear"});
    add(2, {"MilliSecondsBetween", "MilliSecondSpan"});
    add(1, {"MinuteOfTheDay", "MinuteOfTheHour", "MinuteOfTheMonth", "MinuteOfTheWeek", "MinuteOfTheYear"});
    add(2, {"MinutesBetween", "MinuteSpan"});
    add(1, {"MonthOf"});
    add(2, {"MonthsBetween", "MonthSpan"});
    add(1, {"NthDayOfWeek"});
    add(2, {"ReplaceDate", "ReplaceTime", "SameDate", "SameTime", "SameDateTime"});
    add(1, {"SecondOfTheDay", "SecondOfTheHour", "SecondOfTheMinute", "SecondOfTheMonth", "SecondOfTheWeek",
            "SecondOfTheYear"});
    add(2, {"SecondsBetween", "SecondSpan"});
    add(1, {"WeekOfTheMonth", "WeekOfTheYear"});
    add(2, {"WeeksBetween", "WeekSpan"});
    add(1, {"WeeksInAYear", "DaysInAYear"});
    add(2, {"DaysInAMonth"});
    add(1, {"YearOf"});
    add(2, {"YearsBetween", "YearSpan"});
    add(-1, {"Time"});
    add(1, {"TimeOf"});
    add(2, {"IncDay", "IncHour", "IncMilliSecond", "IncMinute", "IncMonth", "IncSecond", "IncWeek", "IncYear"});
    add(4, {"DoubleDecliningBalance"});
    add(5, {"FutureValue"});
    add(6, {"InterestPayment"});
    add(5, {"InterestRate", "NumberOfPeriods", "Payment"});
    add(6, {"PeriodPayment"});
    add(5, {"PresentValue"});
    add(3, {"SLNDepreciation"});
    add(4, {"SYDDepreciation"});
    add(MaxInt, {"InternalRateOfReturn", "NetPresentValue", "Norm", "PopnStdDev", "PopnVariance", "StdDev",
                 "SumOfSquares", "TotalVariance", "Variance", "Skew", "Kurtosis", "Moment3", "Moment4"});
    add(1, {"BesselJ0", "BesselJ1", "BesselY0", "BesselY1", "BesselI0", "BesselI1", "BesselK0", "BesselK1"});
    return v;
  }();
  return entries;
}

void ExpectPackEntries(const THelmaxComplexEval& e) {
  const auto& expected = ExpectedEntries();
  ASSERT_EQ(expected.size(), 112u);
  ASSERT_GE(e.UserFunctions().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const TUserFuncRec& rec = e.UserFunctions()[i];
    EXPECT_EQ(rec.Name, expected[i].Name) << "entry " << i;
    EXPECT_EQ(rec.ArgCount, expected[i].ArgCount) << rec.Name;
    EXPECT_EQ(rec.Kind, ufMethod) << rec.Name;
  }
}

TEST(Registration, DefaultConstructorRegistersThePackInOrder) {
  THelmaxDateTimeEval e;
  EXPECT_FALSE(e.Error) << e.ErrorMessage;
  EXPECT_EQ(e.ExternalFunctionCount(), 112);
  ExpectPackEntries(e);
}

void HostFailure(TValue* const*, int, TValue&) { throw std::runtime_error("host says no"); }
void HostSeven(TValue* const*, int, TValue& r) { r = TValue::MakeReal(7); }

TEST(Registration, HostEntriesFollowThePack) {
  TUserFuncArray host(2);
  host[0].Name = "HostSeven";
  host[0].Procedure = HostSeven;
  host[0].ArgCount = 1;
  host[1].Name = " HostFails ";
  host[1].Procedure = HostFailure;
  host[1].ArgCount = 1;
  THelmaxDateTimeEval e(host);
  EXPECT_FALSE(e.Error) << e.ErrorMessage;
  ASSERT_EQ(e.ExternalFunctionCount(), 114);
  ExpectPackEntries(e);
  EXPECT_EQ(e.ExternalFunctionName(112), "HostSeven");
  EXPECT_EQ(e.ExternalFunctionName(113), "HostFails");
  EXPECT_EQ(RunText(e, "HostSeven(1) + YearOf(01.02.2003)"), "2010");
  // The host's second entry has function number 98 + 113.
  e.VerifySyntaxSemantics("HostFails(1)");
  EXPECT_EQ(e.ErrorCode, 98 + 113);
  EXPECT_EQ(ParseErrorLine(e), "Invalid value for HOSTFAILS :  host says no : NONMATH");
  // A pack function's number is 98 + its 0-based position (DaysInAYear is entry 66).
  e.VerifySyntaxSemantics("DaysInAYear(-1)");
  EXPECT_EQ(e.ErrorCode, 98 + 66);
}

TEST(Registration, HostNameClashingWithThePackIsRefused) {
  TUserFuncArray host(1);
  host[0].Name = "yearof";
  host[0].Procedure = HostSeven;
  host[0].ArgCount = 1;
  THelmaxDateTimeEval e(host);
  EXPECT_TRUE(e.Error);
  EXPECT_EQ(e.ErrorCode, -10);
  EXPECT_EQ(e.ExternalFunctionCount(), 0);
}

TEST(Registration, NamesIgnoreCase) {
  EXPECT_EQ(RunText("YEAROF(03.04.2005), yearof(03.04.2005), YearOf(03.04.2005)"), "2005; 2005; 2005");
  EXPECT_EQ(RunText("NOW, now"), "03.14.2024:03:30:45PM; 03.14.2024:03:30:45PM");
}

// ---- the clock -------------------------------------------------------------------------

TEST(Clock, ParameterlessFunctionsReadTheInjectedClock) {
  EXPECT_EQ(RunText("Now, Today, Date, Yesterday, Tomorrow, CurrentYear"),
            "03.14.2024:03:30:45PM; 03.14.2024; 03.14.2024; 03.13.2024; 03.15.2024; 2024");
  EXPECT_EQ(RunText("Time"), "12.30.1899:03:30:45PM");
  EXPECT_EQ(RunText("MilliSecondOfTheSecond(Now), IsToday(03.14.2024:23:59), IsToday(03.15.2024)"), "250; True; False");
}

TEST(Clock, VolatileFunctionsAreCalledAtEveryEvaluation) {
  double now = 40000.5;
  THelmaxDateTimeEval e;
  e.SetClock([&now] { return now; });
  e.VerifySyntaxSemantics("Now, Today, Time, Yesterday, Tomorrow, Date, CurrentYear");
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  EXPECT_FALSE(e.Instructions().empty());
  TValue* const* r = e.DoVectorOfMathExpressions();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r[0]->Num, 40000.5);
  now = 50000.25;
  r = e.DoVectorOfMathExpressions();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r[0]->Kind, TValueKind::DateTime);
  EXPECT_EQ(r[0]->Num, 50000.25);
  EXPECT_EQ(r[1]->Num, 50000.0);
  EXPECT_EQ(r[2]->Num, 0.25);
  EXPECT_EQ(r[3]->Num, 49999.0);
  EXPECT_EQ(r[4]->Num, 50001.0);
  EXPECT_EQ(r[5]->Num, 50000.0);
  EXPECT_EQ(r[6]->Kind, TValueKind::Real);
  EXPECT_EQ(r[6]->Num, 2036.0);  // serial 50000 is 21 November 2036
}

TEST(Clock, EachEngineHasItsOwnClock) {
  THelmaxDateTimeEval a, b;
  FixClock(a, 1000.0);
  FixClock(b, 2000.0);
  EXPECT_EQ(RunText(a, "Now"), "09.26.1902");
  EXPECT_EQ(RunText(b, "Now"), "06.22.1905");
}

TEST(Clock, SystemClockIsTheDefault) {
  const double before = SystemClockNow();
  THelmaxDateTimeEval e;
  const TValue now = Value(e, "Now");
  const double after = SystemClockNow();
  EXPECT_EQ(now.Kind, TValueKind::DateTime);
  // Local time within the seconds of this test (a second of slack for a
  // change of the time zone offset is not needed: both read the same zone).
  EXPECT_GE(now.Num, before - 1e-8);
  EXPECT_LE(now.Num, after + 1e-8);
}

// ---- worked values -------------------------------------------------------------------------

struct TTextCase {
  const char* Text;
  const char* Expected;
};

class WorkedValues : public ::testing::TestWithParam<TTextCase> {};

TEST_P(WorkedValues, Match) { EXPECT_EQ(RunText(GetParam().Text), GetParam().Expected) << GetParam().Text; }

INSTANTIATE_TEST_SUITE_P(
    Calendar, WorkedValues,
    ::testing::Values(
        TTextCase{"IncMonth(01.31.2008, 1)", "02.29.2008"}, TTextCase{"IncYear(02.29.2008, 1)", "02.28.2009"},
        TTextCase{"IncMonth(01.31.2009, 1)", "02.28.2009"}, TTextCase{"IncMonth(03.31.2008, -1)", "02.29.2008"},
        TTextCase{"IncMonth(12.15.2008:10:30, 1)", "01.15.2009:10:30:00AM"},
        TTextCase{"IncMonth(01.15.2008, -13)", "12.15.2006"}, TTextCase{"IncYear(02.29.2008, 4)", "02.29.2012"},
        TTextCase{"IncYear(02.29.2008, -108)", "02.28.1900"}, TTextCase{"IncDay(01.01.2008, 2)", "01.03.2008"},
        TTextCase{"IncDay(03.01.2008, -1)", "02.29.2008"}, TTextCase{"IncWeek(12.29.2008, 1)", "01.05.2009"},
        TTextCase{"IncHour(12.31.2008:23:00, 2)", "01.01.2009:01:00:00AM"},
        TTextCase{"IncMinute(12.31.2008:23:59, 1)", "01.01.2009"},
        TTextCase{"IncSecond(01.01.2009, -1)", "12.31.2008:11:59:59PM"},
        TTextCase{"SecondOfTheDay(IncMilliSecond(01.01.2009, 86399999))", "86399"},
        TTextCase{"IncMilliSecond(01.01.2008, 500)", "01.01.2008:12:00:00AM"},
        TTextCase{"IncDay(01.01.2008, real2curr(2))", "01.03.2008"},
        TTextCase{"DaysBetween(01.01.2008, 12.31.2007:12:00), DaySpan(01.01.2008, 12.31.2007:12:00)", "0; 0.5"},
        TTextCase{"DaysBetween(12.31.2007:12:00, 01.01.2008), DaySpan(12.31.2007:12:00, 01.01.2008)", "0; 0.5"},
        TTextCase{"DayOfTheWeek(12.29.2008), WeekOfTheYear(12.29.2008)", "1; 1"},
        TTextCase{"WeekOfTheYear(01.01.2010), WeekOfTheYear(01.03.2010), WeekOfTheYear(01.04.2010)", "53; 53; 1"},
        TTextCase{"WeekOfTheYear(01.01.2012), WeekOfTheYear(12.31.2012)", "52; 1"},
        TTextCase{"WeekOfTheMonth(03.31.2008), NthDayOfWeek(03.31.2008)", "1; 5"},
        TTextCase{"WeekOfTheMonth(03.01.2008), WeekOfTheMonth(03.03.2008), WeekOfTheMonth(03.06.2008)", "4; 1; 1"},
        TTextCase{"DaysInAMonth(2008, 2), DaysInAMonth(1900, 2), DaysInAMonth(2000, 2), DaysInAMonth(2009, 4)",
                  "29; 28; 29; 30"},
        TTextCase{"DaysInAYear(1900), DaysInAYear(2000), DaysInAYear(0), DaysInAYear(65535)", "365; 366; 366; 365"},
        TTextCase{"WeeksInAYear(2009), WeeksInAYear(2015), WeeksInAYear(2020), WeeksInAYear(2021)", "53; 53; 53; 52"},
        TTextCase{"IsLeapYear(2000), IsLeapYear(1900), IsLeapYear(2024), IsLeapYear(2023.00000000000001)",
                  "True; False; True; False"},
        TTextCase{"YearsBetween(01.01.2007, 01.01.2008), YearsBetween(01.01.2007, 01.02.2008)", "0; 1"},
        TTextCase{"MonthsBetween(01.01.2008, 03.01.2008), MonthSpan(01.01.2008, 01.31.2008:10:30)", "1; 1"},
        TTextCase{"WeeksBetween(01.01.2008, 01.14.2008), WeekSpan(01.01.2008, 01.04.2008:12:00)", "1; 0.5"},
        TTextCase{"HoursBetween(01.01.2008, 01.01.2008:05:59:59), HourSpan(01.01.2008, 01.02.2008:01:30)", "5; 25.5"},
        TTextCase{"MinutesBetween(01.01.2008:00:00:59, 01.01.2008), MinuteSpan(01.01.2008, 01.01.2008:00:00:30)",
                  "0; 0.5"},
        TTextCase{"SecondsBetween(12.31.1899, 01.01.1900), MilliSecondsBetween(01.01.2008:00:00:01, 01.01.2008)",
                  "86400; 1000"},
        TTextCase{"YearSpan(01.01.2001, 01.01.2002:06:00), MilliSecondSpan(01.01.2008, 01.02.2008)", "1; 86400000"},
        TTextCase{"CompareDate(01.01.2008:23:00, 01.01.2008:01:00), CompareDate(01.01.2008, 01.02.2008)", "0; -1"},
        TTextCase{"CompareDateTime(01.02.2008, 01.01.2008:23:00), CompareDateTime(01.02.2008, 01.02.2008)", "1; 0"},
        TTextCase{"CompareTime(01.01.2008:01:00, 05.05.2005:00:59), CompareTime(01.01.2008:01:00, 02.02.2002:01:00)",
                  "1; 0"},
        TTextCase{"SameDate(01.01.2008:01:00, 01.01.2008:23:00), SameTime(01.01.2008:01:00, 02.02.2002:01:00)",
                  "True; True"},
        TTextCase{"SameDateTime(01.01.2008:01:00, 01.01.2008:01:01), IsSameDay(01.01.2008:22:00, 01.01.2008)",
                  "False; True"},
        TTextCase{"IsPM(01.01.2008:11:59:59), IsPM(01.01.2008:12:00), IsInLeapYear(12.31.2008)", "False; True; True"},
        TTextCase{"ReplaceDate(01.01.2008:10:30, 02.03.2004), ReplaceTime(01.01.2008:10:30, 02.03.2004:11:45)",
                  "02.03.2004:10:30:00AM; 01.01.2008:11:45:00AM"},
        TTextCase{"DateOf(12.31.2008:22:30), TimeOf(12.31.2008:22:30)", "12.31.2008; 12.30.1899:10:30:00PM"},
        TTextCase{"YearOf(12.31.2008:22:30), MonthOf(12.31.2008), DayOfTheMonth(12.31.2008), DayOfTheYear(12.31.2008)",
                  "2008; 12; 31; 366"},
        TTextCase{"DaysInMonth(02.10.2100), DaysInYear(06.06.2100)", "28; 365"}),
    test::NamedBy([](const TTextCase& c) { return c.Text; }));

// Elapsed units from the start of a larger unit, at Wednesday 31 December
// 2008, 22:30:15 (and a millisecond part from host cells below).
INSTANTIATE_TEST_SUITE_P(
    Elapsed, WorkedValues,
    ::testing::Values(
        TTextCase{"HourOfTheDay(12.31.2008:22:30:15), MinuteOfTheHour(12.31.2008:22:30:15)", "22; 30"},
        TTextCase{"SecondOfTheMinute(12.31.2008:22:30:15), MilliSecondOfTheSecond(12.31.2008:22:30:15)", "15; 0"},
        TTextCase{"HourOfTheMonth(12.31.2008:22:30:15), HourOfTheWeek(12.31.2008:22:30:15)", "742; 70"},
        TTextCase{"HourOfTheYear(12.31.2008:22:30:15), MinuteOfTheDay(12.31.2008:22:30:15)", "8782; 1350"},
        TTextCase{"MinuteOfTheMonth(12.31.2008:22:30:15), MinuteOfTheWeek(12.31.2008:22:30:15)", "44550; 4230"},
        TTextCase{"MinuteOfTheYear(12.31.2008:22:30:15), SecondOfTheDay(12.31.2008:22:30:15)", "526950; 81015"},
        TTextCase{"SecondOfTheHour(12.31.2008:22:30:15), SecondOfTheMonth(12.31.2008:22:30:15)", "1815; 2673015"},
        TTextCase{"SecondOfTheWeek(12.31.2008:22:30:15), SecondOfTheYear(12.31.2008:22:30:15)", "253815; 31617015"},
        TTextCase{"MilliSecondOfTheDay(12.31.2008:22:30:15), MilliSecondOfTheHour(12.31.2008:22:30:15)",
                  "81015000; 1815000"},
        TTextCase{"MilliSecondOfTheMinute(12.31.2008:22:30:15), MilliSecondOfTheMonth(12.31.2008:22:30:15)",
                  "15000; 2673015000"},
        TTextCase{"MilliSecondOfTheWeek(12.31.2008:22:30:15), MilliSecondOfTheYear(12.31.2008:22:30:15)",
                  "253815000; 31617015000"},
        TTextCase{"HourOfTheDay(01.01.2008:01:00), HourOfTheWeek(01.06.2008), HourOfTheWeek(01.07.2008)", "1; 144; 0"}),
    test::NamedBy([](const TTextCase& c) { return c.Text; }));

// Argument checks and the host lines of their failures (while folding).
INSTANTIATE_TEST_SUITE_P(
    Checks, WorkedValues,
    ::testing::Values(
        TTextCase{"YearOf(2008)", "Invalid value for YEAROF :  incorrect datetime type for the parameter 1 : NONMATH"},
        TTextCase{"DaysBetween(01.01.2008, true)",
                  "Invalid value for DAYSBETWEEN :  incorrect datetime type for the parameter 2 : NONMATH"},
        TTextCase{"IncDay(01.01.2008, 1.5)",
                  "Invalid value for INCDAY :  incorrect  integer for the parameter  2 : NONMATH"},
        TTextCase{"IncDay(2008, 1)",
                  "Invalid value for INCDAY :  incorrect datetime type for the parameter 1 : NONMATH"},
        TTextCase{"IncMonth(01.01.2008, true)",
                  "Invalid value for INCMONTH :  incorrect  integer for the parameter  2 : NONMATH"},
        TTextCase{"IncYear(01.01.2008, 3e9)",
                  "Invalid value for INCYEAR :  incorrect  integer for the parameter  2 : NONMATH"},
        TTextCase{"IncHour(01.01.2008, nan)",
                  "Invalid value for INCHOUR :  incorrect  integer for the parameter  2 : NONMATH"},
        TTextCase{"DaysInAMonth(2008, 2.5)",
                  "Invalid value for DAYSINAMONTH :  incorrect word type for the parameter  2 : NONMATH"},
        TTextCase{"DaysInAMonth(65536, 2)",
                  "Invalid value for DAYSINAMONTH :  incorrect word type for the parameter  1 : NONMATH"},
        TTextCase{"DaysInAMonth(2008, 12.31.2008)",
                  "Invalid value for DAYSINAMONTH :  incorrect real type for the parameter 2 : NONMATH"},
        TTextCase{"DaysInAMonth(2008, 0)",
                  "Invalid value for DAYSINAMONTH :  incorrect month for the parameter  2 (must be 1 to 12) : NONMATH"},
        TTextCase{"DaysInAMonth(2008, 13)",
                  "Invalid value for DAYSINAMONTH :  incorrect month for the parameter  2 (must be 1 to 12) : NONMATH"},
        TTextCase{"DaysInAYear(-1)",
                  "Invalid value for DAYSINAYEAR :  incorrect word type for the parameter  : NONMATH"},
        TTextCase{"WeeksInAYear(2008.5)",
                  "Invalid value for WEEKSINAYEAR :  incorrect word type for the parameter  : NONMATH"},
        TTextCase{"IsLeapYear(null)",
                  "Invalid value for ISLEAPYEAR :  incorrect real type for the parameter 1 : NONMATH"},
        TTextCase{"IncDay(12.31.9999, 1)", "Invalid value for INCDAY :  incday( 12.31.9999 , 1)  : InvalidArgument"},
        TTextCase{"IncYear(01.01.0001, -1)",
                  "Invalid value for INCYEAR :  incyear( 01.01.0001 , -1)  : InvalidArgument"}),
    test::NamedBy([](const TTextCase& c) { return c.Text; }));

// ---- every day from 1900 to 2100 against std::chrono --------------------------------------

double SerialOf(sys_days d) { return static_cast<double>((d - sys_days{1899y / December / 30}).count()); }

int DaysOfMonth(year y, month m) { return static_cast<int>(unsigned{year_month_day_last(y, month_day_last(m)).day()}); }

// Whole months later with the day clamped to the target month.
year_month_day AddMonthsClamped(year_month_day d, months n) {
  year_month_day r = d + n;
  if (!r.ok()) r = year_month_day_last(r.year(), month_day_last(r.month()));
  return r;
}

// ISO week number by the ordinal-date rule (not the Thursday rule the pack
// uses): week = (ordinal - weekday + 10) div 7, corrected at both ends.
int IsoWeeksInYear(int y) {
  auto p = [](int yy) { return (yy + yy / 4 - yy / 100 + yy / 400) % 7; };
  return (p(y) == 4 || p(y - 1) == 3) ? 53 : 52;
}
int IsoWeek(year_month_day d) {
  const int y = static_cast<int>(d.year());
  const int ordinal = static_cast<int>((sys_days{d} - sys_days{d.year() / January / 1}).count()) + 1;
  const int wd = static_cast<int>(weekday{sys_days{d}}.iso_encoding());
  const int w = (ordinal - wd + 10) / 7;
  if (w < 1) return IsoWeeksInYear(y - 1);
  if (w > IsoWeeksInYear(y)) return 1;
  return w;
}

TEST(CalendarAgainstChrono, EveryDayFrom1900To2100) {
  const char* const text =
      "DayOfTheWeek(d), DayOfTheYear(d), WeekOfTheYear(d), DaysInMonth(d), DaysInYear(d), YearOf(d), MonthOf(d), "
      "DayOfTheMonth(d), IncDay(d, 1), IncMonth(d, 1), IncMonth(d, -1), IncYear(d, 1), IncYear(d, -1), "
      "WeekOfTheMonth(d), NthDayOfWeek(d), WeeksInAYear(YearOf(d)), IsInLeapYear(d), DaysInAMonth(YearOf(d), "
      "MonthOf(d)), IncWeek(d, -1), HourOfTheDay(d), MinuteOfTheYear(d)";
  TValue d;
  THelmaxDateTimeEval e;
  e.VerifySyntaxSemantics(text, TUserVarArray{{"d", &d, 0}}, false);
  ASSERT_FALSE(e.Error) << e.ErrorMessage;

  const sys_days first = sys_days{1900y / January / 1}, last = sys_days{2100y / December / 31};
  int checked = 0;
  for (sys_days day = first; day <= last; day += days{1}) {
    const year_month_day ymd{day};
    const int y = static_cast<int>(ymd.year());
    const auto m = static_cast<int>(unsigned{ymd.month()});
    const auto dom = static_cast<int>(unsigned{ymd.day()});
    const double serial = SerialOf(day);
    // A time of day on every third day: fields, increments and week numbers must not depend on it.
    const int hour = (checked % 3 == 0) ? 17 : 0;
    d = TValue::MakeDateTime(serial + hour / 24.0);
    TValue* const* r = e.DoVectorOfMathExpressions();
    ASSERT_NE(r, nullptr) << e.ErrorMessage;
    const int ordinal = static_cast<int>((day - sys_days{ymd.year() / January / 1}).count()) + 1;
    const auto wd = static_cast<int>(weekday{day}.iso_encoding());
    const sys_days thursday = day + days{4 - wd};
    const year_month_day thu{thursday};
    const double time = hour / 24.0;
    auto dt = [&](int i, year_month_day expected) {
      EXPECT_EQ(r[i]->Kind, TValueKind::DateTime);
      // Before 30 December 1899 the time of day is the absolute fraction.
      const double day = SerialOf(sys_days{expected});
      EXPECT_NEAR(r[i]->Num, day < 0 ? day - time : day + time, 1e-9) << "expression " << i << " on " << serial;
    };
    const std::string at = " on " + std::to_string(y) + "-" + std::to_string(m) + "-" + std::to_string(dom);
    EXPECT_EQ(r[0]->Num, wd) << at;
    EXPECT_EQ(r[1]->Num, ordinal) << at;
    EXPECT_EQ(r[2]->Num, IsoWeek(ymd)) << at;
    EXPECT_EQ(r[3]->Num, DaysOfMonth(ymd.year(), ymd.month())) << at;
    EXPECT_EQ(r[4]->Num, ymd.year().is_leap() ? 366 : 365) << at;
    EXPECT_EQ(r[5]->Num, y) << at;
    EXPECT_EQ(r[6]->Num, m) << at;
    EXPECT_EQ(r[7]->Num, dom) << at;
    dt(8, year_month_day{day + days{1}});
    dt(9, AddMonthsClamped(ymd, months{1}));
    dt(10, AddMonthsClamped(ymd, months{-1}));
    dt(11, AddMonthsClamped(ymd, months{12}));
    dt(12, AddMonthsClamped(ymd, months{-12}));
    EXPECT_EQ(r[13]->Num, (static_cast<int>(unsigned{thu.day()}) - 1) / 7 + 1) << at;
    EXPECT_EQ(r[14]->Num, (dom - 1) / 7 + 1) << at;
    EXPECT_EQ(r[15]->Num, IsoWeeksInYear(y)) << at;
    EXPECT_EQ(r[16]->Bool, ymd.year().is_leap()) << at;
    EXPECT_EQ(r[17]->Num, DaysOfMonth(ymd.year(), ymd.month())) << at;
    dt(18, year_month_day{day - days{7}});
    EXPECT_EQ(r[19]->Num, hour) << at;
    EXPECT_EQ(r[20]->Num, (ordinal - 1) * 1440 + hour * 60) << at;
    if (::testing::Test::HasFailure()) break;  // one day's report is enough
    ++checked;
  }
  EXPECT_EQ(checked, (last - first).count() + 1);
}

// ---- millisecond rounding and the valid range ------------------------------------------------

TEST(Milliseconds, ArgumentsAreRoundedToWholeMillisecondsFirst) {
  const double ms = 1.0 / 86400000.0;
  struct TCase {
    double Serial;
    const char* Text;
    double Expected;
  };
  const double oneAm = 39448.0 + 1.0 / 24.0;  // 01.01.2008 01:00
  const TCase cases[] = {
      {oneAm - 0.4 * ms, "HourOfTheDay(d)", 1},  // just below 01:00 rounds up to it
      {oneAm - 0.6 * ms, "HourOfTheDay(d)", 0},  // 00:59:59.999
      {oneAm - 0.6 * ms, "MilliSecondOfTheSecond(d)", 999},
      {39448.0 - 0.4 * ms, "DayOfTheMonth(d)", 1},  // rounds to midnight of 1 January
      {39448.0 + 1234.6 * ms, "MilliSecondOfTheDay(d)", 1235},
      {39448.0 + 1234.4 * ms, "MilliSecondOfTheDay(d)", 1234},
      {-1.25, "HourOfTheDay(d)", 6},  // 29 December 1899, 06:00
      {-1.25, "DayOfTheMonth(d)", 29},
      {-1.25, "MinuteOfTheWeek(d)", 4 * 1440 + 360},  // Friday 06:00
  };
  for (const TCase& c : cases) {
    TValue d = TValue::MakeDateTime(c.Serial);
    THelmaxDateTimeEval e;
    e.VerifySyntaxSemantics(c.Text, TUserVarArray{{"d", &d, 0}}, false);
    TValue r;
    e.DoMathExpression(r);
    ASSERT_FALSE(e.Error) << c.Text << ": " << e.ErrorMessage;
    EXPECT_EQ(r.Num, c.Expected) << c.Text << " at " << c.Serial;
  }
}

TEST(Milliseconds, SpansAreMillisecondDifferences) {
  const double ms = 1.0 / 86400000.0;
  TValue a = TValue::MakeDateTime(39448.0 + 0.3 * ms), b = TValue::MakeDateTime(39449.0 - 0.3 * ms);
  THelmaxDateTimeEval e;
  e.VerifySyntaxSemantics(
      "DaysBetween(a, b), MilliSecondSpan(a, b), SameTime(a, 01.01.2008), "
      "SameDateTime(b, 01.02.2008), CompareDateTime(b, 01.02.2008)",
      TUserVarArray{{"a", &a, 0}, {"b", &b, 0}}, false);
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  TValue* const* r = e.DoVectorOfMathExpressions();
  ASSERT_NE(r, nullptr) << e.ErrorMessage;
  EXPECT_EQ(r[0]->Num, 1.0);
  EXPECT_EQ(r[1]->Num, 86400000.0);
  EXPECT_TRUE(r[2]->Bool);
  EXPECT_TRUE(r[3]->Bool);
  EXPECT_EQ(r[4]->Num, 0.0);
}

TEST(Range, DateTimesOutsideYears1To9999AreInvalidArguments) {
  const double firstDay = -693593.0;                              // 01.01.0001
  const double lastMoment = 2958465.0 + 86399999.0 / 86400000.0;  // 12.31.9999 23:59:59.999
  struct TCase {
    double Serial;
    bool Valid;
  };
  const TCase cases[] = {{firstDay, true},      {firstDay - 1.0, false}, {lastMoment, true}, {2958466.0, false},
                         {std::nan(""), false}, {1e300, false},          {-1e18, false}};
  for (const TCase& c : cases) {
    TValue d = TValue::MakeDateTime(c.Serial);
    THelmaxDateTimeEval e;
    e.VerifySyntaxSemantics("YearOf(d)", TUserVarArray{{"d", &d, 0}}, false);
    TValue r;
    e.DoMathExpression(r);
    EXPECT_EQ(e.Error, !c.Valid) << c.Serial;
    if (e.Error) {
      EXPECT_EQ(e.MathErrorKind, mkInvalidArgument);
      EXPECT_EQ(ExecuteErrorLine(e).substr(0, 27), "Invalid value for YEAROF : ");
    }
  }
  EXPECT_EQ(RunText("YearOf(01.01.0001), YearOf(IncMilliSecond(12.31.9999:23:59:59, 999))"), "1; 9999");
}

// ---- run-time failures and folded evaluation ---------------------------------------------------

TEST(HostLines, RunTimeFailuresSayExecutionError) {
  TValue a = TValue::MakeReal(2008), b = TValue::MakeReal(2.5);
  THelmaxDateTimeEval e;
  e.VerifySyntaxSemantics("DaysInAMonth(a, b)", TUserVarArray{{"a", &a, 0}, {"b", &b, 0}}, false);
  ASSERT_FALSE(e.Error);
  TValue r;
  e.DoMathExpression(r);
  ASSERT_TRUE(e.Error);
  EXPECT_EQ(e.ErrorCode, -23);
  EXPECT_EQ(ExecuteErrorLine(e), "Execution error :  incorrect word type for the parameter  2 : daysinamonth");
  b = TValue::MakeReal(13);
  e.DoMathExpression(r);
  EXPECT_EQ(ExecuteErrorLine(e),
            "Execution error :  incorrect month for the parameter  2 (must be 1 to 12) : daysinamonth");
  b = TValue::MakeReal(12);
  e.DoMathExpression(r);
  EXPECT_FALSE(e.Error);
  EXPECT_EQ(r.Num, 31.0);
}

TEST(FoldedAndRunTime, CalendarFunctionsAgree) {
  const std::vector<std::string> dates = {
      "12.31.2008:22:30", "02.29.2008", "01.01.0001", "12.31.9999", "2008", "true", "null", "real2curr(2)"};
  const std::vector<std::string> counts = {"1", "-1", "1.5", "100000", "real2curr(3)", "true", "3e9"};
  for (const TExpectedEntry& f : ExpectedEntries()) {
    const std::string name = f.Name;
    if (name.rfind("Inc", 0) == 0) {
      for (const std::string& a : dates)
        for (const std::string& n : counts) ExpectSameOutcome(name + "($0, $1)", {a, n});
    } else if (name == "DaysInAMonth") {
      for (const char* y : {"2008", "-1", "2008.5", "70000", "12.31.2008"})
        for (const char* m : {"2", "0", "13", "2.5", "true"}) ExpectSameOutcome(name + "($0, $1)", {y, m});
    } else if (name == "DaysInAYear" || name == "WeeksInAYear" || name == "IsLeapYear") {
      for (const char* y : {"2008", "-1", "0", "65535", "65536", "1.5", "12.31.2008", "null"})
        ExpectSameOutcome(name + "($0)", {y});
    } else if (f.ArgCount == 1 && name.rfind("Bessel", 0) != 0) {
      for (const std::string& a : dates) ExpectSameOutcome(name + "($0)", {a});
    } else if (f.ArgCount == 2) {
      for (const std::string& a : dates)
        for (const char* b : {"01.01.2008:01:00", "12.31.2007:13:00", "7"})
          ExpectSameOutcome(name + "($0, $1)", {a, b});
    }
  }
}

}  // namespace
}  // namespace helmax
