// The ".cnv" file: the built-in table, reading and writing the text.
#include <algorithm>
#include <charconv>
#include <iterator>
#include <unordered_map>
#include <unordered_set>

#include "ConversionTable.h"
#include "FixedTexts.h"
#include "IniFile.h"
#include "TextFile.h"
#include "TextUtil.h"

namespace helmax {

namespace {

constexpr const char* kDuplicateCategory = texts::kStringListDoesNotAllowDuplicates;
constexpr const char* kNoCategory = texts::kBadFileFormat;
constexpr const char* kFieldSeparator = " : ";

struct TDefaultRow {
  const char* Category;
  const char* UnitA;
  const char* UnitB;
  const char* Forward;
  const char* Backward;
  int XA, YA, XB, YB;
};

// The built-in table, category by category in file order, rows in key order.
// Its factors are the units' definitions (NIST SP 811, appendix B, and the
// SI): the US gallon of 231 cubic inches, the avoirdupois pound of
// 0.45359237 kg and the pound-force of 9.80665 m/s^2 on it, the foot of
// 0.3048 m, the International Table calorie and Btu, the electronvolt of
// the SI, the conventional millimetre of mercury (13.5951 g/cm^3), the torr
// of 101325/760 Pa and the light-year of c times a Julian year.
constexpr TDefaultRow kDefaultRows[] = {
    {"Angles", "pi radians", "degrees", "x*180", "x/180", 674, 287, 452, 304},
    {"Angles", "pi radians", "gradients", "x*200", "x/200", 674, 287, 677, 467},
    {"Angles", "degrees", "minutes", "x*60", "x/60", 452, 304, 453, 468},
    {"Angles", "minutes", "seconds", "x*60", "x/60", 453, 468, 235, 462},
    {"Angles", "circles", "degrees", "x*360", "x/360", 444, 118, 452, 304},
    {"Angles", "quadrants", "degrees", "x*90", "x/90", 254, 284, 452, 304},
    {"Bits & Bytes", "megabytes", "bytes", "x*2^20", "x/(2^20)", 233, 468, 398, 373},
    {"Bits & Bytes", "kilobytes", "bytes", "x*2^10", "x/(2^10)", 573, 470, 398, 373},
    {"Bits & Bytes", "bytes", "bits (micro)", "x*8", "x/8", 398, 373, 402, 207},
    {"Capacity", "gallons", "quarts", "x*4", "x/4", 275, 235, 588, 294},
    {"Capacity", "quarts", "pints", "x*2", "x/2", 588, 294, 688, 421},
    {"Capacity", "pints", "gills", "x*4", "x/4", 688, 421, 524, 574},
    {"Capacity", "gills", "fluid ounces", "x*4", "x/4", 524, 574, 254, 502},
    {"Capacity", "gallons", "liters", "x*3.785411784", "x/3.785411784", 275, 235, 423, 94},
    {"Capacity", "liters", "deciliters", "x*10", "x/10", 423, 94, 668, 154},
    {"Capacity", "deciliters", "centiliters", "x*10", "x/10", 668, 154, 733, 270},
    {"Capacity", "centiliters", "milliliters", "x*10", "x/10", 733, 270, 788, 397},
    {"Capacity", "cups", "fluid ounces", "x*8", "x/8", 234, 298, 254, 502},
    {"Capacity", "fluid ounces", "tablespoons", "x*2", "x/2", 254, 502, 413, 353},
    {"Capacity", "tablespoons", "teaspoons", "x*3", "x/3", 413, 353, 584, 393},
    {"Current", "A", "C/s", "x", "x", 361, 257, 527, 361},
    {"Current", "A", "mA", "x*1000", "x/1000", 361, 257, 223, 371},
    {"Current", "A", "uA", "x*1000000", "x/1000000", 361, 257, 330, 91},
    {"Energy", "J", "ft lb", "x/1.3558179483314004", "x*1.3558179483314004", 433, 227, 275, 125},
    {"Energy", "J", "ergs", "x*10^7", "x/10^7", 433, 227, 357, 417},
    {"Energy", "cal", "J", "x*4.1868", "x/4.1868", 638, 330, 433, 227},
    {"Energy", "Btu", "cal", "x*1055.05585262/4.1868", "x*4.1868/1055.05585262", 644, 502, 638, 330},
    {"Energy", "eV", "J", "x*1.602176634e-19", "x/1.602176634e-19", 458, 67, 433, 227},
    {"Energy", "MeV", "eV", "x*10^6", "x/10^6", 685, 66, 458, 67},
    {"Energy", "kWh", "J", "x*3.6e6", "x/3.6e6", 632, 169, 433, 227},
    {"Energy", "kJ", "J", "x*1000", "x/1000", 242, 299, 433, 227},
    {"Energy", "L atm", "J", "x*101.325", "x/101.325", 522, 428, 433, 227},
    {"Length", "megameters", "kilometers", "x*1000", "x/1000", 949, 127, 685, 205},
    {"Length", "kilometers", "hectometers", "x*10", "x/10", 685, 205, 783, 52},
    {"Length", "hectometers", "dekameters", "x*10", "x/10", 783, 52, 572, 74},
    {"Length", "dekameters", "meters", "x*10", "x/10", 572, 74, 279, 205},
    {"Length", "meters", "decimeters", "x*10", "x/10", 279, 205, 173, 382},
    {"Length", "decimeters", "centimeters", "x*10", "x/10", 173, 382, 207, 567},
    {"Length", "centimeters", "millimeters", "x*10", "x/10", 207, 567, 54, 442},
    {"Length", "millimeters", "micrometers", "x*1000", "x/1000", 54, 442, 74, 226},
    {"Length", "micrometers", "nanometers", "x*1000", "x/1000", 74, 226, 148, 79},
    {"Length", "nanometers", "angstroms", "x*10", "x/10", 148, 79, 355, 31},
    {"Length", "inches", "centimeters", "x*2.54", "x/2.54", 423, 603, 207, 567},
    {"Length", "leagues", "miles", "x*3", "x/3", 530, 252, 820, 243},
    {"Length", "miles", "furlongs", "x*8", "x/8", 820, 243, 940, 346},
    {"Length", "nautical miles", "meters", "x*1852", "x/1852", 191, 126, 279, 205},
    {"Length", "furlongs", "rods", "x*40", "x/40", 940, 346, 671, 362},
    {"Length", "rods", "yards", "x*5.5", "x/5.5", 671, 362, 525, 422},
    {"Length", "fathoms", "feet", "x*6", "x/6", 640, 153, 416, 227},
    {"Length", "yards", "feet", "x*3", "x/3", 525, 422, 416, 227},
    {"Length", "feet", "inches", "x*12", "x/12", 416, 227, 423, 603},
    {"Length", "inches", "mils", "x*1000", "x/1000", 423, 603, 738, 634},
    {"Length", "picas", "points", "x*12", "x/12", 784, 516, 948, 402},
    {"Length", "picas", "inches", "x/6", "x*6", 784, 516, 423, 603},
    {"Length", "lightyears", "meters", "x*9460730472580800", "x/9460730472580800", 333, 499, 279, 205},
    {"Power", "hp", "ft lb/s", "x*550", "x/550", 605, 136, 390, 138},
    {"Power", "W", "ft lb/s", "x/1.3558179483314004", "x*1.3558179483314004", 397, 306, 390, 138},
    {"Power", "W", "J/s", "x", "x", 397, 306, 562, 435},
    {"Power", "kW", "W", "x*1000", "x/1000", 264, 412, 397, 306},
    {"Pressure", "kPa", "Pa", "x*1000", "x/1000", 386, 248, 562, 242},
    {"Pressure", "atm", "kPa", "x*101.325", "x/101.325", 313, 62, 386, 248},
    {"Pressure", "bar", "Pa", "x*1e5", "x/1e5", 765, 331, 562, 242},
    {"Pressure", "mm Hg", "Pa", "x*133.322387415", "x/133.322387415", 529, 390, 562, 242},
    {"Pressure", "lb/in^2", "kPa", "x*4.4482216152605/0.64516", "x*0.64516/4.4482216152605", 224, 329, 386, 248},
    {"Pressure", "cm Hg", "mm Hg", "x*10", "x/10", 362, 458, 529, 390},
    {"Pressure", "Pa", "N/m^2", "x", "x", 562, 242, 786, 161},
    {"Pressure", "torr", "mm Hg", "x*101325/101325.0144354", "x*101325.0144354/101325", 705, 505, 529, 390},
    {"Pressure", "lb/ft^2", "Pa", "x*4.4482216152605/0.09290304", "x*0.09290304/4.4482216152605", 527, 47, 562, 242},
    {"Temperature", "Celcius", "Fahrenheit", "1.8*x+32", "(x-32)*5/9", 409, 244, 597, 244},
    {"Temperature", "Celcius", "Kelvin", "x+273.15", "x-273.15", 409, 244, 404, 66},
    {"Temperature", "Fahrenheit", "Rankine", "x+459.67", "x-459.67", 597, 244, 589, 414},
    {"Time", "years", "days", "x*365", "x/365", 323, 128, 329, 291},
    {"Time", "days", "hours", "x*24", "x/24", 329, 291, 592, 298},
    {"Time", "hours", "minutes", "x*60", "x/60", 592, 298, 597, 446},
    {"Time", "minutes", "seconds", "x*60", "x/60", 597, 446, 338, 438},
    {"Weight", "tons (metric)", "kilograms", "x*1000", "x/1000", 67, 80, 428, 49},
    {"Weight", "kilograms", "hectograms", "x*10", "x/10", 428, 49, 104, 209},
    {"Weight", "hectograms", "dekagrams", "x*10", "x/10", 104, 209, 79, 372},
    {"Weight", "dekagrams", "grams", "x*10", "x/10", 79, 372, 166, 497},
    {"Weight", "grams", "decigrams", "x*10", "x/10", 166, 497, 277, 592},
    {"Weight", "decigrams", "centigrams", "x*10", "x/10", 277, 592, 441, 526},
    {"Weight", "centigrams", "milligrams", "x*10", "x/10", 441, 526, 639, 557},
    {"Weight", "tons (ST)", "hundredweights", "x*20", "x/20", 853, 429, 852, 171},
    {"Weight", "hundredweights", "pounds", "x*100", "x/100", 852, 171, 610, 166},
    {"Weight", "pounds", "ounces", "x*16", "x/16", 610, 166, 630, 436},
    {"Weight", "ounces", "drams", "x*16", "x/16", 630, 436, 247, 429},
    {"Weight", "ounces", "grains", "x*437.5", "x/437.5", 630, 436, 312, 249},
    {"Weight", "carats", "milligrams", "x*200", "x/200", 836, 515, 639, 557},
    {"Weight", "kilograms", "pounds", "x/0.45359237", "x*0.45359237", 428, 49, 610, 166},
};

std::string EntryLine(int key, std::string_view unitA, std::string_view unitB, std::string_view forward,
                      std::string_view backward, int xa, int ya, int xb, int yb) {
  std::string line = std::to_string(key) + "=";
  for (std::string_view field : {unitA, unitB, forward, backward}) {
    line += field;
    line += kFieldSeparator;
  }
  line += std::to_string(xa) + kFieldSeparator + std::to_string(ya) + kFieldSeparator + std::to_string(xb) +
          kFieldSeparator + std::to_string(yb) + "\r\n";
  return line;
}

// The text before the next ":" (trimmed), which is then dropped with its
// colon; without a colon the field is empty and the text stays.
bool CutField(std::string_view& rest, std::string& field) {
  const std::size_t colon = rest.find(':');
  if (colon == std::string_view::npos) {
    field.clear();
    return false;
  }
  field = std::string(Trim(rest.substr(0, colon)));
  rest.remove_prefix(colon + 1);
  return true;
}

// An optional sign and decimal digits within 32 bits; anything else is 0.
int Coordinate(std::string_view text) {
  text = Trim(text);
  if (text.size() > 1 && text.front() == '+' && IsAsciiDigit(text[1])) text.remove_prefix(1);
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return 0;
  return value;
}

// A file line that is neither blank nor a comment.
bool HoldsContent(std::string_view text) {
  for (const std::string& raw : SplitLines(text)) {
    const std::string_view line = Trim(raw);
    if (!line.empty() && line.front() != ';' && line.front() != '#') return true;
  }
  return false;
}

bool HasControlCharacter(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

}  // namespace

bool NameLess(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = static_cast<unsigned char>(LowerAscii(a[i]));
    const unsigned char y = static_cast<unsigned char>(LowerAscii(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

std::vector<TUnitPair> TUnitCategory::UnitPairs() const {
  std::vector<TUnitPair> pairs;
  pairs.reserve(Definitions.size());
  for (const TConversionDefinition& d : Definitions) pairs.push_back({d.UnitA, d.UnitB});
  return pairs;
}

std::string_view DefaultConversionText() {
  static const std::string text = [] {
    std::string t;
    std::string_view category;
    int key = 0;
    for (const TDefaultRow& r : kDefaultRows) {
      if (category != r.Category) {
        if (!category.empty()) t += "\r\n";
        category = r.Category;
        key = 0;
        t.append("[").append(category).append("]\r\n");
      }
      t += EntryLine(++key, r.UnitA, r.UnitB, r.Forward, r.Backward, r.XA, r.YA, r.XB, r.YB);
    }
    return t;
  }();
  return text;
}

bool IsBuiltInDefinitionText(std::string_view text) {
  static const std::unordered_set<std::string_view> texts = [] {
    std::unordered_set<std::string_view> all;
    for (const TDefaultRow& r : kDefaultRows) all.insert({r.Forward, r.Backward});
    return all;
  }();
  return texts.count(text) != 0;
}

bool IsBuiltInDefinitionPair(std::string_view forward, std::string_view backward) {
  return std::any_of(std::begin(kDefaultRows), std::end(kDefaultRows),
                     [&](const TDefaultRow& r) { return r.Forward == forward && r.Backward == backward; });
}

TConversionEntry ParseConversionEntry(std::string_view fields) {
  TConversionEntry e;
  std::string_view rest = fields;
  CutField(rest, e.UnitA);
  CutField(rest, e.UnitB);
  CutField(rest, e.Forward);
  if (!CutField(rest, e.Backward)) {
    e.Backward = std::string(Trim(rest));
    return e;
  }
  std::string xa, ya, xb;
  const bool a = CutField(rest, xa), b = CutField(rest, ya), c = CutField(rest, xb);
  e.XA = Coordinate(xa);
  e.YA = Coordinate(ya);
  e.XB = Coordinate(xb);
  if (a || b || c) e.YB = Coordinate(rest);
  return e;
}

bool ParseConversionText(std::string_view text, std::vector<TUnitCategory>& categories, std::string& error) {
  const TIniFile ini = TIniFile::Parse(text, TIniFile::TRepeatedKeys::KeepAll);
  if (!ini.RepeatedSections().empty()) {
    error = kDuplicateCategory;
    return false;
  }
  const std::vector<std::string> sections = ini.Sections();
  if (sections.empty() && HoldsContent(text)) {
    error = kNoCategory;
    return false;
  }
  std::vector<TUnitCategory> read;
  read.reserve(sections.size());
  for (const std::string& section : sections) {
    TUnitCategory category;
    category.Name = section;
    // Units are numbered once all are known; until then rows name them.
    std::unordered_map<std::string, std::size_t> unitByName;
    std::vector<std::pair<std::size_t, std::size_t>> rowUnits;
    auto unit = [&](const std::string& name, int x, int y) {
      const auto [at, added] = unitByName.emplace(ToLowerAscii(name), category.Units.size());
      if (added) category.Units.push_back(TUnit{name, x, y});
      return at->second;
    };
    for (const std::string& line : ini.SectionLines(section)) {
      TConversionEntry e = ParseConversionEntry(std::string_view(line).substr(line.find('=') + 1));
      if (e.UnitA.empty() || e.UnitB.empty()) continue;
      const std::size_t a = unit(e.UnitA, e.XA, e.YA);
      const std::size_t b = unit(e.UnitB, e.XB, e.YB);
      rowUnits.emplace_back(a, b);
      TConversionDefinition d;
      d.Forward = std::move(e.Forward);
      d.Backward = std::move(e.Backward);
      category.Definitions.push_back(std::move(d));
    }
    std::vector<std::size_t> order(category.Units.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t x, std::size_t y) { return NameLess(category.Units[x].Name, category.Units[y].Name); });
    std::vector<int> position(order.size());
    std::vector<TUnit> sorted;
    sorted.reserve(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
      position[order[i]] = static_cast<int>(i);
      sorted.push_back(std::move(category.Units[order[i]]));
    }
    category.Units = std::move(sorted);
    for (std::size_t r = 0; r < rowUnits.size(); ++r) {
      category.Definitions[r].UnitA = position[rowUnits[r].first];
      category.Definitions[r].UnitB = position[rowUnits[r].second];
    }
    read.push_back(std::move(category));
  }
  std::stable_sort(read.begin(), read.end(),
                   [](const TUnitCategory& a, const TUnitCategory& b) { return NameLess(a.Name, b.Name); });
  categories = std::move(read);
  error.clear();
  return true;
}

bool ConversionText(const std::vector<TUnitCategory>& categories, std::string& text, std::string& error) {
  std::string out;
  for (std::size_t c = 0; c < categories.size(); ++c) {
    const TUnitCategory& category = categories[c];
    const std::string where = texts::kErrorInCategoryPrefix + category.Name + " : ";
    if (category.Name.find_first_of("[]") != std::string::npos || HasControlCharacter(category.Name) ||
        Trim(category.Name) != category.Name) {
      error = where + texts::kInvalidNamePrefix + category.Name;
      return false;
    }
    if (c > 0) out += "\r\n";
    out.append("[").append(category.Name).append("]\r\n");
    for (std::size_t i = 0; i < category.Definitions.size(); ++i) {
      const TConversionDefinition& d = category.Definitions[i];
      const std::string row = where + "Row# " + std::to_string(i + 1) + " : ";
      const auto units = static_cast<int>(category.Units.size());
      if (d.UnitA < 0 || d.UnitB < 0 || d.UnitA >= units || d.UnitB >= units) {
        error = texts::kInternalError;
        return false;
      }
      const TUnit& a = category.Units[static_cast<std::size_t>(d.UnitA)];
      const TUnit& b = category.Units[static_cast<std::size_t>(d.UnitB)];
      for (const std::string* name : {&a.Name, &b.Name})
        if (name->empty() || name->find(':') != std::string::npos || HasControlCharacter(*name) ||
            Trim(*name) != *name) {
          error = row + texts::kInvalidNamePrefix + *name;
          return false;
        }
      for (const std::string* expression : {&d.Forward, &d.Backward})
        if (expression->find(':') != std::string::npos || HasControlCharacter(*expression)) {
          error = row + texts::kInvalidExpressionPrefix + *expression;
          return false;
        }
      out += EntryLine(static_cast<int>(i) + 1, a.Name, b.Name, d.Forward, d.Backward, a.X, a.Y, b.X, b.Y);
    }
  }
  text = std::move(out);
  error.clear();
  return true;
}

}  // namespace helmax
