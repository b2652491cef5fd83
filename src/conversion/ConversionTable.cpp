#include "ConversionTable.h"
#include "FixedTexts.h"

#include <cmath>
#include <filesystem>
#include <iterator>
#include <stdexcept>
#include <unordered_map>

#include "TextFile.h"
#include "TextUtil.h"

namespace helmax {

namespace {

constexpr const char* kStepArrow = " ---> ";
constexpr const char* kNotReal = texts::kIncorrectRealType;
constexpr const char* kStopped = texts::kCalculationStopped;

std::string CategoryPrefix(const TUnitCategory& c) { return texts::kErrorInCategoryPrefix + c.Name + " : "; }

}  // namespace

TConversionTable::TConversionTable(TUserInterface& ui) : Ui_(ui), Messages_(ui) {}

TConversionTable::~TConversionTable() = default;

int TConversionTable::FindCategory(std::string_view name) const {
  for (std::size_t i = 0; i < Categories_.size(); ++i)
    if (EqualsIgnoringCase(Categories_[i].Name, name)) return static_cast<int>(i);
  return -1;
}

int TConversionTable::FindUnit(const TUnitCategory& category, std::string_view name) {
  for (std::size_t i = 0; i < category.Units.size(); ++i)
    if (EqualsIgnoringCase(category.Units[i].Name, name)) return static_cast<int>(i);
  return -1;
}

// ---- files -------------------------------------------------------------------------------------

void TConversionTable::Replace(std::vector<TUnitCategory> categories) {
  Categories_ = std::move(categories);
  Modified_ = false;
  Lock();
}

void TConversionTable::LoadAtStart(const std::string& settingsPath, const std::string& defaultFile) {
  if (!defaultFile.empty()) {
    const std::string units = (std::filesystem::path(defaultFile).parent_path() / kUnitsTableFileName).string();
    std::string ignored;
    if (!FileExists(units)) WriteFileAtomic(units, UnitsTableText(), ignored);
  }
  // A remembered path that names a folder, or a file that is gone, gives
  // way to the default file.
  std::string path = settingsPath;
  if (path.empty() || path.back() == '/' || !FileExists(path)) path = defaultFile;
  if (!path.empty() && FileExists(path)) {
    Read(path);
    return;
  }
  if (defaultFile.empty()) {
    UseDefaultTable();
    return;
  }
  if (WriteDefault(defaultFile) && Read(defaultFile)) return;
  UseDefaultTable();
}

bool TConversionTable::Read(const std::string& path) {
  // Regular text files only, so that a device or FIFO is refused, not read.
  std::string text, error;
  if (!ReadPlainTextFile(path, text, error, kMaxFileBytes)) {
    Ui_.ShowMessage(error);
    return false;
  }
  if (!ReadText(text)) return false;
  FilePath_ = path;
  FileValid_ = true;
  return true;
}

bool TConversionTable::ReadText(std::string_view text) {
  std::vector<TUnitCategory> categories;
  std::string error;
  if (!ParseConversionText(text, categories, error)) {
    Ui_.ShowMessage(error);
    return false;
  }
  Replace(std::move(categories));
  return true;
}

void TConversionTable::UseDefaultTable() {
  std::vector<TUnitCategory> categories;
  std::string error;
  ParseConversionText(DefaultConversionText(), categories, error);
  Replace(std::move(categories));
  FilePath_.clear();
  FileValid_ = false;
}

bool TConversionTable::WriteDefault(const std::string& path) {
  std::string error;
  if (!WriteFileAtomic(path, DefaultConversionText(), error)) {
    Ui_.ShowMessage(error);
    return false;
  }
  FilePath_ = path;
  return true;
}

bool TConversionTable::WriteText(const std::string& path) {
  std::string text, error;
  if (!ConversionText(Categories_, text, error)) {
    Ui_.ShowMessage(error);
    return false;
  }
  // The findings are reported; the table is saved all the same, so that
  // no edit is lost.
  Check();
  if (!WriteFileAtomic(path, text, error)) {
    Ui_.ShowMessage(error);
    return false;
  }
  return true;
}

bool TConversionTable::Save() {
  if (!FileValid_ || !WriteText(FilePath_)) return false;
  Modified_ = false;
  return true;
}

bool TConversionTable::SaveAs(const std::string& path) {
  if (!WriteText(path)) return false;
  FilePath_ = path;
  FileValid_ = true;
  Modified_ = false;
  return true;
}

// ---- checks ------------------------------------------------------------------------------

bool TConversionTable::Check() {
  PathsValid_.store(false, std::memory_order_release);
  CheckFailed_ = false;
  bool ok = !FindDuplicateRows() && !FindOversizedCategories() && CompileDefinitions();
  if (ok) {
    ComputePaths();
    ok = !CheckFailed_;
  }
  PathsValid_.store(ok, std::memory_order_release);
  MarkChanged();
  return ok;
}

void TConversionTable::Lock() {
  PathsValid_.store(false, std::memory_order_release);
  MarkChanged();
}

bool TConversionTable::FindDuplicateRows() {
  for (const TUnitCategory& c : Categories_) {
    // The rows of each pair of units, in row order (the first two suffice).
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> rowsOfPair;
    auto key = [](int a, int b) {
      const auto [low, high] = std::minmax(a, b);
      return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(low)) << 32) | static_cast<std::uint32_t>(high);
    };
    for (std::size_t i = 0; i < c.Definitions.size(); ++i) {
      std::vector<std::size_t>& rows = rowsOfPair[key(c.Definitions[i].UnitA, c.Definitions[i].UnitB)];
      if (rows.size() < 2) rows.push_back(i);
    }
    for (std::size_t i = 0; i < c.Definitions.size(); ++i) {
      const TConversionDefinition& d = c.Definitions[i];
      const std::string row = CategoryPrefix(c) + "Row# " + std::to_string(i + 1);
      if (d.UnitA == d.UnitB) {
        Ui_.ShowMessage(row + texts::kUnitsCannotBeIdenticalSuffix);
        CheckFailed_ = true;
        return true;
      }
      const std::vector<std::size_t>& rows = rowsOfPair[key(d.UnitA, d.UnitB)];
      const std::size_t other = rows[0] != i ? rows[0] : (rows.size() > 1 ? rows[1] : i);
      if (other != i) {
        Ui_.ShowMessage(row + texts::kAndRowNumberSuffix + std::to_string(other + 1) +
                        texts::kRowsCannotBeIdenticalSuffix);
        CheckFailed_ = true;
        return true;
      }
    }
  }
  return false;
}

