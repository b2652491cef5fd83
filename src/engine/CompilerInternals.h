// What the parts of the compiler share: the sub-expression records, the
// sharing tables, the working storage kept between compiles and the compiler
// itself. The compiler's parts: Compiler.cpp (the entry points),
// CompilerRecords.cpp (records, their texts and programs), CompilerReduction.cpp
// (the reduction, folding and function applications), CompilerControl.cpp (if
// and while) and CompilerDerivation.cpp (derivative texts). Only the engine's
// own sources include this.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "DerivativeRules.h"
#include "FixedTexts.h"
#include "HelmaxComplexEval.h"
#include "Operations.h"
#include "OperatorPrecedence.h"
#include "Syntax.h"
#include "TextUtil.h"

namespace helmax {
enum class TNode : std::uint8_t { Leaf, Binary, Neg, Call, List };

struct TRec {
  TValue* const* Cells = nullptr;
  std::int32_t Count = 1;
  std::int32_t Prog = -1;
  union {                        // by Node:
    std::int32_t Variable = -1;  // leaf: the variable it names (0-based), or -1
    std::int32_t Code;           // call: function code
    std::int32_t ItemsStart;     // list: first item in the item pool
  };
  // By Node: binary: the left and right operands; neg: the operand in A;
  // call: the argument record (or -1) in A, its name's position in the
  // normalised text in B; leaf: its token's position in A, length in B.
  std::int32_t A = -1;
  std::int32_t B = -1;
  TNode Node : 3 = TNode::Leaf;
  bool RunTime : 1 = false;
  bool NotAssignable : 1 = true;
  bool Invariant : 1 = true;
  bool Volatile : 1 = false;  // holds random or a volatile external function: never shared
  bool ExpNumber : 1 = false;
  char Op = 0;
  std::uint16_t NameLength : 15 = 0;  // call: its name's length
  // Some remembered shape has this record for an operand: until then, no
  // look-up of a shape with it as an operand can find anything.
  bool Keyed : 1 = false;

  // A record is built field by field (the flags a byte at a time), then
  // copied into the array or passed on. A copy of wide loads could not take
  // those narrow stores' values from the store buffer and would wait for
  // them to reach the cache; a copy field by field, each load the width of
  // its store, does not wait.
  TRec() = default;
  TRec(const TRec& o) noexcept { CopyFrom(o); }
  TRec& operator=(const TRec& o) noexcept {
    CopyFrom(o);
    return *this;
  }

