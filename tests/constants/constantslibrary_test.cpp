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
#include "../common/HostileFiles.h"
#include "../common/TempFolder.h"
#include "ConstantsLibrary.h"
#include "TextFile.h"

namespace helmax {
namespace {

using Strings = std::vector<std::string>;

struct Library : ::testing::Test {
  test::TCalculatorFixture F;
  test::TTempFolder Dir;
  TConstantsLibrary Lib{F.Calc.FunctionTable(), F.Ui, Dir.File("helmax-calc.con")};

  // Opens bytes as the library file named name.
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
  std::string Value(int category, const std::string& name) const {
    const int i = Lib.FindConstant(category, name);
    return i < 0 ? "<none>" : Lib.Category(category).Constants[static_cast<std::size_t>(i)].Value;
  }
};

// ---- the file --------------------------------------------------------------------------------

struct LineCase {
  const char* line;
  const char* value;
  const char* description;
};

class LibraryLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(LibraryLine, SplitsIntoValueAndDescription) {
  std::vector<TConstantCategory> read;
  Strings duplicates;
  std::string error;
  ASSERT_TRUE(ParseLibraryText(std::string("[c]\r\n") + GetParam().line + "\r\n", read, duplicates, error));
  ASSERT_EQ(read.at(0).Constants.size(), 1u);
  EXPECT_EQ(read[0].Constants[0].Name, "a");
  EXPECT_EQ(read[0].Constants[0].Value, GetParam().value);
  EXPECT_EQ(read[0].Constants[0].Description, GetParam().description);
}

INSTANTIATE_TEST_SUITE_P(Lines, LibraryLine,
                         ::testing::Values(LineCase{"a = 10973731.56816 // (1/m)", "10973731.56816", " (1/m)"},
                                           LineCase{"  a  =  2*pi   //  two blanks  ", "2*pi", "  two blanks"},
                                           LineCase{"a=1//2//3", "1", "2//3"}, LineCase{"a=5 //x=y", "5", "x=y"},
                                           LineCase{"a= //only text", "", "only text"},
                                           LineCase{"a=1/2", "1/2", ""}),  // no "//": all value
                         test::NamedBy([](const LineCase& c) { return std::string(c.line); }));

TEST_F(Library, WrittenFileReadsBackTheSameLibrary) {
  ASSERT_TRUE(Lib.AddCategory("Mécanique"));
  ASSERT_TRUE(Lib.AddCategory("Astro"));
  ASSERT_TRUE(Lib.AddConstant(1, "g", "9.80665", "accélération normale (m/s²)"));
  ASSERT_TRUE(Lib.AddConstant(1, "k_spring", "2*3", "  two   inner blanks"));
  ASSERT_TRUE(Lib.AddConstant(0, "AU", "149597870700", "(m)"));
  ASSERT_TRUE(Lib.SaveAs(Dir.File("round.con")));
  const std::string written = test::ReadBytes(Dir.File("round.con"));
  EXPECT_EQ(written,
            "[Astro]\r\nAU=149597870700 //(m)\r\n\r\n"
            "[Mécanique]\r\ng=9.80665 //accélération normale (m/s²)\r\nk_spring=2*3 //two   inner blanks\r\n\r\n");
  ASSERT_TRUE(Lib.New());
  ASSERT_TRUE(Lib.Open(Dir.File("round.con")));
  EXPECT_EQ(LibraryText(Lib.Categories()), written);
  // A description that begins with a blank, as in the default file, keeps it.
  ASSERT_TRUE(Read("[c]\r\nR = 1 // (1/m)\r\n"));
  ASSERT_TRUE(Lib.SaveAs(Dir.File("blank.con")));
  ASSERT_TRUE(Lib.Open(Dir.File("blank.con")));
  EXPECT_EQ(Lib.Category(0).Constants[0].Description, " (1/m)");
  // Windows-1252 files, LF line ends: "Mécanique", "accélération (m/s²)".
  ASSERT_TRUE(
      Read("[M\xE9"
           "canique]\ng = 9.80665 //acc\xE9l\xE9ration (m/s\xB2)\n"));
  EXPECT_EQ(CategoryNames(), Strings{"Mécanique"});
  EXPECT_EQ(Lib.Category(0).Constants[0].Description, "accélération (m/s²)");
  EXPECT_TRUE(F.Ui.Messages.empty());
}

TEST_F(Library, CategoriesAndConstantsComeBackSortedIgnoringCase) {
  ASSERT_TRUE(Read("[zeta]\r\nz=1 //\r\n[Beta]\r\nGamma=1 //\r\nalpha=2 //\r\nBeta=3 //\r\n[alpha]\r\n"));
  EXPECT_EQ(CategoryNames(), (Strings{"alpha", "Beta", "zeta"}));
  EXPECT_EQ(Names(1), (Strings{"alpha", "Beta", "Gamma"}));
  EXPECT_TRUE(Lib.FileValid());
}

TEST_F(Library, DuplicateNamesInAFileKeepTheFirstAndAreReportedOnce) {
  ASSERT_TRUE(Read("[c]\r\ng=1 //first\r\nG=2 //second\r\n[d]\r\nx=1 //\r\nX=2 //\r\nx=3 //\r\n"));
  EXPECT_EQ(Names(0), Strings{"g"});
  EXPECT_EQ(Value(0, "g"), "1");
  EXPECT_EQ(Names(1), Strings{"x"});
  EXPECT_EQ(F.Ui.Messages, Strings{"String list does not allow duplicates : [c] G, [d] X, [d] x"});
  // Saving over the file would drop its lines.
  EXPECT_FALSE(Lib.FileValid());
  EXPECT_FALSE(Lib.Save());
}

TEST_F(Library, UnreadableFilesLeaveTheLibraryAsItWas) {
  ASSERT_TRUE(Read("[c]\r\na=1 //\r\n"));
  F.Ui.Clear();
  EXPECT_FALSE(Read("[Length]\r\nm=1 //\r\n[length]\r\ncm=0.01 //\r\n", "twice.con"));
  std::filesystem::create_directory(Dir.File("folder.con"));
  EXPECT_FALSE(Lib.Open(Dir.File("folder.con")));
  EXPECT_FALSE(Lib.Open(Dir.File("missing.con")));
  ASSERT_EQ(F.Ui.Messages.size(), 3u);
  EXPECT_EQ(F.Ui.Messages[0], "String list does not allow duplicates : [length]");
  EXPECT_TRUE(test::StartsWith(F.Ui.Messages[1], "Cannot read file"));
  EXPECT_TRUE(test::StartsWith(F.Ui.Messages[2], "Cannot open file"));
  EXPECT_EQ(Names(0), Strings{"a"});
  EXPECT_EQ(Lib.FilePath(), Dir.File("lib.con"));
  EXPECT_TRUE(Lib.FileValid());
}

// Every hostile file is refused with a message naming it; the library and
// its file stay.
TEST_F(Library, HostileFilesLeaveTheLibraryAsItWas) {
  ASSERT_TRUE(Read("[c]\r\na=1 //\r\n"));
  const std::string valid = "[Length]\r\nm=1 //metre\r\ncm=0.01 //centimetre\r\n";
  for (const test::THostileFile& file : test::MakeHostileFiles(Dir, ".con", valid, kConstantsFileLimit)) {
    F.Ui.Clear();
    EXPECT_FALSE(Lib.Open(file.Path)) << file.Kind;
    ASSERT_EQ(F.Ui.Messages.size(), 1u) << file.Kind;
    EXPECT_NE(F.Ui.Messages[0].find("\"" + file.Path + "\""), std::string::npos) << F.Ui.Messages[0];
    EXPECT_EQ(Names(0), Strings{"a"}) << file.Kind;
    EXPECT_EQ(Lib.FilePath(), Dir.File("lib.con")) << file.Kind;
  }
  // Nor is a library without categories written, which would read so.
  EXPECT_TRUE(Read("[c]\r\n"));
  F.Ui.Clear();
  ASSERT_TRUE(Lib.DeleteCategory(0));
  EXPECT_FALSE(Lib.SaveAs(Dir.File("none.con")));
  EXPECT_EQ(F.Ui.Messages,
            Strings{"Cannot write file \"" + Dir.File("none.con") + "\". The library has no category to save"});
  EXPECT_FALSE(std::filesystem::exists(Dir.File("none.con")));
}

// ---- the default library --------------------------------------------------------------------

// CODATA 2018 recommended values (magnitudes), in the file's order.
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
  EXPECT_EQ(Lib.FilePath(), Dir.File("helmax-calc.con"));
  const std::string bytes = test::ReadBytes(Dir.File("helmax-calc.con"));
  EXPECT_TRUE(bytes.starts_with("[Physical constants]\r\nSpeed_of_light_in_vacuum = 299792458 //(m/s)\r\n"));
  EXPECT_TRUE(bytes.ends_with("\r\nNuclear_magneton = 5.0507837461E-027 //(J/T)\r\n"));  // no empty line
  ASSERT_EQ(CategoryNames(), Strings{"Physical constants"});
  ASSERT_EQ(Lib.Category(0).Constants.size(), std::size(kCodata2018));
  std::size_t line = bytes.find("\r\n") + 2;
  for (const CodataValue& c : kCodata2018) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(bytes.compare(line, std::string(c.name).size() + 3, std::string(c.name) + " = "), 0);  // in order
    line = bytes.find("\r\n", line) + 2;
    const int i = Lib.FindConstant(0, c.name);
    ASSERT_GE(i, 0);
    EXPECT_EQ(Lib.Category(0).Constants[static_cast<std::size_t>(i)].Description, c.unit);
    EXPECT_TRUE(CloseTo(std::strtod(Value(0, c.name).c_str(), nullptr), c.value, 1e-9)) << Value(0, c.name);
  }
  EXPECT_TRUE(F.Ui.Messages.empty());
}

