// The undo history of the calculator: whole-state snapshots, stepped through
// with Undo and Redo. The history only keeps the texts and the position; the
// calculator restores an entry when an operation hands one back.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace helmax {

class THistory {
 public:
  // Appends a snapshot unless an equal one (ignoring ASCII case) is already
  // kept. Returns true when it was appended; the index then points one past
  // the last entry, Undo is enabled and Redo disabled.
  bool Add(const std::string& snapshot);

  // Each returns the entry to restore, or nothing when the step only moves
  // the position or changes the enabled states. Undo and Redo do nothing at
  // all while disabled.
  std::optional<std::string> Undo();
  std::optional<std::string> Redo();
  std::optional<std::string> Current() const;

  void Clear();

  int Index() const { return Index_; }
  int Count() const { return static_cast<int>(Entries_.size()); }
  bool UndoEnabled() const { return UndoEnabled_; }
  bool RedoEnabled() const { return RedoEnabled_; }
  const std::vector<std::string>& Entries() const { return Entries_; }
  // "History Index: " + index + "/" + count.
  std::string PanelText() const;

 private:
  std::vector<std::string> Entries_;
  int Index_ = 0;
  bool UndoEnabled_ = false;
  bool RedoEnabled_ = false;
};

}  // namespace helmax
