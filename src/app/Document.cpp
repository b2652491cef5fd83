#include "Document.h"
#include "FixedTexts.h"

#include "TextFile.h"
#include "TextUtil.h"

namespace helmax {

namespace {

void AddLine(std::string& out, std::string_view line) {
  out.append(line);
  out.append("\r\n");
}

void AddConstantsSection(std::string& out, const std::vector<TConstantLine>& constants) {
  AddLine(out, texts::kConstantsSection);
  AddLine(out, "{");
  for (const TConstantLine& c : constants) AddLine(out, ConstantLineText(c));
  AddLine(out, "}");
  AddLine(out, "");
  AddLine(out, texts::kFunctionVariableSection);
  AddLine(out, "{");
}

// A pane as section lines; a document writes one empty line for an empty
// pane, a snapshot none.
void AddPaneLines(std::string& out, std::string_view pane, bool emptyGivesALine) {
  const std::vector<std::string> lines = PaneLines(pane);
  if (lines.empty() && emptyGivesALine) AddLine(out, "");
  for (const std::string& l : lines) AddLine(out, l);
}

void AddSection(std::string& out, std::string_view title, std::string_view pane, bool emptyGivesALine) {
  AddLine(out, title);
  AddLine(out, "{");
  AddPaneLines(out, pane, emptyGivesALine);
  AddLine(out, "}");
}

// The brace scan shared by documents and snapshots. Returns false once a
// "}" has no "{" to close.
struct TBraceScanner {
  TSections Sections;
  int Opened = 0;
  int Closed = 0;
  bool Inside = false;
  bool Broken = false;

  void Scan(std::string_view text) {
    for (char c : text) {
      if (Broken) return;
      if (c == '}') {
        ++Closed;
        Inside = false;
      } else if (c == '{') {
        Inside = true;
        ++Opened;
      } else if (Inside && Opened >= 1 && Opened <= 4) {
        Sections[static_cast<std::size_t>(Opened - 1)].push_back(c);
      }
      if (Opened < Closed) Broken = true;
    }
  }
  bool Good() const { return !Broken && Opened == Closed && Opened >= 4; }
};

}  // namespace

std::string ConstantLineText(const TConstantLine& c) {
  if (Trim(c.Description).empty()) return c.Name + " = " + c.Expression + ";";
  return c.Name + " = " + c.Expression + " //" + c.Description + ";";
}

// A document writes one empty line for an empty pane; a snapshot writes
// none and adds the results.
static std::string SectionsText(const TCalculatorTexts& t, bool snapshot) {
  std::string out;
  AddConstantsSection(out, t.Constants);
  AddLine(out, t.FunctionVariable);
  AddLine(out, "}");
  AddLine(out, "");
  AddSection(out, texts::kUserDefinitionsSection, t.Definitions, !snapshot);
  AddLine(out, "");
  AddSection(out, texts::kMathematicalExpressionsSection, t.Expressions, !snapshot);
  if (snapshot) {
    AddLine(out, "");
    AddSection(out, texts::kResultsSection, t.Results, false);
  }
  return out;
}

std::string DocumentText(const TCalculatorTexts& t) { return SectionsText(t, false); }

std::string SnapshotText(const TCalculatorTexts& t) { return SectionsText(t, true); }

std::optional<TSections> ReadDocumentSections(std::string_view fileText) {
  TBraceScanner scan;
  for (const std::string& raw : SplitLines(fileText)) {
    if (scan.Broken) break;
    std::string line = raw;
    if (scan.Inside && !Trim(line).empty()) line += "\r\n";
    scan.Scan(line);
  }
  if (!scan.Good()) return std::nullopt;
  return scan.Sections;
}

std::optional<TSections> ReadSnapshotSections(std::string_view text) {
  TBraceScanner scan;
  scan.Scan(text);
  if (!scan.Good()) return std::nullopt;
  for (std::string& s : scan.Sections) s = std::string(Trim(s));
  return scan.Sections;
}

bool HoldsBrace(std::string_view text) { return text.find_first_of("{}") != std::string_view::npos; }

std::vector<TConstantItem> ParseConstantsSection(std::string_view section) {
  // The section is one run of text: line ends carry no meaning.
  std::string text;
  for (char c : Trim(section))
    if (c != '\r') text.push_back(c);
  text = std::string(Trim(text));
  std::string joined;
  for (char c : text)
    if (c != '\n') joined.push_back(c);
  std::string_view rest = Trim(joined);

  std::vector<TConstantItem> items;
  auto message = [&](std::string m) {
    TConstantItem it;
    it.IsMessage = true;
    it.Message = std::move(m);
    items.push_back(std::move(it));
  };
  for (std::size_t semi = rest.find(';'); semi != std::string_view::npos; semi = rest.find(';')) {
    const std::string_view item = rest.substr(0, semi);
    rest.remove_prefix(semi + 1);
    const std::size_t eq = item.find('=');
    if (eq == std::string_view::npos) {
      message(texts::kBadConstantsSectionMissingEqualsPrefix + std::string(item));
      continue;
    }
    TConstantItem it;
    it.Constant.Name = std::string(Trim(item.substr(0, eq)));
    const std::string_view value = item.substr(eq + 1);
    const std::size_t comment = value.find("//");
    if (comment != std::string_view::npos) {
      if (value.find('=') != std::string_view::npos) {
        message(texts::kBadConstantsSectionMissingSemicolonPrefix + std::string(value));
        continue;
      }
      it.Constant.Expression = std::string(Trim(value.substr(0, comment)));
      it.Constant.Description = std::string(value.substr(comment + 2));
    } else {
      it.Constant.Expression = std::string(Trim(value));
    }
    items.push_back(std::move(it));
  }
  if (!rest.empty()) message(texts::kBadConstantsSectionMissingSemicolonPrefix + std::string(rest));
  return items;
}

std::vector<std::string> PaneLines(std::string_view paneText) {
  const std::string_view trimmed = Trim(paneText);
  if (trimmed.empty()) return {};
  return SplitLines(trimmed);
}

std::string NormalizeLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out.push_back('\n');
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

}  // namespace helmax
