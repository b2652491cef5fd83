#include "History.h"
#include "FixedTexts.h"

#include <algorithm>

#include "TextUtil.h"

namespace helmax {

bool THistory::Add(const std::string& snapshot) {
  const bool known = std::any_of(Entries_.begin(), Entries_.end(),
                                 [&](const std::string& e) { return EqualsIgnoringCase(e, snapshot); });
  if (known) return false;
  Entries_.push_back(snapshot);
  Index_ = Count();
  UndoEnabled_ = true;
  RedoEnabled_ = false;
  return true;
}

std::optional<std::string> THistory::Undo() {
  if (!UndoEnabled_) return std::nullopt;
  if (Index_ > 0) {
    --Index_;
    RedoEnabled_ = true;
    if (Index_ == 0) UndoEnabled_ = false;
    return Entries_[static_cast<std::size_t>(Index_)];
  }
  UndoEnabled_ = false;
  RedoEnabled_ = !Entries_.empty();
  Index_ = 0;
  return std::nullopt;
}

std::optional<std::string> THistory::Redo() {
  if (!RedoEnabled_) return std::nullopt;
  if (Index_ < Count() - 1) {
    ++Index_;
    UndoEnabled_ = true;
    if (Index_ == Count() - 1) RedoEnabled_ = false;
    return Entries_[static_cast<std::size_t>(Index_)];
  }
  RedoEnabled_ = false;
  UndoEnabled_ = true;
  Index_ = Count();
  return std::nullopt;
}

std::optional<std::string> THistory::Current() const {
  if (Index_ >= 0 && Index_ < Count()) return Entries_[static_cast<std::size_t>(Index_)];
  return std::nullopt;
}

void THistory::Clear() {
  Entries_.clear();
  Index_ = 0;
  UndoEnabled_ = false;
  RedoEnabled_ = false;
}

std::string THistory::PanelText() const {
  return texts::kHistoryIndexPrefix + std::to_string(Index_) + "/" + std::to_string(Count());
}

}  // namespace helmax
