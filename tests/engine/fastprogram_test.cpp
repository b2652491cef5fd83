// The fast form of a program against the interpreter: both engines compile
// the same text over the same cells, and every evaluation must agree to the
// bit (values, kinds, error state and messages), over ordinary values and
// the awkward ones (zeros of both signs, infinities, NaN, huge and tiny
// numbers, and values that are not reals at all).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "HelmaxComplexEval.h"

namespace helmax {
namespace {

struct TCells {
  TValue A, B, C;
  TUserVarArray Variables() { return {{"a", &A, 0}, {"b", &B, 0}, {"c", &C, 0}}; }
};

bool SameValue(const TValue& x, const TValue& y) {
  if (x.Kind != y.Kind) return false;
  switch (x.Kind) {
    case TValueKind::Null: return true;
    case TValueKind::Boolean: return x.Bool == y.Bool;
    case TValueKind::Currency: return x.Cur == y.Cur;
    case TValueKind::Complex: return std::memcmp(&x.Cx, &y.Cx, sizeof x.Cx) == 0;
    default: return std::memcmp(&x.Num, &y.Num, sizeof x.Num) == 0;
  }
}

std::string Describe(const THelmaxComplexEval& e, TValue* const* results) {
  if (e.Error) return "error " + std::to_string(e.ErrorCode) + " " + e.ErrorMessage;
  std::string out;
  for (int i = 0; i < e.ExpressionCount; ++i) out += ValueToText(*results[i]) + "; ";
  return out;
}

// Two engines over one set of cells: one may use its fast form, the other
// always interprets.
class TPair {
 public:
  explicit TPair(const std::string& text) {
    Fast_.VerifySyntaxSemantics(text, Cells.Variables(), false);
    Plain_.SetFastPrograms(false);
    Plain_.VerifySyntaxSemantics(text, Cells.Variables(), false);
  }
  bool Compiled() const { return !Fast_.Error && !Plain_.Error; }
  bool FastReady() const { return Fast_.FastProgramReady(); }

  // Evaluates both; "" when they agree, else both outcomes.
  std::string Disagreement() {
    TValue* const* fast = Fast_.DoVectorOfMathExpressions();
    std::vector<TValue> fastValues;
    for (int i = 0; fast != nullptr && i < Fast_.ExpressionCount; ++i) fastValues.push_back(*fast[i]);
    TValue* const* plain = Plain_.DoVectorOfMathExpressions();
    bool same = Fast_.Error == Plain_.Error && Fast_.ErrorCode == Plain_.ErrorCode &&
                Fast_.ErrorMessage == Plain_.ErrorMessage && Fast_.MathErrorKind == Plain_.MathErrorKind &&
                (fast == nullptr) == (plain == nullptr);
    for (std::size_t i = 0; same && plain != nullptr && i < fastValues.size(); ++i)
      same = SameValue(fastValues[i], *plain[i]);
    if (!same) return "fast: " + Describe(Fast_, fast) + " / interpreted: " + Describe(Plain_, plain);
    // DoMathExpression takes the same path for a single expression.
    if (Fast_.ExpressionCount == 1) {
      TValue x, y;
      Fast_.DoMathExpression(x);
      Plain_.DoMathExpression(y);
      if (!SameValue(x, y) || Fast_.Error != Plain_.Error || Fast_.ErrorMessage != Plain_.ErrorMessage)
        return "DoMathExpression: " + ValueToText(x) + " / " + ValueToText(y);
    }
    return "";
  }

  TCells Cells;

 private:
  THelmaxComplexEval Fast_;
  THelmaxComplexEval Plain_;
};

// Values of every kind, the awkward reals often.
class TValueSource {
 public:
  explicit TValueSource(std::uint64_t seed) : Rng_(seed) {}

  TValue Next() {
    const int pick = Int(0, 99);
    if (pick < 55) return TValue::MakeReal(Uniform(-10.0, 10.0));
    if (pick < 65) return TValue::MakeReal(std::ldexp(Uniform(-1.0, 1.0), Int(-1080, 1030)));
    if (pick < 85) {
      constexpr double kInf = std::numeric_limits<double>::infinity();
      const double special[] = {0.0,   -0.0,   1.0,    -1.0,  2.0,
                                0.5,   1.5,    kInf,   -kInf, std::numeric_limits<double>::quiet_NaN(),
                                1e308, -1e308, 5e-324, 1e-300};
      return TValue::MakeReal(special[Int(0, std::size(special) - 1)]);
    }
    switch (Int(0, 4)) {
      case 0: return TValue::MakeComplex(Uniform(-3.0, 3.0), Uniform(-3.0, 3.0));
      case 1: return TValue::MakeCurrency(Int(-100000, 100000));
      case 2: return TValue::MakeBool(Int(0, 1) == 1);
      case 3: return TValue::MakeDateTime(Uniform(0.0, 50000.0));
      default: return TValue();
    }
  }

  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(Rng_); }
  double Uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(Rng_); }