 private:
  static constexpr std::size_t kFlagsOffset = 28;  // the byte of the bit fields
  void CopyFrom(const TRec& o) noexcept {
    Cells = o.Cells;
    Count = o.Count;
    Prog = o.Prog;
    Variable = o.Variable;
    A = o.A;
    B = o.B;
    std::memcpy(reinterpret_cast<unsigned char*>(this) + kFlagsOffset,
                reinterpret_cast<const unsigned char*>(&o) + kFlagsOffset, 1);
    Op = o.Op;
    std::memcpy(reinterpret_cast<unsigned char*>(this) + kFlagsOffset + 2,
                reinterpret_cast<const unsigned char*>(&o) + kFlagsOffset + 2, 2);
  }
};
static_assert(offsetof(TRec, B) + sizeof(std::int32_t) == 28 && offsetof(TRec, Op) == 29,
              "the bit fields take the byte between B and Op, and the two after Op");
// A long text has a record for most of its tokens: two records share a
// cache line.
static_assert(sizeof(TRec) <= 32, "a record takes half a cache line");

struct TPiece {
  std::int32_t A = -1;
  std::int32_t B = -1;
  std::int32_t Instr = 0;
};

// What differentiation knows of a record: its text, its derivative text
// (nullptr when missing) and whether its text names the variable, an
// assignment target or a run-time function (which a function without a
// derivative must not depend on).
struct TRecordTexts {
  TDText Text = nullptr;
  TDText Derivative = nullptr;
  bool Done = false;
  bool NamesVariable = false;
  bool NamesTarget = false;
  bool CallsRunTimeFunction = false;
};

inline bool IsNaNValue(const TValue& v) {
  switch (v.Kind) {
    case TValueKind::Real:
    case TValueKind::DateTime: return std::isnan(v.Num);
    case TValueKind::Complex: return std::isnan(v.Cx.Re) || std::isnan(v.Cx.Im);
    default: return false;
  }
}

struct TCompileFailure {
  std::int32_t Code;
  std::string Message;
  std::size_t Position = std::string::npos;  // in the compiled text, when known
};

inline int OperatorCode(char op) {
  switch (op) {
    case '*': return opMul;
    case '/': return opDiv;
    case '+': return opAdd;
    case '-': return opSub;
    case '^': return opPow;
    case '=': return opAssign;
    default: return opDefine;
  }
}

inline int FoldErrorCode(char op) { return OperatorErrorCode(OperatorCode(op)); }

// Codes whose own message survives a failure inside the reduction; any other
// failure becomes a plain syntax error naming the group.
inline bool KeepsOwnMessage(std::int32_t code) {
  return code > 0 || (code >= ecDuplicateParameter && code <= ecFunctionName) ||
         (code >= ecUnknownVariable && code <= ecMultiply) || code == ecProtected || code == ecReservedName ||
         code == ecIdentifierTooLong || code == ecInvalidIdentifier;
}

inline void AppendKeyInt(std::string& key, std::int32_t v) {
  char buf[sizeof v];
  std::memcpy(buf, &v, sizeof v);
  key.append(buf, sizeof v);
}

// Sharing key of an operation: its kind (operator or function code) and the
// numbers of its operand records.
struct TShapeKey {
  std::uint32_t Tag;
  std::int32_t A;
  std::int32_t B;
  bool operator==(const TShapeKey&) const = default;
};

enum : std::uint32_t { kTagBinary = 1u << 24, kTagNeg = 2u << 24, kTagCall = 3u << 24 };

// Open-addressing table of record numbers for sharing, 8 bytes a slot: the
// hash of the record's key and its number. The keys themselves are not
// stored: a look-up compares with the record the number names, which holds
// its key (operation and operands, or leaf text). A long text makes one
// look-up per operation and per operand.
class TRecordTable {
 public:
  // Empties the table for the next compile, keeping its storage unless it
  // is far larger than that compile needs.
  void Reset(std::size_t expected) {
    std::size_t cap = 16;
    while (cap < 2 * expected) cap <<= 1;
    if (Slots.size() < cap || Slots.size() > 8 * cap) {
      Slots.assign(cap, TSlot{});
      Slots.shrink_to_fit();
      Mask = cap - 1;
      Count = 0;
    } else if (Count != 0) {
      // (An empty slot is all zero bits: the library's memset clears a
      // long table several times faster than a loop of slot stores.)
      std::memset(static_cast<void*>(Slots.data()), 0, Slots.size() * sizeof(TSlot));
      Count = 0;
    }
    PendingCount = 0;
  }
  // The record whose key has this hash and for which same(record) holds, or
  // -1. Probes go 1, 2, 3, ... slots on, which visits every slot of a table
  // whose size is a power of two.
  // (The records waiting to be placed come after those in the table, in
  // the order they were added: the same order a look-up would meet them in
  // had they been placed at once.)
  template <class Same>
  std::int32_t Find(std::uint32_t hash, Same&& same) const {
    if (!Slots.empty()) {
      for (std::size_t i = hash & Mask, step = 1;; i = (i + step++) & Mask) {
        const TSlot& s = Slots[i];
        if (s.Entry == 0) break;
        if (s.Hash == hash && same(s.Entry - 1)) return s.Entry - 1;
      }
    }
    for (std::size_t k = 0; k < PendingCount; ++k) {
      const TSlot& p = Pending[(PendingFirst + k) % kPending];
      if (p.Hash == hash && same(p.Entry - 1)) return p.Entry - 1;
    }
    return -1;
  }
  // Adds a record that Find did not find.
  void Insert(std::uint32_t hash, std::int32_t record) { PlaceNow(hash, record); }
  // The same, its slot fetched now and written kPending additions later:
  // for a table whose slots are seldom in the cache when a record is added,
  // and seldom looked up (a look-up also reads the records waiting).
  void InsertSoon(std::uint32_t hash, std::int32_t record) {
    if (!Slots.empty()) __builtin_prefetch(&Slots[hash & Mask], 1);
    if (PendingCount == kPending) {
      const TSlot& oldest = Pending[PendingFirst];
      PlaceNow(oldest.Hash, oldest.Entry - 1);
      PendingFirst = (PendingFirst + 1) % kPending;
      --PendingCount;
    }
    Pending[(PendingFirst + PendingCount) % kPending] = {hash, record + 1};
    ++PendingCount;
  }
  void Swap(TRecordTable& other) {
    Slots.swap(other.Slots);
    std::swap(Mask, other.Mask);
    std::swap(Count, other.Count);
    std::swap(Pending, other.Pending);
    std::swap(PendingFirst, other.PendingFirst);
    std::swap(PendingCount, other.PendingCount);
  }
  std::size_t Capacity() const { return Slots.size(); }
  // Starts loading the slot where a look-up of this hash begins.
  void Prefetch(std::uint32_t hash) const {
    if (!Slots.empty()) __builtin_prefetch(&Slots[hash & Mask]);
  }
  // Gives back a table far larger than its last use needed.
  void Trim() {
    constexpr std::size_t kReserveSlots = 8192;
    std::size_t cap = 16;
    while (cap < 2 * Count) cap <<= 1;
    if (Slots.size() > kReserveSlots && Slots.size() > 8 * cap) {
      Count = 0;
      Mask = 0;
      std::vector<TSlot>().swap(Slots);  // the next compile sizes it anew
    }
  }

