// The conversion window's calculation: an expression of the user's
// variables is evaluated and its value converted from one unit of a
// category to another along the table's path. Runs on the thread that
// calculates with the calculator.
#pragma once

#include <memory>
#include <string>

#include "Calculator.h"
#include "ConversionTable.h"
#include "HelmaxDateTimeEval.h"

namespace helmax {

// What "&Calculate" shows: the caption of the expression's group and the
// text of the "Value:" box.
struct TConversionOutcome {
  std::string Caption = "Expression:";
  std::string Value;
};

class TUnitConversion {
 public:
  static constexpr const char* kCaption = "Convert Unit";
  static constexpr const char* kNoCategory = "Please enter an unit category";

  // The expression may use every function of the calculator's engines.
  explicit TUnitConversion(TCalculator& calc);

  // Evaluates expression (its lines joined) with the user's definitions and
  // converts the value in the category (0-based; -1: none chosen) from
  // unit `from` to unit `to` (-1: none). Failures are shown as messages
  // through the table's user interface, engine errors with their prefix.
  TConversionOutcome Calculate(const std::string& expression, int category, int from, int to);

 private:
  TCalculator& Calc_;
  std::unique_ptr<THelmaxDateTimeEval> Engine_;
};

}  // namespace helmax
