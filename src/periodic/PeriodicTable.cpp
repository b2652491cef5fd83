#include "PeriodicTable.h"
#include "FixedTexts.h"

#include <algorithm>
#include <charconv>
#include <unordered_set>

#include "ConstantList.h"
#include "IniFile.h"
#include "TextFile.h"

namespace helmax {

namespace {

constexpr const char* kPropertiesSection = "Properties";
constexpr const char* kUnitsSection = "Units";
// A message lists at most so many skipped lines, and so many missing sections.
constexpr std::size_t kListedProblems = 20;
constexpr std::size_t kListedSections = 10;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

// A property number: a decimal integer of 1 or more; 0 for anything else.
int PropertyNumber(std::string_view key) {
  int number = 0;
  const auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), number);
  return (!key.empty() && ec == std::errc() && end == key.data() + key.size() && number >= 1) ? number : 0;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number as the calculator reads one: an optional sign, digits
// with an optional decimal point, an optional exponent (8.988E-2).
bool IsNumberText(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponent = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++exponent;
    if (exponent == 0) return false;
  }
  return i == text.size();
}

// Text from the file as a message shows it: control characters as '?', and
// cut (never inside a UTF-8 sequence) when long, as lines of a binary file are.
std::string Shown(std::string_view text) {
  constexpr std::size_t kLongest = 60;
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (out.size() >= kLongest && (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      out += "...";
      break;
    }
    const unsigned char c = static_cast<unsigned char>(text[i]);
    out.push_back(c < 0x20 || c == 0x7F ? '?' : text[i]);
  }
  return out;
}

std::string Line(std::string_view section, std::string_view key, std::string_view value) {
  return '[' + Shown(section) + "] " + Shown(key) + '=' + Shown(value);
}

// Reads the number=text lines of a section into list; what cannot be used
// goes to problems.
void ReadNumberedLines(const TIniFile& ini, const std::string& section, TPropertyList& list,
                       std::vector<std::string>& problems) {
  std::unordered_set<int> numbers;
  for (const TElementProperty& p : list) numbers.insert(p.Number);
  for (const std::string& entry : ini.SectionLines(section)) {
    // The key holds no "=": the first one ends it.
    const std::size_t equals = entry.find('=');
    const std::string key = entry.substr(0, equals), value = entry.substr(equals + 1);
    const int number = PropertyNumber(key);
    if (number == 0) {
      problems.push_back(Line(section, key, value) + ": not a property number");
    } else if (!numbers.insert(number).second) {
      problems.push_back(Line(section, key, value) + ": property " + std::to_string(number) + " given twice");
    } else {
      list.push_back({number, value});
    }
  }
}

}  // namespace

const std::string* FindProperty(const TPropertyList& list, int number) {
  for (const TElementProperty& p : list)
    if (p.Number == number) return &p.Text;
  return nullptr;
}

std::string DefaultPropertyFileText() {
  const std::string end = "\r\n";
  std::string text = std::string("[") + kPropertiesSection + "]" + end;
  for (int n = 1; n <= StandardPropertyCount; ++n)
    text += std::to_string(n) + "=" + kStandardPropertyNames[n - 1] + end;
  text += end + "[" + kUnitsSection + "]" + end;
  for (int n = 1; n <= StandardPropertyCount; ++n)
    text += std::to_string(n) + "=" + kStandardPropertyUnits[n - 1] + end;
  text += end;
  // Grid order: row by row, left to right.
  std::vector<const TElement*> cells(GridRows * GridColumns, nullptr);
  for (const TElement& e : BuiltinElements()) cells[static_cast<std::size_t>(e.Row * GridColumns + e.Column)] = &e;
  for (const TElement* e : cells) {
    if (e == nullptr) continue;
    text += "[" + e->Symbol + "]" + end;
    for (int n = 1; n <= StandardPropertyCount; ++n)
      text += std::to_string(n) + "=" + e->BuiltinValues[static_cast<std::size_t>(n - 1)] + end;
    text += end;
  }
  return text;
}

TPeriodicTable::TPeriodicTable(TUserInterface& ui) : Ui_(ui), Elements_(BuiltinElements()) {
  Values_.resize(Elements_.size());
  for (auto& row : Grid_)
    for (int& cell : row) cell = -1;
  for (std::size_t i = 0; i < Elements_.size(); ++i) Grid_[Elements_[i].Row][Elements_[i].Column] = static_cast<int>(i);
  std::vector<std::string> unused;
  ReadText(DefaultPropertyFileText(), unused);
}

int TPeriodicTable::IndexAt(int row, int column) const {
  if (row < 0 || row >= GridRows || column < 0 || column >= GridColumns) return -1;
  return Grid_[row][column];
}