 private:
  struct TSlot {
    std::uint32_t Hash = 0;
    std::int32_t Entry = 0;  // the record's number + 1; 0 for an empty slot
  };
  void PlaceNow(std::uint32_t hash, std::int32_t record) {
    if (2 * (Count + 1) > Slots.size()) Rehash(Slots.empty() ? 16 : Slots.size() * 2);
    Place(hash, record);
  }
  void Place(std::uint32_t hash, std::int32_t record) {
    for (std::size_t i = hash & Mask, step = 1;; i = (i + step++) & Mask) {
      if (Slots[i].Entry == 0) {
        Slots[i] = {hash, record + 1};
        ++Count;
        return;
      }
    }
  }
  void Rehash(std::size_t cap) {
    std::vector<TSlot> old = std::move(Slots);
    Slots.assign(cap, TSlot{});
    Mask = cap - 1;
    Count = 0;
    for (const TSlot& s : old)
      if (s.Entry != 0) Place(s.Hash, s.Entry - 1);
  }
  std::vector<TSlot> Slots;
  std::size_t Mask = 0;
  std::size_t Count = 0;  // records placed
  static constexpr std::size_t kPending = 8;
  std::array<TSlot, kPending> Pending{};  // records added, not yet placed
  std::size_t PendingFirst = 0, PendingCount = 0;
};

// Record numbers grow as the text is read and an operation's operands are
// usually recent records, so a hash that keeps neighbouring numbers in
// neighbouring slots makes the look-ups of a long text cache-friendly. Such
// hashes crowd together, though, so the table probes at growing distances
// (1, 2, 3, ... slots on) rather than slot by slot: walking through the
// runs of a long system of equations took tens of seconds.
inline std::uint32_t HashShape(const TShapeKey& k) {
  return static_cast<std::uint32_t>(k.A) + 2u * static_cast<std::uint32_t>(k.B) + k.Tag * 0x85EBCA6Bu;
}

inline std::uint32_t HashText(std::string_view text) {
  std::uint32_t h = 2166136261u;  // FNV-1a
  for (char c : text) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  return h;
}

struct TFrame {
  bool Call;
  std::size_t NameToken;  // call: token of the name
  std::size_t LParen;     // token of "("
  std::size_t OutHeight;
};

struct TOpEntry {
  char Op;  // 0: frame boundary
  bool Unary;
  int Prec;
};

// Working storage of the compiler, kept by the engine between compiles so
// that a long text does not allocate and fault in fresh memory every time.
struct TCompileScratch {
  std::string Text;
  std::vector<TToken> Tokens;
  TChunkedVector<TRec> Recs;
  std::vector<std::int32_t> ItemPool;
  TChunkedVector<TPiece> Pieces;
  TRecordTable SharedShapes;
  TRecordTable SharedLeaves;
  std::vector<std::int32_t> Out;  // reduction stacks
  std::vector<TOpEntry> Ops;
  std::vector<TFrame> Frames;
  // Derivation mode.
  TDerivativeTexts DerivativeTexts{true};
  std::vector<TRecordTexts> Derived;

