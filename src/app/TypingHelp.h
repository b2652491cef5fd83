// What the panes show while the user types, worked out without windows: the
// class of every token (for highlighting, read with the engine's own token
// reader), the partner of a bracket, the names that complete a prefix, where
// in a pane an error lies, and on which line each result belongs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Syntax.h"

namespace helmax {

class THelmaxComplexEval;
class TConstantList;

enum class TTokenClass : std::uint8_t {
  Number,
  DateTime,
  Builtin,       // built-in function or constant
  PackFunction,  // a function the host registered (date-time pack, distributions ...)
  UserFunction,  // a run-time function of the definitions
  Variable,
  Constant,  // a constant of the constant list
  Operator,  // operators, brackets and commas
  Unknown,   // a name that is none of these
};

// One classified token: bytes [Start, Start + Length) of the line.
struct TTokenSpan {
  std::uint32_t Start;
  std::uint32_t Length;
  TTokenClass Class;
};

// A name the user may type, with what the completion list shows of it.
struct TNameEntry {
  std::string Name;       // as written by its owner ("Sin" is shown as "sin")
  std::string Arguments;  // "(x, y)", "" for constants and variables
  std::string Help;       // one line
  TTokenClass Class;
  std::string Description = {};  // plain English with an example; none for the user's names
};

// Every name of the calculator: built-ins from the catalogue, the host's
// functions, the constants, and the definitions' functions and variables.
class TNameCatalogue {
 public:
  // The names as they stand after a definitions compile.
  void Rebuild(const THelmaxComplexEval& definitions, const TConstantList& constants);

  // The class of a lower-case name, or Unknown.
  TTokenClass ClassOf(std::string_view lowerName) const;
  // Up to max entries whose names start with prefix (case ignored), in
  // name order.
  std::vector<const TNameEntry*> Completions(std::string_view prefix, std::size_t max = 50) const;
  const std::vector<TNameEntry>& Entries() const { return Entries_; }

 private:
  void Add(TNameEntry entry);
  std::vector<TNameEntry> Entries_;                       // sorted by lower-case name
  std::vector<std::string> Keys_;                         // lower-case names, same order
  std::unordered_map<std::string, TTokenClass> Classes_;  // lower-case name -> class
};

// Classifies the tokens of one line of a pane. It keeps its buffers between
// lines, so that a long pane allocates nothing per line.
class TLineClassifier {
 public:
  const std::vector<TTokenSpan>& Classify(std::string_view line, const TNameCatalogue& names);

 private:
  std::string Packed_;               // the line without blanks, lower case
  std::vector<std::uint32_t> From_;  // Packed_[i] came from line[From_[i]]
  std::vector<TToken> Tokens_;
  std::vector<TTokenSpan> Spans_;
};

// The position of the bracket that pairs with the one at pos; -1 when it has
// no partner, -2 when pos holds no bracket. Brackets farther than reach
// characters are not looked for (a long pane stays quick).
long MatchingBracket(std::u16string_view text, std::size_t pos, std::size_t reach = 100000);

// The top-level expressions of a pane's text (split at commas outside
// brackets), as byte ranges; blanks and line ends around them excluded.
std::vector<std::pair<std::size_t, std::size_t>> ExpressionRanges(std::string_view pane);

// Where in the pane the text of an error message's fragment stands: the
// fragment is compared with the pane without blanks and line ends, case
// ignored. Nothing when the message names no fragment or it is not found.
std::optional<std::pair<std::size_t, std::size_t>> FragmentRange(std::string_view pane, std::string_view errorMessage);

// The pane line of each expression when the pane holds one expression per
// line (blank lines allowed), nothing otherwise.
std::optional<std::vector<int>> ExpressionLines(std::string_view pane);

// The results laid out on the lines of their expressions: lineCount lines,
// result k on line lines[k].
std::string AlignedResults(const std::vector<std::string>& results, const std::vector<int>& lines, int lineCount);

}  // namespace helmax
