#include "ConstantList.h"
#include "FixedTexts.h"

#include "SameValueApprox.h"
#include "TextFile.h"
#include "TextUtil.h"

namespace helmax {

const std::array<const char*, InternalConstantCount> kInternalConstantNames = {
    "from", "to", "step", "colwidth", "dettolerance", "integrtolerance"};

std::string InternalConstantsText() {
  std::string text;
  for (const char* n : kInternalConstantNames) {
    if (!text.empty()) text += ",";
    text += std::string(n) + "=_" + n;
  }
  return text;
}

TConstRec InternalConstantRow(int row) {
  const char* n = kInternalConstantNames.at(static_cast<std::size_t>(row - 1));
  return {ToUpperAscii(n), "", std::string("_") + n, texts::kInternalConstant};
}

namespace {

std::string LineBreaksToSpaces(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      out.push_back(' ');
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) {
    if (!out.empty()) out += ",";
    out += n;
  }
  return out;
}

std::string Assignments(const std::vector<std::string>& names, const std::vector<std::string>& expressions) {
  std::string out;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out += ",";
    out += names[i] + "=" + expressions[i];
  }
  return out;
}

// Detaches an engine's error events for checks whose failures are expected.
class TQuietEvents {
 public:
  explicit TQuietEvents(THelmaxComplexEval& e)
      : E_(e), Parse_(std::move(e.OnParseError)), Exec_(std::move(e.OnExecuteError)) {
    E_.OnParseError = nullptr;
    E_.OnExecuteError = nullptr;
  }
  ~TQuietEvents() {
    E_.OnParseError = std::move(Parse_);
    E_.OnExecuteError = std::move(Exec_);
  }

 private:
  THelmaxComplexEval& E_;
  TEngineEvent Parse_, Exec_;
};

}  // namespace

TConstantList::TConstantList(THelmaxComplexEval& constantsEngine, const TUserFuncArray& functions,
                             TConstantListHost& host, TUserInterface& ui)
    : Constants_(constantsEngine), Validation_(functions), Host_(host), Ui_(ui) {
  Host_.PrepareEngine(Validation_);
  Reset();
}

void TConstantList::Reset() {
  Rows_.clear();
  for (int row = 1; row <= InternalConstantCount; ++row) Rows_.push_back(InternalConstantRow(row));
  Constants_.ProtectDigitVariables = false;
  Constants_.ProtectOtherVariables = false;
  Constants_.VerifySyntaxSemantics(InternalConstantsText());
  if (!Constants_.Error) Constants_.DoVectorOfMathExpressions();
  Constants_.ProtectDigitVariables = true;
  Constants_.ProtectOtherVariables = true;
  Host_.ConstantsRecompiled();
  RefreshValueTexts();
}

std::string TConstantList::AssignmentsText() const {
  std::string out;
  for (const TConstRec& r : Rows_) {
    if (!out.empty()) out += ",";
    out += r.Name + "=" + r.Expression;
  }
  return out;
}

std::string TConstantList::JoinedNames(int exceptRow) const {
  std::string out;
  for (int i = 1; i <= Constants_.VariableCount(); ++i) {
    if (i == exceptRow) continue;
    if (!out.empty()) out += ",";
    out += Constants_.GetVarName(i);
  }
  return out;
}

void TConstantList::RefreshValueTexts() {
  const std::vector<TVariable*>* vars = Constants_.Variables();
  for (std::size_t i = 0; i < Rows_.size(); ++i)
    Rows_[i].Value = (vars != nullptr && i < vars->size()) ? ValueToText(*(*vars)[i]->Value) : std::string();
}

void TConstantList::Refresh() {
  Constants_.DoVectorOfMathExpressions();
  RefreshValueTexts();
}

// Compiles assignments in the constants engine (with a name list, or the
// text alone) and runs them; the protection switches are set again after.
bool TConstantList::CompileConstantsEngine(const std::string& assignments, const std::string* names) {
  Constants_.ProtectDigitVariables = false;
  Constants_.ProtectOtherVariables = false;
  if (names != nullptr) Constants_.VerifySyntaxSemantics(assignments, *names, false);
  else Constants_.VerifySyntaxSemantics(assignments);
  const bool ok = !Constants_.Error && Constants_.DoVectorOfMathExpressions() != nullptr;
  Constants_.ProtectDigitVariables = true;
  Constants_.ProtectOtherVariables = true;
  Host_.ConstantsRecompiled();
  return ok;
}

