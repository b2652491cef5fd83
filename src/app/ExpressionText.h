// Texts of the tool windows' multi-line edits as the engine takes them.
#pragma once

#include <string>
#include <string_view>

namespace helmax {

// A pane's text as one expression: trimmed, carriage returns removed,
// trimmed again, line feeds removed.
std::string OneLineExpression(std::string_view text);

}  // namespace helmax
