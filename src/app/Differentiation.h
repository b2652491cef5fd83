// Symbolic differentiation as the Symbolic Differentiate window does it: one
// plain engine (no external functions), the expression compiled with an
// empty name list and auto-declaration, errors worded as the window shows
// them in its result box.
#pragma once

#include <string>
#include <string_view>

#include "HelmaxComplexEval.h"

namespace helmax {

class TDifferentiation {
 public:
  TDifferentiation();
  TDifferentiation(const TDifferentiation&) = delete;
  TDifferentiation& operator=(const TDifferentiation&) = delete;

  // The text for the result box: the derivative of the pane's expression
  // with respect to variable (in bracket notation when bracket is set), or
  // the error line.
  std::string Differentiate(std::string_view expressionPane, std::string_view variable, bool bracket = false);
  // The last Differentiate showed an error line.
  bool Failed() const { return Failed_; }

  // true (default): powers written a^b; false: power(a,b).
  void SetPowerAsOperator(bool on) { Engine_.PowerAsOperator = on; }

 private:
  THelmaxComplexEval Engine_;
  std::string Result_;
  bool Failed_ = false;
};

}  // namespace helmax
