// The exact conversion: the eleven cases, their formula texts, one rounding
// half to even, and the texts a calculation shows.
#include <gtest/gtest.h>

#include "../common/CaseNames.h"
#include "Conversion.h"
#include "ExchangeHistory.h"

using namespace helmax;

namespace {

constexpr std::int32_t EUR = 978, USD = 840, GBP = 826, CAD = 124;

TQuote Quote(std::int64_t nominal, std::int64_t value) { return {true, nominal, value}; }
const TQuote kNone{};

struct TCase {
  const char* Name;
  std::int64_t Amount;  // 1/10000 units
  std::int32_t From, To, Reference;
  TQuote FromQuote, ToQuote;
  int Case;
  TRateOutcome Outcome;
  std::int64_t Result;
  const char* Formula;
};

// Results worked out by hand from the quote's meaning.
const TCase kCases[] = {
    {"same_currency", 1000000, USD, USD, EUR, Quote(1, 7000), Quote(1, 7000), 1, TRateOutcome::NoExchange, 0, ""},
    {"to_reference_no_quote", 1000000, USD, EUR, EUR, kNone, kNone, 2, TRateOutcome::NoExchange, 0, ""},
    // 1 EUR = 1.4286 USD: 100 USD = 100/1.4286 EUR = 69.99860...
    {"to_reference_negative", 1000000, USD, EUR, EUR, Quote(-1, 14286), kNone, 3, TRateOutcome::Converted, 699986,
     "curr*1/1.4286"},
    // 1 USD = 0.7 EUR: 100 USD = 70 EUR.
    {"to_reference_positive", 1000000, USD, EUR, EUR, Quote(1, 7000), kNone, 4, TRateOutcome::Converted, 700000,
     "curr/1*0.7"},
    {"from_reference_no_quote", 1000000, EUR, USD, EUR, kNone, kNone, 5, TRateOutcome::NoExchange, 0, ""},
    // 10 EUR = 40.225 RON-like quote: 100 EUR = 402.25.
    {"from_reference_negative", 1000000, EUR, USD, EUR, kNone, Quote(-10, 402250), 6, TRateOutcome::Converted, 4022500,
     "curr/10*40.225"},
    // 100 JPY = 0.7928 EUR: 100 EUR = 10000/0.7928 = 12613.52169... JPY.
    {"from_reference_positive", 1000000, EUR, USD, EUR, kNone, Quote(100, 7928), 7, TRateOutcome::Converted, 126135217,
     "curr*100/0.7928"},
    {"cross_missing_quote", 1000000, USD, GBP, EUR, Quote(-1, 14000), kNone, 8, TRateOutcome::NoExchange, 0, ""},
    // 1 EUR = 1.4 USD and 1 EUR = 0.8 GBP: 100 USD = 100*0.8/1.4 = 57.142857... GBP.
    {"cross_both_negative", 1000000, USD, GBP, EUR, Quote(-1, 14000), Quote(-1, 8000), 9, TRateOutcome::Converted,
     571429, "curr*(1/1)*0.8/1.4"},
    // USD to EUR through GBP: 1 USD = 0.5 GBP, 1 EUR = 0.8 GBP.
    {"cross_both_positive", 1000000, USD, EUR, GBP, Quote(1, 5000), Quote(1, 8000), 10, TRateOutcome::Converted, 625000,
     "curr*(1/1)*0.5/0.8"},
    // 1 EUR = 1.3308 USD and 1 USD = 1.2538 CAD: 100 EUR = 100*1.3308*1.2538 = 166.855704 CAD.
    {"opposite_from_positive", 1000000, EUR, CAD, USD, Quote(1, 13308), Quote(-1, 12538), 11, TRateOutcome::Converted,
     1668557, "curr*(1.3308/1)*1.2538/1"},
    // Back: 100 CAD = 100/1.2538/1.3308 = 59.93202366... EUR.
    {"opposite_from_negative", 1000000, CAD, EUR, USD, Quote(-1, 12538), Quote(1, 13308), 11, TRateOutcome::Converted,
     599320, "curr*(1/1.2538)*1/1.3308"},
    // 0.0005 at 2 F = 1 R and 1 R = 1 T: 0.00025 T, a tie that goes to the even 0.0002.
    {"opposite_tie", 5, USD, GBP, EUR, Quote(2, 10000), Quote(-1, 10000), 11, TRateOutcome::Converted, 2,
     "curr*(1/2)*1/1"},
    {"opposite_zero_value", 1000000, USD, GBP, EUR, Quote(1, 13308), Quote(-1, 0), 11, TRateOutcome::IncorrectRate, 0,
     ""},
    {"opposite_negative_value", 1000000, USD, GBP, EUR, Quote(-1, -13308), Quote(1, 12538), 11,
     TRateOutcome::IncorrectRate, 0, ""},
    // One rounding: 123.4567 JPY at 1000 JPY = 7.5603 GBP is 0.93337... GBP,
    // where rounding after each step of the formula would give 0.9337.
    {"one_rounding", 1234567, 392, GBP, GBP, Quote(1000, 75603), kNone, 4, TRateOutcome::Converted, 9334,
     "curr/1000*7.5603"},
    {"zero_value", 1000000, USD, EUR, EUR, Quote(1, 0), kNone, 3, TRateOutcome::IncorrectRate, 0, ""},
    {"negative_value", 1000000, EUR, USD, EUR, kNone, Quote(1, -5), 6, TRateOutcome::IncorrectRate, 0, ""},
    {"missing_value", 1000000, USD, GBP, EUR, TQuote{true, 1, std::nullopt}, Quote(1, 5), 11,
     TRateOutcome::IncorrectRate, 0, ""},
    {"zero_nominal", 1000000, USD, EUR, EUR, Quote(0, 7000), kNone, 3, TRateOutcome::IncorrectRate, 0, ""},
    {"negative_amount", -1000000, USD, EUR, EUR, Quote(1, 7000), kNone, 4, TRateOutcome::Converted, -700000,
     "curr/1*0.7"},
    {"out_of_range", INT64_MAX, EUR, USD, EUR, kNone, Quote(1000000, 1), 7, TRateOutcome::OutOfRange, 0,
     "curr*1000000/0.0001"},
};

class ConversionCase : public testing::TestWithParam<TCase> {};

TEST_P(ConversionCase, GivesTheCaseResultAndFormula) {
  const TCase& c = GetParam();
  const TConversion r = Convert(c.Amount, c.From, c.To, c.Reference, c.FromQuote, c.ToQuote);
  EXPECT_EQ(r.Case, c.Case);
  EXPECT_EQ(r.Outcome, c.Outcome);
  if (c.Outcome == TRateOutcome::Converted) { EXPECT_EQ(r.Result, c.Result); }
  EXPECT_EQ(r.Formula, c.Formula);
}

INSTANTIATE_TEST_SUITE_P(Cases, ConversionCase, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<TCase>& info) { return std::string(info.param.Name); });

