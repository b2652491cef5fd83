// The table's files: comma text (Save As) and the .xlsx workbook, read back
// with libzip; failures and stops leave any former file as it was.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>

#include "../app/CalculatorTestUtil.h"
#include "../common/TempFolder.h"
#include "TableComputation.h"
#include "TableFiles.h"
#include "TextFile.h"
#include "XlsxReader.h"

using namespace helmax;
using Strings = std::vector<std::string>;

namespace {

// A table of one function column holding one value of every kind.
TFunctionTable KindsTable() {
  TFunctionTable table("x", {"f(x)"});
  double serial = 0;
  std::string reason;
  ParseDateTimeLiteral("12.31.2008", serial, reason);
  const TValue values[] = {TValue::MakeReal(0.5),         TValue::MakeNull(),
                           TValue::MakeReal(EngineNaN()), TValue::MakeReal(INFINITY),
                           TValue::MakeCurrency(3333),    TValue::MakeDateTime(serial),
                           TValue::MakeComplex(1, -2),    TValue::MakeBool(true),
                           TValue::MakeReal(-1.5e-300),   TValue::MakeReal(1.7976931348623157e308)};
  double x = -2;
  for (const TValue& v : values) table.AppendRow(x++, &v);
  return table;
}

// The system's temporary folder moved to a fresh folder for one test, so
// that nothing may be left behind there.
struct TOwnTemporaryFolder {
  test::TTempFolder Folder;
  std::string Former;
  TOwnTemporaryFolder() {
    if (const char* t = ::getenv("TMPDIR")) Former = t;
    ::setenv("TMPDIR", Folder.Path.c_str(), 1);
  }
  ~TOwnTemporaryFolder() {
    if (Former.empty()) ::unsetenv("TMPDIR");
    else ::setenv("TMPDIR", Former.c_str(), 1);
  }
};

}  // namespace

TEST(CommaTextTest, QuotesWhatWouldSplitTheLine) {
  struct TCase {
    Strings Cells;
    const char* Line;
  };
  const TCase cases[] = {
      {{"#", "x", "f(x)"}, "#,x,f(x)"},
      {{"a b", "c"}, "\"a b\",c"},
      {{"a,b"}, "\"a,b\""},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{"tab\there", "line\nend"}, "\"tab\there\",\"line\nend\""},
      {{"del\x7f"}, "\"del\x7f\""},
      {{"Complex(1, -2)"}, "\"Complex(1, -2)\""},
      {{"caf\xc3\xa9"}, "caf\xc3\xa9"},
      {{""}, "\"\""},  // a row of one empty cell
      {{"", ""}, ","},
      {{"a", "", "b"}, "a,,b"},
      {{"-0.5", "1E-5"}, "-0.5,1E-5"},
  };
  for (const TCase& c : cases) EXPECT_EQ(CommaTextLine(c.Cells), c.Line);
}

TEST(CommaTextTest, DefaultTableFile) {
  test::TCalculatorFixture f;
  TFunctionTable table;
  ASSERT_EQ(ComputeFunctionTable(f.Calc, f.Ui, TableRangeOf(f.Calc), false, table), TTableOutcome::Done);
  test::TTempFolder dir;
  std::string error;
  ASSERT_EQ(SaveTableCommaText(table, dir.File("points.dat"), error), TWriteOutcome::Written) << error;
  const std::string text = test::ReadBytes(dir.File("points.dat"));
  const std::vector<std::string> lines = SplitLines(text);
  ASSERT_EQ(lines.size(), 2002u);
  EXPECT_EQ(lines[0], "#,x,f(x)");
  EXPECT_EQ(lines[1], "0,-100," + test::Real(std::sin(-100.0)));
  EXPECT_EQ(lines[2001], "2000,100," + test::Real(std::sin(100.0)));
  EXPECT_TRUE(text.ends_with(test::Real(std::sin(100.0)) + "\r\n"));
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(text.begin(), text.end(), '\r'));
}

TEST(CommaTextTest, FailuresKeepTheFormerFile) {
  const TFunctionTable table = KindsTable();
  test::TTempFolder dir;
  std::string error;
  // Through a regular file: nothing can be created there, for root neither.
  test::WriteBytes(dir.File("plain"), "x");
  EXPECT_EQ(SaveTableCommaText(table, dir.File("plain/points.dat"), error), TWriteOutcome::Failed);
  EXPECT_NE(error.find(dir.File("plain/points.dat")), std::string::npos) << error;
  // A full disk: the former file stays whole.
  test::WriteBytes(dir.File("points.dat"), "former");
  {
    test::TFileSizeLimit limit(16);
    EXPECT_EQ(SaveTableCommaText(table, dir.File("points.dat"), error), TWriteOutcome::Failed);
  }
  EXPECT_EQ(test::ReadBytes(dir.File("points.dat")), "former");
  // A stop writes nothing.
  EXPECT_EQ(SaveTableCommaText(table, dir.File("points.dat"), error, [] { return true; }), TWriteOutcome::Stopped);
  EXPECT_EQ(test::ReadBytes(dir.File("points.dat")), "former");
  EXPECT_EQ(dir.Names().size(), 2u);
}

