// TCalculatorForTools: what the calculator offers the cores of its tools
// (the conversion, exchange and integration tools, the function table), and
// nothing more. A tool calculates with the user's definitions through it:
// it prepares a run (definitions compiled when stale and checked, the
// function variable set), compiles with the expressions' variables, calls
// the run-time functions of the definitions, and stops when asked to. The
// tools never see, let alone write, the calculator's panes.
//
// Every operation runs on the thread that calculates with the calculator,
// except StopRequested, which any thread may ask.
#pragma once

#include <optional>
#include <string>

#include "FixedTexts.h"
#include "HelmaxComplexEval.h"

namespace helmax {

class TCalculatorForTools {
 public:
  static constexpr const char* kNoFunctionVariable = texts::kPleaseCorrectFunctionVarableName;
  static constexpr const char* kInvalidDefinitions = texts::kPleaseCorectUserDefinitions;

  virtual ~TCalculatorForTools() = default;

  // ---- engines of the tools ----
  // The external functions the calculator's engines know (the internal
  // constants, Conv, the packs, Lagrange and CubicSpline): a tool's engine
  // built over them calls what the user's expressions may call.
  virtual const TUserFuncArray& FunctionTable() const = 0;
  // Binds a tool's engine to the calculator's stop request and step budget.
  virtual void PrepareToolEngine(THelmaxComplexEval& engine) const = 0;

  // ---- a run of a tool ----
  // What every tool does before it compiles with the user's definitions:
  // engine bound (PrepareToolEngine), the definitions compiled when they are
  // stale, then checked, and the function variable's value set to
  // variableStart (NaN, or Null where an amount must not take it for a
  // number). Returns why the run cannot go on (kNoFunctionVariable,
  // kInvalidDefinitions), or nothing when it can; the tool shows the
  // message where it shows its others.
  [[nodiscard]] virtual std::optional<std::string> PrepareToolRun(THelmaxComplexEval& engine,
                                                                  const TValue& variableStart) = 0;
  // Compiles the definitions now, stale or not, their failures shown in
  // message boxes (the function table always starts so).
  virtual void CompileDefinitions() = 0;
  virtual bool DefinitionsInvalid() const = 0;
  // The function variable's name (empty: none is valid).
  virtual const std::string& FunctionVariable() const = 0;
  // The variables a tool compiles its expressions with, as the expressions
  // pane does: the function variable first, then the constants and the
  // definitions' variables. Their cells are the calculator's own.
  virtual const TUserVarArray& ExpressionsVars() const = 0;
  // The definitions' run-time functions as one text ("f(x)~Sin(x),..."; "nan"
  // when there are none), to put in front of a tool's expression.
  virtual const std::string& RunTimeFunctionsText() const = 0;

  // ---- the run-time functions of the definitions, called one by one ----
  virtual int RunTimeFunctionCount() const = 0;
  // Its definition's text, "f(x)~Sin(x)" (index from 0).
  virtual std::string RunTimeFunctionText(int index) const = 0;
  // Calls it with the arguments; a call that fails gives Null. The call
  // leaves the calculator as it was: its error line is not the results
  // pane's, and the function variable keeps its value.
  virtual void CallRunTimeFunction(int index, const TUserValuesArray& arguments, TValue& result) = 0;

  // ---- parameters and stopping ----
  // The internal constants (from, to, step, colwidth and the tolerances) by
  // their index, 1 to 6.
  virtual double GetParameter(int index) const = 0;
  // True once a stop was asked for, for long work between evaluations.
  virtual bool StopRequested() const = 0;

 protected:
  TCalculatorForTools() = default;
  TCalculatorForTools(const TCalculatorForTools&) = default;
  TCalculatorForTools& operator=(const TCalculatorForTools&) = default;
};

}  // namespace helmax