bool TConstantList::AddConst(int t, const std::string& rawName, const std::string& expressionText,
                             const std::string& rawDescription) {
  const int rowCount = RowCount();
  if (t < 1 || t > rowCount) return false;
  const bool isNew = t == rowCount;

  Validation_.ProtectDigitVariables = true;
  Validation_.ProtectOtherVariables = true;
  const std::string otherNames = JoinedNames(t);
  Validation_.VerifySyntaxSemantics("Null", otherNames, false);
  if (Validation_.Error) {
    Ui_.ShowMessage(Validation_.RanOutOfMemory() ? texts::kOutOfMemory
                                                 : texts::kInvalidConstantNamePrefix + otherNames);
    return false;
  }
  if (!Validation_.IsValidIdentName(rawName)) {
    Ui_.ShowMessage(Validation_.ErrorMessage);
    return false;
  }
  const std::string name(Trim(rawName));
  // The constants engine also knows the date-time pack's function names,
  // which the validation engine does not carry.
  if ((isNew || !EqualsIgnoringCase(name, Rows_[static_cast<std::size_t>(t - 1)].Name)) &&
      !Constants_.IsValidIdentName(name)) {
    Ui_.ShowMessage(Constants_.ErrorMessage);
    return false;
  }
  // Descriptions end up in a document line, whose reader splits at these.
  const std::string description = LineBreaksToSpaces(rawDescription);
  if (description.find_first_of("=;{}") != std::string::npos) {
    Ui_.ShowMessage(texts::kInvalidDescriptionPrefix + rawDescription);
    return false;
  }

  std::vector<std::string> names, expressions;
  for (const TConstRec& r : Rows_) names.push_back(r.Name);
  if (isNew) names.push_back(name);
  else names[static_cast<std::size_t>(t - 1)] = name;
  const std::string namesText = JoinNames(names);
  const std::string expression = RemoveLineEnds(expressionText);

  Validation_.VerifySyntaxSemantics(expression, namesText, false);
  if (Validation_.Error) {
    Ui_.ShowMessage(texts::kInvalidExpressionPrefix + expressionText);
    return false;
  }
  // Evaluate it once over the current values; the constant itself is Null,
  // so an expression that names itself gives Null.
  if (const std::vector<TVariable*>* vars = Validation_.Variables()) {
    const std::vector<TVariable*>* current = Constants_.Variables();
    for (std::size_t i = 0; i < vars->size(); ++i) {
      if (static_cast<int>(i) + 1 == t || current == nullptr || i >= current->size()) *(*vars)[i]->Value = TValue();
      else *(*vars)[i]->Value = *(*current)[i]->Value;
    }
  }
  TValue probe;
  Validation_.DoMathExpression(probe);
  if (Validation_.Error || probe.IsNull()) {
    Ui_.ShowMessage(texts::kInvalidExpressionPrefix + expressionText);
    return false;
  }

  Validation_.ProtectDigitVariables = false;
  Validation_.ProtectOtherVariables = false;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (static_cast<int>(i) + 1 == t) {
      expressions.push_back(expression);
    } else {
      names[i] = Validation_.GetVarName(static_cast<int>(i) + 1);
      expressions.push_back(Rows_[i].Expression);
    }
  }
  const std::string assignments = Assignments(names, expressions);
  const std::string invalidAssignment = texts::kInvalidExpressionPrefix + name + "=" + expression;
  Validation_.VerifySyntaxSemantics(assignments, namesText, false);
  if (Validation_.Error || Validation_.DoVectorOfMathExpressions() == nullptr) {
    Ui_.ShowMessage(invalidAssignment);
    return false;
  }
  const std::vector<TVariable*>& values = *Validation_.Variables();
  for (const TVariable* v : values)
    if (v->Value->IsNull()) {
      Ui_.ShowMessage(invalidAssignment);
      return false;
    }

  // The internal constants must stay real and acceptable to their setters.
  double saved[InternalConstantCount];
  for (int l = 1; l <= InternalConstantCount; ++l) saved[l - 1] = Host_.GetParameter(l);
  auto restoreParameters = [&] {
    for (int l = 1; l <= InternalConstantCount; ++l) Host_.SetParameter(l, saved[l - 1]);
  };
  if (t <= InternalConstantCount) {
    const TValue& v = *values[static_cast<std::size_t>(t - 1)]->Value;
    if (!v.IsReal()) {
      Ui_.ShowMessage(invalidAssignment);
      return false;
    }
    bool refused = false;
    for (int l = 1; l <= InternalConstantCount; ++l) {
      const TValue& value = *values[static_cast<std::size_t>(l - 1)]->Value;
      const double wanted = value.IsReal() ? value.Num : EngineNaN();
      Host_.SetParameter(l, wanted);
      if (!SameRealApprox(Host_.GetParameter(l), wanted)) {
        Ui_.ShowMessage(texts::kInvalidValuePrefix + names[static_cast<std::size_t>(l - 1)] + " = " +
                        ValueToText(value));
        refused = true;
      }
    }
    if (refused) {
      restoreParameters();
      return false;
    }
  }

  if (!CompileConstantsEngine(assignments, &namesText)) {
    // Put the constants engine back as it was; the list is unchanged.
    std::vector<std::string> oldNames;
    for (const TConstRec& r : Rows_) oldNames.push_back(r.Name);
    const std::string oldNamesText = JoinNames(oldNames);
    CompileConstantsEngine(AssignmentsText(), &oldNamesText);
    restoreParameters();
    Ui_.ShowMessage(texts::kProgramingError);
    return false;
  }

  if (isNew) Rows_.push_back({});
  TConstRec& row = Rows_[static_cast<std::size_t>(t - 1)];
  row.Name = name;
  row.Expression = expression;
  row.Description = description;
  RefreshValueTexts();
  Host_.RevalidateFunctionVariable(true);
  return true;
}

