#include "LinearCoefficients.h"
#include "FixedTexts.h"

#include <stdexcept>
#include <unordered_map>
#include <utility>

#include "BuiltinCatalogue.h"
#include "ErrorText.h"
#include "Operations.h"

namespace helmax {
namespace {

struct TTerm {
  int Variable;
  TValue Coefficient;
};
// The coefficients of a cell that depends on the variables: a variable may
// occur more than once (x+2*x); the terms are summed at the end.
using TTerms = std::vector<TTerm>;

const char* Symbol(int code) {
  switch (code) {
    case opMul: return "*";
    case opDiv: return "/";
    case opAdd: return "+";
    default: return "-";
  }
}

class TPairRun {
 public:
  explicit TPairRun(const THelmaxComplexEval& e) : E_(e) {
    if (const std::vector<TVariable*>* vars = e.Variables())
      for (std::size_t j = 0; j < vars->size(); ++j) Variables_[(*vars)[j]->Value] = static_cast<int>(j);
  }

  TCoefficientsOutcome Run(std::vector<TValue>& coefficients, std::string& message) {
    const std::vector<TInstruction>& ins = E_.Instructions();
    // How often each cell is still read: its terms move on at the last read.
    for (std::int32_t number : E_.MainProgram()) {
      const TInstruction& i = ins[static_cast<std::size_t>(number - 1)];
      if (i.Code < opMul || i.Code > opSub || i.Count != 2) return TCoefficientsOutcome::NotLinear;
      ++Reads_[i.Operands[0]];
      ++Reads_[i.Operands[1]];
    }
    for (int r = 0; r < E_.ExpressionCount; ++r) ++Reads_[E_.Results[r]];
    try {
      for (std::int32_t number : E_.MainProgram())
        if (!Step(ins[static_cast<std::size_t>(number - 1)])) return TCoefficientsOutcome::NotLinear;
    } catch (const EHelmaxMathError& m) {
      message = FormatErrorLine(TErrorSide::Execute, OperatorErrorCode(FailedCode_), m.Kind,
                                texts::kExceptieMatematicaPrefix + MathErrorKindText(m.Kind) + " : " + FailedText_, {});
      return TCoefficientsOutcome::Failed;
    } catch (const std::exception& e) {
      message = e.what();
      return TCoefficientsOutcome::Failed;
    }
    const std::size_t n = Variables_.size();
    const std::size_t rows = static_cast<std::size_t>(E_.ExpressionCount);
    coefficients.assign(rows * n, TValue::MakeReal(0.0));
    for (std::size_t r = 0; r < rows; ++r) {
      const TTerms terms = Take(E_.Results[r]);
      for (const TTerm& t : terms) {
        TValue& a = coefficients[r * n + static_cast<std::size_t>(t.Variable)];
        Apply(opAdd, a, t.Coefficient, a);
      }
    }
    return TCoefficientsOutcome::Done;
  }

 private:
  bool DependsOnVariables(const TValue* cell) const { return Variables_.count(cell) != 0 || Terms_.count(cell) != 0; }

  // The terms of a cell read once more: moved away at its last read.
  TTerms Take(const TValue* cell) {
    if (auto v = Variables_.find(cell); v != Variables_.end()) return {{v->second, TValue::MakeReal(1.0)}};
    auto t = Terms_.find(cell);
    if (t == Terms_.end()) return {};
    if (--Reads_[cell] > 0) return t->second;
    TTerms moved = std::move(t->second);
    Terms_.erase(t);
    return moved;
  }

  void Apply(int code, const TValue& a, const TValue& b, TValue& result) {
    FailedCode_ = code;
    FailedText_ = ValueToText(a) + " " + Symbol(code) + " " + ValueToText(b);
    ArithOp(code, a, b, result);
  }

  bool Step(const TInstruction& i) {
    const TValue* left = i.Operands[0];
    const TValue* right = i.Operands[1];
    const bool l = DependsOnVariables(left), r = DependsOnVariables(right);
    Terms_.erase(i.Result);
    if (!l && !r) {
      --Reads_[left];
      --Reads_[right];
      return true;
    }
    TTerms out;
    switch (i.Code) {
      case opAdd:
      case opSub: {
        TTerms a = l ? Take(left) : TTerms{};
        TTerms b = r ? Take(right) : TTerms{};
        if (!l) --Reads_[left];
        if (!r) --Reads_[right];
        if (i.Code == opSub)
          for (TTerm& t : b) t.Coefficient = NegatedValue(t.Coefficient);
        // The smaller list joins the larger: long sums stay linear in time.
        if (a.size() < b.size()) a.swap(b);
        a.insert(a.end(), std::make_move_iterator(b.begin()), std::make_move_iterator(b.end()));
        out = std::move(a);
        break;
      }
      case opMul:
        if (l && r) return false;
        if (l) {
          out = Take(left);
          --Reads_[right];
          for (TTerm& t : out) Apply(opMul, t.Coefficient, *right, t.Coefficient);
        } else {
          --Reads_[left];
          out = Take(right);
          for (TTerm& t : out) Apply(opMul, *left, t.Coefficient, t.Coefficient);
        }
        break;
      case opDiv:
        if (r) return false;
        out = Take(left);
        --Reads_[right];
        for (TTerm& t : out) Apply(opDiv, t.Coefficient, *right, t.Coefficient);
        break;
      default: return false;
    }
    Terms_[i.Result] = std::move(out);
    return true;
  }

  const THelmaxComplexEval& E_;
  std::unordered_map<const TValue*, int> Variables_;
  std::unordered_map<const TValue*, TTerms> Terms_;
  std::unordered_map<const TValue*, int> Reads_;
  int FailedCode_ = opMul;
  std::string FailedText_;
};

}  // namespace

TValue NegatedValue(const TValue& v) {
  TValue r = v;
  switch (v.Kind) {
    case TValueKind::Real:
    case TValueKind::DateTime: r.Num = -v.Num; break;
    case TValueKind::Currency: r.Cur = -v.Cur; break;
    case TValueKind::Complex: r.Cx = {-v.Cx.Re, -v.Cx.Im}; break;
    default: break;
  }
  return r;
}

TCoefficientsOutcome LinearCoefficients(const THelmaxComplexEval& engine, std::vector<TValue>& coefficients,
                                        std::string& message) {
  TPairRun run(engine);
  return run.Run(coefficients, message);
}

}  // namespace helmax
