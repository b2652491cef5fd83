// The reduction of the compiler: the operator-precedence parse of the token
// list, the folding of operations with known operands and the compiling of
// function applications.
#include "CompilerInternals.h"
#include "FixedTexts.h"

namespace helmax {

std::int32_t TCompiler::Neg(std::int32_t x) {
  if (R(x).Node == TNode::Neg) return R(x).A;  // -(-x) is x again
  const TShapeKey key{kTagNeg, x, 0};
  if (std::int32_t found = FindShape(key); found >= 0) return found;
  const TRec& xr = R(x);
  TRec r;
  r.Node = TNode::Neg;
  r.A = x;
  r.Invariant = xr.Invariant;
  r.Volatile = xr.Volatile;
  if (!xr.RunTime) {
    TValue out;
    FoldArithmetic('*', TValue::MakeReal(-1.0), *xr.Cells[0], out, nullptr, nullptr, [&] {
      return TFoldTexts{"-1", Shown(x), std::string("-").append(Render(x))};
    });
    return Remember(key, Constant(out, r));
  }
  if (MinusOne == nullptr) {
    MinusOne = E.NewCell();
    *MinusOne = TValue::MakeReal(-1.0);
  }
  TValue* result = E.NewCell();
  const std::int32_t instr = Emit(opMul, {MinusOne, xr.Cells[0]}, result);
  r.Cells = OneCell(result);
  r.RunTime = true;
  r.Prog = Concat(xr.Prog, Piece(instr));
  return Remember(key, AddRec(r));
}

std::int32_t TCompiler::Binary(char op, std::int32_t l, std::int32_t rr) {
  const TShapeKey key{kTagBinary | static_cast<std::uint8_t>(op), l, rr};
  if (std::int32_t found = FindShape(key); found >= 0) return found;

  TRec r;
  r.Node = TNode::Binary;
  r.Op = op;
  r.A = l;
  r.B = rr;
  r.Volatile = R(l).Volatile || R(rr).Volatile;
  r.Invariant = R(l).Invariant && R(rr).Invariant;

  if (op == '=') return Remember(key, Assign(r));
  if (op == '~') return Remember(key, Define(r));

  const TRec& lr = R(l);
  const TRec& rrec = R(rr);
  // An exponent written p/q is a rational power: the odd root of a
  // negative base is real.
  const bool rational = op == '^' && rrec.Node == TNode::Binary && rrec.Op == '/';
  if (!lr.RunTime && !rrec.RunTime) {
    TValue out;
    const TValue* p = rational ? R(rrec.A).Cells[0] : nullptr;
    const TValue* q = rational ? R(rrec.B).Cells[0] : nullptr;
    // (The failure texts build a record of their own: r, captured, would
    // have to live in memory, and its copies would wait on its stores.)
    FoldArithmetic(op, *lr.Cells[0], *rrec.Cells[0], out, p, q, [this, op, l, rr] {
      TRec shown;
      shown.Node = TNode::Binary;
      shown.Op = op;
      shown.A = l;
      shown.B = rr;
      const std::int32_t tmp = AddRec(shown);
      TFoldTexts t{Shown(l), Shown(rr), Shown(tmp)};
      Recs.pop_back();
      return t;
    });
    return Remember(key, Constant(out, r));
  }
  TValue* result = E.NewCell();
  std::int32_t instr;
  if (rational) {
    instr = Emit(opPow, {lr.Cells[0], R(rrec.A).Cells[0], R(rrec.B).Cells[0]}, result);
  } else {
    instr = Emit(static_cast<std::uint16_t>(OperatorCode(op)), {lr.Cells[0], rrec.Cells[0]}, result);
  }
  if ((op == '*' && lr.RunTime && rrec.RunTime) || (op == '/' && rrec.RunTime) || op == '^') E.LinearExpression = false;
  r.Cells = OneCell(result);
  r.RunTime = true;
  r.Prog = Concat(Concat(lr.Prog, rrec.Prog), Piece(instr));
  return Remember(key, AddRec(r));
}

std::int32_t TCompiler::Assign(TRec r) {
  const TRec& target = R(r.A);
  const TRec& value = R(r.B);
  if (target.NotAssignable) {
    std::int32_t tmp = AddRec(r);
    std::string msg = "EvalExpres-> PROTECTED EXPRESSION ON =: " + Shown(r.A);
    std::string group = Shown(tmp);
    Recs.pop_back();
    FailInReduction(ecProtected, msg, group);
  }
  TValue* result = E.NewCell();
  const std::int32_t instr = Emit(opAssign, {target.Cells[0], value.Cells[0]}, result);
  E.LinearExpression = false;
  r.Cells = OneCell(result);
  r.RunTime = true;
  r.Prog = Concat(Concat(target.Prog, value.Prog), Piece(instr));
  return AddRec(r);
}

std::int32_t TCompiler::Define(TRec r) {
  const TRec& head = R(r.A);
  const std::string headText = Shown(r.A);
  auto fail = [&](std::int32_t code, const std::string& inner) {
    std::int32_t tmp = AddRec(r);
    std::string group = Shown(tmp);
    Recs.pop_back();
    FailInReduction(code, texts::kEvalExpresPrefix + inner, group);
  };
  if (head.Node != TNode::Call || head.A < 0) fail(ecFunctionName, "INVALID FUNCTION NAME ON ~ : " + headText);
  const int e = E.ExternalFunctionCount();
  if (head.Code < opFirstExternal + e) fail(ecProtected, "PROTECTED EXPRESSION ON ~: " + headText);
  const std::size_t index = static_cast<std::size_t>(head.Code - opFirstExternal - e);
  if (index >= E.RunTimeFunctions_.size()) fail(ecInvalidExpression, "PROGRAMING ERROR ON ~ : " + headText);
  TRunTimeFunction& f = E.RunTimeFunctions_[index];
  if (f.Params != nullptr) fail(ecFunctionDefined, "THIS FUNCTION WAS DEFINED ON ~ : " + headText);
  const std::vector<std::int32_t> args = Items(head.A);
  if (static_cast<std::int32_t>(args.size()) != f.ParamCount)
    fail(ecParameterCount, texts::kInvalidArgumentsCountForPrefix + headText);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const TRec& a = R(args[i]);
    if (a.Node != TNode::Leaf || a.Variable < 0)
      fail(ecParameterName, texts::kInvalidArgumentNameForPrefix + headText + " : " + Shown(args[i]));
    for (std::size_t j = 0; j < i; ++j)
      if (R(args[j]).Variable == a.Variable)
        fail(ecDuplicateParameter, texts::kInvalidArgumentSyntaxForPrefix + headText + " : " + Shown(args[i]));
  }
  TValue** params = E.NewOperands(args.size());
  for (std::size_t i = 0; i < args.size(); ++i) params[i] = R(args[i]).Cells[0];
  const TRec& body = R(r.B);
  f.Params = params;
  f.BodyResult = body.Cells[0];
  f.Body = Materialize(body.Prog);
  f.BodyCells = CellsOf({&f.Body});
  f.BodyIf = -1;
  if (f.Body.size() == 1) {
    const auto number = static_cast<std::size_t>(f.Body[0]);
    if (E.Instructions_[number - 1].Code == opIf) f.BodyIf = E.ControlIndex_[number];
  }
  if (f.BodyIf >= 0) {
    const TCellList& ifCells = E.IfRecords_[static_cast<std::size_t>(f.BodyIf)].Cells;
    f.BodyCells.insert(f.BodyCells.end(), ifCells.begin(), ifCells.end());
  }
  f.Definition = Render(r.A) + "~" + Render(r.B);

