#include "Conversion.h"
#include "FixedTexts.h"

#include <array>

#include "Value.h"

namespace helmax {

namespace {

using u128 = unsigned __int128;

// A 256-bit unsigned number in four 64-bit limbs, least significant first:
// the amount times three factors needs up to 255 bits, three divisors up
// to 192.
struct TWide {
  std::array<std::uint64_t, 4> Limb{};
  void MultiplyBy(std::uint64_t m) {
    u128 carry = 0;
    for (std::uint64_t& limb : Limb) {
      const u128 p = static_cast<u128>(limb) * m + carry;
      limb = static_cast<std::uint64_t>(p);
      carry = p >> 64;
    }
  }
  bool Bit(int i) const { return ((Limb[static_cast<std::size_t>(i / 64)] >> (i % 64)) & 1) != 0; }
  void ShiftLeftOne(bool low) {
    for (std::size_t i = 3; i > 0; --i) Limb[i] = (Limb[i] << 1) | (Limb[i - 1] >> 63);
    Limb[0] = (Limb[0] << 1) | (low ? 1 : 0);
  }
  bool AtLeast(const TWide& o) const {
    for (std::size_t i = 4; i-- > 0;)
      if (Limb[i] != o.Limb[i]) return Limb[i] > o.Limb[i];
    return true;
  }
  void Subtract(const TWide& o) {
    std::uint64_t borrow = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      const u128 d = static_cast<u128>(Limb[i]) - o.Limb[i] - borrow;
      Limb[i] = static_cast<std::uint64_t>(d);
      borrow = (d >> 64) != 0 ? 1 : 0;
    }
  }
};

std::uint64_t Magnitude(std::int64_t v) {
  return v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
}

std::string Whole(std::int64_t v) { return std::to_string(v); }

}  // namespace

bool MulDivRound(std::int64_t a, std::initializer_list<std::uint64_t> factors,
                 std::initializer_list<std::uint64_t> divisors, std::int64_t& result) {
  if (factors.size() > 3 || divisors.size() > 3) return false;
  TWide n, divisor;
  n.Limb[0] = Magnitude(a);
  for (std::uint64_t f : factors) n.MultiplyBy(f);  // at most 64 + 3 * 64 bits
  divisor.Limb[0] = 1;
  for (std::uint64_t d : divisors) {
    if (d == 0) return false;
    divisor.MultiplyBy(d);
  }
  // Long division, one bit at a time from the top. The remainder stays
  // below the divisor (under 2^192), so shifting it never loses a bit.
  u128 quotient = 0;
  TWide remainder;
  const u128 limit = static_cast<u128>(1) << 64;
  for (int bit = 255; bit >= 0; --bit) {
    remainder.ShiftLeftOne(n.Bit(bit));
    quotient <<= 1;
    if (remainder.AtLeast(divisor)) {
      remainder.Subtract(divisor);
      quotient |= 1;
    }
    if (quotient >= limit) return false;
  }
  // Half to even: compare twice the remainder with the divisor.
  TWide twice = remainder;
  twice.ShiftLeftOne(false);
  const bool aboveHalf = !divisor.AtLeast(twice);
  const bool half = !aboveHalf && twice.AtLeast(divisor);
  if (aboveHalf || (half && (quotient & 1) != 0)) ++quotient;
  const u128 maxMagnitude = a < 0 ? static_cast<u128>(1) << 63 : (static_cast<u128>(1) << 63) - 1;
  if (quotient > maxMagnitude) return false;
  const auto magnitude = static_cast<std::uint64_t>(quotient);
  result = a < 0 ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
  return true;
}

bool MulDivRound(std::int64_t a, std::uint64_t x, std::uint64_t y, std::uint64_t p, std::uint64_t q,
                 std::int64_t& result) {
  return MulDivRound(a, {x, y}, {p, q}, result);
}

std::string CurrencyText(std::int64_t scaled) { return ValueToText(TValue::MakeCurrency(scaled)); }