// The derived constants agree with the defining ones as physics relates them.
TEST_F(Library, DefaultValuesHoldTheirPhysicalRelations) {
  Lib.Load("");  // no file: the built-in library in memory
  auto v = [&](const char* name) { return std::strtod(Value(0, name).c_str(), nullptr); };
  const double pi = std::numbers::pi, c = v("Speed_of_light_in_vacuum"), e = v("Elementary_charge"),
               h = v("Planck_constant"), k = v("Boltzmann_constant"), na = v("Avogadro_constant"),
               me = v("Electron_mass"), mp = v("Proton_mass"), eps0 = v("Permittivity_constant");
  EXPECT_TRUE(CloseTo(v("Faraday_constant"), e * na, 1e-13));
  EXPECT_TRUE(CloseTo(v("Universal_gas_constant"), k * na, 1e-13));
  EXPECT_TRUE(CloseTo(v("Molar_volume_of_ideal_gas_at_STP"), k * na * 273.15 / 101325, 1e-13));
  EXPECT_TRUE(
      CloseTo(v("Stefan_Boltzmann_constant"), 2 * std::pow(pi, 5) * std::pow(k, 4) / (15 * h * h * h * c * c), 1e-13));
  EXPECT_TRUE(CloseTo(v("Electron_charge_to_mass_ratio"), e / me, 1e-11));
  EXPECT_TRUE(CloseTo(eps0, 1 / (v("Permeability_constant") * c * c), 1e-10));
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
  EXPECT_EQ(Value(0, "Rydberg_constant"), "10973731.534");
  test::WriteBytes(Dir.File("mine.con"), "[Mine]\r\n");
  Lib.Load(Dir.File("mine.con"));  // the library the settings name
  EXPECT_EQ(CategoryNames(), Strings{"Mine"});
  Lib.Load(Dir.File("gone.con"));  // one that went away: the default
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
  ASSERT_TRUE(Lib.AddCategory("made"));
  ASSERT_TRUE(Lib.AddConstant(0, "g", "9.81", ""));
  EXPECT_TRUE(Lib.AddConstant(0, "G", "6.67E-11", ""));  // the dialog closes; nothing is added
  EXPECT_EQ(Names(0), Strings{"g"});
  EXPECT_EQ(Value(0, "g"), "9.81");
  EXPECT_EQ(Value(1, "g"), "9.81");
  EXPECT_EQ(F.Ui.Messages.size(), 1u);
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
    ::testing::Values(RefusalCase{"a=b", "1", "Invalid name : a=b"}, RefusalCase{"1x", "1", "Invalid name : 1x"},
                      RefusalCase{"(a)", "1", "Invalid name : (a)"},
                      RefusalCase{"sin", "1", "Invalid name : sin"},                // a built-in
                      RefusalCase{"Date", "1", "Invalid name : Date"},              // the date-time pack
                      RefusalCase{"NormalLess", "1", "Invalid name : NormalLess"},  // the calculator's functions
                      RefusalCase{"k", "1 // 2", "Invalid value : 1 // 2"},
                      RefusalCase{"k", "1\n+2", "Invalid value : 1\n+2"}, RefusalCase{"  ", "1", ""}),
    test::NamedBy([](const RefusalCase& c) { return std::string(c.name) + "_" + c.value; }));