  TValue* result = E.NewCell();
  const std::int32_t instr = Emit(opDefine, {head.Cells[0], body.Cells[0]}, result);
  E.LinearExpression = false;
  r.Cells = OneCell(result);
  r.RunTime = true;
  r.Invariant = false;
  r.Prog = Piece(instr);
  return AddRec(r);
}

std::int32_t TCompiler::Apply(const TToken& name, std::int32_t arg) {
  const std::string_view text = TokenText(name.Pos, name.Len);
  std::int32_t code = FindAppliedFunction(name);
  if (code != 0) {
    const TShapeKey key{kTagCall | static_cast<std::uint32_t>(code), arg, 0};
    if (std::int32_t found = FindShape(key); found >= 0) return found;
  } else {
    if (!E.IsValidIdentName(text))
      Fail(ecUnknownFunction, texts::kExpresieSemanticCorectaUnknownFunctionPrefix + std::string(text));
    TRunTimeFunction f;
    f.Name = std::string(text);
    f.ParamCount = R(arg).Count;
    E.RunTimeFunctionIndex_.emplace(ToLowerAscii(text), static_cast<int>(E.RunTimeFunctions_.size()));
    E.RunTimeFunctions_.push_back(std::move(f));
    code = opFirstExternal + E.ExternalFunctionCount() + static_cast<std::int32_t>(E.RunTimeFunctions_.size()) - 1;
  }
  const TShapeKey key{kTagCall | static_cast<std::uint32_t>(code), arg, 0};
  return Remember(key, CompileCall(code, arg, name.Pos, name.Len));
}

