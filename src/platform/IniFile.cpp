// INI parsing and writing. Sections and keys are kept in file order; parsing
// finds repeats through hash sets, the few later look-ups search linearly.
#include "IniFile.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "TextFile.h"

namespace helmax {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

template <typename Entries>
auto FindEntry(Entries& entries, std::string_view key) {
  return std::find_if(entries.begin(), entries.end(), [key](const auto& e) { return SameName(e.Key, key); });
}

}  // namespace

TIniFile TIniFile::Parse(std::string_view text, TRepeatedKeys repeated) {
  TIniFile ini;
  // Sections and keys met so far, by their lower-case names, so that a file
  // of many lines (a periodic table with thousands of properties) parses in
  // linear time.
  std::unordered_map<std::string, std::size_t> sectionIndex;
  std::vector<std::unordered_set<std::string>> keysSeen;
  std::size_t current = 0;
  bool inSection = false;  // false until the first header
  auto lower = [](std::string_view name) {
    std::string out(name);
    for (char& c : out) c = LowerAscii(c);
    return out;
  };
  for (const std::string& raw : SplitLines(text)) {
    const std::string line = TrimText(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      const std::string name = TrimText(std::string_view(line).substr(1, line.size() - 2));
      const auto [at, added] = sectionIndex.emplace(lower(name), ini.FSections.size());
      if (added) {
        ini.FSections.push_back(TSection{name, {}});
        keysSeen.emplace_back();
      } else {
        ini.FRepeatedSections.push_back(name);
      }
      current = at->second;
      inSection = true;
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!inSection || equals == std::string::npos) continue;
    TSection& section = ini.FSections[current];
    std::string key = TrimText(std::string_view(line).substr(0, equals));
    if (repeated == TRepeatedKeys::KeepFirst && !keysSeen[current].insert(lower(key)).second) {
      ini.FDroppedKeys.push_back(TDroppedKey{section.Name, std::move(key)});
      continue;
    }
    section.Entries.push_back(TEntry{std::move(key), TrimText(std::string_view(line).substr(equals + 1))});
  }
  return ini;
}

const TIniFile::TSection* TIniFile::FindSection(std::string_view section) const {
  for (const TSection& s : FSections)
    if (SameName(s.Name, section)) return &s;
  return nullptr;
}

TIniFile::TSection* TIniFile::FindSection(std::string_view section) {
  return const_cast<TSection*>(static_cast<const TIniFile*>(this)->FindSection(section));
}

std::vector<std::string> TIniFile::Sections() const {
  std::vector<std::string> names;
  names.reserve(FSections.size());
  for (const TSection& s : FSections) names.push_back(s.Name);
  return names;
}

bool TIniFile::HasSection(std::string_view section) const { return FindSection(section) != nullptr; }

std::vector<std::string> TIniFile::SectionKeys(std::string_view section) const {
  std::vector<std::string> keys;
  if (const TSection* s = FindSection(section))
    for (const TEntry& e : s->Entries) keys.push_back(e.Key);
  return keys;
}

std::vector<std::string> TIniFile::SectionLines(std::string_view section) const {
  std::vector<std::string> lines;
  if (const TSection* s = FindSection(section))
    for (const TEntry& e : s->Entries) lines.push_back(e.Key + '=' + e.Value);
  return lines;
}

std::optional<std::string> TIniFile::Value(std::string_view section, std::string_view key) const {
  const TSection* s = FindSection(section);
  if (s == nullptr) return std::nullopt;
  const auto entry = FindEntry(s->Entries, key);
  if (entry == s->Entries.end()) return std::nullopt;
  return entry->Value;
}

void TIniFile::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  TSection* s = FindSection(section);
  if (s == nullptr) {
    FSections.push_back(TSection{std::string(section), {}});
    s = &FSections.back();
  }
  const auto entry = FindEntry(s->Entries, key);
  if (entry != s->Entries.end()) entry->Value = value;
  else s->Entries.push_back(TEntry{std::string(key), std::string(value)});
}

void TIniFile::EraseSection(std::string_view section) {
  std::erase_if(FSections, [section](const TSection& s) { return SameName(s.Name, section); });
}

void TIniFile::EraseKey(std::string_view section, std::string_view key) {
  if (TSection* s = FindSection(section))
    std::erase_if(s->Entries, [key](const TEntry& e) { return SameName(e.Key, key); });
}

std::string TIniFile::ToText() const {
  std::string text;
  for (const TSection& s : FSections) {
    text += '[' + s.Name + "]\r\n";
    for (const TEntry& e : s.Entries) text += e.Key + '=' + e.Value + "\r\n";
  }
  return text;
}

}  // namespace helmax