bool TConstantList::DeleteConsts(const std::string& fromText, const std::string& countText) {
  int from = 0, count = 0;
  if (!ParseInteger(fromText, from)) {
    Ui_.ShowMessage("'" + fromText + "' is not a valid integer value");
    return false;
  }
  if (!ParseInteger(countText, count)) {
    Ui_.ShowMessage("'" + countText + "' is not a valid integer value");
    return false;
  }
  if (from <= InternalConstantCount) {
    Ui_.ShowMessage(texts::kCannotDeleteInternalConstants);
    return false;
  }
  if (count < 1) {
    Ui_.ShowMessage(texts::kInvalidCount);
    return false;
  }
  if (!Ui_.AskYesNo(texts::kAreYouSure)) return false;
  const int rowCount = RowCount();
  if (from >= rowCount) {
    Ui_.ShowMessage(texts::kInvalidNumberSign);
    return false;
  }
  const int end = (count >= rowCount - from) ? rowCount : from + count;  // one past the range

  // A remaining constant depends on the range when its expression no longer
  // compiles with only the remaining names (unknown variable).
  std::vector<std::string> remaining;
  for (int r = 1; r < rowCount; ++r)
    if (r < from || r >= end) remaining.push_back(Rows_[static_cast<std::size_t>(r - 1)].Name);
  const std::string remainingText = JoinNames(remaining);
  {
    TQuietEvents quiet(Validation_);
    for (int r = end; r < rowCount; ++r) {
      const TConstRec& row = Rows_[static_cast<std::size_t>(r - 1)];
      Validation_.VerifySyntaxSemantics(row.Expression, remainingText, false);
      if (Validation_.Error && Validation_.ErrorCode == ecUnknownVariable) {
        Ui_.ShowMessage(texts::kCannotDeleteVariableDependecePrefix + row.Name);
        return false;
      }
    }
  }

  const std::vector<TConstRec> before = Rows_;
  Rows_.erase(Rows_.begin() + (from - 1), Rows_.begin() + (end - 1));
  if (!CompileConstantsEngine(AssignmentsText(), nullptr)) {
    // Keep the former list rather than a half-deleted one.
    Rows_ = before;
    CompileConstantsEngine(AssignmentsText(), nullptr);
    RefreshValueTexts();
    Ui_.ShowMessage(texts::kProgramingErrorExclaimed);
    return false;
  }
  RefreshValueTexts();
  Host_.RevalidateFunctionVariable(false);
  return true;
}

}  // namespace helmax
