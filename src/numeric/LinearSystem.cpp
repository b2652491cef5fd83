#include "LinearSystem.h"
#include "FixedTexts.h"

#include <charconv>
#include <cmath>

#include "DenseLinearSolver.h"
#include "ErrorText.h"
#include "LinearCoefficients.h"
#include "TextFile.h"

namespace helmax {
namespace {

const char* const kNotLinear = texts::kSystemOfEquationsIsNotLinear;
const char* const kCountMismatch = texts::kNumberOfVariablesDoNotCorespondWithEquations;
const char* const kZeroDeterminant = texts::kSystemIsIllConditionedDeterminatIsZero;
const char* const kIllConditioned = texts::kSystemIsIllConditionedDeterminatIsPrefix;
const char* const kBadFormat = texts::kBadFileFormat;
const char* const kStopped = texts::kCalculationStopped;

// The box's text as the engine gets it: trimmed, without line ends.
std::string Cleaned(const std::string& text) {
  std::string noCr;
  for (char c : TrimText(text))
    if (c != '\r') noCr.push_back(c);
  std::string joined;
  for (char c : TrimText(noCr))
    if (c != '\n') joined.push_back(c);
  return joined;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) out += (i > 0 ? "\n" : "") + lines[i];
  return out;
}

std::string EntryText(double v) { return ScientificText(v) + "   "; }
std::string EntryText(const TComplex& z) {
  return "Complex(" + ScientificText(z.Re) + ", " + ScientificText(z.Im) + ")   ";
}
TValue AsValue(double v) { return TValue::MakeReal(v); }
TValue AsValue(const TComplex& z) { return TValue::MakeComplex(z.Re, z.Im); }

// m × 10^e as the calculator writes a real, beyond the range of doubles
// too: 15 significant digits, trailing zeros dropped, -2E-600.
std::string WideRealText(double m, std::int64_t e) {
  if (m == 0.0 || !std::isfinite(m)) return RealToText(m);
  // The mantissa into [1, 10).
  const int shift = static_cast<int>(std::floor(std::log10(std::fabs(m))));
  const long double normal = static_cast<long double>(m) / std::pow(10.0L, static_cast<long double>(shift));
  e += shift;
  if (e >= -300 && e <= 300)
    return RealToText(static_cast<double>(normal * std::pow(10.0L, static_cast<long double>(e))));
  char buf[40];
  const auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(normal), std::chars_format::scientific, 14);
  std::string digits(buf, res.ptr);  // [-]d.dddddddddddddde±XX
  const std::size_t mark = digits.find('e');
  int adjust = 0;
  const char* first = digits.c_str() + mark + 1;
  if (*first == '+') ++first;
  std::from_chars(first, digits.c_str() + digits.size(), adjust);
  digits.resize(mark);
  while (digits.back() == '0') digits.pop_back();
  if (digits.back() == '.') digits.pop_back();
  e += adjust;
  return digits + "E" + (e < 0 ? "-" : "") + std::to_string(e < 0 ? -e : e);
}

}  // namespace

std::string DeterminantText(const TWideDeterminant<double>& d) { return WideRealText(d.Mantissa, d.Exponent); }
std::string DeterminantText(const TWideDeterminant<TComplex>& d) {
  return "Complex(" + WideRealText(d.Mantissa.Re, d.Exponent) + ", " + WideRealText(d.Mantissa.Im, d.Exponent) + ")";
}

namespace {}  // namespace

std::string ScientificText(double v) {
  if (!std::isfinite(v)) return RealToText(v);
  char buf[40];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
  const std::string sci(buf, res.ptr);  // -d.ddddddddddddddde+XX
  const std::size_t e = sci.find('e');
  int exponent = 0;
  const char* digits = sci.c_str() + e + 1;
  if (*digits == '+') ++digits;
  std::from_chars(digits, sci.c_str() + sci.size(), exponent);
  return sci.substr(0, e) + "E" + (exponent < 0 ? "-" : "+") + std::to_string(std::abs(exponent));
}

// The built system: A (n × n, rows = equations) and B, real or complex.
struct TLinearSystem::TBuilt {
  int N = 0;
  bool Complex = false;
  std::vector<double> A, B;
  std::vector<TComplex> CA, CB;
  std::vector<std::string> Names;
};

TLinearSystem::TLinearSystem() : Engine_(std::make_unique<THelmaxComplexEval>()) {
  Engine_->ImplicitMultiplication = true;
  Engine_->ProtectDigitVariables = true;
  Engine_->ProtectOtherVariables = true;
}

TLinearSystem::~TLinearSystem() = default;

