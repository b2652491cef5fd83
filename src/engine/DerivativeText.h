// The texts of symbolic differentiation and their constructors (AddText,
// SubText, MulText, DivText, PowText, SqrtText, LnText).
//
// The rules define every constructor on plain strings: each operand is first
// tidied (TidySigns), then a fixed text is built around it. Done literally,
// a long sum differentiates in quadratic time, since every step re-tidies
// and copies the whole derivative built so far. Here texts are ropes built
// by concatenation in constant time, each with its tidy form and the few
// facts that the rules ask of it (its first characters, its operators
// outside brackets, whether it is an integer, a hash for equality). The
// tidy form of a constructor's result is derived from its operands' tidy
// forms, which only ever changes the result around the junctions; where
// that cannot be shown (short texts, unusual operands) the result is tidied
// as a plain string instead. Either way the texts are the ones the rules
// give.
//
// All storage belongs to one TDerivativeTexts and lives until its Reset
// (the engine keeps one for all its compiles, so that a long text does not
// fault in fresh memory every time); texts are handed out as pointers into
// it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "BlockPool.h"

namespace helmax {

// A node of a rope: a run of characters, or the concatenation of parts.
struct TRopeNode {
  std::uint32_t Length = 0;
  std::uint64_t Hash = 0;    // sum of c[i] * B^(Length-1-i), modulo P
  std::uint64_t Power = 1;   // B^Length modulo P
  char Head[3] = {0, 0, 0};  // the first three characters ('\0' past the end)
  char Last = 0;
  bool Infinity = false;        // holds the token infinity
  const char* Chars = nullptr;  // a run of characters, or null for a concatenation
  std::uint32_t PartsBegin = 0;
  std::uint32_t PartsCount = 0;
};

// A rope with its first Skip characters (0 or 1) left out.
struct TRope {
  const TRopeNode* Node = nullptr;
  std::uint32_t Skip = 0;
};

// Short texts that the constructors treat specially.
enum class TTextClass : std::uint8_t {
  Plain,
  Zero,      // "0", "-0", "+0"
  One,       // "1"
  MinusOne,  // "-1"
  Integer,   // any other optional sign followed by digits
};

// A tidied text and what the constructors ask of it.
struct TTidyText {
  TRope Text;
  TTextClass Class = TTextClass::Plain;
  bool FitsInt32 = false;  // integer texts: the value fits 32 bits
  std::int64_t Value = 0;
  bool TopOperator = false;        // an operator character outside brackets
  bool TopComma = false;           // a comma outside brackets
  bool OperatorAfterLead = false;  // the same, not counting the first character
  bool TermSign = false;           // a binary + or - outside brackets (not an exponent's sign)
  bool LeadGroup = false;          // a sign, then one bracket up to the end: -(...)
  bool UnsignedExponent = false;   // a number such as 1e5
  // Tidying again leaves the text as it is (-1: not yet known).
  mutable std::int8_t Stable = -1;
};

// A text of the derivative machinery: as built, and tidied.
struct TDerivativeText {
  TRope Raw;
  // Its tidy form is certainly not one of the short texts of TTextClass
  // (lets a product by 0 skip tidying a long factor).
  bool KnownPlain = false;
  mutable const TTidyText* Tidy = nullptr;  // built on first use
};

// A text handed around by the rules; nullptr is the missing derivative.
using TDText = const TDerivativeText*;

class TDerivativeTexts {
 public:
  // maxLength: longer texts are missing. flatLimit: results up to this
  // length are tidied as plain strings (the tests set 0 to exercise the
  // rope path on short texts too).
  explicit TDerivativeTexts(bool powerAsOperator, std::size_t maxLength = 1u << 20, std::size_t flatLimit = 64);
  TDerivativeTexts(const TDerivativeTexts&) = delete;
  TDerivativeTexts& operator=(const TDerivativeTexts&) = delete;

  // Forgets every text (keeping the storage) for the next compile.
  void Reset(bool powerAsOperator);
  // Forgets every text and gives back all but a little of the storage, so a
  // long derivation does not keep its memory after its result is read.
  void Release();