  // After a compile: storage that it needed far less of than the last goes.
  void Trim() {
    ShrinkIfOversized(Text);
    ShrinkIfOversized(Tokens);
    ShrinkIfOversized(ItemPool);
    ShrinkIfOversized(Out);
    ShrinkIfOversized(Ops);
    ShrinkIfOversized(Frames);
    Recs.Trim();
    Pieces.Trim();
    SharedShapes.Trim();
    SharedLeaves.Trim();
    // A derivation's texts are read before the compile returns.
    DerivativeTexts.Release();
    Derived.clear();
    ShrinkIfOversized(Derived);
  }
};

struct TCompiler {
  THelmaxComplexEval& E;
  std::string Text;
  std::vector<TToken> Tokens;
  TChunkedVector<TRec> Recs;
  std::vector<std::int32_t> ItemPool;
  TChunkedVector<TPiece> Pieces;
  TRecordTable SharedLeaves;                                  // leaves by their token text
  std::unordered_map<std::string, std::int32_t> SharedLists;  // item numbers -> record
  TRecordTable SharedShapes;                                  // operations by their shape key
  TValue* MinusOne = nullptr;
  std::int32_t LastCall = 0;  // the instruction of the last EmitCall

  // Derivation mode only.
  bool Deriving = false;
  TDerivativeTexts* Texts = nullptr;
  std::unique_ptr<TDerivativeRules> Rules;
  std::vector<TRecordTexts> Derived;
  std::unordered_set<std::string_view> Targets;  // names written directly before "="

  TCompileScratch& Scratch;

  explicit TCompiler(THelmaxComplexEval& engine, TCompileScratch& scratch) : E(engine), Scratch(scratch) {
    Text.swap(Scratch.Text);
    Tokens.swap(Scratch.Tokens);
    Recs.swap(Scratch.Recs);
    ItemPool.swap(Scratch.ItemPool);
    Pieces.swap(Scratch.Pieces);
    SharedShapes.Swap(Scratch.SharedShapes);
    SharedLeaves.Swap(Scratch.SharedLeaves);
    Derived.swap(Scratch.Derived);
    Text.clear();
    Tokens.clear();
    Recs.clear();
    ItemPool.clear();
    Pieces.clear();
  }
  ~TCompiler() {
    Text.swap(Scratch.Text);
    Tokens.swap(Scratch.Tokens);
    Recs.swap(Scratch.Recs);
    ItemPool.swap(Scratch.ItemPool);
    Pieces.swap(Scratch.Pieces);
    SharedShapes.Swap(Scratch.SharedShapes);
    SharedLeaves.Swap(Scratch.SharedLeaves);
    Derived.swap(Scratch.Derived);
  }
  TCompiler(const TCompiler&) = delete;
  TCompiler& operator=(const TCompiler&) = delete;

  // ---- failures ----

  [[noreturn]] static void Fail(std::int32_t code, std::string message) {
    throw TCompileFailure{code, std::move(message)};
  }

  [[noreturn]] void FailInReduction(std::int32_t code, std::string message, const std::string& group) {
    if (KeepsOwnMessage(code)) Fail(code, std::move(message));
    Fail(ecSyntax, texts::kCompileSyntaxErrorPrefix + group);
  }