namespace {

// The equations split at the commas outside parentheses; false when the
// text is not plainly a list of non-empty expressions.
bool SplitEquations(const std::string& text, std::vector<std::string>& pieces) {
  pieces.clear();
  int depth = 0;
  std::string piece;
  for (char c : text) {
    if (c == '[' || c == ']' || c == '{' || c == '}') return false;
    if (c == '(') ++depth;
    if (c == ')' && --depth < 0) return false;
    if (c == ',' && depth == 0) {
      pieces.push_back(std::move(piece));
      piece.clear();
    } else {
      piece.push_back(c);
    }
  }
  pieces.push_back(std::move(piece));
  if (depth != 0) return false;
  for (const std::string& p : pieces)
    if (TrimText(p).empty()) return false;
  return true;
}

// The constant terms (every variable 0) and the coefficients of the
// program the engine compiled last, appended to c and a.
bool ReadCompiled(THelmaxComplexEval& e, std::vector<TValue>& a, std::vector<TValue>& c, TSystemOutcome& out) {
  if (const std::vector<TVariable*>* vars = e.Variables())
    for (TVariable* v : *vars) *v->Value = TValue::MakeReal(0.0);
  TValue* const* constants = e.DoVectorOfMathExpressions();
  if (constants == nullptr || e.Error) {
    out.Results = ExecuteErrorLine(e);
    return false;
  }
  for (int i = 0; i < e.ExpressionCount; ++i) c.push_back(*constants[i]);
  std::vector<TValue> rows;
  std::string failure;
  switch (LinearCoefficients(e, rows, failure)) {
    case TCoefficientsOutcome::NotLinear: out.Results = kNotLinear; return false;
    case TCoefficientsOutcome::Failed: out.Results = failure; return false;
    case TCoefficientsOutcome::Done: break;
  }
  a.insert(a.end(), rows.begin(), rows.end());
  return true;
}

}  // namespace

// The whole text in one compile: the engine's own order of messages.
bool TLinearSystem::ReadWhole(const std::string& equations, const std::string& variables, std::vector<TValue>& a,
                              std::vector<TValue>& c, TSystemOutcome& out) {
  THelmaxComplexEval& e = *Engine_;
  e.VerifySyntaxSemantics(equations, variables, false);
  if (e.Error) {
    out.Results = ParseErrorLine(e);
    return false;
  }
  if (!e.LinearExpression) {
    out.Results = kNotLinear;
    return false;
  }
  return ReadCompiled(e, a, c, out);
}

// Equation by equation: a compile's cost grows with everything compiled
// before it in the same text, which makes a thousand long equations take
// minutes in one compile and about a second this way. The messages come in
// the same order: compile errors first (worded by a compile of the whole
// text), then non-linearity, then evaluation errors.
bool TLinearSystem::ReadByEquation(const std::vector<std::string>& pieces, const std::string& equations,
                                   const std::string& variables, std::vector<TValue>& a, std::vector<TValue>& c,
                                   TSystemOutcome& out, const TStopTest& stop, TProgress* progress) {
  THelmaxComplexEval& e = *Engine_;
  const std::int64_t count = static_cast<std::int64_t>(pieces.size());
  if (progress) progress->Start(2 * count);
  bool linear = true;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (StopAsked(stop)) throw TWorkStopped{};
    if (progress) progress->Set(static_cast<std::int64_t>(i));
    e.VerifySyntaxSemantics(pieces[i], variables, false);
    if (e.Error) return ReadWhole(equations, variables, a, c, out);
    linear = linear && e.LinearExpression;
  }
  if (!linear) {
    out.Results = kNotLinear;
    return false;
  }
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (StopAsked(stop)) throw TWorkStopped{};
    if (progress) progress->Set(count + static_cast<std::int64_t>(i));
    e.VerifySyntaxSemantics(pieces[i], variables, false);
    if (!ReadCompiled(e, a, c, out)) return false;
  }
  return true;
}

