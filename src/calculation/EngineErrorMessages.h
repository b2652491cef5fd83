// Engine errors shown as messages (message boxes in the windows) with a
// prefix that says what failed: "First expression -> Division by 0". A
// window binds its engines to one of these and sets ErrorPrefix before each
// compile or evaluation; the equivalence window does, and so do the tool
// windows that calculate with the user's definitions.
#pragma once

#include <string>

#include "ErrorText.h"
#include "HelmaxComplexEval.h"
#include "UserInterface.h"

namespace helmax {

class TEngineErrorMessages {
 public:
  explicit TEngineErrorMessages(TUserInterface& ui) : Ui_(ui) {}

  std::string ErrorPrefix;

  // Routes the engine's parse errors here, and its execute errors too when
  // executeErrors is set.
  void Bind(THelmaxComplexEval& engine, bool executeErrors);

  void ShowParseError(const THelmaxComplexEval& engine) {
    Ui_.ShowMessage(PrefixedErrorLine(ErrorPrefix, TErrorSide::Parse, engine));
  }
  void ShowExecuteError(const THelmaxComplexEval& engine) {
    Ui_.ShowMessage(PrefixedErrorLine(ErrorPrefix, TErrorSide::Execute, engine));
  }
  // A message of the window's own, after the prefix.
  void Show(const std::string& text) { Ui_.ShowMessage(ErrorPrefix + text); }

 private:
  TUserInterface& Ui_;
};

}  // namespace helmax
