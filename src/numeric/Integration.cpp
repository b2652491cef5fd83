#include "Integration.h"
#include "FixedTexts.h"

#include "ConstantList.h"
#include "ErrorText.h"
#include "TextFile.h"

namespace helmax {
namespace {

const char* const kOnlyOneFunction = texts::kFunctionPleaseEnterOnlyOneFunctionTo;
const char* const kInvalidDouble = texts::kDgaintInvalidDoubleType;
const char* const kOnlyOneAtAPoint = texts::kDgaintPleaseEnterOnlyOneFunctionTo;

// The function box's text as the engine gets it.
std::string FunctionSource(const std::string& text) {
  std::string noCr;
  for (char c : TrimText(text))
    if (c != '\r') noCr.push_back(c);
  std::string joined;
  for (char c : TrimText(noCr))
    if (c != '\n') joined.push_back(c);
  return joined;
}

}  // namespace

TIntegration::TIntegration() : Engine_(std::make_unique<THelmaxDateTimeEval>()) {
  Engine_->OnParseError = [this](THelmaxComplexEval& e) { LastError_ = ParseErrorLine(e); };
  Engine_->OnExecuteError = [this](THelmaxComplexEval& e) { LastError_ = ExecuteErrorLine(e); };
}

// A limit: an expression of constants, or one that uses the user's
// variables and run-time functions.
bool TIntegration::Limit(TCalculatorForTools& calc, const std::string& text, const std::string& prefix, double& value,
                         std::string& label, TIntegrationOutcome& out) {
  THelmaxDateTimeEval& e = *Engine_;
  e.VerifySyntaxSemantics(text, std::string_view(), false);
  if (e.Error) {
    e.VerifySyntaxSemantics("Bk(" + calc.RunTimeFunctionsText() + "," + text + ")", calc.ExpressionsVars(), false);
    if (e.Error) {
      out.Result = prefix + LastError_;
      return false;
    }
  }
  TValue v;
  e.DoMathExpression(v);
  if (e.Error) {
    out.Result = prefix + LastError_;
    return false;
  }
  if (!v.IsRealLike()) throw TIntegrationError(kInvalidDouble);
  value = v.AsReal();
  label = prefix + RealToText(value);
  return true;
}

// The function, compiled as one expression whose value is the integrand.
bool TIntegration::CompileFunction(TCalculatorForTools& calc, const std::string& text, TIntegrationOutcome& out) {
  THelmaxDateTimeEval& e = *Engine_;
  const TUserVarArray& vars = calc.ExpressionsVars();
  e.VerifySyntaxSemantics(text, vars, true);
  bool throughBlock = false;
  if (e.Error && e.ErrorCode == ecFunctionNotDefined) {
    // It calls run-time functions of the definitions.
    e.VerifySyntaxSemantics("Bk(" + calc.RunTimeFunctionsText() + ")," + text, vars, false);
    throughBlock = true;
  }
  if (!e.Error && !throughBlock && e.ExpressionCount > 1) {
    out.Result = kOnlyOneFunction;
    return false;
  }
  if (e.Error) {
    out.Result = texts::kFunctionPrefix + LastError_;
    return false;
  }
  if (e.ExpressionCount >= 3) {
    out.Result = kOnlyOneFunction;
    return false;
  }
  // Without auto-declaration: a name that is neither the user's variable
  // nor a function fails now.
  e.VerifySyntaxSemantics("Bk(" + calc.RunTimeFunctionsText() + "," + text + ")", vars, false);
  if (e.Error) {
    out.Result = texts::kFunctionPrefix + LastError_;
    return false;
  }
  return true;
}

// The integrand at t through the engine. A point where the function fails
// ends the run with the engine's line for it.
double TIntegration::ValueAt(TCalculatorForTools& calc, TValue& variable, double t) {
  variable = TValue::MakeReal(t);
  TValue r;
  Engine_->DoMathExpression(r);
  if (Engine_->Error) {
    switch (Engine_->ErrorCode) {
      case ecStopped: throw TWorkStopped{};
      case ecTooLong: throw TIntegrationError(LastError_);
      case ecVectorOfExpressions: throw TIntegrationError(kOnlyOneAtAPoint);
      default:
        throw TIntegrationError(texts::kFunctionPrefix + TrimText(LastError_) + " at " + calc.FunctionVariable() +
                                " = " + RealToText(t));
    }
  }
  if (r.Kind != TValueKind::Real) throw TIntegrationError(kInvalidDouble);
  return r.Num;
}

TIntegrationOutcome TIntegration::Integrate(TCalculatorForTools& calc, const std::string& function,
                                            const std::string& from, const std::string& to, TProgress* progress,
                                            std::optional<double> tolerance, const TLimitsKnown& limitsKnown) {
  TIntegrationOutcome out;
  Evaluations_ = 0;
  ErrorEstimate_ = EngineNaN();
  if (const std::optional<std::string> refusal = calc.PrepareToolRun(*Engine_, TValue::MakeReal(EngineNaN()))) {
    out.Messages.push_back(*refusal);
    return out;
  }
  TValue& variable = *calc.ExpressionsVars().front().Value;
  try {
    double a = 0.0, b = 0.0;
    if (!Limit(calc, from, texts::kFromPrefix, a, out.FromLabel, out)) return out;
    if (!Limit(calc, to, texts::kToPrefix, b, out.ToLabel, out)) return out;
    if (limitsKnown) limitsKnown(out.FromLabel, out.ToLabel);
    if (!CompileFunction(calc, FunctionSource(function), out)) return out;
    const std::function<double(double)> integrand = [&](double t) {
      Evaluations_.fetch_add(1, std::memory_order_relaxed);
      return ValueAt(calc, variable, t);
    };
    const TQuadrature integral = GaussIntegrate(
        tolerance.value_or(calc.GetParameter(parIntegrTolerance)), b, a, integrand,
        [&] { return calc.StopRequested(); }, progress, calc.FunctionVariable());
    ErrorEstimate_ = integral.ErrorEstimate;
    out.Result = RealToText(integral.Value);
    out.Integrated = true;
    out.Value = integral.Value;
  } catch (const TIntegrationError& e) { out.Result = e.what(); } catch (const TWorkStopped&) {
    out.Result = texts::kCalculationStopped;
  }
  variable = TValue::MakeReal(EngineNaN());
  return out;
}

}  // namespace helmax
