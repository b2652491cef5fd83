// Derivation mode of the compiler: the derivative text of every record,
// built as the records are.
#include "CompilerInternals.h"

namespace helmax {

void TCompiler::StartDerivation() {
  Deriving = true;
  Texts = &Scratch.DerivativeTexts;
  Texts->Reset(E.PowerAsOperator);
  Rules = std::make_unique<TDerivativeRules>(*Texts);
  Derived.clear();
  Targets.clear();
  for (std::size_t i = 0; i + 1 < Tokens.size(); ++i)
    if (Tokens[i].Type == TTokenType::Operand && Tokens[i + 1].Type == TTokenType::Operator && Tokens[i + 1].Op == '=')
      Targets.insert(TokenText(Tokens[i].Pos, Tokens[i].Len));
}

[[gnu::noinline]] void TCompiler::DeriveRecord(std::int32_t id) {
  if (Derived.size() < Recs.size()) Derived.resize(Recs.size());
  if (D(id).Done) return;
  const TRec r = R(id);
  TRecordTexts d;
  d.Done = true;
  TDerivativeTexts& t = *Texts;
  switch (r.Node) {
    case TNode::Leaf: {
      const std::string_view token = RecText(r);
      d.Text = r.ExpNumber ? t.Join({"(", token, ")"}) : t.Literal(token);
      d.NamesVariable = token == E.DerivativeVariable;
      d.NamesTarget = Targets.count(token) != 0;
      if (r.Variable < 0) d.Derivative = ConstantDerivative(r);
      else if (!d.NamesTarget) d.Derivative = t.Literal(d.NamesVariable ? "1" : "0");
      break;
    }
    case TNode::Neg: {
      const TRecordTexts& a = D(r.A);
      d.Text = t.Join({"-", a.Text}, R(r.A).Node != TNode::Leaf);
      CopyFlags(d, a);
      // -x is compiled as -1*x and differentiated so.
      d.Derivative = !r.RunTime ? ConstantDerivative(r)
                                : Rules->Operator('*', {t.Literal("-1"), t.Literal("0"), true}, Operand(r.A));
      break;
    }
    case TNode::Binary: {
      // "(" left op right ")", a signed base of a power in parentheses
      // (the derivative rules work on these texts, not on the display
      // form of Render).
      static const char* const kOps[] = {"*", "/", "+", "-", "^", "=", "~"};
      const char* op = kOps[OperatorCode(r.Op) - 1];
      const char lead = t.FirstChar(D(r.A).Text);
      const bool wrapBase = r.Op == '^' && (lead == '-' || lead == '+');
      d.Text = t.Join({"(", wrapBase ? "(" : "", D(r.A).Text, wrapBase ? ")" : "", op, D(r.B).Text, ")"}, true);
      CopyFlags(d, D(r.A));
      CopyFlags(d, D(r.B));
      d.Derivative = BinaryDerivative(r);
      break;
    }
    case TNode::Call: {
      const std::string_view name = RecText(r);
      if (r.A < 0) {
        d.Text = t.Literal(name, true);
      } else {
        std::vector<TDerivativeTexts::TPart> parts{name, "("};
        const std::vector<std::int32_t> items = Items(r.A);
        for (std::size_t i = 0; i < items.size(); ++i) {
          if (i > 0) parts.emplace_back(",");
          parts.emplace_back(D(items[i]).Text);
        }
        parts.emplace_back(")");
        d.Text = t.Join(parts, true);
        CopyFlags(d, D(r.A));
      }
      d.NamesVariable = d.NamesVariable || name == E.DerivativeVariable;
      d.NamesTarget = d.NamesTarget || Targets.count(name) != 0;
      d.CallsRunTimeFunction = d.CallsRunTimeFunction || r.Code >= opFirstExternal + E.ExternalFunctionCount();
      d.Derivative = CallDerivative(r);
      break;
    }
    case TNode::List: {
      // The derivative of a list is made only for the whole text
      // (ListDerivative): argument lists need none.
      std::vector<TDerivativeTexts::TPart> parts{"("};
      for (std::int32_t i = 0; i < r.Count; ++i) {
        const std::int32_t item = ItemPool[static_cast<std::size_t>(r.ItemsStart + i)];
        if (i > 0) parts.emplace_back(",");
        parts.emplace_back(D(item).Text);
        CopyFlags(d, D(item));
      }
      parts.emplace_back(")");
      d.Text = t.Join(parts, true);
      break;
    }
  }
  D(id) = d;
}

TDText TCompiler::BinaryDerivative(const TRec& r) {
  TDerivativeTexts& t = *Texts;
  if (r.Op == '=') return D(r.B).Derivative;
  if (r.Op == '~') {
    // The definition itself, not differentiated.
    std::string body = t.Raw(D(r.B).Text);
    return t.Literal(t.Raw(D(r.A).Text) + "~" +
                     std::string(StripEnclosingParentheses(RemoveRedundantParentheses(body))));
  }
  if (!r.RunTime) return ConstantDerivative(r);
  if (r.Op == '^') return Rules->Power(Operand(r.A), Operand(r.B), ExponentMinusOne(r.B));
  return Rules->Operator(r.Op, Operand(r.A), Operand(r.B));
}

TDText TCompiler::CallDerivative(const TRec& r) {
  TDerivativeTexts& t = *Texts;
  const int code = r.Code;
  const bool folded = !r.RunTime;
  const std::vector<std::int32_t> items = Items(r.A);
  auto orNan = [&](TDText d) -> TDerivativeTexts::TPart {
    if (d == nullptr) return "nan";
    return d;
  };
  if (code <= opLastBuiltin) {
    switch (BuiltinInfo(code).Derivative) {
      case TDerivativeRule::Zero: return t.Literal("0");
      case TDerivativeRule::Missing: return nullptr;
      case TDerivativeRule::Chain:
        if (folded) return ConstantDerivative(r);
        return Rules->OneArgument(code, D(r.A).Text, D(r.A).Derivative);
      case TDerivativeRule::ZeroUnlessVariable:
        if (folded) return ConstantDerivative(r);
        return Depends(r.A) ? nullptr : t.Literal("0");
      case TDerivativeRule::Special: break;
    }
    switch (code) {
      case opArctan:
        if (folded) return ConstantDerivative(r);
        if (items.size() == 1) return Rules->OneArgument(code, D(r.A).Text, D(r.A).Derivative);
        return Rules->Angle(Operand(items[0]), Operand(items[1]));
      case opArctan2:
        if (folded) return ConstantDerivative(r);
        return Rules->Angle(Operand(items[1]), Operand(items[0]));
      case opLogN:
        if (folded) return ConstantDerivative(r);
        return Rules->LogN(Operand(items[0]), Operand(items[1]));
      case opPower:
        if (folded) return ConstantDerivative(r);
        return Rules->Power(Operand(items[0]), Operand(items[1]), ExponentMinusOne(items[1]));
      case opEq:
        if (folded) {
          if (!IsNaNValue(*r.Cells[0])) return t.Literal("0");
          auto nanOrZero = [&](std::int32_t item) { return IsNaNValue(*R(item).Cells[0]) ? "nan" : "0"; };
          return t.Join({"eq(", nanOrZero(items[0]), ",", nanOrZero(items[1]), ")"});
        }
        return t.Join({"eq(", orNan(D(items[0]).Derivative), ",", orNan(D(items[1]).Derivative), ")"});
      case opIf:
        if (items.size() == 2) return t.Join({"if(", D(items[0]).Text, ",", orNan(D(items[1]).Derivative), ")"});
        return t.Join(
            {"if(", D(items[0]).Text, ",", orNan(D(items[1]).Derivative), ",", orNan(D(items[2]).Derivative), ")"});
      case opBk: return D(items.back()).Derivative;
      default: return nullptr;
    }
  }
  const int e = E.ExternalFunctionCount();
  if (code < opFirstExternal + e) {
    const TUserFuncRec& f = E.UserFunctions_[static_cast<std::size_t>(code - opFirstExternal)];
    if (f.ArgCount == kVolatileNoArguments) return ConstantDerivative(r);
    if (folded) {
      for (std::int32_t item : items)
        if (IsNaNValue(*R(item).Cells[0])) return nullptr;
      return t.Literal("0");
    }
    return Depends(r.A) ? nullptr : t.Literal("0");
  }
  // A run-time function: the call with a prime mark, not differentiated.
  return t.Join({RecText(r), "(", D(r.A).Text, ")'"});
}

std::string TCompiler::FinalDerivative(std::int32_t top) {
  TDText d = D(top).Derivative;
  if (R(top).Node == TNode::List) {
    std::vector<TDerivativeTexts::TPart> parts{"("};
    for (std::int32_t i = 0; i < R(top).Count; ++i) {
      if (i > 0) parts.emplace_back(",");
      const TDText item = D(ItemPool[static_cast<std::size_t>(R(top).ItemsStart + i)]).Derivative;
      if (item == nullptr) parts.emplace_back("nan");
      else parts.emplace_back(item);
    }
    parts.emplace_back(")");
    d = Texts->Join(parts);
  }
  std::string text = Texts->Tidied(d);
  return text.empty() ? "nan" : text;
}

}  // namespace helmax
