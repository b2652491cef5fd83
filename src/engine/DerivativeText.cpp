// Derivative texts as ropes, and the text constructors of differentiation.
//
// Every constructor follows its rules in order on the tidied operands. Only
// the last step, tidying the general form built around the operands, is done
// in one of two ways. Short results, and results whose operands are unusual,
// are tidied as plain strings. For the rest the tidy form is composed: an
// operand that is already tidy and stays so when tidied again ("stable") is
// left alone by every pass when it stands inside one of the constructors'
// forms, because each pass decides about a bracket only from the characters
// next to it and from what the bracket holds outside deeper brackets. What
// can change is at the junctions: whether the brackets that a form puts
// around an operand stay (they do when the operand has an operator or comma
// outside brackets, or is a number such as 1e5), and, after the "+" and "-"
// of a form, whether the operand's leading sign merges with that operator
// ("a-(-u)" becomes "a+u" unless u has a + or - between terms).
#include "DerivativeText.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "Syntax.h"
#include "TextUtil.h"

namespace helmax {

namespace {

constexpr std::uint64_t kModulus = (std::uint64_t{1} << 61) - 1;
constexpr std::uint64_t kBase = 1000003;

std::uint64_t MulMod(std::uint64_t a, std::uint64_t b) {
  const unsigned __int128 p = static_cast<unsigned __int128>(a) * b;
  std::uint64_t r = static_cast<std::uint64_t>(p & kModulus) + static_cast<std::uint64_t>(p >> 61);
  if (r >= kModulus) r -= kModulus;
  return r;
}

std::uint64_t AddMod(std::uint64_t a, std::uint64_t b) {
  std::uint64_t r = a + b;
  if (r >= kModulus) r -= kModulus;
  return r;
}

std::uint64_t SubMod(std::uint64_t a, std::uint64_t b) { return a >= b ? a - b : a + kModulus - b; }

std::uint64_t PowMod(std::uint64_t b, std::uint64_t e) {
  std::uint64_t r = 1;
  while (e != 0) {
    if (e & 1) r = MulMod(r, b);
    b = MulMod(b, b);
    e >>= 1;
  }
  return r;
}

const std::uint64_t kInverseBase = PowMod(kBase, kModulus - 2);

bool IsSign(char c) { return c == '+' || c == '-'; }

// Token test of the rules: W occurs with a delimiter or an end of the text
// on both sides.
bool ContainsToken(std::string_view text, std::string_view word) {
  for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) {
    const bool left = at == 0 || IsDelimiter(text[at - 1]);
    const std::size_t end = at + word.size();
    const bool right = end == text.size() || IsDelimiter(text[end]);
    if (left && right) return true;
  }
  return false;
}

// Integer text: an optional sign and one or more digits. value receives it
// when it fits 64 bits (fits false otherwise).
bool ReadInteger(std::string_view s, std::int64_t& value, bool& fits) {
  std::size_t i = 0;
  bool negative = false;
  if (!s.empty() && IsSign(s[0])) {
    negative = s[0] == '-';
    i = 1;
  }
  if (i == s.size()) return false;
  std::int64_t v = 0;
  fits = true;
  for (; i < s.size(); ++i) {
    if (!IsAsciiDigit(s[i])) return false;
    const int d = s[i] - '0';
    if (fits) {
      if (v > (INT64_MAX - d) / 10) fits = false;
      else v = v * 10 + d;
    }
  }
  value = negative ? -v : v;
  return true;
}

bool FitsInt32(std::int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

}  // namespace

TDerivativeTexts::TDerivativeTexts(bool powerAsOperator, std::size_t maxLength, std::size_t flatLimit)
    : PowerAsOperator_(powerAsOperator), MaxLength_(maxLength), FlatLimit_(flatLimit) {}

void TDerivativeTexts::Reset(bool powerAsOperator) {
  PowerAsOperator_ = powerAsOperator;
  Nodes_.Reset();
  Chars_.Reset();
  PartPool_.clear();
  Texts_.Reset();
  Tidies_.Reset();
  Pieces_.clear();
  Composed_ = 0;
  Disagreements_.clear();
}

void TDerivativeTexts::Release() {
  Reset(PowerAsOperator_);
  Nodes_.Trim();
  Chars_.Trim();
  Texts_.Trim();
  Tidies_.Trim();
  ShrinkIfOversized(PartPool_);
  ShrinkIfOversized(Pieces_);
}

// ---- ropes -------------------------------------------------------------------------

// The forms' few fixed pieces ("(", ")+(", "sqrt(" ...) are made once each;
// they are string literals, known by their address.
const TRopeNode* TDerivativeTexts::Piece(const char* s) {
  for (const auto& [text, node] : Pieces_)
    if (text == s) return node;
  const TRopeNode* n = Leaf(s);
  Pieces_.emplace_back(s, n);
  return n;
}

const TRopeNode* TDerivativeTexts::Leaf(std::string_view s) {
  char* copy = Chars_.Take(s.size());
  if (!s.empty()) std::memcpy(copy, s.data(), s.size());
  const std::string_view chars(copy, s.size());
  TRopeNode& n = *Nodes_.Take(1);
  n.Length = static_cast<std::uint32_t>(chars.size());
  n.Chars = copy;
  std::uint64_t h = 0;
  for (char c : chars) h = AddMod(MulMod(h, kBase), static_cast<unsigned char>(c));
  n.Hash = h;
  n.Power = PowMod(kBase, n.Length);
  for (std::size_t i = 0; i < 3 && i < chars.size(); ++i) n.Head[i] = chars[i];
  n.Last = chars.empty() ? 0 : chars.back();
  n.Infinity = ContainsToken(chars, "infinity");
  return &n;
}

std::uint32_t TDerivativeTexts::Length(TRope r) const { return r.Node->Length - r.Skip; }

std::uint64_t TDerivativeTexts::Hash(TRope r) const {
  const TRopeNode& n = *r.Node;
  if (r.Skip == 0) return n.Hash;
  const std::uint64_t lead = MulMod(static_cast<unsigned char>(n.Head[0]), MulMod(n.Power, kInverseBase));
  return SubMod(n.Hash, lead);
}

char TDerivativeTexts::CharAt0(TRope r) const { return CharAt(r, 0); }
char TDerivativeTexts::CharAt1(TRope r) const { return CharAt(r, 1); }

// Character i of a rope (the first characters are kept in every node; past
// them the walk goes down the parts).
char TDerivativeTexts::CharAt(TRope r, std::uint32_t i) const {
  if (i >= Length(r)) return '\0';
  std::uint32_t at = i + r.Skip;
  const TRopeNode* n = r.Node;
  for (;;) {
    if (at < 3) return n->Head[at];
    if (n->Chars != nullptr) return n->Chars[at];
    for (std::uint32_t k = 0; k < n->PartsCount; ++k) {
      const TRope p = PartPool_[n->PartsBegin + k];
      const std::uint32_t len = Length(p);
      if (at < len) {
        at += p.Skip;
        n = p.Node;
        break;
      }
      at -= len;
    }
  }
}

const TRopeNode* TDerivativeTexts::Concat(const std::vector<TRope>& parts) {
  TRopeNode& n = *Nodes_.Take(1);
  n.PartsBegin = static_cast<std::uint32_t>(PartPool_.size());
  n.PartsCount = static_cast<std::uint32_t>(parts.size());
  std::uint64_t length = 0;
  for (const TRope& p : parts) {
    PartPool_.push_back(p);
    const TRopeNode& c = *p.Node;
    const std::uint32_t len = Length(p);
    const std::uint64_t power = p.Skip == 0 ? c.Power : MulMod(c.Power, kInverseBase);
    n.Hash = AddMod(MulMod(n.Hash, power), Hash(p));
    n.Power = MulMod(n.Power, power);
    n.Infinity = n.Infinity || c.Infinity;
    if (len > 0) n.Last = c.Last;
    for (std::uint32_t i = 0; length + i < 3 && i < len; ++i) n.Head[length + i] = CharAt(p, i);
    length += len;
  }
  n.Length = static_cast<std::uint32_t>(std::min<std::uint64_t>(length, UINT32_MAX));
  return &n;
}

std::string TDerivativeTexts::Materialize(TRope r) const {
  std::string out;
  out.reserve(Length(r));
  struct TFrame {
    const TRopeNode* Node;
    std::uint32_t Next;
  };
  std::size_t drop = r.Skip;
  auto append = [&](const TRopeNode* leaf) {
    const std::size_t from = std::min<std::size_t>(drop, leaf->Length);
    drop -= from;
    out.append(leaf->Chars + from, leaf->Length - from);
  };
  if (r.Node->Chars != nullptr) {
    append(r.Node);
    return out;
  }
  std::vector<TFrame> stack{{r.Node, 0}};
  while (!stack.empty()) {
    TFrame& f = stack.back();
    if (f.Next == f.Node->PartsCount) {
      stack.pop_back();
      continue;
    }
    const TRope p = PartPool_[f.Node->PartsBegin + f.Next++];
    if (Length(p) == 0) continue;
    drop += p.Skip;
    // Runs of characters are copied at once; only concatenations are
    // walked into.
    if (p.Node->Chars != nullptr) append(p.Node);
    else stack.push_back({p.Node, 0});
  }
  return out;
}

bool TDerivativeTexts::SameText(TRope a, TRope b) const {
  if (a.Node == b.Node && a.Skip == b.Skip) return true;
  if (Length(a) != Length(b) || Hash(a) != Hash(b)) return false;
  return Materialize(a) == Materialize(b);
}

// ---- texts ---------------------------------------------------------------------------

TDText TDerivativeTexts::Literal(std::string_view s, bool knownPlain) {
  if (s.size() > MaxLength_) return nullptr;
  TDerivativeText& t = *Texts_.Take(1);
  t.Raw = {Leaf(s), 0};
  t.KnownPlain = knownPlain;
  return &t;
}

TDText TDerivativeTexts::Join(std::initializer_list<TPart> parts, bool knownPlain) {
  return Join(std::vector<TPart>(parts), knownPlain);
}

TDText TDerivativeTexts::Join(const std::vector<TPart>& parts, bool knownPlain) {
  std::vector<TRope> ropes;
  ropes.reserve(parts.size());
  std::uint64_t length = 0;
  for (const TPart& p : parts) {
    if (p.IsText) {
      if (p.Text == nullptr) return nullptr;
      ropes.push_back(p.Text->Raw);
    } else {
      ropes.push_back({Leaf(p.Literal), 0});
    }
    length += Length(ropes.back());
  }
  if (length > MaxLength_) return nullptr;
  TDerivativeText& t = *Texts_.Take(1);
  t.Raw = {Concat(ropes), 0};
  t.KnownPlain = knownPlain;
  return &t;
}

std::string TDerivativeTexts::Tidied(TDText t) {
  if (t == nullptr) return std::string();
  return Materialize(TidyOf(t).Text);
}

std::string TDerivativeTexts::Raw(TDText t) const { return t == nullptr ? std::string() : Materialize(t->Raw); }

std::size_t TDerivativeTexts::RawLength(TDText t) const { return t == nullptr ? 0 : Length(t->Raw); }

bool TDerivativeTexts::Int32Value(TDText t, std::int64_t& value) {
  if (t == nullptr || ClassOf(t) == TTextClass::Plain) return false;
  const TTidyText& tt = TidyOf(t);
  value = tt.Value;
  return tt.FitsInt32;
}

bool TDerivativeTexts::ContainsInfinity(TDText t) const { return t != nullptr && t->Raw.Node->Infinity; }

// What the constructors ask of a tidy text, read from its characters.
const TTidyText* TDerivativeTexts::ScanTidy(const std::string& s) {
  TTidyText& t = *Tidies_.Take(1);
  t.Text = {Leaf(s), 0};
  if (s == "0" || s == "-0" || s == "+0") {
    t.Class = TTextClass::Zero;
  } else if (s == "1") {
    t.Class = TTextClass::One;
  } else if (s == "-1") {
    t.Class = TTextClass::MinusOne;
  } else {
    bool fits = false;
    std::int64_t v = 0;
    if (ReadInteger(s, v, fits)) {
      t.Class = TTextClass::Integer;
      t.FitsInt32 = fits && FitsInt32(v);
      t.Value = v;
    }
  }
  if (t.Class == TTextClass::Zero || t.Class == TTextClass::One || t.Class == TTextClass::MinusOne) {
    t.FitsInt32 = true;
    t.Value = s == "1" ? 1 : s == "-1" ? -1 : 0;
  }
  int depth = 0;
  std::vector<std::size_t> open;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '(') {
      if (depth == 0) open.push_back(i);
      ++depth;
      continue;
    }
    if (c == ')') {
      if (depth > 0 && --depth == 0 && i + 1 == s.size() && !open.empty() && open.back() == 1) t.LeadGroup = true;
      continue;
    }
    if (depth != 0) continue;
    if (c == ',') t.TopComma = true;
    if (!IsOperatorChar(c)) continue;
    t.TopOperator = true;
    if (i == 0) continue;
    t.OperatorAfterLead = true;
    if (IsSign(c) && !IsOperatorChar(s[i - 1]) && s[i - 1] != '(' && s[i - 1] != ',' && !IsExponentSign(s, i))
      t.TermSign = true;
  }
  t.LeadGroup = t.LeadGroup && s.size() >= 2 && IsSign(s[0]);
  t.UnsignedExponent = IsUnsignedExponentNumber(s);
  return &t;
}

