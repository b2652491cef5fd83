#include "TypingHelp.h"

#include <algorithm>

#include "BuiltinCatalogue.h"
#include "ConstantList.h"
#include "FunctionDescriptions.h"
#include "HelmaxComplexEval.h"
#include "TextUtil.h"
#include "Value.h"

namespace helmax {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string BuiltinArguments(const TBuiltinInfo& info) {
  switch (info.Code) {
    case opIf: return "(condition, block1[, block2])";
    case opWhile: return "(test, body)";
    default: break;
  }
  switch (info.Arity) {
    case TArity::Constant: return "";
    case TArity::One: return "(x)";
    case TArity::Two: return "(x, y)";
    case TArity::OneOrTwo: return "(x[, y])";
    case TArity::TwoOrThree: return "(x, y[, z])";
    case TArity::AtLeastOne: return "(x1[, x2, ...])";
    case TArity::AtLeastTwo: return "(x1, x2[, x3, ...])";
    case TArity::Directed: return "(1 or -1)";
  }
  return "";
}

std::string ExternalArguments(std::int32_t argCount) {
  if (argCount <= 0) return "";
  if (argCount == MaxInt) return "(x1[, x2, ...])";
  std::string out = "(";
  for (std::int32_t i = 1; i <= argCount; ++i) {
    if (i > 1) out += ", ";
    out += 'x';
    out += std::to_string(i);
  }
  return out + ")";
}

std::string DescriptionText(std::string_view name) {
  const TFunctionDescription* d = FindFunctionDescription(name);
  return d ? std::string(Trim(DescriptionLine(*d))) : std::string();
}

}  // namespace

// ---- names -------------------------------------------------------------------------------

void TNameCatalogue::Add(TNameEntry entry) {
  std::string key = ToLowerAscii(entry.Name);
  // The first owner of a name wins: built-ins, then the host's functions,
  // the constants, the definitions' functions, their variables.
  if (!Classes_.emplace(key, entry.Class).second) return;
  Keys_.push_back(std::move(key));
  Entries_.push_back(std::move(entry));
}

void TNameCatalogue::Rebuild(const THelmaxComplexEval& definitions, const TConstantList& constants) {
  Entries_.clear();
  Keys_.clear();
  Classes_.clear();
  for (int code = opFirstBuiltin; code <= opLastBuiltin; ++code) {
    const TBuiltinInfo& info = BuiltinInfo(code);
    Add({info.Name, BuiltinArguments(info), BuiltinHelpText(code), TTokenClass::Builtin, DescriptionText(info.Name)});
  }
  const TUserFuncArray& externals = definitions.UserFunctions();
  for (std::size_t k = 0; k < externals.size(); ++k)
    Add({externals[k].Name, ExternalArguments(externals[k].ArgCount),
         definitions.HelpText(opFirstExternal + static_cast<int>(k)), TTokenClass::PackFunction,
         DescriptionText(externals[k].Name)});
  for (const TConstRec& c : constants.Rows()) {
    std::string help = "constant = " + c.Value;
    if (!Trim(c.Description).empty()) help += "  " + std::string(Trim(c.Description));
    Add({c.Name, "", std::move(help), TTokenClass::Constant});
  }
  for (const TRunTimeFunction& f : definitions.RunTimeFunctions()) {
    const std::string head = f.Definition.substr(0, f.Definition.find('~'));
    const std::size_t open = head.find('(');
    Add({f.Name, open == std::string::npos ? "" : head.substr(open), f.Definition, TTokenClass::UserFunction});
  }
  if (const std::vector<TVariable*>* vars = definitions.Variables())
    for (const TVariable* v : *vars) Add({v->Name, "", "variable = " + ValueToText(*v->Value), TTokenClass::Variable});

  // Sorted by lower-case name, for prefix look-ups.
  std::vector<std::size_t> order(Entries_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return Keys_[a] < Keys_[b]; });
  std::vector<TNameEntry> entries;
  std::vector<std::string> keys;
  entries.reserve(order.size());
  keys.reserve(order.size());
  for (std::size_t i : order) {
    entries.push_back(std::move(Entries_[i]));
    keys.push_back(std::move(Keys_[i]));
  }
  Entries_.swap(entries);
  Keys_.swap(keys);
}

TTokenClass TNameCatalogue::ClassOf(std::string_view lowerName) const {
  const auto it = Classes_.find(std::string(lowerName));
  return it == Classes_.end() ? TTokenClass::Unknown : it->second;
}

std::vector<const TNameEntry*> TNameCatalogue::Completions(std::string_view prefix, std::size_t max) const {
  const std::string key = ToLowerAscii(prefix);
  std::vector<const TNameEntry*> out;
  for (auto it = std::lower_bound(Keys_.begin(), Keys_.end(), key);
       it != Keys_.end() && it->compare(0, key.size(), key) == 0 && out.size() < max; ++it)
    out.push_back(&Entries_[static_cast<std::size_t>(it - Keys_.begin())]);
  return out;
}

// ---- tokens of a line ------------------------------------------------------------------------

