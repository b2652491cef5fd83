// The periodic table's core: the element data against an independent table,
// the default .pte file, reading .pte files (good and bad), and adding an
// element's property to the constant list.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "../app/CalculatorTestUtil.h"
#include "../common/CaseNames.h"
#include "../common/HostileFiles.h"
#include "../common/TempFolder.h"
#include "PeriodicTable.h"
#include "TextFile.h"

namespace helmax {
namespace {

// ---- the independent table: what chemistry says, worked out here ----------------------

// The symbols in order of atomic number, hydrogen to meitnerium.
const char* const kSymbols =
    "H He Li Be B C N O F Ne Na Mg Al Si P S Cl Ar K Ca Sc Ti V Cr Mn Fe Co Ni Cu Zn Ga Ge As Se Br Kr "
    "Rb Sr Y Zr Nb Mo Tc Ru Rh Pd Ag Cd In Sn Sb Te I Xe Cs Ba La Ce Pr Nd Pm Sm Eu Gd Tb Dy Ho Er Tm Yb Lu "
    "Hf Ta W Re Os Ir Pt Au Hg Tl Pb Bi Po At Rn Fr Ra Ac Th Pa U Np Pu Am Cm Bk Cf Es Fm Md No Lr "
    "Rf Db Sg Bh Hs Mt";

struct TExpected {
  int Number;
  std::string Symbol;
  int Group, Period, Row, Column;
  TElementClass Class;
  TMatterState State;
  bool Radioactive, Synthetic;
};

std::vector<TExpected> ExpectedElements() {
  std::vector<std::string> symbols;
  std::istringstream words(kSymbols);
  for (std::string s; words >> s;) symbols.push_back(s);
  // The last atomic number of each period.
  const int periodEnds[] = {2, 10, 18, 36, 54, 86, 118};
  const std::set<std::string> metalloids = {"B", "Si", "Ge", "As", "Sb", "Te", "Po"};
  const std::set<std::string> nonmetals = {"H", "C", "N", "O", "P", "S", "Se"};
  const std::set<std::string> otherMetals = {"Al", "Ga", "In", "Sn", "Tl", "Pb", "Bi"};
  const std::set<std::string> gases = {"H", "He", "N", "O", "F", "Ne", "Cl", "Ar", "Kr", "Xe", "Rn"};
  const std::set<std::string> liquids = {"Br", "Hg"};
  std::vector<TExpected> out;
  for (int z = 1; z <= static_cast<int>(symbols.size()); ++z) {
    TExpected e{};
    e.Number = z;
    e.Symbol = symbols[static_cast<std::size_t>(z - 1)];
    int period = 1;
    while (z > periodEnds[period - 1]) ++period;
    const int position = z - (period == 1 ? 0 : periodEnds[period - 2]);  // 1 for the period's first element
    int group = 0;
    if (period == 1) group = position == 1 ? 1 : 18;
    else if (period <= 3) group = position <= 2 ? position : position + 10;
    else if (period <= 5) group = position;
    else if (position <= 3) group = position;
    else if (position >= 18) group = position - 14;
    // position 4 to 17 of periods 6 and 7: the f-block, group 0
    const bool fBlock = period >= 6 && position >= 4 && position <= 17;
    e.Group = fBlock ? 0 : group;
    e.Period = fBlock ? 0 : period;
    e.Row = fBlock ? period + 2 : period;
    e.Column = fBlock ? position - 1 : group - 1;
    if (z >= 57 && z <= 71) e.Class = TElementClass::Lanthanoid;
    else if (z >= 89 && z <= 103) e.Class = TElementClass::Actinoid;
    else if (group == 18) e.Class = TElementClass::NobleGas;
    else if (group == 17) e.Class = TElementClass::Halogen;
    else if (nonmetals.count(e.Symbol)) e.Class = TElementClass::Nonmetal;
    else if (group == 1) e.Class = TElementClass::AlkalineMetal;
    else if (group == 2) e.Class = TElementClass::AlkalineEarthMetal;
    else if (metalloids.count(e.Symbol)) e.Class = TElementClass::Metalloid;
    else if (otherMetals.count(e.Symbol)) e.Class = TElementClass::OtherMetal;
    else e.Class = TElementClass::TransitionMetal;
    e.State = gases.count(e.Symbol)     ? TMatterState::Gas
              : liquids.count(e.Symbol) ? TMatterState::Liquid
                                        : TMatterState::Solid;
    // Technetium and promethium have no stable isotope, nor has anything
    // from polonium on; from neptunium on they are made, not mined.
    e.Radioactive = z == 43 || z == 61 || z >= 84;
    e.Synthetic = z == 43 || z == 61 || z >= 93;
    out.push_back(e);
  }
  return out;
}

struct PeriodicTable : ::testing::Test {
  TMessageRecorder Ui;
  TPeriodicTable Table{Ui};
  test::TTempFolder Dir;

