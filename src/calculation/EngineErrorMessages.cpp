#include "EngineErrorMessages.h"

namespace helmax {

void TEngineErrorMessages::Bind(THelmaxComplexEval& engine, bool executeErrors) {
  engine.OnParseError = [this](THelmaxComplexEval& e) { ShowParseError(e); };
  if (executeErrors) engine.OnExecuteError = [this](THelmaxComplexEval& e) { ShowExecuteError(e); };
}

}  // namespace helmax
