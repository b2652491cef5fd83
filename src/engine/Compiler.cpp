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
#include "HelmaxComplexEval.h"
#include "Operations.h"
#include "Syntax.h"
#include "TextUtil.h"

namespace helmax {

namespace {

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

bool IsNaNValue(const TValue& v) {
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
};

int Precedence(char op) {
  switch (op) {
    case '~': return 1;
    case '=': return 2;
    case '+':
    case '-': return 3;
    case '*':
    case '/': return 4;
    case '^': return 6;
    default: return 0;
  }
}
constexpr int kUnaryPrecedence = 5;

int OperatorCode(char op) {
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

int FoldErrorCode(char op) { return OperatorErrorCode(OperatorCode(op)); }

// Codes whose own message survives a failure inside the reduction; any other
// failure becomes a plain syntax error naming the group.
bool KeepsOwnMessage(std::int32_t code) {
  return code > 0 || (code >= ecDuplicateParameter && code <= ecFunctionName) ||
         (code >= ecUnknownVariable && code <= ecMultiply) || code == ecProtected || code == ecReservedName ||
         code == ecIdentifierTooLong || code == ecInvalidIdentifier;
}

void AppendKeyInt(std::string& key, std::int32_t v) {
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

}  // namespace

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
    Fail(ecSyntax, "Compile-> SYNTAX ERROR :" + group);
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
    Fail(ecSyntax, "Compile-> SYNTAX ERROR :" + std::string(StripEnclosingParentheses(frag)));
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

  TProgram Materialize(std::int32_t piece) const {
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
  std::string Render(std::int32_t id) {
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
  std::int32_t Leaf(const TToken& tok, std::uint32_t hash) {
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
        if (!ParseCurrencyLiteral(text, scaled)) Fail(ecSyntax, "Compile-> SYNTAX ERROR :" + std::string(text));
        return RememberLeaf(hash, Constant(TValue::MakeCurrency(scaled), shape));
      }
      double value = 0;
      bool overflow = false;
      if (!ParseRealLiteral(text, value, overflow) || overflow)
        Fail(ecSyntax, "Compile-> SYNTAX ERROR :" + std::string(text));
      return RememberLeaf(hash, Constant(TValue::MakeReal(value), shape));
    }
    if (int index = E.FindVariable(text); index >= 0) return RememberLeaf(hash, VariableRecord(index, tok));
    if (LooksLikeDateTimeLiteral(text)) {
      double serial = 0;
      std::string reason;
      if (!ParseDateTimeLiteral(text, serial, reason)) Fail(ecSyntax, "Compile-> SYNTAX ERROR :" + std::string(text));
      return RememberLeaf(hash, Constant(TValue::MakeDateTime(serial), shape));
    }
    if (std::int32_t code = FindFunction(text); code != 0) {
      std::int32_t id = CompileCall(code, -1, tok.Pos, tok.Len);
      return RememberLeaf(hash, id);
    }
    if (E.CompileMode == 1) {
      if (!E.NameVariable(E.VariableCount() + 1, text)) {
        E.Error = false;
        FailInReduction(E.ErrorCode, E.ErrorMessage, std::string(text));
      }
      return RememberLeaf(hash, VariableRecord(E.VariableCount() - 1, tok));
    }
    if (E.IsValidIdentName(text))
      Fail(ecUnknownVariable, "ExpresieSemanticCorecta->  UNKNOWN VARIABLE: " + std::string(text));
    Fail(ecSyntax, "Compile-> SYNTAX ERROR :" + std::string(text));
  }

  // Code of a built-in, external or run-time function of that name, or 0.
  std::int32_t FindFunction(std::string_view name) const {
    if (int code = FindBuiltin(name); code != 0) return code;
    const std::string key = ToLowerAscii(name);
    if (auto it = E.ExternalIndex_.find(key); it != E.ExternalIndex_.end()) return opFirstExternal + it->second;
    if (auto it = E.RunTimeFunctionIndex_.find(key); it != E.RunTimeFunctionIndex_.end())
      return opFirstExternal + E.ExternalFunctionCount() + it->second;
    return 0;
  }

  std::int32_t Neg(std::int32_t x) {
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

  // Folds one arithmetic operation of known operands. The texts for the
  // messages are built only when the operation fails.
  template <class Texts>
  void FoldArithmetic(char op, const TValue& a, const TValue& b, TValue& out, const TValue* p, const TValue* q,
                      Texts&& texts) {
    try {
      if (!a.IsNumeric() || !b.IsNumeric()) throw std::runtime_error("Incorrect real or complex type");
      if (op == '^') {
        if (p != nullptr) RationalPowerOp(a, *p, *q, out);
        else PowerOp(a, b, out);
      } else {
        ArithOp(OperatorCode(op), a, b, out);
      }
    } catch (const EHelmaxMathError& m) {
      E.MathErrorKind = m.Kind;
      const auto [left, right, group] = texts();
      FailInReduction(
          FoldErrorCode(op),
          "ExceptieExprConst-> " + MathErrorKindText(m.Kind) + " : " + ValueToText(a) + " " + op + " " + ValueToText(b),
          group);
    } catch (const std::bad_alloc&) {
      throw;  // the compile's own out-of-memory failure
    } catch (const std::exception& ex) {
      E.MathErrorKind = 0;
      const auto [left, right, group] = texts();
      FailInReduction(0, "EvalExpres-> EXCEPTION ERROR ON " + left + " " + op + " " + right + " : " + ex.what(), group);
    }
  }

  struct TFoldTexts {
    std::string Left, Right, Group;
  };

  std::int32_t Binary(char op, std::int32_t l, std::int32_t rr) {
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
    if ((op == '*' && lr.RunTime && rrec.RunTime) || (op == '/' && rrec.RunTime) || op == '^')
      E.LinearExpression = false;
    r.Cells = OneCell(result);
    r.RunTime = true;
    r.Prog = Concat(Concat(lr.Prog, rrec.Prog), Piece(instr));
    return Remember(key, AddRec(r));
  }

  std::int32_t Assign(TRec r) {
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

  std::int32_t Define(TRec r) {
    const TRec& head = R(r.A);
    const std::string headText = Shown(r.A);
    auto fail = [&](std::int32_t code, const std::string& inner) {
      std::int32_t tmp = AddRec(r);
      std::string group = Shown(tmp);
      Recs.pop_back();
      FailInReduction(code, "EvalExpres-> " + inner, group);
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
      fail(ecParameterCount, "INVALID ARGUMENTS COUNT  FOR : " + headText);
    for (std::size_t i = 0; i < args.size(); ++i) {
      const TRec& a = R(args[i]);
      if (a.Node != TNode::Leaf || a.Variable < 0)
        fail(ecParameterName, "INVALID ARGUMENT NAME FOR : " + headText + " : " + Shown(args[i]));
      for (std::size_t j = 0; j < i; ++j)
        if (R(args[j]).Variable == a.Variable)
          fail(ecDuplicateParameter, "INVALID ARGUMENT SYNTAX FOR : " + headText + " : " + Shown(args[i]));
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

  // (The text's own list, the last record of a compile, is never looked
  // up again: it is not remembered.)
  std::int32_t MakeList(const std::vector<std::int32_t>& items, bool remembered = true) {
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

  std::int32_t Apply(const TToken& name, std::int32_t arg) {
    const std::string_view text = TokenText(name.Pos, name.Len);
    std::int32_t code = FindAppliedFunction(name);
    if (code != 0) {
      const TShapeKey key{kTagCall | static_cast<std::uint32_t>(code), arg, 0};
      if (std::int32_t found = FindShape(key); found >= 0) return found;
    } else {
      if (!E.IsValidIdentName(text))
        Fail(ecUnknownFunction, "ExpresieSemanticCorecta->  UNKNOWN FUNCTION: " + std::string(text));
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

  std::string ArgumentCountMessage(std::int32_t code) {
    return "Invalid number of function arguments for: " + ToUpperAscii(E.FunctionName(code));
  }

  bool IsLiteralOne(std::int32_t id) {
    const TRec& r = R(id);
    return r.Node == TNode::Leaf && !r.ExpNumber && RecText(r) == "1";
  }

  std::int32_t CompileCall(std::int32_t code, std::int32_t arg, std::uint32_t namePos, std::uint32_t nameLen) {
    const std::int32_t number = FunctionNumber(code);
    const std::int32_t count = arg < 0 ? 0 : R(arg).Count;
    TRec r;
    r.Node = TNode::Call;
    r.Code = code;
    r.A = arg;
    // (Every function's name is an identifier, shorter than 256.)
    if (nameLen > 0x7FFF)
      Fail(ecIdentifierTooLong,
           "IsValidIdentName-> IDENTIFIER LENGTH MUST BE LESS THAN 256: " + std::string(TokenText(namePos, nameLen)));
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
      const bool countOk = f.ArgCount <= 0 ? count == 0 : f.ArgCount == MaxInt ? count >= 1 : count == f.ArgCount;
      if (!countOk) Fail(number, ArgumentCountMessage(code));
      TValue out;
      const int k = code - opFirstExternal;
      TValue* const* args = arg < 0 ? nullptr : R(arg).Cells;
      if (f.ArgCount == -1) {
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

  // power(x, p/q): folded, or an instruction with the three operands x, p
  // and q.
  std::int32_t RationalPowerCall(TRec r, std::int32_t number, bool known, TValue* p, TValue* q) {
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

  // Runs a call with known arguments at compile time; a failure names the
  // function (looked up only then).
  template <class F>
  void FoldFunction(std::int32_t code, std::int32_t number, std::int32_t arg, F&& call) {
    try {
      call();
    } catch (const EHelmaxMathError& m) {
      const std::string name = E.FunctionName(code);
      E.MathErrorKind = m.Kind;
      std::string text = "ExceptieFunctie-> " + MathErrorKindText(m.Kind) + " : " + name + "( ";
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
      Fail(number, DomainMessage(E.FunctionName(code), "UNKNOWN EXCEPTION"));
    }
  }

  std::int32_t EmitCall(TRec r) {
    TValue* result = E.NewCell();
    const std::int32_t instr = r.A >= 0 ? Emit(static_cast<std::uint16_t>(r.Code), R(r.A).Cells,
                                               static_cast<std::size_t>(R(r.A).Count), result)
                                        : Emit(static_cast<std::uint16_t>(r.Code), nullptr, 0, result);
    E.LinearExpression = false;
    r.Cells = OneCell(result);
    r.RunTime = true;
    LastCall = instr;
    r.Prog = Concat(r.A >= 0 ? R(r.A).Prog : -1, Piece(instr));
    return AddRec(r);
  }

  void SetControlIndex(std::int32_t instr, std::int32_t index) {
    if (E.ControlIndex_.size() <= static_cast<std::size_t>(instr)) E.ControlIndex_.resize(instr + 1, -1);
    E.ControlIndex_[static_cast<std::size_t>(instr)] = index;
  }

  // Record of an if or while instruction: its program is the instruction
  // alone, since the argument programs run inside it.
  std::int32_t ControlRecord(TRec r, std::int32_t instr, TValue* result) {
    E.LinearExpression = false;
    r.Cells = OneCell(result);
    r.RunTime = true;
    r.Invariant = false;
    r.Prog = Piece(instr);
    return AddRec(r);
  }

  static std::string DomainMessage(const std::string& name, const std::string& message) {
    return "ValFunct-> " + name + " FUNCTION ARGUMENTS ESCAPE DEFINITION DOMIAN : " + message;
  }

  std::int32_t If(TRec r, std::int32_t number, const std::string& name, bool known) {
    const std::vector<std::int32_t> items = Items(r.A);
    if (known) {
      const TValue& cond = *R(items[0]).Cells[0];
      if (cond.Kind != TValueKind::Boolean) {
        E.MathErrorKind = 0;
        Fail(number, DomainMessage(name, "Incorrect boolean type"));
      }
      if (cond.Bool) return Constant(*R(items[1]).Cells[0], r);
      if (items.size() == 3) return Constant(*R(items[2]).Cells[0], r);
      return Constant(TValue(), r);
    }
    std::vector<TValue*> operands;
    for (std::int32_t i : items) operands.push_back(R(i).Cells[0]);
    TValue* result = E.NewCell();
    const std::int32_t instr = Emit(opIf, operands.data(), operands.size(), result);
    TIfRecord rec;
    rec.Instruction = instr;
    rec.Condition = Materialize(R(items[0]).Prog);
    rec.Then = Materialize(R(items[1]).Prog);
    if (items.size() == 3) rec.Else = Materialize(R(items[2]).Prog);
    rec.Cells = CellsOf({&rec.Condition, &rec.Then, &rec.Else});
    E.IfRecords_.push_back(std::move(rec));
    SetControlIndex(instr, static_cast<std::int32_t>(E.IfRecords_.size() - 1));
    return ControlRecord(r, instr, result);
  }

  std::int32_t While(TRec r, std::int32_t number, const std::string& name) {
    const std::vector<std::int32_t> items = Items(r.A);
    if (R(items[0]).Invariant || R(items[1]).Invariant) {
      E.MathErrorKind = 0;
      Fail(number, DomainMessage(name, "WHILE LOOP IS UNUTILITY"));
    }
    TValue* result = E.NewCell();
    const std::int32_t instr = Emit(opWhile, {R(items[0]).Cells[0], R(items[1]).Cells[0]}, result);
    TWhileRecord rec;
    rec.Instruction = instr;
    rec.Test = Materialize(R(items[0]).Prog);
    rec.Body = Materialize(R(items[1]).Prog);
    rec.Cells = CellsOf({&rec.Test, &rec.Body});
    E.WhileRecords_.push_back(std::move(rec));
    SetControlIndex(instr, static_cast<std::int32_t>(E.WhileRecords_.size() - 1));
    return ControlRecord(r, instr, result);
  }

  // ---- the reduction ----

  bool VectorMayStandAt(std::size_t lparen, std::size_t rparen) const {
    const bool beforeOk = lparen == 0 || Tokens[lparen - 1].Type == TTokenType::LParen;
    const bool afterOk = rparen + 1 >= Tokens.size() || Tokens[rparen + 1].Type == TTokenType::RParen;
    return beforeOk && afterOk;
  }

  std::int32_t Run() {
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
            const std::vector<std::int32_t> items(out.begin() + static_cast<std::ptrdiff_t>(frame.OutHeight),
                                                  out.end());
            out.resize(frame.OutHeight);
            rec = Derive(MakeList(items));
          }
          if (frame.Call) {
            rec = Derive(Apply(Tokens[frame.NameToken], rec));
          } else {
            if (R(rec).Node == TNode::List && !VectorMayStandAt(frame.LParen, t))
              Fail(ecComma, "ParseForward-> SYNTAX ERROR : " + Render(rec));
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

  // ---- differentiation -----------------------------------------------------

  void StartDerivation() {
    Deriving = true;
    Texts = &Scratch.DerivativeTexts;
    Texts->Reset(E.PowerAsOperator);
    Rules = std::make_unique<TDerivativeRules>(*Texts);
    Derived.clear();
    Targets.clear();
    for (std::size_t i = 0; i + 1 < Tokens.size(); ++i)
      if (Tokens[i].Type == TTokenType::Operand && Tokens[i + 1].Type == TTokenType::Operator &&
          Tokens[i + 1].Op == '=')
        Targets.insert(TokenText(Tokens[i].Pos, Tokens[i].Len));
  }

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

  [[gnu::noinline]] void DeriveRecord(std::int32_t id) {
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

  TDText BinaryDerivative(const TRec& r) {
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

  TDText CallDerivative(const TRec& r) {
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
      if (f.ArgCount == -1) return ConstantDerivative(r);
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

  // The derivative text of the whole text.
  std::string FinalDerivative(std::int32_t top) {
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
};

void THelmaxComplexEval::VerifySyntaxSemantics(std::string_view text) {
  CompileMode = 1;
  CompileText(text, {}, nullptr, true, false, {});
}

void THelmaxComplexEval::VerifySyntaxSemantics(std::string_view text, std::string_view names, bool autoDeclare) {
  CompileMode = 0;
  CompileText(text, names, nullptr, autoDeclare, false, {});
}

void THelmaxComplexEval::VerifySyntaxSemantics(std::string_view text, const TUserVarArray& variables,
                                               bool autoDeclare) {
  CompileMode = 2;
  CompileText(text, {}, &variables, autoDeclare, false, {});
}

void THelmaxComplexEval::VerifySyntaxSemanticsAndDerivation(std::string_view text, std::string_view names,
                                                            bool autoDeclare, std::string_view variable) {
  CompileMode = 0;
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
      ErrorMessage = "VerifySyntaxSemanticsRule-> INVALID DERIVATIVE VARIABLE NAME;" + ErrorMessage;
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
    if (CompileMode == 0) {
      RegisterNameList(*this, names);
    } else if (CompileMode == 2 && variables != nullptr) {
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
    if (autoDeclare) CompileMode = 1;

    if (!Scratch_) Scratch_ = std::make_shared<TCompileScratch>();
    TCompiler c(*this, *Scratch_);
    std::size_t operatorCount = 0;
    if (!NormalisePlainText(text, c.Text, c.Tokens, operatorCount)) {
      if (TPassError err = CheckParentheses(text)) throw TCompileFailure{err.Code, err.Message};
      if (TPassError err = RemoveBlanks(text, ImplicitMultiplication, c.Text, operatorCount))
        throw TCompileFailure{err.Code, err.Message};
      if (c.Text.empty())
        throw TCompileFailure{ecEmptyExpression, "VerifySyntaxSemanticsRule-> MATH EXPRESSION IS EMPTY"};
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
                              "VerifySyntaxSemanticsRule-> FUNCTION WAS NOT IMPLIMENTED : " + f.Name};

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
