// Translation of engine texts (in practice derivatives) into the bracket
// notation of computer-algebra systems: Sin[x], Log[10,x], Power[x,2],
// D[f[x],x], {x,y}.
//
// Two passes over parse trees built without recursion. The first writes the
// text fully bracketed (every power, every signed operand and every function
// application in its own pair, numbers in exponent form as m*^k) and removes
// the redundant pairs again, so that powers and signs keep the grouping the
// engine gave them. The second translates every application, the nested
// ones first, and renames the constants.
#include <cstdlib>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "BuiltinCatalogue.h"
#include "HelmaxComplexEval.h"
#include "OperatorPrecedence.h"
#include "Syntax.h"
#include "TextUtil.h"

namespace helmax {

namespace {

bool IsSign(char c) { return c == '+' || c == '-'; }

// ---- pass 1: full bracketing --------------------------------------------------------

// Mark: a mark glued to what precedes it, as the prime of f(x)'.
enum class TKind : std::uint8_t { Atom, Group, Call, Binary, Unary, List, Mark };

struct TNode {
  TKind Kind;
  char Op = 0;
  std::string_view Text;            // atom text, or the name of a call
  std::vector<std::int32_t> Items;  // group: its content; call: arguments; binary: left, right; unary: operand; list
};

// A number in exponent form written for the translation: the e becomes *^.
std::string ExponentForm(std::string_view token) {
  std::string out;
  for (char c : token) {
    if (c == 'e' || c == 'E') out += "*^";
    else out += c;
  }
  return out;
}

bool IsExponentToken(std::string_view t) {
  const std::size_t e = t.find_first_of("eE");
  if (e == std::string_view::npos || e == 0) return false;
  for (std::size_t i = 0; i < e; ++i)
    if (!IsAsciiDigit(t[i]) && t[i] != '.') return false;
  std::size_t i = e + 1;
  if (i < t.size() && IsSign(t[i])) ++i;
  if (i == t.size()) return false;
  for (; i < t.size(); ++i)
    if (!IsAsciiDigit(t[i])) return false;
  return true;
}

class TBracketer {
 public:
  explicit TBracketer(std::string_view text) : Text_(text) {}

  // The text with every power, signed operand and application in brackets,
  // or the text unchanged when it does not parse.
  std::string Run() {
    const std::int32_t root = Parse();
    if (root < 0) return std::string(Text_);
    return Emit(root);
  }

 private:
  struct TToken {
    char Type;  // 'a' operand, '(' ')' ',' or the operator
    std::string_view Text;
  };

  void Tokenize() {
    const std::string_view s = Text_;
    std::size_t i = 0;
    while (i < s.size()) {
      const char c = s[i];
      if (IsDelimiter(c)) {
        Tokens_.push_back({c, s.substr(i, 1)});
        ++i;
        continue;
      }
      std::size_t end = i;
      while (end < s.size() && !IsDelimiter(s[end])) ++end;
      // 1e-5: the sign belongs to the number.
      if (end < s.size() && IsSign(s[end]) && end > i && (s[end - 1] == 'e' || s[end - 1] == 'E')) {
        std::size_t j = end + 1;
        while (j < s.size() && !IsDelimiter(s[j])) ++j;
        if (IsExponentToken(s.substr(i, j - i))) end = j;
      }
      Tokens_.push_back({'a', s.substr(i, end - i)});
      i = end;
    }
  }

  std::int32_t Add(TNode n) {
    Nodes_.push_back(std::move(n));
    return static_cast<std::int32_t>(Nodes_.size() - 1);
  }