 private:
  std::mt19937_64 Rng_;
};

void ExpectAgreement(const std::string& text, int evaluations, std::uint64_t seed, bool mustBeFast) {
  TPair pair(text);
  ASSERT_TRUE(pair.Compiled()) << text;
  TValueSource values(seed);
  for (int k = 0; k < evaluations; ++k) {
    pair.Cells.A = values.Next();
    pair.Cells.B = values.Next();
    pair.Cells.C = values.Next();
    const std::string d = pair.Disagreement();
    ASSERT_EQ(d, "") << text << " at a=" << ValueToText(pair.Cells.A) << " b=" << ValueToText(pair.Cells.B)
                     << " c=" << ValueToText(pair.Cells.C);
  }
  if (mustBeFast) { EXPECT_TRUE(pair.FastReady()) << text; }
}

// The engine benchmark's race expressions, and forms that take each kind of
// step (jumps, copies, a missing else, steps run the interpreter's way).
TEST(FastProgram, AgreesWithTheInterpreterToTheBit) {
  const char* const texts[] = {"a+b",
                               "(2*a+1)*3",
                               "1.1*a^2 + 2.2*b^3 + 3.3*c^4",
                               "1/(a*sqrt(2*pi))*e^(-0.5*((b-a)/a)^2)",
                               "(((((((7*a+6)*a+5)*a+4)*a+3)*a+2)*a+1)*a+0.1)",
                               "7*a^7+6*a^6+5*a^5+4*a^4+3*a^3+2*a^2+1*a^1+0.1",
                               "sqrt(a^2+b^2)",
                               "a/((a+b)*(a-b))/b",
                               "-a*-b",
                               "(5.5+a)+(2*a-2/3*b)*(a/3+b/4)+(c+7.7)",
                               "abs(sin(sqrt(a^2+b^2))*255)",
                               "(a^2/sin(2*pi/b))-a/2",
                               "sin(2*a)+cos(pi/b)",
                               "if(gr(a,1.5), if(gr(b,0.5), a+b, a-b), b)",
                               "max(a,b,c)",
                               "min(a,b)+max(b,c)",
                               "if(ls(a,b), a*a)",
                               "if(and(gr(a,0),ls(b,0)), exp(a), ln(b))+1",
                               "a*a+b*b, a-b, if(eq(a,b), c, -c)",
                               "a^b + a^(1/3) + b^0.5 + c^-2",
                               "if(a, b, c)",
                               "c^2",
                               "sqrt(a)*sqrt(a)+(a+b)*(a+b)",
                               "5",
                               "a",
                               "cos(a)^2+sin(a)^2",
                               "power(a, 3)/exp(b)",
                               "if(greq(a,b), a, b)*if(lseq(a,c), a, c)",
                               "a^5 - b^-3 + (a*b)^6 + a^-1 + a^0 + a^1",
                               "(a+b)^2147483647 + c^-2147483648 + b^2147483648"};
  std::uint64_t seed = 1;
  for (const char* text : texts) ExpectAgreement(text, 3000, seed++, true);
}

// Each arithmetic step (four operations, each with its operands in cells,
// in the register or both) alone, followed by each "register op cell", and
// by two: as the last step of a program, these return the result.
TEST(FastProgram, FusedStepsAgreeWithTheInterpreter) {
  const char* const firsts[] = {"a@b", "sqrt(a)@b", "a@sqrt(b)", "sqrt(a)@sqrt(a)"};
  std::uint64_t seed = 100;
  for (const char* first : firsts)
    for (char op1 : std::string("+-*/")) {
      std::string single = first;
      for (std::size_t at; (at = single.find('@')) != std::string::npos;) single[at] = op1;
      ExpectAgreement(single, 200, seed++, true);
      for (char op2 : std::string("+-*/")) {
        const std::string pair = "(" + single + ")" + op2 + "c";
        ExpectAgreement(pair, 200, seed++, true);
        for (char op3 : std::string("+-*/")) ExpectAgreement("(" + pair + ")" + op3 + "b", 200, seed++, true);
      }
    }
}

