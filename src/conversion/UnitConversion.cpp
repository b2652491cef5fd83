#include "UnitConversion.h"
#include "FixedTexts.h"

#include "TextFile.h"

namespace helmax {

TUnitConversion::TUnitConversion(TCalculatorForTools& calc, TConversionTable& table)
    : Calc_(calc),
      Table_(table),
      Relay_(table.Ui()),
      Messages_(Relay_),
      Engine_(std::make_unique<THelmaxDateTimeEval>(calc.FunctionTable())) {
  Messages_.Bind(*Engine_, true);
}

std::string TUnitConversion::NoUnitsInCategory(const std::string& category) {
  return "The category " + category + " has no units yet: add a conversion definition to it (Define conversion)";
}

bool TUnitConversion::Evaluate(const std::string& expression, TValue& value) {
  if (const std::optional<std::string> refusal = Calc_.PrepareToolRun(*Engine_, TValue::MakeReal(EngineNaN()))) {
    Relay_.ShowMessage(*refusal);
    return false;
  }
  Messages_.ErrorPrefix.clear();
  Engine_->VerifySyntaxSemantics(RemoveLineEnds(expression), Calc_.ExpressionsVars(), true);
  if (Engine_->Error) return false;
  Engine_->DoMathExpression(value);
  return !Engine_->Error;
}

bool TUnitConversion::UnitsChosen(int category, int from, int to) {
  const TConversionTable& table = Table_;
  if (category < 0 || category >= table.CategoryCount()) {
    Relay_.ShowMessage(kNoCategory);
    return false;
  }
  // The window offers units only where a definition joins some.
  const TUnitCategory& c = table.Category(category);
  if (c.Definitions.empty()) {
    Relay_.ShowMessage(NoUnitsInCategory(c.Name));
    return false;
  }
  const int units = static_cast<int>(c.Units.size());
  if (from < 0 || to < 0 || from >= units || to >= units) {
    Relay_.ShowMessage(kNoUnits);
    return false;
  }
  return true;
}

bool TUnitConversion::ConvertValue(int category, int from, int to, TValue& value, bool quiet) {
  // A unit to itself: the value as it is.
  if (from == to) return true;
  TConversionTable& table = Table_;
  if (!table.PathsValid()) {
    Relay_.ShowMessage(TConversionTable::kLockedMessage);
    return false;
  }
  const std::vector<int> path = table.Path(category, from, to);
  if (path.empty()) {
    Relay_.ShowMessage(TConversionTable::kNoPathMessage);
    return false;
  }
  if (table.ApplyPath(category, path, value, !quiet, true)) return true;
  if (quiet) Relay_.ShowMessage(table.FailedStep());
  return false;
}

TConversionOutcome TUnitConversion::Calculate(const std::string& expression, int category, int from, int to) {
  TConversionOutcome out;
  Relay_.Quiet = false;
  TValue value;
  if (!Evaluate(expression, value)) return out;
  if (category < 0 || category >= Table_.CategoryCount()) {
    Relay_.ShowMessage(kNoCategory);
    return out;
  }
  out.Caption = texts::kExpressionPrefix + ValueToText(value);
  if (UnitsChosen(category, from, to) && ConvertValue(category, from, to, value, false)) out.Value = ValueToText(value);
  return out;
}

TLiveConversion TUnitConversion::Convert(const std::string& expression, int category, int from, int to) {
  TLiveConversion out;
  if (RemoveLineEnds(expression).find_first_not_of(' ') == std::string::npos) return out;
  Relay_.Quiet = true;
  Relay_.First.clear();
  TValue value;
  if (Evaluate(expression, value)) {
    out.Caption = texts::kExpressionPrefix + ValueToText(value);
    if (UnitsChosen(category, from, to)) {
      const TUnitCategory& c = Table_.Category(category);
      const std::string& fromName = c.Units[static_cast<std::size_t>(from)].Name;
      const std::string& toName = c.Units[static_cast<std::size_t>(to)].Name;
      const std::string given = ValueToText(value);
      TValue forward = value, backward = value;
      if (ConvertValue(category, from, to, forward, true)) {
        out.Value = ValueToText(forward);
        out.Forward = given + " " + fromName + " = " + out.Value + " " + toName;
        if (ConvertValue(category, to, from, backward, true))
          out.Backward = given + " " + toName + " = " + ValueToText(backward) + " " + fromName;
      }
    }
  }
  Relay_.Quiet = false;
  out.Error = Relay_.First;
  return out;
}

}  // namespace helmax
