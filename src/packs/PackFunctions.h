// How a function pack lists its functions: a table of entries (name,
// argument count, function), turned into the engine's registration records
// by PackRegistrations. Both packs register this one way.
#pragma once

#include <cstdint>
#include <span>

#include "HelmaxComplexEval.h"

namespace helmax {

class THelmaxDateTimeEval;

// One call of a pack function: the arguments and, for the date-time pack's
// functions, the engine they run in (its clock).
struct TPackCall {
  TValue* const* Args;
  int Count;
  const THelmaxDateTimeEval* Engine;  // null for functions that need none

  const TValue& Arg(int i) const { return *Args[i]; }
};

using TPackFunction = void (*)(const TPackCall& call, TValue& result);

struct TPackEntry {
  const char* Name;
  std::int32_t ArgCount;  // as TUserFuncRec::ArgCount
  TPackFunction Function;
};

// Registration records of the entries, in table order, each calling its
// function with engine (which may be null when no entry needs it). The
// result is cleared to null before every call.
TUserFuncArray PackRegistrations(std::span<const TPackEntry> entries, const THelmaxDateTimeEval* engine);

}  // namespace helmax
