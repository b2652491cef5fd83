// The error record: one failure's code, kind, message and, where the
// compiler can say, its position in the compiled text.
#include <gtest/gtest.h>

#include <string>

#include "HelmaxComplexEval.h"

namespace helmax {
namespace {

constexpr std::size_t kNowhere = std::string::npos;

struct TErrorPlaceCase {
  const char* Text;
  std::int32_t Code;
  std::size_t Position;  // counted by hand in Text
};

class ErrorPlaces : public ::testing::TestWithParam<TErrorPlaceCase> {};

TEST_P(ErrorPlaces, RecordNamesCodeAndPosition) {
  const TErrorPlaceCase& c = GetParam();
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics(c.Text);
  const TEngineError error = e.LastError();
  EXPECT_EQ(error.Code, c.Code) << c.Text;
  EXPECT_EQ(error.Position, c.Position) << c.Text;
  EXPECT_EQ(error.Message, e.ErrorMessage) << c.Text;
}

INSTANTIATE_TEST_SUITE_P(
    Compile, ErrorPlaces,
    ::testing::Values(TErrorPlaceCase{"(1+2", ecParentheses, 0}, TErrorPlaceCase{"(1)+((2)", ecParentheses, 4},
                      TErrorPlaceCase{"1+2)*3", ecParentheses, 3}, TErrorPlaceCase{"(1)(2)", ecInvalidExpression, 3},
                      TErrorPlaceCase{"12  34", ecUnknownExpression, 4},
                      TErrorPlaceCase{"1+{2}", ecUnknownExpression, 2},
                      // Faults found past the text passes have no place.
                      TErrorPlaceCase{"1+*2", ecSyntax, kNowhere}, TErrorPlaceCase{"sqrt(", ecParentheses, 4}));

TEST(ErrorRecord, EmptyAfterSuccessAndAfterRunFailure) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics("(1+2");
  ASSERT_NE(e.LastError().Position, kNowhere);
  e.VerifySyntaxSemantics("1+2");
  EXPECT_EQ(e.LastError().Code, 0);
  EXPECT_EQ(e.LastError().Position, kNowhere);
  EXPECT_TRUE(e.LastError().Message.empty());

  e.VerifySyntaxSemantics("x/y", "x,y", false);
  ASSERT_FALSE(e.Error);
  e.DoVectorOfMathExpressions();
  const TEngineError error = e.LastError();
  EXPECT_EQ(error.Code, e.ErrorCode);
  EXPECT_NE(error.Code, 0);
  EXPECT_EQ(error.MathKind, e.MathErrorKind);
  EXPECT_EQ(error.Position, kNowhere);
}

}  // namespace
}  // namespace helmax