  // An operator-precedence parse with explicit stacks; -1 when the text is
  // not an expression.
  std::int32_t Parse() {
    Tokenize();
    struct TOp {
      char Op;  // 0: a bracket's boundary
      bool Unary;
      int Prec;
    };
    struct TFrame {
      bool Call;
      std::string_view Name;
      std::size_t OutHeight;
    };
    std::vector<std::int32_t> out;
    std::vector<TOp> ops;
    std::vector<TFrame> frames;
    bool expectOperand = true;
    bool failed = false;
    auto reduceOne = [&] {
      const TOp o = ops.back();
      ops.pop_back();
      if (o.Unary) {
        if (out.empty()) {
          failed = true;
          return;
        }
        out.back() = Add({TKind::Unary, o.Op, {}, {out.back()}});
        return;
      }
      if (out.size() < 2) {
        failed = true;
        return;
      }
      const std::int32_t r = out.back();
      out.pop_back();
      out.back() = Add({TKind::Binary, o.Op, {}, {out.back(), r}});
    };
    auto reduceToFrame = [&] {
      while (!failed && !ops.empty() && ops.back().Op != 0) reduceOne();
    };
    for (std::size_t t = 0; t < Tokens_.size() && !failed; ++t) {
      const TToken& tok = Tokens_[t];
      switch (tok.Type) {
        case 'a':
          if (!expectOperand) {
            if (out.empty()) return -1;
            out.back() = Add({TKind::Mark, 0, tok.Text, {out.back()}});
            break;
          }
          if (t + 1 < Tokens_.size() && Tokens_[t + 1].Type == '(') {
            frames.push_back({true, tok.Text, out.size()});
            ops.push_back({0, false, 0});
            ++t;
            break;
          }
          out.push_back(Add({TKind::Atom, 0, tok.Text, {}}));
          expectOperand = false;
          break;
        case '(':
          if (!expectOperand) return -1;
          frames.push_back({false, {}, out.size()});
          ops.push_back({0, false, 0});
          break;
        case ',':
          if (expectOperand) return -1;
          reduceToFrame();
          expectOperand = true;
          break;
        case ')': {
          if ((expectOperand && !(frames.size() > 0 && frames.back().Call && out.size() == frames.back().OutHeight)) ||
              frames.empty())
            return -1;
          reduceToFrame();
          ops.pop_back();
          const TFrame f = frames.back();
          frames.pop_back();
          std::vector<std::int32_t> items(out.begin() + static_cast<std::ptrdiff_t>(f.OutHeight), out.end());
          out.resize(f.OutHeight);
          if (f.Call) {
            out.push_back(Add({TKind::Call, 0, f.Name, std::move(items)}));
          } else {
            const std::int32_t inner = items.size() == 1 ? items[0] : Add({TKind::List, 0, {}, std::move(items)});
            out.push_back(Add({TKind::Group, 0, {}, {inner}}));
          }
          expectOperand = false;
          break;
        }
        default: {
          const char op = tok.Type;
          if (expectOperand) {
            if (!IsSign(op)) return -1;
            ops.push_back({op, true, kUnaryPrecedence});
            break;
          }
          const int prec = Precedence(op);
          while (!ops.empty() && ops.back().Op != 0 &&
                 (ops.back().Prec > prec || (ops.back().Prec == prec && op != '^')))
            reduceOne();
          ops.push_back({op, false, prec});
          expectOperand = true;
          break;
        }
      }
    }
    if (failed || expectOperand || !frames.empty()) return -1;
    reduceToFrame();
    if (failed || out.empty()) return -1;
    return out.size() == 1 ? out[0] : Add({TKind::List, 0, {}, out});
  }

  std::string Emit(std::int32_t root) {
    struct TPiece {
      std::int32_t Node;  // -1: literal
      std::string_view Literal;
    };
    std::string outText;
    std::vector<TPiece> stack{{root, {}}};
    std::vector<std::string> owned;  // exponent forms
    owned.reserve(Nodes_.size());
    while (!stack.empty()) {
      const TPiece p = stack.back();
      stack.pop_back();
      if (p.Node < 0) {
        outText += p.Literal;
        continue;
      }
      const TNode& n = Nodes_[static_cast<std::size_t>(p.Node)];
      switch (n.Kind) {
        case TKind::Atom:
          if (IsExponentToken(n.Text)) outText += ExponentForm(n.Text);
          else outText += n.Text;
          break;
        case TKind::Group:
          stack.push_back({-1, ")"});
          stack.push_back({n.Items[0], {}});
          stack.push_back({-1, "("});
          break;
        case TKind::List:
          for (std::size_t i = n.Items.size(); i-- > 0;) {
            stack.push_back({n.Items[i], {}});
            if (i > 0) stack.push_back({-1, ","});
          }
          break;
        case TKind::Call:
          stack.push_back({-1, "))"});
          for (std::size_t i = n.Items.size(); i-- > 0;) {
            stack.push_back({n.Items[i], {}});
            if (i > 0) stack.push_back({-1, ","});
          }
          stack.push_back({-1, "("});
          stack.push_back({-1, n.Text});
          stack.push_back({-1, "("});
          break;
        case TKind::Unary:
          stack.push_back({-1, ")"});
          stack.push_back({n.Items[0], {}});
          stack.push_back({-1, n.Op == '-' ? "(-" : "(+"});
          break;
        case TKind::Mark:
          stack.push_back({-1, n.Text});
          stack.push_back({n.Items[0], {}});
          break;
        case TKind::Binary:
          if (n.Op == '^') stack.push_back({-1, ")"});
          stack.push_back({n.Items[1], {}});
          stack.push_back({-1, std::string_view(&kOperators[OperatorIndex(n.Op)], 1)});
          stack.push_back({n.Items[0], {}});
          if (n.Op == '^') stack.push_back({-1, "("});
          break;
      }
    }
    return outText;
  }

