// The equivalence test: do two expressions define the same function of their
// variables? Not decided symbolically: both are evaluated at 5151 random
// points of growing magnitude (51 scales of 101 samples) and the agreements
// are counted. A sample counts only where both values are numerically
// stable: each expression is evaluated twice more with every result
// perturbed in its last bits, and must give the same value again.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "EngineErrorMessages.h"
#include "ExpressionText.h"
#include "HelmaxComplexEval.h"
#include "UserInterface.h"

namespace helmax {

struct TEquivalenceCounts {
  int Equal = 0;
  int Unequal = 0;
  int Counted() const { return Equal + Unequal; }
};

enum class TVerdict { Yes, No, Indeterminate };

// Under 100 counted samples: Indeterminate; otherwise Yes when at most one
// sample in a hundred disagrees.
TVerdict VerdictOf(const TEquivalenceCounts& counts);
const char* VerdictText(TVerdict verdict);
// "equal=5151 unequal=0 counted=5151"
std::string CountsText(const TEquivalenceCounts& counts);

class TEquivalenceTest {
 public:
  // Errors (compile errors of either expression, a vector where one
  // expression belongs) go to ui with the expression named in front.
  explicit TEquivalenceTest(TUserInterface& ui);
  TEquivalenceTest(const TEquivalenceTest&) = delete;
  TEquivalenceTest& operator=(const TEquivalenceTest&) = delete;

  // Counts the samples on which first and second agree; seed fixes the
  // draws. All zero when either expression fails to compile.
  TEquivalenceCounts Compare(const std::string& first, const std::string& second, std::uint64_t seed);

  // The Test command on the two panes' texts: compares them and shows the
  // verdict with the counters on a second line.
  TEquivalenceCounts Test(std::string_view firstPane, std::string_view secondPane, std::uint64_t seed);

  // The message-box error handlers; other windows may bind their engines
  // to them.
  TEngineErrorMessages& ErrorMessages() { return Messages_; }

 private:
  bool CompileOne(THelmaxComplexEval& engine, const std::string& text, const char* prefix);

  TUserInterface& Ui_;
  TEngineErrorMessages Messages_;
  THelmaxComplexEval First_, Second_, Both_;
};

}  // namespace helmax
