// The built-in element data. The table keeps the texts the program has
// always shown (names such as "Palladim" and "Sulphur" included); four
// values were wrong and are corrected here: the melting point of oxygen
// (-218.79 C, not -222.8), the boiling point of silicon (3265 C, not
// 2354.85), the density of gold (19300 kg/cu.m, not 18880) and the melting
// point of californium (900 C, not 626.85). The atomic weights are the
// IUPAC 2021 standard atomic weights, with the conventional value where
// IUPAC gives an interval (hydrogen 1.008); an element without a standard
// atomic weight keeps its value, the mass number (technetium 98) or mass
// (radium 226.0254) of a long-lived isotope.
#include "Elements.h"
#include "FixedTexts.h"

#include <algorithm>
#include <charconv>

namespace helmax {

const std::array<const char*, StandardPropertyCount> kStandardPropertyNames = {
    texts::kAtomicWeight, texts::kMeltingPoint, texts::kBoilingPoint, texts::kDensity};
const std::array<const char*, StandardPropertyCount> kStandardPropertyUnits = {"amu", "C", "C", "kg/cu.m"};

const char* ElementClassName(TElementClass elementClass) {
  switch (elementClass) {
    case TElementClass::Nonmetal: return texts::kNonmetal;
    case TElementClass::NobleGas: return texts::kNobleGas;
    case TElementClass::AlkalineMetal: return texts::kAlkalineMetal;
    case TElementClass::AlkalineEarthMetal: return texts::kAlkalineEarthMetal;
    case TElementClass::Metalloid: return texts::kMetalloid;
    case TElementClass::Halogen: return texts::kHalogen;
    case TElementClass::OtherMetal: return texts::kOtherMetal;
    case TElementClass::TransitionMetal: return texts::kTransitionMetal;
    case TElementClass::Lanthanoid: return texts::kLanthanoid;
    case TElementClass::Actinoid: return texts::kActinoid;
  }
  return "";
}

const char* MatterStateName(TMatterState state) {
  switch (state) {
    case TMatterState::Gas: return texts::kGas;
    case TMatterState::Liquid: return texts::kLiquid;
    case TMatterState::Solid: return texts::kSolid;
  }
  return "";
}

namespace {

// One row of the data table; oxidation states are blank-separated, flags
// are the letters R (radioactive), S (synthetic) and T (toxic).
struct TElementRow {
  int Number;
  const char* Symbol;
  const char* Name;
  TElementClass Class;
  TMatterState State;
  int Group, Period, Row, Column;
  const char* Weight;
  const char* Melting;
  const char* Boiling;
  const char* Density;
  const char* Oxidation;
  const char* Flags;
};

constexpr TElementClass kNonmetal = TElementClass::Nonmetal;
constexpr TElementClass kNobleGas = TElementClass::NobleGas;
constexpr TElementClass kAlkaline = TElementClass::AlkalineMetal;
constexpr TElementClass kEarth = TElementClass::AlkalineEarthMetal;
constexpr TElementClass kMetalloid = TElementClass::Metalloid;
constexpr TElementClass kHalogen = TElementClass::Halogen;
constexpr TElementClass kOther = TElementClass::OtherMetal;
constexpr TElementClass kTransition = TElementClass::TransitionMetal;
constexpr TElementClass kLanthanoid = TElementClass::Lanthanoid;
constexpr TElementClass kActinoid = TElementClass::Actinoid;
constexpr TMatterState kGas = TMatterState::Gas;
constexpr TMatterState kLiquid = TMatterState::Liquid;
constexpr TMatterState kSolid = TMatterState::Solid;

// Number, symbol, name, class, state, group, period, row, column, weight,
// melting point, boiling point, density, oxidation states, flags.
constexpr TElementRow kElementRows[] = {
    {1, "H", "Hydrogen", kNonmetal, kGas, 1, 1, 1, 0, "1.008", "-259.2", "-252.7", "8.988E-2", "-1 +1", ""},
    {2, "He", "Helium", kNobleGas, kGas, 18, 1, 1, 17, "4.002602", "-272.2", "-268.935", "0.1785", "", ""},
    {3, "Li", "Lithium", kAlkaline, kSolid, 1, 2, 2, 0, "6.94", "180.55", "1341.85", "530", "+1", ""},
    {4, "Be", "Beryllium", kEarth, kSolid, 2, 2, 2, 1, "9.0121831", "1286.85", "2471.85", "1850", "+2", "T"},
    {5, "B", "Boron", kMetalloid, kSolid, 13, 2, 2, 12, "10.81", "2026.85", "4001.85", "2340", "+3", ""},
    {6, "C", "Carbon", kNonmetal, kSolid, 14, 2, 2, 13, "12.011", "3826.85", "4826.85", "2260", "-4 +2 +3 +4", ""},
    {7, "N", "Nitrogen", kNonmetal, kGas, 15, 2, 2, 14, "14.007", "-210.01", "-195.8", "1.251",
     "-3 -2 -1 +1 +2 +3 +4 +5", ""},
    {8, "O", "Oxygen", kNonmetal, kGas, 16, 2, 2, 15, "15.999", "-218.79", "-182.97", "1.429", "-2", ""},
    {9, "F", "Fluorine", kHalogen, kGas, 17, 2, 2, 16, "18.998403162", "-219.67", "-188.2", "1.696", "-1", "T"},
    {10, "Ne", "Neon", kNobleGas, kGas, 18, 2, 2, 17, "20.1797", "-248.597", "-246.054", "0.9", "", ""},
    {11, "Na", "Sodium", kAlkaline, kSolid, 1, 3, 3, 0, "22.98976928", "97.85", "882.85", "971", "+1", ""},
    {12, "Mg", "Magnesium", kEarth, kSolid, 2, 3, 3, 1, "24.305", "648.85", "1089.85", "1740", "+2", ""},
    {13, "Al", "Aluminium", kOther, kSolid, 13, 3, 3, 12, "26.9815384", "659.85", "2466.85", "2700", "+3", ""},
    {14, "Si", "Silicon", kMetalloid, kSolid, 14, 3, 3, 13, "28.085", "1411.85", "3265", "2330", "+4", ""},
    {15, "P", "Phosphorus", kNonmetal, kSolid, 15, 3, 3, 14, "30.973761998", "44.15", "276.85", "1820", "-3 +3 +4 +5",
     ""},
    {16, "S", "Sulphur", kNonmetal, kSolid, 16, 3, 3, 15, "32.06", "115.21", "444.6", "2070", "-2 +2 +4 +6", ""},
    {17, "Cl", "Chlorine", kHalogen, kGas, 17, 3, 3, 16, "35.45", "-100.99", "-34.05", "3.214", "-1 +1 +3 +5 +7", "T"},
    {18, "Ar", "Argon", kNobleGas, kGas, 18, 3, 3, 17, "39.95", "-189.34", "-185.85", "1.784", "", ""},
    {19, "K", "Potassium", kAlkaline, kSolid, 1, 4, 4, 0, "39.0983", "63.2", "758.85", "860", "+1", ""},
    {20, "Ca", "Calcium", kEarth, kSolid, 2, 4, 4, 1, "40.078", "838.85", "1483.85", "1550", "+2", ""},
    {21, "Sc", "Scandium", kTransition, kSolid, 3, 4, 4, 2, "44.955907", "1538.85", "2830.85", "3000", "+3", ""},
    {22, "Ti", "Titanium", kTransition, kSolid, 4, 4, 4, 3, "47.867", "1669.85", "3288.85", "4500", "+3 +4", ""},
    {23, "V", "Vanadium", kTransition, kSolid, 5, 4, 4, 4, "50.9415", "1901.85", "3408.85", "6110", "+2 +3 +4 +5", ""},
    {24, "Cr", "Chromium", kTransition, kSolid, 6, 4, 4, 5, "51.9961", "1856.85", "2671.85", "7190", "+2 +3 +6", ""},
    {25, "Mn", "Manganese", kTransition, kSolid, 7, 4, 4, 6, "54.938043", "1243.85", "2061.85", "7430",
     "+2 +3 +4 +6 +7", ""},
    {26, "Fe", "Iron", kTransition, kSolid, 8, 4, 4, 7, "55.845", "1535.85", "2861.85", "7860", "+2 +3", ""},
    {27, "Co", "Cobalt", kTransition, kSolid, 9, 4, 4, 8, "58.933194", "1494.85", "2927.85", "8900", "+2 +3", ""},
    {28, "Ni", "Nickel", kTransition, kSolid, 10, 4, 4, 9, "58.6934", "1452.85", "2726.85", "8900", "+2 +3", ""},
    {29, "Cu", "Copper", kTransition, kSolid, 11, 4, 4, 10, "63.546", "1083.85", "2562.85", "8960", "+1 +2", ""},
    {30, "Zn", "Zinc", kTransition, kSolid, 12, 4, 4, 11, "65.38", "419.58", "906.85", "7140", "+2", ""},
    {31, "Ga", "Gallium", kOther, kSolid, 13, 4, 4, 12, "69.723", "29.75", "2204.85", "5910", "+3", ""},
    {32, "Ge", "Germanium", kMetalloid, kSolid, 14, 4, 4, 13, "72.630", "936.85", "2833.85", "5320", "+4", ""},
    {33, "As", "Arsenic", kMetalloid, kSolid, 15, 4, 4, 14, "74.921595", "612.85", "612.85", "5730", "-3 +3 +5", "T"},
    {34, "Se", "Selenium", kNonmetal, kSolid, 16, 4, 4, 15, "78.971", "220.85", "684.85", "4800", "-2 +4 +6", ""},
    {35, "Br", "Bromine", kHalogen, kLiquid, 17, 4, 4, 16, "79.904", "-7.2", "58", "3120", "-1 +1 +5", ""},
    {36, "Kr", "Krypton", kNobleGas, kGas, 18, 4, 4, 17, "83.798", "-157.37", "-153.35", "3.74", "", ""},
    {37, "Rb", "Rubidium", kAlkaline, kSolid, 1, 5, 5, 0, "85.4678", "39.49", "687.85", "1530", "+1", ""},
    {38, "Sr", "Strontium", kEarth, kSolid, 2, 5, 5, 1, "87.62", "767.85", "1376.85", "2600", "+2", ""},
    {39, "Y", "Yttrium", kTransition, kSolid, 3, 5, 5, 2, "88.905838", "1525.85", "3337.85", "4500", "+3", ""},
    {40, "Zr", "Zirconium", kTransition, kSolid, 4, 5, 5, 3, "91.224", "1851.85", "4408.85", "6490", "+4", ""},
    {41, "Nb", "Niobium", kTransition, kSolid, 5, 5, 5, 4, "92.90637", "2466.85", "4743.85", "8550", "+3 +5", ""},
    {42, "Mo", "Molybdenum", kTransition, kSolid, 6, 5, 5, 5, "95.95", "2616.85", "4638.85", "10200", "+2 +3 +4 +5 +6",
     ""},
    {43, "Tc", "Technetium", kTransition, kSolid, 7, 5, 5, 6, "98", "2199.85", "4264.85", "11500", "+7", "RS"},
    {44, "Ru", "Ruthenium", kTransition, kSolid, 8, 5, 5, 7, "101.07", "2249.85", "4149.85", "12200", "+2 +3 +4 +6 +8",
     ""},
    {45, "Rh", "Rhodium", kTransition, kSolid, 9, 5, 5, 8, "102.90549", "1962.85", "3696.85", "12400", "+2 +3 +4", ""},
    {46, "Pd", "Palladim", kTransition, kSolid, 10, 5, 5, 9, "106.42", "1551.85", "2963.85", "12000", "+2 +4", ""},
    {47, "Ag", "Silver", kTransition, kSolid, 11, 5, 5, 10, "107.8682", "960.85", "2162.85", "10500", "+1", ""},
    {48, "Cd", "Cadmium", kTransition, kSolid, 12, 5, 5, 11, "112.414", "321.03", "766.85", "8650", "+2", "T"},
    {49, "In", "Indium", kOther, kSolid, 13, 5, 5, 12, "114.818", "156.61", "2072.85", "7310", "+3", ""},
    {50, "Sn", "Tin", kOther, kSolid, 14, 5, 5, 13, "118.710", "231.91", "2602.85", "7300", "+2 +4", ""},
    {51, "Sb", "Antimony", kMetalloid, kSolid, 15, 5, 5, 14, "121.760", "630.85", "1586.85", "6680", "-3 +3 +5", ""},
    {52, "Te", "Tellurium", kMetalloid, kSolid, 16, 5, 5, 15, "127.60", "449.5", "987.85", "6240", "-2 +4 +6", ""},
    {53, "I", "Iodine", kHalogen, kSolid, 17, 5, 5, 16, "126.90447", "113.55", "185.25", "4920", "-1 +1 +5 +7", ""},
    {54, "Xe", "Xenon", kNobleGas, kGas, 18, 5, 5, 17, "131.293", "-111.79", "-108.12", "5.89", "", ""},
    {55, "Cs", "Cesium", kAlkaline, kSolid, 1, 6, 6, 0, "132.90545196", "28.4", "670.85", "1870", "+1", ""},
    {56, "Ba", "Barium", kEarth, kSolid, 2, 6, 6, 1, "137.327", "728.85", "1897.85", "3500", "+2", "T"},
    {57, "La", "Lanthanum", kLanthanoid, kSolid, 3, 6, 6, 2, "138.90547", "919.85", "3456.85", "6145", "+3", ""},
    {58, "Ce", "Cerium", kLanthanoid, kSolid, 0, 0, 8, 3, "140.116", "797.85", "3425.85", "6780", "+3 +4", ""},
    {59, "Pr", "Praseodymium", kLanthanoid, kSolid, 0, 0, 8, 4, "140.90766", "930.85", "3511.85", "6770", "+3 +4", ""},
    {60, "Nd", "Neodymium", kLanthanoid, kSolid, 0, 0, 8, 5, "144.242", "1015.85", "3067.85", "7000", "+3", ""},
    {61, "Pm", "Promethium", kLanthanoid, kSolid, 0, 0, 8, 6, "145", "1167.85", "2459.85", "6475", "+3", "RS"},
    {62, "Sm", "Samarium", kLanthanoid, kSolid, 0, 0, 8, 7, "150.36", "1071.85", "1790.85", "7540", "+2 +3", ""},
    {63, "Eu", "Europium", kLanthanoid, kSolid, 0, 0, 8, 8, "151.964", "816.85", "1596.85", "5260", "+2 +3", ""},
    {64, "Gd", "Gadolinium", kLanthanoid, kSolid, 0, 0, 8, 9, "157.25", "1311.85", "3265.85", "7890", "+3", ""},
    {65, "Tb", "Terbium", kLanthanoid, kSolid, 0, 0, 8, 10, "158.925354", "1356.85", "3222.85", "8270", "+3 +4", ""},
    {66, "Dy", "Dysprosium", kLanthanoid, kSolid, 0, 0, 8, 11, "162.500", "1408.85", "2561.85", "8540", "+3", ""},
    {67, "Ho", "Holmium", kLanthanoid, kSolid, 0, 0, 8, 12, "164.930329", "1469.85", "2694.85", "8800", "+3", ""},
    {68, "Er", "Erbium", kLanthanoid, kSolid, 0, 0, 8, 13, "167.259", "1497", "2862.85", "9066", "+3", ""},
    {69, "Tm", "Thulium", kLanthanoid, kSolid, 0, 0, 8, 14, "168.934219", "1544.85", "1946.85", "9321", "+2 +3", ""},
    {70, "Yb", "Ytterbium", kLanthanoid, kSolid, 0, 0, 8, 15, "173.045", "818.85", "1193.85", "6965", "+2 +3", ""},
    {71, "Lu", "Lutetium", kLanthanoid, kSolid, 0, 0, 8, 16, "174.9668", "1662.85", "3394.85", "9840", "+3", ""},
    {72, "Hf", "Hafnium", kTransition, kSolid, 4, 6, 6, 3, "178.486", "2226.85", "4602.85", "13100", "+4", ""},
    {73, "Ta", "Tantalum", kTransition, kSolid, 5, 6, 6, 4, "180.94788", "2995.85", "5426.85", "16654", "+5", ""},
    {74, "W", "Tungsten", kTransition, kSolid, 6, 6, 6, 5, "183.84", "3409.85", "5659.85", "19300", "+2 +3 +4 +5 +6",
     ""},
    {75, "Re", "Rhenium", kTransition, kSolid, 7, 6, 6, 6, "186.207", "3179.85", "5626.85", "21020", "-1 +2 +4 +6 +7",
     ""},
    {76, "Os", "Osmium", kTransition, kSolid, 8, 6, 6, 7, "190.23", "3046.85", "5026.85", "22570", "+2 +3 +4 +6 +8",
     "T"},
    {77, "Ir", "Iridium", kTransition, kSolid, 9, 6, 6, 8, "192.217", "2409.85", "4129.85", "22420", "+2 +3 +4 +6", ""},
    {78, "Pt", "Platinum", kTransition, kSolid, 10, 6, 6, 9, "195.084", "1771.85", "3826.85", "21450", "+2 +4", ""},
    {79, "Au", "Gold", kTransition, kSolid, 11, 6, 6, 10, "196.966570", "1064.43", "3079.85", "19300", "+1 +3", ""},
    {80, "Hg", "Mercury", kTransition, kLiquid, 12, 6, 6, 11, "200.592", "-38.85", "356.58", "13546", "+1 +2", "T"},
    {81, "Tl", "Thallium", kOther, kSolid, 13, 6, 6, 12, "204.38", "303.85", "1456.85", "11850", "+1 +3", "T"},
    {82, "Pb", "Lead", kOther, kSolid, 14, 6, 6, 13, "207.2", "327.502", "1739.85", "11350", "+2 +4", "T"},
    {83, "Bi", "Bismuth", kOther, kSolid, 15, 6, 6, 14, "208.98040", "271.3", "1559.85", "9747", "+3 +5", ""},
    {84, "Po", "Polonium", kMetalloid, kSolid, 16, 6, 6, 15, "209", "253.85", "961.85", "9320", "+2 +4", "R"},
    {85, "At", "Astatine", kHalogen, kSolid, 17, 6, 6, 16, "210", "301.85", "336.85", "", "-1 +1 +3 +5 +7", "R"},
    {86, "Rn", "Radon", kNobleGas, kGas, 18, 6, 6, 17, "222", "-71.05", "-61.8", "9.73", "", "R"},
    {87, "Fr", "Francium", kAlkaline, kSolid, 1, 7, 7, 0, "223", "27.05", "676.85", "1870", "+1", "R"},
    {88, "Ra", "Radium", kEarth, kSolid, 2, 7, 7, 1, "226.0254", "699.85", "1535.85", "5000", "+2", "R"},
    {89, "Ac", "Actinium", kActinoid, kSolid, 3, 7, 7, 2, "227", "1049.85", "3199.85", "10070", "+3", "R"},
    {90, "Th", "Thorium", kActinoid, kSolid, 0, 0, 9, 3, "232.0377", "1754.85", "4787.85", "11700", "+4", "R"},
    {91, "Pa", "Protactinium", kActinoid, kSolid, 0, 0, 9, 4, "231.03588", "1230", "", "15400", "+4 +5", "RT"},
    {92, "U", "Uranium", kActinoid, kSolid, 0, 0, 9, 5, "238.02891", "1131.85", "4133.85", "18900", "+3 +4 +5 +6",
     "RT"},
    {93, "Np", "Neptunium", kActinoid, kSolid, 0, 0, 9, 6, "237.0482", "636.85", "", "20400", "+3 +4 +5 +6", "RS"},
    {94, "Pu", "Plutonium", kActinoid, kSolid, 0, 0, 9, 7, "244", "639.85", "3229.85", "19800", "+3 +4 +5 +6", "RS"},
    {95, "Am", "Americium", kActinoid, kSolid, 0, 0, 9, 8, "243", "994.85", "2606.85", "13600", "+3 +4 +5 +6", "RS"},
    {96, "Cm", "Curium", kActinoid, kSolid, 0, 0, 9, 9, "247", "1339.85", "", "13511", "+3", "RS"},
    {97, "Bk", "Berkelium", kActinoid, kSolid, 0, 0, 9, 10, "247", "", "", "", "+3 +4", "RS"},
    {98, "Cf", "Californium", kActinoid, kSolid, 0, 0, 9, 11, "251", "900", "", "", "+3", "RS"},
    {99, "Es", "Einsteinium", kActinoid, kSolid, 0, 0, 9, 12, "252", "", "", "", "", "RS"},
    {100, "Fm", "Fermium", kActinoid, kSolid, 0, 0, 9, 13, "257", "", "", "", "", "RS"},
    {101, "Md", "Mendelevium", kActinoid, kSolid, 0, 0, 9, 14, "258", "", "", "", "", "RS"},
    {102, "No", "Nobelium", kActinoid, kSolid, 0, 0, 9, 15, "259", "", "", "", "", "RS"},
    {103, "Lr", "Lawrencium", kActinoid, kSolid, 0, 0, 9, 16, "260", "", "", "", "", "RS"},
    {104, "Rf", "Rutherfordium", kTransition, kSolid, 4, 7, 7, 3, "261", "", "", "", "", "RS"},
    {105, "Db", "Dubnium", kTransition, kSolid, 5, 7, 7, 4, "262", "", "", "", "", "RS"},
    {106, "Sg", "Seaborgium", kTransition, kSolid, 6, 7, 7, 5, "263", "", "", "", "", "RS"},
    {107, "Bh", "Bohrium", kTransition, kSolid, 7, 7, 7, 6, "262", "", "", "", "", "RS"},
    {108, "Hs", "Hassium", kTransition, kSolid, 8, 7, 7, 7, "265", "", "", "", "", "RS"},
    {109, "Mt", "Meitnerium", kTransition, kSolid, 9, 7, 7, 8, "266", "", "", "", "", "RS"},
};

std::vector<int> ParseOxidation(std::string_view text) {
  std::vector<int> states;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find(' ', at), text.size());
    std::string_view item = text.substr(at, end - at);
    if (!item.empty() && item.front() == '+') item.remove_prefix(1);
    int value = 0;
    if (!item.empty() && std::from_chars(item.data(), item.data() + item.size(), value).ec == std::errc())
      states.push_back(value);
    at = end + 1;
  }
  return states;
}

