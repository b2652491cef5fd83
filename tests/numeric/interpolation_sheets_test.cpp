// Interpolation sheets as the calculator uses them: cells that are
// expressions, Lagrange and CubicSpline in expressions, staleness after
// edits, the Edit commands and the .dat files.
#include <gtest/gtest.h>

#include "../app/CalculatorTestUtil.h"
#include "../common/HostileFiles.h"
#include "../common/TempFolder.h"
#include "InterpolationSheets.h"
#include "TextFile.h"

using namespace helmax;

namespace {

struct Sheets : ::testing::Test {
  test::TCalculatorFixture F;
  TInterpolationSheets& S = F.Calc.InterpolationSheets();

  // Fills a sheet with exactly these rows.
  void Fill(int sheet, const std::vector<std::pair<std::string, std::string>>& rows) {
    S.SetRowCount(sheet, static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
      S.SetCell(sheet, static_cast<int>(i), scX, rows[i].first);
      S.SetCell(sheet, static_cast<int>(i), scF, rows[i].second);
    }
  }
  // The message of an external function's failure, as the results pane
  // shows it: "Invalid value for NAME :  " + message in lower case + " : NONMATH".
  std::string Failure(const std::string& expression) {
    const std::string line = F.Eval(expression);
    const std::string marker = " :  ", kind = " : NONMATH";
    const std::size_t at = line.find(marker);
    const std::size_t end = line.rfind(kind);
    if (!test::StartsWith(line, "Invalid value for ") || at == std::string::npos || end == std::string::npos ||
        end + kind.size() != line.size())
      return "no failure: " + line;
    return line.substr(at + marker.size(), end - at - marker.size());
  }
};

TEST_F(Sheets, LagrangeAndSplinesInExpressions) {
  Fill(0, {{"0", "0"}, {"1", "1"}, {"2", "4"}, {"3", "9"}});
  EXPECT_EQ(F.Eval("Lagrange(1.5, 1)"), "2.25");
  Fill(0, {{"0", "0"}, {"1", "1"}, {"2", "0"}, {"3", "1"}});
  // M = 0, -4, 4, 0: at 0.5, f(1) + s·t + M(1)·t²/2 + g·t³/6 with h = 1,
  // t = -0.5, g = -4, s = -2 + 4/6 + 1.
  EXPECT_EQ(F.Eval("CubicSpline(0.5, 1), CubicSpline(2, 1), CubicSpline(3, 1)"),
            test::Real(1 + (-2 + 4.0 / 6 + 1) * -0.5 - 4 * 0.25 / 2 - 4 * -0.125 / 6) + "\n0\n1");
}

TEST_F(Sheets, CellsAreExpressionsAndPointsAreSorted) {
  Fill(0, {{"3", "3^2"}, {"pi-pi", "0"}, {"sqrt(4)", "Lagrange(2,2)"}, {"1", "1"}});
  Fill(S.AddSheet(), {{"0", "4"}, {"4", "4"}});
  // A cell may interpolate over another sheet whose points are read.
  EXPECT_EQ(F.Eval("Lagrange(2, 2)"), "4");
  EXPECT_EQ(F.Eval("Lagrange(1.5, 1)"), "2.25");
}

TEST_F(Sheets, EditsMakeThePointsStale) {
  Fill(0, {{"0", "0"}, {"1", "1"}, {"2", "4"}, {"3", "9"}});
  EXPECT_EQ(F.Eval("Lagrange(1.5, 1)"), "2.25");
  EXPECT_FALSE(F.Calc.DefinitionsStale());
  S.SetCell(0, 3, scF, "16");
  EXPECT_TRUE(F.Calc.DefinitionsStale());
  EXPECT_EQ(F.Eval("Lagrange(1.5, 1)"), "1.8125");
  // Definitions that interpolate are compiled again after an edit.
  F.Define("v=Lagrange(1.5,1)");
  EXPECT_EQ(F.Eval("v"), "1.8125");
  S.SetCell(0, 3, scF, "9");
  EXPECT_EQ(F.Eval("v"), "2.25");
}

struct TFailureCase {
  const char* Name;
  std::vector<std::pair<std::string, std::string>> Rows;
  const char* Expression;
  const char* Message;  // lower case: the error line lowers the detail
};

class SheetFailures : public Sheets, public ::testing::WithParamInterface<TFailureCase> {};

TEST_P(SheetFailures, NameTheirCause) {
  Fill(0, GetParam().Rows);
  S.AddSheet();
  EXPECT_EQ(Failure(GetParam().Expression), GetParam().Message);
}

const std::vector<std::pair<std::string, std::string>> kFour = {{"0", "0"}, {"1", "1"}, {"2", "0"}, {"3", "1"}};

INSTANTIATE_TEST_SUITE_P(
    Cases, SheetFailures,
    ::testing::Values(
        TFailureCase{
            "TooFewForLagrange", {{"1", "1"}}, "Lagrange(1,1)", "sheet1: number of interpolating points must be >=2"},
        TFailureCase{"TooFewForSpline",
                     {{"0", "0"}, {"1", "1"}, {"2", "0"}},
                     "CubicSpline(1,1)",
                     "sheet1: number of interpolating points must be >=4"},
        TFailureCase{"Outside", kFour, "Lagrange(5,1)", "not defined for this arguments: 5"},
        TFailureCase{"SheetNumber", kFour, "Lagrange(1,3)", "sheet number must be between 1 and 2"},
        TFailureCase{"SheetNotWhole", kFour, "Lagrange(1,1.5)", "incorrect integer type: sheet number"},
        TFailureCase{"NotReal", kFour, "Lagrange(true,1)", "incorrect real type for the parameter 1"},
        TFailureCase{"EqualX",
                     {{"0", "0"}, {"1", "1"}, {"1", "2"}, {"2", "3"}},
                     "Lagrange(0.5,1)",
                     "sheet1: rows 2 and 3 have the same x (1)"},
        TFailureCase{"EqualXSpline",
                     {{"2", "0"}, {"1", "1"}, {"0", "2"}, {"1", "3"}, {"2", "0"}},
                     "CubicSpline(0.5,1)",
                     "sheet1: rows 1 and 5 have the same x (2)"},
        TFailureCase{"BadCell",
                     {{"0", "0"}, {"1", "1"}, {"abc", "2"}},
                     "Lagrange(0.5,1)",
                     "sheet1: interpolation x[3]: undefined variable :  abc"},
        TFailureCase{
            "BadValue", {{"0", "0"}, {"1", "1/0"}}, "Lagrange(0.5,1)", "sheet1: interpolation f(x[2]): division by 0"},
        TFailureCase{"EmptyCell",
                     {{"0", "0"}, {"1", ""}},
                     "Lagrange(0.5,1)",
                     "sheet1: interpolation f(x[2]): mathematical expression is empty"},
        TFailureCase{"NaNX",
                     {{"0", "0"}, {"nan", "1"}},
                     "Lagrange(0.5,1)",
                     "sheet1: interpolation x[2]: x must be a finite number, not -nan"},
        // A cell that interpolates over its own stale sheet is refused, not
        // read again without end.
        TFailureCase{"ReadsItself",
                     {{"0", "0"}, {"1", "Lagrange(0,1)"}},
                     "Lagrange(0.5,1)",
                     "sheet1: interpolation f(x[2]): invalid value for lagrange :  "
                     "sheet1: a cell of an interpolation sheet cannot interpolate over a stale sheet : nonmath"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(Sheets, PeriodicSplinesNeedEqualEnds) {
  Fill(0, kFour);
  S.SetSplineKind(0, TSplineKind::Periodic);
  EXPECT_EQ(Failure("CubicSpline(1,1)"), "sheet1: bad condition for periodic spline: begin point <> end point value");
  S.SetCell(0, 3, scF, "0");
  EXPECT_EQ(F.Eval("CubicSpline(0,1), CubicSpline(3,1)"), "0\n0");
}

TEST_F(Sheets, ANaNResultIsNull) {
  Fill(0, {{"0", "nan"}, {"1", "1"}});
  EXPECT_EQ(F.Eval("Lagrange(0.5,1)"), "Null");
}

TEST_F(Sheets, StopEndsALongReading) {
  Fill(0, kFour);
  F.Calc.RequestStop();
  EXPECT_NE(F.Eval("Lagrange(1,1)").find("calculation stopped"), std::string::npos);
  F.Calc.ClearStopRequest();
}

// ---- Edit menu ---------------------------------------------------------------------

TEST_F(Sheets, AddRowsSetsTheRowCount) {
  TMessageRecorder ui;
  EXPECT_TRUE(S.AddRows(0, " 3 ", ui));
  EXPECT_EQ(S.RowCount(0), 3);
  EXPECT_FALSE(S.AddRows(0, "0", ui));
  EXPECT_FALSE(S.AddRows(0, "x1", ui));
  EXPECT_FALSE(S.AddRows(0, "99999999999", ui));
  EXPECT_EQ(ui.Messages, (std::vector<std::string>{"The count must to be > 0", "'x1' is not a valid integer value",
                                                   "The count must not exceed 10000000"}));
  EXPECT_EQ(S.RowCount(0), 3);
}

struct TDeleteCase {
  const char* Name;
  const char* From;
  const char* Count;
  std::vector<bool> Answers;
  const char* Remaining;  // x cells left
  std::vector<std::string> Messages;
};

class DeleteRows : public Sheets, public ::testing::WithParamInterface<TDeleteCase> {};

TEST_P(DeleteRows, RemoveTheBlock) {
  Fill(0, {{"a", ""}, {"b", ""}, {"c", ""}, {"d", ""}});
  TMessageRecorder ui;
  ui.Answers = {GetParam().Answers.begin(), GetParam().Answers.end()};
  S.DeleteRows(0, GetParam().From, GetParam().Count, ui);
  std::string left;
  for (int r = 0; r < S.RowCount(0); ++r) left += S.Cell(0, r, scX) + ".";
  EXPECT_EQ(left, GetParam().Remaining);
  EXPECT_EQ(ui.Messages, GetParam().Messages);
}

INSTANTIATE_TEST_SUITE_P(Cases, DeleteRows,
                         ::testing::Values(TDeleteCase{"Middle", "2", "2", {true}, "a.d.", {}},
                                           TDeleteCase{"PastTheEnd", "3", "9", {true}, "a.b.", {}},
                                           TDeleteCase{"All", "1", "4", {true}, ".", {}},
                                           TDeleteCase{"NotConfirmed", "2", "2", {false}, "a.b.c.d.", {}},
                                           TDeleteCase{"BadCount", "1", "0", {}, "a.b.c.d.", {"Invalid count"}},
                                           TDeleteCase{"BadStart", "5", "1", {true}, "a.b.c.d.", {"Invalid #"}}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(Sheets, DeleteSheetAsksAndKeepsTheLast) {
  TMessageRecorder ui;
  Fill(S.AddSheet(), {{"1", "1"}, {"2", "2"}});
  ui.Answers = {false, true, true};
  EXPECT_FALSE(S.DeleteSheet(0, ui));
  EXPECT_TRUE(S.DeleteSheet(0, ui));
  // The second sheet is now the first, its points with it.
  EXPECT_EQ(F.Eval("Lagrange(1.5,1)"), "1.5");
  EXPECT_FALSE(S.DeleteSheet(0, ui));
  EXPECT_EQ(ui.Messages, std::vector<std::string>{"Cannot delete first sheet"});
  EXPECT_EQ(S.SheetCount(), 1);
}

// ---- files ----------------------------------------------------------------------------

TEST_F(Sheets, FilesKeepEveryCell) {
  test::TTempFolder dir;
  TMessageRecorder ui;
  Fill(0, {{"0", "1"}, {"sqrt(2)", "x y"}, {"", "5"}, {"a b", "2"}, {"7", ""}});
  ASSERT_TRUE(S.WriteFile(0, dir.File("s.dat"), ui));
  EXPECT_EQ(test::ReadBytes(dir.File("s.dat")), "1  0  1\r\n2  sqrt(2)  x y\r\n3,,5\r\n4,a b,2\r\n5,7,\r\n");
  EXPECT_FALSE(S.Modified(0));
  const int other = S.AddSheet();
  ASSERT_TRUE(S.ReadFile(other, dir.File("s.dat"), ui));
  for (int r = 0; r < 5; ++r)
    for (int c : {scX, scF}) EXPECT_EQ(S.Cell(other, r, c), S.Cell(0, r, c)) << r << " " << c;
  EXPECT_EQ(S.RowCount(other), 5);
  EXPECT_EQ(S.FileName(other), dir.File("s.dat"));
  EXPECT_TRUE(S.FileValid(other));
  EXPECT_TRUE(ui.Messages.empty());
}

TEST_F(Sheets, CellsTheFileCannotKeepAreRefused) {
  test::TTempFolder dir;
  TMessageRecorder ui;
  Fill(0, {{"1", "2"}, {"max(1,2)", "3"}});
  EXPECT_FALSE(S.WriteFile(0, dir.File("s.dat"), ui));
  EXPECT_EQ(ui.Messages,
            std::vector<std::string>{"Sheet1, row 2: a cell holds \",\" or a line break, which the file cannot keep"});
  EXPECT_TRUE(dir.IsEmpty());
  EXPECT_FALSE(S.FileValid(0));
}

TEST_F(Sheets, ReadingCutsLinesAtCommasThenBlanks) {
  test::TTempFolder dir;
  test::WriteBytes(dir.File("in.dat"), "1  max(1,2)  3\n0.5,2\n\n7\n 4 9 \n2,,\r\n");
  TMessageRecorder ui;
  ASSERT_TRUE(S.ReadFile(0, dir.File("in.dat"), ui));
  const std::vector<std::pair<std::string, std::string>> expected = {{"2)", "3"}, {"0.5", "2"}, {"", ""},
                                                                     {"7", ""},   {"4", "9"},   {"", ""}};
  ASSERT_EQ(S.RowCount(0), 6);
  for (int r = 0; r < 6; ++r) {
    EXPECT_EQ(S.Cell(0, r, scX), expected[static_cast<std::size_t>(r)].first) << r;
    EXPECT_EQ(S.Cell(0, r, scF), expected[static_cast<std::size_t>(r)].second) << r;
  }
  EXPECT_TRUE(F.Calc.DefinitionsStale());
}

TEST_F(Sheets, OpenAsksBeforeReplacingEdits) {
  test::TTempFolder dir;
  test::WriteBytes(dir.File("in.dat"), "1  5  6\r\n");
  S.SetCell(0, 0, scX, "edited");
  TMessageRecorder ui;
  ui.Answers = {false};
  EXPECT_FALSE(S.ReadFile(0, dir.File("in.dat"), ui));
  EXPECT_EQ(S.Cell(0, 0, scX), "edited");
  EXPECT_EQ(ui.Questions, std::vector<std::string>{"ARE YOU SURE ?"});
  // A file that is not there is named, and the sheet stays as it was.
  ui.Answers = {true};
  EXPECT_FALSE(S.ReadFile(0, dir.File("none.dat"), ui));
  EXPECT_EQ(ui.Messages.back(), "Cannot open file \"" + dir.File("none.dat") + "\". No such file or directory");
  EXPECT_EQ(S.Cell(0, 0, scX), "edited");
}

TEST_F(Sheets, HostileFilesLeaveTheSheetAsItWas) {
  test::TTempFolder dir;
  const std::string valid = "1  0  1\r\n2  1  2\r\n3  2  5\r\n";
  test::WriteBytes(dir.File("good.dat"), "1  0  1\r\n2  1  2\r\n");
  TMessageRecorder ui;
  ASSERT_TRUE(S.ReadFile(0, dir.File("good.dat"), ui));
  for (const test::THostileFile& file : test::MakeHostileFiles(dir, ".dat", valid, kInterpolationFileLimit)) {
    ui.Messages.clear();
    EXPECT_FALSE(S.ReadFile(0, file.Path, ui)) << file.Kind;
    ASSERT_EQ(ui.Messages.size(), 1u) << file.Kind;
    EXPECT_NE(ui.Messages[0].find("\"" + file.Path + "\""), std::string::npos) << ui.Messages[0];
    EXPECT_EQ(S.RowCount(0), 2) << file.Kind;
    EXPECT_EQ(S.Cell(0, 1, scF), "2") << file.Kind;
    EXPECT_EQ(S.FileName(0), dir.File("good.dat")) << file.Kind;
    EXPECT_TRUE(S.FileValid(0)) << file.Kind;
  }
}

TEST_F(Sheets, OrderingSortsTheRowsByX) {
  Fill(0, {{"3", "c"}, {"1", "a"}, {"2", "b"}});
  // The f(x) cells are read too; names are errors, so number them first.
  S.SetCell(0, 0, scF, "30");
  S.SetCell(0, 1, scF, "10");
  S.SetCell(0, 2, scF, "20");
  const TInterpolationSheets::TOrdering order = S.ReadOrdering(0);
  ASSERT_TRUE(S.ApplyOrdering(order));
  EXPECT_EQ(S.Cell(0, 0, scX) + S.Cell(0, 1, scX) + S.Cell(0, 2, scX), "123");
  EXPECT_EQ(S.Cell(0, 0, scF) + S.Cell(0, 1, scF) + S.Cell(0, 2, scF), "102030");
  // An ordering read before an edit is not applied after it.
  const TInterpolationSheets::TOrdering stale = S.ReadOrdering(0);
  S.SetCell(0, 0, scX, "9");
  EXPECT_FALSE(S.ApplyOrdering(stale));
}

}  // namespace

// What the window draws: the curves sampled over the points' range and both
// values at a typed x. On (0,0), (1,1), (2,4), (3,9) the polynomial is x^2;
// the natural spline has M(1) = M(2) = 12/5 (4·M1 + M2 = 12, M1 + 4·M2 = 12),
// so at 1.5 it is 2·(12/5)/48 + (1 - 2/5 + 4 - 2/5)/2 = 2.2.
TEST_F(Sheets, ViewSamplesBothCurvesAndEvaluatesAtX) {
  Fill(0, {{"3", "9"}, {"0", "0"}, {"2", "4"}, {"1", "1"}});
  const TInterpolationSheets::TSheetView v = S.View(0, "1.5");
  EXPECT_EQ(v.X, (std::vector<double>{0, 1, 2, 3}));
  ASSERT_EQ(v.At.size(), 200u);
  EXPECT_EQ(v.At.front(), 0.0);
  EXPECT_EQ(v.At.back(), 3.0);
  ASSERT_EQ(v.Lagrange.size(), 200u);
  ASSERT_EQ(v.Spline.size(), 200u);
  for (std::size_t k = 0; k < v.At.size(); ++k) EXPECT_NEAR(v.Lagrange[k], v.At[k] * v.At[k], 1e-13) << k;
  EXPECT_EQ(v.LagrangeAt, "2.25");
  EXPECT_EQ(v.SplineAt, "2.2");
  EXPECT_EQ(S.View(0, "pi/2").LagrangeAt, "2.46740110027234");  // (pi/2)^2
}

struct TViewCase {
  const char* Name;
  std::vector<std::pair<std::string, std::string>> Rows;
  const char* X;
  const char* Points;  // the errors the view shows, "" for none
  const char* LagrangeAt;
  const char* SplineAt;
};

class ViewFailures : public Sheets, public ::testing::WithParamInterface<TViewCase> {};

TEST_P(ViewFailures, AreShownAsText) {
  Fill(0, GetParam().Rows);
  const TInterpolationSheets::TSheetView v = S.View(0, GetParam().X);
  EXPECT_EQ(v.PointsError + v.XError, GetParam().Points);
  EXPECT_EQ(v.LagrangeAt, GetParam().LagrangeAt);
  EXPECT_EQ(v.SplineAt, GetParam().SplineAt);
}

INSTANTIATE_TEST_SUITE_P(Cases, ViewFailures,
                         ::testing::Values(TViewCase{"EmptySheet",
                                                     {{"", ""}, {"", ""}},
                                                     "1",
                                                     "Sheet1: Interpolation x[1]: Mathematical expression is empty",
                                                     "Sheet1: Interpolation x[1]: Mathematical expression is empty",
                                                     "Sheet1: Number of interpolating points must be >=4"},
                                           TViewCase{"SameX",
                                                     {{"0", "0"}, {"1", "1"}, {"1", "2"}, {"2", "3"}},
                                                     "0.5",
                                                     "",
                                                     "Sheet1: rows 2 and 3 have the same x (1)",
                                                     "Sheet1: rows 2 and 3 have the same x (1)"},
                                           TViewCase{"XDoesNotEvaluate", kFour, "abc", "Undefined variable :  abc", "",
                                                     ""},
                                           TViewCase{"Outside", kFour, "4", "", "Not defined for this arguments: 4",
                                                     "Not defined for this arguments: 4"}),
                         [](const auto& info) { return std::string(info.param.Name); });