TEST_F(Library, ConstantTextsAreTrimmedAndLineBreaksInDescriptionsBecomeSpaces) {
  ASSERT_TRUE(Lib.AddCategory("c"));
  // A name of the constant list is free here: the library is its own.
  ASSERT_TRUE(Lib.AddConstant(0, "  from ", " 2*pi\n", " first\r\nsecond\nthird "));
  const TLibraryConstant& k = Lib.Category(0).Constants[0];
  EXPECT_EQ(Strings({k.Name, k.Value, k.Description}), (Strings{"from", "2*pi", "first second third"}));
  EXPECT_TRUE(Lib.Modified());
}

TEST_F(Library, EditingRenamesAndSortsAgainWithoutLosingAConstant) {
  ASSERT_TRUE(Read("[c]\r\nalpha=1 //a\r\nbravo=2 //b\r\ncharlie=3 //c\r\n"));
  ASSERT_TRUE(Lib.EditConstant(0, 0, "zulu", "10", "z"));
  EXPECT_EQ(Names(0), (Strings{"bravo", "charlie", "zulu"}));
  EXPECT_EQ(Value(0, "zulu"), "10");
  ASSERT_TRUE(Lib.EditConstant(0, 0, "BRAVO", "2", "b"));    // its own name in another case
  EXPECT_FALSE(Lib.EditConstant(0, 0, "Charlie", "5", ""));  // another constant's: refused, both kept
  EXPECT_EQ(F.Ui.Messages, Strings{"String list does not allow duplicates"});
  EXPECT_EQ(Names(0), (Strings{"BRAVO", "charlie", "zulu"}));
  EXPECT_EQ(Value(0, "bravo") + Value(0, "charlie"), "23");
}

