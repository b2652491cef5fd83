// How tightly the infix operators bind, shared by the compiler and the
// bracket notation: "~" loosest, then "=", "+" "-", "*" "/", a sign, "^".
#pragma once

namespace helmax {

inline int Precedence(char op) {
  switch (op) {
    case '~': return 1;
    case '=': return 2;
    case '+':
    case '-': return 3;
    case '*':
    case '/': return 4;
    case '^': return 6;
    default: return 0;
  }
}
// A sign binds tighter than "*" and looser than "^": -2^2 is -(2^2).
constexpr int kUnaryPrecedence = 5;

}  // namespace helmax
