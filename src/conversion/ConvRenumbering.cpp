#include "ConvRenumbering.h"

#include "TextUtil.h"

namespace helmax {

namespace {

int FindName(const std::vector<std::string>& names, std::string_view name) {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (EqualsIgnoringCase(names[i], name)) return static_cast<int>(i);
  return -1;
}

// The text as the calculator reads it: without its line breaks, each
// character with its place in the text.
struct TReadText {
  std::string Chars;
  std::vector<std::size_t> Places;
};

TReadText ReadAsCalculator(std::string_view text) {
  TReadText r;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') continue;
    r.Chars += text[i];
    r.Places.push_back(i);
  }
  return r;
}

bool IsOperandChar(char c) { return c != ' ' && !IsDelimiter(c); }

// A literal whole number between from and to (blanks around it allowed):
// its value (at most 9 digits) and where its digits are.
bool LiteralId(const std::string& s, std::size_t from, std::size_t to, int& value, std::size_t& first,
               std::size_t& last) {
  while (from < to && s[from] == ' ') ++from;
  while (to > from && s[to - 1] == ' ') --to;
  if (from == to || to - from > 9) return false;
  value = 0;
  for (std::size_t i = from; i < to; ++i) {
    if (!IsAsciiDigit(s[i])) return false;
    value = value * 10 + (s[i] - '0');
  }
  first = from;
  last = to - 1;
  return true;
}

}  // namespace

TConversionNames ConversionNamesOf(const std::vector<TUnitCategory>& categories) {
  TConversionNames names;
  for (const TUnitCategory& c : categories) {
    TConversionNames::TCategory& n = names.Categories.emplace_back();
    n.Name = c.Name;
    for (const TUnit& u : c.Units) n.Units.push_back(u.Name);
  }
  return names;
}

bool TConvIdMapping::Moves() const {
  for (std::size_t c = 0; c < Categories.size(); ++c) {
    if (Categories[c] != 0 && Categories[c] != static_cast<int>(c) + 1) return true;
    for (std::size_t u = 0; u < Units[c].size(); ++u)
      if (Units[c][u] != 0 && Units[c][u] != static_cast<int>(u) + 1) return true;
  }
  return false;
}

TConvIdMapping MapConvIds(const TConversionNames& before, const TConversionNames& after,
                          const std::vector<TRenamed>& renamed) {
  std::vector<std::string> afterCategories;
  for (const auto& c : after.Categories) afterCategories.push_back(c.Name);
  auto newName = [&renamed](const std::string& category, const std::string& name) {
    for (const TRenamed& r : renamed)
      if (EqualsIgnoringCase(r.Category, category) && EqualsIgnoringCase(r.From, name)) return r.To;
    return name;
  };
  TConvIdMapping m;
  for (const auto& c : before.Categories) {
    const int to = FindName(afterCategories, newName("", c.Name));
    m.Categories.push_back(to + 1);
    std::vector<int>& units = m.Units.emplace_back();
    for (const std::string& u : c.Units)
      units.push_back(to < 0 ? 0
                             : FindName(after.Categories[static_cast<std::size_t>(to)].Units, newName(c.Name, u)) + 1);
  }
  return m;
}

TRenumberedText RenumberConvCalls(std::string_view text, const TConvIdMapping& mapping) {
  const TReadText read = ReadAsCalculator(text);
  const std::string& s = read.Chars;
  struct TReplacement {
    std::size_t From, To;  // in the text, To past the end
    std::string By;
  };
  std::vector<TReplacement> replacements;
  TRenumberedText out;
  for (std::size_t open = 0; open < s.size(); ++open) {
    if (s[open] != '(') continue;
    // The name before the bracket.
    std::size_t end = open;
    while (end > 0 && s[end - 1] == ' ') --end;
    std::size_t begin = end;
    while (begin > 0 && IsOperandChar(s[begin - 1])) --begin;
    if (!EqualsIgnoringCase(std::string_view(s).substr(begin, end - begin), "conv")) continue;
    // Its arguments at its own depth, up to the closing bracket.
    std::vector<std::size_t> commas;
    std::size_t close = 0;
    int depth = 0;
    for (std::size_t i = open + 1; i < s.size() && close == 0; ++i) {
      if (s[i] == '(') ++depth;
      else if (s[i] == ')' && depth-- == 0) close = i;
      else if (s[i] == ',' && depth == 0) commas.push_back(i);
    }
    if (close == 0 || commas.size() != 3) continue;
    int ids[3];
    std::size_t first[3], last[3];
    const std::size_t starts[3] = {open + 1, commas[0] + 1, commas[1] + 1};
    const std::size_t ends[3] = {commas[0], commas[1], commas[2]};
    bool literal = true;
    for (int a = 0; a < 3 && literal; ++a) literal = LiteralId(s, starts[a], ends[a], ids[a], first[a], last[a]);
    if (!literal) continue;
    const int category = ids[0], from = ids[1], to = ids[2];
    if (category < 1 || category > static_cast<int>(mapping.Categories.size())) continue;
    const std::vector<int>& units = mapping.Units[static_cast<std::size_t>(category - 1)];
    if (from < 1 || to < 1 || from > static_cast<int>(units.size()) || to > static_cast<int>(units.size())) continue;
    const int now[3] = {mapping.Categories[static_cast<std::size_t>(category - 1)],
                        units[static_cast<std::size_t>(from - 1)], units[static_cast<std::size_t>(to - 1)]};
    if (now[0] == 0 || now[1] == 0 || now[2] == 0) continue;  // gone: nothing keeps its meaning
    if (now[0] == category && now[1] == from && now[2] == to) continue;
    ++out.Count;
    for (int a = 0; a < 3; ++a)
      if (now[a] != ids[a])
        replacements.push_back({read.Places[first[a]], read.Places[last[a]] + 1, std::to_string(now[a])});
  }
  out.Text = std::string(text);
  for (auto r = replacements.rbegin(); r != replacements.rend(); ++r) out.Text.replace(r->From, r->To - r->From, r->By);
  return out;
}

std::string RenumberQuestion(int count) {
  return std::to_string(count) +
         " Conv calls in the expressions now point at other units. Renumber them so that they keep their meaning?";
}

std::vector<TUnitCategory> CopyCategories(const std::vector<TUnitCategory>& categories) {
  std::vector<TUnitCategory> copy;
  copy.reserve(categories.size());
  for (const TUnitCategory& c : categories) {
    TUnitCategory& n = copy.emplace_back();
    n.Name = c.Name;
    n.Units = c.Units;
    for (const TConversionDefinition& d : c.Definitions) {
      TConversionDefinition& e = n.Definitions.emplace_back();
      e.UnitA = d.UnitA;
      e.UnitB = d.UnitB;
      e.Forward = d.Forward;
      e.Backward = d.Backward;
    }
  }
  return copy;
}

}  // namespace helmax
