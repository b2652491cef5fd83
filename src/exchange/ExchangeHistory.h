// The amounts the user set aside with Esc in the exchange window, each once
// (letter case ignored), in the order they came.
#pragma once

#include <string>
#include <vector>

namespace helmax {

class TExchangeHistory {
 public:
  // Adds a text that is not empty and not there yet; true when it was added.
  bool Add(const std::string& text);
  void Clear() { Entries_.clear(); }
  const std::vector<std::string>& Entries() const { return Entries_; }

 private:
  std::vector<std::string> Entries_;
};

}  // namespace helmax
