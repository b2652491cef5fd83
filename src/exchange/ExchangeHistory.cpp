#include "ExchangeHistory.h"

#include <algorithm>

#include "TextUtil.h"

namespace helmax {

bool TExchangeHistory::Add(const std::string& text) {
  if (text.empty()) return false;
  const bool known =
      std::any_of(Entries_.begin(), Entries_.end(), [&](const std::string& e) { return EqualsIgnoringCase(e, text); });
  if (known) return false;
  Entries_.push_back(text);
  return true;
}

}  // namespace helmax
