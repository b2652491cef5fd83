// Editing the conversion table as its window and dialogs do: categories,
// units (renames that re-sort and merge), definitions and their checks,
// row deletion, and the file commands that must lose nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "../common/TempFolder.h"
#include "ConversionTable.h"

namespace helmax {
namespace {

using Strings = std::vector<std::string>;

struct Editing : ::testing::Test {
  TMessageRecorder Ui;
  TConversionTable Table{Ui};
  void SetUp() override {
    Table.UseDefaultTable();
    ASSERT_TRUE(Table.Check());
    Ui.Clear();
  }
  int Category(const std::string& name) { return Table.FindCategory(name); }
  int Unit(const std::string& category, const std::string& name) {
    return TConversionTable::FindUnit(Table.Category(Category(category)), name);
  }
  Strings CategoryNames() {
    Strings names;
    for (const TUnitCategory& c : Table.Categories()) names.push_back(c.Name);
    return names;
  }
  Strings UnitNames(const std::string& category) {
    Strings names;
    for (const TUnit& u : Table.Category(Category(category)).Units) names.push_back(u.Name);
    return names;
  }
  // Each row as "A - B", by the names its indices give.
  Strings Rows(const std::string& category) {
    Strings rows;
    const TUnitCategory& c = Table.Category(Category(category));
    for (const TConversionDefinition& d : c.Definitions)
      rows.push_back(c.Units.at(static_cast<std::size_t>(d.UnitA)).Name + " - " +
                     c.Units.at(static_cast<std::size_t>(d.UnitB)).Name);
    return rows;
  }
  // The rows with one unit's name replaced.
  static Strings Renamed(Strings rows, const std::string& from, const std::string& to) {
    for (std::string& row : rows) {
      const std::size_t dash = row.find(" - ");
      std::string a = row.substr(0, dash), b = row.substr(dash + 3);
      row = (a == from ? to : a) + " - " + (b == from ? to : b);
    }
    return rows;
  }
  // The edit locked the conversions and left unsaved changes.
  void ExpectChanged() {
    EXPECT_FALSE(Table.PathsValid());
    EXPECT_TRUE(Table.Modified());
  }
};

// ---- categories ---------------------------------------------------------------------------------

struct TNameCase {
  const char* Name;
  const char* Message;
};

TEST_F(Editing, CategoryNamesRefused) {
  const TNameCase cases[] = {{"", "Unit definition cannot be an empty string"},
                             {"   ", "Unit definition cannot be an empty string"},
                             {"length", "String list does not allow duplicates"},
                             {"TIME", "String list does not allow duplicates"},
                             {"a[b", "Invalid name : a[b"},
                             {"Volts]", "Invalid name : Volts]"},
                             {"line\tbreak", "Invalid name : line\tbreak"}};
  for (const TNameCase& c : cases) {
    Ui.Clear();
    EXPECT_FALSE(Table.AddCategory(c.Name)) << c.Name;
    EXPECT_EQ(Ui.Messages, Strings{c.Message}) << c.Name;
  }
  EXPECT_EQ(Table.CategoryCount(), 11);
  EXPECT_TRUE(Table.PathsValid());
  EXPECT_FALSE(Table.Modified());
}

TEST_F(Editing, AddRenameAndDeleteCategories) {
  ASSERT_TRUE(Table.AddCategory("  Density "));
  ExpectChanged();
  EXPECT_EQ(CategoryNames()[4], "Density");  // sorted in, trimmed
  // Another category's name, in any letter case, is refused; the own name
  // in another case is a rename.
  EXPECT_FALSE(Table.RenameCategory(Category("Density"), "LENGTH"));
  EXPECT_EQ(Ui.Messages, Strings{"String list does not allow duplicates"});
  ASSERT_TRUE(Table.RenameCategory(Category("Density"), "DENSITY"));
  ASSERT_TRUE(Table.RenameCategory(Category("DENSITY"), "Area"));
  EXPECT_EQ(CategoryNames()[0], "Angles");
  EXPECT_EQ(CategoryNames()[1], "Area");  // sorted again
  // Deleting asks; a category with rows stays.
  Ui.Clear();
  Ui.Answers = {false, true, true};
  EXPECT_FALSE(Table.DeleteCategory(Category("Area")));
  EXPECT_FALSE(Table.DeleteCategory(Category("Length")));
  EXPECT_EQ(Ui.Messages, Strings{"Please delete all definitions"});
  EXPECT_TRUE(Table.DeleteCategory(Category("Area")));
  EXPECT_EQ(Ui.Questions, (Strings{"ARE YOU SURE ?", "ARE YOU SURE ?", "ARE YOU SURE ?"}));
  EXPECT_EQ(Table.CategoryCount(), 11);
  EXPECT_EQ(Category("Area"), -1);
}

// ---- units ------------------------------------------------------------------------------------

TEST_F(Editing, AddingAUnitRenumbersTheRows) {
  const Strings before = Rows("Temperature");
  EXPECT_FALSE(Table.AddUnit(Category("Temperature"), ""));  // the dialog stays open, silently
  EXPECT_FALSE(Table.AddUnit(Category("Temperature"), "h:m"));
  EXPECT_EQ(Ui.Messages, Strings{"Invalid name : h:m"});
  EXPECT_TRUE(Table.AddUnit(Category("Temperature"), "KELVIN"));  // already there: nothing changes
  EXPECT_TRUE(Table.PathsValid());
  ASSERT_TRUE(Table.AddUnit(Category("Temperature"), " Delisle "));
  ExpectChanged();
  EXPECT_EQ(UnitNames("Temperature"), (Strings{"Celcius", "Delisle", "Fahrenheit", "Kelvin", "Rankine"}));
  EXPECT_EQ(Rows("Temperature"), before);  // the rows still join the same units
  const TUnit& delisle = Table.Category(Category("Temperature")).Units[1];
  EXPECT_EQ(std::pair(delisle.X, delisle.Y), std::pair(20, 20));
}

TEST_F(Editing, RenamingAUnitKeepsItsRowsAndPosition) {
  const int length = Category("Length");
  const Strings before = Rows("Length");
  const TUnit meters = Table.Category(length).Units[static_cast<std::size_t>(Unit("Length", "meters"))];
  ASSERT_TRUE(Table.RenameUnit(length, Unit("Length", "meters"), "Meters"));  // letter case only
  ExpectChanged();
  const Strings expected = Renamed(before, "meters", "Meters");
  EXPECT_EQ(Rows("Length"), expected);
  // A new name takes its sorted place (the rows follow), the position stays.
  ASSERT_TRUE(Table.RenameUnit(length, Unit("Length", "Meters"), "zmeters"));
  EXPECT_EQ(UnitNames("Length").back(), "zmeters");
  const TUnit& z = Table.Category(length).Units.back();
  EXPECT_EQ(std::pair(z.X, z.Y), std::pair(meters.X, meters.Y));
  EXPECT_EQ(Rows("Length"), Renamed(before, "meters", "zmeters"));
  // The ids follow the sorted names: unit 14 is micrometers, 9 inches.
  ASSERT_TRUE(Table.Check());
  TValue args[4] = {TValue::MakeReal(6), TValue::MakeReal(14), TValue::MakeReal(9), TValue::MakeReal(1)};
  TValue* pointers[4] = {&args[0], &args[1], &args[2], &args[3]};
  TValue result;
  Table.Conv(pointers, 4, result);
  EXPECT_NEAR(result.Num, 1e-6 / 0.0254, 1e-18);
}

TEST_F(Editing, RenamingOntoAnotherUnitMergesThem) {
  const int length = Category("Length");
  const std::size_t rows = Table.Category(length).Definitions.size();
  const std::size_t units = Table.Category(length).Units.size();
  const TUnit decimeters = Table.Category(length).Units[static_cast<std::size_t>(Unit("Length", "decimeters"))];
  ASSERT_TRUE(Table.RenameUnit(length, Unit("Length", "meters"), "DECIMETERS"));
  ExpectChanged();
  EXPECT_EQ(Unit("Length", "meters"), -1);
  EXPECT_EQ(Table.Category(length).Units.size(), units - 1);
  // The row that joined the two goes; the others of meters join decimeters.
  EXPECT_EQ(Table.Category(length).Definitions.size(), rows - 1);
  const Strings after = Rows("Length");
  EXPECT_EQ(after[3], "dekameters - decimeters");
  EXPECT_EQ(after[4], "decimeters - centimeters");
  EXPECT_EQ(after[12], "nautical miles - decimeters");
  EXPECT_EQ(after.back(), "lightyears - decimeters");
  const TUnit& kept = Table.Category(length).Units[static_cast<std::size_t>(Unit("Length", "decimeters"))];
  EXPECT_EQ(std::tuple(kept.Name, kept.X, kept.Y), std::tuple(decimeters.Name, decimeters.X, decimeters.Y));
}

TEST_F(Editing, AnEmptyNameDeletesAUnitNoRowUses) {
  const int temperature = Category("Temperature");
  EXPECT_TRUE(Table.RenameUnit(temperature, Unit("Temperature", "Kelvin"), ""));  // in use: it stays
  EXPECT_EQ(UnitNames("Temperature").size(), 4u);
  EXPECT_TRUE(Ui.Messages.empty());
  ASSERT_TRUE(Table.AddUnit(temperature, "Delisle"));
  const Strings rows = Rows("Temperature");
  ASSERT_TRUE(Table.RenameUnit(temperature, Unit("Temperature", "Delisle"), " "));
  EXPECT_EQ(UnitNames("Temperature"), (Strings{"Celcius", "Fahrenheit", "Kelvin", "Rankine"}));
  EXPECT_EQ(Rows("Temperature"), rows);
  EXPECT_FALSE(Table.RenameUnit(temperature, 0, "a:b"));
  EXPECT_EQ(Ui.Messages, Strings{"Invalid name : a:b"});
}

// ---- definitions -----------------------------------------------------------------------------

struct TCheckCase {
  int UnitA, UnitB;
  const char* Forward;
  const char* Backward;
  const char* Message;  // empty: accepted
};

TEST(DefinitionCheck, RefusesWhatCannotConvertOrBeSaved) {
  const TCheckCase cases[] = {
      {-1, 1, "x", "x", "Please select items in ComboBox"},
      {0, -1, "x", "x", "Please select items in ComboBox"},
      {2, 2, "x", "x", "Items must be diferent"},
      {0, 1, "x^2", "x", "A => B :  Expression must be linear"},
      {0, 1, "x", "x^2", "B => A : Expression must be linear"},
      {0, 1, "5", "x", "A => B :  Expression must contain variable x"},
      {0, 1, "x", "5", "B => A : Expression must contain variable x"},
      {0, 1, "x*0:30", "x", "A => B : Invalid expression : x*0:30"},
      {0, 1, "x", "x:2", "B => A : Invalid expression : x:2"},
      {0, 1, "1.8*x+32", "(x-32)*5/9", ""},
  };
  for (const TCheckCase& c : cases) {
    TMessageRecorder ui;
    TDefinitionCheck check(ui);
    EXPECT_EQ(check.Check(c.UnitA, c.UnitB, c.Forward, c.Backward), *c.Message == '\0') << c.Forward;
    EXPECT_EQ(ui.Messages, *c.Message == '\0' ? Strings{} : Strings{c.Message}) << c.Forward << " " << c.Backward;
  }
  // A compile error is shown with its direction in front.
  TMessageRecorder ui;
  TDefinitionCheck check(ui);
  EXPECT_FALSE(check.Check(0, 1, "x", "x*y"));
  ASSERT_EQ(ui.Messages.size(), 1u);
  EXPECT_TRUE(ui.Messages[0].starts_with("B => A : ")) << ui.Messages[0];
}

// Directions that cannot convert back are refused, naming the row; offsets
// and factors that are inverse pass.
TEST(DefinitionCheck, RefusesDirectionsThatAreNotInverse) {
  struct TCase {
    const char* Forward;
    const char* Backward;
    const char* Finding;  // empty: accepted
  };
  const TCase cases[] = {
      {"x*0", "x/0", "A => B does not depend on x"},
      {"x-x+1", "x", "A => B does not depend on x"},
      {"x*3.6", "x*3.6", "B => A does not bring A => B back to x (x = 0.5 gives 1.8, and back 6.48)"},
      {"x*2", "x/0", "B => A does not bring A => B back to x (x = 0.5 gives 1, where B => A fails)"},
      {"x+273.15", "x+273.15", "B => A does not bring A => B back to x (x = 0.5 gives 273.65, and back 546.8)"},
      {"x/3.6", "x*3.6", ""},
      {"1.8*x+32", "(x-32)/1.8", ""},
      {"x*1e-300", "x*1e300", ""},
  };
  for (const TCase& c : cases) {
    TMessageRecorder ui;
    TDefinitionCheck check(ui);
    const bool sound = *c.Finding == '\0';
    EXPECT_EQ(check.Check(0, 1, c.Forward, c.Backward, RowName("Speed", 3)), sound) << c.Forward;
    EXPECT_EQ(ui.Messages,
              sound ? Strings{} : Strings{std::string("Error in category : Speed : Row# 3 : ") + c.Finding})
        << c.Forward << " " << c.Backward;
  }
}

// The test of two directions, on texts the check of a loaded table sees
// (not linear ones too): pH and its inverse pass, samples where a direction
// is not defined are skipped, x^2 is no inverse of sqrt(x) at -3.
TEST(DefinitionDirections, SkipUndefinedSamples) {
  auto finding = [](const std::string& forward, const std::string& backward) {
    const std::vector<double> xs(std::begin(kDirectionSamples), std::end(kDirectionSamples));
    THelmaxComplexEval e;
    e.ProtectDigitVariables = e.ProtectOtherVariables = true;
    e.VerifySyntaxSemantics(forward, "x", false);
    const std::vector<double> there = ValuesAt(e, xs);
    e.VerifySyntaxSemantics(backward, "x", false);
    return DirectionsFindingText(TestDirections(xs, there, ValuesAt(e, there)));
  };
  EXPECT_EQ(finding("10^(-x)", "-log10(x)"), "");
  EXPECT_EQ(finding("log10(x)", "10^x"), "");  // -3 has no logarithm
  EXPECT_EQ(finding("1/x", "1/x"), "");
  EXPECT_EQ(finding("sqrt(x)", "x^2"), "");
  EXPECT_EQ(finding("x^2", "sqrt(x)"), "B => A does not bring A => B back to x (x = -3 gives 9, and back 3)");
  EXPECT_EQ(finding("log10(x-100)", "10^x+100"), "");  // defined at no sample: nothing to test
}

TEST_F(Editing, AddEditAndDeleteDefinitions) {
  const int temperature = Category("Temperature");
  ASSERT_TRUE(Table.AddDefinition(temperature, Unit("Temperature", "Kelvin"), Unit("Temperature", "Rankine"), "x*1.8",
                                  "x/1.8"));
  ExpectChanged();
  EXPECT_EQ(Rows("Temperature").back(), "Kelvin - Rankine");
  ASSERT_TRUE(Table.Check());
  ASSERT_TRUE(Table.EditDefinition(temperature, 3, Unit("Temperature", "Rankine"), Unit("Temperature", "Kelvin"),
                                   "x/1.8", "x*1.8"));
  ExpectChanged();
  EXPECT_EQ(Rows("Temperature").back(), "Rankine - Kelvin");
  EXPECT_EQ(Table.Category(temperature).Definitions[3].Forward, "x/1.8");
  ASSERT_TRUE(Table.Check());  // compiled again from the new texts
  EXPECT_EQ(Table.Path(temperature, Unit("Temperature", "Kelvin"), Unit("Temperature", "Rankine")),
            (std::vector<int>{8}));
}

struct TDeleteCase {
  const char* From;
  const char* Count;
  const char* Message;  // empty: rows go
  std::size_t RowsLeft;
};

TEST_F(Editing, DeletingRows) {
  const TDeleteCase cases[] = {
      {"6", "1", "Invalid #", 5},
      {"0", "1", "Invalid #", 5},
      {"1", "0", "Invalid count", 5},
      {"1", "-2", "Invalid count", 5},
      {"x", "1", "'x' is not a valid integer value", 5},
      {"1", "1.5", "'1.5' is not a valid integer value", 5},
      {"3", "99", "", 2},  // cut at the last row
      {"5", "1", "", 4},
  };
  for (const TDeleteCase& c : cases) {
    // A category of five rows.
    ASSERT_TRUE(
        Table.ReadText("[Five]\r\n1=a : b : x : x\r\n2=b : c : x : x\r\n3=c : d : x : x\r\n"
                       "4=d : e : x : x\r\n5=e : f : x : x\r\n"));
    Ui.Clear();
    EXPECT_EQ(Table.DeleteDefinitions(0, c.From, c.Count), *c.Message == '\0') << c.From << " " << c.Count;
    EXPECT_EQ(Ui.Messages, *c.Message == '\0' ? Strings{} : Strings{c.Message});
    EXPECT_EQ(Table.Category(0).Definitions.size(), c.RowsLeft) << c.From << " " << c.Count;
  }
  EXPECT_EQ(Rows("Five"), (Strings{"a - b", "b - c", "c - d", "d - e"}));
  Ui.Clear();
  Ui.Answers = {false};
  EXPECT_FALSE(Table.DeleteDefinitions(0, "1", "1"));
  EXPECT_EQ(Ui.Questions, Strings{"ARE YOU SURE ?"});
  EXPECT_EQ(Table.Category(0).Definitions.size(), 4u);
}

// ---- files -----------------------------------------------------------------------------------

struct EditingFiles : Editing {
  test::TTempFolder Dir;
  std::string File = Dir.File("table.cnv");
  void SetUp() override {
    test::WriteBytes(File, std::string(DefaultConversionText()));
    ASSERT_TRUE(Table.Read(File));
    Ui.Clear();
  }
};

TEST_F(EditingFiles, AMalformedFileKeepsTheTable) {
  ASSERT_TRUE(Table.AddCategory("Mine"));
  test::WriteBytes(Dir.File("bad.cnv"), "[Length]\r\n1=a : b : x : x\r\n[length]\r\n");
  Ui.Answers = {true};  // drop the unsaved edit
  EXPECT_FALSE(Table.Open(Dir.File("bad.cnv")));
  EXPECT_EQ(Ui.Messages, Strings{"String list does not allow duplicates"});
  EXPECT_EQ(Table.CategoryCount(), 12);
  EXPECT_EQ(Table.FilePath(), File);
  EXPECT_TRUE(Table.FileValid());
  EXPECT_TRUE(Table.Modified());
  // Unsaved edits go only after an explicit Yes.
  Ui.Clear();
  Ui.Answers = {false};
  EXPECT_FALSE(Table.Open(File));
  EXPECT_EQ(Ui.Questions, Strings{"ARE YOU SURE ?"});
  EXPECT_EQ(Table.CategoryCount(), 12);
}

TEST_F(EditingFiles, SaveWritesEditsAndDraggedPositions) {
  const int temperature = Category("Temperature");
  Table.MoveUnit(temperature, Unit("Temperature", "Celcius"), 111, 222);
  EXPECT_TRUE(Table.Modified());
  EXPECT_FALSE(Table.PathsValid());  // read: not yet checked
  ASSERT_TRUE(Table.SaveConfirmed());
  EXPECT_FALSE(Table.Modified());
  const std::string text = test::ReadBytes(File);
  // Every entry that names the unit carries its new position.
  EXPECT_NE(text.find("1=Celcius : Fahrenheit : 1.8*x+32 : (x-32)*5/9 : 111 : 222 : 597 : 244\r\n"), std::string::npos);
  EXPECT_NE(text.find("2=Celcius : Kelvin : x+273.15 : x-273.15 : 111 : 222 : 404 : 66\r\n"), std::string::npos);
  // Read back, the table is the same.
  TMessageRecorder ui;
  TConversionTable again(ui);
  ASSERT_TRUE(again.Read(File));
  std::string first, second, error;
  ASSERT_TRUE(ConversionText(Table.Categories(), first, error));
  ASSERT_TRUE(ConversionText(again.Categories(), second, error));
  EXPECT_EQ(first, second);
}

TEST_F(EditingFiles, AFailedSaveWritesNothingAndKeepsTheEdits) {
  ASSERT_TRUE(Table.AddCategory("Mine"));
  const std::string folder = Dir.File("folder.cnv");
  std::filesystem::create_directory(folder);
  EXPECT_FALSE(Table.SaveAs(folder));
  EXPECT_FALSE(Ui.Messages.empty());
  EXPECT_TRUE(Table.Modified());
  EXPECT_EQ(Table.FilePath(), File);
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(EditingFiles, NewDefaultAndExit) {
  Ui.Answers = {false};
  EXPECT_FALSE(Table.NewTable());
  EXPECT_EQ(Table.CategoryCount(), 11);
  ASSERT_TRUE(Table.NewTable());
  EXPECT_EQ(Table.CategoryCount(), 0);
  EXPECT_FALSE(Table.PathsValid());
  EXPECT_TRUE(Table.MayExit({}));  // nothing to lose
  ASSERT_TRUE(Table.RestoreDefault(Dir.File("default.cnv")));
  EXPECT_EQ(Table.CategoryCount(), 11);
  EXPECT_EQ(Table.FilePath(), Dir.File("default.cnv"));
  EXPECT_EQ(test::ReadBytes(Dir.File("default.cnv")), DefaultConversionText());
  // Leaving with unsaved edits: saved when wanted, else dropped only after
  // "ARE YOU SURE ?".
  ASSERT_TRUE(Table.AddCategory("Mine"));
  Ui.Clear();
  Ui.Answers = {false, false};
  EXPECT_FALSE(Table.MayExit({}));
  EXPECT_EQ(Ui.Questions, (Strings{"Save the changes of the conversion definition table ?", "ARE YOU SURE ?"}));
  Ui.Answers = {true};
  EXPECT_TRUE(Table.MayExit({}));
  EXPECT_NE(test::ReadBytes(Dir.File("default.cnv")).find("[Mine]"), std::string::npos);
}

}  // namespace
}  // namespace helmax