std::int32_t TCompiler::CompileCall(std::int32_t code, std::int32_t arg, std::uint32_t namePos, std::uint32_t nameLen) {
  const std::int32_t number = FunctionNumber(code);
  const std::int32_t count = arg < 0 ? 0 : R(arg).Count;
  TRec r;
  r.Node = TNode::Call;
  r.Code = code;
  r.A = arg;
  // (Every function's name is an identifier, shorter than 256.)
  if (nameLen > 0x7FFF)
    Fail(ecIdentifierTooLong,
         texts::kIsValidIdentNameIdentifierLengthMustBeLessThanPrefix + std::string(TokenText(namePos, nameLen)));
  r.B = static_cast<std::int32_t>(namePos);
  r.NameLength = static_cast<std::uint16_t>(nameLen) & 0x7FFFu;
  if (arg >= 0) {
    r.Invariant = R(arg).Invariant;
    r.Volatile = R(arg).Volatile;
  }
  const bool known = arg < 0 || !R(arg).RunTime;
  const int e = E.ExternalFunctionCount();

  if (code <= opLastBuiltin) {
    bool countOk = BuiltinArgCountOk(code, count);
    if (countOk && code == opDirectedInfinity)
      countOk = IsLiteralOne(arg) || (R(arg).Node == TNode::Neg && IsLiteralOne(R(arg).A));
    if (!countOk) Fail(number, ArgumentCountMessage(code));
    if (BuiltinInfo(code).Arity == TArity::Constant) return Constant(BuiltinConstant(code), r);
    if (code == opDirectedInfinity)
      return Constant(TValue::MakeReal(R(arg).Node == TNode::Neg ? -INFINITY : INFINITY), r);
    if (code == opIf) return If(r, number, E.FunctionName(code), known);
    if (code == opWhile) return While(r, number, E.FunctionName(code));
    if (code == opBk && known) return Constant(*R(arg).Cells[count - 1], r);
    if (code == opRandom) {
      r.Volatile = true;
      r.Invariant = false;
      return EmitCall(r);
    }
    if (code == opPower && R(arg).Node == TNode::List) {
      // An exponent written p/q is a rational power, as with ^.
      const TRec& exponent = R(ItemPool[static_cast<std::size_t>(R(arg).ItemsStart + 1)]);
      if (exponent.Node == TNode::Binary && exponent.Op == '/' && exponent.Count == 1)
        return RationalPowerCall(r, number, known, R(exponent.A).Cells[0], R(exponent.B).Cells[0]);
    }
    if (known && code != opBk) {
      TValue out;
      FoldFunction(code, number, arg, [&] { EvalBuiltin(code, R(arg).Cells, count, out, E.RandomEngine()); });
      return Constant(out, r);
    }
    return EmitCall(r);
  }
  if (code < opFirstExternal + e) {
    const TUserFuncRec& f = E.UserFunctions_[static_cast<std::size_t>(code - opFirstExternal)];
    const bool countOk = f.ArgCount <= kConstantFunction     ? count == 0
                         : f.ArgCount == kOneOrMoreArguments ? count >= 1
                                                             : count == f.ArgCount;
    if (!countOk) Fail(number, ArgumentCountMessage(code));
    TValue out;
    const int k = code - opFirstExternal;
    TValue* const* args = arg < 0 ? nullptr : R(arg).Cells;
    if (f.ArgCount == kVolatileNoArguments) {
      // Volatile: called now, and again at every evaluation.
      FoldFunction(code, number, arg, [&] { E.InvokeExternal(k, args, count, out); });
      r.Volatile = true;
      r.Invariant = false;
      const std::int32_t id = EmitCall(r);
      *R(id).Cells[0] = out;
      return id;
    }
    if (known) {
      FoldFunction(code, number, arg, [&] { E.InvokeExternal(k, args, count, out); });
      return Constant(out, r);
    }
    return EmitCall(r);
  }
  // Run-time function: always called at run time.
  TRunTimeFunction& f = E.RunTimeFunctions_[static_cast<std::size_t>(code - opFirstExternal - e)];
  if (count != f.ParamCount) Fail(number, ArgumentCountMessage(code));
  r.Invariant = false;
  const std::int32_t id = EmitCall(r);
  if (f.CallInstruction == 0) f.CallInstruction = LastCall;
  return id;
}