const TTidyText& TDerivativeTexts::TidyOf(TDText t) {
  if (t->Tidy == nullptr) t->Tidy = ScanTidy(TidySigns(Materialize(t->Raw)));
  return *t->Tidy;
}

bool TDerivativeTexts::IsStable(const TTidyText& t) {
  if (t.Stable < 0) {
    const std::string s = Materialize(t.Text);
    t.Stable = TidySigns(s) == s ? 1 : 0;
  }
  return t.Stable == 1;
}

TTextClass TDerivativeTexts::ClassOf(TDText t) {
  if (t->KnownPlain && t->Tidy == nullptr) return TTextClass::Plain;
  return TidyOf(t).Class;
}

// The tidied operand itself as a result; tidying it again gives it back
// unless it is not stable.
TDText TDerivativeTexts::FromTidy(const TTidyText& t) {
  TDerivativeText& r = *Texts_.Take(1);
  r.Raw = t.Text;
  if (IsStable(t)) r.Tidy = &t;
  return &r;
}

TDText TDerivativeTexts::Finish(TRope raw, const TTidyText* tidy) {
  TDerivativeText& r = *Texts_.Take(1);
  r.Raw = raw;
  r.Tidy = tidy;
  return &r;
}

bool TDerivativeTexts::BothIntegers(const TTidyText& a, const TTidyText& b) {
  return a.Class != TTextClass::Plain && b.Class != TTextClass::Plain;
}