THelmaxComplexEval& TConversionTable::NewEngine(std::unique_ptr<THelmaxComplexEval>& engine) {
  engine = std::make_unique<THelmaxComplexEval>();
  engine->ProtectDigitVariables = true;
  engine->ProtectOtherVariables = true;
  engine->StopFlag = StopFlag_;
  engine->MaxSteps = StepBudget_;
  engine->OnParseError = [this](THelmaxComplexEval& e) { Messages_.ShowParseError(e); };
  // The failing step's two units go in front of the error.
  engine->OnExecuteError = [this](THelmaxComplexEval& e) {
    if (!ReportSteps_ || StepCategory_ == nullptr) return;
    const TConversionDefinition& d = StepCategory_->Definitions[static_cast<std::size_t>((StepArc_ - 1) / 2)];
    const bool odd = StepArc_ % 2 == 1;
    const std::string& source = StepCategory_->Units[static_cast<std::size_t>(odd ? d.UnitA : d.UnitB)].Name;
    const std::string& target = StepCategory_->Units[static_cast<std::size_t>(odd ? d.UnitB : d.UnitA)].Name;
    Messages_.ErrorPrefix = source + kStepArrow + target + " ";
    Messages_.ShowExecuteError(e);
  };
  return *engine;
}

THelmaxComplexEval& TConversionTable::CheckEngine() {
  if (!CheckEngine_) NewEngine(CheckEngine_);
  return *CheckEngine_;
}

std::string TConversionTable::RowPrefix(const TUnitCategory& c, std::size_t row, bool forward) {
  return CategoryPrefix(c) + "Row# " + std::to_string(row + 1) +
         (forward ? texts::kSpacedABPrefix : texts::kSpacedBAPrefix);
}

bool TConversionTable::FindOversizedCategories() {
  bool found = false;
  for (const TUnitCategory& c : Categories_) {
    if (c.Units.size() <= static_cast<std::size_t>(kMaxPathUnits)) continue;
    Ui_.ShowMessage(CategoryPrefix(c) + std::to_string(c.Units.size()) + " units, more than the " +
                    std::to_string(kMaxPathUnits) + " a category can convert between");
    CheckFailed_ = true;
    found = true;
  }
  return found;
}

