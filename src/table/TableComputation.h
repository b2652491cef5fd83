// Computing the function table: every run-time function of the definitions
// that takes the function variable as its one argument, at every point of
// the range from, from + step, ... up to to (the last point taken when it
// is within the calculator's tolerance of to).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "CalculatorForTools.h"
#include "FunctionTable.h"
#include "UserInterface.h"
#include "WorkProgress.h"

namespace helmax {

struct TTableRange {
  double From = -100;
  double To = 100;
  double Step = 0.1;
};

// The calculator's internal constants from, to and step.
TTableRange TableRangeOf(const TCalculatorForTools& calc);

// The column header of a run-time function, its definition's text before
// "~" ("f(x)" for "f(x)~sin(x)"), when the function takes part: when the
// text between its first "(" and its first ")~" is the variable's name
// (case ignored). Functions of two arguments or of another variable do not.
std::optional<std::string> TableColumnHeader(std::string_view definition, std::string_view variable);

enum class TTableOutcome {
  Done,     // table holds the new table
  Refused,  // a message said why; table is unchanged
  Stopped,  // the calculator was asked to stop; table is unchanged
};

// Compiles the definitions and computes the table into table. A function
// that fails at a point gives Null there and the table goes on. With
// nullMarker the Null marker option is applied to the new table. Messages
// go to ui; progress (when given) counts the points done. Polls the
// calculator's stop request between points. pause (when given) is called
// now and then between points, with the calculator's state as it was before
// the table (its results, the function variable), so that other work may use
// the calculator meanwhile; it must leave the definitions as they are.
TTableOutcome ComputeFunctionTable(TCalculatorForTools& calc, TUserInterface& ui, const TTableRange& range,
                                   bool nullMarker, TFunctionTable& table, TProgress* progress = nullptr,
                                   const std::function<void()>& pause = {});

}  // namespace helmax
