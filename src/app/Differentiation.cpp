#include "Differentiation.h"

#include "ErrorText.h"
#include "ExpressionText.h"

namespace helmax {

TDifferentiation::TDifferentiation() {
  // The window's handlers replace the result box's text with the line.
  Engine_.OnParseError = [this](THelmaxComplexEval& e) {
    Result_ = ParseErrorLine(e);
    Failed_ = true;
  };
  Engine_.OnExecuteError = [this](THelmaxComplexEval& e) {
    Result_ = ExecuteErrorLine(e);
    Failed_ = true;
  };
}

std::string TDifferentiation::Differentiate(std::string_view expressionPane, std::string_view variable, bool bracket) {
  Result_.clear();
  Failed_ = false;
  Engine_.VerifySyntaxSemanticsAndDerivation(OneLineExpression(expressionPane), "", true, variable);
  if (!Engine_.Error) {
    std::string derivative;
    Engine_.GetDerivative(bracket, derivative);
    if (!Engine_.Error) Result_ = derivative;
  }
  return Result_;
}

}  // namespace helmax
