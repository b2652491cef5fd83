// Editing the conversion table: the commands of its window and dialogs.
#include <algorithm>
#include <cmath>
#include <iterator>

#include "ConversionTable.h"
#include "FixedTexts.h"
#include "TextUtil.h"

namespace helmax {

namespace {

constexpr const char* kAreYouSure = texts::kAreYouSure;
constexpr const char* kSaveQuestion = "Save the changes of the conversion definition table ?";
constexpr const char* kEmptyName = texts::kUnitDefinitionCannotBeAnEmptyString;
constexpr const char* kDuplicateName = texts::kStringListDoesNotAllowDuplicates;

bool HasControlCharacter(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// Where a unit of this name goes in the sorted units.
std::size_t SortedPosition(const std::vector<TUnit>& units, std::string_view name) {
  return static_cast<std::size_t>(
      std::lower_bound(units.begin(), units.end(), name,
                       [](const TUnit& u, std::string_view n) { return NameLess(u.Name, n); }) -
      units.begin());
}

}  // namespace

void TConversionTable::Edited() {
  Modified_ = true;
  Lock();
}

// ---- files ---------------------------------------------------------------------------------

bool TConversionTable::NewTable() {
  if (!Ui_.AskYesNo(kAreYouSure)) return false;
  Categories_.clear();
  Modified_ = false;  // an empty table holds nothing to lose
  Lock();
  return true;
}

bool TConversionTable::Open(const std::string& path) {
  if (Modified_ && !Ui_.AskYesNo(kAreYouSure)) return false;
  return Read(path);
}

bool TConversionTable::SaveConfirmed() {
  if (!FileValid_ || !Ui_.AskYesNo(kAreYouSure)) return false;
  return Save();
}

bool TConversionTable::RestoreDefault(const std::string& defaultFile) {
  if (!Ui_.AskYesNo(kAreYouSure)) return false;
  if (!defaultFile.empty() && WriteDefault(defaultFile) && Read(defaultFile)) return true;
  // Nowhere to keep it: the built-in table serves this run.
  UseDefaultTable();
  return true;
}

bool TConversionTable::MayExit(const std::function<std::string()>& chooseFile) {
  if (!Modified_) return true;
  // Cancel backs out of leaving: everything stays as it was.
  const TAnswer answer = Ui_.AskYesNoCancel(kSaveQuestion);
  if (answer == TAnswer::Cancel) return false;
  if (answer == TAnswer::Yes) {
    if (FileValid_) return Save();
    const std::string path = chooseFile ? chooseFile() : std::string();
    return !path.empty() && SaveAs(path);
  }
  return Ui_.AskYesNoCancel(kAreYouSure) == TAnswer::Yes;
}

// ---- categories ----------------------------------------------------------------------------

bool TConversionTable::CheckCategoryName(const std::string& name, std::string& trimmed) {
  trimmed = std::string(Trim(name));
  if (trimmed.empty()) {
    Ui_.ShowMessage(kEmptyName);
    return false;
  }
  // A section header ends at "]"; a control character would break its line.
  if (trimmed.find_first_of("[]") != std::string::npos || HasControlCharacter(trimmed)) {
    Ui_.ShowMessage(texts::kInvalidNamePrefix + trimmed);
    return false;
  }
  return true;
}

bool TConversionTable::AddCategory(const std::string& name) {
  std::string trimmed;
  if (!CheckCategoryName(name, trimmed)) return false;
  if (FindCategory(trimmed) >= 0) {
    Ui_.ShowMessage(kDuplicateName);
    return false;
  }
  TUnitCategory category;
  category.Name = trimmed;
  const auto at = std::upper_bound(Categories_.begin(), Categories_.end(), trimmed,
                                   [](std::string_view n, const TUnitCategory& c) { return NameLess(n, c.Name); });
  Categories_.insert(at, std::move(category));
  Edited();
  return true;
}

bool TConversionTable::RenameCategory(int category, const std::string& name) {
  if (!ValidCategory(category)) return false;
  std::string trimmed;
  if (!CheckCategoryName(name, trimmed)) return false;
  const int other = FindCategory(trimmed);
  if (other >= 0 && other != category) {
    Ui_.ShowMessage(kDuplicateName);
    return false;
  }
  Categories_[static_cast<std::size_t>(category)].Name = trimmed;
  std::stable_sort(Categories_.begin(), Categories_.end(),
                   [](const TUnitCategory& a, const TUnitCategory& b) { return NameLess(a.Name, b.Name); });
  Edited();
  return true;
}

bool TConversionTable::DeleteCategory(int category) {
  if (!ValidCategory(category) || !Ui_.AskYesNo(kAreYouSure)) return false;
  if (!Category(category).Definitions.empty()) {
    Ui_.ShowMessage(texts::kPleaseDeleteAllDefinitions);
    return false;
  }
  Categories_.erase(Categories_.begin() + category);
  Edited();
  return true;
}

// ---- units ---------------------------------------------------------------------------------

bool TConversionTable::AddUnit(int category, const std::string& name) {
  if (!ValidCategory(category)) return false;
  const std::string trimmed(Trim(name));
  if (trimmed.empty()) return false;
  // A field of a file line ends at ":".
  if (trimmed.find(':') != std::string::npos || HasControlCharacter(trimmed)) {
    Ui_.ShowMessage(texts::kInvalidNamePrefix + trimmed);
    return false;
  }
  TUnitCategory& c = Categories_[static_cast<std::size_t>(category)];
  if (FindUnit(c, trimmed) >= 0) return true;
  const std::size_t at = SortedPosition(c.Units, trimmed);
  c.Units.insert(c.Units.begin() + static_cast<std::ptrdiff_t>(at), TUnit{trimmed, 20, 20});
  const int position = static_cast<int>(at);
  for (TConversionDefinition& d : c.Definitions) {
    if (d.UnitA >= position) ++d.UnitA;
    if (d.UnitB >= position) ++d.UnitB;
  }
  Edited();
  return true;
}

bool TConversionTable::RenameUnit(int category, int unit, const std::string& name) {
  if (!ValidCategory(category)) return false;
  TUnitCategory& c = Categories_[static_cast<std::size_t>(category)];
  if (unit < 0 || unit >= static_cast<int>(c.Units.size())) return false;
  const std::string trimmed(Trim(name));
  auto used = [&c](int u) {
    return std::any_of(c.Definitions.begin(), c.Definitions.end(),
                       [u](const TConversionDefinition& d) { return d.UnitA == u || d.UnitB == u; });
  };
  // Removes unit u, moving the rows' indices above it down.
  auto removeUnit = [&c](int u) {
    c.Units.erase(c.Units.begin() + u);
    for (TConversionDefinition& d : c.Definitions) {
      if (d.UnitA > u) --d.UnitA;
      if (d.UnitB > u) --d.UnitB;
    }
  };
  if (trimmed.empty()) {
    // A unit that rows still use stays.
    if (used(unit)) return true;
    removeUnit(unit);
    Edited();
    return true;
  }
  if (trimmed.find(':') != std::string::npos || HasControlCharacter(trimmed)) {
    Ui_.ShowMessage(texts::kInvalidNamePrefix + trimmed);
    return false;
  }
  int other = -1;
  for (std::size_t i = 0; i < c.Units.size(); ++i)
    if (static_cast<int>(i) != unit && EqualsIgnoringCase(c.Units[i].Name, trimmed)) other = static_cast<int>(i);
  if (other >= 0) {
    // The two units merge into the other one, which keeps its place; a row
    // between them would join a unit to itself and goes.
    for (TConversionDefinition& d : c.Definitions) {
      if (d.UnitA == unit) d.UnitA = other;
      if (d.UnitB == unit) d.UnitB = other;
    }
    std::erase_if(c.Definitions, [](const TConversionDefinition& d) { return d.UnitA == d.UnitB; });
    removeUnit(unit);
    Edited();
    return true;
  }
  // The renamed unit takes its sorted place; the rows follow it by name.
  std::vector<std::string> rowA, rowB;
  for (const TConversionDefinition& d : c.Definitions) {
    rowA.push_back(c.Units[static_cast<std::size_t>(d.UnitA)].Name);
    rowB.push_back(c.Units[static_cast<std::size_t>(d.UnitB)].Name);
  }
  const std::string former = c.Units[static_cast<std::size_t>(unit)].Name;
  for (std::size_t r = 0; r < c.Definitions.size(); ++r) {
    if (rowA[r] == former) rowA[r] = trimmed;
    if (rowB[r] == former) rowB[r] = trimmed;
  }
  c.Units[static_cast<std::size_t>(unit)].Name = trimmed;
  std::stable_sort(c.Units.begin(), c.Units.end(),
                   [](const TUnit& a, const TUnit& b) { return NameLess(a.Name, b.Name); });
  for (std::size_t r = 0; r < c.Definitions.size(); ++r) {
    c.Definitions[r].UnitA = FindUnit(c, rowA[r]);
    c.Definitions[r].UnitB = FindUnit(c, rowB[r]);
  }
  Edited();
  return true;
}

// ---- definitions -----------------------------------------------------------------------------

bool TConversionTable::AddDefinition(int category, int unitA, int unitB, const std::string& forward,
                                     const std::string& backward) {
  if (!ValidCategory(category)) return false;
  TUnitCategory& c = Categories_[static_cast<std::size_t>(category)];
  const int units = static_cast<int>(c.Units.size());
  if (unitA < 0 || unitB < 0 || unitA >= units || unitB >= units) return false;
  TConversionDefinition d;
  d.UnitA = unitA;
  d.UnitB = unitB;
  d.Forward = forward;
  d.Backward = backward;
  c.Definitions.push_back(std::move(d));
  Edited();
  return true;
}

bool TConversionTable::EditDefinition(int category, int row, int unitA, int unitB, const std::string& forward,
                                      const std::string& backward) {
  if (!ValidCategory(category)) return false;
  TUnitCategory& c = Categories_[static_cast<std::size_t>(category)];
  const int units = static_cast<int>(c.Units.size());
  if (row < 0 || row >= static_cast<int>(c.Definitions.size()) || unitA < 0 || unitB < 0 || unitA >= units ||
      unitB >= units)
    return false;
  TConversionDefinition& d = c.Definitions[static_cast<std::size_t>(row)];
  d.UnitA = unitA;
  d.UnitB = unitB;
  d.Forward = forward;
  d.Backward = backward;
  // Compiled again by the next check.
  d.ForwardEngine.reset();
  d.BackwardEngine.reset();
  Edited();
  return true;
}

bool TConversionTable::DeleteDefinitions(int category, const std::string& fromText, const std::string& countText) {
  if (!ValidCategory(category)) return false;
  int from = 0, count = 0;
  for (const auto& [text, value] : {std::pair{&fromText, &from}, std::pair{&countText, &count}})
    if (!ParseInteger(*text, *value)) {
      Ui_.ShowMessage("'" + *text + "' is not a valid integer value");
      return false;
    }
  std::vector<TConversionDefinition>& rows = Categories_[static_cast<std::size_t>(category)].Definitions;
  const int size = static_cast<int>(rows.size());
  if (from < 1 || from > size) {
    Ui_.ShowMessage(texts::kInvalidNumberSign);
    return false;
  }
  if (count < 1) {
    Ui_.ShowMessage(texts::kInvalidCount);
    return false;
  }
  if (!Ui_.AskYesNo(kAreYouSure)) return false;
  const int end = from - 1 + std::min(count, size - from + 1);
  rows.erase(rows.begin() + (from - 1), rows.begin() + end);
  Edited();
  return true;
}

void TConversionTable::MoveUnit(int category, int unit, int x, int y) {
  if (!ValidCategory(category)) return;
  TUnitCategory& c = Categories_[static_cast<std::size_t>(category)];
  if (unit < 0 || unit >= static_cast<int>(c.Units.size())) return;
  TUnit& u = c.Units[static_cast<std::size_t>(unit)];
  if (u.X == x && u.Y == y) return;
  u.X = x;
  u.Y = y;
  Modified_ = true;
}

void TConversionTable::RestoreCategories(std::vector<TUnitCategory> categories) {
  Categories_ = std::move(categories);
  Edited();
}

TGraphCategory TConversionTable::GraphCategory(int category) const {
  TGraphCategory g;
  if (!ValidCategory(category)) return g;
  const TUnitCategory& c = Category(category);
  g.Position = category + 1;
  g.Name = c.Name;
  for (const TUnit& u : c.Units) {
    g.Units.push_back(u.Name);
    g.Places.push_back({u.X, u.Y});
  }
  g.Rows = c.UnitPairs();
  return g;
}

// ---- the two directions of a definition -----------------------------------------------------------

std::string RowName(std::string_view category, int row) {
  return texts::kErrorInCategoryPrefix + std::string(category) + texts::kRowNumberPrefix + std::to_string(row);
}

std::vector<double> ValuesAt(THelmaxComplexEval& compiled, const std::vector<double>& xs) {
  // A failing sample is only skipped: nothing to report.
  TEngineEvent onError = std::move(compiled.OnExecuteError);
  compiled.OnExecuteError = nullptr;
  const std::vector<TVariable*>* variables = compiled.Variables();
  std::vector<double> values;
  values.reserve(xs.size());
  for (const double x : xs) {
    double value = NAN;
    if (!std::isnan(x) && compiled.ExpressionCount > 0) {
      if (variables != nullptr) *(*variables)[0]->Value = TValue::MakeReal(x);
      TValue result;
      compiled.DoMathExpression(result);
      if (!compiled.Error && result.IsRealLike() && std::isfinite(result.AsReal())) value = result.AsReal();
    }
    values.push_back(value);
  }
  compiled.OnExecuteError = std::move(onError);
  return values;
}

TDirectionsTest TestDirections(const std::vector<double>& xs, const std::vector<double>& there,
                               const std::vector<double>& back) {
  TDirectionsTest test;
  int defined = 0, pairs = 0;
  bool constant = true;
  double first = NAN;
  std::size_t firstAt = 0;
  for (std::size_t i = 0; i < xs.size() && i < there.size(); ++i) {
    if (std::isnan(there[i])) continue;
    if (defined++ == 0) {
      first = there[i];
      firstAt = i;
    } else if (std::fabs(there[i] - first) > 1e-12 * std::max(std::fabs(there[i]), std::fabs(first))) {
      constant = false;
    }
  }
  if (defined >= 2 && constant) {
    test.Finding = TDirectionsFinding::ForwardConstant;
    return test;
  }
  for (std::size_t i = 0; i < xs.size() && i < there.size() && i < back.size(); ++i) {
    if (std::isnan(there[i]) || std::isnan(back[i])) continue;
    ++pairs;
    if (std::fabs(back[i] - xs[i]) > kRoundTripTolerance * std::fabs(xs[i])) {
      test = {TDirectionsFinding::NotInverse, xs[i], there[i], back[i]};
      return test;
    }
  }
  // B => A fails wherever A => B gives a value: it brings nothing back.
  if (defined > 0 && pairs == 0) test = {TDirectionsFinding::NotInverse, xs[firstAt], there[firstAt], NAN};
  return test;
}

std::string DirectionsFindingText(const TDirectionsTest& test) {
  auto number = [](double v) { return ValueToText(TValue::MakeReal(v)); };
  switch (test.Finding) {
    case TDirectionsFinding::Sound: return {};
    case TDirectionsFinding::ForwardConstant: return "A => B does not depend on x";
    case TDirectionsFinding::NotInverse:
      return "B => A does not bring A => B back to x (x = " + number(test.X) + " gives " + number(test.There) +
             (std::isnan(test.Back) ? ", where B => A fails)" : ", and back " + number(test.Back) + ")");
  }
  return {};
}

// ---- the definition dialog's check --------------------------------------------------------------

TDefinitionCheck::TDefinitionCheck(TUserInterface& ui) : Ui_(ui), Messages_(ui) {
  Engine_.ProtectDigitVariables = true;
  Engine_.ProtectOtherVariables = true;
  Messages_.Bind(Engine_, false);
}

bool TDefinitionCheck::CheckText(const std::string& text, bool forward) {
  Messages_.ErrorPrefix = forward ? texts::kABPrefix : texts::kBAPrefix;
  // A field of a file line ends at ":" and a line at a line break.
  if (text.find(':') != std::string::npos || HasControlCharacter(text)) {
    Messages_.Show(texts::kInvalidExpressionPrefix + text);
    return false;
  }
  Engine_.VerifySyntaxSemantics(text, "x", false);
  if (Engine_.Error) return false;  // shown by the engine's handler
  // The two directions word their findings a little differently.
  if (!Engine_.LinearExpression) {
    Messages_.Show(forward ? texts::kExpressionMustBeLinearSuffix : texts::kExpressionMustBeLinear);
    return false;
  }
  if (!Engine_.DependsOnVariables) {
    Messages_.Show(forward ? texts::kExpressionMustContainVariableXSuffix : texts::kExpressionMustContainVariableX);
    return false;
  }
  return true;
}

bool TDefinitionCheck::Check(int unitA, int unitB, const std::string& forward, const std::string& backward,
                             const std::string& rowName) {
  if (unitA < 0 || unitB < 0) {
    Ui_.ShowMessage(texts::kPleaseSelectItemsInComboBox);
    return false;
  }
  if (unitA == unitB) {
    Ui_.ShowMessage(texts::kItemsMustBeDiferent);
    return false;
  }
  const std::vector<double> xs(std::begin(kDirectionSamples), std::end(kDirectionSamples));
  if (!CheckText(forward, true)) return false;
  const std::vector<double> there = ValuesAt(Engine_, xs);
  if (!CheckText(backward, false)) return false;
  const TDirectionsTest test = TestDirections(xs, there, ValuesAt(Engine_, there));
  if (test.Finding == TDirectionsFinding::Sound) return true;
  Ui_.ShowMessage((rowName.empty() ? "" : rowName + " : ") + DirectionsFindingText(test));
  return false;
}

}  // namespace helmax