  // A part of a joined text: fixed characters or another text as built.
  struct TPart {
    TPart(const char* s) : Literal(s) {}  // NOLINT: literals read naturally in joins
    TPart(std::string_view s) : Literal(s) {}
    TPart(TDText t) : Text(t), IsText(true) {}
    std::string_view Literal;
    TDText Text = nullptr;
    bool IsText = false;
  };

  // Fixed characters (copied).
  TDText Literal(std::string_view s, bool knownPlain = false);
  // Parts joined as they are; missing when a text part is missing or the
  // result is too long.
  TDText Join(std::initializer_list<TPart> parts, bool knownPlain = false);
  TDText Join(const std::vector<TPart>& parts, bool knownPlain = false);

  TDText Add(TDText a, TDText b);
  TDText Sub(TDText a, TDText b);
  TDText Mul(TDText a, TDText b);
  TDText Div(TDText a, TDText b);
  TDText Pow(TDText a, TDText b);
  TDText Sqrt(TDText a);
  TDText Ln(TDText a);

  // TidySigns of the text, as a string ("" for a missing text).
  std::string Tidied(TDText t);
  // The text as built.
  std::string Raw(TDText t) const;
  std::size_t RawLength(TDText t) const;
  // The first character as built ('\0' for an empty or missing text).
  char FirstChar(TDText t) const { return t == nullptr ? '\0' : CharAt(t->Raw, 0); }
  // The class of the tidied text (Plain for a missing one).
  TTextClass Classify(TDText t) { return t == nullptr ? TTextClass::Plain : ClassOf(t); }
  // The tidied text is an integer text whose value fits 32 bits.
  bool Int32Value(TDText t, std::int64_t& value);
  // The text contains the token infinity (as built or tidied alike).
  bool ContainsInfinity(TDText t) const;

  std::size_t MaxLength() const { return MaxLength_; }

  // For tests: compare every composed tidy form with the plain tidying of
  // its text (and the facts read from it), and keep the differences.
  void VerifyComposedForms(bool on) { Verify_ = on; }
  const std::vector<std::string>& Disagreements() const { return Disagreements_; }
  // How many results had their tidy form composed (not tidied as strings).
  std::size_t ComposedCount() const { return Composed_; }

 private:
  enum class TForm : std::uint8_t { Add, Sub, Mul, Div, Power, PowerFunction, Sqrt, Ln };

  const TRopeNode* Leaf(std::string_view s);
  const TRopeNode* Piece(const char* s);
  const TRopeNode* Concat(const std::vector<TRope>& parts);
  std::string Materialize(TRope r) const;
  std::uint32_t Length(TRope r) const;
  std::uint64_t Hash(TRope r) const;
  char CharAt(TRope r, std::uint32_t i) const;
  char CharAt0(TRope r) const;
  char CharAt1(TRope r) const;
  bool SameText(TRope a, TRope b) const;

  const TTidyText& TidyOf(TDText t);
  const TTidyText* ScanTidy(const std::string& tidy);
  bool IsStable(const TTidyText& t);
  TTextClass ClassOf(TDText t);
  TDText FromTidy(const TTidyText& t);
  TDText Form(TForm form, const TTidyText& a, const TTidyText* b);
  TDText Negate(const TTidyText& b);
  TDText WithoutSigns(const TTidyText& a, const TTidyText& b);
  bool Composable(const TTidyText& t);
  void Wrapped(const TTidyText& t, std::vector<TRope>& parts, bool& wrapped);
  TTidyText Tail(const TTidyText& t);
  TDText Finish(TRope raw, const TTidyText* tidy);
  static bool BothIntegers(const TTidyText& a, const TTidyText& b);
  TDText Checked(std::int64_t v, const TTidyText& a, const TTidyText& b, TForm form);
  void Verify(TRope raw, const TTidyText& composed);

  bool PowerAsOperator_;
  std::size_t MaxLength_;
  std::size_t FlatLimit_;
  TBlockPool<TRopeNode> Nodes_;
  TBlockPool<char> Chars_;
  std::vector<TRope> PartPool_;
  TBlockPool<TDerivativeText> Texts_;
  TBlockPool<TTidyText> Tidies_;
  std::vector<std::pair<const char*, const TRopeNode*>> Pieces_;
  bool Verify_ = false;
  std::size_t Composed_ = 0;
  std::vector<std::string> Disagreements_;
};

}  // namespace helmax