  std::string_view TokenText(std::uint32_t pos, std::uint32_t len) const {
    return std::string_view(Text).substr(pos, len);
  }
  // A leaf's token text, or a call's name.
  std::string_view RecText(const TRec& r) const {
    if (r.Node == TNode::Call) return TokenText(static_cast<std::uint32_t>(r.B), r.NameLength);
    return TokenText(static_cast<std::uint32_t>(r.A), static_cast<std::uint32_t>(r.B));
  }
  static void SetLeafText(TRec& r, const TToken& tok) {
    r.A = static_cast<std::int32_t>(tok.Pos);
    r.B = static_cast<std::int32_t>(tok.Len);
  }

  [[noreturn]] void SyntaxErrorAt(std::size_t frameStart, std::size_t tokenEnd) {
    std::string_view frag = std::string_view(Text).substr(frameStart, tokenEnd - frameStart);
    if (frag.empty()) frag = Text;
    Fail(ecSyntax, texts::kCompileSyntaxErrorPrefix + std::string(StripEnclosingParentheses(frag)));
  }

  // ---- cells, instructions, programs ----

  TValue* const* OneCell(TValue* cell) {
    TValue** ops = E.NewOperands(1);
    ops[0] = cell;
    return ops;
  }

  std::int32_t Emit(std::uint16_t code, std::initializer_list<TValue*> operands, TValue* result) {
    return Emit(code, operands.begin(), operands.size(), result);
  }

  std::int32_t Emit(std::uint16_t code, TValue* const* operands, std::size_t count, TValue* result) {
    TValue** ops = E.NewOperands(count);
    for (std::size_t i = 0; i < count; ++i) ops[i] = operands[i];
    TInstruction ins;
    ins.Operands = ops;
    ins.Result = result;
    ins.Count = static_cast<std::int32_t>(count);
    ins.Code = code;
    E.Instructions_.push_back(ins);
    return static_cast<std::int32_t>(E.Instructions_.size());
  }

  std::int32_t Piece(std::int32_t instr) {
    Pieces.push_back({-1, -1, instr});
    const auto piece = static_cast<std::int32_t>(Pieces.size() - 1);
    if (__builtin_expect(!E.PerturbableResults, true)) return piece;
    // The equivalence test's stability check: a step after every
    // instruction that can perturb what it wrote (an assignment's target
    // too).
    const TInstruction ins = E.Instructions_[static_cast<std::size_t>(instr - 1)];
    if (ins.Code == opDefine) return piece;
    std::int32_t step;
    if (ins.Code == opAssign) step = Emit(opPerturbResult, {ins.Result, ins.Operands[0]}, ins.Result);
    else step = Emit(opPerturbResult, {ins.Result}, ins.Result);
    Pieces.push_back({-1, -1, step});
    return Concat(piece, static_cast<std::int32_t>(Pieces.size() - 1));
  }

  std::int32_t Concat(std::int32_t a, std::int32_t b) {
    if (a < 0) return b;
    if (b < 0) return a;
    Pieces.push_back({a, b, 0});
    return static_cast<std::int32_t>(Pieces.size() - 1);
  }

  // The result cells of programs, one list in their order.
  TCellList CellsOf(std::initializer_list<const TProgram*> programs) const {
    TCellList cells;
    std::size_t n = 0;
    for (const TProgram* p : programs) n += p->size();
    cells.reserve(n);
    for (const TProgram* p : programs)
      for (std::int32_t number : *p) cells.push_back(E.Instructions_[static_cast<std::size_t>(number - 1)].Result);
    return cells;
  }

  TProgram Materialize(std::int32_t piece) const;

  [[gnu::always_inline]] std::int32_t AddRec(const TRec& r) {
    Recs.push_back(r);
    return static_cast<std::int32_t>(Recs.size() - 1);
  }