struct DeleteCase {
  const char* from;
  const char* count;
  const char* message;  // "" when deleted
  Strings left;
};

class LibraryDelete : public Library, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(LibraryDelete, FromAndCount) {
  ASSERT_TRUE(Read("[c]\r\na1=1 //\r\na2=2 //\r\na3=3 //\r\na4=4 //\r\na5=5 //\r\n"));
  const bool deleted = Lib.DeleteConstants(0, GetParam().from, GetParam().count);
  EXPECT_EQ(deleted, *GetParam().message == '\0');
  EXPECT_EQ(F.Ui.Messages, *GetParam().message ? Strings{GetParam().message} : Strings{});
  EXPECT_EQ(F.Ui.Questions, deleted ? Strings{"ARE YOU SURE ?"} : Strings{});
  EXPECT_EQ(Names(0), GetParam().left);
}

const Strings kAllFive = {"a1", "a2", "a3", "a4", "a5"};

INSTANTIATE_TEST_SUITE_P(Ranges, LibraryDelete,
                         ::testing::Values(DeleteCase{"3", "100", "", {"a1", "a2"}},
                                           DeleteCase{"2", "2", "", {"a1", "a4", "a5"}},
                                           DeleteCase{"5", "2147483647", "", {"a1", "a2", "a3", "a4"}},
                                           DeleteCase{"0", "1", "Invalid #", kAllFive},
                                           DeleteCase{"6", "1", "Invalid #", kAllFive},
                                           DeleteCase{"1", "0", "Invalid count", kAllFive},
                                           DeleteCase{"x", "1", "'x' is not a valid integer value", kAllFive},
                                           DeleteCase{"1", "1.5", "'1.5' is not a valid integer value", kAllFive}),
                         test::NamedBy([](const DeleteCase& c) { return std::string(c.from) + "_" + c.count; }));

