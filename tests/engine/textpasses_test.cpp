// Tests of the text tidying passes: redundant-parentheses removal and the
// sign simplification of displayed texts.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "Syntax.h"
#include "TextUtil.h"

namespace helmax {
namespace {

struct TCase {
  const char* Input;
  const char* Expected;
};

// ---------------------------------------------------------------------------
// RemoveRedundantParentheses

TEST(RemoveRedundantParentheses, Table) {
  const TCase cases[] = {
      // single operands lose their pairs
      {"(x)", "x"},
      {"(a)+(b)", "a+b"},
      {"(a)=(b)", "a=b"},
      {"-(x)", "-x"},
      {"a^(b)", "a^b"},
      {"(12.5)*2", "12.5*2"},
      {"({3})+1", "{3}+1"},
      {"(sin(x+1))", "sin(x+1)"},
      {"((a))", "a"},
      {"(((x)))*y", "x*y"},
      // pairs with an operator or comma at their own level stay
      {"(x+1)", "(x+1)"},
      {"(-x)", "(-x)"},
      {"a^(-b)", "a^(-b)"},
      {"(a,b)", "(a,b)"},
      {"x=(y=3)", "x=(y=3)"},
      {"(f(x)~x)", "(f(x)~x)"},
      {"((a+b)*c)", "((a+b)*c)"},
      // the operator must be at the pair's own level
      {"(f(a+b))", "f(a+b)"},
      {"((a+b))*c", "(a+b)*c"},
      // nested redundant pairs all go, one pair around the sum stays
      {"((x+1))", "(x+1)"},
      {"(((x+1)))", "(x+1)"},
      {"((((x+1))))+2", "(x+1)+2"},
      {"((a,b))", "(a,b)"},
      // argument lists stay; a pair that fills an argument list goes
      {"f(x)", "f(x)"},
      {"f((x))", "f(x)"},
      {"f((x+1))", "f(x+1)"},
      {"f(((x+1)))", "f(x+1)"},
      {"max((a,b),c)", "max((a,b),c)"},
      {"f((x+1),(y))", "f((x+1),y)"},
      {"f((y),(x+1))", "f(y,(x+1))"},
      {"f()", "f()"},
      {"2(x)", "2(x)"},
      // a pair glued to an operand on the right stays
      {"(a)b", "(a)b"},
      {"(a+1)b", "(a+1)b"},
      // numbers in exponent notation without an exponent sign keep theirs
      {"(1e5)", "(1e5)"},
      {"2*(1e5)", "2*(1e5)"},
      {"(2.5E10)^2", "(2.5E10)^2"},
      {"(.5e3)", "(.5e3)"},
      {"(1e-5)", "(1e-5)"},
      {"(1e+5)", "(1e+5)"},
      {"((1e5))", "(1e5)"},
      {"f((1e5))", "f(1e5)"},
      {"(e5)", "e5"},
      {"(1e)", "1e"},
      {"(1e5x)", "1e5x"},
      {"(1.2.3e4)", "1.2.3e4"},
      {"(x1e5)", "x1e5"},
      // degenerate and unbalanced texts are left alone where no pair exists
      {"", ""},
      {"x", "x"},
      {"()", ""},
      {"(())", ""},
      {"(a", "(a"},
      {"a)", "a)"},
      {")(", ")("},
      {"((a)", "(a"},
  };
  for (const TCase& c : cases) EXPECT_EQ(RemoveRedundantParentheses(c.Input), c.Expected) << "input: " << c.Input;
}

// A direct reading of the rule, rescanning and editing the text after every
// decision. Slow, used to cross-check the single-sweep version.
std::string SlowRemoveRedundant(std::string s) {
  auto isExpNumber = [](const std::string& t) {
    const std::size_t e = t.find_first_of("eE");
    if (e == std::string::npos) return false;
    const std::string mantissa = t.substr(0, e), exponent = t.substr(e + 1);
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    return std::count(mantissa.begin(), mantissa.end(), '.') <= 1 &&
           std::any_of(mantissa.begin(), mantissa.end(), isDigit) &&
           std::all_of(mantissa.begin(), mantissa.end(), [&](char c) { return isDigit(c) || c == '.'; }) &&
           !exponent.empty() && std::all_of(exponent.begin(), exponent.end(), isDigit);
  };
  auto isDelim = [](char c) { return std::string_view("()*+,-/=^~").find(c) != std::string_view::npos; };
  std::size_t pos = 0;
  for (;;) {
    const std::size_t o = s.find('(', pos);
    if (o == std::string::npos) break;
    std::size_t c = o;
    int depth = 0;
    for (; c < s.size(); ++c) {
      if (s[c] == '(') ++depth;
      if (s[c] == ')' && --depth == 0) break;
    }
    if (c >= s.size()) {  // no matching ")"
      pos = o + 1;
      continue;
    }
    const bool hasBefore = o > 0, hasAfter = c + 1 < s.size();
    const char before = hasBefore ? s[o - 1] : 0, after = hasAfter ? s[c + 1] : 0;
    const std::string content = s.substr(o + 1, c - o - 1);
    bool keep;
    if ((hasBefore && !isDelim(before)) || (hasAfter && !isDelim(after))) {
      keep = true;
    } else if (before == '(' && after == ')') {
      keep = false;
    } else {
      bool op = false;
      int d = 0;
      for (char ch : content) {
        if (ch == '(') ++d;
        else if (ch == ')') --d;
        else if (d == 0 && isDelim(ch)) op = true;
      }
      keep = op || isExpNumber(content);
    }
    if (keep) {
      pos = o + 1;
    } else {
      s.erase(c, 1);
      s.erase(o, 1);
      pos = o;
    }
  }
  return s;
}

TEST(RemoveRedundantParentheses, AgreesWithRescanningOnRandomTexts) {
  std::mt19937 rng(12345);
  const std::string alphabet[] = {"(", "(", "(", ")", ")", ")", "x", "f", "1",  "1e5",
                                  "e", ".", "+", "-", "*", ",", "=", "^", "{0}"};
  const std::size_t alphabetSize = sizeof(alphabet) / sizeof(alphabet[0]);
  int withRemovals = 0;
  for (int iter = 0; iter < 20000; ++iter) {
    std::string s;
    const int len = 1 + static_cast<int>(rng() % 14);
    for (int i = 0; i < len; ++i) s += alphabet[rng() % alphabetSize];
    const std::string expected = SlowRemoveRedundant(s);
    if (expected != s) ++withRemovals;
    ASSERT_EQ(RemoveRedundantParentheses(s), expected) << "input: " << s;
  }
  EXPECT_GT(withRemovals, 2000);
}

// ---------------------------------------------------------------------------
// NormalisePlainText: the fused sweeps against the passes one by one

TEST(NormalisePlainText, GivesWhatThePassesGiveWhereverItTakesTheText) {
  std::mt19937 rng(2026);
  const std::string alphabet[] = {"(", "(", ")", ")", "x", "Ab", "1", "2.5", "e", "E",    ".", "+",
                                  "-", "*", "/", "^", ",", "=",  "~", "\t",  "_", "Sin(", "Z"};
  const std::size_t alphabetSize = sizeof(alphabet) / sizeof(alphabet[0]);
  int taken = 0, takenLong = 0;
  for (int iter = 0; iter < 30000; ++iter) {
    // Up to 60 pieces: long texts are read 16 characters at a time, and
    // their runs cross those blocks.
    std::string text;
    if (iter % 2 == 0) {
      const int len = static_cast<int>(rng() % 12);
      for (int i = 0; i < len; ++i) text += alphabet[rng() % alphabetSize];
    } else {
      // Parentheses mostly in order, so that many long texts are taken.
      int depth = 0;
      const int len = static_cast<int>(rng() % 60);
      for (int i = 0; i < len; ++i) {
        std::string piece = alphabet[rng() % alphabetSize];
        if (piece == ")" && depth == 0 && rng() % 16 != 0) piece = "+";
        depth += piece.back() == '(' ? 1 : piece == ")" ? -1 : 0;
        text += piece;
      }
      for (; depth > 0; --depth) text += ')';
    }
    if (rng() % 8 == 0) text.insert(rng() % (text.size() + 1), 1, " {}"[rng() % 3]);
    std::string fused;
    std::vector<TToken> fusedTokens;
    std::size_t fusedOperators = 0;
    if (!NormalisePlainText(text, fused, fusedTokens, fusedOperators)) continue;
    ++taken;
    takenLong += text.size() >= 40 ? 1 : 0;
    ASSERT_FALSE(CheckParentheses(text)) << text;
    std::string out;
    std::size_t operators = 0;
    ASSERT_FALSE(RemoveBlanks(text, false, out, operators)) << text;
    ASSERT_FALSE(out.empty()) << text;
    for (char& c : out) c = LowerAscii(c);
    std::vector<TToken> tokens;
    ASSERT_FALSE(Tokenize(out, tokens)) << text;
    ASSERT_EQ(fused, out) << text;
    ASSERT_EQ(fusedOperators, operators) << text;
    ASSERT_EQ(fusedTokens.size(), tokens.size()) << text;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
      const TToken &a = fusedTokens[k], &b = tokens[k];
      ASSERT_TRUE(a.Type == b.Type && a.Op == b.Op && a.Pos == b.Pos && a.Len == b.Len) << text << " token " << k;
    }
  }
  EXPECT_GT(taken, 3000);
  EXPECT_GT(takenLong, 1000);
}

TEST(RemoveRedundantParentheses, DeepNestingIsLinear) {
  const std::size_t depth = 200000;
  struct TDeep {
    std::string Inner, Expected;
  };
  const TDeep deep[] = {
      {"x", "x"},
      {"x+1", "(x+1)"},
      {"1e5", "(1e5)"},
  };
  for (const TDeep& d : deep) {
    const std::string text = std::string(depth, '(') + d.Inner + std::string(depth, ')');
    const std::string result = RemoveRedundantParentheses(text);
    EXPECT_TRUE(result == d.Expected) << "inner " << d.Inner << ", result starts " << result.substr(0, 40);
  }
  // Argument lists nested deep: every list keeps its pair, a doubled pair
  // inside each list goes.
  std::string nested, expected;
  for (std::size_t i = 0; i < depth / 4; ++i) {
    nested += "f((";
    expected += "f(";
  }
  nested += "x";
  expected += "x";
  for (std::size_t i = 0; i < depth / 4; ++i) {
    nested += "))";
    expected += ")";
  }
  EXPECT_TRUE(RemoveRedundantParentheses(nested) == expected);
}

// ---------------------------------------------------------------------------
// TidySigns

TEST(TidySigns, Table) {
  const TCase cases[] = {
      // redundant and enclosing parentheses
      {"((x+1))", "x+1"},
      {"(a)+(b)", "a+b"},
      {"(a+1)*(b+1)", "(a+1)*(b+1)"},
      {"f((x+1))", "f(x+1)"},
      {"2*(1e5)", "2*(1e5)"},
      {"(1e5)", "1e5"},
      {"", ""},
      // the four sign pairs
      {"a-(-x)", "a+x"},
      {"a-(+x)", "a-x"},
      {"a+(-x)", "a-x"},
      {"a+(+x)", "a+x"},
      {"-(-x)", "x"},
      {"+(+x)", "x"},
      {"-(+x)", "-x"},
      {"+(-x)", "-x"},
      // repeated at the same position
      {"-(-(-x))", "-x"},
      {"-(-(-(-x)))", "x"},
      {"a-(-(+(-x)))", "a-x"},
      {"a-(-x)-(-y)", "a+x+y"},
      {"(cos(x))+(-sin(x))", "cos(x)-sin(x)"},
      {"a-(-x*y)", "a+x*y"},
      {"a-(-x/y^2)", "a+x/y^2"},
      {"-(-x)*y", "x*y"},
      {"a-(-sin(x+1))", "a+sin(x+1)"},
      {"a-(-(x+1))", "a+(x+1)"},
      {"a-(-(x+1)*y)", "a+(x+1)*y"},
      {"a--(-x)", "a-+x"},
      // (i) a + or - between terms blocks the rewrite
      {"-(-x+1)", "-(-x+1)"},
      {"a-(-x-y)", "a-(-x-y)"},
      {"a+(-x+y)", "a+(-x+y)"},
      {"a-(-x*y+z)", "a-(-x*y+z)"},
      // ... but a unary sign, a sign inside a deeper pair and an exponent
      // sign do not
      {"a-(-x*-y)", "a+x*-y"},
      {"a-(-x^-2)", "a+x^-2"},
      {"a-(-x*(y+z))", "a+x*(y+z)"},
      {"a-(-1e-5)", "a+1e-5"},
      {"a-(-2*1.5e+3)", "a+2*1.5e+3"},
      {"a-(-rate-1)", "a-(-rate-1)"},
      {"a-(-x-1e-5)", "a-(-x-1e-5)"},
      // (ii) the bracket is the base of a power
      {"a-(-x)^2", "a-(-x)^2"},
      {"-(-x)^2", "-(-x)^2"},
      {"a+(-x)^y+(-z)", "a+(-x)^y-z"},
      {"-(-(-x)^2)", "(-x)^2"},
      // (iii) after * / ^ only a single operand may follow the sign
      {"a*-(-x)", "a*+x"},
      {"a/-(-x)", "a/+x"},
      {"2^-(-x)", "2^+x"},
      {"a*-(-x*y)", "a*-(-x*y)"},
      {"a/-(-x*y)", "a/-(-x*y)"},
      {"2^-(-x^2)", "2^-(-x^2)"},
      {"a/+(-x/y)", "a/+(-x/y)"},
      {"a/-(-f(x,y))", "a/+f(x,y)"},
      {"a/-(-1e-5)", "a/+1e-5"},
      // inside argument lists and brackets
      {"f(-(-x))", "f(+x)"},
      {"a*(-(-x))", "a*(+x)"},
      {"a-(-b-(-c))", "a-(-b+c)"},
      {"x-(-y)^2+(-z)", "x-(-y)^2-z"},
      // enclosing pairs go only before the leading plus is dropped
      {"-(-(a+b))", "(a+b)"},
      // nothing to do
      {"a-(b)", "a-b"},
      {"a-(x-y)", "a-(x-y)"},
      {"-x", "-x"},
      {"-(", "-("},
      {"-(-", "-(-"},
  };
  for (const TCase& c : cases) EXPECT_EQ(TidySigns(c.Input), c.Expected) << "input: " << c.Input;
}

TEST(TidySigns, DeepNesting) {
  const std::size_t depth = 100000;
  struct TDeep {
    std::string Text, Expected;
  };
  std::string minusChain;  // -(-(-( ... -x ... )))
  for (std::size_t i = 0; i < depth; ++i) minusChain += "-(";
  minusChain += "-x" + std::string(depth, ')');
  std::string plusChain = minusChain;  // +(+(+( ... -x ... )))
  for (std::size_t i = 0; i + 2 < plusChain.size(); i += 2)
    if (plusChain[i] == '-' && plusChain[i + 1] == '(') plusChain[i] = '+';
  // -(-1+(-(-1+( ... x ... )))): every "+(-" folds, every "-(-1+" stays.
  std::string partly, partlyExpected;
  for (std::size_t i = 0; i < depth; ++i) {
    partly += "-(-1+(";
    partlyExpected += "-(-1";
  }
  partly += "x" + std::string(2 * depth, ')');
  partlyExpected += "+x" + std::string(depth, ')');
  // -(-1+2*(-(-1+2*( ... x+1 ... )))): nothing folds.
  std::string blocked;
  for (std::size_t i = 0; i < depth; ++i) blocked += "-(-1+2*(";
  blocked += "x+1" + std::string(2 * depth, ')');
  const std::string blockedExpected = blocked;

  const TDeep deep[] = {
      {std::string(depth, '(') + "x" + std::string(depth, ')'), "x"},
      {std::string(depth, '(') + "x+1" + std::string(depth, ')'), "x+1"},
      {minusChain, depth % 2 == 0 ? "-x" : "x"},
      {plusChain, "-x"},
      {partly, partlyExpected},
      {blocked, blockedExpected},
  };
  for (const TDeep& d : deep) {
    // Compared without printing: a failure would dump megabytes.
    const std::string result = TidySigns(d.Text);
    EXPECT_TRUE(result == d.Expected) << "input starts " << d.Text.substr(0, 40) << ", result starts "
                                      << result.substr(0, 40) << ", length " << result.size();
  }
}

// ---------------------------------------------------------------------------
// Value checks: a small evaluator for + - * / ^, unary signs, parentheses and
// numeric literals. A unary sign applies to the following power operand
// (-2^2 is -4, 2^-1 is 0.5), ^ is right-associative, the rest left.

class TEvaluator {
 public:
  explicit TEvaluator(std::string_view text) : Text(text) {}

