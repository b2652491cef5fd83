// The engine's derivative texts against the constructors written literally
// on plain strings: random operands, random chains of constructors, the
// same texts as built and tidied, short and long.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "DerivativeReference.h"
#include "DerivativeText.h"
#include "Syntax.h"

namespace helmax {
namespace {

const char* const kAtoms[] = {
    "x",
    "0",
    "-0",
    "1",
    "-1",
    "2",
    "7",
    "-x",
    "sin(x)",
    "x+1",
    "-x+1",
    "-(x+1)",
    "(x+1)*y",
    "x*y",
    "-x*y",
    "infinity",
    "-infinity",
    "1e5",
    "2.5e-3",
    "(1e5)",
    "exp(1)",
    "2147483647",
    "-2147483648",
    "65536",
    "a-(-b)",
    "(0/0)",
    "f(x)'",
    "eq(1,nan)",
    "-(-(a+b))",
    "((x))",
    "-(-x)",
    "x^2",
    "(-x)^2",
    "-x^2",
    "a/-(-x*y)",
    "-sin(x)",
    "cos(x)-sin(x)",
    "+x",
    "-(a)",
    "x-1e-5",
    "ln(x)",
    "-(-x+1)",
    "if(ls(x,0),-1,1)",
    "2*x",
    "-2*x",
    "-1e5",
    "-12345678901234567890123456789012345678901234567890e5",
};

struct TPair {
  TDText Engine;
  std::string Plain;
};

// Applies n random constructors to random members of a growing pool and
// checks every result against the plain constructors.
std::size_t RandomChains(std::uint32_t seed, std::size_t flatLimit, bool powerAsOperator, std::size_t maxLength, int n,
                         std::size_t* missing = nullptr) {
  TDerivativeTexts texts(powerAsOperator, maxLength, flatLimit);
  texts.VerifyComposedForms(true);
  test::TPlainDerivativeTexts plain(powerAsOperator, maxLength);
  std::mt19937 rng(seed);
  std::vector<TPair> pool;
  for (const char* a : kAtoms) pool.push_back({texts.Literal(a), a});
  pool.push_back({nullptr, ""});
  for (int i = 0; i < n; ++i) {
    // Recent results are picked more often, so that texts grow long.
    auto pick = [&]() -> const TPair& {
      const std::size_t size = pool.size();
      if (rng() % 2 == 0 && size > 8) return pool[size - 1 - rng() % 8];
      return pool[rng() % size];
    };
    const TPair a = pick();
    const TPair b = pick();
    TPair r;
    switch (rng() % 7) {
      case 0: r = {texts.Add(a.Engine, b.Engine), plain.Add(a.Plain, b.Plain)}; break;
      case 1: r = {texts.Sub(a.Engine, b.Engine), plain.Sub(a.Plain, b.Plain)}; break;
      case 2: r = {texts.Mul(a.Engine, b.Engine), plain.Mul(a.Plain, b.Plain)}; break;
      case 3: r = {texts.Div(a.Engine, b.Engine), plain.Div(a.Plain, b.Plain)}; break;
      case 4: r = {texts.Pow(a.Engine, b.Engine), plain.Pow(a.Plain, b.Plain)}; break;
      case 5: r = {texts.Sqrt(a.Engine), plain.Sqrt(a.Plain)}; break;
      default: r = {texts.Ln(a.Engine), plain.Ln(a.Plain)}; break;
    }
    EXPECT_EQ(texts.Raw(r.Engine), r.Plain) << "seed " << seed << " step " << i;
    EXPECT_EQ(texts.Tidied(r.Engine), TidySigns(r.Plain)) << "seed " << seed << " step " << i;
    if (texts.Raw(r.Engine) != r.Plain) return 0;
    if (missing != nullptr && r.Engine == nullptr) ++*missing;
    pool.push_back(r);
  }
  for (const std::string& d : texts.Disagreements()) ADD_FAILURE() << "seed " << seed << ": " << d.substr(0, 300);
  return texts.ComposedCount();
}

TEST(DerivativeTexts, AgreeWithThePlainConstructors) {
  std::size_t composed = 0;
  for (std::uint32_t seed = 1; seed <= 40; ++seed) composed += RandomChains(seed, 64, seed % 2 == 0, 1u << 20, 300);
  EXPECT_GT(composed, 2000u) << composed;
}

TEST(DerivativeTexts, ComposedFormsAgreeOnShortTextsToo) {
  std::size_t composed = 0;
  for (std::uint32_t seed = 100; seed <= 160; ++seed) composed += RandomChains(seed, 0, seed % 3 != 0, 1u << 20, 300);
  EXPECT_GT(composed, 4000u) << composed;
}

TEST(DerivativeTexts, LongTextsBecomeMissing) {
  // A text of the largest length is kept; one character more is missing, and
  // so is everything built from a missing text.
  TDerivativeTexts texts(true, 3000);
  const TDText half = texts.Literal(std::string(1500, 'x'));
  ASSERT_NE(half, nullptr);
  EXPECT_EQ(texts.RawLength(texts.Join({half, half})), 3000u);
  EXPECT_EQ(texts.Join({half, half, "1"}), nullptr);
  EXPECT_EQ(texts.Raw(texts.Join({half, half, "1"})), "");
  const TDText x = texts.Literal("x");
  const TDText product = texts.Mul(x, texts.Literal("y"));
  ASSERT_NE(product, nullptr);
  EXPECT_EQ(texts.Raw(product), test::TPlainDerivativeTexts(true, 3000).Mul("x", "y"));
  EXPECT_EQ(texts.Mul(half, texts.Add(half, x)), nullptr);
  for (TDText made : {texts.Add(nullptr, x), texts.Sub(x, nullptr), texts.Mul(nullptr, x), texts.Div(x, nullptr),
                      texts.Pow(nullptr, x), texts.Sqrt(nullptr), texts.Ln(nullptr)})
    EXPECT_EQ(made, nullptr);
  // Random chains that grow past the limit: some results go missing, the
  // plain constructors agree on which, and the short ones stay.
  std::size_t missing = 0, made = 0;
  for (std::uint32_t seed = 200; seed <= 220; ++seed) {
    RandomChains(seed, 0, true, 3000, 400, &missing);
    made += 400;
  }
  EXPECT_GT(missing, 0u);
  EXPECT_LT(missing, made);
}

}  // namespace
}  // namespace helmax
