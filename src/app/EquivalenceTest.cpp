#include "EquivalenceTest.h"
#include "FixedTexts.h"

#include <cmath>
#include <random>
#include <vector>

#include "SameValueApprox.h"
#include "TextUtil.h"

namespace helmax {

namespace {

constexpr int kScales = 51;
constexpr int kSamplesPerScale = 101;
constexpr int kMinimumCounted = 100;

// Values agree: the calculator's tolerant equality, where two nulls are
// also equal and two date-times compare their serials as reals.
bool SameResult(const TValue& a, const TValue& b) {
  if (a.Kind == TValueKind::Null && b.Kind == TValueKind::Null) return true;
  if (a.Kind == TValueKind::DateTime && b.Kind == TValueKind::DateTime) return SameRealApprox(a.Num, b.Num);
  return SameValueApprox(a, b);
}

// A seed for a second generator, derived from the first one's (splitmix64).
std::uint64_t DerivedSeed(std::uint64_t seed, std::uint64_t stream) {
  std::uint64_t z = seed + stream * 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// One expression compiled alone, with where its variables sit among the
// drawn values.
struct TSampled {
  THelmaxComplexEval& Engine;
  std::vector<int> Drawn;  // per variable of the engine: index into the drawn values

  TSampled(THelmaxComplexEval& engine, const THelmaxComplexEval& both) : Engine(engine) {
    for (int i = 1; i <= engine.VariableCount(); ++i) {
      const std::string name = ToLowerAscii(Trim(engine.GetVarName(i)));
      int at = -1;
      for (int j = 1; j <= both.VariableCount() && at < 0; ++j)
        if (ToLowerAscii(Trim(both.GetVarName(j))) == name) at = j - 1;
      Drawn.push_back(at);
    }
  }

  // Sets the variables to the sample's values and evaluates; false when the
  // evaluation fails.
  bool Run(const std::vector<double>& values, bool perturbed, TValue& result) {
    const std::vector<TVariable*>* vars = Engine.Variables();
    for (std::size_t i = 0; i < Drawn.size(); ++i)
      *(*vars)[i]->Value = TValue::MakeReal(Drawn[i] >= 0 ? values[static_cast<std::size_t>(Drawn[i])] : 0.0);
    Engine.PerturbResults = perturbed;
    TValue* const* r = nullptr;
    try {
      r = Engine.DoVectorOfMathExpressions();
    } catch (...) { r = nullptr; }
    Engine.PerturbResults = false;
    if (r == nullptr) return false;
    result = *r[0];
    return true;
  }

  // Two more runs with perturbed results give the plain value again.
  bool Stable(const std::vector<double>& values, const TValue& plain) {
    for (int i = 0; i < 2; ++i) {
      TValue perturbed;
      if (!Run(values, true, perturbed) || !SameResult(perturbed, plain)) return false;
    }
    return true;
  }
};

}  // namespace

TVerdict VerdictOf(const TEquivalenceCounts& counts) {
  if (counts.Counted() < kMinimumCounted) return TVerdict::Indeterminate;
  return static_cast<long long>(counts.Unequal) * 100 <= counts.Counted() ? TVerdict::Yes : TVerdict::No;
}

const char* VerdictText(TVerdict verdict) {
  switch (verdict) {
    case TVerdict::Yes: return "Yes";
    case TVerdict::No: return "No";
    default: return "Indeterminate";
  }
}

std::string CountsText(const TEquivalenceCounts& counts) {
  return "equal=" + std::to_string(counts.Equal) + " unequal=" + std::to_string(counts.Unequal) +
         " counted=" + std::to_string(counts.Counted());
}

TEquivalenceTest::TEquivalenceTest(TUserInterface& ui) : Ui_(ui), Messages_(ui) {
  for (THelmaxComplexEval* e : {&First_, &Second_, &Both_}) {
    e->ImplicitMultiplication = true;
    // Compile errors are shown; evaluation errors only drop samples.
    Messages_.Bind(*e, false);
  }
  First_.PerturbableResults = true;
  Second_.PerturbableResults = true;
}

bool TEquivalenceTest::CompileOne(THelmaxComplexEval& engine, const std::string& text, const char* prefix) {
  Messages_.ErrorPrefix = prefix;
  engine.VerifySyntaxSemantics(text);
  if (engine.Error) return false;
  if (engine.ExpressionCount != 1) {
    Messages_.Show(texts::kPleaseInsertOnlyOneExpression);
    return false;
  }
  return true;
}

TEquivalenceCounts TEquivalenceTest::Compare(const std::string& first, const std::string& second, std::uint64_t seed) {
  TEquivalenceCounts counts;
  if (!CompileOne(First_, first, texts::kFirstExpressionPrefix)) return counts;
  if (!CompileOne(Second_, second, texts::kSecondExpressionPrefix)) return counts;
  // Both together: the union of their variables, in order.
  Both_.VerifySyntaxSemantics(first + "," + second);
  if (Both_.Error || Both_.ExpressionCount != 2) return counts;

  TSampled a(First_, Both_), b(Second_, Both_);
  First_.SeedPerturbation(DerivedSeed(seed, 1));
  Second_.SeedPerturbation(DerivedSeed(seed, 2));
  std::mt19937_64 draws(seed);
  auto digit = [&] { return static_cast<int>(draws() % 10); };
  auto unit = [&] { return static_cast<double>(draws() >> 11) * 0x1p-53; };  // [0, 1)
  std::vector<double> values(static_cast<std::size_t>(Both_.VariableCount()));
  for (int k = 0; k < kScales; ++k) {
    const double scale = std::ldexp(1.0, k);
    for (int sample = 0; sample < kSamplesPerScale; ++sample) {
      bool usable = true;
      for (double& v : values) {
        const double sign = digit() < 5 ? -1.0 : 1.0;
        const bool small = digit() < 5;
        const double u = unit();
        if (small) {
          v = sign * (scale - 1) * u;
        } else if (u == 0.0) {
          usable = false;  // 1/(s*2^k*0)
        } else {
          v = 1 / (sign * scale * u);
        }
      }
      if (!usable) continue;
      TValue va, vb;
      if (!a.Run(values, false, va) || !b.Run(values, false, vb)) continue;
      if (!a.Stable(values, va) || !b.Stable(values, vb)) continue;
      if (SameResult(va, vb)) ++counts.Equal;
      else ++counts.Unequal;
    }
  }
  return counts;
}

TEquivalenceCounts TEquivalenceTest::Test(std::string_view firstPane, std::string_view secondPane, std::uint64_t seed) {
  const TEquivalenceCounts counts = Compare(OneLineExpression(firstPane), OneLineExpression(secondPane), seed);
  Ui_.ShowInformation(std::string(VerdictText(VerdictOf(counts))) + "\n" + CountsText(counts));
  return counts;
}

}  // namespace helmax
