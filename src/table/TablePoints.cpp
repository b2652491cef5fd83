#include "TablePoints.h"
#include "FixedTexts.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "Value.h"

namespace helmax {

namespace {

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr __int128 kTwoTo53 = __int128{1} << 53;

std::string Int128Digits(unsigned __int128 v) {
  if (v == 0) return "0";
  std::string digits;
  while (v != 0) {
    digits.push_back(static_cast<char>('0' + static_cast<int>(v % 10)));
    v /= 10;
  }
  std::reverse(digits.begin(), digits.end());
  return digits;
}

// Digits of a non-negative integer given as a decimal string, plus or minus
// another one (the first not smaller than the second when subtracting).
std::string AddDigits(const std::string& a, const std::string& b) {
  std::string sum;
  int carry = 0;
  for (std::size_t i = 0; i < std::max(a.size(), b.size()) || carry != 0; ++i) {
    const int da = i < a.size() ? a[a.size() - 1 - i] - '0' : 0;
    const int db = i < b.size() ? b[b.size() - 1 - i] - '0' : 0;
    const int d = da + db + carry;
    sum.push_back(static_cast<char>('0' + d % 10));
    carry = d / 10;
  }
  std::reverse(sum.begin(), sum.end());
  return sum;
}

std::string SubtractDigits(const std::string& a, const std::string& b) {
  std::string diff;
  int borrow = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    int d = (a[a.size() - 1 - i] - '0') - (i < b.size() ? b[b.size() - 1 - i] - '0' : 0) - borrow;
    borrow = d < 0 ? 1 : 0;
    diff.push_back(static_cast<char>('0' + d + 10 * borrow));
  }
  while (diff.size() > 1 && diff.back() == '0') diff.pop_back();
  std::reverse(diff.begin(), diff.end());
  return diff;
}

bool LessDigits(const std::string& a, const std::string& b) {
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

double ReadDecimal(bool negative, const std::string& digits, int exponent) {
  const std::string text = digits + "e" + std::to_string(exponent);
  double v = 0;
  std::from_chars(text.data(), text.data() + text.size(), v);  // correctly rounded; inf beyond the range
  return negative ? -v : v;
}

}  // namespace

TDecimalPoints::TDecimal TDecimalPoints::ShortestDecimal(double v) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
  const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));  // -d.ddde+xx
  TDecimal d;
  std::size_t i = 0;
  if (text[i] == '-') {
    d.Negative = true;
    ++i;
  }
  const std::size_t e = text.find('e');
  for (; i < e; ++i)
    if (text[i] != '.') d.Digits.push_back(text[i]);
  int exponent = 0;
  std::string_view exponentText = text.substr(e + 1);
  if (exponentText.front() == '+') exponentText.remove_prefix(1);
  std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
  d.Exponent = exponent - static_cast<int>(d.Digits.size() - 1);
  if (d.Digits == "0") {
    d.Negative = false;
    d.Exponent = 0;
  }
  return d;
}

TDecimalPoints::TDecimalPoints(double from, double step) : From_(ShortestDecimal(from)), Step_(ShortestDecimal(step)) {
  E_ = std::min(From_.Exponent, Step_.Exponent);
  const int fromShift = From_.Exponent - E_, stepShift = Step_.Exponent - E_;
  // |A| < 10^37 and |n·B| < 10^37 for every n below 10^7 keep A + n·B
  // inside 128 bits.
  Fast_ = static_cast<int>(From_.Digits.size()) + fromShift <= 37 &&
          static_cast<int>(Step_.Digits.size()) + stepShift + 7 <= 37;
  if (!Fast_) return;
  auto integer = [](const TDecimal& d, int shift) {
    __int128 v = 0;
    for (char c : d.Digits) v = v * 10 + (c - '0');
    for (int k = 0; k < shift; ++k) v *= 10;
    return d.Negative ? -v : v;
  };
  A_ = integer(From_, fromShift);
  B_ = integer(Step_, stepShift);
}

double TDecimalPoints::Point(std::int64_t n) const {
  if (!Fast_ || n >= 10'000'000) return SlowPoint(n);
  const __int128 v = A_ + static_cast<__int128>(n) * B_;
  const __int128 magnitude = v < 0 ? -v : v;
  // Both operands exact doubles: one division or product, rounded once.
  if (magnitude <= kTwoTo53) {
    const double m = static_cast<double>(v);
    if (E_ == 0) return m;
    if (E_ < 0 && E_ >= -22) return m / kPowersOfTen[-E_];
    if (E_ > 0 && E_ <= 22) return m * kPowersOfTen[E_];
  }
  return ReadDecimal(v < 0, Int128Digits(static_cast<unsigned __int128>(magnitude)), E_);
}

// The exact sum in decimal digits, for a from and a step of very different
// magnitudes (1e-30 and 1, say).
double TDecimalPoints::SlowPoint(std::int64_t n) const {
  std::uint64_t stepMantissa = 0;
  for (char c : Step_.Digits) stepMantissa = stepMantissa * 10 + static_cast<std::uint64_t>(c - '0');
  std::string term = Int128Digits(static_cast<unsigned __int128>(stepMantissa) * static_cast<std::uint64_t>(n));
  std::string start = From_.Digits;
  // Align both on the smaller exponent (a zero stays "0").
  if (term != "0") term.append(static_cast<std::size_t>(Step_.Exponent - E_), '0');
  if (start != "0") start.append(static_cast<std::size_t>(From_.Exponent - E_), '0');
  const bool termNegative = Step_.Negative && term != "0";
  if (From_.Negative == termNegative) return ReadDecimal(termNegative, AddDigits(start, term), E_);
  if (LessDigits(start, term)) return ReadDecimal(termNegative, SubtractDigits(term, start), E_);
  return ReadDecimal(From_.Negative, SubtractDigits(start, term), E_);
}

std::optional<std::string> CheckTableRange(double from, double to, double step, std::int64_t& count) {
  count = 0;
  if (!std::isfinite(from) || !std::isfinite(to))
    return "Incorrect table range : from " + RealToText(from) + " to " + RealToText(to);
  if (!std::isfinite(step) || !(step > 0)) return "Incorrect step : " + RealToText(step) + " (must be greater than 0)";
  if (from > to) return std::nullopt;
  const double points = std::nearbyint((to - from) / step) + 1;
  if (!std::isfinite(points) || points > static_cast<double>(kMaxTablePoints))
    return texts::kTooManyPointsPrefix + RealToText(points);
  count = static_cast<std::int64_t>(points);
  return std::nullopt;
}

}  // namespace helmax