  // The shape key that a record of an operation holds.
  TShapeKey KeyOf(const TRec& r) const {
    switch (r.Node) {
      case TNode::Binary: return {kTagBinary | static_cast<std::uint8_t>(r.Op), r.A, r.B};
      case TNode::Neg: return {kTagNeg, r.A, 0};
      case TNode::Call: return {kTagCall | static_cast<std::uint32_t>(r.Code), r.A, 0};
      default: return {0, -1, -1};
    }
  }
  // The operand records a key names, -1 for none: a binary's two, a
  // negation's or a call's argument (B is 0 in their keys, not an operand).
  static std::pair<std::int32_t, std::int32_t> OperandsOf(const TShapeKey& key) {
    return {key.A, (key.Tag & ~0xFFFFFFu) == kTagBinary ? key.B : -1};
  }
  // The record of an operation with this key compiled before, or -1.
  std::int32_t FindShape(const TShapeKey& key) const {
    // An operand that no remembered shape names: nothing to find, and no
    // look-up in the table (whose slot is seldom in the cache for a long
    // text, and whose shapes name an operand just compiled seldom).
    const auto [a, b] = OperandsOf(key);
    if ((a >= 0 && !Recs[static_cast<std::size_t>(a)].Keyed) || (b >= 0 && !Recs[static_cast<std::size_t>(b)].Keyed))
      return -1;
    return SharedShapes.Find(HashShape(key),
                             [&](std::int32_t id) { return KeyOf(Recs[static_cast<std::size_t>(id)]) == key; });
  }
  std::int32_t FindLeaf(std::string_view text, std::uint32_t hash) const {
    return SharedLeaves.Find(hash, [&](std::int32_t id) {
      const TRec& r = Recs[static_cast<std::size_t>(id)];
      return RecText(r) == text;
    });
  }
  // Records holding random or a volatile external function are never shared.
  std::int32_t Remember(const TShapeKey& key, std::int32_t id) {
    const TRec& r = Recs[static_cast<std::size_t>(id)];
    if (!r.Volatile && KeyOf(r) == key) {
      // (The look-ups of shapes are few: see FindShape.)
      SharedShapes.InsertSoon(HashShape(key), id);
      const auto [a, b] = OperandsOf(key);
      if (a >= 0) R(a).Keyed = true;
      if (b >= 0) R(b).Keyed = true;
    }
    return id;
  }
  std::int32_t RememberLeaf(std::uint32_t hash, std::int32_t id) {
    if (!Recs[static_cast<std::size_t>(id)].Volatile) SharedLeaves.Insert(hash, id);
    return id;
  }

  TRec& R(std::int32_t id) { return Recs[static_cast<std::size_t>(id)]; }

  // Items of an argument record: the list's items, or the record itself.
  std::vector<std::int32_t> Items(std::int32_t arg) {
    std::vector<std::int32_t> items;
    if (arg < 0) return items;
    const TRec& a = R(arg);
    if (a.Node == TNode::List) {
      items.assign(ItemPool.begin() + a.ItemsStart, ItemPool.begin() + a.ItemsStart + a.Count);
    } else {
      items.push_back(arg);
    }
    return items;
  }

  // ---- texts ----

  // Normalised text of a record, built without recursion.
  std::string Render(std::int32_t id);

  std::string Shown(std::int32_t id) { return std::string(StripEnclosingParentheses(Render(id))); }

  // ---- records ----

  [[gnu::always_inline]] std::int32_t Constant(const TValue& v, const TRec& shape) {
    TValue* cell = E.NewCell();
    *cell = v;
    TRec r = shape;
    r.Cells = OneCell(cell);
    r.Count = 1;
    r.RunTime = false;
    r.NotAssignable = true;
    r.Prog = -1;
    return AddRec(r);
  }

  std::int32_t VariableRecord(int index, const TToken& tok) {
    const TVariable& v = *E.Variables_[static_cast<std::size_t>(index)];
    TRec r;
    r.Node = TNode::Leaf;
    SetLeafText(r, tok);
    r.Variable = index;
    r.Cells = OneCell(v.Value);
    r.RunTime = true;
    r.NotAssignable = v.Protected != 0;
    r.Invariant = v.Protected != 0;
    return AddRec(r);
  }

  // (hash: HashText of the token's text)
  std::int32_t Leaf(const TToken& tok, std::uint32_t hash);

  // Code of a built-in, external or run-time function of that name, or 0.
  std::int32_t FindFunction(std::string_view name) const {
    if (int code = FindBuiltin(name); code != 0) return code;
    const std::string key = ToLowerAscii(name);
    if (auto it = E.ExternalIndex_.find(key); it != E.ExternalIndex_.end()) return opFirstExternal + it->second;
    if (auto it = E.RunTimeFunctionIndex_.find(key); it != E.RunTimeFunctionIndex_.end())
      return opFirstExternal + E.ExternalFunctionCount() + it->second;
    return 0;
  }