const std::vector<TTokenSpan>& TLineClassifier::Classify(std::string_view line, const TNameCatalogue& names) {
  Spans_.clear();
  Packed_.clear();
  From_.clear();
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (IsBlank(line[i])) continue;
    Packed_.push_back(LowerAscii(line[i]));
    From_.push_back(static_cast<std::uint32_t>(i));
  }
  if (Packed_.empty()) return Spans_;
  // A line that does not read to its end (a malformed exponent) keeps the
  // tokens before the fault; the rest is unknown.
  const bool whole = !Tokenize(Packed_, Tokens_);
  auto span = [&](std::uint32_t pos, std::uint32_t len, TTokenClass cls) {
    const std::uint32_t start = From_[pos];
    Spans_.push_back({start, From_[pos + len - 1] + 1 - start, cls});
  };
  for (std::size_t t = 0; t < Tokens_.size(); ++t) {
    const TToken& tok = Tokens_[t];
    switch (tok.Type) {
      case TTokenType::ExpNumber: span(tok.Pos, tok.Len, TTokenClass::Number); continue;
      case TTokenType::Operand: break;
      default: span(tok.Pos, tok.Len, TTokenClass::Operator); continue;
    }
    const std::string_view text(Packed_.data() + tok.Pos, tok.Len);
    TTokenClass cls;
    if (IsDecimalNumber(text)) {
      cls = TTokenClass::Number;
    } else if (LooksLikeDateTimeLiteral(text)) {
      cls = TTokenClass::DateTime;
    } else {
      cls = names.ClassOf(text);
      if (cls == TTokenClass::Unknown && t + 1 < Tokens_.size()) {
        // Names this line brings in: assigned ones, and the head of a
        // definition.
        const TToken& next = Tokens_[t + 1];
        if (next.Type == TTokenType::Operator && next.Op == '=') cls = TTokenClass::Variable;
        else if (next.Type == TTokenType::LParen && Packed_.find('~', next.Pos) != std::string::npos)
          cls = TTokenClass::UserFunction;
      }
    }
    span(tok.Pos, tok.Len, cls);
  }
  if (!whole) {
    const std::uint32_t done = Tokens_.empty() ? 0 : Tokens_.back().Pos + Tokens_.back().Len;
    if (done < Packed_.size()) span(done, static_cast<std::uint32_t>(Packed_.size()) - done, TTokenClass::Unknown);
  }
  return Spans_;
}

// ---- brackets ---------------------------------------------------------------------------------

long MatchingBracket(std::u16string_view text, std::size_t pos, std::size_t reach) {
  if (pos >= text.size() || (text[pos] != u'(' && text[pos] != u')')) return -2;
  const bool forward = text[pos] == u'(';
  long depth = 0;
  const std::size_t limit = std::min(reach, forward ? text.size() - pos - 1 : pos);
  for (std::size_t step = 1; step <= limit; ++step) {
    const std::size_t i = forward ? pos + step : pos - step;
    if (text[i] == (forward ? u'(' : u')')) {
      ++depth;
    } else if (text[i] == (forward ? u')' : u'(')) {
      if (depth == 0) return static_cast<long>(i);
      --depth;
    }
  }
  return -1;
}

// ---- where things are in a pane ---------------------------------------------------------------

std::vector<std::pair<std::size_t, std::size_t>> ExpressionRanges(std::string_view pane) {
  std::vector<std::pair<std::size_t, std::size_t>> out;
  auto add = [&](std::size_t from, std::size_t to) {
    while (from < to && IsBlank(pane[from])) ++from;
    while (to > from && IsBlank(pane[to - 1])) --to;
    out.emplace_back(from, to);
  };
  long depth = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < pane.size(); ++i) {
    if (pane[i] == '(') ++depth;
    else if (pane[i] == ')') --depth;
    else if (pane[i] == ',' && depth == 0) {
      add(start, i);
      start = i + 1;
    }
  }
  add(start, pane.size());
  if (out.size() == 1 && out[0].first == out[0].second) out.clear();  // a blank pane
  return out;
}

std::optional<std::pair<std::size_t, std::size_t>> FragmentRange(std::string_view pane, std::string_view errorMessage) {
  const std::size_t colon = errorMessage.rfind(':');
  if (colon == std::string_view::npos) return std::nullopt;
  std::string fragment;
  for (char c : errorMessage.substr(colon + 1))
    if (!IsBlank(c)) fragment.push_back(LowerAscii(c));
  if (fragment.empty()) return std::nullopt;
  std::string packed;
  std::vector<std::size_t> from;
  for (std::size_t i = 0; i < pane.size(); ++i) {
    if (IsBlank(pane[i])) continue;
    packed.push_back(LowerAscii(pane[i]));
    from.push_back(i);
  }
  const std::size_t at = packed.find(fragment);
  if (at == std::string::npos) return std::nullopt;
  return std::make_pair(from[at], from[at + fragment.size() - 1] + 1);
}

std::optional<std::vector<int>> ExpressionLines(std::string_view pane) {
  std::vector<std::size_t> lineStarts{0};
  for (std::size_t i = 0; i < pane.size(); ++i)
    if (pane[i] == '\n') lineStarts.push_back(i + 1);
  auto lineOf = [&](std::size_t pos) {
    return static_cast<int>(std::upper_bound(lineStarts.begin(), lineStarts.end(), pos) - lineStarts.begin()) - 1;
  };
  std::vector<int> lines;
  for (const auto& [from, to] : ExpressionRanges(pane)) {
    if (from == to) return std::nullopt;  // an empty expression
    const int line = lineOf(from);
    if (lineOf(to - 1) != line || (!lines.empty() && lines.back() == line)) return std::nullopt;
    lines.push_back(line);
  }
  return lines;
}

std::string AlignedResults(const std::vector<std::string>& results, const std::vector<int>& lines, int lineCount) {
  std::vector<const std::string*> at(static_cast<std::size_t>(std::max(lineCount, 0)), nullptr);
  for (std::size_t k = 0; k < results.size() && k < lines.size(); ++k)
    if (lines[k] >= 0 && lines[k] < lineCount) at[static_cast<std::size_t>(lines[k])] = &results[k];
  std::string out;
  for (std::size_t i = 0; i < at.size(); ++i) {
    if (i > 0) out += '\n';
    if (at[i] != nullptr) out += *at[i];
  }
  return out;
}

}  // namespace helmax
