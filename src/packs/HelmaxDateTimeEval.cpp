// THelmaxDateTimeEval: construction, registration of the pack's functions,
// the clock, and the argument checks that all groups share.
#include "HelmaxDateTimeEval.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <iterator>
#include <stdexcept>

#include "DateTimePackInternal.h"

namespace helmax {

double SystemClockNow() {
  using namespace std::chrono;
  const std::int64_t ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  std::int64_t seconds = ms / 1000;
  std::int64_t milli = ms % 1000;
  if (milli < 0) {
    milli += 1000;
    --seconds;
  }
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm local{};
  localtime_r(&t, &local);
  const double timeMs =
      ((local.tm_hour * 60.0 + local.tm_min) * 60.0 + local.tm_sec) * 1000.0 + static_cast<double>(milli);
  return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) + timeMs / 86400000.0;
}

THelmaxDateTimeEval::THelmaxDateTimeEval() : THelmaxComplexEval(RegistrationTable(this, {})) {}

THelmaxDateTimeEval::THelmaxDateTimeEval(const TUserFuncArray& hostFunctions)
    : THelmaxComplexEval(RegistrationTable(this, hostFunctions)) {}

void THelmaxDateTimeEval::SetClock(TDateTimeClock clock) { Clock_ = std::move(clock); }

double THelmaxDateTimeEval::CurrentDateTime() const { return Clock_ ? Clock_() : SystemClockNow(); }

// The entries only capture the engine's address; they are called after the
// object is fully built.
TUserFuncArray THelmaxDateTimeEval::RegistrationTable(const THelmaxDateTimeEval* engine, const TUserFuncArray& host) {
  TUserFuncArray table;
  table.reserve(static_cast<std::size_t>(PackFunctionCount) + host.size());
  for (auto group :
       {dtpack::CalendarEntries(), dtpack::FinanceEntries(), dtpack::StatisticsEntries(), dtpack::BesselEntries()}) {
    TUserFuncArray records = PackRegistrations(group, engine);
    std::move(records.begin(), records.end(), std::back_inserter(table));
  }
  table.insert(table.end(), host.begin(), host.end());
  return table;
}

TUserFuncArray PackRegistrations(std::span<const TPackEntry> entries, const THelmaxDateTimeEval* engine) {
  TUserFuncArray records;
  records.reserve(entries.size());
  for (const TPackEntry& entry : entries) {
    TUserFuncRec rec;
    rec.Name = entry.Name;
    rec.Kind = ufMethod;
    rec.ArgCount = entry.ArgCount;
    const TPackFunction function = entry.Function;
    rec.Method = [engine, function](TValue* const* args, int count, TValue& result) {
      result = TValue();
      function(TPackCall{args, count, engine}, result);
    };
    records.push_back(std::move(rec));
  }
  return records;
}

namespace dtpack {

void ArgumentFail(const std::string& message) { throw std::runtime_error(message); }

void MathFail(int kind) { throw EHelmaxMathError(kind); }

bool IsIntegral(double x, double& whole) {
  if (!std::isfinite(x)) return false;
  const double t = std::trunc(x);
  if (std::fabs(x - t) > kIntegralTolerance || std::fabs(t) > kMaxInteger) return false;
  whole = t;
  return true;
}

double NumberArg(const TPackCall& call, int i, const std::string& message) {
  const TValue& v = call.Arg(i);
  if (!v.IsRealLike()) ArgumentFail(message);
  return v.AsReal();
}

double JudgeResult(double r, bool argumentsFinite, bool argumentsNaN) {
  if (std::isnan(r)) {
    if (argumentsNaN) return EngineNaN();
    MathFail(mkInvalidOp);
  }
  if (std::isinf(r) && argumentsFinite) MathFail(mkOverflow);
  return r;
}

}  // namespace dtpack
}  // namespace helmax
