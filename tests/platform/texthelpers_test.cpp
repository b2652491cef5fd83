// The text helpers every reader of typed text and files relies on: the two
// trims (the platform's TrimText and the engine's Trim, which must agree) and
// the integer reader of the edit dialogs and libraries.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <string_view>

#include "TextFile.h"
#include "TextUtil.h"

namespace helmax {
namespace {

using namespace std::string_literals;

struct TTrimCase {
  std::string Text, Trimmed;
};

// Every byte up to the blank goes at both ends, control characters and NUL
// included; inner bytes and bytes above 0x7F (UTF-8 blanks) stay.
const TTrimCase kTrimCases[] = {
    {"", ""},
    {" \t\r\n", ""},
    {"\0\0"s, ""},
    {"a", "a"},
    {"  a b  ", "a b"},
    {"\ta\t", "a"},
    {"a\r\n", "a"},
    {"a\n", "a"},
    {"a\r", "a"},
    {"a \t\r\n", "a"},
    {"\r\n a\n\r", "a"},
    {"\0a\0"s, "a"},
    {"\v\fa\v\f", "a"},
    {"\x01\x1f"
     "a\x1f\x01",
     "a"},
    {"a\tb\r\nc", "a\tb\r\nc"},
    {"\x7f"
     "a\x7f",
     "\x7f"
     "a\x7f"},
    {"\xC2\xA0"
     "a\xC2\xA0",
     "\xC2\xA0"
     "a\xC2\xA0"},  // U+00A0 no-break space
    {"\xE3\x80\x80"
     "a\xE3\x80\x80",
     "\xE3\x80\x80"
     "a\xE3\x80\x80"},  // U+3000 ideographic space
    {" \t\xC2\xA0\r\n", "\xC2\xA0"},
    {"\t\xC3\xA9t\xC3\xA9\n", "\xC3\xA9t\xC3\xA9"},
};

TEST(TextHelpers, TrimsAgreeOnEveryCase) {
  for (const TTrimCase& c : kTrimCases) {
    SCOPED_TRACE(testing::PrintToString(c.Text));
    EXPECT_EQ(TrimText(c.Text), c.Trimmed);
    EXPECT_EQ(Trim(c.Text), c.Trimmed);
  }
}

struct TIntegerCase {
  std::string Text;
  bool Read;
  int Value;
};

const TIntegerCase kIntegerCases[] = {
    {"0", true, 0},
    {"42", true, 42},
    {"007", true, 7},
    {"-7", true, -7},
    {" 12 ", true, 12},
    {"\t-3\r\n", true, -3},
    {"\0"
     "5\0"s,
     true, 5},
    {"2147483647", true, INT_MAX},
    {"-2147483648", true, INT_MIN},
    {"2147483648", false, 0},
    {"-2147483649", false, 0},
    {"99999999999999999999", false, 0},
    {"+5", false, 0},
    {"--1", false, 0},
    {"-", false, 0},
    {"", false, 0},
    {" \t\r\n", false, 0},
    {"12x", false, 0},
    {"1 2", false, 0},
    {"1.0", false, 0},
    {"0x10", false, 0},
    {"1e3", false, 0},
    {"\xC2\xA0"
     "1",
     false, 0},
    {"1\xE3\x80\x80", false, 0},
};

TEST(TextHelpers, ParseIntegerTakesOnlyAWholeDecimalInt) {
  for (const TIntegerCase& c : kIntegerCases) {
    SCOPED_TRACE(testing::PrintToString(c.Text));
    int value = 0;
    ASSERT_EQ(ParseInteger(c.Text, value), c.Read);
    if (c.Read) { EXPECT_EQ(value, c.Value); }
  }
}

}  // namespace
}  // namespace helmax
