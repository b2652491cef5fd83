// THelmaxDateTimeEval: the expression engine with 112 ready-made external
// functions for dates and times, finance, descriptive statistics and Bessel
// functions. It adds nothing to the engine but these registrations: every
// function goes through the ordinary external function contract.
#pragma once

#include <functional>
#include <memory>

#include "HelmaxComplexEval.h"

namespace helmax {

// Source of "now": the current local date-time as a serial (days since
// 30 December 1899, fraction = time of day).
using TDateTimeClock = std::function<double()>;

// The system clock in local time, to the millisecond.
double SystemClockNow();

class THelmaxDateTimeEval : public THelmaxComplexEval {
 public:
  // Number of pack functions; the host's entries follow them.
  static constexpr int PackFunctionCount = 112;

  THelmaxDateTimeEval();
  explicit THelmaxDateTimeEval(const TUserFuncArray& hostFunctions);
  ~THelmaxDateTimeEval() override = default;

  // Replaces the clock that Now, Today, Time, IsToday and the like read
  // (the system clock by default). An empty function restores the system
  // clock.
  void SetClock(TDateTimeClock clock);
  // The current date-time as the pack's functions see it.
  double CurrentDateTime() const;

 private:
  // The pack's entries bound to engine, followed by the host's entries.
  static TUserFuncArray RegistrationTable(const THelmaxDateTimeEval* engine, const TUserFuncArray& host);

  TDateTimeClock Clock_;
};

}  // namespace helmax
