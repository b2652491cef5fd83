// A calculator driven as the main window drives it, with every message
// recorded instead of shown.
#pragma once

#include <cmath>
#include <string>

#include "Calculator.h"
#include "UserInterface.h"

namespace helmax::test {

struct TCalculatorFixture {
  TMessageRecorder Ui;
  TCalculator Calc;

  explicit TCalculatorFixture(TCalculatorFiles files = {}) : Calc(Ui, std::move(files)) {
    Calc.SetClock([] { return 39813.9375; });  // 12.31.2008 22:30
    Calc.FirstActivation();
  }

  // Types a whole expressions pane and returns the results pane.
  std::string Eval(const std::string& pane) {
    Calc.SetExpressions(pane);
    Calc.ExpressionsChanged();
    return Calc.Results();
  }
  std::string Define(const std::string& pane) {
    Calc.SetDefinitions(pane);
    Calc.DefinitionsChanged();
    return Calc.Results();
  }
};

inline std::string Real(double v) { return ValueToText(TValue::MakeReal(v)); }

inline bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace helmax::test
