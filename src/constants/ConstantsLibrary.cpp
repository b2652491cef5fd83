#include "ConstantsLibrary.h"
#include "FixedTexts.h"

#include <algorithm>

#include "IniFile.h"
#include "TextFile.h"
#include "TextUtil.h"

namespace helmax {

namespace {

constexpr const char* kAreYouSure = texts::kAreYouSure;
constexpr const char* kSaveQuestion = "Save the changes of the constants definition table ?";

// The default library, line by line. The values are the CODATA 2018
// recommended ones (magnitudes; exact where the SI fixes them since 2019).
constexpr const char* kDefaultLines[] = {
    "[Physical constants]",
    "Speed_of_light_in_vacuum = 299792458 //(m/s)",
    "Elementary_charge = 1.602176634E-019 //(C)",
    "Electron_mass = 9.1093837015E-031 //(kg)",
    "Proton_mass = 1.67262192369E-027 //(kg)",
    "Neutron_mass = 1.67492749804E-027 //(kg)",
    "Muon_mass = 1.883531627E-028 //(kg)",
    "Electron_charge_to_mass_ratio = 175882001076 //(C/kg)",
    "Permittivity_constant = 8.8541878128E-012 //(F/m)",
    "Permeability_constant = 1.25663706212E-006 //(H/m)",
    "Planck_constant = 6.62607015E-034 //(J*s)",
    "Electron_Compton_wavelength = 2.42631023867E-012 //(m)",
    "Universal_gas_constant = 8.31446261815324 //(J/mol*K)",
    "Avogadro_constant = 6.02214076E+023 //(1/mol)",
    "Boltzmann_constant = 1.380649E-023 //(J/K)",
    "Molar_volume_of_ideal_gas_at_STP = 0.0224139695450141 //(m^3/mol)",
    "Faraday_constant = 96485.33212331 //(C/mol)",
    "Stefan_Boltzmann_constant = 5.67037441918443E-008 //(W/m^2*K^4)",
    "Rydberg_constant = 10973731.56816 // (1/m)",
    "Gravitational_constant = 6.6743E-011 // (m^3/s^2*kg)",
    "Bohr_radius = 5.29177210903E-011 // (m)",
    "Electron_magnetic_moment = 9.2847647043E-024 //(J/T)",
    "Proton_magnetic_moment = 1.41060679736E-026 //(J/T)",
    "Bohr_magneton = 9.2740100783E-024 //(J/T)",
    "Nuclear_magneton = 5.0507837461E-027 //(J/T)",
};

// Names sort and compare by their ASCII-lower-cased bytes.
bool NameLess(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char x = LowerAscii(a[i]), y = LowerAscii(b[i]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  }
  return a.size() < b.size();
}

template <typename Items>
int FindByName(const Items& items, std::string_view name) {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (EqualsIgnoringCase(items[i].Name, name)) return static_cast<int>(i);
  return -1;
}

// Puts item at its sorted place; the position it got.
template <typename Items, typename Item>
int InsertSorted(Items& items, Item item) {
  const auto at = std::upper_bound(items.begin(), items.end(), item,
                                   [](const Item& a, const Item& b) { return NameLess(a.Name, b.Name); });
  return static_cast<int>(items.insert(at, std::move(item)) - items.begin());
}

std::string LineBreaksToSpaces(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      out.push_back(' ');
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::string Join(const std::vector<std::string>& items, std::string_view separator) {
  std::string out;
  for (const std::string& item : items) {
    if (!out.empty()) out += separator;
    out += item;
  }
  return out;
}

}  // namespace

constexpr const char* kNoCategoryReason = "It is not a constants library: it has no \"[category]\" line";

// ---- file text ------------------------------------------------------------------------------

std::string_view DefaultLibraryText() {
  static const std::string text = [] {
    std::string t;
    for (const char* line : kDefaultLines) t += std::string(line) + "\r\n";
    return t;
  }();
  return text;
}

std::string LibraryText(const std::vector<TConstantCategory>& categories) {
  std::string text;
  for (const TConstantCategory& c : categories) {
    text += "[" + c.Name + "]\r\n";
    for (const TLibraryConstant& k : c.Constants) text += k.Name + "=" + k.Value + " //" + k.Description + "\r\n";
    text += "\r\n";
  }
  return text;
}

void SplitValueAndDescription(std::string_view rest, std::string& value, std::string& description) {
  rest = Trim(rest);
  const std::size_t marker = rest.find("//");
  // A line without "//" (never written by the program) is all value.
  value = std::string(Trim(rest.substr(0, marker)));
  description = marker == std::string_view::npos ? std::string() : std::string(rest.substr(marker + 2));
}

bool ParseLibraryText(std::string_view text, std::vector<TConstantCategory>& categories,
                      std::vector<std::string>& duplicates, std::string& error) {
  const TIniFile ini = TIniFile::Parse(text);
  if (!ini.RepeatedSections().empty()) {
    error = std::string(kDuplicateNameMessage) + " : [" + ini.RepeatedSections().front() + "]";
    return false;
  }
  std::vector<TConstantCategory> read;
  for (const std::string& section : ini.Sections()) {
    TConstantCategory category{section, true, {}};
    for (const std::string& line : ini.SectionLines(section)) {
      // The key holds no "=", so the first one ends it.
      const std::size_t equals = line.find('=');
      TLibraryConstant k;
      k.Name = line.substr(0, equals);
      SplitValueAndDescription(std::string_view(line).substr(equals + 1), k.Value, k.Description);
      category.Constants.push_back(std::move(k));
    }
    std::stable_sort(category.Constants.begin(), category.Constants.end(),
                     [](const TLibraryConstant& a, const TLibraryConstant& b) { return NameLess(a.Name, b.Name); });
    read.push_back(std::move(category));
  }
  std::stable_sort(read.begin(), read.end(),
                   [](const TConstantCategory& a, const TConstantCategory& b) { return NameLess(a.Name, b.Name); });
  duplicates.clear();
  for (const TIniFile::TDroppedKey& d : ini.DroppedKeys()) duplicates.push_back("[" + d.Section + "] " + d.Key);
  categories = std::move(read);
  error.clear();
  return true;
}

// ---- the library ---------------------------------------------------------------------------

TConstantsLibrary::TConstantsLibrary(const TUserFuncArray& functions, TUserInterface& ui, std::string defaultFile)
    : NameChecker_(functions), Ui_(ui), DefaultFile_(std::move(defaultFile)) {}

int TConstantsLibrary::FindCategory(std::string_view name) const { return FindByName(Categories_, name); }

int TConstantsLibrary::FindConstant(int category, std::string_view name) const {
  return ValidCategory(category) ? FindByName(Category(category).Constants, name) : -1;
}

bool TConstantsLibrary::ReadFile(const std::string& path) {
  std::string text, error;
  std::vector<TConstantCategory> categories;
  std::vector<std::string> duplicates;
  if (!ReadPlainTextFile(path, text, error, kConstantsFileLimit) ||
      !ParseLibraryText(text, categories, duplicates, error)) {
    Ui_.ShowMessage(error);
    return false;
  }
  // An empty file, or text of another kind, would empty the library.
  if (categories.empty()) {
    Ui_.ShowMessage("Cannot read file \"" + path + "\". " + kNoCategoryReason);
    return false;
  }
  Categories_ = std::move(categories);
  FilePath_ = path;
  Modified_ = false;
  // Saving over the file would lose the lines that were left out.
  FileValid_ = duplicates.empty();
  if (!duplicates.empty()) Ui_.ShowMessage(std::string(kDuplicateNameMessage) + " : " + Join(duplicates, ", "));
  return true;
}

bool TConstantsLibrary::WriteFile(const std::string& path) {
  // The reader refuses a library without categories; none is written.
  if (Categories_.empty()) {
    Ui_.ShowMessage("Cannot write file \"" + path + "\". The library has no category to save");
    return false;
  }
  std::string error;
  if (!WriteFileAtomic(path, LibraryText(Categories_), error)) {
    Ui_.ShowMessage(error);
    return false;
  }
  return true;
}

bool TConstantsLibrary::WriteDefaultFile() {
  std::string error;
  if (!WriteFileAtomic(DefaultFile_, DefaultLibraryText(), error)) {
    Ui_.ShowMessage(error);
    return false;
  }
  return true;
}

void TConstantsLibrary::UseBuiltInLibrary() {
  std::vector<std::string> duplicates;
  std::string error;
  ParseLibraryText(DefaultLibraryText(), Categories_, duplicates, error);
  FilePath_.clear();
  FileValid_ = false;
  Modified_ = false;
}

void TConstantsLibrary::Load(const std::string& settingsPath) {
  // The settings hold a bare folder when no library was chosen.
  std::string path = settingsPath;
  if (path.empty() || path.back() == '/' || !FileExists(path)) path = DefaultFile_;
  if (path.empty()) {
    UseBuiltInLibrary();
    return;
  }
  if (path == DefaultFile_ && !FileExists(path) && !WriteDefaultFile()) {
    // Nowhere to keep it: the built-in library serves this run.
    UseBuiltInLibrary();
    return;
  }
  ReadFile(path);
}

bool TConstantsLibrary::New() {
  if (!Ui_.AskYesNo(kAreYouSure)) return false;
  // The file stays the current one; an empty library holds nothing to lose.
  Categories_.clear();
  Modified_ = false;
  return true;
}

bool TConstantsLibrary::Open(const std::string& path) {
  if (Modified_ && !Ui_.AskYesNo(kAreYouSure)) return false;
  return ReadFile(path);
}

bool TConstantsLibrary::Save() {
  if (!FileValid_ || !Ui_.AskYesNo(kAreYouSure)) return false;
  if (!WriteFile(FilePath_)) return false;
  Modified_ = false;
  return true;
}

bool TConstantsLibrary::SaveAs(const std::string& path) {
  if (!WriteFile(path)) return false;
  FilePath_ = path;
  FileValid_ = true;
  Modified_ = false;
  return true;
}

bool TConstantsLibrary::RestoreDefault() {
  if (!Ui_.AskYesNo(kAreYouSure)) return false;
  if (DefaultFile_.empty()) {
    UseBuiltInLibrary();
    return true;
  }
  return WriteDefaultFile() && ReadFile(DefaultFile_);
}

bool TConstantsLibrary::MayExit(const std::function<std::string()>& chooseFile) {
  if (!Modified_) return true;
  // Cancel backs out of leaving: everything stays as it was.
  const TAnswer answer = Ui_.AskYesNoCancel(kSaveQuestion);
  if (answer == TAnswer::Cancel) return false;
  if (answer == TAnswer::Yes) {
    if (FileValid_) {
      if (!WriteFile(FilePath_)) return false;
      Modified_ = false;
      return true;
    }
    const std::string path = chooseFile ? chooseFile() : std::string();
    return !path.empty() && SaveAs(path);
  }
  return Ui_.AskYesNoCancel(kAreYouSure) == TAnswer::Yes;
}

// ---- constants ------------------------------------------------------------------------------

bool TConstantsLibrary::CheckConstant(const std::string& rawName, const std::string& rawValue,
                                      const std::string& rawDescription, TLibraryConstant& constant) {
  const std::string name(Trim(rawName));
  // The name must serve as a variable of the constant list; the engine would
  // also take it inside parentheses, which a file line cannot keep apart.
  if (name.find_first_of("()") != std::string::npos || !NameChecker_.IsValidIdentName(name)) {
    Ui_.ShowMessage(texts::kInvalidNamePrefix + name);
    return false;
  }
  // The reader ends a value at the first "//" and at the line's end.
  const std::string value(Trim(rawValue));
  if (value.find("//") != std::string::npos || value.find_first_of("\r\n") != std::string::npos) {
    Ui_.ShowMessage(texts::kInvalidValuePrefix + value);
    return false;
  }
  constant = {name, value, std::string(Trim(LineBreaksToSpaces(rawDescription)))};
  return true;
}

bool TConstantsLibrary::AddConstant(int category, const std::string& name, const std::string& value,
                                    const std::string& description) {
  if (!ValidCategory(category) || Trim(name).empty()) return false;
  TLibraryConstant constant;
  if (!CheckConstant(name, value, description, constant)) return false;
  TConstantCategory& c = Categories_[static_cast<std::size_t>(category)];
  if (FindByName(c.Constants, constant.Name) >= 0) {
    if (!c.RefusesDuplicates) return true;  // the add does nothing
    Ui_.ShowMessage(kDuplicateNameMessage);
    return false;
  }
  InsertSorted(c.Constants, std::move(constant));
  Modified_ = true;
  return true;
}

bool TConstantsLibrary::EditConstant(int category, int index, const std::string& name, const std::string& value,
                                     const std::string& description) {
  if (!ValidCategory(category) || Trim(name).empty()) return false;
  TConstantCategory& c = Categories_[static_cast<std::size_t>(category)];
  if (index < 0 || index >= static_cast<int>(c.Constants.size())) return false;
  TLibraryConstant constant;
  if (!CheckConstant(name, value, description, constant)) return false;
  // A rename onto another constant is refused in every category: the edited
  // constant must not be lost.
  const int other = FindByName(c.Constants, constant.Name);
  if (other >= 0 && other != index) {
    Ui_.ShowMessage(kDuplicateNameMessage);
    return false;
  }
  c.Constants.erase(c.Constants.begin() + index);
  InsertSorted(c.Constants, std::move(constant));
  Modified_ = true;
  return true;
}

bool TConstantsLibrary::DeleteConstants(int category, const std::string& fromText, const std::string& countText) {
  if (!ValidCategory(category)) return false;
  int from = 0, count = 0;
  if (!ParseInteger(fromText, from)) {
    Ui_.ShowMessage("'" + fromText + "' is not a valid integer value");
    return false;
  }
  if (!ParseInteger(countText, count)) {
    Ui_.ShowMessage("'" + countText + "' is not a valid integer value");
    return false;
  }
  std::vector<TLibraryConstant>& constants = Categories_[static_cast<std::size_t>(category)].Constants;
  const int size = static_cast<int>(constants.size());
  if (from < 1 || from > size) {
    Ui_.ShowMessage(texts::kInvalidNumberSign);
    return false;
  }
  if (count <= 0) {
    Ui_.ShowMessage(texts::kInvalidCount);
    return false;
  }
  if (!Ui_.AskYesNo(kAreYouSure)) return false;
  const int end = from - 1 + std::min(count, size - from + 1);
  constants.erase(constants.begin() + (from - 1), constants.begin() + end);
  Modified_ = true;
  return true;
}

// ---- categories -----------------------------------------------------------------------------

bool TConstantsLibrary::CheckCategoryName(const std::string& name, std::string& trimmed) {
  trimmed = std::string(Trim(name));
  if (trimmed.empty()) {
    Ui_.ShowMessage(texts::kCategoryCannotBeAnEmptyString);
    return false;
  }
  // A section line ends at "]"; a line break or control character would
  // split or hide it.
  for (char ch : trimmed)
    if (ch == '[' || ch == ']' || static_cast<unsigned char>(ch) < 0x20) {
      Ui_.ShowMessage(texts::kInvalidNamePrefix + trimmed);
      return false;
    }
  return true;
}

bool TConstantsLibrary::AddCategory(const std::string& name) {
  std::string trimmed;
  if (!CheckCategoryName(name, trimmed)) return false;
  if (FindCategory(trimmed) >= 0) {
    Ui_.ShowMessage(kDuplicateNameMessage);
    return false;
  }
  InsertSorted(Categories_, TConstantCategory{trimmed, false, {}});
  Modified_ = true;
  return true;
}

bool TConstantsLibrary::RenameCategory(int category, const std::string& name) {
  if (!ValidCategory(category)) return false;
  std::string trimmed;
  if (!CheckCategoryName(name, trimmed)) return false;
  const int other = FindCategory(trimmed);
  if (other >= 0 && other != category) {
    Ui_.ShowMessage(kDuplicateNameMessage);
    return false;
  }
  TConstantCategory renamed = std::move(Categories_[static_cast<std::size_t>(category)]);
  Categories_.erase(Categories_.begin() + category);
  renamed.Name = trimmed;
  InsertSorted(Categories_, std::move(renamed));
  Modified_ = true;
  return true;
}

bool TConstantsLibrary::DeleteCategory(int category) {
  if (!ValidCategory(category) || !Ui_.AskYesNo(kAreYouSure)) return false;
  if (!Category(category).Constants.empty()) {
    Ui_.ShowMessage(texts::kPleaseDeleteAllConstants);
    return false;
  }
  Categories_.erase(Categories_.begin() + category);
  Modified_ = true;
  return true;
}

bool TConstantsLibrary::AddToConstantList(int category, const std::string& constantName, TConstantList& list) const {
  const int index = FindConstant(category, Trim(constantName));
  if (index < 0) {
    Ui_.ShowMessage(texts::kPleaseEnterAConstant);
    return false;
  }
  const TLibraryConstant& k = Category(category).Constants[static_cast<std::size_t>(index)];
  return list.AddConst(list.RowCount(), k.Name, k.Value, k.Description);
}

}  // namespace helmax