// ---- categories -------------------------------------------------------------------------------

TEST_F(Library, CategoriesAreAddedRenamedAndDeletedWithTheirChecks) {
  ASSERT_TRUE(Read("[Mechanics]\r\ng=9.81 //\r\n"));
  ASSERT_TRUE(Lib.AddCategory(" Optics "));
  for (const auto& [name, message] : {std::pair{"   ", "Category cannot be an empty string"},
                                      {"a[b", "Invalid name : a[b"},
                                      {"a]", "Invalid name : a]"},
                                      {"tab\there", "Invalid name : tab\there"},
                                      {"OPTICS", "String list does not allow duplicates"}}) {
    F.Ui.Clear();
    EXPECT_FALSE(Lib.AddCategory(name)) << name;
    EXPECT_FALSE(Lib.RenameCategory(0, name)) << name;
    EXPECT_EQ(F.Ui.Messages, Strings(2, message)) << name;
  }
  EXPECT_EQ(CategoryNames(), (Strings{"Mechanics", "Optics"}));
  ASSERT_TRUE(Lib.RenameCategory(0, "Statics"));  // keeps its constants, sorted again
  EXPECT_EQ(CategoryNames(), (Strings{"Optics", "Statics"}));
  EXPECT_EQ(Names(1), Strings{"g"});

  F.Ui.Clear();
  EXPECT_FALSE(Lib.DeleteCategory(1));
  EXPECT_EQ(F.Ui.Messages, Strings{"Please delete all constants"});
  F.Ui.Answers = {false};
  EXPECT_FALSE(Lib.DeleteCategory(0));  // only after Yes
  EXPECT_TRUE(Lib.DeleteCategory(0));
  EXPECT_EQ(CategoryNames(), Strings{"Statics"});
}

// ---- the file menu -----------------------------------------------------------------------------

TEST_F(Library, NewOpenAndDefaultAskBeforeDroppingEdits) {
  ASSERT_TRUE(Read("[c]\r\na=1 //\r\n"));
  ASSERT_TRUE(Read("[other]\r\n", "other.con"));  // nothing to lose: nothing asked
  EXPECT_TRUE(F.Ui.Questions.empty());
  ASSERT_TRUE(Lib.AddConstant(0, "b", "2", ""));
  F.Ui.Answers = {false, false, false};
  EXPECT_FALSE(Lib.Open(Dir.File("lib.con")));
  EXPECT_FALSE(Lib.New());
  EXPECT_FALSE(Lib.RestoreDefault());
  EXPECT_EQ(F.Ui.Questions, Strings(3, "ARE YOU SURE ?"));
  EXPECT_EQ(Names(0), Strings{"b"});
  EXPECT_FALSE(std::filesystem::exists(Dir.File("helmax-calc.con")));

  ASSERT_TRUE(Lib.New());  // the current file stays
  EXPECT_EQ(Lib.CategoryCount(), 0);
  EXPECT_EQ(Lib.FilePath(), Dir.File("other.con"));
  ASSERT_TRUE(Lib.RestoreDefault());
  EXPECT_EQ(Lib.FilePath(), Dir.File("helmax-calc.con"));
  EXPECT_EQ(test::ReadBytes(Dir.File("helmax-calc.con")), DefaultLibraryText());
  EXPECT_EQ(Lib.Category(0).Constants.size(), 24u);
}

