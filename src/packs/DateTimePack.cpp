// Date and time functions of the pack: the clock functions, calendar
// fields, elapsed units, week numbers, spans, comparisons, year and month
// functions and increments. Every date-time argument is first rounded to
// whole milliseconds on one continuous time line (day number * 86400000 +
// milliseconds of the day); weeks begin on Monday.
#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "DateTimePackInternal.h"
#include "FixedTexts.h"

namespace helmax::dtpack {
namespace {

constexpr std::int64_t kMsPerSecond = 1000;
constexpr std::int64_t kMsPerMinute = 60 * kMsPerSecond;
constexpr std::int64_t kMsPerHour = 60 * kMsPerMinute;
constexpr std::int64_t kMsPerDay = 24 * kMsPerHour;
constexpr std::int64_t kMsPerWeek = 7 * kMsPerDay;
constexpr std::int64_t kMsPerMonth = 2'629'800'000;  // 30.4375 days
constexpr std::int64_t kMsPerYear = 31'557'600'000;  // 365.25 days
constexpr int kFirstYear = 1;
constexpr int kLastYear = 9999;
constexpr double kMaxWord = 65535.0;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::int64_t DayNumber(int year, int month, int day) { return static_cast<std::int64_t>(EncodeDate(year, month, day)); }

// 1 = Monday .. 7 = Sunday; day number 0 (30 December 1899) is a Saturday.
int IsoWeekday(std::int64_t dayNumber) { return static_cast<int>(((dayNumber + 5) % 7 + 7) % 7) + 1; }

// A date-time split into its calendar fields, within 01.01.0001 to
// 12.31.9999 23:59:59.999.
struct TMoment {
  std::int64_t Day = 0;     // serial day number
  std::int64_t TimeMs = 0;  // milliseconds since midnight
  int Year = 0, Month = 0, DayOfMonth = 0;