// Integer texts are combined on 32-bit integers: the exact result when both
// operands and the result fit, else the general form. The operands fit 32
// bits, so the 64-bit result cannot overflow.
TDText TDerivativeTexts::Checked(std::int64_t v, const TTidyText& a, const TTidyText& b, TForm form) {
  if (a.FitsInt32 && b.FitsInt32 && FitsInt32(v)) return Literal(std::to_string(v));
  return Form(form, a, &b);
}

// ---- composing tidy forms ------------------------------------------------------------

// Operands whose tidy form can be composed: stable, no comma outside
// brackets, not ending so that a following sign could read as an exponent's
// sign, not starting with "+", with a sign followed by another sign, or with
// a bracket that is not followed by an operator.
bool TDerivativeTexts::Composable(const TTidyText& t) {
  const std::uint32_t n = Length(t.Text);
  if (n == 0 || t.TopComma) return false;
  const char first = CharAt0(t.Text);
  const char second = n > 1 ? CharAt1(t.Text) : '\0';
  const char last = t.Text.Node->Last;
  if (last == 'e' || last == 'E' || IsOperatorChar(last) || last == '(' || last == ',') return false;
  if (first == '+' || (first == '-' && (n < 2 || IsOperatorChar(second)))) return false;
  if (first == '(' && !t.TopOperator) return false;
  return IsStable(t);
}