bool TConversionTable::CompileDefinitions() {
  bool warned = false;
  // Rows whose directions are not inverse, listed at the end (a few).
  constexpr std::size_t kListedRows = 10;
  std::vector<std::string> oneWay;
  std::size_t oneWayCount = 0;
  const std::vector<double> xs(std::begin(kDirectionSamples), std::end(kDirectionSamples));
  for (TUnitCategory& c : Categories_) {
    for (std::size_t i = 0; i < c.Definitions.size(); ++i) {
      if (StopFlag_ != nullptr && StopFlag_->load(std::memory_order_relaxed) != srNone) {
        Ui_.ShowMessage(kStopped);
        CheckFailed_ = true;
        return false;
      }
      TConversionDefinition& d = c.Definitions[i];
      if (IsBuiltInDefinitionPair(d.Forward, d.Backward)) continue;
      std::vector<double> there, back;
      for (const bool forward : {true, false}) {
        const std::string& text = forward ? d.Forward : d.Backward;
        const std::string prefix = RowPrefix(c, i, forward);
        Messages_.ErrorPrefix = prefix;
        THelmaxComplexEval& e = CheckEngine();
        e.VerifySyntaxSemantics(text, "x", false);
        if (e.Error) {
          CheckFailed_ = true;
          return false;
        }
        (forward ? there : back) = ValuesAt(e, forward ? xs : there);
        // A finding that does not stop the check: only the first is shown.
        if (warned) continue;
        if (!e.LinearExpression) {
          Ui_.ShowMessage(prefix + texts::kExpressionMustBeLinearSuffix);
          warned = true;
        } else if (!e.DependsOnVariables) {
          Ui_.ShowMessage(prefix + texts::kExpressionMustContainVariableXSuffix);
          warned = true;
        }
      }
      const TDirectionsTest test = TestDirections(xs, there, back);
      if (test.Finding != TDirectionsFinding::Sound && oneWayCount++ < kListedRows)
        oneWay.push_back(RowName(c.Name, static_cast<int>(i) + 1) + " : " + DirectionsFindingText(test));
    }
  }
  if (oneWayCount > 0) {
    std::string list = oneWay.front();
    for (std::size_t k = 1; k < oneWay.size(); ++k) list += "\n" + oneWay[k];
    if (oneWayCount > oneWay.size()) list += "\n... and " + std::to_string(oneWayCount - oneWay.size()) + " more rows";
    Ui_.ShowMessage(list);
  }
  // The last text's program is of no further use.
  if (CheckEngine_) CheckEngine_->Free();
  Messages_.ErrorPrefix.clear();
  return true;
}

THelmaxComplexEval* TConversionTable::StepEngine(TUnitCategory& c, std::size_t row, bool forward) {
  TConversionDefinition& d = c.Definitions.at(row);
  std::unique_ptr<THelmaxComplexEval>& engine = forward ? d.ForwardEngine : d.BackwardEngine;
  if (!engine) {
    // Only a checked table compiles: its texts are known to compile.
    if (!PathsValid()) return nullptr;
    THelmaxComplexEval& e = NewEngine(engine);
    e.ShareCompileStorage(CheckEngine());
    const std::string formerPrefix = Messages_.ErrorPrefix;
    Messages_.ErrorPrefix = RowPrefix(c, row, forward);
    e.VerifySyntaxSemantics(forward ? d.Forward : d.Backward, "x", false);
    Messages_.ErrorPrefix = formerPrefix;
  }
  return engine->ExpressionCount == 0 ? nullptr : engine.get();
}

void TConversionTable::ComputePaths() {
  for (TUnitCategory& c : Categories_) {
    c.Paths.Clear();
    if (StopFlag_ != nullptr && StopFlag_->load(std::memory_order_relaxed) != srNone) {
      Ui_.ShowMessage(kStopped);
      CheckFailed_ = true;
      return;
    }
    try {
      c.Paths.Compute(static_cast<int>(c.Units.size()), c.UnitPairs());
    } catch (const std::exception& e) {
      Ui_.ShowMessage(CategoryPrefix(c) + e.what());
      c.Paths.Clear();
      CheckFailed_ = true;
    }
  }
}

// ---- converting ----------------------------------------------------------------------------

std::vector<int> TConversionTable::Path(int category, int from, int to) const {
  if (category < 0 || category >= CategoryCount()) return {};
  return Category(category).Paths.Path(from, to);
}