  static constexpr char kOperators[] = "*/+-^=~";
  static std::size_t OperatorIndex(char op) { return std::string_view(kOperators).find(op); }

  std::string_view Text_;
  std::vector<TToken> Tokens_;
  std::vector<TNode> Nodes_;
};

// ---- pass 2: applications and constants ----------------------------------------------

// The bracket structure of the bracketed text: tokens, groups and
// applications name(arguments).
struct TItem {
  enum TType : std::uint8_t { Token, Group, Apply } Type;
  std::string_view Text;                         // token text or application name
  std::vector<std::vector<std::int32_t>> Parts;  // group: one part; application: its arguments
};

class TTranslator {
 public:
  TTranslator(const THelmaxComplexEval& engine, std::string_view text) : Engine_(engine), Text_(text) {}

  std::string Run(bool vector) {
    std::vector<std::int32_t> top;
    if (!Parse(top)) return std::string(Text_);
    std::string out;
    if (vector) {
      // {a,b}: the expressions at the top level, each without enclosing
      // brackets.
      out += '{';
      std::size_t start = 0;
      bool first = true;
      for (std::size_t i = 0; i <= top.size(); ++i) {
        if (i < top.size() && !IsToken(top[i], ",")) continue;
        std::vector<std::int32_t> item(top.begin() + static_cast<std::ptrdiff_t>(start),
                                       top.begin() + static_cast<std::ptrdiff_t>(i));
        if (!first) out += ',';
        first = false;
        out += Write(Unwrapped(item));
        start = i + 1;
      }
      out += '}';
      return out;
    }
    return Write(top);
  }

 private:
  bool IsToken(std::int32_t id, std::string_view text) const {
    const TItem& it = Items_[static_cast<std::size_t>(id)];
    return it.Type == TItem::Token && it.Text == text;
  }

  bool Parse(std::vector<std::int32_t>& top) {
    struct TFrame {
      std::int32_t Item;
    };
    std::vector<TFrame> frames;
    auto current = [&]() -> std::vector<std::int32_t>& {
      if (frames.empty()) return top;
      return Items_[static_cast<std::size_t>(frames.back().Item)].Parts.back();
    };
    const std::string_view s = Text_;
    std::size_t i = 0;
    while (i < s.size()) {
      const char c = s[i];
      if (c == '(') {
        Items_.push_back({TItem::Group, {}, {{}}});
        frames.push_back({static_cast<std::int32_t>(Items_.size() - 1)});
        ++i;
        continue;
      }
      if (c == ')') {
        if (frames.empty()) return false;
        const std::int32_t done = frames.back().Item;
        frames.pop_back();
        current().push_back(done);
        ++i;
        continue;
      }
      if (c == ',' && !frames.empty() && Items_[static_cast<std::size_t>(frames.back().Item)].Type == TItem::Apply) {
        Items_[static_cast<std::size_t>(frames.back().Item)].Parts.emplace_back();
        ++i;
        continue;
      }
      if (IsDelimiter(c)) {
        Items_.push_back({TItem::Token, s.substr(i, 1), {}});
        current().push_back(static_cast<std::int32_t>(Items_.size() - 1));
        ++i;
        continue;
      }
      std::size_t end = i;
      while (end < s.size() && !IsDelimiter(s[end])) ++end;
      const std::string_view word = s.substr(i, end - i);
      if (end < s.size() && s[end] == '(') {
        Items_.push_back({TItem::Apply, word, {{}}});
        frames.push_back({static_cast<std::int32_t>(Items_.size() - 1)});
        i = end + 1;
        continue;
      }
      Items_.push_back({TItem::Token, word, {}});
      current().push_back(static_cast<std::int32_t>(Items_.size() - 1));
      i = end;
    }
    return frames.empty();
  }