// The operand as a form places it between brackets: the brackets stay when
// it has an operator outside brackets or is a number such as 1e5.
void TDerivativeTexts::Wrapped(const TTidyText& t, std::vector<TRope>& parts, bool& wrapped) {
  wrapped = t.TopOperator || t.TopComma || t.UnsignedExponent;
  if (wrapped) parts.push_back({Piece("("), 0});
  parts.push_back(t.Text);
  if (wrapped) parts.push_back({Piece(")"), 0});
}

// A stable text without its leading sign (which is followed by no other
// sign). Stable again, unless the rest is one bracket: "-(a+b)" leaves
// "(a+b)", whose enclosing pair tidying would strip.
TTidyText TDerivativeTexts::Tail(const TTidyText& t) {
  TTidyText r;
  if (t.Text.Skip == 0) {
    r.Text = {t.Text.Node, 1};
  } else {
    r.Text = {Concat({t.Text}), 1};
  }
  r.TopOperator = t.OperatorAfterLead;
  r.TopComma = t.TopComma;
  r.OperatorAfterLead = t.OperatorAfterLead;
  r.TermSign = t.TermSign;
  r.Stable = t.LeadGroup ? 0 : 1;
  // Without an operator the rest may be a number such as 1e5 ("-1e5").
  if (!t.OperatorAfterLead) r.UnsignedExponent = IsUnsignedExponentNumber(Materialize(r.Text));
  return r;
}

