// Libraries of named constants grouped in categories, kept in ".con" files:
// the user browses a category, edits it and copies single constants into the
// calculator's constant list.
//
// A ".con" file is INI-style: one "[category]" section per category, one
// line name=value //description per constant, an empty line after each
// category. On reading, the value is the text before the first "//"
// (trimmed) and the description everything after it, untrimmed, so
// "// (1/m)" gives " (1/m)". Categories and the constants of each category
// are kept sorted by name, case ignored, whatever their order in the file.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ConstantList.h"
#include "FixedTexts.h"
#include "HelmaxDateTimeEval.h"
#include "UserInterface.h"

namespace helmax {

struct TLibraryConstant {
  std::string Name;
  std::string Value;        // the expression text, trimmed
  std::string Description;  // free text, may be empty
};

struct TConstantCategory {
  std::string Name;
  // A category read from a file refuses a second constant of the same name
  // (case ignored) with a message; one the user created ignores it.
  bool RefusesDuplicates = true;
  std::vector<TLibraryConstant> Constants;  // sorted by name, case ignored
};

// The message of a name that a category or the category list already holds.
inline constexpr const char* kDuplicateNameMessage = texts::kStringListDoesNotAllowDuplicates;

// The built-in library: the file text written when no library exists, one
// category "Physical constants" with 24 constants (CODATA 2018 values).
std::string_view DefaultLibraryText();

// The file text of a library: every category's section line, its constant
// lines and one empty line, CR LF line ends.
std::string LibraryText(const std::vector<TConstantCategory>& categories);

// Reads a library from file text. A section header repeated (case ignored)
// makes the text unreadable: false with error set. Constants repeated in a
// section keep the first; the others are listed in duplicates, each as
// "[category] name".
bool ParseLibraryText(std::string_view text, std::vector<TConstantCategory>& categories,
                      std::vector<std::string>& duplicates, std::string& error);

// Splits the text after a constant's "=" into value and description.
void SplitValueAndDescription(std::string_view rest, std::string& value, std::string& description);

class TConstantsLibrary {
 public:
  // functions: the calculator's external functions, whose names a constant
  // may not take. defaultFile: where the built-in library is written when no
  // library is found (empty: it is only kept in memory).
  TConstantsLibrary(const TUserFuncArray& functions, TUserInterface& ui, std::string defaultFile);

  const std::vector<TConstantCategory>& Categories() const { return Categories_; }
  int CategoryCount() const { return static_cast<int>(Categories_.size()); }
  const TConstantCategory& Category(int index) const { return Categories_.at(static_cast<std::size_t>(index)); }
  // Positions by name, case ignored; -1 when missing.
  int FindCategory(std::string_view name) const;
  int FindConstant(int category, std::string_view name) const;

  // The file the library was read from or saved to (empty when none), and
  // whether Save may write it.
  const std::string& FilePath() const { return FilePath_; }
  bool FileValid() const { return FileValid_; }
  // True when the library holds edits that no file has.
  bool Modified() const { return Modified_; }
  const std::string& DefaultFile() const { return DefaultFile_; }

  // At start: reads the file that the settings name, or the default file
  // when there is none, writing it first when it is missing.
  void Load(const std::string& settingsPath);

  // File menu. Each asks what it must, reports failures through the user
  // interface and returns true when it did what it was asked. A read or
  // write that fails leaves the library, its file and its flags as they
  // were.
  bool New();
  bool Open(const std::string& path);
  bool Save();
  bool SaveAs(const std::string& path);
  bool RestoreDefault();

  // When the program ends: unsaved edits are saved when the user wants them
  // (chooseFile names a file when the library has none to save to, empty
  // for none), or dropped after an explicit Yes to "ARE YOU SURE ?". False
  // (Cancel to the question among others) keeps the program running.
  bool MayExit(const std::function<std::string()>& chooseFile);

  // The constant dialog's Ok, with its texts as typed. True when the dialog
  // may close; false keeps it open (after a message, or silently for an
  // empty name).
  bool AddConstant(int category, const std::string& name, const std::string& value, const std::string& description);
  bool EditConstant(int category, int index, const std::string& name, const std::string& value,
                    const std::string& description);
  // The delete dialog's Ok with the texts of "From #" (1 for the first
  // constant) and "Count".
  bool DeleteConstants(int category, const std::string& fromText, const std::string& countText);

  // The category dialog's Ok and Category > Delete category.
  bool AddCategory(const std::string& name);
  bool RenameCategory(int category, const std::string& name);
  bool DeleteCategory(int category);

  // Add to Constants: the named constant of the category is added at the end
  // of the constant list with every check of the list.
  bool AddToConstantList(int category, const std::string& constantName, TConstantList& list) const;

 private:
  bool ReadFile(const std::string& path);
  bool WriteFile(const std::string& path);
  bool WriteDefaultFile();
  void UseBuiltInLibrary();
  // The checks of a constant as the dialog gives it; the cleaned texts on
  // success.
  bool CheckConstant(const std::string& name, const std::string& value, const std::string& description,
                     TLibraryConstant& constant);
  bool CheckCategoryName(const std::string& name, std::string& trimmed);
  bool ValidCategory(int category) const { return category >= 0 && category < CategoryCount(); }

  THelmaxDateTimeEval NameChecker_;
  TUserInterface& Ui_;
  std::string DefaultFile_;
  std::vector<TConstantCategory> Categories_;
  std::string FilePath_;
  bool FileValid_ = false;
  bool Modified_ = false;
};

}  // namespace helmax
