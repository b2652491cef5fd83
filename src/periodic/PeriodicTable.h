// The periodic table's data: the built-in elements and the numbered
// properties that a .pte file adds or overrides. Properties 1 to 4 (atomic
// weight, melting point, boiling point, density) always exist with their
// standard names; a file can add further properties with units and give any
// element its own values.
//
// A .pte file is INI-style: [Properties] holds number=name lines, [Units]
// number=unit lines, and one section per element, named by its symbol,
// number=value lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Elements.h"
#include "UserInterface.h"

namespace helmax {

class TConstantList;

// A property number with its text: a name, a unit or an element's value.
struct TElementProperty {
  int Number = 0;
  std::string Text;
};
using TPropertyList = std::vector<TElementProperty>;

// The text of the first entry with that number, or null.
const std::string* FindProperty(const TPropertyList& list, int number);

// The file the program writes when it has none: [Properties], [Units], then
// a section for every element in grid order (row by row, left to right), each
// section followed by an empty line; CR LF line ends.
std::string DefaultPropertyFileText();

class TPeriodicTable {
 public:
  // Starts with the built-in properties and no file.
  explicit TPeriodicTable(TUserInterface& ui);

  const std::vector<TElement>& Elements() const { return Elements_; }
  // The element in a grid cell, or null for an empty cell or one outside
  // the grid.
  const TElement* ElementAt(int row, int column) const;
  const TElement* FindElement(std::string_view symbol) const;  // case ignored
  // The element that text typed in the table means, case ignored: digits
  // are an atomic number ("79"); letters are a symbol ("au"), else the
  // start of a name ("gol"; of several such names, the lightest element's).
  // Null when nothing fits.
  const TElement* FindTyped(std::string_view typed) const;

  const TPropertyList& Units() const { return Units_; }
  const TPropertyList& Properties(const TElement& element) const;
  // Rows of the element window's property grid, its header row included:
  // row n (1 or more) shows property n.
  int PropertyRowCount() const { return static_cast<int>(Names_.size()) + 1; }
  // The name, the unit and an element's value of property number; empty
  // where there is none.
  std::string PropertyName(int number) const;
  std::string Unit(int number) const;
  std::string Value(const TElement& element, int number) const;

  // The file read last; empty when the table holds the built-in data only.
  const std::string& FilePath() const { return FilePath_; }
  bool FileValid() const { return FileValid_; }

  // At program start: reads savedPath when it names an existing file,
  // otherwise defaultPath, writing the built-in data there first when it is
  // missing. With both empty the built-in data stays.
  void LoadAtStart(const std::string& savedPath, const std::string& defaultPath);
  // Reads a .pte file. Lines that cannot be used (a key that is not a
  // property number, a value that is not a number, a section that names no
  // element, ...) and missing sections are reported together in one message;
  // what can be used is read, and properties 1 to 4 keep their built-in
  // names, units and values wherever the file does not give them. A file
  // that cannot be read, or has no section of a .pte file at all (not one
  // of [Properties], [Units] or an element's), is reported and changes
  // nothing (false).
  bool ReadFile(const std::string& path);
  // Writes the default file (atomically). Reports a failure (false).
  bool WriteDefaultFile(const std::string& path);
  // After "ARE YOU SURE ?" answered Yes: writes the default file to path and
  // reads it (with an empty path, the built-in data is taken back). False
  // when declined or failed; nothing changes then.
  bool RestoreDefaultFile(const std::string& path);
  // Empties the property names, the units and every element's values.
  void ClearProperties();

 private:
  int IndexAt(int row, int column) const;
  // False, changing nothing, when the text has no section of a .pte file.
  bool ReadText(std::string_view text, std::vector<std::string>& problems);

  TUserInterface& Ui_;
  std::vector<TElement> Elements_;
  std::vector<TPropertyList> Values_;  // per element, in order of atomic number
  TPropertyList Names_;
  TPropertyList Units_;
  int Grid_[GridRows][GridColumns];  // element index per cell, -1 for none
  std::string FilePath_;
  bool FileValid_ = false;
};

// The constant list name of an element's property: symbol, "_", and the
// trimmed property name with its blanks as "_" (Fe_Atomic_Weight).
std::string PropertyConstantName(const TElement& element, const std::string& propertyName);

// Adds property number of the element to the constant list as a new
// constant: its name as above, the value as expression, "(" + unit + ")" as
// description. The list reports what it refuses (false).
bool AddPropertyToConstants(const TPeriodicTable& table, const TElement& element, int number, TConstantList& list);

// What the conversion window shows when it receives an element's property:
// " Initial " + name + " " + property + " = " + value + " " + unit.
std::string ConversionStatusText(const TPeriodicTable& table, const TElement& element, int number);

}  // namespace helmax
