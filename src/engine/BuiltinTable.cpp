// The catalogue of built-in names: code 8..104, name and accepted arguments.
#include <array>
#include <string_view>

#include "Operations.h"

namespace helmax {
namespace {

using A = TArity;

constexpr std::array<TBuiltinInfo, BuiltinCount> kBuiltins = {{
    {"pi", A::Constant},        {"exp", A::One},           {"cos", A::One},
    {"sin", A::One},            {"tan", A::One},           {"cotan", A::One},
    {"sqrt", A::One},           {"abs", A::One},           {"ln", A::One},
    {"ceil", A::One},           {"sqr", A::One},           {"int", A::One},
    {"lnxp1", A::One},          {"log10", A::One},         {"log2", A::One},
    {"frac", A::One},           {"arccos", A::One},        {"arccosh", A::One},
    {"cosh", A::One},           {"arcsin", A::One},        {"arcsinh", A::One},
    {"sinh", A::One},           {"arctan", A::OneOrTwo},   {"arctanh", A::One},
    {"tanh", A::One},           {"arctan2", A::Two},       {"max", A::AtLeastOne},
    {"min", A::AtLeastOne},     {"mean", A::AtLeastOne},   {"sum", A::AtLeastOne},
    {"eq", A::Two},             {"uneq", A::Two},          {"ls", A::Two},
    {"gr", A::Two},             {"lseq", A::Two},          {"greq", A::Two},
    {"and", A::AtLeastTwo},     {"or", A::AtLeastTwo},     {"not", A::One},
    {"if", A::TwoOrThree},      {"bk", A::AtLeastOne},     {"while", A::Two},
    {"infinity", A::Constant},  {"zero", A::Constant},     {"degtorad", A::One},
    {"radtodeg", A::One},       {"logn", A::Two},          {"floor", A::One},
    {"power", A::Two},          {"nan", A::Constant},      {"isnan", A::One},
    {"sec", A::One},            {"sech", A::One},          {"cot", A::One},
    {"coth", A::One},           {"arccot", A::One},        {"arccoth", A::One},
    {"arcsec", A::One},         {"arcsech", A::One},       {"csc", A::One},
    {"csch", A::One},           {"arccsc", A::One},        {"arccsch", A::One},
    {"secant", A::One},         {"cosecant", A::One},      {"log", A::One},
    {"sign", A::One},           {"xor", A::AtLeastTwo},    {"fractionalpart", A::One},
    {"integerpart", A::One},    {"ceiling", A::One},       {"indeterminate", A::Constant},
    {"true", A::Constant},      {"false", A::Constant},    {"degree", A::Constant},
    {"directedinfinity", A::Directed}, {"random", A::One}, {"e", A::Constant},
    {"null", A::Constant},      {"mod", A::Two},           {"quotient", A::Two},
    {"div", A::Two},            {"complex", A::Two},       {"iscomplex", A::One},
    {"isreal", A::One},         {"re", A::One},            {"im", A::One},
    {"conjugate", A::One},      {"arg", A::One},           {"isboolean", A::One},
    {"isnull", A::One},         {"complexfrompolar", A::Two}, {"real2curr", A::One},
    {"curr2real", A::One},      {"iscurrency", A::One},    {"isdatetime", A::One},
    {"inf", A::Constant},
}};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

const TBuiltinInfo& BuiltinInfo(int code) { return kBuiltins[static_cast<size_t>(code - opFirstBuiltin)]; }

// The names with their lengths worked out once, at compile time: every
// identifier of every compile is looked up here.
constexpr std::array<std::string_view, BuiltinCount> kBuiltinNames = [] {
  std::array<std::string_view, BuiltinCount> names{};
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = kBuiltins[i].Name;
  return names;
}();

int FindBuiltin(std::string_view name) {
  for (std::size_t i = 0; i < kBuiltinNames.size(); ++i)
    if (kBuiltinNames[i].size() == name.size() && EqualsIgnoringCase(kBuiltinNames[i], name))
      return static_cast<int>(i) + opFirstBuiltin;
  return 0;
}

bool BuiltinArgCountOk(int code, int count) {
  switch (BuiltinInfo(code).Arity) {
    case A::Constant: return count == 0;
    case A::One: return count == 1;
    case A::Two: return count == 2;
    case A::OneOrTwo: return count == 1 || count == 2;
    case A::TwoOrThree: return count == 2 || count == 3;
    case A::AtLeastOne: return count >= 1;
    case A::AtLeastTwo: return count >= 2;
    case A::Directed: return count == 1;
  }
  return false;
}

}  // namespace helmax
