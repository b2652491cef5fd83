// The linear systems tool: matrices built from equation texts (coefficients
// read exactly from the compiled program), the commands' output lines,
// singular and ill-conditioned systems, and the .sle files.
#include <gtest/gtest.h>

#include <cmath>

#include "../common/HostileFiles.h"
#include "../common/TempFolder.h"
#include "LinearSystem.h"
#include "TextFile.h"
#include "UserInterface.h"

using namespace helmax;

namespace {

struct TRun {
  TLinearSystem System;
  TSystemOutcome Do(TSystemCommand command, const std::string& variables, const std::string& equations,
                    double tolerance = 1e-14) {
    return System.Run(command, variables, equations, tolerance);
  }
  // The solution's values, in variable order.
  std::vector<double> Solve(const std::string& variables, const std::string& equations) {
    const TSystemOutcome out = Do(TSystemCommand::Solve, variables, equations);
    EXPECT_TRUE(out.Done) << out.Results << (out.Messages.empty() ? "" : out.Messages[0]);
    std::vector<double> values;
    for (const std::string& line : SplitLines(out.Results))
      if (const std::size_t at = line.find(" = "); at != std::string::npos)
        values.push_back(std::stod(line.substr(at + 3)));
    return values;
  }
};

void ExpectRelative(double value, double expected, double tolerance = 1e-13) {
  EXPECT_LE(std::fabs(value - expected), tolerance * std::fabs(expected)) << value << " vs " << expected;
}

TEST(LinearSystem, TheDefaultSystem) {
  TRun r;
  const std::vector<double> x = r.Solve(TLinearSystem::kDefaultVariables, TLinearSystem::kDefaultEquations);
  ASSERT_EQ(x.size(), 3u);
  // A = [[sin(e), 2, 3], [4, 5, 6], [7, 8, 9]], B = [-1, 2, -3], solved
  // independently by Cramer's rule.
  const double s = std::sin(std::exp(1.0));
  const double det = 3 - 3 * s;
  ExpectRelative(x[0], 24 / det);
  ExpectRelative(x[1], (36 * s - 84) / det);
  ExpectRelative(x[2], (55 - 31 * s) / det);
  const TSystemOutcome d =
      r.Do(TSystemCommand::Determinant, TLinearSystem::kDefaultVariables, TLinearSystem::kDefaultEquations);
  ASSERT_TRUE(d.Done);
  ExpectRelative(std::stod(d.Results.substr(std::string("Determinant = ").size())), det);
}

struct TSolveCase {
  const char* Name;
  const char* Variables;
  const char* Equations;
  std::vector<double> Solution;
};

class Solutions : public ::testing::TestWithParam<TSolveCase> {};

TEST_P(Solutions, AreExactToRounding) {
  TRun r;
  const std::vector<double> x = r.Solve(GetParam().Variables, GetParam().Equations);
  ASSERT_EQ(x.size(), GetParam().Solution.size());
  for (std::size_t i = 0; i < x.size(); ++i) ExpectRelative(x[i], GetParam().Solution[i]);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Solutions,
    ::testing::Values(
        TSolveCase{"TwoByTwo", "x,y", "x+y-2, x-y", {1, 1}},
        // Coefficients next to large constant terms survive.
        TSolveCase{"SmallCoefficientLargeConstant", "x,y", "0.001*x-1000000000000, y-2", {1e15, 2}},
        TSolveCase{"UnitCoefficientsLargeConstant", "x,y", "x+y-1e16, x-y", {5e15, 5e15}},
        // Small entries are no reason to refuse; huge ones neither.
        TSolveCase{"SmallEntries", "x,y,z", "0.00001*x-0.00001, 0.00001*y-0.00002, 0.00001*z-0.00003", {1, 2, 3}},
        TSolveCase{"HugeEntries", "x,y", "1e200*x-1, 1e200*y-1", {1e-200, 1e-200}},
        // Signs, brackets, quotients and repeated variables.
        TSolveCase{"Shapes", "a,b", "-(a-2*b)/4+3*(b+1)-b/2, 2*a+a-b+b/2-1", {12.0 / 71, -70.0 / 71}},
        TSolveCase{"LineBreaksAndBlanks", " x ,\n y", "2 x\n + y-3,\r\n x - y", {1, 1}},
        TSolveCase{"VariableAlone", "x", "x", {0}},
        TSolveCase{"CommasInsideCalls", "x,y", "max(1,2)*x+y-3, x-min(3,2)*y+y", {1, 1}}),
    [](const auto& info) { return std::string(info.param.Name); });

struct TFailureCase {
  const char* Name;
  const char* Variables;
  const char* Equations;
  TSystemCommand Command;
  const char* Results;  // the results box
  const char* Message;  // the message box, or empty
};

class Failures : public ::testing::TestWithParam<TFailureCase> {};

TEST_P(Failures, ProduceNoOutput) {
  TRun r;
  const TSystemOutcome out = r.Do(GetParam().Command, GetParam().Variables, GetParam().Equations);
  EXPECT_FALSE(out.Done);
  EXPECT_EQ(out.Results, GetParam().Results);
  EXPECT_EQ(out.Messages, std::string(GetParam().Message).empty() ? std::vector<std::string>{}
                                                                  : std::vector<std::string>{GetParam().Message});
}

constexpr TSystemCommand kSolve = TSystemCommand::Solve;

INSTANTIATE_TEST_SUITE_P(
    Cases, Failures,
    ::testing::Values(
        TFailureCase{"ZeroPivot", "x,y", "x+y, 2*x+2*y-1", kSolve, "", "System is ill conditioned: Determinat is zero"},
        TFailureCase{"ZeroPivotDeterminant", "x,y", "x+y, 2*x+2*y-1", TSystemCommand::Determinant, "",
                     "System is ill conditioned: Determinat is zero"},
        TFailureCase{"ZeroPivotInverse", "x,y", "x+y, 2*x+2*y-1", TSystemCommand::Inverse, "",
                     "System is ill conditioned: Determinat is zero"},
        // The second pivot is a rounding residue of 85714.2857...
        TFailureCase{"IllConditioned", "x,y", "500000*x+200000*y-1, 1500000/7*x+600000/7*y-2", kSolve, "",
                     "System is ill conditioned: Determinat is -7.27595761418343E-6"},
        TFailureCase{"NotLinearProduct", "x,y", "x*y-1, x-y", kSolve, "System of equations is not linear", ""},
        TFailureCase{"NotLinearFunction", "x,y", "sin(x), y", kSolve, "System of equations is not linear", ""},
        TFailureCase{"NotLinearQuotient", "x,y", "1/x, y", kSolve, "System of equations is not linear", ""},
        TFailureCase{"CountMismatch", "x,y,z", "x+y, x-y", kSolve,
                     "Number of variables do not corespond with number of equations", ""},
        TFailureCase{"UnknownName", "x,y", "x+w, y", kSolve, "Undefined variable :  w", ""},
        TFailureCase{"NaNCoefficient", "x,y", "nan*x+y, x-y", kSolve,
                     "Equation 1: the coefficient of x is -NAN, not a finite number", ""},
        TFailureCase{"InfiniteConstant", "x,y", "x+y-inf, x-y", kSolve,
                     "Equation 1: the constant term is -INF, not a finite number", ""},
        TFailureCase{"CoefficientOverflow", "x,y", "1e300*x*1e300+y, x-y", kSolve,
                     "Invalid value for * :  1e300 * 1e300 : Overflow", ""}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(LinearSystemFile, HostileFilesLeaveTheBoxesAsTheyWere) {
  test::TTempFolder dir;
  TLinearSystem system;
  TMessageRecorder ui;
  const std::string valid = TLinearSystem::FileText("x,y", "x+y-3\r\nx-y-1");
  for (const test::THostileFile& file : test::MakeHostileFiles(dir, ".sle", valid, kLinearSystemFileLimit)) {
    ui.Messages.clear();
    std::string variables = "a", equations = "a-1";
    EXPECT_FALSE(system.Read(file.Path, variables, equations, ui)) << file.Kind;
    ASSERT_EQ(ui.Messages.size(), 1u) << file.Kind;
    EXPECT_FALSE(ui.Messages[0].empty());
    EXPECT_EQ(variables, "a") << file.Kind;
    EXPECT_EQ(equations, "a-1") << file.Kind;
  }
}

TEST(LinearSystem, RankDeficientSystemsAreIllConditioned) {
  // The last pivot is a rounding residue: the message shows the tiny
  // determinant it gives.
  TRun r;
  const TSystemOutcome out = r.Do(kSolve, "x,y,z", "0.1*x+0.2*y+0.3*z, 0.4*x+0.5*y+0.6*z, 0.7*x+0.8*y+0.9*z-1");
  EXPECT_FALSE(out.Done);
  ASSERT_EQ(out.Messages.size(), 1u);
  const std::string prefix = "System is ill conditioned: Determinat is ";
  ASSERT_EQ(out.Messages[0].substr(0, prefix.size()), prefix);
  EXPECT_LT(std::fabs(std::stod(out.Messages[0].substr(prefix.size()))), 1e-13);
}

TEST(LinearSystem, ComplexCoefficientsMakeEveryEntryComplex) {
  TRun r;
  const std::string vars = "x,y", eqs = "complex(0,1)*x+y-1, x-y";
  const TSystemOutcome solve = r.Do(kSolve, vars, eqs);
  ASSERT_TRUE(solve.Done);
  // (i + 1) x = 1: x = y = (1 - i) / 2.
  EXPECT_EQ(solve.Results, "Solution:\nx = Complex(0.5, -0.5)\ny = Complex(0.5, -0.5)");
  EXPECT_EQ(
      r.Do(TSystemCommand::InitialMatrix, vars, eqs).Results,
      "Initial matrix:\n"
      "Complex(0.00000000000000E+0, 1.00000000000000E+0)   Complex(1.00000000000000E+0, 0.00000000000000E+0)   \n"
      "Complex(1.00000000000000E+0, 0.00000000000000E+0)   Complex(-1.00000000000000E+0, 0.00000000000000E+0)   ");
  EXPECT_EQ(r.Do(TSystemCommand::RightPart, vars, eqs).Results, "Right part:\nComplex(1, 0)\nComplex(0, 0)");
}

TEST(LinearSystem, ListsTheInverseRowByRow) {
  TRun r;
  EXPECT_EQ(r.Do(TSystemCommand::Inverse, "x,y", "x+2*y, 3*x+4*y").Results,
            "Inverse  matrix :\n"
            "-2.00000000000000E+0   1.00000000000000E+0   \n"
            "1.50000000000000E+0   -5.00000000000000E-1   ");
}

TEST(LinearSystem, ScientificTextOfReals) {
  EXPECT_EQ(ScientificText(1), "1.00000000000000E+0");
  EXPECT_EQ(ScientificText(-0.5), "-5.00000000000000E-1");
  EXPECT_EQ(ScientificText(123456789012345678.0), "1.23456789012346E+17");
  EXPECT_EQ(ScientificText(2.5e-300), "2.50000000000000E-300");
  EXPECT_EQ(ScientificText(0), "0.00000000000000E+0");
}

TEST(LinearSystem, DeterminantsBeyondTheDoublesInExponentForm) {
  TRun r;
  EXPECT_EQ(r.Do(TSystemCommand::Determinant, "x,y", "1e200*x-1, 1e200*y-1").Results, "Determinant = 1E400");
  EXPECT_TRUE(r.Do(TSystemCommand::Inverse, "x,y", "1e200*x-1, 1e200*y-1").Done);
  EXPECT_EQ(r.Do(TSystemCommand::Determinant, "x,y", "1e-300*x+1e-300*y, 1e-300*x-1e-300*y").Results,
            "Determinant = -2E-600");
  EXPECT_EQ(r.Do(TSystemCommand::Determinant, "x,y", "1e200*(1+complex(0,1))*x, 1e200*(1-complex(0,1))*y").Results,
            "Determinant = Complex(2E400, 0)");
  EXPECT_EQ(r.Do(TSystemCommand::Determinant, "x,y", "1e-160*x-1e-160*y, 1e-160*x+1e-160*y").Results,
            "Determinant = 2E-320");
  EXPECT_EQ(DeterminantText(TWideDeterminant<double>{-1.234567890123456789, -1000}), "-1.23456789012346E-1000");
  EXPECT_EQ(DeterminantText(TWideDeterminant<double>{9.9999999999999999, 500}), "1E501");
  EXPECT_EQ(DeterminantText(TWideDeterminant<double>{3.5, 7}), "35000000");
}

TEST(LinearSystem, BadlyScaledRowsAreSolved) {
  TRun r;
  EXPECT_EQ(r.Do(kSolve, "x,y", "1e-20*x+1e-20*y-2e-20, x-y").Results, "Solution:\nx = 1\ny = 1");
  EXPECT_EQ(r.Do(kSolve, "x,y", "x+1e308*y-1, x-1e308*y").Results, "Solution:\nx = 0.5\ny = 5E-309");
}

TEST(LinearSystem, ToleranceComesFromTheCaller) {
  TRun r;
  // A pivot of 1e-10 against entries of 1: refused at 1e-9, accepted at 1e-14.
  EXPECT_FALSE(r.Do(kSolve, "x,y", "x+y-1, x+1.0000000001*y-2", 1e-9).Done);
  EXPECT_TRUE(r.Do(kSolve, "x,y", "x+y-1, x+1.0000000001*y-2", 1e-14).Done);
}

TEST(LinearSystem, ALargeSystemFromText) {
  // 60 equations x_i - x_(i+1)/2 - (i+1) = 0, the last x_60 - 60.
  std::string vars, eqs;
  const int n = 60;
  for (int i = 1; i <= n; ++i) {
    vars += (i > 1 ? "," : "") + std::string("v") + std::to_string(i);
    eqs += (i > 1 ? ",\n" : "") + std::string("v") + std::to_string(i) +
           (i < n ? "-v" + std::to_string(i + 1) + "/2" : std::string()) + "-" + std::to_string(i);
  }
  TRun r;
  const std::vector<double> x = r.Solve(vars, eqs);
  ASSERT_EQ(x.size(), static_cast<std::size_t>(n));
  double expected = n;
  for (int i = n; i >= 1; --i) {
    if (i < n) expected = i + expected / 2;
    ExpectRelative(x[static_cast<std::size_t>(i - 1)], expected, 1e-14);
  }
}

TEST(LinearSystem, StopsWhileBuildingAndCountsEquations) {
  std::string vars, eqs;
  for (int i = 1; i <= 50; ++i) {
    vars += (i > 1 ? "," : "") + std::string("v") + std::to_string(i);
    eqs += (i > 1 ? "," : "") + std::string("v") + std::to_string(i) + "-1";
  }
  TLinearSystem system;
  TProgress progress;
  int asked = 0;
  const TSystemOutcome out = system.Run(
      TSystemCommand::Solve, vars, eqs, 1e-14, [&] { return ++asked > 20; }, &progress);
  EXPECT_FALSE(out.Done);
  EXPECT_EQ(out.Results, "Calculation stopped");
  EXPECT_EQ(progress.Done.load(), 19);
  // Compiled again, then solved.
  EXPECT_TRUE(system.Run(TSystemCommand::Solve, vars, eqs, 1e-14).Done);
}

// ---- files ------------------------------------------------------------------------------

TEST(LinearSystemFile, RoundTrip) {
  test::TTempFolder dir;
  TMessageRecorder ui;
  TLinearSystem system;
  const std::string path = dir.File("s.sle");
  ASSERT_TRUE(system.Write(path, " x,\ny ", "x + y-2,\n\nx - y", ui));
  EXPECT_EQ(
      test::ReadBytes(path),
      "List of variables\r\n{\r\nx,y\r\n}\r\n\r\nSystem of linear equatins\r\n{\r\nx + y-2,\r\n\r\nx - y\r\n}\r\n");
  TLinearSystem other;
  std::string vars, eqs;
  ASSERT_TRUE(other.Read(path, vars, eqs, ui));
  EXPECT_EQ(vars, "x,y");
  EXPECT_EQ(eqs, "x + y-2,\nx - y");
  EXPECT_EQ(other.FileName(), path);
  EXPECT_TRUE(other.FileValid());
  EXPECT_FALSE(other.Modified(vars, eqs));
  EXPECT_TRUE(ui.Messages.empty());
}

TEST(LinearSystemFile, BlocksMayShareLines) {
  std::string vars, eqs;
  ASSERT_TRUE(TLinearSystem::ParseFileText("head {a, b} text\n{ a+b,\n\n a-b }", vars, eqs));
  EXPECT_EQ(vars, "a,b");
  EXPECT_EQ(eqs, " a+b,\n a-b ");
}

class BadSystemFiles : public ::testing::TestWithParam<const char*> {};

TEST_P(BadSystemFiles, AreRefused) {
  test::TTempFolder dir;
  test::WriteBytes(dir.File("bad.sle"), GetParam());
  TMessageRecorder ui;
  TLinearSystem system;
  std::string vars = "kept", eqs = "kept";
  EXPECT_FALSE(system.Read(dir.File("bad.sle"), vars, eqs, ui));
  EXPECT_EQ(ui.Messages, std::vector<std::string>{"Bad file format"});
  EXPECT_FALSE(system.FileValid());
  EXPECT_EQ(vars + eqs, "keptkept");
}

INSTANTIATE_TEST_SUITE_P(Cases, BadSystemFiles,
                         ::testing::Values("List of variables\n{\nx\n}\n", "}\n{x}\n{x}", "{x}\n{x\n", "{x}{y}{z}",
                                           "{x{y}}\n{z}", ""));

TEST(LinearSystemFile, BracesInTheTextsAreNotSaved) {
  test::TTempFolder dir;
  TMessageRecorder ui;
  TLinearSystem system;
  EXPECT_FALSE(system.Write(dir.File("s.sle"), "x", "x-{1}", ui));
  EXPECT_EQ(ui.Messages.size(), 1u);
  EXPECT_TRUE(dir.IsEmpty());
  EXPECT_FALSE(system.FileValid());
}

TEST(LinearSystemFile, AFailedWriteKeepsTheFormerFile) {
  test::TTempFolder dir;
  TMessageRecorder ui;
  TLinearSystem system;
  ASSERT_TRUE(system.Write(dir.File("a.sle"), "x", "x-1", ui));
  // A folder where the file should go.
  std::filesystem::create_directory(dir.File("folder.sle"));
  EXPECT_FALSE(system.Write(dir.File("folder.sle"), "x", "x-2", ui));
  EXPECT_EQ(system.FileName(), dir.File("a.sle"));
  EXPECT_TRUE(system.Modified("x", "x-2"));
}

TEST(LinearSystemFile, UnsavedEditsAreDiscardedOnlyWhenConfirmed) {
  TMessageRecorder ui;
  TLinearSystem system;
  EXPECT_TRUE(system.MayDiscard(TLinearSystem::kDefaultVariables, TLinearSystem::kDefaultEquations, ui));
  EXPECT_TRUE(ui.Questions.empty());
  ui.Answers = {false, true};
  EXPECT_FALSE(system.MayDiscard("x", "x", ui));
  EXPECT_TRUE(system.MayDiscard("x", "x", ui));
  EXPECT_EQ(ui.Questions, (std::vector<std::string>{"ARE YOU SURE ?", "ARE YOU SURE ?"}));
}

}  // namespace