  const TElement& Element(const char* symbol) const {
    const TElement* e = Table.FindElement(symbol);
    if (e == nullptr) throw std::runtime_error(std::string("no element ") + symbol);
    return *e;
  }
  std::string Value(const char* symbol, int number) const { return Table.Value(Element(symbol), number); }
  // Writes text as a .pte file and reads it.
  bool Read(const std::string& text) {
    const std::string path = Dir.File("table.pte");
    test::WriteBytes(path, text);
    Ui.Clear();
    return Table.ReadFile(path);
  }
};

// Text with insertion put right after the first occurrence of after.
std::string Inserted(std::string text, const std::string& after, const std::string& insertion) {
  const std::size_t at = text.find(after);
  if (at == std::string::npos) throw std::runtime_error("not found: " + after);
  return text.insert(at + after.size(), insertion);
}

// Text without the section [symbol] and its lines.
std::string WithoutSection(std::string text, const std::string& symbol) {
  const std::size_t at = text.find("[" + symbol + "]\r\n");
  const std::size_t end = text.find("\r\n\r\n", at) + 4;
  return text.erase(at, end - at);
}

// ---- the element data -------------------------------------------------------------------

TEST_F(PeriodicTable, EveryCellHoldsTheElementChemistryPutsThere) {
  const std::vector<TExpected> expected = ExpectedElements();
  ASSERT_EQ(expected.size(), 109u);
  ASSERT_EQ(Table.Elements().size(), 109u);
  std::map<std::pair<int, int>, std::string> cells;
  for (const TExpected& e : expected) cells[{e.Row, e.Column}] = e.Symbol;
  for (int row = 0; row < GridRows; ++row)
    for (int column = 0; column < GridColumns; ++column) {
      const auto it = cells.find({row, column});
      const TElement* e = Table.ElementAt(row, column);
      SCOPED_TRACE(std::to_string(row) + "," + std::to_string(column));
      EXPECT_EQ(e ? e->Symbol : "", it == cells.end() ? "" : it->second);
    }
  for (const TExpected& x : expected) {
    const TElement& e = Table.Elements()[static_cast<std::size_t>(x.Number - 1)];
    SCOPED_TRACE(x.Symbol);
    EXPECT_EQ(e.Number, x.Number);
    EXPECT_EQ(e.Symbol, x.Symbol);
    EXPECT_EQ(e.Group, x.Group);
    EXPECT_EQ(e.Period, x.Period);
    EXPECT_EQ(e.Row, x.Row);
    EXPECT_EQ(e.Column, x.Column);
    EXPECT_STREQ(ElementClassName(e.Class), ElementClassName(x.Class));
    EXPECT_STREQ(MatterStateName(e.State), MatterStateName(x.State));
    EXPECT_EQ(e.Radioactive, x.Radioactive);
    EXPECT_EQ(e.Synthetic, x.Synthetic);
  }
  EXPECT_EQ(Table.ElementAt(-1, 0), nullptr);
  EXPECT_EQ(Table.ElementAt(10, 0), nullptr);
  EXPECT_EQ(Table.ElementAt(1, 18), nullptr);
}

TEST_F(PeriodicTable, GroupLabelsStandAboveTheirGroups) {
  // Each label sits in the empty cell right above the group's first element.
  std::set<std::pair<int, int>> labelled;
  for (int group = 1; group <= 18; ++group) {
    int top = GridRows;
    for (const TElement& e : Table.Elements())
      if (e.Group == group) top = std::min(top, e.Row);
    EXPECT_EQ(GroupLabel(top - 1, group - 1), std::to_string(group)) << "group " << group;
    labelled.insert({top - 1, group - 1});
  }
  for (int row = 0; row < GridRows; ++row)
    for (int column = 0; column < GridColumns; ++column) {
      if (!labelled.count({row, column})) { EXPECT_EQ(GroupLabel(row, column), "") << row << "," << column; }
    }
}

TEST_F(PeriodicTable, NamesAndValuesAsTheProgramShowsThem) {
  struct Case {
    const char* symbol;
    const char* name;
    std::array<const char*, 4> values;
  };
  const Case cases[] = {
      {"H", "Hydrogen", {"1.008", "-259.2", "-252.7", "8.988E-2"}},
      {"Fe", "Iron", {"55.845", "1535.85", "2861.85", "7860"}},
      {"Pd", "Palladim", {"106.42", "1551.85", "2963.85", "12000"}},
      {"S", "Sulphur", {"32.06", "115.21", "444.6", "2070"}},
      {"Pa", "Protactinium", {"231.03588", "1230", "", "15400"}},
      {"Mt", "Meitnerium", {"266", "", "", ""}},
      // The four corrected values.
      {"O", "Oxygen", {"15.999", "-218.79", "-182.97", "1.429"}},
      {"Si", "Silicon", {"28.085", "1411.85", "3265", "2330"}},
      {"Au", "Gold", {"196.966570", "1064.43", "3079.85", "19300"}},
      {"Cf", "Californium", {"251", "900", "", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.symbol);
    EXPECT_EQ(Element(c.symbol).Name, c.name);
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(Value(c.symbol, n), c.values[static_cast<std::size_t>(n - 1)]);
  }
}

// The IUPAC 2021 table of standard atomic weights, as IUPAC prints it: the
// value to the digits given, the conventional value where the table gives
// an interval ([1.00784, 1.00811] for hydrogen: 1.008).
const char* const kIupac2021Weights =
    "H 1.008 He 4.002602 Li 6.94 Be 9.0121831 B 10.81 C 12.011 N 14.007 O 15.999 F 18.998403162 "
    "Ne 20.1797 Na 22.98976928 Mg 24.305 Al 26.9815384 Si 28.085 P 30.973761998 S 32.06 Cl 35.45 "
    "Ar 39.95 K 39.0983 Ca 40.078 Sc 44.955907 Ti 47.867 V 50.9415 Cr 51.9961 Mn 54.938043 Fe 55.845 "
    "Co 58.933194 Ni 58.6934 Cu 63.546 Zn 65.38 Ga 69.723 Ge 72.630 As 74.921595 Se 78.971 Br 79.904 "
    "Kr 83.798 Rb 85.4678 Sr 87.62 Y 88.905838 Zr 91.224 Nb 92.90637 Mo 95.95 Ru 101.07 Rh 102.90549 "
    "Pd 106.42 Ag 107.8682 Cd 112.414 In 114.818 Sn 118.710 Sb 121.760 Te 127.60 I 126.90447 "
    "Xe 131.293 Cs 132.90545196 Ba 137.327 La 138.90547 Ce 140.116 Pr 140.90766 Nd 144.242 Sm 150.36 "
    "Eu 151.964 Gd 157.25 Tb 158.925354 Dy 162.500 Ho 164.930329 Er 167.259 Tm 168.934219 Yb 173.045 "
    "Lu 174.9668 Hf 178.486 Ta 180.94788 W 183.84 Re 186.207 Os 190.23 Ir 192.217 Pt 195.084 "
    "Au 196.966570 Hg 200.592 Tl 204.38 Pb 207.2 Bi 208.98040 Th 232.0377 Pa 231.03588 U 238.02891";

TEST_F(PeriodicTable, AtomicWeightsAreTheIupac2021StandardAtomicWeights) {
  std::istringstream words(kIupac2021Weights);
  std::set<std::string> withWeight;
  for (std::string symbol, weight; words >> symbol >> weight;) {
    EXPECT_EQ(Element(symbol.c_str()).BuiltinValues[0], weight) << symbol;
    withWeight.insert(symbol);
  }
  EXPECT_EQ(withWeight.size(), 84u);
  // The others have no standard atomic weight and keep the long-lived
  // isotope's mass number (or mass) the table has always given.
  const std::map<std::string, std::string> isotopes = {{"Tc", "98"},       {"Pm", "145"},      {"Po", "209"},
                                                       {"Ra", "226.0254"}, {"Np", "237.0482"}, {"Lr", "260"}};
  for (const auto& [symbol, weight] : isotopes) EXPECT_EQ(Element(symbol.c_str()).BuiltinValues[0], weight) << symbol;
  for (const TElement& e : Table.Elements()) {
    if (!withWeight.count(e.Symbol)) { EXPECT_TRUE(e.Radioactive) << e.Symbol; }
  }
}

TEST_F(PeriodicTable, TypedTextFindsBySymbolNumberOrTheStartOfAName) {
  const struct {
    const char* typed;
    const char* symbol;  // nullptr: none
  } cases[] = {
      {"Au", "Au"},     {"aU", "Au"},     {"79", "Au"},       {"gold", "Au"},
      {"GOL", "Au"},    {"g", "Ga"},  // gallium, germanium, gadolinium, gold: the lightest
      {"c", "C"},                     // a symbol before carbon, calcium, ...
      {"ca", "Ca"},     {"cal", "Ca"},    {"cali", "Cf"},     {"i", "I"},
      {"ir", "Ir"},     {"iro", "Fe"},    {"1", "H"},         {"10", "Ne"},
      {"109", "Mt"},    {"026", "Fe"},    {"palladim", "Pd"}, {"palladium", nullptr},
      {"sulphur", "S"}, {"0", nullptr},   {"110", nullptr},   {"99999999999", nullptr},
      {"", nullptr},    {"fe2", nullptr}, {"q", nullptr},
  };
  for (const auto& c : cases) {
    const TElement* e = Table.FindTyped(c.typed);
    EXPECT_EQ(e ? e->Symbol : "none", c.symbol ? c.symbol : "none") << c.typed;
  }
}

TEST(PeriodicTableCells, WeightTextsShortenByRoundingHalfUp) {
  using texts = std::vector<std::string>;
  EXPECT_EQ(CellWeightTexts("196.966570"),
            texts({"196.966570", "196.96657", "196.9666", "196.967", "196.97", "197.0", "197"}));
  EXPECT_EQ(CellWeightTexts("1.008"), texts({"1.008", "1.01", "1.0", "1"}));
  EXPECT_EQ(CellWeightTexts("9.96"), texts({"9.96", "10.0", "10"}));  // the carry
  EXPECT_EQ(CellWeightTexts("98"), texts({"[98]"}));                  // a mass number
  EXPECT_EQ(CellWeightTexts("1.2E2"), texts({"1.2E2"}));
  EXPECT_EQ(CellWeightTexts(""), texts({""}));
}

TEST_F(PeriodicTable, OxidationStatesWithTheirSigns) {
  auto texts = [&](const char* symbol) {
    std::string out;
    for (int s : Element(symbol).Oxidation) out += (out.empty() ? "" : " ") + OxidationText(s);
    return out;
  };
  EXPECT_EQ(texts("H"), "-1 +1");
  EXPECT_EQ(texts("N"), "-3 -2 -1 +1 +2 +3 +4 +5");
  EXPECT_EQ(texts("Fe"), "+2 +3");
  EXPECT_EQ(texts("He"), "");
  EXPECT_EQ(OxidationText(0), "0");
}

// ---- the default file ---------------------------------------------------------------------

TEST_F(PeriodicTable, DefaultFileBeginsAndEndsAsPrescribed) {
  const std::string text = DefaultPropertyFileText();
  const std::string begin =
      "[Properties]\r\n1=Atomic Weight\r\n2=Melting Point\r\n3=Boiling Point\r\n4=Density\r\n\r\n"
      "[Units]\r\n1=amu\r\n2=C\r\n3=C\r\n4=kg/cu.m\r\n\r\n"
      "[H]\r\n1=1.008\r\n2=-259.2\r\n3=-252.7\r\n4=8.988E-2\r\n\r\n"
      "[He]\r\n";
  EXPECT_EQ(text.substr(0, begin.size()), begin);
  const std::string end =
      "[Lu]\r\n1=174.9668\r\n2=1662.85\r\n3=3394.85\r\n4=9840\r\n\r\n"
      "[Th]\r\n1=232.0377\r\n2=1754.85\r\n3=4787.85\r\n4=11700\r\n\r\n"
      "[Pa]\r\n1=231.03588\r\n2=1230\r\n3=\r\n4=15400\r\n\r\n"
      "[U]\r\n1=238.02891\r\n2=1131.85\r\n3=4133.85\r\n4=18900\r\n\r\n";
  EXPECT_NE(text.find(end), std::string::npos);
  const std::string last = "[Lr]\r\n1=260\r\n2=\r\n3=\r\n4=\r\n\r\n";
  ASSERT_GE(text.size(), last.size());
  EXPECT_EQ(text.substr(text.size() - last.size()), last);
  EXPECT_NE(text.find("[Au]\r\n1=196.966570\r\n2=1064.43\r\n3=3079.85\r\n4=19300\r\n\r\n"), std::string::npos);
}

TEST_F(PeriodicTable, DefaultFileSectionsFollowTheGridRowByRow) {
  std::vector<TExpected> expected = ExpectedElements();
  std::sort(expected.begin(), expected.end(), [](const TExpected& a, const TExpected& b) {
    return std::pair(a.Row, a.Column) < std::pair(b.Row, b.Column);
  });
  std::vector<std::string> wanted = {"Properties", "Units"};
  for (const TExpected& e : expected) wanted.push_back(e.Symbol);
  std::vector<std::string> sections;
  for (const std::string& line : SplitLines(DefaultPropertyFileText()))
    if (!line.empty() && line.front() == '[') sections.push_back(line.substr(1, line.size() - 2));
  EXPECT_EQ(sections, wanted);
}

// ---- reading .pte files -----------------------------------------------------------------

TEST_F(PeriodicTable, AFifthPropertyShowsForOxygenOnly) {
  std::string text = Inserted(DefaultPropertyFileText(), "4=Density\r\n", "5=Electronegativity\r\n");
  text = Inserted(text, "4=kg/cu.m\r\n", "5=Pauling\r\n");
  text = Inserted(text, "[O]\r\n1=15.999\r\n2=-218.79\r\n3=-182.97\r\n4=1.429\r\n", "5=3.44\r\n");
  ASSERT_TRUE(Read(text));
  EXPECT_TRUE(Ui.Messages.empty());
  EXPECT_EQ(Table.PropertyRowCount(), 6);
  EXPECT_EQ(Table.PropertyName(5), "Electronegativity");
  EXPECT_EQ(Table.Unit(5), "Pauling");
  EXPECT_EQ(Value("O", 5), "3.44");
  EXPECT_EQ(Value("N", 5), "");
  EXPECT_EQ(Value("Fe", 5), "");
  EXPECT_TRUE(Table.FileValid());
  EXPECT_EQ(Table.FilePath(), Dir.File("table.pte"));
}

TEST_F(PeriodicTable, StandardPropertiesKeepTheirNamesAndBuiltInValues) {
  std::string text = DefaultPropertyFileText();
  text.replace(text.find("1=Atomic Weight"), 15, "1=Mass");
  text = WithoutSection(text, "Fe");
  text += "[Fe]\r\n1=55.845\r\n2=1538\r\n4=7874\r\n\r\n";  // no 3=
  text.replace(text.find("4=kg/cu.m"), 9, "4=g/cu.cm");
  ASSERT_TRUE(Read(text));
  EXPECT_TRUE(Ui.Messages.empty());
  EXPECT_EQ(Table.PropertyName(1), "Atomic Weight");
  EXPECT_EQ(Table.Unit(4), "g/cu.cm");  // a unit the file gives stays
  EXPECT_EQ(Table.Unit(1), "amu");
  EXPECT_EQ(Value("Fe", 1), "55.845");
  EXPECT_EQ(Value("Fe", 3), "2861.85");  // built in
  EXPECT_EQ(Value("Fe", 4), "7874");
}

TEST_F(PeriodicTable, HostileFilesLeaveTheTableAsItWas) {
  test::WriteBytes(Dir.File("good.pte"), "[Properties]\r\n5=Hardness\r\n[Fe]\r\n1=55.845\r\n5=4\r\n");
  ASSERT_TRUE(Table.ReadFile(Dir.File("good.pte")));
  const std::string valid = "[Properties]\r\n5=Hardness\r\n[Units]\r\n5=Mohs\r\n[Fe]\r\n5=4\r\n";
  for (const test::THostileFile& file : test::MakeHostileFiles(Dir, ".pte", valid, kPeriodicFileLimit)) {
    Ui.Messages.clear();
    // Lines that cannot be used are skipped and reported, the rest is read:
    // so a file with a bad head or a lost tail reads, saying what is missing.
    if (file.Kind == "bad-utf8" || file.Kind == "truncated") {
      EXPECT_TRUE(Table.ReadFile(file.Path)) << file.Kind;
      ASSERT_EQ(Ui.Messages.size(), 1u) << file.Kind;
      EXPECT_NE(Ui.Messages[0].find("Sections missing"), std::string::npos) << Ui.Messages[0];
      ASSERT_TRUE(Table.ReadFile(Dir.File("good.pte")));
      continue;
    }
    EXPECT_FALSE(Table.ReadFile(file.Path)) << file.Kind;
    ASSERT_EQ(Ui.Messages.size(), 1u) << file.Kind;
    EXPECT_NE(Ui.Messages[0].find(file.Path), std::string::npos) << Ui.Messages[0];
    EXPECT_EQ(Table.FilePath(), Dir.File("good.pte")) << file.Kind;
    EXPECT_EQ(Value("Fe", 5), "4") << file.Kind;
    EXPECT_EQ(Table.PropertyName(5), "Hardness") << file.Kind;
  }
}

// A large file reads whole: 200,000 properties (2.8 MB), each named and
// given a value for iron.
TEST_F(PeriodicTable, ManyPropertiesAllRead) {
  constexpr int kCount = 200000;
  std::string text = "[Properties]\r\n";
  for (int n = 1; n <= kCount; ++n) text += std::to_string(n) + "=P" + std::to_string(n) + "\r\n";
  text += "[Units]\r\n1=g/mol\r\n";
  text += "[Fe]\r\n";
  for (int n = 1; n <= kCount; ++n) text += std::to_string(n) + "=" + std::to_string(n) + "\r\n";
  test::WriteBytes(Dir.File("many.pte"), text);
  ASSERT_TRUE(Table.ReadFile(Dir.File("many.pte")));
  // Only the other elements' sections are reported missing.
  ASSERT_EQ(Ui.Messages.size(), 1u);
  EXPECT_EQ(Ui.Messages[0], "Some lines of " + Dir.File("many.pte") + " cannot be used and were skipped:\n" +
                                Ui.Messages[0].substr(Ui.Messages[0].find('\n') + 1));
  EXPECT_EQ(
      Ui.Messages[0].substr(Ui.Messages[0].find('\n') + 1).rfind("Sections missing, built-in values used: [H]", 0), 0u);
  for (int n : {5, 1234, kCount}) {
    EXPECT_EQ(Table.PropertyName(n), "P" + std::to_string(n));
    EXPECT_EQ(Value("Fe", n), std::to_string(n));
  }
  EXPECT_EQ(Table.PropertyName(1), "Atomic Weight");  // the standard names stay
  EXPECT_EQ(Table.Unit(1), "g/mol");
}

TEST_F(PeriodicTable, AKeyThatIsNoNumberIsReportedAndSkipped) {
  ASSERT_TRUE(Read(Inserted(DefaultPropertyFileText(), "4=Density\r\n", "x=Hardness\r\n")));
  ASSERT_EQ(Ui.Messages.size(), 1u);
  EXPECT_NE(Ui.Messages[0].find("[Properties] x=Hardness"), std::string::npos) << Ui.Messages[0];
  EXPECT_EQ(Table.PropertyRowCount(), 5);
  EXPECT_EQ(Value("Fe", 4), "7860");
  EXPECT_EQ(Table.Unit(4), "kg/cu.m");
  EXPECT_TRUE(Table.FileValid());
}

// A bad file: how it is made from the default one, and what its one message names.
struct TBadFile {
  const char* name;
  std::string (*make)();
  const char* named;
};

const TBadFile kBadFiles[] = {
    {"property number not numeric",
     [] { return Inserted(DefaultPropertyFileText(), "[Properties]\r\n", "abc=Foo\r\n"); }, "abc=Foo"},
    {"property number zero or negative",
     [] { return Inserted(DefaultPropertyFileText(), "[Properties]\r\n", "0=Zero\r\n-1=Minus\r\n"); }, "-1=Minus"},
    {"property number leaving a gap",
     [] { return Inserted(DefaultPropertyFileText(), "4=Density\r\n", "9=Hardness\r\n"); }, "9=Hardness"},
    {"element section missing", [] { return WithoutSection(DefaultPropertyFileText(), "Fe"); }, "[Fe]"},
    {"units section missing", [] { return WithoutSection(DefaultPropertyFileText(), "Units"); }, "[Units]"},
    {"section of an unknown symbol", [] { return DefaultPropertyFileText() + "[Xx]\r\n1=5\r\n"; }, "[Xx]"},
    {"values that are not numbers",
     [] {
       std::string t = DefaultPropertyFileText();
       return t.replace(t.find("4=7860"), 6, "4=heavy");
     },
     "[Fe] 4=heavy"},
    {"value of a property that does not exist",
     [] { return Inserted(DefaultPropertyFileText(), "[Fe]\r\n", "7=1\r\n"); }, "[Fe] 7=1"},
    {"key given twice", [] { return Inserted(DefaultPropertyFileText(), "[Fe]\r\n", "4=7860\r\n"); }, "[Fe] 4"},
    {"binary bytes after a section",
     [] {
       std::string bytes = "[Properties]\r\n";
       for (int i = 0; i < 600; ++i) bytes.push_back(static_cast<char>((i * 151 + 7) % 256));
       return bytes;
     },
     "[Units]"},
};

struct BadPteFile : PeriodicTable, ::testing::WithParamInterface<TBadFile> {};

TEST_P(BadPteFile, IsReportedOnceAndTheBuiltInValuesStay) {
  ASSERT_TRUE(Read(GetParam().make()));
  ASSERT_EQ(Ui.Messages.size(), 1u);
  EXPECT_NE(Ui.Messages[0].find(GetParam().named), std::string::npos) << Ui.Messages[0];
  for (int n = 1; n <= 4; ++n) {
    EXPECT_EQ(Table.PropertyName(n), kStandardPropertyNames[static_cast<std::size_t>(n - 1)]);
    EXPECT_EQ(Table.Unit(n), kStandardPropertyUnits[static_cast<std::size_t>(n - 1)]);
    EXPECT_EQ(Value("Fe", n), Element("Fe").BuiltinValues[static_cast<std::size_t>(n - 1)]);
  }
  EXPECT_EQ(Table.PropertyRowCount(), 5);
}

INSTANTIATE_TEST_SUITE_P(Cases, BadPteFile, ::testing::ValuesIn(kBadFiles),
                         test::NamedBy([](const TBadFile& f) { return std::string(f.name); }));

TEST_F(PeriodicTable, MessagesShowFileTextCutAndWithoutControlCharacters) {
  const std::string longKey =
      "a\x02"
      "b" +
      std::string(500, 'k');
  ASSERT_TRUE(Read(Inserted(DefaultPropertyFileText(), "[Properties]\r\n", longKey + "=\xC3\xA9t\xC3\xA9\r\n")));
  ASSERT_EQ(Ui.Messages.size(), 1u);
  const std::string& m = Ui.Messages[0];
  EXPECT_LT(m.size(), 300u);
  EXPECT_NE(m.find("[Properties] a?bkkk"), std::string::npos) << m;
  EXPECT_NE(m.find("kkk...=\xC3\xA9t\xC3\xA9"), std::string::npos) << m;
}

TEST_F(PeriodicTable, AFileThatCannotBeReadChangesNothing) {
  ASSERT_TRUE(Read(Inserted(DefaultPropertyFileText(), "4=Density\r\n", "5=Hardness\r\n")));
  std::filesystem::create_directory(Dir.File("folder.pte"));
  std::string bytes;
  for (int i = 0; i < 600; ++i) bytes.push_back(static_cast<char>((i * 151 + 7) % 256));
  test::WriteBytes(Dir.File("binary.pte"), bytes);
  test::WriteBytes(Dir.File("document.txt"), "{Constants}\r\n[x]\r\n1=2\r\n");
  for (const char* name : {"folder.pte", "binary.pte", "document.txt"}) {
    SCOPED_TRACE(name);
    Ui.Clear();
    EXPECT_FALSE(Table.ReadFile(Dir.File(name)));
    ASSERT_EQ(Ui.Messages.size(), 1u);
    EXPECT_EQ(Table.FilePath(), Dir.File("table.pte"));
    EXPECT_EQ(Table.PropertyName(5), "Hardness");
  }
  EXPECT_NE(Ui.Messages[0].find("is not a periodic table file"), std::string::npos) << Ui.Messages[0];
}

TEST_F(PeriodicTable, ClearPropertiesEmptiesEveryList) {
  Table.ClearProperties();
  EXPECT_EQ(Table.PropertyRowCount(), 1);
  EXPECT_TRUE(Table.Units().empty());
  for (const TElement& e : Table.Elements()) EXPECT_TRUE(Table.Properties(e).empty()) << e.Symbol;
  EXPECT_EQ(Value("Fe", 4), "");
}

// ---- the file at start and Def PTE ----------------------------------------------------------

TEST_F(PeriodicTable, AMissingFileIsWrittenWithTheDefaults) {
  const std::string path = Dir.File("helmax-calc.pte");
  Table.LoadAtStart(Dir.Folder(), path);  // the settings name a folder: no file
  EXPECT_TRUE(Ui.Messages.empty());
  EXPECT_EQ(test::ReadBytes(path), DefaultPropertyFileText());
  EXPECT_EQ(Table.FilePath(), path);
  EXPECT_TRUE(Table.FileValid());
}

TEST_F(PeriodicTable, AnExistingFileIsReadAndLeftAsItIs) {
  std::string old = DefaultPropertyFileText();
  // As older versions wrote it.
  old.replace(old.find("4=19300", old.find("[Au]")), 7, "4=18880");
  old.replace(old.find("1=55.845", old.find("[Fe]")), 8, "1=55.847");
  old.replace(old.find("1=1.008", old.find("[H]")), 7, "1=1.00794");
  const std::string path = Dir.File("helmax-calc.pte");
  test::WriteBytes(path, old);
  Table.LoadAtStart(Dir.File("gone.pte"), path);
  EXPECT_EQ(Value("Au", 4), "18880");
  EXPECT_EQ(Value("Fe", 1), "55.847");
  EXPECT_EQ(Value("H", 1), "1.00794");
  EXPECT_EQ(Value("Au", 1), "196.966570");
  EXPECT_EQ(test::ReadBytes(path), old);
  // The file the settings name comes first.
  const std::string own = Dir.File("own.pte");
  test::WriteBytes(own, Inserted(DefaultPropertyFileText(), "4=Density\r\n", "5=Hardness\r\n"));
  Table.LoadAtStart(own, path);
  EXPECT_EQ(Table.FilePath(), own);
  EXPECT_EQ(Table.PropertyName(5), "Hardness");
}

TEST_F(PeriodicTable, AFailedWriteKeepsTheBuiltInData) {
  const std::string path = Dir.File("helmax-calc.pte");
  std::filesystem::create_directory(path);  // cannot be replaced by a file, for root too
  Table.LoadAtStart("", path);
  ASSERT_EQ(Ui.Messages.size(), 1u);
  EXPECT_EQ(Table.FilePath(), "");
  EXPECT_FALSE(Table.FileValid());
  EXPECT_EQ(Value("Fe", 4), "7860");
  EXPECT_EQ(Table.Unit(4), "kg/cu.m");
}

TEST_F(PeriodicTable, DefPteAsksAndRewritesTheFile) {
  const std::string path = Dir.File("helmax-calc.pte");
  test::WriteBytes(path, Inserted(DefaultPropertyFileText(), "4=Density\r\n", "5=Hardness\r\n"));
  Table.LoadAtStart("", path);
  Ui.Answers = {false};
  EXPECT_FALSE(Table.RestoreDefaultFile(path));
  EXPECT_EQ(Ui.Questions, std::vector<std::string>{"ARE YOU SURE ?"});
  EXPECT_EQ(Table.PropertyName(5), "Hardness");
  Ui.Answers = {true};
  EXPECT_TRUE(Table.RestoreDefaultFile(path));
  EXPECT_EQ(test::ReadBytes(path), DefaultPropertyFileText());
  EXPECT_EQ(Table.PropertyRowCount(), 5);
}

// ---- the constant list and the conversion window ------------------------------------------

TEST(PeriodicTableConstants, AddToConstNamesTheConstantAfterElementAndProperty) {
  test::TCalculatorFixture f;
  TPeriodicTable table(f.Ui);
  const TElement& iron = *table.FindElement("Fe");
  TConstantList& list = f.Calc.Constants();
  const int rows = list.RowCount();
  ASSERT_TRUE(AddPropertyToConstants(table, iron, 4, list));
  ASSERT_EQ(list.RowCount(), rows + 1);
  const TConstRec& added = list.Row(rows);
  EXPECT_EQ(added.Name, "Fe_Density");
  EXPECT_EQ(added.Expression, "7860");
  EXPECT_EQ(added.Value, "7860");
  EXPECT_EQ(added.Description, "(kg/cu.m)");
  ASSERT_TRUE(AddPropertyToConstants(table, iron, 1, list));
  EXPECT_EQ(list.Row(rows + 1).Name, "Fe_Atomic_Weight");
  EXPECT_EQ(f.Eval("Fe_Density*2"), "15720");
  // An unknown value (meitnerium's density) is refused by the list.
  f.Ui.Clear();
  EXPECT_FALSE(AddPropertyToConstants(table, *table.FindElement("Mt"), 4, list));
  EXPECT_EQ(f.Ui.Messages.size(), 1u);
  EXPECT_EQ(list.RowCount(), rows + 2);
}

TEST(PeriodicTableConstants, ABadLineDoesNotSpoilAddToConst) {
  test::TCalculatorFixture f;
  test::TTempFolder dir;
  TPeriodicTable table(f.Ui);
  test::WriteBytes(dir.File("t.pte"), Inserted(DefaultPropertyFileText(), "4=Density\r\n", "x=Hardness\r\n"));
  ASSERT_TRUE(table.ReadFile(dir.File("t.pte")));
  TConstantList& list = f.Calc.Constants();
  ASSERT_TRUE(AddPropertyToConstants(table, *table.FindElement("Fe"), 4, list));
  EXPECT_EQ(list.Row(list.RowCount() - 1).Value, "7860");
}

TEST(PeriodicTableConstants, ConstantNamesAndConversionStatus) {
  TMessageRecorder ui;
  TPeriodicTable table(ui);
  const TElement& iron = *table.FindElement("fe");
  EXPECT_EQ(PropertyConstantName(iron, "  Atomic Weight "), "Fe_Atomic_Weight");
  EXPECT_EQ(ConversionStatusText(table, iron, 4), " Initial Iron Density = 7860 kg/cu.m");
  EXPECT_EQ(ConversionStatusText(table, *table.FindElement("O"), 2), " Initial Oxygen Melting Point = -218.79 C");
}

}  // namespace
}  // namespace helmax
