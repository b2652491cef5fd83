// Constants libraries: the .con file read and written, the default library,
// the edits of constants and categories with their checks, the file menu's
// questions and failures, and Add to Constants.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>

#include "../app/CalculatorTestUtil.h"
#include "../common/CaseNames.h"
#include "../common/TempFolder.h"
#include "ConstantsLibrary.h"

namespace helmax {
namespace {

using Strings = std::vector<std::string>;
using test::TTempFolder;

struct Library : ::testing::Test {
  test::TCalculatorFixture F;
  TTempFolder Dir;
  TConstantsLibrary Lib{F.Calc.FunctionTable(), F.Ui, Dir.File("helmax-calc.con")};

  // Reads text as the library file named name.
  bool Read(const std::string& bytes, const std::string& name = "lib.con") {
    test::WriteBytes(Dir.File(name), bytes);
    return Lib.Open(Dir.File(name));
  }
  Strings Names(int category) const {
    Strings names;
    for (const TLibraryConstant& k : Lib.Category(category).Constants) names.push_back(k.Name);
    return names;
  }
  Strings CategoryNames() const {
    Strings names;
    for (const TConstantCategory& c : Lib.Categories()) names.push_back(c.Name);
    return names;
  }
  // A read category "c" holding a1 .. a<count>.
  void ReadCategoryOf(int count) {
    std::string text = "[c]\r\n";
    for (int i = 1; i <= count; ++i) text += "a" + std::to_string(i) + "=" + std::to_string(i) + " //\r\n";
    ASSERT_TRUE(Read(text));
  }
};

// ---- the file ----------------------------------------------------------------------------

struct LineCase {
  const char* line;
  const char* name;
  const char* value;
  const char* description;
};

class LibraryLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(LibraryLine, SplitsIntoNameValueAndDescription) {
  std::vector<TConstantCategory> categories;
  Strings duplicates;
  std::string error;
  ASSERT_TRUE(ParseLibraryText(std::string("[c]\r\n") + GetParam().line + "\r\n", categories, duplicates, error));
  ASSERT_EQ(categories.size(), 1u);
  ASSERT_EQ(categories[0].Constants.size(), 1u);
  const TLibraryConstant& k = categories[0].Constants[0];
  EXPECT_EQ(k.Name, GetParam().name);
  EXPECT_EQ(k.Value, GetParam().value);
  EXPECT_EQ(k.Description, GetParam().description);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LibraryLine,
    ::testing::Values(LineCase{"Rydberg_constant = 10973731.56816 // (1/m)", "Rydberg_constant", "10973731.56816",
                               " (1/m)"},
                      LineCase{"c=299792458 //(m/s)", "c", "299792458", "(m/s)"},
                      LineCase{"  a  =  2*pi   //  two blanks  ", "a", "2*pi", "  two blanks"},
                      LineCase{"a=1//2//3", "a", "1", "2//3"},
                      LineCase{"a=5 //x=y", "a", "5", "x=y"},
                      LineCase{"a=5 //", "a", "5", ""},
                      LineCase{"a= //only text", "a", "", "only text"},
                      LineCase{"a=1/2", "a", "1/2", ""}),  // no "//": all value
    test::NamedBy([](const LineCase& c) { return std::string(c.line); }));

TEST_F(Library, WrittenFileReadsBackTheSameLibrary) {
  ASSERT_TRUE(Lib.AddCategory("Mécanique"));
  ASSERT_TRUE(Lib.AddCategory("Astro"));
  const int meca = Lib.FindCategory("mécanique");
  ASSERT_TRUE(Lib.AddConstant(meca, "g", "9.80665", "accélération normale (m/s²)"));
  ASSERT_TRUE(Lib.AddConstant(meca, "k_spring", "2*3", "  two   inner blanks"));
  ASSERT_TRUE(Lib.AddConstant(Lib.FindCategory("Astro"), "AU", "149597870700", "(m)"));
  const std::vector<TConstantCategory> before = Lib.Categories();
  ASSERT_TRUE(Lib.SaveAs(Dir.File("round.con")));
  EXPECT_EQ(test::ReadBytes(Dir.File("round.con")),
            "[Astro]\r\nAU=149597870700 //(m)\r\n\r\n"
            "[Mécanique]\r\ng=9.80665 //accélération normale (m/s²)\r\nk_spring=2*3 //two   inner blanks\r\n\r\n");
  ASSERT_TRUE(Lib.New());
  ASSERT_TRUE(Lib.Open(Dir.File("round.con")));
  ASSERT_EQ(Lib.CategoryCount(), 2);
  for (int c = 0; c < 2; ++c) {
    EXPECT_EQ(Lib.Category(c).Name, before[static_cast<std::size_t>(c)].Name);
    ASSERT_EQ(Lib.Category(c).Constants.size(), before[static_cast<std::size_t>(c)].Constants.size());
    for (std::size_t i = 0; i < Lib.Category(c).Constants.size(); ++i) {
      const TLibraryConstant &got = Lib.Category(c).Constants[i], &want = before[static_cast<std::size_t>(c)].Constants[i];
      EXPECT_EQ(got.Name, want.Name);
      EXPECT_EQ(got.Value, want.Value);
      EXPECT_EQ(got.Description, want.Description);
    }
  }
  // A description that begins with a blank (as the default file has) keeps it.
  ASSERT_TRUE(Read("[c]\r\nR = 1 // (1/m)\r\n"));
  ASSERT_TRUE(Lib.SaveAs(Dir.File("blank.con")));
  ASSERT_TRUE(Lib.Open(Dir.File("blank.con")));
  EXPECT_EQ(Lib.Category(0).Constants[0].Description, " (1/m)");
  EXPECT_TRUE(F.Ui.Messages.empty());
}

TEST_F(Library, ReadsWindows1252Files) {
  // "Mécanique", "accélération (m/s²)" in Windows-1252, LF line ends.
  ASSERT_TRUE(Read("[M\xE9" "canique]\ng = 9.80665 //acc\xE9l\xE9ration (m/s\xB2)\n"));
  ASSERT_EQ(CategoryNames(), Strings{"Mécanique"});
  EXPECT_EQ(Lib.Category(0).Constants[0].Description, "accélération (m/s²)");
}

TEST_F(Library, CategoriesAndConstantsComeBackSortedIgnoringCase) {
  ASSERT_TRUE(Read("[zeta]\r\nz=1 //\r\n[Beta]\r\nGamma=1 //\r\nalpha=2 //\r\nBeta=3 //\r\n[alpha]\r\n"));
  EXPECT_EQ(CategoryNames(), (Strings{"alpha", "Beta", "zeta"}));
  EXPECT_EQ(Names(1), (Strings{"alpha", "Beta", "Gamma"}));
  EXPECT_EQ(Lib.FilePath(), Dir.File("lib.con"));
  EXPECT_TRUE(Lib.FileValid());
}

TEST_F(Library, DuplicateNamesInAFileKeepTheFirstAndAreReportedOnce) {
  ASSERT_TRUE(Read("[c]\r\ng=1 //first\r\nG=2 //second\r\n[d]\r\nx=1 //\r\nX=2 //\r\nx=3 //\r\n"));
  EXPECT_EQ(Names(0), Strings{"g"});
  EXPECT_EQ(Lib.Category(0).Constants[0].Value, "1");
  EXPECT_EQ(Names(1), Strings{"x"});
  EXPECT_EQ(F.Ui.Messages, Strings{"String list does not allow duplicates : [c] G, [d] X, [d] x"});
  // Saving over the file would drop its lines.
  EXPECT_FALSE(Lib.FileValid());
  EXPECT_FALSE(Lib.Save());
}

TEST_F(Library, UnreadableFilesLeaveTheLibraryAsItWas) {
  ASSERT_TRUE(Read("[c]\r\na=1 //\r\n"));
  const std::string file = Lib.FilePath();
  F.Ui.Clear();
  // A category twice (case ignored), then a folder where the file should be.
  EXPECT_FALSE(Read("[Length]\r\nm=1 //\r\n[length]\r\ncm=0.01 //\r\n", "twice.con"));
  std::filesystem::create_directory(Dir.File("folder.con"));
  EXPECT_FALSE(Lib.Open(Dir.File("folder.con")));
  EXPECT_FALSE(Lib.Open(Dir.File("missing.con")));
  ASSERT_EQ(F.Ui.Messages.size(), 3u);
  EXPECT_EQ(F.Ui.Messages[0], "String list does not allow duplicates : [length]");
  EXPECT_TRUE(test::StartsWith(F.Ui.Messages[1], "Cannot read file"));
  EXPECT_TRUE(test::StartsWith(F.Ui.Messages[2], "Cannot open file"));
  EXPECT_EQ(CategoryNames(), Strings{"c"});
  EXPECT_EQ(Names(0), Strings{"a"});
  EXPECT_EQ(Lib.FilePath(), file);
  EXPECT_TRUE(Lib.FileValid());
}

// ---- the default library ----------------------------------------------------------------------

// CODATA 2018 recommended values, magnitudes, in the library's order.
struct CodataValue {
  const char* name;
  double value;
  const char* unit;
};
constexpr CodataValue kCodata2018[] = {
    {"Speed_of_light_in_vacuum", 299792458, "(m/s)"},
    {"Elementary_charge", 1.602176634e-19, "(C)"},
    {"Electron_mass", 9.1093837015e-31, "(kg)"},
    {"Proton_mass", 1.67262192369e-27, "(kg)"},
    {"Neutron_mass", 1.67492749804e-27, "(kg)"},
    {"Muon_mass", 1.883531627e-28, "(kg)"},
    {"Electron_charge_to_mass_ratio", 1.75882001076e11, "(C/kg)"},
    {"Permittivity_constant", 8.8541878128e-12, "(F/m)"},
    {"Permeability_constant", 1.25663706212e-6, "(H/m)"},
    {"Planck_constant", 6.62607015e-34, "(J*s)"},
    {"Electron_Compton_wavelength", 2.42631023867e-12, "(m)"},
    {"Universal_gas_constant", 8.314462618, "(J/mol*K)"},
    {"Avogadro_constant", 6.02214076e23, "(1/mol)"},
    {"Boltzmann_constant", 1.380649e-23, "(J/K)"},
    {"Molar_volume_of_ideal_gas_at_STP", 22.41396954e-3, "(m^3/mol)"},
    {"Faraday_constant", 96485.33212, "(C/mol)"},
    {"Stefan_Boltzmann_constant", 5.670374419e-8, "(W/m^2*K^4)"},
    {"Rydberg_constant", 10973731.568160, " (1/m)"},
    {"Gravitational_constant", 6.67430e-11, " (m^3/s^2*kg)"},
    {"Bohr_radius", 5.29177210903e-11, " (m)"},
    {"Electron_magnetic_moment", 9.2847647043e-24, "(J/T)"},
    {"Proton_magnetic_moment", 1.41060679736e-26, "(J/T)"},
    {"Bohr_magneton", 9.2740100783e-24, "(J/T)"},
    {"Nuclear_magneton", 5.0507837461e-27, "(J/T)"},
};

bool CloseTo(double a, double b, double relative) { return std::fabs(a - b) <= relative * std::fabs(b); }

TEST_F(Library, DefaultFileIsWrittenWhenMissingAndReadBack) {
  Lib.Load(Dir.Folder());  // the settings name the program's folder
  const std::string file = Dir.File("helmax-calc.con");
  EXPECT_EQ(Lib.FilePath(), file);
  EXPECT_TRUE(Lib.FileValid());
  const std::string bytes = test::ReadBytes(file);
  EXPECT_EQ(bytes, DefaultLibraryText());
  EXPECT_TRUE(bytes.starts_with("[Physical constants]\r\nSpeed_of_light_in_vacuum = 299792458 //(m/s)\r\n"));
  // No empty line after the last constant.
  EXPECT_TRUE(bytes.ends_with("\r\nNuclear_magneton = 5.0507837461E-027 //(J/T)\r\n"));
  ASSERT_EQ(CategoryNames(), Strings{"Physical constants"});
  ASSERT_EQ(Lib.Category(0).Constants.size(), std::size(kCodata2018));

  // The file lists them in this order; the library sorts them.
  std::size_t line = bytes.find("\r\n") + 2;
  for (const CodataValue& c : kCodata2018) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(bytes.compare(line, std::string(c.name).size() + 3, std::string(c.name) + " = "), 0);
    line = bytes.find("\r\n", line) + 2;
    const int index = Lib.FindConstant(0, c.name);
    ASSERT_GE(index, 0);
    const TLibraryConstant& k = Lib.Category(0).Constants[static_cast<std::size_t>(index)];
    EXPECT_EQ(k.Description, c.unit);
    EXPECT_TRUE(CloseTo(std::strtod(k.Value.c_str(), nullptr), c.value, 1e-9)) << k.Value;
  }
  EXPECT_TRUE(F.Ui.Messages.empty());
}

// The derived constants agree with the defining ones as physics relates them.
TEST_F(Library, DefaultValuesHoldTheirPhysicalRelations) {
  Lib.Load("");
  auto v = [&](const char* name) {
    const int i = Lib.FindConstant(0, name);
    return i < 0 ? std::nan("") : std::strtod(Lib.Category(0).Constants[static_cast<std::size_t>(i)].Value.c_str(), nullptr);
  };
  const double pi = std::numbers::pi, c = v("Speed_of_light_in_vacuum"), e = v("Elementary_charge"),
               h = v("Planck_constant"), k = v("Boltzmann_constant"), na = v("Avogadro_constant"),
               me = v("Electron_mass"), mp = v("Proton_mass"), mu0 = v("Permeability_constant"),
               eps0 = v("Permittivity_constant");
  EXPECT_TRUE(CloseTo(v("Faraday_constant"), e * na, 1e-13));
  EXPECT_TRUE(CloseTo(v("Universal_gas_constant"), k * na, 1e-13));
  EXPECT_TRUE(CloseTo(v("Molar_volume_of_ideal_gas_at_STP"), k * na * 273.15 / 101325, 1e-13));
  EXPECT_TRUE(CloseTo(v("Stefan_Boltzmann_constant"), 2 * std::pow(pi, 5) * std::pow(k, 4) / (15 * h * h * h * c * c),
                      1e-13));
  EXPECT_TRUE(CloseTo(v("Electron_charge_to_mass_ratio"), e / me, 1e-11));
  EXPECT_TRUE(CloseTo(eps0, 1 / (mu0 * c * c), 1e-10));
  EXPECT_TRUE(CloseTo(v("Electron_Compton_wavelength"), h / (me * c), 1e-10));
  EXPECT_TRUE(CloseTo(v("Bohr_magneton"), e * h / (4 * pi * me), 1e-10));
  EXPECT_TRUE(CloseTo(v("Nuclear_magneton"), e * h / (4 * pi * mp), 1e-10));
  EXPECT_TRUE(CloseTo(v("Bohr_radius"), eps0 * h * h / (pi * me * e * e), 1e-9));
  EXPECT_TRUE(CloseTo(v("Rydberg_constant"), me * std::pow(e, 4) / (8 * eps0 * eps0 * h * h * h * c), 1e-9));
}

TEST_F(Library, AnExistingLibraryIsNeverRewritten) {
  const std::string old = "[Physical constants]\r\nRydberg_constant = 10973731.534 // (1/m)\r\n";
  test::WriteBytes(Dir.File("helmax-calc.con"), old);
  Lib.Load(Dir.Folder());
  EXPECT_EQ(Lib.Category(0).Constants[0].Value, "10973731.534");
  // A library that the settings name is read in the default's place.
  test::WriteBytes(Dir.File("mine.con"), "[Mine]\r\n");
  Lib.Load(Dir.File("mine.con"));
  EXPECT_EQ(CategoryNames(), Strings{"Mine"});
  Lib.Load(Dir.File("gone.con"));  // a library that went away: the default one
  EXPECT_EQ(Lib.FilePath(), Dir.File("helmax-calc.con"));
  EXPECT_EQ(test::ReadBytes(Dir.File("helmax-calc.con")), old);
}

TEST_F(Library, RydbergConstantGoesToTheConstantList) {
  Lib.Load(Dir.Folder());
  TConstantList& list = F.Calc.Constants();
  ASSERT_TRUE(Lib.AddToConstantList(0, "rydberg_CONSTANT", list));
  ASSERT_EQ(list.RowCount(), 8);
  EXPECT_EQ(list.Row(7).Name, "Rydberg_constant");
  EXPECT_EQ(list.Row(7).Value, "10973731.56816");
  EXPECT_EQ(list.Row(7).Description, " (1/m)");
  EXPECT_EQ(F.Eval("Rydberg_constant*2"), "21947463.13632");
  // The constant list's own checks stand: the name is taken now.
  EXPECT_FALSE(Lib.AddToConstantList(0, "Rydberg_constant", list));
  EXPECT_EQ(F.Ui.Messages, Strings{"IsValidIdentName-> IDENTIFIER NAME ALREADY EXIST : rydberg_constant"});
  F.Ui.Clear();
  for (const char* name : {"", "no_such_constant"}) EXPECT_FALSE(Lib.AddToConstantList(0, name, list));
  EXPECT_EQ(F.Ui.Messages, Strings(2, "Please enter a constant"));
  EXPECT_EQ(list.RowCount(), 8);
}

// ---- constants -------------------------------------------------------------------------------

TEST_F(Library, DuplicateConstantsAreRefusedInReadCategoriesAndIgnoredInNewOnes) {
  ASSERT_TRUE(Read("[read]\r\ng=9.81 //\r\n"));
  EXPECT_FALSE(Lib.AddConstant(0, "G", "6.67E-11", ""));
  EXPECT_EQ(F.Ui.Messages, Strings{"String list does not allow duplicates"});
  EXPECT_EQ(Lib.Category(0).Constants[0].Value, "9.81");
  EXPECT_FALSE(Lib.Modified());

  F.Ui.Clear();
  ASSERT_TRUE(Lib.AddCategory("made"));
  const int made = Lib.FindCategory("made");
  ASSERT_TRUE(Lib.AddConstant(made, "g", "9.81", ""));
  EXPECT_TRUE(Lib.AddConstant(made, "G", "6.67E-11", ""));  // closes the dialog, adds nothing
  EXPECT_EQ(Names(made), Strings{"g"});
  EXPECT_EQ(Lib.Category(made).Constants[0].Value, "9.81");
  EXPECT_TRUE(F.Ui.Messages.empty());
}

struct RefusalCase {
  const char* name;
  const char* value;
  const char* message;  // "" when refused silently
};

class LibraryRefusal : public Library, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(LibraryRefusal, ConstantIsRefused) {
  ASSERT_TRUE(Lib.AddCategory("c"));
  EXPECT_FALSE(Lib.AddConstant(0, GetParam().name, GetParam().value, "d"));
  EXPECT_EQ(F.Ui.Messages, *GetParam().message ? Strings{GetParam().message} : Strings{});
  EXPECT_TRUE(Lib.Category(0).Constants.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LibraryRefusal,
    ::testing::Values(RefusalCase{"a=b", "1", "Invalid name : a=b"},
                      RefusalCase{"1x", "1", "Invalid name : 1x"},
                      RefusalCase{"two words", "1", "Invalid name : two words"},
                      RefusalCase{"(a)", "1", "Invalid name : (a)"},
                      RefusalCase{"sin", "1", "Invalid name : sin"},          // a built-in
                      RefusalCase{"Date", "1", "Invalid name : Date"},        // the date-time pack
                      RefusalCase{"NormalLess", "1", "Invalid name : NormalLess"},  // the calculator's
                      RefusalCase{"_step", "1", "Invalid name : _step"},
                      RefusalCase{"k", "1 // 2", "Invalid value : 1 // 2"},
                      RefusalCase{"k", "1\n+2", "Invalid value : 1\n+2"},
                      RefusalCase{"  ", "1", ""}),
    test::NamedBy([](const RefusalCase& c) { return std::string(c.name) + "_" + c.value; }));

TEST_F(Library, ConstantTextsAreTrimmedAndLineBreaksInDescriptionsBecomeSpaces) {
  ASSERT_TRUE(Lib.AddCategory("c"));
  // Names held by the constant list are free here: the library is its own.
  ASSERT_TRUE(Lib.AddConstant(0, "  from ", " 2*pi\n", " first\r\nsecond\nthird "));
  const TLibraryConstant& k = Lib.Category(0).Constants[0];
  EXPECT_EQ(k.Name, "from");
  EXPECT_EQ(k.Value, "2*pi");
  EXPECT_EQ(k.Description, "first second third");
  EXPECT_TRUE(Lib.Modified());
}

TEST_F(Library, EditingRenamesAndSortsAgainWithoutLosingAConstant) {
  ASSERT_TRUE(Read("[c]\r\nalpha=1 //a\r\nbravo=2 //b\r\ncharlie=3 //c\r\n"));
  ASSERT_TRUE(Lib.EditConstant(0, 0, "zulu", "10", "z"));
  EXPECT_EQ(Names(0), (Strings{"bravo", "charlie", "zulu"}));
  EXPECT_EQ(Lib.Category(0).Constants[2].Value, "10");
  ASSERT_TRUE(Lib.EditConstant(0, 0, "BRAVO", "2", "b"));  // its own name in another case
  EXPECT_EQ(Names(0), (Strings{"BRAVO", "charlie", "zulu"}));
  // Onto another constant's name: refused, both kept.
  EXPECT_FALSE(Lib.EditConstant(0, 0, "Charlie", "5", ""));
  EXPECT_EQ(F.Ui.Messages, Strings{"String list does not allow duplicates"});
  EXPECT_EQ(Names(0), (Strings{"BRAVO", "charlie", "zulu"}));
  EXPECT_EQ(Lib.Category(0).Constants[0].Value, "2");
  EXPECT_EQ(Lib.Category(0).Constants[1].Value, "3");
}

struct DeleteCase {
  const char* from;
  const char* count;
  const char* message;  // "" when deleted
  Strings left;
};

class LibraryDelete : public Library, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(LibraryDelete, FromAndCount) {
  ReadCategoryOf(5);
  F.Ui.Clear();
  const bool deleted = Lib.DeleteConstants(0, GetParam().from, GetParam().count);
  EXPECT_EQ(deleted, *GetParam().message == '\0');
  EXPECT_EQ(F.Ui.Messages, *GetParam().message ? Strings{GetParam().message} : Strings{});
  EXPECT_EQ(F.Ui.Questions, deleted ? Strings{"ARE YOU SURE ?"} : Strings{});
  EXPECT_EQ(Names(0), GetParam().left);
}

const Strings kAllFive = {"a1", "a2", "a3", "a4", "a5"};

INSTANTIATE_TEST_SUITE_P(
    Ranges, LibraryDelete,
    ::testing::Values(DeleteCase{"3", "100", "", {"a1", "a2"}},
                      DeleteCase{"1", "1", "", {"a2", "a3", "a4", "a5"}},
                      DeleteCase{"2", "2", "", {"a1", "a4", "a5"}},
                      DeleteCase{"5", "2147483647", "", {"a1", "a2", "a3", "a4"}},
                      DeleteCase{"0", "1", "Invalid #", kAllFive},
                      DeleteCase{"6", "1", "Invalid #", kAllFive},
                      DeleteCase{"1", "0", "Invalid count", kAllFive},
                      DeleteCase{"1", "-2", "Invalid count", kAllFive},
                      DeleteCase{"x", "1", "'x' is not a valid integer value", kAllFive},
                      DeleteCase{"1", "1.5", "'1.5' is not a valid integer value", kAllFive}),
    test::NamedBy([](const DeleteCase& c) { return std::string(c.from) + "_" + c.count; }));

TEST_F(Library, DeleteNeedsAnExplicitYes) {
  ReadCategoryOf(5);
  F.Ui.Answers = {false};
  EXPECT_FALSE(Lib.DeleteConstants(0, "1", "5"));
  EXPECT_EQ(Names(0), kAllFive);
  EXPECT_FALSE(Lib.Modified());
}

// ---- categories -------------------------------------------------------------------------------

TEST_F(Library, CategoriesAreAddedRenamedAndDeletedWithTheirChecks) {
  ASSERT_TRUE(Read("[Mechanics]\r\ng=9.81 //\r\n"));
  ASSERT_TRUE(Lib.AddCategory(" Optics "));
  EXPECT_EQ(CategoryNames(), (Strings{"Mechanics", "Optics"}));
  struct Refused {
    const char* name;
    const char* message;
  };
  for (const Refused& r : {Refused{"   ", "Category cannot be an empty string"}, Refused{"a[b", "Invalid name : a[b"},
                           Refused{"a]", "Invalid name : a]"}, Refused{"tab\there", "Invalid name : tab\there"},
                           Refused{"line\nbreak", "Invalid name : line\nbreak"},
                           Refused{"OPTICS", "String list does not allow duplicates"}}) {
    F.Ui.Clear();
    EXPECT_FALSE(Lib.AddCategory(r.name)) << r.name;
    EXPECT_FALSE(Lib.RenameCategory(0, r.name)) << r.name;
    EXPECT_EQ(F.Ui.Messages, Strings(2, r.message)) << r.name;
  }
  EXPECT_EQ(CategoryNames(), (Strings{"Mechanics", "Optics"}));

  // Renaming keeps the constants and sorts again.
  ASSERT_TRUE(Lib.RenameCategory(0, "Statics"));
  EXPECT_EQ(CategoryNames(), (Strings{"Optics", "Statics"}));
  EXPECT_EQ(Names(1), Strings{"g"});
  ASSERT_TRUE(Lib.RenameCategory(1, "STATICS"));
  EXPECT_EQ(CategoryNames(), (Strings{"Optics", "STATICS"}));

  // Only an empty category goes, and only after Yes.
  F.Ui.Clear();
  EXPECT_FALSE(Lib.DeleteCategory(1));
  EXPECT_EQ(F.Ui.Messages, Strings{"Please delete all constants"});
  F.Ui.Answers = {false};
  EXPECT_FALSE(Lib.DeleteCategory(0));
  EXPECT_TRUE(Lib.DeleteCategory(0));
  EXPECT_EQ(CategoryNames(), Strings{"STATICS"});
}

// ---- the file menu ----------------------------------------------------------------------------

TEST_F(Library, NewOpenAndDefaultAskBeforeDroppingEdits) {
  ASSERT_TRUE(Read("[c]\r\na=1 //\r\n"));
  test::WriteBytes(Dir.File("other.con"), "[other]\r\n");
  // Nothing to lose: Open asks nothing.
  ASSERT_TRUE(Lib.Open(Dir.File("other.con")));
  EXPECT_TRUE(F.Ui.Questions.empty());
  ASSERT_TRUE(Lib.AddConstant(0, "b", "2", ""));

  F.Ui.Answers = {false, false, false};
  EXPECT_FALSE(Lib.Open(Dir.File("lib.con")));
  EXPECT_FALSE(Lib.New());
  EXPECT_FALSE(Lib.RestoreDefault());
  EXPECT_EQ(F.Ui.Questions, Strings(3, "ARE YOU SURE ?"));
  EXPECT_EQ(Names(0), Strings{"b"});
  EXPECT_TRUE(Lib.Modified());
  EXPECT_FALSE(std::filesystem::exists(Dir.File("helmax-calc.con")));

  // New keeps the current file; Default writes and reads the default one.
  ASSERT_TRUE(Lib.New());
  EXPECT_EQ(Lib.CategoryCount(), 0);
  EXPECT_EQ(Lib.FilePath(), Dir.File("other.con"));
  ASSERT_TRUE(Lib.RestoreDefault());
  EXPECT_EQ(Lib.FilePath(), Dir.File("helmax-calc.con"));
  EXPECT_EQ(test::ReadBytes(Dir.File("helmax-calc.con")), DefaultLibraryText());
  EXPECT_EQ(Lib.Category(0).Constants.size(), 24u);
}

TEST_F(Library, SaveAsksAndWritesTheCurrentFile) {
  ASSERT_TRUE(Read("[c]\r\na=1 //\r\n"));
  ASSERT_TRUE(Lib.AddConstant(0, "b", "2", "two"));
  F.Ui.Answers = {false};
  EXPECT_FALSE(Lib.Save());
  EXPECT_EQ(test::ReadBytes(Dir.File("lib.con")), "[c]\r\na=1 //\r\n");
  EXPECT_TRUE(Lib.Save());
  EXPECT_EQ(test::ReadBytes(Dir.File("lib.con")), "[c]\r\na=1 //\r\nb=2 //two\r\n\r\n");
  EXPECT_FALSE(Lib.Modified());
  EXPECT_EQ(F.Ui.Questions, Strings(2, "ARE YOU SURE ?"));
}

TEST_F(Library, FailedWritesKeepTheFormerFileAndState) {
  ASSERT_TRUE(Read("[c]\r\na=1 //\r\n"));
  ASSERT_TRUE(Lib.AddConstant(0, "b", std::string(200, '1'), ""));
  F.Ui.Clear();
  {
    test::TFileSizeLimit full(16);  // a full disk
    EXPECT_FALSE(Lib.Save());
  }
  test::WriteBytes(Dir.File("plain"), "a file");
  EXPECT_FALSE(Lib.SaveAs(Dir.File("plain/under.con")));  // a file where a folder must be
  ASSERT_EQ(F.Ui.Messages.size(), 2u);
  EXPECT_TRUE(test::StartsWith(F.Ui.Messages[0], "Cannot write file"));
  EXPECT_TRUE(test::StartsWith(F.Ui.Messages[1], "Cannot create file"));
  EXPECT_EQ(test::ReadBytes(Dir.File("lib.con")), "[c]\r\na=1 //\r\n");
  EXPECT_EQ(Lib.FilePath(), Dir.File("lib.con"));
  EXPECT_TRUE(Lib.Modified());
  EXPECT_EQ(Dir.Names().size(), 2u);  // no temporary file left behind
}

TEST_F(Library, ExitSavesOrDropsEditsOnlyWhenTheUserSaysSo) {
  const std::string saved = "[c]\r\na=1 //\r\n";
  int chosen = 0;
  auto choose = [&] {
    ++chosen;
    return Dir.File("chosen.con");
  };
  ASSERT_TRUE(Read(saved));
  EXPECT_TRUE(Lib.MayExit(choose));  // nothing to save: nothing asked
  EXPECT_TRUE(F.Ui.Questions.empty());

  ASSERT_TRUE(Lib.AddConstant(0, "b", "2", ""));
  F.Ui.Answers = {false, false};  // do not save; not sure
  EXPECT_FALSE(Lib.MayExit(choose));
  F.Ui.Answers = {false, true};  // do not save; sure
  EXPECT_TRUE(Lib.MayExit(choose));
  EXPECT_EQ(test::ReadBytes(Dir.File("lib.con")), saved);
  EXPECT_EQ(F.Ui.Questions, (Strings{"Save the changes of the constants definition table ?", "ARE YOU SURE ?",
                                     "Save the changes of the constants definition table ?", "ARE YOU SURE ?"}));
  F.Ui.Answers = {true};
  EXPECT_TRUE(Lib.MayExit(choose));
  EXPECT_EQ(test::ReadBytes(Dir.File("lib.con")), "[c]\r\na=1 //\r\nb=2 //\r\n\r\n");
  EXPECT_EQ(chosen, 0);

  // A library without a file to save to: the user names one.
  ASSERT_TRUE(Read("[c]\r\na=1 //\r\nA=2 //\r\n", "dup.con"));
  ASSERT_TRUE(Lib.AddConstant(0, "b", "2", ""));
  F.Ui.Answers = {true};
  EXPECT_TRUE(Lib.MayExit(choose));
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(test::ReadBytes(Dir.File("chosen.con")), "[c]\r\na=1 //\r\nb=2 //\r\n\r\n");
  // Cancelling that choice keeps the program running.
  ASSERT_TRUE(Lib.Open(Dir.File("dup.con")));
  ASSERT_TRUE(Lib.AddConstant(0, "c", "3", ""));
  F.Ui.Answers = {true};
  EXPECT_FALSE(Lib.MayExit([] { return std::string(); }));
  EXPECT_TRUE(Lib.Modified());
}

}  // namespace
}  // namespace helmax