  std::int64_t Total() const { return Day * kMsPerDay + TimeMs; }
  int Weekday() const { return IsoWeekday(Day); }
};

TMoment Decode(double serial) {
  int y = 0, m = 0, d = 0, h = 0, n = 0, s = 0, ms = 0;
  DecodeDateTime(serial, y, m, d, h, n, s, ms);
  if (y < kFirstYear || y > kLastYear) MathFail(mkInvalidArgument);
  TMoment t;
  t.Year = y;
  t.Month = m;
  t.DayOfMonth = d;
  t.Day = DayNumber(y, m, d);
  t.TimeMs = ((h * 60LL + n) * 60 + s) * kMsPerSecond + ms;
  return t;
}

TMoment DecodeDay(std::int64_t dayNumber) { return Decode(static_cast<double>(dayNumber)); }

// The serial of a point on the continuous millisecond line. A day before
// 30 December 1899 keeps the day in the integer part and the time of day in
// the absolute fraction.
double SerialOf(std::int64_t totalMs) {
  const std::int64_t day = FloorDiv(totalMs, kMsPerDay);
  const std::int64_t time = totalMs - day * kMsPerDay;
  if (day < DayNumber(kFirstYear, 1, 1) || day > DayNumber(kLastYear, 12, 31)) MathFail(mkInvalidArgument);
  const double fraction = static_cast<double>(time) / static_cast<double>(kMsPerDay);
  return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

TMoment MomentArg(const TPackCall& call, int i) {
  const TValue& v = call.Arg(i);
  if (v.Kind != TValueKind::DateTime)
    ArgumentFail(texts::kIncorrectDateTimeTypeForTheParameterPrefix + std::to_string(i + 1));
  return Decode(v.Num);
}

void SetReal(TValue& r, double v) { r = TValue::MakeReal(v); }
void SetCount(TValue& r, std::int64_t v) { r = TValue::MakeReal(static_cast<double>(v)); }
void SetDateTime(TValue& r, std::int64_t totalMs) { r = TValue::MakeDateTime(SerialOf(totalMs)); }

// ---- clock ---------------------------------------------------------------------

TMoment Now(const TPackCall& c) { return Decode(c.Engine->CurrentDateTime()); }

template <std::int64_t DayOffset>
void DayFromToday(const TPackCall& c, TValue& r) {
  SetDateTime(r, (Now(c).Day + DayOffset) * kMsPerDay);
}
void NowFn(const TPackCall& c, TValue& r) { SetDateTime(r, Now(c).Total()); }
void TimeFn(const TPackCall& c, TValue& r) { r = TValue::MakeDateTime(static_cast<double>(Now(c).TimeMs) / kMsPerDay); }
void CurrentYear(const TPackCall& c, TValue& r) { SetCount(r, Now(c).Year); }

// ---- fields and elapsed units ------------------------------------------------------

enum class TStart { Year, Month, Week, Day, Hour, Minute, Second };

std::int64_t StartOf(const TMoment& m, TStart s) {
  switch (s) {
    case TStart::Year: return DayNumber(m.Year, 1, 1) * kMsPerDay;
    case TStart::Month: return DayNumber(m.Year, m.Month, 1) * kMsPerDay;
    case TStart::Week: return (m.Day - (m.Weekday() - 1)) * kMsPerDay;
    case TStart::Day: return m.Day * kMsPerDay;
    case TStart::Hour: return m.Day * kMsPerDay + m.TimeMs / kMsPerHour * kMsPerHour;
    case TStart::Minute: return m.Day * kMsPerDay + m.TimeMs / kMsPerMinute * kMsPerMinute;
    case TStart::Second: return m.Day * kMsPerDay + m.TimeMs / kMsPerSecond * kMsPerSecond;
  }
  return 0;
}

// Whole units from the start of the larger unit up to the value.
template <TStart Start, std::int64_t Unit>
void Elapsed(const TPackCall& c, TValue& r) {
  const TMoment m = MomentArg(c, 0);
  SetCount(r, (m.Total() - StartOf(m, Start)) / Unit);
}

void DateOf(const TPackCall& c, TValue& r) { SetDateTime(r, MomentArg(c, 0).Day * kMsPerDay); }
void TimeOf(const TPackCall& c, TValue& r) {
  r = TValue::MakeDateTime(static_cast<double>(MomentArg(c, 0).TimeMs) / kMsPerDay);
}
void YearOf(const TPackCall& c, TValue& r) { SetCount(r, MomentArg(c, 0).Year); }
void MonthOf(const TPackCall& c, TValue& r) { SetCount(r, MomentArg(c, 0).Month); }
void DayOfTheMonth(const TPackCall& c, TValue& r) { SetCount(r, MomentArg(c, 0).DayOfMonth); }
void DayOfTheWeek(const TPackCall& c, TValue& r) { SetCount(r, MomentArg(c, 0).Weekday()); }
void DayOfTheYear(const TPackCall& c, TValue& r) {
  const TMoment m = MomentArg(c, 0);
  SetCount(r, m.Day - DayNumber(m.Year, 1, 1) + 1);
}
void DaysInMonthOf(const TPackCall& c, TValue& r) {
  const TMoment m = MomentArg(c, 0);
  SetCount(r, DaysInMonth(m.Year, m.Month));
}
void DaysInYearOf(const TPackCall& c, TValue& r) { SetCount(r, IsLeapYear(MomentArg(c, 0).Year) ? 366 : 365); }
void IsInLeapYear(const TPackCall& c, TValue& r) { r = TValue::MakeBool(IsLeapYear(MomentArg(c, 0).Year)); }
void IsPM(const TPackCall& c, TValue& r) { r = TValue::MakeBool(MomentArg(c, 0).TimeMs >= 12 * kMsPerHour); }
void IsToday(const TPackCall& c, TValue& r) { r = TValue::MakeBool(MomentArg(c, 0).Day == Now(c).Day); }

// ---- week numbers ------------------------------------------------------------------

// The Thursday of the Monday-based week that holds the day.
TMoment ThursdayOfWeek(const TMoment& m) { return DecodeDay(m.Day - (m.Weekday() - 1) + 3); }

// ISO 8601: the week belongs to the year of its Thursday.
void WeekOfTheYear(const TPackCall& c, TValue& r) {
  const TMoment thursday = ThursdayOfWeek(MomentArg(c, 0));
  SetCount(r, (thursday.Day - DayNumber(thursday.Year, 1, 1)) / 7 + 1);
}
// The same rule for months: the week belongs to the month of its Thursday.
void WeekOfTheMonth(const TPackCall& c, TValue& r) {
  SetCount(r, (ThursdayOfWeek(MomentArg(c, 0)).DayOfMonth - 1) / 7 + 1);
}
void NthDayOfWeek(const TPackCall& c, TValue& r) { SetCount(r, (MomentArg(c, 0).DayOfMonth - 1) / 7 + 1); }

// ---- two date-times -----------------------------------------------------------------

std::int64_t AbsDifference(const TPackCall& c) {
  const std::int64_t d = MomentArg(c, 0).Total() - MomentArg(c, 1).Total();
  return d < 0 ? -d : d;
}

template <std::int64_t Unit>
void Span(const TPackCall& c, TValue& r) {
  SetReal(r, static_cast<double>(AbsDifference(c)) / static_cast<double>(Unit));
}

template <std::int64_t Unit>
void Between(const TPackCall& c, TValue& r) {
  SetCount(r, AbsDifference(c) / Unit);
}

enum class TPart { Date, Time, Whole };

std::int64_t PartOf(const TMoment& m, TPart p) {
  switch (p) {
    case TPart::Date: return m.Day;
    case TPart::Time: return m.TimeMs;
    case TPart::Whole: return m.Total();
  }
  return 0;
}

template <TPart Part>
void Compare(const TPackCall& c, TValue& r) {
  const std::int64_t a = PartOf(MomentArg(c, 0), Part), b = PartOf(MomentArg(c, 1), Part);
  SetCount(r, a < b ? -1 : (a > b ? 1 : 0));
}

template <TPart Part>
void Same(const TPackCall& c, TValue& r) {
  r = TValue::MakeBool(PartOf(MomentArg(c, 0), Part) == PartOf(MomentArg(c, 1), Part));
}

void ReplaceDate(const TPackCall& c, TValue& r) {
  const TMoment a = MomentArg(c, 0), b = MomentArg(c, 1);
  SetDateTime(r, b.Day * kMsPerDay + a.TimeMs);
}
void ReplaceTime(const TPackCall& c, TValue& r) {
  const TMoment a = MomentArg(c, 0), b = MomentArg(c, 1);
  SetDateTime(r, a.Day * kMsPerDay + b.TimeMs);
}

// ---- year and month numbers -----------------------------------------------------------

// A year or month argument: a number, integral, 0..65535.
int WordArg(const TPackCall& c, int i, const std::string& wordMessage) {
  const double x = NumberArg(c, i, texts::kIncorrectRealTypeForTheParameterPrefix + std::to_string(i + 1));
  double whole = 0.0;
  if (!IsIntegral(x, whole) || whole < 0.0 || whole > kMaxWord) ArgumentFail(wordMessage);
  return static_cast<int>(whole);
}

int YearWord(const TPackCall& c) { return WordArg(c, 0, texts::kIncorrectWordTypeForTheParameterPrefix); }

void DaysInAMonth(const TPackCall& c, TValue& r) {
  const int year = WordArg(c, 0, texts::kIncorrectWordTypeForParameter1);
  const int month = WordArg(c, 1, texts::kIncorrectWordTypeForParameter2);
  if (month < 1 || month > 12) ArgumentFail("Incorrect month for the parameter  2 (must be 1 to 12)");
  SetCount(r, DaysInMonth(year, month));
}
void DaysInAYear(const TPackCall& c, TValue& r) { SetCount(r, IsLeapYear(YearWord(c)) ? 366 : 365); }
void IsLeapYearFn(const TPackCall& c, TValue& r) { r = TValue::MakeBool(IsLeapYear(YearWord(c))); }
void WeeksInAYear(const TPackCall& c, TValue& r) {
  const int year = YearWord(c);
  const int first = IsoWeekday(DayNumber(year, 1, 1));
  SetCount(r, (first == 4 || (first == 3 && IsLeapYear(year))) ? 53 : 52);
}

// ---- increments -------------------------------------------------------------------------

std::int64_t CountArg(const TPackCall& c) {
  const TValue& v = c.Arg(1);
  double whole = 0.0;
  if (!v.IsRealLike() || !IsIntegral(v.AsReal(), whole)) ArgumentFail(texts::kIncorrectIntegerForParameter2);
  return static_cast<std::int64_t>(whole);
}

template <std::int64_t Unit>
void IncBy(const TPackCall& c, TValue& r) {
  const TMoment a = MomentArg(c, 0);
  SetDateTime(r, a.Total() + CountArg(c) * Unit);
}

// Moves by whole months, keeping the time of day and clamping the day to
// the last day of the target month.
void AddMonths(const TPackCall& c, TValue& r, std::int64_t monthsPerStep) {
  const TMoment a = MomentArg(c, 0);
  const std::int64_t months = a.Year * 12LL + (a.Month - 1) + CountArg(c) * monthsPerStep;
  const std::int64_t year = FloorDiv(months, 12);
  if (year < kFirstYear || year > kLastYear) MathFail(mkInvalidArgument);
  const int y = static_cast<int>(year);
  const int m = static_cast<int>(months - year * 12) + 1;
  const int d = a.DayOfMonth < DaysInMonth(y, m) ? a.DayOfMonth : DaysInMonth(y, m);
  SetDateTime(r, DayNumber(y, m, d) * kMsPerDay + a.TimeMs);
}
void IncMonth(const TPackCall& c, TValue& r) { AddMonths(c, r, 1); }
void IncYear(const TPackCall& c, TValue& r) { AddMonths(c, r, 12); }

constexpr TPackEntry kEntries[] = {
    {"Now", -1, NowFn},
    {"Yesterday", -1, DayFromToday<-1>},
    {"Tomorrow", -1, DayFromToday<1>},
    {"Today", -1, DayFromToday<0>},
    {"CurrentYear", -1, CurrentYear},
    {"Date", -1, DayFromToday<0>},
    {"DateOf", 1, DateOf},
    {"DayOfTheMonth", 1, DayOfTheMonth},
    {"DayOfTheWeek", 1, DayOfTheWeek},
    {"DayOfTheYear", 1, DayOfTheYear},
    {"DaysBetween", 2, Between<kMsPerDay>},
    {"DaysInMonth", 1, DaysInMonthOf},
    {"DaysInYear", 1, DaysInYearOf},
    {"CompareDate", 2, Compare<TPart::Date>},
    {"CompareDateTime", 2, Compare<TPart::Whole>},
    {"CompareTime", 2, Compare<TPart::Time>},
    {"DaySpan", 2, Span<kMsPerDay>},
    {"HourOfTheDay", 1, Elapsed<TStart::Day, kMsPerHour>},
    {"HourOfTheMonth", 1, Elapsed<TStart::Month, kMsPerHour>},
    {"HourOfTheWeek", 1, Elapsed<TStart::Week, kMsPerHour>},
    {"HourOfTheYear", 1, Elapsed<TStart::Year, kMsPerHour>},
    {"HoursBetween", 2, Between<kMsPerHour>},
    {"HourSpan", 2, Span<kMsPerHour>},
    {"IsLeapYear", 1, IsLeapYearFn},
    {"IsInLeapYear", 1, IsInLeapYear},
    {"IsPM", 1, IsPM},
    {"IsSameDay", 2, Same<TPart::Date>},
    {"IsToday", 1, IsToday},
    {"MilliSecondOfTheDay", 1, Elapsed<TStart::Day, 1>},
    {"MilliSecondOfTheHour", 1, Elapsed<TStart::Hour, 1>},
    {"MilliSecondOfTheMinute", 1, Elapsed<TStart::Minute, 1>},
    {"MilliSecondOfTheMonth", 1, Elapsed<TStart::Month, 1>},
    {"MilliSecondOfTheSecond", 1, Elapsed<TStart::Second, 1>},
    {"MilliSecondOfTheWeek", 1, Elapsed<TStart::Week, 1>},
    {"MilliSecondOfTheYear", 1, Elapsed<TStart::Year, 1>},
    {"MilliSecondsBetween", 2, Between<1>},
    {"MilliSecondSpan", 2, Span<1>},
    {"MinuteOfTheDay", 1, Elapsed<TStart::Day, kMsPerMinute>},
    {"MinuteOfTheHour", 1, Elapsed<TStart::Hour, kMsPerMinute>},
    {"MinuteOfTheMonth", 1, Elapsed<TStart::Month, kMsPerMinute>},
    {"MinuteOfTheWeek", 1, Elapsed<TStart::Week, kMsPerMinute>},
    {"MinuteOfTheYear", 1, Elapsed<TStart::Year, kMsPerMinute>},
    {"MinutesBetween", 2, Between<kMsPerMinute>},
    {"MinuteSpan", 2, Span<kMsPerMinute>},
    {"MonthOf", 1, MonthOf},
    {"MonthsBetween", 2, Between<kMsPerMonth>},
    {"MonthSpan", 2, Span<kMsPerMonth>},
    {"NthDayOfWeek", 1, NthDayOfWeek},
    {"ReplaceDate", 2, ReplaceDate},
    {"ReplaceTime", 2, ReplaceTime},
    {"SameDate", 2, Same<TPart::Date>},
    {"SameTime", 2, Same<TPart::Time>},
    {"SameDateTime", 2, Same<TPart::Whole>},
    {"SecondOfTheDay", 1, Elapsed<TStart::Day, kMsPerSecond>},
    {"SecondOfTheHour", 1, Elapsed<TStart::Hour, kMsPerSecond>},
    {"SecondOfTheMinute", 1, Elapsed<TStart::Minute, kMsPerSecond>},
    {"SecondOfTheMonth", 1, Elapsed<TStart::Month, kMsPerSecond>},
    {"SecondOfTheWeek", 1, Elapsed<TStart::Week, kMsPerSecond>},
    {"SecondOfTheYear", 1, Elapsed<TStart::Year, kMsPerSecond>},
    {"SecondsBetween", 2, Between<kMsPerSecond>},
    {"SecondSpan", 2, Span<kMsPerSecond>},
    {"WeekOfTheMonth", 1, WeekOfTheMonth},
    {"WeekOfTheYear", 1, WeekOfTheYear},
    {"WeeksBetween", 2, Between<kMsPerWeek>},
    {"WeekSpan", 2, Span<kMsPerWeek>},
    {"WeeksInAYear", 1, WeeksInAYear},
    {"DaysInAYear", 1, DaysInAYear},
    {"DaysInAMonth", 2, DaysInAMonth},
    {"YearOf", 1, YearOf},
    {"YearsBetween", 2, Between<kMsPerYear>},
    {"YearSpan", 2, Span<kMsPerYear>},
    {"Time", -1, TimeFn},
    {"TimeOf", 1, TimeOf},
    {"IncDay", 2, IncBy<kMsPerDay>},
    {"IncHour", 2, IncBy<kMsPerHour>},
    {"IncMilliSecond", 2, IncBy<1>},
    {"IncMinute", 2, IncBy<kMsPerMinute>},
    {"IncMonth", 2, IncMonth},
    {"IncSecond", 2, IncBy<kMsPerSecond>},
    {"IncWeek", 2, IncBy<kMsPerWeek>},
    {"IncYear", 2, IncYear},
};

}  // namespace

std::span<const TPackEntry> CalendarEntries() { return kEntries; }

}  // namespace helmax::dtpack
