// The conversion table: unit categories ("Angles", "Length", ...), each a
// list of conversion definitions. A definition joins two units of its
// category with two expressions in x: Unit A => Unit B and back. The units
// of a category and the definitions between them form a graph (see
// UnitGraph.h); a conversion follows the shortest chain of definitions.
//
// The table is kept in ".cnv" files, INI-style:
//   [Temperature]
//   1=Celcius : Fahrenheit : 1.8*x+32 : (x-32)*5/9 : 409 : 244 : 597 : 244
// one section per category, one line per definition (key = row number,
// then Unit A, Unit B, A => B, B => A and the graph positions XA, YA, XB,
// YB joined by " : "), an empty line between sections.
//
// Before conversions can run the table is checked: no definition joins a
// unit to itself or the same two units as another, every expression
// compiles (a non-linear one, or one without x, is only reported), and the
// conversion paths are computed. Any change locks the table until the next
// check. Conv, the calculator's external function, converts along the paths.
// The check compiles every text in one engine of its own and keeps nothing
// of it; a definition is compiled for good at its first conversion, so that
// a table costs its texts and paths, plus the programs of the steps taken.
//
// Threads: the calculator calls Conv on its worker thread, so whatever
// changes the table (loading, checking, locking) must run there too, or
// while no calculation runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "EngineErrorMessages.h"
#include "FixedTexts.h"
#include "HelmaxComplexEval.h"
#include "UnitGraph.h"
#include "UnitGraphView.h"
#include "UserInterface.h"

namespace helmax {

struct TUnit {
  std::string Name;
  int X = 20, Y = 20;  // the unit's vertex in the graph window
};

struct TConversionDefinition {
  int UnitA = -1, UnitB = -1;  // positions in the category's units
  std::string Forward;         // the A => B text
  std::string Backward;        // the B => A text
  // Compiled in x at the first conversion that takes the step, once a
  // check has passed; empty until then, and again after an edit.
  std::unique_ptr<THelmaxComplexEval> ForwardEngine, BackwardEngine;
};

struct TUnitCategory {
  std::string Name;
  // Sorted by name (bytes compared with ASCII letters lower-cased); names
  // that differ only in letter case are one unit. A unit's number is its
  // position + 1.
  std::vector<TUnit> Units;
  std::vector<TConversionDefinition> Definitions;  // row 1 first
  TShortestPathTable Paths;                        // computed by the check

  std::vector<TUnitPair> UnitPairs() const;
};

// Names sort by their bytes with ASCII letters lower-cased (no locale).
bool NameLess(std::string_view a, std::string_view b);

// ---- the file --------------------------------------------------------------------------

// The built-in table: the text of the default file (11 categories).
std::string_view DefaultConversionText();

// The units table shipped with the program: the built-in categories and
// more (area, density, force, frequency, speed, volume, data with SI and
// binary prefixes), every factor exact where a definition fixes it.
// LoadAtStart writes it beside the default file under this name.
inline constexpr const char* kUnitsTableFileName = "helmax-units.cnv";
std::string_view UnitsTableText();

// A definition text of the built-in table: one that compiles in x without
// error, linear and depending on x, so that a check need not compile it.
bool IsBuiltInDefinitionText(std::string_view text);
// Both texts of one row of the built-in table, in their directions: a pair
// known to compile and to be inverse, so that a check need not test it.
bool IsBuiltInDefinitionPair(std::string_view forward, std::string_view backward);

// Reads a table from file text. Section headers that repeat a category
// (letter case ignored) make the text unreadable, and so does text that
// holds lines but no category at all: false with error set, categories
// untouched. Lines of a section that are not entries, and entries without
// both unit names, are skipped.
bool ParseConversionText(std::string_view text, std::vector<TUnitCategory>& categories, std::string& error);

// The file text of a table; false (with error naming the category and the
// row) when a name or text could not be read back: a category name with
// "[" or "]", a unit name with ":", an expression with ":", an empty unit
// name, or a character below U+0020 in any of them.
bool ConversionText(const std::vector<TUnitCategory>& categories, std::string& text, std::string& error);

// One entry's fields after the "=": Unit A, Unit B, A => B, B => A and the
// four positions (0 where missing or not a 32-bit integer).
struct TConversionEntry {
  std::string UnitA, UnitB, Forward, Backward;
  int XA = 0, YA = 0, XB = 0, YB = 0;
};
TConversionEntry ParseConversionEntry(std::string_view fields);

class TConversionTable {
 public:
  static constexpr const char* kLockedMessage = texts::kPleaseCheckConversions;
  static constexpr const char* kNoPathMessage = texts::kNoUnitConverionDefinition;
  // Largest file read, and the most units of a category whose paths are
  // computed (the paths take units² entries).
  static constexpr std::uintmax_t kMaxFileBytes = 1u << 20;
  static constexpr int kMaxPathUnits = 1000;

