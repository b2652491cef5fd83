// Placeholder until the calculator core lands: evaluates each line of
// standard input as one expression list.
#include <iostream>
#include <string>

#include "ErrorText.h"
#include "HelmaxComplexEval.h"

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    helmax::THelmaxComplexEval engine;
    engine.VerifySyntaxSemantics(line);
    if (engine.Error) {
      std::cout << helmax::ParseErrorMesssage(engine) << '\n';
      continue;
    }
    helmax::TValue* const* results = engine.DoVectorOfMathExpressions();
    if (results == nullptr) {
      std::cout << helmax::ExecuteErrorMesssage(engine) << '\n';
      continue;
    }
    for (int i = 0; i < engine.ExpressionCount; ++i) std::cout << helmax::ValueToText(*results[i]) << '\n';
  }
  return 0;
}
