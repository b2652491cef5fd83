// The undo history: entries, Undo/Redo/Current/Clear sequences and the
// index panel, alone and through the calculator.
#include <gtest/gtest.h>

#include "CalculatorTestUtil.h"

namespace helmax {
namespace {

using test::TCalculatorFixture;

// One step of a sequence and the state after it.
struct TStep {
  char Op;  // 'a' add (Text), 'u' undo, 'r' redo, 't' actual, 'c' clear
  const char* Text;
  const char* Restored;  // entry handed back, or nullptr
  const char* Panel;
  bool Undo, Redo;
};

void RunSteps(const std::vector<TStep>& steps) {
  THistory h;
  int n = 0;
  for (const TStep& s : steps) {
    std::optional<std::string> restored;
    switch (s.Op) {
      case 'a': h.Add(s.Text); break;
      case 'u': restored = h.Undo(); break;
      case 'r': restored = h.Redo(); break;
      case 't': restored = h.Current(); break;
      case 'c': h.Clear(); break;
    }
    ++n;
    EXPECT_EQ(restored.value_or("-"), s.Restored ? s.Restored : "-") << "step " << n;
    EXPECT_EQ(h.PanelText(), s.Panel) << "step " << n;
    EXPECT_EQ(h.UndoEnabled(), s.Undo) << "step " << n;
    EXPECT_EQ(h.RedoEnabled(), s.Redo) << "step " << n;
  }
}

TEST(History, OneEntryUndoThenRedo) {
  RunSteps({
      {'a', "A", nullptr, "History Index: 1/1", true, false},
      {'u', "", "A", "History Index: 0/1", false, true},
      {'u', "", nullptr, "History Index: 0/1", false, true},  // disabled: nothing moves
      {'r', "", nullptr, "History Index: 1/1", true, false},  // nothing to restore
      {'r', "", nullptr, "History Index: 1/1", true, false},
      {'t', "", nullptr, "History Index: 1/1", true, false},
  });
}

TEST(History, WalkingThroughThreeEntries) {
  RunSteps({
      {'a', "A", nullptr, "History Index: 1/1", true, false},
      {'a', "B", nullptr, "History Index: 2/2", true, false},
      {'a', "b", nullptr, "History Index: 2/2", true, false},  // equal ignoring case
      {'a', "C", nullptr, "History Index: 3/3", true, false},
      {'u', "", "C", "History Index: 2/3", true, true},
      {'u', "", "B", "History Index: 1/3", true, true},
      {'t', "", "B", "History Index: 1/3", true, true},
      {'u', "", "A", "History Index: 0/3", false, true},
      {'r', "", "B", "History Index: 1/3", true, true},
      {'r', "", "C", "History Index: 2/3", true, false},
      {'u', "", "B", "History Index: 1/3", true, true},
      {'a', "D", nullptr, "History Index: 4/4", true, false},
      {'c', "", nullptr, "History Index: 0/0", false, false},
      {'u', "", nullptr, "History Index: 0/0", false, false},
      {'r', "", nullptr, "History Index: 0/0", false, false},
      {'t', "", nullptr, "History Index: 0/0", false, false},
  });
}

TEST(HistoryOfTheCalculator, ClearTakesAtMostTwoEntries) {
  TCalculatorFixture f;
  EXPECT_EQ(f.Calc.HistoryPanelText(), "History Index: 0/0");  // no default file: no history
  f.Eval("1+1");
  f.Calc.ClearExpressions();
  EXPECT_EQ(f.Calc.Expressions(), "");
  EXPECT_EQ(f.Calc.Results(), "");
  f.Calc.ClearExpressions();
  f.Calc.ClearExpressions();
  EXPECT_EQ(f.Calc.HistoryPanelText(), "History Index: 2/2");
  EXPECT_NE(f.Calc.History().Entries()[0].find("RESULTS\r\n{\r\n2\r\n}"), std::string::npos);
}

TEST(HistoryOfTheCalculator, UndoRestoresTheWholeState) {
  TCalculatorFixture f;
  f.Define("y=2");
  f.Eval("y*10");
  f.Calc.ClearExpressions();  // entry 1: y=2, y*10
  ASSERT_TRUE(f.Calc.Constants().AddConst(7, "c", "5", ""));
  f.Define("y=c");
  f.Eval("y+1");
  f.Calc.ClearExpressions();  // entry 2: c, y=c, y+1
  f.Calc.Undo();              // keeps the cleared panes as entry 3 first
  EXPECT_EQ(f.Calc.Definitions(), "y=c");
  EXPECT_EQ(f.Calc.Expressions(), "y+1");
  EXPECT_EQ(f.Calc.Results(), "6");
  f.Calc.Undo();
  EXPECT_EQ(f.Calc.Definitions(), "y=2");
  EXPECT_EQ(f.Calc.Results(), "20");
  EXPECT_EQ(f.Calc.Constants().RowCount(), 7);
  EXPECT_EQ(f.Calc.HistoryPanelText(), "History Index: 0/3");
  f.Calc.Redo();
  EXPECT_EQ(f.Calc.Constants().RowCount(), 8);
  EXPECT_EQ(f.Calc.Results(), "6");
  // Restoring adds nothing.
  EXPECT_EQ(f.Calc.History().Count(), 3);
  EXPECT_TRUE(f.Ui.Messages.empty());
}

// Panes typed since the last entry are kept by the step back, so that a
// step forward brings them again.
TEST(HistoryOfTheCalculator, UndoKeepsWhatWasTypedForRedo) {
  TCalculatorFixture f;
  f.Eval("1+1");
  f.Calc.ClearExpressions();  // entry: 1+1
  f.Eval("typed but never kept");
  f.Define("y=7");
  f.Calc.Undo();
  EXPECT_EQ(f.Calc.Expressions(), "1+1");
  EXPECT_EQ(f.Calc.Definitions(), DefaultDocumentTexts().Definitions);
  f.Calc.Redo();
  EXPECT_EQ(f.Calc.Expressions(), "typed but never kept");
  EXPECT_EQ(f.Calc.Definitions(), "y=7");
  // Nothing typed since: Undo and Redo only move, adding nothing.
  const int kept = f.Calc.History().Count();
  f.Calc.Undo();
  f.Calc.Redo();
  EXPECT_EQ(f.Calc.History().Count(), kept);
  EXPECT_EQ(f.Calc.Definitions(), "y=7");
}

TEST(HistoryOfTheCalculator, BracesAreNotKept) {
  TCalculatorFixture f;
  f.Calc.SetExpressions("{");
  f.Calc.ClearExpressions();
  EXPECT_EQ(f.Calc.Expressions(), "{");
  EXPECT_EQ(f.Calc.History().Count(), 0);
  EXPECT_EQ(f.Ui.Messages.size(), 1u);
}

TEST(HistoryOfTheCalculator, ABadSnapshotChangesNothing) {
  TCalculatorFixture f;
  f.Define("y=5");
  EXPECT_FALSE(f.Calc.RestoreSnapshot("{}{x}{y=1}"));
  EXPECT_EQ(f.Ui.Messages, std::vector<std::string>{"CitesteString -> Bad format"});
  EXPECT_EQ(f.Calc.Definitions(), "y=5");
}

}  // namespace
}  // namespace helmax
