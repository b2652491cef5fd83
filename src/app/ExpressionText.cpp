#include "ExpressionText.h"

#include "TextUtil.h"

namespace helmax {

std::string OneLineExpression(std::string_view text) {
  std::string s;
  for (char c : Trim(text))
    if (c != '\r') s += c;
  std::string out;
  for (char c : Trim(s))
    if (c != '\n') out += c;
  return out;
}

}  // namespace helmax
