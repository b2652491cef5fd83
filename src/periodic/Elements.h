// The chemical elements as the periodic table shows them: hydrogen to
// meitnerium, each with its cell in the 10 x 18 grid, its class, state,
// common oxidation states, flags and the built-in values of the four
// standard properties.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace helmax {

enum class TElementClass {
  Nonmetal,
  NobleGas,
  AlkalineMetal,
  AlkalineEarthMetal,
  Metalloid,
  Halogen,
  OtherMetal,
  TransitionMetal,
  Lanthanoid,
  Actinoid,
};

// "Nonmetal", "Noble Gas", "Alkaline Metal", ...
const char* ElementClassName(TElementClass elementClass);

enum class TMatterState { Gas, Liquid, Solid };

// "Gas", "Liquid" or "Solid".
const char* MatterStateName(TMatterState state);

// The four properties every element has, numbered 1 to 4 in .pte files.
constexpr int StandardPropertyCount = 4;
extern const std::array<const char*, StandardPropertyCount> kStandardPropertyNames;  // "Atomic Weight", ...
extern const std::array<const char*, StandardPropertyCount> kStandardPropertyUnits;  // "amu", "C", "C", "kg/cu.m"

// The grid: row 0 holds group labels only, rows 1 to 7 are the periods, rows
// 8 and 9 the lanthanoids and actinoids after lanthanum and actinium.
constexpr int GridRows = 10;
constexpr int GridColumns = 18;

struct TElement {
  int Number = 0;  // atomic number
  std::string Symbol;
  std::string Name;
  TElementClass Class = TElementClass::Nonmetal;
  TMatterState State = TMatterState::Solid;
  int Group = 0;   // 1 to 18; 0 for the elements of rows 8 and 9
  int Period = 0;  // 1 to 7; 0 likewise
  int Row = 0;
  int Column = 0;
  // Atomic weight (amu), melting and boiling point (C), density (kg/cu.m),
  // as texts; empty where unknown.
  std::array<std::string, StandardPropertyCount> BuiltinValues;
  std::vector<int> Oxidation;  // common oxidation states, in order
  bool Radioactive = false;
  bool Synthetic = false;
  bool Toxic = false;
};

// The 109 elements, in order of atomic number.
const std::vector<TElement>& BuiltinElements();

// The label of a grid cell that holds no element ("1" to "18" where the
// groups begin), or empty.
std::string GroupLabel(int row, int column);

// "+2" for positive states, "-1" and "0" as they are.
std::string OxidationText(int state);

// An atomic weight as a cell of the table can show it, longest first: the
// weight, then rounded half up to one decimal less each time, down to a
// whole number ("196.966570", "196.96657", "196.9666", "196.967", "196.97",
// "197.0", "197"). A whole number is a mass number and shows in brackets
// ("[98]"). Text that is not a plain decimal number stays as it is.
std::vector<std::string> CellWeightTexts(std::string_view weight);

}  // namespace helmax
