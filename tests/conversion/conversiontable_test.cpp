// The conversion table: its .cnv files (the built-in table, reading rules,
// refusals, loads and saves that lose nothing), its checks, and Conv as the
// calculator's expressions use it.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>

#include "../app/CalculatorTestUtil.h"
#include "../common/HostileFiles.h"
#include "../common/TempFolder.h"
#include "ConversionTable.h"
#include "TextFile.h"
#include "UnitConversion.h"

namespace helmax {
namespace {

using Strings = std::vector<std::string>;

std::vector<TUnitCategory> Parse(const std::string& text) {
  std::vector<TUnitCategory> categories;
  std::string error;
  EXPECT_TRUE(ParseConversionText(text, categories, error)) << error;
  return categories;
}

Strings Names(const std::vector<TUnitCategory>& categories) {
  Strings names;
  for (const TUnitCategory& c : categories) names.push_back(c.Name);
  return names;
}

Strings UnitNames(const TUnitCategory& c) {
  Strings names;
  for (const TUnit& u : c.Units) names.push_back(u.Name);
  return names;
}

// ---- the built-in table and the file format ---------------------------------------------------

TEST(DefaultTable, IsTheBuiltInTextLineForLine) {
  const std::string text(DefaultConversionText());
  EXPECT_TRUE(test::StartsWith(text, "[Angles]\r\n1=pi radians : degrees : x*180 : x/180 : 674 : 287 : 452 : 304\r\n"));
  for (const char* line :
       {"\r\n4=gills : fluid ounces : x*4 : x/4 : 524 : 574 : 254 : 502\r\n",
        "\r\n1=Celcius : Fahrenheit : 1.8*x+32 : (x-32)*5/9 : 409 : 244 : 597 : 244\r\n",
        "\r\n23=lightyears : meters : x*9460730472580800 : x/9460730472580800 : 333 : 499 : 279 : 205\r\n",
        "\r\n5=lb/in^2 : kPa : x*4.4482216152605/0.64516 : x*0.64516/4.4482216152605 : 224 : 329 : 386 : 248\r\n",
        "\r\n\r\n[Bits & Bytes]\r\n1=megabytes : bytes : x*2^20 : x/(2^20) : 233 : 468 : 398 : 373\r\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
  // No empty line after the last section.
  EXPECT_TRUE(text.ends_with("557\r\n14=kilograms : pounds : x/0.45359237 : x*0.45359237 : 428 : 49 : 610 : 166\r\n"));
  const std::vector<TUnitCategory> table = Parse(text);
  EXPECT_EQ(Names(table), (Strings{"Angles", "Bits & Bytes", "Capacity", "Current", "Energy", "Length", "Power",
                                   "Pressure", "Temperature", "Time", "Weight"}));
  std::vector<std::size_t> rows;
  for (const TUnitCategory& c : table) rows.push_back(c.Definitions.size());
  EXPECT_EQ(rows, (std::vector<std::size_t>{6, 3, 11, 3, 9, 23, 4, 9, 3, 4, 14}));
  EXPECT_EQ(UnitNames(table[0]),
            (Strings{"circles", "degrees", "gradients", "minutes", "pi radians", "quadrants", "seconds"}));
  EXPECT_EQ(UnitNames(table[8]), (Strings{"Celcius", "Fahrenheit", "Kelvin", "Rankine"}));
}

// The check takes the built-in texts as passing without compiling them:
// each compiles in x as a definition's engine compiles it, linear and
// depending on x; other texts are not taken for them.
TEST(DefaultTable, ItsTextsCompileLinearInX) {
  int texts = 0;
  for (const TUnitCategory& c : Parse(std::string(DefaultConversionText())))
    for (const TConversionDefinition& d : c.Definitions)
      for (const std::string& text : {d.Forward, d.Backward}) {
        ++texts;
        EXPECT_TRUE(IsBuiltInDefinitionText(text)) << text;
        THelmaxComplexEval e;
        e.ProtectDigitVariables = e.ProtectOtherVariables = true;
        e.VerifySyntaxSemantics(text, "x", false);
        EXPECT_FALSE(e.Error) << text << ": " << e.ErrorMessage;
        EXPECT_TRUE(e.LinearExpression) << text;
        EXPECT_TRUE(e.DependsOnVariables) << text;
      }
  EXPECT_EQ(texts, 2 * 89);
  for (const char* other : {"x^2", "X*180", "x*180 ", "", "5"}) EXPECT_FALSE(IsBuiltInDefinitionText(other)) << other;
}

TEST(DefaultTable, WrittenReadAndWrittenAgainIsTheSameBytes) {
  test::TTempFolder dir;
  TMessageRecorder ui;
  TConversionTable table(ui);
  const std::string first = dir.File("helmax-calc.cnv"), second = dir.File("again.cnv");
  table.LoadAtStart("", first);  // a fresh start writes the default file
  EXPECT_EQ(table.FilePath(), first);
  EXPECT_TRUE(table.FileValid());
  EXPECT_EQ(table.CategoryCount(), 11);
  EXPECT_EQ(table.Category(0).Name, "Angles");
  EXPECT_EQ(test::ReadBytes(first), DefaultConversionText());
  ASSERT_TRUE(table.SaveAs(second));
  EXPECT_EQ(test::ReadBytes(second), test::ReadBytes(first));
  EXPECT_TRUE(ui.Messages.empty());
  // A later start reads the file the settings remember.
  TConversionTable again(ui);
  again.LoadAtStart(second, first);
  EXPECT_EQ(again.FilePath(), second);
}

// The units table is written beside the default file when it is missing
// there, and a copy already there is left as it is.
TEST(UnitsTable, WrittenBesideTheDefaultFileWhenMissing) {
  test::TTempFolder dir;
  TMessageRecorder ui;
  TConversionTable table(ui);
  table.LoadAtStart("", dir.File("helmax-calc.cnv"));
  EXPECT_EQ(test::ReadBytes(dir.File("helmax-units.cnv")), UnitsTableText());
  test::WriteBytes(dir.File("helmax-units.cnv"), "[Mine]\r\n");
  TConversionTable again(ui);
  again.LoadAtStart("", dir.File("helmax-calc.cnv"));
  EXPECT_EQ(test::ReadBytes(dir.File("helmax-units.cnv")), "[Mine]\r\n");
  EXPECT_TRUE(ui.Messages.empty());
}

TEST(DefaultTable, WithoutAFileItStaysInMemory) {
  TMessageRecorder ui;
  TConversionTable table(ui);
  table.LoadAtStart("", "");
  EXPECT_EQ(table.CategoryCount(), 11);
  EXPECT_EQ(table.FilePath(), "");
  EXPECT_FALSE(table.FileValid());
  EXPECT_FALSE(table.Save());
}

struct TEntryCase {
  const char* Name;
  const char* Fields;
  TConversionEntry Entry;
};

class EntryFields : public ::testing::TestWithParam<TEntryCase> {};

TEST_P(EntryFields, SplitAtColonsFromTheLeft) {
  const TConversionEntry e = ParseConversionEntry(GetParam().Fields);
  const TConversionEntry& x = GetParam().Entry;
  EXPECT_EQ(Strings({e.UnitA, e.UnitB, e.Forward, e.Backward}), Strings({x.UnitA, x.UnitB, x.Forward, x.Backward}));
  EXPECT_EQ(std::vector<int>({e.XA, e.YA, e.XB, e.YB}), std::vector<int>({x.XA, x.YA, x.XB, x.YB}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EntryFields,
    ::testing::Values(TEntryCase{"Full",
                                 "pi radians : degrees : x*180 : x/180 : 674 : 287 : 452 : 304",
                                 {"pi radians", "degrees", "x*180", "x/180", 674, 287, 452, 304}},
                      TEntryCase{"SignsAndBlanks", " a:b:x:x: +5 :-7:\t12 : -0 ", {"a", "b", "x", "x", 5, -7, 12, 0}},
                      TEntryCase{"NotAnInteger",
                                 "a : b : x : x : 12a : 1.5 : 2147483648 : -2147483648",
                                 {"a", "b", "x", "x", 0, 0, 0, -2147483648}},
                      TEntryCase{"TwoSigns", "a : b : x : x : +-5 : + 5 : -+5 : 0x1", {"a", "b", "x", "x", 0, 0, 0, 0}},
                      TEntryCase{"NoPositions", "a : b : x*2 : x/2", {"a", "b", "x*2", "x/2", 0, 0, 0, 0}},
                      TEntryCase{"SomePositions", "a : b : x : x : 10 : 20", {"a", "b", "x", "x", 10, 0, 0, 20}},
                      TEntryCase{"TooFewColons", "a : b : x*2", {"a", "b", "", "x*2", 0, 0, 0, 0}},
                      TEntryCase{"NoColon", "just text", {"", "", "", "just text", 0, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ConversionFile, ReadingRules) {
  // The text as read from a file: Windows-1252 bytes become UTF-8.
  const std::vector<TUnitCategory> table =
      Parse(DecodeText("orphan=a : b : x : x\r\n"
                       "[ zeta ]\r\n"
                       "; comment=a : b : x : x\r\n"
                       "# another\r\n"
                       "\r\n"
                       "no equals sign\r"
                       "1=Unit : b : x*2 : x/2 : 1 : 2 : 3 : 4\n"
                       "1=unit : c : x*3 : x/3 : 5 : 6 : 7 : 8\r\n"  // the key repeats: still a row
                       "2= : c : x : x\r\n"                          // no Unit A: skipped
                       "[Alpha]\r\n"
                       "5=h\xB5m : m : x : x : 1 : 1 : 1 : 1\r\n"));
  ASSERT_EQ(Names(table), (Strings{"Alpha", "zeta"}));
  const TUnitCategory& zeta = table[1];
  ASSERT_EQ(zeta.Definitions.size(), 2u);
  // "Unit" and "unit" are one unit, placed by the first entry that names it.
  EXPECT_EQ(UnitNames(zeta), (Strings{"b", "c", "Unit"}));
  EXPECT_EQ(zeta.Units[2].X, 1);
  EXPECT_EQ(zeta.Units[2].Y, 2);
  EXPECT_EQ(zeta.Definitions[1].UnitA, 2);
  EXPECT_EQ(zeta.Definitions[1].UnitB, 1);
  EXPECT_EQ(zeta.Definitions[1].Forward, "x*3");
  EXPECT_EQ(table[0].Units[0].Name, "h\u00B5m");
}

TEST(ConversionFile, NamesSortByLowerCasedBytes) {
  const std::vector<TUnitCategory> table =
      Parse("[b]\r\n1=Zed : apple : x : x\r\n2=_x : \xC3\xA9t\xC3\xA9 : x : x\r\n[A]\r\n1=B : a : x : x\r\n");
  EXPECT_EQ(Names(table), (Strings{"A", "b"}));
  EXPECT_EQ(UnitNames(table[1]), (Strings{"_x", "apple", "Zed", "\u00E9t\u00E9"}));
}

struct TRefusal {
  const char* Name;
  const char* Category;
  const char* UnitA;
  const char* Forward;
  const char* Message;
};

class WritingRefuses : public ::testing::TestWithParam<TRefusal> {};

// What the reader would not give back is never written.
TEST_P(WritingRefuses, NamesTheCategoryAndRow) {
  std::vector<TUnitCategory> table =
      Parse("[Time]\r\n1=hours : minutes : x*60 : x/60\r\n2=days : hours : x*24 : x/24\r\n");
  TUnitCategory& time = table[0];
  time.Name = GetParam().Category;
  time.Units[TConversionTable::FindUnit(time, "days")].Name = GetParam().UnitA;
  time.Definitions[1].Forward = GetParam().Forward;
  std::string text = "kept", error;
  EXPECT_FALSE(ConversionText(table, text, error));
  EXPECT_EQ(error, GetParam().Message);
  EXPECT_EQ(text, "kept");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WritingRefuses,
    ::testing::Values(
        TRefusal{"ColonInUnit", "Time", "h:m", "x*24", "Error in category : Time : Row# 2 : Invalid name : h:m"},
        TRefusal{"ColonInText", "Time", "days", "x*0:30",
                 "Error in category : Time : Row# 2 : Invalid expression : x*0:30"},
        TRefusal{"BracketInCategory", "Ti]me", "days", "x*24", "Error in category : Ti]me : Invalid name : Ti]me"},
        TRefusal{"LineBreakInText", "Time", "days", "x*\n24",
                 "Error in category : Time : Row# 2 : Invalid expression : x*\n24"},
        TRefusal{"TabInUnit", "Time", "d\tays", "x*24", "Error in category : Time : Row# 2 : Invalid name : d\tays"},
        TRefusal{"BlankUnit", "Time", " ", "x*24", "Error in category : Time : Row# 2 : Invalid name :  "}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- loads and saves that lose nothing ----------------------------------------------------------

struct Files : ::testing::Test {
  test::TTempFolder Dir;
  TMessageRecorder Ui;
  TConversionTable Table{Ui};
  std::string Path = Dir.File("helmax-calc.cnv");
  void SetUp() override {
    Table.LoadAtStart("", Path);
    ASSERT_TRUE(Table.Check());
    Ui.Clear();
  }
  // Reads a file of these bytes: false, with the message, and everything as
  // it was.
  void ExpectRefused(const std::string& bytes, const std::string& message) {
    const std::string bad = Dir.File("bad.cnv");
    test::WriteBytes(bad, bytes);
    EXPECT_FALSE(Table.Read(bad));
    ASSERT_EQ(Ui.Messages.size(), 1u);
    EXPECT_EQ(Ui.Messages[0], message);
    EXPECT_EQ(Table.CategoryCount(), 11);
    EXPECT_EQ(Table.FilePath(), Path);
    EXPECT_TRUE(Table.FileValid());
    EXPECT_TRUE(Table.PathsValid());  // not even locked
    Ui.Clear();
  }
};

TEST_F(Files, MalformedFilesLeaveTheTableAsItWas) {
  ExpectRefused("[Length]\r\n1=a : b : x : x\r\n[length]\r\n1=c : d : x : x\r\n",
                "String list does not allow duplicates");
  std::string binary;
  std::mt19937 rng(3);
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng)));
  std::erase(binary, '[');
  ExpectRefused(binary, "Cannot read file \"" + Dir.File("bad.cnv") + "\". It holds binary data, not text");
  ExpectRefused("these are\r\nnot=conversions\r\n", "Bad file format");
  const std::string big(10 * 1024 * 1024, 'x');
  ExpectRefused(big, "Cannot read file \"" + Dir.File("bad.cnv") + "\". It is too large (more than 1 MB)");
  EXPECT_FALSE(Table.Read(Dir.File("missing.cnv")));
  EXPECT_EQ(Table.CategoryCount(), 11);
}

// Hostile files are refused with a message and the table stays; an empty
// file is the one exception, being an empty table (below).
TEST_F(Files, HostileFilesLeaveTheTableAsItWas) {
  const std::string valid = "[Length]\r\n1=m : cm : x*100 : x/100\r\n";
  for (const test::THostileFile& file : test::MakeHostileFiles(Dir, ".cnv", valid, TConversionTable::kMaxFileBytes)) {
    if (file.Kind == "empty") continue;
    Ui.Clear();
    EXPECT_FALSE(Table.Read(file.Path)) << file.Kind;
    ASSERT_EQ(Ui.Messages.size(), 1u) << file.Kind;
    EXPECT_FALSE(Ui.Messages[0].empty());
    EXPECT_EQ(Table.CategoryCount(), 11) << file.Kind;
    EXPECT_EQ(Table.FilePath(), Path) << file.Kind;
    EXPECT_TRUE(Table.PathsValid()) << file.Kind;
  }
}

TEST_F(Files, AnEmptyFileIsAnEmptyTable) {
  test::WriteBytes(Dir.File("empty.cnv"), "; nothing yet\r\n\r\n");
  EXPECT_TRUE(Table.Read(Dir.File("empty.cnv")));
  EXPECT_EQ(Table.CategoryCount(), 0);
  EXPECT_FALSE(Table.PathsValid());  // a new table waits for its check
  EXPECT_TRUE(Table.Check());
  EXPECT_TRUE(Table.Save());
  EXPECT_EQ(test::ReadBytes(Dir.File("empty.cnv")), "");
}

TEST_F(Files, FailedSaveAsKeepsTheFormerFile) {
  const std::string before = test::ReadBytes(Path);
  test::WriteBytes(Dir.File("colon.cnv"), "[Time]\r\n1=hours : minutes : x*60 : x/60\r\n");
  ASSERT_TRUE(Table.Read(Dir.File("colon.cnv")));
  // A folder that does not exist: the file name stays the former one.
  EXPECT_FALSE(Table.SaveAs(Dir.File("no/such/folder.cnv")));
  EXPECT_EQ(Table.FilePath(), Dir.File("colon.cnv"));
  EXPECT_EQ(Ui.Messages.size(), 1u);
  EXPECT_EQ(test::ReadBytes(Path), before);
  // No temporary file left behind: the start's two tables and colon.cnv.
  EXPECT_EQ(Dir.Names().size(), 3u);
}

// A non-linear row is only reported, and the table is saved all the same.
TEST_F(Files, SavingReportsFindingsAndStillWrites) {
  test::WriteBytes(Dir.File("square.cnv"), "[Area]\r\n1=side : area : x^2 : sqrt(x)\r\n");
  ASSERT_TRUE(Table.Read(Dir.File("square.cnv")));
  EXPECT_TRUE(Ui.Messages.empty());  // loading does not check
  EXPECT_TRUE(Table.Save());
  EXPECT_EQ(Ui.Messages, (Strings{"Error in category : Area : Row# 1 A => B :  Expression must be linear",
                                  "Error in category : Area : Row# 1 : B => A does not bring A => B back to x "
                                  "(x = -3 gives 9, and back 3)"}));
  EXPECT_EQ(test::ReadBytes(Dir.File("square.cnv")), "[Area]\r\n1=side : area : x^2 : sqrt(x) : 0 : 0 : 0 : 0\r\n");
  EXPECT_TRUE(Table.PathsValid());
}

// ---- checks ---------------------------------------------------------------------------------

struct TCheckCase {
  const char* Name;
  const char* Text;
  Strings Messages;
  bool Passes;
};

class Checks : public ::testing::TestWithParam<TCheckCase> {};

TEST_P(Checks, ReportTheFirstFinding) {
  TMessageRecorder ui;
  TConversionTable table(ui);
  test::TTempFolder dir;
  test::WriteBytes(dir.File("t.cnv"), GetParam().Text);
  ASSERT_TRUE(table.Read(dir.File("t.cnv")));
  EXPECT_EQ(table.Check(), GetParam().Passes);
  EXPECT_EQ(table.CheckFailed(), !GetParam().Passes);
  EXPECT_EQ(table.PathsValid(), GetParam().Passes);
  EXPECT_EQ(ui.Messages, GetParam().Messages);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Checks,
    ::testing::Values(
        TCheckCase{"IdenticalUnits",
                   "[C]\r\n1=a : b : x : x\r\n2=b : c : x : x\r\n3=c : d : x : x\r\n4=d : e : x : x\r\n"
                   "5=Unit : unit : x : x\r\n",
                   {"Error in category : C : Row# 5 : units cannot be identical"},
                   false},
        TCheckCase{"IdenticalRows",
                   "[C]\r\n1=A : B : x : x\r\n2=B : A : x*2 : x/2\r\n",
                   {"Error in category : C : Row# 1 and Row#2 : rows cannot be identical"},
                   false},
        TCheckCase{"LaterRowRepeatsAnEarlierOne",
                   "[C]\r\n1=a : b : x : x\r\n2=b : c : x : x\r\n3=c : B : x : x\r\n",
                   {"Error in category : C : Row# 2 and Row#3 : rows cannot be identical"},
                   false},
        TCheckCase{"DoesNotCompile",
                   "[C]\r\n1=a : b : x : x\r\n2=b : c : x : x*y\r\n3=c : d : x^2 : x\r\n",
                   {"Error in category : C : Row# 2 B => A : Undefined variable :  y"},
                   false},
        TCheckCase{"NotLinearOnlyFirstFinding",
                   "[C]\r\n1=a : b : x : 1/x\r\n2=b : c : 5 : x\r\n",
                   {"Error in category : C : Row# 1 B => A :  Expression must be linear",
                    "Error in category : C : Row# 1 : B => A does not bring A => B back to x (x = 0.5 gives 0.5, "
                    "and back 2)\nError in category : C : Row# 2 : A => B does not depend on x"},
                   true},
        TCheckCase{"WithoutX",
                   "[C]\r\n1=a : b : 5 : x\r\n",
                   {"Error in category : C : Row# 1 A => B :  Expression must contain variable x",
                    "Error in category : C : Row# 1 : A => B does not depend on x"},
                   true},
        // A later compile error still stops the check after a finding.
        TCheckCase{"FindingThenError",
                   "[C]\r\n1=a : b : x^2 : x\r\n2=b : c : x+ : x\r\n",
                   {"Error in category : C : Row# 1 A => B :  Expression must be linear",
                    "Error in category : C : Row# 2 A => B : Syntax error : x+"},
                   false},
        // Rows that do not convert back are listed, a warning: the paths
        // are still computed.
        TCheckCase{"OneWayRowsAreListed",
                   "[Speed]\r\n1=m/s : km/h : x*0 : x/0\r\n2=km/h : mph : x*3.6 : x*3.6\r\n"
                   "3=C : F : 1.8*x+32 : (x-32)/1.8\r\n4=C : K : x+273.15 : x-273.15+0\r\n",
                   {"Error in category : Speed : Row# 1 : A => B does not depend on x\n"
                    "Error in category : Speed : Row# 2 : B => A does not bring A => B back to x (x = 0.5 gives 1.8, "
                    "and back 6.48)"},
                   true},
        TCheckCase{"TenRowsListedAtMost",
                   "[C]\r\n1=a : b : x*2 : x*2\r\n2=a : c : x*2 : x*2\r\n3=a : d : x*2 : x*2\r\n"
                   "4=a : e : x*2 : x*2\r\n5=a : f : x*2 : x*2\r\n6=a : g : x*2 : x*2\r\n7=a : h : x*2 : x*2\r\n"
                   "8=a : i : x*2 : x*2\r\n9=a : j : x*2 : x*2\r\n10=a : k : x*2 : x*2\r\n11=a : l : 2*x : x*2\r\n"
                   "12=a : m : x*2 : x*2\r\n",
                   {[] {
                     std::string list;
                     for (int row = 1; row <= 10; ++row)
                       list += "Error in category : C : Row# " + std::to_string(row) +
                               " : B => A does not bring A => B back to x (x = 0.5 gives 1, and back 2)\n";
                     return list + "... and 2 more rows";
                   }()},
                   true},
        TCheckCase{"Empty", "", {}, true}),
    [](const auto& info) { return std::string(info.param.Name); });

// The unit count is refused before any text is compiled: the faulty last
// text is never reached.
TEST(ConversionChecks, TooManyUnitsForPaths) {
  std::string text = "[Chain]\r\n";
  for (int i = 1; i <= TConversionTable::kMaxPathUnits; ++i)
    text += std::to_string(i) + "=u" + std::to_string(i) + " : u" + std::to_string(i + 1) +
            (i < TConversionTable::kMaxPathUnits ? " : x : x\r\n" : " : x+ : x\r\n");
  TMessageRecorder ui;
  TConversionTable table(ui);
  test::TTempFolder dir;
  test::WriteBytes(dir.File("big.cnv"), text);
  ASSERT_TRUE(table.Read(dir.File("big.cnv")));
  EXPECT_FALSE(table.Check());
  EXPECT_EQ(ui.Messages, (Strings{"Error in category : Chain : 1001 units, more than the 1000 a category can "
                                  "convert between"}));
}

// ---- Conv -----------------------------------------------------------------------------------

struct Conv : ::testing::Test {
  test::TCalculatorFixture F;
  TConversionTable& Table = F.Calc.Conversions();
  void SetUp() override {
    Table.UseDefaultTable();
    ASSERT_TRUE(Table.Check());
    F.Ui.Clear();
  }
  double Value(double category, double from, double to, double value) {
    TValue args[4] = {TValue::MakeReal(category), TValue::MakeReal(from), TValue::MakeReal(to),
                      TValue::MakeReal(value)};
    TValue* pointers[4] = {&args[0], &args[1], &args[2], &args[3]};
    TValue result;
    Table.Conv(pointers, 4, result);
    EXPECT_TRUE(result.IsReal());
    return result.Num;
  }
  std::string Failure(std::vector<TValue> args) {
    std::vector<TValue*> pointers;
    for (TValue& a : args) pointers.push_back(&a);
    TValue result;
    try {
      Table.Conv(pointers.data(), static_cast<int>(pointers.size()), result);
    } catch (const std::runtime_error& e) {
      EXPECT_TRUE(std::isnan(result.Num));
      return e.what();
    }
    return "no failure";
  }
  std::string Failure(double a, double b, double c, double d) {
    return Failure({TValue::MakeReal(a), TValue::MakeReal(b), TValue::MakeReal(c), TValue::MakeReal(d)});
  }
  int Category(const std::string& name) { return Table.FindCategory(name) + 1; }
  int Unit(const std::string& category, const std::string& unit) {
    return TConversionTable::FindUnit(Table.Category(Category(category) - 1), unit) + 1;
  }
  double Convert(const std::string& category, const std::string& from, const std::string& to, double value) {
    return Value(Category(category), Unit(category, from), Unit(category, to), value);
  }
};

TEST_F(Conv, ThePartsExamplesInExpressions) {
  EXPECT_EQ(F.Eval("Conv(1, 2, 1, 1)"), test::Real(1.0 / 360));  // a degree in circles
  EXPECT_EQ(F.Eval("Conv(9, 2, 3, 212)"), "373.15");             // Fahrenheit to Kelvin
  EXPECT_EQ(F.Eval("Conv(9, 2, 0.3/0.1, 212)"), "373.15");       // an id next to a whole number
  EXPECT_EQ(F.Eval("Conv(3, 5, 7, 10)"), "37.85411784");         // 10 US gallons in liters
  EXPECT_EQ(F.Eval("Conv(9, 1, 1, 1), Conv(9, 3, 3, 0.001)"), "1\n0.001");
  EXPECT_EQ(Value(9, 3, 3, 0.001), 0.001);  // exactly: a unit to itself takes no step
  EXPECT_EQ(F.Eval("Conv(0, 1, 1, 1)"), "Invalid value for CONV :  incorrect id of unit category  : 0 : NONMATH");
  // The definitions see the conversions too.
  F.Define("y=Conv(9,2,3,212)");
  EXPECT_EQ(F.Eval("y"), "373.15");
}

struct TFailureCase {
  const char* Name;
  std::vector<TValue> Args;
  const char* Message;
};

class ConvFailures : public Conv, public ::testing::WithParamInterface<TFailureCase> {};

TEST_P(ConvFailures, SayWhy) { EXPECT_EQ(Failure(GetParam().Args), GetParam().Message); }

TValue R(double v) { return TValue::MakeReal(v); }
const double kNaN = EngineNaN();
const double kInf = INFINITY;

INSTANTIATE_TEST_SUITE_P(
    Cases, ConvFailures,
    ::testing::Values(
        TFailureCase{"FractionalCategory", {R(1.5), R(1), R(1), R(1)}, "Id of unit category must be un integer : 1.5"},
        TFailureCase{"NaNCategory", {R(kNaN), R(1), R(1), R(1)}, "Id of unit category must be un integer : -NAN"},
        TFailureCase{"InfiniteFrom", {R(1), R(kInf), R(1), R(1)}, "Id of convert from unit must be un integer : INF"},
        TFailureCase{"FractionalTo", {R(1), R(1), R(2.5), R(1)}, "Id of convert to unit must be un integer : 2.5"},
        TFailureCase{"CategoryZero", {R(0), R(1), R(1), R(1)}, "Incorrect id of unit category  : 0"},
        TFailureCase{"CategoryTwelve", {R(12), R(1), R(1), R(1)}, "Incorrect id of unit category  : 12"},
        TFailureCase{"HugeCategory", {R(1e300), R(1), R(1), R(1)}, "Incorrect id of unit category  : 1E300"},
        TFailureCase{"FromOutside", {R(9), R(5), R(1), R(1)}, "Incorrect id of convert from unit : 5"},
        TFailureCase{"ToOutside", {R(9), R(1), R(-1), R(1)}, "Incorrect id of convert to unit : -1"},
        TFailureCase{"ComplexValue", {R(9), R(1), R(2), TValue::MakeComplex(1, 2)}, "Incorrect real type"},
        TFailureCase{"BooleanId", {TValue::MakeBool(true), R(1), R(2), R(1)}, "Incorrect real type"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(Conv, CurrencyArgumentsAreReals) {
  EXPECT_DOUBLE_EQ(Value(9, 1, 2, 100), 212);
  EXPECT_EQ(Failure({TValue::MakeCurrency(90000), TValue::MakeCurrency(10000), TValue::MakeCurrency(20000),
                     TValue::MakeCurrency(1000000)}),
            "no failure");
}

TEST_F(Conv, LockedUntilTheNextCheck) {
  Table.Lock();
  EXPECT_TRUE(F.Calc.DefinitionsStale());
  EXPECT_EQ(Failure(1, 1, 2, 5), "Please check conversions");
  EXPECT_EQ(Failure(1.5, 1, 2, 5), "Id of unit category must be un integer : 1.5");  // the ids come first
  ASSERT_TRUE(Table.Check());
  EXPECT_DOUBLE_EQ(Value(1, 1, 2, 5), 1800);
  // Definitions that convert, typed while the table is locked, work at the
  // first evaluation after the check.
  Table.Lock();
  F.Define("y=Conv(9,2,3,212)");
  EXPECT_TRUE(F.Calc.DefinitionsInvalid());
  ASSERT_TRUE(Table.Check());
  EXPECT_EQ(F.Eval("y"), "373.15");
}

// Paths of several steps, against the definitions' formulas applied by hand.
TEST_F(Conv, MultiStepPathsGiveTheChainedFormulas) {
  struct TChain {
    const char* Category;
    const char* From;
    const char* To;
    double Value;
    double Expected;
  };
  const TChain chains[] = {
      {"Length", "inches", "meters", 1, 1 * 2.54 / 10 / 10},
      {"Length", "miles", "yards", 1, 1.0 * 8 * 40 * 5.5},
      {"Length", "lightyears", "kilometers", 2, 2 * 9460730472580.8},
      {"Length", "micrometers", "inches", 1, 1.0 / 1000 / 10 / 2.54},
      {"Weight", "tons (metric)", "milligrams", 1.5, 1.5 * 1000 * 10 * 10 * 10 * 10 * 10 * 10},
      {"Weight", "carats", "grains", 1, 0.0002 / (0.45359237 / 7000)},
      {"Temperature", "Kelvin", "Rankine", 300, (1.8 * (300 - 273.15) + 32) + 459.67},
      {"Temperature", "Rankine", "Celcius", 0, ((0 - 459.67) - 32) * 5 / 9},
      {"Energy", "Btu", "kWh", 3, 3 * 1055.05585262 / 3.6e6},
      {"Energy", "MeV", "ft lb", 1, 1e6 * 1.602176634e-19 / (0.3048 * 0.45359237 * 9.80665)},
      {"Bits & Bytes", "megabytes", "kilobytes", 1, 1024},
      {"Capacity", "gallons", "teaspoons", 1, 4.0 * 2 * 4 * 4 * 2 * 3},
      {"Pressure", "atm", "torr", 1, 760},
      {"Angles", "pi radians", "seconds", 1, 180.0 * 60 * 60},
      {"Time", "years", "seconds", 1, 365.0 * 24 * 60 * 60},
  };
  for (const TChain& c : chains) {
    ASSERT_GT(Unit(c.Category, c.From), 0) << c.From;
    ASSERT_GT(Unit(c.Category, c.To), 0) << c.To;
    EXPECT_NEAR(Convert(c.Category, c.From, c.To, c.Value), c.Expected, std::fabs(c.Expected) * 1e-14)
        << c.Category << ": " << c.From << " to " << c.To;
  }
  // Micrometers to inches after "meters" became "zmeters": the ids follow
  // the sorted names.
  test::TTempFolder dir;
  std::string text(DefaultConversionText());
  for (std::size_t at; (at = text.find(": meters :")) != std::string::npos;) text.replace(at, 10, ": zmeters :");
  for (std::size_t at; (at = text.find("=meters :")) != std::string::npos;) text.replace(at, 9, "=zmeters :");
  test::WriteBytes(dir.File("z.cnv"), text);
  ASSERT_TRUE(Table.Read(dir.File("z.cnv")));
  ASSERT_TRUE(Table.Check());
  EXPECT_NEAR(Value(6, 14, 9, 1), 3.93700787402e-5, 1e-16);
  EXPECT_EQ(F.Eval("Conv(6, 14, 9, 1)"), "3.93700787401575E-5");
}

// The check keeps no compiled definition; a conversion compiles the steps
// it takes, once, and an edited row is compiled again after the next check.
TEST_F(Conv, StepsAreCompiledAtTheirFirstUse) {
  auto compiled = [&] {
    Strings steps;
    for (const TUnitCategory& c : Table.Categories())
      for (std::size_t i = 0; i < c.Definitions.size(); ++i) {
        if (c.Definitions[i].ForwardEngine) steps.push_back(c.Name + " " + std::to_string(i + 1) + " A => B");
        if (c.Definitions[i].BackwardEngine) steps.push_back(c.Name + " " + std::to_string(i + 1) + " B => A");
      }
    return steps;
  };
  EXPECT_EQ(compiled(), Strings{});
  EXPECT_DOUBLE_EQ(Value(9, 2, 3, 212), 373.15);
  EXPECT_DOUBLE_EQ(Value(9, 2, 3, 32), 273.15);
  EXPECT_EQ(compiled(), (Strings{"Temperature 1 B => A", "Temperature 2 A => B"}));
  const int temperature = Category("Temperature") - 1;
  ASSERT_TRUE(Table.EditDefinition(temperature, 0, 0, 1, "1.8*x+32", "(x-32)/1.8"));
  EXPECT_EQ(Failure(9, 2, 3, 212), TConversionTable::kLockedMessage);
  ASSERT_TRUE(Table.Check());
  EXPECT_EQ(compiled(), (Strings{"Temperature 2 A => B"}));
  EXPECT_DOUBLE_EQ(Value(9, 2, 3, 212), 180 / 1.8 + 273.15);
  EXPECT_EQ(F.Ui.Messages, Strings{});
}

// Every row of the built-in table converts by the units' definitions (NIST
// SP 811, appendix B; the SI): 1 Unit A in Unit B, worked out exactly from
// the definitions (the foot 0.3048 m, the pound 0.45359237 kg, g = 9.80665
// m/s^2, the US gallon 231 in^3, the IT calorie 4.1868 J and the IT Btu =
// calorie x 453.59237 x 5/9, mmHg = 13.5951 g/cm^3 x g x 1 mm, torr =
// 101325/760 Pa, the light-year c x 365.25 days), the temperature rows at a
// fixed point.
TEST_F(Conv, BuiltInRowsConvertByTheDefinitions) {
  struct TRow {
    const char* Category;
    const char* UnitA;
    const char* UnitB;
    double Value;
    double Expected;
  };
  const TRow rows[] = {
      {"Angles", "pi radians", "degrees", 1, 180.0},
      {"Angles", "pi radians", "gradients", 1, 200.0},
      {"Angles", "degrees", "minutes", 1, 60.0},
      {"Angles", "minutes", "seconds", 1, 60.0},
      {"Angles", "circles", "degrees", 1, 360.0},
      {"Angles", "quadrants", "degrees", 1, 90.0},
      {"Bits & Bytes", "megabytes", "bytes", 1, 1048576.0},
      {"Bits & Bytes", "kilobytes", "bytes", 1, 1024.0},
      {"Bits & Bytes", "bytes", "bits (micro)", 1, 8.0},
      {"Capacity", "gallons", "quarts", 1, 4.0},
      {"Capacity", "quarts", "pints", 1, 2.0},
      {"Capacity", "pints", "gills", 1, 4.0},
      {"Capacity", "gills", "fluid ounces", 1, 4.0},
      {"Capacity", "gallons", "liters", 1, 3.785411784},
      {"Capacity", "liters", "deciliters", 1, 10.0},
      {"Capacity", "deciliters", "centiliters", 1, 10.0},
      {"Capacity", "centiliters", "milliliters", 1, 10.0},
      {"Capacity", "cups", "fluid ounces", 1, 8.0},
      {"Capacity", "fluid ounces", "tablespoons", 1, 2.0},
      {"Capacity", "tablespoons", "teaspoons", 1, 3.0},
      {"Current", "A", "C/s", 1, 1.0},
      {"Current", "A", "mA", 1, 1000.0},
      {"Current", "A", "uA", 1, 1000000.0},
      {"Energy", "J", "ft lb", 1, 0.7375621492772654},
      {"Energy", "J", "ergs", 1, 10000000.0},
      {"Energy", "cal", "J", 1, 4.1868},
      {"Energy", "Btu", "cal", 1, 251.9957611111111},
      {"Energy", "eV", "J", 1, 1.602176634e-19},
      {"Energy", "MeV", "eV", 1, 1000000.0},
      {"Energy", "kWh", "J", 1, 3600000.0},
      {"Energy", "kJ", "J", 1, 1000.0},
      {"Energy", "L atm", "J", 1, 101.325},
      {"Length", "megameters", "kilometers", 1, 1000.0},
      {"Length", "kilometers", "hectometers", 1, 10.0},
      {"Length", "hectometers", "dekameters", 1, 10.0},
      {"Length", "dekameters", "meters", 1, 10.0},
      {"Length", "meters", "decimeters", 1, 10.0},
      {"Length", "decimeters", "centimeters", 1, 10.0},
      {"Length", "centimeters", "millimeters", 1, 10.0},
      {"Length", "millimeters", "micrometers", 1, 1000.0},
      {"Length", "micrometers", "nanometers", 1, 1000.0},
      {"Length", "nanometers", "angstroms", 1, 10.0},
      {"Length", "inches", "centimeters", 1, 2.54},
      {"Length", "leagues", "miles", 1, 3.0},
      {"Length", "miles", "furlongs", 1, 8.0},
      {"Length", "nautical miles", "meters", 1, 1852.0},
      {"Length", "furlongs", "rods", 1, 40.0},
      {"Length", "rods", "yards", 1, 5.5},
      {"Length", "fathoms", "feet", 1, 6.0},
      {"Length", "yards", "feet", 1, 3.0},
      {"Length", "feet", "inches", 1, 12.0},
      {"Length", "inches", "mils", 1, 1000.0},
      {"Length", "picas", "points", 1, 12.0},
      {"Length", "picas", "inches", 1, 0.16666666666666666},
      {"Length", "lightyears", "meters", 1, 9460730472580800.0},
      {"Power", "hp", "ft lb/s", 1, 550.0},
      {"Power", "W", "ft lb/s", 1, 0.7375621492772654},
      {"Power", "W", "J/s", 1, 1.0},
      {"Power", "kW", "W", 1, 1000.0},
      {"Pressure", "kPa", "Pa", 1, 1000.0},
      {"Pressure", "atm", "kPa", 1, 101.325},
      {"Pressure", "bar", "Pa", 1, 100000.0},
      {"Pressure", "mm Hg", "Pa", 1, 133.322387415},
      {"Pressure", "lb/in^2", "kPa", 1, 6.894757293168361},
      {"Pressure", "cm Hg", "mm Hg", 1, 10.0},
      {"Pressure", "Pa", "N/m^2", 1, 1.0},
      {"Pressure", "torr", "mm Hg", 1, 0.999999857533699},
      {"Pressure", "lb/ft^2", "Pa", 1, 47.880258980335846},
      {"Temperature", "Celcius", "Fahrenheit", 100, 212},
      {"Temperature", "Celcius", "Kelvin", 100, 373.15},
      {"Temperature", "Fahrenheit", "Rankine", 32, 491.67},
      {"Time", "years", "days", 1, 365.0},
      {"Time", "days", "hours", 1, 24.0},
      {"Time", "hours", "minutes", 1, 60.0},
      {"Time", "minutes", "seconds", 1, 60.0},
      {"Weight", "tons (metric)", "kilograms", 1, 1000.0},
      {"Weight", "kilograms", "hectograms", 1, 10.0},
      {"Weight", "hectograms", "dekagrams", 1, 10.0},
      {"Weight", "dekagrams", "grams", 1, 10.0},
      {"Weight", "grams", "decigrams", 1, 10.0},
      {"Weight", "decigrams", "centigrams", 1, 10.0},
      {"Weight", "centigrams", "milligrams", 1, 10.0},
      {"Weight", "tons (ST)", "hundredweights", 1, 20.0},
      {"Weight", "hundredweights", "pounds", 1, 100.0},
      {"Weight", "pounds", "ounces", 1, 16.0},
      {"Weight", "ounces", "drams", 1, 16.0},
      {"Weight", "ounces", "grains", 1, 437.5},
      {"Weight", "carats", "milligrams", 1, 200.0},
      {"Weight", "kilograms", "pounds", 1, 2.2046226218487757},
  };
  std::size_t count = 0;
  for (const TUnitCategory& c : Table.Categories()) count += c.Definitions.size();
  EXPECT_EQ(std::size(rows), count);
  for (const TRow& r : rows)
    EXPECT_NEAR(Convert(r.Category, r.UnitA, r.UnitB, r.Value), r.Expected, std::fabs(r.Expected) * 1e-12)
        << r.Category << ": " << r.UnitA << " to " << r.UnitB;
}

// The units table loads and checks without a message, and converts by the
// units' definitions (values worked out with mpmath or by hand).
TEST_F(Conv, TheUnitsTableChecksQuietlyAndConvertsExactly) {
  ASSERT_TRUE(Table.ReadText(UnitsTableText()));
  EXPECT_TRUE(Table.Check());
  EXPECT_EQ(F.Ui.Messages, Strings{});
  EXPECT_EQ(Table.CategoryCount(), 16);
  struct TCase {
    const char* Category;
    const char* From;
    const char* To;
    double Value;
    double Expected;
  };
  const TCase cases[] = {
      {"Area", "acres", "square feet", 1, 43560},
      {"Speed", "km/h", "mph", 100, 62.1371192237333969617},
      {"Density", "g/cm^3", "kg/m^3", 19.3, 19300},
      {"Density", "lb/ft^3", "kg/m^3", 1, 16.0184633739601395797},
      {"Data", "GiB", "MB", 1, 1073.741824},
      {"Data", "kB", "bits", 1, 8000},
      {"Angles", "radians", "degrees", 1, 57.2957795130823208768},
      {"Angles", "turns", "arcseconds", 1, 1296000},
      {"Force", "kgf", "lbf", 1, 2.20462262184877580723},
      {"Frequency", "rad/s", "rpm", 1, 9.54929658551372014613},
      {"Volume", "gallons (US)", "cubic inches", 1, 231},
      {"Volume", "gallons (imperial)", "liters", 1, 4.54609},
      {"Temperature", "Fahrenheit", "Celsius", 98.6, 37},
      {"Length", "parsecs", "lightyears", 1, 3.26156377716743356214},
      {"Pressure", "in Hg", "mm Hg", 1, 25.4},
      {"Energy", "kWh", "Btu", 1, 3412.14163312794192005},
      {"Power", "hp", "W", 1, 745.69987158227022},
      {"Weight", "troy ounces", "grains", 1, 480},
      {"Time", "Julian years", "days", 1, 365.25},
  };
  for (const TCase& c : cases) {
    ASSERT_GT(Unit(c.Category, c.From), 0) << c.From;
    ASSERT_GT(Unit(c.Category, c.To), 0) << c.To;
    EXPECT_NEAR(Convert(c.Category, c.From, c.To, c.Value), c.Expected, std::fabs(c.Expected) * 1e-12)
        << c.Category << ": " << c.From << " to " << c.To;
  }
}

TEST_F(Conv, RoundTripsComeBack) {
  for (int c = 0; c < Table.CategoryCount(); ++c) {
    const int units = static_cast<int>(Table.Category(c).Units.size());
    for (int a = 1; a <= units; ++a)
      for (int b = 1; b <= units; ++b)
        for (const double v : {1.0, 123.456, -40.0}) {
          const double there = Value(c + 1, a, b, v);
          const double back = Value(c + 1, b, a, there);
          EXPECT_NEAR(back, v, std::fabs(v) * 1e-12) << Table.Category(c).Name << " " << a << " " << b;
        }
  }
}

TEST_F(Conv, AFailingStepNamesBothUnits) {
  test::TTempFolder dir;
  test::WriteBytes(dir.File("bad.cnv"), "[T]\r\n1=a : b : x*complex(0,1) : x/(x-x)\r\n2=b : c : x*2 : x/2\r\n");
  ASSERT_TRUE(Table.Read(dir.File("bad.cnv")));
  ASSERT_TRUE(Table.Check());  // x/(x-x) is only reported
  EXPECT_EQ(Failure(1, 1, 2, 3), "a ---> b : Incorrect real type");
  EXPECT_TRUE(test::StartsWith(Failure(1, 3, 1, 3), "b ---> a : ") &&
              Failure(1, 3, 1, 3).find("1.5 / 0") != std::string::npos)
      << Failure(1, 3, 1, 3);
  EXPECT_DOUBLE_EQ(Value(1, 2, 3, 4), 8);
}

// A first category whose conversions are not linear is only reported, and
// every later category still converts.
TEST_F(Conv, WarningsDoNotStopTheCheck) {
  test::TTempFolder dir;
  test::WriteBytes(dir.File("acid.cnv"),
                   "[Acidity]\r\n1=pH : mol/L : 10^(-x) : -log10(x)\r\n\r\n" + std::string(DefaultConversionText()));
  ASSERT_TRUE(Table.Read(dir.File("acid.cnv")));
  EXPECT_TRUE(Table.Check());
  EXPECT_EQ(F.Ui.Messages, (Strings{"Error in category : Acidity : Row# 1 A => B :  Expression must be linear"}));
  EXPECT_EQ(F.Eval("Conv(2, 2, 1, 1)"), test::Real(1.0 / 360));
  EXPECT_EQ(F.Eval("Conv(1, 1, 2, 0.001)"), "3");  // mol/L to pH
}

TEST_F(Conv, NoPathBetweenUnitsOfSeparateDefinitions) {
  test::TTempFolder dir;
  test::WriteBytes(dir.File("two.cnv"), "[T]\r\n1=a : b : x*2 : x/2\r\n2=c : d : x*3 : x/3\r\n");
  ASSERT_TRUE(Table.Read(dir.File("two.cnv")));
  ASSERT_TRUE(Table.Check());
  EXPECT_EQ(Failure(1, 1, 3, 1), "No unit converion definition");
  EXPECT_DOUBLE_EQ(Value(1, 4, 3, 9), 3);
}

// The conversion window's calculation, without the window.
TEST_F(Conv, WindowCalculationWithTheUserDefinitions) {
  TUnitConversion tool(F.Calc, F.Calc.Conversions());
  const int temperature = Category("Temperature") - 1;
  TConversionOutcome out = tool.Calculate("complex(1,\r\n2)", temperature, 0, 1);  // Celcius to Fahrenheit
  EXPECT_EQ(out.Caption, "Expression: Complex(1, 2)");
  EXPECT_EQ(out.Value, "Complex(33.8, 3.6)");
  out = tool.Calculate("y*3", temperature, 2, 2);  // Kelvin to itself
  EXPECT_EQ(out.Caption, "Expression: 1");
  EXPECT_EQ(out.Value, "1");
  EXPECT_TRUE(F.Ui.Messages.empty());
  out = tool.Calculate("x", temperature, 0, 1);  // the function variable is NaN here
  EXPECT_EQ(out.Value, "-NAN");
  out = tool.Calculate("2", -1, -1, -1);
  EXPECT_EQ(out.Caption, "Expression:");
  EXPECT_EQ(F.Ui.Messages, (Strings{"Please enter an unit category"}));
  F.Ui.Clear();
  F.Define("y=");
  F.Ui.Clear();
  out = tool.Calculate("2", temperature, 0, 1);
  EXPECT_EQ(out.Value, "");
  EXPECT_EQ(F.Ui.Messages, (Strings{"Please corect user definitions"}));
  F.Ui.Clear();
  F.Define("y=1/3");
  Table.Lock();
  tool.Calculate("2", temperature, 0, 1);
  EXPECT_EQ(F.Ui.Messages, (Strings{"Please check conversions"}));
}

TEST(FunctionTable, ConvIsEntrySixAndCodesAreTableNumbers) {
  test::TCalculatorFixture f;
  const TUserFuncArray& t = f.Calc.FunctionTable();
  ASSERT_EQ(t.size(), 65u);
  EXPECT_EQ(t[6].Name, "Conv");
  EXPECT_EQ(t[6].ArgCount, 4);
  // The error code of entry k is 98 + 112 (the date-time pack) + k.
  const std::pair<const char*, int> failing[] = {{"Conv(0,1,1,1)", 216},
                                                 {"Gamma(-1)", 218},
                                                 {"Lagrange(1,5)", 226},
                                                 {"NormalZ(nan)", 228},
                                                 {"BinomialCoeff(-1,2)", 274}};
  for (const auto& [expression, code] : failing) {
    f.Eval(expression);
    EXPECT_EQ(f.Calc.ExpressionsEngine().ErrorCode, code) << expression;
  }
}

}  // namespace
}  // namespace helmax
