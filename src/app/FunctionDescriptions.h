// Plain-English descriptions of everything the help window lists: the
// operators, the built-in functions and constants, the date-time pack's
// functions and the calculator's own external functions (the internal
// parameters, Conv, the special functions, Lagrange and CubicSpline, the
// distributions). One entry per name, each with an example and the result
// the calculator shows for it. Run-time functions have none.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace helmax {

class THelmaxComplexEval;

struct TFunctionDescription {
  std::string_view Name;     // as its owner writes it; operators by their sign, code 0 as "variables"
  std::string_view Text;     // what it computes and its arguments
  std::string_view Example;  // an expression for the expressions pane
  std::string_view Result;   // the result line the calculator shows for Example
};

std::span<const TFunctionDescription> FunctionDescriptions();

// The description of a function or constant name (case ignored), or null.
const TFunctionDescription* FindFunctionDescription(std::string_view name);

// The description of a help code of an engine: operators (0..7), built-ins,
// then the engine's external functions; null for run-time functions and
// codes beyond the catalogue.
const TFunctionDescription* DescriptionOfCode(const THelmaxComplexEval& engine, int code);

// The line the help window shows below an entry:
// "    " + text + " Example: " + example + " = " + result.
std::string DescriptionLine(const TFunctionDescription& description);

}  // namespace helmax