  // A part without the groups that enclose all of it.
  std::vector<std::int32_t> Unwrapped(std::vector<std::int32_t> part) const {
    while (part.size() == 1 && Items_[static_cast<std::size_t>(part[0])].Type == TItem::Group)
      part = Items_[static_cast<std::size_t>(part[0])].Parts[0];
    return part;
  }

  bool HasOperator(const std::vector<std::int32_t>& part) const {
    for (std::int32_t id : part) {
      const TItem& it = Items_[static_cast<std::size_t>(id)];
      if (it.Type == TItem::Token && it.Text.size() == 1 && IsOperatorChar(it.Text[0])) return true;
    }
    return false;
  }

  // A token renamed as a constant, or as written (numbers tidied).
  std::string Constant(std::string_view token) const {
    static const char* const kNames[][2] = {
        {"infinity", "Infinity"}, {"pi", "Pi"},           {"e", "E"},           {"indeterminate", "Indeterminate"},
        {"true", "True"},         {"false", "False"},     {"degree", "Degree"}, {"null", "Null"},
        {"nan", "Indeterminate"}, {"zero", "(1.0*^-13)"}, {"inf", "Infinity"}};
    for (const auto& n : kNames)
      if (EqualsIgnoringCase(token, n[0])) return n[1];
    for (const std::string& name : Engine_.ExternalFunctionNames())
      if (EqualsIgnoringCase(token, Trim(name)) && ExternalArgCount(name) == 0) return std::string(Trim(name));
    if (token == ".") return "0";
    // 5e (an e after a number, before a delimiter) loses its e.
    if (token.size() >= 2 && (token.back() == 'e' || token.back() == 'E')) {
      bool number = true;
      for (std::size_t i = 0; i + 1 < token.size(); ++i)
        if (!IsAsciiDigit(token[i]) && token[i] != '.') number = false;
      if (number) return std::string(token.substr(0, token.size() - 1));
    }
    return std::string(token);
  }

  int ExternalArgCount(std::string_view name) const {
    for (const TUserFuncRec& f : Engine_.UserFunctions())
      if (EqualsIgnoringCase(Trim(f.Name), Trim(name))) return f.ArgCount;
    return -2;
  }

  // The pieces of one application, pushed onto the writer's stack in
  // reverse. prime: written as D[...,variable]; head: the head of a
  // definition (arguments of a run-time function get a "_").
  struct TPiece {
    enum TKind : std::uint8_t {
      Literal,     // Text as it is
      Part,        // the items of *Part
      Item,        // one item
      Primed,      // an application followed by the prime: D[...,variable]
      Head,        // an application before "~"
      OneOperand,  // an application next to an operator that binds tighter
    } Kind;
    std::int32_t Id = -1;
    const std::vector<std::int32_t>* Items = nullptr;
    std::string Text;
  };

