#include "UnitConversion.h"

#include "TextFile.h"

namespace helmax {

TUnitConversion::TUnitConversion(TCalculator& calc)
    : Calc_(calc), Engine_(std::make_unique<THelmaxDateTimeEval>(calc.FunctionTable())) {
  calc.Conversions().ErrorMessages().Bind(*Engine_, true);
}

TConversionOutcome TUnitConversion::Calculate(const std::string& expression, int category, int from, int to) {
  TConversionOutcome out;
  TConversionTable& table = Calc_.Conversions();
  TUserInterface& ui = table.Ui();
  Calc_.PrepareToolEngine(*Engine_);
  Calc_.ResultsText.clear();
  Calc_.RefreshStaleDefinitions();
  if (Calc_.FunctionVariable().empty()) {
    ui.ShowMessage("Please correct function varable name");
    return out;
  }
  if (Calc_.DefinitionsInvalid()) {
    ui.ShowMessage("Please corect user definitions");
    return out;
  }
  *Calc_.ExpressionsVars().front().Value = TValue::MakeReal(EngineNaN());
  table.ErrorMessages().ErrorPrefix.clear();
  Engine_->VerifySyntaxSemantics(RemoveLineEnds(expression), Calc_.ExpressionsVars(), true);
  if (Engine_->Error) return out;
  TValue value;
  Engine_->DoMathExpression(value);
  if (Engine_->Error) return out;
  if (category < 0 || category >= table.CategoryCount()) {
    ui.ShowMessage(kNoCategory);
    return out;
  }
  out.Caption = "Expression: " + ValueToText(value);
  const int units = static_cast<int>(table.Category(category).Units.size());
  if (from < 0 || to < 0 || from >= units || to >= units) return out;
  // A unit to itself: the value as it is.
  if (from == to) {
    out.Value = ValueToText(value);
    return out;
  }
  if (!table.PathsValid()) {
    ui.ShowMessage(TConversionTable::kLockedMessage);
    return out;
  }
  const std::vector<int> path = table.Path(category, from, to);
  if (path.empty()) {
    ui.ShowMessage(TConversionTable::kNoPathMessage);
    return out;
  }
  if (table.ApplyPath(category, path, value, true)) out.Value = ValueToText(value);
  return out;
}

}  // namespace helmax