  std::optional<double> Evaluate() {
    std::optional<double> v = Sum();
    if (!v || Pos != Text.size()) return std::nullopt;
    return v;
  }

 private:
  std::string_view Text;
  std::size_t Pos = 0;

  char Peek() const { return Pos < Text.size() ? Text[Pos] : '\0'; }

  std::optional<double> Sum() {
    std::optional<double> v = Product();
    while (v && (Peek() == '+' || Peek() == '-')) {
      const char op = Text[Pos++];
      std::optional<double> r = Product();
      if (!r) return std::nullopt;
      v = op == '+' ? *v + *r : *v - *r;
    }
    return v;
  }

  std::optional<double> Product() {
    std::optional<double> v = Signed();
    while (v && (Peek() == '*' || Peek() == '/')) {
      const char op = Text[Pos++];
      std::optional<double> r = Signed();
      if (!r) return std::nullopt;
      v = op == '*' ? *v * *r : *v / *r;
    }
    return v;
  }

  std::optional<double> Signed() {
    if (Peek() == '+' || Peek() == '-') {
      const char op = Text[Pos++];
      std::optional<double> v = Signed();
      if (!v) return std::nullopt;
      return op == '-' ? -*v : *v;
    }
    return Power();
  }

  std::optional<double> Power() {
    std::optional<double> base = Primary();
    if (!base || Peek() != '^') return base;
    ++Pos;
    std::optional<double> exponent = Signed();
    if (!exponent) return std::nullopt;
    return std::pow(*base, *exponent);
  }