  // ui: where the checks and failed loads are reported (and the engines'
  // errors, through ErrorMessages).
  explicit TConversionTable(TUserInterface& ui);
  ~TConversionTable();
  TConversionTable(const TConversionTable&) = delete;
  TConversionTable& operator=(const TConversionTable&) = delete;

  const std::vector<TUnitCategory>& Categories() const { return Categories_; }
  int CategoryCount() const { return static_cast<int>(Categories_.size()); }
  const TUnitCategory& Category(int index) const { return Categories_.at(static_cast<std::size_t>(index)); }
  int FindCategory(std::string_view name) const;  // -1 when missing; letter case ignored
  static int FindUnit(const TUnitCategory& category, std::string_view name);

  // ---- files ----
  // The file read or written last (empty: none), and whether a save may
  // write to it.
  const std::string& FilePath() const { return FilePath_; }
  bool FileValid() const { return FileValid_; }

  // At start: reads the file that the settings name, or else defaultFile,
  // writing the built-in table there first when it is missing; with an
  // empty defaultFile the built-in table is only kept in memory. The units
  // table is written beside defaultFile when it is missing there (quietly:
  // it is only an offer), so that File > Open finds it.
  void LoadAtStart(const std::string& settingsPath, const std::string& defaultFile);
  // Reads a file. On success the table is replaced and locked; on failure
  // (reported) the table, its file and the lock stay as they were.
  bool Read(const std::string& path);
  // Reads a table from text as a file holds it (decoded), like Read; the
  // table's file stays as it was.
  bool ReadText(std::string_view text);
  // The built-in table, in memory only; locked.
  void UseDefaultTable();
  // Writes the built-in table to path and makes that the table's file (it
  // is not read: Read it afterwards).
  bool WriteDefault(const std::string& path);
  // Saving: the checks and the paths first (their findings are reported,
  // but the table is saved all the same), then the whole text, written
  // atomically, when FileValid. A table whose names or texts the file
  // cannot hold is refused and nothing is written.
  bool Save();
  // Save to another file, which becomes the table's file.
  bool SaveAs(const std::string& path);

  // ---- editing (the table window) ----
  // Every change locks the conversions (Lock) and marks the table modified
  // until it is saved or replaced. Each asks what it must, reports refusals
  // through the user interface and returns true when it did what it was
  // asked (for the dialogs: when they may close).
  bool Modified() const { return Modified_; }
  // File > New: an empty table, after "ARE YOU SURE ?"; the file stays.
  bool NewTable();
  // File > Open: unsaved edits go only after "ARE YOU SURE ?"; then Read.
  bool Open(const std::string& path);
  // File > Save: with a valid file, after "ARE YOU SURE ?".
  bool SaveConfirmed();
  // File > Default: after "ARE YOU SURE ?" the built-in table is written to
  // defaultFile and read from there (kept in memory when that fails).
  bool RestoreDefault(const std::string& defaultFile);
  // When the program ends: unsaved edits are saved when the user wants them
  // (chooseFile names a file when the table has none, empty for none), or
  // dropped after "ARE YOU SURE ?". False (Cancel to the question among
  // others) keeps the program running.
  bool MayExit(const std::function<std::string()>& chooseFile);

