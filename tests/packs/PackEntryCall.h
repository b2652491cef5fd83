// Calls of the date-time pack's functions through their entries, as the
// engine calls them, for the accuracy tests of its financial and
// statistical functions.
#pragma once

#include <span>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "DateTimePackInternal.h"

namespace helmax::packtest {

// The real result of the named entry's function at args; throws what the
// function throws.
inline double CallEntry(std::span<const TPackEntry> entries, const std::string& name, const std::vector<double>& args) {
  for (const TPackEntry& e : entries) {
    if (name != e.Name) continue;
    std::vector<TValue> values;
    for (double a : args) values.push_back(TValue::MakeReal(a));
    std::vector<TValue*> pointers;
    for (TValue& v : values) pointers.push_back(&v);
    TValue result;
    e.Function(TPackCall{pointers.data(), static_cast<int>(pointers.size()), nullptr}, result);
    if (!result.IsReal()) throw std::runtime_error(name + " gave no real");
    return result.Num;
  }
  throw std::runtime_error("unregistered " + name);
}

// The call as text, its arguments to 17 digits.
inline std::string CallText(const std::string& name, const std::vector<double>& args) {
  std::ostringstream s;
  s.precision(17);
  s << name << '(';
  for (std::size_t i = 0; i < args.size(); ++i) s << (i ? ", " : "") << args[i];
  s << ')';
  return s.str();
}

}  // namespace helmax::packtest