// Half to even at the last place, against a plain 128-bit division where
// that cannot overflow.
TEST(MulDivRound, RoundsHalfToEvenLikeAPlainDivision) {
  for (std::int64_t a = -40; a <= 40; ++a)
    for (std::uint64_t p : {1u, 2u, 3u, 4u, 8u, 10u}) {
      __int128 q = a / static_cast<__int128>(p), r = a % static_cast<__int128>(p);
      const __int128 twice = 2 * (r < 0 ? -r : r);
      if (twice > static_cast<__int128>(p) || (twice == static_cast<__int128>(p) && (q % 2 != 0))) q += a < 0 ? -1 : 1;
      std::int64_t result = 0;
      ASSERT_TRUE(MulDivRound(a, 1, 1, p, 1, result));
      EXPECT_EQ(result, static_cast<std::int64_t>(q)) << a << "/" << p;
    }
}

TEST(MulDivRound, KeepsProductsBeyond128Bits) {
  std::int64_t result = 0;
  // INT64_MAX * (2^63 + 1) * (2^63 - 1) / ((2^63 + 1) * (2^63 - 1)).
  const std::uint64_t big = (1ull << 63) + 1, other = (1ull << 63) - 1;
  ASSERT_TRUE(MulDivRound(INT64_MAX, big, other, big, other, result));
  EXPECT_EQ(result, INT64_MAX);
  ASSERT_TRUE(MulDivRound(INT64_MIN, big, 1, big, 1, result));
  EXPECT_EQ(result, INT64_MIN);
  // Three factors and a divisor beyond 128 bits: nominals near 2^63 with
  // two currency scales.
  ASSERT_TRUE(MulDivRound(INT64_MAX, {big, other, 100000000}, {other, big, 100000000}, result));
  EXPECT_EQ(result, INT64_MAX);
  ASSERT_TRUE(MulDivRound(7, {other}, {other, big, 2}, result));
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(MulDivRound(INT64_MAX, 2, 1, 1, 1, result));
  EXPECT_FALSE(MulDivRound(1, 1, 1, 0, 1, result));
}

TEST(ConversionTexts, DefinitionAndQuoteLines) {
  EXPECT_EQ(ConversionDefinition("USD", "EUR", "12.31.2008", "GBP", "curr*(1/1)*0.5/0.8"),
            "USD2EUR_12_31_2008_GBP(curr)~if(IsCurrency(curr),curr*(1/1)*0.5/0.8)");
  EXPECT_EQ(QuoteLine("12.31.2008", "USD", "EUR", 1, 7000),
            "ExchangeDate= 12.31.2008, Currency= USD, Nominal= 1, Value= 0.7 EUR");
  // With a negative nominal the reference is the quoted amount.
  EXPECT_EQ(QuoteLine("12.31.2008", "USD", "EUR", -1, 14286),
            "ExchangeDate= 12.31.2008, Currency= EUR, Nominal= 1, Value= 1.4286 USD");
}

TEST(ExchangeHistory, KeepsEachTextOnceWhateverItsCase) {
  TExchangeHistory h;
  EXPECT_TRUE(h.Add("100*Rate"));
  EXPECT_FALSE(h.Add("100*Rate"));
  EXPECT_FALSE(h.Add("100*RATE"));
  EXPECT_FALSE(h.Add(""));
  EXPECT_TRUE(h.Add("25"));
  EXPECT_EQ(h.Entries(), (std::vector<std::string>{"100*Rate", "25"}));
  h.Clear();
  EXPECT_TRUE(h.Entries().empty());
}

}  // namespace
