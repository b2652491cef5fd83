#include "Conversion.h"

#include <array>

#include "Value.h"

namespace helmax {

namespace {

using u128 = unsigned __int128;

// A 256-bit unsigned number in four 64-bit limbs, least significant first:
// the product of the amount and two factors needs up to 189 bits.
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
};

std::uint64_t Magnitude(std::int64_t v) { return v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v); }

std::string Whole(std::int64_t v) { return std::to_string(v); }

}  // namespace

bool MulDivRound(std::int64_t a, std::uint64_t x, std::uint64_t y, std::uint64_t p, std::uint64_t q,
                 std::int64_t& result) {
  const u128 divisor = static_cast<u128>(p) * q;
  if (divisor == 0) return false;
  TWide n;
  n.Limb[0] = Magnitude(a);
  n.MultiplyBy(x);
  n.MultiplyBy(y);
  // Long division, one bit at a time from the top; the divisor (at most
  // 2^128) and the remainder fit 128 bits with the carry kept aside.
  u128 quotient = 0, remainder = 0;
  const u128 limit = static_cast<u128>(1) << 64;
  for (int bit = 255; bit >= 0; --bit) {
    const bool top = (remainder >> 127) != 0;
    remainder = (remainder << 1) | ((n.Limb[static_cast<std::size_t>(bit / 64)] >> (bit % 64)) & 1);
    quotient <<= 1;
    if (top || remainder >= divisor) {
      remainder -= divisor;
      quotient |= 1;
    }
    if (quotient >= limit) return false;
  }
  // Half to even: compare the remainder with the rest of the divisor.
  const u128 rest = divisor - remainder;
  if (remainder > rest || (remainder == rest && (quotient & 1) != 0)) ++quotient;
  const u128 maxMagnitude = a < 0 ? static_cast<u128>(1) << 63 : (static_cast<u128>(1) << 63) - 1;
  if (quotient > maxMagnitude) return false;
  const auto magnitude = static_cast<std::uint64_t>(quotient);
  result = a < 0 ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
  return true;
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
  // amount * x * y / (p * q), with the formula text that says the same.
  auto converted = [&](int caseNumber, std::uint64_t x, std::uint64_t y, std::uint64_t p, std::uint64_t q,
                       std::string formula) {
    c.Case = caseNumber;
    c.Formula = std::move(formula);
    c.Outcome = MulDivRound(amount, x, y, p, q, c.Result) ? TRateOutcome::Converted
                                                           : TRateOutcome::OutOfRange;
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
      if (n < 0) return converted(3, absN, kScale, absV, 1, "curr*" + Whole(absN) + "/" + CurrencyText(v));
      return converted(4, absV, 1, absN, kScale, "curr/" + Whole(n) + "*" + CurrencyText(v));
    }
    if (n < 0) return converted(6, absV, 1, absN, kScale, "curr/" + Whole(absN) + "*" + CurrencyText(v));
    return converted(7, absN, kScale, absV, 1, "curr*" + Whole(n) + "/" + CurrencyText(v));
  }
  if (!fromQuote.Found || !toQuote.Found) {
    c.Case = 8;
    return c;
  }
  if (!fromQuote.Valid() || !toQuote.Valid()) return incorrect(11);
  const std::int64_t nf = *fromQuote.Nominal, vf = *fromQuote.Value;
  const std::int64_t nt = *toQuote.Nominal, vt = *toQuote.Value;
  const std::uint64_t absNf = Magnitude(nf), absNt = Magnitude(nt);
  if (nf < 0 && nt < 0)
    return converted(9, absNf, Magnitude(vt), absNt, Magnitude(vf),
                     "curr*(" + Whole(absNf) + "/" + Whole(absNt) + ")*" + CurrencyText(vt) + "/" + CurrencyText(vf));
  if (nf > 0 && nt > 0)
    return converted(10, absNt, Magnitude(vf), absNf, Magnitude(vt),
                     "curr*(" + Whole(nt) + "/" + Whole(nf) + ")*" + CurrencyText(vf) + "/" + CurrencyText(vt));
  return incorrect(11);
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
  return "ExchangeDate= " + dateText + ", Currency= " + (reversed ? referenceCode : currencyCode) +
         ", Nominal= " + std::to_string(Magnitude(nominal)) + ", Value= " + CurrencyText(value) + " " +
         (reversed ? currencyCode : referenceCode);
}

}  // namespace helmax