// Seven variables take two guard steps of three and the end's check: a value
// that is not a real in any of them sends the run to the interpreter.
TEST(FastProgram, EveryVariableIsChecked) {
  const std::string text = "v1*v2+v3-v4*v5/v6+v7";
  std::vector<TValue> cells(7, TValue::MakeReal(1.5));
  TUserVarArray variables;
  for (std::size_t i = 0; i < cells.size(); ++i) variables.push_back({"v" + std::to_string(i + 1), &cells[i], 0});
  THelmaxComplexEval fast, plain;
  plain.SetFastPrograms(false);
  fast.VerifySyntaxSemantics(text, variables, false);
  plain.VerifySyntaxSemantics(text, variables, false);
  TValue x, y;
  fast.DoMathExpression(x);
  fast.DoMathExpression(x);
  ASSERT_TRUE(fast.FastProgramReady());
  for (const TValue& odd : {TValue::MakeComplex(1.0, 2.0), TValue::MakeBool(true), TValue::MakeCurrency(20000)}) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
      cells[i] = odd;
      fast.DoMathExpression(x);
      plain.DoMathExpression(y);
      EXPECT_TRUE(SameValue(x, y) && fast.Error == plain.Error && fast.ErrorMessage == plain.ErrorMessage)
          << "v" << i + 1 << " = " << ValueToText(odd) << ": " << ValueToText(x) << " / " << ValueToText(y);
      cells[i] = TValue::MakeReal(1.5);
    }
  }
}

// Random expressions over a, b and c.
class TExpressionSource {
 public:
  explicit TExpressionSource(std::uint64_t seed) : Values_(seed) {}

  std::string Next(int depth) {
    const int leaf = depth <= 0 ? 0 : Values_.Int(0, 9);
    if (leaf < 2) {
      const char* const leaves[] = {"a", "b", "c", "2", "0.5", "-1", "3", "0", "pi", "1e300"};
      return leaves[Values_.Int(0, std::size(leaves) - 1)];
    }
    const std::string x = Next(depth - 1);
    switch (Values_.Int(0, 13)) {
      case 0: return "(" + x + "+" + Next(depth - 1) + ")";
      case 1: return "(" + x + "-" + Next(depth - 1) + ")";
      case 2: return "(" + x + "*" + Next(depth - 1) + ")";
      case 3: return "(" + x + "/" + Next(depth - 1) + ")";
      case 4: return "(" + x + "^" + Next(depth - 1) + ")";
      case 5: {
        const char* const f[] = {"sqrt", "abs", "exp", "sin", "cos", "ln", "tan", "int"};
        return std::string(f[Values_.Int(0, std::size(f) - 1)]) + "(" + x + ")";
      }
      case 6: return "max(" + x + "," + Next(depth - 1) + ")";
      case 7: {
        const char* const c[] = {"eq", "uneq", "ls", "gr", "lseq", "greq"};
        return "if(" + std::string(c[Values_.Int(0, 5)]) + "(" + x + "," + Next(depth - 1) + ")," + Next(depth - 1) +
               (Values_.Int(0, 3) == 0 ? "" : "," + Next(depth - 1)) + ")";
      }
      case 8: return "(" + x + "^" + std::to_string(Values_.Int(-2, 7)) + ")";
      case 9: return "(" + x + "*" + x + ")";
      default: return "(" + x + "+" + Next(depth - 1) + "*" + Next(depth - 1) + ")";
    }
  }

 private:
  TValueSource Values_;
};

TEST(FastProgram, RandomExpressionsAgreeWithTheInterpreter) {
  TExpressionSource source(2026);
  int fast = 0;
  constexpr int kExpressions = 400;
  for (int i = 0; i < kExpressions; ++i) {
    // Every third text is a list, whose expressions share parts.
    std::string text = source.Next(1 + i % 5);
    if (i % 3 == 0) text += ", " + source.Next(2) + ", " + text + "*2";
    TPair pair(text);
    if (!pair.Compiled()) continue;
    TValueSource values(static_cast<std::uint64_t>(i));
    for (int k = 0; k < 150; ++k) {
      pair.Cells.A = values.Next();
      pair.Cells.B = values.Next();
      pair.Cells.C = values.Next();
      const std::string d = pair.Disagreement();
      ASSERT_EQ(d, "") << text << " at a=" << ValueToText(pair.Cells.A) << " b=" << ValueToText(pair.Cells.B)
                       << " c=" << ValueToText(pair.Cells.C);
    }
    fast += pair.FastReady() ? 1 : 0;
  }
  // Most of them have a fast form, so the comparison is not an empty one.
  EXPECT_GT(fast, kExpressions / 2);
}

// Programs with effects (assignments, loops, calls, random numbers) always
// run the interpreter's way: the fast form may repeat its steps.
TEST(FastProgram, ProgramsWithEffectsHaveNone) {
  for (const char* text : {"a=b+1", "while(ls(a,3), a=a+1)", "f(x)~x*2, f(a)", "random(10)+a"}) {
    THelmaxComplexEval e;
    TValue a = TValue::MakeReal(1.0), b = TValue::MakeReal(2.0);
    e.VerifySyntaxSemantics(text, TUserVarArray{{"a", &a, 0}, {"b", &b, 0}}, true);
    ASSERT_FALSE(e.Error) << text << ": " << e.ErrorMessage;
    for (int k = 0; k < 3; ++k) e.DoVectorOfMathExpressions();
    EXPECT_FALSE(e.FastProgramReady()) << text;
  }
}

}  // namespace
}  // namespace helmax