std::int32_t TCompiler::RationalPowerCall(TRec r, std::int32_t number, bool known, TValue* p, TValue* q) {
  TValue* base = R(r.A).Cells[0];
  if (known) {
    TValue out;
    FoldFunction(r.Code, number, r.A, [&] { RationalPowerOp(*base, *p, *q, out); });
    return Constant(out, r);
  }
  TValue* result = E.NewCell();
  const std::int32_t instr = Emit(opPower, {base, p, q}, result);
  E.LinearExpression = false;
  r.Cells = OneCell(result);
  r.RunTime = true;
  r.Prog = Concat(R(r.A).Prog, Piece(instr));
  return AddRec(r);
}

std::int32_t TCompiler::EmitCall(TRec r) {
  TValue* result = E.NewCell();
  const std::int32_t instr =
      r.A >= 0 ? Emit(static_cast<std::uint16_t>(r.Code), R(r.A).Cells, static_cast<std::size_t>(R(r.A).Count), result)
               : Emit(static_cast<std::uint16_t>(r.Code), nullptr, 0, result);
  E.LinearExpression = false;
  r.Cells = OneCell(result);
  r.RunTime = true;
  LastCall = instr;
  r.Prog = Concat(r.A >= 0 ? R(r.A).Prog : -1, Piece(instr));
  return AddRec(r);
}