  // Categories (the name dialog and Category > Delete category).
  bool AddCategory(const std::string& name);
  bool RenameCategory(int category, const std::string& name);
  bool DeleteCategory(int category);
  // Units (the name dialog opened from the definition dialog). Adding an
  // empty or unreadable name keeps the dialog open (false); a name already
  // there changes nothing. Renaming re-sorts the units; a name of another
  // unit merges the two (rows that then join a unit to itself go); an
  // empty name deletes the unit when no row uses it.
  bool AddUnit(int category, const std::string& name);
  bool RenameUnit(int category, int unit, const std::string& name);
  // Definitions: the texts as checked by TDefinitionCheck. row from 0.
  bool AddDefinition(int category, int unitA, int unitB, const std::string& forward, const std::string& backward);
  bool EditDefinition(int category, int row, int unitA, int unitB, const std::string& forward,
                      const std::string& backward);
  // The delete dialog: the texts of "From #" (1 for the first row) and
  // "Count".
  bool DeleteDefinitions(int category, const std::string& fromText, const std::string& countText);
  // A vertex dragged in the graph window: the unit's new position (saved
  // with the table; the conversions stay as they are).
  void MoveUnit(int category, int unit, int x, int y);
  // Undo in the table window: the categories as an earlier copy holds them
  // (CopyCategories), modified and locked like any edit.
  void RestoreCategories(std::vector<TUnitCategory> categories);
  // What the graph window draws of a category (a copy); position from 0.
  TGraphCategory GraphCategory(int category) const;

  // ---- checks ----
  // The checks in order, stopping at a failure: duplicate rows, the unit
  // count of each category, the definitions' compile and the paths. True when the conversions may run
  // (the table is then no longer locked).
  bool Check();
  // Row i joins a unit to itself, or the same two units as another row:
  // reports the first finding and sets CheckFailed. True when found.
  bool FindDuplicateRows();
  // Reports every category with more units than the paths can join (before
  // anything is compiled, so that an oversized file is refused at once) and
  // sets CheckFailed. True when one is found.
  bool FindOversizedCategories();
  // Compiles every definition in x (the rows of the built-in table are
  // known to pass). A compile error is reported and ends the check
  // (CheckFailed); a non-linear text or one without x is only reported (the
  // first such finding) and every row is still compiled. Rows whose
  // directions are not inverse (TestDirections) are listed in one message
  // at the end, a warning too. False on a compile error.
  bool CompileDefinitions();
  // The conversion paths of every category; a failure is reported and sets
  // CheckFailed.
  void ComputePaths();
  bool CheckFailed() const { return CheckFailed_; }

  // True after a check without failure, until the next change or Lock.
  bool PathsValid() const { return PathsValid_.load(std::memory_order_acquire); }
  // The table changed: the conversions wait for the next check.
  void Lock();
  // Locking and checking change what Conv gives; the calculator compiles
  // its definitions again when this reports a change.
  bool DefinitionsChangePending() const { return DefinitionsChange_.load(std::memory_order_acquire); }
  bool TakeDefinitionsChange() { return DefinitionsChange_.exchange(false); }

  // ---- converting ----
  // The path's arcs in travel order (0-based category and units): arc 2k-1
  // converts Unit A to Unit B of row k, arc 2k back. Empty before a check.
  std::vector<int> Path(int category, int from, int to) const;
  // Converts value along a path of the category, step by step. With
  // reportErrors a failing step is shown through ErrorMessages, with the
  // step's units in front ("Celcius ---> Kelvin "), and the value keeps its
  // kind (a complex value converts too); otherwise failures are silent and
  // every step gives a real, as Conv needs. False when a step failed; then
  // FailedStep tells which units and why. keepKind keeps the value's kind
  // in a silent conversion too (the conversion window's, as the user types).
  bool ApplyPath(int category, const std::vector<int>& arcs, TValue& value, bool reportErrors, bool keepKind = false);
  // "Celcius ---> Kelvin : " + the engine's message, of the last failed step.
  const std::string& FailedStep() const { return FailedStep_; }

  // The external function Conv(category, from unit, to unit, value), ids
  // from 1 in the order of the lists: the value converted as a real, or
  // throws std::runtime_error with the reason.
  void Conv(TValue* const* args, int count, TValue& result);

  // ---- engines and messages ----
  TEngineErrorMessages& ErrorMessages() { return Messages_; }
  TUserInterface& Ui() { return Ui_; }
  // The definitions' engines stop with the calculator and keep its budget.
  void SetStopFlag(const std::atomic<std::uint8_t>* flag);
  void SetStepBudget(std::int64_t steps);