TEST_F(Library, SaveWritesOnlyAfterYesAndFailedWritesKeepTheFormerFile) {
  const std::string former = "[c]\r\na=1 //\r\n";
  ASSERT_TRUE(Read(former));
  ASSERT_TRUE(Lib.AddConstant(0, "b", std::string(200, '1'), "two"));
  F.Ui.Answers = {false};
  EXPECT_FALSE(Lib.Save());
  {
    test::TFileSizeLimit full(16);  // a full disk
    EXPECT_FALSE(Lib.Save());
  }
  test::WriteBytes(Dir.File("plain"), "a file");
  EXPECT_FALSE(Lib.SaveAs(Dir.File("plain/under.con")));  // a file where a folder must be
  ASSERT_EQ(F.Ui.Messages.size(), 2u);
  EXPECT_TRUE(test::StartsWith(F.Ui.Messages[0], "Cannot write file"));
  EXPECT_TRUE(test::StartsWith(F.Ui.Messages[1], "Cannot create file"));
  EXPECT_EQ(test::ReadBytes(Dir.File("lib.con")), former);
  EXPECT_EQ(Lib.FilePath(), Dir.File("lib.con"));
  EXPECT_TRUE(Lib.Modified());
  EXPECT_EQ(Dir.Names().size(), 2u);  // no temporary file left behind
  EXPECT_TRUE(Lib.Save());
  EXPECT_EQ(test::ReadBytes(Dir.File("lib.con")), "[c]\r\na=1 //\r\nb=" + std::string(200, '1') + " //two\r\n\r\n");
  EXPECT_FALSE(Lib.Modified());
}

TEST_F(Library, ExitSavesOrDropsEditsOnlyWhenTheUserSaysSo) {
  const std::string saveQuestion = "Save the changes of the constants definition table ?";
  int chosen = 0;
  auto choose = [&] {
    ++chosen;
    return Dir.File("chosen.con");
  };
  ASSERT_TRUE(Read("[c]\r\na=1 //\r\n"));
  EXPECT_TRUE(Lib.MayExit(choose));  // nothing to save: nothing asked
  ASSERT_TRUE(Lib.AddConstant(0, "b", "2", ""));
  F.Ui.Answers = {false, false, false, true};  // not saved: not sure, then sure
  EXPECT_FALSE(Lib.MayExit(choose));
  EXPECT_TRUE(Lib.MayExit(choose));
  EXPECT_EQ(F.Ui.Questions, (Strings{saveQuestion, "ARE YOU SURE ?", saveQuestion, "ARE YOU SURE ?"}));
  EXPECT_EQ(test::ReadBytes(Dir.File("lib.con")), "[c]\r\na=1 //\r\n");
  // Cancel keeps the program and the edits, asking nothing more.
  F.Ui.Clear();
  F.Ui.ChoiceAnswers = {TAnswer::Cancel};
  EXPECT_FALSE(Lib.MayExit(choose));
  EXPECT_EQ(F.Ui.Questions, Strings{saveQuestion});
  EXPECT_EQ(test::ReadBytes(Dir.File("lib.con")), "[c]\r\na=1 //\r\n");
  F.Ui.Answers = {true};
  EXPECT_TRUE(Lib.MayExit(choose));
  EXPECT_EQ(test::ReadBytes(Dir.File("lib.con")), "[c]\r\na=1 //\r\nb=2 //\r\n\r\n");

  // A library with no file to save to: the user names one, or cancels.
  ASSERT_TRUE(Read("[c]\r\na=1 //\r\nA=2 //\r\n", "dup.con"));
  ASSERT_TRUE(Lib.AddConstant(0, "b", "2", ""));
  F.Ui.Answers = {true, true};
  EXPECT_FALSE(Lib.MayExit([] { return std::string(); }));
  EXPECT_TRUE(Lib.MayExit(choose));
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(test::ReadBytes(Dir.File("chosen.con")), "[c]\r\na=1 //\r\nb=2 //\r\n\r\n");
}

}  // namespace
}  // namespace helmax
