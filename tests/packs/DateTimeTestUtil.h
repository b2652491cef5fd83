// Helpers for the date-time pack's tests: run a text through an engine with
// the pack (and a fixed clock), and compare folded with run-time evaluation.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../engine/EngineTestUtil.h"
#include "ErrorText.h"
#include "HelmaxDateTimeEval.h"

namespace helmax::dttest {

// 14 March 2024, 15:30:45.250 (a Thursday).
constexpr double kFixedNow = 45365.0 + (15 * 3600 + 30 * 60 + 45.25) / 86400.0;

inline void FixClock(THelmaxDateTimeEval& e, double now = kFixedNow) {
  e.SetClock([now] { return now; });
}

// Result texts joined by "; ", or the host formatter's line on failure.
inline std::string RunText(THelmaxDateTimeEval& e, const std::string& text) {
  return test::RunTextWith(e, text, "", "");
}

inline std::string RunText(const std::string& text) {
  THelmaxDateTimeEval e;
  FixClock(e);
  return RunText(e, text);
}

// Value of a one-expression text that must evaluate without error.
inline TValue Value(THelmaxDateTimeEval& e, const std::string& text) {
  e.VerifySyntaxSemantics(text);
  TValue r;
  if (!e.Error) e.DoMathExpression(r);
  EXPECT_FALSE(e.Error) << text << ": " << e.ErrorMessage;
  return r;
}

inline double Real(const std::string& text) {
  THelmaxDateTimeEval e;
  FixClock(e);
  const TValue v = Value(e, text);
  EXPECT_TRUE(v.IsReal()) << text << " gives " << ValueToText(v);
  return v.IsReal() ? v.Num : std::nan("");
}

// Math kind of a failing text (-1 when it did not fail, 0 non-math).
inline int FailureKind(const std::string& text) {
  THelmaxDateTimeEval e;
  FixClock(e);
  e.VerifySyntaxSemantics(text);
  if (!e.Error) {
    TValue r;
    e.DoMathExpression(r);
  }
  return e.Error ? e.MathErrorKind : -1;
}

struct TOutcome {
  bool Failed = false;
  std::string Text;
  bool operator==(const TOutcome&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const TOutcome& o) {
  return os << (o.Failed ? "failure: " : "value: ") << o.Text;
}

inline TOutcome Describe(THelmaxDateTimeEval& e, bool compiled) {
  TOutcome o;
  if (compiled) {
    TValue r;
    e.DoMathExpression(r);
    if (!e.Error) {
      o.Text = ValueToText(r) + " kind " + std::to_string(static_cast<int>(r.Kind));
      return o;
    }
  }
  o.Failed = true;
  // Folded failures say "ValFunct->"/"ExceptieFunctie->", run-time ones
  // "ExecuteComand->"; the kind and the pack's own message must agree.
  const std::string& m = e.ErrorMessage;
  const std::size_t colon = m.find(" : ");
  std::string inner = colon == std::string::npos ? m : m.substr(colon + 3);
  if (e.MathErrorKind == 0) {
    const std::size_t tail = inner.rfind(" : ");
    if (tail != std::string::npos) inner.resize(tail);  // the run-time line names the function
  }
  o.Text = "kind " + std::to_string(e.MathErrorKind) + (e.MathErrorKind == 0 ? " " + inner : std::string());
  return o;
}

// Runs pattern with $0, $1, ... replaced by the argument texts (folded while
// compiling) and by host variables holding the same values (evaluated at
// run time); both must give the same value or the same failure.
inline void ExpectSameOutcome(const std::string& pattern, const std::vector<std::string>& args) {
  std::string constant = pattern, variable = pattern;
  std::vector<TValue> cells(args.size());
  TUserVarArray vars;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string slot = "$" + std::to_string(i);
    const std::string name = "v" + std::to_string(i);
    for (std::size_t p; (p = constant.find(slot)) != std::string::npos;) constant.replace(p, slot.size(), args[i]);
    for (std::size_t p; (p = variable.find(slot)) != std::string::npos;) variable.replace(p, slot.size(), name);
    THelmaxDateTimeEval source;
    cells[i] = Value(source, args[i]);
  }
  for (std::size_t i = 0; i < args.size(); ++i) vars.push_back({"v" + std::to_string(i), &cells[i], 0});

  THelmaxDateTimeEval folded;
  FixClock(folded);
  folded.VerifySyntaxSemantics(constant);
  const TOutcome a = Describe(folded, !folded.Error);
  if (!folded.Error) { EXPECT_TRUE(folded.Instructions().empty()) << constant << " should fold completely"; }

  THelmaxDateTimeEval runtime;
  FixClock(runtime);
  runtime.VerifySyntaxSemantics(variable, vars, false);
  ASSERT_FALSE(runtime.Error) << variable << ": " << runtime.ErrorMessage;
  EXPECT_FALSE(runtime.Instructions().empty()) << variable << " should be evaluated at run time";
  const TOutcome b = Describe(runtime, true);
  EXPECT_EQ(a, b) << "folded: " << constant << "   run time: " << variable;
}

}  // namespace helmax::dttest