// Every #NUM! of a sheet far larger than a piece of the rewrite is an
// error cell, and the numbers between them stay.
TEST(WorkbookTest, EveryNumCellOfALargeSheetIsAnError) {
  TFunctionTable table("x", {"f(x)", "g(x)"});
  const TValue values[] = {TValue::MakeNull(), TValue::MakeReal(0.25)};
  constexpr int kRows = 60000;
  for (int r = 0; r < kRows; ++r) table.AppendRow(r, values);
  table.Replace("Null", "#NUM!");
  test::TTempFolder dir;
  std::string error;
  ASSERT_EQ(WriteTableWorkbook(table, dir.File("t.xlsx"), error), TWriteOutcome::Written) << error;
  const test::TXlsxArchive book(dir.File("t.xlsx"));
  const std::map<std::string, test::TSheetCell> cells = test::SheetCells(book.Entry("xl/worksheets/sheet1.xml"));
  int errors = 0, quarters = 0;
  for (const auto& [ref, cell] : cells) {
    errors += cell.Type == "e" && cell.Value == "#NUM!" && ref[0] == 'B';
    quarters += cell.Type.empty() && cell.Value == "0.25" && ref[0] == 'C';
  }
  EXPECT_EQ(errors, kRows);
  EXPECT_EQ(quarters, kRows);
}

TEST(WorkbookTest, CellsAreNumbersErrorsOrTexts) {
  TFunctionTable table = KindsTable();
  table.Replace("Null", "#NUM!");
  table.Replace("True", "");
  test::TTempFolder dir;
  std::string error;
  ASSERT_EQ(WriteTableWorkbook(table, dir.File("t.xlsx"), error), TWriteOutcome::Written) << error;
  const test::TXlsxArchive book(dir.File("t.xlsx"));
  ASSERT_TRUE(book.IsOpen());
  const std::string workbook = book.Entry("xl/workbook.xml");
  EXPECT_NE(workbook.find("<sheet name=\"Sheet1\""), std::string::npos);
  EXPECT_NE(workbook.find("<sheet name=\"Chart1\""), std::string::npos);
  std::map<std::string, test::TSheetCell> cells = test::SheetCells(book.Entry("xl/worksheets/sheet1.xml"));
  auto text = [&](const std::string& ref) { return cells[ref].Type == "inlineStr" ? cells[ref].Text : "<not text>"; };
  auto number = [&](const std::string& ref) {
    return cells[ref].Type.empty() && !cells[ref].Value.empty() ? std::strtod(cells[ref].Value.c_str(), nullptr) : NAN;
  };
  EXPECT_EQ(text("A1"), "x");
  EXPECT_EQ(text("B1"), "f(x)");
  for (int r = 0; r < 10; ++r) EXPECT_EQ(number("A" + std::to_string(r + 2)), r - 2.0);
  EXPECT_EQ(number("B2"), 0.5);
  // The error, from the Null cell: its stored value is the error itself.
  EXPECT_EQ(cells["B3"].Formula, "#NUM!");
  EXPECT_EQ(cells["B3"].Type, "e");
  EXPECT_EQ(cells["B3"].Value, "#NUM!");
  EXPECT_EQ(text("B4"), "-NAN");
  EXPECT_EQ(text("B5"), "INF");
  EXPECT_EQ(number("B6"), 0.3333);      // a currency value
  EXPECT_EQ(text("B7"), "12.31.2008");  // a date is not 12.31
  EXPECT_EQ(text("B8"), "Complex(1, -2)");
  EXPECT_EQ(cells.count("B9"), 0u);  // emptied: no cell at all
  EXPECT_NEAR(number("B10") / -1.5e-300, 1, 1e-15);
  EXPECT_EQ(text("B11"), "1.79769313486232E308");  // its text overflows: not a number
  EXPECT_EQ(cells.size(), 2u + 10u + 9u);
}

