// A square system of linear equations written as expressions, each meaning
// "expression = 0", over a list of variable names: building the matrix and
// the right part from the texts, solving it by elimination, its
// determinant and inverse, and the .sle files that keep the two texts.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DenseLinearSolver.h"
#include "FixedTexts.h"
#include "HelmaxComplexEval.h"
#include "NumericWork.h"
#include "UserInterface.h"

namespace helmax {

enum class TSystemCommand { Solve, Determinant, Inverse, InitialMatrix, RightPart };

// What a command gives: the results box's text (lines separated by LF) and
// the messages for message boxes. Done is false after any failure.
struct TSystemOutcome {
  bool Done = false;
  std::string Results;
  std::vector<std::string> Messages;
};

// A real in scientific notation with 15 significant digits and the shortest
// exponent: 1.00000000000000E+0, -5.00000000000000E-1.
std::string ScientificText(double v);

// A determinant as the calculator writes a value, in its exponent form
// beyond the range of doubles: "-2E-600", "Complex(2E400, 0)".
std::string DeterminantText(const TWideDeterminant<double>& d);
std::string DeterminantText(const TWideDeterminant<TComplex>& d);

class TLinearSystem {
 public:
  static constexpr const char* kCaption = texts::kSystemOfLinearEquationsSolver;
  static constexpr const char* kDefaultVariables = "x,y,z";
  static constexpr const char* kDefaultEquations = "sin(e) x+ 2 y+ 3 z+1,\n4 x + 5 y+6 z-2,\n7 x+ 8 y+ 9 z+3";

  TLinearSystem();
  ~TLinearSystem();
  TLinearSystem(const TLinearSystem&) = delete;
  TLinearSystem& operator=(const TLinearSystem&) = delete;

  // Builds the system from the two texts and runs the command. tolerance:
  // the calculator's dettolerance. May take long; stop ends it.
  TSystemOutcome Run(TSystemCommand command, const std::string& variables, const std::string& equations,
                     double tolerance, const TStopTest& stop = {}, TProgress* progress = nullptr);

  // ---- files ----
  const std::string& FileName() const { return FileName_; }
  bool FileValid() const { return FileValid_; }
  void ForgetFile() { FileValid_ = false; }
  // Reads a .sle file into the two texts; "Bad file format" (and no valid
  // file) when it is not one.
  bool Read(const std::string& path, std::string& variables, std::string& equations, TUserInterface& ui);
  // Writes the two texts to path, which becomes the system's file. Texts
  // holding "{" or "}" are refused.
  bool Write(const std::string& path, const std::string& variables, const std::string& equations, TUserInterface& ui);
  // True when the texts differ from those last read or written (the
  // defaults at first).
  bool Modified(const std::string& variables, const std::string& equations) const;
  // Before edits are replaced or dropped: true when there are none, or the
  // user confirms "ARE YOU SURE ?".
  bool MayDiscard(const std::string& variables, const std::string& equations, TUserInterface& ui) const;

  // The file text of the two texts.
  static std::string FileText(const std::string& variables, const std::string& equations);
  // Parses a file text; false when it is not two brace blocks.
  static bool ParseFileText(const std::string& text, std::string& variables, std::string& equations);

 private:
  struct TBuilt;
  bool Build(const std::string& variables, const std::string& equations, TBuilt& built, TSystemOutcome& out,
             const TStopTest& stop, TProgress* progress);
  bool ReadWhole(const std::string& equations, const std::string& variables, std::vector<TValue>& a,
                 std::vector<TValue>& c, TSystemOutcome& out);
  bool ReadByEquation(const std::vector<std::string>& pieces, const std::string& equations,
                      const std::string& variables, std::vector<TValue>& a, std::vector<TValue>& c, TSystemOutcome& out,
                      const TStopTest& stop, TProgress* progress);

  std::unique_ptr<THelmaxComplexEval> Engine_;
  std::string FileName_;
  bool FileValid_ = false;
  std::string SavedVariables_ = kDefaultVariables;
  std::string SavedEquations_ = kDefaultEquations;
};

}  // namespace helmax
