// Conv calls renumbered after an edit of the table: ids mapped by names,
// and the calls found in pane texts as the calculator reads them.
#include <gtest/gtest.h>

#include "ConvRenumbering.h"

namespace helmax {
namespace {

using TNames = TConversionNames;

// Angles 1, Length 2, Temperature 3 ...
const TNames kBefore{{{"Angles", {"degrees", "radians"}},
                      {"Length", {"feet", "inches", "meters"}},
                      {"Temperature", {"Celcius", "Fahrenheit", "Kelvin"}}}};
// ... and after adding the category Area and the unit Delisle: Length 3,
// Temperature 4, Fahrenheit 3, Kelvin 4.
const TNames kAfter{{{"Angles", {"degrees", "radians"}},
                     {"Area", {}},
                     {"Length", {"feet", "inches", "meters"}},
                     {"Temperature", {"Celcius", "Delisle", "Fahrenheit", "Kelvin"}}}};

TEST(MapConvIds, ByNamesAndRenames) {
  TConvIdMapping m = MapConvIds(kBefore, kAfter);
  EXPECT_EQ(m.Categories, (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(m.Units[2], (std::vector<int>{1, 3, 4}));
  EXPECT_TRUE(m.Moves());
  EXPECT_FALSE(MapConvIds(kBefore, kBefore).Moves());
  // Length renamed Zlength (now last), feet merged into inches, Kelvin gone.
  const TNames after{{{"Angles", {"degrees", "radians"}},
                      {"Temperature", {"Celcius", "Fahrenheit"}},
                      {"Zlength", {"inches", "meters"}}}};
  m = MapConvIds(kBefore, after, {{"", "LENGTH", "Zlength"}, {"length", "feet", "inches"}});
  EXPECT_EQ(m.Categories, (std::vector<int>{1, 3, 2}));
  EXPECT_EQ(m.Units[1], (std::vector<int>{1, 1, 2}));
  EXPECT_EQ(m.Units[2], (std::vector<int>{1, 2, 0}));
  // Without the rename, Length is gone.
  EXPECT_EQ(MapConvIds(kBefore, after).Categories[1], 0);
}

struct TCase {
  const char* Text;
  int Count;
  const char* Renumbered;
};

TEST(RenumberConvCalls, CasesAfterAddingAreaAndDelisle) {
  const TConvIdMapping m = MapConvIds(kBefore, kAfter);
  const TCase cases[] = {
      {"Conv(3, 2, 3, 212)", 1, "Conv(4, 3, 4, 212)"},
      // Any letter case; every call of the text.
      {"conv(2,1,2,5)+CONV(3,3,3,1)", 2, "conv(3,1,2,5)+CONV(4,4,4,1)"},
      // Nested calls, brackets in the value.
      {"Conv(3,1,3,Conv(2,2,3,(1+2)*f(1,2)))", 2, "Conv(4,1,4,Conv(3,2,3,(1+2)*f(1,2)))"},
      // Blanks and line breaks as the calculator reads them.
      {"Conv (3, 2,\r\n 3, 212)", 1, "Conv (4, 3,\r\n 4, 212)"},
      {"Co\nnv(2,1,1,1)", 1, "Co\nnv(3,1,1,1)"},
      {"y=Conv(3,\n1\n0,1,1)", 0, "y=Conv(3,\n1\n0,1,1)"},  // unit 10 is no unit of Temperature
      // Other functions, other names.
      {"myconv(2,1,2,3)+conv2(2,1,2,3)+_conv(2,1,2,3)+x.conv(2,1,2,3)", 0,
       "myconv(2,1,2,3)+conv2(2,1,2,3)+_conv(2,1,2,3)+x.conv(2,1,2,3)"},
      // A quote is part of a name in this language, not a string.
      {"\"Conv(2,1,2,3)\"", 0, "\"Conv(2,1,2,3)\""},
      // Ids that are no literal whole numbers.
      {"Conv(a,1,2,3)+Conv(1+1,1,2,3)+Conv(2.0,1,2,3)+Conv(-2,1,2,3)", 0,
       "Conv(a,1,2,3)+Conv(1+1,1,2,3)+Conv(2.0,1,2,3)+Conv(-2,1,2,3)"},
      // Meaning kept anyway: Angles did not move, nor Celcius.
      {"Conv(1,1,2,90)", 0, "Conv(1,1,2,90)"},
      // Ids that meant nothing before, calls that cannot run.
      {"Conv(4,1,1,1)+Conv(3,4,1,1)+Conv(0,1,1,1)", 0, "Conv(4,1,1,1)+Conv(3,4,1,1)+Conv(0,1,1,1)"},
      {"Conv(3,2,3)+Conv(3,2,3,1,1)+Conv(3,2,3,1", 0, "Conv(3,2,3)+Conv(3,2,3,1,1)+Conv(3,2,3,1"},
      // Only the ids that moved change.
      {"Conv( 2 , 3 , 1 , 1 )", 1, "Conv( 3 , 3 , 1 , 1 )"},
  };
  for (const TCase& c : cases) {
    const TRenumberedText r = RenumberConvCalls(c.Text, m);
    EXPECT_EQ(r.Count, c.Count) << c.Text;
    EXPECT_EQ(r.Text, c.Renumbered) << c.Text;
  }
}

TEST(RenumberConvCalls, AGoneUnitKeepsItsCall) {
  const TNames after{{{"Angles", {"degrees", "radians"}},
                      {"Length", {"feet", "inches", "meters"}},
                      {"Temperature", {"Fahrenheit", "Kelvin"}}}};
  const TRenumberedText r = RenumberConvCalls("Conv(3,1,2,1),Conv(3,2,3,212)", MapConvIds(kBefore, after));
  EXPECT_EQ(r.Count, 1);
  EXPECT_EQ(r.Text, "Conv(3,1,2,1),Conv(3,1,2,212)");
}

}  // namespace
}  // namespace helmax
