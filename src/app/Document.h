// The calculator's text formats: the document (four brace sections), the
// snapshot kept by the history and the log (the same plus the results), and
// the items of a constants section. Pure text in, text out.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace helmax {

// One row of the constant list as a document stores it.
struct TConstantLine {
  std::string Name;
  std::string Expression;
  std::string Description;
};

// The state that a document or snapshot holds. Pane texts use any line ends.
struct TCalculatorTexts {
  std::vector<TConstantLine> Constants;
  std::string FunctionVariable;
  std::string Definitions;
  std::string Expressions;
  std::string Results;  // snapshots only
};

// The sections of a document or snapshot, in file order.
enum TSectionIndex { secConstants = 0, secFunctionVariable = 1, secDefinitions = 2, secExpressions = 3 };
using TSections = std::array<std::string, 4>;

// name = expression; or name = expression //description;
std::string ConstantLineText(const TConstantLine& c);

// The document file text, every line ended by CR LF.
std::string DocumentText(const TCalculatorTexts& t);
// The snapshot text, every line ended by CR LF.
std::string SnapshotText(const TCalculatorTexts& t);

// Reads a document file's text line by line: non-empty lines inside a
// section keep a CR LF, empty ones are dropped. Nothing when the braces do
// not form at least four balanced pairs.
std::optional<TSections> ReadDocumentSections(std::string_view fileText);
// Reads a snapshot: the same brace scan over the whole text, each section
// trimmed afterwards.
std::optional<TSections> ReadSnapshotSections(std::string_view text);

// True when a text holds a brace, which the section format cannot carry.
bool HoldsBrace(std::string_view text);

// One step of reading a constants section: either a constant to add, or a
// message about a line that is skipped.
struct TConstantItem {
  bool IsMessage = false;
  std::string Message;
  TConstantLine Constant;
};
// Splits a constants section into its items, in order.
std::vector<TConstantItem> ParseConstantsSection(std::string_view text);

// The lines of a pane's text (LF, CR LF or CR), for documents: a text that
// is empty after trimming gives no lines.
std::vector<std::string> PaneLines(std::string_view paneText);
// A pane text with every line end turned into LF.
std::string NormalizeLineEnds(std::string_view text);

}  // namespace helmax