  std::optional<double> Primary() {
    if (Peek() == '(') {
      ++Pos;
      std::optional<double> v = Sum();
      if (!v || Peek() != ')') return std::nullopt;
      ++Pos;
      return v;
    }
    const std::size_t start = Pos;
    while (std::isdigit(static_cast<unsigned char>(Peek())) || Peek() == '.') ++Pos;
    if (Peek() == 'e') {
      ++Pos;
      if (Peek() == '+' || Peek() == '-') ++Pos;
      while (std::isdigit(static_cast<unsigned char>(Peek()))) ++Pos;
    }
    if (Pos == start) return std::nullopt;
    return std::stod(std::string(Text.substr(start, Pos - start)));
  }
};

TEST(TextEvaluator, ReadsTheOperatorsAsTheCalculatorDoes) {
  struct TValueCase {
    const char* Text;
    double Value;
  };
  const TValueCase cases[] = {
      {"-2^2", -4}, {"2^3^2", 512}, {"8/2/2", 2},  {"2^-1", 0.5},  {"1-2-3", -4},
      {"2*-3", -6}, {"2--3", 5},    {"1e-1", 0.1}, {"(1+2)*3", 9}, {"8/-2*2", -8},
  };
  for (const TValueCase& c : cases) {
    std::optional<double> v = TEvaluator(c.Text).Evaluate();
    ASSERT_TRUE(v.has_value()) << c.Text;
    EXPECT_DOUBLE_EQ(*v, c.Value) << c.Text;
  }
  EXPECT_FALSE(TEvaluator("(1").Evaluate().has_value());
  EXPECT_FALSE(TEvaluator("1+").Evaluate().has_value());
}

// Random expressions rich in sign-bracket patterns such as -(-u), a/-(-u)
// and (-u)^v.
class TExpressionGenerator {
 public:
  explicit TExpressionGenerator(unsigned seed) : Rng(seed) {}

