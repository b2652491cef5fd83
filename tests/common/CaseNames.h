// Readable names for the cases of parameterised tests, so that a failure (and
// CTest's list) names the case by its text instead of the bytes of its
// parameter: "2^3^2" becomes 2_pow_3_pow_2.
#pragma once

#include <cstdio>
#include <set>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace helmax::test {

// An identifier of letters, digits and single underscores that spells the
// text: operators become words, other characters underscores.
inline std::string IdentifierFromText(std::string_view text) {
  std::string out;
  auto word = [&](const char* w) {
    if (!out.empty() && out.back() != '_') out += '_';
    out += w;
    out += '_';
  };
  for (unsigned char c : text) {
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
      out += static_cast<char>(c);
      continue;
    }
    switch (c) {
      case '+': word("plus"); break;
      case '-': word("minus"); break;
      case '*': word("times"); break;
      case '/': word("over"); break;
      case '^': word("pow"); break;
      case '=': word("is"); break;
      case '~': word("def"); break;
      case '.': word("dot"); break;
      case ':': word("colon"); break;
      default:
        if (c >= 0x80) {
          char hex[4];
          std::snprintf(hex, sizeof hex, "x%02X", c);
          word(hex);
        } else if (!out.empty() && out.back() != '_') {
          out += '_';
        }
    }
  }
  while (!out.empty() && out.back() == '_') out.pop_back();
  if (out.size() > 60) out.resize(60);
  while (!out.empty() && out.back() == '_') out.pop_back();
  return out.empty() ? "empty" : out;
}

// A name generator for INSTANTIATE_TEST_SUITE_P: text(param) gives the text
// that names a case; a repeated name gets _2, _3 ... GoogleTest evaluates the
// generator expression anew for every case, so the names already given are
// kept per call site (each lambda has a type of its own).
template <class TextOf>
auto NamedBy(TextOf text) {
  static std::set<std::string> used;
  return [text](const auto& info) {
    const std::string base = IdentifierFromText(text(info.param));
    std::string name = base;
    for (int n = 2; !used.insert(name).second; ++n) name = base + "_" + std::to_string(n);
    return name;
  };
}

}  // namespace helmax::test
