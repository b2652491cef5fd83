// The conversion of an amount between two currencies through a reference
// currency, from the two quotes of one exchange date. A quote (reference R,
// currency C, nominal N, value V) says, with N > 0, that N units of C are
// worth V units of R, and with N < 0 that |N| units of R are worth V units
// of C. The result is computed exactly from the amount, the nominals and
// the values, and rounded once, half to even, to 1/10000.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

namespace helmax {

// A quote as the database gave it; Found is false when there is none.
struct TQuote {
  bool Found = false;
  std::optional<std::int64_t> Nominal;
  std::optional<std::int64_t> Value;  // 1/10000 units
  // Usable: a nominal other than 0 and a value above 0.
  bool Valid() const { return Found && Nominal && *Nominal != 0 && Value && *Value > 0; }
};

enum class TRateOutcome {
  Converted,      // Result holds the amount in the To currency
  NoExchange,     // the same currency, or a quote missing
  IncorrectRate,  // a quote with a bad nominal or value
  OutOfRange,     // the result does not fit the currency range
};

struct TConversion {
  int Case = 0;  // 1 to 11, in the order the cases are tried
  TRateOutcome Outcome = TRateOutcome::NoExchange;
  std::int64_t Result = 0;  // 1/10000 units
  // The formula in the variable curr ("curr/1*0.7"); empty when there is
  // none.
  std::string Formula;
};

// The eleven cases: from F to T through R, amount in 1/10000 units of F.
TConversion Convert(std::int64_t amount, std::int32_t from, std::int32_t to, std::int32_t reference,
                    const TQuote& fromQuote, const TQuote& toQuote);

// a * x * y / (p * q) rounded half to even, all but a positive; false when
// the result leaves the 64-bit range.
bool MulDivRound(std::int64_t a, std::uint64_t x, std::uint64_t y, std::uint64_t p, std::uint64_t q,
                 std::int64_t& result);
// a times up to three factors, divided by the product of up to three
// divisors (none of them 0), rounded half to even; false when the result
// leaves the 64-bit range or a list is too long.
bool MulDivRound(std::int64_t a, std::initializer_list<std::uint64_t> factors,
                 std::initializer_list<std::uint64_t> divisors, std::int64_t& result);

// The run-time function definition of a conversion, for the user's
// definitions: USD2EUR_12_31_2008_GBP(curr)~if(IsCurrency(curr),curr*(1/1)*0.5/0.8).
std::string ConversionDefinition(const std::string& fromCode, const std::string& toCode, const std::string& dateText,
                                 const std::string& referenceCode, const std::string& formula);

// The line that shows a quote: "ExchangeDate= 12.31.2008, Currency= USD,
// Nominal= 1, Value= 0.7 EUR" (with a negative nominal the reference is the
// quoted currency).
std::string QuoteLine(const std::string& dateText, const std::string& currencyCode, const std::string& referenceCode,
                      std::int64_t nominal, std::int64_t value);

// A currency amount as the calculator writes it (up to 4 decimals).
std::string CurrencyText(std::int64_t scaled);

}  // namespace helmax