TDText TDerivativeTexts::Form(TForm form, const TTidyText& a, const TTidyText* b) {
  static const char* const kOpen[] = {"(", "(", "(", "(", "(", "power(", "sqrt(", "ln("};
  static const char* const kMiddle[] = {")+(", ")-(", ")*(", ")/(", ")^(", ",", "", ""};
  static const char* const kClose[] = {")", ")", ")", ")", ")", ")", ")", ")"};
  const int f = static_cast<int>(form);
  std::vector<TRope> raw{{Piece(kOpen[f]), 0}, a.Text};
  if (b != nullptr) {
    raw.push_back({Piece(kMiddle[f]), 0});
    raw.push_back(b->Text);
  }
  raw.push_back({Piece(kClose[f]), 0});
  const TRope rawRope{Concat(raw), 0};
  const std::uint32_t length = Length(rawRope);
  if (length > MaxLength_) return nullptr;
  if (length <= FlatLimit_ || !Composable(a) || (b != nullptr && !Composable(*b))) return Finish(rawRope, nullptr);

  std::vector<TRope> parts;
  bool wrappedA = false, wrappedB = false;
  TTidyText& r = *Tidies_.Take(1);
  switch (form) {
    case TForm::Add:
    case TForm::Sub: {
      const char op = form == TForm::Add ? '+' : '-';
      Wrapped(a, parts, wrappedA);
      const bool wrapB = b->TopOperator || b->UnsignedExponent;
      if (wrapB && CharAt0(b->Text) == '-' && !b->TermSign) {
        // "a+(-u)" is "a-u", "a-(-u)" is "a+u".
        parts.push_back({Piece(op == '-' ? "+" : "-"), 0});
        parts.push_back(Tail(*b).Text);
      } else {
        parts.push_back({Piece(op == '+' ? "+" : "-"), 0});
        Wrapped(*b, parts, wrappedB);
      }
      r.TopOperator = r.OperatorAfterLead = r.TermSign = true;
      break;
    }
    case TForm::Mul:
    case TForm::Div:
    case TForm::Power: {
      Wrapped(a, parts, wrappedA);
      parts.push_back({Piece(form == TForm::Mul ? "*" : form == TForm::Div ? "/" : "^"), 0});
      Wrapped(*b, parts, wrappedB);
      r.TopOperator = r.OperatorAfterLead = true;
      break;
    }
    case TForm::PowerFunction:
    case TForm::Sqrt:
    case TForm::Ln: {
      // A function's brackets stay, and so does everything inside them.
      parts = raw;
      break;
    }
  }
  r.Text = {Concat(parts), 0};
  r.Stable = 1;
  if (Length(r.Text) <= 32) {
    // Short results: read the facts from the characters.
    const TTidyText& scanned = *ScanTidy(Materialize(r.Text));
    r = scanned;
    r.Stable = 1;
  }
  ++Composed_;
  if (Verify_) Verify(rawRope, r);
  return Finish(rawRope, &r);
}