std::int32_t TCompiler::Run() {
  std::vector<std::int32_t>& out = Scratch.Out;
  std::vector<TOpEntry>& ops = Scratch.Ops;
  std::vector<TFrame>& frames = Scratch.Frames;
  out.clear();
  ops.clear();
  frames.clear();
  bool expectOperand = true;

  auto frameStart = [&]() -> std::size_t { return frames.empty() ? 0 : Tokens[frames.back().LParen].Pos + 1; };
  auto tokenEnd = [&](std::size_t t) -> std::size_t {
    return t < Tokens.size() ? Tokens[t].Pos + Tokens[t].Len : Text.size();
  };
  auto reduceOne = [&]() {
    const TOpEntry e = ops.back();
    ops.pop_back();
    if (e.Unary) {
      if (e.Op == '-') {
        const std::int32_t x = out.back();
        out.back() = Derive(Neg(x));
      }
      return;
    }
    const std::int32_t rr = out.back();
    out.pop_back();
    const std::int32_t l = out.back();
    out.back() = Derive(Binary(e.Op, l, rr));
  };
  auto reduceToFrame = [&]() {
    while (!ops.empty() && ops.back().Op != 0) reduceOne();
  };

  // The leaf table of a long text does not stay in the cache: there, each
  // leaf's slot is fetched 14 tokens before the leaf compiles, its hash
  // kept in a ring until then. (A short text's table is in the cache, and
  // hashing ahead would only cost.)
  constexpr std::size_t kLookAhead = 14, kRing = 16, kLookAheadTokens = 16384;
  static_assert(kLookAhead < kRing);
  const bool lookAhead = Tokens.size() >= kLookAheadTokens;
  std::uint32_t leafHashes[kRing] = {};
  // Token k's hash, if it is an operand. Every token is passed here once,
  // in order: the first kLookAhead before the loop, then token
  // t + kLookAhead as token t comes (and once more for a token skipped).
  static_assert(TTokenType::Operand < TTokenType::ExpNumber && TTokenType::ExpNumber < TTokenType::LParen &&
                TTokenType::LParen < TTokenType::RParen && TTokenType::RParen < TTokenType::Comma &&
                TTokenType::Comma < TTokenType::Operator);
  auto hashAhead = [&](std::size_t k) {
    if (k >= Tokens.size()) return;
    const TToken& ahead = Tokens[k];
    if (ahead.Type > TTokenType::ExpNumber) return;
    const std::uint32_t h = HashText(TokenText(ahead.Pos, ahead.Len));
    leafHashes[k % kRing] = h;
    SharedLeaves.Prefetch(h);
  };
  if (lookAhead)
    for (std::size_t k = 0; k < kLookAhead; ++k) hashAhead(k);

  for (std::size_t t = 0; t < Tokens.size(); ++t) {
    const TToken& tok = Tokens[t];
    if (lookAhead) hashAhead(t + kLookAhead);
    switch (tok.Type) {
      case TTokenType::Operand:
      case TTokenType::ExpNumber:
        if (!expectOperand) SyntaxErrorAt(frameStart(), tokenEnd(t));
        if (tok.Type == TTokenType::Operand && t + 1 < Tokens.size() && Tokens[t + 1].Type == TTokenType::LParen) {
          frames.push_back({true, t, t + 1, out.size()});
          ops.push_back({0, false, 0});
          ++t;
          if (lookAhead) hashAhead(t + kLookAhead);
          expectOperand = true;
          break;
        }
        out.push_back(Derive(Leaf(tok, lookAhead ? leafHashes[t % kRing] : HashText(TokenText(tok.Pos, tok.Len)))));
        expectOperand = false;
        break;
      case TTokenType::LParen:
        if (!expectOperand) SyntaxErrorAt(frameStart(), tokenEnd(t));
        frames.push_back({false, 0, t, out.size()});
        ops.push_back({0, false, 0});
        break;
      case TTokenType::Operator: {
        if (expectOperand) {
          if (tok.Op != '+' && tok.Op != '-') SyntaxErrorAt(frameStart(), tokenEnd(t));
          ops.push_back({tok.Op, true, kUnaryPrecedence});
          break;
        }
        const int prec = Precedence(tok.Op);
        const bool rightAssoc = tok.Op == '^';
        while (!ops.empty() && ops.back().Op != 0 &&
               (ops.back().Prec > prec || (ops.back().Prec == prec && !rightAssoc)))
          reduceOne();
        ops.push_back({tok.Op, false, prec});
        expectOperand = true;
        break;
      }
      case TTokenType::Comma:
        if (expectOperand) SyntaxErrorAt(frameStart(), tokenEnd(t));
        reduceToFrame();
        expectOperand = true;
        break;
      case TTokenType::RParen: {
        if (expectOperand || frames.empty()) SyntaxErrorAt(frameStart(), tokenEnd(t));
        reduceToFrame();
        ops.pop_back();
        const TFrame frame = frames.back();
        frames.pop_back();
        // One item (the common case) needs no list of items.
        std::int32_t rec;
        if (out.size() - frame.OutHeight == 1) {
          rec = out.back();
          out.pop_back();
        } else {
          const std::vector<std::int32_t> items(out.begin() + static_cast<std::ptrdiff_t>(frame.OutHeight), out.end());
          out.resize(frame.OutHeight);
          rec = Derive(MakeList(items));
        }
        if (frame.Call) {
          rec = Derive(Apply(Tokens[frame.NameToken], rec));
        } else {
          if (R(rec).Node == TNode::List && !VectorMayStandAt(frame.LParen, t))
            Fail(ecComma, texts::kParseForwardSyntaxErrorPrefix + Render(rec));
        }
        out.push_back(rec);
        expectOperand = false;
        break;
      }
    }
  }
  if (expectOperand || !frames.empty()) SyntaxErrorAt(frameStart(), Text.size());
  reduceToFrame();
  return out.size() == 1 ? out[0] : Derive(MakeList(out, false));
}

}  // namespace helmax