  std::int32_t Neg(std::int32_t x);

  // Folds one arithmetic operation of known operands. The texts for the
  // messages are built only when the operation fails.
  template <class Texts>
  void FoldArithmetic(char op, const TValue& a, const TValue& b, TValue& out, const TValue* p, const TValue* q,
                      Texts&& texts) {
    try {
      if (!a.IsNumeric() || !b.IsNumeric()) throw std::runtime_error(texts::kIncorrectRealOrComplexType);
      if (op == '^') {
        if (p != nullptr) RationalPowerOp(a, *p, *q, out);
        else PowerOp(a, b, out);
      } else {
        ArithOp(OperatorCode(op), a, b, out);
      }
    } catch (const EHelmaxMathError& m) {
      E.MathErrorKind = m.Kind;
      const auto [left, right, group] = texts();
      FailInReduction(FoldErrorCode(op),
                      texts::kExceptieExprConstPrefix + MathErrorKindText(m.Kind) + " : " + ValueToText(a) + " " + op +
                          " " + ValueToText(b),
                      group);
    } catch (const std::bad_alloc&) {
      throw;  // the compile's own out-of-memory failure
    } catch (const std::exception& ex) {
      E.MathErrorKind = 0;
      const auto [left, right, group] = texts();
      FailInReduction(0, texts::kEvalExpresExceptionErrorOnPrefix + left + " " + op + " " + right + " : " + ex.what(),
                      group);
    }
  }

  struct TFoldTexts {
    std::string Left, Right, Group;
  };

  std::int32_t Binary(char op, std::int32_t l, std::int32_t rr);

  std::int32_t Assign(TRec r);

  std::int32_t Define(TRec r);

  // (The text's own list, the last record of a compile, is never looked
  // up again: it is not remembered.)
  std::int32_t MakeList(const std::vector<std::int32_t>& items, bool remembered = true);

  // ---- function applications ----

  // The functions this compile has applied, by the hash of their names: a
  // name found once is not searched for again (a code, once given, stays
  // the same for the whole compile; a name not found is never kept).
  struct TAppliedName {
    std::uint32_t Hash = 0;
    std::int32_t Code = 0;  // 0: empty
    std::uint32_t Pos = 0, Len = 0;
  };
  std::array<TAppliedName, 64> AppliedNames{};

  std::int32_t FindAppliedFunction(const TToken& name) {
    const std::string_view text = TokenText(name.Pos, name.Len);
    const std::uint32_t hash = HashText(text);
    TAppliedName& slot = AppliedNames[hash % AppliedNames.size()];
    if (slot.Code != 0 && slot.Hash == hash && TokenText(slot.Pos, slot.Len) == text) return slot.Code;
    const std::int32_t code = FindFunction(text);
    if (code != 0) slot = {hash, code, name.Pos, name.Len};
    return code;
  }

  std::int32_t Apply(const TToken& name, std::int32_t arg);

  std::string ArgumentCountMessage(std::int32_t code) {
    return texts::kInvalidNumberOfFunctionArgumentsForPrefix + ToUpperAscii(E.FunctionName(code));
  }

  bool IsLiteralOne(std::int32_t id) {
    const TRec& r = R(id);
    return r.Node == TNode::Leaf && !r.ExpNumber && RecText(r) == "1";
  }

  std::int32_t CompileCall(std::int32_t code, std::int32_t arg, std::uint32_t namePos, std::uint32_t nameLen);

  // power(x, p/q): folded, or an instruction with the three operands x, p
  // and q.
  std::int32_t RationalPowerCall(TRec r, std::int32_t number, bool known, TValue* p, TValue* q);