bool TConversionTable::ApplyPath(int category, const std::vector<int>& arcs, TValue& value, bool reportErrors,
                                 bool keepKind) {
  TUnitCategory& c = Categories_.at(static_cast<std::size_t>(category));
  ReportSteps_ = reportErrors;
  StepCategory_ = &c;
  for (const int arc : arcs) {
    const std::size_t row = static_cast<std::size_t>((arc - 1) / 2);
    const TConversionDefinition& d = c.Definitions.at(row);
    const bool forward = arc % 2 == 1;
    auto failStep = [&](const std::string& why) {
      FailedStep_ = c.Units[static_cast<std::size_t>(forward ? d.UnitA : d.UnitB)].Name + kStepArrow +
                    c.Units[static_cast<std::size_t>(forward ? d.UnitB : d.UnitA)].Name + " : " + why;
      StepCategory_ = nullptr;
      return false;
    };
    THelmaxComplexEval* e = StepEngine(c, row, forward);
    if (e == nullptr) return failStep(kLockedMessage);
    StepArc_ = arc;
    if (const std::vector<TVariable*>* variables = e->Variables()) *(*variables)[0]->Value = value;
    TValue result;
    e->DoMathExpression(result);
    if (e->Error) return failStep(e->ErrorMessage);
    if (!reportErrors && !keepKind) {
      // Conv works in reals: a currency step gives its amount, anything
      // else fails.
      if (result.IsCurrency()) result = TValue::MakeReal(result.AsReal());
      else if (!result.IsReal()) return failStep(kNotReal);
    }
    value = result;
  }
  StepCategory_ = nullptr;
  return true;
}

void TConversionTable::Conv(TValue* const* args, int count, TValue& result) {
  result = TValue::MakeReal(EngineNaN());
  if (count != 4) throw std::runtime_error(kNotReal);
  for (int i = 0; i < count; ++i)
    if (!args[i]->IsRealLike()) throw std::runtime_error(kNotReal);
  static constexpr const char* kNotWhole[] = {texts::kIdOfUnitCategoryMustBeUnPrefix,
                                              texts::kIdOfConvertFromUnitMustBePrefix,
                                              texts::kIdOfConvertToUnitMustBePrefix};
  double id[3];
  for (int i = 0; i < 3; ++i) {
    const double v = args[i]->AsReal();
    id[i] = std::nearbyint(v);
    if (!std::isfinite(v) || std::fabs(v - id[i]) > 1e-13)
      throw std::runtime_error(kNotWhole[i] + ValueToText(*args[i]));
  }
  if (!PathsValid()) throw std::runtime_error(kLockedMessage);
  if (id[0] < 1 || id[0] > CategoryCount())
    throw std::runtime_error(texts::kIncorrectIdOfUnitCategoryPrefix + ValueToText(*args[0]));
  const int category = static_cast<int>(id[0]) - 1;
  const TUnitCategory& c = Category(category);
  if (id[1] < 1 || id[1] > static_cast<double>(c.Units.size()))
    throw std::runtime_error(texts::kIncorrectIdOfConvertFromUnitPrefix + ValueToText(*args[1]));
  if (id[2] < 1 || id[2] > c.Paths.UnitCount())
    throw std::runtime_error(texts::kIncorrectIdOfConvertToUnitPrefix + ValueToText(*args[2]));
  const int from = static_cast<int>(id[1]) - 1, to = static_cast<int>(id[2]) - 1;
  const double v = args[3]->AsReal();
  // A unit to itself: the value as it is, without a trip through another.
  if (from == to) {
    result = TValue::MakeReal(v);
    return;
  }
  if (!c.Paths.CollectPath(from, to, Scratch_)) throw std::runtime_error(kNoPathMessage);
  TValue value = TValue::MakeReal(v);
  if (!ApplyPath(category, Scratch_, value, false)) throw std::runtime_error(FailedStep_);
  result = value;
}

// ---- engines ---------------------------------------------------------------------------

void TConversionTable::SetStopFlag(const std::atomic<std::uint8_t>* flag) {
  StopFlag_ = flag;
  if (CheckEngine_) CheckEngine_->StopFlag = flag;
  for (TUnitCategory& c : Categories_)
    for (TConversionDefinition& d : c.Definitions)
      for (THelmaxComplexEval* e : {d.ForwardEngine.get(), d.BackwardEngine.get()})
        if (e != nullptr) e->StopFlag = flag;
}

void TConversionTable::SetStepBudget(std::int64_t steps) {
  StepBudget_ = steps;
  if (CheckEngine_) CheckEngine_->MaxSteps = steps;
  for (TUnitCategory& c : Categories_)
    for (TConversionDefinition& d : c.Definitions)
      for (THelmaxComplexEval* e : {d.ForwardEngine.get(), d.BackwardEngine.get()})
        if (e != nullptr) e->MaxSteps = steps;
}

}  // namespace helmax
