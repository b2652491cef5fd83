#include "TableComputation.h"
#include "FixedTexts.h"

#include <exception>
#include <vector>

#include "ConstantList.h"
#include "SameValueApprox.h"
#include "TablePoints.h"
#include "TextUtil.h"

namespace helmax {

namespace {

// Points between two calls of the pause function.
constexpr std::int64_t kPointsBetweenPauses = 64;

TTableOutcome Compute(TCalculatorForTools& calc, TUserInterface& ui, const TTableRange& range, bool nullMarker,
                      TFunctionTable& table, TProgress* progress, const std::function<void()>& pause) {
  calc.CompileDefinitions();
  if (calc.DefinitionsInvalid()) {
    // Without a function variable the compile has said so already.
    if (!calc.FunctionVariable().empty()) ui.ShowMessage(texts::kPleaseCorrectUserDefinitions);
    return TTableOutcome::Refused;
  }
  std::vector<int> functions;
  std::vector<std::string> headers;
  for (int i = 0; i < calc.RunTimeFunctionCount(); ++i)
    if (std::optional<std::string> header = TableColumnHeader(calc.RunTimeFunctionText(i), calc.FunctionVariable())) {
      functions.push_back(i);
      headers.push_back(std::move(*header));
    }
  std::int64_t count = 0;
  if (std::optional<std::string> refusal = CheckTableRange(range.From, range.To, range.Step, count)) {
    ui.ShowMessage(*refusal);
    return TTableOutcome::Refused;
  }

  TFunctionTable result(calc.FunctionVariable(), std::move(headers));
  result.Reserve(count);
  if (progress != nullptr) progress->Start(count);
  const TDecimalPoints points(range.From, range.Step);
  TUserValuesArray argument(1);
  std::vector<TValue> row(functions.size());
  for (std::int64_t n = 0;; ++n) {
    const double x = points.Point(n);
    // Past to, only a point within the tolerance of to is taken, and it is
    // the last: every later point would pass the same test while it stays
    // within that tolerance.
    bool last = false;
    if (!(x < range.To)) {
      if (!SameRealApprox(x, range.To)) break;
      last = true;
    }
    if (n == kMaxTablePoints) {
      ui.ShowMessage(texts::kTooManyPointsPrefix + RealToText(static_cast<double>(n + 1)));
      return TTableOutcome::Refused;
    }
    if (pause && n % kPointsBetweenPauses == kPointsBetweenPauses - 1) {
      pause();
      if (calc.StopRequested()) return TTableOutcome::Stopped;
    }
    argument[0] = TValue::MakeReal(x);
    for (std::size_t f = 0; f < functions.size(); ++f) calc.CallRunTimeFunction(functions[f], argument, row[f]);
    // A stop cuts the running call short: its Null is no value of the table.
    if (calc.StopRequested()) return TTableOutcome::Stopped;
    result.AppendRow(x, row.data());
    if (progress != nullptr) progress->Set(n + 1);
    if (last) break;
  }
  if (nullMarker) result.SetNullMarker(true);
  table = std::move(result);
  return TTableOutcome::Done;
}

}  // namespace

TTableRange TableRangeOf(const TCalculatorForTools& calc) {
  return {calc.GetParameter(parFrom), calc.GetParameter(parTo), calc.GetParameter(parStep)};
}

std::optional<std::string> TableColumnHeader(std::string_view definition, std::string_view variable) {
  const std::size_t open = definition.find('(');
  const std::size_t close = definition.find(")~");
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return std::nullopt;
  if (!EqualsIgnoringCase(definition.substr(open + 1, close - open - 1), variable)) return std::nullopt;
  return std::string(definition.substr(0, close + 1));
}

TTableOutcome ComputeFunctionTable(TCalculatorForTools& calc, TUserInterface& ui, const TTableRange& range,
                                   bool nullMarker, TFunctionTable& table, TProgress* progress,
                                   const std::function<void()>& pause) {
  TTableOutcome outcome = TTableOutcome::Refused;
  try {
    outcome = Compute(calc, ui, range, nullMarker, table, progress, pause);
  } catch (const std::exception& e) { ui.ShowMessage(std::string(texts::kTForm1Execute1ClickPrefix) + e.what()); }
  return outcome;
}

}  // namespace helmax
