// The compiler: reduces the normalised text, bottom-up, to sub-expression
// records, folding every operation whose operands are known and emitting
// instructions for the rest.
//
// The reduction is an operator-precedence parser with explicit stacks, so
// neither deep nesting nor long chains use the native stack. Sub-expressions
// are shared through a key made of their operator and the numbers of their
// operand records, which identifies equal normalised texts without building
// the texts; the texts themselves are produced only when a message, a
// run-time function definition or the display form needs them. Programs are
// kept as a tree of concatenations and flattened once at the end, which keeps
// the whole compile linear in the length of the text.
#include "CompilerInternals.h"
#include "FixedTexts.h"

namespace helmax {

void THelmaxComplexEval::VerifySyntaxSemantics(std::string_view text) {
  CompileMode_ = TCompileMode::AutoDeclare;
  CompileText(text, {}, nullptr, true, false, {});
}

void THelmaxComplexEval::VerifySyntaxSemantics(std::string_view text, std::string_view names, bool autoDeclare) {
  CompileMode_ = TCompileMode::NameList;
  CompileText(text, names, nullptr, autoDeclare, false, {});
}

void THelmaxComplexEval::VerifySyntaxSemantics(std::string_view text, const TUserVarArray& variables,
                                               bool autoDeclare) {
  CompileMode_ = TCompileMode::SharedVariables;
  CompileText(text, {}, &variables, autoDeclare, false, {});
}

void THelmaxComplexEval::VerifySyntaxSemanticsAndDerivation(std::string_view text, std::string_view names,
                                                            bool autoDeclare, std::string_view variable) {
  CompileMode_ = TCompileMode::NameList;
  CompileText(text, names, nullptr, autoDeclare, true, variable);
}

namespace {

// Name-list registration: items in order; an empty item makes the rest of
// the list (comma included) the next name, which then fails the check.
void RegisterNameList(THelmaxComplexEval& e, std::string_view names) {
  std::size_t pos = 0;
  int index = 1;
  while (pos < names.size()) {
    std::size_t comma = names.find(',', pos);
    std::string_view item = names.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos);
    if (Trim(item).empty() && comma != std::string_view::npos) item = names.substr(pos);
    if (!e.NameVariable(index, item)) throw TCompileFailure{e.ErrorCode, e.ErrorMessage};
    ++index;
    if (comma == std::string_view::npos) break;
    pos = comma + 1;
  }
}

}  // namespace

void THelmaxComplexEval::CompileText(std::string_view text, std::string_view names, const TUserVarArray* variables,
                                     bool autoDeclare, bool derivation, std::string_view derivativeVariable) {
  MathErrorKind = -1;
  Error = false;
  ErrorMessage.clear();
  FreeInternal();
  if (derivation) {
    if (!IsValidIdentName(derivativeVariable)) {
      ErrorMessage = texts::kVerifySyntaxSemanticsRuleInvalidDerivativeVariableName + ErrorMessage;
      ErrorCode = ecDerivativeVariable;
      Error = true;
      FireParseError();
      return;
    }
    DerivationMode = true;
    // The name as the identifier check reads it: (X) is x.
    DerivativeVariable = ToLowerAscii(StripEnclosingParentheses(Trim(derivativeVariable)));
  }
  try {
    if (CompileMode_ == TCompileMode::NameList) {
      RegisterNameList(*this, names);
    } else if (CompileMode_ == TCompileMode::SharedVariables && variables != nullptr) {
      std::int32_t firstCode = 0;
      bool failed = false;
      for (std::size_t k = 0; k < variables->size(); ++k) {
        const TUserVarRec& v = (*variables)[k];
        if (!NameSharedVariable(static_cast<int>(k) + 1, v.Name, v.Protected != 0, v.Value)) {
          if (!failed) firstCode = ErrorCode;
          failed = true;
        }
      }
      if (failed) throw TCompileFailure{firstCode, ErrorMessage};
    }
    Error = false;
    if (autoDeclare) CompileMode_ = TCompileMode::AutoDeclare;

    if (!Scratch_) Scratch_ = std::make_shared<TCompileScratch>();
    TCompiler c(*this, *Scratch_);
    std::size_t operatorCount = 0;
    if (!NormalisePlainText(text, c.Text, c.Tokens, operatorCount)) {
      if (TPassError err = CheckParentheses(text)) throw TCompileFailure{err.Code, err.Message, err.Position};
      if (TPassError err = RemoveBlanks(text, ImplicitMultiplication, c.Text, operatorCount))
        throw TCompileFailure{err.Code, err.Message, err.Position};
      if (c.Text.empty())
        throw TCompileFailure{ecEmptyExpression, texts::kVerifySyntaxSemanticsRuleMathExpressionIsEmpty};
      for (char& ch : c.Text) ch = LowerAscii(ch);
      if (TPassError err = Tokenize(c.Text, c.Tokens)) throw TCompileFailure{err.Code, err.Message};
    }
    Instructions_.reserve(operatorCount + 1);
    c.SharedShapes.Reset(operatorCount + 1);
    c.SharedLeaves.Reset((c.Tokens.size() - operatorCount) / 2 + 1);
    if (DerivationMode) c.StartDerivation();

    const std::int32_t top = c.Run();

    for (const TRunTimeFunction& f : RunTimeFunctions_)
      if (f.Params == nullptr)
        throw TCompileFailure{ecFunctionNotDefined,
                              texts::kVerifySyntaxSemanticsRuleFunctionWasNotImplimentedPrefix + f.Name};

    const TRec& t = c.R(top);
    Results = t.Cells;
    ExpressionCount = t.Count;
    DependsOnVariables = t.RunTime;
    InvariantExpression = t.Invariant;
    ProtectedExpression = t.NotAssignable;
    MainProgram_ = c.Materialize(t.Prog);
    MathExpressionString = OriginalMathExpressionString_ ? std::string(text) : TidySigns(c.Render(top));
    if (DerivationMode) DerivativeString = c.FinalDerivative(top);
    Error = false;
    ErrorCode = 0;
    ErrorMessage.clear();
  } catch (TCompileFailure& f) {
    const std::int32_t kind = MathErrorKind;
    FreeInternal();
    MathErrorKind = kind;
    Error = true;
    ErrorMessage = std::move(f.Message);  // (no allocation here)
    ErrorCode = f.Code != 0 ? f.Code : ecInvalidExpression;
    ErrorPosition_ = f.Position;
    FireParseError();
  } catch (const std::bad_alloc&) {
    FreeInternal();
    // The working storage may be half updated: the next compile starts
    // from fresh storage (engines that share it keep theirs).
    Scratch_.reset();
    Error = true;
    MathErrorKind = 0;
    ErrorCode = ecOutOfMemory;
    ErrorMessage.clear();
    try {
      ErrorMessage = "VerifySyntaxSemanticsRule-> OUT OF MEMORY";
    } catch (const std::bad_alloc&) {
      // The code says it.
    }
    FireParseError();
  }
  if (Scratch_) Scratch_->Trim();
  TrimStorage();
}

void THelmaxComplexEval::ShareCompileStorage(THelmaxComplexEval& other) {
  if (!other.Scratch_) other.Scratch_ = std::make_shared<TCompileScratch>();
  Scratch_ = other.Scratch_;
}

}  // namespace helmax
