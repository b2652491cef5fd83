// Typing help without windows: token classes, completions, brackets, where
// errors lie and where aligned results go.
#include <gtest/gtest.h>

#include "BuiltinCatalogue.h"
#include "CalculatorTestUtil.h"
#include "TypingHelp.h"

namespace helmax {
namespace {

using C = TTokenClass;
using test::TCalculatorFixture;

// "text:class" for every token of a line, joined by blanks.
std::string Classes(TCalculatorFixture& f, const std::string& line) {
  TNameCatalogue names;
  names.Rebuild(f.Calc.DefinitionsEngine(), f.Calc.Constants());
  TLineClassifier classifier;
  static const char* const kNames[] = {"num", "date", "builtin", "pack", "userfn", "var", "const", "op", "unknown"};
  std::string out;
  for (const TTokenSpan& s : classifier.Classify(line, names)) {
    if (!out.empty()) out += ' ';
    out += line.substr(s.Start, s.Length) + ":" + kNames[static_cast<int>(s.Class)];
  }
  return out;
}

TEST(TokenClasses, EachClassOnItsTokens) {
  TCalculatorFixture f;  // default definitions: f(x)~Sin(x), Fact(n)~..., y=1/3
  const std::pair<const char*, const char*> cases[] = {
      {"2.5e-3 + 12.31.2008 * 10:30pm", "2.5e-3:num +:op 12.31.2008:date *:op 10:30pm:date"},
      {"Sin(x) + PI", "Sin:builtin (:op x:var ):op +:op PI:builtin"},
      {"NormalLess(y) - Now", "NormalLess:pack (:op y:var ):op -:op Now:pack"},
      {"f(2)+Fact(3)*STEP", "f:userfn (:op 2:num ):op +:op Fact:userfn (:op 3:num ):op *:op STEP:const"},
      {"z = q + 1", "z:var =:op q:unknown +:op 1:num"},
      {"g(t)~t*2", "g:userfn (:op t:unknown ):op ~:op t:unknown *:op 2:num"},
      {"  sin ( x )  ", "sin:builtin (:op x:var ):op"},
      {"2 x", "2 x:unknown"},  // blanks between operands: one unreadable token
      {"1e+ 2", "1e+ 2:num"},  // read as the engine reads it: 1e+2
      {"caf\xC3\xA9 + {1}", "caf\xC3\xA9:unknown +:op {1}:unknown"},
      {"", ""},
  };
  for (const auto& [line, expected] : cases) EXPECT_EQ(Classes(f, line), expected) << line;
}

TEST(TokenClasses, ALongLineKeepsEveryToken) {
  TCalculatorFixture f;
  std::string line;
  for (int i = 0; i < 20000; ++i) line += i == 0 ? "x" : "+x";
  TNameCatalogue names;
  names.Rebuild(f.Calc.DefinitionsEngine(), f.Calc.Constants());
  TLineClassifier classifier;
  const std::vector<TTokenSpan>& spans = classifier.Classify(line, names);
  ASSERT_EQ(spans.size(), 39999u);
  EXPECT_EQ(spans.back().Start, line.size() - 1);
  EXPECT_EQ(spans.back().Class, C::Variable);
}

TEST(Completions, PrefixCaseAndTheDefinitionsNames) {
  TCalculatorFixture f;
  TNameCatalogue names;
  names.Rebuild(f.Calc.DefinitionsEngine(), f.Calc.Constants());
  auto first = [&](const char* prefix) {
    std::vector<std::string> out;
    for (const TNameEntry* e : names.Completions(prefix, 4)) out.push_back(e->Name + e->Arguments);
    return out;
  };
  EXPECT_EQ(first("sin"), (std::vector<std::string>{"sin(x)", "sinh(x)"}));
  EXPECT_EQ(first("SIN"), first("sin"));
  EXPECT_EQ(first("normalz"), std::vector<std::string>{"NormalZ(x1)"});
  EXPECT_EQ(first("fa"), (std::vector<std::string>{"fact(n)", "false"}));
  EXPECT_TRUE(first("nothinglikethis").empty());
  const TNameEntry* help = names.Completions("max", 1).front();
  EXPECT_EQ(help->Help, BuiltinHelpText(opMax));
  EXPECT_EQ(help->Description, "Largest of its arguments (one or more numbers). Example: max(3, 7, 5) = 7");
  EXPECT_EQ(names.Completions("normalz", 1).front()->Description.rfind("Density of the standard normal", 0), 0u);
  EXPECT_EQ(names.Completions("fact", 1).front()->Description, "");
  // A definitions change brings its names.
  f.Define("speed(t)~t*3, dist=7");
  names.Rebuild(f.Calc.DefinitionsEngine(), f.Calc.Constants());
  EXPECT_EQ(first("spe"), std::vector<std::string>{"speed(t)"});
  EXPECT_EQ(names.Completions("dist", 1).front()->Help, "variable = 7");
  EXPECT_TRUE(first("fa") == std::vector<std::string>{"false"});
}

TEST(Brackets, PartnersNestedAndUnmatched) {
  const std::u16string text = u"f((a+b)*(c)) + (d";
  EXPECT_EQ(MatchingBracket(text, 1), 11);  // the call's brackets
  EXPECT_EQ(MatchingBracket(text, 11), 1);
  EXPECT_EQ(MatchingBracket(text, 2), 6);
  EXPECT_EQ(MatchingBracket(text, 8), 10);
  EXPECT_EQ(MatchingBracket(text, 15), -1);  // never closed
  EXPECT_EQ(MatchingBracket(u")(", 0), -1);
  EXPECT_EQ(MatchingBracket(text, 0), -2);               // no bracket there
  EXPECT_EQ(MatchingBracket(u"(((((x)))))", 0, 3), -1);  // beyond reach
}

TEST(PaneLayout, ExpressionsFragmentsAndAlignedResults) {
  const std::string pane = " 1+1,\n max(2, 3) ,\n\n y*2";
  const auto ranges = ExpressionRanges(pane);
  ASSERT_EQ(ranges.size(), 3u);
  EXPECT_EQ(pane.substr(ranges[1].first, ranges[1].second - ranges[1].first), "max(2, 3)");
  EXPECT_EQ(pane.substr(ranges[2].first, ranges[2].second - ranges[2].first), "y*2");
  EXPECT_TRUE(ExpressionRanges(" \n ").empty());

  const auto fragment = FragmentRange("a + 1 / 0 , b", "ExceptieExprConst-> EZeroDivide : 1 / 0");
  ASSERT_TRUE(fragment);
  EXPECT_EQ(fragment->first, 4u);
  EXPECT_EQ(fragment->second, 9u);
  EXPECT_FALSE(FragmentRange("1+1", "Compile-> SYNTAX ERROR :zz"));
  EXPECT_FALSE(FragmentRange("1+1", "no colon here"));

  EXPECT_EQ(ExpressionLines(pane), (std::vector<int>{0, 1, 3}));
  EXPECT_FALSE(ExpressionLines("1+1, 2\n3"));  // two on one line
  EXPECT_FALSE(ExpressionLines("1+\n1"));      // one over two lines
  EXPECT_EQ(AlignedResults({"2", "3", "y2"}, {0, 1, 3}, 4), "2\n3\n\ny2");
}

TEST(PaneLayout, TheCalculatorLocatesItsErrors) {
  TCalculatorFixture f;
  f.Eval("1+1,\n  1/(y-y) , 3");
  ASSERT_TRUE(f.Calc.ExpressionsErrorRange());
  EXPECT_EQ(f.Calc.Expressions().substr(f.Calc.ExpressionsErrorRange()->first, 7), "1/(y-y)");
  f.Eval("2*f(1), 1/0");  // the retry with the run-time functions in front
  ASSERT_TRUE(f.Calc.ExpressionsErrorRange());
  EXPECT_EQ(f.Calc.ExpressionsErrorRange()->first, 8u);
  f.Eval("1+1");
  EXPECT_FALSE(f.Calc.ExpressionsErrorRange());
}

}  // namespace
}  // namespace helmax