// "-(" b ")": b's brackets stay when it has an operator outside brackets; a
// leading "-" of b merges: "-(-u)" is "u".
TDText TDerivativeTexts::Negate(const TTidyText& b) {
  const TRope rawRope{Concat({{Piece("-("), 0}, b.Text, {Piece(")"), 0}}), 0};
  const std::uint32_t length = Length(rawRope);
  if (length > MaxLength_) return nullptr;
  if (length <= FlatLimit_ || !Composable(b)) return Finish(rawRope, nullptr);
  TTidyText& r = *Tidies_.Take(1);
  const bool wrapB = b.TopOperator || b.UnsignedExponent;
  if (wrapB && CharAt0(b.Text) == '-' && !b.TermSign) {
    r = Tail(b);
  } else {
    std::vector<TRope> parts{{Piece("-"), 0}};
    bool wrapped = false;
    Wrapped(b, parts, wrapped);
    r.Text = {Concat(parts), 0};
    r.TopOperator = true;
    r.LeadGroup = wrapped;
    r.Stable = 1;
  }
  if (Length(r.Text) <= 32) {
    const std::int8_t stable = r.Stable;
    r = *ScanTidy(Materialize(r.Text));
    r.Stable = stable;
  }
  ++Composed_;
  if (Verify_) Verify(rawRope, r);
  return Finish(rawRope, &r);
}

// "(" a ")*(" b ")" with the leading "-" of both left out.
TDText TDerivativeTexts::WithoutSigns(const TTidyText& a, const TTidyText& b) {
  if (Composable(a) && Composable(b) && !a.LeadGroup && !b.LeadGroup) {
    TTidyText& ta = *Tidies_.Take(1);
    ta = Tail(a);
    TTidyText& tb = *Tidies_.Take(1);
    tb = Tail(b);
    return Form(TForm::Mul, ta, &tb);
  }
  std::string text = "(";
  text.append(Materialize(a.Text), 1);
  text += ")*(";
  text.append(Materialize(b.Text), 1);
  text += ")";
  return Literal(text);
}

void TDerivativeTexts::Verify(TRope raw, const TTidyText& composed) {
  const std::string text = Materialize(raw);
  const std::string expected = TidySigns(text);
  const std::string got = Materialize(composed.Text);
  std::string what;
  if (got != expected) {
    what = "text " + got;
  } else {
    const TTidyText& s = *ScanTidy(expected);
    const bool stable = TidySigns(expected) == expected;
    if (s.Class != composed.Class) what = "class";
    else if (s.TopOperator != composed.TopOperator) what = "operator";
    else if (s.TopComma != composed.TopComma) what = "comma";
    else if (s.OperatorAfterLead != composed.OperatorAfterLead) what = "operator after lead";
    else if (s.TermSign != composed.TermSign) what = "term sign";
    else if (s.LeadGroup != composed.LeadGroup) what = "lead group";
    else if (s.UnsignedExponent != composed.UnsignedExponent) what = "exponent";
    else if (stable != (composed.Stable == 1)) what = "stable";
  }
  if (!what.empty()) Disagreements_.push_back(text + " -> " + expected + " : " + what);
}

// ---- the constructors ------------------------------------------------------------------

TDText TDerivativeTexts::Add(TDText a, TDText b) {
  if (a == nullptr || b == nullptr) return nullptr;
  const TTidyText& ta = TidyOf(a);
  const TTidyText& tb = TidyOf(b);
  if (ta.Class == TTextClass::Zero) return FromTidy(tb);
  if (tb.Class == TTextClass::Zero) return FromTidy(ta);
  if (BothIntegers(ta, tb)) return Checked(ta.Value + tb.Value, ta, tb, TForm::Add);
  if (SameText(ta.Text, tb.Text)) return Mul(Literal("2"), FromTidy(ta));
  return Form(TForm::Add, ta, &tb);
}

TDText TDerivativeTexts::Sub(TDText a, TDText b) {
  if (a == nullptr || b == nullptr) return nullptr;
  const TTidyText& ta = TidyOf(a);
  const TTidyText& tb = TidyOf(b);
  if (SameText(ta.Text, tb.Text) && !ta.Text.Node->Infinity) return Literal("0");
  if (ta.Class == TTextClass::Zero) return Negate(tb);
  if (tb.Class == TTextClass::Zero) return FromTidy(ta);
  if (BothIntegers(ta, tb)) return Checked(ta.Value - tb.Value, ta, tb, TForm::Sub);
  return Form(TForm::Sub, ta, &tb);
}