std::vector<TElement> BuildElements() {
  std::vector<TElement> elements;
  for (const TElementRow& r : kElementRows) {
    TElement e;
    e.Number = r.Number;
    e.Symbol = r.Symbol;
    e.Name = r.Name;
    e.Class = r.Class;
    e.State = r.State;
    e.Group = r.Group;
    e.Period = r.Period;
    e.Row = r.Row;
    e.Column = r.Column;
    e.BuiltinValues = {r.Weight, r.Melting, r.Boiling, r.Density};
    e.Oxidation = ParseOxidation(r.Oxidation);
    const std::string_view flags = r.Flags;
    e.Radioactive = flags.find('R') != std::string_view::npos;
    e.Synthetic = flags.find('S') != std::string_view::npos;
    e.Toxic = flags.find('T') != std::string_view::npos;
    elements.push_back(std::move(e));
  }
  return elements;
}

}  // namespace

const std::vector<TElement>& BuiltinElements() {
  static const std::vector<TElement> elements = BuildElements();
  return elements;
}

std::string GroupLabel(int row, int column) {
  if (row == 0 && column == 0) return "1";
  if (row == 1 && column == 1) return "2";
  if (row == 3 && column >= 2 && column <= 11) return std::to_string(column + 1);
  if (row == 1 && column >= 12 && column <= 16) return std::to_string(column + 1);
  if (row == 0 && column == 17) return "18";
  return {};
}