bool TLinearSystem::Build(const std::string& variables, const std::string& equations, TBuilt& built,
                          TSystemOutcome& out, const TStopTest& stop, TProgress* progress) {
  THelmaxComplexEval& e = *Engine_;
  const std::string source = Cleaned(equations), names = Cleaned(variables);
  std::vector<std::string> pieces;
  std::vector<TValue> a, constants;
  const bool read = SplitEquations(source, pieces)
                        ? ReadByEquation(pieces, source, names, a, constants, out, stop, progress)
                        : ReadWhole(source, names, a, constants, out);
  if (!read) return false;
  const int n = e.VariableCount();
  if (static_cast<int>(constants.size()) != n) {
    out.Results = kCountMismatch;
    return false;
  }
  std::vector<TValue> b(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) b[static_cast<std::size_t>(i)] = NegatedValue(constants[static_cast<std::size_t>(i)]);
  built.N = n;
  built.Names.clear();
  for (int j = 1; j <= n; ++j) built.Names.push_back(e.GetVarName(j));
  // Complex as soon as one entry is; every entry must be a finite number.
  bool complex = false;
  for (const std::vector<TValue>* part : {&a, &b})
    for (const TValue& v : *part) complex = complex || v.Kind == TValueKind::Complex;
  built.Complex = complex;
  auto refuse = [&](const TValue& v, int equation, int variable) {
    out.Results = "Equation " + std::to_string(equation + 1) + ": " +
                  (variable < 0 ? std::string("the constant term")
                                : "the coefficient of " + built.Names[static_cast<std::size_t>(variable)]) +
                  " is " + ValueToText(v) + ", not a finite number";
    return false;
  };
  auto check = [](const TValue& v) {
    if (v.Kind == TValueKind::Complex) return std::isfinite(v.Cx.Re) && std::isfinite(v.Cx.Im);
    return (v.IsRealLike() || v.Kind == TValueKind::DateTime) && std::isfinite(v.AsReal());
  };
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j)
      if (!check(a[static_cast<std::size_t>(i * n + j)])) return refuse(a[static_cast<std::size_t>(i * n + j)], i, j);
    if (!check(b[static_cast<std::size_t>(i)])) {
      // The constant term as the user wrote it.
      return refuse(constants[static_cast<std::size_t>(i)], i, -1);
    }
  }
  auto real = [](const TValue& v) { return v.Kind == TValueKind::Complex ? v.Cx.Re : v.AsReal(); };
  auto cx = [&](const TValue& v) { return v.Kind == TValueKind::Complex ? v.Cx : TComplex{real(v), 0.0}; };
  if (complex) {
    built.CA.resize(a.size());
    built.CB.resize(b.size());
    for (std::size_t k = 0; k < a.size(); ++k) built.CA[k] = cx(a[k]);
    for (std::size_t k = 0; k < b.size(); ++k) built.CB[k] = cx(b[k]);
  } else {
    built.A.resize(a.size());
    built.B.resize(b.size());
    for (std::size_t k = 0; k < a.size(); ++k) built.A[k] = real(a[k]);
    for (std::size_t k = 0; k < b.size(); ++k) built.B[k] = real(b[k]);
  }
  return true;
}

namespace {

template <class T>
void Eliminate(TSystemCommand command, int n, const std::vector<T>& a, const std::vector<T>& b,
               const std::vector<std::string>& names, double tolerance, const TStopTest& stop, TProgress* progress,
               TSystemOutcome& out) {
  TDenseLuSolver<T> lu;
  const TEliminationOutcome outcome = lu.Factor(a, n, tolerance, stop, progress);
  switch (outcome) {
    case TEliminationOutcome::ZeroPivot: out.Messages.push_back(kZeroDeterminant); return;
    case TEliminationOutcome::IllConditioned:
      out.Messages.push_back(kIllConditioned + DeterminantText(lu.Determinant()));
      return;
    case TEliminationOutcome::Overflow: out.Messages.push_back(MathErrorKindText(mkOverflow)); return;
    case TEliminationOutcome::Done: break;
  }
  std::vector<std::string> lines;
  if (command == TSystemCommand::Determinant) {
    lines.push_back(texts::kDeterminantPrefix + DeterminantText(lu.Determinant()));
  } else if (command == TSystemCommand::Solve) {
    std::vector<T> x = b;
    if (!lu.Solve(x, 1)) {
      out.Messages.push_back(MathErrorKindText(mkOverflow));
      return;
    }
    lines.push_back(texts::kSolutionHeading);
    for (int i = 0; i < n; ++i)
      lines.push_back(names[static_cast<std::size_t>(i)] + " = " +
                      ValueToText(AsValue(x[static_cast<std::size_t>(i)])));
  } else {
    std::vector<T> inverse;
    if (!lu.Inverse(inverse)) {
      out.Messages.push_back(MathErrorKindText(mkOverflow));
      return;
    }
    lines.push_back(texts::kInverseMatrixHeading);
    for (int i = 0; i < n; ++i) {
      std::string line;
      for (int k = 0; k < n; ++k) line += EntryText(inverse[static_cast<std::size_t>(i * n + k)]);
      lines.push_back(std::move(line));
    }
  }
  out.Results = Join(lines);
  out.Done = true;
}

template <class T>
void ListSystem(TSystemCommand command, int n, const std::vector<T>& a, const std::vector<T>& b, TSystemOutcome& out) {
  std::vector<std::string> lines;
  if (command == TSystemCommand::InitialMatrix) {
    lines.push_back(texts::kInitialMatrixHeading);
    for (int i = 0; i < n; ++i) {
      std::string line;
      for (int j = 0; j < n; ++j) line += EntryText(a[static_cast<std::size_t>(i * n + j)]);
      lines.push_back(std::move(line));
    }
  } else {
    lines.push_back(texts::kRightPartHeading);
    for (const T& v : b) lines.push_back(ValueToText(AsValue(v)));
  }
  out.Results = Join(lines);
  out.Done = true;
}

}  // namespace

