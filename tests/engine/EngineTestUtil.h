// Shared helpers for the engine tests: compile a text, run it, and describe
// the outcome as the lines a user would see.
#pragma once

#include <string>
#include <vector>

#include "ErrorText.h"
#include "HelmaxComplexEval.h"

namespace helmax::test {

// Result texts of a one-argument compile and one evaluation, joined by "; ",
// or the host formatter's line on failure after parsePrefix / execPrefix.
inline std::string RunTextWith(THelmaxComplexEval& e, const std::string& text, const char* parsePrefix,
                               const char* execPrefix) {
  e.VerifySyntaxSemantics(text);
  if (e.Error) return parsePrefix + ParseErrorLine(e);
  TValue* const* r = e.DoVectorOfMathExpressions();
  if (r == nullptr) return execPrefix + ExecuteErrorLine(e);
  std::string out;
  for (int i = 0; i < e.ExpressionCount; ++i) {
    if (i > 0) out += "; ";
    out += ValueToText(*r[i]);
  }
  return out;
}

// The same with the failures prefixed "parse: " / "exec: ".
inline std::string RunText(THelmaxComplexEval& e, const std::string& text) {
  return RunTextWith(e, text, "parse: ", "exec: ");
}

inline std::string RunText(const std::string& text) {
  THelmaxComplexEval e;
  return RunText(e, text);
}

// Registration record of a plain external function.
inline TUserFuncRec Procedure(const std::string& name, TUserProcedure fn, std::int32_t argCount = 1) {
  TUserFuncRec r;
  r.Name = name;
  r.Kind = ufProcedure;
  r.Procedure = fn;
  r.ArgCount = argCount;
  return r;
}

inline TUserFuncRec Method(const std::string& name, TUserMethod fn, std::int32_t argCount = 1) {
  TUserFuncRec r;
  r.Name = name;
  r.Kind = ufMethod;
  r.Method = std::move(fn);
  r.ArgCount = argCount;
  return r;
}

// Error code of a one-argument compile (0 when it compiled).
inline int CompileCode(const std::string& text) {
  THelmaxComplexEval e;
  e.VerifySyntaxSemantics(text);
  return e.Error ? e.ErrorCode : 0;
}

}  // namespace helmax::test
