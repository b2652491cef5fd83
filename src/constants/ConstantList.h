// The constant list of the running calculator: named constants whose values
// the calculator's constants engine computes. Rows 1 to 6 are the internal
// constants that parameterise the tool windows; they can be edited, never
// renamed or deleted. A change is validated in a separate engine first, so a
// rejected constant never touches the constants engine.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "HelmaxComplexEval.h"
#include "UserInterface.h"

namespace helmax {

// The internal constants, rows 1 to 6 of the list. Their values are the
// parameters of the tool windows, read and set by index.
constexpr int InternalConstantCount = 6;
enum TParameter : int {
  parFrom = 1,
  parTo = 2,
  parStep = 3,
  parColWidth = 4,
  parDetTolerance = 5,
  parIntegrTolerance = 6,
};

// Names of the internal constants, rows 1 to 6.
extern const std::array<const char*, InternalConstantCount> kInternalConstantNames;

// The text that gives the constants engine its six internal constants as
// variables 1 to 6: from=_from,to=_to,...
std::string InternalConstantsText();

// What the constant list needs from the calculator that owns it.
class TConstantListHost {
 public:
  virtual ~TConstantListHost() = default;
  // The internal parameters, index parFrom to parIntegrTolerance.
  virtual double GetParameter(int index) const = 0;
  virtual void SetParameter(int index, double value) = 0;
  // The constants engine was compiled again: its value cells are new, so
  // everything that shares them must be rebuilt before the next evaluation.
  virtual void ConstantsRecompiled() = 0;
  // A constant may now carry the function variable's name: check it again,
  // with the current name (when withCurrentName) and with the name shown in
  // the function-variable dialog.
  virtual void RevalidateFunctionVariable(bool withCurrentName) = 0;
  // Makes an engine report as the calculator's engines do: its two error
  // events bound to the calculator's handlers, its runs stoppable.
  virtual void PrepareEngine(THelmaxComplexEval& engine) = 0;
};

// One row of the list (the grid's columns 1 to 4; column 0 is the number).
struct TConstRec {
  std::string Name;
  std::string Value;  // value text
  std::string Expression;
  std::string Description;
};

// Row 1 to 6 as a fresh list holds it: FROM, _from, "Internal constant".
TConstRec InternalConstantRow(int row);

class TConstantList {
 public:
  TConstantList(THelmaxComplexEval& constantsEngine, const TUserFuncArray& functions, TConstantListHost& host,
                TUserInterface& ui);

  // Rows 1 .. RowCount()-1 (row 0 is the header).
  int RowCount() const { return static_cast<int>(Rows_.size()) + 1; }
  const TConstRec& Row(int row) const { return Rows_.at(static_cast<std::size_t>(row - 1)); }
  const std::vector<TConstRec>& Rows() const { return Rows_; }

  // Back to the six internal constants with their default expressions; the
  // constants engine is compiled with them again.
  void Reset();

  // Adds (targetRow == RowCount()) or changes one constant. The expression
  // text may hold several lines, joined without separator. Shows what it
  // refuses and returns false; nothing changes then.
  bool AddConst(int targetRow, const std::string& name, const std::string& expressionText,
                const std::string& description);

  // The delete dialog's Ok with the texts of its two boxes ("From #",
  // "Count"). Returns true when constants were deleted.
  bool DeleteConsts(const std::string& fromText, const std::string& countText);

  // Runs the constants engine's assignments again and refreshes the value
  // texts of every row.
  void Refresh();

  // The step budget of the list's own validation runs (0: none).
  void SetStepBudget(std::int64_t steps) { Validation_.MaxSteps = steps; }

  // name=expression of every row, in row order, joined by ",".
  std::string AssignmentsText() const;

  // The constants engine's variable names joined by ",", leaving out
  // variable exceptRow (0: none).
  std::string JoinedNames(int exceptRow = 0) const;

 private:
  bool CompileConstantsEngine(const std::string& assignments, const std::string* names);
  void RefreshValueTexts();

  THelmaxComplexEval& Constants_;
  THelmaxComplexEval Validation_;
  TConstantListHost& Host_;
  TUserInterface& Ui_;
  std::vector<TConstRec> Rows_;
};

}  // namespace helmax
