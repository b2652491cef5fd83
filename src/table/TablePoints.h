// The points of a function table: from, from + step, from + 2·step, ...
// each computed as the exact decimal sum and only then rounded to a double,
// so that the defaults give -100, -99.9, ..., 0, ..., 100 without the drift
// of repeated floating-point additions or products.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace helmax {

// A table holds at most as many points as a spreadsheet has rows below its
// header row.
constexpr std::int64_t kMaxTablePoints = 1'048'575;

class TDecimalPoints {
 public:
  // from and step are read as their shortest round-trip decimal texts
  // (0.1 is the decimal 0.1, not 0.1000000000000000055...). Both finite.
  TDecimalPoints(double from, double step);

  // The double nearest to the exact decimal from + n·step (n >= 0).
  double Point(std::int64_t n) const;

 private:
  // A decimal: an integer mantissa given by its digits, times 10^Exponent.
  struct TDecimal {
    bool Negative = false;
    std::string Digits;  // no leading zeros; "0" for zero
    int Exponent = 0;
  };
  static TDecimal ShortestDecimal(double v);
  double SlowPoint(std::int64_t n) const;

  TDecimal From_, Step_;
  // Fast form: from = A·10^E and step = B·10^E with integers small enough
  // that A + n·B cannot overflow for any n below the point limit.
  bool Fast_ = false;
  __int128 A_ = 0, B_ = 0;
  int E_ = 0;
};

// Why a table over [from, to] in steps of step cannot be computed, or
// nothing. count receives the number of points the range asks for,
// round((to - from) / step) + 1, or 0 when from > to.
std::optional<std::string> CheckTableRange(double from, double to, double step, std::int64_t& count);

}  // namespace helmax