  // Runs a call with known arguments at compile time; a failure names the
  // function (looked up only then).
  template <class F>
  void FoldFunction(std::int32_t code, std::int32_t number, std::int32_t arg, F&& call) {
    try {
      call();
    } catch (const EHelmaxMathError& m) {
      const std::string name = E.FunctionName(code);
      E.MathErrorKind = m.Kind;
      std::string text = texts::kExceptieFunctiePrefix + MathErrorKindText(m.Kind) + " : " + name + "( ";
      if (arg >= 0) {
        const TRec& a = R(arg);
        for (std::int32_t i = 0; i < a.Count; ++i) {
          if (i > 0) text += " , ";
          text += ValueToText(*a.Cells[i]);
        }
      }
      text += ") ";
      Fail(number, text);
    } catch (const std::bad_alloc&) {
      throw;  // the compile's own out-of-memory failure
    } catch (const std::exception& ex) {
      E.MathErrorKind = 0;
      Fail(number, DomainMessage(E.FunctionName(code), ex.what()));
    } catch (...) {
      E.MathErrorKind = 0;
      Fail(number, DomainMessage(E.FunctionName(code), texts::kUnknownException));
    }
  }

  std::int32_t EmitCall(TRec r);

  void SetControlIndex(std::int32_t instr, std::int32_t index) {
    if (E.ControlIndex_.size() <= static_cast<std::size_t>(instr)) E.ControlIndex_.resize(instr + 1, -1);
    E.ControlIndex_[static_cast<std::size_t>(instr)] = index;
  }

  // Record of an if or while instruction: its program is the instruction
  // alone, since the argument programs run inside it.
  std::int32_t ControlRecord(TRec r, std::int32_t instr, TValue* result);

  static std::string DomainMessage(const std::string& name, const std::string& message);

  std::int32_t If(TRec r, std::int32_t number, const std::string& name, bool known);

  std::int32_t While(TRec r, std::int32_t number, const std::string& name);

  // ---- the reduction ----

  bool VectorMayStandAt(std::size_t lparen, std::size_t rparen) const {
    const bool beforeOk = lparen == 0 || Tokens[lparen - 1].Type == TTokenType::LParen;
    const bool afterOk = rparen + 1 >= Tokens.size() || Tokens[rparen + 1].Type == TTokenType::RParen;
    return beforeOk && afterOk;
  }

  std::int32_t Run();

  // ---- differentiation -----------------------------------------------------

  void StartDerivation();

  TRecordTexts& D(std::int32_t id) { return Derived[static_cast<std::size_t>(id)]; }

  TOperandTexts Operand(std::int32_t id) { return {D(id).Text, D(id).Derivative, !R(id).RunTime}; }

  // The derivative of a record whose value is known while compiling: "0",
  // or missing for NaN.
  TDText ConstantDerivative(const TRec& r) { return IsNaNValue(*r.Cells[0]) ? nullptr : Texts->Literal("0"); }

  bool Depends(std::int32_t id) {
    const TRecordTexts& d = D(id);
    return d.NamesVariable || d.NamesTarget || d.CallsRunTimeFunction;
  }

  // Gives a new record its text and derivative text (in derivation mode;
  // the normal compile pays one test per record).
  std::int32_t Derive(std::int32_t id) {
    if (__builtin_expect(Deriving, false)) DeriveRecord(id);
    return id;
  }

  [[gnu::noinline]] void DeriveRecord(std::int32_t id);

  static void CopyFlags(TRecordTexts& d, const TRecordTexts& from) {
    d.NamesVariable = d.NamesVariable || from.NamesVariable;
    d.NamesTarget = d.NamesTarget || from.NamesTarget;
    d.CallsRunTimeFunction = d.CallsRunTimeFunction || from.CallsRunTimeFunction;
  }

  // B - 1 for an exponent record p/q with integer texts p and q.
  TDText ExponentMinusOne(std::int32_t exponent) {
    const TRec& b = R(exponent);
    if (b.Node != TNode::Binary || b.Op != '/') return nullptr;
    std::optional<std::string> text = Rules->RationalExponentMinusOne(D(b.A).Text, D(b.B).Text);
    return text ? Texts->Literal(*text) : nullptr;
  }

  TDText BinaryDerivative(const TRec& r);

  TDText CallDerivative(const TRec& r);

  // The derivative text of the whole text.
  std::string FinalDerivative(std::int32_t top);
};

}  // namespace helmax