std::string OxidationText(int state) {
  return state > 0 ? std::string(1, '+').append(std::to_string(state)) : std::to_string(state);
}

namespace {

// Digits (and at most one point) rounded half up to decimals places.
std::string RoundedDecimal(std::string_view text, std::size_t decimals) {
  const std::size_t point = text.find('.');
  std::string digits(text.substr(0, point));
  const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  digits.append(fraction.substr(0, decimals));
  if (fraction.size() > decimals && fraction[decimals] >= '5') {
    std::size_t at = digits.size();
    while (at > 0 && digits[at - 1] == '9') digits[--at] = '0';
    if (at == 0) digits.insert(digits.begin(), '1');
    else ++digits[at - 1];
  }
  if (decimals > 0) digits.insert(digits.size() - decimals, ".");
  return digits;
}

}  // namespace

std::vector<std::string> CellWeightTexts(std::string_view weight) {
  const std::size_t point = weight.find('.');
  const auto digitOrPoint = [](char c) { return (c >= '0' && c <= '9') || c == '.'; };
  const bool plain = !weight.empty() && weight.front() != '.' && point != weight.size() - 1 &&
                     std::all_of(weight.begin(), weight.end(), digitOrPoint) &&
                     std::count(weight.begin(), weight.end(), '.') <= 1;
  if (!plain) return {std::string(weight)};
  if (point == std::string_view::npos) return {"[" + std::string(weight) + "]"};
  std::vector<std::string> texts;
  for (std::size_t decimals = weight.size() - point - 1;; --decimals) {
    texts.push_back(RoundedDecimal(weight, decimals));
    if (decimals == 0) break;
  }
  return texts;
}

}  // namespace helmax