  std::string Next() { return Expression(3); }

 private:
  std::mt19937 Rng;

  int Pick(int n) { return static_cast<int>(Rng() % static_cast<unsigned>(n)); }
  char Sign() { return Pick(2) ? '-' : '+'; }

  std::string Number() {
    static const char* const numbers[] = {"1", "2", "3", "0.5", "1e-1", "2e1", "1.5e+1"};
    return numbers[Pick(7)];
  }

  std::string Expression(int depth) {
    if (depth == 0) return Number();
    static const char ops[] = {'+', '-', '*', '/', '^'};
    std::string r;
    switch (Pick(7)) {
      case 0: r = Number(); break;
      case 1:
        r += '(';
        r += Expression(depth - 1);
        r += ')';
        break;
      case 2:
      case 3:
        r += Sign();
        r += '(';
        r += Sign();
        r += Expression(depth - 1);
        r += ')';
        break;
      case 4:
        r += Sign();
        r += Expression(depth - 1);
        break;
      default:
        r += Expression(depth - 1);
        r += ops[Pick(5)];
        r += Expression(depth - 1);
        break;
    }
    return r;
  }
};

bool SameValue(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  if (a == b) return true;
  return std::fabs(a - b) <= 1e-12 * std::max(std::fabs(a), std::fabs(b));
}

TEST(TextPasses, RewritesKeepTheValueOfRandomExpressions) {
  TExpressionGenerator generator(2024);
  int signRewrites = 0;
  for (int iter = 0; iter < 30000; ++iter) {
    const std::string text = generator.Next();
    const std::optional<double> before = TEvaluator(text).Evaluate();
    ASSERT_TRUE(before.has_value()) << "generated: " << text;

    struct TPass {
      const char* Name;
      std::string Result;
    };
    const TPass passes[] = {
        {"RemoveRedundantParentheses", RemoveRedundantParentheses(text)},
        {"TidySigns", TidySigns(text)},
    };
    for (const TPass& p : passes) {
      const std::optional<double> after = TEvaluator(p.Result).Evaluate();
      ASSERT_TRUE(after.has_value()) << p.Name << ": " << text << " -> " << p.Result;
      ASSERT_TRUE(SameValue(*before, *after))
          << p.Name << ": " << text << " = " << *before << " -> " << p.Result << " = " << *after;
    }
    if (passes[1].Result != StripEnclosingParentheses(passes[0].Result)) ++signRewrites;
  }
  // The generator must actually exercise the sign rewrites.
  EXPECT_GT(signRewrites, 3000);
}

}  // namespace
}  // namespace helmax