TEST(WorkbookTest, ThirtyFunctionsChartTheirDataRows) {
  test::TCalculatorFixture f;
  std::string definitions;
  for (int k = 1; k <= 30; ++k)
    definitions += (k > 1 ? "," : "") + ("f" + std::to_string(k) + "(x)~x*" + std::to_string(k));
  f.Define(definitions);
  f.Calc.SetParameter(parFrom, 0);
  f.Calc.SetParameter(parTo, 4);
  f.Calc.SetParameter(parStep, 0.5);
  TFunctionTable table;
  ASSERT_EQ(ComputeFunctionTable(f.Calc, f.Ui, TableRangeOf(f.Calc), false, table), TTableOutcome::Done);
  ASSERT_EQ(table.FunctionCount(), 30);
  test::TTempFolder dir;
  std::string error;
  ASSERT_EQ(WriteTableWorkbook(table, dir.File("t.xlsx"), error), TWriteOutcome::Written) << error;
  const test::TXlsxArchive book(dir.File("t.xlsx"));
  std::map<std::string, test::TSheetCell> cells = test::SheetCells(book.Entry("xl/worksheets/sheet1.xml"));
  EXPECT_EQ(cells["AE1"].Text, "f30(x)");
  EXPECT_EQ(cells["AE10"].Value, "120");  // 4 * 30
  EXPECT_EQ(cells.size(), 31u * 10u);

  // The chart sheet holds the chart: XY scatter, straight lines with
  // markers, one series per function over rows 2 to 10 exactly.
  EXPECT_FALSE(book.Entry("xl/chartsheets/sheet1.xml").empty());
  const std::string chart = book.Entry("xl/charts/chart1.xml");
  EXPECT_NE(chart.find("<c:scatterChart>"), std::string::npos);
  EXPECT_NE(chart.find("<c:scatterStyle val=\"lineMarker\"/>"), std::string::npos);
  EXPECT_EQ(chart.find("<c:smooth val=\"1\"/>"), std::string::npos);
  Strings expected;
  for (int k = 1; k <= 30; ++k) {
    const std::string column = test::ColumnName(k);
    expected.push_back("Sheet1!$" + column + "$1");
    expected.push_back("Sheet1!$A$2:$A$10");
    expected.push_back("Sheet1!$" + column + "$2:$" + column + "$10");
  }
  EXPECT_EQ(test::Elements(chart, "c:f"), expected);
}

TEST(WorkbookTest, FailuresAndStopsLeaveNothingBehind) {
  test::TTempFolder dir;
  TOwnTemporaryFolder temporary;
  const TFunctionTable table = KindsTable();
  std::string error;
  test::WriteBytes(dir.File("t.xlsx"), "former");
  EXPECT_EQ(WriteTableWorkbook(table, dir.File("t.xlsx"), error, [] { return true; }), TWriteOutcome::Stopped);
  {
    test::TFileSizeLimit limit(1000);
    EXPECT_EQ(WriteTableWorkbook(table, dir.File("t.xlsx"), error), TWriteOutcome::Failed);
    EXPECT_NE(error.find("t.xlsx"), std::string::npos) << "[" << error << "]";
  }
  EXPECT_EQ(test::ReadBytes(dir.File("t.xlsx")), "former");
  // A folder where the file must go.
  std::filesystem::create_directory(dir.File("folder.xlsx"));
  EXPECT_EQ(WriteTableWorkbook(table, dir.File("folder.xlsx"), error), TWriteOutcome::Failed);
  EXPECT_NE(error.find("folder.xlsx"), std::string::npos) << error;
  EXPECT_EQ(dir.Names().size(), 2u);
  for (const std::string& name : temporary.Folder.Names()) ADD_FAILURE() << "left behind: " << name;
}

TEST(WorkbookTest, ExportFoldersArePrivateAndDistinct) {
  TOwnTemporaryFolder temporary;
  std::string error;
  const std::string a = NewExportFolder(error), b = NewExportFolder(error);
  ASSERT_FALSE(a.empty()) << error;
  EXPECT_NE(a, b);
  EXPECT_TRUE(a.starts_with(temporary.Folder.Path + "/helmax-table-"));
  EXPECT_EQ(std::filesystem::status(a).permissions() & std::filesystem::perms::all, std::filesystem::perms::owner_all);
}

TEST(WorkbookTest, NothingToChartGivesTheSheetAlone) {
  // No point, or no function: the headers, and no chart sheet (a chart
  // needs a series).
  TFunctionTable noFunction("x", {});
  const TValue none;
  noFunction.AppendRow(1, &none);
  for (const TFunctionTable& table : {TFunctionTable("x", {"f(x)"}), noFunction}) {
    test::TTempFolder dir;
    std::string error;
    ASSERT_EQ(WriteTableWorkbook(table, dir.File("t.xlsx"), error), TWriteOutcome::Written) << error;
    const test::TXlsxArchive book(dir.File("t.xlsx"));
    std::map<std::string, test::TSheetCell> cells = test::SheetCells(book.Entry("xl/worksheets/sheet1.xml"));
    EXPECT_EQ(cells["A1"].Text, "x");
    EXPECT_EQ(cells.size(), 2u);  // the headers and x, or the headers alone
    EXPECT_EQ(book.Entry("xl/workbook.xml").find("Chart1"), std::string::npos);
  }
}