  void PushApplication(const TItem& app, std::vector<TPiece>& stack, bool prime, bool head, bool bracketForm) const {
    std::vector<std::vector<std::int32_t>> args;
    for (const auto& part : app.Parts) args.push_back(Unwrapped(part));
    if (args.size() == 1 && args[0].empty() && app.Parts.size() == 1) args.clear();
    // The pieces in writing order; pushed reversed at the end.
    std::vector<TPiece> pieces;
    auto lit = [&](std::string s) { pieces.push_back({TPiece::Literal, -1, nullptr, std::move(s)}); };
    auto arg = [&](std::size_t i) {
      Held_.push_back(i < args.size() ? args[i] : std::vector<std::int32_t>{});
      pieces.push_back({TPiece::Part, -1, &Held_.back(), {}});
    };
    auto allArgs = [&](const char* separator) {
      for (std::size_t i = 0; i < args.size(); ++i) {
        if (i > 0) lit(separator);
        arg(i);
      }
    };
    auto wrappedArg = [&](std::size_t i) {
      const bool compound = i < args.size() && HasOperator(args[i]);
      if (compound) lit("(");
      arg(i);
      if (compound) lit(")");
    };
    if (prime) lit("D[");
    const int code = FindBuiltin(app.Text);
    const int external = code == 0 ? ExternalArgCount(app.Text) : -2;
    if (code != 0) {
      const std::string_view name = BuiltinInfo(code).Name;
      if (bracketForm) lit("(");
      WriteBuiltin(name, args.size(), lit, arg, allArgs, wrappedArg);
      if (bracketForm) lit(")");
    } else if (external != -2) {
      std::string registered;
      for (const TUserFuncRec& f : Engine_.UserFunctions())
        if (EqualsIgnoringCase(Trim(f.Name), Trim(app.Text))) registered = std::string(Trim(f.Name));
      lit(registered);
      if (external > 0) {
        lit("[");
        allArgs(",");
        lit("]");
      }
    } else {
      lit(std::string(app.Text) + "[");
      for (std::size_t i = 0; i < args.size(); ++i) {
        if (i > 0) lit(",");
        arg(i);
        if (head) lit("_");
      }
      lit("]");
    }
    if (prime) lit("," + Engine_.DerivativeVariable + "]");
    for (std::size_t i = pieces.size(); i-- > 0;) stack.push_back(std::move(pieces[i]));
  }

  template <class Lit, class Arg, class AllArgs, class WrappedArg>
  static void WriteBuiltin(std::string_view name, std::size_t n, Lit& lit, Arg& arg, AllArgs& allArgs,
                           WrappedArg& wrappedArg) {
    struct TSimple {
      const char* Engine;
      const char* Bracket;
      bool AllArguments;
    };
    static const TSimple kSimple[] = {
        {"exp", "Exp", false},
        {"cos", "Cos", false},
        {"sin", "Sin", false},
        {"tan", "Tan", false},
        {"cotan", "Cot", false},
        {"cot", "Cot", false},
        {"sqrt", "Sqrt", false},
        {"abs", "Abs", false},
        {"ln", "Log", true},
        {"log", "Log", true},
        {"logn", "Log", true},
        {"ceil", "Ceiling", false},
        {"ceiling", "Ceiling", false},
        {"int", "IntegerPart", false},
        {"integerpart", "IntegerPart", false},
        {"frac", "FractionalPart", false},
        {"fractionalpart", "FractionalPart", false},
        {"arccos", "ArcCos", false},
        {"arccosh", "ArcCosh", false},
        {"cosh", "Cosh", false},
        {"arcsin", "ArcSin", false},
        {"arcsinh", "ArcSinh", false},
        {"sinh", "Sinh", false},
        {"arctan", "ArcTan", true},
        {"arctanh", "ArcTanh", false},
        {"tanh", "Tanh", false},
        {"max", "Max", true},
        {"min", "Min", true},
        {"sum", "Plus", true},
        {"eq", "Equal", true},
        {"uneq", "Unequal", true},
        {"ls", "Less", true},
        {"gr", "Greater", true},
        {"lseq", "LessEqual", true},
        {"greq", "GreaterEqual", true},
        {"and", "And", true},
        {"or", "Or", true},
        {"not", "Not", false},
        {"if", "If", true},
        {"bk", "CompoundExpression", true},
        {"sec", "Sec", false},
        {"secant", "Sec", false},
        {"coth", "Coth", false},
        {"arccot", "ArcCot", false},
        {"arccoth", "ArcCoth", false},
        {"arcsec", "ArcSec", false},
        {"arcsech", "ArcSech", false},
        {"csc", "Csc", false},
        {"cosecant", "Csc", false},
        {"csch", "Csch", false},
        {"arccsc", "ArcCsc", false},
        {"arccsch", "ArcCsch", false},
        {"sign", "Sign", false},
        {"xor", "Xor", true},
        {"directedinfinity", "DirectedInfinity", false},
        {"mod", "Mod", true},
        {"quotient", "Quotient", true},
        {"div", "Quotient", true},
        {"complex", "Complex", true},
        {"re", "Re", false},
        {"im", "Im", false},
        {"conjugate", "Conjugate", false},
        {"arg", "Arg", false},
        {"real2curr", "Real2Curr", false},
        {"curr2real", "Curr2Real", false},
        {"iscurrency", "IsCurrency", false},
        {"isdatetime", "IsDateTime", false},
        {"floor", "Floor", false},
        {"power", "Power", true},
        {"while", "While", true},
        {"sech", "Sech", false},
    };
    for (const TSimple& s : kSimple) {
      if (name != s.Engine) continue;
      lit(std::string(s.Bracket) + "[");
      if (s.AllArguments) allArgs(",");
      else arg(0);
      lit("]");
      return;
    }
    if (name == "sqr") {
      lit("Power[");
      arg(0);
      lit(",2]");
      return;
    }
    if (name == "lnxp1") {
      lit("Log[1+");
      arg(0);
      lit("]");
      return;
    }
    if (name == "log10") {
      lit("Log[10,");
      arg(0);
      lit("]");
      return;
    }
    if (name == "log2") {
      lit("Log[2,");
      arg(0);
      lit("]");
      return;
    }
    if (name == "arctan2") {
      lit("ArcTan[");
      arg(1);
      lit(",");
      arg(0);
      lit("]");
      return;
    }
    if (name == "mean") {
      lit("(1/" + std::to_string(n) + "*Plus[");
      allArgs(",");
      lit("])");
      return;
    }
    if (name == "iscomplex") {
      lit("SameQ[Complex,Head[");
      arg(0);
      lit("]]");
      return;
    }
    if (name == "isreal") {
      lit("Or[SameQ[Real,Head[");
      arg(0);
      lit("]],SameQ[Integer,Head[");
      arg(0);
      lit("]],SameQ[Rational,Head[");
      arg(0);
      lit("]]]");
      return;
    }
    if (name == "isboolean") {
      lit("Or[SameQ[True,");
      arg(0);
      lit("],SameQ[False,");
      arg(0);
      lit("]]");
      return;
    }
    if (name == "isnull") {
      lit("SameQ[Null,");
      arg(0);
      lit("]");
      return;
    }
    if (name == "isnan") {
      lit("SameQ[Indeterminate,");
      arg(0);
      lit("]");
      return;
    }
    if (name == "complexfrompolar") {
      lit("Times[");
      arg(0);
      lit(",Exp[Complex[0,1]*");
      wrappedArg(1);
      lit("]]");
      return;
    }
    if (name == "degtorad") {
      lit("(Pi/180)*");
      wrappedArg(0);
      return;
    }
    if (name == "radtodeg") {
      wrappedArg(0);
      lit("/Degree");
      return;
    }
    // Names without an application form (constants, random) are handled by
    // the caller; anything else keeps its name.
    lit(std::string(name) + "[");
    allArgs(",");
    lit("]");
  }

