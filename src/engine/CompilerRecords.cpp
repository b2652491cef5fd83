// The compiler's records: leaves, lists, the normalised text of a record and
// the flattening of a record's program into instructions.
#include "CompilerInternals.h"
#include "FixedTexts.h"

namespace helmax {

TProgram TCompiler::Materialize(std::int32_t piece) const {
  TProgram out;
  std::vector<std::int32_t> stack;
  if (piece >= 0) stack.push_back(piece);
  while (!stack.empty()) {
    const std::int32_t p = stack.back();
    stack.pop_back();
    const TPiece& pc = Pieces[static_cast<std::size_t>(p)];
    if (pc.Instr > 0) {
      out.push_back(pc.Instr);
    } else {
      if (pc.B >= 0) stack.push_back(pc.B);
      if (pc.A >= 0) stack.push_back(pc.A);
    }
  }
  return out;
}

std::string TCompiler::Render(std::int32_t id) {
  struct TFrag {
    std::int32_t Rec;
    std::string_view Literal;
  };
  std::string out;
  std::vector<TFrag> stack{{id, {}}};
  while (!stack.empty()) {
    TFrag f = stack.back();
    stack.pop_back();
    if (f.Rec < 0) {
      out += f.Literal;
      continue;
    }
    const TRec& r = R(f.Rec);
    switch (r.Node) {
      case TNode::Leaf:
        if (r.ExpNumber) {
          out += '(';
          out += RecText(r);
          out += ')';
        } else {
          out += RecText(r);
        }
        break;
      case TNode::Binary: {
        static const char* const kOps[] = {"*", "/", "+", "-", "^", "=", "~"};
        const std::string_view op = kOps[OperatorCode(r.Op) - 1];
        // A negated operand keeps its parentheses, so that the text reads
        // back as the same expression: ((-x)^2), not (-x^2); (a-(-x)).
        const bool wrapLeft = R(r.A).Node == TNode::Neg;
        const bool wrapRight = R(r.B).Node == TNode::Neg;
        stack.push_back({-1, ")"});
        if (wrapRight) stack.push_back({-1, ")"});
        stack.push_back({r.B, {}});
        if (wrapRight) stack.push_back({-1, "("});
        stack.push_back({-1, op});
        if (wrapLeft) stack.push_back({-1, ")"});
        stack.push_back({r.A, {}});
        if (wrapLeft) stack.push_back({-1, "("});
        stack.push_back({-1, "("});
        break;
      }
      case TNode::Neg:
        stack.push_back({r.A, {}});
        stack.push_back({-1, "-"});
        break;
      case TNode::Call:
        if (r.A >= 0) {
          stack.push_back({-1, ")"});
          const TRec& a = R(r.A);
          if (a.Node == TNode::List) {
            for (std::int32_t i = a.Count - 1; i >= 0; --i) {
              stack.push_back({ItemPool[static_cast<std::size_t>(a.ItemsStart + i)], {}});
              if (i > 0) stack.push_back({-1, ","});
            }
          } else {
            stack.push_back({r.A, {}});
          }
          stack.push_back({-1, "("});
        }
        stack.push_back({-1, RecText(r)});
        break;
      case TNode::List:
        stack.push_back({-1, ")"});
        for (std::int32_t i = r.Count - 1; i >= 0; --i) {
          stack.push_back({ItemPool[static_cast<std::size_t>(r.ItemsStart + i)], {}});
          if (i > 0) stack.push_back({-1, ","});
        }
        stack.push_back({-1, "("});
        break;
    }
  }
  return out;
}

std::int32_t TCompiler::Leaf(const TToken& tok, std::uint32_t hash) {
  const std::string_view text = TokenText(tok.Pos, tok.Len);
  if (std::int32_t found = FindLeaf(text, hash); found >= 0) return found;

  TRec shape;
  shape.Node = TNode::Leaf;
  SetLeafText(shape, tok);
  shape.Invariant = true;

  if (tok.Type == TTokenType::ExpNumber) {
    shape.ExpNumber = true;
    double value = 0;
    bool overflow = false;
    ParseRealLiteral(text, value, overflow);  // the token reader checked it
    return RememberLeaf(hash, Constant(TValue::MakeReal(value), shape));
  }
  if (IsDecimalNumber(text)) {
    if (E.CurrencyNumbers_) {
      std::int64_t scaled = 0;
      if (!ParseCurrencyLiteral(text, scaled)) Fail(ecSyntax, texts::kCompileSyntaxErrorPrefix + std::string(text));
      return RememberLeaf(hash, Constant(TValue::MakeCurrency(scaled), shape));
    }
    double value = 0;
    bool overflow = false;
    if (!ParseRealLiteral(text, value, overflow) || overflow)
      Fail(ecSyntax, texts::kCompileSyntaxErrorPrefix + std::string(text));
    return RememberLeaf(hash, Constant(TValue::MakeReal(value), shape));
  }
  if (int index = E.FindVariable(text); index >= 0) return RememberLeaf(hash, VariableRecord(index, tok));
  if (LooksLikeDateTimeLiteral(text)) {
    double serial = 0;
    std::string reason;
    if (!ParseDateTimeLiteral(text, serial, reason))
      Fail(ecSyntax, texts::kCompileSyntaxErrorPrefix + std::string(text));
    return RememberLeaf(hash, Constant(TValue::MakeDateTime(serial), shape));
  }
  if (std::int32_t code = FindFunction(text); code != 0) {
    std::int32_t id = CompileCall(code, -1, tok.Pos, tok.Len);
    return RememberLeaf(hash, id);
  }
  if (E.CompileMode_ == TCompileMode::AutoDeclare) {
    if (!E.NameVariable(E.VariableCount() + 1, text)) {
      E.Error = false;
      FailInReduction(E.ErrorCode, E.ErrorMessage, std::string(text));
    }
    return RememberLeaf(hash, VariableRecord(E.VariableCount() - 1, tok));
  }
  if (E.IsValidIdentName(text))
    Fail(ecUnknownVariable, texts::kExpresieSemanticCorectaUnknownVariablePrefix + std::string(text));
  Fail(ecSyntax, texts::kCompileSyntaxErrorPrefix + std::string(text));
}

std::int32_t TCompiler::MakeList(const std::vector<std::int32_t>& items, bool remembered) {
  std::string key;
  if (remembered) {
    for (std::int32_t i : items) AppendKeyInt(key, i);
    if (auto it = SharedLists.find(key); it != SharedLists.end()) return it->second;
  }
  TRec r;
  r.Node = TNode::List;
  r.ItemsStart = static_cast<std::int32_t>(ItemPool.size());
  std::vector<TValue*> cells;
  cells.reserve(items.size());
  // The items of a long list lie far apart: their records are fetched
  // 64 items ahead, their cell arrays 32 ahead (less left them arriving
  // late in a pane of 20,000 expressions).
  constexpr std::size_t kAhead = 32;
  for (std::size_t k = 0; k < items.size(); ++k) {
    if (k + 2 * kAhead < items.size()) __builtin_prefetch(&R(items[k + 2 * kAhead]));
    if (k + kAhead < items.size()) __builtin_prefetch(R(items[k + kAhead]).Cells);
    const std::int32_t i = items[k];
    const TRec& it = R(i);
    ItemPool.push_back(i);
    for (std::int32_t c = 0; c < it.Count; ++c) cells.push_back(it.Cells[c]);
    r.RunTime = r.RunTime || it.RunTime;
    r.Invariant = r.Invariant && it.Invariant;
    r.Volatile = r.Volatile || it.Volatile;
    r.Prog = Concat(r.Prog, it.Prog);
  }
  r.Count = static_cast<std::int32_t>(cells.size());
  TValue** arr = E.NewOperands(cells.size());
  for (std::size_t i = 0; i < cells.size(); ++i) arr[i] = cells[i];
  r.Cells = arr;
  const std::int32_t id = AddRec(r);
  if (remembered && !r.Volatile) SharedLists.emplace(std::move(key), id);
  return id;
}

}  // namespace helmax