TConversion Convert(std::int64_t amount, std::int32_t from, std::int32_t to, std::int32_t reference,
                    const TQuote& fromQuote, const TQuote& toQuote) {
  TConversion c;
  auto incorrect = [&](int caseNumber) {
    c.Case = caseNumber;
    c.Outcome = TRateOutcome::IncorrectRate;
    return c;
  };
  // amount * factors / divisors, with the formula text that says the same.
  auto converted = [&](int caseNumber, std::initializer_list<std::uint64_t> factors,
                       std::initializer_list<std::uint64_t> divisors, std::string formula) {
    c.Case = caseNumber;
    c.Formula = std::move(formula);
    c.Outcome = MulDivRound(amount, factors, divisors, c.Result) ? TRateOutcome::Converted : TRateOutcome::OutOfRange;
    return c;
  };
  constexpr std::uint64_t kScale = 10000;
  if (to == from) {
    c.Case = 1;
    return c;
  }
  if (to == reference || from == reference) {
    const bool toReference = to == reference;
    const TQuote& quote = toReference ? fromQuote : toQuote;
    const int first = toReference ? 2 : 5;
    if (!quote.Found) {
      c.Case = first;
      return c;
    }
    if (!quote.Valid()) return incorrect(first + 1);
    const std::int64_t n = *quote.Nominal, v = *quote.Value;
    const std::uint64_t absN = Magnitude(n), absV = Magnitude(v);
    if (toReference) {
      if (n < 0) return converted(3, {absN, kScale}, {absV}, "curr*" + Whole(absN) + "/" + CurrencyText(v));
      return converted(4, {absV}, {absN, kScale}, "curr/" + Whole(n) + "*" + CurrencyText(v));
    }
    if (n < 0) return converted(6, {absV}, {absN, kScale}, "curr/" + Whole(absN) + "*" + CurrencyText(v));
    return converted(7, {absN, kScale}, {absV}, "curr*" + Whole(n) + "/" + CurrencyText(v));
  }
  if (!fromQuote.Found || !toQuote.Found) {
    c.Case = 8;
    return c;
  }
  if (!fromQuote.Valid() || !toQuote.Valid()) return incorrect(11);
  const std::int64_t nf = *fromQuote.Nominal, vf = *fromQuote.Value;
  const std::int64_t nt = *toQuote.Nominal, vt = *toQuote.Value;
  const std::uint64_t absNf = Magnitude(nf), absNt = Magnitude(nt), absVf = Magnitude(vf), absVt = Magnitude(vt);
  const std::string nfText = Whole(absNf), ntText = Whole(absNt), vfText = CurrencyText(vf), vtText = CurrencyText(vt);
  if (nf < 0 && nt < 0)
    return converted(9, {absNf, absVt}, {absNt, absVf},
                     "curr*(" + nfText + "/" + ntText + ")*" + vtText + "/" + vfText);
  if (nf > 0 && nt > 0)
    return converted(10, {absNt, absVf}, {absNf, absVt},
                     "curr*(" + ntText + "/" + nfText + ")*" + vfText + "/" + vtText);
  // Quotes in opposite directions. Nf > 0 > Nt: 1 F = Vf/Nf R and
  // 1 R = Vt/|Nt| T. Nf < 0 < Nt: 1 F = |Nf|/Vf R and 1 R = Nt/Vt T.
  if (nf > 0)
    return converted(11, {absVf, absVt}, {absNf, absNt, kScale * kScale},
                     "curr*(" + vfText + "/" + nfText + ")*" + vtText + "/" + ntText);
  return converted(11, {absNf, absNt, kScale * kScale}, {absVf, absVt},
                   "curr*(" + nfText + "/" + vfText + ")*" + ntText + "/" + vtText);
}

std::string ConversionDefinition(const std::string& fromCode, const std::string& toCode, const std::string& dateText,
                                 const std::string& referenceCode, const std::string& formula) {
  std::string date = dateText;
  for (char& ch : date)
    if (ch == '.') ch = '_';
  return fromCode + "2" + toCode + "_" + date + "_" + referenceCode + "(curr)~if(IsCurrency(curr)," + formula + ")";
}

std::string QuoteLine(const std::string& dateText, const std::string& currencyCode, const std::string& referenceCode,
                      std::int64_t nominal, std::int64_t value) {
  const bool reversed = nominal < 0;
  return texts::kExchangeDateFieldPrefix + dateText + texts::kCurrencyFieldPrefix +
         (reversed ? referenceCode : currencyCode) + texts::kNominalFieldPrefix + std::to_string(Magnitude(nominal)) +
         texts::kValueFieldPrefix + CurrencyText(value) + " " + (reversed ? currencyCode : referenceCode);
}

}  // namespace helmax