  // random(m) with a number literal m whose integral part is positive:
  // Random[Integer,{0,m-1}]; otherwise Random[].
  std::string RandomForm(const TItem& app) const {
    const std::vector<std::int32_t> arg = app.Parts.size() == 1 ? Unwrapped(app.Parts[0]) : std::vector<std::int32_t>{};
    std::string literal;
    for (std::int32_t id : arg) {
      const TItem& it = Items_[static_cast<std::size_t>(id)];
      if (it.Type != TItem::Token) return "Random[]";
      literal += it.Text;
    }
    // A decimal number, or one in exponent form (m*^k after the first pass).
    std::string number;
    for (std::size_t i = 0; i < literal.size(); ++i) {
      if (literal.compare(i, 2, "*^") == 0) {
        number += 'e';
        ++i;
      } else {
        number += literal[i];
      }
    }
    bool valid = !number.empty();
    for (char c : number)
      if (!IsAsciiDigit(c) && c != '.' && c != 'e' && c != '-' && c != '+') valid = false;
    if (!valid || !(IsAsciiDigit(number[0]) || number[0] == '.')) return "Random[]";
    char* end = nullptr;
    const double v = std::strtod(number.c_str(), &end);
    if (end == nullptr || *end != '\0' || !(v >= 1.0) || v >= 9.2e18) return "Random[]";
    std::string form = "Random[Integer,{0,";
    form += std::to_string(static_cast<long long>(v));
    form += "-1}]";
    return form;
  }