TSystemOutcome TLinearSystem::Run(TSystemCommand command, const std::string& variables, const std::string& equations,
                                  double tolerance, const TStopTest& stop, TProgress* progress) {
  TSystemOutcome out;
  TBuilt built;
  try {
    if (!Build(variables, equations, built, out, stop, progress)) return out;
    const bool list = command == TSystemCommand::InitialMatrix || command == TSystemCommand::RightPart;
    if (built.Complex) {
      if (list) ListSystem(command, built.N, built.CA, built.CB, out);
      else Eliminate(command, built.N, built.CA, built.CB, built.Names, tolerance, stop, progress, out);
    } else {
      if (list) ListSystem(command, built.N, built.A, built.B, out);
      else Eliminate(command, built.N, built.A, built.B, built.Names, tolerance, stop, progress, out);
    }
  } catch (const TWorkStopped&) {
    out = {};
    out.Results = kStopped;
  } catch (const std::exception& e) {
    out = {};
    out.Messages.push_back(e.what());
  }
  return out;
}

// ---- files ----------------------------------------------------------------------------

std::string TLinearSystem::FileText(const std::string& variables, const std::string& equations) {
  std::string text = std::string(texts::kListOfVariablesHeading) + "\r\n{\r\n" + Cleaned(variables) + "\r\n}\r\n\r\n" +
                     texts::kSystemOfLinearEquatinsHeading + "\r\n{\r\n";
  for (const std::string& line : SplitLines(equations)) text += line + "\r\n";
  text += "}\r\n";
  return text;
}

bool TLinearSystem::ParseFileText(const std::string& text, std::string& variables, std::string& equations) {
  std::vector<std::string> blocks;
  std::string block, part;
  bool inside = false;
  // A line's characters inside a block join it: the variables as one line,
  // the equations line by line, empty lines dropped.
  auto flush = [&] {
    if (blocks.empty()) block += part;
    else if (!part.empty()) block += part + "\n";
    part.clear();
  };
  for (const std::string& line : SplitLines(text)) {
    for (char c : line) {
      if (c == '{') {
        if (inside) return false;
        inside = true;
      } else if (c == '}') {
        if (!inside) return false;
        flush();
        blocks.push_back(std::move(block));
        block.clear();
        inside = false;
      } else if (inside) {
        part.push_back(c);
      }
    }
    if (inside) flush();
  }
  if (inside || blocks.size() != 2) return false;
  variables.clear();
  for (char c : blocks[0])
    if (static_cast<unsigned char>(c) > ' ') variables.push_back(c);
  equations = blocks[1];
  if (!equations.empty() && equations.back() == '\n') equations.pop_back();
  return true;
}

bool TLinearSystem::Read(const std::string& path, std::string& variables, std::string& equations, TUserInterface& ui) {
  std::string text, error;
  if (!ReadPlainTextFile(path, text, error, kLinearSystemFileLimit)) {
    ui.ShowMessage(error);
    return false;
  }
  std::string v, q;
  if (!ParseFileText(text, v, q)) {
    FileValid_ = false;
    ui.ShowMessage(kBadFormat);
    return false;
  }
  variables = v;
  equations = q;
  FileName_ = path;
  FileValid_ = true;
  SavedVariables_ = v;
  SavedEquations_ = q;
  return true;
}

bool TLinearSystem::Write(const std::string& path, const std::string& variables, const std::string& equations,
                          TUserInterface& ui) {
  if ((variables + equations).find_first_of("{}") != std::string::npos) {
    ui.ShowMessage("Cannot save the system: its texts hold \"{\" or \"}\", which the file format reserves");
    return false;
  }
  std::string error;
  if (!WriteFileAtomic(path, FileText(variables, equations), error)) {
    ui.ShowMessage(error);
    return false;
  }
  FileName_ = path;
  FileValid_ = true;
  SavedVariables_ = variables;
  SavedEquations_ = equations;
  return true;
}

bool TLinearSystem::Modified(const std::string& variables, const std::string& equations) const {
  return variables != SavedVariables_ || equations != SavedEquations_;
}

bool TLinearSystem::MayDiscard(const std::string& variables, const std::string& equations, TUserInterface& ui) const {
  return !Modified(variables, equations) || ui.AskYesNo(texts::kAreYouSure);
}

}  // namespace helmax