 private:
  void Replace(std::vector<TUnitCategory> categories);
  THelmaxComplexEval& NewEngine(std::unique_ptr<THelmaxComplexEval>& engine);
  // The engine that compiles the definitions for the check; its working
  // storage serves the definitions' engines too.
  THelmaxComplexEval& CheckEngine();
  // The step's engine, compiled now when it has not been yet and the paths
  // are valid; nullptr when it cannot run.
  THelmaxComplexEval* StepEngine(TUnitCategory& c, std::size_t row, bool forward);
  static std::string RowPrefix(const TUnitCategory& c, std::size_t row, bool forward);
  bool WriteText(const std::string& path);
  void MarkChanged() { DefinitionsChange_.store(true, std::memory_order_release); }
  bool ValidCategory(int category) const { return category >= 0 && category < CategoryCount(); }
  // A name the file can hold: refused with "Invalid name : " otherwise.
  bool CheckCategoryName(const std::string& name, std::string& trimmed);
  void Edited();

  TUserInterface& Ui_;
  TEngineErrorMessages Messages_;
  std::unique_ptr<THelmaxComplexEval> CheckEngine_;
  std::vector<TUnitCategory> Categories_;
  std::string FilePath_;
  bool FileValid_ = false;
  bool Modified_ = false;
  bool CheckFailed_ = false;
  std::atomic<bool> PathsValid_{false};
  std::atomic<bool> DefinitionsChange_{false};
  const std::atomic<std::uint8_t>* StopFlag_ = nullptr;
  std::int64_t StepBudget_ = 0;
  // The step being applied, for the execute-error handler's prefix.
  const TUnitCategory* StepCategory_ = nullptr;
  int StepArc_ = 0;
  bool ReportSteps_ = true;
  std::string FailedStep_;
  std::vector<int> Scratch_;  // Conv's path, kept to spare an allocation per call
};

// "Error in category : Speed : Row# 3" (row from 1): how messages name a
// row of the table.
std::string RowName(std::string_view category, int row);

// ---- the two directions of a definition ---------------------------------------------------
// A definition converts A => B and back: A => B must depend on x, and B => A
// must bring every A => B value back to its x. Both are tested at a few
// sample values of x, skipping those where a direction is not defined.
inline constexpr double kDirectionSamples[] = {0.5, 1, 2, 10, -3};
// Back within this share of x counts as x.
inline constexpr double kRoundTripTolerance = 1e-9;

enum class TDirectionsFinding { Sound, ForwardConstant, NotInverse };
struct TDirectionsTest {
  TDirectionsFinding Finding = TDirectionsFinding::Sound;
  // For NotInverse: the sample, its A => B value and the B => A value of
  // that (NaN when B => A is not defined there).
  double X = 0, There = 0, Back = 0;
};

// The compiled expression's value at each x (its variable, when it has
// one): NaN where x is NaN, or the evaluation fails or gives no finite
// real. Evaluation errors are not reported.
std::vector<double> ValuesAt(THelmaxComplexEval& compiled, const std::vector<double>& xs);
// there: A => B at xs; back: B => A at there (ValuesAt). A => B that gives
// one value at every defined sample does not depend on x; a sample where
// both are defined and back is not within kRoundTripTolerance of x, or
// samples where A => B is defined but B => A nowhere, are not inverse.
TDirectionsTest TestDirections(const std::vector<double>& xs, const std::vector<double>& there,
                               const std::vector<double>& back);
// "A => B does not depend on x", "B => A does not bring A => B back to x
// (x = 1 gives 3.6, and back 12.96)"; empty for Sound.
std::string DirectionsFindingText(const TDirectionsTest& test);

// The definition dialog's check of a definition before it enters the
// table: two different units chosen, both texts linear expressions of x
// that the file can hold, and directions that are inverse (TestDirections).
// Its own engine; refusals go to ui.
class TDefinitionCheck {
 public:
  explicit TDefinitionCheck(TUserInterface& ui);
  // unitA, unitB: positions in the category's units (-1: none chosen).
  // rowName (RowName) goes in front of a finding about the directions.
  bool Check(int unitA, int unitB, const std::string& forward, const std::string& backward,
             const std::string& rowName = {});

 private:
  bool CheckText(const std::string& text, bool forward);
  TUserInterface& Ui_;
  TEngineErrorMessages Messages_;
  THelmaxComplexEval Engine_;
};

}  // namespace helmax