TDText TDerivativeTexts::Mul(TDText a, TDText b) {
  if (a == nullptr || b == nullptr) return nullptr;
  const TTextClass ca = ClassOf(a);
  const TTextClass cb = ClassOf(b);
  if (ca == TTextClass::One) return FromTidy(TidyOf(b));
  if (cb == TTextClass::One) return FromTidy(TidyOf(a));
  if (ca == TTextClass::MinusOne) return Negate(TidyOf(b));
  if (cb == TTextClass::MinusOne) return Negate(TidyOf(a));
  if ((ca == TTextClass::Zero || cb == TTextClass::Zero) && !ContainsInfinity(a) && !ContainsInfinity(b))
    return Literal("0");
  const TTidyText& ta = TidyOf(a);
  const TTidyText& tb = TidyOf(b);
  if (BothIntegers(ta, tb)) return Checked(ta.Value * tb.Value, ta, tb, TForm::Mul);
  if (SameText(ta.Text, tb.Text)) return Pow(FromTidy(ta), Literal("2"));
  // Both negative single terms: the signs cancel.
  if (CharAt0(ta.Text) == '-' && CharAt0(tb.Text) == '-' && !ta.TermSign && !tb.TermSign) return WithoutSigns(ta, tb);
  return Form(TForm::Mul, ta, &tb);
}

TDText TDerivativeTexts::Div(TDText a, TDText b) {
  if (a == nullptr || b == nullptr) return nullptr;
  const TTextClass ca = ClassOf(a);
  if (ca == TTextClass::Zero) {
    const TTextClass cb = ClassOf(b);
    if (cb == TTextClass::Zero) return Literal("(0/0)");
    if (ContainsInfinity(b)) return Form(TForm::Div, TidyOf(a), &TidyOf(b));
    return Literal("0");
  }
  const TTidyText& ta = TidyOf(a);
  const TTidyText& tb = TidyOf(b);
  if (tb.Class == TTextClass::One) return FromTidy(ta);
  if (ta.Text.Node->Infinity) return Form(TForm::Div, ta, &tb);
  if (SameText(ta.Text, tb.Text)) return Literal("1");
  // a is -b or b is -a, both single terms.
  if (!ta.TermSign && !tb.TermSign) {
    auto negated = [&](const TTidyText& minus, const TTidyText& plain) {
      return CharAt0(minus.Text) == '-' && Length(minus.Text) == Length(plain.Text) + 1 &&
             Materialize(minus.Text).compare(1, std::string::npos, Materialize(plain.Text)) == 0;
    };
    if (negated(ta, tb) || negated(tb, ta)) return Literal("-1");
  }
  if (BothIntegers(ta, tb)) {
    // Only an exact quotient; never a division by 0.
    if (!ta.FitsInt32 || !tb.FitsInt32 || tb.Value == 0 || ta.Value % tb.Value != 0) return Form(TForm::Div, ta, &tb);
    return Checked(ta.Value / tb.Value, ta, tb, TForm::Div);
  }
  return Form(TForm::Div, ta, &tb);
}

TDText TDerivativeTexts::Pow(TDText a, TDText b) {
  if (a == nullptr || b == nullptr) return nullptr;
  if (ContainsInfinity(a) || ContainsInfinity(b)) {
    // The power form of the operands as they are, untidied.
    if (PowerAsOperator_) return Join({"(", a, ")^(", b, ")"});
    return Join({"power(", a, ",", b, ")"});
  }
  const TTidyText& ta = TidyOf(a);
  const TTidyText& tb = TidyOf(b);
  if (tb.Class == TTextClass::Zero) return Literal(ta.Class == TTextClass::Zero ? "(0^0)" : "1");
  if (tb.Class == TTextClass::One) return FromTidy(ta);
  if (ta.Class == TTextClass::Zero) return Literal("0");
  if (ta.Class == TTextClass::One) return Literal("1");
  return Form(PowerAsOperator_ ? TForm::Power : TForm::PowerFunction, ta, &tb);
}

TDText TDerivativeTexts::Sqrt(TDText a) {
  if (a == nullptr) return nullptr;
  const TTidyText& ta = TidyOf(a);
  if (ta.Class == TTextClass::Zero) return Literal("0");
  if (ta.Class == TTextClass::One) return Literal("1");
  return Form(TForm::Sqrt, ta, nullptr);
}

TDText TDerivativeTexts::Ln(TDText a) {
  if (a == nullptr) return nullptr;
  const TTidyText& ta = TidyOf(a);
  if (ta.Class == TTextClass::Zero) return Literal("-infinity");
  if (Length(ta.Text) == 6 && Materialize(ta.Text) == "exp(1)") return Literal("1");
  return Form(TForm::Ln, ta, nullptr);
}

}  // namespace helmax
