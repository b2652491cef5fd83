// A plain reader and writer for INI-style files: "[section]" headers followed
// by "key=value" lines. Section names and keys compare without ASCII case;
// values are taken as they stand, with no escape sequences.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace helmax {

class TIniFile {
 public:
  // What Parse does with a key repeated within a section: keep the first
  // line (settings), or keep every line (lists whose keys are only
  // numbers, such as the rows of a conversion table).
  enum class TRepeatedKeys { KeepFirst, KeepAll };

  // Parses decoded text. Every line is trimmed; blank lines and lines that
  // begin with ';' or '#' are skipped. "[name]" starts a section (name
  // trimmed); a header repeated later continues the earlier section. Other
  // lines need a '=': the key is the trimmed text before the first '=', the
  // value the trimmed text after it; lines without one are skipped. Within a
  // section the first of duplicate keys wins, unless repeated is KeepAll:
  // then every line stays (SectionLines lists them all, Value finds the
  // first). Lines before the first header belong to no section and are
  // ignored.
  static TIniFile Parse(std::string_view text, TRepeatedKeys repeated = TRepeatedKeys::KeepFirst);

  // Section names as first spelled, in file order.
  std::vector<std::string> Sections() const;
  bool HasSection(std::string_view section) const;
  // The section's keys in file order (empty when the section is missing).
  std::vector<std::string> SectionKeys(std::string_view section) const;
  // "key=value" for each key of the section, in file order.
  std::vector<std::string> SectionLines(std::string_view section) const;
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;

  // What Parse merged or dropped, for readers that must not lose a line
  // silently: headers that repeated an earlier section (as spelled there),
  // and keys dropped because their section already held them, both in file
  // order. Editing the file afterwards leaves these lists as they are.
  struct TDroppedKey {
    std::string Section;  // as first spelled
    std::string Key;      // as spelled on the dropped line
  };
  const std::vector<std::string>& RepeatedSections() const { return FRepeatedSections; }
  const std::vector<TDroppedKey>& DroppedKeys() const { return FDroppedKeys; }

  // Replaces the value of an existing key (which keeps its place and its
  // spelling) or appends the key to the section, appending the section at
  // the end when it is missing.
  void SetValue(std::string_view section, std::string_view key, std::string_view value);
  void EraseSection(std::string_view section);
  void EraseKey(std::string_view section, std::string_view key);

  // "[section]" followed by its "key=value" lines, each line ended by CR LF,
  // with no blank lines.
  std::string ToText() const;

 private:
  struct TEntry {
    std::string Key;
    std::string Value;
  };
  struct TSection {
    std::string Name;
    std::vector<TEntry> Entries;
  };

  const TSection* FindSection(std::string_view section) const;
  TSection* FindSection(std::string_view section);

  std::vector<TSection> FSections;
  std::vector<std::string> FRepeatedSections;
  std::vector<TDroppedKey> FDroppedKeys;
};

}  // namespace helmax