  std::string Write(const std::vector<std::int32_t>& part) {
    std::string out;
    std::vector<TPiece> stack;
    Held_.push_back(part);
    stack.push_back({TPiece::Part, -1, &Held_.back(), {}});
    while (!stack.empty()) {
      TPiece p = std::move(stack.back());
      stack.pop_back();
      switch (p.Kind) {
        case TPiece::Literal: out += p.Text; break;
        case TPiece::Part: PushPart(*p.Items, stack); break;
        case TPiece::Primed: PushApplication(At(p.Id), stack, true, false, false); break;
        case TPiece::Head: PushApplication(At(p.Id), stack, false, true, false); break;
        case TPiece::OneOperand: PushApplicationOrRandom(At(p.Id), stack, true); break;
        case TPiece::Item: {
          const TItem& it = At(p.Id);
          switch (it.Type) {
            case TItem::Token: out += Constant(it.Text); break;
            case TItem::Group:
              stack.push_back({TPiece::Literal, -1, nullptr, ")"});
              stack.push_back({TPiece::Part, -1, &it.Parts[0], {}});
              stack.push_back({TPiece::Literal, -1, nullptr, "("});
              break;
            case TItem::Apply: PushApplicationOrRandom(it, stack, false); break;
          }
          break;
        }
      }
    }
    return out;
  }

  const TItem& At(std::int32_t id) const { return Items_[static_cast<std::size_t>(id)]; }

  // The items of a part, pushed in reverse. A mark after an application
  // changes how it is written: (f(x))' and f(x)' become D[f[x],x]; f(x)~
  // is a definition's head, f[x_]:=.
  void PushPart(const std::vector<std::int32_t>& items, std::vector<TPiece>& stack) const {
    std::vector<TPiece> pieces;
    for (std::size_t k = 0; k < items.size(); ++k) {
      const TItem& it = At(items[k]);
      const bool nextIsPrime = k + 1 < items.size() && IsToken(items[k + 1], "'");
      const bool nextIsDefinition = k + 1 < items.size() && IsToken(items[k + 1], "~");
      if (it.Type == TItem::Group && nextIsPrime && it.Parts[0].size() == 1 &&
          At(it.Parts[0][0]).Type == TItem::Apply) {
        pieces.push_back({TPiece::Primed, it.Parts[0][0], nullptr, {}});
        ++k;
      } else if (it.Type == TItem::Apply && nextIsPrime) {
        pieces.push_back({TPiece::Primed, items[k], nullptr, {}});
        ++k;
      } else if (it.Type == TItem::Apply && nextIsDefinition) {
        pieces.push_back({TPiece::Head, items[k], nullptr, {}});
        pieces.push_back({TPiece::Literal, -1, nullptr, ":="});
        ++k;
      } else if (it.Type == TItem::Apply) {
        const bool before = k > 0 && (IsToken(items[k - 1], "/") || IsToken(items[k - 1], "^"));
        const bool after = k + 1 < items.size() && IsToken(items[k + 1], "^");
        pieces.push_back({before || after ? TPiece::OneOperand : TPiece::Item, items[k], nullptr, {}});
      } else {
        pieces.push_back({TPiece::Item, items[k], nullptr, {}});
      }
    }
    for (std::size_t k = pieces.size(); k-- > 0;) stack.push_back(std::move(pieces[k]));
  }

  // degtorad and radtodeg are written with an operator; next to an operator
  // that binds tighter (oneOperand) they get brackets of their own.
  void PushApplicationOrRandom(const TItem& app, std::vector<TPiece>& stack, bool oneOperand) const {
    if (EqualsIgnoringCase(app.Text, "random")) {
      stack.push_back({TPiece::Literal, -1, nullptr, RandomForm(app)});
      return;
    }
    const bool operatorForm = EqualsIgnoringCase(app.Text, "degtorad") || EqualsIgnoringCase(app.Text, "radtodeg");
    PushApplication(app, stack, false, false, oneOperand && operatorForm);
  }

  const THelmaxComplexEval& Engine_;
  std::string_view Text_;
  std::vector<TItem> Items_;
  mutable std::deque<std::vector<std::int32_t>> Held_;  // parts referred to by pending pieces
};

}  // namespace

std::string THelmaxComplexEval::ToBracketNotation(std::string_view text) const {
  const std::string bracketed = RemoveRedundantParentheses(TBracketer(text).Run());
  const std::string translated = TTranslator(*this, bracketed).Run(ExpressionCount > 1);
  return std::string(StripEnclosingParentheses(translated));
}

}  // namespace helmax
