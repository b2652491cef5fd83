// The catalogue of built-ins: code, name, accepted arguments, derivative
// rule and help line of each, in code order.
#include "BuiltinCatalogue.h"

#include <array>
#include <cstdint>

#include "TextUtil.h"

namespace helmax {
namespace {

using A = TArity;
using D = TDerivativeRule;

constexpr std::array<TBuiltinInfo, BuiltinCount> kBuiltins = {{
    {"pi", opPi, A::Constant, D::Zero, "'PI' CONSTANT"},
    {"exp", opExp, A::One, D::Chain, nullptr},
    {"cos", opCos, A::One, D::Chain, nullptr},
    {"sin", opSin, A::One, D::Chain, nullptr},
    {"tan", opTan, A::One, D::Chain, nullptr},
    {"cotan", opCotan, A::One, D::Chain, nullptr},
    {"sqrt", opSqrt, A::One, D::Chain, nullptr},
    {"abs", opAbs, A::One, D::ZeroUnlessVariable, nullptr},
    {"ln", opLn, A::One, D::Chain, nullptr},
    {"ceil", opCeil, A::One, D::ZeroUnlessVariable, nullptr},
    {"sqr", opSqr, A::One, D::Chain, nullptr},
    {"int", opInt, A::One, D::ZeroUnlessVariable, nullptr},
    {"lnxp1", opLnxp1, A::One, D::Chain, nullptr},
    {"log10", opLog10, A::One, D::Chain, nullptr},
    {"log2", opLog2, A::One, D::Chain, nullptr},
    {"frac", opFrac, A::One, D::ZeroUnlessVariable, nullptr},
    {"arccos", opArccos, A::One, D::Chain, nullptr},
    {"arccosh", opArccosh, A::One, D::Chain, nullptr},
    {"cosh", opCosh, A::One, D::Chain, nullptr},
    {"arcsin", opArcsin, A::One, D::Chain, nullptr},
    {"arcsinh", opArcsinh, A::One, D::Chain, nullptr},
    {"sinh", opSinh, A::One, D::Chain, nullptr},
    {"arctan", opArctan, A::OneOrTwo, D::Special, nullptr},
    {"arctanh", opArctanh, A::One, D::Chain, nullptr},
    {"tanh", opTanh, A::One, D::Chain, nullptr},
    {"arctan2", opArctan2, A::Two, D::Special, nullptr},
    {"max", opMax, A::AtLeastOne, D::ZeroUnlessVariable,
     "FUNCTION 'MAX'  RETURNS THE GREATER OF A SET OF EXPRESSION VALUES: Max(x1,[x2,x3...])"},
    {"min", opMin, A::AtLeastOne, D::ZeroUnlessVariable,
     "FUNCTION 'MIN'  RETURNS THE LESSER OF A SET OF EXPRESSION VALUES : Min(x1,[x2,x3...])"},
    {"mean", opMean, A::AtLeastOne, D::ZeroUnlessVariable,
     "FUNCTION 'MEAN' RETURNS THE MEAN OF A SET OF EXPRESSION VALUES: Mean(x1,[x2,x3...])"},
    {"sum", opSum, A::AtLeastOne, D::ZeroUnlessVariable,
     "FUNCTION 'SUM'  RETURNS THE SUM OF A SET OF EXPRESSION VALUES: Sum(x1,[x2,x3...])"},
    {"eq", opEq, A::Two, D::Special, "FUNCTION 'EQ'  IS EQUIVALENT WITH OBJECT PASCAL '=' OPERATOR : Eq(X,Y) -> X=Y"},
    {"uneq", opUneq, A::Two, D::ZeroUnlessVariable,
     "FUNCTION 'UNEQ' IS EQUIVALENT WITH OBJECT PASCAL '<>' OPERATOR : Uneq(X,Y) -> X<>Y"},
    {"ls", opLs, A::Two, D::ZeroUnlessVariable,
     "FUNCTION 'LS'  IS EQUIVALENT WITH OBJECT PASCAL '<' OPERATOR : Ls(X,Y) -> X<Y"},
    {"gr", opGr, A::Two, D::ZeroUnlessVariable,
     "FUNCTION 'GR'  IS EQUIVALENT WITH OBJECT PASCAL '>' OPERATOR : Gr(X,Y) -> X>Y"},
    {"lseq", opLsEq, A::Two, D::ZeroUnlessVariable,
     "FUNCTION 'LSEQ' IS EQUIVALENT WITH OBJECT PASCAL '<=' OPERATOR : LsEq(X,Y) -> X<=Y"},
    {"greq", opGrEq, A::Two, D::ZeroUnlessVariable,
     "FUNCTION 'GREQ' IS EQUIVALENT WITH OBJECT PASCAL '>=' OPERATOR : GrEq(X,Y) -> X>=Y"},
    {"and", opAnd, A::AtLeastTwo, D::ZeroUnlessVariable,
     "FUNCTION 'AND'  EVALUATES ITS ARGUMENTS IN ORDER, LIKE 'AND' OBJECT PASCAL OPERATOR : And(x1,x2,[x3...])"},
    {"or", opOr, A::AtLeastTwo, D::ZeroUnlessVariable,
     "FUNCTION 'OR'  EVALUATES ITS ARGUMENTS IN ORDER, LIKE 'OR' OBJECT PASCAL OPERATOR : Or(x1,x2,[x3...])"},
    {"not", opNot, A::One, D::ZeroUnlessVariable,
     "FUNCTION 'NOT'  EVALUATES ITS ARGUMENT LIKE 'NOT' OBJECT PASCAL OPERATOR : Not(x)"},
    {"if", opIf, A::TwoOrThree, D::Special,
     "FUNCTION 'IF' SYNTAX -> If( condition, block1, [block2] ) RETURNS VALUE OF bloc1 IF condition IS  'TRUE' , AND "
     "block2 IN OTHER CASE, IF block2 IS OMITED IT RETURNS 'NULL' CONSTANT : If(LsEq(x,Zero),x^2)"},
    {"bk", opBk, A::AtLeastOne, D::Special,
     "FUNCTION 'BK'  EVALUATES A SET OF MATH EXPRESSIONS,  GIVING THE LAST ONE VALUE AS THE RESULT :  Bk(x=5,y=3,x+y)"},
    {"while", opWhile, A::Two, D::Missing,
     "LOOP 'WHILE' SYNTAX -> While( test, body ) EVALUATES test, THEN body, REPETITIVELY, UNTIL test FIRST FAILS TO "
     "GIVE 'TRUE' VALUE  : Bk(n=10,s=0,i=0,While(Lseq(i,n-1),Bk(i=i+1,s=s+i)),s)"},
    {"infinity", opInfinity, A::Constant, D::Zero, "'INFINITY' CONSTANT"},
    {"zero", opZero, A::Constant, D::Zero, "'ZERO'  CONSTANT"},
    {"degtorad", opDegToRad, A::One, D::ZeroUnlessVariable, nullptr},
    {"radtodeg", opRadToDeg, A::One, D::ZeroUnlessVariable, nullptr},
    {"logn", opLogN, A::Two, D::Special, nullptr},
    {"floor", opFloor, A::One, D::ZeroUnlessVariable, nullptr},
    {"power", opPower, A::Two, D::Special, nullptr},
    {"nan", opNaN, A::Constant, D::Missing, "'NAN' CONSTANT MEAN THAT VALUE IS NOT A NUMBER "},
    {"isnan", opIsNaN, A::One, D::ZeroUnlessVariable, nullptr},
    {"sec", opSec, A::One, D::Chain, nullptr},
    {"sech", opSech, A::One, D::Chain, nullptr},
    {"cot", opCot, A::One, D::Chain, nullptr},
    {"coth", opCoth, A::One, D::Chain, nullptr},
    {"arccot", opArccot, A::One, D::Chain, nullptr},
    {"arccoth", opArccoth, A::One, D::Chain, nullptr},
    {"arcsec", opArcsec, A::One, D::Chain, nullptr},
    {"arcsech", opArcsech, A::One, D::Chain, nullptr},
    {"csc", opCsc, A::One, D::Chain, nullptr},
    {"csch", opCsch, A::One, D::Chain, nullptr},
    {"arccsc", opArccsc, A::One, D::Chain, nullptr},
    {"arccsch", opArccsch, A::One, D::Chain, nullptr},
    {"secant", opSecant, A::One, D::Chain, nullptr},
    {"cosecant", opCosecant, A::One, D::Chain, nullptr},
    {"log", opLog, A::One, D::Chain, "FUNCTION 'LOG' IS EQUIVALENT WITH OBJECT PASCAL 'LN'"},
    {"sign", opSign, A::One, D::ZeroUnlessVariable, nullptr},
    {"xor", opXor, A::AtLeastTwo, D::ZeroUnlessVariable,
     "FUNCTION 'XOR'  EVALUATES ITS ARGUMENTS IN ORDER, LIKE 'XOR' OBJECT PASCAL OPERATOR : Xor(x1,x2,[x3...])"},
    {"fractionalpart", opFractionalPart, A::One, D::ZeroUnlessVariable,
     "FUNCTION 'FRACTIONALPART' IS EQUIVALENT WITH OBJECT PASCAL 'FRAC'"},
    {"integerpart", opIntegerPart, A::One, D::ZeroUnlessVariable,
     "FUNCTION 'INTEGERPART' IS EQUIVALENT WITH OBJECT PASCAL 'INT'"},
    {"ceiling", opCeiling, A::One, D::ZeroUnlessVariable, "FUNCTION 'SEILING' IS EQUIVALENT WITH OBJECT PASCAL 'SEIL'"},
    {"indeterminate", opIndeterminate, A::Constant, D::Missing,
     "CONSTANT 'INDETERMINATE' IS EQUIVALENT WITH OBJECT PASCAL 'NAN'"},
    {"true", opTrue, A::Constant, D::Zero, "CONSTANT 'TRUE' IS EQUAL TO BOOLEAN TRUE"},
    {"false", opFalse, A::Constant, D::Zero, "CONSTANT 'FALSE' IS EQUAL TO BOOLEAN FALSE"},
    {"degree", opDegree, A::Constant, D::Zero, "CONSTANT 'DEGREE' IS EQUAL TO PI/180"},
    {"directedinfinity", opDirectedInfinity, A::Directed, D::Zero,
     "CONSTANT 'DIRECTEDINFINITY(1)', 'DIRECTEDINFINITY(-1)' IS EQUIVALENT WITH OBJECT PASCAL 'INFINITY', '-INFINITY'"},
    {"random", opRandom, A::One, D::Zero,
     "FUNCTION 'RANDOM' SYNTAX -> Random(x) IF 0<=x<1 THEN IT IS EQUIVALENT WITH OBJECT PASCAL 'RANDOM()' ELSE IF "
     "1<=x<Infinity THEN IT IS EQUIVALENT WITH OBJECT PASCAL 'RANDOM(TRUNC(x))'"},
    {"e", opE, A::Constant, D::Zero, "CONSTANT 'E' IS EQUIVALENT WITH EXP(1)"},
    {"null", opNull, A::Constant, D::Missing, "CONSTANT 'NULL' IS EQUIVALENT WITH OBJECT PASCAL 'NULL'"},
    {"mod", opMod, A::Two, D::ZeroUnlessVariable, "FUNCTION 'MOD'  SYNTAX -> Mod(x,y) : IS EQUAL TO x-y*Floor(x/y)"},
    {"quotient", opQuotient, A::Two, D::ZeroUnlessVariable,
     "FUNCTION 'QUOTIENT' SYNTAX -> Quotient(x,y) : IS EQUAL TO Floor(x/y)"},
    {"div", opIntegerDiv, A::Two, D::ZeroUnlessVariable, "FUNCTION 'DIV' SYNTAX -> Div(x,y) : IS EQUAL TO Floor(x/y)"},
    {"complex", opComplex, A::Two, D::Missing,
     "FUNCTION 'COMPLEX' IS EQUIVALENT WITH OBJECT PASCAL 'VARCOMPLEXCREATE ' "},
    {"iscomplex", opIsComplex, A::One, D::ZeroUnlessVariable, "FUNCTION 'ISCOMPLEX' TESTS COMPLEX TYPE"},
    {"isreal", opIsReal, A::One, D::ZeroUnlessVariable, "FUNCTION 'ISREAL' TESTS REAL TYPE"},
    {"re", opRe, A::One, D::ZeroUnlessVariable, "FUNCTION 'RE' GIVES REAL PART OF COMPLEX"},
    {"im", opIm, A::One, D::ZeroUnlessVariable, "FUNCTION 'IM' GIVES IMAGINARY PART OF COMPLEX"},
    {"conjugate", opConjugate, A::One, D::ZeroUnlessVariable, "FUNCTION 'CONJUGATE' GIVES CONJUGATE OF COMPLEX"},
    {"arg", opArg, A::One, D::ZeroUnlessVariable, "FUNCTION 'ARG' GIVES ANGLE OF COMPLEX"},
    {"isboolean", opIsBoolean, A::One, D::ZeroUnlessVariable, "FUNCTION 'ISBOOLEAN' TESTS BOOLEAN TYPE"},
    {"isnull", opIsNull, A::One, D::ZeroUnlessVariable, "FUNCTION 'ISNULL' TESTS NULL VALUE"},
    {"complexfrompolar", opComplexFromPolar, A::Two, D::Missing,
     "FUNCTION 'COMPLEXFROMPOLAR' IS EQUIVALENT WITH OBJECT PASCAL 'VARCOMPLEXFROMPOLAR ' "},
    {"real2curr", opReal2Curr, A::One, D::ZeroUnlessVariable, "FUNCTION 'REAL2CURR' CONVERTS REAL TO CURRENCY TYPE"},
    {"curr2real", opCurr2Real, A::One, D::ZeroUnlessVariable, "FUNCTION 'CURR2REAL' CONVERTS CURRENCY TO REAL TYPE"},
    {"iscurrency", opIsCurrency, A::One, D::ZeroUnlessVariable, "FUNCTION 'ISCURRENCY' TESTS CURRENCY TYPE"},
    {"isdatetime", opIsDateTime, A::One, D::ZeroUnlessVariable, "FUNCTION 'ISDATETIME' TESTS DATETIME TYPE"},
    {"inf", opInf, A::Constant, D::Zero, "'INF' CONSTANT IS EQUIVALENT WITH 'INFINITY'"},
}};

constexpr bool CodesFollowTableOrder() {
  for (std::size_t i = 0; i < kBuiltins.size(); ++i)
    if (kBuiltins[i].Code != opFirstBuiltin + static_cast<int>(i)) return false;
  return true;
}
static_assert(CodesFollowTableOrder(), "each built-in sits at its code's place");

// Help lines of variables (0) and the operators * / + - ^ = ~ (1..7).
constexpr std::array<const char*, opFirstBuiltin> kOperatorHelp = {
    "IF 'ProtectVariables' property is false (default), IT IS MEAN THAT YOU CAN SET VALUES BY '=' OPERATOR: X=0 ",
    "OPERATOR '* ' IS EQUIVALENT WITH OBJECT PASCAL OPERATOR : X*Y",
    "OPERATOR '/'  IS EQUIVALENT WITH OBJECT PASCAL OPERATOR : X/Y",
    "OPERATOR '+'  IS EQUIVALENT WITH OBJECT PASCAL OPERATOR : X+Y",
    "OPERATOR '- ' IS EQUIVALENT WITH OBJECT PASCAL OPERATOR : X-Y",
    "OPERATOR '^'  IS EQUIVALENT WITH OBJECT PASCAL  Power FUNCTION : X^Y -> Power(X,Y)",
    "OPERATOR '= ' IS EQUIVALENT WITH OBJECT PASCAL ':=' OPERATOR : X=0.1E+3,Y=0.1E-3",
    "OPERATOR '~ ' DEFINES FUNCTION ON RUNTIME : f(x)~sin(x)^2",
};

// The names with their lengths worked out once, at compile time: every
// identifier of every compile is looked up here.
constexpr std::array<std::string_view, BuiltinCount> kBuiltinNames = [] {
  std::array<std::string_view, BuiltinCount> names{};
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = kBuiltins[i].Name;
  return names;
}();

// FNV-1a of the name in lower case.
constexpr std::uint32_t NameHash(std::string_view name) {
  std::uint32_t h = 2166136261u;
  for (char c : name) {
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    h = (h ^ static_cast<unsigned char>(lower)) * 16777619u;
  }
  return h;
}

// An open-addressing table of the names (catalogue index + 1, 0 for an
// empty slot), filled at compile time; the first of equal names wins, as in
// the catalogue's order.
constexpr std::size_t kNameSlots = 512;
constexpr std::array<std::uint8_t, kNameSlots> kNameTable = [] {
  static_assert(BuiltinCount < 255 && 2 * BuiltinCount < kNameSlots);
  std::array<std::uint8_t, kNameSlots> table{};
  for (std::size_t i = 0; i < kBuiltinNames.size(); ++i) {
    std::size_t slot = NameHash(kBuiltinNames[i]) % kNameSlots;
    bool taken = false;
    while (table[slot] != 0) {
      const std::string_view other = kBuiltinNames[table[slot] - 1u];
      bool same = other.size() == kBuiltinNames[i].size();
      for (std::size_t k = 0; same && k < other.size(); ++k) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        same = lower(other[k]) == lower(kBuiltinNames[i][k]);
      }
      if (same) taken = true;
      slot = (slot + 1) % kNameSlots;
    }
    if (!taken) table[slot] = static_cast<std::uint8_t>(i + 1);
  }
  return table;
}();

}  // namespace

const TBuiltinInfo& BuiltinInfo(int code) { return kBuiltins[static_cast<std::size_t>(code - opFirstBuiltin)]; }

int FindBuiltin(std::string_view name) {
  for (std::size_t slot = NameHash(name) % kNameSlots; kNameTable[slot] != 0; slot = (slot + 1) % kNameSlots) {
    const std::size_t i = kNameTable[slot] - 1u;
    if (kBuiltinNames[i].size() == name.size() && EqualsIgnoringCase(kBuiltinNames[i], name))
      return static_cast<int>(i) + opFirstBuiltin;
  }
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

std::string BuiltinHelpText(int code) {
  if (code >= 0 && code < opFirstBuiltin) return kOperatorHelp[static_cast<std::size_t>(code)];
  if (code < opFirstBuiltin || code > opLastBuiltin) return std::string();
  const TBuiltinInfo& info = BuiltinInfo(code);
  if (info.Help != nullptr) return info.Help;
  return "FUNCTION '" + ToUpperAscii(info.Name) + "' IS EQUIVALENT WITH OBJECT PASCAL FUNCTION";
}

}  // namespace helmax