const TElement* TPeriodicTable::ElementAt(int row, int column) const {
  const int index = IndexAt(row, column);
  return index < 0 ? nullptr : &Elements_[static_cast<std::size_t>(index)];
}

const TElement* TPeriodicTable::FindElement(std::string_view symbol) const {
  for (const TElement& e : Elements_)
    if (SameText(e.Symbol, symbol)) return &e;
  return nullptr;
}

const TElement* TPeriodicTable::FindTyped(std::string_view typed) const {
  if (typed.empty()) return nullptr;
  if (std::all_of(typed.begin(), typed.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    int number = 0;
    const auto [end, error] = std::from_chars(typed.data(), typed.data() + typed.size(), number);
    if (error != std::errc() || end != typed.data() + typed.size()) return nullptr;
    for (const TElement& e : Elements_)
      if (e.Number == number) return &e;
    return nullptr;
  }
  if (const TElement* e = FindElement(typed)) return e;
  // Elements_ is in order of atomic number: the first match is the lightest.
  for (const TElement& e : Elements_)
    if (e.Name.size() >= typed.size() && SameText(std::string_view(e.Name).substr(0, typed.size()), typed)) return &e;
  return nullptr;
}

const TPropertyList& TPeriodicTable::Properties(const TElement& element) const {
  return Values_.at(static_cast<std::size_t>(element.Number - 1));
}

std::string TPeriodicTable::PropertyName(int number) const {
  const std::string* name = FindProperty(Names_, number);
  return name ? *name : std::string();
}

std::string TPeriodicTable::Unit(int number) const {
  const std::string* unit = FindProperty(Units_, number);
  return unit ? *unit : std::string();
}

std::string TPeriodicTable::Value(const TElement& element, int number) const {
  const std::string* value = FindProperty(Properties(element), number);
  return value ? *value : std::string();
}

void TPeriodicTable::ClearProperties() {
  Names_.clear();
  Units_.clear();
  for (TPropertyList& values : Values_) values.clear();
}

bool TPeriodicTable::ReadText(std::string_view text, std::vector<std::string>& problems) {
  const TIniFile ini = TIniFile::Parse(text);
  bool known = false;
  for (const std::string& section : ini.Sections())
    known = known || SameText(section, kPropertiesSection) || SameText(section, kUnitsSection) || FindElement(section);
  if (!known) return false;
  std::vector<std::string> missing;

  TPropertyList names, units;
  if (!ini.HasSection(kPropertiesSection)) missing.push_back(kPropertiesSection);
  ReadNumberedLines(ini, kPropertiesSection, names, problems);
  // The standard properties keep their names, whatever the file says.
  for (int n = 1; n <= StandardPropertyCount; ++n) {
    bool found = false;
    for (TElementProperty& p : names)
      if (p.Number == n) {
        p.Text = kStandardPropertyNames[n - 1];
        found = true;
      }
    if (!found) names.push_back({n, kStandardPropertyNames[n - 1]});
  }
  // The element window shows property n in row n: a number beyond the
  // count of names would never be shown (nor would the rows it leaves empty).
  // Dropping such names until none is left keeps the most names c for which
  // the c-th smallest number is at most c (the numbers are distinct).
  std::vector<int> sorted;
  sorted.reserve(names.size());
  for (const TElementProperty& p : names) sorted.push_back(p.Number);
  std::sort(sorted.begin(), sorted.end());
  std::size_t kept = sorted.size();
  while (kept > 0 && sorted[kept - 1] > static_cast<int>(kept)) --kept;
  const int shown = static_cast<int>(kept);
  std::erase_if(names, [&](const TElementProperty& p) {
    if (p.Number <= shown) return false;
    problems.push_back(Line(kPropertiesSection, std::to_string(p.Number), p.Text) +
                       ": property numbers must run from 1 without gaps");
    return true;
  });
  std::unordered_set<int> namedNumbers;
  for (const TElementProperty& p : names) namedNumbers.insert(p.Number);
  auto named = [&](int number) { return namedNumbers.count(number) != 0; };

  if (!ini.HasSection(kUnitsSection)) missing.push_back(kUnitsSection);
  ReadNumberedLines(ini, kUnitsSection, units, problems);
  for (const TElementProperty& u : units)
    if (!named(u.Number))
      problems.push_back(Line(kUnitsSection, std::to_string(u.Number), u.Text) + ": no such property");
  for (int n = 1; n <= StandardPropertyCount; ++n)
    if (FindProperty(units, n) == nullptr) units.push_back({n, kStandardPropertyUnits[n - 1]});

  std::vector<TPropertyList> values(Elements_.size());
  for (int row = 0; row < GridRows; ++row)
    for (int column = 0; column < GridColumns; ++column) {
      const int index = Grid_[row][column];
      if (index < 0) continue;
      const TElement& e = Elements_[static_cast<std::size_t>(index)];
      TPropertyList& list = values[static_cast<std::size_t>(index)];
      if (!ini.HasSection(e.Symbol)) missing.push_back(e.Symbol);
      TPropertyList read;
      ReadNumberedLines(ini, e.Symbol, read, problems);
      for (TElementProperty& p : read) {
        if (!p.Text.empty() && !IsNumberText(p.Text))
          problems.push_back(Line(e.Symbol, std::to_string(p.Number), p.Text) + ": not a number");
        else if (!named(p.Number))
          problems.push_back(Line(e.Symbol, std::to_string(p.Number), p.Text) + ": no such property");
        else list.push_back(std::move(p));
      }
      for (int n = 1; n <= StandardPropertyCount; ++n)
        if (FindProperty(list, n) == nullptr) list.push_back({n, e.BuiltinValues[static_cast<std::size_t>(n - 1)]});
    }

  for (const std::string& section : ini.Sections())
    if (!SameText(section, kPropertiesSection) && !SameText(section, kUnitsSection) && !FindElement(section))
      problems.push_back("[" + Shown(section) + "]: no element has this symbol");
  for (const TIniFile::TDroppedKey& dropped : ini.DroppedKeys())
    problems.push_back("[" + Shown(dropped.Section) + "] " + Shown(dropped.Key) +
                       "=: given twice, the first line counts");

  if (!missing.empty()) {
    std::string line = "Sections missing, built-in values used:";
    for (std::size_t i = 0; i < missing.size() && i < kListedSections; ++i) line += " [" + missing[i] + "]";
    if (missing.size() > kListedSections) line += " and " + std::to_string(missing.size() - kListedSections) + " more";
    problems.push_back(line);
  }

  Names_ = std::move(names);
  Units_ = std::move(units);
  Values_ = std::move(values);
  return true;
}

bool TPeriodicTable::ReadFile(const std::string& path) {
  std::string text, error;
  if (!ReadTextFile(path, text, error, kPeriodicFileLimit)) {
    Ui_.ShowMessage(error);
    return false;
  }
  std::vector<std::string> problems;
  if (!ReadText(text, problems)) {
    Ui_.ShowMessage(path +
                    " is not a periodic table file: it has neither [Properties] nor [Units] nor an element's "
                    "section");
    return false;
  }
  FilePath_ = path;
  FileValid_ = true;
  if (!problems.empty()) {
    std::string message = "Some lines of " + path + " cannot be used and were skipped:";
    for (std::size_t i = 0; i < problems.size() && i < kListedProblems; ++i) message += "\n" + problems[i];
    if (problems.size() > kListedProblems)
      message += "\n... and " + std::to_string(problems.size() - kListedProblems) + " more";
    Ui_.ShowMessage(message);
  }
  return true;
}

bool TPeriodicTable::WriteDefaultFile(const std::string& path) {
  std::string error;
  if (!WriteFileAtomic(path, DefaultPropertyFileText(), error)) {
    Ui_.ShowMessage(error);
    return false;
  }
  return true;
}

void TPeriodicTable::LoadAtStart(const std::string& savedPath, const std::string& defaultPath) {
  if (!savedPath.empty() && FileExists(savedPath) && ReadFile(savedPath)) return;
  if (defaultPath.empty()) return;
  if (!FileExists(defaultPath) && !WriteDefaultFile(defaultPath)) return;
  ReadFile(defaultPath);
}

bool TPeriodicTable::RestoreDefaultFile(const std::string& path) {
  if (!Ui_.AskYesNo(texts::kAreYouSure)) return false;
  if (path.empty()) {
    std::vector<std::string> unused;
    ReadText(DefaultPropertyFileText(), unused);
    FilePath_.clear();
    FileValid_ = false;
    return true;
  }
  return WriteDefaultFile(path) && ReadFile(path);
}

std::string PropertyConstantName(const TElement& element, const std::string& propertyName) {
  std::string name = TrimText(propertyName);
  for (char& c : name)
    if (c == ' ') c = '_';
  return element.Symbol + "_" + name;
}

bool AddPropertyToConstants(const TPeriodicTable& table, const TElement& element, int number, TConstantList& list) {
  return list.AddConst(list.RowCount(), PropertyConstantName(element, table.PropertyName(number)),
                       table.Value(element, number), std::string(1, '(').append(table.Unit(number)).append(")"));
}

std::string ConversionStatusText(const TPeriodicTable& table, const TElement& element, int number) {
  return " Initial " + element.Name + " " + table.PropertyName(number) + " = " + table.Value(element, number) + " " +
         table.Unit(number);
}

}  // namespace helmax
