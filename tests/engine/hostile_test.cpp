// Hostile text: every input ends either compiled or in the error state,
// without a crash, hang or leak (this suite also runs under the sanitizers).
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "EngineTestUtil.h"

namespace helmax {
namespace {

// A code the engine names: one of its error codes, or a function's number.
bool IsKnownCode(int code) {
  return code > 0 || (code >= ecOutOfMemory && code <= ecNothingCompiled && code != -13 && code != -14);
}

enum class TOutcome { Refused, Ran, FailedToRun };

// Compiles and, when that works, evaluates; the state must be coherent.
TOutcome CompileAndRun(THelmaxComplexEval& e, const std::string& text) {
  e.VerifySyntaxSemantics(text);
  if (e.Error) {
    EXPECT_NE(e.ErrorCode, 0);
    EXPECT_FALSE(e.ErrorMessage.empty());
    EXPECT_EQ(e.ExpressionCount, 0);
    EXPECT_FALSE(ParseErrorLine(e).empty());
    return TOutcome::Refused;
  }
  EXPECT_GE(e.ExpressionCount, 1);
  if (e.DoVectorOfMathExpressions() == nullptr) {
    EXPECT_FALSE(ExecuteErrorLine(e).empty());
    return TOutcome::FailedToRun;
  }
  return TOutcome::Ran;
}

TEST(HostileText, OneMegabyteOfText) {
  THelmaxComplexEval e;
  std::string sum;
  for (int i = 0; i < 350000; ++i) sum += "x+";
  sum += "1";
  ASSERT_GE(sum.size(), 700000u);
  e.VerifySyntaxSemantics("x=1, " + sum);
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  TValue* const* r = e.DoVectorOfMathExpressions();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(ValueToText(*r[1]), "350001");

  std::string garbage(1 << 20, 'a');
  std::mt19937 rng(7);
  const std::string alphabet = "()+-*/^=~,.:0123456789xyz eE\x01\xff";
  for (char& c : garbage) c = alphabet[rng() % alphabet.size()];
  CompileAndRun(e, garbage);
}

TEST(HostileText, DeepNesting) {
  const int depth = 100000;
  THelmaxComplexEval e;
  CompileAndRun(e, std::string(depth, '(') + "x" + std::string(depth, ')'));
  EXPECT_FALSE(e.Error) << e.ErrorMessage;

  std::string chain;
  for (int i = 0; i < depth; ++i) chain += "(1+";
  chain += "(x=2)";
  chain += std::string(depth, ')');
  e.VerifySyntaxSemantics(chain);
  ASSERT_FALSE(e.Error) << e.ErrorMessage;
  TValue r;
  e.DoMathExpression(r);
  EXPECT_EQ(ValueToText(r), "100002");

  // Right-nested powers and signs.
  std::string powers;
  for (int i = 0; i < depth; ++i) powers += "1^-";
  powers += "x";
  CompileAndRun(e, powers);
  CompileAndRun(e, std::string(depth, '-') + "x");
  std::string calls = "x=0, ";
  for (int i = 0; i < depth; ++i) calls += "sin(";
  calls += "x" + std::string(depth, ')');
  CompileAndRun(e, calls);
  EXPECT_FALSE(e.Error) << e.ErrorMessage;
}

TEST(HostileText, UnbalancedBrackets) {
  THelmaxComplexEval e;
  for (const char* text :
       {"(", ")", "((x)", "(x))", ")x(", "x)(", "f(", "f(1,", "(((((", ")))))", "(()", "())(", "(1)(2)", ")1("}) {
    CompileAndRun(e, text);
    EXPECT_TRUE(e.Error) << text;
  }
  std::mt19937 rng(11);
  for (int i = 0; i < 2000; ++i) {
    std::string t;
    const int n = 1 + static_cast<int>(rng() % 30);
    for (int k = 0; k < n; ++k) t += "()x,+"[rng() % 5];
    CompileAndRun(e, t);
  }
}

TEST(HostileText, BracesAreRefused) {
  THelmaxComplexEval e;
  for (const char* text : {"{", "}", "{0}", "x+{1}", "sin({2})", "1e5{"}) {
    e.VerifySyntaxSemantics(text);
    ASSERT_TRUE(e.Error) << text;
    EXPECT_EQ(e.ErrorCode, -11) << text;
  }
}

TEST(HostileText, ControlCharacters) {
  THelmaxComplexEval e;
  for (int c = 1; c < 32; ++c) {
    const std::string text = "1+" + std::string(1, static_cast<char>(c)) + "2";
    CompileAndRun(e, text);
    EXPECT_TRUE(e.Error) << c;
  }
  std::string withNul = "1+";
  withNul += '\0';
  withNul += "2";
  CompileAndRun(e, withNul);
  EXPECT_TRUE(e.Error);
}

TEST(HostileText, NonAsciiBytes) {
  THelmaxComplexEval e;
  for (const char* text :
       {"\xff", "\xc3\xa9", "x\xe2\x82\xac", "\xe2\x82\xac=1", "sin(\xc3\xa9)", "\xf0\x9f\x98\x80(1)",
        "1\xc3\x97"
        "2"}) {
    CompileAndRun(e, text);
    EXPECT_TRUE(e.Error) << text;
  }
}

TEST(HostileText, RandomTokenSoup) {
  const char* tokens[] = {"x", "y",    "1",   "2.5",        "1e5",     "+",      "-",   "*",       "/",  "^",
                          "=", "~",    "(",   ")",          ",",       "sin",    "if",  "while",   "bk", "f",
                          "g", "true", "nan", "12.31.2008", "10:30pm", "random", "max", "complex", "0",  " "};
  std::mt19937 rng(2024);
  THelmaxComplexEval e;
  e.MaxIteration = 50;
  e.MaxFunctionDepth = 20;
  int refused = 0, ran = 0, failedToRun = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string t;
    const int n = 1 + static_cast<int>(rng() % 25);
    for (int k = 0; k < n; ++k) t += tokens[rng() % (sizeof tokens / sizeof *tokens)];
    const TOutcome outcome = CompileAndRun(e, t);
    if (outcome == TOutcome::Ran) {
      ++ran;
      continue;
    }
    (outcome == TOutcome::Refused ? refused : failedToRun) += 1;
    // Every failure is one the engine names, and none is the host's: the
    // limits keep a soup from exhausting memory or the native stack.
    EXPECT_TRUE(IsKnownCode(e.ErrorCode)) << t << " gave code " << e.ErrorCode;
    EXPECT_NE(e.ErrorCode, ecOutOfMemory) << t;
    EXPECT_NE(e.ErrorCode, ecFatal) << t;
  }
  // The soup reaches the compiler's refusals, evaluation and its failures.
  EXPECT_GT(refused, 10000);
  EXPECT_GT(ran, 500);
  EXPECT_GT(failedToRun, 100);
  std::printf("soup: %d refused, %d ran, %d failed to run\n", refused, ran, failedToRun);
}

}  // namespace
}  // namespace helmax
